// The demo played through the whole program, in-process and headless, on the manual clock with fixed seeds, from the
// title (its theme and the ten slot sounds) and its "New game" on: the trader's shop and the well's words kept in the
// journal; the whole tale, a fighter who buys the sword, slays the wolf of the meadow and hears the end at the shrine;
// the road east to the meadow and its west edge back; the shrine, which offers rest until the wolf has fallen, then
// tells the end of the tale once with the offer of a new game, a saved game or playing on, and then speaks as after the
// end; the tale's new game and saved game, which follow at once; and the player's fall, which ends the game with the
// offer of a new one. Each step waits for a state of the game within a bound of frames and fails naming its step.
// Frames of the places are written into "demo_frames/" of the working folder for a look by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "game/dialogs/shop_dialog.h"
#include "game/rules/character.h"
#include "game/rules/class_race_records.h"
#include "game/rules/game_state.h"
#include "game/rules/item_record.h"
#include "game/rules/script_event.h"
#include "game/shell/data/string_utils.h"
#include "game/shell/record_lists.h"
#include "game/shell/media/music_player.h"
#include "game/shell/media/sound_effects.h"
#include "game/world/scene_view.h"
#include "game/world/tile_map.h"
#include "tests/tools/demo_scenario/demo_program_fixture.h"

