// The sound device, decoded sounds, the ten slots and the playing list.
#include "game/shell/media/sound_effects.h"

#include <algorithm>
#include <cstring>

#include "game/shell/media/aiff_sound.h"
#include "game/shell/data/game_random.h"
#include "game/shell/media/media_lookup.h"
#include "host/kernel.h"
#include "host/user.h"
#include "platform/core/core.h"
#include "platform/core/file_manager.h"
#include "platform/core/memory.h"

namespace {

// A device that keeps reporting a buffer lost is given up on after this many tries (10 ms apart).
constexpr int kRestoreTries = 50;
// Waiting for a sound, a turn comes this often (sooner when a message comes), as the media timer's turns do while a
// menu is open.
constexpr DWORD kSoundWaitTurnMs = 10;

const char* const kSlotNames[kSoundSlotCount] = {
    "cs_attack_success", "cs_rangeattack_success", "cs_attack_miss", "cs_attack_receive", "cs_block_success",
    "cs_take_gold",      "cs_armor_wear",          "cs_use_potion",  "cs_buy",            "cs_journal_log"};

struct SoundState {
  IDirectSound8* device = nullptr;
  std::unique_ptr<SoundEffect> slots[kSoundSlotCount];
  std::vector<std::unique_ptr<SoundEffect>> playing;
  void (*pump)() = nullptr;
};

SoundState& State() {
  static SoundState state;
  return state;
}

}  // namespace

// ---- DirectSoundSound ----

DirectSoundSound::~DirectSoundSound() {
  for (IDirectSoundBuffer* buffer : buffers_) buffer->Release();
}

bool DirectSoundSound::Create(IDirectSound8* device, std::vector<uint8_t> pcm, const WAVEFORMATEX& format,
                              int bufferCount) {
  if (device == nullptr || pcm.empty() || pcm.size() > DSBSIZE_MAX || bufferCount < 1) return false;
  pcm_ = std::move(pcm);
  format_ = format;
  DSBUFFERDESC description{};
  description.dwSize = sizeof(description);
  description.dwFlags = 0;
  description.dwBufferBytes = static_cast<DWORD>(pcm_.size());
  description.lpwfxFormat = &format_;
  IDirectSoundBuffer* first = nullptr;
  if (FAILED(device->CreateSoundBuffer(&description, &first, nullptr)) || first == nullptr) return false;
  buffers_.push_back(first);
  for (int i = 1; i < bufferCount; ++i) {
    IDirectSoundBuffer* duplicate = nullptr;
    if (FAILED(device->DuplicateSoundBuffer(first, &duplicate)) || duplicate == nullptr) return false;
    buffers_.push_back(duplicate);
  }
  if (!Fill(first)) return false;
  RewindAll();
  return true;
}

bool DirectSoundSound::RestoreIfLost(IDirectSoundBuffer* buffer, bool* restored) {
  *restored = false;
  DWORD status = 0;
  if (FAILED(buffer->GetStatus(&status)) || (status & DSBSTATUS_BUFFERLOST) == 0) return true;
  for (int attempt = 0; attempt < kRestoreTries; ++attempt) {
    HRESULT result = buffer->Restore();
    if (SUCCEEDED(result)) {
      *restored = true;
      return true;
    }
    if (result != DSERR_BUFFERLOST) return false;
    Sleep(10);
  }
  return false;
}

bool DirectSoundSound::Fill(IDirectSoundBuffer* buffer) {
  bool restored = false;
  if (!RestoreIfLost(buffer, &restored)) return false;
  void* part1 = nullptr;
  void* part2 = nullptr;
  DWORD bytes1 = 0, bytes2 = 0;
  if (FAILED(buffer->Lock(0, 0, &part1, &bytes1, &part2, &bytes2, DSBLOCK_ENTIREBUFFER)) || part1 == nullptr) {
    return false;
  }
  const size_t copied = std::min<size_t>(bytes1, pcm_.size());
  std::memcpy(part1, pcm_.data(), copied);
  std::memset(static_cast<uint8_t*>(part1) + copied, format_.wBitsPerSample == 8 ? 128 : 0, bytes1 - copied);
  buffer->Unlock(part1, bytes1, part2, bytes2);
  return true;
}

