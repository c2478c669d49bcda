// Script events: the body reader, copies, event references and loading by name. Running them is the script
// engine's (script_engine.cpp).
#include "game/rules/script_event.h"

#include "game/rules/record_reading.h"
#include "game/shell/data/data_archive.h"
#include "game/shell/data/data_paths.h"

namespace {

// Reads up to count actions into list; false when one does not load (the stream is then unusable).
bool ReadActions(DataStream& stream, int32_t count, std::vector<ScriptAction>& list) {
  for (int32_t i = 0; i < count && stream.GetError() == 0; ++i) {
    list.emplace_back(stream);
    if (!list.back().IsLoaded()) return false;
  }
  return true;
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
  bool ok = ReadActions(stream, mainCount, mainActions) && ReadActions(stream, labelledCount, labelledActions);
  if (ok) flag = stream.ReadInt16();
  SetLoaded(ok && stream.GetError() == 0);
}

std::unique_ptr<ScriptEvent> ReadInlineEventReference(DataStream& stream, bool& ok) {
  std::string reference;
  stream.ReadPString(reference);
  if (reference != kInlineEventReference) return nullptr;
  auto event = std::make_unique<ScriptEvent>(stream);
  if (event->IsLoaded()) return event;
  ok = false;
  return nullptr;
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
  if (!event->IsLoaded()) return nullptr;
  return event;
}
