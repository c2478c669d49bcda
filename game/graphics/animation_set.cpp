// Animation sets: reading the set file, resolving its events and sounds, loading its pictures through the
// picture cache; picture references over a set or a still picture.
#include "game/graphics/animation_set.h"

#include <cstdint>
#include <utility>

#include "game/shell/data/data_archive.h"
#include "game/shell/data/data_paths.h"
#include "game/shell/data/data_stream.h"

namespace {

// The frame record's last seven values are not used by anything.
constexpr int kUnusedFrameValues = 7;

// Frames name events and sounds by 16-bit indexes; a set naming more distinct ones gives the rest none.
constexpr size_t kMaxListIndex = INT16_MAX;

AnimationSetServices& Services() {
  static AnimationSetServices services;
  return services;
}

void MediaIdle() {
  if (Services().mediaIdle) Services().mediaIdle(10);
}

// A count from the file: negative counts stand for none.
int32_t CountOf(int16_t value) { return value > 0 ? value : 0; }

}  // namespace

void SetAnimationSetServices(AnimationSetServices services) { Services() = std::move(services); }

AnimationSet::AnimationSet(const std::string& name, bool keepNames) : name_(name) {
  DataStream* stream = OpenDataFile(name);
  if (stream == nullptr) return;
  Read(*stream, keepNames);
  CloseDataFile(stream);
  loaded_ = true;
}

AnimationSet::~AnimationSet() { Free(); }

int32_t AnimationSet::Read(DataStream& stream, bool keepNames) {
  Free();
  stream.ReadPString(name_);

  // Pictures.
  const int32_t pictureCount = CountOf(stream.ReadInt16());
  std::vector<std::string> names;
  for (int32_t i = 0; i < pictureCount; ++i) {
    std::string file;
    stream.ReadPString(file);
    // An empty name (as every name past the end of the data reads) names no picture and is not looked for.
    std::string path;
    if (!file.empty()) StampPicturePath(path, file);
    names.push_back(std::move(path));
  }

  // Animations. Past the end of the data every count reads 0, so a count that the file never backed costs at most
  // its own entries of zeros.
  const int32_t animationCount = CountOf(stream.ReadInt16());
  for (int32_t a = 0; a < animationCount; ++a) {
    Animation animation;
    stream.ReadPString(animation.name);
    animation.mode = stream.ReadInt16();
    animation.delay = stream.ReadInt16();
    for (int16_t& value : animation.kept) value = stream.ReadInt16();
    const int32_t frameCount = CountOf(stream.ReadInt16());
    for (int32_t f = 0; f < frameCount; ++f) {
      AnimationFrame frame;
      frame.frame = stream.ReadInt16();
      frame.opcode = stream.ReadInt16();
      stream.ReadPString(frame.argument);
      frame.x = stream.ReadInt16();
      frame.y = stream.ReadInt16();
      for (int i = 0; i < kUnusedFrameValues; ++i) stream.ReadInt16();
      animation.frames.push_back(std::move(frame));
    }
    animations_.push_back(std::move(animation));
  }

  // A file that ends before the flag and the four extra values has them 0.
  const int16_t extraFlag = stream.ReadInt16();
  int16_t extra[4];
  for (int16_t& value : extra) value = stream.ReadInt16();
  if (extraFlag == 1) {
    collisionRadius_ = extra[0];
    centreX_ = extra[1];
    centreY_ = extra[2];
    centreFollowsOffset_ = extra[3] == 1;
  }

  pictureCount_ = pictureCount;
  if (keepNames) {
    // Only marks the pictures that are cached already, so that a purge spares them; nothing is loaded.
    for (const std::string& path : names) {
      if (!path.empty()) PictureCache::Find(path.c_str());
    }
    pictureNames_ = std::move(names);
  } else {
    for (const std::string& path : names) {
      pictures_.emplace_back(path.empty() ? nullptr : PictureCache::Load(path.c_str()));
      MediaIdle();
    }
  }
  Resolve();
  return kDataStreamNoError;
}

