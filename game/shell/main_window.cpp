// The main window: creation in either mode, display modes, run-time switching, the menu bar and message boxes.
#include "game/shell/main_window.h"

#include <cstring>
#include <memory>

#include "game/graphics/region.h"
#include "host/gdi.h"
#include "host/kernel.h"

namespace {

std::unique_ptr<MainWindow>& TheWindow() {
  static auto* window = new std::unique_ptr<MainWindow>;
  return *window;
}

bool FindExact(const std::function<bool(DWORD, DEVMODEA*)>& enumerate, int32_t width, int32_t height, int32_t depth,
               DEVMODEA* found) {
  for (DWORD index = 0;; ++index) {
    DEVMODEA mode;
    std::memset(&mode, 0, sizeof mode);
    mode.dmSize = sizeof mode;
    if (!enumerate(index, &mode)) return false;
    if (static_cast<int32_t>(mode.dmPelsWidth) == width && static_cast<int32_t>(mode.dmPelsHeight) == height &&
        static_cast<int32_t>(mode.dmBitsPerPel) == depth) {
      *found = mode;
      return true;
    }
    if (index > 100000) return false;  // a bound for an enumerator that never ends
  }
}

int MessageBoxWithWindowInactive(const std::string& text, const std::string& caption, UINT type) {
  MainWindow* window = GetMainWindow();
  if (window != nullptr) window->SetActive(false);
  int answer = MessageBoxA(nullptr, text.c_str(), caption.c_str(), type);
  if (window != nullptr) window->SetActive(true);
  return answer;
}

}  // namespace

bool FindDisplayMode(const std::function<bool(DWORD, DEVMODEA*)>& enumerate, int32_t width, int32_t height,
                     int32_t* depth, DEVMODEA* found) {
  int32_t d = *depth;
  bool ok = FindExact(enumerate, width, height, d, found);
  if (!ok && d == 32) {
    d = 24;
    ok = FindExact(enumerate, width, height, d, found);
  }
  if (!ok && d == 24) {
    d = 32;
    ok = FindExact(enumerate, width, height, d, found);
  }
  if (!ok && d == 32) {
    d = 16;
    ok = FindExact(enumerate, width, height, d, found);
  }
  if (ok) *depth = d;
  return ok;
}

MainWindow::MainWindow(int32_t width, int32_t height, int32_t depth, bool wantFullscreen, bool menuBar,
                       const std::string& title, const StartupWindowParams& params)
    : width_(width),
      height_(height),
      depth_(depth),
      title_(title),
      wantFullscreen_(wantFullscreen),
      hasMenuBar_(menuBar),
      instance_(params.instance),
      windowProc_(params.windowProc) {}

MainWindow::~MainWindow() { Destroy(); }

void MainWindow::OuterSize(bool withMenu, int32_t* width, int32_t* height) const {
  if (fullscreen_) {
    *width = width_;
    *height = height_;
    return;
  }
  *width = width_ + 2 * GetSystemMetrics(SM_CXDLGFRAME);
  *height = height_ + 2 * GetSystemMetrics(SM_CYDLGFRAME) + GetSystemMetrics(SM_CYCAPTION) +
            (withMenu ? GetSystemMetrics(SM_CYMENUSIZE) : 0);
}

