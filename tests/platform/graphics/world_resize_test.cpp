// Moving, resizing and expanding worlds: the pixel map is rebuilt in the world's own format and exchanged in place.
#include <gtest/gtest.h>

#include <vector>

#include "platform/graphics/dib_record.h"
#include "platform/graphics/graphics_world.h"
#include "world_fixture.h"

namespace {

TEST(WorldResizeTest, SetBoundsMovesOrResizes) {
  WorldPtr world = MakeSurface(2, 2, 32);
  SetAllStored(world.get(), {1, 2, 3, 4});
  const Rect moved{100, 50, 102, 52};
  ASSERT_EQ(PlatformWorld::SetBounds(world.get(), nullptr, &moved), kPlatformNoError);
  Rect b;
  EXPECT_TRUE(Rect::Equal(PlatformWorld::GetBounds(world.get(), &b), &moved));
  EXPECT_EQ(AllStored(world.get()), (std::vector<uint32_t>{1, 2, 3, 4}));

  WorldPtr mask = MakeMask(2, 2);
  SetAllStored(mask.get(), {10, 20, 30, 40});
  const Rect bigger{0, 0, 4, 4};
  PixelMap* before = world->pixelMap;
  ASSERT_EQ(PlatformWorld::SetBounds(world.get(), mask.get(), &bigger), kPlatformNoError);
  EXPECT_EQ(world->pixelMap, before);  // the same record, new contents
  // The format is rebuilt from the channel widths: format 32 (no alpha bits) comes back as 0x888.
  EXPECT_EQ(world->pixelMap->formatCode, 0x888u);
  EXPECT_EQ(world->pixelMap->bytesPerPixel, 3u);
  EXPECT_EQ(AllStored(world.get()), (std::vector<uint32_t>{1, 1, 2, 2, 1, 1, 2, 2, 3, 3, 4, 4, 3, 3, 4, 4}));
  EXPECT_EQ(AllStored(mask.get()),
            (std::vector<uint32_t>{10, 10, 20, 20, 10, 10, 20, 20, 30, 30, 40, 40, 30, 30, 40, 40}));
  EXPECT_EQ(mask->pixelMap->formatKey, kMaskFormatKey);

  ASSERT_EQ(PlatformWorld::BeginDrawing(world.get(), nullptr, nullptr, nullptr), kPlatformNoError);
  EXPECT_EQ(PlatformWorld::SetBounds(world.get(), nullptr, &moved), kPlatformErrWorldLocked);
  EXPECT_EQ(PlatformWorld::ExpandPattern(world.get(), nullptr), kPlatformErrWorldLocked);
  PlatformWorld::EndDrawing(world.get(), nullptr);
}

TEST(WorldResizeTest, ResizedFormatIsBuiltFromTheChannelWidths) {
  struct Case {
    PixelFormatCode before;
    PixelFormatCode after;
    uint32_t bytesPerPixel;
  };
  const Case cases[] = {
      {32, 0x888, 3}, {24, 0x888, 3}, {16, 0x565, 2}, {15, 0x555, 2}, {0x1555, 0x1555, 2}, {0x8888, 0x8888, 4}, {8, 8, 1},
  };
  const Rect bigger{0, 0, 3, 2};
  for (const Case& c : cases) {
    WorldPtr world = MakeSurface(1, 1, c.before);
    ASSERT_EQ(PlatformWorld::SetBounds(world.get(), nullptr, &bigger), kPlatformNoError) << std::hex << c.before;
    EXPECT_EQ(world->pixelMap->formatCode, c.after) << std::hex << c.before;
    EXPECT_EQ(world->pixelMap->bytesPerPixel, c.bytesPerPixel) << std::hex << c.before;
  }
}

TEST(WorldResizeTest, IndexedWorldsKeepTheirIndexesWhenResized) {
  Palette palette{};
  palette.count = 3;
  palette.entries[1] = {255, 9, 9, 9};
  palette.entries[2] = {255, 9, 9, 9};  // equal to entry 1: only a raw copy keeps index 2
  WorldPtr world = MakeSurface(1, 1, 8, &palette);
  SetStored(world.get(), 0, 0, 2);
  const Rect bigger{0, 0, 2, 1};
  ASSERT_EQ(PlatformWorld::SetBounds(world.get(), nullptr, &bigger), kPlatformNoError);
  EXPECT_EQ(AllStored(world.get()), (std::vector<uint32_t>{2, 2}));
}

TEST(WorldResizeTest, ExpandPatternTilesWholeCopies) {
  // A 48 x 200 world becomes 144 x 200. With its corner at (0, 0) it holds three copies side by side; with its
  // corner at (3, 5) the fill, made without a phase, starts with pattern column 48 - 3 and row 200 - 5.
  struct Case {
    Rect bounds;
    int32_t firstColumn;
    int32_t firstRow;
  };
  for (const Case& c : {Case{{0, 0, 48, 200}, 0, 0}, Case{{3, 5, 51, 205}, 45, 195}}) {
    WorldPtr world = MakeSurface(c.bounds, 24);
    for (int32_t y = 0; y < 200; ++y) {
      for (int32_t x = 0; x < 48; ++x) SetStored(world.get(), x, y, static_cast<uint32_t>(y * 48 + x));
    }
    ASSERT_EQ(PlatformWorld::ExpandPattern(world.get(), nullptr), kPlatformNoError);
    Rect b;
    PlatformWorld::GetBounds(world.get(), &b);
    const Rect expected{c.bounds.left, c.bounds.top, c.bounds.left + 144, c.bounds.top + 200};
    EXPECT_TRUE(Rect::Equal(&b, &expected));
    for (int32_t y : {0, 1, 199}) {
      for (int32_t x : {0, 1, 47, 48, 49, 95, 96, 143}) {
        const int32_t px = (c.firstColumn + x) % 48;
        const int32_t py = (c.firstRow + y) % 200;
        EXPECT_EQ(GetStored(world.get(), x, y), static_cast<uint32_t>(py * 48 + px)) << x << "," << y;
      }
    }
  }
  // Large enough already: left alone.
  WorldPtr large = MakeSurface(128, 130, 32);
  PixelMap* map = large->pixelMap;
  DibRecord* dib = map->dib;
  ASSERT_EQ(PlatformWorld::ExpandPattern(large.get(), nullptr), kPlatformNoError);
  EXPECT_EQ(map->dib, dib);

  // A small pattern with a mask grows both; at the corner (-1, -1) both start with pattern column 3 - 2 and row
  // 2 - 1 (t = -1 raised to 2 and 1).
  WorldPtr small = MakeSurface(Rect{-1, -1, 2, 1}, 32);  // 3 x 2
  WorldPtr mask = MakeSurface(Rect{-1, -1, 2, 1}, 8, &GreyPalette);
  SetAllStored(small.get(), {1, 2, 3, 4, 5, 6});
  SetAllStored(mask.get(), {7, 8, 9, 10, 11, 12});
  ASSERT_EQ(PlatformWorld::ExpandPattern(small.get(), mask.get()), kPlatformNoError);
  Rect b;
  PlatformWorld::GetBounds(small.get(), &b);
  EXPECT_EQ(b.Width(), 129);
  EXPECT_EQ(b.Height(), 128);
  EXPECT_EQ(GetStored(small.get(), 0, 0), 5u);
  EXPECT_EQ(GetStored(small.get(), 4, 3), 3u);
  EXPECT_EQ(GetStored(mask.get(), 128, 127), 7u);
  EXPECT_EQ(mask->pixelMap->formatKey, kMaskFormatKey);
}

}  // namespace
