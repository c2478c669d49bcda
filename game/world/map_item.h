// MapItem: an item lying on a tile map: a copy of the placed item record with a sprite and a cell. The map's
// object list owns its items.
//
// What an item record says of the item on a map, by the record's fields: kind 1000 is a pile of gold whose
// amount is the price; the map shows the picture name, and the third text once the item is opened; the three
// flags are, in order, whether the item blocks its cell, whether the map remembers it by its identifier once
// taken, and whether taking it removes it from the map (into the player's inventory); the last value is the map
// layer it lies on (0 the characters' layer, 1 the overlay list, 2 the objects' layer).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "game/rules/item_record.h"

class Sprite;

constexpr int16_t kItemKindGoldPile = 1000;
constexpr int16_t kMapLayerCharacters = 0;
constexpr int16_t kMapLayerOverlay = 1;
constexpr int16_t kMapLayerObjects = 2;

inline int32_t PileAmount(const ItemRecord& item) { return item.price; }
inline const std::string& MapPictureName(const ItemRecord& item) { return item.pictureName; }
inline const std::string& OpenedPictureName(const ItemRecord& item) { return item.thirdText; }
inline bool BlocksCell(const ItemRecord& item) { return item.flags[0]; }
inline bool IsRemembered(const ItemRecord& item) { return item.flags[1]; }
inline bool RemovedWhenTaken(const ItemRecord& item) { return item.flags[2]; }
inline int16_t MapLayerOf(const ItemRecord& item) { return item.lastValue; }

class MapItem : public ItemRecord {
 public:
  // A copy of the record: no sprite, identifier 0, not opened, facing 0.
  explicit MapItem(const ItemRecord& record);
  ~MapItem() override;
  MapItem(const MapItem&) = delete;
  MapItem& operator=(const MapItem&) = delete;

  // Puts the sprite at the centre of the item's cell on the current tile map.
  void CentreSprite();
  void GetCell(int32_t* column, int32_t* row) const {
    *column = column_;
    *row = row_;
  }
  void SetCell(int32_t column, int32_t row) {
    column_ = column;
    row_ = row;
  }
  // A number no other item of the run has: tells an item from a later one made at the same address.
  uint64_t Serial() const { return serial_; }

  std::unique_ptr<Sprite> sprite;
  std::string spareText;
  int32_t identifier = 0;
  uint8_t opened = 0;  // taken or opened before: shows its second picture
  int32_t facing = 0;
  int16_t mapLayer = 0;

 private:
  int32_t column_ = 0;
  int32_t row_ = 0;
  uint64_t serial_;
};
