// Starting and stopping SDL video for the window calls.
#include "sdl_video.h"

#include <SDL.h>
#include <dlfcn.h>

#include <cstdlib>
#include <cstring>
#include <string>
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
int scale = 1;

// The test seam's desktop pointer, headless.
bool pointerModelled = false;
int modelledX = 0, modelledY = 0;

// The game's picture, which a scale must leave room for on the desktop.
constexpr int kLeastScaledWidth = 640;
constexpr int kLeastScaledHeight = 480;

// Whether the desktop's work area holds a window of the game's picture and a menu strip, scaled by the factor, in
// a window manager's frame, which is not scaled (taken as large as the program's own window frame).
bool GameWindowFits(const SDL_Rect& area, int factor) {
  const int frameWidth = 2 * GetSystemMetrics(SM_CXDLGFRAME);
  const int frameHeight = 2 * GetSystemMetrics(SM_CYDLGFRAME) + GetSystemMetrics(SM_CYCAPTION);
  return kLeastScaledWidth * factor + frameWidth <= area.w &&
         (kLeastScaledHeight + GetSystemMetrics(SM_CYMENUSIZE)) * factor + frameHeight <= area.h;
}

// The display's resource text (the desktop's settings for X programs), read through the display library that the
// video library has loaded already; empty when there is none.
std::string DisplayResources() {
  void* library = dlopen("libX11.so.6", RTLD_LAZY | RTLD_LOCAL);
  if (library == nullptr) return "";
  using OpenDisplay = void* (*)(const char*);
  using ResourceString = char* (*)(void*);
  using CloseDisplay = int (*)(void*);
  auto open = reinterpret_cast<OpenDisplay>(dlsym(library, "XOpenDisplay"));
  auto resources = reinterpret_cast<ResourceString>(dlsym(library, "XResourceManagerString"));
  auto close = reinterpret_cast<CloseDisplay>(dlsym(library, "XCloseDisplay"));
  std::string text;
  if (open != nullptr && resources != nullptr && close != nullptr) {
    if (void* connection = open(nullptr)) {
      if (const char* found = resources(connection)) text = found;
      close(connection);
    }
  }
  dlclose(library);
  return text;
}

// The whole factor that $GDK_SCALE gives (1 to 16), or 0 when it gives none.
int VariableScale(const char* gdkScale) {
  if (gdkScale == nullptr || gdkScale[0] == '\0') return 0;
  char* end = nullptr;
  long factor = std::strtol(gdkScale, &end, 10);
  return *end == '\0' && factor >= 1 && factor <= 16 ? static_cast<int>(factor) : 0;
}

// The desktop's scale for the display SDL shows windows on. A compositor that SDL draws for directly scales
// windows itself; X programs are scaled by themselves. The display's resources, which take a connection of their
// own, are read only when $GDK_SCALE gives no factor. A scale at which the game's window would not fit the
// desktop's work area gives way to the largest that fits.
int ScaleOfDisplay() {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver == nullptr || std::strcmp(driver, "x11") != 0) return 1;
  SDL_Rect area;
  if (SDL_GetDisplayUsableBounds(0, &area) != 0) return 1;
  int factor = VariableScale(std::getenv("GDK_SCALE"));
  if (factor == 0) factor = DesktopScaleFrom(nullptr, DisplayResources().c_str());
  while (factor > 1 && !GameWindowFits(area, factor)) --factor;
  return factor;
}

}  // namespace

int DesktopScaleFrom(const char* gdkScale, const char* resources) {
  if (const int factor = VariableScale(gdkScale); factor != 0) return factor;
  // Lines of "name:\tvalue"; the fonts' resolution may be written with a fraction.
  std::string text = resources != nullptr ? resources : "";
  for (size_t at = 0; at < text.size();) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    at = end + 1;
    const std::string name = "Xft.dpi:";
    if (line.compare(0, name.size(), name) != 0) continue;
    double dpi = std::strtod(line.c_str() + name.size(), nullptr);
    if (dpi >= 96 && dpi < 96 * 17) return static_cast<int>(dpi / 96);
    return 1;
  }
  return 1;
}

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
  const char* driver = SDL_GetCurrentVideoDriver();
  display = !headless && driver != nullptr && std::strcmp(driver, "dummy") != 0 &&
            std::strcmp(driver, "offscreen") != 0;
  scale = display ? ScaleOfDisplay() : 1;
  int width = 0, height = 0;
  DesktopSize(&width, &height);
  HostSetScreenSize(width, height);
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
  ForgetDesktopPointer();
  if (started) {
    // Windows keep their frame buffers; their SDL windows are made again on the new driver.
    std::lock_guard<std::recursive_mutex> hold(WindowLock());
    for (Window* window : AllWindows()) DestroyWindowSurface(*window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    started = false;
    display = false;
    scale = 1;
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

int DesktopScale() { return scale; }

void FollowDesktopPointer() {
  if (State().emulatedMode) return;
  int x = modelledX, y = modelledY;
  if (HasDisplay()) {
    SDL_GetGlobalMouseState(&x, &y);
  } else if (!pointerModelled) {
    return;
  }
  SetCursorPosition(DesktopToScreen(x, y));
}

void ModelDesktopPointer(int x, int y) {
  pointerModelled = true;
  modelledX = x;
  modelledY = y;
}

void ForgetDesktopPointer() { pointerModelled = false; }

void DesktopSize(int* width, int* height) {
  SDL_DisplayMode mode;
  if (VideoReady() && SDL_GetDesktopDisplayMode(0, &mode) == 0 && mode.w > 0 && mode.h > 0) {
    *width = mode.w / scale;
    *height = mode.h / scale;
  } else {
    *width = 1024;
    *height = 768;
  }
}

}  // namespace host
