// The path finder at the game's cost limit (35) on maps of 64, 100 and 256 cells a side: an open field walked to
// the limit, a maze of walls with alternating gaps, a goal walled in (found out by the look around the goal), a
// goal on a wall (the search back from it for a free cell first) and a goal whose way round is longer than the
// limit (the search explores everything within the limit and fails), each with no blocking figure, with 50 and
// with 200 around the layout. The maps are the ones whose paths the path finder's tests pin.
//
// Each search is set against two references measured in the same run, both stepping over eight neighbours
// through the cells the path finder would enter (worked out once, before the timing) and, like the finder,
// clearing only the cells they used:
// - a textbook A* (a binary heap and a closed array) with the same costs, estimate and ties, which expands the
//   same nodes and finds the same paths (a blocked goal replaced first by the same search back from it); only
//   the finder's shortcuts for hopeless goals are not in it. Before anything is timed, every case is run through
//   both and the program stops when the path, its cost or the nodes taken differ (the finder may take fewer
//   only where it finds no path);
// - a plain breadth-first search from the same start, to the goal or to the same cost.
// The table gives each pair's medians, their ratio, the nodes each took, and the 50 microseconds a search should
// stay within; against the textbook A* the finder should be at least as fast.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
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
constexpr double kTextbookGoal = 1.0;
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

std::string CaseLabel(int64_t size, int64_t layout, int64_t figures) {
  return std::to_string(size) + ", " + test_support::PathLayouts(static_cast<int32_t>(size))[static_cast<size_t>(layout)].name +
         ", " + std::to_string(figures) + " figures";
}

// A textbook A* over the open cells of a square grid: every step costs 1, the estimate is the squared distance
// to the target, and the open node of lowest f is taken first, the one that entered the open list first among
// equal f. A node reached again at a lower f takes the new way; a closed one stays closed. The binary heap keeps
// an entry for every such change and passes over the ones left behind; it keeps its memory from one search to the
// next.
class TextbookAStar {
 public:
  struct Result {
    std::vector<int32_t> cells;  // the path's cells, the goal end first, the start left out; empty: no path
    int32_t cost = 0;            // the goal's g
    int64_t expanded = 0;        // the nodes taken from the open lists (both searches)
  };

  TextbookAStar(int32_t size, const std::vector<uint8_t>& open)
      : size_(size), open_(open), nodes_(open.size()) {}

  Result Find(int32_t startX, int32_t startY, int32_t goalX, int32_t goalY, int32_t costLimit) {
    Result result;
    costLimit_ = costLimit;
    const int32_t start = startY * size_ + startX;
    int32_t goal = goalY * size_ + goalX;
    if (start == goal) return result;
    // A goal the walker may not enter gives way to the first free cell that a search back from it meets.
    if (open_[static_cast<size_t>(goal)] == 0) {
      goal = Search(goal, start, true, result.expanded);
      if (goal < 0 || goal == start) return result;
    }
    const int32_t found = Search(start, goal, false, result.expanded);
    if (found < 0) return result;
    result.cost = nodes_[static_cast<size_t>(found)].g;
    for (int32_t cell = found; cell != start; cell = nodes_[static_cast<size_t>(cell)].parent) {
      result.cells.push_back(cell);
    }
    return result;
  }

 private:
  enum State : uint8_t { kUnseen, kOpen, kClosed };
  struct Node {
    int32_t g = 0, h = 0, f = 0;
    int32_t parent = -1;
    uint32_t order = 0;
    State state = kUnseen;
  };
  struct Entry {
    int32_t f;
    uint32_t order;
    int32_t cell;
    // The heap's top is the lowest f, the first to come among equal f.
    bool operator<(const Entry& other) const { return f != other.f ? f > other.f : order > other.order; }
  };

  int32_t SquaredDistance(int32_t cell, int32_t target) const {
    const int32_t dx = cell % size_ - target % size_, dy = cell / size_ - target / size_;
    return dx * dx + dy * dy;
  }

  // From the cell to the target: the cell found (the target, or with toOpenCell the first open cell taken, over
  // blocked cells too), or -1.
  int32_t Search(int32_t from, int32_t target, bool toOpenCell, int64_t& expanded) {
    for (int32_t cell : touched_) nodes_[static_cast<size_t>(cell)].state = kUnseen;
    touched_.clear();
    heap_.clear();
    uint32_t order = 0;
    Enter(from, 0, SquaredDistance(from, target), -1, order++);
    while (!heap_.empty()) {
      std::pop_heap(heap_.begin(), heap_.end());
      const Entry entry = heap_.back();
      heap_.pop_back();
      Node& s = nodes_[static_cast<size_t>(entry.cell)];
      if (s.state != kOpen || entry.f != s.f) continue;
      s.state = kClosed;
      ++expanded;
      if (toOpenCell ? open_[static_cast<size_t>(entry.cell)] != 0 : entry.cell == target) return entry.cell;
      const int32_t g = s.g + 1;
      if (g > costLimit_) continue;
      const int32_t x = entry.cell % size_, y = entry.cell / size_;
      for (int32_t i = 0; i < 8; ++i) {
        const int32_t nx = x + kDirectionX[i], ny = y + kDirectionY[i];
        if (nx < 0 || ny < 0 || nx >= size_ || ny >= size_) continue;
        const int32_t cell = ny * size_ + nx;
        if (!toOpenCell && open_[static_cast<size_t>(cell)] == 0) continue;
        Node& next = nodes_[static_cast<size_t>(cell)];
        if (next.state == kUnseen) {
          Enter(cell, g, SquaredDistance(cell, target), entry.cell, order++);
        } else if (g + next.h < next.f) {
          next.g = g;
          next.f = g + next.h;
          next.parent = entry.cell;
          if (next.state == kOpen) Push({next.f, next.order, cell});
        }
      }
    }
    return -1;
  }

