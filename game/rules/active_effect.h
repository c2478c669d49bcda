// ActiveEffect: a spell's running effect on a character, counting down its ticks. A character owns its effects;
// saved games keep them as the spell's name and the ticks left.
#pragma once

#include <cstdint>
#include <memory>

#include "game/rules/named_record.h"

class Character;
class SpellRecord;

class ActiveEffect : public NamedRecord {
 public:
  // A new effect of the spell: it lasts the spell's duration (0 ticks without a spell) and has not started.
  explicit ActiveEffect(SpellRecord* spell);
  ~ActiveEffect() override;

  // An effect as a saved game brings it back: started and restored, with the ticks it had left.
  static std::unique_ptr<ActiveEffect> Restore(SpellRecord* spell, int32_t remaining);
  // Saved form: the spell's name as a short string shifted up (none: ""), then the ticks left as an int16.
  void WriteToSave(DataStream& stream) const;
  // Reads that form; the spell is looked up by name (null when the scenario has none). Null when the stream
  // fails.
  static std::unique_ptr<ActiveEffect> ActiveEffectFromSave(DataStream& stream);

  // One application to the target: the first deals the spell's damage (shown at once) and runs its tick event;
  // later ones do so again only for a repeating spell (showing its picture on the target first when it asks),
  // their damage left to the caller to show. The stamina change the damage caused goes to *change. True while
  // the effect goes on; an effect without a spell ends at once.
  bool Apply(Character& target, int32_t* change);

  SpellRecord* spell = nullptr;  // not owned
  int32_t remaining = 0;
  uint8_t started = 0;
  uint8_t restored = 0;
};
