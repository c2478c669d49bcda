// Every record kind and an event body written out byte by byte from their layouts, without the scenario writer,
// and read field by field: a layout misread alike by the game's reader and the writer shows here.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "game/rules/class_race_records.h"
#include "game/rules/item_record.h"
#include "game/rules/npc_definition.h"
#include "game/rules/script_event.h"
#include "game/rules/skill_table.h"
#include "game/rules/spell_record.h"
#include "game/shell/record_lists.h"
#include "tests/support/archive_fixtures.h"
#include "tests/support/byte_builder.h"

namespace {

using test_support::ByteBuilder;
using test_support::MemoryStreamOver;

std::unique_ptr<DataStream> StreamOver(const ByteBuilder& bytes, const char* path) {
  auto stream = MemoryStreamOver(bytes.Bytes());
  stream->SetPath(path);
  return stream;
}

// An action record: label, action name, then the kind's parameters as long strings.
ByteBuilder& Action(ByteBuilder& b, const char* label, const char* name, const std::vector<std::string>& params) {
  b.ShortString(label).ShortString(name);
  for (const std::string& param : params) b.LongString(param);
  return b;
}

// An event body of one main action, "Call event" (one parameter), and no labelled actions.
ByteBuilder& CallBody(ByteBuilder& b, const char* event, int16_t flag) {
  b.Int16(1).Int16(0);
  return Action(b, "", "Call event", {event}).Int16(flag);
}

void ExpectAction(const ScriptAction& action, const char* label, const char* name,
                  const std::vector<std::string>& params) {
  EXPECT_TRUE(action.IsLoaded());
  EXPECT_EQ(action.label, label);
  EXPECT_EQ(action.actionName, name);
  EXPECT_EQ(action.params, params) << name;
}

void ExpectCallBody(const ScriptEvent* event, const char* called, int16_t flag) {
  ASSERT_NE(event, nullptr);
  ASSERT_EQ(event->MainCount(), 1);
  EXPECT_EQ(event->LabelledCount(), 0);
  ExpectAction(event->mainActions[0], "", "Call event", {called});
  EXPECT_EQ(event->flag, flag);
}

void ExpectReadWhole(const DataStream& stream, const ByteBuilder& bytes) {
  EXPECT_EQ(stream.GetError(), 0);
  EXPECT_EQ(stream.GetPosition(), bytes.Size());
}

const std::vector<std::string> kNoParameters;

TEST(HandWrittenRecordsTest, EventBodyWithMainAndLabelledActions) {
  ByteBuilder b;
  b.Int16(3).Int16(2);  // main and labelled counts
  Action(b, "", "Conditionnal", {"Gold:is greater than:5", "1", "", "rich", "poor"});
  Action(b, "", "End", {});
  Action(b, "", "Display message", {"", "Hello", "Yes", "rich", "No", "poor", "", "", "", "0"});
  Action(b, "rich", "Change Global", {"gb_mood", "1", "happy"});
  Action(b, "poor", "Call event", {"Beg"});
  b.Int16(3);  // flag
  auto stream = StreamOver(b, "Events/Defs/Greet.cet");
  ScriptEvent event(*stream);
  ASSERT_TRUE(event.IsLoaded());
  ExpectReadWhole(*stream, b);
  EXPECT_EQ(event.GetName(), "Greet");
  ASSERT_EQ(event.MainCount(), 3);
  ASSERT_EQ(event.LabelledCount(), 2);
  // "Conditionnal" is stored under its corrected name.
  ExpectAction(event.mainActions[0], "", "Conditional", {"Gold:is greater than:5", "1", "", "rich", "poor"});
  ExpectAction(event.mainActions[1], "", "End", kNoParameters);
  ExpectAction(event.mainActions[2], "", "Display message",
               {"", "Hello", "Yes", "rich", "No", "poor", "", "", "", "0"});
  ExpectAction(event.labelledActions[0], "rich", "Change Global", {"gb_mood", "1", "happy"});
  ExpectAction(event.labelledActions[1], "poor", "Call event", {"Beg"});
  EXPECT_EQ(event.flag, 3);
  EXPECT_TRUE(event.HasFlag());
}

TEST(HandWrittenRecordsTest, SpellWithConditionAndEvents) {
  ByteBuilder b;
  b.ShortString("A bolt of light");
  // firstValue, magicCost, duration, kindValue, targetKind, sixthValue, damageMin, damageMax, damageKind,
  // effectKind
  for (int16_t value : {1, 4, 3, 1, 2, -6, 2, 9, 4, 1}) b.Int16(value);
  b.ShortString("17");  // the effect number as text
  for (int16_t value : {11, -12, 1, 6}) b.Int16(value);  // extraA, extraB, rangeMin, rangeMax
  // The eighteen modifiers: minimum damage 1, maximum damage -2, ... electrical protection -18.
  for (int16_t m = 1; m <= 18; ++m) b.Int16(m % 2 == 1 ? m : -m);
  b.Int16(1);  // a condition follows
  Action(b, "", "Conditional", {"Magic Points:is greater than:3", "1", "", "", ""});
  b.Int16(5);  // five events: the fifth is read and dropped
  for (int16_t slot = 0; slot < 5; ++slot) CallBody(b, ("Slot" + std::to_string(slot)).c_str(), slot);
  b.ShortString("Bolt");
  b.Int16(2);  // repeatAnimation
  b.Int16(7);  // showOnTarget: not 0
  auto stream = StreamOver(b, "Players/Spells/Bolt.spl");
  SpellRecord spell(*stream);
  ASSERT_TRUE(spell.IsLoaded());
  ExpectReadWhole(*stream, b);
  EXPECT_EQ(spell.GetName(), "Bolt");
  EXPECT_EQ(spell.text, "A bolt of light");
  EXPECT_EQ((std::array{spell.firstValue, spell.magicCost, spell.duration, spell.kindValue, spell.targetKind,
                        spell.sixthValue, spell.damageMin, spell.damageMax, spell.damageKind, spell.effectKind}),
            (std::array<int16_t, 10>{1, 4, 3, 1, 2, -6, 2, 9, 4, 1}));
  EXPECT_EQ(spell.effectNumber, 17);
  EXPECT_EQ((std::array{spell.extraA, spell.extraB, spell.rangeMin, spell.rangeMax}),
            (std::array<int16_t, 4>{11, -12, 1, 6}));
  // Minimum damage, maximum damage, special damage, natural protection, maximum stamina, maximum magic, strength,
  // dexterity, vitality, wisdom, karma, luck, speed, perception, chemical, fire, cold, electrical protection.
  EXPECT_EQ(spell.modifiers, (RecordModifiers{1, -2, 3, -4, 5, -6, 7, -8, 9, -10, 11, -12, 13, -14, 15, -16, 17, -18}));
  ASSERT_NE(spell.condition, nullptr);
  ExpectAction(*spell.condition, "", "Conditional", {"Magic Points:is greater than:3", "1", "", "", ""});
  for (int16_t slot = 0; slot < 4; ++slot) {
    ExpectCallBody(spell.events[static_cast<size_t>(slot)].get(), ("Slot" + std::to_string(slot)).c_str(), slot);
  }
  EXPECT_EQ(spell.pictureName, "Bolt");
  EXPECT_EQ(spell.repeatAnimation, 2);
  EXPECT_TRUE(spell.showOnTarget);
}

// Class, NPC and item records look their spells up by name as they read.
class HandWrittenRecordsWithSpellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto bolt = std::make_unique<SpellRecord>();
    bolt->SetName("Players/Spells/Bolt.spl");
    bolt_ = bolt.get();
    SpellList().InsertFront(std::move(bolt));
  }
  void TearDown() override { ClearRecordLists(); }

  SpellRecord* bolt_ = nullptr;
};

