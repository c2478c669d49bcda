// Tests of module and procedure look-up, the program's file name and the console hooks.
#include <gtest/gtest.h>
#include <signal.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "host/kernel.h"
#include "host/user.h"

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

TEST(Console, AProgramThatDoesNotPumpMessagesStillHearsTheEvent) {
  ASSERT_TRUE(SetConsoleCtrlHandler(RecordEvent, TRUE));
  lastEvent = -1;
  eventThread = 0;
  raise(SIGINT);
  for (int i = 0; i < 20000 && lastEvent == -1; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_EQ(lastEvent, static_cast<int>(CTRL_C_EVENT));
  EXPECT_NE(eventThread, GetCurrentThreadId());
  EXPECT_TRUE(SetConsoleCtrlHandler(RecordEvent, FALSE));
}

}  // namespace
