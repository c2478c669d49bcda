// Decoding into worlds: what PlatformDecodeImage hands back for each format (world format and pixels, palette
// flags, mask worlds, transfer modes, resized and moved bounds) and that nothing is left behind on failure.
#include <gtest/gtest.h>
#include <png.h>

#include <memory>

#include "platform/graphics/copy_bits.h"
#include "platform/graphics/image_import.h"
#include "tests/support/image_fixtures.h"
#include "world_fixture.h"

namespace {

// The outputs of one decode; the worlds are disposed with the record.
struct Decoded {
  PlatformError error = kPlatformNoError;
  WorldPtr world;
  WorldPtr mask;
  TransferMode mode{};
  ImageInfo info{};

  Rect Bounds() const {
    Rect bounds{};
    PlatformWorld::GetBounds(world.get(), &bounds);
    return bounds;
  }
  const PixelMap& Map() const { return *world->pixelMap; }
};

Decoded Decode(const Bytes& bytes, bool askMask = true) {
  HandleCopy handle(bytes);
  Decoded out;
  PlatformWorld* world = nullptr;
  PlatformWorld* mask = nullptr;
  out.error = PlatformDecodeImage(handle.get(), &world, askMask ? &mask : nullptr, &out.mode, &out.info);
  out.world.reset(world);
  out.mask.reset(mask);
  return out;
}

PngSpec Png(uint32_t width, uint32_t height, int colorType, std::vector<Bytes> rows) {
  PngSpec fileSpec;
  fileSpec.width = width;
  fileSpec.height = height;
  fileSpec.colorType = colorType;
  fileSpec.bitDepth = 8;
  fileSpec.rows = std::move(rows);
  return fileSpec;
}

TEST(ImageWorlds, BmpBecomesAWorldOfItsDepthWithNullOutputsAllowed) {
  BmpSpec fileSpec;
  fileSpec.width = 2;
  fileSpec.height = 1;
  fileSpec.bitCount = 24;
  fileSpec.pixels = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0, 0};
  const Bytes bytes = BuildBmp(fileSpec);
  HandleCopy handle(bytes);
  PlatformWorld* world = nullptr;
  ASSERT_EQ(PlatformDecodeImage(handle.get(), &world, nullptr, nullptr, nullptr), kPlatformNoError);
  WorldPtr owned(world);
  EXPECT_EQ(world->pixelMap->formatCode, kPixelFormat24);
  EXPECT_EQ(AllStored(world), (std::vector<uint32_t>{0x030201, 0x060504}));
}

TEST(ImageWorlds, IndexedBmpWorldHoldsOnlyTheColoursUsed) {
  BmpSpec fileSpec;
  fileSpec.width = 2;
  fileSpec.height = 1;
  fileSpec.bitCount = 4;
  fileSpec.colors = {0x112233, 0x445566};
  fileSpec.colorsUsed = 2;
  fileSpec.pixels = {0x1F, 0, 0, 0};
  Decoded d = Decode(BuildBmp(fileSpec));
  ASSERT_EQ(d.error, kPlatformNoError);
  EXPECT_EQ(d.Map().palette.count, 2);
  EXPECT_EQ(AllStored(d.world.get()), (std::vector<uint32_t>{1, 15}));
  // Index 15 lies past the table: drawn, it reads the map's zero entry behind it (black).
  WorldPtr out = MakeSurface(2, 1, 32);
  ASSERT_EQ(PlatformCopyBits(out.get(), nullptr, 0, d.world.get(), nullptr, nullptr, nullptr), kPlatformNoError);
  EXPECT_EQ(AllStored(out.get()), (std::vector<uint32_t>{0x445566, 0}));
}

TEST(ImageWorlds, GifKeepsItsTransparentEntryInThePaletteAndMakesNoMask) {
  GifSpec fileSpec;
  fileSpec.width = 2;
  fileSpec.height = 1;
  fileSpec.left = 10;
  fileSpec.top = 20;
  fileSpec.globalColors = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
  fileSpec.minimumCodeSize = 2;
  fileSpec.transparentIndex = 1;
  fileSpec.pixels = {1, 3};
  Decoded d = Decode(BuildGif(fileSpec));
  ASSERT_EQ(d.error, kPlatformNoError);
  EXPECT_EQ(d.mask, nullptr);
  EXPECT_EQ(d.mode.kind, kTransferColorKey);
  EXPECT_EQ(d.mode.value[0], 1);
  EXPECT_EQ(d.Map().palette.entries[1].flag, 0);
  EXPECT_EQ(d.Map().palette.entries[3].flag, 255);
  EXPECT_EQ(d.Bounds().left, 10);
  EXPECT_EQ(d.Bounds().top, 20);
  EXPECT_EQ(AllStored(d.world.get()), (std::vector<uint32_t>{1, 3}));
}

