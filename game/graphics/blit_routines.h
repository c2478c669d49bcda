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

// The instruction sets the hot row routines are written for: the plain routines (the reference, and what other
// processors run), SSE2 (every x86-64 processor) and AVX2 (chosen when the processor has it).
enum class BlitIsa { kPlain, kSse2, kAvx2 };
// The best set this processor runs; decided once.
BlitIsa BestBlitIsa();
// Whether this processor runs the set.
bool BlitIsaAvailable(BlitIsa isa);

// The hot rows of the draw and conversion tables, one set per instruction set; every member gives exactly the
// pixels of its plain routine. Source and destination rows must not overlap.
struct HotRows {
  ConvertRoutine alphaOnto3;  // 4-byte alpha source onto 3-byte pixels
  ConvertRoutine alphaOnto4;  // 4-byte alpha source onto 4-byte pixels
  ConvertRoutine key3;        // 3-byte keyed source onto 3-byte pixels
  ConvertRoutine key4;        // 4-byte keyed source onto 4-byte pixels
  ConvertRoutine convert3to4;
  ConvertRoutine convert4to3;
};
const HotRows& HotRowsFor(BlitIsa isa);
// The vector sets (blit_vector_rows.cpp); null for the plain set or a set this build has no routines for.
const HotRows* VectorHotRows(BlitIsa isa);

// Builds the blitter's tables with the routines of the set (InitBlitter uses BestBlitIsa).
void InitBlitterWith(BlitIsa isa);
// Fills the tables with the routines of the set (BestBlitIsa when not given).
void FillBlitRoutineTables(BlitTables& tables);
void FillBlitRoutineTables(BlitTables& tables, BlitIsa isa);
