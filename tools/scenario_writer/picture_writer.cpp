// Drawing on the writer's canvas and storing it as a BMP or picture file.
#include "tools/scenario_writer/picture_writer.h"

#include <algorithm>
#include <cstddef>

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

namespace {

// A BMP file with a 40-byte information header: 24 bits a pixel stored blue, green, red; or bit fields (16 or 32
// bits a pixel, compression 3) with the three colour masks right after the header, where common writers put
// them. Rows bottom-up, each padded to 4 bytes.
Bytes EncodeBmp(const Canvas& canvas, uint16_t bits) {
  const bool fields = bits != 24;
  const uint32_t rowBytes = (static_cast<uint32_t>(canvas.Width()) * bits / 8 + 3) & ~3u;
  const uint32_t imageBytes = rowBytes * static_cast<uint32_t>(canvas.Height());
  const uint32_t dataOffset = 54 + (fields ? 12 : 0);
  Bytes out;
  out.reserve(dataOffset + imageBytes);
  out.push_back('B');
  out.push_back('M');
  PutLe(out, dataOffset + imageBytes, 4);
  PutLe(out, 0, 4);
  PutLe(out, dataOffset, 4);
  PutLe(out, 40, 4);
  PutLe(out, static_cast<uint32_t>(canvas.Width()), 4);
  PutLe(out, static_cast<uint32_t>(canvas.Height()), 4);
  PutLe(out, 1, 2);
  PutLe(out, bits, 2);
  PutLe(out, fields ? 3 : 0, 4);
  PutLe(out, imageBytes, 4);
  PutLe(out, 2835, 4);
  PutLe(out, 2835, 4);
  PutLe(out, 0, 4);
  PutLe(out, 0, 4);
  if (bits == 16) {
    for (uint32_t mask : {0xF800u, 0x07E0u, 0x001Fu}) PutLe(out, mask, 4);
  } else if (bits == 32) {
    for (uint32_t mask : {0x00FF0000u, 0x0000FF00u, 0x000000FFu}) PutLe(out, mask, 4);
  }
  for (int32_t y = canvas.Height() - 1; y >= 0; --y) {
    size_t rowStart = out.size();
    for (int32_t x = 0; x < canvas.Width(); ++x) {
      Rgb c = canvas.At(x, y);
      if (bits == 16) {
        PutLe(out, static_cast<uint32_t>((c.red >> 3) << 11 | (c.green >> 2) << 5 | (c.blue >> 3)), 2);
      } else {
        out.push_back(c.blue);
        out.push_back(c.green);
        out.push_back(c.red);
        if (bits == 32) out.push_back(255);
      }
    }
    out.resize(rowStart + rowBytes, 0);
  }
  return out;
}

void PutBe(Bytes& out, uint32_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// PackBits: runs of three or more equal bytes as a count byte (1 - length) and the byte, the rest as literal
// stretches of a count byte (length - 1) and the bytes; at most 128 bytes a piece.
Bytes PackBits(const Bytes& data) {
  Bytes out;
  size_t i = 0;
  while (i < data.size()) {
    size_t run = 1;
    while (i + run < data.size() && run < 128 && data[i + run] == data[i]) ++run;
    if (run >= 3) {
      out.push_back(static_cast<uint8_t>(257 - run));
      out.push_back(data[i]);
      i += run;
      continue;
    }
    size_t start = i;
    while (i < data.size() && i - start < 128) {
      if (i + 2 < data.size() && data[i] == data[i + 1] && data[i] == data[i + 2]) break;
      ++i;
    }
    out.push_back(static_cast<uint8_t>(i - start - 1));
    out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(start), data.begin() + static_cast<std::ptrdiff_t>(i));
  }
  return out;
}

}  // namespace

Bytes EncodeBmp24(const Canvas& canvas) { return EncodeBmp(canvas, 24); }

