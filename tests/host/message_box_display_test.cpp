// A message box on a display keeps to the screen, whatever its text: the box is shown in a child of this test
// program on a display of the test's own, and its window is found with the display's window lister.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "host/testing.h"
#include "host/user.h"
#include "tests/support/child_process.h"
#include "tests/support/virtual_display.h"

namespace {

constexpr const char* kLister = "/usr/bin/xwininfo";
constexpr const char* kCaption = "Data folder";
constexpr int kScreenWidth = 1280;  // the test display's screen
constexpr int kScreenHeight = 1024;

void Say(const std::string& text) {
  if (write(STDERR_FILENO, text.data(), text.size()) < 0) return;
}

// The geometry of the box's window ("WxH+X+Y"), or "" while there is none.
std::string BoxGeometry() {
  FILE* listing = popen((std::string(kLister) + " -root -tree 2>/dev/null").c_str(), "r");
  if (listing == nullptr) return "";
  std::string found;
  char line[1024];
  while (std::fgets(line, sizeof line, listing) != nullptr) {
    std::string text = line;
    if (text.find(std::string("\"") + kCaption + "\"") == std::string::npos) continue;
    size_t at = text.find(")  ");
    if (at != std::string::npos) found = text.substr(at + 3, text.find(' ', at + 3) - (at + 3));
  }
  pclose(listing);
  return found;
}

// The child's path of 5000 characters, as a data path read from a configuration file.
std::string LongPath() {
  std::string path = "C:\\games";
  while (path.size() < 5000) path += "\\folder" + std::to_string(path.size());
  return path.substr(0, 5000);
}

TEST(MessageBoxOnADisplay, ChildProcess) {
  if (ChildRole() == nullptr) GTEST_SKIP() << "the child half of the box test on a display";
  HostTestSetHeadless(false);
  // The box blocks this thread; another one reports the box's window once it shows and ends the program.
  std::thread([] {
    for (int attempt = 0; attempt < 200; ++attempt) {
      std::string geometry = BoxGeometry();
      if (!geometry.empty()) {
        Say("[box " + geometry + "]\n");
        std::_Exit(0);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    Say("[no box seen]\n");
    std::_Exit(4);
  }).detach();
  std::string text = "Cannot find the data folder \"" + LongPath() + "\".";
  MessageBoxA(nullptr, text.c_str(), kCaption, MB_OK | MB_ICONERROR);
  Say("[the box returned]\n");
  std::_Exit(3);
}

TEST(MessageBoxOnADisplay, AFiveThousandCharacterPathShowsABoxInsideTheScreen) {
  if (access(kLister, X_OK) != 0) GTEST_SKIP() << "no window lister to find the box with";
  VirtualDisplay display;
  if (!display.Ready()) GTEST_SKIP() << "no display server to test with";
  ChildOutcome outcome = RunTestInChild("MessageBoxOnADisplay.ChildProcess", "box",
                                        {{"DISPLAY", display.Name()}, {"SDL_VIDEODRIVER", "x11"}});
  ASSERT_TRUE(outcome.started);
  EXPECT_FALSE(HasSanitizerReport(outcome.output)) << outcome.output;
  size_t at = outcome.output.find("[box ");
  ASSERT_NE(at, std::string::npos) << outcome.output.substr(0, 2000);
  int width = 0, height = 0, x = 0, y = 0;
  ASSERT_EQ(std::sscanf(outcome.output.c_str() + at, "[box %dx%d+%d+%d]", &width, &height, &x, &y), 4)
      << outcome.output.substr(at, 80);
  EXPECT_GE(x, 0);
  EXPECT_GE(y, 0);
  EXPECT_LE(x + width, kScreenWidth);
  EXPECT_LE(y + height, kScreenHeight);
  // The whole text, which the box cannot hold, goes to standard error.
  EXPECT_NE(outcome.output.find(LongPath()), std::string::npos);
}

}  // namespace
