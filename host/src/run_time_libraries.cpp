// Libraries loaded at run time: the two rich-edit libraries, each registering its control class while it is
// loaded, and the test seam's switch that withholds one as on a machine that lacks it. Also the common controls'
// initialisation, which has nothing to do here.
#include <cctype>
#include <set>
#include <string>

#include "control_classes.h"
#include "host/controls.h"
#include "host/kernel.h"
#include "host/testing.h"

namespace host {
namespace {

struct RunTimeLibrary {
  const char* fileName;  // lower case
  const char* className;
  WNDPROC procedure;
  int loads = 0;
};

RunTimeLibrary kLibraries[] = {
    {"riched20.dll", "RichEdit20A", RichEdit20Proc},
    {"riched32.dll", "RICHEDIT", RichEdit10Proc},
};

std::set<std::string>& Withheld() {
  static std::set<std::string>* names = new std::set<std::string>;
  return *names;
}

// A library's name as the system compares it: lower case, with ".dll" when it has no extension, without a folder.
std::string NameOf(const char* fileName) {
  std::string name;
  for (const char* p = fileName; *p != '\0'; ++p) {
    if (*p == '\\' || *p == '/') {
      name.clear();
      continue;
    }
    name += static_cast<char>(std::tolower(static_cast<unsigned char>(*p)));
  }
  if (name.find('.') == std::string::npos) name += ".dll";
  return name;
}

RunTimeLibrary* LibraryOf(HMODULE module) {
  for (RunTimeLibrary& library : kLibraries) {
    if (reinterpret_cast<HMODULE>(&library) == module) return &library;
  }
  return nullptr;
}

}  // namespace
}  // namespace host

HMODULE LoadLibraryA(LPCSTR fileName) {
  if (fileName == nullptr) return nullptr;
  const std::string name = host::NameOf(fileName);
  if (host::Withheld().count(name) != 0) return nullptr;
  for (host::RunTimeLibrary& library : host::kLibraries) {
    if (name != library.fileName) continue;
    if (library.loads == 0) {
      WNDCLASSA windowClass{};
      windowClass.style = CS_DBLCLKS;
      windowClass.lpfnWndProc = library.procedure;
      windowClass.hCursor = LoadCursorA(nullptr, IDC_IBEAM);
      windowClass.lpszClassName = library.className;
      // A class left registered by windows that outlived the last free is still there to use.
      if (RegisterClassA(&windowClass) == 0) {
        std::lock_guard<std::recursive_mutex> hold(host::WindowLock());
        if (host::FindWindowClass(library.className) == nullptr) return nullptr;
      }
    }
    ++library.loads;
    return reinterpret_cast<HMODULE>(&library);
  }
  return nullptr;
}

BOOL FreeLibrary(HMODULE module) {
  host::RunTimeLibrary* library = host::LibraryOf(module);
  if (library == nullptr || library->loads == 0) return FALSE;
  // The class goes with the last load, unless windows of it are still there (it goes with a later free then).
  if (--library->loads == 0) UnregisterClassA(library->className, nullptr);
  return TRUE;
}

void InitCommonControls() {}

void HostTestWithholdLibrary(const char* fileName, bool withheld) {
  if (fileName == nullptr) return;
  if (withheld) {
    host::Withheld().insert(host::NameOf(fileName));
  } else {
    host::Withheld().erase(host::NameOf(fileName));
  }
}
