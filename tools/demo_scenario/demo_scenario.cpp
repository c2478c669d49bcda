// Writes the demo scenario into a folder: "cs.cfg" and the packed data file "Data/Data001.dat" (with
// "-loose" also the same files as a loose tree in "DataTree/"). Its pictures are drawn here: the loading screen
// the game shows first, and the about box.
#include <cstdio>
#include <filesystem>
#include <string>

#include "tools/scenario_writer/config_writer.h"
#include "tools/scenario_writer/picture_writer.h"
#include "tools/scenario_writer/scenario_files.h"

namespace sw = scenario_writer;

namespace {

sw::Bytes DrawLoadingScreen() {
  sw::Canvas canvas(640, 480);
  canvas.VerticalGradient(0, 300, sw::Rgb{32, 48, 120}, sw::Rgb{240, 170, 110});
  canvas.FillCircle(470, 250, 60, sw::Rgb{255, 220, 120});
  canvas.FillPeak(150, 140, -60, 380, 330, sw::Rgb{70, 60, 90});
  canvas.FillPeak(420, 180, 200, 700, 330, sw::Rgb{90, 70, 100});
  canvas.VerticalGradient(300, 480, sw::Rgb{60, 110, 50}, sw::Rgb{20, 50, 20});
  canvas.FillPeak(150, 140, 120, 180, 170, sw::Rgb{240, 240, 250});
  // A banner where the title stands, and a frame around the screen.
  canvas.FillRect(120, 360, 400, 60, sw::Rgb{90, 40, 20});
  canvas.FillRect(126, 366, 388, 48, sw::Rgb{200, 160, 80});
  for (int32_t i = 0; i < 6; ++i) {
    canvas.FillRect(0, i, 640, 1, sw::Rgb{40, 25, 10});
    canvas.FillRect(0, 479 - i, 640, 1, sw::Rgb{40, 25, 10});
    canvas.FillRect(i, 0, 1, 480, sw::Rgb{40, 25, 10});
    canvas.FillRect(639 - i, 0, 1, 480, sw::Rgb{40, 25, 10});
  }
  return sw::EncodeBmp24(canvas);
}

sw::Bytes DrawAboutBox() {
  sw::Canvas canvas(640, 480, sw::Rgb{30, 30, 40});
  canvas.FillRect(170, 140, 300, 200, sw::Rgb{200, 160, 80});
  canvas.FillRect(180, 150, 280, 180, sw::Rgb{250, 240, 210});
  canvas.FillCircle(320, 240, 50, sw::Rgb{90, 40, 20});
  return sw::EncodeBmp24(canvas);
}

// An event that does nothing: no main actions, no labelled actions, flag 0.
sw::Bytes EmptyEvent() { return sw::Bytes{0, 0, 0, 0, 0, 0}; }

sw::ScenarioFiles BuildDemo() {
  sw::ConfigSpec config;
  config.scenarioName = "Kestrival Demo";
  config.secondName = "Demo";
  config.layouts[15].name = "Loading.bmp";
  config.layouts[11].name = "About.bmp";
  config.globalNames = {"gb_visits"};
  config.depthCode = 2;
  config.menuLists[0] = sw::MenuListSpec{"Help", {{"How to play", "HowToPlay"}}};
  config.menuLists[1] = sw::MenuListSpec{"File", {{"New game/n", "NewGame"}, {"-", ""}}};
  config.menuLists[2] = sw::MenuListSpec{"Game", {{"Look around/l", "LookAround"}}};

  sw::ScenarioFiles files;
  files.Add("Config", sw::EncodeConfig(config));
  files.Add("Pictures/Loading.bmp", DrawLoadingScreen());
  files.Add("Pictures/About.bmp", DrawAboutBox());
  for (const char* event : {"StartGame", "HowToPlay", "NewGame", "LookAround"}) {
    files.Add(std::string("Events/Defs/") + event + ".cet", EmptyEvent());
  }
  files.AddEmptyRecordFolders();
  return files;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: demo_scenario <folder> [-loose]\n");
    return 2;
  }
  std::filesystem::path folder = argv[1];
  std::error_code code;
  std::filesystem::create_directories(folder / "Data", code);
  sw::ScenarioFiles files = BuildDemo();
  std::string error;
  if (!files.WriteArchive(folder / "Data" / "Data001.dat", &error) ||
      (argc > 2 && std::string(argv[2]) == "-loose" && !files.WriteLooseTree(folder / "DataTree", &error)) ||
      !sw::WriteBytesToFile(folder / "cs.cfg", sw::Bytes{'-', 'f', ' ', '-', 'p', 'D', 'a', 't', 'a', '/', 'D', 'a',
                                                           't', 'a', '0', '0', '1', '.', 'd', 'a', 't', '\n'},
                            &error)) {
    std::fprintf(stderr, "demo_scenario: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
