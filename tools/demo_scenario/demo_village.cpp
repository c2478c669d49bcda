// The village, where a new game starts: a still screen inside the status panel whose trader's house opens the shop,
// whose well tells of the wolf (a message the player may keep in the journal), and whose road east leads to the
// meadow. The trader sells the sword, leather armour and healing potions; leaving the shop comes back here.
#include <string>

#include "tools/demo_scenario/demo_drawing.h"
#include "tools/demo_scenario/demo_meadow.h"
#include "tools/demo_scenario/demo_builders.h"
#include "tools/scenario_writer/location_writer.h"
#include "tools/scenario_writer/picture_writer.h"

namespace demo_scenario {

namespace {

// The places on the village's picture that lead somewhere, as hotspots: {x, y, width, height}.
struct Place {
  const char* location;
  int16_t x, y, width, height;
};
constexpr Place kTraderHouse = {"Trader", 410, 130, 140, 170};
constexpr Place kWell = {"Well", 160, 200, 82, 126};
constexpr Place kRoadEast = {demo::kMeadowGate, 566, 170, 74, 130};

// The road from the square to the east edge, a band rising to the right.
void DrawRoad(sw::Canvas& canvas) {
  const sw::Rgb dust{190, 160, 110}, edge{160, 130, 85};
  for (int32_t x = 240; x < 640; ++x) {
    const int32_t centre = 340 - (x - 240) * 90 / 400;
    const int32_t half = 26 - (x - 240) * 12 / 400;
    canvas.FillRect(x, centre - half - 2, 1, 2 * half + 4, edge);
    canvas.FillRect(x, centre - half, 1, 2 * half, dust);
  }
  // Where it comes up from the near side of the square.
  canvas.FillPeak(290, 300, 190, 390, 372, edge);
  canvas.FillPeak(290, 304, 196, 384, 372, dust);
}

// A signpost on the road east, its board pointing to the meadow.
void DrawSignpost(sw::Canvas& canvas, int32_t x, int32_t y) {
  canvas.FillRect(x, y - 70, 6, 70, sw::Rgb{100, 65, 30});
  const sw::Rgb board{200, 160, 90};
  canvas.FillRect(x - 30, y - 68, 50, 14, board);
  for (int32_t column = 0; column < 7; ++column) canvas.FillRect(x + 20 + column, y - 67 + column, 1, 12 - 2 * column, board);
  DrawLetters(canvas, x - 25, y - 64, "MEADOW", 1, colour::kInk);
}

sw::Canvas DrawVillage() {
  sw::Canvas canvas(640, 372);
  canvas.VerticalGradient(0, 210, sw::Rgb{110, 160, 225}, sw::Rgb{235, 215, 170});
  canvas.FillCircle(110, 70, 30, sw::Rgb{255, 228, 130});
  canvas.FillPeak(230, 110, -60, 470, 220, sw::Rgb{100, 130, 90});
  canvas.FillPeak(520, 130, 300, 760, 220, sw::Rgb{80, 115, 80});
  canvas.VerticalGradient(200, 372, sw::Rgb{100, 160, 70}, sw::Rgb{50, 100, 40});
  DrawRoad(canvas);
  DrawTree(canvas, 70, 190, 40);
  DrawTree(canvas, 330, 175, 26);
  DrawHouse(canvas, 20, 250, 90, 62, sw::Rgb{180, 150, 110}, sw::Rgb{110, 60, 40});
  // The trader's house, with a sign over its door.
  DrawHouse(canvas, kTraderHouse.x + 10, 220, 120, 80, sw::Rgb{170, 120, 70}, sw::Rgb{140, 50, 30});
  canvas.FillRect(kTraderHouse.x + 40, 196, 60, 18, colour::kWood);
  canvas.FillRect(kTraderHouse.x + 42, 198, 56, 14, sw::Rgb{240, 220, 150});
  DrawLetters(canvas, kTraderHouse.x + 50, 202, "TRADER", 1, colour::kInk);
  DrawWell(canvas, kWell.x + kWell.width / 2, kWell.y + kWell.height - 4, 64);
  DrawSignpost(canvas, kRoadEast.x + 40, kRoadEast.y + 110);
  return canvas;
}

// The trader behind the counter, for the shop's window.
sw::Canvas DrawTrader() {
  sw::Canvas canvas(140, 100, sw::Rgb{150, 110, 70});
  canvas.FillRect(0, 0, 140, 30, sw::Rgb{120, 85, 55});
  for (uint8_t shelf = 0; shelf < 3; ++shelf) {
    canvas.FillRect(10 + shelf * 44, 8, 30, 14, sw::Rgb{200, static_cast<uint8_t>(60 + shelf * 50), 60});
  }
  canvas.FillCircle(70, 44, 18, sw::Rgb{235, 190, 150});
  canvas.FillRect(54, 26, 32, 10, sw::Rgb{110, 70, 40});
  canvas.FillPeak(70, 56, 36, 104, 100, sw::Rgb{60, 110, 80});
  canvas.FillRect(0, 78, 140, 22, colour::kWood);
  return canvas;
}

// Looking down the well: the stone ring and the dark water with the sky in it.
sw::Canvas DrawWellPicture() {
  sw::Canvas canvas(200, 140, sw::Rgb{60, 90, 50});
  canvas.FillCircle(100, 70, 62, sw::Rgb{150, 145, 140});
  canvas.FillCircle(100, 70, 48, sw::Rgb{20, 30, 45});
  canvas.FillCircle(90, 62, 16, sw::Rgb{70, 100, 150});
  canvas.FillCircle(86, 58, 5, sw::Rgb{220, 220, 160});
  return canvas;
}

void AddEventPicture(sw::ScenarioFiles& files, const std::string& name, const sw::Canvas& canvas) {
  files.Add("Events/Pics/" + name + ".pct", sw::EncodeBmp24(canvas));
}

}  // namespace

void AddVillage(sw::ScenarioFiles& files) {
  files.Add(sw::LocationPicturePath("Village"), sw::EncodeBmp24(DrawVillage()));
  sw::ScreenLocationSpec village;
  village.interface = 1;
  for (const Place& place : {kTraderHouse, kWell, kRoadEast}) {
    village.hotspots.push_back({place.location, place.x, place.y, place.width, place.height});
  }
  files.Add(sw::LocationRecordPath("Village"), sw::EncodeScreenLocation(village));

  // The well: a place that only speaks, so the village stays where it is around its message.
  AddEventPicture(files, "Well", DrawWellPicture());
  sw::ScriptLocationSpec well;
  well.enterActions = {{Say("Someone has scratched words into the well's stones: \"The wolf keeps the meadow east of "
                            "here. Beyond it the old shrine waits for one who can pass.\"",
                            {}, "Well")},
                       {},
                       0};
  files.Add(sw::LocationRecordPath("Well"), sw::EncodeScriptLocation(well));

  files.Add(sw::LocationPicturePath("Trader"), sw::EncodeBmp24(DrawTrader()));
  sw::ShopLocationSpec trader;
  trader.goods = {"Sword", "Leather armour", "Healing potion"};
  trader.shopKind = 4;  // the items' own prices
  trader.cannotPay = {":::", sw::EventSpec{{Say("The trader shakes her head: \"Come back when your purse is heavier.\"")},
                                           {},
                                           0}};
  files.Add(sw::LocationRecordPath("Trader"), sw::EncodeShopLocation(trader));
}

}  // namespace demo_scenario
