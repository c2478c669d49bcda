// Copy bits: transfer kinds, scaling, alpha rules, clipping, colour keys, 8-bit destinations and refusals.
#include "platform/graphics/copy_bits.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/graphics/pattern_fill.h"
#include "world_fixture.h"

namespace {

// A 2 x 2 source in 8-8-8-8 (alpha, red, green, blue), a 2 x 2 mask over it, and a destination filled with
// grey 100 at alpha 0x10. Every expected pixel below is worked out by hand from the blend rule
// d + w x (s - d) / 256, truncated toward zero.
const std::vector<uint32_t> kSource = {0x80FF0000, 0xFF00FF00, 0x000000FF, 0x40FFFFFF};
const std::vector<uint32_t> kMask = {255, 0, 128, 64};
constexpr uint32_t kDestination = 0x10646464;

struct KindCase {
  const char* name;
  bool hasMode;
  TransferMode mode;
  uint8_t alphaFlag;
  bool withMask;
  PixelFormatCode destinationFormat;
  uint32_t expected[4];
};

const KindCase kKindCases[] = {
    // Kind 0: same format moves stored pixels, alpha included; another format converts with full alpha; the
    // coverage rule writes alpha 255.
    {"copy same format", false, {}, 0, false, 0x8888, {0x80FF0000, 0xFF00FF00, 0x000000FF, 0x40FFFFFF}},
    {"copy converting", false, {}, 0, false, 32, {0x00FF0000, 0x0000FF00, 0x000000FF, 0x00FFFFFF}},
    {"copy coverage", true, {0, {255}}, 1, true, 0x8888, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF}},
    // Kind 1 by mask bytes 255, 0, 128 (weight 129) and 64.
    {"mask kept", false, {}, 0, true, 0x8888, {0x10FF0000, 0x10646464, 0x103232B2, 0x108A8A8A}},
    {"mask full", false, {}, 0, true, 32, {0x00FF0000, 0x00646464, 0x003232B2, 0x008A8A8A}},
    {"mask coverage", false, {}, 1, true, 0x8888, {0xFFFF0000, 0x00646464, 0x803232B2, 0x408A8A8A}},
    // Kind 2 by source alpha 0x80, 0xFF, 0 and 0x40.
    {"alpha full", true, {2, {0}}, 1, false, 0x8888, {0xFFB23232, 0xFF00FF00, 0xFF646464, 0xFF8A8A8A}},
    {"alpha kept", true, {2, {0}}, 0, false, 0x8888, {0x10B23232, 0x1000FF00, 0x10646464, 0x108A8A8A}},
    {"alpha coverage", true, {2, {0}}, 1, true, 0x8888, {0x80B23232, 0xFF00FF00, 0x00646464, 0x408A8A8A}},
    // Kind 3 at level 128.
    {"level full", true, {3, {128}}, 1, false, 0x8888, {0xFFB13232, 0xFF32B132, 0xFF3232B1, 0xFFB1B1B1}},
    {"level kept", true, {3, {128}}, 0, false, 0x8888, {0x10B13232, 0x1032B132, 0x103232B1, 0x10B1B1B1}},
    {"level coverage", true, {3, {128}}, 1, true, 0x8888, {0x80B13232, 0x8032B132, 0x803232B1, 0x80B1B1B1}},
    // Kind 4 at level 128: t = (129 x mask weight) >> 8 = 129, 0, 65, 32.
    {"mask level full", true, {4, {128}}, 0, true, 32, {0x00B23232, 0x00646464, 0x004B4B8B, 0x00777777}},
    {"mask level kept", true, {4, {128}}, 0, true, 0x8888, {0x10B23232, 0x10646464, 0x104B4B8B, 0x10777777}},
    {"mask level coverage", true, {4, {128}}, 1, true, 0x8888, {0x81B23232, 0x00646464, 0x414B4B8B, 0x20777777}},
    // Kind 5: the green pixel matches the key's low 24 bits and is skipped; the rest is drawn with full alpha.
    {"key", true, {5, {0x00, 0xFF, 0x00, 0x00}}, 0, false, 0x8888, {0xFFFF0000, 0x10646464, 0xFF0000FF, 0xFFFFFFFF}},
    {"key coverage",
     true,
     {5, {0x00, 0xFF, 0x00, 0x00}},
     1,
     true,
     0x8888,
     {0xFFFF0000, 0x10646464, 0xFF0000FF, 0xFFFFFFFF}},
};

