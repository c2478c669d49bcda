// Pixel transfers onto device contexts: BitBlt, StretchBlt, SetDIBitsToDevice and StretchDIBits.
//
// Every transfer maps each destination pixel to one source pixel (nearest sampling: shrinking drops pixels,
// stretching repeats them; a negative extent on one side mirrors), converts it to the destination's layout and
// combines it with the destination by the raster operation. Destination pixels whose source lies outside the
// source are left alone. Drawing stays inside the destination and its clip region.
//
// Row rules for caller DIBs. SetDIBitsToDevice measures the source rectangle from the lower-left corner of the
// whole image, for bottom-up and top-down DIBs alike: its top row is image row (height - ySrc - rows) counted from
// the top. StretchDIBits measures it from the lower-left corner for bottom-up DIBs and from the upper-left corner
// for top-down ones. The scan-line band of SetDIBitsToDevice follows memory order as described for GetDIBits.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "gdi_internal.h"
#include "gdi_rows.h"

using namespace host::gdi;

namespace {

// One axis of a transfer: the destination interval and the source coordinate each of its pixels takes.
struct Axis {
  int64_t destLow = 0;
  int64_t destCount = 0;
  int64_t srcLow = 0;
  int64_t srcCount = 0;
  bool mirrored = false;

  int64_t Source(int64_t d) const {
    // Equal extents skip the division (and its product, which would not fit 64 bits for the widest extents).
    const int64_t k = srcCount == destCount ? d - destLow : (d - destLow) * srcCount / destCount;
    return mirrored ? srcLow + srcCount - 1 - k : srcLow + k;
  }
  bool Identity() const { return srcCount == destCount && !mirrored; }
};

Axis MakeAxis(int64_t destStart, int64_t destExtent, int64_t srcStart, int64_t srcExtent) {
  Axis a;
  a.destLow = destExtent >= 0 ? destStart : destStart + destExtent;
  a.destCount = destExtent >= 0 ? destExtent : -destExtent;
  a.srcLow = srcExtent >= 0 ? srcStart : srcStart + srcExtent;
  a.srcCount = srcExtent >= 0 ? srcExtent : -srcExtent;
  a.mirrored = (destExtent < 0) != (srcExtent < 0);
  return a;
}

struct Transfer {
  DeviceContext* dest = nullptr;
  const PixelView* source = nullptr;  // null for operations without a source
  const PixelConverter* convert = nullptr;
  Axis x;
  Axis y;  // destination coordinates are device pixels
  uint8_t rop = 0xCC;
};

void RunSpan(const Transfer& t, const PixelView& dst, int32_t y, int32_t x0, int32_t x1) {
  const int dstBits = dst.layout->bitCount;
  const uint32_t keep = dstBits >= 32 ? 0xFFFFFFFFu : (1u << dstBits) - 1;
  uint8_t* dstRow = dst.Row(y);
  const uint8_t* srcRow = nullptr;
  int srcBits = 0;
  if (t.source != nullptr) {
    const int64_t sy = t.y.Source(y);
    if (sy < 0 || sy >= t.source->height) return;
    srcRow = t.source->Row(static_cast<int32_t>(sy));
    srcBits = t.source->layout->bitCount;
  }
  const bool sameFormat = t.source != nullptr && t.convert->IsIdentity() && srcBits == dstBits;
  const bool widened = t.source != nullptr && t.convert->IsIdentity() && srcBits == 24 && dstBits == 32;
  if (t.x.Identity() && dstBits >= 8 && (sameFormat || widened)) {
    // Whole pixels one for one: the part of the span the source covers is worked as a row of bytes.
    const int64_t s0 = std::max<int64_t>(t.x.Source(x0), 0);
    const int64_t s1 = std::min<int64_t>(t.x.Source(x1 - 1) + 1, t.source->width);
    if (s0 >= s1) return;
    const int64_t d0 = x0 + (s0 - t.x.Source(x0));
    const size_t count = static_cast<size_t>(s1 - s0);
    const size_t bytes = static_cast<size_t>(dstBits / 8);
    uint8_t* to = dstRow + d0 * static_cast<int64_t>(bytes);
    const RowSteps& steps = BestRowSteps();
    if (sameFormat) {
      if (t.rop == 0xCC) {
        std::memmove(to, srcRow + s0 * static_cast<int64_t>(bytes), count * bytes);
      } else {
        steps.rop(t.rop, to, srcRow + s0 * static_cast<int64_t>(bytes), count * bytes);
      }
      return;
    }
    // 24-bit pixels hold the same 0x00RRGGBB values as the 32-bit words they become.
    const uint8_t* from = srcRow + s0 * 3;
    if (t.rop == 0xCC && reinterpret_cast<uintptr_t>(to) % alignof(uint32_t) == 0) {
      steps.widen24(reinterpret_cast<uint32_t*>(to), from, count);
      return;
    }
    thread_local std::vector<uint32_t> words;
    words.resize(count);
    steps.widen24(words.data(), from, count);
    if (t.rop == 0xCC) {
      std::memcpy(to, words.data(), count * 4);
    } else {
      steps.rop(t.rop, to, reinterpret_cast<const uint8_t*>(words.data()), count * 4);
    }
    return;
  }
  for (int32_t x = x0; x < x1; ++x) {
    uint32_t s = 0;
    if (t.source != nullptr) {
      const int64_t sx = t.x.Source(x);
      if (sx < 0 || sx >= t.source->width) continue;
      s = (*t.convert)(ReadPixel(srcRow, static_cast<int32_t>(sx), srcBits));
    }
    const uint32_t out = t.rop == 0xCC ? s : ApplyRop(t.rop, s, ReadPixel(dstRow, x, dstBits));
    WritePixel(dstRow, x, dstBits, out & keep);
  }
}

void Run(const Transfer& t) {
  PixelView dst;
  if (t.x.destCount == 0 || t.y.destCount == 0 || !t.dest->Target(&dst)) return;
  if (t.source != nullptr && (t.x.srcCount == 0 || t.y.srcCount == 0)) return;
  Region clip;
  bool hasClip = false;
  RECT box = t.dest->DrawableBox(&clip, &hasClip);
  box.left = static_cast<LONG>(std::clamp<int64_t>(t.x.destLow, box.left, box.right));
  box.right = static_cast<LONG>(std::clamp<int64_t>(t.x.destLow + t.x.destCount, box.left, box.right));
  box.top = static_cast<LONG>(std::clamp<int64_t>(t.y.destLow, box.top, box.bottom));
  box.bottom = static_cast<LONG>(std::clamp<int64_t>(t.y.destLow + t.y.destCount, box.top, box.bottom));
  if (box.left >= box.right || box.top >= box.bottom) return;
  if (hasClip) {
    // Each piece is marked drawn by itself, so that the window shows again only what was drawn.
    for (const RECT& r : clip.Rects()) {
      const LONG left = std::max(r.left, box.left), right = std::min(r.right, box.right);
      const LONG top = std::max(r.top, box.top), bottom = std::min(r.bottom, box.bottom);
      if (left >= right || top >= bottom) continue;
      for (LONG y = top; y < bottom; ++y) RunSpan(t, dst, y, left, right);
      t.dest->MarkDrawn(RECT{left, top, right, bottom});
    }
  } else {
    for (LONG y = box.top; y < box.bottom; ++y) RunSpan(t, dst, y, box.left, box.right);
    t.dest->MarkDrawn(box);
  }
}

// A copy of a view's pixels, for transfers whose source and destination share memory.
struct ViewCopy {
  std::vector<uint8_t> bytes;
  PixelView view;
};

void CopyView(const PixelView& from, ViewCopy* copy) {
  const size_t rowBytes = DibStride(from.width, from.layout->bitCount);
  copy->bytes.resize(rowBytes * static_cast<size_t>(from.height));
  for (int32_t y = 0; y < from.height; ++y) std::memcpy(&copy->bytes[rowBytes * y], from.Row(y), rowBytes);
  copy->view = from;
  copy->view.top = copy->bytes.data();
  copy->view.step = static_cast<ptrdiff_t>(rowBytes);
}

BOOL StretchBetweenDCs(HDC destHandle, int xDest, int yDest, int destWidth, int destHeight, HDC srcHandle, int xSrc,
                       int ySrc, int srcWidth, int srcHeight, DWORD rop) {
  auto lock = LockObjects();
  DeviceContext* dest = Find<DeviceContext>(destHandle);
  const uint8_t index = RopIndex(rop);
  if (dest == nullptr || RopUsesPattern(index)) return FALSE;
  Transfer t;
  t.dest = dest;
  t.rop = index;
  const int64_t dx = int64_t{xDest} + dest->state.viewportOrigin.x;
  const int64_t dy = int64_t{yDest} + dest->state.viewportOrigin.y;
  PixelView source;
  ViewCopy copy;
  std::unique_ptr<PixelConverter> convert;
  if (RopUsesSource(index)) {
    DeviceContext* src = Find<DeviceContext>(srcHandle);
    if (src == nullptr || !src->Target(&source)) return FALSE;
    PixelView target;
    if (dest->Target(&target) && target.top == source.top) {
      CopyView(source, &copy);
      source = copy.view;
    }
    convert = std::make_unique<PixelConverter>(*source.layout, target.layout ? *target.layout : *source.layout, true,
                                               src->state.backColor, dest->state.textColor, dest->state.backColor);
    t.source = &source;
    t.convert = convert.get();
    t.x = MakeAxis(dx, destWidth, int64_t{xSrc} + src->state.viewportOrigin.x, srcWidth);
    t.y = MakeAxis(dy, destHeight, int64_t{ySrc} + src->state.viewportOrigin.y, srcHeight);
  } else {
    t.x = MakeAxis(dx, destWidth, 0, destWidth);
    t.y = MakeAxis(dy, destHeight, 0, destHeight);
  }
  Run(t);
  return TRUE;
}

// Draws (part of) a caller's DIB. `view` holds the available rows; the source rectangle is in its coordinates.
void DrawDib(DeviceContext* dest, const DibDescription& dib, const PixelView& view, int64_t xDest, int64_t yDest,
             int64_t destWidth, int64_t destHeight, int64_t xSrc, int64_t ySrc, int64_t srcWidth, int64_t srcHeight,
             uint8_t rop) {
  PixelView target;
  if (!dest->Target(&target)) return;
  const PixelConverter convert(dib.layout, *target.layout, false, 0, dest->state.textColor, dest->state.backColor);
  Transfer t;
  t.dest = dest;
  t.source = &view;
  t.convert = &convert;
  t.rop = rop;
  t.x = MakeAxis(xDest + dest->state.viewportOrigin.x, destWidth, xSrc, srcWidth);
  t.y = MakeAxis(yDest + dest->state.viewportOrigin.y, destHeight, ySrc, srcHeight);
  Run(t);
}

}  // namespace

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, DWORD rop) {
  return StretchBetweenDCs(dest, x, y, width, height, src, xSrc, ySrc, width, height, rop);
}

