// The common file dialogs over a file chooser program of the desktop (zenity's file selection, else kdialog's), or
// the test seam's answers.
//
// The chooser runs as a child process (started without a shell, in a process group of its own, and ended with the
// program together with every process it started) whose standard output is the chosen path; while it is open the
// calling thread waits on its output and dispatches the WM_TIMER messages that fall due, so the program's timers
// keep firing as they do under a modal system dialog. It opens in the folder the caller names (the initial folder,
// else the proposed name's folder), else in the player's saved-games folder. Where windows reach a display and no
// chooser program is installed, a message box says what to install and the call ends as a Cancel: the console is
// never asked behind the window. Without a display the calls fail with CDERR_INITIALIZATION, and their callers ask
// on the console. Paths come back as "C:\..." paths of the one drive.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "console_events.h"
#include "host/dialogs.h"
#include "host/kernel.h"
#include "host/testing.h"
#include "host/user.h"
#include "host_paths.h"
#include "sdl_video.h"
#include "user_state.h"

extern char** environ;

namespace host {
namespace {

struct ChooserAnswer {
  bool chosen;
  std::string path;
  DWORD openMilliseconds;
};

struct ChooserLog {
  std::vector<HostFileChooserRecord> shown;
  std::deque<ChooserAnswer> answers;
  DWORD lastError = 0;
};

ChooserLog& Log() {
  static ChooserLog* log = new ChooserLog;
  return *log;
}

constexpr const char* kNoChooserText =
    "No file chooser is installed.\n\nInstall the \"zenity\" package (or \"kdialog\") to choose files.";

// Runs the due timers of this thread's windows: what a modal dialog's own loop does for its owner.
void DispatchDueTimers() {
  MSG message;
  while (PeekMessageA(&message, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE)) DispatchMessageA(&message);
}

// Milliseconds until the next timer falls due (0 when one is due), or -1 without timers.
int UntilNextTimer() {
  const DWORD now = NowMs();
  int64_t rest = -1;
  for (const Timer& timer : State().timers) {
    const int64_t until = std::max<int64_t>(0, static_cast<int32_t>(timer.due - now));
    rest = rest < 0 ? until : std::min(rest, until);
  }
  return static_cast<int>(std::min<int64_t>(rest, INT_MAX));
}

bool FindOnPath(const char* program, std::string* found) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return false;
  std::string list = path;
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(':', start);
    if (end == std::string::npos) end = list.size();
    std::string candidate = list.substr(start, end - start);
    if (!candidate.empty()) {
      candidate += "/";
      candidate += program;
      if (access(candidate.c_str(), X_OK) == 0) {
        *found = candidate;
        return true;
      }
    }
    start = end + 1;
  }
  return false;
}

// Where a chooser opens: a folder ("C:\..." or relative, as the caller gave it) and the name proposed in it.
struct StartPlace {
  std::string folder;
  std::string name;
  bool savedGames = false;  // the player's saved-games folder, made when a chooser opens there
};

StartPlace StartPlaceOf(const OPENFILENAMEA& record) {
  StartPlace place;
  std::string file = record.lpstrFile != nullptr ? record.lpstrFile : "";
  size_t separator = file.find_last_of("\\/");
  if (separator != std::string::npos) {
    place.folder = file.substr(0, separator);
    if (place.folder.size() == 2 && place.folder[1] == ':') place.folder += '\\';
    place.name = file.substr(separator + 1);
  } else {
    place.name = file;
  }
  if (record.lpstrInitialDir != nullptr && record.lpstrInitialDir[0] != '\0') {
    place.folder = record.lpstrInitialDir;
  } else if (place.folder.empty()) {
    place.folder = HostWindowsFromPosix(HostSavedGamesFolder(false));
    place.savedGames = true;
  }
  return place;
}

// The chooser's command line: the program's name, then its arguments.
struct ChooserProgram {
  const char* name;
  std::vector<std::string> (*arguments)(const std::string& title, const std::string& start, bool save,
                                        bool confirmOverwrite);
};

std::vector<std::string> ZenityArguments(const std::string& title, const std::string& start, bool save,
                                         bool confirmOverwrite) {
  std::vector<std::string> arguments = {"zenity", "--file-selection"};
  if (!title.empty()) arguments.push_back("--title=" + title);
  arguments.push_back("--filename=" + start);
  if (save) {
    arguments.push_back("--save");
    if (confirmOverwrite) arguments.push_back("--confirm-overwrite");
  }
  return arguments;
}

// kdialog's save chooser asks before replacing a file by itself.
std::vector<std::string> KdialogArguments(const std::string& title, const std::string& start, bool save, bool) {
  std::vector<std::string> arguments = {"kdialog"};
  if (!title.empty()) arguments.insert(arguments.end(), {"--title", title});
  arguments.insert(arguments.end(), {save ? "--getsavefilename" : "--getopenfilename", start});
  return arguments;
}

