// The dialog base run for real: Dialog::RunModal over the headless main window and game view, with writer-made
// layouts and scripted input. What closes a dialog, when a held key counts, what the input delay holds back, how
// fast the focus moves, and what the handlers' result flags do.
#include "game/dialogs/dialog.h"

#include <gtest/gtest.h>

#include <vector>

#include "game/dialogs/about_dialog.h"
#include "game/shell/input_manager.h"
#include "game/shell/main_loop.h"
#include "host/kernel.h"
#include "host/testing.h"
#include "host/user.h"
#include "tests/support/dialog_input.h"

namespace {

namespace sw = scenario_writer;
using namespace test_support::input;
using test_support::InputStep;
using test_support::RunScripted;
using test_support::ScriptResult;

constexpr int32_t kTestLayout = 7;  // a layout no screen of the game uses
constexpr ControlKind kOneButton[] = {kTextButtonKind};
constexpr ControlKind kTextAndButton[] = {kStaticTextKind, kTextButtonKind};
constexpr ControlKind kThreeButtons[] = {kTextButtonKind, kTextButtonKind, kTextButtonKind};

// What a test dialog saw: each offer of a control's event, with the frame's time and whether the 'A' key was down.
struct Offer {
  int32_t index;
  ControlEvent code;
  bool keyA;
};

struct Seen {
  std::vector<Offer> offers;
  std::vector<DWORD> focusGained;
  int32_t flags = kNotHandled;  // what the handler of control 0 returns
};

// Controls on the layout's elements, in one focus group; text button i has command 13 + i. Control 0's handler
// returns the flags asked for.
class ButtonDialog : public Dialog {
 public:
  ButtonDialog(Seen& seen, int32_t count, const ControlKind* kinds) : Dialog(kTestLayout, count, kinds, true), seen_(seen) {
    BeginFocusGroup();
    for (int32_t i = 0; i < count; ++i) {
      if (auto* button = GetControlAs<TextButton>(i)) {
        button->SetCaption("B" + std::to_string(i));
        button->SetCommand(kFirstCommand + i);
      }
      AddToFocusGroup(i);
    }
    FocusFirstControl();
  }
  int32_t OnControlEvent(int32_t index, ControlEvent code) override {
    seen_.offers.push_back({index, code, Input::IsKeyDown('a') != 0});
    if (index == 0) return seen_.flags;
    return Dialog::OnControlEvent(index, code);
  }
  int32_t OnFocusChange(int32_t index, bool gained) override {
    if (gained) seen_.focusGained.push_back(GetTickCount());
    return Dialog::OnFocusChange(index, gained);
  }

