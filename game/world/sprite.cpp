// Sprites: the picture and its frame, the command range for a facing, moves and turns, and the drawn entry on
// the game view's current layer.
#include "game/world/sprite.h"

#include <algorithm>

#include "game/graphics/animation_set.h"
#include "game/graphics/bitmap.h"
#include "game/shell/data/data_stream.h"
#include "game/world/scene_view.h"
#include "game/world/world_numbers.h"

Sprite::Sprite() = default;

Sprite::~Sprite() { Release(); }

void Sprite::Defaults() {
  Release();
  offsetX_ = offsetY_ = drawnX_ = drawnY_ = positionX_ = positionY_ = 0.0f;
  remainingX_ = remainingY_ = stepX_ = stepY_ = startX_ = startY_ = 0.0f;
  stampIndex = 0;
  texts = {};
  missileKind = 0;
  shooter = nullptr;
  spellRecord = nullptr;
  damage = damageKind = 0;
  requestedFacing_ = facing_ = 0;
  currentIndex_ = firstIndex_ = lastIndex_ = loopPoint_ = 1;
  countDown_ = 0;
  playOnce_ = moving_ = false;
  ownCentreX = ownCentreY = ownRadius = 0;
  defaultOffsetX = defaultOffsetY = 0;
  lingerCount = 0;
  layerNumber_ = 0;
  frameIndex_ = 0;
}

void Sprite::ReadFromStream(DataStream& stream) {
  Defaults();
  const int16_t x = stream.ReadInt16();
  const int16_t y = stream.ReadInt16();
  stampIndex = stream.ReadInt16();
  stream.ReadPString(texts[1]);
  NotePlacementChange();
  positionX_ = drawnX_ = x;
  positionY_ = drawnY_ = y;
}

void Sprite::DropPicture() {
  NotePlacementChange();
  ownedPicture_.reset();
  picture_ = nullptr;
  // The animations belonged to the picture's set.
  current_ = selected_ = playOnceAnimation_ = nullptr;
}

void Sprite::Release() {
  EraseDrawnEntry();
  DropPicture();
  ownedAttachment_.reset();
  attachment_ = nullptr;
}

void Sprite::SetPicture(PictureRef* picture, bool owns) {
  EraseDrawnEntry();
  if (picture == picture_) {
    if (owns && ownedPicture_ == nullptr) ownedPicture_.reset(picture);
    return;
  }
  DropPicture();
  picture_ = picture;
  if (owns) ownedPicture_.reset(picture);
}

void Sprite::SetAttachment(SpriteAttachment* attachment, bool owns) {
  if (attachment != attachment_) ownedAttachment_.reset();
  attachment_ = attachment;
  if (owns && ownedAttachment_ == nullptr) ownedAttachment_.reset(attachment);
}

const AnimationSet* Sprite::Set() const { return picture_ != nullptr ? picture_->Set() : nullptr; }

bool Sprite::IsLinked() const {
  const SceneView* view = GetSceneView();
  return layer_ != nullptr && view != nullptr && view->HoldsEntriesOf(layer_, layerEpoch_);
}

void Sprite::EraseDrawnEntry() {
  if (IsLinked()) {
    GetSceneView()->SetRedrawFlag();
    layer_->EraseImage(entry_);
  }
  // An entry that a cleared or destroyed layer took with it is only forgotten.
  layer_ = nullptr;
}

Bitmap* Sprite::FramePicture() const {
  if (picture_ == nullptr) return nullptr;
  if (picture_->Still() != nullptr) return picture_->Still();
  const AnimationSet* set = picture_->Set();
  if (set == nullptr) return nullptr;
  return set->Picture(current_ != nullptr ? frameIndex_ : 0);
}

void Sprite::Draw() {
  Bitmap* picture = FramePicture();
  SceneView* view = GetSceneView();
  if (picture == nullptr || view == nullptr) return;
  const Bounds rect{TruncateToInt32(drawnX_), TruncateToInt32(drawnY_), picture->width, picture->height};
  view->SetRedrawFlag();
  SceneLayer* layer = view->GetCurrentLayer();
  if (layer == nullptr) return;
  const Point origin = layer->Origin();
  const Bounds screen{rect.x + layer->Rect().x + origin.x, rect.y + layer->Rect().y + origin.y, rect.width,
                      rect.height};
  if (!screen.Intersects(view->VisibleRect())) {
    EraseDrawnEntry();
    return;
  }
  if (IsLinked() && entry_->bitmap == picture && entry_->x == rect.x && entry_->y == rect.y) return;
  EraseDrawnEntry();
  view->SetCurrentLayerImage(picture);
  const LayerEntry entry = layer->PlaceImageInRect(rect.x, rect.y, screen);
  if (layer->IsEntry(entry)) {
    layer_ = layer;
    layerEpoch_ = layer->Epoch();
    entry_ = entry;
  }
}

void Sprite::Detach() {
  EraseDrawnEntry();
  current_ = nullptr;
}

bool Sprite::HasAnimation() const { return Set() != nullptr; }

bool Sprite::IsFrameInRange(uint32_t n) const {
  const AnimationSet* set = Set();
  return set != nullptr && n < static_cast<uint32_t>(set->AnimationCount());
}

int16_t Sprite::GetAnimationMode() const { return current_ != nullptr ? current_->mode : 0; }

int32_t Sprite::GetCollisionRadius() const {
  if (picture_ == nullptr) return 0;
  if (const AnimationSet* set = Set()) return set->CollisionRadius();
  return ownRadius;
}

