// The character's inventory and equipment: adding and finding items, the item rules (equip, unequip, drop, use)
// with the items' own actions and spells, the automatic equipment of non-player characters and the choice of a
// healing item.
//
// Item actions run scenario events in the middle of these rules, and an event may take the very item away (an "I"
// action dropping it). Every rule therefore works on items of this character's inventory only, looks the item up
// again after each event and stops when it is gone; and no equipment slot ever keeps an item that left the
// inventory.
#include <algorithm>
#include <cstdlib>

#include "game/rules/character.h"
#include "game/rules/item_record.h"
#include "game/rules/script_engine.h"
#include "game/shell/media/sound_effects.h"
#include "game/shell/record_lists.h"

namespace {

constexpr int16_t kItemKindShield = 3;
constexpr int16_t kTwoHanded = 2;
constexpr int32_t kEquipSoundSlot = 6;
constexpr int32_t kConsumeSoundSlot = 7;
// How many replacements one use may chain (A into B into A ... stops here).
constexpr int32_t kMaxReplacementDepth = 8;

// The equipment slot of an item's kind; 0 for a kind that has none.
int32_t SlotOf(const ItemRecord& item) { return item.kind >= 1 && item.kind < kEquipmentSlots ? item.kind : 0; }

// Equipping and unequipping fire the spell of a weapon with trigger 2 and of any other item with trigger 0.
bool FiresOnEquip(const ItemRecord& item) {
  return item.HasSpell() && item.spellTrigger == (item.kind == kItemKindWeapon ? 2 : 0);
}

bool FiresOnDrop(const ItemRecord& item) {
  if (!item.HasSpell()) return false;
  switch (item.kind) {
    case kItemKindWeapon: return item.spellTrigger == 4;
    case kItemKindConsumable: return item.spellTrigger == 1;
    case kItemKindUsedOnly: return item.spellTrigger == 100;
    default: return item.spellTrigger == 2;
  }
}

bool FiresOnUse(const ItemRecord& item) { return item.HasSpell() && item.spellTrigger == 0; }

// Runs the named action when the item has it: true when its condition held (or it has none, or no such action).
bool RunActionAllowing(const ItemRecord& item, int32_t number) {
  return item.NamedAction(number) == nullptr || item.RunActionByNumber(number);
}

}  // namespace

ItemRecord* Character::AddInventoryItem(const ItemRecord* record) {
  if (record == nullptr) return nullptr;
  inventory.push_back(std::make_unique<ItemRecord>(*record));
  return inventory.back().get();
}

ItemRecord* Character::FindInventoryItem(const std::string& name, bool skipEquipped) const {
  for (const auto& item : inventory) {
    if (!NamesEqualIgnoringCase(item->GetName(), name)) continue;
    const int32_t slot = SlotOf(*item);
    if (skipEquipped && slot != 0 && equipment[static_cast<size_t>(slot)] == item.get()) continue;
    return item.get();
  }
  return nullptr;
}

bool Character::HasItemNamed(const std::string& name) const {
  return std::any_of(inventory.begin(), inventory.end(),
                     [&](const auto& item) { return NamesEqualIgnoringCase(item->GetName(), name); });
}

bool Character::HoldsItem(const ItemRecord* item) const {
  return item != nullptr && std::any_of(inventory.begin(), inventory.end(),
                                        [&](const auto& held) { return held.get() == item; });
}

bool Character::IsEquipped(const ItemRecord* item) const {
  return item != nullptr && std::find(equipment.begin(), equipment.end(), item) != equipment.end();
}

void Character::EmptySlotsHolding(const ItemRecord* item) {
  for (ItemRecord*& slot : equipment) {
    if (slot == item) slot = nullptr;
  }
}

void Character::CreateInventoryFromNames() {
  for (const std::string& name : startItemNames) AddInventoryItem(FindItemByName(name));
  for (SpellRecord* spell : startSpells) LearnSpell(spell);
}

void Character::FireItemSpell(ItemRecord& item) {
  // A charge is taken while any are left; an item with none left (0 or below) turns unlimited (-1). The spell
  // fires either way.
  if (!item.HasSpell()) return;
  if (item.charges > 0) --item.charges;
  else item.charges = -1;
  if (IsCurrentCharacter(this)) QueuePendingSpell(item.spell);
  else UseSpell(item.spell);
}

