// Transfers onto device contexts: the row rules of SetDIBitsToDevice and StretchDIBits for both row orders,
// raster operations, monochrome conversion, clipping and overlapping copies.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "gdi_test_helpers.h"

namespace {

using gdi_test::DibInfo;
using gdi_test::Surface;

// Pixels are letters: pixel value n (1 to 26) shows as the n-th letter, 0 as '.'.
std::string Picture(const Surface& s, int width, int height) {
  std::string out;
  for (int y = 0; y < height; ++y) {
    if (y > 0) out += '/';
    for (int x = 0; x < width; ++x) {
      const uint32_t v = s.At(x, y) & 0xFFFFFF;
      out += v == 0 ? '.' : v <= 26 ? static_cast<char>('a' + v - 1) : '?';
    }
  }
  return out;
}

// A 32-bit DIB whose rows, counted from the top of the image, are given as letters ("abc/def").
struct LetterDib {
  LetterDib(const std::string& rows, bool topDown) : info(0, 0, 32) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (true) {
      const size_t slash = rows.find('/', start);
      lines.push_back(rows.substr(start, slash - start));
      if (slash == std::string::npos) break;
      start = slash + 1;
    }
    width = static_cast<int>(lines[0].size());
    height = static_cast<int>(lines.size());
    info.header.biWidth = width;
    info.header.biHeight = topDown ? -height : height;
    pixels.resize(static_cast<size_t>(width) * height);
    for (int r = 0; r < height; ++r) {
      const int memoryRow = topDown ? r : height - 1 - r;
      for (int c = 0; c < width; ++c) pixels[memoryRow * width + c] = static_cast<uint32_t>(lines[r][c] - 'a' + 1);
    }
  }
  const uint32_t* Row(int memoryRow) const { return pixels.data() + static_cast<size_t>(memoryRow) * width; }

  DibInfo info;
  std::vector<uint32_t> pixels;  // memory order
  int width = 0;
  int height = 0;
};

struct DeviceCase {
  const char* name;
  bool topDown;
  int xDest, yDest, width, height, xSrc, ySrc;
  UINT startScan, scanLines;
  int result;
  const char* expected;  // the 5 x 5 surface afterwards
};

TEST(GdiTransfer, SetDIBitsToDeviceRowRules) {
  const DeviceCase cases[] = {
      {"bottom-up whole", false, 0, 0, 3, 4, 0, 0, 0, 4, 4, "abc../def../ghi../jkl../....."},
      {"top-down whole", true, 0, 0, 3, 4, 0, 0, 0, 4, 4, "abc../def../ghi../jkl../....."},
      // The source rectangle is measured from the image's lower-left corner in both row orders.
      {"bottom-up part", false, 1, 1, 2, 2, 1, 1, 0, 4, 4, "...../.ef../.hi../...../....."},
      {"top-down part", true, 1, 1, 2, 2, 1, 1, 0, 4, 4, "...../.ef../.hi../...../....."},
      {"top-down lowest row", true, 0, 4, 3, 1, 0, 0, 0, 4, 4, "...../...../...../...../jkl.."},
      // A band holds scan lines in memory order: from the bottom, or from the top for top-down images.
      {"bottom-up band", false, 0, 0, 3, 4, 0, 0, 1, 1, 1, "...../...../ghi../...../....."},
      {"top-down band", true, 0, 0, 3, 4, 0, 0, 1, 1, 1, "...../def../...../...../....."},
      {"more lines than the image", false, 0, 0, 3, 4, 0, 0, 0, 10, 4, "abc../def../ghi../jkl../....."},
      {"band past the image", false, 0, 0, 3, 4, 0, 0, 4, 2, 0, "...../...../...../...../....."},
      {"clipped left and bottom", false, -1, 3, 3, 4, 0, 0, 0, 4, 4, "...../...../...../bc.../ef..."},
      {"clipped right", true, 3, 0, 3, 1, 0, 3, 0, 4, 4, "...ab/...../...../...../....."},
      {"source past the right edge", false, 0, 0, 3, 1, 2, 3, 0, 4, 4, "c..../...../...../...../....."},
  };
  for (const DeviceCase& c : cases) {
    LetterDib dib("abc/def/ghi/jkl", c.topDown);
    Surface surface(5, 5);
    const int result = SetDIBitsToDevice(surface.dc(), c.xDest, c.yDest, c.width, c.height, c.xSrc, c.ySrc,
                                         c.startScan, c.scanLines, dib.Row(static_cast<int>(c.startScan) % 4),
                                         dib.info.get(), DIB_RGB_COLORS);
    EXPECT_EQ(result, c.result) << c.name;
    EXPECT_EQ(Picture(surface, 5, 5), c.expected) << c.name;
  }
}

