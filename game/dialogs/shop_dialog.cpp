// The shop dialog.
#include "game/dialogs/shop_dialog.h"

#include <algorithm>
#include <array>
#include <memory>
#include <string>

#include "game/dialogs/inventory_dialog.h"
#include "game/dialogs/list_controls.h"
#include "game/rules/character.h"
#include "game/rules/item_record.h"
#include "game/rules/script_event.h"
#include "game/shell/data/data_archive.h"
#include "game/shell/data/data_paths.h"
#include "game/shell/main_loop.h"
#include "game/shell/media/sound_effects.h"
#include "game/shell/record_lists.h"
#include "game/world/shop_location.h"

namespace {

constexpr int32_t kShopLayout = 9;
constexpr ControlKind kShopKinds[] = {kPictureControlKind, kStaticTextKind,    kStaticTextKind, kCaptionButtonKind,
                                      kCaptionButtonKind,  kListKind,          kCaptionButtonKind,
                                      kCaptionButtonKind,  kStaticTextKind,    kStaticTextKind};
constexpr int32_t kShopControlCount = 10;
constexpr int32_t kModeCommand = 13;
constexpr int32_t kTradeCommand = 14;
constexpr int kTradeSoundSlot = 8;
constexpr int16_t kUntradedKind = 8;

bool IsTraded(const ItemRecord& item) { return item.price >= 1 && item.kind != kUntradedKind; }

}  // namespace

float ShopPriceFactor(int32_t shopKind) {
  static constexpr std::array<float, 8> kFactors = {0.0f, 0.1f, 0.25f, 0.5f, 1.0f, 2.0f, 3.0f, 4.0f};
  if (shopKind < 0 || shopKind >= static_cast<int32_t>(kFactors.size())) return 1.0f;
  return kFactors[static_cast<size_t>(shopKind)];
}

ShopDialog::ShopDialog(const ShopLocation& shop)
    : Dialog(kShopLayout, kShopControlCount, kShopKinds, true), shop_(shop) {
  ShowGold();
  if (auto* price = GetControlAs<StaticTextControl>(kPriceText)) price->SetText("-");
  if (auto* name = GetControlAs<StaticTextControl>(kNameText)) name->SetText(shop.GetName());
  const std::pair<int32_t, const char*> captions[] = {
      {kLeaveButton, "Leave"}, {kTradeButton, "Buy"}, {kShopButton, "Shop"}, {kPlayerButton, "Player"}};
  for (const auto& [index, caption] : captions) {
    if (auto* button = GetControlAs<CaptionButton>(index)) button->SetCaption(caption);
  }
  if (auto* button = GetControlAs<CaptionButton>(kLeaveButton)) button->SetCommand(kEventClose);
  if (auto* button = GetControlAs<CaptionButton>(kTradeButton)) button->SetCommand(kTradeCommand);
  if (auto* button = GetControlAs<CaptionButton>(kShopButton)) button->SetCommand(kModeCommand);
  if (auto* button = GetControlAs<CaptionButton>(kPlayerButton)) button->SetCommand(kModeCommand);
  SetTradeEnabled(false);

  if (auto* picture = GetControlAs<PictureControl>(kPicture)) {
    std::string path;
    LocationPicturePath(path, shop.GetName());
    const int32_t options = ImageImportOptions;
    ImageImportOptions &= ~kDetectTransparency;
    std::unique_ptr<Bitmap> loaded = LoadPictureByName(path.c_str());
    ImageImportOptions = options;
    picture->SetPicture(loaded.release(), true);
  }
  factor_ = ShopPriceFactor(shop.ShopKind());
  FillForBuying();
  for (int32_t index : {kList, kShopButton, kPlayerButton, kTradeButton, kLeaveButton}) {
    BeginFocusGroup();
    AddToFocusGroup(index);
  }
  FocusFirstControl();
  OnRowClick(kList);
}

ShopDialog::~ShopDialog() = default;

float ShopDialog::BuyingCost(const ItemRecord& item) const { return static_cast<float>(item.price) * factor_; }

int32_t ShopDialog::BuyingPrice(const ItemRecord& item) const { return static_cast<int32_t>(BuyingCost(item)); }

// The pay is not cut to 16 bits: a dear item in a dear shop (30000 x 4 x 0.5) would wrap to a negative sum and
// cost the seller gold.
int32_t ShopDialog::SellingPrice(const ItemRecord& item) const {
  return static_cast<int32_t>(static_cast<double>(item.price) * static_cast<double>(factor_) * 0.5);
}

void ShopDialog::FillForBuying() {
  if (auto* button = GetControlAs<CaptionButton>(kTradeButton)) button->SetCaption("Buy");
  mode_ = kBuyMode;
  auto* list = GetControlAs<ListControl>(kList);
  if (list == nullptr) return;
  const Character* player = GetCurrentCharacter();
  struct Row {
    Bitmap* picture;
    std::string name;
    int32_t value;
  };
  std::vector<Row> rows;
  for (const std::string& name : shop_.Goods()) {
    const ItemRecord* item = FindItemByName(name);
    // Goods the scenario has no item for are not offered: such a row has no record to price, describe or add to
    // the inventory.
    if (item == nullptr) continue;
    rows.push_back(Row{ItemPicture(*item), name, player == nullptr || !IsItemUsableBy(*item, *player) ? 1 : 0});
  }
  // In the order of an inventory's list: by the kinds, then by name.
  std::stable_sort(rows.begin(), rows.end(),
                   [](const Row& a, const Row& b) { return InventoryNameLess(a.name, b.name); });
  list->Clear();
  for (const Row& row : rows) list->AddRow(row.picture, row.name, row.value, false);
}

