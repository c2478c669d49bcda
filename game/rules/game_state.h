// The small global state of a game: whether a game or an encounter is in progress, the scenario's global
// variables (names from the "Config" file, text values kept in saved games) and the text last typed into the
// text-input dialog. The fixed table of numbers is random_table.h.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class DataStream;

struct GlobalVariable {
  std::string name;
  std::string value;
};

void SetGameInProgress(uint8_t inProgress);
bool IsGameInProgress();
void SetEncounterInProgress(uint8_t inProgress);
bool IsEncounterInProgress();

// Names compare exactly and case-sensitively.
bool GlobalEntryExists(const std::string& name);
GlobalVariable* FindGlobalEntry(const std::string& name);
GlobalVariable* GetGlobalEntryName(int32_t index);  // null outside 0 to count - 1
int32_t GetGlobalVariableCount();

const std::string& GetEnteredText();
void SetEnteredText(const std::string& text);

// Frees every variable and empties the entered text.
void ClearGlobalEntries();
// Config block: an int16 count, then that many names (short strings, shifted up on reading); appended as
// variables with empty values. A negative count reads nothing; names past the end of the data are empty.
void ReadGlobalEntryNames(DataStream& stream);
// Clears the variables, reads the names anew and clears the game and encounter flags.
void ReloadGlobalEntryNames(DataStream& stream);
// Empties the entered text and every variable's value (a new game).
void ResetGlobalEntryValues();
// Saved-game block: an int16 count, then name and value of each variable.
void WriteGlobalEntries(DataStream& stream);
// Reads that block; a pair whose name the scenario has overwrites it, any other is dropped.
void ReadGlobalEntryValues(DataStream& stream);
