// Message boxes: SDL's message box when windows reach a display; otherwise (headless, and in tests) the answer is
// the next one the test seam queued, or the default button. The whole text always goes to standard error too: the
// box shows it fitted to the screen (message_box_text.h), which may leave part of it out.
//
// On a display SDL shows the box from a child process, a copy of the program made by fork. That copy must never
// outlive the program nor act as it: it ends when the program ends (a parent-death signal), the control signals
// end it as they end any process (the program's handlers hand them to a thread the copy does not have), and when
// it leaves through exit() (as the display library does when the display goes away) it leaves at once through
// _exit, without running the program's exit list and destructors, which belong to the program.
#include <SDL.h>
#include <pthread.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "console_events.h"
#include "host/testing.h"
#include "message_box_text.h"
#include "sdl_video.h"
#include "user_state.h"
#include "windows_1252.h"

namespace host {
namespace {

std::atomic<bool> showingBox{false};
std::atomic<pid_t> boxParent{0};

void LeaveAtOnce(int status, void*) { _exit(status); }

// Runs in every child of fork; only a child made while a box is being shown is the box's process.
void AfterForkInChild() {
  if (!showingBox.load()) return;
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (getppid() != boxParent.load()) _exit(1);  // the program ended before the line above took hold
  ResetConsoleSignalsInChild();
  on_exit(LeaveAtOnce, nullptr);  // registered last, so run first: the program's own exit list never runs here
}

// Marks the time in which a fork makes a box's process, with the child's treatment installed once.
class BoxProcessTime {
 public:
  BoxProcessTime() {
    static const bool installed = pthread_atfork(nullptr, nullptr, AfterForkInChild) == 0;
    (void)installed;
    boxParent.store(getpid());
    showingBox.store(true);
  }
  ~BoxProcessTime() { showingBox.store(false); }
  BoxProcessTime(const BoxProcessTime&) = delete;
  BoxProcessTime& operator=(const BoxProcessTime&) = delete;
};

struct MessageBoxLog {
  std::vector<HostMessageBoxRecord> shown;
  std::deque<int> answers;
};

MessageBoxLog& Log() {
  static MessageBoxLog* log = new MessageBoxLog;
  return *log;
}

struct Button {
  int id;
  const char* label;
};

std::vector<Button> ButtonsOf(UINT type) {
  switch (type & 0xF) {
    case MB_OKCANCEL: return {{IDOK, "OK"}, {IDCANCEL, "Cancel"}};
    case MB_YESNOCANCEL: return {{IDYES, "Yes"}, {IDNO, "No"}, {IDCANCEL, "Cancel"}};
    case MB_YESNO: return {{IDYES, "Yes"}, {IDNO, "No"}};
    default: return {{IDOK, "OK"}};
  }
}

// Windows-1252 text as the UTF-8 that SDL shows.
std::string Utf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    uint32_t code = Windows1252CodePoint(static_cast<unsigned char>(c));
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | (code >> 6));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (code >> 12));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return out;
}

}  // namespace
}  // namespace host

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  std::string message = text != nullptr ? text : "";
  std::string title = caption != nullptr ? caption : "Error";
  int screenWidth = 0, screenHeight = 0;
  host::DesktopSize(&screenWidth, &screenHeight);
  const host::MessageBoxLimits limits = host::MessageBoxLimitsFor(screenWidth, screenHeight);
  std::string shown = host::FitMessageBoxText(message, limits);
  std::string shownTitle = host::ShortenInMiddle(title.substr(0, title.find('\n')), limits.columns);
  host::MessageBoxLog& log = host::Log();
  log.shown.push_back(HostMessageBoxRecord{message, title, type, shown});
  std::vector<host::Button> buttons = host::ButtonsOf(type);
  size_t defaultIndex = std::min<size_t>((type >> 8) & 0xF, buttons.size() - 1);
  int defaultAnswer = buttons[defaultIndex].id;

  if (!log.answers.empty()) {
    int answer = log.answers.front();
    log.answers.pop_front();
    std::fprintf(stderr, "%s: %s [answered %d]\n", title.c_str(), message.c_str(), answer);
    return answer;
  }
  std::fprintf(stderr, "%s: %s\n", title.c_str(), message.c_str());
  if (host::VideoReady() && host::HasDisplay()) {
    std::vector<SDL_MessageBoxButtonData> data;
    for (size_t i = 0; i < buttons.size(); ++i) {
      Uint32 flags = 0;
      if (i == defaultIndex) flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
      // Escape answers Cancel, or No when there is no Cancel, or OK alone.
      bool escape = buttons[i].id == IDCANCEL ||
                    (buttons[i].id == IDNO && (type & 0xF) == MB_YESNO) || buttons.size() == 1;
      if (escape) flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
      data.push_back(SDL_MessageBoxButtonData{flags, buttons[i].id, buttons[i].label});
    }
    Uint32 kind = SDL_MESSAGEBOX_INFORMATION;
    if ((type & 0xF0) == MB_ICONERROR) kind = SDL_MESSAGEBOX_ERROR;
    if ((type & 0xF0) == MB_ICONWARNING) kind = SDL_MESSAGEBOX_WARNING;
    host::Window* window = host::FindWindow(owner);
    SDL_Window* parent = window != nullptr && window->surface != nullptr ? window->surface->window : nullptr;
    const std::string boxTitle = host::Utf8(shownTitle), boxText = host::Utf8(shown);
    SDL_MessageBoxData box{kind, parent, boxTitle.c_str(), boxText.c_str(), static_cast<int>(data.size()),
                           data.data(), nullptr};
    int pressed = 0;
    int result;
    {
      host::BoxProcessTime boxProcess;
      result = SDL_ShowMessageBox(&box, &pressed);
    }
    if (result == 0) return pressed >= 0 ? pressed : defaultAnswer;
  }
  return defaultAnswer;
}

void HostTestAnswerMessageBox(int answer) { host::Log().answers.push_back(answer); }

std::vector<HostMessageBoxRecord> HostTestMessageBoxes() { return host::Log().shown; }

void HostTestClearMessageBoxes() {
  host::Log().shown.clear();
  host::Log().answers.clear();
}

void HostTestAsMessageBoxProcess(void (*work)()) {
  host::BoxProcessTime boxProcess;
  work();
}
