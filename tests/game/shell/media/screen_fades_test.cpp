// Screen fades over fake shell services: the levels in single precision, the snapshot that a fade leaves, and
// early ends on a click or a pause. Each present advances the manual clock by 99 ms.
#include "game/shell/media/screen_fades.h"

#include <gtest/gtest.h>

#include <vector>

#include "game/graphics/bitmap.h"
#include "game/graphics/blitter.h"
#include "host/testing.h"
#include "tests/support/started_core.h"

namespace {

struct FakeShell {
  Bitmap backBuffer;
  std::vector<int> shown;  // the snapshot's red channel at each loop present
  int wholePresents = 0;
  int framesOpen = 0;
  bool clicked = false;
  bool paused = false;
  int clickAfter = -1;     // loop presents before a click arrives
  bool menusGrey = false;
};

FakeShell* fake = nullptr;

int SnapshotRed() {
  DrawColor color;
  return ScreenSnapshot() != nullptr && GetPixel(color, *ScreenSnapshot(), 1, 1) ? color.red : -1;
}

FadeServices FakeServices() {
  FadeServices services;
  services.beginFrame = [] {
    ++fake->framesOpen;
    return &fake->backBuffer;
  };
  services.endFrame = [] { --fake->framesOpen; };
  services.present = [](bool whole) {
    if (whole) {
      ++fake->wholePresents;
      return;
    }
    fake->shown.push_back(SnapshotRed());
    if (static_cast<int>(fake->shown.size()) == fake->clickAfter) fake->clicked = true;
    HostTestAdvanceClock(99);
  };
  services.paused = [] { return fake->paused; };
  services.clicked = [] { return fake->clicked; };
  services.clearClick = [] { fake->clicked = false; };
  services.greyMenus = [](bool grey) { fake->menusGrey = grey; };
  return services;
}

class ScreenFadesTest : public StartedCore {
 protected:
  void SetUp() override {
    StartedCore::SetUp();
    HostTestUseManualClock(true);
    fake = &shell_;
    ASSERT_EQ(shell_.backBuffer.Create(4, 3, OpaqueFormat), 0);
    FillRect(shell_.backBuffer, shell_.backBuffer.Frame(), DrawColor{200, 200, 200, 255});
    SetFadeServices(FakeServices());
  }
  void TearDown() override {
    if (ScreenSnapshot() != nullptr) FadeScreenIn(0);
    SetFadeServices({});
    fake = nullptr;
    HostTestUseManualClock(false);
    StartedCore::TearDown();
  }

  void ExpectClosed() const {
    EXPECT_EQ(shell_.framesOpen, 0);
    EXPECT_FALSE(shell_.menusGrey);
    EXPECT_FALSE(shell_.clicked);
  }

  FakeShell shell_;
};

TEST(FadeLevelTest, LevelsFollowTheDurationInSinglePrecision) {
  const float duration = FadeDurationMilliseconds(60);
  EXPECT_EQ(duration, 1000.0f);
  EXPECT_FLOAT_EQ(FadeDurationMilliseconds(1), 16.666668f);
  struct Case {
    float elapsed;
    int out;
    int in;
  };
  const Case cases[] = {{0.0f, 255, 0}, {250.0f, 191, 63}, {500.0f, 127, 127}, {900.0f, 25, 229}, {990.0f, 2, 252}};
  for (const Case& c : cases) {
    EXPECT_EQ(FadeLevel(true, duration, c.elapsed), c.out) << c.elapsed;
    EXPECT_EQ(FadeLevel(false, duration, c.elapsed), c.in) << c.elapsed;
  }
  EXPECT_EQ(FadeDurationMilliseconds(0), 0.0f);
}

TEST_F(ScreenFadesTest, FadeOutEndsBlackAndFadeInBringsTheScreenBack) {
  FadeScreenOut(60);
  // Passes at 0, 99, ... 990 ms.
  ASSERT_EQ(shell_.shown.size(), 11u);
  EXPECT_EQ(shell_.shown.front(), 200);
  EXPECT_EQ(shell_.shown[1], 229 * 200 / 255);
  EXPECT_EQ(shell_.shown.back(), 2 * 200 / 255);
  EXPECT_TRUE(IsScreenFaded());
  EXPECT_EQ(SnapshotRed(), 0);
  EXPECT_EQ(shell_.wholePresents, 1);
  ExpectClosed();

  shell_.shown.clear();
  FadeScreenIn(30);
  ASSERT_EQ(shell_.shown.size(), 6u);
  EXPECT_EQ(shell_.shown.front(), 0);
  EXPECT_GT(shell_.shown.back(), shell_.shown[1]);
  EXPECT_FALSE(IsScreenFaded());
  EXPECT_EQ(ScreenSnapshot(), nullptr);
  ExpectClosed();
}

TEST_F(ScreenFadesTest, ClickEndsAFadeAtOnce) {
  shell_.clickAfter = 3;
  FadeScreenOut(600);
  EXPECT_EQ(shell_.shown.size(), 3u);
  EXPECT_EQ(SnapshotRed(), 0);  // black at once
  ExpectClosed();
  shell_.shown.clear();
  shell_.clickAfter = 1;
  FadeScreenIn(600);
  EXPECT_EQ(shell_.shown.size(), 1u);
  EXPECT_EQ(ScreenSnapshot(), nullptr);  // the live screen
  ExpectClosed();
}

TEST_F(ScreenFadesTest, PausedGameRunsNoPassAndKeepsTheSnapshotUnshaded) {
  shell_.paused = true;
  FadeScreenOut(60);
  EXPECT_TRUE(shell_.shown.empty());
  EXPECT_EQ(SnapshotRed(), 200);
  EXPECT_TRUE(IsScreenFaded());
  ExpectClosed();
}

TEST_F(ScreenFadesTest, ZeroDurationRunsOnlyTheEndSteps) {
  FadeScreenOut(0);
  EXPECT_TRUE(shell_.shown.empty());
  EXPECT_EQ(SnapshotRed(), 0);
  EXPECT_EQ(shell_.wholePresents, 1);
  FadeScreenIn(0);
  EXPECT_EQ(ScreenSnapshot(), nullptr);
  EXPECT_EQ(shell_.wholePresents, 2);
}

TEST(ScreenFadesWithoutShellTest, FadeDoesNothingBeforeTheShellIsReady) {
  SetFadeServices({});
  FadeScreenOut(60);
  EXPECT_EQ(ScreenSnapshot(), nullptr);
  EXPECT_FALSE(IsScreenFaded());
}

}  // namespace
