// Pattern fill: covers a rectangle of a destination world with copies of a whole pattern world laid side by side,
// in any transfer kind of copy bits and optionally through a mask world over the pattern. The pattern is never
// scaled; where it starts is set by a phase point.
#pragma once

#include <cstdint>

#include "platform/core/platform_error.h"
#include "platform/graphics/rect.h"
#include "platform/graphics/transfer_mode.h"

struct PlatformWorld;

// A null rect means the destination's bounds, a null phase (0, 0). The rectangle, clipped to the destination,
// starts with the pattern row and column FirstPatternIndex gives for its top-left corner. Refusals as in
// PlatformCopyBits.
PlatformError PlatformPatternFill(PlatformWorld* destination, const Rect* rect, const Point* phase, uint8_t alphaFlag,
                                  PlatformWorld* pattern, PlatformWorld* maskWorld, const TransferMode* mode);

// The pattern row (or column) a fill starting at destination coordinate v begins with: t = v - phase, brought to
// 0 or more by whole sizes, and r = t modulo size; size - r, or 0 when r is 0. A fill starting 3 rows below the
// phase over a pattern 8 rows high thus begins with pattern row 5.
int32_t FirstPatternIndex(int64_t v, int64_t phase, int64_t size);