namespace {

using test_support::InputStep;
using namespace test_support::input;

std::string ShopText(int32_t control) {
  const ShopDialog* shop = DemoProgramTest::Top<ShopDialog>();
  const auto* text = shop != nullptr ? shop->GetControlAs<StaticTextControl>(control) : nullptr;
  return text != nullptr ? text->GetText() : "";
}

// Where the village's picture leads: the trader's house, the well and the road east.
constexpr int32_t kTraderX = 480, kTraderY = 260;
constexpr int32_t kWellX = 200, kWellY = 280;
constexpr int32_t kRoadEastX = 600, kRoadEastY = 240;

class DemoPlayTest : public DemoProgramTest {
 protected:
  // From the village over the road east onto the meadow.
  std::vector<InputStep> ToTheMeadow() {
    return {Click(kRoadEastX, kRoadEastY), Reach("the meadow", [] { return Quiet() && Here() == "meadow"; }),
            Wait(6)};
  }
  // The player stops on the shrine's stones at the meadow's east end: their event.
  InputStep ToTheStones() { return Open([] { CallEventName("ShrineStones"); }); }
  // A message that a script shows, closed by a click once it has been read.
  std::vector<InputStep> Read(const std::string& step, const std::string& words, std::string* shown = nullptr) {
    return {Reach(step, [words] { return MessageShown().find(words) != std::string::npos; }), Wait(4),
            Do([shown] {
              if (shown != nullptr) *shown = MessageShown();
            }),
            Click(320, 240), Reach(step + " read", Quiet)};
  }
};

std::vector<InputStep> Join(std::initializer_list<std::vector<InputStep>> parts) {
  std::vector<InputStep> steps;
  for (const auto& part : parts) steps.insert(steps.end(), part.begin(), part.end());
  return steps;
}

TEST_F(DemoPlayTest, ANewFighterBuysTheSwordAndKeepsTheWellsWordsInTheJournal) {
  struct Seen {
    std::vector<std::string> goods;
    std::string music, race, className, goldBefore, goldAfter, journal, wellText;
    std::vector<int> silentSlots;
    int32_t stamina = 0, level = 0;
    bool potion = false, armour = false;
  } seen;
  std::vector<InputStep> steps = Join({
      // The title plays the theme, and the ten slots have their sounds.
      {Reach("the theme", [] { return !CurrentMusicName().empty(); }), Do([&] {
         seen.music = CurrentMusicName();
         for (int slot = 0; slot < kSoundSlotCount; ++slot) {
           if (SoundSlotEffect(slot) == nullptr) seen.silentSlots.push_back(slot);
         }
       })},
      NewGame("Wren", "human", "fighter"),
      {Frame("village"), Do([&] {
         const Character* player = GetCurrentCharacter();
         seen.race = player->GetRace() != nullptr ? player->GetRace()->GetName() : "";
         seen.className = player->GetClass() != nullptr ? player->GetClass()->GetName() : "";
         seen.potion = Carries("Healing potion");
         seen.stamina = player->stamina;
         seen.level = player->level;
       })},
      // The trader's house.
      {Click(kTraderX, kTraderY), Reach("shop", [] { return Top<ShopDialog>() != nullptr; }), Wait(4), Frame("shop"),
       Do([&] {
         const auto* list = Top<ShopDialog>()->GetControlAs<ListControl>(ShopDialog::kList);
         for (int32_t i = 0; list != nullptr && i < list->GetRowCount(); ++i) seen.goods.push_back(list->GetRow(i).text);
         seen.goldBefore = ShopText(ShopDialog::kGoldText);
       }),
       Wait(kListSettles), ClickRow(ShopDialog::kList, "Sword"), Wait(2), ClickOn(ShopDialog::kTradeButton),
       Reach("the sword bought", [] { return Carries("Sword"); }),
       Do([&] { seen.goldAfter = ShopText(ShopDialog::kGoldText); })},
      // The armour costs more than is left: the trader says so.
      {Wait(kListSettles), ClickRow(ShopDialog::kList, "Leather armour"), Wait(2), ClickOn(ShopDialog::kTradeButton),
       Reach("the armour refused", [] { return TopLayout() == 1; }), Wait(2), Click(320, 240),
       Reach("back in the shop", [] { return Top<ShopDialog>() != nullptr; }), Wait(2),
       ClickOn(ShopDialog::kLeaveButton), Reach("back in the village", [] { return Quiet() && Here() == "village"; }),
       Do([&] { seen.armour = Carries("Leather armour"); })},
      // The pack, from the first map button of the panel.
      {Wait(4), Click(476, 448), Reach("the pack", [] { return TopLayout() == 3; }), Wait(4), ClickOn(2),
       Reach("the pack closed", Quiet)},
      // The well: its message goes into the journal from the message's corner.
      {Wait(4), Click(kWellX, kWellY),
       Reach("the well", [] { return MessageShown().find("wolf") != std::string::npos; }), Wait(4), Frame("well"),
       Do([&] { seen.wellText = MessageShown(); }), ClickOn(MessageDialog::kJournalButton),
       Reach("the journal entry", [] { return !GetCurrentCharacter()->journal.empty(); }),
       Do([&] { seen.journal = GetCurrentCharacter()->journal.front(); }), Click(320, 240),
       Reach("the well left", [] { return Quiet() && Here() == "village"; })},
  });
  EXPECT_EQ(Play(std::move(steps)), 0);
  EXPECT_EQ(FailedStep(), "") << "the walk stopped at this step";
  EXPECT_NE(seen.music.find("Theme"), std::string::npos) << seen.music;
  EXPECT_EQ(seen.silentSlots, std::vector<int>{});
  EXPECT_EQ(seen.race, "human");
  EXPECT_EQ(seen.className, "fighter");
  EXPECT_TRUE(seen.potion);
  EXPECT_GT(seen.stamina, 0);
  EXPECT_EQ(seen.level, 1);
  // The goods in the order of an inventory: the potion, the weapon, the armour.
  EXPECT_EQ(seen.goods, (std::vector<std::string>{"Healing potion", "Sword", "Leather armour"}));
  EXPECT_EQ(seen.goldBefore, "30");
  EXPECT_EQ(seen.goldAfter, "10");
  EXPECT_FALSE(seen.armour);
  EXPECT_EQ(seen.journal, seen.wellText);
}

TEST_F(DemoPlayTest, AFighterWithTheSwordSlaysTheWolfAndTheShrineTellsTheEnd) {
  struct Seen {
    int32_t level = 0, stamina = 0;
    std::string wolf, told;
  } seen;
  auto mapCalls = std::make_shared<int32_t>(0);
  std::vector<InputStep> steps = Join({
      NewGame("Wren", "human", "fighter"),
      // The sword bought and put on from the pack.
      {Click(kTraderX, kTraderY), Reach("shop", [] { return Top<ShopDialog>() != nullptr; }), Wait(kListSettles),
       ClickRow(ShopDialog::kList, "Sword"), Wait(2), ClickOn(ShopDialog::kTradeButton),
       Reach("the sword bought", [] { return Carries("Sword"); }), Wait(2), ClickOn(ShopDialog::kLeaveButton),
       Reach("back in the village", [] { return Quiet() && Here() == "village"; }), KeyDown(VK_CONTROL), KeyDown('I'),
       KeyUp('I'), KeyUp(VK_CONTROL), Reach("the pack", [] { return TopLayout() == 3; }), Wait(kListSettles),
       ClickRow(1, "sword"), Wait(2), ClickOn(4),
       Reach("the sword in hand", [] {
         const Character* player = GetCurrentCharacter();
         return player->equipment[1] != nullptr && player->equipment[1]->GetName() == "sword";
       }),
       ClickOn(2), Reach("the pack closed", Quiet)},
      ToTheMeadow(),
      // At the wolf, again and again, until it falls.
      {Reach("the wolf's fall",
             [mapCalls] {
               if (Global("gb_wolf") == "1") return true;
               const Character* wolf = Wolf();
               if (Quiet() && wolf != nullptr) HeadFor(wolf->x, wolf->y, mapCalls.get());
               return false;
             },
             3000),
       Frame("wolf_falls"), Do([&] { seen.stamina = GetCurrentCharacter()->stamina; })},
      // Its message and the level it was worth, whichever comes first.
      {Reach("the level gained",
             [mapCalls] {
               if (!Quiet() && (*mapCalls)++ % 20 == 0) {
                 HostTestMouseButton(MainWindowHandle(), 0, true, 320, 240, 1);
                 HostTestMouseButton(MainWindowHandle(), 0, false, 320, 240, 1);
               }
               return Quiet() && GetCurrentCharacter()->level == 2;
             },
             600),
       Do([&] {
         seen.level = GetCurrentCharacter()->level;
         seen.wolf = Global("gb_wolf");
       })},
      // Along the road to the shrine's stones at its east end.
      {Reach("the tale",
             [mapCalls] {
               if (Quiet()) HeadFor(StonesCell().x, StonesCell().y, mapCalls.get());
               return MessageShown().find("tale ends") != std::string::npos;
             },
             900),
       Wait(4), Frame("tale"), ClickOn(3), Reach("the tale read", Quiet), Do([&] { seen.told = Global("gb_told"); })},
  });
  EXPECT_EQ(Play(std::move(steps)), 0);
  EXPECT_EQ(FailedStep(), "") << "the walk stopped at this step";
  EXPECT_GT(seen.stamina, 0);
  EXPECT_EQ(seen.level, 2);
  EXPECT_EQ(seen.wolf, "1");
  EXPECT_EQ(seen.told, "1");
}

TEST_F(DemoPlayTest, ANewMageKnowsItsFirstSpellAndTheRoadEastLeadsToTheMeadowAndBack) {
  bool knowsSpark = false;
  std::vector<InputStep> steps = Join({
      NewGame("Wren", "elf", "mage"),
      {Do([&] { knowsSpark = GetCurrentCharacter()->KnowsSpell(FindSpellByName("Spark")); })},
      ToTheMeadow(),
      {Frame("meadow"), KeyDown(VK_LEFT),
       Reach("back in the village", [] { return Quiet() && Here() == "village"; }, 300), KeyUp(VK_LEFT)},
  });
  EXPECT_EQ(Play(std::move(steps)), 0);
  EXPECT_EQ(FailedStep(), "") << "the walk stopped at this step";
  EXPECT_TRUE(knowsSpark);
}

TEST_F(DemoPlayTest, TheShrineOffersRestUntilTheWolfFallsThenTellsTheEndOnce) {
  struct Seen {
    int32_t stamina = 0, maxStamina = 0, magic = 0, maxMagic = 0;
    bool stonesAtTheEastEdge = false;
    std::string before, wolf, told, tale, afterTale;
    std::vector<std::string> taleChoices;
  } seen;
  std::vector<InputStep> steps = Join({
      NewGame("Wren", "elf", "mage"),
      ToTheMeadow(),
      {Do([&] {
         Character* player = GetCurrentCharacter();
         player->stamina = 1;
         player->magic = 0;
         seen.stonesAtTheEastEdge = StonesCell().x == GetCurrentTileMap()->Width() - 1;
       }),
       ToTheStones(), Reach("the shrine", [] { return MessageShown().find("shrine") != std::string::npos; }),
       Wait(4), Frame("shrine"), Do([&] { seen.before = MessageShown(); }), ClickOn(1)},
      Read("the rest", "You rest"),
      {Do([&] {
        const Character* player = GetCurrentCharacter();
        seen.stamina = player->stamina;
        seen.maxStamina = player->current.maxStamina;
        seen.magic = player->magic;
        seen.maxMagic = player->current.maxMagic;
      })},
      // The wolf's fall, as the meadow's fights will bring it.
      {Open([] { CallEventName("WolfFalls"); })},
      Read("the wolf's fall", "wolf falls"),
      {Do([&] { seen.wolf = Global("gb_wolf"); }), ToTheStones(),
       Reach("the tale", [] { return MessageShown().find("tale ends") != std::string::npos; }), Wait(4),
       Frame("ending"), Do([&] {
         seen.tale = MessageShown();
         for (int32_t choice = 1; choice <= MessageDialog::kChoiceCount; ++choice) {
           seen.taleChoices.push_back(Top<MessageDialog>()->ChoiceCaption(choice));
         }
       }),
       // Its third choice plays on.
       ClickOn(3), Reach("the tale read", [] { return Quiet() && IsGameInProgress() && Here() == "meadow"; }),
       Do([&] { seen.told = Global("gb_told"); })},
      // Told once: the shrine speaks as after the end, still offering rest, and leaving keeps the player on the
      // meadow.
      {ToTheStones(), Reach("the shrine again", [] { return TopLayout() == 1; }), Wait(4), Frame("shrine_after"),
       Do([&] { seen.afterTale = MessageShown(); }), ClickOn(2),
       Reach("the shrine left", [] { return Quiet() && Here() == "meadow"; })},
  });
  EXPECT_EQ(Play(std::move(steps)), 0);
  EXPECT_EQ(FailedStep(), "") << "the walk stopped at this step";
  EXPECT_GT(seen.maxStamina, 1);
  EXPECT_EQ(seen.stamina, seen.maxStamina);
  EXPECT_EQ(seen.magic, seen.maxMagic);
  EXPECT_EQ(seen.wolf, "1");
  EXPECT_EQ(seen.told, "1");
  // The tale names the way the map shows: the stones lie at the meadow's east edge.
  EXPECT_TRUE(seen.stonesAtTheEastEdge);
  EXPECT_NE(seen.tale.find("east"), std::string::npos) << seen.tale;
  EXPECT_EQ(seen.tale.find("north"), std::string::npos) << seen.tale;
  ASSERT_EQ(seen.taleChoices.size(), 3u);
  EXPECT_EQ(seen.taleChoices[0], "New game");
  EXPECT_EQ(seen.taleChoices[1], "Open a saved game");
  EXPECT_NE(seen.taleChoices[2], "");
  EXPECT_NE(seen.afterTale, seen.before);
  EXPECT_EQ(seen.afterTale.find("tale ends"), std::string::npos);
  EXPECT_NE(seen.afterTale.find("rest"), std::string::npos);
}

TEST_F(DemoPlayTest, TheTalesNewGameAndSavedGameFollowAtOnceWithoutTheEndScreen) {
  const std::string savePath = temp_.WindowsPath("Wren.ksv");
  // The tale's first choice begins a new game (its player made anew), its second opens the game saved in the
  // village; neither shows the end screen on the way.
  struct Case {
    int32_t choice;
    std::string player;
  };
  for (const Case& test : {Case{1, "Ash"}, Case{2, "Wren"}}) {
    SCOPED_TRACE(test.choice);
    struct Seen {
      bool endScreen = false, playing = false;
      std::string player, place, wolf, told;
    } seen;
    const auto noEndScreen = [&seen] {
      if (Here() == "end" || Here() == "fallen") seen.endScreen = true;
    };
    std::vector<InputStep> next;
    if (test.choice == 1) {
      next = Join({{Reach("the new player's name",
                          [noEndScreen] {
                            noEndScreen();
                            return TopLayout() == 4;
                          })},
                   CreatePlayer(test.player, "elf", "mage")});
    } else {
      next = {Reach("the saved game", [noEndScreen] {
        noEndScreen();
        return IsGameInProgress() && Quiet() && Here() == "village";
      })};
    }
    std::vector<InputStep> steps = Join({
        NewGame("Wren", "human", "fighter"),
        {Do([&] { HostTestAnswerFileChooser(savePath.c_str()); }), KeyDown(VK_CONTROL), KeyDown('S'), KeyUp('S'),
         KeyUp(VK_CONTROL), Reach("the save", [&] { return Quiet() && temp_.Exists("Wren.ksv"); })},
        ToTheMeadow(),
        {Open([] { CallEventName("WolfFalls"); })},
        Read("the wolf's fall", "wolf falls"),
        {ToTheStones(), Reach("the tale", [] { return MessageShown().find("tale ends") != std::string::npos; }),
         Wait(4), Do([&] {
           if (test.choice == 2) HostTestAnswerFileChooser(savePath.c_str());
         }),
         ClickOn(test.choice)},
        next,
        {Wait(4), Do([&] {
           seen.playing = IsGameInProgress();
           seen.player = GetCurrentCharacter() != nullptr ? GetCurrentCharacter()->GetName() : "";
           seen.place = Here();
           seen.wolf = Global("gb_wolf");
           seen.told = Global("gb_told");
         })},
    });
    EXPECT_EQ(Play(std::move(steps)), 0);
    EXPECT_EQ(FailedStep(), "") << "the walk stopped at this step";
    EXPECT_FALSE(seen.endScreen);
    EXPECT_TRUE(seen.playing);
    EXPECT_EQ(seen.player, test.player);
    EXPECT_EQ(seen.place, "village");
    // Both games begin before the wolf's fall.
    EXPECT_EQ(ParseInt(seen.wolf), 0);
    EXPECT_EQ(ParseInt(seen.told), 0);
  }
}

// Ctrl+N during a game ends it and begins a new one at once: the end of the game it replaces shows no end screen.
TEST_F(DemoPlayTest, TheMenusNewGameBeginsOneWithoutTheEndScreen) {
  bool endScreen = false, playing = false;
  std::string player;
  std::vector<InputStep> steps = Join({
      NewGame("Wren", "human", "fighter"),
      {KeyDown(VK_CONTROL), KeyDown('N'), KeyUp('N'), KeyUp(VK_CONTROL),
       Reach("the new player's name",
             [&endScreen] {
               if (Here() == "end" || Here() == "fallen") endScreen = true;
               return TopLayout() == 4;
             })},
      CreatePlayer("Ash", "elf", "mage"),
      {Wait(4), Do([&] {
         playing = IsGameInProgress();
         player = GetCurrentCharacter() != nullptr ? GetCurrentCharacter()->GetName() : "";
       })},
  });
  EXPECT_EQ(Play(std::move(steps)), 0);
  EXPECT_EQ(FailedStep(), "") << "the walk stopped at this step";
  EXPECT_FALSE(endScreen);
  EXPECT_TRUE(playing);
  EXPECT_EQ(player, "Ash");
}

TEST_F(DemoPlayTest, ThePlayersFallEndsTheGameWithTheOfferOfANewOne) {
  bool playing = false;
  std::string name;
  std::vector<InputStep> steps = Join({
      NewGame("Wren", "human", "fighter"),
      ToTheMeadow(),
      {Do([] { GetCurrentCharacter()->stamina = 0; }),
       Reach("the end", [] { return Showing("fallen") && !IsGameInProgress(); }), Wait(4), Frame("fallen"),
       ClickHotspot("new game")},
      // The new game it offers is played on: its player stays once the end of the old one is done.
      CreatePlayer("Ash", "elf", "mage"),
      {Wait(10), Do([&] {
         playing = IsGameInProgress();
         name = GetCurrentCharacter() != nullptr ? GetCurrentCharacter()->GetName() : "";
       })},
  });
  EXPECT_EQ(Play(std::move(steps)), 0);
  EXPECT_EQ(FailedStep(), "") << "the walk stopped at this step";
  EXPECT_TRUE(playing);
  EXPECT_EQ(name, "Ash");
}

}  // namespace
