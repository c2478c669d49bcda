// The sample page folder.
#include "tools/page_viewer/sample_folder.h"

#include <string>
#include <vector>

#include "tools/scenario_writer/page_writer.h"
#include "tools/scenario_writer/picture_writer.h"

namespace sw = scenario_writer;

namespace {

constexpr const char* kMarkup =
    "<INTERFACE TITLE=\"Sample\" WIDTH=480 HEIGHT=360 BACKGROUND=\"tile.bmp\" BGCOLOR=\"#E8ECF4\" "
    "FGCOLOR=\"#102040\">\n"
    "<PAGE NAME=\"index\" TITLE=\"Elements\">\n"
    "  <BORDER RECT=\"10,16,470,124\" TITLE=\"Buttons and pictures\" INDENT=2 BGCOLOR=\"#D8E0F0\"></BORDER>\n"
    "  <BUTTON RECT=\"22,30,122,56\" TITLE=\"Beep\" SCRIPT=\"Beep();\" KEYS=\"P\"></BUTTON>\n"
    "  <BUTTON RECT=\"132,30,232,56\" TITLE=\"More\" HREF=\"#more\" KEYS=\"+\"></BUTTON>\n"
    "  <BUTTON RECT=\"22,64,152,84\" TITLE=\"Check box\" KIND=checkbox VALUE=1 SCRIPT=\"Beep();\"></BUTTON>\n"
    "  <BUTTON RECT=\"22,92,152,112\" TITLE=\"Radio\" KIND=radio SCRIPT=\"Beep();\"></BUTTON>\n"
    "  <BUTTON RECT=\"250,32,298,80\" HREF=\"#more\" KEYS=\"M\"><IMAGE SRC=\"star.bmp\" LIT=\"star_lit.bmp\"/>"
    "</BUTTON>\n"
    "  <IMG RECT=\"306,32,354,80\" SRC=\"moon.bmp\"/>\n"
    "  <POPUP RECT=\"362,32,462,56\"><ITEM TITLE=\"Red\"/><ITEM TITLE=\"Green\" DEFAULT/><ITEM TITLE=\"-\"/>"
    "<ITEM TITLE=\"Blue\"/></POPUP>\n"
    "  <TEXTBOX RECT=\"162,88,462,112\" EDITABLE SIZE=14>Type here</TEXTBOX>\n"
    "  <CENTER ALIGN=left><BORDER RECT=\"10,136,232,350\" TITLE=\"Text\" LINE=dotted></BORDER>\n"
    "  <TEXTBOX RECT=\"18,146,226,344\" SIZE=13>Plain, <B>bold</B>, <I>italic</I> and "
    "<SPAN FGCOLOR=\"#B02020\">red</SPAN> words wrap in the box.<P>A <A HREF=\"#more\">link to <B>the second "
    "section</B></A> and <TT>fixed</TT> text.<LI>one item<LI>another</TEXTBOX></CENTER>\n"
    "  <BORDER RECT=\"240,136,470,350\" TITLE=\"A frame\" CHIPPED INDENT=-1></BORDER>\n"
    "  <FRAME RECT=\"246,148,464,330\" SRC=\"inner.iml#inside\"></FRAME>\n"
    "</PAGE>\n"
    "<PAGE NAME=\"more\" TITLE=\"More\">\n"
    "  <CENTER ALIGN=right><BORDER RECT=\"10,16,470,300\" TITLE=\"The second section\" INDENT=1></BORDER>"
    "</CENTER>\n"
    "  <TEXTBOX RECT=\"24,40,456,120\" SIZE=16>This is the second section. Follow the <A HREF=\"#index\">link "
    "back</A>, or use the buttons.</TEXTBOX>\n"
    "  <BUTTON RECT=\"250,310,350,340\" TITLE=\"Back\" HREF=\"#index\" KEYS=\"B-\"></BUTTON>\n"
    "  <BUTTON RECT=\"360,310,460,340\" TITLE=\"Close\" SCRIPT=\"Quit();\" NAME=\"close\"></BUTTON>\n"
    "</PAGE>\n"
    "</INTERFACE>\n";

// The page the frame shows.
constexpr const char* kInnerMarkup =
    "<INTERFACE BGCOLOR=\"#F4F0E0\">\n"
    "<PAGE NAME=\"inside\">\n"
    "  <BORDER RECT=\"4,8,212,170\" TITLE=\"Second page\" LINE=none INDENT=1></BORDER>\n"
    "  <TEXTBOX RECT=\"12,24,204,60\" SIZE=12>A page of its own, shown in the frame.</TEXTBOX>\n"
    "  <TEXTBOX RECT=\"12,70,204,94\" EDITABLE SIZE=13>Second field</TEXTBOX>\n"
    "  <POPUP RECT=\"12,104,120,128\"><ITEM TITLE=\"One\"/><ITEM TITLE=\"Two\"/></POPUP>\n"
    "  <BUTTON RECT=\"12,138,112,162\" TITLE=\"Inner\" SCRIPT=\"Beep();\"></BUTTON>\n"
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

// A 48 x 48 star on a round plate; lit, the plate is brighter.
sw::Bytes Star(bool lit) {
  sw::Canvas canvas(48, 48, sw::Rgb{20, 30, 60});
  canvas.FillCircle(24, 24, 22, lit ? sw::Rgb{250, 210, 90} : sw::Rgb{190, 150, 60});
  canvas.FillPeak(24, 6, 14, 34, 30, sw::Rgb{255, 255, 240});
  canvas.FillPeak(24, 42, 14, 34, 18, sw::Rgb{255, 255, 240});
  canvas.FillRect(8, 18, 32, 10, sw::Rgb{255, 255, 240});
  return sw::EncodeBmp24(canvas);
}

// A 48 x 48 crescent moon on a night sky.
sw::Bytes Moon() {
  sw::Canvas canvas(48, 48);
  canvas.VerticalGradient(0, 48, sw::Rgb{10, 20, 60}, sw::Rgb{40, 60, 120});
  canvas.FillCircle(24, 24, 16, sw::Rgb{240, 240, 200});
  canvas.FillCircle(31, 19, 14, sw::Rgb{25, 40, 90});
  return sw::EncodeBmp24(canvas);
}

sw::Bytes Text(const char* text) { return sw::Bytes(text, text + std::char_traits<char>::length(text)); }

}  // namespace

bool WriteSamplePages(const std::filesystem::path& folder, std::string* error) {
  const std::vector<sw::PageFile> files = {
      sw::PageFile{"tile.bmp", Tile()},
      sw::PageFile{"star.bmp", Star(false)},
      sw::PageFile{"star_lit.bmp", Star(true)},
      sw::PageFile{"moon.bmp", Moon()},
      sw::PageFile{"inner.iml", Text(kInnerMarkup)},
  };
  return sw::WritePageFolder(folder, kMarkup, files, error);
}
