// Tests of module and procedure look-up, the program's file name and the console hooks.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "host/kernel.h"
#include "host/user.h"
#include "tests/support/child_process.h"

namespace {

TEST(Modules, ProceduresArePresentOnlyWhereImplemented) {
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  ASSERT_NE(kernel, nullptr);
  EXPECT_EQ(GetModuleHandleA("KERNEL32"), kernel);
  EXPECT_EQ(GetModuleHandleA("no-such-library.dll"), nullptr);
  EXPECT_NE(GetModuleHandleA(nullptr), nullptr);
  EXPECT_NE(GetModuleHandleA(nullptr), kernel);

  auto exchangeAdd = reinterpret_cast<LONG (*)(LONG volatile*, LONG)>(
      reinterpret_cast<void (*)()>(GetProcAddress(kernel, "InterlockedExchangeAdd")));
  ASSERT_NE(exchangeAdd, nullptr);
  LONG volatile word = 1;
  EXPECT_EQ(exchangeAdd(&word, 2), 1);
  EXPECT_EQ(word, 3);
  EXPECT_NE(GetProcAddress(kernel, "InterlockedCompareExchange"), nullptr);
  EXPECT_EQ(GetProcAddress(kernel, "SetUnhandledExceptionFilter"), nullptr);
  EXPECT_EQ(GetProcAddress(GetModuleHandleA("user32.dll"), "InterlockedExchangeAdd"), nullptr);
  EXPECT_EQ(GetProcAddress(nullptr, "InterlockedExchangeAdd"), nullptr);
}

TEST(Modules, ProgramFileNameIsADrivePath) {
  char name[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, name, sizeof name);
  ASSERT_GT(length, 3u);
  EXPECT_EQ(length, std::strlen(name));
  EXPECT_EQ(std::string(name, 3), "C:\\");
  EXPECT_EQ(std::strchr(name, '/'), nullptr);
  EXPECT_NE(std::string(name).find("host_tests"), std::string::npos);

  char small[5];
  EXPECT_EQ(GetModuleFileNameA(nullptr, small, sizeof small), sizeof small);
  EXPECT_EQ(std::string(small), std::string(name, 4));
}

TEST(Console, TitleIsKeptAndStartsEmpty) {
  char title[16];
  EXPECT_EQ(GetConsoleTitleA(title, sizeof title), 0u);
  EXPECT_TRUE(SetConsoleTitleA("a long console title"));
  EXPECT_EQ(GetConsoleTitleA(title, sizeof title), 15u);
  EXPECT_STREQ(title, "a long console ");
  SetConsoleTitleA("");
}

std::atomic<int> lastEvent{-1};
std::atomic<DWORD> eventThread{0};
BOOL RecordEvent(DWORD event) {
  eventThread = GetCurrentThreadId();
  lastEvent = static_cast<int>(event);
  return TRUE;
}

TEST(Console, SignalsArriveAsControlEventsOnTheThreadThatPumpsMessages) {
  ASSERT_TRUE(SetConsoleCtrlHandler(RecordEvent, TRUE));
  struct Case {
    int signal;
    DWORD event;
  };
  for (Case c : {Case{SIGINT, CTRL_C_EVENT}, Case{SIGTERM, CTRL_SHUTDOWN_EVENT}, Case{SIGHUP, CTRL_CLOSE_EVENT}}) {
    lastEvent = -1;
    eventThread = 0;
    raise(c.signal);
    // The event waits for the next look at the message queue; pump as a main loop does, in ample real time.
    MSG msg;
    for (int i = 0; i < 10000 && lastEvent == -1; ++i) {
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
      if (lastEvent == -1) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(lastEvent, static_cast<int>(c.event));
    EXPECT_EQ(eventThread, GetCurrentThreadId());
  }
  EXPECT_TRUE(SetConsoleCtrlHandler(RecordEvent, FALSE));
  EXPECT_FALSE(SetConsoleCtrlHandler(RecordEvent, FALSE));
}

// The child half of the console tests below: the role says what the program does once the signal is raised.
void Say(const char* text) {
  if (write(STDERR_FILENO, text, std::strlen(text)) < 0) return;
}

// A static object: its destructor runs only when the process leaves through exit().
struct DestructorWitness {
  ~DestructorWitness() { Say("[destructor ran]\n"); }
};

BOOL ExitingHandler(DWORD event) {
  Say("[handler ran]\n");
  std::exit(0);
}

void BlockForever() {
  Say("[exit list blocks]\n");
  std::this_thread::sleep_for(std::chrono::seconds(30));
}

// Looks at the message queue as a main loop does, and sleeps between looks until a message comes.
void PumpFor(std::chrono::milliseconds time) {
  auto until = std::chrono::steady_clock::now() + time;
  MSG msg;
  while (std::chrono::steady_clock::now() < until) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}

void BusyFor(std::chrono::milliseconds time) {
  auto until = std::chrono::steady_clock::now() + time;
  volatile uint64_t work = 0;
  while (std::chrono::steady_clock::now() < until) work = work + 1;
}

TEST(Console, ChildProcess) {
  const char* role = ChildRole();
  if (role == nullptr) GTEST_SKIP() << "the child half of the console tests";
  static DestructorWitness witness;
  const std::string what = role;
  if (what == "ignored interrupt") {
    ASSERT_TRUE(SetConsoleCtrlHandler(nullptr, TRUE));
    raise(SIGINT);
    BusyFor(std::chrono::milliseconds(300));
    Say("[still running]\n");
    SetConsoleCtrlHandler(nullptr, FALSE);
    return;
  }
  ASSERT_TRUE(SetConsoleCtrlHandler(ExitingHandler, TRUE));
  if (what == "exit blocks") std::atexit(BlockForever);
  MarkChildTime();
  if (what == "busy") {
    raise(SIGTERM);
    BusyFor(std::chrono::seconds(3));
  } else if (what == "pumping") {
    raise(SIGHUP);
    PumpFor(std::chrono::seconds(3));
  } else if (what == "exit blocks") {
    raise(SIGINT);
    PumpFor(std::chrono::seconds(3));
  }
  Say("[still running]\n");
}

// Signals end the process within about 100 ms whatever it does (the sanitizers' checks at exit add to an orderly
// exit, and took over a second on a machine busy with other test programs); the bound leaves room for them and a
// loaded machine, and stays below the three seconds the child goes on for, so a process that waits them out fails.
constexpr double kPromptlyMs = 2500;

TEST(Console, APumpingProgramRunsTheHandlerOnItsMessageThread) {
  ChildOutcome outcome = RunTestInChild("Console.ChildProcess", "pumping");
  ASSERT_TRUE(outcome.started);
  EXPECT_TRUE(outcome.exited) << outcome.output;
  EXPECT_EQ(outcome.exitCode, 0);
  EXPECT_NE(outcome.output.find("[handler ran]"), std::string::npos) << outcome.output;
  EXPECT_NE(outcome.output.find("[destructor ran]"), std::string::npos);  // an orderly exit
  EXPECT_EQ(outcome.output.find("[still running]"), std::string::npos);
  EXPECT_LT(outcome.msAfterMark, kPromptlyMs);
  EXPECT_FALSE(HasSanitizerReport(outcome.output)) << outcome.output;
}

TEST(Console, ABusyProgramEndsByTheSignalWithoutRunningDestructors) {
  ChildOutcome outcome = RunTestInChild("Console.ChildProcess", "busy");
  ASSERT_TRUE(outcome.started);
  EXPECT_EQ(outcome.signal, SIGTERM) << outcome.output;
  EXPECT_EQ(outcome.output.find("[handler ran]"), std::string::npos);  // never on another thread's back
  EXPECT_EQ(outcome.output.find("[destructor ran]"), std::string::npos);
  EXPECT_EQ(outcome.output.find("[still running]"), std::string::npos);
  EXPECT_GE(outcome.msAfterMark, 0);
  EXPECT_LT(outcome.msAfterMark, kPromptlyMs);
  EXPECT_FALSE(HasSanitizerReport(outcome.output)) << outcome.output;
}

TEST(Console, AnExitThatHangsIsCutShort) {
  ChildOutcome outcome = RunTestInChild("Console.ChildProcess", "exit blocks");
  ASSERT_TRUE(outcome.started);
  EXPECT_NE(outcome.output.find("[exit list blocks]"), std::string::npos) << outcome.output;
  EXPECT_EQ(outcome.signal, SIGINT);
  EXPECT_LT(outcome.msAfterMark, 2 * kPromptlyMs);  // the exit hangs for 30 s when not cut short
}

TEST(Console, AnIgnoredInterruptEndsNothing) {
  ChildOutcome outcome = RunTestInChild("Console.ChildProcess", "ignored interrupt");
  ASSERT_TRUE(outcome.started);
  EXPECT_TRUE(outcome.exited) << outcome.output;
  EXPECT_EQ(outcome.exitCode, 0);
  EXPECT_NE(outcome.output.find("[still running]"), std::string::npos);
}

}  // namespace
