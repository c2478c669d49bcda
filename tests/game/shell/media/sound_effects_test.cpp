// Sound effects against the host mixer: slots, sounds played by name and freed when finished, shared sounds,
// lost buffers, waiting for a sound, and the silent game without a device.
#include "game/shell/media/sound_effects.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "game/shell/data/game_random.h"
#include "host/kernel.h"
#include "host/testing.h"
#include "host/testing_sound.h"
#include "tests/support/sound_fixture.h"

namespace {

scenario_writer::SoundFileSpec At44100() {
  scenario_writer::SoundFileSpec fileSpec;
  fileSpec.samplesPerSecond = 44100.0;
  return fileSpec;
}

bool AnySound(const std::vector<int16_t>& samples) {
  return std::any_of(samples.begin(), samples.end(), [](int16_t s) { return s != 0; });
}

class SoundEffectsTest : public SoundScenarioTest {
 protected:
  void SetUp() override {
    SoundScenarioTest::SetUp();
    SeedRandom(7);
  }
  void TearDown() override {
    SoundSystem::Shutdown();
    SoundScenarioTest::TearDown();
  }
};

TEST_F(SoundEffectsTest, SlotsLoadByNameAndAMissingSlotPlaysNothing) {
  WriteSound("Sounds/cs_attack_success.aiff", Level(1000, 100), At44100());
  WriteSound("Sounds/cs_buy.aiff", Level(-2000, 100), At44100());
  SoundSystem::Start(nullptr);
  ASSERT_NE(SoundSystem::Device(), nullptr);
  ASSERT_NE(SoundSlotEffect(0), nullptr);
  EXPECT_EQ(SoundSlotEffect(0)->name, "cs_attack_success");
  EXPECT_EQ(SoundSlotEffect(1), nullptr);
  ASSERT_NE(SoundSlotEffect(8), nullptr);
  PlaySoundSlot(1);
  PlaySoundSlot(42);
  EXPECT_FALSE(AnySound(HostTestMixAudio(50)));
  PlaySoundSlot(8);
  std::vector<int16_t> out = HostTestMixAudio(100);
  EXPECT_EQ(out[0], -2000);
  EXPECT_EQ(out[99], -2000);
}

TEST_F(SoundEffectsTest, SoundPlaysAtItsOwnRate) {
  // 22,050 Hz: each sample lasts two output samples; 8-bit samples come out scaled to 16 bits.
  WriteSound("Sounds/low.aiff", Level(3000, 10));
  scenario_writer::SoundFileSpec eightBit;
  eightBit.bitsPerSample = 8;
  WriteSound("Sounds/byte.aiff", Level(0x4000, 10), eightBit);
  SoundSystem::Start(nullptr);
  PlaySoundFile("low");
  std::vector<int16_t> out = HostTestMixAudio(24);
  EXPECT_EQ(std::count(out.begin(), out.end(), 3000), 20);
  EXPECT_FALSE(AnySound(std::vector<int16_t>(out.begin() + 20, out.end())));
  PlaySoundFile("byte");
  out = HostTestMixAudio(4);
  EXPECT_EQ(out[0], 0x4000);
}

TEST_F(SoundEffectsTest, FinishedSoundsAreFreedOnePerPass) {
  WriteSound("Sounds/a.aiff", Level(100, 30), At44100());
  WriteSound("Sounds/b.aiff", Level(100, 30), At44100());
  SoundSystem::Start(nullptr);
  PlaySoundFile("a");
  PlaySoundFile("b");
  PlaySoundFile("");
  PlaySoundFile("missing");
  ASSERT_EQ(PlayingSounds().size(), 2u);
  FreeFinishedSounds();
  EXPECT_EQ(PlayingSounds().size(), 2u);  // both still sound
  HostTestMixAudio(64);
  FreeFinishedSounds();
  ASSERT_EQ(PlayingSounds().size(), 1u);
  EXPECT_EQ(PlayingSounds()[0]->name, "b");
  FreeFinishedSounds();
  EXPECT_TRUE(PlayingSounds().empty());
}

TEST_F(SoundEffectsTest, FindOrLoadSoundSharesOneEntry) {
  WriteSound("Sounds/step.aiff", Level(100, 10), At44100());
  SoundSystem::Start(nullptr);
  SoundEffect* first = FindOrLoadSound("step");
  SoundEffect* second = FindOrLoadSound("step");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first, second);
  EXPECT_EQ(first->referenceCount, 2);
  // Names compare byte for byte: another spelling is an entry of its own.
  SoundEffect* other = FindOrLoadSound("Step");
  ASSERT_NE(other, nullptr);
  EXPECT_NE(other, first);
  EXPECT_EQ(FindOrLoadSound("nothing"), nullptr);
  FreeFinishedSounds();
  EXPECT_EQ(std::count_if(PlayingSounds().begin(), PlayingSounds().end(),
                          [](const auto& e) { return e->name == "step"; }),
            1);
  first->referenceCount = 0;
  size_t before = PlayingSounds().size();
  FreeFinishedSounds();
  EXPECT_EQ(PlayingSounds().size(), before - 1);
}

