// Region: the set operations, their results and the empty flag each of them keeps, against pixel sets and the
// host's GDI regions.
#include "game/graphics/region.h"

#include <gtest/gtest.h>

#include <bitset>
#include <cstring>
#include <vector>

#include "game/graphics/bitmap.h"
#include "host/gdi.h"
#include "platform/core/random.h"

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

// ---- Random operations against pixel sets and GDI regions ----

// Pixels of a small plane, [kLow, kHigh) on both axes.
constexpr int kLow = -8;
constexpr int kHigh = 24;
constexpr int kSide = kHigh - kLow;
using PixelSet = std::bitset<kSide * kSide>;

size_t Bit(int x, int y) { return static_cast<size_t>(y - kLow) * kSide + static_cast<size_t>(x - kLow); }

PixelSet SetOfBox(const Bounds& box) {
  PixelSet set;
  for (int y = box.y; y < box.y + box.height; ++y)
    for (int x = box.x; x < box.x + box.width; ++x) set.set(Bit(x, y));
  return set;
}

Bounds BoxOfSet(const PixelSet& set) {
  int left = kHigh, top = kHigh, right = kLow, bottom = kLow;
  for (int y = kLow; y < kHigh; ++y)
    for (int x = kLow; x < kHigh; ++x)
      if (set.test(Bit(x, y))) {
        left = std::min(left, x), top = std::min(top, y), right = std::max(right, x + 1), bottom = std::max(bottom, y + 1);
      }
  return set.none() ? Bounds{} : Bounds{left, top, right - left, bottom - top};
}

std::vector<RECT> RectsOf(HRGN region) {
  const DWORD size = GetRegionData(region, 0, nullptr);
  std::vector<uint8_t> bytes(size);
  auto* data = reinterpret_cast<RGNDATA*>(bytes.data());
  if (size == 0 || GetRegionData(region, size, data) == 0) return {};
  std::vector<RECT> rects(data->rdh.nCount);
  if (!rects.empty()) std::memcpy(rects.data(), data->Buffer, rects.size() * sizeof(RECT));
  return rects;
}

// The rectangles of a region read through a copy, so that the region itself never hands out its handle.
std::vector<RECT> RectsOf(const Region& region) {
  Region copy;
  copy.Assign(region);
  return RectsOf(copy.Handle());
}

bool SameRects(const std::vector<RECT>& a, const std::vector<RECT>& b) {
  return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(RECT)) == 0);
}

class RandomBoxes {
 public:
  RandomBoxes() : saved_(PlatformSetRandomSeed(0x5EED4321u)) {}
  ~RandomBoxes() { PlatformSetRandomSeed(saved_); }
  int In(int low, int high) { return low + static_cast<int>(PlatformRandomRange(0, static_cast<uint32_t>(high - low))); }
  // Boxes of the plane's middle, now and then without area.
  Bounds Box() { return Bounds{In(-4, 12), In(-4, 12), In(-1, 10), In(-1, 10)}; }

 private:
  uint32_t saved_;
};

