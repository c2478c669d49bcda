// Items lying on a tile map.
#include "game/world/map_item.h"

#include "game/world/sprite.h"
#include "game/world/tile_map.h"

namespace {

uint64_t NextSerial() {
  static uint64_t serial = 0;
  return ++serial;
}

}  // namespace

MapItem::MapItem(const ItemRecord& record) : ItemRecord(record), mapLayer(MapLayerOf(record)), serial_(NextSerial()) {}

MapItem::~MapItem() = default;

void MapItem::CentreSprite() {
  const TileMap* map = GetCurrentTileMap();
  if (sprite == nullptr || map == nullptr) return;
  const Point centre = map->CellCenter(column_, row_);
  sprite->SetPosition(centre.x, centre.y);
}
