// Test seam of the host's sound, media and web calls: reads what the mixer produced, runs the mixer by hand,
// and lists the web addresses the program asked to open. Game and framework code never call it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/types.h"

// Holding the audio output keeps the audio thread from mixing, so that a test alone decides when sound advances;
// HostTestMixAudio then mixes the next frames by hand (mono, 44,100 Hz) and returns them.
void HostTestHoldAudio(bool hold);
std::vector<int16_t> HostTestMixAudio(int frames);
// Every sample the mixer produced, by the audio thread or by hand, since the last clear (at most ten seconds).
std::vector<int16_t> HostTestMixerOutput();
void HostTestClearMixerOutput();
// Whether an audio output is open (the SDL "dummy" and "disk" drivers count).
bool HostTestAudioOutputOpen();
// Makes DirectSoundCreate8 fail as with no audio device while set.
void HostTestRefuseAudioDevice(bool refuse);
// Marks every sound buffer lost, as when the device was taken away; the next `failingRestores` Restore calls
// still report the buffer lost.
void HostTestLoseSoundBuffers(int failingRestores);

// The type of every MessageBeep since the last clear, in order.
std::vector<UINT> HostTestBeeps();
void HostTestClearBeeps();

// Web addresses that ShellExecuteA accepted, in order. While captured, nothing is started.
void HostTestCaptureAddresses(bool capture);
std::vector<std::string> HostTestOpenedAddresses();
void HostTestClearOpenedAddresses();

// Writes a small movie file (a POSIX path) for tests: `frames` frames of width x height, each filled with one colour
// (0x00RRGGBB) from `colours` in turn, at `framesPerSecond`, losslessly compressed; with a sound track of a
// 440 Hz tone when withSound is set. False when it cannot be written.
bool HostTestWriteMovie(const char* path, int width, int height, int frames, int framesPerSecond,
                        const std::vector<uint32_t>& colours, bool withSound);

// While set, the media libraries count as missing: opening music or a movie fails as when they are not installed
// (libraries loaded before stay loaded). The error the media calls report then, or an empty string.
void HostTestHideMediaLibraries(bool hidden);
const char* HostTestMediaLibraryError();

// While set, every music or movie file opened goes through the media decoders, plain PCM AIFF files too, which
// the media calls otherwise read themselves; so that tests can compare the two readings of one file.
void HostTestDecodeEveryFile(bool every);
