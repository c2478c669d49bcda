// SpellRecord: a spell of the scenario folder "Players/Spells/". Characters know spells, cast them and receive
// their running effect (active_effect.h).
//
// Stream (big-endian, after the record's name, which comes from its file):
//   short string text;
//   10 x int16: firstValue, magicCost, duration, kindValue, targetKind, sixthValue, damageMin, damageMax,
//     damageKind, effectKind;
//   short string effect number (a decimal text, "" for 0);
//   22 x int16: extraA, extraB, rangeMin, rangeMax, then the eighteen modifiers (record_modifiers.h);
//   int16 condition flag, and when it is not 0 an action record;
//   int16 event count n, then n event bodies: the first four fill the event slots, the rest are read and dropped;
//   short string picture name; int16 repeatAnimation; int16 showOnTarget (not 0: set).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "game/graphics/animation_set.h"
#include "game/rules/named_record.h"
#include "game/rules/record_modifiers.h"
#include "game/rules/script_action.h"
#include "game/rules/script_event.h"


// The event slots of a spell: cast, each tick of its effect, magic points short, and the fourth.
constexpr int32_t kSpellEventSlots = 4;

class SpellRecord : public NamedRecord {
 public:
  SpellRecord();
  // Loaded whenever read: past the end of the data the fields read as 0 and empty texts.
  explicit SpellRecord(DataStream& stream);
  SpellRecord(const SpellRecord&) = delete;
  SpellRecord& operator=(const SpellRecord&) = delete;
  ~SpellRecord() override;

  // True without a condition, else whether the condition holds.
  bool ConditionsHold() const;
  // Runs the event of slot 0 to 3 (cast, each tick of the effect, magic short, the fourth); nothing for an empty
  // slot or any other index.
  void RunEvent(int32_t index) const;
  bool IsKindOne() const { return kindValue == 1; }
  bool IsKindZero() const { return kindValue == 0; }
  // The spell's picture or animation, made from "Pictures/" and the picture name on first use and kept; null
  // for a spell without a picture name.
  PictureRef* GetAnimation();
  // Replaces the kept picture (null drops it, so that the next use makes it again).
  void SetAnimation(std::unique_ptr<PictureRef> animation);

  std::string text;
  int16_t firstValue = 0;
  int16_t magicCost = 0;
  int16_t duration = 0;  // ticks an effect lasts
  int16_t kindValue = 0;
  int16_t targetKind = 0;  // 0 the caster, 1 allies in range, 2 enemies in range, 3 one chosen character
  int16_t sixthValue = 0;
  int16_t damageMin = 0;
  int16_t damageMax = 0;
  int16_t damageKind = 0;
  int16_t effectKind = 0;  // 0 a travelling effect, 1 an animation on each target and the effect, 2 the effect
  int32_t effectNumber = 0;
  int16_t extraA = 0;
  int16_t extraB = 0;
  int16_t rangeMin = 0;  // cells, both ends included
  int16_t rangeMax = 0;
  RecordModifiers modifiers{};
  std::unique_ptr<ScriptAction> condition;
  std::array<std::unique_ptr<ScriptEvent>, kSpellEventSlots> events;
  std::string pictureName;
  int16_t repeatAnimation = 0;
  bool showOnTarget = false;

 private:
  std::unique_ptr<PictureRef> animation_;
};
