// Region: the set operations by a sweep over bands, the quick answers for rectangles, and the GDI region handed
// out for GDI calls.
#include "game/graphics/region.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>

#include "game/graphics/bit_mask.h"
#include "host/gdi.h"

namespace {

enum class SetOperation { kUnion, kIntersection, kDifference };

// Results are built here and then copied into the region, so that a region may be an operand of its own result
// and keeps its own block from one frame to the next.
std::vector<RECT>& Scratch() {
  thread_local std::vector<RECT> rects;
  return rects;
}

// The rectangle of a box, or none when the box has no area.
bool BoxRect(const Bounds& box, RECT* rect) {
  if (box.width <= 0 || box.height <= 0) return false;
  *rect = box.ToRect();
  return rect->left < rect->right && rect->top < rect->bottom;
}

// One past the last rectangle of the band that starts at `start`.
size_t BandEnd(const RECT* rects, size_t count, size_t start) {
  size_t end = start + 1;
  while (end < count && rects[end].top == rects[start].top) ++end;
  return end;
}

// The first rectangle whose band reaches below row y (bands are sorted, so their bottoms rise with them).
size_t FirstBelow(const RECT* rects, size_t count, LONG y) {
  return static_cast<size_t>(std::partition_point(rects, rects + count, [y](const RECT& r) { return r.bottom <= y; }) -
                             rects);
}

// Writes a banded list band by band: spans of a band come in order (overlapping or touching ones are joined), and
// a band that meets the one above with the same spans becomes part of it.
class BandWriter {
 public:
  explicit BandWriter(std::vector<RECT>& out) : out_(out) { out_.clear(); }

  void Begin(LONG top, LONG bottom) {
    start_ = out_.size();
    top_ = top;
    bottom_ = bottom;
  }
  void Add(LONG left, LONG right) {
    if (left >= right) return;
    if (out_.size() > start_ && out_.back().right >= left) {
      out_.back().right = std::max(out_.back().right, right);
      return;
    }
    out_.push_back(RECT{left, top_, right, bottom_});
  }
  void End() {
    const size_t count = out_.size() - start_;
    if (count == 0) return;
    if (count == previousCount_ && previousBottom_ == top_ &&
        std::equal(out_.begin() + static_cast<ptrdiff_t>(previousStart_),
                   out_.begin() + static_cast<ptrdiff_t>(previousStart_ + count),
                   out_.begin() + static_cast<ptrdiff_t>(start_),
                   [](const RECT& a, const RECT& b) { return a.left == b.left && a.right == b.right; })) {
      for (size_t i = previousStart_; i < start_; ++i) out_[i].bottom = bottom_;
      out_.resize(start_);
    } else {
      previousStart_ = start_;
      previousCount_ = count;
    }
    previousBottom_ = bottom_;
  }

