// Painting windows: update regions, WM_PAINT, device contexts over the frame buffer and the presented picture.
#include <gtest/gtest.h>

#include "user_test_helpers.h"

namespace {

using user_test::HeadlessWindows;

class Painting : public HeadlessWindows {};

TEST_F(Painting, ShownWindowPaintsOnceAndPresentsItsPicture) {
  HWND window = Make(64, 48);
  ASSERT_NE(window, nullptr);
  Pump();
  EXPECT_EQ(recorder_.paints, 1);
  EXPECT_EQ(recorder_.lastPaint.right, 64);
  EXPECT_EQ(recorder_.lastPaint.bottom, 48);
  HostFrame frame;
  ASSERT_TRUE(HostTestLastFrame(window, &frame));
  ASSERT_EQ(frame.width, 64);
  ASSERT_EQ(frame.height, 48);
  EXPECT_EQ(frame.pixels[0], 0x00336699u);
  EXPECT_EQ(frame.pixels.back(), 0x00336699u);
  Pump();
  EXPECT_EQ(recorder_.paints, 1);  // validated: no second WM_PAINT
}

TEST_F(Painting, InvalidRegionsAddUpAndPaintingClipsToThem) {
  HWND window = Make(40, 30);
  Pump();
  recorder_.paintColor = 0x00FF0000;
  RECT first{2, 3, 6, 5}, second{10, 20, 12, 22};
  InvalidateRect(window, &first, FALSE);
  HRGN region = CreateRectRgnIndirect(&second);
  InvalidateRgn(window, region, FALSE);
  HRGN update = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetUpdateRgn(window, update, FALSE), COMPLEXREGION);
  Pump();
  EXPECT_EQ(recorder_.paints, 2);
  EXPECT_EQ(recorder_.lastPaint.left, 2);
  EXPECT_EQ(recorder_.lastPaint.bottom, 22);
  HostFrame frame;
  ASSERT_TRUE(HostTestLastFrame(window, &frame));
  auto at = [&](int x, int y) { return frame.pixels[static_cast<size_t>(y) * frame.width + x]; };
  EXPECT_EQ(at(2, 3), 0x00FF0000u);
  EXPECT_EQ(at(11, 21), 0x00FF0000u);
  EXPECT_EQ(at(8, 10), 0x00336699u);  // inside the box but outside both rectangles: not repainted
  EXPECT_EQ(GetUpdateRgn(window, update, FALSE), NULLREGION);
  DeleteObject(region);
  DeleteObject(update);
}

TEST_F(Painting, ValidateRectRemovesPartOfTheUpdateAndUpdateWindowPaintsAtOnce) {
  HWND window = Make(20, 20);
  Pump();
  InvalidateRect(window, nullptr, FALSE);
  RECT top{0, 0, 20, 10};
  ValidateRect(window, &top);
  HRGN update = CreateRectRgn(0, 0, 0, 0);
  RECT box;
  GetUpdateRgn(window, update, FALSE);
  GetRgnBox(update, &box);
  EXPECT_EQ(box.top, 10);
  EXPECT_EQ(box.bottom, 20);
  ASSERT_TRUE(UpdateWindow(window));
  EXPECT_EQ(recorder_.paints, 2);  // sent, not waiting for the pump
  EXPECT_EQ(recorder_.lastPaint.top, 10);
  ValidateRect(window, nullptr);
  InvalidateRect(window, nullptr, FALSE);
  ValidateRect(window, nullptr);
  Pump();
  EXPECT_EQ(recorder_.paints, 2);
  DeleteObject(update);
}

TEST_F(Painting, OwnDeviceContextDrawsAtAnyTimeAndShowsAtRelease) {
  HWND window = Make(8, 8);
  Pump();
  HDC dc = GetDC(window);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(GetDC(window), dc);  // the window's own device context
  user_test::FillBox(dc, RECT{0, 0, 4, 4}, 0x0000FF00);
  EXPECT_EQ(ReleaseDC(window, dc), 1);
  HostFrame frame;
  ASSERT_TRUE(HostTestLastFrame(window, &frame));
  EXPECT_EQ(frame.pixels[0], 0x0000FF00u);
  EXPECT_EQ(frame.pixels[7], 0x00336699u);
}

