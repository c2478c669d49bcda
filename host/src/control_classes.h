// The system's control classes inside the host layer: their registration, and what the button, drop-down, edit
// and rich-edit controls share: painting on WM_PAINT and WM_PRINTCLIENT, notifying the parent, asking it for
// colours, the classic three-dimensional look, and per-window state kept beside the window records.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "host/controls.h"
#include "user_state.h"

namespace host {

// Registers the classes "BUTTON", "COMBOBOX" and "EDIT" (and the class of a drop-down list's open list) the first
// time a window is made.
void RegisterControlClasses();

// The classes' procedures (button_control.cpp, combo_box_control.cpp, edit_control.cpp, rich_edit_control.cpp).
LRESULT ButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT ComboBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT ComboListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT EditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT RichEdit20Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT RichEdit10Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

constexpr const char* kComboListClass = "ComboLBox";

namespace controls {

// The classic colours.
constexpr COLORREF kFace = RGB(192, 192, 192);
constexpr COLORREF kHighlight = RGB(255, 255, 255);
constexpr COLORREF kLight = RGB(223, 223, 223);
constexpr COLORREF kShadow = RGB(128, 128, 128);
constexpr COLORREF kDarkShadow = RGB(0, 0, 0);
constexpr COLORREF kWindow = RGB(255, 255, 255);
constexpr COLORREF kWindowText = RGB(0, 0, 0);
constexpr COLORREF kSelection = RGB(0, 0, 128);
constexpr COLORREF kSelectedText = RGB(255, 255, 255);
constexpr COLORREF kGrayText = RGB(128, 128, 128);

// The state of each window of a control class, made at WM_NCCREATE and dropped after WM_NCDESTROY.
template <typename State>
class StateTable {
 public:
  State* Find(HWND window) {
    auto found = states_.find(window);
    return found == states_.end() ? nullptr : found->second.get();
  }
  State* Make(HWND window) {
    auto& slot = states_[window];
    slot = std::make_unique<State>();
    return slot.get();
  }
  void Drop(HWND window) { states_.erase(window); }

 private:
  std::map<HWND, std::unique_ptr<State>> states_;
};

// Paints the client area through `paint` for WM_PAINT (into the device context in wParam when one is given, else
// between BeginPaint and EndPaint) and WM_PRINTCLIENT (nothing for a hidden window with PRF_CHECKVISIBLE, or
// without PRF_CLIENT). The device context's state is saved around the call. False for other messages.
using Painter = std::function<void(HDC dc, const RECT& client)>;
bool HandlePaint(HWND window, UINT message, WPARAM wParam, LPARAM lParam, const Painter& paint);

// Tells the parent with WM_COMMAND. The control may be gone when this returns.
void NotifyParent(HWND control, WORD code);

// Asks the parent for the colours of a control that looks static (WM_CTLCOLORSTATIC); the text and background
// colours it leaves in the device context are the control's. The brush answered, or null when the parent leaves
// the message alone.
HBRUSH AskStaticColours(HWND control, HDC dc);

// The window's style and extended style (0 for a window that is gone).
DWORD StyleOf(HWND window);
DWORD ExStyleOf(HWND window);

// Whether the window and its parents are enabled.
bool IsEnabledNow(HWND window);

void FillSolid(HDC dc, const RECT& rect, COLORREF colour);
// One-pixel edges: the top and left in one colour, the bottom and right in the other.
void Edges(HDC dc, const RECT& rect, COLORREF topLeft, COLORREF bottomRight);
// The two-pixel frames: raised (a button) and sunken (a field); the rectangle shrinks to what lies inside.
void RaisedFrame(HDC dc, RECT* rect);
void SunkenFrame(HDC dc, RECT* rect);
// The dotted rectangle of the keyboard focus.
void FocusRect(HDC dc, const RECT& rect);

// The control's font: the one it was given by WM_SETFONT, else the system font.
HFONT FontOrSystem(HFONT font);
// Text in the font, colour and alignment (0 left, 1 centred, 2 right) within the rectangle, vertically centred.
void DrawLabel(HDC dc, HFONT font, const std::string& text, const RECT& rect, COLORREF colour, int alignment);
// The height of a line of the font.
int LineHeight(HFONT font);

// WM_GETTEXT's answer: the text copied into the buffer of that size (cut and terminated); the length copied.
LRESULT AnswerText(const std::string& text, WPARAM size, LPARAM buffer);
// EM_GETSEL's answer for a selection between two indexes, stored through the DWORD pointers when given.
LRESULT AnswerSelection(int32_t anchor, int32_t caret, WPARAM start, LPARAM end);
// Lets the mouse go when the window has it.
void ReleaseMouse(HWND window);

// Whether a key-down types a character (letters, digits, the blank and punctuation) without Ctrl.
bool TypesCharacter(WPARAM virtualKey);

}  // namespace controls
}  // namespace host
