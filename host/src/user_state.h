// The shared state behind the window-system calls beside the window registry: the message queue, timers, keyboard
// and mouse state, activation, menus and the emulated display mode. Internal to the host layer; the calls that use
// it run on the thread that pumps messages, so it is not locked.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "host/user.h"
#include "window_registry.h"

namespace host {

struct QueuedMessage {
  MSG msg{};
  std::string chars;  // the characters a key-down produces, for TranslateMessage
};

struct Timer {
  HWND window = nullptr;
  UINT_PTR id = 0;
  UINT period = 0;
  DWORD due = 0;
  TIMERPROC callback = nullptr;
};

// The characters waiting for the TranslateMessage of the last key-down taken from the queue.
struct PendingTranslation {
  MSG msg{};
  std::string chars;
  bool valid = false;
};

struct MenuItem {
  UINT flags = 0;  // MF_ flags: grayed, disabled, popup, separator
  UINT_PTR id = 0;
  HMENU popup = nullptr;
  std::string text;
};

struct Menu {
  bool isPopup = false;
  std::vector<MenuItem> items;
};

struct UserState {
  HWND active = nullptr;
  HWND focus = nullptr;  // the window keys go to; null when none has the focus

  // Messages may be posted from any thread: the posted messages and the quit message are kept under this lock.
  std::mutex postLock;
  std::deque<QueuedMessage> posted;  // PostMessageA and the characters of TranslateMessage
  bool quitPosted = false;
  int quitCode = 0;

  std::deque<QueuedMessage> input;  // keys and mouse, taken after the posted messages
  std::vector<Timer> timers;
  UINT_PTR nextThreadTimer = 0x7FF0;
  PendingTranslation pendingTranslation;

  // Alt (or F10) pressed with no other key or button since, as messages are taken from the queue; and whether
  // the last Alt or F10 release taken ended such a press, which opens the menu.
  bool altAlone = false;
  bool altGesture = false;

  BYTE keys[256] = {};       // state as of the last key message taken from the queue
  BYTE asyncKeys[256] = {};  // state now
  std::atomic<uint64_t> cursor{0};  // screen coordinates, x in the low half (read by posting threads too)
  HCURSOR currentCursor = nullptr;
  int cursorShowCount = 0;

  std::map<uintptr_t, std::unique_ptr<Menu>> menus;
  uintptr_t nextMenu = 0x20010;
  std::map<uintptr_t, std::vector<ACCEL>> accelerators;
  uintptr_t nextAccelerator = 0x30010;

  bool emulatedMode = false;  // a full-screen display mode is being shown
  DEVMODEA mode{};
  bool screenSaverActive = true;
};

UserState& State();

// Windows by handle; null for handles that are not (or no longer) windows. The registry's lock is taken by the
// caller where other threads might change windows; the window calls themselves run on the message thread.
inline Window* FindWindow(HWND handle) { return FindWindowRecord(handle); }
Menu* FindMenu(HMENU handle);

// The current time of the host clock in milliseconds.
DWORD NowMs();

// Makes a window the active one (null: none), telling the windows that lose and gain activation.
void Activate(HWND window);

// The work of a system command (close, menu key, minimise, restore) for the default window procedure.
void ApplySystemCommand(HWND window, WPARAM command, LPARAM lParam);

// The default window procedure's keyboard way into the menu: Alt or F10 pressed and released alone opens the
// first menu, Alt and a letter the menu with that mnemonic, Alt+F4 closes the window.
void DefaultMenuKey(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Drops the timers and waiting messages of a window that goes away.
void ForgetWindowMessages(HWND window);

// Queues a message as input from the user (mouse moves in a row are merged, as the system does).
void QueueInput(const MSG& message, std::string chars = std::string());

// Records a key or button change in a key-state table (256 bytes: 0x80 down, 0x01 toggled by each press); for
// Shift, Ctrl and Alt the side given by `right` and the combined key both change.
void ApplyKeyState(BYTE* table, int virtualKey, bool right, bool down, bool repeat);

// The MK_ flags of the buttons and modifiers held now.
WPARAM MouseKeyFlags();

// Where the cursor is, in screen coordinates.
inline POINT CursorPosition() {
  uint64_t packed = State().cursor.load(std::memory_order_relaxed);
  return POINT{static_cast<LONG>(static_cast<uint32_t>(packed)), static_cast<LONG>(static_cast<uint32_t>(packed >> 32))};
}
inline void SetCursorPosition(POINT point) {
  State().cursor.store(static_cast<uint32_t>(point.x) | (uint64_t{static_cast<uint32_t>(point.y)} << 32),
                       std::memory_order_relaxed);
}

// Whether the cursor shows: one is set and the show count is not negative.
bool IsCursorShown();

// Takes what SDL has for the windows and turns it into messages (sdl_events.cpp).
void PumpSdlEvents();
// Blocks in SDL until it has an event for the windows, the time is up (INFINITE: no limit) or WakeSdlWait is
// called; answers false at once, without waiting, where SDL could only poll (no display or no window to wake) or
// when `wakes` no longer matches the message thread's count of wake-ups (one came in between).
bool WaitForSdlEvent(DWORD milliseconds, uint64_t wakes);
// Ends a wait in WaitForSdlEvent; any thread may call it.
void WakeSdlWait();
// How many times the message thread has been woken from its waits (message_queue.cpp).
uint64_t QueueWakes();

// Child windows and the keyboard focus (child_windows.cpp, keyboard_focus.cpp).
// Whether the window is the ancestor or the ancestor's descendant; the top-level window a window belongs to.
bool IsSelfOrDescendant(HWND window, HWND ancestor);
HWND TopLevelOf(HWND window);
// Moves the focus out of the window's tree before it is hidden or destroyed: to its parent, or to no window.
void FocusLeaving(HWND window);
// Takes the focus from a top-level window that stops being the active one.
void FocusLeavesInactive(HWND window);
// Where the keys for a top-level window go: the focus when it lies in that window's tree, else the window.
HWND KeyWindowOf(HWND topLevel);
// The deepest shown, enabled window of a top-level window's tree under a point of its client area (the window
// itself when no child is there); the point becomes that window's client point.
HWND InputWindowAt(HWND topLevel, POINT* clientPoint);
// Whether the window's class has no close button (CS_NOCLOSE).
bool HasNoCloseButton(HWND window);
// DefWindowProcA's part for focus, erasing, cursors and the keys that children pass on; false for other messages.
bool DefaultChildWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
// DefWindowProcA's part for the window's text (WM_SETTEXT, WM_GETTEXT, WM_GETTEXTLENGTH); false for others.
bool DefaultTextMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

// The window that takes every mouse message of its top-level window's tree while a control tracks the mouse
// (a pressed button, a selection being dragged, an open drop-down list), in its own client coordinates; null
// for none. It is let go when it is destroyed or hidden.
void SetMouseCapture(HWND window);
HWND MouseCapture();

// Sent to a child window before SetWindowPos or MoveWindow moves or sizes it; the window may change the size in
// the record (a drop-down list keeps the height of its field).
constexpr UINT WM_WINDOWPOSCHANGING = 0x0046;
struct WINDOWPOS {
  HWND hwnd;
  HWND hwndInsertAfter;
  int x;
  int y;
  int cx;
  int cy;
  UINT flags;
};

}  // namespace host
