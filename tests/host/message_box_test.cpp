// The process of a message box shown on a display: SDL shows the box from a copy of the program made by fork,
// and that copy must never outlive the program nor act as it. The copy is made here as the box makes it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "host/kernel.h"
#include "host/testing.h"
#include "tests/support/child_process.h"

namespace {

void Say(const std::string& text) {
  if (write(STDERR_FILENO, text.data(), text.size()) < 0) return;
}


BOOL KeepEvent(DWORD) { return TRUE; }

void ExitListRan() { Say("[exit list ran]\n"); }

void MakeBoxProcesses() {
  // A box process that leaves through exit(), as the display library makes it do when the display goes away.
  pid_t leaving = fork();
  if (leaving == 0) std::exit(5);
  int status = WaitForProcess(leaving, 2000);
  if (status != -1 && WIFEXITED(status)) Say("[left with " + std::to_string(WEXITSTATUS(status)) + "]\n");

  // One told to end, once it runs (a signal sent before would meet the handler it was born with).
  int ready[2];
  if (pipe(ready) != 0) return;
  pid_t told = fork();
  if (told == 0) {
    char byte = 1;
    if (write(ready[1], &byte, 1) < 0) std::_Exit(1);
    for (;;) pause();
  }
  char byte = 0;
  if (read(ready[0], &byte, 1) != 1) Say("[no start]\n");
  close(ready[0]);
  close(ready[1]);
  kill(told, SIGTERM);
  status = WaitForProcess(told, 2000);
  if (status == -1) {
    Say("[ignored the signal]\n");
    kill(told, SIGKILL);
    waitpid(told, &status, 0);
  } else if (WIFSIGNALED(status)) {
    Say("[ended by " + std::to_string(WTERMSIG(status)) + "]\n");
  }

  // One left behind when this process ends.
  pid_t left = fork();
  if (left == 0) {
    for (;;) pause();
  }
  Say("[box process " + std::to_string(left) + "]\n");
}

TEST(MessageBoxProcess, ChildProcess) {
  if (ChildRole() == nullptr) GTEST_SKIP() << "the child half of the box process test";
  ASSERT_TRUE(SetConsoleCtrlHandler(KeepEvent, TRUE));  // as the program has its own handler
  std::atexit(ExitListRan);
  HostTestAsMessageBoxProcess(MakeBoxProcesses);
  std::_Exit(0);  // this half's own exit list is not the subject
}

TEST(MessageBoxProcess, EndsWithTheProgramTakesSignalsAndLeavesAtOnce) {
  // Orphans come to this process, so that the one left behind can be watched.
  ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
  ChildOutcome outcome = RunTestInChild("MessageBoxProcess.ChildProcess", "box");
  ASSERT_TRUE(outcome.started);
  EXPECT_EQ(outcome.output.find("[exit list ran]"), std::string::npos) << outcome.output;
  EXPECT_NE(outcome.output.find("[left with 5]"), std::string::npos) << outcome.output;
  EXPECT_NE(outcome.output.find("[ended by " + std::to_string(SIGTERM) + "]"), std::string::npos) << outcome.output;
  size_t at = outcome.output.find("[box process ");
  ASSERT_NE(at, std::string::npos) << outcome.output;
  pid_t left = static_cast<pid_t>(std::atoi(outcome.output.c_str() + at + std::strlen("[box process ")));
  int status = WaitForProcess(left, 2000);
  if (status == -1) {
    kill(left, SIGKILL);
    waitpid(left, &status, 0);
    ADD_FAILURE() << "the box process outlived the program";
  } else {
    // Killed as its parent ended, or, when the parent ended before the box process could ask for that, gone at
    // once by itself.
    EXPECT_TRUE((WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) || (WIFEXITED(status) && WEXITSTATUS(status) == 1))
        << status;
  }
  prctl(PR_SET_CHILD_SUBREAPER, 0);
}

}  // namespace
