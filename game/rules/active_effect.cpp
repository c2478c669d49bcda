// Active effects and their saved form.
#include "game/rules/active_effect.h"

#include <algorithm>

#include "game/rules/spell_record.h"
#include "game/shell/data/data_stream.h"
#include "game/shell/record_lists.h"

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
