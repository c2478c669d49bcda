// Tests of the core's start-up and shut-down, its procedure lists, the platform window and its handlers.
#include "platform/core/core.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "host/kernel.h"
#include "host/testing.h"
#include "host/user.h"

namespace {

std::vector<std::string> calls;

template <int N>
void Recorded() {
  calls.push_back("proc" + std::to_string(N));
}

void RegistersAnother() {
  calls.push_back("registers");
  PlatformAddExitProc(Recorded<99>);
}

// Each test starts from a core that is not started and ends with it stopped.
class Core : public testing::Test {
 protected:
  void SetUp() override {
    PlatformShutdown();
    calls.clear();
  }
  void TearDown() override { PlatformShutdown(); }
};

TEST_F(Core, StartsAndStopsTwice) {
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(PlatformStartup(), kPlatformNoError);
    EXPECT_TRUE(PlatformIsStarted());
    EXPECT_EQ(PlatformStartup(), kPlatformNoError);
    PlatformShutdown();
    EXPECT_FALSE(PlatformIsStarted());
    PlatformShutdown();
  }
}

TEST_F(Core, PlatformWindowIsHiddenOwnWindowKeptAcrossStarts) {
  ASSERT_EQ(PlatformStartup(), kPlatformNoError);
  HWND window = PlatformWindowHandle();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(FindWindowA("PLATFORM_WINDOW_CLASS", nullptr), window);
  char title[64];
  GetWindowTextA(window, title, sizeof title);
  EXPECT_STREQ(title, "platform_core_tests");  // the program's file name without its folders
  PlatformShutdown();
  ASSERT_EQ(PlatformStartup(), kPlatformNoError);
  EXPECT_EQ(PlatformWindowHandle(), window);
}

TEST_F(Core, ExitProceduresRunLastFirstAndOnce) {
  ASSERT_EQ(PlatformStartup(), kPlatformNoError);
  EXPECT_EQ(PlatformAddExitProc(Recorded<1>), kPlatformNoError);
  EXPECT_EQ(PlatformAddExitProc(RegistersAnother), kPlatformNoError);
  EXPECT_EQ(PlatformAddExitProc(Recorded<3>), kPlatformNoError);
  EXPECT_EQ(PlatformAddExitProc(Recorded<1>), kPlatformNoError);  // already listed
  PlatformShutdown();
  EXPECT_EQ(calls, (std::vector<std::string>{"proc3", "registers", "proc99", "proc1"}));
  PlatformShutdownCore();  // as the runtime's exit list does at process end
  EXPECT_EQ(calls.size(), 4u);
}

template <size_t... N>
void AddExitProcs(std::index_sequence<N...>, std::vector<PlatformError>& results) {
  (results.push_back(PlatformAddExitProc(Recorded<static_cast<int>(N) + 100>)), ...);
}

TEST_F(Core, FullExitListRefusesTheNextProcedure) {
  std::vector<PlatformError> results;
  AddExitProcs(std::make_index_sequence<kPlatformProcListSize>(), results);
  for (PlatformError result : results) EXPECT_EQ(result, kPlatformNoError);
  EXPECT_EQ(PlatformAddExitProc(Recorded<1>), kPlatformErrListFull);
  PlatformShutdownCore();
  EXPECT_EQ(calls.size(), static_cast<size_t>(kPlatformProcListSize));
  EXPECT_EQ(calls.front(), "proc149");
}

int idleDepth = 0;
int idleCalls = 0;
void YieldingIdleProc() {
  ++idleCalls;
  ++idleDepth;
  EXPECT_EQ(idleDepth, 1);  // not entered again through its own yield
  PlatformYield();
  --idleDepth;
}

template <size_t... N>
void AddIdleProcs(std::index_sequence<N...>, std::vector<PlatformError>& results) {
  (results.push_back(PlatformAddIdleProc(Recorded<static_cast<int>(N) + 200>)), ...);
}

TEST_F(Core, IdleProceduresAreNotReenteredAndTheListIsBounded) {
  EXPECT_EQ(PlatformAddIdleProc(YieldingIdleProc), kPlatformNoError);
  EXPECT_EQ(PlatformAddIdleProc(YieldingIdleProc), kPlatformNoError);
  PlatformRunIdleProcs();
  EXPECT_EQ(idleCalls, 1);
  std::vector<PlatformError> results;
  AddIdleProcs(std::make_index_sequence<kPlatformProcListSize>(), results);
  for (size_t i = 0; i < results.size(); ++i) {
    EXPECT_EQ(results[i], i + 1 < results.size() ? kPlatformNoError : kPlatformErrListFull);
  }
  calls.clear();
  PlatformYield();
  EXPECT_EQ(idleCalls, 2);
  // The others run twice: once from the first procedure's own yield, once in turn.
  EXPECT_EQ(calls.size(), static_cast<size_t>(2 * (kPlatformProcListSize - 1)));
}

TEST_F(Core, EndOfSessionShutsTheCoreDown) {
  ASSERT_EQ(PlatformStartup(), kPlatformNoError);
  PlatformAddExitProc(Recorded<7>);
  SendMessageA(PlatformWindowHandle(), WM_ENDSESSION, FALSE, 0);
  EXPECT_TRUE(calls.empty());
  SendMessageA(PlatformWindowHandle(), WM_ENDSESSION, TRUE, 0);
  EXPECT_EQ(calls, std::vector<std::string>{"proc7"});
}

TEST_F(Core, ExceptionFilterShutsDownUnlessControlCContinues) {
  ASSERT_EQ(PlatformStartup(), kPlatformNoError);
  EXCEPTION_RECORD record{STATUS_CONTROL_C_EXIT, 0, nullptr, nullptr};
  EXCEPTION_POINTERS pointers{&record, nullptr};
  EXPECT_EQ(PlatformUnhandledExceptionFilter(&pointers), EXCEPTION_EXECUTE_HANDLER);
  EXPECT_FALSE(PlatformIsStarted());
}

TEST_F(Core, ConsoleBreakIsNotHandled) { EXPECT_FALSE(PlatformConsoleCtrlHandler(CTRL_BREAK_EVENT)); }

// What the exit list did, told by an exit handler that runs after the core's own.
std::atomic<int> shutdowns{0};
std::atomic<DWORD> shutdownThread{0};
DWORD pumpingThread = 0;
void CountShutdown() {
  ++shutdowns;
  shutdownThread = GetCurrentThreadId();
}
void ReportShutdowns() {
  fprintf(stderr, "core shut down %d time(s), %s\n", shutdowns.load(),
          shutdownThread == pumpingThread ? "on the pumping thread" : "beside it");
}

TEST_F(Core, TerminationSignalEndsTheProcessThroughShutdownBetweenMessages) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        std::atexit(ReportShutdowns);
        pumpingThread = GetCurrentThreadId();
        PlatformStartup();
        PlatformAddExitProc(CountShutdown);
        raise(SIGTERM);
        // The main loop: the process ends from inside the pump, on this thread, not beside it.
        std::vector<int> frame(1024);
        for (;;) {
          MSG msg;
          while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
          for (int& cell : frame) ++cell;
          std::this_thread::yield();
        }
      },
      testing::ExitedWithCode(0), "core shut down 1 time\\(s\\), on the pumping thread");
}

TEST(CoreThreads, SuspendingIsRefusedHere) {
  EXPECT_EQ(PlatformSuspendThread(GetCurrentThread()), static_cast<DWORD>(-1));
}

}  // namespace
