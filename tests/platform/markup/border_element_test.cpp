// Borders: line styles, bevel shades, the chipped notch and lines of empty rectangles, drawn on small worlds; the
// title cut to fit; the colours a border takes from the page and the messages it answers.
#include <gtest/gtest.h>

#include "element_fixture.h"
#include "platform/graphics/graphics_port.h"
#include "tests/support/dib_canvas.h"

namespace {

using element_test::ElementPage;
using test_support::DibCanvas;

constexpr uint32_t Word(uint8_t red, uint8_t green, uint8_t blue) {
  return 0xFFu | (uint32_t{red} << 8) | (uint32_t{green} << 16) | (uint32_t{blue} << 24);
}

constexpr COLORREF kFore = RGB(0x80, 0x40, 0xC0);
constexpr COLORREF kBack = RGB(0xFF, 0xFF, 0x00);
constexpr COLORREF kDarker = RGB(0x50, 0x20, 0x90);   // each channel of 96 or more less 48, below 48 halved
constexpr COLORREF kLighter = RGB(0xC0, 0x80, 0xFF);  // each channel above 160 255, else 64 more
constexpr COLORREF kUntouched = RGB(255, 255, 255);

BorderElement::Data Border(Rect rect, int32_t line, int32_t indent = 0, bool chipped = false, const char* title = "") {
  BorderElement::Data border{};
  std::strncpy(border.title, title, sizeof border.title - 1);
  border.foreground = Word(0x80, 0x40, 0xC0);
  border.background = Word(0xFF, 0xFF, 0x00);
  border.line = line;
  border.indent = indent;
  border.chipped = chipped;
  border.enabledByActivation = 1;
  border.visible = 1;
  border.rect = rect;
  return border;
}

void Draw(const DibCanvas& canvas, const BorderElement::Data& border) {
  PlatformWorld* port = GraphicsPort::CreateForDC(canvas.dc(), true);
  ASSERT_NE(port, nullptr);
  EXPECT_EQ(BorderElement::DrawFrame(port, &border), kPlatformNoError);
  GraphicsPort::Dispose(port);
}

TEST(BorderDrawing, LineStylesAndBevelShades) {
  const struct {
    const char* name;
    int32_t line;
    int32_t indent;
    COLORREF edge;    // the top-left corner
    COLORREF inside;  // one pixel in from the top
    COLORREF bottomInside;
  } kCases[] = {
      {"solid", 2, 0, kFore, kBack, kBack},
      {"none", 0, 0, kBack, kBack, kBack},
      {"solid bevel", 2, 2, kFore, kDarker, kLighter},
      {"sunken bevel", 2, -2, kFore, kLighter, kDarker},
      {"bevel alone", 0, 1, kDarker, kBack, kBack},
  };
  for (const auto& c : kCases) {
    DibCanvas canvas(40, 30);
    Draw(canvas, Border({2, 4, 38, 28}, c.line, c.indent));
    EXPECT_EQ(canvas.At(2, 4), c.edge) << c.name;
    EXPECT_EQ(canvas.At(20, 5), c.inside) << c.name;
    EXPECT_EQ(canvas.At(20, 26), c.bottomInside) << c.name;
    EXPECT_EQ(canvas.At(20, 15), kBack) << c.name;     // erased inside
    EXPECT_EQ(canvas.At(1, 3), kUntouched) << c.name;  // nothing outside
    EXPECT_EQ(canvas.At(38, 28), kUntouched) << c.name;
  }
  // Dotted: the pen's colour and the background alternate along every line.
  DibCanvas dotted(40, 30);
  Draw(dotted, Border({2, 4, 38, 28}, 1));
  for (int x = 3; x < 36; ++x) {
    EXPECT_NE(dotted.At(x, 4), dotted.At(x + 1, 4)) << x;
    EXPECT_TRUE(dotted.At(x, 4) == kFore || dotted.At(x, 4) == kBack) << x;
    EXPECT_NE(dotted.At(2, x % 20 + 5), dotted.At(2, x % 20 + 6)) << x;
  }
  // A border not enabled by the window's activation is drawn faded: halfway to white.
  DibCanvas faded(40, 30);
  BorderElement::Data border = Border({2, 4, 38, 28}, 2);
  border.enabledByActivation = 0;
  Draw(faded, border);
  EXPECT_EQ(faded.At(2, 4), RGB(0xBF, 0x9F, 0xDF));
}

TEST(BorderDrawing, TheChippedCornerLeavesANotch) {
  DibCanvas canvas(50, 40);
  Draw(canvas, Border({0, 0, 40, 30}, 2, 0, true));
  const int notch = GetSystemMetrics(SM_CXHTHUMB);
  EXPECT_EQ(notch, 16);
  EXPECT_EQ(canvas.At(39, 29), kUntouched);  // the corner is left out, inside too
  EXPECT_EQ(canvas.At(30, 20), kUntouched);
  EXPECT_EQ(canvas.At(23, 29), kFore);  // the bottom line stops at the notch
  EXPECT_EQ(canvas.At(24, 25), kFore);  // the notch's edges close the frame
  EXPECT_EQ(canvas.At(30, 14), kFore);
  EXPECT_EQ(canvas.At(39, 13), kFore);  // the right line stops at the notch
  EXPECT_EQ(canvas.At(39, 20), kUntouched);
  EXPECT_EQ(canvas.At(20, 20), kBack);
}

TEST(BorderDrawing, EmptyRectanglesAreSingleLines) {
  DibCanvas canvas(40, 30);
  Draw(canvas, Border({5, 2, 5, 20}, 2));     // no width: a vertical line
  Draw(canvas, Border({10, 25, 35, 25}, 2));  // no height: a horizontal line
  EXPECT_EQ(canvas.At(5, 2), kFore);
  EXPECT_EQ(canvas.At(5, 19), kFore);
  EXPECT_EQ(canvas.At(6, 10), kUntouched);
  EXPECT_EQ(canvas.At(10, 25), kFore);
  EXPECT_EQ(canvas.At(34, 25), kFore);
  EXPECT_EQ(canvas.At(20, 24), kUntouched);
}

// The first and last columns of the title's ink (the only pixels in the pen's colour of a border without lines).
std::pair<int, int> TitleInk(const DibCanvas& canvas) {
  int left = canvas.width(), right = -1;
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < canvas.width(); ++x) {
      if (canvas.At(x, y) != kFore) continue;
      left = std::min(left, x);
      right = std::max(right, x);
    }
  }
  return {left, right};
}

