// Timer tasks and the list of live tasks.
//
// Threads cannot be terminated from outside on this platform, so disposal stops a task cooperatively: it marks
// the task as stopping under the task's mutex (after any running callback), wakes the thread and waits for it
// to end. A task disposed from within its own callback is cleaned up by its thread when the callback returns.
#include "platform/core/timer_task.h"

#include <cstring>

#include "host/kernel.h"
#include "platform/core/global_lock.h"
#include "platform/core/memory.h"

struct TimerTaskState {
  HANDLE mutex;
  HANDLE wakeEvent;  // auto-reset
  HANDLE thread;
  DWORD threadId;
  uint32_t currentDelay;
  uint32_t armedTime;    // timeGetTime when the current delay began
  uint32_t pendingDelay;  // 0 = none
  uint32_t pendingTime;   // timeGetTime the pending delay counts from: when it was set, or when the callback
                          // that set it returned
  uint8_t armed;
  uint8_t stopping;  // 1: disposed from another thread, which waits for this one; 2: from within the callback
};

namespace {

constexpr SIZE_T kTaskStackSize = 65536;

TimerTask** liveTasks = nullptr;  // on the process heap
uint32_t liveTaskCount = 0;

// The time left of an armed delay, at least 1.
int32_t TimeLeft(const TimerTaskState* state) {
  auto elapsed = static_cast<int32_t>(timeGetTime() - state->armedTime);
  if (elapsed < 0) elapsed = 0;
  int64_t left = int64_t{state->currentDelay} - elapsed;
  return left < 1 ? 1 : static_cast<int32_t>(left);
}

bool AddLiveTask(TimerTask* task) {
  auto* grown = static_cast<TimerTask**>(PlatformNewPointer(sizeof(TimerTask*) * (liveTaskCount + 1)));
  if (grown == nullptr) return false;
  EnterGlobalLock();
  TimerTask** old = liveTasks;
  if (liveTaskCount != 0) std::memcpy(grown, liveTasks, sizeof(TimerTask*) * liveTaskCount);
  grown[liveTaskCount] = task;
  liveTasks = grown;
  ++liveTaskCount;
  LeaveGlobalLock();
  PlatformDisposePointer(old);
  return true;
}

// Takes the task out of the live list; answers whether it was there. Under the global lock.
bool RemoveLiveTask(TimerTask* task) {
  for (uint32_t i = 0; i < liveTaskCount; ++i) {
    if (liveTasks[i] != task) continue;
    if (--liveTaskCount == 0) {
      PlatformDisposePointer(liveTasks);
      liveTasks = nullptr;
    } else {
      std::memmove(&liveTasks[i], &liveTasks[i + 1], sizeof(TimerTask*) * (liveTaskCount - i));
    }
    return true;
  }
  return false;
}

void FreeState(TimerTaskState* state) {
  if (state->wakeEvent != nullptr) CloseHandle(state->wakeEvent);
  if (state->mutex != nullptr) CloseHandle(state->mutex);
  if (state->thread != nullptr) CloseHandle(state->thread);
  PlatformDisposePointer(state);
}

DWORD TaskLoop(LPVOID parameter) {
  auto* task = static_cast<TimerTask*>(parameter);
  TimerTaskState* state = task->state;
  for (;;) {
    WaitForSingleObject(state->mutex, INFINITE);
    if (state->stopping) break;
    DWORD timeout = INFINITE;
    if (state->armed) {
      auto elapsed = static_cast<int32_t>(timeGetTime() - state->armedTime);
      timeout = elapsed < 0 ? state->currentDelay
                            : (static_cast<uint32_t>(elapsed) >= state->currentDelay ? 0 : state->currentDelay - elapsed);
    }
    ReleaseMutex(state->mutex);

    DWORD woken = WaitForSingleObject(state->wakeEvent, timeout);
    WaitForSingleObject(state->mutex, INFINITE);
    if (state->stopping) break;
    if (woken == WAIT_TIMEOUT && state->armed && state->pendingDelay == 0 && TimeLeft(state) > 1) {
      // The delay was set again later while this thread waited (SetDelay moves a later deadline in place): the
      // rest of it is waited for.
      ReleaseMutex(state->mutex);
      continue;
    }
    if (woken == WAIT_TIMEOUT) {
      state->currentDelay = 0;
      state->armedTime = 0;
      state->pendingDelay = 0;
      state->armed = 0;
      task->callback(task, task->userValue);
      if (state->stopping) break;  // disposed from within the callback
      // A delay the callback set for its task counts from the moment the callback returns.
      if (state->pendingDelay != 0) state->pendingTime = timeGetTime();
    }
    if (state->pendingDelay != 0) {
      state->currentDelay = state->pendingDelay;
      state->armedTime = state->pendingTime;
      state->armed = 1;
      state->pendingDelay = 0;
    } else {
      state->currentDelay = 0;
      state->armed = 0;
    }
    ReleaseMutex(state->mutex);
  }
  // Stopping: the disposer waits for this thread, unless it was this thread; then the cleaning is ours.
  bool selfDisposed = state->stopping == 2;
  ReleaseMutex(state->mutex);
  if (selfDisposed) FreeState(state);
  return 0;
}

}  // namespace

