// The automap over a writer-made layout 23 and a map read from a writer-made file: the dots of the characters and
// the fog of the unexplored cells as pixels of the dialog's picture, the player's marker, and the keys that
// close it.
#include "game/dialogs/automap_dialog.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "game/graphics/blitter.h"
#include "game/rules/character.h"
#include "game/world/explored_mask.h"
#include "game/world/tile_map.h"
#include "host/user.h"
#include "tests/support/archive_fixtures.h"
#include "tests/support/dialog_input.h"
#include "tools/scenario_writer/tile_map_writer.h"

namespace {

namespace sw = scenario_writer;
using namespace test_support::input;

constexpr uint32_t kGreen = 0xFF00C800u;
constexpr uint32_t kRed = 0xFFFF0000u;
constexpr uint32_t kBlue = 0xFF0000FFu;
constexpr uint32_t kFogged = 0xFFFFFFFFu;

class AutomapDialogTest : public test_support::DialogHarness {
 protected:
  void SetUp() override {
    DialogHarness::SetUp();
    Config().layouts[23].name = "Automap.bmp";
    Config().layouts[23].elements = {{"map", 10, 10, 100, 50}};
    AddPicture("Pictures/Automap.bmp", sw::Canvas(120, 80, sw::Rgb{40, 40, 40}));
    AddPicture("Locations/Location pics/Field.pct", sw::Canvas(100, 50, sw::Rgb{0, 200, 0}));
    AddPicture("Pictures/Other.bmp", sw::Canvas(100, 50, sw::Rgb{0, 200, 0}));
    AddPicture("Pictures/marker.bmp", sw::Canvas(6, 6, sw::Rgb{250, 250, 0}));
    sw::NpcSpec owl;
    owl.spriteText = "owl";
    owl.maxStamina = 3;
    Files().Add("NPCs/Owl.npc", sw::EncodeNpc(owl));
  }
  void TearDown() override {
    map_.reset();
    ClearExploredMasks();
    DialogHarness::TearDown();
  }

  // The map "Field", 10 x 5 cells, with owls on the cells (2, 1) and (5, 3); the second has no stamina left.
  void ShowMap() {
    sw::TileMapSpec file;
    file.width = 10;
    file.height = 5;
    file.cells = sw::UniformCells(10, 5);
    file.layers = {sw::MapLayerSpec{}};
    file.characters = {{3, 2, 1, "Owl", ""}, {6, 4, 1, "Owl", ""}};
    auto stream = test_support::MemoryStreamOver(sw::EncodeTileMap(file));
    stream->SetPath("Maps/Field.cma");
    map_ = std::make_unique<TileMap>(*stream);
    ASSERT_EQ(map_->Load(*stream), 0);
    ASSERT_EQ(map_->CharacterCount(), 2);
    map_->Characters()[1]->stamina = 0;
  }
  static uint32_t At(const AutomapDialog& dialog, int32_t x, int32_t y) {
    DrawColor colour;
    GetPixel(colour, *dialog.MapPicture(), x, y);
    return colour.Value();
  }

  std::unique_ptr<TileMap> map_;
};

TEST_F(AutomapDialogTest, DotsMarkTheCharactersAndFogHidesWhatWasNotExplored) {
  LoadWithWindow();
  ShowMap();
  // Explored: columns 0 to 8 of rows 0 to 3; the last column and the last row stay clear.
  FindExploredMask("Field")->Reveal(0, 0, 10, 5);
  struct Case {
    bool living, others, fog;
    uint32_t owl, fallen, unexplored;
  };
  const Case cases[] = {
      {true, true, true, kRed, kBlue, kFogged},
      {true, false, false, kRed, kGreen, kGreen},
      {false, true, false, kBlue, kBlue, kGreen},
      {false, false, true, kGreen, kGreen, kFogged},
  };
  for (const Case& c : cases) {
    AutomapDialog dialog("Field", "", "marker.bmp", c.living, c.others, c.fog);
    ASSERT_NE(dialog.MapPicture(), nullptr);
    // A cell is 10 by 10 pixels of the picture.
    EXPECT_EQ(At(dialog, 20, 10), c.owl);
    EXPECT_EQ(At(dialog, 29, 19), c.owl);
    EXPECT_EQ(At(dialog, 30, 19), kGreen);
    EXPECT_EQ(At(dialog, 55, 35), c.fallen);
    EXPECT_EQ(At(dialog, 5, 35), kGreen);
    EXPECT_EQ(At(dialog, 5, 45), c.unexplored);
    EXPECT_EQ(At(dialog, 95, 5), c.unexplored);
  }
}

TEST_F(AutomapDialogTest, ALocationNeverExploredIsAllFoggedAndGetsNoMask) {
  LoadWithWindow();
  ShowMap();
  AutomapDialog dialog("Nowhere", "Other.bmp", "marker.bmp", false, false, true);
  ASSERT_NE(dialog.MapPicture(), nullptr);
  EXPECT_EQ(At(dialog, 0, 0), kFogged);
  EXPECT_EQ(At(dialog, 99, 49), kFogged);
  EXPECT_EQ(FindExploredMask("Nowhere"), nullptr);
}

TEST_F(AutomapDialogTest, ThePlayersMarkerStandsOnThePlayersPlaceAndNeedsAMap) {
  LoadWithWindow();
  {
    AutomapDialog dialog("Field", "", "marker.bmp", true, true, false);
    int32_t x = 0, y = 0;
    EXPECT_FALSE(dialog.PlayerMarkerCentre(&x, &y));
    EXPECT_EQ(At(dialog, 20, 10), kGreen);  // no map: no dots
  }
  ShowMap();
  Player().SetPosition(4, 2);
  AutomapDialog dialog("Field", "", "marker.bmp", true, true, false);
  int32_t x = 0, y = 0;
  ASSERT_TRUE(dialog.PlayerMarkerCentre(&x, &y));
  EXPECT_EQ(x, dialog.Frame().x + 10 + 40);
  EXPECT_EQ(y, dialog.Frame().y + 10 + 20);
  AutomapDialog missing("Field", "", "nothing.bmp", true, true, false);
  EXPECT_FALSE(missing.PlayerMarkerCentre(&x, &y));
}

TEST_F(AutomapDialogTest, ItClosesOnTabAndOnAClickAndWithoutAPicture) {
  LoadWithWindow();
  ShowMap();
  test_support::ScriptResult run =
      test_support::RunScripted(std::make_unique<AutomapDialog>("Field", "", "marker.bmp", true, true, true),
                                {Wait(2), KeyDown(VK_TAB), Wait(2)});
  EXPECT_FALSE(run.closedTheWindow);
  run = test_support::RunScripted(std::make_unique<AutomapDialog>("Field", "", "marker.bmp", true, true, true),
                                  {Wait(2), Click(320, 240), Wait(2)});
  EXPECT_FALSE(run.closedTheWindow);
  AutomapDialog missing("Field", "Gone.bmp", "marker.bmp", true, true, true);
  EXPECT_EQ(missing.MapPicture(), nullptr);
}

}  // namespace
