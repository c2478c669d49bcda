// The common file dialogs as the test seam answers them: the path handed back, Cancel, no dialog at all, a
// buffer too small, and the owner's timers firing while a chooser is open.
#include "host/dialogs.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/support/temp_folder.h"
#include "user_test_helpers.h"

namespace {

class FileDialogs : public user_test::HeadlessWindows {
 protected:
  void SetUp() override {
    HeadlessWindows::SetUp();
    HostTestClearFileChoosers();
  }
  void TearDown() override {
    HostTestClearFileChoosers();
    HostTestUseManualClock(false);
    HeadlessWindows::TearDown();
  }
  OPENFILENAMEA Record(char* file, DWORD size, const char* title, DWORD flags) {
    OPENFILENAMEA record{};
    record.lStructSize = sizeof(record);
    record.lpstrFile = file;
    record.nMaxFile = size;
    record.lpstrTitle = title;
    record.Flags = flags;
    return record;
  }
};

TEST_F(FileDialogs, AnswerFillsTheBufferAndTheNameOffsets) {
  char file[260] = "hero game.ksv";
  OPENFILENAMEA record = Record(file, sizeof(file), "Save", OFN_OVERWRITEPROMPT);
  HostTestAnswerFileChooser("C:\\saves\\hero game.ksv");
  ASSERT_TRUE(GetSaveFileNameA(&record));
  EXPECT_STREQ(file, "C:\\saves\\hero game.ksv");
  EXPECT_EQ(record.nFileOffset, 9);
  EXPECT_EQ(record.nFileExtension, 19);
  std::vector<HostFileChooserRecord> shown = HostTestFileChoosers();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_TRUE(shown[0].save);
  EXPECT_EQ(shown[0].title, "Save");
  EXPECT_EQ(shown[0].proposedName, "hero game.ksv");
  EXPECT_EQ(shown[0].flags, OFN_OVERWRITEPROMPT);
}

TEST_F(FileDialogs, CancelAndFailuresAreToldApartByTheExtendedError) {
  char file[8] = "";
  OPENFILENAMEA record = Record(file, sizeof(file), "Open", OFN_FILEMUSTEXIST);
  HostTestAnswerFileChooser(nullptr);
  EXPECT_FALSE(GetOpenFileNameA(&record));
  EXPECT_EQ(CommDlgExtendedError(), 0u);
  // Headless with no answer queued: no dialog can be shown.
  EXPECT_FALSE(GetOpenFileNameA(&record));
  EXPECT_EQ(CommDlgExtendedError(), CDERR_INITIALIZATION);
  HostTestAnswerFileChooser("C:\\a\\much-too-long.txt");
  EXPECT_FALSE(GetOpenFileNameA(&record));
  EXPECT_EQ(CommDlgExtendedError(), FNERR_BUFFERTOOSMALL);
  EXPECT_STREQ(file, "");
  record.lStructSize = 12;
  EXPECT_FALSE(GetOpenFileNameA(&record));
  EXPECT_EQ(CommDlgExtendedError(), CDERR_STRUCTSIZE);
}

TEST_F(FileDialogs, TimersKeepFiringWhileAChooserIsOpen) {
  HostTestUseManualClock(true);
  HWND window = Make(16, 16);
  Pump();
  ASSERT_EQ(SetTimer(window, 3, 10, nullptr), 3u);
  recorder_.messages.clear();
  char file[260] = "";
  OPENFILENAMEA record = Record(file, sizeof(file), "Open", 0);
  record.hwndOwner = window;
  HostTestAnswerFileChooser("C:\\x.ksv", 100);
  ASSERT_TRUE(GetOpenFileNameA(&record));
  std::vector<user_test::Received> timers = Of(WM_TIMER);
  EXPECT_GE(timers.size(), 5u);
  for (const user_test::Received& timer : timers) EXPECT_EQ(timer.wParam, 3u);
  KillTimer(window, 3);
}

TEST_F(FileDialogs, AChooserOpensInTheNamedFolderElseInTheSavedGamesFolder) {
  TempFolder temp;  // the program's folders lie in it
  const std::string savedGames = temp.WindowsPath("home\\data\\Saved Games");
  struct Case {
    const char* file;
    const char* initialFolder;
    std::string folder;
  };
  const Case cases[] = {
      {"hero game.ksv", nullptr, savedGames},
      {"", nullptr, savedGames},
      {"C:\\saves\\hero game.ksv", nullptr, "C:\\saves"},
      {"C:\\hero game.ksv", nullptr, "C:\\"},
      {"hero game.ksv", "C:\\games", "C:\\games"},
  };
  for (const Case& c : cases) {
    HostTestClearFileChoosers();
    char file[260];
    std::strcpy(file, c.file);
    OPENFILENAMEA record = Record(file, sizeof(file), "Save", OFN_OVERWRITEPROMPT);
    record.lpstrInitialDir = c.initialFolder;
    HostTestAnswerFileChooser(nullptr);
    EXPECT_FALSE(GetSaveFileNameA(&record));
    ASSERT_EQ(HostTestFileChoosers().size(), 1u);
    EXPECT_EQ(HostTestFileChoosers()[0].folder, c.folder) << c.file;
  }
  // Without the test's folder the saved games lie in the XDG data folder, beside the program's other data.
  const std::string relocated = std::getenv("KESTRIVAL_HOME");
  const char* xdg = std::getenv("XDG_DATA_HOME");
  const std::string savedXdg = xdg != nullptr ? xdg : "";
  unsetenv("KESTRIVAL_HOME");
  setenv("XDG_DATA_HOME", temp.PosixPath("xdg").c_str(), 1);
  HostTestClearFileChoosers();
  char file[260] = "hero game.ksv";
  OPENFILENAMEA record = Record(file, sizeof(file), "Save", 0);
  HostTestAnswerFileChooser(nullptr);
  GetSaveFileNameA(&record);
  setenv("KESTRIVAL_HOME", relocated.c_str(), 1);
  if (xdg != nullptr) {
    setenv("XDG_DATA_HOME", savedXdg.c_str(), 1);
  } else {
    unsetenv("XDG_DATA_HOME");
  }
  ASSERT_EQ(HostTestFileChoosers().size(), 1u);
  EXPECT_EQ(HostTestFileChoosers()[0].folder, temp.WindowsPath("xdg\\kestrival\\Saved Games"));
}

}  // namespace
