// The actions that change the shown map, run on the arena: "N" places and takes off characters, "C" changes one
// cell, "Map P" moves the player; each does nothing without a game in progress, and "Map P" elsewhere only stores
// the cell.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "game/rules/action_handlers.h"
#include "game/rules/character.h"
#include "game/rules/game_state.h"
#include "game/rules/item_record.h"
#include "game/rules/script_engine.h"
#include "game/rules/script_action.h"
#include "game/graphics/animation_set.h"
#include "game/world/map_item.h"
#include "game/world/scene_view.h"
#include "game/world/sprite.h"
#include "tests/game/rules/combat_fixture.h"

namespace {

using namespace combat_test;

void RunAction(const sw::ActionSpec& action) {
  const ScriptAction made = Made(action);
  ActionHandler handler = ActionHandlerAt(FindActionIndex(action.name));
  ASSERT_NE(handler, nullptr) << action.name;
  handler(made);
}

sw::ActionSpec Characters(const std::string& entries) { return {"", "NPC", {entries}}; }
sw::ActionSpec Cell(const std::string& x, const std::string& y, const std::string& picture, const std::string& flag,
                    const std::string& event, const std::string& pictureName, const std::string& newFlag,
                    const std::string& eventName) {
  return {"", "Cell", {x, y, picture, flag, event, pictureName, newFlag, eventName}};
}
sw::ActionSpec PlayerTo(const std::string& x, const std::string& y) { return {"", "Map Player", {x, y}}; }
// "Launch I": the fixed items p0 and the random ones p1 (names joined by ":"), at the cell (p3, p4) when p2 is not
// 0, else at the event position; a gold pile of p5; the chance p6 of one random item.
sw::ActionSpec Launch(const std::string& fixed, const std::string& random, const std::string& given,
                      const std::string& x, const std::string& y, const std::string& gold,
                      const std::string& chance) {
  return {"", "Launch Items", {fixed, random, given, x, y, gold, chance}};
}

class MapActionsTest : public CombatFixture {
 protected:
  void SetUp() override {
    CombatFixture::SetUp();
    Config().globalNames.push_back("gb_x");
    DefineNpc("Foe");
    DefineNpc("Owl");
    AddEvent("Trap", {{Log("trap ")}});
    items_["Apple"];
    items_["Pear"];
  }
  // Where the map's characters stand, in list order ("name x,y ", counted from 0).
  // What lies on the map, in list order ("name x,y ", counted from 0, the record's name lower-cased; a gold pile
  // as "gold" and its amount).
  std::string Lying() {
    std::string seen;
    for (const auto& object : Map().Objects()) {
      int32_t x = 0, y = 0;
      object->GetCell(&x, &y);
      const std::string name = object->kind == kItemKindGoldPile ? "gold" + std::to_string(object->price)
                                                                  : object->GetName();
      seen += name + " " + std::to_string(x) + "," + std::to_string(y) + " ";
    }
    return seen;
  }
  std::string Standing() {
    std::string seen;
    for (const auto& c : Map().Characters()) {
      seen += c->playerName + " " + std::to_string(c->x) + "," + std::to_string(c->y) + " ";
    }
    return seen;
  }
};

TEST_F(MapActionsTest, CharactersArePlacedAndTakenOffEntryByEntry) {
  Start();
  SetGlobal("gb_x", "4");
  const struct {
    const char* entries;
    const char* standing;
  } cases[] = {
      {"", ""},
      {"0,Foe,&&gb_x,2,0", "foe 3,1 "},
      {"7,Owl,1,1,0****-1,Owl,1,1,0****0,OWL,1,1,0", "foe 3,1 owl 0,0 "},  // unknown operations are passed over
      {"0,Nobody,5,5,0", "foe 3,1 owl 0,0 "},
      {"0,Foe,6,6,0****1,nobody,0,0,0", "foe 3,1 owl 0,0 foe 5,5 "},
      {"1,Foe,0,0,0", "owl 0,0 foe 5,5 "},  // only the first of that name
      {"3,owl,0,0,0", "foe 5,5 "},
      {"0,Owl,2,2,0****4,,0,0,0", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.entries);
    RunAction(Characters(c.entries));
    EXPECT_EQ(Standing(), c.standing);
  }
  EXPECT_EQ(Map().RemovedCharacters().size(), 4u);
  // A placed character faces down.
  RunAction(Characters("0,Foe,2,2,0"));
  ASSERT_EQ(Map().CharacterCount(), 1);
  EXPECT_EQ(Map().Characters()[0]->sprite->Facing(), 5);
  SetGameInProgress(0);
  RunAction(Characters("2,,0,0,0"));
  EXPECT_EQ(Map().CharacterCount(), 1);
}

TEST_F(MapActionsTest, ACellChangesItsPictureFlagAndEventEachOnItsOwn) {
  Start();
  const Bitmap* before = Map().GridPicture(2, 3);
  const struct {
    const char* name;
    sw::ActionSpec action;
    bool pictured;
    uint8_t flag;
    bool event;
  } cases[] = {
      {"nothing asked", Cell("3", "4", "0", "0", "0", "Bolt.bmp", "0", "Trap"), false, 1, false},
      {"the flag", Cell("3", "4", "0", "1", "0", "", "0", ""), false, 0, false},
      {"the event", Cell("3", "4", "0", "0", "1", "", "", "Trap"), false, 0, true},
      {"a picture that does not load changes nothing", Cell("3", "4", "1", "0", "0", "Missing.bmp", "", ""),
       false, 0, true},
      {"all three", Cell("3", "4", "1", "1", "1", "Bolt.bmp", "1", ""), true, 1, false},
      {"column 0 is off the map", Cell("0", "4", "1", "1", "1", "Bolt.bmp", "0", "Trap"), true, 1, false},
      {"a row past the last", Cell("3", "9", "1", "1", "1", "Bolt.bmp", "0", "Trap"), true, 1, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    RunAction(c.action);
    EXPECT_EQ(Map().GridPicture(2, 3) != before, c.pictured);
    EXPECT_EQ(Map().GetCellFlag(2, 3), c.flag);
    EXPECT_EQ(Map().GetCellEvent(2, 3) != nullptr, c.event);
  }
  // The picture grid is drawn again on the ground layer, and the ground layer stays current.
  GetSceneView()->SetCurrentLayer(nullptr);
  RunAction(Cell("3", "4", "1", "0", "0", "Bolt.bmp", "", ""));
  EXPECT_NE(Map().GroundLayer().Layer(), nullptr);
  EXPECT_EQ(GetSceneView()->GetCurrentLayer(), Map().GroundLayer().Layer());
  RunAction(Cell("3", "4", "0", "0", "1", "", "", "Trap"));
  ASSERT_NE(Map().GetCellEvent(2, 3), nullptr);
  Map().GetCellEvent(2, 3)->Run();
  EXPECT_EQ(TakeLog(), "trap ");
}

// "Map P" does not compare the cell with the map's size: a cell off the grid puts the player there. Only cells past
// 16 bits are held at the 16-bit limits.
TEST_F(MapActionsTest, ThePlayerMovesToAnyCellTheScriptGivesAndElsewhereKeepsTheCellForLater) {
  Start(1, 1);
  Character& player = Player();
  RunAction(PlayerTo("4", "6"));
  EXPECT_EQ(player.x, 3);
  EXPECT_EQ(player.y, 5);
  const Point centre = Map().CellCenter(3, 5);
  EXPECT_EQ(player.sprite->PositionX(), centre.x);
  EXPECT_EQ(player.sprite->PositionY(), centre.y);
  // The cell left is free again; the new one is not taken until the map's occupancy follows the figure.
  EXPECT_EQ(Map().GetCellFlag(1, 1), 1);
  EXPECT_EQ(Map().GetCellFlag(3, 5), 1);
  struct Case {
    const char* x;
    const char* y;
    int32_t cellX, cellY;
  };
  for (const Case& c : {Case{"0", "2", -1, 1}, Case{"9", "2", 8, 1}, Case{"2", "-3", 1, -4}, Case{"12", "40", 11, 39},
                        Case{"40000", "-40000", 32767, -32768}}) {
    RunAction(PlayerTo(c.x, c.y));
    EXPECT_EQ(player.x, c.cellX) << c.x << "," << c.y;
    EXPECT_EQ(player.y, c.cellY) << c.x << "," << c.y;
  }
  RunAction(PlayerTo("3", "3"));
  EXPECT_EQ(player.x, 2);
  SetGameInProgress(0);
  RunAction(PlayerTo("2", "2"));
  EXPECT_EQ(player.x, 2);
  SetGameInProgress(1);
  SetCurrentLocation(FindLocationByName("Elsewhere"));
  RunAction(PlayerTo("20", "30"));
  EXPECT_EQ(player.x, 19);
  EXPECT_EQ(player.y, 29);
}

// "Launch I": the cell given counts from 1; the event position is used as stored, so that a pushed cell is the
// cell itself and, with nothing pushed, the player's cell (4, 6) as it stands gives the cell one up and to the
// left. Items without a record are passed over, and a pile is laid only for some gold.
TEST_F(MapActionsTest, LaunchedItemsLieOnTheCellGivenOrAtTheEventPosition) {
  Start(4, 6);
  SetGlobal("gb_x", "3");
  RunAction(Launch("Apple:Nothing:Pear", "", "1", "&&gb_x", "2", "25", ""));
  EXPECT_EQ(Lying(), "gold25 2,1 apple 2,1 pear 2,1 ");
  PushEventPosition(5, 5);
  RunAction(Launch("Apple", "", "0", "1", "1", "-3", ""));
  PopEventPosition();
  RunAction(Launch("Pear", "", "", "1", "1", "0", ""));
  EXPECT_EQ(Lying(), "gold25 2,1 apple 2,1 pear 2,1 apple 5,5 pear 3,5 ");
  SetGameInProgress(0);
  RunAction(Launch("Apple", "", "1", "1", "1", "5", "100"));
  EXPECT_EQ(Map().Objects().size(), 5u);
}

// The random item: the draw from 0 to 100 against the chance, compared as unsigned numbers (a negative chance
// always wins), then one of the names by a draw from 1 to their number.
TEST_F(MapActionsTest, ARandomItemIsLaunchedByItsChance) {
  Start(1, 1);
  const struct {
    const char* chance;
    int32_t draw;
    bool launched;
  } cases[] = {{"100", 100, true}, {"-5", 100, true}, {"0", 0, true}, {"0", 1, false}, {"40", 41, false}};
  size_t lying = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.chance) + " " + std::to_string(c.draw));
    ScriptRandomDraws({c.draw, 2});
    RunAction(Launch("", "Apple:Pear", "1", "3", "3", "", c.chance));
    ScriptRandomDraws({});
    lying += c.launched ? 1 : 0;
    ASSERT_EQ(Map().Objects().size(), lying);
    if (c.launched) {
      EXPECT_EQ(Map().Objects().back()->GetName(), "pear");
    }
  }
}

