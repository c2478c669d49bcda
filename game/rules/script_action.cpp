// The action kinds and the action record.
#include "game/rules/script_action.h"

#include <array>
#include <string_view>

#include "game/shell/data/data_stream.h"

namespace {

constexpr std::array<ActionKind, kActionKindCount> kActionKinds = {{
    {"D", 10},        {"Co", 5},       {"Ca", 1},        {"End", 0},      {"Change G", 3}, {"Te", 3},
    {"As", 7},        {"A", 3},        {"I", 2},         {"Launch I", 10}, {"G", 2},       {"Play S", 2},
    {"Play ", 2},     {"Movie D", 8},  {"Mo", 3},        {"Ra", 3},       {"Eng", 1},      {"Me", 1},
    {"F", 2},         {"Map P", 2},    {"Player M", 1},  {"Player B", 1}, {"P", 1},        {"Ref", 0},
    {"C", 8},         {"Sa", 0},       {"R", 0},         {"W", 10},       {"Spell S", 10}, {"Sp", 2},
    {"St", 10},       {"N", 10},       {"M", 10},        {"S", 10},       {"U", 10},       {"T", 10},
    {"Launch U", 10},
}};

// The spelling that older scenarios wrote for the condition action.
constexpr const char* kMisspeltCondition = "Conditionnal";
constexpr const char* kConditionName = "Conditional";

const std::string& EmptyText() {
  static const std::string empty;
  return empty;
}

}  // namespace

const ActionKind& ActionKindAt(int32_t index) { return kActionKinds[static_cast<size_t>(index)]; }

int32_t FindActionIndex(const std::string& name) {
  for (int32_t index = 0; index < kActionKindCount; ++index) {
    std::string_view prefix = kActionKinds[static_cast<size_t>(index)].prefix;
    if (name.size() >= prefix.size() && name.compare(0, prefix.size(), prefix) == 0) return index;
  }
  return kUnknownActionIndex;
}

int32_t ActionParameterCount(int32_t index) {
  if (index < 0 || index >= kActionKindCount) return 0;
  return kActionKinds[static_cast<size_t>(index)].parameterCount;
}

ScriptAction::ScriptAction() = default;

ScriptAction::ScriptAction(DataStream& stream) : NamedRecord(stream) {
  stream.ReadPString(label);
  stream.ReadPString(actionName);
  if (actionName == kMisspeltCondition) actionName = kConditionName;
  int32_t index = FindActionIndex(actionName);
  int32_t count = ActionParameterCount(index);
  for (int32_t i = 0; i < count; ++i) {
    params.emplace_back();
    stream.ReadLongString(params.back());
  }
  // A name that no kind begins has no parameters and does nothing when run; it loads like any other.
  SetLoaded(true);
}

ScriptAction::ScriptAction(const ScriptAction& other)
    : NamedRecord(other), label(other.label), actionName(other.actionName), params(other.params) {
  SetLoaded(other.IsLoaded());
}

ScriptAction& ScriptAction::operator=(const ScriptAction& other) {
  if (this == &other) return *this;
  NamedRecord::SetName(other.GetFilePath());
  label = other.label;
  actionName = other.actionName;
  params = other.params;
  SetLoaded(other.IsLoaded());
  return *this;
}

ScriptAction::~ScriptAction() = default;

const std::string& ScriptAction::Param(int32_t index) const {
  if (index < 0 || static_cast<size_t>(index) >= params.size()) return EmptyText();
  return params[static_cast<size_t>(index)];
}
