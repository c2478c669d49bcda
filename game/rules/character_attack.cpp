// Attacks by characters: the melee blow on a neighbouring character with the rolls of both sides, and the attack
// towards a point of the map, which by the weapon launches a projectile, shows its picture on whoever stands there
// and strikes it, or deals the damage there at once; without a weapon it launches an effect that shows nothing.
//
// The weapon is the item in slot 1. Its "Attack" and "Miss" actions run their events during an attack and their
// conditions steer it: a blow that hits runs "Attack" twice (before the rolls and before the damage), a miss runs
// it once and then "Miss"; an attack towards a point runs "Attack", "Miss" and "Attack" again on every shot. Any of
// those events may leave the map (deleting the characters on it) or take the weapon away, so the attack goes on
// after each only while the map, the location and the weapon are still there.
#include <algorithm>
#include <cstdlib>

#include "game/rules/character.h"
#include "game/rules/character_map_support.h"
#include "game/rules/item_record.h"
#include "game/shell/data/game_random.h"
#include "game/shell/media/sound_effects.h"
#include "game/world/sprite.h"
#include "game/world/world_numbers.h"
#include "game/world/world_services.h"

namespace {

constexpr int32_t kAttackAction = 1;
constexpr int32_t kMissAction = 2;
// The weapon's spell fires on a hit (trigger 0) or when its "Miss" action turns a miss into a hit (trigger 1).
constexpr int16_t kSpellOnHit = 0;
constexpr int16_t kSpellOnMissTurnedHit = 1;
constexpr int32_t kCriticalDamage = 6;
// Sounds: a blow that lands, a miss, a target that faced the player's blow.
constexpr int32_t kHitSound = 0;
constexpr int32_t kMissSound = 2;
constexpr int32_t kFacedSound = 4;
// A blow of a defender that faces its attacker does at least this share of the damage past half the natural
// protection.
constexpr float kLeastProtectionRatio = 0.4f;
// Attack kinds of a weapon aimed at a point.
constexpr int16_t kShootProjectile = 0;
constexpr int16_t kStrikeWithPicture = 1;
constexpr int16_t kDamageAtPoint = 2;
constexpr int32_t kProjectileMissile = 1;
// How far, in cells, a blow without a weapon reaches.
constexpr int32_t kBareHandReach = 1;
constexpr int32_t kAttackAnimationLinger = 5;
// The attack animations: the player's, a non-player character's, and the one used when those are missing.
constexpr uint32_t kPlayerAttackFrame = 3;
constexpr uint32_t kAttackFrame = 2;
constexpr uint32_t kFallbackAttackFrame = 1;

// Whether the target faces the attacker: only a walking target turns to meet a blow, and it does when it faces the
// attacker's direction or one of its two neighbours.
bool Faces(const Character& target, const Character& attacker) {
  if ((target.flags & kCharacterWalking) == 0) return false;
  const int32_t d = DirectionFromDelta(target.x, target.y, attacker.x, attacker.y);
  const int32_t before = d - 1 == 0 ? 8 : d - 1;
  const int32_t after = d + 1 == 9 ? 1 : d + 1;
  return target.facing == d || target.facing == before || target.facing == after;
}

bool HasPicture(const PictureRef* picture) {
  return picture != nullptr && (picture->Still() != nullptr || picture->Set() != nullptr);
}

// Runs one of the weapon's actions at the attacker's cell; whether its condition held.
bool RunWeaponAction(const Character& attacker, const ItemRecord& weapon, int32_t number) {
  EventPositionScope position(attacker.x, attacker.y);
  return weapon.RunActionByNumber(number);
}

// After an event: the map and the location are as they were and the weapon is still in the attacker's hand.
bool StillArmed(const Character& attacker, const MapWatch& watch, const ItemRecord* weapon) {
  return watch.Holds() && attacker.equipment[kItemKindWeapon] == weapon;
}

// Runs the weapon's "Attack" action; whether the attack goes on: the action's condition held, the map, the
// location and the weapon are as they were, and the attacker still has its figure.
bool AttackActionAllows(const Character& attacker, const MapWatch& watch, const ItemRecord* weapon) {
  return RunWeaponAction(attacker, *weapon, kAttackAction) && StillArmed(attacker, watch, weapon) &&
         attacker.sprite != nullptr;
}

}  // namespace

void Character::AttackCharacter(Character* target) {
  if (target == nullptr) return;
  EventQueueHold hold;
  const MapWatch watch;
  ItemRecord* weapon = equipment[kItemKindWeapon];
  if (weapon != nullptr) {
    if (!AttackActionAllows(*this, watch, weapon)) return;
  }
  const bool faces = Faces(*target, *this);
  if (faces && IsCurrentCharacter(this)) PlaySoundSlot(kFacedSound);
  const int32_t defence = RandomRange(0, target->current.dexterity);
  const int32_t attack = RandomRange(0, faces ? current.dexterity >> 1 : current.dexterity);
  bool hit = attack > defence;
  bool critical = RandomRange(0, 100) <= current.luck;
  if (!hit && weapon != nullptr) {
    if (sprite == nullptr) return;
    // The "Miss" action may still turn the blow into a hit.
    if (RunWeaponAction(*this, *weapon, kMissAction)) {
      if (!StillArmed(*this, watch, weapon)) return;
      if (weapon->spellTrigger == kSpellOnMissTurnedHit) FireItemSpell(*weapon);
      hit = true;
    }
    if (!StillArmed(*this, watch, weapon)) return;
  }
  if (!hit) {
    // A miss still turns the target towards the attacker.
    target->TakeDamage(0, 0, x, y, true);
    PlaySoundSlot(kMissSound);
    return;
  }
  const int32_t kind = weapon != nullptr ? weapon->damageKind : unarmedDamageKind;
  float damage = static_cast<float>(RandomRange(current.minDamage, current.maxDamage) + current.specialDamage +
                                    std::max(current.strength - 15, 0));
  // A miss turned into a hit may have an attack roll of 0: such a blow counts as an even one.
  float ratio = attack != 0 ? static_cast<float>(defence) / static_cast<float>(attack) : 1.0f;
  ratio = std::max(ratio, kLeastProtectionRatio);
  if (kind == 0) {
    if (faces) {
      damage -= static_cast<float>(target->current.naturalProtection);
    } else {
      damage -= static_cast<float>(target->current.naturalProtection >> 1) * ratio;
    }
    damage = static_cast<float>(std::max(TruncateToInt32(damage), 0));
  } else {
    critical = false;
  }
  if (!faces && damage < 1.0f) damage = 1.0f;
  if (weapon != nullptr) {
    if (!AttackActionAllows(*this, watch, weapon)) return;
    if (weapon->spellTrigger == kSpellOnHit) FireItemSpell(*weapon);
    if (!watch.Holds()) return;
  }
  if (IsCurrentCharacter(this)) PlaySoundSlot(kHitSound);
  target->TakeDamage(TruncateToInt32(damage), critical ? kCriticalDamage : kind, x, y, true);
}

