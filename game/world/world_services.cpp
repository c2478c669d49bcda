// The world's calls as the shell sees them: the map's timers after a pause and the map keys.
#include "game/world/world_services.h"

#include "game/rules/character.h"
#include "game/shell/data/data_stream.h"
#include "game/shell/record_lists.h"
#include "game/world/sprite.h"
#include "platform/core/clocks.h"

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

void ShiftMapTimers() {
  const TileMap* map = GetCurrentTileMap();
  // A map that has not ticked yet has no time to catch up on: its time stamp is still 0, and the time since then
  // would push every character's timer on by the clock's whole reading, so that none acted for as long again.
  if (map == nullptr || map->TimeStamp() == 0) return;
  const uint32_t shift = static_cast<uint32_t>(PlatformMilliseconds() - map->TimeStamp());
  for (const auto& character : map->Characters()) {
    character->lastActionTime = static_cast<int32_t>(static_cast<uint32_t>(character->lastActionTime) + shift);
  }
}

void SetMapKeys(int32_t first, int32_t second) {
  State().mapKeyA = first;
  State().mapKeyB = second;
}
int32_t GetMapKeyA() { return State().mapKeyA; }
int32_t GetMapKeyB() { return State().mapKeyB; }

