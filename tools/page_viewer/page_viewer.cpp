// The page viewer: shows a markup file or folder ("index.iml") in a window of its own until the page closes.
// Usage: page_viewer <folder or file> [section]
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/core/core.h"
#include "tools/page_viewer/page_window.h"

namespace {

// The file manager's path text of a path on this machine: "/C" and the absolute path.
std::string PathTextOf(const char* argument) {
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(argument, error);
  return "/C" + (error ? std::string(argument) : absolute.lexically_normal().string());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: %s <folder or file> [section]\n", argv[0]);
    return 2;
  }
  PageWindow window(nullptr, nullptr);
  const std::string path = PathTextOf(argv[1]);
  PlatformError error = window.Open(0, path.c_str(), argc == 3 ? argv[2] : nullptr);
  if (error != kPlatformNoError) {
    std::fprintf(stderr, "%s: cannot open %s (error %d)\n", argv[0], argv[1], static_cast<int>(error));
    if (!window.IsOpen()) return 1;
  }
  int code = window.Run();
  PlatformShutdown();
  return code;
}
