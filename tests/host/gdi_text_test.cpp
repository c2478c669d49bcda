// Fonts and text of the drawing layer: metrics, measuring, drawing onto 1-bit and 24-bit DIB sections, alignment and
// the current position, and the enumeration of installed families. The build installs the faces these tests rely on;
// checks are on relations between metrics and on where ink lands, not on exact glyph shapes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "gdi_test_helpers.h"

namespace {

using gdi_test::Canvas;

// Selects a font into a DC for the scope of a test and deletes it afterwards.
class ScopedFont {
 public:
  ScopedFont(HDC dc, int height, const char* face, int weight = FW_NORMAL, bool italic = false, bool underline = false)
      : dc_(dc), font_(CreateFontA(height, 0, 0, 0, weight, italic, underline, 0, ANSI_CHARSET, 0, 0, 0, 0, face)) {
    previous_ = SelectObject(dc, font_);
  }
  ~ScopedFont() {
    SelectObject(dc_, previous_);
    DeleteObject(font_);
  }
  HFONT get() const { return font_; }

 private:
  HDC dc_;
  HFONT font_;
  HGDIOBJ previous_ = nullptr;
};

// The smallest box holding every pixel of the colour; left > right when there is none.
RECT InkBox(const Canvas& canvas, int height, COLORREF ink) {
  RECT box{canvas.width(), height, -1, -1};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < canvas.width(); ++x) {
      if (canvas.At(x, y) != ink) continue;
      box = {std::min<LONG>(box.left, x), std::min<LONG>(box.top, y), std::max<LONG>(box.right, x + 1),
             std::max<LONG>(box.bottom, y + 1)};
    }
  }
  return box;
}

struct MetricsCase {
  const char* face;
  int height;
};

TEST(GdiText, MetricsAreConsistentForEachFaceAndHeight) {
  const MetricsCase cases[] = {{"Arial", 16}, {"Arial", -12}, {"Times New Roman", 20}, {"Courier New", 13},
                               {"", 16},      {"Arial", 0},   {"DejaVu Sans", -30}};
  Canvas canvas(4, 4);
  for (const MetricsCase& c : cases) {
    SCOPED_TRACE(std::string(c.face) + " " + std::to_string(c.height));
    ScopedFont font(canvas.dc(), c.height, c.face);
    TEXTMETRICA tm{};
    ASSERT_TRUE(GetTextMetricsA(canvas.dc(), &tm));
    EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
    if (c.height > 0) {
      EXPECT_EQ(tm.tmHeight, c.height);
    }
    if (c.height < 0) {
      EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, -c.height);
    }
    EXPECT_GT(tm.tmAscent, tm.tmDescent);
    EXPECT_GT(tm.tmDescent, 0);
    EXPECT_GE(tm.tmInternalLeading, 0);
    EXPECT_GT(tm.tmAveCharWidth, 0);
    EXPECT_GE(tm.tmMaxCharWidth, tm.tmAveCharWidth);

    // The extent is the sum of each character's A + B + C, and one cell high.
    const char text[] = "Kestrel, 1252: \x80\xE9!";
    const int n = static_cast<int>(sizeof text - 1);
    SIZE size{};
    ASSERT_TRUE(GetTextExtentPoint32A(canvas.dc(), text, n, &size));
    EXPECT_EQ(size.cy, tm.tmHeight);
    ABC abc[256];
    ASSERT_TRUE(GetCharABCWidthsA(canvas.dc(), 0, 255, abc));
    LONG sum = 0;
    for (int i = 0; i < n; ++i) {
      const ABC& w = abc[static_cast<unsigned char>(text[i])];
      sum += w.abcA + static_cast<LONG>(w.abcB) + w.abcC;
      EXPECT_LE(w.abcA + static_cast<LONG>(w.abcB) + w.abcC, tm.tmMaxCharWidth);
    }
    EXPECT_EQ(size.cx, sum);
  }
}

TEST(GdiText, FixedPitchFacesAdvanceEqually) {
  Canvas canvas(4, 4);
  ScopedFont font(canvas.dc(), 14, "Courier New");
  SIZE narrow{}, wide{};
  GetTextExtentPoint32A(canvas.dc(), "iiii", 4, &narrow);
  GetTextExtentPoint32A(canvas.dc(), "WWWW", 4, &wide);
  EXPECT_EQ(narrow.cx, wide.cx);
  Canvas other(4, 4);
  ScopedFont proportional(other.dc(), 14, "Arial");
  GetTextExtentPoint32A(other.dc(), "iiii", 4, &narrow);
  GetTextExtentPoint32A(other.dc(), "WWWW", 4, &wide);
  EXPECT_LT(narrow.cx, wide.cx);
}

