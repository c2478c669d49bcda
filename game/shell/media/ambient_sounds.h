// The three ambient-sound channels of the running game: each holds a sound that the main loop may play every
// 2.5 seconds while a tile map shows, with a chance in percent. Locations set them when they are entered.
#pragma once

#include <cstdint>
#include <memory>

#include "game/shell/media/sound_effects.h"

constexpr int kAmbientChannelCount = 3;

struct AmbientChannel {
  SoundEffect* sound = nullptr;  // owned by the channel
  int8_t chance = 0;             // percent
};

// Takes the sound over (null: none); the channel's previous sound is stopped and freed. A channel outside 0 to
// 2 frees the sound and changes nothing.
void SetAmbientSound(int channel, std::unique_ptr<SoundEffect> sound, int8_t chance);
// The channel's sound and chance; an empty channel outside 0 to 2.
AmbientChannel GetAmbientSound(int channel);
// Frees every channel's sound and sets every chance to 0.
void ClearAmbientSounds();
