// The console-control hook and the console title.
//
// SIGINT, SIGHUP and SIGTERM become the control events CTRL_C_EVENT, CTRL_CLOSE_EVENT and CTRL_SHUTDOWN_EVENT.
// The signal handler only records the signal and posts a semaphore (both safe inside a signal handler). The
// registered handlers then run, last added first, outside any signal context and always on the thread that pumps
// messages, at its next look at the queue: a handler that calls exit() there ends the program between two
// messages, where the exit list and the static destructors cannot race game code still running. A watching
// thread wakes the message thread for it and keeps the time: when the event has not been taken within a few tens
// of milliseconds (the message thread is busy, blocked in a message box, or no longer pumps at all) the process
// ends at once by the signal's own default action, without running the exit list or any destructor on another
// thread's back. Nothing is lost that way: files are replaced whole, never rewritten in place. So the process is
// gone within about 100 ms of the signal whatever it was doing. A handler whose exit hangs is cut short the same
// way, after a second. When no handler answers TRUE, the signal's default action is restored and the signal
// raised again. A way out by the default action first ends an open file chooser's processes, as the exit list
// would.
#include <semaphore.h>
#include <signal.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "console_events.h"
#include "host/kernel.h"

namespace {

struct ControlSignal {
  int signal;
  DWORD event;
};
constexpr ControlSignal kControlSignals[] = {
    {SIGINT, CTRL_C_EVENT}, {SIGHUP, CTRL_CLOSE_EVENT}, {SIGTERM, CTRL_SHUTDOWN_EVENT}};

struct ConsoleState {
  std::mutex lock;
  std::vector<PHANDLER_ROUTINE> handlers;  // in the order they were added
  bool ignoreInterrupt = false;            // SetConsoleCtrlHandler(NULL, TRUE)
  bool installed = false;
  std::string title;
};

ConsoleState& State() {
  static ConsoleState* state = new ConsoleState;  // never destroyed: the watching thread outlives main
  return *state;
}

// How long the message thread has to take an event, from the signal; and, once it has taken one, how long its
// handlers may run before the process is ended all the same. An orderly exit takes a few milliseconds (more
// with the sanitizers' checks at exit, which this must not cut short); the second bound only catches an exit
// that hangs.
constexpr auto kTakeWithin = std::chrono::milliseconds(40);
constexpr auto kGoneWithin = std::chrono::milliseconds(1000);

sem_t signalPosted;
std::atomic<uint32_t> pendingSignals{0};  // one bit per entry of kControlSignals, until a thread takes them
std::atomic<uint32_t> runningHandlers{0};  // the message thread runs the handlers of these events

// The watching thread sleeps here while the message thread takes and handles an event.
struct Handover {
  std::mutex lock;
  std::condition_variable changed;
};
Handover& TheHandover() {
  static auto* handover = new Handover;
  return *handover;
}

void NoteHandoverChange() {
  std::lock_guard<std::mutex> hold(TheHandover().lock);
  TheHandover().changed.notify_all();
}

void OnSignal(int signal) {
  for (size_t i = 0; i < std::size(kControlSignals); ++i) {
    if (kControlSignals[i].signal == signal) pendingSignals.fetch_or(1u << i);
  }
  sem_post(&signalPosted);
}

// Ends the process by the signal's default action: no exit list, no destructors, no other thread's work cut
// into. An ignored Ctrl+C ends nothing.
void EndByDefaultAction(uint32_t events) {
  for (size_t i = 0; i < std::size(kControlSignals); ++i) {
    if ((events & (1u << i)) == 0) continue;
    const ControlSignal& control = kControlSignals[i];
    if (control.event == CTRL_C_EVENT) {
      std::lock_guard<std::mutex> hold(State().lock);
      if (State().ignoreInterrupt) continue;
    }
    host::EndChooserProcesses();
    signal(control.signal, SIG_DFL);
    raise(control.signal);
  }
}

void Dispatch(const ControlSignal& control) {
  std::vector<PHANDLER_ROUTINE> handlers;
  {
    ConsoleState& state = State();
    std::lock_guard<std::mutex> hold(state.lock);
    if (control.event == CTRL_C_EVENT && state.ignoreInterrupt) return;
    handlers = state.handlers;
  }
  for (auto handler = handlers.rbegin(); handler != handlers.rend(); ++handler) {
    if ((*handler)(control.event)) return;
  }
  host::EndChooserProcesses();
  signal(control.signal, SIG_DFL);
  raise(control.signal);
}

// Runs the handlers of the events the calling thread has taken. Every handler returned: the program goes on,
// and the watching thread stops timing it.
void DispatchAll(uint32_t pending) {
  for (size_t i = 0; i < std::size(kControlSignals); ++i) {
    if (pending & (1u << i)) Dispatch(kControlSignals[i]);
  }
  runningHandlers.store(0);
  NoteHandoverChange();
}

void WatchLoop() {
  for (;;) {
    if (sem_wait(&signalPosted) != 0) continue;  // interrupted: look again
    // The message thread may have taken the event already; its handlers are timed all the same.
    if (pendingSignals.load() == 0 && runningHandlers.load() == 0) continue;
    const auto signalled = std::chrono::steady_clock::now();
    host::WakeQueueWait();
    Handover& handover = TheHandover();
    std::unique_lock<std::mutex> hold(handover.lock);
    handover.changed.wait_until(hold, signalled + kTakeWithin, [] { return pendingSignals.load() == 0; });
    uint32_t untaken = pendingSignals.exchange(0);
    if (untaken != 0) {
      hold.unlock();
      EndByDefaultAction(untaken);  // returns only for an ignored Ctrl+C
      continue;
    }
    handover.changed.wait_until(hold, signalled + kGoneWithin, [] { return runningHandlers.load() == 0; });
    uint32_t running = runningHandlers.load();
    hold.unlock();
    // Still in a handler: it is ending the process and has not finished, or it hangs. Either way it ends now.
    if (running != 0) EndByDefaultAction(running);
  }
}

// Installs the signal handlers and starts the watching thread, once; called with the state's lock held.
bool Install(ConsoleState& state) {
  if (state.installed) return true;
  if (sem_init(&signalPosted, 0, 0) != 0) return false;
  try {
    std::thread(WatchLoop).detach();
  } catch (...) {
    sem_destroy(&signalPosted);
    return false;
  }
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const ControlSignal& control : kControlSignals) sigaction(control.signal, &action, nullptr);
  state.installed = true;
  return true;
}

}  // namespace

