// The keyboard focus: one window of the active window's tree, told by WM_KILLFOCUS and WM_SETFOCUS when it
// moves, and moved on when its window is hidden, destroyed, disabled or deactivated.
#include "user_state.h"

namespace host {
namespace {

// Moves the focus to the window (or to none) and tells both windows; the window is not checked.
HWND MoveFocus(HWND window) {
  UserState& state = State();
  HWND previous = state.focus;
  if (previous == window) return previous;
  state.focus = window;
  if (previous != nullptr && FindWindow(previous) != nullptr) {
    SendMessageA(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(window), 0);
  }
  if (window != nullptr && state.focus == window && FindWindow(window) != nullptr) {
    SendMessageA(window, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
  }
  return previous;
}

}  // namespace

void FocusLeaving(HWND window) {
  if (!IsSelfOrDescendant(State().focus, window)) return;
  Window* record = FindWindow(window);
  Window* parent = record == nullptr ? nullptr : FindWindow(record->parent);
  MoveFocus(parent != nullptr && !parent->destroying ? parent->handle : nullptr);
}

void FocusLeavesInactive(HWND window) {
  if (IsSelfOrDescendant(State().focus, window)) MoveFocus(nullptr);
}

HWND KeyWindowOf(HWND topLevel) {
  HWND focus = State().focus;
  return focus != nullptr && FindWindow(focus) != nullptr && TopLevelOf(focus) == topLevel ? focus : topLevel;
}

}  // namespace host

HWND SetFocus(HWND window) {
  host::UserState& state = host::State();
  if (window != nullptr) {
    host::Window* record = host::FindWindow(window);
    if (record == nullptr || record->destroying) return nullptr;
    for (host::Window* at = record; at != nullptr; at = host::FindWindow(at->parent)) {
      if (at->style & WS_DISABLED) return nullptr;
    }
    HWND top = host::TopLevelOf(window);
    if (state.active != top) host::Activate(top);
    if (host::FindWindow(window) == nullptr) return nullptr;
  }
  return host::MoveFocus(window);
}

HWND GetFocus() {
  HWND focus = host::State().focus;
  return host::FindWindow(focus) != nullptr ? focus : nullptr;
}
