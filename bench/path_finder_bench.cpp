// The path finder at the game's cost limit (35) on a 64 x 64 map: an open field walked to the limit, a maze of
// walls with alternating gaps, a goal walled in (found out by the look around the goal), a goal on a wall (the
// search back from it for a free cell first) and a goal whose way round is longer than the limit (the search
// explores everything within the limit and fails), each with no blocking figure and with 50 scattered
// over the map. Each is set against a plain breadth-first flood of the same cells to the same cost, measured in
// the same run: the table gives each search's median time per call, the nodes it took from its open list, the
// flood's time and the ratio of the two, and the worst case against the goal of 50 microseconds a call.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "game/graphics/bitmap.h"
#include "game/graphics/blitter.h"
#include "game/graphics/picture_cache.h"
#include "game/shell/data/data_archive.h"
#include "game/shell/data/game_random.h"
#include "game/shell/main_loop.h"
#include "game/world/path_finder.h"
#include "game/world/tile_map.h"
#include "tests/support/archive_fixtures.h"
#include "tools/scenario_writer/animation_set_writer.h"
#include "tools/scenario_writer/scenario_files.h"
#include "tools/scenario_writer/tile_map_writer.h"

namespace {

namespace sw = scenario_writer;

constexpr int32_t kSize = 64;
constexpr int32_t kCost = PathFinder::kCostLimit;
constexpr int32_t kFigures = 50;
constexpr double kGoalMicroseconds = 50.0;

struct Layout {
  const char* name;
  std::vector<std::string> rows;
  int32_t startX, startY, goalX, goalY;
};

std::vector<std::string> OpenRows() { return std::vector<std::string>(kSize, std::string(kSize, '.')); }

// Walls across the way between the start and the goal, their gaps alternately above and below.
Layout Maze() {
  Layout layout{"maze", OpenRows(), 12, 32, 25, 32};
  const int32_t walls[] = {14, 17, 20, 23};
  for (int32_t i = 0; i < 4; ++i) {
    for (int32_t row = 22; row <= 42; ++row) layout.rows[static_cast<size_t>(row)][static_cast<size_t>(walls[i])] = '#';
    const int32_t gap = i % 2 == 0 ? 28 : 36;
    layout.rows[static_cast<size_t>(gap)][static_cast<size_t>(walls[i])] = '.';
  }
  return layout;
}

Layout Walled() {
  Layout layout{"walled goal", OpenRows(), 28, 32, 40, 32};
  for (int32_t row = 30; row <= 34; ++row) {
    for (int32_t column = 38; column <= 42; ++column) {
      if (row == 30 || row == 34 || column == 38 || column == 42) layout.rows[static_cast<size_t>(row)][static_cast<size_t>(column)] = '#';
    }
  }
  return layout;
}

Layout BlockedGoal() {
  Layout layout{"blocked goal", OpenRows(), 20, 32, 40, 32};
  for (int32_t row = 28; row <= 36; ++row) {
    for (int32_t column = 36; column <= 44; ++column) layout.rows[static_cast<size_t>(row)][static_cast<size_t>(column)] = '#';
  }
  return layout;
}

// A wall across the whole map with its one gap at the top: the way round is longer than the limit, and the
// search explores everything within it before it gives up.
Layout Detour() {
  Layout layout{"detour past the limit", OpenRows(), 20, 40, 24, 40};
  for (int32_t row = 1; row < kSize; ++row) layout.rows[static_cast<size_t>(row)][22] = '#';
  return layout;
}

const std::vector<Layout>& Layouts() {
  static const std::vector<Layout> layouts = {{"open field", OpenRows(), 10, 32, 10 + kCost, 32}, Maze(), Walled(),
                                              BlockedGoal(), Detour()};
  return layouts;
}

// The scenario the maps need: one animation set, a figure of radius 12 that blocks its cell.
struct Scenario {
  Scenario() {
    SetRunStateBits(kRunRunning);
    SeedRandom(11);
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

// A map of the layout, with the figures scattered over free cells away from the start and the goal.
std::unique_ptr<TileMap> MakeMap(const Layout& layout, int32_t figures) {
  static Scenario scenario;
  sw::TileMapSpec description;
  description.width = kSize;
  description.height = kSize;
  for (int32_t column = 0; column < kSize; ++column) {
    for (int32_t row = 0; row < kSize; ++row) {
      description.cells.push_back({static_cast<int16_t>(layout.rows[static_cast<size_t>(row)][static_cast<size_t>(column)] == '#' ? 0 : 1), "", 0});
    }
  }
  description.layers.resize(2);
  std::unique_ptr<DataStream> stream = test_support::MemoryStreamOver(sw::EncodeTileMap(description));
  stream->SetPath("Maps/Bench.cma");
  auto map = std::make_unique<TileMap>(*stream);
  if (map->Load(*stream) != 0) return nullptr;
  map->SetCellFlag(layout.startX, layout.startY, 0);
  SeedRandom(5);
  for (int32_t placed = 0; placed < figures;) {
    const int32_t x = RandomRange(0, kSize - 1), y = RandomRange(0, kSize - 1);
    if (map->GetCellFlag(x, y) == 0 || std::abs(x - layout.startX) + std::abs(y - layout.startY) < 3 ||
        std::abs(x - layout.goalX) + std::abs(y - layout.goalY) < 3) {
      continue;
    }
    const Point centre = map->CellCenter(x, y);
    map->AddPictureSprite("Figure.cam", centre.x, centre.y, "figure", 1, "");
    ++placed;
  }
  return map;
}

void FindPath(benchmark::State& state) {
  const Layout& layout = Layouts()[static_cast<size_t>(state.range(0))];
  std::unique_ptr<TileMap> map = MakeMap(layout, static_cast<int32_t>(state.range(1)));
  if (map == nullptr) {
    state.SkipWithError("the map did not load");
    return;
  }
  bool found = false;
  for (auto _ : state) {
    std::unique_ptr<Path> path =
        PathFinder::FindPath(map.get(), layout.startX, layout.startY, layout.goalX, layout.goalY, kCost, false, 8, nullptr);
    found = path != nullptr;
    benchmark::DoNotOptimize(path);
  }
  state.counters["nodes"] = static_cast<double>(PathFinder::NodesExpanded());
  state.counters["found"] = found ? 1 : 0;
  state.SetItemsProcessed(state.iterations());
  state.SetLabel(layout.name);
}

// Every cell within the cost reachable over eight neighbours through the same open cells (free flag and no
// figure), breadth first.
void Flood(benchmark::State& state) {
  const Layout& layout = Layouts()[static_cast<size_t>(state.range(0))];
  std::unique_ptr<TileMap> map = MakeMap(layout, static_cast<int32_t>(state.range(1)));
  if (map == nullptr) {
    state.SkipWithError("the map did not load");
    return;
  }
  std::vector<int32_t> cost(static_cast<size_t>(kSize * kSize));
  std::deque<std::pair<int32_t, int32_t>> queue;
  int64_t reached = 0;
  for (auto _ : state) {
    std::fill(cost.begin(), cost.end(), -1);
    queue.clear();
    queue.emplace_back(layout.startX, layout.startY);
    cost[static_cast<size_t>(layout.startY * kSize + layout.startX)] = 0;
    reached = 0;
    while (!queue.empty()) {
      const auto [x, y] = queue.front();
      queue.pop_front();
      ++reached;
      const int32_t next = cost[static_cast<size_t>(y * kSize + x)] + 1;
      if (next > kCost) continue;
      for (int32_t dy = -1; dy <= 1; ++dy) {
        for (int32_t dx = -1; dx <= 1; ++dx) {
          const int32_t nx = x + dx, ny = y + dy;
          if ((dx == 0 && dy == 0) || nx < 0 || ny < 0 || nx >= kSize || ny >= kSize) continue;
          int32_t& seen = cost[static_cast<size_t>(ny * kSize + nx)];
          if (seen >= 0 || !map->IsCellFreeAndOpen(nx, ny, nullptr)) continue;
          seen = next;
          queue.emplace_back(nx, ny);
        }
      }
    }
    benchmark::DoNotOptimize(reached);
  }
  state.counters["nodes"] = static_cast<double>(reached);
  state.SetItemsProcessed(state.iterations());
  state.SetLabel(layout.name);
}

void Cases(benchmark::internal::Benchmark* bench) {
  for (int64_t layout = 0; layout < static_cast<int64_t>(Layouts().size()); ++layout) {
    for (int64_t figures : {int64_t{0}, int64_t{kFigures}}) bench->Args({layout, figures});
  }
  bench->Repetitions(5)->ReportAggregatesOnly(true)->Unit(benchmark::kMicrosecond);
}
BENCHMARK(FindPath)->Apply(Cases);
BENCHMARK(Flood)->Apply(Cases);

// The usual table, then each case's medians side by side.
class PathReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Aggregate || run.aggregate_name != "median" || run.error_occurred) continue;
      Median& median = medians_[run.run_name.function_name + "/" + run.run_name.args];
      median.microseconds = run.GetAdjustedRealTime();
      auto nodes = run.counters.find("nodes");
      if (nodes != run.counters.end()) median.nodes = nodes->second.value;
    }
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\n%-34s %10s %8s %12s %8s %8s\n", "case (median of 5)", "us/call", "nodes", "flood us", "cells",
                "ratio");
    double worst = 0;
    for (int32_t layout = 0; layout < static_cast<int32_t>(Layouts().size()); ++layout) {
      for (int32_t figures : {0, kFigures}) {
        const std::string args = std::to_string(layout) + "/" + std::to_string(figures);
        const Median& ours = medians_["FindPath/" + args];
        const Median& flood = medians_["Flood/" + args];
        const std::string name = std::string(Layouts()[static_cast<size_t>(layout)].name) + ", " +
                                 std::to_string(figures) + " figures";
        // Ours against the flood as throughputs (calls per second): above 1 is faster than the flood.
        const double ratio = ours.microseconds > 0 ? flood.microseconds / ours.microseconds : 0.0;
        std::printf("%-34s %10.2f %8.0f %12.2f %8.0f %7.2fx\n", name.c_str(), ours.microseconds, ours.nodes,
                    flood.microseconds, flood.nodes, ratio);
        worst = std::max(worst, ours.microseconds);
      }
    }
    std::printf("\nworst case %.2f us per call, goal %.0f us: %s\n", worst, kGoalMicroseconds,
                worst <= kGoalMicroseconds ? "met" : "NOT met");
    std::fflush(stdout);
  }

 private:
  struct Median {
    double microseconds = 0;
    double nodes = 0;
  };
  std::map<std::string, Median> medians_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  PathReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
