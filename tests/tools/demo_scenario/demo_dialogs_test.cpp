// The demo scenario through the whole program, in-process and headless: the title's "New game" asks for the name,
// the race and the class and shows the character sheet; then the shortcuts of the Game menu open the inventory,
// the sheet, spell casting and the journal, and the test itself opens the text entries, spell picking, the level
// gain and a text input.
// Every dialog is driven by scripted input, and each shown frame is written as a BMP into "demo_frames/" of the
// working folder, for a look by hand; every caption button shown has room for its caption, and the first letter of
// a list's selected row stands out beside its highlight.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "game/dialogs/character_info_dialogs.h"
#include "game/dialogs/player_choice_dialogs.h"
#include "game/dialogs/spell_dialogs.h"
#include "game/rules/character.h"
#include "game/rules/class_race_records.h"
#include "game/rules/game_state.h"
#include "game/shell/record_lists.h"
#include "game/world/scene_view.h"
#include "tests/support/dialog_input.h"
#include "tests/support/frame_files.h"
#include "tests/tools/demo_scenario/demo_program_fixture.h"

namespace {

using test_support::InputStep;
using namespace test_support::input;

std::vector<InputStep> Join(std::initializer_list<std::vector<InputStep>> parts) {
  std::vector<InputStep> steps;
  for (const auto& part : parts) steps.insert(steps.end(), part.begin(), part.end());
  return steps;
}

class DemoDialogsTest : public DemoProgramTest {
 protected:
  // Waits for the dialog of that layout, lets it draw, writes the frame shown, and notes each caption button of the
  // dialog too narrow for its caption.
  std::vector<InputStep> Shown(int32_t layout, const std::string& name) {
    return {Reach(name, [layout] { return TopLayout() == layout; }), Wait(4), Do([this, name] {
              WriteShownFrame(MainWindowHandle(), "demo_frames/" + name + ".bmp");
              NoteCrampedCaptions(name);
            })};
  }
  // A caption keeps 6 pixels clear of either side of its button, beyond the button's frame.
  void NoteCrampedCaptions(const std::string& dialog) {
    const Dialog* top = OpenDialogs().back();
    for (int32_t i = 0; i < top->GetControlCount(); ++i) {
      const auto* button = top->GetControlAs<CaptionButton>(i);
      if (button == nullptr || button->GetCaption().empty()) continue;
      Bounds size;
      GetSceneView()->MeasureText(0, 0, button->GetCaption(), &size);
      if (size.width + 2 * 6 > button->GetRect().width) cramped_.push_back(dialog + ": " + button->GetCaption());
    }
  }
  std::vector<std::string> cramped_;

