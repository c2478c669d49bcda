// The input snapshot over the window system's key and mouse state.
#include "platform/core/input_snapshot.h"

#include <initializer_list>

#include "host/user.h"

namespace {

bool HeldNow(int virtualKey) { return GetAsyncKeyState(virtualKey) < 0; }
bool HeldAtMessage(int virtualKey) { return GetKeyState(virtualKey) < 0; }
bool SwitchedOn(int virtualKey) { return (GetKeyState(virtualKey) & 1) != 0; }

// Clears the still-down bit (in *flags) when the window has a button release waiting.
BOOL VisitWindow(HWND window, LPARAM data) {
  InputFlags* flags = reinterpret_cast<InputFlags*>(data);
  MSG message;
  for (UINT release : {WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP}) {
    if (PeekMessageA(&message, window, release, release, PM_NOREMOVE)) {
      *flags &= ~kInputButtonStillDown;
      return FALSE;
    }
  }
  if (GetParent(window) == nullptr) EnumChildWindows(window, VisitWindow, data);
  return (*flags & kInputButtonStillDown) != 0;
}

InputFlags ModifiersAndLocksAtMessage() {
  InputFlags flags = 0;
  if (HeldAtMessage(VK_MENU)) flags |= kInputAlt;
  if (SwitchedOn(VK_CAPITAL)) flags |= kInputCapsLock;
  if (SwitchedOn(VK_NUMLOCK)) flags |= kInputNumLock;
  if (SwitchedOn(VK_SCROLL)) flags |= kInputScrollLock;
  if (GetSystemMetrics(SM_SWAPBUTTON) != 0) flags |= kInputButtonsSwapped;
  return flags;
}

constexpr InputFlags kButtons = kInputLeftButton | kInputRightButton | kInputMiddleButton;

}  // namespace

uint8_t KeyCodeOfVirtualKey(int32_t key, bool extended) {
  static const char kTopRow[] = "QWERTYUIOP";
  static const char kMiddleRow[] = "ASDFGHJKL";
  static const char kBottomRow[] = "ZXCVBNM";
  for (int i = 0; kTopRow[i] != '\0'; ++i) {
    if (key == kTopRow[i]) return static_cast<uint8_t>(0x01 + i);
  }
  for (int i = 0; kMiddleRow[i] != '\0'; ++i) {
    if (key == kMiddleRow[i]) return static_cast<uint8_t>(0x0B + i);
  }
  for (int i = 0; kBottomRow[i] != '\0'; ++i) {
    if (key == kBottomRow[i]) return static_cast<uint8_t>(0x14 + i);
  }
  if (key >= '0' && key <= '9') return static_cast<uint8_t>(0x20 + key - '0');
  if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9) return static_cast<uint8_t>(0x30 + key - VK_NUMPAD0);
  const int oem[] = {0xC0, 0xBD, 0xBB, 0xDB, 0xDD, 0xDC, 0xBA, 0xDE, 0xBC, 0xBE, 0xBF};
  for (int i = 0; i < 11; ++i) {
    if (key == oem[i]) return static_cast<uint8_t>(0x40 + i);
  }
  const int keypad[] = {VK_SEPARATOR, VK_DIVIDE, VK_MULTIPLY, VK_SUBTRACT, VK_ADD, VK_DECIMAL};
  for (int i = 0; i < 6; ++i) {
    if (key == keypad[i]) return static_cast<uint8_t>(0x50 + i);
  }
  if (key >= VK_F1 && key <= VK_F24) return static_cast<uint8_t>(0xA1 + key - VK_F1);
  switch (key) {
    case VK_CAPITAL: return 0x80;
    case VK_SHIFT: case VK_LSHIFT: return 0x81;
    case VK_CONTROL: case VK_LCONTROL: return 0x82;
    case VK_MENU: case VK_LMENU: return 0x83;
    case VK_LWIN: return 0x84;
    case VK_NUMLOCK: return 0x88;
    case VK_RSHIFT: return 0x89;
    case VK_RCONTROL: return 0x8A;
    case VK_RMENU: return 0x8B;
    case VK_RWIN: return 0x8C;
    case VK_SPACE: return 0x90;
    case VK_RETURN: return extended ? 0x95 : 0x91;
    case VK_TAB: return 0x92;
    case VK_BACK: return 0x93;
    case VK_CLEAR: return 0x94;
    case VK_INSERT: return 0x96;
    case VK_DELETE: return 0x97;
    case VK_HOME: return 0x98;
    case VK_END: return 0x99;
    case VK_PRIOR: return 0x9A;
    case VK_NEXT: return 0x9B;
    case VK_LEFT: return 0x9C;
    case VK_DOWN: return 0x9D;
    case VK_RIGHT: return 0x9E;
    case VK_UP: return 0x9F;
    case VK_ESCAPE: return 0xA0;
    case VK_LBUTTON: return 0xFF;
    case VK_RBUTTON: return 0xFE;
    case VK_MBUTTON: return 0xFD;
    case 0xFF: return 0x94;
    default: break;
  }
  // Keys the framework knows but gives no code of their own.
  // Kana 0x15 and Junja, Final and Kanji 0x17 to 0x19; 0x16 between them has no code.
  if (key == VK_XBUTTON1 || key == VK_XBUTTON2 || key == VK_CANCEL || key == VK_PAUSE || key == 0x15 ||
      (key >= 0x17 && key <= 0x19) || (key >= 0x1C && key <= 0x1F) || key == VK_SELECT || key == VK_PRINT ||
      key == VK_EXECUTE || key == VK_SNAPSHOT || key == VK_HELP || key == VK_APPS || key == VK_SLEEP ||
      key == VK_SCROLL || (key >= 0x92 && key <= 0x96) ||
      (key >= 0xA6 && key <= 0xB7) || key == 0xDF || (key >= 0xE1 && key <= 0xE7) || (key >= 0xE9 && key <= 0xF7) ||
      (key >= 0xF9 && key <= 0xFE)) {
    return 0xC0;
  }
  return 0x00;
}

