// Animation sets and picture references, over set files made by the scenario writer and installed as a packed
// scenario; the pictures come from a fake loader behind the picture cache.
#include "game/graphics/animation_set.h"

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "game/rules/script_event.h"
#include "game/shell/data/data_stream.h"
#include "game/shell/media/sound_effects.h"
#include "tests/support/archive_fixtures.h"
#include "tools/scenario_writer/animation_set_writer.h"
#include "tools/scenario_writer/scenario_files.h"

namespace {

// An event without actions under the name, as a loaded event file gives one; the set only keeps it.
std::shared_ptr<ScriptEvent> NamedEvent(const std::string& name) {
  DataStream empty;
  auto event = std::make_shared<ScriptEvent>(empty);
  event->SetName(name + ".cet");
  return event;
}

using scenario_writer::AnimationFrameSpec;
using scenario_writer::AnimationSetSpec;
using scenario_writer::AnimationSpec;
using scenario_writer::Bytes;
using scenario_writer::ScenarioFiles;

class AnimationSetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PictureCache::Shutdown();
    PictureCache::SetLoader([this](const char* name, BitmapStatus* status) -> std::unique_ptr<Bitmap> {
      pictureLoads.emplace_back(name);
      if (knownPictures.count(name) == 0) {
        *status = kBitmapNothingToImport;
        return nullptr;
      }
      auto picture = std::make_unique<Bitmap>();
      *status = picture->Create(3, 2, OpaqueFormat);
      return picture;
    });
    PictureCache::SelectPool(PictureCache::NewPool(0));

    AnimationSetServices services;
    services.loadEvent = [this](const std::string& name) -> std::shared_ptr<ScriptEvent> {
      eventLoads.push_back(name);
      return name == "Missing" ? nullptr : NamedEvent(name);
    };
    services.findOrLoadSound = [this](const std::string& name) -> SoundEffect* {
      soundLoads.push_back(name);
      auto found = sounds.find(name);
      if (found == sounds.end()) return nullptr;
      ++found->second->referenceCount;
      return found->second.get();
    };
    services.playSound = [this](SoundEffect* sound) { ++plays[sound->name]; };
    services.releaseSound = [](SoundEffect* sound) { --sound->referenceCount; };
    services.mediaIdle = [this](int32_t ms) { idleCalls.push_back(ms); };
    SetAnimationSetServices(std::move(services));
    // Sounds without a device behind them, no holder counted yet.
    for (const char* name : {"Step", "Bell"}) {
      sounds[name] = std::make_unique<SoundEffect>(name, nullptr);
      sounds[name]->referenceCount = 0;
    }
  }
  void TearDown() override {
    DataArchive::Close();
    SetAnimationSetServices({});
    PictureCache::Shutdown();
  }

  void Install(const ScenarioFiles& files) {
    Bytes bytes;
    ASSERT_TRUE(files.BuildArchive(bytes));
    auto archive = test_support::ArchiveOver(bytes);
    ASSERT_EQ(archive->GetError(), 0);
    DataArchive::Install(std::move(archive), true);
  }

  static AnimationSetSpec Walker() {
    AnimationSetSpec set;
    set.name = "Walker";
    set.pictures = {"Walk1.png", "Walk2.png", "Gone.png"};
    AnimationSpec walk;
    walk.name = "walk";
    walk.mode = 1;
    walk.delay = -2;
    walk.kept = {3, 4, 5, 6, 7, 8, 9, 32767};
    walk.frames = {
        {4, 0, "", 10, -20, {}},
        {1, kFrameOpPlaySound, "Step", 0, 0, {9, 9, 9, 9, 9, 9, 9}},
        {1, kFrameOpRunEvent, "Open", 0, 0, {}},
        {2, kFrameOpPlaySound, "Nowhere", 1, 1, {-1, -1, -1, -1, -1, -1, -1}},
    };
    AnimationSpec idle;
    idle.name = "idle";
    idle.frames = {
        {1, kFrameOpRunEvent, "Missing", 0, 0, {}},
        {1, kFrameOpRunEvent, "Open", 0, 0, {}},
        {1, kFrameOpPlaySound, "Step", 0, 0, {}},
        {1, kFrameOpPlaySound, "Bell", 0, 0, {}},
    };
    set.animations = {walk, idle};
    set.extraFlag = 1;
    set.collisionRadius = -5;
    set.centreX = 6;
    set.centreY = 7;
    set.centreFollowsOffset = 1;
    return set;
  }

  std::set<std::string> knownPictures{"pictures/walk1.png", "pictures/walk2.png", "pictures/still.png"};
  std::vector<std::string> pictureLoads;
  std::vector<std::string> eventLoads;
  std::vector<std::string> soundLoads;
  std::vector<int32_t> idleCalls;
  std::map<std::string, std::unique_ptr<SoundEffect>> sounds;
  std::map<std::string, int> plays;
};

