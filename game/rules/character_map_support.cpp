// The helpers shared by the character's map operations.
#include "game/rules/character_map_support.h"

#include "game/rules/character.h"
#include "game/world/location.h"
#include "game/world/tile_map.h"

namespace {

constexpr int32_t kFacingX[9] = {0, 0, 1, 1, 1, 0, -1, -1, -1};
constexpr int32_t kFacingY[9] = {0, -1, -1, 0, 1, 1, 1, 0, -1};
constexpr int32_t kStepsOfAnAction = 5;

}  // namespace

void FacingStep(int32_t facing, int32_t* dx, int32_t* dy) {
  const bool known = facing >= 1 && facing <= 8;
  *dx = known ? kFacingX[facing] : 0;
  *dy = known ? kFacingY[facing] : 0;
}

void SpendTurn(Character& character) {
  character.turnReady = std::max(0, character.turnReady - 1);
  character.stepBudget = std::max(0, character.stepBudget - kStepsOfAnAction);
}

MapWatch::MapWatch() : map_(GetCurrentTileMap()), player_(PeekCurrentCharacter()) {
  if (map_ != nullptr) generation_ = map_->Generation();
  if (const Location* location = GetCurrentLocation()) {
    hadLocation_ = true;
    locationName_ = location->GetName();
  }
}

bool MapWatch::Holds() const {
  if (PeekCurrentCharacter() != player_) return false;
  if (GetCurrentTileMap() != map_ || (map_ != nullptr && !IsCurrentMap(generation_))) return false;
  const Location* location = GetCurrentLocation();
  if ((location != nullptr) != hadLocation_) return false;
  return location == nullptr || location->GetName() == locationName_;
}