void Character::Attack(int32_t targetX, int32_t targetY) {
  TileMap* map = GetCurrentTileMap();
  if (map == nullptr || sprite == nullptr) return;
  EventQueueHold hold;
  const MapWatch watch;
  // From the figure's foot point, halfway down to where it is drawn.
  const int32_t originX = TruncateToInt32(sprite->PositionX());
  const int32_t positionY = TruncateToInt32(sprite->PositionY());
  const int32_t originY = positionY + ((TruncateToInt32(sprite->DrawnY()) - positionY) >> 1);
  if (targetX == originX && targetY == originY) targetY += map->CellHeight();
  SetFacing(DirectionFromAngle(originX, originY, targetX, targetY), true);
  ItemRecord* weapon = equipment[kItemKindWeapon];
  if (weapon != nullptr) {
    if (!AttackActionAllows(*this, watch, weapon)) return;
  }
  uint32_t frame = IsCurrentCharacter(this) ? kPlayerAttackFrame : kAttackFrame;
  if (!sprite->IsFrameInRange(frame)) frame = kFallbackAttackFrame;
  sprite->SetFrame(frame, true);
  int32_t damage = RandomRange(current.minDamage, current.maxDamage);
  if (weapon == nullptr) {
    // A bare hand launches an effect without a picture towards the cell of the point, carrying the damage of the
    // attacker's unarmed kind; it reaches the neighbouring cell, covering a cell a tick.
    const Point cell = map->CellAt(targetX, targetY);
    map->LaunchUnseenEffectBetweenCells(x, y, cell.x, cell.y, map->CellWidth(), kBareHandReach,
                                        MissileLoad{kProjectileMissile, this, nullptr, damage, unarmedDamageKind});
    return;
  }
  if (!RunWeaponAction(*this, *weapon, kMissAction)) damage = 0;
  if (!StillArmed(*this, watch, weapon) || sprite == nullptr) return;
  if (weapon->spellTrigger == kSpellOnHit) {
    FireItemSpell(*weapon);
    if (!StillArmed(*this, watch, weapon)) return;
  }
  if (!AttackActionAllows(*this, watch, weapon)) return;
  PictureRef* picture = weapon->GetPicture();
  switch (weapon->AttackKind()) {
    case kShootProjectile:
      map->LaunchEffect(picture, originX, originY, targetX, targetY, weapon->secondProjectileValue,
                        weapon->firstProjectileValue, kProjectileMissile, this, nullptr, damage, weapon->damageKind,
                        0);
      break;
    case kStrikeWithPicture: {
      if (!HasPicture(picture)) break;
      const int32_t radius = picture->Set() != nullptr ? picture->Set()->CollisionRadius() : map->CellWidth();
      // Only a character of another side is struck: searched by the attacker's own side, the blow would fall on
      // the attacker or its allies and never on a foe.
      Character* struck = map->FindBlockingCharacterAt(targetX, targetY, radius, side, true);
      if (struck == nullptr) {
        map->AddAnimationSprite(picture, targetX, targetY, kAttackAnimationLinger);
        break;
      }
      if (struck->sprite != nullptr) {
        map->AddAnimationSprite(picture, TruncateToInt32(struck->sprite->PositionX()),
                                TruncateToInt32(struck->sprite->PositionY()), kAttackAnimationLinger);
      }
      // The blow makes its own rolls.
      AttackCharacter(struck);
      break;
    }
    case kDamageAtPoint:
      // As with the strike above, only a character of another side takes the damage: one of the attacker's own
      // side (or the attacker itself, when the point is near it) would be hit in the foe's place.
      if (Character* struck = map->FindBlockingCharacterAt(targetX, targetY, map->CellWidth(), side, true)) {
        struck->TakeDamage(damage, weapon->damageKind, x, y, true);
      }
      break;
    default:
      break;
  }
}

void Character::AttackCell(int32_t cellX, int32_t cellY) {
  const TileMap* map = GetCurrentTileMap();
  if (map == nullptr) return;
  const int64_t width = map->CellWidth(), height = map->CellHeight();
  // The point is the cell's centre, but on the cell's top edge for a row next to the attacker's own.
  const int64_t pointX = int64_t{cellX} * width + width / 2;
  const int64_t pointY = int64_t{cellY} * height + (std::llabs(int64_t{cellY} - y) <= 1 ? 0 : height / 2);
  Attack(TruncateToInt32(static_cast<double>(pointX)), TruncateToInt32(static_cast<double>(pointY)));
}
