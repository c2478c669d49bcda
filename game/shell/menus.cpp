// Building the menus and dispatching menu commands.
#include "game/shell/menus.h"

#include <cctype>
#include <vector>

#include "game/dialogs/dialog.h"
#include "game/dialogs/dialog_services.h"
#include "game/rules/game_state.h"
#include "game/rules/script_event.h"
#include "game/rules/string_list.h"
#include "game/shell/main_loop.h"
#include "game/shell/main_window.h"
#include "game/shell/media/screen_fades.h"
#include "game/shell/scenario_config.h"
#include "game/shell/shell_command_host.h"
#include "game/world/pause_overlay.h"
#include "game/world/scene_view.h"

namespace {

struct MenuState {
  HMENU bar = nullptr;
  HMENU file = nullptr;
  HMENU help = nullptr;
  HMENU game = nullptr;
  HACCEL accelerators = nullptr;
};

MenuState& State() {
  // Never destroyed: a shut-down signal may end the process while the loop still runs.
  static MenuState* state = new MenuState;
  return *state;
}

void RedrawBar() {
  MainWindow* window = GetMainWindow();
  if (window != nullptr && window->IsCreated() && !window->IsFullscreen()) DrawMenuBar(window->GetNativeWindow());
}

}  // namespace

std::string ScenarioItemText(const std::string& text, uint8_t* acceleratorKey) {
  *acceleratorKey = 0;
  size_t slash = text.rfind('/');
  if (slash == std::string::npos) return text;
  std::string shown = text.substr(0, slash) + "\tCtrl+" + text.substr(slash + 1);
  unsigned char last = static_cast<unsigned char>(shown.back());
  if (last != 255) last = static_cast<unsigned char>(std::toupper(last));
  shown.back() = static_cast<char>(last);
  *acceleratorKey = last;
  return shown;
}

void BuildMenuBar() {
  MenuState& s = State();
  s.bar = CreateMenu();
  s.file = CreatePopupMenu();
  AppendMenuA(s.file, MF_STRING, kExitCommand, "E&xit\tCtrl+Q");
  AppendMenuA(s.bar, MF_POPUP, reinterpret_cast<UINT_PTR>(s.file), "&File");
  s.help = CreatePopupMenu();
  AppendMenuA(s.help, MF_STRING, kAboutCommand, "&About...");
  AppendMenuA(s.bar, MF_POPUP, reinterpret_cast<UINT_PTR>(s.help), "&Help");
  EnableMenuItem(s.bar, 0, MF_BYPOSITION | MF_DISABLED | MF_GRAYED);
  EnableMenuItem(s.bar, 1, MF_BYPOSITION | MF_DISABLED | MF_GRAYED);
}

