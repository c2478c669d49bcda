#include "game/shell/record_lists.h"

#include <gtest/gtest.h>

#include "game/shell/data/data_stream.h"

namespace {

// A record read from an empty memory stream named after a path, as the folder walk hands each file over.
void ReadSpell(const std::string& path) {
  DataStream stream;
  ASSERT_TRUE(stream.CreateMemory(16));
  stream.SetPath(path);
  ReadSpellFile(stream);
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

TEST_F(RecordListsTest, AnEmptyNameIsFoundOnlyWhenARecordHasOne) {
  ReadSpell("Players/Spells/");
  EXPECT_EQ(FindSpellByName(""), nullptr);  // the name is the whole path here
  ReadSpell("");
  EXPECT_NE(FindSpellByName(""), nullptr);
}

TEST_F(RecordListsTest, ARecordThatDidNotLoadIsDropped) {
  DataStream stream;
  ASSERT_TRUE(stream.CreateMemory(16));
  stream.SetPath("Items/Broken.itm");
  stream.ReadInt32();  // a read past the end: the record cannot be complete
  ReadItemFile(stream);
  EXPECT_EQ(ItemList().Size(), 0u);
  EXPECT_FALSE(AnyClassAvailable());
  EXPECT_FALSE(AnyClassUnavailable());
}

}  // namespace
