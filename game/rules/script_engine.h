// The script engine: running events. An event runs its main actions in order, each dispatched by the kind its
// name chooses (script_action.h) to that kind's handler (action_handlers.h); a labelled action runs only when an
// action jumps to its label, alone, and the main list then goes on after the jumping action.
//
// Events nest: an action may call another event, open a modal dialog whose choice runs a labelled action, or
// enter a location whose own events run, all inside the caller's action. Each run keeps the running event and
// its labelled list for its jumps, and gives the caller's back when it ends. While any event runs the running
// flag is set (the menus ignore their commands), the game view holds its presentation (its update hold is raised
// once per running event) and the locations' picture pool is current.
//
// Running events stop after their current action when:
// - the end is requested ("End", and the engine commands that save or open a game): only the event that runs it
//   stops, since every run clears the request when it ends;
// - leaving the location is requested (a location entered by "Te"): that event and every event that called it
//   stop; the request outlasts the run, and the next run to begin clears it (even one run inside those events);
// - runs and jumps would nest deeper than kMaxScriptNesting: the whole chain of events is abandoned;
// - a game is in progress and the current character has no stamina left.
//
// The event-position stack holds, for the event now running, the map cell (counted from 1) of what caused it: a
// spell's caster or target, a touched object, a character. Callers bracket such runs with Push and Pop.
#pragma once

#include <cstdint>
#include <string>

#include "game/rules/script_action.h"
#include "game/rules/script_event.h"

// Runs of events and jumps to labelled actions, counted together, nest at most this deep.
constexpr int32_t kMaxScriptNesting = 64;

// The running event and the labelled list its jumps look in (null and 0 outside any event).
struct CurrentEventValues {
  ScriptEvent* event = nullptr;
  const ScriptAction* labelledActions = nullptr;
  int32_t labelledCount = 0;
};
CurrentEventValues GetCurrentEventValues();
void SetCurrentEventValues(const CurrentEventValues& values);
ScriptEvent* CurrentEvent();

// Dispatches an action to its kind's handler; an action without a kind, or of a kind that does nothing, does
// nothing.
void ExecuteAction(const ScriptAction& action);
// The first action of the array whose label equals the text exactly, or null.
const ScriptAction* FindActionByLabel(const ScriptAction* actions, int32_t count, const std::string& label);
// A jump: runs the running event's labelled action of that label; nothing for an empty label or one no labelled
// action has.
void JumpToLabel(const std::string& label);

void RequestEndEvent();
void ClearEndEventRequest();
bool EndEventRequested();
void RequestLeaveLocation();
bool LeaveLocationRequested();
// Whether the nesting limit abandoned the chain of events now running (cleared when the outermost run begins).
bool EventChainAbandoned();

// The label of the choice the player took in the last event message.
const std::string& GetMessageChoiceText();
void SetMessageChoiceText(const std::string& text);

// Work that must not run under an event or a character operation that may still use what it frees (the deletion
// of a character that stopped being current, the end of a game whose player fell while the map moved it).
// RunWhenEventsEnd runs the work at once when no event runs and no hold is taken, else queues it: it runs, in
// order, once the outermost event has returned and the last hold is released.
void RunWhenEventsEnd(void (*work)());
// Taken by the character's operations that run events, for as long as they work on the character.
class EventQueueHold {
 public:
  EventQueueHold();
  ~EventQueueHold();
  EventQueueHold(const EventQueueHold&) = delete;
  EventQueueHold& operator=(const EventQueueHold&) = delete;
};

// Pushes the map cell (x, y), counted from 0, as (x + 1, y + 1).
void PushEventPosition(int32_t x, int32_t y);
// Removes the top entry; nothing on an empty stack.
void PopEventPosition();
// The top entry; on an empty stack the current character's cell unchanged (not counted from 1, and not pushed),
// or (0, 0) with no current character.
void CurrentEventPosition(int32_t* x, int32_t* y);
int32_t EventPositionCount();
