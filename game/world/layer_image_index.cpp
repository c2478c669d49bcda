// The layer image index: the blocks each image covers, counted and then listed block by block, and the answers
// gathered as marks over the list's order.
#include "game/world/layer_image_index.h"

#include <algorithm>
#include <bit>

#include "game/graphics/bitmap.h"
#include "game/world/world_numbers.h"

namespace {

// More distinct pictures than this cost too much to check at every answer.
constexpr size_t kMaxPictures = 64;
// An image that covers more blocks than this is kept apart and offered with every answer.
constexpr int64_t kMaxBlocksAnImage = 16;
constexpr int64_t kFirstBlock = 128;

}  // namespace

void LayerImageIndex::Reset() {
  built_ = false;
  images_.clear();
  pictures_.clear();
  blockStart_.clear();
  blockImages_.clear();
  wide_.clear();
  marks_.clear();
  found_.clear();
}

bool LayerImageIndex::Build(const LayerImageList& images, uint64_t version) {
  Reset();
  if (images.size() < kMinImages || images.size() > UINT32_MAX) return false;
  int64_t left = INT64_MAX, top = INT64_MAX, right = INT64_MIN, bottom = INT64_MIN;
  for (const PlacedImage& image : images) {
    if (image.bitmap == nullptr) continue;
    const Bitmap* bitmap = image.bitmap;
    if (pictures_.empty() || pictures_.back().bitmap != bitmap) {
      const auto known = std::find_if(pictures_.begin(), pictures_.end(),
                                      [bitmap](const Picture& picture) { return picture.bitmap == bitmap; });
      if (known == pictures_.end()) {
        if (pictures_.size() == kMaxPictures) {
          Reset();
          return false;
        }
        pictures_.push_back(Picture{bitmap, bitmap->width, bitmap->height});
      } else {
        std::iter_swap(known, pictures_.end() - 1);  // the next image most likely shows the same picture
      }
    }
    if (bitmap->width <= 0 || bitmap->height <= 0) continue;  // a picture without area meets nothing
    images_.push_back(&image);
    left = std::min<int64_t>(left, image.x);
    top = std::min<int64_t>(top, image.y);
    right = std::max<int64_t>(right, int64_t{image.x} + bitmap->width);
    bottom = std::max<int64_t>(bottom, int64_t{image.y} + bitmap->height);
  }
  if (images_.empty()) {
    Reset();
    return false;
  }
  // Blocks grow until there are not many more of them than images.
  const int64_t limit = 4 * static_cast<int64_t>(images_.size()) + 4096;
  block_ = kFirstBlock;
  while (((right - left) / block_ + 1) * ((bottom - top) / block_ + 1) > limit) block_ *= 2;
  left_ = left;
  top_ = top;
  columns_ = (right - left - 1) / block_ + 1;
  rows_ = (bottom - top - 1) / block_ + 1;

  // The blocks an image covers, or none when it is kept apart.
  auto blocksOf = [&](const PlacedImage& image, int64_t* c0, int64_t* r0, int64_t* c1, int64_t* r1) {
    *c0 = (image.x - left_) / block_;
    *r0 = (image.y - top_) / block_;
    *c1 = (image.x + int64_t{image.bitmap->width} - 1 - left_) / block_;
    *r1 = (image.y + int64_t{image.bitmap->height} - 1 - top_) / block_;
    return (*c1 - *c0 + 1) * (*r1 - *r0 + 1) <= kMaxBlocksAnImage;
  };
  std::vector<uint32_t> counts(static_cast<size_t>(columns_ * rows_) + 1, 0);
  for (const PlacedImage* image : images_) {
    int64_t c0, r0, c1, r1;
    if (!blocksOf(*image, &c0, &r0, &c1, &r1)) continue;
    for (int64_t r = r0; r <= r1; ++r)
      for (int64_t c = c0; c <= c1; ++c) ++counts[static_cast<size_t>(r * columns_ + c)];
  }
  blockStart_.assign(counts.size(), 0);
  for (size_t i = 1; i < counts.size(); ++i) blockStart_[i] = blockStart_[i - 1] + counts[i - 1];
  blockImages_.resize(blockStart_.back());
  std::fill(counts.begin(), counts.end(), 0);
  for (uint32_t n = 0; n < images_.size(); ++n) {
    int64_t c0, r0, c1, r1;
    if (!blocksOf(*images_[n], &c0, &r0, &c1, &r1)) {
      wide_.push_back(n);
      continue;
    }
    for (int64_t r = r0; r <= r1; ++r) {
      for (int64_t c = c0; c <= c1; ++c) {
        const size_t b = static_cast<size_t>(r * columns_ + c);
        blockImages_[blockStart_[b] + counts[b]++] = n;
      }
    }
  }
  marks_.assign((images_.size() + 63) / 64, 0);
  version_ = version;
  built_ = true;
  return true;
}

const std::vector<const PlacedImage*>* LayerImageIndex::Find(int64_t left, int64_t top, int64_t right, int64_t bottom,
                                                             uint64_t version) {
  if (!Holds(version)) return nullptr;
  for (const Picture& picture : pictures_) {
    if (picture.bitmap->width != picture.width || picture.bitmap->height != picture.height) return nullptr;
  }
  found_.clear();
  size_t first = marks_.size(), last = 0;  // the words of marks_ that were marked
  auto mark = [&](uint32_t n) {
    marks_[n / 64] |= uint64_t{1} << (n % 64);
    first = std::min<size_t>(first, n / 64);
    last = std::max<size_t>(last, n / 64);
  };
  for (uint32_t n : wide_) mark(n);
  if (left < right && top < bottom) {
    const int64_t c0 = std::max<int64_t>(0, FloorDivide(left - left_, block_));
    const int64_t r0 = std::max<int64_t>(0, FloorDivide(top - top_, block_));
    const int64_t c1 = std::min<int64_t>(columns_ - 1, FloorDivide(right - 1 - left_, block_));
    const int64_t r1 = std::min<int64_t>(rows_ - 1, FloorDivide(bottom - 1 - top_, block_));
    for (int64_t r = r0; r <= r1; ++r) {
      for (int64_t c = c0; c <= c1; ++c) {
        const size_t b = static_cast<size_t>(r * columns_ + c);
        for (uint32_t i = blockStart_[b]; i < blockStart_[b + 1]; ++i) mark(blockImages_[i]);
      }
    }
  }
  for (size_t word = first; word <= last && word < marks_.size(); ++word) {
    for (uint64_t bits = marks_[word]; bits != 0; bits &= bits - 1) {
      found_.push_back(images_[word * 64 + static_cast<size_t>(std::countr_zero(bits))]);
    }
    marks_[word] = 0;
  }
  return &found_;
}
