// Bit masks: construction, used bounds, pixel tests, scaling, and the split of masks and pictures into
// rectangles, checked against a brute-force walk of every bit.
#include "game/graphics/bit_mask.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <functional>
#include <vector>

#include "game/graphics/bitmap.h"
#include "host/gdi.h"
#include "tests/support/bitmap_pixels.h"

using test_support::FilledBitmap;
using test_support::SetRawPixel;

namespace {

// A mask whose bit (x, y) is what the pattern says.
std::unique_ptr<BitMask> PatternMask(int32_t width, int32_t height, const std::function<bool(int32_t, int32_t)>& set) {
  auto mask = std::make_unique<BitMask>(width, height, false);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) mask->SetBit(x, y, set(x, y));
  }
  return mask;
}

TEST(BitMask, NewMasksAreFilledOrClear) {
  BitMask set(13, 3, true);
  BitMask clear(13, 3, false);
  EXPECT_EQ(set.RowBytes(), 2);
  EXPECT_EQ(set.DataSize(), 6);
  EXPECT_EQ(set.UsedBounds(), (Bounds{0, 0, 13, 3}));
  EXPECT_TRUE(set.GetBit(12, 2));
  EXPECT_FALSE(clear.GetBit(12, 2));
  BitMask empty(0, 5, true);
  EXPECT_EQ(empty.BitData(), nullptr);
  EXPECT_EQ(empty.Width(), 0);
  EXPECT_FALSE(empty.TestPixel(0, 0));
  EXPECT_EQ(ClassifyMaskRect(Bounds{0, 0, 1, 1}, empty), kMaskRectNoneSet);
}

// A counted memory block holding the given bytes.
MemHandle BlockOf(std::vector<uint8_t> bytes) {
  MemHandle handle;
  handle.Allocate(bytes.size());
  std::memcpy(handle.Lock(), bytes.data(), bytes.size());
  handle.Unlock();
  return handle;
}

TEST(BitMask, BitsFromABlockAdoptedOrCopied) {
  MemHandle block = BlockOf({0x05, 0x00});  // bits 0 and 2 of the first row
  const uint32_t blocksBefore = MemHandle::LiveBlockCount();
  {
    BitMask copied(8, 2, block, false);
    EXPECT_TRUE(copied.GetBit(2, 0));
    EXPECT_FALSE(block.IsNull());
    EXPECT_EQ(MemHandle::LiveBlockCount(), blocksBefore + 1);
    BitMask adopted(8, 2, block, true);
    EXPECT_TRUE(adopted.GetBit(0, 0));
    EXPECT_TRUE(block.IsNull());
    // A block too small for the mask is copied as far as it goes; the rest is clear.
    MemHandle small = BlockOf({0xFF});
    BitMask padded(8, 4, small, true);
    EXPECT_TRUE(padded.GetBit(7, 0));
    EXPECT_FALSE(padded.GetBit(0, 3));
    EXPECT_TRUE(small.IsNull());
  }
  // Every block the masks held is freed with them.
  EXPECT_EQ(MemHandle::LiveBlockCount(), blocksBefore - 1);
}

TEST(BitMask, LockGivesTheData) {
  BitMask mask(4, 4, true);
  EXPECT_EQ(mask.Data(), nullptr);
  EXPECT_NE(mask.Lock(), nullptr);
  EXPECT_EQ(mask.Data(), mask.BitData());
  mask.Unlock();
  EXPECT_EQ(mask.Data(), nullptr);
}

TEST(BitMask, InvertFlipsOnlyBitsInsideTheWidth) {
  BitMask mask(10, 2, false);
  mask.SetBit(3, 1, true);
  mask.Invert();
  EXPECT_FALSE(mask.GetBit(3, 1));
  EXPECT_TRUE(mask.GetBit(9, 1));
  EXPECT_EQ(mask.BitData()[1] & 0xFC, 0);  // padding bits of the row's last byte stay clear
}

struct UsedCase {
  const char* name;
  std::vector<std::pair<int32_t, int32_t>> bits;
  Bounds used;
};

