// The path finder at the game's cost limit (35) on maps of 64, 100 and 256 cells a side: an open field walked to
// the limit, a maze of walls with alternating gaps, a goal walled in (found out by the look around the goal), a
// goal on a wall (the search back from it for a free cell first) and a goal whose way round is longer than the
// limit (the search explores everything within the limit and fails), each with no blocking figure, with 50 and
// with 200 around the layout. The maps are the ones whose paths the path finder's tests pin.
//
// Each search is set against a plain breadth-first search of the same grid from the same start, to the goal or
// to the same cost, measured in the same run: it steps over eight neighbours through the cells the path finder
// would enter (worked out once, before the timing), and like the finder it clears only the cells it used. The
// table gives each pair's medians, their ratio, the nodes each took, and the 50 microseconds a search should
// stay within.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "bench/ratio_table.h"
#include "game/graphics/bitmap.h"
#include "game/graphics/picture_cache.h"
#include "game/shell/data/data_archive.h"
#include "game/shell/data/game_random.h"
#include "game/shell/main_loop.h"
#include "game/world/path_finder.h"
#include "game/world/tile_map.h"
#include "tests/support/archive_fixtures.h"
#include "tests/support/path_finder_maps.h"
#include "tools/scenario_writer/animation_set_writer.h"
#include "tools/scenario_writer/scenario_files.h"
#include "tools/scenario_writer/tile_map_writer.h"

