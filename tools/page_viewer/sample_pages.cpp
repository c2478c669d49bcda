// Writes a sample page folder for the page viewer: "index.iml" with two sections over a tiled background
// picture. Usage: sample_pages <folder>
#include <cstdio>
#include <string>

#include "tools/scenario_writer/page_writer.h"
#include "tools/scenario_writer/picture_writer.h"

namespace sw = scenario_writer;

namespace {

constexpr const char* kMarkup =
    "<INTERFACE TITLE=\"Help\" WIDTH=320 HEIGHT=200 BACKGROUND=\"tile.bmp\" BGCOLOR=\"#203040\" FGCOLOR=\"#FFFFFF\">\n"
    "<PAGE NAME=\"index\" TITLE=\"Index\">\n"
    "  <BORDER RECT=\"10,10,310,150\" TITLE=\"Welcome\"></BORDER>\n"
    "  <BUTTON RECT=\"220,160,310,190\" TITLE=\"More\" HREF=\"#more\" KEYS=\"M+\"></BUTTON>\n"
    "</PAGE>\n"
    "<PAGE NAME=\"more\" TITLE=\"More\">\n"
    "  <BUTTON RECT=\"220,160,310,190\" TITLE=\"Back\" HREF=\"#index\" KEYS=\"B-\"></BUTTON>\n"
    "  <BUTTON RECT=\"10,160,100,190\" TITLE=\"Close\" SCRIPT=\"Quit();\" NAME=\"close\"></BUTTON>\n"
    "</PAGE>\n"
    "</INTERFACE>\n";

// A 32 x 32 tile: two blues in diagonal bands with a light diamond in the middle.
sw::Bytes Tile() {
  sw::Canvas canvas(32, 32);
  for (int32_t y = 0; y < 32; ++y) {
    for (int32_t x = 0; x < 32; ++x) {
      const bool band = ((x + y) / 8) % 2 == 0;
      canvas.Set(x, y, band ? sw::Rgb{40, 70, 120} : sw::Rgb{30, 55, 100});
      const int32_t dx = x > 15 ? x - 15 : 15 - x, dy = y > 15 ? y - 15 : 15 - y;
      if (dx + dy < 5) canvas.Set(x, y, sw::Rgb{200, 210, 230});
    }
  }
  return sw::EncodeBmp24(canvas);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: sample_pages <folder>\n");
    return 2;
  }
  std::string error;
  if (!sw::WritePageFolder(argv[1], kMarkup, {sw::PageFile{"tile.bmp", Tile()}}, &error)) {
    std::fprintf(stderr, "sample_pages: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
