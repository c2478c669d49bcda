// The blitter's hot rows for x86-64: alpha blending, colour keys and the 3- and 4-byte conversions, with SSE2 (every
// x86-64 processor) and with AVX2 (compiled for it function by function and chosen at run time). Each routine gives
// exactly the pixels of its plain routine in blit_routines.cpp: blocks of pixels go through the vector steps, and
// the pixels left at the end of a row go to the plain routine.
//
// The alpha blend of the plain routine is floor(a x s / 255) + floor((255 - a) x d / 255) per channel, through
// the product table. The vector steps compute the same floors exactly: for every product v of two bytes,
// floor(v / 255) = ((v + 1) x 257) >> 16. Alpha 0 leaves the destination's channels and alpha 255 gives the
// source's by the same formula; the alpha byte of a 4-byte destination is kept under alpha 0 and becomes 255
// under any other.
#include "game/graphics/blit_routines.h"

#if defined(__x86_64__)

#include <immintrin.h>

#include <cstring>

namespace {

#define KESTRIVAL_AVX2 __attribute__((target("avx2")))

const HotRows& Plain() { return HotRowsFor(BlitIsa::kPlain); }

// Hands the pixels from column j on of every row to the plain routine.
template <ConvertRoutine HotRows::*Member, int Dst, int Src>
inline void PlainTail(uint8_t* d, const uint8_t* s, int32_t j, int32_t width) {
  if (j < width) (Plain().*Member)(d + j * Dst, s + j * Src, 0, 0, width - j, 1);
}

inline uint64_t Load64(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}
inline uint32_t Load32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}
inline void Store64(uint8_t* p, uint64_t v) { std::memcpy(p, &v, 8); }
inline void Store32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }

// Four 3-byte pixels (12 bytes) as four 0x00RRGGBB words, and back.
inline __m128i LoadFour3(const uint8_t* p) {
  const uint64_t a = Load64(p);
  const uint32_t b = Load32(p + 8);
  return _mm_set_epi32(static_cast<int>(b >> 8), static_cast<int>(((a >> 48) | (uint64_t{b} << 16)) & 0xFFFFFF),
                       static_cast<int>((a >> 24) & 0xFFFFFF), static_cast<int>(a & 0xFFFFFF));
}
inline void StoreFour3(uint8_t* p, __m128i v) {
  const auto low = static_cast<uint64_t>(_mm_cvtsi128_si64(v));
  const auto high = static_cast<uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(v, v)));
  const uint64_t p0 = low & 0xFFFFFF, p1 = (low >> 32) & 0xFFFFFF;
  const uint64_t p2 = high & 0xFFFFFF, p3 = (high >> 32) & 0xFFFFFF;
  Store64(p, p0 | p1 << 24 | p2 << 48);
  Store32(p + 8, static_cast<uint32_t>((p2 >> 16) | p3 << 8));
}

// ---- SSE2

// floor(v / 255) of 16-bit products of two bytes.
inline __m128i Divide255(__m128i v) {
  return _mm_mulhi_epu16(_mm_add_epi16(v, _mm_set1_epi16(1)), _mm_set1_epi16(257));
}

// Two pixels widened to 16-bit channels: the source's channels over the destination's by the source's alpha.
inline __m128i BlendWide(__m128i s, __m128i d) {
  const __m128i a = _mm_shufflehi_epi16(_mm_shufflelo_epi16(s, 0xFF), 0xFF);
  const __m128i rest = _mm_xor_si128(a, _mm_set1_epi16(255));
  return _mm_add_epi16(Divide255(_mm_mullo_epi16(s, a)), Divide255(_mm_mullo_epi16(d, rest)));
}

// Four pixels; the alpha bytes of the result are not meaningful.
inline __m128i BlendFour(__m128i s, __m128i d) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i low = BlendWide(_mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(d, zero));
  const __m128i high = BlendWide(_mm_unpackhi_epi8(s, zero), _mm_unpackhi_epi8(d, zero));
  return _mm_packus_epi16(low, high);
}

// The alpha byte of 4-byte destinations: the destination's under source alpha 0, 255 under any other.
inline __m128i WithAlphaFour(__m128i blended, __m128i s, __m128i d) {
  const __m128i alphaBits = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  const __m128i clear = _mm_cmpeq_epi32(_mm_and_si128(s, alphaBits), _mm_setzero_si128());
  const __m128i alpha = _mm_or_si128(_mm_and_si128(clear, d), _mm_andnot_si128(clear, alphaBits));
  return _mm_or_si128(_mm_andnot_si128(alphaBits, blended), _mm_and_si128(alpha, alphaBits));
}

