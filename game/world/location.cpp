// The location base, the factory and the current location.
#include "game/world/location.h"

#include "game/rules/script_event.h"
#include "game/shell/data/data_stream.h"
#include "game/shell/media/ambient_sounds.h"
#include "game/shell/media/media_lookup.h"
#include "game/shell/record_lists.h"
#include "game/world/map_location.h"
#include "game/world/screen_location.h"
#include "game/world/shop_location.h"
#include "game/world/script_location.h"

namespace {

struct LocationGlobals {
  Location* current = nullptr;
  ScreenLocation* lastScreen = nullptr;
  Location* lastMap = nullptr;
};

LocationGlobals& Globals() {
  // Never destroyed: a shut-down signal may end the process while the loop still runs.
  static LocationGlobals* globals = new LocationGlobals;
  return *globals;
}

}  // namespace

void ReadAmbientSounds(DataStream& stream, std::array<LocationAmbientSound, 3>& sounds) {
  for (LocationAmbientSound& sound : sounds) {
    stream.ReadPString(sound.name);
    sound.chance = stream.ReadInt16();
  }
}

void StartAmbientSounds(const std::array<LocationAmbientSound, 3>& sounds) {
  for (int32_t channel = 0; channel < static_cast<int32_t>(sounds.size()); ++channel) {
    const LocationAmbientSound& sound = sounds[static_cast<size_t>(channel)];
    std::unique_ptr<SoundEffect> effect = sound.name.empty() ? nullptr : FindFileInPlugins(sound.name);
    SetAmbientSound(channel, std::move(effect), static_cast<int8_t>(sound.chance));
  }
}

Location::Location(DataStream& stream) : NamedRecord(stream) {
  kind_ = stream.ReadInt16();
  for (int32_t& value : keptValues_) value = stream.ReadInt16();
  stream.ReadPString(keptText_);
}

Location::~Location() {
  LocationGlobals& globals = Globals();
  if (globals.current == this) globals.current = nullptr;
  if (globals.lastMap == this) globals.lastMap = nullptr;
}

void Location::RunLinks() {
  // A copy: an event may change the location's links.
  const std::vector<std::string> links = links_;
  for (const std::string& link : links) CallEventName(link);
}

std::unique_ptr<Location> CreateLocation(DataStream& stream) {
  // A record cut short is built with the zeros and empty texts read past its end.
  stream.PushPosition();
  const int16_t kind = stream.ReadInt16();
  stream.PopPosition();
  switch (kind) {
    case kLocationKindScreen: return std::make_unique<ScreenLocation>(stream);
    case kLocationKindShop: return std::make_unique<ShopLocation>(stream);
    case kLocationKindScript: return std::make_unique<ScriptLocation>(stream);
    case kLocationKindMap: return std::make_unique<MapLocation>(stream);
    default: return nullptr;
  }
}

Location* GetCurrentLocation() { return Globals().current; }
void SetCurrentLocation(Location* location) { Globals().current = location; }

bool LocationExists(const std::string& name) { return FindLocationByName(name) != nullptr; }

ScreenLocation* LastScreenLocation() { return Globals().lastScreen; }
void SetLastScreenLocation(ScreenLocation* location) { Globals().lastScreen = location; }
Location* LastMapLocation() { return Globals().lastMap; }
void SetLastMapLocation(Location* location) { Globals().lastMap = location; }
