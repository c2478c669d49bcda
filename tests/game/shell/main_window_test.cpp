#include "game/shell/main_window.h"

#include <gtest/gtest.h>

#include <vector>

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

}  // namespace
