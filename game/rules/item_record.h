// ItemRecord: an item of "Items/". The same class is the item a character carries: an inventory entry is a copy
// of the scenario's record with charges of its own.
//
// Stream (big-endian, after the record's name, which comes from its file):
//   short string description; short string secondText; the general item action (item_action_record.h);
//   int16 kind (also the equipment slot); int16 permissionIndex; int16 hands; int16 price;
//   3 x int16 minimum damage, maximum damage, special damage modifiers; int16 firstProjectileValue;
//   15 x int16 the other modifiers, natural protection to electrical protection (record_modifiers.h);
//   short string replacementName; short string spell name (looked up at once); int16 charges (-1 unlimited);
//   int16 spellTrigger; the named item actions, as many as the kind has (not stored: see NamedActionCount);
//   int16 class count m, then m short string class names (lower-cased on reading); int16 attackKindValue;
//   short string decimal text: secondProjectileValue; short string attack picture name (kept as a
//   "Pictures/" path); int16 damageKind; int16 flagExtra (not 0: set); short string thirdText;
//   3 x byte flags (not 0: set); byte picture flag and short string picture name (emptied when the flag is 0);
//   byte lastValue.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "game/graphics/animation_set.h"
#include "game/rules/item_action_record.h"
#include "game/rules/named_record.h"
#include "game/rules/record_modifiers.h"

class Character;
class SpellRecord;

// Item kinds with a meaning of their own: 1 the weapon, 7 consumable, 8 used only.
constexpr int16_t kItemKindWeapon = 1;
constexpr int16_t kItemKindConsumable = 7;
constexpr int16_t kItemKindUsedOnly = 8;

// How many named actions an item of the kind carries: 5 for weapons, 3 for kinds 2 to 6 and 9, else 2.
int32_t NamedActionCount(int16_t kind);
// The name of named action n (from 1) of the kind: weapons "Attack", "Miss", "Equip", "UnEquip", "Drop"; kinds
// 2 to 6 and 9 "Equip", "UnEquip", "Drop"; the others "Use", "Drop". "" outside the list.
const char* NamedActionName(int16_t kind, int32_t number);

class ItemRecord : public NamedRecord {
 public:
  ItemRecord();
  // Loaded whenever read: past the end of the data the fields read as 0 and empty texts.
  explicit ItemRecord(DataStream& stream);
  // A copy for an inventory: every field, the item actions copied deeply, the spell shared, the name taken
  // again from the source's file path; the attack picture is made again when first asked for.
  ItemRecord(const ItemRecord& other);
  ItemRecord& operator=(const ItemRecord&) = delete;
  ~ItemRecord() override;

  // Number (from 1) of the named action in this item's list, exactly compared; 0 when it has none of that name.
  int32_t FindActionIndex(const std::string& name) const;
  // The named action n (from 1), or null.
  ItemActionRecord* NamedAction(int32_t number) const;
  // True unless the named action exists and carries a condition that does not hold.
  bool ActionAllowed(const std::string& name) const;
  // Runs the named action: its event runs whatever its condition gives, and its sound plays only when the
  // condition held (always without one). Nothing for a name the item's kind does not have.
  void RunAction(const std::string& name) const;
  // Runs the named action's event and then plays its sound, without looking at the condition.
  void RunActionEvents(const std::string& name) const;
  // RunAction for the named action n (from 1); whether its condition held (false when there is no such action).
  bool RunActionByNumber(int32_t number) const;
  bool HasSpell() const { return spell != nullptr; }
  bool HasReplacement() const { return !replacementName.empty(); }
  // 1 (close combat) when firstProjectileValue is below 2, else attackKindValue.
  int16_t AttackKind() const;
  // The attack picture, made from its path on first use and kept; null for an item without one.
  PictureRef* GetPicture();
  // Replaces the kept attack picture (null drops it, so that the next use makes it again).
  void SetPicture(std::unique_ptr<PictureRef> picture);
  // Whether the character may use the item: always without a class, and for consumables and used-only items;
  // else by the class's item permissions, or when the class is one of the item's class names.
  bool CanBeUsedBy(const Character& character) const;

  std::string description;
  std::string secondText;
  std::unique_ptr<ItemActionRecord> generalAction;
  int16_t kind = 0;
  int16_t permissionIndex = 0;
  int16_t hands = 0;  // 2 for a two-handed item
  int16_t price = 0;
  int16_t firstProjectileValue = 0;  // the weapon's reach; below 2 a close-combat weapon
  RecordModifiers modifiers{};
  std::string replacementName;
  SpellRecord* spell = nullptr;  // not owned
  int16_t charges = 0;
  int16_t spellTrigger = 0;
  std::vector<std::unique_ptr<ItemActionRecord>> namedActions;
  std::vector<std::string> classNames;  // lower case
  int16_t attackKindValue = 0;
  int16_t secondProjectileValue = 0;
  std::string attackPicturePath;  // "" for an item without an attack picture
  int16_t damageKind = 0;
  bool flagExtra = false;
  std::string thirdText;
  std::array<bool, 3> flags{};
  std::string pictureName;
  int16_t lastValue = 0;
  // The sum of the first fourteen modifiers (not the four elemental protections): the item's worth when items
  // are chosen for a character.
  int32_t rank = 0;

 private:
  std::unique_ptr<PictureRef> attackPicture_;
};
