// The actions that change the shown map, run on the arena: "N" places and takes off characters, "C" changes one
// cell, "Map P" moves the player; each does nothing without a game in progress, and "Map P" elsewhere only stores
// the cell.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/rules/action_handlers.h"
#include "game/rules/character.h"
#include "game/rules/game_state.h"
#include "game/rules/script_action.h"
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

class MapActionsTest : public CombatFixture {
 protected:
  void SetUp() override {
    CombatFixture::SetUp();
    Config().globalNames.push_back("gb_x");
    DefineNpc("Foe");
    DefineNpc("Owl");
    AddEvent("Trap", {{Log("trap ")}});
  }
  // Where the map's characters stand, in list order ("name x,y ", counted from 0).
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
  RunAction(Cell("3", "4", "0", "0", "1", "", "", "Trap"));
  ASSERT_NE(Map().GetCellEvent(2, 3), nullptr);
  Map().GetCellEvent(2, 3)->Run();
  EXPECT_EQ(TakeLog(), "trap ");
}

TEST_F(MapActionsTest, ThePlayerMovesWithinTheMapOnlyAndElsewhereKeepsTheCellForLater) {
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
  for (const auto& [x, y] : std::vector<std::pair<const char*, const char*>>{{"0", "2"}, {"9", "2"}, {"2", "-3"}}) {
    RunAction(PlayerTo(x, y));
    EXPECT_EQ(player.x, 3);
    EXPECT_EQ(player.y, 5);
  }
  SetGameInProgress(0);
  RunAction(PlayerTo("2", "2"));
  EXPECT_EQ(player.x, 3);
  SetGameInProgress(1);
  SetCurrentLocation(FindLocationByName("Elsewhere"));
  RunAction(PlayerTo("20", "30"));
  EXPECT_EQ(player.x, 19);
  EXPECT_EQ(player.y, 29);
}

}  // namespace
