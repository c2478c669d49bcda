// The scenario writer's pictures: an RGB canvas that the writer's programs draw on, stored as a BMP file
// (little-endian fields, bottom-up rows padded to 4 bytes) or an 8-bit picture file, in the layouts common
// writers use, which the game's picture import reads.
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

// Uncompressed 24 bits a pixel.
Bytes EncodeBmp24(const Canvas& canvas);
// Bit fields (compression 3) with a 40-byte information header and the three colour masks right behind it:
// 16 bits a pixel as 5-6-5, and 32 bits a pixel as 8-8-8 with an alpha byte of 255.
Bytes EncodeBmp16(const Canvas& canvas);
Bytes EncodeBmp32(const Canvas& canvas);
// An 8-bit picture file (version 2, with the 512-byte file header) holding one packed indexed image of the
// canvas with its own colour table, entry i being table[i]; every colour of the canvas must be in the table.
Bytes EncodePict8(const Canvas& canvas, const std::vector<Rgb>& table);

}  // namespace scenario_writer