struct StretchCase {
  const char* name;
  bool topDown;
  int skipRows;  // the bits pointer starts this many memory rows in
  int xDest, yDest, destWidth, destHeight, xSrc, ySrc, srcWidth, srcHeight;
  const char* expected;  // the 4 x 4 surface afterwards
};

TEST(GdiTransfer, StretchDIBitsRowRules) {
  const StretchCase cases[] = {
      {"bottom-up doubled", false, 0, 0, 0, 4, 4, 0, 0, 2, 2, "aabb/aabb/ccdd/ccdd"},
      {"top-down doubled", true, 0, 0, 0, 4, 4, 0, 0, 2, 2, "aabb/aabb/ccdd/ccdd"},
      // Bottom-up images are measured from the lower-left corner, top-down ones from the upper-left.
      {"bottom-up upper row", false, 0, 0, 0, 2, 1, 0, 1, 2, 1, "ab../..../..../...."},
      {"top-down lower row", true, 0, 0, 0, 2, 1, 0, 1, 2, 1, "cd../..../..../...."},
      {"top-down from an advanced pointer", true, 1, 1, 1, 2, 1, 0, 0, 2, 1, "..../.cd./..../...."},
      {"mirrored", false, 0, 2, 0, -2, 2, 0, 0, 2, 2, "ba../dc../..../...."},
      {"halved", true, 0, 0, 0, 1, 1, 0, 0, 2, 2, "a.../..../..../...."},
      {"widened only", true, 0, 0, 0, 4, 1, 0, 0, 2, 1, "aabb/..../..../...."},
      {"clipped", true, 0, -2, -2, 4, 4, 0, 0, 2, 2, "dd../dd../..../...."},
  };
  for (const StretchCase& c : cases) {
    LetterDib dib("ab/cd", c.topDown);
    Surface surface(4, 4);
    const int result = StretchDIBits(surface.dc(), c.xDest, c.yDest, c.destWidth, c.destHeight, c.xSrc, c.ySrc,
                                     c.srcWidth, c.srcHeight, dib.Row(c.skipRows), dib.info.get(), DIB_RGB_COLORS,
                                     SRCCOPY);
    EXPECT_EQ(result, c.srcHeight) << c.name;
    EXPECT_EQ(Picture(surface, 4, 4), c.expected) << c.name;
  }
}

TEST(GdiTransfer, DegenerateAndBadDibTransfersDrawNothing) {
  LetterDib dib("ab/cd", false);
  Surface surface(4, 4);
  EXPECT_EQ(StretchDIBits(surface.dc(), 0, 0, 0, 4, 0, 0, 2, 2, dib.Row(0), dib.info.get(), DIB_RGB_COLORS, SRCCOPY),
            0);
  EXPECT_EQ(StretchDIBits(surface.dc(), 0, 0, 4, 4, 0, 0, 2, 0, dib.Row(0), dib.info.get(), DIB_RGB_COLORS, SRCCOPY),
            0);
  EXPECT_EQ(StretchDIBits(surface.dc(), 0, 0, 4, 4, 0, 0, 2, 2, nullptr, dib.info.get(), DIB_RGB_COLORS, SRCCOPY), 0);
  EXPECT_EQ(StretchDIBits(surface.dc(), 0, 0, 4, 4, 0, 0, 2, 2, dib.Row(0), dib.info.get(), DIB_RGB_COLORS,
                          0x00F00021u),  // needs a brush
            0);
  EXPECT_EQ(SetDIBitsToDevice(nullptr, 0, 0, 2, 2, 0, 0, 0, 2, dib.Row(0), dib.info.get(), DIB_RGB_COLORS), 0);
  EXPECT_EQ(Picture(surface, 4, 4), "..../..../..../....");
}

