// Closing a handle of any kind the host layer hands out (files, searches, tokens, kernel objects).
//
// Every such handle is the address of a host object with a common base (host/src/host_object.h); CloseHandle
// checks that the value is a live object and lets the object release what it holds.
#pragma once

#include "host/types.h"

BOOL CloseHandle(HANDLE handle);
