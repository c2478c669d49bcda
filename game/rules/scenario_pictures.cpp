// The layout picture slots and pictures by name.
#include "game/rules/scenario_pictures.h"

#include <array>

#include "game/dialogs/screen_layouts.h"
#include "game/graphics/picture_cache.h"
#include "game/shell/data/data_paths.h"

namespace {

constexpr int32_t kFirstSlotLayout = 24;
constexpr int32_t kSlotCount = 10;
// Numbered pictures are the slots after the first.
constexpr int32_t kFirstNumberedPicture = 1;
constexpr int32_t kLastNumberedPicture = 9;

std::array<Bitmap*, kSlotCount>& Slots() {
  static std::array<Bitmap*, kSlotCount> slots{};
  return slots;
}

}  // namespace

void FillLayoutPictureSlots() {
  for (int32_t i = 0; i < kSlotCount; ++i) {
    Slots()[i] = nullptr;
    Layout* layout = GetLayout(kFirstSlotLayout + i);
    if (layout == nullptr || layout->GetName().empty()) continue;
    Slots()[i] = GetScenarioPicture(layout->GetName());
  }
}

Bitmap* GetLayoutPictureSlot(int32_t slot) {
  if (slot < 0 || slot >= kSlotCount) return nullptr;
  return Slots()[slot];
}

Bitmap* GetNumberedPicture(int32_t number) {
  if (number < kFirstNumberedPicture || number > kLastNumberedPicture) return nullptr;
  return GetLayoutPictureSlot(number);
}

Bitmap* GetScenarioPicture(const std::string& name) {
  if (name.empty()) return nullptr;
  std::string path;
  PicturePath(path, name);
  return PictureCache::Load(path.c_str());
}
