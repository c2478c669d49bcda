// Scene layers: placing and erasing images with their damage, the moves and fades, the mask and alpha regions,
// and drawing the damaged part of a layer into the back buffer.
#include "game/world/scene_layer.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <utility>

#include "game/graphics/bitmap.h"
#include "game/graphics/blitter.h"
#include "game/world/layer_image_index.h"
#include "game/world/scene_view.h"
#include "game/world/world_numbers.h"
#include "host/gdi.h"

namespace {

bool HasAlpha(const Bitmap& bitmap) { return (bitmap.format & kFormatAlphaFlag) != 0; }

// Serial numbers and epochs of layers come from one counter, so that no two are ever equal.
uint64_t NextLayerNumber() {
  static uint64_t next = 0;
  return ++next;
}

Bounds Moved(const Bounds& box, int32_t dx, int32_t dy) { return Bounds{box.x + dx, box.y + dy, box.width, box.height}; }

bool SortsBefore(const PlacedImage& a, const PlacedImage& b) {
  return a.bottomKey < b.bottomKey || (a.bottomKey == b.bottomKey && a.rightKey < b.rightKey);
}

// Whether two boxes share a pixel (both must have area).
bool Overlap(const Bounds& a, const Bounds& b) { return !a.IsEmpty() && !b.IsEmpty() && a.Intersects(b); }

}  // namespace

SceneLayer::SceneLayer(SceneView& view, const Bounds& rect, int32_t mode)
    : view_(view), rect_(rect), mode_(mode), serial_(NextLayerNumber()), epoch_(NextLayerNumber()) {}

SceneLayer::~SceneLayer() = default;

void SceneLayer::Destroy() {
  Clear();
  moves_.clear();
  fades_.clear();
  moveMode_ = false;
  fadeMode_ = false;
}

void SceneLayer::Clear() {
  dirty_ = true;
  InvalidateAll();
  currentImage_ = nullptr;
  images_.clear();
  ListChanged();
  alpha_.Clear();
  maskA_.Clear();
  maskB_.Clear();
  alphaDirty_ = false;
  // The transitions' entries went with the list: kept as placed, they would point into it and be erased again.
  for (LayerMove& move : moves_) {
    for (MoveItem& item : move.items) item.placed = false;
  }
  for (LayerFade& fade : fades_) {
    for (FadeItem& item : fade.items) item.placed = false;
  }
  epoch_ = NextLayerNumber();
}

void SceneLayer::SetImage(Bitmap* image) {
  if (image == nullptr || image == currentImage_) return;
  currentImage_ = image;
  dirty_ = true;
}

Point SceneLayer::Origin() const {
  if (mode_ == kScreenMode) return Point{view_.VisibleRect().x, view_.VisibleRect().y};
  return Point{view_.ScreenRect().x, view_.ScreenRect().y};
}

Bounds SceneLayer::WorldRect(const Bitmap& bitmap, int32_t x, int32_t y) const {
  const Point origin = Origin();
  return Bounds{rect_.x + x + origin.x, rect_.y + y + origin.y, bitmap.width, bitmap.height};
}

void SceneLayer::Keys(const Bitmap& bitmap, int32_t x, int32_t y, int32_t* bottom, int32_t* right) const {
  if (mode_ == kMapMode) {
    *bottom = y + bitmap.height;
    *right = x + bitmap.width;
  } else {
    *bottom = *right = static_cast<int32_t>(images_.size());
  }
}

void SceneLayer::Invalidate(const Bounds& world) {
  if (world.Intersects(view_.VisibleRect())) view_.UpdateRegion().UnionRect(world);
}

void SceneLayer::InvalidateEntry(const PlacedImage& image) {
  if (image.bitmap != nullptr) Invalidate(WorldRect(*image.bitmap, image.x, image.y));
}

