// The program's process where its windows reach a display: what the display libraries leave at exit, and the
// processes of the file chooser, which must end with the program however the program ends. Each case runs in a
// child of this test program on a display of the test's own.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "host/dialogs.h"
#include "host/kernel.h"
#include "host/testing.h"
#include "host/user.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_folder.h"
#include "tests/support/virtual_display.h"

namespace {

constexpr const char* kPidFileVariable = "KESTRIVAL_TEST_CHOOSER_PID_FILE";
constexpr const char* kHelperPidFileVariable = "KESTRIVAL_TEST_CHOOSER_HELPER_PID_FILE";

// Ends the program as the framework's console handler does: through the exit list.
BOOL ExitOnControlEvent(DWORD) { std::exit(0); }

void Say(const std::string& text) {
  if (write(STDERR_FILENO, text.data(), text.size()) < 0) return;
}

LRESULT PlainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

// A window on the display, as the game's: the video library connects to the display and its session services.
HWND ShowWindowOnTheDisplay() {
  HostTestSetHeadless(false);
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = PlainProc;
  windowClass.lpszClassName = "DisplayProcessTest";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(0, "DisplayProcessTest", "Display", 0x86CA0000, 0, 0, 320, 200, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  if (window != nullptr) ShowWindow(window, SW_SHOW);
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  return window;
}


TEST(OnADisplay, ChildProcess) {
  const char* role = ChildRole();
  if (role == nullptr) GTEST_SKIP() << "the child half of the tests on a display";
  HWND window = ShowWindowOnTheDisplay();
  if (window == nullptr) {
    Say("[no window on the display]\n");
    std::_Exit(2);
  }
  Say("[window shown]\n");
  if (std::string(role) == "exit") {
    DestroyWindow(window);
    return;  // the test program ends as the game does, through its exit list and the leak check
  }
  char file[261] = "";
  OPENFILENAMEA record{};
  record.lStructSize = sizeof record;
  record.hInstance = GetModuleHandleA(nullptr);
  record.lpstrFile = file;
  record.nMaxFile = sizeof file;
  record.lpstrTitle = "Open";
  if (std::string(role) == "answer") {
    const BOOL chosen = GetOpenFileNameA(&record);
    Say(std::string("[chosen ") + (chosen ? file : "nothing") + "]\n");
    std::_Exit(0);
  }
  // The control signal comes once the chooser's process runs; the program ends by it while the chooser is open,
  // through its console handler. A role ending in ":busy" stops the timers with the signal, so that the program
  // does not look at its queue again and the signal ends it by its default action.
  static int controlSignal = std::atoi(role);
  static bool busy = std::string(role).ends_with(":busy");
  SetConsoleCtrlHandler(ExitOnControlEvent, TRUE);
  SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR id, DWORD) {
    static bool sent = false;
    if (sent || access(std::getenv(kPidFileVariable), R_OK) != 0) return;
    sent = true;
    if (busy) KillTimer(nullptr, id);
    kill(getpid(), controlSignal);
  });
  GetOpenFileNameA(&record);
  Say("[the chooser returned]\n");
  std::_Exit(3);
}

TEST(OnADisplay, ASanitizedRunEndsWithoutALeakReport) {
  VirtualDisplay display;
  if (!display.Ready()) GTEST_SKIP() << "no display server to test with";
  ChildOutcome outcome =
      RunTestInChild("OnADisplay.ChildProcess", "exit", {{"DISPLAY", display.Name()}, {"SDL_VIDEODRIVER", "x11"}});
  ASSERT_TRUE(outcome.started);
  EXPECT_NE(outcome.output.find("[window shown]"), std::string::npos) << outcome.output;
  EXPECT_TRUE(outcome.exited && outcome.exitCode == 0) << outcome.exitCode << "\n" << outcome.output;
  EXPECT_FALSE(HasSanitizerReport(outcome.output)) << outcome.output;
}

TEST(OnADisplay, TheChoosersProcessesEndWithTheProgram) {
  VirtualDisplay display;
  if (!display.Ready()) GTEST_SKIP() << "no display server to test with";
  // A chooser program of the test's own, first on the path: it starts a helper of its own, notes both processes
  // (itself last) and waits to be answered.
  TempFolder temp;
  temp.WriteFile("bin/zenity", "#!/bin/sh\nsleep 60 2>/dev/null &\necho $! > \"$" + std::string(kHelperPidFileVariable) +
                                   "\"\necho $$ > \"$" + std::string(kPidFileVariable) +
                                   "\"\nexec sleep 60 2>/dev/null\n");
  ASSERT_EQ(chmod(temp.PosixPath("bin/zenity").c_str(), 0755), 0);
  const std::string path = temp.PosixPath("bin") + ":" + (std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin");
  // Orphans come to this process, so that a process left behind can be seen and ended.
  ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
  // Each control signal taken by the program's handler, and one that the program, not looking at its queue, lets
  // end it by the signal's default action.
  for (const std::string role : {"15", "2", "1", "15:busy"}) {
    const std::string pidFile = temp.PosixPath("chooser-" + role + ".pid");
    const std::string helperFile = temp.PosixPath("helper-" + role + ".pid");
    ChildOutcome outcome =
        RunTestInChild("OnADisplay.ChildProcess", role,
                       {{"DISPLAY", display.Name()}, {"SDL_VIDEODRIVER", "x11"}, {"PATH", path},
                        {kPidFileVariable, pidFile}, {kHelperPidFileVariable, helperFile}});
    ASSERT_TRUE(outcome.started);
    EXPECT_NE(outcome.output.find("[window shown]"), std::string::npos) << outcome.output;
    EXPECT_EQ(outcome.output.find("[the chooser returned]"), std::string::npos) << outcome.output;
    EXPECT_FALSE(HasSanitizerReport(outcome.output)) << outcome.output;
    for (const std::string& file : {"chooser-" + role + ".pid", "helper-" + role + ".pid"}) {
      const std::string written = temp.ReadFile(file);
      ASSERT_FALSE(written.empty()) << role << ": the chooser never ran\n" << outcome.output;
      const pid_t process = static_cast<pid_t>(std::atoi(written.c_str()));
      int status = WaitForProcess(process, 5000);
      if (status == -1) {
        kill(process, SIGKILL);
        waitpid(process, &status, 0);
        ADD_FAILURE() << role << ": " << file << "'s process outlived the program";
      }
    }
  }
  prctl(PR_SET_CHILD_SUBREAPER, 0);
}

// A chooser that leaves a process of its own behind, holding its output open, has answered once it has gone.
TEST(OnADisplay, TheChoosersAnswerCountsOnceItHasGoneThoughItsOutputStaysOpen) {
  VirtualDisplay display;
  if (!display.Ready()) GTEST_SKIP() << "no display server to test with";
  TempFolder temp;
  temp.WriteFile("bin/zenity", "#!/bin/sh\n(exec sleep 60 2>/dev/null) &\necho /data/picked.ksav\n");
  ASSERT_EQ(chmod(temp.PosixPath("bin/zenity").c_str(), 0755), 0);
  const std::string path = temp.PosixPath("bin") + ":/usr/bin:/bin";
  ChildOutcome outcome = RunTestInChild(
      "OnADisplay.ChildProcess", "answer",
      {{"DISPLAY", display.Name()}, {"SDL_VIDEODRIVER", "x11"}, {"PATH", path}}, 20);
  ASSERT_TRUE(outcome.started);
  EXPECT_FALSE(outcome.timedOut) << outcome.output;
  EXPECT_NE(outcome.output.find("[chosen C:\\data\\picked.ksav]"), std::string::npos) << outcome.output;
}

}  // namespace
