// The map's tick over writer-made map locations, on the manual clock: a script that takes the player elsewhere ends
// the tick, rounds come every 1200 ms, characters that notice the player start one encounter, the event of the
// cell the player walks onto fires once it stops (during an encounter only when flagged), the keys move a figure
// of four facings straight only, the player's blows on a foe wait for each strike to play out, and a player without
// stamina ends the game.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "game/rules/game_state.h"
#include "game/world/scene_view.h"
#include "game/world/world_services.h"
#include "tests/game/world/map_location_fixture.h"

namespace {

using namespace map_test;
using namespace test_support::script;

const std::vector<std::string> kOpen = {"........", "........", "........", "........", "........", "........"};

class TileMapUpdateTest : public MapLocationFixture {
 protected:
  static TileMap& Map() { return *GetCurrentTileMap(); }
  // The open field with wolves on the cells (counted from 1) and the player entered on (x, y).
  void EnterWithWolves(const std::vector<std::pair<int16_t, int16_t>>& wolves, int32_t x, int32_t y) {
    sw::TileMapSpec map = MapOf(kOpen);
    for (const auto& [column, row] : wolves) map.characters.push_back({column, row, 1, "Wolf", ""});
    AddMap("Field", map);
    Start();
    ASSERT_EQ(EnterAt("Field", x, y), 0);
    ASSERT_EQ(Map().CharacterCount(), static_cast<int32_t>(wolves.size()));
  }
  // Passes up to one that runs a round: the next round is 1200 ms away.
  static void PassWithRound() {
    Pass();
    HostTestAdvanceClock(2000);
    Pass();
  }
  // A pass of the main loop without moving the clock.
  static void Tick() {
    Input::BeginFrame();
    GetCurrentLocation()->OnClick();
  }
};

TEST_F(TileMapUpdateTest, ACellEventThatTakesThePlayerToAnotherMapEndsTheTick) {
  AddEvent("Away", {{Travel("Yard")}});
  AddMap("Field", MapOf({"....", ".a..", "...."}, {{'a', "Away"}}));
  AddMap("Yard", MapOf(kOpen));
  Start();
  ASSERT_EQ(EnterAt("Field", 0, 1), 0);
  const uint64_t field = Map().Generation();
  Pass();
  PressKeys({kSlotRight});
  for (int32_t i = 0; i < 20 && IsCurrent("Field"); ++i) Pass();
  EXPECT_TRUE(IsCurrent("Yard"));
  EXPECT_FALSE(IsCurrentMap(field));
  EXPECT_FALSE(Find("Field")->IsActive());
  // The tick of the map left stopped there: nothing revealed the new map around the player.
  const ExploredMask* yard = FindExploredMask(Map().GetName());
  ASSERT_NE(yard, nullptr);
  EXPECT_EQ(yard->LastX(), -1);
  Pass();
  EXPECT_EQ(yard->LastX(), Player().x);
}

TEST_F(TileMapUpdateTest, RoundsComeEvery1200Milliseconds) {
  AddMap("Field", MapOf(kOpen));
  Start();
  ASSERT_EQ(EnterAt("Field", 3, 3), 0);
  // The times below count from a round.
  PassWithRound();
  const int32_t first = Map().RoundCounter();
  struct Case {
    uint32_t at;
    int32_t rounds;
  } cases[] = {{33, 0}, {1000, 0}, {1199, 0}, {1200, 1}, {1500, 1}, {2399, 1}, {2400, 2}, {9000, 3}};
  uint32_t now = kFrame;
  for (const Case& c : cases) {
    HostTestAdvanceClock(c.at - now);
    now = c.at;
    Tick();
    EXPECT_EQ(Map().RoundCounter() - first, c.rounds) << c.at;
  }
}

TEST_F(TileMapUpdateTest, TwoCharactersComingIntoRangeStartOneEncounterWithARoundAtOnce) {
  EnterWithWolves({{6, 2}, {2, 6}}, 3, 3);
  for (const auto& wolf : Map().Characters()) wolf->current.noticeRange = 0;
  PassWithRound();
  EXPECT_FALSE(IsEncounterInProgress());
  EXPECT_TRUE(Map().EngagedList().empty());
  // Both notice the player in the same tick, before its next round is due.
  for (const auto& wolf : Map().Characters()) wolf->current.noticeRange = 3;
  Pass();
  EXPECT_TRUE(IsEncounterInProgress());
  EXPECT_EQ(Map().EngagedList().size(), 2u);
  EXPECT_EQ(Map().RoundCounter(), 1);
  for (const auto& wolf : Map().Characters()) {
    EXPECT_EQ(wolf->engaged, 1);
    EXPECT_EQ(wolf->target, &Player());
  }
  Pass();
  EXPECT_EQ(Map().RoundCounter(), 1);
}

TEST_F(TileMapUpdateTest, TheFallOfTheLastEngagedCharacterEndsTheEncounterWithItsExperience) {
  EnterWithWolves({{5, 4}}, 3, 3);
  Pass();
  ASSERT_TRUE(IsEncounterInProgress());
  Character* wolf = Map().Characters()[0].get();
  const int32_t experience = Player().experience;
  wolf->stamina = 0;
  wolf->Die();
  EXPECT_FALSE(IsEncounterInProgress());
  EXPECT_TRUE(Map().EngagedList().empty());
  EXPECT_EQ(Player().experience, experience + 7);
}

TEST_F(TileMapUpdateTest, ACellEventFiresOnceWhenThePlayerStopsOnItAndInAnEncounterOnlyWhenFlagged) {
  AddEvent("Plain", {{ChangeGlobal("gb_count", 2, "1")}});
  AddEvent("Flagged", {{ChangeGlobal("gb_hit", 2, "1")}, {}, 1});
  AddMap("Field", MapOf({"......", ".pf...", "......"}, {{'p', "Plain"}, {'f', "Flagged"}}));
  Start();
  struct Case {
    const char* what;
    bool encounter;
    const char* count;
  } cases[] = {{"plain", false, "1"}, {"plain in an encounter", true, ""}};
  for (const Case& c : cases) {
    SetGlobal("gb_count", "");
    SetGlobal("gb_hit", "");
    ASSERT_EQ(EnterAt("Field", 0, 1), 0) << c.what;
    PassWithRound();
    SetEncounterInProgress(c.encounter ? 1 : 0);
    PressKeys({kSlotRight});
    Settle();
    Passes(5);
    EXPECT_EQ(Player().x, 1) << c.what;
    EXPECT_EQ(Global("gb_count"), c.count) << c.what;
    Find("Field")->Leave();
  }
  // Walking on from the plain cell to the flagged one in an encounter: only the flagged event runs.
  ASSERT_EQ(EnterAt("Field", 1, 1), 0);
  PassWithRound();
  SetGlobal("gb_count", "");
  SetEncounterInProgress(1);
  PressKeys({kSlotRight});
  Settle();
  Passes(5);
  EXPECT_EQ(Player().x, 2);
  EXPECT_EQ(Global("gb_hit"), "1");
  EXPECT_EQ(Global("gb_count"), "");
}

TEST_F(TileMapUpdateTest, KeysMoveAFigureOfFourFacingsStraightAndOneOfEightDiagonally) {
  AddMap("Field", MapOf(kOpen));
  struct Case {
    const char* figure;
    std::vector<KeySlot> keys;
    int32_t dx, dy;
  };
  const std::vector<Case> cases = {
      {"Hero4.cam", {kSlotUp, kSlotLeft}, 0, -1}, {"Hero8.cam", {kSlotUp, kSlotLeft}, -1, -1},
      {"Hero4.cam", {277}, 0, 0},                 {"Hero8.cam", {277}, -1, -1},
      {"Hero4.cam", {kSlotDown}, 0, 1},           {"Hero8.cam", {274}, -1, 0},
  };
  Start();
  for (const Case& c : cases) {
    SetPlayerSpriteName(GetShellCommandHost(), c.figure);
    ASSERT_EQ(EnterAt("Field", 3, 3), 0);
    Pass();
    PressKeys(c.keys);
    Settle();
    EXPECT_EQ(Player().x, 3 + c.dx) << c.figure << " " << c.keys[0];
    EXPECT_EQ(Player().y, 3 + c.dy) << c.figure << " " << c.keys[0];
    Find("Field")->Leave();
  }
}

// A diagonal key at a corner points past two edges at once: the row's edge is the one taken.
TEST_F(TileMapUpdateTest, ADiagonalKeyAtACornerTakesTheExitOfTheRowsEdge) {
  sw::MapLocationSpec fields;
  fields.exits = {"North", "South", "East", "West"};
  AddMap("Field", MapOf(kOpen), fields);
  for (const char* beyond : {"North", "South", "East", "West"}) AddMap(beyond, MapOf(kOpen));
  struct Case {
    int32_t x, y;
    std::vector<KeySlot> keys;
    const char* taken;
  };
  const std::vector<Case> cases = {
      {0, 0, {kSlotUp, kSlotLeft}, "North"},
      {7, 0, {kSlotUp, kSlotRight}, "North"},
      {0, 5, {kSlotDown, kSlotLeft}, "South"},
      {7, 5, {kSlotDown, kSlotRight}, "South"},
  };
  Start();
  for (const Case& c : cases) {
    ASSERT_EQ(EnterAt("Field", c.x, c.y), 0);
    Pass();
    PressKeys(c.keys);
    EXPECT_TRUE(IsCurrent(c.taken)) << c.x << "," << c.y;
    Find(c.taken)->Leave();
  }
}

TEST_F(TileMapUpdateTest, TimeThatStoodStillIsAddedToTheCharactersTimersAndTheFallenCountAsGone) {
  EnterWithWolves({{8, 6}, {7, 6}}, 0, 0);
  Pass();
  Character& first = *Map().Characters()[0];
  Character& second = *Map().Characters()[1];
  first.lastActionTime = 100;
  HostTestAdvanceClock(5000);
  ShiftMapTimers();
  EXPECT_EQ(first.lastActionTime, 100 + 5000 + static_cast<int32_t>(kFrame));
  // Whether anyone is left to fight: the player and at least one character standing.
  EXPECT_FALSE(Map().AllOthersDead());
  first.stamina = 0;
  EXPECT_FALSE(Map().AllOthersDead());
  second.stamina = 0;
  EXPECT_TRUE(Map().AllOthersDead());
  second.stamina = 1;
  Player().stamina = 0;
  EXPECT_TRUE(Map().AllOthersDead());
}

// Blows of the player on a foe beside it, by the ways the player strikes again and again: the left button held on
// the foe, clicks on it every other pass, and a movement key held towards it. The player's figure strikes as the
// game's figures do: the raised arm for three commands, then the standing frame whose loop back ends the play, four
// passes a command. Each blow plays that strike, and the next waits until it has played out; a blow that came
// without it came on every pass.
TEST_F(TileMapUpdateTest, RepeatedStrikesWaitForTheStrikeToPlayOut) {
  constexpr int16_t kLoopPoint = 1, kLoopBack = 2, kDelay = 3;
  constexpr int32_t kPasses = 60;
  // The strike plays from its first command to the loop back: three commands of kDelay + 1 passes, and one more.
  constexpr int32_t kStrikePasses = 3 * (kDelay + 1) + 1;
  sw::AnimationSetSpec striker;
  striker.name = "Striker.cam";
  striker.pictures = {"figure.bmp"};
  const sw::AnimationFrameSpec stand{1, 0, "", -8, -8, {}};
  sw::AnimationFrameSpec raised = stand, lowered = stand;
  raised.opcode = kLoopPoint;
  lowered.opcode = kLoopBack;
  striker.animations = {{"stand", 0, 0, {}, {stand}}, {"strike", 0, kDelay, {}, {raised, stand, stand, lowered}},
                        {"walk", 0, 0, {}, {stand}}};
  striker.extraFlag = 1;
  striker.collisionRadius = 10;
  Files().Add("Pictures/Striker.cam", sw::EncodeAnimationSet(striker));
  // A foe that stands its ground without striking back, so that only the player's blows change its stamina.
  sw::NpcSpec post;
  post.spriteText = "Hero8.cam";
  post.maxStamina = 1000;
  post.actionInterval = 30000;
  Files().Add("NPCs/Post.npc", sw::EncodeNpc(post));
  sw::TileMapSpec field = MapOf(kOpen);
  field.characters.push_back({4, 3, 1, "Post", ""});
  AddMap("Field", field);
  Start("Striker.cam");

  enum class Hand { kButtonHeld, kClicks, kKeyHeld };
  struct Case {
    const char* what;
    Hand hand;
  } cases[] = {{"the button held", Hand::kButtonHeld}, {"clicks", Hand::kClicks}, {"a key held", Hand::kKeyHeld}};
  for (const Case& c : cases) {
    ASSERT_EQ(EnterAt("Field", 2, 2), 0) << c.what;
    const Character& foe = *Map().Characters()[0];
    ASSERT_EQ(foe.x, 3) << c.what;
    // The player's rolls always beat the foe's, so that every blow lands.
    Player().current.dexterity = 1000;
    Settle();
    const Point centre = Map().CellCenter(foe.x, foe.y);
    const int32_t mouseX = Map().ViewRect().x + centre.x - GetSceneView()->ScrollX();
    const int32_t mouseY = Map().ViewRect().y + centre.y - GetSceneView()->ScrollY();
    int32_t blows = 0, lastBlow = -kPasses, shortestGap = kPasses;
    bool posed = true;
    int32_t stamina = foe.stamina;
    for (int32_t pass = 0; pass < kPasses; ++pass) {
      if (c.hand == Hand::kKeyHeld) Input::SetKey(kSlotRight, 1);
      if (c.hand == Hand::kButtonHeld || c.hand == Hand::kClicks) {
        const bool down = c.hand == Hand::kButtonHeld || pass % 2 == 0;
        Input::OnLeftButton(mouseX, mouseY, down ? kButtonDown : kButtonUp);
      }
      Pass();
      if (foe.stamina == stamina) continue;
      stamina = foe.stamina;
      ++blows;
      shortestGap = std::min(shortestGap, pass - lastBlow);
      lastBlow = pass;
      posed = posed && Player().sprite->IsPlayingOnce();
    }
    Input::SetKey(kSlotRight, 0);
    Input::OnLeftButton(mouseX, mouseY, kButtonUp);
    Pass();
    EXPECT_GE(blows, 3) << c.what;
    EXPECT_GE(shortestGap, kStrikePasses) << c.what;
    EXPECT_TRUE(posed) << c.what;
    Find("Field")->Leave();
  }
}

// A click on an open cell walks the player there whatever the click-pathing setting: "Use keys" with "1", "0"
// (keys on, click pathing off) leaves the mouse walking the player.
TEST_F(TileMapUpdateTest, AClickWalksThePlayerToTheClickedCellWithClickPathingOnOrOff) {
  AddEvent("KeysOnly", {{sw::ActionSpec{"", "Use keys", {"1", "0"}}}});
  AddEvent("KeysAndClicks", {{sw::ActionSpec{"", "Use keys", {"1", "1"}}}});
  AddMap("Field", MapOf(kOpen));
  Start();
  for (const char* modes : {"KeysOnly", "KeysAndClicks"}) {
    ASSERT_EQ(EnterAt("Field", 1, 1), 0) << modes;
    Run(modes);
    Pass();
    const Point centre = Map().CellCenter(5, 4);
    const int32_t x = Map().ViewRect().x + centre.x - GetSceneView()->ScrollX();
    const int32_t y = Map().ViewRect().y + centre.y - GetSceneView()->ScrollY();
    Input::OnLeftButton(x, y, kButtonDown);
    Pass();
    Input::OnLeftButton(x, y, kButtonUp);
    for (int32_t i = 0; i < 100 && (Player().x != 5 || Player().y != 4 || Player().sprite->IsBusy()); ++i) Pass();
    EXPECT_EQ(Player().x, 5) << modes;
    EXPECT_EQ(Player().y, 4) << modes;
    Find("Field")->Leave();
  }
}

// The player walks to a character it clicked and holds the button on; the character moves away (its figure
// carried to another cell) and the player's next step already heads for where it stands now.
TEST_F(TileMapUpdateTest, ThePlayerFollowsACharacterItChasesWhenItMoves) {
  sw::NpcSpec deer;
  deer.spriteText = "Hero8.cam";
  deer.maxStamina = 5;
  Files().Add("NPCs/Deer.npc", sw::EncodeNpc(deer));
  sw::TileMapSpec field = MapOf(kOpen);
  field.characters.push_back({7, 2, 1, "Deer", ""});
  AddMap("Field", field);
  Start();
  ASSERT_EQ(EnterAt("Field", 1, 1), 0);
  Character& target = *Map().Characters()[0];
  ASSERT_EQ(target.x, 6);
  Pass();
  const Point at = Map().CellCenter(6, 1);
  const int32_t x = Map().ViewRect().x + at.x + 4 - GetSceneView()->ScrollX();
  const int32_t y = Map().ViewRect().y + at.y + 4 - GetSceneView()->ScrollY();
  Input::OnLeftButton(x, y, kButtonDown);
  Pass();
  ASSERT_EQ(Player().target, &target);
  // The first step, along the second row, has begun.
  ASSERT_EQ(Player().x, 2);
  ASSERT_EQ(Player().y, 1);
  const Point away = Map().CellCenter(6, 5);
  target.sprite->SetPosition(away.x, away.y);
  Pass();
  ASSERT_EQ(target.y, 5);
  // Passes up to the player's next step (its cell changes as the step begins).
  for (int32_t i = 0; i < 50 && Player().x == 2 && Player().y == 1; ++i) Pass();
  ASSERT_NE(Player().GetPath(), nullptr);
  const PathNode* goal = Player().GetPath()->First();
  ASSERT_NE(goal, nullptr);
  EXPECT_LE(std::max(std::abs(goal->column - 6), std::abs(goal->row - 5)), 1);
  EXPECT_GT(Player().y, 1);
  Input::OnLeftButton(x, y, kButtonUp);
}

class PlayerDeathTest : public TileMapUpdateTest, public ::testing::WithParamInterface<bool> {};

TEST_P(PlayerDeathTest, APlayerWithoutStaminaEndsTheGame) {
  AddEvent("EndGame", {{Set("gb_hit", "ended")}});
  AddMap("Field", MapOf(kOpen));
  Start();
  ASSERT_EQ(EnterAt("Field", 3, 3), 0);
  Pass();
  SetEncounterInProgress(GetParam() ? 1 : 0);
  Player().stamina = 0;
  Pass();
  EXPECT_FALSE(IsGameInProgress());
  EXPECT_EQ(PeekCurrentCharacter(), nullptr);
  EXPECT_EQ(GetCurrentTileMap(), nullptr);
  EXPECT_FALSE(IsEncounterInProgress());
  EXPECT_EQ(Global("gb_hit"), "ended");
}

INSTANTIATE_TEST_SUITE_P(InAndOutOfAnEncounter, PlayerDeathTest, ::testing::Bool());

}  // namespace
