// The global variables: names from the "Config" block, values from a saved game's block.
#include "game/rules/game_state.h"

#include <gtest/gtest.h>

#include "game/shell/data/data_stream.h"
#include "tests/support/archive_fixtures.h"
#include "tools/scenario_writer/scenario_files.h"

namespace {

namespace sw = scenario_writer;

class GameStateTest : public ::testing::Test {
 protected:
  void TearDown() override { ClearGlobalEntries(); }
};

// The Config block: a count and the names, each shifted down so that reading shifts it back.
sw::Bytes NamesBlock(int16_t count, const std::vector<std::string>& names) {
  return sw::StreamBytes([&](DataStream& stream) {
    stream.WriteInt16(count);
    for (const std::string& name : names) stream.WritePString(name, false);
  });
}

TEST_F(GameStateTest, EveryCountedNameIsAVariableAndThosePastTheEndOfTheDataAreEmpty) {
  auto stream = test_support::MemoryStreamOver(NamesBlock(32767, {"gb_door", "gb_key"}));
  ReloadGlobalEntryNames(*stream);
  ASSERT_EQ(GetGlobalVariableCount(), 32767);
  EXPECT_EQ(GetGlobalEntryName(1)->name, "gb_key");
  EXPECT_EQ(GetGlobalEntryName(1)->value, "");
  EXPECT_EQ(GetGlobalEntryName(2)->name, "");
  EXPECT_EQ(GetGlobalEntryName(32766)->name, "");

  auto negative = test_support::MemoryStreamOver(NamesBlock(-4, {"gb_lost"}));
  ReloadGlobalEntryNames(*negative);
  EXPECT_EQ(GetGlobalVariableCount(), 0);
}

TEST_F(GameStateTest, ASavedBlockRestoresTheNamesTheScenarioHasAndDropsTheOthers) {
  auto names = test_support::MemoryStreamOver(NamesBlock(2, {"gb_door", "gb_Key"}));
  ReadGlobalEntryNames(*names);
  sw::Bytes saved = sw::StreamBytes([](DataStream& stream) {
    stream.WriteInt16(3);
    for (const char* text : {"gb_door", "open", "gb_gone", "x", "gb_key", "lower case"}) stream.WritePString(text, true);
  });
  auto stream = test_support::MemoryStreamOver(saved);
  ReadGlobalEntryValues(*stream);
  ASSERT_EQ(GetGlobalVariableCount(), 2);
  EXPECT_EQ(FindGlobalEntry("gb_door")->value, "open");
  EXPECT_EQ(FindGlobalEntry("gb_Key")->value, "");  // names compare exactly
  EXPECT_EQ(FindGlobalEntry("gb_gone"), nullptr);
}

}  // namespace