void Sprite::GetSize(int32_t* x, int32_t* y) const {
  if (picture_ == nullptr) return;
  const AnimationSet* set = Set();
  if (set != nullptr && set->CollisionRadius() > 0) {
    *x = set->CentreX();
    *y = set->CentreY();
    if (set->CentreFollowsOffset()) {
      *x += TruncateToInt32(static_cast<double>(drawnX_) - positionX_);
      *y += TruncateToInt32(static_cast<double>(drawnY_) - positionY_);
    }
    return;
  }
  *x = ownCentreX;
  *y = ownCentreY;
}

const AnimationFrame* Sprite::CurrentCommand() const {
  if (current_ == nullptr || firstIndex_ > lastIndex_) return nullptr;
  if (currentIndex_ < 1 || currentIndex_ > current_->CommandCount()) return nullptr;
  return &current_->frames[currentIndex_ - 1];
}

void Sprite::ShowCommandAt(const AnimationFrame* command) {
  // A frame of 0 gives -1, which shows no picture, as does an index past the set's pictures.
  frameIndex_ = command != nullptr ? command->frame - 1 : -1;
}

void Sprite::SelectFrames(int32_t facing) {
  if (facing < 1) facing = 1;
  if (Set() == nullptr || current_ == nullptr) return;
  const int32_t count = current_->CommandCount();
  switch (current_->mode) {
    case 0:
    case 2:
      currentIndex_ = firstIndex_ = 1;
      lastIndex_ = count;
      return;
    case kAnimationEightFacings:
    case kAnimationFourFacings: {
      if (requestedFacing_ == facing_ && selected_ == current_) return;
      const bool eight = current_->mode == kAnimationEightFacings;
      // The block size is rounded down: the last commands of an odd count are never selected, and too few
      // commands give an empty range.
      const int64_t block = eight ? count >> 3 : count >> 2;
      const int64_t blockIndex = eight ? int64_t{facing} - 1 : (int64_t{facing} - 1) / 2;
      const int64_t first = std::min<int64_t>(blockIndex * block + 1, INT32_MAX);
      firstIndex_ = static_cast<int32_t>(first);
      lastIndex_ = static_cast<int32_t>(std::min<int64_t>(first + block - 1, INT32_MAX));
      currentIndex_ = firstIndex_;
      selected_ = current_;
      return;
    }
    default:
      return;
  }
}

void Sprite::SetFrame(uint32_t n, bool once) {
  if (!IsFrameInRange(n)) return;
  NotePlacementChange();
  const Animation* previous = current_;
  current_ = Set()->GetAnimation(static_cast<int32_t>(n));
  if (once) {
    playOnce_ = true;
    playOnceAnimation_ = current_;
  }
  countDown_ = 0;
  if (current_ != previous) {
    EraseDrawnEntry();
    SelectFrames(facing_);
    requestedFacing_ = facing_;
  }
  if (current_ != nullptr) {
    EraseDrawnEntry();
    const AnimationFrame* command = CurrentCommand();
    const int32_t offsetX = command != nullptr ? command->x : 0;
    const int32_t offsetY = command != nullptr ? command->y : 0;
    drawnX_ = TruncateToInt16(static_cast<double>(positionX_) + offsetX);
    drawnY_ = TruncateToInt16(static_cast<double>(positionY_) + offsetY);
    ShowCommandAt(command);
  }
}

void Sprite::StartAction(float remainingX, float remainingY, float stepX, float stepY, int32_t, int32_t facing) {
  NotePlacementChange();
  EraseDrawnEntry();
  moving_ = true;
  remainingX_ = remainingX;
  remainingY_ = remainingY;
  stepX_ = stepX;
  stepY_ = stepY;
  startX_ = positionX_;
  startY_ = positionY_;
  missileKind = 0;
  shooter = nullptr;
  spellRecord = nullptr;
  damage = 0;
  damageKind = 0;

  selected_ = current_;
  bool changed = false;
  const AnimationSet* set = Set();
  if (current_ == nullptr && set != nullptr && set->AnimationCount() > 0) {
    current_ = set->GetAnimation(0);
    changed = true;
  }
  if (current_ != nullptr) {
    EraseDrawnEntry();
    if (changed || current_->mode != 0) SelectFrames(facing);
    ShowCommandAt(CurrentCommand());
  }
  requestedFacing_ = facing_ = facing;
  countDown_ = 0;
  if (current_ != nullptr) {
    if (const AnimationFrame* command = CurrentCommand()) {
      offsetX_ = command->x;
      offsetY_ = command->y;
    }
    drawnX_ = TruncateToInt16(static_cast<double>(positionX_) + offsetX_);
    drawnY_ = TruncateToInt16(static_cast<double>(positionY_) + offsetY_);
  }
}

void Sprite::SetX(int32_t x) {
  if (static_cast<float>(x) == positionX_) return;
  NotePlacementChange();
  EraseDrawnEntry();
  positionX_ = static_cast<float>(x);
  drawnX_ = TruncateToInt16(static_cast<double>(x) + offsetX_);
}

void Sprite::SetY(int32_t y) {
  if (static_cast<float>(y) == positionY_) return;
  NotePlacementChange();
  EraseDrawnEntry();
  positionY_ = static_cast<float>(y);
  drawnY_ = TruncateToInt16(static_cast<double>(y) + offsetY_);
}

void Sprite::SetPosition(int32_t x, int32_t y) {
  if (static_cast<float>(x) == positionX_ && static_cast<float>(y) == positionY_ &&
      drawnX_ == positionX_ + offsetX_ && drawnY_ == positionY_ + offsetY_) {
    return;
  }
  NotePlacementChange();
  EraseDrawnEntry();
  positionX_ = static_cast<float>(x);
  positionY_ = static_cast<float>(y);
  drawnX_ = TruncateToInt16(static_cast<double>(x) + offsetX_);
  drawnY_ = TruncateToInt16(static_cast<double>(y) + offsetY_);
}
