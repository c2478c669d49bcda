// Windows for tests of worlds and ports on windows: a popup of a class registered once, made headless.
#pragma once

#include "host/testing.h"
#include "host/user.h"

// A popup window of the given size and extra style (WS_VISIBLE to show it); null on failure.
inline HWND MakeTestWindow(DWORD style, int width, int height) {
  HostTestSetHeadless(true);
  static const bool registered = [] {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.lpszClassName = "GraphicsTestWindow";
    return RegisterClassA(&windowClass) != 0;
  }();
  if (!registered) return nullptr;
  return CreateWindowExA(0, "GraphicsTestWindow", "", WS_POPUP | style, 0, 0, width, height, nullptr, nullptr,
                         nullptr, nullptr);
}
