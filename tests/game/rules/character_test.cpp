// The character: a new player and the current character, the attribute roll, recalculation, damage, effects,
// the pending spells, level gain, the stamina bar and the selection ring.
#include "game/rules/character.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "game/graphics/animation_set.h"
#include "game/graphics/bitmap.h"
#include "game/graphics/blitter.h"
#include "game/rules/active_effect.h"
#include "game/rules/class_race_records.h"
#include "game/rules/item_record.h"
#include "game/rules/npc_definition.h"
#include "game/rules/random_table.h"
#include "game/rules/spell_record.h"
#include "game/shell/data/game_random.h"
#include "game/shell/data/option_store.h"
#include "game/shell/record_lists.h"
#include "game/world/sprite.h"
#include "tests/support/script_harness.h"

namespace {

namespace sw = scenario_writer;
using namespace test_support::script;

// The eight rolled attributes, in the roll's order.
std::array<int16_t, 8> Attributes(const Character& c) {
  return {c.base.strength, c.base.dexterity, c.base.vitality, c.base.wisdom,
          c.base.karma,    c.base.luck,      c.base.speed,    c.base.perception};
}

TEST(CharacterTest, ANewPlayerStartsOffTheMapWithItsSeedAndARoll) {
  SeedRandom(5);
  Character c;
  EXPECT_EQ(c.level, 0);
  EXPECT_EQ(c.facing, 1);
  int32_t x = 0, y = 0;
  c.GetPosition(&x, &y);
  EXPECT_EQ(x, kOffMapCell);
  EXPECT_EQ(y, kOffMapCell);
  EXPECT_EQ(c.base.noticeRange, 5);
  EXPECT_EQ(c.base.morale, 0);
  EXPECT_EQ(c.side, 0);
  EXPECT_GE(c.randomSeed, 0);
  EXPECT_LE(c.randomSeed, 499);
  EXPECT_EQ(c.stamina, c.base.maxStamina);
  EXPECT_TRUE(c.IsLoaded());
  EXPECT_EQ(c.readiedSpell, nullptr);

  CreateCurrentCharacter();
  Character* first = GetCurrentCharacter();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->side, kPlayerSide);
  EXPECT_TRUE(HasCurrentCharacter());
  EXPECT_TRUE(IsCurrentCharacter(first));
  EXPECT_FALSE(IsCurrentCharacter(&c));
  SetCurrentCharacter(first);
  EXPECT_EQ(GetCurrentCharacter(), first);
  // A new player has the default player name and no name of its own until one is given.
  std::string defaultName;
  GetDefaultPlayerName(defaultName);
  EXPECT_EQ(first->playerName, defaultName);
  EXPECT_EQ(first->GetName(), "");
  // A name is taken as a record's name is: the last path component, less a four-character extension.
  for (const auto& [given, name] : std::vector<std::pair<const char*, const char*>>{
           {"Ann.Bob", "Ann"}, {"Jo/Ann", "Ann"}, {"Ann", "Ann"}, {"Jo.Bob.Cat", "Jo.Bob"}}) {
    first->SetName(given);
    EXPECT_EQ(first->GetName(), name) << given;
  }
  // A name it had before is given back whole.
  first->RestoreName("Jo.Bob");
  EXPECT_EQ(first->GetName(), "Jo.Bob");
  SetCurrentCharacter(new Character);
  EXPECT_NE(PeekCurrentCharacter(), first);
  DeleteCurrentCharacter();
  EXPECT_EQ(GetCurrentCharacter(), nullptr);
  EXPECT_FALSE(HasCurrentCharacter());
}

