// Key-shortcut lists: reading and firing.
#include "game/world/location_spot_list.h"

#include "game/shell/data/data_stream.h"
#include "game/shell/input_manager.h"

LocationSpotList::LocationSpotList(DataStream& stream) : NamedRecord(stream) {
  int16_t count = stream.ReadInt16();
  for (int16_t i = 0; i < count; ++i) {
    LocationSpot spot;
    stream.ReadPString(spot.keyText);
    spot.exact = stream.ReadInt16();
    stream.ReadPStringScrambled(spot.eventName, true);
    spot.event = LoadEvent(spot.eventName);
    entries_.push_back(std::move(spot));
  }
  SetLoaded(true);
}

LocationSpotList::~LocationSpotList() = default;

bool RunFirstUsableSpot(LocationSpotList& list) {
  for (const LocationSpot& spot : list.Entries()) {
    if (spot.event == nullptr || spot.keyText.empty()) continue;
    // The key as a signed character: codes 128 to 255 are negative and never match a slot.
    int32_t key = static_cast<int8_t>(spot.keyText[0]);
    bool fires = false;
    if (spot.exact != 0) {
      fires = Input::IsKeyDown(key) != 0;
    } else {
      int32_t lower = (key >= 'A' && key <= 'Z') ? key + 32 : key;
      int32_t upper = (key >= 'a' && key <= 'z') ? key - 32 : key;
      fires = Input::IsKeyDown(lower) != 0 || Input::IsKeyDown(upper) != 0;
    }
    if (!fires) continue;
    Input::ReleaseKey(key);
    RunEventRecord(spot.event.get());
    return true;
  }
  return false;
}
