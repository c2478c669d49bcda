// Regions of the drawing layer: sets of pixels kept as y-x banded rectangle lists.
//
// The rectangles are sorted by top, then left; rectangles of one band share their top and bottom, do not overlap
// and do not touch; two bands that meet and hold the same spans are merged into one. This canonical form makes the
// rectangle list (what GetRegionData hands out) depend only on the set of pixels, not on how it was built.
#pragma once

#include <cstddef>
#include <vector>

#include "host/gdi.h"

namespace host::gdi {

class Region {
 public:
  Region() = default;
  // A rectangle region; the corners are put in order first, and a rectangle without area gives the empty region.
  explicit Region(LONG left, LONG top, LONG right, LONG bottom);

  // The union of any number of rectangles in any order (empty ones are ignored).
  static Region FromRects(const RECT* rects, size_t count);
  // The result of RGN_AND, RGN_OR, RGN_XOR or RGN_DIFF (RGN_COPY gives `a`).
  static Region Combine(const Region& a, const Region& b, int mode);

  // NULLREGION, SIMPLEREGION or COMPLEXREGION.
  int Type() const;
  bool IsEmpty() const { return rects_.empty(); }
  // The bounding box; {0, 0, 0, 0} for the empty region.
  RECT Box() const { return box_; }
  const std::vector<RECT>& Rects() const { return rects_; }
  bool Contains(LONG x, LONG y) const;

  // Moves every rectangle; false (and no change) when a coordinate would leave the 32-bit range.
  bool Offset(LONG dx, LONG dy);

 private:
  void ComputeBox();
  std::vector<RECT> rects_;
  RECT box_{0, 0, 0, 0};
};

}  // namespace host::gdi
