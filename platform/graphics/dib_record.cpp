// DIB records and the header rules of DIB-backed pixel maps (see dib_record.h).
#include "platform/graphics/dib_record.h"

#include <bit>
#include <cstring>

#include "platform/core/memory.h"
#include "platform/graphics/graphics_startup.h"

namespace {

void PutMask(RGBQUAD* quad, uint32_t mask) { std::memcpy(quad, &mask, sizeof mask); }

uint32_t GetMask(const RGBQUAD* quad) {
  uint32_t mask;
  std::memcpy(&mask, quad, sizeof mask);
  return mask;
}

uint32_t ChannelMaskInPlace(const PixelChannels& c, int channel) {
  return static_cast<uint32_t>(c.masks[channel]) << c.shifts[channel];
}

struct BitFieldLayout {
  uint32_t bitCount;
  uint32_t red, green, blue;
  PixelFormatCode code;
};

// The bit-field layouts the framework can take from a DIB header.
constexpr BitFieldLayout kBitFieldLayouts[] = {
    {16, 0x7C00, 0x03E0, 0x001F, kPixelFormat555},
    {16, 0xF800, 0x07E0, 0x001F, kPixelFormat565},
    {16, 0x0F00, 0x00F0, 0x000F, kPixelFormat4444},
    {32, 0xFF0000, 0x00FF00, 0x0000FF, kPixelFormat32},
    {32, 0x0000FF, 0x00FF00, 0xFF0000, kPixelFormat8888RedFirst},
};

}  // namespace

// GDI reads a BI_RGB header of 16 bits as 5-5-5 and of 32 bits as x-8-8-8 with blue lowest; every other layout
// (5-6-5, 4-4-4-4, red-first) is described with bit-field masks so that GDI sees the colours the blitter wrote.
bool DescribeDib(BitmapInfo256* info, PixelFormatCode format, int64_t width, int64_t height) {
  PixelChannels c;
  const int32_t bytesPerPixel = PlatformPixelFormat(format, &c);
  std::memset(info, 0, sizeof *info);
  if (bytesPerPixel < 0) return false;
  BITMAPINFOHEADER& h = info->bmiHeader;
  h.biSize = sizeof(BITMAPINFOHEADER);
  h.biWidth = static_cast<LONG>(width);
  h.biHeight = static_cast<LONG>(-height);  // top-down rows
  h.biPlanes = 1;
  h.biBitCount = static_cast<WORD>(8 * bytesPerPixel);
  h.biCompression = BI_RGB;
  const uint32_t red = ChannelMaskInPlace(c, kChannelRed);
  const uint32_t green = ChannelMaskInPlace(c, kChannelGreen);
  const uint32_t blue = ChannelMaskInPlace(c, kChannelBlue);
  const bool plain16 = red == 0x7C00 && green == 0x03E0 && blue == 0x001F;
  const bool plain32 = red == 0xFF0000 && green == 0x00FF00 && blue == 0x0000FF;
  if ((bytesPerPixel == 2 && !plain16) || (bytesPerPixel == 4 && !plain32)) {
    h.biCompression = BI_BITFIELDS;
    PutMask(&info->bmiColors[0], red);
    PutMask(&info->bmiColors[1], green);
    PutMask(&info->bmiColors[2], blue);
  }
  return true;
}

PixelFormatCode FormatFromDibHeader(const BitmapInfo256* info) {
  const BITMAPINFOHEADER& h = info->bmiHeader;
  if (h.biCompression == BI_BITFIELDS) {
    for (const BitFieldLayout& l : kBitFieldLayouts) {
      if (l.bitCount == h.biBitCount && l.red == GetMask(&info->bmiColors[0]) &&
          l.green == GetMask(&info->bmiColors[1]) && l.blue == GetMask(&info->bmiColors[2])) {
        return l.code;
      }
    }
    return 0;
  }
  if (h.biCompression != BI_RGB) return 0;
  switch (h.biBitCount) {
    case 8: return kPixelFormat8;
    case 16: return kPixelFormat555;  // what GDI means by a plain 16-bit DIB
    case 24: return kPixelFormat24;
    case 32: return kPixelFormat32;
    default: return 0;
  }
}

