// The game's own 15-bit linear congruential generator.
#include "game/shell/data/game_random.h"

#include <algorithm>
#include <deque>

namespace {
uint32_t g_randomState = 1;  // the state before any seeding

std::deque<int32_t>& ScriptedDraws() {
  static auto* draws = new std::deque<int32_t>;
  return *draws;
}
}  // namespace

void ScriptRandomDraws(std::vector<int32_t> draws) { ScriptedDraws().assign(draws.begin(), draws.end()); }
size_t ScriptedDrawsLeft() { return ScriptedDraws().size(); }

void SeedRandom(uint32_t seed) { g_randomState = seed; }

int32_t NextRandom() {
  g_randomState = g_randomState * 1103515245u + 12345u;
  return static_cast<int32_t>((g_randomState >> 16) & 0x7FFF);
}

int32_t RandomBit() { return 1 - (NextRandom() & 1); }

int32_t RandomRange(int32_t a, int32_t b) {
  if (a >= b) return a;
  if (!ScriptedDraws().empty()) {
    const int32_t draw = ScriptedDraws().front();
    ScriptedDraws().pop_front();
    return std::clamp(draw, a, b);
  }
  // The span is taken in 64 bits so that the widest ranges do not overflow.
  int64_t span = static_cast<int64_t>(b) - a + 1;
  return static_cast<int32_t>(a + NextRandom() % span);
}
