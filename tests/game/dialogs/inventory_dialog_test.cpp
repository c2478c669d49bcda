// The inventory: the list's order and merged copies, an item the class cannot use, equipping and taking off, and
// a spell that an item queues while no map is shown.
#include "game/dialogs/inventory_dialog.h"

#include <gtest/gtest.h>

#include "game/dialogs/list_controls.h"
#include "game/rules/character.h"
#include "game/rules/class_race_records.h"
#include "game/rules/item_record.h"
#include "game/shell/data/data_archive.h"
#include "game/shell/data/data_paths.h"
#include "game/shell/record_lists.h"
#include "game/world/tile_map.h"
#include "host/user.h"
#include "tests/support/dialog_input.h"
#include "tools/scenario_writer/tile_map_writer.h"

namespace {

namespace sw = scenario_writer;

constexpr ControlEvent kUseCommand = 13;
constexpr ControlEvent kDropCommand = 14;

// Layout 3: the list at the left, the other 24 elements in a grid beside it.
sw::LayoutSpec InventoryLayout() {
  sw::LayoutSpec layout{"Inventory.bmp", {}};
  int16_t cell = 0;
  for (int16_t i = 0; i < 25; ++i) {
    if (i == 1) {
      layout.elements.push_back({"list", 10, 10, 200, 300});
      continue;
    }
    layout.elements.push_back({"e", static_cast<int16_t>(220 + (cell % 4) * 95),
                               static_cast<int16_t>(10 + (cell / 4) * 50), 90, 40});
    ++cell;
  }
  return layout;
}

class InventoryDialogTest : public test_support::DialogHarness {
 protected:
  void SetUp() override {
    DialogHarness::SetUp();
    Config().layouts[3] = InventoryLayout();
    AddPicture("Pictures/Inventory.bmp", sw::Canvas(610, 330, sw::Rgb{120, 100, 80}));
    // The numbered pictures of the kinds, layouts 25 to 33.
    for (int32_t kind = 1; kind <= 9; ++kind) {
      Config().layouts[static_cast<size_t>(24 + kind)].name = "Kind" + std::to_string(kind) + ".bmp";
      AddPicture("Pictures/Kind" + std::to_string(kind) + ".bmp", sw::Canvas(24, 24, sw::Rgb{200, 200, 0}));
    }
    Files().Add("Players/Classes/Fighter.cls", sw::EncodeClass({}));
    Files().Add("Players/Spells/Glow.spl", sw::EncodeSpell({}));
    AddItem("Potion", 7);
    AddItem("Wand", 8);
    AddItem("helm", 4).classNames = {"fighter"};
    AddItem("Amulet", 9).classNames = {"fighter"};
    AddItem("Sword", 1).classNames = {"fighter"};
    AddItem("Axe", 1);  // not for fighters
    sw::ItemSpec glow;
    glow.kind = 7;
    glow.spellName = "Glow";
    glow.charges = -1;
    Files().Add("Items/Glowstone.itm", sw::EncodeItem(glow));
  }
  sw::ItemSpec& AddItem(const std::string& name, int16_t kind) {
    items_.emplace_back(name, sw::ItemSpec{});
    items_.back().second.kind = kind;
    return items_.back().second;
  }
  void LoadItems(bool window = false) {
    for (const auto& [name, item] : items_) Files().Add("Items/" + name + ".itm", sw::EncodeItem(item));
    if (window) {
      LoadWithWindow();
    } else {
      Load();
    }
    Player().SetClass(FindClassByName("Fighter"));
  }
  ItemRecord* Give(const std::string& name) { return Player().AddInventoryItem(FindItemByName(name)); }
  static std::string Rows(const InventoryDialog& dialog) {
    std::string rows;
    const auto* list = dialog.GetControlAs<ListControl>(InventoryDialog::kList);
    for (int32_t i = 0; i < list->GetRowCount(); ++i) {
      const ListControl::Row& row = list->GetRow(i);
      rows += row.text + (row.count > 0 ? "x" + std::to_string(row.count + 1) : "") + (row.value != 0 ? "!" : "") +
              " ";
    }
    return rows;
  }
  static bool Enabled(const InventoryDialog& dialog, int32_t index) {
    return dialog.GetControlAs<Button>(index)->IsEnabled();
  }

