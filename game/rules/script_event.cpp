// Script events: the body reader, copies, event references and loading by name. Running them is the script
// engine's (script_engine.cpp).
#include "game/rules/script_event.h"

#include "game/rules/record_reading.h"
#include "game/shell/data/data_archive.h"
#include "game/shell/data/data_paths.h"

namespace {

// Reads count actions into list. Past the end of the data they read as actions without a name, which do nothing.
void ReadActions(DataStream& stream, int32_t count, std::vector<ScriptAction>& list) {
  for (int32_t i = 0; i < count; ++i) list.emplace_back(stream);
}

}  // namespace

ScriptEvent::ScriptEvent() = default;

ScriptEvent::ScriptEvent(DataStream& stream) : NamedRecord(stream) { Read(stream); }

ScriptEvent::ScriptEvent(const ScriptEvent& other)
    : NamedRecord(other), mainActions(other.mainActions), labelledActions(other.labelledActions), flag(other.flag) {
  SetLoaded(other.IsLoaded());
}

ScriptEvent::~ScriptEvent() = default;

void ScriptEvent::Read(DataStream& stream) {
  mainActions.clear();
  labelledActions.clear();
  flag = 0;
  int32_t mainCount = ReadRecordCount(stream);
  int32_t labelledCount = ReadRecordCount(stream);
  ReadActions(stream, mainCount, mainActions);
  ReadActions(stream, labelledCount, labelledActions);
  flag = stream.ReadInt16();
  SetLoaded(true);
}

std::unique_ptr<ScriptEvent> ReadInlineEventReference(DataStream& stream) {
  std::string reference;
  stream.ReadPString(reference);
  if (reference != kInlineEventReference) return nullptr;
  return std::make_unique<ScriptEvent>(stream);
}

std::unique_ptr<ScriptEvent> LoadEvent(const std::string& name) {
  if (name.empty() || name == kInlineEventReference) return nullptr;
  std::string path;
  EventDefinitionPath(path, name);
  DataStream* stream = OpenDataFile(path);
  if (stream == nullptr) return nullptr;
  auto event = std::make_unique<ScriptEvent>();
  event->Read(*stream);
  CloseDataFile(stream);
  return event;
}
