// Text variables: any scenario text may carry "&&" followed by a keyword or by a global variable's name; each is
// replaced by its current value when the text is shown or used (messages, action parameters, condition values,
// sprite commands, dialog texts).
//
// Keywords, tried in this order (the first that begins the text after "&&" wins, compared case-sensitively):
// Name, Job, Race, Gold, Level, Experience, NextLevelNeeded, StaminaPoints, MaxStaminaPoints, MagicPoints,
// MaxMagicPoints, MinDamage, MaxDamage, SpecialDamage, Strength, Dexterity, Vitality, Wisdom, Karma, Luck, Speed,
// Perception, Armor, NaturalPro, FirePro, ColdPro, ChemicalPro, ElectricalPro, GlobalEntry, PlayerX, PlayerY,
// ActualX, ActualY, LocationName, LocationType, CounterNPCs, CounterPassiveNPCs, CounterAggressiveNPCs,
// CounterHostileNPCs, CameraX, CameraY, MusicVolume, MusicName. A reference to a global variable is "&&" and the
// variable's whole name, which begins with "gb_": of the names that begin the text after "&&", the longest wins.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The text with every variable replaced by its value. "&&" that names nothing stays as written, with what
// follows it; a value put in is not scanned again.
std::string ExpandTextVariables(std::string_view text);
// The value of a keyword as text: a global variable of exactly that name; the character's name, class and race;
// the typed text and the location's name (lower-cased); the music's name; otherwise the number
// (GetTextVariableNumber) in decimal, "-" before a negative one, and an EMPTY text for 0.
std::string GetTextVariable(const std::string& keyword);
// The value of a number keyword: with a current character, its values (character_readers.h), the event position
// plus one ("ActualX", "ActualY"), the current tile map's counters and focus cell; when that gives 0 (also without a
// character) "LocationType" gives the current location's kind and "MusicVolume" the music volume. 0 otherwise.
int32_t GetTextVariableNumber(const std::string& keyword);