enum class Scaling { kSame, kStretch, kShrink };

// Each 2 x 2 value repeated as a 2 x 2 block of a 4 x 4 grid.
std::vector<uint32_t> Blocks(const std::vector<uint32_t>& v) {
  std::vector<uint32_t> out(16);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) out[y * 4 + x] = v[(y / 2) * 2 + x / 2];
  }
  return out;
}

TEST(CopyBitsTest, KindScalingAndAlphaRuleTable) {
  for (const KindCase& c : kKindCases) {
    for (Scaling scaling : {Scaling::kSame, Scaling::kStretch, Scaling::kShrink}) {
      const int srcSide = scaling == Scaling::kShrink ? 4 : 2;
      const int dstSide = scaling == Scaling::kStretch ? 4 : 2;
      WorldPtr src = MakeSurface(srcSide, srcSide, 0x8888);
      WorldPtr mask = MakeMask(srcSide, srcSide);
      WorldPtr dst = MakeSurface(dstSide, dstSide, c.destinationFormat);
      SetAllStored(src.get(), srcSide == 4 ? Blocks(kSource) : kSource);
      SetAllStored(mask.get(), srcSide == 4 ? Blocks(kMask) : kMask);
      FillStored(dst.get(), kDestination);
      const PlatformError error =
          PlatformCopyBits(dst.get(), nullptr, c.alphaFlag, src.get(), c.withMask ? mask.get() : nullptr,
                           c.hasMode ? &c.mode : nullptr, nullptr);
      ASSERT_EQ(error, kPlatformNoError) << c.name;
      const std::vector<uint32_t> expected(c.expected, c.expected + 4);
      const std::vector<uint32_t> got = AllStored(dst.get());
      std::vector<uint32_t> want = dstSide == 4 ? Blocks(expected) : expected;
      if (c.destinationFormat == 32) {
        for (uint32_t& v : want) v &= 0xFFFFFF;  // a format without alpha stores no alpha
        std::vector<uint32_t> low = got;
        for (uint32_t& v : low) v &= 0xFFFFFF;
        EXPECT_EQ(low, want) << c.name << " scaling " << static_cast<int>(scaling);
      } else {
        EXPECT_EQ(got, want) << c.name << " scaling " << static_cast<int>(scaling);
      }
    }
  }
}

TEST(CopyBitsTest, LevelBlendRoundsTowardZeroBothWays) {
  struct Case {
    uint32_t source, destination, expected;
  };
  const Case cases[] = {{0xFFFFFF, 0x000000, 0x7F7F7F}, {0x000000, 0xFFFFFF, 0x808080}};
  for (const Case& c : cases) {
    WorldPtr src = MakeSurface(1, 1, 32);
    WorldPtr dst = MakeSurface(1, 1, 32);
    SetStored(src.get(), 0, 0, c.source);
    SetStored(dst.get(), 0, 0, c.destination);
    const TransferMode half{3, {128}};
    ASSERT_EQ(PlatformCopyBits(dst.get(), nullptr, 0, src.get(), nullptr, &half, nullptr), kPlatformNoError);
    EXPECT_EQ(GetStored(dst.get(), 0, 0) & 0xFFFFFF, c.expected);
  }
}

TEST(CopyBitsTest, LevelZeroAndEmptyRectanglesDrawNothing) {
  WorldPtr src = MakeSurface(2, 2, 32);
  WorldPtr dst = MakeSurface(2, 2, 32);
  FillStored(src.get(), 0xFFFFFF);
  const TransferMode none3{3, {0}}, none4{4, {0}};
  const Rect empty{1, 1, 1, 2}, inverted{2, 0, 0, 2};
  EXPECT_EQ(PlatformCopyBits(dst.get(), nullptr, 0, src.get(), nullptr, &none3, nullptr), kPlatformNoError);
  EXPECT_EQ(PlatformCopyBits(dst.get(), nullptr, 0, src.get(), nullptr, &none4, nullptr), kPlatformNoError);
  EXPECT_EQ(PlatformCopyBits(dst.get(), &empty, 0, src.get(), nullptr, nullptr, nullptr), kPlatformNoError);
  EXPECT_EQ(PlatformCopyBits(dst.get(), nullptr, 0, src.get(), nullptr, nullptr, &inverted), kPlatformNoError);
  for (uint32_t v : AllStored(dst.get())) EXPECT_EQ(v, 0u);
}

