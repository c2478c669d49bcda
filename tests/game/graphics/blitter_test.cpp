// Drawing into bitmaps: the routine chosen for each pair of formats, fills, lines, shading, scrolling and the
// clipping every entry point applies.
#include "game/graphics/blitter.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <set>
#include <utility>
#include <vector>

#include "game/graphics/bit_mask.h"
#include "game/graphics/bitmap.h"
#include "tests/support/bitmap_pixels.h"

using test_support::FilledBitmap;
using test_support::PatternBitmap;
using test_support::RawPixel;
using test_support::SetRawPixel;

namespace {

// Formats the cases use, by bytes per pixel and flags.
constexpr int32_t k2 = 2;
constexpr int32_t k2Key = 2 | 32;
constexpr int32_t k3 = 67;
constexpr int32_t k3Key = 99;
constexpr int32_t k3AlphaFlag = 3 | 16;
constexpr int32_t k3Spare = 3 | 8;
constexpr int32_t k4 = 4;
constexpr int32_t k4Key = 4 | 32;
constexpr int32_t k4Alpha = 84;
constexpr int32_t k4AlphaKey = 84 | 32;

struct DrawCase {
  const char* name;
  int32_t destinationFormat;
  int32_t sourceFormat;
  uint32_t source;
  uint32_t before;
  uint32_t after;
};

const DrawCase kDrawCases[] = {
    // Colour key: 3-byte sources skip pure white only.
    {"key3_white_skipped", k3, k3Key, 0xFFFFFF, 0x123456, 0x123456},
    {"key3_near_white_drawn", k3, k3Key, 0xFEFEFE, 0x123456, 0xFEFEFE},
    {"key3_onto4_white_skipped", k4, k3Key, 0xFFFFFF, 0x11223344, 0x11223344},
    {"key3_onto4_gets_alpha_255", k4, k3Key, 0x102030, 0x11223344, 0xFF102030},
    {"key3_onto2_white_skipped", k2, k3Key, 0xFFFFFF, 0x1234, 0x1234},
    {"key3_onto2_packed", k2, k3Key, 0xFF0000, 0x1234, 0xF800},
    // 4-byte key sources skip alpha 0 only: opaque white is drawn, a partial alpha is copied whole.
    {"key4_white_opaque_drawn", k4, k4Key, 0xFFFFFFFF, 0x11223344, 0xFFFFFFFF},
    {"key4_alpha0_skipped", k4, k4Key, 0x00ABCDEF, 0x11223344, 0x11223344},
    {"key4_partial_copied_whole", k4, k4Key, 0x80ABCDEF, 0x11223344, 0x80ABCDEF},
    {"key4_onto3_drops_alpha", k3, k4Key, 0x80ABCDEF, 0x123456, 0xABCDEF},
    // 2-byte key sources: 0x7FFF is transparent onto 3 and 4 bytes, onto 2 bytes only 0xFFFF is.
    {"key2_7fff_onto3_skipped", k3, k2Key, 0x7FFF, 0x123456, 0x123456},
    {"key2_7fff_onto4_skipped", k4, k2Key, 0x7FFF, 0x11223344, 0x11223344},
    {"key2_7fff_onto2_drawn", k2, k2Key, 0x7FFF, 0x1234, 0x7FFF},
    {"key2_ffff_onto2_skipped", k2, k2Key, 0xFFFF, 0x1234, 0x1234},
    // Alpha: 255 replaces, 0 leaves, 128 blends and makes a 4-byte destination opaque.
    {"alpha255_replaces", k4, k4Alpha, 0xFF112233, 0x44556677, 0xFF112233},
    {"alpha0_leaves", k4, k4Alpha, 0x00112233, 0x44556677, 0x44556677},
    {"alpha128_red_over_black", k4, k4Alpha, 0x80FF0000, 0xFF000000, 0xFF800000},
    {"alpha128_over_clear_becomes_opaque", k4, k4Alpha, 0x80FF0000, 0x00000000, 0xFF800000},
    {"alpha128_onto3", k3, k4Alpha, 0x80FF0000, 0x0000FF, 0x80007F},
    {"alpha255_onto3", k3, k4Alpha, 0xFF112233, 0x445566, 0x112233},
    {"alpha0_onto3", k3, k4Alpha, 0x00112233, 0x445566, 0x445566},
    {"alpha128_onto2", k2, k4Alpha, 0x80FF0000, 0x0000, 0x8000},
    {"alpha255_onto2", k2, k4Alpha, 0xFFFFFFFF, 0x0000, 0xFFFF},
    {"alpha_and_key_blends", k3, k4AlphaKey, 0x80FF0000, 0x000000, 0x800000},
    // Alpha and key flags on smaller sources, and flags of the destination, select plain copies.
    {"alpha_flag_on3_copies", k3, k3AlphaFlag, 0xFFFFFF, 0x123456, 0xFFFFFF},
    {"keyed_destination_copies", k3Key, k3, 0xFFFFFF, 0x123456, 0xFFFFFF},
    {"spare_flag_copies", k3Spare, k3Spare, 0xABCDEF, 0x123456, 0xABCDEF},
    // Plain conversions between sizes.
    {"plain3_onto4_alpha_255", k4, k3, 0x123456, 0, 0xFF123456},
    {"plain4_onto3_drops_alpha", k3, k4, 0x00123456, 0, 0x123456},
    {"plain3_white_packs_to_ffff", k2, k3, 0xFFFFFF, 0, 0xFFFF},
    {"plain2_ffff_expands_to_white", k3, k2, 0xFFFF, 0, 0xFFFFFF},
    {"plain2_red_expands", k4, k2, 0xF800, 0, 0xFFFF0000},
    {"plain2_onto2", k2, k2, 0x1234, 0, 0x1234},
};

class DrawRule : public testing::TestWithParam<DrawCase> {};

TEST_P(DrawRule, DrawsOnePixelByTheRuleOfTheTwoFormats) {
  const DrawCase& c = GetParam();
  auto destination = FilledBitmap(1, 1, c.destinationFormat, c.before);
  auto source = FilledBitmap(1, 1, c.sourceFormat, c.source);
  DrawBitmap(*destination, Point{0, 0}, *source, Bounds{0, 0, 1, 1});
  EXPECT_EQ(RawPixel(*destination, 0, 0), c.after);
}

INSTANTIATE_TEST_SUITE_P(Formats, DrawRule, testing::ValuesIn(kDrawCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Rows long enough for the blitter's many-pixel steps, with transparent pixels alone, in runs and in whole
// steps, against the one-pixel rule.
TEST(Blitter, KeyedRowsOfEveryLengthFollowThePixelRule) {
  for (int32_t format : {k3Key, k4Key, k2Key}) {
    for (int32_t width : {15, 16, 17, 37, 64, 70}) {
      auto source = PatternBitmap(width, 4, format);
      const uint32_t key = format == k3Key ? 0xFFFFFF : format == k4Key ? 0x00FFFFFF : 0xFFFF;
      for (int32_t y = 0; y < 4; ++y) {
        for (int32_t x = 0; x < width; ++x) {
          const bool keyed = y == 0 ? x % 3 == 1 : y == 1 ? (x / 5) % 2 == 0 : y == 2 ? x < 16 || x % 7 == 0 : x >= 32;
          if (keyed) SetRawPixel(*source, x, y, format == k4Key ? RawPixel(*source, x, y) & 0x00FFFFFF : key);
          // 4-byte sources keep their alpha at 0 or at a visible value; 3-byte ones never hold the key by chance.
          else if (format == k4Key) SetRawPixel(*source, x, y, RawPixel(*source, x, y) | 0x01000000);
          else if (RawPixel(*source, x, y) == key) SetRawPixel(*source, x, y, 0);
        }
      }
      const int32_t destinationFormat = format & 7;
      auto destination = FilledBitmap(width, 4, destinationFormat, 0x5A5A5A5A);
      DrawBitmap(*destination, Point{0, 0}, *source, Bounds{0, 0, width, 4});
      for (int32_t y = 0; y < 4; ++y) {
        for (int32_t x = 0; x < width; ++x) {
          const uint32_t value = RawPixel(*source, x, y);
          const bool transparent = format == k4Key ? (value >> 24) == 0 : value == key;
          const uint32_t untouched = RawPixel(*FilledBitmap(1, 1, destinationFormat, 0x5A5A5A5A), 0, 0);
          ASSERT_EQ(RawPixel(*destination, x, y), transparent ? untouched : value)
              << "format " << format << " width " << width << " at " << x << "," << y;
        }
      }
    }
  }
}

TEST(Blitter, FormatWithoutValidPixelSizeDrawsNothing) {
  auto destination = FilledBitmap(2, 2, k3, 0x123456);
  auto source = FilledBitmap(2, 2, k3, 0xABCDEF);
  source->format = 64 | 1;
  DrawBitmap(*destination, Point{0, 0}, *source, Bounds{0, 0, 2, 2});
  destination->format = 64 | 5;
  FillRect(*destination, Bounds{0, 0, 2, 2}, DrawColor::FromValue(0));
  ShadeRect(*destination, Bounds{0, 0, 2, 2}, 0);
  DrawLine(*destination, Point{0, 0}, Point{1, 1}, DrawColor::FromValue(0));
  destination->format = k3;
  EXPECT_EQ(RawPixel(*destination, 0, 0), 0x123456u);
  EXPECT_EQ(RawPixel(*destination, 1, 1), 0x123456u);
}

TEST(Blitter, BitmapWithoutPixelsIsLeftAlone) {
  Bitmap empty;
  auto source = FilledBitmap(2, 2, k3, 0xABCDEF);
  DrawBitmap(empty, Point{0, 0}, *source, Bounds{0, 0, 2, 2});
  FillRect(empty, Bounds{0, 0, 2, 2}, DrawColor{});
  DrawColor color{1, 2, 3, 4};
  EXPECT_FALSE(GetPixel(color, empty, 0, 0));
  EXPECT_EQ(color, DrawColor{});
}

struct FillCase {
  const char* name;
  int32_t format;
  uint32_t color;
  uint32_t stored;
};

const FillCase kFillCases[] = {
    {"white_into_keyed3", k3Key, 0xFFFFFFFF, 0xFFFFFF},
    {"white_into_keyed4_gets_alpha_0", k4Key, 0xFFFFFFFF, 0x00FFFFFF},
    {"white_into_keyed2", k2Key, 0xFFFFFFFF, 0xFFFF},
    {"white_into_alpha_unchanged", k4Alpha, 0xFFFFFFFF, 0xFFFFFFFF},
    {"other_colour_into_keyed4_unchanged", k4Key, 0xFF102030, 0xFF102030},
    {"clear_white_into_keyed4_unchanged", k4Key, 0x00FFFFFF, 0x00FFFFFF},
    {"colour_into_opaque3", k3, 0x80102030, 0x102030},
    {"colour_into_2", k2, 0xFFFF0000, 0xF800},
};

class FillRule : public testing::TestWithParam<FillCase> {};

TEST_P(FillRule, StoresTheColourByTheBitmapsFormat) {
  const FillCase& c = GetParam();
  // Wide enough for the eight-pixel steps and a rest.
  auto bitmap = FilledBitmap(11, 3, c.format, 0);
  FillRect(*bitmap, Bounds{0, 0, 11, 3}, DrawColor::FromValue(c.color));
  for (int32_t y = 0; y < 3; ++y) {
    for (int32_t x = 0; x < 11; ++x) ASSERT_EQ(RawPixel(*bitmap, x, y), c.stored) << x << "," << y;
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, FillRule, testing::ValuesIn(kFillCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Blitter, FrameRectOfOneRowIsThatRow) {
  auto bitmap = FilledBitmap(6, 4, k3, 0);
  FrameRect(*bitmap, Bounds{1, 1, 4, 1}, DrawColor::FromValue(0xFFABCDEF));
  for (int32_t y = 0; y < 4; ++y) {
    for (int32_t x = 0; x < 6; ++x) {
      const bool onRow = y == 1 && x >= 1 && x <= 4;
      EXPECT_EQ(RawPixel(*bitmap, x, y), onRow ? 0xABCDEFu : 0u) << x << "," << y;
    }
  }
}

TEST(Blitter, FrameRectDrawsTheFourEdges) {
  auto bitmap = FilledBitmap(6, 5, k3, 0);
  FrameRect(*bitmap, Bounds{1, 1, 4, 3}, DrawColor::FromValue(0xFFFFFFFF));
  for (int32_t y = 0; y < 5; ++y) {
    for (int32_t x = 0; x < 6; ++x) {
      const bool inside = x >= 1 && x <= 4 && y >= 1 && y <= 3;
      const bool edge = inside && (x == 1 || x == 4 || y == 1 || y == 3);
      EXPECT_EQ(RawPixel(*bitmap, x, y), edge ? 0xFFFFFFu : 0u) << x << "," << y;
    }
  }
}

// The pixels a line sets, read back from a cleared 4-byte bitmap.
std::set<std::pair<int32_t, int32_t>> LinePixels(Point from, Point to, int32_t size = 8) {
  auto bitmap = FilledBitmap(size, size, k4, 0);
  DrawLine(*bitmap, from, to, DrawColor::FromValue(0xFFFFFFFF));
  std::set<std::pair<int32_t, int32_t>> drawn;
  for (int32_t y = 0; y < size; ++y) {
    for (int32_t x = 0; x < size; ++x) {
      if (RawPixel(*bitmap, x, y) != 0) drawn.insert({x, y});
    }
  }
  return drawn;
}

struct LineCase {
  const char* name;
  Point from;
  Point to;
  std::set<std::pair<int32_t, int32_t>> pixels;
};

TEST(Blitter, LinesDrawBothEndsByBresenhamSteps) {
  const LineCase cases[] = {
      {"point", {2, 2}, {2, 2}, {{2, 2}}},
      {"diagonal", {0, 0}, {3, 3}, {{0, 0}, {1, 1}, {2, 2}, {3, 3}}},
      {"x_major", {0, 0}, {5, 2}, {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 2}}},
      {"x_major_backwards", {5, 2}, {0, 0}, {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 2}}},
      {"y_major", {0, 0}, {1, 4}, {{0, 0}, {0, 1}, {0, 2}, {1, 3}, {1, 4}}},
      {"horizontal", {6, 3}, {4, 3}, {{4, 3}, {5, 3}, {6, 3}}},
      {"vertical", {7, 0}, {7, 2}, {{7, 0}, {7, 1}, {7, 2}}},
      {"through_the_bitmap", {-3, -3}, {10, 10},
       {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}, {6, 6}, {7, 7}}},
      {"wholly_outside", {-5, 0}, {-1, 7}, {}},
  };
  for (const LineCase& c : cases) EXPECT_EQ(LinePixels(c.from, c.to), c.pixels) << c.name;
}

// The stepping rule itself, pixel by pixel: the reference the blitter's lines must match.
std::set<std::pair<int32_t, int32_t>> SteppedLine(Point from, Point to, int32_t size) {
  std::set<std::pair<int32_t, int32_t>> drawn;
  auto draw = [&](int32_t x, int32_t y) {
    if (x >= 0 && y >= 0 && x < size && y < size) drawn.insert({x, y});
  };
  int32_t x = from.x, y = from.y;
  draw(x, y);
  const int32_t ax = std::abs(to.x - from.x), ay = std::abs(to.y - from.y);
  const int32_t sx = to.x < from.x ? -1 : 1, sy = to.y < from.y ? -1 : 1;
  // One step along the major axis; the minor axis moves when the error term is positive.
  auto walk = [&](int32_t& major, int32_t majorEnd, int32_t majorStep, int32_t& minor, int32_t minorStep,
                  int32_t majorLength, int32_t minorLength) {
    for (int32_t e = 2 * minorLength - majorLength; major != majorEnd;) {
      major += majorStep;
      if (e > 0) {
        minor += minorStep;
        e += 2 * minorLength - 2 * majorLength;
      } else {
        e += 2 * minorLength;
      }
      draw(x, y);
    }
  };
  if (ay < ax) {
    walk(x, to.x, sx, y, sy, ax, ay);
  } else {
    walk(y, to.y, sy, x, sx, ay, ax);
  }
  return drawn;
}

TEST(Blitter, LinesMatchTheSteppingRuleForEveryPairOfEnds) {
  // Every pair of end points around a 6 x 6 bitmap, inside and outside it.
  for (int32_t x0 = -4; x0 <= 9; ++x0) {
    for (int32_t y0 = -4; y0 <= 9; ++y0) {
      for (int32_t x1 = -4; x1 <= 9; ++x1) {
        for (int32_t y1 = -4; y1 <= 9; ++y1) {
          ASSERT_EQ(LinePixels(Point{x0, y0}, Point{x1, y1}, 6), SteppedLine(Point{x0, y0}, Point{x1, y1}, 6))
              << x0 << "," << y0 << " to " << x1 << "," << y1;
        }
      }
    }
  }
}

TEST(Blitter, LinesFromFarAwayVisitOnlyTheBitmap) {
  EXPECT_TRUE(LinePixels(Point{INT32_MIN, INT32_MIN}, Point{INT32_MIN + 3, INT32_MIN + 1}).empty());
  // Across the whole coordinate range: the horizontal line through row 3 and the diagonal through the corner.
  std::set<std::pair<int32_t, int32_t>> row;
  for (int32_t x = 0; x < 8; ++x) row.insert({x, 3});
  EXPECT_EQ(LinePixels(Point{INT32_MIN, 3}, Point{INT32_MAX, 3}), row);
  std::set<std::pair<int32_t, int32_t>> diagonal;
  for (int32_t i = 0; i < 8; ++i) diagonal.insert({i, i});
  EXPECT_EQ(LinePixels(Point{INT32_MIN + 1, INT32_MIN + 1}, Point{INT32_MAX, INT32_MAX}), diagonal);
}

struct ShadeCase {
  int32_t format;
  uint32_t before;
  int32_t level;
  uint32_t after;
};

TEST(Blitter, ShadeScalesColourChannelsAndKeepsAlpha) {
  const ShadeCase cases[] = {
      {k3, 0x804020, 255, 0x804020},         {k3, 0x804020, 0, 0x000000},
      {k3, 0x804020, 128, 0x402010},         {k4, 0x7F804020, 0, 0x7F000000},
      {k4, 0x7F804020, 255, 0x7F804020},     {k2, 0xFFFF, 0, 0x0000},
      {k2, 0xFFFF, 255, 0xFFFF},             {k3, 0xFFFFFF, 0x1FF, 0xFFFFFF},  // only the low byte counts
  };
  for (const ShadeCase& c : cases) {
    auto bitmap = FilledBitmap(3, 2, c.format, c.before);
    ShadeRect(*bitmap, Bounds{0, 0, 3, 2}, c.level);
    EXPECT_EQ(RawPixel(*bitmap, 2, 1), c.after) << c.format << " level " << c.level;
  }
}

TEST(Blitter, ScaleAlphaChangesOnlyAlphaOfFourBytePixels) {
  auto bitmap = FilledBitmap(3, 2, k4Alpha, 0xFF804020);
  ScaleAlphaRect(*bitmap, Bounds{0, 0, 3, 2}, 128);
  EXPECT_EQ(RawPixel(*bitmap, 1, 1), 0x80804020u);
  auto opaque = FilledBitmap(3, 2, k3, 0x804020);
  ScaleAlphaRect(*opaque, Bounds{0, 0, 3, 2}, 0);
  EXPECT_EQ(RawPixel(*opaque, 2, 1), 0x804020u);
}

TEST(Blitter, GetPixelReadsBgraWithOpaqueSmallPixels) {
  auto wide = FilledBitmap(2, 2, k2, 0xFFFF);
  DrawColor color;
  ASSERT_TRUE(GetPixel(color, *wide, 1, 1));
  EXPECT_EQ(color, (DrawColor{255, 255, 255, 255}));
  auto three = FilledBitmap(2, 2, k3, 0x112233);
  ASSERT_TRUE(GetPixel(color, *three, 0, 1));
  EXPECT_EQ(color, (DrawColor{0x33, 0x22, 0x11, 0xFF}));
  auto four = FilledBitmap(2, 2, k4, 0x40112233);
  ASSERT_TRUE(GetPixel(color, *four, 1, 0));
  EXPECT_EQ(color.Value(), 0x40112233u);
  EXPECT_FALSE(GetPixel(color, *four, 2, 0));
  EXPECT_FALSE(GetPixel(color, *four, 0, -1));
}

TEST(Blitter, EllipseRingStaysInsideItsRectangle) {
  auto bitmap = FilledBitmap(24, 14, k3Key, 0xFFFFFF);
  FrameEllipse(*bitmap, Bounds{2, 2, 20, 10}, DrawColor::FromValue(0xFF000000), 10, 5, true);
  int32_t drawn = 0;
  for (int32_t y = 0; y < 14; ++y) {
    for (int32_t x = 0; x < 24; ++x) {
      if (RawPixel(*bitmap, x, y) == 0xFFFFFF) continue;
      ++drawn;
      EXPECT_TRUE(x >= 2 && x < 22 && y >= 2 && y < 12) << x << "," << y;
      // The ring is symmetric about the rectangle's centre column (columns c and 20 - c of the rectangle).
      const int32_t column = x - 2;
      if (column >= 1) {
        EXPECT_NE(RawPixel(*bitmap, 2 + 20 - column, y), 0xFFFFFFu) << x << "," << y;
      }
    }
  }
  EXPECT_GT(drawn, 0);
  // The centre of the ring stays clear.
  EXPECT_EQ(RawPixel(*bitmap, 12, 7), 0xFFFFFFu);
}

// The ring rule: with w, h the rectangle's size and rx', ry' the radii less one, pixel (j + w / 2, i + h / 2) of
// the rectangle takes the colour for i in -(h / 2) .. h / 2 - 1 and j in -(w / 2) .. w / 2 - 1 when
// inner < i^2 / ry'^2 + j^2 / rx'^2 < 1, inner being 0.8 for a thick ring and 0.9 for a thin one.
TEST(Blitter, EllipseRingHoldsThePixelsTheRingRuleSelects) {
  struct Case {
    Bounds rect;
    int32_t radiusX;
    int32_t radiusY;
    bool thick;
  };
  const Case cases[] = {
      {{0, 0, 20, 10}, 10, 5, true},
      {{0, 0, 20, 10}, 10, 5, false},
      {{2, 1, 15, 9}, 8, 4, true},
      {{3, 2, 20, 10}, 8, 3, false},
  };
  for (const Case& c : cases) {
    auto bitmap = FilledBitmap(24, 14, k3Key, 0xFFFFFF);
    FrameEllipse(*bitmap, c.rect, DrawColor::FromValue(0xFF000000), c.radiusX, c.radiusY, c.thick);
    const double inner = c.thick ? 0.8f : 0.9f;
    const double rx = c.radiusX - 1, ry = c.radiusY - 1;
    std::vector<bool> ring(24 * 14, false);
    for (int32_t i = -(c.rect.height / 2); i <= c.rect.height / 2 - 1; ++i) {
      for (int32_t j = -(c.rect.width / 2); j <= c.rect.width / 2 - 1; ++j) {
        // As the rule reads: (1 / ry'^2) x i^2 + (1 / rx'^2) x j^2 (1 / 49 x 49 falls just below 1).
        const double value = (1.0 / (ry * ry)) * (double(i) * i) + (1.0 / (rx * rx)) * (double(j) * j);
        if (inner < value && value < 1.0) {
          ring[size_t(c.rect.y + i + c.rect.height / 2) * 24 + size_t(c.rect.x + j + c.rect.width / 2)] = true;
        }
      }
    }
    for (int32_t y = 0; y < 14; ++y) {
      for (int32_t x = 0; x < 24; ++x) {
        EXPECT_EQ(RawPixel(*bitmap, x, y), ring[size_t(y) * 24 + x] ? 0u : 0xFFFFFFu)
            << c.rect.width << "x" << c.rect.height << (c.thick ? " thick" : " thin") << " at " << x << "," << y;
      }
    }
  }
  // Worked by hand for the thick 20 x 10 ring of radii 10 and 5: row 2 is i = -3, where 9/16 + j^2/81 lies
  // between 0.8 and 1 only for j = -5 and 5 (columns 5 and 15); row 5 is i = 0, where j^2/81 never does.
  auto bitmap = FilledBitmap(24, 14, k3Key, 0xFFFFFF);
  FrameEllipse(*bitmap, Bounds{0, 0, 20, 10}, DrawColor::FromValue(0xFF000000), 10, 5, true);
  for (int32_t x = 0; x < 24; ++x) {
    EXPECT_EQ(RawPixel(*bitmap, x, 2), x == 5 || x == 15 ? 0u : 0xFFFFFFu) << x;
    EXPECT_EQ(RawPixel(*bitmap, x, 5), 0xFFFFFFu) << x;
  }
}

TEST(Blitter, EllipseWithRadiusBelowTwoDrawsNothing) {
  auto bitmap = FilledBitmap(8, 8, k3, 0);
  FrameEllipse(*bitmap, Bounds{0, 0, 8, 8}, DrawColor::FromValue(0xFFFFFFFF), 1, 4, false);
  FrameEllipse(*bitmap, Bounds{0, 0, 8, 8}, DrawColor::FromValue(0xFFFFFFFF), 4, 1, false);
  for (int32_t y = 0; y < 8; ++y) {
    for (int32_t x = 0; x < 8; ++x) ASSERT_EQ(RawPixel(*bitmap, x, y), 0u);
  }
}

TEST(Blitter, EllipsePartlyOutsideTheBitmapIsClipped) {
  const DrawColor white = DrawColor::FromValue(0xFFFFFFFF);
  // The ring's part that crosses the bitmap, as a large bitmap holding the whole ring shows it there.
  auto whole = FilledBitmap(40, 30, k4, 0);
  FrameEllipse(*whole, Bounds{0, 0, 30, 20}, white, 15, 10, false);
  auto bitmap = FilledBitmap(8, 8, k4, 0);
  FrameEllipse(*bitmap, Bounds{-20, -3, 30, 20}, white, 15, 10, false);
  int drawn = 0;
  for (int32_t y = 0; y < 8; ++y) {
    for (int32_t x = 0; x < 8; ++x) {
      ASSERT_EQ(RawPixel(*bitmap, x, y), RawPixel(*whole, x + 20, y + 3)) << x << "," << y;
      drawn += RawPixel(*bitmap, x, y) != 0;
    }
  }
  EXPECT_GT(drawn, 0);
  std::vector<uint32_t> before;
  for (int32_t y = 0; y < 8; ++y) {
    for (int32_t x = 0; x < 8; ++x) before.push_back(RawPixel(*bitmap, x, y));
  }
  // A ring at the far end of the coordinates, and one as wide as their range around the bitmap, touch none of
  // its pixels (and nothing outside it).
  FrameEllipse(*bitmap, Bounds{INT32_MAX - 4, INT32_MAX - 4, 30, 20}, white, 15, 10, false);
  FrameEllipse(*bitmap, Bounds{INT32_MIN / 2, INT32_MIN / 2, INT32_MAX, INT32_MAX}, white, INT32_MAX / 2,
               INT32_MAX / 2, true);
  std::vector<uint32_t> after;
  for (int32_t y = 0; y < 8; ++y) {
    for (int32_t x = 0; x < 8; ++x) after.push_back(RawPixel(*bitmap, x, y));
  }
  EXPECT_EQ(after, before);
}

TEST(Blitter, EllipseClippedDrawsWhatTheWholeRingDrawsThere) {
  // The ring drawn into a large bitmap, and the same ring drawn partly outside a small one: the small one holds
  // exactly the large one's pixels at the same place.
  auto whole = FilledBitmap(40, 30, k3, 0);
  FrameEllipse(*whole, Bounds{5, 4, 30, 20}, DrawColor::FromValue(0xFFFFFFFF), 15, 10, false);
  auto part = FilledBitmap(12, 9, k3, 0);
  FrameEllipse(*part, Bounds{-7, -5, 30, 20}, DrawColor::FromValue(0xFFFFFFFF), 15, 10, false);
  for (int32_t y = 0; y < 9; ++y) {
    for (int32_t x = 0; x < 12; ++x) ASSERT_EQ(RawPixel(*part, x, y), RawPixel(*whole, x + 12, y + 9)) << x << "," << y;
  }
}

// ---- Scrolling, against a model that moves every pixel whose source and destination lie in the rectangle.

struct ScrollCase {
  const char* name;
  Bounds rect;
  int32_t dx;
  int32_t dy;
};

TEST(Blitter, ScrollMovesPixelsInsideTheRectangleOnly) {
  const ScrollCase cases[] = {
      {"in_place", {0, 0, 8, 6}, 0, 0},        {"down_right_overlap", {0, 0, 8, 6}, 2, 1},
      {"up_left_overlap", {0, 0, 8, 6}, -1, -1}, {"right_same_rows", {0, 0, 8, 6}, 3, 0},
      {"left_same_rows", {1, 1, 6, 4}, -2, 0},  {"up", {0, 0, 8, 6}, 0, -2},
      {"inner_rect", {1, 1, 5, 3}, -1, 2},     {"rect_past_bitmap", {-2, -2, 6, 5}, 1, 1},
      {"rect_past_far_edges", {5, 3, 10, 10}, -1, -1}, {"moved_outside_itself", {0, 0, 8, 6}, 8, 0},
      {"far_move", {0, 0, 8, 6}, INT32_MIN, INT32_MAX},
  };
  for (const ScrollCase& c : cases) {
    auto bitmap = PatternBitmap(8, 6, k3);
    auto before = PatternBitmap(8, 6, k3);
    ScrollRect(*bitmap, c.rect, c.dx, c.dy);
    const int64_t left = std::max(0, c.rect.x), top = std::max(0, c.rect.y);
    const int64_t right = std::min<int64_t>(8, int64_t{c.rect.x} + c.rect.width);
    const int64_t bottom = std::min<int64_t>(6, int64_t{c.rect.y} + c.rect.height);
    for (int64_t y = 0; y < 6; ++y) {
      for (int64_t x = 0; x < 8; ++x) {
        const int64_t sx = x - c.dx, sy = y - c.dy;
        const bool moved = x >= left && x < right && y >= top && y < bottom && sx >= left && sx < right &&
                           sy >= top && sy < bottom;
        const uint32_t expected = moved ? RawPixel(*before, int32_t(sx), int32_t(sy)) : RawPixel(*before, int32_t(x), int32_t(y));
        ASSERT_EQ(RawPixel(*bitmap, int32_t(x), int32_t(y)), expected) << c.name << " at " << x << "," << y;
      }
    }
  }
}

// ---- Clipping at every edge, against a model that copies only pixels inside both bitmaps.

struct ClipCase {
  const char* name;
  Point point;
  Bounds rect;
};

const ClipCase kClipCases[] = {
    {"inside", {2, 2}, {0, 0, 6, 5}},
    {"past_left", {-3, 2}, {0, 0, 6, 5}},
    {"past_right", {7, 2}, {0, 0, 6, 5}},
    {"past_top", {2, -3}, {0, 0, 6, 5}},
    {"past_bottom", {2, 6}, {0, 0, 6, 5}},
    {"past_top_left", {-3, -3}, {0, 0, 6, 5}},
    {"past_bottom_right", {7, 6}, {0, 0, 6, 5}},
    {"wholly_outside", {-100, 0}, {0, 0, 6, 5}},
    {"source_rect_past_left_top", {2, 2}, {-2, -1, 6, 5}},
    {"source_rect_past_right_bottom", {1, 1}, {3, 2, 10, 10}},
    {"source_rect_past_everything", {-1, -1}, {-5, -5, 20, 20}},
    {"huge_point", {INT32_MAX - 1, INT32_MAX - 1}, {0, 0, 6, 5}},
    {"huge_rect", {0, 0}, {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}},
    {"huge_size", {1, 1}, {1, 1, INT32_MAX, INT32_MAX}},
    {"negative_size", {1, 1}, {1, 1, -3, 4}},
};

class DrawClipping : public testing::TestWithParam<ClipCase> {};

TEST_P(DrawClipping, CopiesOnlyPixelsInsideBothBitmaps) {
  const ClipCase& c = GetParam();
  for (int32_t sourceFormat : {k3, k3Key, k4Alpha}) {
    auto destination = FilledBitmap(10, 8, k3, 0x010203);
    auto source = PatternBitmap(6, 5, sourceFormat);
    if (sourceFormat == k4Alpha) {
      for (int32_t y = 0; y < 5; ++y) {
        for (int32_t x = 0; x < 6; ++x) SetRawPixel(*source, x, y, RawPixel(*source, x, y) | 0xFF000000);
      }
    }
    DrawBitmap(*destination, c.point, *source, c.rect);
    for (int32_t y = 0; y < 8; ++y) {
      for (int32_t x = 0; x < 10; ++x) {
        const int64_t sx = int64_t{x} - c.point.x + c.rect.x;
        const int64_t sy = int64_t{y} - c.point.y + c.rect.y;
        const bool inRect = sx >= c.rect.x && sx < int64_t{c.rect.x} + c.rect.width && sy >= c.rect.y &&
                            sy < int64_t{c.rect.y} + c.rect.height;
        const bool copied = inRect && sx >= 0 && sx < 6 && sy >= 0 && sy < 5;
        uint32_t expected = 0x010203;
        if (copied) {
          expected = RawPixel(*source, int32_t(sx), int32_t(sy)) & 0xFFFFFF;
          if (sourceFormat == k3Key && expected == 0xFFFFFF) expected = 0x010203;
        }
        ASSERT_EQ(RawPixel(*destination, x, y), expected) << c.name << " format " << sourceFormat << " at " << x
                                                          << "," << y;
      }
    }
  }
}

TEST_P(DrawClipping, FillAndShadeTouchOnlyPixelsInside) {
  const ClipCase& c = GetParam();
  // The case's rectangle, moved to the case's point, as the area to fill and shade.
  const Bounds area{c.point.x, c.point.y, c.rect.width, c.rect.height};
  auto filled = FilledBitmap(10, 8, k4, 0x11223344);
  FillRect(*filled, area, DrawColor::FromValue(0xFFFFFFFF));
  auto shaded = FilledBitmap(10, 8, k4, 0x11223344);
  ShadeRect(*shaded, area, 0);
  auto framed = FilledBitmap(10, 8, k4, 0x11223344);
  FrameRect(*framed, area, DrawColor::FromValue(0xFFFFFFFF));
  for (int32_t y = 0; y < 8; ++y) {
    for (int32_t x = 0; x < 10; ++x) {
      const bool inside = x >= area.x && x < int64_t{area.x} + area.width && y >= area.y &&
                          y < int64_t{area.y} + area.height;
      ASSERT_EQ(RawPixel(*filled, x, y), inside ? 0xFFFFFFFFu : 0x11223344u) << c.name << " at " << x << "," << y;
      ASSERT_EQ(RawPixel(*shaded, x, y), inside ? 0x11000000u : 0x11223344u) << c.name << " at " << x << "," << y;
      // A frame of negative width or height still draws its columns or rows, as four fills do.
      if (!inside && area.width > 0 && area.height > 0) {
        ASSERT_EQ(RawPixel(*framed, x, y), 0x11223344u) << c.name << " at " << x << "," << y;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Edges, DrawClipping, testing::ValuesIn(kClipCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Blitter, DrawingABitmapOntoItselfStaysInside) {
  auto bitmap = PatternBitmap(8, 8, k3);
  DrawBitmap(*bitmap, Point{2, 2}, *bitmap, Bounds{0, 0, 8, 8});
  auto reference = PatternBitmap(8, 8, k3);
  EXPECT_EQ(RawPixel(*bitmap, 0, 0), RawPixel(*reference, 0, 0));
  EXPECT_EQ(RawPixel(*bitmap, 2, 2), RawPixel(*reference, 0, 0));
}

// ---- Mask operations.

TEST(Blitter, ApplyMaskMakesOutsideTransparentAndKeepsWhiteInsideVisible) {
  struct MaskCase {
    int32_t format;
    uint32_t white;
    uint32_t insideWhite;
    uint32_t outside;
  };
  const MaskCase cases[] = {
      {k2, 0xFFFF, 0xFBDE, 0x7FFF},
      {k2, 0x7FFF, 0xFBDE, 0x7FFF},
      {k3, 0xFFFFFF, 0xFEFEFE, 0xFFFFFF},
      {k4Alpha, 0xFFFFFFFF, 0xFFFFFFFF, 0x00000000},
  };
  for (const MaskCase& c : cases) {
    // Columns 0 and 2 inside the mask, columns 1 and 3 outside; column 2 holds a plain colour.
    BitMask mask(4, 1, false);
    mask.SetBit(0, 0, true);
    mask.SetBit(2, 0, true);
    auto bitmap = FilledBitmap(4, 1, c.format, c.white);
    SetRawPixel(*bitmap, 2, 0, 0x0421);
    ApplyMask(*bitmap, Point{0, 0}, mask, 4, 1);
    EXPECT_EQ(RawPixel(*bitmap, 0, 0), c.insideWhite) << c.format;
    EXPECT_EQ(RawPixel(*bitmap, 1, 0), c.outside) << c.format;
    EXPECT_EQ(RawPixel(*bitmap, 2, 0), 0x0421u) << c.format;
    EXPECT_EQ(RawPixel(*bitmap, 3, 0), c.outside) << c.format;
    EXPECT_TRUE(bitmap->format & kFormatKeyFlag) << c.format;
  }
}

TEST(Blitter, ApplyMaskKeysTheBitmapEvenWithNothingLeftToMask) {
  BitMask mask(4, 4, false);
  struct Case {
    const char* name;
    Point point;
  };
  for (const Case& c : {Case{"past the bitmap", {50, 50}}, Case{"past the mask", {5, 0}}}) {
    auto bitmap = FilledBitmap(8, 2, k3, 0x123456);
    ApplyMask(*bitmap, c.point, mask, 3, 2);
    EXPECT_EQ(bitmap->format, k3 | kFormatKeyFlag) << c.name;
    for (int32_t x = 0; x < 8; ++x) EXPECT_EQ(RawPixel(*bitmap, x, 0), 0x123456u) << c.name;
  }
}

TEST(Blitter, ApplyMaskReadsTheMaskAtTheSamePointAndStaysInsideIt) {
  // A mask placed at (8, 2), 10 wide: its bit (x - 8, y - 2) answers for pixel (x, y).
  BitMask mask(10, 3, false);
  mask.SetOrigin(8, 2);
  mask.SetBit(1, 1, true);  // pixel (9, 3)
  auto bitmap = FilledBitmap(12, 6, k3, 0x123456);
  ApplyMask(*bitmap, Point{0, 0}, mask, 12, 6);
  for (int32_t y = 0; y < 6; ++y) {
    for (int32_t x = 0; x < 12; ++x) {
      const bool underMask = x >= 8 && y >= 2 && y < 5;
      const uint32_t expected = !underMask || (x == 9 && y == 3) ? 0x123456u : 0xFFFFFFu;
      ASSERT_EQ(RawPixel(*bitmap, x, y), expected) << x << "," << y;
    }
  }
}

TEST(Blitter, MaskFromColourSetsBitsWherePixelsDiffer) {
  for (int32_t format : {k2, k3, k4}) {
    auto bitmap = FilledBitmap(11, 2, format, 0);
    const uint32_t key = format == k2 ? 0xFFFF : format == k3 ? 0xFFFFFF : 0xFFFFFFFF;
    SetRawPixel(*bitmap, 3, 0, key);
    SetRawPixel(*bitmap, 9, 1, key);
    BitMask mask(11, 2, true);
    BuildMaskFromColour(mask, Point{0, 0}, *bitmap, Bounds{0, 0, 11, 2}, DrawColor::FromValue(0xFFFFFFFF));
    for (int32_t y = 0; y < 2; ++y) {
      for (int32_t x = 0; x < 11; ++x) {
        const bool equal = (x == 3 && y == 0) || (x == 9 && y == 1);
        ASSERT_EQ(mask.GetBit(x, y), !equal) << format << " at " << x << "," << y;
      }
    }
  }
}

TEST(Blitter, MaskFromColourOfFourBytesComparesAlphaToo) {
  auto bitmap = FilledBitmap(2, 1, k4, 0x00FFFFFF);
  SetRawPixel(*bitmap, 1, 0, 0xFFFFFFFF);
  BitMask mask(2, 1, false);
  BuildMaskFromColour(mask, Point{0, 0}, *bitmap, Bounds{0, 0, 2, 1}, DrawColor::FromValue(0xFFFFFFFF));
  EXPECT_TRUE(mask.GetBit(0, 0));
  EXPECT_FALSE(mask.GetBit(1, 0));
}

TEST(Blitter, MaskFromColourClipsToMaskAndBitmap) {
  auto bitmap = FilledBitmap(4, 4, k3, 0);
  BitMask mask(3, 3, false);
  // The rectangle's corner (-2, -2) lands on mask bit (0, 0): bitmap pixel (0, 0) lands on bit (2, 2), and the
  // bits of positions outside the bitmap stay as they were.
  BuildMaskFromColour(mask, Point{0, 0}, *bitmap, Bounds{-2, -2, 10, 10}, DrawColor::FromValue(0xFFFFFFFF));
  for (int32_t y = 0; y < 3; ++y) {
    for (int32_t x = 0; x < 3; ++x) EXPECT_EQ(mask.GetBit(x, y), x == 2 && y == 2) << x << "," << y;
  }
}

}  // namespace
