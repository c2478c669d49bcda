// Mutexes and events. A mutex is owned by one thread at a time and may be taken again by its owner; a mutex
// whose owner ended without releasing it is abandoned, and the next wait takes it with WAIT_ABANDONED. An event is
// manual-reset (stays signalled until reset) or auto-reset (one satisfied wait clears it). Names are accepted
// and ignored: every object made here is private to the process.
#include <memory>

#include "host/kernel.h"
#include "kernel_object.h"

namespace host {
namespace {

class MutexObject : public KernelObject {
 public:
  bool IsWaitable() const override { return true; }
  bool IsSignalled(DWORD threadId) const override {
    return owner == 0 || owner == threadId || !ThreadIsAlive(owner);
  }
  DWORD Acquire(DWORD threadId) override {
    if (owner != 0 && owner != threadId) {  // its owner has ended
      owner = threadId;
      depth = 1;
      return WAIT_ABANDONED;
    }
    owner = threadId;
    ++depth;
    return WAIT_OBJECT_0;
  }

  DWORD owner = 0;  // thread identifier, 0 when free
  uint32_t depth = 0;
};

class EventObject : public KernelObject {
 public:
  bool IsWaitable() const override { return true; }
  bool IsSignalled(DWORD) const override { return signalled; }
  DWORD Acquire(DWORD) override {
    if (!manualReset) signalled = false;
    return WAIT_OBJECT_0;
  }

  bool manualReset = false;
  bool signalled = false;
};

}  // namespace
}  // namespace host

HANDLE CreateMutexA(LPSECURITY_ATTRIBUTES attributes, BOOL initialOwner, LPCSTR name) {
  auto mutex = std::make_shared<host::MutexObject>();
  if (initialOwner) mutex->Acquire(GetCurrentThreadId());
  return host::RegisterKernelObject(std::move(mutex));
}

BOOL ReleaseMutex(HANDLE handle) {
  auto mutex = host::FindKernelObjectOf<host::MutexObject>(handle);
  if (!mutex) return FALSE;
  {
    std::lock_guard<std::mutex> hold(host::KernelLock());
    if (mutex->owner != GetCurrentThreadId() || mutex->depth == 0) return FALSE;
    // Only a mutex that became free can satisfy a wait; a lower level of a held one wakes nobody.
    if (--mutex->depth == 0) {
      mutex->owner = 0;
      host::NotifyObjectChanged(*mutex);
    }
  }
  return TRUE;
}

HANDLE CreateEventA(LPSECURITY_ATTRIBUTES attributes, BOOL manualReset, BOOL initialState, LPCSTR name) {
  auto event = std::make_shared<host::EventObject>();
  event->manualReset = manualReset != FALSE;
  event->signalled = initialState != FALSE;
  return host::RegisterKernelObject(std::move(event));
}

namespace {

BOOL SetEventState(HANDLE handle, bool signalled) {
  auto event = host::FindKernelObjectOf<host::EventObject>(handle);
  if (!event) return FALSE;
  {
    std::lock_guard<std::mutex> hold(host::KernelLock());
    event->signalled = signalled;
    if (signalled) host::NotifyObjectChanged(*event);
  }
  return TRUE;
}

}  // namespace

BOOL SetEvent(HANDLE event) { return SetEventState(event, true); }
BOOL ResetEvent(HANDLE event) { return SetEventState(event, false); }
