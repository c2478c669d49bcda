// One tick of a sprite: its command script (one command of the current animation each time the count-down runs
// out), its move towards the end of its remaining distance, a missile's strike on the first character of another
// side in its way, and the picture sprite that an action point asks for.
//
// A command may run a script event, which may leave the location: the map, and this sprite with it, may then be
// gone. Every such call is followed by a test of the map's generation (and of the location's name); when it
// changed, the tick gives true at once and touches nothing more.
#include <algorithm>
#include <cmath>
#include <string>

#include "game/graphics/animation_set.h"
#include "game/rules/character.h"
#include "game/rules/script_event.h"
#include "game/rules/spell_record.h"
#include "game/rules/text_variables.h"
#include "game/shell/data/game_random.h"
#include "game/shell/data/number_utils.h"
#include "game/shell/data/string_utils.h"
#include "game/shell/media/sound_effects.h"
#include "game/world/sprite.h"
#include "game/world/tile_map.h"
#include "game/world/world_numbers.h"
#include "game/world/world_services.h"

namespace {

// Opcodes of the commands.
constexpr int16_t kOpLoopPoint = 1;
constexpr int16_t kOpLoopBack = 2;
constexpr int16_t kOpSound = 3;
constexpr int16_t kOpActionPoint = 4;
constexpr int16_t kOpEnd = 5;
constexpr int16_t kOpRunEvent = 6;
constexpr int16_t kOpPosition = 7;
constexpr int16_t kOpAnimation = 8;
constexpr int16_t kOpRandomAnimation = 9;
constexpr int16_t kOpFocusSprite = 10;
constexpr int16_t kOpFocusPlayer = 11;

constexpr int32_t kMissileShot = 1;
constexpr int32_t kMissileSpell = 2;
constexpr int32_t kHitSoundSlot = 1;    // "cs_rangeattack_success"
constexpr int32_t kBlockSoundSlot = 4;  // "cs_block_success"
// The lowest share of the blow's protection that a missile's roll leaves.
constexpr double kLowestRatio = 0.4;

// Field n (from 1) of a command's text, split at ",".
std::string Field(const std::string& text, int32_t n) {
  std::string field;
  GetField(field, text, ",", n);
  return field;
}

int32_t FieldNumber(const std::string& text, int32_t n) { return ParseInt(Field(text, n)); }
int32_t ExpandedFieldNumber(const std::string& text, int32_t n) {
  return ParseInt(ExpandTextVariables(Field(text, n)));
}

struct MapMark {
  bool had = false;
  uint64_t generation = 0;
};

MapMark MarkOf(const TileMap* map) { return map != nullptr ? MapMark{true, map->Generation()} : MapMark{}; }

// Whether the map noted before a script call has gone (or another one came where there was none).
bool MapChanged(const MapMark& mark) {
  return mark.had ? !IsCurrentMap(mark.generation) : GetCurrentTileMap() != nullptr;
}

}  // namespace

// What one tick carries from the command step to its end.
struct Sprite::TickState {
  TileMap* map = nullptr;       // the current map when the tick began
  bool actionPoint = false;     // opcode 4 ran
  std::string actionText;       // its text
};