TEST(BitMask, UsedBoundsCoverTheSetBits) {
  // An 8 x 6 mask whose used bounds were last {1, 1, 2, 2}: a box of set bits replaces them; set bits in one row
  // or one column keep them; no set bit gives {8, 6, 1 - 8, 1 - 6}.
  const UsedCase cases[] = {
      {"box", {{2, 1}, {5, 3}}, {2, 1, 4, 3}},
      {"one_row", {{2, 3}, {6, 3}}, {1, 1, 2, 2}},
      {"one_column", {{4, 0}, {4, 5}}, {1, 1, 2, 2}},
      {"one_bit", {{7, 5}}, {1, 1, 2, 2}},
      {"none", {}, {8, 6, -7, -5}},
  };
  for (const UsedCase& c : cases) {
    BitMask mask(8, 6, false);
    mask.SetBit(1, 1, true);
    mask.SetBit(2, 2, true);
    mask.ComputeUsedBounds();
    ASSERT_EQ(mask.UsedBounds(), (Bounds{1, 1, 2, 2}));
    mask.SetBit(1, 1, false);
    mask.SetBit(2, 2, false);
    for (auto [x, y] : c.bits) mask.SetBit(x, y, true);
    mask.ComputeUsedBounds();
    EXPECT_EQ(mask.UsedBounds(), c.used) << c.name;
  }
  // Before any computation the used bounds are the whole mask, and a row of set bits keeps them so.
  BitMask fresh(8, 6, false);
  fresh.SetBit(0, 2, true);
  fresh.SetBit(7, 2, true);
  fresh.ComputeUsedBounds();
  EXPECT_EQ(fresh.UsedBounds(), (Bounds{0, 0, 8, 6}));
  EXPECT_FALSE(fresh.TestPixel(3, 2));
  EXPECT_TRUE(fresh.TestPixel(7, 2));
}

TEST(BitMask, TestPixelCountsBothEdgesOfTheUsedBoundsButNotPastTheMask) {
  BitMask mask(8, 4, false);
  mask.SetBit(2, 1, true);
  mask.SetBit(4, 2, true);
  mask.SetBit(5, 2, true);
  mask.SetBit(7, 3, true);
  mask.ComputeUsedBounds();
  mask.SetOrigin(10, 20);
  EXPECT_EQ(mask.UsedBounds(), (Bounds{2, 1, 6, 3}));  // relative to the origin
  EXPECT_TRUE(mask.TestPixel(12, 21));
  EXPECT_FALSE(mask.TestPixel(2, 1));
  EXPECT_TRUE(mask.TestPixel(14, 22));
  EXPECT_TRUE(mask.TestPixel(15, 22));
  EXPECT_FALSE(mask.TestPixel(13, 21));
  EXPECT_FALSE(mask.TestPixel(11, 20));  // outside the used box
  EXPECT_FALSE(mask.TestPixel(9, 20));
  // The right edge of the box lies past the mask's width: never set.
  EXPECT_FALSE(mask.TestPixel(18, 23));
  EXPECT_FALSE(mask.TestPixel(18, 24));
}

TEST(BitMask, TestPixelAtTheRightEdgeOfTheUsedBoundsReadsThatBit) {
  BitMask mask(8, 2, false);
  mask.SetBit(1, 0, true);
  mask.SetBit(3, 1, true);
  mask.ComputeUsedBounds();  // {1, 0, 3, 2}: its right edge x = 4 lies inside the mask
  mask.SetBit(4, 1, true);
  EXPECT_TRUE(mask.TestPixel(4, 1));
  EXPECT_FALSE(mask.TestPixel(5, 1));
}

TEST(BitMask, MaskOfABitmapByKeyColour) {
  auto bitmap = FilledBitmap(5, 3, 99, 0xFFFFFF);
  SetRawPixel(*bitmap, 1, 1, 0x000000);
  SetRawPixel(*bitmap, 3, 2, 0xFEFEFE);
  BitMask mask(*bitmap, DrawColor{0xFF, 0xFF, 0xFF, 0xFF});
  EXPECT_TRUE(mask.GetBit(1, 1));
  EXPECT_TRUE(mask.GetBit(3, 2));
  EXPECT_FALSE(mask.GetBit(0, 0));
  EXPECT_EQ(mask.UsedBounds(), (Bounds{1, 1, 3, 2}));
}

// ---- Scaling.

