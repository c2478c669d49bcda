// Media found by name: the loaded plug-ins' folders first (when plug-ins are enabled), then the scenario's.
#include "game/shell/media/media_lookup.h"

#include <gtest/gtest.h>

#include "game/shell/media/music_player.h"
#include "game/shell/data/option_store.h"
#include "game/shell/media/sound_effects.h"
#include "host/testing_sound.h"
#include "tests/support/sound_fixture.h"

namespace {

class MediaLookupTest : public SoundScenarioTest {
 protected:
  void SetUp() override {
    SoundScenarioTest::SetUp();
    SoundSystem::Start(nullptr);
    MusicPlayer::Initialize();
    spec_.samplesPerSecond = 44100.0;
    // "boom" and "theme" both in the second plug-in and in the scenario; "click" only in the scenario.
    WritePluginSound("Second/Sounds/boom.aiff", 111);
    WritePluginSound("Second/Music/theme.aiff", 222);
    WriteSound("Sounds/boom.aiff", Level(-1, 100), spec_);
    WriteSound("Sounds/click.aiff", Level(-2, 100), spec_);
    WriteSound("Music/theme.aiff", Level(-3, 100), spec_);
  }
  void TearDown() override {
    LoadedPlugins().clear();
    SetPluginsEnabled(false);
    MusicPlayer::Terminate();
    SoundSystem::Shutdown();
    SoundScenarioTest::TearDown();
  }

  void WritePluginSound(const std::string& relative, int16_t level) {
    scenario_writer::Bytes bytes = scenario_writer::WriteSoundFile(spec_, Level(level, 100));
    temp_.WriteFile("Plugins/" + relative, std::string(bytes.begin(), bytes.end()));
  }

  // The first sample a sound found by name plays.
  static int16_t SoundLevel(const char* name) {
    std::unique_ptr<SoundEffect> effect = FindFileInPlugins(name);
    if (effect == nullptr) return 0;
    effect->Play();
    return HostTestMixAudio(1)[0];
  }

  scenario_writer::SoundFileSpec spec_;
};

TEST_F(MediaLookupTest, PluginsComeFirstWhenEnabled) {
  LoadedPlugins() = {"First", "Second"};
  SetPluginsEnabled(true);
  EXPECT_EQ(SoundLevel("boom"), 111);
  EXPECT_EQ(SoundLevel("click"), -2);
  EXPECT_EQ(SoundLevel("none"), 0);
  ASSERT_TRUE(PlayMusicByName("theme"));
  EXPECT_EQ(HostTestMixAudio(1)[0], 222);
  StopMusic();
  EXPECT_EQ(CurrentMusicName(), "");
}

TEST_F(MediaLookupTest, DisabledPluginsAreNotSearched) {
  LoadedPlugins() = {"Second"};
  SetPluginsEnabled(false);
  EXPECT_EQ(SoundLevel("boom"), -1);
  ASSERT_TRUE(PlayMusicByName("theme"));
  EXPECT_EQ(HostTestMixAudio(1)[0], -3);
}

}  // namespace
