// The character moving over the cells of the current map: the walking state, paths from the path finder, greedy
// steps, the single step into a neighbouring cell, and the movement tick of characters that are not engaged
// (wander, approach the player, walk to a destination, keep away).
#include <algorithm>
#include <cstdlib>

#include "game/graphics/animation_set.h"
#include "game/rules/character.h"
#include "game/rules/character_map_support.h"
#include "game/rules/script_engine.h"
#include "game/rules/script_event.h"
#include "game/shell/data/game_random.h"
#include "game/world/sprite.h"
#include "game/world/world_services.h"

namespace {

// Plans reach this far (in cells); beyond it, and while the map is crowded, characters step greedily.
constexpr int32_t kPlanDistance = 8;
constexpr size_t kCrowdedEngaged = 8;
constexpr int32_t kDirectStepsAfterFailedPlan = 15;
// The walk animation (played once when walking starts) and the standing one.
constexpr uint32_t kWalkAnimation = 2;
constexpr uint32_t kStandAnimation = 0;

int32_t Sign(int32_t value) { return value > 0 ? 1 : value < 0 ? -1 : 0; }

// The neighbours a wanderer draws from: 1 to 4 straight (all a four-facing figure may take), 5 to 8 diagonal.
constexpr int32_t kWanderX[9] = {0, 0, -1, 1, 0, -1, 1, -1, 1};
constexpr int32_t kWanderY[9] = {0, -1, 0, 0, 1, 1, -1, -1, 1};

}  // namespace

bool Character::HasFourFacings() const {
  return sprite != nullptr && sprite->GetAnimationMode() == kAnimationFourFacings;
}

void Character::SetMoving(int32_t cellX, int32_t cellY, bool start) {
  if (start) {
    if ((flags & kCharacterWalking) != 0) return;
    if (cellX != x || cellY != y) {
      facing = std::clamp(DirectionFromDelta(x, y, cellX, cellY), 1, 8);
      if (sprite != nullptr) sprite->StartAction(0.0f, 0.0f, 0.0f, 0.0f, 0, facing);
    }
    flags = (flags | kCharacterWalking) & ~kCharacterStepped;
    if (sprite != nullptr) sprite->SetFrame(kWalkAnimation, true);
  } else {
    if ((flags & kCharacterWalking) == 0) return;
    flags &= ~kCharacterWalking;
    if (sprite != nullptr) sprite->SetFrame(kStandAnimation, false);
  }
  SetPath(nullptr);
}

std::unique_ptr<Path> Character::FindPathTo(TileMap* map, int32_t fromX, int32_t fromY, int32_t toX, int32_t toY,
                                            int32_t costLimit, bool approach) const {
  return PathFinder::FindPath(map, fromX, fromY, toX, toY, costLimit, approach, HasFourFacings() ? 4 : 8,
                              sprite.get());
}

bool Character::MoveTo(int32_t cellX, int32_t cellY, int32_t steps) {
  TileMap* map = GetCurrentTileMap();
  if ((flags & kCharacterHeld) != 0 || map == nullptr) return false;
  const bool crowded = map->EngagedList().size() > kCrowdedEngaged || directStepCountdown > 0;
  if (CellDistance(x, y, cellX, cellY) > kPlanDistance || (std::abs(cellX - x) <= 1 && std::abs(cellY - y) <= 1) ||
      crowded) {
    if (directStepCountdown > 0) --directStepCountdown;
    SetPath(nullptr);
    return StepToward(cellX, cellY, steps);
  }
  auto plan = [&] { return FindPathTo(map, x, y, cellX, cellY, PathFinder::kCostLimit, true); };
  if (path == nullptr) {
    path = plan();
  } else if (const PathNode* goal = path->First(); goal == nullptr || goal->column != cellX || goal->row != cellY) {
    SetPath(nullptr);
    path = plan();
  }
  // A plan that fails, the first or one made again around something in the way, sends the character by greedy
  // steps for a while.
  if (path == nullptr) {
    directStepCountdown = kDirectStepsAfterFailedPlan;
    return CellDistance(x, y, cellX, cellY) == 1;
  }
  const PathNode* waypoint = path->PopLast();
  if (waypoint != nullptr && !map->IsCellFreeAndOpen(waypoint->column, waypoint->row, sprite.get())) {
    // Something stands in the way now: plan around it.
    SetPath(nullptr);
    path = plan();
    if (path == nullptr) {
      directStepCountdown = kDirectStepsAfterFailedPlan;
      return CellDistance(x, y, cellX, cellY) == 1;
    }
    waypoint = path->PopLast();
  }
  if (waypoint != nullptr) StepToCell(waypoint->column, waypoint->row);
  if (path != nullptr && path->IsEmpty()) SetPath(nullptr);
  return CellDistance(x, y, cellX, cellY) == 1;
}

