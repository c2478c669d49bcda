// The game commands' host over the shell's globals. Saving and opening games need the world's and the rules'
// saved parts, which are not built yet: until then a capture holds only the scenario's identity and applying a
// saved game reports that it could not be done, so that nothing half-made replaces the running game.
#include "game/shell/shell_command_host.h"

#include "game/dialogs/dialog_services.h"
#include "game/rules/character.h"
#include "game/rules/game_state.h"
#include "game/rules/script_event.h"
#include "game/shell/input_manager.h"
#include "game/shell/main_loop.h"
#include "game/shell/main_window.h"
#include "game/shell/menus.h"
#include "game/shell/option_store.h"
#include "game/shell/record_lists.h"
#include "game/world/scene_view.h"
#include "game/world/world_services.h"
#include "host/user.h"

namespace {

class ShellCommandHost : public GameCommandHost {
 public:
  std::string ScenarioIdentity() override { return GetScenarioSecondName(); }
  std::string ScenarioName() override { return ::GetScenarioName(); }
  bool HasCurrentCharacter() override { return PeekCurrentCharacter() != nullptr; }
  void Capture(SavedGame*) override {}
  std::vector<std::string> LoadedPlugins() override { return {}; }
  bool PictureExists(const std::string&) override { return false; }
  bool Apply(const SavedGame&) override { return false; }
  void CallEvent(const char* name) override { CallEventName(name); }
  void ResetInput() override { Input::Reset(); }
  bool AskYesNo(const std::string& text, const std::string& caption) override { return ::AskYesNo(text, caption); }
  void ShowAlert(const std::string& text, const std::string& caption) override { ::ShowAlert(text, caption); }

  bool IsGameInProgress() override { return ::IsGameInProgress(); }
  void SetGameInProgress(bool inProgress) override { ::SetGameInProgress(inProgress ? 1 : 0); }
  bool IsRunning() override { return (GetRunState() & kRunRunning) != 0; }
  void StopRunning() override {
    SetStopWaiting();
    ::StopRunning();
  }
  std::string CharacterName() override {
    Character* character = GetCurrentCharacter();
    return character != nullptr ? character->playerName : std::string();
  }
  HWND MainWindow() override { return GetMainWindow() != nullptr ? GetMainWindow()->GetNativeWindow() : nullptr; }
  void SetWindowActive(bool active) override {
    if (GetMainWindow() != nullptr) GetMainWindow()->SetActive(active);
  }
  void EnableMenuBar(bool grey) override { ::EnableMenuBar(grey); }
  void CreateCharacter() override {
    CreateCurrentCharacter();
    ClearPendingSpells();
  }
  void ResetGlobalEntries() override { ResetGlobalEntryValues(); }
  void LeaveAndClearHistory() override { LocationHistory::LeaveAllAndClear(); }
  std::string DefaultPlayerSprite() override { return GetDefaultPlayerSpriteName(); }
  void DropTileMapPlayer() override {
    if (TileMap* map = GetCurrentTileMap()) map->Leave();
  }
  bool AsksPlayerName() override { return GetAskPlayerName() != 0; }
  void RunPlayerNameDialog() override { Dialog::RunModal(std::make_unique<PlayerNameDialog>()); }
  bool OffersRaceChoice() override { return GetOfferUnmarkedRaces() != 0 || AnyRaceAvailable(); }
  void RunRaceDialog() override { Dialog::RunModal(std::make_unique<RaceClassDialog>(1)); }
  bool OffersClassChoice() override { return GetOfferUnmarkedClasses() != 0 || AnyClassAvailable(); }
  void RunClassDialog() override { Dialog::RunModal(std::make_unique<RaceClassDialog>(0)); }
  void AssignMissingRaceAndClass() override {
    if (Character* character = GetCurrentCharacter()) {
      if (character->GetRace() == nullptr || character->GetRace()->GetName().empty()) character->AssignDefaultRace();
      if (character->GetClass() == nullptr || character->GetClass()->GetName().empty()) character->AssignDefaultClass();
    }
  }
  bool HasCharacterCreation() override { return GetShowCharacterCreation() != 0; }
  void RunCharacterCreation() override { ShowCharacterCreation(1); }
  void ResetExploredMasks() override { ::ResetExploredMasks(); }
  void RepaintMainWindow() override {
    if (GetMainWindow() != nullptr) GetMainWindow()->InvalidateAll();
  }
  void ResolveLinkedRecord() override {
    if (Character* character = GetCurrentCharacter()) character->ResolveLinkedRecord();
  }
  void ClearViewLayers() override {
    if (SceneView* view = GetSceneView()) view->ClearLayers();
  }
  void LeaveAllLocations() override {
    for (const auto& location : LocationList()) location->Leave();
  }
  void ClearExploredMasks() override { ::ClearExploredMasks(); }
  void DeleteCharacter() override { DeleteCurrentCharacter(); }
  // The pools stay until shut-down: the main loop still has the start-up pool on its stack and the game pool
  // current.
  void ReleaseGamePools() override {}
  void HideCursor() override { SetCursor(nullptr); }
};

}  // namespace

GameCommandHost& GetShellCommandHost() {
  static auto* host = new ShellCommandHost;
  return *host;
}