bool Sprite::RunCommand(const AnimationFrame& command, TickState& tick) {
  const AnimationSet* set = Set();
  switch (command.opcode) {
    case kOpLoopPoint:
      loopPoint_ = currentIndex_;
      return false;
    case kOpLoopBack:
      currentIndex_ = loopPoint_;
      return false;
    case kOpSound:
      if (set != nullptr) picture_->Set()->PlayFrameSound(command.soundIndex);
      return false;
    case kOpActionPoint:
      if (tick.map != nullptr) {
        tick.actionPoint = true;
        tick.actionText = command.argument;
      }
      return false;
    case kOpEnd:
      if (tick.map != nullptr && tick.map->GetFocus() == this) tick.map->FocusPlayer(1);
      EraseDrawnEntry();
      if (tick.map != nullptr) tick.map->UnlinkSprite(this);
      // The picture goes (and its set with it, when the sprite owns it): the command is not used after this.
      if (picture_ != nullptr) DropPicture();
      moving_ = false;
      return false;
    case kOpRunEvent: {
      const ScriptEvent* event = set != nullptr ? set->Event(command.eventIndex) : nullptr;
      const Location* location = GetCurrentLocation();
      const std::string name = location != nullptr ? location->GetName() : std::string();
      // The tick of a map runs its sprites for that map; a sprite run by itself answers for the map it found.
      const MapMark mark = MarkOf(GetMapUnderUpdate() != nullptr ? GetMapUnderUpdate() : tick.map);
      if (event != nullptr) {
        // The event runs from a copy: it may take the sprite's picture, and the set with it.
        const ScriptEvent copy(*event);
        RunEventRecord(&copy);
      }
      const Location* now = GetCurrentLocation();
      return MapChanged(mark) || now == nullptr || now->GetName() != name;
    }
    case kOpPosition:
      // Taken as signed numbers: a negative one leaves the map on its own side.
      positionX_ = static_cast<float>(ExpandedFieldNumber(command.argument, 1));
      positionY_ = static_cast<float>(ExpandedFieldNumber(command.argument, 2));
      return false;
    case kOpAnimation: {
      const int32_t n = ExpandedFieldNumber(command.argument, 1);
      if (set == nullptr || !IsFrameInRange(static_cast<uint32_t>(n))) return false;
      const Animation* animation = set->GetAnimation(n);
      if (animation == current_) return false;
      current_ = animation;
      SelectFrames(facing_);
      countDown_ = 0;
      const AnimationFrame* first = CurrentCommand();
      if (first != nullptr) {
        offsetX_ = first->x;
        offsetY_ = first->y;
      }
      ShowCommandAt(first);
      return false;
    }
    case kOpRandomAnimation: {
      if (set == nullptr) return false;
      int32_t n = 0;
      if (command.argument.empty()) {
        n = RandomRange(0, set->AnimationCount() - 1);
      } else {
        n = FieldNumber(command.argument, RandomRange(1, CountFields(command.argument, ",")));
      }
      // A number that names no animation is passed over.
      if (!IsFrameInRange(static_cast<uint32_t>(n))) return false;
      current_ = set->GetAnimation(n);
      SelectFrames(facing_);
      countDown_ = 0;
      return false;
    }
    case kOpFocusSprite:
      if (tick.map != nullptr) {
        tick.map->SetFocus(this, FieldNumber(command.argument, 1), FieldNumber(command.argument, 2) != 0);
      }
      return false;
    case kOpFocusPlayer:
      if (tick.map != nullptr) tick.map->FocusPlayer(FieldNumber(command.argument, 1));
      return false;
    default:
      return false;
  }
}

bool Sprite::StrikeWithMissile() {
  TileMap* map = GetCurrentTileMap();
  if (map == nullptr) return false;
  int32_t radius = GetCollisionRadius();
  if (radius == 0) radius = map->CellWidth() / 2;
  int32_t cx = 0, cy = 0;
  GetSize(&cx, &cy);
  const int32_t x = static_cast<int32_t>(std::clamp<int64_t>(int64_t{TruncateToInt32(positionX_)} + cx, INT32_MIN, INT32_MAX));
  const int32_t y = static_cast<int32_t>(std::clamp<int64_t>(int64_t{TruncateToInt32(positionY_)} + cy, INT32_MIN, INT32_MAX));
  Character* target = map->FindBlockingCharacterAt(x, y, radius, shooter != nullptr ? shooter->side : 0, true);
  if (target == nullptr) return false;
  const MapMark mark = MarkOf(map);
  if (missileKind == kMissileShot) {
    if (damage > 0) {
      const bool current = IsCurrentCharacter(target);
      if (!current) PlaySoundSlot(kHitSoundSlot);
      // The rolls of a blow: each side's dexterity bounds its roll; a walking target faces the shot and halves
      // the shooter's.
      const bool facing = (target->GetFlags() & kCharacterWalking) != 0;
      const int32_t targetRoll = RandomRange(0, target->current.dexterity);
      int32_t shooterBound = shooter != nullptr ? shooter->current.dexterity : 0;
      if (facing) shooterBound >>= 1;
      const int32_t shooterRoll = RandomRange(0, shooterBound);
      // Only a roll above the target's hits, so the ratio never divides by a roll of 0.
      if (shooterRoll > targetRoll) {
        const double ratio = std::max(static_cast<double>(targetRoll) / shooterRoll, kLowestRatio);
        int32_t dealt = damage;
        if (damageKind == 0) {
          const int32_t protection = target->current.naturalProtection;
          dealt -= facing ? protection : TruncateToInt32(protection * ratio);
          dealt = NonNegative(dealt);
        }
        if (dealt < 1 && !facing) dealt = 1;
        target->TakeDamage(dealt, damageKind, 0, 0, true);
        if (MapChanged(mark)) return true;
      }
      if (facing && current) PlaySoundSlot(kBlockSoundSlot);
    }
  } else if (missileKind == kMissileSpell) {
    target->AddEffect(const_cast<SpellRecord*>(spellRecord));
    if (MapChanged(mark)) return true;
  } else {
    return false;
  }
  missileKind = 0;
  remainingX_ = remainingY_ = 0.0f;
  return false;
}

