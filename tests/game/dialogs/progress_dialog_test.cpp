// The progress dialog over a writer-made layout 15: how its bar fills and how often a step refreshes the view.
#include "game/dialogs/progress_dialog.h"

#include <gtest/gtest.h>

#include "host/testing.h"
#include "tests/support/dialog_input.h"

namespace {

namespace sw = scenario_writer;

constexpr uint32_t kEmpty = 0xFF282828u;
constexpr uint32_t kFilled = 0xFF686868u;

// Counts the pumps of the message queue: one for each look that follows a look at an empty queue.
void CountPump(void* count, bool idleBefore) {
  if (idleBefore) ++*static_cast<int32_t*>(count);
}

class ProgressDialogTest : public test_support::DialogHarness {
 protected:
  void SetUp() override {
    DialogHarness::SetUp();
    Config().layouts[15].name = "Loading.bmp";
    // A bar of 301 pixels (300 to fill) and the label above it.
    Config().layouts[15].elements = {{"bar", 20, 60, 301, 10}, {"label", 20, 20, 360, 20}};
    AddPicture("Pictures/Loading.bmp", sw::Canvas(400, 100, sw::Rgb{30, 60, 90}));
  }
  void TearDown() override {
    HostTestSetQueueHook(nullptr, nullptr);
    DialogHarness::TearDown();
  }
  static uint32_t BarPixel(const ProgressDialog& dialog, int32_t x) {
    DrawColor colour;
    GetPixel(colour, *dialog.Bar(), x, 5);
    return colour.Value();
  }
};

TEST_F(ProgressDialogTest, APhaseOfNoStepsFillsTheBarAtOnce) {
  LoadWithWindow();
  ProgressDialog dialog;
  ASSERT_NE(dialog.Bar(), nullptr);
  EXPECT_EQ(BarPixel(dialog, 0), kEmpty);
  dialog.BeginPhase("Loading game data", 0);
  EXPECT_EQ(dialog.Label(), "Loading game data");
  EXPECT_EQ(BarPixel(dialog, 0), kFilled);
  EXPECT_EQ(BarPixel(dialog, 150), kFilled);
  EXPECT_EQ(BarPixel(dialog, 299), kFilled);
}

TEST_F(ProgressDialogTest, StepsOfLessThanThreePixelsRefreshTheViewEverySecondStep) {
  LoadWithWindow();
  ProgressDialog dialog;
  int32_t pumps = 0;
  HostTestSetQueueHook(CountPump, &pumps);
  dialog.BeginPhase("Reading the map", 500);
  EXPECT_EQ(pumps, 1);
  for (int32_t i = 0; i < 250; ++i) dialog.Step();
  EXPECT_EQ(pumps, 1 + 125);
  EXPECT_EQ(BarPixel(dialog, 140), kFilled);
  EXPECT_EQ(BarPixel(dialog, 160), kEmpty);
  for (int32_t i = 0; i < 250; ++i) dialog.Step();
  EXPECT_EQ(pumps, 1 + 250);
  EXPECT_EQ(BarPixel(dialog, 299), kFilled);

  // Steps of three pixels or more refresh on every step.
  dialog.BeginPhase("Reading the records", 7);
  pumps = 0;
  for (int32_t i = 0; i < 7; ++i) dialog.Step();
  EXPECT_EQ(pumps, 7);
}

TEST_F(ProgressDialogTest, StepCurrentWithoutACurrentDialogDoesNothing) {
  LoadWithWindow();
  int32_t pumps = 0;
  HostTestSetQueueHook(CountPump, &pumps);
  EXPECT_EQ(ProgressDialog::StepCurrent(), 0);
  EXPECT_EQ(pumps, 0);
  {
    ProgressDialog dialog;
    ProgressDialog::SetCurrent(&dialog);
    EXPECT_EQ(ProgressDialog::GetCurrent(), &dialog);
    dialog.BeginPhase("Loading", 2);
    ProgressDialog::StepCurrent();
    EXPECT_EQ(BarPixel(dialog, 100), kFilled);
  }
  EXPECT_EQ(ProgressDialog::GetCurrent(), nullptr);  // the dialog took itself away
}

class ProgressWithoutBarTest : public ProgressDialogTest, public ::testing::WithParamInterface<bool> {};

// A bar of one pixel has nothing to fill (its width less one is 0): it stays in the empty colour. A layout without
// the bar's element has no bar at all.
TEST_P(ProgressWithoutBarTest, StepsDrawNothing) {
  const bool missing = GetParam();
  Config().layouts[15].elements = {{"bar", 20, 60, 1, 10}, {"label", 20, 20, 360, 20}};
  if (missing) Config().layouts[15].elements.clear();
  LoadWithWindow();
  ProgressDialog dialog;
  ASSERT_EQ(dialog.Bar() == nullptr, missing);
  dialog.BeginPhase("Loading", 3);
  for (int32_t i = 0; i < 3; ++i) EXPECT_EQ(dialog.Step(), 0);
  dialog.BeginPhase("Loading", 0);
  dialog.Draw();
  if (!missing) {
    EXPECT_EQ(BarPixel(dialog, 0), kEmpty);
  }
}

INSTANTIATE_TEST_SUITE_P(NarrowOrMissing, ProgressWithoutBarTest, ::testing::Bool());

}  // namespace
