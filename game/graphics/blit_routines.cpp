// The blitter's pixel routines: one for every pair of destination and source pixel sizes and every drawing kind
// (plain copy, colour key, alpha blend), the conversions, and the per-format routines of the single-table
// operations. Each is a template over the pixel sizes; the tables are filled with its instances.
#include "game/graphics/blit_routines.h"

#include <algorithm>
#include <cstring>

#include "game/graphics/bitmap.h"
#include "game/graphics/key_runs.h"

namespace {

// Pixels travel between sizes as 0xAARRGGBB values. 2- and 3-byte pixels read as alpha 255; a 2-byte pixel is
// widened through the expansion tables and written back packed 5-6-5.
inline uint16_t Load16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline void Store16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline uint16_t Pack(uint32_t c) {
  return static_cast<uint16_t>((((c >> 16) & 0xFF) >> 3) << 11 | (((c >> 8) & 0xFF) >> 2) << 5 | ((c & 0xFF) >> 3));
}
inline uint32_t Expand(uint16_t v, const BlitProducts& products) {
  return 0xFF000000u | uint32_t{products.expand5[v >> 11]} << 16 | uint32_t{products.expand6[(v >> 5) & 63]} << 8 |
         products.expand5[v & 31];
}

template <int Bytes>
inline uint32_t Load(const uint8_t* p, const BlitProducts& products) {
  if constexpr (Bytes == 4) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
  } else if constexpr (Bytes == 3) {
    return 0xFF000000u | uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
  } else {
    return Expand(Load16(p), products);
  }
}

template <int Bytes>
inline void Store(uint8_t* p, uint32_t c) {
  if constexpr (Bytes == 4) {
    std::memcpy(p, &c, 4);
  } else if constexpr (Bytes == 3) {
    p[0] = static_cast<uint8_t>(c);
    p[1] = static_cast<uint8_t>(c >> 8);
    p[2] = static_cast<uint8_t>(c >> 16);
  } else {
    Store16(p, Pack(c));
  }
}

// Colour-key transparency of a source pixel, by source size (and, for 2-byte sources, destination size).
template <int Dst, int Src>
inline bool KeyTransparent(const uint8_t* p) {
  if constexpr (Src == 4) {
    return p[3] == 0;
  } else if constexpr (Src == 3) {
    return (p[0] & p[1] & p[2]) == 0xFF;
  } else if constexpr (Dst == 2) {
    return Load16(p) == 0xFFFF;
  } else {
    return (Load16(p) & 0x7FFF) == 0x7FFF;
  }
}

// ---- Rows: the per-pixel steps of the three drawing kinds and of conversion.

template <int Dst, int Src>
void ConvertRows(uint8_t* d, const uint8_t* s, int64_t dRow, int64_t sRow, int32_t width, int32_t height) {
  if constexpr (Dst == Src) {
    const size_t rowLength = size_t(width) * Dst;
    // Rows that follow each other without gaps on both sides move as one block.
    if (dRow == sRow && static_cast<size_t>(dRow) == rowLength) {
      std::memmove(d, s, rowLength * static_cast<size_t>(height));
      return;
    }
    for (int32_t i = 0; i < height; ++i, d += dRow, s += sRow) std::memmove(d, s, rowLength);
  } else {
    const BlitProducts& products = Products();
    for (int32_t i = 0; i < height; ++i, d += dRow, s += sRow) {
      uint8_t* dp = d;
      const uint8_t* sp = s;
      int32_t j = 0;
      for (; j + 8 <= width; j += 8) {
        for (int k = 0; k < 8; ++k) Store<Dst>(dp + k * Dst, Load<Src>(sp + k * Src, products));
        dp += 8 * Dst;
        sp += 8 * Src;
      }
      for (; j < width; ++j, dp += Dst, sp += Src) Store<Dst>(dp, Load<Src>(sp, products));
    }
  }
}

template <int Dst, int Src>
void KeyRows(uint8_t* d, const uint8_t* s, int64_t dRow, int64_t sRow, int32_t width, int32_t height) {
  const BlitProducts& products = Products();
  for (int32_t i = 0; i < height; ++i, d += dRow, s += sRow) {
    uint8_t* dp = d;
    const uint8_t* sp = s;
    for (int32_t j = 0; j < width; ++j, dp += Dst, sp += Src) {
      if (KeyTransparent<Dst, Src>(sp)) continue;
      if constexpr (Dst == 2 && Src == 2) {
        dp[0] = sp[0];
        dp[1] = sp[1];
      } else {
        Store<Dst>(dp, Load<Src>(sp, products));
      }
    }
  }
}

