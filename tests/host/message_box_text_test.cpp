// A message box's text fitted to the screen: long lines wrap, a word too long for a line (a path) is shortened in
// its middle, lines past what fits end in an ellipsis line, and the whole text still goes to standard error.
#include "host/src/message_box_text.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "user_test_helpers.h"

namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(MessageBoxText, WrapsShortensAndCutsToTheLimits) {
  struct Case {
    const char* text;
    const char* fitted;
  };
  const host::MessageBoxLimits limits{10, 3};
  const Case cases[] = {
      {"short", "short"},
      {"one two three four", "one two\nthree four"},
      {"C:\\games\\kestrival\\data", "C:\\g...ata"},
      {"see C:\\games\\kestrival\\data now", "see\nC:\\g...ata\nnow"},
      {"a\nb\nc", "a\nb\nc"},
      {"a\nb\nc\nd", "a\nb\n..."},
      {"one two three four five six seven", "one two\nthree four\n..."},
      {"a\r\n\r\nb", "a\n\nb"},
      {"  indented", "  indented"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(host::FitMessageBoxText(c.text, limits), c.fitted) << c.text;
  EXPECT_EQ(host::ShortenInMiddle("abcdefghijklmnop", 10), "abcd...nop");
  EXPECT_EQ(host::ShortenInMiddle("abcdefghij", 10), "abcdefghij");
}

TEST(MessageBoxText, LargerScreensHoldMoreButNeverUnreadableLines) {
  const host::MessageBoxLimits small = host::MessageBoxLimitsFor(640, 480);
  const host::MessageBoxLimits large = host::MessageBoxLimitsFor(1920, 1080);
  EXPECT_LT(small.columns, large.columns);
  EXPECT_LT(small.lines, large.lines);
  EXPECT_LE(large.columns, 80u);
  // A screen too small for any box still gets a readable one.
  const host::MessageBoxLimits tiny = host::MessageBoxLimitsFor(0, 0);
  EXPECT_GE(tiny.columns, 20u);
  EXPECT_GE(tiny.lines, 4u);
}

class MessageBoxes : public user_test::HeadlessWindows {};

TEST_F(MessageBoxes, ABoxShowsItsTextFittedAndTheWholeTextGoesToStandardError) {
  const host::MessageBoxLimits limits =
      host::MessageBoxLimitsFor(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  std::string path = "C:\\games";
  while (path.size() < 5000) path += "\\folder";
  std::string many;
  for (int i = 0; i < 10000; ++i) many += "line " + std::to_string(i) + "\n";
  struct Case {
    std::string text;
    const char* firstShown;
    const char* lastShown;
  };
  const Case cases[] = {
      // The path is shortened in its middle: its start and its end show.
      {"Cannot find the data folder \"" + path + "\".", "Cannot find the data folder", "folder\"."},
      // The lines past the screen's end give way to an ellipsis line.
      {many, "line 0", "..."},
  };
  for (const Case& c : cases) {
    HostTestClearMessageBoxes();
    testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBoxA(nullptr, c.text.c_str(), "Scenario", MB_OK | MB_ICONERROR), IDOK);
    EXPECT_NE(testing::internal::GetCapturedStderr().find(c.text), std::string::npos);
    std::vector<HostMessageBoxRecord> shown = HostTestMessageBoxes();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, c.text);
    std::vector<std::string> lines = Lines(shown[0].shownText);
    ASSERT_FALSE(lines.empty());
    EXPECT_LE(lines.size(), limits.lines);
    for (const std::string& line : lines) EXPECT_LE(line.size(), limits.columns) << line;
    EXPECT_EQ(lines.front().rfind(c.firstShown, 0), 0u) << lines.front();
    EXPECT_TRUE(lines.back().size() >= std::string(c.lastShown).size() &&
                lines.back().compare(lines.back().size() - std::string(c.lastShown).size(), std::string::npos,
                                     c.lastShown) == 0)
        << lines.back();
  }
}

}  // namespace
