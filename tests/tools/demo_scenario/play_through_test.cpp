// The demo played through once as a player plays it, then opened again from its save. The first run goes from the
// title over a new fighter, the trader (the sword and a potion), the pack (the sword put on), the meadow walked by
// clicks on its cells, the fight to the wolf's fall, the gold it leaves and the potion in the grass, to the shrine's
// stones (the end of the tale, kept in the journal, then a rest), and saves with the File menu's Ctrl+S into the
// test's folder. The second run opens that save from the title's button and must find the game as it was saved.
// Input goes only through the host's test seam: clicks at points taken from the loaded hotspots, layouts and map
// cells, keys, typed text and the answers of the file chooser. Each step waits for a state of the game within a
// bound of frames and fails naming its step. A second play goes through the ways in and out of a game: the title's
// and the end screen's "Open a saved game", cancelled again and again, refused and answered, saves that cannot be
// opened over a running game, and a quick tap on the map.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "game/dialogs/inventory_dialog.h"
#include "game/dialogs/screen_layouts.h"
#include "game/dialogs/shop_dialog.h"
#include "game/rules/item_record.h"
#include "game/rules/spell_record.h"
#include "game/shell/data/string_utils.h"
#include "game/shell/saved_game_file.h"
#include "game/world/explored_mask.h"
#include "game/world/location_history.h"
#include "game/world/map_item.h"
#include "game/world/location.h"
#include "game/world/screen_location.h"
#include "tests/tools/demo_scenario/demo_program_fixture.h"
#include "tools/demo_scenario/demo_scenario.h"
#include "tools/scenario_writer/scenario_files.h"

namespace {

using test_support::InputStep;
using namespace test_support::input;

// What a saved game brings back, read from the running game: where the player is, the character, and the story's
// state around it.
struct PlayState {
  std::string location;
  int32_t x = 0, y = 0, facing = 0;
  int32_t stamina = 0, magic = 0, level = 0, experience = 0, gold = 0;
  std::vector<int16_t> base, current;  // the twenty values of each block, the maxima first
  std::vector<std::string> inventory;  // "name charges", " equipped" after an item in a slot
  std::vector<std::string> spells;
  std::vector<std::string> journal;
  std::vector<std::string> globals;  // "name=value" of the story's variables (named "gb_...")
  std::vector<LocationHistoryEntry> history;
  std::vector<ExploredMaskRecord> masks;

