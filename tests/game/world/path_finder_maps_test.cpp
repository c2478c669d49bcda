// The paths the finder gives on the maps its benchmark measures, pinned step by step (as keys of a numeric
// keypad, '6' to the right), so that a faster search keeps every one of them, whatever the map's size.
#include <gtest/gtest.h>

#include <string>

#include "game/world/path_finder.h"
#include "tests/game/world/movement_fixture.h"
#include "tests/support/path_finder_maps.h"

namespace {

using namespace movement_test;

struct PinnedPath {
  const char* layout;
  int32_t figures;
  const char* steps;  // nullptr: no path
};

const PinnedPath kPinned[] = {
    {"open field", 0, "66666666666666666666666666666666666"},
    {"open field", 50, "66666666666666666396666666666666666"},
    {"open field", 200, "66666666936666666396663966666666666"},
    {"maze", 0, "98893322222399888889332222239988"},
    {"maze", 50, "98893322222399888889332222239988"},
    {"maze", 200, "98893322222399789889332222239988"},
    {"walled goal", 0, nullptr},
    {"walled goal", 50, nullptr},
    {"walled goal", 200, nullptr},
    {"blocked goal", 0, "666666666666666"},
    {"blocked goal", 50, "666666639666666"},
    {"blocked goal", 200, "666666639666396"},
    {"detour past the limit", 0, nullptr},
    {"detour past the limit", 50, nullptr},
    {"detour past the limit", 200, nullptr},
};

class PathFinderMapsTest : public MovementFixture {};

TEST_F(PathFinderMapsTest, TheMeasuredMapsKeepTheirPaths) {
  for (int32_t size : test_support::kPathMapSizes) {
    const PinnedPath* pinned = kPinned;
    for (const test_support::PathLayout& layout : test_support::PathLayouts(size)) {
      for (int32_t figures : test_support::kPathFigureCounts) {
        ASSERT_LT(pinned, std::end(kPinned));
        ASSERT_STREQ(pinned->layout, layout.name);
        ASSERT_EQ(pinned->figures, figures);
        SCOPED_TRACE(std::to_string(size) + " cells, " + layout.name + ", " + std::to_string(figures) + " figures");
        TileMap* map = LoadMap(test_support::PathMapDescription(layout));
        ASSERT_NE(map, nullptr);
        test_support::PlacePathFigures(*map, layout, figures, "Block.cam");
        std::unique_ptr<Path> path = PathFinder::FindPath(map, layout.startX, layout.startY, layout.goalX,
                                                          layout.goalY, test_support::kPathCost, false, 8, nullptr);
        if (pinned->steps == nullptr) {
          EXPECT_EQ(path, nullptr);
        } else if (path == nullptr) {
          ADD_FAILURE() << "no path";
        } else {
          EXPECT_EQ(test_support::PathSteps(*path, layout.startX, layout.startY), pinned->steps);
        }
        ++pinned;
      }
    }
  }
}

}  // namespace
