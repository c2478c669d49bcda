// The actions on the player's values, gold and items: "A", "G" and "I".
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "game/rules/action_handlers.h"
#include "game/rules/character.h"
#include "game/rules/game_state.h"
#include "game/rules/item_record.h"
#include "game/shell/record_lists.h"
#include "tests/support/script_harness.h"

namespace {

namespace sw = scenario_writer;
using namespace test_support::script;

void Attribute(const std::string& name, int32_t operation, const std::string& operand) {
  RunAttributeAction(Made({"", "Attribute", {name, std::to_string(operation), operand}}));
}

class PlayerValueActionsTest : public test_support::ScriptHarness {
 protected:
  void SetUp() override {
    ScriptHarness::SetUp();
    sw::ItemSpec belt;
    belt.kind = 5;
    belt.modifiers[kModifierStrength] = 2;
    Files().Add("Items/Belt.itm", sw::EncodeItem(belt));
    sw::ItemSpec sword;
    sword.kind = 1;
    Files().Add("Items/Sword.itm", sw::EncodeItem(sword));
    for (const char* name : {"Apple", "Pear", "Plum"}) Files().Add(std::string("Items/") + name + ".itm", sw::EncodeItem({}));
    sw::SkillTableSpec table;
    table.levelValues = {10, 200};
    Files().Add("Players/Skill Tables/Bard.skt", sw::EncodeSkillTable(table));
    Files().Add("Players/Classes/Bard.cls", sw::EncodeClass({}));
    Load();
    Character& c = Player();
    c.Equip(c.AddInventoryItem(FindItemByName("Belt")));
    c.base.strength = 13;
    c.base.minDamage = 1;
    c.base.maxStamina = 40;
    c.RecalculateStats();
    c.stamina = 30;
  }
};

TEST_F(PlayerValueActionsTest, ValuesChangeThroughTheirBaseAndStayWithinSixteenBits) {
  Character& c = Player();
  struct Case {
    const char* name;
    int32_t operation;
    const char* operand;
    int16_t Character::*points;  // stamina or magic, else null
    CharacterValue value;
    int16_t current;
  } cases[] = {
      {"Strength", 1, "15", nullptr, kValueStrength, 15},        // base 13 + the belt's 2
      {"Strength", 2, "32760", nullptr, kValueStrength, 32767},  // clamped above
      {"Strength", 1, "15", nullptr, kValueStrength, 15},
      {"Strength", 5, "0", nullptr, kValueStrength, 15},         // nothing for a division by 0
      {"Strength", 5, "-2", nullptr, kValueStrength, 0},         // -7, but attributes stay at 0
      {"MinDamage", 1, "5", nullptr, kValueMinDamage, 1},        // not a name "A" knows
      {"Stamina", 2, "1000", &Character::stamina, kValueMaxStamina, 40},
      {"Stamina", 3, "70", &Character::stamina, kValueMaxStamina, 0},  // points stay at 0 or more
      {"Stamina", 1, "&&Level", &Character::stamina, kValueMaxStamina, 0},  // level 0 reads as ""
      {"Stamina", 1, "25", &Character::stamina, kValueMaxStamina, 25},
      {"MaxStamina", 3, "50", nullptr, kValueMaxStamina, 0},  // maxima stay at 0 or more
      {"MaxStamina", 1, "40", nullptr, kValueMaxStamina, 40},
      {"Luck", 4, "40000", nullptr, kValueLuck, 0},  // 40000 taken in 16 bits is negative
      {"FirePro", 4, "-2000", nullptr, kValueFireProtection, -32768},  // clamped below
      {"FirePro", 1, "12", nullptr, kValueFireProtection, 12},
      {"FirePro", 3, "-5", nullptr, kValueFireProtection, 17},
  };
  for (const Case& k : cases) {
    Attribute(k.name, k.operation, k.operand);
    const int16_t seen = k.points != nullptr ? c.*k.points : c.current[k.value];
    EXPECT_EQ(seen, k.current) << k.name << " " << k.operation << " " << k.operand;
  }
  EXPECT_EQ(c.base.strength, -9);
  EXPECT_EQ(c.current.minDamage, 1);

  // The base natural protection is set itself; a name nothing knows only settles the points.
  Attribute("NatPro", 1, "7");
  EXPECT_EQ(c.base.naturalProtection, 7);
  c.stamina = 90;
  Attribute("Charm", 1, "");
  EXPECT_EQ(c.stamina, 90);
  Attribute("Charm", 1, "3");
  EXPECT_EQ(c.stamina, 40);
}

TEST_F(PlayerValueActionsTest, LevelExperienceAndName) {
  Character& c = Player();
  c.level = 9;
  c.experience = 7;
  Attribute("Level", 5, "2");
  EXPECT_EQ(c.level, 4);
  EXPECT_EQ(c.experience, 7);
  Attribute("Level", 1, "70000");
  EXPECT_EQ(c.level, 32767);
  Attribute("Level", 1, "0");

  // Experience checks for levels even when its operand is empty.
  c.SetClass(FindClassByName("Bard"));
  c.ResolveLinkedRecord();
  c.experience = 50;
  AnswerMessage();
  Attribute("Experience", 2, "");
  EXPECT_EQ(c.level, 1);
  // Levels 3 to 20 need 0, and so does every level past the table: the levels of the table and one past it are
  // gained, and no more, however much experience there is.
  for (int32_t level = 2; level <= 21; ++level) AnswerMessage();
  Attribute("Experience", 4, "1000000");
  EXPECT_EQ(c.experience, 50000000);
  EXPECT_EQ(c.level, 21);
  Attribute("Experience", 4, "1000000");
  EXPECT_EQ(c.experience, INT32_MAX);
  EXPECT_EQ(c.level, 21);

  // The player's name is not expanded, and is taken as a record's name is: the last path component less a
  // four-character extension.
  for (const auto& [given, name] : std::vector<std::pair<const char*, const char*>>{
           {"Ann.Bob", "Ann"}, {"Jo/Ann", "Ann"}, {"Jo/Ann &&Gold", "Ann &&Gold"}}) {
    Attribute("Player name", 1, given);
    EXPECT_EQ(c.GetName(), name) << given;
  }
}

TEST_F(PlayerValueActionsTest, Gold) {
  Character& c = Player();
  c.gold = 100;
  struct Case {
    int32_t operation;
    const char* operand;
    int32_t gold;
  } cases[] = {{3, "500", -400}, {4, "3", -1200}, {5, "0", -1200}, {5, "-7", 171},
               {9, "5", 171},    {1, "&&Gold0", 1710}, {4, "2147483647", INT32_MAX}};
  for (const Case& k : cases) {
    RunGoldAction(Made({"", "Gold", {std::to_string(k.operation), k.operand}}));
    EXPECT_EQ(c.gold, k.gold) << k.operation << " " << k.operand;
  }
}

TEST_F(PlayerValueActionsTest, ItemsAreAddedDroppedAndUsedByName) {
  Character& c = Player();
  auto items = [&](const std::string& names, int32_t operation) {
    RunItemAction(Made({"", "Items", {names, std::to_string(operation)}}));
  };
  auto count = [&](const std::string& name) {
    return std::count_if(c.inventory.begin(), c.inventory.end(),
                         [&](const auto& item) { return NamesEqualIgnoringCase(item->GetName(), name); });
  };
  items("Apple:Pear:Nothing", 1);
  EXPECT_EQ(count("Apple"), 1);
  EXPECT_EQ(count("Pear"), 1);
  items("Apple:Plum", 2);
  EXPECT_EQ(count("Apple"), 1);
  EXPECT_EQ(count("Plum"), 1);
  items("Apple", 1);
  items("Apple", 3);
  EXPECT_EQ(count("Apple"), 1);
  items("Sword:Sword", 1);
  items("Sword", 4);
  ItemRecord* first = c.FindInventoryItem("Sword", false);
  EXPECT_EQ(c.equipment[1], first);
  items("Sword", 4);  // the other one
  EXPECT_NE(c.equipment[1], first);
  EXPECT_NE(c.equipment[1], nullptr);
  items("Pear", 7);
  EXPECT_EQ(count("Pear"), 1);

  SetGameInProgress(0);
  items("Pear", 1);
  Attribute("Strength", 1, "3");
  RunGoldAction(Made({"", "Gold", {"1", "5"}}));
  SetGameInProgress(1);
  EXPECT_EQ(count("Pear"), 1);
  EXPECT_EQ(c.current.strength, 15);
  EXPECT_NE(c.gold, 5);
}

}  // namespace
