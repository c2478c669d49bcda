// The world's calls as the shell sees them before the world is built.
#include "game/world/world_services.h"

#include "game/shell/data/data_stream.h"
#include "game/shell/record_lists.h"
#include "game/world/sprite.h"

namespace {

struct WorldState {
  int32_t mapKeyA = 'x';
  int32_t mapKeyB = 'z';
};

WorldState& State() {
  // Never destroyed: a shut-down signal may end the process while the loop still runs.
  static WorldState* state = new WorldState;
  return *state;
}

}  // namespace

void ShiftMapTimers() {}

int32_t DirectionFromDelta(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  if (x0 == x1) return y1 > y0 ? 5 : y1 < y0 ? 1 : 0;
  if (y0 == y1) return x1 > x0 ? 3 : 7;
  if (x1 < x0) return y1 < y0 ? 8 : 6;
  return y1 < y0 ? 2 : 4;
}

void SetMapKeys(int32_t first, int32_t second) {
  State().mapKeyA = first;
  State().mapKeyB = second;
}
int32_t GetMapKeyA() { return State().mapKeyA; }
int32_t GetMapKeyB() { return State().mapKeyB; }

namespace PathFinder {
void Init() {}
void FreeLists() {}
}  // namespace PathFinder