PlatformError TimerTask::Create(TimerTask* task, void* userValue, TimerTaskProc callback) {
  if (task == nullptr || callback == nullptr) return kPlatformErrBadData;
  EnterGlobalLock();
  bool live = false;
  for (uint32_t i = 0; i < liveTaskCount; ++i) live = live || liveTasks[i] == task;
  LeaveGlobalLock();
  if (live) Dispose(task);  // made again while running: the old thread must not be left behind
  std::memset(task, 0, sizeof *task);
  task->callback = callback;
  task->userValue = userValue;
  if (!AddLiveTask(task)) return kPlatformErrNoMemory;

  auto* state = static_cast<TimerTaskState*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(TimerTaskState)));
  if (state == nullptr) {
    Dispose(task);
    return kPlatformErrNoMemory;
  }
  task->state = state;
  // The mutex is ours until the thread is fully set up, so the loop cannot start before.
  state->mutex = CreateMutexA(nullptr, TRUE, nullptr);
  state->wakeEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  if (state->mutex != nullptr && state->wakeEvent != nullptr) {
    state->thread = CreateThread(nullptr, kTaskStackSize, TaskLoop, task, 0, &state->threadId);
  }
  if (state->thread == nullptr) {
    if (state->mutex != nullptr) ReleaseMutex(state->mutex);
    Dispose(task);
    return kPlatformErrNoMemory;
  }
  if (!SetThreadPriority(state->thread, THREAD_PRIORITY_TIME_CRITICAL)) {
    ReleaseMutex(state->mutex);
    Dispose(task);
    return kPlatformErrSystem;
  }
  ReleaseMutex(state->mutex);
  return kPlatformNoError;
}

int32_t TimerTask::SetDelay(TimerTask* task, int32_t delay) {
  if (task == nullptr || task->state == nullptr) return 0;
  TimerTaskState* state = task->state;
  WaitForSingleObject(state->mutex, INFINITE);
  int32_t result;
  if (GetCurrentThreadId() == state->threadId) {
    result = static_cast<int32_t>(state->pendingDelay);
    if (delay != -1) {
      state->pendingDelay = static_cast<uint32_t>(delay < 0 ? 0 : delay);
      state->pendingTime = timeGetTime();
    }
  } else {
    if (state->pendingDelay != 0) {
      result = static_cast<int32_t>(state->pendingDelay);
    } else {
      result = state->armed ? TimeLeft(state) : 0;
    }
    if (delay > 0 && state->armed && state->pendingDelay == 0 && static_cast<int32_t>(result) <= delay) {
      // The new deadline is not earlier than the one the thread waits for: it is moved in place, and the
      // thread, waking at the old one, waits for the rest. The task is called at the same moment as if the thread
      // had been woken to take the delay, but every clock reading re-arms the housekeeping task this way, and
      // waking its time-critical thread at each one would take a processor from the program many times a frame.
      state->currentDelay = static_cast<uint32_t>(delay);
      state->armedTime = timeGetTime();
    } else if (delay != -1) {
      // The new delay starts from now, not from when the task's thread wakes up to take it.
      state->pendingDelay = static_cast<uint32_t>(delay < 0 ? 0 : delay);
      state->pendingTime = timeGetTime();
      SetEvent(state->wakeEvent);
    }
  }
  ReleaseMutex(state->mutex);
  return result;
}

int32_t TimerTask::Dispose(TimerTask* task) {
  if (task == nullptr) return 0;
  EnterGlobalLock();
  bool live = RemoveLiveTask(task);
  LeaveGlobalLock();
  if (!live) return 0;

  int32_t result = 0;
  TimerTaskState* state = task->state;
  if (state != nullptr) {
    if (state->thread == nullptr) {
      FreeState(state);  // creation failed before the thread existed
    } else {
      WaitForSingleObject(state->mutex, INFINITE);  // waits for a running callback
      result = state->armed ? TimeLeft(state) : 0;
      bool ownThread = GetCurrentThreadId() == state->threadId;
      state->stopping = ownThread ? 2 : 1;
      ReleaseMutex(state->mutex);
      if (!ownThread) {
        SetEvent(state->wakeEvent);
        WaitForSingleObject(state->thread, INFINITE);
        FreeState(state);
      }
    }
  }
  std::memset(task, 0, sizeof *task);
  return result;
}
