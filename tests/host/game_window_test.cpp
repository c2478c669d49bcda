// The whole road of a game window as the engine drives it: made windowed with a menu bar, shown and activated,
// its frame painted from a 24-bit top-down picture, its accelerator taken in the message pump, switched to a
// full-screen display mode and back.
#include <gtest/gtest.h>

#include <vector>

#include "user_test_helpers.h"

namespace {

using user_test::HeadlessWindows;

constexpr int kWidth = 64;  // a multiple of 4: the 24-bit rows need no padding
constexpr int kHeight = 40;

struct GameWindow {
  std::vector<uint8_t> frame;  // blue, green, red per pixel, rows top-down
  std::vector<UINT> commands;
  bool active = false;
};
GameWindow* game = nullptr;

LRESULT GameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      BITMAPINFO info{};
      info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
      info.bmiHeader.biWidth = kWidth;
      info.bmiHeader.biHeight = -kHeight;
      info.bmiHeader.biPlanes = 1;
      info.bmiHeader.biBitCount = 24;
      info.bmiHeader.biCompression = BI_RGB;
      SetDIBitsToDevice(dc, 0, 0, kWidth, kHeight, 0, 0, 0, kHeight, game->frame.data(), &info, DIB_RGB_COLORS);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_COMMAND:
      game->commands.push_back(LOWORD(wParam));
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_ACTIVATE:
      game->active = LOWORD(wParam) != WA_INACTIVE;
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

class GameWindowRoad : public HeadlessWindows {
 protected:
  void SetUp() override {
    HeadlessWindows::SetUp();
    game = &state_;
    state_.frame.resize(static_cast<size_t>(kWidth) * kHeight * 3);
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        uint8_t* pixel = &state_.frame[(static_cast<size_t>(y) * kWidth + x) * 3];
        pixel[0] = static_cast<uint8_t>(x * 4);  // blue across
        pixel[1] = static_cast<uint8_t>(y * 6);  // green down
        pixel[2] = 0x80;
      }
    }
  }
  void TearDown() override {
    HeadlessWindows::TearDown();
    game = nullptr;
  }

  // What the engine's pump does: accelerators first, then translation and dispatch.
  void GamePump(HWND window, HACCEL table) {
    MSG msg;
    while (PeekMessageA(&msg, window, 0, 0, PM_REMOVE)) {
      if (TranslateAcceleratorA(window, table, &msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }

  uint32_t Expected(int x, int y) const { return 0x00800000u | (uint32_t(y * 6) << 8) | uint32_t(x * 4); }

  GameWindow state_;
};

TEST_F(GameWindowRoad, WindowedThenFullscreenAndBack) {
  HINSTANCE program = GetModuleHandleA(nullptr);
  WNDCLASSA windowClass{};
  windowClass.style = CS_DBLCLKS | CS_OWNDC;
  windowClass.lpfnWndProc = GameProc;
  windowClass.hInstance = program;
  windowClass.hIcon = LoadIconA(program, MAKEINTRESOURCEA(12346));
  windowClass.lpszClassName = "Demo_class";
  ASSERT_NE(RegisterClassA(&windowClass), 0);

  HMENU bar = CreateMenu();
  HMENU file = CreatePopupMenu();
  AppendMenuA(file, MF_STRING, 1399, "E&xit\tCtrl+Q");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
  int frameX = GetSystemMetrics(SM_CXDLGFRAME), frameY = GetSystemMetrics(SM_CYDLGFRAME);
  int outerWidth = kWidth + 2 * frameX;
  int outerHeight = kHeight + 2 * frameY + GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYMENUSIZE);
  HWND window = CreateWindowExA(0, "Demo_class", "Demo", user_test::kGameStyle, 10, 10, outerWidth, outerHeight,
                                nullptr, nullptr, program, nullptr);
  ASSERT_NE(window, nullptr);
  made_.push_back(window);
  HDC dc = GetDC(window);
  ASSERT_NE(dc, nullptr);
  ReleaseDC(window, dc);
  SetWindowPos(window, nullptr, 10, 10, outerWidth, outerHeight, SWP_NOZORDER);
  SetMenu(window, bar);
  DrawMenuBar(window);
  RECT client;
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, kWidth);
  EXPECT_EQ(client.bottom, kHeight);
  ShowWindow(window, SW_SHOW);
  BringWindowToTop(window);
  SetActiveWindow(window);
  EXPECT_TRUE(state_.active);
  EXPECT_EQ(GetForegroundWindow(), window);

  ACCEL quit{FVIRTKEY | FCONTROL, 'Q', 1399};
  HACCEL table = CreateAcceleratorTableA(&quit, 1);
  GamePump(window, table);
  HostFrame frame;
  ASSERT_TRUE(HostTestLastFrame(window, &frame));
  ASSERT_EQ(frame.width, kWidth);
  EXPECT_EQ(frame.pixels[0], Expected(0, 0));
  EXPECT_EQ(frame.pixels[static_cast<size_t>(kHeight - 1) * kWidth + kWidth - 1], Expected(kWidth - 1, kHeight - 1));
  HostFrame image;
  ASSERT_TRUE(HostTestWindowImage(window, &image));
  EXPECT_EQ(image.clientTop, GetSystemMetrics(SM_CYMENUSIZE));

  HostTestKey(VK_CONTROL, true);
  HostTestKey('Q', true);
  HostTestKey('Q', false);
  HostTestKey(VK_CONTROL, false);
  GamePump(window, table);
  EXPECT_EQ(state_.commands, std::vector<UINT>{1399});

  // Full screen: no menu, the pop-up style at the origin, the display mode recorded.
  SetMenu(window, nullptr);
  SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(user_test::kFullscreenStyle));
  SetWindowPos(window, nullptr, 0, 0, kWidth, kHeight, SWP_SHOWWINDOW);
  DEVMODEA mode{};
  mode.dmSize = sizeof(DEVMODEA);
  bool found = false;
  for (DWORD i = 0; !found && EnumDisplaySettingsA(nullptr, i, &mode); ++i) {
    found = mode.dmPelsWidth == 640 && mode.dmPelsHeight == 480 && mode.dmBitsPerPel == 32;
  }
  ASSERT_TRUE(found);
  // The game asks for its own size; a size the display does not offer is refused and the game stays windowed.
  mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
  mode.dmPelsWidth = kWidth;
  mode.dmPelsHeight = kHeight;
  EXPECT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_BADMODE);
  mode.dmPelsWidth = 640;
  mode.dmPelsHeight = 480;
  SetWindowPos(window, nullptr, 0, 0, 640, 480, SWP_SHOWWINDOW);
  ASSERT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
  EXPECT_TRUE(HostTestIsFullscreen(window));
  GamePump(window, table);
  ASSERT_TRUE(HostTestLastFrame(window, &frame));
  EXPECT_EQ(frame.width, 640);
  EXPECT_EQ(frame.pixels[static_cast<size_t>(5) * 640 + 7], Expected(7, 5));

  // Losing the focus in full screen: the window hears it and may go back to the desktop.
  HostTestActivate(window, false);
  GamePump(window, table);
  EXPECT_FALSE(state_.active);
  ChangeDisplaySettingsA(nullptr, 0);
  SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(user_test::kGameStyle));
  SetWindowPos(window, nullptr, 10, 10, outerWidth, outerHeight, SWP_SHOWWINDOW);
  SetMenu(window, bar);
  EXPECT_FALSE(HostTestIsFullscreen(window));
  GetClientRect(window, &client);
  EXPECT_EQ(client.bottom, kHeight);

  DestroyAcceleratorTable(table);
  DestroyWindow(window);
  EXPECT_TRUE(UnregisterClassA("Demo_class", program));
  DestroyMenu(bar);
}

}  // namespace
