// A fight played as the game plays it: a writer-made map with a character that fights, a sword and a skill table,
// the passes of the main loop over the map location (its tick, the drawing and the message pump), the player's
// keys sent through the host's input, the manual clock a frame on at every pump, and the level gain answered by a
// click. The player walks towards the character until it notices the player, then strikes with the map's strike
// key until one side falls.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "game/dialogs/character_info_dialogs.h"
#include "game/dialogs/dialog.h"
#include "game/graphics/bitmap_font.h"
#include "game/rules/game_state.h"
#include "game/rules/item_record.h"
#include "game/shell/data/game_random.h"
#include "game/world/scene_layer.h"
#include "game/world/scene_view.h"
#include "game/world/world_services.h"
#include "host/user.h"
#include "tests/game/world/map_location_fixture.h"
#include "tools/scenario_writer/record_writer.h"

namespace {

using namespace map_test;
using namespace test_support::input;
using test_support::script::Set;

constexpr uint32_t kSeed = 7;
constexpr int32_t kLabelFont = 4;
// The player strikes once every this many passes of the loop (a key pressed and let go).
constexpr int32_t kPassesPerStrike = 10;
constexpr int16_t kPlayerStamina = 12;
constexpr int16_t kBearStamina = 60;

// What one fight came to.
struct Outcome {
  std::vector<std::pair<int32_t, int32_t>> exchanges;  // the player's and the foe's stamina after every change
  std::string label;       // the "+" label on the map's top layer while the level gain was shown
  std::string levelShown;  // the level the level gain dialog showed
  int32_t rounds = 0;      // the rounds of the encounter, as the map counted them
  int32_t experience = 0;
  int32_t level = 0;
  bool foeFell = false;
  bool encounterEnded = false;
  bool gameEnded = false;
};

// The label that begins with "+" among the glyphs of the font placed on the layer (floating numbers of the blows
// may stand there too, on other rows): its glyphs on the row of the "+", read left to right.
std::string PlusLabelOn(const SceneLayer& layer, const BitmapFont& font) {
  std::vector<std::pair<int32_t, char>> row;
  int32_t plusY = 0;
  bool found = false;
  for (const PlacedImage& image : layer.Images()) {
    if (image.bitmap == font.GetGlyph('+')) {
      plusY = image.y;
      found = true;
    }
  }
  if (!found) return "";
  for (const PlacedImage& image : layer.Images()) {
    for (int code = 32; code < 127; ++code) {
      if (image.y == plusY && font.GetGlyph(code) == image.bitmap) row.emplace_back(image.x, static_cast<char>(code));
    }
  }
  std::sort(row.begin(), row.end());
  std::string text;
  for (const auto& [x, code] : row) text += code;
  return text;
}

class FightPlayTest : public MapLocationFixture {
 protected:
  void SetUp() override {
    MapLocationFixture::SetUp();
    // The fox is worth a level; the bear is more than the player can stand.
    sw::NpcSpec fox;
    fox.spriteText = "Hero8.cam";
    fox.maxStamina = 12;
    fox.minDamage = 1;
    fox.maxDamage = 2;
    fox.dexterity = 12;
    fox.speed = 4;
    fox.noticeRange = 3;
    fox.actionInterval = 1000;
    fox.experience = 12;
    Files().Add("NPCs/Fox.npc", sw::EncodeNpc(fox));
    sw::NpcSpec bear = fox;
    bear.maxStamina = kBearStamina;
    bear.minDamage = 3;
    bear.maxDamage = 5;
    bear.dexterity = 14;
    bear.experience = 50;
    Files().Add("NPCs/Bear.npc", sw::EncodeNpc(bear));

    // A sword of 2 to 4 points whose "Miss" action never turns a miss into a hit.
    sw::ItemSpec sword;
    sword.kind = kItemKindWeapon;
    sword.modifiers[kModifierMinDamage] = 2;
    sword.modifiers[kModifierMaxDamage] = 4;
    sword.firstProjectileValue = 1;
    sword.charges = -1;
    sword.namedActions = {{}, {{}, "", sw::ActionSpec{"", "Conditional", {"gb_count,is equal to,never", "0"}}}};
    Files().Add("Items/Sword.itm", sw::EncodeItem(sword));

    // The fighter's second level needs 10 points, the third 100.
    Files().Add("Players/Classes/Fighter.cls", sw::EncodeClass({}));
    sw::SkillTableSpec table;
    table.levelValues[1] = 10;
    table.levelValues[2] = 100;
    Files().Add("Players/Skill Tables/Fighter.skt", sw::EncodeSkillTable(table));
    AddEvent("EndGame", {{Set("gb_hit", "ended")}});
  }

