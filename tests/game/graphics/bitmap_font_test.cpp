// BitmapFont: the glyph map from Mac Roman text codes to rendered Windows-1252 glyphs, face names, and the atlas
// rendered through the host's text calls.
#include "game/graphics/bitmap_font.h"

#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

#include "host/gdi.h"

namespace {

TEST(GlyphMapTest, TextCodesTakeTheirRenderedGlyphs) {
  const struct {
    uint8_t text;
    int32_t rendered;
  } cases[] = {
      {0x00, -1}, {0x1F, -1}, {0x20, 0x20}, {0x41, 0x41}, {0x7F, 0x7F},  // below 128: themselves, none under 32
      {0x80, 0xC4}, {0x8E, 0xE9},                                        // A diaeresis, e acute
      {0x93, 0x93}, {0xEC, 0xEC},                                        // kept as stored text has them
      {0xA5, 0xA4}, {0xAC, 0xAF}, {0xBF, 0x20}, {0xCA, 0x20},            // bullet, diaeresis, o stroke, no-break
      {0xDA, 0x2F}, {0xDB, 0x80}, {0xFB, 0xB0},                          // fraction slash, euro, ring above
      {0xD2, 0x93}, {0xD5, 0x92}, {0xC9, 0x85}, {0xFF, 0x20},
  };
  for (const auto& c : cases) EXPECT_EQ(RenderedCodeOf(c.text), c.rendered) << std::hex << int(c.text);

  int spaces = 0;
  for (int code = 128; code < 256; ++code) spaces += RenderedCodeOf(static_cast<uint8_t>(code)) == 0x20;
  EXPECT_EQ(spaces, 25);
}

TEST(BitmapFontTest, FaceNamesDefaultToArialAndBadFacesAreRefused) {
  BitmapFont font;
  EXPECT_EQ(font.Face(), "");
  EXPECT_EQ(font.Size(), 12);
  EXPECT_EQ(font.Color(), (DrawColor{0, 0, 0, 255}));
  for (const char* name : {"", "default", "Default"}) {
    font.SetFace("Courier New");
    font.SetFace(name);
    EXPECT_EQ(font.Face(), "Arial") << name;
  }
  font.SetFace("DEFAULT");  // only the two spellings mean the default
  EXPECT_EQ(font.Face(), "DEFAULT");

  font.SetSize(100000);  // no font can be made at this size
  font.SetFace("Times New Roman");
  EXPECT_EQ(font.Face(), "DEFAULT");
}

// Fonts of one face, size and style share the ink the host renders once; the colour and another size or style
// still make their own atlases.
TEST(BitmapFontTest, FontsOfOneFaceSizeAndStyleShareTheirInkInTheirOwnColours) {
  struct Made {
    int32_t size, style;
    DrawColor color;
  };
  const Made made[] = {{16, 0, DrawColor{10, 20, 30, 255}},
                       {16, 0, DrawColor{200, 100, 50, 255}},
                       {16, BitmapFont::kBoldStyle, DrawColor{10, 20, 30, 255}},
                       {12, 0, DrawColor{10, 20, 30, 255}}};
  BitmapFont fonts[4];
  for (size_t i = 0; i < 4; ++i) {
    fonts[i].SetSize(made[i].size);
    fonts[i].SetStyle(made[i].style);
    fonts[i].SetColor(made[i].color);
    fonts[i].SetFace("Arial");
    fonts[i].Build();
    ASSERT_NE(fonts[i].Atlas(), nullptr);
  }
  // The ink of each atlas, as where its alpha is set.
  auto ink = [](const BitmapFont& font) {
    std::vector<bool> set;
    const Bitmap& atlas = *font.Atlas();
    for (int32_t y = 0; y < atlas.height; ++y)
      for (int32_t x = 0; x < atlas.width; ++x) set.push_back(atlas.PixelAt(x, y)[3] != 0);
    return set;
  };
  EXPECT_EQ(ink(fonts[0]), ink(fonts[1]));
  EXPECT_NE(ink(fonts[0]), ink(fonts[2]));
  EXPECT_NE(fonts[0].CellHeight(), fonts[3].CellHeight());
  const Bitmap* a = fonts[1].RenderedGlyph('A');
  bool coloured = false;
  for (int32_t y = 0; y < a->height; ++y) {
    for (int32_t x = 0; x < a->width; ++x) {
      const uint8_t* p = a->PixelAt(x, y);
      if (p[3] != 0) coloured = p[0] == 200 && p[1] == 100 && p[2] == 50;
    }
  }
  EXPECT_TRUE(coloured);
}

class BuiltFontTest : public ::testing::TestWithParam<int32_t> {
 protected:
  void SetUp() override {
    font.SetSize(16);
    font.SetStyle(GetParam());
    font.SetColor(DrawColor{10, 20, 30, 255});
    font.SetFace("Arial");
    font.Build();
    ASSERT_NE(font.Atlas(), nullptr);
  }
  BitmapFont font;
};

// Plain, and bold italic (whose slanted glyphs reach farthest past their cells).
INSTANTIATE_TEST_SUITE_P(Styles, BuiltFontTest,
                         ::testing::Values(0, BitmapFont::kBoldStyle | BitmapFont::kItalicStyle));

TEST_P(BuiltFontTest, GlyphMapPointsAtRenderedGlyphs) {
  EXPECT_EQ(font.GetGlyph(0x1F), nullptr);
  EXPECT_EQ(font.GetGlyph(0), nullptr);
  EXPECT_EQ(font.GetGlyph(300), nullptr);
  EXPECT_EQ(font.GetGlyph('A'), font.RenderedGlyph('A'));
  EXPECT_EQ(font.GetGlyph(0x8E), font.RenderedGlyph(0xE9));
  EXPECT_EQ(font.GetGlyph(0x93), font.RenderedGlyph(0x93));
  EXPECT_EQ(font.GetGlyph(0xEC), font.RenderedGlyph(0xEC));
  EXPECT_EQ(font.GetGlyph(0xA5), font.RenderedGlyph(0xA4));
  for (int code = 32; code < 256; ++code) EXPECT_NE(font.GetGlyph(code), nullptr) << code;
}

TEST_P(BuiltFontTest, AtlasHoldsTheInkInTheFontColourAndGlyphsStayInside) {
  const Bitmap& atlas = *font.Atlas();
  EXPECT_EQ(atlas.width, font.CellWidth() * 16);
  EXPECT_EQ(atlas.height, font.CellHeight() * 14);
  EXPECT_EQ(atlas.format, AlphaFormat);

  // Every pixel is either the font colour or fully transparent, and "A" has some ink.
  int ink = 0;
  for (int32_t y = 0; y < atlas.height; ++y) {
    for (int32_t x = 0; x < atlas.width; ++x) {
      const uint8_t* p = atlas.PixelAt(x, y);
      const bool isInk = p[0] == 10 && p[1] == 20 && p[2] == 30 && p[3] == 255;
      const bool isClear = p[0] == 0 && p[1] == 0 && p[2] == 0 && p[3] == 0;
      ASSERT_TRUE(isInk || isClear) << x << "," << y;
    }
  }
  const Bitmap* a = font.RenderedGlyph('A');
  for (int32_t y = 0; y < a->height; ++y)
    for (int32_t x = 0; x < a->width; ++x) ink += a->PixelAt(x, y)[3] != 0;
  EXPECT_GT(ink, 10);

  // Every glyph is a view inside the atlas, never left of it nor past its right edge.
  for (int code = 32; code < 256; ++code) {
    const Bitmap* glyph = font.RenderedGlyph(code);
    ASSERT_NE(glyph, nullptr);
    if (glyph->Status() != kBitmapReady) continue;  // a glyph without width
    const int64_t offset = glyph->GetPixels() - atlas.GetPixels();
    const int64_t x = (offset % atlas.rowBytes) / 4;
    EXPECT_EQ(glyph->height, font.CellHeight());
    EXPECT_LE(x + glyph->width, atlas.width) << code;
    EXPECT_EQ(offset / atlas.rowBytes, ((code - 32) / 16) * font.CellHeight()) << code;
  }
}

TEST_P(BuiltFontTest, InkStartsAtTheLeftEdgeOfEachGlyph) {
  // Letters whose ink starts left of their origin (a negative A width, as "j" often has) and letters that start
  // right of it are both drawn so that the ink begins at the glyph's first column.
  for (const char* text = "AHjfgyW"; *text != '\0'; ++text) {
    const Bitmap* glyph = font.RenderedGlyph(static_cast<uint8_t>(*text));
    int32_t left = glyph->width;
    for (int32_t y = 0; y < glyph->height; ++y)
      for (int32_t x = 0; x < glyph->width; ++x)
        if (glyph->PixelAt(x, y)[3] != 0) left = std::min(left, x);
    // Slanted faces may round their ink widths to a pixel more than the ink they draw.
    EXPECT_LE(left, GetParam() == 0 ? 0 : 1) << *text;
  }
}

TEST_P(BuiltFontTest, SpaceGlyphIsAsWideAsTheSpaceAndItsAdvance) {
  HDC dc = CreateCompatibleDC(nullptr);
  const bool bold = (GetParam() & BitmapFont::kBoldStyle) != 0;
  const bool italic = (GetParam() & BitmapFont::kItalicStyle) != 0;
  HFONT handle = CreateFontA(16, 0, 0, 0, bold ? FW_BOLD : 0, italic, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
  HGDIOBJ previous = SelectObject(dc, handle);
  ABC space{};
  ASSERT_TRUE(GetCharABCWidthsA(dc, ' ', ' ', &space));
  SelectObject(dc, previous);
  DeleteObject(handle);
  DeleteDC(dc);
  EXPECT_EQ(font.RenderedGlyph(' ')->width, static_cast<int32_t>(space.abcB) + space.abcC);
  EXPECT_EQ(font.RenderedGlyph(' ')->height, font.CellHeight());
}

TEST_P(BuiltFontTest, RebuildWithFailedFontKeepsWorkingGlyphs) {
  Bitmap* before = font.GetGlyph('B');
  font.SetSize(100000);  // the font cannot be made: the default font is used
  font.Build();
  ASSERT_NE(font.GetGlyph('B'), nullptr);
  EXPECT_NE(font.GetGlyph('B'), before);  // a complete build replaces the glyphs
  EXPECT_EQ(font.GetGlyph('B')->height, font.CellHeight());
}

}  // namespace