constexpr ChooserProgram kChooserPrograms[] = {{"zenity", ZenityArguments}, {"kdialog", KdialogArguments}};

// The process group of the chooser open now (its first process's id), 0 for none. Read and cleared by whoever
// ends the group: the chooser's wait, the exit list, or a control signal's default action on another thread.
std::atomic<pid_t> openChooserGroup{0};

void EndOpenChooserAtExit() { EndChooserProcesses(); }

// Starts the chooser's process with its standard output on the pipe. The process belongs to the program: it is
// told to end (SIGTERM) when the program ends, however that happens (a control signal ends the program at once
// while the chooser is open), and the program's own signal handlers are not its. It leads a process group of its
// own, which the processes it starts join, so that they end with it (EndChooserProcesses). Between fork and exec
// only calls that are safe in the copy of a threaded process are made.
pid_t StartChooserProcess(const std::string& program, char* const* argv, const int pipeEnds[2]) {
  static const bool endsAtExit = std::atexit(EndOpenChooserAtExit) == 0;
  (void)endsAtExit;
  const pid_t parent = getpid();
  pid_t child = fork();
  if (child != 0) {
    // Both sides set the group, so that it is the chooser's own before either goes on.
    if (child > 0) {
      setpgid(child, child);
      openChooserGroup.store(child);
    }
    return child;  // the program, or -1
  }
  prctl(PR_SET_PDEATHSIG, SIGTERM);
  if (getppid() != parent) _exit(127);  // the program ended before the line above took hold
  setpgid(0, 0);
  ResetConsoleSignalsInChild();
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  if (dup2(pipeEnds[1], STDOUT_FILENO) < 0) _exit(127);
  close(pipeEnds[0]);
  close(pipeEnds[1]);
  execve(program.c_str(), argv, environ);
  _exit(127);
}

enum class Asked { kChosen, kCancelled, kCouldNotRun };

// Runs a chooser program to its end; the POSIX path the user picked comes from its output.
Asked AskChooser(const std::string& program, std::vector<std::string> arguments, std::string* chosen) {
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  int pipeEnds[2];
  if (pipe2(pipeEnds, O_CLOEXEC) != 0) return Asked::kCouldNotRun;
  pid_t child = StartChooserProcess(program, argv.data(), pipeEnds);
  close(pipeEnds[1]);
  if (child < 0) {
    close(pipeEnds[0]);
    return Asked::kCouldNotRun;
  }
  // The output ends when the chooser does; meanwhile the wait ends for each timer that falls due. The chooser's
  // end is watched as well as its output: a process it started may keep the output open after it has gone. Where the
  // system cannot watch a process, the wait looks again every 100 ms.
  const int ended = static_cast<int>(syscall(SYS_pidfd_open, child, 0));
  fcntl(pipeEnds[0], F_SETFL, fcntl(pipeEnds[0], F_GETFL) | O_NONBLOCK);
  std::string output;
  const auto readAvailable = [&] {  // false once the output has ended
    char buffer[512];
    for (;;) {
      ssize_t got = read(pipeEnds[0], buffer, sizeof(buffer));
      if (got > 0) {
        output.append(buffer, static_cast<size_t>(got));
        continue;
      }
      return got < 0 && (errno == EAGAIN || errno == EINTR);
    }
  };
  for (;;) {
    DispatchDueTimers();
    pollfd ready[2] = {{pipeEnds[0], POLLIN, 0}, {ended, POLLIN, 0}};
    int wait = UntilNextTimer();
    if (ended < 0 && (wait < 0 || wait > 100)) wait = 100;
    int polled = poll(ready, ended >= 0 ? 2 : 1, wait);
    if (polled < 0 && errno != EINTR) break;
    if (!readAvailable()) break;
    siginfo_t gone{};
    if ((ended >= 0 && (ready[1].revents & POLLIN) != 0) ||
        (ended < 0 && waitid(P_PID, static_cast<id_t>(child), &gone, WEXITED | WNOHANG | WNOWAIT) == 0 &&
         gone.si_pid == child)) {
      readAvailable();
      break;
    }
  }
  if (ended >= 0) close(ended);
  close(pipeEnds[0]);
  // Once the chooser's program has ended, and before it is reaped (so that its group's number cannot pass to
  // another process meanwhile), the processes it left running in its group are ended too.
  siginfo_t gone{};
  while (waitid(P_PID, static_cast<id_t>(child), &gone, WEXITED | WNOWAIT) < 0 && errno == EINTR) {
  }
  EndChooserProcesses();
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) == 127) return Asked::kCouldNotRun;  // 127: it could not be run
  if (WEXITSTATUS(status) != 0) return Asked::kCancelled;  // Cancel, or the window closed
  while (!output.empty() && (output.back() == '\n' || output.back() == '\r')) output.pop_back();
  if (output.empty() || output[0] != '/') return Asked::kCancelled;
  *chosen = output;
  return Asked::kChosen;
}

