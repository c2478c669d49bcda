// The console-control hook and the console title.
//
// SIGINT, SIGHUP and SIGTERM become the control events CTRL_C_EVENT, CTRL_CLOSE_EVENT and CTRL_SHUTDOWN_EVENT.
// The signal handler only records the signal and posts a semaphore (both safe inside a signal handler). The
// registered handlers then run, last added first, outside any signal context, so a handler may take locks or end
// the process with exit(). They run on the thread that pumps messages, at its next look at the queue: a handler
// that calls exit() there ends the program between two messages, where the exit list and the static destructors
// cannot race a main loop still running. A watching thread hands the event over and, when no message has been
// looked for during a couple of seconds (a program that does not pump), runs the handlers itself. When no handler
// answers TRUE, the signal's default action is restored and the signal raised again.
#include <semaphore.h>
#include <signal.h>

#include <algorithm>
#include <atomic>
#include <chrono>
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
  static ConsoleState* state = new ConsoleState;  // never destroyed: the dispatch thread outlives main
  return *state;
}

sem_t signalPosted;
std::atomic<uint32_t> pendingSignals{0};  // one bit per entry of kControlSignals, until a thread takes them
std::atomic<uint64_t> queueLooks{0};      // how often the message queue has been read

// The watching thread waits in real time, in steps, for the queue to be read; after this many steps without a
// look at the queue the program is taken not to pump messages. (A manual test clock must not hold it back.)
constexpr auto kWatchStep = std::chrono::milliseconds(20);
constexpr int kStepsWithoutPumping = 100;

void OnSignal(int signal) {
  for (size_t i = 0; i < std::size(kControlSignals); ++i) {
    if (kControlSignals[i].signal == signal) pendingSignals.fetch_or(1u << i);
  }
  sem_post(&signalPosted);
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
  signal(control.signal, SIG_DFL);
  raise(control.signal);
}

void DispatchAll(uint32_t pending) {
  for (size_t i = 0; i < std::size(kControlSignals); ++i) {
    if (pending & (1u << i)) Dispatch(kControlSignals[i]);
  }
}

void WatchLoop() {
  for (;;) {
    if (sem_wait(&signalPosted) != 0) continue;  // interrupted: look again
    host::WakeQueueWait();  // the message thread takes the event at its next look at the queue
    uint64_t looks = queueLooks.load();
    int idleSteps = 0;
    while (pendingSignals.load() != 0) {
      std::this_thread::sleep_for(kWatchStep);
      uint64_t now = queueLooks.load();
      idleSteps = now == looks ? idleSteps + 1 : 0;
      looks = now;
      if (idleSteps >= kStepsWithoutPumping) {
        DispatchAll(pendingSignals.exchange(0));
        break;
      }
    }
  }
}

// Installs the signal handlers and starts the dispatch thread, once; called with the state's lock held.
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
  queueLooks.fetch_add(1);
  if (pendingSignals.load(std::memory_order_relaxed) == 0) return;
  DispatchAll(pendingSignals.exchange(0));
}

bool host::ConsoleEventsPending() { return pendingSignals.load(std::memory_order_relaxed) != 0; }

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
