// The host layer's test seam: calls that only tests make, to fix what the system would otherwise decide (the
// clock, the wall-clock time) and to look at what the program did. Game and framework code never call these.
#pragma once

#include "host/types.h"

// Clock. The manual clock replaces the monotonic one behind GetTickCount, timeGetTime, QueryPerformanceCounter,
// Sleep and every timed wait. It starts on the first whole millisecond after the monotonic clock's reading, so
// time never runs backwards, and moves only when a test advances it or a thread calls Sleep (which then
// advances it by its duration instead of blocking). Waits whose time-out the advance reaches end as timed out.
void HostTestUseManualClock(bool manual);
void HostTestAdvanceClock(DWORD milliseconds);
void HostTestAdvanceClockMicroseconds(ULONGLONG microseconds);
// The number of threads blocked in a wait (WaitForSingleObject, or a thread made suspended). A test that
// advances the manual clock first waits until the thread it drives is blocked, so the advance is not lost.
DWORD HostTestBlockedWaits();
// Moves GetTickCount and timeGetTime by a number of milliseconds against the performance counter, as when the
// two system clocks drift apart. Zero puts them back in step.
void HostTestSkewTickCount(LONG milliseconds);
// Fixes the time GetLocalTime reports; from then on it advances with the host clock. Null returns to the
// system's wall clock.
void HostTestSetLocalTime(const SYSTEMTIME* time);