TEST_F(HandWrittenRecordsWithSpellTest, SkillTableClassAndRace) {
  ByteBuilder table;
  for (int64_t level = 1; level <= 18; ++level) table.Int32(level * 100);
  table.Int32(1000).Int32(4000000000);  // t19, and t20 above the signed range
  table.Int32(5);                        // growth number: factor 0.5
  table.Int16(2).Int16(0).ShortString("EveryLevel").Int16(3).ShortString("Third");
  auto tableStream = StreamOver(table, "Players/Skill Tables/Ranger.skt");
  SkillTable skills(*tableStream);
  ASSERT_TRUE(skills.IsLoaded());
  ExpectReadWhole(*tableStream, table);
  EXPECT_EQ(skills.GetName(), "Ranger");
  for (uint32_t level = 1; level <= 18; ++level) EXPECT_EQ(skills.levelValues[level - 1], level * 100);
  EXPECT_EQ(skills.levelValues[18], 1000u);
  EXPECT_EQ(skills.levelValues[19], 4000000000u);
  EXPECT_EQ(skills.growthNumber, 5);
  EXPECT_FLOAT_EQ(skills.growthFactor, 0.5f);
  ASSERT_EQ(skills.levelEvents.size(), 2u);
  EXPECT_EQ(skills.levelEvents[0]->level, 0);
  EXPECT_EQ(skills.levelEvents[0]->eventName, "EveryLevel");
  EXPECT_EQ(skills.levelEvents[1]->level, 3);
  EXPECT_EQ(skills.levelEvents[1]->eventName, "Third");

  ByteBuilder cls;
  cls.ShortString("Keeps the woods");
  for (int16_t value = 1; value <= 15; ++value) cls.Int16(value * 3 - 7);  // values 1 to 15: -4, -1, 2, ...
  for (int16_t permission : {1, 0, 0, 2, 0, -1, 0, 0}) cls.Int16(permission);
  cls.Int16(3).ShortString("Bolt").ShortString("Nothing").ShortString("BOLT");
  auto classStream = StreamOver(cls, "Players/Classes/Ranger.cls");
  ClassRecord ranger(*classStream);
  ASSERT_TRUE(ranger.IsLoaded());
  ExpectReadWhole(*classStream, cls);
  EXPECT_EQ(ranger.GetName(), "Ranger");
  EXPECT_EQ(ranger.text, "Keeps the woods");
  for (int16_t number = 1; number <= 15; ++number) EXPECT_EQ(ranger.Value(number), number * 3 - 7) << number;
  EXPECT_EQ(ranger.itemPermissions, (std::array{true, false, false, true, false, true, false, false}));
  // A name that no spell has leaves an empty entry; names are found without regard to case.
  EXPECT_EQ(ranger.spells, (std::vector<SpellRecord*>{bolt_, nullptr, bolt_}));

  ByteBuilder race;
  race.ShortString("Fair folk");
  for (int16_t value = 1; value <= 15; ++value) race.Int16(100 - value);
  auto raceStream = StreamOver(race, "Players/Races/Elf.rce");
  RaceRecord elf(*raceStream);
  ASSERT_TRUE(elf.IsLoaded());
  ExpectReadWhole(*raceStream, race);
  EXPECT_EQ(elf.GetName(), "Elf");
  EXPECT_EQ(elf.text, "Fair folk");
  for (int16_t number = 1; number <= 15; ++number) EXPECT_EQ(elf.Value(number), 100 - number) << number;
}

