// "Eng": the engine commands of scripts, through the headless harness. Saving, opening, ending and starting games
// act at once, inside the event that gives the command.
#include <gtest/gtest.h>

#include <memory>

#include "game/dialogs/message_dialog.h"
#include "game/dialogs/modal_dialog_driver.h"
#include "game/rules/character.h"
#include "game/rules/game_state.h"
#include "game/rules/item_record.h"
#include "game/shell/data/preferences.h"
#include "game/shell/main_loop.h"
#include "game/shell/main_window.h"
#include "game/shell/menus.h"
#include "game/shell/record_lists.h"
#include "game/shell/scenario_config.h"
#include "game/shell/window_procedure.h"
#include "host/kernel.h"
#include "host/testing.h"
#include "tests/support/script_harness.h"
#include "tools/scenario_writer/location_writer.h"

namespace {

namespace sw = scenario_writer;
using namespace test_support::script;

sw::ActionSpec Engine(const std::string& command) { return {"", "Engine", {command}}; }
sw::ActionSpec Gold(const std::string& value) { return {"", "Gold", {"1", value}}; }
sw::ActionSpec Append(const std::string& mark) { return ChangeGlobal("gb_order", 2, mark); }

class EngineActionsTest : public test_support::ScriptHarness {
 protected:
  void SetUp() override {
    ScriptHarness::SetUp();
    HostTestClearFileChoosers();
    Config().globalNames = {"gb_order"};
  }
  void TearDown() override {
    SetMainWindow(nullptr);
    HostTestClearFileChoosers();
    HostTestResetWindowSystem();
    ScriptHarness::TearDown();
  }
  // Runs an event of one action, then marks gb_order with "+" when the event went on after it.
  void RunCommand(const std::string& command) {
    AddEvent("Command" + command, {{Engine(command), Append("+")}});
    ran_.push_back("Command" + command);
  }
  std::vector<std::string> ran_;
};

TEST_F(EngineActionsTest, SavingAndOpeningEndOnlyTheEventThatRunsThem) {
  AddEvent("Save", {{Engine("1"), Append("+")}});
  AddEvent("Open", {{Call("Inner"), Gold("7"), Append("after")}});
  AddEvent("Inner", {{Engine("2"), Append("never")}});
  // The game is saved at a place, where opening it goes back to.
  Files().Add(sw::LocationRecordPath("Camp"), sw::EncodeScreenLocation({}));
  Load();
  FindLocationByName("Camp")->Enter();
  Player().gold = 100;
  HostTestAnswerFileChooser(temp_.WindowsPath("hero.ksv").c_str());
  Run("Save");
  EXPECT_TRUE(temp_.Exists("hero.ksv"));
  EXPECT_EQ(Global("gb_order"), "");  // the save ended the event

  Player().gold = 5;
  HostTestAnswerFileChooser(temp_.WindowsPath("hero.ksv").c_str());
  Run("Open");
  // The game opened at once and ended the event that opened it; the event that called it went on, with the
  // opened game: its gold set on the saved character, its mark added to the saved (empty) variable.
  ASSERT_NE(GetCurrentCharacter(), nullptr);
  EXPECT_EQ(Player().GetName(), "Hero");
  EXPECT_EQ(Player().gold, 7);
  EXPECT_EQ(Global("gb_order"), "after");

  // Without a game, saving does nothing and the event goes on.
  SetGameInProgress(0);
  Run("Save");
  EXPECT_EQ(Global("gb_order"), "after+");
  EXPECT_EQ(HostTestFileChoosers().size(), 2u);
}

TEST_F(EngineActionsTest, EndingAndStartingGamesActAtOnce) {
  AddEvent("End", {{Engine("6"), Append("a")}});
  AddEvent("EndGame", {{Append("e")}});
  AddEvent("Restart", {{Engine("5"), Append("a")}});
  AddEvent("NewGame", {{Append("n")}});
  Load();
  // "EndGame" runs before the rest of the event that ended the game.
  Run("End");
  EXPECT_EQ(Global("gb_order"), "ea");
  EXPECT_FALSE(IsGameInProgress());
  EXPECT_EQ(GetCurrentCharacter(), nullptr);
  // Without a game, command 6 does nothing; command 5 starts a new game (which empties the variables) before the
  // rest of its event.
  Run("End");
  EXPECT_EQ(Global("gb_order"), "eaa");
  // The new game asks for the player's name and shows the character sheet.
  AnswerMessage();
  AnswerMessage();
  Run("Restart");
  EXPECT_EQ(Global("gb_order"), "na");
  EXPECT_TRUE(IsGameInProgress());
  EXPECT_NE(GetCurrentCharacter(), nullptr);
  ASSERT_EQ(Shown().size(), 2u);
  EXPECT_EQ(Shown()[0].layout, 4);
  EXPECT_EQ(Shown()[1].layout, 10);
}

// The player's own operation (a potion drunk) runs the event that ends the game: the game ends at once, and the
// operation goes on to its end on the old player, which is deleted only once everything has returned.
TEST_F(EngineActionsTest, AGameEndedByThePlayersOwnItemEndsAtOnceAndThePlayerLastsTillTheEnd) {
  sw::ItemSpec potion;
  potion.kind = kItemKindConsumable;
  potion.namedActions = {{{"", sw::EventSpec{{Engine("6"), Append("u")}}}, "", std::nullopt}};
  Files().Add("Items/Potion.itm", sw::EncodeItem(potion));
  AddEvent("Drink", {{{"", "Items", {"Potion", "4"}}, Append("d")}});
  AddEvent("EndGame", {{Append("e")}});
  Load();
  Player().AddInventoryItem(FindItemByName("Potion"));
  Run("Drink");
  EXPECT_EQ(Global("gb_order"), "eud");
  EXPECT_FALSE(IsGameInProgress());
  EXPECT_EQ(GetCurrentCharacter(), nullptr);
}

// Takes note of whether the Game menu is greyed while each message shows, and dismisses it.
class GameMenuNotes : public ModalDialogDriver {
 public:
  void Drive(Dialog& dialog) override {
    HMENU bar = GetMenuBar();
    const BOOL before = EnableMenuItem(bar, 1, MF_BYPOSITION | MF_GRAYED | MF_DISABLED);
    EnableMenuItem(bar, 1, MF_BYPOSITION | static_cast<UINT>(before));
    greyed.push_back((before & MF_GRAYED) != 0);
    if (auto* message = dynamic_cast<MessageDialog*>(&dialog)) message->Dismiss();
  }
  std::vector<bool> greyed;
};

// A new game started over a running one ends it first: the Game menu is greyed while no game is in progress (the
// old game's "EndGame" and the new one's "NewGame") and usable again once the new game has begun ("Main").
TEST_F(EngineActionsTest, TheGameMenuIsGreyedBetweenTheEndedGameAndTheNewOne) {
  Config().askPlayerName = 0;
  Config().characterCreation = 0;
  Config().menuLists[kMenuListGame].entries = {{"Pack/p", "Pack"}};
  AddEvent("Restart", {{Engine("5")}});
  AddEvent("EndGame", {{Message("Ended.")}});
  AddEvent("NewGame", {{Message("Welcome.")}});
  AddEvent("Main", {{Message("Begun.")}});
  Load();
  BuildMenuBar();
  BuildScenarioMenus();
  EnableMenuBar(false);
  ModalDialogDriver* harness = GetModalDialogDriver();
  GameMenuNotes notes;
  SetModalDialogDriver(&notes);
  Run("Restart");
  SetModalDialogDriver(harness);
  FreeMenus();
  EXPECT_EQ(notes.greyed, (std::vector<bool>{true, true, false}));
}

TEST_F(EngineActionsTest, TheCharacterDialogsNeedAGameButSpellCasting) {
  for (const char* command : {"3", "9", "17", "8"}) RunCommand(command);
  Load();
  for (int i = 0; i < 5; ++i) AnswerMessage();
  for (const std::string& event : ran_) Run(event);
  SetGameInProgress(0);
  for (const std::string& event : ran_) Run(event);
  std::vector<int32_t> layouts;
  for (const auto& shown : Shown()) layouts.push_back(shown.layout);
  EXPECT_EQ(layouts, (std::vector<int32_t>{3, 0, 2, 19, 19}));
  EXPECT_EQ(Global("gb_order"), "++++++++");
}

TEST_F(EngineActionsTest, PauseHeldFlagAndUnknownCommands) {
  for (const char* command : {"10", "11", "12", "13", "14", "0", "20", "x"}) RunCommand(command);
  Load();
  Run("Command10");
  EXPECT_NE(GetRunState() & kRunPaused, 0u);
  Run("Command11");
  EXPECT_EQ(GetRunState() & kRunPaused, 0u);
  Run("Command12");
  EXPECT_NE(GetRunState() & kRunPaused, 0u);
  Run("Command12");
  EXPECT_EQ(GetRunState() & kRunPaused, 0u);

  // 13 holds the player; 14 lets it go only on a shown map; neither acts without a game.
  Run("Command14");
  EXPECT_EQ(Player().GetFlags(), 0);
  Run("Command13");
  EXPECT_EQ(Player().GetFlags(), kCharacterHeld);
  Run("Command14");
  EXPECT_EQ(Player().GetFlags(), kCharacterHeld);
  Player().SetFlags(0);
  SetGameInProgress(0);
  Run("Command13");
  EXPECT_EQ(Player().GetFlags(), 0);
  SetGameInProgress(1);

  for (const char* unknown : {"Command0", "Command20", "Commandx"}) Run(unknown);
  EXPECT_TRUE(Shown().empty());
  EXPECT_EQ(Global("gb_order"), std::string(11, '+'));
}

TEST_F(EngineActionsTest, TheDisplayModeIsKeptInThePreferences) {
  for (const char* command : {"15", "16"}) RunCommand(command);
  Load();
  Run("Command15");  // no window: nothing
  ASSERT_NE(GetPrefsFile(), nullptr);
  EXPECT_FALSE(GetPrefsFile()->HasKey("fullscreen"));

  StartupWindowParams params;
  params.instance = GetModuleHandleA(nullptr);
  params.windowProc = MainWindowProc;
  SetMainWindow(std::make_unique<MainWindow>(640, 480, 32, false, false, "Engine", params));
  ASSERT_EQ(GetMainWindow()->Create(false), 0);
  auto stored = [] {
    PrefsFile saved(GetPrefsFile()->FileName());
    saved.Load();
    std::string value;
    saved.Get(value, "fullscreen");
    return value;
  };
  Run("Command16");  // windowed already: still stored
  EXPECT_EQ(stored(), "0");
  EXPECT_FALSE(GetMainWindow()->IsFullscreen());
  Run("Command15");
  EXPECT_EQ(stored(), "1");
  EXPECT_TRUE(GetMainWindow()->IsFullscreen());
  GetPrefsFile()->Set("fullscreen", "kept");
  Run("Command15");  // fullscreen already: nothing changes
  std::string value;
  GetPrefsFile()->Get(value, "fullscreen");
  EXPECT_EQ(value, "kept");
  EXPECT_EQ(stored(), "1");
  Run("Command16");
  EXPECT_EQ(stored(), "0");
  EXPECT_FALSE(GetMainWindow()->IsFullscreen());
}

}  // namespace
