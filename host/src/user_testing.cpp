// The test seam's window half: headless mode, injected input (pushed as SDL events, so it takes the same road as
// the user's), and what windows show.
#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <iterator>

#include "gdi_internal.h"
#include "host/testing.h"
#include "key_map.h"
#include "menu_strip.h"
#include "sdl_video.h"
#include "user_state.h"
#include "window_surface.h"

namespace host {
namespace {

Uint32 SdlIdOf(const Window* window) {
  if (window == nullptr || window->surface == nullptr || window->surface->window == nullptr) return 0;
  return SDL_GetWindowID(window->surface->window);
}

// The SDL window point of a client point. The desktop's pointer goes there too: headless, the model of it.
bool OutputPoint(HWND handle, int x, int y, Uint32* id, int* outX, int* outY) {
  Window* window = FindWindow(handle);
  if (window == nullptr || !VideoReady()) return false;
  *id = SdlIdOf(window);
  if (*id == 0) return false;
  int strip = HasMenuStrip(*window) ? MenuStripHeight() : 0;
  ImageToOutput(*window, x, y + strip, outX, outY);
  if (!HasDisplay()) {
    int left = 0, top = 0;
    SDL_GetWindowPosition(window->surface->window, &left, &top);
    ModelDesktopPointer(left + *outX, top + *outY);
  }
  return true;
}

bool CentreOf(const Window& window, const RECT& rect, POINT* point) {
  int strip = HasMenuStrip(window) ? MenuStripHeight() : 0;
  *point = POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2 - strip};
  return true;
}

}  // namespace
}  // namespace host

void HostTestSetHeadless(bool headless) { host::SetHeadless(headless); }

void HostTestKey(int virtualKey, bool down) {
  if (!host::VideoReady()) return;
  SDL_Event event{};
  event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  event.key.windowID = host::SdlIdOf(host::FindWindow(host::State().active));
  event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
  event.key.keysym.scancode = host::ScancodeFromVirtualKey(virtualKey);
  if (virtualKey >= 'A' && virtualKey <= 'Z') {
    event.key.keysym.sym = virtualKey - 'A' + 'a';
  } else if (virtualKey >= '0' && virtualKey <= '9') {
    event.key.keysym.sym = virtualKey;
  } else {
    event.key.keysym.sym = SDL_GetKeyFromScancode(event.key.keysym.scancode);
  }
  SDL_PushEvent(&event);
}

void HostTestText(const char* utf8) {
  if (utf8 == nullptr || !host::VideoReady()) return;
  // SDL carries text in pieces of up to 31 bytes; pieces end on character boundaries.
  size_t length = std::strlen(utf8);
  for (size_t start = 0; start < length;) {
    size_t end = std::min(length, start + SDL_TEXTINPUTEVENT_TEXT_SIZE - 1);
    while (end < length && end > start && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80) --end;
    SDL_Event event{};
    event.type = SDL_TEXTINPUT;
    event.text.windowID = host::SdlIdOf(host::FindWindow(host::State().active));
    std::memcpy(event.text.text, utf8 + start, end - start);
    SDL_PushEvent(&event);
    start = end;
  }
}

void HostTestMouseMove(HWND window, int x, int y) {
  SDL_Event event{};
  Uint32 id = 0;
  if (!host::OutputPoint(window, x, y, &id, &event.motion.x, &event.motion.y)) return;
  event.type = SDL_MOUSEMOTION;
  event.motion.windowID = id;
  SDL_PushEvent(&event);
}

void HostTestMouseButton(HWND window, int button, bool down, int x, int y, int clicks) {
  SDL_Event event{};
  Uint32 id = 0;
  if (!host::OutputPoint(window, x, y, &id, &event.button.x, &event.button.y)) return;
  static const Uint8 kButtons[] = {SDL_BUTTON_LEFT, SDL_BUTTON_RIGHT, SDL_BUTTON_MIDDLE};
  if (button < 0 || button > 2) return;
  event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
  event.button.windowID = id;
  event.button.button = kButtons[button];
  event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
  event.button.clicks = static_cast<Uint8>(clicks);
  SDL_PushEvent(&event);
}

static void PushWindowEvent(HWND window, Uint8 kind) {
  Uint32 id = host::SdlIdOf(host::FindWindow(window));
  if (id == 0) return;
  SDL_Event event{};
  event.type = SDL_WINDOWEVENT;
  event.window.windowID = id;
  event.window.event = kind;
  SDL_PushEvent(&event);
}

