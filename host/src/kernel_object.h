// Kernel objects of the host layer: the table behind HANDLE values, the lock under which every waitable object
// changes state, and the waits themselves. Each object keeps its own waiters: a change of one object wakes only
// the threads waiting on it, never every waiting thread of the process.
//
// A HANDLE is the address of a table entry's object. Other object kinds of the host layer (open files, for
// instance) derive from KernelObject and are registered the same way, so CloseHandle serves them all.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>

#include "host/types.h"

namespace host {

class KernelObject {
 public:
  virtual ~KernelObject() = default;

  // Called by CloseHandle once the handle has left the table; the object itself is freed when no wait holds it.
  virtual bool Close() { return true; }

  // Whether a wait on this object can be satisfied now by the given thread; called with the kernel lock held.
  // Objects that cannot be waited on answer false and are refused by WaitForSingleObject.
  virtual bool IsWaitable() const { return false; }
  virtual bool IsSignalled(DWORD threadId) const { return false; }
  // Takes what a satisfied wait takes (a mutex's ownership, an auto-reset event's signal); returns the wait's
  // result, WAIT_OBJECT_0 or WAIT_ABANDONED. Called with the kernel lock held.
  virtual DWORD Acquire(DWORD threadId) { return 0; }

  // The waits blocked on this object and how many there are; both under the kernel lock.
  std::condition_variable changed;
  uint32_t blockedWaits = 0;
};

// The lock under which waitable objects change state and waits look at them.
std::mutex& KernelLock();
// Wakes the waits on one object after a change of its state (made under the kernel lock).
void NotifyObjectChanged(KernelObject& object);
// Wakes every blocked wait, for the changes no one object owns: a thread ended (the mutexes it held are now
// abandoned) or the manual clock moved. Takes the kernel lock; call it without holding it.
void NotifyEveryWait();
// The same, for a caller that holds the kernel lock.
void NotifyEveryWaitLocked();

// Adds an object to the table and returns its handle (null when out of memory).
HANDLE RegisterKernelObject(std::shared_ptr<KernelObject> object);
// The object of a live handle, or null for a handle that is not in the table.
std::shared_ptr<KernelObject> FindKernelObject(HANDLE handle);
template <typename T>
std::shared_ptr<T> FindKernelObjectOf(HANDLE handle) {
  return std::dynamic_pointer_cast<T>(FindKernelObject(handle));
}

// Waits on `object`, with the kernel lock held through `hold`, until `ready()` is true or the host clock reaches
// the deadline (in host microseconds; UINT64_MAX for none). Returns whether `ready()` became true.
template <typename Ready>
bool WaitUntil(std::unique_lock<std::mutex>& hold, KernelObject& object, uint64_t deadline, Ready ready);

// Whether the thread with this identifier has not ended (may be called with the kernel lock held).
bool ThreadIsAlive(DWORD threadId);

// The host clock in microseconds: the monotonic clock, or the test seam's manual clock.
uint64_t ClockMicroseconds();
bool ClockIsManual();
// Blocks on the object's condition for at most `microseconds` of real time (UINT64_MAX: until woken). On the
// manual clock a wait looks again at least every 100 ms of real time, as the clock moves only when told.
void WaitForObjectChange(std::unique_lock<std::mutex>& hold, KernelObject& object, uint64_t microseconds);

// Counts for the test seam, changed with the kernel lock held: the waits with a time-out that have blocked, and
// the times a blocked wait woke up to look at its object again.
extern uint32_t timedWaitsBlocked;
extern uint32_t blockedWaitWakeups;

template <typename Ready>
bool WaitUntil(std::unique_lock<std::mutex>& hold, KernelObject& object, uint64_t deadline, Ready ready) {
  bool blocked = false;
  bool result;
  for (;;) {
    if (ready()) {
      result = true;
      break;
    }
    uint64_t now = ClockMicroseconds();
    if (deadline != UINT64_MAX && now >= deadline) {
      result = false;
      break;
    }
    if (!blocked && deadline != UINT64_MAX) ++timedWaitsBlocked;
    blocked = true;
    WaitForObjectChange(hold, object, deadline == UINT64_MAX ? UINT64_MAX : deadline - now);
  }
  return result;
}

}  // namespace host
