// Record kinds by name only, and the layout picture slots.
#include "game/rules/scenario_records.h"

#include <array>

#include "game/dialogs/screen_layouts.h"
#include "game/graphics/picture_cache.h"
#include "game/shell/data/data_paths.h"
#include "game/shell/data/data_stream.h"

namespace {

constexpr int32_t kFirstSlotLayout = 24;
constexpr int32_t kSlotCount = 10;

std::array<Bitmap*, kSlotCount>& Slots() {
  static std::array<Bitmap*, kSlotCount> slots{};
  return slots;
}

}  // namespace

StandInRecord::StandInRecord(DataStream& stream) : NamedRecord(stream) { SetLoaded(stream.GetError() == 0); }

void FillLayoutPictureSlots() {
  for (int32_t i = 0; i < kSlotCount; ++i) {
    Slots()[i] = nullptr;
    Layout* layout = GetLayout(kFirstSlotLayout + i);
    if (layout == nullptr || layout->GetName().empty()) continue;
    std::string path;
    PicturePath(path, layout->GetName());
    Slots()[i] = PictureCache::Load(path.c_str());
  }
}

Bitmap* GetLayoutPictureSlot(int32_t slot) {
  if (slot < 0 || slot >= kSlotCount) return nullptr;
  return Slots()[slot];
}
