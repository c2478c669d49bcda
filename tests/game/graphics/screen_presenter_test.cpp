// The screen presenter against a window whose device context is a memory context over a 24-bit DIB section:
// the rows that reach it are the rows the presenter sent with SetDIBitsToDevice.
#include "game/graphics/screen_presenter.h"

#include <cstring>

#include <gtest/gtest.h>

#include "game/graphics/bitmap.h"
#include "host/testing.h"
#include "host/user.h"

namespace {

constexpr uint8_t kUntouched = 0x5A;

// A window stand-in: records invalidated regions and paints into a DIB section of its own.
class MemoryWindow : public FrameWindow {
 public:
  MemoryWindow(int32_t width, int32_t height) : width_(width) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    dc_ = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<uint8_t*>(bits);
    previous_ = SelectObject(dc_, bitmap_);
    std::memset(bits_, kUntouched, static_cast<size_t>(RowBytes()) * height);
  }
  ~MemoryWindow() override {
    SelectObject(dc_, previous_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }

  bool IsCreated() const override { return created; }
  void InvalidateRegion(const Region& region) override {
    Bounds box;
    region.GetBounds(box);
    invalidated.push_back(box);
  }
  HDC DeviceContext() const override { return dc_; }

  int32_t RowBytes() const { return (width_ * 3 + 3) & ~3; }
  const uint8_t* Pixel(int32_t x, int32_t y) const { return bits_ + y * RowBytes() + x * 3; }
  // Whether row y holds the frame's pattern (true) or was left alone (false); a mix fails the test.
  bool RowDrawn(int32_t y) const {
    bool drawn = Pixel(0, y)[0] != kUntouched;
    for (int32_t x = 0; x < width_; ++x) {
      const uint8_t* p = Pixel(x, y);
      if (drawn) {
        EXPECT_EQ(p[0], uint8_t(x)) << x << "," << y;
        EXPECT_EQ(p[1], uint8_t(y)) << x << "," << y;
        EXPECT_EQ(p[2], 0x80) << x << "," << y;
      } else {
        EXPECT_EQ(p[0], kUntouched) << x << "," << y;
      }
    }
    return drawn;
  }

  bool created = true;
  std::vector<Bounds> invalidated;

 private:
  int32_t width_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  uint8_t* bits_ = nullptr;
};

// A frame whose pixel (x, y) is blue x, green y, red 0x80.
void FillFrame(Bitmap& frame, int32_t width, int32_t height, int32_t format = OpaqueFormat) {
  ASSERT_EQ(frame.Create(width, height, format), kBitmapReady);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      uint8_t* p = frame.PixelAt(x, y);
      p[0] = uint8_t(x);
      p[1] = uint8_t(y);
      p[2] = 0x80;
      if (frame.BytesPerPixel() == 4) p[3] = 0xFF;
    }
  }
}

struct BandCase {
  const char* what;
  int32_t width;
  int32_t height;
  Bounds box;
  int32_t first;  // first row drawn
  int32_t rows;   // rows drawn
};

TEST(ScreenPresenterTest, DrawsTheRowsOfTheBoxAndOneMore) {
  const BandCase cases[] = {
      {"whole frame", 16, 120, {0, 0, 16, 120}, 0, 120},
      {"one row at 100", 16, 120, {3, 100, 2, 1}, 100, 2},
      {"box ending at the last row", 16, 120, {0, 110, 16, 10}, 110, 10},
      {"box taller than the frame", 16, 120, {0, -5, 16, 200}, 0, 120},
      {"width not a multiple of 4", 10, 7, {0, 2, 4, 3}, 2, 4},
      {"odd width, whole frame", 13, 5, {0, 0, 13, 5}, 0, 5},
  };
  for (const BandCase& c : cases) {
    SCOPED_TRACE(c.what);
    MemoryWindow window(c.width, c.height);
    ScreenPresenter presenter(&window, c.width, c.height);
    Bitmap frame;
    FillFrame(frame, c.width, c.height);
    Region region(c.box);
    EXPECT_EQ(presenter.Blit(frame, region), c.rows);
    for (int32_t y = 0; y < c.height; ++y) {
      EXPECT_EQ(window.RowDrawn(y), y >= c.first && y < c.first + c.rows) << "row " << y;
    }
  }
}

TEST(ScreenPresenterTest, FourBytePixelsAreSentAsThreeByteRows) {
  MemoryWindow window(6, 4);
  ScreenPresenter presenter(&window, 6, 4);
  Bitmap frame;
  FillFrame(frame, 6, 4, AlphaFormat);
  EXPECT_EQ(presenter.Blit(frame, Region(Bounds{0, 0, 6, 4})), 4);
  for (int32_t y = 0; y < 4; ++y) EXPECT_TRUE(window.RowDrawn(y));
}