void ConvertColorTable(RGBQUAD quads[256], int32_t* count, const Palette* palette) {
  const int32_t n = palette->count < 0 ? 0 : (palette->count > 256 ? 256 : palette->count);
  std::memset(quads, 0, sizeof(RGBQUAD) * 256);
  for (int32_t i = 0; i < n; ++i) {
    const ColorRecord& e = palette->entries[i];
    quads[i] = RGBQUAD{e.blue, e.green, e.red, 0};
  }
  if (count) *count = n;
}

void PaletteFromRgbQuads(Palette* palette, const RGBQUAD* quads, int32_t count) {
  const int32_t n = count < 0 ? 0 : (count > 256 ? 256 : count);
  std::memset(palette, 0, sizeof *palette);
  palette->count = n;
  for (int32_t i = 0; i < n; ++i) {
    palette->entries[i] = ColorRecord{255, quads[i].rgbRed, quads[i].rgbGreen, quads[i].rgbBlue};
  }
}

namespace {

// Backs a record with a DIB section selected into a new memory DC compatible with dc.
PlatformError BackWithSection(DibRecord* record, HDC dc) {
  record->dc = CreateCompatibleDC(dc);
  if (!record->dc) return kPlatformErrNoMemory;
  void* bits = nullptr;
  record->bitmap = CreateDIBSection(record->dc, reinterpret_cast<const BITMAPINFO*>(&record->info), DIB_RGB_COLORS,
                                    &bits, nullptr, 0);
  if (!record->bitmap || !bits) return kPlatformErrNoMemory;
  record->previousBitmap = SelectObject(record->dc, record->bitmap);
  if (!record->previousBitmap) return kPlatformErrGraphics;
  record->bits = static_cast<uint8_t*>(bits);
  record->ownsSection = 1;
  return kPlatformNoError;
}

// Backs a record with a bitmap compatible with dc, selected into a new memory DC; the pixels live in the own
// buffer and are copied across by SyncBits.
PlatformError BackWithCompatibleBitmap(DibRecord* record, HDC dc) {
  record->dc = CreateCompatibleDC(dc);
  if (!record->dc) return kPlatformErrNoMemory;
  const BITMAPINFOHEADER& h = record->info.bmiHeader;
  record->bitmap = CreateCompatibleBitmap(dc, h.biWidth, -h.biHeight);
  if (!record->bitmap) return kPlatformErrNoMemory;
  record->previousBitmap = SelectObject(record->dc, record->bitmap);
  if (!record->previousBitmap) return kPlatformErrGraphics;
  return kPlatformNoError;
}

PlatformError AllocateOwnBuffer(DibRecord* record, size_t size) {
  record->ownBuffer = static_cast<uint8_t*>(PlatformNewPointer(size));
  if (!record->ownBuffer) return kPlatformErrNoMemory;
  std::memset(record->ownBuffer, 0, size);  // new pixels start black, never uninitialised
  record->bits = record->ownBuffer;
  return kPlatformNoError;
}

}  // namespace

DibRecord* DibRecord::Create(HDC dc, const Rect* bounds, PixelFormatCode format, const RGBQUAD* colourTable,
                             bool compatible, PlatformError* error) {
  PlatformError ignored;
  PlatformError& result = error ? *error : ignored;
  result = kPlatformNoError;
  const int64_t width = bounds->Width();
  const int64_t height = bounds->Height();
  PixelChannels channels;
  const int32_t bytesPerPixel = PlatformPixelFormat(format, &channels);
  if (bytesPerPixel < 0 || width <= 0 || height <= 0 || width > kMaxWorldSide || height > kMaxWorldSide) {
    result = kPlatformErrBadData;
    return nullptr;
  }
  const int64_t rowBytes = PixelRowBytes(width, 8 * bytesPerPixel);
  if (rowBytes * height > kMaxWorldBytes) {
    result = kPlatformErrBadData;
    return nullptr;
  }
  auto* record = static_cast<DibRecord*>(PlatformNewPointer(sizeof(DibRecord)));
  if (!record) {
    result = kPlatformErrNoMemory;
    return nullptr;
  }
  std::memset(record, 0, sizeof *record);
  DescribeDib(&record->info, format, width, height);
  if (bytesPerPixel == 1) {
    if (dc) {
      if (GetDIBColorTable(dc, 0, 256, record->info.bmiColors) == 0) result = kPlatformErrGraphics;
    } else if (colourTable) {
      std::memcpy(record->info.bmiColors, colourTable, sizeof(RGBQUAD) * 256);
    } else {
      ConvertColorTable(record->info.bmiColors, nullptr, &StandardPalette);
    }
  }
  if (result == kPlatformNoError) {
    const size_t size = static_cast<size_t>(rowBytes * height);
    if (dc && GraphicsHasDibSections() && record->info.bmiHeader.biCompression == BI_RGB) {
      result = BackWithSection(record, dc);
    } else if (dc && compatible) {
      result = BackWithCompatibleBitmap(record, dc);
      if (result == kPlatformNoError) result = AllocateOwnBuffer(record, size);
    } else {
      result = AllocateOwnBuffer(record, size);
    }
  }
  if (result != kPlatformNoError) {
    Release(record);
    return nullptr;
  }
  return record;
}

