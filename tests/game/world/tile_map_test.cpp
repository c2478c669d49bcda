// The tile map over writer-made scenarios: a map file read into cells, layers, characters, objects and events
// under its progress dialog; damaged files refused before anything is built; characters and objects placed and
// taken off; the cells' occupancy and the searches for a free cell; the player's steps.
#include "game/world/tile_map.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "game/dialogs/progress_dialog.h"
#include "game/graphics/animation_set.h"
#include "game/rules/character.h"
#include "game/rules/item_record.h"
#include "game/rules/script_event.h"
#include "game/shell/data/data_archive.h"
#include "game/shell/data/data_paths.h"
#include "game/shell/main_loop.h"
#include "game/shell/record_lists.h"
#include "game/world/explored_mask.h"
#include "game/world/map_file.h"
#include "game/world/map_item.h"
#include "game/world/scene_layer.h"
#include "game/world/scene_view.h"
#include "game/world/sprite.h"
#include "host/testing.h"
#include "tests/support/dialog_input.h"
#include "tools/scenario_writer/animation_set_writer.h"
#include "tools/scenario_writer/tile_map_writer.h"

namespace {

namespace sw = scenario_writer;
using namespace test_support::script;

constexpr int16_t kCell = 32;

// A map of width x height cells of 32 pixels, every cell walkable, one layer.
sw::TileMapSpec Plain(int16_t width, int16_t height) {
  sw::TileMapSpec map;
  map.width = width;
  map.height = height;
  map.cellWidth = kCell;
  map.cellHeight = kCell;
  map.cells = sw::UniformCells(width, height);
  map.layers = {sw::MapLayerSpec{}};
  return map;
}

sw::ItemSpec MapObject(const std::string& picture, const std::string& opened, bool blocks, bool remembered,
                       bool removed) {
  sw::ItemSpec item;
  item.pictureName = picture;
  item.thirdText = opened;
  item.flags = {static_cast<uint8_t>(blocks), static_cast<uint8_t>(remembered), static_cast<uint8_t>(removed)};
  item.lastValue = 2;
  return item;
}

class TileMapTest : public test_support::DialogHarness {
 protected:
  void SetUp() override {
    DialogHarness::SetUp();
    Config().globalNames = {"gb_log"};
    // The progress dialog: a bar and the phase's label.
    Config().layouts[15].elements = {{"bar", 20, 60, 301, 10}, {"label", 20, 20, 360, 20}};
    // The wolf's figure is an animation set that collides within 10 pixels of its position.
    sw::AnimationSetSpec figure;
    figure.name = "wolf";
    figure.pictures = {"wolf.bmp"};
    figure.animations = {{"stand", 0, 1, {}, {{1, 0, "", 0, 0, {}}}}};
    figure.extraFlag = 1;
    figure.collisionRadius = 10;
    Files().Add("Pictures/Wolf.cam", sw::EncodeAnimationSet(figure));
    AddPicture("Pictures/wolf.bmp", sw::Canvas(16, 16));
    sw::NpcSpec wolf;
    wolf.spriteText = "Wolf.cam";
    wolf.maxStamina = 5;
    Files().Add("NPCs/Wolf.npc", sw::EncodeNpc(wolf));
    sw::NpcSpec owl;
    owl.spriteText = "owl";
    owl.maxStamina = 3;
    Files().Add("NPCs/Owl.npc", sw::EncodeNpc(owl));
    AddEvent("Gate", {{Set("gb_log", "gate")}});
  }
  void TearDown() override {
    map_.reset();
    ClearExploredMasks();
    SetPendingExit(kNoExit);
    DialogHarness::TearDown();
  }

  void AddMap(const std::string& name, const sw::TileMapSpec& map) {
    Files().Add("Maps/" + name + ".cma", sw::EncodeTileMap(map));
  }
  // Makes the map of that name and reads it; the map stays current until the test ends or Close.
  int32_t Open(const std::string& name) {
    std::string path;
    MapPath(path, name);
    DataStream* stream = OpenDataFile(path);
    EXPECT_NE(stream, nullptr) << path;
    if (stream == nullptr) return -100;
    map_ = std::make_unique<TileMap>(*stream);
    const int32_t result = map_->Load(*stream);
    CloseDataFile(stream);
    return result;
  }
  void Close() { map_.reset(); }
  TileMap& Map() { return *map_; }
  // The number of cells whose free flag is set.
  int32_t FreeCells() {
    int32_t count = 0;
    for (int32_t x = 0; x < Map().Width(); ++x) {
      for (int32_t y = 0; y < Map().Height(); ++y) count += Map().GetCellFlag(x, y);
    }
    return count;
  }
  // The player on a cell of the map, with a fresh figure that has finished turning to its facing.
  void PlacePlayer(int32_t x, int32_t y) {
    Player().SetPosition(x, y);
    Player().SetFlags(0);
    Map().RebuildPlayerSprite();
    Player().PlaceOnLocation(std::make_unique<Sprite>());
    Map().PlayerCellCenter();
  }

