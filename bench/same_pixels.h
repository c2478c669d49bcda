// Comparing the pixels that ours and a reference left, for the benchmarks' checks: row by row, by the blue, green
// and red bytes of each pixel, which every format compared here stores first and in that order (the fourth byte
// of a 4-byte pixel is padding on one side or the other).
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>

namespace bench {

// Pixels in memory: the top row, the bytes from one row to the next, and the bytes of a pixel (3 or 4).
struct PixelRows {
  const uint8_t* first = nullptr;
  int64_t rowBytes = 0;
  int32_t bytesPerPixel = 0;
};

// Empty when each pixel of the width x height area agrees on blue, green and red within the tolerance; else how
// many pixels differ, and the first of them.
inline std::string DifferentPixels(const PixelRows& ours, const PixelRows& reference, int32_t width, int32_t height,
                                   int tolerance = 0) {
  if (ours.first == nullptr || reference.first == nullptr) return "no pixels to compare";
  int64_t differing = 0;
  std::string first;
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* a = ours.first + y * ours.rowBytes;
    const uint8_t* b = reference.first + y * reference.rowBytes;
    for (int32_t x = 0; x < width; ++x, a += ours.bytesPerPixel, b += reference.bytesPerPixel) {
      if (std::abs(a[0] - b[0]) <= tolerance && std::abs(a[1] - b[1]) <= tolerance &&
          std::abs(a[2] - b[2]) <= tolerance) {
        continue;
      }
      if (differing++ == 0) {
        auto bgr = [](const uint8_t* p) {
          return std::to_string(p[0]) + "," + std::to_string(p[1]) + "," + std::to_string(p[2]);
        };
        first = "(" + std::to_string(x) + ", " + std::to_string(y) + ") ours " + bgr(a) + ", the reference's " +
                bgr(b) + " (blue, green, red)";
      }
    }
  }
  if (differing == 0) return "";
  return std::to_string(differing) + " pixels differ" + (tolerance > 0 ? " by more than " + std::to_string(tolerance) : "") +
         "; the first at " + first;
}

}  // namespace bench
