// Threads, thread identifiers and thread-local slots.
//
// Each thread gets its identifier the first time it asks (the main thread usually first). Threads made by
// CreateThread run on POSIX threads, detached; their object records the exit code and is signalled when the
// routine returns. Suspending and terminating a thread from outside has no safe POSIX form and is refused.
#include <pthread.h>
#include <sched.h>

#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <unordered_set>

#include "host/kernel.h"
#include "kernel_object.h"

namespace host {
namespace {

std::atomic<DWORD> nextThreadId{1};

class ThreadObject : public KernelObject {
 public:
  bool IsWaitable() const override { return true; }
  bool IsSignalled(DWORD) const override { return ended; }
  DWORD Acquire(DWORD) override { return WAIT_OBJECT_0; }

  LPTHREAD_START_ROUTINE start = nullptr;
  LPVOID parameter = nullptr;
  DWORD id = 0;
  int priority = THREAD_PRIORITY_NORMAL;
  bool suspended = false;  // made with CREATE_SUSPENDED and not resumed yet
  bool ended = false;
  DWORD exitCode = STILL_ACTIVE;
  std::shared_ptr<ThreadObject> self;  // keeps the object alive until the routine has returned
};

thread_local DWORD currentThreadId = 0;
thread_local int currentPriority = THREAD_PRIORITY_NORMAL;

// The identifiers of threads that have not ended, so that a mutex left owned by an ended thread is known to be
// abandoned. Its own lock is taken after the kernel lock, never before.
struct LiveThreads {
  std::mutex lock;
  std::unordered_set<DWORD> ids;
};

LiveThreads& Live() {
  static LiveThreads* live = new LiveThreads;
  return *live;
}

// Takes the calling thread's identifier out of the live set when the thread ends.
struct ThreadEndNotice {
  DWORD id = 0;
  ~ThreadEndNotice() {
    if (id == 0) return;
    {
      std::lock_guard<std::mutex> hold(Live().lock);
      Live().ids.erase(id);
    }
    // A mutex this thread still held is abandoned now: its waits look again.
    NotifyEveryWait();
  }
};
thread_local ThreadEndNotice endNotice;

void BecomeThread(DWORD id) {
  currentThreadId = id;
  endNotice.id = id;
  std::lock_guard<std::mutex> hold(Live().lock);
  Live().ids.insert(id);
}

void* RunThread(void* argument) {
  auto* thread = static_cast<ThreadObject*>(argument);
  std::shared_ptr<ThreadObject> keep;
  {
    std::unique_lock<std::mutex> hold(KernelLock());
    keep = std::move(thread->self);
    BecomeThread(thread->id);
    WaitUntil(hold, *thread, UINT64_MAX, [&] { return !thread->suspended; });
    currentPriority = thread->priority;
  }
  DWORD code = thread->start(thread->parameter);
  {
    std::lock_guard<std::mutex> hold(KernelLock());
    thread->exitCode = code;
    thread->ended = true;
    NotifyObjectChanged(*thread);
  }
  return nullptr;
}

// Thread-local slots: a fixed number of indexes, each with a generation so that a slot allocated again reads as
// null on every thread until that thread sets it.
constexpr DWORD kSlotCount = 128;

struct SlotTable {
  std::mutex lock;
  std::array<std::atomic<bool>, kSlotCount> used{};
  std::array<std::atomic<uint32_t>, kSlotCount> generation{};
};

SlotTable& Slots() {
  static SlotTable* slots = new SlotTable;
  return *slots;
}

struct SlotValue {
  LPVOID value = nullptr;
  uint32_t generation = 0;
};
thread_local std::array<SlotValue, kSlotCount> slotValues;

}  // namespace

bool ThreadIsAlive(DWORD threadId) {
  std::lock_guard<std::mutex> hold(Live().lock);
  return Live().ids.count(threadId) != 0;
}

}  // namespace host

DWORD GetCurrentThreadId() {
  if (host::currentThreadId == 0) host::BecomeThread(host::nextThreadId.fetch_add(1));
  return host::currentThreadId;
}

HANDLE GetCurrentThread() { return reinterpret_cast<HANDLE>(static_cast<intptr_t>(-2)); }

