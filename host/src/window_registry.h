// The host layer's registry of window classes and windows, shared by every host source that deals with
// windows. A window here is a record of the host layer; the display code attaches a screen window to the
// records that need one.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "host/user.h"

namespace host {

struct WindowClass {
  ATOM atom = 0;
  std::string name;
  UINT style = 0;
  WNDPROC procedure = nullptr;
  int classExtraBytes = 0;
  int windowExtraBytes = 0;
  HINSTANCE instance = nullptr;
  HICON icon = nullptr;
  HCURSOR cursor = nullptr;
  HBRUSH background = nullptr;
  std::string menuName;  // empty when none or given as a number
  WORD menuId = 0;       // a menu given as a number
};

struct Window {
  HWND handle = nullptr;
  std::shared_ptr<WindowClass> windowClass;
  WNDPROC procedure = nullptr;
  std::string title;
  DWORD style = 0;
  DWORD exStyle = 0;
  RECT bounds{};  // in screen coordinates (the parent's client area for a child)
  HWND parent = nullptr;
  HMENU menu = nullptr;
  HINSTANCE instance = nullptr;
  bool destroying = false;  // DestroyWindow has begun; no further destruction
};

// The lock of the registry. Held only while the tables are read or changed, never while a window procedure
// runs, so procedures may make and destroy windows.
std::recursive_mutex& WindowLock();

// The window record of a live handle (null otherwise); the lock must be held while it is used.
Window* FindWindowRecord(HWND handle);
// All live windows in the order they were made; the lock must be held.
std::vector<Window*> AllWindows();
// The class by name (without regard to case) or atom; the lock must be held.
std::shared_ptr<WindowClass> FindWindowClass(LPCSTR nameOrAtom);

}  // namespace host
