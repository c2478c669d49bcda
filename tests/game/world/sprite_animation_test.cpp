// One tick of a sprite over writer-made animation sets: how long a command shows, loops, a script event that
// leaves the location, exact moves, and missiles striking (with the random draws fixed).
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "game/rules/npc_definition.h"
#include "game/rules/script_event.h"
#include "game/shell/record_lists.h"
#include "tests/game/world/movement_fixture.h"
#include "tests/support/script_harness.h"

namespace {

using namespace movement_test;

// A location that becomes the current one when it is entered.
class TestLocation : public Location {
 public:
  explicit TestLocation(const std::string& name) { SetName(name); }
  int32_t Enter() override {
    SetCurrentLocation(this);
    return 0;
  }
};

// A set of one mode-0 animation with the delay, its commands given as (frame, opcode, text).
sw::Bytes Script(int16_t delay, const std::vector<sw::AnimationFrameSpec>& commands) {
  sw::AnimationSetSpec set;
  set.name = "script";
  set.pictures = {"A.png", "B.png", "C.png"};
  set.animations = {sw::AnimationSpec{"run", 0, delay, {}, commands}};
  return sw::EncodeAnimationSet(set);
}

class SpriteAnimationTest : public MovementFixture {
 protected:
  void SetUp() override {
    MovementFixture::SetUp();
    files_.Add("Pictures/Delay2.cam", Script(2, {{1, 0, "", 0, 0, {}}, {2, 0, "", 0, 0, {}}, {3, 0, "", 0, 0, {}}}));
    files_.Add("Pictures/Loop.cam", Script(0, {{1, 0, "", 0, 0, {}}, {2, 0, "", 0, 0, {}}, {3, 2, "", 0, 0, {}}}));
    files_.Add("Pictures/LoopAt2.cam", Script(0, {{1, 0, "", 0, 0, {}}, {2, 1, "", 0, 0, {}}, {3, 2, "", 0, 0, {}}}));
    files_.Add("Pictures/Leave.cam", Script(0, {{1, 6, "Away", 0, 0, {}}, {2, 0, "", 0, 0, {}}}));
    files_.Add("Pictures/Empty.cam", Script(0, {}));
    files_.Add("Pictures/Frame0.cam", Script(0, {{0, 0, "", 0, 0, {}}}));
    files_.Add("Pictures/Drop.cam", Script(0, {{1, 4, "Mark.png,3,-2", 0, 0, {}}, {2, 5, "", 0, 0, {}}}));
    here_ = std::make_unique<TestLocation>("Here");
    SetCurrentLocation(here_.get());
  }
  void TearDown() override {
    SetAnimationSetServices({});
    SetCurrentLocation(nullptr);
    here_.reset();
    ClearLocationList();
    MovementFixture::TearDown();
  }

  // A sprite of the test's own showing the set, its first animation current.
  std::unique_ptr<Sprite> Showing(const std::string& set) {
    auto sprite = std::make_unique<Sprite>();
    sprite->SetPicture(new PictureRef("Pictures/" + set), true);
    sprite->SetPosition(100, 100);
    sprite->SetFrame(0, false);
    return sprite;
  }

  // The frame index after each of n ticks.
  static std::vector<int32_t> Frames(Sprite& sprite, int32_t ticks) {
    std::vector<int32_t> frames;
    for (int32_t i = 0; i < ticks; ++i) {
      EXPECT_FALSE(sprite.Animate());
      frames.push_back(sprite.FrameIndex());
    }
    return frames;
  }

