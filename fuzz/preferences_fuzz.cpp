// Fuzz target: the preferences file. The input becomes the scenario's ".ini" file in the Windows folder (a
// scratch folder here) and is loaded as the game loads it. An empty file keeps the settings held before; any
// other file gives settings that save as records sorted by key, which load and save again to the same bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "fuzz/fuzz_folder.h"
#include "game/shell/data/preferences.h"
#include "platform/core/file_manager.h"

namespace {

// The file's place on this machine: the "C:\..." Windows folder as a POSIX path, relative to the scratch folder.
std::string RelativePathOf(const PrefsFile& prefs) {
  std::string path = prefs.Folder().substr(2) + prefs.FileName();
  std::replace(path.begin(), path.end(), '\\', '/');
  return std::filesystem::path(path).lexically_relative(TheFuzzFolder().Path()).string();
}

std::string Contents(const PrefsFile& prefs) {
  std::ifstream in(TheFuzzFolder().Path() / RelativePathOf(prefs), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Records of a length byte and key, "=", a length byte and value, and a carriage return, keys strictly rising.
bool WellFormed(const std::string& file) {
  std::string previous;
  bool first = true;
  size_t at = 0;
  while (at < file.size()) {
    if (at + 1 > file.size()) return false;
    size_t keyLength = static_cast<uint8_t>(file[at]);
    if (at + 1 + keyLength + 2 > file.size() || file[at + 1 + keyLength] != '=') return false;
    std::string key = file.substr(at + 1, keyLength);
    size_t valueAt = at + 1 + keyLength + 1;
    size_t valueLength = static_cast<uint8_t>(file[valueAt]);
    if (valueAt + 1 + valueLength + 1 > file.size() || file[valueAt + 1 + valueLength] != '\r') return false;
    if (!first && !(previous < key)) return false;
    previous = key;
    first = false;
    at = valueAt + 1 + valueLength + 1;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  TheFuzzFolder();
  PlatformFileSystemStartup();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 16)) return 0;
  PrefsFile prefs("Fuzz Isle");
  FuzzCheck(!prefs.Folder().empty());
  TheFuzzFolder().Write(RelativePathOf(prefs), data, size);
  prefs.Set("held", "before");
  prefs.Load();
  if (size == 0) {
    FuzzCheck(prefs.HasKey("held"));  // nothing to read: the settings stay
    return 0;
  }
  FuzzCheck(prefs.Save());
  std::string saved = Contents(prefs);
  FuzzCheck(WellFormed(saved));
  PrefsFile again("Fuzz Isle");
  again.Load();
  FuzzCheck(again.Save());
  FuzzCheck(Contents(again) == saved);
  return 0;
}
