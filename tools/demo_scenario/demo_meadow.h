// The demo's meadow: a small tile map east of the valley, where a wolf roams the grass. The player walks it from
// the valley's road, meets the wolf, which notices the player within a few cells and fights in timed rounds, and
// leaves it by its west edge, back to the valley.
#pragma once

#include "tools/scenario_writer/config_writer.h"
#include "tools/scenario_writer/scenario_files.h"

namespace demo {

// The meadow's name as a location, and the gate that leads into it at the west end of its road.
constexpr const char* kMeadow = "Meadow";
constexpr const char* kMeadowGate = "Meadow gate";

// Writes the meadow into the scenario: its map file, its location record (west edge to `westOf`) and its gate, the
// ground pictures, the player's figure (the scenario's default player sprite) and the wolf's, and the wolf's NPC
// definition. The map's frame, screen layout 17, is the status panel's.
void AddMeadow(scenario_writer::ScenarioFiles& files, scenario_writer::ConfigSpec& config, const char* westOf);

}  // namespace demo
