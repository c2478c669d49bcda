// SDL events become window messages: keys (through the scan-code table) with the characters they type kept for
// TranslateMessage, mouse moves and buttons in client coordinates (double clicks from SDL's click count, for
// classes that ask for them), the strip's mouse and keys to the menu, and window events to closing, activation
// and repainting.
#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <deque>
#include <string>
#include <vector>

#include "host/kernel.h"
#include "key_map.h"
#include "menu_strip.h"
#include "painting.h"
#include "sdl_video.h"
#include "user_state.h"
#include "window_surface.h"

namespace host {
namespace {

Window* WindowOfSdl(Uint32 id) {
  if (id == 0) return nullptr;
  std::lock_guard<std::recursive_mutex> hold(WindowLock());
  for (Window* window : AllWindows()) {
    if (window->surface != nullptr && window->surface->window != nullptr &&
        SDL_GetWindowID(window->surface->window) == id) {
      return window;
    }
  }
  return nullptr;
}

// Keys go to the window SDL names, else to the active window.
Window* KeyTarget(Uint32 id) {
  Window* window = WindowOfSdl(id);
  return window != nullptr ? window : FindWindow(State().active);
}

// UTF-8 text to Windows-1252 bytes; characters that code page lacks are dropped.
std::string ToWindows1252(const char* utf8) {
  static const uint16_t kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                     0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                     0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                     0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
  std::string out;
  const auto* p = reinterpret_cast<const unsigned char*>(utf8);
  while (*p != 0) {
    uint32_t code = 0;
    int extra = 0;
    if (*p < 0x80) {
      code = *p;
    } else if ((*p & 0xE0) == 0xC0) {
      code = *p & 0x1F;
      extra = 1;
    } else if ((*p & 0xF0) == 0xE0) {
      code = *p & 0x0F;
      extra = 2;
    } else if ((*p & 0xF8) == 0xF0) {
      code = *p & 0x07;
      extra = 3;
    } else {
      ++p;
      continue;
    }
    ++p;
    for (int i = 0; i < extra; ++i, ++p) {
      if ((*p & 0xC0) != 0x80) {
        code = 0xFFFFFFFF;
        break;
      }
      code = (code << 6) | (*p & 0x3F);
    }
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) {
      out.push_back(static_cast<char>(code));
      continue;
    }
    for (int i = 0; i < 32; ++i) {
      if (kHigh[i] != 0 && kHigh[i] == code) out.push_back(static_cast<char>(0x80 + i));
    }
  }
  return out;
}

MSG Message(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return MSG{window, message, wParam, lParam, NowMs(), CursorPosition()};
}

LPARAM PointParam(int x, int y) { return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)); }

int StripRowsOf(const Window& window) { return HasMenuStrip(window) ? MenuStripHeight() : 0; }

