// The game commands' host over the shell, and the carried fields of the character, history and masks.
#include "game/shell/game_command_host.h"

#include "game/dialogs/dialog_services.h"
#include "game/graphics/picture_cache.h"
#include "game/rules/game_state.h"
#include "game/rules/scenario_records.h"
#include "game/rules/script_event.h"
#include "game/shell/data_archive.h"
#include "game/shell/input_manager.h"
#include "game/shell/main_loop.h"
#include "game/shell/main_window.h"
#include "game/shell/media_lookup.h"
#include "game/shell/menus.h"
#include "game/shell/option_store.h"
#include "game/shell/record_lists.h"
#include "game/world/scene_view.h"
#include "game/world/world_services.h"
#include "host/user.h"

namespace {

// Option flags 5 and 6 offer the races (classes) marked available at creation.
constexpr int kOfferMarkedRacesFlag = 5;
constexpr int kOfferMarkedClassesFlag = 6;

template <typename Record>
std::string FirstRecordName(RecordList<Record>& list) {
  for (const auto& record : list) {
    if (record != nullptr && !record->GetName().empty()) return record->GetName();
  }
  return "";
}

}  // namespace

std::string ShellGameHost::ScenarioIdentity() { return GetScenarioSecondName(); }
std::string ShellGameHost::ScenarioName() { return GetScenarioName(); }

void ShellGameHost::Capture(SavedGame* game) {
  game->character = character_.value_or(SavedCharacter{});
  // The default sprite is stored as no name, so that a scenario that changes it changes it for old saves too.
  const std::string& sprite = GetPlayerSpriteName();
  game->character.spriteName = sprite == GetDefaultPlayerSpriteName() ? "" : sprite;
  game->character.plugins = LoadedPlugins();
  game->globals.clear();
  for (int32_t i = 0; i < GetGlobalVariableCount(); ++i) {
    if (const GlobalVariable* entry = GetGlobalEntryName(i)) game->globals.push_back({entry->name, entry->value});
  }
  game->history = history_;
  game->masks = masks_;
}

std::vector<std::string> ShellGameHost::LoadedPlugins() { return ::LoadedPlugins(); }

bool ShellGameHost::PictureExists(const std::string& name) {
  return DataFileExists(("Pictures/" + name).c_str());
}

bool ShellGameHost::Apply(const SavedGame& game) {
  SceneView* view = GetSceneView();
  if (view != nullptr) view->BeginOffscreen();
  ::SetGameInProgress(0);
  ::EnableMenuBar(true);
  LeaveAndClearHistory();
  character_ = game.character;
  character_->plugins.clear();
  if (character_->className.empty() || character_->raceName.empty()) AssignMissingRaceAndClass();
  SetPlayerSpriteName(*this, game.character.spriteName);
  // A variable the scenario no longer names is dropped.
  for (const SavedGlobal& saved : game.globals) {
    if (GlobalVariable* entry = FindGlobalEntry(saved.name)) entry->value = saved.value;
  }
  history_ = game.history;
  masks_ = game.masks;
  ::SetGameInProgress(1);
  ::EnableMenuBar(false);
  if (view != nullptr) view->EndOffscreen();
  // No location can be entered before the world is built: the way back is the history kept above.
  return true;
}

void ShellGameHost::CallEvent(const char* name) { CallEventName(name); }
void ShellGameHost::ResetInput() { Input::Reset(); }
bool ShellGameHost::AskYesNo(const std::string& text, const std::string& caption) {
  return ::AskYesNo(text, caption);
}
void ShellGameHost::ShowAlert(const std::string& text, const std::string& caption) { ::ShowAlert(text, caption); }

bool ShellGameHost::IsGameInProgress() { return ::IsGameInProgress(); }
void ShellGameHost::SetGameInProgress(bool inProgress) { ::SetGameInProgress(inProgress ? 1 : 0); }
bool ShellGameHost::IsRunning() { return (GetRunState() & kRunRunning) != 0; }
void ShellGameHost::StopRunning() {
  SetStopWaiting();
  ::StopRunning();
}
std::string ShellGameHost::CharacterName() { return character_ ? character_->name : ""; }

HWND ShellGameHost::MainWindow() {
  ::MainWindow* window = GetMainWindow();
  return window != nullptr && window->IsCreated() ? window->GetNativeWindow() : nullptr;
}

