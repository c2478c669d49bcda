// ItemActionRecord: a named hook of an item ("Attack", "Miss", "Equip", "UnEquip", "Drop", "Use", or the
// item's general action): the sound played when it runs and its condition holds, an optional condition action
// whose first two parameters are a condition set, and an optional inline event.
//
// Stream (big-endian): a short string event reference; a short string sound name; an int16 condition flag and,
// when it is not 0, an action record; then, only when the reference is exactly ":::", an event body. Any other
// reference is read and not kept: an item action has an inline event or none.
#pragma once

#include <memory>
#include <string>

#include "game/rules/named_record.h"
#include "game/rules/script_action.h"
#include "game/rules/script_event.h"

class ItemActionRecord : public NamedRecord {
 public:
  ItemActionRecord();
  // Loaded whenever read: past the end of the data the fields read as 0 and empty texts.
  explicit ItemActionRecord(DataStream& stream);
  // A deep copy: the condition and the event are copied too.
  ItemActionRecord(const ItemActionRecord& other);
  ItemActionRecord& operator=(const ItemActionRecord&) = delete;
  ~ItemActionRecord() override;

  std::string soundName;
  std::unique_ptr<ScriptAction> condition;
  std::unique_ptr<ScriptEvent> event;
};