void DibRecord::Release(DibRecord* record) {
  if (!record) return;
  if (record->dc) {
    if (record->previousBitmap) SelectObject(record->dc, record->previousBitmap);
    DeleteDC(record->dc);
  }
  // Deleted after its DC, so that it is selected nowhere; the section's bits go with it.
  if (record->bitmap) DeleteObject(record->bitmap);
  if (record->ownsSection) record->bits = nullptr;
  PlatformDisposePointer(record->ownBuffer);
  PlatformDisposePointer(record);
}

PlatformError DibRecord::SyncBits(DibRecord* record, bool toBitmap) {
  if (!record || !record->dc || record->ownsSection || !record->bitmap) return kPlatformNoError;
  if (!GdiFlush()) return kPlatformErrGraphics;
  // GDI transfers a bitmap to or from memory only while it is selected into no DC.
  SelectObject(record->dc, record->previousBitmap);
  const UINT rows = static_cast<UINT>(-record->info.bmiHeader.biHeight);
  auto* info = reinterpret_cast<BITMAPINFO*>(&record->info);
  const int done = toBitmap ? SetDIBits(record->dc, record->bitmap, 0, rows, record->bits, info, DIB_RGB_COLORS)
                            : GetDIBits(record->dc, record->bitmap, 0, rows, record->bits, info, DIB_RGB_COLORS);
  const bool reselected = SelectObject(record->dc, record->bitmap) != nullptr;
  return done == 0 || !reselected ? kPlatformErrGraphics : kPlatformNoError;
}

PixelFormatCode QueryScreenBitmapFormat(HDC dc) {
  HBITMAP probe = CreateCompatibleBitmap(dc, 1, 1);
  if (!probe) return 0;
  BitmapInfo256 info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  auto* header = reinterpret_cast<BITMAPINFO*>(&info);
  // The first call describes the bitmap, the second fills in its masks or colours.
  PixelFormatCode format = 0;
  if (GetDIBits(dc, probe, 0, 1, nullptr, header, DIB_RGB_COLORS) != 0 &&
      GetDIBits(dc, probe, 0, 1, nullptr, header, DIB_RGB_COLORS) != 0) {
    const BITMAPINFOHEADER& h = info.bmiHeader;
    if (h.biCompression == BI_BITFIELDS && h.biBitCount == 16) {
      // The packed code counted from the masks.
      format = static_cast<PixelFormatCode>(std::popcount(GetMask(&info.bmiColors[0])) << 8 |
                                            std::popcount(GetMask(&info.bmiColors[1])) << 4 |
                                            std::popcount(GetMask(&info.bmiColors[2])));
    } else if (h.biCompression == BI_BITFIELDS && h.biBitCount == 32) {
      // Counted from the masks this would be 0x888, three bytes a pixel. A window world of that format is a
      // 24-bit DIB on a 32-bit screen, which the re-validation at every first lock finds changed and rebuilds
      // blank, losing what was drawn. A 32-bit screen keeps its four bytes a pixel as code 32.
      format = kPixelFormat32;
    } else {
      format = h.biBitCount;
    }
  }
  DeleteObject(probe);
  return format;
}
