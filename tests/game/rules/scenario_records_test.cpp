// Every record kind as the scenario writer writes it and the game loads it, from a packed archive and from a loose
// tree; and what every kind still loads: a cut record (zeros and empty texts past its end), a count that its bytes
// do not hold, an action without a kind.
#include "game/rules/scenario_records.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>

#include "game/shell/data/data_archive.h"
#include "game/shell/data/data_paths.h"
#include "game/shell/data/string_utils.h"
#include "game/shell/record_lists.h"
#include "tests/game/rules/record_expectations.h"
#include "tests/support/archive_fixtures.h"
#include "tests/support/scenario_folder_fixture.h"
#include "tools/scenario_writer/record_writer.h"
#include "tools/scenario_writer/scenario_files.h"

namespace {

namespace sw = scenario_writer;
using namespace record_expectations;
using test_support::MemoryStreamOver;

sw::EventSpec SayEvent(const std::string& text, int16_t flag = 0) {
  return sw::EventSpec{{{"", "Display message", {text}}}, {{"then", "End", {}}}, flag};
}

sw::SpellSpec BoltSpec() {
  sw::SpellSpec s;
  s.text = "A bolt of light";
  s.firstValue = 1, s.magicCost = 4, s.duration = 3, s.kindValue = 1, s.targetKind = 2, s.sixthValue = -6;
  s.damageMin = 2, s.damageMax = 9, s.damageKind = 4, s.effectKind = 1;
  s.effectNumber = "17";
  s.extraA = 11, s.extraB = -12, s.rangeMin = 1, s.rangeMax = 6;
  for (int32_t i = 0; i < kModifierCount; ++i) s.modifiers[i] = static_cast<int16_t>(i % 2 == 0 ? i + 1 : -i - 1);
  s.condition = sw::ActionSpec{"", "Conditional", {"Magic Points:is greater than:3", "1"}};
  s.events = {SayEvent("cast"), SayEvent("tick", 1)};
  s.pictureName = "Bolt.cam";
  s.repeatAnimation = 1;
  s.showOnTarget = 1;
  return s;
}

sw::SpellSpec MendSpec() {
  sw::SpellSpec s;
  s.text = "Mends wounds";
  s.duration = 1;
  return s;
}

sw::RaceSpec ElfSpec() {
  sw::RaceSpec r;
  r.text = "Fair folk";
  for (int32_t i = 0; i < 15; ++i) r.values[static_cast<size_t>(i)] = static_cast<int16_t>(100 - i);
  return r;
}

sw::ClassSpec RangerSpec() {
  sw::ClassSpec c;
  c.text = "Keeps the woods";
  for (int32_t i = 0; i < 15; ++i) c.values[static_cast<size_t>(i)] = static_cast<int16_t>(i * 3 - 7);
  c.itemPermissions = {1, 0, 0, 2, 0, -1, 0, 0};
  c.spellNames = {"Bolt", "Nothing", "mend"};
  return c;
}

sw::SkillTableSpec RangerTableSpec() {
  sw::SkillTableSpec t;
  for (uint32_t i = 0; i < 20; ++i) t.levelValues[i] = (i + 1) * 100;
  t.levelValues[19] = 4000000000u;  // above the signed range
  t.growthNumber = 5;
  t.levelEvents = {{0, "EveryLevel"}, {3, "Third"}};
  return t;
}

sw::ItemSpec BowSpec() {
  sw::ItemSpec b;
  b.description = "A long bow";
  b.secondText = "second";
  b.generalAction = {{"Polish", std::nullopt}, "polish.aiff", std::nullopt};  // a named event is not kept
  b.kind = 1, b.permissionIndex = 2, b.hands = 2, b.price = 150;
  for (int32_t i = 0; i < kModifierCount; ++i) b.modifiers[i] = static_cast<int16_t>(i - 5);
  b.firstProjectileValue = 4;
  b.replacementName = "Broken bow";
  b.spellName = "bolt";
  b.charges = 5;
  b.spellTrigger = 1;
  b.namedActions = {
      {{"", SayEvent("hit")}, "twang.aiff", sw::ActionSpec{"", "Conditional", {"Luck:is greater than:2", "1"}}},
      {{"", std::nullopt}, "miss.aiff", std::nullopt},
      {{"OnEquip", std::nullopt}, "", std::nullopt},
      {},
      {{"", SayEvent("dropped", 2)}, "thud.aiff", std::nullopt},
  };
  b.classNames = {"Ranger", "HUNTER"};
  b.attackKindValue = 3;
  b.secondProjectileText = "12";
  b.attackPictureName = "Arrow.cam";
  b.damageKind = 2;
  b.flagExtra = 1;
  b.thirdText = "third";
  b.flags = {1, 0, 7};
  b.pictureName = "bow.png";
  b.lastValue = 200;
  return b;
}

sw::ItemSpec PotionSpec() {
  sw::ItemSpec p;
  p.description = "Red and fizzy";
  p.generalAction = {{"", SayEvent("sip")}, "", sw::ActionSpec{"", "Conditional", {"Stamina Points:is less than:5"}}};
  p.kind = 7;
  p.price = 20;
  p.spellName = "Nothing";  // no such spell: none
  p.charges = -1;
  p.namedActions = {{{"", SayEvent("gulp")}, "gulp.aiff", std::nullopt}, {}};
  p.secondProjectileText = "";
  p.pictureFlag = 0;
  p.pictureName = "dropped because the flag is 0";
  return p;
}

sw::NpcSpec WolfSpec() {
  sw::NpcSpec n;
  n.spriteText = "wolf.cam";
  n.maxStamina = 12, n.maxMagic = 3, n.unusedA = {77, 78};
  n.minDamage = 1, n.maxDamage = 4, n.damageKind = 1, n.strength = 9, n.dexterity = 8, n.vitality = 7, n.wisdom = 2;
  n.morale = 5, n.luck = -1, n.speed = 6, n.perception = 10, n.unusedB = 79;
  n.chemicalProtection = 11, n.fireProtection = -12, n.coldProtection = 13, n.electricalProtection = 14;
  n.naturalProtection = 15;
  n.noticeRange = 6, n.actionInterval = 900, n.level = 3, n.experience = 40, n.gold = 7;
  n.spellNames = {"Bolt", "Nothing"};
  n.startItemNames = {"Fang", "Pelt"};
  n.behaviourKind = 2, n.moveInterval = 400, n.wanderRadius = 3, n.movementMode = 2;
  n.destinationX = 4, n.destinationY = 7;
  n.events = {sw::EventReferenceSpec{"", SayEvent("growl")}, sw::EventReferenceSpec{"Howl", std::nullopt},
              sw::EventReferenceSpec{}, sw::EventReferenceSpec{"", SayEvent("whimper", 1)}};
  return n;
}

sw::NpcSpec GhostSpec() {
  sw::NpcSpec n;
  n.spriteText = "ghost";
  n.maxMagic = 30;  // no stamina: it takes no side
  return n;
}

sw::ScenarioFiles Scenario() {
  sw::ScenarioFiles files;
  files.AddEmptyRecordFolders();
  files.Add("Players/Spells/Bolt.spl", sw::EncodeSpell(BoltSpec()));
  files.Add("Players/Spells/Mend.spl", sw::EncodeSpell(MendSpec()));
  files.Add("Players/Races/Elf.rce", sw::EncodeRace(ElfSpec()));
  files.Add("Players/Classes/Ranger.cls", sw::EncodeClass(RangerSpec()));
  files.Add("Players/Skill Tables/Ranger.skt", sw::EncodeSkillTable(RangerTableSpec()));
  files.Add("Items/Bow.itm", sw::EncodeItem(BowSpec()));
  files.Add("Items/Potion.itm", sw::EncodeItem(PotionSpec()));
  files.Add("NPCs/Wolf.npc", sw::EncodeNpc(WolfSpec()));
  files.Add("NPCs/Ghost.npc", sw::EncodeNpc(GhostSpec()));
  return files;
}

void ExpectSpell(const SpellRecord* spell, const sw::SpellSpec& s) {
  ASSERT_NE(spell, nullptr);
  EXPECT_TRUE(spell->IsLoaded());
  EXPECT_EQ(spell->text, s.text);
  EXPECT_EQ((std::array{spell->firstValue, spell->magicCost, spell->duration, spell->kindValue, spell->targetKind,
                        spell->sixthValue, spell->damageMin, spell->damageMax, spell->damageKind, spell->effectKind}),
            (std::array{s.firstValue, s.magicCost, s.duration, s.kindValue, s.targetKind, s.sixthValue, s.damageMin,
                        s.damageMax, s.damageKind, s.effectKind}));
  EXPECT_EQ(spell->IsKindOne(), s.kindValue == 1);
  EXPECT_EQ(spell->IsKindZero(), s.kindValue == 0);
  EXPECT_EQ(spell->effectNumber, ParseInt(s.effectNumber));
  EXPECT_EQ((std::array{spell->extraA, spell->extraB, spell->rangeMin, spell->rangeMax}),
            (std::array{s.extraA, s.extraB, s.rangeMin, s.rangeMax}));
  EXPECT_EQ(spell->modifiers, s.modifiers);
  ExpectOptionalAction(spell->condition.get(), s.condition);
  for (size_t slot = 0; slot < spell->events.size(); ++slot) {
    if (slot < s.events.size()) {
      ExpectEvent(spell->events[slot].get(), s.events[slot]);
    } else {
      EXPECT_EQ(spell->events[slot], nullptr);
    }
  }
  EXPECT_EQ(spell->pictureName, s.pictureName);
  EXPECT_EQ(spell->repeatAnimation, s.repeatAnimation);
  EXPECT_EQ(spell->showOnTarget, s.showOnTarget != 0);
}

void ExpectItem(const ItemRecord* item, const sw::ItemSpec& s) {
  ASSERT_NE(item, nullptr);
  EXPECT_TRUE(item->IsLoaded());
  EXPECT_EQ(item->description, s.description);
  EXPECT_EQ(item->secondText, s.secondText);
  ExpectItemAction(item->generalAction.get(), s.generalAction);
  EXPECT_EQ((std::array{item->kind, item->permissionIndex, item->hands, item->price, item->firstProjectileValue}),
            (std::array{s.kind, s.permissionIndex, s.hands, s.price, s.firstProjectileValue}));
  EXPECT_EQ(item->modifiers, s.modifiers);
  EXPECT_EQ(item->replacementName, s.replacementName);
  EXPECT_EQ(item->HasReplacement(), !s.replacementName.empty());
  EXPECT_EQ(item->spell, FindSpellByName(s.spellName));
  EXPECT_EQ(item->HasSpell(), FindSpellByName(s.spellName) != nullptr);
  EXPECT_EQ(item->charges, s.charges);
  EXPECT_EQ(item->spellTrigger, s.spellTrigger);
  ASSERT_EQ(item->namedActions.size(), static_cast<size_t>(NamedActionCount(s.kind)));
  for (size_t i = 0; i < item->namedActions.size(); ++i) {
    ExpectItemAction(item->namedActions[i].get(), i < s.namedActions.size() ? s.namedActions[i] : sw::ItemActionSpec{});
  }
  std::vector<std::string> lowered = s.classNames;
  for (std::string& name : lowered) ToLowerInPlace(name);
  EXPECT_EQ(item->classNames, lowered);
  EXPECT_EQ(item->attackKindValue, s.attackKindValue);
  EXPECT_EQ(item->AttackKind(), s.firstProjectileValue < 2 ? 1 : s.attackKindValue);
  EXPECT_EQ(item->secondProjectileValue, ParseInt(s.secondProjectileText));
  std::string attackPath;
  if (!s.attackPictureName.empty()) PicturePath(attackPath, s.attackPictureName);
  EXPECT_EQ(item->attackPicturePath, attackPath);
  EXPECT_EQ(item->damageKind, s.damageKind);
  EXPECT_EQ(item->flagExtra, s.flagExtra != 0);
  EXPECT_EQ(item->thirdText, s.thirdText);
  EXPECT_EQ(item->flags, (std::array{s.flags[0] != 0, s.flags[1] != 0, s.flags[2] != 0}));
  EXPECT_EQ(item->pictureName, s.pictureFlag != 0 ? s.pictureName : "");
  EXPECT_EQ(item->lastValue, s.lastValue);
  int32_t rank = 0;
  for (int32_t m = 0; m < kModifierChemicalProtection; ++m) rank += s.modifiers[m];
  EXPECT_EQ(item->rank, rank);
}

void ExpectNpc(const NpcDefinition* npc, const sw::NpcSpec& n) {
  ASSERT_NE(npc, nullptr);
  EXPECT_TRUE(npc->IsLoaded());
  EXPECT_EQ(npc->spriteText, n.spriteText);
  EXPECT_EQ((std::array{npc->maxStamina, npc->maxMagic, npc->minDamage, npc->maxDamage, npc->damageKind,
                        npc->strength, npc->dexterity, npc->vitality, npc->wisdom, npc->karma, npc->morale, npc->luck,
                        npc->speed, npc->perception, npc->chemicalProtection, npc->fireProtection,
                        npc->coldProtection, npc->electricalProtection, npc->naturalProtection}),
            (std::array<int16_t, 19>{n.maxStamina, n.maxMagic, n.minDamage, n.maxDamage, n.damageKind, n.strength,
                                     n.dexterity, n.vitality, n.wisdom, 0, n.morale, n.luck, n.speed, n.perception,
                                     n.chemicalProtection, n.fireProtection, n.coldProtection,
                                     n.electricalProtection, n.naturalProtection}));
  EXPECT_EQ((std::array{npc->noticeRange, npc->actionInterval, npc->level, npc->experience, npc->gold}),
            (std::array{n.noticeRange, n.actionInterval, n.level, n.experience, n.gold}));
  ASSERT_EQ(npc->spells.size(), n.spellNames.size());
  for (size_t i = 0; i < n.spellNames.size(); ++i) EXPECT_EQ(npc->spells[i], FindSpellByName(n.spellNames[i]));
  EXPECT_EQ(npc->startItemNames, n.startItemNames);
  EXPECT_EQ((std::array{npc->behaviourKind, npc->moveInterval, npc->wanderRadius, npc->movementMode,
                        npc->destinationX, npc->destinationY}),
            (std::array{n.behaviourKind, n.moveInterval, n.wanderRadius, n.movementMode, n.destinationX,
                        n.destinationY}));
  for (size_t i = 0; i < npc->events.size(); ++i) ExpectEventReference(npc->events[i].get(), n.events[i]);
  EXPECT_EQ(npc->side, n.maxStamina > 0 ? -1 : 0);
}

class ScenarioRecordsTest : public ScenarioFolderTest {
 protected:
  static void ExpectScenario() {
    EXPECT_EQ(SpellList().Size(), 2u);
    ExpectSpell(FindSpellByName("Bolt"), BoltSpec());
    ExpectSpell(FindSpellByName("Mend"), MendSpec());

    RaceRecord* elf = FindRaceByName("Elf");
    ASSERT_NE(elf, nullptr);
    EXPECT_EQ(elf->text, ElfSpec().text);
    EXPECT_EQ(elf->values, ElfSpec().values);
    EXPECT_EQ(elf->Value(1), 100);
    EXPECT_EQ(elf->Value(15), 86);
    EXPECT_EQ(elf->Value(16), 0);

    ClassRecord* ranger = FindClassByName("Ranger");
    ASSERT_NE(ranger, nullptr);
    EXPECT_EQ(ranger->text, RangerSpec().text);
    EXPECT_EQ(ranger->values, RangerSpec().values);
    EXPECT_EQ(ranger->itemPermissions, (std::array{true, false, false, true, false, true, false, false}));
    EXPECT_TRUE(ranger->HasItemPermission(4));
    EXPECT_FALSE(ranger->HasItemPermission(0));
    EXPECT_FALSE(ranger->HasItemPermission(9));
    // A spell the scenario does not have leaves an empty entry.
    EXPECT_EQ(ranger->spells,
              (std::vector<SpellRecord*>{FindSpellByName("Bolt"), nullptr, FindSpellByName("Mend")}));

    ASSERT_EQ(SkillTableList().Size(), 1u);
    const SkillTable& table = **SkillTableList().begin();
    EXPECT_TRUE(NamesEqualIgnoringCase(table.GetName(), "Ranger"));
    EXPECT_EQ(table.levelValues, RangerTableSpec().levelValues);
    EXPECT_EQ(table.growthNumber, 5);
    EXPECT_FLOAT_EQ(table.growthFactor, 0.5f);
    ASSERT_EQ(table.levelEvents.size(), 2u);
    EXPECT_EQ(table.levelEvents[0]->level, 0);
    EXPECT_EQ(table.levelEvents[0]->eventName, "EveryLevel");
    EXPECT_EQ(table.levelEvents[1]->level, 3);
    EXPECT_EQ(table.levelEvents[1]->eventName, "Third");
    EXPECT_EQ(table.levelEvents[1]->event, nullptr);

    EXPECT_EQ(ItemList().Size(), 2u);
    ExpectItem(FindItemByName("Bow"), BowSpec());
    ExpectItem(FindItemByName("Potion"), PotionSpec());

    EXPECT_EQ(NpcList().Size(), 2u);
    ExpectNpc(FindNpcByName("wolf"), WolfSpec());
    ExpectNpc(FindNpcByName("Ghost"), GhostSpec());
  }
};

TEST_F(ScenarioRecordsTest, EveryKindLoadsWholeFromAnArchiveAndFromALooseTree) {
  sw::ScenarioFiles files = Scenario();
  std::string error;
  ASSERT_TRUE(files.WriteLooseTree(temp_.PosixPath("Vale"), &error)) << error;
  ASSERT_TRUE(files.WriteArchive(temp_.PosixPath("Data001.dat"), &error)) << error;
  for (auto [path, archiveOnly] : {std::pair{"Vale", false}, std::pair{"Data001.dat", true}}) {
    SCOPED_TRACE(path);
    ASSERT_EQ(DataArchive::Open(path, archiveOnly), 0);
    LoadScenarioData(false);
    ExpectScenario();
    ClearRecordLists();
  }
}

// Each kind's reader over bytes; gives whether the record loaded.
using Reader = std::function<bool(DataStream&)>;

template <typename Record>
Reader ReaderOf() {
  return [](DataStream& stream) { return Record(stream).IsLoaded(); };
}

bool Loads(const Reader& reader, const sw::Bytes& bytes) {
  auto stream = MemoryStreamOver(bytes);
  return reader(*stream);
}

struct Kind {
  const char* name;
  Reader reader;
  sw::Bytes whole;
};

std::vector<Kind> EveryKind() {
  return {
      {"event", ReaderOf<ScriptEvent>(), sw::EncodeEvent(SayEvent("hello", 1))},
      {"item action", ReaderOf<ItemActionRecord>(), sw::EncodeItemAction(BowSpec().namedActions[0])},
      {"level event", ReaderOf<LevelEvent>(), sw::EncodeLevelEvent({3, "Third"})},
      {"spell", ReaderOf<SpellRecord>(), sw::EncodeSpell(BoltSpec())},
      {"race", ReaderOf<RaceRecord>(), sw::EncodeRace(ElfSpec())},
      {"class", ReaderOf<ClassRecord>(), sw::EncodeClass(RangerSpec())},
      {"skill table", ReaderOf<SkillTable>(), sw::EncodeSkillTable(RangerTableSpec())},
      {"NPC definition", ReaderOf<NpcDefinition>(), sw::EncodeNpc(WolfSpec())},
      {"item", ReaderOf<ItemRecord>(), sw::EncodeItem(BowSpec())},
      {"consumable item", ReaderOf<ItemRecord>(), sw::EncodeItem(PotionSpec())},
  };
}

TEST(RecordReadersTest, EveryCutOfEveryKindLoads) {
  for (const Kind& kind : EveryKind()) {
    SCOPED_TRACE(kind.name);
    EXPECT_TRUE(Loads(kind.reader, kind.whole));
    for (size_t cut = 0; cut < kind.whole.size(); ++cut) {
      EXPECT_TRUE(Loads(kind.reader, sw::Bytes(kind.whole.begin(), kind.whole.begin() + static_cast<long>(cut))))
          << "cut at " << cut << " of " << kind.whole.size();
    }
  }
}

// The record without its last bytes.
sw::Bytes WithoutLast(sw::Bytes bytes, size_t count) {
  bytes.resize(bytes.size() - count);
  return bytes;
}

TEST(RecordReadersTest, ARecordWithoutItsLastFieldsHasThemZeroOrEmpty) {
  {
    // Picture flag, picture name "bow.png" and last value: 1 + 8 + 1 bytes.
    auto stream = MemoryStreamOver(WithoutLast(sw::EncodeItem(BowSpec()), 10));
    sw::ItemSpec expected = BowSpec();
    expected.pictureName = "";
    expected.lastValue = 0;
    ItemRecord item(*stream);
    ExpectItem(&item, expected);
  }
  {
    // Picture name "Bolt.cam", repeatAnimation and showOnTarget: 9 + 2 + 2 bytes.
    auto stream = MemoryStreamOver(WithoutLast(sw::EncodeSpell(BoltSpec()), 13));
    sw::SpellSpec expected = BoltSpec();
    expected.pictureName = "";
    expected.repeatAnimation = 0;
    expected.showOnTarget = 0;
    SpellRecord spell(*stream);
    ExpectSpell(&spell, expected);
  }
  {
    // The four event references, the first and last with their bodies.
    sw::NpcSpec expected = WolfSpec();
    expected.events = {};
    const size_t withoutEvents = sw::EncodeNpc(expected).size() - 4;
    sw::Bytes whole = sw::EncodeNpc(WolfSpec());
    auto stream = MemoryStreamOver(WithoutLast(whole, whole.size() - withoutEvents));
    NpcDefinition npc(*stream);
    ExpectNpc(&npc, expected);
  }
  {
    // The last spell name "mend": its entry stays, empty.
    auto stream = MemoryStreamOver(WithoutLast(sw::EncodeClass(RangerSpec()), 5));
    ClassRecord ranger(*stream);
    EXPECT_TRUE(ranger.IsLoaded());
    EXPECT_EQ(ranger.spells, (std::vector<SpellRecord*>{FindSpellByName("Bolt"), nullptr, nullptr}));
  }
  {
    // The last level event (level 3, "Third"): level 0 and no name.
    auto stream = MemoryStreamOver(WithoutLast(sw::EncodeSkillTable(RangerTableSpec()), 8));
    SkillTable table(*stream);
    EXPECT_TRUE(table.IsLoaded());
    ASSERT_EQ(table.levelEvents.size(), 2u);
    EXPECT_EQ(table.levelEvents[0]->eventName, "EveryLevel");
    EXPECT_EQ(table.levelEvents[1]->level, 0);
    EXPECT_EQ(table.levelEvents[1]->eventName, "");
  }
  {
    // The fifteenth value.
    auto stream = MemoryStreamOver(WithoutLast(sw::EncodeRace(ElfSpec()), 2));
    RaceRecord elf(*stream);
    std::array<int16_t, 15> values = ElfSpec().values;
    values[14] = 0;
    EXPECT_TRUE(elf.IsLoaded());
    EXPECT_EQ(elf.values, values);
  }
}

void PutInt16(sw::Bytes& bytes, size_t at, int16_t value) {
  bytes.at(at) = static_cast<uint8_t>(static_cast<uint16_t>(value) >> 8);
  bytes.at(at + 1) = static_cast<uint8_t>(value);
}

TEST(RecordReadersTest, ACountOfZeroOrLessMeansNoneAndAHugeOneGivesEntriesOfZeros) {
  // Records whose counted lists are empty and whose strings are empty, with the place of the count.
  sw::ItemSpec item;
  item.kind = 0;
  struct Case {
    const char* what;
    Reader reader;
    sw::Bytes bytes;
    size_t countAt;
  } cases[] = {
      {"event main actions", ReaderOf<ScriptEvent>(), sw::EncodeEvent({}), 0},
      {"event labelled actions", ReaderOf<ScriptEvent>(), sw::EncodeEvent({}), 2},
      {"spell events", ReaderOf<SpellRecord>(), sw::EncodeSpell({}), 1 + 20 + 1 + 44 + 2},
      {"class spells", ReaderOf<ClassRecord>(), sw::EncodeClass({}), 1 + 30 + 16},
      {"skill table level events", ReaderOf<SkillTable>(), sw::EncodeSkillTable({}), 80 + 4},
      {"NPC spells", ReaderOf<NpcDefinition>(), sw::EncodeNpc({}), 1 + 8 + 14 + 10 + 8 + 12},
      {"NPC start items", ReaderOf<NpcDefinition>(), sw::EncodeNpc({}), 1 + 8 + 14 + 10 + 8 + 12 + 2},
      {"item class names", ReaderOf<ItemRecord>(), sw::EncodeItem(item), 1 + 1 + 4 + 8 + 6 + 2 + 30 + 1 + 1 + 4 + 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(Loads(c.reader, c.bytes));
    for (int16_t none : {int16_t{-1}, int16_t{-32768}}) {
      sw::Bytes bytes = c.bytes;
      ASSERT_EQ(bytes.at(c.countAt), 0);
      ASSERT_EQ(bytes.at(c.countAt + 1), 0);
      PutInt16(bytes, c.countAt, none);
      EXPECT_TRUE(Loads(c.reader, bytes)) << none;
    }
    sw::Bytes huge = c.bytes;
    PutInt16(huge, c.countAt, 32767);
    EXPECT_TRUE(Loads(c.reader, huge));
  }
  // A count that the bytes do not hold: the entries past the end of the data are empty.
  sw::Bytes huge = sw::EncodeClass({});
  PutInt16(huge, 1 + 30 + 16, 32767);
  auto hugeStream = MemoryStreamOver(huge);
  ClassRecord hugeClass(*hugeStream);
  EXPECT_EQ(hugeClass.spells, std::vector<SpellRecord*>(32767, nullptr));
  // The negative counts read nothing.
  sw::Bytes negative = sw::EncodeClass({});
  PutInt16(negative, 1 + 30 + 16, -3);
  auto stream = MemoryStreamOver(negative);
  EXPECT_TRUE(ClassRecord(*stream).spells.empty());
}

TEST(RecordReadersTest, AnActionWithoutAKindAnywhereInARecordHasNoParametersAndTheRecordReadsOn) {
  const sw::ActionSpec unknown{"", "Launch", {}};
  const sw::EventSpec holdsUnknown{{unknown}, {}, 0};
  sw::SpellSpec spellCondition = BoltSpec();
  spellCondition.condition = unknown;
  sw::SpellSpec spellEvent = BoltSpec();
  spellEvent.events.push_back(holdsUnknown);
  sw::ItemSpec generalCondition = BowSpec();
  generalCondition.generalAction.condition = unknown;
  sw::ItemSpec namedEvent = BowSpec();
  namedEvent.namedActions[3].event.body = holdsUnknown;
  sw::NpcSpec npcEvent = WolfSpec();
  npcEvent.events[2].body = holdsUnknown;
  for (const sw::SpellSpec& fields : {spellCondition, spellEvent}) {
    auto stream = MemoryStreamOver(sw::EncodeSpell(fields));
    SpellRecord spell(*stream);
    ExpectSpell(&spell, fields);
  }
  for (const sw::ItemSpec& fields : {generalCondition, namedEvent}) {
    auto stream = MemoryStreamOver(sw::EncodeItem(fields));
    ItemRecord item(*stream);
    ExpectItem(&item, fields);
  }
  auto stream = MemoryStreamOver(sw::EncodeNpc(npcEvent));
  NpcDefinition npc(*stream);
  ExpectNpc(&npc, npcEvent);
}

TEST(RecordReadersTest, ASpellWithSixEventsKeepsTheFirstFourAndReadsOnInStep) {
  sw::SpellSpec fields = MendSpec();
  for (int16_t flag = 1; flag <= 6; ++flag) fields.events.push_back(SayEvent("event " + std::to_string(flag), flag));
  fields.pictureName = "After";
  fields.repeatAnimation = 9;
  auto stream = MemoryStreamOver(sw::EncodeSpell(fields));
  SpellRecord spell(*stream);
  ASSERT_TRUE(spell.IsLoaded());
  for (size_t slot = 0; slot < kSpellEventSlots; ++slot) ExpectEvent(spell.events[slot].get(), fields.events[slot]);
  EXPECT_EQ(spell.pictureName, "After");
  EXPECT_EQ(spell.repeatAnimation, 9);
}

TEST(RecordReadersTest, DefaultClassesAndRacesJoinTheirListsWhichOwnThem) {
  ClassRecord* defaultClass = ClassRecord::CreateDefault();
  RaceRecord* defaultRace = RaceRecord::CreateDefault();
  ASSERT_EQ(ClassList().Size(), 1u);
  ASSERT_EQ(RaceList().Size(), 1u);
  EXPECT_EQ(ClassList().begin()->get(), defaultClass);
  EXPECT_EQ(RaceList().begin()->get(), defaultRace);
  EXPECT_TRUE(defaultClass->text.empty());
  EXPECT_EQ(defaultClass->values, (std::array<int16_t, 15>{}));
  EXPECT_EQ(defaultClass->itemPermissions, (std::array<bool, 8>{}));
  EXPECT_TRUE(defaultClass->spells.empty());
  ClearRecordLists();  // frees them
}

}  // namespace
