// A whole scenario run through the headless harness: its "Main" asks, branches, calls another event and sets
// global variables, and with one seed it ends the same way every time.
#include <gtest/gtest.h>

#include "game/rules/game_state.h"
#include "game/shell/data/game_random.h"
#include "tests/support/script_harness.h"

namespace {

using namespace test_support::script;

class ScriptScenarioTest : public test_support::ScriptHarness {
 protected:
  void SetUp() override {
    ScriptHarness::SetUp();
    Config().globalNames = {"gb_road", "gb_gate", "gb_visits", "gb_luck", "gb_roll", "gb_end"};
    AddEvent("Main", {{Message("Welcome, &&Name. Which road?", {{"North", "north"}, {"South", "south"}}),
                       Ask("Your name at the gate?", "ann", "friend", "stranger"),
                       ChangeGlobal("gb_roll", 6, "100"),
                       If("gb_road,is equal to,north****gb_visits,is greater than,0", "both", "not"),
                       Set("gb_gate", "&&gb_gate, closed")},
                      {Labelled("north", Set("gb_road", "north")), Labelled("south", Set("gb_road", "south")),
                       Labelled("friend", Call("Greet")), Labelled("stranger", Set("gb_gate", "shut")),
                       Labelled("both", Set("gb_end", "north and welcomed")),
                       Labelled("not", Set("gb_end", "elsewhere"))}});
    AddEvent("Greet", {{ChangeGlobal("gb_visits", 2, "1"), Set("gb_gate", "open to &&GlobalEntry"),
                        Chance("50", "lucky", "unlucky")},
                       {Labelled("lucky", Set("gb_luck", "lucky")), Labelled("unlucky", Set("gb_luck", "unlucky"))}});
  }

  std::vector<std::string> Globals() {
    std::vector<std::string> values;
    for (const std::string& name : Config().globalNames) values.push_back(Global(name));
    return values;
  }
};

TEST_F(ScriptScenarioTest, MainAsksBranchesCallsAndSetsGlobalsAlikeWithOneSeed) {
  Load(2024);
  AnswerChoice(1);
  AnswerText("ann");
  Run("Main");
  std::vector<std::string> first = Globals();
  EXPECT_EQ(Global("gb_road"), "north");
  EXPECT_EQ(Global("gb_gate"), "open to ann, closed");
  EXPECT_EQ(Global("gb_visits"), "1");
  EXPECT_EQ(Global("gb_end"), "north and welcomed");
  EXPECT_TRUE(Global("gb_luck") == "lucky" || Global("gb_luck") == "unlucky");
  ASSERT_EQ(Shown().size(), 2u);
  EXPECT_EQ(Shown()[0].text, "Welcome, Hero. Which road?");

  ResetGlobalEntryValues();
  SeedRandom(2024);
  AnswerChoice(1);
  AnswerText("ann");
  Run("Main");
  EXPECT_EQ(Globals(), first);

  // Other answers take the other branches.
  ResetGlobalEntryValues();
  AnswerChoice(2);
  AnswerText("Ann");
  Run("Main");
  EXPECT_EQ(Global("gb_road"), "south");
  EXPECT_EQ(Global("gb_gate"), "shut, closed");
  EXPECT_EQ(Global("gb_end"), "elsewhere");
}

}  // namespace
