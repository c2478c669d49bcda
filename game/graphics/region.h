// Region: a GDI region with a cached empty flag, the shape of the game view's dirty areas and clip masks.
//
// Every operation that combines or moves a region turns its GDI result into the empty flag the same way:
// NULLREGION sets it, SIMPLEREGION and COMPLEXREGION clear it, ERROR leaves it as it was. Subtract and Intersect
// change their argument and leave this region alone; the other operations change this region.
#pragma once

#include "game/graphics/bounds.h"
#include "host/types.h"
#include "platform/graphics/rect.h"

class Bitmap;

class Region {
 public:
  // An empty region. A region whose GDI object cannot be made has a null handle: every operation on it gives
  // ERROR (or an empty box) and changes nothing.
  Region();
  explicit Region(const Bounds& box);
  ~Region();
  Region(const Region&) = delete;
  Region& operator=(const Region&) = delete;

  HRGN Handle() const { return handle_; }
  bool IsEmpty() const { return empty_; }

  // The bounding box ({0, 0, 0, 0} for an empty region); the GDI kind of the region (SIMPLEREGION when it is that
  // one rectangle), or ERROR.
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
  int Offset(Point delta);
  int OffsetNegative(Point delta);
  // The box becomes the bounding box of its intersection with this region ({0, 0, 0, 0} when they do not meet
  // or GDI fails).
  void ClipRect(Bounds& box) const;
  bool IntersectsRect(const Bounds& box) const;

  // Brings the empty flag up to date after the handle was changed directly.
  void Refresh();

 private:
  // Applies the empty-flag rule to a GDI result and hands the result back.
  int Track(int result);

  HRGN handle_ = nullptr;
  bool empty_ = true;
};

// The transparent and opaque parts of a bitmap added to two regions, as MaskToRegion does on GDI regions, with
// both empty flags brought up to date.
bool MaskToRegion(Region& transparent, Region& opaque, const Bitmap& bitmap);
