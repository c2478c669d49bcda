// The random generator: each step multiplies the state by 16807 and folds the 64-bit product back into 32 bits;
// the low 16 bits of the new state are the step's output (0x8000 reads as 0).
#include "platform/core/random.h"

#include <atomic>

namespace {

std::atomic<uint32_t> randomState{0};

uint32_t Step() {
  uint64_t product = uint64_t{16807} * randomState.load();
  auto state = static_cast<uint32_t>((product & 0x7FFFFFFF) + (product >> 31) - 0x7FFFFFFF);
  randomState.store(state);
  uint32_t output = state & 0xFFFF;
  return output == 0x8000 ? 0 : output;
}

}  // namespace

uint32_t PlatformSetRandomSeed(uint32_t seed) { return randomState.exchange(seed); }

uint32_t PlatformRandomRange(uint32_t start, uint32_t end) {
  uint32_t range = end - start;
  if (range < 0x10000) return start + ((Step() * range) >> 16);
  uint32_t high = Step();
  uint32_t wide = (high << 16) | Step();
  return start + static_cast<uint32_t>((uint64_t{wide} * range) >> 32);
}
