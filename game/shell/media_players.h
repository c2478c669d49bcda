// What the shell asks of the sound effects and of the music and movie players: starting and stopping them, their
// idle time, the music volume and its suspension while the game is inactive, and the ambient sounds.
//
// The players themselves come with the sound and media work; until then the game runs as on a machine without a
// sound device or media library, which is a valid state: nothing plays and every call returns at once.
#pragma once

#include <cstdint>
#include <string>

#include "host/types.h"

class SoundEffect {
 public:
  explicit SoundEffect(std::string name) : name_(std::move(name)) {}
  const std::string& GetName() const { return name_; }
  void Play() {}

 private:
  std::string name_;
};

namespace SoundSystem {
void Start(HWND window);
void Shutdown();
}  // namespace SoundSystem
// Frees at most one sound that has finished playing.
void FreeFinishedSounds();

namespace MusicPlayer {
void Initialize();
void Terminate();
}  // namespace MusicPlayer
namespace MoviePlayer {
void Initialize();
void Terminate();
// The current movie's idle time and its redrawing on the window.
void Idle();
void Draw();
}  // namespace MoviePlayer

void MusicIdle();
void SetMusicVolume(int32_t volume);  // 0 to 100
int32_t GetMusicVolume();
void SuspendMusic();
void ResumeMusic();
