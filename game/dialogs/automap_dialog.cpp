// The automap: the location's picture copied, dotted and fogged, with the player's marker drawn over it.
#include "game/dialogs/automap_dialog.h"

#include <algorithm>

#include "game/dialogs/view_layer.h"
#include "game/graphics/bit_mask.h"
#include "game/graphics/bitmap.h"
#include "game/graphics/blitter.h"
#include "game/graphics/picture_cache.h"
#include "game/rules/character.h"
#include "game/shell/data/data_paths.h"
#include "game/world/explored_mask.h"
#include "game/world/scene_layer.h"
#include "game/world/scene_view.h"
#include "game/world/tile_map.h"

namespace {

constexpr int32_t kAutomapLayout = 23;
constexpr ControlKind kAutomapKinds[] = {kPictureControlKind};
constexpr int32_t kAutomapControlCount = 1;
constexpr float kAutomapInputDelay = 1000.0f;
constexpr DrawColor kLivingDot{0, 0, 255, 255};
constexpr DrawColor kOtherDot{255, 0, 0, 255};

Bitmap* LoadWithoutTransparency(const std::string& path) {
  const int32_t options = ImageImportOptions;
  ImageImportOptions &= ~kDetectTransparency;
  Bitmap* picture = PictureCache::Load(path.c_str());
  ImageImportOptions = options | kDetectTransparency;
  return picture;
}

}  // namespace

AutomapDialog::AutomapDialog(const std::string& locationName, const std::string& pictureName,
                             const std::string& playerPictureName, bool showLiving, bool showOthers, bool fog)
    : Dialog(kAutomapLayout, kAutomapControlCount, kAutomapKinds, false), locationName_(locationName) {
  SetInputDelay(kAutomapInputDelay);
  SetCloseOnTab(true);
  SetCloseOnClick(true);
  SetCloseOnReturn(true);
  std::string path;
  if (!pictureName.empty()) {
    PicturePath(path, pictureName);
  } else {
    LocationPicturePath(path, locationName);
  }
  const Bitmap* source = LoadWithoutTransparency(path);
  if (source != nullptr) {
    auto copy = std::make_unique<Bitmap>();
    if (copy->CopyFrom(*source) == kBitmapReady) picture_ = std::move(copy);
  }
  if (picture_ != nullptr) {
    DrawDots(showLiving, showOthers);
    if (fog) ApplyFog();
    if (auto* control = GetControlAs<PictureControl>(0)) control->SetPicture(picture_.get(), false);
  }
  std::string playerPath;
  PicturePath(playerPath, playerPictureName);
  playerPicture_ = PictureCache::Load(playerPath.c_str());
}

AutomapDialog::~AutomapDialog() {
  ClearScreenLayers();
  if (auto* control = GetControlAs<PictureControl>(0)) control->SetPicture(nullptr, false);
}

void AutomapDialog::DrawDots(bool showLiving, bool showOthers) {
  const TileMap* map = GetCurrentTileMap();
  if (map == nullptr || map->CharacterCount() == 0 || (!showLiving && !showOthers)) return;
  if (map->Width() <= 0 || map->Height() <= 0) return;
  const int64_t width = picture_->width, height = picture_->height;
  for (const auto& character : map->Characters()) {
    const bool living = character->stamina > 0 && showLiving;
    if (!living && !showOthers) continue;
    const Bounds dot{static_cast<int32_t>(width * character->x / map->Width()),
                     static_cast<int32_t>(height * character->y / map->Height()),
                     static_cast<int32_t>(std::max<int64_t>(width / map->Width(), 1)),
                     static_cast<int32_t>(std::max<int64_t>(height / map->Height(), 1))};
    FillRect(*picture_, dot, living ? kLivingDot : kOtherDot);
  }
}

void AutomapDialog::ApplyFog() {
  const Control* control = GetControl(0);
  if (control == nullptr) return;
  const int32_t width = control->GetRect().width, height = control->GetRect().height;
  if (width <= 0 || height <= 0) return;
  // A location never explored has no mask: all of it stays hidden.
  const ExploredMask* explored = FindExploredMask(locationName_);
  const BitMask none(1, 1, false);
  const BitMask scaled(width, height, explored != nullptr ? explored->Bits() : none);
  ApplyMask(*picture_, Point{0, 0}, scaled, width, height);
}

bool AutomapDialog::PlayerMarkerCentre(int32_t* x, int32_t* y) const {
  const TileMap* map = GetCurrentTileMap();
  const Character* player = PeekCurrentCharacter();
  const Control* control = GetControl(0);
  if (map == nullptr || player == nullptr || playerPicture_ == nullptr || control == nullptr) return false;
  if (map->Width() <= 0 || map->Height() <= 0) return false;
  const Bounds& rect = control->GetRect();
  *x = Frame().x + rect.x + static_cast<int32_t>(int64_t{player->x} * rect.width / map->Width());
  *y = Frame().y + rect.y + static_cast<int32_t>(int64_t{player->y} * rect.height / map->Height());
  return true;
}

void AutomapDialog::Draw() {
  if (!IsDirty() || !IsRunning()) return;
  Dialog::Draw();
  SceneView* view = GetSceneView();
  int32_t x = 0, y = 0;
  if (view == nullptr || !PlayerMarkerCentre(&x, &y)) return;
  SceneLayer* layer = ControlsLayer().Get();
  if (layer == nullptr) return;
  CurrentLayerScope scope(layer);
  view->SetCurrentLayerImage(playerPicture_);
  // The controls' layer is placed at the dialog's frame.
  layer->PlaceImage(x - Frame().x - playerPicture_->width / 2, y - Frame().y - playerPicture_->height / 2);
}
