// Text variables: keywords by their first match, global variables by their longest name, and "&&" that names
// nothing.
#include "game/rules/text_variables.h"

#include <gtest/gtest.h>

#include "game/rules/game_state.h"
#include "game/rules/script_engine.h"
#include "game/shell/media/music_player.h"
#include "game/shell/record_lists.h"
#include "tests/support/script_harness.h"

namespace {

namespace sw = scenario_writer;

class TextVariablesTest : public test_support::ScriptHarness {
 protected:
  void SetUp() override {
    ScriptHarness::SetUp();
    Config().globalNames = {"gb_a", "gb_ab", "gb_level"};
    sw::SkillTableSpec table;
    table.levelValues[3] = 40000;  // level 4
    Files().Add("Players/Skill Tables/Bard.skt", sw::EncodeSkillTable(table));
    Files().Add("Players/Classes/Bard.cls", sw::EncodeClass({}));
    Files().Add("Players/Races/Elf.rce", sw::EncodeRace({}));
    Load();
    Character& player = Player();
    player.gold = 250;
    player.level = 3;
    player.current.luck = 12;
    player.current.strength = -4;
    player.base.naturalProtection = 6;
    player.current.naturalProtection = 9;
    player.SetPosition(2, 5);
    player.SetClass(FindClassByName("Bard"));
    player.SetRace(FindRaceByName("Elf"));
    player.ResolveLinkedRecord();
    SetGlobal("gb_a", "A");
    SetGlobal("gb_ab", "AB");
  }
};

TEST_F(TextVariablesTest, Expansions) {
  SetEnteredText("Rose");
  SetMusicVolume(40);
  struct Case {
    const char* text;
    const char* expanded;
  } cases[] = {
      {"You have &&Gold coins", "You have 250 coins"},
      {"&&Levels", "3s"},
      {"&&Luckiness", "12iness"},
      {"&&gb_abc", "ABc"},
      {"&&gb_a.", "A."},
      {"&&gb_zz and &&Foo", "&&gb_zz and &&Foo"},
      {"&&&&Name", "&&Hero"},
      {"&&", "&&"},
      {"a&&", "a&&"},
      {"&&Armor|", "|"},
      {"&&GlobalEntry", "rose"},
      {"&&Strength", "-4"},
      {"&&NaturalPro", "6"},
      {"&&Job of the &&Race", "bard of the elf"},
      {"&&NextLevelNeeded", "40000"},
      {"&&PlayerX,&&PlayerY", "2,5"},
      {"&&ActualX,&&ActualY", "3,6"},
      {"&&MusicVolume", "40"},
      {"&&LocationType&&LocationName&&CounterNPCs&&CameraX", ""},
      // What a variable gives is not scanned again.
      {"&&gb_level", "&&Level"},
  };
  SetGlobal("gb_level", "&&Level");
  for (const Case& c : cases) EXPECT_EQ(ExpandTextVariables(c.text), c.expanded) << c.text;
  Player().gold = 0;
  EXPECT_EQ(ExpandTextVariables("You have &&Gold coins"), "You have  coins");
}

// The position is shown one above the stored one: a pushed cell (6, 1) is stored as (7, 2) and shown as 8/3; with
// nothing pushed the player's cell (2, 5) is taken as it stands and shown as 3,6 (Expansions).
TEST_F(TextVariablesTest, ThePositionIsShownOneAboveTheStoredOne) {
  PushEventPosition(6, 1);
  EXPECT_EQ(ExpandTextVariables("&&ActualX/&&ActualY"), "8/3");
  PopEventPosition();
}

TEST_F(TextVariablesTest, WithoutACharacterOnlyTheGameValuesRemain) {
  DeleteCurrentCharacter();
  SetMusicVolume(75);
  EXPECT_EQ(ExpandTextVariables("[&&Name|&&Gold|&&ActualX|&&MusicVolume|&&gb_a]"), "[|||75|A]");
  EXPECT_EQ(GetTextVariableNumber("Gold"), 0);
}

}  // namespace
