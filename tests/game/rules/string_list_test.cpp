// The scenario's menu lists: entries keep their text whether their event loads or not, and indices outside the
// list, read as 16-bit numbers, reach nothing.
#include "game/rules/string_list.h"

#include <gtest/gtest.h>

#include "game/shell/data/data_archive.h"
#include "tests/support/archive_fixtures.h"
#include "tools/scenario_writer/config_writer.h"
#include "tools/scenario_writer/record_writer.h"
#include "tools/scenario_writer/scenario_files.h"

namespace {

namespace sw = scenario_writer;

class StringListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sw::ScenarioFiles files;
    files.Add("Events/Defs/Map.cet", sw::EncodeEvent({{{"", "End", {}}}, {}, 0}));
    sw::Bytes archive;
    ASSERT_TRUE(files.BuildArchive(archive));
    DataArchive::Install(test_support::ArchiveOver(archive), true);
  }
  void TearDown() override { DataArchive::Close(); }

  static std::unique_ptr<StringList> Read(const sw::MenuListSpec& fields) {
    auto stream = test_support::MemoryStreamOver(sw::StreamBytes([&](DataStream& s) { sw::WriteMenuList(s, fields); }));
    return std::make_unique<StringList>(*stream);
  }
};

TEST_F(StringListTest, AnEntryWhoseEventIsMissingKeepsItsText) {
  std::unique_ptr<StringList> list = Read({"Game", {{"Map/m", "Map"}, {"Journal/j", "Missing"}, {"-", ""}}});
  EXPECT_TRUE(list->IsLoaded());
  EXPECT_EQ(list->GetTitle(), "Game");
  ASSERT_EQ(list->GetCount(), 3);
  EXPECT_EQ(list->GetString(1), "Journal/j");
  EXPECT_EQ(list->GetString(2), "-");
  for (int32_t index = 0; index < 3; ++index) list->RunEntryEvent(index);  // the missing one runs nothing
}

TEST_F(StringListTest, IndicesOutsideTheListReachNothing) {
  std::unique_ptr<StringList> list = Read({"Help", {{"Rules", "Map"}}});
  for (int32_t index : {-1, 1, 32768, 65535, 65536 + 5}) {
    EXPECT_EQ(list->GetString(index), "") << index;
    list->RunEntryEvent(index);
  }
  EXPECT_EQ(list->GetString(65536), "Rules");  // read as a 16-bit number: index 0
}

TEST_F(StringListTest, ReadingAddsToTheEntriesHeldAndACutListLoadsWithEmptyTextsPastItsEnd) {
  std::unique_ptr<StringList> list = Read({"Help", {{"Rules", "Map"}}});
  sw::Bytes more = sw::StreamBytes([](DataStream& s) { sw::WriteMenuList(s, {"Again", {{"About", ""}}}); });
  auto stream = test_support::MemoryStreamOver(more);
  list->Read(*stream);
  ASSERT_EQ(list->GetCount(), 2);
  EXPECT_EQ(list->GetString(1), "About");

  // Without the length byte of the last event name: the entry stays, with no event.
  auto cut = test_support::MemoryStreamOver(sw::Bytes(more.begin(), more.end() - 1));
  StringList cutList(*cut);
  EXPECT_TRUE(cutList.IsLoaded());
  ASSERT_EQ(cutList.GetCount(), 1);
  EXPECT_EQ(cutList.GetString(0), "About");
}

}  // namespace
