// The scenario writer's tile maps: ".cma" map files exactly as the game reads them (game/world/map_file.h holds
// the format), from a plain description. Cell runs are written as given and every count can be replaced by a
// raw value, so that tests can write damaged files as well as sound ones. A map with items always carries a
// picture grid (the reader looks for the items only after one): the map's own grid without pictures when the
// description gives none.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/scenario_writer/record_writer.h"
#include "tools/scenario_writer/scenario_files.h"

namespace scenario_writer {

// A run of cells: its first cell and the next `repeat` cells, column by column.
struct CellRunSpec {
  int16_t walk = 1;
  std::string event;  // a global event's name, "Local:" and a local event's name, or "" for none
  int16_t repeat = 0;
};

struct MapSpriteSpec {
  int16_t x = 0;
  int16_t y = 0;
  int16_t stampIndex = 0;  // from 1
  std::string name;
};

struct MapLayerSpec {
  std::array<uint8_t, 6> unused{};
  int16_t lastLower = 0;
  std::string text;
  std::vector<MapSpriteSpec> sprites;
  std::optional<int16_t> spriteCount;  // written in place of the number of sprites when set
};

struct CharacterPlacementSpec {
  int16_t column = 1;  // from 1
  int16_t row = 1;
  int16_t facing = 1;
  std::string npc;
  std::string unused;
};

struct ItemPlacementSpec {
  int16_t column = 1;  // from 1
  int16_t row = 1;
  int16_t facing = 1;
  std::string item;
  std::string unused;
  int16_t identifier = 0;
};

struct LocalEventSpec {
  std::string name;
  EventSpec event;
};

struct PictureRunSpec {
  int16_t picture = 0;  // from 1 into the ground pictures; 0 none
  int16_t repeat = 0;
};

struct PictureGridSpec {
  int16_t width = 0;
  int16_t height = 0;
  int16_t cellWidth = 0;
  int16_t cellHeight = 0;
  std::vector<PictureRunSpec> runs;
};

struct TileMapSpec {
  int16_t format = 1;
  std::vector<std::string> groundPictures;
  std::vector<std::string> stampPictures;
  int16_t width = 0;
  int16_t height = 0;
  int16_t cellWidth = 32;
  int16_t cellHeight = 32;
  std::vector<CellRunSpec> cells;
  std::vector<MapLayerSpec> layers;
  std::vector<CharacterPlacementSpec> characters;
  std::vector<LocalEventSpec> events;
  std::optional<PictureGridSpec> pictureGrid;
  std::vector<ItemPlacementSpec> items;
  // Written in place of the sizes of the lists when set.
  std::optional<int16_t> groundCount, stampCount, layerCount, characterCount, eventCount, itemCount;
};

// Runs covering a whole grid of width x height cells, all with the one walk value and no event.
std::vector<CellRunSpec> UniformCells(int32_t width, int32_t height, int16_t walk = 1);
// Picture runs covering a whole grid, all with the one picture.
std::vector<PictureRunSpec> UniformPictures(int32_t width, int32_t height, int16_t picture);

Bytes EncodeTileMap(const TileMapSpec& map);

}  // namespace scenario_writer
