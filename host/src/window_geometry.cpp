// Where windows are and whether they show: rectangles, styles, showing and hiding, the active window, looking up
// windows by position and walking them, and the menu keys and system commands of the default window procedure.
#include <SDL.h>

#include <algorithm>
#include <mutex>
#include <vector>

#include "menu_strip.h"
#include "sdl_video.h"
#include "user_state.h"
#include "window_surface.h"

namespace host {

namespace {

bool IsTopLevel(const Window& window) { return !(window.style & WS_CHILD); }

bool IsShown(const Window* window) {
  while (window != nullptr) {
    if (!(window->style & WS_VISIBLE)) return false;
    window = window->parent != nullptr ? FindWindow(window->parent) : nullptr;
  }
  return true;
}

std::vector<HWND> Handles() {
  std::vector<HWND> handles;
  std::lock_guard<std::recursive_mutex> hold(WindowLock());
  for (Window* window : AllWindows()) handles.push_back(window->handle);
  return handles;
}

bool Contains(const RECT& rect, POINT point) {
  return point.x >= rect.left && point.x < rect.right && point.y >= rect.top && point.y < rect.bottom;
}

// The window rectangle in screen coordinates, also for a child (whose rectangle is kept relative to its parent).
RECT ScreenRect(const Window& window) {
  RECT rect = window.bounds;
  if (window.parent != nullptr) {
    Window* parent = FindWindow(window.parent);
    if (parent != nullptr) {
      RECT client = ClientRectOf(*parent);
      POINT origin{client.left, client.top};
      if (parent->parent != nullptr) {
        RECT parentScreen = ScreenRect(*parent);
        RECT insets = NonClientInsets(parent->style);
        origin = POINT{parentScreen.left + insets.left, parentScreen.top + insets.top};
      }
      rect.left += origin.x;
      rect.right += origin.x;
      rect.top += origin.y;
      rect.bottom += origin.y;
    }
  }
  return rect;
}

RECT ScreenClientRect(const Window& window) {
  RECT client = ClientRectOf(window);
  if (window.parent == nullptr) return client;
  RECT screen = ScreenRect(window);
  return RECT{client.left - window.bounds.left + screen.left, client.top - window.bounds.top + screen.top,
              client.right - window.bounds.left + screen.left, client.bottom - window.bounds.top + screen.top};
}

HWND ChildAt(const Window& parent, POINT screenPoint, UINT flags) {
  // Later children lie above earlier ones.
  std::vector<HWND> handles = Handles();
  for (auto it = handles.rbegin(); it != handles.rend(); ++it) {
    Window* child = FindWindow(*it);
    if (child == nullptr || child->parent != parent.handle) continue;
    if ((flags & CWP_SKIPINVISIBLE) && !(child->style & WS_VISIBLE)) continue;
    if ((flags & CWP_SKIPDISABLED) && (child->style & WS_DISABLED)) continue;
    if (Contains(ScreenRect(*child), screenPoint)) return child->handle;
  }
  return nullptr;
}

// The top-level windows from the top down: the active window lies above the others; among the rest, later windows
// lie above earlier ones.
std::vector<HWND> TopDown() {
  std::vector<HWND> order = Handles();
  std::reverse(order.begin(), order.end());
  if (State().active != nullptr) order.insert(order.begin(), State().active);
  return order;
}

// Asks a top-level window for its track sizes (WM_GETMINMAXINFO) and keeps a new size within them.
void KeepWithinTrackSizes(HWND handle, int* width, int* height) {
  Window* window = FindWindow(handle);
  if (window == nullptr) return;
  constexpr LONG kUnlimited = 0x7FFFFFFF;
  MINMAXINFO info{};
  info.ptMaxSize = POINT{window->bounds.right - window->bounds.left, window->bounds.bottom - window->bounds.top};
  info.ptMaxPosition = POINT{window->bounds.left, window->bounds.top};
  info.ptMaxTrackSize = POINT{kUnlimited, kUnlimited};
  SendMessageA(handle, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  *width = std::max<int>(std::min<int>(*width, info.ptMaxTrackSize.x), info.ptMinTrackSize.x);
  *height = std::max<int>(std::min<int>(*height, info.ptMaxTrackSize.y), info.ptMinTrackSize.y);
}

}  // namespace

bool HasNoCloseButton(HWND handle) {
  Window* window = FindWindow(handle);
  return window != nullptr && window->windowClass != nullptr && (window->windowClass->style & CS_NOCLOSE);
}

void Activate(HWND handle) {
  UserState& state = State();
  Window* target = FindWindow(handle);
  if (target != nullptr && (!IsTopLevel(*target) || !(target->style & WS_VISIBLE) || target->destroying)) return;
  if (state.active == handle) return;
  HWND previous = state.active;
  state.active = handle;
  if (previous != nullptr && FindWindow(previous) != nullptr) {
    MenuStripCancel(previous);
    SendMessageA(previous, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), reinterpret_cast<LPARAM>(handle));
    if (handle == nullptr) SendMessageA(previous, WM_ACTIVATEAPP, FALSE, 0);
    FocusLeavesInactive(previous);
  }
  if (handle != nullptr && FindWindow(handle) != nullptr && state.active == handle) {
    if (previous == nullptr) SendMessageA(handle, WM_ACTIVATEAPP, TRUE, 0);
    SendMessageA(handle, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0), reinterpret_cast<LPARAM>(previous));
  }
}

