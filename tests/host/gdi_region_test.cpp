// Regions: set operations against brute-force pixel sets, the canonical banded form, and the region data records.
#include <gtest/gtest.h>

#include <algorithm>
#include <bitset>
#include <climits>
#include <vector>

#include "gdi_test_helpers.h"

namespace {

// Pixels of a small plane, [kLow, kHigh) on both axes.
constexpr int kLow = -8;
constexpr int kHigh = 24;
constexpr int kSide = kHigh - kLow;
using PixelSet = std::bitset<kSide * kSide>;

size_t Bit(int x, int y) { return static_cast<size_t>(y - kLow) * kSide + (x - kLow); }

PixelSet SetOfRect(int l, int t, int r, int b) {
  if (l > r) std::swap(l, r);
  if (t > b) std::swap(t, b);
  PixelSet set;
  for (int y = t; y < b; ++y)
    for (int x = l; x < r; ++x) set.set(Bit(x, y));
  return set;
}

std::vector<RECT> RectsOf(HRGN region) {
  const DWORD size = GetRegionData(region, 0, nullptr);
  EXPECT_GE(size, sizeof(RGNDATAHEADER));
  std::vector<uint8_t> bytes(size);
  auto* data = reinterpret_cast<RGNDATA*>(bytes.data());
  EXPECT_EQ(GetRegionData(region, size, data), size);
  std::vector<RECT> rects(data->rdh.nCount);
  if (!rects.empty()) std::memcpy(rects.data(), data->Buffer, rects.size() * sizeof(RECT));
  return rects;
}

PixelSet SetOfRegion(HRGN region) {
  PixelSet set;
  for (const RECT& r : RectsOf(region)) {
    PixelSet part = SetOfRect(r.left, r.top, r.right, r.bottom);
    EXPECT_TRUE((set & part).none()) << "rectangles overlap";
    set |= part;
  }
  return set;
}

// The rectangle list is y-x banded, with touching spans joined and equal adjacent bands merged.
void ExpectCanonical(const std::vector<RECT>& rects) {
  for (size_t i = 0; i < rects.size(); ++i) {
    const RECT& r = rects[i];
    ASSERT_LT(r.left, r.right);
    ASSERT_LT(r.top, r.bottom);
    if (i == 0) continue;
    const RECT& p = rects[i - 1];
    if (p.top == r.top) {
      ASSERT_EQ(p.bottom, r.bottom) << "one band, one height";
      ASSERT_LT(p.right, r.left) << "spans of a band are sorted and apart";
    } else {
      ASSERT_LE(p.bottom, r.top) << "bands are sorted and apart";
    }
  }
  // Bands that meet must differ.
  std::vector<std::pair<size_t, size_t>> bands;
  for (size_t i = 0; i < rects.size();) {
    size_t j = i;
    while (j < rects.size() && rects[j].top == rects[i].top) ++j;
    bands.push_back({i, j});
    i = j;
  }
  for (size_t k = 1; k < bands.size(); ++k) {
    const auto [a0, a1] = bands[k - 1];
    const auto [b0, b1] = bands[k];
    if (rects[a0].bottom != rects[b0].top || a1 - a0 != b1 - b0) continue;
    bool same = true;
    for (size_t n = 0; n < a1 - a0; ++n)
      same = same && rects[a0 + n].left == rects[b0 + n].left && rects[a0 + n].right == rects[b0 + n].right;
    EXPECT_FALSE(same) << "meeting bands with the same spans are merged";
  }
}

RECT BoxOf(const PixelSet& set) {
  RECT box{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
  for (int y = kLow; y < kHigh; ++y)
    for (int x = kLow; x < kHigh; ++x)
      if (set.test(Bit(x, y))) box = {std::min<LONG>(box.left, x), std::min<LONG>(box.top, y),
                                      std::max<LONG>(box.right, x + 1), std::max<LONG>(box.bottom, y + 1)};
  return set.none() ? RECT{0, 0, 0, 0} : box;
}

// A small generator of our own so the cases are the same on every run.
class Xorshift {
 public:
  explicit Xorshift(uint32_t seed) : state_(seed) {}
  uint32_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }
  int In(int low, int high) { return low + static_cast<int>(Next() % static_cast<uint32_t>(high - low)); }

 private:
  uint32_t state_;
};

TEST(GdiRegion, RandomOperationsMatchPixelSets) {
  Xorshift random(0x5EED1234u);
  for (int round = 0; round < 60; ++round) {
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    HRGN other = CreateRectRgn(0, 0, 0, 0);
    PixelSet expected;
    for (int step = 0; step < 12; ++step) {
      const int l = random.In(-4, 12), t = random.In(-4, 12), r = random.In(-4, 12), b = random.In(-4, 12);
      const PixelSet rect = SetOfRect(l, t, r, b);
      ASSERT_TRUE(SetRectRgn(other, l, t, r, b));
      const int op = random.In(0, 7);
      int result = ERROR;
      switch (op) {
        case 0: result = CombineRgn(region, region, other, RGN_AND); expected &= rect; break;
        case 1: result = CombineRgn(region, region, other, RGN_OR); expected |= rect; break;
        case 2: result = CombineRgn(region, region, other, RGN_XOR); expected ^= rect; break;
        case 3: result = CombineRgn(region, region, other, RGN_DIFF); expected &= ~rect; break;
        case 4:  // the destination is the second operand
          result = CombineRgn(region, other, region, RGN_DIFF);
          expected = rect & ~expected;
          break;
        case 5: {
          const int dx = random.In(-3, 4), dy = random.In(-3, 4);
          result = OffsetRgn(region, dx, dy);
          PixelSet moved;
          for (int y = kLow; y < kHigh; ++y)
            for (int x = kLow; x < kHigh; ++x)
              if (expected.test(Bit(x, y))) moved.set(Bit(x + dx, y + dy));
          expected = moved;
          break;
        }
        default:
          result = CombineRgn(region, other, nullptr, RGN_COPY);
          expected = rect;
          break;
      }
      const std::vector<RECT> rects = RectsOf(region);
      ASSERT_NO_FATAL_FAILURE(ExpectCanonical(rects)) << "round " << round << " step " << step;
      ASSERT_EQ(SetOfRegion(region), expected) << "round " << round << " step " << step << " op " << op;
      const int type = expected.none() ? NULLREGION : rects.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
      ASSERT_EQ(result, type);
      RECT box;
      ASSERT_EQ(GetRgnBox(region, &box), type);
      const RECT want = BoxOf(expected);
      ASSERT_TRUE(box.left == want.left && box.top == want.top && box.right == want.right &&
                  box.bottom == want.bottom);
    }
    DeleteObject(region);
    DeleteObject(other);
  }
}

TEST(GdiRegion, RectanglesAreOrderedAndEmptyOnesGiveTheEmptyRegion) {
  HRGN region = CreateRectRgn(10, 20, 2, 4);
  RECT box;
  EXPECT_EQ(GetRgnBox(region, &box), SIMPLEREGION);
  EXPECT_EQ(box.left, 2);
  EXPECT_EQ(box.top, 4);
  EXPECT_EQ(box.right, 10);
  EXPECT_EQ(box.bottom, 20);
  const RECT flat{5, 5, 5, 9};
  HRGN empty = CreateRectRgnIndirect(&flat);
  EXPECT_EQ(GetRgnBox(empty, &box), NULLREGION);
  EXPECT_EQ(box.left | box.top | box.right | box.bottom, 0);
  EXPECT_EQ(CombineRgn(region, empty, nullptr, RGN_COPY), NULLREGION);
  EXPECT_EQ(CreateRectRgnIndirect(nullptr), nullptr);
  DeleteObject(region);
  DeleteObject(empty);
}

TEST(GdiRegion, BadArgumentsGiveErrorAndLeaveTheDestination) {
  HRGN dest = CreateRectRgn(0, 0, 4, 4);
  HRGN src = CreateRectRgn(2, 2, 6, 6);
  HRGN gone = CreateRectRgn(0, 0, 1, 1);
  DeleteObject(gone);
  EXPECT_EQ(CombineRgn(dest, src, nullptr, RGN_OR), ERROR);
  EXPECT_EQ(CombineRgn(dest, src, src, 0), ERROR);
  EXPECT_EQ(CombineRgn(dest, src, src, 6), ERROR);
  EXPECT_EQ(CombineRgn(dest, gone, src, RGN_AND), ERROR);
  EXPECT_EQ(CombineRgn(gone, src, src, RGN_AND), ERROR);
  EXPECT_EQ(OffsetRgn(gone, 1, 1), ERROR);
  EXPECT_EQ(GetRgnBox(gone, nullptr), ERROR);
  EXPECT_FALSE(SetRectRgn(gone, 0, 0, 1, 1));
  EXPECT_EQ(GetRegionData(gone, 0, nullptr), 0u);
  RECT box;
  EXPECT_EQ(GetRgnBox(dest, &box), SIMPLEREGION);
  EXPECT_EQ(box.right, 4);
  DeleteObject(dest);
  DeleteObject(src);
}

TEST(GdiRegion, TheWholePlaneWorksAndOffsetsThatOverflowAreRefused) {
  HRGN plane = CreateRectRgn(INT_MIN, INT_MIN, INT_MAX, INT_MAX);
  HRGN small = CreateRectRgn(-5, -5, 5, 5);
  RECT box;
  EXPECT_EQ(GetRgnBox(plane, &box), SIMPLEREGION);
  EXPECT_EQ(box.left, INT_MIN);
  EXPECT_EQ(box.right, INT_MAX);
  EXPECT_EQ(CombineRgn(small, plane, small, RGN_DIFF), COMPLEXREGION);
  EXPECT_EQ(RectsOf(small).size(), 4u);  // above, left, right, below the hole
  EXPECT_EQ(OffsetRgn(plane, 1, 0), ERROR);
  EXPECT_EQ(GetRgnBox(plane, &box), SIMPLEREGION);
  EXPECT_EQ(box.left, INT_MIN);  // unchanged
  EXPECT_EQ(OffsetRgn(plane, 0, 0), SIMPLEREGION);
  DeleteObject(plane);
  DeleteObject(small);
}

TEST(GdiRegion, RegionDataRoundTrip) {
  HRGN region = CreateRectRgn(0, 0, 10, 10);
  HRGN hole = CreateRectRgn(3, 3, 6, 6);
  HRGN extra = CreateRectRgn(12, 2, 20, 4);
  CombineRgn(region, region, hole, RGN_DIFF);
  CombineRgn(region, region, extra, RGN_OR);

  const DWORD size = GetRegionData(region, 0, nullptr);
  ASSERT_EQ(size, sizeof(RGNDATAHEADER) + RectsOf(region).size() * sizeof(RECT));
  std::vector<uint8_t> bytes(size);
  auto* data = reinterpret_cast<RGNDATA*>(bytes.data());
  EXPECT_EQ(GetRegionData(region, size - 1, data), 0u);  // too small
  ASSERT_EQ(GetRegionData(region, size, data), size);
  EXPECT_EQ(data->rdh.dwSize, sizeof(RGNDATAHEADER));
  EXPECT_EQ(data->rdh.iType, RDH_RECTANGLES);
  EXPECT_EQ(data->rdh.nRgnSize, data->rdh.nCount * sizeof(RECT));
  EXPECT_EQ(data->rdh.rcBound.right, 20);
  EXPECT_EQ(data->rdh.rcBound.bottom, 10);

  HRGN copy = ExtCreateRegion(nullptr, size, data);
  ASSERT_NE(copy, nullptr);
  std::vector<uint8_t> again(size);
  ASSERT_EQ(GetRegionData(copy, size, reinterpret_cast<RGNDATA*>(again.data())), size);
  EXPECT_EQ(again, bytes);
  for (HRGN h : {region, hole, extra, copy}) DeleteObject(h);
}

TEST(GdiRegion, ExtCreateRegionJoinsRectanglesInAnyOrder) {
  // Unsorted, overlapping, touching and empty rectangles, as a caller scaling a region may produce.
  const RECT rects[] = {{4, 4, 9, 9}, {0, 0, 5, 5}, {9, 4, 12, 6}, {2, 2, 2, 8}, {0, 5, 3, 7}, {6, 0, 7, 1}};
  std::vector<uint8_t> bytes(sizeof(RGNDATAHEADER) + sizeof rects);
  auto* data = reinterpret_cast<RGNDATA*>(bytes.data());
  data->rdh = {sizeof(RGNDATAHEADER), RDH_RECTANGLES, std::size(rects), sizeof rects, {0, 0, 0, 0}};
  std::memcpy(data->Buffer, rects, sizeof rects);
  HRGN region = ExtCreateRegion(nullptr, static_cast<DWORD>(bytes.size()), data);
  ASSERT_NE(region, nullptr);
  PixelSet expected;
  for (const RECT& r : rects) expected |= SetOfRect(r.left, r.top, r.right, r.bottom);
  EXPECT_EQ(SetOfRegion(region), expected);
  ExpectCanonical(RectsOf(region));
  DeleteObject(region);
}

TEST(GdiRegion, ExtCreateRegionRefusesBadRecords) {
  const RECT rect{0, 0, 4, 4};
  std::vector<uint8_t> bytes(sizeof(RGNDATAHEADER) + sizeof rect);
  auto* data = reinterpret_cast<RGNDATA*>(bytes.data());
  const auto size = static_cast<DWORD>(bytes.size());
  struct Case {
    const char* name;
    RGNDATAHEADER header;
    DWORD size;
  };
  const RGNDATAHEADER good{sizeof(RGNDATAHEADER), RDH_RECTANGLES, 1, sizeof rect, {0, 0, 4, 4}};
  const Case cases[] = {
      {"header size", {16, RDH_RECTANGLES, 1, sizeof rect, {}}, size},
      {"kind", {sizeof(RGNDATAHEADER), 2, 1, sizeof rect, {}}, size},
      {"more rectangles than bytes", {sizeof(RGNDATAHEADER), RDH_RECTANGLES, 2, 32, {}}, size},
      {"huge count", {sizeof(RGNDATAHEADER), RDH_RECTANGLES, 0xFFFFFFFFu, 0, {}}, size},
      {"size below the header", good, 8},
  };
  std::memcpy(data->Buffer, &rect, sizeof rect);
  for (const Case& c : cases) {
    data->rdh = c.header;
    EXPECT_EQ(ExtCreateRegion(nullptr, c.size, data), nullptr) << c.name;
  }
  data->rdh = good;
  EXPECT_EQ(ExtCreateRegion(nullptr, size, nullptr), nullptr);
  const XFORM scale{2, 0, 0, 2, 0, 0};
  EXPECT_EQ(ExtCreateRegion(&scale, size, data), nullptr);
  const XFORM identity{1, 0, 0, 1, 0, 0};
  HRGN region = ExtCreateRegion(&identity, size, data);
  EXPECT_NE(region, nullptr);
  DeleteObject(region);
}

}  // namespace