void BuildScenarioMenus() {
  MenuState& s = State();
  StringList* helpList = GetMenuList(kMenuListHelp);
  StringList* fileList = GetMenuList(kMenuListFile);
  StringList* gameList = GetMenuList(kMenuListGame);
  if (gameList != nullptr && gameList->GetCount() > 0 && s.bar != nullptr) {
    s.game = CreatePopupMenu();
    InsertMenuA(s.bar, 1, MF_BYPOSITION | MF_POPUP | MF_GRAYED, reinterpret_cast<UINT_PTR>(s.game), "&Game");
  }
  std::vector<ACCEL> accelerators;
  accelerators.push_back(ACCEL{static_cast<BYTE>(FVIRTKEY | FCONTROL), 'Q', kExitCommand});

  struct Source {
    StringList* list;
    HMENU menu;
    uint16_t base;
    uint16_t last;  // the last identifier of the range that items may take
    bool append;
  };
  const Source sources[] = {
      {helpList, s.help, kHelpItemBase, static_cast<uint16_t>(kAboutCommand - 1), false},
      {fileList, s.file, kFileItemBase, static_cast<uint16_t>(kExitCommand - 1), false},
      {gameList, s.game, kGameItemBase, kGameItemLast, true},
  };
  for (const Source& source : sources) {
    if (source.list == nullptr || source.menu == nullptr) continue;
    for (int32_t i = 0; i < source.list->GetCount(); ++i) {
      // Past its range an item would take another menu's identifier (Exit, or the first Game item).
      if (source.base + i > source.last) break;
      uint16_t identifier = static_cast<uint16_t>(source.base + i);
      std::string text = source.list->GetString(i);
      UINT position = source.append ? static_cast<UINT>(-1) : static_cast<UINT>(i);
      if (text == "-") {
        InsertMenuA(source.menu, position, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
        continue;
      }
      uint8_t key = 0;
      std::string shown = ScenarioItemText(text, &key);
      if (key != 0) accelerators.push_back(ACCEL{static_cast<BYTE>(FVIRTKEY | FCONTROL), key, identifier});
      InsertMenuA(source.menu, position, MF_BYPOSITION | MF_STRING, identifier, shown.c_str());
    }
  }
  if (s.accelerators != nullptr) DestroyAcceleratorTable(s.accelerators);
  s.accelerators = CreateAcceleratorTableA(accelerators.data(), static_cast<int>(accelerators.size()));
  RedrawBar();
}

void EnableMenuBar(bool disable) {
  MenuState& s = State();
  if (s.bar == nullptr) return;
  const UINT grey = MF_BYPOSITION | MF_DISABLED | MF_GRAYED;
  const UINT enable = MF_BYPOSITION | MF_ENABLED;
  if (disable) {
    EnableMenuItem(s.bar, 0, grey);
    EnableMenuItem(s.bar, 1, grey);
    if (s.game != nullptr) EnableMenuItem(s.bar, 2, grey);
  } else {
    EnableMenuItem(s.bar, 0, enable);
    if (s.game != nullptr) {
      EnableMenuItem(s.bar, 1, IsGameInProgress() ? enable : grey);
      EnableMenuItem(s.bar, 2, enable);
    } else {
      EnableMenuItem(s.bar, 1, enable);
    }
  }
  RedrawBar();
}

int32_t HandleMenuCommand(uint32_t identifier) {
  uint16_t command = static_cast<uint16_t>(identifier & 0xFFFF);
  // While a location reads its map under its progress dialog no command acts: quitting or a help item's event
  // would leave the location and free the map half read.
  const bool loading = ProgressDialog::GetCurrent() != nullptr;
  // The scenario's items and the about box wait while an event runs; Exit does not.
  const bool held = loading || IsScriptRunning();
  // The scenario's File and Game items wait, too, while a game dialog is open: a shop or a pack acts on the game it
  // was opened over, which their new or opened game would replace beneath it. Exit and the Help items stay live.
  const bool itemsHeld = held || !OpenDialogs().empty();
  if (command >= kFileItemBase && command < kExitCommand) {
    if (!itemsHeld) {
      if (StringList* list = GetMenuList(kMenuListFile)) list->RunEntryEvent(command - kFileItemBase);
    }
    SetStopWaiting();
  } else if (command == kExitCommand) {
    if (!loading) RunQuitGameCommand();
    SetStopWaiting();
  } else if (command >= kGameItemBase && command <= kGameItemLast) {
    if (!itemsHeld) {
      if (StringList* list = GetMenuList(kMenuListGame)) list->RunEntryEvent(command - kGameItemBase);
    }
    SetStopWaiting();
  } else if (command >= kHelpItemBase && command <= kAboutCommand) {
    if (!held) {
      // Both snapshots are set aside: a fade's, which keeps a faded screen black, and the pause overlay.
      std::unique_ptr<Bitmap> faded = TakeScreenSnapshot();
      Bitmap* snapshot = GetScreenSnapshot();
      const bool hadSnapshot = snapshot != nullptr || faded != nullptr;
      const bool pauseOverlay = snapshot != nullptr && snapshot == GetPauseOverlay();
      SetScreenSnapshot(nullptr);
      if (command == kAboutCommand) {
        Dialog::RunModal(std::make_unique<AboutDialog>());
      } else if (StringList* list = GetMenuList(kMenuListHelp)) {
        list->RunEntryEvent(command - kHelpItemBase);
      }
      // The snapshot set aside comes back. A pause overlay is freed when the game resumes, which an activation may
      // do while the dialog or the event runs: an overlay gone meanwhile leaves nothing to put back.
      if (pauseOverlay && GetPauseOverlay() != snapshot) snapshot = nullptr;
      SetScreenSnapshot(snapshot);
      if (faded != nullptr) PutScreenSnapshotBack(std::move(faded));
      if (hadSnapshot && GetSceneView() != nullptr) GetSceneView()->ClearBackBuffer();
      RestartFrameClock();
      SetLeavePump();
      SetStopWaiting();
    }
  }
  return PumpMessages();
}

HMENU GetMenuBar() { return State().bar; }
HMENU GetGameMenu() { return State().game; }
HMENU GetFileMenu() { return State().file; }
HMENU GetHelpMenu() { return State().help; }
HACCEL GetAcceleratorTable() { return State().accelerators; }

void FreeMenus() {
  MenuState& s = State();
  if (s.accelerators != nullptr) DestroyAcceleratorTable(s.accelerators);
  s.accelerators = nullptr;
  // The bar owns its popups; a bar still attached to a window goes with the window.
  if (s.bar != nullptr && (GetMainWindow() == nullptr || !GetMainWindow()->IsCreated())) DestroyMenu(s.bar);
  s = MenuState{};
}
