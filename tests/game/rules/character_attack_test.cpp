// Attacks on the arena with scripted rolls: a blow's hit, miss, damage and protection by how the target faces,
// the damage kinds and criticals; the weapon's "Attack" and "Miss" events and its spell under the charges rule;
// an event that leaves the location; and the attack towards a point by the weapon's attack kind.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/rules/character.h"
#include "game/rules/item_record.h"
#include "game/world/map_item.h"
#include "game/world/sprite.h"
#include "tests/game/rules/combat_fixture.h"

namespace {

using namespace combat_test;

class CharacterAttackTest : public CombatFixture {
 protected:
  void SetUp() override {
    CombatFixture::SetUp();
    sw::NpcSpec& foe = DefineNpc("Foe");
    foe.dexterity = 10;
    DefineSpell("Spark");  // on the caster itself
    DefineWeapon("Sword").spellName = "Spark";
    sw::ItemSpec& bow = DefineWeapon("Bow");
    bow.firstProjectileValue = 4;
    bow.secondProjectileText = "6";
    bow.attackPictureName = "Bolt.bmp";
    sw::ItemSpec& portal = DefineWeapon("Portal");
    portal.namedActions[0].event = {"", sw::EventSpec{{Log("Attack "), Travel("Elsewhere")}}};
  }
  // The player next to the foe, ready to strike: dexterity 10, damage 4 to 8, no extra damage, luck 5.
  void StartNextToFoe() {
    Start(1, 1);
    foe_ = &Place("Foe", 2, 1);
    Character& p = Player();
    p.base.dexterity = 10;
    p.base.minDamage = 4;
    p.base.maxDamage = 8;
    p.base.specialDamage = 0;
    p.base.strength = 15;
    p.base.luck = 5;
    p.RecalculateStats();
  }
  ItemRecord* Arm(Character& c, const std::string& weapon) {
    ItemRecord* item = c.AddInventoryItem(FindItemByName(weapon));
    c.Equip(item);
    TakeLog();
    return item;
  }

