// The save and open game commands.
#include "game/shell/game_commands.h"

#include <memory>

#include "game/shell/data/data_stream.h"
#include "game/shell/data/stopwatch.h"
#include "host/user.h"

namespace {

std::string& SaveName() {
  static std::string* name = new std::string;
  return *name;
}

std::string& PlayerSpriteName() {
  static std::string* name = new std::string;
  return *name;
}

bool clickPathing = true;
bool keyboardMovement = true;

// The end of a game in progress, shared by ending and quitting. Ending greys the menus that need a game once none
// is in progress (before the locations are left, whose events may show messages under them); quitting has
// greyed them all already.
void LeaveGame(GameCommandHost& host, bool settleMenus) {
  host.ClearViewLayers();
  host.SetGameInProgress(false);
  if (settleMenus) host.EnableMenuBar(false);
  host.LeaveAllLocations();
  host.ClearViewLayers();
  host.ClearExploredMasks();
}

// Runs ask with the main window inactive and the chooser's timer running.
template <typename Ask>
std::unique_ptr<DataStream> WithChooserTimer(GameCommandHost& host, UINT_PTR timer, Ask ask) {
  HWND window = host.MainWindow();
  if (window != nullptr) SetTimer(window, timer, kChooserTimerPeriod, nullptr);
  host.SetWindowActive(false);
  std::unique_ptr<DataStream> stream = ask();
  host.SetWindowActive(true);
  if (window != nullptr) KillTimer(window, timer);
  host.ResetInput();
  return stream;
}

}  // namespace

const std::string& GetSaveName() { return SaveName(); }

void SetSaveName(const std::string& name) { SaveName() = name; }

std::string DefaultSavedGameName(const std::string& characterName) {
  return characterName + " game." + kSavedGameExtension;
}

void SetPlayerSpriteName(GameCommandHost& host, const std::string& name) {
  PlayerSpriteName() = name.empty() ? host.DefaultPlayerSprite() : name;
  host.DropTileMapPlayer();
}

const std::string& GetPlayerSpriteName() { return PlayerSpriteName(); }

void SetClickPathingEnabled(bool enabled) { clickPathing = enabled; }
bool IsClickPathingEnabled() { return clickPathing; }
void SetKeyboardMovementEnabled(bool enabled) { keyboardMovement = enabled; }
bool IsKeyboardMovementEnabled() { return keyboardMovement; }

void NewGameCommand(GameCommandHost& host) {
  // The steps are labelled on a stopwatch of the command's own, as the start-up steps are.
  Stopwatch steps;
  if (host.IsGameInProgress()) {
    steps.Lap("All");
    return;
  }
  host.CreateCharacter();
  SetPlayerSpriteName(host, "");
  SaveName().clear();
  steps.Lap("InitHomePlayer");
  host.ResetGlobalEntries();
  host.LeaveAndClearHistory();
  steps.Lap("InitEvents");
  host.CallEvent("NewGame");
  steps.Lap("CallEventName(\"NewGame\")");
  if (host.AsksPlayerName()) host.RunPlayerNameDialog();
  if (host.IsRunning() && host.OffersRaceChoice()) host.RunRaceDialog();
  if (host.IsRunning() && host.OffersClassChoice()) host.RunClassDialog();
  if (host.IsRunning()) host.AssignMissingRaceAndClass();
  if (host.IsRunning() && host.HasCharacterCreation()) host.RunCharacterCreation();
  if (!host.IsRunning()) return;
  steps.Lap("Player creation");
  host.ResetExploredMasks();
  host.RepaintMainWindow();
  host.SetGameInProgress(true);
  host.EnableMenuBar(false);
  host.ResolveLinkedRecord();
  host.CallEvent("Main");
  steps.Lap("StartNewGame");
  steps.Lap("All");
}

void EndGameCommand(GameCommandHost& host) {
  if (!host.IsGameInProgress()) return;
  LeaveGame(host, true);
  host.CallEvent("EndGame");
  // The event may start a new game at once (a script's new game): that game's player stays. Deleting it would
  // leave a game in progress without a player.
  if (!host.IsGameInProgress()) host.DeleteCharacter();
}

void QuitGameCommand(GameCommandHost& host) {
  host.EnableMenuBar(true);
  host.CallEvent("QuitGame");
  if (host.IsGameInProgress()) {
    LeaveGame(host, false);
    host.ReleaseGamePools();
    host.HideCursor();
  }
  host.StopRunning();
}

void SaveGameCommand(GameCommandHost& host) {
  if (!host.IsGameInProgress()) return;
  host.CallEvent("SaveGameEnter");
  if (SaveName().empty()) SaveName() = DefaultSavedGameName(host.CharacterName());
  std::unique_ptr<DataStream> stream = WithChooserTimer(
      host, kSaveChooserTimer, [&] { return ChooseSaveFile("Save", SaveName(), kSavedGameExtension); });
  if (stream == nullptr) return;
  std::string path = stream->GetFullPath();
  if (!path.empty()) SaveName() = path;
  SaveGameTo(host, stream->GetFolder(), stream->GetPath().c_str());
  host.ResetInput();
}

void OpenGameCommand(GameCommandHost& host) {
  host.CallEvent("OpenGameEnter");
  std::unique_ptr<DataStream> stream = WithChooserTimer(
      host, kOpenChooserTimer, [&] { return ChooseOpenFile("Open", static_cast<int32_t>(kSavedGameFileType)); });
  if (stream == nullptr) return;
  // The save name takes the file's path only once its game is in place: after a refusal or a "No" the running game
  // stays, and the next save would otherwise propose the refused file and write the running game over it.
  if (OpenSavedGameFrom(host, stream->GetFolder(), stream->GetPath().c_str()) == SavedGameError::kNone) {
    SaveName() = stream->GetFullPath();
  }
  host.ResetInput();
}
