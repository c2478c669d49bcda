// GIF import: LZW round trips, interlace order, the transparency rule, placement and hostile files.
#include "platform/graphics/gif_import.h"

#include <gtest/gtest.h>

#include "tests/support/image_fixtures.h"

namespace {

const std::vector<uint32_t> kFourColors{0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};

GifSpec Small(uint16_t width, uint16_t height, Bytes pixels) {
  GifSpec fileSpec;
  fileSpec.width = width;
  fileSpec.height = height;
  fileSpec.globalColors = kFourColors;
  fileSpec.minimumCodeSize = 2;
  fileSpec.pixels = std::move(pixels);
  return fileSpec;
}

Bytes ImagePixels(const DecodedImage& image) {
  Bytes out;
  for (int32_t y = 0; y < image.Height(); ++y) {
    out.insert(out.end(), image.Row(y), image.Row(y) + image.Width());
  }
  return out;
}

TEST(GifImport, DecodesPixelsPaletteAndInfo) {
  const Bytes pixels{0, 1, 2, 3, 3, 3, 3, 3, 1, 1, 0, 0};
  DecodedImage image;
  ImageInfo info;
  ASSERT_EQ(DecodeBytes(BuildGif(Small(4, 3, pixels)), &image, nullptr, &info), kPlatformNoError);
  EXPECT_EQ(image.formatCode, kImageFormatIndexed);
  EXPECT_EQ(ImagePixels(image), pixels);
  ASSERT_EQ(image.palette.size(), 4u);
  EXPECT_EQ(image.palette[1].green, 0xFF);
  EXPECT_EQ(image.palette[1].red, 0);
  EXPECT_EQ(info.type, kImageTypeGif);
  EXPECT_EQ(info.interlaced, 0);
}

TEST(GifImport, LongImagesRoundTripWhetherOrNotTheEncoderClearsAFullTable) {
  // Enough varied pixels that the code table fills and codes reach 12 bits.
  const uint16_t width = 160;
  const uint16_t height = 120;
  Bytes pixels(size_t{width} * height);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>((i * 7919u) % 251u ^ (i >> 5));
  for (bool clearWhenFull : {true, false}) {
    GifSpec fileSpec = Small(width, height, pixels);
    fileSpec.globalColors.assign(256, 0x123456);
    fileSpec.minimumCodeSize = 8;
    fileSpec.clearWhenFull = clearWhenFull;
    DecodedImage image;
    ASSERT_EQ(DecodeBytes(BuildGif(fileSpec), &image), kPlatformNoError) << clearWhenFull;
    EXPECT_EQ(ImagePixels(image), pixels) << clearWhenFull;
  }
}

TEST(GifImport, InterlacedRowsGoToTheirPasses) {
  // Stored in pass order, each row holding its own row number.
  const int32_t passOrder[] = {0, 8, 4, 2, 6, 1, 3, 5, 7, 9};
  Bytes stored;
  for (int32_t row : passOrder) stored.insert(stored.end(), 2, static_cast<uint8_t>(row));
  GifSpec fileSpec = Small(2, 10, stored);
  fileSpec.globalColors.assign(16, 0);
  fileSpec.minimumCodeSize = 4;
  fileSpec.interlaced = true;
  DecodedImage image;
  ImageInfo info;
  ASSERT_EQ(DecodeBytes(BuildGif(fileSpec), &image, nullptr, &info), kPlatformNoError);
  for (int32_t y = 0; y < 10; ++y) EXPECT_EQ(image.Row(y)[0], y) << y;
  EXPECT_EQ(info.interlaced, 1);
}

TEST(GifImport, InterlacedImageOfTwoRowsWritesTheSecondInTheLastPass) {
  GifSpec fileSpec = Small(1, 2, {1, 2});
  fileSpec.interlaced = true;
  DecodedImage image;
  ASSERT_EQ(DecodeBytes(BuildGif(fileSpec), &image), kPlatformNoError);
  EXPECT_EQ(ImagePixels(image), (Bytes{1, 2}));
}

TEST(GifImport, ImagePositionGivesTheBounds) {
  GifSpec fileSpec = Small(2, 1, {0, 1});
  fileSpec.left = 10;
  fileSpec.top = 20;
  DecodedImage image;
  ASSERT_EQ(DecodeBytes(BuildGif(fileSpec), &image), kPlatformNoError);
  EXPECT_EQ(image.bounds.left, 10);
  EXPECT_EQ(image.bounds.top, 20);
  EXPECT_EQ(image.bounds.right, 12);
  EXPECT_EQ(image.bounds.bottom, 21);
}

struct TransparencyCase {
  const char* name;
  std::string signature;
  bool globalTable;
  int extensionIndex;  // -1: no graphic control extension
  int expectedKey;     // -1: the default transfer mode
};

TEST(GifImport, TransparencyRule) {
  const TransparencyCase cases[] = {
      // A GIF89a file with a global table keeps its background colour out even without an extension.
      {"89a global table, no extension", "GIF89a", true, -1, 2},
      {"87a global table, no extension", "GIF87a", true, -1, -1},
      {"89a extension", "GIF89a", true, 3, 3},
      {"89a local table only, no extension", "GIF89a", false, -1, -1},
      {"89a local table only, extension", "GIF89a", false, 1, 1},
  };
  for (const TransparencyCase& c : cases) {
    GifSpec fileSpec = Small(2, 1, {0, 1});
    fileSpec.signature = c.signature;
    fileSpec.backgroundIndex = 2;
    fileSpec.transparentIndex = c.extensionIndex;
    if (!c.globalTable) {
      fileSpec.localColors = fileSpec.globalColors;
      fileSpec.globalColors.clear();
    }
    DecodedImage image;
    TransferMode mode;
    ASSERT_EQ(DecodeBytes(BuildGif(fileSpec), &image, &mode, nullptr), kPlatformNoError) << c.name;
    for (size_t i = 0; i < image.palette.size(); ++i) {
      EXPECT_EQ(image.palette[i].flag, static_cast<int>(i) == c.expectedKey ? 0 : 255) << c.name << " entry " << i;
    }
    if (c.expectedKey < 0) {
      EXPECT_EQ(mode.kind, kTransferCopy) << c.name;
      EXPECT_EQ(mode.value[0], 255) << c.name;
    } else {
      EXPECT_EQ(mode.kind, kTransferColorKey) << c.name;
      EXPECT_EQ(mode.value[0], c.expectedKey) << c.name;
    }
  }
}

TEST(GifImport, OnlyTheFirstImageIsRead) {
  Bytes file = BuildGif(Small(2, 1, {3, 2}));
  file.pop_back();  // the trailer
  const Bytes junk{0x2C, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x80, 0xEE};
  file.insert(file.end(), junk.begin(), junk.end());
  DecodedImage image;
  ASSERT_EQ(DecodeBytes(file, &image), kPlatformNoError);
  EXPECT_EQ(ImagePixels(image), (Bytes{3, 2}));
}

struct HostileCase {
  const char* name;
  Bytes bytes;
  PlatformError error;
};

// The image descriptor starts right behind the 6-byte signature, 7-byte screen and 12-byte global table.
constexpr size_t kDescriptor = 6 + 7 + 12;

Bytes Patched(Bytes bytes, size_t offset, std::initializer_list<uint8_t> values) {
  for (uint8_t v : values) bytes[offset++] = v;
  return bytes;
}

TEST(GifImport, EmptySubBlockEndsTheDataWithoutAnEndCode) {
  const Bytes good = BuildGif(Small(4, 1, {0, 0, 0, 0}));
  Bytes file(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(kDescriptor + 10));
  // Codes clear, 1, 2, 3 at three bits and 0 at four, filling two bytes exactly; then the empty sub-block.
  const Bytes data{2, 2, 0x8C, 0x06, 0, 0x3B};
  file.insert(file.end(), data.begin(), data.end());
  DecodedImage image;
  ASSERT_EQ(DecodeBytes(file, &image), kPlatformNoError);
  EXPECT_EQ(ImagePixels(image), (Bytes{1, 2, 3, 0}));
}

TEST(GifImport, HostileFilesGiveErrors) {
  const Bytes good = BuildGif(Small(2, 2, {0, 1, 2, 3}));
  ASSERT_EQ(good[kDescriptor], 0x2C);
  const size_t codeSize = kDescriptor + 10;
  GifSpec noTable = Small(1, 1, {0});
  noTable.globalColors.clear();
  Bytes badCode(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(codeSize));
  const Bytes badData{2, 2, 0xCC, 0x0B, 0, 0x3B};  // clear, 1, then 7 where 6 is the next free code
  badCode.insert(badCode.end(), badData.begin(), badData.end());
  Bytes cutShort = good;
  cutShort.resize(codeSize + 3);
  const HostileCase cases[] = {
      {"zero width", Patched(good, kDescriptor + 5, {0, 0}), kPlatformErrImageData},
      {"zero height", Patched(good, kDescriptor + 7, {0, 0}), kPlatformErrImageData},
      {"image beyond the pixel ceiling", Patched(good, kDescriptor + 5, {0xFF, 0xFF, 0xFF, 0xFF}),
       kPlatformErrImageData},
      {"minimum code size 1", Patched(good, codeSize, {1}), kPlatformErrNotAnImage},
      {"minimum code size 10", Patched(good, codeSize, {10}), kPlatformErrNotAnImage},
      {"no colour table", BuildGif(noTable), kPlatformErrNotAnImage},
      {"code beyond the next free code", badCode, kPlatformErrNotAnImage},
      {"more pixels than the image", BuildGif(Small(1, 1, {1, 2})), kPlatformErrImageData},
      {"cut short inside the image data", cutShort, kPlatformErrImageData},
      {"cut short in the screen descriptor", Bytes(good.begin(), good.begin() + 16), kPlatformErrImageData},
  };
  for (const HostileCase& c : cases) {
    DecodedImage image;
    EXPECT_EQ(DecodeBytes(c.bytes, &image), c.error) << c.name;
  }
}

}  // namespace
