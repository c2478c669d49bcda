// ShopLocation: a shop. Entering it opens the shop dialog (shop_dialog.h) over the place it was entered from and,
// once the dialog closes, goes back there through the location history.
//
// Record, after the common part of a location:
//   int16 G, then G short strings          the goods: names of the items the shop sells (G <= 0: none)
//   int16                                  shop kind: sets the price factor of the shop dialog
//   short string                           enter event: the name of an event called on entry
//   short string                           kept
//   event body                             enter actions, run on entry
//   short string, then an event body only when the string is ":::"   run when the player cannot pay
//   the same                               a second optional event, kept
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "game/world/location.h"

class ScriptEvent;

class ShopLocation : public Location {
 public:
  explicit ShopLocation(DataStream& stream);
  ~ShopLocation() override;

  int32_t Enter() override;
  void Leave() override;

  const std::vector<std::string>& Goods() const { return goods_; }
  int16_t ShopKind() const { return shopKind_; }
  const std::string& EnterEventName() const { return enterEvent_; }
  // The text that follows the enter event's name in the record: kept, read by nothing else.
  const std::string& TextAfterEnterEvent() const { return keptText_; }
  // The enter actions, run on entry.
  const ScriptEvent* EnterActions() const { return enterActions_.get(); }
  // The event run when the player cannot pay; null when the shop has none.
  const ScriptEvent* CannotPayEvent() const { return cannotPay_.get(); }
  const ScriptEvent* SecondEvent() const { return second_.get(); }

 private:
  std::vector<std::string> goods_;
  int16_t shopKind_ = 0;
  std::string enterEvent_;
  std::string keptText_;
  std::unique_ptr<ScriptEvent> enterActions_;
  std::unique_ptr<ScriptEvent> cannotPay_;
  std::unique_ptr<ScriptEvent> second_;
};