 private:
  std::vector<RECT>& out_;
  size_t start_ = 0;
  LONG top_ = 0, bottom_ = 0;
  size_t previousStart_ = 0, previousCount_ = 0;
  LONG previousBottom_ = 0;
};

// The spans of two bands (each sorted and apart) combined into the writer's band.
void CombineSpans(const RECT* a, const RECT* aEnd, const RECT* b, const RECT* bEnd, SetOperation operation,
                  BandWriter& out) {
  switch (operation) {
    case SetOperation::kUnion:
      while (a < aEnd || b < bEnd) {
        const RECT*& next = (b == bEnd || (a < aEnd && a->left <= b->left)) ? a : b;
        out.Add(next->left, next->right);
        ++next;
      }
      break;
    case SetOperation::kIntersection:
      while (a < aEnd && b < bEnd) {
        out.Add(std::max(a->left, b->left), std::min(a->right, b->right));
        if (a->right < b->right) {
          ++a;
        } else {
          ++b;
        }
      }
      break;
    case SetOperation::kDifference:
      for (; a < aEnd; ++a) {
        LONG left = a->left;
        while (b < bEnd && b->right <= left) ++b;
        for (const RECT* cut = b; cut < bEnd && cut->left < a->right && left < a->right; ++cut) {
          out.Add(left, cut->left);
          left = std::max(left, cut->right);
        }
        out.Add(left, a->right);
      }
      break;
  }
}

// a (operation) b into out, slab by slab: each slab is a run of rows over which neither operand changes band.
void Combine(const RECT* a, size_t na, const RECT* b, size_t nb, SetOperation operation, std::vector<RECT>& out) {
  BandWriter writer(out);
  constexpr int64_t kDone = std::numeric_limits<int64_t>::max();
  size_t ia = 0, ib = 0;
  size_t aEnd = na > 0 ? BandEnd(a, na, 0) : 0;
  size_t bEnd = nb > 0 ? BandEnd(b, nb, 0) : 0;
  int64_t y = std::numeric_limits<int64_t>::min();  // the rows above y are done
  while (ia < na || ib < nb) {
    if (operation == SetOperation::kIntersection && (ia == na || ib == nb)) break;
    if (operation == SetOperation::kDifference && ia == na) break;
    const int64_t aTop = ia < na ? std::max<int64_t>(a[ia].top, y) : kDone;
    const int64_t bTop = ib < nb ? std::max<int64_t>(b[ib].top, y) : kDone;
    const int64_t top = std::min(aTop, bTop);
    const bool inA = aTop == top, inB = bTop == top;
    const int64_t bottom = std::min(inA ? int64_t{a[ia].bottom} : aTop, inB ? int64_t{b[ib].bottom} : bTop);
    const bool kept = operation == SetOperation::kUnion || (operation == SetOperation::kIntersection ? inA && inB : inA);
    if (kept) {
      writer.Begin(static_cast<LONG>(top), static_cast<LONG>(bottom));
      CombineSpans(inA ? a + ia : a, inA ? a + aEnd : a, inB ? b + ib : b, inB ? b + bEnd : b, operation, writer);
      writer.End();
    }
    y = bottom;
    if (inA && a[ia].bottom == bottom) {
      ia = aEnd;
      if (ia < na) aEnd = BandEnd(a, na, ia);
    }
    if (inB && b[ib].bottom == bottom) {
      ib = bEnd;
      if (ib < nb) bEnd = BandEnd(b, nb, ib);
    }
  }
}

// Whether the rectangles cover all of the rectangle r.
bool Covers(const RECT* rects, size_t count, const RECT& r) {
  size_t i = FirstBelow(rects, count, r.top);
  LONG y = r.top;
  while (y < r.bottom) {
    if (i >= count || rects[i].top > y) return false;  // a gap above the next band
    const size_t end = BandEnd(rects, count, i);
    const RECT* span = std::find_if(rects + i, rects + end, [&](const RECT& s) { return s.right > r.left; });
    if (span == rects + end || span->left > r.left || span->right < r.right) return false;
    y = rects[i].bottom;
    i = end;
  }
  return true;
}

}  // namespace

int Region::Shape::Kind() const { return count == 0 ? NULLREGION : count == 1 ? SIMPLEREGION : COMPLEXREGION; }

void Region::Shape::Set(const RECT* data, size_t n) {
  if (n <= 1) {
    box = n == 1 ? data[0] : RECT{0, 0, 0, 0};
    rects.clear();
  } else {
    rects.assign(data, data + n);
    box = RECT{data[0].left, data[0].top, data[0].right, data[n - 1].bottom};
    for (size_t i = 1; i < n; ++i) {
      box.left = std::min(box.left, data[i].left);
      box.right = std::max(box.right, data[i].right);
    }
  }
  count = n;
}

Region::Region() = default;

Region::Region(const Bounds& box) { SetRect(box); }

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

