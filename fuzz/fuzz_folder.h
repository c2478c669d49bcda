// Shared by the fuzz targets that read files: a failed check that stops the run, and a scratch folder made once
// per run in memory ("/dev/shm", where writing a file costs no disk) or else under the system's temporary folder,
// with $KESTRIVAL_HOME pointed into it so that the special folders (the preferences file's folder among them)
// never reach the user's own.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/core/file_manager.h"
#include "tools/scenario_writer/scenario_files.h"

// A broken promise of the code under test: libFuzzer keeps the input that led here.
inline void FuzzCheck(bool holds) {
  if (!holds) std::abort();
}

class FuzzFolder {
 public:
  FuzzFolder() {
    std::error_code code;
    std::filesystem::path under =
        std::filesystem::is_directory("/dev/shm", code) ? "/dev/shm" : std::filesystem::temp_directory_path();
    std::string pattern = (under / "kestrival-fuzz-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
      std::perror("mkdtemp");
      std::abort();
    }
    path_ = pattern;
    setenv("KESTRIVAL_HOME", (path_ / "home").c_str(), 1);
  }
  ~FuzzFolder() {
    std::error_code code;
    std::filesystem::remove_all(path_, code);
  }
  FuzzFolder(const FuzzFolder&) = delete;
  FuzzFolder& operator=(const FuzzFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  // The folder as the framework's path text names it from the root ("/C/tmp/kestrival-fuzz-...").
  std::string PathText() const { return "/C" + path_.string(); }

  // Writes bytes to a file under the folder, making the folders on the way; aborts when it cannot, since every
  // later input would then test nothing.
  void Write(const std::string& relative, const uint8_t* data, size_t size) const {
    std::error_code code;
    std::filesystem::create_directories((path_ / relative).parent_path(), code);
    std::FILE* file = std::fopen((path_ / relative).c_str(), "wb");
    if (file == nullptr || (size != 0 && std::fwrite(data, 1, size, file) != size) || std::fclose(file) != 0) {
      std::perror(relative.c_str());
      std::abort();
    }
  }
  void Write(const std::string& relative, const scenario_writer::Bytes& bytes) const {
    Write(relative, bytes.data(), bytes.size());
  }

 private:
  std::filesystem::path path_;
};

// The run's one scratch folder, made at the first call. It outlives the game's globals, which may still name
// files in it while the process ends, and is removed when the run ends.
inline FuzzFolder& TheFuzzFolder() {
  static FuzzFolder* folder = [] {
    auto* made = new FuzzFolder;
    std::atexit([] { delete &TheFuzzFolder(); });
    return made;
  }();
  return *folder;
}

// Starts the file manager with the scratch folder as the default folder, as the program's own folder is.
inline void StartFilesInFuzzFolder() {
  FolderRef here = 0;
  FuzzCheck(PlatformFileSystemStartup() == kPlatformNoError &&
            PlatformResolveFolder(0, TheFuzzFolder().PathText().c_str(), &here) == kPlatformNoError &&
            PlatformSetDefaultFolder(here, static_cast<const char*>(nullptr)) == kPlatformNoError);
}
