// Display modes, system metrics and the screen saver switch.
//
// The real display mode is never changed. The modes offered are the usual window sizes that fit the desktop, at
// 16 and 32 bits per pixel, plus the desktop itself; choosing one only records it, and the window that covers the
// recorded screen is then shown desktop-fullscreen with its frame scaled up (window_surface.cpp).
#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "gdi_internal.h"
#include "sdl_video.h"
#include "user_state.h"
#include "window_surface.h"

namespace host {
namespace {

constexpr int kDialogFrame = 3;
constexpr int kCaptionHeight = 20;
constexpr int kMenuHeight = 20;
constexpr int kScrollThumbSize = 16;  // scroll bars' thumbs and arrows
constexpr DWORD kFrequency = 60;

struct Mode {
  int width;
  int height;
  int bits;
};

std::vector<Mode> OfferedModes() {
  int desktopWidth = 0, desktopHeight = 0;
  DesktopSize(&desktopWidth, &desktopHeight);
  std::vector<std::pair<int, int>> sizes = {{640, 480},   {800, 600},   {1024, 768},
                                            {1280, 720},  {1280, 1024}, {1920, 1080}};
  sizes.erase(std::remove_if(sizes.begin(), sizes.end(),
                             [&](const std::pair<int, int>& size) {
                               // 640 x 480 is always offered: a smaller desktop shows it cut at the edges.
                               return (size.first > desktopWidth || size.second > desktopHeight) &&
                                      size.first != 640;
                             }),
              sizes.end());
  if (std::find(sizes.begin(), sizes.end(), std::make_pair(desktopWidth, desktopHeight)) == sizes.end()) {
    sizes.emplace_back(desktopWidth, desktopHeight);
  }
  std::sort(sizes.begin(), sizes.end());
  std::vector<Mode> modes;
  for (int bits : {16, 32}) {
    for (const auto& size : sizes) modes.push_back(Mode{size.first, size.second, bits});
  }
  return modes;
}

void Describe(const Mode& mode, DEVMODEA* out) {
  std::memset(out, 0, sizeof(*out));
  std::strncpy(out->dmDeviceName, "DISPLAY", sizeof(out->dmDeviceName) - 1);
  out->dmSize = sizeof(DEVMODEA);
  out->dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY;
  out->dmBitsPerPel = static_cast<DWORD>(mode.bits);
  out->dmPelsWidth = static_cast<DWORD>(mode.width);
  out->dmPelsHeight = static_cast<DWORD>(mode.height);
  out->dmDisplayFrequency = kFrequency;
}

Mode CurrentMode() {
  UserState& state = State();
  if (state.emulatedMode) {
    return Mode{static_cast<int>(state.mode.dmPelsWidth), static_cast<int>(state.mode.dmPelsHeight),
                static_cast<int>(state.mode.dmBitsPerPel)};
  }
  Mode mode{0, 0, 32};
  DesktopSize(&mode.width, &mode.height);
  return mode;
}

// Every window follows a change of the screen; so does what the drawing layer reports of the screen.
void SyncAllWindows() {
  int width = 0, height = 0;
  ScreenSize(&width, &height);
  HostSetScreenSize(width, height);
  std::vector<HWND> handles;
  {
    std::lock_guard<std::recursive_mutex> hold(WindowLock());
    for (Window* window : AllWindows()) handles.push_back(window->handle);
  }
  for (HWND handle : handles) {
    Window* window = FindWindow(handle);
    if (window != nullptr) SyncWindowSurface(*window);
  }
}

}  // namespace
}  // namespace host

BOOL EnumDisplaySettingsA(LPCSTR deviceName, DWORD modeIndex, DEVMODEA* mode) {
  if (mode == nullptr || (deviceName != nullptr && deviceName[0] != '\0' && std::strcmp(deviceName, "DISPLAY") != 0)) {
    return FALSE;
  }
  if (modeIndex == ENUM_CURRENT_SETTINGS) {
    host::Describe(host::CurrentMode(), mode);
    return TRUE;
  }
  if (modeIndex == ENUM_REGISTRY_SETTINGS) {
    host::Mode desktop{0, 0, 32};
    host::DesktopSize(&desktop.width, &desktop.height);
    host::Describe(desktop, mode);
    return TRUE;
  }
  std::vector<host::Mode> modes = host::OfferedModes();
  if (modeIndex >= modes.size()) return FALSE;
  host::Describe(modes[modeIndex], mode);
  return TRUE;
}

LONG ChangeDisplaySettingsA(DEVMODEA* mode, DWORD flags) {
  host::UserState& state = host::State();
  if ((flags & ~(CDS_UPDATEREGISTRY | CDS_TEST | CDS_FULLSCREEN)) != 0) return DISP_CHANGE_BADFLAGS;
  if (mode == nullptr) {
    // Back to the desktop.
    if (state.emulatedMode) {
      state.emulatedMode = false;
      host::SyncAllWindows();
    }
    return DISP_CHANGE_SUCCESSFUL;
  }
  if (mode->dmSize != sizeof(DEVMODEA)) return DISP_CHANGE_BADPARAM;
  host::Mode wanted = host::CurrentMode();
  if (mode->dmFields & DM_PELSWIDTH) wanted.width = static_cast<int>(mode->dmPelsWidth);
  if (mode->dmFields & DM_PELSHEIGHT) wanted.height = static_cast<int>(mode->dmPelsHeight);
  if (mode->dmFields & DM_BITSPERPEL) wanted.bits = static_cast<int>(mode->dmBitsPerPel);
  std::vector<host::Mode> modes = host::OfferedModes();
  bool offered = std::any_of(modes.begin(), modes.end(), [&](const host::Mode& m) {
    return m.width == wanted.width && m.height == wanted.height && m.bits == wanted.bits;
  });
  if (!offered) return DISP_CHANGE_BADMODE;
  if (flags & CDS_TEST) return DISP_CHANGE_SUCCESSFUL;
  host::Describe(wanted, &state.mode);
  state.emulatedMode = true;
  host::SyncAllWindows();
  return DISP_CHANGE_SUCCESSFUL;
}

int GetSystemMetrics(int index) {
  int width = 0, height = 0;
  switch (index) {
    case SM_CXSCREEN:
      host::ScreenSize(&width, &height);
      return width;
    case SM_CYSCREEN:
      host::ScreenSize(&width, &height);
      return height;
    case SM_CYCAPTION: return host::kCaptionHeight;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME: return host::kDialogFrame;
    case SM_CYMENU:
    case SM_CXMENUSIZE:
    case SM_CYMENUSIZE: return host::kMenuHeight;
    case SM_MOUSEPRESENT: return 1;
    case SM_SWAPBUTTON: return 0;
    case SM_CYVTHUMB:
    case SM_CXHTHUMB: return host::kScrollThumbSize;
    default: return 0;
  }
}

BOOL SystemParametersInfoA(UINT action, UINT uiParam, LPVOID pvParam, UINT winIni) {
  host::UserState& state = host::State();
  switch (action) {
    case SPI_GETSCREENSAVEACTIVE:
      if (pvParam == nullptr) return FALSE;
      *static_cast<BOOL*>(pvParam) = state.screenSaverActive ? TRUE : FALSE;
      return TRUE;
    case SPI_SETSCREENSAVEACTIVE:
      // Only this process's inhibition of the screen saver changes, never the desktop's own setting.
      state.screenSaverActive = uiParam != 0;
      if (host::VideoReady()) {
        if (state.screenSaverActive) {
          SDL_EnableScreenSaver();
        } else {
          SDL_DisableScreenSaver();
        }
      }
      return TRUE;
    default:
      return FALSE;
  }
}
