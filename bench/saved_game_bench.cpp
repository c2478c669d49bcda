// Saving and opening a full game as the game's commands do, in the running program on the demo scenario
// (headless): the player has explored every map of the scenario, has 50 places in its history, carries 100
// items with charges, knows 20 spells and is under 20 effects, has written 200 journal entries, and every global
// variable of the scenario holds a value; the game stands on a map. A save captures the game, builds the file
// (its body compressed with zlib) and writes it to a folder of the run beside the old one; an open reads and
// checks the file, replaces the running game and goes back to the map where the game was saved.
//
// The reference, in the same run: zlib's compress and uncompress of the same raw bytes (the file's body). Five
// repetitions of each, interleaved; the table gives the medians and their ratios, and holds a save and an open
// together to 20 ms. The check, before the timing: both round trips give back what they were given (zlib the body,
// ours the game: a game opened from the file saves the same game again).
//
// Usage: saved_game_bench [Google Benchmark options]
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench/ratio_table.h"
#include "bench/running_program.h"
#include "game/rules/active_effect.h"
#include "game/rules/character.h"
#include "game/rules/game_state.h"
#include "game/shell/record_lists.h"
#include "game/shell/saved_game.h"
#include "game/shell/shell_command_host.h"
#include "game/world/explored_mask.h"
#include "game/world/location.h"
#include "game/world/location_history.h"
#include "game/world/tile_map.h"
#include "platform/core/file_manager.h"

