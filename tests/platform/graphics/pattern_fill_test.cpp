// Pattern fill: phase, seamless adjacent fills, clipping, keys and masks over the pattern.
#include "platform/graphics/pattern_fill.h"

#include <gtest/gtest.h>

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

TEST(PatternFillTest, PhaseIsTheSameWhateverTheRectangle) {
  struct Case {
    Rect rect;
    Point phase;
  };
  const Case cases[] = {
      {{0, 0, 10, 10}, {0, 0}}, {{0, 3, 10, 10}, {0, 0}},    {{0, 8, 10, 9}, {0, 0}},    {{2, 3, 7, 9}, {5, 6}},
      {{0, 0, 10, 10}, {9, 9}}, {{0, 0, 10, 10}, {-7, -13}}, {{-5, -5, 30, 30}, {1, 2}},
  };
  WorldPtr pattern = NumberedPattern(3, 8);
  for (const Case& c : cases) {
    WorldPtr dst = MakeSurface(10, 10, 32);
    FillStored(dst.get(), 0xEEEE);
    ASSERT_EQ(PlatformPatternFill(dst.get(), &c.rect, &c.phase, 0, pattern.get(), nullptr, nullptr), kPlatformNoError);
    for (int32_t y = 0; y < 10; ++y) {
      for (int32_t x = 0; x < 10; ++x) {
        const Point p{x, y};
        uint32_t want = 0xEEEE;
        if (Rect::ContainsPoint(&p, &c.rect)) {
          const int32_t py = ((y - c.phase.y) % 8 + 8) % 8;
          const int32_t px = ((x - c.phase.x) % 3 + 3) % 3;
          want = static_cast<uint32_t>(100 * py + px);
        }
        EXPECT_EQ(GetStored(dst.get(), x, y), want) << x << "," << y << " phase " << c.phase.x << "," << c.phase.y;
      }
    }
  }
}

TEST(PatternFillTest, AdjacentFillsMeetWithoutSeams) {
  WorldPtr pattern = NumberedPattern(5, 7);
  WorldPtr whole = MakeSurface(12, 12, 32);
  WorldPtr parts = MakeSurface(12, 12, 32);
  const Point phase{2, 1};
  ASSERT_EQ(PlatformPatternFill(whole.get(), nullptr, &phase, 0, pattern.get(), nullptr, nullptr), kPlatformNoError);
  for (const Rect& r : {Rect{0, 0, 12, 3}, Rect{0, 3, 4, 12}, Rect{4, 3, 12, 12}}) {
    ASSERT_EQ(PlatformPatternFill(parts.get(), &r, &phase, 0, pattern.get(), nullptr, nullptr), kPlatformNoError);
  }
  EXPECT_EQ(AllStored(whole.get()), AllStored(parts.get()));
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

TEST(PatternFillTest, PhaseArithmeticUsesAModulo) {
  EXPECT_EQ(PatternPhase(3, 0, 8), 3);
  EXPECT_EQ(PatternPhase(8, 0, 8), 0);
  EXPECT_EQ(PatternPhase(0, 9, 8), 7);
  EXPECT_EQ(PatternPhase(-2147483648LL, 2147483647LL, 7), static_cast<int32_t>(((-4294967295LL % 7) + 7) % 7));
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
