// Widening 2-byte pixels to 4-byte pixels (see widen_rows.h).
#include "platform/graphics/widen_rows.h"

#include <cstring>
#include <initializer_list>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

void WidenPlain(const WideningPlan& plan, uint8_t* destination, const uint8_t* source, int32_t count) {
  for (int32_t i = 0; i < count; ++i) {
    const uint32_t word = source[2 * i] | uint32_t{source[2 * i + 1]} << 8;
    uint32_t out = plan.alpha;
    for (int c = 0; c < 3; ++c) {
      out |= ((((word >> plan.sourceShifts[c]) & plan.sourceMasks[c]) * plan.scales[c]) >> 8)
             << plan.destinationShifts[c];
    }
    std::memcpy(destination + 4 * i, &out, 4);
  }
}

#if defined(__x86_64__)

#define KESTRIVAL_AVX2 __attribute__((target("avx2")))

// Eight pixels a step: each channel decoded in 16-bit lanes (every product fits 16 bits), widened to 32 bits and
// shifted to its byte.
void WidenSse2(const WideningPlan& plan, uint8_t* destination, const uint8_t* source, int32_t count) {
  const __m128i zero = _mm_setzero_si128();
  int32_t i = 0;
  for (; i + 8 <= count; i += 8) {
    const __m128i words = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + 2 * i));
    __m128i low = _mm_set1_epi32(static_cast<int>(plan.alpha));
    __m128i high = low;
    for (int c = 0; c < 3; ++c) {
      const __m128i field = _mm_and_si128(_mm_srl_epi16(words, _mm_cvtsi32_si128(plan.sourceShifts[c])),
                                          _mm_set1_epi16(static_cast<short>(plan.sourceMasks[c])));
      const __m128i value = _mm_srli_epi16(_mm_mullo_epi16(field, _mm_set1_epi16(static_cast<short>(plan.scales[c]))), 8);
      const __m128i shift = _mm_cvtsi32_si128(plan.destinationShifts[c]);
      low = _mm_or_si128(low, _mm_sll_epi32(_mm_unpacklo_epi16(value, zero), shift));
      high = _mm_or_si128(high, _mm_sll_epi32(_mm_unpackhi_epi16(value, zero), shift));
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(destination + 4 * i), low);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(destination + 4 * i + 16), high);
  }
  WidenPlain(plan, destination + 4 * i, source + 2 * i, count - i);
}

// Sixteen pixels a step, as the SSE2 form; the widening keeps each 128-bit half's pixels in order, so the halves
// are put back in place before they are stored.
KESTRIVAL_AVX2 void WidenAvx2(const WideningPlan& plan, uint8_t* destination, const uint8_t* source, int32_t count) {
  const __m256i zero = _mm256_setzero_si256();
  int32_t i = 0;
  for (; i + 16 <= count; i += 16) {
    const __m256i words = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(source + 2 * i));
    __m256i low = _mm256_set1_epi32(static_cast<int>(plan.alpha));
    __m256i high = low;
    for (int c = 0; c < 3; ++c) {
      const __m256i field = _mm256_and_si256(_mm256_srl_epi16(words, _mm_cvtsi32_si128(plan.sourceShifts[c])),
                                             _mm256_set1_epi16(static_cast<short>(plan.sourceMasks[c])));
      const __m256i value =
          _mm256_srli_epi16(_mm256_mullo_epi16(field, _mm256_set1_epi16(static_cast<short>(plan.scales[c]))), 8);
      const __m128i shift = _mm_cvtsi32_si128(plan.destinationShifts[c]);
      low = _mm256_or_si256(low, _mm256_sll_epi32(_mm256_unpacklo_epi16(value, zero), shift));
      high = _mm256_or_si256(high, _mm256_sll_epi32(_mm256_unpackhi_epi16(value, zero), shift));
    }
    // low holds pixels 0-3 and 8-11, high 4-7 and 12-15.
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(destination + 4 * i), _mm256_permute2x128_si256(low, high, 0x20));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(destination + 4 * i + 32),
                        _mm256_permute2x128_si256(low, high, 0x31));
  }
  WidenSse2(plan, destination + 4 * i, source + 2 * i, count - i);
}

#endif

}  // namespace

WidenRow WidenRowFor(WideningIsa isa) {
  switch (isa) {
    case WideningIsa::kPlain:
      return WidenPlain;
#if defined(__x86_64__)
    case WideningIsa::kSse2:
      return WidenSse2;
    case WideningIsa::kAvx2:
      return __builtin_cpu_supports("avx2") ? WidenAvx2 : nullptr;
#endif
    default:
      return nullptr;
  }
}

WidenRow BestWidenRow() {
  static const WidenRow best = [] {
    for (WideningIsa isa : {WideningIsa::kAvx2, WideningIsa::kSse2}) {
      if (WidenRow row = WidenRowFor(isa)) return row;
    }
    return WidenPlain;
  }();
  return best;
}
