// LayerImageIndex: where the images of a long image list lie, so that drawing a layer finds the few images that
// meet the damaged part of the view without walking all of them. A map's ground holds one image per cell (65,536
// on a map of 256 x 256 cells), of which one screen shows some 300.
//
// The index describes the list as it stood when it was built: which images cover each block of the layer, from
// their positions and the sizes of their pictures. It answers only while the list is that same list (the layer
// numbers its changes) and every picture still has the size it had (checked at each answer, over the few distinct
// pictures of such a list); otherwise the layer walks its list.
#pragma once

#include <cstdint>
#include <vector>

#include "game/world/scene_layer.h"

class Bitmap;

class LayerImageIndex {
 public:
  // Lists shorter than this cost less to walk than to index.
  static constexpr size_t kMinImages = 1024;

  // Indexes the list as it stands in its change number `version`; false (and no index) when the list does not
  // suit one: too short, or too many distinct pictures to check at each answer.
  bool Build(const LayerImageList& images, uint64_t version);
  void Reset();
  bool Holds(uint64_t version) const { return built_ && version_ == version; }

  // The images, in list order, that may meet the box [left, right) x [top, bottom) (layer coordinates): every
  // image with a picture whose rectangle meets the box is among them. Null when the index does not answer for the
  // list in this change number or a picture has changed size since it was built.
  const std::vector<const PlacedImage*>* Find(int64_t left, int64_t top, int64_t right, int64_t bottom,
                                              uint64_t version);

 private:
  struct Picture {
    const Bitmap* bitmap;
    int32_t width;
    int32_t height;
  };

  bool built_ = false;
  uint64_t version_ = 0;
  std::vector<const PlacedImage*> images_;  // the images whose picture has area, in list order
  std::vector<Picture> pictures_;           // their distinct pictures and the sizes they had
  int64_t left_ = 0, top_ = 0;              // the corner of block (0, 0), layer coordinates
  int64_t block_ = 0;                       // the side of a block in pixels
  int64_t columns_ = 0, rows_ = 0;
  std::vector<uint32_t> blockStart_;       // per block (row by row), where its images begin in blockImages_
  std::vector<uint32_t> blockImages_;      // indices into images_
  std::vector<uint32_t> wide_;             // images covering too many blocks to list in each
  std::vector<uint64_t> marks_;            // one bit per image, for an answer
  std::vector<const PlacedImage*> found_;  // the last answer
};
