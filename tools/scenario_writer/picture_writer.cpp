// Drawing on the writer's canvas and storing it as a BMP file.
#include "tools/scenario_writer/picture_writer.h"

#include <algorithm>

namespace scenario_writer {

namespace {

void PutLe(Bytes& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

}  // namespace

Canvas::Canvas(int32_t width, int32_t height, Rgb fill)
    : width_(std::max(width, 0)), height_(std::max(height, 0)),
      pixels_(static_cast<size_t>(width_) * height_, fill) {}

Rgb Canvas::At(int32_t x, int32_t y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return Rgb{};
  return pixels_[static_cast<size_t>(y) * width_ + x];
}

void Canvas::Set(int32_t x, int32_t y, Rgb colour) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  pixels_[static_cast<size_t>(y) * width_ + x] = colour;
}

void Canvas::FillRect(int32_t x, int32_t y, int32_t width, int32_t height, Rgb colour) {
  for (int32_t row = y; row < y + height; ++row) {
    for (int32_t column = x; column < x + width; ++column) Set(column, row, colour);
  }
}

void Canvas::FillCircle(int32_t cx, int32_t cy, int32_t radius, Rgb colour) {
  for (int32_t dy = -radius; dy <= radius; ++dy) {
    for (int32_t dx = -radius; dx <= radius; ++dx) {
      if (dx * dx + dy * dy <= radius * radius) Set(cx + dx, cy + dy, colour);
    }
  }
}

void Canvas::FillPeak(int32_t apexX, int32_t top, int32_t left, int32_t right, int32_t bottom, Rgb colour) {
  if (bottom <= top) return;
  for (int32_t row = top; row <= bottom; ++row) {
    int64_t t = row - top, span = bottom - top;
    int32_t from = static_cast<int32_t>(apexX + (left - apexX) * t / span);
    int32_t to = static_cast<int32_t>(apexX + (right - apexX) * t / span);
    for (int32_t column = from; column <= to; ++column) Set(column, row, colour);
  }
}

void Canvas::VerticalGradient(int32_t top, int32_t bottom, Rgb from, Rgb to) {
  int32_t span = std::max(bottom - top, 1);
  for (int32_t row = top; row < bottom; ++row) {
    int32_t t = row - top;
    auto mix = [&](uint8_t a, uint8_t b) { return static_cast<uint8_t>(a + (static_cast<int32_t>(b) - a) * t / span); };
    FillRect(0, row, width_, 1, Rgb{mix(from.red, to.red), mix(from.green, to.green), mix(from.blue, to.blue)});
  }
}

Bytes EncodeBmp24(const Canvas& canvas) {
  const uint32_t rowBytes = (static_cast<uint32_t>(canvas.Width()) * 3 + 3) & ~3u;
  const uint32_t imageBytes = rowBytes * static_cast<uint32_t>(canvas.Height());
  Bytes out;
  out.reserve(54 + imageBytes);
  out.push_back('B');
  out.push_back('M');
  PutLe(out, 54 + imageBytes, 4);
  PutLe(out, 0, 4);
  PutLe(out, 54, 4);
  PutLe(out, 40, 4);
  PutLe(out, static_cast<uint32_t>(canvas.Width()), 4);
  PutLe(out, static_cast<uint32_t>(canvas.Height()), 4);
  PutLe(out, 1, 2);
  PutLe(out, 24, 2);
  PutLe(out, 0, 4);
  PutLe(out, imageBytes, 4);
  PutLe(out, 2835, 4);
  PutLe(out, 2835, 4);
  PutLe(out, 0, 4);
  PutLe(out, 0, 4);
  for (int32_t y = canvas.Height() - 1; y >= 0; --y) {
    for (int32_t x = 0; x < canvas.Width(); ++x) {
      Rgb c = canvas.At(x, y);
      out.push_back(c.blue);
      out.push_back(c.green);
      out.push_back(c.red);
    }
    for (uint32_t pad = static_cast<uint32_t>(canvas.Width()) * 3; pad < rowBytes; ++pad) out.push_back(0);
  }
  return out;
}

}  // namespace scenario_writer
