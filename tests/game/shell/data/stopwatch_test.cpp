#include "game/shell/data/stopwatch.h"

#include <gtest/gtest.h>

#include "host/testing.h"
#include "tests/support/started_core.h"

namespace {

class StopwatchTest : public StartedCore {
 protected:
  void SetUp() override {
    HostTestUseManualClock(true);
    StartedCore::SetUp();
  }
  void TearDown() override {
    StartedCore::TearDown();
    HostTestUseManualClock(false);
  }
};

TEST_F(StopwatchTest, MeasuresFromTheStartWhateverTheLaps) {
  Stopwatch watch;
  HostTestAdvanceClock(250);
  EXPECT_TRUE(watch.Lap("Loading records"));
  EXPECT_FALSE(watch.Lap(""));
  EXPECT_FALSE(watch.Lap(nullptr));
  HostTestAdvanceClock(250);
  EXPECT_FLOAT_EQ(watch.ElapsedMilliseconds(), 500.0f);
  EXPECT_EQ(watch.LapValue() - watch.StartValue(), 250000u);

  watch.Restart();
  EXPECT_FLOAT_EQ(watch.ElapsedMilliseconds(), 0.0f);
  YieldBriefly();  // the manual clock moves by the sleep
  EXPECT_FLOAT_EQ(watch.ElapsedMilliseconds(), 1.0f);
}

TEST_F(StopwatchTest, SetBackStartsInThePast) {
  Stopwatch watch;
  watch.SetBack(5000000);
  EXPECT_FLOAT_EQ(watch.ElapsedMilliseconds(), 5000.0f);
  watch.SetBack(-2000);  // a negative amount starts in the future: the wrap rule counts it as almost 2^64
  EXPECT_GT(watch.ElapsedMilliseconds(), 1.0e15f);
}

}  // namespace
