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
#include <utility>
#include <vector>

#include "game/graphics/bitmap.h"
#include "game/rules/named_record.h"
#include "game/rules/scenario_records.h"

struct InventoryItem {
  ItemRecord* record = nullptr;
  std::string name;
  int16_t charges = 0;
};

constexpr int kBaseValueCount = 22;
constexpr int kEquipmentSlots = 10;  // slots 1 to 9 are used

// The places of the values in baseValues and currentValues, in the order saved games keep them: the stamina and
// magic points, then the twenty values of the base block.
enum CharacterValueIndex : int32_t {
  kValueStamina,
  kValueMagic,
  kValueMaxStamina,
  kValueMaxMagic,
  kValueMinDamage,
  kValueMaxDamage,
  kValueSpecialDamage,
  kValueStrength,
  kValueDexterity,
  kValueVitality,
  kValueWisdom,
  kValueKarma,
  kValueLuck,
  kValueSpeed,
  kValuePerception,
  kValueMorale,
  kValueNaturalProtection,
  kValueChemicalProtection,
  kValueFireProtection,
  kValueColdProtection,
  kValueElectricalProtection,
  kValueNoticeRange,
};

// One of the player's text entries: a key and two texts, kept in the order they were added.
struct TextEntry {
  std::string key;
  std::string firstText;
  std::string secondText;
};

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
  // Whether an inventory item's name equals the name without regard to case.
  bool HasItemNamed(const std::string& name) const;
  void LearnSpell(SpellRecord* spell);
  void RecalculateStats();
  void RemoveEquipmentBonuses();
  // The skill table is the first of the scenario's tables named exactly like the class; kept when none is.
  void ResolveLinkedRecord();
  SkillTable* GetSkillTable() const { return skillTable; }
  // The experience the next level needs: the skill table's value for level + 1, or 0 without a skill table.
  double NextLevelNeeded() const;

  // The portrait. Setting one frees the old; by name it is loaded from "Players/Portraits/" + name + ".pct", and a
  // picture that does not load leaves none.
  Bitmap* GetPicture() const { return picture_.get(); }
  void SetPicture(std::unique_ptr<Bitmap> picture);
  void SetPictureByName(const std::string& name);

  const std::vector<TextEntry>& GetTextEntries() const { return textEntries_; }
  // Appends an entry; one of the same key stays.
  void AddTextEntry(const std::string& key, const std::string& firstText, const std::string& secondText);
  // Removes the first entry whose key equals the key exactly; nothing when none does.
  void RemoveTextEntry(const std::string& key);
  void ClearTextEntries();

  // Frees the map cells the character holds reserved (those that are not its own cell) on the current tile map,
  // and forgets them.
  void ReleaseReservedCells();
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
  SkillTable* skillTable = nullptr;  // not owned
  std::vector<std::pair<int32_t, int32_t>> reservedCells;

 private:
  ClassRecord* class_ = nullptr;
  RaceRecord* race_ = nullptr;
  int16_t x_ = 32767;
  int16_t y_ = 32767;
  std::unique_ptr<Bitmap> picture_;
  std::vector<TextEntry> textEntries_;
};

Character* GetCurrentCharacter();
Character* PeekCurrentCharacter();
// Makes the character current; the previous one is deleted unless it is the same.
void SetCurrentCharacter(Character* character);
void CreateCurrentCharacter();
void DeleteCurrentCharacter();
void ClearPendingSpells();