void Character::ReplaceItem(ItemRecord* item) {
  const ItemRecord* record = FindItemByName(item->replacementName);
  if (record == nullptr || replacementDepth_ >= kMaxReplacementDepth) return;
  auto held = std::find_if(inventory.begin(), inventory.end(), [&](const auto& entry) { return entry.get() == item; });
  if (held == inventory.end()) return;
  auto replacement = std::make_unique<ItemRecord>(*record);
  ItemRecord* made = replacement.get();
  // A slot keeps the new item only when it is the new item's own slot.
  for (int32_t slot = 1; slot < kEquipmentSlots; ++slot) {
    ItemRecord*& entry = equipment[static_cast<size_t>(slot)];
    if (entry == item) entry = SlotOf(*made) == slot ? made : nullptr;
  }
  held->swap(replacement);
  replacement.reset();
  RecalculateStats();
  ++replacementDepth_;
  UseItem(made);
  --replacementDepth_;
}

void Character::Equip(ItemRecord* item) {
  if (!HoldsItem(item) || !item->ActionAllowed("Equip")) return;
  EventQueueHold hold;
  if (FiresOnEquip(*item)) FireItemSpell(*item);
  if (item->HasReplacement()) {
    ReplaceItem(item);
    return;
  }
  const int32_t slot = SlotOf(*item);
  if (slot == 0) return;
  // Each item taken off first may refuse (its action's condition) or take the new item away with its event.
  auto takeOff = [&](int32_t from) {
    UnEquip(equipment[static_cast<size_t>(from)]);
    return HoldsItem(item) && equipment[static_cast<size_t>(from)] == nullptr;
  };
  const bool twoHanded = item->hands == kTwoHanded;
  if ((item->kind == kItemKindWeapon || item->kind == kItemKindShield) && twoHanded) {
    UnEquip(equipment[kItemKindShield]);
    UnEquip(equipment[kItemKindWeapon]);
    if (!HoldsItem(item) || equipment[kItemKindShield] != nullptr || equipment[kItemKindWeapon] != nullptr) return;
  }
  const ItemRecord* weapon = equipment[kItemKindWeapon];
  if (weapon != nullptr && weapon->hands == kTwoHanded && item->kind == kItemKindShield && !takeOff(kItemKindWeapon)) {
    return;
  }
  const ItemRecord* shield = equipment[kItemKindShield];
  if (shield != nullptr && shield->hands == kTwoHanded && item->kind == kItemKindWeapon && !takeOff(kItemKindShield)) {
    return;
  }
  if (!takeOff(slot)) return;
  item->RunActionEvents("Equip");
  if (!HoldsItem(item)) return;
  equipment[static_cast<size_t>(slot)] = item;
  RecalculateStats();
}

void Character::UnEquip(ItemRecord* item) {
  if (!HoldsItem(item) || !item->ActionAllowed("UnEquip")) return;
  EventQueueHold hold;
  if (FiresOnEquip(*item)) FireItemSpell(*item);
  EmptySlotsHolding(item);
  item->RunAction("UnEquip");
  RecalculateStats();
}

void Character::Drop(ItemRecord* item, bool skipAction) {
  if (!HoldsItem(item)) return;
  EventQueueHold hold;
  if (!skipAction) {
    const bool allowed = RunActionAllowing(*item, item->FindActionIndex("Drop"));
    if (!HoldsItem(item) || !allowed) return;
  }
  if (FiresOnDrop(*item)) FireItemSpell(*item);
  const int32_t slot = SlotOf(*item);
  const bool worn = item->kind < kItemKindConsumable || item->kind == 9;
  if (worn && slot != 0 && equipment[static_cast<size_t>(slot)] == item) {
    UnEquip(item);
    // A refused unequip keeps the item equipped, and so in the inventory.
    if (!HoldsItem(item) || IsEquipped(item)) return;
  }
  EmptySlotsHolding(item);
  auto held = std::find_if(inventory.begin(), inventory.end(), [&](const auto& entry) { return entry.get() == item; });
  inventory.erase(held);
  RecalculateStats();
}

