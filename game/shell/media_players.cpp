// The shell's side of sound and media without a device: the volume setting is kept, nothing plays.
#include "game/shell/media_players.h"

namespace {

int32_t& Volume() {
  static int32_t volume = 100;
  return volume;
}

}  // namespace

namespace SoundSystem {
void Start(HWND) {}
void Shutdown() {}
}  // namespace SoundSystem

void FreeFinishedSounds() {}

namespace MusicPlayer {
void Initialize() { Volume() = 100; }
void Terminate() {}
}  // namespace MusicPlayer

namespace MoviePlayer {
void Initialize() {}
void Terminate() {}
void Idle() {}
void Draw() {}
}  // namespace MoviePlayer

void MusicIdle() {}

void SetMusicVolume(int32_t volume) {
  if (volume < 0) volume = 0;
  if (volume > 100) volume = 100;
  Volume() = volume;
}

int32_t GetMusicVolume() { return Volume(); }
void SuspendMusic() {}
void ResumeMusic() {}