TEST_F(AnimationSetTest, WrittenSetReadsBackWithSharedEventsAndSounds) {
  ScenarioFiles files;
  files.Add("Sprites/walker.cam", scenario_writer::EncodeAnimationSet(Walker()));
  Install(files);

  AnimationSet set("Sprites/walker.cam", false);
  ASSERT_TRUE(set.IsLoaded());
  EXPECT_EQ(set.Name(), "Walker");
  ASSERT_EQ(set.PictureCount(), 3);
  EXPECT_NE(set.Picture(0), nullptr);
  EXPECT_NE(set.Picture(1), nullptr);
  EXPECT_EQ(set.Picture(2), nullptr);  // a missing picture leaves a null entry
  // The cache tries a picture it could not load once more, after a purge.
  EXPECT_EQ(pictureLoads, (std::vector<std::string>{"pictures/walk1.png", "pictures/walk2.png", "pictures/gone.png",
                                                    "pictures/gone.png"}));
  EXPECT_EQ(idleCalls, (std::vector<int32_t>{10, 10, 10}));

  ASSERT_EQ(set.Animations().size(), 2u);
  const Animation& walk = set.Animations()[0];
  EXPECT_EQ(walk.name, "walk");
  EXPECT_EQ(walk.mode, 1);
  EXPECT_EQ(walk.delay, -2);
  EXPECT_EQ(walk.kept, (std::array<int16_t, 8>{3, 4, 5, 6, 7, 8, 9, 32767}));
  ASSERT_EQ(walk.frames.size(), 4u);
  EXPECT_EQ(walk.frames[0].frame, 4);
  EXPECT_EQ(walk.frames[0].x, 10);
  EXPECT_EQ(walk.frames[0].y, -20);
  EXPECT_EQ(walk.frames[3].x, 1);  // the seven skipped values do not shift the next frame
  EXPECT_EQ(walk.frames[1].soundIndex, 0);
  EXPECT_EQ(walk.frames[3].soundIndex, -1);
  const Animation& idle = set.Animations()[1];
  EXPECT_EQ(walk.frames[2].eventIndex, 0);
  EXPECT_EQ(idle.frames[0].eventIndex, 1);  // "Missing" did not load but holds its place
  EXPECT_EQ(idle.frames[1].eventIndex, 0);
  EXPECT_EQ(idle.frames[2].soundIndex, 0);
  EXPECT_EQ(idle.frames[3].soundIndex, 1);
  EXPECT_EQ(eventLoads, (std::vector<std::string>{"Open", "Missing"}));
  EXPECT_EQ(soundLoads, (std::vector<std::string>{"Step", "Nowhere", "Bell"}));
  ASSERT_EQ(set.EventCount(), 2u);
  EXPECT_EQ(set.Event(0)->GetName(), "Open");
  EXPECT_EQ(set.Event(1), nullptr);

  EXPECT_EQ(set.CollisionRadius(), -5);
  EXPECT_EQ(set.CentreX(), 6);
  EXPECT_EQ(set.CentreY(), 7);
  EXPECT_TRUE(set.CentreFollowsOffset());

  set.PlayFrameSound(-1);
  set.PlayFrameSound(1);
  set.PlayFrameSound(7);  // past the list: nothing
  EXPECT_EQ(plays["Bell"], 1);
  EXPECT_EQ(sounds["Step"]->referenceCount, 1);
  set.Free();
  EXPECT_EQ(sounds["Step"]->referenceCount, 0);  // one reference per set, given back once
  EXPECT_EQ(sounds["Bell"]->referenceCount, 0);
}

