// Test seam of the host file layer: makes the next file writes fail, so that tests can show what callers do
// when a disk fills up half-way. Game and framework code never call it.
#pragma once

#include "host/types.h"

// After `skip` good WriteFile calls, the next `count` write only `bytesToWrite` bytes (0: nothing) and fail with
// `error` (0: report success with the short count). SetEndOfFile fails with `error` too while `failExtend` is set.
void HostFailFileWrites(int count, DWORD bytesToWrite, DWORD error, bool failExtend, int skip = 0);
void HostResetFileFaults();
