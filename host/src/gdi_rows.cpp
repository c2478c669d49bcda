// Whole-row steps of the transfers (see gdi_rows.h).
#include "gdi_rows.h"

#include <cstring>
#include <initializer_list>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace host::gdi {
namespace {

// The four results of a raster operation, one for each pair of source and destination bits, as all-ones or
// all-zero words: bit 2s + d of the index is the result for source bit s and destination bit d.
struct RopTerms {
  uint64_t sd, sNotD, notSD, notSNotD;
  explicit RopTerms(uint8_t index)
      : sd((index >> 3) & 1 ? ~0ull : 0), sNotD((index >> 2) & 1 ? ~0ull : 0), notSD((index >> 1) & 1 ? ~0ull : 0),
        notSNotD(index & 1 ? ~0ull : 0) {}
  // What the destination's set bits become, and what its clear bits become, for a source word.
  uint64_t Apply(uint64_t s, uint64_t d) const {
    const uint64_t whenSet = (s & sd) | (~s & notSD);
    const uint64_t whenClear = (s & sNotD) | (~s & notSNotD);
    return (d & whenSet) | (~d & whenClear);
  }
};

void RopPlain(uint8_t index, uint8_t* dst, const uint8_t* src, size_t bytes) {
  const RopTerms terms(index);
  for (size_t i = 0; i < bytes; ++i) dst[i] = static_cast<uint8_t>(terms.Apply(src[i], dst[i]));
}

void Widen24Plain(uint32_t* dst, const uint8_t* src, size_t pixels) {
  for (size_t i = 0; i < pixels; ++i, src += 3) dst[i] = src[0] | uint32_t{src[1]} << 8 | uint32_t{src[2]} << 16;
}

constexpr RowSteps kPlainSteps{RopPlain, Widen24Plain};

#if defined(__x86_64__)

#define KESTRIVAL_AVX2 __attribute__((target("avx2")))

void RopSse2(uint8_t index, uint8_t* dst, const uint8_t* src, size_t bytes) {
  const RopTerms terms(index);
  const __m128i sd = _mm_set1_epi64x(static_cast<int64_t>(terms.sd));
  const __m128i sNotD = _mm_set1_epi64x(static_cast<int64_t>(terms.sNotD));
  const __m128i notSD = _mm_set1_epi64x(static_cast<int64_t>(terms.notSD));
  const __m128i notSNotD = _mm_set1_epi64x(static_cast<int64_t>(terms.notSNotD));
  size_t i = 0;
  for (; i + 16 <= bytes; i += 16) {
    const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
    const __m128i whenSet = _mm_or_si128(_mm_and_si128(s, sd), _mm_andnot_si128(s, notSD));
    const __m128i whenClear = _mm_or_si128(_mm_and_si128(s, sNotD), _mm_andnot_si128(s, notSNotD));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i),
                     _mm_or_si128(_mm_and_si128(d, whenSet), _mm_andnot_si128(d, whenClear)));
  }
  RopPlain(index, dst + i, src + i, bytes - i);
}

// Four pixels a step, read as eight and four bytes.
void Widen24Sse2(uint32_t* dst, const uint8_t* src, size_t pixels) {
  size_t i = 0;
  for (; i + 4 <= pixels; i += 4, src += 12) {
    uint64_t a;
    uint32_t b;
    std::memcpy(&a, src, 8);
    std::memcpy(&b, src + 8, 4);
    const __m128i v = _mm_set_epi32(static_cast<int>(b >> 8), static_cast<int>(((a >> 48) | (uint64_t{b} << 16)) & 0xFFFFFF),
                                    static_cast<int>((a >> 24) & 0xFFFFFF), static_cast<int>(a & 0xFFFFFF));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), v);
  }
  Widen24Plain(dst + i, src, pixels - i);
}

KESTRIVAL_AVX2 void RopAvx2(uint8_t index, uint8_t* dst, const uint8_t* src, size_t bytes) {
  const RopTerms terms(index);
  const __m256i sd = _mm256_set1_epi64x(static_cast<int64_t>(terms.sd));
  const __m256i sNotD = _mm256_set1_epi64x(static_cast<int64_t>(terms.sNotD));
  const __m256i notSD = _mm256_set1_epi64x(static_cast<int64_t>(terms.notSD));
  const __m256i notSNotD = _mm256_set1_epi64x(static_cast<int64_t>(terms.notSNotD));
  size_t i = 0;
  for (; i + 32 <= bytes; i += 32) {
    const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
    const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dst + i));
    const __m256i whenSet = _mm256_or_si256(_mm256_and_si256(s, sd), _mm256_andnot_si256(s, notSD));
    const __m256i whenClear = _mm256_or_si256(_mm256_and_si256(s, sNotD), _mm256_andnot_si256(s, notSNotD));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i),
                        _mm256_or_si256(_mm256_and_si256(d, whenSet), _mm256_andnot_si256(d, whenClear)));
  }
  RopSse2(index, dst + i, src + i, bytes - i);
}

// Eight pixels a step: bytes 0 to 11 and 12 to 23 widened in each half by a byte shuffle; the second half is read
// from byte 8 so that nothing past the 24 bytes is read.
KESTRIVAL_AVX2 void Widen24Avx2(uint32_t* dst, const uint8_t* src, size_t pixels) {
  const __m256i widen = _mm256_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1,  //
                                         4, 5, 6, -1, 7, 8, 9, -1, 10, 11, 12, -1, 13, 14, 15, -1);
  size_t i = 0;
  for (; i + 8 <= pixels; i += 8, src += 24) {
    const __m256i bytes = _mm256_inserti128_si256(
        _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src))),
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 8)), 1);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), _mm256_shuffle_epi8(bytes, widen));
  }
  Widen24Plain(dst + i, src, pixels - i);
}

constexpr RowSteps kSse2Steps{RopSse2, Widen24Sse2};
constexpr RowSteps kAvx2Steps{RopAvx2, Widen24Avx2};

#endif

}  // namespace

const RowSteps* RowStepsFor(RowIsa isa) {
  switch (isa) {
    case RowIsa::kPlain:
      return &kPlainSteps;
#if defined(__x86_64__)
    case RowIsa::kSse2:
      return &kSse2Steps;
    case RowIsa::kAvx2:
      return __builtin_cpu_supports("avx2") ? &kAvx2Steps : nullptr;
#endif
    default:
      return nullptr;
  }
}

const RowSteps& BestRowSteps() {
  static const RowSteps* best = [] {
    for (RowIsa isa : {RowIsa::kAvx2, RowIsa::kSse2}) {
      if (const RowSteps* steps = RowStepsFor(isa)) return steps;
    }
    return &kPlainSteps;
  }();
  return *best;
}

}  // namespace host::gdi
