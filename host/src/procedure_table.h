// The modules and procedures that GetModuleHandleA and GetProcAddress know. Each part of the host layer that
// implements a function callers look up by name adds its row to the table in procedure_table.cpp.
#pragma once

#include "host/types.h"

namespace host {

struct ModuleEntry {
  const char* name;  // lower case, with its ".dll"
};

struct ProcedureEntry {
  const char* module;  // a ModuleEntry name
  const char* name;
  FARPROC address;
};

// A function's address in the table's type.
template <typename Function>
FARPROC AsProcedure(Function* function) {
  return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

}  // namespace host
