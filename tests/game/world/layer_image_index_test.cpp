// The layer image index: the images it offers for a box, and when it declines to answer.
#include "game/world/layer_image_index.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "game/graphics/bitmap.h"
#include "platform/core/random.h"

namespace {

std::unique_ptr<Bitmap> Picture(int32_t width, int32_t height) {
  auto bitmap = std::make_unique<Bitmap>();
  bitmap->Create(width, height, OpaqueFormat);
  return bitmap;
}

bool Meets(const PlacedImage& image, int64_t left, int64_t top, int64_t right, int64_t bottom) {
  return image.x < right && image.x + int64_t{image.bitmap->width} > left && image.y < bottom &&
         image.y + int64_t{image.bitmap->height} > top;
}

class LayerImageIndexTest : public ::testing::Test {
 protected:
  void SetUp() override { saved_ = PlatformSetRandomSeed(0x1DE4u); }
  void TearDown() override { PlatformSetRandomSeed(saved_); }
  int32_t In(int32_t low, int32_t high) {
    return low + static_cast<int32_t>(PlatformRandomRange(0, static_cast<uint32_t>(high - low)));
  }

  uint32_t saved_ = 0;
};

// Tiles, tall and wide pictures (some covering many blocks) anywhere on a plane reaching below 0: every image that
// meets a box is offered, in list order, whatever the box.
TEST_F(LayerImageIndexTest, OffersEveryImageThatMeetsTheBoxInListOrder) {
  const std::unique_ptr<Bitmap> pictures[] = {Picture(32, 32), Picture(16, 48), Picture(900, 20), Picture(3, 700),
                                              Picture(1, 1)};
  LayerImageList images;
  for (int32_t i = 0; i < 3000; ++i) {
    images.push_back(PlacedImage{pictures[static_cast<size_t>(In(0, 5))].get(), In(-2000, 6000), In(-500, 3000), i, i});
  }
  LayerImageIndex index;
  ASSERT_TRUE(index.Build(images, 7));
  for (int32_t query = 0; query < 200; ++query) {
    const int64_t left = In(-2500, 6500), top = In(-900, 3500);
    const int64_t right = left + In(1, 1200), bottom = top + In(1, 900);
    const std::vector<const PlacedImage*>* found = index.Find(left, top, right, bottom, 7);
    ASSERT_NE(found, nullptr);
    std::vector<const PlacedImage*> wanted;
    for (const PlacedImage& image : images) {
      if (Meets(image, left, top, right, bottom)) wanted.push_back(&image);
    }
    // Offered in list order (the keys count up), and every image wanted is among them.
    ASSERT_TRUE(std::is_sorted(found->begin(), found->end(),
                               [](const PlacedImage* a, const PlacedImage* b) { return a->bottomKey < b->bottomKey; }));
    for (const PlacedImage* image : wanted) {
      ASSERT_TRUE(std::binary_search(found->begin(), found->end(), image, [](const PlacedImage* a, const PlacedImage* b) {
        return a->bottomKey < b->bottomKey;
      })) << "image " << image->bottomKey << " missing for box " << left << "," << top;
    }
  }
}

TEST_F(LayerImageIndexTest, AnswersOnlyForItsListAsItStood) {
  std::vector<std::unique_ptr<Bitmap>> pictures;
  for (int32_t i = 0; i < 65; ++i) pictures.push_back(Picture(8, 8));
  LayerImageList images;
  for (int32_t i = 0; i < 1023; ++i) images.push_back(PlacedImage{pictures[0].get(), i * 8, 0, i, i});
  LayerImageIndex index;
  EXPECT_FALSE(index.Build(images, 1)) << "a short list is walked";
  images.push_back(PlacedImage{pictures[1].get(), 0, 8, 0, 0});
  ASSERT_TRUE(index.Build(images, 2));
  EXPECT_NE(index.Find(0, 0, 8, 8, 2), nullptr);
  EXPECT_EQ(index.Find(0, 0, 8, 8, 3), nullptr) << "another change number";
  pictures[1]->Create(9, 8, OpaqueFormat);
  EXPECT_EQ(index.Find(0, 0, 8, 8, 2), nullptr) << "a picture changed size";

  for (int32_t i = 0; i < 65; ++i) images.push_back(PlacedImage{pictures[static_cast<size_t>(i)].get(), 0, 16, 0, 0});
  EXPECT_FALSE(index.Build(images, 4)) << "too many pictures to check";
  EXPECT_EQ(index.Find(0, 0, 8, 8, 4), nullptr);
}

}  // namespace
