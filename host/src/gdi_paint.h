// Painting device pixels for the drawing calls (lines, paths, rectangles, text): the drawable part of a device
// context's target within its clip, spans painted with a brush's paint, plots and inversion.
//
// Coordinates here are device pixels in 64 bits, so logical coordinates plus the viewport origin never overflow;
// everything outside the drawable box is dropped before any loop runs over it.
#pragma once

#include <cstdint>
#include <vector>

#include "gdi_internal.h"

namespace host::gdi {

// A paint made ready for one device context: pattern cells encoded in the target's layout.
class PaintSource {
 public:
  PaintSource(const Paint& paint, const DeviceContext& dc, const PixelLayout& layout);
  bool Draws() const { return draws_; }
  uint32_t At(int64_t x, int64_t y) const;

 private:
  bool draws_ = false;
  uint32_t solid_ = 0;
  int32_t width_ = 1;
  int32_t height_ = 1;
  std::vector<uint32_t> cells_;
};

class Painter {
 public:
  explicit Painter(DeviceContext* dc);
  ~Painter();  // notes what was drawn
  Painter(const Painter&) = delete;
  Painter& operator=(const Painter&) = delete;

  bool Ready() const { return ready_; }
  // The drawable device rectangle (empty when nothing may be drawn).
  const RECT& Box() const { return box_; }
  const PixelLayout& Layout() const { return *view_.layout; }
  uint32_t Encode(COLORREF color) const { return EncodePixel(*view_.layout, RgbOfColorRef(color)); }

  // Device pixels [x0, x1) of row y, within the box and the clip.
  void FillSpan(int64_t y, int64_t x0, int64_t x1, const PaintSource& paint);
  void SolidSpan(int64_t y, int64_t x0, int64_t x1, uint32_t raw);
  void InvertSpan(int64_t y, int64_t x0, int64_t x1);
  void Plot(int64_t x, int64_t y, uint32_t raw) { SolidSpan(y, x, x + 1, raw); }

  // Fills every pixel whose centre lies within half the width of the segment from a to b (device pixels).
  void FillCapsule(int64_t ax, int64_t ay, int64_t bx, int64_t by, int64_t width, const PaintSource& paint);
  // One-pixel line from a towards b, without b itself.
  void ThinLine(int64_t ax, int64_t ay, int64_t bx, int64_t by, uint32_t raw);

 private:
  template <typename Visit>
  void ForClipped(int64_t y, int64_t x0, int64_t x1, Visit visit);

  DeviceContext* dc_;
  PixelView view_;
  RECT box_{0, 0, 0, 0};
  Region clip_;
  bool hasClip_ = false;
  bool ready_ = false;
  RECT drawn_{0, 0, 0, 0};
};

}  // namespace host::gdi