TEST(BitMask, ScalingUpRepeatsEachBit) {
  auto source = PatternMask(4, 3, [](int32_t x, int32_t y) { return (x + y) % 2 == 0; });
  BitMask scaled(8, 6, *source);
  for (int32_t y = 0; y < 6; ++y) {
    for (int32_t x = 0; x < 8; ++x) ASSERT_EQ(scaled.GetBit(x, y), source->GetBit(x / 2, y / 2)) << x << "," << y;
  }
}

TEST(BitMask, ScalingDownKeepsEverySecondBit) {
  auto source = PatternMask(8, 4, [](int32_t x, int32_t y) { return x % 2 == 1 && y % 2 == 1; });
  BitMask scaled(4, 2, *source);
  for (int32_t y = 0; y < 2; ++y) {
    for (int32_t x = 0; x < 4; ++x) ASSERT_TRUE(scaled.GetBit(x, y)) << x << "," << y;
  }
}

TEST(BitMask, ScalingByAFractionStaysInsideTheDestination) {
  auto source = PatternMask(3, 3, [](int32_t, int32_t) { return true; });
  BitMask scaled(7, 5, *source);
  for (int32_t y = 0; y < 5; ++y) {
    for (int32_t x = 0; x < 7; ++x) ASSERT_TRUE(scaled.GetBit(x, y)) << x << "," << y;
  }
}

TEST(BitMask, SameWidthCopiesOnlyWhatBothMasksHold) {
  auto tall = PatternMask(16, 40, [](int32_t x, int32_t y) { return (x ^ y) & 1; });
  BitMask shorter(16, 3, *tall);
  for (int32_t y = 0; y < 3; ++y) {
    for (int32_t x = 0; x < 16; ++x) ASSERT_EQ(shorter.GetBit(x, y), tall->GetBit(x, y));
  }
  BitMask taller(16, 60, shorter);
  EXPECT_EQ(taller.GetBit(1, 0), shorter.GetBit(1, 0));
  EXPECT_FALSE(taller.GetBit(1, 50));
}

TEST(BitMask, ScaledBlocksStartAtTheDestinationMasksOrigin) {
  auto tall = PatternMask(16, 40, [](int32_t x, int32_t y) { return (x ^ y) & 1; });
  BitMask narrow(4, 4, false);
  // 16 x 40 into 40 x 40: columns 2 or 3 wide from X = 0, so the first source column inside the mask (the sixth
  // of the rectangle) starts at X = 12, past the 4-wide mask: nothing is set.
  ScaleBitMask(narrow, Bounds{-3, -3, 40, 40}, *tall, Bounds{-5, -5, 16, 40});
  for (int32_t y = 0; y < 4; ++y) {
    for (int32_t x = 0; x < 4; ++x) ASSERT_FALSE(narrow.GetBit(x, y)) << x << "," << y;
  }
  // 16 x 40 into 30 x 30 at (2, 2): every column 2 wide and every row 1 high, placed from (0, 0) and cut at the
  // mask's edge, so bit (x, y) is the source's bit (x / 2, y).
  ScaleBitMask(narrow, Bounds{2, 2, 30, 30}, *tall, Bounds{0, 0, 16, 40});
  for (int32_t y = 0; y < 4; ++y) {
    for (int32_t x = 0; x < 4; ++x) ASSERT_EQ(narrow.GetBit(x, y), tall->GetBit(x / 2, y)) << x << "," << y;
  }
}

TEST(BitMask, ScalingMatchesTheBlockWalkForManySizes) {
  // The block walk itself: for each source bit, a block of the row's and column's size at the running cursor.
  auto walked = [](const BitMask& source, int32_t width, int32_t height) {
    const double rx = double(width) / source.Width(), ry = double(height) / source.Height();
    const int64_t ix = int64_t(rx), iy = int64_t(ry);
    const int64_t gx = rx - ix == 0 ? 0 : int64_t(1 / (rx - ix)), gy = ry - iy == 0 ? 0 : int64_t(1 / (ry - iy));
    std::vector<bool> bits(size_t(width) * height, false);
    int64_t y = 0;
    for (int64_t j = 1; j <= source.Height(); ++j) {
      const int64_t h = (gy != 0 && j % gy == 0) ? iy + 1 : iy;
      int64_t x = 0;
      for (int64_t l = 1; l <= source.Width(); ++l) {
        const int64_t w = (gx != 0 && l % gx == 0) ? ix + 1 : ix;
        if (source.GetBit(int32_t(l - 1), int32_t(j - 1))) {
          for (int64_t by = y; by < std::min<int64_t>(y + h, height); ++by) {
            for (int64_t bx = x; bx < std::min<int64_t>(x + w, width); ++bx) bits[size_t(by) * width + bx] = true;
          }
        }
        x += w;
      }
      y += h;
    }
    return bits;
  };
  auto source = PatternMask(7, 5, [](int32_t x, int32_t y) { return (x * 3 + y * 5) % 4 != 0; });
  for (int32_t width : {2, 3, 5, 6, 8, 10, 11, 15, 22}) {
    for (int32_t height : {1, 2, 4, 6, 9, 13}) {
      BitMask scaled(width, height, *source);
      const std::vector<bool> expected = walked(*source, width, height);
      for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
          ASSERT_EQ(scaled.GetBit(x, y), expected[size_t(y) * width + x]) << width << "x" << height << " at " << x << "," << y;
        }
      }
    }
  }
}

