// The blitter's entry points: clipping, table look-up and the operations that need no per-format routine
// (lines, scrolling, mask scaling). The routines themselves are in blit_routines.cpp.
#include "game/graphics/blitter.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "game/graphics/bit_mask.h"
#include "game/graphics/bitmap.h"
#include "game/graphics/blit_routines.h"

namespace {

std::unique_ptr<BlitProducts> gProducts;
std::unique_ptr<BlitTables> gTables;

const BlitTables& Tables() {
  if (!gTables) InitBlitter();
  return *gTables;
}

// The bytes-per-pixel index of a bitmap that can be drawn into, or 0.
int32_t DrawableBytes(const Bitmap& bitmap) {
  int32_t bytes = bitmap.BytesPerPixel();
  if (!bitmap.HasPixels() || bytes < 2 || bytes > 4) return 0;
  return bytes;
}

// A half-open span [start, end) on one axis, in 64 bits so that no sum of 32-bit fields overflows.
struct Span {
  int64_t start;
  int64_t end;
};

// Cuts the span to [low, high) and returns how far its start moved.
int64_t CutSpan(Span& span, int64_t low, int64_t high) {
  int64_t moved = 0;
  if (span.start < low) {
    moved = low - span.start;
    span.start = low;
  }
  span.end = std::min(span.end, high);
  return moved;
}

// The part of rect inside a width x height area; false when nothing is left.
bool ClipRect(Bounds& rect, int32_t width, int32_t height) {
  Span xs{rect.x, int64_t{rect.x} + rect.width};
  Span ys{rect.y, int64_t{rect.y} + rect.height};
  CutSpan(xs, 0, width);
  CutSpan(ys, 0, height);
  if (xs.end <= xs.start || ys.end <= ys.start) return false;
  rect = Bounds{static_cast<int32_t>(xs.start), static_cast<int32_t>(ys.start), static_cast<int32_t>(xs.end - xs.start),
                static_cast<int32_t>(ys.end - ys.start)};
  return true;
}

// Clips a transfer of the area rect of a source (sw x sh) to the point of a destination (dw x dh), moving the
// point and the rectangle together; false when nothing is left.
bool ClipTransfer(Point& point, Bounds& rect, int32_t dw, int32_t dh, int32_t sw, int32_t sh) {
  Span sx{rect.x, int64_t{rect.x} + rect.width};
  Span sy{rect.y, int64_t{rect.y} + rect.height};
  int64_t dx = point.x;
  int64_t dy = point.y;
  dx += CutSpan(sx, 0, sw);
  dy += CutSpan(sy, 0, sh);
  Span tx{dx, dx + (sx.end - sx.start)};
  Span ty{dy, dy + (sy.end - sy.start)};
  sx.start += CutSpan(tx, 0, dw);
  sy.start += CutSpan(ty, 0, dh);
  int64_t width = tx.end - tx.start;
  int64_t height = ty.end - ty.start;
  if (width <= 0 || height <= 0) return false;
  point = Point{static_cast<int32_t>(tx.start), static_cast<int32_t>(ty.start)};
  rect = Bounds{static_cast<int32_t>(sx.start), static_cast<int32_t>(sy.start), static_cast<int32_t>(width),
                static_cast<int32_t>(height)};
  return true;
}

// Every operation that writes a bitmap's pixels says so (Bitmap::PixelsChanged), so that no run table outlives
// the pixels it was made from.
void Changed(Bitmap& bitmap) { bitmap.PixelsChanged(); }

MaskCursor CursorAt(const BitMask& mask, int32_t px, int32_t py) {
  MaskCursor cursor;
  cursor.rowBytes = mask.RowBytes();
  cursor.rowStart = mask.BitData() + int64_t{py} * mask.RowBytes() + px / 8;
  cursor.startBit = px % 8;
  return cursor;
}

void SetMaskBlock(BitMask& mask, int64_t x0, int64_t y0, int64_t x1, int64_t y1) {
  for (int64_t y = y0; y < y1; ++y) {
    for (int64_t x = x0; x < x1; ++x) mask.SetBit(static_cast<int32_t>(x), static_cast<int32_t>(y), true);
  }
}

}  // namespace

const BlitProducts& Products() {
  if (!gProducts) InitBlitter();
  return *gProducts;
}

void InitBlitter() { InitBlitterWith(BestBlitIsa()); }

void InitBlitterWith(BlitIsa isa) {
  auto products = std::make_unique<BlitProducts>();
  for (int32_t a = 0; a < 256; ++a) {
    for (int32_t x = 0; x < 256; ++x) products->alpha[a * 256 + x] = static_cast<uint8_t>(a * x / 255);
  }
  for (int32_t i = 0; i < 32; ++i) products->expand5[i] = static_cast<uint8_t>(i * 255 / 31);
  for (int32_t i = 0; i < 64; ++i) products->expand6[i] = static_cast<uint8_t>(i * 255 / 63);
  auto tables = std::make_unique<BlitTables>();
  FillBlitRoutineTables(*tables, isa);
  gProducts = std::move(products);
  gTables = std::move(tables);
}

