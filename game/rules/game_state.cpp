// The game-state flags and the global variables.
#include "game/rules/game_state.h"

#include "game/shell/data/data_stream.h"

namespace {

struct GameStateFlags {
  uint8_t gameInProgress = 0;
  uint8_t encounterInProgress = 0;
  std::vector<std::unique_ptr<GlobalVariable>> variables;
  std::string enteredText;
};

GameStateFlags& Flags() {
  static GameStateFlags flags;
  return flags;
}

}  // namespace

void SetGameInProgress(uint8_t inProgress) { Flags().gameInProgress = inProgress; }
bool IsGameInProgress() { return Flags().gameInProgress != 0; }
void SetEncounterInProgress(uint8_t inProgress) { Flags().encounterInProgress = inProgress; }
bool IsEncounterInProgress() { return Flags().encounterInProgress != 0; }

bool GlobalEntryExists(const std::string& name) { return FindGlobalEntry(name) != nullptr; }

GlobalVariable* FindGlobalEntry(const std::string& name) {
  for (auto& variable : Flags().variables) {
    if (variable->name == name) return variable.get();
  }
  return nullptr;
}

GlobalVariable* GetGlobalEntryName(int32_t index) {
  auto& variables = Flags().variables;
  if (index < 0 || static_cast<size_t>(index) >= variables.size()) return nullptr;
  return variables[index].get();
}

int32_t GetGlobalVariableCount() { return static_cast<int32_t>(Flags().variables.size()); }

const std::string& GetEnteredText() { return Flags().enteredText; }
void SetEnteredText(const std::string& text) { Flags().enteredText = text; }

void ClearGlobalEntries() {
  Flags().variables.clear();
  Flags().enteredText.clear();
}

void ReadGlobalEntryNames(DataStream& stream) {
  int16_t count = stream.ReadInt16();
  for (int16_t i = 0; i < count; ++i) {
    auto variable = std::make_unique<GlobalVariable>();
    stream.ReadPStringScrambled(variable->name, true);
    Flags().variables.push_back(std::move(variable));
  }
}

void ReloadGlobalEntryNames(DataStream& stream) {
  ClearGlobalEntries();
  ReadGlobalEntryNames(stream);
  Flags().gameInProgress = 0;
  Flags().encounterInProgress = 0;
}

void ResetGlobalEntryValues() {
  Flags().enteredText.clear();
  for (auto& variable : Flags().variables) variable->value.clear();
}

void WriteGlobalEntries(DataStream& stream) {
  stream.WriteInt16(static_cast<int16_t>(Flags().variables.size()));
  for (auto& variable : Flags().variables) {
    stream.WritePString(variable->name, true);
    stream.WritePString(variable->value, true);
  }
}

void ReadGlobalEntryValues(DataStream& stream) {
  int16_t count = stream.ReadInt16();
  for (int16_t i = 0; i < count; ++i) {
    std::string name, value;
    stream.ReadPStringScrambled(name, false);
    stream.ReadPStringScrambled(value, false);
    if (GlobalVariable* variable = FindGlobalEntry(name)) {
      variable->name = name;
      variable->value = value;
    }
  }
}
