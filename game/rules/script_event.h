// Script events: named events that the game fires by name ("StartGame", menu items, key shortcuts) and that the
// scenario keeps in "Events/Defs/<name>.cet".
//
// The event engine comes with the game rules; until then an event that is found is loaded as an event without
// actions, so running it does nothing, and an event that cannot be found is no event at all. The running flag
// and the nesting are real: menu commands are dropped while an event runs.
#pragma once

#include <memory>
#include <string>

#include "game/rules/named_record.h"

class ScriptEvent : public NamedRecord {
 public:
  explicit ScriptEvent(DataStream& stream);
  ~ScriptEvent() override;
  void SetName(const std::string& path) override { NamedRecord::SetName(path); }
  // Runs the event's actions; the running flag is set meanwhile.
  void Run();
};

// A new event for the name, or null: for an empty name, an inline-event marker ":::", a missing file or a file
// that cannot be read.
std::unique_ptr<ScriptEvent> LoadEvent(const std::string& name);
// Loads the event, runs it and deletes it; nothing when it does not exist.
void CallEventName(const std::string& name);
// Runs a loaded event (nothing for null).
void RunEventRecord(ScriptEvent* event);
// Whether an event is running now (events nest).
bool IsScriptRunning();
