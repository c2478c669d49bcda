// Condition sets: subjects, operators, the combine modes and the built-in values.
#include "game/rules/conditions.h"

#include <gtest/gtest.h>

#include "game/rules/game_state.h"
#include "game/rules/script_action.h"
#include "game/shell/record_lists.h"
#include "tests/support/script_harness.h"

namespace {

namespace sw = scenario_writer;

bool Holds(const std::string& conditions, const std::string& mode = "0") {
  return EvaluateConditions(test_support::script::Made({"", "Conditional", {conditions, mode}}));
}

class ConditionsTest : public test_support::ScriptHarness {
 protected:
  void SetUp() override {
    ScriptHarness::SetUp();
    Config().globalNames = {"gb_door", "gb_n"};
    Files().Add("Items/Rope.itm", sw::EncodeItem({}));
    sw::SkillTableSpec table;
    table.levelValues[1] = 100000;  // level 2, past what 16 bits hold
    Files().Add("Players/Skill Tables/Knight.skt", sw::EncodeSkillTable(table));
    Files().Add("Players/Classes/Knight.cls", sw::EncodeClass({}));
    Load();
    Player().gold = 150;
    Player().level = 1;
  }
};

TEST_F(ConditionsTest, SubjectsOperatorsAndModes) {
  SetGlobal("gb_door", "open");
  SetGlobal("gb_n", "10");
  struct Case {
    const char* conditions;
    const char* mode;
    bool holds;
  } cases[] = {
      {"", "0", true},
      {"", "1", true},
      {"Gold,is greater than,100", "0", true},
      {"Gold,is smaller than,100", "0", false},
      {"Gold,is greater or equal to,150", "0", true},
      {"Gold,is less or equal to,149", "0", false},
      {"Gold,is different of,150", "0", false},
      {"Gold,exceeds,100", "0", false},
      {"Gold,is greater than,100****Level,is equal to,2", "0", false},
      {"Gold,is greater than,200****Level,is equal to,1", "1", true},
      {"Gold,is greater than,200****Level,is equal to,1", "7", true},
      {"Gold,is greater than,200****Level,is equal to,2", "1", false},
      // Texts compare lower-cased; numbers as numbers, although "10" sorts before "9".
      {"gb_door,is equal to,Open", "0", true},
      {"gb_door,is different of,opened", "0", true},
      {"gb_door,is smaller than,opened", "0", true},
      {"gb_n,is greater than,9", "0", true},
      {"gb_n,is equal to,&&Gold", "0", false},
      {"gb_n,is smaller than,&&Gold", "0", true},
      {"gb_n,is equal to,10,20", "0", true},
      {"gb_missing,is equal to,1", "0", false},
      {"gb_door,opens,x", "0", false},
      // An unknown subject reads 0.
      {"Charm,is equal to,0", "0", true},
      {"GameInProgress,is equal to,1", "0", true},
      {"Next Level Needed,is equal to,100000", "0", true},
      {"Item,possess,Rope", "0", false},
      {"Item,doesn't possess,Rope", "0", true},
      {"Item,possess,Sword", "0", false},
      {"Item,doesn't possess,Sword", "0", false},
  };
  Player().SetClass(FindClassByName("Knight"));
  Player().ResolveLinkedRecord();
  for (const Case& c : cases) EXPECT_EQ(Holds(c.conditions, c.mode), c.holds) << c.conditions << " mode " << c.mode;
  Player().AddInventoryItem(FindItemByName("rope"));
  EXPECT_TRUE(Holds("Item,possess,ROPE"));
  EXPECT_FALSE(Holds("Item,doesn't possess,Rope"));
}

TEST_F(ConditionsTest, TheTypedTextIsComparedLowerCasedOrSoughtInTheValue) {
  struct Case {
    const char* typed;
    const char* conditions;
    bool holds;
  } cases[] = {
      {"Rose", "Global Entry,contains,rose", true},
      {"ro", "Global Entry,contains,rose", true},
      {"rosebud", "Global Entry,contains,rose", false},
      {"", "Global Entry,contains,rose", false},
      {"ROSE", "Global Entry,is equal to,Rose", true},
      {"ROSE", "Global Entry,is different of,rose", false},
  };
  for (const Case& c : cases) {
    SetEnteredText(c.typed);
    EXPECT_EQ(Holds(c.conditions), c.holds) << c.typed << ": " << c.conditions;
  }
}

TEST_F(ConditionsTest, WithoutACharacterItsValuesReadZero) {
  DeleteCurrentCharacter();
  EXPECT_FALSE(Holds("Gold,is greater than,100"));
  EXPECT_TRUE(Holds("Gold,is equal to,0"));
  EXPECT_EQ(GetConditionVariable("Camera locked"), 0);
  EXPECT_EQ(GetConditionVariable("Game paused"), 0);
  EXPECT_EQ(GetConditionVariable("Game loading"), 0);
}

TEST(StringComparisonTest, BytesCompareUnsignedAndAPrefixComesFirst) {
  EXPECT_TRUE(StringLess("abc", "abd"));
  EXPECT_TRUE(StringLess("ab", "abc"));
  EXPECT_TRUE(StringGreater("\xE9", "z"));
  EXPECT_TRUE(StringLessOrEqual("ab", "ab"));
  EXPECT_TRUE(StringGreaterOrEqual("b", "abc"));
  EXPECT_FALSE(StringGreater("", "a"));
}

}  // namespace