TEST_F(SoundEffectsTest, PlayingAPlayingSoundDoesNotRestartIt) {
  WriteSound("Sounds/long.aiff", Level(500, 100), At44100());
  SoundSystem::Start(nullptr);
  SoundEffect* effect = FindOrLoadSound("long");
  ASSERT_NE(effect, nullptr);
  effect->Play();
  HostTestMixAudio(60);
  effect->Play();
  EXPECT_TRUE(effect->IsPlaying());
  HostTestMixAudio(41);
  EXPECT_FALSE(effect->IsPlaying());
  effect->Play();  // a finished sound starts again from its beginning
  std::vector<int16_t> out = HostTestMixAudio(100);
  EXPECT_EQ(out[99], 500);
}

TEST_F(SoundEffectsTest, LostBufferIsRestoredRefilledAndRetriedOnlySoOften) {
  HostTestUseManualClock(true);
  WriteSound("Sounds/lost.aiff", Level(700, 20), At44100());
  SoundSystem::Start(nullptr);
  SoundEffect* effect = FindOrLoadSound("lost");
  ASSERT_NE(effect, nullptr);
  HostTestLoseSoundBuffers(3);
  effect->Play();
  EXPECT_EQ(HostTestMixAudio(5)[0], 700);
  HostTestMixAudio(20);
  HostTestLoseSoundBuffers(1000000);
  EXPECT_EQ(effect->sound->Play(0, 0), DSERR_BUFFERLOST);
  EXPECT_FALSE(effect->IsPlaying());
  HostTestLoseSoundBuffers(0);
  HostTestUseManualClock(false);
}

TEST_F(SoundEffectsTest, WaitingForASoundRunsUntilItEnds) {
  WriteSound("Sounds/wait.aiff", Level(100, 1000), At44100());
  SoundSystem::Start(nullptr);
  static int calls;
  calls = 0;
  PlaySoundFileAndWait("wait", [](int value) {
    EXPECT_EQ(value, 0);
    ++calls;
    HostTestMixAudio(300);
  });
  EXPECT_EQ(calls, 4);
  EXPECT_TRUE(PlayingSounds().empty());
}

// Between its turns the wait gives the time away: on the test clock, which moves only when something waits, each
// turn comes later than the one before.
TEST_F(SoundEffectsTest, WaitingForASoundWaitsBetweenItsTurns) {
  WriteSound("Sounds/wait.aiff", Level(100, 1000), At44100());
  SoundSystem::Start(nullptr);
  HostTestUseManualClock(true);
  static std::vector<DWORD> turns;
  turns.clear();
  PlaySoundFileAndWait("wait", [](int) {
    turns.push_back(timeGetTime());
    HostTestMixAudio(300);
  });
  HostTestUseManualClock(false);
  ASSERT_EQ(turns.size(), 4u);
  for (size_t i = 1; i < turns.size(); ++i) EXPECT_GT(turns[i], turns[i - 1]) << i;
}

TEST_F(SoundEffectsTest, WithoutADeviceNothingLoadsOrPlays) {
  HostTestRefuseAudioDevice(true);
  WriteSound("Sounds/cs_attack_success.aiff", Level(1000, 100), At44100());
  SoundSystem::Start(nullptr);
  EXPECT_EQ(SoundSystem::Device(), nullptr);
  EXPECT_EQ(SoundSlotEffect(0), nullptr);
  PlaySoundSlot(0);
  PlaySoundFile("cs_attack_success");
  EXPECT_EQ(FindOrLoadSound("cs_attack_success"), nullptr);
  EXPECT_TRUE(PlayingSounds().empty());
  EXPECT_FALSE(AnySound(HostTestMixAudio(100)));
}

TEST_F(SoundEffectsTest, RefusedFileLoadsNothing) {
  temp_.WriteFile("Data/Sounds/bad.aiff", "FORM\0\0\0\4WAVE");
  SoundSystem::Start(nullptr);
  EXPECT_EQ(FindOrLoadSound("bad"), nullptr);
  EXPECT_EQ(LoadSoundFile("Data/Sounds/none.aiff", "none"), nullptr);
}

}  // namespace
