// The script engine's dialogs as a driver and the player see them: where a message puts its picture, what closes
// a message, and a text input that refuses an empty answer; then the event message run for real under scripted
// input: its choices, its journal key, and a message that is only a picture.
#include "game/dialogs/message_dialog.h"

#include <gtest/gtest.h>

#include "game/dialogs/modal_dialog_driver.h"
#include "game/dialogs/player_choice_dialogs.h"
#include "game/rules/game_state.h"
#include "game/rules/script_engine.h"
#include "game/shell/input_manager.h"
#include "game/shell/media/movie_player.h"
#include "host/testing_sound.h"
#include "host/user.h"
#include "tests/support/dialog_input.h"
#include "tests/support/script_harness.h"

namespace {

namespace sw = scenario_writer;
using namespace test_support::script;

class MessageDialogTest : public test_support::ScriptHarness {
 protected:
  void SetUp() override {
    ScriptHarness::SetUp();
    Config().layouts[1].name = "Message.bmp";
    AddPicture("Pictures/Message.bmp", sw::Canvas(400, 150));
    Load();
  }
};

TEST_F(MessageDialogTest, APictureGoesAboveTheMessageOrIsCentredWhenTooTall) {
  struct Case {
    int32_t width, height;
    Bounds rect;
  } cases[] = {
      {200, 100, {220, 98, 200, 100}},
      {100, 300, {270, 20, 100, 300}},
      {100, 450, {270, 15, 100, 450}},
  };
  for (const Case& c : cases) {
    MessageDialog dialog(nullptr, Made(Message("Hello")));
    auto picture = std::make_unique<Bitmap>();
    ASSERT_EQ(picture->Create(c.width, c.height, 67), 0);
    dialog.AttachPicture(std::move(picture));
    const Bounds& rect = dialog.AttachedRect();
    EXPECT_EQ(rect.x, c.rect.x) << c.height;
    EXPECT_EQ(rect.y, c.rect.y) << c.height;
    EXPECT_EQ(rect.width, c.rect.width);
    EXPECT_EQ(rect.height, c.rect.height);
  }
}

TEST_F(MessageDialogTest, DismissingTakesTheFirstChoiceOffered) {
  SetMessageChoiceText("before");
  MessageDialog plain(nullptr, Made(Message("Hello")));
  plain.Dismiss();
  EXPECT_TRUE(plain.IsClosed());
  EXPECT_EQ(GetMessageChoiceText(), "before");
  MessageDialog choices(nullptr, Made(Message("Pick", {{"", "none"}, {"Two", "two"}, {"Three", "three"}})));
  EXPECT_TRUE(choices.HasChoices());
  choices.Choose(1);  // not offered
  EXPECT_FALSE(choices.IsClosed());
  choices.Dismiss();
  EXPECT_TRUE(choices.IsClosed());
  EXPECT_EQ(GetMessageChoiceText(), "two");
}

TEST_F(MessageDialogTest, ATextInputRefusesAnEmptyAnswerAndCutsALongOne) {
  SetEnteredText("old");
  TextInputDialog dialog("", "Name?", 4);
  EXPECT_FALSE(dialog.Confirm());
  EXPECT_FALSE(dialog.IsClosed());
  dialog.SetText("Rosalind");
  EXPECT_EQ(dialog.Text(), "Rosa");
  EXPECT_TRUE(dialog.Confirm());
  EXPECT_TRUE(dialog.IsClosed());
  EXPECT_EQ(GetEnteredText(), "Rosa");
}

TEST_F(MessageDialogTest, ADialogClosedFromTheStartNeverReachesTheDriver) {
  // No answer is queued: the harness's driver would fail the test if it were asked.
  auto dialog = std::make_unique<MessageDialog>(nullptr, Made(Message("Gone")));
  dialog->Dismiss();
  Dialog::RunModal(std::move(dialog));
  EXPECT_TRUE(Shown().empty());
}

// Layout 1 with the message's five elements: the text, three choice buttons and the journal button.
class MessageDialogRunTest : public test_support::DialogHarness {
 protected:
  void SetUp() override {
    DialogHarness::SetUp();
    Config().layouts[1].name = "Message.bmp";
    Config().layouts[1].elements = {{"text", 20, 10, 340, 60},
                                    {"choice 1", 20, 100, 100, 30},
                                    {"choice 2", 150, 100, 100, 30},
                                    {"choice 3", 280, 100, 100, 30},
                                    {"journal", 370, 10, 20, 20}};
    AddPicture("Pictures/Message.bmp", sw::Canvas(400, 150, sw::Rgb{200, 180, 40}));
    LoadWithWindow();
  }
};

TEST_F(MessageDialogRunTest, AChoiceHandsItsLabelToTheEngineByClickOrByReturnOnTheFirst) {
  using namespace test_support::input;
  const auto pick = Made(Message("Pick", {{"Yes", "yes"}, {"No", "no"}}));
  SetMessageChoiceText("");
  auto run = test_support::RunScripted(std::make_unique<MessageDialog>(nullptr, pick), {ClickOn(2)});
  EXPECT_FALSE(run.closedTheWindow);
  EXPECT_EQ(GetMessageChoiceText(), "no");
  run = test_support::RunScripted(std::make_unique<MessageDialog>(nullptr, pick), {KeyDown(VK_RETURN)});
  EXPECT_FALSE(run.closedTheWindow);
  EXPECT_EQ(GetMessageChoiceText(), "yes");
}

TEST_F(MessageDialogRunTest, AChoiceWithoutALabelOnlyClosesAndEscapeClosesNoMessageWithChoices) {
  using namespace test_support::input;
  SetMessageChoiceText("before");
  auto run = test_support::RunScripted(
      std::make_unique<MessageDialog>(nullptr, Made(Message("Go?", {{"Stay", "stay"}, {"Leave", ""}}))),
      {ClickOn(2)});
  EXPECT_FALSE(run.closedTheWindow);
  EXPECT_EQ(GetMessageChoiceText(), "before");
  run = test_support::RunScripted(std::make_unique<MessageDialog>(nullptr, Made(Message("Go?", {{"Stay", "stay"}}))),
                                  {KeyDown(VK_ESCAPE), Wait(3), Click(10, 10), Wait(3)});
  EXPECT_TRUE(run.closedTheWindow);
  EXPECT_EQ(GetMessageChoiceText(), "before");
}

TEST_F(MessageDialogRunTest, TheJournalKeyPressedTwiceAddsTheMessageOnce) {
  using namespace test_support::input;
  Player().journal.clear();
  auto run = test_support::RunScripted(std::make_unique<MessageDialog>(nullptr, Made(Message("The well is dry."))),
                                       {KeyDown('J'), Wait(2), KeyUp('J'), KeyDown('J'), KeyUp('J'), KeyDown(VK_ESCAPE)});
  EXPECT_FALSE(run.closedTheWindow);
  EXPECT_EQ(Player().journal, std::vector<std::string>{"The well is dry."});
  // The next message of that text has its journal button off.
  MessageDialog again(nullptr, Made(Message("The well is dry.")));
  EXPECT_FALSE(again.GetControlAs<PictureButton>(MessageDialog::kJournalButton)->IsEnabled());
}

// With a picture above it, the message keeps its own rectangle as its frame, below the picture, and a click where a
// choice is drawn takes it. A frame grown to the union of the two would start at the picture's top: the same point,
// read relative to it, falls on no control.
TEST_F(MessageDialogRunTest, WithAPictureAboveTheChoicesTakeTheirClicks) {
  using namespace test_support::input;
  auto dialog = std::make_unique<MessageDialog>(nullptr, Made(Message("Pick", {{"Yes", "yes"}, {"No", "no"}})));
  auto picture = std::make_unique<Bitmap>();
  ASSERT_EQ(picture->Create(200, 100, OpaqueFormat), kBitmapReady);
  dialog->AttachPicture(std::move(picture));
  const Bounds above = dialog->AttachedRect();
  const Bounds frame = dialog->Frame();
  EXPECT_EQ(frame.y, above.y + above.height + 20);
  EXPECT_EQ(frame.height, 150);
  const Bounds choice = dialog->GetControl(2)->GetRect();
  const int32_t x = frame.x + choice.x + choice.width / 2, y = frame.y + choice.y + choice.height / 2;
  Bounds united = frame;
  united.Union(above);
  ASSERT_EQ(united.y, above.y);
  for (int32_t i = 0; i < 5; ++i) EXPECT_FALSE(dialog->GetControl(i)->HitTest(x - united.x, y - united.y)) << i;
  SetMessageChoiceText("");
  auto run = test_support::RunScripted(std::move(dialog), {Click(x, y)});
  EXPECT_FALSE(run.closedTheWindow);
  EXPECT_EQ(GetMessageChoiceText(), "no");
}

TEST_F(MessageDialogRunTest, AMessageOfOnlyAPictureShowsNoPanelAndClosesOnAClick) {
  using namespace test_support::input;
  auto dialog = std::make_unique<MessageDialog>(nullptr, Made(Message("")));
  auto picture = std::make_unique<Bitmap>();
  ASSERT_EQ(picture->Create(100, 80, OpaqueFormat), kBitmapReady);
  FillRect(*picture, picture->Frame(), DrawColor{200, 40, 20, 255});
  dialog->AttachPicture(std::move(picture));
  EXPECT_EQ(dialog->GetPicture(), nullptr);
  const Bounds at = dialog->AttachedRect();
  uint32_t middle = 0, below = 0;
  auto run = test_support::RunScripted(std::move(dialog), {WaitFor([&] {
                                                             middle = PixelShown(at.x + 50, at.y + 40);
                                                             below = PixelShown(320, at.y + at.height + 40);
                                                             return middle == 0x001428C8u;
                                                           }),
                                                           Click(at.x + 10, at.y + 10)});
  EXPECT_FALSE(run.closedTheWindow);
  EXPECT_EQ(middle, 0x001428C8u);
  EXPECT_NE(below, 0x00C8B428u);  // no panel under the picture
}

TEST_F(MessageDialogRunTest, AMessageOfOnlyAMovieClosesWhenTheMovieEnds) {
  using namespace test_support::input;
  ASSERT_TRUE(HostTestWriteMovie(temp_.PosixPath("clip.mov").c_str(), 16, 8, 3, 10,
                                 {0x00FF0000u, 0x0000FF00u, 0x000000FFu}, false));
  std::unique_ptr<MoviePlayer> movie = MoviePlayer::Open(temp_.Windows() + "\\clip.mov");
  ASSERT_NE(movie, nullptr);
  auto dialog = std::make_unique<MessageDialog>(nullptr, Made(Message("")));
  dialog->AttachMovie(std::move(movie));
  // 300 ms of movie: the message closes by itself well before the script's 60 frames have passed.
  auto run = test_support::RunScripted(std::move(dialog), {Wait(60)});
  EXPECT_FALSE(run.closedTheWindow);
  EXPECT_LT(run.frames, 30);
  EXPECT_EQ(MoviePlayer::Current(), nullptr);
}

// A message with no text, no labels and nothing attached has no background and no frame, yet the layers it was
// placed on stay: the layout's picture still shows, and a click closes it.
TEST_F(MessageDialogRunTest, AMessageWithNothingToShowLeavesTheLayoutsPictureAndClosesOnAClick) {
  using namespace test_support::input;
  auto dialog = std::make_unique<MessageDialog>(nullptr, Made(Message("")));
  EXPECT_EQ(dialog->GetPicture(), nullptr);
  EXPECT_TRUE(dialog->Frame().IsEmpty());
  uint32_t middle = 0;
  auto run = test_support::RunScripted(std::move(dialog), {WaitFor([&] {
                                                             middle = PixelShown(320, 240);
                                                             return middle == 0x00C8B428u;
                                                           }),
                                                           Click(320, 240)},
                                       60);
  EXPECT_FALSE(run.closedTheWindow);
  EXPECT_EQ(middle, 0x00C8B428u);
}

// A dialog with one focused button, whose command opens a message that closes on Return.
class AskingDialog : public Dialog {
 public:
  explicit AskingDialog(int32_t& asked) : Dialog(1, 2, kKinds, true), asked_(asked) {
    auto* ask = GetControlAs<TextButton>(1);
    ask->SetCaption("Ask");
    ask->SetCommand(kFirstCommand);
    BeginFocusGroup();
    AddToFocusGroup(1);
    FocusFirstControl();
  }
  int32_t OnControlEvent(int32_t index, ControlEvent code) override {
    if (code != kFirstCommand) return Dialog::OnControlEvent(index, code);
    ++asked_;
    Dialog::RunModal(std::make_unique<MessageDialog>(nullptr, Made(Message("Asked."))));
    return kConsumeClick;
  }
  static constexpr ControlKind kKinds[] = {kStaticTextKind, kTextButtonKind};

 private:
  int32_t& asked_;
};

// Return pressed on the focused button opens the message; the message stays open while that Return is held, and
// closes on the next press, which does not reach the button behind it, even held for frames.
TEST_F(MessageDialogRunTest, AMessageClosedByReturnDoesNotPressTheButtonBehindIt) {
  using namespace test_support::input;
  int32_t asked = 0;
  bool stillOpen = false;
  auto run = test_support::RunScripted(std::make_unique<AskingDialog>(asked),
                                       {KeyDown(VK_RETURN), Wait(3), WaitFor([&] {
                                          stillOpen = OpenDialogs().size() == 2;
                                          return true;
                                        }),
                                        KeyUp(VK_RETURN), Wait(1), KeyDown(VK_RETURN), Wait(4), KeyUp(VK_RETURN),
                                        Wait(4), KeyDown(VK_ESCAPE)});
  EXPECT_FALSE(run.closedTheWindow);
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(asked, 1);
}

}  // namespace