bool Sprite::Animate() {
  // A tick may move the sprite or change its frame, in many ways.
  NotePlacementChange();
  TickState tick;
  tick.map = GetCurrentTileMap();

  // The command step, when the count-down has run out.
  bool step = false;
  if (countDown_ != 0) {
    --countDown_;
  } else if (current_ != nullptr) {
    // A negative delay counts as 0: counted down from below 0 the count would take billions of ticks to come back
    // to 0, and the animation would stand still for good.
    countDown_ = std::max<int32_t>(current_->delay, 0);
    step = true;
  }
  if (step) {
    const AnimationSet* set = Set();
    // A sprite standing still that was turned goes back to the first command of its facing, and waits there for
    // this tick.
    if (!moving_ && !playOnce_ && requestedFacing_ != 0 && requestedFacing_ != kKeepFrame) {
      requestedFacing_ = 0;
      currentIndex_ = firstIndex_;
      EraseDrawnEntry();
      if (set == nullptr) {
        offsetX_ = static_cast<float>(defaultOffsetX);
        offsetY_ = static_cast<float>(defaultOffsetY);
      } else {
        const AnimationFrame* command = CurrentCommand();
        if (command != nullptr) {
          offsetX_ = command->x;
          offsetY_ = command->y;
        }
        ShowCommandAt(command);
      }
      drawnX_ = TruncateToInt16(static_cast<double>(positionX_) + offsetX_);
      drawnY_ = TruncateToInt16(static_cast<double>(positionY_) + offsetY_);
      return false;
    }
    if (set == nullptr) {
      offsetX_ = static_cast<float>(defaultOffsetX);
      offsetY_ = static_cast<float>(defaultOffsetY);
    } else if (moving_ || playOnce_ || current_->mode == 0) {
      // A directional animation of a sprite standing still keeps its frame.
      EraseDrawnEntry();
      const AnimationFrame* found = CurrentCommand();
      if (found != nullptr) {
        // The command is copied: an event it runs, or its end, may take the set away.
        const AnimationFrame command = *found;
        offsetX_ = command.x;
        offsetY_ = command.y;
        ShowCommandAt(&command);
        if (RunCommand(command, tick)) return true;
        if (command.opcode != kOpLoopBack && command.opcode != kOpRandomAnimation && currentIndex_ < lastIndex_) {
          ++currentIndex_;
        }
      }
    }
  }

  // Playing once ends when the animation comes back to its start, or another one took over.
  if (playOnce_ && (current_ != playOnceAnimation_ || currentIndex_ == firstIndex_)) playOnce_ = false;

  if (moving_) {
    // Each axis moves by its step, or by what remains when that is less, so that a move ends on its target; a
    // distance left with no step to cover it ends the move. A full step taken before arrival is tested would pass
    // the target by what the last step had too much, on every move: a walker's figure would drift a few pixels a
    // cell from the cell it stands on until the occupancy put it in the wrong cell. A distance with no step would
    // keep the figure moving, and busy, for ever.
    bool stalled = false;
    auto axis = [&](float& position, float& remaining, float stepSize) {
      if (remaining == 0.0f) return;
      if (stepSize == 0.0f || !std::isfinite(stepSize) || !std::isfinite(remaining)) {
        stalled = true;
        return;
      }
      EraseDrawnEntry();
      if (std::fabs(remaining) <= std::fabs(stepSize)) {
        position += remaining;
        remaining = 0.0f;
        return;
      }
      const float move = remaining > 0.0f ? std::fabs(stepSize) : -std::fabs(stepSize);
      position += move;
      remaining -= move;
    };
    axis(positionX_, remainingX_, stepX_);
    axis(positionY_, remainingY_, stepY_);
    if (stalled) remainingX_ = remainingY_ = 0.0f;

    if (missileKind != 0 && StrikeWithMissile()) return true;

    if (remainingX_ == 0.0f && remainingY_ == 0.0f) {
      stepX_ = stepY_ = 0.0f;
      if (lingerCount < 1) {
        EraseDrawnEntry();
        moving_ = false;
      } else if (Set() == nullptr) {
        --lingerCount;
      }
    }
  }

  drawnX_ = TruncateToInt16(static_cast<double>(positionX_) + offsetX_);
  drawnY_ = TruncateToInt16(static_cast<double>(positionY_) + offsetY_);

  if (tick.actionPoint) {
    if (TileMap* map = GetCurrentTileMap()) {
      map->AddPictureSprite(Field(tick.actionText, 1), TruncateToInt32(drawnX_) + FieldNumber(tick.actionText, 2),
                            TruncateToInt32(drawnY_) + FieldNumber(tick.actionText, 3), "", 1, "");
    }
  }
  return false;
}