TEST(BorderDrawing, ATitleTooWideIsCutWithAnEllipsis) {
  DibCanvas narrow(60, 40), wide(240, 40);
  Draw(narrow, Border({5, 20, 45, 38}, 0, 0, false, "Twelve chars"));
  Draw(wide, Border({5, 20, 235, 38}, 0, 0, false, "Twelve chars"));
  const auto [narrowLeft, narrowRight] = TitleInk(narrow);
  const auto [wideLeft, wideRight] = TitleInk(wide);
  ASSERT_LE(narrowLeft, narrowRight);
  ASSERT_LE(wideLeft, wideRight);
  EXPECT_LE(narrowRight - narrowLeft + 1, 40 * 2 / 3 + 1);  // at most two thirds of the width
  EXPECT_GT(wideRight - wideLeft + 1, 40);                  // the whole title, where it fits
  // The cut title ends in three dots: the last columns of ink are apart.
  int gaps = 0;
  for (int x = narrowRight - 7; x < narrowRight; ++x) {
    bool inked = false;
    for (int row = 0; row < 40; ++row) inked = inked || narrow.At(x, row) == kFore;
    gaps += inked ? 0 : 1;
  }
  EXPECT_GE(gaps, 2);
}

class Borders : public ElementPage {};

TEST_F(Borders, TakeThePageColoursAndAnswerTheirMessages) {
  ASSERT_EQ(Open("<PAGE><BORDER NAME=b RECT=10,10,100,80 TITLE=Box/>"
                 "<BORDER NAME=own RECT=10,90,100,150 FGCOLOR=#FF0000/></PAGE>",
                 {}, "WIDTH=300 HEIGHT=200 FGCOLOR=#102030 BGCOLOR=#405060"),
            kPlatformNoError);
  uint32_t fore = 0, back = 0;
  Send("b", kElementGetForeColor, 0, reinterpret_cast<intptr_t>(&fore));
  Send("b", kElementGetBackColor, 0, reinterpret_cast<intptr_t>(&back));
  EXPECT_EQ(fore, Word(0x10, 0x20, 0x30));
  EXPECT_EQ(back, Word(0x40, 0x50, 0x60));
  Send("own", kElementGetForeColor, 0, reinterpret_cast<intptr_t>(&fore));
  EXPECT_EQ(fore, Word(0xFF, 0, 0));
  uint8_t enabled = 1;
  Send("b", kElementGetEnabled, 0, reinterpret_cast<intptr_t>(&enabled));
  EXPECT_EQ(enabled, 0);
  EXPECT_EQ(Value("b"), 0);
  EXPECT_EQ(Send("b", kElementSetValue, 1), kElementErrUnsupported);
  char title[256];
  Send("b", kElementGetTitle, 0, reinterpret_cast<intptr_t>(title));
  EXPECT_STREQ(title, "Box");
  // Drawn on the page: the line in the page's foreground, the inside in its background.
  const HostFrame frame = Frame();
  EXPECT_EQ(At(frame, 10, 40), 0x102030u);
  EXPECT_EQ(At(frame, 50, 40), 0x405060u);
  EXPECT_EQ(At(frame, 10, 120), 0xFF0000u);
}

}  // namespace
