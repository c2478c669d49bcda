// The host clock: GetTickCount, timeGetTime and the 1 MHz performance counter from CLOCK_MONOTONIC, GetLocalTime
// from the wall clock, Sleep, and the test seam's manual replacements for both clocks.
#include <sched.h>
#include <time.h>

#include <atomic>
#include <cerrno>

#include "host/kernel.h"
#include "host/testing.h"
#include "kernel_object.h"

namespace {

std::atomic<bool> manualClock{false};
std::atomic<uint64_t> manualMicroseconds{0};
// Added to the monotonic clock so that leaving the manual clock never makes time run backwards.
std::atomic<uint64_t> realOffset{0};
std::atomic<int32_t> tickSkew{0};

// A fixed local time, in seconds since 1970 on the local calendar, and the host clock when it was fixed.
std::atomic<bool> localTimeFixed{false};
std::atomic<int64_t> fixedLocalSeconds{0};
std::atomic<uint64_t> fixedAtMicroseconds{0};

uint64_t MonotonicMicroseconds() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint64_t>(now.tv_sec) * 1000000u + static_cast<uint64_t>(now.tv_nsec) / 1000u;
}

void Advance(uint64_t microseconds) {
  {
    std::lock_guard<std::mutex> hold(host::KernelLock());  // waiters read the clock under this lock
    manualMicroseconds += microseconds;
    host::NotifyEveryWaitLocked();
  }
}

DWORD Milliseconds() {
  return static_cast<DWORD>(host::ClockMicroseconds() / 1000 + static_cast<int64_t>(tickSkew.load()));
}

}  // namespace

namespace host {

uint64_t ClockMicroseconds() {
  return manualClock ? manualMicroseconds.load() : MonotonicMicroseconds() + realOffset.load();
}

bool ClockIsManual() { return manualClock; }

}  // namespace host

DWORD GetTickCount() { return Milliseconds(); }

DWORD timeGetTime() { return Milliseconds(); }

BOOL QueryPerformanceCounter(LARGE_INTEGER* count) {
  if (count == nullptr) return FALSE;
  count->QuadPart = static_cast<LONGLONG>(host::ClockMicroseconds());
  return TRUE;
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
  if (frequency == nullptr) return FALSE;
  frequency->QuadPart = 1000000;
  return TRUE;
}

void GetLocalTime(SYSTEMTIME* time) {
  if (time == nullptr) return;
  tm parts{};
  uint32_t milliseconds;
  if (localTimeFixed) {
    uint64_t elapsed = host::ClockMicroseconds() - fixedAtMicroseconds.load();
    time_t seconds = static_cast<time_t>(fixedLocalSeconds.load() + static_cast<int64_t>(elapsed / 1000000));
    gmtime_r(&seconds, &parts);
    milliseconds = static_cast<uint32_t>(elapsed / 1000 % 1000);
  } else {
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    localtime_r(&now.tv_sec, &parts);
    milliseconds = static_cast<uint32_t>(now.tv_nsec / 1000000);
  }
  time->wYear = static_cast<WORD>(parts.tm_year + 1900);
  time->wMonth = static_cast<WORD>(parts.tm_mon + 1);
  time->wDayOfWeek = static_cast<WORD>(parts.tm_wday);
  time->wDay = static_cast<WORD>(parts.tm_mday);
  time->wHour = static_cast<WORD>(parts.tm_hour);
  time->wMinute = static_cast<WORD>(parts.tm_min);
  time->wSecond = static_cast<WORD>(parts.tm_sec);
  time->wMilliseconds = static_cast<WORD>(milliseconds);
}

void Sleep(DWORD milliseconds) {
  if (milliseconds == 0) {
    sched_yield();
  } else if (manualClock) {
    Advance(uint64_t{milliseconds} * 1000);
  } else {
    timespec rest{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&rest, &rest) != 0 && errno == EINTR) {
    }
  }
}

DWORD SleepEx(DWORD milliseconds, BOOL alertable) {
  Sleep(milliseconds);
  return 0;
}

void HostTestUseManualClock(bool manual) {
  if (manual == manualClock) return;
  if (manual) {
    manualMicroseconds = (host::ClockMicroseconds() / 1000 + 1) * 1000;  // on a whole millisecond
    manualClock = true;
  } else {
    uint64_t reached = manualMicroseconds.load();
    uint64_t monotonic = MonotonicMicroseconds();
    if (reached > monotonic + realOffset.load()) realOffset = reached - monotonic;
    manualClock = false;
  }
  host::NotifyEveryWait();
}

void HostTestAdvanceClock(DWORD milliseconds) { HostTestAdvanceClockMicroseconds(uint64_t{milliseconds} * 1000); }

void HostTestAdvanceClockMicroseconds(ULONGLONG microseconds) {
  if (manualClock) Advance(microseconds);
}

void HostTestSkewTickCount(LONG milliseconds) { tickSkew = milliseconds; }

void HostTestSetLocalTime(const SYSTEMTIME* time) {
  if (time == nullptr) {
    localTimeFixed = false;
    return;
  }
  tm parts{};
  parts.tm_year = time->wYear - 1900;
  parts.tm_mon = time->wMonth - 1;
  parts.tm_mday = time->wDay;
  parts.tm_hour = time->wHour;
  parts.tm_min = time->wMinute;
  parts.tm_sec = time->wSecond;
  fixedLocalSeconds = static_cast<int64_t>(timegm(&parts));
  fixedAtMicroseconds = host::ClockMicroseconds() - uint64_t{time->wMilliseconds} * 1000;
  localTimeFixed = true;
}
