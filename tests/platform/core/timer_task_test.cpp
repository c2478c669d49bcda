// Tests of timer tasks on the host's manual clock: nothing here depends on how fast the machine is.
#include "platform/core/timer_task.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "host/kernel.h"
#include "host/testing.h"

namespace {

// What a task's callback saw, with a way to wait for its next call.
struct CallbackLog {
  std::mutex lock;
  std::condition_variable called;
  std::vector<DWORD> times;  // timeGetTime at each call
  int32_t rearm = 0;         // a delay the callback sets for itself, 0 for none
  int32_t rearmAnswer = -2;
  bool disposeItself = false;
  DWORD busyAfterRearm = 0;  // milliseconds of the manual clock the callback takes after setting its delay

  // Waits for the given number of calls; the real-time bound only guards against a hang.
  bool WaitForCalls(size_t count) {
    std::unique_lock<std::mutex> hold(lock);
    return called.wait_for(hold, std::chrono::seconds(30), [&] { return times.size() >= count; });
  }
};

void Callback(TimerTask* task, void* userValue) {
  auto* log = static_cast<CallbackLog*>(userValue);
  if (log->rearm != 0) log->rearmAnswer = TimerTask::SetDelay(task, log->rearm);
  if (log->busyAfterRearm != 0) HostTestAdvanceClock(log->busyAfterRearm);
  if (log->disposeItself) TimerTask::Dispose(task);
  std::lock_guard<std::mutex> hold(log->lock);
  log->times.push_back(timeGetTime());
  log->called.notify_all();
}

class TimerTasks : public testing::Test {
 protected:
  void SetUp() override {
    HostTestUseManualClock(true);
    ASSERT_EQ(TimerTask::Create(&task_, &log_, Callback), kPlatformNoError);
    start_ = timeGetTime();
  }
  void TearDown() override {
    TimerTask::Dispose(&task_);
    HostTestUseManualClock(false);
  }
  // Sets a delay and waits until the task's thread is blocked in the wait for it, so that later advances of
  // the manual clock count for that wait. Answers SetDelay's result.
  int32_t SetDelayAndWait(int32_t delay) {
    DWORD before = HostTestTimedWaitsBlocked();
    int32_t result = TimerTask::SetDelay(&task_, delay);
    while (HostTestTimedWaitsBlocked() == before) std::this_thread::yield();
    return result;
  }
  // Waits for the next timed wait of the task's thread, begun after `before`.
  static void WaitForTimedWait(DWORD before) {
    while (HostTestTimedWaitsBlocked() == before) std::this_thread::yield();
  }

