// Condition sets and the built-in condition values.
#include "game/rules/conditions.h"

#include "game/dialogs/dialog_services.h"
#include "game/rules/character.h"
#include "game/rules/character_readers.h"
#include "game/rules/game_state.h"
#include "game/rules/script_action.h"
#include "game/rules/text_variables.h"
#include "game/shell/data/string_utils.h"
#include "game/shell/main_window.h"
#include "game/shell/record_lists.h"
#include "game/world/pause_overlay.h"
#include "game/world/world_services.h"

namespace {

constexpr std::string_view kConditionSeparator = "****";

enum class Comparison { kEqual, kDifferent, kGreater, kSmaller, kGreaterOrEqual, kLessOrEqual, kNone };

Comparison ComparisonOf(std::string_view op) {
  if (op == "is equal to") return Comparison::kEqual;
  if (op == "is different of") return Comparison::kDifferent;
  if (op == "is greater than") return Comparison::kGreater;
  if (op == "is smaller than") return Comparison::kSmaller;
  if (op == "is greater or equal to") return Comparison::kGreaterOrEqual;
  if (op == "is less or equal to") return Comparison::kLessOrEqual;
  return Comparison::kNone;
}

bool CompareNumbers(Comparison comparison, int32_t a, int32_t b) {
  switch (comparison) {
    case Comparison::kEqual: return a == b;
    case Comparison::kDifferent: return a != b;
    case Comparison::kGreater: return a > b;
    case Comparison::kSmaller: return a < b;
    case Comparison::kGreaterOrEqual: return a >= b;
    case Comparison::kLessOrEqual: return a <= b;
    case Comparison::kNone: break;
  }
  return false;
}

bool CompareTexts(Comparison comparison, std::string_view a, std::string_view b) {
  switch (comparison) {
    case Comparison::kEqual: return a == b;
    case Comparison::kDifferent: return a != b;
    case Comparison::kGreater: return StringGreater(a, b);
    case Comparison::kSmaller: return StringLess(a, b);
    case Comparison::kGreaterOrEqual: return StringGreaterOrEqual(a, b);
    case Comparison::kLessOrEqual: return StringLessOrEqual(a, b);
    case Comparison::kNone: break;
  }
  return false;
}

std::string Lowered(std::string text) {
  ToLowerInPlace(text);
  return text;
}

// The text searched for is found only when it is neither empty nor longer than the text searched.
bool Contains(std::string_view text, std::string_view sought) {
  if (sought.empty() || sought.size() > text.size()) return false;
  return text.find(sought) != std::string_view::npos;
}

bool ItemCondition(std::string_view op, const std::string& value) {
  if (!ItemRecordExists(value)) return false;
  const Character* player = PeekCurrentCharacter();
  bool holds = player != nullptr && player->HasItemNamed(value);
  if (op == "possess") return holds;
  if (op == "doesn't possess") return !holds;
  return false;
}

bool EnteredTextCondition(std::string_view op, const std::string& value) {
  std::string entered = Lowered(GetEnteredText());
  std::string wanted = Lowered(value);
  if (op == "is equal to") return entered == wanted;
  if (op == "is different of") return entered != wanted;
  return Contains(wanted, entered);
}

bool GlobalCondition(const GlobalVariable& variable, std::string_view op, const std::string& value) {
  Comparison comparison = ComparisonOf(op);
  std::string expanded = ExpandTextVariables(value);
  if (IsIntegerText(expanded)) return CompareNumbers(comparison, ParseInt(variable.value), ParseInt(expanded));
  return CompareTexts(comparison, Lowered(variable.value), Lowered(expanded));
}

bool ConditionHolds(const std::string& condition) {
  std::string subject, op, value;
  GetField(subject, condition, ",", 1);
  GetField(op, condition, ",", 2);
  GetField(value, condition, ",", 3);  // a third "," ends the value
  if (subject == "Item") return ItemCondition(op, value);
  if (subject == "Global Entry") return EnteredTextCondition(op, value);
  if (const GlobalVariable* variable = FindGlobalEntry(subject)) return GlobalCondition(*variable, op, value);
  return CompareNumbers(ComparisonOf(op), GetConditionVariable(subject), ParseInt(ExpandTextVariables(value)));
}

}  // namespace

bool EvaluateConditions(const ScriptAction& action) {
  const std::string& conditions = action.Param(0);
  int32_t count = CountFields(conditions, kConditionSeparator);
  if (count == 0) return true;
  bool anyMode = ParseInt(action.Param(1)) != 0;
  bool result = false;
  std::string condition;
  for (int32_t i = 1; i <= count; ++i) {
    GetField(condition, conditions, kConditionSeparator, i);
    bool holds = ConditionHolds(condition);
    if (i == 1) result = holds;
    else if (anyMode) result = result || holds;
    else result = result && holds;
  }
  return result;
}

int32_t GetConditionVariable(const std::string& name) {
  if (name == "GameInProgress") return IsGameInProgress() ? 1 : 0;
  if (name == "EncounterInProgress") return IsEncounterInProgress() ? 1 : 0;
  if (name == "Game paused") return IsGamePaused() ? 1 : 0;
  if (name == "Game fullscreen") {
    const MainWindow* window = GetMainWindow();
    return window != nullptr && window->IsFullscreen() ? 1 : 0;
  }
  if (name == "Game loading") return ProgressDialog::GetCurrent() != nullptr ? 1 : 0;
  const Character* player = PeekCurrentCharacter();
  if (name == "Camera locked") {
    const TileMap* map = GetCurrentTileMap();
    return player != nullptr && map != nullptr && map->HasFocusOverride() ? 1 : 0;
  }
  if (player == nullptr) return 0;
  const CharacterReader* reader = FindConditionReader(name);
  return reader != nullptr ? reader->read(*player) : 0;
}

bool ItemRecordExists(const std::string& name) { return FindItemByName(name) != nullptr; }

bool StringLess(std::string_view a, std::string_view b) { return a.compare(b) < 0; }
bool StringGreater(std::string_view a, std::string_view b) { return a.compare(b) > 0; }
bool StringLessOrEqual(std::string_view a, std::string_view b) { return a.compare(b) <= 0; }
bool StringGreaterOrEqual(std::string_view a, std::string_view b) { return a.compare(b) >= 0; }
