// The scenario writer's pictures: an RGB canvas that the writer's programs draw on, stored as an uncompressed
// 24-bit BMP file (little-endian fields, bottom-up rows padded to 4 bytes), which the game's picture import
// reads.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/scenario_writer/scenario_files.h"

namespace scenario_writer {

struct Rgb {
  uint8_t red = 0, green = 0, blue = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

class Canvas {
 public:
  Canvas(int32_t width, int32_t height, Rgb fill = {});
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  Rgb At(int32_t x, int32_t y) const;
  void Set(int32_t x, int32_t y, Rgb colour);  // outside the canvas: nothing
  void FillRect(int32_t x, int32_t y, int32_t width, int32_t height, Rgb colour);
  void FillCircle(int32_t cx, int32_t cy, int32_t radius, Rgb colour);
  // A triangle standing on its base row: apex (x, top), base from left to right on row bottom.
  void FillPeak(int32_t apexX, int32_t top, int32_t left, int32_t right, int32_t bottom, Rgb colour);
  // Rows from top to bottom blending from one colour to the other.
  void VerticalGradient(int32_t top, int32_t bottom, Rgb from, Rgb to);

 private:
  int32_t width_, height_;
  std::vector<Rgb> pixels_;
};

Bytes EncodeBmp24(const Canvas& canvas);

}  // namespace scenario_writer
