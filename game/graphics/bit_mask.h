// BitMask: a picture of one bit per pixel (explored areas of maps, the opaque shape of a picture, masks scaled
// from other masks), and the split of a mask into rectangles, from which the opaque and transparent regions of a
// picture are built for the clipping of the game view.
//
// Bit (px, py), counted from the mask's origin, is bit px mod 8 (least significant first) of byte
// py x rowBytes + px / 8; rows are width / 8 bytes rounded up. A mask whose memory cannot be had is empty
// (0 x 0) and every operation on it does nothing.
#pragma once

#include <cstdint>
#include <functional>

#include "game/graphics/blitter.h"
#include "game/graphics/bounds.h"
#include "game/graphics/pixel_block.h"
#include "host/types.h"

class Bitmap;

class BitMask {
 public:
  // All bits set (fill true) or all clear.
  BitMask(int32_t width, int32_t height, bool fill);
  // Bits from a memory block: adopted (the handle is left empty) or copied. A block smaller than the mask is
  // copied as far as it goes and the rest is clear.
  BitMask(int32_t width, int32_t height, MemHandle& bits, bool adopt);
  // A clear mask of the new size into which the whole source is scaled.
  BitMask(int32_t width, int32_t height, const BitMask& source);
  // A bit for each pixel of the bitmap: set where the pixel differs from the colour, clear where it equals it.
  BitMask(const Bitmap& bitmap, DrawColor color);
  ~BitMask() = default;
  BitMask(const BitMask&) = delete;
  BitMask& operator=(const BitMask&) = delete;

  uint8_t* Lock();
  void Unlock();
  uint8_t* Data() const { return locked_ ? bits_.Data() : nullptr; }
  // The bits whether locked or not, for the blitter's mask routines.
  uint8_t* BitData() const { return bits_.Data(); }

  int32_t Width() const { return bounds_.width; }
  int32_t Height() const { return bounds_.height; }
  int32_t RowBytes() const { return rowBytes_; }
  int64_t DataSize() const { return int64_t{rowBytes_} * bounds_.height; }
  const ::Bounds& Bounds() const { return bounds_; }
  // The box of the set bits as last computed, relative to the origin (the whole mask until then).
  const ::Bounds& UsedBounds() const { return usedBounds_; }
  void SetOrigin(int32_t x, int32_t y);

  bool GetBit(int32_t px, int32_t py) const;
  void SetBit(int32_t px, int32_t py, bool set);
  // Flips every bit of width x height.
  void Invert();
  // The used bounds become the box of the set bits when it spans more than one column and more than one row; set
  // bits in one row or one column keep the previous used bounds; no set bit gives {w, h, 1 - w, 1 - h}.
  void ComputeUsedBounds();
  // Whether the bit at (x, y), in the coordinates of the mask's origin, is set; false outside the used bounds
  // (both edges count as inside) and outside the mask.
  bool TestPixel(int32_t x, int32_t y) const;

 private:
  bool Allocate(int32_t width, int32_t height, bool fill);

  PixelBlock bits_;
  bool locked_ = false;
  int32_t rowBytes_ = 0;
  ::Bounds bounds_;
  ::Bounds usedBounds_;
};

// Classification of a rectangle of a mask (taken relative to the mask's origin).
constexpr int32_t kMaskRectAllSet = 1;
constexpr int32_t kMaskRectNoneSet = 2;   // also a rectangle without area
constexpr int32_t kMaskRectMixed = 3;
int32_t ClassifyMaskRect(Bounds rect, const BitMask& mask);

// Receives the rectangles of a split.
using MaskRectSink = std::function<void(const Bounds&)>;

// Splits a rectangle into quadrants (the odd column and row going to the right and bottom ones), handing every
// quadrant whose bits are all set to the sink and splitting mixed ones again.
void SplitMaskRect(const MaskRectSink& sink, Bounds rect, const BitMask& mask);

// The rectangles covering the set bits of a whole mask (the whole mask when all are set).
void MaskToRectangles(const MaskRectSink& sink, const BitMask& mask);

// The opaque and the transparent parts of a bitmap as rectangles: an unkeyed bitmap without alpha is opaque
// as a whole; otherwise a pixel is transparent when all four of its colour bytes are FF (as the mask-from-colour
// rule compares them for its pixel size).
void BitmapToMaskRectangles(const MaskRectSink& transparent, const MaskRectSink& opaque, const Bitmap& bitmap);

// The transparent and the opaque parts of a bitmap as host regions. An unkeyed bitmap without alpha empties the
// transparent region and makes the opaque one the whole bitmap; otherwise the rectangles of both parts are
// added to the regions as they stand (callers empty them first). False when a region could not be built.
bool MaskToRegion(HRGN transparent, HRGN opaque, const Bitmap& bitmap);
