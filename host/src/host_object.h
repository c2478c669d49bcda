// The common base of every object a host handle stands for, and the table of live handles.
//
// A HANDLE handed out by the host is the address of a HostObject that the table owns. CloseHandle (and the
// search calls' FindClose) remove the object from the table and let it release what it holds; a value that is
// not in the table is refused with ERROR_INVALID_HANDLE, so a stale or foreign value never reaches an object.
#pragma once

#include <memory>

#include "host/types.h"

struct HostObject {
  virtual ~HostObject() = default;
  // Releases the system resources the object holds. False (with the last error set) when that fails; the
  // object is destroyed either way.
  virtual bool Close() { return true; }
};

HANDLE HostAddObject(std::unique_ptr<HostObject> object);
// The live object behind a handle, or null (last error ERROR_INVALID_HANDLE) when there is none.
HostObject* HostFindObject(HANDLE handle);
// Removes the object from the table, closes and destroys it.
bool HostCloseObject(HANDLE handle);

template <typename T>
T* HostFindObjectOf(HANDLE handle);

#include "host/errors.h"

template <typename T>
T* HostFindObjectOf(HANDLE handle) {
  T* object = dynamic_cast<T*>(HostFindObject(handle));
  if (object == nullptr) SetLastError(ERROR_INVALID_HANDLE);
  return object;
}