TEST(GdiText, BoldAndLargerFontsAreWider) {
  Canvas canvas(4, 4);
  SIZE regular{}, bold{}, large{};
  {
    ScopedFont font(canvas.dc(), 16, "Arial");
    GetTextExtentPoint32A(canvas.dc(), "Measure", 7, &regular);
  }
  {
    ScopedFont font(canvas.dc(), 16, "Arial", FW_BOLD);
    GetTextExtentPoint32A(canvas.dc(), "Measure", 7, &bold);
  }
  {
    ScopedFont font(canvas.dc(), 32, "Arial");
    GetTextExtentPoint32A(canvas.dc(), "Measure", 7, &large);
  }
  EXPECT_GT(bold.cx, regular.cx);
  EXPECT_GT(large.cx, regular.cx * 3 / 2);
}

struct DepthCase {
  WORD bits;
  COLORREF paper;  // what the canvas is filled with before drawing
  COLORREF ink;
};

TEST(GdiText, TextOutDrawsInsideItsCellOnOneBitAndTwentyFourBitSections) {
  const DepthCase cases[] = {{24, 0xFFFFFF, RGB(200, 0, 0)}, {1, 0xFFFFFF, 0x000000}, {1, 0x000000, 0xFFFFFF}};
  for (const DepthCase& c : cases) {
    SCOPED_TRACE(c.bits);
    Canvas canvas(60, 30, c.bits);
    HBRUSH paper = CreateSolidBrush(c.paper);
    const RECT all{0, 0, 60, 30};
    FillRect(canvas.dc(), &all, paper);
    DeleteObject(paper);
    ScopedFont font(canvas.dc(), 20, "Arial");
    SetTextColor(canvas.dc(), c.ink);
    SetBkMode(canvas.dc(), TRANSPARENT);
    ASSERT_TRUE(TextOutA(canvas.dc(), 5, 4, "Hg", 2));
    SIZE size{};
    GetTextExtentPoint32A(canvas.dc(), "Hg", 2, &size);
    const RECT ink = InkBox(canvas, 30, c.ink);
    ASSERT_LT(ink.left, ink.right) << "no ink";
    EXPECT_GE(ink.left, 5);
    EXPECT_LE(ink.right, 5 + size.cx + 1);
    EXPECT_GE(ink.top, 4);
    EXPECT_LE(ink.bottom, 4 + size.cy);
    // "g" descends below the baseline, "H" rises well above it.
    TEXTMETRICA tm{};
    GetTextMetricsA(canvas.dc(), &tm);
    EXPECT_GT(ink.bottom, 4 + tm.tmAscent);
    EXPECT_LT(ink.top, 4 + tm.tmAscent / 2);
    EXPECT_EQ(canvas.Count(c.ink) + canvas.Count(c.paper),
              60 * 30);  // no blended pixels
  }
}

TEST(GdiText, OpaqueModeFillsTheCellWithTheBackgroundColour) {
  Canvas canvas(40, 24);
  ScopedFont font(canvas.dc(), 16, "Arial");
  SetBkColor(canvas.dc(), RGB(0, 0, 255));
  ASSERT_EQ(GetBkMode(canvas.dc()), OPAQUE);
  TextOutA(canvas.dc(), 2, 3, "ab", 2);
  SIZE size{};
  GetTextExtentPoint32A(canvas.dc(), "ab", 2, &size);
  for (int y = 0; y < 24; ++y) {
    for (int x = 0; x < 40; ++x) {
      const bool inCell = x >= 2 && x < 2 + size.cx && y >= 3 && y < 3 + size.cy;
      const COLORREF c = canvas.At(x, y);
      if (inCell) {
        EXPECT_TRUE(c == RGB(0, 0, 255) || c == 0) << x << "," << y;
      } else {
        EXPECT_EQ(c, 0xFFFFFFu) << x << "," << y;
      }
    }
  }
}

