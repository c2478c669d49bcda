// Bitmaps: DIB sections, device bitmaps (colour and monochrome), their colour tables, and the copies between a
// bitmap and a caller's DIB (GetDIBits, SetDIBits).
//
// Scan lines of a caller's DIB are numbered in its memory order: for a bottom-up DIB scan line 0 is the bottom row
// of the bitmap, for a top-down DIB the top row. A band of scan lines starting at `startScan` is copied to or from
// the buffer, whose first row is the band's first scan line.
#include <algorithm>
#include <cstring>

#include "gdi_internal.h"

namespace host::gdi {

PixelView Bitmap::View() const {
  PixelView view;
  view.width = width;
  view.height = height;
  view.layout = &layout;
  if (bottomUp) {
    view.top = bits + stride * static_cast<size_t>(height - 1);
    view.step = -static_cast<ptrdiff_t>(stride);
  } else {
    view.top = bits;
    view.step = static_cast<ptrdiff_t>(stride);
  }
  return view;
}

std::unique_ptr<Bitmap> NewBitmap(int32_t width, int32_t height, const PixelLayout& layout, const RGBQUAD* colors,
                                  uint32_t colorCount, bool dibSection, bool bottomUp) {
  if (width <= 0 || height <= 0 || width > kMaxDimension || height > kMaxDimension) return nullptr;
  const size_t stride = DibStride(width, layout.bitCount);
  const uint64_t bytes = uint64_t{stride} * static_cast<uint64_t>(height);
  if (stride == 0 || bytes > kMaxImageBytes) return nullptr;
  auto bitmap = std::make_unique<Bitmap>();
  bitmap->storage.reset(new (std::nothrow) uint8_t[bytes]());
  if (bitmap->storage == nullptr) return nullptr;
  bitmap->bits = bitmap->storage.get();
  bitmap->width = width;
  bitmap->height = height;
  bitmap->stride = stride;
  bitmap->bottomUp = bottomUp;
  bitmap->dibSection = dibSection;
  bitmap->layout = layout;
  if (layout.bitCount <= 8) {
    if (layout.monochrome) {
      bitmap->colors.assign(layout.colors, layout.colors + 2);
    } else {
      bitmap->colors.assign(colorCount, RGBQUAD{0, 0, 0, 0});
      if (colors != nullptr) std::copy(colors, colors + colorCount, bitmap->colors.begin());
    }
    bitmap->layout.colors = bitmap->colors.data();
    bitmap->layout.colorCount = static_cast<uint32_t>(bitmap->colors.size());
  }
  return bitmap;
}

}  // namespace host::gdi

using namespace host::gdi;

namespace {

HBITMAP AddBitmap(std::unique_ptr<Bitmap> bitmap) {
  return bitmap ? static_cast<HBITMAP>(AddObject(std::move(bitmap))) : nullptr;
}

std::unique_ptr<Bitmap> MonochromeBitmap(int width, int height) {
  return NewBitmap(width, height, MonochromeLayout(), nullptr, 0, false, false);
}

// The bitmap whose colour table GetDIBColorTable and SetDIBColorTable reach: the DIB section selected into a
// memory DC, with 8 bits per pixel or fewer.
Bitmap* PaletteSection(HDC hdc) {
  auto* dc = Find<DeviceContext>(hdc);
  if (dc == nullptr || dc->kind != ObjectKind::kMemoryDC || dc->bitmap == nullptr) return nullptr;
  Bitmap* bitmap = dc->bitmap;
  return bitmap->dibSection && bitmap->layout.bitCount <= 8 ? bitmap : nullptr;
}

// The rows of the bitmap that a band of scan lines covers: bitmap rows [first, first + count), where the buffer's
// row 0 is bitmap row `first` for top-down DIBs and bitmap row first + count - 1 for bottom-up ones. Count 0 when
// the band misses the bitmap.
struct Band {
  int32_t first = 0;
  int32_t count = 0;
};

Band BandOf(const Bitmap& bitmap, UINT startScan, UINT scanLines, bool topDown) {
  Band band;
  if (startScan >= static_cast<UINT>(bitmap.height)) return band;
  band.count = static_cast<int32_t>(std::min<uint64_t>(scanLines, uint64_t(bitmap.height) - startScan));
  band.first = topDown ? static_cast<int32_t>(startScan)
                       : bitmap.height - static_cast<int32_t>(startScan) - band.count;
  return band;
}

// Copies `count` rows between two views with a plain conversion (no device rules).
void CopyRows(const PixelView& from, int32_t fromRow, const PixelView& to, int32_t toRow, int32_t count,
              int32_t width) {
  PixelConverter convert(*from.layout, *to.layout, false, 0, 0, 0);
  const bool sameBits = convert.IsIdentity() && from.layout->bitCount == to.layout->bitCount;
  for (int32_t i = 0; i < count; ++i) {
    const uint8_t* src = from.Row(fromRow + i);
    uint8_t* dst = to.Row(toRow + i);
    if (sameBits && (width * from.layout->bitCount) % 8 == 0) {
      std::memcpy(dst, src, static_cast<size_t>(width) * from.layout->bitCount / 8);
      continue;
    }
    for (int32_t x = 0; x < width; ++x) {
      WritePixel(dst, x, to.layout->bitCount, convert(ReadPixel(src, x, from.layout->bitCount)));
    }
  }
}

}  // namespace

