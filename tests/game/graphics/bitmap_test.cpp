// Bitmaps: creation and status, views and copies, the import of decoded pixels with the choice of format, and
// the names tried for a picture file.
#include "game/graphics/bitmap.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "game/graphics/blitter.h"
#include "tests/support/bitmap_pixels.h"

using test_support::FilledBitmap;
using test_support::PatternBitmap;
using test_support::ImportOptionsGuard;
using test_support::RawPixel;

namespace {

TEST(Bitmap, StockFormats) {
  EXPECT_EQ(OpaqueFormat, 67);
  EXPECT_EQ(KeyedFormat, 99);
  EXPECT_EQ(AlphaFormat, 84);
}

struct CreateCase {
  const char* name;
  int32_t width;
  int32_t height;
  int32_t format;
  BitmapStatus status;
  int32_t rowBytes;
};

TEST(Bitmap, CreateGivesStatusBySizeAndFormat) {
  const CreateCase cases[] = {
      {"opaque", 5, 3, 67, kBitmapReady, 15},
      {"keyed", 5, 3, 99, kBitmapReady, 15},
      {"alpha", 5, 3, 84, kBitmapReady, 20},
      {"two_bytes", 5, 3, 2, kBitmapReady, 10},
      {"zero_width", 0, 3, 67, kBitmapBadSize, 0},
      {"negative_height", 5, -1, 67, kBitmapBadSize, 0},
      {"one_byte", 5, 3, 65, kBitmapBadSize, 0},
      {"five_bytes", 5, 3, 69, kBitmapBadSize, 0},
      // Sizes are computed in 64 bits; a block over the ceiling fails cleanly.
      {"over_ceiling", 100000, 100000, 84, kBitmapBadSize, 0},
      {"row_past_32_bits", INT32_MAX, 1, 84, kBitmapBadSize, 0},
  };
  for (const CreateCase& c : cases) {
    Bitmap bitmap;
    EXPECT_EQ(bitmap.Create(c.width, c.height, c.format), c.status) << c.name;
    EXPECT_EQ(bitmap.Status(), c.status) << c.name;
    if (c.status == kBitmapReady) {
      EXPECT_EQ(bitmap.rowBytes, c.rowBytes) << c.name;
      ASSERT_NE(bitmap.GetPixels(), nullptr) << c.name;
      EXPECT_EQ(bitmap.state, Bitmap::kSizeValid | Bitmap::kAllocated | Bitmap::kLocked) << c.name;
      // Fresh pixels are zero.
      EXPECT_EQ(RawPixel(bitmap, c.width - 1, c.height - 1), 0u) << c.name;
    } else {
      EXPECT_EQ(bitmap.GetPixels(), nullptr) << c.name;
      FillRect(bitmap, Bounds{0, 0, 10, 10}, DrawColor::FromValue(0xFFFFFFFF));
    }
  }
}

TEST(Bitmap, LockUnlockAndClear) {
  auto bitmap = FilledBitmap(4, 2, 67, 0x123456);
  bitmap->Unlock();
  EXPECT_EQ(bitmap->GetPixels(), nullptr);
  bitmap->Clear();  // does nothing while unlocked
  bitmap->Lock();
  ASSERT_NE(bitmap->GetPixels(), nullptr);
  EXPECT_EQ(RawPixel(*bitmap, 3, 1), 0x123456u);
  bitmap->Clear();
  EXPECT_EQ(RawPixel(*bitmap, 3, 1), 0u);
}

TEST(Bitmap, FreeEmptiesTheBitmap) {
  auto bitmap = FilledBitmap(4, 2, 84, 0);
  bitmap->Free();
  EXPECT_EQ(bitmap->state, 0);
  EXPECT_EQ(bitmap->format, 0);
  EXPECT_EQ(bitmap->GetPixels(), nullptr);
  EXPECT_EQ(bitmap->Status(), kBitmapBadSize);
}

TEST(Bitmap, PixelMemoryIsCountedWhileHeld) {
  const uint32_t blocks = MemHandle::LiveBlockCount();
  const uint32_t bytes = MemHandle::LiveByteCount();
  {
    Bitmap bitmap;
    bitmap.Create(10, 4, 84);
    EXPECT_EQ(MemHandle::LiveBlockCount(), blocks + 1);
    EXPECT_EQ(MemHandle::LiveByteCount(), bytes + 160);
    Bitmap view;
    view.FromRect(bitmap, Bounds{1, 1, 2, 2}, false);
    EXPECT_EQ(MemHandle::LiveBlockCount(), blocks + 1);  // a view owns nothing
    bitmap.Create(3, 3, 67);  // the previous block is released first
    EXPECT_EQ(MemHandle::LiveBlockCount(), blocks + 1);
    EXPECT_EQ(MemHandle::LiveByteCount(), bytes + 27);
  }
  EXPECT_EQ(MemHandle::LiveBlockCount(), blocks);
  EXPECT_EQ(MemHandle::LiveByteCount(), bytes);
}

TEST(Bitmap, ViewSharesTheSourcePixels) {
  auto source = FilledBitmap(100, 40, 67 | 8, 0);
  Bitmap view;
  ASSERT_EQ(view.FromRect(*source, Bounds{10, 20, 5, 5}, false), kBitmapReady);
  EXPECT_EQ(view.rowBytes, 300);
  EXPECT_EQ(view.GetPixels(), source->GetPixels() + 20 * 300 + 30);
  EXPECT_EQ(view.format, 67);  // flag 8 is cleared on views
  EXPECT_FALSE(view.ownsPixels);
  // An unlocked view gets its pixels back when locked again.
  view.Unlock();
  view.Lock();
  EXPECT_EQ(view.GetPixels(), source->GetPixels() + 20 * 300 + 30);
  view.Free();
  EXPECT_NE(source->GetPixels(), nullptr);
}

TEST(Bitmap, ViewIsClippedToTheSource) {
  auto source = PatternBitmap(10, 8, 67);
  Bitmap view;
  ASSERT_EQ(view.FromRect(*source, Bounds{7, -2, 6, 5}, false), kBitmapReady);
  EXPECT_EQ(view.width, 3);
  EXPECT_EQ(view.height, 3);
  EXPECT_EQ(view.GetPixels(), source->PixelAt(7, 0));
  // Drawing through the view stays inside it.
  FillRect(view, Bounds{0, 0, 100, 100}, DrawColor::FromValue(0));
  EXPECT_EQ(RawPixel(*source, 9, 2), 0u);
  EXPECT_NE(RawPixel(*source, 9, 3), 0u);
  EXPECT_NE(RawPixel(*source, 6, 0), 0u);
  Bitmap outside;
  EXPECT_EQ(outside.FromRect(*source, Bounds{20, 0, 5, 5}, false), kBitmapBadSize);
}

TEST(Bitmap, ViewClearTouchesOnlyItsRectangle) {
  auto source = FilledBitmap(6, 4, 67, 0x111111);
  Bitmap view;
  view.FromRect(*source, Bounds{1, 1, 2, 2}, false);
  view.Clear();
  EXPECT_EQ(RawPixel(*source, 1, 1), 0u);
  EXPECT_EQ(RawPixel(*source, 2, 2), 0u);
  EXPECT_EQ(RawPixel(*source, 3, 1), 0x111111u);
  EXPECT_EQ(RawPixel(*source, 1, 3), 0x111111u);
}

TEST(Bitmap, CopyOwnsItsPixels) {
  auto source = PatternBitmap(7, 5, 84);
  Bitmap copy;
  ASSERT_EQ(copy.CopyFrom(*source), kBitmapReady);
  EXPECT_TRUE(copy.ownsPixels);
  EXPECT_EQ(copy.format, 84);
  EXPECT_NE(copy.GetPixels(), source->GetPixels());
  for (int32_t y = 0; y < 5; ++y) {
    for (int32_t x = 0; x < 7; ++x) ASSERT_EQ(RawPixel(copy, x, y), RawPixel(*source, x, y));
  }
  Bitmap part;
  ASSERT_EQ(part.FromRect(*source, Bounds{5, 3, 4, 4}, true), kBitmapReady);
  EXPECT_EQ(part.width, 2);
  EXPECT_EQ(part.height, 2);
  EXPECT_EQ(RawPixel(part, 1, 1), RawPixel(*source, 6, 4));
}

// ---- Import of decoded pixels.

// A 32-bit image of 3 x 2 pixels, all opaque grey, with one pixel replaced.
std::vector<uint8_t> Image32(uint32_t changed) {
  std::vector<uint8_t> bytes;
  for (int i = 0; i < 6; ++i) {
    uint32_t value = i == 4 ? changed : 0xFF808080;
    for (int k = 0; k < 4; ++k) bytes.push_back(static_cast<uint8_t>(value >> (8 * k)));
  }
  return bytes;
}

ImagePixels Pixels(int32_t width, int32_t height, int32_t bitsPerPixel, const uint8_t* pixels, int64_t rowBytes) {
  ImagePixels image;
  image.width = width;
  image.height = height;
  image.bitsPerPixel = bitsPerPixel;
  image.pixels = pixels;
  image.rowBytes = rowBytes;
  return image;
}

ImagePixels Pixels32(const std::vector<uint8_t>& bytes) { return Pixels(3, 2, 32, bytes.data(), 12); }

struct FormatCase {
  const char* name;
  uint32_t changed;
  bool detect;
  int32_t format;
  uint32_t changedStored;  // the changed pixel as stored
};

TEST(BitmapImport, FormatFollowsTheTransparencyFound) {
  const FormatCase cases[] = {
      {"all_opaque", 0xFF102030, true, 67, 0x102030},
      {"white_opaque_keys", 0xFFFFFFFF, true, 99, 0xFFFFFF},
      {"alpha_zero_keys_as_white", 0x00102030, true, 99, 0xFFFFFF},
      {"alpha_half_is_partial", 0x80102030, true, 84, 0x80102030},
      {"detection_off", 0x80102030, false, 67, 0x102030},
      {"detection_off_white", 0xFFFFFFFF, false, 67, 0xFFFFFF},
  };
  for (const FormatCase& c : cases) {
    ImportOptionsGuard options(c.detect ? kDetectTransparency : 0);
    auto bytes = Image32(c.changed);
    Bitmap bitmap;
    ASSERT_EQ(bitmap.ImportPixels(Pixels32(bytes)), kBitmapReady) << c.name;
    EXPECT_EQ(bitmap.format, c.format) << c.name;
    EXPECT_EQ(bitmap.width, 3) << c.name;
    EXPECT_EQ(RawPixel(bitmap, 1, 1), c.changedStored) << c.name;
    EXPECT_EQ(RawPixel(bitmap, 0, 0) & 0xFFFFFF, 0x808080u) << c.name;
  }
}

TEST(BitmapImport, PartialAlphaWinsOverEarlierTransparency) {
  auto bytes = Image32(0x80102030);
  bytes[0] = bytes[1] = bytes[2] = bytes[3] = 0xFF;  // a white opaque pixel first
  Bitmap bitmap;
  bitmap.ImportPixels(Pixels32(bytes));
  EXPECT_EQ(bitmap.format, 84);
}

TEST(BitmapImport, SixteenBitPixelsExpandAndKeepTheirKey) {
  // 0x7FFF is transparent in 16-bit images; it must stay the key after expansion.
  const uint8_t bytes[] = {0xFF, 0x7F, 0x00, 0xF8, 0xFF, 0xFF, 0x00, 0x00};
  Bitmap bitmap;
  const ImagePixels image = Pixels(2, 2, 16, bytes, 4);
  ASSERT_EQ(bitmap.ImportPixels(image), kBitmapReady);
  EXPECT_EQ(bitmap.format, 99);
  EXPECT_EQ(RawPixel(bitmap, 0, 0), 0xFFFFFFu);
  EXPECT_EQ(RawPixel(bitmap, 1, 0), 0xFF0000u);
  EXPECT_EQ(RawPixel(bitmap, 0, 1), 0xFFFFFFu);
  EXPECT_EQ(RawPixel(bitmap, 1, 1), 0x000000u);
}

struct IndexedCase {
  const char* name;
  int32_t transparentIndex;
  uint8_t flagOfIndex2;  // the palette flag of red: 0 marks the transparent colour
  bool detect;
  int32_t format;
  uint32_t atIndex2;  // pixel of index 2 (red)
  uint32_t atIndex1;  // pixel of index 1 (white)
};

TEST(BitmapImport, IndexedPixelsExpandThroughThePalette) {
  const IndexedCase cases[] = {
      {"transparent_index_keys", 2, 255, true, 99, 0xFFFFFF, 0xFEFEFE},
      {"cleared_flag_keys", -1, 0, true, 99, 0xFFFFFF, 0xFEFEFE},
      {"transparent_index_unused", 7, 255, true, 67, 0xFF0000, 0xFFFFFF},
      {"no_transparent_index", -1, 255, true, 67, 0xFF0000, 0xFFFFFF},
      {"detection_off", 2, 0, false, 67, 0xFF0000, 0xFFFFFF},
  };
  std::vector<PaletteEntry> palette(256);
  palette[1] = PaletteEntry{255, 0xFF, 0xFF, 0xFF};
  const uint8_t pixels[] = {0, 1, 2, 0, 2, 1, 0, 0};
  for (const IndexedCase& c : cases) {
    ImportOptionsGuard options(c.detect ? kDetectTransparency : 0);
    palette[2] = PaletteEntry{c.flagOfIndex2, 0xFF, 0x00, 0x00};
    ImagePixels image = Pixels(3, 2, 8, pixels, 4);
    image.palette = palette.data();
    image.transparentIndex = c.transparentIndex;
    Bitmap bitmap;
    ASSERT_EQ(bitmap.ImportPixels(image), kBitmapReady) << c.name;
    EXPECT_EQ(bitmap.format, c.format) << c.name;
    EXPECT_EQ(RawPixel(bitmap, 0, 0), 0u) << c.name;
    EXPECT_EQ(RawPixel(bitmap, 1, 0), c.atIndex1) << c.name;
    EXPECT_EQ(RawPixel(bitmap, 2, 0), c.atIndex2) << c.name;
    EXPECT_EQ(RawPixel(bitmap, 0, 1), c.atIndex2) << c.name;
  }
}

TEST(BitmapImport, AlphaMaskDecidesFormatAndAlpha) {
  auto bytes = Image32(0xFF102030);
  const uint8_t mask[] = {255, 128, 0, 255, 255, 255};
  ImagePixels image = Pixels32(bytes);
  image.alphaMask = mask;
  image.alphaMaskRowBytes = 3;
  Bitmap bitmap;
  ASSERT_EQ(bitmap.ImportPixels(image), kBitmapReady);
  EXPECT_EQ(bitmap.format, 84);
  EXPECT_EQ(RawPixel(bitmap, 1, 0), 0x80808080u);
  EXPECT_EQ(RawPixel(bitmap, 2, 0), 0x00808080u);

  const uint8_t holes[] = {255, 0, 255, 255, 255, 255};
  image.alphaMask = holes;
  Bitmap keyed;
  ASSERT_EQ(keyed.ImportPixels(image), kBitmapReady);
  EXPECT_EQ(keyed.format, 99);
  EXPECT_EQ(RawPixel(keyed, 1, 0), 0xFFFFFFu);
  EXPECT_EQ(RawPixel(keyed, 0, 0), 0x808080u);
}

TEST(BitmapImport, UnusableImagesLeaveTheBitmapAsItWas) {
  auto bytes = Image32(0xFF102030);
  std::vector<ImagePixels> bad(6, Pixels32(bytes));
  bad[0].pixels = nullptr;
  bad[1].bitsPerPixel = 12;
  bad[2].rowBytes = 11;
  bad[3].width = 0;
  bad[4].bitsPerPixel = 8;  // no palette
  bad[5].alphaMask = bytes.data();
  bad[5].alphaMaskRowBytes = 2;
  for (size_t i = 0; i < bad.size(); ++i) {
    Bitmap fresh;
    EXPECT_EQ(fresh.ImportPixels(bad[i]), kBitmapBadSize) << i;
    auto existing = FilledBitmap(2, 2, 67, 0x123456);
    EXPECT_EQ(existing->ImportPixels(bad[i]), kBitmapReady) << i;
    EXPECT_EQ(RawPixel(*existing, 1, 1), 0x123456u) << i;
  }
}

TEST(BitmapImport, ImageTooLargeFailsBeforeReadingAPixel) {
  // The dimensions claim 16 GiB of pixels over a buffer of one row: the import must refuse it without reading.
  std::vector<uint8_t> row(4 * 16);
  const ImagePixels image = Pixels(1 << 16, 1 << 16, 32, row.data(), int64_t{4} << 16);
  Bitmap fresh;
  EXPECT_EQ(fresh.ImportPixels(image), kBitmapBadSize);
  EXPECT_EQ(fresh.GetPixels(), nullptr);
}

TEST(Bitmap, PictureNamesTriedInOrder) {
  EXPECT_EQ(PictureNameCandidates("hero"),
            (std::vector<std::string>{"hero", "hero.png", "hero.gif", "hero.bmp", "hero.jpg", "hero.pct"}));
  EXPECT_EQ(PictureNameCandidates("door.gif"), (std::vector<std::string>{"door.gif", "door.png", "door.gif",
                                                                         "door.bmp", "door.jpg", "door.pct"}));
  EXPECT_EQ(PictureNameCandidates("map.jpeg")[1], "map.jpng");
  EXPECT_EQ(PictureNameCandidates("a.b").size(), 6u);
  EXPECT_EQ(PictureNameCandidates("a.")[1], "png");  // a name shorter than an extension gives way whole
}

}  // namespace