void OnKey(const SDL_KeyboardEvent& key, const char* text) {
  UserState& state = State();
  KeyInfo info = KeyFromSdl(key.keysym.scancode, key.keysym.sym);
  int vk = info.virtualKey;
  if (vk == 0) return;
  bool down = key.type == SDL_KEYDOWN;
  bool right = vk == VK_SHIFT ? info.scanCode == 0x36 : info.extended;
  int side = vk;
  if (vk == VK_SHIFT) side = right ? VK_RSHIFT : VK_LSHIFT;
  if (vk == VK_CONTROL) side = right ? VK_RCONTROL : VK_LCONTROL;
  if (vk == VK_MENU) side = right ? VK_RMENU : VK_LMENU;
  bool wasDown = (state.asyncKeys[side] & 0x80) != 0;
  bool repeat = down && (key.repeat != 0 || wasDown);
  ApplyKeyState(state.asyncKeys, vk, right, down, repeat);

  Window* window = KeyTarget(key.windowID);
  if (window == nullptr) return;
  // An open menu takes the key presses; releases still reach the window, so that no key stays down for it.
  if (down && MenuStripTracking(window->handle)) {
    MenuStripKey(*window, vk);
    return;
  }
  bool alt = (state.asyncKeys[VK_MENU] & 0x80) != 0;
  bool control = (state.asyncKeys[VK_CONTROL] & 0x80) != 0;
  // Keys pressed with Alt (and not Ctrl), Alt itself and F10 are system keys. A key that types text while only
  // the right Alt is held is AltGr typing (an "@" or a "{" on many layouts): an ordinary key with its character.
  bool altGraph = (state.asyncKeys[VK_RMENU] & 0x80) && !(state.asyncKeys[VK_LMENU] & 0x80);
  bool system = !(altGraph && text != nullptr) && (vk == VK_MENU || vk == VK_F10 || (alt && !control));
  // A release is of the same kind as its press, so that no key stays down for the program.
  static bool pressedAsSystem[256] = {};
  if (down) {
    pressedAsSystem[vk] = system;
  } else {
    system = pressedAsSystem[vk] || vk == VK_MENU;
    pressedAsSystem[vk] = false;
  }
  UINT message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
  std::string chars;
  if (down) {
    if (text != nullptr) {
      chars = ToWindows1252(text);
    } else if (vk == VK_RETURN) {
      chars = "\r";
    } else if (vk == VK_ESCAPE) {
      chars = "\x1b";
    } else if (vk == VK_BACK) {
      chars = "\b";
    } else if (vk == VK_TAB) {
      chars = "\t";
    } else if (control && !alt && vk >= 'A' && vk <= 'Z') {
      chars = std::string(1, static_cast<char>(vk - 'A' + 1));  // Ctrl and a letter type its control code
    } else if (system && vk != VK_MENU && ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9'))) {
      bool shift = (state.asyncKeys[VK_SHIFT] & 0x80) != 0;
      chars = std::string(1, static_cast<char>(vk >= 'A' && !shift ? vk - 'A' + 'a' : vk));
    }
  }
  LPARAM lParam = KeyMessageLParam(info, alt, wasDown, !down);
  QueueInput(Message(KeyWindowOf(window->handle), message, static_cast<WPARAM>(vk), lParam), chars);
}

void OnText(const SDL_TextInputEvent& text) {
  Window* window = KeyTarget(text.windowID);
  if (window == nullptr || MenuStripTracking(window->handle)) return;
  for (char c : ToWindows1252(text.text)) {
    QueueInput(Message(KeyWindowOf(window->handle), WM_CHAR, static_cast<unsigned char>(c), 1));
  }
}

// Where a mouse event falls: the window image point, the client point and the screen point (kept as the cursor).
struct MousePlace {
  Window* window = nullptr;
  int imageX = 0, imageY = 0;
  POINT client{};
  bool inside = false;  // on the picture (not on the border of a fullscreen window)
  bool onStrip = false;
};

MousePlace Place(Uint32 windowId, int x, int y) {
  MousePlace place;
  place.window = WindowOfSdl(windowId);
  if (place.window == nullptr) return place;
  Window& window = *place.window;
  // A window holding the mouse (a button pressed in it) hears it over the border around the picture too.
  place.inside = OutputToImage(window, x, y, &place.imageX, &place.imageY) || MouseCapture() != nullptr;
  int strip = StripRowsOf(window);
  place.client = POINT{place.imageX, place.imageY - strip};
  place.onStrip = strip > 0 && place.inside && place.imageY >= 0 && place.imageY < strip;
  RECT client = ClientRectOf(window);
  SetCursorPosition(POINT{client.left + place.client.x, client.top + place.client.y});
  return place;
}

// Queues a pointer message for the window under the pointer, then lets that window choose the cursor
// (WM_SETCURSOR). The message is queued first: the procedure choosing the cursor may look at the events behind
// it, which must queue after it.
void QueuePointerMessage(HWND target, UINT message, POINT point, bool setCursor) {
  QueueInput(Message(target, message, MouseKeyFlags(), PointParam(point.x, point.y)));
  if (setCursor) {
    SendMessageA(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target), MAKELPARAM(HTCLIENT, message));
  }
}

