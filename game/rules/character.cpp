// The character's lists and the current character.
#include "game/rules/character.h"

#include <algorithm>

#include "game/shell/data/data_archive.h"
#include "game/shell/data/data_paths.h"
#include "game/shell/record_lists.h"
#include "game/world/world_services.h"

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

bool Character::HasItemNamed(const std::string& name) const {
  return std::any_of(inventory.begin(), inventory.end(),
                     [&](const auto& item) { return NamesEqualIgnoringCase(item->name, name); });
}

void Character::LearnSpell(SpellRecord* spell) {
  if (spell != nullptr) spells.push_back(spell);
}

void Character::RecalculateStats() { currentValues = baseValues; }
void Character::RemoveEquipmentBonuses() {}
void Character::ResolveLinkedRecord() {
  if (class_ == nullptr) return;
  for (const auto& table : SkillTableList()) {
    if (table->GetName() == class_->GetName()) {
      skillTable = table.get();
      return;
    }
  }
}

double Character::NextLevelNeeded() const {
  if (skillTable == nullptr) return 0.0;
  return static_cast<double>(skillTable->ValueForLevel(level + 1));
}

void Character::SetPicture(std::unique_ptr<Bitmap> picture) { picture_ = std::move(picture); }

void Character::SetPictureByName(const std::string& name) {
  picture_.reset();
  std::string path;
  PortraitPath(path, name);
  picture_ = LoadPictureByName(path.c_str());
}

void Character::AddTextEntry(const std::string& key, const std::string& firstText, const std::string& secondText) {
  textEntries_.push_back({key, firstText, secondText});
}

void Character::RemoveTextEntry(const std::string& key) {
  auto found = std::find_if(textEntries_.begin(), textEntries_.end(),
                            [&](const TextEntry& entry) { return entry.key == key; });
  if (found != textEntries_.end()) textEntries_.erase(found);
}

void Character::ClearTextEntries() { textEntries_.clear(); }

void Character::ReleaseReservedCells() {
  if (TileMap* map = GetCurrentTileMap()) {
    for (const auto& [x, y] : reservedCells) {
      if (x != x_ || y != y_) map->SetCellFlag(x, y, 1);
    }
  }
  reservedCells.clear();
}

Character* GetCurrentCharacter() { return Current().get(); }
Character* PeekCurrentCharacter() { return Current().get(); }

void SetCurrentCharacter(Character* character) {
  if (Current().get() == character) return;
  Current().reset(character);
}

void CreateCurrentCharacter() { Current() = std::make_unique<Character>(); }
void DeleteCurrentCharacter() { Current().reset(); }
void ClearPendingSpells() {}