TEST(ImageWorlds, PngTransparencyGivesAMaskOnlyWhenTheImageHasSome) {
  PngSpec palette = Png(3, 1, PNG_COLOR_TYPE_PALETTE, {{0, 1, 2}});
  palette.palette = {0xFF0000, 0x00FF00, 0x0000FF};
  palette.transparency = {0, 100};
  Decoded withAlpha = Decode(EncodePng(palette));
  ASSERT_EQ(withAlpha.error, kPlatformNoError);
  ASSERT_NE(withAlpha.mask, nullptr);
  EXPECT_EQ(AllStored(withAlpha.mask.get()), (std::vector<uint32_t>{0, 100, 255}));
  EXPECT_EQ(withAlpha.mode.kind, kTransferBlendMask);
  EXPECT_EQ(withAlpha.mode.value[0], 255);

  palette.transparency.clear();
  Decoded opaque = Decode(EncodePng(palette));
  ASSERT_EQ(opaque.error, kPlatformNoError);
  EXPECT_EQ(opaque.mask, nullptr);
  EXPECT_EQ(opaque.mode.kind, kTransferCopy);

  Decoded rgb = Decode(EncodePng(Png(1, 1, PNG_COLOR_TYPE_RGB, {{1, 2, 3}})));
  ASSERT_EQ(rgb.error, kPlatformNoError);
  EXPECT_EQ(rgb.mask, nullptr);
  EXPECT_EQ(rgb.Map().formatCode, kPixelFormat8888);

  Decoded rgba = Decode(EncodePng(Png(2, 1, PNG_COLOR_TYPE_RGB_ALPHA, {{1, 2, 3, 40, 4, 5, 6, 255}})));
  ASSERT_EQ(rgba.error, kPlatformNoError);
  ASSERT_NE(rgba.mask, nullptr);
  EXPECT_EQ(AllStored(rgba.mask.get()), (std::vector<uint32_t>{40, 255}));
  // The 0x8888 world keeps the file's alpha too, with or without a mask, and through a resize.
  EXPECT_EQ(AllStored(rgba.world.get()), (std::vector<uint32_t>{0x28010203, 0xFF040506}));
  PngSpec wide = Png(2, 1, PNG_COLOR_TYPE_RGB_ALPHA, {{1, 2, 3, 40, 4, 5, 6, 255}});
  wide.hasPhys = true;
  wide.physX = 5670;
  wide.physY = 2835;
  wide.physUnit = PNG_RESOLUTION_METER;
  Decoded noMask = Decode(EncodePng(wide), false);
  ASSERT_EQ(noMask.error, kPlatformNoError);
  EXPECT_EQ(AllStored(noMask.world.get()), (std::vector<uint32_t>{0x28010203, 0x28010203, 0xFF040506, 0xFF040506}));
}

TEST(ImageWorlds, PngAspectResizesAndOffsetMovesTheWorld) {
  PngSpec fileSpec = Png(4, 2, PNG_COLOR_TYPE_GRAY, {Bytes(4, 7), Bytes(4, 7)});
  fileSpec.hasPhys = true;
  fileSpec.physX = 5670;
  fileSpec.physY = 2835;
  fileSpec.physUnit = PNG_RESOLUTION_METER;
  fileSpec.hasOffset = true;
  fileSpec.offsetX = 10;
  fileSpec.offsetY = 20;
  fileSpec.offsetUnit = PNG_OFFSET_PIXEL;
  Decoded d = Decode(EncodePng(fileSpec));
  ASSERT_EQ(d.error, kPlatformNoError);
  const Rect bounds = d.Bounds();
  EXPECT_EQ(bounds.left, 10);
  EXPECT_EQ(bounds.top, 20);
  EXPECT_EQ(bounds.right, 18);
  EXPECT_EQ(bounds.bottom, 22);
}

TEST(ImageWorlds, JpegNeverMakesAMask) {
  Decoded d = Decode(EncodeJpeg(8, 8, 3, Bytes(8 * 8 * 3, 128)));
  ASSERT_EQ(d.error, kPlatformNoError);
  EXPECT_EQ(d.mask, nullptr);
  EXPECT_EQ(d.Map().formatCode, kPixelFormat32);
  EXPECT_EQ(d.info.type, kImageTypeJpeg);
}

TEST(ImageWorlds, PictureIndicesUseThePicturesOwnTable) {
  Bytes ops;
  PutBe16(&ops, 0x0090);
  PutBe16(&ops, 0x8000 | 4);
  const Bytes rects{0, 0, 0, 0, 0, 1, 0, 4};
  ops.insert(ops.end(), rects.begin(), rects.end());
  ops.resize(ops.size() + 36, 0);
  ops[12 + 18 + 1] = 8;  // pixel size, the low byte of its word
  PutBe32(&ops, 0);
  PutBe16(&ops, 0);
  PutBe16(&ops, 0);  // one colour entry
  ops.resize(ops.size() + 8, 0);
  for (int i = 0; i < 2; ++i) ops.insert(ops.end(), rects.begin(), rects.end());
  PutBe16(&ops, 0);
  const Bytes row{5, 6, 7, 8};
  ops.insert(ops.end(), row.begin(), row.end());
  Decoded d = Decode(BuildPict(2, 0, 0, 1, 4, ops));
  ASSERT_EQ(d.error, kPlatformNoError);
  EXPECT_EQ(d.Map().formatCode, kPixelFormat8);
  EXPECT_FALSE(PalettesEqual(&d.Map().palette, &StandardPalette));  // its one entry, black; the rest black too
  EXPECT_EQ(AllStored(d.world.get()), (std::vector<uint32_t>{5, 6, 7, 8}));
  EXPECT_EQ(d.info.type, kImageTypePict);
}

TEST(ImageWorlds, FailuresLeaveNoWorld) {
  Bytes cut = EncodePng(Png(4, 4, PNG_COLOR_TYPE_RGB_ALPHA, std::vector<Bytes>(4, Bytes(16, 9))));
  cut.resize(cut.size() - 30);
  Decoded d = Decode(cut);
  EXPECT_EQ(d.error, kPlatformErrImageData);
  EXPECT_EQ(d.world, nullptr);
  EXPECT_EQ(d.mask, nullptr);
}

}  // namespace