void OnMotion(const SDL_MouseMotionEvent& motion) {
  MousePlace place = Place(motion.windowID, motion.x, motion.y);
  if (place.window == nullptr) return;
  HWND handle = place.window->handle;
  bool tracking = MenuStripTracking(handle);
  if (tracking || place.onStrip) {
    MenuStripMouse(*place.window, place.imageX, place.imageY, MenuMouse::kMove);
    POINT screen = CursorPosition();
    if (!tracking && FindWindow(handle) != nullptr) {
      QueueInput(Message(handle, WM_NCMOUSEMOVE, HTMENU, PointParam(screen.x, screen.y)));
    }
    return;
  }
  if (!place.inside) return;
  POINT point = place.client;
  QueuePointerMessage(InputWindowAt(handle, &point), WM_MOUSEMOVE, point, true);
}

// The messages of one mouse button.
struct ButtonMessages {
  Uint8 button;
  int virtualKey;
  UINT down, up, doubleClick, nonClientUp;
};

constexpr ButtonMessages kButtons[] = {
    {SDL_BUTTON_LEFT, VK_LBUTTON, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_NCLBUTTONUP},
    {SDL_BUTTON_RIGHT, VK_RBUTTON, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_RBUTTONDBLCLK, WM_NCRBUTTONUP},
    {SDL_BUTTON_MIDDLE, VK_MBUTTON, WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MBUTTONDBLCLK, WM_NCMBUTTONUP},
};

void OnButton(const SDL_MouseButtonEvent& button) {
  const ButtonMessages* messages = nullptr;
  for (const ButtonMessages& candidate : kButtons) {
    if (candidate.button == button.button) messages = &candidate;
  }
  if (messages == nullptr) return;
  const int vk = messages->virtualKey;
  const UINT down = messages->down, up = messages->up, doubleClick = messages->doubleClick;
  const UINT nonClientUp = messages->nonClientUp;
  bool pressed = button.type == SDL_MOUSEBUTTONDOWN;
  ApplyKeyState(State().asyncKeys, vk, false, pressed, false);
  MousePlace place = Place(button.windowID, button.x, button.y);
  if (place.window == nullptr) return;
  HWND handle = place.window->handle;
  bool tracking = MenuStripTracking(handle);
  if (tracking || place.onStrip) {
    MenuStripMouse(*place.window, place.imageX, place.imageY, pressed ? MenuMouse::kDown : MenuMouse::kUp);
    POINT screen = CursorPosition();
    if (place.onStrip && !pressed && FindWindow(handle) != nullptr) {
      QueueInput(Message(handle, nonClientUp, HTMENU, PointParam(screen.x, screen.y)));
    }
    return;
  }
  if (!place.inside) return;
  if (pressed && State().active != handle) {
    // A click on an inactive window asks it how to take the click, then activates it.
    SendMessageA(handle, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(handle), MAKELPARAM(HTCLIENT, down));
    Activate(handle);
    if (FindWindow(handle) == nullptr) return;
  }
  POINT point = place.client;
  HWND target = InputWindowAt(handle, &point);
  Window* window = FindWindow(target);
  if (window == nullptr) return;
  bool doubles = window->windowClass != nullptr && (window->windowClass->style & CS_DBLCLKS);
  UINT message = !pressed ? up : (doubles && button.clicks >= 2 && button.clicks % 2 == 0) ? doubleClick : down;
  QueuePointerMessage(target, message, point, pressed);
}

void OnWindowEvent(const SDL_WindowEvent& event) {
  Window* window = WindowOfSdl(event.windowID);
  if (window == nullptr) return;
  HWND handle = window->handle;
  switch (event.event) {
    case SDL_WINDOWEVENT_CLOSE:
      if (!HasNoCloseButton(handle)) PostMessageA(handle, WM_CLOSE, 0, 0);
      break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      Activate(handle);
      break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
      if (State().active == handle) Activate(nullptr);
      break;
    case SDL_WINDOWEVENT_LEAVE: {
      // The pointer left over the frame: the window hears a move outside its client area, as it would on the
      // way out, and the cursor position follows where it can be known.
      FollowDesktopPointer();
      POINT screen = CursorPosition();
      constexpr WPARAM kNowhere = 0;
      QueueInput(Message(handle, WM_NCMOUSEMOVE, kNowhere, PointParam(screen.x, screen.y)));
      break;
    }
    case SDL_WINDOWEVENT_MINIMIZED:
      SendMessageA(handle, WM_SYSCOMMAND, SC_MINIMIZE, 0);
      break;
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_SIZE_CHANGED:
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_MAXIMIZED:
      PresentWindow(*window);
      break;
    case SDL_WINDOWEVENT_MOVED:
      WindowMovedOnScreen(*window, event.data1, event.data2);
      break;
    default:
      break;
  }
}

}  // namespace

