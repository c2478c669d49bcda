// ClassRecord and RaceRecord: the classes of "Players/Classes/" and the races of "Players/Races/". Both carry a
// description and fifteen values numbered 1 to 15 (3 to 8 add to strength, dexterity, vitality, wisdom, karma
// and luck, 11 to 15 to natural, chemical, fire, cold and electrical protection); a class also says which kinds
// of items its members may use and which spells it offers.
//
// Class stream (big-endian): short string text; 15 x int16 values; 8 x int16 item permissions (not 0: allowed);
// int16 spell count n, then n short strings, each a spell name looked up at once (a name that no spell has
// leaves an empty entry). Race stream: short string text; 15 x int16 values.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "game/rules/named_record.h"

class SpellRecord;

constexpr int32_t kClassRaceValueCount = 15;
constexpr int32_t kItemPermissionCount = 8;

class RaceRecord : public NamedRecord {
 public:
  // An empty race: no text, every value 0.
  RaceRecord();
  // Loaded whenever read: past the end of the data the fields read as 0 and empty texts.
  explicit RaceRecord(DataStream& stream);
  ~RaceRecord() override;

  // The race that stands in for every race of a scenario that has none: an empty race added to the race list,
  // which owns it.
  static RaceRecord* CreateDefault();
  // Value 1 to 15; 0 for any other number.
  int16_t Value(int32_t number) const;

  std::string text;
  std::array<int16_t, kClassRaceValueCount> values{};
};

class ClassRecord : public NamedRecord {
 public:
  // An empty class: no text, every value 0, no permissions, no spells.
  ClassRecord();
  // Loaded whenever read: past the end of the data the fields read as 0 and empty texts.
  explicit ClassRecord(DataStream& stream);
  ~ClassRecord() override;

  // As RaceRecord::CreateDefault, for the class list.
  static ClassRecord* CreateDefault();
  int16_t Value(int32_t number) const;
  // Item permission 1 to 8; false for any other number.
  bool HasItemPermission(int32_t number) const;

  std::string text;
  std::array<int16_t, kClassRaceValueCount> values{};
  std::array<bool, kItemPermissionCount> itemPermissions{};
  std::vector<SpellRecord*> spells;  // not owned; null for a name the scenario has no spell of
};