  Character* foe_ = nullptr;
};

TEST_F(CharacterAttackTest, ABlowHitsOnAHigherRollAndTheTargetsFacingDecidesItsProtection) {
  StartNextToFoe();
  Character& foe = *foe_;
  const struct {
    const char* name;
    bool walking;
    int32_t facing;  // the foe's; 7 faces the player
    int16_t protection, fireProtection;
    int16_t kind;  // the player's unarmed damage kind
    int16_t strength;
    std::vector<int32_t> draws;  // defence, attack, critical, damage
    int32_t loss;
  } cases[] = {
      {"equal rolls miss", false, 7, 4, 0, 0, 15, {5, 5, 100}, 0},
      {"standing still: half the protection, times defence / attack", false, 7, 10, 0, 0, 15, {3, 6, 100, 6}, 3},
      {"the ratio is at least 0.4", false, 7, 10, 0, 0, 15, {1, 10, 100, 6}, 4},
      {"standing still: at least 1", false, 7, 10, 0, 0, 15, {9, 10, 100, 4}, 1},
      {"walking away: as standing still", true, 3, 10, 0, 0, 15, {3, 6, 100, 6}, 3},
      {"facing the attacker halves its attack roll", true, 8, 4, 0, 0, 15, {5, 8, 100}, 0},
      {"facing the attacker: the whole protection", true, 6, 4, 0, 0, 15, {2, 5, 100, 6}, 2},
      {"facing the attacker: no least damage", true, 7, 10, 0, 0, 15, {2, 5, 100, 6}, 0},
      {"strength above 15 adds", false, 7, 0, 0, 0, 18, {3, 6, 100, 6}, 9},
      {"fire is never critical and meets its protection", false, 7, 10, 50, 2, 15, {3, 6, 0, 6}, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    foe.stamina = 20;
    foe.flags = c.walking ? kCharacterWalking : 0;
    foe.facing = c.facing;
    foe.base.naturalProtection = c.protection;
    foe.base.fireProtection = c.fireProtection;
    foe.RecalculateStats();
    Player().unarmedDamageKind = c.kind;
    Player().base.strength = c.strength;
    Player().RecalculateStats();
    ScriptRandomDraws(c.draws);
    Player().AttackCharacter(&foe);
    EXPECT_EQ(ScriptedDrawsLeft(), 0u);
    EXPECT_EQ(20 - foe.stamina, c.loss);
    Settle(foe);
  }
  // A miss turns the target towards the attacker.
  foe.facing = 3;
  ScriptRandomDraws({5, 5, 100});
  Player().AttackCharacter(&foe);
  EXPECT_EQ(foe.facing, 7);
}

TEST_F(CharacterAttackTest, AWeaponRunsItsEventsAndFiresItsSpellTakingAChargeOrTurningUnlimited) {
  StartNextToFoe();
  Character& foe = *foe_;
  ItemRecord* sword = Arm(Player(), "Sword");
  const struct {
    const char* name;
    const char* refuse;  // the action refused
    int16_t trigger, charges;
    bool spell;
    std::vector<int32_t> draws;
    const char* log;
    int16_t chargesLeft;
    size_t queued;
    bool hit;
  } cases[] = {
      {"a hit: Attack before the rolls and before the damage", "", 0, 2, true, {3, 6, 100, 6}, "Attack Attack ", 1,
       1, true},
      {"a miss that Miss leaves a miss", "Miss", 0, 2, true, {5, 5, 100}, "Attack Miss ", 2, 0, false},
      {"a miss that Miss turns into a hit", "", 0, 2, true, {5, 5, 100, 6}, "Attack Miss Attack ", 1, 1, true},
      {"a miss turned into a hit fires a spell of trigger 1 there", "", 1, 2, true, {5, 5, 100, 6},
       "Attack Miss Attack ", 1, 1, true},
      {"no charges left: the spell fires and the charges turn unlimited", "", 0, 0, true, {3, 6, 100, 6},
       "Attack Attack ", -1, 1, true},
      {"charges below 0 turn unlimited too", "", 0, -3, true, {3, 6, 100, 6}, "Attack Attack ", -1, 1, true},
      {"unlimited charges stay unlimited", "", 0, -1, true, {3, 6, 100, 6}, "Attack Attack ", -1, 1, true},
      {"a trigger without a spell fires nothing", "", 0, 2, false, {3, 6, 100, 6}, "Attack Attack ", 2, 0, true},
      {"an Attack that refuses ends the blow before the rolls", "Attack", 0, 2, true, {}, "Attack ", 2, 0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SetGlobal("gb_refuse", c.refuse);
    sword->spellTrigger = c.trigger;
    sword->charges = c.charges;
    sword->spell = c.spell ? FindSpellByName("Spark") : nullptr;
    foe.stamina = 20;
    ClearPendingSpells();
    ScriptRandomDraws(c.draws);
    Player().AttackCharacter(&foe);
    EXPECT_EQ(ScriptedDrawsLeft(), 0u);
    EXPECT_EQ(TakeLog(), c.log);
    EXPECT_EQ(sword->charges, c.chargesLeft);
    // The player's weapon spells wait for the map's tick.
    EXPECT_EQ(PendingSpells().size(), c.queued);
    EXPECT_EQ(foe.stamina < 20, c.hit);
  }

  // A non-player character casts its weapon's spell at once.
  SetGlobal("gb_refuse", "");
  ItemRecord* foeSword = Arm(foe, "Sword");
  foeSword->charges = 1;
  foe.turnReady = 1;
  foe.magic = 5;
  ScriptRandomDraws({0, 5, 100});  // its damage, 0 to 0, takes no draw
  foe.AttackCharacter(&Player());
  // The effect on the foe itself runs the spell's tick event as it is made and in its first application.
  EXPECT_EQ(TakeLog(), "Attack Attack hit 3,2 hit 3,2 ");
  EXPECT_EQ(foeSword->charges, 0);
}

TEST_F(CharacterAttackTest, AnAttackEventThatLeavesTheLocationEndsTheAttack) {
  StartNextToFoe();
  Arm(Player(), "Portal");
  ScriptRandomDraws({3, 6, 100, 6});
  Player().AttackCharacter(foe_);
  EXPECT_EQ(TakeLog(), "Attack ");
  EXPECT_EQ(foe_->stamina, 20);
  EXPECT_EQ(ScriptedDrawsLeft(), 4u);  // no roll was made
  EXPECT_EQ(GetCurrentLocation()->GetName(), "elsewhere");
}

TEST_F(CharacterAttackTest, AFallenCharacterRunsItsDeathEventAndLeavesItsGoldOnItsCell) {
  const struct {
    const char* name;
    int16_t gold;
    bool leaves;  // its death event takes the player to another location
    const char* log;
    int32_t pile;  // the gold lying on its cell afterwards, 0 for none
  } cases[] = {
      // The cell (3,2) is pushed counted from 1, as (4,3), and "&&ActualX" shows one more than what is stored.
      {"Miser", 7, false, "dead 5,4 ", 7},
      {"Pauper", 0, false, "dead 5,4 ", 0},
      {"Runner", 7, true, "dead 5,4 ", 0},
  };
  for (const auto& c : cases) {
    sw::NpcSpec& npc = DefineNpc(c.name);
    npc.gold = c.gold;
    sw::EventSpec death{{Log("dead &&ActualX,&&ActualY ")}};
    if (c.leaves) death.mainActions.push_back(Travel("Elsewhere"));
    npc.events[3] = {"", death};
  }
  Start(1, 1);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    OpenArena(1, 1);
    Character& fallen = Place(c.name, 3, 2);
    fallen.TakeDamage(50, 0, 0, 0, false);
    EXPECT_EQ(TakeLog(), c.log);
    EXPECT_EQ(fallen.sprite, nullptr);  // off the map
    int32_t pile = 0;
    for (const auto& object : Map().Objects()) {
      int32_t column = 0, row = 0;
      object->GetCell(&column, &row);
      if (object->kind == kItemKindGoldPile && column == 3 && row == 2) pile += PileAmount(*object);
    }
    EXPECT_EQ(pile, c.pile);
  }
}

TEST_F(CharacterAttackTest, AnAttackTowardsAPointActsByTheWeaponsAttackKind) {
  StartNextToFoe();
  Character& foe = *foe_;
  ItemRecord* bow = Arm(Player(), "Bow");
  const Point foeCentre = Map().CellCenter(2, 1);
  const struct {
    const char* name;
    int16_t attackKind;
    const char* refuse;
    std::vector<int32_t> draws;  // the damage; then the rolls of a blow
    const char* log;
    size_t launched;
    int32_t loss;
  } cases[] = {
      {"a projectile", 0, "", {6}, "Attack Miss Attack ", 1, 0},
      {"the picture on the foe, and a blow with its own rolls", 1, "", {6, 3, 6, 100, 7},
       "Attack Miss Attack Attack Attack ", 1, 7},
      {"damage at the point", 2, "", {6}, "Attack Miss Attack ", 0, 6},
      {"damage at the point, that Miss takes away", 2, "Miss", {6}, "Attack Miss Attack ", 0, 0},
      {"an unknown kind", 3, "", {6}, "Attack Miss Attack ", 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    bow->attackKindValue = c.attackKind;
    SetGlobal("gb_refuse", c.refuse);
    foe.stamina = 20;
    const size_t before = Map().TravellingList().size();
    ScriptRandomDraws(c.draws);
    Player().Attack(foeCentre.x, foeCentre.y);
    EXPECT_EQ(ScriptedDrawsLeft(), 0u);
    EXPECT_EQ(TakeLog(), c.log);
    EXPECT_EQ(Map().TravellingList().size() - before, c.launched);
    EXPECT_EQ(20 - foe.stamina, c.loss);
    EXPECT_EQ(Player().facing, 3);
    Settle(Player());
  }

  // Bare-handed, the attacker turns and launches an effect without a picture, carrying the damage rolled and the
  // unarmed damage kind.
  SetGlobal("gb_refuse", "");
  Player().UnEquip(bow);
  TakeLog();
  Player().unarmedDamageKind = 3;
  const size_t before = Map().TravellingList().size();
  const Point below = Map().CellCenter(1, 4);
  ScriptRandomDraws({7});
  Player().Attack(below.x, below.y);
  EXPECT_EQ(ScriptedDrawsLeft(), 0u);
  EXPECT_EQ(Player().facing, 5);
  ASSERT_EQ(Map().TravellingList().size(), before + 1);
  const Sprite& unseen = *Map().TravellingList().back();
  EXPECT_EQ(unseen.GetPictureRef(), nullptr);
  EXPECT_EQ(unseen.missileKind, 1);
  EXPECT_EQ(unseen.shooter, &Player());
  EXPECT_EQ(unseen.damage, 7);
  EXPECT_EQ(unseen.damageKind, 3);
  EXPECT_EQ(TakeLog(), "");
}

}  // namespace
