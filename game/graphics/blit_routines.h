// The blitter's routine tables and the product tables its routines read, shared by blitter.cpp (which owns and
// indexes them) and blit_routines.cpp (which holds the routines and fills the tables).
//
// Every routine works on raw pixel rows: first-pixel addresses and row byte counts, already clipped by the
// entry points of blitter.h. Routines keep no state between calls.
#pragma once

#include <cstdint>

#include "game/graphics/bounds.h"

class Bitmap;

// Computed once: blend products and the widening of the 5- and 6-bit fields of 2-byte pixels.
struct BlitProducts {
  uint8_t alpha[256 * 256];  // row a, column x: floor(a x x / 255)
  uint8_t expand5[32];       // floor(i x 255 / 31)
  uint8_t expand6[64];       // floor(i x 255 / 63)

  const uint8_t* AlphaRow(int32_t level) const { return alpha + (level & 0xFF) * 256; }
};

// The product tables; valid while the blitter's tables exist.
const BlitProducts& Products();

// Walks the bits of a mask from one position: least significant bit first, the next byte after bit 7, and the
// next row of the mask after each row of pixels.
struct MaskCursor {
  uint8_t* rowStart = nullptr;  // byte of the first bit of the current row
  int32_t startBit = 0;         // 0 to 7
  int64_t rowBytes = 0;
};

using DrawRoutine = void (*)(Bitmap& destination, Point point, const Bitmap& source, Bounds rect);
using ConvertRoutine = void (*)(uint8_t* destination, const uint8_t* source, int64_t destinationRowBytes,
                                int64_t sourceRowBytes, int32_t width, int32_t height);
using FillRoutine = void (*)(uint8_t* first, uint32_t color, int64_t rowBytes, int32_t width, int32_t height);
using ShadeRoutine = void (*)(uint8_t* first, int32_t level, int64_t rowBytes, int32_t width, int32_t height);
using EllipseRoutine = void (*)(Bitmap& bitmap, Bounds rect, uint32_t color, int32_t radiusXLess1,
                                int32_t radiusYLess1, bool thick);
using LinePixelRoutine = void (*)(uint8_t* pixel, uint32_t color);
using GetPixelRoutine = uint32_t (*)(const uint8_t* pixel);
using MaskFromColourRoutine = void (*)(MaskCursor mask, uint32_t color, const uint8_t* first, int64_t rowBytes,
                                       int32_t width, int32_t height);
using ApplyMaskRoutine = void (*)(uint8_t* first, int64_t rowBytes, MaskCursor mask, int32_t width,
                                  int32_t height);

// Index rules: DrawTable by ((destination format & 15) << 6) | (source format & 63); ConvertTable by
// ((destination bytes per pixel) << 6) | source code; the others by format & 7. Entries without a routine of
// their own hold one that does nothing.
struct BlitTables {
  DrawRoutine drawTable[1024];
  ConvertRoutine convertTable[1024];
  FillRoutine fillTable[8];
  ShadeRoutine shadeTable[8];
  ShadeRoutine scaleAlphaTable[8];
  EllipseRoutine ellipseTable[8];
  LinePixelRoutine linePixelTable[8];
  GetPixelRoutine getPixelTable[8];
  MaskFromColourRoutine maskFromColourTable[8];
  ApplyMaskRoutine applyMaskTable[8];
};

// The drawing kind a source format selects.
enum class DrawKind { kPlain, kKey, kAlpha };
DrawKind DrawKindFor(int32_t sourceFormat);

void FillBlitRoutineTables(BlitTables& tables);
