// The GDI copy path (see gdi_copy.h).
#include "platform/graphics/gdi_copy.h"

#include <memory>

#include "host/gdi.h"
#include "platform/graphics/copy_bits.h"
#include "platform/graphics/dib_record.h"
#include "platform/graphics/graphics_world.h"

namespace {

// The raster operation "destination AND NOT source".
constexpr DWORD kRopDestinationAndNotSource = 0x00220326u;

const BITMAPINFO* InfoOf(const DibRecord* record) { return reinterpret_cast<const BITMAPINFO*>(&record->info); }

int32_t DibHeight(const DibRecord* record) {
  const LONG h = record->info.bmiHeader.biHeight;
  return h < 0 ? -h : h;
}

// A memory DC compatible with dc holding a new bitmap; both are released by the destructor, the DC's own bitmap
// selected back first.
class ScratchBitmap {
 public:
  ScratchBitmap(HDC compatibleWith, HBITMAP bitmap) : bitmap_(bitmap) {
    dc_ = CreateCompatibleDC(compatibleWith);
    if (dc_ && bitmap_) previous_ = SelectObject(dc_, bitmap_);
  }
  ~ScratchBitmap() {
    if (dc_ && previous_) SelectObject(dc_, previous_);
    if (dc_) DeleteDC(dc_);
    if (bitmap_) DeleteObject(bitmap_);
  }
  ScratchBitmap(const ScratchBitmap&) = delete;
  ScratchBitmap& operator=(const ScratchBitmap&) = delete;
  bool ok() const { return dc_ && bitmap_ && previous_; }
  HDC dc() const { return dc_; }
  HBITMAP bitmap() const { return bitmap_; }
  // Takes the bitmap out of the DC (GDI reads a bitmap into memory only while it is selected nowhere).
  void Deselect() {
    if (dc_ && previous_) SelectObject(dc_, previous_);
    previous_ = nullptr;
  }

 private:
  HBITMAP bitmap_;
  HDC dc_ = nullptr;
  HGDIOBJ previous_ = nullptr;
};

struct RecordDeleter {
  void operator()(DibRecord* record) const { DibRecord::Release(record); }
};

// Copies the destination rect of dc into a new memory-only record of the source rect's size, blends the source
// through the mask into it by copy bits, and returns it (null with *error set on failure).
DibRecord* BlendThroughReadBack(HDC dc, const Rect& d, DibRecord* source, DibRecord* mask, const Rect& s,
                                PlatformError* error) {
  const int32_t sw = static_cast<int32_t>(s.Width()), sh = static_cast<int32_t>(s.Height());
  const int32_t dw = static_cast<int32_t>(d.Width()), dh = static_cast<int32_t>(d.Height());
  const UINT bits = GetDeviceCaps(dc, BITSPIXEL) >= 17 ? 24 : 16;
  // The destination is always read through a blit from its own position, whatever kind of DC it is. Reading a
  // memory DC's own bitmap instead takes its top-left rows, not the destination rect's: a rect away from (0, 0)
  // would be blended over the wrong pixels.
  ScratchBitmap scratch(dc, CreateBitmap(sw, sh, 1, bits, nullptr));
  if (!scratch.ok()) {
    *error = kPlatformErrNoMemory;
    return nullptr;
  }
  GdiFlush();
  if (sw != dw || sh != dh) {
    StretchBlt(scratch.dc(), 0, 0, sw, sh, dc, d.left, d.top, dw, dh, SRCCOPY);
  } else {
    BitBlt(scratch.dc(), 0, 0, sw, sh, dc, d.left, d.top, SRCCOPY);
  }
  const Rect area{0, 0, sw, sh};
  DibRecord* readBack = DibRecord::Create(nullptr, &area, bits, nullptr, false, error);
  if (!readBack) return nullptr;
  scratch.Deselect();
  if (GetDIBits(scratch.dc(), scratch.bitmap(), 0, static_cast<UINT>(sh), readBack->bits,
                reinterpret_cast<BITMAPINFO*>(&readBack->info), DIB_RGB_COLORS) == 0) {
    DibRecord::Release(readBack);
    *error = kPlatformErrGraphics;
    return nullptr;
  }
  WrappedDibWorld sourceWorld, maskWorld, readBackWorld;
  PlatformWorld* src = PlatformWorld::WrapDib(source, &sourceWorld);
  PlatformWorld* msk = PlatformWorld::WrapDib(mask, &maskWorld);
  PlatformWorld* dst = PlatformWorld::WrapDib(readBack, &readBackWorld);
  *error = !src || !msk || !dst ? kPlatformErrBadData : PlatformCopyBits(dst, nullptr, 0, src, msk, nullptr, &s);
  if (*error != kPlatformNoError) {
    DibRecord::Release(readBack);
    return nullptr;
  }
  return readBack;
}

// A plain copy of the source rect of a DIB to the destination rect of dc.
PlatformError TransferDib(HDC dc, const Rect& d, const DibRecord* source, const Rect& s) {
  if (!GdiFlush()) return kPlatformErrGraphics;
  const int32_t sw = static_cast<int32_t>(s.Width()), sh = static_cast<int32_t>(s.Height());
  const int32_t dw = static_cast<int32_t>(d.Width()), dh = static_cast<int32_t>(d.Height());
  const int32_t height = DibHeight(source);
  int done;
  if (sw != dw || sh != dh || GetMapMode(dc) != MM_TEXT) {
    // Start at the source rect's top row, describing only the rows from there on, so that the header never
    // claims memory past the end of the pixels.
    BitmapInfo256 info = source->info;
    const int64_t rowBytes = PixelRowBytes(info.bmiHeader.biWidth, info.bmiHeader.biBitCount);
    const int32_t top = s.top < 0 ? 0 : (s.top > height ? height : s.top);
    info.bmiHeader.biHeight = -(height - top);
    done = StretchDIBits(dc, d.left, d.top, dw, dh, s.left, 0, sw, sh, source->bits + top * rowBytes,
                         reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS, SRCCOPY);
  } else {
    done = SetDIBitsToDevice(dc, d.left, d.top, static_cast<DWORD>(dw), static_cast<DWORD>(dh), s.left,
                             height - sh - s.top, 0, static_cast<UINT>(height), source->bits, InfoOf(source),
                             DIB_RGB_COLORS);
  }
  return done == 0 ? kPlatformErrGraphics : kPlatformNoError;
}

// The key's pixels are cut out of the destination by a monochrome mask, the other pixels painted in.
PlatformError TransferKeyed(HDC dc, const Rect& d, const DibRecord* source, const TransferMode* mode, const Rect& s) {
  const int32_t sw = static_cast<int32_t>(s.Width()), sh = static_cast<int32_t>(s.Height());
  const int32_t dw = static_cast<int32_t>(d.Width()), dh = static_cast<int32_t>(d.Height());
  const int32_t height = DibHeight(source);
  ScratchBitmap colour(dc, CreateCompatibleBitmap(dc, sw, sh));
  if (!colour.ok()) return kPlatformErrNoMemory;
  ScratchBitmap mono(colour.dc(), CreateBitmap(sw, sh, 1, 1, nullptr));
  if (!mono.ok()) return kPlatformErrNoMemory;
  if (!GdiFlush()) return kPlatformErrGraphics;
  if (SetDIBitsToDevice(colour.dc(), 0, 0, static_cast<DWORD>(sw), static_cast<DWORD>(sh), s.left, height - sh - s.top,
                        0, static_cast<UINT>(height), source->bits, InfoOf(source), DIB_RGB_COLORS) == 0) {
    return kPlatformErrGraphics;
  }
  if (SetBkColor(colour.dc(), ColorKeyColorRef(source, mode)) == CLR_INVALID) return kPlatformErrGraphics;
  if (!GdiFlush()) return kPlatformErrGraphics;
  BitBlt(mono.dc(), 0, 0, sw, sh, colour.dc(), 0, 0, SRCCOPY);                      // key pixels become 1
  BitBlt(colour.dc(), 0, 0, sw, sh, mono.dc(), 0, 0, kRopDestinationAndNotSource);  // key pixels become black
  if (sw != dw || sh != dh) {
    StretchBlt(dc, d.left, d.top, dw, dh, mono.dc(), 0, 0, sw, sh, SRCAND);
    StretchBlt(dc, d.left, d.top, dw, dh, colour.dc(), 0, 0, sw, sh, SRCPAINT);
  } else {
    BitBlt(dc, d.left, d.top, dw, dh, mono.dc(), 0, 0, SRCAND);
    BitBlt(dc, d.left, d.top, dw, dh, colour.dc(), 0, 0, SRCPAINT);
  }
  return kPlatformNoError;
}

}  // namespace

