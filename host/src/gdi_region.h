// Regions of the drawing layer: sets of pixels kept as y-x banded rectangle lists, by pixman's regions (whose
// header stays in gdi_region.cpp).
//
// The rectangles are sorted by top, then left; rectangles of one band share their top and bottom, do not overlap
// and do not touch; two bands that meet and hold the same spans are merged into one. This canonical form makes the
// rectangle list (what GetRegionData hands out) depend only on the set of pixels, not on how it was built.
#pragma once

#include <cstddef>

#include "host/gdi.h"

struct pixman_region32;

namespace host::gdi {

class Region {
 public:
  // The rectangles of a region, in banded order, as RECTs.
  class Rectangles {
   public:
    class Iterator {
     public:
      explicit Iterator(const void* box) : box_(static_cast<const unsigned char*>(box)) {}
      RECT operator*() const;
      Iterator& operator++();
      bool operator!=(const Iterator& other) const { return box_ != other.box_; }

     private:
      const unsigned char* box_;
    };
    Rectangles(const void* first, size_t count) : first_(first), count_(count) {}
    Iterator begin() const { return Iterator(first_); }
    Iterator end() const;
    size_t size() const { return count_; }

   private:
    const void* first_;
    size_t count_;
  };

  Region();
  // A rectangle region; the corners are put in order first, and a rectangle without area gives the empty region.
  explicit Region(LONG left, LONG top, LONG right, LONG bottom);
  Region(const Region& other);
  Region(Region&& other) noexcept;
  Region& operator=(const Region& other);
  Region& operator=(Region&& other) noexcept;
  ~Region();

  // The union of any number of rectangles in any order (empty ones are ignored).
  static Region FromRects(const RECT* rects, size_t count);
  // The result of RGN_AND, RGN_OR, RGN_XOR or RGN_DIFF (RGN_COPY gives `a`).
  static Region Combine(const Region& a, const Region& b, int mode);

  // NULLREGION, SIMPLEREGION or COMPLEXREGION.
  int Type() const;
  bool IsEmpty() const;
  // The bounding box; {0, 0, 0, 0} for the empty region.
  RECT Box() const;
  Rectangles Rects() const;
  bool Contains(LONG x, LONG y) const;

  // Moves every rectangle; false (and no change) when a coordinate would leave the 32-bit range.
  bool Offset(LONG dx, LONG dy);

  // Room for pixman's region in place: its extents and a pointer to its rectangles.
  struct Storage {
    alignas(void*) unsigned char bytes[16 + sizeof(void*)];
  };

 private:
  ::pixman_region32* Get();
  const ::pixman_region32* Get() const;

  Storage region_;
};

}  // namespace host::gdi