const Region::Shape& Region::Current() const {
  if (!lent_) return shape_;
  const DWORD size = GetRegionData(handle_, 0, nullptr);
  if (size < sizeof(RGNDATAHEADER)) return shape_;
  thread_local std::vector<uint8_t> bytes;
  bytes.resize(size);
  auto* data = reinterpret_cast<RGNDATA*>(bytes.data());
  if (GetRegionData(handle_, size, data) == 0) return shape_;
  std::vector<RECT>& rects = Scratch();
  rects.resize(data->rdh.nCount);
  if (!rects.empty()) std::memcpy(rects.data(), data->Buffer, rects.size() * sizeof(RECT));
  shape_.Set(rects.data(), rects.size());
  return shape_;
}

void Region::WriteHandle() const {
  if (shape_.count <= 1) {
    SetRectRgn(handle_, shape_.box.left, shape_.box.top, shape_.box.right, shape_.box.bottom);
    return;
  }
  thread_local std::vector<uint8_t> bytes;
  const size_t rectBytes = shape_.count * sizeof(RECT);
  bytes.resize(sizeof(RGNDATAHEADER) + rectBytes);
  auto* data = reinterpret_cast<RGNDATA*>(bytes.data());
  data->rdh = RGNDATAHEADER{sizeof(RGNDATAHEADER), RDH_RECTANGLES, static_cast<DWORD>(shape_.count),
                            static_cast<DWORD>(rectBytes), shape_.box};
  std::memcpy(data->Buffer, shape_.rects.data(), rectBytes);
  HRGN made = ExtCreateRegion(nullptr, static_cast<DWORD>(bytes.size()), data);
  if (made == nullptr) return;
  CombineRgn(handle_, made, nullptr, RGN_COPY);
  DeleteObject(made);
}

HRGN Region::Handle() const {
  if (handle_ == nullptr) {
    handle_ = CreateRectRgn(0, 0, 0, 0);
    if (handle_ == nullptr) return nullptr;
    WriteHandle();
    lent_ = true;
  }
  return handle_;
}

int Region::Store(const RECT* data, size_t n) {
  shape_.Set(data, n);
  if (lent_) WriteHandle();
  return Stored();
}

int Region::Stored() { return Track(shape_.Kind()); }

int Region::GetBounds(Bounds& out) const {
  const Shape& shape = Current();
  out = Bounds::FromRect(shape.box);
  return shape.Kind();
}

int Region::Union(const Region& other) {
  const Shape& theirs = other.Current();
  const Shape& mine = Current();
  if (theirs.count == 0 || &other == this) return Stored();
  if (mine.count == 0) return Store(theirs.Data(), theirs.count);
  if (theirs.count == 1 && Covers(mine.Data(), mine.count, theirs.box)) return Stored();
  std::vector<RECT>& out = Scratch();
  Combine(mine.Data(), mine.count, theirs.Data(), theirs.count, SetOperation::kUnion, out);
  return Store(out.data(), out.size());
}

int Region::Subtract(Region& target) const {
  const Shape& mine = Current();
  const Shape& theirs = target.Current();
  if (mine.count == 0 || theirs.count == 0) return target.Stored();
  std::vector<RECT>& out = Scratch();
  Combine(theirs.Data(), theirs.count, mine.Data(), mine.count, SetOperation::kDifference, out);
  return target.Store(out.data(), out.size());
}

int Region::Intersect(Region& target) const {
  const Shape& mine = Current();
  const Shape& theirs = target.Current();
  if (theirs.count == 0 || &target == this) return target.Stored();
  // Inside one rectangle of this region the target stays as it is.
  if (mine.count == 1 && mine.box.left <= theirs.box.left && mine.box.top <= theirs.box.top &&
      theirs.box.right <= mine.box.right && theirs.box.bottom <= mine.box.bottom) {
    return target.Stored();
  }
  std::vector<RECT>& out = Scratch();
  Combine(theirs.Data(), theirs.count, mine.Data(), mine.count, SetOperation::kIntersection, out);
  return target.Store(out.data(), out.size());
}

int Region::Assign(const Region& other) {
  if (&other == this) return Track(Current().Kind());
  const Shape& theirs = other.Current();
  return Store(theirs.Data(), theirs.count);
}