// Bit k set when pixel k of four has alpha 0 (low nibble) or alpha 255 (high nibble).
inline int AlphaExtremesFour(__m128i s) {
  const __m128i alphaBits = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  const __m128i alpha = _mm_and_si128(s, alphaBits);
  const int clear = _mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(alpha, _mm_setzero_si128())));
  const int full = _mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(alpha, alphaBits)));
  return clear | full << 4;
}

void AlphaOnto3Sse2(uint8_t* d, const uint8_t* s, int64_t dRow, int64_t sRow, int32_t width, int32_t height) {
  for (int32_t i = 0; i < height; ++i, d += dRow, s += sRow) {
    int32_t j = 0;
    for (; j + 4 <= width; j += 4) {
      const __m128i source = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + j * 4));
      const int extremes = AlphaExtremesFour(source);
      if ((extremes & 0xF) == 0xF) continue;
      if ((extremes >> 4) == 0xF) {
        StoreFour3(d + j * 3, source);
        continue;
      }
      StoreFour3(d + j * 3, BlendFour(source, LoadFour3(d + j * 3)));
    }
    PlainTail<&HotRows::alphaOnto3, 3, 4>(d, s, j, width);
  }
}

void AlphaOnto4Sse2(uint8_t* d, const uint8_t* s, int64_t dRow, int64_t sRow, int32_t width, int32_t height) {
  for (int32_t i = 0; i < height; ++i, d += dRow, s += sRow) {
    int32_t j = 0;
    for (; j + 4 <= width; j += 4) {
      auto* to = reinterpret_cast<__m128i*>(d + j * 4);
      const __m128i source = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + j * 4));
      const int extremes = AlphaExtremesFour(source);
      if ((extremes & 0xF) == 0xF) continue;
      if ((extremes >> 4) == 0xF) {
        _mm_storeu_si128(to, source);
        continue;
      }
      const __m128i under = _mm_loadu_si128(to);
      _mm_storeu_si128(to, WithAlphaFour(BlendFour(source, under), source, under));
    }
    PlainTail<&HotRows::alphaOnto4, 4, 4>(d, s, j, width);
  }
}

// For each 8-bit value, a byte of FF for every set bit.
struct ByteMaskTable {
  uint64_t masks[256] = {};
  constexpr ByteMaskTable() {
    for (int value = 0; value < 256; ++value) {
      for (int bit = 0; bit < 8; ++bit) {
        if ((value >> bit) & 1) masks[value] |= uint64_t{0xFF} << (8 * bit);
      }
    }
  }
};
constexpr ByteMaskTable kByteMasks;

// Sixteen bytes of source over the destination, keeping the destination's bytes whose bit is set.
inline void KeepSixteen(uint8_t* d, __m128i source, uint64_t keepBits) {
  const __m128i keep = _mm_set_epi64x(static_cast<int64_t>(kByteMasks.masks[(keepBits >> 8) & 0xFF]),
                                      static_cast<int64_t>(kByteMasks.masks[keepBits & 0xFF]));
  const __m128i under = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(d),
                   _mm_or_si128(_mm_and_si128(keep, under), _mm_andnot_si128(keep, source)));
}

// Sixteen 3-byte pixels (48 bytes); pixel k is transparent when bytes 3k to 3k + 2 are all FF.
inline void KeySixteen3(uint8_t* d, const uint8_t* s) {
  const __m128i ones = _mm_set1_epi8(-1);
  __m128i v[3];
  uint64_t equal = 0;
  for (int k = 0; k < 3; ++k) {
    v[k] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 16 * k));
    equal |= uint64_t(uint32_t(_mm_movemask_epi8(_mm_cmpeq_epi8(v[k], ones)))) << (16 * k);
  }
  constexpr uint64_t kFirstBytes = 0x249249249249ull;  // bit 3k for each pixel k
  const uint64_t keyed = equal & (equal >> 1) & (equal >> 2) & kFirstBytes;
  if (keyed == kFirstBytes) return;
  if (keyed == 0) {
    for (int k = 0; k < 3; ++k) _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 16 * k), v[k]);
    return;
  }
  const uint64_t keep = keyed | keyed << 1 | keyed << 2;
  for (int k = 0; k < 3; ++k) KeepSixteen(d + 16 * k, v[k], keep >> (16 * k));
}