  // In the frame last shown, the ink of the first column of the selected row of list `list` of the top dialog
  // (its highlight's left edge) that can hardly be told from the ground just left of the highlight: the pixels
  // whose brightness is within 32 of their left neighbour's, out of the ink pixels of that column ("lost/ink").
  static std::string FirstColumnInkLost(int32_t list) {
    const Dialog* top = OpenDialogs().back();
    const auto* rows = top->GetControlAs<ListControl>(list);
    HostFrame frame;
    if (rows == nullptr || rows->GetSelection() < 0 || !HostTestLastFrame(MainWindowHandle(), &frame)) return "none";
    const auto pixel = [&frame](int32_t x, int32_t y) { return frame.pixels[static_cast<size_t>(y * frame.width + x)]; };
    const auto brightness = [](uint32_t rgb) {
      return static_cast<int32_t>(((rgb >> 16) & 0xFF) * 299 + ((rgb >> 8) & 0xFF) * 587 + (rgb & 0xFF) * 114) / 1000;
    };
    // The selected row's band; the highlight's left edge starts the longest run of black in it (a row's picture
    // may have black too, but narrower than any text).
    const Bounds box = rows->GetRect();
    const int32_t left = top->Frame().x + box.x, right = left + box.width;
    const int32_t bandTop = top->Frame().y + box.y + rows->GetSelection() * rows->GetRowPitch();
    int32_t edge = right, longest = 0;
    for (int32_t y = bandTop; y < bandTop + rows->GetRowPitch(); ++y) {
      for (int32_t x = left, run = 0; x < right; ++x) {
        run = pixel(x, y) == 0 ? run + 1 : 0;
        if (run > longest) {
          longest = run;
          edge = x - run + 1;
        }
      }
    }
    int32_t ink = 0, lost = 0;
    for (int32_t y = bandTop; edge < right && y < bandTop + rows->GetRowPitch(); ++y) {
      bool highlighted = false;  // a row of the highlight has black in it
      for (int32_t x = edge; x < edge + longest; ++x) highlighted = highlighted || pixel(x, y) == 0;
      if (!highlighted || brightness(pixel(edge, y)) < 128) continue;
      ++ink;
      if (std::abs(brightness(pixel(edge, y)) - brightness(pixel(edge - 1, y))) < 32) ++lost;
    }
    return std::to_string(lost) + "/" + std::to_string(ink);
  }
  // Waits until every dialog has closed.
  InputStep Closed(const std::string& step) {
    return Reach(step, [] { return OpenDialogs().empty(); });
  }
  // A menu item, through its shortcut.
  static std::vector<InputStep> Shortcut(int key) {
    return {KeyDown(VK_CONTROL), KeyDown(key), KeyUp(key), KeyUp(VK_CONTROL)};
  }
};

TEST_F(DemoDialogsTest, EveryCharacterDialogOpensOnTheDemoAndAnswersItsInput) {
  struct Seen {
    std::string name, race, className, portrait, enteredText;
    size_t inventory = 0, inventoryAfterUse = 0;
    int32_t gold = 0;
    bool knowsFrost = false;
    size_t journal = 0;
    std::string racesInkLost, packInkLost;
  } seen;
  std::vector<InputStep> steps = Join({
      // The title's first choice, "New game": the name, the second race, the first class (the mage), the sheet's next
      // portrait.
      {Reach("title", [] { return Showing("title"); }), Wait(4), ClickHotspot("new game")},
      Shown(4, "name"),
      {Type("Wren"), Wait(2), KeyDown(VK_RETURN), KeyUp(VK_RETURN)},
      {Reach("races list", [] { return TopLayout() == 5; }), Wait(kListSettles), KeyDown(VK_DOWN), Wait(2),
       KeyUp(VK_DOWN)},
      Shown(5, "races"),
      {Do([&] { seen.racesInkLost = FirstColumnInkLost(0); }), ClickOn(2)},
      Shown(6, "classes"),
      {ClickOn(2)},
      Shown(10, "sheet_new"),
      {ClickOn(29)},
      Shown(10, "sheet_next_portrait"),
      {ClickOn(27), Closed("the game begun"),
       Do([&] {
         Character* player = GetCurrentCharacter();
         EXPECT_TRUE(IsGameInProgress());
         if (player == nullptr) return;
         seen.name = player->GetName();
         seen.race = player->GetRace() != nullptr ? player->GetRace()->GetName() : "";
         seen.className = player->GetClass() != nullptr ? player->GetClass()->GetName() : "";
         seen.portrait = player->portraitName;
         seen.inventory = player->inventory.size();
         seen.gold = player->gold;
         player->magic = 5;
         player->level = 2;
         if (!player->KnowsSpell(FindSpellByName("Spark"))) player->LearnSpell(FindSpellByName("Spark"));
         player->journal = {"The trader sells swords.", "The well speaks of a wolf.",
                            "The shrine lies past the meadow."};
         player->AddTextEntry("road", "The road east", "It runs past the signpost to the meadow.");
       })},
      // The Game menu's shortcuts.
      Shortcut('I'),
      Shown(3, "inventory"),
      {Do([&] { seen.packInkLost = FirstColumnInkLost(1); }), ClickOn(4)},
      Shown(3, "inventory_used"),
      {ClickOn(2), Closed("the inventory closed"),
       Do([&] { seen.inventoryAfterUse = GetCurrentCharacter()->inventory.size(); })},
      Shortcut('K'),
      Shown(10, "sheet"),
      {ClickOn(27), Closed("the sheet closed")},
      Shortcut('M'),
      Shown(19, "spells"),
      {ClickOn(7), Closed("spell casting closed")},
      Shortcut('J'),
      Shown(2, "journal"),
      {KeyDown(VK_ESCAPE), KeyUp(VK_ESCAPE), Closed("the journal closed")},
      // Dialogs that events open, opened by the test.
      {Open([] { Dialog::RunModal(std::make_unique<EntryInfoDialog>()); })},
      Shown(0, "notes"),
      {ClickOn(2), Closed("the notes closed")},
      // Group 1 has nothing left to learn; the next group offers the frost.
      {Open([] {
        Dialog::RunModal(std::make_unique<SpellPickDialog>(std::vector<int32_t>{1, 2}, std::vector<int32_t>{1, 1}));
      })},
      Shown(18, "learn"),
      {ClickOn(1), Wait(kListSettles + 2), KeyDown(VK_RETURN), KeyUp(VK_RETURN)},
      Shown(18, "learn_picked"),
      {ClickOn(6), Closed("spell picking closed")},
      {Open([] { Dialog::RunModal(std::make_unique<LevelGainDialog>()); })},
      Shown(14, "level_gain"),
      {Click(320, 240), Closed("the level gain closed")},
      {Open([] { Dialog::RunModal(std::make_unique<TextInputDialog>("", "Which way to the shrine?", 20)); })},
      Shown(22, "text_input"),
      {Type("mill"), Wait(2)},
      Shown(22, "text_typed"),
      {KeyDown(VK_RETURN), KeyUp(VK_RETURN), Closed("the text input closed"),
       Do([&] {
         Character* player = GetCurrentCharacter();
         seen.knowsFrost = player->KnowsSpell(FindSpellByName("Frost"));
         seen.journal = player->journal.size();
         seen.enteredText = GetEnteredText();
       })},
  });
  EXPECT_EQ(Play(std::move(steps)), 0);
  EXPECT_EQ(FailedStep(), "") << "the run stopped at this step";
  EXPECT_EQ(seen.name, "Wren");
  EXPECT_EQ(seen.race, "elf");
  EXPECT_EQ(seen.className, "mage");
  EXPECT_EQ(seen.portrait, "bryn.pct");
  // A new player carries a healing potion, which the inventory's "Use" drinks.
  EXPECT_EQ(seen.inventory, 1u);
  EXPECT_EQ(seen.inventoryAfterUse, 0u);
  EXPECT_EQ(seen.gold, 30);
  EXPECT_TRUE(seen.knowsFrost);
  EXPECT_EQ(seen.journal, 3u);
  EXPECT_EQ(seen.enteredText, "mill");
  EXPECT_EQ(cramped_, std::vector<std::string>{});
  // A selected row's first letter stands out from the ground beside its highlight: none of its ink is lost.
  EXPECT_TRUE(seen.racesInkLost.starts_with("0/") && seen.racesInkLost != "0/0") << seen.racesInkLost;
  EXPECT_TRUE(seen.packInkLost.starts_with("0/") && seen.packInkLost != "0/0") << seen.packInkLost;
}

}  // namespace