TEST(BitMask, ScalingFromAHugeSourceRectangleVisitsOnlyTheSourceMask) {
  BitMask source(4, 4, true);
  BitMask destination(8, 8, false);
  ScaleBitMask(destination, Bounds{0, 0, 8, 8}, source, Bounds{INT32_MIN / 2, INT32_MIN / 2, INT32_MAX, INT32_MAX});
  // Shrunk that far, the mask's four columns and rows fall in blocks of no size: nothing is set.
  ScaleBitMask(destination, Bounds{0, 0, 3, 3}, source, Bounds{0, 0, INT32_MAX, INT32_MAX});
  for (int32_t y = 0; y < 8; ++y) {
    for (int32_t x = 0; x < 8; ++x) EXPECT_FALSE(destination.GetBit(x, y)) << x << "," << y;
  }
}

// ---- Classification and splitting.

TEST(BitMask, ClassifiesRectangles) {
  BitMask one(1, 1, true);
  EXPECT_EQ(ClassifyMaskRect(Bounds{0, 0, 1, 1}, one), kMaskRectAllSet);
  BitMask none(1, 1, false);
  EXPECT_EQ(ClassifyMaskRect(Bounds{0, 0, 1, 1}, none), kMaskRectNoneSet);
  BitMask two(2, 1, false);
  two.SetBit(0, 0, true);
  EXPECT_EQ(ClassifyMaskRect(Bounds{0, 0, 2, 1}, two), kMaskRectMixed);
  EXPECT_EQ(ClassifyMaskRect(Bounds{0, 0, 0, 1}, one), kMaskRectNoneSet);
  // Bits past the mask count as clear.
  EXPECT_EQ(ClassifyMaskRect(Bounds{0, 0, 2, 1}, one), kMaskRectMixed);
  EXPECT_EQ(ClassifyMaskRect(Bounds{-5, -5, 3, 3}, one), kMaskRectNoneSet);
  EXPECT_EQ(ClassifyMaskRect(Bounds{INT32_MIN / 2, INT32_MIN / 2, INT32_MAX, INT32_MAX}, one), kMaskRectMixed);
  // A mask placed elsewhere is classified at its own place.
  BitMask placed(2, 2, true);
  placed.SetOrigin(100, 50);
  EXPECT_EQ(ClassifyMaskRect(Bounds{100, 50, 2, 2}, placed), kMaskRectAllSet);
  EXPECT_EQ(ClassifyMaskRect(Bounds{0, 0, 2, 2}, placed), kMaskRectNoneSet);
}

TEST(BitMask, SplitGivesOddColumnAndRowToRightAndBottomQuadrants) {
  // A 3 x 3 mask with only its centre clear: every quadrant is all set except the bottom-right one, which holds
  // the centre and splits again.
  auto mask = PatternMask(3, 3, [](int32_t x, int32_t y) { return !(x == 1 && y == 1); });
  std::vector<Bounds> rects;
  SplitMaskRect([&](const Bounds& r) { rects.push_back(r); }, Bounds{0, 0, 3, 3}, *mask);
  ASSERT_GE(rects.size(), 3u);
  EXPECT_EQ(rects[0], (Bounds{0, 0, 1, 1}));
  EXPECT_EQ(rects[1], (Bounds{1, 0, 2, 1}));
  EXPECT_EQ(rects.back(), (Bounds{0, 1, 1, 2}));
}

