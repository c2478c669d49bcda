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

void SetMapKeys(int32_t first, int32_t second) {
  State().mapKeyA = first;
  State().mapKeyB = second;
}
int32_t GetMapKeyA() { return State().mapKeyA; }
int32_t GetMapKeyB() { return State().mapKeyB; }

