// Tests of the host clock and its manual replacement.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "host/kernel.h"
#include "host/testing.h"

namespace {

class ManualClock : public testing::Test {
 protected:
  void SetUp() override { HostTestUseManualClock(true); }
  void TearDown() override {
    HostTestSkewTickCount(0);
    HostTestSetLocalTime(nullptr);
    HostTestUseManualClock(false);
  }
};

LONGLONG Counter() {
  LARGE_INTEGER count;
  EXPECT_TRUE(QueryPerformanceCounter(&count));
  return count.QuadPart;
}

TEST_F(ManualClock, AllClocksMoveTogetherOnlyWhenAdvanced) {
  LARGE_INTEGER frequency;
  ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
  EXPECT_EQ(frequency.QuadPart, 1000000);
  DWORD tick = GetTickCount();
  DWORD media = timeGetTime();
  LONGLONG counter = Counter();
  EXPECT_EQ(GetTickCount(), tick);
  HostTestAdvanceClock(250);
  EXPECT_EQ(GetTickCount() - tick, 250u);
  EXPECT_EQ(timeGetTime() - media, 250u);
  EXPECT_EQ(Counter() - counter, 250000);
  HostTestAdvanceClockMicroseconds(7);
  EXPECT_EQ(Counter() - counter, 250007);
  Sleep(40);  // sleeping moves the manual clock instead of blocking
  EXPECT_EQ(GetTickCount() - tick, 290u);
  EXPECT_EQ(SleepEx(10, TRUE), 0u);
  EXPECT_EQ(GetTickCount() - tick, 300u);
}

TEST_F(ManualClock, SkewMovesTicksAgainstTheCounter) {
  DWORD tick = GetTickCount();
  LONGLONG counter = Counter();
  HostTestSkewTickCount(600);
  EXPECT_EQ(GetTickCount() - tick, 600u);
  EXPECT_EQ(timeGetTime() - tick, 600u);
  EXPECT_EQ(Counter(), counter);
}

TEST_F(ManualClock, TimedWaitEndsWhenTheClockReachesItsDeadline) {
  HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  std::atomic<DWORD> result{0xFFFF};
  DWORD waitsBefore = HostTestTimedWaitsBlocked();
  std::thread waiter([&] { result = WaitForSingleObject(event, 100); });
  while (HostTestTimedWaitsBlocked() == waitsBefore) std::this_thread::yield();
  HostTestAdvanceClock(99);
  EXPECT_EQ(result, 0xFFFFu);
  HostTestAdvanceClock(1);
  waiter.join();
  EXPECT_EQ(result, WAIT_TIMEOUT);
  CloseHandle(event);
}

TEST_F(ManualClock, LocalTimeCanBeFixedAndAdvances) {
  SYSTEMTIME fixed{2024, 2, 0, 29, 23, 59, 59, 500};
  HostTestSetLocalTime(&fixed);
  SYSTEMTIME now;
  GetLocalTime(&now);
  EXPECT_EQ(now.wYear, 2024);
  EXPECT_EQ(now.wDay, 29);
  EXPECT_EQ(now.wSecond, 59);
  EXPECT_EQ(now.wMilliseconds, 500);
  EXPECT_EQ(now.wDayOfWeek, 4);  // a Thursday
  HostTestAdvanceClock(600);
  GetLocalTime(&now);
  EXPECT_EQ(now.wMonth, 3);
  EXPECT_EQ(now.wDay, 1);
  EXPECT_EQ(now.wHour, 0);
  EXPECT_EQ(now.wSecond, 0);
  EXPECT_EQ(now.wMilliseconds, 100);
}

TEST(RealClock, NeverRunsBackwardsAfterTheManualClock) {
  HostTestUseManualClock(true);
  HostTestAdvanceClock(100000);
  DWORD reached = GetTickCount();
  HostTestUseManualClock(false);
  EXPECT_GE(static_cast<int32_t>(GetTickCount() - reached), 0);
  SYSTEMTIME now;
  GetLocalTime(&now);
  EXPECT_GE(now.wYear, 2020);
}

}  // namespace
