// Tile map files: every field in the reader's order, local events through the event writer.
#include "tools/scenario_writer/tile_map_writer.h"

#include <algorithm>

#include "game/shell/data/data_stream.h"

namespace scenario_writer {

namespace {

constexpr int64_t kMaxRepeat = INT16_MAX;

void WriteCount(DataStream& stream, std::optional<int16_t> raw, size_t size) {
  stream.WriteInt16(raw.has_value() ? *raw : static_cast<int16_t>(size));
}

// Splits `cells` cells into runs of at most 32768 cells each, made by `make` from a repeat count.
template <typename Run, typename Make>
std::vector<Run> Runs(int64_t cells, Make make) {
  std::vector<Run> runs;
  while (cells > 0) {
    const int64_t repeat = std::min<int64_t>(cells - 1, kMaxRepeat);
    runs.push_back(make(static_cast<int16_t>(repeat)));
    cells -= repeat + 1;
  }
  return runs;
}

}  // namespace

std::vector<CellRunSpec> UniformCells(int32_t width, int32_t height, int16_t walk) {
  return Runs<CellRunSpec>(int64_t{width} * height, [&](int16_t repeat) { return CellRunSpec{walk, "", repeat}; });
}

std::vector<PictureRunSpec> UniformPictures(int32_t width, int32_t height, int16_t picture) {
  return Runs<PictureRunSpec>(int64_t{width} * height,
                              [&](int16_t repeat) { return PictureRunSpec{picture, repeat}; });
}

Bytes EncodeTileMap(const TileMapSpec& map) {
  return StreamBytes([&](DataStream& stream) {
    stream.WriteInt16(map.format);
    WriteCount(stream, map.groundCount, map.groundPictures.size());
    for (const std::string& name : map.groundPictures) stream.WritePStringPlain(name);
    WriteCount(stream, map.stampCount, map.stampPictures.size());
    for (const std::string& name : map.stampPictures) stream.WritePStringPlain(name);
    for (int16_t value : {map.width, map.height, map.cellWidth, map.cellHeight}) stream.WriteInt16(value);
    for (const CellRunSpec& run : map.cells) {
      stream.WriteInt16(run.walk);
      stream.WritePStringPlain(run.event);
      stream.WriteInt16(run.repeat);
    }
    WriteCount(stream, map.layerCount, map.layers.size());
    for (const MapLayerSpec& layer : map.layers) {
      stream.WriteBytes(layer.unused.data(), static_cast<uint32_t>(layer.unused.size()));
      stream.WriteInt16(layer.lastLower);
      stream.WritePStringPlain(layer.text);
      WriteCount(stream, layer.spriteCount, layer.sprites.size());
      for (const MapSpriteSpec& sprite : layer.sprites) {
        stream.WriteInt16(sprite.x);
        stream.WriteInt16(sprite.y);
        stream.WriteInt16(sprite.stampIndex);
        stream.WritePStringPlain(sprite.name);
      }
    }
    WriteCount(stream, map.characterCount, map.characters.size());
    for (const CharacterPlacementSpec& placement : map.characters) {
      stream.WriteInt16(placement.column);
      stream.WriteInt16(placement.row);
      stream.WriteInt16(placement.facing);
      stream.WritePStringPlain(placement.npc);
      stream.WritePStringPlain(placement.unused);
    }
    WriteCount(stream, map.eventCount, map.events.size());
    for (const LocalEventSpec& local : map.events) {
      stream.WritePStringPlain(local.name);
      WriteEventBody(stream, local.event);
    }
    std::optional<PictureGridSpec> grid = map.pictureGrid;
    if (!grid.has_value() && (!map.items.empty() || map.itemCount.has_value())) {
      grid = PictureGridSpec{map.width, map.height, map.cellWidth, map.cellHeight,
                             UniformPictures(map.width, map.height, 0)};
    }
    if (!grid.has_value()) return;
    for (int16_t value : {grid->width, grid->height, grid->cellWidth, grid->cellHeight}) stream.WriteInt16(value);
    for (const PictureRunSpec& run : grid->runs) {
      stream.WriteInt16(run.picture);
      stream.WriteInt16(run.repeat);
    }
    WriteCount(stream, map.itemCount, map.items.size());
    for (const ItemPlacementSpec& placement : map.items) {
      stream.WriteInt16(placement.column);
      stream.WriteInt16(placement.row);
      stream.WriteInt16(placement.facing);
      stream.WritePStringPlain(placement.item);
      stream.WritePStringPlain(placement.unused);
      stream.WriteInt16(placement.identifier);
    }
  });
}

}  // namespace scenario_writer
