// The demo's drawing helpers.
#include "tools/demo_scenario/demo_drawing.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <utility>

namespace demo_scenario {

namespace {

// A triangle standing on its point: the top row from left to right, narrowing to one pixel at (apexX, bottom).
void FillHangingPeak(sw::Canvas& canvas, int32_t apexX, int32_t bottom, int32_t left, int32_t right, int32_t top,
                     sw::Rgb ink) {
  const int32_t rows = std::max(1, bottom - top);
  for (int32_t row = 0; row <= rows; ++row) {
    const int32_t from = left + (apexX - left) * row / rows;
    const int32_t to = right + (apexX - right) * row / rows;
    canvas.FillRect(from, top + row, to - from + 1, 1, ink);
  }
}

// The rows of a letter, five cells wide (the highest of the five bits is the left cell).
using Glyph = std::array<uint8_t, 7>;

const Glyph* GlyphOf(char letter) {
  static const Glyph kLetters[26] = {
      {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11},  // A
      {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E},  // B
      {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E},  // C
      {0x1E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x1E},  // D
      {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F},  // E
      {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10},  // F
      {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F},  // G
      {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11},  // H
      {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E},  // I
      {0x07, 0x02, 0x02, 0x02, 0x02, 0x12, 0x0C},  // J
      {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11},  // K
      {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F},  // L
      {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11},  // M
      {0x11, 0x11, 0x19, 0x15, 0x13, 0x11, 0x11},  // N
      {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E},  // O
      {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10},  // P
      {0x0E, 0x11, 0x11, 0x11, 0x15, 0x12, 0x0D},  // Q
      {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11},  // R
      {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E},  // S
      {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04},  // T
      {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E},  // U
      {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04},  // V
      {0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0A},  // W
      {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11},  // X
      {0x11, 0x11, 0x0A, 0x04, 0x04, 0x04, 0x04},  // Y
      {0x1F, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1F},  // Z
  };
  // The marks a sentence needs, on the same cells as the letters.
  static const std::pair<char, Glyph> kMarks[] = {
      {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}},
      {',', {0x00, 0x00, 0x00, 0x00, 0x0C, 0x04, 0x08}},
      {'\'', {0x04, 0x04, 0x08, 0x00, 0x00, 0x00, 0x00}},
  };
  if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
  if (letter >= 'A' && letter <= 'Z') return &kLetters[letter - 'A'];
  for (const auto& [mark, glyph] : kMarks) {
    if (mark == letter) return &glyph;
  }
  return nullptr;
}

}  // namespace

void DrawFrame(sw::Canvas& canvas, int32_t x, int32_t y, int32_t width, int32_t height) {
  canvas.FillRect(x, y, width, height, colour::kWood);
  canvas.FillRect(x + 6, y + 6, width - 12, height - 12, colour::kBrass);
  canvas.FillRect(x + 12, y + 12, width - 24, height - 24, colour::kParchment);
}

sw::Canvas DrawDialogPanel(int32_t width, int32_t height, const std::vector<sw::LayoutElementSpec>& elements,
                           const std::vector<size_t>& lists) {
  sw::Canvas canvas(width, height);
  DrawFrame(canvas, 0, 0, width, height);
  for (size_t i = 0; i < elements.size(); ++i) {
    const sw::LayoutElementSpec& element = elements[i];
    const bool list = std::find(lists.begin(), lists.end(), i) != lists.end();
    canvas.FillRect(element.x - 2, element.y - 2, element.width + 4, element.height + 4, colour::kSunken);
    canvas.FillRect(element.x, element.y, element.width, element.height, list ? colour::kListGround : colour::kPaper);
    if (element.name == "<" || element.name == ">") {
      DrawArrow(canvas, element.x, element.y, element.width, element.height, element.name == "<", colour::kWood);
    }
  }
  return canvas;
}

