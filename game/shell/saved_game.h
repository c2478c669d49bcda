// Saving and opening games: the steps around the saved-game file that decide what the player is told and when
// the running game changes.
//
// The running game is reached through SavedGameWorld, which the shell implements over the character, the global
// entries, the location history and the explored masks. Opening reads and checks the whole file first; the
// plug-in question and the sprite check come next; only then is the running game replaced, in one step. A refused
// file, a "No" or a failed check leaves the running game exactly as it was. Saving captures the game, writes the
// file beside the old one and puts it in place only when complete; a failure is told to the player.
#pragma once

#include <string>
#include <vector>

#include "game/shell/saved_game_file.h"
#include "platform/core/file_ref.h"

class SavedGameWorld {
 public:
  virtual ~SavedGameWorld() = default;
  virtual std::string ScenarioIdentity() = 0;  // the scenario's second name, stored in every save
  virtual std::string ScenarioName() = 0;      // the caption of questions and alerts
  virtual bool HasCurrentCharacter() = 0;
  // The running game as a save holds it: the history with the current location pushed last.
  virtual void Capture(SavedGame* game) = 0;
  virtual std::vector<std::string> LoadedPlugins() = 0;
  // Whether "Pictures/" of the scenario's data holds a picture of this name.
  virtual bool PictureExists(const std::string& name) = 0;
  // Replaces the running game by the saved one, which has been checked in full and accepted. Within the view's
  // offscreen bracket and with the loading-a-saved-game flag set: clear the game-in-progress flag, grey the
  // menus, leave and empty the location history, make a new current character with the default class and race
  // and set every saved field (records found by name; an item's charges; equipment from the inventory by name;
  // effects kept only with a known spell and time left; for format 11 the equipment bonuses taken off the base
  // values), recalculate, then the global entries, the history and the masks; resolve the linked record, set the
  // game in progress, enable the menus and travel back to the last history entry, placing the player on the
  // free cell nearest its position on a tile map. False when that travel failed: the world then ends the game
  // that was in progress before (or clears the flag).
  virtual bool Apply(const SavedGame& game) = 0;
  virtual void CallEvent(const char* name) = 0;
  virtual void ResetInput() = 0;
  virtual bool AskYesNo(const std::string& text, const std::string& caption) = 0;
  virtual void ShowAlert(const std::string& text, const std::string& caption) = 0;
};

// Writes the running game to name in folder; runs "SaveGameExit" after a save that succeeded. A failure is shown
// to the player and returned.
SavedGameError SaveGameTo(SavedGameWorld& world, FolderRef folder, const char* name);

// Opens the saved game of name in folder. Any error (shown), a "No" to the plug-in question (kDeclined) or a
// sprite that the scenario lacks (kNotLoadable, shown) leaves the running game untouched. kNone: the game was
// replaced and "OpenGameExit" has run; kNotLoadable after Apply: the way back failed and the world dealt with it.
SavedGameError OpenSavedGameFrom(SavedGameWorld& world, FolderRef folder, const char* name);
