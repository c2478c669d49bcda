// State of the framework core shared by its sources in this folder (not for the rest of the system).
#pragma once

#include <atomic>
#include <cstdint>

#include "host/kernel.h"

struct TimerTask;

namespace core_state {

using CompareExchangeProc = LONG (*)(LONG volatile* destination, LONG exchange, LONG comparand);
using ExchangeAddProc = LONG (*)(LONG volatile* addend, LONG value);

// Looked up in "kernel32.dll" at start-up; null before, or when the system lacks them.
extern CompareExchangeProc interlockedCompareExchange;
extern ExchangeAddProc interlockedExchangeAdd;

// The core's thread-local slot (TLS_OUT_OF_INDEXES when none): each thread's count of global-lock levels.
extern DWORD threadSlot;

// The housekeeping task, and whether it runs (clock readings then postpone it).
extern TimerTask housekeepingTask;
extern std::atomic<bool> housekeepingRunning;

// Makes the global lock's critical section, once; it then lives as long as the process.
void EnsureGlobalLock();
// Leaves every level of the global lock that the calling thread holds, then resets the depth.
void DropGlobalLock();

}  // namespace core_state
