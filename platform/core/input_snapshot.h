// The input snapshot: the keyboard and the mouse in the framework's own terms. A flags word (InputFlags) of
// modifier keys and mouse buttons, taken from the keys as they are now or as they were when a window message was
// made; a record of the mouse for the cursor now or for a mouse message; and a record of a key press with the
// framework's own key code.
#pragma once

#include <cstdint>

#include "host/types.h"

using InputFlags = uint32_t;

constexpr InputFlags kInputCapsLock = 0x1;
constexpr InputFlags kInputShift = 0x2;
constexpr InputFlags kInputControl = 0x4;
constexpr InputFlags kInputAlt = 0x8;
constexpr InputFlags kInputWindowsKey = 0x10;       // from the keys as they are now only
constexpr InputFlags kInputNumLock = 0x100;
constexpr InputFlags kInputScrollLock = 0x200;
constexpr InputFlags kInputButtonsSwapped = 0x400;
constexpr InputFlags kInputLeftButton = 0x10000;
constexpr InputFlags kInputRightButton = 0x20000;
constexpr InputFlags kInputMiddleButton = 0x40000;
constexpr InputFlags kInputButtonStillDown = 0x10000000;  // no window visited has the button's release waiting
constexpr InputFlags kInputRepeat = 0x40000000;           // a double click, or a key press that repeats
constexpr InputFlags kInputMousePresent = 0x80000000;

struct MouseEventRecord {
  int32_t screenX = 0;
  int32_t screenY = 0;
  int32_t windowX = 0;
  int32_t windowY = 0;
  HWND window = nullptr;
  InputFlags flags = 0;
};

struct KeyEventRecord {
  uint8_t character = 0;
  uint8_t keyCode = 0;
  uint8_t virtualKey = 0;
  uint8_t spare = 0;
  uint16_t character16 = 0;
  uint16_t spare16 = 0;
  InputFlags flags = 0;
};

// The window handle that stands for every top-level window.
inline HWND AllWindows() { return reinterpret_cast<HWND>(static_cast<intptr_t>(-1)); }

// The flags of the keys and buttons held now. While a button is held, the windows (all top-level windows and
// their children for AllWindows(), the one window otherwise, none for null) are searched for a waiting button-up
// message; the still-down bit is set only when none has one.
InputFlags GetAsyncInputFlags(HWND window);
// The record of the cursor now; true when a button is held.
bool GetMouseEventInfo(HWND window, MouseEventRecord* record);
// The record of a mouse message; true for button-down and double-click messages.
bool GetMouseMessageInfo(HWND window, UINT message, WPARAM wParam, LPARAM lParam, MouseEventRecord* record);
// The record of a key-down message whose character message is waiting; false otherwise.
bool GetKeyEventInfo(HWND window, UINT message, WPARAM wParam, LPARAM lParam, KeyEventRecord* record);
// The framework's key code of a virtual key (0x95 is the keypad Enter, given for Return with the extended bit).
uint8_t KeyCodeOfVirtualKey(int32_t virtualKey, bool extended);
