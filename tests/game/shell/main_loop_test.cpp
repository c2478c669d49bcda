#include "game/shell/main_loop.h"

#include <gtest/gtest.h>

#include <memory>

#include "game/graphics/bitmap.h"
#include "game/graphics/region.h"
#include "game/graphics/screen_presenter.h"
#include "game/shell/main_function.h"
#include "game/world/scene_view.h"
#include "host/kernel.h"
#include "host/testing.h"

namespace {

// Frame pacing on the manual clock: each frame's work is simulated by advancing the clock before PaceFrame. The
// waits of early frames move the manual clock as they sleep.
class FramePacingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HostTestUseManualClock(true);
    StartFrameClock();
    SetFrameSkipAllowed(true);
  }
  void TearDown() override {
    FreeFrameClock();
    SetFrameSkipAllowed(true);
    HostTestUseManualClock(false);
  }
  // A frame that took `ms` of work.
  static bool Frame(DWORD ms) {
    HostTestAdvanceClock(ms);
    PaceFrame();
    return IsFrameSkipPending();
  }
};

TEST_F(FramePacingTest, AFrameOnTimeIsNotSkipped) {
  for (int i = 0; i < 5; ++i) EXPECT_FALSE(Frame(33));
}

TEST_F(FramePacingTest, ALateFrameSkipsOneDrawingNeverTwo) {
  EXPECT_TRUE(Frame(110));  // 76 ms behind: the next drawing is skipped
  EXPECT_FALSE(Frame(40));  // still 83 ms behind, but never two skips in a row
  EXPECT_TRUE(Frame(40));
}

TEST_F(FramePacingTest, StillFarBehindAfterASkipRestartsTheClock) {
  EXPECT_TRUE(Frame(110));
  EXPECT_FALSE(Frame(200));  // more than 133 ms late: the clock restarts, nothing more is skipped
  EXPECT_FALSE(Frame(30));
}

TEST_F(FramePacingTest, WithSkippingOffALateFrameIsDrawn) {
  SetFrameSkipAllowed(false);
  EXPECT_FALSE(Frame(110));
  EXPECT_FALSE(Frame(110));
}

// An early frame waits for its deadline by sleeping, never by spinning on the clock: on the manual clock, which
// moves only when a wait moves it, a spinning wait would never end.
TEST_F(FramePacingTest, AnEarlyFrameSleepsUntilItsDeadline) {
  RestartFrameClock();
  DWORD start = GetTickCount();
  EXPECT_FALSE(Frame(0));  // 33.3 ms early: sleeps to about a millisecond before the deadline
  DWORD afterShort = GetTickCount() - start;
  EXPECT_GE(afterShort, 31u);
  EXPECT_LE(afterShort, 33u);
  SetRunStateBits(kRunRunning);  // the long wait lasts while the game runs
  EXPECT_FALSE(Frame(0));         // more than a period early: waits for messages until the deadline
  ClearRunStateBits(kRunRunning);
  EXPECT_GE(GetTickCount() - start, 66u);
  EXPECT_LE(GetTickCount() - start, 68u);
}

TEST_F(FramePacingTest, WithADialogOpenNothingIsPacedOrSkipped) {
  PushTimeState(0);
  EXPECT_FALSE(Frame(500));
  EXPECT_FALSE(Frame(500));
  PopTimeState();
  EXPECT_TRUE(Frame(110));
}

TEST(RunStateTest, SystemPauseNeverEndsACommandPause) {
  SetPauseState(true, false);
  EXPECT_EQ(GetRunState() & (kRunPaused | kRunPausedByCommand), kRunPaused | kRunPausedByCommand);
  SetPauseState(false, true);  // an activation change
  EXPECT_NE(GetRunState() & kRunPaused, 0u);
  SetPauseState(false, false);
  EXPECT_EQ(GetRunState() & (kRunPaused | kRunPausedByCommand), 0u);
  SetPauseState(true, true);
  EXPECT_EQ(GetRunState() & (kRunPaused | kRunPausedByCommand), kRunPaused);
  SetPauseState(false, true);
  EXPECT_EQ(GetRunState() & kRunPaused, 0u);
}

}  // namespace

TEST(GameViewTest, ClearingTheViewBlanksItAndMarksAllOfItChanged) {
  SetSceneView(nullptr);
  ClearGameView();  // before the view exists: nothing to do
  auto made = std::make_unique<SceneView>();
  ASSERT_EQ(made->Create(8, 4, 24, false), 0);
  SceneView* view = made.get();
  SetSceneView(std::move(made));
  Bitmap* back = view->GetBackBuffer();
  ASSERT_NE(back, nullptr);
  *back->PixelAt(5, 2) = 0xAB;
  Region changed;
  view->Update(changed);  // forget the changes so far
  ClearGameView();
  EXPECT_EQ(*back->PixelAt(5, 2), 0);
  view->Update(changed);
  Bounds box{};
  changed.GetBounds(box);
  EXPECT_EQ(box.x, 0);
  EXPECT_EQ(box.y, 0);
  EXPECT_EQ(box.width, 8);
  EXPECT_EQ(box.height, 4);
  SetSceneView(nullptr);
}

// A window that counts the regions it is asked to show.
struct CountingWindow : FrameWindow {
  int shown = 0;
  bool IsCreated() const override { return true; }
  void InvalidateRegion(const Region&) override { ++shown; }
  HDC DeviceContext() const override { return nullptr; }
};

// A pass of the loop with nothing changed on the view presents nothing: the window is not invalidated, so nothing
// is painted, converted or compared with what it shows.
TEST(GameViewTest, APassWithNothingChangedPresentsNothing) {
  auto made = std::make_unique<SceneView>();
  ASSERT_EQ(made->Create(8, 4, 24, false), 0);
  SceneView* view = made.get();
  SetSceneView(std::move(made));
  Bitmap picture;
  ASSERT_EQ(picture.Create(2, 2, OpaqueFormat), kBitmapReady);
  SceneLayer* layer = view->AddDefaultLayer(SceneLayer::kScreenMode).Layer();
  layer->SetImage(&picture);
  layer->PlaceImage(1, 1);
  CountingWindow window;
  SetScreenPresenter(std::make_unique<ScreenPresenter>(&window, 8, 4));
  SetRunStateBits(kRunRunning);
  PaceFrame();  // no drawing is left to skip

  RefreshView();  // the view as it was set up
  EXPECT_EQ(window.shown, 1);
  for (int pass = 0; pass < 3; ++pass) RefreshView();
  EXPECT_EQ(window.shown, 1);
  layer->InvalidateRect(Bounds{0, 0, 1, 1});
  RefreshView();
  EXPECT_EQ(window.shown, 2);

  ClearRunStateBits(kRunRunning);
  SetScreenPresenter(nullptr);
  SetSceneView(nullptr);
}
