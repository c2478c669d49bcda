// The scenario's menu lists: entries keep their text whether their event loads or not, a chosen entry runs its
// event from a copy, and indices outside the list, read as 16-bit numbers, reach nothing.
#include "game/rules/string_list.h"

#include <gtest/gtest.h>

#include "tests/support/archive_fixtures.h"
#include "tests/support/script_harness.h"
#include "tools/scenario_writer/config_writer.h"

namespace {

namespace sw = scenario_writer;
using namespace test_support::script;

// The entries' events append to gb_log, so that what a choice ran shows.
class StringListTest : public test_support::ScriptHarness {
 protected:
  void SetUp() override {
    ScriptHarness::SetUp();
    Config().globalNames = {"gb_log"};
    AddEvent("Map", {{ChangeGlobal("gb_log", 2, "m")}});
    Load();
  }

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
  // The missing event and the entry without one run nothing; the entry's event runs from a copy, so it can be
  // chosen again.
  for (int32_t index : {1, 2, 0, 0}) list->RunEntryEvent(index);
  EXPECT_EQ(Global("gb_log"), "mm");
}

TEST_F(StringListTest, IndicesOutsideTheListReachNothing) {
  std::unique_ptr<StringList> list = Read({"Help", {{"Rules", "Map"}}});
  for (int32_t index : {-1, 1, 32768, 65535, 65536 + 5}) {
    EXPECT_EQ(list->GetString(index), "") << index;
    list->RunEntryEvent(index);
  }
  EXPECT_EQ(Global("gb_log"), "");
  // Read as a 16-bit number: index 0.
  EXPECT_EQ(list->GetString(65536), "Rules");
  list->RunEntryEvent(65536);
  EXPECT_EQ(Global("gb_log"), "m");
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
