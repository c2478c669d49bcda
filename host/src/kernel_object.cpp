// The table of kernel objects, the kernel lock and condition, CloseHandle and WaitForSingleObject.
#include "kernel_object.h"

#include <chrono>
#include <unordered_map>

#include "host/kernel.h"
#include "host/testing.h"

namespace host {
namespace {

std::condition_variable& KernelChanged() {
  static std::condition_variable changed;
  return changed;
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

std::mutex& KernelLock() {
  static std::mutex* lock = new std::mutex;  // never destroyed, for the same reason
  return *lock;
}

void NotifyKernelChange() { KernelChanged().notify_all(); }

void WaitForKernelChange(std::unique_lock<std::mutex>& hold, uint64_t microseconds) {
  // Even the manual clock's waiters look again now and then, so a wait never depends on a lost wake-up.
  constexpr uint64_t kLongest = 100000;
  uint64_t slice = ClockIsManual() || microseconds > kLongest ? kLongest : microseconds;
  KernelChanged().wait_for(hold, std::chrono::microseconds(slice));
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
  if (!host::WaitUntil(hold, deadline, [&] { return target->IsSignalled(self); })) return WAIT_TIMEOUT;
  return target->Acquire(self);
}

DWORD HostTestTimedWaitsBlocked() {
  std::lock_guard<std::mutex> hold(host::KernelLock());
  return host::timedWaitsBlocked;
}
