// Row-transfer routines: the per-pixel work of copy bits and pattern fill. One routine serves one transfer kind,
// one way of stepping through the source (unscaled, scaled or tiled) and one destination-alpha rule or, for plain
// copies, one stored pixel size; callers choose it once per call from RowRoutineTable so that the inner loops never
// test the mode. The routines are instances of templates in row_transfer.cpp.
#pragma once

#include <array>
#include <cstdint>

#include "platform/graphics/color.h"

struct PixelMap;

// Transfer kinds (the kind of a TransferMode).
enum TransferKind : int32_t {
  kTransferCopy = 0,
  kTransferBlendMask = 1,
  kTransferBlendAlpha = 2,
  kTransferBlendLevel = 3,
  kTransferBlendMaskLevel = 4,
  kTransferColorKey = 5,
};

// What the destination's alpha channel receives.
enum DestAlphaRule : int32_t {
  kAlphaFull = 0,      // its maximum
  kAlphaKept = 1,      // the destination pixel's own alpha
  kAlphaCoverage = 2,  // the blend weight of the pixel
};

// Arguments common to all routines; the scaled and tiled members are read only by routines of that stepping.
struct RowTransferArgs {
  const PixelMap* destination;
  const PixelMap* source;
  const PixelMap* mask;  // null without a mask world
  uint8_t* destinationStart;
  const uint8_t* sourceStart;
  const uint8_t* maskStart;  // null without a mask world
  int32_t rows;
  int32_t columns;
  // Scaled stepping: error starts and the destination and source extents.
  // Kept in 64 bits so that the accumulators cannot wrap whatever the extents.
  uint64_t verticalError;
  uint64_t horizontalError;
  uint64_t destinationHeight;
  uint64_t destinationWidth;
  uint64_t sourceHeight;
  uint64_t sourceWidth;
  // Tiled stepping: where in the pattern the first row and column start, and the pattern size.
  int32_t firstPatternRow;
  int32_t firstPatternColumn;
  int32_t patternHeight;
  int32_t patternWidth;
  // Colour tables and the mode's value.
  const ColorRecord* destinationPalette;  // destinations of 1 byte per pixel
  const uint8_t* destinationInverseTable;
  const ColorRecord* sourcePalette;  // sources of 1 byte per pixel
  uint32_t value;                    // level byte for kinds 3 and 4, key for kind 5, else 0
};

using RowRoutine = void (*)(const RowTransferArgs& args);

constexpr int kRowRoutineCount = 66;

// Slots: 0 conversion with full alpha, 1 conversion under the coverage rule, 2-6 same-format copies of 8, 15, 16,
// 24 and 32 bits (7-13 tiled, 14-20 scaled); then for kinds 1 to 5 runs of three (full, kept, coverage):
// unscaled at 21 + 6 x (kind - 1), scaled at 24 + 6 x (kind - 1), tiled at 51 + 3 x (kind - 1).
extern const std::array<RowRoutine, kRowRoutineCount> RowRoutineTable;
// The same table with every copy made pixel by pixel: the reference the row forms of RowRoutineTable's copies
// (whole rows, look-up tables for 8-bit sources, vector widening of 2-byte sources) give the same bytes as.
extern const std::array<RowRoutine, kRowRoutineCount> PlainRowRoutineTable;

constexpr int kRowSlotTiledCopy = 7;
constexpr int kRowSlotScaledCopy = 14;
constexpr int kRowSlotUnscaledBlend = 21;
constexpr int kRowSlotScaledBlend = 24;
constexpr int kRowSlotTiledBlend = 51;

// The copy index (slot within a run of seven) of a same-format copy by bits per pixel: 8 -> 2, 15 -> 3, 16 -> 4,
// 24 -> 5, 32 -> 6, anything else 0 (convert).
int SameFormatCopyIndex(uint32_t bitsPerPixel);
