// What the shell asks of the world: locations and the current one, the current tile map, the location history,
// the explored-area masks and the path finder.
//
// The world's locations, maps and history come with the world itself. Until then these are the calls with the
// least behaviour that stays honest: no location kind can be read yet (CreateLocation gives null), there is no
// current location and no tile map, and the history and the masks are empty lists that are written and read as
// such.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "game/rules/named_record.h"

class DataStream;

class Location : public NamedRecord {
 public:
  Location() = default;
  explicit Location(DataStream& stream) : NamedRecord(stream) {}
  ~Location() override;
  virtual int32_t Enter() { return 0; }
  virtual void Leave() {}
  virtual void OnClick() {}
  virtual void Draw() {}
  bool IsShown() const { return shown_; }

 protected:
  bool shown_ = false;
};

// Reads the kind (int16, left unread) and makes a location of that kind; null for a kind this build cannot read.
std::unique_ptr<Location> CreateLocation(DataStream& stream);
Location* GetCurrentLocation();
void SetCurrentLocation(Location* location);

struct Point;

class TileMap {
 public:
  bool IsFrozen() const { return true; }
  void Leave() {}
  // The cell itself: there is no map to search.
  void FindFreeCellNear(int32_t x, int32_t y, int32_t* outX, int32_t* outY) const {
    *outX = x;
    *outY = y;
  }
  void PlayerCellCenter(int32_t* x, int32_t* y) const { *x = *y = 0; }
  void CenterView() {}
};
TileMap* GetCurrentTileMap();  // null: no map is shown

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

void WriteExploredMasks(DataStream& stream);
void ReadExploredMasks(DataStream& stream);
void ClearExploredMasks();
void ResetExploredMasks();

namespace PathFinder {
void Init();
void FreeLists();
}  // namespace PathFinder
