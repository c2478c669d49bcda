// The behaviour tick of an engaged non-player character: once its action interval has passed it gets a turn and
// a step, and then, by its behaviour kind, fights (closing in to strike, or shooting from within its weapon's
// reach), casts its best spell, heals itself, wanders, or flees; a character whose morale and alarm together fall
// below 0 flees whatever its kind.
//
// Anything a turn does may run script events (the weapon's actions, spells, items), and an event may leave the
// map, which deletes this character: after each such call the tick goes on only while the map is still there.
#include <array>
#include <vector>

#include "game/rules/character.h"
#include "game/rules/character_map_support.h"
#include "game/rules/spell_record.h"
#include "game/shell/data/game_random.h"
#include "game/world/world_services.h"

namespace {

enum BehaviourKind : int16_t {
  kFighter = 0,
  kHealingFighter = 1,  // heals when wounded, else flees; now and then drinks the best of its potions
  kSteadyFighter = 2,   // heals when wounded, then fights
  kCaster = 3,          // spells of kind value 0
  kKindOneCaster = 4,   // spells of kind value 1
  kWaiter = 5,          // wanders until wounded, then fights as kind 1 for good
  kCoward = 6,
  kSwitchingFighter = 7,
  kSwitchingCaster = 8,
  kSwitchingAll = 9,
};
// Kind 1 drinks now and then when this draw of 0 to 100 falls below it; a wounded caster heals when one falls to
// it or below.
constexpr int32_t kDrinkChance = 21;
constexpr int32_t kCasterHealChance = 10;
// The countdown a new style starts from: kind 7 keeps the style for this many calls after the one that picks it,
// kind 9 for this many turns after it.
constexpr int32_t kStyleCalls = 5;
// A caster that must back away to bring its target into range aims this many times its offset away.
constexpr int32_t kBackAwayFactor = 10;
// The preference of AutoEquipBest that goes with the close-combat style.
constexpr int32_t kMeleeStyle = 1;

bool IsWounded(const Character& character) { return character.stamina < character.current.maxStamina / 2; }

// Away from the target: towards the point mirrored from it through the character's cell. Without a target there is
// nothing to flee from (and no cell to mirror), and nothing happens.
void Flee(Character& character) {
  if (character.target == nullptr) return;
  character.MoveTo(2 * character.x - character.target->x, 2 * character.y - character.target->y, 1);
}

void ActByKind(Character& character, int32_t kind, const MapWatch& watch);

// A style of the switching kinds: the equipment that suits it, then the action of kind 1 to 4 of the same number.
void ActInStyle(Character& character, int32_t style, const MapWatch& watch) {
  if (style < kHealingFighter || style > kKindOneCaster) return;
  character.AutoEquipBest(style);
  if (watch.Holds()) ActByKind(character, style, watch);
}

void ActByKind(Character& character, int32_t kind, const MapWatch& watch) {
  std::array<int32_t, 2>& words = character.behaviourWords;
  switch (kind) {
    case kFighter:
      character.Fight();
      break;
    case kHealingFighter:
      if (IsWounded(character)) {
        if (!character.ChooseHealingItem(true)) {
          Flee(character);
          break;
        }
      } else if (RandomRange(0, 100) < kDrinkChance) {
        character.ChooseHealingItem(false);
      }
      if (watch.Holds()) character.Fight();
      break;
    case kSteadyFighter:
      if (IsWounded(character)) character.ChooseHealingItem(true);
      if (watch.Holds()) character.Fight();
      break;
    case kCaster:
      character.CastBestSpell(false);
      break;
    case kKindOneCaster:
      character.CastBestSpell(true);
      break;
    case kWaiter:
      if (character.stamina == character.current.maxStamina || character.actedOnce != 0) {
        character.Wander();
      } else {
        character.actedOnce = 1;
        character.behaviourKind = kHealingFighter;
        character.AutoEquipBest(kMeleeStyle);
      }
      break;
    case kCoward:
      Flee(character);
      break;
    case kSwitchingFighter:
      if (words[0] >= 1) {
        --words[0];
      } else {
        words[0] = kStyleCalls;
        words[1] = RandomRange(1, 2);
      }
      if (words[1] == 1 || words[1] == 2) ActInStyle(character, words[1], watch);
      break;
    case kSwitchingCaster:
      if (words[0] < 1) {
        words[0] = 1;
        words[1] = RandomRange(1, 2);
      } else if (character.turnReady >= 1) {
        --words[0];
      }
      if (words[1] == 1 || words[1] == 2) ActInStyle(character, words[1] + 2, watch);
      break;
    case kSwitchingAll: {
      if (words[0] < 1) {
        words[0] = kStyleCalls;
        words[1] = RandomRange(1, 4);
      } else if (character.turnReady >= 1) {
        --words[0];
      }
      const int32_t style = words[1];
      ActInStyle(character, style, watch);
      // The casting styles last one turn.
      if ((style == kCaster || style == kKindOneCaster) && watch.Holds()) words[0] = 0;
      break;
    }
    default:
      break;
  }
}

}  // namespace

