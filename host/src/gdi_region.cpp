// Banded regions over pixman's regions, and the region calls.
#include "gdi_region.h"

#include <pixman.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

#include "gdi_internal.h"

namespace host::gdi {

static_assert(sizeof(pixman_box32_t) == sizeof(RECT));

RECT Region::Rectangles::Iterator::operator*() const {
  const auto* box = reinterpret_cast<const pixman_box32_t*>(box_);
  return RECT{box->x1, box->y1, box->x2, box->y2};
}

Region::Rectangles::Iterator& Region::Rectangles::Iterator::operator++() {
  box_ += sizeof(pixman_box32_t);
  return *this;
}

Region::Rectangles::Iterator Region::Rectangles::end() const {
  return Iterator(static_cast<const pixman_box32_t*>(first_) + count_);
}

static_assert(sizeof(pixman_region32_t) <= sizeof(Region::Storage) &&
              alignof(pixman_region32_t) <= alignof(Region::Storage));

pixman_region32_t* Region::Get() { return reinterpret_cast<pixman_region32_t*>(region_.bytes); }
const pixman_region32_t* Region::Get() const { return reinterpret_cast<const pixman_region32_t*>(region_.bytes); }

Region::Region() { pixman_region32_init(Get()); }

Region::Region(LONG left, LONG top, LONG right, LONG bottom) {
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  if (left < right && top < bottom) {
    const pixman_box32_t box{left, top, right, bottom};
    pixman_region32_init_with_extents(Get(), &box);
  } else {
    pixman_region32_init(Get());
  }
}

Region::Region(const Region& other) {
  pixman_region32_init(Get());
  pixman_region32_copy(Get(), other.Get());
}

Region::Region(Region&& other) noexcept {
  pixman_region32_init(Get());
  std::swap(region_, other.region_);
}

Region& Region::operator=(const Region& other) {
  if (this != &other) pixman_region32_copy(Get(), other.Get());
  return *this;
}

Region& Region::operator=(Region&& other) noexcept {
  std::swap(region_, other.region_);
  return *this;
}

Region::~Region() { pixman_region32_fini(Get()); }

Region Region::FromRects(const RECT* rects, size_t count) {
  std::vector<pixman_box32_t> boxes;
  boxes.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    if (rects[i].left < rects[i].right && rects[i].top < rects[i].bottom) {
      boxes.push_back(pixman_box32_t{rects[i].left, rects[i].top, rects[i].right, rects[i].bottom});
    }
  }
  Region region;
  if (!boxes.empty() && boxes.size() <= static_cast<size_t>(std::numeric_limits<int>::max())) {
    pixman_region32_fini(region.Get());
    if (!pixman_region32_init_rects(region.Get(), boxes.data(), static_cast<int>(boxes.size()))) {
      pixman_region32_init(region.Get());
    }
  }
  return region;
}

Region Region::Combine(const Region& a, const Region& b, int mode) {
  Region out;
  switch (mode) {
    case RGN_AND: pixman_region32_intersect(out.Get(), a.Get(), b.Get()); break;
    case RGN_OR: pixman_region32_union(out.Get(), a.Get(), b.Get()); break;
    case RGN_DIFF: pixman_region32_subtract(out.Get(), a.Get(), b.Get()); break;
    case RGN_XOR: {
      Region other;
      pixman_region32_subtract(out.Get(), a.Get(), b.Get());
      pixman_region32_subtract(other.Get(), b.Get(), a.Get());
      pixman_region32_union(out.Get(), out.Get(), other.Get());
      break;
    }
    default: out = a; break;  // RGN_COPY
  }
  return out;
}

int Region::Type() const {
  const int count = pixman_region32_n_rects(Get());
  return count == 0 ? NULLREGION : count == 1 ? SIMPLEREGION : COMPLEXREGION;
}

bool Region::IsEmpty() const { return pixman_region32_n_rects(Get()) == 0; }

RECT Region::Box() const {
  if (IsEmpty()) return RECT{0, 0, 0, 0};
  const pixman_box32_t* box = pixman_region32_extents(Get());
  return RECT{box->x1, box->y1, box->x2, box->y2};
}

Region::Rectangles Region::Rects() const {
  int count = 0;
  const pixman_box32_t* first = pixman_region32_rectangles(Get(), &count);
  return Rectangles(first, static_cast<size_t>(std::max(count, 0)));
}

bool Region::Contains(LONG x, LONG y) const {
  return pixman_region32_contains_point(Get(), x, y, nullptr) != 0;
}