TEST(GdiText, UnderlineAndStrikeOutRunUnderAndThroughTheWholeText) {
  struct Case {
    bool underline;
    int firstRow;  // rows searched for a full line (the baseline is row 14)
    int endRow;
  };
  for (const Case& c : {Case{true, 15, 24}, Case{false, 5, 14}}) {
    SCOPED_TRACE(c.underline);
    Canvas canvas(50, 24);
    HFONT handle = CreateFontA(16, 0, 0, 0, FW_NORMAL, 0, c.underline, !c.underline, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
    SelectObject(canvas.dc(), handle);
    SetBkMode(canvas.dc(), TRANSPARENT);
    SetTextAlign(canvas.dc(), TA_BASELINE);
    TextOutA(canvas.dc(), 3, 14, "a  b", 4);
    SIZE size{};
    GetTextExtentPoint32A(canvas.dc(), "a  b", 4, &size);
    const std::string full(static_cast<size_t>(size.cx), '#');
    bool found = false;
    for (int y = c.firstRow; y < c.endRow && !found; ++y) found = canvas.Row(y).substr(3, full.size()) == full;
    EXPECT_TRUE(found);
    SelectObject(canvas.dc(), GetStockObject(SYSTEM_FONT));
    DeleteObject(handle);
  }
}

// Draws `text` and returns the ink's box.
RECT DrawAndMeasure(HDC dc, const Canvas& canvas, int x, int y, const char* text) {
  TextOutA(dc, x, y, text, static_cast<int>(std::strlen(text)));
  return InkBox(canvas, 40, 0);
}

TEST(GdiText, AlignmentPlacesTheTextAroundItsReferencePoint) {
  struct Case {
    UINT align;
    int dx;  // expected shift of the ink against left-top alignment, in units of
             // the text width (2 = half)
    bool baseline;
  };
  const Case cases[] = {{TA_LEFT | TA_TOP, 0, false},
                        {TA_RIGHT | TA_TOP, 1, false},
                        {TA_CENTER | TA_TOP, 2, false},
                        {TA_LEFT | TA_BASELINE, 0, true},
                        {TA_LEFT | TA_BOTTOM, 0, false}};
  RECT reference{};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.align);
    Canvas canvas(120, 40);
    ScopedFont font(canvas.dc(), 16, "Arial");
    SetBkMode(canvas.dc(), TRANSPARENT);
    SetTextAlign(canvas.dc(), c.align);
    TEXTMETRICA tm{};
    GetTextMetricsA(canvas.dc(), &tm);
    SIZE size{};
    GetTextExtentPoint32A(canvas.dc(), "Wide", 4, &size);
    const RECT ink = DrawAndMeasure(canvas.dc(), canvas, 60, 20, "Wide");
    if (c.align == (TA_LEFT | TA_TOP)) {
      reference = ink;
      continue;
    }
    const LONG shift = c.dx == 0 ? 0 : c.dx == 1 ? -size.cx : -(size.cx / 2);
    EXPECT_EQ(ink.left, reference.left + shift);
    const LONG lift = (c.align & TA_BASELINE) == TA_BASELINE ? tm.tmAscent : (c.align & TA_BOTTOM) ? tm.tmHeight : 0;
    EXPECT_EQ(ink.top, reference.top - lift);
  }
}

TEST(GdiText, UpdatingTheCurrentPositionContinuesTheText) {
  Canvas joined(120, 30), split(120, 30);
  for (Canvas* canvas : {&joined, &split}) {
    SelectObject(canvas->dc(), GetStockObject(ANSI_VAR_FONT));
    SetBkMode(canvas->dc(), TRANSPARENT);
    SetTextAlign(canvas->dc(), TA_LEFT | TA_BASELINE | TA_UPDATECP);
    MoveToEx(canvas->dc(), 4, 20, nullptr);
  }
  TextOutA(joined.dc(), 99, 99, "Onward", 6);  // the coordinates are ignored
  TextOutA(split.dc(), 0, 0, "On", 2);
  TextOutA(split.dc(), 0, 0, "ward", 4);
  for (int y = 0; y < 30; ++y) EXPECT_EQ(split.Row(y), joined.Row(y)) << "row " << y;
  SIZE size{};
  GetTextExtentPoint32A(joined.dc(), "Onward", 6, &size);
  POINT position{};
  MoveToEx(joined.dc(), 0, 0, &position);
  EXPECT_EQ(position.x, 4 + size.cx);
  EXPECT_EQ(position.y, 20);

  // Right-aligned text ends at the position and moves it to its left end; centred text leaves it.
  SetTextAlign(joined.dc(), TA_RIGHT | TA_UPDATECP);
  MoveToEx(joined.dc(), 100, 5, nullptr);
  TextOutA(joined.dc(), 0, 0, "ab", 2);
  GetTextExtentPoint32A(joined.dc(), "ab", 2, &size);
  MoveToEx(joined.dc(), 0, 0, &position);
  EXPECT_EQ(position.x, 100 - size.cx);
  SetTextAlign(joined.dc(), TA_CENTER | TA_UPDATECP);
  MoveToEx(joined.dc(), 50, 5, nullptr);
  TextOutA(joined.dc(), 0, 0, "ab", 2);
  MoveToEx(joined.dc(), 0, 0, &position);
  EXPECT_EQ(position.x, 50);
}

