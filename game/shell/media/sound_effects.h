// Sound effects: sounds decoded once from AIFF files into the sound device's buffers, the ten sounds the game
// rules play by slot number, and the list of sounds loaded by name, freed one per main-loop pass once they have
// finished and no holder counts them. Without a sound device nothing loads and nothing plays.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/sound.h"

// One decoded sound ready to play: its device buffers (the first made, the others duplicates sharing its
// memory) and the PCM and format it was made from, kept to refill a buffer the device reports lost.
class DirectSoundSound {
 public:
  DirectSoundSound() = default;
  ~DirectSoundSound();
  DirectSoundSound(const DirectSoundSound&) = delete;
  DirectSoundSound& operator=(const DirectSoundSound&) = delete;

  // Makes bufferCount buffers of the PCM and fills the first; false when the device refuses one.
  bool Create(IDirectSound8* device, std::vector<uint8_t> pcm, const WAVEFORMATEX& format, int bufferCount);

  // Plays a buffer that is not playing, else one chosen at random (a playing one keeps its place); a lost buffer
  // is restored and refilled first.
  HRESULT Play(DWORD priority, DWORD flags);
  bool IsPlaying() const;
  HRESULT Stop();

  const WAVEFORMATEX& Format() const { return format_; }
  size_t BufferSize() const { return pcm_.size(); }

 private:
  // Restores a lost buffer, retrying a bounded number of times; sets restored when it had been lost.
  bool RestoreIfLost(IDirectSoundBuffer* buffer, bool* restored);
  bool Fill(IDirectSoundBuffer* buffer);
  void RewindAll();

  std::vector<IDirectSoundBuffer*> buffers_;
  std::vector<uint8_t> pcm_;
  WAVEFORMATEX format_{};
};

// A named sound. referenceCount 0 means it is freed once it has finished playing.
class SoundEffect {
 public:
  SoundEffect(std::string name, std::unique_ptr<DirectSoundSound> sound);
  ~SoundEffect();  // stops it when it plays

  void Play();
  bool IsPlaying() const { return sound != nullptr && sound->IsPlaying(); }

  std::string name;
  int32_t referenceCount = 1;
  std::unique_ptr<DirectSoundSound> sound;
};

// The one sound device of the process.
struct SoundSystem {
  // Starts the device (priority level, primary format mono 44,100 Hz 16-bit) and loads the ten slots; on any
  // failure the game runs silent.
  static void Start(HWND mainWindow);
  // Deletes the slot sounds and the finished sounds, and releases the device.
  static void Shutdown();
  static IDirectSound8* Device();
};

constexpr int kSoundSlotCount = 10;
// The slot's sound, or null when its file was not found (or there is no device).
SoundEffect* SoundSlotEffect(int slot);
void PlaySoundSlot(int slot);

// Loads the sound by name, plays it once and keeps it in the playing list until it has finished.
void PlaySoundFile(std::string_view name);
// Loads and plays the sound and waits until it has finished, calling callback(0) (when given), pumping window
// messages and running the idle procedures meanwhile.
void PlaySoundFileAndWait(std::string_view name, void (*callback)(int) = nullptr);
// The playing list's entry of that name (byte for byte) with its count raised, else a new one loaded with count
// 1; null when it cannot be loaded. Holders lower the count when they let go.
SoundEffect* FindOrLoadSound(std::string_view name);
// Frees the first entry of the playing list that is silent and counted by no holder: at most one a call.
void FreeFinishedSounds();
// The playing list, in order.
const std::vector<std::unique_ptr<SoundEffect>>& PlayingSounds();

// Reads and decodes a sound file (a path on the default folder) into a new sound with count 1; null without a
// device or when the file is missing, refused or cannot be put in a buffer.
std::unique_ptr<SoundEffect> LoadSoundFile(const char* path, std::string_view name);

// The message pump that waiting for a sound runs; the shell installs the main loop's. Null: the wait only runs
// the idle procedures and yields.
void SetSoundWaitPump(void (*pump)());
