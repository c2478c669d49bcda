// The builders of the demo scenario, a file each, and the event helpers they share. Each builder adds its files to
// the scenario and what it needs of the Config (its screen layouts, menu entries and global variables).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "tools/demo_scenario/demo_scenario.h"
#include "tools/scenario_writer/config_writer.h"
#include "tools/scenario_writer/record_writer.h"
#include "tools/scenario_writer/scenario_files.h"

namespace demo_scenario {

namespace sw = scenario_writer;

// The engine commands the demo's events give ("Engine" actions).
enum EngineCommand : int {
  kSaveGame = 1,
  kOpenGame = 2,
  kInventory = 3,
  kCharacterSheet = 4,
  kNewGame = 5,
  kEndGame = 6,
  kQuit = 7,
  kSpellCasting = 8,
  kJournal = 17,
};

// A message's choice: its caption and the label of the action it runs.
struct Choice {
  std::string caption;
  std::string label;
};

// "Display": a text with up to three choices, below a picture of "Events/Pics/" when one is named.
sw::ActionSpec Say(const std::string& text, const std::vector<Choice>& choices = {}, const std::string& picture = "");
sw::ActionSpec Engine(EngineCommand command);
// An event that gives one engine command, as the menus and the map buttons do.
sw::EventSpec EngineEvent(EngineCommand command);
sw::ActionSpec Call(const std::string& event);
sw::ActionSpec Travel(const std::string& location);
// "Conditional" on one condition ("subject,operator,value"; several joined by "****" must all hold).
sw::ActionSpec If(const std::string& conditions, const std::string& thenLabel, const std::string& elseLabel);
sw::ActionSpec Labelled(const std::string& label, sw::ActionSpec action);
// "Events/Defs/<name>.cet".
void AddEvent(sw::ScenarioFiles& files, const std::string& name, const sw::EventSpec& event);

// The global variables the story keeps: the wolf of the meadow is dead (set by the meadow), the shrine has told the
// end of the tale (1, or kNewGameChosen once the player chose a new game, there or from the menu: the end of the
// game that this ends then shows no end screen), and the player's class as a name.
inline constexpr const char* kWolfSlain = "gb_wolf";
inline constexpr const char* kTaleTold = "gb_told";
inline constexpr const char* kNewGameChosen = "2";
inline constexpr const char* kPlayerClass = "gb_class";

// The builders, each in a file of its name.
void AddStory(sw::ScenarioFiles& files, sw::ConfigSpec& config);    // title, menus, help, new game, end
void AddDialogs(sw::ScenarioFiles& files, sw::ConfigSpec& config);  // the dialogs' layouts and pictures
void AddPanel(sw::ScenarioFiles& files, sw::ConfigSpec& config);    // the status panel and its map buttons
void AddRecords(sw::ScenarioFiles& files);                          // races, classes, spells, items
void AddVillage(sw::ScenarioFiles& files);                          // the village, its well and the trader
void AddShrine(sw::ScenarioFiles& files);                           // the shrine and the end of the tale
std::vector<MediaFile> MakeMedia();                                 // the ten slot sounds and the theme

}  // namespace demo_scenario
