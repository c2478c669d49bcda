// Classes and races.
#include "game/rules/class_race_records.h"

#include <iterator>
#include <memory>

#include "game/rules/record_reading.h"
#include "game/shell/record_lists.h"

namespace {

void ReadValues(DataStream& stream, std::array<int16_t, kClassRaceValueCount>& values) {
  for (int16_t& value : values) value = stream.ReadInt16();
}

// A new empty record at the end of its list, which owns it.
template <typename Record>
Record* AppendDefault(RecordList<Record>& list) {
  list.Append(std::make_unique<Record>());
  return std::prev(list.end())->get();
}

int16_t ValueAt(const std::array<int16_t, kClassRaceValueCount>& values, int32_t number) {
  if (number < 1 || number > kClassRaceValueCount) return 0;
  return values[static_cast<size_t>(number - 1)];
}

}  // namespace

RaceRecord::RaceRecord() = default;

RaceRecord::RaceRecord(DataStream& stream) : NamedRecord(stream) {
  stream.ReadPString(text);
  ReadValues(stream, values);
  SetLoaded(true);
}

RaceRecord::~RaceRecord() = default;

RaceRecord* RaceRecord::CreateDefault() { return AppendDefault(RaceList()); }

int16_t RaceRecord::Value(int32_t number) const { return ValueAt(values, number); }

ClassRecord::ClassRecord() = default;

ClassRecord::ClassRecord(DataStream& stream) : NamedRecord(stream) {
  stream.ReadPString(text);
  ReadValues(stream, values);
  for (bool& permission : itemPermissions) permission = ReadRecordFlag(stream);
  int32_t count = ReadRecordCount(stream);
  for (int32_t i = 0; i < count; ++i) {
    std::string name;
    stream.ReadPString(name);
    spells.push_back(FindSpellByName(name));
  }
  SetLoaded(true);
}

ClassRecord::~ClassRecord() = default;

ClassRecord* ClassRecord::CreateDefault() { return AppendDefault(ClassList()); }

int16_t ClassRecord::Value(int32_t number) const { return ValueAt(values, number); }

bool ClassRecord::HasItemPermission(int32_t number) const {
  if (number < 1 || number > kItemPermissionCount) return false;
  return itemPermissions[static_cast<size_t>(number - 1)];
}