TEST_F(HandWrittenRecordsWithSpellTest, NpcDefinition) {
  ByteBuilder b;
  b.ShortString("wolf.cam");
  b.Int16(12).Int16(3);        // maximum stamina, maximum magic
  b.Int16(77).Int16(78);       // dropped
  for (int16_t value : {1, 4, 5, 9, 8, 7, 2}) b.Int16(value);  // damage min, max, kind; str, dex, vit, wis
  for (int16_t value : {5, -1, 6, 10}) b.Int16(value);         // morale, luck, speed, perception
  b.Int16(79);                                                 // dropped
  for (int16_t value : {11, -12, 13, 14}) b.Int16(value);      // chemical, fire, cold, electrical protection
  b.Int16(15);                                                 // natural protection
  for (int16_t value : {6, 900, 3, 40, 7}) b.Int16(value);     // notice range, interval, level, experience, gold
  b.Int16(2).ShortString("Bolt").ShortString("Nothing");
  b.Int16(2).ShortString("Fang").ShortString("Pelt");
  for (int16_t value : {2, 400, 3, 1, 4, 7}) b.Int16(value);  // behaviour, move interval, radius, mode, x, y
  // Four event references: an inline body, a name (no event), nothing, and another inline body.
  CallBody(b.ShortString(":::"), "Growl", 0);
  b.ShortString("Howl");
  b.ShortString("");
  CallBody(b.ShortString(":::"), "Whimper", 1);
  auto stream = StreamOver(b, "NPCs/Wolf.npc");
  NpcDefinition wolf(*stream);
  ASSERT_TRUE(wolf.IsLoaded());
  ExpectReadWhole(*stream, b);
  EXPECT_EQ(wolf.GetName(), "Wolf");
  EXPECT_EQ(wolf.spriteText, "wolf.cam");
  EXPECT_EQ((std::array{wolf.maxStamina, wolf.maxMagic, wolf.minDamage, wolf.maxDamage, wolf.damageKind,
                        wolf.strength, wolf.dexterity, wolf.vitality, wolf.wisdom, wolf.karma, wolf.morale, wolf.luck,
                        wolf.speed, wolf.perception, wolf.chemicalProtection, wolf.fireProtection,
                        wolf.coldProtection, wolf.electricalProtection, wolf.naturalProtection}),
            (std::array<int16_t, 19>{12, 3, 1, 4, 5, 9, 8, 7, 2, 0, 5, -1, 6, 10, 11, -12, 13, 14, 15}));
  EXPECT_EQ((std::array{wolf.noticeRange, wolf.actionInterval, wolf.level, wolf.experience, wolf.gold}),
            (std::array<int16_t, 5>{6, 900, 3, 40, 7}));
  EXPECT_EQ(wolf.spells, (std::vector<SpellRecord*>{bolt_, nullptr}));
  EXPECT_EQ(wolf.startItemNames, (std::vector<std::string>{"Fang", "Pelt"}));
  EXPECT_EQ((std::array{wolf.behaviourKind, wolf.moveInterval, wolf.wanderRadius, wolf.movementMode,
                        wolf.destinationX, wolf.destinationY}),
            (std::array<int16_t, 6>{2, 400, 3, 1, 4, 7}));
  ExpectCallBody(wolf.events[0].get(), "Growl", 0);
  EXPECT_EQ(wolf.events[1], nullptr);
  EXPECT_EQ(wolf.events[2], nullptr);
  ExpectCallBody(wolf.events[3].get(), "Whimper", 1);
  EXPECT_EQ(wolf.side, -1);  // it has stamina
}

