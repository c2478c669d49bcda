// The sound, music and player actions: a sound waited for holds the event for its length on the manual clock,
// music plays and stops, and the player's text entries, portrait and map sprite change only during a game.
#include <gtest/gtest.h>

#include "game/graphics/bitmap.h"
#include "game/rules/game_state.h"
#include "game/shell/game_commands.h"
#include "game/shell/media/music_player.h"
#include "tests/support/script_harness.h"

namespace {

namespace sw = scenario_writer;
using namespace test_support::script;

class MediaActionsTest : public test_support::ScriptHarness {};

TEST_F(MediaActionsTest, ASoundIsWaitedForUnlessTheSecondParameterIsZero) {
  AddSound("bell", 900, 200);
  AddSound("drum", -700, 50);
  AddEvent("Wait", {{{"", "Play Sound", {"bell", ""}}}});
  AddEvent("WaitToo", {{{"", "Play Sound", {"bell", "1"}}}});
  AddEvent("Go", {{{"", "Play Sound", {"drum", "0"}}}});
  Load();
  uint32_t start = Elapsed();
  Run("Wait");
  EXPECT_GE(Elapsed() - start, 200u);
  EXPECT_LE(Elapsed() - start, 220u);
  start = Elapsed();
  Run("WaitToo");
  EXPECT_GE(Elapsed() - start, 200u);
  start = Elapsed();
  Run("Go");
  EXPECT_EQ(Elapsed() - start, 0u);
  EXPECT_EQ(SoundsHeard(), (std::vector<std::string>{"bell", "drum"}));
}

TEST_F(MediaActionsTest, MusicPlaysByItsExpandedNameAndStopsForAnEmptyOne) {
  Config().globalNames = {"gb_tune"};
  AddMusic("Theme", 500, 1000);
  AddEvent("Play", {{{"", "Play music", {"&&gb_tune", ""}}}});
  AddEvent("Stop", {{{"", "Play music", {"", ""}}}});
  Load();
  SetGlobal("gb_tune", "Theme");
  Run("Play");
  EXPECT_EQ(CurrentMusicName(), "Theme");
  EXPECT_EQ(SoundsHeard(), std::vector<std::string>{"Theme"});
  Run("Stop");
  EXPECT_EQ(CurrentMusicName(), "");
}

class PlayerActionsTest : public test_support::ScriptHarness {
 protected:
  void SetUp() override {
    ScriptHarness::SetUp();
    Config().defaultPlayerSprite = "Walker";
    AddPicture("Players/Portraits/Ann.pct", sw::Canvas(32, 40, sw::Rgb{1, 2, 3}));
    AddEvent("Entries", {{{"", "Tasks",
                           {"0###quest###Find &&Name###soon****0###quest###Again****0###note###A###B****1###quest"}}}});
    AddEvent("Clear", {{{"", "Tasks", {"2****0###last"}}}});
    AddEvent("Portrait", {{{"", "Portrait", {"Ann"}}}});
    AddEvent("NoPortrait", {{{"", "Portrait", {"Nobody"}}}});
    AddEvent("Sprite", {{{"", "Player Move", {"Knight"}}, {"", "Player Box", {"x"}}}});
    AddEvent("DefaultSprite", {{{"", "Player Move", {""}}}});
  }
};

TEST_F(PlayerActionsTest, TextEntriesAreAddedRemovedAndCleared) {
  Load();
  Run("Entries");
  const std::vector<TextEntry>& entries = Player().GetTextEntries();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].key, "quest");
  EXPECT_EQ(entries[0].firstText, "Again");
  EXPECT_EQ(entries[0].secondText, "");
  EXPECT_EQ(entries[1].key, "note");
  EXPECT_EQ(entries[1].secondText, "B");
  Run("Clear");
  ASSERT_EQ(Player().GetTextEntries().size(), 1u);
  EXPECT_EQ(Player().GetTextEntries()[0].key, "last");
}

TEST_F(PlayerActionsTest, ThePortraitAndTheMapSpriteChange) {
  Load();
  Run("Portrait");
  ASSERT_NE(Player().GetPicture(), nullptr);
  EXPECT_EQ(Player().GetPicture()->width, 32);
  Run("NoPortrait");
  EXPECT_EQ(Player().GetPicture(), nullptr);
  Run("Sprite");
  EXPECT_EQ(GetPlayerSpriteName(), "Knight");
  Run("DefaultSprite");
  EXPECT_EQ(GetPlayerSpriteName(), "Walker");
}

TEST_F(PlayerActionsTest, NothingChangesWithoutAGame) {
  Load();
  SetGameInProgress(0);
  Run("Entries");
  Run("Portrait");
  Run("Sprite");
  EXPECT_TRUE(Player().GetTextEntries().empty());
  EXPECT_EQ(Player().GetPicture(), nullptr);
  EXPECT_NE(GetPlayerSpriteName(), "Knight");
}

}  // namespace