bool Character::StepToward(int32_t cellX, int32_t cellY, int32_t steps) {
  TileMap* map = GetCurrentTileMap();
  if (map == nullptr) return CellDistance(x, y, cellX, cellY) == 1;
  int32_t counted = 0;
  // Every pass takes a step or ends the walk; at least one pass runs, and a limit of 0 or less counts as 1 (a
  // refused diagonal of a four-facing figure takes no step and would otherwise repeat for good).
  const int32_t limit = std::max(steps, 1);
  do {
    int32_t sx = Sign(cellX - x), sy = Sign(cellY - y);
    auto refused = [&](int32_t cx, int32_t cy) {
      return !map->IsCellFreeAndOpen(cx, cy, sprite.get()) || (cx == lastStepX && cy == lastStepY);
    };
    int32_t nx = x + sx, ny = y + sy;
    bool found = !refused(nx, ny);
    if (!found) {
      if (sx == 0) {
        sx = RandomBit() != 0 ? 1 : -1;
      } else if (sy == 0) {
        sy = RandomBit() != 0 ? 1 : -1;
      }
      const int32_t tries[8][2] = {{sx, sy}, {sx, 0}, {0, sy}, {sx, -sy}, {0, -sy}, {-sx, sy}, {-sx, 0}, {-sx, -sy}};
      for (const auto& offset : tries) {
        if (!refused(x + offset[0], y + offset[1])) {
          nx = x + offset[0];
          ny = y + offset[1];
          found = true;
          break;
        }
      }
    }
    if (!found) {
      stepBudget = 0;
    } else {
      lastStepX = nx;
      lastStepY = ny;
      StepToCell(nx, ny);
      ++counted;
    }
  } while (!IsSpriteBusy(sprite.get()) && stepBudget > 0 && CellDistance(x, y, cellX, cellY) != 1 && counted < limit);
  return CellDistance(x, y, cellX, cellY) == 1;
}

void Character::StepToCell(int32_t cellX, int32_t cellY) {
  const TileMap* map = GetCurrentTileMap();
  if (map == nullptr || !map->IsInside(cellX, cellY)) return;
  const int32_t dx = static_cast<int32_t>(std::clamp<int64_t>(int64_t{map->CellWidth()} * (int64_t{cellX} - x), INT32_MIN, INT32_MAX));
  const int32_t dy = static_cast<int32_t>(std::clamp<int64_t>(int64_t{map->CellHeight()} * (int64_t{cellY} - y), INT32_MIN, INT32_MAX));
  if (HasFourFacings() && dx != 0 && dy != 0) return;
  ReserveCell(x, y);
  ReserveCell(cellX, cellY);
  const int32_t speed = std::max<int32_t>(current.speed, 1);
  const int32_t vx = Sign(dx) * speed, vy = Sign(dy) * speed;
  int32_t direction = 0;
  if (dx == 0) {
    direction = dy >= 0 ? 5 : 1;
  } else if (dy == 0) {
    direction = dx >= 0 ? 3 : 7;
  } else if (dx > 0) {
    direction = dy < 0 ? 2 : 4;
  } else {
    direction = dy > 0 ? 6 : 8;
  }
  if (sprite != nullptr) {
    sprite->StartAction(static_cast<float>(dx), static_cast<float>(dy), static_cast<float>(vx),
                        static_cast<float>(vy), 10, direction);
  }
  facing = direction;
  x = cellX;
  y = cellY;
  stepBudget -= 1;
}

void Character::Wander() {
  if (wanderRadius < 1) return;
  if (CellDistance(x, y, startX, startY) > wanderRadius) {
    MoveTo(startX, startY, 1);
    return;
  }
  const int32_t d = RandomRange(1, HasFourFacings() ? 4 : 8);
  const int32_t nx = x + kWanderX[d], ny = y + kWanderY[d];
  if (CellDistance(nx, ny, startX, startY) <= wanderRadius) MoveTo(nx, ny, 1);
}

void Character::UpdateMovementMode(int32_t now) {
  if ((flags & kCharacterHeld) != 0 || IsSpriteBusy(sprite.get())) return;
  if (MillisecondsBetween(now, lastActionTime) < static_cast<uint32_t>(moveInterval) && moveBurst < 1) return;
  const TileMap* map = GetCurrentTileMap();
  if (map == nullptr) return;
  const uint64_t generation = map->Generation();
  // Runs one of the character's events at its cell; false when the event left the map (this character with it).
  auto runEvent = [&](size_t index) {
    if (index >= events.size() || events[index] == nullptr) return true;
    PushEventPosition(x, y);
    RunEventRecord(events[index]);
    PopEventPosition();
    return IsCurrentMap(generation);
  };
  Character* player = PeekCurrentCharacter();
  PushEventPosition(x, y);
  bool stays = true;
  switch (movementMode) {
    case 0:
      Wander();
      break;
    case 1:
      target = player;
      if (player != nullptr) {
        if (DistanceTo(*player) > 1) {
          MoveTo(player->x, player->y, 1);
          if (DistanceTo(*player) > 1) break;
        }
        stays = runEvent(0);
      }
      break;
    case 2:
      if (x != destinationX || y != destinationY) {
        if (MoveTo(destinationX, destinationY, 1)) stays = runEvent(0);
        if (stays && x == destinationX && y == destinationY) stays = runEvent(1);
      }
      break;
    case 3:
      target = player;
      if (player != nullptr) MoveTo(2 * x - player->x, 2 * y - player->y, 1);
      break;
    default:
      break;
  }
  PopEventPosition();
  if (!stays) return;
  if (moveBurst != 0) {
    --moveBurst;
  } else {
    moveBurst = static_cast<int16_t>(RandomRange(0, wanderRadius));
  }
  lastActionTime = now;
}