// A memory DC holding a 32-bit bitmap with the given pixels in one row.
struct RowDC {
  explicit RowDC(const std::vector<uint32_t>& pixels) {
    dc = CreateCompatibleDC(nullptr);
    bitmap = CreateBitmap(static_cast<int>(pixels.size()), 1, 1, 32, pixels.data());
    SelectObject(dc, bitmap);
  }
  ~RowDC() {
    DeleteDC(dc);
    DeleteObject(bitmap);
  }
  std::vector<uint32_t> Read(int count) const {
    DibInfo info(count, -1, 32);
    std::vector<uint32_t> out(static_cast<size_t>(count));
    GetDIBits(dc, bitmap, 0, 1, out.data(), info.get(), DIB_RGB_COLORS);
    return out;
  }
  HDC dc;
  HBITMAP bitmap;
};

TEST(GdiTransfer, RasterOperations) {
  const uint32_t s = 0x00CC33AA, d = 0x00AA55F0;
  struct Case {
    DWORD rop;
    uint32_t expected;
  };
  const Case cases[] = {
      {SRCCOPY, s}, {SRCAND, s & d}, {SRCPAINT, s | d}, {SRCINVERT, s ^ d}, {0x00220326u, ~s & d},
  };
  for (const Case& c : cases) {
    RowDC source({s});
    RowDC dest({d});
    EXPECT_TRUE(BitBlt(dest.dc, 0, 0, 1, 1, source.dc, 0, 0, c.rop)) << std::hex << c.rop;
    EXPECT_EQ(dest.Read(1)[0], c.expected) << std::hex << c.rop;
  }
  RowDC source({s});
  RowDC dest({d});
  EXPECT_FALSE(BitBlt(dest.dc, 0, 0, 1, 1, source.dc, 0, 0, 0x00F00021u));  // needs a brush
  EXPECT_FALSE(BitBlt(dest.dc, 0, 0, 1, 1, nullptr, 0, 0, SRCCOPY));         // needs a source
  EXPECT_EQ(dest.Read(1)[0], d);
}

TEST(GdiTransfer, MonochromeConversionUsesTheDCColours) {
  const uint32_t key = 0x00123456, other = 0x00FFFFFF;
  RowDC colour({key, other, key, 0x00123457});
  HDC monoDC = CreateCompatibleDC(colour.dc);
  HBITMAP mono = CreateBitmap(4, 1, 1, 1, nullptr);
  SelectObject(monoDC, mono);

  // Colour to monochrome: pixels of the source DC's background colour become 1, all others 0 (white included).
  SetBkColor(colour.dc, RGB(0x12, 0x34, 0x56));
  ASSERT_TRUE(BitBlt(monoDC, 0, 0, 4, 1, colour.dc, 0, 0, SRCCOPY));
  DibInfo info(4, 1, 1);
  uint32_t bits = 0;
  ASSERT_EQ(GetDIBits(monoDC, mono, 0, 1, &bits, info.get(), DIB_RGB_COLORS), 1);
  EXPECT_EQ(bits & 0xF0, 0xA0u);
  EXPECT_EQ(info.colors[0].rgbRed, 0);
  EXPECT_EQ(info.colors[1].rgbRed, 255);

  // Monochrome to colour: 0 takes the destination's text colour, 1 its background colour.
  Surface surface(4, 1);
  SetTextColor(surface.dc(), RGB(1, 2, 3));
  SetBkColor(surface.dc(), RGB(4, 5, 6));
  ASSERT_TRUE(BitBlt(surface.dc(), 0, 0, 4, 1, monoDC, 0, 0, SRCCOPY));
  EXPECT_EQ(surface.At(0, 0), 0x040506u);
  EXPECT_EQ(surface.At(1, 0), 0x010203u);
  EXPECT_EQ(surface.At(2, 0), 0x040506u);
  EXPECT_EQ(surface.At(3, 0), 0x010203u);
  DeleteDC(monoDC);
  DeleteObject(mono);
}