  void LoadField(const std::string& foe) {
    sw::TileMapSpec field = MapOf({"........", "........", "........"});
    field.characters.push_back({7, 2, 7, foe, ""});
    AddMap("Field", field);
    LoadWithWindow(kSeed);
    SetRunStateBits(kRunRunning);
    SetPlayerSpriteName(GetShellCommandHost(), "Hero8.cam");
    Character& player = Player();
    player.AssignDefaultClass();
    player.ResolveLinkedRecord();
    ASSERT_NE(player.GetSkillTable(), nullptr);
    ItemRecord* sword = player.AddInventoryItem(FindItemByName("Sword"));
    ASSERT_NE(sword, nullptr);
    player.Equip(sword);
    ASSERT_TRUE(player.IsEquipped(sword));
  }

  // The player as every fight starts it, the random numbers from the seed again, and the field entered afresh
  // (its characters read from the map file again) with the player on its west side.
  void StartFight() {
    Character& player = Player();
    player.base.strength = 12;
    player.base.dexterity = 14;
    player.base.speed = 8;
    player.base.maxStamina = kPlayerStamina;
    player.base.minDamage = 0;
    player.base.maxDamage = 0;
    player.level = 1;
    player.experience = 0;
    player.RecalculateStats();
    player.stamina = kPlayerStamina;
    player.SetFlags(0);
    SeedRandom(kSeed);
    if (MapNamed("Field")->IsActive()) Find("Field")->Leave();
    ASSERT_EQ(EnterAt("Field", 1, 1), 0);
    ASSERT_EQ(GetCurrentTileMap()->CharacterCount(), 1);
  }

  // One pass of the main loop: the input latched, the game tick, the frame drawn and the messages pumped (where
  // the script moves the clock on by a frame).
  static void Pass() {
    Input::BeginFrame();
    RunGameTick();
    RefreshView();
  }