BOOL StretchBlt(HDC dest, int xDest, int yDest, int destWidth, int destHeight, HDC src, int xSrc, int ySrc,
                int srcWidth, int srcHeight, DWORD rop) {
  return StretchBetweenDCs(dest, xDest, yDest, destWidth, destHeight, src, xSrc, ySrc, srcWidth, srcHeight, rop);
}

int SetDIBitsToDevice(HDC hdc, int xDest, int yDest, DWORD width, DWORD height, int xSrc, int ySrc, UINT startScan,
                      UINT scanLines, const void* bits, const BITMAPINFO* info, UINT usage) {
  DibDescription dib;
  if (bits == nullptr || !DescribeDib(info, usage, &dib)) return 0;
  auto lock = LockObjects();
  DeviceContext* dest = Find<DeviceContext>(hdc);
  if (dest == nullptr || startScan >= static_cast<UINT>(dib.height)) return 0;
  const auto rows = static_cast<int32_t>(std::min<uint64_t>(scanLines, uint64_t(dib.height) - startScan));
  if (rows == 0) return 0;
  // The band's top row, counted from the top of the whole image.
  const int64_t bandTop = dib.topDown ? int64_t{startScan} : int64_t{dib.height} - startScan - rows;
  const int64_t srcTop = int64_t{dib.height} - ySrc - int64_t{height};
  const PixelView view = DibRows(dib, bits, rows);
  DrawDib(dest, dib, view, xDest, yDest, width, height, xSrc, srcTop - bandTop, width, height, 0xCC);
  return rows;
}

int StretchDIBits(HDC hdc, int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc, int srcWidth,
                  int srcHeight, const void* bits, const BITMAPINFO* info, UINT usage, DWORD rop) {
  DibDescription dib;
  if (bits == nullptr || !DescribeDib(info, usage, &dib)) return 0;
  const uint8_t index = RopIndex(rop);
  if (RopUsesPattern(index)) return 0;
  auto lock = LockObjects();
  DeviceContext* dest = Find<DeviceContext>(hdc);
  if (dest == nullptr || destWidth == 0 || destHeight == 0 || srcWidth == 0 || srcHeight == 0) return 0;
  const int64_t srcTop = dib.topDown ? int64_t{ySrc} : int64_t{dib.height} - ySrc - srcHeight;
  const PixelView view = DibRows(dib, bits, dib.height);
  DrawDib(dest, dib, view, xDest, yDest, destWidth, destHeight, xSrc, srcTop, srcWidth, srcHeight, index);
  const int64_t lines = srcHeight < 0 ? -int64_t{srcHeight} : int64_t{srcHeight};
  return static_cast<int>(std::min<int64_t>(lines, INT32_MAX));
}
