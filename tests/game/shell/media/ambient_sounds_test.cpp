// The ambient-sound channels own their sounds: a new sound replaces (and frees) the old one, a channel out of
// range takes nothing, and clearing empties all three.
#include "game/shell/media/ambient_sounds.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

std::unique_ptr<SoundEffect> Silent(const char* name) { return std::make_unique<SoundEffect>(name, nullptr); }

TEST(AmbientSounds, ChannelsOwnTheirSounds) {
  SetAmbientSound(1, Silent("wind"), 40);
  EXPECT_EQ(GetAmbientSound(1).sound->name, "wind");
  EXPECT_EQ(GetAmbientSound(1).chance, 40);
  SetAmbientSound(1, Silent("rain"), -5);
  EXPECT_EQ(GetAmbientSound(1).sound->name, "rain");
  EXPECT_EQ(GetAmbientSound(1).chance, -5);
  EXPECT_EQ(GetAmbientSound(0).sound, nullptr);
  for (int channel : {-1, 3, 1000}) {
    SetAmbientSound(channel, Silent("lost"), 90);
    EXPECT_EQ(GetAmbientSound(channel).sound, nullptr);
  }
  EXPECT_EQ(GetAmbientSound(1).sound->name, "rain");
  ClearAmbientSounds();
  for (int channel = 0; channel < kAmbientChannelCount; ++channel) {
    EXPECT_EQ(GetAmbientSound(channel).sound, nullptr);
    EXPECT_EQ(GetAmbientSound(channel).chance, 0);
  }
}

}  // namespace
