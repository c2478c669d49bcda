// The map file reader: the whole file into a MapFileData, sizes and runs checked before they are used.
#include "game/world/map_file.h"

#include <algorithm>

#include "game/rules/script_event.h"
#include "game/shell/data/data_stream.h"

namespace {

constexpr int32_t kSkippedLayerBytes = 6;
// The most cells one run record can cover (a repeat count is 16 bits).
constexpr int64_t kMaxRunCells = int64_t{INT16_MAX} + 1;

// Reads through the stream and keeps the first refusal. Past the end of the data every read gives 0 or an
// empty text, and the map is built with those values, as a file that ends early is read.
class MapReader {
 public:
  explicit MapReader(DataStream& stream) : s_(stream) {}

  bool Ok() const { return error_ == MapFileError::kNone; }
  MapFileError Error() const { return error_; }
  void Fail(MapFileError error) {
    if (error_ == MapFileError::kNone) error_ = error;
  }
  // The data has ended (or failed): everything further reads as zeros.
  bool PastEnd() const { return s_.GetError() != 0; }

  int16_t Int16() { return Ok() ? s_.ReadInt16() : 0; }
  std::string String() {
    std::string text;
    if (Ok()) s_.ReadPString(text);
    return text;
  }
  void Skip(int32_t bytes) {
    if (Ok()) s_.Skip(bytes);
  }
  // A count: negative counts stand for none.
  int32_t Count() {
    const int32_t count = Int16();
    return count > 0 ? count : 0;
  }
  bool AtEnd() const { return s_.AtEnd(); }

 private:
  DataStream& s_;
  MapFileError error_ = MapFileError::kNone;
};

// A grid's sizes: each at least 1, its extent in pixels and its cell count within bounds.
bool GridSizesFit(int32_t width, int32_t height, int32_t cellWidth, int32_t cellHeight) {
  if (width < 1 || height < 1 || cellWidth < 1 || cellHeight < 1) return false;
  return int64_t{width} * cellWidth <= kMaxMapPixels && int64_t{height} * cellHeight <= kMaxMapPixels &&
         int64_t{width} * height <= kMaxMapCells;
}

void ReadStrings(MapReader& r, std::vector<std::string>* out) {
  const int32_t count = r.Count();
  for (int32_t i = 0; i < count && r.Ok(); ++i) out->push_back(r.String());
}

// Runs until exactly `cells` cells are covered. readRun() reads one run into the list and gives it back; a
// negative repeat count stands for none (the run fills its own cell). Once the data has ended, every further run
// record would read as zeros and fill one cell: the rest of the grid is covered by runs of zeros made here, a
// few cells to a record instead of one.
template <typename Run, typename ReadRun>
void ReadRuns(MapReader& r, int64_t cells, std::vector<Run>* runs, ReadRun readRun) {
  int64_t covered = 0;
  while (covered < cells && r.Ok()) {
    if (r.PastEnd()) {
      const int64_t count = std::min(cells - covered, kMaxRunCells);
      Run zeros;
      zeros.repeat = static_cast<int16_t>(count - 1);
      runs->push_back(zeros);
      covered += count;
      continue;
    }
    Run& run = readRun();
    if (run.repeat < 0) run.repeat = 0;
    if (int64_t{run.repeat} + 1 > cells - covered) return r.Fail(MapFileError::kRunPastGrid);
    covered += int64_t{run.repeat} + 1;
  }
}

void ReadLayer(MapReader& r, MapFileLayer* layer) {
  r.Skip(kSkippedLayerBytes);
  layer->lastLower = r.Int16();
  layer->text = r.String();
  const int32_t sprites = r.Count();
  for (int32_t i = 0; i < sprites && r.Ok(); ++i) {
    MapFileSprite sprite;
    sprite.x = r.Int16();
    sprite.y = r.Int16();
    sprite.stampIndex = r.Int16();
    sprite.name = r.String();
    layer->sprites.push_back(std::move(sprite));
  }
}

}  // namespace

