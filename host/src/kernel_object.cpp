// The table of kernel objects, the kernel lock, the waits on one object, CloseHandle and WaitForSingleObject.
#include "kernel_object.h"

#include <chrono>
#include <unordered_map>
#include <unordered_set>

#include "host/kernel.h"
#include "host/testing.h"

namespace host {
namespace {

// The objects that have waits blocked on them, so that a change no one object owns can wake those waits.
std::unordered_set<KernelObject*>& BlockedObjects() {
  static auto* objects = new std::unordered_set<KernelObject*>;  // never destroyed, as the lock below
  return *objects;
}

// The table of live handles. Its own lock, separate from the kernel lock, keeps look-ups cheap.
struct ObjectTable {
  std::mutex lock;
  std::unordered_map<HANDLE, std::shared_ptr<KernelObject>> objects;
};

ObjectTable& Table() {
  static ObjectTable* table = new ObjectTable;  // never destroyed: threads may close handles during exit
  return *table;
}

}  // namespace

uint32_t timedWaitsBlocked = 0;
uint32_t blockedWaitWakeups = 0;

std::mutex& KernelLock() {
  static std::mutex* lock = new std::mutex;  // never destroyed, for the same reason
  return *lock;
}

void NotifyObjectChanged(KernelObject& object) { object.changed.notify_all(); }

void NotifyEveryWaitLocked() {
  for (KernelObject* object : BlockedObjects()) object->changed.notify_all();
}

void NotifyEveryWait() {
  std::lock_guard<std::mutex> hold(KernelLock());
  NotifyEveryWaitLocked();
}

void WaitForObjectChange(std::unique_lock<std::mutex>& hold, KernelObject& object, uint64_t microseconds) {
  if (object.blockedWaits++ == 0) BlockedObjects().insert(&object);
  // The manual clock's waiters look again now and then, so that a wait never depends on a lost wake-up of a
  // clock that tests move; on the real clock a wait sleeps until its object changes or its time is up.
  constexpr uint64_t kLongestManual = 100000;
  if (ClockIsManual() && microseconds > kLongestManual) microseconds = kLongestManual;
  if (microseconds == UINT64_MAX) {
    object.changed.wait(hold);
  } else {
    object.changed.wait_for(hold, std::chrono::microseconds(microseconds));
  }
  ++blockedWaitWakeups;
  if (--object.blockedWaits == 0) BlockedObjects().erase(&object);
}

HANDLE RegisterKernelObject(std::shared_ptr<KernelObject> object) {
  if (!object) return nullptr;
  HANDLE handle = object.get();
  ObjectTable& table = Table();
  std::lock_guard<std::mutex> hold(table.lock);
  table.objects.emplace(handle, std::move(object));
  return handle;
}

std::shared_ptr<KernelObject> FindKernelObject(HANDLE handle) {
  ObjectTable& table = Table();
  std::lock_guard<std::mutex> hold(table.lock);
  auto found = table.objects.find(handle);
  return found == table.objects.end() ? nullptr : found->second;
}

}  // namespace host

BOOL CloseHandle(HANDLE object) {
  if (object == GetCurrentThread()) return TRUE;
  std::shared_ptr<host::KernelObject> closing;
  {
    host::ObjectTable& table = host::Table();
    std::lock_guard<std::mutex> hold(table.lock);
    auto found = table.objects.find(object);
    if (found == table.objects.end()) return FALSE;
    closing = std::move(found->second);
    table.objects.erase(found);
  }
  return closing->Close() ? TRUE : FALSE;
}

DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds) {
  std::shared_ptr<host::KernelObject> target = host::FindKernelObject(object);
  if (!target || !target->IsWaitable()) return WAIT_FAILED;
  DWORD self = GetCurrentThreadId();
  std::unique_lock<std::mutex> hold(host::KernelLock());
  uint64_t deadline =
      milliseconds == INFINITE ? UINT64_MAX : host::ClockMicroseconds() + uint64_t{milliseconds} * 1000;
  if (!host::WaitUntil(hold, *target, deadline, [&] { return target->IsSignalled(self); })) return WAIT_TIMEOUT;
  return target->Acquire(self);
}

DWORD HostTestTimedWaitsBlocked() {
  std::lock_guard<std::mutex> hold(host::KernelLock());
  return host::timedWaitsBlocked;
}

DWORD HostTestBlockedWaitWakeups() {
  std::lock_guard<std::mutex> hold(host::KernelLock());
  return host::blockedWaitWakeups;
}