void DirectSoundSound::RewindAll() {
  for (IDirectSoundBuffer* buffer : buffers_) buffer->SetCurrentPosition(0);
}

HRESULT DirectSoundSound::Play(DWORD priority, DWORD flags) {
  if (buffers_.empty()) return DSERR_INVALIDCALL;
  IDirectSoundBuffer* chosen = nullptr;
  for (IDirectSoundBuffer* buffer : buffers_) {
    DWORD status = 0;
    if (FAILED(buffer->GetStatus(&status)) || (status & DSBSTATUS_PLAYING) == 0) {
      chosen = buffer;
      break;
    }
  }
  if (chosen == nullptr) chosen = buffers_[static_cast<size_t>(NextRandom()) % buffers_.size()];
  bool restored = false;
  if (!RestoreIfLost(chosen, &restored)) return DSERR_BUFFERLOST;
  if (restored) {
    if (!Fill(chosen)) return DSERR_BUFFERLOST;
    RewindAll();
  }
  return chosen->Play(0, priority, flags);
}

bool DirectSoundSound::IsPlaying() const {
  for (IDirectSoundBuffer* buffer : buffers_) {
    DWORD status = 0;
    if (SUCCEEDED(buffer->GetStatus(&status)) && (status & DSBSTATUS_PLAYING) != 0) return true;
  }
  return false;
}

HRESULT DirectSoundSound::Stop() {
  HRESULT result = DS_OK;
  for (IDirectSoundBuffer* buffer : buffers_) {
    HRESULT one = buffer->Stop();
    if (FAILED(one)) result = one;
  }
  return result;
}

// ---- SoundEffect ----

SoundEffect::SoundEffect(std::string effectName, std::unique_ptr<DirectSoundSound> effectSound)
    : name(std::move(effectName)), sound(std::move(effectSound)) {}

SoundEffect::~SoundEffect() {
  if (sound != nullptr && sound->IsPlaying()) sound->Stop();
}

void SoundEffect::Play() {
  if (sound != nullptr) sound->Play(0, 0);
}

// ---- loading ----

std::unique_ptr<SoundEffect> LoadSoundFile(const char* path, std::string_view name) {
  IDirectSound8* device = State().device;
  if (device == nullptr || path == nullptr) return nullptr;
  PlatformHandle* handle = nullptr;
  if (PlatformReadFileToHandle(0, path, UINT32_MAX, false, &handle) != kPlatformNoError || handle == nullptr) {
    return nullptr;
  }
  PlatformHandle::SetLocked(handle, 1);
  AiffSound parsed;
  const PlatformError error =
      ReadAiffSound(static_cast<const uint8_t*>(handle->data), PlatformHandle::GetSize(handle), parsed);
  PlatformHandle::SetLocked(handle, 0);
  PlatformHandle::Dispose(handle);
  if (error != kPlatformNoError) return nullptr;

  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = parsed.channels;
  format.nSamplesPerSec = parsed.samplesPerSecond;
  format.nBlockAlign = static_cast<WORD>(parsed.channels * parsed.bitsPerSample / 8);
  format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
  format.wBitsPerSample = parsed.bitsPerSample;
  format.cbSize = 0;
  auto sound = std::make_unique<DirectSoundSound>();
  if (!sound->Create(device, std::move(parsed.pcm), format, 1)) return nullptr;
  return std::make_unique<SoundEffect>(std::string(name), std::move(sound));
}

// ---- the device ----

