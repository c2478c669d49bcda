// ScriptAction: one step of a script event, and the table of the 37 action kinds that an action's name chooses
// by its prefix.
//
// Action record (big-endian): a short string label, a short string action name, then as many long strings
// (16-bit length) as the kind found from the name takes. The count is not stored: it comes from the table
// below. A name that no prefix begins (index 37) is followed by no parameters; such an action loads and does
// nothing when run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "game/rules/named_record.h"

class DataStream;

// The action kinds in the order they are tried: the first whose prefix begins the name wins, so "As" comes
// before "A" and "Play S", "Play " and "Player M" before "P".
constexpr int32_t kActionKindCount = 37;
// FindActionIndex's answer for a name that no prefix begins.
constexpr int32_t kUnknownActionIndex = kActionKindCount;

struct ActionKind {
  const char* prefix;      // the whole prefix, trailing blank included ("Play ")
  int32_t parameterCount;  // long strings that follow the name in the stream
};

// The kind at index 0 to 36.
const ActionKind& ActionKindAt(int32_t index);
// 0 to 36: the first kind whose prefix begins the name (exact characters); 37 when none does. A name shorter
// than a prefix does not match it.
int32_t FindActionIndex(const std::string& name);
// The parameter count of the kind at that index; 0 for the unknown index (and any other outside the table).
int32_t ActionParameterCount(int32_t index);

class ScriptAction : public NamedRecord {
 public:
  ScriptAction();
  // Reads an action record; named after the stream's file, and loaded (past the end of the data the fields read
  // as empty texts). "Conditionnal", as older scenarios spell it, is read as "Conditional".
  explicit ScriptAction(DataStream& stream);
  // Copies the label, the name, the parameters and the loaded flag; the name is taken again from the source's
  // file path.
  ScriptAction(const ScriptAction& other);
  ScriptAction& operator=(const ScriptAction& other);
  ~ScriptAction() override;

  // Parameter p<index>, or "" past the last one.
  const std::string& Param(int32_t index) const;

  std::string label;
  std::string actionName;
  std::vector<std::string> params;
};