POINT DesktopToScreen(int x, int y) {
  for (HWND handle : TopDown()) {
    Window* window = FindWindow(handle);
    if (window == nullptr || !IsTopLevel(*window) || !(window->style & WS_VISIBLE) || window->surface == nullptr ||
        window->surface->window == nullptr) {
      continue;
    }
    int left = 0, top = 0, width = 0, height = 0;
    SDL_GetWindowPosition(window->surface->window, &left, &top);
    SDL_GetWindowSize(window->surface->window, &width, &height);
    if (x < left || y < top || x >= left + width || y >= top + height) continue;
    int imageX = 0, imageY = 0;
    OutputToImage(*window, x - left, y - top, &imageX, &imageY);
    RECT client = ClientRectOf(*window);
    const int strip = HasMenuStrip(*window) ? MenuStripHeight() : 0;
    return POINT{client.left + imageX, client.top - strip + imageY};
  }
  const int scale = DesktopScale();
  return POINT{x / scale, y / scale};
}

void ApplySystemCommand(HWND handle, WPARAM command, LPARAM lParam) {
  Window* window = FindWindow(handle);
  if (window == nullptr) return;
  switch (command & 0xFFF0) {
    case SC_CLOSE:
      SendMessageA(handle, WM_CLOSE, 0, 0);
      break;
    case SC_KEYMENU:
      MenuStripOpenByKey(*window, static_cast<char>(lParam & 0xFF));
      break;
    case SC_MINIMIZE:
      if (window->surface != nullptr && window->surface->window != nullptr) {
        SDL_MinimizeWindow(window->surface->window);
      }
      break;
    case SC_RESTORE:
      if (window->surface != nullptr && window->surface->window != nullptr) SDL_RestoreWindow(window->surface->window);
      break;
    default:
      break;
  }
}

void DefaultMenuKey(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  UserState& state = State();
  switch (message) {
    case WM_SYSKEYDOWN:
      if (wParam == static_cast<WPARAM>(VK_F4) && !HasNoCloseButton(handle)) {
        SendMessageA(handle, WM_SYSCOMMAND, SC_CLOSE, 0);
      }
      break;
    case WM_SYSKEYUP:
      if ((wParam == static_cast<WPARAM>(VK_MENU) || wParam == static_cast<WPARAM>(VK_F10)) && state.altGesture) {
        state.altGesture = false;
        SendMessageA(handle, WM_SYSCOMMAND, SC_KEYMENU, 0);
      }
      break;
    case WM_SYSCHAR:
      if (wParam != static_cast<WPARAM>(' ')) {
        SendMessageA(handle, WM_SYSCOMMAND, SC_KEYMENU, static_cast<LPARAM>(wParam));
      }
      break;
    default:
      break;
  }
}

}  // namespace host

using host::FindWindow;
using host::State;
using host::Window;

BOOL IsWindowVisible(HWND handle) {
  Window* window = FindWindow(handle);
  return window != nullptr && host::IsShown(window) ? TRUE : FALSE;
}

BOOL EnumWindows(WNDENUMPROC callback, LPARAM data) {
  if (callback == nullptr) return FALSE;
  for (HWND handle : host::Handles()) {
    Window* window = FindWindow(handle);
    if (window == nullptr || !host::IsTopLevel(*window)) continue;
    if (!callback(handle, data)) break;
  }
  return TRUE;
}

