// Test helpers for bitmaps: raw pixel values read and written by pixel size, and bitmaps filled with one value.
//
// A raw value is the pixel's bytes as a little-endian number: 0xAARRGGBB for 4 bytes, 0xRRGGBB for 3 bytes and
// the 5-6-5 value for 2 bytes.
#pragma once

#include <cstdint>
#include <memory>

#include "game/graphics/bitmap.h"

namespace test_support {

inline uint32_t RawPixel(const Bitmap& bitmap, int32_t x, int32_t y) {
  const uint8_t* p = bitmap.PixelAt(x, y);
  uint32_t value = 0;
  for (int32_t i = 0; i < bitmap.BytesPerPixel(); ++i) value |= uint32_t{p[i]} << (8 * i);
  return value;
}

inline void SetRawPixel(Bitmap& bitmap, int32_t x, int32_t y, uint32_t value) {
  uint8_t* p = bitmap.PixelAt(x, y);
  for (int32_t i = 0; i < bitmap.BytesPerPixel(); ++i) p[i] = static_cast<uint8_t>(value >> (8 * i));
}

inline std::unique_ptr<Bitmap> FilledBitmap(int32_t width, int32_t height, int32_t format, uint32_t value) {
  auto bitmap = std::make_unique<Bitmap>();
  bitmap->Create(width, height, format);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) SetRawPixel(*bitmap, x, y, value);
  }
  return bitmap;
}

// A deterministic value for each pixel position, different for neighbours, so that moved pixels can be traced.
inline uint32_t PatternValue(int32_t x, int32_t y, int32_t bytes) {
  uint32_t v = static_cast<uint32_t>(x * 2654435761u) ^ static_cast<uint32_t>(y * 40503u + 0x9E3779B9u);
  v ^= v >> 13;
  return bytes == 4 ? v : v & ((1u << (8 * bytes)) - 1);
}

inline std::unique_ptr<Bitmap> PatternBitmap(int32_t width, int32_t height, int32_t format) {
  auto bitmap = std::make_unique<Bitmap>();
  bitmap->Create(width, height, format);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) SetRawPixel(*bitmap, x, y, PatternValue(x, y, bitmap->BytesPerPixel()));
  }
  return bitmap;
}

// Sets the picture import's option word for one test and puts the previous value back.
class ImportOptionsGuard {
 public:
  explicit ImportOptionsGuard(int32_t value) : saved_(ImageImportOptions) { ImageImportOptions = value; }
  ~ImportOptionsGuard() { ImageImportOptions = saved_; }

 private:
  int32_t saved_;
};

}  // namespace test_support