void Character::UseItem(ItemRecord* item) {
  if (!HoldsItem(item)) return;
  EventQueueHold hold;
  if (item->kind < kItemKindConsumable || item->kind == 9) {
    PlaySoundSlot(kEquipSoundSlot);
    Equip(item);
    return;
  }
  if (item->kind == kItemKindUsedOnly) {
    item->RunAction("Use");
    return;
  }
  if (item->kind != kItemKindConsumable) return;
  if (!RunActionAllowing(*item, 1) || !HoldsItem(item)) return;
  const bool firesOnUse = FiresOnUse(*item);
  if (firesOnUse) {
    FireItemSpell(*item);
    if (!HoldsItem(item)) return;
  }
  if (item->HasReplacement() && FindItemByName(item->replacementName) != nullptr) {
    ReplaceItem(item);
    return;
  }
  PlaySoundSlot(kConsumeSoundSlot);
  // Permanent gains: the natural protection and the other values to their base, stamina and magic to the points.
  const RecordModifiers& gains = item->modifiers;
  AddWrapped(stamina, gains[kModifierMaxStamina]);
  AddWrapped(magic, gains[kModifierMaxMagic]);
  constexpr std::pair<RecordModifier, CharacterValue> kGains[] = {
      {kModifierNaturalProtection, kValueNaturalProtection},   {kModifierMinDamage, kValueMinDamage},
      {kModifierMaxDamage, kValueMaxDamage},                   {kModifierSpecialDamage, kValueSpecialDamage},
      {kModifierStrength, kValueStrength},                     {kModifierDexterity, kValueDexterity},
      {kModifierVitality, kValueVitality},                     {kModifierWisdom, kValueWisdom},
      {kModifierKarma, kValueKarma},                           {kModifierLuck, kValueLuck},
      {kModifierSpeed, kValueSpeed},                           {kModifierPerception, kValuePerception},
      {kModifierChemicalProtection, kValueChemicalProtection}, {kModifierFireProtection, kValueFireProtection},
      {kModifierColdProtection, kValueColdProtection},         {kModifierElectricalProtection, kValueElectricalProtection},
  };
  for (const auto& [modifier, value] : kGains) AddWrapped(base[value], gains[modifier]);
  RecalculateStats();
  stamina = std::min(stamina, current.maxStamina);
  magic = std::min(magic, current.maxMagic);
  // A consumable whose spell fires on use stays: each use takes a charge down to 0, and a use with none left makes
  // the charges unlimited (-1). Any other consumable is used up.
  if (firesOnUse) return;
  Drop(item, false);
}

void Character::AutoEquipBest(int32_t preference) {
  EventQueueHold hold;
  std::array<ItemRecord*, kEquipmentSlots> best{};
  ItemRecord* ranged = nullptr;
  ItemRecord* melee = nullptr;
  auto better = [](ItemRecord* candidate, ItemRecord* chosen) {
    return chosen == nullptr || candidate->rank > chosen->rank;
  };
  for (const auto& entry : inventory) {
    ItemRecord* item = entry.get();
    const int32_t slot = SlotOf(*item);
    // Every kind with a slot is weighed, consumables and used-only items too: the best of those goes into its
    // slot like any other item.
    if (slot == 0) continue;
    if (better(item, best[static_cast<size_t>(slot)])) best[static_cast<size_t>(slot)] = item;
    if (slot != kItemKindWeapon) continue;
    ItemRecord*& reachBest = item->firstProjectileValue > 1 ? ranged : melee;
    if (better(item, reachBest)) reachBest = item;
  }
  ItemRecord*& weapon = best[kItemKindWeapon];
  if (preference == 2 && ranged != nullptr) weapon = ranged;
  else if ((preference == 0 || preference == 1) && melee != nullptr) weapon = melee;
  else if (preference == 1) weapon = ranged;
  else if (weapon == nullptr) weapon = ranged != nullptr ? ranged : melee;
  for (int32_t slot = 1; slot < kEquipmentSlots; ++slot) {
    // An earlier item's events may have taken a later one away.
    ItemRecord* item = best[static_cast<size_t>(slot)];
    if (HoldsItem(item)) Equip(item);
  }
}

bool Character::ChooseHealingItem(bool bestFit) {
  const int64_t missing = static_cast<int64_t>(current.maxStamina) - stamina;
  ItemRecord* fit = nullptr;
  ItemRecord* valuable = nullptr;
  int64_t fitDistance = 0;
  for (const auto& entry : inventory) {
    ItemRecord* item = entry.get();
    if (item->kind != kItemKindConsumable) continue;
    const int64_t distance = std::llabs(missing - item->modifiers[kModifierMaxStamina]);
    if (fit == nullptr || distance < fitDistance) {
      fit = item;
      fitDistance = distance;
    }
    if (valuable == nullptr || item->rank > valuable->rank) valuable = item;
  }
  if (fit == nullptr) return false;
  UseItem(bestFit ? fit : valuable);
  return true;
}
