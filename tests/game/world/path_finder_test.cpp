// The path finder over writer-made maps drawn as text: 'S' the start (occupied by the walker, as on the map), 'G'
// the goal, 'g' a goal on a wall, '#' a wall, 'b' a blocking figure on a free cell, anything else free.
#include "game/world/path_finder.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/game/world/movement_fixture.h"

namespace {

using namespace movement_test;
using Cells = std::vector<std::pair<int32_t, int32_t>>;

struct PathCase {
  const char* name;
  std::vector<std::string> rows;
  int32_t costLimit;
  bool approach;
  int32_t neighbours;
  bool found;
  Cells waypoints;  // from the next step (top) to the goal end (bottom)
};

class PathFinderTest : public MovementFixture {
 protected:
  // Loads the rows; the start and the goal are where 'S' and 'G' (or 'g') stand, or given outright.
  std::unique_ptr<Path> Find(const PathCase& c, int32_t goalColumn = -1, int32_t goalRow = -1) {
    std::vector<std::string> rows = c.rows;
    int32_t sx = 0, sy = 0, gx = goalColumn, gy = goalRow;
    std::vector<std::pair<int32_t, int32_t>> blocks;
    for (size_t row = 0; row < rows.size(); ++row) {
      for (size_t column = 0; column < rows[row].size(); ++column) {
        char& cell = rows[row][column];
        const int32_t x = static_cast<int32_t>(column), y = static_cast<int32_t>(row);
        if (cell == 'S') sx = x, sy = y;
        if ((cell == 'G' || cell == 'g') && goalColumn < 0) gx = x, gy = y;
        if (cell == 'b') blocks.emplace_back(x, y);
        if (cell == 'g') cell = '#';
      }
    }
    TileMap* map = LoadMap(rows);
    map->SetCellFlag(sx, sy, 0);
    for (const auto& [x, y] : blocks) AddBlock(x, y);
    return PathFinder::FindPath(map, sx, sy, gx, gy, c.costLimit, c.approach, c.neighbours, nullptr);
  }
};

Cells WaypointsOf(const Path& path) {
  Cells cells;
  const auto& stack = path.Waypoints();
  for (auto it = stack.rbegin(); it != stack.rend(); ++it) cells.emplace_back((*it)->column, (*it)->row);
  return cells;
}

TEST_F(PathFinderTest, GridsGiveTheirPathsOrNone) {
  const std::string corridor = "S" + std::string(35, '.') + "G";  // the goal 36 steps away
  Cells corridorPath;
  for (int32_t x = 1; x <= 36; ++x) corridorPath.emplace_back(x, 0);
  const PathCase cases[] = {
      {"straight", {"S..G"}, 35, false, 8, true, {{1, 0}, {2, 0}, {3, 0}}},
      {"diagonal steps cost one", {"S...", "....", "...G"}, 35, false, 8, true, {{1, 1}, {2, 2}, {3, 2}}},
      {"around a wall", {"S#G", ".#.", "..."}, 35, false, 8, true, {{0, 1}, {1, 2}, {2, 1}, {2, 0}}},
      {"four neighbours go round the corner", {"S.", ".G"}, 35, false, 4, true, {{1, 0}, {1, 1}}},
      {"cost 36 within a limit of 36", {corridor}, 36, false, 8, true, corridorPath},
      {"cost 36 beyond a limit of 35", {corridor}, 35, false, 8, false, {}},
      {"a walled goal is out of reach", {"S.###", "..#G#", "..###"}, 35, false, 8, false, {}},
      {"a goal in a walled room is out of reach",
       {"S.##########", "..#........#", "..#........#", "..#........#", "..#...G....#", "..#........#",
        "..#........#", "..#........#", "..#........#", "..#........#", "..##########"},
       35, false, 8, false, {}},
      {"a goal in a room with a door", {"S.#####", "..#...#", "..#.G.#", "......#", "..#####"}, 35, false, 4, true,
       {{1, 0}, {1, 1}, {1, 2}, {1, 3}, {2, 3}, {3, 3}, {3, 2}, {4, 2}}},
      // Round below: of the two cells beside the figure at one cost, the one below came first.
      {"a blocking figure is walked round", {".....", "S.b.G", "....."}, 35, false, 8, true,
       {{1, 1}, {2, 2}, {3, 1}, {4, 1}}},
      // The search from the wall goal back to the start meets the two cells of row 2 at one cost: the one that
      // came first (the right one) becomes the goal.
      {"a blocked goal goes to the nearest free cell, first come", {"#g#", "###", ".#.", "#S#"}, 35, false, 8, true,
       {{2, 2}}},
      {"a blocked goal with no free cell", {"#g#", "###", "#S#"}, 35, false, 8, false, {}},
      // Approach: next to the goal is near enough over eight neighbours, in line with it over four.
      {"approach from a diagonal, eight neighbours", {"S.", ".G"}, 35, true, 8, true, {{1, 1}}},
      {"approach from a diagonal, four neighbours", {"S.", ".G"}, 35, true, 4, true, {{1, 0}, {1, 1}}},
      {"approach to an occupied goal stops next to it", {"....", "S..g", "...."}, 35, true, 8, true,
       {{1, 1}, {2, 1}}},
      // The cells around an occupied goal are searched from the second row and column on; with none free there the
      // search goes on towards the goal itself, and ends next to it with the goal's cell last.
      {"approach to an occupied goal on the first row over a wall", {"S...g", "#####"}, 35, true, 8, true,
       {{1, 0}, {2, 0}, {3, 0}, {4, 0}}},
      {"approach with no free cell around the goal", {"Sg"}, 35, true, 8, true, {{1, 0}}},
  };
  for (const PathCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<Path> path = Find(c);
    ASSERT_EQ(path != nullptr, c.found);
    if (path == nullptr) continue;
    EXPECT_EQ(WaypointsOf(*path), c.waypoints);
    // The top waypoint is the first step, the bottom one the goal end.
    ASSERT_NE(path->First(), nullptr);
    EXPECT_EQ(std::make_pair(path->First()->column, path->First()->row), c.waypoints.back());
    const PathNode* next = path->PopLast();
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(std::make_pair(next->column, next->row), c.waypoints.front());
  }
}

TEST_F(PathFinderTest, AGoalOnTheStartOrOffTheGridGivesNoPath) {
  const PathCase open{"open", {"S..", "..."}, 35, false, 8, false, {}};
  EXPECT_EQ(Find(open, 0, 0), nullptr);
  EXPECT_EQ(Find(open, 3, 0), nullptr);
  EXPECT_EQ(Find(open, 0, 2), nullptr);
  EXPECT_EQ(Find(open, -1, 0), nullptr);
}

TEST_F(PathFinderTest, TheSearchSeesTheCellsTheMapRefuses) {
  // Figures at odd pixels, walkers of no radius (tested as half a cell), of a set's radius and of none.
  TileMap* map = LoadMap(std::vector<std::string>(12, std::string(12, '.')));
  map->SetCellFlag(3, 3, 0);
  SeedRandom(3);
  for (int i = 0; i < 12; ++i) {
    map->AddPictureSprite("Block.cam", RandomRange(-20, 400), RandomRange(-20, 400), "block", 1, "");
  }
  Sprite walker;
  walker.SetPicture(new PictureRef("Pictures/Walker8.cam"), true);
  Sprite bare;
  const std::vector<const Sprite*> walkers = {nullptr, &walker, &bare, map->BlockingList()[0]};
  for (const Sprite* sprite : walkers) {
    int32_t refused = 0;
    for (int32_t row = -1; row <= 12; ++row) {
      for (int32_t column = -1; column <= 12; ++column) {
        // The search tests a walker without a radius as none.
        const Sprite* tested = sprite != nullptr && sprite->GetCollisionRadius() != 0 ? sprite : nullptr;
        const bool open = map->IsCellFreeAndOpen(column, row, tested);
        EXPECT_EQ(PathFinder::CellOpenForSearch(map, column, row, sprite), open) << column << "," << row;
        if (!open && map->IsInside(column, row)) ++refused;
      }
    }
    EXPECT_GT(refused, 1);
  }
}

TEST_F(PathFinderTest, AFigureThatMovesBetweenSearchesChangesTheNextPath) {
  TileMap* map = LoadMap({".....", "S...G", ".....", "....."});
  map->SetCellFlag(0, 1, 0);
  Sprite* figure = AddBlock(2, 3);
  auto find = [&] {
    std::unique_ptr<Path> path = PathFinder::FindPath(map, 0, 1, 4, 1, 35, false, 8, nullptr);
    return path != nullptr ? WaypointsOf(*path) : Cells{};
  };
  const Cells straight = {{1, 1}, {2, 1}, {3, 1}, {4, 1}};
  // Round below, as in "a blocking figure is walked round".
  const Cells round = {{1, 1}, {2, 2}, {3, 1}, {4, 1}};
  const Point onTheWay = map->CellCenter(2, 1);
  EXPECT_EQ(find(), straight);
  figure->SetPosition(onTheWay.x, onTheWay.y);
  EXPECT_EQ(find(), round);
  // Two cells down in one tick of its own move.
  figure->StartAction(0.0f, 2.0f * kCell, 0.0f, 2.0f * kCell, 0, 5);
  figure->Animate();
  EXPECT_EQ(find(), straight);
  figure->SetPosition(onTheWay.x, onTheWay.y);
  EXPECT_EQ(find(), round);
  // Off the blocking list, where it stands no longer counts.
  map->UnlinkSprite(figure);
  EXPECT_EQ(find(), straight);
}

TEST_F(PathFinderTest, TheSearchFollowsTheFiguresFromCallToCall) {
  // Figures move, leave and come between calls; the search sees what the map refuses after each change, for a
  // walker that is one of the figures and for one that is not, both of the figures' radius.
  TileMap* map = LoadMap(std::vector<std::string>(10, std::string(10, '.')));
  Sprite walker;
  walker.SetPicture(new PictureRef("Pictures/Walker8.cam"), true);
  SeedRandom(11);
  // Near enough to a cell's centre that the figure keeps such walkers out of that cell.
  auto somewhere = [] { return RandomRange(0, 9) * kCell + kCell / 2 + RandomRange(-7, 7); };
  for (int i = 0; i < 8; ++i) map->AddPictureSprite("Block.cam", somewhere(), somewhere(), "block", 1, "");
  for (int round = 0; round < 4; ++round) {
    SCOPED_TRACE(round);
    const std::vector<Sprite*> figures = map->BlockingList();
    figures[static_cast<size_t>(round)]->SetPosition(somewhere(), somewhere());
    figures[static_cast<size_t>(round + 1)]->SetX(somewhere());
    if (round == 1) map->UnlinkSprite(figures[6]);
    if (round == 2) map->AddPictureSprite("Block.cam", somewhere(), somewhere(), "block", 1, "");
    for (const Sprite* tested : {static_cast<const Sprite*>(figures[0]), static_cast<const Sprite*>(&walker)}) {
      for (int32_t row = 0; row < 10; ++row) {
        for (int32_t column = 0; column < 10; ++column) {
          EXPECT_EQ(PathFinder::CellOpenForSearch(map, column, row, tested),
                    map->IsCellFreeAndOpen(column, row, tested))
              << column << "," << row;
        }
      }
    }
  }
}

TEST_F(PathFinderTest, TheListsAreClearedForTheNextSearch) {
  // A failed search, then a successful one on the same map: nothing of the first is left in the lists.
  TileMap* map = LoadMap({"....#.", "....#.", "....#."});
  EXPECT_EQ(PathFinder::FindPath(map, 0, 0, 5, 1, 35, false, 8, nullptr), nullptr);
  std::unique_ptr<Path> path = PathFinder::FindPath(map, 0, 0, 3, 2, 35, false, 8, nullptr);
  ASSERT_NE(path, nullptr);
  EXPECT_EQ(path->Size(), 3u);
  EXPECT_GT(PathFinder::NodesExpanded(), 0);
  // The path's nodes outlive the lists, and a map of another size gets lists of its own.
  map = LoadMap({"S.........", ".........."});
  std::unique_ptr<Path> other = PathFinder::FindPath(map, 0, 0, 9, 1, 35, false, 8, nullptr);
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(other->First()->column, 9);
  EXPECT_EQ(path->First()->column, 3);
  path->DropFirst();
  EXPECT_EQ(path->Size(), 2u);
  path->Free();
  EXPECT_TRUE(path->IsEmpty());
  EXPECT_EQ(path->PopLast(), nullptr);
  EXPECT_EQ(path->First(), nullptr);
}

}  // namespace
