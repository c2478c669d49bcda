// Pixel layouts, single-pixel access, conversion between layouts, raster operations and BITMAPINFO parsing.
#include "gdi_pixels.h"

#include <bit>
#include <cstring>

namespace host::gdi {
namespace {

constexpr RGBQUAD kBlackWhite[2] = {{0, 0, 0, 0}, {255, 255, 255, 0}};

// The sixteen colours of 4-bit pixels that have no table of their own.
constexpr RGBQUAD kSixteenColors[16] = {
    {0, 0, 0, 0},       {0, 0, 128, 0},   {0, 128, 0, 0},   {0, 128, 128, 0},
    {128, 0, 0, 0},     {128, 0, 128, 0}, {128, 128, 0, 0}, {192, 192, 192, 0},
    {128, 128, 128, 0}, {0, 0, 255, 0},   {0, 255, 0, 0},   {0, 255, 255, 0},
    {255, 0, 0, 0},     {255, 0, 255, 0}, {255, 255, 0, 0}, {255, 255, 255, 0}};

// 8-bit pixels without a table: a 6 x 6 x 6 colour cube followed by 40 greys.
struct DefaultTable256 {
  RGBQUAD colors[256];
  DefaultTable256() {
    int n = 0;
    for (int r = 0; r < 6; ++r)
      for (int g = 0; g < 6; ++g)
        for (int b = 0; b < 6; ++b)
          colors[n++] = {static_cast<BYTE>(b * 51), static_cast<BYTE>(g * 51), static_cast<BYTE>(r * 51), 0};
    for (int i = 0; i < 40; ++i) {
      const BYTE v = static_cast<BYTE>((i + 1) * 255 / 41);
      colors[n++] = {v, v, v, 0};
    }
  }
};

uint32_t QuadToRgb(const RGBQUAD& q) {
  return (uint32_t{q.rgbRed} << 16) | (uint32_t{q.rgbGreen} << 8) | q.rgbBlue;
}

// Widens a channel value of `width` bits to 8 bits by repeating its bits, and narrows 8 bits to `width` bits the
// same way, so that full and empty channels stay full and empty.
uint32_t WidenChannel(uint32_t v, int width) {
  if (width <= 0) return 0;
  if (width >= 8) return (v >> (width - 8)) & 0xFF;
  uint32_t out = 0;
  int filled = 0;
  while (filled < 8) {
    out = (out << width) | v;
    filled += width;
  }
  return (out >> (filled - 8)) & 0xFF;
}

uint32_t NarrowChannel(uint32_t v8, int width) {
  if (width <= 0) return 0;
  uint64_t out = 0;
  int filled = 0;
  while (filled < width) {
    out = (out << 8) | v8;
    filled += 8;
  }
  return static_cast<uint32_t>(out >> (filled - width));
}

uint32_t NearestIndex(const RGBQUAD* colors, uint32_t count, uint32_t rgb) {
  const int r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
  uint32_t best = 0;
  int bestDistance = 1 << 30;
  for (uint32_t i = 0; i < count; ++i) {
    const int dr = colors[i].rgbRed - r, dg = colors[i].rgbGreen - g, db = colors[i].rgbBlue - b;
    const int d = dr * dr + dg * dg + db * db;
    if (d < bestDistance) {
      bestDistance = d;
      best = i;
      if (d == 0) break;
    }
  }
  return best;
}

// 24-bit pixels and 32-bit pixels with the plain masks both hold 0x00RRGGBB as their value.
bool HoldsRgbValue(const PixelLayout& layout) {
  return layout.bitCount == 24 ||
         (layout.bitCount == 32 && layout.masks[0] == 0xFF0000 && layout.masks[1] == 0xFF00 && layout.masks[2] == 0xFF);
}

uint32_t PixelMask(int bitCount) { return bitCount >= 32 ? 0xFFFFFFFFu : (1u << bitCount) - 1; }

}  // namespace

bool PixelLayout::SetMasks(uint32_t red, uint32_t green, uint32_t blue) {
  const uint32_t all[3] = {red, green, blue};
  uint32_t seen = 0;
  for (int i = 0; i < 3; ++i) {
    const uint32_t m = all[i];
    if (m == 0 || (m & seen) != 0 || (m & ~PixelMask(bitCount)) != 0) return false;
    const int shift = std::countr_zero(m);
    const uint32_t run = m >> shift;
    if ((run & (run + 1)) != 0) return false;  // not one contiguous run of bits
    masks[i] = m;
    shifts[i] = static_cast<uint8_t>(shift);
    widths[i] = static_cast<uint8_t>(std::popcount(m));
    seen |= m;
  }
  return true;
}

bool PixelLayout::SameDirectFormat(const PixelLayout& other) const {
  if (bitCount != other.bitCount || bitCount <= 8) return false;
  if (bitCount == 24) return true;
  return masks[0] == other.masks[0] && masks[1] == other.masks[1] && masks[2] == other.masks[2];
}

PixelLayout DirectLayout(int bitCount) {
  PixelLayout layout;
  layout.bitCount = bitCount;
  if (bitCount == 16) layout.SetMasks(0x7C00, 0x03E0, 0x001F);
  if (bitCount == 32) layout.SetMasks(0xFF0000, 0x00FF00, 0x0000FF);
  return layout;
}

PixelLayout MonochromeLayout() {
  PixelLayout layout;
  layout.bitCount = 1;
  layout.colors = kBlackWhite;
  layout.colorCount = 2;
  layout.monochrome = true;
  return layout;
}

const RGBQUAD* DefaultColors(int bitCount) {
  static const DefaultTable256 table;
  if (bitCount == 1) return kBlackWhite;
  if (bitCount == 4) return kSixteenColors;
  return table.colors;
}

size_t DibStride(int64_t width, int bitCount) {
  if (width <= 0 || width > kMaxDimension) return 0;
  return static_cast<size_t>((width * bitCount + 31) / 32 * 4);
}

uint32_t ReadPixel(const uint8_t* row, int32_t x, int bitCount) {
  switch (bitCount) {
    case 1:
      return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4:
      return (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
    case 8:
      return row[x];
    case 16:
      return row[2 * x] | (uint32_t{row[2 * x + 1]} << 8);
    case 24: {
      const uint8_t* p = row + 3 * static_cast<ptrdiff_t>(x);
      return p[0] | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16);
    }
    default: {
      uint32_t v;
      std::memcpy(&v, row + 4 * static_cast<ptrdiff_t>(x), 4);
      return v;
    }
  }
}

void WritePixel(uint8_t* row, int32_t x, int bitCount, uint32_t value) {
  switch (bitCount) {
    case 1: {
      const uint8_t bit = static_cast<uint8_t>(0x80 >> (x & 7));
      row[x >> 3] = (value & 1) ? (row[x >> 3] | bit) : (row[x >> 3] & ~bit);
      break;
    }
    case 4: {
      uint8_t& b = row[x >> 1];
      b = (x & 1) ? static_cast<uint8_t>((b & 0xF0) | (value & 0x0F))
                  : static_cast<uint8_t>((b & 0x0F) | ((value & 0x0F) << 4));
      break;
    }
    case 8:
      row[x] = static_cast<uint8_t>(value);
      break;
    case 16:
      row[2 * x] = static_cast<uint8_t>(value);
      row[2 * x + 1] = static_cast<uint8_t>(value >> 8);
      break;
    case 24: {
      uint8_t* p = row + 3 * static_cast<ptrdiff_t>(x);
      p[0] = static_cast<uint8_t>(value);
      p[1] = static_cast<uint8_t>(value >> 8);
      p[2] = static_cast<uint8_t>(value >> 16);
      break;
    }
    default:
      std::memcpy(row + 4 * static_cast<ptrdiff_t>(x), &value, 4);
      break;
  }
}

uint32_t DecodePixel(const PixelLayout& layout, uint32_t raw) {
  if (layout.bitCount <= 8) return raw < layout.colorCount ? QuadToRgb(layout.colors[raw]) : 0;
  if (layout.bitCount == 24) return raw & 0xFFFFFF;
  uint32_t rgb = 0;
  for (int i = 0; i < 3; ++i)
    rgb = (rgb << 8) | WidenChannel((raw & layout.masks[i]) >> layout.shifts[i], layout.widths[i]);
  return rgb;
}

uint32_t EncodePixel(const PixelLayout& layout, uint32_t rgb) {
  if (layout.bitCount <= 8) return NearestIndex(layout.colors, layout.colorCount, rgb);
  if (layout.bitCount == 24) return rgb & 0xFFFFFF;
  uint32_t raw = 0;
  for (int i = 0; i < 3; ++i) {
    const uint32_t v8 = (rgb >> (16 - 8 * i)) & 0xFF;
    raw |= (NarrowChannel(v8, layout.widths[i]) << layout.shifts[i]) & layout.masks[i];
  }
  return raw;
}

PixelConverter::PixelConverter(const PixelLayout& src, const PixelLayout& dst, bool deviceRules, COLORREF srcBack,
                               COLORREF dstText, COLORREF dstBack)
    : src_(&src), dst_(&dst) {
  const bool srcMono = deviceRules && src.monochrome;
  const bool dstMono = deviceRules && dst.monochrome;
  if (srcMono && dstMono) {
    mode_ = Mode::kIdentity;
  } else if (srcMono) {
    mode_ = Mode::kTable;
    table_ = {EncodePixel(dst, RgbOfColorRef(dstText)), EncodePixel(dst, RgbOfColorRef(dstBack))};
  } else if (dstMono) {
    mode_ = Mode::kToMonochrome;
    sourceBack_ = EncodePixel(src, RgbOfColorRef(srcBack));
  } else if (src.bitCount <= 8) {
    const bool sameTable = dst.bitCount == src.bitCount && dst.colorCount == src.colorCount &&
                           (dst.colors == src.colors ||
                            std::memcmp(dst.colors, src.colors, src.colorCount * sizeof(RGBQUAD)) == 0);
    if (sameTable && src.colorCount == (1u << src.bitCount)) {
      mode_ = Mode::kIdentity;
    } else {
      mode_ = Mode::kTable;
      table_.resize(size_t{1} << src.bitCount);
      for (uint32_t i = 0; i < table_.size(); ++i) table_[i] = EncodePixel(dst, DecodePixel(src, i));
    }
  } else if (src.SameDirectFormat(dst) || (HoldsRgbValue(src) && HoldsRgbValue(dst))) {
    mode_ = Mode::kIdentity;
  } else {
    mode_ = Mode::kDirect;
    if (dst.bitCount <= 8) {
      cache_ = std::make_unique<CacheEntry[]>(4096);
      for (int i = 0; i < 4096; ++i) cache_[i] = {0xFFFFFFFFu, 0};
    }
  }
}

uint32_t PixelConverter::operator()(uint32_t raw) const {
  switch (mode_) {
    case Mode::kIdentity:
      return raw;
    case Mode::kTable:
      return table_[raw & (table_.size() - 1)];
    case Mode::kToMonochrome:
      return raw == sourceBack_ ? 1 : 0;
    case Mode::kDirect:
      break;
  }
  const uint32_t rgb = DecodePixel(*src_, raw);
  if (!cache_) return EncodePixel(*dst_, rgb);
  CacheEntry& entry = cache_[(rgb ^ (rgb >> 12)) & 4095];
  if (entry.key != rgb) entry = {rgb, EncodePixel(*dst_, rgb)};
  return entry.value;
}

uint32_t ApplyRop(uint8_t index, uint32_t src, uint32_t dst) {
  switch (index) {
    case 0xCC: return src;
    case 0x88: return src & dst;
    case 0xEE: return src | dst;
    case 0x66: return src ^ dst;
    case 0x22: return ~src & dst;
    case 0xAA: return dst;
    default: break;
  }
  // The index is a truth table over (pattern, source, destination); with the pattern left out, bit n of the
  // index for n = 2 * s + d (and the same bit with the pattern set) gives the result.
  uint32_t result = 0;
  for (int n = 0; n < 4; ++n) {
    if ((index >> n) & 1) result |= ((n & 2) ? src : ~src) & ((n & 1) ? dst : ~dst);
  }
  return result;
}

bool DescribeDib(const BITMAPINFO* info, UINT usage, DibDescription* out) {
  if (info == nullptr || usage != DIB_RGB_COLORS) return false;
  const BITMAPINFOHEADER& h = info->bmiHeader;
  if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biSize > 124 || h.biPlanes != 1) return false;
  const int bits = h.biBitCount;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
  if (h.biWidth <= 0 || h.biWidth > kMaxDimension || h.biHeight == 0) return false;
  const int64_t height = h.biHeight < 0 ? -int64_t{h.biHeight} : int64_t{h.biHeight};
  if (height > kMaxDimension) return false;
  DibDescription d;
  d.width = h.biWidth;
  d.height = static_cast<int32_t>(height);
  d.topDown = h.biHeight < 0;
  d.stride = DibStride(h.biWidth, bits);
  if (static_cast<uint64_t>(d.stride) * static_cast<uint64_t>(height) > kMaxImageBytes) return false;
  d.layout.bitCount = bits;
  const auto* bytes = reinterpret_cast<const uint8_t*>(info);
  if (h.biCompression == BI_BITFIELDS) {
    if (bits != 16 && bits != 32) return false;
    uint32_t m[3];
    std::memcpy(m, bytes + sizeof(BITMAPINFOHEADER), sizeof m);  // masks follow the 40 header bytes
    if (!d.layout.SetMasks(m[0], m[1], m[2])) return false;
  } else if (h.biCompression == BI_RGB) {
    if (bits > 8) d.layout = DirectLayout(bits);
  } else {
    return false;
  }
  if (bits <= 8) {
    const uint32_t full = 1u << bits;
    d.layout.colors = reinterpret_cast<const RGBQUAD*>(bytes + h.biSize);
    d.layout.colorCount = (h.biClrUsed == 0 || h.biClrUsed > full) ? full : h.biClrUsed;
  }
  *out = d;
  return true;
}

PixelView DibRows(const DibDescription& dib, const void* bits, int32_t rows) {
  PixelView view;
  view.width = dib.width;
  view.height = rows;
  view.layout = &dib.layout;
  // Callers that only read the buffer still get a writable view type; they never write through it.
  auto* base = static_cast<uint8_t*>(const_cast<void*>(bits));
  if (dib.topDown) {
    view.top = base;
    view.step = static_cast<ptrdiff_t>(dib.stride);
  } else {
    view.top = base + dib.stride * static_cast<size_t>(rows - 1);
    view.step = -static_cast<ptrdiff_t>(dib.stride);
  }
  return view;
}

}  // namespace host::gdi
