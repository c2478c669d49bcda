// GetModuleHandleA and GetProcAddress over the host layer's own table of modules and procedures, and
// GetModuleFileNameA. A module is present when this layer provides calls of that system library; a procedure is
// present only where this layer implements it, so callers take their own path for a missing one (there is, for
// instance, no "SetUnhandledExceptionFilter": a crash here is not turned into an exception for a filter).
#include <unistd.h>

#include <cctype>
#include <cstring>
#include <string>

#include "host/files.h"
#include "host/gdi.h"
#include "host/kernel.h"
#include "procedure_table.h"

namespace host {
namespace {

// The program's own module, and the system libraries whose calls the host layer provides.
const ModuleEntry kModules[] = {
    {"kestrival.exe"}, {"kernel32.dll"}, {"user32.dll"}, {"gdi32.dll"}, {"winmm.dll"},
    {"shell32.dll"},   {"advapi32.dll"}, {"userenv.dll"},
};

const ProcedureEntry kProcedures[] = {
    {"kernel32.dll", "InterlockedCompareExchange", AsProcedure(&InterlockedCompareExchange)},
    {"kernel32.dll", "InterlockedExchangeAdd", AsProcedure(&InterlockedExchangeAdd)},
    {"gdi32.dll", "CreateDIBSection", AsProcedure(&CreateDIBSection)},
    {"shell32.dll", "SHGetFolderPathA", AsProcedure(&SHGetFolderPathA)},
    {"advapi32.dll", "OpenProcessToken", AsProcedure(&OpenProcessToken)},
    {"userenv.dll", "GetUserProfileDirectoryA", AsProcedure(&GetUserProfileDirectoryA)},
};

// Compares a module name as the system does: without regard to case, and with ".dll" implied.
bool SameModule(const char* asked, const char* known) {
  std::string name;
  for (const char* p = asked; *p != 0; ++p) name += static_cast<char>(std::tolower(static_cast<unsigned char>(*p)));
  if (name.find('.') == std::string::npos) name += ".dll";
  return name == known;
}

const ModuleEntry* ModuleOf(HMODULE module) {
  for (const ModuleEntry& entry : kModules) {
    if (reinterpret_cast<HMODULE>(const_cast<ModuleEntry*>(&entry)) == module) return &entry;
  }
  return nullptr;
}

HMODULE HandleOf(const ModuleEntry& entry) { return reinterpret_cast<HMODULE>(const_cast<ModuleEntry*>(&entry)); }

}  // namespace
}  // namespace host

HMODULE GetModuleHandleA(LPCSTR moduleName) {
  if (moduleName == nullptr) return host::HandleOf(host::kModules[0]);
  for (const host::ModuleEntry& entry : host::kModules) {
    if (host::SameModule(moduleName, entry.name)) return host::HandleOf(entry);
  }
  return nullptr;
}

FARPROC GetProcAddress(HMODULE module, LPCSTR procedureName) {
  const host::ModuleEntry* entry = host::ModuleOf(module);
  if (entry == nullptr || procedureName == nullptr) return nullptr;
  for (const host::ProcedureEntry& procedure : host::kProcedures) {
    if (std::strcmp(procedure.module, entry->name) == 0 && std::strcmp(procedure.name, procedureName) == 0) {
      return procedure.address;
    }
  }
  return nullptr;
}

DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
  if (fileName == nullptr || size == 0) return 0;
  if (module != nullptr && module != host::HandleOf(host::kModules[0])) return 0;
  char path[4096];
  ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return 0;
  std::string text = "C:";
  for (ssize_t i = 0; i < length; ++i) text += path[i] == '/' ? '\\' : path[i];
  DWORD copied = text.size() < size ? static_cast<DWORD>(text.size()) : size - 1;
  std::memcpy(fileName, text.data(), copied);
  fileName[copied] = 0;
  return text.size() < size ? copied : size;
}