  bool operator==(const PlayState&) const = default;
};

PlayState TakePlayState() {
  PlayState state;
  state.location = DemoProgramTest::Here();
  const Character* player = GetCurrentCharacter();
  if (player == nullptr) return state;
  state.x = player->x;
  state.y = player->y;
  state.facing = player->facing;
  state.stamina = player->stamina;
  state.magic = player->magic;
  state.level = player->level;
  state.experience = player->experience;
  state.gold = player->gold;
  for (int32_t value = 0; value < kCharacterValueCount; ++value) {
    state.base.push_back(player->base[static_cast<CharacterValue>(value)]);
    state.current.push_back(player->current[static_cast<CharacterValue>(value)]);
  }
  for (const auto& item : player->inventory) {
    state.inventory.push_back(item->GetName() + " " + std::to_string(item->charges) +
                              (player->IsEquipped(item.get()) ? " equipped" : ""));
  }
  for (const SpellRecord* spell : player->knownSpells) state.spells.push_back(spell->GetName());
  state.journal = player->journal;
  for (int32_t i = 0; i < GetGlobalVariableCount(); ++i) {
    const GlobalVariable* variable = GetGlobalEntryName(i);
    if (variable->name.starts_with("gb_")) state.globals.push_back(variable->name + "=" + variable->value);
  }
  state.history = LocationHistory::Entries();
  state.masks = CaptureExploredMasks();
  return state;
}

std::ostream& operator<<(std::ostream& out, const std::vector<std::string>& texts) {
  for (const std::string& text : texts) out << " [" << text << "]";
  return out;
}

std::ostream& operator<<(std::ostream& out, const std::vector<int16_t>& values) {
  for (int16_t value : values) out << " " << value;
  return out;
}

// A line a field, so that a mismatch shows which.
std::ostream& operator<<(std::ostream& out, const PlayState& state) {
  out << "\n  at " << state.location << " (" << state.x << ", " << state.y << ") facing " << state.facing
      << "\n  stamina " << state.stamina << ", magic " << state.magic << ", level " << state.level << ", experience "
      << state.experience << ", gold " << state.gold << "\n  base" << state.base << "\n  current" << state.current
      << "\n  inventory" << state.inventory << "\n  spells" << state.spells << "\n  journal" << state.journal
      << "\n  globals" << state.globals << "\n  history";
  for (const LocationHistoryEntry& entry : state.history) {
    out << " [" << entry.kind << " " << entry.location << " (" << entry.x << ", " << entry.y << ") " << entry.music
        << "]";
  }
  for (const ExploredMaskRecord& mask : state.masks) {
    out << "\n  mask " << mask.name << " " << mask.width << "x" << mask.height << " identifiers";
    for (int16_t identifier : mask.identifiers) out << " " << identifier;
    out << " bits";
    for (uint8_t byte : mask.bits) out << " " << static_cast<int>(byte);
  }
  return out << "\n";
}

// The potions the player carries.
int32_t Potions() {
  const Character* player = GetCurrentCharacter();
  if (player == nullptr) return 0;
  return static_cast<int32_t>(std::count_if(player->inventory.begin(), player->inventory.end(),
                                            [](const auto& item) { return item->GetName() == "healing potion"; }));
}

// The first object lying on the current map that passes the test; null for none.
const MapItem* FindObject(const std::function<bool(const MapItem&)>& test) {
  const TileMap* map = GetCurrentTileMap();
  if (map == nullptr) return nullptr;
  for (const auto& object : map->Objects()) {
    if (test(*object)) return object.get();
  }
  return nullptr;
}

bool IsGoldPile(const MapItem& object) { return object.kind == kItemKindGoldPile; }
bool IsPotion(const MapItem& object) { return object.GetName() == "healing potion"; }

// The texts of the message boxes the run showed.
std::vector<std::string> BoxesShown() {
  std::vector<std::string> texts;
  for (const HostMessageBoxRecord& box : HostTestMessageBoxes()) texts.push_back(box.text);
  return texts;
}

constexpr const char* kSaveName = "Wren.ksv";

class PlayThroughTest : public DemoProgramTest {
 protected:
  // Walks by clicks on the map to the cell that cell() names (read anew each frame, (-1, -1) while there is none)
  // until arrived() holds.
  InputStep WalkUntil(const std::string& step, std::function<Point()> cell, std::function<bool()> arrived,
                      int32_t bound = 900) {
    auto calls = std::make_shared<int32_t>(0);
    return Reach(
        step,
        [cell = std::move(cell), arrived = std::move(arrived), calls] {
          if (arrived()) return true;
          const Point target = cell();
          if (Quiet() && target.x >= 0) HeadFor(target.x, target.y, calls.get());
          return false;
        },
        bound);
  }

  // The cell of the first object on the map that passes the test; (-1, -1) for none.
  static std::function<Point()> CellOf(bool (*test)(const MapItem&)) {
    return [test] {
      const MapItem* object = FindObject(test);
      Point cell{-1, -1};
      if (object != nullptr) object->GetCell(&cell.x, &cell.y);
      return cell;
    };
  }

