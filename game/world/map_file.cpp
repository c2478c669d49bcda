// The map file reader: the whole file into a MapFileData, every count and run checked before it is used.
#include "game/world/map_file.h"

#include "game/rules/script_event.h"
#include "game/shell/data/data_stream.h"

namespace {

// The fewest bytes a record of each kind takes, for checking counts against what remains.
constexpr uint64_t kStringBytes = 1;
constexpr uint64_t kCellRunBytes = 2 + kStringBytes + 2;
constexpr uint64_t kLayerBytes = 6 + 2 + kStringBytes + 2;
constexpr uint64_t kSpriteBytes = 3 * 2 + kStringBytes;
constexpr uint64_t kCharacterBytes = 3 * 2 + 2 * kStringBytes;
constexpr uint64_t kEventBytes = kStringBytes + 3 * 2;
constexpr uint64_t kPictureRunBytes = 2 * 2;
constexpr uint64_t kItemBytes = 3 * 2 + 2 * kStringBytes + 2;
constexpr int32_t kSkippedLayerBytes = 6;

// Reads through the stream and keeps the first fault; every read after it gives 0 or an empty text.
class MapReader {
 public:
  explicit MapReader(DataStream& stream) : s_(stream) {}

  bool Ok() const { return error_ == MapFileError::kNone; }
  MapFileError Error() const { return error_; }
  void Fail(MapFileError error) {
    if (error_ == MapFileError::kNone) error_ = error;
  }
  DataStream& Stream() { return s_; }

  int16_t Int16() {
    if (!Ok()) return 0;
    const int16_t value = s_.ReadInt16();
    Check();
    return value;
  }
  std::string String() {
    std::string text;
    if (!Ok()) return text;
    s_.ReadPString(text);
    Check();
    return text;
  }
  void Skip(int32_t bytes) {
    if (!Ok()) return;
    if (static_cast<uint64_t>(bytes) > Remaining()) return Fail(MapFileError::kTruncated);
    s_.Seek(s_.GetPosition() + static_cast<uint32_t>(bytes));
  }
  // A count of records of at least minBytes each: negative counts, and counts the rest of the file cannot hold,
  // are refused (0 then).
  int32_t Count(uint64_t minBytes) {
    const int32_t count = Int16();
    if (!Ok()) return 0;
    if (count < 0) {
      Fail(MapFileError::kBadCount);
      return 0;
    }
    if (static_cast<uint64_t>(count) * minBytes > Remaining()) {
      Fail(MapFileError::kTruncated);
      return 0;
    }
    return count;
  }
  uint64_t Remaining() const {
    if (!Ok() || s_.GetError() != 0) return 0;
    return s_.GetSize() - s_.GetPosition();
  }
  bool AtEnd() const { return s_.AtEnd(); }

 private:
  void Check() {
    if (s_.GetError() != 0) Fail(MapFileError::kTruncated);
  }

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
  const int32_t count = r.Count(kStringBytes);
  for (int32_t i = 0; i < count && r.Ok(); ++i) out->push_back(r.String());
}

// Runs until exactly `cells` cells are covered; read(repeat) reads one run and gives its repeat count.
template <typename ReadRun>
void ReadRuns(MapReader& r, int64_t cells, uint64_t runBytes, ReadRun readRun) {
  int64_t covered = 0;
  while (covered < cells && r.Ok()) {
    if (r.Remaining() < runBytes) return r.Fail(MapFileError::kTruncated);
    const int16_t repeat = readRun();
    if (!r.Ok()) return;
    if (repeat < 0) return r.Fail(MapFileError::kBadCount);
    if (int64_t{repeat} + 1 > cells - covered) return r.Fail(MapFileError::kRunPastGrid);
    covered += int64_t{repeat} + 1;
  }
}

void ReadLayer(MapReader& r, MapFileLayer* layer) {
  r.Skip(kSkippedLayerBytes);
  layer->lastLower = r.Int16();
  layer->text = r.String();
  const int32_t sprites = r.Count(kSpriteBytes);
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
  if (r.Ok() && !GridSizesFit(map.width, map.height, map.cellWidth, map.cellHeight)) r.Fail(MapFileError::kBadSize);

  ReadRuns(r, int64_t{map.width} * map.height, kCellRunBytes, [&] {
    MapCellRun run;
    run.walk = r.Int16();
    run.eventText = r.String();
    run.repeat = r.Int16();
    map.cellRuns.push_back(std::move(run));
    return map.cellRuns.back().repeat;
  });

  // The layer beside the characters reads a record of its own, so a map has at least one.
  const int32_t layers = r.Count(kLayerBytes);
  if (r.Ok() && layers < 1) r.Fail(MapFileError::kBadSize);
  for (int32_t i = 0; i < layers && r.Ok(); ++i) {
    map.layers.emplace_back();
    ReadLayer(r, &map.layers.back());
  }

  const int32_t characters = r.Count(kCharacterBytes);
  for (int32_t i = 0; i < characters && r.Ok(); ++i) {
    CharacterPlacement placement;
    ReadCharacterPlacement(placement, stream, 0);
    if (stream.GetError() != 0) r.Fail(MapFileError::kTruncated);
    map.characters.push_back(std::move(placement));
  }

  const int32_t events = r.Count(kEventBytes);
  for (int32_t i = 0; i < events && r.Ok(); ++i) {
    MapLocalEvent local;
    local.name = r.String();
    if (!r.Ok()) break;
    local.event = std::make_unique<ScriptEvent>(stream);
    if (stream.GetError() != 0) r.Fail(MapFileError::kTruncated);
    if (!local.event->IsLoaded()) r.Fail(MapFileError::kBadEvent);
    map.events.push_back(std::move(local));
  }

  // The picture grid and the items follow only when the file goes on.
  if (r.Ok() && !r.AtEnd()) {
    map.hasPictureGrid = true;
    map.gridWidth = r.Int16();
    map.gridHeight = r.Int16();
    map.gridCellWidth = r.Int16();
    map.gridCellHeight = r.Int16();
    if (r.Ok() && !GridSizesFit(map.gridWidth, map.gridHeight, map.gridCellWidth, map.gridCellHeight)) {
      r.Fail(MapFileError::kBadSize);
    }
    ReadRuns(r, int64_t{map.gridWidth} * map.gridHeight, kPictureRunBytes, [&] {
      MapPictureRun run;
      run.picture = r.Int16();
      run.repeat = r.Int16();
      map.pictureRuns.push_back(run);
      return run.repeat;
    });
    const int32_t items = r.Count(kItemBytes);
    for (int32_t i = 0; i < items && r.Ok(); ++i) {
      ItemPlacement placement;
      ReadItemPlacement(placement, stream);
      if (stream.GetError() != 0) r.Fail(MapFileError::kTruncated);
      map.items.push_back(std::move(placement));
    }
  }
  if (!r.Ok()) return r.Error();
  *out = std::move(map);
  return MapFileError::kNone;
}
