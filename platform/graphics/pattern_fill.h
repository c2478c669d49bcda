// Pattern fill: covers a rectangle of a destination world with copies of a whole pattern world laid side by side,
// in any transfer kind of copy bits and optionally through a mask world over the pattern. The pattern is never
// scaled; where it starts is set by a phase point.
#pragma once

#include <cstdint>

#include "platform/core/platform_error.h"
#include "platform/graphics/rect.h"
#include "platform/graphics/transfer_mode.h"

struct PlatformWorld;

// A null rect means the destination's bounds, a null phase (0, 0). The pattern's top-left pixel lands on every
// destination pixel (phase.x + i x width, phase.y + j x height), whatever the rectangle, so adjacent fills meet
// without seams. Refusals as in PlatformCopyBits.
PlatformError PlatformPatternFill(PlatformWorld* destination, const Rect* rect, const Point* phase, uint8_t alphaFlag,
                                  PlatformWorld* pattern, PlatformWorld* maskWorld, const TransferMode* mode);

// The pattern row (or column) under destination coordinate v: (v - phase) modulo size, never negative.
int32_t PatternPhase(int64_t v, int64_t phase, int64_t size);