LayerEntry SceneLayer::Place(int32_t x, int32_t y, const Bounds* damage) {
  Bitmap* image = currentImage_;
  if (image == nullptr) return images_.end();
  dirty_ = true;
  int32_t bottom = 0, right = 0;
  Keys(*image, x, y, &bottom, &right);
  // A transition mode without a transition to join places directly.
  if (moveMode_ && !moves_.empty()) {
    MoveItem item;
    item.image = PlacedImage{image, x, y, bottom, right};
    moves_.back().items.push_back(item);
    return images_.end();
  }
  if (fadeMode_ && !fades_.empty()) {
    FadeItem item;
    item.copy = std::make_unique<Bitmap>();
    const int32_t width = damage != nullptr ? damage->width : image->width;
    const int32_t height = damage != nullptr ? damage->height : image->height;
    if (item.copy->Create(width, height, AlphaFormat) == kBitmapReady) {
      DrawBitmap(*item.copy, Point{0, 0}, *image, image->Frame());
      item.image = PlacedImage{item.copy.get(), x, y, bottom, right};
      item.source = image;
      fades_.back().items.push_back(std::move(item));
    }
    return images_.end();
  }
  images_.push_back(PlacedImage{image, x, y, bottom, right});
  ListChanged();
  const Bounds world = WorldRect(*image, x, y);
  if (damage != nullptr) {
    view_.UpdateRegion().UnionRect(*damage);
  } else {
    Invalidate(world);
  }
  if (HasAlpha(*image) && mode_ != kScreenMode) alpha_.UnionRect(damage != nullptr ? *damage : world);
  return std::prev(images_.end());
}

LayerEntry SceneLayer::PlaceImage(int32_t x, int32_t y) { return Place(x, y, nullptr); }

LayerEntry SceneLayer::PlaceImageInRect(int32_t x, int32_t y, const Bounds& rect) { return Place(x, y, &rect); }

void SceneLayer::RemoveEntry(LayerEntry entry) {
  InvalidateEntry(*entry);
  if (entry->bitmap != nullptr && HasAlpha(*entry->bitmap)) alphaDirty_ = true;
  images_.erase(entry);
  ListChanged();
}

void SceneLayer::EraseImage(LayerEntry entry) {
  if (images_.empty() || entry == images_.end()) return;
  dirty_ = true;
  RemoveEntry(entry);
}

void SceneLayer::InvalidateRect(const Bounds& rect) {
  const Point origin = Origin();
  view_.UpdateRegion().UnionRect(Moved(rect, rect_.x + origin.x, rect_.y + origin.y));
}

void SceneLayer::InvalidateAll() {
  if (!maskB_.IsEmpty()) {
    Region moved;
    moved.Assign(maskB_);
    moved.Offset(Origin());
    view_.UpdateRegion().Union(moved);
    return;
  }
  for (const PlacedImage& image : images_) InvalidateEntry(image);
}

bool SceneLayer::IsBusy() const { return dirty_ || !moves_.empty() || !fades_.empty(); }

void SceneLayer::SetVisible(bool visible) { visible_ = visible; }

void SceneLayer::StartMove(int32_t dx, int32_t dy, float speed) {
  LayerMove move;
  const float distance = std::sqrt(static_cast<float>(dx) * static_cast<float>(dx) +
                                   static_cast<float>(dy) * static_cast<float>(dy));
  const float steps = distance / speed;
  // No distance, no speed (0, negative or NaN): no steps and nothing to divide by.
  if (distance > 0.0f && speed > 0.0f && steps > 0.0f) {
    move.stepCount = steps >= static_cast<float>(kMaxMoveSteps) ? kMaxMoveSteps : static_cast<uint32_t>(steps);
    move.stepX = static_cast<float>(dx) / steps;
    move.stepY = static_cast<float>(dy) / steps;
  }
  moves_.push_back(std::move(move));
  moveMode_ = true;
}

void SceneLayer::StartFade(uint32_t steps) {
  LayerFade fade;
  fade.stepCount = steps;
  fade.levelStep = steps > 0 ? 255.0f / static_cast<float>(steps) : 0.0f;
  fades_.push_back(std::move(fade));
  fadeMode_ = true;
}

void SceneLayer::Animate() {
  StepMoves();
  StepFades();
}

