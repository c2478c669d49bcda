// Background music: one piece at a time, opened through the media library from a path, looped by starting it
// again whenever it has reached its end, at a volume of 0 to 100, and suspended while the game window is
// inactive. A path whose file name is the current piece's keeps that piece playing.
#pragma once

#include <string>
#include <string_view>

struct MusicPlayer {
  // No music, volume 100, not suspended; starts the media library.
  static void Initialize();
  static void Terminate();
  // Stops the current music when it plays (while suspended, only forgets to resume it).
  static void Stop();
  // Starts the current music unless it plays, is suspended (then it resumes later) or the volume is 0.
  static void Start();
};

// 0 when the piece plays (or will, once resumed or given a volume), -1 when no file of the path opens. The path
// is tried as given, then with the extensions "aiff", "mp3", "mov" and "mpg" in place of its own.
int PlayMusic(std::string_view path);
void SetMusicVolume(int volume);
int MusicVolume();
// Loops the music at its end and gives the media library time; the main loop calls it on every pass.
void MusicIdle();
void SuspendMusic(bool suspend);
bool IsMusicSuspended();
// The current piece's file name while it plays, else "".
std::string CurrentMusicName();
// The names tried for a music path, in order (for the lookup and its tests).
void MusicFileCandidates(std::string_view path, std::string out[5]);
