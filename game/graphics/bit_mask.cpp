// BitMask and the split of a mask into rectangles.
#include "game/graphics/bit_mask.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "game/graphics/bitmap.h"
#include "host/gdi.h"

bool BitMask::Allocate(int32_t width, int32_t height, bool fill) {
  bounds_ = usedBounds_ = ::Bounds{};
  rowBytes_ = 0;
  if (width <= 0 || height <= 0) return false;
  const int64_t rowBytes = (int64_t{width} + 7) / 8;
  if (!bits_.Allocate(static_cast<uint64_t>(rowBytes) * static_cast<uint64_t>(height), !fill)) return false;
  if (fill) std::memset(bits_.Data(), 0xFF, static_cast<size_t>(bits_.Size()));
  rowBytes_ = static_cast<int32_t>(rowBytes);
  bounds_ = usedBounds_ = ::Bounds{0, 0, width, height};
  return true;
}

BitMask::BitMask(int32_t width, int32_t height, bool fill) { Allocate(width, height, fill); }

// The mask takes a block only when it holds the mask's rows; a shorter one is copied into rows of the mask's own
// size, the rest clear, since reading the mask's bits would otherwise run past its end.
BitMask::BitMask(int32_t width, int32_t height, MemHandle& bits, bool adopt) {
  const uint64_t needed = width > 0 && height > 0 ? static_cast<uint64_t>((int64_t{width} + 7) / 8) * height : 0;
  if (adopt && needed > 0 && bits.Size() >= needed) {
    if (bits_.Adopt(bits)) {
      rowBytes_ = static_cast<int32_t>((int64_t{width} + 7) / 8);
      bounds_ = usedBounds_ = ::Bounds{0, 0, width, height};
    }
    return;
  }
  if (!Allocate(width, height, false)) return;
  const uint64_t available = std::min<uint64_t>(bits.Size(), needed);
  if (available > 0) {
    std::memcpy(bits_.Data(), bits.Lock(), static_cast<size_t>(available));
    bits.Unlock();
  }
  if (adopt) bits.Free();
}

BitMask::BitMask(int32_t width, int32_t height, const BitMask& source) {
  if (!Allocate(width, height, false)) return;
  ScaleBitMask(*this, ::Bounds{0, 0, width, height}, source, ::Bounds{0, 0, source.Width(), source.Height()});
}

BitMask::BitMask(const Bitmap& bitmap, DrawColor color) {
  if (!Allocate(bitmap.width, bitmap.height, false)) return;
  BuildMaskFromColour(*this, Point{0, 0}, bitmap, ::Bounds{0, 0, bitmap.width, bitmap.height}, color);
  ComputeUsedBounds();
}

uint8_t* BitMask::Lock() {
  locked_ = true;
  return bits_.Lock();
}

void BitMask::Unlock() {
  bits_.Unlock();
  locked_ = false;
}

// The used bounds are kept relative to the origin (as ComputeUsedBounds finds them and TestPixel reads them), so
// moving the origin leaves them as they are. Setting their x and y to the origin as well would move the box of set
// bits away from the bits themselves, and TestPixel would then answer false for set bits and read clear ones.
void BitMask::SetOrigin(int32_t x, int32_t y) {
  bounds_.x = x;
  bounds_.y = y;
}

bool BitMask::GetBit(int32_t px, int32_t py) const {
  if (px < 0 || py < 0 || px >= bounds_.width || py >= bounds_.height) return false;
  return (bits_.Data()[int64_t{py} * rowBytes_ + px / 8] >> (px % 8)) & 1;
}

void BitMask::SetBit(int32_t px, int32_t py, bool set) {
  if (px < 0 || py < 0 || px >= bounds_.width || py >= bounds_.height) return;
  uint8_t& byte = bits_.Data()[int64_t{py} * rowBytes_ + px / 8];
  const uint8_t bit = static_cast<uint8_t>(1u << (px % 8));
  byte = static_cast<uint8_t>(set ? (byte | bit) : (byte & ~bit));
}

void BitMask::Invert() {
  if (bits_.IsNull()) return;
  // Whole bytes flip at once; the bits past the width in the last byte of a row are left as they were.
  const int32_t wholeBytes = bounds_.width / 8;
  const int32_t restBits = bounds_.width % 8;
  for (int32_t y = 0; y < bounds_.height; ++y) {
    uint8_t* row = bits_.Data() + int64_t{y} * rowBytes_;
    for (int32_t i = 0; i < wholeBytes; ++i) row[i] = static_cast<uint8_t>(~row[i]);
    if (restBits) row[wholeBytes] ^= static_cast<uint8_t>((1u << restBits) - 1);
  }
}

void BitMask::ComputeUsedBounds() {
  if (bits_.IsNull()) return;
  int32_t left = bounds_.width, top = bounds_.height, right = 0, bottom = 0;
  for (int32_t y = 0; y < bounds_.height; ++y) {
    for (int32_t x = 0; x < bounds_.width; ++x) {
      if (!GetBit(x, y)) continue;
      left = std::min(left, x);
      right = std::max(right, x);
      top = std::min(top, y);
      bottom = std::max(bottom, y);
    }
  }
  // Only a box of more than one column and more than one row replaces the used bounds: set bits in a single row
  // or a single column leave them as they were. With no set bit the smallest and largest stay at their starting
  // values, giving the empty box {width, height, 1 - width, 1 - height}.
  if (left != right && top != bottom) {
    usedBounds_ = ::Bounds{left, top, right - left + 1, bottom - top + 1};
  }
}

