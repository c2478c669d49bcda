// Picture import: hand-built version 1 and 2 pictures with packed, plain and three-byte rows, skipped opcodes and
// hostile records.
#include "platform/graphics/pict_import.h"

#include <gtest/gtest.h>

#include "platform/graphics/graphics_startup.h"
#include "tests/support/image_fixtures.h"
#include "tools/scenario_writer/picture_writer.h"

namespace {

struct Box {
  int16_t top, left, bottom, right;
};

void PutBox(Bytes* out, Box box) {
  PutBe16(out, static_cast<uint16_t>(box.top));
  PutBe16(out, static_cast<uint16_t>(box.left));
  PutBe16(out, static_cast<uint16_t>(box.bottom));
  PutBe16(out, static_cast<uint16_t>(box.right));
}

void Append(Bytes* out, const Bytes& more) { out->insert(out->end(), more.begin(), more.end()); }

// A pixel-map record (without the base address of direct pixels).
Bytes PixelMap(uint16_t rowBytes, Box bounds, uint16_t packType, uint16_t pixelSize, uint16_t components) {
  Bytes out;
  PutBe16(&out, rowBytes | 0x8000);
  PutBox(&out, bounds);
  PutBe16(&out, 0);           // version
  PutBe16(&out, packType);
  PutBe32(&out, 0);           // pack size
  PutBe32(&out, 72u << 16);   // resolutions
  PutBe32(&out, 72u << 16);
  PutBe16(&out, pixelSize > 8 ? 16 : 0);
  PutBe16(&out, pixelSize);
  PutBe16(&out, components);
  PutBe16(&out, pixelSize > 8 ? 8 : pixelSize);
  PutBe32(&out, 0);  // plane bytes
  PutBe32(&out, 0);  // colour table
  PutBe32(&out, 0);  // reserved
  return out;
}

Bytes ColorTable(int entries) {
  Bytes out;
  PutBe32(&out, 0);
  PutBe16(&out, 0);
  PutBe16(&out, static_cast<uint16_t>(entries - 1));
  for (int i = 0; i < entries; ++i) {
    PutBe16(&out, static_cast<uint16_t>(i));
    PutBe16(&out, 0xFFFF);
    PutBe16(&out, 0);
    PutBe16(&out, 0);
  }
  return out;
}

void PutSourceDestinationMode(Bytes* out, Box source, Box destination) {
  PutBox(out, source);
  PutBox(out, destination);
  PutBe16(out, 0);
}

// Each row as PackBits with its byte count (one byte when row bytes are 250 or fewer).
Bytes PackedRows(const std::vector<Bytes>& rows, uint32_t rowBytes, int unit) {
  Bytes out;
  for (const Bytes& row : rows) {
    const Bytes packed = PackBitsEncode(row, unit);
    if (rowBytes > 250) {
      PutBe16(&out, static_cast<uint32_t>(packed.size()));
    } else {
      out.push_back(static_cast<uint8_t>(packed.size()));
    }
    Append(&out, packed);
  }
  return out;
}

Bytes Joined(const std::vector<Bytes>& rows) {
  Bytes out;
  for (const Bytes& row : rows) Append(&out, row);
  return out;
}

constexpr Box kFrame{0, 0, 2, 10};

// A version 2 picture of the frame holding one direct-pixel opcode (0x9A).
Bytes DirectPicture(uint16_t rowBytes, uint16_t packType, uint16_t pixelSize, const Bytes& rowData,
                    Box bounds = kFrame, Box source = kFrame, uint16_t components = 3) {
  Bytes ops;
  PutBe16(&ops, 0x009A);
  PutBe32(&ops, 0xFF);  // base address
  Append(&ops, PixelMap(rowBytes, bounds, packType, pixelSize, components));
  PutSourceDestinationMode(&ops, source, kFrame);
  Append(&ops, rowData);
  return BuildPict(2, kFrame.top, kFrame.left, kFrame.bottom, kFrame.right, ops);
}

// A version 2 picture of the frame holding one packed indexed opcode (0x98).
Bytes IndexedPicture(uint16_t rowBytes, uint16_t pixelSize, const Bytes& rowData, Box bounds = kFrame) {
  Bytes ops;
  PutBe16(&ops, 0x0098);
  Append(&ops, PixelMap(rowBytes, bounds, 0, pixelSize, 1));
  Append(&ops, ColorTable(2));
  PutSourceDestinationMode(&ops, kFrame, kFrame);
  Append(&ops, rowData);
  return BuildPict(2, kFrame.top, kFrame.left, kFrame.bottom, kFrame.right, ops);
}

std::vector<uint32_t> Pixels(const DecodedImage& image) {
  std::vector<uint32_t> out;
  for (int32_t y = 0; y < image.Height(); ++y) {
    for (int32_t x = 0; x < image.Width(); ++x) out.push_back(PixelAt(image, x, y));
  }
  return out;
}

const std::vector<Bytes> kIndexRows{{1, 2, 3, 4, 5, 5, 5, 5, 5, 9}, {0, 0, 0, 0, 0, 0, 0, 0, 7, 8}};

// A picture's own colour table colours its indices; a table that is the standard palette keeps that palette, so
// such pictures come out as they always did.
TEST(PictImport, IndexedPicturesAreDrawnThroughTheirOwnTable) {
  scenario_writer::Canvas canvas(11, 3, {10, 200, 30});
  canvas.FillRect(2, 1, 5, 1, {250, 20, 40});
  canvas.Set(10, 2, {1, 2, 3});
  canvas.Set(0, 0, {255, 255, 255});
  const std::vector<scenario_writer::Rgb> table{{10, 200, 30}, {250, 20, 40}, {1, 2, 3}, {255, 255, 255}};
  const scenario_writer::Bytes file = scenario_writer::EncodePict8(canvas, table);
  DecodedImage image;
  ASSERT_EQ(DecodeBytes(Bytes(file.begin(), file.end()), &image), kPlatformNoError);
  EXPECT_EQ(image.formatCode, kImageFormatIndexed);
  EXPECT_FALSE(image.standardPalette);
  ASSERT_EQ(image.palette.size(), 256u);
  for (int32_t y = 0; y < canvas.Height(); ++y) {
    for (int32_t x = 0; x < canvas.Width(); ++x) {
      const ColorRecord& colour = image.palette[PixelAt(image, x, y)];
      const scenario_writer::Rgb expected = canvas.At(x, y);
      EXPECT_EQ((scenario_writer::Rgb{colour.red, colour.green, colour.blue}), expected) << x << "," << y;
    }
  }

  std::vector<scenario_writer::Rgb> standard;
  for (const ColorRecord& entry : StandardPalette.entries) standard.push_back({entry.red, entry.green, entry.blue});
  scenario_writer::Canvas grey(4, 1, standard[7]);
  const scenario_writer::Bytes standardFile = scenario_writer::EncodePict8(grey, standard);
  DecodedImage plain;
  ASSERT_EQ(DecodeBytes(Bytes(standardFile.begin(), standardFile.end()), &plain), kPlatformNoError);
  EXPECT_TRUE(plain.standardPalette);
  EXPECT_TRUE(plain.palette.empty());
  EXPECT_EQ(PixelAt(plain, 3, 0), 7u);
}

TEST(PictImport, PackedIndexedRowsAreRead) {
  DecodedImage image;
  ImageInfo info;
  ASSERT_EQ(DecodeBytes(IndexedPicture(10, 8, PackedRows(kIndexRows, 10, 1)), &image, nullptr, &info),
            kPlatformNoError);
  EXPECT_EQ(image.formatCode, kImageFormatIndexed);
  EXPECT_FALSE(image.standardPalette);
  EXPECT_EQ(image.palette[1].red, 0xFF);  // the picture's two entries are red
  EXPECT_EQ(Pixels(image), (std::vector<uint32_t>{1, 2, 3, 4, 5, 5, 5, 5, 5, 9, 0, 0, 0, 0, 0, 0, 0, 0, 7, 8}));
  EXPECT_EQ(info.type, kImageTypePict);
  EXPECT_DOUBLE_EQ(info.gamma, 1.7);
}

struct DirectCase {
  const char* name;
  Bytes picture;
  PixelFormatCode format;
  uint32_t first;
  uint32_t last;
};

std::vector<Bytes> PlaneRows(int planes) {
  // Each row: the red plane, then green, then blue (behind an alpha plane when there are four).
  std::vector<Bytes> rows;
  for (int y = 0; y < 2; ++y) {
    Bytes row;
    if (planes == 4) row.insert(row.end(), 10, 0x11);
    for (int plane = 0; plane < 3; ++plane) {
      for (int x = 0; x < 10; ++x) row.push_back(static_cast<uint8_t>(plane * 0x40 + x + y * 16));
    }
    rows.push_back(row);
  }
  return rows;
}

std::vector<Bytes> WordRows(uint16_t first, uint16_t rest) {
  std::vector<Bytes> rows;
  for (int y = 0; y < 2; ++y) {
    Bytes row;
    for (int x = 0; x < 10; ++x) PutBe16(&row, x == 0 && y == 0 ? first : rest);
    rows.push_back(row);
  }
  return rows;
}

std::vector<Bytes> ByteRows(size_t length, size_t pixelSize, size_t skip) {
  std::vector<Bytes> rows;
  for (int y = 0; y < 2; ++y) {
    Bytes row(length, 0);
    for (size_t x = 0; x < 10; ++x) {
      for (size_t c = 0; c < 3; ++c) row[x * pixelSize + skip + c] = static_cast<uint8_t>(0x10 * (c + 1) + x + y);
    }
    rows.push_back(row);
  }
  return rows;
}

TEST(PictImport, DirectPixelRowsInEveryStorageForm) {
  const DirectCase cases[] = {
      {"packed planes", DirectPicture(40, 4, 32, PackedRows(PlaneRows(3), 40, 1)), kImageFormat32, 0xFF004080,
       0xFF195999},
      {"packed planes behind alpha", DirectPicture(40, 4, 32, PackedRows(PlaneRows(4), 40, 1), kFrame, kFrame, 4),
       kImageFormat32, 0xFF004080, 0xFF195999},
      {"plain 32-bit", DirectPicture(40, 1, 32, Joined(ByteRows(40, 4, 1))), kImageFormat32, 0xFF102030,
       0xFF1A2A3A},
      {"three bytes a pixel", DirectPicture(40, 2, 32, Joined(ByteRows(30, 3, 0))), kImageFormat32, 0xFF102030,
       0xFF1A2A3A},
      // Three-byte rows are read whatever the pixel size, as long as the row bytes hold them.
      {"three bytes a pixel into a 16-bit image", DirectPicture(40, 2, 16, Joined(ByteRows(30, 3, 0))),
       kImageFormat565, 0xFF102030, 0xFF1A2A3A},
      {"packed 16-bit", DirectPicture(20, 3, 16, PackedRows(WordRows(0x7FFF, 0x4210), 20, 2)), kImageFormat565,
       0xFFFFFFFF, 0xFF848484},
      {"plain 16-bit", DirectPicture(20, 1, 16, Joined(WordRows(0x7C00, 0x001F))), kImageFormat565, 0xFFFF0000,
       0xFF0000FF},
  };
  for (const DirectCase& c : cases) {
    DecodedImage image;
    ASSERT_EQ(DecodeBytes(c.picture, &image), kPlatformNoError) << c.name;
    EXPECT_EQ(image.formatCode, c.format) << c.name;
    EXPECT_EQ(PixelAt(image, 0, 0), c.first) << c.name;
    EXPECT_EQ(PixelAt(image, 9, 1), c.last) << c.name;
  }
}

TEST(PictImport, ThreeByteColoursInAnIndexedImageTakeTheNearestColour) {
  Bytes rows(60, 0);  // two rows of ten black pixels but the first, pure red
  rows[0] = 0xFF;
  DecodedImage image;
  ASSERT_EQ(DecodeBytes(DirectPicture(40, 2, 8, rows), &image), kPlatformNoError);
  ASSERT_EQ(image.formatCode, kImageFormatIndexed);
  EXPECT_TRUE(image.standardPalette);
  EXPECT_EQ(PixelAt(image, 0, 0), 35u);   // {FF, 00, 00} of the colour cube
  EXPECT_EQ(PixelAt(image, 9, 1), 255u);  // black
}

TEST(PictImport, PicturesWithoutAWholePictureImageAreWhite) {
  const Box smaller{0, 0, 1, 10};
  Bytes onlyText;
  onlyText.push_back(0x00);
  onlyText.push_back(0x28);  // long text: a point, a count, the characters
  Append(&onlyText, {0, 1, 0, 1, 3, 'a', 'b', 'c'});
  const Bytes pictures[] = {
      DirectPicture(40, 1, 32, Joined(ByteRows(40, 4, 1)), kFrame, smaller),
      BuildPict(2, 0, 0, 2, 10, onlyText),
      BuildPict(1, 0, 0, 2, 10, {}),
      DirectPicture(40, 1, 32, {}, Box{2, 0, 0, 10}, smaller),  // inverted bounds: no rows
  };
  for (const Bytes& picture : pictures) {
    DecodedImage image;
    ASSERT_EQ(DecodeBytes(picture, &image), kPlatformNoError);
    EXPECT_EQ(image.formatCode, kImageFormat32);
    EXPECT_EQ(image.Width(), 10);
    EXPECT_EQ(image.Height(), 2);
    for (uint32_t pixel : Pixels(image)) EXPECT_EQ(pixel, 0xFFFFFFFFu);
  }
}

TEST(PictImport, OneBitBitMapRowsAreDroppedIntoAClearedWorld) {
  Bytes ops{0x90};
  PutBe16(&ops, 2);  // row bytes, no pixel-map flag
  PutBox(&ops, kFrame);
  PutSourceDestinationMode(&ops, kFrame, kFrame);
  Append(&ops, {0xFF, 0xC0, 0xFF, 0xC0});
  DecodedImage image;
  ASSERT_EQ(DecodeBytes(BuildPict(1, 0, 0, 2, 10, ops), &image), kPlatformNoError);
  EXPECT_EQ(image.formatCode, kImageFormatIndexed);
  EXPECT_TRUE(image.standardPalette);
  for (uint32_t pixel : Pixels(image)) EXPECT_EQ(pixel, 0u);
}

TEST(PictImport, SkipsOtherOpcodesAndRealignsVersion2Opcodes) {
  Bytes ops;
  PutBe16(&ops, 0x0001);  // clip region of 10 bytes
  Append(&ops, {0, 10, 0, 0, 0, 0, 0, 2, 0, 10});
  PutBe16(&ops, 0x00A1);  // long comment
  Append(&ops, {0, 100, 0, 3, 'x', 'y', 'z'});
  ops.push_back(0);       // the next opcode is due at an odd offset: one byte is skipped
  PutBe16(&ops, 0x0004);  // text face, one byte: the following opcode is odd again
  ops.push_back(1);
  ops.push_back(0);
  PutBe16(&ops, 0x0024);  // reserved, word length
  Append(&ops, {0, 2, 9, 9});
  PutBe16(&ops, 0x8123);  // reserved, long length
  Append(&ops, {0, 0, 0, 4, 1, 2, 3, 4});
  PutBe16(&ops, 0x0100);  // reserved: 2 bytes for each of its high byte
  Append(&ops, {5, 5});
  PutBe16(&ops, 0x0098);
  Append(&ops, PixelMap(10, kFrame, 0, 8, 1));
  Append(&ops, ColorTable(2));
  PutSourceDestinationMode(&ops, kFrame, kFrame);
  Append(&ops, PackedRows(kIndexRows, 10, 1));
  DecodedImage image;
  ASSERT_EQ(DecodeBytes(BuildPict(2, 0, 0, 2, 10, ops), &image), kPlatformNoError);
  EXPECT_EQ(PixelAt(image, 9, 0), 9u);
  EXPECT_EQ(PixelAt(image, 8, 1), 7u);
}

struct HostileCase {
  const char* name;
  Bytes bytes;
  PlatformError error;
};

Bytes Version2(std::initializer_list<uint8_t> ops) { return BuildPict(2, 0, 0, 2, 10, Bytes(ops)); }

TEST(PictImport, HostileRecordsGiveErrors) {
  std::vector<Bytes> shortRows = kIndexRows;
  shortRows[1].resize(9);
  Bytes badLiteral = IndexedPicture(10, 8, {3, 5, 1, 2});  // a literal of 6 bytes with 2 given
  Bytes noVersion = BuildPict(1, 0, 0, 2, 10, {});
  noVersion[522 + 1] = 0x03;
  Bytes truncated = IndexedPicture(10, 8, PackedRows(kIndexRows, 10, 1));
  truncated.resize(646);
  Bytes noEnd = IndexedPicture(10, 8, PackedRows(kIndexRows, 10, 1));
  noEnd.resize(noEnd.size() - 2);
  const Box larger{0, 0, 3, 10};
  const HostileCase cases[] = {
      {"bounds taller than the frame", IndexedPicture(10, 8, PackedRows({kIndexRows[0], kIndexRows[0], kIndexRows[1]},
                                                                          10, 1), larger),
       kPlatformErrImageData},
      {"packed row shorter than the image", IndexedPicture(10, 8, PackedRows(shortRows, 10, 1)), kPlatformErrImageData},
      {"packed record past its row", badLiteral, kPlatformErrImageData},
      {"plain rows shorter than the pixels", DirectPicture(30, 1, 32, Joined(ByteRows(30, 3, 0))),
       kPlatformErrImageData},
      {"pixel size 24", DirectPicture(40, 1, 24, Joined(ByteRows(40, 4, 1))), kPlatformErrNotAnImage},
      {"pack type 5", DirectPicture(40, 5, 32, Joined(ByteRows(40, 4, 1))), kPlatformErrNotAnImage},
      {"three-byte rows shorter than the pixels", DirectPicture(20, 2, 16, Joined(ByteRows(30, 3, 0))),
       kPlatformErrImageData},
      {"region size below 2", Version2({0x00, 0x01, 0x00, 0x01}), kPlatformErrNotAnImage},
      {"full pixel pattern", Version2({0x00, 0x12, 0x00, 0x01}), kPlatformErrUndefinedKind},
      {"unknown pattern type", Version2({0x00, 0x12, 0x00, 0x03}), kPlatformErrNotAnImage},
      {"word length below 2", Version2({0x00, 0x24, 0x00, 0x01}), kPlatformErrNotAnImage},
      {"long length below 4", Version2({0x80, 0x01, 0x00, 0x00, 0x00, 0x03}), kPlatformErrNotAnImage},
      {"long length past the end", Version2({0x80, 0x01, 0x7F, 0xFF, 0xFF, 0xFF}), kPlatformErrImageData},
      {"no version opcode", noVersion, kPlatformErrNotAnImage},
      {"cut inside the pixel data", truncated, kPlatformErrImageData},
      {"no end of picture", noEnd, kPlatformErrImageData},
  };
  for (const HostileCase& c : cases) {
    DecodedImage image;
    EXPECT_EQ(DecodeBytes(c.bytes, &image), c.error) << c.name;
  }
}

}  // namespace
