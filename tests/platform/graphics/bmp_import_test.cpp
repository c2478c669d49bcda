// Windows bitmap import: every depth, row order, run-length forms and hostile headers.
#include "platform/graphics/bmp_import.h"

#include <gtest/gtest.h>

#include "platform/graphics/pixel_format.h"
#include "tests/support/image_fixtures.h"
#include "tools/scenario_writer/picture_writer.h"

namespace {

std::vector<uint32_t> Pixels(const DecodedImage& image) {
  std::vector<uint32_t> out;
  for (int32_t y = 0; y < image.Height(); ++y) {
    for (int32_t x = 0; x < image.Width(); ++x) out.push_back(PixelAt(image, x, y));
  }
  return out;
}

Bytes Le16s(std::initializer_list<uint32_t> values) {
  Bytes out;
  for (uint32_t v : values) PutLe16(&out, v);
  return out;
}

Bytes Le32s(std::initializer_list<uint32_t> values) {
  Bytes out;
  for (uint32_t v : values) PutLe32(&out, v);
  return out;
}

Bytes Patch32(Bytes bytes, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
  return bytes;
}

struct DepthCase {
  const char* name;
  BmpSpec fileSpec;
  uint32_t format;
  std::vector<uint32_t> expected;  // top row first
};

BmpSpec BmpOf(int32_t width, int32_t height, uint16_t bits, std::vector<Bytes> rowsTopFirst) {
  BmpSpec fileSpec;
  fileSpec.width = width;
  fileSpec.height = height;
  fileSpec.bitCount = bits;
  fileSpec.pixels = PadBmpRows(rowsTopFirst, true);
  return fileSpec;
}

BmpSpec WithMasks(BmpSpec fileSpec, uint32_t r, uint32_t g, uint32_t b) {
  fileSpec.compression = 3;
  fileSpec.headerSize = 56;
  fileSpec.masks[0] = r;
  fileSpec.masks[1] = g;
  fileSpec.masks[2] = b;
  return fileSpec;
}

BmpSpec WithColors(BmpSpec fileSpec, std::vector<uint32_t> colors) {
  fileSpec.colors = std::move(colors);
  fileSpec.colorsUsed = static_cast<uint32_t>(fileSpec.colors.size());
  return fileSpec;
}

TEST(BmpImport, DecodesEveryDepth) {
  const DepthCase cases[] = {
      {"1 bit", WithColors(BmpOf(9, 2, 1, {{0xA5, 0x80}, {0x01, 0x00}}), {0x000000, 0xFFFFFF}), 8,
       {1, 0, 1, 0, 0, 1, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0}},
      {"4 bit", WithColors(BmpOf(3, 2, 4, {{0x12, 0x30}, {0xF0, 0x0F}}), std::vector<uint32_t>(16, 0)), 8,
       {1, 2, 3, 15, 0, 0}},
      {"8 bit", WithColors(BmpOf(2, 2, 8, {{7, 200}, {0, 255}}), std::vector<uint32_t>(256, 0)), 8, {7, 200, 0, 255}},
      {"16 bit reads 5-5-5", BmpOf(2, 1, 16, {Le16s({0x7C00, 0x03FF})}), 16, {0xFFFF0000, 0xFF00FFFF}},
      {"16 bit fields 5-6-5", WithMasks(BmpOf(2, 1, 16, {Le16s({0xF800, 0x07E0})}), 0xF800, 0x07E0, 0x001F), 16,
       {0xFFFF0000, 0xFF00FF00}},
      {"24 bit stores blue first", BmpOf(2, 1, 24, {{0x01, 0x02, 0x03, 0x04, 0x05, 0x06}}), 24,
       {0xFF030201, 0xFF060504}},
      {"32 bit reads the low three bytes", BmpOf(1, 1, 32, {Le32s({0xAA102030})}), 32, {0xFF102030}},
      // Ten-bit masks keep their top eight bits: 0x3FF and 0x200 become 0xFF and 0x80.
      {"32 bit fields wider than 8 bits",
       WithMasks(BmpOf(1, 1, 32, {Le32s({0x3FF << 20 | 0x200 << 10 | 0x001})}), 0x3FF00000, 0x000FFC00, 0x3FF),
       32, {0xFFFF8000}},
  };
  for (const DepthCase& c : cases) {
    DecodedImage image;
    ImageInfo info;
    ASSERT_EQ(DecodeBytes(BuildBmp(c.fileSpec), &image, nullptr, &info), kPlatformNoError) << c.name;
    EXPECT_EQ(image.formatCode, c.format) << c.name;
    EXPECT_EQ(Pixels(image), c.expected) << c.name;
    EXPECT_EQ(info.type, kImageTypeBmp) << c.name;
    EXPECT_DOUBLE_EQ(info.gamma, 2.2) << c.name;
  }
}

// Common writers store a bit-field picture with the 40-byte header and its three masks right behind it.
TEST(BmpImport, BitFieldFilesKeepTheirMasksBehindA40ByteHeader) {
  scenario_writer::Canvas canvas(5, 3, {10, 200, 30});
  canvas.Set(0, 0, {255, 0, 0});
  canvas.Set(1, 0, {0, 255, 0});
  canvas.Set(2, 0, {0, 0, 255});
  canvas.Set(3, 1, {255, 255, 255});
  canvas.Set(4, 2, {0x84, 0x42, 0x21});
  auto expand = [](uint32_t value, uint32_t bits) {
    return (value >> (8 - bits)) * ChannelScale(bits) >> 8;  // what a channel of that width gives back
  };
  for (uint16_t bits : {16, 32}) {
    const scenario_writer::Bytes file =
        bits == 16 ? scenario_writer::EncodeBmp16(canvas) : scenario_writer::EncodeBmp32(canvas);
    DecodedImage image;
    ASSERT_EQ(DecodeBytes(Bytes(file.begin(), file.end()), &image), kPlatformNoError) << bits;
    EXPECT_EQ(image.formatCode, bits) << bits;
    for (int32_t y = 0; y < canvas.Height(); ++y) {
      for (int32_t x = 0; x < canvas.Width(); ++x) {
        const scenario_writer::Rgb c = canvas.At(x, y);
        const uint32_t expected = bits == 32 ? 0xFF000000u | uint32_t{c.red} << 16 | uint32_t{c.green} << 8 | c.blue
                                             : 0xFF000000u | expand(c.red, 5) << 16 | expand(c.green, 6) << 8 |
                                                   expand(c.blue, 5);
        EXPECT_EQ(PixelAt(image, x, y), expected) << bits << " bits at " << x << "," << y;
      }
    }
  }
}

TEST(BmpImport, ColourTableIsTheOpaqueTableOfColoursUsed) {
  // Two colours used in a 4-bit picture: the table holds those two, and an index past them is kept as it is.
  DecodedImage image;
  ASSERT_EQ(DecodeBytes(BuildBmp(WithColors(BmpOf(2, 1, 4, {{0x1F}}), {0x112233, 0x445566})), &image),
            kPlatformNoError);
  ASSERT_EQ(image.palette.size(), 2u);
  EXPECT_EQ(image.palette[1].flag, 255);
  EXPECT_EQ(image.palette[1].red, 0x44);
  EXPECT_EQ(image.palette[1].green, 0x55);
  EXPECT_EQ(image.palette[1].blue, 0x66);
  EXPECT_EQ(Pixels(image), (std::vector<uint32_t>{1, 15}));
  // Colours used 0: all the depth allows.
  BmpSpec all = WithColors(BmpOf(1, 1, 4, {{0x10}}), std::vector<uint32_t>(16, 0x010203));
  all.colorsUsed = 0;
  ASSERT_EQ(DecodeBytes(BuildBmp(all), &image), kPlatformNoError);
  EXPECT_EQ(image.palette.size(), 16u);
}

TEST(BmpImport, TopDownImageComesOutTheSameWayUpAsItsBottomUpTwin) {
  const std::vector<Bytes> rows{{1, 2}, {3, 4}, {5, 6}};
  BmpSpec bottomUp = WithColors(BmpOf(2, 3, 8, rows), std::vector<uint32_t>(256, 0));
  BmpSpec topDown = bottomUp;
  topDown.height = -3;
  topDown.pixels = PadBmpRows(rows, false);
  DecodedImage a;
  DecodedImage b;
  ASSERT_EQ(DecodeBytes(BuildBmp(bottomUp), &a), kPlatformNoError);
  ASSERT_EQ(DecodeBytes(BuildBmp(topDown), &b), kPlatformNoError);
  EXPECT_EQ(Pixels(a), (std::vector<uint32_t>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(Pixels(b), Pixels(a));
}

TEST(BmpImport, OneBitImageOfWidthOneIgnoresItsPaddingBits) {
  DecodedImage image;
  ASSERT_EQ(DecodeBytes(BuildBmp(WithColors(BmpOf(1, 2, 1, {{0x7F}, {0xFF}}), {0, 0xFFFFFF})), &image),
            kPlatformNoError);
  EXPECT_EQ(Pixels(image), (std::vector<uint32_t>{0, 1}));
}

TEST(BmpImport, ArrayHeaderIsFollowedToTheBitmap) {
  Bytes bitmap = BuildBmp(WithColors(BmpOf(1, 1, 8, {{9}}), std::vector<uint32_t>(256, 0)));
  // The data offset counts from the start of the whole file, array header included.
  bitmap = Patch32(bitmap, 10, static_cast<uint32_t>(bitmap[10] | bitmap[11] << 8) + 14);
  Bytes file{'B', 'A'};
  PutLe32(&file, 40);
  PutLe32(&file, 0);
  PutLe32(&file, 1);
  file.insert(file.end(), bitmap.begin(), bitmap.end());
  DecodedImage image;
  ASSERT_EQ(DecodeBytes(file, &image), kPlatformNoError);
  EXPECT_EQ(Pixels(image), (std::vector<uint32_t>{9}));
}

BmpSpec Rle(int32_t width, int32_t height, bool fourBit, Bytes data) {
  BmpSpec fileSpec;
  fileSpec.width = width;
  fileSpec.height = height;
  fileSpec.bitCount = fourBit ? 4 : 8;
  fileSpec.compression = fourBit ? 2 : 1;
  fileSpec.colors.assign(fourBit ? 16 : 256, 0);
  fileSpec.pixels = std::move(data);
  return fileSpec;
}

struct RleCase {
  const char* name;
  BmpSpec fileSpec;
  std::vector<uint32_t> expected;  // top row first
};

TEST(BmpImport, RunLengthForms) {
  const RleCase cases[] = {
      // Rows are stored bottom-up: the first row decoded is the image's last.
      {"runs with end of line and end of bitmap", Rle(4, 2, false, {2, 7, 2, 8, 0, 0, 4, 9, 0, 0, 0, 1}),
       {9, 9, 9, 9, 7, 7, 8, 8}},
      {"end of bitmap after the first row leaves later rows 0", Rle(3, 3, false, {3, 5, 0, 0, 0, 1}),
       {0, 0, 0, 0, 0, 0, 5, 5, 5}},
      {"absolute run padded to an even length", Rle(3, 1, false, {0, 3, 1, 2, 3, 0, 0, 1}), {1, 2, 3}},
      {"delta moves right and up with zero pixels skipped",
       Rle(4, 3, false, {1, 6, 0, 2, 1, 1, 2, 4, 0, 0, 0, 1}), {0, 0, 0, 0, 0, 0, 4, 4, 6, 0, 0, 0}},
      {"delta within a row keeps its pixels", Rle(4, 1, false, {1, 3, 0, 2, 2, 0, 1, 5, 0, 1}), {3, 0, 0, 5}},
      {"four-bit run alternates nibbles", Rle(3, 1, true, {3, 0x12, 0, 1}), {1, 2, 1}},
      {"four-bit absolute run", Rle(5, 1, true, {0, 5, 0x12, 0x34, 0x50, 0, 0, 1}), {1, 2, 3, 4, 5}},
  };
  for (const RleCase& c : cases) {
    DecodedImage image;
    ASSERT_EQ(DecodeBytes(BuildBmp(c.fileSpec), &image), kPlatformNoError) << c.name;
    EXPECT_EQ(Pixels(image), c.expected) << c.name;
  }
}

TEST(BmpImport, RunLengthRowsWithEndOfLineMatchTheUncompressedImage) {
  // A width that is a multiple of 4: the row is full when its end of line comes.
  const std::vector<Bytes> rows{{1, 1, 2, 2}, {3, 4, 5, 6}};
  DecodedImage plain;
  ASSERT_EQ(DecodeBytes(BuildBmp(WithColors(BmpOf(4, 2, 8, rows), std::vector<uint32_t>(256, 0))), &plain),
            kPlatformNoError);
  DecodedImage rle;
  ASSERT_EQ(DecodeBytes(BuildBmp(Rle(4, 2, false, {0, 4, 3, 4, 5, 6, 0, 0, 2, 1, 2, 2, 0, 0, 0, 1})), &rle),
            kPlatformNoError);
  EXPECT_EQ(Pixels(rle), Pixels(plain));
}

struct HostileCase {
  const char* name;
  Bytes bytes;
  PlatformError error;
};

TEST(BmpImport, HostileHeadersGiveErrors) {
  const Bytes good = BuildBmp(WithColors(BmpOf(2, 2, 8, {{1, 2}, {3, 4}}), std::vector<uint32_t>(256, 0)));
  BmpSpec bitFields40 = BmpOf(1, 1, 16, {Le16s({0})});
  bitFields40.compression = 3;
  BmpSpec tooManyColors = BmpOf(1, 1, 4, {{0}});
  tooManyColors.colorsUsed = 17;
  Bytes twoArrayHeaders{'B', 'A', 40, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 'B', 'A', 40, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0};
  twoArrayHeaders.resize(80, 0);
  Bytes badArraySize = twoArrayHeaders;
  badArraySize[2] = 41;
  Bytes truncated = good;
  truncated.resize(good.size() - 3);
  const HostileCase cases[] = {
      {"header size 0", Patch32(good, 14, 0), kPlatformErrImageData},
      {"header size 3", Patch32(good, 14, 3), kPlatformErrImageData},
      {"header size 15", Patch32(good, 14, 15), kPlatformErrImageData},
      {"header size larger than the file", Patch32(good, 14, 0xFFFFFFF0u), kPlatformErrImageData},
      {"zero width", Patch32(good, 18, 0), kPlatformErrImageData},
      {"negative width", Patch32(good, 18, 0xFFFFFFFEu), kPlatformErrImageData},
      {"zero height", Patch32(good, 22, 0), kPlatformErrImageData},
      {"most negative height", Patch32(good, 22, 0x80000000u), kPlatformErrImageData},
      {"huge width", Patch32(good, 18, 0x7FFFFFFF), kPlatformErrImageData},
      {"too many pixels", Patch32(Patch32(good, 18, 10000), 22, 10000), kPlatformErrImageData},
      {"depth 3", Patch32(good, 28, 3 | 1u << 16), kPlatformErrImageData},
      {"compression 4", Patch32(good, 30, 4), kPlatformErrImageData},
      {"8-bit data with 4-bit run-length", Patch32(good, 30, 2), kPlatformErrImageData},
      {"bit fields with a 40-byte header and no masks behind it", BuildBmp(bitFields40), kPlatformErrImageData},
      {"more colours than the depth allows", BuildBmp(tooManyColors), kPlatformErrImageData},
      {"data offset inside the headers", Patch32(good, 10, 60), kPlatformErrImageData},
      {"data offset below the headers' minimum", Patch32(good, 10, 53), kPlatformErrNotAnImage},
      {"file size of 54", Patch32(good, 2, 54), kPlatformErrNotAnImage},
      {"two array headers", twoArrayHeaders, kPlatformErrNotAnImage},
      {"array header of the wrong size", badArraySize, kPlatformErrNotAnImage},
      {"truncated rows", truncated, kPlatformErrImageData},
      {"run-length data ending early", BuildBmp(Rle(4, 2, false, {4, 1, 0, 0})), kPlatformErrImageData},
      {"delta past the row", BuildBmp(Rle(4, 2, false, {0, 2, 5, 0, 0, 1})), kPlatformErrImageData},
      {"delta past the row after pixels", BuildBmp(Rle(4, 2, false, {3, 1, 0, 2, 2, 0, 0, 1})),
       kPlatformErrImageData},
  };
  for (const HostileCase& c : cases) {
    DecodedImage image;
    EXPECT_EQ(DecodeBytes(c.bytes, &image), c.error) << c.name;
  }
}

}  // namespace
