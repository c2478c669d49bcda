// The status panel of the demo's still screens (layout 16) and maps (layout 17): one picture for both, a bar along
// the bottom of the screen with a raised frame for the portrait, cut to its shape by the mask picture of layout 20;
// the player's name, race, class, points, gold and level in its wells; and four map buttons: the inventory, spell
// casting, the journal and the character sheet. A still screen fires "MapButton30" to "MapButton33" for them and a
// map "MapButton1" to "MapButton4"; the portrait fires "MainPortrait" or "MapPortrait", which show the sheet.
#include <string>
#include <vector>

#include "tools/demo_scenario/demo_drawing.h"
#include "tools/demo_scenario/demo_builders.h"
#include "tools/scenario_writer/picture_writer.h"

namespace demo_scenario {

namespace {

constexpr int32_t kScreenWidth = 640, kScreenHeight = 480;
constexpr int32_t kBarTop = 372;  // the picture or the map above, the bar below
// The raised frame of the portrait.
constexpr int32_t kFrameLeft = 6, kFrameTop = 346, kFrameWidth = 108;

struct Well {
  int32_t element;
  int32_t x, y, width;
};

// The texts the panel shows, by the well drawn for each element: the name, race, class and place on the top row;
// stamina, magic (each with its maximum), gold and level below.
constexpr Well kTextWells[] = {{1, 124, 380, 170}, {16, 300, 380, 90},  {17, 396, 380, 90}, {29, 492, 380, 138},
                               {2, 146, 406, 34},  {3, 192, 406, 34},   {4, 254, 406, 34},  {5, 300, 406, 34},
                               {22, 362, 406, 56}, {18, 444, 406, 30}};
constexpr int32_t kTextHeight = 18;
// The panel writes a text this far into its element; the element lies inside its well so that the text starts
// where a dialog's texts do.
constexpr int32_t kPanelTextOffset = 2;

// The map buttons, elements 30 to 33, and the engine command each one gives.
struct MapButton {
  int32_t x;
  EngineCommand command;
};
constexpr MapButton kMapButtons[] = {{456, kInventory}, {500, kSpellCasting}, {544, kJournal}, {588, kCharacterSheet}};
constexpr int32_t kButtonTop = 428, kButtonSide = 40;

std::vector<sw::LayoutElementSpec> PanelElements() {
  std::vector<sw::LayoutElementSpec> elements(34);
  elements[0] = {"portrait", kFrameLeft + 6, kFrameTop + 6, 96, 120};
  for (const Well& well : kTextWells) {
    const int32_t left = kTextLeft - kPanelTextOffset, top = kTextTop - kPanelTextOffset;
    elements[static_cast<size_t>(well.element)] = {
        "text", static_cast<int16_t>(well.x + left), static_cast<int16_t>(well.y + top),
        static_cast<int16_t>(well.width - 2 * left), static_cast<int16_t>(kTextHeight - 2 * top)};
  }
  elements[28] = {"view", 0, 0, kScreenWidth, kBarTop};
  for (size_t i = 0; i < std::size(kMapButtons); ++i) {
    elements[30 + i] = {"button", static_cast<int16_t>(kMapButtons[i].x), kButtonTop, kButtonSide, kButtonSide};
  }
  return elements;
}

// A small slash between a value and its maximum.
void DrawSlash(sw::Canvas& canvas, int32_t x, int32_t y) {
  for (int32_t step = 0; step < 12; ++step) canvas.FillRect(x + 6 - step / 2, y + 3 + step, 2, 1, colour::kInk);
}

sw::Canvas DrawPanel(const std::vector<sw::LayoutElementSpec>& elements) {
  sw::Canvas canvas(kScreenWidth, kScreenHeight);
  DrawFrame(canvas, 0, kBarTop, kScreenWidth, kScreenHeight - kBarTop);
  DrawFrame(canvas, kFrameLeft, kFrameTop, kFrameWidth, kScreenHeight - kFrameTop);
  const sw::LayoutElementSpec& portrait = elements[0];
  canvas.FillRect(portrait.x, portrait.y, portrait.width, portrait.height, colour::kSunken);
  for (const Well& well : kTextWells) {
    canvas.FillRect(well.x - 2, well.y - 2, well.width + 4, kTextHeight + 4, colour::kSunken);
    canvas.FillRect(well.x, well.y, well.width, kTextHeight, colour::kPaper);
  }
  const int32_t iconY = 406 + kTextHeight / 2;
  DrawHeart(canvas, 134, iconY, 16);
  DrawSlash(canvas, 180, 406);
  DrawDrop(canvas, 242, iconY, 16);
  DrawSlash(canvas, 288, 406);
  DrawCoin(canvas, 350, iconY, 16);
  DrawStar(canvas, 432, iconY, 16);
  for (size_t i = 0; i < std::size(kMapButtons); ++i) {
    const int32_t x = kMapButtons[i].x, cx = x + kButtonSide / 2, cy = kButtonTop + kButtonSide / 2;
    canvas.FillRect(x, kButtonTop, kButtonSide, kButtonSide, colour::kWood);
    canvas.FillRect(x + 2, kButtonTop + 2, kButtonSide - 4, kButtonSide - 4, colour::kParchment);
    switch (kMapButtons[i].command) {
      case kInventory: DrawBag(canvas, cx, cy, 28); break;
      case kSpellCasting: DrawBook(canvas, cx, cy, 28); break;
      case kJournal: DrawScroll(canvas, cx, cy, 28); break;
      default: DrawFigure(canvas, cx, cy, 30, colour::kBlue); break;
    }
  }
  return canvas;
}

// The mask: set (white) where the panel stands, clear (black) over the picture or the map.
sw::Canvas DrawPanelMask() {
  sw::Canvas canvas(kScreenWidth, kScreenHeight);
  const sw::Rgb set{255, 255, 255};
  canvas.FillRect(0, kBarTop, kScreenWidth, kScreenHeight - kBarTop, set);
  canvas.FillRect(kFrameLeft, kFrameTop, kFrameWidth, kScreenHeight - kFrameTop, set);
  return canvas;
}

}  // namespace

void AddPanel(sw::ScenarioFiles& files, sw::ConfigSpec& config) {
  const std::vector<sw::LayoutElementSpec> elements = PanelElements();
  config.layouts[16] = {"Panel.bmp", elements};
  config.layouts[17] = {"Panel.bmp", elements};
  config.layouts[20] = {"PanelMask.bmp", {}};
  files.Add("Pictures/Panel.bmp", sw::EncodeBmp24(DrawPanel(elements)));
  files.Add("Pictures/PanelMask.bmp", sw::EncodeBmp24(DrawPanelMask()));
  for (size_t i = 0; i < std::size(kMapButtons); ++i) {
    AddEvent(files, "MapButton" + std::to_string(30 + i), EngineEvent(kMapButtons[i].command));
    AddEvent(files, "MapButton" + std::to_string(1 + i), EngineEvent(kMapButtons[i].command));
  }
  AddEvent(files, "MainPortrait", EngineEvent(kCharacterSheet));
  AddEvent(files, "MapPortrait", EngineEvent(kCharacterSheet));
}

}  // namespace demo_scenario
