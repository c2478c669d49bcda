// Spell casting by characters: the magic check and cost, the spell's cast and failure events, the characters a
// spell reaches on the current map (the caster, one chosen character, or the allies or enemies within its range)
// and what reaches them (a travelling effect, an animation and the effect, or the effect alone); and how a
// non-player character picks the opponent it casts at.
//
// Without a current map only what needs none acts: the magic, the events, and the effect alone on the caster or
// on a chosen character. The walk over allies or enemies, the travelling effect, the animation, the turn towards
// a chosen character and the casting pose all need the map.
#include <algorithm>
#include <limits>
#include <vector>

#include "game/rules/character.h"
#include "game/rules/character_map_support.h"
#include "game/rules/spell_record.h"
#include "game/world/sprite.h"
#include "game/world/world_numbers.h"
#include "game/world/world_services.h"

namespace {

constexpr int16_t kTargetSelf = 0;
constexpr int16_t kTargetAllies = 1;
constexpr int16_t kTargetEnemies = 2;
constexpr int16_t kTargetChosen = 3;
constexpr int16_t kEffectTravelling = 0;
constexpr int16_t kEffectAnimated = 1;
constexpr int16_t kEffectAlone = 2;
// The missile kind of a travelling spell, and how long a spell's animation lingers on its target.
constexpr int32_t kSpellMissile = 2;
constexpr int32_t kSpellAnimationLinger = 5;
// The animation of the casting pose.
constexpr uint32_t kCastingPose = 3;

// A spell aimed at one chosen character needs a range that reaches beyond the neighbouring cells and a minimum
// not above its maximum.
bool HasChosenRange(const SpellRecord& spell) {
  return (spell.rangeMin > 1 || spell.rangeMax > 1) && spell.rangeMin <= spell.rangeMax;
}

// Characters take part in fights unless their side is 0; a side of 0 counts as not negative.
bool SameSign(int32_t a, int32_t b) { return (a < 0) == (b < 0); }

}  // namespace

void Character::CastSpell(SpellRecord* spell, Character* chosenTarget, bool showFeedback) {
  if (spell == nullptr) return;
  EventQueueHold hold;
  const MapWatch watch;
  if (magic < spell->magicCost) {
    if (showFeedback) {
      EventPositionScope position(x, y);
      spell->RunEvent(2);
    }
    return;
  }
  AddWrapped(magic, -static_cast<int32_t>(spell->magicCost));
  if (showFeedback) {
    {
      EventPositionScope position(x, y);
      spell->RunEvent(0);
    }
    if (!watch.Holds()) return;
  }
  TileMap* map = watch.Map();

  // What reaches one character; false when a script run left the map.
  auto apply = [&](Character& reached) {
    switch (spell->effectKind) {
      case kEffectTravelling:
        if (map != nullptr) {
          map->LaunchEffectBetweenCells(spell->GetAnimation(), x, y, reached.x, reached.y,
                                        static_cast<int16_t>(spell->effectNumber), spell->rangeMax, kSpellMissile,
                                        this, spell, 0, 0, 0);
        }
        break;
      case kEffectAnimated:
        if (map == nullptr) break;
        if (reached.sprite != nullptr) {
          map->AddAnimationSprite(spell->GetAnimation(), TruncateToInt32(reached.sprite->PositionX()),
                                  TruncateToInt32(reached.sprite->PositionY()), kSpellAnimationLinger);
        }
        reached.AddEffect(spell);
        break;
      case kEffectAlone:
        reached.AddEffect(spell);
        break;
      default:
        break;
    }
    return watch.Holds();
  };

  int32_t reachedCount = 0;
  switch (spell->targetKind) {
    case kTargetChosen:
      if (!HasChosenRange(*spell) || chosenTarget == nullptr) return;
      if (map != nullptr && !IsSpriteBusy(sprite.get())) {
        SetFacing(DirectionFromDelta(x, y, chosenTarget->x, chosenTarget->y), true);
      }
      if (!apply(*chosenTarget)) return;
      reachedCount = 1;
      break;
    case kTargetSelf:
      if (!apply(*this)) return;
      reachedCount = 1;
      break;
    case kTargetAllies:
    case kTargetEnemies: {
      if (map == nullptr) break;
      const bool allies = spell->targetKind == kTargetAllies;
      // The player stands on no character list; a spell of another caster may reach it too, as the last of the
      // walk. The player is not put on the map's list for the cast: the effects' events may change that list or
      // delete the map, and the entry could then not be taken off again (or would be taken off a freed list).
      Character* player = IsCurrentCharacter(this) ? nullptr : PeekCurrentCharacter();
      const auto& list = map->Characters();
      for (const auto& character : list) character->visited = 0;
      if (player != nullptr) player->visited = 0;
      // An effect may take characters off the map or add some: the walk starts again from the head whenever the
      // list's length changes, and the flags keep anyone from being reached twice.
      size_t length = list.size();
      for (size_t i = 0; i <= list.size();) {
        Character* candidate = i < list.size() ? list[i].get() : player;
        if (candidate == nullptr) break;
        ++i;
        if (candidate->visited != 0) continue;
        candidate->visited = 1;
        if (candidate->side == 0 || SameSign(candidate->side, side) != allies) continue;
        const int32_t distance = DistanceTo(*candidate);
        if (distance < spell->rangeMin || distance > spell->rangeMax) continue;
        ++reachedCount;
        if (!apply(*candidate)) return;
        if (list.size() != length) {
          length = list.size();
          i = 0;
        }
      }
      if (reachedCount == 0 && showFeedback) {
        ShowFloatingText(allies ? "No ally in range!" : "No enemy in range!", kFloatingDamage);
      }
      break;
    }
    default:
      return;
  }
  if (map != nullptr && sprite != nullptr && (!IsCurrentCharacter(this) || reachedCount > 0) &&
      sprite->IsFrameInRange(kCastingPose)) {
    sprite->SetFrame(kCastingPose, true);
  }
}

void Character::UseSpell(SpellRecord* spell) {
  if (spell == nullptr || turnReady < 1 || magic < spell->magicCost) return;
  SpendTurn(*this);
  if (spell->targetKind != kTargetChosen) {
    CastSpell(spell, nullptr, false);
    return;
  }
  if (!HasChosenRange(*spell)) return;
  // The opponents: the map's characters, then the player, of a side of the other sign (side 0 takes no part). The
  // player is offered after the map's list rather than put on it for the call: the cast may run events that change
  // the list or delete the map, and an entry put on it could then not be taken off safely.
  std::vector<Character*> candidates;
  if (const TileMap* map = GetCurrentTileMap()) {
    for (const auto& character : map->Characters()) candidates.push_back(character.get());
  }
  if (Character* player = PeekCurrentCharacter(); player != nullptr && player != this) candidates.push_back(player);
  Character* inRange = nullptr;
  Character* nearest = nullptr;
  int32_t inRangeDistance = std::numeric_limits<int32_t>::max();
  int32_t nearestDistance = std::numeric_limits<int32_t>::max();
  for (Character* candidate : candidates) {
    if (candidate->side == 0 || SameSign(candidate->side, side)) continue;
    const int32_t distance = DistanceTo(*candidate);
    if (distance >= spell->rangeMin && distance <= spell->rangeMax && distance < inRangeDistance) {
      inRange = candidate;
      inRangeDistance = distance;
    }
    if (distance < nearestDistance) {
      nearest = candidate;
      nearestDistance = distance;
    }
  }
  if (inRange != nullptr) {
    CastSpell(spell, inRange, false);
  } else if (nearest != nullptr) {
    MoveTo(nearest->x, nearest->y, stepBudget);
  }
}
