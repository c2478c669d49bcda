// The shell's side of the game commands and saved games: one GameCommandHost over the main loop, the menus, the
// main window, the option store, the record lists, the global entries, the game view and the picture pools.
//
// The player character, the location history and the explored-area masks come with the game rules and the world;
// until then this host keeps what a saved game holds of them (the current character's saved fields, the history
// entries and the masks), so that a game saved and opened again comes back whole. The menus and, later, the
// script actions reach the commands through the functions at the bottom.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "game/shell/game_commands.h"
#include "game/shell/saved_game_file.h"

class ShellGameHost : public GameCommandHost {
 public:
  // SavedGameWorld
  std::string ScenarioIdentity() override;
  std::string ScenarioName() override;
  bool HasCurrentCharacter() override { return character_.has_value(); }
  void Capture(SavedGame* game) override;
  std::vector<std::string> LoadedPlugins() override;
  bool PictureExists(const std::string& name) override;
  bool Apply(const SavedGame& game) override;
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
  void ResolveLinkedRecord() override {}
  void ClearViewLayers() override;
  void LeaveAllLocations() override;
  void ClearExploredMasks() override;
  void DeleteCharacter() override { character_.reset(); }
  void ReleaseGamePools() override;
  void HideCursor() override;

  // The current character's saved fields (null without a character), for the game rules' stand-ins and tests.
  SavedCharacter* Character() { return character_ ? &*character_ : nullptr; }
  std::vector<SavedHistoryEntry>& History() { return history_; }
  std::vector<SavedMask>& Masks() { return masks_; }
  // Forgets the character, the history and the masks (shut-down, and a new scenario in tests).
  void Reset();

 private:
  std::optional<SavedCharacter> character_;
  std::vector<SavedHistoryEntry> history_;
  std::vector<SavedMask> masks_;
};

// The one host of the running program.
ShellGameHost& GetShellGameHost();

// The commands as the menus and the script actions call them.
void RunNewGameCommand();
void RunSaveGameCommand();
void RunOpenGameCommand();
void RunEndGameCommand();
void RunQuitGameCommand();