// Source alpha 255 copies, 0 skips, anything between blends B, G and R with the destination through the product
// table; a blended pixel of a 4-byte destination gets alpha 255.
template <int Dst>
void AlphaRows(uint8_t* d, const uint8_t* s, int64_t dRow, int64_t sRow, int32_t width, int32_t height) {
  const BlitProducts& products = Products();
  const uint8_t* table = products.alpha;
  for (int32_t i = 0; i < height; ++i, d += dRow, s += sRow) {
    uint8_t* dp = d;
    const uint8_t* sp = s;
    for (int32_t j = 0; j < width; ++j, dp += Dst, sp += 4) {
      uint32_t a = sp[3];
      if (a == 0) continue;
      if (a == 255) {
        if constexpr (Dst == 2) {
          Store16(dp, Pack(Load<4>(sp, products)));
        } else {
          std::memcpy(dp, sp, Dst);
        }
        continue;
      }
      const uint8_t* front = table + a * 256;
      const uint8_t* back = table + (255 - a) * 256;
      if constexpr (Dst == 2) {
        uint32_t under = Expand(Load16(dp), products);
        uint32_t b = front[sp[0]] + back[under & 0xFF];
        uint32_t g = front[sp[1]] + back[(under >> 8) & 0xFF];
        uint32_t r = front[sp[2]] + back[(under >> 16) & 0xFF];
        Store16(dp, Pack(r << 16 | g << 8 | b));
      } else {
        dp[0] = static_cast<uint8_t>(front[sp[0]] + back[dp[0]]);
        dp[1] = static_cast<uint8_t>(front[sp[1]] + back[dp[1]]);
        dp[2] = static_cast<uint8_t>(front[sp[2]] + back[dp[2]]);
        if constexpr (Dst == 4) dp[3] = 0xFF;
      }
    }
  }
}

// ---- Hot rows: the plain set, the set the tables were filled with, and the choice between them per call.

constexpr HotRows kPlainHotRows{AlphaRows<3>, AlphaRows<4>, KeyRows<3, 3>, KeyRows<4, 4>, ConvertRows<4, 3>,
                                ConvertRows<3, 4>};
const HotRows* gHotRows = &kPlainHotRows;

// The bytes a transfer's rows span, from the first byte of the first row to past the last byte of the last.
struct ByteSpan {
  uintptr_t first;
  uintptr_t end;
};
ByteSpan RowsSpan(const uint8_t* p, int64_t rowBytes, int32_t width, int32_t height, int32_t bytes) {
  const int64_t lastRow = int64_t{height - 1} * rowBytes;
  const auto base = reinterpret_cast<uintptr_t>(p);
  return ByteSpan{base + static_cast<uintptr_t>(std::min<int64_t>(lastRow, 0)),
                  base + static_cast<uintptr_t>(std::max<int64_t>(lastRow, 0) + int64_t{width} * bytes)};
}

// The vector rows read and write in blocks, so rows that share bytes (a bitmap drawn onto itself) keep the
// pixel-by-pixel order of the plain routine.
template <ConvertRoutine HotRows::*Member, int Dst, int Src>
void HotOrPlainRows(uint8_t* d, const uint8_t* s, int64_t dRow, int64_t sRow, int32_t width, int32_t height) {
  if (width <= 0 || height <= 0) return;
  const ByteSpan to = RowsSpan(d, dRow, width, height, Dst);
  const ByteSpan from = RowsSpan(s, sRow, width, height, Src);
  const bool shared = to.first < from.end && from.first < to.end;
  (shared ? kPlainHotRows.*Member : gHotRows->*Member)(d, s, dRow, sRow, width, height);
}

// ---- Keyed draws through a run table: the spans of each row that lie inside the rectangle are copied.

// Copies n bytes (n at least 3) between buffers that do not overlap, short spans without a call: two copies of a
// fixed size that meet or overlap in the middle.
inline void CopySpan(uint8_t* d, const uint8_t* s, size_t n) {
  if (n > 64) {
    std::memcpy(d, s, n);
  } else if (n >= 32) {
    std::memcpy(d, s, 32);
    std::memcpy(d + n - 32, s + n - 32, 32);
  } else if (n >= 16) {
    std::memcpy(d, s, 16);
    std::memcpy(d + n - 16, s + n - 16, 16);
  } else if (n >= 8) {
    std::memcpy(d, s, 8);
    std::memcpy(d + n - 8, s + n - 8, 8);
  } else if (n >= 4) {
    std::memcpy(d, s, 4);
    std::memcpy(d + n - 4, s + n - 4, 4);
  } else {
    std::memcpy(d, s, 2);
    d[2] = s[2];
  }
}

