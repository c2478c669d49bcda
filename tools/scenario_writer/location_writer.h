// The scenario writer's location records ("Locations/Defs/<name>.loc", the name being the location's) and
// location pictures ("Locations/Location pics/<name>.pct"), exactly as the game reads them.
//
// Every record starts with the common part: int16 kind, four int16 values, a short string; the kind's own
// fields follow. Event bodies are written by the record writer, shortcut lists by the Config writer.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/scenario_writer/config_writer.h"
#include "tools/scenario_writer/record_writer.h"
#include "tools/scenario_writer/scenario_files.h"

namespace scenario_writer {

// The fields every kind shares after its kind; the game keeps them and reads nothing from them.
struct LocationCommonSpec {
  std::array<int16_t, 4> values{};
  std::string text;
};

struct AmbientSoundSpec {
  std::string name;
  int16_t chance = 0;
};

struct HotspotSpec {
  std::string location;
  int16_t x = 0, y = 0, width = 0, height = 0;
};

// Kind 0: a still screen.
struct ScreenLocationSpec {
  LocationCommonSpec common;
  std::array<AmbientSoundSpec, 3> sounds;
  int16_t globalShortcuts = 0;
  std::vector<SpotSpec> shortcuts;
  int16_t interface = 0;
  std::vector<HotspotSpec> hotspots;
  std::string enterEvent;
  std::string keptText;
  EventSpec enterActions;
};

// Kind 3: a shop. An optional event with a body is written as ":::" and the body; one without, as its name.
struct ShopLocationSpec {
  LocationCommonSpec common;
  std::vector<std::string> goods;
  int16_t shopKind = 4;
  std::string enterEvent;
  std::string keptText;
  EventSpec enterActions;
  EventReferenceSpec cannotPay;
  EventReferenceSpec secondEvent;
};

// Kind 4: a location that only runs script.
struct ScriptLocationSpec {
  LocationCommonSpec common;
  std::string enterEvent;
  std::string keptText;
  EventSpec enterActions;
};

// Kind 10: a tile map (its map is "Maps/<name>.cma").
struct MapLocationSpec {
  LocationCommonSpec common;
  std::array<AmbientSoundSpec, 3> sounds;
  int16_t globalShortcuts = 0;
  std::vector<SpotSpec> shortcuts;
  int16_t interface = 0;
  std::array<std::string, 4> exits;  // the locations beyond the top, bottom, right and left edges
  std::string enterEvent;
  std::string keptText;
  EventSpec enterActions;
};

Bytes EncodeScreenLocation(const ScreenLocationSpec& location);
Bytes EncodeShopLocation(const ShopLocationSpec& location);
Bytes EncodeScriptLocation(const ScriptLocationSpec& location);
Bytes EncodeMapLocation(const MapLocationSpec& location);
// The common part alone, of any kind (a kind the game does not build, or a record cut short).
Bytes EncodeLocationCommon(int16_t kind, const LocationCommonSpec& common = {});

// "Locations/Defs/<name>.loc" and "Locations/Location pics/<name>.pct".
std::string LocationRecordPath(const std::string& name);
std::string LocationPicturePath(const std::string& name);

}  // namespace scenario_writer
