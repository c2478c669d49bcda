// "Eng": the engine commands a script gives the game shell (p0, 1 to 19): save and open games, start, end and
// quit games, the character dialogs, the pause, the player's held flag and the display mode.
//
// Opening a saved game, a new game and the end of a game act at once, inside the running event: the "EndGame"
// event of an ended game runs before the rest of the event that ended it. The character they replace or delete
// may still be in use by the event's cause (an item used, a weapon's blow); only its deletion waits until the
// outermost event and every character operation have returned (character.h). After a command that opens a modal
// dialog the map's timers move past the time it was open.
#include <memory>

#include "game/dialogs/character_creation_dialog.h"
#include "game/dialogs/character_info_dialogs.h"
#include "game/dialogs/inventory_dialog.h"
#include "game/dialogs/spell_dialogs.h"
#include "game/rules/action_handlers.h"
#include "game/rules/character.h"
#include "game/rules/game_state.h"
#include "game/rules/script_action.h"
#include "game/rules/script_engine.h"
#include "game/shell/data/preferences.h"
#include "game/shell/data/string_utils.h"
#include "game/shell/main_loop.h"
#include "game/shell/main_window.h"
#include "game/shell/scenario_config.h"
#include "game/shell/shell_command_host.h"
#include "game/world/world_services.h"

namespace {

void RunDialog(std::unique_ptr<Dialog> dialog) {
  Dialog::RunModal(std::move(dialog));
  ShiftMapTimers();
}

void NewGameAfterAnyGame() {
  if (IsGameInProgress()) RunEndGameCommand();
  RunNewGameCommand();
}

// The display mode, kept in the preferences as "fullscreen" before the window switches.
void SwitchDisplay(bool fullscreen) {
  MainWindow* window = GetMainWindow();
  if (window == nullptr || (fullscreen && window->IsFullscreen())) return;
  if (PrefsFile* prefs = GetPrefsFile()) {
    prefs->Set("fullscreen", fullscreen ? "1" : "0");
    prefs->Save();
  }
  window->SetFullscreen(fullscreen);
}

bool Paused() { return (GetRunState() & kRunPaused) != 0; }

}  // namespace

void RunEngineAction(const ScriptAction& action) {
  const int32_t command = ParseInt(action.Param(0));
  const bool playing = IsGameInProgress();
  Character* player = GetCurrentCharacter();
  TileMap* map = GetCurrentTileMap();
  switch (command) {
    case 1:
      if (!playing) return;
      RunSaveGameCommand();
      RequestEndEvent();
      ShiftMapTimers();
      return;
    case 2:
      RunOpenGameCommand();
      RequestEndEvent();
      ShiftMapTimers();
      return;
    case 3:
      if (playing) RunDialog(std::make_unique<InventoryDialog>());
      return;
    case 4:
      if (!playing) return;
      ShowCharacterCreation(0);
      ShiftMapTimers();
      return;
    case 5: NewGameAfterAnyGame(); return;
    case 6:
      if (playing) RunEndGameCommand();
      return;
    case 7: RunQuitGameCommand(); return;
    case 8: RunDialog(std::make_unique<SpellCastDialog>()); return;
    case 9:
      if (playing) RunDialog(std::make_unique<EntryInfoDialog>());
      return;
    case 10: SetPauseState(true, false); return;
    case 11:
      ShiftMapTimers();
      SetPauseState(false, false);
      return;
    case 12: SetPauseState(!Paused(), false); return;
    case 13:
      if (!playing || player == nullptr) return;
      player->SetFlags(player->GetFlags() | kCharacterHeld);
      if (map != nullptr) map->SetFocusFlag(0);
      return;
    case 14:
      if (!playing || player == nullptr || map == nullptr) return;
      if (map->HasFocusOverride() && (player->GetFlags() & kCharacterHeld) != 0) map->SetFocusFlag(1);
      else player->SetFlags(player->GetFlags() & ~kCharacterHeld);
      return;
    case 15: SwitchDisplay(true); return;
    case 16: SwitchDisplay(false); return;
    case 17:
      if (playing) RunDialog(std::make_unique<JournalDialog>());
      return;
    case 18:
    case 19:
      if (playing && map != nullptr) map->SetAllCharactersFlag(command == 18);
      return;
    default: return;
  }
}
