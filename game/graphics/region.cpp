// Region: thin layers over the host's CombineRgn, OffsetRgn, GetRgnBox and rectangle regions.
#include "game/graphics/region.h"

#include <cstdint>

#include "game/graphics/bit_mask.h"
#include "host/gdi.h"

namespace {

// A region of the box, or an empty one when the box has no area (GDI would turn an inverted box around).
HRGN NewBoxRegion(const Bounds& box) {
  if (box.width <= 0 || box.height <= 0) return CreateRectRgn(0, 0, 0, 0);
  const RECT rect = box.ToRect();
  return CreateRectRgnIndirect(&rect);
}

}  // namespace

Region::Region() : handle_(CreateRectRgn(0, 0, 0, 0)) {}

Region::Region(const Bounds& box) : handle_(NewBoxRegion(box)), empty_(box.width <= 0 || box.height <= 0) {}

Region::~Region() {
  if (handle_ != nullptr) DeleteObject(handle_);
}

int Region::Track(int result) {
  if (result == NULLREGION) {
    empty_ = true;
  } else if (result == SIMPLEREGION || result == COMPLEXREGION) {
    empty_ = false;
  }
  return result;
}

int Region::GetBounds(Bounds& out) const {
  RECT box{0, 0, 0, 0};
  const int kind = handle_ != nullptr ? GetRgnBox(handle_, &box) : ERROR;
  if (kind == ERROR) box = RECT{0, 0, 0, 0};
  out = Bounds::FromRect(box);
  return kind;
}

int Region::Union(const Region& other) {
  if (handle_ == nullptr || other.handle_ == nullptr) return ERROR;
  return Track(CombineRgn(handle_, handle_, other.handle_, RGN_OR));
}

int Region::Subtract(Region& target) const {
  if (handle_ == nullptr || target.handle_ == nullptr) return ERROR;
  return target.Track(CombineRgn(target.handle_, target.handle_, handle_, RGN_DIFF));
}

int Region::Intersect(Region& target) const {
  if (handle_ == nullptr || target.handle_ == nullptr) return ERROR;
  return target.Track(CombineRgn(target.handle_, target.handle_, handle_, RGN_AND));
}

int Region::Assign(const Region& other) {
  if (handle_ == nullptr || other.handle_ == nullptr) return ERROR;
  return Track(CombineRgn(handle_, other.handle_, nullptr, RGN_COPY));
}

void Region::UnionRect(const Bounds& box) {
  if (handle_ == nullptr) return;
  HRGN rect = NewBoxRegion(box);
  if (rect == nullptr) return;
  Track(CombineRgn(handle_, handle_, rect, RGN_OR));
  DeleteObject(rect);
}

void Region::SetRect(const Bounds& box) {
  HRGN replacement = NewBoxRegion(box);
  if (replacement == nullptr) return;  // the old shape stays rather than leaving no region at all
  if (handle_ != nullptr) DeleteObject(handle_);
  handle_ = replacement;
  empty_ = box.width <= 0 || box.height <= 0;
}

void Region::Clear() { SetRect(Bounds{}); }

int Region::Offset(Point delta) {
  if (handle_ == nullptr) return ERROR;
  return Track(OffsetRgn(handle_, delta.x, delta.y));
}

int Region::OffsetNegative(Point delta) {
  // Negating INT32_MIN would overflow; no region lies that far out, so the move is refused.
  if (delta.x == INT32_MIN || delta.y == INT32_MIN) return ERROR;
  return Offset(Point{-delta.x, -delta.y});
}

void Region::ClipRect(Bounds& box) const {
  Bounds result{};
  HRGN clip = handle_ != nullptr ? NewBoxRegion(box) : nullptr;
  if (clip != nullptr) {
    if (CombineRgn(clip, clip, handle_, RGN_AND) != ERROR) {
      RECT rect{0, 0, 0, 0};
      if (GetRgnBox(clip, &rect) != ERROR) result = Bounds::FromRect(rect);
    }
    DeleteObject(clip);
  }
  box = result;
}

bool Region::IntersectsRect(const Bounds& box) const {
  if (handle_ == nullptr) return false;
  HRGN clip = NewBoxRegion(box);
  if (clip == nullptr) return false;
  const int result = CombineRgn(clip, clip, handle_, RGN_AND);
  DeleteObject(clip);
  return result != NULLREGION && result != ERROR;
}

void Region::Refresh() {
  if (handle_ == nullptr) return;
  RECT box{0, 0, 0, 0};
  Track(GetRgnBox(handle_, &box));
}

bool MaskToRegion(Region& transparent, Region& opaque, const Bitmap& bitmap) {
  const bool built = MaskToRegion(transparent.Handle(), opaque.Handle(), bitmap);
  transparent.Refresh();
  opaque.Refresh();
  return built;
}