bool BitMask::TestPixel(int32_t x, int32_t y) const {
  if (bits_.IsNull()) return false;
  const int64_t px = int64_t{x} - bounds_.x;
  const int64_t py = int64_t{y} - bounds_.y;
  const int64_t ux = usedBounds_.x;
  const int64_t uy = usedBounds_.y;
  // Both edges of the used bounds count as inside; the read itself never leaves the mask.
  if (px < ux || px > ux + usedBounds_.width || py < uy || py > uy + usedBounds_.height) return false;
  if (px >= bounds_.width || py >= bounds_.height || px < 0 || py < 0) return false;
  return GetBit(static_cast<int32_t>(px), static_cast<int32_t>(py));
}

int32_t ClassifyMaskRect(Bounds rect, const BitMask& mask) {
  if (rect.width <= 0 || rect.height <= 0 || mask.BitData() == nullptr) return kMaskRectNoneSet;
  // Only the part inside the mask is counted; positions outside it hold no set bit.
  const int64_t x0 = std::max<int64_t>(int64_t{rect.x} - mask.Bounds().x, 0);
  const int64_t y0 = std::max<int64_t>(int64_t{rect.y} - mask.Bounds().y, 0);
  const int64_t x1 = std::min<int64_t>(int64_t{rect.x} - mask.Bounds().x + rect.width, mask.Width());
  const int64_t y1 = std::min<int64_t>(int64_t{rect.y} - mask.Bounds().y + rect.height, mask.Height());
  int64_t set = 0;
  for (int64_t y = y0; y < y1; ++y) {
    for (int64_t x = x0; x < x1; ++x) set += mask.GetBit(static_cast<int32_t>(x), static_cast<int32_t>(y)) ? 1 : 0;
  }
  if (set == 0) return kMaskRectNoneSet;
  if (set == int64_t{rect.width} * rect.height) return kMaskRectAllSet;
  return kMaskRectMixed;
}

namespace {

// Adds rectangles to a region in one step: a region built from all of them, OR-ed in.
bool AddRectangles(HRGN region, const std::vector<Bounds>& rects) {
  if (rects.empty()) return true;
  std::vector<uint8_t> buffer(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
  RGNDATAHEADER header{};
  header.dwSize = sizeof(RGNDATAHEADER);
  header.iType = RDH_RECTANGLES;
  header.nCount = static_cast<DWORD>(rects.size());
  header.nRgnSize = static_cast<DWORD>(rects.size() * sizeof(RECT));
  std::memcpy(buffer.data(), &header, sizeof header);
  for (size_t i = 0; i < rects.size(); ++i) {
    const RECT rect{rects[i].x, rects[i].y, rects[i].x + rects[i].width, rects[i].y + rects[i].height};
    std::memcpy(buffer.data() + sizeof(RGNDATAHEADER) + i * sizeof(RECT), &rect, sizeof rect);
  }
  HRGN part = ExtCreateRegion(nullptr, static_cast<DWORD>(buffer.size()), reinterpret_cast<const RGNDATA*>(buffer.data()));
  if (part == nullptr) return false;
  const int result = CombineRgn(region, region, part, RGN_OR);
  DeleteObject(part);
  return result != ERROR;
}

void AddClassified(const MaskRectSink& sink, Bounds rect, const BitMask& mask) {
  switch (ClassifyMaskRect(rect, mask)) {
    case kMaskRectAllSet:
      sink(rect);
      break;
    case kMaskRectMixed:
      SplitMaskRect(sink, rect, mask);
      break;
    default:
      break;
  }
}

}  // namespace

void SplitMaskRect(const MaskRectSink& sink, Bounds rect, const BitMask& mask) {
  const int32_t hw = rect.width / 2;
  const int32_t hh = rect.height / 2;
  const int32_t oddW = rect.width % 2;
  const int32_t oddH = rect.height % 2;
  AddClassified(sink, Bounds{rect.x, rect.y, hw, hh}, mask);
  AddClassified(sink, Bounds{rect.x + hw, rect.y, hw + oddW, hh}, mask);
  AddClassified(sink, Bounds{rect.x + hw, rect.y + hh, hw + oddW, hh + oddH}, mask);
  AddClassified(sink, Bounds{rect.x, rect.y + hh, hw, hh + oddH}, mask);
}

void MaskToRectangles(const MaskRectSink& sink, const BitMask& mask) {
  AddClassified(sink, mask.Bounds(), mask);
}

void BitmapToMaskRectangles(const MaskRectSink& transparent, const MaskRectSink& opaque, const Bitmap& bitmap) {
  if (!(bitmap.format & (kFormatKeyFlag | kFormatAlphaFlag))) {
    if (bitmap.width > 0 && bitmap.height > 0) opaque(Bounds{0, 0, bitmap.width, bitmap.height});
    return;
  }
  BitMask mask(bitmap, DrawColor{0xFF, 0xFF, 0xFF, 0xFF});
  mask.Lock();
  MaskToRectangles(opaque, mask);
  mask.Invert();
  MaskToRectangles(transparent, mask);
  mask.Unlock();
}

bool MaskToRegion(HRGN transparent, HRGN opaque, const Bitmap& bitmap) {
  if (transparent == nullptr || opaque == nullptr) return false;
  if (!(bitmap.format & (kFormatKeyFlag | kFormatAlphaFlag))) {
    const bool emptied = CombineRgn(transparent, transparent, transparent, RGN_XOR) != ERROR;
    return SetRectRgn(opaque, 0, 0, std::max(bitmap.width, 0), std::max(bitmap.height, 0)) && emptied;
  }
  std::vector<Bounds> transparentRects, opaqueRects;
  BitmapToMaskRectangles([&](const Bounds& r) { transparentRects.push_back(r); },
                         [&](const Bounds& r) { opaqueRects.push_back(r); }, bitmap);
  const bool opaqueAdded = AddRectangles(opaque, opaqueRects);
  return AddRectangles(transparent, transparentRects) && opaqueAdded;
}