void Key3Sse2(uint8_t* d, const uint8_t* s, int64_t dRow, int64_t sRow, int32_t width, int32_t height) {
  for (int32_t i = 0; i < height; ++i, d += dRow, s += sRow) {
    int32_t j = 0;
    for (; j + 16 <= width; j += 16) KeySixteen3(d + j * 3, s + j * 3);
    PlainTail<&HotRows::key3, 3, 3>(d, s, j, width);
  }
}

void Key4Sse2(uint8_t* d, const uint8_t* s, int64_t dRow, int64_t sRow, int32_t width, int32_t height) {
  const __m128i alphaBits = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  for (int32_t i = 0; i < height; ++i, d += dRow, s += sRow) {
    int32_t j = 0;
    for (; j + 4 <= width; j += 4) {
      auto* to = reinterpret_cast<__m128i*>(d + j * 4);
      const __m128i source = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + j * 4));
      const __m128i clear = _mm_cmpeq_epi32(_mm_and_si128(source, alphaBits), _mm_setzero_si128());
      const int keyed = _mm_movemask_ps(_mm_castsi128_ps(clear));
      if (keyed == 0xF) continue;
      if (keyed == 0) {
        _mm_storeu_si128(to, source);
        continue;
      }
      const __m128i under = _mm_loadu_si128(to);
      _mm_storeu_si128(to, _mm_or_si128(_mm_and_si128(clear, under), _mm_andnot_si128(clear, source)));
    }
    PlainTail<&HotRows::key4, 4, 4>(d, s, j, width);
  }
}

void Convert3to4Sse2(uint8_t* d, const uint8_t* s, int64_t dRow, int64_t sRow, int32_t width, int32_t height) {
  const __m128i alphaBits = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  for (int32_t i = 0; i < height; ++i, d += dRow, s += sRow) {
    int32_t j = 0;
    for (; j + 4 <= width; j += 4) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(d + j * 4), _mm_or_si128(LoadFour3(s + j * 3), alphaBits));
    }
    PlainTail<&HotRows::convert3to4, 4, 3>(d, s, j, width);
  }
}

void Convert4to3Sse2(uint8_t* d, const uint8_t* s, int64_t dRow, int64_t sRow, int32_t width, int32_t height) {
  for (int32_t i = 0; i < height; ++i, d += dRow, s += sRow) {
    int32_t j = 0;
    for (; j + 4 <= width; j += 4) {
      StoreFour3(d + j * 3, _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + j * 4)));
    }
    PlainTail<&HotRows::convert4to3, 3, 4>(d, s, j, width);
  }
}

// ---- AVX2: eight pixels a step. 3-byte rows are widened and narrowed with byte shuffles inside each half.

KESTRIVAL_AVX2 inline __m256i Divide255Avx2(__m256i v) {
  return _mm256_mulhi_epu16(_mm256_add_epi16(v, _mm256_set1_epi16(1)), _mm256_set1_epi16(257));
}

KESTRIVAL_AVX2 inline __m256i BlendWideAvx2(__m256i s, __m256i d) {
  const __m256i a = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(s, 0xFF), 0xFF);
  const __m256i rest = _mm256_xor_si256(a, _mm256_set1_epi16(255));
  return _mm256_add_epi16(Divide255Avx2(_mm256_mullo_epi16(s, a)), Divide255Avx2(_mm256_mullo_epi16(d, rest)));
}

KESTRIVAL_AVX2 inline __m256i BlendEight(__m256i s, __m256i d) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i low = BlendWideAvx2(_mm256_unpacklo_epi8(s, zero), _mm256_unpacklo_epi8(d, zero));
  const __m256i high = BlendWideAvx2(_mm256_unpackhi_epi8(s, zero), _mm256_unpackhi_epi8(d, zero));
  return _mm256_packus_epi16(low, high);
}

KESTRIVAL_AVX2 inline __m256i WithAlphaEight(__m256i blended, __m256i s, __m256i d) {
  const __m256i alphaBits = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
  const __m256i clear = _mm256_cmpeq_epi32(_mm256_and_si256(s, alphaBits), _mm256_setzero_si256());
  const __m256i alpha = _mm256_blendv_epi8(alphaBits, d, clear);
  return _mm256_blendv_epi8(blended, alpha, alphaBits);
}

// Bit k set when pixel k of eight has alpha 0 (low byte) or alpha 255 (high byte).
KESTRIVAL_AVX2 inline int AlphaExtremesEight(__m256i s) {
  const __m256i alphaBits = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
  const __m256i alpha = _mm256_and_si256(s, alphaBits);
  const int clear = _mm256_movemask_ps(_mm256_castsi256_ps(_mm256_cmpeq_epi32(alpha, _mm256_setzero_si256())));
  const int full = _mm256_movemask_ps(_mm256_castsi256_ps(_mm256_cmpeq_epi32(alpha, alphaBits)));
  return clear | full << 8;
}

