// Shops: reading, and entering through the shop dialog.
#include "game/world/shop_location.h"

#include "game/dialogs/shop_dialog.h"
#include "game/rules/script_event.h"
#include "game/shell/data/data_stream.h"
#include "game/world/location_history.h"

namespace {

// A short string; ":::" is followed by an event body, which is read (any other string names no event here).
std::unique_ptr<ScriptEvent> ReadOptionalEvent(DataStream& stream) {
  std::string marker;
  stream.ReadPString(marker);
  if (marker != ":::") return nullptr;
  return std::make_unique<ScriptEvent>(stream);
}

}  // namespace

ShopLocation::ShopLocation(DataStream& stream) : Location(stream) {
  const int16_t count = stream.ReadInt16();
  for (int16_t i = 0; i < count; ++i) {
    std::string name;
    stream.ReadPString(name);
    goods_.push_back(std::move(name));
  }
  shopKind_ = stream.ReadInt16();
  stream.ReadPString(enterEvent_);
  stream.ReadPString(keptText_);
  enterActions_ = std::make_unique<ScriptEvent>(stream);
  cannotPay_ = ReadOptionalEvent(stream);
  second_ = ReadOptionalEvent(stream);
}

ShopLocation::~ShopLocation() = default;

int32_t ShopLocation::Enter() {
  LocationHistory::Push();
  SetCurrentLocation(this);
  if (IsActive()) return 0;
  RunLinks();
  CallEventName(enterEvent_);
  RunEventRecord(enterActions_.get());
  SetActive(true);
  Dialog::RunModal(std::make_unique<ShopDialog>(*this));
  Leave();
  LocationHistory::GoBack();
  return 0;
}

void ShopLocation::Leave() { SetActive(false); }
