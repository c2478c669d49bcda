// The game's rectangle {x, y, width, height} and point, the value types every drawing operation takes.
//
// Only the fields live here so far; the rectangle arithmetic of regions joins them in this header.
#pragma once

#include <cstdint>

struct Bounds {
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;

  friend bool operator==(const Bounds&, const Bounds&) = default;
};

struct Point {
  int32_t x = 0;
  int32_t y = 0;

  friend bool operator==(const Point&, const Point&) = default;
};
