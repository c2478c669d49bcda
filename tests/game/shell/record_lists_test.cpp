#include "game/shell/record_lists.h"

#include <gtest/gtest.h>

#include "game/rules/character.h"
#include "game/shell/data/data_stream.h"
#include "tests/support/archive_fixtures.h"
#include "tools/scenario_writer/record_writer.h"

namespace {

namespace sw = scenario_writer;

// A spell read from a stream named after a path, as the folder walk hands each file over.
void ReadSpell(const std::string& path) {
  auto stream = test_support::MemoryStreamOver(sw::EncodeSpell({}));
  stream->SetPath(path);
  ReadSpellFile(*stream);
}

class RecordListsTest : public ::testing::Test {
 protected:
  void TearDown() override { ClearRecordLists(); }
};

TEST_F(RecordListsTest, NewRecordsGoInFrontAndFindIgnoresCase) {
  ReadSpell("Players/Spells/Fire.spl");
  ReadSpell("Players/Spells/FIRE.spl");
  ReadSpell("Players/Spells/Ice.spl");
  std::vector<std::string> names;
  for (const auto& spell : SpellList()) names.push_back(spell->GetName());
  EXPECT_EQ(names, (std::vector<std::string>{"Ice", "FIRE", "Fire"}));
  // Of two names that differ only in case the later file stands first.
  ASSERT_NE(FindSpellByName("fire"), nullptr);
  EXPECT_EQ(FindSpellByName("fire")->GetName(), "FIRE");
  EXPECT_EQ(FindSpellByName("ICE")->GetName(), "Ice");
  EXPECT_EQ(FindSpellByName("Ic"), nullptr);
  EXPECT_EQ(FindSpellByName(""), nullptr);
}

TEST_F(RecordListsTest, ClearingTheListsDropsTheSpellsQueuedFromThem) {
  ReadSpell("Players/Spells/Fire.spl");
  QueuePendingSpell(FindSpellByName("Fire"));
  ASSERT_TRUE(HasPendingSpells());
  ClearRecordLists();
  EXPECT_FALSE(HasPendingSpells());
}

TEST_F(RecordListsTest, AnEmptyNameIsFoundOnlyWhenARecordHasOne) {
  ReadSpell("Players/Spells/");
  EXPECT_EQ(FindSpellByName(""), nullptr);  // the name is the whole path here
  ReadSpell("");
  EXPECT_NE(FindSpellByName(""), nullptr);
}

// Short data does not fail a record: one cut short loads, with zeros past its end, and is listed.
TEST_F(RecordListsTest, ARecordCutShortIsListed) {
  sw::ItemSpec fields;
  fields.lastValue = 9;
  sw::Bytes item = sw::EncodeItem(fields);
  auto stream = test_support::MemoryStreamOver(sw::Bytes(item.begin(), item.end() - 1));
  stream->SetPath("Items/Broken.itm");
  ReadItemFile(*stream);
  ASSERT_EQ(ItemList().Size(), 1u);
  EXPECT_EQ(FindItemByName("Broken")->lastValue, 0);
  EXPECT_FALSE(AnyClassAvailable());
  EXPECT_FALSE(AnyClassUnavailable());
}

TEST_F(RecordListsTest, NpcDefinitionsAreFoundIgnoringCase) {
  auto stream = test_support::MemoryStreamOver(sw::EncodeNpc({}));
  stream->SetPath("NPCs/Wolf.npc");
  ReadNpcFile(*stream);
  ASSERT_NE(FindNpcByName("WOLF"), nullptr);
  EXPECT_EQ(FindNpcByName("WOLF")->GetName(), "Wolf");
  EXPECT_EQ(FindNpcByName("Wol"), nullptr);
}

}  // namespace
