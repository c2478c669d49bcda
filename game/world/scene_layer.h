// SceneLayer: one sheet of the game view. A layer holds images placed at positions (bitmaps it does not own),
// adds the damage its changes cause to the view's update region, and draws the images that meet that region into
// the back buffer when the view asks. Everything the game shows is an image on some layer: the map's ground,
// sprites, the glyphs of text labels, the status panel, dialog pictures.
//
// Coordinates. The layer's rectangle places it; image positions are relative to the layer. A layer of mode 1 is
// fixed on the screen: the view's scroll origin is added to its positions, so it never scrolls. Any other mode is
// part of the map: the view's screen origin is added, and the layer scrolls with the map. The world rectangle of
// an image is {layer x + image x + origin x, layer y + image y + origin y, width, height}.
//
// Two timed transitions apply to images as they are placed: while the move mode is set, placed images join the
// newest move (they slide by a distance over a number of frames, then vanish); while the fade mode is set, copies
// of them join the newest fade (they lose opacity over a number of frames, then vanish). The view runs both once
// a frame (Animate).
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <vector>

#include "game/graphics/bounds.h"
#include "game/graphics/region.h"
#include "host/types.h"

class Bitmap;
class LayerImageIndex;
class SceneView;

// An entry of a layer's image list. Sort keys: in mode 2 the image's bottom and right edges, so that images lower
// on the map are drawn over those above them; in any other mode both are the number of images the layer held when
// the image was placed.
struct PlacedImage {
  Bitmap* bitmap = nullptr;
  int32_t x = 0;
  int32_t y = 0;
  int32_t bottomKey = 0;
  int32_t rightKey = 0;
};
using LayerImageList = std::list<PlacedImage>;
// Entries stay valid while other entries come and go and while the list is sorted; Clear and Destroy end them all.
using LayerEntry = LayerImageList::iterator;

class SceneLayer {
 public:
  static constexpr int32_t kScreenMode = 1;
  static constexpr int32_t kMapMode = 2;
  // Step counts of moves stop here (half an hour of frames), so that a crawl at a tiny speed still ends.
  static constexpr uint32_t kMaxMoveSteps = 54000;

  // An image of a running transition, and its entry once the transition has put it on the list.
  struct TransitionItem {
    PlacedImage image;
    bool placed = false;
    LayerEntry entry;
  };
  using MoveItem = TransitionItem;
  struct LayerMove {
    std::vector<MoveItem> items;
    float offsetX = 0.0f;
    float offsetY = 0.0f;
    uint32_t stepsDone = 0;
    uint32_t stepCount = 0;
    float stepX = 0.0f;
    float stepY = 0.0f;
  };
  // The image of a fade item is a faded copy (owned, per-pixel alpha) of the source.
  struct FadeItem : TransitionItem {
    std::unique_ptr<Bitmap> copy;
    const Bitmap* source = nullptr;
  };
  struct LayerFade {
    std::vector<FadeItem> items;
    uint32_t stepsDone = 0;
    uint32_t stepCount = 0;
    float level = 255.0f;
    float levelStep = 0.0f;
  };

  // Layers are made by the view (SceneView::AddLayer), which lists them and gives them its shared values.
  SceneLayer(SceneView& view, const Bounds& rect, int32_t mode);
  ~SceneLayer();
  SceneLayer(const SceneLayer&) = delete;
  SceneLayer& operator=(const SceneLayer&) = delete;

  // Clears the layer, then drops the running moves and fades with their faded copies.
  void Destroy();
  // Damages the whole layer and empties it: no current image, no images, no alpha or mask regions. Images of
  // running moves and fades are no longer on the list; the transitions go on and place them again.
  void Clear();

  // Makes a bitmap the one the next placement uses (null is ignored).
  void SetImage(Bitmap* image);
  Bitmap* CurrentImage() const { return currentImage_; }
  // Places the current image at (x, y): into the newest move or fade while their mode is set, else on the list,
  // damaging its world rectangle when that is visible. The entry, or NoEntry() when nothing was listed.
  LayerEntry PlaceImage(int32_t x, int32_t y);
  // The same, but the given world rectangle is what is damaged (visible or not), and a faded copy takes its size.
  LayerEntry PlaceImageInRect(int32_t x, int32_t y, const Bounds& rect);
  // Removes an entry, damaging its rectangle; nothing for NoEntry() or on an empty list.
  void EraseImage(LayerEntry entry);
  LayerEntry NoEntry() { return images_.end(); }
  bool IsEntry(LayerEntry entry) { return entry != images_.end(); }

