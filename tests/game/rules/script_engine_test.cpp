// Running events: the dispatcher's table, the stop flags of nested runs, jumps, the nesting limit, runs from
// copies and the event-position stack.
#include "game/rules/script_engine.h"

#include <gtest/gtest.h>

#include <functional>

#include "game/graphics/picture_cache.h"
#include "game/rules/action_handlers.h"
#include "game/rules/game_state.h"
#include "game/rules/item_record.h"
#include "game/rules/string_list.h"
#include "game/shell/input_manager.h"
#include "game/shell/main_loop.h"
#include "game/shell/record_lists.h"
#include "game/shell/scenario_config.h"
#include "game/world/scene_view.h"
#include "tests/support/script_harness.h"

namespace {

namespace sw = scenario_writer;
using namespace test_support::script;

TEST(ActionHandlerTest, TheKindThatANameChoosesGivesTheHandler) {
  struct Case {
    const char* name;
    ActionHandler handler;
  } cases[] = {
      {"Display message", RunMessageAction},  {"Conditional", RunConditionAction},
      {"Call event", RunCallAction},          {"End", RunEndAction},
      {"Endless", RunEndAction},              {"Change Global", RunChangeGlobalAction},
      {"Change", RunMapCellAction},           {"Teleport", RunTravelAction},
      {"Text entries", RunTravelAction},      {"Tasks", RunTextEntryAction},
      {"Ask", RunAskAction},                  {"Attribute", RunAttributeAction},
      {"Random", RunChanceAction},
      {"Return", RunGoBackAction},            {"Save place", RunRememberLocationAction},
      {"Map", RunAutomapAction},
      {"Stage", RunScreenElementAction},      {"Set volume", RunMusicVolumeAction},
      {"Wait", RunWaitAction},                {"Use keys", RunMovementModesAction},
      {"Fade", RunFadeAction},                {"Menu bar", RunMenuBarAction},
      {"Refresh", RunRefreshAction},          {"Launch URL", RunWebAddressAction},
      {"Gold", RunGoldAction},                {"Items", RunItemAction},
      {"Launch Items", RunLaunchItemsAction}, {"Engine", RunEngineAction},
      {"Play Sound", RunPlaySoundAction},     {"Play music", RunPlayMusicAction},
      {"Player Move", RunPlayerSpriteAction}, {"Player Box", nullptr},
      {"Play", RunPortraitAction},            {"Portrait", RunPortraitAction},
      {"Movie Display", nullptr},             {"Mov", nullptr},
      {"Launch", nullptr},                    {"", nullptr},
      {"NPC", RunCharactersAction},           {"Map Player", RunPlayerPositionAction},
      {"Spell Select", RunSpellPickAction},   {"Spells", RunSpellsAction},
  };
  for (const Case& c : cases) EXPECT_EQ(ActionHandlerAt(FindActionIndex(c.name)), c.handler) << c.name;
  EXPECT_EQ(ActionHandlerAt(-1), nullptr);
}

// A location of a kind, whose entry runs what the test gives it and reports the result it is given.
class TestLocation : public Location {
 public:
  TestLocation(int16_t kind, int32_t result, std::function<void()> onEnter = {})
      : Location(kind), result_(result), onEnter_(std::move(onEnter)) {}
  int32_t Enter() override {
    ++entered;
    if (onEnter_) onEnter_();
    return result_;
  }
  int32_t entered = 0;

