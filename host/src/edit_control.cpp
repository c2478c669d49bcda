// The "EDIT" class: single-line fields (scrolled sideways to keep the caret in view) and multi-line ones (lines
// wrapped at the width and scrolled to keep the caret's line in view), in one font, with a caret and a selection.
// The field takes the keys that type and edit (characters, Backspace, Delete, the arrows, Home and End, Page Up
// and Page Down, Return in a multi-line field); Tab, Escape, Return in a single-line field and keys held with Ctrl
// go on to the parent. The parent hears EN_SETFOCUS, EN_KILLFOCUS and EN_CHANGE (after every change the user
// makes, and after WM_SETTEXT in a single-line field). A read-only or disabled field asks its parent for its
// colours (WM_CTLCOLORSTATIC).
#include <algorithm>
#include <string>

#include "control_classes.h"
#include "text_layout.h"

namespace host {
namespace {

using namespace controls;

constexpr int32_t kMarginX = 2;  // between the frame and the text, left and right
constexpr int32_t kMarginY = 1;

struct EditState {
  std::string text;  // paragraph ends as "\r\n" in a multi-line field; none in a single-line one
  int32_t anchor = 0;
  int32_t caret = 0;
  HFONT font = nullptr;
  bool focused = false;
  bool readOnly = false;
  bool tracking = false;
  int32_t scrollX = 0;
  int32_t scrollY = 0;
  int32_t preferredX = -1;          // where Up and Down aim, kept while they repeat
  std::vector<LayoutStyle> styles;  // the font's metrics, made when first needed
  TextLayout layout;
};

StateTable<EditState>& States() {
  static StateTable<EditState>* table = new StateTable<EditState>;
  return *table;
}

bool IsMultiLine(HWND window) { return (StyleOf(window) & ES_MULTILINE) != 0; }

RECT TextArea(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  return RECT{client.left + kMarginX, client.top + kMarginY, std::max(client.left + kMarginX, client.right - kMarginX),
              std::max(client.top + kMarginY, client.bottom - kMarginY)};
}

// Lays the text out for the window's present size and font.
void Lay(HWND window, EditState* state) {
  if (state->styles.empty()) state->styles.push_back(MeasureStyle(FontOrSystem(state->font)));
  const RECT area = TextArea(window);
  const int32_t width = area.right - area.left;
  const DWORD style = StyleOf(window);
  const bool wraps = (style & ES_MULTILINE) && !(style & ES_AUTOHSCROLL);
  const int alignment = (style & ES_RIGHT) ? 2 : (style & ES_CENTER) ? 1 : 0;
  state->layout.Lay(state->text, nullptr, state->styles, 0, wraps ? width : 0, width, alignment);
  if (!(style & ES_MULTILINE)) {
    // A single-line field wider than its text scrolls from the left whatever its alignment.
    int32_t textWidth = 0;
    for (int32_t i = 0; i < static_cast<int32_t>(state->text.size()); ++i) textWidth += state->layout.Advance(i);
    if (textWidth > width) state->layout.Lay(state->text, nullptr, state->styles, 0, 0, width, 0);
  }
}

void KeepCaretInView(HWND window, EditState* state) {
  Lay(window, state);
  const RECT area = TextArea(window);
  if (IsMultiLine(window)) {
    const LayoutLine& line = state->layout.Lines()[state->layout.LineOf(state->caret)];
    const int32_t height = area.bottom - area.top;
    if (line.top < state->scrollY) state->scrollY = line.top;
    if (line.top + line.height > state->scrollY + height) state->scrollY = std::max(0, line.top + line.height - height);
  } else {
    const int32_t x = state->layout.XOf(state->caret);
    const int32_t width = area.right - area.left;
    if (x < state->scrollX) state->scrollX = x;
    if (x > state->scrollX + width - 1) state->scrollX = x - width + 1;
    state->scrollX = std::max(0, state->scrollX);
  }
}

int32_t Length(const EditState& state) { return static_cast<int32_t>(state.text.size()); }

// Text as the field keeps it: without line breaks in a single-line field, with each break as "\r\n" otherwise.
std::string Normalise(HWND window, const char* text) {
  std::string out;
  const bool multi = IsMultiLine(window);
  for (const char* p = text; p != nullptr && *p != '\0'; ++p) {
    if (*p == '\r' || *p == '\n') {
      if (*p == '\r' && p[1] == '\n') ++p;
      if (multi) out += "\r\n";
      continue;
    }
    out += *p;
  }
  return out;
}

// Keeps an index off the middle of a "\r\n" pair, moving it the way it was going.
int32_t OffBreak(const EditState& state, int32_t index, bool forward) {
  index = std::clamp(index, 0, Length(state));
  if (index > 0 && index < Length(state) && state.text[static_cast<size_t>(index)] == '\n' &&
      state.text[static_cast<size_t>(index - 1)] == '\r') {
    index += forward ? 1 : -1;
  }
  return index;
}

void Replace(EditState* state, const std::string& text) {
  const int32_t from = std::min(state->anchor, state->caret), to = std::max(state->anchor, state->caret);
  state->text.replace(static_cast<size_t>(from), static_cast<size_t>(to - from), text);
  state->anchor = state->caret = from + static_cast<int32_t>(text.size());
  state->preferredX = -1;
}

void Redraw(HWND window) { InvalidateRect(window, nullptr, TRUE); }

// Moves the caret (extending the selection with Shift) and shows where it went.
void MoveCaret(HWND window, EditState* state, int32_t to, bool extend) {
  state->caret = to;
  if (!extend) state->anchor = to;
  KeepCaretInView(window, state);
  Redraw(window);
}

bool Shift() { return (GetKeyState(VK_SHIFT) & 0x8000) != 0; }
bool Control() { return (GetKeyState(VK_CONTROL) & 0x8000) != 0; }

// The caret one line up or down, at the x it aimed at.
int32_t LineStep(HWND window, EditState* state, int lines) {
  Lay(window, state);
  const auto& all = state->layout.Lines();
  const size_t line = state->layout.LineOf(state->caret);
  if (state->preferredX < 0) state->preferredX = state->layout.XOf(state->caret);
  const int64_t target = static_cast<int64_t>(line) + lines;
  const size_t to = static_cast<size_t>(std::clamp<int64_t>(target, 0, static_cast<int64_t>(all.size()) - 1));
  return state->layout.IndexAt(state->preferredX, all[to].top);
}

// True when the key was the field's.
bool OnKey(HWND window, EditState* state, WPARAM key) {
  const bool multi = IsMultiLine(window);
  const bool extend = Shift();
  const int32_t low = std::min(state->anchor, state->caret), high = std::max(state->anchor, state->caret);
  Lay(window, state);
  const LayoutLine& line = state->layout.Lines()[state->layout.LineOf(state->caret)];
  const int32_t page = std::max(1, (TextArea(window).bottom - TextArea(window).top) / std::max(1, line.height));
  const bool keepsAim = key == VK_UP || key == VK_DOWN || key == VK_PRIOR || key == VK_NEXT;
  if (!keepsAim) state->preferredX = -1;
  switch (key) {
    case VK_LEFT:
      MoveCaret(window, state, extend || low == high ? OffBreak(*state, state->caret - 1, false) : low, extend);
      return true;
    case VK_RIGHT:
      MoveCaret(window, state, extend || low == high ? OffBreak(*state, state->caret + 1, true) : high, extend);
      return true;
    case VK_HOME:
      MoveCaret(window, state, Control() ? 0 : line.start, extend);
      return true;
    case VK_END:
      MoveCaret(window, state, Control() ? Length(*state) : line.end, extend);
      return true;
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT: {
      if (!multi) {
        MoveCaret(window, state, OffBreak(*state, state->caret + (key == VK_UP || key == VK_PRIOR ? -1 : 1), true),
                  extend);
        return true;
      }
      const int lines = key == VK_UP ? -1 : key == VK_DOWN ? 1 : key == VK_PRIOR ? -page : page;
      MoveCaret(window, state, LineStep(window, state, lines), extend);
      return true;
    }
    case VK_DELETE:
      if (state->readOnly) return true;
      if (low == high) {
        if (high >= Length(*state)) return true;
        state->caret = OffBreak(*state, high + 1, true);
        state->anchor = low;
      }
      Replace(state, "");
      KeepCaretInView(window, state);
      Redraw(window);
      NotifyParent(window, EN_CHANGE);
      return true;
    case VK_BACK:
      return true;  // erased when its character comes
    case VK_RETURN:
      return multi;
    default:
      return TypesCharacter(key);
  }
}

// True when the character was the field's.
bool OnCharacter(HWND window, EditState* state, WPARAM character) {
  const unsigned char c = static_cast<unsigned char>(character);
  const bool multi = IsMultiLine(window);
  std::string typed;
  if (c == '\b') {
    if (state->readOnly) return true;
    if (state->anchor == state->caret) {
      if (state->caret == 0) return true;
      state->anchor = OffBreak(*state, state->caret - 1, false);
    }
  } else if (c == '\r' && multi) {
    typed = "\r\n";
  } else if (c >= 32 && c != 127) {
    typed = std::string(1, static_cast<char>(c));
  } else {
    return false;
  }
  if (state->readOnly) return true;
  Replace(state, typed);
  KeepCaretInView(window, state);
  Redraw(window);
  NotifyParent(window, EN_CHANGE);
  return true;
}

void Paint(HWND window, HDC dc, const RECT& client) {
  EditState* state = States().Find(window);
  if (state == nullptr) return;
  const bool enabled = IsEnabledNow(window);
  COLORREF text = kWindowText;
  if (!enabled || state->readOnly) {
    SetTextColor(dc, kWindowText);
    SetBkColor(dc, kFace);
    HBRUSH brush = AskStaticColours(window, dc);
    if (brush != nullptr) {
      FillRect(dc, &client, brush);
      text = GetTextColor(dc);
    } else {
      FillSolid(dc, client, kFace);
    }
    if (!enabled) text = kGrayText;
  } else {
    FillSolid(dc, client, kWindow);
  }
  Lay(window, state);
  const RECT area = TextArea(window);
  HRGN clip = CreateRectRgn(area.left, area.top, area.right, area.bottom);
  POINT origin{0, 0};
  GetViewportOrgEx(dc, &origin);
  OffsetRgn(clip, origin.x, origin.y);
  // Drawing stays within the text area, inside whatever clip the device context had.
  HRGN previous = CreateRectRgn(0, 0, 0, 0);
  if (GetClipRgn(dc, previous) == 1) CombineRgn(clip, clip, previous, RGN_AND);
  SelectClipRgn(dc, clip);
  DeleteObject(previous);
  DeleteObject(clip);
  SelectObject(dc, FontOrSystem(state->font));
  SetBkMode(dc, TRANSPARENT);
  SetTextAlign(dc, TA_LEFT | TA_BASELINE | TA_NOUPDATECP);
  const int32_t low = std::min(state->anchor, state->caret), high = std::max(state->anchor, state->caret);
  const bool showSelection = state->focused && low < high;
  const int32_t dx = area.left - state->scrollX, dy = area.top - state->scrollY;
  for (const LayoutLine& line : state->layout.Lines()) {
    if (line.top + line.height + dy < area.top || line.top + dy >= area.bottom) continue;
    int32_t x = line.left + dx;
    for (int32_t i = line.start; i < line.end;) {
      const bool selected = showSelection && i >= low && i < high;
      int32_t j = i;
      int32_t width = 0;
      while (j < line.end && (showSelection && j >= low && j < high) == selected) width += state->layout.Advance(j++);
      if (selected) FillSolid(dc, RECT{x, line.top + dy, x + width, line.top + dy + line.height}, kSelection);
      SetTextColor(dc, selected ? kSelectedText : text);
      TextOutA(dc, x, line.top + dy + line.ascent, state->text.data() + i, j - i);
      x += width;
      i = j;
    }
  }
  if (state->focused && enabled) {
    const LayoutLine& line = state->layout.Lines()[state->layout.LineOf(state->caret)];
    const int32_t x = state->layout.XOf(state->caret) + dx;
    FillSolid(dc, RECT{x, line.top + dy, x + 1, line.top + dy + line.height}, text);
  }
}

int32_t IndexAtPoint(HWND window, EditState* state, LPARAM lParam) {
  Lay(window, state);
  const RECT area = TextArea(window);
  const int32_t x = static_cast<int16_t>(LOWORD(lParam)), y = static_cast<int16_t>(HIWORD(lParam));
  return state->layout.IndexAt(x - area.left + state->scrollX, y - area.top + state->scrollY);
}

}  // namespace

LRESULT EditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    EditState* made = States().Make(window);
    made->readOnly = (reinterpret_cast<const CREATESTRUCTA*>(lParam)->style & ES_READONLY) != 0;
    made->text = Normalise(window, reinterpret_cast<const CREATESTRUCTA*>(lParam)->lpszName);
    return TRUE;
  }
  EditState* state = States().Find(window);
  if (state == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  if (HandlePaint(window, message, wParam, lParam,
                  [window](HDC dc, const RECT& client) { Paint(window, dc, client); })) {
    return 0;
  }
  switch (message) {
    case WM_NCDESTROY:
      ReleaseMouse(window);
      States().Drop(window);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SETFOCUS:
      state->focused = true;
      Redraw(window);
      NotifyParent(window, EN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      state->focused = false;
      state->tracking = false;
      ReleaseMouse(window);
      Redraw(window);
      NotifyParent(window, EN_KILLFOCUS);
      return 0;
    case WM_KEYDOWN:
      if (OnKey(window, state, wParam)) return 0;
      break;
    case WM_CHAR:
      if (OnCharacter(window, state, wParam)) return 0;
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      if (!state->focused) SetFocus(window);
      state = States().Find(window);
      if (state == nullptr) return 0;
      const int32_t at = OffBreak(*state, IndexAtPoint(window, state, lParam), false);
      state->preferredX = -1;
      if (message == WM_LBUTTONDBLCLK) {
        // The word under the pointer.
        int32_t from = at, to = at;
        while (from > 0 && state->text[static_cast<size_t>(from - 1)] > ' ') --from;
        while (to < Length(*state) && state->text[static_cast<size_t>(to)] > ' ') ++to;
        state->anchor = from;
        MoveCaret(window, state, to, true);
        return 0;
      }
      MoveCaret(window, state, at, (wParam & MK_SHIFT) != 0);
      state->tracking = true;
      SetMouseCapture(window);
      return 0;
    }
    case WM_MOUSEMOVE:
      if (state->tracking) MoveCaret(window, state, OffBreak(*state, IndexAtPoint(window, state, lParam), false), true);
      return 0;
    case WM_LBUTTONUP:
      state->tracking = false;
      ReleaseMouse(window);
      return 0;
    case WM_SETTEXT:
      state->text = Normalise(window, reinterpret_cast<const char*>(lParam));
      state->anchor = state->caret = 0;
      state->scrollX = state->scrollY = 0;
      Redraw(window);
      if (!IsMultiLine(window)) NotifyParent(window, EN_CHANGE);
      return TRUE;
    case WM_GETTEXT:
      return AnswerText(state->text, wParam, lParam);
    case WM_GETTEXTLENGTH:
      return Length(*state);
    case WM_SETFONT:
      state->font = reinterpret_cast<HFONT>(wParam);
      state->styles.clear();
      KeepCaretInView(window, state);
      if (LOWORD(lParam)) Redraw(window);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(state->font);
    case EM_GETSEL:
      return AnswerSelection(state->anchor, state->caret, wParam, lParam);
    case EM_SETSEL: {
      const int32_t start = static_cast<int32_t>(static_cast<intptr_t>(wParam));
      const int32_t end = static_cast<int32_t>(lParam);
      if (start == -1) {
        state->anchor = state->caret;  // the selection goes; the caret stays
      } else {
        state->anchor = OffBreak(*state, start < 0 ? Length(*state) : start, false);
        state->caret = OffBreak(*state, end < 0 ? Length(*state) : end, false);
      }
      state->preferredX = -1;
      KeepCaretInView(window, state);
      Redraw(window);
      return 0;
    }
    case EM_REPLACESEL:
      Replace(state, Normalise(window, reinterpret_cast<const char*>(lParam)));
      KeepCaretInView(window, state);
      Redraw(window);
      return 0;
    case EM_SETREADONLY:
      state->readOnly = wParam != 0;
      if (Window* record = FindWindow(window)) {
        record->style = state->readOnly ? (record->style | ES_READONLY) : (record->style & ~ES_READONLY);
      }
      Redraw(window);
      return TRUE;
    case EM_POSFROMCHAR: {
      Lay(window, state);
      const int32_t index = static_cast<int32_t>(wParam);
      if (index < 0 || index > Length(*state)) return -1;
      const RECT area = TextArea(window);
      const int32_t x = state->layout.XOf(index) + area.left - state->scrollX;
      const int32_t y = state->layout.CellTopOf(index) + area.top - state->scrollY;
      return static_cast<LRESULT>(MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
    }
    case EM_CHARFROMPOS: {
      const int32_t index = IndexAtPoint(window, state, lParam);
      const size_t line = state->layout.LineOf(index);
      return static_cast<LRESULT>(MAKELPARAM(static_cast<WORD>(index), static_cast<WORD>(line)));
    }
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace host
