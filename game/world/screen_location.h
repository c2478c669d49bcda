// ScreenLocation: a still screen. It shows one picture ("Locations/Location pics/<name>.pct"), inside screen
// layout 16 with the portrait, ten map buttons and the status panel when its interface flag is set; rectangles
// of the picture (hotspots) lead to other locations, key shortcuts run events, and the script action "St" adds,
// changes and removes picture elements on it, each of which may run an event when clicked. Record coordinates
// (hotspots, elements) are picture coordinates: the origin, where the picture's top-left lies on the screen,
// serves the hit tests and the drawing of the elements alike.
//
// Record, after the common part of a location:
//   3 x (short string sound name, int16 chance in percent)   ambient sounds 1 to 3
//   int16                                                   not 0: the scenario's global shortcuts also apply
//   key-shortcut list (location_spot_list.h)                the screen's own shortcuts
//   int16                                                   interface flag
//   int16 H, then H x (short string location, int16 x, y, width, height)   hotspots (H <= 0: none)
//   short string                                            enter event: the name of an event called on entry
//   short string                                            kept
//   event body                                              enter actions, run on entry
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "game/dialogs/view_layer.h"
#include "game/graphics/bitmap.h"
#include "game/graphics/bounds.h"
#include "game/world/location.h"

class Layout;
class LocationSpotList;
class ScriptEvent;
class Sprite;

struct LocationHotspot {
  std::string location;
  Bounds rect;
};

class ScreenLocation : public Location {
 public:
  explicit ScreenLocation(DataStream& stream);
  ~ScreenLocation() override;

  int32_t Enter() override;
  void Leave() override;
  void OnClick() override;
  void Draw() override;

  // The picture elements. An element is a sprite whose name text holds its name and whose event text holds the
  // event a click on it calls ("" or ":" for none). The first element of a name is the one changed or removed.
  void AddPictureElement(const std::string& name, const std::string& picture, int32_t x, int32_t y,
                         const std::string& text);
  // Changes the picture when it names another one, the text unless it is ":", x and y unless they are 32767.
  void SetElementPicture(const std::string& name, const std::string& picture, int32_t x, int32_t y,
                         const std::string& text);
  void RemoveElementNamed(const std::string& name);
  void ClearElements();

  const std::array<LocationAmbientSound, 3>& AmbientSounds() const { return sounds_; }
  const std::vector<LocationHotspot>& Hotspots() const { return hotspots_; }
  const LocationSpotList* Shortcuts() const { return shortcuts_.get(); }
  bool UsesGlobalShortcuts() const { return globalShortcuts_ != 0; }
  const std::string& EnterEventName() const { return enterEvent_; }
  // The text that follows the enter event's name in the record: kept, read by nothing else.
  const std::string& TextAfterEnterEvent() const { return keptText_; }
  // The enter actions, run on entry.
  const ScriptEvent* EnterActions() const { return enterActions_.get(); }
  const std::vector<std::unique_ptr<Sprite>>& Elements() const { return elements_; }
  // Where the picture's top-left lies on the screen.
  int32_t OriginX() const { return originX_; }
  int32_t OriginY() const { return originY_; }
  const Bitmap* Picture() const { return picture_.get(); }

 private:
  Sprite* FindElement(const std::string& name) const;
  void ClearElementLayer();
  void RemoveLayers();

  std::array<LocationAmbientSound, 3> sounds_;
  int16_t globalShortcuts_ = 0;
  std::unique_ptr<LocationSpotList> shortcuts_;
  std::vector<LocationHotspot> hotspots_;
  std::string enterEvent_;
  std::string keptText_;
  std::unique_ptr<ScriptEvent> enterActions_;
  std::unique_ptr<Bitmap> picture_;
  Layout* layout_ = nullptr;
  std::vector<std::unique_ptr<Sprite>> elements_;
  int32_t originX_ = 0;
  int32_t originY_ = 0;
  ViewLayer background_;
  ViewLayer elementLayer_;
};
