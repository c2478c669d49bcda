// Helpers shared by the window-system tests: headless windows of one class whose procedure records every message,
// and a message pump as the program runs it.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "host/gdi.h"
#include "host/kernel.h"
#include "host/testing.h"
#include "host/user.h"

namespace user_test {

struct Received {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

// What the test windows receive, and what they do with WM_PAINT (fill the update box with a colour).
struct Recorder {
  std::vector<Received> messages;
  uint32_t paintColor = 0x00336699;
  RECT lastPaint{};
  int paints = 0;
  bool keysHandled = false;  // WM_KEYDOWN and WM_CHAR stop here, as a game's procedure takes them
};

inline Recorder*& CurrentRecorder() {
  static Recorder* recorder = nullptr;
  return recorder;
}

inline void FillBox(HDC dc, const RECT& box, uint32_t color) {
  int width = box.right - box.left, height = box.bottom - box.top;
  if (width <= 0 || height <= 0) return;
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height, color);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  SetDIBitsToDevice(dc, box.left, box.top, width, height, 0, 0, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
}

inline LRESULT RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Recorder* recorder = CurrentRecorder();
  if (recorder != nullptr) recorder->messages.push_back(Received{window, message, wParam, lParam});
  if (message == WM_PAINT && recorder != nullptr) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    FillBox(dc, paint.rcPaint, recorder->paintColor);
    recorder->lastPaint = paint.rcPaint;
    ++recorder->paints;
    EndPaint(window, &paint);
    return 0;
  }
  if (recorder != nullptr && recorder->keysHandled && (message == WM_KEYDOWN || message == WM_CHAR)) return 0;
  return DefWindowProcA(window, message, wParam, lParam);
}

constexpr DWORD kGameStyle = 0x86CA0000;  // a caption, a system menu and a minimise box on a pop-up
constexpr DWORD kFullscreenStyle = 0x86000000;

class HeadlessWindows : public testing::Test {
 protected:
  void SetUp() override {
    HostTestSetHeadless(true);
    HostTestClearMessageBoxes();
    CurrentRecorder() = &recorder_;
    static bool registered = false;
    if (!registered) {
      WNDCLASSA windowClass{};
      windowClass.style = CS_DBLCLKS | CS_OWNDC;
      windowClass.lpfnWndProc = RecordingProc;
      windowClass.lpszClassName = "UserTestWindow";
      registered = RegisterClassA(&windowClass) != 0;
    }
    Pump();
    recorder_.messages.clear();
  }
  void TearDown() override {
    for (HWND window : made_) DestroyWindow(window);
    ChangeDisplaySettingsA(nullptr, 0);
    Pump();
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    CurrentRecorder() = nullptr;
  }

  // A shown window with a client area of the given size.
  HWND Make(int clientWidth, int clientHeight, DWORD style = kGameStyle, HMENU menu = nullptr) {
    RECT rect{0, 0, clientWidth, clientHeight};
    AdjustWindowRect(&rect, style, menu != nullptr);
    HWND window = CreateWindowExA(0, "UserTestWindow", "test", style, 10, 10, rect.right - rect.left,
                                  rect.bottom - rect.top, nullptr, menu, nullptr, nullptr);
    if (window != nullptr) {
      made_.push_back(window);
      ShowWindow(window, SW_SHOW);
    }
    return window;
  }

  // Takes, translates and dispatches every waiting message; returns those taken.
  std::vector<MSG> Pump(HWND filter = nullptr) {
    std::vector<MSG> taken;
    MSG msg;
    for (int guard = 0; guard < 10000 && PeekMessageA(&msg, filter, 0, 0, PM_REMOVE); ++guard) {
      taken.push_back(msg);
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    return taken;
  }

  std::vector<UINT> MessagesTo(HWND window) const {
    std::vector<UINT> seen;
    for (const Received& received : recorder_.messages) {
      if (received.window == window) seen.push_back(received.message);
    }
    return seen;
  }

  std::vector<Received> Of(UINT message) const {
    std::vector<Received> seen;
    for (const Received& received : recorder_.messages) {
      if (received.message == message) seen.push_back(received);
    }
    return seen;
  }

  Recorder recorder_;
  std::vector<HWND> made_;
};

inline int LowX(LPARAM lParam) { return static_cast<int16_t>(lParam & 0xFFFF); }
inline int HighY(LPARAM lParam) { return static_cast<int16_t>((lParam >> 16) & 0xFFFF); }

}  // namespace user_test
