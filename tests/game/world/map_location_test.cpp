// Map locations entered and left as the player meets them: the player placed by the edge the previous map was
// left at, a map shown again from under a still screen, maps that are missing or damaged refused before anything
// changes, the interface's panel that fires only once armed, the player replaced or deleted while a map is shown,
// a game saved on a map and opened elsewhere, and menu commands that come while a map is read.
#include "game/world/map_location.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "game/dialogs/about_dialog.h"
#include "game/dialogs/modal_dialog_driver.h"
#include "game/dialogs/progress_dialog.h"
#include "game/shell/main_window.h"
#include "game/shell/media/media_lookup.h"
#include "game/shell/media/music_player.h"
#include "game/shell/menus.h"
#include "game/shell/saved_game_file.h"
#include "game/shell/scenario_config.h"
#include "game/world/pause_overlay.h"
#include "host/user.h"
#include "tests/game/world/map_location_fixture.h"

namespace {

using namespace map_test;
using namespace test_support::script;

// A field of 6 x 5 cells with a rock at (2, 3).
const std::vector<std::string> kField = {"......", "......", "......", "..#...", "......"};

class MapLocationTest : public MapLocationFixture {
 protected:
  // The field with the still screen "Hut" beyond the edges whose exits name it, the player on it at (x, y).
  void StartOnAFieldBesideTheHut(const std::array<std::string, 4>& exits, int32_t x, int32_t y) {
    sw::MapLocationSpec fields;
    fields.exits = exits;
    AddMap("Field", MapOf(kField), fields);
    AddScreen("Hut");
    Start();
    ASSERT_EQ(EnterAt("Field", x, y), 0);
    Pass();
  }
};

TEST_F(MapLocationTest, ThePlayerComesInByTheEdgeThePreviousMapWasLeftAtOnAFreeCell) {
  AddMap("Field", MapOf(kField));
  Start();
  struct Case {
    const char* what;
    int32_t exit, x, y;
    int32_t endX, endY, facing;
  } cases[] = {
      {"over the top: the second row from the bottom", kExitTop, 4, 0, 4, 3, 1},
      {"over the top from a wider map", kExitTop, 9, 0, 4, 3, 1},
      {"over the top onto the rock: the first free cell around it", kExitTop, 2, 0, 1, 2, 1},
      {"over the bottom: the second row", kExitBottom, 3, 4, 3, 1, 5},
      {"over the right edge: the second column", kExitRight, 5, 2, 1, 2, 3},
      {"over the right edge from a higher map: the last row", kExitRight, 5, 8, 1, 4, 3},
      {"over the left edge: the second column from the right", kExitLeft, 0, 1, 4, 1, 7},
      {"no exit: the cell kept", kNoExit, 3, 1, 3, 1, 1},
      {"no exit, off the map: the nearest corner", kNoExit, kOffMapCell, kOffMapCell, 5, 4, 1},
  };
  for (const Case& c : cases) {
    Player().SetPosition(c.x, c.y);
    SetPendingExit(c.exit);
    ASSERT_EQ(Find("Field")->Enter(), 0) << c.what;
    EXPECT_TRUE(IsCurrent("Field")) << c.what;
    EXPECT_EQ(Player().x, c.endX) << c.what;
    EXPECT_EQ(Player().y, c.endY) << c.what;
    EXPECT_EQ(Player().facing, c.facing) << c.what;
    EXPECT_EQ(GetPendingExit(), kNoExit) << c.what;
    ASSERT_NE(Player().sprite, nullptr) << c.what;
    EXPECT_EQ(Player().sprite->PositionX(), c.endX * kCell + kCell / 2) << c.what;
    Find("Field")->Leave();
  }
}

// Put on the last row by the right edge, the player stays on a map whose bottom row leads away until it steps.
TEST_F(MapLocationTest, ThePlayerPutOnTheRowOfABottomExitStaysThereUntilItSteps) {
  sw::MapLocationSpec fields;
  fields.exits = {"", "South", "", ""};
  AddMap("Field", MapOf(kField), fields);
  AddMap("South", MapOf(kField));
  Start();
  Player().SetPosition(5, 8);
  SetPendingExit(kExitRight);
  ASSERT_EQ(Find("Field")->Enter(), 0);
  EXPECT_EQ(Player().x, 1);
  EXPECT_EQ(Player().y, 4);
  Passes(5);
  EXPECT_TRUE(IsCurrent("Field"));
  EXPECT_EQ(GetPendingExit(), kNoExit);
  // A step along the row takes the exit.
  PressKeys({kSlotRight});
  Settle();
  Pass();
  EXPECT_TRUE(IsCurrent("South"));
}

TEST_F(MapLocationTest, AMapShownAgainFromUnderAStillScreenIsNeitherReadAgainNorRunsItsEvents) {
  sw::MapLocationSpec fields;
  fields.enterEvent = "Counted";
  AddMap("Field", MapOf(kField), fields);
  AddScreen("Hut");
  Start();
  ASSERT_EQ(EnterAt("Field", 3, 1), 0);
  EXPECT_EQ(Global("gb_count"), "1");
  const TileMap* map = MapNamed("Field")->Map();
  const uint64_t generation = map->Generation();
  // The still screen remembers the map, which stays loaded beneath it.
  Find("Hut")->Enter();
  EXPECT_TRUE(IsCurrent("Hut"));
  EXPECT_TRUE(Find("Field")->IsActive());
  ASSERT_TRUE(LocationHistory::GoBack());
  EXPECT_TRUE(IsCurrent("Field"));
  EXPECT_EQ(MapNamed("Field")->Map(), map);
  EXPECT_TRUE(IsCurrentMap(generation));
  EXPECT_EQ(Global("gb_count"), "1");
  EXPECT_EQ(Player().x, 3);
  EXPECT_EQ(Player().y, 1);
  // Going back to the map shown reads it again.
  LocationHistory::Push();
  ASSERT_TRUE(LocationHistory::GoBack());
  EXPECT_FALSE(IsCurrentMap(generation));
  EXPECT_EQ(Global("gb_count"), "2");
}

// An edge that leads to a still screen: coming back to the map from the screen leaves the player on the map.
TEST_F(MapLocationTest, ComingBackFromAStillScreenBeyondAnEdgeStaysOnTheMap) {
  StartOnAFieldBesideTheHut({"", "", "Hut", ""}, 4, 1);
  PressKeys({kSlotRight});
  Settle();
  Pass();
  ASSERT_TRUE(IsCurrent("Hut"));
  EXPECT_TRUE(Find("Field")->IsActive());
  ASSERT_TRUE(LocationHistory::GoBack());
  Passes(3);
  EXPECT_TRUE(IsCurrent("Field"));
  EXPECT_EQ(GetPendingExit(), kNoExit);
  EXPECT_EQ(Player().x, 5);
  EXPECT_EQ(Player().y, 1);
}

TEST_F(MapLocationTest, AMissingOrDamagedMapIsRefusedAndThePlayerStaysWhereItWas) {
  AddMap("Field", MapOf(kField));
  Files().Add(sw::LocationRecordPath("Gone"), sw::EncodeMapLocation({}));
  sw::Bytes damaged = sw::EncodeTileMap(MapOf(kField));
  damaged.resize(damaged.size() / 2);
  Files().Add("Maps/Broken.cma", damaged);
  Files().Add(sw::LocationRecordPath("Broken"), sw::EncodeMapLocation({}));
  Start();
  ASSERT_EQ(EnterAt("Field", 3, 1), 0);
  const TileMap* map = MapNamed("Field")->Map();
  for (const char* name : {"Gone", "Broken"}) {
    SetPendingExit(kExitRight);
    EXPECT_NE(Find(name)->Enter(), 0) << name;
    EXPECT_FALSE(Find(name)->IsActive()) << name;
    EXPECT_TRUE(IsCurrent("Field")) << name;
    EXPECT_EQ(MapNamed("Field")->Map(), map) << name;
    EXPECT_EQ(GetCurrentTileMap(), map) << name;
    EXPECT_EQ(Player().x, 3) << name;
    EXPECT_EQ(Player().y, 1) << name;
    EXPECT_EQ(GetPendingExit(), kNoExit) << name;
  }
}

TEST_F(MapLocationTest, AnEdgeExitIntoAMissingMapIsTriedOnceNotOnEveryPass) {
  sw::MapLocationSpec fields;
  fields.exits = {"", "", "Gone", ""};
  AddMap("Field", MapOf(kField), fields);
  Files().Add(sw::LocationRecordPath("Gone"), sw::EncodeMapLocation({}));
  Start();
  ASSERT_EQ(EnterAt("Field", 4, 1), 0);
  Pass();
  PressKeys({kSlotRight});
  Settle();
  EXPECT_EQ(Player().x, 5);
  EXPECT_TRUE(IsCurrent("Field"));
  EXPECT_EQ(GetPendingExit(), kNoExit);
  // Another try would set the buttons idle as every entry does: a button held on the player's cell stays down.
  const Point centre = MapNamed("Field")->Map()->CellCenter(5, 1);
  Input::OnLeftButton(centre.x, centre.y, kButtonDown);
  Passes(3);
  int32_t buttons = 0;
  Input::GetMouse(nullptr, nullptr, &buttons);
  EXPECT_NE(buttons & kButtonDown, 0);
  EXPECT_TRUE(IsCurrent("Field"));
}

TEST_F(MapLocationTest, TravellingFreesThePlayersCellsOnlyOnceTheEntrySucceeded) {
  AddMap("Field", MapOf(kField));
  AddScreen("Hut");
  Files().Add(sw::LocationRecordPath("Gone"), sw::EncodeMapLocation({}));
  AddEvent("ToGone", {{Travel("Gone")}});
  AddEvent("ToHut", {{Travel("Hut")}});
  Start();
  ASSERT_EQ(EnterAt("Field", 3, 1), 0);
  TileMap* map = MapNamed("Field")->Map();
  struct Case {
    const char* event;
    const char* endsAt;
    uint8_t flag;  // of the player's cell and the cell it held for its step
  } cases[] = {{"ToGone", "Field", 0}, {"ToHut", "Hut", 1}};
  for (const Case& c : cases) {
    map->SetCellFlag(3, 1, 0);
    Player().ReserveCell(4, 1);
    Run(c.event);
    EXPECT_TRUE(IsCurrent(c.endsAt)) << c.event;
    EXPECT_EQ(GetCurrentTileMap(), map) << c.event;
    EXPECT_EQ(map->GetCellFlag(3, 1), c.flag) << c.event;
    EXPECT_EQ(map->GetCellFlag(4, 1), c.flag) << c.event;
  }
}

// The map inside layout 17: the map above, the panel below it with the portrait and ten buttons.
class MapPanelTest : public MapLocationFixture {
 protected:
  void SetUp() override {
    MapLocationFixture::SetUp();
    Config().layouts[17].name = "Panel.bmp";
    AddPicture("Pictures/Panel.bmp", sw::Canvas(640, 480, sw::Rgb{90, 90, 90}));
    auto& elements = Config().layouts[17].elements;
    elements.resize(40);
    elements[0] = {"portrait", 0, 400, 40, 40};
    elements[28] = {"map", 0, 0, 640, 400};
    for (int16_t i = 30; i < 40; ++i) elements[static_cast<size_t>(i)] = {"button", int16_t(50 + 40 * (i - 30)), 440, 30, 30};
    AddEvent("MapPortrait", {{Set("gb_hit", "portrait")}});
    for (int i = 1; i <= 10; ++i) AddEvent("MapButton" + std::to_string(i), {{Set("gb_hit", std::to_string(i))}});
    sw::MapLocationSpec fields;
    fields.interface = 1;
    AddMap("Field", MapOf(kField), fields);
  }
  static void Click(int32_t x, int32_t y) {
    Input::OnLeftButton(x, y, kButtonDown);
    Input::OnLeftButton(x, y, kButtonUp);
    Pass();
  }
  static void MoveTo(int32_t x, int32_t y) {
    Input::SetMousePosition(x, y);
    Pass();
  }
};

TEST_F(MapPanelTest, APanelClickFiresOnlyAfterAPassOnThePanelWithoutOne) {
  Start();
  ASSERT_EQ(EnterAt("Field", 3, 1), 0);
  EXPECT_EQ(MapNamed("Field")->OriginY(), 0);
  MoveTo(300, 200);  // on the map: disarmed
  EXPECT_FALSE(MapNamed("Field")->IsPanelArmed());
  Click(255, 450);  // element 35, in the first pass on the panel: consumed
  EXPECT_EQ(Global("gb_hit"), "");
  EXPECT_FALSE(Input::WasClicked());
  MoveTo(255, 450);  // no click: armed
  EXPECT_TRUE(MapNamed("Field")->IsPanelArmed());
  struct Case {
    int32_t x, y;
    const char* fired;
  } cases[] = {{255, 450, "6"}, {10, 410, "portrait"}, {55, 445, "1"}, {415, 469, "10"}, {45, 460, ""}};
  for (const Case& c : cases) {
    SetGlobal("gb_hit", "");
    Click(c.x, c.y);
    EXPECT_EQ(Global("gb_hit"), c.fired) << c.x << "," << c.y;
  }
}

TEST_F(MapPanelTest, WhilePausedAPanelClickOnlyArmsIt) {
  Start();
  ASSERT_EQ(EnterAt("Field", 3, 1), 0);
  MoveTo(300, 200);
  SetGamePaused(true);
  Click(255, 450);
  EXPECT_EQ(Global("gb_hit"), "");
  EXPECT_TRUE(MapNamed("Field")->IsPanelArmed());
  SetGamePaused(false);
  Click(255, 450);
  EXPECT_EQ(Global("gb_hit"), "6");
}

TEST_F(MapLocationTest, ThePlayerReplacedOrDeletedOnAShownMapLeavesNoFigureOfItsOwnBehind) {
  AddMap("Field", MapOf(kField));
  struct Case {
    const char* what;
    void (*replace)();
  } cases[] = {
      {"another character made current", [] { SetCurrentCharacter(new Character); }},
      {"a new character created, as a new or opened game does", CreateCurrentCharacter},
      {"deleted, as ending the game does, then created", [] {
         DeleteCurrentCharacter();
         CreateCurrentCharacter();
       }},
  };
  Start();
  for (const Case& c : cases) {
    ASSERT_EQ(EnterAt("Field", 2, 2), 0) << c.what;
    TileMap* map = MapNamed("Field")->Map();
    map->FocusPlayer(3);
    Pass();
    c.replace();
    EXPECT_EQ(map->GetFocus(), nullptr) << c.what;
    // The map's passes and the keyboard's path finding go over the figures it still lists.
    Player().base.speed = 8;
    Player().RecalculateStats();
    PressKeys({kSlotRight});
    Passes(3);
    Find("Field")->Leave();
  }
}

TEST_F(MapLocationTest, AGameSavedOnAMapAndOpenedElsewhereComesBackOnTheSameCellWithItsMusicAndMask) {
  AddMap("Field", MapOf(kField));
  AddScreen("Hut");
  AddMusic("Tune", 500, 2000);
  Start();
  ASSERT_EQ(EnterAt("Field", 4, 2), 0);
  PlayMusicByName("Tune");
  Pass();
  // The mask goes by the map's name as the data names its file.
  const std::string mask = MapNamed("Field")->Map()->GetName();
  ASSERT_TRUE(GetExploredMask(mask, 6, 5)->IsExplored(4, 2));
  SavedGame game;
  GetShellCommandHost().Capture(&game);

  StopMusic();
  Find("Hut")->Enter();
  LocationHistory::Clear();
  Find("Field")->Leave();
  ClearExploredMasks();
  ASSERT_EQ(ApplySavedGame(GetShellCommandHost(), game), SavedGameError::kNone);
  EXPECT_TRUE(IsCurrent("Field"));
  EXPECT_EQ(Player().x, 4);
  EXPECT_EQ(Player().y, 2);
  EXPECT_NE(CurrentMusicName(), "");
  EXPECT_TRUE(GetExploredMask(mask, 6, 5)->IsExplored(4, 2));
  // The view is centred on the player's cell.
  int32_t column = -1, row = -1;
  MapNamed("Field")->Map()->GetMapOrigin(&column, &row);
  EXPECT_EQ(column, 0);
  EXPECT_EQ(row, 0);
}

// The player leaves the map by its left edge for a still screen, which leaves that exit pending; the game saved
// on the map before opens on the saved cell, not by the left edge.
TEST_F(MapLocationTest, AGameOpenedAfterThePlayerLeftItsMapByAnEdgeComesBackOnTheSavedCell) {
  StartOnAFieldBesideTheHut({"", "", "", "Hut"}, 1, 2);
  SavedGame game;
  GetShellCommandHost().Capture(&game);
  PressKeys({kSlotLeft});
  for (int32_t i = 0; i < 20 && IsCurrent("Field"); ++i) Pass();
  ASSERT_TRUE(IsCurrent("Hut"));
  ASSERT_EQ(GetPendingExit(), kExitLeft);

  ASSERT_EQ(ApplySavedGame(GetShellCommandHost(), game), SavedGameError::kNone);
  EXPECT_TRUE(IsCurrent("Field"));
  EXPECT_EQ(Player().x, 1);
  EXPECT_EQ(Player().y, 2);
  EXPECT_EQ(Player().facing, 1);
  EXPECT_EQ(GetPendingExit(), kNoExit);
}

// A menu command given (by its accelerator or the menu) once the reading of a map has come to the phase named:
// the progress bar's steps take it from the queue while the map is still being built.
struct CommandDuringPhase {
  std::string phase;
  uint16_t command = 0;
  bool given = false;
};

void GiveCommandDuringPhase(void* context, bool) {
  auto* moment = static_cast<CommandDuringPhase*>(context);
  const ProgressDialog* dialog = ProgressDialog::GetCurrent();
  if (moment->given || dialog == nullptr || dialog->Label() != moment->phase) return;
  moment->given = true;
  PostMessageA(GetMainWindow()->GetNativeWindow(), WM_COMMAND, moment->command, 0);
}

TEST_F(MapLocationTest, AMenuCommandThatComesWhileAMapIsReadIsIgnored) {
  sw::TileMapSpec cave = MapOf(kField);
  cave.characters = {{5, 1, 5, "Wolf", ""}};
  AddMap("Cave", cave);
  AddMap("Field", MapOf(kField));
  // The scenario's menu items take the player to the field, or into the cave afresh, and count.
  AddEvent("ToField", {{ChangeGlobal("gb_count", 2, "1"), Travel("Field")}});
  AddEvent("ToCave", {{ChangeGlobal("gb_count", 2, "1"), Travel("Cave")}});
  Config().menuLists[kMenuListHelp] = sw::MenuListSpec{"Help", {{"Cave", "ToCave"}}};
  Config().menuLists[kMenuListFile] = sw::MenuListSpec{"File", {{"Field/f", "ToField"}, {"Cave/c", "ToCave"}}};
  Config().menuLists[kMenuListGame] = sw::MenuListSpec{"Game", {{"Field/g", "ToField"}}};
  Start();
  const std::string counted = Global("gb_count");
  struct Case {
    const char* phase;
    uint16_t command;
  } cases[] = {
      {"Loading data", kFileItemBase},
      {"Loading stamps", kGameItemBase},
      {"Loading characters", kFileItemBase + 1},
      {"Loading characters", kExitCommand},
      {"Loading items", kHelpItemBase},
  };
  for (const Case& c : cases) {
    const std::string what = std::string(c.phase) + ", command " + std::to_string(c.command);
    CommandDuringPhase moment{c.phase, c.command};
    HostTestSetQueueHook(GiveCommandDuringPhase, &moment);
    const int32_t entered = EnterAt("Cave", 3, 1);
    HostTestSetQueueHook(nullptr, nullptr);
    EXPECT_TRUE(moment.given) << what;
    ASSERT_EQ(entered, 0) << what;
    EXPECT_TRUE(IsCurrent("Cave")) << what;
    ASSERT_NE(MapNamed("Cave")->Map(), nullptr) << what;
    EXPECT_EQ(GetCurrentTileMap(), MapNamed("Cave")->Map()) << what;
    EXPECT_EQ(MapNamed("Cave")->Map()->Characters().size(), 1u) << what;
    EXPECT_NE(GetRunState() & kRunRunning, 0u) << what;
    EXPECT_EQ(Global("gb_count"), counted) << what;
    Find("Cave")->Leave();
  }
}

// A menu command that comes while a game dialog is open is ignored too: a shop or a pack acts on the game it was
// opened over, which the command's new or opened game would replace beneath it.
TEST_F(MapLocationTest, AMenuCommandThatComesWhileADialogIsOpenIsIgnored) {
  AddMap("Field", MapOf(kField));
  AddEvent("ToField", {{ChangeGlobal("gb_count", 2, "1"), Travel("Field")}});
  Config().menuLists[kMenuListFile] = sw::MenuListSpec{"File", {{"Field/f", "ToField"}}};
  Start();
  const std::string counted = Global("gb_count");
  struct CommandInDialog final : ModalDialogDriver {
    void Drive(Dialog&) override { HandleMenuCommand(kFileItemBase); }
  } driver;
  ModalDialogDriver* before = GetModalDialogDriver();
  SetModalDialogDriver(&driver);
  Dialog::RunModal(std::make_unique<AboutDialog>());
  SetModalDialogDriver(before);
  EXPECT_EQ(Global("gb_count"), counted);
  // With no dialog open, the same command acts.
  HandleMenuCommand(kFileItemBase);
  EXPECT_NE(Global("gb_count"), counted);
}

}  // namespace
