// The demo scenario as a whole: its Config (name, settings, global variables), the builders that fill it, and the
// writing of the scenario into a folder beside the program.
#include "tools/demo_scenario/demo_scenario.h"

#include <system_error>

#include "tools/demo_scenario/demo_meadow.h"
#include "tools/demo_scenario/demo_builders.h"

namespace demo_scenario {

namespace {

bool Fail(std::string* error, std::string reason) {
  if (error != nullptr) *error = std::move(reason);
  return false;
}

}  // namespace

DemoScenario MakeDemoScenario() {
  DemoScenario demo;
  sw::ConfigSpec& config = demo.config;
  config.scenarioName = "Kestrival Demo";
  config.secondName = "Demo";
  // A new game asks for the name, offers both races and both classes, and shows the creation dialog.
  config.askPlayerName = 1;
  config.offerAllRaces = 1;
  config.offerAllClasses = 1;
  config.characterCreation = 1;
  config.depthCode = 2;
  config.globalNames = {kWolfSlain, kTaleTold, kPlayerClass};

  sw::ScenarioFiles& files = demo.data;
  files.AddEmptyRecordFolders();
  AddDialogs(files, config);
  AddPanel(files, config);
  AddStory(files, config);
  AddRecords(files);
  AddVillage(files);
  AddShrine(files);
  demo::AddMeadow(files, config, "Village");
  // Last, with everything the builders put into it.
  files.Add("Config", sw::EncodeConfig(config));
  demo.media = MakeMedia();
  return demo;
}

bool BuildDemoScenario(const std::filesystem::path& folder, bool looseTree, std::string* error) {
  const DemoScenario demo = MakeDemoScenario();
  const std::filesystem::path data = folder / "Data";
  std::error_code code;
  std::filesystem::create_directories(data, code);
  if (code) return Fail(error, "cannot make folder " + data.string() + ": " + code.message());
  if (!demo.data.WriteArchive(data / "Data001.dat", error)) return false;
  for (const MediaFile& media : demo.media) {
    const std::filesystem::path file = data / media.path;
    std::filesystem::create_directories(file.parent_path(), code);
    if (code) return Fail(error, "cannot make folder " + file.parent_path().string() + ": " + code.message());
    if (!sw::WriteBytesToFile(file, media.bytes, error)) return false;
  }
  if (looseTree && !demo.data.WriteLooseTree(folder / "DataTree", error)) return false;
  const std::string startup = "-f -pData/Data001.dat\n";
  return sw::WriteBytesToFile(folder / "cs.cfg", sw::Bytes(startup.begin(), startup.end()), error);
}

}  // namespace demo_scenario
