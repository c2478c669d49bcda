// Bounds arithmetic. Ends (start + size) are computed in 64 bits so that boxes near the edges of the 32-bit
// plane compare correctly instead of overflowing.
#include "game/graphics/bounds.h"

#include <algorithm>
#include <climits>

namespace {

int64_t End(int32_t start, int32_t size) { return int64_t{start} + size; }

int32_t Narrow(int64_t value) { return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX)); }

// One axis of Union: the start moves back to the other's start when that lies before it, and the size grows to
// reach the farther of the two ends.
void UnionAxis(int32_t& start, int32_t& size, int32_t otherStart, int32_t otherSize) {
  if (otherStart < start) {
    const int64_t moved = int64_t{start} - otherStart;
    size = Narrow(std::max<int64_t>(size + moved, otherSize));
    start = otherStart;
  } else {
    size = Narrow(std::max<int64_t>(size, int64_t{otherStart} - start + otherSize));
  }
}

// One axis of Clip: the start moves forward to the other's start when that lies after it, and the end is cut to
// the other's end.
void ClipAxis(int32_t& start, int32_t& size, int32_t otherStart, int32_t otherSize) {
  if (otherStart > start) {
    const int64_t shrunk = int64_t{size} - (int64_t{otherStart} - start);
    start = otherStart;
    size = Narrow(std::min<int64_t>(shrunk, otherSize));
  } else if (End(start, size) > End(otherStart, otherSize)) {
    size = Narrow(End(otherStart, otherSize) - start);
  }
}

}  // namespace

void Bounds::Union(const Bounds& other) {
  if (IsEmpty()) {
    *this = other;
    return;
  }
  UnionAxis(x, width, other.x, other.width);
  UnionAxis(y, height, other.y, other.height);
}

void Bounds::Clip(const Bounds& other) {
  ClipAxis(x, width, other.x, other.width);
  ClipAxis(y, height, other.y, other.height);
}

void Bounds::ClipOffset(const Bounds& other, int32_t dx, int32_t dy) {
  Clip(Bounds{Narrow(int64_t{other.x} + dx), Narrow(int64_t{other.y} + dy), other.width, other.height});
}

bool Bounds::ContainsPoint(int32_t px, int32_t py) const {
  return x <= px && px <= End(x, width) && y <= py && py <= End(y, height);
}

bool Bounds::Contains(const Bounds& other) const {
  return other.x >= x && End(other.x, other.width) <= End(x, width) && other.y >= y &&
         End(other.y, other.height) <= End(y, height);
}

bool Bounds::Intersects(const Bounds& other) const {
  return x < End(other.x, other.width) && other.x < End(x, width) && y < End(other.y, other.height) &&
         other.y < End(y, height);
}

RECT Bounds::ToRect() const { return RECT{x, y, Narrow(End(x, width)), Narrow(End(y, height))}; }

Bounds Bounds::FromRect(const RECT& rect) {
  return Bounds{rect.left, rect.top, Narrow(int64_t{rect.right} - rect.left), Narrow(int64_t{rect.bottom} - rect.top)};
}