// Every operation on a region of many rectangles gives the pixels, the kind, the box and the very rectangles that
// the same operation on GDI regions gives; in odd rounds the region has handed out its handle, which then follows.
TEST(RegionTest, RandomOperationsMatchPixelSetsAndGdiRegions) {
  RandomBoxes random;
  for (int round = 0; round < 80; ++round) {
    Region region, other;
    HRGN gdi = CreateRectRgn(0, 0, 0, 0), gdiOther = CreateRectRgn(0, 0, 0, 0);
    PixelSet expected;
    const HRGN lent = round % 2 == 1 ? region.Handle() : nullptr;
    for (int step = 0; step < 16; ++step) {
      const Bounds box = random.Box();
      const PixelSet boxSet = box.IsEmpty() ? PixelSet{} : SetOfBox(box);
      const RECT rect = box.IsEmpty() ? RECT{0, 0, 0, 0} : box.ToRect();
      // The other operand: a box, or one with a second box added.
      other.SetRect(box);
      SetRectRgn(gdiOther, rect.left, rect.top, rect.right, rect.bottom);
      PixelSet otherSet = boxSet;
      if (random.In(0, 2) == 1) {
        const Bounds more = random.Box();
        other.UnionRect(more);
        const RECT moreRect = more.IsEmpty() ? RECT{0, 0, 0, 0} : more.ToRect();
        HRGN added = CreateRectRgnIndirect(&moreRect);
        CombineRgn(gdiOther, gdiOther, added, RGN_OR);
        DeleteObject(added);
        if (!more.IsEmpty()) otherSet |= SetOfBox(more);
      }
      const int operation = random.In(0, 7);
      int result = ERROR, gdiResult = ERROR;
      switch (operation) {
        case 0: result = region.Union(other), gdiResult = CombineRgn(gdi, gdi, gdiOther, RGN_OR), expected |= otherSet; break;
        case 1: result = other.Subtract(region), gdiResult = CombineRgn(gdi, gdi, gdiOther, RGN_DIFF), expected &= ~otherSet; break;
        case 2: result = other.Intersect(region), gdiResult = CombineRgn(gdi, gdi, gdiOther, RGN_AND), expected &= otherSet; break;
        case 3: {
          region.UnionRect(box);
          HRGN added = CreateRectRgnIndirect(&rect);
          result = gdiResult = CombineRgn(gdi, gdi, added, RGN_OR);
          DeleteObject(added);
          expected |= boxSet;
          break;
        }
        case 4: {
          // A move of up to 3 pixels that keeps the region on the plane.
          const Bounds now = BoxOfSet(expected);
          const Point move{random.In(std::max(-3, kLow - now.x), std::min(3, kHigh - now.x - now.width) + 1),
                           random.In(std::max(-3, kLow - now.y), std::min(3, kHigh - now.y - now.height) + 1)};
          result = region.Offset(move), gdiResult = OffsetRgn(gdi, move.x, move.y);
          PixelSet moved;
          for (int y = kLow; y < kHigh; ++y)
            for (int x = kLow; x < kHigh; ++x)
              if (expected.test(Bit(x, y))) moved.set(Bit(x + move.x, y + move.y));
          expected = moved;
          break;
        }
        case 5: result = region.Assign(other), gdiResult = CombineRgn(gdi, gdiOther, nullptr, RGN_COPY), expected = otherSet; break;
        default: {
          // The region against itself changes nothing, or empties it.
          const bool subtract = random.In(0, 2) == 1;
          result = subtract ? region.Subtract(region) : region.Union(region);
          gdiResult = CombineRgn(gdi, gdi, gdi, subtract ? RGN_DIFF : RGN_OR);
          if (subtract) expected.reset();
          break;
        }
      }
      const std::string where = "round " + std::to_string(round) + " step " + std::to_string(step) + " operation " +
                                std::to_string(operation);
      const std::vector<RECT> rects = lent != nullptr ? RectsOf(lent) : RectsOf(region);
      ASSERT_TRUE(SameRects(rects, RectsOf(gdi))) << where;
      PixelSet pixels;
      for (const RECT& r : rects) pixels |= SetOfBox(Bounds::FromRect(r));
      ASSERT_EQ(pixels, expected) << where;
      ASSERT_EQ(result, gdiResult) << where;
      ASSERT_EQ(region.IsEmpty(), expected.none()) << where;
      Bounds bounds;
      ASSERT_EQ(region.GetBounds(bounds), gdiResult) << where;
      ASSERT_EQ(bounds, BoxOfSet(expected)) << where;
      // Clipping a box to the region gives the box of their common pixels.
      const Bounds probe = random.Box();
      const PixelSet common = expected & (probe.IsEmpty() ? PixelSet{} : SetOfBox(probe));
      Bounds clipped = probe;
      region.ClipRect(clipped);
      ASSERT_EQ(clipped, BoxOfSet(common)) << where;
      ASSERT_EQ(region.IntersectsRect(probe), common.any()) << where;
    }
    DeleteObject(gdi);
    DeleteObject(gdiOther);
  }
}

TEST(RegionTest, ADirectChangeOfTheHandleIsTakenIn) {
  Region region(Bounds{0, 0, 4, 4});
  HRGN added = CreateRectRgn(10, 0, 12, 4);
  ASSERT_EQ(CombineRgn(region.Handle(), region.Handle(), added, RGN_OR), COMPLEXREGION);
  DeleteObject(added);
  EXPECT_EQ(BoxOf(region), (Bounds{0, 0, 12, 4}));
  region.UnionRect(Bounds{4, 0, 6, 4});
  EXPECT_EQ(BoxOf(region), (Bounds{0, 0, 12, 4}));
  RECT box;
  EXPECT_EQ(GetRgnBox(region.Handle(), &box), SIMPLEREGION);  // the handle follows the region as well

  ASSERT_TRUE(SetRectRgn(region.Handle(), 0, 0, 0, 0));
  EXPECT_FALSE(region.IsEmpty());  // the flag waits for Refresh, as it always has
  region.Refresh();
  EXPECT_TRUE(region.IsEmpty());
}

}  // namespace
