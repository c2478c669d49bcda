// Pixel-format codes, format keys and the inverse colour table.
#include "platform/graphics/pixel_format.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct FormatCase {
  PixelFormatCode code;
  int32_t bytes;
  uint8_t bits[4];
  uint8_t shifts[4];
};

TEST(PixelFormatTest, TableOfCodes) {
  const FormatCase cases[] = {
      {8, 1, {8, 8, 8, 8}, {0, 8, 16, 24}},          {15, 2, {0, 5, 5, 5}, {15, 10, 5, 0}},
      {16, 2, {0, 5, 6, 5}, {16, 11, 5, 0}},         {24, 3, {0, 8, 8, 8}, {24, 16, 8, 0}},
      {32, 4, {0, 8, 8, 8}, {24, 16, 8, 0}},         {0x555, 2, {0, 5, 5, 5}, {15, 10, 5, 0}},
      {0x565, 2, {0, 5, 6, 5}, {16, 11, 5, 0}},      {0x1555, 2, {1, 5, 5, 5}, {15, 10, 5, 0}},
      {0x4444, 2, {4, 4, 4, 4}, {12, 8, 4, 0}},      {0x888, 3, {0, 8, 8, 8}, {24, 16, 8, 0}},
      {0x8888, 4, {8, 8, 8, 8}, {24, 16, 8, 0}},     {0x80004444, 2, {4, 4, 4, 4}, {0, 12, 8, 4}},
      {0x80008888, 4, {8, 8, 8, 8}, {24, 0, 8, 16}},
  };
  for (const FormatCase& c : cases) {
    uint8_t depth = 9, bits[4], shifts[4], masks[4];
    uint16_t scales[4];
    EXPECT_EQ(PlatformPixelFormat(c.code, &depth, bits, shifts, masks, scales), c.bytes) << std::hex << c.code;
    EXPECT_EQ(depth, 0);
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(bits[i], c.bits[i]) << std::hex << c.code << " channel " << i;
      EXPECT_EQ(shifts[i], c.shifts[i]) << std::hex << c.code << " channel " << i;
      EXPECT_EQ(masks[i], (1u << c.bits[i]) - 1u);
      EXPECT_EQ(scales[i], ChannelScale(c.bits[i]));
    }
  }
}

TEST(PixelFormatTest, UnknownCodesAreRefused) {
  for (PixelFormatCode code : {0u, 1u, 17u, 0x666u, 0x80000888u, 0xFFFFFFFFu}) {
    PixelChannels channels;
    EXPECT_EQ(PlatformPixelFormat(code, &channels), -1) << std::hex << code;
    EXPECT_EQ(channels.bits[kChannelRed], 0);
  }
}

TEST(PixelFormatTest, ScaleTableWidensToFullRange) {
  const uint16_t expected[] = {0, 65535, 21845, 9362, 4369, 2114, 1040, 516, 257};
  for (uint32_t n = 0; n <= 8; ++n) {
    EXPECT_EQ(ChannelScale(n), expected[n]);
    if (n > 0) {
      EXPECT_EQ((((1u << n) - 1u) * ChannelScale(n)) >> 8, 255u) << n;  // the maximum becomes 255
    }
  }
}

TEST(PixelFormatTest, KeysShareLayoutsButNotPalettes) {
  PixelChannels a, b;
  PlatformPixelFormat(0x565, &a);
  PlatformPixelFormat(16, &b);
  EXPECT_EQ(DirectFormatKey(a), DirectFormatKey(b));
  EXPECT_EQ(DirectFormatKey(a), 0x565u);
  PlatformPixelFormat(15, &a);
  PlatformPixelFormat(0x555, &b);
  EXPECT_EQ(DirectFormatKey(a), DirectFormatKey(b));
  PlatformPixelFormat(32, &a);
  EXPECT_EQ(DirectFormatKey(a), 0x888u);
  // Equal widths in another order are another layout.
  PlatformPixelFormat(0x8888, &a);
  PlatformPixelFormat(0x80008888, &b);
  EXPECT_NE(DirectFormatKey(a), DirectFormatKey(b));
  PlatformPixelFormat(0x4444, &a);
  PlatformPixelFormat(0x80004444, &b);
  EXPECT_NE(DirectFormatKey(a), DirectFormatKey(b));
  const uint32_t first = NextIndexedFormatKey();
  const uint32_t second = NextIndexedFormatKey();
  EXPECT_NE(first, second);
  EXPECT_GE(first, kFirstIndexedFormatKey);
  EXPECT_NE(first, kMaskFormatKey);
}

Palette MakePalette(std::vector<ColorRecord> entries) {
  Palette p{};
  p.count = static_cast<int32_t>(entries.size());
  for (size_t i = 0; i < entries.size(); ++i) p.entries[i] = entries[i];
  return p;
}

TEST(InverseTableTest, NearestEntryWithTiesToTheLowerIndex) {
  std::vector<uint8_t> table(kInverseTableSize, 0xEE);
  const Palette black = MakePalette({{255, 0, 0, 0}});
  PlatformBuildInverseTable(table.data(), &black);
  for (uint8_t v : table) ASSERT_EQ(v, 0);

  const Palette whites = MakePalette({{255, 255, 255, 255}, {255, 255, 255, 255}});
  PlatformBuildInverseTable(table.data(), &whites);
  EXPECT_EQ(table[InverseTableIndex(255, 255, 255)], 0);

  // Grey 0x88 (level 8 = 136) lies 8 from 128 and 8 from 144: the tie keeps index 1 over index 2.
  const Palette greys = MakePalette({{255, 0, 0, 0}, {255, 128, 128, 128}, {255, 144, 144, 144}});
  PlatformBuildInverseTable(table.data(), &greys);
  EXPECT_EQ(table[InverseTableIndex(0x88, 0x88, 0x88)], 1);
  EXPECT_EQ(table[InverseTableIndex(0x99, 0x99, 0x99)], 2);

  const Palette primaries = MakePalette({{255, 0, 0, 0}, {255, 0, 0, 255}, {255, 0, 255, 0}, {255, 255, 0, 0}});
  PlatformBuildInverseTable(table.data(), &primaries);
  EXPECT_EQ(InverseTableIndex(255, 0, 0), 0xF00u);
  EXPECT_EQ(table[0xF00], 3);
  EXPECT_EQ(table[0x0F0], 2);
  EXPECT_EQ(table[0x00F], 1);
  for (int i = 0; i < 4096; ++i) ASSERT_EQ(table[i], table[i + 4096]);  // bit 12 plays no part
}

TEST(InverseTableTest, EmptyPaletteGivesZeros) {
  std::vector<uint8_t> table(kInverseTableSize, 0xEE);
  Palette empty{};
  PlatformBuildInverseTable(table.data(), &empty);
  for (uint8_t v : table) ASSERT_EQ(v, 0);
}

}  // namespace
