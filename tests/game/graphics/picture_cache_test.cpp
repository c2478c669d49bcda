// The picture cache: case folding, finding versus loading, marks and purges, pools and the stack, and the holds
// that keep pictures in use alive through a purge.
#include "game/graphics/picture_cache.h"

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "game/shell/data/data_archive.h"
#include "tests/support/archive_fixtures.h"
#include "tests/support/image_fixtures.h"
#include "tools/scenario_writer/scenario_files.h"

namespace {

// A loader over a set of known names that records every call; a name in `tight` fails until `tight` is emptied
// (as a purge would make room).
class PictureCacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PictureCache::Shutdown();
    PictureCache::SetLoader([this](const char* name, BitmapStatus* status) -> std::unique_ptr<Bitmap> {
      calls.emplace_back(name);
      if (tight.count(name) != 0) {
        *status = kBitmapNoMemory;
        if (onTight) onTight();
        return nullptr;
      }
      if (known.count(name) == 0) {
        *status = kBitmapNothingToImport;
        return nullptr;
      }
      auto picture = std::make_unique<Bitmap>();
      *status = picture->Create(2, 2, OpaqueFormat);
      return picture;
    });
    startup = PictureCache::NewPool(PictureCache::kStartupPoolId);
    game = PictureCache::NewPool(0);
    map = PictureCache::NewPool(0);
    PictureCache::SelectPool(game);
  }
  void TearDown() override { PictureCache::Shutdown(); }

  std::set<std::string> known{"hero.png", "tree.png", "wall.png", "logo.png"};
  std::set<std::string> tight;
  std::function<void()> onTight;
  std::vector<std::string> calls;
  PicturePool* startup = nullptr;
  PicturePool* game = nullptr;
  PicturePool* map = nullptr;
};

TEST_F(PictureCacheTest, NamesDifferingInCaseAreOneEntry) {
  Bitmap* first = PictureCache::Load("Hero.PNG");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(PictureCache::Load("hERO.png"), first);
  EXPECT_EQ(PictureCache::Find("HERO.PNG"), first);
  EXPECT_EQ(calls, std::vector<std::string>{"hero.png"});  // the loader sees the lower-case form, once
  EXPECT_EQ(game->Entries().size(), 1u);
  EXPECT_EQ(game->Entries().begin()->first, "hero.png");
  EXPECT_EQ(PictureCache::KeyOf("\xC4Z_a"), "\xC4z_a");  // only A to Z change
}

TEST_F(PictureCacheTest, FindNeverLoads) {
  EXPECT_EQ(PictureCache::Find("tree.png"), nullptr);
  EXPECT_TRUE(calls.empty());
  Bitmap* tree = PictureCache::Load("tree.png");
  PictureCache::SelectPool(map);
  EXPECT_EQ(PictureCache::Find("tree.png"), nullptr);  // only the current pool is searched
  PictureCache::SelectPool(game);
  EXPECT_EQ(PictureCache::Find("tree.png"), tree);
  EXPECT_EQ(calls.size(), 1u);
}

TEST_F(PictureCacheTest, PurgeKeepsWhatWasMarkedSinceTheClear) {
  PictureCache::Load("hero.png");
  PictureCache::Load("tree.png");
  PictureCache::Load("wall.png");
  PictureCache::ClearMarks();
  PictureCache::Find("hero.png");
  PictureCache::Load("wall.png");
  PictureCache::PurgeUnused();
  std::vector<std::string> left;
  for (const auto& [name, entry] : game->Entries()) left.push_back(name);
  EXPECT_EQ(left, (std::vector<std::string>{"hero.png", "wall.png"}));
  EXPECT_EQ(calls.size(), 3u);
}

TEST_F(PictureCacheTest, HeldPicturesSurviveEveryPurge) {
  Bitmap* hero = PictureCache::Load("hero.png");
  PictureHold hold(hero);
  {
    Bitmap* tree = PictureCache::Load("tree.png");
    PictureHold drawing(tree);
    PictureCache::ClearMarks();
    PictureCache::PurgeUnused();
    PictureCache::PurgeAllPools();
    EXPECT_EQ(game->Entries().size(), 2u);
  }
  PictureCache::PurgeUnused();  // the drawing's hold ended: the tree goes, the hero stays
  EXPECT_EQ(game->Entries().size(), 1u);
  EXPECT_EQ(PictureCache::Find("hero.png"), hero);

  // A pool deleted under a held picture gives it up; it lives until the last release.
  PictureCache::SelectPool(map);
  PictureCache::DeletePool(game);
  EXPECT_EQ(PictureCache::HoldCount(hero), 1);
  EXPECT_EQ(hero->width, 2);  // still a live bitmap (the sanitizer would catch a freed one)
}

TEST_F(PictureCacheTest, AMissingNameIsTriedAgainAfterAPurge) {
  PictureCache::Load("hero.png");
  PictureCache::ClearMarks();
  EXPECT_EQ(PictureCache::Load("nothing.png"), nullptr);
  EXPECT_EQ(calls, (std::vector<std::string>{"hero.png", "nothing.png", "nothing.png"}));  // one retry
  EXPECT_EQ(game->Entries().size(), 0u);  // the unmarked hero was purged, and nothing was inserted
}

