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
  // Whether the scenario has a location of this name that a saved game can go back to: for a tile map, its map
  // file is in the data and reads.
  virtual bool PlaceOpens(const std::string& name) = 0;
  // Replaces the running game by the saved one, which has been checked in full and accepted. Opens the view's
  // offscreen bracket (FinishOpen closes it); clears the game-in-progress flag, greys the menus, leaves and empties
  // the location history, makes a new current character with the default class and race (for format 11 the
  // pending spells are emptied too) and sets every saved field (records found by name; an item's charges;
  // equipment from the inventory by name; effects kept only with a known spell and time left; for format 11 the
  // equipment bonuses taken off the base values), recalculates, then the global entries, the history and the
  // masks; resolves the linked record, sets the game in progress and enables the menus. It remembers whether a
  // game was in progress before.
  virtual void Apply(const SavedGame& game) = 0;
  // Travels back to the last history entry; false when that fails.
  virtual bool TravelBack() = 0;
  // On a tile map: the player moves to the free cell nearest its position and the view is centred on it.
  virtual void PlacePlayer() = 0;
  // After a failed travel back: ends the game when one was in progress before Apply, else clears the
  // game-in-progress flag.
  virtual void EndAfterFailedTravel() = 0;
  // Flags the whole view for redrawing and closes the offscreen bracket.
  virtual void FinishOpen() = 0;
  virtual void CallEvent(const char* name) = 0;
  virtual void ResetInput() = 0;
  virtual bool AskYesNo(const std::string& text, const std::string& caption) = 0;
  virtual void ShowAlert(const std::string& text, const std::string& caption) = 0;
};

// Writes the running game to name in folder; runs "SaveGameExit" after a save that succeeded. A failure is shown
// to the player and returned.
SavedGameError SaveGameTo(SavedGameWorld& world, FolderRef folder, const char* name);

// Opens the saved game of name in folder. Any error (shown), a "No" to the plug-in question (kDeclined), a sprite
// that the scenario lacks or a place it cannot go back to (kNotLoadable, shown: a missing location, or a map whose
// file is missing or damaged) leaves the running game untouched.
// Otherwise the game is put in place by ApplySavedGame, whose result is returned.
SavedGameError OpenSavedGameFrom(SavedGameWorld& world, FolderRef folder, const char* name);

// Puts a checked and accepted saved game in place of the running one and takes the player back to where it was
// saved. Formats 12 and 13: on a way back, "OpenGameExit" runs and then the player is placed; when the way back
// fails, the alert comes first and then the game ends (kNotLoadable). Format 11 runs "OpenGameExit" before
// travelling back, and a failed way back ends the game without the alert. The input state is reset at the end.
SavedGameError ApplySavedGame(SavedGameWorld& world, const SavedGame& game);
