// The level gain, the text entries and the journal: what each shows, the journal's removal, and a level gain
// that a click closes within its input delay.
#include "game/dialogs/character_info_dialogs.h"

#include <gtest/gtest.h>

#include "game/dialogs/list_controls.h"
#include "game/rules/character.h"
#include "game/shell/input_manager.h"
#include "host/user.h"
#include "tests/support/dialog_input.h"

namespace {

namespace sw = scenario_writer;
using namespace test_support::input;

class CharacterInfoDialogsTest : public test_support::DialogHarness {
 protected:
  void SetUp() override {
    DialogHarness::SetUp();
    Config().layouts[0] = {"Entries.bmp", {{"list", 10, 10, 150, 150}, {"text", 170, 10, 150, 150}, {"ok", 170, 170, 80, 30}}};
    Config().layouts[2] = {"Journal.bmp",
                           {{"list", 10, 10, 300, 100}, {"ok", 10, 120, 80, 30}, {"remove", 100, 120, 80, 30},
                            {"position", 200, 120, 80, 30}}};
    Config().layouts[14] = {"Level.bmp", {{"level", 10, 10, 100, 30}, {"needed", 10, 50, 100, 30}}};
    AddPicture("Pictures/Entries.bmp", sw::Canvas(330, 210));
    AddPicture("Pictures/Journal.bmp", sw::Canvas(320, 160));
    AddPicture("Pictures/Level.bmp", sw::Canvas(200, 100));
  }
  static std::string Rows(const Dialog& dialog) {
    std::string rows;
    const auto* list = dialog.GetControlAs<ListControl>(0);
    for (int32_t i = 0; i < list->GetRowCount(); ++i) rows += list->GetRow(i).text + ";";
    return rows;
  }
};

TEST_F(CharacterInfoDialogsTest, TheEntriesShowTheSelectedEntrysSecondText) {
  LoadWithWindow();
  Player().AddTextEntry("k1", "Old map", "It shows the caves.");
  Player().AddTextEntry("k2", "Letter", "Meet me at dawn.");
  std::string first, second;
  auto text = [](std::string& into) {
    return WaitFor([&into] {
      into = OpenDialogs().back()->GetControlAs<StaticTextControl>(EntryInfoDialog::kText)->GetText();
      return true;
    });
  };
  auto run = test_support::RunScripted(std::make_unique<EntryInfoDialog>(),
                                       {text(first), Wait(6), KeyDown(VK_DOWN), Wait(2), KeyUp(VK_DOWN), text(second),
                                        KeyDown(VK_ESCAPE)});
  EXPECT_FALSE(run.closedTheWindow);
  EXPECT_EQ(first, "It shows the caves.");
  EXPECT_EQ(second, "Meet me at dawn.");
}

TEST_F(CharacterInfoDialogsTest, TheJournalOpensOnTheNewestAndRemovesTheFirstEqualEntry) {
  Load();
  Player().journal = {"first", "second", "third"};
  JournalDialog three;
  EXPECT_EQ(three.PositionText(), "1/3");
  EXPECT_EQ(Rows(three), "third;second;first;");

  // "Remove" acts once Return has been seen up while the journal runs: one frame with the keys up arms it.
  auto armed = [](JournalDialog& journal) {
    Input::BeginFrame();
    journal.HandleEvents();
  };
  Player().journal = {"same", "other", "same"};
  JournalDialog twice;
  armed(twice);
  twice.OnControlEvent(JournalDialog::kRemove, 13);
  EXPECT_EQ(Player().journal, (std::vector<std::string>{"other", "same"}));
  EXPECT_EQ(twice.PositionText(), "1/2");

  Player().journal = {"only"};
  JournalDialog one;
  EXPECT_TRUE(one.GetControlAs<CaptionButton>(JournalDialog::kRemove)->IsEnabled());
  armed(one);
  one.OnControlEvent(JournalDialog::kRemove, 13);
  EXPECT_TRUE(Player().journal.empty());
  EXPECT_EQ(one.PositionText(), "0/0");
  EXPECT_FALSE(one.GetControlAs<CaptionButton>(JournalDialog::kRemove)->IsEnabled());
}

// "Remove" fires in every frame that finds Return down while the pointer moves over it, and acts only while Return
// is armed: a Return down as the journal opens removes nothing, a held one removes one entry, and a new press the
// next.
TEST_F(CharacterInfoDialogsTest, ReturnHeldOverRemoveRemovesOneEntryAndEachNewPressTheNext) {
  LoadWithWindow();
  Player().journal = {"first", "second", "third"};
  JournalDialog journal;
  const Bounds remove = journal.GetControl(JournalDialog::kRemove)->GetRect();
  const int32_t x = journal.Frame().x + remove.x + remove.width / 2;
  const int32_t y = journal.Frame().y + remove.y + remove.height / 2;
  int32_t nudge = 0;
  // One frame with the pointer moved over "Remove", which then has the focus as the control under the pointer.
  auto frame = [&](bool returnDown) {
    Input::SetMousePosition(x + nudge++ % 2, y);
    Input::SetKey(kSlotReturn, returnDown ? 1 : 0);
    Input::BeginFrame();
    journal.HandleEvents();
  };
  frame(true);
  EXPECT_EQ(Player().journal.size(), 3u);
  frame(false);
  for (int32_t i = 0; i < 5; ++i) frame(true);
  EXPECT_EQ(Player().journal, (std::vector<std::string>{"first", "second"}));
  EXPECT_EQ(journal.PositionText(), "1/2");
  frame(false);
  frame(true);
  EXPECT_EQ(Player().journal, (std::vector<std::string>{"first"}));
  frame(false);
}

TEST_F(CharacterInfoDialogsTest, TheLevelGainShowsItsValuesAndAClickClosesItWithinItsFirstTwoSeconds) {
  sw::SkillTableSpec table;
  table.levelValues[3] = 2500;
  Files().Add("Players/Skill Tables/Bard.skt", sw::EncodeSkillTable(table));
  Files().Add("Players/Classes/Bard.cls", sw::EncodeClass({}));
  LoadWithWindow();
  Character& player = Player();
  player.level = 3;
  player.AssignDefaultClass();
  player.ResolveLinkedRecord();
  std::string level, needed;
  auto run = test_support::RunScripted(std::make_unique<LevelGainDialog>(), {WaitFor([&] {
                                                                                auto* dialog = OpenDialogs().back();
                                                                                level = dialog->GetControlAs<StaticTextControl>(0)->GetText();
                                                                                needed = dialog->GetControlAs<StaticTextControl>(1)->GetText();
                                                                                return true;
                                                                              }),
                                                                              Click(320, 240)});
  EXPECT_FALSE(run.closedTheWindow);
  EXPECT_LT(run.frames, 10);
  EXPECT_EQ(level, "3");
  EXPECT_EQ(needed, "2500");
}

}  // namespace