TEST(CopyBitsTest, RefusesUnsafeMasksAndUnknownKinds) {
  WorldPtr src = MakeSurface(4, 4, 32);
  WorldPtr dst = MakeSurface(4, 4, 32);
  WorldPtr smallMask = MakeMask(4, 3);
  WorldPtr notAMask = MakeSurface(4, 4, 8);  // standard palette: not a mask map
  WorldPtr deepMask = MakeSurface(4, 4, 32);
  const TransferMode byMask{1, {255}}, byMaskLevel{4, {100}}, unknown{6, {0}}, negative{-1, {0}};
  EXPECT_EQ(PlatformCopyBits(dst.get(), nullptr, 0, src.get(), nullptr, &byMask, nullptr), kPlatformErrBadData);
  EXPECT_EQ(PlatformCopyBits(dst.get(), nullptr, 0, src.get(), nullptr, &byMaskLevel, nullptr), kPlatformErrBadData);
  EXPECT_EQ(PlatformCopyBits(dst.get(), nullptr, 0, src.get(), smallMask.get(), nullptr, nullptr), kPlatformErrBadData);
  EXPECT_EQ(PlatformCopyBits(dst.get(), nullptr, 0, src.get(), notAMask.get(), nullptr, nullptr), kPlatformErrBadData);
  EXPECT_EQ(PlatformCopyBits(dst.get(), nullptr, 0, src.get(), deepMask.get(), nullptr, nullptr), kPlatformErrBadData);
  EXPECT_EQ(PlatformCopyBits(dst.get(), nullptr, 0, src.get(), nullptr, &unknown, nullptr), kPlatformErrUndefinedKind);
  EXPECT_EQ(PlatformCopyBits(dst.get(), nullptr, 0, src.get(), nullptr, &negative, nullptr), kPlatformErrUndefinedKind);
  EXPECT_EQ(PlatformCopyBits(dst.get(), nullptr, 0, nullptr, nullptr, nullptr, nullptr), kPlatformErrBadData);
  // Nothing stays locked after a refusal.
  BlitParams p;
  EXPECT_FALSE(PlatformWorld::GetBlitParams(src.get(), nullptr, &p));
  EXPECT_FALSE(PlatformWorld::GetBlitParams(dst.get(), nullptr, &p));
}

