// The spell dialogs: the groups a caster pages through, casting refused for want of magic, and picking spells
// to learn within the allowances.
#include "game/dialogs/spell_dialogs.h"

#include <gtest/gtest.h>

#include "game/dialogs/list_controls.h"
#include "game/rules/character.h"
#include "game/rules/spell_record.h"
#include "game/shell/record_lists.h"
#include "host/user.h"
#include "tests/support/dialog_input.h"

namespace {

namespace sw = scenario_writer;
using namespace test_support::input;

sw::LayoutSpec GridLayout(const std::string& picture, int16_t count, int16_t listIndex) {
  sw::LayoutSpec layout{picture, {}};
  int16_t cell = 0;
  for (int16_t i = 0; i < count; ++i) {
    if (i == listIndex) {
      layout.elements.push_back({"list", 10, 10, 200, 200});
      continue;
    }
    layout.elements.push_back({"e", static_cast<int16_t>(220 + (cell % 3) * 95),
                               static_cast<int16_t>(10 + (cell / 3) * 50), 90, 40});
    ++cell;
  }
  return layout;
}

class SpellDialogsTest : public test_support::DialogHarness {
 protected:
  void SetUp() override {
    DialogHarness::SetUp();
    Config().layouts[19] = GridLayout("Cast.bmp", 10, 3);
    Config().layouts[18] = GridLayout("Pick.bmp", 7, 3);
    AddPicture("Pictures/Cast.bmp", sw::Canvas(510, 230, sw::Rgb{60, 60, 120}));
    AddPicture("Pictures/Pick.bmp", sw::Canvas(510, 230, sw::Rgb{60, 120, 60}));
    // Spells by group: Spark, Flare and Ember in 1, Frost in 2, Storm in 3.
    AddSpell("Spark", 1, 2);
    AddSpell("Flare", 1, 9);
    AddSpell("Ember", 1, 1);
    AddSpell("Frost", 2, 3);
    AddSpell("Storm", 3, 5);
    sw::ClassSpec mage;
    mage.spellNames = {"Spark", "Flare", "Ember", "Frost", "Storm"};
    Files().Add("Players/Classes/Mage.cls", sw::EncodeClass(mage));
  }
  void AddSpell(const std::string& name, int16_t group, int16_t cost) {
    sw::SpellSpec spell;
    spell.text = name + " text";
    spell.firstValue = group;
    spell.magicCost = cost;
    Files().Add("Players/Spells/" + name + ".spl", sw::EncodeSpell(spell));
  }
  void Know(std::initializer_list<const char*> names) {
    for (const char* name : names) Player().LearnSpell(FindSpellByName(name));
  }
  static std::string Rows(const Dialog& dialog) {
    std::string rows;
    if (const auto* list = dialog.GetControlAs<ListControl>(3)) {
      for (int32_t i = 0; i < list->GetRowCount(); ++i) rows += list->GetRow(i).text + " ";
    }
    if (const auto* list = dialog.GetControlAs<MultiSelectList>(3)) {
      for (int32_t i = 0; i < list->GetRowCount(); ++i) {
        rows += list->GetRow(i).text + (list->GetRow(i).picked ? "+" : "") + " ";
      }
    }
    return rows;
  }
  static std::string Text(const Dialog& dialog, int32_t index) {
    return dialog.GetControlAs<StaticTextControl>(index)->GetText();
  }
};

TEST_F(SpellDialogsTest, TheCasterPagesThroughTheGroupsItKnowsWrappingBothWays) {
  Load();
  Know({"Storm", "Spark", "Ember"});
  Player().magic = 4;
  SpellCastDialog dialog;
  EXPECT_EQ(dialog.Groups(), (std::vector<int32_t>{1, 3}));
  EXPECT_EQ(Rows(dialog), "spark ember ");
  EXPECT_EQ(Text(dialog, SpellCastDialog::kGroupText), "1");
  EXPECT_EQ(Text(dialog, SpellCastDialog::kDescription), "Spark text");
  EXPECT_EQ(Text(dialog, SpellCastDialog::kCost), "2");
  EXPECT_EQ(Text(dialog, SpellCastDialog::kMagic), "4");
  dialog.OnControlEvent(SpellCastDialog::kPreviousGroup, 14);
  EXPECT_EQ(Rows(dialog), "storm ");
  // Storm costs 5 of the 4 magic points: neither "Cast" nor a double click casts it.
  EXPECT_FALSE(dialog.GetControlAs<CaptionButton>(SpellCastDialog::kCast)->IsEnabled());
  ClearPendingSpells();
  EXPECT_EQ(dialog.OnRowDoubleClick(SpellCastDialog::kList), kConsumeClick);
  EXPECT_FALSE(dialog.IsClosed());
  EXPECT_FALSE(HasPendingSpells());
  dialog.OnControlEvent(SpellCastDialog::kNextGroup, 13);
  EXPECT_EQ(Text(dialog, SpellCastDialog::kGroupText), "1");
  EXPECT_TRUE(dialog.GetControlAs<CaptionButton>(SpellCastDialog::kCast)->IsEnabled());
  ClearPendingSpells();
  dialog.OnControlEvent(SpellCastDialog::kCast, 15);
  EXPECT_TRUE(dialog.IsClosed());
  ASSERT_EQ(PendingSpells().size(), 1u);
  EXPECT_EQ(PendingSpells()[0], FindSpellByName("Spark"));
  EXPECT_EQ(Player().readiedSpell, FindSpellByName("Spark"));
  ClearPendingSpells();
}

TEST_F(SpellDialogsTest, TooLittleMagicRefusesTheCastByMouseAndByKeys) {
  LoadWithWindow();
  Know({"Flare", "Spark"});
  Player().magic = 3;
  ClearPendingSpells();
  bool castFirst = true, castAfterKey = false, castBack = true;
  auto cast = [] { return OpenDialogs().back()->GetControlAs<CaptionButton>(SpellCastDialog::kCast)->IsEnabled(); };
  auto look = [&](bool& into) {
    return WaitFor([&into, cast] {
      into = cast();
      return true;
    });
  };
  // Return on the selected row is its double click.
  auto run = test_support::RunScripted(
      std::make_unique<SpellCastDialog>(),
      {look(castFirst), Wait(8), KeyDown(VK_RETURN), KeyUp(VK_RETURN), Wait(8), KeyDown(VK_DOWN), Wait(2),
       KeyUp(VK_DOWN), look(castAfterKey), Wait(8), KeyDown(VK_UP), Wait(2), KeyUp(VK_UP), look(castBack), Wait(8),
       KeyDown(VK_RETURN), KeyUp(VK_RETURN), Wait(8), KeyDown(VK_ESCAPE)});
  EXPECT_FALSE(run.closedTheWindow);
  // Flare (9) is first and stays refused; Spark (2) could be cast.
  EXPECT_FALSE(castFirst);
  EXPECT_TRUE(castAfterKey);
  EXPECT_FALSE(castBack);
  EXPECT_FALSE(HasPendingSpells());
}

TEST_F(SpellDialogsTest, ACasterWithoutSpellsSeesGroupOneEmptyWithTheArrowsOff) {
  Load();
  SpellCastDialog dialog;
  EXPECT_EQ(dialog.Groups(), (std::vector<int32_t>{1}));
  EXPECT_EQ(Rows(dialog), "");
  EXPECT_EQ(Text(dialog, SpellCastDialog::kGroupText), "1");
  EXPECT_FALSE(dialog.GetControlAs<Button>(SpellCastDialog::kPreviousGroup)->IsEnabled());
  EXPECT_FALSE(dialog.GetControlAs<Button>(SpellCastDialog::kNextGroup)->IsEnabled());
  EXPECT_FALSE(dialog.GetControlAs<CaptionButton>(SpellCastDialog::kCast)->IsEnabled());
}

// Each allowance becomes the smaller of itself and the spells there are to learn: a negative one stays negative,
// and its group then shows that many picks left and takes none.
TEST_F(SpellDialogsTest, AllowancesAreLoweredToTheSpellsThereAreAndGroupsWithoutOneDropped) {
  Load();
  Player().SetClass(FindClassByName("Mage"));
  Know({"Flare", "Frost"});
  SpellPickDialog dialog({1, 2, 3, 4, 5}, {5, 1, -2, 1});
  EXPECT_EQ(dialog.Groups(), (std::vector<int32_t>{1, 2, 3, 4}));
  EXPECT_EQ(dialog.Allowances(), (std::vector<int32_t>{2, 0, -2, 0}));
  EXPECT_EQ(Rows(dialog), "spark ember ");
  EXPECT_EQ(Text(dialog, SpellPickDialog::kPicksLeft), "2");
  EXPECT_FALSE(dialog.GetControlAs<CaptionButton>(SpellPickDialog::kOk)->IsEnabled());
  dialog.OnControlEvent(SpellPickDialog::kNextGroup, 14);
  dialog.OnControlEvent(SpellPickDialog::kNextGroup, 14);
  EXPECT_EQ(Text(dialog, SpellPickDialog::kGroupText), "3");
  EXPECT_EQ(Rows(dialog), "storm ");
  EXPECT_EQ(Text(dialog, SpellPickDialog::kPicksLeft), "-2");
  auto* list = dialog.GetControlAs<MultiSelectList>(SpellPickDialog::kList);
  list->PickMatching({"storm"});
  EXPECT_EQ(list->GetPickCount(), 0);
}

TEST_F(SpellDialogsTest, PicksSurvivePagingOkWaitsForEveryGroupAndFurtherPicksAreRefused) {
  Load();
  Player().SetClass(FindClassByName("Mage"));
  SpellPickDialog dialog({1, 3}, {1, 1});
  auto* list = dialog.GetControlAs<MultiSelectList>(SpellPickDialog::kList);
  auto* ok = dialog.GetControlAs<CaptionButton>(SpellPickDialog::kOk);
  // What a click on a row's box does: the list picks, the dialog hears of it.
  list->PickMatching({"flare", "ember"});
  dialog.OnPickChanged(SpellPickDialog::kList, true);
  EXPECT_EQ(Rows(dialog), "spark flare+ ember ");
  EXPECT_EQ(Text(dialog, SpellPickDialog::kPicksLeft), "0");
  EXPECT_FALSE(ok->IsEnabled());
  dialog.OnControlEvent(SpellPickDialog::kNextGroup, 14);
  EXPECT_EQ(Text(dialog, SpellPickDialog::kGroupText), "3");
  EXPECT_EQ(Rows(dialog), "storm ");
  list->PickMatching({"storm"});
  dialog.OnPickChanged(SpellPickDialog::kList, true);
  EXPECT_TRUE(ok->IsEnabled());
  dialog.OnControlEvent(SpellPickDialog::kPreviousGroup, 13);
  EXPECT_EQ(Rows(dialog), "spark flare+ ember ");
  EXPECT_TRUE(ok->IsEnabled());
  dialog.Close();
  EXPECT_TRUE(Player().KnowsSpell(FindSpellByName("Flare")));
  EXPECT_TRUE(Player().KnowsSpell(FindSpellByName("Storm")));
  EXPECT_FALSE(Player().KnowsSpell(FindSpellByName("Spark")));
}

TEST_F(SpellDialogsTest, ReturnPicksTheSelectedSpellAndOkLearnsIt) {
  LoadWithWindow();
  Player().SetClass(FindClassByName("Mage"));
  auto run = test_support::RunScripted(std::make_unique<SpellPickDialog>(std::vector<int32_t>{2},
                                                                         std::vector<int32_t>{1}),
                                       {Wait(8), KeyDown(VK_RETURN), KeyUp(VK_RETURN), Wait(8), ClickOn(6)});
  EXPECT_FALSE(run.closedTheWindow);
  EXPECT_TRUE(Player().KnowsSpell(FindSpellByName("Frost")));
}

}  // namespace
