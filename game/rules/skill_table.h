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

  // The experience that level L needs. Levels 1 to 20 (below 1 counts as 1) read the table. Each level past 20
  // grows the step d = t20 - t19 (0 when t20 is below t19) by its growth x = d x factor, taken down to a
  // multiple of 10, and the answer is t20 + d. Growth that adds nothing ends the growing, and the step stops at
  // a ceiling far past any experience, so any level answers at once.
  int64_t ValueForLevel(int32_t level) const;
  // Runs, in table order, the level events of level 0 and then those of the given level, stopping as soon as the
  // current character has no stamina left.
  void RunLevelEvents(int32_t level) const;

  std::array<uint32_t, kSkillTableLevels> levelValues{};
  int32_t growthNumber = 0;
  float growthFactor = 0.0f;
  std::vector<std::unique_ptr<LevelEvent>> levelEvents;
};
