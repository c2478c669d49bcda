// Painting device pixels (see gdi_paint.h).
#include "gdi_paint.h"

#include <algorithm>
#include <cmath>

namespace host::gdi {
namespace {

int64_t FloorMod(int64_t value, int64_t modulus) {
  const int64_t r = value % modulus;
  return r < 0 ? r + modulus : r;
}

// floor(numerator / denominator) for a positive denominator.
__int128 FloorDiv(__int128 numerator, __int128 denominator) {
  __int128 q = numerator / denominator;
  if ((numerator % denominator) != 0 && numerator < 0) --q;
  return q;
}

}  // namespace

PaintSource::PaintSource(const Paint& paint, const DeviceContext& dc, const PixelLayout& layout) {
  switch (paint.kind) {
    case Paint::Kind::kNone:
      return;
    case Paint::Kind::kSolid:
      draws_ = true;
      solid_ = EncodePixel(layout, RgbOfColorRef(paint.color));
      return;
    case Paint::Kind::kPattern:
      if (paint.width <= 0 || paint.height <= 0) return;
      draws_ = true;
      width_ = paint.width;
      height_ = paint.height;
      cells_.resize(paint.cells.size());
      {
        // Monochrome patterns take the colours of the DC drawn into: 0 bits the text colour, 1 bits the background.
        const uint32_t zero = EncodePixel(layout, RgbOfColorRef(dc.state.textColor));
        const uint32_t one = EncodePixel(layout, RgbOfColorRef(dc.state.backColor));
        for (size_t i = 0; i < cells_.size(); ++i) {
          cells_[i] = paint.monochrome ? (paint.cells[i] != 0 ? one : zero) : EncodePixel(layout, paint.cells[i]);
        }
      }
      return;
  }
}

uint32_t PaintSource::At(int64_t x, int64_t y) const {
  if (cells_.empty()) return solid_;
  return cells_[static_cast<size_t>(FloorMod(y, height_) * width_ + FloorMod(x, width_))];
}

Painter::Painter(DeviceContext* dc) : dc_(dc) {
  if (dc == nullptr || !dc->Target(&view_)) return;
  box_ = dc->DrawableBox(&clip_, &hasClip_);
  ready_ = box_.left < box_.right && box_.top < box_.bottom;
}

Painter::~Painter() {
  if (dc_ != nullptr) dc_->MarkDrawn(drawn_);
}

template <typename Visit>
void Painter::ForClipped(int64_t y, int64_t x0, int64_t x1, Visit visit) {
  if (!ready_ || y < box_.top || y >= box_.bottom) return;
  x0 = std::max<int64_t>(x0, box_.left);
  x1 = std::min<int64_t>(x1, box_.right);
  if (x0 >= x1) return;
  uint8_t* row = view_.Row(static_cast<int32_t>(y));
  auto note = [&](int64_t a, int64_t b) {
    const RECT r{static_cast<LONG>(a), static_cast<LONG>(y), static_cast<LONG>(b), static_cast<LONG>(y + 1)};
    if (drawn_.left >= drawn_.right) {
      drawn_ = r;
    } else {
      drawn_ = {std::min(drawn_.left, r.left), std::min(drawn_.top, r.top), std::max(drawn_.right, r.right),
                std::max(drawn_.bottom, r.bottom)};
    }
    visit(row, static_cast<int32_t>(a), static_cast<int32_t>(b));
  };
  if (!hasClip_) {
    note(x0, x1);
    return;
  }
  for (const RECT& r : clip_.Rects()) {
    if (r.top > y) break;  // bands are sorted by top
    if (y >= r.bottom) continue;
    const int64_t a = std::max<int64_t>(x0, r.left), b = std::min<int64_t>(x1, r.right);
    if (a < b) note(a, b);
  }
}

void Painter::FillSpan(int64_t y, int64_t x0, int64_t x1, const PaintSource& paint) {
  if (!paint.Draws()) return;
  const int bits = view_.layout->bitCount;
  ForClipped(y, x0, x1, [&](uint8_t* row, int32_t a, int32_t b) {
    for (int32_t x = a; x < b; ++x) WritePixel(row, x, bits, paint.At(x, y));
  });
}

void Painter::SolidSpan(int64_t y, int64_t x0, int64_t x1, uint32_t raw) {
  const int bits = view_.layout->bitCount;
  ForClipped(y, x0, x1, [&](uint8_t* row, int32_t a, int32_t b) {
    for (int32_t x = a; x < b; ++x) WritePixel(row, x, bits, raw);
  });
}

void Painter::InvertSpan(int64_t y, int64_t x0, int64_t x1) {
  const int bits = view_.layout->bitCount;
  // Every bit of the stored pixel flips (for frame buffers only the colour bits).
  const uint32_t mask = bits >= 32 ? (dc_->surface != nullptr ? 0x00FFFFFFu : 0xFFFFFFFFu) : (1u << bits) - 1;
  ForClipped(y, x0, x1, [&](uint8_t* row, int32_t a, int32_t b) {
    for (int32_t x = a; x < b; ++x) WritePixel(row, x, bits, (ReadPixel(row, x, bits) ^ mask));
  });
}

void Painter::FillCapsule(int64_t ax, int64_t ay, int64_t bx, int64_t by, int64_t width, const PaintSource& paint) {
  if (!ready_ || !paint.Draws() || width <= 0) return;
  const int64_t reach = (width + 1) / 2;
  const int64_t left = std::max<int64_t>(std::min(ax, bx) - reach, box_.left);
  const int64_t right = std::min<int64_t>(std::max(ax, bx) + reach + 1, box_.right);
  const int64_t top = std::max<int64_t>(std::min(ay, by) - reach, box_.top);
  const int64_t bottom = std::min<int64_t>(std::max(ay, by) + reach + 1, box_.bottom);
  const double dx = static_cast<double>(bx - ax), dy = static_cast<double>(by - ay);
  const double length2 = dx * dx + dy * dy;
  const double limit = static_cast<double>(width) * static_cast<double>(width) / 4.0 + 1e-9;
  // An even width has no middle pixel: its line runs along the pixel edges before the given coordinates, so the width
  // covers exactly that many pixels across (two on each side for a width of 4).
  const double shift = width % 2 == 0 ? 0.5 : 0.0;
  for (int64_t y = top; y < bottom; ++y) {
    int64_t runStart = -1;
    for (int64_t x = left; x <= right; ++x) {
      bool inside = false;
      if (x < right) {
        const double px = static_cast<double>(x - ax) + shift, py = static_cast<double>(y - ay) + shift;
        double t = length2 > 0 ? (px * dx + py * dy) / length2 : 0.0;
        t = std::clamp(t, 0.0, 1.0);
        const double ex = px - t * dx, ey = py - t * dy;
        inside = ex * ex + ey * ey <= limit;
      }
      if (inside && runStart < 0) runStart = x;
      if (!inside && runStart >= 0) {
        FillSpan(y, runStart, x, paint);
        runStart = -1;
      }
    }
  }
}

void Painter::ThinLine(int64_t ax, int64_t ay, int64_t bx, int64_t by, uint32_t raw) {
  if (!ready_) return;
  const int64_t dx = bx - ax, dy = by - ay;
  const bool xMajor = (dx < 0 ? -dx : dx) >= (dy < 0 ? -dy : dy);
  const int64_t major = xMajor ? dx : dy, minor = xMajor ? dy : dx;
  const int64_t steps = major < 0 ? -major : major;
  if (steps == 0) return;
  const int64_t sign = major < 0 ? -1 : 1;
  const int64_t start = xMajor ? ax : ay, minorStart = xMajor ? ay : ax;
  // Only the steps whose major coordinate falls inside the box are walked.
  const int64_t low = xMajor ? box_.left : box_.top, high = (xMajor ? box_.right : box_.bottom) - 1;
  int64_t t0 = sign > 0 ? low - start : start - high;
  int64_t t1 = sign > 0 ? high - start : start - low;
  t0 = std::max<int64_t>(t0, 0);
  t1 = std::min<int64_t>(t1, steps - 1);
  for (int64_t t = t0; t <= t1; ++t) {
    // The minor coordinate rounds half up: minorStart + floor((2 t minor + steps) / (2 steps)).
    const int64_t m = minorStart + static_cast<int64_t>(FloorDiv(__int128{2} * t * minor + steps, __int128{2} * steps));
    const int64_t p = start + sign * t;
    if (xMajor) {
      Plot(p, m, raw);
    } else {
      Plot(m, p, raw);
    }
  }
}

}  // namespace host::gdi
