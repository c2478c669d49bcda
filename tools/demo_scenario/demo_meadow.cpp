// The demo's meadow: its ground pictures and figures drawn on the writer's canvas, its map of 24 x 18 cells of
// 32 pixels (grass, a dirt road from the west edge to the old shrine's stones at the east edge, a pond and a few
// rocks that nobody walks through), the wolf that roams it, a healing potion lying in the grass, the picture of the
// gold that a fallen figure leaves, and the gate that the valley's road leads to: a script location that puts the
// player at the road's west end and enters the meadow.
#include "tools/demo_scenario/demo_meadow.h"

#include <string>
#include <utility>
#include <vector>

#include "tools/demo_scenario/demo_builders.h"
#include "tools/scenario_writer/animation_set_writer.h"
#include "tools/scenario_writer/location_writer.h"
#include "tools/scenario_writer/picture_writer.h"
#include "tools/scenario_writer/record_writer.h"
#include "tools/scenario_writer/tile_map_writer.h"

namespace demo {

namespace sw = scenario_writer;

namespace {

constexpr int16_t kWidth = 24;
constexpr int16_t kHeight = 18;
constexpr int16_t kCell = 32;
constexpr int16_t kRoadRow = 8;  // counted from 0

const sw::Rgb kGrass{86, 150, 62};
const sw::Rgb kDarkGrass{70, 128, 50};
// The figures' background: pure white, which the game takes as transparent, so that the ground shows around them.
const sw::Rgb kClear{255, 255, 255};

// The ground pictures, numbered from 1 in the map file.
enum Ground : int16_t { kGrassPicture = 1, kRoadPicture, kWaterPicture, kRockPicture, kShrinePicture };

sw::Bytes DrawGrass() {
  sw::Canvas canvas(kCell, kCell, kGrass);
  for (int32_t i = 0; i < 6; ++i) canvas.FillRect((i * 11) % 29, (i * 17) % 27, 2, 5, kDarkGrass);
  return sw::EncodeBmp24(canvas);
}

sw::Bytes DrawRoad() {
  sw::Canvas canvas(kCell, kCell, sw::Rgb{170, 140, 95});
  canvas.FillRect(0, 0, kCell, 3, kGrass);
  canvas.FillRect(0, kCell - 3, kCell, 3, kGrass);
  canvas.FillCircle(9, 14, 2, sw::Rgb{140, 110, 75});
  canvas.FillCircle(24, 20, 2, sw::Rgb{140, 110, 75});
  return sw::EncodeBmp24(canvas);
}

sw::Bytes DrawWater() {
  sw::Canvas canvas(kCell, kCell, sw::Rgb{50, 100, 170});
  canvas.FillRect(6, 10, 12, 2, sw::Rgb{120, 170, 220});
  canvas.FillRect(16, 22, 10, 2, sw::Rgb{120, 170, 220});
  return sw::EncodeBmp24(canvas);
}

sw::Bytes DrawRock() {
  sw::Canvas canvas(kCell, kCell, kGrass);
  canvas.FillCircle(16, 18, 12, sw::Rgb{120, 120, 125});
  canvas.FillCircle(12, 14, 5, sw::Rgb{160, 160, 165});
  return sw::EncodeBmp24(canvas);
}

// The shrine's stones at the road's end: two grey standing stones and a lintel, the road running in between.
sw::Bytes DrawShrineStones() {
  sw::Canvas canvas(kCell, kCell, kGrass);
  canvas.FillRect(0, 10, kCell, 12, sw::Rgb{170, 140, 95});
  canvas.FillRect(4, 6, 6, 24, sw::Rgb{150, 150, 155});
  canvas.FillRect(22, 6, 6, 24, sw::Rgb{150, 150, 155});
  canvas.FillRect(2, 2, 28, 5, sw::Rgb{120, 120, 128});
  return sw::EncodeBmp24(canvas);
}

// The gold a fallen figure leaves on its cell, 20 x 14 pixels: a few coins, the white around them transparent.
sw::Bytes DrawGoldPile() {
  sw::Canvas canvas(20, 14, kClear);
  const sw::Rgb gold{230, 185, 50}, shade{170, 125, 30};
  for (const auto& [x, y] : {std::pair{6, 9}, std::pair{13, 9}, std::pair{10, 5}}) {
    canvas.FillCircle(x, y, 4, shade);
    canvas.FillCircle(x, y - 1, 3, gold);
  }
  return sw::EncodeBmp24(canvas);
}

// A figure, 24 x 32 pixels: the player in a green tunic, standing or striking (the arm raised).
sw::Bytes DrawHero(bool striking) {
  sw::Canvas canvas(24, 32, kClear);
  canvas.FillCircle(12, 7, 5, sw::Rgb{235, 200, 170});
  canvas.FillRect(7, 12, 10, 12, sw::Rgb{40, 110, 60});
  canvas.FillRect(8, 24, 3, 8, sw::Rgb{80, 60, 40});
  canvas.FillRect(13, 24, 3, 8, sw::Rgb{80, 60, 40});
  if (striking) {
    canvas.FillRect(17, 2, 3, 12, sw::Rgb{110, 70, 30});
  } else {
    canvas.FillRect(17, 12, 3, 10, sw::Rgb{110, 70, 30});
  }
  return sw::EncodeBmp24(canvas);
}

// The wolf, 32 x 24 pixels: grey, its jaws open when it bites.
sw::Bytes DrawWolf(bool biting) {
  sw::Canvas canvas(32, 24, kClear);
  canvas.FillRect(6, 8, 18, 9, sw::Rgb{110, 110, 115});
  canvas.FillCircle(25, 9, 5, sw::Rgb{120, 120, 125});
  canvas.FillPeak(23, 1, 21, 26, 6, sw::Rgb{90, 90, 95});
  canvas.FillRect(0, 9, 7, 3, sw::Rgb{100, 100, 105});
  for (int32_t leg : {7, 11, 18, 22}) canvas.FillRect(leg, 17, 2, 7, sw::Rgb{90, 90, 95});
  canvas.FillRect(27, 8, 1, 1, sw::Rgb{20, 20, 20});
  if (biting) canvas.FillRect(28, 11, 4, 2, sw::Rgb{200, 40, 40});
  return sw::EncodeBmp24(canvas);
}

// A figure's set: standing, striking and walking (animations 0, 1 and 2), drawn above the cell's centre, colliding
// within 10 pixels of it. A strike (or a step into a foe) plays once: the raised arm for three commands, then the
// standing frame, whose loop back to the first command ends it; at a delay of 3 (four ticks a command) the figure
// stays busy for about 400 ms, so that one blow is one blow and a held key or button does not strike on every tick.
sw::Bytes FigureSet(const std::string& name, const std::string& standing, const std::string& striking, int16_t width,
                    int16_t height) {
  constexpr int16_t kLoopPoint = 1, kLoopBack = 2;
  sw::AnimationSetSpec set;
  set.name = name;
  set.pictures = {standing, striking};
  const int16_t x = static_cast<int16_t>(-width / 2), y = static_cast<int16_t>(kCell / 2 - height);
  const sw::AnimationFrameSpec stand{1, 0, "", x, y, {}}, strike{2, 0, "", x, y, {}};
  sw::AnimationFrameSpec strikeStart = strike, strikeEnd = stand;
  strikeStart.opcode = kLoopPoint;
  strikeEnd.opcode = kLoopBack;
  set.animations = {{"stand", 0, 0, {}, {stand}},
                    {"strike", 0, 3, {}, {strikeStart, strike, strike, strikeEnd}},
                    {"walk", 0, 0, {}, {stand}}};
  set.extraFlag = 1;
  set.collisionRadius = 10;
  return sw::EncodeAnimationSet(set);
}

// The cells column by column: rocks and the pond are walls; the shrine's stones fire their event.
sw::TileMapSpec MeadowMap() {
  auto ground = [](int32_t column, int32_t row) -> Ground {
    if (column >= 16 && column <= 19 && row >= 3 && row <= 5) return kWaterPicture;
    if ((column == 6 && row == 3) || (column == 11 && row == 13) || (column == 20 && row == 12)) return kRockPicture;
    if (row == kRoadRow && column == kWidth - 1) return kShrinePicture;
    if (row == kRoadRow) return kRoadPicture;
    return kGrassPicture;
  };
  sw::TileMapSpec map;
  map.groundPictures = {"Meadow grass.bmp", "Meadow road.bmp", "Meadow water.bmp", "Meadow rock.bmp",
                        "Meadow shrine.bmp"};
  map.width = kWidth;
  map.height = kHeight;
  map.cellWidth = kCell;
  map.cellHeight = kCell;
  sw::PictureGridSpec grid{kWidth, kHeight, kCell, kCell, {}};
  for (int32_t column = 0; column < kWidth; ++column) {
    for (int32_t row = 0; row < kHeight; ++row) {
      const Ground picture = ground(column, row);
      const bool wall = picture == kWaterPicture || picture == kRockPicture;
      map.cells.push_back({static_cast<int16_t>(wall ? 0 : 1), picture == kShrinePicture ? kShrineStonesEvent : "", 0});
      grid.runs.push_back({picture, 0});
    }
  }
  map.pictureGrid = grid;
  map.layers = {sw::MapLayerSpec{}};
  // The wolf haunts the middle of the meadow, away from its right edge, where the view cannot scroll far enough
  // to show what is written beside a figure (the experience its fall gives).
  map.characters = {{13, 11, 7, "Wolf", ""}};
  // A potion in the grass north of the road, remembered by its number once taken so that it does not come back.
  map.items = {{9, 5, 1, "Healing potion", "", 1}};
  return map;
}

}  // namespace

void AddMeadow(sw::ScenarioFiles& files, sw::ConfigSpec& config, const char* westOf) {
  files.Add("Pictures/Meadow grass.bmp", DrawGrass());
  files.Add("Pictures/Meadow road.bmp", DrawRoad());
  files.Add("Pictures/Meadow water.bmp", DrawWater());
  files.Add("Pictures/Meadow rock.bmp", DrawRock());
  files.Add("Pictures/Meadow shrine.bmp", DrawShrineStones());
  files.Add("Pictures/Hero.bmp", DrawHero(false));
  files.Add("Pictures/Hero strike.bmp", DrawHero(true));
  files.Add("Pictures/Hero.cam", FigureSet("hero", "Hero.bmp", "Hero strike.bmp", 24, 32));
  files.Add("Pictures/Wolf.bmp", DrawWolf(false));
  files.Add("Pictures/Wolf bite.bmp", DrawWolf(true));
  files.Add("Pictures/Wolf.cam", FigureSet("wolf", "Wolf.bmp", "Wolf bite.bmp", 32, 24));
  config.defaultPlayerSprite = "Hero.cam";
  files.Add("Pictures/Gold pile.bmp", DrawGoldPile());
  config.mapText = "Gold pile.bmp";  // the picture of the gold a fallen figure leaves

  // The wolf notices the player four cells away, bites for 1 to 3 every second, and its fall is worth a level.
  sw::NpcSpec wolf;
  wolf.spriteText = "Wolf.cam";
  wolf.maxStamina = 8;
  wolf.minDamage = 1;
  wolf.maxDamage = 3;
  wolf.strength = 8;
  wolf.dexterity = 10;
  wolf.speed = 4;
  wolf.perception = 8;
  wolf.noticeRange = 4;
  wolf.actionInterval = 1000;
  wolf.level = 1;
  wolf.experience = 120;
  wolf.gold = 6;
  wolf.behaviourKind = 0;
  wolf.moveInterval = 900;
  wolf.wanderRadius = 3;
  wolf.events[3] = {":::", sw::EventSpec{{{"", "Call", {kWolfFallsEvent}}}, {}, 0}};  // its fall
  files.Add("NPCs/Wolf.npc", sw::EncodeNpc(wolf));

  files.Add("Maps/" + std::string(kMeadow) + ".cma", sw::EncodeTileMap(MeadowMap()));
  sw::MapLocationSpec meadow;
  meadow.interface = 1;
  meadow.exits = {"", "", "", westOf};
  // The map is read anew whenever it is entered, its wolf with it: once the wolf has fallen, entering takes it off
  // again, so that it stays dead when the player comes back, or opens a game saved after the fight.
  meadow.enterActions = {
      {demo_scenario::If(std::string(demo_scenario::kWolfSlain) + ",is equal to,1", "slain", "")},
      {demo_scenario::Labelled("slain", {"", "NPC", {"1,wolf"}})},
      0};
  files.Add(sw::LocationRecordPath(kMeadow), sw::EncodeMapLocation(meadow));
  // The gate: the player comes in at the road's west end (cells counted from 1 by the script).
  sw::ScriptLocationSpec gate;
  gate.enterActions = {{{"", "Map Position", {"2", std::to_string(kRoadRow + 1)}}, {"", "Teleport", {kMeadow}}}, {}, 0};
  files.Add(sw::LocationRecordPath(kMeadowGate), sw::EncodeScriptLocation(gate));
}

}  // namespace demo
