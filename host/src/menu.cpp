// Menus and accelerator tables: the model behind the menu strip (drawn by menu_strip.cpp) and the translation
// of accelerator keys into WM_COMMAND.
#include <algorithm>

#include "menu_strip.h"
#include "user_state.h"

namespace host {

Menu* FindMenu(HMENU handle) {
  auto& menus = State().menus;
  auto found = menus.find(reinterpret_cast<uintptr_t>(handle));
  return found == menus.end() ? nullptr : found->second.get();
}

namespace {

HMENU NewMenu(bool popup) {
  UserState& state = State();
  uintptr_t value = state.nextMenu;
  state.nextMenu += 4;
  auto menu = std::make_unique<Menu>();
  menu->isPopup = popup;
  state.menus.emplace(value, std::move(menu));
  return reinterpret_cast<HMENU>(value);
}

bool MakeItem(UINT flags, UINT_PTR idOrPopup, LPCSTR text, MenuItem* item) {
  item->flags = flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_POPUP | MF_SEPARATOR);
  if (flags & MF_SEPARATOR) return true;
  if (flags & MF_POPUP) {
    item->popup = reinterpret_cast<HMENU>(idOrPopup);
    if (FindMenu(item->popup) == nullptr) return false;
  } else {
    item->id = idOrPopup;
  }
  item->text = text != nullptr ? text : "";
  return true;
}

// The menu that holds the item with an identifier, searched depth-first, and the item's index in it.
Menu* FindItemById(Menu* menu, UINT_PTR id, size_t* index) {
  for (size_t i = 0; i < menu->items.size(); ++i) {
    MenuItem& item = menu->items[i];
    if (item.flags & MF_POPUP) {
      Menu* sub = FindMenu(item.popup);
      if (sub != nullptr) {
        Menu* found = FindItemById(sub, id, index);
        if (found != nullptr) return found;
      }
    } else if (!(item.flags & MF_SEPARATOR) && item.id == id) {
      *index = i;
      return menu;
    }
  }
  return nullptr;
}

}  // namespace

bool IsCommandEnabled(HMENU bar, UINT_PTR id) {
  Menu* menu = FindMenu(bar);
  if (menu == nullptr) return true;
  // A command counts as disabled when its own item or the top-level entry above it is disabled.
  for (const MenuItem& top : menu->items) {
    Menu* sub = (top.flags & MF_POPUP) ? FindMenu(top.popup) : nullptr;
    size_t index = 0;
    if (sub != nullptr) {
      Menu* holder = FindItemById(sub, id, &index);
      if (holder != nullptr) {
        return !(top.flags & (MF_GRAYED | MF_DISABLED)) && !(holder->items[index].flags & (MF_GRAYED | MF_DISABLED));
      }
    } else if (!(top.flags & MF_SEPARATOR) && top.id == id) {
      return !(top.flags & (MF_GRAYED | MF_DISABLED));
    }
  }
  return true;
}

}  // namespace host

using host::FindMenu;
using host::Menu;
using host::MenuItem;

HMENU CreateMenu() { return host::NewMenu(false); }

HMENU CreatePopupMenu() { return host::NewMenu(true); }

BOOL DestroyMenu(HMENU handle) {
  auto& menus = host::State().menus;
  auto found = menus.find(reinterpret_cast<uintptr_t>(handle));
  if (found == menus.end()) return FALSE;
  std::unique_ptr<Menu> menu = std::move(found->second);
  menus.erase(found);
  // Popups attached to the menu go with it.
  for (const MenuItem& item : menu->items) {
    if (item.flags & MF_POPUP) DestroyMenu(item.popup);
  }
  std::lock_guard<std::recursive_mutex> hold(host::WindowLock());
  for (host::Window* window : host::AllWindows()) {
    if (window->menu == handle) window->menu = nullptr;
  }
  host::MenuStripForget(handle);
  return TRUE;
}

BOOL AppendMenuA(HMENU handle, UINT flags, UINT_PTR idOrPopup, LPCSTR text) {
  Menu* menu = FindMenu(handle);
  MenuItem item;
  if (menu == nullptr || !host::MakeItem(flags, idOrPopup, text, &item)) return FALSE;
  menu->items.push_back(std::move(item));
  return TRUE;
}

