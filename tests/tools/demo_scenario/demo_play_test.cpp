// The demo played through the whole program, in-process and headless, on the manual clock with fixed seeds: the
// title's "New game", the player's name, a human fighter, the creation dialog, the village; the trader's shop (the
// sword bought, the armour refused for want of gold, then left); the pack opened from the panel's map button; and
// the well's message kept in the journal. Each step waits for a state of the game within a bound of frames and
// fails naming its step. The frames of the title, the village, the shop and the well are written into
// "demo_frames/" of the working folder for a look by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "game/dialogs/list_controls.h"
#include "game/dialogs/message_dialog.h"
#include "game/dialogs/shop_dialog.h"
#include "game/rules/character.h"
#include "game/rules/class_race_records.h"
#include "game/rules/game_state.h"
#include "tests/support/dialog_input.h"
#include "tests/support/frame_files.h"
#include "tests/tools/demo_scenario/demo_program_fixture.h"

namespace {

using test_support::InputStep;
using namespace test_support::input;

template <typename T>
T* Top() {
  return OpenDialogs().empty() ? nullptr : dynamic_cast<T*>(OpenDialogs().back());
}

// A click on the row of that text in the list control `list` of the top dialog; none when it has no such row.
InputStep ClickRow(int32_t list, const std::string& text) {
  return WaitFor([list, text] {
    Dialog* top = OpenDialogs().empty() ? nullptr : OpenDialogs().back();
    const ListControl* rows = top != nullptr ? top->GetControlAs<ListControl>(list) : nullptr;
    for (int32_t i = 0; rows != nullptr && i < rows->GetRowCount(); ++i) {
      if (rows->GetRow(i).text != text) continue;
      const int32_t x = top->Frame().x + rows->GetRect().x + 30;
      const int32_t y = top->Frame().y + rows->GetRect().y + i * rows->GetRowPitch() + rows->GetRowPitch() / 2;
      HostTestMouseButton(DemoProgramTest::MainWindowHandle(), 0, true, x, y, 1);
      HostTestMouseButton(DemoProgramTest::MainWindowHandle(), 0, false, x, y, 1);
      return true;
    }
    ADD_FAILURE() << "no row " << text;
    return true;
  });
}

std::string ShopText(int32_t control) {
  const ShopDialog* shop = Top<ShopDialog>();
  const auto* text = shop != nullptr ? shop->GetControlAs<StaticTextControl>(control) : nullptr;
  return text != nullptr ? text->GetText() : "";
}

bool Carries(const std::string& item) {
  const Character* player = GetCurrentCharacter();
  return player != nullptr && player->HasItemNamed(item);
}

std::string MessageShown() {
  const MessageDialog* message = Top<MessageDialog>();
  return message != nullptr ? message->Text() : "";
}

class DemoPlayTest : public DemoProgramTest {};

TEST_F(DemoPlayTest, ANewFighterBuysTheSwordAndKeepsTheWellsWordsInTheJournal) {
  struct Seen {
    std::vector<std::string> goods;
    std::string race, className, goldBefore, goldAfter, journal, wellText;
    int32_t stamina = 0;
    bool potion = false, armour = false;
  } seen;
  auto frame = [this](const std::string& name) {
    return Do([name] { WriteShownFrame(MainWindowHandle(), "demo_frames/" + name + ".bmp"); });
  };
  auto quiet = [] { return OpenDialogs().empty(); };
  std::vector<InputStep> steps = {
      Reach("title", [] { return TopLayout() == 1 && !MessageShown().empty(); }),
      Wait(4), frame("title"), ClickOn(1),
      Reach("name", [] { return TopLayout() == 4; }),
      Type("Wren"), Wait(2), KeyDown(VK_RETURN), KeyUp(VK_RETURN),
      Reach("race", [] { return TopLayout() == 5; }),
      Wait(kListSettles), ClickRow(0, "human"), Wait(2), ClickOn(2),
      Reach("class", [] { return TopLayout() == 6; }),
      Wait(kListSettles), ClickRow(0, "fighter"), Wait(2), ClickOn(2),
      Reach("creation", [] { return TopLayout() == 10; }),
      Wait(4), ClickOn(29), Wait(2), ClickOn(27),
      Reach("village", [&] { return quiet() && Here() == "village"; }),
      Wait(6), frame("village"),
      Do([&] {
        const Character* player = GetCurrentCharacter();
        seen.race = player->GetRace() != nullptr ? player->GetRace()->GetName() : "";
        seen.className = player->GetClass() != nullptr ? player->GetClass()->GetName() : "";
        seen.potion = Carries("Healing potion");
        seen.stamina = player->stamina;
      }),
      // The trader's house.
      Click(480, 260),
      Reach("shop", [] { return Top<ShopDialog>() != nullptr; }),
      Wait(4), frame("shop"),
      Do([&] {
        const auto* list = Top<ShopDialog>()->GetControlAs<ListControl>(ShopDialog::kList);
        for (int32_t i = 0; list != nullptr && i < list->GetRowCount(); ++i) seen.goods.push_back(list->GetRow(i).text);
        seen.goldBefore = ShopText(ShopDialog::kGoldText);
      }),
      Wait(kListSettles), ClickRow(ShopDialog::kList, "Sword"), Wait(2), ClickOn(ShopDialog::kTradeButton),
      Reach("the sword bought", [] { return Carries("Sword"); }),
      Do([&] { seen.goldAfter = ShopText(ShopDialog::kGoldText); }),
      // The armour costs more than is left: the trader says so.
      Wait(kListSettles), ClickRow(ShopDialog::kList, "Leather armour"), Wait(2), ClickOn(ShopDialog::kTradeButton),
      Reach("the armour refused", [] { return TopLayout() == 1; }),
      Wait(2), Click(320, 240),
      Reach("back in the shop", [] { return Top<ShopDialog>() != nullptr; }),
      Wait(2), ClickOn(ShopDialog::kLeaveButton),
      Reach("back in the village", [&] { return quiet() && Here() == "village"; }),
      Do([&] { seen.armour = Carries("Leather armour"); }),
      // The pack, from the first map button of the panel.
      Wait(4), Click(476, 448),
      Reach("the pack", [] { return TopLayout() == 3; }),
      Wait(4), ClickOn(2),
      Reach("the pack closed", quiet),
      // The well: its message goes into the journal from the message's corner.
      Wait(4), Click(200, 280),
      Reach("the well", [] { return MessageShown().find("wolf") != std::string::npos; }),
      Wait(4), frame("well"),
      Do([&] { seen.wellText = MessageShown(); }),
      ClickOn(MessageDialog::kJournalButton),
      Reach("the journal entry", [] { return !GetCurrentCharacter()->journal.empty(); }),
      Do([&] { seen.journal = GetCurrentCharacter()->journal.front(); }),
      Click(320, 240),
      Reach("the well left", [&] { return quiet() && Here() == "village"; }),
  };

  EXPECT_EQ(Play(std::move(steps)), 0);
  EXPECT_EQ(FailedStep(), "") << "the walk stopped at this step";
  EXPECT_EQ(seen.race, "human");
  EXPECT_EQ(seen.className, "fighter");
  EXPECT_TRUE(seen.potion);
  EXPECT_GT(seen.stamina, 0);
  // The goods in the order of an inventory: the potion, the weapon, the armour.
  EXPECT_EQ(seen.goods, (std::vector<std::string>{"Healing potion", "Sword", "Leather armour"}));
  EXPECT_EQ(seen.goldBefore, "30");
  EXPECT_EQ(seen.goldAfter, "10");
  EXPECT_FALSE(seen.armour);
  EXPECT_EQ(seen.journal, seen.wellText);
}

}  // namespace
