// Rows of 2-byte pixels widened to 4-byte pixels with 8-bit colour channels, the conversion copy bits does for
// 5-5-5 and 5-6-5 sources: each channel is decoded as copy bits decodes it, ((word >> shift) & mask) x scale >> 8,
// and put at its byte of the destination word. A plain form (the reference) and vector forms for x86-64 (SSE2,
// and AVX2 where the processor has it) give the same bytes.
#pragma once

#include <cstdint>

// What the widening of one pair of formats needs, red, green and blue in that order.
struct WideningPlan {
  uint8_t sourceShifts[3];
  uint16_t sourceMasks[3];
  uint16_t scales[3];
  uint8_t destinationShifts[3];  // 0, 8, 16 or 24
  uint32_t alpha;                // or-ed into every destination word
};

using WidenRow = void (*)(const WideningPlan& plan, uint8_t* destination, const uint8_t* source, int32_t count);

enum class WideningIsa { kPlain, kSse2, kAvx2 };

// The form of one set; null for a set this build or processor does not run.
WidenRow WidenRowFor(WideningIsa isa);
// The best form this processor runs.
WidenRow BestWidenRow();
