// The spell record.
#include "game/rules/spell_record.h"

#include "game/graphics/animation_set.h"
#include "game/rules/conditions.h"
#include "game/rules/record_reading.h"
#include "game/shell/data/data_paths.h"
#include "game/shell/data/string_utils.h"

SpellRecord::SpellRecord() = default;

SpellRecord::SpellRecord(DataStream& stream) : NamedRecord(stream) {
  stream.ReadPString(text);
  for (int16_t* value : {&firstValue, &magicCost, &duration, &kindValue, &targetKind, &sixthValue, &damageMin,
                         &damageMax, &damageKind, &effectKind}) {
    *value = stream.ReadInt16();
  }
  std::string number;
  stream.ReadPString(number);
  effectNumber = ParseInt(number);
  for (int16_t* value : {&extraA, &extraB, &rangeMin, &rangeMax}) *value = stream.ReadInt16();
  for (int16_t& modifier : modifiers) modifier = stream.ReadInt16();
  if (ReadRecordFlag(stream)) condition = std::make_unique<ScriptAction>(stream);
  // The first four events fill the slots; the rest are read and dropped.
  int32_t eventCount = ReadRecordCount(stream);
  for (int32_t i = 0; i < eventCount; ++i) {
    auto event = std::make_unique<ScriptEvent>(stream);
    if (i < kSpellEventSlots) events[static_cast<size_t>(i)] = std::move(event);
  }
  stream.ReadPString(pictureName);
  NormalizePath(pictureName);
  repeatAnimation = stream.ReadInt16();
  showOnTarget = ReadRecordFlag(stream);
  SetLoaded(true);
}

SpellRecord::~SpellRecord() = default;

PictureRef* SpellRecord::GetAnimation() {
  if (animation_ == nullptr && !pictureName.empty()) {
    std::string path;
    PicturePath(path, pictureName);
    animation_ = std::make_unique<PictureRef>(path);
  }
  return animation_.get();
}

void SpellRecord::SetAnimation(std::unique_ptr<PictureRef> animation) { animation_ = std::move(animation); }

bool SpellRecord::ConditionsHold() const { return condition == nullptr || EvaluateConditions(*condition); }

void SpellRecord::RunEvent(int32_t index) const {
  if (index < 0 || index >= kSpellEventSlots) return;
  RunEventRecord(events[static_cast<size_t>(index)].get());
}
