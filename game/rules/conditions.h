// Condition sets: whether a scenario-written thing happens. A condition set is carried by an action: p0 holds one
// or more conditions separated by "****", p1 the combine mode (ParseInt: 0 all must hold, anything else one is
// enough). A condition is "subject,operator,value" (a third "," ends the value).
//
// Subjects: "Item" (the current character holds an item of the value's name: operators "possess" and "doesn't
// possess"); "Global Entry" (the text last typed into the text-input dialog); a global variable's name; else a
// built-in value (GetConditionVariable). Operators: "is equal to", "is different of", "is greater than", "is
// smaller than", "is greater or equal to", "is less or equal to". An operator not listed makes its condition false.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class ScriptAction;

// The truth of the condition set of the action. No conditions hold; every condition is evaluated, the first
// giving the result, the others and-ed (all-mode) or or-ed (any-mode) in.
bool EvaluateConditions(const ScriptAction& action);
// The built-in value a condition subject names: the game's states ("GameInProgress", "EncounterInProgress",
// "Game paused", "Game fullscreen", "Game loading", "Camera locked") as 0 or 1, and the current character's values
// (character_readers.h); 0 for any other name and, but for the game's states, without a current character.
int32_t GetConditionVariable(const std::string& name);
// Whether the scenario's item list holds an item of that name, compared without regard to case.
bool ItemRecordExists(const std::string& name);

// Byte-wise comparisons of texts (bytes unsigned; a text that begins the other comes first).
bool StringLess(std::string_view a, std::string_view b);
bool StringGreater(std::string_view a, std::string_view b);
bool StringLessOrEqual(std::string_view a, std::string_view b);
bool StringGreaterOrEqual(std::string_view a, std::string_view b);
