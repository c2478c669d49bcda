// The map file reader over writer-made files: every field read as written, a file cut short read with zeros past
// its end, negative counts read as none, and the damage that is refused without a description.
#include "game/world/map_file.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "game/rules/script_event.h"
#include "tests/support/archive_fixtures.h"
#include "tools/scenario_writer/tile_map_writer.h"

namespace {

namespace sw = scenario_writer;

// A 3 x 2 map with one of everything: a run crossing from column 0 into column 1, a run of one cell (R = 0),
// a global and a local event name, one layer with a sprite, a character, a local event, a picture grid and an
// item.
sw::TileMapSpec FullMap() {
  sw::TileMapSpec map;
  map.format = 7;
  map.groundPictures = {"Grass", "Sand"};
  map.stampPictures = {"Tree"};
  map.width = 3;
  map.height = 2;
  map.cellWidth = 32;
  map.cellHeight = 24;
  map.cells = {{1, "", 2}, {0, "Gate", 0}, {1, "Local:Trap", 1}};
  sw::MapLayerSpec layer;
  layer.lastLower = 1;
  layer.text = "walls";
  layer.sprites = {{40, 50, 1, "oak"}};
  map.layers = {layer};
  map.characters = {{2, 1, 5, "Wolf", "x"}};
  map.events = {{"Trap", {{{"", "Change Global", {"gb_a", "1", "2"}}}}}};
  map.pictureGrid = sw::PictureGridSpec{2, 2, 48, 24, {{1, 1}, {0, 0}, {3, 0}}};
  map.items = {{3, 2, 4, "Key", "y", 9}};
  return map;
}

MapFileError Parse(const sw::Bytes& bytes, MapFileData* out) {
  auto stream = test_support::MemoryStreamOver(bytes);
  return ParseMapFile(*stream, out);
}

TEST(MapFileTest, EveryFieldReadsAsWritten) {
  MapFileData map;
  ASSERT_EQ(Parse(sw::EncodeTileMap(FullMap()), &map), MapFileError::kNone);
  EXPECT_EQ(map.format, 7);
  EXPECT_EQ(map.groundPictures, (std::vector<std::string>{"Grass", "Sand"}));
  EXPECT_EQ(map.stampPictures, (std::vector<std::string>{"Tree"}));
  EXPECT_EQ(map.width, 3);
  EXPECT_EQ(map.height, 2);
  EXPECT_EQ(map.cellWidth, 32);
  EXPECT_EQ(map.cellHeight, 24);
  ASSERT_EQ(map.cellRuns.size(), 3u);
  EXPECT_EQ(map.cellRuns[0].repeat, 2);
  EXPECT_EQ(map.cellRuns[1].walk, 0);
  EXPECT_EQ(map.cellRuns[1].eventText, "Gate");
  EXPECT_EQ(map.cellRuns[1].repeat, 0);
  EXPECT_EQ(map.cellRuns[2].eventText, "Local:Trap");
  ASSERT_EQ(map.layers.size(), 1u);
  EXPECT_EQ(map.layers[0].lastLower, 1);
  EXPECT_EQ(map.layers[0].text, "walls");
  ASSERT_EQ(map.layers[0].sprites.size(), 1u);
  EXPECT_EQ(map.layers[0].sprites[0].x, 40);
  EXPECT_EQ(map.layers[0].sprites[0].y, 50);
  EXPECT_EQ(map.layers[0].sprites[0].stampIndex, 1);
  EXPECT_EQ(map.layers[0].sprites[0].name, "oak");
  ASSERT_EQ(map.characters.size(), 1u);
  EXPECT_EQ(map.characters[0].index, 0);
  EXPECT_EQ(map.characters[0].column, 2);
  EXPECT_EQ(map.characters[0].row, 1);
  EXPECT_EQ(map.characters[0].facing, 5);
  EXPECT_EQ(map.characters[0].npcName, "Wolf");
  EXPECT_EQ(map.characters[0].unused, "x");
  ASSERT_EQ(map.events.size(), 1u);
  EXPECT_EQ(map.events[0].name, "Trap");
  ASSERT_NE(map.events[0].event, nullptr);
  ASSERT_EQ(map.events[0].event->MainCount(), 1);
  EXPECT_EQ(map.events[0].event->mainActions[0].params[0], "gb_a");
  EXPECT_TRUE(map.hasPictureGrid);
  EXPECT_EQ(map.gridWidth, 2);
  EXPECT_EQ(map.gridHeight, 2);
  EXPECT_EQ(map.gridCellWidth, 48);
  EXPECT_EQ(map.gridCellHeight, 24);
  ASSERT_EQ(map.pictureRuns.size(), 3u);
  EXPECT_EQ(map.pictureRuns[2].picture, 3);
  ASSERT_EQ(map.items.size(), 1u);
  EXPECT_EQ(map.items[0].column, 3);
  EXPECT_EQ(map.items[0].row, 2);
  EXPECT_EQ(map.items[0].facing, 4);
  EXPECT_EQ(map.items[0].itemName, "Key");
  EXPECT_EQ(map.items[0].unused, "y");
  EXPECT_EQ(map.items[0].identifier, 9);
}

TEST(MapFileTest, AFileThatEndsAfterItsEventsHasNoPictureGridAndNoItems) {
  sw::TileMapSpec file = FullMap();
  file.pictureGrid.reset();
  file.items.clear();
  MapFileData map;
  ASSERT_EQ(Parse(sw::EncodeTileMap(file), &map), MapFileError::kNone);
  EXPECT_FALSE(map.hasPictureGrid);
  EXPECT_TRUE(map.pictureRuns.empty());
  EXPECT_TRUE(map.items.empty());
  EXPECT_EQ(map.events.size(), 1u);
}

int64_t Covered(const std::vector<MapCellRun>& runs) {
  int64_t cells = 0;
  for (const MapCellRun& run : runs) cells += int64_t{run.repeat} + 1;
  return cells;
}

TEST(MapFileTest, AFileCutShortIsReadWithZerosPastItsEnd) {
  const sw::Bytes whole = sw::EncodeTileMap(FullMap());
  sw::TileMapSpec noItems = FullMap();
  noItems.items.clear();
  const size_t itemCountAt = sw::EncodeTileMap(noItems).size() - 2;
  {
    // A map without its item count: no items.
    MapFileData map;
    ASSERT_EQ(Parse(sw::Bytes(whole.begin(), whole.begin() + static_cast<ptrdiff_t>(itemCountAt)), &map),
              MapFileError::kNone);
    EXPECT_TRUE(map.hasPictureGrid);
    EXPECT_EQ(map.pictureRuns.size(), 3u);
    EXPECT_TRUE(map.items.empty());
  }
  {
    // Without the last byte: the item's identifier reads 0.
    MapFileData map;
    ASSERT_EQ(Parse(sw::Bytes(whole.begin(), whole.end() - 1), &map), MapFileError::kNone);
    ASSERT_EQ(map.items.size(), 1u);
    EXPECT_EQ(map.items[0].itemName, "Key");
    EXPECT_EQ(map.items[0].identifier, 0);
  }
  {
    // The cells, and nothing after them but the layer count: the layer reads as zeros, and so does the rest.
    sw::TileMapSpec cellsOnly = FullMap();
    const sw::Bytes bytes = sw::EncodeTileMap(cellsOnly);
    cellsOnly.layers = {{}};
    cellsOnly.characters.clear();
    cellsOnly.events.clear();
    cellsOnly.pictureGrid.reset();
    cellsOnly.items.clear();
    const sw::Bytes empty = sw::EncodeTileMap(cellsOnly);
    // The empty layer record is 11 bytes, then the character and event counts: 2 bytes each.
    const size_t layerCountEnd = empty.size() - 4 - 11;
    MapFileData map;
    ASSERT_EQ(Parse(sw::Bytes(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(layerCountEnd)), &map),
              MapFileError::kNone);
    EXPECT_EQ(map.cellRuns.size(), 3u);
    ASSERT_EQ(map.layers.size(), 1u);
    EXPECT_EQ(map.layers[0].lastLower, 0);
    EXPECT_EQ(map.layers[0].text, "");
    EXPECT_TRUE(map.layers[0].sprites.empty());
    EXPECT_TRUE(map.characters.empty());
    EXPECT_TRUE(map.events.empty());
    EXPECT_FALSE(map.hasPictureGrid);
  }
  // Every cut reads, or is refused only for what is kept refused: sizes or a layer count below 1 (the data
  // ending before them), or a run past the grid (a cut text reads as empty after its length byte, and the
  // numbers after it are read from its bytes). The cells always cover the grid.
  for (size_t length = 0; length < whole.size(); ++length) {
    MapFileData map;
    map.format = -5;
    const MapFileError error = Parse(sw::Bytes(whole.begin(), whole.begin() + static_cast<ptrdiff_t>(length)), &map);
    if (error != MapFileError::kNone) {
      EXPECT_TRUE(error == MapFileError::kBadSize || error == MapFileError::kRunPastGrid) << "cut at " << length;
      EXPECT_EQ(map.format, -5) << "a refused file leaves the description as it was";
      continue;
    }
    EXPECT_EQ(Covered(map.cellRuns), 6) << "cut at " << length;
    EXPECT_FALSE(map.layers.empty());
  }
}

TEST(MapFileTest, PictureGridCellsPastTheEndOfTheDataHaveNoPicture) {
  // The grid's sizes and its first run only, then nothing: no items either.
  sw::TileMapSpec file = FullMap();
  file.pictureGrid->runs = {{1, 1}};
  file.items.clear();
  const sw::Bytes bytes = sw::EncodeTileMap(file);
  MapFileData map;
  ASSERT_EQ(Parse(sw::Bytes(bytes.begin(), bytes.end() - 2), &map), MapFileError::kNone);
  ASSERT_TRUE(map.hasPictureGrid);
  ASSERT_FALSE(map.pictureRuns.empty());
  EXPECT_EQ(map.pictureRuns[0].picture, 1);
  EXPECT_EQ(map.pictureRuns[0].repeat, 1);
  int64_t covered = 2;
  for (size_t i = 1; i < map.pictureRuns.size(); ++i) {
    EXPECT_EQ(map.pictureRuns[i].picture, 0);
    covered += int64_t{map.pictureRuns[i].repeat} + 1;
  }
  EXPECT_EQ(covered, 4);
  EXPECT_TRUE(map.items.empty());

  // A grid of 1024 x 1024 cells whose runs are all past the end: a few runs of zeros cover it.
  file.pictureGrid = sw::PictureGridSpec{1024, 1024, 1, 1, {}};
  const sw::Bytes large = sw::EncodeTileMap(file);
  ASSERT_EQ(Parse(sw::Bytes(large.begin(), large.end() - 2), &map), MapFileError::kNone);
  EXPECT_LT(map.pictureRuns.size(), 64u);  // not one run per cell
  covered = 0;
  for (const MapPictureRun& run : map.pictureRuns) {
    EXPECT_EQ(run.picture, 0);
    covered += int64_t{run.repeat} + 1;
  }
  EXPECT_EQ(covered, 1024 * 1024);
}

struct DamagedCase {
  const char* what;
  std::function<void(sw::TileMapSpec&)> damage;
  MapFileError error;
};

TEST(MapFileTest, DamagedFilesAreRefused) {
  const std::vector<DamagedCase> cases = {
      {"width 0", [](sw::TileMapSpec& m) { m.width = 0; }, MapFileError::kBadSize},
      {"height -1", [](sw::TileMapSpec& m) { m.height = -1; }, MapFileError::kBadSize},
      {"cell width 0", [](sw::TileMapSpec& m) { m.cellWidth = 0; }, MapFileError::kBadSize},
      {"32768 pixels wide",
       [](sw::TileMapSpec& m) {
         m.width = 1024;
         m.height = 1;
         m.cells = sw::UniformCells(1024, 1);
         m.pictureGrid.reset();
         m.cellWidth = 33;  // 33792 pixels
       },
       MapFileError::kBadSize},
      {"32768 pixels high", [](sw::TileMapSpec& m) { m.cellHeight = 16384; }, MapFileError::kBadSize},
      {"no layer", [](sw::TileMapSpec& m) { m.layers.clear(); }, MapFileError::kBadSize},
      {"layer count -1",
       [](sw::TileMapSpec& m) {
         m.layers.clear();
         m.layerCount = -1;
       },
       MapFileError::kBadSize},
      {"a cell run past the grid", [](sw::TileMapSpec& m) { m.cells[2].repeat = 2; },
       MapFileError::kRunPastGrid},
      {"a picture run past the grid", [](sw::TileMapSpec& m) { m.pictureGrid->runs[2].repeat = 1; },
       MapFileError::kRunPastGrid},
      {"a picture grid of width 0", [](sw::TileMapSpec& m) { m.pictureGrid->width = 0; }, MapFileError::kBadSize},
      {"a picture grid 32768 pixels high", [](sw::TileMapSpec& m) { m.pictureGrid->cellHeight = 16384; },
       MapFileError::kBadSize},
  };
  for (const DamagedCase& c : cases) {
    sw::TileMapSpec file = FullMap();
    c.damage(file);
    MapFileData map;
    map.format = -5;
    EXPECT_EQ(Parse(sw::EncodeTileMap(file), &map), c.error) << c.what;
    EXPECT_EQ(map.format, -5) << c.what;
  }
}

TEST(MapFileTest, NegativeCountsAndRepeatsStandForNone) {
  sw::TileMapSpec file = FullMap();
  file.groundPictures.clear();
  file.groundCount = -1;
  file.stampPictures.clear();
  file.stampCount = -2;
  file.layers[0].sprites.clear();
  file.layers[0].spriteCount = -1;
  file.characters.clear();
  file.characterCount = -1;
  file.events.clear();
  file.eventCount = -32768;
  file.items.clear();
  file.itemCount = -1;
  // A negative repeat: the run fills its own cell, as a repeat count of 0 does.
  file.cells[1].repeat = -1;
  file.pictureGrid->runs[1].repeat = -7;
  MapFileData map;
  ASSERT_EQ(Parse(sw::EncodeTileMap(file), &map), MapFileError::kNone);
  EXPECT_TRUE(map.groundPictures.empty());
  EXPECT_TRUE(map.stampPictures.empty());
  EXPECT_TRUE(map.layers[0].sprites.empty());
  EXPECT_TRUE(map.characters.empty());
  EXPECT_TRUE(map.events.empty());
  EXPECT_TRUE(map.items.empty());
  ASSERT_EQ(map.cellRuns.size(), 3u);
  EXPECT_EQ(map.cellRuns[1].repeat, 0);
  ASSERT_TRUE(map.hasPictureGrid);
  ASSERT_EQ(map.pictureRuns.size(), 3u);
  EXPECT_EQ(map.pictureRuns[1].repeat, 0);
}

TEST(MapFileTest, AnActionWithoutAKindInALocalEventIsReadWithNoParameters) {
  sw::TileMapSpec file = FullMap();
  file.events[0].event.mainActions = {{"", "~~~", {}}, {"", "End", {}}};
  MapFileData map;
  ASSERT_EQ(Parse(sw::EncodeTileMap(file), &map), MapFileError::kNone);
  ASSERT_EQ(map.events.size(), 1u);
  ASSERT_EQ(map.events[0].event->MainCount(), 2);
  EXPECT_TRUE(map.events[0].event->mainActions[0].params.empty());
  EXPECT_EQ(map.events[0].event->mainActions[1].actionName, "End");
  EXPECT_EQ(map.items.size(), 1u);
}

TEST(MapFileTest, PlacementRecordsEmptyTheirStringsFirst) {
  const sw::Bytes bytes = sw::StreamBytes([](DataStream& s) {
    for (int16_t value : {4, 5, 6}) s.WriteInt16(value);
    s.WritePStringPlain("Owl");
    s.WritePStringPlain("");
    for (int16_t value : {7, 8, 1}) s.WriteInt16(value);
    s.WritePStringPlain("");
    s.WritePStringPlain("z");
    s.WriteInt16(-3);
  });
  auto stream = test_support::MemoryStreamOver(bytes);
  CharacterPlacement character;
  character.npcName = "old";
  character.unused = "old";
  ReadCharacterPlacement(character, *stream, 2);
  EXPECT_EQ(character.index, 2);
  EXPECT_EQ(character.facing, 6);
  EXPECT_EQ(character.npcName, "Owl");
  EXPECT_EQ(character.unused, "");
  ItemPlacement item;
  item.itemName = "old";
  ReadItemPlacement(item, *stream);
  EXPECT_EQ(item.column, 7);
  EXPECT_EQ(item.itemName, "");
  EXPECT_EQ(item.unused, "z");
  EXPECT_EQ(item.identifier, -3);
}

}  // namespace
