// Region: a set of pixels with a cached empty flag, the shape of the game view's dirty areas and clip masks.
//
// The shape is kept as GDI keeps a region: y-x banded rectangles, sorted by top, then left; the rectangles of one
// band share their top and bottom and neither overlap nor touch, and two bands that meet with the same spans are
// one. Every result therefore is the one the same operation on GDI regions gives (the kind NULLREGION,
// SIMPLEREGION or COMPLEXREGION, the bounding box, the rectangles), but the region works on its rectangles itself:
// no GDI object, lock or heap block per operation, which the view's many small dirty areas made the cost of a
// frame. A GDI region of the same shape is made when a GDI call needs one (Handle).
//
// Every operation that combines or moves a region turns its result into the empty flag the same way: NULLREGION
// sets it, SIMPLEREGION and COMPLEXREGION clear it, ERROR leaves it as it was. Subtract and Intersect change their
// argument and leave this region alone; the other operations change this region.
#pragma once

#include <cstddef>
#include <vector>

#include "game/graphics/bounds.h"
#include "host/types.h"
#include "platform/graphics/rect.h"

class Bitmap;

class Region {
 public:
  // An empty region.
  Region();
  explicit Region(const Bounds& box);
  ~Region();
  Region(const Region&) = delete;
  Region& operator=(const Region&) = delete;

  // A GDI region of this shape (null when none can be made). Once handed out it stays this region's: the region
  // keeps it up to date and takes in what GDI calls make of it, so a caller may change the shape through it (and
  // bring the empty flag up to date with Refresh).
  HRGN Handle() const;
  bool IsEmpty() const { return empty_; }

  // The bounding box ({0, 0, 0, 0} for an empty region); the kind of the region (SIMPLEREGION when it is that one
  // rectangle).
  int GetBounds(Bounds& out) const;
  // this = this OR other.
  int Union(const Region& other);
  // target = target minus this region.
  int Subtract(Region& target) const;
  // target = target AND this region.
  int Intersect(Region& target) const;
  // this = a copy of other.
  int Assign(const Region& other);
  // this = this OR the box.
  void UnionRect(const Bounds& box);
  // this = the box alone; a box without area (width or height 0 or less) gives an empty region.
  void SetRect(const Bounds& box);
  // Empties the region.
  void Clear();
  // Moves the region; ERROR (and no move) when a coordinate would leave the 32-bit range.
  int Offset(Point delta);
  int OffsetNegative(Point delta);
  // The box becomes the bounding box of its intersection with this region ({0, 0, 0, 0} when they do not meet).
  void ClipRect(Bounds& box) const;
  bool IntersectsRect(const Bounds& box) const;

  // Brings the empty flag up to date after the handed-out handle was changed directly.
  void Refresh();

 private:
  // The shape: an empty or one-rectangle region lives in its box alone, so that neither needs a heap block.
  struct Shape {
    RECT box{0, 0, 0, 0};     // the bounding box; the one rectangle of a simple region
    size_t count = 0;         // rectangles in the shape
    std::vector<RECT> rects;  // the rectangles of a shape of two or more
    const RECT* Data() const { return count == 1 ? &box : rects.data(); }
    int Kind() const;
    void Set(const RECT* data, size_t n);
  };

  // Applies the empty-flag rule to a result and hands the result back.
  int Track(int result);
  // The shape, read back from the handed-out handle first.
  const Shape& Current() const;
  // Stores a new shape (and passes it on to a handed-out handle); the shape's kind, tracked.
  int Store(const RECT* data, size_t n);
  int Stored();
  // Copies the shape into the handle.
  void WriteHandle() const;

  // Mutable: a handed-out handle may be changed by GDI calls, and the shape is read back from it before each use.
  mutable Shape shape_;
  mutable HRGN handle_ = nullptr;
  mutable bool lent_ = false;  // the handle has been handed out
  bool empty_ = true;
};

// The transparent and opaque parts of a bitmap added to two regions, as MaskToRegion does on GDI regions, with
// both empty flags brought up to date.
bool MaskToRegion(Region& transparent, Region& opaque, const Bitmap& bitmap);
