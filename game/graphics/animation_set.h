// Animation sets and picture references.
//
// An animation set is a scenario file that names its frame pictures and its animations; each animation is a list
// of frames, and each frame carries a command for the sprite that plays it (show for a while, play a sound, run a
// script event, ...). A picture reference is what a sprite or a map object holds: a still picture or an animation
// set, chosen by the file name.
//
// Animation set file (big-endian; a string is a length byte and its bytes):
//   string set name
//   int16 picture count n, then n strings: picture file names (under the scenario's "Pictures/")
//   int16 animation count m, then per animation:
//     string name, ten int16 values (mode, delay, eight kept), int16 frame count k, then per frame:
//       int16 frame picture number, int16 opcode, string argument, int16 x, int16 y, seven int16 values (not used)
//   int16 flag, then four int16 values: collision radius, centre x, centre y and the centre-follows-offset flag,
//   taken only when the flag is 1 (all 0 otherwise)
//
// The pictures come from the picture cache, which keeps owning them; a set holds every picture it points to so
// that no purge frees it under the set. Sounds and script events belong to other subsystems and are reached
// through AnimationSetServices.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "game/graphics/picture_cache.h"

class DataStream;
class ScriptEvent;
class SoundEffect;

// Frame opcodes the set itself resolves.
constexpr int16_t kFrameOpPlaySound = 3;
constexpr int16_t kFrameOpRunEvent = 6;

// One frame of an animation: the command a sprite runs while it shows the frame.
struct AnimationFrame {
  int16_t frame = 0;  // 1-based number of the set's frame picture shown while this command is current
  int16_t opcode = 0;
  std::string argument;
  int16_t eventIndex = 0;   // into the set's events, for kFrameOpRunEvent (-1: past the 16-bit range)
  int16_t soundIndex = -1;  // into the set's sounds, for kFrameOpPlaySound; -1 when the sound is missing
  int16_t x = 0;  // drawing offset of the frame from the sprite's position
  int16_t y = 0;
};

// Animation modes: how a sprite picks its commands for a facing.
constexpr int16_t kAnimationOneRun = 0;       // (and 2) all commands, whatever the facing
constexpr int16_t kAnimationEightFacings = 1;  // eight equal blocks of commands, one per facing
constexpr int16_t kAnimationFourFacings = 3;   // four blocks, each shared by two neighbouring facings

struct Animation {
  std::string name;
  int16_t mode = 0;
  int16_t delay = 0;              // ticks each command stays on screen
  std::array<int16_t, 8> kept{};  // the other eight values of the file, used by nothing
  std::vector<AnimationFrame> frames;  // the commands, numbered from 1 by the sprites

  int32_t CommandCount() const { return static_cast<int32_t>(frames.size()); }
};

// What a set needs of the sounds, the scripts and the main loop. Unset services behave as "nothing there".
struct AnimationSetServices {
  // Loads a script event by name; null when it does not load. The set owns what it is given.
  std::function<std::shared_ptr<ScriptEvent>(const std::string& name)> loadEvent;
  // Finds a loaded sound or loads it, taking one reference for the set; null when it is missing.
  std::function<SoundEffect*(const std::string& name)> findOrLoadSound;
  std::function<void(SoundEffect* sound)> playSound;
  // Gives back the reference taken by findOrLoadSound.
  std::function<void(SoundEffect* sound)> releaseSound;
  // Lets music go on playing during long loads.
  std::function<void(int32_t milliseconds)> mediaIdle;
};
void SetAnimationSetServices(AnimationSetServices services);

class AnimationSet {
 public:
  // Reads the set file at the data path; a file that does not open leaves an empty set that is not loaded. With
  // keepNames the pictures are only looked up in the cache (LoadPictures loads them).
  AnimationSet(const std::string& name, bool keepNames);
  // An empty set, for reading from a stream of the caller's.
  AnimationSet() = default;
  virtual ~AnimationSet();
  AnimationSet(const AnimationSet&) = delete;
  AnimationSet& operator=(const AnimationSet&) = delete;

