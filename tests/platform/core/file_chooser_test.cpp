// The file and folder choosers: through the dialog (answered by the host's test seam) and on the console (a
// script of answers as standard input would give them).
#include "platform/core/file_chooser.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "host/testing.h"
#include "tests/support/chooser_fixture.h"

namespace {

class FileChooser : public ChooserTest {
 protected:
  void SetUp() override {
    ChooserTest::SetUp();
    temp_.WriteFile("data/a.txt", "a");
    temp_.WriteFile("data/sub/b.txt", "b");
  }
  void TearDown() override {
    CloseScript();
    if (chosen_ != 0) PlatformReleaseFolder(chosen_);
    ChooserTest::TearDown();
  }

  // Console answers come from script; what the choosers print is read back by Printed().
  void Script(const std::string& script) {
    CloseScript();
    script_ = script;
    in_ = fmemopen(script_.data(), script_.size(), "r");
    out_ = open_memstream(&outText_, &outSize_);
    PlatformSetChooserConsole(in_, out_);
  }
  void CloseScript() {
    PlatformSetChooserConsole(nullptr, nullptr);
    if (in_ != nullptr) std::fclose(in_);
    if (out_ != nullptr) std::fclose(out_);
    std::free(outText_);
    in_ = out_ = nullptr;
    outText_ = nullptr;
    outSize_ = 0;
  }
  std::string Printed() {
    std::fflush(out_);
    return std::string(outText_, outSize_);
  }
  std::string FolderText(FolderRef folder) {
    char path[300];
    EXPECT_EQ(PlatformGetFullPath(folder, "", path, sizeof(path)), kPlatformNoError);
    return path;
  }

  // The full path text the file manager gives for a folder of the test's.
  std::string Full(const std::string& relative) { return "C:" + temp_.PosixPath(relative); }