bool Character::UpdateBehaviour(int32_t now) {
  // The interval is compared as a signed number: one below 0 has always passed.
  if (int64_t{MillisecondsBetween(now, lastActionTime)} >= current.actionInterval) {
    stepBudget = 1;
    turnReady = 1;
    if (stamina <= 0) return true;
  }
  const TileMap* map = GetCurrentTileMap();
  if ((flags & kCharacterHeld) != 0 || map == nullptr || map->AllOthersDead() || stamina <= 0) return false;
  EventQueueHold hold;
  const MapWatch watch;
  const int32_t turnBefore = turnReady;
  const int32_t stepsBefore = stepBudget;
  {
    EventPositionScope position(x, y);
    if (current.morale + alarm < 0 && current.morale != 0) {
      Flee(*this);
    } else {
      ActByKind(*this, behaviourKind, watch);
    }
  }
  if (!watch.Holds()) return false;
  if (turnReady != turnBefore) {
    lastActionTime = now;
    const int32_t interval = base.actionInterval;
    current.actionInterval = RandomRange(interval - (interval >> 2), interval + (interval >> 2));
  }
  return turnReady > 0 && (turnReady != turnBefore || stepBudget != stepsBefore);
}

void Character::Fight() {
  // Without a target there is no cell to fight at.
  if (turnReady <= 0 || target == nullptr) return;
  EventQueueHold hold;
  const MapWatch watch;
  const int32_t targetX = target->x, targetY = target->y;
  const int32_t reach = WeaponReach();
  if (reach > 1) {
    if (CellDistance(x, y, targetX, targetY) > reach) {
      MoveTo(targetX, targetY, 1);
      return;
    }
    if (IsSpriteBusy(sprite.get())) return;
    SpendTurn(*this);
    AttackCell(targetX, targetY);
    return;
  }
  if (DistanceTo(*target) > 1) {
    MoveTo(targetX, targetY, 1);
    if (DistanceTo(*target) > 1 || IsSpriteBusy(sprite.get()) || stamina <= 0) return;
  } else if (IsSpriteBusy(sprite.get())) {
    return;
  }
  if (target->stamina > 0) {
    Step(targetX, targetY, true);
    if (!watch.Holds()) return;
  }
  SpendTurn(*this);
}

void Character::CastBestSpell(bool kindOne) {
  EventQueueHold hold;
  const MapWatch watch;
  if (knownSpells.empty()) {
    Flee(*this);
    return;
  }
  const int16_t kindValue = kindOne ? 1 : 0;
  std::vector<SpellRecord*> usable;
  for (SpellRecord* spell : knownSpells) {
    if (spell != nullptr && spell->kindValue == kindValue && spell->magicCost <= magic) usable.push_back(spell);
  }
  auto reaches = [](const SpellRecord& spell, int32_t distance) {
    return spell.rangeMin <= distance && distance <= spell.rangeMax;
  };
  int32_t distance = targetDistance;
  std::vector<SpellRecord*> reaching;
  for (SpellRecord* spell : usable) {
    if (reaches(*spell, distance)) reaching.push_back(spell);
  }
  const int32_t targetX = target != nullptr ? target->x : x;
  const int32_t targetY = target != nullptr ? target->y : y;
  SpellRecord* chosen = nullptr;
  int32_t goalX = targetX, goalY = targetY;
  if (!reaching.empty()) {
    chosen = reaching[static_cast<size_t>(RandomRange(0, static_cast<int32_t>(reaching.size()) - 1))];
  } else {
    // The spell that reaches nearest short of the target, to close in with, and the one that starts nearest
    // beyond it, to back away with; whichever needs the shorter move.
    SpellRecord* shorter = nullptr;
    SpellRecord* longer = nullptr;
    for (SpellRecord* spell : usable) {
      if (spell->rangeMax < distance && (shorter == nullptr || spell->rangeMax > shorter->rangeMax)) shorter = spell;
      if (spell->rangeMin > distance && (longer == nullptr || spell->rangeMin < longer->rangeMin)) longer = spell;
    }
    if (longer != nullptr && (shorter == nullptr || longer->rangeMin - distance < distance - shorter->rangeMax)) {
      chosen = longer;
      goalX = x + kBackAwayFactor * (x - targetX);
      goalY = y + kBackAwayFactor * (y - targetY);
    } else {
      chosen = shorter;
    }
  }
  if (chosen == nullptr) {
    ChooseHealingItem(false);
    if (watch.Holds()) Flee(*this);
    return;
  }
  if (IsWounded(*this) && RandomRange(0, 100) <= kCasterHealChance) {
    ChooseHealingItem(true);
    return;
  }
  // The approach ends when the steps are spent, or when a move makes no progress.
  while (!reaches(*chosen, distance) && stepBudget >= 1) {
    const int32_t fromX = x, fromY = y;
    MoveTo(goalX, goalY, 1);
    if (x == fromX && y == fromY) break;
    distance = targetDistance;
  }
  if (reaches(*chosen, distance)) UseSpell(chosen);
}
