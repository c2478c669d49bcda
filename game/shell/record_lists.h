// The scenario's record lists, one per record folder, loaded at start-up under the progress dialog and searched
// by name (case-insensitively) by the whole game. Each list owns its records. A reader puts every new record in
// front of the list, so a list holds its records in the reverse of the order the folder delivered them; the
// location records are appended in delivery order.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <string>

#include "game/rules/scenario_records.h"
#include "game/world/world_services.h"

template <typename Record>
class RecordList {
 public:
  void InsertFront(std::unique_ptr<Record> record) { records_.push_front(std::move(record)); }
  void Append(std::unique_ptr<Record> record) { records_.push_back(std::move(record)); }
  // The first record whose name equals the given one, comparing A to Z without regard to case.
  Record* FindByName(const std::string& name) const;
  void Clear() { records_.clear(); }
  size_t Size() const { return records_.size(); }
  auto begin() const { return records_.begin(); }
  auto end() const { return records_.end(); }

 private:
  std::list<std::unique_ptr<Record>> records_;
};

bool NamesEqualIgnoringCase(const std::string& a, const std::string& b);

template <typename Record>
Record* RecordList<Record>::FindByName(const std::string& name) const {
  for (const auto& record : records_) {
    if (NamesEqualIgnoringCase(record->GetName(), name)) return record.get();
  }
  return nullptr;
}

RecordList<SpellRecord>& SpellList();
RecordList<RaceRecord>& RaceList();
RecordList<ClassRecord>& ClassList();
RecordList<SkillTable>& SkillTableList();
RecordList<ItemRecord>& ItemList();
RecordList<Location>& LocationList();
RecordList<NpcDefinition>& NpcList();

// Walks the seven folders in their order (spells, races, classes, skill tables, items, locations, NPCs), with the
// progress dialog when asked, sets the records-loaded run bit and enables the menu bar.
void LoadScenarioData(bool withProgress);

void ReadSpellFile(DataStream& stream);
void ReadRaceFile(DataStream& stream);
void ReadClassFile(DataStream& stream);
void ReadSkillTableFile(DataStream& stream);
void ReadItemFile(DataStream& stream);
void ReadNpcFile(DataStream& stream);
void LocationFileLoaded(DataStream& stream);

SpellRecord* FindSpellByName(const std::string& name);
RaceRecord* FindRaceByName(const std::string& name);
ClassRecord* FindClassByName(const std::string& name);
ItemRecord* FindItemByName(const std::string& name);
Location* FindLocationByName(const std::string& name);
NpcDefinition* FindNpcByName(const std::string& name);

void ClearSpellList();
void ClearRaceList();
void ClearClassList();
void ClearSkillTableList();
void ClearItemList();
void ClearLocationList();
void ClearNpcList();
// All seven, in the order of start-up and shut-down: spells, races, classes, skill tables, NPCs, locations, items.
void ClearRecordLists();

bool AnyClassAvailable();
bool AnyClassUnavailable();
bool AnyRaceAvailable();
bool AnyRaceUnavailable();
