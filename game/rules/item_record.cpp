// Items: the record, its copies, its named actions and who may use it.
#include "game/rules/item_record.h"

#include <numeric>

#include "game/graphics/animation_set.h"
#include "game/rules/character.h"
#include "game/rules/class_race_records.h"
#include "game/rules/conditions.h"
#include "game/rules/record_reading.h"
#include "game/shell/data/data_paths.h"
#include "game/shell/data/string_utils.h"
#include "game/shell/media/sound_effects.h"
#include "game/shell/record_lists.h"

namespace {

constexpr const char* kWeaponActions[] = {"Attack", "Miss", "Equip", "UnEquip", "Drop"};
constexpr const char* kWornActions[] = {"Equip", "UnEquip", "Drop"};
constexpr const char* kUsedActions[] = {"Use", "Drop"};

// The named actions of a kind: weapons, the kinds that are worn (2 to 6 and 9), and the rest.
std::pair<const char* const*, int32_t> ActionNames(int16_t kind) {
  if (kind == kItemKindWeapon) return {kWeaponActions, 5};
  if ((kind >= 2 && kind <= 6) || kind == 9) return {kWornActions, 3};
  return {kUsedActions, 2};
}

// Permission 4 lets a class use ranged weapons; without permission 5 it may not use weapons marked by flagExtra.
constexpr int32_t kRangedWeaponPermission = 4;
constexpr int32_t kMarkedWeaponPermission = 5;
// Kinds other than weapons take the permission 5 places after their permission index.
constexpr int32_t kWornPermissionOffset = 5;
// The modifiers that make up an item's rank: all but the four elemental protections.
constexpr int32_t kRankedModifiers = kModifierChemicalProtection;

}  // namespace

int32_t NamedActionCount(int16_t kind) { return ActionNames(kind).second; }

const char* NamedActionName(int16_t kind, int32_t number) {
  auto [names, count] = ActionNames(kind);
  return number >= 1 && number <= count ? names[number - 1] : "";
}

ItemRecord::ItemRecord() = default;

ItemRecord::ItemRecord(DataStream& stream) : NamedRecord(stream) {
  stream.ReadPString(description);
  stream.ReadPString(secondText);
  generalAction = std::make_unique<ItemActionRecord>(stream);
  for (int16_t* value : {&kind, &permissionIndex, &hands, &price}) *value = stream.ReadInt16();
  for (int32_t m = kModifierMinDamage; m <= kModifierSpecialDamage; ++m) modifiers[m] = stream.ReadInt16();
  firstProjectileValue = stream.ReadInt16();
  for (int32_t m = kModifierNaturalProtection; m < kModifierCount; ++m) modifiers[m] = stream.ReadInt16();
  stream.ReadPString(replacementName);
  std::string spellName;
  stream.ReadPString(spellName);
  if (!spellName.empty()) spell = FindSpellByName(spellName);
  charges = stream.ReadInt16();
  spellTrigger = stream.ReadInt16();
  int32_t actionCount = NamedActionCount(kind);
  for (int32_t i = 0; i < actionCount; ++i) namedActions.push_back(std::make_unique<ItemActionRecord>(stream));
  int32_t classCount = ReadRecordCount(stream);
  for (int32_t i = 0; i < classCount; ++i) {
    classNames.emplace_back();
    stream.ReadPString(classNames.back());
    ToLowerInPlace(classNames.back());
  }
  attackKindValue = stream.ReadInt16();
  std::string number;
  stream.ReadPString(number);
  secondProjectileValue = static_cast<int16_t>(ParseInt(number));
  std::string attackPicture;
  stream.ReadPString(attackPicture);
  if (!attackPicture.empty()) PicturePath(attackPicturePath, attackPicture);
  damageKind = stream.ReadInt16();
  flagExtra = ReadRecordFlag(stream);
  stream.ReadPString(thirdText);
  for (bool& flag : flags) flag = stream.ReadByte() != 0;
  bool hasPicture = stream.ReadByte() != 0;
  stream.ReadPString(pictureName);
  if (!hasPicture) pictureName.clear();
  lastValue = stream.ReadByte();
  rank = std::accumulate(modifiers.begin(), modifiers.begin() + kRankedModifiers, 0);
  SetLoaded(true);
}

