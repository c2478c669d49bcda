// The path finder's measured maps, shared by its benchmark and by the test that pins the paths it finds there:
// five layouts (an open field walked to the cost limit, a maze of walls with alternating gaps, a goal walled in, a
// goal on a wall and a goal whose way round is longer than the limit) drawn in the middle of a square map of any
// size, and blocking figures scattered by the game's generator with a fixed seed over the free cells around the
// layout, where the searches go. A layout is drawn for a 64-cell map and moved to the middle of a larger one
// (the detour's wall runs the whole height of the map), figures and all, so that every size gives the same paths.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "game/shell/data/game_random.h"
#include "game/world/path_finder.h"
#include "game/world/tile_map.h"
#include "tools/scenario_writer/tile_map_writer.h"

namespace test_support {

// The map sizes, the figure counts and the cost the paths are measured at.
constexpr int32_t kPathMapSizes[] = {64, 100, 256};
constexpr int32_t kPathFigureCounts[] = {0, 50, 200};
constexpr int32_t kPathCost = PathFinder::kCostLimit;

struct PathLayout {
  const char* name;
  std::vector<std::string> rows;  // '#' a wall, '.' a free cell
  int32_t startX, startY, goalX, goalY;
};

namespace path_maps {

constexpr int32_t kDrawnSize = 64;

inline void Wall(PathLayout& layout, int32_t column, int32_t row) {
  layout.rows[static_cast<size_t>(row)][static_cast<size_t>(column)] = '#';
}

inline void Open(PathLayout& layout, int32_t column, int32_t row) {
  layout.rows[static_cast<size_t>(row)][static_cast<size_t>(column)] = '.';
}

}  // namespace path_maps

// The layouts on a map of size x size cells (at least 64).
inline std::vector<PathLayout> PathLayouts(int32_t size) {
  using path_maps::Open;
  using path_maps::Wall;
  const int32_t o = (size - path_maps::kDrawnSize) / 2;  // where the drawn layout's first cell lands
  const std::vector<std::string> open(static_cast<size_t>(size), std::string(static_cast<size_t>(size), '.'));
  std::vector<PathLayout> layouts;

  layouts.push_back({"open field", open, o + 10, o + 32, o + 10 + kPathCost, o + 32});

  // Walls across the way between the start and the goal, their gaps alternately above and below.
  PathLayout maze{"maze", open, o + 12, o + 32, o + 25, o + 32};
  const int32_t walls[] = {14, 17, 20, 23};
  for (int32_t i = 0; i < 4; ++i) {
    for (int32_t row = 22; row <= 42; ++row) Wall(maze, o + walls[i], o + row);
    Open(maze, o + walls[i], o + (i % 2 == 0 ? 28 : 36));
  }
  layouts.push_back(maze);

  PathLayout walled{"walled goal", open, o + 28, o + 32, o + 40, o + 32};
  for (int32_t row = 30; row <= 34; ++row) {
    for (int32_t column = 38; column <= 42; ++column) {
      if (row == 30 || row == 34 || column == 38 || column == 42) Wall(walled, o + column, o + row);
    }
  }
  layouts.push_back(walled);

  PathLayout blocked{"blocked goal", open, o + 20, o + 32, o + 40, o + 32};
  for (int32_t row = 28; row <= 36; ++row) {
    for (int32_t column = 36; column <= 44; ++column) Wall(blocked, o + column, o + row);
  }
  layouts.push_back(blocked);

  // A wall down the whole map with its one gap at the top: the way round is longer than the limit, and the
  // search explores everything within it before it gives up.
  PathLayout detour{"detour past the limit", open, o + 20, o + 40, o + 24, o + 40};
  for (int32_t row = 1; row < size; ++row) Wall(detour, o + 22, row);
  layouts.push_back(detour);
  return layouts;
}

// The map file's description of the layout: its cells, column by column, and two empty layers.
inline scenario_writer::TileMapSpec PathMapDescription(const PathLayout& layout) {
  scenario_writer::TileMapSpec description;
  description.width = static_cast<int16_t>(layout.rows[0].size());
  description.height = static_cast<int16_t>(layout.rows.size());
  for (size_t column = 0; column < layout.rows[0].size(); ++column) {
    for (const std::string& row : layout.rows) {
      description.cells.push_back({static_cast<int16_t>(row[column] == '#' ? 0 : 1), "", 0});
    }
  }
  description.layers.resize(2);
  return description;
}

// Readies the loaded map of the layout: the walker's start cell taken, as on a map, and the figures (of the
// animation set named, which blocks its cell) on free cells of the layout's square away from the start and the
// goal.
inline void PlacePathFigures(TileMap& map, const PathLayout& layout, int32_t figures, const std::string& set) {
  map.SetCellFlag(layout.startX, layout.startY, 0);
  const int32_t o = (map.Width() - path_maps::kDrawnSize) / 2;
  SeedRandom(5);
  for (int32_t placed = 0; placed < figures;) {
    // One draw a figure: pairs of successive draws fall on a few lines of the square.
    const int32_t cell = RandomRange(0, path_maps::kDrawnSize * path_maps::kDrawnSize - 1);
    const int32_t x = o + cell % path_maps::kDrawnSize, y = o + cell / path_maps::kDrawnSize;
    if (map.GetCellFlag(x, y) == 0 || std::abs(x - layout.startX) + std::abs(y - layout.startY) < 3 ||
        std::abs(x - layout.goalX) + std::abs(y - layout.goalY) < 3) {
      continue;
    }
    const Point centre = map.CellCenter(x, y);
    map.AddPictureSprite(set, centre.x, centre.y, "figure", 1, "");
    ++placed;
  }
}

// A path as the steps it takes, one digit each, laid out as the keys of a numeric keypad ('8' up, '3' down and to
// the right), from the start to the goal end.
inline std::string PathSteps(const Path& path, int32_t startX, int32_t startY) {
  static const char kKeys[3][3] = {{'7', '8', '9'}, {'4', '5', '6'}, {'1', '2', '3'}};
  std::string steps;
  int32_t x = startX, y = startY;
  const auto& stack = path.Waypoints();
  for (auto it = stack.rbegin(); it != stack.rend(); ++it) {
    const int32_t dx = (*it)->column - x, dy = (*it)->row - y;
    steps += std::abs(dx) <= 1 && std::abs(dy) <= 1 ? kKeys[dy + 1][dx + 1] : '?';
    x = (*it)->column;
    y = (*it)->row;
  }
  return steps;
}

}  // namespace test_support
