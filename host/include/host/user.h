// The window half of the host layer: window classes, windows and the messages sent to them, cursors.
//
// Windows are objects of the host layer keyed by its own HWND values. A window made here has no window on the
// screen unless the display part of the host layer gives it one; a window that is never shown needs none.
// Messages sent with SendMessageA reach the window procedure at once, on the calling thread.
#pragma once

#include "host/types.h"

using WNDPROC = LRESULT (*)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

struct WNDCLASSA {
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;  // a brush, or a system colour index + 1
  LPCSTR lpszMenuName;
  LPCSTR lpszClassName;  // a name, or an atom made with MAKEINTATOM
};

struct CREATESTRUCTA {
  LPVOID lpCreateParams;
  HINSTANCE hInstance;
  HMENU hMenu;
  HWND hwndParent;
  int cy;
  int cx;
  int y;
  int x;
  LONG style;
  LPCSTR lpszName;
  LPCSTR lpszClass;
  DWORD dwExStyle;
};

// Integer resource names and class atoms passed where a string is expected.
inline LPCSTR MAKEINTRESOURCEA(WORD id) { return reinterpret_cast<LPCSTR>(static_cast<uintptr_t>(id)); }
inline LPCSTR MAKEINTATOM(ATOM atom) { return reinterpret_cast<LPCSTR>(static_cast<uintptr_t>(atom)); }
inline bool IS_INTRESOURCE(LPCSTR name) { return (reinterpret_cast<uintptr_t>(name) >> 16) == 0; }

// Window styles.
constexpr DWORD WS_OVERLAPPED = 0x00000000;
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000);

// Messages.
constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUERYENDSESSION = 0x0011;
constexpr UINT WM_ENDSESSION = 0x0016;
constexpr UINT WM_NCCREATE = 0x0081;
constexpr UINT WM_NCDESTROY = 0x0082;

// System colours, used as class backgrounds as (HBRUSH)(index + 1).
constexpr int COLOR_WINDOW = 5;

// System cursors.
#define IDC_ARROW MAKEINTRESOURCEA(32512)

ATOM RegisterClassA(const WNDCLASSA* windowClass);
BOOL UnregisterClassA(LPCSTR className, HINSTANCE instance);
HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID parameter);
BOOL DestroyWindow(HWND window);
BOOL IsWindow(HWND window);
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CallWindowProcA(WNDPROC procedure, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Top-level windows by class (without regard to case) and title; either may be null to match any.
HWND FindWindowA(LPCSTR className, LPCSTR windowName);
// The window that has the user's attention; null here while no window of this program is active, as no other
// program's windows are visible to it.
HWND GetForegroundWindow();
BOOL SetWindowTextA(HWND window, LPCSTR text);
int GetWindowTextA(HWND window, LPSTR text, int size);

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name);  // system cursors (a null instance) only
HICON CopyIcon(HICON icon);
BOOL DestroyCursor(HCURSOR cursor);
