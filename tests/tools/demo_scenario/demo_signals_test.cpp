// A control signal (INT, HUP or TERM) while a game of the demo runs, in the village, over the well's words and on the
// meadow, headless and on a display of the test's own: the program ends as cleanly as the File menu's Exit ends it,
// at once, and the sanitized build reports nothing. Each run is a child process of this test program, which raises
// the signal at its moment.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/virtual_display.h"
#include "tests/tools/demo_scenario/demo_program_fixture.h"

namespace {

using test_support::InputStep;
using namespace test_support::input;

// Where the village's picture leads: the well, and the road east onto the meadow.
constexpr int32_t kWellX = 200, kWellY = 280;
constexpr int32_t kRoadEastX = 600, kRoadEastY = 240;

void Say(const char* text) {
  if (write(STDERR_FILENO, text, std::strlen(text)) < 0) return;
}

class DemoSignalTest : public DemoProgramTest {};

TEST_F(DemoSignalTest, Child) {
  const char* role = ChildRole();
  if (role == nullptr) GTEST_SKIP() << "the child half of DemoSignals.ASignalDuringAGameEndsTheProgramCleanly";
  std::istringstream words(role);
  std::string place;
  static int signal = 0;
  words >> place >> signal;
  if (std::getenv("DISPLAY") != nullptr) HostTestSetHeadless(false);
  std::vector<InputStep> steps = NewGame("Ash", "human", "fighter");
  if (place == "meadow") {
    steps.push_back(Click(kRoadEastX, kRoadEastY));
    steps.push_back(Reach("the meadow", [] { return Quiet() && Here() == "meadow"; }));
    steps.push_back(Wait(6));
  } else if (place == "well") {  // the well's words: a message of a script, open in its modal loop
    steps.push_back(Click(kWellX, kWellY));
    steps.push_back(Reach("the well's words", [] { return !MessageShown().empty(); }));
    steps.push_back(Wait(4));
  }
  steps.push_back(Do([] {
    Say("[moment reached]\n");
    MarkChildTime();
    raise(signal);
  }));
  steps.push_back(Wait(60));
  const int code = Play(std::move(steps));
  Say(FailedStep().empty() ? "[the program went on]\n" : ("[failed at " + FailedStep() + "]\n").c_str());
  std::_Exit(code == 0 ? 100 : code);
}

TEST(DemoSignals, ASignalDuringAGameEndsTheProgramCleanly) {
  VirtualDisplay display;
  std::vector<std::vector<std::pair<std::string, std::string>>> screens = {{}};
  if (display.Ready()) screens.push_back({{"DISPLAY", display.Name()}, {"SDL_VIDEODRIVER", "x11"}});
  for (const auto& screen : screens) {
    for (const char* place : {"village", "well", "meadow"}) {
      for (int signal : {SIGINT, SIGHUP, SIGTERM}) {
        const std::string name = std::string(screen.empty() ? "headless" : "on a display") + ", " + place +
                                 ", signal " + std::to_string(signal);
        const ChildOutcome outcome =
            RunTestInChild("DemoSignalTest.Child", std::string(place) + " " + std::to_string(signal), screen);
        ASSERT_TRUE(outcome.started) << name;
        EXPECT_NE(outcome.output.find("[moment reached]"), std::string::npos) << name << "\n" << outcome.output;
        // The handler's exit, or the signal's own action when the program could not take it within tens of
        // milliseconds (a machine under load): either way nothing is reported.
        EXPECT_TRUE((outcome.exited && outcome.exitCode == 0) || outcome.signal == signal)
            << name << ": exit " << outcome.exitCode << ", signal " << outcome.signal << "\n" << outcome.output;
        EXPECT_FALSE(HasSanitizerReport(outcome.output)) << name << "\n" << outcome.output;
        std::printf("%s: %s after %.1f ms\n", name.c_str(), outcome.exited ? "exited" : "ended by the signal",
                    outcome.msAfterMark);
      }
    }
  }
}

}  // namespace
