// ShopDialog: the trading window of a shop (shop_location.h), screen layout 9. One list shows either the shop's
// goods (buy mode, "Shop") or the character's carried items (sell mode, "Player"), beside the shop's picture and
// name, the character's gold, and the selected item's description and price. A price is the item's price times
// the shop kind's factor, truncated; selling pays half of that. Items priced below 1, and items of kind 8, are
// neither bought nor sold. Buying with too little gold runs the shop's cannot-pay event instead.
#pragma once

#include <cstdint>

#include "game/dialogs/dialog.h"

class ItemRecord;
class ShopLocation;

class ShopDialog : public Dialog {
 public:
  // Controls, by the index of their layout element.
  static constexpr int32_t kPicture = 0;
  static constexpr int32_t kPriceText = 1;
  static constexpr int32_t kGoldText = 2;
  static constexpr int32_t kShopButton = 3;
  static constexpr int32_t kPlayerButton = 4;
  static constexpr int32_t kList = 5;
  static constexpr int32_t kLeaveButton = 6;
  static constexpr int32_t kTradeButton = 7;
  static constexpr int32_t kNameText = 8;
  static constexpr int32_t kDescriptionText = 9;
  // The modes: the index of the button that chose each.
  static constexpr int32_t kBuyMode = kShopButton;
  static constexpr int32_t kSellMode = kPlayerButton;

  explicit ShopDialog(const ShopLocation& shop);
  ~ShopDialog() override;

  int32_t OnControlEvent(int32_t index, ControlEvent code) override;
  int32_t OnRowClick(int32_t index) override;
  int32_t OnSelectionMoved(int32_t index) override;
  int32_t OnRowDoubleClick(int32_t index) override;

  int32_t Mode() const { return mode_; }
  float PriceFactor() const { return factor_; }
  // What buying the item costs (price x factor, not truncated), the price shown for it (truncated), and what the
  // shop pays for it.
  float BuyingCost(const ItemRecord& item) const;
  int32_t BuyingPrice(const ItemRecord& item) const;
  int32_t SellingPrice(const ItemRecord& item) const;

 private:
  void FillForBuying();
  void FillForSelling();
  void ShowSelection();
  void Buy();
  void Sell();
  void ShowGold();
  void SetTradeEnabled(bool enabled);

  const ShopLocation& shop_;
  int32_t mode_ = kBuyMode;
  float factor_ = 1.0f;
};

// The price factor of a shop kind: 0, 0.1, 0.25, 0.5, 1, 2, 3, 4 for the kinds 0 to 7; 1 for any other kind.
float ShopPriceFactor(int32_t shopKind);
