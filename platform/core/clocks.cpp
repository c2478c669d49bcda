// The framework's clocks. The microsecond clock follows the performance counter, but when the tick count and
// the counter part by more than 500 ms between two readings (a counter that jumps, or stops while the machine
// sleeps), the difference is taken into a correction so the clock follows the tick count again.
#include "platform/core/clocks.h"

#include <mutex>

#include "host/kernel.h"
#include "platform/core/core_state.h"
#include "platform/core/timer_task.h"

namespace {

constexpr int32_t kDriftLimit = 500;
constexpr int32_t kHousekeepingDelay = 4000;

struct ClockState {
  std::mutex lock;
  uint64_t frequency = 0;
  bool initialised = false;
  uint64_t lastMilliseconds = 0;
  uint32_t lastTick = 0;
  int32_t correction = 0;  // milliseconds
  uint64_t lastArmed = UINT64_MAX;  // the millisecond reading at which the housekeeping task was last re-armed
};

ClockState& Clock() {
  static ClockState* state = new ClockState;  // never destroyed: exit procedures may still read the clock
  return *state;
}

// counter × scale / frequency without overflow: the quotient and the remainder are scaled apart.
uint64_t Scale(uint64_t counter, uint64_t scale, uint64_t frequency) {
  if (frequency == scale) return counter;
  return counter / frequency * scale + counter % frequency * scale / frequency;
}

uint64_t Counter() {
  LARGE_INTEGER count{};
  QueryPerformanceCounter(&count);
  return static_cast<uint64_t>(count.QuadPart);
}

// Reads both clocks at once; either result may be null.
void ReadClock(uint64_t* microseconds, uint64_t* milliseconds) {
  ClockState& clock = Clock();
  bool rearm = false;
  {
    std::lock_guard<std::mutex> hold(clock.lock);
    if (!clock.initialised) {
      LARGE_INTEGER frequency{};
      QueryPerformanceFrequency(&frequency);
      clock.frequency = static_cast<uint64_t>(frequency.QuadPart);
      clock.initialised = true;
      clock.lastTick = GetTickCount();
      clock.lastMilliseconds = clock.frequency == 0 ? 0 : Scale(Counter(), 1000, clock.frequency);
    }
    if (clock.frequency == 0) {
      uint32_t tick = GetTickCount();
      if (microseconds) *microseconds = uint64_t{tick} * 1000;
      if (milliseconds) *milliseconds = tick;
    } else {
      uint32_t tick = GetTickCount();
      uint64_t counter = Counter();
      uint64_t ms = Scale(counter, 1000, clock.frequency) + static_cast<int64_t>(clock.correction);
      uint64_t us = Scale(counter, 1000000, clock.frequency) + int64_t{clock.correction} * 1000;
      auto drift = static_cast<int32_t>((tick - clock.lastTick) - static_cast<uint32_t>(ms - clock.lastMilliseconds));
      if (drift < -kDriftLimit || drift > kDriftLimit) {
        clock.correction += drift;
        ms += static_cast<int64_t>(drift);
        us += int64_t{drift} * 1000;
      }
      clock.lastTick = tick;
      clock.lastMilliseconds = ms;
      if (microseconds) *microseconds = us;
      if (milliseconds) *milliseconds = ms;
    }
    // Readings within one millisecond re-arm the housekeeping task once: the delay it counts is the same.
    uint64_t reading = clock.frequency == 0 ? GetTickCount() : clock.lastMilliseconds;
    rearm = reading != clock.lastArmed;
    clock.lastArmed = reading;
  }
  if (rearm && core_state::housekeepingRunning) {
    TimerTask::SetDelay(&core_state::housekeepingTask, kHousekeepingDelay);
  }
}

}  // namespace

uint32_t PlatformGetLocalSeconds() {
  static constexpr uint32_t kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  SYSTEMTIME now;
  GetLocalTime(&now);
  uint32_t month = now.wMonth >= 1 && now.wMonth <= 12 ? now.wMonth : 1;
  // Every fourth year is a leap year: right from 1901 to 2099.
  uint32_t days = 365 * (now.wYear - 1970u) + (now.wYear - 1969u + (month > 2 ? 1 : 0)) / 4;
  for (uint32_t m = 1; m < month; ++m) days += kMonthDays[m - 1];
  days += now.wDay - 1u;
  return ((days * 24 + now.wHour) * 60 + now.wMinute) * 60 + now.wSecond;
}

uint32_t PlatformGetSeconds() { return PlatformGetLocalSeconds(); }

uint32_t PlatformTickCount() { return GetTickCount(); }

uint32_t PlatformTicksPerSecond() { return 1000; }

uint64_t PlatformMicroseconds() {
  uint64_t microseconds;
  ReadClock(&microseconds, nullptr);
  return microseconds;
}

uint64_t PlatformMilliseconds() {
  uint64_t milliseconds;
  ReadClock(nullptr, &milliseconds);
  return milliseconds;
}

void PlatformHousekeepingTask(TimerTask* task, void* userValue) {
  Counter();
  TimerTask::SetDelay(task, kHousekeepingDelay);
}
