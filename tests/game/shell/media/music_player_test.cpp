// The music player against the host's media library and mixer: names tried, the same piece kept, volume,
// suspension and looping. Music files are AIFF files written by the scenario writer at 44,100 Hz, so the mixed
// output can be compared sample for sample.
#include "game/shell/media/music_player.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <string>

#include "game/shell/media/media_lookup.h"
#include "host/testing_sound.h"
#include "tests/support/sound_fixture.h"

namespace {

scenario_writer::SoundFileSpec At44100() {
  scenario_writer::SoundFileSpec fileSpec;
  fileSpec.samplesPerSecond = 44100.0;
  return fileSpec;
}

std::vector<int16_t> Ramp(size_t count) {
  std::vector<int16_t> samples(count);
  std::iota(samples.begin(), samples.end(), int16_t{1});
  return samples;
}

bool Silent(const std::vector<int16_t>& samples) {
  return std::all_of(samples.begin(), samples.end(), [](int16_t s) { return s == 0; });
}

class MusicPlayerTest : public SoundScenarioTest {
 protected:
  void SetUp() override {
    SoundScenarioTest::SetUp();
    MusicPlayer::Initialize();
  }
  void TearDown() override {
    MusicPlayer::Terminate();
    HostTestDecodeEveryFile(false);
    SoundScenarioTest::TearDown();
  }
};

TEST_F(MusicPlayerTest, NameIsTriedWithExtensions) {
  WriteSound("Music/song.aiff", Level(10000, 4410), At44100());
  ASSERT_TRUE(PlayMusicByName("song"));
  EXPECT_EQ(CurrentMusicName(), "song");
  std::vector<int16_t> out = HostTestMixAudio(10);
  EXPECT_EQ(out[0], 10000);
  EXPECT_EQ(out[9], 10000);
}

// A tune's samples are decoded after it opens: mixing its whole length at once waits for every one of them, and
// a tune given up while still decoding makes way for the next at once. The files go through the decoders, which
// the host would otherwise spare these plain ones.
TEST_F(MusicPlayerTest, AWholeTuneMixesAtOnceAndGivesWayWhileDecoding) {
  HostTestDecodeEveryFile(true);
  constexpr size_t kLength = 44100 * 3;
  WriteSound("Music/long.aiff", Level(10000, kLength), At44100());
  WriteSound("Music/tune.aiff", Level(-3000, 4410), At44100());
  ASSERT_TRUE(PlayMusicByName("long"));
  std::vector<int16_t> out = HostTestMixAudio(static_cast<int>(kLength) + 10);
  EXPECT_EQ(std::count(out.begin(), out.end(), 10000), static_cast<std::ptrdiff_t>(kLength));
  EXPECT_EQ(out.back(), 0);
  ASSERT_TRUE(PlayMusicByName("tune"));
  ASSERT_TRUE(PlayMusicByName("long"));  // opened again, and given up before its decoding can have ended
  ASSERT_TRUE(PlayMusicByName("tune"));
  EXPECT_EQ(HostTestMixAudio(1)[0], -3000);
}

TEST_F(MusicPlayerTest, SamePieceIsNotReopened) {
  WriteSound("Music/song.aiff", Ramp(1000), At44100());
  ASSERT_TRUE(PlayMusicByName("song.aiff"));
  HostTestMixAudio(100);
  temp_.WriteFile("Data/Music/song.aiff", "no longer music");
  // Another folder, the same file name: the piece goes on from where it was.
  EXPECT_EQ(PlayMusic("Elsewhere/song.aiff"), 0);
  EXPECT_EQ(HostTestMixAudio(1)[0], 101);
  EXPECT_EQ(CurrentMusicName(), "song.aiff");
}

TEST_F(MusicPlayerTest, MusicThatCannotOpenGivesMinusOne) {
  temp_.WriteFile("Data/Music/noise.aiff", "FORM but nothing more");
  EXPECT_FALSE(PlayMusicByName("missing"));
  EXPECT_FALSE(PlayMusicByName("noise"));
  EXPECT_EQ(PlayMusic("Data/Music/missing"), -1);
  EXPECT_EQ(CurrentMusicName(), "");
  EXPECT_TRUE(Silent(HostTestMixAudio(10)));
}

// The decoders are loaded when music that needs them is first opened; without them that music is silent and the
// reason is told, while plain music at the mixer's rate, which needs no decoders, still plays.
TEST_F(MusicPlayerTest, MissingMediaLibrariesLeaveTheMusicSilent) {
  WriteSound("Music/song.aiff", Level(10000, 4410));  // 22,050 Hz: resampled by the decoders
  WriteSound("Music/plain.aiff", Level(-3000, 4410), At44100());
  HostTestHideMediaLibraries(true);
  EXPECT_FALSE(PlayMusicByName("song"));
  EXPECT_EQ(CurrentMusicName(), "");
  EXPECT_TRUE(Silent(HostTestMixAudio(10)));
  EXPECT_NE(std::string(HostTestMediaLibraryError()).find("could not be loaded"), std::string::npos);
  ASSERT_TRUE(PlayMusicByName("plain"));
  EXPECT_EQ(HostTestMixAudio(1)[0], -3000);
  HostTestHideMediaLibraries(false);
  ASSERT_TRUE(PlayMusicByName("song"));
  EXPECT_NEAR(HostTestMixAudio(100)[50], 10000, 100);
}

TEST_F(MusicPlayerTest, VolumeZeroStopsAndSixtyResumesAt153) {
  WriteSound("Music/song.aiff", Level(10000, 4410), At44100());
  ASSERT_TRUE(PlayMusicByName("song"));
  SetMusicVolume(0);
  EXPECT_EQ(CurrentMusicName(), "");
  EXPECT_TRUE(Silent(HostTestMixAudio(100)));
  MusicIdle();
  EXPECT_TRUE(Silent(HostTestMixAudio(100)));
  SetMusicVolume(60);
  EXPECT_EQ(CurrentMusicName(), "song");
  EXPECT_EQ(HostTestMixAudio(1)[0], 10000 * 153 / 256);
}

TEST_F(MusicPlayerTest, SuspendedMusicWaitsForResume) {
  WriteSound("Music/song.aiff", Level(10000, 4410), At44100());
  WriteSound("Music/tune.aiff", Level(-3000, 4410), At44100());
  ASSERT_TRUE(PlayMusicByName("song"));
  SuspendMusic(true);
  EXPECT_TRUE(IsMusicSuspended());
  EXPECT_EQ(CurrentMusicName(), "");
  EXPECT_TRUE(Silent(HostTestMixAudio(50)));
  // A new piece opens while suspended but starts only on resume.
  ASSERT_TRUE(PlayMusicByName("tune"));
  EXPECT_TRUE(Silent(HostTestMixAudio(50)));
  SuspendMusic(false);
  EXPECT_FALSE(IsMusicSuspended());
  EXPECT_EQ(CurrentMusicName(), "tune");
  EXPECT_EQ(HostTestMixAudio(1)[0], -3000);
}

TEST_F(MusicPlayerTest, StoppedMusicStaysStoppedAcrossSuspension) {
  WriteSound("Music/song.aiff", Level(10000, 4410), At44100());
  ASSERT_TRUE(PlayMusicByName("song"));
  StopMusic();
  SuspendMusic(true);
  SuspendMusic(false);
  EXPECT_EQ(CurrentMusicName(), "");
  EXPECT_TRUE(Silent(HostTestMixAudio(20)));
  // Stopped while suspended: it does not come back on resume either.
  EXPECT_EQ(PlayMusic("Elsewhere/song"), 0);  // the same piece, started again
  EXPECT_EQ(CurrentMusicName(), "song");
  SuspendMusic(true);
  StopMusic();
  SuspendMusic(false);
  EXPECT_EQ(CurrentMusicName(), "");
  EXPECT_TRUE(Silent(HostTestMixAudio(20)));
}

TEST_F(MusicPlayerTest, MusicLoopsAtItsEnd) {
  WriteSound("Music/short.aiff", Level(2000, 100), At44100());
  ASSERT_TRUE(PlayMusicByName("short"));
  std::vector<int16_t> out = HostTestMixAudio(150);
  EXPECT_EQ(out[99], 2000);
  EXPECT_EQ(out[100], 0);
  MusicIdle();
  EXPECT_EQ(HostTestMixAudio(1)[0], 2000);
}

// A piece that reached its end and was then stopped (volume 0, or the window made inactive) is not looped.
TEST_F(MusicPlayerTest, APieceStoppedAtItsEndIsNotLooped) {
  WriteSound("Music/short.aiff", Level(2000, 100), At44100());
  ASSERT_TRUE(PlayMusicByName("short"));
  HostTestMixAudio(150);
  SetMusicVolume(0);
  MusicIdle();
  EXPECT_TRUE(Silent(HostTestMixAudio(20)));
  SetMusicVolume(100);
  HostTestMixAudio(150);
  SuspendMusic(true);
  MusicIdle();
  EXPECT_TRUE(Silent(HostTestMixAudio(20)));
  EXPECT_EQ(CurrentMusicName(), "");
}

TEST(MusicFileNamesTest, ExtensionsReplaceAtMostThreeLetters) {
  struct Case {
    const char* path;
    const char* second;  // the first name tried after the path itself; the others differ only in extension
  };
  const Case cases[] = {
      {"Music/song", "Music/song.aiff"},
      {"Music/song.wav", "Music/song.aiff"},
      {"Music/song.ab", "Music/song.aiff"},
      {"Music/song.aiff", "Music/song.aiff.aiff"},
      {"Music/song.flac", "Music/song.flac.aiff"},
      {"Scenario.v2/Music/song", "Scenario.v2/Music/song.aiff"},
      {"Old.x/song", "Old.x/song.aiff"},
  };
  for (const Case& c : cases) {
    std::string names[5];
    MusicFileCandidates(c.path, names);
    EXPECT_EQ(names[0], c.path);
    EXPECT_EQ(names[1], c.second) << c.path;
    const std::string stem = std::string(c.second).substr(0, std::string(c.second).size() - 5);
    EXPECT_EQ(names[2], stem + ".mp3");
    EXPECT_EQ(names[3], stem + ".mov");
    EXPECT_EQ(names[4], stem + ".mpg");
  }
}

}  // namespace
