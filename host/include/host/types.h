// Basic integer, handle and structure types of the host layer's system interface.
//
// Integers keep their 32-bit widths (LONG, DWORD and UINT are never the platform's `long`); WPARAM, LPARAM,
// LRESULT and every handle are pointer-sized. Handle types are distinct pointer types so that a window handle
// cannot be passed where a device context is expected.
#pragma once

#include <cstddef>
#include <cstdint>

using BOOL = int32_t;
using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using LONG = int32_t;
using ULONG = uint32_t;
using UINT = uint32_t;
using INT = int32_t;
using SHORT = int16_t;
using USHORT = uint16_t;
using CHAR = char;
using UCHAR = uint8_t;
using LONGLONG = int64_t;
using ULONGLONG = uint64_t;
using DWORD_PTR = uintptr_t;
using UINT_PTR = uintptr_t;
using INT_PTR = intptr_t;
using LONG_PTR = intptr_t;
using ULONG_PTR = uintptr_t;
using SIZE_T = size_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using ATOM = uint16_t;
using COLORREF = uint32_t;
using LPVOID = void*;
using LPCVOID = const void*;
using LPSTR = char*;
using LPCSTR = const char*;
using LPDWORD = DWORD*;
using LPLONG = LONG*;
// A call's result code: 0 and above succeed, negative values (high bit set) are failures.
using HRESULT = LONG;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif
#ifndef MAX_PATH
#define MAX_PATH 260
#endif

// A handle type of its own for each kind of object.
#define HOST_DECLARE_HANDLE(name) \
  struct name##__ {               \
    int unused;                   \
  };                              \
  using name = name##__*

using HANDLE = void*;
HOST_DECLARE_HANDLE(HINSTANCE);
using HMODULE = HINSTANCE;
HOST_DECLARE_HANDLE(HWND);
HOST_DECLARE_HANDLE(HDC);
HOST_DECLARE_HANDLE(HMENU);
HOST_DECLARE_HANDLE(HICON);
using HCURSOR = HICON;
HOST_DECLARE_HANDLE(HACCEL);
HOST_DECLARE_HANDLE(HRSRC);
HOST_DECLARE_HANDLE(HKEY);
using HGDIOBJ = void*;
HOST_DECLARE_HANDLE(HBITMAP);
HOST_DECLARE_HANDLE(HBRUSH);
HOST_DECLARE_HANDLE(HPEN);
HOST_DECLARE_HANDLE(HFONT);
HOST_DECLARE_HANDLE(HRGN);
HOST_DECLARE_HANDLE(HPALETTE);
using HGLOBAL = HANDLE;
using HLOCAL = HANDLE;

#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1)))

// A procedure found by name in a module.
using FARPROC = intptr_t (*)();

struct POINT {
  LONG x;
  LONG y;
};
using LPPOINT = POINT*;

struct SIZE {
  LONG cx;
  LONG cy;
};
using LPSIZE = SIZE*;

struct RECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};
using LPRECT = RECT*;
using LPCRECT = const RECT*;

struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};

struct SYSTEMTIME {
  WORD wYear;
  WORD wMonth;
  WORD wDayOfWeek;
  WORD wDay;
  WORD wHour;
  WORD wMinute;
  WORD wSecond;
  WORD wMilliseconds;
};

union LARGE_INTEGER {
  struct {
    DWORD LowPart;
    LONG HighPart;
  } u;
  LONGLONG QuadPart;
};

constexpr WORD LOWORD(uintptr_t v) { return static_cast<WORD>(v & 0xFFFF); }
constexpr WORD HIWORD(uintptr_t v) { return static_cast<WORD>((v >> 16) & 0xFFFF); }
constexpr BYTE GetRValue(COLORREF c) { return static_cast<BYTE>(c & 0xFF); }
constexpr BYTE GetGValue(COLORREF c) { return static_cast<BYTE>((c >> 8) & 0xFF); }
constexpr BYTE GetBValue(COLORREF c) { return static_cast<BYTE>((c >> 16) & 0xFF); }
constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) {
  return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) | (static_cast<COLORREF>(b) << 16);
}
