#include "game/shell/data/option_store.h"

#include <gtest/gtest.h>

namespace {

class OptionStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetOptionStore(); }
  void TearDown() override { ResetOptionStore(); }
};

TEST_F(OptionStoreTest, StartsWithTheDefaultKeysAndSwitches) {
  EXPECT_EQ(GetOptionA(), 'x');
  EXPECT_EQ(GetOptionB(), 'z');
  EXPECT_EQ(GetOptionJ(), 'j');
  EXPECT_EQ(GetScreenWidth(), 0);
  EXPECT_EQ(GetWindowMode(), 0);
  EXPECT_EQ(GetShowCharacterCreation(), 1);
  EXPECT_EQ(GetOfferUnmarkedClasses(), 1);
  EXPECT_EQ(GetOfferUnmarkedRaces(), 1);
  EXPECT_EQ(GetAskPlayerName(), 1);
  EXPECT_EQ(GetScreenFadeEnabled(), 0);
  EXPECT_EQ(GetScenarioName(), "");
  std::string name = "stale";
  GetDefaultPlayerName(name);
  EXPECT_EQ(name, "");
}

TEST_F(OptionStoreTest, WindowModeLockKeepsTheMode) {
  SetWindowMode(1);
  SetWindowModeLock(1);
  SetWindowMode(2);
  EXPECT_EQ(GetWindowMode(), 1);
  SetWindowModeLock(0);
  SetWindowMode(2);
  EXPECT_EQ(GetWindowMode(), 2);
}

TEST_F(OptionStoreTest, OptionFlagsOutsideTheRangeAreIgnored) {
  SetOptionFlag(14, 7);
  SetOptionFlag(15, 9);
  SetOptionFlag(-1, 9);
  EXPECT_EQ(GetOptionFlag(14), 7);
  EXPECT_EQ(GetOptionFlag(15), 0);
  EXPECT_EQ(GetOptionFlag(-1), 0);
}

TEST_F(OptionStoreTest, StringSettersCopy) {
  std::string name = "Vale";
  SetScenarioName(name);
  name = "changed";
  EXPECT_EQ(GetScenarioName(), "Vale");
  SetPileItemName("Pile");
  EXPECT_EQ(GetPileItemName(), "Pile");
}

}  // namespace
