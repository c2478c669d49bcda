// Spells cast on the arena: who a spell reaches by its target kind, range and the sides, what the magic and the
// events do, what each effect kind shows, what acts without a map, and how a non-player character picks the
// opponent it casts at.
#include <gtest/gtest.h>

#include <string>

#include "game/rules/character.h"
#include "game/rules/spell_record.h"
#include "tests/game/rules/combat_fixture.h"

namespace {

using namespace combat_test;

class CharacterCastingTest : public CombatFixture {
 protected:
  void SetUp() override {
    CombatFixture::SetUp();
    DefineNpc("Foe");
    DefineSpell("Probe").pictureName = "Bolt.bmp";
  }
  SpellRecord& Probe() { return *FindSpellByName("Probe"); }
};

TEST_F(CharacterCastingTest, ASpellReachesByTargetKindRangeAndSide) {
  Start(1, 1);
  Character& foe = Place("Foe", 2, 1);  // next to the player
  Character& twin = Place("Foe", 2, 1);  // on the foe's own cell
  Place("Foe", 5, 1);                    // four cells from the player
  Character& friendly = Place("Foe", 0, 1);
  friendly.side = 1;
  Character& neutral = Place("Foe", 1, 2);
  neutral.side = 0;
  const struct {
    const char* name;
    bool byFoe;  // else the player casts
    int16_t targetKind, rangeMin, rangeMax, cost;
    int16_t magic;
    bool feedback;
    Character* chosen;
    const char* log;
    int16_t magicLeft;
    bool posed;
  } cases[] = {
      {"allies next to the player: not side 0, not the player itself", false, 1, 0, 1, 2, 9, true, nullptr,
       "cast hit 1,2 hit 1,2 ", 7, true},
      {"enemies in 1..4, in list order", false, 2, 1, 4, 2, 9, true, nullptr,
       "cast hit 3,2 hit 3,2 hit 3,2 hit 3,2 hit 6,2 hit 6,2 ", 7, true},
      {"no enemy at distance 0: no pose for the player", false, 2, 0, 0, 2, 9, true, nullptr, "cast ", 7, false},
      {"the caster itself, with exactly the cost", false, 0, 0, 0, 5, 5, true, nullptr, "cast hit 2,2 hit 2,2 ", 0,
       true},
      {"short of magic: the failure event and nothing spent", false, 0, 0, 0, 5, 4, true, nullptr, "short ", 4,
       false},
      {"short of magic without feedback: nothing at all", false, 0, 0, 0, 5, 4, false, nullptr, "", 4, false},
      {"without feedback the magic is spent all the same", false, 2, 1, 1, 3, 9, false, nullptr,
       "hit 3,2 hit 3,2 hit 3,2 hit 3,2 ", 6, true},
      {"one chosen character within 1..1: no real range", false, 3, 1, 1, 2, 9, true, &foe, "cast ", 7, false},
      {"one chosen character, minimum above maximum", false, 3, 3, 2, 2, 9, true, &foe, "cast ", 7, false},
      {"one chosen character within 1..3", false, 3, 1, 3, 2, 9, true, &foe, "cast hit 3,2 hit 3,2 ", 7, true},
      {"one chosen character but none given", false, 3, 1, 3, 2, 9, true, nullptr, "cast ", 7, false},
      {"a non-player caster's allies at 0..0: those on its own cell", true, 1, 0, 0, 2, 9, false, nullptr,
       "hit 3,2 hit 3,2 hit 3,2 hit 3,2 ", 7, true},
      {"a non-player caster's enemies: the player among them", true, 2, 1, 1, 2, 9, false, nullptr,
       "hit 2,2 hit 2,2 ", 7, true},
      {"a non-player caster's pose shows even when it reached no one", true, 2, 5, 5, 2, 9, false, nullptr, "", 7,
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Character& caster = c.byFoe ? foe : Player();
    Probe().targetKind = c.targetKind;
    Probe().rangeMin = c.rangeMin;
    Probe().rangeMax = c.rangeMax;
    Probe().magicCost = c.cost;
    caster.magic = c.magic;
    caster.CastSpell(&Probe(), c.chosen, c.feedback);
    EXPECT_EQ(TakeLog(), c.log);
    EXPECT_EQ(caster.magic, c.magicLeft);
    EXPECT_EQ(caster.sprite->IsPlayingOnce(), c.posed);
    for (Character* figure : {&Player(), &foe, &twin}) Settle(*figure);
  }
}

TEST_F(CharacterCastingTest, EachEffectKindActsOnTheMapAndOnlyTheEffectAloneActsWithoutOne) {
  Start(1, 1);
  Place("Foe", 3, 1);
  Probe().targetKind = 2;
  Probe().rangeMin = 0;
  Probe().rangeMax = 5;
  const struct {
    int16_t effectKind;
    const char* log;
    size_t travelling;  // sprites added among the travelling effects
  } cases[] = {
      {0, "cast ", 1},         // a travelling effect carries the spell
      {1, "cast hit 4,2 hit 4,2 ", 1},  // its animation on the target, and the effect at once
      {2, "cast hit 4,2 hit 4,2 ", 0},
      {3, "cast ", 0},  // an unknown kind reaches the target and does nothing
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.effectKind);
    Probe().effectKind = c.effectKind;
    const size_t before = Map().TravellingList().size();
    Player().magic = 9;
    Player().CastSpell(&Probe(), nullptr, true);
    EXPECT_EQ(TakeLog(), c.log);
    EXPECT_EQ(Map().TravellingList().size() - before, c.travelling);
  }

  // Off the map: the magic and the events, and the effect alone on the caster; the rest has nothing to act on.
  SetCurrentLocation(FindLocationByName("Elsewhere"));
  map_.reset();
  Probe().targetKind = 0;
  for (int16_t kind : {0, 1, 2}) {
    SCOPED_TRACE(kind);
    Probe().effectKind = kind;
    Player().magic = 9;
    Player().CastSpell(&Probe(), nullptr, true);
    EXPECT_EQ(TakeLog(), kind == 2 ? "cast hit 2,2 hit 2,2 " : "cast ");
    EXPECT_EQ(Player().magic, 9 - Probe().magicCost);
  }
}

TEST_F(CharacterCastingTest, AnEffectWhoseEventLeavesTheMapGoesNoFurtherWithTheCharacterLeftThere) {
  sw::SpellSpec& exit = DefineSpell("Exit");
  exit.damageMin = exit.damageMax = 4;
  exit.events[1] = {{Log("hit "), Travel("Elsewhere")}};
  Start(1, 1);
  Character& foe = Place("Foe", 2, 1);
  foe.stamina = 20;
  // Leaving a map deletes its characters: once the event has left, the effect is neither applied nor kept.
  foe.AddEffect(FindSpellByName("Exit"));
  EXPECT_EQ(TakeLog(), "hit ");
  EXPECT_EQ(GetCurrentLocation()->GetName(), "elsewhere");
  EXPECT_EQ(foe.stamina, 20);
  EXPECT_TRUE(foe.effects.empty());
}

TEST_F(CharacterCastingTest, ANonPlayerCharacterCastsAtTheNearestOpponentInRangeOrClosesIn) {
  Start(1, 1);
  Character& foe = Place("Foe", 4, 1);  // three cells from the player
  Character& bystander = Place("Foe", 4, 3);
  bystander.side = 0;  // nearer in range, but takes no part
  Probe().targetKind = 3;
  Probe().magicCost = 2;
  const struct {
    const char* name;
    int16_t rangeMin, rangeMax;
    int32_t turnReady;
    int16_t magic;
    const char* log;
    int32_t foeX;  // where the foe stands afterwards
    int32_t turnLeft;
  } cases[] = {
      {"the player in range is cast at", 2, 4, 1, 9, "hit 2,2 hit 2,2 ", 4, 0},
      {"no one in range: a step towards the nearest opponent", 5, 6, 1, 9, "", 3, 0},
      {"no turn ready: nothing", 2, 4, 0, 9, "", 4, 0},
      {"short of magic: nothing", 2, 4, 1, 1, "", 4, 1},
      {"a range of neighbours only: the turn goes, no cast", 1, 1, 1, 9, "", 4, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Probe().rangeMin = c.rangeMin;
    Probe().rangeMax = c.rangeMax;
    foe.turnReady = c.turnReady;
    foe.stepBudget = 1;
    foe.magic = c.magic;
    foe.UseSpell(&Probe());
    EXPECT_EQ(TakeLog(), c.log);
    EXPECT_EQ(foe.x, c.foeX);
    EXPECT_EQ(foe.turnReady, c.turnLeft);
    // Back on its cell for the next case.
    Settle(foe);
    foe.ReleaseReservedCells();
    if (foe.x != 4) {
      Map().SetCellFlag(foe.x, foe.y, 1);
      foe.SetPosition(4, 1);
      foe.PlaceSpriteAtCell();
      Map().SetCellFlag(4, 1, 0);
    }
    Settle(foe);
  }
}

}  // namespace
