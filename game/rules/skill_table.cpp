// Skill tables and their level events.
#include "game/rules/skill_table.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "game/rules/character.h"
#include "game/rules/character_readers.h"
#include "game/rules/record_reading.h"

namespace {

// Levels are kept within 16 bits: the walk past the table goes at most this far.
constexpr int32_t kHighestAskedLevel = 32768;

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
  level = std::clamp(level, 1, kHighestAskedLevel);
  if (level <= kSkillTableLevels) return levelValues[static_cast<size_t>(level - 1)];
  int64_t step = FirstStep();
  for (int32_t i = kSkillTableLevels; i < level; ++i) {
    const int64_t grown = GrowStep(step);
    // From here on every level takes the same step.
    if (grown == step) break;
    step = grown;
  }
  return int64_t{levelValues[kSkillTableLevels - 1]} + step;
}

bool SkillTable::SomeLevelNeedsMore(int32_t firstLevel, int32_t lastLevel, double experience) const {
  firstLevel = std::clamp(firstLevel, 1, kHighestAskedLevel);
  lastLevel = std::min(lastLevel, kHighestAskedLevel);
  for (int32_t level = firstLevel; level <= std::min(lastLevel, kSkillTableLevels); ++level) {
    if (static_cast<double>(levelValues[static_cast<size_t>(level - 1)]) > experience) return true;
  }
  const int64_t last = levelValues[kSkillTableLevels - 1];
  int64_t step = FirstStep();
  for (int32_t level = kSkillTableLevels + 1; level <= lastLevel; ++level) {
    const int64_t grown = GrowStep(step);
    if (level >= firstLevel && static_cast<double>(last + grown) > experience) return true;
    // Every later level needs what this one needs.
    if (grown == step) return firstLevel <= lastLevel && static_cast<double>(last + grown) > experience;
    step = grown;
  }
  return false;
}

int64_t SkillTable::FirstStep() const {
  return static_cast<uint32_t>(levelValues[kSkillTableLevels - 1] - levelValues[kSkillTableLevels - 2]);
}

int64_t SkillTable::GrowStep(int64_t step) const {
  // The growth is taken to a 32-bit whole number. A product past 32 bits is held at the 32-bit limits: converting
  // it is undefined, and the processors' answer (the lowest 32-bit value) would shrink a growing step.
  const double growth = std::trunc(static_cast<double>(step) * growthFactor);
  const auto x = static_cast<int64_t>(std::clamp(growth, double{INT32_MIN}, double{INT32_MAX}));
  return step + x / 10 * 10;
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
