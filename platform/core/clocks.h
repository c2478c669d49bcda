// The framework's clocks: wall-clock seconds, the tick count, and a microsecond clock from the performance
// counter kept in step with the tick count. Every reading of the microsecond or millisecond clock postpones the
// housekeeping task by 4000 ms.
#pragma once

#include <cstdint>

uint32_t PlatformGetLocalSeconds();  // local time in seconds since 1970-01-01 00:00
uint32_t PlatformGetSeconds();       // the same
uint32_t PlatformTickCount();
uint32_t PlatformTicksPerSecond();   // 1000
uint64_t PlatformMicroseconds();
uint64_t PlatformMilliseconds();

// The housekeeping task's callback: reads the counter and sets its own delay to 4000 ms.
struct TimerTask;
void PlatformHousekeepingTask(TimerTask* task, void* userValue);