  // Clicks in the middle of the screen, where messages close, every twentieth frame while one is open, until
  // done() holds with none open.
  InputStep CloseMessagesUntil(const std::string& step, std::function<bool()> done, int32_t bound = 600) {
    auto frames = std::make_shared<int32_t>(0);
    return Reach(
        step,
        [done = std::move(done), frames] {
          if (!Quiet() && (*frames)++ % 20 == 0) {
            HostTestMouseButton(MainWindowHandle(), 0, true, 320, 240, 1);
            HostTestMouseButton(MainWindowHandle(), 0, false, 320, 240, 1);
          }
          return Quiet() && done();
        },
        bound);
  }
};

TEST_F(PlayThroughTest, TheWholeTaleSavedThenOpenedFromTheTitleComesBackAsItWasSaved) {
  PlayState saved, opened;
  int32_t goldBefore = 0, pileAmount = 0;
  const std::string savePath = temp_.WindowsPath(kSaveName);
  // With the fixture's seed the fighter wins the fight: the test fixes the seed, not the demo's balance.
  std::vector<InputStep> steps = {Reach("the title", [] { return Showing("title"); }),
                                  Wait(4), Frame("title")};
  const std::vector<InputStep> newGame = NewGame("Wren", "human", "fighter");
  steps.insert(steps.end(), newGame.begin(), newGame.end());
  const std::vector<InputStep> tale = {
      Frame("village"),
      // The trader: the sword, and a potion with what is left of the gold.
      ClickHotspot("trader"), Reach("the shop", [] { return Top<ShopDialog>() != nullptr; }), Wait(kListSettles),
      Frame("shop"), ClickRow(ShopDialog::kList, "Sword"), Wait(2), ClickOn(ShopDialog::kTradeButton),
      Reach("the sword bought", [] { return Carries("Sword"); }), Wait(kListSettles),
      ClickRow(ShopDialog::kList, "Healing potion"), Wait(2), ClickOn(ShopDialog::kTradeButton),
      Reach("the potion bought", [] { return Potions() == 2; }), Wait(2), ClickOn(ShopDialog::kLeaveButton),
      Reach("back in the village", [] { return Quiet() && Here() == "village"; }),
      // The sword put on from the pack.
      KeyDown(VK_CONTROL), KeyDown('I'), KeyUp('I'), KeyUp(VK_CONTROL),
      Reach("the pack", [] { return Top<InventoryDialog>() != nullptr; }), Wait(kListSettles),
      ClickRow(InventoryDialog::kList, "sword"), Wait(2), ClickOn(InventoryDialog::kUse),
      Reach("the sword in hand",
            [] {
              const ItemRecord* weapon = GetCurrentCharacter()->equipment[1];
              return weapon != nullptr && weapon->GetName() == "sword";
            }),
      ClickOn(InventoryDialog::kClose), Reach("the pack closed", Quiet),
      // The road east to the meadow, then along its road by clicks on its cells, to the wolf and at it until it
      // falls.
      ClickHotspot("meadow gate"), Reach("the meadow", [] { return Quiet() && Here() == "meadow"; }), Wait(6),
      WalkUntil("along the road", [] { return Point{6, StonesCell().y}; },
                [] { return GetCurrentCharacter()->x == 6 && Quiet(); }),
      WalkUntil(
          "the fight",
          [] {
            const Character* wolf = Wolf();
            return wolf != nullptr ? Point{wolf->x, wolf->y} : Point{-1, -1};
          },
          [] {
            const Character* wolf = Wolf();
            const Character* player = GetCurrentCharacter();
            return wolf == nullptr || (std::abs(wolf->x - player->x) <= 1 && std::abs(wolf->y - player->y) <= 1);
          },
          3000),
      Wait(3), Frame("fight"),
      WalkUntil(
          "the wolf's fall",
          [] {
            const Character* wolf = Wolf();
            return wolf != nullptr ? Point{wolf->x, wolf->y} : Point{-1, -1};
          },
          [] { return Global("gb_wolf") == "1"; }, 3000),
      // Its message and the level it was worth.
      CloseMessagesUntil("the level gained", [] { return GetCurrentCharacter()->level == 2; }),
      // The gold it left, and the potion in the grass, each clicked on.
      Do([&] {
        goldBefore = GetCurrentCharacter()->gold;
        const MapItem* pile = FindObject(IsGoldPile);
        pileAmount = pile != nullptr ? PileAmount(*pile) : 0;
      }),
      WalkUntil("the gold taken", CellOf(IsGoldPile), [] { return FindObject(IsGoldPile) == nullptr && Quiet(); }),
      WalkUntil("the potion taken", CellOf(IsPotion), [] { return FindObject(IsPotion) == nullptr && Quiet(); }),
      // The shrine's stones: the end of the tale, kept in the journal.
      WalkUntil("the tale", StonesCell, [] { return MessageShown().find("tale ends") != std::string::npos; }),
      Wait(4), ClickOn(MessageDialog::kJournalButton),
      Reach("the tale in the journal", [] { return !GetCurrentCharacter()->journal.empty(); }), ClickOn(3),
      Reach("the tale read", Quiet),
      // Off the stones and on them again: after the end the shrine still offers a rest.
      WalkUntil("off the stones", [] { return Point{StonesCell().x - 1, StonesCell().y}; },
                [] { return GetCurrentCharacter()->x == StonesCell().x - 1 && Quiet(); }),
      WalkUntil("the shrine", StonesCell, [] { return MessageShown().find("rest a while") != std::string::npos; }),
      Wait(4), Frame("shrine"), ClickOn(1), Reach("the rest", [] { return MessageShown().find("You rest") != std::string::npos; }),
      Wait(4), Click(320, 240), Reach("the rest over", [] { return Quiet() && Here() == "meadow"; }),
      // Saved with Ctrl+S into the test's folder.
      Do([&] { HostTestAnswerFileChooser(savePath.c_str()); }), KeyDown(VK_CONTROL), KeyDown('S'), KeyUp('S'),
      KeyUp(VK_CONTROL), Reach("the save", [&] { return Quiet() && temp_.Exists(kSaveName); }),
      Do([&] { saved = TakePlayState(); })};
  steps.insert(steps.end(), tale.begin(), tale.end());
  ASSERT_EQ(Play(std::move(steps)), 0);
  ASSERT_EQ(FailedStep(), "") << "the play stopped at this step";
  EXPECT_EQ(BoxesShown(), std::vector<std::string>{});
  // The play went as the tale goes.
  EXPECT_EQ(saved.location, "meadow");
  EXPECT_EQ(saved.level, 2);
  EXPECT_GT(pileAmount, 0);
  EXPECT_EQ(saved.gold, goldBefore + pileAmount);
  EXPECT_EQ(saved.inventory, (std::vector<std::string>{"healing potion -1", "sword -1 equipped", "healing potion -1",
                                                        "healing potion -1"}));
  EXPECT_EQ(saved.stamina, saved.current[kValueMaxStamina]);
  EXPECT_EQ(saved.globals, (std::vector<std::string>{"gb_wolf=1", "gb_told=1", "gb_class=fighter"}));
  EXPECT_EQ(saved.journal.size(), 1u);
  ASSERT_EQ(saved.masks.size(), 1u);
  EXPECT_EQ(saved.masks[0].identifiers, std::vector<int16_t>{1});  // the potion taken from the grass

  // The second run: what it finds comes from the save alone, not from the first run's game.
  bool fresh = false, potionBack = true, wolfBack = true;
  steps = {Reach("the title again", [] { return Showing("title"); }),
           Do([&] { fresh = !IsGameInProgress() && Global("gb_wolf").empty() && ExploredMaskCount() == 0; }),
           Do([&] { HostTestAnswerFileChooser(savePath.c_str()); }), Wait(4), ClickHotspot("open a saved game"),
           Reach("the saved game", [] { return IsGameInProgress() && Quiet() && Here() == "meadow"; }),
           Do([&] {
             opened = TakePlayState();
             potionBack = FindObject(IsPotion) != nullptr;
             wolfBack = Wolf() != nullptr;
           })};
  ASSERT_EQ(Play(std::move(steps)), 0);
  ASSERT_EQ(FailedStep(), "") << "the second run stopped at this step";
  EXPECT_TRUE(fresh);
  EXPECT_EQ(BoxesShown(), std::vector<std::string>{});
  EXPECT_EQ(HostTestFileChoosers().size(), 1u);
  // The map is read anew: the potion taken stays taken, and the wolf stays dead.
  EXPECT_FALSE(potionBack);
  EXPECT_FALSE(wolfBack);
  // A save holds no facing: the map entered again faces the player up, as entering a map does other than over one
  // of its edges.
  PlayState expected = saved;
  expected.facing = 1;
  EXPECT_EQ(opened, expected);
}

// The ways in and out of a game, played as a player plays them: the title's "Open a saved game" cancelled thirty
// times and then given a file that is no save (the title comes back each time); a new game, saved; saves whose
// place cannot be gone back to, opened with Ctrl+O over the running game (it stays, and the message says why); a
// tap on a map cell, press and release within one frame, that walks; the player's fall, whose end screen's "Open a
// saved game" is cancelled thirty times (the end screen comes back each time) and then opens the save; and Ctrl+E,
// whose end screen opens it too.
TEST_F(PlayThroughTest, TheTitleAndTheEndScreenOpenSavedGamesAndComeBackWhenNoneOpens) {
  const std::string savePath = temp_.WindowsPath(kSaveName);
  temp_.WriteFile("notes.ksv", "These are no saved game.");
  const std::string notASave = temp_.WindowsPath("notes.ksv");
  // The saves whose last place is a location the demo lacks, one without a name, a name reaching out of the data,
  // and none: made from the game saved in the run.
  const std::vector<std::pair<std::string, std::vector<LocationHistoryEntry>>> placesLost = {
      {"nowhere.ksv", {{10, 1, 1, 0, "Nowhere", ""}}},
      {"unnamed.ksv", {{4, 0, 0, 0, "", ""}}},
      {"outside.ksv", {{2, 0, 0, 0, "../village", ""}}},
      {"nohistory.ksv", {}}};
  // Each screen comes back after this many cancelled opens in a row, far more than any player makes.
  constexpr size_t kCancels = 30;
  bool savesMade = false;
  std::vector<std::string> keptAfter;  // "<save>: <place> <name> <in progress>" after each hostile open
  int32_t tapFrom = -1, tapped = -1;
  const auto choosers = [](size_t count) { return [count] { return HostTestFileChoosers().size() == count; }; };
  const auto openedSave = [] {
    return Quiet() && IsGameInProgress() && Here() == "village" && GetCurrentCharacter()->GetName() == "Wren";
  };
  // The screen's open cancelled again and again, from `before` choosers on: the screen is back after each.
  const auto cancelled = [=, this](const std::string& screen, size_t before) {
    std::vector<InputStep> cancels;
    for (size_t i = 1; i <= kCancels; ++i) {
      const std::vector<InputStep> once = {
          Wait(4), Do([] { HostTestAnswerFileChooser(nullptr); }), ClickHotspot("open a saved game"),
          Reach(screen + " after cancel " + std::to_string(i),
                [=] { return choosers(before + i)() && Showing(screen) && !IsGameInProgress(); })};
      cancels.insert(cancels.end(), once.begin(), once.end());
    }
    return cancels;
  };

  // The title's open, cancelled again and again, then given a file that is no save: the title again each time.
  std::vector<InputStep> steps = {Reach("the title", [] { return Showing("title"); })};
  const std::vector<InputStep> titleCancels = cancelled("title", 0);
  steps.insert(steps.end(), titleCancels.begin(), titleCancels.end());
  const std::vector<InputStep> refused = {
      Wait(4), Do([&] { HostTestAnswerFileChooser(notASave.c_str()); }), ClickHotspot("open a saved game"),
      Reach("the title after a refusal", [=] {
        return choosers(kCancels + 1)() && Showing("title") && !IsGameInProgress() &&
               HostTestMessageBoxes().size() == 1;
      })};
  steps.insert(steps.end(), refused.begin(), refused.end());
  const std::vector<InputStep> newGame = NewGame("Wren", "human", "fighter");
  steps.insert(steps.end(), newGame.begin(), newGame.end());
  const std::vector<InputStep> play = {
      // Saved in the village; the saves that cannot be gone back to are made from it.
      Do([&] { HostTestAnswerFileChooser(savePath.c_str()); }), KeyDown(VK_CONTROL), KeyDown('S'), KeyUp('S'),
      KeyUp(VK_CONTROL), Reach("the save", [&] { return Quiet() && temp_.Exists(kSaveName); }), Do([&] {
        const std::string bytes = temp_.ReadFile(kSaveName);
        SavedGame game;
        if (ParseSavedGame(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), "Demo", &game) !=
            SavedGameError::kNone) {
          return;
        }
        for (const auto& [file, history] : placesLost) {
          game.history = history;
          std::vector<uint8_t> lost;
          if (BuildSavedGameFile(game, "Demo", DrawSavedGameKey(), &lost) != SavedGameError::kNone) return;
          temp_.WriteFile(file, std::string(lost.begin(), lost.end()));
        }
        savesMade = true;
      })};
  steps.insert(steps.end(), play.begin(), play.end());
  // Each opened with Ctrl+O over the running game.
  for (size_t i = 0; i < placesLost.size(); ++i) {
    const std::string file = placesLost[i].first;
    const size_t boxes = 2 + i;
    const std::vector<InputStep> open = {
        Do([this, file] { HostTestAnswerFileChooser(temp_.WindowsPath(file).c_str()); }), KeyDown(VK_CONTROL),
        KeyDown('O'), KeyUp('O'), KeyUp(VK_CONTROL),
        Reach("the refusal of " + file, [boxes] { return HostTestMessageBoxes().size() == boxes && Quiet(); }),
        Wait(2), Do([&keptAfter, file] {
          keptAfter.push_back(file + ": " + Here() + " " + GetCurrentCharacter()->GetName() + " " +
                              (IsGameInProgress() ? "playing" : "ended"));
        })};
    steps.insert(steps.end(), open.begin(), open.end());
  }
  const std::vector<InputStep> ends = {
      // The meadow, and a tap on a cell of its road, three cells on: the press and the release in one frame.
      ClickHotspot("meadow gate"), Reach("the meadow", [] { return Quiet() && Here() == "meadow"; }), Wait(6),
      Do([&] {
        tapFrom = GetCurrentCharacter()->x;
        PressCell(tapFrom + 3, GetCurrentCharacter()->y, true);
        PressCell(tapFrom + 3, GetCurrentCharacter()->y, false);
      }),
      Reach("the tap walked", [&] { return GetCurrentCharacter()->x == tapFrom + 3; }, 300),
      Do([&] { tapped = GetCurrentCharacter()->x - tapFrom; }),
      // The fall, and the end screen that tells of it.
      Do([] { GetCurrentCharacter()->stamina = 0; }),
      Reach("the end", [] { return Showing("fallen") && !IsGameInProgress(); })};
  steps.insert(steps.end(), ends.begin(), ends.end());
  // Its open cancelled again and again brings it back each time; then it opens the save.
  const std::vector<InputStep> endCancels = cancelled("fallen", kCancels + 6);
  steps.insert(steps.end(), endCancels.begin(), endCancels.end());
  const std::vector<InputStep> reopened = {
      Wait(4), Do([&] { HostTestAnswerFileChooser(savePath.c_str()); }), ClickHotspot("open a saved game"),
      Reach("the save opened from the end", openedSave), Wait(4),
      // Ctrl+E ends the game with the plain end screen, and it opens the save too.
      KeyDown(VK_CONTROL), KeyDown('E'), KeyUp('E'), KeyUp(VK_CONTROL),
      Reach("the end of Ctrl+E", [] { return Showing("end") && !IsGameInProgress(); }), Wait(4), Frame("end"),
      Do([&] { HostTestAnswerFileChooser(savePath.c_str()); }), ClickHotspot("open a saved game"),
      Reach("the save opened after Ctrl+E", [=] { return choosers(2 * kCancels + 8)() && openedSave(); })};
  steps.insert(steps.end(), reopened.begin(), reopened.end());
  const int code = Play(std::move(steps));
  ASSERT_EQ(FailedStep(), "") << "the play stopped at this step";
  ASSERT_EQ(code, 0);
  EXPECT_TRUE(savesMade);
  const std::string impossible = "Impossible to load this saved game.";
  EXPECT_EQ(BoxesShown(), (std::vector<std::string>{"This file is not a saved game of a known format.", impossible,
                                                     impossible, impossible, impossible}));
  EXPECT_EQ(keptAfter, (std::vector<std::string>{"nowhere.ksv: village Wren playing", "unnamed.ksv: village Wren playing",
                                                  "outside.ksv: village Wren playing",
                                                  "nohistory.ksv: village Wren playing"}));
  EXPECT_EQ(tapped, 3);
}

