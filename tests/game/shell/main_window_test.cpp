#include "game/shell/main_window.h"

#include <gtest/gtest.h>

#include <vector>

#include "host/kernel.h"
#include "host/testing.h"

namespace {

struct FakeMode {
  int32_t width, height, bits;
};

bool Find(const std::vector<FakeMode>& modes, int32_t width, int32_t height, int32_t* depth) {
  DEVMODEA found{};
  auto enumerate = [&](DWORD index, DEVMODEA* mode) {
    if (index >= modes.size()) return false;
    mode->dmPelsWidth = static_cast<DWORD>(modes[index].width);
    mode->dmPelsHeight = static_cast<DWORD>(modes[index].height);
    mode->dmBitsPerPel = static_cast<DWORD>(modes[index].bits);
    return true;
  };
  return FindDisplayMode(enumerate, width, height, depth, &found);
}

TEST(DisplayModeSearchTest, FallsBackThroughTheDepthsInOrder) {
  struct Case {
    std::vector<FakeMode> modes;
    int32_t wanted;
    bool found;
    int32_t depth;
  } cases[] = {
      {{{640, 480, 24}, {640, 480, 32}}, 24, true, 24},
      {{{640, 480, 16}, {640, 480, 32}}, 24, true, 32},
      {{{640, 480, 16}}, 24, true, 16},
      {{{640, 480, 24}, {640, 480, 16}}, 32, true, 24},
      {{{640, 480, 16}}, 32, true, 16},
      {{{800, 600, 24}}, 24, false, 24},
      {{{640, 480, 8}}, 24, false, 24},
      {{{640, 480, 32}}, 8, false, 8},  // other depths are taken only as asked
      {{}, 24, false, 24},
  };
  for (const Case& c : cases) {
    int32_t depth = c.wanted;
    EXPECT_EQ(Find(c.modes, 640, 480, &depth), c.found) << c.wanted;
    EXPECT_EQ(depth, c.depth);
  }
}

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HostTestSetHeadless(true);
    HostTestResetWindowSystem();
  }
  void TearDown() override { HostTestResetWindowSystem(); }
  static StartupWindowParams Params() { return {GetModuleHandleA(nullptr), DefWindowProcA, 0, 0}; }
};

// Centred on the screen, the windowed window is one pixel wider and higher than its frame, caption and menu strip
// make it.
TEST_F(MainWindowTest, TheCentredWindowIsOnePixelLargerEachWay) {
  for (bool menuBar : {false, true}) {
    MainWindow window(640, 480, 32, false, menuBar, "Centred", Params());
    ASSERT_EQ(window.Create(false), 0);
    RECT rect{};
    ASSERT_TRUE(GetWindowRect(window.GetNativeWindow(), &rect));
    const int width = 640 + 2 * GetSystemMetrics(SM_CXDLGFRAME) + 1;
    const int height = 480 + 2 * GetSystemMetrics(SM_CYDLGFRAME) + GetSystemMetrics(SM_CYCAPTION) +
                       (menuBar ? GetSystemMetrics(SM_CYMENUSIZE) : 0) + 1;
    EXPECT_EQ(rect.right - rect.left, width) << menuBar;
    EXPECT_EQ(rect.bottom - rect.top, height) << menuBar;
    EXPECT_EQ(rect.left, (GetSystemMetrics(SM_CXSCREEN) - 640) / 2) << menuBar;
    EXPECT_EQ(rect.top, (GetSystemMetrics(SM_CYSCREEN) - 480) / 2) << menuBar;
    window.Destroy();
  }
}

// A size that no display mode offers cannot go fullscreen: the window stays windowed, and windowed is what it
// wants from then on, so that an activation does not try again.
TEST_F(MainWindowTest, AFailedSwitchToFullscreenIsNotWantedAgain) {
  MainWindow switched(123, 77, 32, false, false, "Switched", Params());
  ASSERT_EQ(switched.Create(false), 0);
  switched.SetFullscreen(true);
  EXPECT_FALSE(switched.IsFullscreen());
  EXPECT_FALSE(switched.WantsFullscreen());
  switched.OnActivate(false);
  switched.OnActivate(true);
  EXPECT_FALSE(switched.IsFullscreen());
  EXPECT_FALSE(HostTestIsFullscreen(switched.GetNativeWindow()));
  switched.Destroy();
  // Made fullscreen from the start, the same.
  MainWindow created(123, 77, 32, true, false, "Created", Params());
  created.Create(true);
  EXPECT_FALSE(created.IsFullscreen());
  EXPECT_FALSE(created.WantsFullscreen());
  created.Destroy();
}

}  // namespace