template <int Bytes>
void SpanRows(uint8_t* d, int64_t rowBytes, const KeyRuns& runs, int32_t firstRow, int32_t rows) {
  for (int32_t y = firstRow; y < firstRow + rows; ++y, d += rowBytes) {
    const uint8_t* from = runs.RowPixels(y);
    for (const KeyRuns::Span* span = runs.RowBegin(y); span != runs.RowEnd(y); ++span) {
      const size_t bytes = static_cast<size_t>(span->length) * Bytes;
      CopySpan(d + span->start * Bytes, from, bytes);
      from += bytes;
    }
  }
}

template <int Bytes, ConvertRoutine HotRows::*Member>
void DrawKeyed(Bitmap& destination, Point point, const Bitmap& source, Bounds rect) {
  uint8_t* d = destination.PixelAt(point.x, point.y);
  const uint8_t* s = source.PixelAt(rect.x, rect.y);
  const KeyRuns* runs = source.RunTable();
  if (runs != nullptr) {
    const ByteSpan to = RowsSpan(d, destination.rowBytes, rect.width, rect.height, Bytes);
    const ByteSpan from = RowsSpan(s, source.rowBytes, rect.width, rect.height, Bytes);
    if (to.first < from.end && from.first < to.end) runs = nullptr;
  }
  if (runs == nullptr) {
    HotOrPlainRows<Member, Bytes, Bytes>(d, s, destination.rowBytes, source.rowBytes, rect.width, rect.height);
    return;
  }
  const int32_t left = rect.x;
  const int32_t right = rect.x + rect.width;
  if (left == 0 && right == source.width) {
    // Whole rows: every span is copied whole.
    SpanRows<Bytes>(d, destination.rowBytes, *runs, rect.y, rect.height);
    return;
  }
  for (int32_t i = 0; i < rect.height; ++i, d += destination.rowBytes) {
    const uint8_t* from = runs->RowPixels(rect.y + i);
    for (const KeyRuns::Span* span = runs->RowBegin(rect.y + i); span != runs->RowEnd(rect.y + i); ++span) {
      const uint8_t* spanPixels = from;
      from += static_cast<size_t>(span->length) * Bytes;
      if (span->start >= right) break;
      const int32_t first = std::max(span->start, left);
      const int32_t end = std::min(span->start + span->length, right);
      if (end <= first) continue;
      CopySpan(d + (first - left) * Bytes, spanPixels + size_t(first - span->start) * Bytes,
               static_cast<size_t>(end - first) * Bytes);
    }
  }
}

// ---- Draw table members: the same frame around each kind of row.

template <void (*Rows)(uint8_t*, const uint8_t*, int64_t, int64_t, int32_t, int32_t)>
void DrawWith(Bitmap& destination, Point point, const Bitmap& source, Bounds rect) {
  Rows(destination.PixelAt(point.x, point.y), source.PixelAt(rect.x, rect.y), destination.rowBytes,
       source.rowBytes, rect.width, rect.height);
}

void DrawNothing(Bitmap&, Point, const Bitmap&, Bounds) {}
void ConvertNothing(uint8_t*, const uint8_t*, int64_t, int64_t, int32_t, int32_t) {}
void FillNothing(uint8_t*, uint32_t, int64_t, int32_t, int32_t) {}
void ShadeNothing(uint8_t*, int32_t, int64_t, int32_t, int32_t) {}
void EllipseNothing(Bitmap&, Bounds, uint32_t, int32_t, int32_t, bool) {}
void LinePixelNothing(uint8_t*, uint32_t) {}
uint32_t GetPixelNothing(const uint8_t*) { return 0; }
void MaskFromColourNothing(MaskCursor, uint32_t, const uint8_t*, int64_t, int32_t, int32_t) {}
void ApplyMaskNothing(uint8_t*, int64_t, MaskCursor, int32_t, int32_t) {}

// ---- Single-table routines by pixel size.