void DrawButton(sw::Canvas& canvas, int32_t x, int32_t y, int32_t width, int32_t height, const std::string& caption) {
  canvas.FillRect(x - 2, y - 2, width + 4, height + 4, colour::kSunken);
  // Two lit edges along the top and left, two shaded ones along the bottom and right, the face between.
  const sw::Rgb lit[] = {{232, 216, 176}, {192, 168, 120}}, shaded[] = {{80, 60, 40}, {140, 112, 72}};
  for (int32_t edge = 0; edge < 2; ++edge) {
    canvas.FillRect(x + edge, y + edge, width - 2 * edge, height - 2 * edge, shaded[edge]);
    canvas.FillRect(x + edge, y + edge, width - 2 * edge - 1, height - 2 * edge - 1, lit[edge]);
  }
  canvas.FillRect(x + 2, y + 2, width - 4, height - 4, colour::kButtonFace);
  DrawLetters(canvas, x + (width - LettersWidth(caption, 2)) / 2, y + (height - 14) / 2, caption, 2, colour::kInk);
}

void DrawArrow(sw::Canvas& canvas, int32_t x, int32_t y, int32_t width, int32_t height, bool left, sw::Rgb ink) {
  // One column at a time, from the point to the base.
  const int32_t mid = y + height / 2;
  for (int32_t column = 0; column < width - 8; ++column) {
    const int32_t half = (left ? column : width - 9 - column) * (height - 8) / 2 / std::max(1, width - 9);
    canvas.FillRect(x + 4 + column, mid - half, 1, 2 * half + 1, ink);
  }
}

void DrawLetters(sw::Canvas& canvas, int32_t x, int32_t y, const std::string& text, int32_t scale, sw::Rgb ink) {
  for (char letter : text) {
    if (const Glyph* glyph = GlyphOf(letter)) {
      for (int32_t row = 0; row < 7; ++row) {
        for (int32_t column = 0; column < 5; ++column) {
          if (((*glyph)[static_cast<size_t>(row)] >> (4 - column)) & 1) {
            canvas.FillRect(x + column * scale, y + row * scale, scale, scale, ink);
          }
        }
      }
    }
    x += 6 * scale;
  }
}

int32_t LettersWidth(const std::string& text, int32_t scale) {
  return text.empty() ? 0 : static_cast<int32_t>(text.size()) * 6 * scale - scale;
}

void DrawHeart(sw::Canvas& canvas, int32_t cx, int32_t cy, int32_t size) {
  const int32_t r = std::max(2, size / 4);
  canvas.FillCircle(cx - r, cy - r / 2, r, colour::kRed);
  canvas.FillCircle(cx + r, cy - r / 2, r, colour::kRed);
  FillHangingPeak(canvas, cx, cy + size / 2, cx - 2 * r, cx + 2 * r, cy - r / 2, colour::kRed);
}

void DrawDrop(sw::Canvas& canvas, int32_t cx, int32_t cy, int32_t size) {
  const int32_t r = std::max(2, size / 3);
  canvas.FillPeak(cx, cy - size / 2, cx - r, cx + r, cy + size / 2 - r, colour::kBlue);
  canvas.FillCircle(cx, cy + size / 2 - r, r, colour::kBlue);
  canvas.FillCircle(cx - r / 3, cy + size / 2 - r, std::max(1, r / 4), sw::Rgb{180, 200, 250});
}

void DrawCoin(sw::Canvas& canvas, int32_t cx, int32_t cy, int32_t size) {
  canvas.FillCircle(cx, cy, size / 2, sw::Rgb{150, 110, 20});
  canvas.FillCircle(cx, cy, size / 2 - 2, colour::kGoldCoin);
  canvas.FillRect(cx - 1, cy - size / 4, 2, size / 2, sw::Rgb{150, 110, 20});
}

void DrawStar(sw::Canvas& canvas, int32_t cx, int32_t cy, int32_t size) {
  const int32_t half = size / 2;
  const sw::Rgb ink{240, 200, 40};
  canvas.FillPeak(cx, cy - half, cx - half, cx + half, cy + half / 3, ink);
  FillHangingPeak(canvas, cx, cy + half, cx - half, cx + half, cy - half / 3, ink);
}

void DrawBag(sw::Canvas& canvas, int32_t cx, int32_t cy, int32_t size) {
  const sw::Rgb leather{140, 90, 45};
  canvas.FillCircle(cx, cy + size / 8, size * 3 / 8, leather);
  canvas.FillPeak(cx, cy - size / 2, cx - size / 4, cx + size / 4, cy - size / 8, leather);
  canvas.FillRect(cx - size / 4, cy - size / 6, size / 2, 3, colour::kWood);
}

