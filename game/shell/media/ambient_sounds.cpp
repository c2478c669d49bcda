// The ambient-sound channels.
#include "game/shell/media/ambient_sounds.h"

#include <array>

namespace {

struct OwnedChannel {
  std::unique_ptr<SoundEffect> sound;
  int8_t chance = 0;
};

std::array<OwnedChannel, kAmbientChannelCount>& Channels() {
  static auto* channels = new std::array<OwnedChannel, kAmbientChannelCount>;
  return *channels;
}

}  // namespace

void SetAmbientSound(int channel, std::unique_ptr<SoundEffect> sound, int8_t chance) {
  if (channel < 0 || channel >= kAmbientChannelCount) return;
  OwnedChannel& entry = Channels()[static_cast<size_t>(channel)];
  entry.sound = std::move(sound);  // the old sound stops as it is destroyed
  entry.chance = chance;
}

AmbientChannel GetAmbientSound(int channel) {
  if (channel < 0 || channel >= kAmbientChannelCount) return {};
  const OwnedChannel& entry = Channels()[static_cast<size_t>(channel)];
  return AmbientChannel{entry.sound.get(), entry.chance};
}

void ClearAmbientSounds() {
  for (OwnedChannel& entry : Channels()) {
    entry.sound.reset();
    entry.chance = 0;
  }
}
