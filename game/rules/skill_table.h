// SkillTable: a record of "Players/Skill Tables/": the experience each level needs and the events that run when
// a level is reached. The player's table is the one named like its class. LevelEvent is one such per-level
// hook.
//
// Stream (big-endian): 20 x uint32, the experience needed for levels 1 to 20; int32 growth number g (the
// growth factor is g x 0.1); int16 level event count n; n level events, each an int16 level (0: every level)
// and a short string event name.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "game/rules/named_record.h"
#include "game/rules/script_event.h"

class LevelEvent : public NamedRecord {
 public:
  LevelEvent();
  // Loaded whenever read: past the end of the data the fields read as 0 and empty texts.
  explicit LevelEvent(DataStream& stream);
  ~LevelEvent() override;

  // Loads the event by name, runs it and forgets it again, so that each run reads the file anew; an event held
  // already runs from a copy.
  void Run();

  int16_t level = 0;
  std::string eventName;
  // The event while it runs; empty otherwise (it is loaded by name for each run).
  std::unique_ptr<ScriptEvent> event;
};

constexpr int32_t kSkillTableLevels = 20;

class SkillTable : public NamedRecord {
 public:
  SkillTable();
  // Loaded whenever read: past the end of the data the fields read as 0 and empty texts.
  explicit SkillTable(DataStream& stream);
  SkillTable(const SkillTable&) = delete;
  SkillTable& operator=(const SkillTable&) = delete;
  ~SkillTable() override;

  // The experience that level L needs. Levels 1 to 20 (below 1 counts as 1) read the table. Past the table each
  // level grows a step, which starts as the unsigned 32-bit difference t20 - t19, by x = step x factor (toward
  // zero) taken to a multiple of 10 (toward zero): a negative factor shrinks it. The answer is t20 + the step of
  // that level. Levels are kept within 16 bits: a level past 32768 is asked as 32768.
  int64_t ValueForLevel(int32_t level) const;
  // Whether some level from the first given up to the last needs more than the experience (levels past 32768 count
  // as 32768).
  bool SomeLevelNeedsMore(int32_t firstLevel, int32_t lastLevel, double experience) const;
  // Runs, in table order, the level events of level 0 and then those of the given level, stopping as soon as the
  // current character has no stamina left.
  void RunLevelEvents(int32_t level) const;

  std::array<uint32_t, kSkillTableLevels> levelValues{};
  int32_t growthNumber = 0;
  float growthFactor = 0.0f;
  std::vector<std::unique_ptr<LevelEvent>> levelEvents;

 private:
  // The step of the levels past the table: t20 - t19 as an unsigned 32-bit number, then grown once a level.
  int64_t FirstStep() const;
  int64_t GrowStep(int64_t step) const;
};