HANDLE CreateThread(LPSECURITY_ATTRIBUTES attributes, SIZE_T stackSize, LPTHREAD_START_ROUTINE start,
                    LPVOID parameter, DWORD flags, LPDWORD threadId) {
  if (start == nullptr) return nullptr;
  auto thread = std::make_shared<host::ThreadObject>();
  thread->start = start;
  thread->parameter = parameter;
  thread->id = host::nextThreadId.fetch_add(1);
  thread->suspended = (flags & CREATE_SUSPENDED) != 0;
  thread->self = thread;

  // The size asked for is a minimum: instrumented builds need far more stack than the routine itself.
  constexpr SIZE_T kLeastStack = SIZE_T{1} << 20;
  pthread_attr_t attr;
  if (pthread_attr_init(&attr) != 0) return nullptr;
  pthread_attr_setstacksize(&attr, stackSize > kLeastStack ? stackSize : kLeastStack);
  pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_DETACHED);
  HANDLE handle = host::RegisterKernelObject(thread);
  pthread_t posixThread;
  int failed = pthread_create(&posixThread, &attr, host::RunThread, thread.get());
  pthread_attr_destroy(&attr);
  if (failed != 0) {
    thread->self.reset();
    CloseHandle(handle);
    return nullptr;
  }
  if (threadId != nullptr) *threadId = thread->id;
  return handle;
}

BOOL SetThreadPriority(HANDLE handle, int priority) {
  bool known = priority == THREAD_PRIORITY_TIME_CRITICAL || priority == -15 ||
               (priority >= THREAD_PRIORITY_LOWEST && priority <= THREAD_PRIORITY_HIGHEST);
  if (!known) return FALSE;
  if (handle == GetCurrentThread()) {
    host::currentPriority = priority;
    return TRUE;
  }
  auto thread = host::FindKernelObjectOf<host::ThreadObject>(handle);
  if (!thread) return FALSE;
  std::lock_guard<std::mutex> hold(host::KernelLock());
  thread->priority = priority;
  return TRUE;
}

int GetThreadPriority(HANDLE handle) {
  if (handle == GetCurrentThread()) return host::currentPriority;
  auto thread = host::FindKernelObjectOf<host::ThreadObject>(handle);
  if (!thread) return THREAD_PRIORITY_ERROR_RETURN;
  std::lock_guard<std::mutex> hold(host::KernelLock());
  return thread->priority;
}

BOOL GetExitCodeThread(HANDLE handle, LPDWORD exitCode) {
  auto thread = host::FindKernelObjectOf<host::ThreadObject>(handle);
  if (!thread || exitCode == nullptr) return FALSE;
  std::lock_guard<std::mutex> hold(host::KernelLock());
  *exitCode = thread->exitCode;
  return TRUE;
}

DWORD SuspendThread(HANDLE thread) { return static_cast<DWORD>(-1); }

DWORD ResumeThread(HANDLE handle) {
  auto thread = host::FindKernelObjectOf<host::ThreadObject>(handle);
  if (!thread) return static_cast<DWORD>(-1);
  DWORD previous;
  {
    std::lock_guard<std::mutex> hold(host::KernelLock());
    previous = thread->suspended ? 1 : 0;
    thread->suspended = false;
    host::NotifyObjectChanged(*thread);
  }
  return previous;
}

BOOL TerminateThread(HANDLE thread, DWORD exitCode) { return FALSE; }

DWORD TlsAlloc() {
  host::SlotTable& slots = host::Slots();
  std::lock_guard<std::mutex> hold(slots.lock);
  for (DWORD i = 0; i < host::kSlotCount; ++i) {
    if (!slots.used[i]) {
      slots.used[i] = true;
      slots.generation[i].fetch_add(1);
      return i;
    }
  }
  return TLS_OUT_OF_INDEXES;
}

BOOL TlsFree(DWORD index) {
  host::SlotTable& slots = host::Slots();
  std::lock_guard<std::mutex> hold(slots.lock);
  if (index >= host::kSlotCount || !slots.used[index]) return FALSE;
  slots.used[index] = false;
  return TRUE;
}

LPVOID TlsGetValue(DWORD index) {
  if (index >= host::kSlotCount) return nullptr;
  const host::SlotValue& slot = host::slotValues[index];
  return slot.generation == host::Slots().generation[index].load() ? slot.value : nullptr;
}

BOOL TlsSetValue(DWORD index, LPVOID value) {
  if (index >= host::kSlotCount || !host::Slots().used[index]) return FALSE;
  host::slotValues[index] = {value, host::Slots().generation[index].load()};
  return TRUE;
}

LONG InterlockedCompareExchange(LONG volatile* destination, LONG exchange, LONG comparand) {
  __atomic_compare_exchange_n(destination, &comparand, exchange, false, __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST);
  return comparand;  // on failure the builtin stored the value found there
}

LONG InterlockedExchangeAdd(LONG volatile* addend, LONG value) {
  return __atomic_fetch_add(addend, value, __ATOMIC_SEQ_CST);
}