InputFlags GetAsyncInputFlags(HWND window) {
  InputFlags flags = 0;
  if (HeldNow(VK_LWIN) || HeldNow(VK_RWIN)) flags |= kInputWindowsKey;
  if (HeldNow(VK_MENU)) flags |= kInputAlt;
  if (HeldNow(VK_CONTROL)) flags |= kInputControl;
  if (HeldNow(VK_SHIFT)) flags |= kInputShift;
  if (HeldNow(VK_CAPITAL)) flags |= kInputCapsLock;
  if (HeldNow(VK_NUMLOCK)) flags |= kInputNumLock;
  if (HeldNow(VK_SCROLL)) flags |= kInputScrollLock;
  if (HeldNow(VK_LBUTTON)) flags |= kInputLeftButton;
  if (HeldNow(VK_RBUTTON)) flags |= kInputRightButton;
  if (HeldNow(VK_MBUTTON)) flags |= kInputMiddleButton;
  if (GetSystemMetrics(SM_SWAPBUTTON) != 0) flags |= kInputButtonsSwapped;
  if (GetSystemMetrics(SM_MOUSEPRESENT) != 0) flags |= kInputMousePresent;
  if ((flags & kButtons) != 0) {
    flags |= kInputButtonStillDown;
    if (window == AllWindows()) {
      EnumWindows(VisitWindow, reinterpret_cast<LPARAM>(&flags));
    } else if (window != nullptr) {
      VisitWindow(window, reinterpret_cast<LPARAM>(&flags));
    }
  }
  return flags;
}

bool GetMouseEventInfo(HWND window, MouseEventRecord* record) {
  *record = MouseEventRecord{};
  POINT cursor{};
  GetCursorPos(&cursor);
  record->screenX = record->windowX = cursor.x;
  record->screenY = record->windowY = cursor.y;
  HWND under = WindowFromPoint(cursor);
  if (under != nullptr) {
    POINT local = cursor;
    ScreenToClient(under, &local);
    HWND child = ChildWindowFromPointEx(under, local, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
    if (child != nullptr && child == window && child != under) {
      local = cursor;
      ScreenToClient(child, &local);
      under = child;
    }
    record->windowX = local.x;
    record->windowY = local.y;
    record->window = under;
  }
  record->flags = GetAsyncInputFlags(window);
  return (record->flags & kButtons) != 0;
}

bool GetMouseMessageInfo(HWND window, UINT message, WPARAM wParam, LPARAM lParam, MouseEventRecord* record) {
  *record = MouseEventRecord{};
  // Both halves are taken as unsigned: a position left of the window arrives as 32768 to 65535.
  record->windowX = static_cast<int32_t>(lParam & 0xFFFF);
  record->windowY = static_cast<int32_t>((lParam >> 16) & 0xFFFF);
  record->window = window;
  POINT screen{record->windowX, record->windowY};
  ClientToScreen(window, &screen);
  record->screenX = screen.x;
  record->screenY = screen.y;
  InputFlags flags = ModifiersAndLocksAtMessage();
  if (wParam & MK_LBUTTON) flags |= kInputLeftButton;
  if (wParam & MK_RBUTTON) flags |= kInputRightButton;
  if (wParam & MK_MBUTTON) flags |= kInputMiddleButton;
  if (wParam & MK_SHIFT) flags |= kInputShift;
  if (wParam & MK_CONTROL) flags |= kInputControl;
  bool result = false;
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      result = true;
      break;
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
      flags |= kInputRepeat;
      result = true;
      break;
    default:
      break;
  }
  record->flags = flags;
  return result;
}

bool GetKeyEventInfo(HWND window, UINT message, WPARAM wParam, LPARAM lParam, KeyEventRecord* record) {
  *record = KeyEventRecord{};
  InputFlags flags = ModifiersAndLocksAtMessage();
  if (HeldAtMessage(VK_LBUTTON)) flags |= kInputLeftButton;
  if (HeldAtMessage(VK_RBUTTON)) flags |= kInputRightButton;
  if (HeldAtMessage(VK_MBUTTON)) flags |= kInputMiddleButton;
  if (HeldAtMessage(VK_SHIFT)) flags |= kInputShift;
  if (HeldAtMessage(VK_CONTROL)) flags |= kInputControl;
  record->flags = flags;
  if (message != WM_KEYDOWN) return false;
  MSG character;
  if (!PeekMessageA(&character, window, WM_CHAR, WM_CHAR, PM_NOREMOVE | PM_NOYIELD)) return false;
  record->character = static_cast<uint8_t>(character.wParam & 0xFF);
  record->character16 = static_cast<uint16_t>(character.wParam & 0xFFFF);
  record->virtualKey = static_cast<uint8_t>(wParam & 0xFF);
  record->keyCode = KeyCodeOfVirtualKey(static_cast<int32_t>(wParam & 0xFF), (lParam & (LPARAM{1} << 16)) != 0);
  // Every press counts once; only a press made while the key was already down (held, auto-repeating) repeats.
  if (lParam & (LPARAM{1} << 30)) record->flags |= kInputRepeat;
  return true;
}