TEST_F(AnimationSetTest, ExtraValuesAreKeptOnlyUnderFlagOne) {
  AnimationSetSpec fileSpec = Walker();
  fileSpec.extraFlag = 2;
  ScenarioFiles files;
  files.Add("a.cam", scenario_writer::EncodeAnimationSet(fileSpec));
  Install(files);
  AnimationSet set("a.cam", true);
  ASSERT_TRUE(set.IsLoaded());
  EXPECT_EQ(set.CollisionRadius(), 0);
  EXPECT_EQ(set.CentreX(), 0);
  EXPECT_EQ(set.CentreY(), 0);
  EXPECT_FALSE(set.CentreFollowsOffset());
}

TEST_F(AnimationSetTest, AFileCutShortLoadsWithZerosPastItsEndAndAMissingOneDoesNot) {
  const Bytes whole = scenario_writer::EncodeAnimationSet(Walker());
  ScenarioFiles files;
  // Without the flag and the four extra values (five int16).
  files.Add("noextras.cam", Bytes(whole.begin(), whole.end() - 10));
  // The name "Walker", the picture count and the first picture name only: 7 + 2 + 10 bytes.
  files.Add("onepicture.cam", Bytes(whole.begin(), whole.begin() + 19));
  // The name's length byte alone: a name longer than the rest reads as empty.
  files.Add("onebyte.cam", Bytes(whole.begin(), whole.begin() + 1));
  // No name, no pictures, 32767 animations that are not there.
  files.Add("hostile.cam", Bytes{0, 0, 0, 0x7F, 0xFF});
  Install(files);

  AnimationSet onePicture("onepicture.cam", false);
  ASSERT_TRUE(onePicture.IsLoaded());
  ASSERT_EQ(onePicture.PictureCount(), 3);
  EXPECT_NE(onePicture.Picture(0), nullptr);
  EXPECT_EQ(onePicture.Picture(1), nullptr);  // the names past the end are empty and name no picture
  EXPECT_EQ(pictureLoads, (std::vector<std::string>{"pictures/walk1.png"}));
  EXPECT_TRUE(onePicture.Animations().empty());

  AnimationSet noExtras("noextras.cam", false);
  ASSERT_TRUE(noExtras.IsLoaded());
  EXPECT_EQ(noExtras.Name(), "Walker");
  ASSERT_EQ(noExtras.Animations().size(), 2u);
  EXPECT_EQ(noExtras.Animations()[1].frames.size(), 4u);
  EXPECT_EQ(noExtras.Animations()[1].frames[3].soundIndex, 1);
  EXPECT_EQ(noExtras.CollisionRadius(), 0);
  EXPECT_EQ(noExtras.CentreX(), 0);
  EXPECT_EQ(noExtras.CentreY(), 0);
  EXPECT_FALSE(noExtras.CentreFollowsOffset());
  noExtras.Free();

  AnimationSet oneByte("onebyte.cam", false);
  ASSERT_TRUE(oneByte.IsLoaded());
  EXPECT_EQ(oneByte.Name(), "");
  EXPECT_EQ(oneByte.PictureCount(), 0);
  EXPECT_TRUE(oneByte.Animations().empty());

  AnimationSet hostile("hostile.cam", false);
  ASSERT_TRUE(hostile.IsLoaded());
  ASSERT_EQ(hostile.Animations().size(), 32767u);
  EXPECT_EQ(hostile.Animations()[32766].name, "");
  EXPECT_TRUE(hostile.Animations()[32766].frames.empty());
  EXPECT_EQ(hostile.PictureCount(), 0);
  EXPECT_EQ(sounds["Step"]->referenceCount, 0);

  AnimationSet none("nothing.cam", false);
  EXPECT_FALSE(none.IsLoaded());
  EXPECT_TRUE(none.Animations().empty());
}

TEST(AnimationSetNameTest, NameRule) {
  const struct {
    const char* name;
    bool isSet;
  } cases[] = {
      {"hero.cam", true}, {"HERO.CAN", true},  {"hero.cAm", true},  {"abcd", true},    {"a.pn", true},
      {"hero", true},     {"hero.png", false}, {"hero.gif", false}, {"map.jpeg", true}, {"walker", true},
      {"x.cax", false},   {"", true},
  };
  for (const auto& c : cases) EXPECT_EQ(IsAnimationSetName(c.name), c.isSet) << c.name;
}

