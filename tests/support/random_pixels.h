// Deterministic random bytes for the tests that set a fast pixel path against its plain routine: a fixed seed
// gives the same pixels on every run.
#pragma once

#include <cstdint>
#include <vector>

namespace test_support {

class RandomPixels {
 public:
  explicit RandomPixels(uint64_t seed) : state_(seed) {}

  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  uint8_t Byte() { return static_cast<uint8_t>(Next() >> 24); }
  // True about once in `n` calls.
  bool OneIn(uint32_t n) { return Next() % n == 0; }

  std::vector<uint8_t> Bytes(size_t count) {
    std::vector<uint8_t> bytes(count);
    for (uint8_t& b : bytes) b = Byte();
    return bytes;
  }

 private:
  uint64_t state_;
};

}  // namespace test_support
