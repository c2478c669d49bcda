// PNG import: files written at test time by libpng, decoded back: grey tables, palettes with transparency,
// colour with and without alpha, 16-bit samples, interlace, background, gamma, aspect and offset.
#include "platform/graphics/png_import.h"

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include "tests/support/image_fixtures.h"

namespace {

PngSpec Png(uint32_t width, uint32_t height, int colorType, int bitDepth, std::vector<Bytes> rows) {
  PngSpec fileSpec;
  fileSpec.width = width;
  fileSpec.height = height;
  fileSpec.colorType = colorType;
  fileSpec.bitDepth = bitDepth;
  fileSpec.rows = std::move(rows);
  return fileSpec;
}

std::vector<uint32_t> Pixels(const DecodedImage& image) {
  std::vector<uint32_t> out;
  for (int32_t y = 0; y < image.Height(); ++y) {
    for (int32_t x = 0; x < image.Width(); ++x) out.push_back(PixelAt(image, x, y));
  }
  return out;
}

std::vector<int> GreyLevels(const DecodedImage& image) {
  std::vector<int> out;
  for (const ColorRecord& c : image.palette) {
    EXPECT_EQ(c.red, c.green);
    EXPECT_EQ(c.red, c.blue);
    out.push_back(c.red);
  }
  return out;
}

TEST(PngImport, GreyImagesBecomeIndexedWithAGreyTable) {
  DecodedImage oneBit;
  ASSERT_EQ(DecodeBytes(EncodePng(Png(3, 1, PNG_COLOR_TYPE_GRAY, 1, {{0xA0}})), &oneBit), kPlatformNoError);
  EXPECT_EQ(oneBit.formatCode, kImageFormatIndexed);
  EXPECT_EQ(GreyLevels(oneBit), (std::vector<int>{0, 255}));
  EXPECT_EQ(Pixels(oneBit), (std::vector<uint32_t>{1, 0, 1}));

  DecodedImage fourBit;
  ASSERT_EQ(DecodeBytes(EncodePng(Png(2, 1, PNG_COLOR_TYPE_GRAY, 4, {{0x3F}})), &fourBit), kPlatformNoError);
  std::vector<int> levels;
  for (int i = 0; i < 16; ++i) levels.push_back(i * 17);
  EXPECT_EQ(GreyLevels(fourBit), levels);
  EXPECT_EQ(Pixels(fourBit), (std::vector<uint32_t>{3, 15}));

  DecodedImage sixteenBit;
  ASSERT_EQ(DecodeBytes(EncodePng(Png(2, 1, PNG_COLOR_TYPE_GRAY, 16, {{0x12, 0x34, 0xFE, 0x00}})), &sixteenBit),
            kPlatformNoError);
  EXPECT_EQ(GreyLevels(sixteenBit).size(), 256u);
  EXPECT_EQ(Pixels(sixteenBit), (std::vector<uint32_t>{0x12, 0xFE}));
  EXPECT_FALSE(sixteenBit.hasTransparency);
}

TEST(PngImport, PaletteWithTransparencyValuesPutsThemInThePaletteFlags) {
  PngSpec fileSpec = Png(4, 1, PNG_COLOR_TYPE_PALETTE, 2, {{0x1B}});
  fileSpec.palette = {0xFF0000, 0x00FF00, 0x0000FF, 0x808080};
  fileSpec.transparency = {0, 128};
  DecodedImage image;
  ASSERT_EQ(DecodeBytes(EncodePng(fileSpec), &image), kPlatformNoError);
  EXPECT_EQ(image.formatCode, kImageFormatIndexed);
  EXPECT_EQ(Pixels(image), (std::vector<uint32_t>{0, 1, 2, 3}));
  ASSERT_EQ(image.palette.size(), 4u);
  EXPECT_EQ(image.palette[0].flag, 0);
  EXPECT_EQ(image.palette[1].flag, 128);
  EXPECT_EQ(image.palette[2].flag, 255);
  EXPECT_EQ(image.palette[2].blue, 255);
  EXPECT_TRUE(image.hasTransparency);

  fileSpec.transparency.clear();
  DecodedImage opaque;
  ASSERT_EQ(DecodeBytes(EncodePng(fileSpec), &opaque), kPlatformNoError);
  EXPECT_FALSE(opaque.hasTransparency);
}

TEST(PngImport, ShortPaletteIsFilledWithBlackToTheDepth) {
  PngSpec fileSpec = Png(1, 1, PNG_COLOR_TYPE_PALETTE, 4, {{0x10}});
  fileSpec.palette = {0x102030, 0x405060};
  DecodedImage image;
  ASSERT_EQ(DecodeBytes(EncodePng(fileSpec), &image), kPlatformNoError);
  ASSERT_EQ(image.palette.size(), 16u);
  EXPECT_EQ(image.palette[1].red, 0x40);
  EXPECT_EQ(image.palette[9].flag, 255);
  EXPECT_EQ(image.palette[9].red | image.palette[9].green | image.palette[9].blue, 0);
}

struct ColourCase {
  const char* name;
  PngSpec fileSpec;
  std::vector<uint32_t> expected;
  bool transparency;
};

TEST(PngImport, ColourImagesBecomeAlphaRedGreenBlueRows) {
  PngSpec interlaced = Png(3, 3, PNG_COLOR_TYPE_RGB, 8,
                           {{1, 2, 3, 4, 5, 6, 7, 8, 9}, {10, 11, 12, 13, 14, 15, 16, 17, 18},
                            {19, 20, 21, 22, 23, 24, 25, 26, 27}});
  interlaced.interlaced = true;
  const ColourCase cases[] = {
      {"rgb", Png(2, 1, PNG_COLOR_TYPE_RGB, 8, {{1, 2, 3, 4, 5, 6}}), {0xFF010203, 0xFF040506}, false},
      {"rgba", Png(2, 1, PNG_COLOR_TYPE_RGB_ALPHA, 8, {{1, 2, 3, 0, 4, 5, 6, 200}}), {0x00010203, 0xC8040506},
       true},
      {"16-bit rgb", Png(1, 1, PNG_COLOR_TYPE_RGB, 16, {{0xAB, 0xCD, 0x12, 0x34, 0xFF, 0xFF}}), {0xFFAB12FF},
       false},
      {"16-bit rgba", Png(1, 1, PNG_COLOR_TYPE_RGB_ALPHA, 16, {{1, 0, 2, 0, 3, 0, 0x80, 0}}), {0x80010203}, true},
      {"grey with alpha", Png(2, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, {{9, 255, 200, 7}}), {0xFF090909, 0x07C8C8C8},
       true},
      {"interlaced rgb", interlaced,
       {0xFF010203, 0xFF040506, 0xFF070809, 0xFF0A0B0C, 0xFF0D0E0F, 0xFF101112, 0xFF131415, 0xFF161718, 0xFF191A1B},
       false},
  };
  for (const ColourCase& c : cases) {
    DecodedImage image;
    ASSERT_EQ(DecodeBytes(EncodePng(c.fileSpec), &image), kPlatformNoError) << c.name;
    EXPECT_EQ(image.formatCode, kImageFormatArgb) << c.name;
    EXPECT_EQ(Pixels(image), c.expected) << c.name;
    EXPECT_EQ(image.hasTransparency, c.transparency) << c.name;
  }
}

TEST(PngImport, InfoReportsTypeGammaAndBackground) {
  PngSpec fileSpec = Png(1, 1, PNG_COLOR_TYPE_RGB, 8, {{0, 0, 0}});
  fileSpec.hasBackground = true;
  fileSpec.background[0] = 10;
  fileSpec.background[1] = 20;
  fileSpec.background[2] = 30;
  ImageInfo info;
  DecodedImage image;
  ASSERT_EQ(DecodeBytes(EncodePng(fileSpec), &image, nullptr, &info), kPlatformNoError);
  EXPECT_EQ(info.type, kImageTypePng);
  EXPECT_DOUBLE_EQ(info.gamma, 2.2);
  EXPECT_EQ(info.hasBackground, 1);
  EXPECT_EQ(info.background.flag, 255);
  EXPECT_EQ(info.background.red, 10);
  EXPECT_EQ(info.background.green, 20);
  EXPECT_EQ(info.background.blue, 30);

  fileSpec.hasBackground = false;
  fileSpec.gamma = 0.5;
  ImageInfo gammaInfo;
  ASSERT_EQ(DecodeBytes(EncodePng(fileSpec), &image, nullptr, &gammaInfo), kPlatformNoError);
  EXPECT_NEAR(gammaInfo.gamma, 2.0, 1e-4);
  EXPECT_EQ(gammaInfo.hasBackground, 0);
  EXPECT_EQ(gammaInfo.background.red, 255);
}

struct AspectCase {
  const char* name;
  uint32_t width;
  uint32_t height;
  uint32_t x;
  uint32_t y;
  int unit;
  int32_t expectedWidth;
  int32_t expectedHeight;
};

TEST(PngImport, PixelAspectSetsTheFinalSize) {
  const AspectCase cases[] = {
      {"square at 72 dpi", 10, 10, 2835, 2835, PNG_RESOLUTION_METER, 10, 10},
      {"twice as dense across", 10, 10, 5670, 2835, PNG_RESOLUTION_METER, 20, 10},
      {"unknown unit, taller pixels", 10, 10, 1, 2, PNG_RESOLUTION_UNKNOWN, 20, 10},
      {"unknown unit, wider pixels", 10, 10, 3, 1, PNG_RESOLUTION_UNKNOWN, 10, 30},
      {"tiny density never gives zero", 3, 3, 1, 1, PNG_RESOLUTION_METER, 1, 1},
      {"correction past 4096 keeps the stored size", 2100, 1, 5670, 2835, PNG_RESOLUTION_METER, 2100, 1},
      {"zero density is ignored", 10, 10, 0, 2835, PNG_RESOLUTION_METER, 10, 10},
  };
  for (const AspectCase& c : cases) {
    PngSpec fileSpec = Png(c.width, c.height, PNG_COLOR_TYPE_GRAY, 8, std::vector<Bytes>(c.height, Bytes(c.width, 9)));
    fileSpec.hasPhys = true;
    fileSpec.physX = c.x;
    fileSpec.physY = c.y;
    fileSpec.physUnit = c.unit;
    DecodedImage image;
    ASSERT_EQ(DecodeBytes(EncodePng(fileSpec), &image), kPlatformNoError) << c.name;
    EXPECT_EQ(image.Width(), static_cast<int32_t>(c.width)) << c.name;
    EXPECT_EQ(image.finalBounds.right - image.finalBounds.left, c.expectedWidth) << c.name;
    EXPECT_EQ(image.finalBounds.bottom - image.finalBounds.top, c.expectedHeight) << c.name;
  }
}

TEST(PngImport, OffsetMovesTheFinalBounds) {
  PngSpec fileSpec = Png(2, 3, PNG_COLOR_TYPE_GRAY, 8, {{0, 0}, {0, 0}, {0, 0}});
  fileSpec.hasOffset = true;
  fileSpec.offsetX = 10;
  fileSpec.offsetY = 20;
  fileSpec.offsetUnit = PNG_OFFSET_PIXEL;
  DecodedImage image;
  ASSERT_EQ(DecodeBytes(EncodePng(fileSpec), &image), kPlatformNoError);
  EXPECT_EQ(image.finalBounds.left, 10);
  EXPECT_EQ(image.finalBounds.top, 20);
  EXPECT_EQ(image.finalBounds.right, 12);
  EXPECT_EQ(image.finalBounds.bottom, 23);

  // Micrometres become points as round(offset x 72 x 3.937007874015748e-05 + 0.5): one inch (25400) gives
  // round(72.5) = 73, minus one inch round(-71.5) = -72, 500 (1.417 points) round(1.917) = 2, and 0 round(0.5) = 1.
  struct MicrometreCase {
    int32_t offset;
    int32_t points;
  };
  for (const MicrometreCase& c : {MicrometreCase{25400, 73}, MicrometreCase{-25400, -72}, MicrometreCase{500, 2}}) {
    fileSpec.offsetX = c.offset;
    fileSpec.offsetY = 0;
    fileSpec.offsetUnit = PNG_OFFSET_MICROMETER;
    ASSERT_EQ(DecodeBytes(EncodePng(fileSpec), &image), kPlatformNoError);
    EXPECT_EQ(image.finalBounds.left, c.points) << c.offset;
    EXPECT_EQ(image.finalBounds.top, 1) << c.offset;
  }
}

struct HostileCase {
  const char* name;
  Bytes bytes;
  PlatformError error;
};

// IHDR's fields start behind the 8-byte signature and the chunk's length and type.
constexpr size_t kHeaderFields = 16;

Bytes WithCorrectHeaderCrc(Bytes bytes) {
  const uint32_t crc = static_cast<uint32_t>(crc32(0, bytes.data() + 12, 17));
  for (int i = 0; i < 4; ++i) bytes[29 + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
  return bytes;
}

TEST(PngImport, HostileFilesGiveErrors) {
  const Bytes good = EncodePng(Png(4, 4, PNG_COLOR_TYPE_RGB, 8, std::vector<Bytes>(4, Bytes(12, 77))));
  Bytes huge = good;
  for (int i = 0; i < 8; ++i) huge[kHeaderFields + i] = i % 4 == 1 ? 0x40 : 0;  // 4 194 304 x 4 194 304
  Bytes tooManyPixels = good;
  const Bytes size{0, 0, 0x20, 0, 0, 0, 0x10, 0};  // 8192 x 4096
  std::copy(size.begin(), size.end(), tooManyPixels.begin() + kHeaderFields);
  Bytes corruptData = good;
  for (size_t i = 45; i < 60 && i < corruptData.size(); ++i) corruptData[i] ^= 0x5A;
  Bytes badCrc = good;
  badCrc[29] ^= 1;
  PngSpec noPalette = Png(1, 1, PNG_COLOR_TYPE_GRAY, 8, {{0}});
  Bytes paletteWithoutPlte = EncodePng(noPalette);
  paletteWithoutPlte[kHeaderFields + 9] = PNG_COLOR_TYPE_PALETTE;
  paletteWithoutPlte = WithCorrectHeaderCrc(paletteWithoutPlte);
  const HostileCase cases[] = {
      {"cut inside the header", Bytes(good.begin(), good.begin() + 20), kPlatformErrImageData},
      {"cut inside the image data", Bytes(good.begin(), good.end() - 20), kPlatformErrImageData},
      {"huge dimensions", WithCorrectHeaderCrc(huge), kPlatformErrImageData},
      {"more pixels than the ceiling", WithCorrectHeaderCrc(tooManyPixels), kPlatformErrImageData},
      {"corrupt compressed data", corruptData, kPlatformErrImageData},
      {"header checksum wrong", badCrc, kPlatformErrImageData},
      {"palette image without a palette", paletteWithoutPlte, kPlatformErrImageData},
  };
  for (const HostileCase& c : cases) {
    DecodedImage image;
    EXPECT_EQ(DecodeBytes(c.bytes, &image), c.error) << c.name;
  }
}

}  // namespace
