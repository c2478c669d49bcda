// Whole frames of the running game on its maps during a fight: the program runs in-process on the demo scenario
// (headless), the player stands among wolves that have noticed it, and each frame is the main loop's pass
// without its pacing: the map's tick (the location's click operation), the drawing of the location, the game
// view's composition (SceneView::Update), the presenting and the painting of the window. Three maps: the demo's
// meadow (24 x 18 cells, one wolf), and wide meadows of 100 x 100 and 256 x 256 cells written beside it by the
// scenario writer, each with 500 animated flowers, 100 items lying about and 50 wolves, 8 of them around the
// player. Each map is measured as the game runs it (only what changed is drawn again) and with the whole frame
// redrawn (the back buffer cleared first). Nobody falls: the player is made strong enough that no pass of the
// fight brings it down, and the fighters' stamina is put back after every frame; a message that opens all the same
// (the end of the game) is closed unanswered, and the case fails, saying so.
//
// The reference, in the same run, is a copy of the game view's back buffer (640 x 480 x 3 bytes): the bound no frame
// can beat. It copies the frame's own pixels rather than drawing them another way, so the rows have no results to
// compare; a case fails instead when the fight did not go on through its frames. Five repetitions of each, interleaved;
// the table gives the medians, the ratio to the copy and the frame's time against the 33.3 ms a frame may take at 30
// frames a second.
//
// Usage: scene_frame_bench [Google Benchmark options]
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/ratio_table.h"
#include "bench/running_program.h"
#include "game/graphics/bitmap.h"
#include "game/rules/character.h"
#include "game/rules/game_state.h"
#include "game/shell/main_loop.h"
#include "game/world/location.h"
#include "game/world/scene_view.h"
#include "game/world/tile_map.h"
#include "host/kernel.h"
#include "tools/scenario_writer/animation_set_writer.h"
#include "tools/scenario_writer/location_writer.h"
#include "tools/scenario_writer/picture_writer.h"
#include "tools/scenario_writer/scenario_files.h"
#include "tools/scenario_writer/tile_map_writer.h"

