// Regions: copies, rect regions with the GDI clamp, emptiness, and mapping checked against brute-force pixel sets.
#include "platform/graphics/region.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <utility>
#include <vector>

#include "host/gdi.h"

namespace {

using PixelSet = std::set<std::pair<int, int>>;

std::vector<RECT> RectsOf(HRGN region) {
  const DWORD size = GetRegionData(region, 0, nullptr);
  std::vector<char> buffer(size);
  auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
  EXPECT_NE(GetRegionData(region, size, data), 0u);
  std::vector<RECT> rects(data->rdh.nCount);
  std::memcpy(rects.data(), data->Buffer, rects.size() * sizeof(RECT));
  return rects;
}

PixelSet PixelsOf(const std::vector<RECT>& rects) {
  PixelSet set;
  for (const RECT& r : rects) {
    for (int y = r.top; y < r.bottom; ++y) {
      for (int x = r.left; x < r.right; ++x) set.insert({x, y});
    }
  }
  return set;
}

// A region of three overlapping rectangles (a complex, banded region).
HRGN Sample(const std::vector<RECT>& parts) {
  HRGN region = NewEmptyRegion();
  for (const RECT& r : parts) {
    HRGN piece = CreateRectRgn(r.left, r.top, r.right, r.bottom);
    CombineRgn(region, region, piece, RGN_OR);
    DeleteObject(piece);
  }
  return region;
}

TEST(RegionTest, MapRegionMatchesMappingEachPixelRect) {
  const std::vector<RECT> parts = {{0, 0, 4, 2}, {2, 1, 7, 5}, {5, 6, 10, 10}};
  struct Case {
    Rect source, destination;
  };
  const Case cases[] = {
      {{0, 0, 10, 10}, {100, 100, 120, 120}},  // doubled and moved
      {{0, 0, 10, 10}, {-5, 3, 0, 8}},         // halved
      {{2, 2, 12, 7}, {0, 0, 30, 5}},          // stretched one way only
      {{0, 0, 10, 10}, {7, -3, 17, 7}},        // same size: moved
  };
  for (const Case& c : cases) {
    HRGN region = Sample(parts);
    // The expected pixels: each rectangle of the region mapped by the formula, rounded toward zero.
    std::vector<RECT> mapped;
    for (const RECT& r : RectsOf(region)) {
      auto mapX = [&](int v) {
        return static_cast<int>(c.destination.left +
                                (int64_t{v} - c.source.left) * c.destination.Width() / c.source.Width());
      };
      auto mapY = [&](int v) {
        return static_cast<int>(c.destination.top +
                                (int64_t{v} - c.source.top) * c.destination.Height() / c.source.Height());
      };
      mapped.push_back({mapX(r.left), mapY(r.top), mapX(r.right), mapY(r.bottom)});
    }
    ASSERT_EQ(MapRegion(region, &c.source, &c.destination), kPlatformNoError);
    EXPECT_EQ(PixelsOf(RectsOf(region)), PixelsOf(mapped)) << c.destination.left << "," << c.destination.top;
    DisposeRegion(region);
  }
}

TEST(RegionTest, MapRegionRefusesEmptyRectsAndKeepsTheRegion) {
  HRGN region = Sample({{1, 1, 3, 3}});
  const Rect empty{4, 4, 4, 9}, fine{0, 0, 8, 8};
  EXPECT_EQ(MapRegion(region, &empty, &fine), kPlatformErrBadData);
  EXPECT_EQ(MapRegion(region, &fine, &empty), kPlatformErrBadData);
  EXPECT_EQ(PixelsOf(RectsOf(region)), PixelsOf({{1, 1, 3, 3}}));
  DisposeRegion(region);
}

TEST(RegionTest, CopiesRectsAndEmptiness) {
  HRGN empty = NewEmptyRegion();
  ASSERT_NE(empty, nullptr);
  EXPECT_TRUE(IsRegionEmpty(empty));
  HRGN region = Sample({{0, 0, 2, 2}, {1, 1, 3, 3}});
  HRGN copy = DuplicateRegion(region);
  ASSERT_NE(copy, nullptr);
  EXPECT_FALSE(IsRegionEmpty(copy));
  EXPECT_EQ(PixelsOf(RectsOf(copy)), PixelsOf(RectsOf(region)));
  Rect bounds;
  GetRegionBounds(&bounds, copy);
  const Rect expected{0, 0, 3, 3};
  EXPECT_TRUE(Rect::Equal(&bounds, &expected));
  // A huge rect is clamped for GDI before it becomes the region.
  const Rect huge{-40000, 5, 40000, 6};
  ASSERT_EQ(SetRegionToRect(copy, &huge), kPlatformNoError);
  GetRegionBounds(&bounds, copy);
  const Rect clamped{-16000, 5, 16000, 6};
  EXPECT_TRUE(Rect::Equal(&bounds, &clamped));
  DisposeRegion(empty);
  DisposeRegion(region);
  DisposeRegion(copy);
}

}  // namespace
