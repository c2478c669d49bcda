// The row-transfer routines (see row_transfer.h), written once as templates over the transfer kind, the stepping
// and the destination-alpha rule, and gathered into the routine table.
//
// Pixels are read as 32-bit words by bytes per pixel (an 8-bit pixel reads the palette entry it indexes, flag in
// the low byte), decoded to 8-bit channels with the map's channel description, combined, and encoded into the
// destination: through the inverse table for 8-bit destinations, else by keeping each channel's top bits.
#include "platform/graphics/row_transfer.h"

#include <bit>
#include <cstddef>
#include <cstring>
#include <vector>

#include "platform/graphics/graphics_world.h"
#include "platform/graphics/pixel_codec.h"
#include "platform/graphics/widen_rows.h"

namespace {

enum class Stepping { kUnscaled, kScaled, kTiled };

// Blends one channel: d + w x (s - d) / 256, the division truncating toward zero (w from 0 to 256).
inline uint32_t BlendChannel(uint32_t d, uint32_t s, uint32_t w) {
  const int32_t diff = static_cast<int16_t>(static_cast<int32_t>(s) - static_cast<int32_t>(d));
  int32_t product = static_cast<int32_t>(w) * diff;
  if (product < 0) product += 255;
  return static_cast<uint32_t>(static_cast<int32_t>(d) + (product >> 8));
}

inline uint32_t ByteWeight(uint32_t v) { return v + (v >> 7); }

// Walks the rows and columns of a transfer, handing each destination pixel with its source pixel (and mask byte
// when the routine reads the mask) to the pixel operation. Source positions are kept as indexes so that no
// pointer is ever formed outside the source's rows.
template <Stepping kStepping, bool kReadsMask, class PixelOp>
inline void StepPixels(const RowTransferArgs& a, PixelOp op) {
  const PixelMap& dst = *a.destination;
  const PixelMap& src = *a.source;
  const size_t dBpp = dst.bytesPerPixel;
  const size_t sBpp = src.bytesPerPixel;
  const ptrdiff_t dRowBytes = dst.rowBytes;
  const ptrdiff_t sRowBytes = src.rowBytes;
  const ptrdiff_t mRowBytes = kReadsMask ? a.mask->rowBytes : 0;

  const uint8_t* sOrigin = a.sourceStart;
  const uint8_t* mOrigin = a.maskStart;
  if constexpr (kStepping == Stepping::kTiled) {
    // The start addresses point at the first pattern row and column; the walk counts from the pattern's corner.
    sOrigin -= a.firstPatternRow * sRowBytes + a.firstPatternColumn * static_cast<ptrdiff_t>(sBpp);
    if constexpr (kReadsMask) mOrigin -= a.firstPatternRow * mRowBytes + a.firstPatternColumn;
  }

  uint8_t* dRow = a.destinationStart;
  int64_t sy = kStepping == Stepping::kTiled ? a.firstPatternRow : 0;
  uint64_t vAcc = a.verticalError;
  for (int32_t r = 0; r < a.rows; ++r) {
    if (r > 0) {
      dRow += dRowBytes;
      if constexpr (kStepping == Stepping::kUnscaled) {
        ++sy;
      } else if constexpr (kStepping == Stepping::kScaled) {
        vAcc += a.sourceHeight;
        if (vAcc >= a.destinationHeight) {
          const uint64_t steps = vAcc / a.destinationHeight;
          vAcc -= steps * a.destinationHeight;
          sy += static_cast<int64_t>(steps);
        }
      } else {
        if (++sy == a.patternHeight) sy = 0;
      }
    }
    const uint8_t* sLine = sOrigin + sy * sRowBytes;
    const uint8_t* mLine = kReadsMask ? mOrigin + sy * mRowBytes : nullptr;
    uint8_t* d = dRow;
    int64_t sx = kStepping == Stepping::kTiled ? a.firstPatternColumn : 0;
    uint64_t hAcc = a.horizontalError;
    for (int32_t c = 0; c < a.columns; ++c) {
      if constexpr (kReadsMask) {
        op(d, sLine + sx * static_cast<ptrdiff_t>(sBpp), mLine[sx]);
      } else {
        op(d, sLine + sx * static_cast<ptrdiff_t>(sBpp), 0);
      }
      d += dBpp;
      if constexpr (kStepping == Stepping::kUnscaled) {
        ++sx;
      } else if constexpr (kStepping == Stepping::kScaled) {
        hAcc += a.sourceWidth;
        if (hAcc >= a.destinationWidth) {
          const uint64_t steps = hAcc / a.destinationWidth;
          hAcc -= steps * a.destinationWidth;
          sx += static_cast<int64_t>(steps);
        }
      } else {
        if (++sx == a.patternWidth) sx = 0;
      }
    }
  }
}

// Kind 0 between any two formats: decode, encode with full alpha. The coverage slot shares it, since a copy's
// coverage is 255 and encodes to the same full alpha.
inline void ConvertPixel(const RowTransferArgs& a, uint8_t* d, const uint8_t* s, uint32_t alpha) {
  const PixelChannels& channels = a.source->channels;
  const uint32_t word = ReadPixelWord(s, a.source->bytesPerPixel, a.sourcePalette);
  WritePixel(d, *a.destination, a.destinationInverseTable, DecodeChannel(word, channels, kChannelRed),
             DecodeChannel(word, channels, kChannelGreen), DecodeChannel(word, channels, kChannelBlue), alpha);
}

template <Stepping kStepping>
void ConvertPixelByPixel(const RowTransferArgs& a) {
  const uint32_t alpha = FullAlphaBits(a.destination->channels);
  StepPixels<kStepping, false>(a, [&](uint8_t* d, const uint8_t* s, uint8_t) { ConvertPixel(a, d, s, alpha); });
}

// Kind 0 between maps of one format: the stored pixels move unchanged, alpha included.
template <Stepping kStepping, size_t kBytes>
void SameFormatPixelByPixel(const RowTransferArgs& a) {
  StepPixels<kStepping, false>(a, [](uint8_t* d, const uint8_t* s, uint8_t) { std::memcpy(d, s, kBytes); });
}

// ---- Whole-row forms of the copies. They give the bytes of the pixel-by-pixel routines above, which stay the
// reference (PlainRowRoutineTable) and serve what the row forms do not.

// Whether the destination's pixel memory shares bytes with the source's: such copies keep the pixel-by-pixel
// order.
bool MapsShareBytes(const RowTransferArgs& a) {
  auto first = [](const PixelMap& m) { return reinterpret_cast<uintptr_t>(m.baseAddress); };
  auto end = [&first](const PixelMap& m) {
    return first(m) + static_cast<uintptr_t>(int64_t{m.bounds.Height()} * m.rowBytes);
  };
  return first(*a.destination) < end(*a.source) && first(*a.source) < end(*a.destination);
}

// 8-bit sources: the pixel each of the 256 indexes becomes is worked out once, then looked up.
template <size_t kBytes>
void ConvertIndexedRows(const RowTransferArgs& a, const uint32_t* table) {
  for (int32_t r = 0; r < a.rows; ++r) {
    uint8_t* d = a.destinationStart + static_cast<ptrdiff_t>(r) * a.destination->rowBytes;
    const uint8_t* s = a.sourceStart + static_cast<ptrdiff_t>(r) * a.source->rowBytes;
    int32_t c = 0;
    if constexpr (kBytes == 4 && std::endian::native == std::endian::little) {
      // Four indexes read at once, two pixels written at once.
      for (; c + 4 <= a.columns; c += 4) {
        uint32_t indexes;
        std::memcpy(&indexes, s + c, 4);
        const uint64_t low = table[indexes & 0xFF] | uint64_t{table[(indexes >> 8) & 0xFF]} << 32;
        const uint64_t high = table[(indexes >> 16) & 0xFF] | uint64_t{table[indexes >> 24]} << 32;
        std::memcpy(d + c * 4, &low, 8);
        std::memcpy(d + c * 4 + 8, &high, 8);
      }
    }
    for (; c < a.columns; ++c) std::memcpy(d + c * kBytes, &table[s[c]], kBytes);
  }
}

bool ConvertIndexed(const RowTransferArgs& a) {
  if (a.source->bytesPerPixel != 1 || MapsShareBytes(a)) return false;
  const uint32_t alpha = FullAlphaBits(a.destination->channels);
  uint32_t table[256];
  for (uint32_t i = 0; i < 256; ++i) {
    const uint8_t index[4] = {static_cast<uint8_t>(i)};  // a pixel's room, of which the index is the first byte
    uint8_t bytes[4] = {};
    ConvertPixel(a, bytes, index, alpha);
    std::memcpy(&table[i], bytes, 4);
  }
  switch (a.destination->bytesPerPixel) {
    case 1: ConvertIndexedRows<1>(a, table); return true;
    case 2: ConvertIndexedRows<2>(a, table); return true;
    case 3: ConvertIndexedRows<3>(a, table); return true;
    case 4: ConvertIndexedRows<4>(a, table); return true;
    default: return false;
  }
}

// 2-byte sources onto 4-byte destinations whose colour channels are whole bytes.
bool ConvertWidening(const RowTransferArgs& a) {
  const PixelMap& dst = *a.destination;
  const PixelMap& src = *a.source;
  if (src.bytesPerPixel != 2 || dst.bytesPerPixel != 4 || MapsShareBytes(a)) return false;
  WideningPlan plan{};
  const int channels[3] = {kChannelRed, kChannelGreen, kChannelBlue};
  for (int c = 0; c < 3; ++c) {
    const int channel = channels[c];
    if (dst.channels.bits[channel] != 8 || dst.channels.shifts[channel] % 8 != 0) return false;
    plan.sourceShifts[c] = src.channels.shifts[channel];
    plan.sourceMasks[c] = src.channels.masks[channel];
    plan.scales[c] = src.channels.scales[channel];
    plan.destinationShifts[c] = dst.channels.shifts[channel];
  }
  plan.alpha = FullAlphaBits(dst.channels);
  const WidenRow widen = BestWidenRow();
  for (int32_t r = 0; r < a.rows; ++r) {
    widen(plan, a.destinationStart + static_cast<ptrdiff_t>(r) * dst.rowBytes,
          a.sourceStart + static_cast<ptrdiff_t>(r) * src.rowBytes, a.columns);
  }
  return true;
}

template <Stepping kStepping>
void ConvertRows(const RowTransferArgs& a) {
  if constexpr (kStepping == Stepping::kUnscaled) {
    if (ConvertIndexed(a) || ConvertWidening(a)) return;
  }
  ConvertPixelByPixel<kStepping>(a);
}

// Unscaled: one copy per row. Scaled: the source column of each destination column is worked out once; a row
// whose source row is the one before's is a copy of the destination row before.
template <Stepping kStepping, size_t kBytes>
void SameFormatRows(const RowTransferArgs& a) {
  if (kStepping == Stepping::kTiled || MapsShareBytes(a)) {
    SameFormatPixelByPixel<kStepping, kBytes>(a);
    return;
  }
  const ptrdiff_t dRowBytes = a.destination->rowBytes;
  const ptrdiff_t sRowBytes = a.source->rowBytes;
  const size_t rowLength = static_cast<size_t>(a.columns) * kBytes;
  if constexpr (kStepping == Stepping::kUnscaled) {
    for (int32_t r = 0; r < a.rows; ++r) {
      std::memcpy(a.destinationStart + r * dRowBytes, a.sourceStart + r * sRowBytes, rowLength);
    }
  } else {
    thread_local std::vector<int64_t> columns;
    columns.resize(static_cast<size_t>(a.columns));
    int64_t sx = 0;
    uint64_t hAcc = a.horizontalError;
    for (int32_t c = 0; c < a.columns; ++c) {
      columns[static_cast<size_t>(c)] = sx * static_cast<int64_t>(kBytes);
      hAcc += a.sourceWidth;
      if (hAcc >= a.destinationWidth) {
        const uint64_t steps = hAcc / a.destinationWidth;
        hAcc -= steps * a.destinationWidth;
        sx += static_cast<int64_t>(steps);
      }
    }
    int64_t sy = 0;
    int64_t previous = -1;
    uint64_t vAcc = a.verticalError;
    for (int32_t r = 0; r < a.rows; ++r) {
      if (r > 0) {
        vAcc += a.sourceHeight;
        if (vAcc >= a.destinationHeight) {
          const uint64_t steps = vAcc / a.destinationHeight;
          vAcc -= steps * a.destinationHeight;
          sy += static_cast<int64_t>(steps);
        }
      }
      uint8_t* d = a.destinationStart + r * dRowBytes;
      if (sy == previous) {
        std::memcpy(d, d - dRowBytes, rowLength);
        continue;
      }
      previous = sy;
      const uint8_t* sLine = a.sourceStart + sy * sRowBytes;
      for (int32_t c = 0; c < a.columns; ++c) std::memcpy(d + c * kBytes, sLine + columns[size_t(c)], kBytes);
    }
  }
}

// Kinds 1 to 4: source weighed against destination by the mask byte, the source alpha, the level or mask times
// level; the destination alpha by the rule.
template <int kKind, Stepping kStepping, int kRule>
void BlendRows(const RowTransferArgs& a) {
  constexpr bool kReadsMask = kKind == kTransferBlendMask || kKind == kTransferBlendMaskLevel;
  const PixelMap& dst = *a.destination;
  const PixelMap& src = *a.source;
  const PixelChannels& dc = dst.channels;
  const PixelChannels& sc = src.channels;
  const uint32_t full = FullAlphaBits(dc);
  const uint32_t level = a.value & 0xFF;
  StepPixels<kStepping, kReadsMask>(a, [&](uint8_t* d, const uint8_t* s, uint8_t m) {
    const uint32_t sw = ReadPixelWord(s, src.bytesPerPixel, a.sourcePalette);
    const uint32_t dw = ReadPixelWord(d, dst.bytesPerPixel, a.destinationPalette);
    uint32_t coverage;  // 0 to 255: what the coverage rule writes
    uint32_t w;         // 0 to 256
    if constexpr (kKind == kTransferBlendMask) {
      coverage = m;
      w = ByteWeight(m);
    } else if constexpr (kKind == kTransferBlendAlpha) {
      coverage = DecodeChannel(sw, sc, kChannelAlpha);
      w = ByteWeight(coverage);
    } else if constexpr (kKind == kTransferBlendLevel) {
      coverage = level;
      w = level;
    } else {
      coverage = (ByteWeight(level) * ByteWeight(m)) >> 8;
      w = ByteWeight(coverage);
    }
    uint32_t alpha;
    if constexpr (kRule == kAlphaFull) {
      alpha = full;
    } else if constexpr (kRule == kAlphaKept) {
      alpha = EncodeChannel(DecodeChannel(dw, dc, kChannelAlpha), dc, kChannelAlpha);
    } else {
      alpha = EncodeChannel(coverage, dc, kChannelAlpha);
    }
    WritePixel(d, dst, a.destinationInverseTable,
               BlendChannel(DecodeChannel(dw, dc, kChannelRed), DecodeChannel(sw, sc, kChannelRed), w),
               BlendChannel(DecodeChannel(dw, dc, kChannelGreen), DecodeChannel(sw, sc, kChannelGreen), w),
               BlendChannel(DecodeChannel(dw, dc, kChannelBlue), DecodeChannel(sw, sc, kChannelBlue), w), alpha);
  });
}

// Kind 5: source pixels equal to the key are skipped, others converted with full alpha. An 8-bit source compares
// its index with the key's low byte; a deeper source the low 24 bits of its word with the key's.
template <Stepping kStepping>
void ColorKeyRows(const RowTransferArgs& a) {
  const PixelMap& dst = *a.destination;
  const PixelMap& src = *a.source;
  const uint32_t alpha = FullAlphaBits(dst.channels);
  const bool indexed = src.bytesPerPixel == 1;
  const uint32_t key = indexed ? (a.value & 0xFF) : (a.value & 0xFFFFFF);
  StepPixels<kStepping, false>(a, [&](uint8_t* d, const uint8_t* s, uint8_t) {
    const uint32_t word = ReadPixelWord(s, src.bytesPerPixel, a.sourcePalette);
    if (indexed ? *s == key : (word & 0xFFFFFF) == key) return;
    WritePixel(d, dst, a.destinationInverseTable, DecodeChannel(word, src.channels, kChannelRed),
               DecodeChannel(word, src.channels, kChannelGreen), DecodeChannel(word, src.channels, kChannelBlue),
               alpha);
  });
}

using Table = std::array<RowRoutine, kRowRoutineCount>;

template <Stepping kStepping, bool kRows>
constexpr void PutCopies(Table& t, int base) {
  if constexpr (kRows) {
    t[base + 0] = t[base + 1] = &ConvertRows<kStepping>;
    t[base + 2] = &SameFormatRows<kStepping, 1>;
    t[base + 3] = t[base + 4] = &SameFormatRows<kStepping, 2>;
    t[base + 5] = &SameFormatRows<kStepping, 3>;
    t[base + 6] = &SameFormatRows<kStepping, 4>;
  } else {
    t[base + 0] = t[base + 1] = &ConvertPixelByPixel<kStepping>;
    t[base + 2] = &SameFormatPixelByPixel<kStepping, 1>;
    t[base + 3] = t[base + 4] = &SameFormatPixelByPixel<kStepping, 2>;
    t[base + 5] = &SameFormatPixelByPixel<kStepping, 3>;
    t[base + 6] = &SameFormatPixelByPixel<kStepping, 4>;
  }
}

// Three slots (full, kept, coverage) of one kind and stepping; the colour key writes full alpha in all three.
template <int kKind, Stepping kStepping>
constexpr void PutRun(Table& t, int base) {
  if constexpr (kKind == kTransferColorKey) {
    t[base + 0] = t[base + 1] = t[base + 2] = &ColorKeyRows<kStepping>;
  } else {
    t[base + 0] = &BlendRows<kKind, kStepping, kAlphaFull>;
    t[base + 1] = &BlendRows<kKind, kStepping, kAlphaKept>;
    t[base + 2] = &BlendRows<kKind, kStepping, kAlphaCoverage>;
  }
}

template <int kKind>
constexpr void PutKind(Table& t) {
  PutRun<kKind, Stepping::kUnscaled>(t, kRowSlotUnscaledBlend + 6 * (kKind - 1));
  PutRun<kKind, Stepping::kScaled>(t, kRowSlotScaledBlend + 6 * (kKind - 1));
  PutRun<kKind, Stepping::kTiled>(t, kRowSlotTiledBlend + 3 * (kKind - 1));
}

template <bool kRows>
constexpr Table BuildTable() {
  Table t{};
  PutCopies<Stepping::kUnscaled, kRows>(t, 0);
  PutCopies<Stepping::kTiled, kRows>(t, kRowSlotTiledCopy);
  PutCopies<Stepping::kScaled, kRows>(t, kRowSlotScaledCopy);
  PutKind<kTransferBlendMask>(t);
  PutKind<kTransferBlendAlpha>(t);
  PutKind<kTransferBlendLevel>(t);
  PutKind<kTransferBlendMaskLevel>(t);
  PutKind<kTransferColorKey>(t);
  return t;
}

}  // namespace

const std::array<RowRoutine, kRowRoutineCount> RowRoutineTable = BuildTable<true>();
const std::array<RowRoutine, kRowRoutineCount> PlainRowRoutineTable = BuildTable<false>();

int SameFormatCopyIndex(uint32_t bitsPerPixel) {
  switch (bitsPerPixel) {
    case 8: return 2;
    case 15: return 3;
    case 16: return 4;
    case 24: return 5;
    case 32: return 6;
    default: return 0;
  }
}
