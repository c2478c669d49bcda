// Active effects and their saved form.
#include "game/rules/active_effect.h"

#include <algorithm>

#include "game/rules/character.h"
#include "game/rules/spell_record.h"
#include "game/shell/data/data_stream.h"
#include "game/shell/data/game_random.h"
#include "game/shell/record_lists.h"
#include "game/world/sprite.h"
#include "game/world/world_numbers.h"
#include "game/world/world_services.h"

namespace {

// The spell's picture shown on a target goes to this layer of the map.
constexpr int32_t kEffectPictureLayer = 5;
// An effect of this kind has no picture on its targets.
constexpr int16_t kEffectAlone = 2;

}  // namespace

ActiveEffect::ActiveEffect(SpellRecord* spell) : spell(spell), remaining(spell != nullptr ? spell->duration : 0) {}

ActiveEffect::~ActiveEffect() = default;

std::unique_ptr<ActiveEffect> ActiveEffect::Restore(SpellRecord* spell, int32_t remaining) {
  auto effect = std::make_unique<ActiveEffect>(spell);
  effect->remaining = remaining;
  effect->started = 1;
  effect->restored = 1;
  return effect;
}

void ActiveEffect::WriteToSave(DataStream& stream) const {
  stream.WritePString(spell != nullptr ? spell->GetName() : std::string(), true);
  stream.WriteInt16(static_cast<int16_t>(std::clamp<int32_t>(remaining, INT16_MIN, INT16_MAX)));
}

std::unique_ptr<ActiveEffect> ActiveEffect::ActiveEffectFromSave(DataStream& stream) {
  std::string name;
  stream.ReadPStringScrambled(name, false);
  int16_t remaining = stream.ReadInt16();
  if (stream.GetError() != 0) return nullptr;
  return Restore(FindSpellByName(name), remaining);
}

bool ActiveEffect::Apply(Character& target, int32_t* change) {
  *change = 0;
  if (spell == nullptr) return false;
  if (started == 0) {
    started = 1;
    *change = target.TakeDamage(RandomRange(spell->damageMin, spell->damageMax), spell->damageKind, 0, 0, true);
    spell->RunEvent(1);
  } else if (spell->repeatAnimation != 0) {
    TileMap* map = GetCurrentTileMap();
    if (spell->showOnTarget && spell->effectKind != kEffectAlone && map != nullptr && target.sprite != nullptr) {
      map->AddAnimationSprite(spell->GetAnimation(), TruncateToInt32(target.sprite->PositionX()),
                              TruncateToInt32(target.sprite->PositionY()), kEffectPictureLayer);
    }
    *change = target.TakeDamage(RandomRange(spell->damageMin, spell->damageMax), spell->damageKind, 0, 0, false);
    spell->RunEvent(1);
  }
  --remaining;
  return remaining > 0;
}
