// Pictures imported into bitmaps from picture bytes, the scratch buffer and files: the format chosen for each
// kind of transparency, the pixels as stored, and the names tried for a file.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "game/graphics/bitmap.h"
#include "tests/support/bitmap_pixels.h"
#include "tests/support/file_system_fixture.h"
#include "tests/support/image_fixtures.h"

using test_support::ImportOptionsGuard;
using test_support::RawPixel;

namespace {

// A 2 x 1 BMP of 24 bits: a blue pixel and a white one (white being the key colour of pictures).
Bytes BlueWhiteBmp() {
  BmpSpec fileSpec;
  fileSpec.width = 2;
  fileSpec.height = 1;
  fileSpec.bitCount = 24;
  fileSpec.pixels = PadBmpRows({Bytes{0xFF, 0x00, 0x00, 0xFF, 0xFF, 0xFF}}, true);
  return BuildBmp(fileSpec);
}

// A 3 x 1 GIF over a palette of red, white and green, with the given transparent index. A GIF89a file keeps its
// background colour (index 0 here) out of the picture when it names no transparent colour; a GIF87a file has
// no transparency.
Bytes ThreeColourGif(int transparentIndex, const char* signature = "GIF89a") {
  GifSpec fileSpec;
  fileSpec.signature = signature;
  fileSpec.width = 3;
  fileSpec.height = 1;
  fileSpec.globalColors = {0xFF0000, 0xFFFFFF, 0x00FF00, 0x000000};
  fileSpec.minimumCodeSize = 2;
  fileSpec.transparentIndex = transparentIndex;
  fileSpec.pixels = {0, 1, 2};
  return BuildGif(fileSpec);
}

// A 2 x 1 PNG with alpha: an opaque red pixel and a green one of the given alpha.
Bytes RgbaPng(uint8_t alpha) {
  PngSpec fileSpec;
  fileSpec.width = 2;
  fileSpec.height = 1;
  fileSpec.colorType = 6;
  fileSpec.rows = {Bytes{0xFF, 0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, alpha}};
  return EncodePng(fileSpec);
}

// A 3 x 1 palette PNG of black, red and white whose tRNS gives index 0 the given alpha (the others opaque).
Bytes PalettePng(uint8_t alphaOfIndex0) {
  PngSpec fileSpec;
  fileSpec.width = 3;
  fileSpec.height = 1;
  fileSpec.colorType = 3;
  fileSpec.palette = {0x000000, 0xFF0000, 0xFFFFFF};
  fileSpec.transparency = {alphaOfIndex0};
  fileSpec.rows = {Bytes{0, 1, 2}};
  return EncodePng(fileSpec);
}

// A 10 x 3 RGB PNG whose pixels are twice as wide as high: 5670 by 2835 pixels a metre.
Bytes WidePixelPng() {
  PngSpec fileSpec;
  fileSpec.width = 10;
  fileSpec.height = 3;
  fileSpec.colorType = 2;
  fileSpec.rows.assign(3, Bytes(30, 0x40));
  fileSpec.hasPhys = true;
  fileSpec.physX = 5670;
  fileSpec.physY = 2835;
  fileSpec.physUnit = 1;
  return EncodePng(fileSpec);
}

// A 2 x 1 JPEG of a grey and a white pixel: a 32-bit picture without alpha.
Bytes GreyWhiteJpeg() { return EncodeJpeg(2, 1, 3, Bytes{0x80, 0x80, 0x80, 0xFF, 0xFF, 0xFF}); }

std::unique_ptr<Bitmap> Imported(Bytes bytes) {
  return Bitmap::CreateFromMemory(bytes.data(), static_cast<uint32_t>(bytes.size()));
}

struct PictureCase {
  const char* name;
  Bytes bytes;
  bool detect;
  int32_t format;
  std::vector<uint32_t> pixels;  // the first row as stored
};

TEST(BitmapImport, PicturesTakeTheFormatOfTheirTransparency) {
  const PictureCase cases[] = {
      {"bmp_white_is_the_key", BlueWhiteBmp(), true, 99, {0x0000FF, 0xFFFFFF}},
      {"bmp_with_detection_off", BlueWhiteBmp(), false, 67, {0x0000FF, 0xFFFFFF}},
      {"gif87a_without_key", ThreeColourGif(-1, "GIF87a"), true, 67, {0xFF0000, 0xFFFFFF, 0x00FF00}},
      {"gif89a_background_keyed", ThreeColourGif(-1), true, 99, {0xFFFFFF, 0xFEFEFE, 0x00FF00}},
      {"gif_key_becomes_white_and_white_stays_visible", ThreeColourGif(2), true, 99, {0xFF0000, 0xFEFEFE, 0xFFFFFF}},
      {"gif_with_detection_off", ThreeColourGif(2), false, 67, {0xFF0000, 0xFFFFFF, 0x00FF00}},
      {"png_opaque", RgbaPng(255), true, 67, {0xFF0000, 0x00FF00}},
      {"png_clear_pixel_keys", RgbaPng(0), true, 99, {0xFF0000, 0xFFFFFF}},
      {"png_partial_alpha", RgbaPng(128), true, 84, {0xFFFF0000, 0x8000FF00}},
      // A palette PNG's tRNS reaches the import through the mask world: alpha 0 keys, any other partial alpha
      // makes an alpha picture.
      {"palette_png_transparent_index_keys", PalettePng(0), true, 99, {0xFFFFFF, 0xFF0000, 0xFEFEFE}},
      {"palette_png_partial_index", PalettePng(128), true, 84, {0x80000000, 0xFFFF0000, 0xFFFFFFFF}},
      {"palette_png_opaque_tRNS", PalettePng(255), true, 67, {0x000000, 0xFF0000, 0xFFFFFF}},
      // The fourth byte of a JPEG's world is no alpha: the picture is opaque but for its pure white.
      {"jpeg_white_is_the_key", GreyWhiteJpeg(), true, 99, {0x808080, 0xFFFFFF}},
  };
  for (const PictureCase& c : cases) {
    ImportOptionsGuard options(c.detect ? kDetectTransparency : 0);
    auto bitmap = Imported(c.bytes);
    ASSERT_NE(bitmap, nullptr) << c.name;
    EXPECT_EQ(bitmap->format, c.format) << c.name;
    ASSERT_EQ(bitmap->width, static_cast<int32_t>(c.pixels.size())) << c.name;
    for (size_t x = 0; x < c.pixels.size(); ++x) {
      EXPECT_EQ(RawPixel(*bitmap, static_cast<int32_t>(x), 0), c.pixels[x]) << c.name << " pixel " << x;
    }
  }
}

TEST(BitmapImport, TheBitmapTakesTheSizeOfTheAspectCorrectedWorld) {
  auto bitmap = Imported(WidePixelPng());
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(bitmap->width, 20);
  EXPECT_EQ(bitmap->height, 3);
  EXPECT_EQ(RawPixel(*bitmap, 19, 2), 0x404040u);
}

TEST(BitmapImport, UndecodableBytesLeaveTheBitmapAsItWas) {
  Bytes garbage(64, 0x5A);
  EXPECT_EQ(Imported(garbage), nullptr);
  Bytes truncated = BlueWhiteBmp();
  truncated.resize(20);
  EXPECT_EQ(Imported(truncated), nullptr);
  EXPECT_EQ(Bitmap::CreateFromMemory(nullptr, 10), nullptr);

  auto bitmap = test_support::FilledBitmap(2, 2, 67, 0x123456);
  PlatformHandle* handle = PlatformHandle::FromBytes(garbage.data(), static_cast<uint32_t>(garbage.size()));
  EXPECT_EQ(bitmap->ImportImage(handle), kBitmapReady);
  EXPECT_EQ(RawPixel(*bitmap, 1, 1), 0x123456u);
  PlatformHandle::Dispose(handle);
  Bitmap fresh;
  EXPECT_EQ(fresh.ImportImage(nullptr), kBitmapBadSize);
}

TEST(BitmapImport, ScratchBufferIsResizedOnlyOutsideHalfToDouble) {
  ReleaseScratchBuffer();
  ASSERT_NE(GetScratchBuffer(3000), nullptr);
  ASSERT_NE(GetScratchBuffer(1000), nullptr);
  EXPECT_EQ(ScratchBufferSize(), 1000u);
  ASSERT_NE(GetScratchBuffer(2000), nullptr);
  EXPECT_EQ(ScratchBufferSize(), 2000u);
  ASSERT_NE(GetScratchBuffer(1000), nullptr);
  EXPECT_EQ(ScratchBufferSize(), 2000u);
  EXPECT_EQ(GetScratchBuffer(0), nullptr);
  ReleaseScratchBuffer();
  EXPECT_EQ(ScratchBufferSize(), 0u);
  Bitmap bitmap;
  EXPECT_EQ(bitmap.ImportFromScratch(), kBitmapNothingToImport);
  EXPECT_EQ(Bitmap::CreateFromImportBuffer(), nullptr);
}

TEST(BitmapImport, LargeScratchBufferIsReleasedByTheImport) {
  ReleaseScratchBuffer();
  const Bytes picture = BlueWhiteBmp();
  uint8_t* buffer = GetScratchBuffer(2u << 20);
  ASSERT_NE(buffer, nullptr);
  std::memcpy(buffer, picture.data(), picture.size());
  auto bitmap = Bitmap::CreateFromImportBuffer();
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(bitmap->width, 2);
  EXPECT_EQ(ScratchBufferSize(), 0u);
  // A small one is kept for the next picture.
  EXPECT_NE(Imported(picture), nullptr);
  EXPECT_EQ(ScratchBufferSize(), picture.size());
  ReleaseScratchBuffer();
}

using BitmapFiles = FileSystemTest;

TEST_F(BitmapFiles, NamesAreTriedWithEachExtension) {
  const Bytes gif = ThreeColourGif(-1);
  temp_.WriteFile("hero.gif", std::string(gif.begin(), gif.end()));
  const Bytes bmp = BlueWhiteBmp();
  temp_.WriteFile("door.bmp", std::string(bmp.begin(), bmp.end()));

  Bitmap hero;
  EXPECT_EQ(hero.LoadByName(TextOf("hero").c_str()), kBitmapReady);
  EXPECT_EQ(hero.width, 3);
  Bitmap door;
  EXPECT_EQ(door.LoadByName(TextOf("door.gif").c_str()), kBitmapReady);
  EXPECT_EQ(door.width, 2);
  auto direct = Bitmap::CreateFromFile(TextOf("door.bmp").c_str());
  ASSERT_NE(direct, nullptr);
  EXPECT_EQ(direct->width, 2);

  Bitmap missing;
  EXPECT_EQ(missing.LoadByName(TextOf("missing").c_str()), kBitmapNothingToImport);
  EXPECT_EQ(missing.LoadByName(nullptr), kBitmapNothingToImport);
  EXPECT_EQ(Bitmap::CreateFromFile(TextOf("missing").c_str()), nullptr);
}

TEST_F(BitmapFiles, UndecodableFileGivesNoBitmap) {
  temp_.WriteFile("broken.png", "not a picture at all");
  Bitmap bitmap;
  EXPECT_EQ(bitmap.LoadByName(TextOf("broken").c_str()), kBitmapBadSize);
  EXPECT_EQ(Bitmap::CreateFromFile(TextOf("broken").c_str()), nullptr);
}

}  // namespace
