// Banded regions: construction from rectangles, the set operations by a sweep over bands, and the region calls.
#include "gdi_region.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

#include "gdi_internal.h"

namespace host::gdi {
namespace {

struct Span {
  LONG left;
  LONG right;
  bool operator==(const Span&) const = default;
};

// Builds the rectangle list band by band, merging a band into the previous one when they meet and match.
class BandWriter {
 public:
  explicit BandWriter(std::vector<RECT>* out) : out_(out) {}

  void Add(LONG top, LONG bottom, const std::vector<Span>& spans) {
    if (spans.empty() || top >= bottom) return;
    if (lastBottom_ == top && lastSpans_ == spans) {
      for (size_t i = lastStart_; i < out_->size(); ++i) (*out_)[i].bottom = bottom;
    } else {
      lastStart_ = out_->size();
      for (const Span& s : spans) out_->push_back({s.left, top, s.right, bottom});
      lastSpans_ = spans;
    }
    lastBottom_ = bottom;
  }

 private:
  std::vector<RECT>* out_;
  size_t lastStart_ = 0;
  LONG lastBottom_ = std::numeric_limits<LONG>::min();
  std::vector<Span> lastSpans_;
};

// Sorts intervals and merges those that overlap or touch.
void MergeSpans(std::vector<Span>* spans) {
  std::sort(spans->begin(), spans->end(), [](const Span& a, const Span& b) { return a.left < b.left; });
  size_t n = 0;
  for (const Span& s : *spans) {
    if (n > 0 && s.left <= (*spans)[n - 1].right) {
      (*spans)[n - 1].right = std::max((*spans)[n - 1].right, s.right);
    } else {
      (*spans)[n++] = s;
    }
  }
  spans->resize(n);
}

bool Keep(int mode, bool inA, bool inB) {
  switch (mode) {
    case RGN_AND: return inA && inB;
    case RGN_OR: return inA || inB;
    case RGN_XOR: return inA != inB;
    default: return inA && !inB;  // RGN_DIFF
  }
}

// Combines the spans of two bands (each sorted, disjoint) by walking their edges together.
void CombineSpans(const std::vector<Span>& a, const std::vector<Span>& b, int mode, std::vector<Span>* out) {
  out->clear();
  std::vector<LONG> edges;
  edges.reserve(2 * (a.size() + b.size()));
  for (const Span& s : a) edges.insert(edges.end(), {s.left, s.right});
  for (const Span& s : b) edges.insert(edges.end(), {s.left, s.right});
  std::sort(edges.begin(), edges.end());
  edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
  size_t ia = 0, ib = 0;
  for (size_t i = 0; i + 1 < edges.size(); ++i) {
    const LONG x0 = edges[i], x1 = edges[i + 1];
    while (ia < a.size() && a[ia].right <= x0) ++ia;
    while (ib < b.size() && b[ib].right <= x0) ++ib;
    const bool inA = ia < a.size() && a[ia].left <= x0;
    const bool inB = ib < b.size() && b[ib].left <= x0;
    if (!Keep(mode, inA, inB)) continue;
    if (!out->empty() && out->back().right == x0) {
      out->back().right = x1;
    } else {
      out->push_back({x0, x1});
    }
  }
}

// Walks the bands of a rectangle list: each call of Next gives the spans of the band covering a row, if any.
class BandReader {
 public:
  explicit BandReader(const std::vector<RECT>& rects) : rects_(rects) {}

  // The spans covering row y; rows must be asked in increasing order.
  const std::vector<Span>& SpansAt(LONG y) {
    while (pos_ < rects_.size() && rects_[pos_].bottom <= y) pos_ = BandEnd(pos_);
    spans_.clear();
    if (pos_ < rects_.size() && rects_[pos_].top <= y) {
      for (size_t i = pos_; i < BandEnd(pos_); ++i) spans_.push_back({rects_[i].left, rects_[i].right});
    }
    return spans_;
  }

