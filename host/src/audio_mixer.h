// The software mixer behind the sound device and the media players: one SDL audio stream (mono, 44,100 Hz,
// 16-bit) fed by a callback that adds up every registered source. Sources are added and removed under the
// mixer's lock, which the audio thread holds while it mixes. Internal to the host layer.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

namespace host {

constexpr int kMixRate = 44100;

// Something that sounds: adds its next `frames` samples into `sum` (mono, 16-bit scale). Called with the
// mixer's lock held, on the audio thread or a test's.
class MixSource {
 public:
  virtual ~MixSource() = default;
  virtual void MixInto(int32_t* sum, int frames) = 0;
};

// The lock every source's playing state is guarded by.
std::recursive_mutex& MixerLock();

// Opens the audio output for one more user; false (and nothing held) when no device can be opened. After a
// failure the next second's users get false at once, without trying again. Users that only decode (the media
// players) do without: they still mix when the output is pulled by the test seam.
bool AcquireAudioOutput();
void ReleaseAudioOutput();

void AddMixSource(MixSource* source);
void RemoveMixSource(MixSource* source);

// Mixes `frames` samples of every source into out, clamped to 16 bits; what the output produced is kept for the
// test seam while it records.
void MixFrames(int16_t* out, int frames);

}  // namespace host