void ShellGameHost::SetWindowActive(bool active) {
  if (::MainWindow* window = GetMainWindow()) window->SetActive(active);
}

void ShellGameHost::EnableMenuBar(bool grey) { ::EnableMenuBar(grey); }

void ShellGameHost::CreateCharacter() {
  character_ = SavedCharacter{};
  GetDefaultPlayerName(character_->name);
}

void ShellGameHost::ResetGlobalEntries() { ResetGlobalEntryValues(); }

void ShellGameHost::LeaveAndClearHistory() {
  LocationHistory::LeaveAllAndClear();
  history_.clear();
}

std::string ShellGameHost::DefaultPlayerSprite() { return GetDefaultPlayerSpriteName(); }

void ShellGameHost::DropTileMapPlayer() {
  if (TileMap* map = GetCurrentTileMap()) map->Leave();
}

bool ShellGameHost::AsksPlayerName() { return GetAskPlayerName() != 0; }
void ShellGameHost::RunPlayerNameDialog() { Dialog::RunModal(std::make_unique<PlayerNameDialog>()); }

bool ShellGameHost::OffersRaceChoice() {
  return (GetOfferUnmarkedRaces() != 0 && AnyRaceUnavailable()) ||
         (GetOptionFlag(kOfferMarkedRacesFlag) != 0 && AnyRaceAvailable());
}
void ShellGameHost::RunRaceDialog() { Dialog::RunModal(std::make_unique<RaceClassDialog>(1)); }

bool ShellGameHost::OffersClassChoice() {
  return (GetOfferUnmarkedClasses() != 0 && AnyClassUnavailable()) ||
         (GetOptionFlag(kOfferMarkedClassesFlag) != 0 && AnyClassAvailable());
}
void ShellGameHost::RunClassDialog() { Dialog::RunModal(std::make_unique<RaceClassDialog>(0)); }

void ShellGameHost::AssignMissingRaceAndClass() {
  if (!character_) return;
  if (character_->raceName.empty()) character_->raceName = FirstRecordName(RaceList());
  if (character_->className.empty()) character_->className = FirstRecordName(ClassList());
}

bool ShellGameHost::HasCharacterCreation() { return GetShowCharacterCreation() != 0; }
void ShellGameHost::RunCharacterCreation() { ShowCharacterCreation(1); }

void ShellGameHost::ResetExploredMasks() {
  ::ResetExploredMasks();
  masks_.clear();
}

void ShellGameHost::RepaintMainWindow() {
  if (::MainWindow* window = GetMainWindow()) window->InvalidateAll();
}

void ShellGameHost::ClearViewLayers() {
  if (SceneView* view = GetSceneView()) view->ClearLayers();
}

void ShellGameHost::LeaveAllLocations() {
  for (const auto& location : LocationList()) location->Leave();
}

void ShellGameHost::ClearExploredMasks() {
  ::ClearExploredMasks();
  masks_.clear();
}

void ShellGameHost::ReleaseGamePools() {
  // Quitting happens inside the main loop, whose pool stack still holds the start-up pool and whose current pool
  // is the game pool: deleting them here would leave the loop's pop naming a freed pool. Their unused pictures
  // go now; the pools themselves go with the picture cache at shut-down.
  for (PicturePool* pool : {GetGamePool(), GetMapPool(), GetStartupPool()}) {
    if (pool != nullptr) PictureCache::PurgeUnused(pool);
  }
}

void ShellGameHost::HideCursor() { SetCursor(nullptr); }

void ShellGameHost::Reset() {
  character_.reset();
  history_.clear();
  masks_.clear();
}

ShellGameHost& GetShellGameHost() {
  // Never destroyed: a shut-down signal may end the process while the loop still runs.
  static ShellGameHost* host = new ShellGameHost;
  return *host;
}

void RunNewGameCommand() { NewGameCommand(GetShellGameHost()); }
void RunSaveGameCommand() { SaveGameCommand(GetShellGameHost()); }
void RunOpenGameCommand() { OpenGameCommand(GetShellGameHost()); }
void RunEndGameCommand() { EndGameCommand(GetShellGameHost()); }
void RunQuitGameCommand() { QuitGameCommand(GetShellGameHost()); }