HBITMAP CreateDIBSection(HDC hdc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD offset) {
  if (bits != nullptr) *bits = nullptr;
  // Sections over file mappings are not supported; the memory is always the layer's own.
  if (section != nullptr) return nullptr;
  DibDescription dib;
  if (!DescribeDib(info, usage, &dib)) return nullptr;
  auto lock = LockObjects();
  auto bitmap = NewBitmap(dib.width, dib.height, dib.layout, dib.layout.colors, dib.layout.colorCount, true,
                          !dib.topDown);
  if (bitmap == nullptr) return nullptr;
  if (bits != nullptr) *bits = bitmap->bits;
  return AddBitmap(std::move(bitmap));
}

HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height) {
  auto lock = LockObjects();
  auto* dc = Find<DeviceContext>(hdc);
  if (dc == nullptr || width < 0 || height < 0) return nullptr;
  if (width == 0 || height == 0) return AddBitmap(MonochromeBitmap(1, 1));
  if (dc->kind == ObjectKind::kSurfaceDC) {
    return AddBitmap(NewBitmap(width, height, DirectLayout(32), nullptr, 0, false, false));
  }
  // A memory DC makes bitmaps like the one selected into it: monochrome for a new DC.
  const Bitmap* model = dc->bitmap != nullptr ? dc->bitmap : StockBitmap();
  if (model->layout.monochrome) return AddBitmap(MonochromeBitmap(width, height));
  return AddBitmap(NewBitmap(width, height, model->layout, model->layout.colors, model->layout.colorCount, false,
                             false));
}

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitCount, const void* bits) {
  if (planes != 1 || width < 0 || height < 0) return nullptr;
  if (bitCount != 1 && bitCount != 16 && bitCount != 24 && bitCount != 32) return nullptr;
  auto lock = LockObjects();
  if (width == 0 || height == 0) return AddBitmap(MonochromeBitmap(1, 1));
  auto bitmap = bitCount == 1 ? MonochromeBitmap(width, height)
                              : NewBitmap(width, height, DirectLayout(static_cast<int>(bitCount)), nullptr, 0, false,
                                          false);
  if (bitmap == nullptr) return nullptr;
  if (bits != nullptr) {
    // The initial pixels come top row first, each row padded to 16 bits.
    const size_t rowBytes = static_cast<size_t>((int64_t{width} * bitCount + 15) / 16 * 2);
    for (int32_t y = 0; y < bitmap->height; ++y) {
      std::memcpy(bitmap->bits + bitmap->stride * y, static_cast<const uint8_t*>(bits) + rowBytes * y,
                  std::min(rowBytes, bitmap->stride));
    }
  }
  return AddBitmap(std::move(bitmap));
}

UINT GetDIBColorTable(HDC hdc, UINT start, UINT count, RGBQUAD* colors) {
  auto lock = LockObjects();
  Bitmap* bitmap = PaletteSection(hdc);
  if (bitmap == nullptr || colors == nullptr || start >= bitmap->colors.size()) return 0;
  const UINT n = std::min<UINT>(count, static_cast<UINT>(bitmap->colors.size()) - start);
  std::copy_n(bitmap->colors.begin() + start, n, colors);
  return n;
}

UINT SetDIBColorTable(HDC hdc, UINT start, UINT count, const RGBQUAD* colors) {
  auto lock = LockObjects();
  Bitmap* bitmap = PaletteSection(hdc);
  if (bitmap == nullptr || colors == nullptr || start >= bitmap->colors.size()) return 0;
  const UINT n = std::min<UINT>(count, static_cast<UINT>(bitmap->colors.size()) - start);
  std::copy_n(colors, n, bitmap->colors.begin() + start);
  return n;
}

