// Rectangles and points (see rect.h).
#include "platform/graphics/rect.h"

#include <cstdint>

namespace {

// Clamps one axis to at most kGdiMaxSide: a low edge near the origin stays, else a high edge near the origin stays,
// else the span is centred on its old middle. The span is computed in 64 bits so that the whole-plane box of a
// port's clip (about 2^32 wide) is clamped too.
void ClampAxis(int32_t* low, int32_t* high) {
  constexpr int64_t kMax = Rect::kGdiMaxSide;
  constexpr int64_t kNear = 7999;
  const int64_t lo = *low;
  const int64_t hi = *high;
  if (hi - lo <= kMax) return;
  auto near = [](int64_t v) { return v >= -kNear && v <= kNear; };
  int64_t newLow;
  if (near(lo)) {
    newLow = lo;
  } else if (near(hi)) {
    newLow = hi - kMax;
  } else {
    newLow = (lo + hi) / 2 - kMax / 2;  // division truncates toward zero
  }
  if (newLow < INT32_MIN) newLow = INT32_MIN;
  if (newLow > INT32_MAX - kMax) newLow = INT32_MAX - kMax;
  *low = static_cast<int32_t>(newLow);
  *high = static_cast<int32_t>(newLow + kMax);
}

}  // namespace

void Point::Copy(Point* destination, const Point* source) { *destination = *source; }

void Rect::Set(Rect* rect, int32_t left, int32_t top, int32_t right, int32_t bottom) {
  *rect = Rect{left, top, right, bottom};
}

void Rect::Copy(Rect* destination, const Rect* source) { *destination = *source; }

bool Rect::Equal(const Rect* a, const Rect* b) {
  return a->left == b->left && a->top == b->top && a->right == b->right && a->bottom == b->bottom;
}

bool Rect::IsEmpty(const Rect* rect) { return !(rect->left < rect->right && rect->top < rect->bottom); }

bool Rect::IsDegenerate(const Rect* rect) {
  return rect->right < rect->left || rect->bottom < rect->top ||
         (rect->left == rect->right && rect->top == rect->bottom);
}

bool Rect::ContainsPoint(const Point* point, const Rect* rect) {
  return rect->left <= point->x && point->x < rect->right && rect->top <= point->y && point->y < rect->bottom;
}

void Rect::Offset(Rect* rect, int32_t dx, int32_t dy) {
  rect->left += dx;
  rect->right += dx;
  rect->top += dy;
  rect->bottom += dy;
}

void Rect::Inset(Rect* rect, int32_t dx, int32_t dy) {
  rect->left += dx;
  rect->top += dy;
  rect->right -= dx;
  rect->bottom -= dy;
}

void Rect::Intersect(Rect* out, const Rect* a, const Rect* b) {
  const Rect result{a->left > b->left ? a->left : b->left, a->top > b->top ? a->top : b->top,
                    a->right < b->right ? a->right : b->right, a->bottom < b->bottom ? a->bottom : b->bottom};
  *out = result;
}

Point Rect::TopLeft(const Rect* rect) { return Point{rect->left, rect->top}; }

void Rect::ClampForGdi(Rect* out, const Rect* rect) {
  Rect result = *rect;
  ClampAxis(&result.left, &result.right);
  ClampAxis(&result.top, &result.bottom);
  *out = result;
}
