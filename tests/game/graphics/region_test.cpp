// Region: the set operations over host regions and the empty flag each of them keeps.
#include "game/graphics/region.h"

#include <gtest/gtest.h>

#include "game/graphics/bitmap.h"
#include "host/gdi.h"

namespace {

Bounds BoxOf(const Region& region) {
  Bounds box;
  region.GetBounds(box);
  return box;
}

TEST(RegionTest, SetRectWithoutAreaIsEmpty) {
  const Bounds cases[] = {{0, 0, 0, 10}, {5, 5, 10, 0}, {5, 5, -3, 4}};
  for (const Bounds& box : cases) {
    Region region(Bounds{0, 0, 4, 4});
    ASSERT_FALSE(region.IsEmpty());
    region.SetRect(box);
    EXPECT_TRUE(region.IsEmpty());
    EXPECT_EQ(BoxOf(region), (Bounds{0, 0, 0, 0}));
  }
  Region region;
  EXPECT_TRUE(region.IsEmpty());
  region.SetRect(Bounds{2, 3, 4, 5});
  EXPECT_FALSE(region.IsEmpty());
  EXPECT_EQ(BoxOf(region), (Bounds{2, 3, 4, 5}));
}

TEST(RegionTest, SubtractAndIntersectChangeTheirArgument) {
  Region a(Bounds{0, 0, 10, 10});
  Region b(Bounds{5, 0, 10, 10});
  EXPECT_EQ(a.Subtract(b), SIMPLEREGION);
  EXPECT_EQ(BoxOf(a), (Bounds{0, 0, 10, 10}));
  EXPECT_EQ(BoxOf(b), (Bounds{10, 0, 5, 10}));

  Region c(Bounds{0, 0, 3, 3});
  EXPECT_EQ(c.Intersect(b), NULLREGION);
  EXPECT_TRUE(b.IsEmpty());
  EXPECT_FALSE(c.IsEmpty());

  Region d(Bounds{0, 0, 10, 10});
  Region e(Bounds{2, 2, 3, 3});
  EXPECT_EQ(d.Intersect(e), SIMPLEREGION);
  EXPECT_EQ(BoxOf(e), (Bounds{2, 2, 3, 3}));
  EXPECT_EQ(e.Subtract(d), COMPLEXREGION);  // d less a hole
  EXPECT_EQ(BoxOf(d), (Bounds{0, 0, 10, 10}));
}

TEST(RegionTest, UnionAssignAndOffsetKeepTheEmptyFlag) {
  Region region;
  region.UnionRect(Bounds{0, 0, 2, 2});
  region.UnionRect(Bounds{8, 8, 2, 2});
  EXPECT_FALSE(region.IsEmpty());
  EXPECT_EQ(BoxOf(region), (Bounds{0, 0, 10, 10}));
  EXPECT_EQ(region.Offset(Point{5, -2}), COMPLEXREGION);
  EXPECT_EQ(BoxOf(region), (Bounds{5, -2, 10, 10}));
  region.OffsetNegative(Point{5, -2});
  EXPECT_EQ(BoxOf(region), (Bounds{0, 0, 10, 10}));

  Region other(Bounds{1, 1, 1, 1});
  EXPECT_EQ(other.Union(region), COMPLEXREGION);
  Region empty;
  EXPECT_EQ(other.Assign(empty), NULLREGION);
  EXPECT_TRUE(other.IsEmpty());
  EXPECT_EQ(empty.Assign(region), COMPLEXREGION);
  EXPECT_FALSE(empty.IsEmpty());
}

TEST(RegionTest, ClipRectGivesTheBoxOfTheOverlap) {
  Region region(Bounds{10, 10, 20, 20});
  region.UnionRect(Bounds{40, 10, 5, 5});
  struct Case {
    Bounds box;
    Bounds clipped;
    bool intersects;
  } cases[] = {
      {{0, 0, 15, 15}, {10, 10, 5, 5}, true},
      {{0, 0, 100, 12}, {10, 10, 35, 2}, true},
      {{0, 0, 10, 10}, {0, 0, 0, 0}, false},  // touching only
      {{50, 50, 5, 5}, {0, 0, 0, 0}, false},
      {{12, 12, 0, 5}, {0, 0, 0, 0}, false},  // a box without area
  };
  for (const Case& c : cases) {
    Bounds box = c.box;
    region.ClipRect(box);
    EXPECT_EQ(box, c.clipped) << c.box.x << "," << c.box.y;
    EXPECT_EQ(region.IntersectsRect(c.box), c.intersects) << c.box.x << "," << c.box.y;
  }
}

TEST(RegionTest, MaskToRegionSetsBothFlags) {
  Bitmap opaque;
  ASSERT_EQ(opaque.Create(6, 4, OpaqueFormat), kBitmapReady);
  Region transparent(Bounds{0, 0, 3, 3});
  Region solid;
  ASSERT_TRUE(MaskToRegion(transparent, solid, opaque));
  EXPECT_TRUE(transparent.IsEmpty());
  EXPECT_FALSE(solid.IsEmpty());
  EXPECT_EQ(BoxOf(solid), (Bounds{0, 0, 6, 4}));

  Bitmap keyed;
  ASSERT_EQ(keyed.Create(4, 4, kFormatKeyFlag | KeyedFormat), kBitmapReady);
  for (int32_t y = 0; y < 4; ++y)
    for (int32_t x = 0; x < 4; ++x) keyed.PixelAt(x, y)[0] = keyed.PixelAt(x, y)[1] = keyed.PixelAt(x, y)[2] = 0xFF;
  Region clear;
  Region filled;
  ASSERT_TRUE(MaskToRegion(clear, filled, keyed));
  EXPECT_TRUE(filled.IsEmpty());
  EXPECT_EQ(BoxOf(clear), (Bounds{0, 0, 4, 4}));
}

}  // namespace