// "Player M" on a shown map: the figure takes the new picture at once, stands at the centre of the player's cell
// and blocks others again, and the player keeps its cell.
TEST_F(MapActionsTest, ANewFigurePictureShowsAtOnceOnTheShownMap) {
  // The knight is the fixture's figure under a name of its own.
  sw::Bytes figure;
  for (const auto& [path, bytes] : Files().Files()) {
    if (path == "Pictures/Figure.cam") figure = bytes;
  }
  Files().Add("Pictures/Knight.cam", figure);
  Start(2, 3);
  Character& player = Player();
  RunAction({"", "Player Move", {"Knight.cam"}});
  ASSERT_NE(player.sprite, nullptr);
  ASSERT_NE(player.sprite->GetPictureRef(), nullptr);
  EXPECT_EQ(player.sprite->GetPictureRef()->Name(), "Pictures/Knight.cam");
  const Point centre = Map().CellCenter(2, 3);
  EXPECT_EQ(player.sprite->PositionX(), centre.x);
  EXPECT_EQ(player.sprite->PositionY(), centre.y);
  const auto& blocking = Map().BlockingList();
  EXPECT_NE(std::find(blocking.begin(), blocking.end(), player.sprite.get()), blocking.end());
  Map().UpdateOccupancy();
  EXPECT_EQ(player.x, 2);
  EXPECT_EQ(player.y, 3);
}

}  // namespace
