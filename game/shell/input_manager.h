// The input manager: what the player does with the keyboard and the mouse, kept in a form the game reads once per
// frame. The window procedure records key slots, button states and typed characters into the live state;
// Input::BeginFrame latches them into the frame's view, which the game tick, the dialogs and the scripts read.
//
// Key slots: 289 slots, 1 while the key is down. 0 to 255 are virtual-key codes with the letters at their
// lower-case codes (A is slot 97) and the character codes 8, 9, 13, 27 and 127 of Backspace, Tab, Return, Escape
// and Delete; 256 to 259 the arrows (up, down, left, right); 260 to 271 F1 to F12; 272 to 279 the keypad
// directions; 280 to 284 Return, Escape, Backspace, Delete and Tab; 285 to 288 only what SetKey puts there.
#pragma once

#include <cstdint>
#include <string>

using KeySlot = int32_t;

constexpr int32_t kKeySlotCount = 289;
constexpr KeySlot kSlotUp = 256;
constexpr KeySlot kSlotDown = 257;
constexpr KeySlot kSlotLeft = 258;
constexpr KeySlot kSlotRight = 259;
constexpr KeySlot kSlotF1 = 260;
constexpr KeySlot kSlotF3 = 262;
constexpr KeySlot kSlotReturn = 280;
constexpr KeySlot kSlotEscape = 281;
constexpr KeySlot kSlotBackspace = 282;
constexpr KeySlot kSlotDelete = 283;
constexpr KeySlot kSlotTab = 284;

// Mouse-button states: 0 up, 1 down, 2 down as another button's message reported it (becomes 1 when aged), 4 up
// as reported that way (becomes 0), 8 idle (nothing known). 32 given to a button event is a double click.
// A button pressed and let go between two frame latches sets the click flag at once and reads down until the next
// latch has shown the press, as a key tap does: the game, which reads the buttons held over a frame, sees it.
constexpr int32_t kButtonUp = 0;
constexpr int32_t kButtonDown = 1;
constexpr int32_t kButtonHeldByFlags = 2;
constexpr int32_t kButtonUpByFlags = 4;
constexpr int32_t kButtonIdle = 8;
constexpr int32_t kButtonDoubleClick = 32;

namespace Input {

void Initialize();
void Shutdown();
void Reset();
void ResetMouse();
void BeginFrame();

// One key slot of a virtual key. The caller starts with step 0 and calls again with the returned next step until
// it is 0: Escape, Backspace, Delete and Tab give two slots, Return three (280, 13, 13), every other key one.
// Step 1 alone gives the slot that the full keyboard poll uses.
void MapVirtualKey(int32_t virtualKey, int32_t step, KeySlot* code, int32_t* next);
void SetKey(KeySlot slot, int32_t value);
void ReleaseKey(KeySlot slot);
// Re-reads the whole keyboard: a slot is down while any key that maps to it is held (the pressed bit of its
// state), so keys that share a slot (the letters J to O and the keypad operators) do not release each other.
void PollKeyboard();

int32_t IsKeyDown(KeySlot slot);
const int32_t* GetKeyTable();  // the frame table; null before Initialize
int32_t GetKeyFromTable(const int32_t* table, KeySlot slot);
bool IsMovementKeyDown();

void OnLeftButton(int32_t x, int32_t y, int32_t value);
void OnMiddleButton(int32_t x, int32_t y, int32_t value);
void OnRightButton(int32_t x, int32_t y, int32_t value);
void SetMousePosition(int32_t x, int32_t y);
void AgeButtons();
void IdleButtons();
// The frame position, and the left and middle states combined (also the result).
int32_t GetMouse(int32_t* x, int32_t* y, int32_t* state);
int32_t GetMouseRight(int32_t* x, int32_t* y, int32_t* state);
bool MouseMoved();
bool WasClicked();
void ClearClick();
bool WasDoubleClicked();
void ClearDoubleClick();

void EnableTextEntry(bool on);
void SetTextLimit(int32_t limit);  // 0: no limit
void QueueChar(int32_t character);
void UpdateText();
void GetText(std::string& out, bool clear);
void SetText(const std::string& text);
void ClearText();

void SetKeyDownFlag(bool flag);
bool GetKeyDownFlag();

}  // namespace Input
