// Loading the media libraries by their versioned names (see media_library.h).
#include "media_library.h"

#include <dlfcn.h>

#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>

#include "host/testing_sound.h"

namespace host {
namespace {

// The shared objects, each by the major version the headers were made for, in the order of their dependencies.
const char* const kLibraryNames[] = {
    "libavutil.so." AV_STRINGIFY(LIBAVUTIL_VERSION_MAJOR),
    "libswresample.so." AV_STRINGIFY(LIBSWRESAMPLE_VERSION_MAJOR),
    "libswscale.so." AV_STRINGIFY(LIBSWSCALE_VERSION_MAJOR),
    "libavcodec.so." AV_STRINGIFY(LIBAVCODEC_VERSION_MAJOR),
    "libavformat.so." AV_STRINGIFY(LIBAVFORMAT_VERSION_MAJOR),
};

struct Loader {
  std::once_flag loadedOnce;
  std::once_flag told;  // the failure written to standard error
  MediaLibrary table;
  bool loaded = false;
  std::atomic<bool> tried{false};  // set once the load has finished, so that its error may be read
  bool hidden = false;  // set by the test seam to act as if the libraries were missing
  std::string error;
};

Loader& State() {
  static Loader* loader = new Loader;
  return *loader;
}

bool Load(Loader& loader) {
  void* handles[std::size(kLibraryNames)] = {};
  for (size_t i = 0; i < std::size(kLibraryNames); ++i) {
    handles[i] = dlopen(kLibraryNames[i], RTLD_NOW | RTLD_LOCAL);
    if (handles[i] == nullptr) {
      const char* reason = dlerror();
      loader.error = std::string(kLibraryNames[i]) + " could not be loaded" + (reason ? std::string(": ") + reason : "");
      return false;
    }
  }
  auto find = [&](const char* name) -> void* {
    for (void* handle : handles) {
      if (void* found = dlsym(handle, name)) return found;
    }
    loader.error = std::string("the media libraries have no function ") + name;
    return nullptr;
  };
#define KESTRIVAL_MEDIA_FIND(name)                                                   \
  loader.table.name = reinterpret_cast<decltype(loader.table.name)>(find(#name)); \
  if (loader.table.name == nullptr) return false;
  KESTRIVAL_MEDIA_FUNCTIONS(KESTRIVAL_MEDIA_FIND)
#undef KESTRIVAL_MEDIA_FIND
  // The libraries stay loaded for the life of the process.
  loader.table.av_log_set_level(AV_LOG_QUIET);
  return true;
}

}  // namespace

const MediaLibrary* LoadMediaLibrary() {
  Loader& loader = State();
  if (loader.hidden) return nullptr;
  std::call_once(loader.loadedOnce, [&loader] {
    loader.loaded = Load(loader);
    loader.tried = true;
  });
  if (!loader.loaded) {
    std::call_once(loader.told, [&loader] {
      std::fprintf(stderr, "Music and movies are off: %s\n", loader.error.c_str());
    });
  }
  return loader.loaded ? &loader.table : nullptr;
}

const MediaLibrary& Av() { return State().table; }

const char* MediaLibraryError() {
  static const std::string hiddenError = std::string(kLibraryNames[0]) + " could not be loaded: hidden by the test";
  Loader& loader = State();
  if (loader.hidden) return hiddenError.c_str();
  // The error is written only while the libraries load.
  return loader.tried ? loader.error.c_str() : "";
}

}  // namespace host

void HostTestHideMediaLibraries(bool hidden) { host::State().hidden = hidden; }

const char* HostTestMediaLibraryError() { return host::MediaLibraryError(); }
