// Timer tasks: a callback run on a thread of its own after a delay that the task itself or others set.
//
// The callback runs with the task's mutex held, so SetDelay from another thread waits while it runs. Delays
// are counted on the host's media timer (timeGetTime) from the moment they are set.
#pragma once

#include <cstdint>

#include "platform/core/platform_error.h"

struct TimerTaskState;
struct TimerTask;

using TimerTaskProc = void (*)(TimerTask* task, void* userValue);

struct TimerTask {
  TimerTaskState* state;  // private to the timer code
  TimerTaskProc callback;
  void* userValue;
  uintptr_t spare;

  // Creates the task's thread; the task stays idle until a delay is set.
  static PlatformError Create(TimerTask* task, void* userValue, TimerTaskProc callback);
  // Schedules the next call after `delay` ms (-1 only asks; 0 cancels). Returns the pending delay when one is
  // set, else the time left when armed (at least 1), else 0. From within the callback the new delay starts
  // when the callback returns and the result is the pending delay.
  static int32_t SetDelay(TimerTask* task, int32_t delay);
  // Stops and frees the task, waiting for a running callback; returns the time that was left (0 when idle or
  // not a live task).
  static int32_t Dispose(TimerTask* task);
};
