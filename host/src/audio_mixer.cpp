// The software mixer: one SDL audio device shared by the sound buffers and the media players, opened for its
// first user and closed after its last, and the test seam's view of what it produced.
#include "audio_mixer.h"

#include <SDL.h>

#include <algorithm>
#include <cstdlib>

#include "host/kernel.h"
#include "host/testing_sound.h"
#include "sdl_video.h"

namespace host {
namespace {

constexpr size_t kRecordLimit = static_cast<size_t>(kMixRate) * 10;
// After the output could not be opened, it is not tried again for this long: each try reads the sound system's
// whole configuration (some 15 ms, and it waits for any library another thread is loading), and the program's
// users ask for the output one after another as it starts.
constexpr DWORD kRetryAfterMs = 1000;

struct MixerState {
  std::vector<MixSource*> sources;
  std::vector<int32_t> sum;
  std::vector<int16_t> record;
  SDL_AudioDeviceID device = 0;
  int users = 0;
  bool held = false;
  bool audioStarted = false;
  bool failed = false;  // the last try to open the output failed, at failedTick on the host clock
  DWORD failedTick = 0;
};

MixerState& Mixer() {
  static MixerState* state = new MixerState;  // outlives every static user, and the audio thread
  return *state;
}

void AudioCallback(void*, Uint8* stream, int length) {
  MixFrames(reinterpret_cast<int16_t*>(stream), length / 2);
}

}  // namespace

std::recursive_mutex& MixerLock() {
  static std::recursive_mutex* lock = new std::recursive_mutex;
  return *lock;
}

bool AcquireAudioOutput() {
  MixerState& mixer = Mixer();
  std::lock_guard<std::recursive_mutex> hold(MixerLock());
  if (mixer.users > 0) {
    ++mixer.users;
    return true;
  }
  if (mixer.failed && timeGetTime() - mixer.failedTick < kRetryAfterMs) return false;
  // Marked failed until a device opens.
  mixer.failed = true;
  mixer.failedTick = timeGetTime();
  if (!mixer.audioStarted) {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // Headless runs make no sound unless a driver was asked for by name (the "disk" driver, for one).
    if (IsHeadless() && std::getenv("SDL_AUDIODRIVER") == nullptr) {
      SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
    }
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    mixer.audioStarted = true;
  }
  SDL_AudioSpec want{};
  want.freq = kMixRate;
  want.format = AUDIO_S16SYS;
  want.channels = 1;
  // 2048 frames a callback (46 ms): the audio thread wakes about 21 times a second, half as often as with 1024,
  // which at rest with the music playing cost as much of the processor as the rest of the game.
  want.samples = 2048;
  want.callback = AudioCallback;
  SDL_AudioSpec have{};
  // No changes allowed: SDL converts to whatever the device runs at.
  SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (device == 0) return false;
  mixer.device = device;
  mixer.users = 1;
  mixer.failed = false;
  SDL_PauseAudioDevice(device, mixer.held ? 1 : 0);
  return true;
}

void ReleaseAudioOutput() {
  MixerState& mixer = Mixer();
  SDL_AudioDeviceID closing = 0;
  {
    std::lock_guard<std::recursive_mutex> hold(MixerLock());
    if (mixer.users == 0) return;
    if (--mixer.users > 0) return;
    closing = mixer.device;
    mixer.device = 0;
  }
  // Closing waits for the audio thread, which takes the mixer's lock: never close while holding it.
  SDL_CloseAudioDevice(closing);
}

void AddMixSource(MixSource* source) {
  std::lock_guard<std::recursive_mutex> hold(MixerLock());
  auto& sources = Mixer().sources;
  if (std::find(sources.begin(), sources.end(), source) == sources.end()) sources.push_back(source);
}

void RemoveMixSource(MixSource* source) {
  std::lock_guard<std::recursive_mutex> hold(MixerLock());
  auto& sources = Mixer().sources;
  sources.erase(std::remove(sources.begin(), sources.end(), source), sources.end());
}

void MixFrames(int16_t* out, int frames) {
  if (frames <= 0) return;
  MixerState& mixer = Mixer();
  std::lock_guard<std::recursive_mutex> hold(MixerLock());
  mixer.sum.assign(static_cast<size_t>(frames), 0);
  // A source may take itself out while it mixes (a buffer that reached its end): walk a copy.
  std::vector<MixSource*> sources = mixer.sources;
  for (MixSource* source : sources) source->MixInto(mixer.sum.data(), frames);
  for (int i = 0; i < frames; ++i) {
    out[i] = static_cast<int16_t>(std::clamp<int32_t>(mixer.sum[static_cast<size_t>(i)], -32768, 32767));
  }
  size_t room = kRecordLimit - std::min(kRecordLimit, mixer.record.size());
  mixer.record.insert(mixer.record.end(), out, out + std::min(room, static_cast<size_t>(frames)));
}

}  // namespace host

void HostTestHoldAudio(bool hold) {
  host::MixerState& mixer = host::Mixer();
  SDL_AudioDeviceID device = 0;
  {
    std::lock_guard<std::recursive_mutex> lock(host::MixerLock());
    mixer.held = hold;
    device = mixer.device;
  }
  // Pausing waits for a callback in progress, which may wait for the mixer's lock: pause without holding it.
  if (device != 0) SDL_PauseAudioDevice(device, hold ? 1 : 0);
}

std::vector<int16_t> HostTestMixAudio(int frames) {
  std::vector<int16_t> out(static_cast<size_t>(std::max(frames, 0)));
  host::MixFrames(out.data(), frames);
  return out;
}

std::vector<int16_t> HostTestMixerOutput() {
  std::lock_guard<std::recursive_mutex> lock(host::MixerLock());
  return host::Mixer().record;
}

void HostTestClearMixerOutput() {
  std::lock_guard<std::recursive_mutex> lock(host::MixerLock());
  host::Mixer().record.clear();
}

bool HostTestAudioOutputOpen() {
  std::lock_guard<std::recursive_mutex> lock(host::MixerLock());
  return host::Mixer().device != 0;
}