// The rectangles must cover exactly the set bits, without overlapping.
void ExpectRectanglesCoverExactly(const std::vector<Bounds>& rects, int32_t width, int32_t height,
                                  const std::function<bool(int32_t, int32_t)>& set, const char* what) {
  std::vector<int> cover(size_t(width) * height, 0);
  for (const Bounds& r : rects) {
    ASSERT_GT(r.width, 0) << what;
    ASSERT_GT(r.height, 0) << what;
    for (int32_t y = r.y; y < r.y + r.height; ++y) {
      for (int32_t x = r.x; x < r.x + r.width; ++x) {
        ASSERT_TRUE(x >= 0 && y >= 0 && x < width && y < height) << what;
        ++cover[size_t(y) * width + x];
      }
    }
  }
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      ASSERT_EQ(cover[size_t(y) * width + x], set(x, y) ? 1 : 0) << what << " at " << x << "," << y;
    }
  }
}

struct PatternCase {
  const char* name;
  int32_t width;
  int32_t height;
  std::function<bool(int32_t, int32_t)> set;
};

std::vector<PatternCase> MaskPatterns() {
  return {
      {"all", 9, 7, [](int32_t, int32_t) { return true; }},
      {"none", 9, 7, [](int32_t, int32_t) { return false; }},
      {"checker", 7, 5, [](int32_t x, int32_t y) { return (x + y) % 2 == 0; }},
      {"disc", 33, 21, [](int32_t x, int32_t y) { return (x - 16) * (x - 16) + 4 * (y - 10) * (y - 10) < 200; }},
      {"stripes", 17, 9, [](int32_t x, int32_t) { return x % 5 < 2; }},
      {"one_pixel", 1, 1, [](int32_t, int32_t) { return true; }},
      {"one_row", 13, 1, [](int32_t x, int32_t) { return x % 3 != 0; }},
      {"scatter", 40, 30, [](int32_t x, int32_t y) { return ((x * 7 + y * 13) ^ (x * y)) % 5 == 0; }},
  };
}

// A keyed picture whose pixels are opaque where the pattern is set and the key colour elsewhere.
std::unique_ptr<Bitmap> KeyedPicture(const PatternCase& c) {
  auto bitmap = FilledBitmap(c.width, c.height, 99, 0xFFFFFF);
  for (int32_t y = 0; y < c.height; ++y) {
    for (int32_t x = 0; x < c.width; ++x) {
      if (c.set(x, y)) SetRawPixel(*bitmap, x, y, 0x102030);
    }
  }
  return bitmap;
}

TEST(MaskToRegion, RectanglesMatchEveryBitOfTheMask) {
  for (const PatternCase& c : MaskPatterns()) {
    auto mask = PatternMask(c.width, c.height, c.set);
    std::vector<Bounds> rects;
    MaskToRectangles([&](const Bounds& r) { rects.push_back(r); }, *mask);
    ExpectRectanglesCoverExactly(rects, c.width, c.height, c.set, c.name);
  }
}

TEST(MaskToRegion, KeyedPictureSplitsIntoOpaqueAndTransparentParts) {
  for (const PatternCase& c : MaskPatterns()) {
    auto bitmap = KeyedPicture(c);
    std::vector<Bounds> opaque, transparent;
    BitmapToMaskRectangles([&](const Bounds& r) { transparent.push_back(r); },
                           [&](const Bounds& r) { opaque.push_back(r); }, *bitmap);
    ExpectRectanglesCoverExactly(opaque, c.width, c.height, c.set, c.name);
    ExpectRectanglesCoverExactly(transparent, c.width, c.height,
                                 [&](int32_t x, int32_t y) { return !c.set(x, y); }, c.name);
  }
}

TEST(MaskToRegion, OpaquePictureIsOneRectangleWhateverItsPixels) {
  auto bitmap = FilledBitmap(6, 4, 67, 0xFFFFFF);
  std::vector<Bounds> opaque, transparent;
  BitmapToMaskRectangles([&](const Bounds& r) { transparent.push_back(r); },
                         [&](const Bounds& r) { opaque.push_back(r); }, *bitmap);
  EXPECT_TRUE(transparent.empty());
  EXPECT_EQ(opaque, (std::vector<Bounds>{{0, 0, 6, 4}}));
}

