// Sprites over writer-made animation sets (their frame pictures 2 x 3 from a fake picture loader) on a 16 x 16
// game view: the command range a facing selects, frames that show no picture, the drawn entry, the collision
// centre.
#include "game/world/sprite.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "game/graphics/animation_set.h"
#include "game/graphics/picture_cache.h"
#include "game/shell/data/data_archive.h"
#include "tests/game/world/scene_fixture.h"
#include "tests/support/archive_fixtures.h"
#include "tools/scenario_writer/animation_set_writer.h"
#include "tools/scenario_writer/scenario_files.h"

namespace {

using namespace scene_test;
namespace sw = scenario_writer;

// A set of one animation of that mode with `commands` commands, each showing frame picture `frame` at an offset
// of (1, 2).
sw::Bytes OneAnimation(int16_t mode, int commands, int16_t frame = 1, int16_t radius = 0, int16_t follow = 0) {
  sw::AnimationSetSpec set;
  set.name = "set";
  set.pictures = {"F1.png"};
  sw::AnimationSpec animation;
  animation.name = "walk";
  animation.mode = mode;
  for (int i = 0; i < commands; ++i) animation.frames.push_back({frame, 0, "", 1, 2, {}});
  set.animations = {animation};
  if (radius != 0) {
    set.extraFlag = 1;
    set.collisionRadius = radius;
    set.centreX = 3;
    set.centreY = 4;
    set.centreFollowsOffset = follow;
  }
  return sw::EncodeAnimationSet(set);
}

class SpriteTest : public SceneFixture {
 protected:
  void SetUp() override {
    SceneFixture::SetUp();
    PictureCache::Shutdown();
    PictureCache::SetLoader([](const char*, BitmapStatus* status) {
      auto picture = std::make_unique<Bitmap>();
      *status = picture->Create(2, 3, OpaqueFormat);
      FillRect(*picture, picture->Frame(), kRed);
      return picture;
    });
    PictureCache::SelectPool(PictureCache::NewPool(0));
    sw::ScenarioFiles files;
    files.Add("Pictures/m0c5.cam", OneAnimation(0, 5));
    files.Add("Pictures/m2c5.cam", OneAnimation(2, 5));
    files.Add("Pictures/m1c16.cam", OneAnimation(1, 16));
    files.Add("Pictures/m1c9.cam", OneAnimation(1, 9));
    files.Add("Pictures/m1c4.cam", OneAnimation(1, 4));
    files.Add("Pictures/m3c8.cam", OneAnimation(3, 8));
    files.Add("Pictures/m3c9.cam", OneAnimation(3, 9));
    files.Add("Pictures/m3c0.cam", OneAnimation(3, 0));
    files.Add("Pictures/frame0.cam", OneAnimation(0, 1, 0));
    files.Add("Pictures/frame9.cam", OneAnimation(0, 1, 9));
    files.Add("Pictures/centre.cam", OneAnimation(0, 1, 1, 5, 1));
    files.Add("Pictures/fixed.cam", OneAnimation(0, 1, 1, 5, 0));
    sw::Bytes bytes;
    ASSERT_TRUE(files.BuildArchive(bytes));
    DataArchive::Install(test_support::ArchiveOver(bytes), true);
    map_ = view_->AddDefaultLayer(SceneLayer::kMapMode).Layer();
    view_->SetCurrentLayer(map_);
  }
  void TearDown() override {
    DataArchive::Close();
    SceneFixture::TearDown();
    PictureCache::Shutdown();
  }

  // A sprite at (10, 8) showing the named set, facing as given after a turn on the spot.
  static std::unique_ptr<Sprite> Turned(const std::string& set, int32_t facing) {
    auto sprite = std::make_unique<Sprite>();
    sprite->SetPicture(new PictureRef("Pictures/" + set + ".cam"), true);
    sprite->SetPosition(10, 8);
    sprite->StartAction(0.0f, 0.0f, 0.0f, 0.0f, 0, facing);
    return sprite;
  }