void Region::UnionRect(const Bounds& box) {
  RECT rect;
  const Shape& mine = Current();
  if (!BoxRect(box, &rect) || (mine.count > 0 && Covers(mine.Data(), mine.count, rect))) {
    Stored();
    return;
  }
  if (mine.count == 0) {
    Store(&rect, 1);
    return;
  }
  std::vector<RECT>& out = Scratch();
  Combine(mine.Data(), mine.count, &rect, 1, SetOperation::kUnion, out);
  Store(out.data(), out.size());
}

void Region::SetRect(const Bounds& box) {
  RECT rect{};
  const bool area = BoxRect(box, &rect);
  Store(&rect, area ? 1 : 0);
  // The flag follows the box's size, as it always has, even for a box whose edge the 32-bit range cuts away.
  empty_ = box.width <= 0 || box.height <= 0;
}

void Region::Clear() { SetRect(Bounds{}); }

int Region::Offset(Point delta) {
  const Shape& mine = Current();
  if (mine.count == 0) return Stored();
  const RECT& box = mine.box;
  constexpr int64_t kLow = INT32_MIN, kHigh = INT32_MAX;
  if (int64_t{box.left} + delta.x < kLow || int64_t{box.right} + delta.x > kHigh ||
      int64_t{box.top} + delta.y < kLow || int64_t{box.bottom} + delta.y > kHigh) {
    return ERROR;
  }
  auto move = [&](RECT& r) {
    r.left += delta.x;
    r.right += delta.x;
    r.top += delta.y;
    r.bottom += delta.y;
  };
  move(shape_.box);
  for (RECT& r : shape_.rects) move(r);
  if (lent_) OffsetRgn(handle_, delta.x, delta.y);
  return Stored();
}

int Region::OffsetNegative(Point delta) {
  // Negating INT32_MIN would overflow; no region lies that far out, so the move is refused.
  if (delta.x == INT32_MIN || delta.y == INT32_MIN) return ERROR;
  return Offset(Point{-delta.x, -delta.y});
}

void Region::ClipRect(Bounds& box) const {
  RECT rect;
  const Shape& mine = Current();
  if (!BoxRect(box, &rect) || mine.count == 0) {
    box = Bounds{};
    return;
  }
  const RECT& all = mine.box;
  RECT found{std::numeric_limits<LONG>::max(), 0, std::numeric_limits<LONG>::min(), 0};
  bool any = false;
  if (mine.count == 1) {
    found = RECT{std::max(rect.left, all.left), std::max(rect.top, all.top), std::min(rect.right, all.right),
                 std::min(rect.bottom, all.bottom)};
    any = found.left < found.right && found.top < found.bottom;
  } else {
    const RECT* rects = mine.Data();
    for (size_t i = FirstBelow(rects, mine.count, rect.top); i < mine.count && rects[i].top < rect.bottom; ++i) {
      const RECT& r = rects[i];
      if (r.right <= rect.left || r.left >= rect.right) continue;
      if (!any) found.top = std::max(r.top, rect.top);
      any = true;
      found.left = std::min(found.left, std::max(r.left, rect.left));
      found.right = std::max(found.right, std::min(r.right, rect.right));
      found.bottom = std::min(r.bottom, rect.bottom);
    }
  }
  box = any ? Bounds::FromRect(found) : Bounds{};
}

bool Region::IntersectsRect(const Bounds& box) const {
  RECT rect;
  const Shape& mine = Current();
  if (!BoxRect(box, &rect) || mine.count == 0) return false;
  const RECT* rects = mine.Data();
  for (size_t i = FirstBelow(rects, mine.count, rect.top); i < mine.count && rects[i].top < rect.bottom; ++i) {
    if (rects[i].right > rect.left && rects[i].left < rect.right) return true;
  }
  return false;
}

void Region::Refresh() {
  if (lent_) Track(Current().Kind());
}

bool MaskToRegion(Region& transparent, Region& opaque, const Bitmap& bitmap) {
  const bool built = MaskToRegion(transparent.Handle(), opaque.Handle(), bitmap);
  transparent.Refresh();
  opaque.Refresh();
  return built;
}