void DrawBook(sw::Canvas& canvas, int32_t cx, int32_t cy, int32_t size) {
  const int32_t w = size * 3 / 4, h = size;
  canvas.FillRect(cx - w / 2, cy - h / 2, w, h, sw::Rgb{60, 40, 120});
  canvas.FillRect(cx - w / 2 + 3, cy - h / 2 + 2, w - 5, h - 4, colour::kPaper);
  canvas.FillRect(cx - w / 2, cy - h / 2, 3, h, sw::Rgb{40, 25, 90});
  DrawStar(canvas, cx + 1, cy, w / 2);
}

void DrawScroll(sw::Canvas& canvas, int32_t cx, int32_t cy, int32_t size) {
  const int32_t w = size * 3 / 4, h = size;
  canvas.FillRect(cx - w / 2, cy - h / 2 + 3, w, h - 6, colour::kParchment);
  canvas.FillRect(cx - w / 2 - 2, cy - h / 2, w + 4, 4, sw::Rgb{150, 110, 60});
  canvas.FillRect(cx - w / 2 - 2, cy + h / 2 - 4, w + 4, 4, sw::Rgb{150, 110, 60});
  for (int32_t line = 0; line < 4; ++line) {
    canvas.FillRect(cx - w / 2 + 3, cy - h / 2 + 8 + line * (h - 14) / 4, w - 6, 1, colour::kInk);
  }
}

void DrawFigure(sw::Canvas& canvas, int32_t cx, int32_t cy, int32_t size, sw::Rgb tunic) {
  canvas.FillPeak(cx, cy - size / 6, cx - size / 3, cx + size / 3, cy + size / 2, tunic);
  canvas.FillCircle(cx, cy - size / 4, size / 5, sw::Rgb{235, 200, 170});
}

void DrawHouse(sw::Canvas& canvas, int32_t x, int32_t y, int32_t width, int32_t height, sw::Rgb wall, sw::Rgb roof) {
  canvas.FillRect(x, y, width, height, wall);
  canvas.FillPeak(x + width / 2, y - height * 3 / 5, x - 8, x + width + 8, y + 2, roof);
  // A door in the middle and a window to each side of it.
  const int32_t doorWidth = std::max(8, width / 5), doorHeight = height * 3 / 5;
  canvas.FillRect(x + (width - doorWidth) / 2, y + height - doorHeight, doorWidth, doorHeight, sw::Rgb{80, 45, 20});
  const int32_t pane = std::max(6, width / 8);
  for (int32_t side : {x + width / 6, x + width * 5 / 6 - pane}) {
    canvas.FillRect(side - 2, y + height / 4 - 2, pane + 4, pane + 4, sw::Rgb{80, 45, 20});
    canvas.FillRect(side, y + height / 4, pane, pane, sw::Rgb{250, 220, 120});
  }
}

void DrawTree(sw::Canvas& canvas, int32_t cx, int32_t cy, int32_t radius) {
  canvas.FillRect(cx - radius / 6, cy, radius / 3, radius * 2, sw::Rgb{90, 60, 30});
  canvas.FillCircle(cx, cy, radius, sw::Rgb{40, 110, 40});
  canvas.FillCircle(cx - radius / 3, cy - radius / 3, radius / 2, sw::Rgb{60, 135, 55});
  canvas.FillCircle(cx + radius / 2, cy + radius / 4, radius / 3, sw::Rgb{30, 90, 35});
}

