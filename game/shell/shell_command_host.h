// The shell's side of the game commands and saved games: one GameCommandHost over the main loop, the menus, the
// main window, the option store, the record lists, the global entries, the game view and the picture pools.
//
// A save takes the current character's values, lists and records by name, and an open puts them into a new
// character, finding the records by name. The explored-area masks are the world's: a save captures them and an
// open adopts the checked copy. A save captures the location history with the current location on top, and an
// open adopts the saved history and goes back to that place. The menus and, later, the script actions reach the
// commands through the functions at the bottom.
#pragma once

#include <string>
#include <vector>

#include "game/shell/game_commands.h"
#include "game/shell/saved_game_file.h"

class ShellCommandHost : public GameCommandHost {
 public:
  // SavedGameWorld
  std::string ScenarioIdentity() override;
  std::string ScenarioName() override;
  bool HasCurrentCharacter() override;
  void Capture(SavedGame* game) override;
  std::vector<std::string> LoadedPlugins() override;
  bool PictureExists(const std::string& name) override;
  bool PlaceOpens(const std::string& name) override;
  void Apply(const SavedGame& game) override;
  bool TravelBack() override;
  void PlacePlayer() override;
  void EndAfterFailedTravel() override;
  void FinishOpen() override;
  void CallEvent(const char* name) override;
  void ResetInput() override;
  bool AskYesNo(const std::string& text, const std::string& caption) override;
  void ShowAlert(const std::string& text, const std::string& caption) override;

  // GameCommandHost
  bool IsGameInProgress() override;
  void SetGameInProgress(bool inProgress) override;
  bool IsRunning() override;
  void StopRunning() override;
  std::string CharacterName() override;
  HWND MainWindow() override;
  void SetWindowActive(bool active) override;
  void EnableMenuBar(bool grey) override;
  void CreateCharacter() override;
  void ResetGlobalEntries() override;
  void LeaveAndClearHistory() override;
  std::string DefaultPlayerSprite() override;
  void DropTileMapPlayer() override;
  bool AsksPlayerName() override;
  void RunPlayerNameDialog() override;
  bool OffersRaceChoice() override;
  void RunRaceDialog() override;
  bool OffersClassChoice() override;
  void RunClassDialog() override;
  void AssignMissingRaceAndClass() override;
  bool HasCharacterCreation() override;
  void RunCharacterCreation() override;
  void ResetExploredMasks() override;
  void RepaintMainWindow() override;
  void ResolveLinkedRecord() override;
  void ClearViewLayers() override;
  void LeaveAllLocations() override;
  void ClearExploredMasks() override;
  void DeleteCharacter() override;
  void ReleaseGamePools() override;
  void HideCursor() override;

  // Forgets the history (shut-down).
  void Reset();

 private:
  bool wasInProgress_ = false;  // a game was in progress when a saved game was put in its place
  bool offscreen_ = false;      // the view's offscreen bracket is open for a saved game being put in place
};

// The one host of the running program.
ShellCommandHost& GetShellCommandHost();

// The commands as the menus and the script actions call them.
void RunNewGameCommand();
void RunSaveGameCommand();
void RunOpenGameCommand();
void RunEndGameCommand();
void RunQuitGameCommand();