// The transparent copy built from a colour mask and a monochrome mask, at the same size and stretched.
TEST(GdiTransfer, ColourKeyThroughMonochromeMask) {
  const uint32_t k = 0x00FF00FF;  // the key colour
  const std::vector<uint32_t> source = {1, k, 2, k, 3, 4};  // 3 x 2, top row first
  for (int scale : {1, 2}) {
    Surface dest(6, 4, 0x19);  // 'y' everywhere
    DibInfo info(3, -2, 32);
    HDC a = CreateCompatibleDC(dest.dc());
    HBITMAP colour = CreateCompatibleBitmap(dest.dc(), 3, 2);
    HGDIOBJ oldA = SelectObject(a, colour);
    ASSERT_EQ(SetDIBitsToDevice(a, 0, 0, 3, 2, 0, 0, 0, 2, source.data(), info.get(), DIB_RGB_COLORS), 2);
    SetBkColor(a, RGB(0xFF, 0x00, 0xFF));
    HDC b = CreateCompatibleDC(a);
    HBITMAP mask = CreateBitmap(3, 2, 1, 1, nullptr);
    HGDIOBJ oldB = SelectObject(b, mask);
    ASSERT_TRUE(BitBlt(b, 0, 0, 3, 2, a, 0, 0, SRCCOPY));
    ASSERT_TRUE(BitBlt(a, 0, 0, 3, 2, b, 0, 0, 0x00220326u));
    if (scale == 1) {
      ASSERT_TRUE(BitBlt(dest.dc(), 1, 1, 3, 2, b, 0, 0, SRCAND));
      ASSERT_TRUE(BitBlt(dest.dc(), 1, 1, 3, 2, a, 0, 0, SRCPAINT));
      EXPECT_EQ(Picture(dest, 6, 4), "yyyyyy/yaybyy/yycdyy/yyyyyy");
    } else {
      ASSERT_TRUE(StretchBlt(dest.dc(), 0, 0, 6, 4, b, 0, 0, 3, 2, SRCAND));
      ASSERT_TRUE(StretchBlt(dest.dc(), 0, 0, 6, 4, a, 0, 0, 3, 2, SRCPAINT));
      EXPECT_EQ(Picture(dest, 6, 4), "aayybb/aayybb/yyccdd/yyccdd");
    }
    SelectObject(b, oldB);
    SelectObject(a, oldA);
    DeleteDC(b);
    DeleteDC(a);
    DeleteObject(mask);
    DeleteObject(colour);
  }
}

