// The eighteen modifiers that an item adds to its bearer's values while it is equipped, and a spell's running
// effect while it lasts. Items and spells store them in this order (an item with one value of its own between
// special damage and natural protection).
#pragma once

#include <array>
#include <cstdint>

enum RecordModifier : int32_t {
  kModifierMinDamage,
  kModifierMaxDamage,
  kModifierSpecialDamage,
  kModifierNaturalProtection,
  kModifierMaxStamina,
  kModifierMaxMagic,
  kModifierStrength,
  kModifierDexterity,
  kModifierVitality,
  kModifierWisdom,
  kModifierKarma,
  kModifierLuck,
  kModifierSpeed,
  kModifierPerception,
  kModifierChemicalProtection,
  kModifierFireProtection,
  kModifierColdProtection,
  kModifierElectricalProtection,
  kModifierCount
};

using RecordModifiers = std::array<int16_t, kModifierCount>;
