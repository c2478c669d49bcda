// The demo's story around the places: the title ("StartGame": the theme, then the title picture and the choice of a
// new game, a saved game or quitting), the menus and their events, the help, the start of a new game ("Main": level
// 1, a potion, some gold, the mage's first spell, then the village) and the end of a game ("EndGame": the same
// choice as the title's; nothing when it is the end of a game that a chosen new game replaces).
#include <string>

#include "tools/demo_scenario/demo_drawing.h"
#include "tools/demo_scenario/demo_builders.h"
#include "tools/scenario_writer/picture_writer.h"

namespace demo_scenario {

namespace {

// The title: the village under the hills at dusk, the kestrel above, the wolf on the ridge, and the name.
sw::Canvas DrawTitle() {
  sw::Canvas canvas(440, 230);
  canvas.VerticalGradient(0, 150, sw::Rgb{40, 50, 110}, sw::Rgb{235, 150, 90});
  canvas.FillCircle(370, 122, 30, sw::Rgb{255, 210, 110});
  canvas.FillPeak(110, 70, -80, 300, 170, sw::Rgb{70, 60, 90});
  canvas.FillPeak(330, 112, 200, 520, 170, sw::Rgb{85, 65, 95});
  canvas.VerticalGradient(150, 230, sw::Rgb{55, 100, 45}, sw::Rgb{25, 55, 25});
  DrawWolf(canvas, 290, 168, 70, sw::Rgb{40, 35, 45});
  DrawHouse(canvas, 40, 172, 50, 34, sw::Rgb{150, 105, 65}, sw::Rgb{120, 45, 30});
  DrawHouse(canvas, 110, 182, 60, 30, sw::Rgb{170, 120, 70}, sw::Rgb{140, 50, 30});
  DrawTree(canvas, 200, 176, 16);
  DrawKestrel(canvas, 200, 100, 60, sw::Rgb{60, 35, 30});
  const std::string name = "KESTRIVAL";
  DrawLetters(canvas, (440 - LettersWidth(name, 5)) / 2 + 2, 22, name, 5, sw::Rgb{30, 20, 40});
  DrawLetters(canvas, (440 - LettersWidth(name, 5)) / 2, 20, name, 5, sw::Rgb{250, 225, 150});
  for (int32_t i = 0; i < 3; ++i) {
    canvas.FillRect(0, i, 440, 1, colour::kWood);
    canvas.FillRect(0, 229 - i, 440, 1, colour::kWood);
    canvas.FillRect(i, 0, 1, 230, colour::kWood);
    canvas.FillRect(439 - i, 0, 1, 230, colour::kWood);
  }
  return canvas;
}

void AddMenus(sw::ScenarioFiles& files, sw::ConfigSpec& config) {
  config.menuLists[0] = sw::MenuListSpec{"Help", {{"How to play/h", "HowToPlay"}}};
  config.menuLists[1] = sw::MenuListSpec{
      "File", {{"New/n", "MenuNew"}, {"Open/o", "MenuOpen"}, {"Save/s", "MenuSave"}, {"End game/e", "MenuEnd"}, {"-", ""}}};
  config.menuLists[2] = sw::MenuListSpec{"Game",
                                         {{"Inventory/i", "MenuInventory"},
                                          {"Character/k", "MenuCharacter"},
                                          {"Spells/m", "MenuSpells"},
                                          {"Journal/j", "MenuJournal"}}};
  const std::pair<const char*, EngineCommand> commands[] = {
      {"MenuNew", kNewGame},         {"MenuOpen", kOpenGame},           {"MenuSave", kSaveGame},
      {"MenuEnd", kEndGame},         {"MenuInventory", kInventory},     {"MenuCharacter", kCharacterSheet},
      {"MenuSpells", kSpellCasting}, {"MenuJournal", kJournal}};
  for (const auto& [event, command] : commands) {
    if (command != kNewGame) AddEvent(files, event, EngineEvent(command));
  }
  // A new game from the menu ends the running one first: that end passes without the end screen.
  AddEvent(files, "MenuNew", {{{"", "Change Global", {kTaleTold, "1", kNewGameChosen}}, Engine(kNewGame)}, {}, 0});
  AddEvent(files, "HowToPlay",
           {{Say("Click where you would go: the trader's door, the well, or the road east to the meadow. The buttons "
                 "under the picture open your pack, your spells, your journal and your sheet. On the meadow click to "
                 "walk, and click the wolf to fight it. Ctrl+S saves the game and Ctrl+O opens one.")},
            {},
            0});
}

// A screen of the title's picture, a text and the choice of a new game, a saved game or quitting: the event
// `name` and its helper "<name>Open". A saved game is opened by the menu's own event, which the command ends; the
// helper then looks whether a game came of it, and when none did (the chooser cancelled, or the file refused with
// its message) it shows the screen again, so that the player is never left without a choice. Each time the screen
// comes back the events nest a little deeper; the menus' New and Open stay at hand should they ever run out. With
// `silentForNewGame` the screen is not shown when the player has just chosen a new game (at the end of the tale or
// from the menu), which ends the running game first.
void AddChoiceScreen(sw::ScenarioFiles& files, const std::string& name, const std::string& text,
                     bool silentForNewGame) {
  const std::vector<Choice> choices = {{"New game", "new"}, {"Open a saved game", "open"}, {"Quit", "quit"}};
  std::vector<sw::ActionSpec> main;
  if (silentForNewGame) main.push_back(If(std::string(kTaleTold) + ",is equal to," + kNewGameChosen, "anew", ""));
  main.push_back(Say(text, choices, "Title"));
  AddEvent(files, name,
           {main,
            {Labelled("new", Engine(kNewGame)), Labelled("open", Call(name + "Open")), Labelled("quit", Engine(kQuit)),
             Labelled("anew", {"", "End", {}})},
            0});
  AddEvent(files, name + "Open",
           {{Call("MenuOpen"), If("GameInProgress,is equal to,1", "opened", ""), Call(name)},
            {Labelled("opened", {"", "End", {}})},
            0});
}

}  // namespace

void AddStory(sw::ScenarioFiles& files, sw::ConfigSpec& config) {
  AddMenus(files, config);
  files.Add("Events/Pics/Title.pct", sw::EncodeBmp24(DrawTitle()));

  AddEvent(files, "StartGame", {{{"", "Play music", {"Theme", ""}}, Call("Title")}, {}, 0});
  AddChoiceScreen(files, "Title",
                  "A village keeps the road to the old shrine. Since the wolf came down to the meadow, nobody has "
                  "walked that way.",
                  false);

  // A new player, made at level 0, begins at level 1, carries a potion and some gold, a mage knows its first spell,
  // and the tale starts in the village.
  AddEvent(files, "Main",
           {{{"", "Attribute", {"Level", "1", "1"}},
             {"", "Items", {"Healing potion", "1"}},
             {"", "Gold", {"1", "30"}},
             {"", "Change Global", {kPlayerClass, "1", "&&Job"}},
             If(std::string(kPlayerClass) + ",is equal to,mage", "mage", ""),
             Travel("Village")},
            {Labelled("mage", {"", "Spells", {"Spark", "1"}})},
            0});

  AddChoiceScreen(files, "EndGame",
                  "Your tale has ended here. Begin a new one, take up a saved one, or leave the village for now?",
                  true);
}

}  // namespace demo_scenario
