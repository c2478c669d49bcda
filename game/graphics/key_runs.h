// The run table of a keyed bitmap: for each row, the spans of pixels that a keyed draw copies (the pixels that are
// not transparent under the key), with a packed copy of those pixels. Drawing a keyed bitmap through its table
// copies the spans from the packed pixels, read in order, and never reads the transparent ones; the pixels drawn
// are exactly those of the keyed draw row by row.
//
// A table is a cache: it belongs to a bitmap that asked to keep one (Bitmap::KeepRunTable, which pictures of the
// picture cache do), is made when the bitmap is next drawn keyed, and is dropped whenever the bitmap's pixels,
// size, format or memory change (Bitmap::PixelsChanged, called by the blitter's operations and by Bitmap's own).
// Only 3- and 4-byte bitmaps drawn onto pixels of their own size use one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class Bitmap;

class KeyRuns {
 public:
  struct Span {
    int32_t start;   // first column
    int32_t length;  // pixels
  };

  // The table of the bitmap's pixels as they are now; the bitmap must be a 3- or 4-byte bitmap with pixels.
  static KeyRuns Build(const Bitmap& bitmap);

  // Whether the table was made from the bitmap's pixels as they are laid out now (same memory, size and format).
  bool Describes(const Bitmap& bitmap) const;

  // The spans of row y, in order.
  const Span* RowBegin(int32_t y) const { return spans_.data() + rowStarts_[static_cast<size_t>(y)]; }
  const Span* RowEnd(int32_t y) const { return spans_.data() + rowStarts_[static_cast<size_t>(y) + 1]; }
  // The packed pixels of row y's spans, one span after the other.
  const uint8_t* RowPixels(int32_t y) const { return packed_.data() + rowPacked_[static_cast<size_t>(y)]; }

 private:
  const uint8_t* pixels_ = nullptr;
  int32_t width_ = 0;
  int32_t height_ = 0;
  int32_t rowBytes_ = 0;
  int32_t format_ = 0;
  std::vector<uint32_t> rowStarts_;  // height + 1 entries
  std::vector<size_t> rowPacked_;    // height entries
  std::vector<Span> spans_;
  std::vector<uint8_t> packed_;
};