template <int Bytes>
void FillPixels(uint8_t* first, uint32_t color, int64_t rowBytes, int32_t width, int32_t height) {
  if (width <= 0 || height <= 0) return;
  // The first row is built pixel by pixel (eight per step), the others copy it.
  uint8_t* p = first;
  int32_t j = 0;
  for (; j + 8 <= width; j += 8, p += 8 * Bytes) {
    for (int k = 0; k < 8; ++k) Store<Bytes>(p + k * Bytes, color);
  }
  for (; j < width; ++j, p += Bytes) Store<Bytes>(p, color);
  for (int32_t i = 1; i < height; ++i) std::memcpy(first + i * rowBytes, first, size_t(width) * Bytes);
}

template <int Bytes>
void ShadePixels(uint8_t* first, int32_t level, int64_t rowBytes, int32_t width, int32_t height) {
  const BlitProducts& products = Products();
  const uint8_t* row = products.AlphaRow(level);
  for (int32_t i = 0; i < height; ++i, first += rowBytes) {
    uint8_t* p = first;
    for (int32_t j = 0; j < width; ++j, p += Bytes) {
      if constexpr (Bytes == 2) {
        uint32_t c = Expand(Load16(p), products);
        Store16(p, Pack(uint32_t{row[(c >> 16) & 0xFF]} << 16 | uint32_t{row[(c >> 8) & 0xFF]} << 8 | row[c & 0xFF]));
      } else {
        p[0] = row[p[0]];
        p[1] = row[p[1]];
        p[2] = row[p[2]];
      }
    }
  }
}

void ScaleAlphaPixels(uint8_t* first, int32_t level, int64_t rowBytes, int32_t width, int32_t height) {
  const uint8_t* row = Products().AlphaRow(level);
  for (int32_t i = 0; i < height; ++i, first += rowBytes) {
    for (int32_t j = 0; j < width; ++j) first[j * 4 + 3] = row[first[j * 4 + 3]];
  }
}

template <int Bytes>
void LinePixel(uint8_t* pixel, uint32_t color) {
  Store<Bytes>(pixel, color);
}

template <int Bytes>
uint32_t GetPixelValue(const uint8_t* pixel) {
  return Load<Bytes>(pixel, Products());
}

// The ring: with s = i^2 / ry'^2 + j^2 / rx'^2 over the rectangle's rows i and columns j counted from its centre,
// the pixels with inner < s < 1 take the colour. Pixels outside the bitmap are skipped.
template <int Bytes>
void EllipseRing(Bitmap& bitmap, Bounds rect, uint32_t color, int32_t radiusXLess1, int32_t radiusYLess1,
                 bool thick) {
  const double inner = thick ? static_cast<double>(0.8f) : static_cast<double>(0.9f);
  const int32_t halfW = rect.width / 2;
  const int32_t halfH = rect.height / 2;
  const double scaleX = 1.0 / (double(radiusXLess1) * radiusXLess1);
  const double scaleY = 1.0 / (double(radiusYLess1) * radiusYLess1);
  // Only the rows and columns that fall inside the bitmap are visited.
  const int64_t firstRow = std::max<int64_t>(-halfH, -int64_t{rect.y} - halfH);
  const int64_t lastRow = std::min<int64_t>(halfH - 1, int64_t{bitmap.height} - 1 - rect.y - halfH);
  const int64_t firstColumn = std::max<int64_t>(-halfW, -int64_t{rect.x} - halfW);
  const int64_t lastColumn = std::min<int64_t>(halfW - 1, int64_t{bitmap.width} - 1 - rect.x - halfW);
  for (int64_t i = firstRow; i <= lastRow; ++i) {
    const auto y = static_cast<int32_t>(rect.y + i + halfH);
    for (int64_t j = firstColumn; j <= lastColumn; ++j) {
      const double s = scaleY * (double(i) * i) + scaleX * (double(j) * j);
      if (s > inner && s < 1.0) Store<Bytes>(bitmap.PixelAt(static_cast<int32_t>(rect.x + j + halfW), y), color);
    }
  }
}

// Whether a pixel equals the colour, by the rule of its size.
template <int Bytes>
inline bool EqualsColor(const uint8_t* p, uint32_t color) {
  if constexpr (Bytes == 4) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v == color;
  } else if constexpr (Bytes == 3) {
    return p[0] == (color & 0xFF) && p[1] == ((color >> 8) & 0xFF) && p[2] == ((color >> 16) & 0xFF);
  } else {
    return Load16(p) == Pack(color);
  }
}

