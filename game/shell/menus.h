// The main window's menu bar: the fixed "&File" and "&Help" menus, a "&Game" menu when the scenario has Game
// items, the scenario's items from its three menu lists with their Control-key accelerators, and the dispatch
// of a chosen command.
//
// Command identifiers: File items 1300 + index, Exit 1399; Game items 1400 + index; Help items 1500 + index,
// About 1599. An item whose identifier would reach into another range is not added.
#pragma once

#include <cstdint>
#include <string>

#include "host/user.h"

constexpr uint16_t kFileItemBase = 1300;
constexpr uint16_t kExitCommand = 1399;
constexpr uint16_t kGameItemBase = 1400;
constexpr uint16_t kGameItemLast = 1499;
constexpr uint16_t kHelpItemBase = 1500;
constexpr uint16_t kAboutCommand = 1599;

void BuildMenuBar();
void BuildScenarioMenus();
// Greys the top-level menus (disable) or makes them usable: Game only while a game is in progress.
void EnableMenuBar(bool disable);
// Runs a chosen command. None runs while a map is read; only Exit runs while an event runs; the scenario's File
// and Game items wait too while a game dialog is open.
int32_t HandleMenuCommand(uint32_t identifier);
HMENU GetMenuBar();
HMENU GetGameMenu();
HMENU GetFileMenu();
HMENU GetHelpMenu();
HACCEL GetAcceleratorTable();
// Destroys the accelerator table and the menus.
void FreeMenus();

// A scenario item's text as shown, and its accelerator key: the last "/" becomes "\tCtrl+" and the last
// character is upper-cased (0 when the text has no "/").
std::string ScenarioItemText(const std::string& text, uint8_t* acceleratorKey);