TEST(CharacterTest, TheRollReadsTheSeedBeforeItIsDrawn) {
  // The roll comes first, with the seed still 0: at level 0 the stamina takes the table's entry (1 + 0) mod 500 = 1;
  // strength 9 and vitality 12 give 0 + 12 + that gain + 0. The seed is drawn last.
  ScriptRandomDraws({9, 10, 12, 10, 10, 10, 10, 10, /* protections */ 1, 1, 1, 1, /* magic */ 3, /* seed */ 499});
  Character c;
  EXPECT_EQ(ScriptedDrawsLeft(), 0u);
  EXPECT_EQ(c.randomSeed, 499);
  EXPECT_EQ(c.base.maxStamina, 12 + RandomTableValue(1, 0) % 5 + 1);
  EXPECT_EQ(c.base.maxMagic, 10 + 3);
  // With karma 10 each protection is vitality + wisdom + the first draw.
  EXPECT_EQ(c.base.chemicalProtection, 12 + 10 + 1);
  EXPECT_EQ(c.base.naturalProtection, 0);
  EXPECT_EQ(c.base.actionInterval, 1000);
  EXPECT_EQ(c.base.minDamage, 1);
  EXPECT_EQ(c.base.maxDamage, 3);
}

TEST(CharacterTest, RolledAttributesStayInTheirBoundsOverManySeeds) {
  for (uint32_t seed = 1; seed <= 400; ++seed) {
    SeedRandom(seed);
    Character c;
    int32_t sum = 0;
    for (int16_t value : Attributes(c)) {
      EXPECT_GE(value, 7) << seed;
      EXPECT_LE(value, 18) << seed;
      sum += value;
    }
    EXPECT_LE(sum, 96) << seed;
    const int32_t fixed = c.base.vitality + c.base.wisdom;
    const int32_t extra = std::max(0, c.base.karma - 10);
    for (int16_t protection : {c.base.chemicalProtection, c.base.fireProtection, c.base.coldProtection,
                               c.base.electricalProtection}) {
      EXPECT_GE(protection, fixed + 1) << seed;
      EXPECT_LE(protection, fixed + 5 + extra) << seed;
    }
    EXPECT_GE(c.randomSeed, 0);
    EXPECT_LE(c.randomSeed, 499);
  }
}

TEST(CharacterTest, SmallOperations) {
  Character c;
  for (auto [given, kept] : {std::pair{0, 1}, {12, 8}, {-3, 1}, {5, 5}}) {
    c.SetFacing(given, true);
    EXPECT_EQ(c.facing, kept) << given;
  }
  c.AddTextEntry("a", "1", "x");
  c.AddTextEntry("b", "2", "y");
  c.AddTextEntry("a", "3", "z");
  c.RemoveTextEntry("c");
  EXPECT_EQ(c.GetTextEntries().size(), 3u);
  c.RemoveTextEntry("a");
  ASSERT_EQ(c.GetTextEntries().size(), 2u);
  EXPECT_EQ(c.GetTextEntries()[1].firstText, "3");
  c.ClearTextEntries();
  EXPECT_TRUE(c.GetTextEntries().empty());

  SpellRecord light, fog;
  c.LearnSpell(&light);
  c.LearnSpell(&fog);
  c.LearnSpell(&light);
  c.LearnSpell(nullptr);
  EXPECT_EQ(c.knownSpells.size(), 3u);
  c.ForgetSpell(&light);
  EXPECT_EQ(c.knownSpells, (std::vector<SpellRecord*>{&fog, &light}));
  EXPECT_TRUE(c.KnowsSpell(&light));
  c.ForgetSpell(&light);
  c.ForgetSpell(&light);
  EXPECT_FALSE(c.KnowsSpell(&light));
  c.AddToCounter(-4);
  EXPECT_EQ(c.alarm, -4);
  EXPECT_EQ(c.WeaponReach(), 1);
  EXPECT_EQ(c.WeaponAttackMode(), 1);
}

// A bare item record of a kind with modifiers, for the calculations that need no scenario.
std::unique_ptr<ItemRecord> Item(int16_t kind, RecordModifiers modifiers = {}) {
  auto item = std::make_unique<ItemRecord>();
  item->kind = kind;
  item->modifiers = modifiers;
  return item;
}