MapFileData::MapFileData() = default;
MapFileData::~MapFileData() = default;
MapFileData::MapFileData(MapFileData&&) noexcept = default;
MapFileData& MapFileData::operator=(MapFileData&&) noexcept = default;

void ReadCharacterPlacement(CharacterPlacement& record, DataStream& stream, int16_t index) {
  record.npcName.clear();
  record.unused.clear();
  record.index = index;
  record.column = stream.ReadInt16();
  record.row = stream.ReadInt16();
  record.facing = stream.ReadInt16();
  stream.ReadPString(record.npcName);
  stream.ReadPString(record.unused);
}

void ReadItemPlacement(ItemPlacement& record, DataStream& stream) {
  record.itemName.clear();
  record.unused.clear();
  record.column = stream.ReadInt16();
  record.row = stream.ReadInt16();
  record.facing = stream.ReadInt16();
  stream.ReadPString(record.itemName);
  stream.ReadPString(record.unused);
  record.identifier = stream.ReadInt16();
}

MapFileError ParseMapFile(DataStream& stream, MapFileData* out) {
  MapReader r(stream);
  MapFileData map;
  map.format = r.Int16();
  ReadStrings(r, &map.groundPictures);
  ReadStrings(r, &map.stampPictures);
  map.width = r.Int16();
  map.height = r.Int16();
  map.cellWidth = r.Int16();
  map.cellHeight = r.Int16();
  if (!GridSizesFit(map.width, map.height, map.cellWidth, map.cellHeight)) r.Fail(MapFileError::kBadSize);

  ReadRuns(r, int64_t{map.width} * map.height, &map.cellRuns, [&]() -> MapCellRun& {
    MapCellRun& run = map.cellRuns.emplace_back();
    run.walk = r.Int16();
    run.eventText = r.String();
    run.repeat = r.Int16();
    return run;
  });

  // The layer beside the characters reads a record of its own, so a map has at least one.
  const int32_t layers = r.Count();
  if (r.Ok() && layers < 1) r.Fail(MapFileError::kBadSize);
  for (int32_t i = 0; i < layers && r.Ok(); ++i) {
    map.layers.emplace_back();
    ReadLayer(r, &map.layers.back());
  }

  const int32_t characters = r.Count();
  for (int32_t i = 0; i < characters && r.Ok(); ++i) {
    ReadCharacterPlacement(map.characters.emplace_back(), stream, 0);
  }

  const int32_t events = r.Count();
  for (int32_t i = 0; i < events && r.Ok(); ++i) {
    MapLocalEvent& local = map.events.emplace_back();
    local.name = r.String();
    local.event = std::make_unique<ScriptEvent>(stream);
  }

  // The picture grid and the items follow only when the file goes on.
  if (r.Ok() && !r.AtEnd()) {
    map.hasPictureGrid = true;
    map.gridWidth = r.Int16();
    map.gridHeight = r.Int16();
    map.gridCellWidth = r.Int16();
    map.gridCellHeight = r.Int16();
    if (!GridSizesFit(map.gridWidth, map.gridHeight, map.gridCellWidth, map.gridCellHeight)) {
      r.Fail(MapFileError::kBadSize);
    }
    ReadRuns(r, int64_t{map.gridWidth} * map.gridHeight, &map.pictureRuns, [&]() -> MapPictureRun& {
      MapPictureRun& run = map.pictureRuns.emplace_back();
      run.picture = r.Int16();
      run.repeat = r.Int16();
      return run;
    });
    const int32_t items = r.Count();
    for (int32_t i = 0; i < items && r.Ok(); ++i) ReadItemPlacement(map.items.emplace_back(), stream);
  }
  if (!r.Ok()) return r.Error();
  *out = std::move(map);
  return MapFileError::kNone;
}
