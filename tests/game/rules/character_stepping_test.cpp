// A step on the arena by what stands in the next cell: an enemy is struck, an ally only faced, a fallen character
// searched outside an encounter, an object touched; at the map's edge only the pose shows; a ranged weapon shoots.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/rules/character.h"
#include "game/rules/game_state.h"
#include "game/world/sprite.h"
#include "tests/game/rules/combat_fixture.h"

namespace {

using namespace combat_test;

enum class Ahead { kNothing, kEnemy, kAlly, kFallen, kObject };

class CharacterSteppingTest : public CombatFixture {
 protected:
  void SetUp() override {
    CombatFixture::SetUp();
    sw::NpcSpec& foe = DefineNpc("Foe");
    foe.dexterity = 10;
    foe.events[2] = Logging("searched ");
    sw::ItemSpec& bow = DefineWeapon("Bow");
    bow.firstProjectileValue = 4;
    bow.attackPictureName = "Bolt.bmp";
    sw::ItemSpec& chest = items_["Chest"];
    chest.pictureName = "Bolt.bmp";
    chest.generalAction.event = Logging("touched ");
  }
};

TEST_F(CharacterSteppingTest, AStepActsOnWhatStandsInTheNextCell) {
  Start();
  Player().base.dexterity = 10;
  Player().base.minDamage = 6;
  Player().base.maxDamage = 6;
  Player().base.specialDamage = 0;
  Player().base.strength = 15;
  Player().RecalculateStats();
  const struct {
    const char* name;
    Ahead ahead;
    int32_t playerX;  // on row 1; the step goes to the right, to (playerX + 1, 1)
    int32_t towardX;
    bool encounter;
    bool bow;
    std::vector<int32_t> draws;  // the rolls of a blow (the damage, 6 to 6, takes none)
    const char* log;
    int32_t loss;  // of the one ahead
    size_t launched;
    bool posed;
  } cases[] = {
      {"an enemy is struck", Ahead::kEnemy, 1, 2, false, false, {3, 6, 100}, "", 6, 0, true},
      {"a step towards its own cell goes the way it faces", Ahead::kEnemy, 1, 1, false, false, {3, 6, 100}, "", 6,
       0, true},
      {"an ally is only faced", Ahead::kAlly, 1, 2, false, false, {}, "", 0, 0, true},
      {"a fallen character is searched", Ahead::kFallen, 1, 2, false, false, {}, "searched ", 0, 0, false},
      {"a fallen character is left alone during an encounter", Ahead::kFallen, 1, 2, true, false, {}, "", 0, 0, true},
      {"an object is touched", Ahead::kObject, 1, 2, false, false, {}, "touched ", 0, 0, false},
      {"at the edge: no search, only the pose", Ahead::kFallen, 7, 8, false, false, {}, "", 0, 0, true},
      // A shot shows the attack instead of the stepping pose.
      {"a bow shoots at whoever lives ahead", Ahead::kAlly, 1, 2, false, true, {}, "Attack Miss Attack ", 0, 1,
       true},
      {"a bow shoots when nothing is ahead", Ahead::kNothing, 1, 2, false, true, {}, "Attack Miss Attack ", 0, 1,
       true},
      {"a bow leaves a fallen character to be searched", Ahead::kFallen, 1, 2, false, true, {}, "searched ", 0, 0,
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    OpenArena(c.playerX, 1);
    Character& player = Player();
    player.SetFacing(3, true);
    if (c.bow) {
      player.Equip(player.AddInventoryItem(FindItemByName("Bow")));
    } else if (ItemRecord* weapon = player.equipment[kItemKindWeapon]) {
      player.UnEquip(weapon);
    }
    TakeLog();
    // At the edge the fallen character stands on the last cell, behind the player.
    const int32_t aheadX = c.playerX + 1 < kArenaSize ? c.playerX + 1 : c.playerX - 1;
    Character* other = nullptr;
    if (c.ahead == Ahead::kObject) {
      Map().AddItem(FindItemByName("Chest"), aheadX, 1, 1, 0, false);
    } else if (c.ahead != Ahead::kNothing) {
      other = &Place("Foe", aheadX, 1);
      if (c.ahead == Ahead::kAlly) other->side = 1;
      if (c.ahead == Ahead::kFallen) other->stamina = 0;
    }
    const int16_t staminaBefore = other != nullptr ? other->stamina : 0;
    SetEncounterInProgress(c.encounter ? 1 : 0);
    ScriptRandomDraws(c.draws);
    player.Step(c.towardX, 1, true);
    SetEncounterInProgress(0);
    EXPECT_EQ(ScriptedDrawsLeft(), 0u);
    EXPECT_EQ(TakeLog(), c.log);
    if (other != nullptr) {
      EXPECT_EQ(staminaBefore - other->stamina, c.loss);
    }
    EXPECT_EQ(Map().TravellingList().size(), c.launched);
    EXPECT_EQ(player.sprite->IsPlayingOnce(), c.posed);
    EXPECT_EQ(player.facing, 3);
    EXPECT_EQ(player.GetFlags() & (kCharacterWalking | kCharacterStepped | kCharacterStriking),
              kCharacterStepped | kCharacterStriking);
  }
}

TEST_F(CharacterSteppingTest, ANonPlayerCharacterWithABowShootsIntoTheNextCellAtOnce) {
  Start(1, 1);
  Character& foe = Place("Foe", 5, 1);
  foe.Equip(foe.AddInventoryItem(FindItemByName("Bow")));
  TakeLog();
  foe.SetFlags(kCharacterWalking);
  foe.Step(4, 1, false);
  EXPECT_EQ(TakeLog(), "Attack Miss Attack ");
  EXPECT_EQ(Map().TravellingList().size(), 1u);
  // The shot aims at the top edge of a neighbouring row's cell: up and to the left of the figure's middle.
  EXPECT_EQ(foe.facing, 8);
  EXPECT_EQ(foe.GetFlags() & kCharacterWalking, 0);
}

}  // namespace