TEST_F(AnimationSetTest, ReferenceChoosesSetOrStill) {
  AnimationSetSpec empty = Walker();
  empty.animations.clear();
  ScenarioFiles files;
  files.Add("Pictures/walker.cam", scenario_writer::EncodeAnimationSet(Walker()));
  files.Add("Pictures/empty.cam", scenario_writer::EncodeAnimationSet(empty));
  Install(files);

  PictureRef animated("Pictures/walker.cam");
  ASSERT_NE(animated.Set(), nullptr);
  EXPECT_TRUE(animated.Owns());
  EXPECT_EQ(animated.Still(), nullptr);
  EXPECT_NE(animated.Set()->Picture(0), nullptr);

  // A set without animations is dropped for a still picture of the same name.
  knownPictures.insert("pictures/empty.cam");
  PictureRef fallback("Pictures/empty.cam");
  EXPECT_EQ(fallback.Set(), nullptr);
  EXPECT_FALSE(fallback.Owns());
  EXPECT_NE(fallback.Still(), nullptr);

  PictureRef still("Pictures/still.png");
  EXPECT_EQ(still.Set(), nullptr);
  EXPECT_NE(still.Still(), nullptr);
}

TEST_F(AnimationSetTest, LazyReferenceLoadsAtFirstUse) {
  ScenarioFiles files;
  files.Add("Pictures/walker.cam", scenario_writer::EncodeAnimationSet(Walker()));
  Install(files);

  PictureRef lazySet;
  lazySet.SetNameLazy("Pictures/walker.cam");
  ASSERT_NE(lazySet.Set(), nullptr);
  EXPECT_TRUE(pictureLoads.empty());
  EXPECT_EQ(lazySet.Set()->PictureNames().size(), 3u);
  EXPECT_EQ(lazySet.Set()->Picture(0), nullptr);
  lazySet.GetPicture();
  EXPECT_EQ(pictureLoads.size(), 4u);  // the missing third picture twice
  EXPECT_NE(lazySet.Set()->Picture(1), nullptr);
  EXPECT_TRUE(lazySet.Set()->PictureNames().empty());

  PictureRef lazyStill;
  lazyStill.SetNameLazy("Pictures/still.png");
  EXPECT_EQ(lazyStill.Still(), nullptr);  // not cached yet
  lazyStill.GetPicture();
  EXPECT_NE(lazyStill.Still(), nullptr);
}

TEST_F(AnimationSetTest, PicturesOfASetOrAReferenceSurvivePurges) {
  ScenarioFiles files;
  files.Add("Pictures/walker.cam", scenario_writer::EncodeAnimationSet(Walker()));
  Install(files);
  PictureRef animated("Pictures/walker.cam");
  PictureRef still("Pictures/still.png");
  Bitmap* frame = animated.Set()->Picture(0);

  PictureCache::ClearMarks();
  PictureCache::PurgeAllPools();
  EXPECT_EQ(PictureCache::CurrentPool()->Entries().size(), 3u);
  animated.GetPicture();  // relocks pictures that are still there
  EXPECT_NE(frame->GetPixels(), nullptr);
  EXPECT_EQ(still.Still()->width, 3);
}

TEST_F(AnimationSetTest, KeptNamesMarkCachedPicturesWithoutLoading) {
  ScenarioFiles files;
  files.Add("Pictures/walker.cam", scenario_writer::EncodeAnimationSet(Walker()));
  Install(files);
  PictureCache::Load("Pictures/walk2.png");
  PictureCache::ClearMarks();
  AnimationSet set("Pictures/walker.cam", true);
  EXPECT_EQ(pictureLoads.size(), 1u);  // only the load above
  PictureCache::PurgeUnused();
  EXPECT_NE(PictureCache::Find("pictures/walk2.png"), nullptr);  // marked by the set, so spared
}

TEST_F(AnimationSetTest, WrappedPicturesAreOwnedOrHeld) {
  Bitmap* cached = PictureCache::Load("pictures/still.png");
  {
    PictureRef borrowed(cached, false);
    EXPECT_EQ(PictureCache::HoldCount(cached), 1);
    PictureRef owned(new Bitmap, true);  // deleted with the reference (the leak checker would see it otherwise)
    EXPECT_TRUE(owned.Owns());
    EXPECT_EQ(PictureCache::HoldCount(owned.Still()), 0);
  }
  EXPECT_EQ(PictureCache::HoldCount(cached), 0);
  PictureRef reused("Pictures/still.png");
  reused.SetName("Pictures/walk1.png");  // naming again drops the first picture's hold
  EXPECT_EQ(PictureCache::HoldCount(cached), 0);
  EXPECT_EQ(PictureCache::HoldCount(reused.Still()), 1);
}

}  // namespace
