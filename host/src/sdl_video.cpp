// Starting and stopping SDL video for the window calls.
#include "sdl_video.h"

#include <SDL.h>

#include <cstring>
#include <utility>

#include "font_faces.h"
#include "gdi_internal.h"
#include "user_state.h"
#include "window_surface.h"

namespace host {
namespace {

bool started = false;
bool headless = false;
bool display = false;

}  // namespace

bool VideoReady() {
  if (started) return true;
  // Windows draw text: the font database is read meanwhile.
  gdi::BeginLoadingFonts();
  // The host owns signals, the screen saver setting and the behaviour on focus loss; SDL must leave them alone.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
  if (headless) SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "dummy", SDL_HINT_OVERRIDE);
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    if (headless) return false;
    // No display to be had: carry on headless rather than fail every window call.
    headless = true;
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "dummy", SDL_HINT_OVERRIDE);
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
  }
  started = true;
  int width = 0, height = 0;
  DesktopSize(&width, &height);
  HostSetScreenSize(width, height);
  const char* driver = SDL_GetCurrentVideoDriver();
  display = !headless && driver != nullptr && std::strcmp(driver, "dummy") != 0 &&
            std::strcmp(driver, "offscreen") != 0;
  // The lock keys start as the keyboard has them.
  SDL_Keymod locks = SDL_GetModState();
  UserState& state = State();
  const std::pair<SDL_Keymod, int> kLocks[] = {{KMOD_CAPS, VK_CAPITAL}, {KMOD_NUM, VK_NUMLOCK}, {KMOD_SCROLL, VK_SCROLL}};
  for (const auto& [mod, key] : kLocks) {
    if (locks & mod) {
      state.keys[key] |= 0x01;
      state.asyncKeys[key] |= 0x01;
    }
  }
  if (State().screenSaverActive) {
    SDL_EnableScreenSaver();
  } else {
    SDL_DisableScreenSaver();
  }
  return true;
}

bool VideoStarted() { return started; }

bool HasDisplay() { return started && display; }

void SetHeadless(bool on) {
  if (on == headless && !(started && on && display)) return;
  headless = on;
  if (started) {
    // Windows keep their frame buffers; their SDL windows are made again on the new driver.
    std::lock_guard<std::recursive_mutex> hold(WindowLock());
    for (Window* window : AllWindows()) DestroyWindowSurface(*window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    started = false;
    display = false;
  }
  if (on) {
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "dummy", SDL_HINT_OVERRIDE);
  } else {
    SDL_ResetHint(SDL_HINT_VIDEODRIVER);
  }
  std::lock_guard<std::recursive_mutex> hold(WindowLock());
  for (Window* window : AllWindows()) SyncWindowSurface(*window);
}

bool IsHeadless() { return headless; }

void DesktopSize(int* width, int* height) {
  SDL_DisplayMode mode;
  if (VideoReady() && SDL_GetDesktopDisplayMode(0, &mode) == 0 && mode.w > 0 && mode.h > 0) {
    *width = mode.w;
    *height = mode.h;
  } else {
    *width = 1024;
    *height = 768;
  }
}

}  // namespace host