  // Reads a set from the stream and resolves its events and sounds; gives 0. Short data does not fail: past the
  // end of the data every value is 0 and every name empty (a set without its extra values has them 0).
  int32_t Read(DataStream& stream, bool keepNames);
  // Loads the pictures whose names were kept, or locks the loaded ones again.
  void LoadPictures();
  void PlayFrameSound(int32_t soundIndex);
  // Drops the pictures (the cache keeps them), the names, the animations, the sound references and the events.
  void Free();

  bool IsLoaded() const { return loaded_; }
  const std::string& Name() const { return name_; }
  int32_t PictureCount() const { return pictureCount_; }
  // The frame picture, or null when it is missing or not loaded yet.
  Bitmap* Picture(int32_t index) const;
  const std::vector<std::string>& PictureNames() const { return pictureNames_; }
  const std::vector<Animation>& Animations() const { return animations_; }
  size_t EventCount() const { return events_.size(); }
  ScriptEvent* Event(int32_t index) const;
  const std::vector<SoundEffect*>& Sounds() const { return sounds_; }
  int32_t AnimationCount() const { return static_cast<int32_t>(animations_.size()); }
  // The animation numbered from 0, or null outside the list.
  const Animation* GetAnimation(int32_t index) const;
  // What sprites of this set collide with: a radius (0: the sprite's own) around a centre offset from the
  // sprite's position, which moves with the frame's offset when CentreFollowsOffset is set.
  int32_t CollisionRadius() const { return collisionRadius_; }
  int32_t CentreX() const { return centreX_; }
  int32_t CentreY() const { return centreY_; }
  bool CentreFollowsOffset() const { return centreFollowsOffset_; }

 private:
  void Resolve();

  std::string name_;
  int32_t pictureCount_ = 0;
  std::vector<PictureHold> pictures_;  // empty while only the names are kept
  std::vector<std::string> pictureNames_;
  std::vector<Animation> animations_;
  std::vector<std::shared_ptr<ScriptEvent>> events_;
  std::vector<std::string> eventNames_;
  std::vector<SoundEffect*> sounds_;
  std::vector<std::string> soundNames_;
  int32_t collisionRadius_ = 0;
  int32_t centreX_ = 0;
  int32_t centreY_ = 0;
  bool centreFollowsOffset_ = false;
  bool loaded_ = false;
};

// Whether a file name names an animation set: a name of at most four characters; one ending in ".cam" or ".can"
// in any case; any name whose fourth character from the end is not "." (no three-letter extension).
bool IsAnimationSetName(const std::string& name);

class PictureRef {
 public:
  PictureRef() = default;
  explicit PictureRef(const std::string& name);
  // Wraps a picture; with owns the reference deletes it.
  PictureRef(Bitmap* picture, bool owns);
  virtual ~PictureRef();
  PictureRef(const PictureRef&) = delete;
  PictureRef& operator=(const PictureRef&) = delete;

  // An animation set when the name is one and it loads with an animation or more (its pictures loaded now), else
  // the still picture of that name from the cache.
  void SetName(const std::string& name);
  // The same, but nothing is loaded: the set keeps its picture names and the still picture is only looked up.
  void SetNameLazy(const std::string& name);
  // Makes the pictures ready for drawing: the set's loaded, the still picture locked or loaded.
  void GetPicture();

  const std::string& Name() const { return name_; }
  Bitmap* Still() const { return still_; }
  AnimationSet* Set() const { return set_.get(); }
  bool Owns() const { return owns_; }

 private:
  void Reset();
  void Assign(const std::string& name, bool lazy);
  void SetStill(Bitmap* picture);

  Bitmap* still_ = nullptr;
  std::unique_ptr<Bitmap> ownedStill_;  // the still picture when the reference owns it
  PictureHold stillHold_;               // else the still picture is held while referred to
  std::unique_ptr<AnimationSet> set_;
  bool owns_ = false;
  std::string name_;
};
