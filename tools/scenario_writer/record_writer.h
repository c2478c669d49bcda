// The scenario writer's records: event bodies and actions, item actions, spells, classes, races, skill tables,
// NPC definitions and items, exactly as the game reads them, from plain descriptions.
//
// Two counts are not stored in the files, and the writer takes them from the game's own tables: how many
// parameters an action takes (by the kind its name chooses) and how many named actions an item carries (by
// its kind). Parameters or named actions missing from a description are written empty, extra ones are dropped.
// Counts that the files do store come from the sizes of the lists.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "game/rules/record_modifiers.h"
#include "tools/scenario_writer/scenario_files.h"

namespace scenario_writer {

struct ActionSpec {
  std::string label;
  std::string name;
  std::vector<std::string> params;
};

struct EventSpec {
  std::vector<ActionSpec> mainActions;
  std::vector<ActionSpec> labelledActions;
  int16_t flag = 0;
};

// An event reference: ":::" and the body when there is one, else the name.
struct EventReferenceSpec {
  std::string name;
  std::optional<EventSpec> body;
};

struct ItemActionSpec {
  EventReferenceSpec event;
  std::string soundName;
  std::optional<ActionSpec> condition;
};

struct SpellSpec {
  std::string text;
  int16_t firstValue = 0, magicCost = 0, duration = 0, kindValue = 0, targetKind = 0, sixthValue = 0;
  int16_t damageMin = 0, damageMax = 0, damageKind = 0, effectKind = 0;
  std::string effectNumber;  // a decimal text
  int16_t extraA = 0, extraB = 0, rangeMin = 0, rangeMax = 0;
  RecordModifiers modifiers{};
  std::optional<ActionSpec> condition;
  std::vector<EventSpec> events;  // all are written; the game keeps the first four
  std::string pictureName;
  int16_t repeatAnimation = 0;
  int16_t showOnTarget = 0;
};

struct LevelEventSpec {
  int16_t level = 0;
  std::string eventName;
};

struct SkillTableSpec {
  std::array<uint32_t, 20> levelValues{};
  int32_t growthNumber = 0;
  std::vector<LevelEventSpec> levelEvents;
};

struct RaceSpec {
  std::string text;
  std::array<int16_t, 15> values{};
};

struct ClassSpec {
  std::string text;
  std::array<int16_t, 15> values{};
  std::array<int16_t, 8> itemPermissions{};
  std::vector<std::string> spellNames;
};

struct NpcSpec {
  std::string spriteText;
  int16_t maxStamina = 0, maxMagic = 0;
  std::array<int16_t, 2> unusedA{};
  int16_t minDamage = 0, maxDamage = 0, damageKind = 0, strength = 0, dexterity = 0, vitality = 0, wisdom = 0;
  int16_t morale = 0, luck = 0, speed = 0, perception = 0;
  int16_t unusedB = 0;
  int16_t chemicalProtection = 0, fireProtection = 0, coldProtection = 0, electricalProtection = 0;
  int16_t naturalProtection = 0;
  int16_t noticeRange = 0, actionInterval = 0, level = 0, experience = 0, gold = 0;
  std::vector<std::string> spellNames;
  std::vector<std::string> startItemNames;
  int16_t behaviourKind = 0, moveInterval = 0, wanderRadius = 0, movementMode = 0;
  int16_t destinationX = 0, destinationY = 0;  // a map cell, counted from 0
  std::array<EventReferenceSpec, 4> events;
};

struct ItemSpec {
  std::string description;
  std::string secondText;
  ItemActionSpec generalAction;
  int16_t kind = 0, permissionIndex = 0, hands = 0, price = 0;
  RecordModifiers modifiers{};
  int16_t firstProjectileValue = 0;
  std::string replacementName;
  std::string spellName;
  int16_t charges = 0;
  int16_t spellTrigger = 0;
  std::vector<ItemActionSpec> namedActions;
  std::vector<std::string> classNames;
  int16_t attackKindValue = 0;
  std::string secondProjectileText;  // a decimal text
  std::string attackPictureName;
  int16_t damageKind = 0;
  int16_t flagExtra = 0;
  std::string thirdText;
  std::array<uint8_t, 3> flags{};
  uint8_t pictureFlag = 1;
  std::string pictureName;
  uint8_t lastValue = 0;
};

// The parts that records embed.
void WriteAction(DataStream& stream, const ActionSpec& action);
void WriteEventBody(DataStream& stream, const EventSpec& event);
void WriteEventReference(DataStream& stream, const EventReferenceSpec& reference);
void WriteItemAction(DataStream& stream, const ItemActionSpec& action);

// Whole files ("Events/Defs/<name>.cet" holds an event body) and records on their own.
Bytes EncodeAction(const ActionSpec& action);
Bytes EncodeEvent(const EventSpec& event);
Bytes EncodeItemAction(const ItemActionSpec& action);
Bytes EncodeLevelEvent(const LevelEventSpec& levelEvent);
Bytes EncodeSpell(const SpellSpec& spell);
Bytes EncodeSkillTable(const SkillTableSpec& table);
Bytes EncodeRace(const RaceSpec& race);
Bytes EncodeClass(const ClassSpec& classSpec);
Bytes EncodeNpc(const NpcSpec& npc);
Bytes EncodeItem(const ItemSpec& item);

}  // namespace scenario_writer
