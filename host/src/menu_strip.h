// The menu bar as the host shows it: a one-line strip above the client area with drop-downs that open over the
// client area, driven by the mouse and the keyboard. While a drop-down is open the window is in its menu loop
// (WM_ENTERMENULOOP ... WM_EXITMENULOOP) and input goes to the menu; a chosen item posts WM_COMMAND. Internal to
// the host layer.
#pragma once

#include <cstdint>

#include "user_state.h"

namespace host {

// Height of the strip in pixels: GetSystemMetrics(SM_CYMENUSIZE).
int MenuStripHeight();

// Whether the window shows a strip: it has a menu and is not a child window.
bool HasMenuStrip(const Window& window);

// Draws the strip into the first MenuStripHeight() rows of a window image of the given size, and the open
// drop-down (if any) over the rows below.
void DrawMenuStrip(const Window& window, uint32_t* pixels, int width, int height);

// The strip's background colour (0x00RRGGBB), which also fills a strip wider than its window's image.
uint32_t MenuStripColor();

// The open drop-down's frame in window-image coordinates (it hangs from its entry, over the client area's rows);
// false when no drop-down of the window is open.
bool MenuStripDropDownFrame(const Window& window, RECT* frame);

enum class MenuMouse { kMove, kDown, kUp };

// A mouse event at (x, y) of the window image (strip rows first). True when the menu took it: the event was on the
// strip, or a drop-down is open.
bool MenuStripMouse(Window& window, int x, int y, MenuMouse action);

// A key pressed while a drop-down is open; true when the menu took it (every key while tracking).
bool MenuStripKey(Window& window, int virtualKey);

// Whether the window's menu loop is running.
bool MenuStripTracking(HWND window);

// Opens the top-level menu whose mnemonic is the character, or the first usable one for 0 (Alt, F10).
void MenuStripOpenByKey(Window& window, char mnemonic);

// Ends the menu loop of a window without a command (the window goes away, loses its menu or its focus).
void MenuStripCancel(HWND window);

// Forgets a destroyed menu.
void MenuStripForget(HMENU menu);

// Layout, in window-image coordinates: a top-level entry and an item of the open drop-down.
bool MenuStripEntryRect(const Window& window, int index, RECT* rect);
bool MenuStripDropDownItemRect(const Window& window, int index, RECT* rect);

// Whether a command may run: its item and its top-level entry are enabled (true when the bar lacks it).
bool IsCommandEnabled(HMENU bar, UINT_PTR id);

}  // namespace host
