// Sprite: one picture that lives on a tile map: a character's figure, an item lying on a cell, a missile, a spell
// effect or an animated decoration read from the map file. It holds a position in map pixels, a picture reference
// (a still picture or an animation set), the range of the current animation's commands that it cycles through for
// its facing, the state of a move towards a target, and the entry of a game-view layer that shows it.
//
// The drawn entry: Draw places the frame picture on the view's current layer and remembers the entry; any change
// that moves the picture or changes its frame erases that entry first, and the next Draw places it again. The
// per-tick step of the command script (Animate) belongs to the map's movement.
//
// Commands of an animation are numbered from 1, frame pictures from 0. A range with no commands, a command's frame
// of 0 or past the set's pictures, and any other index outside its list show no frame.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "game/world/scene_layer.h"

class Bitmap;
class Character;
class DataStream;
class PictureRef;
class SpellRecord;
class AnimationSet;
struct Animation;
struct AnimationFrame;

// An object a sprite carries for its creator, deleted with the sprite when the sprite owns it.
class SpriteAttachment {
 public:
  virtual ~SpriteAttachment() = default;
};

class Sprite {
 public:
  // Requested facing that never sends the script back to its first frame.
  static constexpr int32_t kKeepFrame = 100;

  Sprite();
  ~Sprite();
  Sprite(const Sprite&) = delete;
  Sprite& operator=(const Sprite&) = delete;

  // Back to the defaults, then a map file's record: int16 x, int16 y, int16 stamp index, the picture name (a
  // string of one length byte).
  void ReadFromStream(DataStream& stream);
  // Erases the drawn entry and deletes what the sprite owns (picture and attachment).
  void Release();

  void SetPicture(PictureRef* picture, bool owns);
  PictureRef* GetPictureRef() const { return picture_; }
  bool OwnsPicture() const { return ownedPicture_ != nullptr; }
  void SetAttachment(SpriteAttachment* attachment, bool owns);
  SpriteAttachment* GetAttachment() const { return attachment_; }
  void SetLayer(int32_t number) { layerNumber_ = number; }
  int32_t GetLayer() const { return layerNumber_; }

  // Shows the current frame on the view's current layer (nothing without a frame picture; a sprite out of sight
  // loses its entry).
  void Draw();
  // Erases the drawn entry and drops the current animation.
  void Detach();
  // The picture shown now, or null.
  Bitmap* FramePicture() const;
  bool IsLinked() const;

  bool HasAnimation() const;
  // Whether n is below the set's number of animations.
  bool IsFrameInRange(uint32_t n) const;
  int16_t GetAnimationMode() const;
  int32_t GetCollisionRadius() const;
  // The collision centre's offset from the position; nothing is written without a picture.
  void GetSize(int32_t* x, int32_t* y) const;
  // Makes animation n current (once: until it comes back to its first command).
  void SetFrame(uint32_t n, bool once);
  // Selects the current animation's commands for a facing (below 1 counts as 1).
  void SelectFrames(int32_t facing);
  // Starts a move by the remaining distances at the steps per tick, or a turn with no distance.
  void StartAction(float remainingX, float remainingY, float stepX, float stepY, int32_t unused, int32_t facing);
  void SetX(int32_t x);
  void SetY(int32_t y);
  void SetPosition(int32_t x, int32_t y);
  // One tick (sprite_animation.cpp): the command script, the move, a missile's strike and an action point. True
  // when the location changed under a script the sprite ran (the sprite and its map may be gone).
  bool Animate();

