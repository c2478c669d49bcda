// Bounds arithmetic: union, clipping and the containment tests, one table per operation.
#include "game/graphics/bounds.h"

#include <climits>

#include <gtest/gtest.h>

namespace {

struct PairCase {
  Bounds a;
  Bounds b;
  Bounds expected;
};

TEST(BoundsTest, UnionCoversBothAndAdoptsTheOtherWhenEmpty) {
  const PairCase cases[] = {
      {{0, 0, 0, 5}, {3, 4, 5, 6}, {3, 4, 5, 6}},          // no width: copy of the other
      {{7, 7, 5, -1}, {3, 4, 5, 6}, {3, 4, 5, 6}},         // negative height: copy
      {{0, 0, 10, 10}, {20, 20, 5, 5}, {0, 0, 25, 25}},    // other after this
      {{10, 10, 5, 5}, {0, 0, 3, 3}, {0, 0, 15, 15}},      // other before this
      {{10, 10, 5, 5}, {0, 0, 40, 40}, {0, 0, 40, 40}},    // other before and reaching farther
      {{0, 0, 10, 10}, {2, 2, 3, 3}, {0, 0, 10, 10}},      // other inside
      {{0, 0, 10, 10}, {2, 2, 0, 0}, {0, 0, 10, 10}},      // the other is not tested for emptiness
  };
  for (const PairCase& c : cases) {
    Bounds box = c.a;
    box.Union(c.b);
    EXPECT_EQ(box, c.expected) << c.a.x << "," << c.a.y << " " << c.a.width << "x" << c.a.height;
  }
}

TEST(BoundsTest, ClipKeepsTheOverlapAndLeavesNonPositiveSizesWithout) {
  const PairCase cases[] = {
      {{0, 0, 10, 10}, {5, 5, 10, 10}, {5, 5, 5, 5}},
      {{0, 0, 10, 10}, {20, 0, 5, 5}, {20, 0, -10, 5}},
      {{0, 0, 10, 10}, {2, 3, 4, 5}, {2, 3, 4, 5}},        // other inside: cut to its size
      {{5, 5, 10, 10}, {0, 0, 8, 30}, {5, 5, 3, 10}},      // other starts before: only the end is cut
      {{5, 5, 2, 2}, {0, 0, 100, 100}, {5, 5, 2, 2}},
  };
  for (const PairCase& c : cases) {
    Bounds box = c.a;
    box.Clip(c.b);
    EXPECT_EQ(box, c.expected) << c.b.x << "," << c.b.y << " " << c.b.width << "x" << c.b.height;
  }
  Bounds moved{0, 0, 10, 10};
  moved.ClipOffset(Bounds{0, 0, 10, 10}, 4, -3);
  EXPECT_EQ(moved, (Bounds{4, 0, 6, 7}));
}

TEST(BoundsTest, ContainmentAndIntersection) {
  const Bounds box{0, 0, 10, 10};
  EXPECT_TRUE(box.ContainsPoint(10, 10));  // both edges are inside
  EXPECT_TRUE(box.ContainsPoint(0, 0));
  EXPECT_FALSE(box.ContainsPoint(11, 0));
  EXPECT_FALSE(box.ContainsPoint(-1, 5));

  EXPECT_TRUE(box.Contains(Bounds{0, 0, 10, 10}));
  EXPECT_TRUE(box.Contains(Bounds{3, 3, 7, 7}));
  EXPECT_FALSE(box.Contains(Bounds{3, 3, 8, 7}));
  EXPECT_FALSE(box.Contains(Bounds{-1, 0, 2, 2}));

  EXPECT_FALSE(box.Intersects(Bounds{10, 0, 5, 5}));  // touching is not overlapping
  EXPECT_FALSE(box.Intersects(Bounds{0, -5, 5, 5}));
  EXPECT_TRUE(box.Intersects(Bounds{9, 9, 5, 5}));
  EXPECT_TRUE(box.Intersects(Bounds{-5, -5, 6, 6}));
}

TEST(BoundsTest, EdgesNearTheEndOfTheRangeDoNotWrap) {
  const Bounds far{INT32_MAX - 5, 0, 100, 10};
  EXPECT_TRUE(far.ContainsPoint(INT32_MAX, 5));
  EXPECT_TRUE(far.Intersects(Bounds{INT32_MAX - 1, 0, 1, 1}));
  EXPECT_EQ(far.ToRect().right, INT32_MAX);
  EXPECT_EQ(Bounds::FromRect(RECT{1, 2, 11, 22}), (Bounds{1, 2, 10, 20}));
}

}  // namespace