namespace {

constexpr double kBudgetSeconds = 0.020;
constexpr int32_t kHistory = 50;
constexpr int32_t kItems = 100;
constexpr int32_t kSpells = 20;
constexpr int32_t kJournal = 200;
constexpr const char* kSaveName = "Wren game.ksv";

struct Run {
  std::filesystem::path folder;  // where the game is saved
  FolderRef folderRef = 0;
  std::vector<uint8_t> body;     // the saved file's body, uncompressed
  size_t fileSize = 0;
  std::string failure;
};

Run& TheRun() {
  static Run run;
  return run;
}

// Every map of the scenario entered and explored whole; the game ends on the first of them, with a history of
// still screens and maps behind it. False when a place could not be entered.
bool ExploreEveryMap() {
  std::vector<std::string> maps;
  std::string screen;
  for (const auto& location : LocationList()) {
    if (location->Kind() == kLocationKindMap) maps.push_back(location->GetName());
    if (location->Kind() == kLocationKindScreen && screen.empty()) screen = location->GetName();
  }
  if (maps.empty() || screen.empty()) return false;
  for (auto it = maps.rbegin(); it != maps.rend(); ++it) {
    if (!bench::TravelTo(*it, 1, 1)) return false;
    TileMap* map = GetCurrentTileMap();
    if (map == nullptr) return false;
    ExploredMask* mask = GetExploredMask(map->GetName(), map->Width(), map->Height());
    // A reveal opens the 20 x 20 cells around its cell.
    for (int32_t row = 0; row < map->Height(); row += 10) {
      for (int32_t column = 0; column < map->Width(); column += 10) mask->Reveal(column, row, map->Width(), map->Height());
    }
  }
  // The history: the still screen and the map, by turns, as the game remembers them.
  std::vector<LocationHistoryEntry> places;
  for (const std::string& name : {screen, maps.front()}) {
    if (!bench::TravelTo(name, 1, 1)) return false;
    LocationHistory::Push();
    places.push_back(LocationHistory::Entries().back());
  }
  // The place the game stands in makes the last entry of a save.
  std::vector<LocationHistoryEntry> history;
  for (int32_t i = 0; i + 1 < kHistory; ++i) history.push_back(places[static_cast<size_t>(i) % places.size()]);
  LocationHistory::Adopt(history);
  return true;
}

// The player's things, spells, effects and journal, and every global variable, given values.
bool FillThePlayer() {
  Character* player = GetCurrentCharacter();
  std::vector<ItemRecord*> items;
  for (const auto& item : ItemList()) items.push_back(item.get());
  std::vector<SpellRecord*> spells;
  for (const auto& spell : SpellList()) spells.push_back(spell.get());
  if (player == nullptr || items.empty() || spells.empty()) return false;
  for (int32_t i = 0; i < kItems; ++i) {
    ItemRecord* item = player->AddInventoryItem(items[static_cast<size_t>(i) % items.size()]);
    if (item != nullptr) item->charges = static_cast<int16_t>(1 + i % 9);
  }
  for (int32_t i = 0; i < kSpells; ++i) {
    SpellRecord* spell = spells[static_cast<size_t>(i) % spells.size()];
    player->LearnSpell(spell);
    player->effects.push_back(ActiveEffect::Restore(spell, 100 + i));
  }
  for (int32_t i = 0; i < kJournal; ++i) {
    player->journal.push_back("Day " + std::to_string(i / 4 + 1) + ": walked the meadow's road past the pond, " +
                              "and the wolves kept away from the fire until morning (" + std::to_string(i) + ").");
  }
  for (int32_t i = 0; i < GetGlobalVariableCount(); ++i) {
    if (GlobalVariable* entry = GetGlobalEntryName(i)) entry->value = std::to_string(1000 + i * 37);
  }
  player->gold = 1234;
  player->experience = 5678;
  player->RecalculateStats();
  return true;
}

// The body of the saved file, uncompressed: a 10-byte head (int16 format, int32 body size, int32 packed size) comes
// before it. Empty when the file cannot be read.
std::vector<uint8_t> ReadBody(Run& run) {
  std::ifstream file(run.folder / kSaveName, std::ios::binary);
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (bytes.size() < 10) return {};
  auto big = [&](size_t at) {
    return uint32_t{bytes[at]} << 24 | uint32_t{bytes[at + 1]} << 16 | uint32_t{bytes[at + 2]} << 8 | bytes[at + 3];
  };
  uLongf size = big(2);
  std::vector<uint8_t> body(size);
  run.fileSize = bytes.size();
  if (uncompress(body.data(), &size, &bytes[10], static_cast<uLong>(bytes.size() - 10)) != Z_OK || size != body.size()) {
    return {};
  }
  return body;
}

bool Prepare(Run& run) {
  bench::StartNewGame();
  if (!ExploreEveryMap()) {
    run.failure = "a place of the scenario could not be entered";
    return false;
  }
  if (!FillThePlayer()) {
    run.failure = "the scenario has no items or no spells";
    return false;
  }
  const std::string posix = "/C" + run.folder.string();
  if (PlatformResolveFolder(0, posix.c_str(), &run.folderRef) != kPlatformNoError ||
      SaveGameTo(GetShellCommandHost(), run.folderRef, kSaveName) != SavedGameError::kNone ||
      (run.body = ReadBody(run)).empty()) {
    run.failure = "the game could not be saved";
    return false;
  }
  std::printf("The full game: %zu bytes of body, %zu bytes in its file, %d masks, %d places in its history\n",
              run.body.size(), run.fileSize, ExploredMaskCount(), LocationHistory::Count() + 1);
  return true;
}

bool Save() { return SaveGameTo(GetShellCommandHost(), TheRun().folderRef, kSaveName) == SavedGameError::kNone; }
bool Open() {
  return OpenSavedGameFrom(GetShellCommandHost(), TheRun().folderRef, kSaveName) == SavedGameError::kNone &&
         GetCurrentTileMap() != nullptr;
}

void Commands(benchmark::State& state, bool save, bool open) {
  for (auto _ : state) {
    if ((save && !Save()) || (open && !Open())) {
      state.SkipWithError("a save or an open failed");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations());
}
void SaveAndOpen(benchmark::State& state) { Commands(state, true, true); }
void SaveOnly(benchmark::State& state) { Commands(state, true, false); }
void OpenOnly(benchmark::State& state) { Commands(state, false, true); }

// zlib's compress and uncompress of the body, as a save and an open of ours pack and unpack it.
class ZlibRoundTrip {
 public:
  explicit ZlibRoundTrip(const std::vector<uint8_t>& body)
      : body_(body), packed_(compressBound(static_cast<uLong>(body.size()))), unpacked_(body.size()) {
    Compress();
  }
  bool Compress() {
    packedSize_ = static_cast<uLongf>(packed_.size());
    return compress(packed_.data(), &packedSize_, body_.data(), static_cast<uLong>(body_.size())) == Z_OK;
  }
  bool Uncompress() {
    uLongf size = static_cast<uLongf>(unpacked_.size());
    return uncompress(unpacked_.data(), &size, packed_.data(), packedSize_) == Z_OK && size == unpacked_.size();
  }
  const std::vector<uint8_t>& Unpacked() const { return unpacked_; }

 private:
  const std::vector<uint8_t>& body_;
  std::vector<uint8_t> packed_;
  uLongf packedSize_ = 0;
  std::vector<uint8_t> unpacked_;
};

void Zlib(benchmark::State& state, bool compressing, bool uncompressing) {
  ZlibRoundTrip zlib(TheRun().body);
  for (auto _ : state) {
    if (compressing) zlib.Compress();
    if (uncompressing) zlib.Uncompress();
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
}
void ZlibBoth(benchmark::State& state) { Zlib(state, true, true); }
void ZlibCompress(benchmark::State& state) { Zlib(state, true, false); }
void ZlibUncompress(benchmark::State& state) { Zlib(state, false, true); }

// The game the saved file holds, read as an open reads it; false when it cannot be read.
bool ReadGame(SavedGame* game) {
  int32_t fileError = 0;
  return ReadSavedGameFile(TheRun().folderRef, kSaveName, GetShellCommandHost().ScenarioIdentity(), game,
                           &fileError) == SavedGameError::kNone;
}

// The check of a row: the reference's round trip gives the body back, and ours the game: the game opened from the
// saved file saves the same game again (not the same bytes: each save masks its body with a key of its own).
std::string SameGame() {
  Run& run = TheRun();
  ZlibRoundTrip zlib(run.body);
  if (!zlib.Uncompress() || zlib.Unpacked() != run.body) return "zlib did not give the body back";
  SavedGame saved, again;
  if (!ReadGame(&saved)) return "the saved game could not be read";
  if (!Open() || !Save() || !ReadGame(&again)) return "the game could not be opened and saved again";
  if (again == saved) return "";
  std::string parts;
  if (again.character != saved.character) parts += " the character";
  if (again.globals != saved.globals) parts += " the global variables";
  if (again.history != saved.history) parts += " the history";
  if (again.masks != saved.masks) parts += " the explored masks";
  return "the game opened saves another game; it differs in" + (parts.empty() ? std::string(" its format") : parts);
}

KESTRIVAL_BENCH(BENCHMARK(SaveAndOpen)->Unit(benchmark::kMillisecond));
KESTRIVAL_BENCH(BENCHMARK(SaveOnly)->Unit(benchmark::kMillisecond));
KESTRIVAL_BENCH(BENCHMARK(OpenOnly)->Unit(benchmark::kMillisecond));
KESTRIVAL_BENCH(BENCHMARK(ZlibBoth)->Unit(benchmark::kMicrosecond));
KESTRIVAL_BENCH(BENCHMARK(ZlibCompress)->Unit(benchmark::kMicrosecond));
KESTRIVAL_BENCH(BENCHMARK(ZlibUncompress)->Unit(benchmark::kMicrosecond));

}  // namespace

int main(int argc, char** argv) {
  char folder[] = "/tmp/kestrival-saves-XXXXXX";
  if (mkdtemp(folder) == nullptr) return 2;
  Run& run = TheRun();
  run.folder = folder;
  int result = 1;
  bench::ProgramRun program;
  program.folder = KESTRIVAL_BENCH_DEMO;
  program.step = [&] {
    if (!Prepare(run)) return true;
    result = bench::RunWithRatioTable(
        argc, argv,
        {{"save and open of a full game", "SaveAndOpen", "ZlibBoth", 0, kBudgetSeconds, "", SameGame},
         {"save of a full game", "SaveOnly", "ZlibCompress"},
         {"open of a full game", "OpenOnly", "ZlibUncompress"}});
    return true;
  };
  const int code = bench::RunProgram(program);
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  if (!run.failure.empty()) std::fprintf(stderr, "saved_game_bench: %s\n", run.failure.c_str());
  if (code != 0) std::fprintf(stderr, "saved_game_bench: the program ended with %d\n", code);
  return code != 0 || !run.failure.empty() ? 1 : result;
}