TEST_F(PictureCacheTest, AFailedLoadPurgesAllButTheStartupPoolAndRetriesOnce) {
  PictureCache::SelectPool(startup);
  PictureCache::Load("logo.png");
  PictureCache::SelectPool(map);
  PictureCache::Load("wall.png");
  PictureCache::SelectPool(game);
  PictureCache::Load("tree.png");
  for (PicturePool* pool : {startup, map, game}) {
    PictureCache::SelectPool(pool);
    PictureCache::ClearMarks();
  }
  PictureCache::SelectPool(game);

  tight = {"hero.png"};
  onTight = [this] { tight.clear(); };  // the purge made room: the retry fits
  Bitmap* hero = PictureCache::Load("hero.png");
  ASSERT_NE(hero, nullptr);
  EXPECT_EQ(calls.back(), "hero.png");
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "hero.png"), 2);
  EXPECT_EQ(startup->Entries().size(), 1u);  // id 2 is spared
  EXPECT_EQ(map->Entries().size(), 0u);      // both pools of id 0 are purged
  EXPECT_EQ(game->Entries().size(), 1u);     // the current pool too; the new picture is inserted after

  tight = {"tree.png"};
  onTight = nullptr;
  EXPECT_EQ(PictureCache::Load("tree.png"), nullptr);
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "tree.png"), 3);  // one load earlier, one try and one retry
}

TEST_F(PictureCacheTest, PoolsSelectPushPopAndDelete) {
  PicturePool* stray = PictureCache::NewPool(7);
  PictureCache::DeletePool(stray);
  PictureCache::SelectPool(stray);  // deleted: nothing changes
  EXPECT_EQ(PictureCache::CurrentPool(), game);
  PicturePool never;
  PictureCache::SelectPool(&never);
  EXPECT_EQ(PictureCache::CurrentPool(), game);
  PictureCache::DeletePool(&never);  // not registered: nothing happens

  PictureCache::PushPool();
  PictureCache::SelectPool(map);
  PictureCache::PushPool();
  PictureCache::SelectPool(startup);
  PictureCache::PopPool();
  EXPECT_EQ(PictureCache::CurrentPool(), map);
  PictureCache::PopPool();
  EXPECT_EQ(PictureCache::CurrentPool(), game);
  PictureCache::PopPool();  // empty stack
  EXPECT_EQ(PictureCache::CurrentPool(), game);

  // Deleting the current pool, and a pool on the stack, leaves nothing dangling.
  PictureCache::PushPool();
  PictureCache::Load("hero.png");
  PictureCache::DeletePool(game);
  EXPECT_EQ(PictureCache::CurrentPool(), nullptr);
  EXPECT_EQ(PictureCache::Load("hero.png"), nullptr);
  PictureCache::SelectPool(map);
  PictureCache::PopPool();
  EXPECT_EQ(PictureCache::CurrentPool(), map);
}

TEST_F(PictureCacheTest, LoadLocksAndUnlockAllUnlocks) {
  Bitmap* hero = PictureCache::Load("hero.png");
  PictureCache::UnlockAll();
  EXPECT_EQ(hero->GetPixels(), nullptr);
  EXPECT_EQ(PictureCache::Find("hero.png")->GetPixels(), nullptr);  // Find does not lock
  EXPECT_NE(PictureCache::Load("hero.png")->GetPixels(), nullptr);
}

TEST(PictureCacheArchiveTest, ScenarioPicturesLoadThroughTheCache) {
  BmpSpec fileSpec;
  fileSpec.width = 2;
  fileSpec.height = 1;
  fileSpec.bitCount = 24;
  fileSpec.pixels = PadBmpRows({scenario_writer::Bytes{0xFF, 0x00, 0x00, 0x10, 0x20, 0x30}}, true);
  scenario_writer::ScenarioFiles files;
  files.Add("Pictures/door.bmp", BuildBmp(fileSpec));
  scenario_writer::Bytes archive;
  ASSERT_TRUE(files.BuildArchive(archive));
  DataArchive::Install(test_support::ArchiveOver(archive), true);

  // The loader tells a missing picture from a ready one.
  BitmapStatus status = kBitmapReady;
  EXPECT_EQ(LoadPictureByName("Pictures/window", &status), nullptr);
  EXPECT_EQ(status, kBitmapNothingToImport);
  EXPECT_NE(LoadPictureByName("Pictures/door", &status), nullptr);
  EXPECT_EQ(status, kBitmapReady);

  PictureCache::Shutdown();
  PictureCache::SetLoader(LoadPictureByName);
  PictureCache::SelectPool(PictureCache::NewPool(0));
  Bitmap* door = PictureCache::Load("Pictures/Door");
  ASSERT_NE(door, nullptr);
  EXPECT_EQ(door->width, 2);
  EXPECT_EQ(PictureCache::Load("PICTURES/DOOR"), door);
  EXPECT_EQ(PictureCache::Load("Pictures/window"), nullptr);
  EXPECT_EQ(PictureCache::CurrentPool()->Entries().size(), 1u);
  PictureCache::Shutdown();
  DataArchive::Close();
}

}  // namespace