 private:
  size_t BandEnd(size_t start) const {
    size_t i = start;
    while (i < rects_.size() && rects_[i].top == rects_[start].top) ++i;
    return i;
  }
  const std::vector<RECT>& rects_;
  size_t pos_ = 0;
  std::vector<Span> spans_;
};

}  // namespace

Region::Region(LONG left, LONG top, LONG right, LONG bottom) {
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  if (left < right && top < bottom) rects_.push_back({left, top, right, bottom});
  ComputeBox();
}

Region Region::FromRects(const RECT* rects, size_t count) {
  std::vector<RECT> sorted;
  sorted.reserve(count);
  std::vector<LONG> ys;
  for (size_t i = 0; i < count; ++i) {
    if (rects[i].left < rects[i].right && rects[i].top < rects[i].bottom) {
      sorted.push_back(rects[i]);
      ys.push_back(rects[i].top);
      ys.push_back(rects[i].bottom);
    }
  }
  std::sort(sorted.begin(), sorted.end(), [](const RECT& a, const RECT& b) { return a.top < b.top; });
  std::sort(ys.begin(), ys.end());
  ys.erase(std::unique(ys.begin(), ys.end()), ys.end());

  Region region;
  BandWriter writer(&region.rects_);
  std::vector<const RECT*> active;
  std::vector<Span> spans;
  size_t next = 0;
  for (size_t i = 0; i + 1 < ys.size(); ++i) {
    const LONG y0 = ys[i], y1 = ys[i + 1];
    while (next < sorted.size() && sorted[next].top <= y0) active.push_back(&sorted[next++]);
    std::erase_if(active, [y0](const RECT* r) { return r->bottom <= y0; });
    spans.clear();
    for (const RECT* r : active) spans.push_back({r->left, r->right});
    MergeSpans(&spans);
    writer.Add(y0, y1, spans);
  }
  region.ComputeBox();
  return region;
}

Region Region::Combine(const Region& a, const Region& b, int mode) {
  if (mode == RGN_COPY) return a;
  std::vector<LONG> ys;
  ys.reserve(2 * (a.rects_.size() + b.rects_.size()));
  for (const RECT& r : a.rects_) ys.insert(ys.end(), {r.top, r.bottom});
  for (const RECT& r : b.rects_) ys.insert(ys.end(), {r.top, r.bottom});
  std::sort(ys.begin(), ys.end());
  ys.erase(std::unique(ys.begin(), ys.end()), ys.end());

  Region region;
  BandWriter writer(&region.rects_);
  BandReader readA(a.rects_), readB(b.rects_);
  std::vector<Span> spans;
  for (size_t i = 0; i + 1 < ys.size(); ++i) {
    const LONG y0 = ys[i];
    const std::vector<Span>& sa = readA.SpansAt(y0);
    const std::vector<Span>& sb = readB.SpansAt(y0);
    CombineSpans(sa, sb, mode, &spans);
    writer.Add(y0, ys[i + 1], spans);
  }
  region.ComputeBox();
  return region;
}

int Region::Type() const {
  if (rects_.empty()) return NULLREGION;
  return rects_.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

bool Region::Contains(LONG x, LONG y) const {
  for (const RECT& r : rects_) {
    if (r.top > y) break;
    if (y < r.bottom && x >= r.left && x < r.right) return true;
  }
  return false;
}

bool Region::Offset(LONG dx, LONG dy) {
  if (rects_.empty()) return true;
  constexpr int64_t lo = std::numeric_limits<LONG>::min(), hi = std::numeric_limits<LONG>::max();
  if (int64_t{box_.left} + dx < lo || int64_t{box_.right} + dx > hi || int64_t{box_.top} + dy < lo ||
      int64_t{box_.bottom} + dy > hi) {
    return false;
  }
  for (RECT& r : rects_) {
    r.left += dx;
    r.right += dx;
    r.top += dy;
    r.bottom += dy;
  }
  ComputeBox();
  return true;
}

void Region::ComputeBox() {
  if (rects_.empty()) {
    box_ = {0, 0, 0, 0};
    return;
  }
  box_ = {rects_.front().left, rects_.front().top, rects_.front().right, rects_.back().bottom};
  for (const RECT& r : rects_) {
    box_.left = std::min(box_.left, r.left);
    box_.right = std::max(box_.right, r.right);
  }
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
  if (count > 0) std::memcpy(data->Buffer, region->Rects().data(), count * sizeof(RECT));
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
