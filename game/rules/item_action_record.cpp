// The item action record.
#include "game/rules/item_action_record.h"

#include "game/rules/record_reading.h"

ItemActionRecord::ItemActionRecord() = default;

ItemActionRecord::ItemActionRecord(DataStream& stream) : NamedRecord(stream) {
  std::string reference;
  stream.ReadPString(reference);
  stream.ReadPString(soundName);
  if (ReadRecordFlag(stream)) condition = std::make_unique<ScriptAction>(stream);
  if (reference == kInlineEventReference) event = std::make_unique<ScriptEvent>(stream);
  SetLoaded(true);
}

ItemActionRecord::ItemActionRecord(const ItemActionRecord& other) : NamedRecord(other), soundName(other.soundName) {
  if (other.condition != nullptr) condition = std::make_unique<ScriptAction>(*other.condition);
  if (other.event != nullptr) event = std::make_unique<ScriptEvent>(*other.event);
  SetLoaded(other.IsLoaded());
}

ItemActionRecord::~ItemActionRecord() = default;
