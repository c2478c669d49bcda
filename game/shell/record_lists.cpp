// The seven record lists and the walk over the record folders.
#include "game/shell/record_lists.h"

#include "game/rules/character.h"

#include "game/dialogs/dialog_services.h"
#include "game/shell/data/data_archive.h"
#include "game/shell/data/data_paths.h"
#include "game/shell/main_loop.h"
#include "game/shell/menus.h"
#include "game/shell/data/stopwatch.h"

namespace {

template <typename Record>
void ReadFront(RecordList<Record>& list, DataStream& stream) {
  auto record = std::make_unique<Record>(stream);
  if (record->IsLoaded()) list.InsertFront(std::move(record));
}

template <typename Record>
bool AnyWithAvailability(const RecordList<Record>& list, bool available) {
  for (const auto& record : list) {
    if (record->IsAvailable() == available) return true;
  }
  return false;
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

}  // namespace

bool NamesEqualIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

RecordList<SpellRecord>& SpellList() {
  static RecordList<SpellRecord> list;
  return list;
}
RecordList<RaceRecord>& RaceList() {
  static RecordList<RaceRecord> list;
  return list;
}
RecordList<ClassRecord>& ClassList() {
  static RecordList<ClassRecord> list;
  return list;
}
RecordList<SkillTable>& SkillTableList() {
  static RecordList<SkillTable> list;
  return list;
}
RecordList<ItemRecord>& ItemList() {
  static RecordList<ItemRecord> list;
  return list;
}
RecordList<Location>& LocationList() {
  static RecordList<Location> list;
  return list;
}
RecordList<NpcDefinition>& NpcList() {
  static RecordList<NpcDefinition> list;
  return list;
}

void ReadSpellFile(DataStream& stream) { ReadFront(SpellList(), stream); }
void ReadRaceFile(DataStream& stream) { ReadFront(RaceList(), stream); }
void ReadClassFile(DataStream& stream) { ReadFront(ClassList(), stream); }
void ReadSkillTableFile(DataStream& stream) { ReadFront(SkillTableList(), stream); }
void ReadItemFile(DataStream& stream) { ReadFront(ItemList(), stream); }
void ReadNpcFile(DataStream& stream) { ReadFront(NpcList(), stream); }

void LocationFileLoaded(DataStream& stream) {
  std::unique_ptr<Location> location = CreateLocation(stream);
  if (location != nullptr) LocationList().Append(std::move(location));
}

void LoadScenarioData(bool withProgress) {
  Stopwatch stopwatch;
  std::unique_ptr<ProgressDialog> progress;
  if (withProgress) {
    progress = std::make_unique<ProgressDialog>();
    ProgressDialog::SetCurrent(progress.get());
    progress->BeginPhase("Loading game data", 7);
  }
  struct Step {
    void (*path)(std::string&);
    void (*reader)(DataStream&);
    const char* label;
  };
  const Step steps[] = {
      {SpellsFolderPath, ReadSpellFile, "ReadSpells"},
      {RacesFolderPath, ReadRaceFile, "ReadRaces"},
      {ClassesFolderPath, ReadClassFile, "ReadClasses"},
      {SkillTablesFolderPath, ReadSkillTableFile, "ReadSkillTables"},
      {ItemsFolderPath, ReadItemFile, "ReadItems"},
      {LocationDefsFolderPath, LocationFileLoaded, "ReadLocations"},
      {NpcsFolderPath, ReadNpcFile, "ReadNPCs"},
  };
  for (const Step& step : steps) {
    std::string folder;
    step.path(folder);
    ForEachDataFile(folder, step.reader);
    ProgressDialog::StepCurrent();
    stopwatch.Restart();
    stopwatch.Lap(step.label);
  }
  SetRunStateBits(kRunRecordsLoaded);
  EnableMenuBar(false);
}

SpellRecord* FindSpellByName(const std::string& name) { return SpellList().FindByName(name); }
RaceRecord* FindRaceByName(const std::string& name) { return RaceList().FindByName(name); }
ClassRecord* FindClassByName(const std::string& name) { return ClassList().FindByName(name); }
ItemRecord* FindItemByName(const std::string& name) { return ItemList().FindByName(name); }
Location* FindLocationByName(const std::string& name) { return LocationList().FindByName(name); }
NpcDefinition* FindNpcByName(const std::string& name) { return NpcList().FindByName(name); }

void ClearSpellList() { SpellList().Clear(); }
void ClearRaceList() { RaceList().Clear(); }
void ClearClassList() { ClassList().Clear(); }
void ClearSkillTableList() { SkillTableList().Clear(); }
void ClearItemList() { ItemList().Clear(); }
void ClearLocationList() { LocationList().Clear(); }
void ClearNpcList() { NpcList().Clear(); }

void ClearRecordLists() {
  // The player's queued spells point into the spell list: they go with it, so that a scenario loaded again (or
  // the program started again in one process) never casts a freed record.
  ClearPendingSpells();
  ClearSpellList();
  ClearRaceList();
  ClearClassList();
  ClearSkillTableList();
  ClearNpcList();
  ClearLocationList();
  ClearItemList();
}

bool AnyClassAvailable() { return AnyWithAvailability(ClassList(), true); }
bool AnyClassUnavailable() { return AnyWithAvailability(ClassList(), false); }
bool AnyRaceAvailable() { return AnyWithAvailability(RaceList(), true); }
bool AnyRaceUnavailable() { return AnyWithAvailability(RaceList(), false); }