void HostTestActivate(HWND window, bool active) {
  PushWindowEvent(window, active ? SDL_WINDOWEVENT_FOCUS_GAINED : SDL_WINDOWEVENT_FOCUS_LOST);
}

void HostTestCloseWindow(HWND window) { PushWindowEvent(window, SDL_WINDOWEVENT_CLOSE); }

void HostTestMouseLeave(HWND window) { PushWindowEvent(window, SDL_WINDOWEVENT_LEAVE); }

void HostTestResetWindowSystem() {
  host::PumpSdlEvents();  // events already pushed are taken, then dropped with the rest
  host::UserState& state = host::State();
  {
    std::lock_guard<std::mutex> hold(state.postLock);
    state.posted.clear();
    state.quitPosted = false;
    state.quitCode = 0;
  }
  state.input.clear();
  state.pendingTranslation = host::PendingTranslation{};
  std::erase_if(state.timers, [](const host::Timer& timer) { return timer.window == nullptr; });
  std::fill(std::begin(state.keys), std::end(state.keys), BYTE{0});
  std::fill(std::begin(state.asyncKeys), std::end(state.asyncKeys), BYTE{0});
  state.cursorShowCount = 0;
  host::ForgetDesktopPointer();
  ChangeDisplaySettingsA(nullptr, 0);
}

bool HostTestLastFrame(HWND handle, HostFrame* frame) {
  host::Window* window = host::FindWindow(handle);
  if (window == nullptr || frame == nullptr || window->presented.width <= 0) return false;
  const host::PresentedImage& image = window->presented;
  frame->width = image.width;
  frame->height = image.height - image.clientTop;
  frame->clientTop = 0;
  frame->pixels.assign(image.pixels.begin() + static_cast<std::ptrdiff_t>(image.clientTop) * image.width,
                       image.pixels.end());
  return true;
}

uint64_t HostTestPresentCount(HWND handle) {
  const host::Window* window = host::FindWindow(handle);
  return window == nullptr ? 0 : window->presented.count;
}

bool HostTestWindowImage(HWND handle, HostFrame* frame) {
  host::Window* window = host::FindWindow(handle);
  if (window == nullptr || frame == nullptr || window->presented.width <= 0) return false;
  frame->width = window->presented.width;
  frame->height = window->presented.height;
  frame->clientTop = window->presented.clientTop;
  frame->pixels = window->presented.pixels;
  return true;
}

bool HostTestMenuEntryPoint(HWND handle, int entry, POINT* point) {
  host::Window* window = host::FindWindow(handle);
  RECT rect;
  return window != nullptr && point != nullptr && host::MenuStripEntryRect(*window, entry, &rect) &&
         host::CentreOf(*window, rect, point);
}

bool HostTestMenuItemPoint(HWND handle, int item, POINT* point) {
  host::Window* window = host::FindWindow(handle);
  RECT rect;
  return window != nullptr && point != nullptr && host::MenuStripDropDownItemRect(*window, item, &rect) &&
         host::CentreOf(*window, rect, point);
}

bool HostTestIsFullscreen(HWND handle) {
  host::Window* window = host::FindWindow(handle);
  return window != nullptr && window->surface != nullptr && window->surface->fullscreen;
}

bool HostTestWindowOutput(HWND handle, HostWindowOutput* output) {
  host::Window* window = host::FindWindow(handle);
  if (window == nullptr || output == nullptr ||
      !host::PicturePlacement(*window, &output->width, &output->height, &output->strip, &output->picture)) {
    return false;
  }
  SDL_GetWindowPosition(window->surface->window, &output->x, &output->y);
  output->resizable = (SDL_GetWindowFlags(window->surface->window) & SDL_WINDOW_RESIZABLE) != 0;
  return true;
}

void HostTestResizeOnScreen(HWND handle, int width, int height) {
  host::Window* window = host::FindWindow(handle);
  if (window != nullptr && window->surface != nullptr && window->surface->window != nullptr) {
    SDL_SetWindowSize(window->surface->window, width, height);
  }
}

bool HostTestCursorShown() { return host::IsCursorShown(); }

HostLiveObjects HostTestLiveObjects() {
  HostLiveObjects live;
  {
    std::lock_guard<std::recursive_mutex> hold(host::WindowLock());
    live.windows = static_cast<int>(host::AllWindows().size());
  }
  live.gdiObjects = host::gdi::CountLiveObjects();
  return live;
}