TEST(GdiText, TextClipsToTheClipRegionAndTheBitmap) {
  Canvas canvas(30, 20);
  ScopedFont font(canvas.dc(), 18, "Arial");
  SetBkMode(canvas.dc(), TRANSPARENT);
  HRGN clip = CreateRectRgn(0, 0, 8, 20);
  SelectClipRgn(canvas.dc(), clip);
  TextOutA(canvas.dc(), 1, 1, "MMMMMMMMMMMMMMMMMMMMMMMM",
           24);  // runs far past the right edge
  const RECT ink = InkBox(canvas, 20, 0);
  EXPECT_LT(ink.left, ink.right);
  EXPECT_LE(ink.right, 8);
  TextOutA(canvas.dc(), -2000000000, -2000000000, "far", 3);
  DeleteObject(clip);
}

int RecordFamily(const LOGFONTA* font, const TEXTMETRICA*, DWORD type, LPARAM data) {
  auto* names = reinterpret_cast<std::vector<std::string>*>(data);
  names->push_back(font->lfFaceName);
  EXPECT_EQ(type, TRUETYPE_FONTTYPE);
  return 7;
}

TEST(GdiText, EnumerationFindsInstalledFamiliesAndAliasesButNotSubstitutes) {
  Canvas canvas(2, 2);
  struct Case {
    const char* name;
    bool installed;
  };
  const Case cases[] = {{"DejaVu Sans", true},
                        {"dejavu sans", true},
                        {"Liberation Serif", true},
                        {"Arial", true},
                        {"Courier New", true},
                        {"No Such Face", false},
                        {"Sans", false},
                        {"", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> names;
    const int result = EnumFontFamiliesA(canvas.dc(), c.name, RecordFamily, reinterpret_cast<LPARAM>(&names));
    EXPECT_EQ(names.size(), c.installed ? 1u : 0u);
    EXPECT_EQ(result, c.installed ? 7 : 1);
  }
  std::vector<std::string> all;
  EnumFontFamiliesA(canvas.dc(), nullptr, RecordFamily, reinterpret_cast<LPARAM>(&all));
  EXPECT_NE(std::find(all.begin(), all.end(), "Liberation Sans"), all.end());
  EXPECT_EQ(EnumFontFamiliesA(nullptr, "Arial", RecordFamily, 0), 0);
}

TEST(GdiText, BadArgumentsFail) {
  Canvas canvas(2, 2);
  SIZE size{};
  ABC abc[2];
  EXPECT_FALSE(GetTextExtentPoint32A(canvas.dc(), "a", -1, &size));
  EXPECT_FALSE(GetTextExtentPoint32A(canvas.dc(), nullptr, 3, &size));
  EXPECT_FALSE(GetCharABCWidthsA(canvas.dc(), 66, 65, abc));
  EXPECT_FALSE(GetCharABCWidthsA(canvas.dc(), 255, 256, abc));
  EXPECT_FALSE(TextOutA(nullptr, 0, 0, "a", 1));
  EXPECT_TRUE(TextOutA(canvas.dc(), 0, 0, nullptr, 0));
  EXPECT_EQ(CreateFontA(100000, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Arial"), nullptr);
  EXPECT_EQ(CreateFontA(12, 0, 0, 0, 5000, 0, 0, 0, 0, 0, 0, 0, 0, "Arial"), nullptr);
  EXPECT_EQ(CreateFontA(12, 0, 900, 900, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Arial"), nullptr);  // no turned text
  EXPECT_EQ(SetTextAlign(canvas.dc(), 0x100), GDI_ERROR);
}

}  // namespace