TEST(MaskToRegion, PictureOfOnlyKeyColourIsWhollyTransparent) {
  auto bitmap = FilledBitmap(6, 4, 99, 0xFFFFFF);
  std::vector<Bounds> opaque, transparent;
  BitmapToMaskRectangles([&](const Bounds& r) { transparent.push_back(r); },
                         [&](const Bounds& r) { opaque.push_back(r); }, *bitmap);
  EXPECT_TRUE(opaque.empty());
  EXPECT_EQ(transparent, (std::vector<Bounds>{{0, 0, 6, 4}}));
}

// The rectangles a host region holds, as the host lists them.
std::vector<Bounds> RegionRectangles(HRGN region) {
  const DWORD size = GetRegionData(region, 0, nullptr);
  std::vector<uint8_t> buffer(size);
  if (size == 0 || GetRegionData(region, size, reinterpret_cast<LPRGNDATA>(buffer.data())) == 0) return {};
  RGNDATAHEADER header;
  std::memcpy(&header, buffer.data(), sizeof header);
  std::vector<Bounds> rects;
  for (DWORD i = 0; i < header.nCount; ++i) {
    RECT r;
    std::memcpy(&r, buffer.data() + sizeof(RGNDATAHEADER) + i * sizeof(RECT), sizeof r);
    rects.push_back(Bounds{r.left, r.top, r.right - r.left, r.bottom - r.top});
  }
  return rects;
}

// Two empty host regions, deleted with the fixture.
class RegionPair : public testing::Test {
 protected:
  ~RegionPair() override {
    DeleteObject(transparent_);
    DeleteObject(opaque_);
  }
  HRGN transparent_ = CreateRectRgn(0, 0, 0, 0);
  HRGN opaque_ = CreateRectRgn(0, 0, 0, 0);
};

TEST_F(RegionPair, KeyedPictureRegionsMatchEveryPixel) {
  for (const PatternCase& c : MaskPatterns()) {
    auto bitmap = KeyedPicture(c);
    SetRectRgn(transparent_, 0, 0, 0, 0);
    SetRectRgn(opaque_, 0, 0, 0, 0);
    ASSERT_TRUE(MaskToRegion(transparent_, opaque_, *bitmap)) << c.name;
    ExpectRectanglesCoverExactly(RegionRectangles(opaque_), c.width, c.height, c.set, c.name);
    ExpectRectanglesCoverExactly(RegionRectangles(transparent_), c.width, c.height,
                                 [&](int32_t x, int32_t y) { return !c.set(x, y); }, c.name);
  }
}

TEST_F(RegionPair, AlphaPictureCountsOnlyOpaqueWhiteAsTransparent) {
  auto bitmap = FilledBitmap(4, 2, 84, 0x00000000);
  test_support::SetRawPixel(*bitmap, 3, 1, 0xFFFFFFFF);
  ASSERT_TRUE(MaskToRegion(transparent_, opaque_, *bitmap));
  EXPECT_EQ(RegionRectangles(transparent_), (std::vector<Bounds>{{3, 1, 1, 1}}));
}

TEST_F(RegionPair, OpaquePictureEmptiesTransparentAndFillsOpaque) {
  SetRectRgn(transparent_, 1, 1, 5, 5);
  SetRectRgn(opaque_, 7, 7, 9, 9);
  auto bitmap = FilledBitmap(6, 4, 67, 0xFFFFFF);
  ASSERT_TRUE(MaskToRegion(transparent_, opaque_, *bitmap));
  EXPECT_TRUE(RegionRectangles(transparent_).empty());
  EXPECT_EQ(RegionRectangles(opaque_), (std::vector<Bounds>{{0, 0, 6, 4}}));
}

TEST_F(RegionPair, RegionsAreAddedToNotReplaced) {
  SetRectRgn(opaque_, 10, 0, 12, 1);
  auto bitmap = FilledBitmap(2, 1, 99, 0x000000);
  ASSERT_TRUE(MaskToRegion(transparent_, opaque_, *bitmap));
  RECT box;
  GetRgnBox(opaque_, &box);
  EXPECT_EQ(box.left, 0);
  EXPECT_EQ(box.right, 12);
  EXPECT_FALSE(MaskToRegion(nullptr, opaque_, *bitmap));
}

}  // namespace