TEST(GdiTransfer, EightBitDestinationsTakeTheNearestEntry) {
  DibInfo info(4, -1, 8);
  info.header.biClrUsed = 4;
  info.colors[0] = {0, 0, 0, 0};
  info.colors[1] = {0, 0, 255, 0};    // red
  info.colors[2] = {0, 0, 255, 0};    // red again: ties go to the lower index
  info.colors[3] = {255, 255, 255, 0};
  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(nullptr, info.get(), DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(section, nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, section);
  RowDC source({0x00F01010, 0x00101010, 0x00E0E0E0, 0x00800000});
  ASSERT_TRUE(BitBlt(dc, 0, 0, 4, 1, source.dc, 0, 0, SRCCOPY));
  const auto* p = static_cast<const uint8_t*>(bits);
  EXPECT_EQ(p[0], 1);
  EXPECT_EQ(p[1], 0);
  EXPECT_EQ(p[2], 3);
  EXPECT_EQ(p[3], 1);
  // Raster operations on palette pixels work on the indices.
  HDC copyDC = CreateCompatibleDC(nullptr);
  void* copyBits = nullptr;
  HBITMAP copy = CreateDIBSection(nullptr, info.get(), DIB_RGB_COLORS, &copyBits, nullptr, 0);
  SelectObject(copyDC, copy);
  std::memcpy(copyBits, bits, 4);
  ASSERT_TRUE(BitBlt(dc, 0, 0, 4, 1, copyDC, 0, 0, SRCINVERT));
  EXPECT_EQ(p[0] | p[1] | p[2] | p[3], 0);
  DeleteDC(copyDC);
  DeleteDC(dc);
  DeleteObject(copy);
  DeleteObject(section);
}

TEST(GdiTransfer, OverlappingCopiesWithinOneBitmap) {
  RowDC row({1, 2, 3, 4, 5});
  ASSERT_TRUE(BitBlt(row.dc, 1, 0, 4, 1, row.dc, 0, 0, SRCCOPY));
  EXPECT_EQ(row.Read(5), (std::vector<uint32_t>{1, 1, 2, 3, 4}));
  ASSERT_TRUE(BitBlt(row.dc, 0, 0, 4, 1, row.dc, 1, 0, SRCCOPY));
  EXPECT_EQ(row.Read(5), (std::vector<uint32_t>{1, 2, 3, 4, 4}));
}

TEST(GdiTransfer, SourcePixelsOutsideTheSourceLeaveTheDestination) {
  RowDC source({1, 2});
  Surface dest(4, 1, 0x19);
  ASSERT_TRUE(BitBlt(dest.dc(), 0, 0, 4, 1, source.dc, -1, 0, SRCCOPY));
  EXPECT_EQ(Picture(dest, 4, 1), "yaby");
}

TEST(GdiTransfer, ClipRegionsLimitDrawingAndTheDirtyBoxFollows) {
  LetterDib dib("abcd/efgh/ijkl/mnop", true);
  Surface surface(4, 4);
  HRGN clip = CreateRectRgn(0, 0, 1, 4);
  HRGN second = CreateRectRgn(2, 1, 4, 2);
  CombineRgn(clip, clip, second, RGN_OR);
  ASSERT_TRUE(HostSetSurfaceClip(surface.dc(), clip));
  ASSERT_EQ(SetDIBitsToDevice(surface.dc(), 0, 0, 4, 4, 0, 0, 0, 4, dib.Row(0), dib.info.get(), DIB_RGB_COLORS), 4);
  EXPECT_EQ(Picture(surface, 4, 4), "a.../e.gh/i.../m...");
  const RECT& dirty = surface.host().dirty;
  EXPECT_EQ(dirty.left, 0);
  EXPECT_EQ(dirty.top, 0);
  EXPECT_EQ(dirty.right, 4);
  EXPECT_EQ(dirty.bottom, 4);
  // What was drawn is handed over row by row, rows drawn alike as one rectangle, and only once; a dirty box set
  // without drawing (a request to show the whole window) is handed over whole.
  auto same = [](const std::vector<RECT>& got, std::vector<RECT> want) {
    return got.size() == want.size() && std::equal(got.begin(), got.end(), want.begin(), [](const RECT& a, const RECT& b) {
             return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
           });
  };
  EXPECT_TRUE(same(HostTakeDrawn(&surface.host()), {{0, 0, 1, 1}, {0, 1, 4, 2}, {0, 2, 1, 4}}));
  EXPECT_TRUE(HostTakeDrawn(&surface.host()).empty());
  surface.host().dirty = {1, 1, 3, 3};
  EXPECT_TRUE(same(HostTakeDrawn(&surface.host()), {{1, 1, 3, 3}}));

  // The program's own clip region (selected as an object) narrows it further.
  surface.pixels().assign(16, 0);
  surface.host().dirty = {0, 0, 0, 0};
  HRGN inner = CreateRectRgn(0, 1, 4, 2);
  EXPECT_EQ(SelectObject(surface.dc(), inner), reinterpret_cast<HGDIOBJ>(intptr_t{SIMPLEREGION}));
  SetDIBitsToDevice(surface.dc(), 0, 0, 4, 4, 0, 0, 0, 4, dib.Row(0), dib.info.get(), DIB_RGB_COLORS);
  EXPECT_EQ(Picture(surface, 4, 4), "..../e.gh/..../....");
  EXPECT_EQ(surface.host().dirty.top, 1);
  EXPECT_EQ(surface.host().dirty.bottom, 2);

  EXPECT_TRUE(HostSetSurfaceClip(surface.dc(), nullptr));
  EXPECT_FALSE(HostSetSurfaceClip(nullptr, clip));
  for (HRGN h : {clip, second, inner}) DeleteObject(h);
}

TEST(GdiTransfer, SurfaceDCsFollowTheirSurface) {
  Surface surface(2, 2);
  EXPECT_EQ(HostGetSurface(surface.dc()), &surface.host());
  HDC memory = CreateCompatibleDC(nullptr);
  EXPECT_EQ(HostGetSurface(memory), nullptr);
  EXPECT_FALSE(HostReleaseSurfaceDC(memory));
  DeleteDC(memory);
  // A surface without pixels draws nothing and does not fail.
  HostSurface empty;
  HDC dc = HostCreateSurfaceDC(&empty);
  LetterDib dib("ab", true);
  EXPECT_EQ(SetDIBitsToDevice(dc, 0, 0, 2, 1, 0, 0, 0, 1, dib.Row(0), dib.info.get(), DIB_RGB_COLORS), 1);
  EXPECT_TRUE(HostReleaseSurfaceDC(dc));
  EXPECT_EQ(HostCreateSurfaceDC(nullptr), nullptr);
}

}  // namespace