void FreeBlitterTables() {
  gTables.reset();
  gProducts.reset();
}

void DrawBitmap(Bitmap& destination, Point point, const Bitmap& source, Bounds rect) {
  if (!DrawableBytes(destination) || !DrawableBytes(source)) return;
  if (!ClipTransfer(point, rect, destination.width, destination.height, source.width, source.height)) return;
  Changed(destination);
  const int32_t index = ((destination.format & 15) << 6) | (source.format & 63);
  Tables().drawTable[index](destination, point, source, rect);
}

void FillRect(Bitmap& bitmap, Bounds rect, DrawColor color) {
  const int32_t bytes = DrawableBytes(bitmap);
  if (!bytes || !ClipRect(rect, bitmap.width, bitmap.height)) return;
  Changed(bitmap);
  uint32_t value = color.Value();
  // Opaque white into a keyed bitmap is stored with alpha 0, so that 4-byte keyed pixels stay transparent.
  if ((bitmap.format & kFormatKeyFlag) && value == 0xFFFFFFFFu) value = 0x00FFFFFFu;
  Tables().fillTable[bytes](bitmap.PixelAt(rect.x, rect.y), value, bitmap.rowBytes, rect.width, rect.height);
}

void FrameRect(Bitmap& bitmap, Bounds rect, DrawColor color) {
  const int32_t right = static_cast<int32_t>(std::clamp<int64_t>(int64_t{rect.x} + rect.width - 1, INT32_MIN, INT32_MAX));
  const int32_t bottom = static_cast<int32_t>(std::clamp<int64_t>(int64_t{rect.y} + rect.height - 1, INT32_MIN, INT32_MAX));
  FillRect(bitmap, Bounds{rect.x, rect.y, rect.width, 1}, color);
  FillRect(bitmap, Bounds{rect.x, bottom, rect.width, 1}, color);
  FillRect(bitmap, Bounds{rect.x, rect.y, 1, rect.height}, color);
  FillRect(bitmap, Bounds{right, rect.y, 1, rect.height}, color);
}

void ShadeRect(Bitmap& bitmap, Bounds rect, int32_t level) {
  const int32_t bytes = DrawableBytes(bitmap);
  if (!bytes || !ClipRect(rect, bitmap.width, bitmap.height)) return;
  Changed(bitmap);
  Tables().shadeTable[bytes](bitmap.PixelAt(rect.x, rect.y), level & 0xFF, bitmap.rowBytes, rect.width, rect.height);
}

void ScaleAlphaRect(Bitmap& bitmap, Bounds rect, int32_t level) {
  const int32_t bytes = DrawableBytes(bitmap);
  if (!bytes || !ClipRect(rect, bitmap.width, bitmap.height)) return;
  Changed(bitmap);
  Tables().scaleAlphaTable[bytes](bitmap.PixelAt(rect.x, rect.y), level & 0xFF, bitmap.rowBytes, rect.width,
                                  rect.height);
}

void FrameEllipse(Bitmap& bitmap, Bounds rect, DrawColor color, int32_t radiusX, int32_t radiusY, bool thick) {
  const int32_t bytes = DrawableBytes(bitmap);
  if (!bytes || radiusX < 2 || radiusY < 2 || rect.width <= 0 || rect.height <= 0) return;
  Changed(bitmap);
  Tables().ellipseTable[bytes](bitmap, rect, color.Value(), radiusX - 1, radiusY - 1, thick);
}

