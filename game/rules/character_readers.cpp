// The character readers.
#include "game/rules/character_readers.h"

#include <cmath>
#include <limits>

#include "game/rules/character.h"

namespace {

// The experience the next level needs, taken toward zero to a whole number and kept within 32 bits (held at the
// 32-bit limit): taken as a 16-bit number, a need above 32767 would read as a negative or a smaller one.
int32_t NextLevel(const Character& character) {
  double needed = std::trunc(character.NextLevelNeeded());
  if (!(needed < static_cast<double>(std::numeric_limits<int32_t>::max()))) return std::numeric_limits<int32_t>::max();
  if (needed < 0.0) return 0;
  return static_cast<int32_t>(needed);
}

template <CharacterValue value>
int32_t CurrentValue(const Character& character) {
  return character.current[value];
}

constexpr CharacterReader kReaders[] = {
    {"Gold", "Gold", [](const Character& c) -> int32_t { return c.gold; }},
    {"Level", "Level", [](const Character& c) -> int32_t { return c.level; }},
    {"Experience", "Experience", [](const Character& c) -> int32_t { return c.experience; }},
    {"Next Level Needed", "NextLevelNeeded", NextLevel},
    {"Stamina Points", "StaminaPoints", [](const Character& c) -> int32_t { return c.stamina; }},
    {"Max Stamina Points", "MaxStaminaPoints", CurrentValue<kValueMaxStamina>},
    {"Magic Points", "MagicPoints", [](const Character& c) -> int32_t { return c.magic; }},
    {"Max Magic Points", "MaxMagicPoints", CurrentValue<kValueMaxMagic>},
    {"Min Damage", "MinDamage", CurrentValue<kValueMinDamage>},
    {"Max Damage", "MaxDamage", CurrentValue<kValueMaxDamage>},
    {"Perception", "Perception", CurrentValue<kValuePerception>},
    {"Special Damage", "SpecialDamage", CurrentValue<kValueSpecialDamage>},
    {"Strength", "Strength", CurrentValue<kValueStrength>},
    {"Dexterity", "Dexterity", CurrentValue<kValueDexterity>},
    {"Vitality", "Vitality", CurrentValue<kValueVitality>},
    {"Wisdom", "Wisdom", CurrentValue<kValueWisdom>},
    {"Karma", "Karma", CurrentValue<kValueKarma>},
    {"Luck", "Luck", CurrentValue<kValueLuck>},
    {"Speed", "Speed", CurrentValue<kValueSpeed>},
    {"NaturalPro", "NaturalPro", [](const Character& c) -> int32_t { return c.base.naturalProtection; }},
    {"Fire Pro", "FirePro", CurrentValue<kValueFireProtection>},
    {"Cold Pro", "ColdPro", CurrentValue<kValueColdProtection>},
    {"Chemical Pro", "ChemicalPro", CurrentValue<kValueChemicalProtection>},
    {"Electrical Pro", "ElectricalPro", CurrentValue<kValueElectricalProtection>},
    {nullptr, "PlayerX", [](const Character& c) -> int32_t { return c.x; }},
    {nullptr, "PlayerY", [](const Character& c) -> int32_t { return c.y; }},
};

template <typename NameOf>
const CharacterReader* Find(std::string_view name, NameOf nameOf) {
  for (const CharacterReader& reader : kReaders) {
    const char* own = nameOf(reader);
    if (own != nullptr && name == own) return &reader;
  }
  return nullptr;
}

}  // namespace

const CharacterReader* FindConditionReader(std::string_view name) {
  return Find(name, [](const CharacterReader& reader) { return reader.conditionName; });
}

const CharacterReader* FindTextReader(std::string_view keyword) {
  return Find(keyword, [](const CharacterReader& reader) { return reader.textName; });
}

int32_t ReadStamina(const Character& character) {
  static const CharacterReader* const stamina = FindConditionReader("Stamina Points");
  return stamina->read(character);
}