// Unscaled copies clipped on each edge of the source and of the destination, against the pixel-by-pixel rule:
// destination pixel (x, y) of the destination rect takes source pixel (x - A.left + B.left, y - A.top + B.top)
// when both lie inside their bounds, and is untouched otherwise.
TEST(CopyBitsTest, ClippingOnEachEdgeMatchesPixelRule) {
  const Rect sourceBounds{10, 20, 14, 24};
  const Rect destinationBounds{-2, -3, 3, 2};
  struct Case {
    Rect a, b;
  };
  const Case cases[] = {
      {{-2, -3, 2, 1}, {9, 20, 13, 24}},    // source left edge
      {{-2, -3, 2, 1}, {11, 20, 15, 24}},   // source right edge
      {{-2, -3, 2, 1}, {10, 18, 14, 22}},   // source top edge
      {{-2, -3, 2, 1}, {10, 22, 14, 26}},   // source bottom edge
      {{-4, -3, 0, 1}, {10, 20, 14, 24}},   // destination left edge
      {{1, -3, 5, 1}, {10, 20, 14, 24}},    // destination right edge
      {{-2, -5, 2, -1}, {10, 20, 14, 24}},  // destination top edge
      {{-2, 0, 2, 4}, {10, 20, 14, 24}},    // destination bottom edge
      {{-9, -9, 9, 9}, {1, 11, 19, 29}},    // every edge at once
      {{-2, -3, 2, 1}, {30, 30, 34, 34}},   // no overlap with the source at all
  };
  for (const Case& c : cases) {
    WorldPtr src = MakeSurface(sourceBounds, 32);
    WorldPtr dst = MakeSurface(destinationBounds, 32);
    std::vector<uint32_t> values;
    for (uint32_t i = 0; i < 16; ++i) values.push_back(0x010000u * (i + 1));
    SetAllStored(src.get(), values);
    FillStored(dst.get(), 0xEE);
    ASSERT_EQ(PlatformCopyBits(dst.get(), &c.a, 0, src.get(), nullptr, nullptr, &c.b), kPlatformNoError);
    for (int32_t y = destinationBounds.top; y < destinationBounds.bottom; ++y) {
      for (int32_t x = destinationBounds.left; x < destinationBounds.right; ++x) {
        const int32_t sx = x - c.a.left + c.b.left;
        const int32_t sy = y - c.a.top + c.b.top;
        const Point dp{x, y}, sp{sx, sy};
        uint32_t want = 0xEE;
        if (Rect::ContainsPoint(&dp, &c.a) && Rect::ContainsPoint(&sp, &sourceBounds)) {
          want = values[(sy - sourceBounds.top) * 4 + (sx - sourceBounds.left)];
        }
        EXPECT_EQ(GetStored(dst.get(), x - destinationBounds.left, y - destinationBounds.top), want)
            << "case a=" << c.a.left << "," << c.a.top << " b=" << c.b.left << "," << c.b.top << " at " << x << ","
            << y;
      }
    }
  }
}

// A scaled copy with the rectangles hanging over every edge in many sizes never reads outside the source (the
// sanitizers would stop the test) and never writes outside the destination rect.
TEST(CopyBitsTest, ScaledClippingStaysInsideBothWorlds) {
  uint32_t seed = 12345;
  auto next = [&seed](int32_t range) {
    seed = seed * 1103515245u + 12345u;
    return static_cast<int32_t>((seed >> 16) % static_cast<uint32_t>(range));
  };
  WorldPtr src = MakeSurface(Rect{3, 3, 8, 9}, 24);
  WorldPtr mask = MakeMask(5, 6);
  WorldPtr dst = MakeSurface(Rect{0, 0, 7, 5}, 16);
  for (int i = 0; i < 300; ++i) {
    Rect a{next(12) - 4, next(12) - 4, 0, 0};
    a.right = a.left + 1 + next(14);
    a.bottom = a.top + 1 + next(14);
    Rect b{next(12) - 1, next(12) - 1, 0, 0};
    b.right = b.left + 1 + next(13);
    b.bottom = b.top + 1 + next(13);
    FillStored(dst.get(), 0x1234);
    const TransferMode byMask{1, {0}};
    ASSERT_EQ(PlatformCopyBits(dst.get(), &a, 0, src.get(), mask.get(), i % 2 ? &byMask : nullptr, &b),
              kPlatformNoError);
    for (int32_t y = 0; y < 5; ++y) {
      for (int32_t x = 0; x < 7; ++x) {
        const Point p{x, y};
        if (!Rect::ContainsPoint(&p, &a)) {
          ASSERT_EQ(GetStored(dst.get(), x, y), 0x1234u) << i;
        }
      }
    }
  }
}

TEST(CopyBitsTest, StretchingRepeatsColumnsAndRowsEvenly) {
  WorldPtr src = MakeSurface(3, 2, 32);
  SetAllStored(src.get(), {1, 2, 3, 4, 5, 6});
  WorldPtr dst = MakeSurface(6, 2, 32);
  ASSERT_EQ(PlatformCopyBits(dst.get(), nullptr, 0, src.get(), nullptr, nullptr, nullptr), kPlatformNoError);
  EXPECT_EQ(AllStored(dst.get()), (std::vector<uint32_t>{1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6}));
}

TEST(CopyBitsTest, SourceHangingOverTheLeftEdgeStartsFurtherRight) {
  WorldPtr src = MakeSurface(20, 1, 32);
  WorldPtr dst = MakeSurface(20, 1, 32);
  FillStored(src.get(), 7);
  const Rect b{-10, 0, 10, 1};
  ASSERT_EQ(PlatformCopyBits(dst.get(), nullptr, 0, src.get(), nullptr, nullptr, &b), kPlatformNoError);
  EXPECT_EQ(GetStored(dst.get(), 9, 0), 0u);
  EXPECT_EQ(GetStored(dst.get(), 10, 0), 7u);
  EXPECT_EQ(GetStored(dst.get(), 19, 0), 7u);
}