  void Enter(int32_t cell, int32_t g, int32_t h, int32_t parent, uint32_t order) {
    Node& node = nodes_[static_cast<size_t>(cell)];
    node = {g, h, g + h, parent, order, kOpen};
    touched_.push_back(cell);
    Push({node.f, order, cell});
  }
  void Push(const Entry& entry) {
    heap_.push_back(entry);
    std::push_heap(heap_.begin(), heap_.end());
  }

  // The neighbours in the order a node is expanded.
  static constexpr int32_t kDirectionX[8] = {0, -1, 1, 0, 1, -1, 1, -1};
  static constexpr int32_t kDirectionY[8] = {-1, 0, 0, 1, 1, -1, -1, 1};

  int32_t size_;
  const std::vector<uint8_t>& open_;
  int32_t costLimit_ = 0;
  std::vector<Node> nodes_;
  std::vector<int32_t> touched_;
  std::vector<Entry> heap_;
};

// A loaded map of a case, and the cells a walker of no radius may enter on it (1) or not (0).
struct MeasuredMap {
  PathLayout layout;
  std::unique_ptr<TileMap> map;
  std::vector<uint8_t> open;
};

// Stops the program when the finder and the textbook A* disagree on the case's path or its cost.
void CheckAgainstTextbook(int64_t size, int64_t layoutIndex, int64_t figures, MeasuredMap& measured) {
  const PathLayout& layout = measured.layout;
  std::unique_ptr<Path> path = PathFinder::FindPath(measured.map.get(), layout.startX, layout.startY, layout.goalX,
                                                    layout.goalY, test_support::kPathCost, false, 8, nullptr);
  TextbookAStar textbook(static_cast<int32_t>(size), measured.open);
  const TextbookAStar::Result expected =
      textbook.Find(layout.startX, layout.startY, layout.goalX, layout.goalY, test_support::kPathCost);
  std::vector<int32_t> cells;
  int32_t cost = 0;
  if (path != nullptr) {
    for (const PathNode* node : path->Waypoints()) cells.push_back(node->row * static_cast<int32_t>(size) + node->column);
    cost = path->First()->g;
  }
  // The finder gives up at once on a goal it sees cannot be reached, where the textbook search looks on.
  const int64_t nodes = PathFinder::NodesExpanded();
  const bool sameNodes = nodes == expected.expanded || (cells.empty() && nodes < expected.expanded);
  if (cells != expected.cells || cost != expected.cost || !sameNodes) {
    std::fprintf(stderr,
                 "path_finder_bench: the path finder and the textbook A* disagree on %s: %zu waypoints at cost %d "
                 "after %lld nodes, against %zu at cost %d after %lld\n",
                 CaseLabel(size, layoutIndex, figures).c_str(), cells.size(), cost, static_cast<long long>(nodes),
                 expected.cells.size(), expected.cost, static_cast<long long>(expected.expanded));
    std::exit(1);
  }
}

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
  CheckAgainstTextbook(size, layout, figures, *measured);
  made = std::move(measured);
  return made.get();
}

// The benchmark's map, or null with the benchmark skipped when the map did not load.
MeasuredMap* MapOf(benchmark::State& state) {
  MeasuredMap* measured = MapOf(state.range(0), state.range(1), state.range(2));
  if (measured == nullptr) state.SkipWithError("the map did not load");
  return measured;
}

void FindPath(benchmark::State& state) {
  MeasuredMap* measured = MapOf(state);
  if (measured == nullptr) return;
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

// The textbook A* on the same cells, from the same start to the same goal.
void TextbookPath(benchmark::State& state) {
  MeasuredMap* measured = MapOf(state);
  if (measured == nullptr) return;
  const PathLayout& layout = measured->layout;
  TextbookAStar textbook(static_cast<int32_t>(state.range(0)), measured->open);
  int64_t nodes = 0;
  for (auto _ : state) {
    TextbookAStar::Result result =
        textbook.Find(layout.startX, layout.startY, layout.goalX, layout.goalY, test_support::kPathCost);
    nodes = result.expanded;
    benchmark::DoNotOptimize(result);
  }
  state.counters["nodes"] = static_cast<double>(nodes);
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
  if (measured == nullptr) return;
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
KESTRIVAL_BENCH(BENCHMARK(TextbookPath)->Apply(Cases));
KESTRIVAL_BENCH(BENCHMARK(BreadthFirst)->Apply(Cases));

}  // namespace

int main(int argc, char** argv) {
  // Against the textbook A* first (at least as fast, within the budget), then against the breadth-first search.
  std::vector<bench::RatioRow> rows;
  for (const char* reference : {"TextbookPath", "BreadthFirst"}) {
    const bool textbook = std::string(reference) == "TextbookPath";
    for (int64_t size : test_support::kPathMapSizes) {
      for (int64_t layout = 0; layout < kLayouts; ++layout) {
        for (int64_t figures : test_support::kPathFigureCounts) {
          const std::string args =
              std::to_string(size) + "/" + std::to_string(layout) + "/" + std::to_string(figures);
          bench::RatioRow row{(textbook ? "vs A* " : "vs BFS ") + CaseLabel(size, layout, figures),
                              "FindPath/" + args, std::string(reference) + "/" + args, textbook ? kTextbookGoal : 0,
                              kBudgetSeconds, "nodes"};
          if (!textbook) row.check = [=] { return PathAgrees(size, layout, figures); };
          rows.push_back(std::move(row));
        }
      }
    }
  }
  return bench::RunWithRatioTable(argc, argv, std::move(rows));
}
