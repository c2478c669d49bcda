// Script events: named lists of actions that the game fires by name ("StartGame", menu items, key shortcuts),
// kept one per file in "Events/Defs/<name>.cet" or written inline inside other records.
//
// Event body (big-endian; the whole of a ".cet" file, and what follows an inline event reference):
//   int16 main action count, int16 labelled action count (0 or less: none),
//   the main actions, the labelled actions (action records, script_action.h), int16 flag.
// An event reference, wherever a record names an event, is a short string: an event name, or exactly ":::"
// when the body follows at once in the same stream.
//
// Short data does not fail: past the end of the data a body reads zero counts, actions without a name and a zero
// flag, and is loaded with them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "game/rules/named_record.h"
#include "game/rules/script_action.h"

// The event reference that announces an inline body.
constexpr const char* kInlineEventReference = ":::";

class ScriptEvent : public NamedRecord {
 public:
  // An event without actions (not loaded).
  ScriptEvent();
  // Reads a body; named after the stream's file.
  explicit ScriptEvent(DataStream& stream);
  // Copies every action, the flag and the loaded flag; the name is taken again from the source's file path.
  ScriptEvent(const ScriptEvent& other);
  ScriptEvent& operator=(const ScriptEvent&) = delete;
  ~ScriptEvent() override;
  void SetName(const std::string& path) override { NamedRecord::SetName(path); }

  // Reads a body into this event, replacing its actions, and sets the loaded flag.
  void Read(DataStream& stream);
  bool HasFlag() const { return flag != 0; }
  int32_t MainCount() const { return static_cast<int32_t>(mainActions.size()); }
  int32_t LabelledCount() const { return static_cast<int32_t>(labelledActions.size()); }
  // Runs the main actions in order (the script engine, script_engine.h).
  void Run();

  std::vector<ScriptAction> mainActions;
  std::vector<ScriptAction> labelledActions;
  int16_t flag = 0;
};

// Reads an event reference. ":::" is followed by a body, which is given back; any other text names no event here
// and gives null.
std::unique_ptr<ScriptEvent> ReadInlineEventReference(DataStream& stream);

// A new event read from "Events/Defs/<name>.cet", with no record name; null for an empty name, for ":::" and for
// a file that cannot be opened.
std::unique_ptr<ScriptEvent> LoadEvent(const std::string& name);
// Loads the event, runs it and deletes it; nothing when it does not exist (script_engine.cpp).
void CallEventName(const std::string& name);
// Runs a copy of an event that a record holds, so that the record itself is never changed by its run; nothing
// for null (script_engine.cpp).
void RunEventRecord(const ScriptEvent* event);
// Whether an event is running now (events nest), or the work left for the moment the events end (RunWhenEventsEnd:
// the end of a game whose player fell on the map), which stands for the event that would have run it: the menus
// drop their commands meanwhile, so that game's dialogs cannot start a second new game (script_engine.cpp).
bool IsScriptRunning();