// Eight 3-byte pixels (24 bytes) as eight 0x00RRGGBB words: the first four from bytes 0 to 11, the other four
// from bytes 12 to 23, read as bytes 4 to 15 of the sixteen from byte 8 so that nothing past the 24 is read.
KESTRIVAL_AVX2 inline __m256i LoadEight3(const uint8_t* p) {
  const __m256i bytes = _mm256_inserti128_si256(
      _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))),
      _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 8)), 1);
  const __m256i widen = _mm256_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1,  //
                                         4, 5, 6, -1, 7, 8, 9, -1, 10, 11, 12, -1, 13, 14, 15, -1);
  return _mm256_shuffle_epi8(bytes, widen);
}

KESTRIVAL_AVX2 inline void StoreEight3(uint8_t* p, __m256i v) {
  const __m256i narrow = _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1,  //
                                          0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
  const __m256i packed = _mm256_shuffle_epi8(v, narrow);
  const __m128i low = _mm256_castsi256_si128(packed);
  const __m128i high = _mm256_extracti128_si256(packed, 1);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm_or_si128(low, _mm_slli_si128(high, 12)));
  _mm_storel_epi64(reinterpret_cast<__m128i*>(p + 16), _mm_srli_si128(high, 4));
}

KESTRIVAL_AVX2 void AlphaOnto3Avx2(uint8_t* d, const uint8_t* s, int64_t dRow, int64_t sRow, int32_t width,
                                   int32_t height) {
  for (int32_t i = 0; i < height; ++i, d += dRow, s += sRow) {
    int32_t j = 0;
    for (; j + 8 <= width; j += 8) {
      const __m256i source = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + j * 4));
      const int extremes = AlphaExtremesEight(source);
      if ((extremes & 0xFF) == 0xFF) continue;
      if ((extremes >> 8) == 0xFF) {
        StoreEight3(d + j * 3, source);
        continue;
      }
      StoreEight3(d + j * 3, BlendEight(source, LoadEight3(d + j * 3)));
    }
    PlainTail<&HotRows::alphaOnto3, 3, 4>(d, s, j, width);
  }
}

KESTRIVAL_AVX2 void AlphaOnto4Avx2(uint8_t* d, const uint8_t* s, int64_t dRow, int64_t sRow, int32_t width,
                                   int32_t height) {
  for (int32_t i = 0; i < height; ++i, d += dRow, s += sRow) {
    int32_t j = 0;
    for (; j + 8 <= width; j += 8) {
      auto* to = reinterpret_cast<__m256i*>(d + j * 4);
      const __m256i source = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + j * 4));
      const int extremes = AlphaExtremesEight(source);
      if ((extremes & 0xFF) == 0xFF) continue;
      if ((extremes >> 8) == 0xFF) {
        _mm256_storeu_si256(to, source);
        continue;
      }
      const __m256i under = _mm256_loadu_si256(to);
      _mm256_storeu_si256(to, WithAlphaEight(BlendEight(source, under), source, under));
    }
    PlainTail<&HotRows::alphaOnto4, 4, 4>(d, s, j, width);
  }
}

// A byte of FF for every set bit of 32 bits.
KESTRIVAL_AVX2 inline __m256i ByteMaskOf(uint32_t bits) {
  const __m256i spread = _mm256_shuffle_epi8(
      _mm256_set1_epi32(static_cast<int>(bits)),
      _mm256_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 2, 2, 2, 3, 3, 3, 3, 3, 3, 3, 3));
  const __m256i select = _mm256_set1_epi64x(static_cast<int64_t>(0x8040201008040201ull));
  return _mm256_cmpeq_epi8(_mm256_and_si256(spread, select), select);
}