void DrawLine(Bitmap& bitmap, Point from, Point to, DrawColor color) {
  const int32_t bytes = DrawableBytes(bitmap);
  if (!bytes) return;
  Changed(bitmap);
  const LinePixelRoutine plot = Tables().linePixelTable[bytes];
  const uint32_t value = color.Value();
  auto draw = [&](int64_t x, int64_t y) {
    if (x >= 0 && y >= 0 && x < bitmap.width && y < bitmap.height) {
      plot(bitmap.PixelAt(static_cast<int32_t>(x), static_cast<int32_t>(y)), value);
    }
  };
  draw(from.x, from.y);
  const int64_t dx = int64_t{to.x} - from.x;
  const int64_t dy = int64_t{to.y} - from.y;
  const int64_t ax = std::llabs(dx);
  const int64_t ay = std::llabs(dy);
  if (ax == 0 && ay == 0) return;
  // Integer stepping along the major axis with the error term 2 minor - major, the minor axis moving when the
  // term is positive. After t steps the minor axis has moved floor((2 minor t + major - 1) / (2 major)) times, so
  // only the steps whose major coordinate lies inside the bitmap are visited, however far the end points lie.
  auto walk = [&](int64_t majorStart, int64_t majorStep, int64_t majorSize, int64_t minorStart, int64_t minorStep,
                  int64_t majorLength, int64_t minorLength, bool majorIsX) {
    int64_t first = majorStep > 0 ? -majorStart : majorStart - (majorSize - 1);
    int64_t last = majorStep > 0 ? majorSize - 1 - majorStart : majorStart;
    first = std::max<int64_t>(first, 1);
    last = std::min(last, majorLength);
    for (int64_t t = first; t <= last; ++t) {
      const auto moves = static_cast<int64_t>((static_cast<__int128>(2) * minorLength * t + majorLength - 1) /
                                              (static_cast<__int128>(2) * majorLength));
      const int64_t major = majorStart + majorStep * t;
      const int64_t minor = minorStart + minorStep * moves;
      if (majorIsX) {
        draw(major, minor);
      } else {
        draw(minor, major);
      }
    }
  };
  // x-major when the line is wider than tall; y-major otherwise, diagonals included.
  const int64_t sx = dx < 0 ? -1 : 1;
  const int64_t sy = dy < 0 ? -1 : 1;
  if (ay < ax) {
    walk(from.x, sx, bitmap.width, from.y, sy, ax, ay, true);
  } else {
    walk(from.y, sy, bitmap.height, from.x, sx, ay, ax, false);
  }
}

bool GetPixel(DrawColor& color, const Bitmap& bitmap, int32_t x, int32_t y) {
  color = DrawColor{};
  const int32_t bytes = DrawableBytes(bitmap);
  if (!bytes || x < 0 || y < 0 || x >= bitmap.width || y >= bitmap.height) return false;
  color = DrawColor::FromValue(Tables().getPixelTable[bytes](bitmap.PixelAt(x, y)));
  return true;
}

void ScrollRect(Bitmap& bitmap, Bounds rect, int32_t dx, int32_t dy) {
  const int32_t bytes = DrawableBytes(bitmap);
  if (!bytes || !ClipRect(rect, bitmap.width, bitmap.height)) return;
  Changed(bitmap);
  // The rows that stay inside the rectangle (itself inside the bitmap) once moved.
  Span xs{rect.x, int64_t{rect.x} + rect.width};
  Span ys{rect.y, int64_t{rect.y} + rect.height};
  CutSpan(xs, int64_t{rect.x} - dx, int64_t{rect.x} + rect.width - dx);
  CutSpan(ys, int64_t{rect.y} - dy, int64_t{rect.y} + rect.height - dy);
  if (xs.end <= xs.start || ys.end <= ys.start) return;
  const size_t rowLength = static_cast<size_t>(xs.end - xs.start) * bytes;
  const int32_t rows = static_cast<int32_t>(ys.end - ys.start);
  auto copyRow = [&](int32_t k) {
    const int32_t sy = static_cast<int32_t>(ys.start) + k;
    const int32_t sx = static_cast<int32_t>(xs.start);
    std::memmove(bitmap.PixelAt(sx + dx, sy + dy), bitmap.PixelAt(sx, sy), rowLength);
  };
  if (dy > 0) {
    for (int32_t k = rows - 1; k >= 0; --k) copyRow(k);
  } else {
    for (int32_t k = 0; k < rows; ++k) copyRow(k);
  }
}

void ApplyMask(Bitmap& bitmap, Point point, const BitMask& mask, int32_t width, int32_t height) {
  const int32_t bytes = DrawableBytes(bitmap);
  // The area is taken at the same point in the mask's coordinates: it is clipped to the bitmap and to the mask.
  // The bitmap is keyed afterwards whether or not any of the area was left to mask.
  Bounds area{point.x, point.y, width, height};
  if (bytes && mask.BitData() != nullptr && ClipRect(area, bitmap.width, bitmap.height)) {
    Bounds inMask{area.x - mask.Bounds().x, area.y - mask.Bounds().y, area.width, area.height};
    if (ClipRect(inMask, mask.Width(), mask.Height())) {
      Changed(bitmap);
      Tables().applyMaskTable[bytes](bitmap.PixelAt(inMask.x + mask.Bounds().x, inMask.y + mask.Bounds().y),
                                     bitmap.rowBytes, CursorAt(mask, inMask.x, inMask.y), inMask.width,
                                     inMask.height);
    }
  }
  bitmap.format |= kFormatKeyFlag;
}

