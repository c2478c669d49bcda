// A character told to move one cell in a direction (the player's keys, or its own behaviour): it gives up its
// path, turns, and by what lies in the neighbouring cell strikes an enemy, searches a fallen character, touches a
// map object, shoots along its facing, or only shows its stepping pose. The move from cell to cell itself is the
// walking code's, which the flags set here start.
#include "game/rules/character.h"
#include "game/rules/character_map_support.h"
#include "game/rules/game_state.h"
#include "game/rules/script_event.h"
#include "game/world/sprite.h"
#include "game/world/world_numbers.h"
#include "game/world/world_services.h"

namespace {

// A fallen character is searched from at most this far, and a living one struck or an object touched.
constexpr int32_t kReachOfHands = 2;
// A ranged weapon shoots this many cells along the facing.
constexpr int32_t kShotCells = 8;
// The event a fallen character's search runs: the third of its definition's events.
constexpr size_t kSearchedEvent = 2;
constexpr uint32_t kSteppingPose = 1;
constexpr int16_t kShootProjectile = 0;

}  // namespace

void Character::Step(int32_t cellX, int32_t cellY, bool showPose) {
  EventQueueHold hold;
  const MapWatch watch;
  if ((flags & kCharacterWalking) != 0) SetMoving(0, 0, false);
  flags = (flags & ~kCharacterWalking) | kCharacterStepped | kCharacterStriking;
  SetPath(nullptr);
  auto face = [&](int32_t towardX, int32_t towardY) {
    if (towardX != x || towardY != y) SetFacing(DirectionFromDelta(x, y, towardX, towardY), true);
  };
  face(cellX, cellY);
  int32_t ux = 0, uy = 0;
  FacingStep(facing, &ux, &uy);
  const int32_t nextX = x + ux, nextY = y + uy;
  const bool ranged = WeaponReach() > 1;
  // A non-player character with a ranged weapon shoots into the neighbouring cell at once.
  if (!IsCurrentCharacter(this) && ranged) {
    AttackCell(nextX, nextY);
    return;
  }
  TileMap* map = watch.Map();
  if (map == nullptr) return;
  // The point kShotCells cells away along the facing.
  auto shoot = [&] {
    if (sprite == nullptr) return;
    Attack(TruncateToInt32(sprite->PositionX() + static_cast<double>(kShotCells) * ux * map->CellWidth()),
           TruncateToInt32(sprite->PositionY() + static_cast<double>(kShotCells) * uy * map->CellHeight()));
  };
  // Runs the fallen character's search event and ends the player's walk there; false when the event left the map.
  auto search = [&](Character& fallen) {
    if (fallen.events.size() > kSearchedEvent && fallen.events[kSearchedEvent] != nullptr) {
      EventPositionScope position(fallen.x, fallen.y);
      RunEventRecord(fallen.events[kSearchedEvent]);
      if (!watch.Holds()) return false;
    }
    if (Character* player = PeekCurrentCharacter()) {
      player->target = nullptr;
      player->SetPath(nullptr);
    }
    return true;
  };
  bool carryOn = true;
  if (map->IsInside(nextX, nextY)) {
    Character* other = map->FindBlockingCharacter(*this, ux, uy, true);
    if (other != nullptr) {
      face(other->x, other->y);
    } else if (IsCurrentCharacter(this)) {
      other = map->FindNearestInList(*this, kReachOfHands);
      if (other != nullptr) face(other->x, other->y);
    }
    if (other != nullptr) {
      const bool fallen = other->stamina <= 0;
      if (ranged) {
        // A ranged weapon shoots at whatever lives in the way, of any side.
        if (!fallen) {
          shoot();
          return;
        }
        if (!IsEncounterInProgress() && DistanceTo(*other) <= kReachOfHands) {
          if (!search(*other)) return;
          carryOn = false;
        }
      } else if (other->side != side && DistanceTo(*other) <= kReachOfHands) {
        if (!fallen) {
          AttackCharacter(other);
          if (!watch.Holds()) return;
        } else if (IsCurrentCharacter(this) && !IsEncounterInProgress()) {
          if (!search(*other)) return;
          carryOn = false;
        }
      }
    } else if (IsCurrentCharacter(this)) {
      if (MapItem* object = map->FindNearestObject(*this, kReachOfHands)) {
        map->TouchObject(object);
        if (!watch.Holds()) return;
        carryOn = false;
      }
    }
  }
  if (!showPose || !carryOn) return;
  if (ranged && WeaponAttackMode() == kShootProjectile) {
    shoot();
  } else if (sprite != nullptr) {
    sprite->SetFrame(kSteppingPose, true);
  }
}