  SceneLayer* map_ = nullptr;
};

TEST_F(SpriteTest, AFacingSelectsItsBlockOfCommandsByTheAnimationsMode) {
  const struct {
    const char* set;
    int32_t facing;
    int32_t first, last;
    bool shows;
  } cases[] = {
      {"m0c5", 3, 1, 5, true},    // one run: every command, whatever the facing
      {"m2c5", 7, 1, 5, true},
      {"m1c16", 0, 1, 2, true},   // a facing of 0 counts as 1
      {"m1c16", 1, 1, 2, true},
      {"m1c16", 8, 15, 16, true},
      {"m1c9", 8, 8, 8, true},    // the ninth command is never selected
      {"m1c4", 3, 1, 0, false},   // too few commands for eight facings: an empty range shows nothing
      {"m3c8", 1, 1, 2, true},    // four facings: 1 and 2 share a block
      {"m3c8", 2, 1, 2, true},
      {"m3c8", 3, 3, 4, true},
      {"m3c8", 8, 7, 8, true},
      {"m3c9", 8, 7, 8, true},
      {"m3c0", 1, 1, 0, false},   // no commands at all
  };
  for (const auto& c : cases) {
    auto sprite = Turned(c.set, c.facing);
    ASSERT_TRUE(sprite->HasAnimation()) << c.set;
    EXPECT_EQ(sprite->FirstIndex(), c.first) << c.set << " " << c.facing;
    EXPECT_EQ(sprite->LastIndex(), c.last) << c.set << " " << c.facing;
    EXPECT_EQ(sprite->CurrentIndex(), c.first) << c.set << " " << c.facing;
    EXPECT_EQ(sprite->FramePicture() != nullptr, c.shows) << c.set << " " << c.facing;
  }
}

TEST_F(SpriteTest, FramesOfNoPictureOrPastThePicturesShowNothing) {
  for (const char* set : {"frame0", "frame9"}) {
    auto sprite = Turned(set, 1);
    EXPECT_EQ(sprite->FramePicture(), nullptr) << set;
    sprite->Draw();
    EXPECT_FALSE(sprite->IsLinked()) << set;
  }
  auto sprite = Turned("m0c5", 1);
  sprite->SetFrame(1, false);  // past the set's one animation: ignored
  EXPECT_EQ(sprite->CurrentAnimation(), sprite->GetPictureRef()->Set()->GetAnimation(0));
  EXPECT_FALSE(sprite->IsFrameInRange(1));
  EXPECT_TRUE(sprite->IsFrameInRange(0));
}

TEST_F(SpriteTest, ATurnPlacesTheFrameAtItsOffsetAndDrawingLinksIt) {
  auto sprite = Turned("m0c5", 5);
  EXPECT_EQ(sprite->DrawnX(), 11.0f);
  EXPECT_EQ(sprite->DrawnY(), 10.0f);
  EXPECT_TRUE(sprite->IsMoving());
  EXPECT_EQ(sprite->Facing(), 5);
  sprite->Draw();
  ASSERT_TRUE(sprite->IsLinked());
  EXPECT_EQ(Update(), Describe({{11, 10, 2, 3}}));
  EXPECT_EQ(Pixel(12, 12), kRed);
}

TEST_F(SpriteTest, MovingToTheSamePlaceErasesNothing) {
  Bitmap* still = PictureCache::Load("Pictures/still.png");
  Sprite sprite;
  sprite.SetPicture(new PictureRef(still, false), true);
  sprite.SetPosition(4, 5);
  sprite.Draw();
  Update();
  sprite.SetPosition(4, 5);
  sprite.Draw();
  EXPECT_TRUE(sprite.IsLinked());
  EXPECT_EQ(Update(), "");

  sprite.SetPosition(6, 5);
  EXPECT_FALSE(sprite.IsLinked());
  sprite.Draw();
  EXPECT_EQ(Update(), Describe({{4, 5, 4, 3}}));
}

TEST_F(SpriteTest, ASpriteScrolledOutLosesItsEntryAndGetsOneWhenItComesBack) {
  Bitmap* still = PictureCache::Load("Pictures/still.png");
  Sprite sprite;
  sprite.SetPicture(new PictureRef(still, false), true);
  sprite.SetPosition(2, 2);
  sprite.Draw();
  ASSERT_TRUE(sprite.IsLinked());
  view_->SetCamera(100, 0);
  sprite.Draw();
  EXPECT_FALSE(sprite.IsLinked());
  EXPECT_TRUE(map_->Images().empty());
  view_->SetCamera(0, 0);
  sprite.Draw();
  EXPECT_TRUE(sprite.IsLinked());
  EXPECT_EQ(map_->Images().size(), 1u);
}

TEST_F(SpriteTest, AnEntryThatItsLayerDroppedIsOnlyForgotten) {
  Bitmap* still = PictureCache::Load("Pictures/still.png");
  Sprite sprite;
  sprite.SetPicture(new PictureRef(still, false), true);
  sprite.Draw();
  ASSERT_TRUE(sprite.IsLinked());
  map_->Clear();
  EXPECT_FALSE(sprite.IsLinked());
  sprite.SetPosition(3, 3);  // erases nothing
  sprite.Draw();
  EXPECT_TRUE(sprite.IsLinked());
  view_->RemoveLayer(view_->FindLayer(map_->Serial()));
  EXPECT_FALSE(sprite.IsLinked());
  sprite.Detach();
}

TEST_F(SpriteTest, TheCollisionCentreComesFromTheSetWhenItHasARadius) {
  int32_t x = -1, y = -1;
  Sprite bare;
  bare.GetSize(&x, &y);
  EXPECT_EQ(x, -1);  // no picture: nothing written
  EXPECT_EQ(bare.GetCollisionRadius(), 0);

  auto following = Turned("centre", 1);
  following->GetSize(&x, &y);
  EXPECT_EQ(x, 3 + 1);  // the set's centre moved by the frame's offset
  EXPECT_EQ(y, 4 + 2);
  EXPECT_EQ(following->GetCollisionRadius(), 5);

  auto fixed = Turned("fixed", 1);
  fixed->GetSize(&x, &y);
  EXPECT_EQ(x, 3);
  EXPECT_EQ(y, 4);

  auto plain = Turned("m0c5", 1);  // a set without a radius: the sprite's own centre
  plain->ownCentreX = 7;
  plain->ownCentreY = 9;
  plain->GetSize(&x, &y);
  EXPECT_EQ(x, 7);
  EXPECT_EQ(y, 9);
  EXPECT_EQ(plain->GetCollisionRadius(), 0);

  Sprite still;
  still.SetPicture(new PictureRef(PictureCache::Load("Pictures/still.png"), false), true);
  still.ownRadius = 6;
  still.ownCentreX = 1;
  still.GetSize(&x, &y);
  EXPECT_EQ(x, 1);
  EXPECT_EQ(still.GetCollisionRadius(), 6);
}

}  // namespace