bool Region::Offset(LONG dx, LONG dy) {
  if (IsEmpty()) return true;
  const RECT box = Box();
  constexpr int64_t lo = std::numeric_limits<LONG>::min(), hi = std::numeric_limits<LONG>::max();
  if (int64_t{box.left} + dx < lo || int64_t{box.right} + dx > hi || int64_t{box.top} + dy < lo ||
      int64_t{box.bottom} + dy > hi) {
    return false;
  }
  pixman_region32_translate(Get(), dx, dy);
  return true;
}

}  // namespace host::gdi

// ---- The region calls ---------------------------------------------------------------------------------------------

using host::gdi::Region;
using host::gdi::RegionObject;

namespace {

HRGN NewRegionHandle(Region region) {
  auto object = std::make_unique<RegionObject>();
  object->region = std::move(region);
  return static_cast<HRGN>(host::gdi::AddObject(std::move(object)));
}

Region* FindRegion(HRGN handle) {
  auto* object = host::gdi::Find<RegionObject>(handle);
  return object ? &object->region : nullptr;
}

}  // namespace

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
  auto lock = host::gdi::LockObjects();
  return NewRegionHandle(Region(left, top, right, bottom));
}

HRGN CreateRectRgnIndirect(const RECT* rect) {
  if (rect == nullptr) return nullptr;
  return CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom);
}

BOOL SetRectRgn(HRGN handle, int left, int top, int right, int bottom) {
  auto lock = host::gdi::LockObjects();
  Region* region = FindRegion(handle);
  if (region == nullptr) return FALSE;
  *region = Region(left, top, right, bottom);
  return TRUE;
}

int CombineRgn(HRGN dest, HRGN src1, HRGN src2, int mode) {
  auto lock = host::gdi::LockObjects();
  Region* out = FindRegion(dest);
  const Region* a = FindRegion(src1);
  if (out == nullptr || a == nullptr || mode < RGN_AND || mode > RGN_COPY) return ERROR;
  if (mode == RGN_COPY) {
    *out = *a;
    return out->Type();
  }
  const Region* b = FindRegion(src2);
  if (b == nullptr) return ERROR;
  *out = Region::Combine(*a, *b, mode);
  return out->Type();
}

int OffsetRgn(HRGN handle, int dx, int dy) {
  auto lock = host::gdi::LockObjects();
  Region* region = FindRegion(handle);
  if (region == nullptr || !region->Offset(dx, dy)) return ERROR;
  return region->Type();
}

int GetRgnBox(HRGN handle, LPRECT box) {
  auto lock = host::gdi::LockObjects();
  const Region* region = FindRegion(handle);
  if (region == nullptr || box == nullptr) return ERROR;
  *box = region->Box();
  return region->Type();
}

DWORD GetRegionData(HRGN handle, DWORD size, LPRGNDATA data) {
  auto lock = host::gdi::LockObjects();
  const Region* region = FindRegion(handle);
  if (region == nullptr) return 0;
  const size_t count = region->Rects().size();
  const uint64_t needed = sizeof(RGNDATAHEADER) + uint64_t{count} * sizeof(RECT);
  if (needed > 0xFFFFFFFFu) return 0;
  if (data == nullptr) return static_cast<DWORD>(needed);
  if (size < needed) return 0;
  data->rdh.dwSize = sizeof(RGNDATAHEADER);
  data->rdh.iType = RDH_RECTANGLES;
  data->rdh.nCount = static_cast<DWORD>(count);
  data->rdh.nRgnSize = static_cast<DWORD>(count * sizeof(RECT));
  data->rdh.rcBound = region->Box();
  size_t offset = 0;
  for (const RECT& rect : region->Rects()) {
    std::memcpy(reinterpret_cast<uint8_t*>(data->Buffer) + offset, &rect, sizeof rect);
    offset += sizeof rect;
  }
  return size;
}

HRGN ExtCreateRegion(const XFORM* transform, DWORD size, const RGNDATA* data) {
  // Only the identity transform is supported: a region under any other would no longer be rectangles.
  if (transform != nullptr && !(transform->eM11 == 1.0f && transform->eM12 == 0.0f && transform->eM21 == 0.0f &&
                                transform->eM22 == 1.0f && transform->eDx == 0.0f && transform->eDy == 0.0f)) {
    return nullptr;
  }
  if (data == nullptr || size < sizeof(RGNDATAHEADER)) return nullptr;
  if (data->rdh.dwSize != sizeof(RGNDATAHEADER) || data->rdh.iType != RDH_RECTANGLES) return nullptr;
  if (data->rdh.nCount > (size - sizeof(RGNDATAHEADER)) / sizeof(RECT)) return nullptr;
  std::vector<RECT> rects(data->rdh.nCount);
  if (!rects.empty()) std::memcpy(rects.data(), data->Buffer, rects.size() * sizeof(RECT));
  auto lock = host::gdi::LockObjects();
  return NewRegionHandle(Region::FromRects(rects.data(), rects.size()));
}