TEST(CharacterTest, RecalculationAddsEquipmentAndEffectsAndClampsTheAttributes) {
  Character c;
  c.base.strength = 12;
  c.base.minDamage = 2;
  c.base.maxStamina = 40;
  c.base.fireProtection = 32767;
  RecordModifiers weak{};
  weak[kModifierStrength] = -20;
  weak[kModifierMinDamage] = -5;
  weak[kModifierFireProtection] = 1;
  auto cursed = Item(4, weak);
  c.equipment[4] = cursed.get();
  SpellRecord blessing;
  blessing.modifiers[kModifierMaxStamina] = -10;
  c.effects.push_back(std::make_unique<ActiveEffect>(&blessing));
  c.stamina = 35;
  c.RecalculateStats();
  EXPECT_EQ(c.current.strength, 0);          // not -8
  EXPECT_EQ(c.current.minDamage, -3);        // damages may go below 0
  EXPECT_EQ(c.current.fireProtection, -32768);  // 16-bit sums wrap
  EXPECT_EQ(c.current.maxStamina, 30);
  EXPECT_EQ(c.stamina, 30);
  EXPECT_EQ(c.base.strength, 12);
  c.RemoveEquipmentBonuses();
  EXPECT_EQ(c.base.strength, 32);
  EXPECT_EQ(c.base.minDamage, 7);
  c.equipment[4] = nullptr;
}

TEST(CharacterTest, DamageAfterProtection) {
  struct Case {
    int32_t damage, kind, protection, stamina, dealt, left;
  } cases[] = {
      {10, 2, 25, 30, 8, 22},    // fire: 10 - 250 / 100
      {10, 2, 150, 30, 5 - 10, 35},  // protection above 100 heals, up to the maximum
      {10, 3, 25, 30, 8, 22},    // cold
      {10, 4, 25, 30, 8, 22},    // electrical
      {10, 5, 25, 30, 8, 22},    // chemical
      {10, 1, 90, 30, 10, 20},   // other kinds are not reduced
      {10, 0, 90, 30, 10, 20},
      {-7, 2, 0, 30, -7, 37},    // healing
      {-7, 2, 0, 38, -7, 40},
      {7, 0, 0, 3, 7, 0},        // the player falls to 0 and does not die here
      {7, 0, 0, 0, 0, 0},        // without stamina nothing happens
      {-7, 2, 50, 10, -4, 14},   // truncated toward zero
  };
  CreateCurrentCharacter();
  Character& c = *GetCurrentCharacter();
  for (const Case& k : cases) {
    c.base.maxStamina = 40;
    c.base.fireProtection = c.base.coldProtection = c.base.electricalProtection = c.base.chemicalProtection =
        static_cast<int16_t>(k.protection);
    c.RecalculateStats();
    c.stamina = static_cast<int16_t>(k.stamina);
    EXPECT_EQ(c.TakeDamage(k.damage, k.kind, 0, 0, true), k.dealt) << k.damage << " kind " << k.kind;
    EXPECT_EQ(c.stamina, k.left) << k.damage << " kind " << k.kind;
  }
  // A blow from a cell turns the character to face it.
  c.stamina = 20;
  c.SetPosition(3, 3);
  c.TakeDamage(1, 0, 2, 4, false);
  EXPECT_EQ(c.facing, 6);
  DeleteCurrentCharacter();
}

