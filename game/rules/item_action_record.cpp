// The item action record.
#include "game/rules/item_action_record.h"

#include "game/rules/record_reading.h"

ItemActionRecord::ItemActionRecord() = default;

ItemActionRecord::ItemActionRecord(DataStream& stream) : NamedRecord(stream) {
  std::string reference;
  stream.ReadPString(reference);
  stream.ReadPString(soundName);
  bool ok = true;
  if (ReadRecordFlag(stream) && stream.GetError() == 0) {
    condition = std::make_unique<ScriptAction>(stream);
    ok = condition->IsLoaded();
  }
  if (ok && reference == kInlineEventReference) {
    event = std::make_unique<ScriptEvent>(stream);
    ok = event->IsLoaded();
  }
  SetLoaded(ok && stream.GetError() == 0);
}

ItemActionRecord::ItemActionRecord(const ItemActionRecord& other) : NamedRecord(other), soundName(other.soundName) {
  if (other.condition != nullptr) condition = std::make_unique<ScriptAction>(*other.condition);
  if (other.event != nullptr) event = std::make_unique<ScriptEvent>(*other.event);
  SetLoaded(other.IsLoaded());
}

ItemActionRecord::~ItemActionRecord() = default;
