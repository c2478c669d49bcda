// Script events: loading by name, running with the nesting count.
#include "game/rules/script_event.h"

#include "game/shell/data/data_archive.h"
#include "game/shell/data/data_paths.h"

namespace {

int& RunningDepth() {
  static int depth = 0;
  return depth;
}

}  // namespace

ScriptEvent::ScriptEvent(DataStream& stream) : NamedRecord(stream) { SetLoaded(stream.GetError() == 0); }

ScriptEvent::~ScriptEvent() = default;

void ScriptEvent::Run() {
  ++RunningDepth();
  --RunningDepth();
}

std::unique_ptr<ScriptEvent> LoadEvent(const std::string& name) {
  if (name.empty() || name.find(":::") != std::string::npos) return nullptr;
  std::string path;
  EventDefinitionPath(path, name);
  DataStream* stream = OpenDataFile(path);
  if (stream == nullptr) return nullptr;
  auto event = std::make_unique<ScriptEvent>(*stream);
  CloseDataFile(stream);
  if (!event->IsLoaded()) return nullptr;
  return event;
}

void CallEventName(const std::string& name) {
  std::unique_ptr<ScriptEvent> event = LoadEvent(name);
  RunEventRecord(event.get());
}

void RunEventRecord(ScriptEvent* event) {
  if (event != nullptr) event->Run();
}

bool IsScriptRunning() { return RunningDepth() > 0; }
