// The program's own resources: pictures and icons compiled into the program (from the files under resources/),
// found by number and type in the program's module, as the system's resource calls find them.
#pragma once

#include "host/types.h"

// Resource types (numbers passed where a name is expected).
#define RT_ICON (reinterpret_cast<LPCSTR>(static_cast<uintptr_t>(3)))
#define RT_RCDATA (reinterpret_cast<LPCSTR>(static_cast<uintptr_t>(10)))
#define RT_GROUP_ICON (reinterpret_cast<LPCSTR>(static_cast<uintptr_t>(14)))

// The module is the program's (GetModuleHandleA(NULL), or null); name and type are numbers made with
// MAKEINTRESOURCEA or "#number" texts. Null when the program has no such resource.
HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type);
// The resource's bytes stay loaded for the program's life; LockResource gives their address.
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
LPVOID LockResource(HGLOBAL loaded);
DWORD SizeofResource(HMODULE module, HRSRC resource);