void host::RunPendingConsoleEvents() {
  uint32_t waiting = pendingSignals.load();
  if (waiting == 0) return;
  // Marked as running before they are taken, so that the watching thread, finding them taken, times them.
  runningHandlers.fetch_or(waiting);
  uint32_t pending = pendingSignals.exchange(0);
  DispatchAll(pending);
}

bool host::ConsoleEventsPending() { return pendingSignals.load(std::memory_order_relaxed) != 0; }

void host::ResetConsoleSignalsInChild() {
  for (const ControlSignal& control : kControlSignals) signal(control.signal, SIG_DFL);
}

BOOL SetConsoleCtrlHandler(PHANDLER_ROUTINE handler, BOOL add) {
  ConsoleState& state = State();
  std::lock_guard<std::mutex> hold(state.lock);
  if (handler == nullptr) {
    state.ignoreInterrupt = add != FALSE;
    return Install(state) ? TRUE : FALSE;
  }
  if (!add) {
    auto found = std::find(state.handlers.rbegin(), state.handlers.rend(), handler);
    if (found == state.handlers.rend()) return FALSE;
    state.handlers.erase(std::next(found).base());
    return TRUE;
  }
  if (!Install(state)) return FALSE;
  state.handlers.push_back(handler);
  return TRUE;
}

DWORD GetConsoleTitleA(LPSTR title, DWORD size) {
  if (title == nullptr || size == 0) return 0;
  ConsoleState& state = State();
  std::lock_guard<std::mutex> hold(state.lock);
  size_t length = std::min<size_t>(state.title.size(), size - 1);
  std::memcpy(title, state.title.data(), length);
  title[length] = 0;
  return static_cast<DWORD>(length);
}

BOOL SetConsoleTitleA(LPCSTR title) {
  if (title == nullptr) return FALSE;
  ConsoleState& state = State();
  std::lock_guard<std::mutex> hold(state.lock);
  state.title = title;
  return TRUE;
}
