// Helpers shared by the drawing-layer tests: a window frame buffer with its device context, DIB headers with room
// for a full colour table, pixel reads, and the DIB canvas the port tests share.
#pragma once

#include <cstring>
#include <vector>

#include "host/gdi.h"
#include "host/src/gdi_internal.h"
#include "tests/support/dib_canvas.h"

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

using Canvas = test_support::DibCanvas;

}  // namespace gdi_test
