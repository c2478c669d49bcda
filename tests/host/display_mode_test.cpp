// Display modes, system metrics, the screen saver switch, cursors and message boxes.
#include <gtest/gtest.h>

#include "host/src/window_surface.h"
#include "user_test_helpers.h"

namespace {

using user_test::HeadlessWindows;

class DisplayModes : public HeadlessWindows {
 protected:
  // The game's search: the wanted depth first, then 24 -> 32 -> 16 or 32 -> 24 -> 32 -> 16.
  static bool Offered(int width, int height, int bits) {
    DEVMODEA mode{};
    mode.dmSize = sizeof(DEVMODEA);
    for (DWORD i = 0; EnumDisplaySettingsA(nullptr, i, &mode); ++i) {
      if (static_cast<int>(mode.dmPelsWidth) == width && static_cast<int>(mode.dmPelsHeight) == height &&
          static_cast<int>(mode.dmBitsPerPel) == bits) {
        return true;
      }
    }
    return false;
  }

  static DEVMODEA Mode(DWORD width, DWORD height, DWORD bits) {
    DEVMODEA mode{};
    mode.dmSize = sizeof(DEVMODEA);
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL;
    mode.dmPelsWidth = width;
    mode.dmPelsHeight = height;
    mode.dmBitsPerPel = bits;
    return mode;
  }
};

TEST_F(DisplayModes, TheGameSizeIsOfferedAtThirtyTwoAndSixteenBits) {
  EXPECT_TRUE(Offered(640, 480, 32));
  EXPECT_TRUE(Offered(640, 480, 16));
  EXPECT_FALSE(Offered(640, 480, 24));  // so a wish for 24 bits falls back to 32
  DEVMODEA current{};
  ASSERT_TRUE(EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &current));
  EXPECT_EQ(current.dmSize, sizeof(DEVMODEA));
  EXPECT_EQ(static_cast<int>(current.dmPelsWidth), GetSystemMetrics(SM_CXSCREEN));
  EXPECT_FALSE(EnumDisplaySettingsA("\\\\.\\DISPLAY9", 0, &current));
}

TEST_F(DisplayModes, ChangesAreCheckedAndOnlyRecorded) {
  DEVMODEA mode = Mode(640, 480, 24);
  EXPECT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_BADMODE);
  mode.dmBitsPerPel = 32;
  mode.dmSize = 148;
  EXPECT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_BADPARAM);
  mode.dmSize = sizeof(DEVMODEA);
  EXPECT_EQ(ChangeDisplaySettingsA(&mode, 0x80), DISP_CHANGE_BADFLAGS);
  int desktopWidth = GetSystemMetrics(SM_CXSCREEN);
  EXPECT_EQ(ChangeDisplaySettingsA(&mode, CDS_TEST), DISP_CHANGE_SUCCESSFUL);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), desktopWidth);
  EXPECT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 640);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 480);
  EXPECT_EQ(GetDeviceCaps(GetDC(nullptr), HORZRES), 640);
  EXPECT_EQ(ChangeDisplaySettingsA(nullptr, 0), DISP_CHANGE_SUCCESSFUL);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), desktopWidth);
}

TEST_F(DisplayModes, APopupCoveringTheModesScreenGoesFullscreenUntilTheModeIsRestored) {
  HWND window = Make(640, 480, user_test::kFullscreenStyle);
  SetWindowPos(window, nullptr, 0, 0, 640, 480, SWP_SHOWWINDOW);
  EXPECT_FALSE(HostTestIsFullscreen(window));
  DEVMODEA mode = Mode(640, 480, 32);
  ASSERT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
  EXPECT_TRUE(HostTestIsFullscreen(window));
  // Input still lands on the right client pixels through the scaling.
  Pump();
  HostTestMouseMove(window, 123, 321);
  auto taken = Pump();
  ASSERT_FALSE(taken.empty());
  EXPECT_EQ(taken.back().message, WM_MOUSEMOVE);
  EXPECT_EQ(user_test::LowX(taken.back().lParam), 123);
  EXPECT_EQ(user_test::HighY(taken.back().lParam), 321);
  // Back to a captioned window: no longer fullscreen, though the mode stays.
  SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(user_test::kGameStyle));
  EXPECT_FALSE(HostTestIsFullscreen(window));
  SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(user_test::kFullscreenStyle));
  EXPECT_TRUE(HostTestIsFullscreen(window));
  ChangeDisplaySettingsA(nullptr, 0);
  EXPECT_FALSE(HostTestIsFullscreen(window));
}

