// The movie player on a headless main window: a tiny movie made at test time is opened, placed, scaled, started
// by the first paint, advanced by the host clock and closed. Its sound reaches the mixer.
#include "game/shell/media/movie_player.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "game/shell/media/media_lookup.h"
#include "host/testing_sound.h"
#include "tests/host/user_test_helpers.h"
#include "tests/support/temp_folder.h"

namespace {

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF;

class MoviePlayerTest : public user_test::HeadlessWindows {
 protected:
  void SetUp() override {
    HeadlessWindows::SetUp();
    HostTestUseManualClock(true);
    HostTestHoldAudio(true);
    MoviePlayer::Initialize();
    path_ = temp_.Windows() + "\\tiny.mov";
  }
  void TearDown() override {
    MoviePlayer::SetMainWindow(nullptr);
    MoviePlayer::Terminate();
    HostTestHoldAudio(false);
    HostTestUseManualClock(false);
    HeadlessWindows::TearDown();
  }

  static uint32_t Pixel(HWND window, int x, int y) {
    HostFrame frame;
    if (!HostTestLastFrame(window, &frame)) return 0xFFFFFFFF;
    return frame.pixels[static_cast<size_t>(y) * frame.width + x];
  }

  TempFolder temp_;
  std::string path_;
};

TEST_F(MoviePlayerTest, OpensDrawsAdvancesAndCloses) {
  ASSERT_TRUE(HostTestWriteMovie(temp_.PosixPath("tiny.mov").c_str(), 8, 6, 3, 10, {kRed, kGreen, kBlue}, true));
  HWND window = Make(64, 48);
  ASSERT_NE(window, nullptr);
  MoviePlayer::SetMainWindow(window);
  std::unique_ptr<MoviePlayer> movie = MoviePlayer::Open(path_);
  ASSERT_NE(movie, nullptr);
  EXPECT_EQ(movie->Width(), 8);
  EXPECT_EQ(movie->Height(), 6);
  movie->MoveTo(10, 12);
  movie->Scale(2);
  EXPECT_EQ(movie->Width(), 16);
  EXPECT_EQ(movie->Height(), 12);

  MoviePlayer::SetCurrent(movie.get());
  movie->Start();
  EXPECT_FALSE(movie->IsPlaying());  // the first paint starts it
  MoviePlayer::Draw(window);
  EXPECT_TRUE(movie->IsPlaying());
  EXPECT_EQ(Pixel(window, 10, 12), kRed);
  EXPECT_EQ(Pixel(window, 25, 23), kRed);
  EXPECT_NE(Pixel(window, 26, 23), kRed);
  EXPECT_NE(Pixel(window, 9, 12), kRed);

  HostTestAdvanceClock(100);
  MoviePlayer::Idle();
  EXPECT_EQ(Pixel(window, 12, 14), kGreen);
  HostTestAdvanceClock(100);
  MoviePlayer::Draw(window);
  EXPECT_EQ(Pixel(window, 12, 14), kBlue);

  std::vector<int16_t> sound = HostTestMixAudio(200);
  EXPECT_TRUE(std::any_of(sound.begin(), sound.end(), [](int16_t s) { return s != 0; }));

  movie->Close();
  EXPECT_EQ(MoviePlayer::Current(), nullptr);
  EXPECT_FALSE(movie->IsPlaying());
  MoviePlayer::Draw(window);  // nothing current: nothing happens
}

TEST_F(MoviePlayerTest, LoopingMovieStartsAgain) {
  ASSERT_TRUE(HostTestWriteMovie(temp_.PosixPath("tiny.mov").c_str(), 4, 4, 2, 10, {kRed, kGreen}, false));
  HWND window = Make(32, 32);
  // Opened before the main window is known: the first paint still finds the window.
  std::unique_ptr<MoviePlayer> movie = MoviePlayer::Open(path_);
  ASSERT_NE(movie, nullptr);
  movie->SetLooping(true);
  MoviePlayer::SetCurrent(movie.get());
  movie->Start();
  MoviePlayer::Draw(window);
  HostTestAdvanceClock(100);
  MoviePlayer::Idle();
  EXPECT_EQ(Pixel(window, 1, 1), kGreen);
  HostTestAdvanceClock(150);
  MoviePlayer::Idle();
  EXPECT_EQ(Pixel(window, 1, 1), kRed);
}

TEST_F(MoviePlayerTest, ASuspendedMovieResumesAtTheNextDrawAndTellsWhenItHasFinished) {
  ASSERT_TRUE(HostTestWriteMovie(temp_.PosixPath("tiny.mov").c_str(), 4, 4, 2, 10, {kRed, kGreen}, false));
  HWND window = Make(32, 32);
  std::unique_ptr<MoviePlayer> movie = MoviePlayer::Open(path_);
  ASSERT_NE(movie, nullptr);
  MoviePlayer::SetCurrent(movie.get());
  movie->Suspend();  // not started yet: the next draw starts it
  EXPECT_FALSE(movie->IsPlaying());
  MoviePlayer::Draw(window);
  EXPECT_TRUE(movie->IsPlaying());
  EXPECT_FALSE(movie->IsFinished());
  HostTestAdvanceClock(100);
  movie->Suspend();
  EXPECT_FALSE(movie->IsPlaying());
  HostTestAdvanceClock(500);  // a suspended movie stands still
  MoviePlayer::Idle();
  EXPECT_FALSE(movie->IsFinished());
  MoviePlayer::Draw(window);
  EXPECT_TRUE(movie->IsPlaying());
  HostTestAdvanceClock(150);
  MoviePlayer::Idle();
  EXPECT_TRUE(movie->IsFinished());
}

TEST_F(MoviePlayerTest, FilesThatCannotOpenGiveNull) {
  temp_.WriteFile("junk.mov", "not a movie at all");
  EXPECT_EQ(MoviePlayer::Open(temp_.Windows() + "\\junk.mov"), nullptr);
  EXPECT_EQ(MoviePlayer::Open(temp_.Windows() + "\\missing.mov"), nullptr);
  EXPECT_EQ(MoviePlayer::Open(std::string(300, 'a')), nullptr);
  EXPECT_EQ(OpenMovieByName("nothing-here"), nullptr);
}

}  // namespace
