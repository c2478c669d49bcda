// The demo's meadow: a small tile map east of the village, where a wolf roams the grass. The player walks it from
// the village's road, meets the wolf, which notices the player within a few cells and fights in timed rounds,
// finds the old shrine's stones at the road's east end, and leaves it by its west edge, back to the village.
#pragma once

#include "tools/scenario_writer/config_writer.h"
#include "tools/scenario_writer/scenario_files.h"

namespace demo {

// The meadow's name as a location, and the gate that leads into it at the west end of its road.
constexpr const char* kMeadow = "Meadow";
constexpr const char* kMeadowGate = "Meadow gate";
// The events the meadow fires and the story writes: the player stops on the old shrine's stones at the road's east
// end, and the wolf falls.
constexpr const char* kShrineStonesEvent = "ShrineStones";
constexpr const char* kWolfFallsEvent = "WolfFalls";

// Writes the meadow into the scenario: its map file, its location record (west edge to `westOf`) and its gate, the
// ground pictures, the player's figure (the scenario's default player sprite) and the wolf's, the wolf's NPC
// definition, and the picture of a pile of gold (the scenario's). The map's frame, screen layout 17, is the status
// panel's.
void AddMeadow(scenario_writer::ScenarioFiles& files, scenario_writer::ConfigSpec& config, const char* westOf);

}  // namespace demo
