// Whole-row steps of the drawing layer's transfers: a raster operation over the bytes of two rows of one pixel
// format, and 24-bit pixels widened to 32-bit words. Each step has a plain form, the reference, and vector forms
// for x86-64 (SSE2, and AVX2 where the processor has it); the transfers use the best form this processor runs,
// chosen once. All forms give the same bytes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace host::gdi {

struct RowSteps {
  // dst[i] = the operation (the index of a raster operation that does not use the pattern) of src[i] and dst[i].
  void (*rop)(uint8_t index, uint8_t* dst, const uint8_t* src, size_t bytes);
  // B, G, R bytes to 0x00RRGGBB words.
  void (*widen24)(uint32_t* dst, const uint8_t* src, size_t pixels);
};

enum class RowIsa { kPlain, kSse2, kAvx2 };

// The steps of one set; null for a set this build or processor does not run.
const RowSteps* RowStepsFor(RowIsa isa);
// The best set this processor runs.
const RowSteps& BestRowSteps();

}  // namespace host::gdi
