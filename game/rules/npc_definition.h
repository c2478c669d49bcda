// NpcDefinition: a record of "NPCs/", the template from which a map makes a non-player character.
//
// Stream (big-endian): short string sprite text; int16 maximum stamina, maximum magic; 2 x int16 not used;
// 7 x int16 minimum damage, maximum damage, damage kind, strength, dexterity, vitality, wisdom; 4 x int16
// morale, luck, speed, perception; int16 not used; 4 x int16 chemical, fire, cold, electrical protection;
// int16 natural protection; 5 x int16 notice range, action interval, level, experience, gold; int16 spell count
// n and n short string spell names (looked up at once); int16 start item count m and m short string item names;
// 6 x int16 behaviour kind, move interval, wander radius, movement mode, destination x, destination y; four
// event references (":::" and an inline body, any other text: no event).
//
// A definition has no karma (0). Its side is -1 (against the player) when its maximum stamina is above 0, else
// 0: a definition without stamina takes no part in fights.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "game/rules/named_record.h"
#include "game/rules/script_event.h"

class SpellRecord;

// The events of a definition: on contact, on arrival at its destination, when stepped on after it fell, and on
// its death.
constexpr int32_t kNpcEventCount = 4;

class NpcDefinition : public NamedRecord {
 public:
  NpcDefinition();
  // Loaded whenever read: past the end of the data the fields read as 0 and empty texts.
  explicit NpcDefinition(DataStream& stream);
  NpcDefinition(const NpcDefinition&) = delete;
  NpcDefinition& operator=(const NpcDefinition&) = delete;
  ~NpcDefinition() override;

  std::string spriteText;
  int16_t maxStamina = 0;
  int16_t maxMagic = 0;
  int16_t minDamage = 0;
  int16_t maxDamage = 0;
  int16_t damageKind = 0;  // of an attack without a weapon
  int16_t strength = 0;
  int16_t dexterity = 0;
  int16_t vitality = 0;
  int16_t wisdom = 0;
  int16_t karma = 0;
  int16_t morale = 0;
  int16_t luck = 0;
  int16_t speed = 0;
  int16_t perception = 0;
  int16_t chemicalProtection = 0;
  int16_t fireProtection = 0;
  int16_t coldProtection = 0;
  int16_t electricalProtection = 0;
  int16_t naturalProtection = 0;
  int16_t noticeRange = 0;
  int16_t actionInterval = 0;
  int16_t level = 0;
  int16_t experience = 0;
  int16_t gold = 0;
  std::vector<SpellRecord*> spells;  // not owned; null for a name the scenario has no spell of
  std::vector<std::string> startItemNames;
  int16_t behaviourKind = 0;
  int16_t moveInterval = 0;
  int16_t wanderRadius = 0;
  int16_t movementMode = 0;
  // The destination cell of movement mode 2, as stored: counted from 1, like every map cell in files.
  int16_t destinationX = 0;
  int16_t destinationY = 0;
  std::array<std::unique_ptr<ScriptEvent>, kNpcEventCount> events;
  int32_t side = 0;
};
