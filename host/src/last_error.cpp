// The calling thread's last-error number.
#include "host/errors.h"

namespace {
thread_local DWORD lastError = ERROR_SUCCESS;
}

DWORD GetLastError() { return lastError; }
void SetLastError(DWORD code) { lastError = code; }
