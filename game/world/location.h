// Location: one place of the scenario's world, read from its record file in "Locations/Defs/". The kinds are the
// still screen (ScreenLocation), the shop (ShopLocation), the location that only runs script (ScriptLocation) and
// the tile map (MapLocation). Exactly one location is current at a time: the main loop gives it the click
// operation once a pass and draws it once a frame. A location belongs to the scenario's location list; the
// current location and the last still screen and map entered only point at it.
//
// Record (big-endian), common part: int16 kind, four int16 values (kept), a short string (kept); the kind's own
// fields follow. A short string is a length byte and that many bytes. The location's name is its file's name,
// less the extension.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "game/rules/named_record.h"

class DataStream;

// The kind of a location, the 16-bit code at the head of its record.
enum LocationKind : int16_t {
  kLocationKindScreen = 0,
  kLocationKindShop = 3,
  kLocationKindScript = 4,
  kLocationKindMap = 10,
};

// One of a location's three ambient sounds: a sound of the scenario or its plug-ins, and its chance in percent.
struct LocationAmbientSound {
  std::string name;
  int16_t chance = 0;
};

// Reads the three ambient sounds of a record: each a short string (the sound's name) and an int16 chance.
void ReadAmbientSounds(DataStream& stream, std::array<LocationAmbientSound, 3>& sounds);
// Gives the three ambient-sound channels a location's sounds (a sound found by name in the plug-ins and the
// scenario; none for an empty name) and chances.
void StartAmbientSounds(const std::array<LocationAmbientSound, 3>& sounds);

class Location : public NamedRecord {
 public:
  // A location that is not read from a record, of the given kind.
  explicit Location(int16_t kind = kLocationKindScreen) : kind_(kind) {}
  // Reads the common part of a record; the kind's constructor reads the rest.
  explicit Location(DataStream& stream);
  ~Location() override;

  // 0 when the location was entered, otherwise an error code.
  virtual int32_t Enter() { return 0; }
  virtual void Leave() {}
  // The main loop's operations on the current location: a click and the keys once a pass, the drawing once a
  // frame.
  virtual void OnClick() {}
  virtual void Draw() {}

  // Set while the location is entered and shown (a map location also while it stays loaded under a still
  // screen).
  bool IsActive() const { return active_; }
  int16_t Kind() const { return kind_; }
  // Whether the location shows its screen layout with the portrait, the map buttons and the status panel.
  bool HasInterface() const { return interface_; }
  // The four values and the text of the record's common part: kept, read by nothing else.
  const std::array<int32_t, 4>& KeptValues() const { return keptValues_; }
  const std::string& KeptText() const { return keptText_; }
  // Runs each link as a script event, in order.
  void RunLinks();

 protected:
  void SetActive(bool active) { active_ = active; }
  void SetInterface(bool shown) { interface_ = shown; }

 private:
  int16_t kind_ = kLocationKindScreen;
  std::array<int32_t, 4> keptValues_{};
  std::string keptText_;
  bool interface_ = false;
  bool active_ = false;
  std::vector<std::string> links_;
};

// Reads the kind of the record at the stream's position (leaving it unread) and builds the location of that kind
// (still screen, shop, script location or tile map), which reads its whole record. Null, with nothing read, for a
// kind that names no location. A record cut short is built with zeros and empty texts past its end (a record
// too short for its kind reads kind 0, a still screen).
std::unique_ptr<Location> CreateLocation(DataStream& stream);

Location* GetCurrentLocation();
// Set by the Enter operations (a script location excepted), and to null by a map location whose map fails to
// load.
void SetCurrentLocation(Location* location);
// Whether the scenario's location list holds a location of that name, compared without regard to case.
bool LocationExists(const std::string& name);

class ScreenLocation;
// The still screen entered last, null before any; the screen clears it when deleted.
ScreenLocation* LastScreenLocation();
void SetLastScreenLocation(ScreenLocation* location);
// The map location entered last, null before any.
Location* LastMapLocation();
void SetLastMapLocation(Location* location);