// Thirty-two 3-byte pixels (96 bytes); pixel k is transparent when bytes 3k to 3k + 2 are all FF.
KESTRIVAL_AVX2 inline void KeyThirtyTwo3(uint8_t* d, const uint8_t* s) {
  const __m256i ones = _mm256_set1_epi8(-1);
  __m256i v[3];
  unsigned __int128 equal = 0;
  for (int k = 0; k < 3; ++k) {
    v[k] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + 32 * k));
    equal |= static_cast<unsigned __int128>(static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(v[k], ones))))
             << (32 * k);
  }
  constexpr unsigned __int128 kFirstBytes =  // bit 3k for each pixel k
      static_cast<unsigned __int128>(0x24924924ull) << 64 | 0x9249249249249249ull;
  const unsigned __int128 keyed = equal & (equal >> 1) & (equal >> 2) & kFirstBytes;
  if (keyed == kFirstBytes) return;
  if (keyed == 0) {
    for (int k = 0; k < 3; ++k) _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + 32 * k), v[k]);
    return;
  }
  const unsigned __int128 keep = keyed | keyed << 1 | keyed << 2;
  for (int k = 0; k < 3; ++k) {
    const auto bits = static_cast<uint32_t>(keep >> (32 * k));
    auto* to = reinterpret_cast<__m256i*>(d + 32 * k);
    if (bits == 0) {
      _mm256_storeu_si256(to, v[k]);
    } else if (bits != 0xFFFFFFFFu) {
      _mm256_storeu_si256(to, _mm256_blendv_epi8(v[k], _mm256_loadu_si256(to), ByteMaskOf(bits)));
    }
  }
}

KESTRIVAL_AVX2 void Key3Avx2(uint8_t* d, const uint8_t* s, int64_t dRow, int64_t sRow, int32_t width,
                             int32_t height) {
  for (int32_t i = 0; i < height; ++i, d += dRow, s += sRow) {
    int32_t j = 0;
    for (; j + 32 <= width; j += 32) KeyThirtyTwo3(d + j * 3, s + j * 3);
    PlainTail<&HotRows::key3, 3, 3>(d, s, j, width);
  }
}

KESTRIVAL_AVX2 void Key4Avx2(uint8_t* d, const uint8_t* s, int64_t dRow, int64_t sRow, int32_t width,
                             int32_t height) {
  const __m256i alphaBits = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
  for (int32_t i = 0; i < height; ++i, d += dRow, s += sRow) {
    int32_t j = 0;
    for (; j + 8 <= width; j += 8) {
      auto* to = reinterpret_cast<__m256i*>(d + j * 4);
      const __m256i source = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + j * 4));
      const __m256i clear = _mm256_cmpeq_epi32(_mm256_and_si256(source, alphaBits), _mm256_setzero_si256());
      const int keyed = _mm256_movemask_ps(_mm256_castsi256_ps(clear));
      if (keyed == 0xFF) continue;
      if (keyed == 0) {
        _mm256_storeu_si256(to, source);
        continue;
      }
      _mm256_storeu_si256(to, _mm256_blendv_epi8(source, _mm256_loadu_si256(to), clear));
    }
    PlainTail<&HotRows::key4, 4, 4>(d, s, j, width);
  }
}

KESTRIVAL_AVX2 void Convert3to4Avx2(uint8_t* d, const uint8_t* s, int64_t dRow, int64_t sRow, int32_t width,
                                    int32_t height) {
  const __m256i alphaBits = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
  for (int32_t i = 0; i < height; ++i, d += dRow, s += sRow) {
    int32_t j = 0;
    for (; j + 8 <= width; j += 8) {
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + j * 4), _mm256_or_si256(LoadEight3(s + j * 3), alphaBits));
    }
    PlainTail<&HotRows::convert3to4, 4, 3>(d, s, j, width);
  }
}

KESTRIVAL_AVX2 void Convert4to3Avx2(uint8_t* d, const uint8_t* s, int64_t dRow, int64_t sRow, int32_t width,
                                    int32_t height) {
  for (int32_t i = 0; i < height; ++i, d += dRow, s += sRow) {
    int32_t j = 0;
    for (; j + 8 <= width; j += 8) {
      StoreEight3(d + j * 3, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + j * 4)));
    }
    PlainTail<&HotRows::convert4to3, 3, 4>(d, s, j, width);
  }
}

constexpr HotRows kSse2Rows{AlphaOnto3Sse2, AlphaOnto4Sse2, Key3Sse2, Key4Sse2, Convert3to4Sse2, Convert4to3Sse2};
constexpr HotRows kAvx2Rows{AlphaOnto3Avx2, AlphaOnto4Avx2, Key3Avx2, Key4Avx2, Convert3to4Avx2, Convert4to3Avx2};

}  // namespace

const HotRows* VectorHotRows(BlitIsa isa) {
  switch (isa) {
    case BlitIsa::kSse2:
      return &kSse2Rows;
    case BlitIsa::kAvx2:
      return &kAvx2Rows;
    default:
      return nullptr;
  }
}

#else

const HotRows* VectorHotRows(BlitIsa) { return nullptr; }

#endif
