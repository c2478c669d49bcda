// Writer-made tile maps for the movement tests: a grid drawn as text rows ('#' a wall, anything else walkable),
// read by the game as a map file, over a scenario archive whose pictures come from a fake loader (every picture a
// solid block of 8 x 8 pixels) and whose animation sets the test adds. The player exists and a game runs; random
// numbers are seeded.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "game/graphics/animation_set.h"
#include "game/graphics/bitmap.h"
#include "game/graphics/blitter.h"
#include "game/graphics/picture_cache.h"
#include "game/rules/character.h"
#include "game/shell/data/data_archive.h"
#include "game/shell/data/game_random.h"
#include "game/shell/main_loop.h"
#include "game/world/sprite.h"
#include "game/world/tile_map.h"
#include "game/world/world_services.h"
#include "tests/support/archive_fixtures.h"
#include "tools/scenario_writer/animation_set_writer.h"
#include "tools/scenario_writer/scenario_files.h"
#include "tools/scenario_writer/tile_map_writer.h"

namespace movement_test {

namespace sw = scenario_writer;

constexpr int32_t kCell = 32;
constexpr DrawColor kPictureColour{40, 160, 220, 255};

// The cells of rows of text, column by column, one run per cell.
inline std::vector<sw::CellRunSpec> CellsOf(const std::vector<std::string>& rows) {
  std::vector<sw::CellRunSpec> cells;
  const size_t width = rows.empty() ? 0 : rows[0].size();
  for (size_t column = 0; column < width; ++column) {
    for (const std::string& row : rows) cells.push_back({static_cast<int16_t>(row[column] == '#' ? 0 : 1), "", 0});
  }
  return cells;
}

// A set of one animation of the mode, each command showing picture 1 at an offset of (0, 0), with a collision
// radius when one is given.
inline sw::Bytes OneAnimationSet(int16_t mode, int32_t commands, int16_t radius) {
  sw::AnimationSetSpec set;
  set.name = "set";
  set.pictures = {"Frame.png"};
  sw::AnimationSpec animation;
  animation.name = "stand";
  animation.mode = mode;
  for (int32_t i = 0; i < commands; ++i) animation.frames.push_back({1, 0, "", 0, 0, {}});
  set.animations = {animation};
  if (radius != 0) {
    set.extraFlag = 1;
    set.collisionRadius = radius;
  }
  return sw::EncodeAnimationSet(set);
}

class MovementFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    SetRunStateBits(kRunRunning);
    SeedRandom(7);
    PictureCache::Shutdown();
    PictureCache::SetLoader([](const char*, BitmapStatus* status) {
      auto picture = std::make_unique<Bitmap>();
      *status = picture->Create(8, 8, OpaqueFormat);
      FillRect(*picture, picture->Frame(), kPictureColour);
      return picture;
    });
    PictureCache::SelectPool(PictureCache::NewPool(0));
    // A figure of radius 12 (blocking the cells around it), one of eight facings, one of four.
    files_.Add("Pictures/Block.cam", OneAnimationSet(0, 1, 12));
    files_.Add("Pictures/Walker8.cam", OneAnimationSet(1, 8, 12));
    files_.Add("Pictures/Walker4.cam", OneAnimationSet(3, 4, 12));
    CreateCurrentCharacter();
  }
  void TearDown() override {
    map_.reset();
    DeleteCurrentCharacter();
    SetCurrentLocation(nullptr);
    DataArchive::Close();
    PictureCache::Shutdown();
    ScriptRandomDraws({});
    ClearRunStateBits(kRunRunning);
  }

  // Installs the scenario's files as the data archive (after the test has added its own).
  void InstallFiles() {
    sw::Bytes bytes;
    ASSERT_TRUE(files_.BuildArchive(bytes));
    DataArchive::Install(test_support::ArchiveOver(bytes), true);
  }

  // Reads the map of the rows as the current map.
  TileMap* LoadMap(const std::vector<std::string>& rows) {
    sw::TileMapSpec description;
    description.width = static_cast<int16_t>(rows.empty() ? 0 : rows[0].size());
    description.height = static_cast<int16_t>(rows.size());
    description.cellWidth = kCell;
    description.cellHeight = kCell;
    description.cells = CellsOf(rows);
    description.layers.resize(2);
    return LoadMap(description);
  }
  TileMap* LoadMap(const sw::TileMapSpec& description) {
    if (!archiveInstalled_) {
      InstallFiles();
      archiveInstalled_ = true;
    }
    map_.reset();
    std::unique_ptr<DataStream> stream = test_support::MemoryStreamOver(sw::EncodeTileMap(description));
    stream->SetPath("Maps/Test.cma");
    map_ = std::make_unique<TileMap>(*stream);
    EXPECT_EQ(map_->Load(*stream), 0);
    return map_.get();
  }

  // The player standing on the cell with a figure of that picture (none: a figure without a picture).
  Character& PlacePlayer(int32_t column, int32_t row, const std::string& picture = "") {
    Character& player = *GetCurrentCharacter();
    auto sprite = std::make_unique<Sprite>();
    if (!picture.empty()) sprite->SetPicture(new PictureRef("Pictures/" + picture), true);
    player.PlaceOnLocation(std::move(sprite));
    player.SetPosition(column, row);
    player.PlaceSpriteAtCell();
    if (player.sprite->HasAnimation()) player.sprite->StartAction(0, 0, 0, 0, 0, 1);
    map_->SetCellFlag(column, row, 0);
    return player;
  }

  // A blocking figure (radius 12) at the centre of the cell.
  Sprite* AddBlock(int32_t column, int32_t row) {
    const Point centre = map_->CellCenter(column, row);
    return map_->AddPictureSprite("Block.cam", centre.x, centre.y, "block", 1, "");
  }

  sw::ScenarioFiles files_;
  std::unique_ptr<TileMap> map_;
  bool archiveInstalled_ = false;
};

}  // namespace movement_test
