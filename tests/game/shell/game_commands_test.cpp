// The save and open commands: the proposed name, the chooser's timer on the main window, Cancel, and the save
// name following the file saved or opened.
#include "game/shell/game_commands.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "host/testing.h"
#include "host/user.h"
#include "tests/support/chooser_fixture.h"

namespace {

std::map<WPARAM, int>& TimerCounts() {
  static std::map<WPARAM, int> counts;
  return counts;
}

LRESULT CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER) ++TimerCounts()[wParam];
  return DefWindowProcA(window, message, wParam, lParam);
}

class FakeHost : public GameCommandHost {
 public:
  std::string ScenarioIdentity() override { return "Isle of Tests"; }
  std::string ScenarioName() override { return "Isle"; }
  bool HasCurrentCharacter() override { return true; }
  void Capture(SavedGame* game) override { *game = running; }
  std::vector<std::string> LoadedPlugins() override { return {}; }
  bool PictureExists(const std::string&) override { return true; }
  bool PlaceOpens(const std::string& name) override { return name == "Town"; }
  void Apply(const SavedGame& game) override { running = game; }
  bool TravelBack() override { return true; }
  void PlacePlayer() override {}
  void EndAfterFailedTravel() override {}
  void FinishOpen() override {}
  void CallEvent(const char* name) override {
    events.push_back(name);
    log.push_back(std::string("event ") + name);
    if (quitOn == name) loopRunning = false;
    // The event's own new game, started at once by the event.
    if (newGameOn == name) inProgress = true;
  }
  void ResetInput() override { ++inputResets; }
  bool AskYesNo(const std::string&, const std::string&) override { return true; }
  void ShowAlert(const std::string& text, const std::string&) override { alerts.push_back(text); }
  bool IsGameInProgress() override { return inProgress; }
  std::string CharacterName() override { return running.character.name; }
  HWND MainWindow() override { return window; }
  void SetWindowActive(bool active) override { activity.push_back(active); }
  void SetGameInProgress(bool value) override {
    inProgress = value;
    log.push_back(value ? "in progress" : "not in progress");
  }
  bool IsRunning() override { return loopRunning; }
  void StopRunning() override {
    loopRunning = false;
    log.push_back("stop");
  }
  void EnableMenuBar(bool grey) override { log.push_back(grey ? "grey menus" : "menus"); }
  void CreateCharacter() override { log.push_back("create character"); }
  void ResetGlobalEntries() override { log.push_back("reset globals"); }
  void LeaveAndClearHistory() override { log.push_back("clear history"); }
  std::string DefaultPlayerSprite() override { return "default_hero"; }
  void DropTileMapPlayer() override { log.push_back("drop sprite"); }
  bool AsksPlayerName() override { return true; }
  void RunPlayerNameDialog() override { log.push_back("name dialog"); }
  bool OffersRaceChoice() override { return true; }
  void RunRaceDialog() override { log.push_back("race dialog"); }
  bool OffersClassChoice() override { return false; }
  void RunClassDialog() override { log.push_back("class dialog"); }
  void AssignMissingRaceAndClass() override { log.push_back("default race and class"); }
  bool HasCharacterCreation() override { return true; }
  void RunCharacterCreation() override { log.push_back("creation dialog"); }
  void ResetExploredMasks() override { log.push_back("reset masks"); }
  void RepaintMainWindow() override { log.push_back("repaint"); }
  void ResolveLinkedRecord() override { log.push_back("resolve record"); }
  void ClearViewLayers() override { log.push_back("clear layers"); }
  void LeaveAllLocations() override { log.push_back("leave locations"); }
  void ClearExploredMasks() override { log.push_back("clear masks"); }
  void DeleteCharacter() override { log.push_back("delete character"); }
  void ReleaseGamePools() override { log.push_back("release pools"); }
  void HideCursor() override { log.push_back("hide cursor"); }