void MainWindow::ApplyMenuBar() {
  int32_t width = 0, height = 0;
  if (!hasMenuBar_ || fullscreen_) {
    hasMenuBar_ = false;
    SetMenu(window_, nullptr);
    if (!fullscreen_) {
      OuterSize(false, &width, &height);
      SetWindowPos(window_, HWND_TOP, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
    }
  } else {
    OuterSize(true, &width, &height);
    SetWindowPos(window_, HWND_TOP, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
    SetMenu(window_, menu_);
  }
  DrawMenuBar(window_);
}

void MainWindow::Centre() {
  RECT rect{};
  GetWindowRect(window_, &rect);
  int32_t x = (GetSystemMetrics(SM_CXSCREEN) - width_) / 2;
  int32_t y = (GetSystemMetrics(SM_CYSCREEN) - height_) / 2;
  // A format rule of the window: centred, it is one pixel wider and higher than its rectangle was.
  SetWindowPos(window_, HWND_TOP, x, y, rect.right - rect.left + 1, rect.bottom - rect.top + 1, SWP_NOZORDER);
}

int32_t MainWindow::Create(bool fullscreen) {
  fullscreen_ = fullscreen;
  WNDCLASSA windowClass{};
  windowClass.style = CS_DBLCLKS | CS_OWNDC;
  windowClass.lpfnWndProc = windowProc_ != nullptr ? windowProc_ : DefWindowProcA;
  windowClass.hInstance = instance_;
  windowClass.hIcon = LoadIconA(instance_, MAKEINTRESOURCEA(kProgramIconId));
  std::string className = ClassName();
  windowClass.lpszClassName = className.c_str();
  if (RegisterClassA(&windowClass) == 0) return 1;

  int32_t width = 0, height = 0;
  OuterSize(hasMenuBar_, &width, &height);
  int32_t x = fullscreen_ ? 0 : 10, y = fullscreen_ ? 0 : 10;
  window_ = CreateWindowExA(0, className.c_str(), title_.c_str(), fullscreen_ ? kFullscreenStyle : kWindowedStyle, x,
                            y, width, height, nullptr, nullptr, instance_, nullptr);
  if (window_ != nullptr) {
    deviceContext_ = GetDC(window_);
    if (deviceContext_ != nullptr) ReleaseDC(window_, deviceContext_);
  }
  if (window_ == nullptr || deviceContext_ == nullptr) {
    if (window_ != nullptr) DestroyWindow(window_);
    window_ = nullptr;
    deviceContext_ = nullptr;
    UnregisterClassA(className.c_str(), instance_);
    return -1;
  }
  ApplyMenuBar();
  int32_t result = 0;
  if (fullscreen_) {
    result = SetDisplayMode(width_, height_, depth_, true);
    if (result != 0) result = SetFullscreen(false);
  } else {
    Centre();
  }
  created_ = true;
  return result;
}

int32_t MainWindow::SetDisplayMode(int32_t width, int32_t height, int32_t depth, bool fullscreen) {
  DEVMODEA mode;
  int32_t d = depth;
  auto enumerate = [](DWORD index, DEVMODEA* out) { return EnumDisplaySettingsA(nullptr, index, out) != 0; };
  if (FindDisplayMode(enumerate, width, height, &d, &mode)) {
    mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
    DWORD flags = 0;
    if (fullscreen) {
      flags = CDS_FULLSCREEN;
      SetCursor(nullptr);
    }
    if (ChangeDisplaySettingsA(&mode, flags) == DISP_CHANGE_SUCCESSFUL) return 0;
    mode.dmPelsWidth = static_cast<DWORD>(width);
    mode.dmPelsHeight = static_cast<DWORD>(height);
    mode.dmBitsPerPel = static_cast<DWORD>(d);
    if (ChangeDisplaySettingsA(&mode, flags) == DISP_CHANGE_SUCCESSFUL) return 0;
    mode.dmFields = DM_BITSPERPEL;
    LONG last = ChangeDisplaySettingsA(&mode, flags);
    if (last == DISP_CHANGE_SUCCESSFUL) {
      mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
      last = ChangeDisplaySettingsA(&mode, flags);
      if (last == DISP_CHANGE_SUCCESSFUL) return 0;
    }
    if (last == DISP_CHANGE_RESTART) ChangeDisplaySettingsA(nullptr, 0);
  }
  fullscreen_ = fullscreen;
  return -1;
}

int32_t MainWindow::SetFullscreen(bool on) {
  active_ = false;
  wantFullscreen_ = on;
  int32_t result = 0;
  if (on != fullscreen_ && window_ != nullptr) {
    fullscreen_ = on;
    SetWindowLongA(window_, GWL_STYLE, static_cast<LONG>(on ? kFullscreenStyle : kWindowedStyle));
    int32_t width = 0, height = 0;
    OuterSize(hasMenuBar_, &width, &height);
    SetWindowPos(window_, HWND_TOP, on ? 0 : 10, on ? 0 : 10, width, height, SWP_SHOWWINDOW);
    if (on) {
      // A mode that cannot be set leaves the window windowed, and windowed is what is wanted from then on: the
      // activations do not try the switch again.
      if (SetDisplayMode(width_, height_, depth_, true) != 0) result = SetFullscreen(false);
    } else {
      result = ChangeDisplaySettingsA(nullptr, 0);
      fullscreen_ = false;
      Centre();
      ApplyMenuBar();
    }
  }
  active_ = true;
  return result;
}

void MainWindow::OnActivate(bool active) {
  if (!active_ || window_ == nullptr) return;
  if (active) {
    if (wantFullscreen_ != fullscreen_) {
      SetFullscreen(wantFullscreen_);
      ShowWindow(window_, SW_SHOW);
      BringWindowToTop(window_);
      SetActiveWindow(window_);
    }
  } else if (fullscreen_) {
    bool wanted = wantFullscreen_;
    SetFullscreen(false);
    wantFullscreen_ = wanted;
  }
}

void MainWindow::HideMenuBar() {
  hasMenuBar_ = false;
  if (window_ == nullptr) return;
  ApplyMenuBar();
}

void MainWindow::ShowMenuBar() {
  hasMenuBar_ = true;
  if (window_ == nullptr) return;
  if (fullscreen_) {
    SetMenu(window_, nullptr);
    DrawMenuBar(window_);
  } else {
    ApplyMenuBar();
  }
}

void MainWindow::InvalidateRegion(const Region& region) {
  if (!created_) return;
  InvalidateRgn(window_, region.Handle(), FALSE);
  UpdateWindow(window_);
}

void MainWindow::InvalidateAll() {
  Region all(Bounds{0, 0, width_, height_});
  InvalidateRegion(all);
}

bool MainWindow::ContainsCursor() const {
  if (window_ == nullptr) return false;
  POINT cursor{};
  RECT rect{};
  if (!GetCursorPos(&cursor) || !GetWindowRect(window_, &rect)) return false;
  return cursor.x >= rect.left && cursor.x < rect.right && cursor.y >= rect.top && cursor.y < rect.bottom;
}

void MainWindow::Show() {
  if (window_ != nullptr) ShowWindow(window_, SW_SHOW);
}

void MainWindow::BringToFront() {
  if (window_ == nullptr) return;
  BringWindowToTop(window_);
  SetActiveWindow(window_);
}

void MainWindow::Destroy() {
  if (fullscreen_) {
    ChangeDisplaySettingsA(nullptr, 0);
    fullscreen_ = false;
  }
  if (window_ != nullptr) ShowWindow(window_, SW_HIDE);
  if (created_) {
    if (IsWindow(window_)) {
      ReleaseDC(window_, deviceContext_);
      DestroyWindow(window_);
    }
    UnregisterClassA(ClassName().c_str(), instance_);
    created_ = false;
  }
  window_ = nullptr;
  deviceContext_ = nullptr;
}

MainWindow* GetMainWindow() { return TheWindow().get(); }
void SetMainWindow(std::unique_ptr<MainWindow> window) { TheWindow() = std::move(window); }

MainWindow* FindWindowObject(HWND window) {
  MainWindow* active = GetMainWindow();
  return (active != nullptr && active->GetNativeWindow() == window) ? active : nullptr;
}

void ShowAlert(const std::string& text, const std::string& caption) {
  MessageBoxWithWindowInactive(text, caption, MB_TASKMODAL);
}

bool AskYesNo(const std::string& text, const std::string& caption) {
  return MessageBoxWithWindowInactive(text, caption, MB_TASKMODAL | MB_YESNO) == IDYES;
}

bool AskYesNoWarning(const std::string& text, const std::string& caption) {
  return MessageBoxWithWindowInactive(text, caption, MB_TASKMODAL | MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) ==
         IDYES;
}