namespace {

namespace sw = scenario_writer;

constexpr double kFrameBudget = 1.0 / 30;
constexpr int16_t kCell = 32;
constexpr int32_t kFlowers = 500;
constexpr int32_t kItems = 100;
constexpr int32_t kWolves = 50;
constexpr int32_t kEngaged = 8;

struct MeasuredMap {
  const char* label;
  std::string location;
  int32_t column, row;  // where the player comes in, among the wolves
};

// The demo's meadow, whose wolf stands on cell (16, 10): the player comes in three cells west of it.
std::vector<MeasuredMap>& Maps() {
  static std::vector<MeasuredMap> maps = {{"demo meadow", "Meadow", 13, 10},
                                          {"100 x 100 map", "Wide meadow 100", 50, 50},
                                          {"256 x 256 map", "Wide meadow 256", 128, 128}};
  return maps;
}

// ---- The scenario: the demo's loose tree and the wide meadows beside it ----

sw::Bytes DrawFlower(bool open) {
  const sw::Rgb grass{86, 150, 62};
  sw::Canvas canvas(16, 16, grass);
  canvas.FillRect(7, 8, 2, 8, sw::Rgb{50, 110, 40});
  canvas.FillCircle(8, 6, open ? 5 : 3, sw::Rgb{230, 200, 40});
  if (open) canvas.FillCircle(8, 6, 2, sw::Rgb{160, 80, 20});
  return sw::EncodeBmp24(canvas);
}

// A flower that opens and closes for ever: a loop of two frames.
sw::Bytes FlowerSet() {
  sw::AnimationSetSpec set;
  set.name = "flower";
  set.pictures = {"Wide flower.bmp", "Wide flower open.bmp"};
  sw::AnimationSpec sway{"sway", 0, 6, {}, {}};
  sway.frames = {{0, 1, "", -8, -8, {}}, {1, 0, "", -8, -8, {}}, {2, 0, "", -8, -8, {}}, {0, 2, "", -8, -8, {}}};
  set.animations = {sway};
  return sw::EncodeAnimationSet(set);
}

// A wide meadow of size x size cells with the demo's ground pictures: grass, a road across the middle, ponds and
// rocks that nobody walks through; flowers on its layer, items on the grass, wolves about, eight of them within
// a few cells of the middle, where the player comes in.
sw::TileMapSpec WideMeadow(int16_t size, const std::vector<std::string>& items) {
  enum Ground : int16_t { kGrass = 1, kRoad, kWater, kRock };
  const int32_t middle = size / 2;
  auto ground = [&](int32_t column, int32_t row) -> Ground {
    if (row == middle && std::abs(column - middle) > 4) return kRoad;
    if (column % 23 >= 17 && column % 23 <= 19 && row % 19 >= 3 && row % 19 <= 5) return kWater;
    if ((column * 7 + row * 13) % 61 == 0) return kRock;
    return kGrass;
  };
  auto near = [&](int32_t column, int32_t row) { return std::max(std::abs(column - middle), std::abs(row - middle)) <= 4; };
  sw::TileMapSpec map;
  map.groundPictures = {"Meadow grass.bmp", "Meadow road.bmp", "Meadow water.bmp", "Meadow rock.bmp"};
  map.stampPictures = {"Wide flower.cam"};
  map.width = size;
  map.height = size;
  map.cellWidth = kCell;
  map.cellHeight = kCell;
  sw::PictureGridSpec grid{size, size, kCell, kCell, {}};
  std::vector<bool> free;
  for (int32_t column = 0; column < size; ++column) {
    for (int32_t row = 0; row < size; ++row) {
      const Ground picture = near(column, row) ? kGrass : ground(column, row);
      const bool wall = picture == kWater || picture == kRock;
      map.cells.push_back({static_cast<int16_t>(wall ? 0 : 1), "", 0});
      grid.runs.push_back({picture, 0});
      free.push_back(!wall);
    }
  }
  map.pictureGrid = grid;
  // Free cells away from the middle, spread evenly by a stride that is prime to the map's cell count.
  size_t pick = 0;
  auto nextFreeCell = [&](int32_t* column, int32_t* row) {
    do {
      pick = (pick + 7919) % free.size();
      *column = static_cast<int32_t>(pick / static_cast<size_t>(size));
      *row = static_cast<int32_t>(pick % static_cast<size_t>(size));
    } while (!free[pick] || near(*column, *row));
    free[pick] = false;
  };
  sw::MapLayerSpec flowers;
  for (int32_t i = 0; i < kFlowers; ++i) {
    int32_t column = 0, row = 0;
    nextFreeCell(&column, &row);
    flowers.sprites.push_back({static_cast<int16_t>(column * kCell + kCell / 2),
                               static_cast<int16_t>(row * kCell + kCell / 2), 1, "flower"});
  }
  map.layers = {sw::MapLayerSpec{}, flowers};
  for (int32_t i = 0; i < kItems && !items.empty(); ++i) {
    int32_t column = 0, row = 0;
    nextFreeCell(&column, &row);
    map.items.push_back({static_cast<int16_t>(column + 1), static_cast<int16_t>(row + 1), 1,
                         items[static_cast<size_t>(i) % items.size()], "", static_cast<int16_t>(i + 1)});
  }
  // The engaged ones on a ring two and three cells from the player, the others anywhere.
  const int32_t ring[kEngaged][2] = {{-2, -2}, {0, -3}, {2, -2}, {3, 0}, {2, 2}, {0, 3}, {-2, 2}, {-3, 0}};
  for (int32_t i = 0; i < kWolves; ++i) {
    int32_t column = 0, row = 0;
    if (i < kEngaged) {
      column = middle + ring[i][0];
      row = middle + ring[i][1];
    } else {
      nextFreeCell(&column, &row);
    }
    map.characters.push_back({static_cast<int16_t>(column + 1), static_cast<int16_t>(row + 1), 7, "Wolf", ""});
  }
  return map;
}

// The names of the item records of the tree.
std::vector<std::string> ItemNames(const std::filesystem::path& tree) {
  std::vector<std::string> names;
  std::error_code code;
  for (const auto& entry : std::filesystem::directory_iterator(tree / "Items", code)) {
    if (entry.path().extension() == ".itm") names.push_back(entry.path().stem().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Copies the demo's loose tree into the folder and writes the wide meadows into it.
bool PrepareScenario(const std::filesystem::path& folder) {
  const std::filesystem::path tree = folder / "DataTree";
  std::error_code code;
  std::filesystem::copy(std::filesystem::path(KESTRIVAL_BENCH_DEMO) / "DataTree", tree,
                        std::filesystem::copy_options::recursive, code);
  if (code) {
    std::fprintf(stderr, "scene_frame_bench: cannot copy the demo: %s\n", code.message().c_str());
    return false;
  }
  const std::vector<std::string> items = ItemNames(tree);
  sw::ScenarioFiles files;
  files.Add("Pictures/Wide flower.bmp", DrawFlower(false));
  files.Add("Pictures/Wide flower open.bmp", DrawFlower(true));
  files.Add("Pictures/Wide flower.cam", FlowerSet());
  for (int16_t size : {int16_t{100}, int16_t{256}}) {
    const MeasuredMap& measured = Maps()[size == 100 ? 1 : 2];
    files.Add("Maps/" + measured.location + ".cma", sw::EncodeTileMap(WideMeadow(size, items)));
    sw::MapLocationSpec location;
    location.interface = 1;
    files.Add(sw::LocationRecordPath(measured.location), sw::EncodeMapLocation(location));
  }
  std::string error;
  if (!files.WriteLooseTree(tree, &error) ||
      !sw::WriteBytesToFile(folder / "cs.cfg", sw::Bytes{'-', 'p', 'D', 'a', 't', 'a', 'T', 'r', 'e', 'e', '\n'},
                            &error)) {
    std::fprintf(stderr, "scene_frame_bench: %s\n", error.c_str());
    return false;
  }
  return true;
}

// ---- The frames ----

// A pass of the main loop without its pacing.
void Pass(bool wholeFrame) {
  RunGameTick();
  if (wholeFrame) ClearGameView();
  RefreshView();
}

// Everyone on the map keeps fighting: the stamina the blows took is given back.
void KeepFightersStanding() {
  if (Character* player = GetCurrentCharacter()) player->stamina = player->current.maxStamina;
  if (TileMap* map = GetCurrentTileMap()) {
    for (Character* fighter : map->EngagedList()) fighter->stamina = fighter->current.maxStamina;
  }
}

// The player outlasts any pass of a fight: eight wolves' blows in one pass cannot bring it down, so that no fall
// ends the fight (and the game, with its message) between two passes that give the stamina back.
void MakePlayerStrong() {
  Character* player = GetCurrentCharacter();
  player->base.maxStamina = 20000;
  player->RecalculateStats();
  player->stamina = player->current.maxStamina;
}

// Why the fight on the map is not going on, or empty when it is.
std::string NoFight(const MeasuredMap& measured, int dialogsBefore) {
  if (bench::DialogsClosedInStep() != dialogsBefore) {
    return "a message opened on " + measured.location + " (the player fell?) and was closed unanswered";
  }
  const Location* here = GetCurrentLocation();
  if (here == nullptr || here->GetName() != measured.location) return "the player is not on " + measured.location;
  if (!IsEncounterInProgress()) return "no fight on " + measured.location;
  return "";
}

// Puts the player on the map among the wolves and lets the fight begin: empty when it did, else why not.
std::string EnterFight(const MeasuredMap& measured) {
  const int dialogs = bench::DialogsClosedInStep();
  const Location* here = GetCurrentLocation();
  if (here == nullptr || here->GetName() != measured.location) {
    if (!bench::TravelTo(measured.location, measured.column, measured.row)) return "cannot enter " + measured.location;
    for (int32_t i = 0; i < 10; ++i) {
      Pass(false);
      KeepFightersStanding();
    }
  }
  // The wolves notice the player on their turns: passes at the game's pace, for at most five seconds.
  for (int32_t i = 0; i < 150 && !IsEncounterInProgress() && bench::DialogsClosedInStep() == dialogs; ++i) {
    Pass(false);
    KeepFightersStanding();
    Sleep(33);
  }
  return NoFight(measured, dialogs);
}

void Frames(benchmark::State& state, bool wholeFrame) {
  const MeasuredMap& measured = Maps()[static_cast<size_t>(state.range(0))];
  const int dialogs = bench::DialogsClosedInStep();
  if (const std::string failure = EnterFight(measured); !failure.empty()) {
    state.SkipWithError(failure.c_str());
    return;
  }
  for (auto _ : state) {
    Pass(wholeFrame);
    KeepFightersStanding();
  }
  if (const std::string failure = NoFight(measured, dialogs); !failure.empty()) {
    state.SkipWithError(("the frames ended the fight: " + failure).c_str());
    return;
  }
  TileMap* map = GetCurrentTileMap();
  state.counters["engaged"] = map != nullptr ? static_cast<double>(map->EngagedList().size()) : 0;
  state.SetItemsProcessed(state.iterations());
}
void Frame(benchmark::State& state) { Frames(state, false); }
void WholeFrame(benchmark::State& state) { Frames(state, true); }

// The reference: the back buffer's bytes copied once.
void BackBufferCopy(benchmark::State& state) {
  SceneView* view = GetSceneView();
  Bitmap* frame = view != nullptr ? view->GetBackBuffer() : nullptr;
  if (frame == nullptr || !frame->HasPixels()) {
    state.SkipWithError("no back buffer");
    return;
  }
  const size_t bytes = static_cast<size_t>(frame->rowBytes) * static_cast<size_t>(frame->height);
  std::vector<uint8_t> copy(bytes);
  for (auto _ : state) {
    benchmark::DoNotOptimize(copy.data());
    std::memcpy(copy.data(), frame->PixelAt(0, 0), bytes);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
}

KESTRIVAL_BENCH(BENCHMARK(Frame)->DenseRange(0, 2)->Unit(benchmark::kMillisecond));
KESTRIVAL_BENCH(BENCHMARK(WholeFrame)->DenseRange(0, 2)->Unit(benchmark::kMillisecond));
KESTRIVAL_BENCH(BENCHMARK(BackBufferCopy)->Unit(benchmark::kMicrosecond));

}  // namespace

int main(int argc, char** argv) {
  std::vector<bench::RatioRow> rows;
  for (int32_t i = 0; i < 3; ++i) {
    const std::string map = Maps()[static_cast<size_t>(i)].label;
    rows.push_back({map + " in a fight", "Frame/" + std::to_string(i), "BackBufferCopy", 0, kFrameBudget, "engaged"});
    rows.push_back({map + " in a fight, whole frame", "WholeFrame/" + std::to_string(i), "BackBufferCopy", 0,
                    kFrameBudget, "engaged"});
  }
  char folder[] = "/tmp/kestrival-frames-XXXXXX";
  if (mkdtemp(folder) == nullptr || !PrepareScenario(folder)) return 2;
  int result = 1;
  bench::ProgramRun run;
  run.folder = folder;
  run.step = [&] {
    bench::StartNewGame();
    MakePlayerStrong();
    result = bench::RunWithRatioTable(argc, argv, rows);
    return true;
  };
  const int code = bench::RunProgram(run);
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  if (code != 0) std::fprintf(stderr, "scene_frame_bench: the program ended with %d\n", code);
  return code != 0 ? 1 : result;
}
