// Fuzz target: the preferences file. The input becomes the scenario's ".ini" file in the Windows folder (a
// scratch folder here) and is loaded as a preferences file loads it: an empty file keeps the settings held
// before; any other file gives settings that save as records sorted by key, which load and save again to the
// same bytes. Then the game's start-up reads a scenario of that name, which loads the file and takes its music
// volume: a volume of 0 to 100 whatever the file holds.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "fuzz/fuzz_folder.h"
#include "game/shell/data/preferences.h"
#include "game/shell/main_function.h"
#include "game/shell/main_window.h"
#include "game/shell/media/music_player.h"
#include "game/shell/scenario_config.h"
#include "game/shell/startup_options.h"
#include "host/testing.h"
#include "platform/core/file_manager.h"
#include "tools/scenario_writer/config_writer.h"

namespace sw = scenario_writer;

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

constexpr const char* kScenarioName = "Fuzz Isle";

// The start-up's reading of the scenario, which loads its preferences file.
void ReadScenario() {
  FuzzCheck(ReadStartupConfig(StartupWindowParams{}) == 0);
  FuzzCheck(ReadScenarioConfig());
  FuzzCheck(MusicVolume() >= 0 && MusicVolume() <= 100);
  ShutdownGame();
  SetMusicVolume(100);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  HostTestSetHeadless(true);
  FuzzFolder& folder = TheFuzzFolder();
  folder.Write("cs.cfg", sw::Bytes{'-', 'p', 'V', 'a', 'l', 'e'});
  sw::ConfigSpec config;
  config.scenarioName = kScenarioName;
  folder.Write("Vale/Config", sw::EncodeConfig(config));
  StartFilesInFuzzFolder();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 16)) return 0;
  PrefsFile prefs(kScenarioName);
  FuzzCheck(!prefs.Folder().empty());
  TheFuzzFolder().Write(RelativePathOf(prefs), data, size);
  prefs.Set("held", "before");
  prefs.Load();
  if (size == 0) {
    FuzzCheck(prefs.HasKey("held"));  // nothing to read: the settings stay
  } else {
    FuzzCheck(prefs.Save());
    std::string saved = Contents(prefs);
    FuzzCheck(WellFormed(saved));
    PrefsFile again(kScenarioName);
    again.Load();
    FuzzCheck(again.Save());
    FuzzCheck(Contents(again) == saved);
  }
  TheFuzzFolder().Write(RelativePathOf(prefs), data, size);
  ReadScenario();
  return 0;
}
