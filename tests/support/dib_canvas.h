// A small drawing target for tests of the drawing layer and the ports: a DIB section selected into a memory DC, with
// pixel reads.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

#include "host/gdi.h"

namespace test_support {

// A top-down DIB section of 24 or 1 bits (1 bit: entry 0 black, entry 1 white) selected into a memory DC, filled with
// white, with pixel reads as COLORREF values.
class DibCanvas {
 public:
  DibCanvas(int width, int height, WORD bitCount = 24) : width_(width), height_(height), bitCount_(bitCount) {
    Info info{};
    info.header = {sizeof(BITMAPINFOHEADER), width, -height, 1, bitCount, BI_RGB, 0, 0, 0, 0, 0};
    info.colors[1] = {255, 255, 255, 0};
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateDIBSection(dc_, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS,
                               reinterpret_cast<void**>(&bits_), nullptr, 0);
    previous_ = SelectObject(dc_, bitmap_);
    std::memset(bits_, 0xFF, Stride(width, bitCount) * static_cast<size_t>(height));
  }
  ~DibCanvas() {
    SelectObject(dc_, previous_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  DibCanvas(const DibCanvas&) = delete;
  DibCanvas& operator=(const DibCanvas&) = delete;

  HDC dc() const { return dc_; }
  int width() const { return width_; }
  COLORREF At(int x, int y) const {
    const uint8_t* row = bits_ + Stride(width_, bitCount_) * static_cast<size_t>(y);
    if (bitCount_ == 1) return ((row[x >> 3] >> (7 - (x & 7))) & 1) != 0 ? 0xFFFFFF : 0x000000;
    const uint8_t* p = row + x * 3;
    return RGB(p[2], p[1], p[0]);
  }
  // The pixels of a row as characters: '#' for `ink`, '.' for white, '?' for anything else.
  std::string Row(int y, COLORREF ink = 0) const {
    std::string out;
    for (int x = 0; x < width_; ++x) {
      const COLORREF c = At(x, y);
      out.push_back(c == ink ? '#' : c == 0xFFFFFF ? '.' : '?');
    }
    return out;
  }
  int Count(COLORREF color) const {
    int n = 0;
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) n += At(x, y) == color;
    }
    return n;
  }

 private:
  struct Info {
    BITMAPINFOHEADER header;
    RGBQUAD colors[2];
  };
  static size_t Stride(int width, int bitCount) { return static_cast<size_t>((width * bitCount + 31) / 32 * 4); }

  int width_;
  int height_;
  WORD bitCount_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  uint8_t* bits_ = nullptr;
};

}  // namespace test_support