  SavedGame running;
  bool inProgress = true;
  std::string newGameOn;
  HWND window = nullptr;
  std::vector<std::string> events, alerts;
  std::vector<bool> activity;
  int inputResets = 0;
  bool loopRunning = true;
  std::string quitOn;  // an event that quits the game while it runs
  std::vector<std::string> log;
};

using Log = std::vector<std::string>;
const Log kLeaveGame = {"clear layers", "not in progress", "leave locations", "clear layers", "clear masks"};
// Ending a game settles the menus once no game is in progress, before the locations are left.
const Log kEndGame = {"clear layers", "not in progress", "menus", "leave locations", "clear layers", "clear masks"};

Log Join(std::initializer_list<Log> parts) {
  Log all;
  for (const Log& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

class GameCommands : public ChooserTest {
 protected:
  void SetUp() override {
    ChooserTest::SetUp();
    static bool registered = false;
    if (!registered) {
      WNDCLASSA windowClass{};
      windowClass.lpfnWndProc = CountingProc;
      windowClass.lpszClassName = "GameCommandsTest";
      registered = RegisterClassA(&windowClass) != 0;
    }
    host_.window = CreateWindowExA(0, "GameCommandsTest", "test", 0, 0, 0, 64, 64, nullptr, nullptr, nullptr,
                                   nullptr);
    ASSERT_NE(host_.window, nullptr);
    host_.running.character.name = "Aldra";
    host_.running.character.level = 3;
    host_.running.history = {{10, 1, 2, 0, "Town", ""}};
    SetSaveName("");
    TimerCounts().clear();
  }
  void TearDown() override {
    DestroyWindow(host_.window);
    HostTestUseManualClock(false);
    SetSaveName("");
    ChooserTest::TearDown();
  }
  FakeHost host_;
};

TEST_F(GameCommands, SaveProposesTheDefaultNameAndSavesWhereChosen) {
  HostTestUseManualClock(true);
  HostTestAnswerFileChooser(temp_.WindowsPath("first").c_str(), 60);
  SaveGameCommand(host_);
  EXPECT_EQ(HostTestFileChoosers().back().proposedName, "Aldra game.ksv");
  EXPECT_EQ(HostTestFileChoosers().back().title, "Save");
  EXPECT_TRUE(temp_.Exists("first.ksv"));
  EXPECT_EQ(GetSaveName(), "C:" + temp_.PosixPath("first.ksv"));
  EXPECT_EQ(host_.events, (std::vector<std::string>{"SaveGameEnter", "SaveGameExit"}));
  EXPECT_EQ(host_.activity, (std::vector<bool>{false, true}));
  EXPECT_GE(TimerCounts()[kSaveChooserTimer], 3);
  EXPECT_EQ(TimerCounts().count(kOpenChooserTimer), 0u);
  // The timer stops with the chooser.
  int fired = TimerCounts()[kSaveChooserTimer];
  HostTestAdvanceClock(100);
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  EXPECT_EQ(TimerCounts()[kSaveChooserTimer], fired);
  // A later save proposes the file saved before.
  HostTestAnswerFileChooser(nullptr);
  SaveGameCommand(host_);
  EXPECT_EQ(HostTestFileChoosers().back().proposedName, GetSaveName());
}

TEST_F(GameCommands, CancelLeavesTheGameAndResetsTheInput) {
  HostTestAnswerFileChooser(nullptr);
  SaveGameCommand(host_);
  HostTestAnswerFileChooser(nullptr);
  OpenGameCommand(host_);
  EXPECT_EQ(host_.events, (std::vector<std::string>{"SaveGameEnter", "OpenGameEnter"}));
  EXPECT_EQ(host_.inputResets, 2);
  EXPECT_EQ(host_.running.character.name, "Aldra");
  EXPECT_EQ(GetSaveName(), "Aldra game.ksv");
}

TEST_F(GameCommands, SaveWithoutAGameDoesNothing) {
  host_.inProgress = false;
  SaveGameCommand(host_);
  EXPECT_TRUE(host_.events.empty());
  EXPECT_TRUE(HostTestFileChoosers().empty());
}

TEST_F(GameCommands, OpenReplacesTheGameAndTakesItsPathAsTheSaveName) {
  HostTestAnswerFileChooser(temp_.WindowsPath("a.ksv").c_str());
  SaveGameCommand(host_);
  host_.running.character.name = "Other";
  host_.events.clear();
  HostTestUseManualClock(true);
  HostTestAnswerFileChooser(temp_.WindowsPath("a.ksv").c_str(), 30);
  OpenGameCommand(host_);
  EXPECT_EQ(host_.running.character.name, "Aldra");
  EXPECT_EQ(host_.events, (std::vector<std::string>{"OpenGameEnter", "OpenGameExit"}));
  EXPECT_EQ(HostTestFileChoosers().back().title, "Open");
  EXPECT_GE(TimerCounts()[kOpenChooserTimer], 1);
  EXPECT_EQ(GetSaveName(), "C:" + temp_.PosixPath("a.ksv"));
}

TEST_F(GameCommands, NewGameRunsItsStepsInOrder) {
  host_.inProgress = false;
  SetSaveName("old.ksv");
  NewGameCommand(host_);
  EXPECT_EQ(host_.log, (Log{"create character", "drop sprite", "reset globals", "clear history", "event NewGame",
                            "name dialog", "race dialog", "default race and class", "creation dialog",
                            "reset masks", "repaint", "in progress", "menus", "resolve record", "event Main"}));
  EXPECT_EQ(GetSaveName(), "");
  EXPECT_EQ(GetPlayerSpriteName(), "default_hero");
}

TEST_F(GameCommands, NewGameDoesNothingWhileAGameIsInProgress) {
  NewGameCommand(host_);
  EXPECT_TRUE(host_.log.empty());
}

TEST_F(GameCommands, AQuitDuringNewGameStopsBeforeTheRaceChoice) {
  host_.inProgress = false;
  host_.quitOn = "NewGame";
  NewGameCommand(host_);
  EXPECT_EQ(host_.log, (Log{"create character", "drop sprite", "reset globals", "clear history", "event NewGame",
                            "name dialog"}));
  EXPECT_FALSE(host_.inProgress);
}

TEST_F(GameCommands, EndAndQuit) {
  struct Case {
    const char* what;
    bool inProgress;
    void (*command)(GameCommandHost&);
    Log expected;
    const char* newGameOn = "";
  } cases[] = {
      {"end", true, EndGameCommand, Join({kEndGame, {"event EndGame", "delete character"}})},
      // The new game's player stays.
      {"end whose event starts a new game", true, EndGameCommand, Join({kEndGame, {"event EndGame"}}), "EndGame"},
      {"end without a game", false, EndGameCommand, {}},
      {"quit", true, QuitGameCommand,
       Join({{"grey menus", "event QuitGame"}, kLeaveGame, {"release pools", "hide cursor", "stop"}})},
      {"quit without a game", false, QuitGameCommand, {"grey menus", "event QuitGame", "stop"}},
  };
  for (const Case& c : cases) {
    host_.log.clear();
    host_.inProgress = c.inProgress;
    host_.newGameOn = c.newGameOn;
    host_.loopRunning = true;
    c.command(host_);
    EXPECT_EQ(host_.log, c.expected) << c.what;
  }
}

TEST_F(GameCommands, PlayerSpriteNameFallsBackToTheDefault) {
  SetPlayerSpriteName(host_, "knight");
  EXPECT_EQ(GetPlayerSpriteName(), "knight");
  SetPlayerSpriteName(host_, "");
  EXPECT_EQ(GetPlayerSpriteName(), "default_hero");
  EXPECT_EQ(host_.log, (Log{"drop sprite", "drop sprite"}));
}

}  // namespace