namespace {

namespace sw = scenario_writer;
using test_support::PathLayout;

constexpr double kBudgetSeconds = 50e-6;
constexpr int32_t kLayouts = 5;

// The scenario the maps need: one animation set, a figure of radius 12 that blocks its cell.
struct Scenario {
  Scenario() {
    SetRunStateBits(kRunRunning);
    PictureCache::SetLoader([](const char*, BitmapStatus* status) {
      auto picture = std::make_unique<Bitmap>();
      *status = picture->Create(8, 8, OpaqueFormat);
      return picture;
    });
    PictureCache::SelectPool(PictureCache::NewPool(0));
    sw::AnimationSetSpec set;
    set.name = "figure";
    set.pictures = {"Figure.png"};
    set.animations = {sw::AnimationSpec{"stand", 0, 0, {}, {{1, 0, "", 0, 0, {}}}}};
    set.extraFlag = 1;
    set.collisionRadius = 12;
    sw::ScenarioFiles files;
    files.Add("Pictures/Figure.cam", sw::EncodeAnimationSet(set));
    sw::Bytes bytes;
    if (files.BuildArchive(bytes)) DataArchive::Install(test_support::ArchiveOver(bytes), true);
  }
};

// A loaded map of a case, and the cells a walker of no radius may enter on it (1) or not (0).
struct MeasuredMap {
  PathLayout layout;
  std::unique_ptr<TileMap> map;
  std::vector<uint8_t> open;
};

// The map of the case (size, layout, figures), made once for the run.
MeasuredMap* MapOf(int64_t size, int64_t layout, int64_t figures) {
  static Scenario scenario;
  static std::map<std::tuple<int64_t, int64_t, int64_t>, std::unique_ptr<MeasuredMap>> maps;
  std::unique_ptr<MeasuredMap>& made = maps[{size, layout, figures}];
  if (made != nullptr) return made.get();
  auto measured = std::make_unique<MeasuredMap>();
  measured->layout = test_support::PathLayouts(static_cast<int32_t>(size))[static_cast<size_t>(layout)];
  std::unique_ptr<DataStream> stream =
      test_support::MemoryStreamOver(sw::EncodeTileMap(test_support::PathMapDescription(measured->layout)));
  stream->SetPath("Maps/Bench.cma");
  measured->map = std::make_unique<TileMap>(*stream);
  if (measured->map->Load(*stream) != 0) return nullptr;
  test_support::PlacePathFigures(*measured->map, measured->layout, static_cast<int32_t>(figures), "Figure.cam");
  measured->open.resize(static_cast<size_t>(size * size));
  for (int32_t row = 0; row < size; ++row) {
    for (int32_t column = 0; column < size; ++column) {
      measured->open[static_cast<size_t>(row * size + column)] =
          measured->map->IsCellFreeAndOpen(column, row, nullptr) ? 1 : 0;
    }
  }
  made = std::move(measured);
  return made.get();
}

MeasuredMap* MapOf(const benchmark::State& state) { return MapOf(state.range(0), state.range(1), state.range(2)); }

std::string CaseLabel(int64_t size, int64_t layout, int64_t figures) {
  return std::to_string(size) + ", " + test_support::PathLayouts(static_cast<int32_t>(size))[static_cast<size_t>(layout)].name +
         ", " + std::to_string(figures) + " figures";
}

void FindPath(benchmark::State& state) {
  MeasuredMap* measured = MapOf(state);
  if (measured == nullptr) {
    state.SkipWithError("the map did not load");
    return;
  }
  const PathLayout& layout = measured->layout;
  TileMap* map = measured->map.get();
  // Once untimed: the finder makes its lists for the map's size.
  PathFinder::FindPath(map, layout.startX, layout.startY, layout.goalX, layout.goalY, test_support::kPathCost, false,
                       8, nullptr);
  for (auto _ : state) {
    std::unique_ptr<Path> path = PathFinder::FindPath(map, layout.startX, layout.startY, layout.goalX, layout.goalY,
                                                      test_support::kPathCost, false, 8, nullptr);
    benchmark::DoNotOptimize(path);
  }
  state.counters["nodes"] = static_cast<double>(PathFinder::NodesExpanded());
  state.SetItemsProcessed(state.iterations());
}

// Breadth first from the start over the open cells, to the goal or until the cost limit: each cell's cost in cost
// (-1 where not reached; only the cells the last search used are cleared), and the nodes it took.
int64_t SearchBreadthFirst(const MeasuredMap& measured, int32_t size, std::vector<int32_t>& cost,
                           std::vector<int32_t>& queue) {
  const PathLayout& layout = measured.layout;
  const std::vector<uint8_t>& open = measured.open;
  const int32_t start = layout.startY * size + layout.startX;
  const int32_t goal = layout.goalY * size + layout.goalX;
  for (int32_t cell : queue) cost[static_cast<size_t>(cell)] = -1;
  queue.clear();
  queue.push_back(start);
  cost[static_cast<size_t>(start)] = 0;
  size_t next = 0;
  while (next < queue.size()) {
    const int32_t cell = queue[next++];
    if (cell == goal) break;
    const int32_t reach = cost[static_cast<size_t>(cell)] + 1;
    if (reach > test_support::kPathCost) continue;
    const int32_t x = cell % size, y = cell / size;
    for (int32_t dy = -1; dy <= 1; ++dy) {
      for (int32_t dx = -1; dx <= 1; ++dx) {
        const int32_t nx = x + dx, ny = y + dy;
        if ((dx == 0 && dy == 0) || nx < 0 || ny < 0 || nx >= size || ny >= size) continue;
        const size_t neighbour = static_cast<size_t>(ny * size + nx);
        if (cost[neighbour] >= 0 || open[neighbour] == 0) continue;
        cost[neighbour] = reach;
        queue.push_back(static_cast<int32_t>(neighbour));
      }
    }
  }
  return static_cast<int64_t>(next);
}

void BreadthFirst(benchmark::State& state) {
  MeasuredMap* measured = MapOf(state);
  if (measured == nullptr) {
    state.SkipWithError("the map did not load");
    return;
  }
  const int32_t size = static_cast<int32_t>(state.range(0));
  std::vector<int32_t> cost(measured->open.size(), -1);
  std::vector<int32_t> queue;
  queue.reserve(measured->open.size());
  int64_t taken = 0;
  for (auto _ : state) {
    taken = SearchBreadthFirst(*measured, size, cost, queue);
    benchmark::DoNotOptimize(taken);
  }
  state.counters["nodes"] = static_cast<double>(taken);
  state.SetItemsProcessed(state.iterations());
}

// The check of a row: the path A* finds ends on a cell that the breadth-first search reaches in as many steps or
// fewer (the breadth-first search takes the fewest; A*'s estimate may take more), and A* finds none only where the
// breadth-first search does not reach the goal within the limit.
std::string PathAgrees(int64_t size, int64_t layoutIndex, int64_t figures) {
  MeasuredMap* measured = MapOf(size, layoutIndex, figures);
  if (measured == nullptr) return "the map did not load";
  const PathLayout& layout = measured->layout;
  std::vector<int32_t> cost(measured->open.size(), -1), queue;
  SearchBreadthFirst(*measured, static_cast<int32_t>(size), cost, queue);
  std::unique_ptr<Path> path = PathFinder::FindPath(measured->map.get(), layout.startX, layout.startY, layout.goalX,
                                                    layout.goalY, test_support::kPathCost, false, 8, nullptr);
  if (path == nullptr || path->IsEmpty()) {
    const int32_t reached = cost[static_cast<size_t>(layout.goalY * size + layout.goalX)];
    return reached < 0 ? "" : "A* found no path; breadth first reaches the goal in " + std::to_string(reached);
  }
  const PathNode* end = path->First();
  const int32_t reached = cost[static_cast<size_t>(end->row * size + end->column)];
  if (reached >= 0 && reached <= static_cast<int32_t>(path->Size())) return "";
  return "A*'s path of " + std::to_string(path->Size()) + " steps ends on (" + std::to_string(end->column) + ", " +
         std::to_string(end->row) + "), which breadth first reaches " +
         (reached < 0 ? std::string("not at all") : "in " + std::to_string(reached));
}

void Cases(benchmark::internal::Benchmark* bench) {
  for (int64_t size : test_support::kPathMapSizes) {
    for (int64_t layout = 0; layout < kLayouts; ++layout) {
      for (int64_t figures : test_support::kPathFigureCounts) bench->Args({size, layout, figures});
    }
  }
  bench->Unit(benchmark::kMicrosecond)->MinTime(0.05);
}
KESTRIVAL_BENCH(BENCHMARK(FindPath)->Apply(Cases));
KESTRIVAL_BENCH(BENCHMARK(BreadthFirst)->Apply(Cases));

}  // namespace

int main(int argc, char** argv) {
  std::vector<bench::RatioRow> rows;
  for (int64_t size : test_support::kPathMapSizes) {
    for (int64_t layout = 0; layout < kLayouts; ++layout) {
      for (int64_t figures : test_support::kPathFigureCounts) {
        const std::string args = std::to_string(size) + "/" + std::to_string(layout) + "/" + std::to_string(figures);
        rows.push_back({"A* " + CaseLabel(size, layout, figures), "FindPath/" + args, "BreadthFirst/" + args, 0,
                        kBudgetSeconds, "nodes", [=] { return PathAgrees(size, layout, figures); }});
      }
    }
  }
  return bench::RunWithRatioTable(argc, argv, std::move(rows));
}
