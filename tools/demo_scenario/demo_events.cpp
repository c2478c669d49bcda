// The actions the demo's events are written with. The game chooses an action's kind by the start of its name, so
// the names are written whole, as a scenario's author reads them.
#include <string>

#include "tools/demo_scenario/demo_builders.h"

namespace demo_scenario {

sw::ActionSpec Say(const std::string& text, const std::vector<Choice>& choices, const std::string& picture) {
  sw::ActionSpec action{"", "Display", {picture, text, "", "", "", "", "", "", "", ""}};
  for (size_t i = 0; i < choices.size() && i < 3; ++i) {
    action.params[2 + 2 * i] = choices[i].caption;
    action.params[3 + 2 * i] = choices[i].label;
  }
  return action;
}

sw::ActionSpec Engine(EngineCommand command) { return {"", "Engine", {std::to_string(command)}}; }

sw::EventSpec EngineEvent(EngineCommand command) { return {{Engine(command)}, {}, 0}; }

sw::ActionSpec Call(const std::string& event) { return {"", "Call", {event}}; }

sw::ActionSpec Travel(const std::string& location) { return {"", "Teleport", {location, "", ""}}; }

sw::ActionSpec If(const std::string& conditions, const std::string& thenLabel, const std::string& elseLabel) {
  return {"", "Conditional", {conditions, "0", "", thenLabel, elseLabel}};
}

sw::ActionSpec Labelled(const std::string& label, sw::ActionSpec action) {
  action.label = label;
  return action;
}

void AddEvent(sw::ScenarioFiles& files, const std::string& name, const sw::EventSpec& event) {
  files.Add("Events/Defs/" + name + ".cet", sw::EncodeEvent(event));
}

}  // namespace demo_scenario