ItemRecord::ItemRecord(const ItemRecord& other)
    : NamedRecord(other),
      description(other.description),
      secondText(other.secondText),
      kind(other.kind),
      permissionIndex(other.permissionIndex),
      hands(other.hands),
      price(other.price),
      firstProjectileValue(other.firstProjectileValue),
      modifiers(other.modifiers),
      replacementName(other.replacementName),
      spell(other.spell),
      charges(other.charges),
      spellTrigger(other.spellTrigger),
      classNames(other.classNames),
      attackKindValue(other.attackKindValue),
      secondProjectileValue(other.secondProjectileValue),
      attackPicturePath(other.attackPicturePath),
      damageKind(other.damageKind),
      flagExtra(other.flagExtra),
      thirdText(other.thirdText),
      flags(other.flags),
      pictureName(other.pictureName),
      lastValue(other.lastValue),
      rank(other.rank) {
  if (other.generalAction != nullptr) generalAction = std::make_unique<ItemActionRecord>(*other.generalAction);
  for (const auto& action : other.namedActions) namedActions.push_back(std::make_unique<ItemActionRecord>(*action));
  SetLoaded(other.IsLoaded());
}

ItemRecord::~ItemRecord() = default;

int32_t ItemRecord::FindActionIndex(const std::string& name) const {
  auto [names, count] = ActionNames(kind);
  for (int32_t i = 0; i < count; ++i) {
    if (name == names[i]) return i + 1;
  }
  return 0;
}

ItemActionRecord* ItemRecord::NamedAction(int32_t number) const {
  if (number < 1 || static_cast<size_t>(number) > namedActions.size()) return nullptr;
  return namedActions[static_cast<size_t>(number - 1)].get();
}

bool ItemRecord::ActionAllowed(const std::string& name) const {
  const ItemActionRecord* action = NamedAction(FindActionIndex(name));
  return action == nullptr || action->condition == nullptr || EvaluateConditions(*action->condition);
}

void ItemRecord::RunAction(const std::string& name) const { RunActionByNumber(FindActionIndex(name)); }

// The sound is taken before the event runs: the event may take the item, and its actions, away.
void ItemRecord::RunActionEvents(const std::string& name) const {
  const ItemActionRecord* action = NamedAction(FindActionIndex(name));
  if (action == nullptr) return;
  const std::string sound = action->soundName;
  RunEventRecord(action->event.get());
  PlaySoundFile(sound);
}

bool ItemRecord::RunActionByNumber(int32_t number) const {
  const ItemActionRecord* action = NamedAction(number);
  if (action == nullptr) return false;
  const bool held = action->condition == nullptr || EvaluateConditions(*action->condition);
  const std::string sound = action->soundName;
  RunEventRecord(action->event.get());
  if (held) PlaySoundFile(sound);
  return held;
}

int16_t ItemRecord::AttackKind() const { return firstProjectileValue < 2 ? int16_t{1} : attackKindValue; }

PictureRef* ItemRecord::GetPicture() {
  if (attackPicture_ == nullptr && !attackPicturePath.empty()) {
    attackPicture_ = std::make_unique<PictureRef>(attackPicturePath);
  }
  return attackPicture_.get();
}

void ItemRecord::SetPicture(std::unique_ptr<PictureRef> picture) { attackPicture_ = std::move(picture); }

bool ItemRecord::CanBeUsedBy(const Character& character) const {
  const ClassRecord* classRecord = character.GetClass();
  if (classRecord == nullptr || kind == kItemKindConsumable || kind == kItemKindUsedOnly) return true;
  bool permitted = false;
  if (kind == kItemKindWeapon) {
    permitted = classRecord->HasItemPermission(permissionIndex) &&
                (classRecord->HasItemPermission(kRangedWeaponPermission) || firstProjectileValue < 2) &&
                !(flagExtra && !classRecord->HasItemPermission(kMarkedWeaponPermission));
  } else {
    permitted = classRecord->HasItemPermission(kWornPermissionOffset + permissionIndex);
  }
  if (permitted) return true;
  std::string className = classRecord->GetName();
  ToLowerInPlace(className);
  for (const std::string& name : classNames) {
    if (name == className) return true;
  }
  return false;
}
