// The character's lists and the current character.
#include "game/rules/character.h"

#include "game/shell/record_lists.h"

namespace {

std::unique_ptr<Character>& Current() {
  static auto* current = new std::unique_ptr<Character>;
  return *current;
}

}  // namespace

Character::Character() = default;
Character::~Character() = default;

void Character::SetClass(ClassRecord* record) {
  if (record != nullptr) class_ = record;
  else if (class_ == nullptr) AssignDefaultClass();
}

void Character::SetRace(RaceRecord* record) {
  if (record != nullptr) race_ = record;
  else if (race_ == nullptr) AssignDefaultRace();
}

void Character::AssignDefaultClass() {
  class_ = ClassList().begin() != ClassList().end() ? ClassList().begin()->get() : ClassRecord::CreateDefault();
}

void Character::AssignDefaultRace() {
  race_ = RaceList().begin() != RaceList().end() ? RaceList().begin()->get() : RaceRecord::CreateDefault();
}

InventoryItem* Character::AddInventoryItem(ItemRecord* record) {
  auto item = std::make_unique<InventoryItem>();
  item->record = record;
  if (record != nullptr) item->name = record->GetName();
  inventory.push_back(std::move(item));
  return inventory.back().get();
}

InventoryItem* Character::FindInventoryItem(const std::string& name, bool skipEquipped) {
  for (auto& item : inventory) {
    if (!NamesEqualIgnoringCase(item->name, name)) continue;
    bool equipped = false;
    for (InventoryItem* slot : equipment) equipped = equipped || slot == item.get();
    if (skipEquipped && equipped) continue;
    return item.get();
  }
  return nullptr;
}

void Character::LearnSpell(SpellRecord* spell) {
  if (spell != nullptr) spells.push_back(spell);
}

void Character::RecalculateStats() { currentValues = baseValues; }
void Character::RemoveEquipmentBonuses() {}
void Character::ResolveLinkedRecord() {}

Character* GetCurrentCharacter() { return Current().get(); }
Character* PeekCurrentCharacter() { return Current().get(); }

void SetCurrentCharacter(Character* character) {
  if (Current().get() == character) return;
  Current().reset(character);
}

void CreateCurrentCharacter() { Current() = std::make_unique<Character>(); }
void DeleteCurrentCharacter() { Current().reset(); }
void ClearPendingSpells() {}
