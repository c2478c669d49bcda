// A window larger on the screen than its picture: made so by the user or the window manager (maximised, resized,
// fullscreen), or by the desktop's scale. The picture is scaled by the largest whole factor that fits and centred
// on black, and the mouse lands on the picture's own pixels.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "host/src/menu_strip.h"
#include "host/src/sdl_video.h"
#include "host/src/window_surface.h"
#include "tests/support/child_process.h"
#include "tests/support/virtual_display.h"
#include "user_test_helpers.h"

namespace {

using user_test::HeadlessWindows;

class WindowScaling : public HeadlessWindows {
 protected:
  HWND Shown() {
    HWND window = Make(640, 480, user_test::kGameStyle);
    ShowWindow(window, SW_SHOW);
    Pump();
    return window;
  }
  static HostWindowOutput Output(HWND window) {
    HostWindowOutput output;
    EXPECT_TRUE(HostTestWindowOutput(window, &output));
    return output;
  }
  // A point of the window's output and where it lands in the window's image (strip rows first): on the picture or
  // not, and on which pixel when it is.
  struct OutputPoint {
    int x, y;
    bool inside;
    int imageX, imageY;
  };
  static void ExpectOutputLandsOn(const host::Window& window, const std::vector<OutputPoint>& points) {
    for (const OutputPoint& point : points) {
      int imageX = -1, imageY = -1;
      EXPECT_EQ(host::OutputToImage(window, point.x, point.y, &imageX, &imageY), point.inside)
          << point.x << "," << point.y;
      if (!point.inside) continue;
      EXPECT_EQ(imageX, point.imageX) << point.x << "," << point.y;
      EXPECT_EQ(imageY, point.imageY) << point.x << "," << point.y;
    }
  }
};

TEST_F(WindowScaling, AWindowMadeLargerShowsItsPictureScaledByAWholeFactorAndCentred) {
  HWND window = Shown();
  HostWindowOutput output = Output(window);
  EXPECT_EQ(output.width, 640);
  EXPECT_EQ(output.height, 480);
  EXPECT_EQ(output.picture.left, 0);
  EXPECT_EQ(output.picture.right, 640);
  EXPECT_TRUE(output.resizable);  // so that it can be maximised
  struct Case {
    int width, height;
    RECT picture;
  };
  const Case cases[] = {
      {1400, 1000, RECT{60, 20, 1340, 980}},   // twice: 1280 x 960
      {1920, 1080, RECT{320, 60, 1600, 1020}},  // twice: the height allows no more
      {1000, 700, RECT{180, 110, 820, 590}},    // once, centred
      {2000, 1500, RECT{40, 30, 1960, 1470}},   // three times
  };
  for (const Case& c : cases) {
    HostTestResizeOnScreen(window, c.width, c.height);
    Pump();
    output = Output(window);
    EXPECT_EQ(output.width, c.width);
    EXPECT_EQ(output.height, c.height);
    EXPECT_EQ(output.picture.left, c.picture.left) << c.width << "x" << c.height;
    EXPECT_EQ(output.picture.top, c.picture.top) << c.width << "x" << c.height;
    EXPECT_EQ(output.picture.right, c.picture.right) << c.width << "x" << c.height;
    EXPECT_EQ(output.picture.bottom, c.picture.bottom) << c.width << "x" << c.height;
  }
}

TEST_F(WindowScaling, TheMouseLandsOnThePicturesOwnPixels) {
  HWND window = Shown();
  HostTestResizeOnScreen(window, 1400, 1000);  // twice, from (60, 20)
  Pump();
  host::Window* record = host::FindWindow(window);
  ASSERT_NE(record, nullptr);
  ExpectOutputLandsOn(*record, {
                                    {60, 20, true, 0, 0},
                                    {61, 21, true, 0, 0},
                                    {81, 35, true, 10, 7},
                                    {1339, 979, true, 639, 479},
                                    {30, 500, false, 0, 0},
                                    {700, 990, false, 0, 0},
                                    {1345, 500, false, 0, 0},
                                });
  // Injected input takes the same road back: a click on a client pixel reaches that pixel.
  recorder_.messages.clear();
  HostTestMouseButton(window, 0, true, 123, 321);
  HostTestMouseButton(window, 0, false, 123, 321);
  Pump();
  ASSERT_FALSE(Of(WM_LBUTTONUP).empty());
  EXPECT_EQ(user_test::LowX(Of(WM_LBUTTONUP).back().lParam), 123);
  EXPECT_EQ(user_test::HighY(Of(WM_LBUTTONUP).back().lParam), 321);
}

// Maximised with a menu: the strip lies along the window's top edge, across its width, and the client area is
// centred in what is left, both twice as large; an open drop-down hangs from its entry, over the black beside the
// client area.
TEST_F(WindowScaling, AWindowMadeLargerKeepsItsMenuStripAlongItsTopEdge) {
  constexpr UINT_PTR kExit = 7;
  HMENU file = CreatePopupMenu();
  AppendMenuA(file, MF_STRING, kExit, "E&xit");
  HMENU bar = CreateMenu();
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
  HWND window = Make(640, 480, user_test::kGameStyle, bar);
  ASSERT_EQ(GetSystemMetrics(SM_CYMENUSIZE), 20);
  HostTestResizeOnScreen(window, 1920, 1080);  // 640 x 500 twice: 1280 x 1000
  Pump();
  HostWindowOutput output = Output(window);
  EXPECT_EQ(output.strip.left, 0);
  EXPECT_EQ(output.strip.top, 0);
  EXPECT_EQ(output.strip.right, 1920);
  EXPECT_EQ(output.strip.bottom, 40);
  EXPECT_EQ(output.picture.left, 320);
  EXPECT_EQ(output.picture.top, 40 + (1080 - 40 - 960) / 2);
  EXPECT_EQ(output.picture.right, 1600);
  EXPECT_EQ(output.picture.bottom, 80 + 960);
  host::Window* record = host::FindWindow(window);
  ASSERT_NE(record, nullptr);
  ExpectOutputLandsOn(*record, {
                                    {1, 1, true, 0, 0},
                                    {1919, 39, true, 959, 19},
                                    {320, 80, true, 0, 20},
                                    {1599, 1039, true, 639, 499},
                                    {320, 79, false, 0, 0},
                                    {319, 500, false, 0, 0},
                                });
  // The File menu opened by a click on its entry: its first item lies under the entry at the window's left edge.
  POINT entry{};
  ASSERT_TRUE(HostTestMenuEntryPoint(window, 0, &entry));
  HostTestMouseButton(window, 0, true, entry.x, entry.y);
  HostTestMouseButton(window, 0, false, entry.x, entry.y);
  Pump();
  RECT item{};
  ASSERT_TRUE(host::MenuStripDropDownItemRect(*record, 0, &item));
  int imageX = -1, imageY = -1;
  host::OutputToImage(*record, 2 * item.left + 3, 2 * item.top + 3, &imageX, &imageY);
  EXPECT_EQ(imageX, item.left + 1);
  EXPECT_EQ(imageY, item.top + 1);
  POINT exitPoint{};
  ASSERT_TRUE(HostTestMenuItemPoint(window, 0, &exitPoint));
  recorder_.messages.clear();
  HostTestMouseButton(window, 0, true, exitPoint.x, exitPoint.y);
  HostTestMouseButton(window, 0, false, exitPoint.x, exitPoint.y);
  Pump();
  ASSERT_FALSE(Of(WM_COMMAND).empty());
  EXPECT_EQ(LOWORD(Of(WM_COMMAND).back().wParam), kExit);
}

// A query of the cursor position (GetCursorPos, then WindowFromPoint and ScreenToClient, as the program's polled
// mouse asks) finds the pointer where the messages' positions put it: on the client pixel the picture shows there.
TEST_F(WindowScaling, TheCursorQueryFindsThePointerOnThePicturesOwnPixels) {
  HWND window = Shown();
  HostTestResizeOnScreen(window, 1400, 1000);  // twice, from (60, 20)
  Pump();
  struct Case {
    int x, y;
  };
  // The corners, a point inside, and a point on the black left of the picture: as far outside the client area.
  const Case cases[] = {{0, 0}, {123, 321}, {639, 479}, {-20, 100}};
  for (const Case& c : cases) {
    HostTestMouseMove(window, c.x, c.y);
    Pump();
    POINT cursor{};
    ASSERT_TRUE(GetCursorPos(&cursor));
    if (c.x >= 0) {
      EXPECT_EQ(WindowFromPoint(cursor), window) << c.x << "," << c.y;
    }
    POINT client = cursor;
    ASSERT_TRUE(ScreenToClient(window, &client));
    EXPECT_EQ(client.x, c.x) << c.x << "," << c.y;
    EXPECT_EQ(client.y, c.y) << c.x << "," << c.y;
  }
}

TEST_F(WindowScaling, TheSizeTheUserGaveStaysUntilTheProgramResizesItsWindow) {
  HWND window = Shown();
  HostTestResizeOnScreen(window, 1400, 1000);
  Pump();
  // The program moves its window and repaints it: the maximised window stays as it is.
  RECT rect;
  GetWindowRect(window, &rect);
  SetWindowPos(window, nullptr, rect.left + 8, rect.top + 8, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  InvalidateRect(window, nullptr, TRUE);
  Pump();
  EXPECT_EQ(Output(window).width, 1400);
  EXPECT_EQ(Output(window).height, 1000);
  // A new size of the program's own is taken.
  SetWindowPos(window, nullptr, 0, 0, rect.right - rect.left - 320, rect.bottom - rect.top - 240,
               SWP_NOMOVE | SWP_NOZORDER);
  Pump();
  EXPECT_EQ(Output(window).width, 320);
  EXPECT_EQ(Output(window).height, 240);
}

// A window the program places across an edge of the desktop's work area (here the whole headless desktop) is put
// inside it, as near as it can be, and its window rectangle says where it is. Its content, the 640 x 480 client
// area, starts 3 pixels right of and 23 below the window rectangle's corner (the frame and the caption).
TEST_F(WindowScaling, AWindowPlacedAcrossTheWorkAreasEdgeIsPutInside) {
  HWND window = Shown();
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
  struct Case {
    int x, y;                    // the window rectangle's corner the program gives
    int contentX, contentY;      // where the content lies on the desktop
  };
  const Case cases[] = {
      {screenWidth - 100, 40, screenWidth - 640, 63},
      {60, screenHeight - 50, 63, screenHeight - 480},
      {-200, -90, 0, 0},
      {30, 20, 33, 43},  // inside already: it stays
  };
  for (const Case& c : cases) {
    SetWindowPos(window, nullptr, c.x, c.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    Pump();
    const HostWindowOutput output = Output(window);
    EXPECT_EQ(output.x, c.contentX) << c.x << "," << c.y;
    EXPECT_EQ(output.y, c.contentY) << c.x << "," << c.y;
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    EXPECT_EQ(origin.x, c.contentX) << c.x << "," << c.y;
    EXPECT_EQ(origin.y, c.contentY) << c.x << "," << c.y;
  }
}

TEST(DesktopScale, ComesFromGdkScaleElseTheFontsResolution) {
  struct Case {
    const char* gdkScale;
    const char* resources;
    int scale;
  };
  const Case cases[] = {
      {nullptr, nullptr, 1},
      {"2", nullptr, 2},
      {"2", "Xft.dpi:\t96\n", 2},
      {"1", "Xft.dpi:\t192\n", 1},
      {nullptr, "Xcursor.size:\t24\nXft.dpi:\t192\nXft.hinting:\t1\n", 2},
      {nullptr, "Xft.dpi:\t144\n", 1},
      {nullptr, "Xft.dpi:\t288.0", 3},
      {nullptr, "Xft.dpi:\t96\n", 1},
      {"", "Xft.dpi:\t192\n", 2},
      {"0", nullptr, 1},
      {"two", nullptr, 1},
      {nullptr, "Xft.antialias:\t1\n", 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(host::DesktopScaleFrom(c.gdkScale, c.resources), c.scale)
        << (c.gdkScale ? c.gdkScale : "(unset)") << " / " << (c.resources ? c.resources : "(none)");
  }
}

void Say(const std::string& text) {
  if (write(STDERR_FILENO, text.data(), text.size()) < 0) return;
}

class ScaledDesktop : public HeadlessWindows {};

// A window made as the game makes its own: 640 x 480 with a menu bar, then centred on the screen by its client
// size and made one pixel larger each way; then shown.
TEST_F(ScaledDesktop, ChildProcess) {
  if (ChildRole() == nullptr) GTEST_SKIP() << "the child half of the scaled desktop test";
  HostTestSetHeadless(false);
  HMENU bar = CreateMenu();
  AppendMenuA(bar, MF_STRING, 1, "&Game");
  RECT rect{0, 0, 640, 480};
  AdjustWindowRect(&rect, user_test::kGameStyle, TRUE);
  HWND window = CreateWindowExA(0, "UserTestWindow", "scaled", user_test::kGameStyle, 10, 10, rect.right - rect.left,
                                rect.bottom - rect.top, nullptr, bar, nullptr, nullptr);
  GetWindowRect(window, &rect);
  SetWindowPos(window, nullptr, (GetSystemMetrics(SM_CXSCREEN) - 640) / 2, (GetSystemMetrics(SM_CYSCREEN) - 480) / 2,
               rect.right - rect.left + 1, rect.bottom - rect.top + 1, SWP_NOZORDER);
  ShowWindow(window, SW_SHOW);
  Pump();
  HostWindowOutput output;
  if (!HostTestWindowOutput(window, &output)) Say("[no window on the display]\n");
  Say("[screen " + std::to_string(GetSystemMetrics(SM_CXSCREEN)) + "x" +
      std::to_string(GetSystemMetrics(SM_CYSCREEN)) + "]\n");
  Say("[window " + std::to_string(output.width) + "x" + std::to_string(output.height) + " at " +
      std::to_string(output.x) + "," + std::to_string(output.y) + "]\n");
  std::_Exit(0);
}

// The window starts at the desktop's scale when it fits the desktop's work area at that scale, else at the largest
// whole scale that fits, and is placed inside the work area.
TEST(ScaledDesktopRuns, TheWindowStartsAtTheDesktopsScaleInsideTheWorkArea) {
  struct Case {
    int displayWidth, displayHeight;
    const char* gdkScale;
    const char* screen;  // what the program sees of the screen
    int width, height;   // the window on the desktop: 641 x 501 (its client area and strip) at the scale
  };
  const Case cases[] = {
      {1920, 1080, "2", "[screen 960x540]", 1282, 1002},
      {1920, 1080, "1", "[screen 1920x1080]", 641, 501},
      {1280, 1024, "2", "[screen 1280x1024]", 641, 501},  // twice as large it would not fit
  };
  for (const Case& c : cases) {
    VirtualDisplay display(c.displayWidth, c.displayHeight);
    if (!display.Ready()) GTEST_SKIP() << "no display server to test with";
    ChildOutcome outcome = RunTestInChild("ScaledDesktop.ChildProcess", "scaled",
                                          {{"DISPLAY", display.Name()}, {"SDL_VIDEODRIVER", "x11"},
                                           {"GDK_SCALE", c.gdkScale}});
    ASSERT_TRUE(outcome.started);
    EXPECT_NE(outcome.output.find(c.screen), std::string::npos) << outcome.output;
    EXPECT_FALSE(HasSanitizerReport(outcome.output)) << outcome.output;
    int width = 0, height = 0, x = -1, y = -1;
    const size_t at = outcome.output.find("[window ");
    ASSERT_NE(at, std::string::npos) << outcome.output;
    ASSERT_EQ(std::sscanf(outcome.output.c_str() + at, "[window %dx%d at %d,%d]", &width, &height, &x, &y), 4);
    EXPECT_EQ(width, c.width) << c.gdkScale;
    EXPECT_EQ(height, c.height) << c.gdkScale;
    EXPECT_GE(x, 0) << c.gdkScale;
    EXPECT_GE(y, 0) << c.gdkScale;
    EXPECT_LE(x + width, c.displayWidth) << c.gdkScale;
    EXPECT_LE(y + height, c.displayHeight) << c.gdkScale;
  }
}

}  // namespace
