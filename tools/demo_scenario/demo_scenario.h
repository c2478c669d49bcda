// The demo scenario "Kestrival Demo", made whole by the scenario writer: its Config, records, events, locations,
// animation sets, pictures drawn on the writer's canvas, and its sounds and music. The build step writes it beside
// the program, and the tests write it into folders of their own.
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "tools/scenario_writer/config_writer.h"
#include "tools/scenario_writer/scenario_files.h"

namespace demo_scenario {

// A file the game reads from the disk beside the data file rather than from the scenario's data: a sound of
// "Sounds/" or a tune of "Music/", under its path relative to the data file's folder.
struct MediaFile {
  std::string path;
  scenario_writer::Bytes bytes;
};

struct DemoScenario {
  scenario_writer::ConfigSpec config;   // as written into the data's "Config"
  scenario_writer::ScenarioFiles data;  // packed into the archive, or written as the loose tree
  std::vector<MediaFile> media;
};

// The whole scenario in memory.
DemoScenario MakeDemoScenario();

// Writes the scenario into folder: "cs.cfg" naming the archive, the archive "Data/Data001.dat" and the media under
// "Data/"; with looseTree also the same data as a loose tree in "DataTree/". False, with a reason, when a file
// cannot be written.
bool BuildDemoScenario(const std::filesystem::path& folder, bool looseTree, std::string* error = nullptr);

}  // namespace demo_scenario
