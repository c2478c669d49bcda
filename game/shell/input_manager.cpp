// The input manager's state: the live and frame key tables, the mouse and the typed text.
#include "game/shell/input_manager.h"

#include <array>
#include <memory>
#include <vector>

#include "host/user.h"

namespace {

constexpr int32_t kNoRelease = -1;
constexpr size_t kLeft = 0, kMiddle = 1, kRight = 2;

struct InputState {
  std::unique_ptr<std::array<int32_t, kKeySlotCount>> live;
  std::unique_ptr<std::array<int32_t, kKeySlotCount>> frame;
  // Keys pressed since the last frame latch: a key pressed and let go between two frames still reads down for one
  // frame, so a quick tap is never lost to a slow frame.
  std::array<bool, kKeySlotCount> pressed{};
  int32_t pendingX = 0, pendingY = 0;
  int32_t frameX = 0, frameY = 0;
  bool moved = true;
  int32_t left = kButtonUp, middle = kButtonUp, right = kButtonUp;
  // Clicks are kept as taps are: a button pressed and let go between two frames stays down until a frame has
  // shown the press. unseen: the button went down since the last frame latch; due: the release waiting for that
  // frame (kNoRelease when none).
  std::array<bool, 3> unseen{};
  std::array<int32_t, 3> due{kNoRelease, kNoRelease, kNoRelease};
  // The button was down when it was set idle: a press told while idle is that same press, no new one.
  std::array<bool, 3> idledDown{};
  bool clicked = false;
  bool doubleClicked = false;
  bool textEntry = false;
  int32_t textLimit = 0;
  std::string text;
  std::vector<uint8_t> queue;
  bool keyDownFlag = false;
};

InputState& State() {
  // Never destroyed: a shut-down signal may end the process while the loop still runs.
  static InputState* state = new InputState;
  return *state;
}

bool InRange(KeySlot slot) { return slot >= 0 && slot < kKeySlotCount; }

// The keypad direction keys 8, 2, 5, 4, 6, 9, 7, 3, 1 (5 shares the slot of 2).
KeySlot KeypadSlot(int32_t virtualKey) {
  switch (virtualKey) {
    case VK_NUMPAD8: return 272;
    case VK_NUMPAD2: return 273;
    case VK_NUMPAD5: return 273;
    case VK_NUMPAD4: return 274;
    case VK_NUMPAD6: return 275;
    case VK_NUMPAD9: return 276;
    case VK_NUMPAD7: return 277;
    case VK_NUMPAD3: return 278;
    case VK_NUMPAD1: return 279;
    default: return -1;
  }
}

int32_t& ButtonState(size_t button) {
  InputState& s = State();
  return button == kLeft ? s.left : button == kMiddle ? s.middle : s.right;
}

bool IsDownState(int32_t state) { return state == 1 || state == 2 || state == 3; }
bool IsUpValue(int32_t value) { return value == kButtonUp || value == kButtonUpByFlags; }

void ButtonEvent(size_t button, int32_t x, int32_t y, int32_t value) {
  InputState& s = State();
  int32_t& state = ButtonState(button);
  s.pendingX = x;
  s.pendingY = y;
  if (value == kButtonDoubleClick) {
    s.doubleClicked = true;
    return;
  }
  if (s.due[button] != kNoRelease) {
    // Let go already, the release waiting for a frame. A further release changes only the state it will leave.
    // A press on the idle button is the same press told back (a reader that set the buttons idle puts back what
    // it read); any other press is a new one, which holds the button again.
    if (IsUpValue(value)) {
      s.due[button] = value;
    } else {
      if (state != kButtonIdle || !s.idledDown[button]) {
        s.due[button] = kNoRelease;
        s.unseen[button] = true;
      }
      s.idledDown[button] = false;
      state = value;
    }
    return;
  }
  if (IsDownState(state) && IsUpValue(value)) {
    s.clicked = true;
    // A press no frame has seen yet is kept down for the next frame, so that a quick click is not lost to the
    // game, which reads the buttons held over a frame.
    if (s.unseen[button]) {
      s.due[button] = value;
      return;
    }
  }
  const bool samePress = state == kButtonIdle && s.idledDown[button];
  if (!IsDownState(state) && IsDownState(value) && !samePress) s.unseen[button] = true;
  s.idledDown[button] = false;
  state = value;
}

void ResetMouseState() {
  InputState& s = State();
  s.pendingX = 0;
  s.pendingY = 0;
  s.left = s.middle = s.right = kButtonUp;
  s.unseen.fill(false);
  s.due.fill(kNoRelease);
  s.idledDown.fill(false);
  s.moved = true;
  s.clicked = false;
  s.doubleClicked = false;
}

}  // namespace