TEST(ScreenPresenterTest, NothingIsDrawnWithoutWindowSizeOrMatchingFrame) {
  MemoryWindow window(8, 8);
  Bitmap frame;
  FillFrame(frame, 8, 8);
  const Region region(Bounds{0, 0, 8, 8});

  window.created = false;
  ScreenPresenter presenter(&window, 8, 8);
  EXPECT_EQ(presenter.Blit(frame, region), 0);
  window.created = true;

  Bitmap other;
  FillFrame(other, 8, 6);
  EXPECT_EQ(presenter.Blit(other, region), 0);
  presenter.SetSize(0, 8);
  EXPECT_EQ(presenter.Blit(frame, region), 0);
  for (int32_t y = 0; y < 8; ++y) EXPECT_FALSE(window.RowDrawn(y));

  presenter.SetSize(8, 8);
  EXPECT_EQ(presenter.Blit(frame, region), 8);
}

TEST(ScreenPresenterTest, PresentInvalidatesTheRegion) {
  MemoryWindow window(8, 8);
  ScreenPresenter presenter(&window, 8, 8);
  Region region(Bounds{1, 2, 3, 4});
  region.UnionRect(Bounds{5, 5, 1, 1});
  EXPECT_EQ(presenter.Present(region), 0);
  ASSERT_EQ(window.invalidated.size(), 1u);
  EXPECT_EQ(window.invalidated[0], (Bounds{1, 2, 5, 4}));
  EXPECT_EQ(presenter.GetWindow(), &window);
}

// The road of a frame to a real (headless) window: Present invalidates, the paint handling blits with the
// window's own device context, and the window shows the frame unskewed although its width is not a multiple of 4.
struct PaintedWindow : FrameWindow {
  HWND window = nullptr;
  bool IsCreated() const override { return window != nullptr && IsWindow(window); }
  void InvalidateRegion(const Region& region) override { InvalidateRgn(window, region.Handle(), FALSE); }
  HDC DeviceContext() const override { return GetDC(window); }  // the class's own context: nothing to release
};
ScreenPresenter* gPresenter = nullptr;
const Bitmap* gFrame = nullptr;

LRESULT PaintProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_PAINT) return DefWindowProcA(window, message, wParam, lParam);
  PAINTSTRUCT paint;
  BeginPaint(window, &paint);
  const Region all(Bounds{0, 0, gFrame->width, gFrame->height});
  gPresenter->Blit(*gFrame, all);
  EndPaint(window, &paint);
  return 0;
}

TEST(ScreenPresenterWindowTest, FrameReachesTheWindowRowForRow) {
  constexpr int32_t kWidth = 10;
  constexpr int32_t kHeight = 6;
  HostTestSetHeadless(true);
  WNDCLASSA windowClass{};
  windowClass.style = CS_OWNDC;
  windowClass.lpfnWndProc = PaintProc;
  windowClass.lpszClassName = "PresenterTestWindow";
  ASSERT_NE(RegisterClassA(&windowClass), 0);
  PaintedWindow target;
  target.window = CreateWindowExA(0, "PresenterTestWindow", "", WS_POPUP | WS_VISIBLE, 0, 0, kWidth, kHeight,
                                  nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(target.window, nullptr);

  Bitmap frame;
  FillFrame(frame, kWidth, kHeight);
  ScreenPresenter presenter(&target, kWidth, kHeight);
  gPresenter = &presenter;
  gFrame = &frame;
  presenter.Present(Region(Bounds{0, 0, kWidth, kHeight}));
  UpdateWindow(target.window);

  HostFrame shown;
  ASSERT_TRUE(HostTestLastFrame(target.window, &shown));
  ASSERT_EQ(shown.width, kWidth);
  ASSERT_EQ(shown.height, kHeight);
  for (int32_t y = 0; y < kHeight; ++y) {
    for (int32_t x = 0; x < kWidth; ++x) {
      EXPECT_EQ(shown.pixels[static_cast<size_t>(y) * kWidth + x], 0x800000u | uint32_t(y) << 8 | uint32_t(x))
          << x << "," << y;
    }
  }
  DestroyWindow(target.window);
  UnregisterClassA("PresenterTestWindow", nullptr);
  gPresenter = nullptr;
  gFrame = nullptr;
}

}  // namespace
