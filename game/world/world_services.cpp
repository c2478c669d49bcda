// The world's calls as the shell sees them before the world is built.
#include "game/world/world_services.h"

#include "game/shell/data/data_stream.h"
#include "game/shell/record_lists.h"
#include "game/world/sprite.h"

namespace {

struct WorldState {
  Location* current = nullptr;
  int32_t mapKeyA = 'x';
  int32_t mapKeyB = 'z';
};

WorldState& State() {
  // Never destroyed: a shut-down signal may end the process while the loop still runs.
  static WorldState* state = new WorldState;
  return *state;
}

}  // namespace

Location::~Location() {
  if (State().current == this) State().current = nullptr;
}

std::unique_ptr<Location> CreateLocation(DataStream& stream) {
  stream.PushPosition();
  stream.ReadInt16();
  stream.PopPosition();
  return nullptr;
}

Location* GetCurrentLocation() { return State().current; }
void SetCurrentLocation(Location* location) { State().current = location; }

bool LocationExists(const std::string& name) { return FindLocationByName(name) != nullptr; }

void ShiftMapTimers() {}

void SetMapKeys(int32_t first, int32_t second) {
  State().mapKeyA = first;
  State().mapKeyB = second;
}
int32_t GetMapKeyA() { return State().mapKeyA; }
int32_t GetMapKeyB() { return State().mapKeyB; }

namespace LocationHistory {
void Push() {}
void Drop() {}
void Write(DataStream& stream) { stream.WriteInt16(0); }
void Read(DataStream& stream) {
  int16_t count = stream.ReadInt16();
  for (int16_t i = 0; i < count && stream.GetError() == 0; ++i) {
    for (int k = 0; k < 4; ++k) stream.ReadInt16();
    std::string text;
    stream.ReadPString(text);
    stream.ReadPString(text);
  }
}
bool GoBack() { return false; }
void LeaveAllAndClear() {}
void Clear() {}
void Reset() {}
int32_t Count() { return 0; }
}  // namespace LocationHistory
