// Copy bits: transfers a rectangle of pixels from a source world to a rectangle of a destination world by the
// framework's own pixel loops, converting formats, stretching or shrinking, and combining source and destination
// by a transfer kind, optionally through a mask world. Everything is decided once per call (clipping, scaling
// terms, the destination-alpha rule, the row routine); the pixels are left to one routine of RowRoutineTable.
#pragma once

#include <cstdint>

#include "platform/core/platform_error.h"
#include "platform/graphics/rect.h"
#include "platform/graphics/row_transfer.h"
#include "platform/graphics/transfer_mode.h"

struct PlatformWorld;
struct PixelMap;

// A null rectangle means the bounds of its world. The mask world is an 8-bit mask map over the source: mask pixel
// (x, y) belongs to source pixel (x, y), both counted from the source bounds' top-left corner. With the alpha flag
// set and a mask world given, the destination's alpha receives the blend weight.
//
// Refused with -7002: a missing world or pixel map, a mask world that is not a mask map or is smaller than the
// source, a mask kind (1 or 4) without a mask world. A kind that is not defined gives -7003. Empty rectangles and
// level 0 draw nothing and succeed.
PlatformError PlatformCopyBits(PlatformWorld* destination, const Rect* destinationRect, uint8_t alphaFlag,
                               PlatformWorld* source, PlatformWorld* maskWorld, const TransferMode* mode,
                               const Rect* sourceRect);

// The first half of a transfer, shared with pattern fill: the kind after resolving the mode (0 for a level of 0
// means "draw nothing"), and the destination-alpha rule.
struct ResolvedTransfer {
  int32_t kind;
  DestAlphaRule rule;
  uint32_t level;
  bool drawsNothing;  // a level of 0
};

// Resolves kind and rule and checks the mask world against the source map. Without a mode the kind is 1 with a
// mask world and 0 without; levels 0 draw nothing; level 255 turns kind 3 into 0 and kind 4 into 1.
PlatformError ResolveTransfer(const PixelMap* destination, const PixelMap* source, PlatformWorld* maskWorld,
                              const TransferMode* mode, uint8_t alphaFlag, ResolvedTransfer* out);

// The value handed to a row routine: the level for kinds 3 and 4; for kind 5 the key's index byte for an 8-bit
// source, else the four value bytes as one little-endian word; else 0.
uint32_t RowRoutineValue(const ResolvedTransfer& transfer, const TransferMode* mode, const PixelMap* source);

// Locks the destination by itself, then the source with its mask world; on failure nothing stays locked.
PlatformError BeginTransfer(PlatformWorld* destination, PlatformWorld* source, PlatformWorld* maskWorld);
void EndTransfer(PlatformWorld* destination, PlatformWorld* source, PlatformWorld* maskWorld);

// Kind-0 copy index: 1 under the coverage rule, the same-format index when both maps share format key and depth,
// else 0 (convert).
int CopyRoutineIndex(const PixelMap* destination, const PixelMap* source, DestAlphaRule rule);