TEST(CharacterTest, TheStaminaBarShowsTheShareLeft) {
  struct Case {
    int16_t maximum, stamina;
    DrawColor left;   // the first pixel inside the frame
    DrawColor right;  // the last one
  } cases[] = {
      {40, 9, {0, 0, 255, 255}, {0, 0, 0, 255}},   // 40 / 9 = 4: red
      {40, 11, {0, 128, 0, 255}, {0, 0, 0, 255}},  // green
      {40, 40, {0, 128, 0, 255}, {0, 128, 0, 255}},
      {0, 5, {0, 0, 0, 255}, {0, 0, 0, 255}},      // no maximum: an empty bar
      {-3, 5, {0, 0, 0, 255}, {0, 0, 0, 255}},
  };
  Character player, npc;
  for (const Case& k : cases) {
    npc.base.maxStamina = k.maximum;
    npc.RecalculateStats();
    npc.stamina = k.stamina;
    npc.SetTarget(&player);
    EXPECT_EQ(npc.target, &player);
    EXPECT_EQ(npc.engaged, 1);
    ASSERT_NE(npc.staminaBar, nullptr);
    const Bitmap& bar = *npc.staminaBar->GetBitmap();
    EXPECT_EQ(bar.width, 37);
    EXPECT_EQ(bar.height, 7);
    DrawColor pixel;
    ASSERT_TRUE(GetPixel(pixel, bar, 1, 3));
    EXPECT_EQ(pixel, k.left) << k.maximum << "/" << k.stamina;
    ASSERT_TRUE(GetPixel(pixel, bar, 35, 3));
    EXPECT_EQ(pixel, k.right) << k.maximum << "/" << k.stamina;
    ASSERT_TRUE(GetPixel(pixel, bar, 0, 0));
    EXPECT_EQ(pixel, (DrawColor{255, 255, 255, 255}));
  }
  npc.RemoveOverlay();
  EXPECT_EQ(npc.staminaBar, nullptr);
  EXPECT_EQ(npc.target, nullptr);
  EXPECT_EQ(npc.engaged, 0);
}

TEST(CharacterTest, TheSelectionRingFitsTheSprite) {
  struct Case {
    int32_t radius, width, height;
  } cases[] = {{0, 0, 0}, {1, 4, 2}, {2, 6, 3}, {5, 16, 8}};
  Bitmap figure;
  ASSERT_EQ(figure.Create(4, 4, OpaqueFormat), kBitmapReady);
  for (const Case& k : cases) {
    Character c;
    auto sprite = std::make_unique<Sprite>();
    sprite->SetPicture(new PictureRef(&figure, false), true);
    sprite->ownRadius = k.radius;
    c.PlaceOnLocation(std::move(sprite));
    ASSERT_NE(c.sprite, nullptr);
    if (k.width == 0) {
      EXPECT_EQ(c.ringOverlay, nullptr) << k.radius;
      continue;
    }
    ASSERT_NE(c.ringOverlay, nullptr) << k.radius;
    EXPECT_EQ(c.ringOverlay->GetBitmap()->width, k.width);
    EXPECT_EQ(c.ringOverlay->GetBitmap()->height, k.height);
    EXPECT_FALSE(c.ringOverlay->IsPlaced());
  }
}

TEST(CharacterTest, TheInventoryListsConsumablesFirstThenByKindAndName) {
  // Names that the scenario lacks sort as consumables.
  std::vector<std::string> names = {"bread", "Axe of Ice", "Bread", "Axe"};
  SortInventoryNames(names);
  EXPECT_EQ(names, (std::vector<std::string>{"Axe", "Axe of Ice", "Bread", "bread"}));
}

TEST(CharacterTest, PendingSpellsOfOneChosenCharacterWaitForATarget) {
  CreateCurrentCharacter();
  SpellRecord bolt, shield, storm;
  bolt.targetKind = 3;
  shield.targetKind = 0;
  storm.targetKind = 2;
  QueuePendingSpell(&bolt);
  QueuePendingSpell(&shield);
  QueuePendingSpell(nullptr);
  QueuePendingSpell(&storm);
  EXPECT_TRUE(HasPendingSpells());
  CastPendingSpells(nullptr);
  EXPECT_EQ(PendingSpells(), (std::vector<SpellRecord*>{&bolt}));
  Character fallen;
  fallen.stamina = 0;
  CastPendingSpells(&fallen);
  EXPECT_EQ(PendingSpells(), (std::vector<SpellRecord*>{&bolt}));
  fallen.stamina = 3;
  CastPendingSpells(&fallen);
  EXPECT_FALSE(HasPendingSpells());
  QueuePendingSpell(&bolt);
  ClearPendingSpells();
  EXPECT_FALSE(HasPendingSpells());
  DeleteCurrentCharacter();
}

