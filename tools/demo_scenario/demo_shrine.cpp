// The shrine at the meadow's east end: a place that only speaks, entered when the player stops on its stones. Until
// the wolf is slain it offers rest (stamina and magic come back) or leaving; once the wolf is dead (its fall sets
// the story's variable) it tells the end of the tale, once, and offers a new game, a saved game or playing on; after
// that its brazier burns and it speaks of the tale as told, still offering rest. The player stays on the meadow.
#include <string>

#include "tools/demo_scenario/demo_drawing.h"
#include "tools/demo_scenario/demo_meadow.h"
#include "tools/demo_scenario/demo_builders.h"
#include "tools/scenario_writer/location_writer.h"
#include "tools/scenario_writer/picture_writer.h"

namespace demo_scenario {

namespace {

// The shrine: grey stones in the grass and a brazier, cold or burning.
sw::Canvas DrawShrine(bool burning) {
  sw::Canvas canvas(260, 160);
  if (burning) {
    canvas.VerticalGradient(0, 110, sw::Rgb{250, 190, 120}, sw::Rgb{255, 235, 180});
    canvas.FillCircle(200, 100, 26, sw::Rgb{255, 240, 170});
  } else {
    canvas.VerticalGradient(0, 110, sw::Rgb{120, 140, 180}, sw::Rgb{200, 205, 215});
  }
  canvas.VerticalGradient(110, 160, sw::Rgb{80, 130, 60}, sw::Rgb{45, 85, 35});
  const sw::Rgb stone{150, 150, 155}, dark{110, 110, 118};
  canvas.FillRect(70, 50, 22, 80, stone);
  canvas.FillRect(168, 50, 22, 80, stone);
  canvas.FillRect(60, 38, 140, 16, dark);
  canvas.FillPeak(130, 14, 56, 204, 40, stone);
  canvas.FillRect(118, 104, 24, 26, dark);
  canvas.FillRect(110, 98, 40, 8, stone);
  if (burning) {
    canvas.FillPeak(130, 62, 116, 144, 98, sw::Rgb{250, 140, 30});
    canvas.FillPeak(130, 76, 122, 138, 98, sw::Rgb{255, 230, 90});
  }
  return canvas;
}

}  // namespace

void AddShrine(sw::ScenarioFiles& files) {
  files.Add("Events/Pics/Shrine.pct", sw::EncodeBmp24(DrawShrine(false)));
  files.Add("Events/Pics/Ending.pct", sw::EncodeBmp24(DrawShrine(true)));

  // Once the tale is told the shrine speaks as after the end; before that it tells the tale when the wolf has
  // fallen, else it offers rest.
  sw::ScriptLocationSpec shrine;
  shrine.enterActions = {
      {If(std::string(kTaleTold) + ",is different of,0", "told", "before")},
      {Labelled("told", Call("ShrineAfterTale")),
       Labelled("before", If(std::string(kWolfSlain) + ",is equal to,1", "tale", "rest")),
       Labelled("tale", Call("ShrineTale")), Labelled("rest", Call("ShrineRest"))},
      0};
  files.Add(sw::LocationRecordPath("Shrine"), sw::EncodeScriptLocation(shrine));

  AddEvent(files, demo::kShrineStonesEvent, {{Travel("Shrine")}, {}, 0});
  AddEvent(files, demo::kWolfFallsEvent,
           {{{"", "Change Global", {kWolfSlain, "1", "1"}},
             Say("The wolf falls in the grass and does not rise. The road to the shrine is open.")},
            {},
            0});
  AddEvent(files, "ShrineRest",
           {{Say("An old shrine of grey stone stands in the grass, its brazier long cold. It is quiet here; you could "
                 "rest a while.",
                 {{"Rest", "rest"}, {"Leave", ""}}, "Shrine")},
            {Labelled("rest", Call("ShrineRested"))},
            0});
  AddEvent(files, "ShrineRested",
           {{{"", "Attribute", {"Stamina", "1", "&&MaxStaminaPoints"}},
             {"", "Attribute", {"Magic", "1", "&&MaxMagicPoints"}},
             Say("You rest by the shrine. Your wounds close and your strength comes back.")},
            {},
            0});
  // The end of the tale, on the burning shrine. "New game" marks the choice first, so that the end of this game
  // that comes before the new one passes without a word.
  AddEvent(files, "ShrineTale",
           {{{"", "Change Global", {kTaleTold, "1", "1"}},
             Say("The wolf is gone, and the shrine's brazier burns again. The road east is safe, and the village will "
                 "tell of you for years to come. Here your tale ends.",
                 {{"New game", "new"}, {"Open a saved game", "open"}, {"Play on", ""}}, "Ending")},
            {Labelled("new", Call("ShrineNewGame")), Labelled("open", Engine(kOpenGame))},
            0});
  AddEvent(files, "ShrineNewGame",
           {{{"", "Change Global", {kTaleTold, "1", kNewGameChosen}}, Engine(kNewGame)}, {}, 0});
  AddEvent(files, "ShrineAfterTale",
           {{Say("The brazier burns among the grey stones, and the meadow lies quiet. Your tale is told; you could "
                 "rest a while all the same.",
                 {{"Rest", "rest"}, {"Leave", ""}}, "Ending")},
            {Labelled("rest", Call("ShrineRested"))},
            0});
}

}  // namespace demo_scenario
