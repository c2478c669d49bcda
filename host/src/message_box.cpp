// Message boxes: SDL's message box when windows reach a display; otherwise (headless, and in tests) the text goes
// to standard error and the answer is the next one the test seam queued, or the default button.
#include <SDL.h>

#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#include "host/testing.h"
#include "sdl_video.h"
#include "user_state.h"

namespace host {
namespace {

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

}  // namespace
}  // namespace host

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  std::string message = text != nullptr ? text : "";
  std::string title = caption != nullptr ? caption : "Error";
  host::MessageBoxLog& log = host::Log();
  log.shown.push_back(HostMessageBoxRecord{message, title, type});
  std::vector<host::Button> buttons = host::ButtonsOf(type);
  size_t defaultIndex = std::min<size_t>((type >> 8) & 0xF, buttons.size() - 1);
  int defaultAnswer = buttons[defaultIndex].id;

  if (!log.answers.empty()) {
    int answer = log.answers.front();
    log.answers.pop_front();
    std::fprintf(stderr, "%s: %s [answered %d]\n", title.c_str(), message.c_str(), answer);
    return answer;
  }
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
    SDL_MessageBoxData box{kind, parent, title.c_str(), message.c_str(), static_cast<int>(data.size()), data.data(),
                           nullptr};
    int pressed = 0;
    if (SDL_ShowMessageBox(&box, &pressed) == 0) return pressed >= 0 ? pressed : defaultAnswer;
  }
  std::fprintf(stderr, "%s: %s\n", title.c_str(), message.c_str());
  return defaultAnswer;
}

void HostTestAnswerMessageBox(int answer) { host::Log().answers.push_back(answer); }

std::vector<HostMessageBoxRecord> HostTestMessageBoxes() { return host::Log().shown; }

void HostTestClearMessageBoxes() {
  host::Log().shown.clear();
  host::Log().answers.clear();
}