// ---- With a scenario: definitions, effects and level gain ----

class CharacterScenarioTest : public test_support::ScriptHarness {
 protected:
  void SetUp() override {
    ScriptHarness::SetUp();
    Config().globalNames = {"gb_log"};
  }
  // An event that appends the mark to gb_log.
  static sw::EventSpec Logs(const std::string& mark) { return {{ChangeGlobal("gb_log", 2, mark)}}; }
  void AddSpell(const std::string& name, const sw::SpellSpec& spell) {
    Files().Add("Players/Spells/" + name + ".spl", sw::EncodeSpell(spell));
  }
};

TEST_F(CharacterScenarioTest, ACharacterFromADefinitionTakesItsValuesAndItems) {
  sw::NpcSpec wolf;
  wolf.spriteText = "wolf";
  wolf.maxStamina = 12;
  wolf.strength = 14;
  wolf.morale = 3;
  wolf.noticeRange = 6;
  wolf.actionInterval = 800;
  wolf.level = 2;
  wolf.gold = 7;
  wolf.damageKind = 2;
  wolf.startItemNames = {"Fang", "Nothing"};
  wolf.spellNames = {"Howl"};
  wolf.events[3] = {"", Logs("dead")};
  Files().Add("NPCs/Wolf.npc", sw::EncodeNpc(wolf));
  sw::ItemSpec fang;
  fang.kind = 1;
  Files().Add("Items/Fang.itm", sw::EncodeItem(fang));
  AddSpell("Howl", {});
  Load();
  std::unique_ptr<Character> c = Character::CharacterFromDefinition(*FindNpcByName("Wolf"));
  // The definition's name is the character's player name; its own name stays empty.
  EXPECT_EQ(c->GetName(), "");
  EXPECT_EQ(c->playerName, "wolf");
  EXPECT_EQ(c->spriteName, "wolf");
  EXPECT_EQ(c->base.maxStamina, 12);
  EXPECT_EQ(c->current.strength, 14);
  EXPECT_EQ(c->base.morale, 3);
  EXPECT_EQ(c->base.noticeRange, 6);
  EXPECT_EQ(c->base.actionInterval, 800);
  EXPECT_EQ(c->unarmedDamageKind, 2);
  EXPECT_EQ(c->level, 2);
  EXPECT_EQ(c->gold, 7);
  EXPECT_EQ(c->side, -1);
  EXPECT_EQ(c->stamina, 0);
  ASSERT_EQ(c->events.size(), 4u);
  EXPECT_EQ(c->events[0], nullptr);
  EXPECT_NE(c->events[3], nullptr);
  EXPECT_TRUE(c->inventory.empty());
  c->CreateInventoryFromNames();
  ASSERT_EQ(c->inventory.size(), 1u);
  EXPECT_EQ(c->inventory[0]->GetName(), "fang");
  EXPECT_EQ(c->knownSpells, (std::vector<SpellRecord*>{FindSpellByName("Howl")}));
}