COLORREF ColorKeyColorRef(const DibRecord* source, const TransferMode* mode) {
  PixelChannels channels;
  if (PlatformPixelFormat(FormatFromDibHeader(&source->info), &channels) == 1) {
    const RGBQUAD& q = source->info.bmiColors[mode->value[0]];
    return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
  }
  const ColorRecord key{mode->value[0], mode->value[1], mode->value[2], mode->value[3]};
  return ColorRecord::GetColorRef(&key);
}

PlatformError PlatformCopyBitsGdi(HDC dc, const Rect* destinationRect, DibRecord* source, DibRecord* mask,
                                  const TransferMode* mode, const Rect* sourceRect) {
  if (!dc || !destinationRect || !source || !sourceRect) return kPlatformErrBadData;
  const Rect d = *destinationRect;
  const Rect s = *sourceRect;
  if (Rect::IsEmpty(&d) || Rect::IsEmpty(&s)) return kPlatformNoError;
  int32_t kind = mode ? mode->kind : (mask ? kTransferBlendMask : kTransferCopy);
  if (mode && (kind == kTransferBlendLevel || kind == kTransferBlendMaskLevel)) {
    const uint8_t level = mode->value[0];
    if (level == 0) return kPlatformNoError;
    if (level == 255) kind = kind == kTransferBlendLevel ? kTransferCopy : kTransferBlendMask;
  }
  switch (kind) {
    case kTransferCopy: return TransferDib(dc, d, source, s);
    case kTransferBlendMask: {
      if (!mask) return kPlatformErrBadData;
      PlatformError error = kPlatformNoError;
      std::unique_ptr<DibRecord, RecordDeleter> readBack(BlendThroughReadBack(dc, d, source, mask, s, &error));
      if (!readBack) return error;
      const Rect whole{0, 0, static_cast<int32_t>(s.Width()), static_cast<int32_t>(s.Height())};
      return TransferDib(dc, d, readBack.get(), whole);
    }
    case kTransferColorKey: return TransferKeyed(dc, d, source, mode, s);
    default:
      // Blends by source alpha or by a level need the destination's pixels, which this path does not read. They
      // draw nothing and say so: success would report a drawing that never happened.
      return kPlatformErrUndefinedKind;
  }
}