// A save whose place is a map of the demo that cannot be read (its file is missing from this copy of the data):
// opened with Ctrl+O over the running game, it is refused and told, and the game stays as it was, so that a save
// made after it records the village; opened from the end screen after Ctrl+E, it is refused and told too.
TEST_F(PlayThroughTest, ASaveWhoseMapIsMissingFromTheDataIsRefusedAndTheGameStays) {
  // The demo's data again, without the meadow's map file.
  const demo_scenario::DemoScenario demo = demo_scenario::MakeDemoScenario();
  scenario_writer::ScenarioFiles data;
  for (const std::string& folder : demo.data.Folders()) data.AddFolder(folder);
  for (const auto& [path, bytes] : demo.data.Files()) {
    std::string lowered = path;
    ToLowerInPlace(lowered);
    if (lowered != "maps/meadow.cma") data.Add(path, bytes);
  }
  ASSERT_EQ(data.Files().size() + 1, demo.data.Files().size());
  std::string error;
  ASSERT_TRUE(data.WriteArchive(temp_.PosixPath("Data/Data001.dat"), &error)) << error;

  const std::string savePath = temp_.WindowsPath(kSaveName);
  const std::string lostPath = temp_.WindowsPath("meadow.ksv");
  const std::string afterPath = temp_.WindowsPath("after.ksv");
  bool lostMade = false;
  std::string kept;                // "<place> <name> <gold> <playing or ended>" after the refusal over the game
  int32_t goldBefore = -1;
  std::string savedAfter;          // the last place of the save made after the refusal
  const auto boxes = [](size_t count) { return [count] { return HostTestMessageBoxes().size() == count; }; };
  const auto saveWith = [this](const std::string& path) {
    return std::vector<InputStep>{Do([path] { HostTestAnswerFileChooser(path.c_str()); }), KeyDown(VK_CONTROL),
                                  KeyDown('S'), KeyUp('S'), KeyUp(VK_CONTROL)};
  };
  std::vector<InputStep> steps = NewGame("Wren", "human", "fighter");
  const std::vector<InputStep> saved = saveWith(savePath);
  steps.insert(steps.end(), saved.begin(), saved.end());
  const std::vector<InputStep> lost = {
      Reach("the save", [&] { return Quiet() && temp_.Exists(kSaveName); }), Do([&] {
        // The same game with another name and purse, saved on the meadow.
        const std::string bytes = temp_.ReadFile(kSaveName);
        SavedGame game;
        if (ParseSavedGame(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), "Demo", &game) !=
            SavedGameError::kNone) {
          return;
        }
        game.character.name = "Lost";
        game.character.gold = 999;
        game.history = {{kLocationKindMap, 3, 3, 0, "meadow", ""}};
        std::vector<uint8_t> file;
        if (BuildSavedGameFile(game, "Demo", DrawSavedGameKey(), &file) != SavedGameError::kNone) return;
        temp_.WriteFile("meadow.ksv", std::string(file.begin(), file.end()));
        goldBefore = GetCurrentCharacter()->gold;
        lostMade = true;
      }),
      // Over the running game.
      Do([&] { HostTestAnswerFileChooser(lostPath.c_str()); }), KeyDown(VK_CONTROL), KeyDown('O'), KeyUp('O'),
      KeyUp(VK_CONTROL), Reach("the refusal over the game", [=] { return boxes(1)() && Quiet(); }), Wait(2),
      Do([&] {
        kept = Here() + " " + GetCurrentCharacter()->GetName() + " " + std::to_string(GetCurrentCharacter()->gold) +
               " " + (IsGameInProgress() ? "playing" : "ended");
      })};
  steps.insert(steps.end(), lost.begin(), lost.end());
  const std::vector<InputStep> after = saveWith(afterPath);
  steps.insert(steps.end(), after.begin(), after.end());
  const std::vector<InputStep> ends = {
      Reach("the save after the refusal", [&] { return Quiet() && temp_.Exists("after.ksv"); }), Do([&] {
        const std::string bytes = temp_.ReadFile("after.ksv");
        SavedGame game;
        if (ParseSavedGame(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), "Demo", &game) ==
                SavedGameError::kNone &&
            !game.history.empty()) {
          savedAfter = game.history.back().location;
        }
      }),
      // From the end screen.
      KeyDown(VK_CONTROL), KeyDown('E'), KeyUp('E'), KeyUp(VK_CONTROL),
      Reach("the end of Ctrl+E", [] { return Showing("end") && !IsGameInProgress(); }), Wait(4),
      Do([&] { HostTestAnswerFileChooser(lostPath.c_str()); }), ClickHotspot("open a saved game"),
      Reach("the refusal at the end", [=] { return boxes(2)() && Showing("end") && !IsGameInProgress(); })};
  steps.insert(steps.end(), ends.begin(), ends.end());
  const int code = Play(std::move(steps));
  ASSERT_EQ(FailedStep(), "") << "the play stopped at this step";
  ASSERT_EQ(code, 0);
  EXPECT_TRUE(lostMade);
  EXPECT_EQ(kept, "village Wren " + std::to_string(goldBefore) + " playing");
  EXPECT_EQ(savedAfter, "village");
  const std::string impossible = "Impossible to load this saved game.";
  EXPECT_EQ(BoxesShown(), (std::vector<std::string>{impossible, impossible}));
}

}  // namespace