TEST_F(CharacterScenarioTest, AnEffectAppliesWhenAddedAndThenOncePerTickUntilItEnds) {
  sw::SpellSpec poison;
  poison.duration = 3;
  poison.damageMin = 2;
  poison.damageMax = 4;
  poison.repeatAnimation = 1;
  poison.modifiers[kModifierStrength] = -2;
  poison.events = {Logs("cast "), Logs("tick "), Logs("short "), Logs("end ")};
  AddSpell("Poison", poison);
  sw::SpellSpec flash = poison;
  flash.duration = 1;
  AddSpell("Flash", flash);
  sw::SpellSpec aura = poison;
  aura.repeatAnimation = 0;
  AddSpell("Aura", aura);
  Load();
  Character& c = Player();
  c.base.maxStamina = 40;
  c.RecalculateStats();
  c.stamina = 30;
  const int16_t strength = c.current.strength;

  ScriptRandomDraws({3});
  c.AddEffect(FindSpellByName("Poison"));
  EXPECT_EQ(c.stamina, 27);
  ASSERT_EQ(c.effects.size(), 1u);
  // The tick event when the effect is made and again in its first application; the cast event not at all.
  EXPECT_EQ(Global("gb_log"), "tick tick ");
  EXPECT_EQ(c.current.strength, strength - 2);
  c.TickEffects();  // the tick in which it was added passes it over
  EXPECT_EQ(c.stamina, 27);
  ScriptRandomDraws({4, 2});
  c.TickEffects();
  EXPECT_EQ(c.stamina, 23);
  c.TickEffects();  // the last of its three ticks
  EXPECT_EQ(c.stamina, 21);
  EXPECT_TRUE(c.effects.empty());
  EXPECT_EQ(Global("gb_log"), "tick tick tick tick end ");
  EXPECT_EQ(c.current.strength, strength);

  // An effect of one tick deals its damage once and is never kept.
  SetGlobal("gb_log", "");
  ScriptRandomDraws({2});
  c.AddEffect(FindSpellByName("Flash"));
  EXPECT_EQ(c.stamina, 19);
  EXPECT_TRUE(c.effects.empty());
  EXPECT_EQ(Global("gb_log"), "tick tick ");

  // Without repeating, later ticks only count down.
  ScriptRandomDraws({2});
  c.AddEffect(FindSpellByName("Aura"));
  c.TickEffects();
  c.TickEffects();
  c.TickEffects();
  EXPECT_EQ(c.stamina, 17);
  EXPECT_TRUE(c.effects.empty());

  // A restored effect deals no first damage; one whose spell is gone ends at its next tick.
  c.effects.push_back(ActiveEffect::Restore(FindSpellByName("Poison"), 1));
  c.effects.push_back(ActiveEffect::Restore(nullptr, 5));
  SetGlobal("gb_log", "");
  c.TickEffects();
  EXPECT_EQ(c.effects.size(), 2u);
  ScriptRandomDraws({3});
  c.TickEffects();
  EXPECT_TRUE(c.effects.empty());
  EXPECT_EQ(c.stamina, 14);
  EXPECT_EQ(Global("gb_log"), "tick end ");
  EXPECT_EQ(ScriptedDrawsLeft(), 0u);
}

TEST_F(CharacterScenarioTest, ThreeLevelsAtOnceShowThreeLevelGainsAndRunEachLevelsEvents) {
  sw::SkillTableSpec table;
  table.levelValues = {100, 200, 400, 800, 1600};
  table.levelEvents = {{0, "EveryLevel"}, {2, "Second"}, {3, "Third"}, {4, "Fourth"}};
  Files().Add("Players/Skill Tables/Bard.skt", sw::EncodeSkillTable(table));
  sw::ClassSpec bard;
  bard.spellNames = {"Song"};
  Files().Add("Players/Classes/Bard.cls", sw::EncodeClass(bard));
  AddSpell("Song", {});
  AddEvent("EveryLevel", Logs("+"));
  AddEvent("Second", Logs("2 "));
  AddEvent("Third", Logs("3 "));
  AddEvent("Fourth", Logs("4 "));
  Load();
  Character& c = Player();
  c.SetClass(FindClassByName("Bard"));
  c.ResolveLinkedRecord();
  ASSERT_NE(c.GetSkillTable(), nullptr);
  c.randomSeed = 499;
  c.base.maxStamina = 20;
  c.base.maxMagic = 10;
  c.base.vitality = 17;
  c.base.wisdom = 5;
  c.RecalculateStats();
  const int16_t stamina = c.base.maxStamina;
  c.experience = 399;  // one short of level 3
  for (int i = 0; i < 4; ++i) AnswerMessage();
  ScriptRandomDraws({1, 2, 3, 4});
  c.ApplyLevelUps();
  EXPECT_EQ(c.level, 2);
  EXPECT_EQ(Global("gb_log"), "++2 ");
  c.experience = 800;  // exactly what level 4 needs
  c.ApplyLevelUps();
  EXPECT_EQ(c.level, 4);
  EXPECT_EQ(Global("gb_log"), "++2 +3 +4 ");
  // Each level adds the table's gain (the entry after the level, from the seed) and 2 for vitality 17, and the
  // magic drawn.
  int32_t gained = 0;
  for (int32_t level = 0; level < 4; ++level) gained += RandomTableValue(level + 1, 499) % 5 + 1 + 2;
  EXPECT_EQ(c.base.maxStamina, stamina + gained);
  EXPECT_EQ(c.base.maxMagic, 10 + 1 + 2 + 3 + 4);
  EXPECT_EQ(ScriptedDrawsLeft(), 0u);
  ASSERT_EQ(Shown().size(), 4u);
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(Shown()[i].layout, 14);
    EXPECT_EQ(Shown()[i].text, std::to_string(i + 1));
  }
}