void AnimationSet::Resolve() {
  AnimationSetServices& services = Services();
  for (Animation& animation : animations_) {
    for (AnimationFrame& frame : animation.frames) {
      if (frame.opcode == kFrameOpRunEvent) {
        size_t index = 0;
        while (index < eventNames_.size() && eventNames_[index] != frame.argument) ++index;
        if (index == eventNames_.size()) {
          if (index > kMaxListIndex) {
            frame.eventIndex = -1;  // beyond what a frame's index can name
            continue;
          }
          // An event that does not load still takes its place, so every frame naming it shares one index.
          events_.push_back(services.loadEvent ? services.loadEvent(frame.argument) : nullptr);
          eventNames_.push_back(frame.argument);
        }
        frame.eventIndex = static_cast<int16_t>(index);
      } else if (frame.opcode == kFrameOpPlaySound) {
        size_t index = 0;
        while (index < soundNames_.size() && soundNames_[index] != frame.argument) ++index;
        if (index == soundNames_.size()) {
          SoundEffect* sound = index <= kMaxListIndex && services.findOrLoadSound
                                   ? services.findOrLoadSound(frame.argument)
                                   : nullptr;
          if (sound == nullptr) {
            frame.soundIndex = -1;
            continue;
          }
          sounds_.push_back(sound);
          soundNames_.push_back(frame.argument);
        }
        frame.soundIndex = static_cast<int16_t>(index);
      }
    }
  }
}

void AnimationSet::LoadPictures() {
  if (pictureCount_ <= 0) return;
  if (!pictureNames_.empty() && pictures_.empty()) {
    for (const std::string& path : pictureNames_) {
      pictures_.emplace_back(path.empty() ? nullptr : PictureCache::Load(path.c_str()));
      MediaIdle();
    }
    pictureNames_.clear();
  } else {
    for (const PictureHold& picture : pictures_) {
      if (picture.Get() != nullptr) picture.Get()->Lock();
    }
  }
}

void AnimationSet::PlayFrameSound(int32_t soundIndex) {
  if (soundIndex < 0 || static_cast<size_t>(soundIndex) >= sounds_.size()) return;
  if (Services().playSound) Services().playSound(sounds_[soundIndex]);
}

void AnimationSet::Free() {
  pictures_.clear();
  pictureNames_.clear();
  pictureCount_ = 0;
  animations_.clear();
  if (Services().releaseSound) {
    for (SoundEffect* sound : sounds_) Services().releaseSound(sound);
  }
  sounds_.clear();
  soundNames_.clear();
  events_.clear();
  eventNames_.clear();
  collisionRadius_ = 0;
  centreX_ = 0;
  centreY_ = 0;
  centreFollowsOffset_ = false;
}

Bitmap* AnimationSet::Picture(int32_t index) const {
  if (index < 0 || static_cast<size_t>(index) >= pictures_.size()) return nullptr;
  return pictures_[index].Get();
}

const Animation* AnimationSet::GetAnimation(int32_t index) const {
  if (index < 0 || static_cast<size_t>(index) >= animations_.size()) return nullptr;
  return &animations_[index];
}

ScriptEvent* AnimationSet::Event(int32_t index) const {
  if (index < 0 || static_cast<size_t>(index) >= events_.size()) return nullptr;
  return events_[index].get();
}

bool IsAnimationSetName(const std::string& name) {
  const size_t length = name.size();
  if (length <= 4) return true;
  const auto lower = [&](size_t fromEnd) {
    const char c = name[length - fromEnd];
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  };
  if (lower(3) == 'c' && lower(2) == 'a' && (lower(1) == 'm' || lower(1) == 'n')) return true;
  return name[length - 4] != '.';
}

PictureRef::PictureRef(const std::string& name) { SetName(name); }

PictureRef::PictureRef(Bitmap* picture, bool owns) : owns_(owns) {
  if (owns) {
    ownedStill_.reset(picture);
    still_ = picture;
  } else {
    SetStill(picture);
  }
}

PictureRef::~PictureRef() = default;

void PictureRef::Reset() {
  set_.reset();
  ownedStill_.reset();
  stillHold_ = PictureHold();
  still_ = nullptr;
  owns_ = false;
}

void PictureRef::SetStill(Bitmap* picture) {
  still_ = picture;
  stillHold_ = PictureHold(picture);
}

void PictureRef::Assign(const std::string& name, bool lazy) {
  Reset();
  name_ = name;
  if (IsAnimationSetName(name)) {
    auto set = std::make_unique<AnimationSet>(name, lazy);
    if (set->IsLoaded() && !set->Animations().empty()) {
      set_ = std::move(set);
      owns_ = true;
      return;
    }
  }
  SetStill(lazy ? PictureCache::Find(name.c_str()) : PictureCache::Load(name.c_str()));
}

void PictureRef::SetName(const std::string& name) { Assign(name, false); }

void PictureRef::SetNameLazy(const std::string& name) { Assign(name, true); }

void PictureRef::GetPicture() {
  if (set_ != nullptr) {
    set_->LoadPictures();
  } else if (still_ != nullptr) {
    still_->Lock();
  } else if (!name_.empty()) {
    SetStill(PictureCache::Load(name_.c_str()));
  }
}