  std::unique_ptr<TileMap> map_;
};

// ---- Reading ----

TEST_F(TileMapTest, AMapFileBuildsItsCellsEventsLayersAndPictureGrid) {
  sw::TileMapSpec file = Plain(3, 2);
  file.groundPictures = {"Grass", ""};
  // Column 0, then column 1: the first run crosses from (0, 1) into (1, 0); (1, 1) is a run of its own.
  file.cells = {{1, "", 2}, {0, "Gate", 0}, {1, "Local:Trap", 0}, {1, "Local:Nothing", 0}};
  sw::MapLayerSpec low, middle, high;
  low.lastLower = 1;
  low.sprites = {{10, 20, 1, ""}, {30, 40, 2, ""}, {50, 60, 0, ""}};
  file.stampPictures = {"Tree"};
  file.layers = {low, middle, high};
  file.events = {{"Trap", {{Set("gb_log", "trap")}}}};
  // Grid cells column by column: picture 1, none (0), picture 2 (an empty name), picture 3 (past G).
  file.pictureGrid = sw::PictureGridSpec{2, 2, 48, 32, {{1, 0}, {0, 0}, {2, 0}, {3, 0}}};
  AddMap("Field", file);
  AddPicture("Pictures/Grass", sw::Canvas(48, 32));
  LoadWithWindow();
  ASSERT_EQ(Open("Field"), 0);
  EXPECT_EQ(GetCurrentTileMap(), &Map());
  EXPECT_EQ(Map().GetName(), "Field");
  EXPECT_EQ(Map().Width(), 3);
  EXPECT_EQ(Map().Height(), 2);
  EXPECT_EQ(Map().CollisionSlack(), 16);
  EXPECT_TRUE(Map().IsLoaded());
  const int32_t flags[3][2] = {{1, 1}, {1, 0}, {1, 1}};
  for (int32_t x = 0; x < 3; ++x) {
    for (int32_t y = 0; y < 2; ++y) EXPECT_EQ(Map().GetCellFlag(x, y), flags[x][y]) << x << ", " << y;
  }
  EXPECT_EQ(Map().GetCellEvent(1, 0), nullptr);
  // The global event's copy has no name, so no local reference reaches it; the local one is shared.
  ASSERT_EQ(Map().EventCount(), 2);
  EXPECT_EQ(Map().EventNameAt(0), "");
  EXPECT_EQ(Map().GetCellEvent(1, 1), Map().EventAt(0));
  EXPECT_EQ(Map().EventNameAt(1), "Trap");
  EXPECT_EQ(Map().GetCellEvent(2, 0), Map().EventAt(1));
  EXPECT_EQ(Map().GetCellEvent(2, 1), nullptr);
  Map().GetCellEvent(1, 1)->Run();
  EXPECT_EQ(Global("gb_log"), "gate");

  // Ground, the lower record, characters, the middle record, objects, the upper record, top.
  EXPECT_EQ(Map().LayerCount(), 5);
  EXPECT_EQ(Map().CharacterLayerIndex(), 1);
  EXPECT_EQ(Map().MiddleLayerIndex(), 2);
  EXPECT_EQ(Map().ObjectLayerIndex(), 3);
  ASSERT_EQ(Map().LayerSprites(0).size(), 3u);
  EXPECT_EQ(Map().LayerSprites(0)[0]->GetPictureRef(), Map().Stamp(0));
  EXPECT_EQ(Map().LayerSprites(0)[0]->PositionX(), 10);
  // A stamp number past the stamps, or 0, gives no picture.
  EXPECT_EQ(Map().LayerSprites(0)[1]->GetPictureRef(), nullptr);
  EXPECT_EQ(Map().LayerSprites(0)[2]->GetPictureRef(), nullptr);
  ASSERT_NE(GetSceneView(), nullptr);
  for (int32_t i = 0; i < Map().LayerCount(); ++i) EXPECT_NE(Map().LayerRecordAt(i).Layer(), nullptr);
  EXPECT_NE(Map().TopLayer(), nullptr);

  EXPECT_EQ(Map().GridWidth(), 2);
  EXPECT_EQ(Map().GridCellWidth(), 48);
  EXPECT_NE(Map().GridPicture(0, 0), nullptr);
  EXPECT_EQ(Map().GridPicture(0, 1), nullptr);
  EXPECT_EQ(Map().GridPicture(1, 0), nullptr);
  EXPECT_EQ(Map().GridPicture(1, 1), nullptr);
  // The map's explored-area mask is made at its size.
  ASSERT_NE(FindExploredMask("Field"), nullptr);
  EXPECT_EQ(FindExploredMask("Field")->Width(), 3);
}

TEST_F(TileMapTest, OneLayerRecordAndNoPictureGrid) {
  sw::TileMapSpec file = Plain(4, 3);
  file.characters = {{2, 3, 5, "Owl", ""}};
  AddMap("Moor", file);
  LoadWithWindow();
  ASSERT_EQ(Open("Moor"), 0);
  EXPECT_EQ(Map().LayerCount(), 3);
  EXPECT_EQ(Map().CharacterLayerIndex(), 0);
  EXPECT_EQ(Map().MiddleLayerIndex(), 1);
  EXPECT_EQ(Map().ObjectLayerIndex(), 2);
  // Without a grid the picture grid is the map's own, with no pictures.
  EXPECT_EQ(Map().GridWidth(), 4);
  EXPECT_EQ(Map().GridHeight(), 3);
  EXPECT_EQ(Map().GridCellHeight(), kCell);
  EXPECT_EQ(Map().GridPicture(0, 0), nullptr);
  EXPECT_TRUE(Map().Objects().empty());
  // The placement counts from 1.
  ASSERT_EQ(Map().CharacterCount(), 1);
  const Character& owl = *Map().Characters()[0];
  EXPECT_EQ(owl.x, 1);
  EXPECT_EQ(owl.y, 2);
  EXPECT_EQ(owl.stamina, 3);
  EXPECT_EQ(Map().GetCellFlag(1, 2), 0);
  EXPECT_EQ(owl.sprite->PositionX(), 48);
  EXPECT_EQ(owl.sprite->PositionY(), 80);
}

// A file that ends after the first of its three layer records: the other two read as empty records, and the
// layers stand as the count says (two beneath the characters, the characters', the middle, the objects').
TEST_F(TileMapTest, AFileCutShortInItsLayersBuildsTheMapWithEmptyLayersAndNothingAfter) {
  sw::TileMapSpec file = Plain(4, 3);
  file.layerCount = 3;
  sw::Bytes bytes = sw::EncodeTileMap(file);
  bytes.resize(bytes.size() - 4);  // the character and event counts
  Files().Add("Maps/Cut.cma", bytes);
  LoadWithWindow();
  ASSERT_EQ(Open("Cut"), 0);
  EXPECT_TRUE(Map().IsLoaded());
  EXPECT_EQ(Map().LayerCount(), 5);
  EXPECT_EQ(Map().CharacterLayerIndex(), 2);
  EXPECT_EQ(Map().MiddleLayerIndex(), 3);
  EXPECT_EQ(Map().ObjectLayerIndex(), 4);
  EXPECT_EQ(FreeCells(), 12);
  EXPECT_EQ(Map().CharacterCount(), 0);
  EXPECT_EQ(Map().EventCount(), 0);
  EXPECT_EQ(Map().GridWidth(), 4);
  EXPECT_TRUE(Map().Objects().empty());
}

// The phase labels the progress dialog showed, in order, as the refreshes saw them.
struct PhaseLog {
  std::vector<std::string> labels;
  int32_t refreshes = 0;
  int32_t endAt = -1;  // the refresh at which the game ends
  static void OnLook(void* self, bool idleBefore) {
    auto* log = static_cast<PhaseLog*>(self);
    if (!idleBefore) return;
    ++log->refreshes;
    if (ProgressDialog* dialog = ProgressDialog::GetCurrent()) {
      const std::string label = dialog->Label();
      if (log->labels.empty() || log->labels.back() != label) log->labels.push_back(label);
    }
    if (log->refreshes == log->endAt) ClearRunStateBits(kRunRunning);
  }
};

TEST_F(TileMapTest, ReadingShowsItsPhasesInOrderAndTheResidentPassesEachTheirOwn) {
  sw::TileMapSpec file = Plain(4, 4);
  file.groundPictures = {"Grass"};
  file.stampPictures = {"Tree"};
  file.characters = {{1, 1, 1, "Owl", ""}};
  file.items = {{2, 2, 1, "Key", "", 0}};
  AddMap("Field", file);
  Files().Add("Items/Key.itm", sw::EncodeItem(MapObject("key", "", false, false, true)));
  LoadWithWindow();
  PhaseLog log;
  HostTestSetQueueHook(PhaseLog::OnLook, &log);
  ASSERT_EQ(Open("Field"), 0);
  Map().LoadStamps();
  Map().LoadCharacters();
  Map().LoadItems();
  HostTestSetQueueHook(nullptr, nullptr);
  EXPECT_EQ(log.labels, (std::vector<std::string>{"Loading ground", "Loading data", "Loading stamps",
                                                  "Loading characters", "Loading items"}));
  EXPECT_EQ(ProgressDialog::GetCurrent(), nullptr);
}

TEST_F(TileMapTest, AGameEndingDuringTheReadStopsItAndThePartMapIsDeletedWhole) {
  sw::TileMapSpec file = Plain(6, 6);
  file.characters = {{1, 1, 1, "Owl", ""}, {3, 3, 1, "Wolf", ""}};
  file.items = {{2, 2, 1, "Key", "", 0}};
  file.layers = {sw::MapLayerSpec{}, sw::MapLayerSpec{}};
  AddMap("Field", file);
  Files().Add("Items/Key.itm", sw::EncodeItem(MapObject("key", "", false, false, true)));
  LoadWithWindow();
  const size_t layersBefore = GetSceneView()->Layers().size();
  PhaseLog whole;
  HostTestSetQueueHook(PhaseLog::OnLook, &whole);
  ASSERT_EQ(Open("Field"), 0);
  HostTestSetQueueHook(nullptr, nullptr);
  Close();
  ASSERT_GE(whole.refreshes, 4);
  // Every refresh of the reading in turn ends the game.
  for (int32_t endAt = 1; endAt <= whole.refreshes; ++endAt) {
    PhaseLog log;
    log.endAt = endAt;
    HostTestSetQueueHook(PhaseLog::OnLook, &log);
    EXPECT_NE(Open("Field"), 0) << endAt;
    HostTestSetQueueHook(nullptr, nullptr);
    SetRunStateBits(kRunRunning);
    Close();
    EXPECT_EQ(GetCurrentTileMap(), nullptr);
    EXPECT_EQ(GetSceneView()->Layers().size(), layersBefore) << endAt;
    EXPECT_EQ(ProgressDialog::GetCurrent(), nullptr);
  }
}

TEST_F(TileMapTest, ADamagedFileIsRefusedBeforeAnythingIsBuilt) {
  sw::TileMapSpec file = Plain(3, 3);
  file.characters = {{1, 1, 1, "Owl", ""}};
  file.items = {{2, 2, 1, "Key", "", 0}};
  file.cells.back().repeat = 1;  // one cell past the grid
  AddMap("Broken", file);
  Files().Add("Items/Key.itm", sw::EncodeItem(MapObject("key", "", false, false, true)));
  LoadWithWindow();
  const size_t layersBefore = GetSceneView()->Layers().size();
  EXPECT_EQ(Open("Broken"), static_cast<int32_t>(MapFileError::kRunPastGrid));
  EXPECT_EQ(GetSceneView()->Layers().size(), layersBefore);
  EXPECT_EQ(Map().CharacterCount(), 0);
  EXPECT_TRUE(Map().Objects().empty());
  EXPECT_EQ(Map().EventCount(), 0);
  EXPECT_EQ(Map().LayerCount(), 0);
  EXPECT_EQ(FindExploredMask("Broken"), nullptr);
  EXPECT_FALSE(Map().IsLoaded());
}

TEST_F(TileMapTest, EachMapTakesANewGeneration) {
  AddMap("Field", Plain(2, 2));
  LoadWithWindow();
  ASSERT_EQ(Open("Field"), 0);
  const uint64_t first = Map().Generation();
  EXPECT_TRUE(IsCurrentMap(first));
  ASSERT_EQ(Open("Field"), 0);
  EXPECT_GT(Map().Generation(), first);
  EXPECT_FALSE(IsCurrentMap(first));
  const uint64_t second = Map().Generation();
  Close();
  EXPECT_FALSE(IsCurrentMap(second));
}

// ---- Characters ----

TEST_F(TileMapTest, PlacementModesPickCellsInTheirAreaAndNothingWhenItIsFull) {
  AddMap("Field", Plain(10, 10));
  LoadWithWindow();
  ASSERT_EQ(Open("Field"), 0);
  const NpcDefinition* owl = FindNpcByName("Owl");
  ASSERT_NE(owl, nullptr);
  struct Case {
    int32_t mode;
    int32_t firstColumn, lastColumn, firstRow, lastRow;
  };
  const std::vector<Case> cases = {{kPlaceAnywhere, 0, 9, 0, 9},
                                   {kPlaceTopRows, 0, 9, 0, 2},
                                   {kPlaceBottomRows, 0, 9, 7, 9},
                                   {kPlaceLeftColumns, 0, 2, 0, 9},
                                   {kPlaceRightColumns, 7, 9, 0, 9}};
  for (const Case& c : cases) {
    for (int32_t i = 0; i < 8; ++i) {
      const Character* placed = Map().AddCharacter(owl, 5, 5, c.mode, 1);
      ASSERT_NE(placed, nullptr) << c.mode;
      EXPECT_GE(placed->x, c.firstColumn) << c.mode;
      EXPECT_LE(placed->x, c.lastColumn) << c.mode;
      EXPECT_GE(placed->y, c.firstRow) << c.mode;
      EXPECT_LE(placed->y, c.lastRow) << c.mode;
      EXPECT_EQ(Map().GetCellFlag(placed->x, placed->y), 0);
    }
  }
  // Modes 0, 1 and those above 6 keep the cell, even a taken one; a cell off the map adds nothing.
  for (int32_t mode : {0, 1, 7}) {
    const Character* placed = Map().AddCharacter(owl, 4, 6, mode, 1);
    ASSERT_NE(placed, nullptr);
    EXPECT_EQ(placed->x, 4);
    EXPECT_EQ(placed->y, 6);
  }
  EXPECT_EQ(Map().AddCharacter(owl, 10, 0, 0, 1), nullptr);
  EXPECT_EQ(Map().AddCharacter(nullptr, 1, 1, 0, 1), nullptr);
  // A full map: every random mode adds nothing (and does not hang).
  for (int32_t x = 0; x < 10; ++x) {
    for (int32_t y = 0; y < 10; ++y) Map().SetCellFlag(x, y, 0);
  }
  const int32_t count = Map().CharacterCount();
  for (int32_t mode = kPlaceAnywhere; mode <= kPlaceRightColumns; ++mode) {
    EXPECT_EQ(Map().AddCharacter(owl, 5, 5, mode, 1), nullptr) << mode;
  }
  EXPECT_EQ(Map().CharacterCount(), count);
}

TEST_F(TileMapTest, APlacedCharacterIsArmedForItsBehaviourKind) {
  // The bow is worth more than the sword.
  sw::ItemSpec sword;
  sword.kind = kItemKindWeapon;
  sword.modifiers[kModifierMinDamage] = 1;
  sw::ItemSpec bow = sword;
  bow.firstProjectileValue = 4;
  bow.modifiers[kModifierMinDamage] = 3;
  Files().Add("Items/Sword.itm", sw::EncodeItem(sword));
  Files().Add("Items/Bow.itm", sw::EncodeItem(bow));
  const struct {
    int16_t behaviour;
    const char* weapon;
  } cases[] = {{0, "sword"}, {1, "sword"}, {2, "bow"}, {3, "bow"}};
  for (const auto& c : cases) {
    sw::NpcSpec archer;
    archer.spriteText = "Wolf.cam";
    archer.maxStamina = 6;
    archer.behaviourKind = c.behaviour;
    archer.startItemNames = {"Sword", "Bow"};
    Files().Add("NPCs/Archer" + std::to_string(c.behaviour) + ".npc", sw::EncodeNpc(archer));
  }
  AddMap("Field", Plain(4, 4));
  LoadWithWindow();
  ASSERT_EQ(Open("Field"), 0);
  for (const auto& c : cases) {
    const Character* placed =
        Map().AddCharacter(FindNpcByName("Archer" + std::to_string(c.behaviour)), 1, 1, kPlaceAtCell, 1);
    ASSERT_NE(placed, nullptr);
    const ItemRecord* weapon = placed->equipment[kItemKindWeapon];
    ASSERT_NE(weapon, nullptr) << c.behaviour;
    EXPECT_EQ(weapon->GetName(), c.weapon) << c.behaviour;
    EXPECT_EQ(placed->stamina, 6);
  }
}

TEST_F(TileMapTest, CharactersComeOffByNameOrAllAtOnceWithTheirFigures) {
  sw::TileMapSpec file = Plain(6, 6);
  file.characters = {{1, 1, 1, "Owl", ""}, {3, 3, 1, "Wolf", ""}, {5, 5, 1, "Owl", ""}};
  AddMap("Field", file);
  LoadWithWindow();
  ASSERT_EQ(Open("Field"), 0);
  ASSERT_EQ(Map().CharacterCount(), 3);
  Character* owl = Map().Characters()[2].get();
  owl->playerName = "Grey Owl";
  Map().RemoveCharacterNamed("grey owl", false);
  EXPECT_EQ(Map().CharacterCount(), 2);
  ASSERT_EQ(Map().RemovedCharacters().size(), 1u);
  EXPECT_EQ(Map().RemovedCharacters()[0].get(), owl);
  EXPECT_EQ(owl->playerName, "Grey Owl");  // compared lower-cased, not changed
  EXPECT_EQ(Map().GetCellFlag(4, 4), 1);
  Map().RemoveCharacterNamed("nobody", false);
  EXPECT_EQ(Map().CharacterCount(), 2);
  // The wolf's figure fades out on the middle layer; the figures left behind go with the next drop.
  EXPECT_EQ(Map().BlockingList().size(), 1u);
  SceneLayer* middle = Map().ItemSlot().Layer();
  ASSERT_NE(middle, nullptr);
  EXPECT_TRUE(middle->Fades().empty());
  Map().RemoveAllCharacters(true);
  EXPECT_EQ(Map().CharacterCount(), 0);
  EXPECT_EQ(Map().RemovedCharacters().size(), 3u);
  EXPECT_TRUE(Map().BlockingList().empty());
  EXPECT_FALSE(middle->Fades().empty());
  EXPECT_EQ(Map().AnimatedList().size(), 3u);
  Map().DropFinishedSprites();
  EXPECT_TRUE(Map().AnimatedList().empty());
}

TEST_F(TileMapTest, TeamsCountDeadAndFindCharactersByCell) {
  sw::TileMapSpec file = Plain(8, 8);
  file.characters = {{1, 1, 1, "Owl", ""}, {2, 1, 1, "Owl", ""}, {8, 8, 1, "Owl", ""}, {3, 1, 1, "Wolf", ""}};
  AddMap("Field", file);
  LoadWithWindow();
  ASSERT_EQ(Open("Field"), 0);
  const auto& list = Map().Characters();
  Character& caller = *list[0];
  caller.side = -1;
  caller.current.noticeRange = 3;
  list[1]->side = -1;  // near, same side
  list[2]->side = -1;  // same side, out of range
  list[3]->side = 1;   // near, the other side
  list[3]->stamina = 0;
  const int32_t near = list[1]->alarm, far = list[2]->alarm, other = list[3]->alarm;
  Map().ForTeam(4, caller, true);
  EXPECT_EQ(list[1]->alarm, near + 4);
  EXPECT_EQ(list[2]->alarm, far);
  EXPECT_EQ(list[3]->alarm, other);
  Map().ForTeam(2, caller, false);
  EXPECT_EQ(list[3]->alarm, other + 2);
  EXPECT_EQ(Map().CountDeadCharacters(), 1);
  EXPECT_EQ(Map().FindCharacterAtCell(7, 7), list[2].get());
  EXPECT_EQ(Map().FindCharacterAtCell(6, 6), nullptr);
  EXPECT_EQ(Map().FindNearestInList(caller, 5), list[1].get());
  Map().SetAllCharactersFlag(true);
  EXPECT_TRUE(std::all_of(list.begin(), list.end(), [](const auto& c) { return (c->GetFlags() & 1) != 0; }));
  Map().SetAllCharactersFlag(false);
  EXPECT_TRUE(std::none_of(list.begin(), list.end(), [](const auto& c) { return (c->GetFlags() & 1) != 0; }));
}

// ---- Cells ----

TEST_F(TileMapTest, ABlockingFigureKeepsOthersOutOfItsCellOnly) {
  sw::TileMapSpec file = Plain(8, 8);
  file.characters = {{4, 4, 1, "Wolf", ""}};
  AddMap("Field", file);
  LoadWithWindow();
  ASSERT_EQ(Open("Field"), 0);
  const Character& wolf = *Map().Characters()[0];
  EXPECT_EQ(wolf.sprite->GetCollisionRadius(), 10);
  EXPECT_FALSE(Map().IsCellFree(3, 3, nullptr));
  EXPECT_TRUE(Map().IsCellFree(2, 2, nullptr));
  EXPECT_TRUE(Map().IsCellFree(3, 3, wolf.sprite.get()));  // a figure never blocks itself
  EXPECT_FALSE(Map().IsCellFreeAndOpen(3, 3, nullptr));
  EXPECT_TRUE(Map().IsCellFreeAndOpen(2, 2, nullptr));
  Map().SetCellFlag(2, 2, 0);
  EXPECT_FALSE(Map().IsCellFreeAndOpen(2, 2, nullptr));
  EXPECT_FALSE(Map().IsCellFreeAndOpen(-1, 2, nullptr));
  EXPECT_EQ(Map().GetCellFlag(8, 0), 0);
  Map().SetCellFlag(8, 0, 1);  // ignored off the map
  EXPECT_EQ(Map().GetCellFlag(8, 0), 0);
  // The wolf's own cell is the next free one around it: the first of the ring, or one at random.
  int32_t x = -1, y = -1;
  ASSERT_TRUE(Map().FindFreeCellNear(3, 3, false, nullptr, &x, &y));
  EXPECT_EQ(std::max(std::abs(x - 3), std::abs(y - 3)), 1);
  EXPECT_TRUE(Map().IsCellFreeAndOpen(x, y, nullptr));
}

TEST_F(TileMapTest, FindFreeCellNearSaysWhetherItFoundOneAndNeverRingsTheFirstColumnOrRow) {
  AddMap("Field", Plain(30, 20));
  LoadWithWindow();
  ASSERT_EQ(Open("Field"), 0);
  struct Case {
    const char* what;
    std::vector<Point> open;  // the only cells with their free flag set
    Point asked;
    bool found;
    Point result;
  } cases[] = {
      {"no free cell: the cell asked for is handed back", {}, {2, 3}, false, {2, 3}},
      {"the far corner", {{29, 19}}, {2, 3}, true, {29, 19}},
      {"the first column and row are no ring's", {{0, 3}, {3, 0}, {0, 0}}, {2, 2}, false, {2, 2}},
      {"the corner asked for itself", {{0, 0}}, {0, 0}, true, {0, 0}},
      {"from the corner, the first ring starts at (1, 1)", {{1, 1}, {0, 1}}, {0, 0}, true, {1, 1}},
      {"the cell beside one of the second column", {{2, 2}}, {1, 1}, true, {2, 2}},
  };
  for (const Case& c : cases) {
    for (int32_t x = 0; x < 30; ++x) {
      for (int32_t y = 0; y < 20; ++y) Map().SetCellFlag(x, y, 0);
    }
    for (const Point& cell : c.open) Map().SetCellFlag(cell.x, cell.y, 1);
    for (bool random : {false, true}) {
      int32_t x = -1, y = -1;
      EXPECT_EQ(Map().FindFreeCellNear(c.asked.x, c.asked.y, random, nullptr, &x, &y), c.found) << c.what;
      EXPECT_EQ(x, c.result.x) << c.what;
      EXPECT_EQ(y, c.result.y) << c.what;
    }
  }
}

TEST_F(TileMapTest, OccupancyFollowsTheFiguresIntoFreeCells) {
  sw::TileMapSpec file = Plain(6, 6);
  file.characters = {{2, 2, 1, "Owl", ""}};
  AddMap("Field", file);
  LoadWithWindow();
  ASSERT_EQ(Open("Field"), 0);
  Character& owl = *Map().Characters()[0];
  PlacePlayer(4, 4);
  // The owl's figure has walked into (2, 1); the player's stands where it was put.
  owl.sprite->SetPosition(2 * kCell + 3, kCell + 30);
  Map().UpdateOccupancy();
  EXPECT_EQ(owl.x, 2);
  EXPECT_EQ(owl.y, 1);
  EXPECT_EQ(Map().GetCellFlag(1, 1), 1);
  EXPECT_EQ(Map().GetCellFlag(2, 1), 0);
  // Into a taken cell it does not follow.
  Map().SetCellFlag(3, 1, 0);
  owl.sprite->SetPosition(3 * kCell + 1, kCell + 1);
  Map().UpdateOccupancy();
  EXPECT_EQ(owl.x, 2);
  // Nor off the map.
  owl.sprite->SetPosition(-5, kCell);
  Map().UpdateOccupancy();
  EXPECT_EQ(owl.x, 2);
  // The player's figure is followed too.
  Map().SetCellFlag(4, 4, 0);
  Player().sprite->SetPosition(5 * kCell + 2, 4 * kCell + 2);
  Map().UpdateOccupancy();
  EXPECT_EQ(Player().x, 5);
  EXPECT_EQ(Map().GetCellFlag(4, 4), 1);
  EXPECT_EQ(Map().GetCellFlag(5, 4), 0);
}

// ---- The player ----

TEST_F(TileMapTest, StepsMoveThePlayerOrTakeTheExitOfTheEdgeItLeaves) {
  AddMap("Field", Plain(5, 4));
  LoadWithWindow();
  ASSERT_EQ(Open("Field"), 0);
  Player().current.speed = 0;  // steps of 1 pixel
  struct Case {
    const char* what;
    int32_t x, y, direction;
    bool exits;
    int32_t pending, endX, endY;
  };
  const std::vector<Case> cases = {
      {"up over the top", 2, 0, 1, true, kExitTop, 2, 0},
      {"down over the bottom", 2, 3, 5, true, kExitBottom, 2, 3},
      {"right over the right edge", 4, 1, 3, true, kExitRight, 4, 1},
      {"left over the left edge", 0, 1, 7, true, kExitLeft, 0, 1},
      {"up over the top, no exit", 2, 0, 1, false, kNoExit, 2, 0},
      {"up-right over the top corner", 4, 0, 2, true, kNoExit, 4, 0},
      {"up-left from inside", 2, 2, 8, true, kNoExit, 1, 1},
      {"right from inside", 1, 1, 3, true, kNoExit, 2, 1},
      {"down at the top edge", 2, 0, 5, true, kNoExit, 2, 1},
  };
  for (const Case& c : cases) {
    Map().SetEdgeExits(c.exits ? std::array<std::string, 4>{"North", "South", "East", "West"}
                               : std::array<std::string, 4>{});
    SetPendingExit(kNoExit);
    for (int32_t x = 0; x < 5; ++x) {
      for (int32_t y = 0; y < 4; ++y) Map().SetCellFlag(x, y, 1);
    }
    PlacePlayer(c.x, c.y);
    Map().StepPlayer(c.direction);
    EXPECT_EQ(GetPendingExit(), c.pending) << c.what;
    EXPECT_EQ(Player().x, c.endX) << c.what;
    EXPECT_EQ(Player().y, c.endY) << c.what;
    EXPECT_EQ(Map().GetCellFlag(c.x, c.y), 0) << c.what << ": the cell left is held";
    if (c.endX != c.x || c.endY != c.y) {
      const Sprite& figure = *Player().sprite;
      EXPECT_EQ(figure.RemainingX(), (c.endX - c.x) * kCell) << c.what;
      EXPECT_EQ(figure.RemainingY(), (c.endY - c.y) * kCell) << c.what;
      EXPECT_EQ(figure.StepX(), c.endX - c.x) << c.what;
      EXPECT_EQ(figure.StepY(), c.endY - c.y) << c.what;
      EXPECT_EQ(Player().facing, c.direction) << c.what;
      // A figure on its way takes no further step.
      Map().StepPlayer(c.direction);
      EXPECT_EQ(Player().x, c.endX) << c.what;
    }
  }
  // A taken cell, and a held player, stay where they are.
  PlacePlayer(1, 1);
  Map().SetCellFlag(2, 1, 0);
  Map().StepPlayer(3);
  EXPECT_EQ(Player().x, 1);
  Player().SetFlags(kCharacterHeld);
  Map().StepPlayer(5);
  EXPECT_EQ(Player().y, 1);
}

TEST_F(TileMapTest, ThePlayersFigureStandsOnTheCentreOfItsCell) {
  AddMap("Field", Plain(5, 4));
  LoadWithWindow();
  ASSERT_EQ(Open("Field"), 0);
  Player().facing = 0;
  PlacePlayer(3, 2);
  ASSERT_NE(Player().sprite, nullptr);
  EXPECT_EQ(Player().sprite->PositionX(), 3 * kCell + kCell / 2);
  EXPECT_EQ(Player().sprite->PositionY(), 2 * kCell + kCell / 2);
  EXPECT_EQ(Player().facing, 1);
  const Point cell = Map().CellAt(3 * kCell + kCell - 1, 2 * kCell);
  EXPECT_EQ(cell.x, 3);
  EXPECT_EQ(cell.y, 2);
  Map().Leave();
  EXPECT_EQ(Player().sprite->GetPictureRef(), nullptr);
}

// ---- Sprites and focus ----

TEST_F(TileMapTest, NamedSpritesGoOnTheirListsAndComeOffByNameWithTheFocusGoingBackToThePlayer) {
  AddMap("Field", Plain(6, 6));
  AddPicture("Pictures/flag.bmp", sw::Canvas(8, 8));
  LoadWithWindow();
  ASSERT_EQ(Open("Field"), 0);
  PlacePlayer(1, 1);
  Sprite* overlay = Map().AddPictureSprite("flag.bmp", 10, 20, "flag", 0, "Wave");
  Sprite* figure = Map().AddPictureSprite("flag.bmp", 30, 40, "post", -1, "");
  Sprite* object = Map().AddPictureSprite("flag.bmp", 50, 60, "flag", 3, "");
  EXPECT_EQ(Map().OverlayList(), (std::vector<Sprite*>{overlay}));
  EXPECT_EQ(Map().LayerSprites(Map().CharacterLayerIndex()), (std::vector<Sprite*>{figure}));
  EXPECT_EQ(Map().LayerSprites(Map().ObjectLayerIndex()), (std::vector<Sprite*>{object}));
  EXPECT_EQ(Map().EventSpotList(), (std::vector<Sprite*>{overlay}));
  EXPECT_EQ(Map().EffectList().size(), 3u);
  EXPECT_EQ(overlay->texts[kSpriteEventText], "Wave");
  EXPECT_EQ(object->GetLayer(), 3);
  EXPECT_EQ(object->PositionY(), 60);

  // Focus: turns below 1 count as 1; a sprite other than the player's overrides.
  EXPECT_FALSE(Map().HasFocusOverride());
  Map().SetFocus(object, 0, false);
  EXPECT_EQ(Map().FocusTurns(), 1);
  EXPECT_TRUE(Map().HasFocusOverride());
  int32_t x = 0, y = 0;
  Map().GetFocusPosition(&x, &y);
  EXPECT_EQ(x, 50);
  EXPECT_EQ(y, 60);
  Map().RemoveSpritesNamed("flag");
  EXPECT_EQ(Map().GetFocus(), Player().sprite.get());
  EXPECT_FALSE(Map().HasFocusOverride());
  EXPECT_TRUE(Map().EventSpotList().empty());
  EXPECT_EQ(overlay->GetPictureRef(), nullptr);
  EXPECT_NE(figure->GetPictureRef(), nullptr);
  Map().DropFinishedSprites();
  EXPECT_TRUE(Map().OverlayList().empty());
  EXPECT_TRUE(Map().LayerSprites(Map().ObjectLayerIndex()).empty());
  EXPECT_EQ(Map().EffectList().size(), 1u);
  Map().FocusPlayer(3);
  EXPECT_TRUE(Map().HasFocusOverride());  // more than one turn
  // An empty name takes the sprites that have none, and only those.
  Sprite* unnamed = Map().AddPictureSprite("flag.bmp", 70, 80, "", 0, "");
  Map().RemoveSpritesNamed("");
  EXPECT_EQ(unnamed->GetPictureRef(), nullptr);
  EXPECT_NE(figure->GetPictureRef(), nullptr);
  Map().RemoveAllSprites();
  Map().DropFinishedSprites();
  EXPECT_TRUE(Map().EffectList().empty());
  EXPECT_TRUE(Map().LayerSprites(Map().CharacterLayerIndex()).empty());
}

// ---- Objects ----

TEST_F(TileMapTest, RememberedItemsStayTakenOrComeBackOpenedWhenTheMapLoadsAgain) {
  sw::TileMapSpec file = Plain(6, 6);
  file.items = {{2, 2, 1, "Key", "", 5}, {4, 4, 1, "Chest", "", 6}, {5, 5, 0, "Key", "", 0}};
  AddMap("Field", file);
  Files().Add("Items/Key.itm", sw::EncodeItem(MapObject("key", "", true, true, true)));
  sw::ItemSpec chest = MapObject("chest", "chest open", true, true, false);
  chest.generalAction.event = {"", sw::EventSpec{{Set("gb_log", "opened")}}};
  Files().Add("Items/Chest.itm", sw::EncodeItem(chest));
  LoadWithWindow();
  ASSERT_EQ(Open("Field"), 0);
  // The third placement faces 0: it is not placed.
  ASSERT_EQ(Map().Objects().size(), 2u);
  MapItem* key = Map().Objects()[0].get();
  MapItem* box = Map().Objects()[1].get();
  EXPECT_EQ(Map().GetCellFlag(1, 1), 0);  // it blocks its cell
  EXPECT_EQ(key->sprite->PositionX(), kCell + kCell / 2);
  EXPECT_EQ(key->sprite->GetPictureRef()->Name(), "Pictures/key");

  Map().TouchObject(key);
  EXPECT_EQ(Map().GetCellFlag(1, 1), 1);
  ASSERT_EQ(Player().inventory.size(), 1u);
  EXPECT_EQ(Player().inventory[0]->GetName(), "key");
  EXPECT_EQ(Map().Objects().size(), 1u);
  Map().TouchObject(box);
  EXPECT_EQ(Global("gb_log"), "opened");
  EXPECT_EQ(box->opened, 1);
  EXPECT_EQ(box->sprite->GetPictureRef()->Name(), "Pictures/chest open");
  EXPECT_EQ(Map().Objects().size(), 1u);
  SetGlobal("gb_log", "");
  Map().TouchObject(box);  // once opened, it stays so: its event does not run again
  EXPECT_EQ(Global("gb_log"), "");
  EXPECT_TRUE(FindExploredMask("Field")->HasValue(5));
  EXPECT_TRUE(FindExploredMask("Field")->HasValue(6));

  ASSERT_EQ(Open("Field"), 0);
  ASSERT_EQ(Map().Objects().size(), 1u);
  EXPECT_EQ(Map().Objects()[0]->GetName(), "chest");
  EXPECT_EQ(Map().Objects()[0]->opened, 1);
  EXPECT_EQ(Map().Objects()[0]->sprite->GetPictureRef()->Name(), "Pictures/chest open");
  EXPECT_EQ(Map().GetCellFlag(1, 1), 1);
}

TEST_F(TileMapTest, GoldPilesOfNothingAreNotPlacedAndOthersGoToThePlayer) {
  AddMap("Field", Plain(6, 6));
  LoadWithWindow();
  ASSERT_EQ(Open("Field"), 0);
  Map().PlaceItemPile(0, 2, 2);
  Map().PlaceItemPile(-3, 2, 2);
  EXPECT_TRUE(Map().Objects().empty());
  Map().PlaceItemPile(25, 2, 3);  // counted from 1
  ASSERT_EQ(Map().Objects().size(), 1u);
  MapItem* pile = Map().Objects()[0].get();
  EXPECT_EQ(pile->kind, kItemKindGoldPile);
  int32_t x = 0, y = 0;
  pile->GetCell(&x, &y);
  EXPECT_EQ(x, 1);
  EXPECT_EQ(y, 2);
  ASSERT_EQ(Map().LayerSprites(Map().CharacterLayerIndex()).size(), 1u);
  const int32_t gold = Player().gold;
  ASSERT_NE(Map().TopLayer(), nullptr);
  EXPECT_TRUE(Map().TopLayer()->Moves().empty());
  Map().TouchObject(pile);
  EXPECT_EQ(Player().gold, gold + 25);
  EXPECT_TRUE(Map().Objects().empty());
  EXPECT_TRUE(Map().LayerSprites(Map().CharacterLayerIndex()).empty());
  // The three glyphs of "+25" rise on the top layer.
  ASSERT_EQ(Map().TopLayer()->Moves().size(), 1u);
  EXPECT_EQ(Map().TopLayer()->Moves().front().items.size(), 3u);
  // A purse at the top of its range stays there.
  Player().gold = INT32_MAX - 10;
  Map().PlaceItemPile(25, 2, 3);
  ASSERT_EQ(Map().Objects().size(), 1u);
  Map().TouchObject(Map().Objects()[0].get());
  EXPECT_EQ(Player().gold, INT32_MAX);
}

TEST_F(TileMapTest, AnObjectOnATakenCellGoesToTheNearestFreeOneOrStaysWhenThereIsNone) {
  AddMap("Field", Plain(5, 5));
  Files().Add("Items/Key.itm", sw::EncodeItem(MapObject("key", "", true, false, true)));
  LoadWithWindow();
  ASSERT_EQ(Open("Field"), 0);
  const ItemRecord* key = FindItemByName("Key");
  ASSERT_NE(key, nullptr);
  for (int32_t x = 0; x < 5; ++x) {
    for (int32_t y = 0; y < 5; ++y) Map().SetCellFlag(x, y, x == 4 && y == 0 ? 1 : 0);
  }
  MapItem* moved = Map().AddItem(key, 0, 4, 1, 0, false);
  ASSERT_NE(moved, nullptr);
  int32_t x = 0, y = 0;
  moved->GetCell(&x, &y);
  EXPECT_EQ(x, 4);
  EXPECT_EQ(y, 0);
  EXPECT_EQ(Map().GetCellFlag(4, 0), 0);
  MapItem* kept = Map().AddItem(key, 2, 2, 1, 0, false);
  ASSERT_NE(kept, nullptr);
  kept->GetCell(&x, &y);
  EXPECT_EQ(x, 2);
  EXPECT_EQ(y, 2);
  EXPECT_EQ(Map().AddItem(key, 2, 2, 0, 0, false), nullptr);
  EXPECT_EQ(Map().AddItem(nullptr, 2, 2, 1, 0, false), nullptr);
}

}  // namespace
