// The demo's drawing helpers over the scenario writer's canvas: its colours, the framed parchment of its dialogs,
// block letters, the small icons of the status panel and the buttons, and the things its scenes are made of.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/scenario_writer/config_writer.h"
#include "tools/scenario_writer/picture_writer.h"

namespace demo_scenario {

namespace sw = scenario_writer;

namespace colour {
inline constexpr sw::Rgb kWood{90, 40, 20};
inline constexpr sw::Rgb kBrass{200, 160, 80};
inline constexpr sw::Rgb kParchment{245, 232, 200};
inline constexpr sw::Rgb kSunken{215, 200, 165};
inline constexpr sw::Rgb kPaper{250, 244, 228};
inline constexpr sw::Rgb kInk{60, 30, 15};
inline constexpr sw::Rgb kRed{190, 40, 40};
inline constexpr sw::Rgb kBlue{50, 90, 190};
inline constexpr sw::Rgb kGoldCoin{230, 190, 60};
inline constexpr sw::Rgb kButtonFace{168, 144, 100};
inline constexpr sw::Rgb kListGround{222, 206, 168};  // darker than white by far, lighter than black text by far
}  // namespace colour

// Where a text starts in the well drawn for it: this many pixels off the well's left and top edges.
inline constexpr int32_t kTextLeft = 4;
inline constexpr int32_t kTextTop = 2;

// A framed parchment over the rectangle: a wooden edge, a brass band and the parchment inside.
void DrawFrame(sw::Canvas& canvas, int32_t x, int32_t y, int32_t width, int32_t height);
// A dialog's picture: the framed parchment with a sunken well under each element, so that every control stands on a
// place of its own. Elements named "<" and ">" get an arrow drawn in their well. The wells of the elements `lists`
// names are of the list ground: a list writes its selected row in white on a black box that starts with the row's
// first letter, so that letter's first stroke lies on the box's edge and must stand out from the ground beside it.
sw::Canvas DrawDialogPanel(int32_t width, int32_t height, const std::vector<sw::LayoutElementSpec>& elements,
                           const std::vector<size_t>& lists = {});
// A raised button on a sunken well, as the dialogs' caption buttons look, with its caption in block letters: for a
// dialog that closes on any click and has no button of its own.
void DrawButton(sw::Canvas& canvas, int32_t x, int32_t y, int32_t width, int32_t height, const std::string& caption);
// An arrow pointing left or right, filling the box but for a margin of 4 pixels.
void DrawArrow(sw::Canvas& canvas, int32_t x, int32_t y, int32_t width, int32_t height, bool left, sw::Rgb ink);

// Block letters 5 by 7 cells of `scale` pixels, a cell apart: letters A to Z (lower case drawn as upper case), the
// full stop, the comma, the apostrophe and the space (others are left out).
void DrawLetters(sw::Canvas& canvas, int32_t x, int32_t y, const std::string& text, int32_t scale, sw::Rgb ink);
int32_t LettersWidth(const std::string& text, int32_t scale);

// Icons centred on (cx, cy), about `size` pixels across.
void DrawHeart(sw::Canvas& canvas, int32_t cx, int32_t cy, int32_t size);
void DrawDrop(sw::Canvas& canvas, int32_t cx, int32_t cy, int32_t size);
void DrawCoin(sw::Canvas& canvas, int32_t cx, int32_t cy, int32_t size);
void DrawStar(sw::Canvas& canvas, int32_t cx, int32_t cy, int32_t size);
void DrawBag(sw::Canvas& canvas, int32_t cx, int32_t cy, int32_t size);
void DrawBook(sw::Canvas& canvas, int32_t cx, int32_t cy, int32_t size);
void DrawScroll(sw::Canvas& canvas, int32_t cx, int32_t cy, int32_t size);
void DrawFigure(sw::Canvas& canvas, int32_t cx, int32_t cy, int32_t size, sw::Rgb tunic);

// The scenes' things: a house standing on (x, y + height) with a roof above y; a tree whose crown is centred on (cx, cy);
// a well standing on y; a kestrel with spread wings centred on (cx, cy); a wolf standing on y, facing left.
void DrawHouse(sw::Canvas& canvas, int32_t x, int32_t y, int32_t width, int32_t height, sw::Rgb wall, sw::Rgb roof);
void DrawTree(sw::Canvas& canvas, int32_t cx, int32_t cy, int32_t radius);
void DrawWell(sw::Canvas& canvas, int32_t cx, int32_t y, int32_t width);
void DrawKestrel(sw::Canvas& canvas, int32_t cx, int32_t cy, int32_t span, sw::Rgb body);
void DrawWolf(sw::Canvas& canvas, int32_t x, int32_t y, int32_t length, sw::Rgb fur);

// A portrait: a face on a coloured ground, 96 by 120.
sw::Canvas DrawPortrait(sw::Rgb ground, sw::Rgb hair, sw::Rgb tunic);

}  // namespace demo_scenario