// Asks the first chooser program that runs; false on Cancel. Without any, a message box says what to install.
bool AskOnTheDisplay(const OPENFILENAMEA& record, const StartPlace& place, bool save, std::string* chosen) {
  std::string folder;
  DWORD error = 0;
  if (place.savedGames) {
    folder = HostSavedGamesFolder(true);
  } else if (!HostPosixPath(place.folder.c_str(), &folder, &error)) {
    folder.clear();
  }
  std::string start = folder.empty() ? place.name : folder + (folder.back() == '/' ? "" : "/") + place.name;
  const std::string title = record.lpstrTitle != nullptr ? record.lpstrTitle : "";
  const bool confirmOverwrite = (record.Flags & OFN_OVERWRITEPROMPT) != 0;
  for (const ChooserProgram& chooser : kChooserPrograms) {
    std::string program;
    if (!FindOnPath(chooser.name, &program)) continue;
    Asked asked = AskChooser(program, chooser.arguments(title, start, save, confirmOverwrite), chosen);
    if (asked != Asked::kCouldNotRun) return asked == Asked::kChosen;
  }
  MessageBoxA(record.hwndOwner, kNoChooserText, title.empty() ? "Files" : title.c_str(), MB_OK | MB_ICONERROR);
  return false;
}

BOOL Choose(LPOPENFILENAMEA record, bool save) {
  ChooserLog& log = Log();
  log.lastError = 0;
  if (record == nullptr || record->lStructSize != sizeof(OPENFILENAMEA)) {
    log.lastError = CDERR_STRUCTSIZE;
    return FALSE;
  }
  const StartPlace place = StartPlaceOf(*record);
  log.shown.push_back(HostFileChooserRecord{save, record->lpstrTitle != nullptr ? record->lpstrTitle : "",
                                            record->lpstrFile != nullptr ? record->lpstrFile : "", record->Flags,
                                            place.folder});
  std::string chosen;
  if (!log.answers.empty()) {
    ChooserAnswer answer = log.answers.front();
    log.answers.pop_front();
    DWORD start = GetTickCount();
    for (;;) {
      DispatchDueTimers();
      if (GetTickCount() - start >= answer.openMilliseconds) break;
      Sleep(10);
    }
    if (!answer.chosen) return FALSE;
    chosen = answer.path;
  } else {
    if (IsHeadless() || !VideoReady() || !HasDisplay()) {
      log.lastError = CDERR_INITIALIZATION;
      return FALSE;
    }
    std::string posix;
    if (!AskOnTheDisplay(*record, place, save, &posix)) return FALSE;
    chosen = HostWindowsFromPosix(posix);
  }
  if (record->lpstrFile == nullptr || chosen.size() + 1 > record->nMaxFile) {
    log.lastError = FNERR_BUFFERTOOSMALL;
    return FALSE;
  }
  std::memcpy(record->lpstrFile, chosen.c_str(), chosen.size() + 1);
  size_t separator = chosen.find_last_of("\\/");
  size_t nameStart = separator == std::string::npos ? 0 : separator + 1;
  record->nFileOffset = static_cast<WORD>(nameStart);
  size_t dot = chosen.find_last_of('.');
  record->nFileExtension =
      static_cast<WORD>(dot != std::string::npos && dot >= nameStart ? dot + 1 : chosen.size());
  return TRUE;
}

}  // namespace

void EndChooserProcesses() {
  const pid_t group = openChooserGroup.exchange(0);
  if (group > 0) kill(-group, SIGTERM);
}

}  // namespace host

BOOL GetOpenFileNameA(LPOPENFILENAMEA record) { return host::Choose(record, false); }
BOOL GetSaveFileNameA(LPOPENFILENAMEA record) { return host::Choose(record, true); }
DWORD CommDlgExtendedError() { return host::Log().lastError; }

void HostTestAnswerFileChooser(const char* path, DWORD openMilliseconds) {
  host::Log().answers.push_back(host::ChooserAnswer{path != nullptr, path != nullptr ? path : "", openMilliseconds});
}

std::vector<HostFileChooserRecord> HostTestFileChoosers() { return host::Log().shown; }

void HostTestClearFileChoosers() {
  host::Log().shown.clear();
  host::Log().answers.clear();
}
