// The save and open game commands, with the save name of the current game.
//
// Both ask the player for a file while the main window is set inactive; a 10 ms timer of the main window (3 for
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
  virtual std::string CharacterName() = 0;  // the player character's name
  virtual HWND MainWindow() = 0;
  virtual void SetWindowActive(bool active) = 0;
};

constexpr UINT_PTR kOpenChooserTimer = 2;
constexpr UINT_PTR kSaveChooserTimer = 3;
constexpr UINT kChooserTimerPeriod = 10;

// The path (or proposed name) of the current saved game; empty for a new game.
const std::string& GetSaveName();
void SetSaveName(const std::string& name);
// The name proposed for a game never saved: the character's name followed by " game." and the extension.
std::string DefaultSavedGameName(const std::string& characterName);

// Runs "SaveGameEnter", asks for a file (proposing the save name) and saves the game there; the save name
// becomes the file's path. Nothing happens when no game is in progress.
void SaveGameCommand(GameCommandHost& host);
// Runs "OpenGameEnter", asks for a saved game and opens it; the save name becomes its path when it opened.
void OpenGameCommand(GameCommandHost& host);