  std::string script_;
  FILE* in_ = nullptr;
  FILE* out_ = nullptr;
  char* outText_ = nullptr;
  size_t outSize_ = 0;
  FolderRef chosen_ = 0;
  char name_[kChooserNameSize] = "x";
};

TEST_F(FileChooser, DialogSplitsTheChosenFileIntoFolderAndName) {
  HostTestAnswerFileChooser(temp_.WindowsPath("data\\a.txt").c_str());
  ASSERT_EQ(PlatformChooseFileToOpen(nullptr, false, 0, &chosen_, name_), kPlatformNoError);
  EXPECT_STREQ(name_, "a.txt");
  EXPECT_EQ(FolderText(chosen_), Full("data"));
  EXPECT_EQ(HostTestFileChoosers().back().title, "Select a file");
  EXPECT_EQ(HostTestFileChoosers().back().flags, 0x1800u);
}

TEST_F(FileChooser, DialogWithTheFolderFlagGivesTheFolderOfThePickedItem) {
  HostTestAnswerFileChooser(temp_.WindowsPath("data\\a.txt").c_str());
  ASSERT_EQ(PlatformChooseFileToOpen("", true, 0, &chosen_, name_), kPlatformNoError);
  EXPECT_STREQ(name_, "");
  EXPECT_EQ(FolderText(chosen_), Full("data"));
  EXPECT_EQ(HostTestFileChoosers().back().title, "Select a folder");
}

TEST_F(FileChooser, DialogCancelGivesNoReferenceAndNoName) {
  HostTestAnswerFileChooser(nullptr);
  EXPECT_EQ(PlatformChooseFileToOpen("Open", false, 0, &chosen_, name_), kPlatformErrCancelled);
  EXPECT_EQ(chosen_, 0);
  EXPECT_STREQ(name_, "");
  uint8_t exists = 7;
  HostTestAnswerFileChooser(nullptr);
  EXPECT_EQ(PlatformChooseFileToSave("Save", "x.ksv", &exists, &chosen_, name_), kPlatformErrCancelled);
  EXPECT_EQ(chosen_, 0);
  EXPECT_EQ(exists, 0);
}

TEST_F(FileChooser, DialogSaveReportsWhetherTheNameExists) {
  struct Case {
    const char* relative;
    uint8_t exists;
  } cases[] = {{"data\\a.txt", 1}, {"data\\new.ksv", 0}};
  for (const Case& c : cases) {
    uint8_t exists = 9;
    HostTestAnswerFileChooser(temp_.WindowsPath(c.relative).c_str());
    ASSERT_EQ(PlatformChooseFileToSave(nullptr, "hero game.ksv", &exists, &chosen_, name_), kPlatformNoError);
    EXPECT_EQ(exists, c.exists) << c.relative;
    EXPECT_EQ(FolderText(chosen_), Full("data"));
    PlatformReleaseFolder(chosen_);
    chosen_ = 0;
  }
  HostFileChooserRecord shown = HostTestFileChoosers().back();
  EXPECT_EQ(shown.title, "Save As");
  EXPECT_EQ(shown.proposedName, "hero game.ksv");
  EXPECT_EQ(shown.flags, 0x8802u);
}

TEST_F(FileChooser, ConsoleOpenAsksAgainUntilAnAnswerFits) {
  Script("missing.txt\ndata/sub\ndata/a.txt trailing words\n");
  ASSERT_EQ(PlatformChooseFileToOpen(nullptr, false, 0, &chosen_, name_), kPlatformNoError);
  EXPECT_STREQ(name_, "a.txt");
  EXPECT_EQ(FolderText(chosen_), Full("data"));
  EXPECT_EQ(Printed(),
            "Select a file: There is no such file.\n\n"
            "Select a file: That is not a file!\n\n"
            "Select a file: ");
}

TEST_F(FileChooser, ConsoleOpenOfAFolder) {
  Script("data/a.txt\ndata/sub\n");
  ASSERT_EQ(PlatformChooseFileToOpen("Pick:", true, 0, &chosen_, name_), kPlatformNoError);
  EXPECT_STREQ(name_, "");
  EXPECT_EQ(FolderText(chosen_), Full("data/sub"));
  EXPECT_EQ(Printed(), "Pick: That is not a folder!\n\nPick: ");
}

TEST_F(FileChooser, ConsoleEmptyAnswerOrEndOfInputCancels) {
  for (const char* script : {"\n", ""}) {
    Script(script);
    EXPECT_EQ(PlatformChooseFileToOpen(nullptr, false, 0, &chosen_, name_), kPlatformErrCancelled);
    EXPECT_EQ(chosen_, 0);
  }
}

TEST_F(FileChooser, ConsoleSaveAsksBeforeReplacing) {
  // Two refusals (n, then an empty line), an unknown key that asks again, then yes.
  Script("data/a.txt\nn\ndata/a.txt\n\ndata/a.txt\nq\ny\n");
  uint8_t exists = 0;
  ASSERT_EQ(PlatformChooseFileToSave(nullptr, nullptr, &exists, &chosen_, name_), kPlatformNoError);
  EXPECT_EQ(exists, 1);
  EXPECT_STREQ(name_, "a.txt");
  const std::string long_question = "A file with that name already exists. Replace it? [y/N] : ";
  EXPECT_EQ(Printed(), "Enter a file name: " + long_question + "Enter a file name: [y/N] : Enter a file name: " +
                           "[y/N] : [y/N] : ");
}

TEST_F(FileChooser, ConsoleSaveRepeatsTheLongQuestionEveryFifthTime) {
  std::string script;
  for (int i = 0; i < 6; ++i) script += "data/sub\nn\n";
  script += "new.ksv\n";
  Script(script);
  uint8_t exists = 1;
  ASSERT_EQ(PlatformChooseFileToSave("Name?", nullptr, &exists, &chosen_, name_), kPlatformNoError);
  EXPECT_EQ(exists, 0);
  EXPECT_STREQ(name_, "new.ksv");
  EXPECT_EQ(FolderText(chosen_), "C:" + temp_.Posix());
  const std::string long_question = "A folder with that name already exists. Replace it? [y/N] : ";
  std::string expected;
  for (int i = 0; i < 6; ++i) expected += "Name? " + (i % 5 == 0 ? long_question : std::string("[y/N] : "));
  expected += "Name? ";
  EXPECT_EQ(Printed(), expected);
}

TEST_F(FileChooser, ConsoleReadsStandardInputByDefault) {
  // The script arrives on the process's standard input, as from a pipe.
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  const std::string script = "data/a.txt\n";
  ASSERT_EQ(write(ends[1], script.data(), script.size()), static_cast<ssize_t>(script.size()));
  close(ends[1]);
  int savedIn = dup(STDIN_FILENO);
  ASSERT_EQ(dup2(ends[0], STDIN_FILENO), STDIN_FILENO);
  close(ends[0]);
  clearerr(stdin);
  Script("");
  PlatformSetChooserConsole(nullptr, out_);
  PlatformError error = PlatformChooseFileToOpen(nullptr, false, 0, &chosen_, name_);
  dup2(savedIn, STDIN_FILENO);
  close(savedIn);
  clearerr(stdin);
  ASSERT_EQ(error, kPlatformNoError);
  EXPECT_STREQ(name_, "a.txt");
  EXPECT_EQ(Printed(), "Select a file: ");
}

}  // namespace