void BuildMaskFromColour(BitMask& mask, Point maskPoint, const Bitmap& bitmap, Bounds rect, DrawColor color) {
  const int32_t bytes = DrawableBytes(bitmap);
  if (!bytes || mask.BitData() == nullptr) return;
  // The mask point is in the mask's coordinates; the bits are addressed from its origin.
  Point start{maskPoint.x - mask.Bounds().x, maskPoint.y - mask.Bounds().y};
  if (!ClipTransfer(start, rect, mask.Width(), mask.Height(), bitmap.width, bitmap.height)) return;
  Tables().maskFromColourTable[bytes](CursorAt(mask, start.x, start.y), color.Value(),
                                      bitmap.PixelAt(rect.x, rect.y), bitmap.rowBytes, rect.width, rect.height);
}

void ScaleBitMask(BitMask& destination, Bounds destinationRect, const BitMask& source, Bounds sourceRect) {
  if (destination.BitData() == nullptr || source.BitData() == nullptr) return;
  if (destinationRect.width <= 0 || destinationRect.height <= 0 || sourceRect.width <= 0 || sourceRect.height <= 0) {
    return;
  }
  if (destinationRect.width == sourceRect.width) {
    // Same width: the bits are copied as they stand, as many rows and bytes as both masks hold.
    const int64_t rows = std::min(destination.Height(), source.Height());
    const int64_t rowLength = std::min(destination.RowBytes(), source.RowBytes());
    for (int64_t y = 0; y < rows; ++y) {
      std::memcpy(destination.BitData() + y * destination.RowBytes(), source.BitData() + y * source.RowBytes(),
                  static_cast<size_t>(rowLength));
    }
    return;
  }
  const double rx = double(destinationRect.width) / sourceRect.width;
  const double ry = double(destinationRect.height) / sourceRect.height;
  const int64_t ix = static_cast<int64_t>(rx);
  const int64_t iy = static_cast<int64_t>(ry);
  const double fx = rx - ix;
  const double fy = ry - iy;
  const int64_t gx = fx == 0 ? 0 : static_cast<int64_t>(1 / fx);
  const int64_t gy = fy == 0 ? 0 : static_cast<int64_t>(1 / fy);
  // The destination cursor starts at (0, 0) of the destination mask, wherever the destination rectangle lies;
  // blocks end at the rectangle's right and bottom edges, and never pass the destination mask.
  const int64_t right = std::min<int64_t>(int64_t{destinationRect.x} + destinationRect.width, destination.Width());
  const int64_t bottom = std::min<int64_t>(int64_t{destinationRect.y} + destinationRect.height, destination.Height());
  // Source row (or column) k, counted from 1, starts (k - 1) x the whole size plus one for every earlier k that
  // is a multiple of the fraction's period; only the rows and columns inside the source mask are visited.
  auto startOf = [](int64_t k, int64_t whole, int64_t period) {
    return (k - 1) * whole + (period != 0 ? (k - 1) / period : 0);
  };
  auto sizeOf = [](int64_t k, int64_t whole, int64_t period) {
    return (period != 0 && k % period == 0) ? whole + 1 : whole;
  };
  const int64_t firstRow = std::max<int64_t>(1, 1 - int64_t{sourceRect.y});
  const int64_t lastRow = std::min<int64_t>(sourceRect.height, int64_t{source.Height()} - sourceRect.y);
  const int64_t firstColumn = std::max<int64_t>(1, 1 - int64_t{sourceRect.x});
  const int64_t lastColumn = std::min<int64_t>(sourceRect.width, int64_t{source.Width()} - sourceRect.x);
  for (int64_t j = firstRow; j <= lastRow; ++j) {
    const int64_t y = startOf(j, iy, gy);
    if (y >= bottom) break;
    const int64_t rowHeight = sizeOf(j, iy, gy);
    const auto sy = static_cast<int32_t>(sourceRect.y + j - 1);
    for (int64_t l = firstColumn; l <= lastColumn; ++l) {
      const int64_t x = startOf(l, ix, gx);
      if (x >= right) break;
      if (source.GetBit(static_cast<int32_t>(sourceRect.x + l - 1), sy)) {
        SetMaskBlock(destination, std::max<int64_t>(x, 0), std::max<int64_t>(y, 0),
                     std::min(x + sizeOf(l, ix, gx), right), std::min(y + rowHeight, bottom));
      }
    }
  }
}

void ConvertPixels(int32_t destinationBytes, int32_t sourceCode, uint8_t* destination, const uint8_t* source,
                   int64_t destinationRowBytes, int64_t sourceRowBytes, int32_t width, int32_t height) {
  if (destination == nullptr || source == nullptr || width <= 0 || height <= 0) return;
  if (destinationBytes < 0 || destinationBytes > 7 || sourceCode < 0 || sourceCode > 63) return;
  Tables().convertTable[(destinationBytes << 6) | sourceCode](destination, source, destinationRowBytes,
                                                              sourceRowBytes, width, height);
}
