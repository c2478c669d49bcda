// Pattern fill: the first pattern row and column, clipping, keys and masks over the pattern.
#include "platform/graphics/pattern_fill.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/graphics/row_transfer.h"
#include "world_fixture.h"

namespace {

// A pattern whose stored value names its pixel: 100 x row + column.
WorldPtr NumberedPattern(int32_t width, int32_t height, PixelFormatCode format = 32) {
  WorldPtr pattern = MakeSurface(width, height, format);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) SetStored(pattern.get(), x, y, static_cast<uint32_t>(100 * y + x));
  }
  return pattern;
}

// The clipped rectangle starts with the pattern row and column its top-left corner gives (t = corner - phase,
// raised by whole pattern sizes when negative, r = t mod size; size - r, or 0 for r = 0) and steps through the
// pattern from there.
TEST(PatternFillTest, FirstPatternRowAndColumnComeFromTheCornerAndThePhase) {
  struct Case {
    Rect rect;
    Point phase;
    int32_t firstRow;
    int32_t firstColumn;
  };
  // Over a pattern 3 wide and 8 high, in a 10 x 10 destination.
  const Case cases[] = {
      {{0, 0, 10, 10}, {0, 0}, 0, 0},      // the pattern's top-left pixel on the rect's top-left pixel
      {{0, 3, 10, 10}, {0, 0}, 5, 0},      // starting at row 3: pattern row 5
      {{0, 8, 10, 9}, {0, 0}, 0, 0},       // starting at row 8: pattern row 0
      {{2, 3, 7, 9}, {5, 6}, 3, 0},        // t = -3 and -3: raised to 5 and 0
      {{0, 0, 10, 10}, {9, 9}, 1, 0},      // phase below and right of the rect: t = -9 becomes 7 and 0
      {{0, 0, 10, 10}, {-7, -13}, 3, 2},   // t = 13 and 7
      {{-5, -5, 30, 30}, {1, 2}, 2, 1},    // clipped first: the corner is (0, 0), t = -2 and -1
  };
  WorldPtr pattern = NumberedPattern(3, 8);
  for (const Case& c : cases) {
    WorldPtr dst = MakeSurface(10, 10, 32);
    FillStored(dst.get(), 0xEEEE);
    ASSERT_EQ(PlatformPatternFill(dst.get(), &c.rect, &c.phase, 0, pattern.get(), nullptr, nullptr), kPlatformNoError);
    const int32_t top = std::max(c.rect.top, 0);
    const int32_t left = std::max(c.rect.left, 0);
    for (int32_t y = 0; y < 10; ++y) {
      for (int32_t x = 0; x < 10; ++x) {
        const Point p{x, y};
        uint32_t want = 0xEEEE;
        if (Rect::ContainsPoint(&p, &c.rect)) {
          want = static_cast<uint32_t>(100 * ((c.firstRow + y - top) % 8) + (c.firstColumn + x - left) % 3);
        }
        EXPECT_EQ(GetStored(dst.get(), x, y), want) << x << "," << y << " phase " << c.phase.x << "," << c.phase.y;
      }
    }
  }
  // Without a phase the fill behaves as with (0, 0).
  WorldPtr dst = MakeSurface(10, 10, 32);
  const Rect fromRow3{0, 3, 10, 10};
  ASSERT_EQ(PlatformPatternFill(dst.get(), &fromRow3, nullptr, 0, pattern.get(), nullptr, nullptr), kPlatformNoError);
  EXPECT_EQ(GetStored(dst.get(), 0, 3), 500u);
  EXPECT_EQ(GetStored(dst.get(), 1, 5), 701u);
  EXPECT_EQ(GetStored(dst.get(), 2, 6), 2u);
}

TEST(PatternFillTest, KeyAndMaskOverThePattern) {
  Palette palette{};
  palette.count = 3;
  palette.entries[1] = {255, 255, 0, 0};
  palette.entries[2] = {255, 0, 0, 255};
  WorldPtr pattern = MakeSurface(2, 1, 8, &palette);
  SetAllStored(pattern.get(), {1, 2});
  WorldPtr dst = MakeSurface(4, 1, 32);
  FillStored(dst.get(), 0x777777);
  const TransferMode key{5, {2, 0, 0, 0}};
  ASSERT_EQ(PlatformPatternFill(dst.get(), nullptr, nullptr, 0, pattern.get(), nullptr, &key), kPlatformNoError);
  EXPECT_EQ(AllStored(dst.get()), (std::vector<uint32_t>{0xFF0000, 0x777777, 0xFF0000, 0x777777}));

  WorldPtr mask = MakeMask(2, 1);
  SetAllStored(mask.get(), {0, 255});
  FillStored(dst.get(), 0x777777);
  ASSERT_EQ(PlatformPatternFill(dst.get(), nullptr, nullptr, 0, pattern.get(), mask.get(), nullptr), kPlatformNoError);
  EXPECT_EQ(AllStored(dst.get()), (std::vector<uint32_t>{0x777777, 0x0000FF, 0x777777, 0x0000FF}));

  WorldPtr smallMask = MakeMask(1, 1);
  EXPECT_EQ(PlatformPatternFill(dst.get(), nullptr, nullptr, 0, pattern.get(), smallMask.get(), nullptr),
            kPlatformErrBadData);
}

TEST(PatternFillTest, FirstPatternIndexOverTheWholeCoordinateRange) {
  EXPECT_EQ(FirstPatternIndex(3, 0, 8), 5);
  EXPECT_EQ(FirstPatternIndex(8, 0, 8), 0);
  EXPECT_EQ(FirstPatternIndex(0, 9, 8), 1);
  // t = -4294967295 is raised by 613566757 x 7 to 4, so r = 4 and the index 7 - 4.
  EXPECT_EQ(FirstPatternIndex(-2147483648LL, 2147483647LL, 7), 3);
}

// The tiled routines read the pattern's columns round and round from the first pattern column.
TEST(RowTransferTest, TiledRoutineWrapsPatternColumns) {
  WorldPtr pattern = NumberedPattern(3, 1);
  WorldPtr dst = MakeSurface(5, 1, 32);
  BlitParams d, s;
  ASSERT_EQ(PlatformWorld::BeginDrawing(dst.get(), nullptr, &d, nullptr), kPlatformNoError);
  ASSERT_EQ(PlatformWorld::BeginDrawing(pattern.get(), nullptr, &s, nullptr), kPlatformNoError);
  RowTransferArgs args{};
  args.destination = dst->pixelMap;
  args.source = pattern->pixelMap;
  args.destinationStart = d.baseAddress;
  args.sourceStart = s.baseAddress + 2 * 4;
  args.rows = 1;
  args.columns = 5;
  args.firstPatternColumn = 2;
  args.patternWidth = 3;
  args.patternHeight = 1;
  RowRoutineTable[kRowSlotTiledCopy](args);
  PlatformWorld::EndDrawing(pattern.get(), nullptr);
  PlatformWorld::EndDrawing(dst.get(), nullptr);
  EXPECT_EQ(AllStored(dst.get()), (std::vector<uint32_t>{2, 0, 1, 2, 0}));
}

TEST(RowTransferTest, TableHoldsEverySlot) {
  for (int slot = 0; slot < kRowRoutineCount; ++slot) EXPECT_NE(RowRoutineTable[slot], nullptr) << slot;
  EXPECT_EQ(SameFormatCopyIndex(8), 2);
  EXPECT_EQ(SameFormatCopyIndex(32), 6);
  EXPECT_EQ(SameFormatCopyIndex(12), 0);
}

}  // namespace
