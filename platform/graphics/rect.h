// Rectangles and points: the small value types every graphics operation of the framework passes around.
//
// Right and bottom edges are exclusive. Every rectangle handed to GDI is first clamped by Rect::ClampForGdi, which
// keeps each side at most 32000 pixels long.
#pragma once

#include <cstdint>

struct Point {
  int32_t x;
  int32_t y;

  static void Copy(Point* destination, const Point* source);
};

struct Rect {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;

  static constexpr int32_t kGdiMaxSide = 32000;

  static void Set(Rect* rect, int32_t left, int32_t top, int32_t right, int32_t bottom);
  static void Copy(Rect* destination, const Rect* source);
  static bool Equal(const Rect* a, const Rect* b);
  static bool IsEmpty(const Rect* rect);
  static bool IsDegenerate(const Rect* rect);
  static bool ContainsPoint(const Point* point, const Rect* rect);
  static void Offset(Rect* rect, int32_t dx, int32_t dy);
  static void Inset(Rect* rect, int32_t dx, int32_t dy);
  // Not normalised: the result may be empty or inverted.
  static void Intersect(Rect* out, const Rect* a, const Rect* b);
  static Point TopLeft(const Rect* rect);
  static void ClampForGdi(Rect* out, const Rect* rect);

  // Extents in 64 bits, so that rectangles spanning most of the 32-bit plane do not overflow.
  int64_t Width() const { return static_cast<int64_t>(right) - left; }
  int64_t Height() const { return static_cast<int64_t>(bottom) - top; }
};