// Levels are gained while the experience reaches the next level's need, whether the table's needs rise, stay or fall
// from one level to the next; only past the table, where the need may stay the same for good (or shrink towards a
// need it then keeps), does the gain stop once no level ahead needs more than the experience.
TEST_F(CharacterScenarioTest, LevelGainStopsOnlyWhereNoLevelAheadNeedsMore) {
  struct Case {
    const char* name;
    std::array<uint32_t, 20> values;
    int32_t growth;
    int32_t level, experience;
    int32_t reached;
  };
  auto rising = [](std::initializer_list<uint32_t> first) {
    std::array<uint32_t, 20> values{};
    uint32_t need = 0;
    size_t i = 0;
    for (uint32_t value : first) values[i++] = need = value;
    for (; i < values.size(); ++i) values[i] = need += 100;
    return values;
  };
  std::array<uint32_t, 20> past{};
  for (size_t i = 0; i < past.size(); ++i) past[i] = static_cast<uint32_t>(i) * 50;
  past[18] = 1000;
  past[19] = 1500;
  const Case cases[] = {
      {"Steady", rising({0, 100, 100, 200}), 0, 0, 150, 3},  // level 3 needs what level 2 needs
      {"Falling", rising({0, 100, 50, 200}), 0, 0, 150, 3},
      {"Flat", {}, 0, 0, 5, 21},  // every level needs 0: the table's twenty levels and one past it
      {"Shrinking", past, -5, 20, 1800, 21},  // 1750 for level 21, then 1630, 1570, ... 1510 for good
      {"Growing", past, 5, 20, 2700, 22},     // 2250, 2620, then 3180
  };
  for (const Case& c : cases) {
    sw::SkillTableSpec table;
    table.levelValues = c.values;
    table.growthNumber = c.growth;
    Files().Add(std::string("Players/Skill Tables/") + c.name + ".skt", sw::EncodeSkillTable(table));
    Files().Add(std::string("Players/Classes/") + c.name + ".cls", sw::EncodeClass({}));
  }
  Load();
  Character& c = Player();
  const int16_t magic = c.base.maxMagic;
  c.experience = 5;
  c.ApplyLevelUps();  // without a skill table nothing is ever due
  EXPECT_EQ(c.level, 0);
  EXPECT_EQ(c.NextLevelNeeded(), 0.0);
  size_t shown = 0;
  for (const Case& k : cases) {
    c.SetClass(FindClassByName(k.name));
    c.ResolveLinkedRecord();
    c.level = k.level;
    c.experience = k.experience;
    for (int32_t i = k.level; i < k.reached; ++i) AnswerMessage();
    c.ApplyLevelUps();
    EXPECT_EQ(c.level, k.reached) << k.name;
    shown += static_cast<size_t>(k.reached - k.level);
    EXPECT_EQ(Shown().size(), shown) << k.name;
  }
  // A class without spells gives no magic.
  EXPECT_EQ(c.base.maxMagic, magic);
}

}  // namespace