Palette SmallPalette() {
  Palette p{};
  p.count = 6;
  p.entries[0] = {255, 0, 0, 0};
  p.entries[1] = {255, 255, 0, 0};
  p.entries[2] = {0, 0, 255, 0};  // transparent entry
  p.entries[3] = {255, 0, 0, 255};
  p.entries[4] = {255, 255, 255, 255};
  p.entries[5] = {255, 10, 20, 30};
  return p;
}

TEST(CopyBitsTest, EightBitSourcesAndDestinations) {
  const Palette palette = SmallPalette();
  // Into an 8-bit destination: direct colours go through the destination's inverse table.
  WorldPtr direct = MakeSurface(3, 1, 32);
  SetAllStored(direct.get(), {0xFF0000, 0x0000FF, 0xF0F0F0});
  WorldPtr indexed = MakeSurface(3, 1, 8, &palette);
  ASSERT_EQ(PlatformCopyBits(indexed.get(), nullptr, 0, direct.get(), nullptr, nullptr, nullptr), kPlatformNoError);
  EXPECT_EQ(AllStored(indexed.get()), (std::vector<uint32_t>{1, 3, 4}));

  // Red through the standard palette lands on the cube's pure red at index 35 (inverse index 0xF00).
  WorldPtr standard = MakeSurface(1, 1, 8);
  ASSERT_EQ(PlatformCopyBits(standard.get(), nullptr, 0, direct.get(), nullptr, nullptr, nullptr), kPlatformNoError);
  EXPECT_EQ(GetStored(standard.get(), 0, 0), 35u);

  // From an 8-bit source by source alpha: opaque entries are drawn, the transparent entry is skipped.
  WorldPtr src = MakeSurface(3, 1, 8, &palette);
  SetAllStored(src.get(), {1, 2, 5});
  WorldPtr dst = MakeSurface(3, 1, 32);
  FillStored(dst.get(), 0x777777);
  const TransferMode byAlpha{2, {0}};
  ASSERT_EQ(PlatformCopyBits(dst.get(), nullptr, 0, src.get(), nullptr, &byAlpha, nullptr), kPlatformNoError);
  EXPECT_EQ(AllStored(dst.get()), (std::vector<uint32_t>{0xFF0000, 0x777777, 0x0A141E}));

  // Colour key on an 8-bit source compares indexes: index 5 is not drawn.
  FillStored(dst.get(), 0x777777);
  const TransferMode key{5, {5, 0, 0, 0}};
  ASSERT_EQ(PlatformCopyBits(dst.get(), nullptr, 0, src.get(), nullptr, &key, nullptr), kPlatformNoError);
  EXPECT_EQ(AllStored(dst.get()), (std::vector<uint32_t>{0xFF0000, 0x00FF00, 0x777777}));
}

TEST(CopyBitsTest, LayoutsOfEqualWidthsConvertRatherThanMoveBytes) {
  WorldPtr redFirst = MakeSurface(1, 1, 0x80008888);
  SetStored(redFirst.get(), 0, 0, 0xFF0000FF);  // red in the lowest byte
  WorldPtr packed = MakeSurface(1, 1, 0x8888);
  ASSERT_EQ(PlatformCopyBits(packed.get(), nullptr, 0, redFirst.get(), nullptr, nullptr, nullptr), kPlatformNoError);
  EXPECT_EQ(GetStored(packed.get(), 0, 0) & 0xFFFFFF, 0xFF0000u);
  WorldPtr alphaLow = MakeSurface(1, 1, 0x80004444);
  SetStored(alphaLow.get(), 0, 0, 0xF00F);  // red 15, alpha 15
  WorldPtr alphaHigh = MakeSurface(1, 1, 0x4444);
  ASSERT_EQ(PlatformCopyBits(alphaHigh.get(), nullptr, 0, alphaLow.get(), nullptr, nullptr, nullptr), kPlatformNoError);
  EXPECT_EQ(GetStored(alphaHigh.get(), 0, 0) & 0x0FFF, 0x0F00u);
}

