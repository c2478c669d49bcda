// The data stream's file choosers: the extension added to a chosen save name, the question before replacing a
// file of the new name, and Cancel.
#include <gtest/gtest.h>

#include <memory>

#include "game/shell/data/data_stream.h"
#include "host/testing.h"
#include "host/user.h"
#include "tests/support/chooser_fixture.h"

namespace {

class DataStreamChooser : public ChooserTest {
 protected:
  void SetUp() override {
    ChooserTest::SetUp();
    temp_.WriteFile("saves/old.ksv", "old");
  }
};

TEST_F(DataStreamChooser, SaveNameGetsTheExtension) {
  HostTestAnswerFileChooser(temp_.WindowsPath("saves\\hero").c_str());
  std::unique_ptr<DataStream> stream = ChooseSaveFile("Save", "hero game.ksv", "ksv");
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(stream->GetPath(), "hero.ksv");
  EXPECT_EQ(stream->GetFullPath(), "C:" + temp_.PosixPath("saves/hero.ksv"));
  EXPECT_TRUE(HostTestMessageBoxes().empty());
  EXPECT_EQ(HostTestFileChoosers().back().proposedName, "hero game.ksv");
}

// The question is a warning whose default is No: Return, or no display to show it on, keeps the old file.
TEST_F(DataStreamChooser, ReplacingAFileOfTheExtendedNameIsAsked) {
  constexpr int kDefaultButton = 0;  // no answer given: the box's default button answers
  struct Case {
    int answer;
    bool chosen;
  } cases[] = {{IDNO, false}, {IDYES, true}, {kDefaultButton, false}};
  for (const Case& c : cases) {
    HostTestClearMessageBoxes();
    HostTestAnswerFileChooser(temp_.WindowsPath("saves\\old").c_str());
    if (c.answer != kDefaultButton) HostTestAnswerMessageBox(c.answer);
    std::unique_ptr<DataStream> stream = ChooseSaveFile("Save", "", "ksv");
    EXPECT_EQ(stream != nullptr, c.chosen) << c.answer;
    EXPECT_EQ(temp_.ReadFile("saves/old.ksv"), "old");
    std::vector<HostMessageBoxRecord> boxes = HostTestMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].type, MB_TASKMODAL | MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2);
    EXPECT_EQ(boxes[0].caption, "Save");
    EXPECT_EQ(boxes[0].text,
              "\"C:" + temp_.PosixPath("saves/old.ksv") + "\" already exists.\nDo you want to replace it?");
  }
}

TEST_F(DataStreamChooser, CancelGivesNoStream) {
  HostTestAnswerFileChooser(nullptr);
  EXPECT_EQ(ChooseSaveFile("Save", "x.ksv", "ksv"), nullptr);
  HostTestAnswerFileChooser(nullptr);
  EXPECT_EQ(ChooseOpenFile("Open", 0), nullptr);
}

TEST_F(DataStreamChooser, OpenGivesAStreamOfTheChosenFile) {
  HostTestAnswerFileChooser(temp_.WindowsPath("saves\\old.ksv").c_str());
  std::unique_ptr<DataStream> stream = ChooseOpenFile("Open", 0);
  ASSERT_NE(stream, nullptr);
  ASSERT_EQ(stream->Open(kDataStreamRead | kDataStreamWholeFile), 0);
  EXPECT_EQ(stream->GetSize(), 3u);
  stream->Close();
}

}  // namespace
