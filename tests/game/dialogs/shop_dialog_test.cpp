// The shop dialog over writer-made shops: prices by shop kind, buying (and too little gold), selling merged rows,
// and the player's empty list, driven by scripted input.
#include "game/dialogs/shop_dialog.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "game/dialogs/list_controls.h"
#include "game/rules/character.h"
#include "game/rules/item_record.h"
#include "game/shell/record_lists.h"
#include "game/world/shop_location.h"
#include "host/user.h"
#include "tests/support/dialog_input.h"
#include "tools/scenario_writer/location_writer.h"

namespace {

namespace sw = scenario_writer;
using namespace test_support::input;
using namespace test_support::script;
using test_support::InputStep;
using test_support::RunScripted;

class ShopDialogTest : public test_support::DialogHarness {
 protected:
  void SetUp() override {
    DialogHarness::SetUp();
    Config().globalNames = {"gb_broke"};
    Config().layouts[9].name = "Shop.bmp";
    // The picture, price, gold, "Shop", "Player", the list, "Leave", "Buy", the name and the description.
    Config().layouts[9].elements = {{"picture", 10, 10, 100, 40}, {"price", 10, 120, 100, 20},
                                    {"gold", 10, 150, 100, 20},    {"shop", 10, 180, 60, 20},
                                    {"player", 80, 180, 60, 20},   {"list", 150, 10, 240, 280},
                                    {"leave", 10, 260, 60, 20},    {"trade", 80, 260, 60, 20},
                                    {"name", 10, 210, 130, 20},    {"description", 10, 60, 130, 50}};
    AddPicture("Pictures/Shop.bmp", sw::Canvas(400, 300, sw::Rgb{120, 100, 80}));
    AddItem("Rope", 3);
    AddItem("Lamp", 10);
    AddItem("Gem", 50);
    AddItem("Crown", 30000);
    AddItem("Key", 5, 8);  // a kind that is never traded
  }
  void AddItem(const std::string& name, int16_t price, int16_t kind = 5) {
    sw::ItemSpec item;
    item.kind = kind;
    item.price = price;
    item.description = name + " for sale";
    Files().Add("Items/" + name + ".itm", sw::EncodeItem(item));
  }
  void AddShop(const std::string& name, int16_t kind, std::vector<std::string> goods) {
    sw::ShopLocationSpec shop;
    shop.shopKind = kind;
    shop.goods = std::move(goods);
    shop.cannotPay = {":::", sw::EventSpec{{ChangeGlobal("gb_broke", 2, "1")}, {}, 0}};
    Files().Add(sw::LocationRecordPath(name), sw::EncodeShopLocation(shop));
  }
  static const ShopLocation& Shop(const std::string& name) {
    return *dynamic_cast<ShopLocation*>(FindLocationByName(name));
  }
  static std::vector<std::string> Rows(const ShopDialog& dialog) {
    std::vector<std::string> rows;
    const auto* list = dialog.GetControlAs<ListControl>(ShopDialog::kList);
    for (int32_t i = 0; list != nullptr && i < list->GetRowCount(); ++i) {
      rows.push_back(list->GetRow(i).text + "x" + std::to_string(list->GetRow(i).count + 1));
    }
    return rows;
  }
  static std::string Text(const ShopDialog& dialog, int32_t index) {
    const auto* text = dialog.GetControlAs<StaticTextControl>(index);
    return text != nullptr ? text->GetText() : "?";
  }
  // A click on the list below its rows, which gives it the focus (and must press no button the pointer was over
  // before), and then Down: the next row.
  static std::vector<InputStep> NextRow() {
    return {ClickOn(ShopDialog::kList), Wait(2), KeyDown(VK_DOWN), KeyUp(VK_DOWN), Wait(20)};
  }
  static std::vector<InputStep> Then(std::vector<InputStep> steps, const std::vector<InputStep>& more) {
    steps.insert(steps.end(), more.begin(), more.end());
    return steps;
  }
  static bool TradeEnabled(const ShopDialog& dialog) {
    const auto* button = dialog.GetControlAs<CaptionButton>(ShopDialog::kTradeButton);
    return button != nullptr && button->IsEnabled();
  }
};

TEST_F(ShopDialogTest, PricesFollowTheShopKindAndSellingPaysHalf) {
  struct Case {
    int16_t kind;
    int32_t buyRope, sellRope, buyLamp, sellLamp;
  } cases[] = {
      {0, 0, 0, 0, 0},  {1, 0, 0, 1, 0},   {2, 0, 0, 2, 1},   {3, 1, 0, 5, 2},   {4, 3, 1, 10, 5},
      {5, 6, 3, 20, 10}, {6, 9, 4, 30, 15}, {7, 12, 6, 40, 20}, {8, 3, 1, 10, 5}, {-1, 3, 1, 10, 5},
  };
  for (const Case& c : cases) AddShop("Shop" + std::to_string(c.kind), c.kind, {"Rope"});
  LoadWithWindow();
  for (const Case& c : cases) {
    ShopDialog dialog(Shop("Shop" + std::to_string(c.kind)));
    const ItemRecord& rope = *FindItemByName("Rope");
    const ItemRecord& lamp = *FindItemByName("Lamp");
    EXPECT_EQ(dialog.BuyingPrice(rope), c.buyRope) << c.kind;
    EXPECT_EQ(dialog.SellingPrice(rope), c.sellRope) << c.kind;
    EXPECT_EQ(dialog.BuyingPrice(lamp), c.buyLamp) << c.kind;
    EXPECT_EQ(dialog.SellingPrice(lamp), c.sellLamp) << c.kind;
    // The rope is selected at once, its price shown.
    EXPECT_EQ(Text(dialog, ShopDialog::kPriceText), std::to_string(c.buyRope)) << c.kind;
  }
  // A dear item in the dearest shop: no 16-bit wrap.
  ShopDialog dear(Shop("Shop7"));
  EXPECT_EQ(dear.SellingPrice(*FindItemByName("Crown")), 60000);
}

TEST_F(ShopDialogTest, BuyingTakesPriceTimesFactorAndTooLittleGoldRunsOnlyTheShopsEvent) {
  AddShop("Stall", 2, {"Rope"});
  AddShop("Store", 4, {"Rope", "Lamp", "Gem", "Key", "Unknown"});
  LoadWithWindow();
  Player().gold = 10;
  // A rope priced 3 shows 0 in a shop of kind 2, yet takes 10 gold down to 9 (10 - 0.75, truncated).
  auto stall = std::make_unique<ShopDialog>(Shop("Stall"));
  EXPECT_EQ(Text(*stall, ShopDialog::kPriceText), "0");
  EXPECT_EQ(Text(*stall, ShopDialog::kNameText), "stall");
  EXPECT_FALSE(RunScripted(std::move(stall), {ClickOn(ShopDialog::kTradeButton), ClickOn(ShopDialog::kLeaveButton)})
                   .closedTheWindow);
  EXPECT_EQ(Player().gold, 9);
  ASSERT_EQ(Player().inventory.size(), 1u);

  Player().gold = 12;
  auto store = std::make_unique<ShopDialog>(Shop("Store"));
  ShopDialog* shown = store.get();
  // Sorted by name; goods the scenario lacks are not offered.
  EXPECT_EQ(Rows(*shown), (std::vector<std::string>{"Gemx1", "Lampx1", "Ropex1", "Keyx1"}));
  std::string keyPrice;
  bool keyTraded = true;
  std::vector<InputStep> steps = {ClickOn(ShopDialog::kTradeButton)};  // the gem: 50 is too much
  steps = Then(steps, NextRow());
  steps = Then(steps, {ClickOn(ShopDialog::kTradeButton), Wait(20),  // the lamp: 10
                       ClickOn(ShopDialog::kTradeButton), Wait(20)});  // a second: too much
  steps = Then(steps, NextRow());
  steps = Then(steps, NextRow());
  steps = Then(steps, {WaitFor([&] {
                         keyPrice = Text(*shown, ShopDialog::kPriceText);
                         keyTraded = TradeEnabled(*shown);
                         return true;
                       }),
                       ClickOn(ShopDialog::kLeaveButton)});
  RunScripted(std::move(store), steps);
  EXPECT_EQ(Global("gb_broke"), "2");
  EXPECT_EQ(Player().gold, 2);
  ASSERT_EQ(Player().inventory.size(), 2u);
  EXPECT_EQ(Player().inventory[1]->GetName(), "lamp");
  EXPECT_EQ(keyPrice, "-");
  EXPECT_FALSE(keyTraded);
}

TEST_F(ShopDialogTest, SellingTakesOneOfAMergedRowAndAnEmptyListSellsNothing) {
  AddShop("Store", 4, {"Lamp"});
  LoadWithWindow();
  Player().gold = 0;
  for (const char* name : {"Rope", "Lamp", "Rope"}) Player().AddInventoryItem(FindItemByName(name));
  auto store = std::make_unique<ShopDialog>(Shop("Store"));
  ShopDialog* shown = store.get();
  std::vector<std::vector<std::string>> seen;
  std::vector<std::string> caption;
  auto look = [&] {
    seen.push_back(Rows(*shown));
    return true;
  };
  std::vector<InputStep> steps = Then({ClickOn(ShopDialog::kPlayerButton), WaitFor(look)}, NextRow());
  steps = Then(steps, {ClickOn(ShopDialog::kTradeButton), WaitFor(look), ClickOn(ShopDialog::kTradeButton),
                       WaitFor(look), WaitFor([&] {
                         caption.push_back(
                             shown->GetControlAs<CaptionButton>(ShopDialog::kTradeButton)->GetCaption());
                         return true;
                       }),
                       ClickOn(ShopDialog::kLeaveButton)});
  RunScripted(std::move(store), steps);
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0], (std::vector<std::string>{"lampx1", "ropex2"}));
  EXPECT_EQ(seen[1], (std::vector<std::string>{"lampx1", "ropex1"}));
  EXPECT_EQ(seen[2], (std::vector<std::string>{"lampx1"}));
  EXPECT_EQ(caption, std::vector<std::string>{"Sell"});
  EXPECT_EQ(Player().gold, 2);
  ASSERT_EQ(Player().inventory.size(), 1u);

  // With nothing carried, the player's list is empty and "Sell" stays disabled.
  Player().Drop(Player().inventory[0].get(), true);
  auto empty = std::make_unique<ShopDialog>(Shop("Store"));
  shown = empty.get();
  bool enabled = true;
  size_t rows = 99;
  RunScripted(std::move(empty), {ClickOn(ShopDialog::kPlayerButton), WaitFor([&] {
                                   rows = Rows(*shown).size();
                                   enabled = TradeEnabled(*shown);
                                   return true;
                                 }),
                                 ClickOn(ShopDialog::kTradeButton), ClickOn(ShopDialog::kLeaveButton)});
  EXPECT_EQ(rows, 0u);
  EXPECT_FALSE(enabled);
  EXPECT_EQ(Player().gold, 2);
}

}  // namespace
