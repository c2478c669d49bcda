// The script engine's dialogs as a driver and the player see them: where a message puts its picture, what closes
// a message, and a text input that refuses an empty answer.
#include "game/dialogs/message_dialog.h"

#include <gtest/gtest.h>

#include "game/dialogs/modal_dialog_driver.h"
#include "game/dialogs/text_input_dialog.h"
#include "game/rules/game_state.h"
#include "game/rules/script_engine.h"
#include "game/shell/input_manager.h"
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

}  // namespace