void SceneLayer::StepMoves() {
  for (auto it = moves_.begin(); it != moves_.end();) {
    LayerMove& move = *it;
    if (move.stepsDone > move.stepCount) {
      // The move has ended: its images go.
      for (MoveItem& item : move.items) {
        if (item.placed) RemoveEntry(item.entry);
      }
      dirty_ = true;
      it = moves_.erase(it);
      continue;
    }
    for (MoveItem& item : move.items) {
      PlacedImage moved = item.image;
      moved.x = TruncateToInt32(item.image.x + static_cast<double>(move.offsetX));
      moved.y = TruncateToInt32(item.image.y + static_cast<double>(move.offsetY));
      if (item.placed && item.entry->x == moved.x && item.entry->y == moved.y) continue;
      if (item.placed) RemoveEntry(item.entry);
      Invalidate(WorldRect(*moved.bitmap, moved.x, moved.y));
      images_.push_back(moved);
      ListChanged();
      item.entry = std::prev(images_.end());
      item.placed = true;
      if (HasAlpha(*moved.bitmap)) alphaDirty_ = true;
      dirty_ = true;
    }
    move.offsetX += move.stepX;
    move.offsetY += move.stepY;
    ++move.stepsDone;
    ++it;
  }
}

void SceneLayer::StepFades() {
  for (auto it = fades_.begin(); it != fades_.end();) {
    LayerFade& fade = *it;
    if (fade.stepsDone >= fade.stepCount) {
      for (FadeItem& item : fade.items) {
        if (item.placed) RemoveEntry(item.entry);
      }
      dirty_ = true;
      alphaDirty_ = true;
      it = fades_.erase(it);  // frees the faded copies
      continue;
    }
    const int32_t level = static_cast<int32_t>(fade.level);
    for (FadeItem& item : fade.items) {
      // The source at full opacity again, then scaled to this frame's level. The copy is cleared first: a
      // source with alpha would otherwise be blended over the last frame's pixels, growing more opaque. Each
      // new placement is damaged where it stands, in world coordinates, also on its first frame: a fade on a
      // screen layer (which has no alpha region) would otherwise not show that frame.
      item.copy->Clear();
      if (item.source != nullptr) DrawBitmap(*item.copy, Point{0, 0}, *item.source, item.source->Frame());
      ScaleAlphaRect(*item.copy, item.copy->Frame(), level);
      if (item.placed) RemoveEntry(item.entry);
      const Bounds world = WorldRect(*item.copy, item.image.x, item.image.y);
      Invalidate(world);
      images_.push_back(item.image);
      ListChanged();
      item.entry = std::prev(images_.end());
      if (!item.placed && mode_ != kScreenMode) alpha_.UnionRect(world);
      item.placed = true;
      dirty_ = true;
    }
    fade.level = std::max(0.0f, fade.level - fade.levelStep);
    ++fade.stepsDone;
    ++it;
  }
}

void SceneLayer::SortImages() {
  // A list that has not changed since it was last in order still is (the keys of an entry never change); one
  // already in order (the usual case from one frame to the next) has nothing to move.
  if (sortedAt_ == listChanges_) return;
  if (!std::is_sorted(images_.begin(), images_.end(), SortsBefore)) {
    images_.sort(SortsBefore);  // stable: equal keys keep their order
    ListChanged();
  }
  sortedAt_ = listChanges_;
}

void SceneLayer::RebuildMaskRegions() {
  maskA_.Clear();
  maskB_.Clear();
  for (const PlacedImage& image : images_) {
    if (image.bitmap == nullptr) continue;
    Region transparent, opaque;
    MaskToRegion(transparent, opaque, *image.bitmap);
    if (!transparent.IsEmpty()) {
      transparent.Offset(Point{image.x, image.y});
      maskA_.Union(transparent);
    }
    if (!opaque.IsEmpty()) {
      opaque.Offset(Point{image.x, image.y});
      maskB_.Union(opaque);
    }
  }
}

void SceneLayer::AddMaskRegion(Region& updateRegion, bool force) {
  if (maskA_.IsEmpty() || (dirty_ && !force)) return;
  if (mode_ != kScreenMode) {
    updateRegion.Union(maskA_);
    return;
  }
  Region moved;
  moved.Assign(maskA_);
  moved.Offset(Point{view_.VisibleRect().x, view_.VisibleRect().y});
  updateRegion.Union(moved);
}

