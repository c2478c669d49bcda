// A character moving over writer-made maps: single steps, greedy steps, planned moves, wandering and the
// movement tick, with the random draws fixed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/rules/character.h"
#include "game/world/path_finder.h"
#include "tests/game/world/movement_fixture.h"

namespace {

using namespace movement_test;

class CharacterWalkingTest : public MovementFixture {
 protected:
  // Runs the figure's ticks until its move has ended.
  static void Arrive(Character& character) {
    for (int i = 0; i < 100 && character.sprite->IsMoving(); ++i) character.sprite->Animate();
  }
  // Once the figure has arrived from its last step, one move of a step towards the cell.
  static void MoveOnceMore(Character& character, int32_t cellX, int32_t cellY) {
    Arrive(character);
    character.ReleaseReservedCells();
    character.stepBudget = 1;
    character.MoveTo(cellX, cellY, 1);
  }
};

TEST_F(CharacterWalkingTest, AStepStaysOnTheGridAndAFourFacingFigureNeverStepsDiagonally) {
  TileMap* map = LoadMap({".....", ".....", "....."});
  Character& walker = PlacePlayer(0, 0, "Walker8.cam");
  walker.stepBudget = 5;
  for (const auto& [x, y] : std::vector<std::pair<int32_t, int32_t>>{{-1, 0}, {0, -1}, {5, 0}, {0, 3}}) {
    walker.StepToCell(x, y);
    EXPECT_EQ(walker.x, 0);
    EXPECT_EQ(walker.y, 0);
  }
  EXPECT_EQ(walker.stepBudget, 5);
  walker.StepToCell(1, 1);
  EXPECT_EQ(walker.x, 1);
  EXPECT_EQ(walker.y, 1);
  EXPECT_EQ(walker.facing, 4);
  EXPECT_EQ(walker.stepBudget, 4);
  EXPECT_EQ(map->GetCellFlag(0, 0), 0);  // both cells held until the move ends
  EXPECT_EQ(map->GetCellFlag(1, 1), 0);
  EXPECT_EQ(walker.sprite->RemainingX(), 32);
  EXPECT_EQ(walker.sprite->RemainingY(), 32);
  Arrive(walker);
  const Point centre = map->CellCenter(1, 1);
  EXPECT_EQ(walker.sprite->PositionX(), centre.x);
  EXPECT_EQ(walker.sprite->PositionY(), centre.y);

  Character& four = PlacePlayer(2, 1, "Walker4.cam");
  ASSERT_TRUE(four.HasFourFacings());
  four.StepToCell(3, 2);
  EXPECT_EQ(four.x, 2);
  EXPECT_EQ(four.y, 1);
  four.StepToCell(3, 1);
  EXPECT_EQ(four.x, 3);
  EXPECT_EQ(four.facing, 3);
}

TEST_F(CharacterWalkingTest, GreedyStepsRoundAnObstacleAndStayWhenEverythingIsBlocked) {
  LoadMap({".....", "..#..", "....."});
  Character& walker = PlacePlayer(1, 1, "Walker8.cam");
  walker.stepBudget = 3;
  // The straight step is a wall: the first of the neighbours tried around it.
  EXPECT_FALSE(walker.StepToward(4, 1, 1));
  EXPECT_EQ(walker.x, 2);

  LoadMap({"###", "#.#", "###"});
  Character& boxed = PlacePlayer(1, 1, "Walker8.cam");
  boxed.stepBudget = 3;
  EXPECT_FALSE(boxed.StepToward(5, 5, 3));
  EXPECT_EQ(boxed.x, 1);
  EXPECT_EQ(boxed.y, 1);
  EXPECT_EQ(boxed.stepBudget, 0);
}

TEST_F(CharacterWalkingTest, MovesPlanPathsOnlyWithinReachAndWhileTheMapIsNotCrowded) {
  const std::vector<std::string> open(3, std::string(20, '.'));
  const struct {
    const char* name;
    int32_t goalX;
    size_t engaged;
    bool planned;
  } cases[] = {
      {"nine cells away: greedy steps", 9, 0, false},
      {"five cells away: a path", 5, 0, true},
      {"five cells away with nine engaged: greedy steps", 5, 9, false},
      {"five cells away with eight engaged: a path", 5, 8, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TileMap* map = LoadMap(open);
    Character& walker = PlacePlayer(0, 1, "Walker8.cam");
    walker.stepBudget = 1;
    map->EngagedList().assign(c.engaged, &walker);
    EXPECT_FALSE(walker.MoveTo(c.goalX, 1, 1));
    EXPECT_EQ(walker.GetPath() != nullptr, c.planned);
    EXPECT_EQ(walker.x, 1);  // one step either way
    map->EngagedList().clear();
  }
  // A plan that fails steps greedily for the next 15 moves.
  TileMap* map = LoadMap({"....#....", "....#....", "....#...."});
  Character& walker = PlacePlayer(0, 1, "Walker8.cam");
  walker.stepBudget = 1;
  walker.MoveTo(6, 1, 1);
  EXPECT_EQ(walker.GetPath(), nullptr);
  EXPECT_EQ(walker.directStepCountdown, 15);
  MoveOnceMore(walker, 6, 1);
  EXPECT_EQ(walker.directStepCountdown, 14);
  (void)map;

  // So does a plan made again when the path's next cell is taken, and that fails.
  map = LoadMap({"....#....", ".........", "....#...."});
  Character& detoured = PlacePlayer(0, 1, "Walker8.cam");
  detoured.directStepCountdown = 0;
  detoured.stepBudget = 1;
  detoured.MoveTo(6, 1, 1);
  ASSERT_NE(detoured.GetPath(), nullptr);
  EXPECT_EQ(detoured.x, 1);
  map->SetCellFlag(4, 1, 0);  // the gap closes
  map->SetCellFlag(2, 1, 0);  // and the next cell is taken
  MoveOnceMore(detoured, 6, 1);
  EXPECT_EQ(detoured.GetPath(), nullptr);
  EXPECT_EQ(detoured.directStepCountdown, 15);
}

TEST_F(CharacterWalkingTest, WanderersDrawTheirNeighboursWithinTheirRadius) {
  LoadMap({".....", ".....", ".....", ".....", "....."});
  // A four-facing wanderer draws from 1 to 4 only: the highest draw is a straight step down.
  Character& four = PlacePlayer(2, 2, "Walker4.cam");
  four.SetStartCell(2, 2);
  four.wanderRadius = 2;
  ScriptRandomDraws({8});
  four.Wander();
  EXPECT_EQ(four.x, 2);
  EXPECT_EQ(four.y, 3);

  // At its radius, a draw that would leave it keeps the wanderer where it is.
  LoadMap({".....", ".....", ".....", ".....", "....."});
  Character& edge = PlacePlayer(3, 2, "Walker8.cam");
  edge.SetStartCell(2, 2);
  edge.wanderRadius = 1;
  ScriptRandomDraws({3});  // right
  edge.Wander();
  EXPECT_EQ(edge.x, 3);
  EXPECT_EQ(edge.y, 2);
  ScriptRandomDraws({2});  // left, back towards the start
  edge.Wander();
  EXPECT_EQ(edge.x, 2);
}

TEST_F(CharacterWalkingTest, TheMovementTickWaitsForItsInterval) {
  LoadMap({"........"});
  Character& walker = PlacePlayer(0, 0, "Walker8.cam");
  walker.movementMode = 2;
  walker.destinationX = 3;  // the cell (3, 0), as stored
  walker.destinationY = 0;
  walker.moveInterval = 1000;
  walker.lastActionTime = 0;
  Arrive(walker);  // the turn it was placed with
  walker.UpdateMovementMode(999);
  EXPECT_EQ(walker.x, 0);
  walker.UpdateMovementMode(1000);
  EXPECT_EQ(walker.x, 1);
  EXPECT_EQ(walker.lastActionTime, 1000);
  // Busy while the figure moves, then waiting for the next interval.
  walker.UpdateMovementMode(5000);
  EXPECT_EQ(walker.x, 1);
  Arrive(walker);
  walker.ReleaseReservedCells();
  walker.UpdateMovementMode(1999);
  EXPECT_EQ(walker.x, 1);
  walker.UpdateMovementMode(2000);
  EXPECT_EQ(walker.x, 2);
  for (int32_t now = 3000; now <= 6000; now += 1000) {
    Arrive(walker);
    walker.ReleaseReservedCells();
    walker.UpdateMovementMode(now);
  }
  EXPECT_EQ(walker.x, 3);
  // The walking state: started towards a cell it faces, ended back to standing; either drops the path.
  walker.SetPath(PathFinder::FindPath(GetCurrentTileMap(), 3, 0, 6, 0, 35, false, 8, nullptr));
  ASSERT_NE(walker.GetPath(), nullptr);
  walker.SetMoving(2, 0, true);
  EXPECT_EQ(walker.facing, 7);
  EXPECT_NE(walker.GetFlags() & kCharacterWalking, 0);
  EXPECT_EQ(walker.GetPath(), nullptr);
  walker.SetMoving(2, 0, false);
  EXPECT_EQ(walker.GetFlags() & kCharacterWalking, 0);
}

}  // namespace