namespace {

std::atomic<bool> sdlWaiting{false};
std::atomic<Uint32> wakeEventType{0};

// When the display's connection was last read for events (SDL's own clock, in milliseconds; 0: never). A look at
// the queue reads it again only once a millisecond has passed: a frame looks at the queue several times in a row,
// and every read of a display's connection is several system calls, whatever it finds. Events already taken
// from the connection, and those pushed to SDL's queue, are taken at every look.
Uint64 lastDisplayRead = 0;

void ReadDisplayEvents() {
  const Uint64 now = SDL_GetTicks64();
  if (lastDisplayRead != 0 && now - lastDisplayRead < 1) return;
  SDL_PumpEvents();
  lastDisplayRead = SDL_GetTicks64();
}

// Whether SDL has a window through which a wait can be woken: without one it would poll instead of blocking.
bool AnySdlWindow() {
  std::lock_guard<std::recursive_mutex> hold(WindowLock());
  for (Window* window : AllWindows()) {
    if (window->surface != nullptr && window->surface->window != nullptr) return true;
  }
  return false;
}

}  // namespace

bool WaitForSdlEvent(DWORD milliseconds, uint64_t wakes) {
  if (!VideoStarted() || !HasDisplay() || !AnySdlWindow()) return false;
  if (wakeEventType.load() == 0) {
    Uint32 type = SDL_RegisterEvents(1);
    if (type == static_cast<Uint32>(-1)) return false;
    wakeEventType.store(type);
  }
  sdlWaiting.store(true);
  // A wake-up that came since the caller looked at the queue would not reach SDL: look again instead.
  if (QueueWakes() == wakes) {
    SDL_WaitEventTimeout(nullptr, milliseconds == INFINITE ? -1 : static_cast<int>(std::min<DWORD>(milliseconds, INT32_MAX)));
    lastDisplayRead = SDL_GetTicks64();  // the wait read the connection as it ended
  }
  sdlWaiting.store(false);
  return true;
}

void WakeSdlWait() {
  if (!sdlWaiting.load()) return;
  SDL_Event event{};
  event.type = wakeEventType.load();
  SDL_PushEvent(&event);  // ends SDL's wait; the event itself means nothing and is passed over
}

void PumpSdlEvents() {
  PresentDrawnWindows();
  if (!VideoStarted()) return;
  // Events wait in one line shared by nested calls: a window procedure that pumps messages while it handles one
  // of these events (a loop of its own on activation) takes the later events in order and none twice.
  static std::deque<SDL_Event> waiting;
  SDL_Event event;
  ReadDisplayEvents();
  while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) waiting.push_back(event);
  while (!waiting.empty()) {
    SDL_Event current = waiting.front();
    waiting.pop_front();
    switch (current.type) {
      case SDL_KEYDOWN:
      case SDL_KEYUP: {
        // The text a key types arrives as the next event; it stays with its key-down for TranslateMessage.
        SDL_Event text{};
        bool typed = current.type == SDL_KEYDOWN && !waiting.empty() && waiting.front().type == SDL_TEXTINPUT;
        if (typed) {
          text = waiting.front();
          waiting.pop_front();
        }
        OnKey(current.key, typed ? text.text.text : nullptr);
        break;
      }
      case SDL_TEXTINPUT:
        OnText(current.text);
        break;
      case SDL_MOUSEMOTION:
        OnMotion(current.motion);
        break;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP:
        OnButton(current.button);
        break;
      case SDL_WINDOWEVENT:
        OnWindowEvent(current.window);
        break;
      default:
        break;
    }
  }
}

}  // namespace host
