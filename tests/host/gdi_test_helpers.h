// Helpers shared by the drawing-layer tests: a window frame buffer with its device context, DIB headers with room
// for a full colour table, and pixel reads.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "host/gdi.h"
#include "host/src/gdi_internal.h"

namespace gdi_test {

// A frame buffer of 0x00RRGGBB pixels, filled with one colour, and a device context drawing into it.
class Surface {
 public:
  Surface(int width, int height, uint32_t fill = 0) : pixels_(static_cast<size_t>(width) * height, fill) {
    surface_.width = width;
    surface_.height = height;
    surface_.pitch = width * 4;
    surface_.pixels = pixels_.data();
    dc_ = HostCreateSurfaceDC(&surface_);
  }
  ~Surface() { HostReleaseSurfaceDC(dc_); }
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;

  HDC dc() const { return dc_; }
  HostSurface& host() { return surface_; }
  uint32_t At(int x, int y) const { return pixels_[static_cast<size_t>(y) * surface_.width + x]; }
  std::vector<uint32_t>& pixels() { return pixels_; }

 private:
  std::vector<uint32_t> pixels_;
  HostSurface surface_;
  HDC dc_ = nullptr;
};

// A BITMAPINFO with room for 256 colour entries (or three masks).
struct DibInfo {
  BITMAPINFOHEADER header{};
  RGBQUAD colors[256]{};

  DibInfo(LONG width, LONG height, WORD bitCount, DWORD compression = BI_RGB) {
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = bitCount;
    header.biCompression = compression;
  }
  BITMAPINFO* get() { return reinterpret_cast<BITMAPINFO*>(this); }
  void SetMasks(uint32_t r, uint32_t g, uint32_t b) {
    const uint32_t m[3] = {r, g, b};
    std::memcpy(colors, m, sizeof m);
  }
};

inline size_t Stride(int width, int bitCount) { return static_cast<size_t>((width * bitCount + 31) / 32 * 4); }

// A top-down DIB section of 24 or 1 bits (1 bit: entry 0 black, entry 1 white) selected into a memory DC, filled
// with white, with pixel reads as COLORREF values.
class Canvas {
 public:
  Canvas(int width, int height, WORD bitCount = 24) : width_(width), height_(height), bitCount_(bitCount) {
    DibInfo info(width, -height, bitCount);
    info.colors[1] = {255, 255, 255, 0};
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateDIBSection(dc_, info.get(), DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
    previous_ = SelectObject(dc_, bitmap_);
    std::memset(bits_, 0xFF, Stride(width, bitCount) * static_cast<size_t>(height));
  }
  ~Canvas() {
    SelectObject(dc_, previous_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

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
  int width_;
  int height_;
  WORD bitCount_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  uint8_t* bits_ = nullptr;
};

}  // namespace gdi_test
