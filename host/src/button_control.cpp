// The "BUTTON" class: push buttons (and default push buttons, drawn with a heavier frame), check boxes and radio
// buttons. A button is clicked (BN_CLICKED to the parent) when the left button is released over it after a press
// on it, or when Space is released after being pressed on it; it shows itself pressed meanwhile. The check of a
// check box or radio button changes only by BM_SETCHECK. Check boxes and radio buttons ask their parent for the
// colours of their label (WM_CTLCOLORSTATIC).
#include <cmath>
#include <string>

#include "control_classes.h"

namespace host {
namespace {

using namespace controls;

constexpr int kBoxSize = 13;    // the square of a check box
constexpr int kRoundSize = 12;  // the circle of a radio button
constexpr int kLabelGap = 4;

struct ButtonState {
  WPARAM check = BST_UNCHECKED;
  bool pushed = false;    // shown pressed (by the mouse, Space or BM_SETSTATE)
  bool tracking = false;  // the left button went down on it and is still down
  bool spaceDown = false;
  bool focused = false;
  HFONT font = nullptr;
};

StateTable<ButtonState>& States() {
  static StateTable<ButtonState>* table = new StateTable<ButtonState>;
  return *table;
}

DWORD KindOf(HWND window) { return StyleOf(window) & BS_TYPEMASK; }

std::string TextOf(HWND window) {
  char text[1024];
  const LRESULT length = DefWindowProcA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return std::string(text, static_cast<size_t>(length));
}

void Redraw(HWND window) { InvalidateRect(window, nullptr, TRUE); }

void SetPushed(HWND window, ButtonState* state, bool pushed) {
  if (state->pushed == pushed) return;
  state->pushed = pushed;
  Redraw(window);
}

void PaintPush(HWND window, const ButtonState& state, HDC dc, const RECT& client, bool enabled, bool isDefault) {
  RECT rect = client;
  FillSolid(dc, rect, kFace);
  if (isDefault) {
    Edges(dc, rect, kDarkShadow, kDarkShadow);
    rect = RECT{rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom - 1};
  }
  LONG shift = 0;
  if (state.pushed) {
    Edges(dc, rect, kShadow, kShadow);
    shift = 1;
  } else {
    RaisedFrame(dc, &rect);
  }
  RECT label{client.left + shift, client.top + shift, client.right + shift, client.bottom + shift};
  const std::string text = TextOf(window);
  if (enabled) {
    DrawLabel(dc, state.font, text, label, kWindowText, 1);
  } else {
    DrawLabel(dc, state.font, text, RECT{label.left + 1, label.top + 1, label.right + 1, label.bottom + 1}, kHighlight,
              1);
    DrawLabel(dc, state.font, text, label, kGrayText, 1);
  }
  if (state.focused) {
    FocusRect(dc, RECT{client.left + 3, client.top + 3, client.right - 3, client.bottom - 3});
  }
}

void PaintCheckMark(HDC dc, LONG x, LONG y, COLORREF colour) {
  // A tick seven pixels wide and three thick.
  static const int kRise[7] = {2, 3, 4, 3, 2, 1, 0};
  for (int i = 0; i < 7; ++i) {
    for (int t = 0; t < 3; ++t) SetPixelV(dc, x + i, y + kRise[i] + t, colour);
  }
}

void PaintBox(HDC dc, const ButtonState& state, LONG top, bool enabled) {
  RECT box{0, top, kBoxSize, top + kBoxSize};
  SunkenFrame(dc, &box);
  FillSolid(dc, box, state.pushed || !enabled ? kFace : kWindow);
  if (state.check != BST_UNCHECKED) PaintCheckMark(dc, box.left + 1, box.top + 1, enabled ? kWindowText : kGrayText);
}

void PaintRound(HDC dc, const ButtonState& state, LONG top, bool enabled) {
  // Rings at distances from the centre: the outer one in the shadow colours, the inner one in the dark ones.
  const double centre = (kRoundSize - 1) / 2.0;
  for (int y = 0; y < kRoundSize; ++y) {
    for (int x = 0; x < kRoundSize; ++x) {
      const double d = std::hypot(x - centre, y - centre);
      const bool upperLeft = x + y < kRoundSize - 1;
      COLORREF colour;
      if (d > 6.0) {
        continue;
      } else if (d > 5.0) {
        colour = upperLeft ? kShadow : kHighlight;
      } else if (d > 4.0) {
        colour = upperLeft ? kDarkShadow : kLight;
      } else if (state.check != BST_UNCHECKED && d <= 2.0) {
        colour = enabled ? kWindowText : kGrayText;
      } else {
        colour = state.pushed || !enabled ? kFace : kWindow;
      }
      SetPixelV(dc, x, top + y, colour);
    }
  }
}

void PaintCheckable(HWND window, const ButtonState& state, HDC dc, const RECT& client, bool enabled, bool round) {
  SetTextColor(dc, kWindowText);
  SetBkColor(dc, kFace);
  HBRUSH brush = AskStaticColours(window, dc);
  if (brush != nullptr) {
    FillRect(dc, &client, brush);
  } else {
    FillSolid(dc, client, kFace);
  }
  const COLORREF text = enabled ? GetTextColor(dc) : kGrayText;
  const int size = round ? kRoundSize : kBoxSize;
  const LONG top = client.top + (client.bottom - client.top - size) / 2;
  if (round) {
    PaintRound(dc, state, top, enabled);
  } else {
    PaintBox(dc, state, top, enabled);
  }
  RECT label{client.left + size + kLabelGap, client.top, client.right, client.bottom};
  DrawLabel(dc, state.font, TextOf(window), label, text, 0);
  if (state.focused) {
    FocusRect(dc, RECT{label.left - 1, client.top + 1, client.right - 1, client.bottom - 1});
  }
}

void Paint(HWND window, HDC dc, const RECT& client) {
  ButtonState* state = States().Find(window);
  if (state == nullptr) return;
  const bool enabled = IsEnabledNow(window);
  switch (KindOf(window)) {
    case BS_CHECKBOX:
      PaintCheckable(window, *state, dc, client, enabled, false);
      break;
    case BS_RADIOBUTTON:
      PaintCheckable(window, *state, dc, client, enabled, true);
      break;
    default:
      PaintPush(window, *state, dc, client, enabled, KindOf(window) == BS_DEFPUSHBUTTON);
      break;
  }
}

bool Inside(HWND window, LPARAM lParam) {
  RECT client;
  GetClientRect(window, &client);
  const LONG x = static_cast<int16_t>(LOWORD(lParam)), y = static_cast<int16_t>(HIWORD(lParam));
  return x >= client.left && x < client.right && y >= client.top && y < client.bottom;
}

}  // namespace

LRESULT ButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) States().Make(window);
  ButtonState* state = States().Find(window);
  if (state == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  if (controls::HandlePaint(window, message, wParam, lParam,
                            [window](HDC dc, const RECT& client) { Paint(window, dc, client); })) {
    return 0;
  }
  switch (message) {
    case WM_NCDESTROY:
      ReleaseMouse(window);
      States().Drop(window);
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the button paints all of itself
    case WM_SETFOCUS:
      state->focused = true;
      Redraw(window);
      return 0;
    case WM_KILLFOCUS:
      state->focused = false;
      state->spaceDown = false;
      if (!state->tracking) state->pushed = false;
      Redraw(window);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      SetFocus(window);
      state = States().Find(window);
      if (state == nullptr) return 0;
      state->tracking = true;
      SetMouseCapture(window);
      SetPushed(window, state, true);
      return 0;
    case WM_MOUSEMOVE:
      if (state->tracking) SetPushed(window, state, Inside(window, lParam));
      return 0;
    case WM_LBUTTONUP: {
      if (!state->tracking) return 0;
      state->tracking = false;
      ReleaseMouse(window);
      const bool clicked = Inside(window, lParam);
      SetPushed(window, state, false);
      if (clicked) NotifyParent(window, BN_CLICKED);
      return 0;
    }
    case WM_KEYDOWN:
      if (wParam != VK_SPACE) break;
      if (!(lParam & (LPARAM{1} << 30))) {
        state->spaceDown = true;
        SetPushed(window, state, true);
      }
      return 0;
    case WM_KEYUP:
      if (wParam != VK_SPACE) break;
      if (state->spaceDown) {
        state->spaceDown = false;
        SetPushed(window, state, false);
        NotifyParent(window, BN_CLICKED);
      }
      return 0;
    case WM_CHAR:
      if (wParam == ' ') return 0;
      break;
    case BM_GETCHECK: {
      const DWORD kind = KindOf(window);
      return kind == BS_CHECKBOX || kind == BS_RADIOBUTTON ? static_cast<LRESULT>(state->check) : 0;
    }
    case BM_SETCHECK: {
      const DWORD kind = KindOf(window);
      if (kind != BS_CHECKBOX && kind != BS_RADIOBUTTON) return 0;
      const WPARAM check = wParam != BST_UNCHECKED ? BST_CHECKED : BST_UNCHECKED;
      if (state->check != check) {
        state->check = check;
        Redraw(window);
      }
      return 0;
    }
    case BM_GETSTATE:
      return static_cast<LRESULT>(state->check) | (state->pushed ? BST_PUSHED : 0) | (state->focused ? BST_FOCUS : 0);
    case BM_SETSTATE:
      // The look changes at once, even when the caller waits before it pumps messages again (a flash).
      SetPushed(window, state, wParam != 0);
      UpdateWindow(window);
      return 0;
    case WM_SETFONT:
      state->font = reinterpret_cast<HFONT>(wParam);
      if (LOWORD(lParam)) Redraw(window);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(state->font);
    case WM_SETTEXT: {
      const LRESULT result = DefWindowProcA(window, message, wParam, lParam);
      Redraw(window);
      return result;
    }
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace host