void SoundSystem::Start(HWND mainWindow) {
  SoundState& state = State();
  if (state.device != nullptr) return;
  IDirectSound8* device = nullptr;
  if (FAILED(DirectSoundCreate8(nullptr, &device, nullptr)) || device == nullptr) return;
  bool ready = SUCCEEDED(device->SetCooperativeLevel(mainWindow, DSSCL_PRIORITY));
  if (ready) {
    DSBUFFERDESC description{};
    description.dwSize = sizeof(description);
    description.dwFlags = DSBCAPS_PRIMARYBUFFER;
    IDirectSoundBuffer* primary = nullptr;
    ready = SUCCEEDED(device->CreateSoundBuffer(&description, &primary, nullptr)) && primary != nullptr;
    if (ready) {
      const WAVEFORMATEX format{WAVE_FORMAT_PCM, 1, 44100, 88200, 2, 16, 0};
      ready = SUCCEEDED(primary->SetFormat(&format));
      primary->Release();
    }
  }
  if (!ready) {
    device->Release();
    return;
  }
  state.device = device;
  Sleep(1);
  for (int slot = 0; slot < kSoundSlotCount; ++slot) state.slots[slot] = FindFileInPlugins(kSlotNames[slot]);
}

void SoundSystem::Shutdown() {
  SoundState& state = State();
  for (auto& slot : state.slots) slot.reset();
  // The finished sounds go as FreeFinishedSounds frees them; the rest are stopped and freed with the list, before
  // the device goes: left in the list, a sound of the old device would be handed out again by FindOrLoadSound and
  // played after a new start.
  for (auto it = state.playing.begin(); it != state.playing.end();) {
    if ((*it)->referenceCount == 0 && !(*it)->IsPlaying()) {
      it = state.playing.erase(it);
    } else {
      ++it;
    }
  }
  state.playing.clear();
  if (state.device != nullptr) state.device->Release();
  state.device = nullptr;
}

IDirectSound8* SoundSystem::Device() { return State().device; }

SoundEffect* SoundSlotEffect(int slot) {
  if (slot < 0 || slot >= kSoundSlotCount) return nullptr;
  return State().slots[slot].get();
}

void PlaySoundSlot(int slot) {
  if (SoundEffect* effect = SoundSlotEffect(slot)) effect->Play();
}

// ---- sounds by name ----

void PlaySoundFile(std::string_view name) {
  if (name.empty()) return;
  std::unique_ptr<SoundEffect> effect = FindFileInPlugins(name);
  if (effect == nullptr) return;
  effect->referenceCount = 0;
  if (effect->sound != nullptr && SUCCEEDED(effect->sound->Play(0, 0))) {
    State().playing.push_back(std::move(effect));
  }
}

void PlaySoundFileAndWait(std::string_view name, void (*callback)(int)) {
  std::unique_ptr<SoundEffect> effect = FindFileInPlugins(name);
  if (effect == nullptr) return;
  effect->referenceCount = 0;
  effect->Play();
  while (effect->IsPlaying()) {
    const DWORD turnStart = timeGetTime();
    if (callback != nullptr) callback(0);
    if (State().pump != nullptr) State().pump();
    PlatformRunIdleProcs();
    PlatformYield();
    // What is left of the turn is waited for, blocking until a message comes or the next turn is due, so that
    // waiting for a sound never keeps the processor busy. Without a pump the messages are not taken, so only the
    // time is waited for.
    const DWORD spent = timeGetTime() - turnStart;
    if (spent >= kSoundWaitTurnMs) continue;
    if (State().pump != nullptr) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, kSoundWaitTurnMs - spent, QS_ALLINPUT);
    } else {
      Sleep(kSoundWaitTurnMs - spent);
    }
  }
  if (effect->sound != nullptr) effect->sound->Stop();
}

SoundEffect* FindOrLoadSound(std::string_view name) {
  SoundState& state = State();
  for (auto& entry : state.playing) {
    if (entry->name == name) {
      ++entry->referenceCount;
      return entry.get();
    }
  }
  std::unique_ptr<SoundEffect> effect = FindFileInPlugins(name);
  if (effect == nullptr) return nullptr;
  effect->referenceCount = 1;
  state.playing.push_back(std::move(effect));
  return state.playing.back().get();
}

void FreeFinishedSounds() {
  auto& playing = State().playing;
  for (auto it = playing.begin(); it != playing.end(); ++it) {
    if ((*it)->referenceCount == 0 && !(*it)->IsPlaying()) {
      playing.erase(it);
      return;
    }
  }
}

const std::vector<std::unique_ptr<SoundEffect>>& PlayingSounds() { return State().playing; }

void SetSoundWaitPump(void (*pump)()) { State().pump = pump; }
