// MapLocation: a location shown as a tile map. Entering it reads "Maps/<name>.cma" into a new TileMap, places the
// player on it (by the edge the previous map was left at), sets the map view up inside screen layout 17 with the
// status panel when its interface flag is set, and runs the location's events. While it is the current location
// its click operation runs once a pass of the main loop: the interface's portrait and map buttons, the event
// spots, the key shortcuts, and the map's tick. A still screen shown over the map leaves it loaded (active), so
// that going back to it shows it again without reading it anew.
//
// Record, after the common part of a location:
//   3 x (short string sound name, int16 chance in percent)   ambient sounds 1 to 3
//   int16                                                   not 0: the scenario's global shortcuts also apply
//   key-shortcut list (location_spot_list.h)                the map's own shortcuts
//   int16                                                   interface flag
//   4 x short string                                        the locations beyond the top, bottom, right and left
//   short string                                            enter event: the name of an event called on entry
//   short string                                            kept
//   event body                                              enter actions, run on entry
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "game/world/location.h"

class Layout;
class LocationSpotList;
class ScriptEvent;
class TileMap;

// Enter's result for a map file that cannot be opened; a damaged one gives its MapFileError (map_file.h).
constexpr int32_t kMapFileMissing = 1;

class MapLocation : public Location {
 public:
  explicit MapLocation(DataStream& stream);
  ~MapLocation() override;

  // 0 when entered. A map file that is missing (kMapFileMissing) or damaged (its MapFileError) is refused before
  // anything changes: no location is left and the pending exit is cleared. A map whose building is stopped by the
  // game ending gives that result, with no current location.
  int32_t Enter() override;
  void Leave() override;
  void OnClick() override;
  void Draw() override;

  const std::array<LocationAmbientSound, 3>& AmbientSounds() const { return sounds_; }
  const LocationSpotList* Shortcuts() const { return shortcuts_.get(); }
  bool UsesGlobalShortcuts() const { return globalShortcuts_ != 0; }
  const std::array<std::string, 4>& EdgeExits() const { return exits_; }
  const std::string& EnterEventName() const { return enterEvent_; }
  // The text that follows the enter event's name in the record: kept, read by nothing else.
  const std::string& TextAfterEnterEvent() const { return keptText_; }
  // The enter actions, run on entry.
  const ScriptEvent* EnterActions() const { return enterActions_.get(); }
  // The loaded map, null while the location is not active.
  TileMap* Map() const { return map_.get(); }
  // Where the map view's top-left lies on the screen (0, 0 without the interface).
  int32_t OriginX() const { return originX_; }
  int32_t OriginY() const { return originY_; }
  // Whether a click on the panel fires: a pass with the pointer on the panel and no click (or a pause) arms it,
  // a pass with the pointer off the panel disarms it.
  bool IsPanelArmed() const { return panelArmed_; }

 private:
  // Shows the map again when the location is entered while still loaded.
  void ShowAgain();
  // Places the player on the new map by the pending exit, and gives it its figure there.
  void PlacePlayer();
  // Whether a script that ran left the map or changed the location (then nothing more is done here).
  bool LeftBy(uint64_t generation, const std::string& location) const;

  std::array<LocationAmbientSound, 3> sounds_;
  int16_t globalShortcuts_ = 0;
  std::unique_ptr<LocationSpotList> shortcuts_;
  std::array<std::string, 4> exits_;
  std::string enterEvent_;
  std::string keptText_;
  std::unique_ptr<ScriptEvent> enterActions_;
  int32_t originX_ = 0;
  int32_t originY_ = 0;
  std::unique_ptr<TileMap> map_;
  Layout* layout_ = nullptr;
  bool panelArmed_ = true;
};
