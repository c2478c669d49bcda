// The page opener.
#include "tools/page_viewer/page_window.h"

#include "host/kernel.h"
#include "host/user.h"
#include "platform/core/core.h"

namespace {

constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr UINT_PTR kIdleTimer = 1;
constexpr UINT kIdleTimerPeriod = 100;  // milliseconds: the idle work runs at least this often

}  // namespace

PageWindow::PageWindow(InterfacePageCallback callback, void* userData) : callback_(callback), userData_(userData) {
  InterfaceSystem::Initialize();
}

PageWindow::~PageWindow() {
  if (IsOpen()) InterfacePage::Close(page_);
  if (IsWindow(window_)) DestroyWindow(window_);
}

PlatformError PageWindow::Open(FolderRef folder, const char* path, const char* section) {
  if (!InterfaceSystem::IsInitialized()) {
    PlatformError error = InterfaceSystem::Initialize();
    if (error != kPlatformNoError) return error;
  }
  if (!IsOpen()) {
    window_ = CreateWindowExA(0, "interface_tool_closebox", "", kWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT, 400, 300,
                              nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (window_ == nullptr) return kInterfaceErrWindowClass;
    RECT client{0, 0, 400, 300};
    AdjustWindowRect(&client, kWindowStyle, FALSE);
    SetWindowPos(window_, HWND_TOP, 0, 0, client.right - client.left, client.bottom - client.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    PlatformError error = InterfacePage::Attach(window_, nullptr, callback_, userData_, nullptr, &page_);
    if (error != kPlatformNoError || page_ == nullptr) {
      if (page_ != nullptr) InterfacePage::Close(page_);
      DestroyWindow(window_);
      window_ = nullptr;
      return error != kPlatformNoError ? error : kPlatformErrNoMemory;
    }
    // The window is the page's: the page hides and destroys it when it closes.
    page_->ownWindow = 1;
    page_->result = result_;
    SetTimer(window_, kIdleTimer, kIdleTimerPeriod, nullptr);
  }
  PlatformError error = InterfacePage::Open(page_, folder, path, section);
  if (!IsOpen()) return error;
  // The window takes the size of the page's layout, with the page at its top-left corner.
  const Rect layout = page_->layoutRect;
  const LONG width = static_cast<LONG>(layout.Width() > 0 ? layout.Width() : 1);
  const LONG height = static_cast<LONG>(layout.Height() > 0 ? layout.Height() : 1);
  RECT frame{0, 0, width, height}, client{};
  AdjustWindowRect(&frame, kWindowStyle, FALSE);
  GetClientRect(window_, &client);
  if (client.right != width || client.bottom != height) {
    // A shown page window keeps its size (it answers so when asked): it is hidden while it takes the new one.
    ShowWindow(window_, SW_HIDE);
    SetWindowPos(window_, HWND_TOP, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  const Rect area{0, 0, width, height};
  InterfacePage::MoveTo(page_, &area);
  InvalidateRect(window_, nullptr, TRUE);
  // Showing the window activates it, and an activated page moves its focus on unless a window is pending: the
  // window the open focused is made the pending one, so that the page keeps it.
  if (page_->focus != nullptr) page_->pendingFocusWindow = page_->focus->window;
  ShowWindow(window_, SW_SHOW);
  if (IsOpen()) page_->pendingFocusWindow = nullptr;  // a window that was active already took none
  return error;
}

bool PageWindow::PumpOnce() {
  MSG message;
  while (!quit_ && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      quit_ = true;
      quitCode_ = static_cast<int>(message.wParam);
      break;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  PlatformRunIdleProcs();
  return IsOpen() && !quit_;
}

int PageWindow::Run() {
  while (PumpOnce()) {
    MSG message;
    // Waits for the next message (the idle timer comes at least every period).
    if (!GetMessageA(&message, nullptr, 0, 0)) {
      quit_ = true;
      quitCode_ = static_cast<int>(message.wParam);
      break;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return quitCode_;
}