BOOL EnumChildWindows(HWND parent, WNDENUMPROC callback, LPARAM data) {
  if (callback == nullptr || FindWindow(parent) == nullptr) return FALSE;
  // Every descendant, each after its parent.
  std::vector<HWND> pending{parent};
  for (size_t i = 0; i < pending.size(); ++i) {
    for (HWND handle : host::Handles()) {
      Window* window = FindWindow(handle);
      if (window == nullptr || window->parent != pending[i]) continue;
      if (!callback(handle, data)) return TRUE;
      pending.push_back(handle);
    }
  }
  return TRUE;
}

HWND GetParent(HWND handle) {
  Window* window = FindWindow(handle);
  return window == nullptr ? nullptr : window->parent;
}

BOOL ShowWindow(HWND handle, int command) {
  Window* window = FindWindow(handle);
  if (window == nullptr) return FALSE;
  BOOL wasVisible = (window->style & WS_VISIBLE) ? TRUE : FALSE;
  switch (command) {
    case SW_HIDE:
      host::FocusLeaving(handle);
      window = FindWindow(handle);
      if (window == nullptr) return wasVisible;
      window->style &= ~WS_VISIBLE;
      host::SyncWindowSurface(*window);
      if (State().active == handle) host::Activate(nullptr);
      return wasVisible;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
      window->style |= WS_VISIBLE;
      host::SyncWindowSurface(*window);
      host::ApplySystemCommand(handle, SC_MINIMIZE, 0);
      return wasVisible;
    default:
      window->style |= WS_VISIBLE;
      if (!wasVisible) InvalidateRect(handle, nullptr, TRUE);
      host::SyncWindowSurface(*window);
      if (command == SW_RESTORE) host::ApplySystemCommand(handle, SC_RESTORE, 0);
      if (command != SW_SHOWNOACTIVATE && host::IsTopLevel(*window)) host::Activate(handle);
      return wasVisible;
  }
}

LONG SetWindowLongA(HWND handle, int index, LONG value) {
  Window* window = FindWindow(handle);
  if (window == nullptr) return 0;
  if (index == GWL_STYLE) {
    LONG previous = static_cast<LONG>(window->style);
    // Showing and hiding go through ShowWindow and SetWindowPos; the style word cannot change them, nor make a
    // top-level window a child.
    DWORD kept = window->style & (WS_VISIBLE | WS_CHILD);
    window->style = (static_cast<DWORD>(value) & ~(WS_VISIBLE | WS_CHILD)) | kept;
    host::SyncWindowSurface(*window);
    return previous;
  }
  if (index == GWL_EXSTYLE) {
    LONG previous = static_cast<LONG>(window->exStyle);
    window->exStyle = static_cast<DWORD>(value);
    return previous;
  }
  return 0;
}

BOOL SetWindowPos(HWND handle, HWND insertAfter, int x, int y, int width, int height, UINT flags) {
  Window* window = FindWindow(handle);
  if (window == nullptr) return FALSE;
  RECT rect = window->bounds;
  if (!(flags & SWP_NOMOVE)) {
    LONG w = rect.right - rect.left, h = rect.bottom - rect.top;
    rect = RECT{x, y, x + w, y + h};
  }
  if (!(flags & SWP_NOSIZE)) {
    if (host::IsTopLevel(*window)) {
      host::KeepWithinTrackSizes(handle, &width, &height);
    } else {
      // A child may keep a size of its own.
      host::WINDOWPOS changing{handle, insertAfter, rect.left, rect.top, width, height, flags};
      SendMessageA(handle, host::WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&changing));
      width = changing.cx;
      height = changing.cy;
    }
    window = FindWindow(handle);
    if (window == nullptr) return FALSE;
    rect.right = rect.left + std::max(width, 0);
    rect.bottom = rect.top + std::max(height, 0);
  }
  if (flags & SWP_HIDEWINDOW) {
    host::FocusLeaving(handle);
    window = FindWindow(handle);
    if (window == nullptr) return FALSE;
  }
  window->bounds = rect;
  if ((flags & SWP_SHOWWINDOW) && !(window->style & WS_VISIBLE)) {
    window->style |= WS_VISIBLE;
    InvalidateRect(handle, nullptr, TRUE);
  }
  if (flags & SWP_HIDEWINDOW) window->style &= ~WS_VISIBLE;
  host::SyncWindowSurface(*window);
  window = FindWindow(handle);
  if (window != nullptr && (flags & SWP_HIDEWINDOW) && State().active == handle) host::Activate(nullptr);
  if (window != nullptr && (flags & SWP_SHOWWINDOW) && !(flags & SWP_NOACTIVATE) && host::IsTopLevel(*window)) {
    host::Activate(handle);
  }
  return TRUE;
}