  float PositionX() const { return positionX_; }
  float PositionY() const { return positionY_; }
  float DrawnX() const { return drawnX_; }
  float DrawnY() const { return drawnY_; }
  float OffsetX() const { return offsetX_; }
  float OffsetY() const { return offsetY_; }
  float RemainingX() const { return remainingX_; }
  float RemainingY() const { return remainingY_; }
  float StepX() const { return stepX_; }
  float StepY() const { return stepY_; }
  float StartX() const { return startX_; }
  float StartY() const { return startY_; }
  int32_t Facing() const { return facing_; }
  int32_t RequestedFacing() const { return requestedFacing_; }
  int32_t CurrentIndex() const { return currentIndex_; }
  int32_t FirstIndex() const { return firstIndex_; }
  int32_t LastIndex() const { return lastIndex_; }
  int32_t CountDown() const { return countDown_; }
  int32_t FrameIndex() const { return frameIndex_; }
  bool IsMoving() const { return moving_; }
  bool IsPlayingOnce() const { return playOnce_; }
  // Busy: moving, or playing an animation once.
  bool IsBusy() const { return moving_ || playOnce_; }
  int32_t LoopPoint() const { return loopPoint_; }
  const Animation* CurrentAnimation() const { return current_; }
  // The current command of the range, or null when the index is outside it or outside the animation.
  const AnimationFrame* CurrentCommand() const;

  // A number that changes whenever some sprite may have moved or changed its picture or frame, and whenever a
  // map's blocking list changes (NotePlacementChange): what is worked out from where the blocking figures stand
  // holds while it stays the same. A sprite's picture is given whole (SetPicture), never changed under it.
  static uint64_t PlacementVersion() { return placementVersion_; }
  static void NotePlacementChange() { ++placementVersion_; }

  // What the map and the characters keep on a sprite.
  int16_t stampIndex = 0;           // 1-based stamp picture for a sprite read from a map file without a picture
  std::array<std::string, 4> texts;  // the second is the picture name
  int16_t missileKind = 0;          // 0 none, 1 a missile weapon's shot, 2 a spell in flight
  Character* shooter = nullptr;
  const SpellRecord* spellRecord = nullptr;
  int16_t damage = 0;
  int16_t damageKind = 0;
  int32_t ownCentreX = 0;  // collision centre and radius without an animation set that has a radius
  int32_t ownCentreY = 0;
  int32_t ownRadius = 0;
  int32_t defaultOffsetX = 0;  // drawing offset without an animation set
  int32_t defaultOffsetY = 0;
  int16_t lingerCount = 0;  // ticks a finished move keeps the moving flag

 private:
  static inline uint64_t placementVersion_ = 0;

  void Defaults();
  void EraseDrawnEntry();
  // The current command's frame picture index (-1: none) and drawn position from the position and its offsets.
  void ShowCommandAt(const AnimationFrame* command);
  const AnimationSet* Set() const;
  void DropPicture();
  // Runs the current command's opcode (sprite_animation.cpp); true when the location changed under it.
  struct TickState;
  bool RunCommand(const AnimationFrame& command, TickState& tick);
  // Moves one axis a step towards the end of its remaining distance.
  void MoveAxis(float& position, float& remaining, float& step);
  // A flying missile strikes the first character of another side it meets; true when the location changed.
  bool StrikeWithMissile();

  float offsetX_ = 0.0f, offsetY_ = 0.0f;
  float drawnX_ = 0.0f, drawnY_ = 0.0f;
  float positionX_ = 0.0f, positionY_ = 0.0f;
  float remainingX_ = 0.0f, remainingY_ = 0.0f;
  float stepX_ = 0.0f, stepY_ = 0.0f;
  float startX_ = 0.0f, startY_ = 0.0f;
  int32_t requestedFacing_ = 0;
  int32_t facing_ = 0;
  int32_t currentIndex_ = 1;
  int32_t firstIndex_ = 1;
  int32_t lastIndex_ = 1;
  int32_t countDown_ = 0;
  bool playOnce_ = false;
  bool moving_ = false;
  int32_t loopPoint_ = 1;
  SceneLayer* layer_ = nullptr;
  uint64_t layerEpoch_ = 0;
  LayerEntry entry_;
  int32_t layerNumber_ = 0;
  PictureRef* picture_ = nullptr;
  std::unique_ptr<PictureRef> ownedPicture_;  // the picture, when the sprite owns it
  SpriteAttachment* attachment_ = nullptr;
  std::unique_ptr<SpriteAttachment> ownedAttachment_;
  const Animation* current_ = nullptr;
  const Animation* selected_ = nullptr;
  const Animation* playOnceAnimation_ = nullptr;
  int32_t frameIndex_ = 0;
};
