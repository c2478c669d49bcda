// The script engine: the running state, the event runner, the dispatcher, jumps and the event-position stack.
#include "game/rules/script_engine.h"

#include <deque>
#include <utility>
#include <vector>

#include "game/graphics/picture_cache.h"
#include "game/rules/action_handlers.h"
#include "game/rules/character.h"
#include "game/rules/character_readers.h"
#include "game/rules/game_state.h"
#include "game/shell/main_loop.h"
#include "game/world/scene_view.h"

namespace {

struct EngineState {
  bool scriptRunning = false;
  CurrentEventValues current;
  bool endRequested = false;
  bool leaveRequested = false;
  bool abandoned = false;
  int32_t nesting = 0;  // runs and jumps in progress
  std::string messageChoiceText;
  std::vector<std::pair<int32_t, int32_t>> positions;
  int32_t holds = 0;
  std::deque<void (*)()> deferred;  // work waiting for the events and holds to end
  int32_t deferredRuns = 0;          // deferred work running now
};

EngineState& State() {
  // Never destroyed: a shut-down signal may end the process while an event runs.
  static EngineState* state = new EngineState;
  return *state;
}

// Takes one more level of nesting; when the limit is reached the chain of events is abandoned instead.
bool EnterNesting() {
  EngineState& s = State();
  if (s.nesting >= kMaxScriptNesting) {
    s.abandoned = true;
    return false;
  }
  ++s.nesting;
  return true;
}

void LeaveNesting() { --State().nesting; }

bool PlayerExhausted() {
  const Character* player = PeekCurrentCharacter();
  return player != nullptr && ReadStamina(*player) <= 0 && IsGameInProgress();
}

// Runs the deferred work once nothing holds it back; work that runs events (or queues more) is served in turn.
void RunDeferredWork() {
  EngineState& s = State();
  while (!s.scriptRunning && s.holds == 0 && !s.deferred.empty()) {
    void (*work)() = s.deferred.front();
    s.deferred.pop_front();
    ++s.deferredRuns;
    work();
    --s.deferredRuns;
  }
}

}  // namespace

CurrentEventValues GetCurrentEventValues() { return State().current; }
void SetCurrentEventValues(const CurrentEventValues& values) { State().current = values; }
ScriptEvent* CurrentEvent() { return State().current.event; }
bool IsScriptRunning() { return State().scriptRunning || State().deferredRuns > 0; }

void ScriptEvent::Run() {
  EngineState& s = State();
  const bool outermost = !s.scriptRunning;
  // Every run starts with both requests cleared: a request to leave stops the events that were running when it
  // came, and an event run after it (by the same action, say) runs whole and takes the request away.
  s.endRequested = false;
  s.leaveRequested = false;
  if (outermost) s.abandoned = false;
  if (!EnterNesting()) return;
  s.scriptRunning = true;
  if (SceneView* view = GetSceneView()) view->RaiseUpdateHold();
  PictureCache::PushPool();
  if (PicturePool* pool = GetGamePool()) PictureCache::SelectPool(pool);
  const CurrentEventValues saved = s.current;
  s.current = {this, labelledActions.data(), LabelledCount()};

  for (size_t i = 0; i < mainActions.size(); ++i) {
    ExecuteAction(mainActions[i]);
    if (s.endRequested || s.leaveRequested || s.abandoned || PlayerExhausted()) break;
  }

  s.current = saved;
  PictureCache::PopPool();
  if (SceneView* view = GetSceneView()) view->LowerUpdateHold();
  LeaveNesting();
  if (outermost) {
    s.scriptRunning = false;
    s.abandoned = false;
  }
  s.endRequested = false;
  if (outermost) RunDeferredWork();
}

void CallEventName(const std::string& name) {
  std::unique_ptr<ScriptEvent> event = LoadEvent(name);
  if (event != nullptr) event->Run();
}

void RunEventRecord(const ScriptEvent* event) {
  if (event == nullptr) return;
  ScriptEvent copy(*event);
  copy.Run();
}

void ExecuteAction(const ScriptAction& action) {
  if (ActionHandler handler = ActionHandlerAt(FindActionIndex(action.actionName))) handler(action);
}

const ScriptAction* FindActionByLabel(const ScriptAction* actions, int32_t count, const std::string& label) {
  for (int32_t i = 0; actions != nullptr && i < count; ++i) {
    if (actions[i].label == label) return &actions[i];
  }
  return nullptr;
}

void JumpToLabel(const std::string& label) {
  EngineState& s = State();
  if (label.empty() || s.abandoned) return;
  const ScriptAction* target = FindActionByLabel(s.current.labelledActions, s.current.labelledCount, label);
  if (target == nullptr || !EnterNesting()) return;
  ExecuteAction(*target);
  LeaveNesting();
}

void RunWhenEventsEnd(void (*work)()) {
  State().deferred.push_back(work);
  RunDeferredWork();
}

EventQueueHold::EventQueueHold() { ++State().holds; }

EventQueueHold::~EventQueueHold() {
  --State().holds;
  RunDeferredWork();
}

void RequestEndEvent() { State().endRequested = true; }
void ClearEndEventRequest() { State().endRequested = false; }
bool EndEventRequested() { return State().endRequested; }
void RequestLeaveLocation() { State().leaveRequested = true; }
bool LeaveLocationRequested() { return State().leaveRequested; }
bool EventChainAbandoned() { return State().abandoned; }

const std::string& GetMessageChoiceText() { return State().messageChoiceText; }
void SetMessageChoiceText(const std::string& text) { State().messageChoiceText = text; }

void PushEventPosition(int32_t x, int32_t y) {
  State().positions.emplace_back(static_cast<int32_t>(static_cast<int64_t>(x) + 1),
                                 static_cast<int32_t>(static_cast<int64_t>(y) + 1));
}

void PopEventPosition() {
  auto& positions = State().positions;
  if (!positions.empty()) positions.pop_back();
}

void CurrentEventPosition(int32_t* x, int32_t* y) {
  const auto& positions = State().positions;
  if (!positions.empty()) {
    *x = positions.back().first;
    *y = positions.back().second;
    return;
  }
  // With nothing pushed, the character's cell as it stands, not counted from 1 as pushed entries are: scripts
  // rely on the difference (a cell one up and to the left of the character). The cell is not left on the stack:
  // an entry left there would outlive the event and stand for every later event with nothing pushed, wherever the
  // character had gone since.
  *x = *y = 0;
  if (const Character* player = PeekCurrentCharacter()) player->GetPosition(x, y);
}

int32_t EventPositionCount() { return static_cast<int32_t>(State().positions.size()); }
