// The game commands: new, save, open, end and quit, each firing its script events, with the save name of the
// current game and the player's sprite name.
//
// Save and open ask the player for a file while the main window is set inactive; a 10 ms timer of the main window (3 for
// saving, 2 for opening) keeps the window's own work going while the chooser is open. The input state is reset
// after the chooser and after the command, so that no key stays down for the game. The commands reach the
// running game through GameCommandHost, which the shell implements.
#pragma once

#include <string>

#include "game/shell/saved_game.h"
#include "host/types.h"

class GameCommandHost : public SavedGameWorld {
 public:
  virtual bool IsGameInProgress() = 0;
  virtual void SetGameInProgress(bool inProgress) = 0;
  virtual bool IsRunning() = 0;  // the main loop's running bit
  virtual void StopRunning() = 0;  // clears the running bit and ends any wait: the main loop ends
  virtual std::string CharacterName() = 0;  // the player character's name
  virtual HWND MainWindow() = 0;
  virtual void SetWindowActive(bool active) = 0;
  virtual void EnableMenuBar(bool grey) = 0;

  // A new game: a new current character with no pending spells, the global entries at their defaults, the
  // location history left and emptied.
  virtual void CreateCharacter() = 0;
  virtual void ResetGlobalEntries() = 0;
  virtual void LeaveAndClearHistory() = 0;
  virtual std::string DefaultPlayerSprite() = 0;
  virtual void DropTileMapPlayer() = 0;  // when a tile map is current, it builds the player's sprite again
  virtual bool AsksPlayerName() = 0;
  virtual void RunPlayerNameDialog() = 0;
  // Whether the race (class) choice is offered, by the scenario's settings and its records; the dialog.
  virtual bool OffersRaceChoice() = 0;
  virtual void RunRaceDialog() = 0;
  virtual bool OffersClassChoice() = 0;
  virtual void RunClassDialog() = 0;
  virtual void AssignMissingRaceAndClass() = 0;  // the default record where none (or one without a name) is set
  virtual bool HasCharacterCreation() = 0;
  virtual void RunCharacterCreation() = 0;
  virtual void ResetExploredMasks() = 0;
  virtual void RepaintMainWindow() = 0;
  virtual void ResolveLinkedRecord() = 0;

  // Ending a game.
  virtual void ClearViewLayers() = 0;
  virtual void LeaveAllLocations() = 0;  // the leave operation of every location, in list order
  virtual void ClearExploredMasks() = 0;
  virtual void DeleteCharacter() = 0;
  // Quitting: the pictures of the game, map and start-up pools. A pool that is current or still on the pool
  // stack must not be deleted while in use: select a surviving pool first, or leave it to shut-down.
  virtual void ReleaseGamePools() = 0;
  virtual void HideCursor() = 0;
};

constexpr UINT_PTR kOpenChooserTimer = 2;
constexpr UINT_PTR kSaveChooserTimer = 3;
constexpr UINT kChooserTimerPeriod = 10;

// The path (or proposed name) of the current saved game; empty for a new game.
const std::string& GetSaveName();
void SetSaveName(const std::string& name);
// The name proposed for a game never saved: the character's name followed by " game." and the extension.
std::string DefaultSavedGameName(const std::string& characterName);

// Starts a new game (nothing while one is in progress): "NewGame", the player-name, race, class and creation
// dialogs as the scenario asks, then "Main". Once the running bit is cleared (a quit) the remaining steps are
// skipped.
void NewGameCommand(GameCommandHost& host);
// Ends the game in progress: leaves its locations, runs "EndGame" and deletes the character.
void EndGameCommand(GameCommandHost& host);
// Runs "QuitGame", ends a game in progress and stops the main loop.
void QuitGameCommand(GameCommandHost& host);

// The picture of the player's map sprite; an empty name stands for the scenario's default one.
void SetPlayerSpriteName(GameCommandHost& host, const std::string& name);
const std::string& GetPlayerSpriteName();

// Two movement switches of the tile map, both on at start: a click on a character or object plans a path to
// it, and the player moves with the keyboard.
void SetClickPathingEnabled(bool enabled);
bool IsClickPathingEnabled();
void SetKeyboardMovementEnabled(bool enabled);
bool IsKeyboardMovementEnabled();

// Runs "SaveGameEnter", asks for a file (proposing the save name) and saves the game there; the save name
// becomes the file's path. Nothing happens when no game is in progress.
void SaveGameCommand(GameCommandHost& host);
// Runs "OpenGameEnter", asks for a saved game and opens it; the save name becomes its path when it opened.
void OpenGameCommand(GameCommandHost& host);
