// Bitmaps and DIBs: row order of DIB sections at every depth, GetDIBits and SetDIBits bands, format queries,
// colour tables, bit-field layouts and refused headers.
#include <gtest/gtest.h>

#include <vector>

#include "gdi_test_helpers.h"

namespace {

using gdi_test::DibInfo;
using gdi_test::Stride;
using gdi_test::Surface;

// The colour each depth's test value v (0 to 3) stands for.
uint32_t ColourOf(int bitCount, uint32_t v) {
  switch (bitCount) {
    case 16: return (v * 8) << 16 | (v * 8) << 8 | (v * 8);  // 5-bit channel v*1 widened: (v << 3) | (v >> 2)
    case 24:
    case 32: return v * 0x010101u;
    default: return v * 0x101010u;  // the colour table below
  }
}

// Raw pixel of value v in each depth.
uint32_t RawOf(int bitCount, uint32_t v) {
  if (bitCount == 16) return (v << 10) | (v << 5) | v;
  if (bitCount == 24 || bitCount == 32) return v * 0x010101u;
  return v;
}

TEST(GdiDib, SectionRowOrderAtEveryDepth) {
  const int depths[] = {1, 4, 8, 16, 24, 32};
  for (int bits : depths) {
    for (bool topDown : {false, true}) {
      const int width = 3, height = 4;
      DibInfo info(width, topDown ? -height : height, static_cast<WORD>(bits));
      for (int i = 0; i < 256; ++i) info.colors[i] = {static_cast<BYTE>(i * 16), static_cast<BYTE>(i * 16),
                                                      static_cast<BYTE>(i * 16), 0};
      void* raw = nullptr;
      HBITMAP section = CreateDIBSection(nullptr, info.get(), DIB_RGB_COLORS, &raw, nullptr, 0);
      ASSERT_NE(section, nullptr) << bits;
      // Memory row m, column x holds value (x + m) mod 2 (1-bit) or mod 4.
      const uint32_t levels = bits == 1 ? 2 : 4;
      auto* bytes = static_cast<uint8_t*>(raw);
      for (int m = 0; m < height; ++m)
        for (int x = 0; x < width; ++x)
          host::gdi::WritePixel(bytes + Stride(width, bits) * m, x, bits, RawOf(bits, (x + m) % levels));
      HDC dc = CreateCompatibleDC(nullptr);
      SelectObject(dc, section);
      Surface surface(width, height);
      ASSERT_TRUE(BitBlt(surface.dc(), 0, 0, width, height, dc, 0, 0, SRCCOPY));
      for (int y = 0; y < height; ++y) {
        const int m = topDown ? y : height - 1 - y;  // bottom-up sections keep the bottom row first
        for (int x = 0; x < width; ++x)
          EXPECT_EQ(surface.At(x, y), ColourOf(bits, (x + m) % levels)) << bits << " bits, topDown " << topDown
                                                                        << " at " << x << "," << y;
      }
      DeleteDC(dc);
      DeleteObject(section);
    }
  }
}

// A 32-bit device bitmap of 2 x 4 pixels whose row r holds values 10r + 1 and 10r + 2.
HBITMAP NumberedBitmap() {
  std::vector<uint32_t> pixels;
  for (uint32_t r = 0; r < 4; ++r) pixels.insert(pixels.end(), {10 * r + 1, 10 * r + 2});
  return CreateBitmap(2, 4, 1, 32, pixels.data());
}

struct BandCase {
  const char* name;
  bool topDown;
  UINT startScan, scanLines;
  int result;
  std::vector<uint32_t> firstColumn;  // column 0 of the buffer's rows, in memory order
};

TEST(GdiDib, GetDIBitsBandsInMemoryOrder) {
  const BandCase cases[] = {
      {"bottom-up all", false, 0, 4, 4, {31, 21, 11, 1}},
      {"top-down all", true, 0, 4, 4, {1, 11, 21, 31}},
      {"bottom-up band", false, 1, 2, 2, {21, 11}},
      {"top-down band", true, 1, 2, 2, {11, 21}},
      {"clamped to the bitmap", false, 3, 9, 1, {1}},
      {"past the bitmap", true, 4, 1, 0, {}},
  };
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = NumberedBitmap();
  for (const BandCase& c : cases) {
    DibInfo info(2, c.topDown ? -4 : 4, 32);
    std::vector<uint32_t> buffer(8, 0xEEEEEEEE);
    EXPECT_EQ(GetDIBits(dc, bitmap, c.startScan, c.scanLines, buffer.data(), info.get(), DIB_RGB_COLORS), c.result)
        << c.name;
    for (size_t i = 0; i < c.firstColumn.size(); ++i) EXPECT_EQ(buffer[2 * i], c.firstColumn[i]) << c.name;
    if (c.firstColumn.size() < 4) {
      EXPECT_EQ(buffer[2 * c.firstColumn.size()], 0xEEEEEEEE) << c.name << ": wrote past the band";
    }
  }
  DeleteObject(bitmap);
  DeleteDC(dc);
}

TEST(GdiDib, SetDIBitsBandsInMemoryOrder) {
  struct Case {
    const char* name;
    bool topDown;
    UINT startScan;
    std::vector<uint32_t> expectedRows;  // column 0 of the bitmap, top to bottom
  };
  const Case cases[] = {
      {"bottom-up band", false, 1, {1, 99, 98, 31}},
      {"top-down band", true, 1, {1, 98, 99, 31}},
  };
  HDC dc = CreateCompatibleDC(nullptr);
  for (const Case& c : cases) {
    HBITMAP bitmap = NumberedBitmap();
    DibInfo info(2, c.topDown ? -4 : 4, 32);
    const uint32_t band[4] = {98, 0, 99, 0};  // two rows in memory order
    EXPECT_EQ(SetDIBits(dc, bitmap, c.startScan, 2, band, info.get(), DIB_RGB_COLORS), 2) << c.name;
    DibInfo top(2, -4, 32);
    std::vector<uint32_t> read(8);
    ASSERT_EQ(GetDIBits(dc, bitmap, 0, 4, read.data(), top.get(), DIB_RGB_COLORS), 4);
    for (int r = 0; r < 4; ++r) EXPECT_EQ(read[2 * r], c.expectedRows[r]) << c.name << " row " << r;
    DeleteObject(bitmap);
  }
  DeleteDC(dc);
}

TEST(GdiDib, FormatQueriesDescribeTheBitmap) {
  HDC dc = CreateCompatibleDC(nullptr);
  Surface surface(1, 1);
  HBITMAP screenLike = CreateCompatibleBitmap(surface.dc(), 1, 1);
  DibInfo info(0, 0, 0);
  ASSERT_NE(GetDIBits(dc, screenLike, 0, 1, nullptr, info.get(), DIB_RGB_COLORS), 0);
  EXPECT_EQ(info.header.biBitCount, 32);
  EXPECT_EQ(info.header.biCompression, BI_BITFIELDS);
  EXPECT_EQ(info.header.biWidth, 1);
  EXPECT_EQ(info.header.biHeight, 1);
  // The second query, with the depth set, hands out the channel masks.
  ASSERT_NE(GetDIBits(dc, screenLike, 0, 1, nullptr, info.get(), DIB_RGB_COLORS), 0);
  uint32_t masks[3];
  std::memcpy(masks, info.colors, sizeof masks);
  EXPECT_EQ(masks[0], 0xFF0000u);
  EXPECT_EQ(masks[1], 0x00FF00u);
  EXPECT_EQ(masks[2], 0x0000FFu);

  HBITMAP mono = CreateBitmap(16, 2, 1, 1, nullptr);
  DibInfo monoInfo(0, 0, 0);
  ASSERT_NE(GetDIBits(dc, mono, 0, 2, nullptr, monoInfo.get(), DIB_RGB_COLORS), 0);
  EXPECT_EQ(monoInfo.header.biBitCount, 1);
  EXPECT_EQ(monoInfo.header.biCompression, BI_RGB);
  EXPECT_EQ(monoInfo.header.biSizeImage, 8u);
  monoInfo.colors[1] = {1, 2, 3, 4};
  std::vector<uint8_t> bits(8);
  ASSERT_EQ(GetDIBits(dc, mono, 0, 2, bits.data(), monoInfo.get(), DIB_RGB_COLORS), 2);
  EXPECT_EQ(monoInfo.colors[1].rgbBlue, 255);  // black and white
  // A 16-bit request without masks gets 5-6-5 masks and pixels to match.
  DibInfo wide(1, 1, 16, BI_BITFIELDS);
  uint32_t pixel = 0;
  ASSERT_EQ(GetDIBits(dc, screenLike, 0, 1, &pixel, wide.get(), DIB_RGB_COLORS), 1);
  std::memcpy(masks, wide.colors, sizeof masks);
  EXPECT_EQ(masks[0], 0xF800u);
  EXPECT_EQ(masks[1], 0x07E0u);
  DeleteObject(mono);
  DeleteObject(screenLike);
  DeleteDC(dc);
}

TEST(GdiDib, BitFieldLayoutsRoundTrip) {
  // 5-6-5 pixels: full red, full green, full blue, and green 1 of 63.
  DibInfo info(4, -1, 16, BI_BITFIELDS);
  info.SetMasks(0xF800, 0x07E0, 0x001F);
  const uint16_t pixels[4] = {0xF800, 0x07E0, 0x001F, 0x0020};
  Surface surface(4, 1);
  ASSERT_EQ(SetDIBitsToDevice(surface.dc(), 0, 0, 4, 1, 0, 0, 0, 1, pixels, info.get(), DIB_RGB_COLORS), 1);
  EXPECT_EQ(surface.At(0, 0), 0xFF0000u);
  EXPECT_EQ(surface.At(1, 0), 0x00FF00u);
  EXPECT_EQ(surface.At(2, 0), 0x0000FFu);
  EXPECT_EQ(surface.At(3, 0), 0x000400u);

  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(nullptr, info.get(), DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(section, nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  ASSERT_EQ(SetDIBits(dc, section, 0, 1, pixels, info.get(), DIB_RGB_COLORS), 1);
  EXPECT_EQ(std::memcmp(bits, pixels, sizeof pixels), 0);
  DeleteDC(dc);
  DeleteObject(section);
}

TEST(GdiDib, ColourTablesOfSelectedSections) {
  DibInfo info(2, -1, 8);
  info.header.biClrUsed = 2;
  info.colors[0] = {0, 0, 0, 0};
  info.colors[1] = {0, 0, 200, 0};
  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(nullptr, info.get(), DIB_RGB_COLORS, &bits, nullptr, 0);
  static_cast<uint8_t*>(bits)[1] = 1;
  HDC dc = CreateCompatibleDC(nullptr);
  RGBQUAD table[256];
  EXPECT_EQ(GetDIBColorTable(dc, 0, 256, table), 0u);  // nothing selected yet
  SelectObject(dc, section);
  ASSERT_EQ(GetDIBColorTable(dc, 0, 256, table), 2u);
  EXPECT_EQ(table[1].rgbRed, 200);
  EXPECT_EQ(GetDIBColorTable(dc, 1, 256, table), 1u);
  EXPECT_EQ(GetDIBColorTable(dc, 2, 1, table), 0u);
  const RGBQUAD blue{200, 0, 0, 0};
  ASSERT_EQ(SetDIBColorTable(dc, 1, 5, &blue), 1u);
  Surface surface(2, 1);
  BitBlt(surface.dc(), 0, 0, 2, 1, dc, 0, 0, SRCCOPY);
  EXPECT_EQ(surface.At(1, 0), 0x0000C8u);

  HBITMAP device = CreateBitmap(2, 1, 1, 32, nullptr);
  SelectObject(dc, device);
  EXPECT_EQ(GetDIBColorTable(dc, 0, 256, table), 0u);  // device bitmaps have no table to give
  DeleteDC(dc);
  DeleteObject(device);
  DeleteObject(section);
}

TEST(GdiDib, CreateBitmapTakesRowsPaddedTo16Bits) {
  // 10 pixels of 1 bit: two bytes per row.
  const uint8_t rows[4] = {0xFF, 0xC0, 0x80, 0x40};
  HBITMAP mono = CreateBitmap(10, 2, 1, 1, rows);
  ASSERT_NE(mono, nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  DibInfo info(10, -2, 1);
  uint8_t read[8] = {};
  ASSERT_EQ(GetDIBits(dc, mono, 0, 2, read, info.get(), DIB_RGB_COLORS), 2);
  EXPECT_EQ(read[0], 0xFF);
  EXPECT_EQ(read[1] & 0xC0, 0xC0);
  EXPECT_EQ(read[4], 0x80);
  EXPECT_EQ(read[5] & 0xC0, 0x40);
  BITMAP b;
  GetObjectA(mono, sizeof b, &b);
  EXPECT_EQ(b.bmWidthBytes, 2);
  DeleteDC(dc);
  DeleteObject(mono);
  EXPECT_EQ(CreateBitmap(2, 2, 2, 1, nullptr), nullptr);
  EXPECT_EQ(CreateBitmap(2, 2, 1, 8, nullptr), nullptr);
  EXPECT_EQ(CreateBitmap(-2, 2, 1, 1, nullptr), nullptr);
  EXPECT_EQ(CreateBitmap(100000, 2, 1, 32, nullptr), nullptr);
}

TEST(GdiDib, BadHeadersAreRefused) {
  struct Case {
    const char* name;
    DWORD size;
    LONG width;
    LONG height;
    WORD planes;
    WORD bits;
    DWORD compression;
    uint32_t masks[3];
    UINT usage;
  };
  const Case cases[] = {
      {"short header", 12, 2, 2, 1, 32, BI_RGB, {}, DIB_RGB_COLORS},
      {"two planes", 40, 2, 2, 2, 32, BI_RGB, {}, DIB_RGB_COLORS},
      {"odd depth", 40, 2, 2, 1, 3, BI_RGB, {}, DIB_RGB_COLORS},
      {"run-length", 40, 2, 2, 1, 8, 1, {}, DIB_RGB_COLORS},
      {"no width", 40, 0, 2, 1, 32, BI_RGB, {}, DIB_RGB_COLORS},
      {"negative width", 40, -2, 2, 1, 32, BI_RGB, {}, DIB_RGB_COLORS},
      {"no height", 40, 2, 0, 1, 32, BI_RGB, {}, DIB_RGB_COLORS},
      {"too wide", 40, 70000, 1, 1, 32, BI_RGB, {}, DIB_RGB_COLORS},
      {"too big", 40, 60000, -60000, 1, 32, BI_RGB, {}, DIB_RGB_COLORS},
      {"overlapping masks", 40, 2, 2, 1, 16, BI_BITFIELDS, {0xF800, 0x0FE0, 0x1F}, DIB_RGB_COLORS},
      {"split mask", 40, 2, 2, 1, 32, BI_BITFIELDS, {0xFF0F00, 0xF0, 0xF}, DIB_RGB_COLORS},
      {"mask past the pixel", 40, 2, 2, 1, 16, BI_BITFIELDS, {0x1F0000, 0x7E0, 0x1F}, DIB_RGB_COLORS},
      {"masks on 24 bits", 40, 2, 2, 1, 24, BI_BITFIELDS, {0xFF0000, 0xFF00, 0xFF}, DIB_RGB_COLORS},
      {"palette indices", 40, 2, 2, 1, 8, BI_RGB, {}, 1},
  };
  std::vector<uint8_t> pixels(64);
  Surface surface(2, 2);
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateBitmap(2, 2, 1, 32, nullptr);
  for (const Case& c : cases) {
    DibInfo info(c.width, c.height, c.bits, c.compression);
    info.header.biSize = c.size;
    info.header.biPlanes = c.planes;
    info.SetMasks(c.masks[0], c.masks[1], c.masks[2]);
    void* bits = reinterpret_cast<void*>(1);
    EXPECT_EQ(CreateDIBSection(nullptr, info.get(), c.usage, &bits, nullptr, 0), nullptr) << c.name;
    EXPECT_EQ(bits, nullptr) << c.name;
    EXPECT_EQ(SetDIBitsToDevice(surface.dc(), 0, 0, 2, 2, 0, 0, 0, 2, pixels.data(), info.get(), c.usage), 0)
        << c.name;
    EXPECT_EQ(StretchDIBits(surface.dc(), 0, 0, 2, 2, 0, 0, 2, 2, pixels.data(), info.get(), c.usage, SRCCOPY), 0)
        << c.name;
    EXPECT_EQ(SetDIBits(dc, bitmap, 0, 2, pixels.data(), info.get(), c.usage), 0) << c.name;
  }
  DibInfo good(2, 2, 32);
  EXPECT_EQ(CreateDIBSection(nullptr, good.get(), DIB_RGB_COLORS, nullptr, reinterpret_cast<HANDLE>(8), 0), nullptr);
  EXPECT_EQ(CreateDIBSection(nullptr, nullptr, DIB_RGB_COLORS, nullptr, nullptr, 0), nullptr);
  EXPECT_EQ(GetDIBits(dc, bitmap, 0, 2, pixels.data(), nullptr, DIB_RGB_COLORS), 0);
  EXPECT_EQ(GetDIBits(nullptr, bitmap, 0, 2, pixels.data(), good.get(), DIB_RGB_COLORS), 0);
  DeleteObject(bitmap);
  DeleteDC(dc);
}

TEST(GdiDib, PaletteReadsOfColourBitmapsUseTheNearestEntryOfTheTableHandedOut) {
  const uint32_t pixels[3] = {0x000000, 0xFFFFFF, 0xFF0000};
  HBITMAP bitmap = CreateBitmap(3, 1, 1, 32, pixels);
  HDC dc = CreateCompatibleDC(nullptr);
  for (WORD bits : {1, 4, 8}) {
    DibInfo info(3, 1, bits);
    uint8_t row[4] = {};
    ASSERT_EQ(GetDIBits(dc, bitmap, 0, 1, row, info.get(), DIB_RGB_COLORS), 1) << bits;
    for (int x = 0; x < 3; ++x) {
      const uint32_t index = host::gdi::ReadPixel(row, x, bits);
      const RGBQUAD& c = info.colors[index];
      const uint32_t rgb = (uint32_t{c.rgbRed} << 16) | (uint32_t{c.rgbGreen} << 8) | c.rgbBlue;
      if (bits == 1 && x == 2) {
        EXPECT_EQ(rgb, 0x000000u);  // red is nearer to black than to white
      } else {
        EXPECT_EQ(rgb, pixels[x]) << bits << " bits, pixel " << x;
      }
    }
  }
  DeleteDC(dc);
  DeleteObject(bitmap);
}

}  // namespace