namespace {

// Coordinates and extents at the ends of their ranges draw inside the destination or not at all.
TEST(GdiTransfer, ExtremeArgumentsStayInBounds) {
  constexpr int kMin = INT32_MIN, kMax = INT32_MAX;
  struct Case {
    int x, y, w, h, xs, ys, ws, hs;
  };
  const Case cases[] = {
      {kMin, kMin, kMax, kMax, 0, 0, 2, 2},   {kMax, kMax, kMax, kMax, 0, 0, 2, 2},
      {0, 0, 4, 4, kMin, kMin, 2, 2},         {0, 0, 4, 4, kMax, kMax, kMax, kMax},
      {0, 0, kMin, kMin, 0, 0, kMin, kMin},   {3, 3, kMin, kMin, 0, 0, 2, 2},
      {0, 0, 4, 4, 0, 0, kMin, kMax},         {-1, -1, 1 << 30, 1 << 30, -5, -5, 1 << 30, 3},
  };
  LetterDib dib("ab/cd", true);
  RowDC source({1, 2, 3});
  for (const Case& c : cases) {
    Surface surface(4, 4);
    StretchDIBits(surface.dc(), c.x, c.y, c.w, c.h, c.xs, c.ys, c.ws, c.hs, dib.Row(0), dib.info.get(),
                  DIB_RGB_COLORS, SRCCOPY);
    SetDIBitsToDevice(surface.dc(), c.x, c.y, static_cast<DWORD>(c.w), static_cast<DWORD>(c.h), c.xs, c.ys, 0,
                      static_cast<UINT>(c.hs), dib.Row(0), dib.info.get(), DIB_RGB_COLORS);
    StretchBlt(surface.dc(), c.x, c.y, c.w, c.h, source.dc, c.xs, c.ys, c.ws, c.hs, SRCINVERT);
    BitBlt(surface.dc(), c.x, c.y, c.w, c.h, source.dc, c.xs, c.ys, SRCCOPY);
    for (uint32_t p : surface.pixels()) EXPECT_LE(p & 0xFFFFFF, 26u);
  }
  Surface surface(4, 4);
  EXPECT_EQ(SetDIBitsToDevice(surface.dc(), 0, 0, 0xFFFFFFFFu, 0xFFFFFFFFu, 0, 0, 0xFFFFFFFFu, 0xFFFFFFFFu,
                              dib.Row(0), dib.info.get(), DIB_RGB_COLORS),
            0);
  EXPECT_EQ(SetDIBitsToDevice(surface.dc(), 0, 0, 0xFFFFFFFFu, 0xFFFFFFFFu, 0, 0, 0, 0xFFFFFFFFu, dib.Row(0),
                              dib.info.get(), DIB_RGB_COLORS),
            2);
  EXPECT_EQ(Picture(surface, 4, 4), "..../..../..../....");  // the image lies below the top edge
}

}  // namespace