 private:
  Seen& seen_;
};

class DialogTest : public test_support::DialogHarness {
 protected:
  void SetUp() override {
    DialogHarness::SetUp();
    Config().layouts[11].name = "About.bmp";
    AddPicture("Pictures/About.bmp", sw::Canvas(200, 100, sw::Rgb{0, 0, 200}));
    Config().layouts[kTestLayout].name = "Panel.bmp";
    // Two buttons on one rectangle (a click meets both), and a third beside them.
    Config().layouts[kTestLayout].elements = {{"first", 20, 20, 100, 30}, {"second", 20, 20, 100, 30},
                                              {"third", 20, 60, 100, 30}};
    AddPicture("Pictures/Panel.bmp", sw::Canvas(300, 200, sw::Rgb{90, 90, 90}));
  }
  // The centre of the screen, where the centred dialogs lie.
  static constexpr int32_t kMidX = 320;
  static constexpr int32_t kMidY = 240;
};

TEST_F(DialogTest, ADialogWithoutControlsClosesOnClickReturnAndEscapeButNotTab) {
  LoadWithWindow();
  struct Case {
    const char* what;
    InputStep step;
    bool closes;
  } cases[] = {
      {"click", Click(kMidX, kMidY), true},
      {"Return", KeyDown(VK_RETURN), true},
      {"Escape", KeyDown(VK_ESCAPE), true},
      {"Tab", KeyDown(VK_TAB), false},  // last: the script closes the window
  };
  for (const Case& c : cases) {
    ScriptResult run = RunScripted(std::make_unique<AboutDialog>(), {c.step, Wait(3)});
    EXPECT_EQ(run.closedTheWindow, !c.closes) << c.what;
    if (c.closes) {
      EXPECT_EQ(run.stepsDone, 1u) << c.what;
    }
  }
}

TEST_F(DialogTest, ReturnHeldAsTheDialogOpensClosesItOnlyOncePressedAgain) {
  LoadWithWindow();
  HostTestKey(VK_RETURN, true);
  PumpMessages();
  ScriptResult run = RunScripted(std::make_unique<AboutDialog>(), {Wait(3), KeyUp(VK_RETURN), KeyDown(VK_RETURN)});
  EXPECT_FALSE(run.closedTheWindow);
  EXPECT_EQ(run.stepsDone, 3u);  // it waited for the second press
}

TEST_F(DialogTest, TheInputDelayHoldsClicksFromTheControlsButNotACloseOnClick) {
  LoadWithWindow();
  // Within the delay: the button under the click stays silent, and the click closes the dialog.
  Seen early;
  auto dialog = std::make_unique<ButtonDialog>(early, 1, kOneButton);
  dialog->SetInputDelay(1000.0f);
  dialog->SetCloseOnClick(true);
  ScriptResult run = RunScripted(std::move(dialog), {ClickOn(0), Wait(3)});
  EXPECT_FALSE(run.closedTheWindow);
  for (const Offer& offer : early.offers) EXPECT_EQ(offer.code, kEventNothing);

  // Past the delay the button takes the click (so the dialog stays), and Escape closes it.
  Seen late;
  dialog = std::make_unique<ButtonDialog>(late, 1, kOneButton);
  dialog->SetInputDelay(1000.0f);
  dialog->SetCloseOnClick(true);
  run = RunScripted(std::move(dialog), {Wait(31), ClickOn(0), Wait(2), KeyDown(VK_ESCAPE), Wait(3)});
  EXPECT_FALSE(run.closedTheWindow);
  EXPECT_EQ(run.stepsDone, 4u);
  int32_t fired = 0;
  for (const Offer& offer : late.offers) fired += offer.code == kFirstCommand ? 1 : 0;
  EXPECT_EQ(fired, 1);
}

TEST_F(DialogTest, FocusMovesAtMostOnceEvery150MillisecondsWhileAKeyIsHeld) {
  LoadWithWindow();
  Seen seen;
  ScriptResult run = RunScripted(std::make_unique<ButtonDialog>(seen, 3, kThreeButtons),
                                 {KeyDown(VK_DOWN), Wait(30), KeyUp(VK_DOWN), KeyDown(VK_ESCAPE), Wait(2)});
  EXPECT_FALSE(run.closedTheWindow);
  // 30 frames of 33 ms: a move every fifth frame (165 ms), never two within 150 ms.
  ASSERT_GE(seen.focusGained.size(), 5u);
  EXPECT_LE(seen.focusGained.size(), 7u);
  for (size_t i = 1; i < seen.focusGained.size(); ++i) EXPECT_GT(seen.focusGained[i] - seen.focusGained[i - 1], 150u);
}

// Control 0 (a text) and control 1 (a button) share a rectangle; control 0's handler returns the flags every frame,
// before the button is offered the frame's click.
TEST_F(DialogTest, TheHandlersFlagsConsumeTheClickStopTheScanEndTheFrameOrResetTheInput) {
  LoadWithWindow();
  struct Case {
    int32_t flags;
    bool secondOffered;  // control 1 is offered the frames
    bool secondFires;    // control 1 sees the click
    bool closes;         // Escape closes the dialog
    bool keyResets;      // a held key reads up the frame after it went down
  } cases[] = {
      {kNotHandled, true, true, true, false},
      {kConsumeClick | kNotHandled, true, false, true, false},
      {kStopScan | kNotHandled, false, false, true, false},
      {kResetInput | kNotHandled, true, false, true, true},
      {kReturnAtOnce | kNotHandled, false, false, false, false},  // last: the script closes the window
  };
  for (const Case& c : cases) {
    Seen seen;
    seen.flags = c.flags;
    ScriptResult run = RunScripted(std::make_unique<ButtonDialog>(seen, 2, kTextAndButton),
                                   {ClickOn(0), Wait(1), KeyDown('A'), Wait(3), KeyUp('A'), KeyDown(VK_ESCAPE), Wait(2)});
    bool secondOffered = false, secondFires = false;
    int32_t framesWithA = 0;
    for (const Offer& offer : seen.offers) {
      if (offer.index == 1) secondOffered = true;
      if (offer.index == 1 && offer.code == kFirstCommand + 1) secondFires = true;
      if (offer.index == 0 && offer.keyA) ++framesWithA;
    }
    EXPECT_EQ(secondOffered, c.secondOffered) << c.flags;
    EXPECT_EQ(secondFires, c.secondFires) << c.flags;
    EXPECT_EQ(!run.closedTheWindow, c.closes) << c.flags;
    EXPECT_EQ(framesWithA == 1, c.keyResets) << c.flags << " " << framesWithA;
  }
}

TEST_F(DialogTest, ElementsTheLayoutLacksGiveNoControls) {
  LoadWithWindow();
  // A dialog asking for five controls of a three-element layout has null slots for the last two.
  constexpr ControlKind kFive[] = {kTextButtonKind, kTextButtonKind, kTextButtonKind, kListKind, kTextFieldKind};
  Dialog five(kTestLayout, 5, kFive, true);
  EXPECT_EQ(five.GetControlCount(), 5);
  EXPECT_NE(five.GetControl(2), nullptr);
  EXPECT_EQ(five.GetControl(3), nullptr);
  EXPECT_EQ(five.GetControl(4), nullptr);
  EXPECT_EQ(five.GetControl(9), nullptr);
  five.HandleEvents();
  five.Invalidate();
}

TEST_F(DialogTest, APictureThatCannotBeLoadedGivesTheAlertAndADialogClosedFromTheStart) {
  Config().layouts[11].name = "Missing.bmp";
  LoadWithWindow();
  HostTestClearMessageBoxes();
  AboutDialog dialog;
  EXPECT_TRUE(dialog.IsClosed());
  auto boxes = HostTestMessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Can't load dialog picture.");
  EXPECT_EQ(boxes[0].caption, "Scenario");
}

TEST_F(DialogTest, TheAboutBoxShowsItsPictureCentredUntilItCloses) {
  LoadWithWindow();
  ScriptResult run = RunScripted(std::make_unique<AboutDialog>(),
                                 {Wait(2), WaitFor([this] { return PixelShown(kMidX, kMidY) == 0x000000C8u; }),
                                  Click(kMidX, kMidY)});
  EXPECT_FALSE(run.closedTheWindow);
  EXPECT_EQ(run.stepsDone, 3u);
  // The picture of 200 x 100 lies at (220, 190) of the 640 x 480 screen.
  EXPECT_TRUE(OpenDialogs().empty());
}

// A dialog that closes itself after a number of frames; nothing else moves the (manual) clock meanwhile.
class FrameCountingDialog : public Dialog {
 public:
  FrameCountingDialog(int32_t frames, int32_t& seen) : Dialog(kTestLayout, 0, nullptr, true), left_(frames), seen_(seen) {}
  int32_t HandleEvents() override {
    ++seen_;
    if (--left_ <= 0) return Close();
    return Dialog::HandleEvents();
  }

 private:
  int32_t left_;
  int32_t& seen_;
};

TEST_F(DialogTest, TheModalLoopSleepsToEachFramesDeadlineInsteadOfSpinning) {
  LoadWithWindow();
  // With only the loop's own waits moving the clock, 30 frames take 29 periods of 33 ms (the first frame is
  // handled before the loop); a loop that never waited would leave the clock where it was.
  int32_t seen = 0;
  const DWORD before = GetTickCount();
  Dialog::RunModal(std::make_unique<FrameCountingDialog>(30, seen));
  const DWORD spent = GetTickCount() - before;
  EXPECT_EQ(seen, 30);
  EXPECT_GE(spent, 29u * 33u - 30u);
  EXPECT_LE(spent, 30u * 34u);
}

}  // namespace
