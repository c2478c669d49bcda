// Critical sections: a recursive lock made by InitializeCriticalSection and freed by DeleteCriticalSection.
#include <mutex>

#include "host/kernel.h"

namespace {

std::recursive_mutex* LockOf(LPCRITICAL_SECTION section) {
  return section == nullptr ? nullptr : static_cast<std::recursive_mutex*>(section->lock);
}

}  // namespace

void InitializeCriticalSection(LPCRITICAL_SECTION section) {
  if (section != nullptr) section->lock = new std::recursive_mutex;
}

void EnterCriticalSection(LPCRITICAL_SECTION section) {
  if (std::recursive_mutex* lock = LockOf(section)) lock->lock();
}

BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section) {
  std::recursive_mutex* lock = LockOf(section);
  return lock != nullptr && lock->try_lock() ? TRUE : FALSE;
}

void LeaveCriticalSection(LPCRITICAL_SECTION section) {
  if (std::recursive_mutex* lock = LockOf(section)) lock->unlock();
}

void DeleteCriticalSection(LPCRITICAL_SECTION section) {
  delete LockOf(section);
  if (section != nullptr) section->lock = nullptr;
}