// The alpha region is kept in world coordinates, as every placement adds to it and as the update region is: kept
// relative to the layer, it would miss the images by the screen rectangle's origin (the map's view inside the
// interface), and alpha images would not be redrawn where they are, blending over their own last pixels.
void SceneLayer::AddAlphaRegion() {
  if (mode_ == kScreenMode) return;
  if (alphaDirty_) {
    alpha_.Clear();
    for (const PlacedImage& image : images_) {
      if (image.bitmap != nullptr && HasAlpha(*image.bitmap)) alpha_.UnionRect(WorldRect(*image.bitmap, image.x, image.y));
    }
    alphaDirty_ = false;
  }
  if (!alpha_.IsEmpty()) view_.UpdateRegion().Union(alpha_);
}

const std::vector<const PlacedImage*>* SceneLayer::IndexedImages(const Bounds& world) {
  if (images_.size() < LayerImageIndex::kMinImages) {
    index_.reset();
    return nullptr;
  }
  if (index_ == nullptr) index_ = std::make_unique<LayerImageIndex>();
  if (!index_->Holds(listChanges_)) {
    // A list is indexed once it has stood unchanged from one drawing to the next (the ground of a map), never
    // while it changes at every frame.
    const bool settled = drawnAt_ == listChanges_;
    drawnAt_ = listChanges_;
    if (!settled || indexedAt_ == listChanges_) return nullptr;
    indexedAt_ = listChanges_;
    if (!index_->Build(images_, listChanges_)) return nullptr;
  }
  const Point origin = Origin();
  const int64_t dx = int64_t{rect_.x} + origin.x, dy = int64_t{rect_.y} + origin.y;
  const auto* found = index_->Find(world.x - dx, world.y - dy, int64_t{world.x} + world.width - dx,
                                   int64_t{world.y} + world.height - dy, listChanges_);
  if (found == nullptr) {
    // A picture changed size: the index is built again at the next drawing.
    index_->Reset();
    indexedAt_ = UINT64_MAX;
  }
  return found;
}

void SceneLayer::Draw(Bitmap& target) {
  if (!visible_) return;
  const Point origin = Origin();
  const Bounds& visible = view_.VisibleRect();
  Bounds layerWorld = Moved(rect_, origin.x, origin.y);
  if (mode_ == kScreenMode) {
    layerWorld.Clip(visible);
  } else {
    layerWorld.Clip(Moved(view_.ScreenRect(), visible.x, visible.y));
  }
  Region& update = view_.UpdateRegion();
  if (layerWorld.IsEmpty() || !update.IntersectsRect(layerWorld)) return;

  // While the update region is one rectangle, clipping to it is plain arithmetic, and what is drawn lies inside
  // it already, so adding it back changes nothing.
  Bounds box;
  bool single = update.GetBounds(box) == SIMPLEREGION;
  // What is added back lies within the region's box, so the box stays as it is while the layer is drawn, and an
  // image outside it, or outside the layer, draws nothing.
  Bounds reach = layerWorld;
  reach.Clip(box);
  auto draw = [&](const PlacedImage& image) {
    if (image.bitmap == nullptr) return;
    const Bounds world = WorldRect(*image.bitmap, image.x, image.y);
    if (!Overlap(world, reach)) return;
    Bounds part = world;
    part.Clip(layerWorld);
    if (part.IsEmpty()) return;
    if (single) {
      part.Clip(box);
      if (part.IsEmpty()) return;
    } else {
      update.ClipRect(part);
      if (part.IsEmpty()) return;
      // Later layers redraw at least what this one drew.
      update.UnionRect(part);
      single = update.GetBounds(box) == SIMPLEREGION;
    }
    DrawBitmap(target, Point{part.x - visible.x, part.y - visible.y}, *image.bitmap,
               Bounds{part.x - world.x, part.y - world.y, part.width, part.height});
  };
  if (const std::vector<const PlacedImage*>* found = IndexedImages(reach)) {
    for (const PlacedImage* image : *found) draw(*image);
  } else {
    for (const PlacedImage& image : images_) draw(image);
  }
  dirty_ = false;
}
