// The "COMBOBOX" class as a drop-down list (CBS_DROPDOWNLIST): a field showing the selected item with a button
// beside it, and a list that drops below the field. The window is as tall as its field; the height it is given
// bounds the field and the open list together. The list opens on a press on the field, on F4 or on Alt with an
// arrow; while it is open it takes every mouse message of the window's tree: an item is picked by releasing the
// button over it, or by Return (Escape closes without a choice), and a press outside closes it. With the list
// closed, the arrows, Home, End, Page Up and Page Down and a typed first letter move the selection. The parent
// hears CBN_SELCHANGE when the user chose another item, and CBN_DROPDOWN, CBN_CLOSEUP, CBN_SETFOCUS and
// CBN_KILLFOCUS.
//
// The open list is a child window of the top-level window (class "ComboLBox"), made when the list opens, so that it
// lies above every other child.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "control_classes.h"

namespace host {
namespace {

using namespace controls;

constexpr int kListId = 1000;

struct ComboState {
  std::vector<std::string> items;
  int32_t selection = -1;
  HFONT font = nullptr;
  int32_t droppedHeight = 0;  // the field and the open list together
  bool focused = false;
  bool sizingSelf = false;
  HWND list = nullptr;
  int32_t hot = -1;           // the item the open list shows chosen
  int32_t top = 0;            // the first item the open list shows
};

StateTable<ComboState>& States() {
  static StateTable<ComboState>* table = new StateTable<ComboState>;
  return *table;
}

// The combo box each open list belongs to.
std::map<HWND, HWND>& ListOwners() {
  static std::map<HWND, HWND>* owners = new std::map<HWND, HWND>;
  return *owners;
}

int32_t ItemHeight(const ComboState& state) { return LineHeight(state.font) + 2; }
int32_t FieldHeight(const ComboState& state) { return ItemHeight(state) + 4; }
int32_t ButtonWidth() { return GetSystemMetrics(SM_CXHTHUMB); }
int32_t Count(const ComboState& state) { return static_cast<int32_t>(state.items.size()); }

void Redraw(HWND window) {
  if (window != nullptr) InvalidateRect(window, nullptr, TRUE);
}

void FitToField(HWND window, ComboState* state) {
  RECT bounds;
  GetWindowRect(window, &bounds);
  state->sizingSelf = true;
  SetWindowPos(window, HWND_TOP, 0, 0, bounds.right - bounds.left, FieldHeight(*state),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  state->sizingSelf = false;
}

// How many items the open list shows.
int32_t RowsShown(const ComboState& state) {
  const int32_t room = std::max(1, (state.droppedHeight - FieldHeight(state) - 2) / std::max(1, ItemHeight(state)));
  return std::max(1, std::min(room, Count(state)));
}

void ShowHot(ComboState* state) {
  const int32_t rows = RowsShown(*state);
  if (state->hot >= 0 && state->hot < state->top) state->top = state->hot;
  if (state->hot >= state->top + rows) state->top = state->hot - rows + 1;
  state->top = std::clamp(state->top, 0, std::max(0, Count(*state) - rows));
}

void Open(HWND combo, ComboState* state) {
  if (state->list != nullptr) return;
  HWND topLevel = TopLevelOf(combo);
  RECT bounds;
  GetWindowRect(combo, &bounds);
  POINT below{0, bounds.bottom - bounds.top};
  ClientToScreen(combo, &below);
  ScreenToClient(topLevel, &below);
  state->hot = state->selection;
  state->top = 0;
  ShowHot(state);
  const int32_t height = RowsShown(*state) * ItemHeight(*state) + 2;
  HWND list = CreateWindowExA(0, kComboListClass, "", WS_CHILD | WS_VISIBLE | WS_BORDER, below.x, below.y,
                              bounds.right - bounds.left, height, topLevel,
                              reinterpret_cast<HMENU>(static_cast<uintptr_t>(kListId)), nullptr, combo);
  state = States().Find(combo);
  if (state == nullptr || list == nullptr) return;
  state->list = list;
  SetMouseCapture(list);
  Redraw(combo);
  NotifyParent(combo, CBN_DROPDOWN);
}

// Closes the open list, taking the item it shows chosen when asked to.
void Close(HWND combo, ComboState* state, bool pick) {
  if (state->list == nullptr) return;
  HWND list = state->list;
  state->list = nullptr;
  ReleaseMouse(list);
  DestroyWindow(list);
  state = States().Find(combo);
  if (state == nullptr) return;
  const bool changed = pick && state->hot >= 0 && state->hot != state->selection;
  if (changed) state->selection = state->hot;
  Redraw(combo);
  NotifyParent(combo, CBN_CLOSEUP);
  if (changed && IsWindow(combo)) NotifyParent(combo, CBN_SELCHANGE);
}

// Selects an item as the user's choice (the parent hears of a change).
void Choose(HWND combo, ComboState* state, int32_t index) {
  if (Count(*state) == 0) return;
  index = std::clamp(index, 0, Count(*state) - 1);
  if (index == state->selection) return;
  state->selection = index;
  Redraw(combo);
  NotifyParent(combo, CBN_SELCHANGE);
}

bool StartsWith(const std::string& text, const char* prefix) {
  for (size_t i = 0; prefix[i] != '\0'; ++i) {
    if (i >= text.size() ||
        std::tolower(static_cast<unsigned char>(text[i])) != std::tolower(static_cast<unsigned char>(prefix[i]))) {
      return false;
    }
  }
  return true;
}

// The first item after `after` (wrapping round) that begins with the prefix; -1 for none.
int32_t FindPrefix(const ComboState& state, int32_t after, const char* prefix) {
  const int32_t count = Count(state);
  for (int32_t step = 1; step <= count; ++step) {
    const int32_t index = ((after < 0 ? -1 : after) + step + count) % count;
    if (StartsWith(state.items[static_cast<size_t>(index)], prefix)) return index;
  }
  return -1;
}

void PaintArrow(HDC dc, const RECT& button, COLORREF colour) {
  const LONG cx = (button.left + button.right) / 2, cy = (button.top + button.bottom) / 2 - 2;
  for (LONG row = 0; row < 4; ++row) {
    FillSolid(dc, RECT{cx - 3 + row, cy + row, cx + 4 - row, cy + row + 1}, colour);
  }
}

void PaintField(HWND window, HDC dc, const RECT& client) {
  ComboState* state = States().Find(window);
  if (state == nullptr) return;
  const bool enabled = IsEnabledNow(window);
  RECT inside = client;
  SunkenFrame(dc, &inside);
  FillSolid(dc, inside, enabled ? kWindow : kFace);
  RECT button{std::max(inside.left, inside.right - ButtonWidth()), inside.top, inside.right, inside.bottom};
  FillSolid(dc, button, kFace);
  RECT buttonInside = button;
  if (state->list != nullptr) {
    Edges(dc, button, kShadow, kShadow);
  } else {
    RaisedFrame(dc, &buttonInside);
  }
  PaintArrow(dc, button, enabled ? kWindowText : kGrayText);
  RECT text{inside.left, inside.top, button.left, inside.bottom};
  COLORREF colour = enabled ? kWindowText : kGrayText;
  if (state->focused && state->list == nullptr && enabled) {
    const RECT mark{text.left + 1, text.top + 1, text.right - 1, text.bottom - 1};
    FillSolid(dc, mark, kSelection);
    FocusRect(dc, mark);
    colour = kSelectedText;
  }
  if (state->selection >= 0 && state->selection < Count(*state)) {
    DrawLabel(dc, state->font, state->items[static_cast<size_t>(state->selection)],
              RECT{text.left + 3, text.top, text.right, text.bottom}, colour, 0);
  }
}

// The open list's parts: the items, and a scroll bar at the right when not all of them show.
struct ListParts {
  RECT items;
  RECT bar;  // empty when all items show
};

ListParts PartsOf(HWND list, const ComboState& state) {
  RECT client;
  GetClientRect(list, &client);
  ListParts parts{client, RECT{client.right, client.top, client.right, client.bottom}};
  if (Count(state) > RowsShown(state)) {
    parts.bar.left = std::max(client.left, client.right - ButtonWidth());
    parts.items.right = parts.bar.left;
  }
  return parts;
}

void PaintList(HWND list, HDC dc, const RECT& client) {
  auto owner = ListOwners().find(list);
  ComboState* state = owner != ListOwners().end() ? States().Find(owner->second) : nullptr;
  FillSolid(dc, client, kWindow);
  if (state == nullptr) return;
  const ListParts parts = PartsOf(list, *state);
  const int32_t height = ItemHeight(*state);
  for (int32_t row = 0; row < RowsShown(*state); ++row) {
    const int32_t index = state->top + row;
    if (index >= Count(*state)) break;
    const RECT box{parts.items.left, parts.items.top + row * height, parts.items.right,
                   parts.items.top + (row + 1) * height};
    const bool hot = index == state->hot;
    if (hot) FillSolid(dc, box, kSelection);
    DrawLabel(dc, state->font, state->items[static_cast<size_t>(index)],
              RECT{box.left + 2, box.top, box.right, box.bottom}, hot ? kSelectedText : kWindowText, 0);
  }
  if (parts.bar.left < parts.bar.right) {
    FillSolid(dc, parts.bar, kLight);
    const int32_t arrow = std::min<int32_t>(ButtonWidth(), (parts.bar.bottom - parts.bar.top) / 2);
    RECT up{parts.bar.left, parts.bar.top, parts.bar.right, parts.bar.top + arrow};
    RECT down{parts.bar.left, parts.bar.bottom - arrow, parts.bar.right, parts.bar.bottom};
    for (RECT* box : {&up, &down}) {
      FillSolid(dc, *box, kFace);
      RECT inner = *box;
      RaisedFrame(dc, &inner);
    }
    // The arrows: up in the upper box, down in the lower.
    const LONG cx = (up.left + up.right) / 2;
    for (LONG row = 0; row < 4; ++row) {
      const LONG upY = (up.top + up.bottom) / 2 - 2 + row, downY = (down.top + down.bottom) / 2 + 1 - row;
      FillSolid(dc, RECT{cx - row, upY, cx + row + 1, upY + 1}, kWindowText);
      FillSolid(dc, RECT{cx - row, downY, cx + row + 1, downY + 1}, kWindowText);
    }
  }
}

LRESULT ComboKeyDown(HWND window, ComboState* state, UINT message, WPARAM key, LPARAM lParam) {
  const bool alt = message == WM_SYSKEYDOWN;
  const int32_t page = RowsShown(*state);
  if (state->list != nullptr) {
    int32_t hot = state->hot;
    switch (key) {
      case VK_UP:
      case VK_DOWN:
        if (alt) {
          Close(window, state, true);
          return 0;
        }
        hot += key == VK_UP ? -1 : 1;
        break;
      case VK_LEFT:
        hot -= 1;
        break;
      case VK_RIGHT:
        hot += 1;
        break;
      case VK_PRIOR:
        hot -= page;
        break;
      case VK_NEXT:
        hot += page;
        break;
      case VK_HOME:
        hot = 0;
        break;
      case VK_END:
        hot = Count(*state) - 1;
        break;
      case VK_RETURN:
      case VK_F4:
        Close(window, state, true);
        return 0;
      case VK_ESCAPE:
        Close(window, state, false);
        return 0;
      case VK_TAB:
        Close(window, state, true);
        return IsWindow(window) ? DefWindowProcA(window, message, key, lParam) : 0;
      default:
        if (TypesCharacter(key)) return 0;
        return DefWindowProcA(window, message, key, lParam);
    }
    if (Count(*state) > 0) {
      state->hot = std::clamp(hot, 0, Count(*state) - 1);
      ShowHot(state);
      Redraw(state->list);
    }
    return 0;
  }
  switch (key) {
    case VK_UP:
    case VK_DOWN:
      if (alt) {
        Open(window, state);
        return 0;
      }
      Choose(window, state, state->selection + (key == VK_UP ? -1 : 1));
      return 0;
    case VK_LEFT:
      Choose(window, state, state->selection - 1);
      return 0;
    case VK_RIGHT:
      Choose(window, state, state->selection + 1);
      return 0;
    case VK_PRIOR:
      Choose(window, state, state->selection - page);
      return 0;
    case VK_NEXT:
      Choose(window, state, state->selection + page);
      return 0;
    case VK_HOME:
      Choose(window, state, 0);
      return 0;
    case VK_END:
      Choose(window, state, Count(*state) - 1);
      return 0;
    case VK_F4:
      Open(window, state);
      return 0;
    default:
      if (!alt && TypesCharacter(key)) return 0;  // chosen by its character
      return DefWindowProcA(window, message, key, lParam);
  }
}

}  // namespace

LRESULT ComboBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    States().Make(window)->droppedHeight = reinterpret_cast<const CREATESTRUCTA*>(lParam)->cy;
    return TRUE;
  }
  ComboState* state = States().Find(window);
  if (state == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  if (HandlePaint(window, message, wParam, lParam,
                  [window](HDC dc, const RECT& client) { PaintField(window, dc, client); })) {
    return 0;
  }
  switch (message) {
    case WM_CREATE:
      FitToField(window, state);
      return 0;
    case host::WM_WINDOWPOSCHANGING: {
      auto* position = reinterpret_cast<host::WINDOWPOS*>(lParam);
      if (!state->sizingSelf && !(position->flags & SWP_NOSIZE)) state->droppedHeight = position->cy;
      position->cy = FieldHeight(*state);
      return 0;
    }
    case WM_DESTROY:
      if (state->list != nullptr) {
        HWND list = state->list;
        state->list = nullptr;
        DestroyWindow(list);
      }
      return 0;
    case WM_NCDESTROY:
      States().Drop(window);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SETFOCUS:
      state->focused = true;
      Redraw(window);
      NotifyParent(window, CBN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      Close(window, state, false);
      state = States().Find(window);
      if (state == nullptr) return 0;
      state->focused = false;
      Redraw(window);
      NotifyParent(window, CBN_KILLFOCUS);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (!state->focused) SetFocus(window);
      state = States().Find(window);
      if (state == nullptr) return 0;
      if (state->list != nullptr) {
        Close(window, state, false);
      } else {
        Open(window, state);
      }
      return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (message == WM_SYSKEYDOWN && wParam != VK_UP && wParam != VK_DOWN) break;
      return ComboKeyDown(window, state, message, wParam, lParam);
    case WM_CHAR: {
      const unsigned char c = static_cast<unsigned char>(wParam);
      if (c < 32 || c == 127) break;
      const char prefix[2] = {static_cast<char>(c), '\0'};
      const int32_t found = FindPrefix(*state, state->list != nullptr ? state->hot : state->selection, prefix);
      if (found < 0) return 0;
      if (state->list != nullptr) {
        state->hot = found;
        ShowHot(state);
        Redraw(state->list);
      } else {
        Choose(window, state, found);
      }
      return 0;
    }
    case WM_SETFONT:
      state->font = reinterpret_cast<HFONT>(wParam);
      FitToField(window, state);
      if (LOWORD(lParam)) Redraw(window);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(state->font);
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH: {
      const std::string text =
          state->selection >= 0 ? state->items[static_cast<size_t>(state->selection)] : std::string();
      return message == WM_GETTEXTLENGTH ? static_cast<LRESULT>(text.size()) : AnswerText(text, wParam, lParam);
    }
    case CB_ADDSTRING: {
      const char* text = reinterpret_cast<const char*>(lParam);
      state->items.emplace_back(text != nullptr ? text : "");
      Redraw(state->list);
      return Count(*state) - 1;
    }
    case CB_GETCOUNT:
      return Count(*state);
    case CB_GETCURSEL:
      return state->selection >= 0 ? state->selection : CB_ERR;
    case CB_SETCURSEL: {
      const int32_t index = static_cast<int32_t>(static_cast<intptr_t>(wParam));
      state->selection = index >= 0 && index < Count(*state) ? index : -1;
      Redraw(window);
      return state->selection >= 0 ? state->selection : CB_ERR;
    }
    case CB_SELECTSTRING: {
      const char* prefix = reinterpret_cast<const char*>(lParam);
      const int32_t found =
          prefix != nullptr ? FindPrefix(*state, static_cast<int32_t>(static_cast<intptr_t>(wParam)), prefix) : -1;
      if (found < 0) return CB_ERR;
      state->selection = found;
      Redraw(window);
      return found;
    }
    case CB_GETLBTEXT:
    case CB_GETLBTEXTLEN: {
      const int32_t index = static_cast<int32_t>(static_cast<intptr_t>(wParam));
      if (index < 0 || index >= Count(*state)) return CB_ERR;
      const std::string& text = state->items[static_cast<size_t>(index)];
      if (message == CB_GETLBTEXT) {
        auto* out = reinterpret_cast<char*>(lParam);
        if (out == nullptr) return CB_ERR;
        std::memcpy(out, text.c_str(), text.size() + 1);
      }
      return static_cast<LRESULT>(text.size());
    }
    case CB_SHOWDROPDOWN:
      if (wParam != 0) {
        Open(window, state);
      } else {
        Close(window, state, false);
      }
      return TRUE;
    case CB_GETDROPPEDSTATE:
      return state->list != nullptr ? TRUE : FALSE;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT ComboListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    ListOwners()[list] = static_cast<HWND>(reinterpret_cast<const CREATESTRUCTA*>(lParam)->lpCreateParams);
    return TRUE;
  }
  if (message == WM_NCDESTROY) {
    ListOwners().erase(list);
    return 0;
  }
  if (HandlePaint(list, message, wParam, lParam, [list](HDC dc, const RECT& client) { PaintList(list, dc, client); })) {
    return 0;
  }
  auto owner = ListOwners().find(list);
  HWND combo = owner != ListOwners().end() ? owner->second : nullptr;
  ComboState* state = States().Find(combo);
  if (state == nullptr || state->list != list) return DefWindowProcA(list, message, wParam, lParam);
  const POINT point{static_cast<int16_t>(LOWORD(lParam)), static_cast<int16_t>(HIWORD(lParam))};
  const ListParts parts = PartsOf(list, *state);
  const auto within = [&point](const RECT& box) {
    return point.x >= box.left && point.x < box.right && point.y >= box.top && point.y < box.bottom;
  };
  const auto itemAt = [&]() {
    const int32_t index = state->top + (point.y - parts.items.top) / std::max(1, ItemHeight(*state));
    return index < Count(*state) ? index : -1;
  };
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_MOUSEMOVE:
      if (within(parts.items) && itemAt() >= 0 && itemAt() != state->hot) {
        state->hot = itemAt();
        Redraw(list);
      }
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (within(parts.bar)) {
        // The upper half of the bar scrolls up by a line, the lower half down.
        const int32_t middle = (parts.bar.top + parts.bar.bottom) / 2;
        state->top += point.y < middle ? -1 : 1;
        state->top = std::clamp(state->top, 0, std::max(0, Count(*state) - RowsShown(*state)));
        Redraw(list);
      } else if (!within(parts.items)) {
        Close(combo, state, false);  // a press outside closes the list, and goes no further
      }
      return 0;
    case WM_LBUTTONUP:
      if (within(parts.items) && itemAt() >= 0) {
        state->hot = itemAt();
        Close(combo, state, true);
      }
      return 0;
    default:
      break;
  }
  return DefWindowProcA(list, message, wParam, lParam);
}

}  // namespace host
