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
  EXPECT_EQ(world->pixelMap, before);           // the same record, new contents
  EXPECT_EQ(world->pixelMap->formatCode, 32u);  // the format is kept
  EXPECT_EQ(world->pixelMap->bytesPerPixel, 4u);
  EXPECT_EQ(AllStored(world.get()), (std::vector<uint32_t>{1, 1, 2, 2, 1, 1, 2, 2, 3, 3, 4, 4, 3, 3, 4, 4}));
  EXPECT_EQ(AllStored(mask.get()),
            (std::vector<uint32_t>{10, 10, 20, 20, 10, 10, 20, 20, 30, 30, 40, 40, 30, 30, 40, 40}));
  EXPECT_EQ(mask->pixelMap->formatKey, kMaskFormatKey);

  ASSERT_EQ(PlatformWorld::BeginDrawing(world.get(), nullptr, nullptr, nullptr), kPlatformNoError);
  EXPECT_EQ(PlatformWorld::SetBounds(world.get(), nullptr, &moved), kPlatformErrWorldLocked);
  EXPECT_EQ(PlatformWorld::ExpandPattern(world.get(), nullptr), kPlatformErrWorldLocked);
  PlatformWorld::EndDrawing(world.get(), nullptr);
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
  WorldPtr world = MakeSurface(Rect{3, 5, 51, 205}, 24);  // 48 x 200
  for (int32_t y = 0; y < 200; ++y) {
    for (int32_t x = 0; x < 48; ++x) SetStored(world.get(), x, y, static_cast<uint32_t>(y * 48 + x));
  }
  ASSERT_EQ(PlatformWorld::ExpandPattern(world.get(), nullptr), kPlatformNoError);
  Rect b;
  PlatformWorld::GetBounds(world.get(), &b);
  const Rect expected{3, 5, 147, 205};
  EXPECT_TRUE(Rect::Equal(&b, &expected));
  for (int32_t y : {0, 1, 199}) {
    for (int32_t x : {0, 1, 47, 48, 49, 95, 96, 143}) {
      EXPECT_EQ(GetStored(world.get(), x, y), static_cast<uint32_t>(y * 48 + x % 48)) << x << "," << y;
    }
  }
  // Large enough already: left alone.
  WorldPtr large = MakeSurface(128, 130, 32);
  PixelMap* map = large->pixelMap;
  DibRecord* dib = map->dib;
  ASSERT_EQ(PlatformWorld::ExpandPattern(large.get(), nullptr), kPlatformNoError);
  EXPECT_EQ(map->dib, dib);

  // A small pattern with a mask grows both, each starting with the pattern's first pixel.
  WorldPtr small = MakeSurface(Rect{-1, -1, 2, 1}, 32);  // 3 x 2
  WorldPtr mask = MakeSurface(Rect{-1, -1, 2, 1}, 8, &GreyPalette);
  SetAllStored(small.get(), {1, 2, 3, 4, 5, 6});
  SetAllStored(mask.get(), {7, 8, 9, 10, 11, 12});
  ASSERT_EQ(PlatformWorld::ExpandPattern(small.get(), mask.get()), kPlatformNoError);
  PlatformWorld::GetBounds(small.get(), &b);
  EXPECT_EQ(b.Width(), 129);
  EXPECT_EQ(b.Height(), 128);
  EXPECT_EQ(GetStored(small.get(), 0, 0), 1u);
  EXPECT_EQ(GetStored(small.get(), 4, 3), 5u);
  EXPECT_EQ(GetStored(mask.get(), 128, 127), 12u);
}

}  // namespace
