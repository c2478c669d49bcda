// How the script engine reads a character: one table of readers, each found by the name a condition gives its
// subject ("Max Stamina Points") or by the keyword of a text variable ("MaxStaminaPoints"). Conditions, text
// variables and the event runner read the character only through these readers, so that the character's fields
// are named in this one place.
//
// The values are those of the character's own rules: the points and the current (computed) values, except the
// natural protection, which scripts read as its base value. Sixteen-bit values are widened with their sign.
#pragma once

#include <cstdint>
#include <string_view>

class Character;

struct CharacterReader {
  const char* conditionName;  // the subject a condition names it by; null when conditions do not read it
  const char* textName;       // the keyword of the text variable; null when text variables do not read it
  int32_t (*read)(const Character& character);
};

// The reader of that condition subject, or of that text keyword (exact names); null when there is none.
const CharacterReader* FindConditionReader(std::string_view name);
const CharacterReader* FindTextReader(std::string_view keyword);

// The character's stamina points, as the event runner reads them to stop events once the player has none.
int32_t ReadStamina(const Character& character);
