// ShellExecuteA for addresses: the desktop's opener (xdg-open) started with the address as its one argument,
// and the child reaped by a thread of its own so that no finished process lingers.
#include "host/shell.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "host/testing_sound.h"

extern char** environ;

namespace {

struct AddressLog {
  std::mutex lock;
  std::vector<std::string> opened;
  bool capture = false;
};

AddressLog& Log() {
  static AddressLog* log = new AddressLog;
  return *log;
}

bool StartsWithNoCase(const char* text, const char* prefix) {
  return strncasecmp(text, prefix, std::strlen(prefix)) == 0;
}

// Only addresses of these kinds are handed on, and none with control characters: the opener would treat some
// other texts as local files or command-line options.
bool AcceptedAddress(const char* text) {
  if (!StartsWithNoCase(text, "http://") && !StartsWithNoCase(text, "https://") &&
      !StartsWithNoCase(text, "mailto:")) {
    return false;
  }
  for (const char* p = text; *p != '\0'; ++p) {
    if (static_cast<unsigned char>(*p) < 0x20 || *p == 0x7F) return false;
  }
  return true;
}

HINSTANCE Result(UINT_PTR code) { return reinterpret_cast<HINSTANCE>(code); }

}  // namespace

HINSTANCE ShellExecuteA(HWND, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR, INT) {
  if (file == nullptr || (verb != nullptr && std::strcmp(verb, "open") != 0) ||
      (parameters != nullptr && parameters[0] != '\0')) {
    return Result(SE_ERR_ACCESSDENIED);
  }
  if (!AcceptedAddress(file)) return Result(SE_ERR_NOASSOC);
  AddressLog& log = Log();
  {
    std::lock_guard<std::mutex> hold(log.lock);
    log.opened.emplace_back(file);
    if (log.capture) return Result(42);
  }
  std::string address(file);
  char program[] = "xdg-open";
  char* argv[] = {program, address.data(), nullptr};
  pid_t child = 0;
  if (posix_spawnp(&child, program, nullptr, nullptr, argv, environ) != 0) return Result(SE_ERR_FNF);
  std::thread([child] {
    int status = 0;
    waitpid(child, &status, 0);
  }).detach();
  return Result(42);
}

void HostTestCaptureAddresses(bool capture) {
  std::lock_guard<std::mutex> hold(Log().lock);
  Log().capture = capture;
}

std::vector<std::string> HostTestOpenedAddresses() {
  std::lock_guard<std::mutex> hold(Log().lock);
  return Log().opened;
}

void HostTestClearOpenedAddresses() {
  std::lock_guard<std::mutex> hold(Log().lock);
  Log().opened.clear();
}
