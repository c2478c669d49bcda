// The game's own 15-bit linear congruential generator.
#include "game/shell/data/game_random.h"

namespace {
uint32_t g_randomState = 1;  // the state before any seeding
}  // namespace

void SeedRandom(uint32_t seed) { g_randomState = seed; }

int32_t NextRandom() {
  g_randomState = g_randomState * 1103515245u + 12345u;
  return static_cast<int32_t>((g_randomState >> 16) & 0x7FFF);
}

int32_t RandomBit() { return 1 - (NextRandom() & 1); }

int32_t RandomRange(int32_t a, int32_t b) {
  if (a >= b) return a;
  // The span is taken in 64 bits so that the widest ranges do not overflow.
  int64_t span = static_cast<int64_t>(b) - a + 1;
  return static_cast<int32_t>(a + NextRandom() % span);
}