template <int Bytes>
void MaskFromColour(MaskCursor mask, uint32_t color, const uint8_t* first, int64_t rowBytes, int32_t width,
                    int32_t height) {
  for (int32_t i = 0; i < height; ++i, first += rowBytes, mask.rowStart += mask.rowBytes) {
    uint8_t* byte = mask.rowStart;
    int32_t bit = mask.startBit;
    const uint8_t* p = first;
    for (int32_t j = 0; j < width; ++j, p += Bytes) {
      if (EqualsColor<Bytes>(p, color)) {
        *byte = static_cast<uint8_t>(*byte & ~(1u << bit));
      } else {
        *byte = static_cast<uint8_t>(*byte | (1u << bit));
      }
      if (++bit == 8) {
        bit = 0;
        ++byte;
      }
    }
  }
}

// Outside the mask a pixel becomes transparent under the key rules; inside, a pure white moves to the nearest
// colour that stays visible.
template <int Bytes>
void ApplyMaskPixels(uint8_t* first, int64_t rowBytes, MaskCursor mask, int32_t width, int32_t height) {
  for (int32_t i = 0; i < height; ++i, first += rowBytes, mask.rowStart += mask.rowBytes) {
    const uint8_t* byte = mask.rowStart;
    int32_t bit = mask.startBit;
    uint8_t* p = first;
    for (int32_t j = 0; j < width; ++j, p += Bytes) {
      bool inside = (*byte >> bit) & 1;
      if constexpr (Bytes == 4) {
        if (!inside) std::memset(p, 0, 4);
      } else if constexpr (Bytes == 3) {
        bool white = (p[0] & p[1] & p[2]) == 0xFF;
        if (!inside) {
          p[0] = p[1] = p[2] = 0xFF;
        } else if (white) {
          p[0] = p[1] = p[2] = 0xFE;
        }
      } else {
        if (!inside) {
          Store16(p, 0x7FFF);
        } else if ((Load16(p) & 0x7FFF) == 0x7FFF) {
          Store16(p, 0xFBDE);
        }
      }
      if (++bit == 8) {
        bit = 0;
        ++byte;
      }
    }
  }
}

// The rows of a pair of sizes: the hot ones go through the chosen set (equal-size keyed draws are DrawKeyed).
template <int Dst>
constexpr ConvertRoutine AlphaRowsOf() {
  if constexpr (Dst == 3) return HotOrPlainRows<&HotRows::alphaOnto3, 3, 4>;
  if constexpr (Dst == 4) return HotOrPlainRows<&HotRows::alphaOnto4, 4, 4>;
  return AlphaRows<Dst>;
}

template <int Dst, int Src>
constexpr ConvertRoutine ConvertRowsOf() {
  if constexpr (Dst == 4 && Src == 3) return HotOrPlainRows<&HotRows::convert3to4, 4, 3>;
  if constexpr (Dst == 3 && Src == 4) return HotOrPlainRows<&HotRows::convert4to3, 3, 4>;
  return ConvertRows<Dst, Src>;
}

template <int Dst, int Src>
DrawRoutine DrawMember(DrawKind kind) {
  switch (kind) {
    case DrawKind::kKey:
      if constexpr (Dst == 3 && Src == 3) return DrawKeyed<3, &HotRows::key3>;
      if constexpr (Dst == 4 && Src == 4) return DrawKeyed<4, &HotRows::key4>;
      return DrawWith<KeyRows<Dst, Src>>;
    case DrawKind::kAlpha:
      if constexpr (Src == 4) return DrawWith<AlphaRowsOf<Dst>()>;
      return DrawWith<ConvertRowsOf<Dst, Src>()>;
    default:
      return DrawWith<ConvertRowsOf<Dst, Src>()>;
  }
}

template <int Dst>
DrawRoutine DrawMemberFor(int32_t sourceBytes, DrawKind kind) {
  switch (sourceBytes) {
    case 2:
      return DrawMember<Dst, 2>(kind);
    case 3:
      return DrawMember<Dst, 3>(kind);
    case 4:
      return DrawMember<Dst, 4>(kind);
    default:
      return DrawNothing;
  }
}

template <int Dst>
ConvertRoutine ConvertMemberFor(int32_t sourceCode) {
  switch (sourceCode) {
    case 2:
      return ConvertRowsOf<Dst, 2>();
    case 3:
      return ConvertRowsOf<Dst, 3>();
    case 4:
      return ConvertRowsOf<Dst, 4>();
    default:
      return ConvertNothing;
  }
}

