// Fuzz target: the start-up file "cs.cfg". The input becomes the file in the default folder (a scratch folder
// holding a packed data file and a loose scenario folder for it to name) and the game's start-up reads it and
// opens the data it names; the game is then shut down as after a run. Every option the game asks for is also
// looked up on its own: a value found must be a part of the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz/fuzz_folder.h"
#include "game/shell/main_function.h"
#include "game/shell/main_window.h"
#include "game/shell/scenario_config.h"
#include "game/shell/startup_options.h"
#include "host/testing.h"
#include "platform/core/file_manager.h"
#include "platform/core/platform_stream.h"
#include "tools/scenario_writer/config_writer.h"

namespace sw = scenario_writer;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  HostTestSetHeadless(true);
  FuzzFolder& folder = TheFuzzFolder();
  sw::ScenarioFiles files;
  files.Add("Config", sw::EncodeConfig(sw::ConfigSpec{}));
  sw::Bytes archive;
  if (!files.BuildArchive(archive)) std::abort();
  folder.Write("Data/Data001.dat", archive);
  folder.Write("Vale/Config", sw::EncodeConfig(sw::ConfigSpec{}));
  StartFilesInFuzzFolder();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;  // a command line
  const std::string text(reinterpret_cast<const char*>(data), size);
  for (const char* letter : {"p", "f", "w", "a", "b", "j"}) {
    std::string value;
    if (GetCommandLineOption(value, text, letter)) FuzzCheck(text.find(value) != std::string::npos);
  }
  TheFuzzFolder().Write("cs.cfg", data, size);
  if (ReadStartupConfig(StartupWindowParams{}) == 0) {
    FuzzCheck(!GetDataPath().empty());
    ReadScenarioConfig();  // the data the file names, as the next start-up step opens it
  }
  ShutdownGame();
  FuzzCheck(PlatformStream::FirstOpen() == nullptr);
  return 0;
}