BOOL MoveWindow(HWND handle, int x, int y, int width, int height, BOOL repaint) {
  if (!SetWindowPos(handle, HWND_TOP, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE)) return FALSE;
  if (repaint) InvalidateRect(handle, nullptr, TRUE);
  return TRUE;
}

BOOL GetWindowRect(HWND handle, LPRECT rect) {
  Window* window = FindWindow(handle);
  if (window == nullptr || rect == nullptr) return FALSE;
  *rect = host::ScreenRect(*window);
  return TRUE;
}

BOOL GetClientRect(HWND handle, LPRECT rect) {
  Window* window = FindWindow(handle);
  if (window == nullptr || rect == nullptr) return FALSE;
  RECT client = host::ClientRectOf(*window);
  *rect = RECT{0, 0, client.right - client.left, client.bottom - client.top};
  return TRUE;
}

BOOL AdjustWindowRect(LPRECT rect, DWORD style, BOOL hasMenu) {
  if (rect == nullptr) return FALSE;
  RECT insets = host::NonClientInsets(style);
  rect->left -= insets.left;
  rect->top -= insets.top;
  rect->right += insets.right;
  rect->bottom += insets.bottom;
  if (hasMenu && !(style & WS_CHILD)) rect->top -= GetSystemMetrics(SM_CYMENU);
  return TRUE;
}

BOOL ClientToScreen(HWND handle, LPPOINT point) {
  Window* window = FindWindow(handle);
  if (window == nullptr || point == nullptr) return FALSE;
  RECT client = host::ScreenClientRect(*window);
  point->x += client.left;
  point->y += client.top;
  return TRUE;
}

BOOL ScreenToClient(HWND handle, LPPOINT point) {
  Window* window = FindWindow(handle);
  if (window == nullptr || point == nullptr) return FALSE;
  RECT client = host::ScreenClientRect(*window);
  point->x -= client.left;
  point->y -= client.top;
  return TRUE;
}

HWND WindowFromPoint(POINT point) {
  for (HWND handle : host::TopDown()) {
    Window* window = FindWindow(handle);
    if (window == nullptr || !host::IsTopLevel(*window) || !(window->style & WS_VISIBLE)) continue;
    if (!host::Contains(host::ScreenRect(*window), point)) continue;
    // The deepest visible child under the point.
    HWND found = handle;
    for (HWND child = host::ChildAt(*window, point, CWP_SKIPINVISIBLE); child != nullptr;) {
      found = child;
      Window* childWindow = FindWindow(child);
      child = childWindow == nullptr ? nullptr : host::ChildAt(*childWindow, point, CWP_SKIPINVISIBLE);
    }
    return found;
  }
  return nullptr;
}

HWND ChildWindowFromPointEx(HWND parent, POINT point, UINT flags) {
  Window* window = FindWindow(parent);
  if (window == nullptr) return nullptr;
  RECT client = host::ScreenClientRect(*window);
  POINT screen{point.x + client.left, point.y + client.top};
  if (!host::Contains(client, screen)) return nullptr;
  HWND child = host::ChildAt(*window, screen, flags);
  return child != nullptr ? child : parent;
}

BOOL SetForegroundWindow(HWND handle) {
  Window* window = FindWindow(handle);
  if (window == nullptr) return FALSE;
  if (window->surface != nullptr && window->surface->window != nullptr) SDL_RaiseWindow(window->surface->window);
  host::Activate(handle);
  return TRUE;
}

HWND SetActiveWindow(HWND handle) {
  HWND previous = State().active;
  if (handle != nullptr && FindWindow(handle) == nullptr) return nullptr;
  host::Activate(handle);
  return previous;
}

BOOL BringWindowToTop(HWND handle) {
  Window* window = FindWindow(handle);
  if (window == nullptr) return FALSE;
  if (window->surface != nullptr && window->surface->window != nullptr) SDL_RaiseWindow(window->surface->window);
  if (host::IsTopLevel(*window)) host::Activate(handle);
  return TRUE;
}
