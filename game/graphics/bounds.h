// The game's rectangle {x, y, width, height}, the value type every drawing operation takes beside the
// framework's Point.
//
// Only the fields live here so far; the rectangle arithmetic of regions joins them in this header.
#pragma once

#include <cstdint>

#include "platform/graphics/rect.h"

struct Bounds {
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;

  friend bool operator==(const Bounds&, const Bounds&) = default;
};
