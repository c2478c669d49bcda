// The kernel half of the host layer: process heap, thread-local slots, critical sections, mutexes, events,
// threads and waits, clocks and sleeping, modules and looked-up procedures, and the console-control hook.
//
// The calls keep their system names and meanings; what this platform cannot honour reports the documented
// failure value. Error codes of failed calls are the files layer's concern (host/errors.h).
#pragma once

#include "host/types.h"

// Process heap.
constexpr DWORD HEAP_ZERO_MEMORY = 0x00000008;

HANDLE GetProcessHeap();
LPVOID HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes);
BOOL HeapFree(HANDLE heap, DWORD flags, LPVOID memory);
