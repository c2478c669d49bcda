// NPC definitions.
#include "game/rules/npc_definition.h"

#include <initializer_list>

#include "game/rules/record_reading.h"
#include "game/shell/record_lists.h"

namespace {

void ReadValues(DataStream& stream, std::initializer_list<int16_t*> values) {
  for (int16_t* value : values) *value = stream.ReadInt16();
}

}  // namespace

NpcDefinition::NpcDefinition() = default;

NpcDefinition::NpcDefinition(DataStream& stream) : NamedRecord(stream) {
  int16_t unused = 0;
  stream.ReadPString(spriteText);
  ReadValues(stream, {&maxStamina, &maxMagic, &unused, &unused});
  ReadValues(stream, {&minDamage, &maxDamage, &damageKind, &strength, &dexterity, &vitality, &wisdom});
  ReadValues(stream, {&morale, &luck, &speed, &perception, &unused});
  ReadValues(stream, {&chemicalProtection, &fireProtection, &coldProtection, &electricalProtection});
  ReadValues(stream, {&naturalProtection, &noticeRange, &actionInterval, &level, &experience, &gold});
  int32_t spellCount = ReadRecordCount(stream);
  for (int32_t i = 0; i < spellCount; ++i) {
    std::string name;
    stream.ReadPString(name);
    spells.push_back(FindSpellByName(name));
  }
  int32_t itemCount = ReadRecordCount(stream);
  for (int32_t i = 0; i < itemCount; ++i) {
    startItemNames.emplace_back();
    stream.ReadPString(startItemNames.back());
  }
  ReadValues(stream, {&behaviourKind, &moveInterval, &wanderRadius, &movementMode, &destinationX, &destinationY});
  for (auto& event : events) event = ReadInlineEventReference(stream);
  side = maxStamina > 0 ? -1 : 0;
  SetLoaded(true);
}

NpcDefinition::~NpcDefinition() = default;