  TimerTask task_;
  CallbackLog log_;
  DWORD start_ = 0;
};

TEST_F(TimerTasks, IdleTaskAnswersZeroAndStaysIdle) {
  EXPECT_EQ(TimerTask::SetDelay(&task_, -1), 0);
  HostTestAdvanceClock(100000);
  EXPECT_EQ(TimerTask::SetDelay(&task_, -1), 0);
  EXPECT_TRUE(log_.times.empty());
}

TEST_F(TimerTasks, FiresWhenTheDelayHasPassed) {
  EXPECT_EQ(SetDelayAndWait(100), 0);
  HostTestAdvanceClock(99);
  EXPECT_EQ(TimerTask::SetDelay(&task_, -1), 1);
  EXPECT_TRUE(log_.times.empty());
  HostTestAdvanceClock(1);
  ASSERT_TRUE(log_.WaitForCalls(1));
  EXPECT_EQ(log_.times[0] - start_, 100u);
  EXPECT_EQ(TimerTask::SetDelay(&task_, -1), 0);  // one call per delay
}

TEST_F(TimerTasks, NewDelayStartsFromNow) {
  SetDelayAndWait(100);
  HostTestAdvanceClock(60);
  EXPECT_EQ(TimerTask::SetDelay(&task_, -1), 40);
  // A later deadline is moved in place: the thread wakes at the old one and waits for the rest.
  EXPECT_EQ(TimerTask::SetDelay(&task_, 100), 40);
  DWORD before = HostTestTimedWaitsBlocked();
  HostTestAdvanceClock(60);
  WaitForTimedWait(before);
  EXPECT_TRUE(log_.times.empty());
  EXPECT_EQ(TimerTask::SetDelay(&task_, -1), 40);
  HostTestAdvanceClock(40);
  ASSERT_TRUE(log_.WaitForCalls(1));
  EXPECT_EQ(log_.times[0] - start_, 160u);
}

TEST_F(TimerTasks, AnEarlierDeadlineWakesTheTask) {
  SetDelayAndWait(100);
  EXPECT_EQ(SetDelayAndWait(30), 100);
  HostTestAdvanceClock(30);
  ASSERT_TRUE(log_.WaitForCalls(1));
  EXPECT_EQ(log_.times[0] - start_, 30u);
}

// Every clock reading re-arms the housekeeping task with the same delay: that must cost its thread nothing.
TEST_F(TimerTasks, SettingALaterDeadlineAgainWakesNoThread) {
  SetDelayAndWait(1000);
  DWORD wakeups = HostTestBlockedWaitWakeups();
  for (int i = 0; i < 200; ++i) TimerTask::SetDelay(&task_, 1000);
  EXPECT_LT(HostTestBlockedWaitWakeups() - wakeups, 5u);
  EXPECT_EQ(TimerTask::SetDelay(&task_, -1), 1000);
}

TEST_F(TimerTasks, CallbackRearmsItself) {
  log_.rearm = 50;
  SetDelayAndWait(10);
  DWORD before = HostTestTimedWaitsBlocked();
  HostTestAdvanceClock(10);
  ASSERT_TRUE(log_.WaitForCalls(1));
  EXPECT_EQ(log_.rearmAnswer, 0);  // no delay was pending inside the callback
  WaitForTimedWait(before);
  HostTestAdvanceClock(50);
  ASSERT_TRUE(log_.WaitForCalls(2));
  EXPECT_EQ(log_.times[1] - log_.times[0], 50u);
}

// Set from within the callback, the delay is taken up when the callback returns and counts from then.
TEST_F(TimerTasks, ADelaySetInTheCallbackCountsFromItsReturn) {
  log_.rearm = 50;
  log_.busyAfterRearm = 20;
  SetDelayAndWait(10);
  DWORD before = HostTestTimedWaitsBlocked();
  HostTestAdvanceClock(10);
  ASSERT_TRUE(log_.WaitForCalls(1));
  WaitForTimedWait(before);
  EXPECT_EQ(TimerTask::SetDelay(&task_, -1), 50);
  log_.rearm = 0;
  log_.busyAfterRearm = 0;
  HostTestAdvanceClock(49);
  EXPECT_EQ(TimerTask::SetDelay(&task_, -1), 1);
  HostTestAdvanceClock(1);
  ASSERT_TRUE(log_.WaitForCalls(2));
  EXPECT_EQ(log_.times[1] - log_.times[0], 50u);
}

TEST_F(TimerTasks, ZeroDelayCancels) {
  SetDelayAndWait(100);
  EXPECT_EQ(TimerTask::SetDelay(&task_, 0), 100);
  while (TimerTask::SetDelay(&task_, -1) != 0) std::this_thread::yield();  // until the thread has disarmed
  HostTestAdvanceClock(1000);
  EXPECT_EQ(TimerTask::SetDelay(&task_, -1), 0);
  EXPECT_TRUE(log_.times.empty());
}

TEST_F(TimerTasks, DisposeAnswersTheTimeLeft) {
  SetDelayAndWait(1000);
  HostTestAdvanceClock(300);
  EXPECT_EQ(TimerTask::Dispose(&task_), 700);
  EXPECT_EQ(task_.state, nullptr);
  EXPECT_EQ(TimerTask::Dispose(&task_), 0);  // no longer a live task
  EXPECT_EQ(TimerTask::SetDelay(&task_, 5), 0);
}

TEST_F(TimerTasks, CreatingALiveTaskAgainReplacesIt) {
  SetDelayAndWait(100);
  ASSERT_EQ(TimerTask::Create(&task_, &log_, Callback), kPlatformNoError);
  EXPECT_EQ(TimerTask::SetDelay(&task_, -1), 0);  // a fresh, idle task
  HostTestAdvanceClock(100);
  EXPECT_TRUE(log_.times.empty());
  EXPECT_EQ(TimerTask::Dispose(&task_), 0);
  EXPECT_EQ(TimerTask::Dispose(&task_), 0);  // listed once only
}

TEST_F(TimerTasks, TaskMayDisposeItselfFromItsCallback) {
  log_.disposeItself = true;
  SetDelayAndWait(5);
  HostTestAdvanceClock(5);
  ASSERT_TRUE(log_.WaitForCalls(1));
  EXPECT_EQ(TimerTask::Dispose(&task_), 0);
}

}  // namespace