TEST(CopyBitsTest, ChannelWideningAndSourcesWithoutAlpha) {
  // 5-6-5 white widens to 255 in every channel.
  WorldPtr src = MakeSurface(1, 1, 0x565);
  SetStored(src.get(), 0, 0, 0xFFFF);
  WorldPtr dst = MakeSurface(1, 1, 32);
  ASSERT_EQ(PlatformCopyBits(dst.get(), nullptr, 0, src.get(), nullptr, nullptr, nullptr), kPlatformNoError);
  EXPECT_EQ(GetStored(dst.get(), 0, 0), 0xFFFFFFu);
  // 32 bits into 5-6-5 keeps the top 5, 6 and 5 bits.
  WorldPtr wide = MakeSurface(1, 1, 32);
  SetStored(wide.get(), 0, 0, 0x8CFF13);
  WorldPtr narrow = MakeSurface(1, 1, 16);
  ASSERT_EQ(PlatformCopyBits(narrow.get(), nullptr, 0, wide.get(), nullptr, nullptr, nullptr), kPlatformNoError);
  EXPECT_EQ(GetStored(narrow.get(), 0, 0), (0x8Cu >> 3) << 11 | (0xFFu >> 2) << 5 | (0x13u >> 3));
  // Blending by the alpha of a 24-bit source (no alpha bits) leaves the destination as it was.
  WorldPtr rgb = MakeSurface(1, 1, 24);
  SetStored(rgb.get(), 0, 0, 0xFFFFFF);
  SetStored(dst.get(), 0, 0, 0x123456);
  const TransferMode byAlpha{2, {0}};
  ASSERT_EQ(PlatformCopyBits(dst.get(), nullptr, 0, rgb.get(), nullptr, &byAlpha, nullptr), kPlatformNoError);
  EXPECT_EQ(GetStored(dst.get(), 0, 0) & 0xFFFFFF, 0x123456u);
}

}  // namespace

namespace {

// Every pair of formats under every kind, stepping and alpha rule, with rectangles hanging over the edges: the
// sanitizers stop the test on any read or write outside a world.
TEST(CopyBitsTest, EveryFormatPairAndKindStaysInBounds) {
  const PixelFormatCode formats[] = {8, 15, 16, 24, 32, 0x1555, 0x4444, 0x888, 0x8888, 0x80004444, 0x80008888};
  const TransferMode modes[] = {{0, {255}}, {1, {0}}, {2, {0}}, {3, {77}}, {4, {200}}, {5, {1, 2, 3, 0}}};
  uint32_t seed = 99;
  auto next = [&seed](int32_t range) {
    seed = seed * 1103515245u + 12345u;
    return static_cast<int32_t>((seed >> 16) % static_cast<uint32_t>(range));
  };
  for (PixelFormatCode from : formats) {
    WorldPtr src = MakeSurface(Rect{1, 2, 6, 5}, from);
    WorldPtr mask = MakeMask(5, 3);
    FillStored(src.get(), 0x5A5A5A5A & ((from == 8) ? 0xFF : 0xFFFFFFFF));
    for (PixelFormatCode to : formats) {
      WorldPtr dst = MakeSurface(Rect{-3, 0, 4, 6}, to);
      for (const TransferMode& mode : modes) {
        for (uint8_t flag : {0, 1}) {
          Rect a{next(9) - 5, next(8) - 2, 0, 0};
          a.right = a.left + 1 + next(10);
          a.bottom = a.top + 1 + next(9);
          Rect b{next(7), next(6), 0, 0};
          b.right = b.left + 1 + next(7);
          b.bottom = b.top + 1 + next(5);
          ASSERT_EQ(PlatformCopyBits(dst.get(), &a, flag, src.get(), mask.get(), &mode, &b), kPlatformNoError);
          const Point phase{next(20) - 10, next(20) - 10};
          ASSERT_EQ(PlatformPatternFill(dst.get(), &a, &phase, flag, src.get(), mask.get(), &mode), kPlatformNoError);
        }
      }
    }
  }
}

}  // namespace