template <int Bytes>
void FillSingleTables(BlitTables& tables) {
  tables.fillTable[Bytes] = FillPixels<Bytes>;
  tables.shadeTable[Bytes] = ShadePixels<Bytes>;
  tables.ellipseTable[Bytes] = EllipseRing<Bytes>;
  tables.linePixelTable[Bytes] = LinePixel<Bytes>;
  tables.getPixelTable[Bytes] = GetPixelValue<Bytes>;
  tables.maskFromColourTable[Bytes] = MaskFromColour<Bytes>;
  tables.applyMaskTable[Bytes] = ApplyMaskPixels<Bytes>;
}

}  // namespace

// A key source draws keyed unless it also has alpha; alpha applies only to 4-byte sources (smaller ones with
// the alpha flag copy plainly).
DrawKind DrawKindFor(int32_t sourceFormat) {
  const bool alpha = (sourceFormat & kFormatAlphaFlag) != 0;
  const bool key = (sourceFormat & kFormatKeyFlag) != 0;
  if (alpha) return (sourceFormat & kFormatBytesMask) == 4 ? DrawKind::kAlpha : DrawKind::kPlain;
  return key ? DrawKind::kKey : DrawKind::kPlain;
}

BlitIsa BestBlitIsa() {
  static const BlitIsa best = BlitIsaAvailable(BlitIsa::kAvx2)   ? BlitIsa::kAvx2
                              : BlitIsaAvailable(BlitIsa::kSse2) ? BlitIsa::kSse2
                                                                 : BlitIsa::kPlain;
  return best;
}

bool BlitIsaAvailable(BlitIsa isa) {
  if (isa == BlitIsa::kPlain) return true;
  if (VectorHotRows(isa) == nullptr) return false;
#if defined(__x86_64__)
  if (isa == BlitIsa::kAvx2) return __builtin_cpu_supports("avx2");
  return true;
#else
  return false;
#endif
}

const HotRows& HotRowsFor(BlitIsa isa) {
  const HotRows* rows = isa == BlitIsa::kPlain ? nullptr : VectorHotRows(isa);
  return rows != nullptr ? *rows : kPlainHotRows;
}

void FillBlitRoutineTables(BlitTables& tables) { FillBlitRoutineTables(tables, BestBlitIsa()); }

void FillBlitRoutineTables(BlitTables& tables, BlitIsa isa) {
  gHotRows = BlitIsaAvailable(isa) ? &HotRowsFor(isa) : &kPlainHotRows;
  for (int32_t index = 0; index < 1024; ++index) {
    const int32_t destinationBytes = (index >> 6) & kFormatBytesMask;
    const int32_t sourceFormat = index & 63;
    const int32_t sourceBytes = sourceFormat & kFormatBytesMask;
    const DrawKind kind = DrawKindFor(sourceFormat);
    switch (destinationBytes) {
      case 2:
        tables.drawTable[index] = DrawMemberFor<2>(sourceBytes, kind);
        tables.convertTable[index] = ConvertMemberFor<2>(index & 63);
        break;
      case 3:
        tables.drawTable[index] = DrawMemberFor<3>(sourceBytes, kind);
        tables.convertTable[index] = ConvertMemberFor<3>(index & 63);
        break;
      case 4:
        tables.drawTable[index] = DrawMemberFor<4>(sourceBytes, kind);
        tables.convertTable[index] = ConvertMemberFor<4>(index & 63);
        break;
      default:
        tables.drawTable[index] = DrawNothing;
        tables.convertTable[index] = ConvertNothing;
        break;
    }
    // The conversion table's destination index is the bytes per pixel alone (bits 6 to 8 of the index).
    if (index >= 512) tables.convertTable[index] = ConvertNothing;
  }
  for (int32_t bytes = 0; bytes < 8; ++bytes) {
    tables.fillTable[bytes] = FillNothing;
    tables.shadeTable[bytes] = ShadeNothing;
    tables.scaleAlphaTable[bytes] = ShadeNothing;
    tables.ellipseTable[bytes] = EllipseNothing;
    tables.linePixelTable[bytes] = LinePixelNothing;
    tables.getPixelTable[bytes] = GetPixelNothing;
    tables.maskFromColourTable[bytes] = MaskFromColourNothing;
    tables.applyMaskTable[bytes] = ApplyMaskNothing;
  }
  FillSingleTables<2>(tables);
  FillSingleTables<3>(tables);
  FillSingleTables<4>(tables);
  tables.scaleAlphaTable[4] = ScaleAlphaPixels;
}