Bytes EncodeBmp16(const Canvas& canvas) { return EncodeBmp(canvas, 16); }

Bytes EncodeBmp32(const Canvas& canvas) { return EncodeBmp(canvas, 32); }

Bytes EncodePict8(const Canvas& canvas, const std::vector<Rgb>& table) {
  const uint32_t width = static_cast<uint32_t>(canvas.Width());
  const uint32_t height = static_cast<uint32_t>(canvas.Height());
  const uint32_t rowBytes = (width + 1) & ~1u;
  Bytes out(512, 0);  // the file header, which readers skip
  PutBe(out, 0, 2);  // the picture size, patched below
  const auto putFrame = [&] {
    PutBe(out, 0, 2);
    PutBe(out, 0, 2);
    PutBe(out, height, 2);
    PutBe(out, width, 2);
  };
  putFrame();
  PutBe(out, 0x0011, 2);  // version 2
  PutBe(out, 0x02FF, 2);
  PutBe(out, 0x0C00, 2);  // header: version -2, resolutions, source rectangle
  PutBe(out, 0xFFFE, 2);
  PutBe(out, 0, 2);
  PutBe(out, 72u << 16, 4);
  PutBe(out, 72u << 16, 4);
  putFrame();
  PutBe(out, 0, 4);
  PutBe(out, 0x0001, 2);  // the clip region: the frame
  PutBe(out, 10, 2);
  putFrame();
  PutBe(out, 0x0098, 2);  // packed bits into the frame
  PutBe(out, 0x8000 | rowBytes, 2);
  putFrame();
  PutBe(out, 0, 2);   // pixel map version
  PutBe(out, 0, 2);   // pack type: PackBits rows
  PutBe(out, 0, 4);   // pack size
  PutBe(out, 72u << 16, 4);
  PutBe(out, 72u << 16, 4);
  PutBe(out, 0, 2);   // indexed pixels
  PutBe(out, 8, 2);   // pixel size
  PutBe(out, 1, 2);   // components
  PutBe(out, 8, 2);   // component size
  PutBe(out, 0, 4);   // plane bytes
  PutBe(out, 0, 4);   // colour table handle
  PutBe(out, 0, 4);   // reserved
  PutBe(out, 0, 4);   // the colour table: seed, flags, entries less one, then index and 16-bit channels
  PutBe(out, 0, 2);
  PutBe(out, static_cast<uint32_t>(table.size()) - 1, 2);
  for (size_t i = 0; i < table.size(); ++i) {
    PutBe(out, static_cast<uint32_t>(i), 2);
    PutBe(out, table[i].red * 257u, 2);
    PutBe(out, table[i].green * 257u, 2);
    PutBe(out, table[i].blue * 257u, 2);
  }
  putFrame();  // source and destination rectangles, transfer mode copy
  putFrame();
  PutBe(out, 0, 2);
  for (uint32_t y = 0; y < height; ++y) {
    Bytes row(rowBytes, 0);
    for (uint32_t x = 0; x < width; ++x) {
      Rgb colour = canvas.At(static_cast<int32_t>(x), static_cast<int32_t>(y));
      row[x] = static_cast<uint8_t>(std::find(table.begin(), table.end(), colour) - table.begin());
    }
    if (rowBytes < 8) {
      out.insert(out.end(), row.begin(), row.end());
      continue;
    }
    Bytes packed = PackBits(row);
    PutBe(out, static_cast<uint32_t>(packed.size()), rowBytes > 250 ? 2 : 1);
    out.insert(out.end(), packed.begin(), packed.end());
  }
  if (out.size() % 2 != 0) out.push_back(0);  // opcodes start on even offsets
  PutBe(out, 0x00FF, 2);
  const uint32_t size = static_cast<uint32_t>(out.size() - 512);
  out[512] = static_cast<uint8_t>(size >> 8);
  out[513] = static_cast<uint8_t>(size);
  return out;
}

}  // namespace scenario_writer