void DrawWell(sw::Canvas& canvas, int32_t cx, int32_t y, int32_t width) {
  const int32_t wallHeight = width / 2, left = cx - width / 2;
  const sw::Rgb stone{150, 145, 140}, mortar{100, 95, 90}, post{100, 65, 30};
  // The posts and the little roof above the stone ring.
  canvas.FillRect(left + 4, y - wallHeight - width * 3 / 4, 6, width * 3 / 4, post);
  canvas.FillRect(left + width - 10, y - wallHeight - width * 3 / 4, 6, width * 3 / 4, post);
  canvas.FillPeak(cx, y - wallHeight - width * 3 / 4 - width / 3, left - 6, left + width + 6,
                  y - wallHeight - width * 3 / 4 + 4, sw::Rgb{140, 50, 30});
  canvas.FillRect(left + 10, y - wallHeight - width / 2, width - 20, 3, post);
  canvas.FillRect(cx - 5, y - wallHeight - width / 2 + 3, 10, width / 6, sw::Rgb{120, 80, 40});
  // The stone ring, in courses.
  canvas.FillRect(left, y - wallHeight, width, wallHeight, stone);
  for (int32_t course = 1; course < 4; ++course) {
    canvas.FillRect(left, y - wallHeight + course * wallHeight / 4, width, 2, mortar);
  }
  for (int32_t course = 0; course < 4; ++course) {
    for (int32_t joint = (course % 2) * 9 + 6; joint < width; joint += 18) {
      canvas.FillRect(left + joint, y - wallHeight + course * wallHeight / 4, 2, wallHeight / 4, mortar);
    }
  }
  canvas.FillRect(left - 3, y - wallHeight - 4, width + 6, 5, sw::Rgb{120, 115, 110});
}

void DrawKestrel(sw::Canvas& canvas, int32_t cx, int32_t cy, int32_t span, sw::Rgb body) {
  const int32_t half = span / 2;
  canvas.FillPeak(cx - half, cy - span / 4, cx - half, cx, cy, body);
  canvas.FillPeak(cx + half, cy - span / 4, cx, cx + half, cy, body);
  canvas.FillCircle(cx, cy, std::max(2, span / 10), body);
  canvas.FillCircle(cx, cy - span / 10, std::max(2, span / 14), body);
  FillHangingPeak(canvas, cx, cy + span / 4, cx - span / 12, cx + span / 12, cy, body);
}

void DrawWolf(sw::Canvas& canvas, int32_t x, int32_t y, int32_t length, sw::Rgb fur) {
  const int32_t height = length / 2, legHeight = height * 2 / 5;
  const int32_t bodyTop = y - legHeight - height * 2 / 5;
  // Legs, body, tail, then the head with its ears and snout on the left.
  for (int32_t leg : {length / 5, length / 3, length * 3 / 4, length * 7 / 8}) {
    canvas.FillRect(x + leg - 3, y - legHeight - 2, 6, legHeight + 2, fur);
  }
  canvas.FillRect(x + length / 6, bodyTop, length * 3 / 4, height * 2 / 5, fur);
  canvas.FillCircle(x + length / 4, bodyTop + height / 6, height / 4, fur);
  canvas.FillPeak(x + length + length / 8, bodyTop - height / 6, x + length * 3 / 4, x + length + length / 8,
                  bodyTop + height / 5, fur);
  canvas.FillCircle(x + length / 8, bodyTop - height / 10, height / 5, fur);
  canvas.FillRect(x - length / 12, bodyTop - height / 12, length / 6, height / 8, fur);
  canvas.FillPeak(x + length / 12, bodyTop - height * 2 / 5, x + length / 20, x + length / 7, bodyTop - height / 5, fur);
  canvas.FillPeak(x + length / 6, bodyTop - height * 2 / 5, x + length / 8, x + length * 3 / 14, bodyTop - height / 5,
                  fur);
  canvas.FillRect(x + length / 10, bodyTop - height / 8, 3, 3, sw::Rgb{250, 210, 60});
}

sw::Canvas DrawPortrait(sw::Rgb ground, sw::Rgb hair, sw::Rgb tunic) {
  sw::Canvas canvas(96, 120, ground);
  canvas.FillRect(14, 92, 68, 28, tunic);
  canvas.FillCircle(48, 52, 30, hair);
  canvas.FillCircle(48, 58, 24, sw::Rgb{235, 200, 170});
  canvas.FillRect(38, 52, 5, 5, sw::Rgb{40, 30, 30});
  canvas.FillRect(54, 52, 5, 5, sw::Rgb{40, 30, 30});
  canvas.FillRect(42, 68, 12, 3, sw::Rgb{150, 60, 60});
  return canvas;
}

}  // namespace demo_scenario