void ShopDialog::FillForSelling() {
  if (auto* button = GetControlAs<CaptionButton>(kTradeButton)) button->SetCaption("Sell");
  mode_ = kSellMode;
  auto* list = GetControlAs<ListControl>(kList);
  if (list == nullptr) return;
  if (const Character* player = GetCurrentCharacter()) {
    FillInventoryList(*list, *player);
  } else {
    list->Clear();
  }
}

void ShopDialog::ShowSelection() {
  auto* list = GetControlAs<ListControl>(kList);
  auto* price = GetControlAs<StaticTextControl>(kPriceText);
  auto* description = GetControlAs<StaticTextControl>(kDescriptionText);
  const ItemRecord* item = list != nullptr ? FindItemByName(list->GetSelectedText()) : nullptr;
  if (item == nullptr) {
    if (description != nullptr) description->SetText("");
    if (price != nullptr) price->SetText("-");
    SetTradeEnabled(false);
    return;
  }
  if (description != nullptr) description->SetText(item->description);
  if (!IsTraded(*item)) {
    SetTradeEnabled(false);
    if (price != nullptr) price->SetText("-");
    return;
  }
  SetTradeEnabled(true);
  const int32_t shown = mode_ == kBuyMode ? BuyingPrice(*item) : SellingPrice(*item);
  if (price != nullptr) price->SetText(std::to_string(shown));
}

int32_t ShopDialog::OnRowClick(int32_t index) {
  ShowSelection();
  return Dialog::OnRowClick(index);
}

int32_t ShopDialog::OnSelectionMoved(int32_t index) {
  ShowSelection();
  return Dialog::OnSelectionMoved(index);
}

int32_t ShopDialog::OnRowDoubleClick(int32_t index) {
  auto* trade = GetControlAs<CaptionButton>(kTradeButton);
  if (trade != nullptr && trade->IsEnabled()) {
    if (mode_ == kBuyMode) {
      Buy();
    } else {
      Sell();
    }
  }
  return Dialog::OnRowDoubleClick(index);
}

int32_t ShopDialog::OnControlEvent(int32_t index, ControlEvent code) {
  if (code == kModeCommand) {
    if (index != mode_ && (index == kBuyMode || index == kSellMode)) {
      if (auto* description = GetControlAs<StaticTextControl>(kDescriptionText)) description->SetText("");
      SetTradeEnabled(false);
      if (auto* price = GetControlAs<StaticTextControl>(kPriceText)) price->SetText("-");
      if (index == kBuyMode) {
        FillForBuying();
      } else {
        FillForSelling();
      }
      OnRowClick(kList);
    }
    return kConsumeClick;
  }
  if (code == kTradeCommand) {
    if (mode_ == kBuyMode) {
      Buy();
    } else {
      Sell();
    }
    return kConsumeClick;
  }
  return Dialog::OnControlEvent(index, code);
}

void ShopDialog::Buy() {
  auto* list = GetControlAs<ListControl>(kList);
  Character* player = GetCurrentCharacter();
  if (list == nullptr || list->GetSelectedText().empty() || player == nullptr) return;
  const ItemRecord* item = FindItemByName(list->GetSelectedText());
  // Items priced below 1 and those of kind 8 are never sold to the player, whatever left the button on: bought,
  // they would cost nothing.
  if (item == nullptr || !IsTraded(*item)) return;
  // Gold is compared with the cost as a floating value and what is left is truncated: a cost of 0.75 shows as 0,
  // needs at least 1 gold and takes 10 gold down to 9.
  const double cost = BuyingCost(*item);
  if (static_cast<double>(player->gold) >= cost) {
    PlaySoundSlot(kTradeSoundSlot);
    player->gold = static_cast<int32_t>(static_cast<double>(player->gold) - cost);
    player->AddInventoryItem(item);
    ShowGold();
  } else {
    RunEventRecord(shop_.CannotPayEvent());
    ClearGameView();
  }
  SetDirty();
}

void ShopDialog::Sell() {
  auto* list = GetControlAs<ListControl>(kList);
  Character* player = GetCurrentCharacter();
  if (list == nullptr || list->GetSelectedText().empty() || player == nullptr) return;
  ItemRecord* item = player->FindInventoryItem(list->GetSelectedText(), true);
  if (item == nullptr || !IsTraded(*item)) return;
  player->gold += SellingPrice(*item);
  player->Drop(item, true);
  PlaySoundSlot(kTradeSoundSlot);
  ShowGold();
  list->SaveScroll();
  FillForSelling();
  list->RestoreScroll();
  OnRowClick(kList);
}

void ShopDialog::ShowGold() {
  const Character* player = GetCurrentCharacter();
  if (auto* gold = GetControlAs<StaticTextControl>(kGoldText)) gold->SetText(std::to_string(player ? player->gold : 0));
}

void ShopDialog::SetTradeEnabled(bool enabled) {
  if (auto* button = GetControlAs<CaptionButton>(kTradeButton)) button->SetState(enabled);
}