  // Plays the fight on the field: the keys go through the host to the game's window. The level gain is answered
  // by a click, once the label and the values it shows have been read.
  Outcome Play() {
    Outcome outcome;
    bool done = false;
    auto levelGainShown = [&] {
      auto* gain = OpenDialogs().empty() ? nullptr : dynamic_cast<LevelGainDialog*>(OpenDialogs().back());
      if (gain == nullptr) return false;
      outcome.levelShown = gain->LevelText();
      if (const TileMap* map = GetCurrentTileMap()) {
        outcome.label = PlusLabelOn(*map->TopLayer(), *GetSceneView()->GetFont(kLabelFont));
      }
      return true;
    };
    test_support::InputScript hands({WaitFor(levelGainShown), Click(320, 240), WaitFor([&] { return done; })}, 100000);
    // The foe goes with the map when the game ends: its stamina is read only while the map is there.
    const uint64_t field = GetCurrentTileMap()->Generation();
    const Character* foe = GetCurrentTileMap()->Characters()[0].get();
    int32_t foeStamina = foe->stamina;
    auto standing = [&] { return IsGameInProgress() && PeekCurrentCharacter() != nullptr && foeStamina > 0; };
    auto note = [&] {
      if (IsCurrentMap(field)) {
        foeStamina = foe->stamina;
        outcome.rounds = GetCurrentTileMap()->RoundCounter();
      }
      const Character* player = PeekCurrentCharacter();
      const std::pair<int32_t, int32_t> now{player != nullptr ? player->stamina : 0, foeStamina};
      if (outcome.exchanges.empty() || outcome.exchanges.back() != now) outcome.exchanges.push_back(now);
    };
    auto passWhile = [&](const std::function<bool()>& going, int32_t most) {
      for (int32_t i = 0; i < most && going(); ++i) {
        Pass();
        note();
      }
    };

    // Walking east until the foe notices the player.
    HostTestKey(VK_RIGHT, true);
    passWhile([&] { return standing() && !IsEncounterInProgress(); }, 100);
    HostTestKey(VK_RIGHT, false);
    EXPECT_TRUE(IsEncounterInProgress());
    // Striking until one side falls.
    for (int32_t strike = 0; strike < 100 && standing(); ++strike) {
      HostTestKey('X', true);
      Pass();
      HostTestKey('X', false);
      passWhile(standing, kPassesPerStrike);
    }
    // The passes that follow the fall.
    passWhile([&] { return IsGameInProgress() && PeekCurrentCharacter() != nullptr; }, 5);
    done = true;
    Pass();

    outcome.foeFell = foeStamina <= 0;
    outcome.encounterEnded = !IsEncounterInProgress() && GetCurrentTileMap() != nullptr &&
                             GetCurrentTileMap()->EngagedList().empty();
    outcome.gameEnded = !IsGameInProgress();
    if (const Character* player = PeekCurrentCharacter()) {
      outcome.experience = player->experience;
      outcome.level = player->level;
    }
    return outcome;
  }
};

TEST_F(FightPlayTest, TheFallenFoesExperienceRisesAboveThePlayerAndRaisesItsLevelTheSameWayEveryTime) {
  LoadField("Fox");
  StartFight();
  const Outcome first = Play();
  EXPECT_TRUE(first.foeFell);
  EXPECT_FALSE(first.gameEnded);
  EXPECT_TRUE(first.encounterEnded);
  EXPECT_EQ(first.label, "+12");
  EXPECT_EQ(first.experience, 12);
  EXPECT_EQ(first.level, 2);
  EXPECT_EQ(first.levelShown, "2");
  EXPECT_GE(first.rounds, 2);
  EXPECT_GT(Player().stamina, 0);
  // Blows fell on both sides before the fox did.
  ASSERT_GE(first.exchanges.size(), 3u);
  EXPECT_LT(first.exchanges.back().first, kPlayerStamina);
  EXPECT_EQ(first.exchanges.back().second, 0);

  StartFight();
  const Outcome second = Play();
  EXPECT_EQ(second.exchanges, first.exchanges);
  EXPECT_EQ(second.label, first.label);
  EXPECT_EQ(second.rounds, first.rounds);
  EXPECT_EQ(second.experience, first.experience);
  EXPECT_EQ(second.level, first.level);
}

TEST_F(FightPlayTest, AFoeTooStrongForThePlayerEndsTheGame) {
  LoadField("Bear");
  StartFight();
  const Outcome outcome = Play();
  EXPECT_FALSE(outcome.foeFell);
  EXPECT_TRUE(outcome.gameEnded);
  EXPECT_EQ(outcome.label, "");
  EXPECT_EQ(outcome.levelShown, "");
  EXPECT_EQ(PeekCurrentCharacter(), nullptr);
  EXPECT_EQ(GetCurrentTileMap(), nullptr);
  EXPECT_FALSE(IsEncounterInProgress());
  EXPECT_EQ(Global("gb_hit"), "ended");
  // The bear was wounded before the player fell.
  ASSERT_GE(outcome.exchanges.size(), 2u);
  EXPECT_LT(outcome.exchanges.back().second, kBearStamina);
}

}  // namespace
