// The table of live host objects and the generic CloseHandle.
#include "host_object.h"

#include <mutex>
#include <unordered_map>

#include "host/errors.h"
#include "host/handles.h"

namespace {

std::mutex& TableLock() {
  static std::mutex lock;
  return lock;
}

std::unordered_map<HostObject*, std::unique_ptr<HostObject>>& Table() {
  static auto* table = new std::unordered_map<HostObject*, std::unique_ptr<HostObject>>();
  return *table;
}

}  // namespace

HANDLE HostAddObject(std::unique_ptr<HostObject> object) {
  HostObject* raw = object.get();
  std::lock_guard<std::mutex> guard(TableLock());
  Table().emplace(raw, std::move(object));
  return raw;
}

HostObject* HostFindObject(HANDLE handle) {
  std::lock_guard<std::mutex> guard(TableLock());
  auto it = Table().find(static_cast<HostObject*>(handle));
  if (it == Table().end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return it->second.get();
}

bool HostCloseObject(HANDLE handle) {
  std::unique_ptr<HostObject> object;
  {
    std::lock_guard<std::mutex> guard(TableLock());
    auto it = Table().find(static_cast<HostObject*>(handle));
    if (it == Table().end()) {
      SetLastError(ERROR_INVALID_HANDLE);
      return false;
    }
    object = std::move(it->second);
    Table().erase(it);
  }
  return object->Close();
}

BOOL CloseHandle(HANDLE handle) { return HostCloseObject(handle) ? TRUE : FALSE; }