// An item action: event reference, sound, condition flag (and the condition), then the body after ":::".
ByteBuilder& ItemAction(ByteBuilder& b, const char* reference, const char* sound, const char* condition,
                        const char* called) {
  b.ShortString(reference).ShortString(sound).Int16(condition != nullptr ? 1 : 0);
  if (condition != nullptr) Action(b, "", "Conditional", {condition, "1", "", "", ""});
  if (called != nullptr) CallBody(b, called, 0);
  return b;
}

void ExpectItemAction(const ItemActionRecord* action, const char* sound, const char* condition,
                      const char* called) {
  ASSERT_NE(action, nullptr);
  EXPECT_TRUE(action->IsLoaded());
  EXPECT_EQ(action->soundName, sound);
  if (condition != nullptr) {
    ASSERT_NE(action->condition, nullptr);
    ExpectAction(*action->condition, "", "Conditional", {condition, "1", "", "", ""});
  } else {
    EXPECT_EQ(action->condition, nullptr);
  }
  if (called != nullptr) {
    ExpectCallBody(action->event.get(), called, 0);
  } else {
    EXPECT_EQ(action->event, nullptr);
  }
}

TEST_F(HandWrittenRecordsWithSpellTest, WeaponAndConsumableWithTheirItemActions) {
  // A weapon (kind 1): five named actions follow its numbers, the count not stored.
  ByteBuilder bow;
  bow.ShortString("A long bow").ShortString("second");
  ItemAction(bow, "Polish", "polish.aiff", nullptr, nullptr);  // a named event is read and not kept
  bow.Int16(1).Int16(2);                                        // kind, permission index
  bow.Int16(2).Int16(150);                                      // hands, price
  bow.Int16(1).Int16(-2).Int16(3);                              // minimum, maximum and special damage
  bow.Int16(4);                                                 // firstProjectileValue
  for (int16_t m = 4; m <= 18; ++m) bow.Int16(m % 2 == 1 ? m : -m);  // natural protection -4 ... electrical -18
  bow.ShortString("Broken bow").ShortString("bolt").Int16(5).Int16(1);  // replacement, spell, charges, trigger
  ItemAction(bow, ":::", "twang.aiff", "Luck:is greater than:2", "Hit");  // Attack
  ItemAction(bow, "", "miss.aiff", nullptr, nullptr);                      // Miss
  ItemAction(bow, "OnEquip", "", nullptr, nullptr);                        // Equip
  ItemAction(bow, "", "", nullptr, nullptr);                               // UnEquip
  ItemAction(bow, ":::", "thud.aiff", nullptr, "Dropped");                 // Drop
  bow.Int16(2).ShortString("Ranger").ShortString("HUNTER");
  bow.Int16(3).ShortString("12").ShortString("Arrow");  // attack kind, second projectile value, attack picture
  bow.Int16(2).Int16(1).ShortString("third");            // damage kind, flagExtra, thirdText
  bow.Byte(1).Byte(0).Byte(7);                            // three flags
  bow.Byte(1).ShortString("bow.png");                     // picture flag and name
  bow.Byte(42);                                           // lastValue
  auto stream = StreamOver(bow, "Items/Bow.itm");
  ItemRecord item(*stream);
  ASSERT_TRUE(item.IsLoaded());
  ExpectReadWhole(*stream, bow);
  EXPECT_EQ(item.GetName(), "Bow");
  EXPECT_EQ(item.description, "A long bow");
  EXPECT_EQ(item.secondText, "second");
  ExpectItemAction(item.generalAction.get(), "polish.aiff", nullptr, nullptr);
  EXPECT_EQ((std::array{item.kind, item.permissionIndex, item.hands, item.price, item.firstProjectileValue}),
            (std::array<int16_t, 5>{1, 2, 2, 150, 4}));
  EXPECT_EQ(item.modifiers, (RecordModifiers{1, -2, 3, -4, 5, -6, 7, -8, 9, -10, 11, -12, 13, -14, 15, -16, 17, -18}));
  EXPECT_EQ(item.replacementName, "Broken bow");
  EXPECT_EQ(item.spell, bolt_);
  EXPECT_EQ(item.charges, 5);
  EXPECT_EQ(item.spellTrigger, 1);
  ASSERT_EQ(item.namedActions.size(), 5u);
  ExpectItemAction(item.NamedAction(1), "twang.aiff", "Luck:is greater than:2", "Hit");
  ExpectItemAction(item.NamedAction(2), "miss.aiff", nullptr, nullptr);
  ExpectItemAction(item.NamedAction(3), "", nullptr, nullptr);
  ExpectItemAction(item.NamedAction(4), "", nullptr, nullptr);
  ExpectItemAction(item.NamedAction(5), "thud.aiff", nullptr, "Dropped");
  EXPECT_EQ(item.classNames, (std::vector<std::string>{"ranger", "hunter"}));
  EXPECT_EQ(item.attackKindValue, 3);
  EXPECT_EQ(item.secondProjectileValue, 12);
  EXPECT_EQ(item.attackPicturePath, "Pictures/Arrow");
  EXPECT_EQ(item.damageKind, 2);
  EXPECT_TRUE(item.flagExtra);
  EXPECT_EQ(item.thirdText, "third");
  EXPECT_EQ(item.flags, (std::array{true, false, true}));
  EXPECT_EQ(item.pictureName, "bow.png");
  EXPECT_EQ(item.lastValue, 42);
  EXPECT_EQ(item.rank, 1 - 2 + 3 - 4 + 5 - 6 + 7 - 8 + 9 - 10 + 11 - 12 + 13 - 14);  // not the four protections

  // A consumable (kind 7) carries two named actions; a picture flag of 0 empties the name that follows it.
  ByteBuilder potion;
  potion.ShortString("Red and fizzy").ShortString("");
  ItemAction(potion, ":::", "", "Stamina Points:is less than:5", "Sip");
  potion.Int16(7).Int16(0).Int16(0).Int16(20);
  for (int16_t m = 0; m < 19; ++m) potion.Int16(0);  // three damages, firstProjectileValue, fifteen modifiers
  potion.ShortString("").ShortString("Nothing").Int16(-1).Int16(0);
  ItemAction(potion, ":::", "gulp.aiff", nullptr, "Gulp");  // Use
  ItemAction(potion, "", "", nullptr, nullptr);              // Drop
  potion.Int16(0).Int16(0).ShortString("").ShortString("");
  potion.Int16(0).Int16(0).ShortString("");
  potion.Byte(0).Byte(0).Byte(0);
  potion.Byte(0).ShortString("dropped because the flag is 0");
  potion.Byte(0);
  auto potionStream = StreamOver(potion, "Items/Potion.itm");
  ItemRecord drink(*potionStream);
  ASSERT_TRUE(drink.IsLoaded());
  ExpectReadWhole(*potionStream, potion);
  EXPECT_EQ(drink.description, "Red and fizzy");
  ExpectItemAction(drink.generalAction.get(), "", "Stamina Points:is less than:5", "Sip");
  EXPECT_EQ(drink.kind, 7);
  EXPECT_EQ(drink.price, 20);
  EXPECT_EQ(drink.spell, nullptr);
  EXPECT_EQ(drink.charges, -1);
  ASSERT_EQ(drink.namedActions.size(), 2u);
  ExpectItemAction(drink.NamedAction(1), "gulp.aiff", nullptr, "Gulp");
  ExpectItemAction(drink.NamedAction(2), "", nullptr, nullptr);
  EXPECT_TRUE(drink.classNames.empty());
  EXPECT_EQ(drink.secondProjectileValue, 0);
  EXPECT_EQ(drink.attackPicturePath, "");
  EXPECT_EQ(drink.pictureName, "");
  EXPECT_EQ(drink.lastValue, 0);
}

}  // namespace