// The demo in a window made larger on the screen (maximised: the picture twice as large and centred), played by
// clicks alone: the trader's door on the village's still screen, the pack button of the status panel, and a cell
// of the meadow's map each take their click, as they do in the window at its own size.
TEST_F(PlayThroughTest, AWindowMadeLargerTakesClicksOnAHotspotAPanelButtonAndAMapCell) {
  int32_t walkFrom = -1, walked = -1;
  // The pack's button on the still screens' status panel: the centre of its element.
  const auto clickPackButton = [] {
    return WaitFor([] {
      const Layout* panel = GetLayout(16);
      const LayoutElement* button = panel != nullptr ? panel->GetElement(30) : nullptr;
      if (button == nullptr) {
        ADD_FAILURE() << "no pack button on the still screens' panel";
        return true;
      }
      const Bounds rect = button->GetRect();
      HostTestMouseButton(MainWindowHandle(), 0, true, rect.x + rect.width / 2, rect.y + rect.height / 2, 1);
      HostTestMouseButton(MainWindowHandle(), 0, false, rect.x + rect.width / 2, rect.y + rect.height / 2, 1);
      return true;
    });
  };
  std::vector<InputStep> steps = {
      Reach("the title", [] { return Showing("title"); }),
      Do([] { HostTestResizeOnScreen(MainWindowHandle(), 1920, 1080); }), Wait(2),
      Do([] {
        HostWindowOutput output;
        if (!HostTestWindowOutput(MainWindowHandle(), &output) ||
            output.picture.right - output.picture.left < 2 * 640) {
          ADD_FAILURE() << "the window's picture is not shown twice as large";
        }
      })};
  const std::vector<InputStep> newGame = NewGame("Wren", "human", "fighter");
  steps.insert(steps.end(), newGame.begin(), newGame.end());
  const std::vector<InputStep> clicks = {
      ClickHotspot("trader"), Reach("the trader's door", [] { return Top<ShopDialog>() != nullptr; }),
      Wait(kListSettles), ClickOn(ShopDialog::kLeaveButton),
      Reach("back from the trader", [] { return Quiet() && Here() == "village"; }), Wait(4), clickPackButton(),
      Reach("the pack button", [] { return Top<InventoryDialog>() != nullptr; }), Wait(kListSettles),
      ClickOn(InventoryDialog::kClose), Reach("the pack closed", Quiet), ClickHotspot("meadow gate"),
      Reach("the meadow", [] { return Quiet() && Here() == "meadow"; }), Wait(6), Do([&] {
        walkFrom = GetCurrentCharacter()->x;
        PressCell(walkFrom + 2, GetCurrentCharacter()->y, true);
      }),
      Wait(2), Do([&] { PressCell(walkFrom + 2, GetCurrentCharacter()->y, false); }),
      Reach("the map cell", [&] { return GetCurrentCharacter()->x == walkFrom + 2; }, 300),
      Do([&] { walked = GetCurrentCharacter()->x - walkFrom; })};
  steps.insert(steps.end(), clicks.begin(), clicks.end());
  const int code = Play(std::move(steps));
  ASSERT_EQ(FailedStep(), "") << "the play stopped at this step";
  ASSERT_EQ(code, 0);
  EXPECT_EQ(walked, 2);
}