BOOL InsertMenuA(HMENU handle, UINT position, UINT flags, UINT_PTR idOrPopup, LPCSTR text) {
  Menu* menu = FindMenu(handle);
  MenuItem item;
  if (menu == nullptr || !host::MakeItem(flags, idOrPopup, text, &item)) return FALSE;
  Menu* target = menu;
  size_t index = menu->items.size();
  if (flags & MF_BYPOSITION) {
    // A position past the end (or -1) appends.
    index = std::min<size_t>(position, menu->items.size());
  } else {
    target = host::FindItemById(menu, position, &index);
    if (target == nullptr) return FALSE;
  }
  target->items.insert(target->items.begin() + static_cast<std::ptrdiff_t>(index), std::move(item));
  return TRUE;
}

BOOL EnableMenuItem(HMENU handle, UINT item, UINT flags) {
  Menu* menu = FindMenu(handle);
  if (menu == nullptr) return -1;
  Menu* holder = menu;
  size_t index = item;
  if (flags & MF_BYPOSITION) {
    if (index >= menu->items.size()) return -1;
  } else {
    holder = host::FindItemById(menu, item, &index);
    if (holder == nullptr) return -1;
  }
  MenuItem& entry = holder->items[index];
  UINT previous = entry.flags & (MF_GRAYED | MF_DISABLED);
  entry.flags = (entry.flags & ~(MF_GRAYED | MF_DISABLED)) | (flags & (MF_GRAYED | MF_DISABLED));
  return static_cast<BOOL>(previous);
}

HACCEL CreateAcceleratorTableA(const ACCEL* entries, int count) {
  if (entries == nullptr || count <= 0) return nullptr;
  host::UserState& state = host::State();
  uintptr_t value = state.nextAccelerator;
  state.nextAccelerator += 4;
  state.accelerators.emplace(value, std::vector<ACCEL>(entries, entries + count));
  return reinterpret_cast<HACCEL>(value);
}

BOOL DestroyAcceleratorTable(HACCEL table) {
  return host::State().accelerators.erase(reinterpret_cast<uintptr_t>(table)) == 1 ? TRUE : FALSE;
}

int TranslateAcceleratorA(HWND window, HACCEL table, LPMSG message) {
  auto& tables = host::State().accelerators;
  auto found = tables.find(reinterpret_cast<uintptr_t>(table));
  if (found == tables.end() || message == nullptr || host::FindWindow(window) == nullptr) return 0;
  const UINT kind = message->message;
  const bool keyDown = kind == WM_KEYDOWN || kind == WM_SYSKEYDOWN;
  const bool character = kind == WM_CHAR || kind == WM_SYSCHAR;
  if (!keyDown && !character) return 0;
  BYTE modifiers = 0;
  if (GetKeyState(VK_SHIFT) < 0) modifiers |= FSHIFT;
  if (GetKeyState(VK_CONTROL) < 0) modifiers |= FCONTROL;
  if (GetKeyState(VK_MENU) < 0) modifiers |= FALT;
  for (const ACCEL& entry : found->second) {
    bool matches = false;
    if (entry.fVirt & FVIRTKEY) {
      // A virtual-key accelerator needs exactly its modifiers: Ctrl+Shift+Q is not Ctrl+Q.
      matches = keyDown && entry.key == (message->wParam & 0xFFFF) &&
                (entry.fVirt & (FSHIFT | FCONTROL | FALT)) == modifiers;
    } else {
      matches = character && entry.key == (message->wParam & 0xFFFF) &&
                ((entry.fVirt & FALT) != 0) == ((modifiers & FALT) != 0);
    }
    if (!matches) continue;
    // The key is taken either way; a command whose menu item is disabled is not sent.
    if (host::IsCommandEnabled(GetMenu(window), entry.cmd)) {
      SendMessageA(window, WM_COMMAND, MAKEWPARAM(entry.cmd, 1), 0);
    }
    return 1;
  }
  return 0;
}
