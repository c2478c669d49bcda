// Child windows: their identifiers, enabling and disabling, finding the child under a point, where mouse input
// goes, and the default window procedure's part for activation, erasing, cursors and the keys a child passes on
// to its parent.
#include "host/gdi.h"
#include "user_state.h"

namespace host {
namespace {

constexpr UINT kKeyMessagesFirst = WM_KEYDOWN;
constexpr UINT kKeyMessagesLast = WM_SYSCHAR;

// The brush of a class background given as a system colour index + 1, made for the call.
HBRUSH SystemColourBrush(uintptr_t indexPlusOne) {
  COLORREF colour = indexPlusOne == static_cast<uintptr_t>(COLOR_WINDOW + 1) ? RGB(255, 255, 255) : RGB(192, 192, 192);
  return CreateSolidBrush(colour);
}

// Fills the device context's clip with the class background; false when the class has none.
bool EraseWithClassBrush(HWND handle, HDC dc) {
  Window* window = FindWindow(handle);
  if (window == nullptr || window->windowClass == nullptr || window->windowClass->background == nullptr || dc == nullptr) {
    return false;
  }
  HBRUSH brush = window->windowClass->background;
  auto value = reinterpret_cast<uintptr_t>(brush);
  bool made = value <= 31;
  if (made) brush = SystemColourBrush(value);
  RECT client;
  GetClientRect(handle, &client);
  FillRect(dc, &client, brush);
  if (made) DeleteObject(brush);
  return true;
}

}  // namespace

bool IsSelfOrDescendant(HWND window, HWND ancestor) {
  if (window == nullptr || ancestor == nullptr) return false;
  for (Window* record = FindWindow(window); record != nullptr; record = FindWindow(record->parent)) {
    if (record->handle == ancestor) return true;
  }
  return false;
}

HWND TopLevelOf(HWND window) {
  Window* record = FindWindow(window);
  while (record != nullptr && record->parent != nullptr && FindWindow(record->parent) != nullptr) {
    record = FindWindow(record->parent);
  }
  return record == nullptr ? nullptr : record->handle;
}

namespace {
HWND captured = nullptr;
}  // namespace

void SetMouseCapture(HWND window) { captured = window; }

HWND MouseCapture() {
  if (captured != nullptr && (FindWindow(captured) == nullptr || !IsWindowVisible(captured))) captured = nullptr;
  return captured;
}

HWND InputWindowAt(HWND topLevel, POINT* clientPoint) {
  // A control tracking the mouse takes it wherever the pointer is.
  if (HWND capture = MouseCapture(); capture != nullptr && capture != topLevel && TopLevelOf(capture) == topLevel) {
    POINT point = *clientPoint;
    ClientToScreen(topLevel, &point);
    ScreenToClient(capture, &point);
    *clientPoint = point;
    return capture;
  }
  HWND at = topLevel;
  for (;;) {
    HWND child = ChildWindowFromPointEx(at, *clientPoint, CWP_SKIPINVISIBLE | CWP_SKIPDISABLED);
    if (child == nullptr || child == at) return at;
    POINT point = *clientPoint;
    ClientToScreen(at, &point);
    ScreenToClient(child, &point);
    *clientPoint = point;
    at = child;
  }
}

bool DefaultChildWindowMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  Window* window = FindWindow(handle);
  if (window == nullptr) return false;
  HWND parent = window->parent;
  *result = 0;
  switch (message) {
    case WM_ACTIVATE:
      // An activated window takes the focus unless a window of its own tree has it already.
      if (LOWORD(wParam) != WA_INACTIVE && !IsSelfOrDescendant(State().focus, handle)) SetFocus(handle);
      return true;
    case WM_SETCURSOR:
      // The parent is asked first; then the class cursor is shown over the client area.
      if (parent != nullptr && SendMessageA(parent, WM_SETCURSOR, wParam, lParam) != 0) {
        *result = TRUE;
        return true;
      }
      window = FindWindow(handle);
      if (window != nullptr && LOWORD(lParam) == HTCLIENT && window->windowClass != nullptr &&
          window->windowClass->cursor != nullptr) {
        SetCursor(window->windowClass->cursor);
        *result = TRUE;
      }
      return true;
    case WM_ERASEBKGND:
      *result = EraseWithClassBrush(handle, reinterpret_cast<HDC>(wParam)) ? 1 : 0;
      return true;
    default:
      if (message >= kKeyMessagesFirst && message <= kKeyMessagesLast && parent != nullptr) {
        *result = SendMessageA(parent, message, wParam, lParam);
        return true;
      }
      return false;
  }
}

}  // namespace host

using host::FindWindow;
using host::Window;

int GetDlgCtrlID(HWND handle) {
  Window* window = FindWindow(handle);
  return window == nullptr ? 0 : static_cast<int>(window->id);
}

BOOL EnableWindow(HWND handle, BOOL enable) {
  Window* window = FindWindow(handle);
  if (window == nullptr) return FALSE;
  BOOL wasDisabled = (window->style & WS_DISABLED) ? TRUE : FALSE;
  if (enable) {
    window->style &= ~WS_DISABLED;
  } else {
    if (host::IsSelfOrDescendant(host::State().focus, handle)) SetFocus(nullptr);
    window = FindWindow(handle);
    if (window == nullptr) return wasDisabled;
    window->style |= WS_DISABLED;
  }
  if (wasDisabled != ((window->style & WS_DISABLED) ? TRUE : FALSE)) InvalidateRect(handle, nullptr, TRUE);
  return wasDisabled;
}

BOOL IsWindowEnabled(HWND handle) {
  Window* window = FindWindow(handle);
  return window != nullptr && !(window->style & WS_DISABLED) ? TRUE : FALSE;
}

HWND ChildWindowFromPoint(HWND parent, POINT point) { return ChildWindowFromPointEx(parent, point, CWP_ALL); }

BOOL EndDialog(HWND, INT_PTR) { return FALSE; }
