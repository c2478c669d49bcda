// The common file dialogs over zenity's file selection, or the test seam's answers.
//
// zenity runs as a child process (started without a shell, and ended with the program) whose standard output is
// the chosen path; while it is open the calling thread polls it and dispatches the WM_TIMER messages that fall
// due, so the program's timers keep firing as they do under a modal system dialog. Paths come back as "C:\..."
// paths of the one drive.
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "host/dialogs.h"
#include "host/kernel.h"
#include "host/testing.h"
#include "host/user.h"
#include "sdl_video.h"

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

// Runs the due timers of this thread's windows: what a modal dialog's own loop does for its owner.
void DispatchDueTimers() {
  MSG message;
  while (PeekMessageA(&message, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE)) DispatchMessageA(&message);
}

bool ZenityOnPath(std::string* found) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return false;
  std::string list = path;
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(':', start);
    if (end == std::string::npos) end = list.size();
    std::string candidate = list.substr(start, end - start);
    if (!candidate.empty()) {
      candidate += "/zenity";
      if (access(candidate.c_str(), X_OK) == 0) {
        *found = candidate;
        return true;
      }
    }
    start = end + 1;
  }
  return false;
}

// "/a/b" as the one drive's "C:\a\b", and back.
std::string ToDrivePath(const std::string& posix) {
  std::string out = "C:";
  for (char c : posix) out += c == '/' ? '\\' : c;
  return out;
}
std::string ToPosixPath(const std::string& text) {
  bool drive = text.size() >= 2 && text[1] == ':' && (text[0] == 'C' || text[0] == 'c');
  std::string out;
  for (char c : drive ? text.substr(2) : text) out += c == '\\' ? '/' : c;
  return out;
}

// Starts the chooser's process with its standard output on the pipe. The process belongs to the program: it is
// told to end (SIGTERM) when the program ends, however that happens (a control signal ends the program at once
// while the chooser is open), and the program's own signal handlers are not its. Between fork and exec only calls
// that are safe in the copy of a threaded process are made.
pid_t StartChooserProcess(const std::string& program, char* const* argv, const int pipeEnds[2]) {
  const pid_t parent = getpid();
  pid_t child = fork();
  if (child != 0) return child;  // the program, or -1
  prctl(PR_SET_PDEATHSIG, SIGTERM);
  if (getppid() != parent) _exit(127);  // the program ended before the line above took hold
  for (int signal : {SIGINT, SIGHUP, SIGTERM}) ::signal(signal, SIG_DFL);
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  if (dup2(pipeEnds[1], STDOUT_FILENO) < 0) _exit(127);
  close(pipeEnds[0]);
  close(pipeEnds[1]);
  execve(program.c_str(), argv, environ);
  _exit(127);
}

// Asks zenity; true with the POSIX path when the user picked one, false on cancel. *failed when zenity could not
// run at all.
bool AskZenity(const std::string& program, const OPENFILENAMEA& record, bool save, std::string* chosen,
               bool* failed) {
  *failed = false;
  std::vector<std::string> arguments = {"zenity", "--file-selection"};
  if (record.lpstrTitle != nullptr && record.lpstrTitle[0] != '\0') {
    arguments.push_back(std::string("--title=") + record.lpstrTitle);
  }
  if (record.lpstrFile != nullptr && record.lpstrFile[0] != '\0') {
    arguments.push_back("--filename=" + ToPosixPath(record.lpstrFile));
  }
  if (save) {
    arguments.push_back("--save");
    if ((record.Flags & OFN_OVERWRITEPROMPT) != 0) arguments.push_back("--confirm-overwrite");
  }
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);

  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) {
    *failed = true;
    return false;
  }
  pid_t child = StartChooserProcess(program, argv.data(), pipeEnds);
  close(pipeEnds[1]);
  if (child < 0) {
    close(pipeEnds[0]);
    *failed = true;
    return false;
  }
  fcntl(pipeEnds[0], F_SETFL, fcntl(pipeEnds[0], F_GETFL) | O_NONBLOCK);
  std::string output;
  int status = 0;
  for (;;) {
    char buffer[512];
    ssize_t got;
    while ((got = read(pipeEnds[0], buffer, sizeof(buffer))) > 0) output.append(buffer, static_cast<size_t>(got));
    pid_t done = waitpid(child, &status, WNOHANG);
    if (done == child || (done < 0 && errno != EINTR)) break;
    DispatchDueTimers();
    Sleep(10);
  }
  ssize_t got;
  char buffer[512];
  while ((got = read(pipeEnds[0], buffer, sizeof(buffer))) > 0) output.append(buffer, static_cast<size_t>(got));
  close(pipeEnds[0]);
  if (!WIFEXITED(status) || WEXITSTATUS(status) == 127) {  // 127: the program could not be run
    *failed = true;
    return false;
  }
  if (WEXITSTATUS(status) != 0) return false;  // Cancel, or the window closed
  while (!output.empty() && (output.back() == '\n' || output.back() == '\r')) output.pop_back();
  if (output.empty() || output[0] != '/') return false;
  *chosen = output;
  return true;
}

BOOL Choose(LPOPENFILENAMEA record, bool save) {
  ChooserLog& log = Log();
  log.lastError = 0;
  if (record == nullptr || record->lStructSize != sizeof(OPENFILENAMEA)) {
    log.lastError = CDERR_STRUCTSIZE;
    return FALSE;
  }
  log.shown.push_back(HostFileChooserRecord{save, record->lpstrTitle != nullptr ? record->lpstrTitle : "",
                                            record->lpstrFile != nullptr ? record->lpstrFile : "",
                                            record->Flags});
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
    std::string program;
    if (IsHeadless() || !HasDisplay() || !ZenityOnPath(&program)) {
      log.lastError = CDERR_INITIALIZATION;
      return FALSE;
    }
    std::string posix;
    bool failed = false;
    if (!AskZenity(program, *record, save, &posix, &failed)) {
      if (failed) log.lastError = CDERR_INITIALIZATION;
      return FALSE;
    }
    chosen = ToDrivePath(posix);
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
