// The game's rectangle {x, y, width, height}, the value type every drawing operation takes beside the
// framework's Point, with the union, clipping and containment tests of the game view.
//
// Only Union treats a box without area specially; the other operations work on the numbers as they stand and
// may leave negative sizes, which callers read as "nothing left".
#pragma once

#include <cstdint>

#include "host/types.h"
#include "platform/graphics/rect.h"

struct Bounds {
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;

  friend bool operator==(const Bounds&, const Bounds&) = default;

  bool IsEmpty() const { return width < 1 || height < 1; }

  // Grows this box to cover the other; an empty box (width or height below 1) becomes a copy of the other.
  void Union(const Bounds& other);
  // Cuts this box to its intersection with the other; without overlap a size becomes 0 or less.
  void Clip(const Bounds& other);
  // Clip against the other moved by (dx, dy).
  void ClipOffset(const Bounds& other, int32_t dx, int32_t dy);
  // Both edges count as inside: x <= px <= x + width, and the same for y.
  bool ContainsPoint(int32_t px, int32_t py) const;
  // The other lies wholly inside this box.
  bool Contains(const Bounds& other) const;
  // The two overlap; boxes that only touch do not.
  bool Intersects(const Bounds& other) const;

  // The GDI rectangle {x, y, x + width, y + height}, its edges kept within the 32-bit range.
  RECT ToRect() const;
  static Bounds FromRect(const RECT& rect);
};
