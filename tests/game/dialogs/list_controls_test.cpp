// The list controls on the manual clock: the scroll bar's repeat, merged rows, clicks, picks and their limit,
// Return on the selection, and lists whose rows fit or that have none.
#include "game/dialogs/list_controls.h"

#include <gtest/gtest.h>

#include <vector>

#include "game/dialogs/dialog.h"
#include "game/shell/input_manager.h"
#include "host/testing.h"
#include "tests/support/dialog_input.h"

namespace {

// A list of 200 x 100 at (100, 50); the scroll picture's strips are 10 x 8, so the bar lies at x 289 to 299:
// up arrow y 50, track y 57 (84 high), thumb y 57, down arrow y 141.
constexpr Bounds kListRect{100, 50, 200, 100};
constexpr int32_t kBarX = 290;
constexpr int32_t kDownArrowY = 145;

class ListControlsTest : public test_support::DialogHarness {
 protected:
  void SetUp() override {
    DialogHarness::SetUp();
    LoadWithWindow();
    auto scroll = std::make_unique<Bitmap>();
    ASSERT_EQ(scroll->Create(10, 64, OpaqueFormat), kBitmapReady);
    SetListScrollPicture(std::move(scroll));
  }
  static void Click(bool twice = false) {
    if (twice) {
      Input::OnLeftButton(0, 0, kButtonDoubleClick);
      return;
    }
    Input::OnLeftButton(0, 0, kButtonDown);
    Input::OnLeftButton(0, 0, kButtonUp);
  }
  static void Hold(KeySlot slot, bool down) {
    Input::SetKey(slot, down ? 1 : 0);
    Input::BeginFrame();
  }
  static std::unique_ptr<ListControl> ListOf(int32_t rows) {
    auto list = std::make_unique<ListControl>(kListRect);
    for (int32_t i = 0; i < rows; ++i) list->AddRow(nullptr, "Row " + std::to_string(i), 0, false);
    list->SetDefault(true);
    return list;
  }
};

TEST_F(ListControlsTest, TheDownArrowStepsAtOnceThenAfter200MillisecondsThenEvery20UpToTheEnd) {
  auto list = ListOf(20);
  list->SetHovered(true);
  ASSERT_TRUE(list->ShowsScrollBar());
  ASSERT_GT(list->GetMaxScroll(), 0);
  std::vector<int32_t> scrolls;
  for (int32_t frame = 0; frame < 200; ++frame) {
    list->Track(kBarX, kDownArrowY, 1);
    scrolls.push_back(list->GetScroll());
    HostTestAdvanceClock(10);
  }
  EXPECT_EQ(list->GetPressedPart(), ScrollingList::kDownArrow);
  EXPECT_EQ(scrolls[0], 6);
  EXPECT_EQ(scrolls[19], 6);  // 190 ms
  EXPECT_EQ(scrolls[20], 12);  // 200 ms
  EXPECT_EQ(scrolls[21], 12);
  EXPECT_EQ(scrolls[22], 18);  // 20 ms later
  EXPECT_EQ(scrolls[24], 24);
  EXPECT_EQ(scrolls.back(), list->GetMaxScroll());
  // The thumb went down the track with the scroll.
  EXPECT_GT(list->ThumbRect().y, list->TrackRect().y);
}

TEST_F(ListControlsTest, MergedRowsCountTheirCopies) {
  auto list = ListOf(0);
  Bitmap picture;
  ASSERT_EQ(picture.Create(16, 16, OpaqueFormat), kBitmapReady);
  list->AddRow(&picture, "Torch", 0, true);
  list->AddRow(&picture, "Torch", 0, true);
  list->AddRow(&picture, "Torch", 0, false);
  ASSERT_EQ(list->GetRowCount(), 2);
  EXPECT_EQ(list->GetRow(0).count, 1);  // shown as 2
  EXPECT_EQ(list->GetRow(1).count, 0);
  EXPECT_EQ(list->GetRowPitch(), 16 + 6);
}

TEST_F(ListControlsTest, AClickBelowTheLastRowSelectsNothing) {
  auto list = ListOf(3);
  list->SetHovered(true);
  Click();
  EXPECT_EQ(list->Track(150, kListRect.y + 3 * list->GetRowPitch() + 2, 0), kEventNothing);
  EXPECT_EQ(list->GetSelection(), 0);
  Input::ClearClick();
  Click();
  EXPECT_EQ(list->Track(150, kListRect.y + list->GetRowPitch() + 2, 0), kEventRowClick);
  EXPECT_EQ(list->GetSelection(), 1);
  EXPECT_EQ(list->GetSelectedText(), "Row 1");
  Click(true);
  EXPECT_EQ(list->Track(150, kListRect.y + 2 * list->GetRowPitch() + 2, 0), kEventRowDoubleClick);
  EXPECT_EQ(list->GetSelection(), 2);
}

TEST_F(ListControlsTest, AListOfOneRowShowsNoScrollBarAndIgnoresDrags) {
  auto list = ListOf(1);
  list->Configure(6, 150, true, false);  // one row taller than the box
  list->SetDefault(true);
  list->SetHovered(true);
  ASSERT_GT(list->GetMaxScroll(), 0);
  EXPECT_FALSE(list->ShowsScrollBar());
  for (int32_t y : {60, 70, 90, 120}) list->Track(kBarX, y, 1);
  EXPECT_EQ(list->GetScroll(), 0);
  EXPECT_EQ(list->GetPressedPart(), ScrollingList::kNoPart);
}

TEST_F(ListControlsTest, RowsThatFitLeaveTheThumbAtTheTopAndATrackWithoutRoomMovesNothing) {
  auto list = ListOf(3);
  EXPECT_EQ(list->GetMaxScroll(), 0);
  list->SetHovered(true);
  list->Track(kBarX, kDownArrowY, 1);
  EXPECT_EQ(list->GetScroll(), 0);
  EXPECT_EQ(list->ThumbRect().y, list->TrackRect().y);

  // A box of 20 pixels has no room for the thumb between the arrows: dragging it scrolls nothing.
  ListControl short_list(Bounds{100, 50, 200, 20});
  for (int32_t i = 0; i < 10; ++i) short_list.AddRow(nullptr, "Row", 0, false);
  short_list.SetDefault(true);
  short_list.SetHovered(true);
  const Bounds thumb = short_list.ThumbRect();
  for (int32_t y : {thumb.y + 2, thumb.y + 8, thumb.y + 12}) short_list.Track(kBarX, y, 1);
  EXPECT_EQ(short_list.GetScroll(), 0);
}

TEST_F(ListControlsTest, AnEmptyListHasNoSelection) {
  auto list = ListOf(3);
  list->SaveScroll();
  list->Clear();
  EXPECT_EQ(list->GetSelection(), -1);
  EXPECT_EQ(list->GetSelectedText(), "");
  EXPECT_EQ(list->GetTopRow(), -1);
  list->RestoreScroll();
  EXPECT_EQ(list->GetSelection(), -1);
  Hold(kSlotDown, true);
  EXPECT_EQ(list->Track(0, 0, 0), kEventNothing);
  Hold(kSlotDown, false);
}

TEST_F(ListControlsTest, ReturnOnTheSelectedRowCountsAsADoubleClickAtMostOnceEvery200Milliseconds) {
  auto list = ListOf(3);
  Hold(kSlotReturn, true);
  std::vector<int32_t> fired;
  for (int32_t t = 0; t <= 1000; t += 50) {
    if (list->Track(0, 0, 0) == kEventRowDoubleClick) fired.push_back(t);
    HostTestAdvanceClock(50);
  }
  Hold(kSlotReturn, false);
  ASSERT_GE(fired.size(), 4u);
  EXPECT_GE(fired[0], 200);
  for (size_t i = 1; i < fired.size(); ++i) EXPECT_GE(fired[i] - fired[i - 1], 200);
}

TEST_F(ListControlsTest, PicksFollowTheBoxTheDoubleClickAndTheLimit) {
  MultiSelectList list(kListRect);
  for (const char* text : {"A", "B", "C"}) list.AddRow(text, false);
  list.SetLimit(1);
  list.SetDefault(true);
  list.SetHovered(true);
  const int32_t pitch = list.GetRowPitch();
  const int32_t boxX = kListRect.x + 10;  // strictly inside the box, which begins at x + indent / 2
  struct Case {
    int32_t row;
    bool onBox;
    bool twice;
    ControlEvent code;
    int32_t picks;
  } cases[] = {
      {0, false, false, kEventMultiRowClick, 0},     {0, true, false, kEventBoxPicked, 1},
      {1, true, false, kEventMultiRowClick, 1},      {0, true, false, kEventBoxUnpicked, 0},
      {1, false, true, kEventDoublePicked, 1},       {2, false, true, kEventDoublePickRefused, 1},
      {1, false, true, kEventDoubleUnpicked, 0},
  };
  for (const Case& c : cases) {
    Click(c.twice);
    EXPECT_EQ(list.Track(c.onBox ? boxX : 200, kListRect.y + c.row * pitch + 3, 0), c.code) << c.row;
    EXPECT_EQ(list.GetPickCount(), c.picks) << c.row;
    EXPECT_EQ(list.GetSelection(), c.row);
    Input::ClearClick();
    Input::ClearDoubleClick();
  }
  list.SetLimit(2);
  list.PickMatching({"C", "A", "B"});  // names are searched in row order: "A" lies before "C"
  std::vector<std::string> picked;
  list.GetPicked(picked);
  EXPECT_EQ(picked, (std::vector<std::string>{"C"}));
}

// A multi-select gives its own code 9 for Up and Down only; when the scroll bar carries the selection along, it
// gives 4, as a plain list does.
TEST_F(ListControlsTest, AMultiSelectGivesNineForUpAndDownAndFourWhenTheScrollBarMovesTheSelection) {
  MultiSelectList list(kListRect);
  for (int32_t i = 0; i < 20; ++i) list.AddRow("Row " + std::to_string(i), false);
  list.SetDefault(true);
  ASSERT_TRUE(list.ShowsScrollBar());
  HostTestAdvanceClock(200);  // past the keys' 150 ms
  Hold(kSlotDown, true);
  EXPECT_EQ(list.Track(0, 0, 0), kEventMultiSelectionMoved);
  EXPECT_EQ(list.GetSelection(), 1);
  Hold(kSlotDown, false);
  HostTestAdvanceClock(200);
  Hold(kSlotUp, true);
  EXPECT_EQ(list.Track(0, 0, 0), kEventMultiSelectionMoved);
  EXPECT_EQ(list.GetSelection(), 0);
  Hold(kSlotUp, false);

  // The down arrow held: the scroll passes half a row beyond row 0 and the selection follows to the first row
  // wholly in view.
  list.SetHovered(true);
  std::vector<ControlEvent> codes;
  for (int32_t frame = 0; frame < 60 && list.GetSelection() == 0; ++frame) {
    codes.push_back(list.Track(kBarX, kDownArrowY, 1));
    HostTestAdvanceClock(10);
  }
  ASSERT_EQ(list.GetSelection(), 1);
  EXPECT_EQ(codes.back(), kEventSelectionMoved);
  for (size_t i = 0; i + 1 < codes.size(); ++i) EXPECT_EQ(codes[i], kEventNothing) << i;
}

}  // namespace
