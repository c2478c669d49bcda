// The scenario's record kinds, one per file of the record folders: spells, races, classes, skill tables, items
// and NPC definitions.
//
// Their fields come with the game rules. Until then a record keeps its name (from its file's name) and counts as
// loaded when its file could be read, so the record lists and their lookups by name work on real scenarios.
#pragma once

#include "game/rules/named_record.h"

class StandInRecord : public NamedRecord {
 public:
  explicit StandInRecord(DataStream& stream);
};

class SpellRecord : public StandInRecord {
 public:
  explicit SpellRecord(DataStream& stream) : StandInRecord(stream) {}
};
class RaceRecord : public StandInRecord {
 public:
  explicit RaceRecord(DataStream& stream) : StandInRecord(stream) {}
};
class ClassRecord : public StandInRecord {
 public:
  explicit ClassRecord(DataStream& stream) : StandInRecord(stream) {}
};
class SkillTable : public StandInRecord {
 public:
  explicit SkillTable(DataStream& stream) : StandInRecord(stream) {}
};
class ItemRecord : public StandInRecord {
 public:
  explicit ItemRecord(DataStream& stream) : StandInRecord(stream) {}
};
class NpcDefinition : public StandInRecord {
 public:
  explicit NpcDefinition(DataStream& stream) : StandInRecord(stream) {}
};

// Loads the pictures that layouts 24 to 33 name (from "Pictures/") into the scenario's picture slots.
void FillLayoutPictureSlots();
// The picture of slot 0 to 9 (layouts 24 to 33), or null.
class Bitmap;
Bitmap* GetLayoutPictureSlot(int32_t slot);