TEST_F(Painting, CallsOnADestroyedWindowFailCleanly) {
  HWND window = Make(8, 8);
  Pump();
  HDC dc = GetDC(window);
  DestroyWindow(window);
  PAINTSTRUCT paint;
  EXPECT_FALSE(InvalidateRect(window, nullptr, FALSE));
  EXPECT_EQ(BeginPaint(window, &paint), nullptr);
  EXPECT_EQ(GetDC(window), nullptr);
  EXPECT_EQ(ReleaseDC(window, dc), 0);
  EXPECT_FALSE(UpdateWindow(window));
  HostFrame frame;
  EXPECT_FALSE(HostTestLastFrame(window, &frame));
  EXPECT_EQ(SetDIBitsToDevice(dc, 0, 0, 1, 1, 0, 0, 0, 1, nullptr, nullptr, DIB_RGB_COLORS), 0);
}

TEST_F(Painting, HiddenWindowsWaitWithTheirPaint) {
  HWND window = CreateWindowExA(0, "UserTestWindow", "hidden", user_test::kGameStyle, 0, 0, 100, 100, nullptr,
                                nullptr, nullptr, nullptr);
  made_.push_back(window);
  InvalidateRect(window, nullptr, FALSE);
  Pump();
  EXPECT_EQ(recorder_.paints, 0);
  ShowWindow(window, SW_SHOW);
  Pump();
  EXPECT_EQ(recorder_.paints, 1);
}

TEST_F(Painting, DrawingThatLeavesThePixelsAsShownPresentsNothingNew) {
  HWND window = Make(8, 8);
  Pump();
  const uint64_t shown = HostTestPresentCount(window);
  ASSERT_GT(shown, 0u);
  HDC dc = GetDC(window);
  struct Case {
    const char* what;
    uint32_t color;
    bool presents;
  } cases[] = {
      {"the colour already shown", 0x00336699, false},
      {"a new colour", 0x0000FF00, true},
      {"that colour again", 0x0000FF00, false},
  };
  uint64_t before = shown;
  for (const Case& c : cases) {
    user_test::FillBox(dc, RECT{0, 0, 4, 4}, c.color);
    ReleaseDC(window, dc);
    EXPECT_EQ(HostTestPresentCount(window) > before, c.presents) << c.what;
    before = HostTestPresentCount(window);
  }
  HostFrame frame;
  ASSERT_TRUE(HostTestLastFrame(window, &frame));
  EXPECT_EQ(frame.pixels[0], 0x0000FF00u);

  // With a child over it, the window's picture is more than its frame: it is presented whatever was drawn.
  HWND child = CreateWindowExA(0, "UserTestWindow", "", WS_CHILD | WS_VISIBLE, 0, 0, 4, 4, window, nullptr, nullptr,
                               nullptr);
  ASSERT_NE(child, nullptr);
  Pump();
  before = HostTestPresentCount(window);
  user_test::FillBox(dc, RECT{4, 4, 8, 8}, 0x00336699);
  ReleaseDC(window, dc);
  EXPECT_GT(HostTestPresentCount(window), before);
  DestroyWindow(child);
}

// Drawing in parts of a window, presented part by part, puts on the screen the picture that presenting the whole
// window gives.
TEST_F(Painting, PresentingWhatWasDrawnShowsTheWholePicture) {
  HWND window = Make(8, 8);
  Pump();
  HDC dc = GetDC(window);
  user_test::FillBox(dc, RECT{1, 1, 3, 5}, 0x0000FF00);
  ReleaseDC(window, dc);
  user_test::FillBox(dc, RECT{5, 2, 8, 8}, 0x00FF0000);
  user_test::FillBox(dc, RECT{0, 7, 1, 8}, 0x000000FF);
  const uint64_t shown = HostTestPresentCount(window);
  ReleaseDC(window, dc);
  EXPECT_EQ(HostTestPresentCount(window), shown + 1);
  HostFrame parts, whole;
  ASSERT_TRUE(HostTestWindowImage(window, &parts));
  ASSERT_TRUE(DrawMenuBar(window));  // the whole window again
  ASSERT_TRUE(HostTestWindowImage(window, &whole));
  EXPECT_EQ(parts.pixels, whole.pixels);
  EXPECT_EQ(parts.pixels[1 * 8 + 2], 0x0000FF00u);
  EXPECT_EQ(parts.pixels[7 * 8 + 7], 0x00FF0000u);
  EXPECT_EQ(parts.pixels[7 * 8 + 1], 0x00336699u);
  EXPECT_EQ(parts.pixels[7 * 8 + 0], 0x000000FFu);
}

}  // namespace