namespace Input {

void Initialize() {
  InputState& s = State();
  s.textEntry = false;
  s.text.clear();
  s.queue.clear();
  ResetMouseState();
  s.frameX = s.frameY = 0;
  s.keyDownFlag = false;
  s.live = std::make_unique<std::array<int32_t, kKeySlotCount>>();
  s.frame = std::make_unique<std::array<int32_t, kKeySlotCount>>();
  s.live->fill(0);
  s.frame->fill(0);
  s.pressed.fill(false);
}

void Shutdown() {
  InputState& s = State();
  s.live.reset();
  s.frame.reset();
  s.queue.clear();
  s.text.clear();
}

void Reset() {
  ResetMouseState();
  InputState& s = State();
  s.keyDownFlag = false;
  s.pressed.fill(false);
  if (s.live) s.live->fill(0);
}

void ResetMouse() { ResetMouseState(); }

void BeginFrame() {
  InputState& s = State();
  if (s.pendingX == s.frameX && s.pendingY == s.frameY) {
    s.moved = false;
  } else {
    s.frameX = s.pendingX;
    s.frameY = s.pendingY;
    s.moved = true;
  }
  // A release that waited for this frame takes effect once a frame has shown the press.
  for (size_t button : {kLeft, kMiddle, kRight}) {
    if (s.due[button] != kNoRelease && !s.unseen[button]) {
      ButtonState(button) = s.due[button];
      s.due[button] = kNoRelease;
    }
    s.unseen[button] = false;
  }
  if (s.live && s.frame) {
    *s.frame = *s.live;
    for (int32_t slot = 0; slot < kKeySlotCount; ++slot) {
      if (s.pressed[slot]) (*s.frame)[slot] = 1;
    }
    UpdateText();
  }
  s.pressed.fill(false);
  s.queue.clear();
}

void MapVirtualKey(int32_t virtualKey, int32_t step, KeySlot* code, int32_t* next) {
  *next = 0;
  KeySlot keypad = KeypadSlot(virtualKey);
  switch (virtualKey) {
    case VK_RETURN:
      // 280 first, then the character code 13 (twice: the poll's step 1 gives it too).
      if (step == 0) {
        *code = kSlotReturn;
        *next = 2;
      } else if (step == 2) {
        *code = 13;
        *next = 1;
      } else {
        *code = 13;
      }
      return;
    case VK_ESCAPE:
    case VK_BACK:
    case VK_DELETE:
    case VK_TAB: {
      KeySlot named = virtualKey == VK_ESCAPE ? kSlotEscape
                      : virtualKey == VK_BACK ? kSlotBackspace
                      : virtualKey == VK_DELETE ? kSlotDelete
                                                : kSlotTab;
      KeySlot character = virtualKey == VK_DELETE ? 127 : virtualKey;
      if (step == 0) {
        *code = named;
        *next = 1;
      } else {
        *code = character;
      }
      return;
    }
    case VK_UP: *code = kSlotUp; return;
    case VK_DOWN: *code = kSlotDown; return;
    case VK_LEFT: *code = kSlotLeft; return;
    case VK_RIGHT: *code = kSlotRight; return;
    default: break;
  }
  if (virtualKey >= VK_F1 && virtualKey <= VK_F12) {
    *code = kSlotF1 + (virtualKey - VK_F1);
  } else if (keypad >= 0) {
    *code = keypad;
  } else if (virtualKey >= 'A' && virtualKey <= 'Z') {
    *code = virtualKey + ('a' - 'A');
  } else {
    *code = virtualKey;
  }
}

void SetKey(KeySlot slot, int32_t value) {
  InputState& s = State();
  if (!s.live || !InRange(slot)) return;
  (*s.live)[slot] = value;
  if (value != 0) s.pressed[slot] = true;
}

void ReleaseKey(KeySlot slot) { SetKey(slot, 0); }

void PollKeyboard() {
  InputState& s = State();
  if (!s.live) return;
  BYTE keys[256] = {};
  if (!GetKeyboardState(keys)) return;
  std::array<int8_t, kKeySlotCount> polled;
  polled.fill(-1);  // -1: no key maps here, the slot keeps its value
  for (int32_t key = 0; key < 256; ++key) {
    KeySlot slot = 0;
    int32_t next = 0;
    MapVirtualKey(key, 1, &slot, &next);
    if (!InRange(slot)) continue;
    if (polled[slot] < 0) polled[slot] = 0;
    if ((keys[key] & 0x80) != 0) polled[slot] = 1;
  }
  // The poll reads the keyboard as the window system reports it now: a key it reads up is up, tapped or not.
  for (int32_t slot = 0; slot < kKeySlotCount; ++slot) {
    if (polled[slot] >= 0) (*s.live)[slot] = polled[slot];
    if (polled[slot] == 0) s.pressed[slot] = false;
  }
}

int32_t IsKeyDown(KeySlot slot) { return GetKeyFromTable(GetKeyTable(), slot); }

const int32_t* GetKeyTable() {
  InputState& s = State();
  return s.frame ? s.frame->data() : nullptr;
}

int32_t GetKeyFromTable(const int32_t* table, KeySlot slot) {
  if (table == nullptr || !InRange(slot)) return 0;
  return table[slot];
}

bool IsMovementKeyDown() {
  for (KeySlot slot = kSlotUp; slot <= kSlotRight; ++slot) {
    if (IsKeyDown(slot) != 0) return true;
  }
  for (KeySlot slot = 272; slot <= 279; ++slot) {
    if (IsKeyDown(slot) != 0) return true;
  }
  return false;
}

void OnLeftButton(int32_t x, int32_t y, int32_t value) { ButtonEvent(kLeft, x, y, value); }
void OnMiddleButton(int32_t x, int32_t y, int32_t value) { ButtonEvent(kMiddle, x, y, value); }
void OnRightButton(int32_t x, int32_t y, int32_t value) { ButtonEvent(kRight, x, y, value); }

void SetMousePosition(int32_t x, int32_t y) {
  State().pendingX = x;
  State().pendingY = y;
}

void AgeButtons() {
  for (int32_t* state : {&State().left, &State().middle, &State().right}) {
    if (*state == kButtonHeldByFlags) *state = kButtonDown;
    else if (*state == kButtonUpByFlags) *state = kButtonUp;
  }
}

void IdleButtons() {
  for (size_t button : {kLeft, kMiddle, kRight}) {
    State().idledDown[button] = IsDownState(ButtonState(button));
    ButtonState(button) = kButtonIdle;
  }
}

int32_t GetMouse(int32_t* x, int32_t* y, int32_t* state) {
  InputState& s = State();
  int32_t combined = s.left | s.middle;
  if (x) *x = s.frameX;
  if (y) *y = s.frameY;
  if (state) *state = combined;
  return combined;
}

int32_t GetMouseRight(int32_t* x, int32_t* y, int32_t* state) {
  InputState& s = State();
  if (x) *x = s.frameX;
  if (y) *y = s.frameY;
  if (state) *state = s.right;
  return s.right;
}

bool MouseMoved() { return State().moved; }
bool WasClicked() { return State().clicked; }
void ClearClick() { State().clicked = false; }
bool WasDoubleClicked() { return State().doubleClicked; }
void ClearDoubleClick() { State().doubleClicked = false; }

void EnableTextEntry(bool on) {
  InputState& s = State();
  if (!on) {
    s.textEntry = false;
  } else if (!s.textEntry) {
    s.textEntry = true;
    s.text.clear();
    s.textLimit = 0;
  }
}

void SetTextLimit(int32_t limit) { State().textLimit = limit; }

void QueueChar(int32_t character) {
  InputState& s = State();
  if (s.textEntry) s.queue.push_back(static_cast<uint8_t>(character));
}

void UpdateText() {
  InputState& s = State();
  if (!s.textEntry) return;
  for (uint8_t c : s.queue) {
    if (c == 8) {
      if (!s.text.empty()) s.text.pop_back();
    } else if (c == 11 || c == 12 || (c >= 32 && c <= 126)) {
      s.text.push_back(static_cast<char>(c));
    }
  }
  if (s.textLimit > 0 && s.text.size() > static_cast<size_t>(s.textLimit)) s.text.resize(s.textLimit);
}

void GetText(std::string& out, bool clear) {
  out = State().text;
  if (clear) State().text.clear();
}

void SetText(const std::string& text) { State().text = text; }
void ClearText() { State().text.clear(); }

void SetKeyDownFlag(bool flag) { State().keyDownFlag = flag; }
bool GetKeyDownFlag() { return State().keyDownFlag; }

}  // namespace Input