  // Damages a rectangle given in layer coordinates.
  void InvalidateRect(const Bounds& rect);
  // Damages the layer's opaque mask region when it has one, else the rectangle of every image.
  void InvalidateAll();
  // Dirty, or a move or a fade is running.
  bool IsBusy() const;

  // Begins a move by (dx, dy) at a speed in pixels a frame, and sets the move mode. A move of no distance or at a
  // speed of 0 or less has no steps: its images show once where they were placed and go at the next frame.
  void StartMove(int32_t dx, int32_t dy, float speed);
  void ClearMoveFlag() { moveMode_ = false; }
  // Begins a fade over so many frames and sets the fade mode; 0 frames remove its images at the first frame.
  void StartFade(uint32_t steps);
  void ClearFadeFlag() { fadeMode_ = false; }
  // One frame of the moves, then of the fades.
  void Animate();

  // Stable sort of the images by bottom key, then right key.
  void SortImages();
  // Rebuilds mask region A (the transparent parts) and B (the opaque parts) from the images' pictures.
  void RebuildMaskRegions();
  // Adds mask region A to the update region, unless it is empty or the layer is dirty and force is false.
  void AddMaskRegion(Region& updateRegion, bool force);
  // Adds the rectangles of the images with per-pixel alpha to the update region, so that they are redrawn on
  // every update (nothing for mode 1).
  void AddAlphaRegion();
  // Draws the images that meet the update region into the target, widening the region to what each draws.
  void Draw(Bitmap& target);

  const Bounds& Rect() const { return rect_; }
  int32_t Mode() const { return mode_; }
  bool IsDirty() const { return dirty_; }
  bool IsVisible() const { return visible_; }
  void SetVisible(bool visible);
  void MarkDirty() { dirty_ = true; }
  const LayerImageList& Images() const { return images_; }
  const std::list<LayerMove>& Moves() const { return moves_; }
  const std::list<LayerFade>& Fades() const { return fades_; }
  bool IsMoveMode() const { return moveMode_; }
  bool IsFadeMode() const { return fadeMode_; }
  const Region& MaskRegionA() const { return maskA_; }
  const Region& MaskRegionB() const { return maskB_; }
  const Region& AlphaRegion() const { return alpha_; }

  // What the positions of this layer are moved by into world coordinates: the scroll origin for mode 1, the
  // screen rectangle's origin otherwise.
  Point Origin() const;
  // The world rectangle of a bitmap placed at (x, y) on this layer.
  Bounds WorldRect(const Bitmap& bitmap, int32_t x, int32_t y) const;

  // A number no other layer of the run has, and one that changes whenever the layer's entries all end (Clear);
  // holders of an entry keep both to learn whether it still stands.
  uint64_t Serial() const { return serial_; }
  uint64_t Epoch() const { return epoch_; }

 private:
  LayerEntry Place(int32_t x, int32_t y, const Bounds* damage);
  void Invalidate(const Bounds& world);
  void InvalidateEntry(const PlacedImage& image);
  void RemoveEntry(LayerEntry entry);
  void StepMoves();
  void StepFades();
  void Keys(const Bitmap& bitmap, int32_t x, int32_t y, int32_t* bottom, int32_t* right) const;
  // The image list has changed: an index of it no longer holds.
  void ListChanged() { ++listChanges_; }
  // The images that may meet the world rectangle, in list order, from the index of a long list that has not
  // changed since the last drawing; null when the list is to be walked.
  const std::vector<const PlacedImage*>* IndexedImages(const Bounds& world);

  SceneView& view_;
  Bounds rect_;
  LayerImageList images_;
  std::list<LayerMove> moves_;
  std::list<LayerFade> fades_;
  bool moveMode_ = false;
  bool fadeMode_ = false;
  Bitmap* currentImage_ = nullptr;
  int32_t mode_;
  bool dirty_ = true;
  bool visible_ = true;
  Region maskA_;
  Region maskB_;
  Region alpha_;
  bool alphaDirty_ = false;
  uint64_t serial_;
  uint64_t epoch_;
  uint64_t listChanges_ = 0;
  uint64_t drawnAt_ = UINT64_MAX;    // the list's change number at the last drawing
  uint64_t indexedAt_ = UINT64_MAX;  // the change number an index was last built for
  uint64_t sortedAt_ = UINT64_MAX;   // the change number at which the list was last found in order
  std::unique_ptr<LayerImageIndex> index_;
};
