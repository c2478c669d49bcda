// The character's place on the map: the distance between two characters' figures and the cells it holds.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "game/rules/character.h"
#include "game/world/sprite.h"
#include "game/world/world_numbers.h"
#include "game/world/world_services.h"

int32_t Character::DistanceTo(const Character& other) const {
  const TileMap* map = GetCurrentTileMap();
  if (sprite == nullptr || other.sprite == nullptr || map == nullptr || map->CellWidth() <= 0) return 0;
  // Each figure's reference point is its position in whole pixels plus its collision centre; the gap between
  // the two circles, in cells, rounded up.
  int32_t ax = 0, ay = 0, bx = 0, by = 0;
  sprite->GetSize(&ax, &ay);
  other.sprite->GetSize(&bx, &by);
  const int64_t dx = int64_t{TruncateToInt32(sprite->PositionX())} + ax - TruncateToInt32(other.sprite->PositionX()) - bx;
  const int64_t dy = int64_t{TruncateToInt32(sprite->PositionY())} + ay - TruncateToInt32(other.sprite->PositionY()) - by;
  const int64_t gap = std::max(std::llabs(dx), std::llabs(dy)) - sprite->GetCollisionRadius() -
                      other.sprite->GetCollisionRadius();
  return static_cast<int32_t>(std::fabs(std::ceil(static_cast<double>(gap) / map->CellWidth())));
}

void Character::ReleaseReservedCells() {
  if (TileMap* map = GetCurrentTileMap()) {
    for (const auto& [cellX, cellY] : reservedCells) {
      if (cellX != x || cellY != y) map->SetCellFlag(cellX, cellY, 1);
    }
  }
  reservedCells.clear();
}