  std::unique_ptr<TestLocation> here_;
};

TEST_F(SpriteAnimationTest, CommandsShowForTheirDelayAndLoopOnlyBackToTheLoopPoint) {
  LoadMap({"...."});
  // A delay of 2 shows each command for 3 ticks; without a loop the last command stays.
  EXPECT_EQ(Frames(*Showing("Delay2.cam"), 12), (std::vector<int32_t>{0, 0, 0, 1, 1, 1, 2, 2, 2, 2, 2, 2}));
  // A loop back without a loop point goes to the first command; with one, to the command that set it.
  EXPECT_EQ(Frames(*Showing("Loop.cam"), 7), (std::vector<int32_t>{0, 1, 2, 0, 1, 2, 0}));
  EXPECT_EQ(Frames(*Showing("LoopAt2.cam"), 7), (std::vector<int32_t>{0, 1, 2, 1, 2, 1, 2}));
  // No commands, or a frame of 0: nothing runs and no picture shows.
  auto empty = Showing("Empty.cam");
  EXPECT_FALSE(empty->Animate());
  EXPECT_EQ(empty->FramePicture(), nullptr);
  auto none = Showing("Frame0.cam");
  EXPECT_FALSE(none->Animate());
  EXPECT_EQ(none->FramePicture(), nullptr);
}

TEST_F(SpriteAnimationTest, AnActionPointAddsAPictureAndTheEndDropsThePicture) {
  TileMap* map = LoadMap({"...."});
  auto sprite = Showing("Drop.cam");
  const size_t before = map->EffectList().size();
  EXPECT_FALSE(sprite->Animate());
  ASSERT_EQ(map->EffectList().size(), before + 1);
  const Sprite* mark = map->EffectList().back().get();
  EXPECT_EQ(mark->texts[kSpritePictureText], "Mark.png");
  EXPECT_EQ(mark->PositionX(), 103);
  EXPECT_EQ(mark->PositionY(), 98);
  map->SetFocus(sprite.get(), 3, true);
  EXPECT_FALSE(sprite->Animate());
  EXPECT_EQ(sprite->GetPictureRef(), nullptr);
  EXPECT_FALSE(sprite->IsMoving());
  EXPECT_NE(map->GetFocus(), sprite.get());
}

TEST_F(SpriteAnimationTest, AnEventThatLeavesTheLocationEndsTheTick) {
  // The set's event sends the player to another location.
  auto away = std::make_shared<ScriptEvent>();
  away->mainActions.push_back(test_support::script::Made(test_support::script::Travel("Elsewhere")));
  SetAnimationSetServices({[&](const std::string& name) { return name == "Away" ? away : nullptr; }, {}, {}, {}, {}});
  LocationList().Append(std::make_unique<TestLocation>("Elsewhere"));
  LoadMap({"...."});
  auto sprite = Showing("Leave.cam");
  sprite->StartAction(50.0f, 0.0f, 5.0f, 0.0f, 0, 1);
  EXPECT_TRUE(sprite->Animate());
  EXPECT_EQ(GetCurrentLocation()->GetName(), "Elsewhere");
  // Nothing else of the tick: no move.
  EXPECT_EQ(sprite->PositionX(), 100);
  EXPECT_EQ(sprite->RemainingX(), 50);
}

TEST_F(SpriteAnimationTest, MovesEndExactlyOnTheirTargetsDiagonalsIncluded) {
  LoadMap({"...."});
  const struct {
    float remainingX, remainingY, stepX, stepY;
    int32_t ticks;  // until the move has ended
  } cases[] = {
      {32, 32, 4, 4, 8},    // exact multiples
      {32, -32, 5, -5, 7},  // the last step is short
      {64, 32, 4, 4, 16},   // one axis arrives first and stops there
      {-30, 20, -7, 3, 7},
      {32, 0, 0, 0, 1},     // a distance with no step ends the move
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.remainingX * 1000 + c.remainingY);
    auto sprite = Showing("Delay2.cam");
    sprite->StartAction(c.remainingX, c.remainingY, c.stepX, c.stepY, 0, 1);
    int32_t ticks = 0;
    while (sprite->IsMoving() && ticks < 100) {
      sprite->Animate();
      ++ticks;
    }
    EXPECT_EQ(ticks, c.ticks);
    if (c.stepX != 0) {
      EXPECT_EQ(sprite->PositionX(), 100 + c.remainingX);
      EXPECT_EQ(sprite->PositionY(), 100 + c.remainingY);
    }
  }
}

TEST_F(SpriteAnimationTest, MissilesStrikeOnlyWithARollAboveTheTargets) {
  TileMap* map = LoadMap({"........"});
  NpcDefinition npc;
  npc.spriteText = "Block.cam";
  npc.maxStamina = 50;
  npc.dexterity = 10;
  npc.naturalProtection = 4;
  npc.side = -1;
  Character* target = map->AddCharacter(&npc, 5, 0, kPlaceAtCell, 1);
  ASSERT_NE(target, nullptr);
  Character& shooter = PlacePlayer(0, 0);
  shooter.current.dexterity = 10;
  PictureRef shot("Pictures/Shot.png");
  const Point aim = map->CellCenter(5, 0);
  const struct {
    const char* name;
    int32_t damage;
    std::vector<int32_t> rolls;  // the target's, then the shooter's
    int32_t staminaLost;
  } cases[] = {
      {"hit: the protection scaled by the ratio, at least 0.4", 10, {2, 8}, 10 - 1},
      {"a hit whose ratio is higher", 10, {5, 10}, 10 - 2},
      {"miss", 10, {5, 3}, 0},
      {"equal rolls", 10, {4, 4}, 0},
      {"a shooter roll of 0", 10, {0, 0}, 0},
      {"no damage: no rolls", 0, {}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    target->stamina = 50;
    ScriptRandomDraws(c.rolls);
    Sprite* missile = map->LaunchEffect(&shot, aim.x - 8, aim.y, aim.x + 200, aim.y, 4, 5, 1, &shooter, nullptr,
                                        c.damage, 0, 0);
    ASSERT_NE(missile, nullptr);
    EXPECT_FALSE(missile->Animate());
    EXPECT_EQ(ScriptedDrawsLeft(), 0u);
    EXPECT_EQ(target->stamina, 50 - c.staminaLost);
    // Hit or not, the missile stops where it struck.
    EXPECT_EQ(missile->missileKind, 0);
    EXPECT_FALSE(missile->IsMoving());
  }
  // A missile of the target's own side passes.
  Sprite* friendly = map->LaunchEffect(&shot, aim.x - 8, aim.y, aim.x + 200, aim.y, 4, 5, 1, target, nullptr, 10, 0, 0);
  EXPECT_FALSE(friendly->Animate());
  EXPECT_EQ(friendly->missileKind, 1);
  EXPECT_TRUE(friendly->IsMoving());
}

}  // namespace
