// Tests of the framework clocks and the random generator, on the host's manual clock.
#include "platform/core/clocks.h"

#include <gtest/gtest.h>

#include "host/kernel.h"
#include "host/testing.h"
#include "platform/core/core.h"
#include "platform/core/core_state.h"
#include "platform/core/random.h"
#include "platform/core/timer_task.h"

namespace {

class Clocks : public testing::Test {
 protected:
  void SetUp() override { HostTestUseManualClock(true); }
  void TearDown() override {
    HostTestSkewTickCount(0);
    PlatformMilliseconds();  // takes the return to step into account while the clock is still manual
    HostTestSetLocalTime(nullptr);
    HostTestUseManualClock(false);
  }
};

TEST_F(Clocks, FollowTheCounter) {
  uint64_t ms = PlatformMilliseconds();
  uint64_t us = PlatformMicroseconds();
  HostTestAdvanceClockMicroseconds(1234567);
  EXPECT_EQ(PlatformMilliseconds() - ms, 1234u);
  EXPECT_EQ(PlatformMicroseconds() - us, 1234567u);
  EXPECT_EQ(PlatformTicksPerSecond(), 1000u);
  EXPECT_EQ(PlatformTickCount(), GetTickCount());
}

TEST_F(Clocks, TickJumpsOverHalfASecondAreAbsorbed) {
  uint64_t ms = PlatformMilliseconds();
  uint64_t us = PlatformMicroseconds();
  HostTestSkewTickCount(500);  // at the limit: not a drift
  EXPECT_EQ(PlatformMilliseconds(), ms);
  HostTestSkewTickCount(1101);  // 601 ms more than the counter since the last reading
  EXPECT_EQ(PlatformMilliseconds() - ms, 601u);
  EXPECT_EQ(PlatformMicroseconds() - us, 601000u);
  HostTestAdvanceClock(10);
  EXPECT_EQ(PlatformMilliseconds() - ms, 611u);  // the correction stays
  HostTestSkewTickCount(500);  // back by 601 ms: the correction goes again
  EXPECT_EQ(PlatformMilliseconds() - ms, 10u);
}

TEST_F(Clocks, LargeCounterValuesDoNotOverflow) {
  uint64_t ms = PlatformMilliseconds();
  HostTestAdvanceClockMicroseconds(uint64_t{1} << 55);  // beyond the point where counter x 1000 wraps
  EXPECT_EQ(PlatformMilliseconds() - ms, (uint64_t{1} << 55) / 1000);
}

TEST_F(Clocks, LocalSecondsCountEveryFourthYearAsLeap) {
  struct Case {
    SYSTEMTIME time;
    uint32_t seconds;
  };
  const Case cases[] = {
      {{1970, 1, 4, 1, 0, 0, 0, 0}, 0},
      {{1972, 3, 3, 1, 0, 0, 0, 0}, 68256000},  // after the first leap day
      {{2000, 1, 6, 1, 12, 30, 15, 0}, 946729815},
      {{2024, 12, 2, 31, 23, 59, 59, 0}, 1735689599},
  };
  for (const Case& c : cases) {
    HostTestSetLocalTime(&c.time);
    EXPECT_EQ(PlatformGetLocalSeconds(), c.seconds) << c.time.wYear;
    EXPECT_EQ(PlatformGetSeconds(), c.seconds);
  }
}

TEST_F(Clocks, ReadingTheClockPostponesHousekeeping) {
  ASSERT_EQ(PlatformStartup(), kPlatformNoError);
  PlatformMicroseconds();
  EXPECT_EQ(TimerTask::SetDelay(&core_state::housekeepingTask, -1), 4000);
  PlatformShutdown();
}

TEST(Random, StepsAndRanges) {
  struct Case {
    uint32_t seed, start, end, result, stateAfter;
  };
  const Case cases[] = {
      {1, 0, 0xFFFF, 16807, 0x800041A8},      // one step
      {1, 0, 0x10000, 16808, 0x90D6BE40},     // two steps
      {1, 0, 100, 25, 0x800041A8},
      {1, 7, 1000000007, 256481073, 0x90D6BE40},
      {1, 5, 5, 5, 0x800041A8},
  };
  for (const Case& c : cases) {
    PlatformSetRandomSeed(c.seed);
    EXPECT_EQ(PlatformRandomRange(c.start, c.end), c.result);
    EXPECT_EQ(PlatformSetRandomSeed(0), c.stateAfter);
  }
  PlatformSetRandomSeed(12345);
  for (int i = 0; i < 1000; ++i) {
    uint32_t value = PlatformRandomRange(10, 20);
    EXPECT_GE(value, 10u);
    EXPECT_LT(value, 20u);
  }
}

}  // namespace
