// The host-drawn menu strip: layout, drawing and the menu loop driven by mouse and keys; also SetMenu, GetMenu
// and DrawMenuBar, which attach a menu to a window and show it.
#include "menu_strip.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "strip_font.h"
#include "window_surface.h"

namespace host {
namespace {

constexpr int kEntryPadding = 7;     // left and right of a top-level text
constexpr int kItemHeight = 20;      // one drop-down line
constexpr int kSeparatorHeight = 8;  // one drop-down separator
constexpr int kItemTextLeft = 22;    // text inset of a drop-down line
constexpr int kShortcutGap = 28;     // between an item's text and its shortcut
constexpr int kMinDropDownWidth = 120;

constexpr uint32_t kStripColor = 0xF0F0F0;
constexpr uint32_t kTextColor = 0x000000;
constexpr uint32_t kGrayColor = 0x8C8C8C;
constexpr uint32_t kOpenEntryColor = 0xCCE8FF;
constexpr uint32_t kDropDownColor = 0xF2F2F2;
constexpr uint32_t kBorderColor = 0x979797;
constexpr uint32_t kHotColor = 0x91C9F7;
constexpr uint32_t kSeparatorColor = 0xD7D7D7;

struct Tracking {
  HWND window = nullptr;
  int open = -1;  // the top-level entry whose drop-down shows
  int hot = -1;   // the highlighted drop-down item
};

Tracking tracking;

bool Usable(const MenuItem& item) { return !(item.flags & (MF_GRAYED | MF_DISABLED | MF_SEPARATOR)); }

std::string_view Label(const MenuItem& item) {
  std::string_view text = item.text;
  return text.substr(0, text.find('\t'));
}

std::string_view Shortcut(const MenuItem& item) {
  std::string_view text = item.text;
  size_t tab = text.find('\t');
  return tab == std::string_view::npos ? std::string_view() : text.substr(tab + 1);
}

Menu* BarOf(const Window& window) { return HasMenuStrip(window) ? FindMenu(window.menu) : nullptr; }

Menu* OpenDropDown(const Window& window) {
  Menu* bar = BarOf(window);
  if (bar == nullptr || tracking.window != window.handle || tracking.open < 0 ||
      tracking.open >= static_cast<int>(bar->items.size())) {
    return nullptr;
  }
  const MenuItem& entry = bar->items[static_cast<size_t>(tracking.open)];
  return (entry.flags & MF_POPUP) ? FindMenu(entry.popup) : nullptr;
}

int DropDownWidth(const Menu& menu) {
  int widest = 0;
  for (const MenuItem& item : menu.items) {
    if (item.flags & MF_SEPARATOR) continue;
    int width = StripTextWidth(Label(item));
    std::string_view shortcut = Shortcut(item);
    if (!shortcut.empty()) width += kShortcutGap + StripTextWidth(shortcut);
    widest = std::max(widest, width);
  }
  return std::max(kMinDropDownWidth, widest + 2 * kItemTextLeft);
}

void FillRect(uint32_t* pixels, int width, int height, RECT rect, uint32_t color) {
  rect.left = std::max<LONG>(rect.left, 0);
  rect.top = std::max<LONG>(rect.top, 0);
  rect.right = std::min<LONG>(rect.right, width);
  rect.bottom = std::min<LONG>(rect.bottom, height);
  for (LONG y = rect.top; y < rect.bottom; ++y) {
    std::fill(pixels + static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(rect.left),
              pixels + static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(rect.right), color);
  }
}

void Redraw(HWND handle) {
  Window* window = FindWindow(handle);
  if (window != nullptr) PresentWindow(*window);
}

// Starts the menu loop on an entry; the window hears WM_ENTERMENULOOP first.
void Open(Window& window, int entry, bool keyboard) {
  HWND handle = window.handle;
  if (tracking.window != handle) {
    if (tracking.window != nullptr) MenuStripCancel(tracking.window);
    tracking = Tracking{handle, -1, -1};
    SendMessageA(handle, WM_ENTERMENULOOP, FALSE, 0);
    if (FindWindow(handle) == nullptr || tracking.window != handle) return;
  }
  tracking.open = entry;
  tracking.hot = -1;
  if (keyboard) {
    Menu* dropDown = OpenDropDown(window);
    if (dropDown != nullptr) {
      for (size_t i = 0; i < dropDown->items.size(); ++i) {
        if (Usable(dropDown->items[i])) {
          tracking.hot = static_cast<int>(i);
          break;
        }
      }
    }
  }
  Redraw(handle);
}

// Ends the menu loop; a chosen command is posted after WM_EXITMENULOOP, as a menu choice is.
void Close(HWND handle, const MenuItem* chosen) {
  if (tracking.window != handle || handle == nullptr) return;
  UINT_PTR command = chosen != nullptr ? chosen->id : 0;
  tracking = Tracking{};
  if (FindWindow(handle) == nullptr) return;
  SendMessageA(handle, WM_EXITMENULOOP, FALSE, 0);
  if (chosen != nullptr && FindWindow(handle) != nullptr) {
    PostMessageA(handle, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(command), 0), 0);
  }
  Redraw(handle);
}

// The index of the rectangle (of `count`, given by `rectOf`) holding the point, or -1.
template <typename RectOf>
int HitTest(size_t count, int x, int y, RectOf rectOf) {
  for (size_t i = 0; i < count; ++i) {
    RECT rect;
    if (rectOf(static_cast<int>(i), &rect) && x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

int EntryAt(const Window& window, int x, int y) {
  Menu* bar = BarOf(window);
  if (bar == nullptr) return -1;
  return HitTest(bar->items.size(), x, y,
                 [&](int index, RECT* rect) { return MenuStripEntryRect(window, index, rect); });
}

int DropDownItemAt(const Window& window, int x, int y) {
  Menu* dropDown = OpenDropDown(window);
  if (dropDown == nullptr) return -1;
  return HitTest(dropDown->items.size(), x, y,
                 [&](int index, RECT* rect) { return MenuStripDropDownItemRect(window, index, rect); });
}

bool InDropDown(const Window& window, int x, int y) {
  RECT frame;
  return MenuStripDropDownFrame(window, &frame) && x >= frame.left && x < frame.right && y >= frame.top &&
         y < frame.bottom;
}

void StepEntry(Window& window, int direction) {
  Menu* bar = BarOf(window);
  if (bar == nullptr || bar->items.empty()) return;
  int count = static_cast<int>(bar->items.size());
  int entry = tracking.open;
  for (int step = 0; step < count; ++step) {
    entry = ((entry + direction) % count + count) % count;
    if (Usable(bar->items[static_cast<size_t>(entry)])) {
      Open(window, entry, true);
      return;
    }
  }
}

void StepItem(Window& window, int direction) {
  Menu* dropDown = OpenDropDown(window);
  if (dropDown == nullptr || dropDown->items.empty()) return;
  int count = static_cast<int>(dropDown->items.size());
  int item = tracking.hot < 0 ? (direction > 0 ? -1 : 0) : tracking.hot;
  for (int step = 0; step < count; ++step) {
    item = ((item + direction) % count + count) % count;
    if (!(dropDown->items[static_cast<size_t>(item)].flags & MF_SEPARATOR)) {
      tracking.hot = item;
      Redraw(window.handle);
      return;
    }
  }
}

}  // namespace

int MenuStripHeight() { return GetSystemMetrics(SM_CYMENUSIZE); }

bool HasMenuStrip(const Window& window) { return window.menu != nullptr && !(window.style & WS_CHILD); }

bool MenuStripTracking(HWND window) { return window != nullptr && tracking.window == window; }

bool MenuStripEntryRect(const Window& window, int index, RECT* rect) {
  Menu* bar = BarOf(window);
  if (bar == nullptr || index < 0 || index >= static_cast<int>(bar->items.size())) return false;
  int x = 0;
  for (int i = 0; i <= index; ++i) {
    const MenuItem& item = bar->items[static_cast<size_t>(i)];
    int width = (item.flags & MF_SEPARATOR) ? kEntryPadding : StripTextWidth(Label(item)) + 2 * kEntryPadding;
    if (i == index) {
      *rect = RECT{x, 0, x + width, MenuStripHeight()};
      return true;
    }
    x += width;
  }
  return false;
}

bool MenuStripDropDownItemRect(const Window& window, int index, RECT* rect) {
  Menu* dropDown = OpenDropDown(window);
  RECT entry;
  if (dropDown == nullptr || index < 0 || index >= static_cast<int>(dropDown->items.size()) ||
      !MenuStripEntryRect(window, tracking.open, &entry)) {
    return false;
  }
  int width = DropDownWidth(*dropDown);
  int y = MenuStripHeight() + 1;
  for (int i = 0; i <= index; ++i) {
    int height = (dropDown->items[static_cast<size_t>(i)].flags & MF_SEPARATOR) ? kSeparatorHeight : kItemHeight;
    if (i == index) {
      *rect = RECT{entry.left + 1, y, entry.left + 1 + width, y + height};
      return true;
    }
    y += height;
  }
  return false;
}

uint32_t MenuStripColor() { return kStripColor; }

bool MenuStripDropDownFrame(const Window& window, RECT* frame) {
  Menu* dropDown = OpenDropDown(window);
  RECT first, last;
  if (dropDown == nullptr || dropDown->items.empty() || !MenuStripDropDownItemRect(window, 0, &first) ||
      !MenuStripDropDownItemRect(window, static_cast<int>(dropDown->items.size()) - 1, &last)) {
    return false;
  }
  *frame = RECT{first.left - 1, first.top - 1, first.right + 1, last.bottom + 1};
  return true;
}

void DrawMenuStrip(const Window& window, uint32_t* pixels, int width, int height) {
  Menu* bar = BarOf(window);
  int stripHeight = MenuStripHeight();
  if (bar == nullptr || height < stripHeight) return;
  FillRect(pixels, width, height, RECT{0, 0, width, stripHeight}, kStripColor);
  int baseline = (stripHeight + StripTextAscent()) / 2 - 1;
  for (size_t i = 0; i < bar->items.size(); ++i) {
    const MenuItem& item = bar->items[i];
    RECT rect;
    if ((item.flags & MF_SEPARATOR) || !MenuStripEntryRect(window, static_cast<int>(i), &rect)) continue;
    if (tracking.window == window.handle && tracking.open == static_cast<int>(i)) {
      FillRect(pixels, width, height, rect, kOpenEntryColor);
    }
    StripDrawText(pixels, width, stripHeight, rect.left + kEntryPadding, baseline, Label(item),
                  Usable(item) ? kTextColor : kGrayColor);
  }

  Menu* dropDown = OpenDropDown(window);
  RECT frame;
  if (dropDown == nullptr || !MenuStripDropDownFrame(window, &frame)) return;
  FillRect(pixels, width, height, frame, kBorderColor);
  const RECT inside{frame.left + 1, frame.top + 1, frame.right - 1, frame.bottom - 1};
  FillRect(pixels, width, height, inside, kDropDownColor);
  int itemBaseline = (kItemHeight + StripTextAscent()) / 2 - 1;
  for (size_t i = 0; i < dropDown->items.size(); ++i) {
    const MenuItem& item = dropDown->items[i];
    RECT rect;
    MenuStripDropDownItemRect(window, static_cast<int>(i), &rect);
    if (item.flags & MF_SEPARATOR) {
      int y = (rect.top + rect.bottom) / 2;
      FillRect(pixels, width, height, RECT{rect.left + 4, y, rect.right - 4, y + 1}, kSeparatorColor);
      continue;
    }
    if (tracking.hot == static_cast<int>(i)) FillRect(pixels, width, height, rect, kHotColor);
    uint32_t color = Usable(item) ? kTextColor : kGrayColor;
    StripDrawText(pixels, width, height, rect.left + kItemTextLeft, rect.top + itemBaseline, Label(item), color);
    std::string_view shortcut = Shortcut(item);
    if (!shortcut.empty()) {
      int x = rect.right - kItemTextLeft - StripTextWidth(shortcut);
      StripDrawText(pixels, width, height, x, rect.top + itemBaseline, shortcut, color);
    }
  }
}

bool MenuStripMouse(Window& window, int x, int y, MenuMouse action) {
  bool onStrip = HasMenuStrip(window) && y >= 0 && y < MenuStripHeight();
  bool trackingThis = tracking.window == window.handle;
  if (!onStrip && !trackingThis) return false;
  Menu* bar = BarOf(window);
  int entry = onStrip ? EntryAt(window, x, y) : -1;
  bool entryUsable = bar != nullptr && entry >= 0 && Usable(bar->items[static_cast<size_t>(entry)]);
  switch (action) {
    case MenuMouse::kMove:
      if (trackingThis) {
        if (entryUsable && entry != tracking.open) {
          Open(window, entry, false);
        } else if (!onStrip) {
          int item = DropDownItemAt(window, x, y);
          if (item != tracking.hot) {
            tracking.hot = item;
            Redraw(window.handle);
          }
        }
      }
      return true;
    case MenuMouse::kDown:
      if (onStrip) {
        if (trackingThis && entry == tracking.open) {
          Close(window.handle, nullptr);
        } else if (entryUsable) {
          Open(window, entry, false);
        } else if (trackingThis) {
          Close(window.handle, nullptr);
        }
      } else if (!InDropDown(window, x, y)) {
        // A click beside the open menu closes it and goes nowhere else.
        Close(window.handle, nullptr);
      }
      return true;
    case MenuMouse::kUp:
      if (trackingThis && !onStrip) {
        int item = DropDownItemAt(window, x, y);
        Menu* dropDown = OpenDropDown(window);
        if (dropDown != nullptr && item >= 0) {
          MenuItem chosen = dropDown->items[static_cast<size_t>(item)];
          if (Usable(chosen) && !(chosen.flags & MF_POPUP)) Close(window.handle, &chosen);
        }
      }
      return true;
  }
  return true;
}

bool MenuStripKey(Window& window, int virtualKey) {
  if (tracking.window != window.handle) return false;
  switch (virtualKey) {
    case VK_ESCAPE:
    case VK_MENU:
    case VK_F10:
      Close(window.handle, nullptr);
      return true;
    case VK_LEFT:
      StepEntry(window, -1);
      return true;
    case VK_RIGHT:
      StepEntry(window, 1);
      return true;
    case VK_UP:
      StepItem(window, -1);
      return true;
    case VK_DOWN:
      StepItem(window, 1);
      return true;
    case VK_RETURN: {
      Menu* dropDown = OpenDropDown(window);
      if (dropDown != nullptr && tracking.hot >= 0 && tracking.hot < static_cast<int>(dropDown->items.size())) {
        MenuItem chosen = dropDown->items[static_cast<size_t>(tracking.hot)];
        if (Usable(chosen) && !(chosen.flags & MF_POPUP)) Close(window.handle, &chosen);
      }
      return true;
    }
    default:
      break;
  }
  // A letter or digit chooses the drop-down item with that mnemonic.
  Menu* dropDown = OpenDropDown(window);
  if (dropDown != nullptr && virtualKey < 128 && std::isalnum(virtualKey)) {
    char wanted = static_cast<char>(std::tolower(virtualKey));
    for (const MenuItem& item : dropDown->items) {
      if (Usable(item) && !(item.flags & MF_POPUP) && StripMnemonic(item.text) == wanted) {
        MenuItem chosen = item;
        Close(window.handle, &chosen);
        break;
      }
    }
  }
  return true;
}

void MenuStripOpenByKey(Window& window, char mnemonic) {
  Menu* bar = BarOf(window);
  if (bar == nullptr) return;
  char wanted = static_cast<char>(std::tolower(static_cast<unsigned char>(mnemonic)));
  for (size_t i = 0; i < bar->items.size(); ++i) {
    const MenuItem& item = bar->items[i];
    if (Usable(item) && (wanted == 0 || StripMnemonic(item.text) == wanted)) {
      Open(window, static_cast<int>(i), true);
      return;
    }
  }
}

void MenuStripCancel(HWND window) { Close(window, nullptr); }

void MenuStripForget(HMENU menu) {
  if (tracking.window == nullptr) return;
  Window* window = FindWindow(tracking.window);
  if (window == nullptr || window->menu == nullptr || window->menu == menu) tracking = Tracking{};
}

}  // namespace host

HMENU GetMenu(HWND handle) {
  host::Window* window = host::FindWindow(handle);
  return window == nullptr ? nullptr : window->menu;
}

BOOL SetMenu(HWND handle, HMENU menu) {
  host::Window* window = host::FindWindow(handle);
  if (window == nullptr || (window->style & WS_CHILD) || (menu != nullptr && host::FindMenu(menu) == nullptr)) {
    return FALSE;
  }
  if (window->menu == menu) return TRUE;
  host::MenuStripCancel(handle);
  window = host::FindWindow(handle);
  if (window == nullptr) return FALSE;
  // The window rectangle stays; the client area gives up (or gets back) the strip's rows.
  window->menu = menu;
  host::SyncWindowSurface(*window);
  return TRUE;
}

BOOL DrawMenuBar(HWND handle) {
  host::Window* window = host::FindWindow(handle);
  if (window == nullptr) return FALSE;
  host::PresentWindow(*window);
  return TRUE;
}