 private:
  int32_t result_;
  std::function<void()> onEnter_;
};

class ScriptEngineTest : public test_support::ScriptHarness {
 protected:
  void SetUp() override {
    ScriptHarness::SetUp();
    Config().globalNames = {"gb_a", "gb_b", "gb_after", "gb_count"};
  }
  // A location of the scenario's list (its name is that of a record file).
  TestLocation* AddLocation(const std::string& name, int16_t kind, int32_t result, std::function<void()> onEnter = {}) {
    auto location = std::make_unique<TestLocation>(kind, result, std::move(onEnter));
    location->SetName("Locations/Defs/" + name + ".loc");
    TestLocation* kept = location.get();
    LocationList().Append(std::move(location));
    return kept;
  }
};

TEST_F(ScriptEngineTest, EndInsideACalledEventEndsOnlyThatEvent) {
  AddEvent("Main", {{Call("Sub"), Set("gb_after", "yes")}});
  AddEvent("Sub", {{Set("gb_a", "in"), End(), Set("gb_a", "past the end")}});
  Load();
  Run("Main");
  EXPECT_EQ(Global("gb_a"), "in");
  EXPECT_EQ(Global("gb_after"), "yes");
  EXPECT_FALSE(EndEventRequested());
  EXPECT_FALSE(IsScriptRunning());
}

TEST_F(ScriptEngineTest, EnteringALocationEndsTheEventAndEveryEventThatCalledIt) {
  AddEvent("Main", {{Call("Sub"), Set("gb_after", "yes")}});
  AddEvent("Sub", {{Travel("inn"), Set("gb_a", "after travel")}});
  Load();
  TestLocation* inn = AddLocation("Inn", kLocationKindScript, 0);
  Run("Main");
  EXPECT_EQ(inn->entered, 1);
  EXPECT_TRUE(LeaveLocationRequested());
  EXPECT_EQ(Global("gb_a"), "");
  EXPECT_EQ(Global("gb_after"), "");
  // The next event runs whole again.
  Run("Sub");
  EXPECT_EQ(inn->entered, 2);
  EXPECT_EQ(Global("gb_a"), "");
}

TEST_F(ScriptEngineTest, TravelToAMissingLocationResetsInputAndTheEventGoesOn) {
  AddEvent("Main", {{Travel("Nowhere"), Set("gb_a", "on")}});
  AddEvent("Refused", {{Travel("Locked"), Set("gb_b", "on")}});
  Load();
  TestLocation* locked = AddLocation("Locked", kLocationKindScreen, 5);
  Input::SetKey(kSlotUp, 1);
  Run("Main");
  Input::BeginFrame();
  EXPECT_EQ(Input::IsKeyDown(kSlotUp), 0);
  EXPECT_EQ(Global("gb_a"), "on");
  // A location that refuses the player does not end the event.
  Run("Refused");
  EXPECT_EQ(locked->entered, 1);
  EXPECT_EQ(Global("gb_b"), "on");
  EXPECT_FALSE(LeaveLocationRequested());
}

TEST_F(ScriptEngineTest, TheNextEventRunClearsTheLeaveRequest) {
  AddEvent("Main", {{Travel("Gate"), Set("gb_after", "yes")}});
  AddEvent("Away", {{Travel("Inn")}});
  AddEvent("Cheer", {{Set("gb_a", "cheered"), Set("gb_b", "twice")}});
  Load();
  AddLocation("Inn", kLocationKindScript, 0);
  // Entering the gate runs two events and fails: the first took the player away and asked to leave; the second
  // begins by clearing that request and runs whole, and the failed entry lets the event that asked for it go on.
  AddLocation("Gate", kLocationKindScript, 1, [] {
    CallEventName("Away");
    CallEventName("Cheer");
  });
  Run("Main");
  EXPECT_FALSE(LeaveLocationRequested());
  EXPECT_EQ(Global("gb_a"), "cheered");
  EXPECT_EQ(Global("gb_b"), "twice");
  EXPECT_EQ(Global("gb_after"), "yes");
}

TEST_F(ScriptEngineTest, AJumpedToActionThatJumpsRunsItsTargetAtOnce) {
  AddEvent("Main", {{If("", "first", "none"), Set("gb_after", "yes")},
                    {Labelled("first", If("", "second", "none")), Labelled("second", Set("gb_a", "deep")),
                     Labelled("none", Set("gb_b", "wrong"))}});
  Load();
  Run("Main");
  EXPECT_EQ(Global("gb_a"), "deep");
  EXPECT_EQ(Global("gb_b"), "");
  EXPECT_EQ(Global("gb_after"), "yes");
}

TEST_F(ScriptEngineTest, NestingPastTheLimitAbandonsTheChain) {
  AddEvent("Loop", {{If("", "again", ""), Set("gb_after", "yes")}, {Labelled("again", If("", "again", ""))}});
  AddEvent("Self", {{ChangeGlobal("gb_count", 2, "1"), Call("Self"), Set("gb_after", "unwound")}});
  AddEvent("Plain", {{Set("gb_a", "ran")}});
  Load();
  Run("Loop");
  EXPECT_EQ(Global("gb_after"), "");
  Run("Self");
  EXPECT_EQ(Global("gb_count"), std::to_string(kMaxScriptNesting));
  EXPECT_EQ(Global("gb_after"), "");
  EXPECT_FALSE(IsScriptRunning());
  // The next event is not abandoned.
  Run("Plain");
  EXPECT_EQ(Global("gb_a"), "ran");
  EXPECT_FALSE(EventChainAbandoned());
}

TEST_F(ScriptEngineTest, APlayerWithoutStaminaStopsEventsDuringAGame) {
  AddEvent("Main", {{Set("gb_a", "one"), Set("gb_b", "two")}});
  Load();
  Player().stamina = 0;
  Run("Main");
  EXPECT_EQ(Global("gb_a"), "one");
  EXPECT_EQ(Global("gb_b"), "");
  SetGameInProgress(0);
  Run("Main");
  EXPECT_EQ(Global("gb_b"), "two");
}

TEST_F(ScriptEngineTest, RecordsRunFromCopiesAndAlikeEachTime) {
  Config().menuLists[2].entries = {{"Count", "Count"}};
  AddEvent("Count", {{ChangeGlobal("gb_count", 2, "1"), Travel("Probe")}});
  Load();
  static const ScriptEvent* seen = nullptr;
  AddLocation("Probe", kLocationKindScript, 1, [] { seen = CurrentEvent(); });
  std::unique_ptr<ScriptEvent> record = LoadEvent("Count");
  RunEventRecord(record.get());
  EXPECT_NE(seen, nullptr);
  EXPECT_NE(seen, record.get());
  RunEventRecord(record.get());
  EXPECT_EQ(Global("gb_count"), "2");
  ASSERT_EQ(record->MainCount(), 2);
  // A menu entry's event runs from a copy too, so it can be chosen again.
  StringList* menu = GetMenuList(kMenuListGame);
  ASSERT_NE(menu, nullptr);
  menu->RunEntryEvent(0);
  menu->RunEntryEvent(0);
  EXPECT_EQ(Global("gb_count"), "4");
  EXPECT_EQ(CurrentEvent(), nullptr);
}

TEST_F(ScriptEngineTest, WhileAnEventRunsTheViewHoldsAndTheLocationsPoolIsCurrent) {
  AddEvent("Main", {{Travel("Probe"), Call("Inner")}});
  AddEvent("Inner", {{Travel("Probe")}});
  Load();
  SceneView view;
  static std::vector<int32_t> holds;
  static std::vector<PicturePool*> pools;
  holds.clear();
  pools.clear();
  AddLocation("Probe", kLocationKindScript, 1, [] {
    holds.push_back(GetSceneView()->GetUpdateHold());
    pools.push_back(PictureCache::CurrentPool());
  });
  PicturePool* before = PictureCache::CurrentPool();
  ASSERT_NE(GetGamePool(), before);
  Run("Main");
  EXPECT_EQ(holds, (std::vector<int32_t>{1, 2}));
  EXPECT_EQ(pools, (std::vector<PicturePool*>{GetGamePool(), GetGamePool()}));
  EXPECT_EQ(view.GetUpdateHold(), 0);
  EXPECT_EQ(PictureCache::CurrentPool(), before);
}

TEST_F(ScriptEngineTest, SpellsAndSkillTablesRunTheirEvents) {
  sw::SpellSpec spark;
  spark.condition = If("gb_a,is equal to,ready", "", "");
  spark.events = {{{Set("gb_b", "cast")}, {}, 0}, {}, {}, {}, {{Set("gb_b", "fifth")}, {}, 0}};
  Files().Add("Players/Spells/Spark.spl", sw::EncodeSpell(spark));
  sw::SkillTableSpec table;
  table.levelEvents = {{3, "Third"}, {0, "Every"}, {2, "Second"}, {0, "Tired"}, {3, "Late"}};
  Files().Add("Players/Skill Tables/Scout.skt", sw::EncodeSkillTable(table));
  AddEvent("Every", {{Set("gb_after", "&&gb_after" "e")}});
  AddEvent("Third", {{Set("gb_after", "&&gb_after" "3")}});
  AddEvent("Second", {{Set("gb_after", "&&gb_after" "2")}});
  AddEvent("Tired", {{Set("gb_after", "&&gb_after" "t"), If("gb_a,is equal to,faint", "faint", "")},
                     {Labelled("faint", Travel("Faint"))}});
  AddEvent("Late", {{Set("gb_after", "&&gb_after" "L")}});
  Load();
  AddLocation("Faint", kLocationKindScript, 1, [] { GetCurrentCharacter()->stamina = 0; });
  SpellRecord* spell = FindSpellByName("Spark");
  ASSERT_NE(spell, nullptr);
  EXPECT_FALSE(spell->ConditionsHold());
  SetGlobal("gb_a", "ready");
  EXPECT_TRUE(spell->ConditionsHold());
  spell->RunEvent(4);
  EXPECT_EQ(Global("gb_b"), "");
  spell->RunEvent(0);
  EXPECT_EQ(Global("gb_b"), "cast");
  // Every level's events first, then the level's own, in table order.
  const SkillTable* scout = SkillTableList().begin()->get();
  scout->RunLevelEvents(3);
  EXPECT_EQ(Global("gb_after"), "et3L");
  // A player left without stamina stops the rest.
  SetGlobal("gb_after", "");
  SetGlobal("gb_a", "faint");
  scout->RunLevelEvents(2);
  EXPECT_EQ(Global("gb_after"), "et");
}

TEST_F(ScriptEngineTest, TheEventPositionStackCountsCellsFromOne) {
  Load();
  int32_t x = -1, y = -1;
  PushEventPosition(0, 0);
  PushEventPosition(9, 2);
  CurrentEventPosition(&x, &y);
  EXPECT_EQ(x, 10);
  EXPECT_EQ(y, 3);
  PopEventPosition();
  CurrentEventPosition(&x, &y);
  EXPECT_EQ(x, 1);
  EXPECT_EQ(y, 1);
  PopEventPosition();
  PopEventPosition();  // on an empty stack: nothing
  // With nothing pushed, the player's cell as it stands (not counted from 1), and not left on the stack.
  Player().SetPosition(4, 7);
  CurrentEventPosition(&x, &y);
  EXPECT_EQ(x, 4);
  EXPECT_EQ(y, 7);
  EXPECT_EQ(EventPositionCount(), 0);
  DeleteCurrentCharacter();
  CurrentEventPosition(&x, &y);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
}

TEST_F(ScriptEngineTest, AnItemActionWhoseConditionFailsRunsItsEventWithoutItsSound) {
  sw::ItemSpec potion;
  potion.kind = 7;
  sw::ItemActionSpec use;
  use.event = {"", sw::EventSpec{{ChangeGlobal("gb_count", 2, "1")}, {}, 0}};
  use.soundName = "gulp";
  use.condition = If("gb_a,is equal to,open", "", "");
  potion.namedActions = {use};
  Files().Add("Items/Potion.itm", sw::EncodeItem(potion));
  AddSound("gulp", 1200, 20);
  Load();
  ItemRecord* item = FindItemByName("Potion");
  ASSERT_NE(item, nullptr);
  EXPECT_FALSE(item->ActionAllowed("Use"));
  item->RunAction("Use");
  EXPECT_EQ(Global("gb_count"), "1");
  EXPECT_TRUE(SoundsHeard().empty());
  SetGlobal("gb_a", "open");
  EXPECT_TRUE(item->ActionAllowed("Use"));
  EXPECT_TRUE(item->RunActionByNumber(1));
  EXPECT_EQ(Global("gb_count"), "2");
  EXPECT_EQ(SoundsHeard(), std::vector<std::string>{"gulp"});
  // A name the kind does not have runs nothing.
  item->RunAction("Attack");
  EXPECT_EQ(Global("gb_count"), "2");
}

}  // namespace