 private:
  std::vector<std::pair<std::string, sw::ItemSpec>> items_;
};

TEST_F(InventoryDialogTest, RowsGoByKindThenNameWithCopiesMergedAndAnItemWithoutARecordFirst) {
  LoadItems();
  for (const char* name : {"Wand", "Potion", "helm", "Sword", "Potion", "Amulet", "Axe"}) Give(name);
  auto stray = std::make_unique<ItemRecord>();
  stray->SetName("zircon");
  stray->kind = 12;
  Player().inventory.push_back(std::move(stray));
  InventoryDialog dialog;
  EXPECT_EQ(Rows(dialog), "potionx2 zircon! axe! sword amulet helm wand ");
  // The first row is selected: the potion's buttons are on.
  EXPECT_TRUE(Enabled(dialog, InventoryDialog::kUse));
  EXPECT_TRUE(Enabled(dialog, InventoryDialog::kDrop));
  dialog.OnControlEvent(InventoryDialog::kDrop, kDropCommand);
  EXPECT_EQ(Rows(dialog), "potion zircon! axe! sword amulet helm wand ");
  const ListControl::Row& potion = dialog.GetControlAs<ListControl>(InventoryDialog::kList)->GetRow(0);
  EXPECT_NE(potion.picture, nullptr);
}

TEST_F(InventoryDialogTest, AnItemTheClassCannotUseIsRedAndCannotBeUsed) {
  LoadItems();
  Give("Axe");
  InventoryDialog dialog;
  EXPECT_EQ(Rows(dialog), "axe! ");
  EXPECT_FALSE(Enabled(dialog, InventoryDialog::kUse));
  EXPECT_TRUE(Enabled(dialog, InventoryDialog::kDrop));
  dialog.OnControlEvent(InventoryDialog::kUse, kUseCommand);
  EXPECT_EQ(Player().equipment[1], nullptr);
}

TEST_F(InventoryDialogTest, EquippingMovesTheItemToItsSlotAndTheSlotButtonPutsItBack) {
  LoadItems(true);
  Give("helm");
  std::string slotWhileWorn, rowsWhileWorn;
  // The helm's slot (4) has button 9.
  auto run = test_support::RunScripted(
      std::make_unique<InventoryDialog>(),
      {test_support::input::ClickOn(InventoryDialog::kUse), test_support::input::Wait(2),
       test_support::input::WaitFor([&] {
         auto* dialog = static_cast<InventoryDialog*>(OpenDialogs().back());
         slotWhileWorn = dialog->GetControlAs<TextButton>(9)->GetCaption();
         rowsWhileWorn = Rows(*dialog);
         return true;
       }),
       test_support::input::ClickOn(9), test_support::input::Wait(2), test_support::input::KeyDown(VK_ESCAPE)});
  EXPECT_FALSE(run.closedTheWindow);
  EXPECT_EQ(slotWhileWorn, "helm");
  EXPECT_EQ(rowsWhileWorn, "");
  EXPECT_EQ(Player().equipment[4], nullptr);
  InventoryDialog after;
  EXPECT_EQ(Rows(after), "helm ");
  EXPECT_EQ(after.GetControlAs<TextButton>(9)->GetCaption(), "-");
  EXPECT_FALSE(Enabled(after, 9));
}

TEST_F(InventoryDialogTest, ASpellAnItemQueuesIsCastAtOnceWhileNoMapIsShown) {
  LoadItems();
  Give("Glowstone");
  ClearPendingSpells();
  InventoryDialog dialog;
  dialog.OnControlEvent(InventoryDialog::kUse, kUseCommand);
  EXPECT_FALSE(HasPendingSpells());
  EXPECT_FALSE(dialog.IsClosed());
  EXPECT_EQ(Rows(dialog), "glowstone ");
}

TEST_F(InventoryDialogTest, ASpellAnItemQueuesWhileAMapIsShownClosesTheInventoryAndWaitsForTheMap) {
  sw::TileMapSpec field;
  field.width = field.height = 4;
  field.cells = sw::UniformCells(4, 4);
  field.layers = {sw::MapLayerSpec{}};
  Files().Add("Maps/Field.cma", sw::EncodeTileMap(field));
  LoadItems(true);
  std::string path;
  MapPath(path, "Field");
  DataStream* stream = OpenDataFile(path);
  ASSERT_NE(stream, nullptr);
  auto map = std::make_unique<TileMap>(*stream);
  ASSERT_EQ(map->Load(*stream), 0);
  CloseDataFile(stream);
  ASSERT_EQ(GetCurrentTileMap(), map.get());
  Give("Glowstone");
  ClearPendingSpells();
  {
    InventoryDialog dialog;
    dialog.OnControlEvent(InventoryDialog::kUse, kUseCommand);
    EXPECT_TRUE(dialog.IsClosed());
    EXPECT_TRUE(HasPendingSpells());
  }
  ClearPendingSpells();
}

}  // namespace
