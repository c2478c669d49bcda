// DIB records: the device-independent bitmap behind every pixel map, so that the same memory can be drawn by the
// framework's blitter and handed to GDI. A record is backed by a DIB section (when a device context is given and
// DIB sections exist), by a compatible bitmap with a memory copy, or by memory only (all surfaces). Rows run
// top-down: row 0 of the bounds is the first row in memory.
#pragma once

#include <cstdint>

#include "host/gdi.h"
#include "host/types.h"
#include "platform/core/platform_error.h"
#include "platform/graphics/graphics_world.h"

struct DibRecord {
  HDC dc;                  // memory device context, null for a memory-only record
  HGDIOBJ previousBitmap;  // what the memory DC held before this record's bitmap was selected
  HBITMAP bitmap;          // the DIB section or compatible bitmap, null for memory only
  uint8_t* bits;           // first byte of the pixels (top row first)
  BitmapInfo256 info;      // height negative (top-down)
  uint8_t ownsSection;     // 1 when bits belong to the DIB section
  uint8_t* ownBuffer;      // the memory copy or memory-only pixels, owned by the record

  // Makes a record over bounds in the given format. colourTable (256 entries) serves 8-bit records made without a
  // device context; without it the standard palette is used. Null on failure, with the reason in *error when
  // given (-7004 for objects that cannot be made, -7300 for a failing GDI call, -7002 for a bad size or format).
  static DibRecord* Create(HDC dc, const Rect* bounds, PixelFormatCode format, const RGBQUAD* colourTable,
                           bool compatible, PlatformError* error = nullptr);
  static void Release(DibRecord* record);
  // Copies the memory copy into the compatible bitmap (toBitmap) or back; nothing for the other kinds.
  static PlatformError SyncBits(DibRecord* record, bool toBitmap);
};

// Palette entries {flag, red, green, blue} become {blue, green, red, 0}; count entries are converted (the
// palette's count, at most 256), the rest of the 256 cleared.
void ConvertColorTable(RGBQUAD quads[256], int32_t* count, const Palette* palette);
// The reverse, with flag 255.
void PaletteFromRgbQuads(Palette* palette, const RGBQUAD* quads, int32_t count);

// The pixel-format code of the screen's bitmaps (0 on failure).
PixelFormatCode QueryScreenBitmapFormat(HDC dc);

// Fills a BITMAPINFO header (and masks or colour entries) for a map of the given format and size.
// Returns false for an unknown format.
bool DescribeDib(BitmapInfo256* info, PixelFormatCode format, int64_t width, int64_t height);
// The format a DIB header describes: its bit count, or for bit-field headers the packed code counted from the
// masks. 0 when the header is not one the framework can use.
PixelFormatCode FormatFromDibHeader(const BitmapInfo256* info);