TEST(WholeScaleFactor, TakesTheLargestWholeFactorThatFits) {
  struct Case {
    int frameWidth, frameHeight, outputWidth, outputHeight, factor;
  };
  const Case cases[] = {
      {640, 480, 1920, 1080, 2}, {640, 480, 1024, 768, 1}, {320, 240, 1920, 1080, 4},
      {640, 480, 600, 400, 1},   {640, 480, 1280, 959, 1}, {0, 0, 800, 600, 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(host::WholeScaleFactor(c.frameWidth, c.frameHeight, c.outputWidth, c.outputHeight), c.factor)
        << c.frameWidth << "x" << c.frameHeight << " on " << c.outputWidth << "x" << c.outputHeight;
  }
}

TEST_F(DisplayModes, ScreenSaverSwitchReadsBackWhatWasSet) {
  BOOL saved = FALSE;
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &saved, 0));
  ASSERT_TRUE(SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, 0, nullptr, 0));
  BOOL now = TRUE;
  SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &now, 0);
  EXPECT_FALSE(now);
  SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, static_cast<UINT>(saved), nullptr, 0);
  SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &now, 0);
  EXPECT_EQ(now, saved);
  EXPECT_FALSE(SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, nullptr, 0));
  EXPECT_FALSE(SystemParametersInfoA(0x1234, 0, &now, 0));
}

TEST_F(DisplayModes, NullCursorHidesAndTheShowCountCounts) {
  HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
  HCURSOR starting = LoadCursorA(nullptr, IDC_APPSTARTING);
  ASSERT_NE(starting, nullptr);
  SetCursor(arrow);
  EXPECT_TRUE(HostTestCursorShown());
  EXPECT_EQ(SetCursor(nullptr), arrow);
  EXPECT_FALSE(HostTestCursorShown());
  SetCursor(starting);
  EXPECT_EQ(ShowCursor(FALSE), -1);
  EXPECT_FALSE(HostTestCursorShown());
  EXPECT_EQ(ShowCursor(TRUE), 0);
  EXPECT_TRUE(HostTestCursorShown());
  SetCursor(arrow);
}

TEST_F(DisplayModes, MessageBoxesAreRecordedAndAnsweredHeadless) {
  struct Case {
    UINT type;
    int queued;  // 0: none
    int answer;
  };
  const Case cases[] = {
      {MB_OK, 0, IDOK},
      {MB_YESNO | MB_TASKMODAL, 0, IDYES},
      {MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2 | MB_TASKMODAL, 0, IDNO},
      {MB_YESNO, IDNO, IDNO},
      {MB_OKCANCEL | MB_DEFBUTTON3, 0, IDCANCEL},  // a default past the last button takes the last
  };
  for (const Case& c : cases) {
    if (c.queued != 0) HostTestAnswerMessageBox(c.queued);
    EXPECT_EQ(MessageBoxA(nullptr, "Do you want to play?", "Scenario", c.type), c.answer) << c.type;
  }
  EXPECT_EQ(MessageBoxA(nullptr, "Cannot load the game.\n", nullptr, MB_OK), IDOK);
  auto shown = HostTestMessageBoxes();
  ASSERT_EQ(shown.size(), 6u);
  EXPECT_EQ(shown[2].text, "Do you want to play?");
  EXPECT_EQ(shown[2].caption, "Scenario");
  EXPECT_EQ(shown[2].type, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2 | MB_TASKMODAL);
  EXPECT_EQ(shown[5].caption, "Error");
}

TEST_F(DisplayModes, WindowSizesFollowTheFramesOfTheirStyles) {
  // The game's arithmetic for its window: the client size plus the dialog frame and the caption.
  int outerWidth = 640 + 2 * GetSystemMetrics(SM_CXDLGFRAME);
  int outerHeight = 480 + 2 * GetSystemMetrics(SM_CYDLGFRAME) + GetSystemMetrics(SM_CYCAPTION);
  HWND window = CreateWindowExA(0, "UserTestWindow", "sized", user_test::kGameStyle, 10, 10, outerWidth,
                                outerHeight, nullptr, nullptr, nullptr, nullptr);
  made_.push_back(window);
  RECT client;
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, 640);
  EXPECT_EQ(client.bottom, 480);
  RECT adjusted{0, 0, 640, 480};
  AdjustWindowRect(&adjusted, user_test::kGameStyle, FALSE);
  EXPECT_EQ(adjusted.right - adjusted.left, outerWidth);
  EXPECT_EQ(adjusted.bottom - adjusted.top, outerHeight);
  POINT point{0, 0};
  ClientToScreen(window, &point);
  EXPECT_EQ(point.x, 10 + GetSystemMetrics(SM_CXDLGFRAME));
  ShowWindow(window, SW_SHOW);
  POINT inside{point.x + 5, point.y + 5};
  EXPECT_EQ(WindowFromPoint(inside), window);
  EXPECT_EQ(ChildWindowFromPointEx(window, POINT{5, 5}, CWP_SKIPINVISIBLE), window);
  EXPECT_EQ(ChildWindowFromPointEx(window, POINT{700, 5}, CWP_SKIPINVISIBLE), nullptr);
  MoveWindow(window, 100, 50, outerWidth, outerHeight, TRUE);
  RECT rect;
  GetWindowRect(window, &rect);
  EXPECT_EQ(rect.left, 100);
  EXPECT_EQ(rect.bottom, 50 + outerHeight);
  EXPECT_EQ(SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(user_test::kGameStyle)) &
                ~static_cast<LONG>(WS_VISIBLE),
            static_cast<LONG>(user_test::kGameStyle & ~WS_VISIBLE));
}

}  // namespace
