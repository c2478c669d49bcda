// The character sheet: paging through the portraits, what "OK" gives the character, the sheet of a game in
// progress, and the damage text.
#include "game/dialogs/character_creation_dialog.h"

#include <gtest/gtest.h>

#include "game/graphics/bitmap.h"
#include "game/rules/character.h"
#include "game/rules/game_state.h"
#include "game/rules/item_record.h"
#include "game/shell/record_lists.h"
#include "tests/support/script_harness.h"

namespace {

namespace sw = scenario_writer;

constexpr ControlEvent kNext = 13;
constexpr ControlEvent kPrevious = 14;
constexpr ControlEvent kOk = 15;

// Layout 10: a grid of 30 elements inside its picture.
sw::LayoutSpec SheetLayout() {
  sw::LayoutSpec layout{"Sheet.bmp", {}};
  for (int16_t i = 0; i < 30; ++i) {
    layout.elements.push_back({"e", static_cast<int16_t>(10 + (i % 6) * 100), static_cast<int16_t>(10 + (i / 6) * 60),
                               90, 50});
  }
  return layout;
}

class CharacterCreationDialogTest : public test_support::ScriptHarness {
 protected:
  void SetUp() override {
    ScriptHarness::SetUp();
    Config().layouts[10] = SheetLayout();
    AddPicture("Pictures/Sheet.bmp", sw::Canvas(620, 320));
  }
  // Portraits of widths 11, 12 and 13, in the folder's order.
  void AddPortraits() {
    for (int32_t i = 1; i <= 3; ++i) {
      AddPicture("Players/Portraits/P" + std::to_string(i) + ".pct", sw::Canvas(10 + i, 8));
    }
  }
  static int32_t ShownWidth(const CharacterCreationDialog& dialog) {
    const Bitmap* shown = dialog.GetControlAs<PictureControl>(CharacterCreationDialog::kPortrait)->GetPicture();
    return shown != nullptr ? shown->width : 0;
  }
};

TEST_F(CharacterCreationDialogTest, ThreePortraitsWrapBothWaysAndOkGivesTheShownOneWithItsName) {
  AddPortraits();
  Load();
  SetGameInProgress(0);
  CharacterCreationDialog dialog(true);
  EXPECT_EQ(dialog.PortraitCount(), 3u);
  EXPECT_EQ(ShownWidth(dialog), 11);
  dialog.OnControlEvent(CharacterCreationDialog::kPrevious, kPrevious);
  EXPECT_EQ(dialog.PortraitNumber(), 3u);
  EXPECT_EQ(ShownWidth(dialog), 13);
  dialog.OnControlEvent(CharacterCreationDialog::kNext, kNext);
  EXPECT_EQ(ShownWidth(dialog), 11);
  dialog.OnControlEvent(CharacterCreationDialog::kNext, kNext);
  EXPECT_EQ(ShownWidth(dialog), 12);
  dialog.OnControlEvent(CharacterCreationDialog::kOk, kOk);
  EXPECT_TRUE(dialog.IsClosed());
  ASSERT_NE(Player().GetPicture(), nullptr);
  EXPECT_EQ(Player().GetPicture()->width, 12);
  EXPECT_EQ(Player().portraitName, "p2.pct");
}

TEST_F(CharacterCreationDialogTest, WithoutAPortraitFolderNothingIsShownAndTheArrowsDoNothing) {
  Load();
  SetGameInProgress(0);
  CharacterCreationDialog dialog(true);
  EXPECT_EQ(dialog.PortraitCount(), 0u);
  dialog.OnControlEvent(CharacterCreationDialog::kPrevious, kPrevious);
  dialog.OnControlEvent(CharacterCreationDialog::kNext, kNext);
  EXPECT_EQ(dialog.PortraitNumber(), 0u);
  EXPECT_EQ(ShownWidth(dialog), 0);
  dialog.OnControlEvent(CharacterCreationDialog::kOk, kOk);
  EXPECT_EQ(Player().GetPicture(), nullptr);
}

TEST_F(CharacterCreationDialogTest, TheSheetOfAGameInProgressNeitherRerollsNorChangesThePicture) {
  AddPortraits();
  Load();
  Character& player = Player();
  auto own = std::make_unique<Bitmap>();
  ASSERT_EQ(own->Create(5, 5, 67), kBitmapReady);
  Bitmap* ownPicture = own.get();
  player.SetPicture(std::move(own));
  player.base.strength = 33;
  player.RecalculateStats();
  CharacterCreationDialog dialog(false);
  EXPECT_EQ(dialog.GetControlAs<PictureControl>(CharacterCreationDialog::kPortrait)->GetPicture(), ownPicture);
  EXPECT_EQ(dialog.ValueText(8), "33");
  EXPECT_EQ(dialog.ValueText(1), "Hero");
  for (int32_t index : {CharacterCreationDialog::kReroll, CharacterCreationDialog::kNext,
                        CharacterCreationDialog::kPrevious}) {
    EXPECT_FALSE(dialog.GetControlAs<CaptionButton>(index)->IsEnabled()) << index;
  }
  EXPECT_TRUE(dialog.GetControlAs<CaptionButton>(CharacterCreationDialog::kOk)->IsEnabled());
  dialog.OnControlEvent(CharacterCreationDialog::kOk, kOk);
  EXPECT_EQ(player.GetPicture(), ownPicture);
  EXPECT_EQ(player.base.strength, 33);
}

TEST_F(CharacterCreationDialogTest, TheDamageTextAddsStrengthAboveFifteenToBlowsButNotToShots) {
  sw::ItemSpec bow;
  bow.kind = 1;
  bow.firstProjectileValue = 5;
  Files().Add("Items/Bow.itm", sw::EncodeItem(bow));
  Load();
  struct Case {
    int16_t special, strength;
    bool ranged;
    const char* text;
  } cases[] = {
      {-2, 16, false, "2-6(-1)"}, {0, 18, false, "2-6(+3)"}, {0, 15, false, "2-6"},
      {-2, 16, true, "2-6(-2)"},  {1, 20, true, "2-6(+1)"},
  };
  Character& player = Player();
  ItemRecord* weapon = player.AddInventoryItem(FindItemByName("Bow"));
  for (const Case& c : cases) {
    player.current.minDamage = 2;
    player.current.maxDamage = 6;
    player.current.specialDamage = c.special;
    player.current.strength = c.strength;
    player.equipment[1] = c.ranged ? weapon : nullptr;
    EXPECT_EQ(DamageText(player), c.text) << c.special << " " << c.strength;
  }
  player.equipment[1] = nullptr;
}

}  // namespace
