// Pixel layouts of the drawing layer: how the pixels of a bitmap or of a caller's DIB are stored, reading and writing
// single pixels, converting between layouts (with the device rules for monochrome bitmaps), raster operations, and
// the parsing of BITMAPINFO headers. Shared by the bitmap and transfer code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "host/gdi.h"

namespace host::gdi {

// Largest side and largest pixel buffer any bitmap or DIB may have.
inline constexpr int32_t kMaxDimension = 65536;
inline constexpr uint64_t kMaxImageBytes = uint64_t{1} << 30;

struct PixelLayout {
  int bitCount = 32;              // 1, 4, 8, 16, 24 or 32
  uint32_t masks[3] = {};         // red, green, blue masks of 16- and 32-bit pixels
  uint8_t shifts[3] = {};         // derived from the masks
  uint8_t widths[3] = {};
  const RGBQUAD* colors = nullptr;  // colour table of pixels of 8 bits or less
  uint32_t colorCount = 0;
  bool monochrome = false;        // a 1-bit device bitmap: 0 is black, 1 white; blits use the DCs' colours

  // Sets the masks (and derived shifts and widths); false when a mask is zero, not contiguous, overlaps another or
  // does not fit the pixel.
  bool SetMasks(uint32_t red, uint32_t green, uint32_t blue);
  bool SameDirectFormat(const PixelLayout& other) const;
};

// The layouts every plain format has.
PixelLayout DirectLayout(int bitCount);  // 16: 5-5-5, 24: B G R bytes, 32: x-8-8-8
PixelLayout MonochromeLayout();
// Colour tables handed out for palette formats that have none of their own.
const RGBQUAD* DefaultColors(int bitCount);

// Bytes per row of a DIB: rows are padded to 32 bits. 0 when the width is out of range.
size_t DibStride(int64_t width, int bitCount);

// A rectangle of pixel rows: `top` is the first byte of row 0 (the top row) and `step` the signed distance from
// one row to the next, so bottom-up storage is viewed with a negative step.
struct PixelView {
  uint8_t* top = nullptr;
  ptrdiff_t step = 0;
  int32_t width = 0;
  int32_t height = 0;
  const PixelLayout* layout = nullptr;

  uint8_t* Row(int32_t y) const { return top + step * y; }
};

uint32_t ReadPixel(const uint8_t* row, int32_t x, int bitCount);
void WritePixel(uint8_t* row, int32_t x, int bitCount, uint32_t value);

// 0x00RRGGBB of a raw pixel value and back (palette layouts take the nearest entry, lowest index on ties).
uint32_t DecodePixel(const PixelLayout& layout, uint32_t raw);
uint32_t EncodePixel(const PixelLayout& layout, uint32_t rgb);
inline uint32_t RgbOfColorRef(COLORREF c) { return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); }

// Turns raw pixels of one layout into raw pixels of another. With device rules (blits between device contexts),
// a colour source becomes monochrome by the source DC's background colour (that colour gives 1, all others 0) and
// a monochrome source takes the destination DC's text colour for 0 and background colour for 1. Without them
// (DIB transfers), monochrome bitmaps are plain black-and-white palettes.
class PixelConverter {
 public:
  PixelConverter(const PixelLayout& src, const PixelLayout& dst, bool deviceRules, COLORREF srcBack,
                 COLORREF dstText, COLORREF dstBack);
  uint32_t operator()(uint32_t raw) const;
  // The raw value passes unchanged (byte copies also need equal pixel sizes).
  bool IsIdentity() const { return mode_ == Mode::kIdentity; }

 private:
  enum class Mode { kIdentity, kTable, kToMonochrome, kDirect };
  Mode mode_ = Mode::kDirect;
  const PixelLayout* src_;
  const PixelLayout* dst_;
  std::vector<uint32_t> table_;
  uint32_t sourceBack_ = 0;
  struct CacheEntry {
    uint32_t key;
    uint32_t value;
  };
  mutable std::unique_ptr<CacheEntry[]> cache_;  // for palette destinations of direct sources
};

// Raster operations on source and destination (the third byte of the code). The pattern does not take part:
// UsesPattern tells the callers to refuse such codes.
inline uint8_t RopIndex(DWORD rop) { return static_cast<uint8_t>((rop >> 16) & 0xFF); }
inline bool RopUsesPattern(uint8_t index) { return (index >> 4) != (index & 0x0F); }
inline bool RopUsesSource(uint8_t index) { return ((index >> 2) & 0x33) != (index & 0x33); }
uint32_t ApplyRop(uint8_t index, uint32_t src, uint32_t dst);

// A caller's DIB described by its BITMAPINFO.
struct DibDescription {
  int32_t width = 0;
  int32_t height = 0;  // always positive
  bool topDown = false;
  size_t stride = 0;
  PixelLayout layout;
};

// Checks the header (size, planes, depth, compression, masks, dimensions within the ceilings) and describes the
// DIB; the layout's colour table points into `info`. False for anything this layer cannot draw.
bool DescribeDib(const BITMAPINFO* info, UINT usage, DibDescription* out);

// A view of `rows` rows of a caller's DIB buffer (the first `rows` rows in memory), top row first.
PixelView DibRows(const DibDescription& dib, const void* bits, int32_t rows);

}  // namespace host::gdi
