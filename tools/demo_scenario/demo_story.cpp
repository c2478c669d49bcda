// The demo's story around the places: the title ("StartGame": the theme, then the title screen), the menus and their
// events, the help, the start of a new game ("Main": level 1, a potion, some gold, the mage's first spell, then the
// village) and the end of a game ("EndGame": the end screen, which tells how the tale ended; nothing when it is the
// end of a game that a chosen new game replaces).
//
// The title and the end screens are still screens whose pictures show three buttons: a new game, a saved game and
// quitting. Each button is a hotspot leading to a place that only gives its command, so the screen stays where it
// is under the command: when no game comes of it (the chooser cancelled, or a file refused with its message) the
// screen is simply still there. Every click is taken from the main loop and returns to it, so nothing nests however
// often the player comes back to a screen.
#include <iterator>
#include <string>
#include <vector>

#include "tools/demo_scenario/demo_drawing.h"
#include "tools/demo_scenario/demo_builders.h"
#include "tools/scenario_writer/location_writer.h"
#include "tools/scenario_writer/picture_writer.h"

namespace demo_scenario {

namespace {

constexpr int32_t kScreenWidth = 640, kScreenHeight = 480;
constexpr const char* kTitleScreen = "Title";
constexpr const char* kEndScreen = "End";
constexpr const char* kFallenScreen = "Fallen";

// The banner of a choice screen, its lines of text and its three buttons.
constexpr int32_t kBannerX = 40, kBannerY = 296, kBannerWidth = 560, kBannerHeight = 176;
constexpr int32_t kLineTop = 322, kLinePitch = 22, kLineScale = 2;
constexpr int32_t kButtonTop = 404, kButtonHeight = 40, kButtonGap = 24;

// A button of the choice screens: the place its hotspot leads to, its caption and width, and the command given
// there.
struct ScreenButton {
  const char* place;
  const char* caption;
  int16_t width;
  EngineCommand command;
};
constexpr ScreenButton kScreenButtons[] = {{"New game", "NEW GAME", 140, kNewGame},
                                           {"Open a saved game", "OPEN A SAVED GAME", 224, kOpenGame},
                                           {"Quit", "QUIT", 100, kQuit}};

// The buttons' hotspots, side by side along the bottom of the banner.
std::vector<sw::HotspotSpec> ScreenButtonSpots() {
  int32_t width = kButtonGap * (static_cast<int32_t>(std::size(kScreenButtons)) - 1);
  for (const ScreenButton& button : kScreenButtons) width += button.width;
  std::vector<sw::HotspotSpec> spots;
  int32_t x = (kScreenWidth - width) / 2;
  for (const ScreenButton& button : kScreenButtons) {
    spots.push_back({button.place, static_cast<int16_t>(x), kButtonTop, button.width, kButtonHeight});
    x += button.width + kButtonGap;
  }
  return spots;
}

// The scene above a choice screen's banner.
enum class Scene { kDusk, kNight, kFallen };

void DrawScene(sw::Canvas& canvas, Scene scene) {
  const bool dark = scene != Scene::kDusk;
  if (scene == Scene::kDusk) {
    canvas.VerticalGradient(0, 236, sw::Rgb{40, 50, 110}, sw::Rgb{235, 150, 90});
    canvas.FillCircle(372, 196, 36, sw::Rgb{255, 210, 110});
  } else if (scene == Scene::kNight) {
    canvas.VerticalGradient(0, 236, sw::Rgb{10, 15, 40}, sw::Rgb{50, 45, 90});
    for (int32_t star = 0; star < 24; ++star) {
      canvas.FillRect((star * 173 + 41) % 620 + 10, (star * 97 + 13) % 120 + 90, 2, 2, sw::Rgb{230, 230, 200});
    }
    canvas.FillCircle(520, 130, 28, sw::Rgb{240, 235, 200});
    canvas.FillCircle(532, 122, 24, sw::Rgb{22, 26, 56});
  } else {
    canvas.VerticalGradient(0, 236, sw::Rgb{50, 20, 35}, sw::Rgb{160, 70, 55});
  }
  canvas.FillPeak(160, 110, -100, 420, 236, dark ? sw::Rgb{35, 30, 50} : sw::Rgb{70, 60, 90});
  canvas.FillPeak(470, 150, 280, 740, 236, dark ? sw::Rgb{45, 35, 55} : sw::Rgb{85, 65, 95});
  canvas.VerticalGradient(230, kScreenHeight, dark ? sw::Rgb{30, 55, 30} : sw::Rgb{55, 100, 45},
                          dark ? sw::Rgb{10, 25, 10} : sw::Rgb{25, 55, 25});
  if (scene == Scene::kFallen) {
    // The meadow's road, and the wolf on it.
    canvas.FillRect(0, 252, kScreenWidth, 18, sw::Rgb{110, 90, 60});
    DrawWolf(canvas, 250, 270, 150, sw::Rgb{30, 25, 35});
    return;
  }
  DrawHouse(canvas, 60, 246, 64, 40, sw::Rgb{150, 105, 65}, sw::Rgb{120, 45, 30});
  DrawHouse(canvas, 160, 256, 76, 36, sw::Rgb{170, 120, 70}, sw::Rgb{140, 50, 30});
  DrawTree(canvas, 290, 236, 20);
  if (scene == Scene::kDusk) {
    DrawWolf(canvas, 440, 246, 90, sw::Rgb{40, 35, 45});
    DrawKestrel(canvas, 300, 150, 80, sw::Rgb{60, 35, 30});
  }
}

// A choice screen's picture: the scene, its heading in large letters, and the banner with the lines and the
// buttons.
sw::Canvas DrawChoiceScreen(Scene scene, const std::string& heading, const std::vector<std::string>& lines) {
  sw::Canvas canvas(kScreenWidth, kScreenHeight);
  DrawScene(canvas, scene);
  const int32_t headingX = (kScreenWidth - LettersWidth(heading, 7)) / 2;
  DrawLetters(canvas, headingX + 3, 33, heading, 7, sw::Rgb{30, 20, 40});
  DrawLetters(canvas, headingX, 30, heading, 7, sw::Rgb{250, 225, 150});
  DrawFrame(canvas, kBannerX, kBannerY, kBannerWidth, kBannerHeight);
  for (size_t i = 0; i < lines.size(); ++i) {
    DrawLetters(canvas, (kScreenWidth - LettersWidth(lines[i], kLineScale)) / 2,
                kLineTop + static_cast<int32_t>(i) * kLinePitch, lines[i], kLineScale, colour::kInk);
  }
  const std::vector<sw::HotspotSpec> spots = ScreenButtonSpots();
  for (size_t i = 0; i < spots.size(); ++i) {
    DrawButton(canvas, spots[i].x, spots[i].y, spots[i].width, spots[i].height, kScreenButtons[i].caption);
  }
  for (int32_t i = 0; i < 4; ++i) {
    canvas.FillRect(0, i, kScreenWidth, 1, colour::kWood);
    canvas.FillRect(0, kScreenHeight - 1 - i, kScreenWidth, 1, colour::kWood);
    canvas.FillRect(i, 0, 1, kScreenHeight, colour::kWood);
    canvas.FillRect(kScreenWidth - 1 - i, 0, 1, kScreenHeight, colour::kWood);
  }
  return canvas;
}

// A choice screen: a still screen of the whole screen, without the status panel, whose buttons lead to the places
// that give their commands.
void AddChoiceScreen(sw::ScenarioFiles& files, const std::string& name, const sw::Canvas& picture) {
  files.Add(sw::LocationPicturePath(name), sw::EncodeBmp24(picture));
  sw::ScreenLocationSpec screen;
  screen.hotspots = ScreenButtonSpots();
  files.Add(sw::LocationRecordPath(name), sw::EncodeScreenLocation(screen));
}

void AddScreenButtonPlaces(sw::ScenarioFiles& files) {
  for (const ScreenButton& button : kScreenButtons) {
    sw::ScriptLocationSpec place;
    place.enterActions = {{Engine(button.command)}, {}, 0};
    files.Add(sw::LocationRecordPath(button.place), sw::EncodeScriptLocation(place));
  }
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

}  // namespace

void AddStory(sw::ScenarioFiles& files, sw::ConfigSpec& config) {
  AddMenus(files, config);
  AddScreenButtonPlaces(files);

  AddChoiceScreen(files, kTitleScreen,
                  DrawChoiceScreen(Scene::kDusk, "KESTRIVAL",
                                   {"A VILLAGE KEEPS THE ROAD TO THE OLD SHRINE.",
                                    "SINCE THE WOLF CAME DOWN TO THE MEADOW,", "NOBODY HAS WALKED THAT WAY."}));
  AddEvent(files, "StartGame", {{{"", "Play music", {"Theme", ""}}, Travel(kTitleScreen)}, {}, 0});

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

  // The end: after the player's fall the screen says so; a game ended from the menu gets the plain end. The player
  // is still there while "EndGame" runs, so its stamina tells the two apart. A game that a chosen new game ends
  // shows neither.
  AddChoiceScreen(files, kFallenScreen,
                  DrawChoiceScreen(Scene::kFallen, "FALLEN",
                                   {"YOU FELL IN THE GRASS OF THE MEADOW", "AND DID NOT RISE AGAIN.",
                                    "YOUR TALE HAS ENDED HERE."}));
  AddChoiceScreen(files, kEndScreen,
                  DrawChoiceScreen(Scene::kNight, "THE END",
                                   {"YOUR TALE HAS ENDED HERE.", "BEGIN A NEW ONE, TAKE UP A SAVED ONE,",
                                    "OR LEAVE THE VILLAGE FOR NOW."}));
  AddEvent(files, "EndGame",
           {{If(std::string(kTaleTold) + ",is equal to," + kNewGameChosen, "", "shown")},
            {Labelled("shown", If("Stamina Points,is less or equal to,0", "fallen", "ended")),
             Labelled("fallen", Travel(kFallenScreen)), Labelled("ended", Travel(kEndScreen))},
            0});
}

}  // namespace demo_scenario
