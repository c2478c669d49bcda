// Run tables of keyed bitmaps: a keyed draw through a table gives the pixels of the same draw without one, for
// every width from 1 to 67 and rectangles cut by both bitmaps; and a table never outlives the pixels it was made
// from, whichever way they change.
#include "game/graphics/key_runs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "game/graphics/bit_mask.h"
#include "game/graphics/bitmap.h"
#include "game/graphics/blitter.h"
#include "tests/support/random_pixels.h"

namespace {

using test_support::RandomPixels;

// A keyed bitmap whose transparent pixels come in runs of 1 to 12.
std::unique_ptr<Bitmap> KeyedPicture(RandomPixels& random, int32_t width, int32_t height, int32_t bytes) {
  auto bitmap = std::make_unique<Bitmap>();
  bitmap->Create(width, height, bytes == 3 ? KeyedFormat : (4 | kFormatKeyFlag));
  const std::vector<uint8_t> noise = random.Bytes(size_t(bitmap->rowBytes) * height);
  std::copy(noise.begin(), noise.end(), bitmap->GetPixels());
  for (int32_t y = 0; y < height; ++y) {
    bool clear = random.OneIn(2);
    for (int32_t x = 0; x < width; ++x) {
      if (random.OneIn(6)) clear = !clear;
      uint8_t* p = bitmap->PixelAt(x, y);
      if (bytes == 3) {
        if (clear) p[0] = p[1] = p[2] = 0xFF;
      } else {
        p[3] = clear ? 0 : std::max<uint8_t>(p[3], 1);
      }
    }
  }
  return bitmap;
}

std::unique_ptr<Bitmap> Copy(const Bitmap& from) {
  auto bitmap = std::make_unique<Bitmap>();
  bitmap->CopyFrom(from);
  return bitmap;
}

std::vector<uint8_t> Pixels(const Bitmap& bitmap) {
  return std::vector<uint8_t>(bitmap.GetPixels(), bitmap.GetPixels() + size_t(bitmap.rowBytes) * bitmap.height);
}

// Draws the picture keyed onto two equal frames, through its table and through a twin without one.
void ExpectSameDraw(const Bitmap& picture, Point point, Bounds rect, RandomPixels& random, const char* what) {
  auto twin = Copy(picture);
  ASSERT_EQ(twin->RunTable(), nullptr);
  Bitmap withTable, without;
  withTable.Create(picture.width + 6, picture.height + 4, picture.BytesPerPixel() == 3 ? OpaqueFormat : 4);
  without.Create(withTable.width, withTable.height, withTable.format);
  const std::vector<uint8_t> start = random.Bytes(size_t(withTable.rowBytes) * withTable.height);
  std::copy(start.begin(), start.end(), withTable.GetPixels());
  std::copy(start.begin(), start.end(), without.GetPixels());
  DrawBitmap(withTable, point, picture, rect);
  DrawBitmap(without, point, *twin, rect);
  ASSERT_EQ(Pixels(withTable), Pixels(without)) << what << ", " << picture.width << " wide";
}

TEST(KeyRuns, DrawsThroughTheTableGiveThePixelsOfKeyedRows) {
  InitBlitter();
  RandomPixels random(41);
  for (int32_t bytes : {3, 4}) {
    for (int32_t width = 1; width <= 67; ++width) {
      auto picture = KeyedPicture(random, width, 5, bytes);
      picture->KeepRunTable();
      ASSERT_NE(picture->RunTable(), nullptr);
      ExpectSameDraw(*picture, Point{3, 2}, picture->Frame(), random, "whole");
      // Cut on every side by the source, and on the right and bottom by the destination.
      ExpectSameDraw(*picture, Point{width / 2 + 4, 1}, Bounds{width / 3, 1, width - width / 3 - width / 4, 3}, random,
                     "cut");
    }
  }
}

TEST(KeyRuns, ChangedPixelsDropTheTable) {
  InitBlitter();
  RandomPixels random(7);
  auto picture = KeyedPicture(random, 40, 6, 3);
  picture->KeepRunTable();
  ExpectSameDraw(*picture, Point{0, 0}, picture->Frame(), random, "first");

  // Through the blitter: opaque white (now transparent) and a drawing over it.
  FillRect(*picture, Bounds{5, 1, 20, 3}, DrawColor{0xFF, 0xFF, 0xFF, 0xFF});
  ExpectSameDraw(*picture, Point{0, 0}, picture->Frame(), random, "filled");
  auto other = KeyedPicture(random, 40, 6, 3);
  DrawBitmap(*picture, Point{3, 0}, *other, Bounds{0, 0, 30, 6});
  ExpectSameDraw(*picture, Point{0, 0}, picture->Frame(), random, "drawn over");
  BitMask mask(40, 6, true);
  for (int32_t x = 0; x < 40; x += 3) mask.SetBit(x, x % 6, false);
  ApplyMask(*picture, Point{0, 0}, mask, 40, 6);
  ExpectSameDraw(*picture, Point{0, 0}, picture->Frame(), random, "masked");

  // Through a view of its pixels.
  Bitmap view;
  view.FromRect(*picture, Bounds{10, 2, 20, 3}, false);
  FillRect(view, Bounds{0, 0, 20, 3}, DrawColor{1, 2, 3, 255});
  ExpectSameDraw(*picture, Point{0, 0}, picture->Frame(), random, "view written");

  // A view cleared, which clears the pixels it shares.
  view.Clear();
  ExpectSameDraw(*picture, Point{0, 0}, picture->Frame(), random, "view cleared");

  // Directly, then told.
  std::fill_n(picture->PixelAt(0, 4), 40 * 3, uint8_t{0x40});
  picture->PixelsChanged();
  ExpectSameDraw(*picture, Point{0, 0}, picture->Frame(), random, "written directly");

  // A new size, and a drawing onto itself.
  picture->Create(33, 4, KeyedFormat);
  FillRect(*picture, Bounds{0, 0, 10, 4}, DrawColor{9, 9, 9, 255});
  ExpectSameDraw(*picture, Point{0, 0}, picture->Frame(), random, "made again");
  auto twin = Copy(*picture);
  DrawBitmap(*picture, Point{2, 1}, *picture, Bounds{0, 0, 30, 3});
  DrawBitmap(*twin, Point{2, 1}, *twin, Bounds{0, 0, 30, 3});
  EXPECT_EQ(Pixels(*picture), Pixels(*twin));
}

TEST(KeyRuns, OnlyKeyedPicturesThatAskKeepATable) {
  RandomPixels random(3);
  auto keyed = KeyedPicture(random, 8, 2, 3);
  EXPECT_EQ(keyed->RunTable(), nullptr);
  keyed->KeepRunTable();
  EXPECT_NE(keyed->RunTable(), nullptr);
  Bitmap opaque;
  opaque.Create(8, 2, OpaqueFormat);
  opaque.KeepRunTable();
  EXPECT_EQ(opaque.RunTable(), nullptr);
  Bitmap view;
  view.FromRect(*keyed, Bounds{0, 0, 4, 2}, false);
  view.KeepRunTable();
  EXPECT_EQ(view.RunTable(), nullptr);
}

}  // namespace
