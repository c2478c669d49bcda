// Opening a document or web address with the user's chosen program. Only web addresses (http, https) and mail
// addresses (mailto) are opened here; they go to the desktop's opener as one argument, never through a shell.
#pragma once

#include "host/types.h"
#include "host/user.h"  // the show commands (SW_SHOWNORMAL)

constexpr UINT_PTR SE_ERR_FNF = 2;
constexpr UINT_PTR SE_ERR_ACCESSDENIED = 5;
constexpr UINT_PTR SE_ERR_NOASSOC = 31;

// verb: null or "open"; parameters must be null. The result is above 32 on success, otherwise one of the
// SE_ERR_ values (SE_ERR_NOASSOC for an address of another kind, SE_ERR_FNF when the opener cannot start).
HINSTANCE ShellExecuteA(HWND window, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR folder, INT show);
