// Skill tables and their level events.
#include "game/rules/skill_table.h"

#include <algorithm>
#include <cmath>

#include "game/rules/character.h"
#include "game/rules/character_readers.h"
#include "game/rules/record_reading.h"

namespace {

// The highest step: the answers stay far inside 64 bits, and far past any experience a character can hold.
constexpr int64_t kStepCeiling = int64_t{1} << 52;

}  // namespace

LevelEvent::LevelEvent() = default;

LevelEvent::LevelEvent(DataStream& stream) : NamedRecord(stream) {
  level = stream.ReadInt16();
  stream.ReadPString(eventName);
  SetLoaded(true);
}

LevelEvent::~LevelEvent() = default;

void LevelEvent::Run() {
  const bool loadedHere = event == nullptr;
  if (loadedHere) event = LoadEvent(eventName);
  RunEventRecord(event.get());
  if (loadedHere) event.reset();
}

SkillTable::SkillTable() = default;

SkillTable::SkillTable(DataStream& stream) : NamedRecord(stream) {
  for (uint32_t& value : levelValues) value = static_cast<uint32_t>(stream.ReadInt32());
  growthNumber = stream.ReadInt32();
  growthFactor = static_cast<float>(growthNumber * 0.1);
  int32_t count = ReadRecordCount(stream);
  for (int32_t i = 0; i < count; ++i) levelEvents.push_back(std::make_unique<LevelEvent>(stream));
  SetLoaded(true);
}

SkillTable::~SkillTable() = default;

int64_t SkillTable::ValueForLevel(int32_t level) const {
  level = std::max(level, 1);
  if (level <= kSkillTableLevels) return levelValues[static_cast<size_t>(level - 1)];
  int64_t last = levelValues[kSkillTableLevels - 1];
  int64_t step = std::max<int64_t>(last - levelValues[kSkillTableLevels - 2], 0);
  for (int32_t i = kSkillTableLevels; i < level; ++i) {
    double growth = std::trunc(static_cast<double>(step) * growthFactor);
    int64_t x = growth >= static_cast<double>(kStepCeiling) ? kStepCeiling : static_cast<int64_t>(std::max(growth, 0.0));
    int64_t grown = std::min(step + x / 10 * 10, kStepCeiling);
    if (grown <= step) break;
    step = grown;
  }
  return last + step;
}

void SkillTable::RunLevelEvents(int32_t level) const {
  auto exhausted = [] {
    const Character* player = PeekCurrentCharacter();
    return player != nullptr && ReadStamina(*player) <= 0;
  };
  for (int32_t wanted : {0, level}) {
    for (const auto& levelEvent : levelEvents) {
      if (levelEvent->level != wanted) continue;
      if (exhausted()) return;
      levelEvent->Run();
    }
  }
}
