// The character's place on the map: the distance between two figures (or a figure and an object), the figure put
// on its cell, and the cells it holds.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "game/rules/character.h"
#include "game/world/map_item.h"
#include "game/world/sprite.h"
#include "game/world/world_numbers.h"
#include "game/world/world_services.h"

namespace {

// Each figure's reference point is its position in whole pixels plus its collision centre; the gap between the
// two circles, in cells, rounded up.
int32_t SpriteDistance(const Sprite* a, const Sprite* b) {
  const TileMap* map = GetCurrentTileMap();
  if (a == nullptr || b == nullptr || map == nullptr || map->CellWidth() <= 0) return 0;
  int32_t ax = 0, ay = 0, bx = 0, by = 0;
  a->GetSize(&ax, &ay);
  b->GetSize(&bx, &by);
  const int64_t dx = int64_t{TruncateToInt32(a->PositionX())} + ax - TruncateToInt32(b->PositionX()) - bx;
  const int64_t dy = int64_t{TruncateToInt32(a->PositionY())} + ay - TruncateToInt32(b->PositionY()) - by;
  const int64_t gap = std::max(std::llabs(dx), std::llabs(dy)) - a->GetCollisionRadius() - b->GetCollisionRadius();
  return static_cast<int32_t>(std::fabs(std::ceil(static_cast<double>(gap) / map->CellWidth())));
}

}  // namespace

int32_t Character::DistanceTo(const Character& other) const { return SpriteDistance(sprite.get(), other.sprite.get()); }

int32_t Character::DistanceToObject(const MapItem& object) const {
  return SpriteDistance(sprite.get(), object.sprite.get());
}

void Character::PlaceSpriteAtCell() {
  const TileMap* map = GetCurrentTileMap();
  if (sprite == nullptr || map == nullptr) return;
  const Point centre = map->CellCenter(x, y);
  sprite->SetPosition(centre.x, centre.y);
}

void Character::ReserveCell(int32_t cellX, int32_t cellY) {
  reservedCells.emplace_back(cellX, cellY);
  if (TileMap* map = GetCurrentTileMap()) map->SetCellFlag(cellX, cellY, 0);
}

void Character::ReleaseReservedCells() {
  if (TileMap* map = GetCurrentTileMap()) {
    for (const auto& [cellX, cellY] : reservedCells) {
      if (cellX != x || cellY != y) map->SetCellFlag(cellX, cellY, 1);
    }
  }
  reservedCells.clear();
}