int GetDIBits(HDC hdc, HBITMAP handle, UINT startScan, UINT scanLines, LPVOID bits, LPBITMAPINFO info, UINT usage) {
  auto lock = LockObjects();
  Bitmap* bitmap = Find<Bitmap>(handle);
  if (Find<DeviceContext>(hdc) == nullptr || bitmap == nullptr || info == nullptr || usage != DIB_RGB_COLORS) return 0;
  BITMAPINFOHEADER& h = info->bmiHeader;
  if (h.biSize < sizeof(BITMAPINFOHEADER)) return 0;

  if (h.biBitCount == 0) {
    // Describe the bitmap: its size (rows bottom-up), depth and, for 16 and 32 bits, its channel masks to follow.
    if (bits != nullptr) return 0;
    const int bitCount = bitmap->layout.bitCount;
    h.biWidth = bitmap->width;
    h.biHeight = bitmap->height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(bitCount);
    h.biCompression = (bitCount == 16 || bitCount == 32) ? BI_BITFIELDS : BI_RGB;
    h.biSizeImage = static_cast<DWORD>(DibStride(bitmap->width, bitCount) * bitmap->height);
    h.biXPelsPerMeter = h.biYPelsPerMeter = 0;
    h.biClrUsed = h.biClrImportant = 0;
    return bitmap->height;
  }

  // Fill in what the caller's format needs around the pixels: the colour table or the channel masks.
  const int bitCount = h.biBitCount;
  if (h.biCompression == BI_BITFIELDS && (bitCount == 16 || bitCount == 32)) {
    uint32_t masks[3];
    auto* where = reinterpret_cast<uint8_t*>(info) + sizeof(BITMAPINFOHEADER);
    std::memcpy(masks, where, sizeof masks);
    PixelLayout check;
    check.bitCount = bitCount;
    if (!check.SetMasks(masks[0], masks[1], masks[2])) {
      // No usable masks given: hand out the bitmap's own when it has the same depth, else 5-6-5 or 8-8-8.
      PixelLayout chosen = DirectLayout(bitCount);
      if (bitmap->layout.bitCount == bitCount) {
        chosen = bitmap->layout;
      } else if (bitCount == 16) {
        chosen.SetMasks(0xF800, 0x07E0, 0x001F);
      }
      std::memcpy(where, chosen.masks, sizeof chosen.masks);
    }
  } else if (bitCount == 1 || bitCount == 4 || bitCount == 8) {
    const uint32_t full = 1u << bitCount;
    const RGBQUAD* source = DefaultColors(bitCount);
    uint32_t available = full;
    if (bitmap->layout.bitCount == bitCount) {
      source = bitmap->layout.colors;
      available = bitmap->layout.colorCount;
    }
    auto* table = reinterpret_cast<RGBQUAD*>(reinterpret_cast<uint8_t*>(info) + h.biSize);
    for (uint32_t i = 0; i < full; ++i) table[i] = i < available ? source[i] : RGBQUAD{0, 0, 0, 0};
    h.biClrUsed = 0;
  }
  DibDescription dib;
  if (!DescribeDib(info, usage, &dib)) return 0;
  h.biSizeImage = static_cast<DWORD>(dib.stride * dib.height);
  if (bits == nullptr) return bitmap->height;

  const Band band = BandOf(*bitmap, startScan, scanLines, dib.topDown);
  if (band.count == 0) return 0;
  const PixelView buffer = DibRows(dib, bits, band.count);
  CopyRows(bitmap->View(), band.first, buffer, 0, band.count, std::min(bitmap->width, dib.width));
  return band.count;
}

int SetDIBits(HDC hdc, HBITMAP handle, UINT startScan, UINT scanLines, const void* bits, const BITMAPINFO* info,
              UINT usage) {
  auto lock = LockObjects();
  Bitmap* bitmap = Find<Bitmap>(handle);
  DibDescription dib;
  if (bitmap == nullptr || bits == nullptr || bitmap->stock || !DescribeDib(info, usage, &dib)) return 0;
  const Band band = BandOf(*bitmap, startScan, scanLines, dib.topDown);
  if (band.count == 0) return 0;
  const PixelView buffer = DibRows(dib, bits, band.count);
  CopyRows(buffer, 0, bitmap->View(), band.first, band.count, std::min(bitmap->width, dib.width));
  return band.count;
}
