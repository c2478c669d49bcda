// The Character: the player (and, with the world, every NPC). What the shell keeps of it: the values saved games
// hold, its class and race, equipment, inventory, journal, known spells and active effects, and its cell.
//
// The rules that compute with these values come with the game rules; until then a character holds them, the
// list operations work, and recalculating copies the base values.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "game/rules/named_record.h"
#include "game/rules/scenario_records.h"

struct InventoryItem {
  ItemRecord* record = nullptr;
  std::string name;
  int16_t charges = 0;
};

constexpr int kBaseValueCount = 22;
constexpr int kEquipmentSlots = 10;  // slots 1 to 9 are used

class Character : public NamedRecord {
 public:
  Character();
  ~Character() override;
  void SetName(const std::string& path) override { NamedRecord::SetName(path); }

  ClassRecord* GetClass() const { return class_; }
  RaceRecord* GetRace() const { return race_; }
  // Null keeps a record already set, else the list's first record (a default record that joins an empty list).
  void SetClass(ClassRecord* record);
  void SetRace(RaceRecord* record);
  void AssignDefaultClass();
  void AssignDefaultRace();
  InventoryItem* AddInventoryItem(ItemRecord* record);
  // The first item whose name matches without regard to case (skipping equipped ones when asked), or null.
  InventoryItem* FindInventoryItem(const std::string& name, bool skipEquipped);
  void LearnSpell(SpellRecord* spell);
  void RecalculateStats();
  void RemoveEquipmentBonuses();
  void ResolveLinkedRecord();
  void GetPosition(int16_t* x, int16_t* y) const {
    *x = x_;
    *y = y_;
  }
  void SetPosition(int16_t x, int16_t y) {
    x_ = x;
    y_ = y;
  }

  std::string playerName;
  int16_t level = 1;
  int32_t experience = 0;
  int32_t gold = 0;
  int32_t thirdCounter = 0;
  int16_t statusValue = 0;
  std::array<int16_t, kBaseValueCount> baseValues{};
  std::array<int16_t, kBaseValueCount> currentValues{};
  std::array<InventoryItem*, kEquipmentSlots> equipment{};
  std::vector<std::unique_ptr<InventoryItem>> inventory;
  std::vector<std::string> journal;
  std::vector<SpellRecord*> spells;
  std::vector<std::unique_ptr<ActiveEffect>> effects;
  int32_t facing = 1;

 private:
  ClassRecord* class_ = nullptr;
  RaceRecord* race_ = nullptr;
  int16_t x_ = 32767;
  int16_t y_ = 32767;
};

Character* GetCurrentCharacter();
Character* PeekCurrentCharacter();
// Makes the character current; the previous one is deleted unless it is the same.
void SetCurrentCharacter(Character* character);
void CreateCurrentCharacter();
void DeleteCurrentCharacter();
void ClearPendingSpells();
