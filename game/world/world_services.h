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

// A planned path over map cells, as the path finder makes it; without maps none is planned.
class Path {
 public:
  virtual ~Path() = default;
};

// A tile map as the rest of the game asks it things: until maps are read it has no cells, characters or sprites,
// and answers as such a map does.
class TileMap {
 public:
  bool IsFrozen() const { return true; }
  void Leave() {}
  // Draws the map into its layers: a map without cells has nothing to draw.
  void Draw() {}
  // The cell itself: there is no map to search.
  void FindFreeCellNear(int32_t x, int32_t y, int32_t* outX, int32_t* outY) const {
    *outX = x;
    *outY = y;
  }
  void PlayerCellCenter(int32_t* x, int32_t* y) const { *x = *y = 0; }
  void CenterView() {}
  // The characters on the map, those of them with no stamina left, and those hostile to the player.
  int32_t CharacterCount() const { return 0; }
  int32_t CountDeadCharacters() const { return 0; }
  int32_t HostileCount() const { return 0; }
  // Whether the view follows something other than the player, and the pixel position it follows.
  bool HasFocusOverride() const { return false; }
  void GetFocusPosition(int32_t* x, int32_t* y) const { *x = *y = 0; }
  // The size of one cell in pixels.
  int32_t CellWidth() const { return 0; }
  int32_t CellHeight() const { return 0; }
  // A cell's free flag (1 free, 0 blocked or occupied); cells outside the grid are left alone.
  void SetCellFlag(int32_t, int32_t, uint8_t) {}

  // What the characters ask of the map they stand on: the layer that floating texts rise on and the layer of the
  // characters' figures (none without layers); the alarm of the characters near one that took damage, on its side
  // or against it; taking a character off the character list and its sprite off its layer (the map keeps it);
  // items and gold piles put down on a cell (piles are placed counted from 1); pictures played at a point; whether
  // a character engaged with the player still stands; the combat round; the view's focus release and the held
  // flag of all its characters.
  SceneLayer* TopLayer() const { return nullptr; }
  SceneLayer* CharacterLayer() const { return nullptr; }
  void ForTeam(int32_t, const Character&, bool) {}
  void RemoveCharacter(Character*) {}
  void UnlinkSprite(std::unique_ptr<Sprite> sprite);
  void PlaceItemPile(int32_t, int32_t, int32_t) {}
  void AddItem(const ItemRecord*, int32_t, int32_t, int32_t, int32_t, bool) {}
  void AddAnimationSprite(PictureRef*, int32_t, int32_t, int32_t) {}
  bool AnyEngagedCharacterStands() const { return false; }
  void RunRound() {}
  void SetFocusFlag(uint8_t) {}
  void SetAllCharactersFlag(bool) {}
};
TileMap* GetCurrentTileMap();  // null: no map is shown
// Moves the shown map's timers past the time the game stood still (a dialog, a pause); nothing without a map.
void ShiftMapTimers();
// The direction from the cell (x0, y0) to the cell (x1, y1): 1 up, 2 up-right, clockwise to 8 up-left; 0 for the
// same cell.
int32_t DirectionFromDelta(int32_t x0, int32_t y0, int32_t x1, int32_t y1);

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
