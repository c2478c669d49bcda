// The behaviour tick of an engaged character next to the player on the arena, with the rolls scripted and the
// times given: when a turn comes, and what each behaviour kind does with it (strike, flee, heal, cast, wait,
// switch styles), morale and alarm included.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "game/rules/character.h"
#include "game/rules/spell_record.h"
#include "tests/game/rules/combat_fixture.h"

namespace {

using namespace combat_test;

void Give(Character& c, const std::string& item) { c.AddInventoryItem(FindItemByName(item)); }

class CharacterBehaviourTest : public CombatFixture {
 protected:
  void SetUp() override {
    CombatFixture::SetUp();
    sw::NpcSpec& foe = DefineNpc("Foe");
    foe.dexterity = 10;
    foe.minDamage = 3;
    foe.maxDamage = 3;
    foe.actionInterval = 1000;
    DefineWeapon("Sword");
    sw::ItemSpec& potion = items_["Potion"];
    potion.kind = kItemKindConsumable;
    potion.modifiers[kModifierMaxStamina] = 5;
    potion.namedActions = {{Logging("Use "), "", {}}, {Logging("Drop "), "", {}}};
    sw::SpellSpec& zap = DefineSpell("Zap");  // at enemies within 1 to 3 cells
    zap.targetKind = 2;
    zap.rangeMin = 1;
    zap.rangeMax = 3;
    zap.magicCost = 2;
    zap.modifiers = {};
  }
  // A fresh arena with the player at (1, 1) and the foe engaged on the row, next to it unless told otherwise.
  Character& Engage(int32_t foeX = 2) {
    OpenArena(1, 1);
    Character& player = Player();
    player.stamina = 10;
    player.base.dexterity = 10;
    player.base.naturalProtection = 0;
    player.RecalculateStats();
    Character& foe = Place("Foe", foeX, 1);
    Settle(foe);
    foe.SetTarget(&player);
    foe.targetDistance = foe.DistanceTo(player);
    foe.magic = 10;
    TakeLog();
    return foe;
  }
};

TEST_F(CharacterBehaviourTest, ATurnComesOnceTheActionIntervalHasPassed) {
  Start();
  Character& foe = Engage();
  foe.lastActionTime = 0;
  EXPECT_FALSE(foe.UpdateBehaviour(999));
  EXPECT_EQ(Player().stamina, 10);
  // The blow uses the turn; the next interval is drawn within a quarter of the base either way.
  ScriptRandomDraws({3, 6, 100, 5000});
  EXPECT_FALSE(foe.UpdateBehaviour(1000));
  EXPECT_EQ(Player().stamina, 7);
  EXPECT_EQ(foe.lastActionTime, 1000);
  EXPECT_EQ(foe.current.actionInterval, 1250);
  Settle(foe);
  EXPECT_FALSE(foe.UpdateBehaviour(2249));
  EXPECT_EQ(Player().stamina, 7);
  // A held character, or one with no stamina left, does nothing; the fallen one still reports its new turn.
  foe.SetFlags(kCharacterHeld);
  EXPECT_FALSE(foe.UpdateBehaviour(2250));
  EXPECT_EQ(Player().stamina, 7);
  foe.SetFlags(0);
  foe.stamina = 0;
  EXPECT_TRUE(foe.UpdateBehaviour(2250));
  EXPECT_EQ(Player().stamina, 7);
  // An interval below 0 has always passed: a turn comes at every tick.
  foe.stamina = 20;
  foe.turnReady = 0;
  foe.stepBudget = 0;
  foe.current.actionInterval = -40;
  ScriptRandomDraws({3, 6, 100, 1000});
  EXPECT_FALSE(foe.UpdateBehaviour(2250));
  EXPECT_EQ(Player().stamina, 4);
}

TEST_F(CharacterBehaviourTest, EachBehaviourKindActsInItsOwnWay) {
  Start();
  const struct {
    const char* name;
    std::function<void(Character&)> prepare;
    std::vector<int32_t> draws;
    const char* log;
    int16_t playerLoss;
    int32_t foeX;  // 3 after a step away from the player
    bool again;    // the tick's result
  } cases[] = {
      {"kind 0 strikes", [](Character&) {}, {3, 6, 100, 1000}, "", 3, 2, false},
      {"kind 6 flees", [](Character& f) { f.behaviourKind = 6; }, {}, "", 0, 3, true},
      {"morale and alarm below 0 make any kind flee",
       [](Character& f) {
         f.base.morale = 5;
         f.RecalculateStats();
         f.alarm = -10;
       },
       {}, "", 0, 3, true},
      {"morale 0 never flees, whatever the alarm", [](Character& f) { f.alarm = -50; }, {3, 6, 100, 1000}, "",
       3, 2, false},
      {"kind 5 unhurt waits (wandering nowhere)", [](Character& f) { f.behaviourKind = 5; }, {}, "", 0, 2,
       false},
      {"kind 1 wounded without a potion flees",
       [](Character& f) {
         f.behaviourKind = 1;
         f.stamina = 9;
       },
       {}, "", 0, 3, true},
      {"kind 1 now and then drinks its best potion first",
       [](Character& f) {
         f.behaviourKind = 1;
         Give(f, "Potion");
       },
       {20, 3, 6, 100, 1000}, "Use Drop ", 3, 2, false},
      {"kind 2 wounded drinks, then strikes",
       [](Character& f) {
         f.behaviourKind = 2;
         f.stamina = 9;
         Give(f, "Potion");
       },
       {3, 6, 100, 1000}, "Use Drop ", 3, 2, false},
      {"kind 3 casts its spell at the player in range", [](Character& f) { f.behaviourKind = 3; }, {1000},
       "hit 2,2 hit 2,2 ", 0, 2, false},
      {"kind 4 without a spell of its kind flees", [](Character& f) { f.behaviourKind = 4; }, {}, "", 0, 3,
       true},
      {"kind 7 picks a style and fights in it",
       [](Character& f) {
         f.behaviourKind = 7;
         Give(f, "Sword");
       },
       {2, 3, 6, 100, 1000}, "Equip Attack Attack ", 3, 2, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Character& foe = Engage();
    foe.LearnSpell(FindSpellByName("Zap"));
    c.prepare(foe);
    ScriptRandomDraws(c.draws);
    EXPECT_EQ(foe.UpdateBehaviour(1000), c.again);
    EXPECT_EQ(ScriptedDrawsLeft(), 0u);
    EXPECT_EQ(TakeLog(), c.log);
    EXPECT_EQ(10 - Player().stamina, c.playerLoss);
    EXPECT_EQ(foe.x, c.foeX);
  }
}

TEST_F(CharacterBehaviourTest, AWaitingCharacterFightsForGoodOnceWounded) {
  Start();
  Character& foe = Engage();
  Give(foe, "Sword");
  foe.behaviourKind = 5;
  foe.stamina = 19;
  // The first wound: it takes up its best weapon and becomes a fighter of kind 1; no blow yet.
  EXPECT_FALSE(foe.UpdateBehaviour(1000));
  EXPECT_EQ(TakeLog(), "Equip ");
  EXPECT_EQ(foe.behaviourKind, 1);
  EXPECT_EQ(Player().stamina, 10);
  // Back at full stamina it fights all the same.
  foe.stamina = 20;
  ScriptRandomDraws({50, 3, 6, 100, 1000});
  EXPECT_FALSE(foe.UpdateBehaviour(1000));
  EXPECT_EQ(TakeLog(), "Attack Attack ");
  EXPECT_EQ(Player().stamina, 7);
}

TEST_F(CharacterBehaviourTest, ASwitchingCharacterDrawsANewStyleOnItsOwnRhythm) {
  Start();
  // Ticks within the action interval: no turn comes, so the styles act without striking or casting, and the only
  // draws are those of a new style (and, in the style of kind 1, its chance to drink). Each character of a case is
  // ticked seven times; draws are left over so that one taken too early shows.
  const struct {
    const char* name;
    int16_t kind;
    std::vector<int32_t> draws;
    const char* drawnAt;  // per tick: 1 when it drew
  } cases[] = {
      {"kind 7 every sixth tick", 7, {2, 1, 50, 1}, "1000001"},
      {"kind 8 counts down by turns only", 8, {1, 1}, "1000000"},
      {"kind 9 keeps a fighting style for its turns", 9, {2, 2}, "1000000"},
      {"kind 9 holds a casting style for one turn", 9, {3, 4, 3, 4, 3, 4, 3, 3}, "1111111"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Character& foe = Engage();
    foe.LearnSpell(FindSpellByName("Zap"));
    foe.behaviourKind = c.kind;
    foe.turnReady = 0;
    foe.lastActionTime = 1000;
    ScriptRandomDraws(c.draws);
    std::string drawnAt;
    for (int tick = 0; tick < 7; ++tick) {
      const size_t before = ScriptedDrawsLeft();
      foe.UpdateBehaviour(1000);
      drawnAt += ScriptedDrawsLeft() < before ? '1' : '0';
    }
    EXPECT_EQ(drawnAt, c.drawnAt);
    EXPECT_EQ(Player().stamina, 10);
  }
}

TEST_F(CharacterBehaviourTest, ACasterOutOfRangeMovesToBringItsTargetInRangeAndStopsWhenAMoveMakesNoProgress) {
  Start();
  SpellRecord& zap = *FindSpellByName("Zap");
  // Too near for its only spell: it backs away from the player.
  zap.rangeMin = 2;
  Character& foe = Engage();
  foe.LearnSpell(&zap);
  foe.turnReady = 1;
  foe.stepBudget = 1;
  foe.CastBestSpell(false);
  EXPECT_EQ(foe.x, 3);
  EXPECT_EQ(foe.stepBudget, 0);
  EXPECT_EQ(TakeLog(), "");

  // Too far, behind a wall that no path crosses: the planned move takes no step and the approach ends there.
  zap.rangeMin = 1;
  Character& walled = Engage(5);
  for (int32_t y = 0; y < kArenaSize; ++y) Map().SetCellFlag(3, y, 0);
  walled.LearnSpell(&zap);
  walled.turnReady = 1;
  walled.stepBudget = 3;
  walled.CastBestSpell(false);
  EXPECT_EQ(walled.x, 5);
  EXPECT_EQ(walled.stepBudget, 3);
  EXPECT_EQ(walled.directStepCountdown, 15);
  EXPECT_EQ(TakeLog(), "");
}

}  // namespace
