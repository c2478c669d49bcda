// What the shell asks of the world: locations and the current one, the current tile map, the location history,
// the explored-area masks and the path finder.
//
// The tile map (tile_map.h) and the explored-area masks (explored_mask.h) are the world's own. The locations and
// the history come with the world's locations. Until then these are the calls with the least behaviour that stays
// honest: no location kind can be read yet (CreateLocation gives null), there is no current location, and the
// history is an empty list that is written and read as such.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "game/rules/named_record.h"
#include "game/world/directions.h"
#include "game/world/explored_mask.h"
#include "game/world/path_finder.h"
#include "game/world/tile_map.h"

class DataStream;

// The kinds of location, as the 16-bit code at the head of a location record names them.
constexpr int16_t kLocationKindScreen = 0;
constexpr int16_t kLocationKindShop = 3;
constexpr int16_t kLocationKindScript = 4;
constexpr int16_t kLocationKindMap = 10;

class Location : public NamedRecord {
 public:
  explicit Location(int16_t kind = kLocationKindScreen) : kind_(kind) {}
  explicit Location(DataStream& stream) : NamedRecord(stream) {}
  ~Location() override;
  // 0 when the location was entered, otherwise an error code.
  virtual int32_t Enter() { return 0; }
  virtual void Leave() {}
  virtual void OnClick() {}
  virtual void Draw() {}
  bool IsShown() const { return shown_; }
  int16_t Kind() const { return kind_; }

 protected:
  bool shown_ = false;
  int16_t kind_ = kLocationKindScreen;
};

// Reads the kind (int16, left unread) and makes a location of that kind; null for a kind this build cannot read.
std::unique_ptr<Location> CreateLocation(DataStream& stream);
Location* GetCurrentLocation();
void SetCurrentLocation(Location* location);
// Whether the scenario's location list holds a location of that name, compared without regard to case.
bool LocationExists(const std::string& name);

struct Point;
class Character;
class ItemRecord;
class PictureRef;
class SceneLayer;
class Sprite;

// Moves the shown map's timers past the time the game stood still (a dialog, a pause); nothing without a map.
void ShiftMapTimers();

// The key slots the map's click and keyboard handling test ("-a" and "-b").
void SetMapKeys(int32_t first, int32_t second);
int32_t GetMapKeyA();
int32_t GetMapKeyB();

namespace LocationHistory {
void Push();
void Drop();
void Write(DataStream& stream);
void Read(DataStream& stream);
bool GoBack();
void LeaveAllAndClear();
void Clear();
void Reset();
int32_t Count();
}  // namespace LocationHistory
