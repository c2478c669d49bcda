// Still screens: reading, entering and leaving, clicks and keys, drawing, and the picture elements.
#include "game/world/screen_location.h"

#include <cstdio>

#include "game/dialogs/screen_layouts.h"
#include "game/dialogs/status_panel.h"
#include "game/graphics/animation_set.h"
#include "game/rules/character.h"
#include "game/rules/script_event.h"
#include "game/shell/data/data_archive.h"
#include "game/shell/data/data_paths.h"
#include "game/shell/data/data_stream.h"
#include "game/shell/data/stopwatch.h"
#include "game/shell/input_manager.h"
#include "game/shell/record_lists.h"
#include "game/shell/scenario_config.h"
#include "game/world/location_history.h"
#include "game/world/location_spot_list.h"
#include "game/world/scene_view.h"
#include "game/world/sprite.h"
#include "game/world/world_services.h"

namespace {

constexpr int32_t kScreenLayout = 16;
constexpr int32_t kPortraitElement = 0;
constexpr int32_t kPictureElement = 28;
constexpr int32_t kFirstMapButton = 30;
constexpr int32_t kLastMapButton = 39;
// An "St" coordinate that keeps the element's own.
constexpr int32_t kKeepCoordinate = 32767;

// Where the element's name and its click event are kept among a sprite's texts.
constexpr size_t kElementName = 0;
constexpr size_t kElementEvent = 2;

void PlaceOn(SceneLayer* layer, Bitmap* picture, int32_t x, int32_t y) {
  SceneView* view = GetSceneView();
  if (view == nullptr || layer == nullptr || picture == nullptr) return;
  view->SetCurrentLayerImage(picture);
  layer->PlaceImage(x, y);
}

PictureRef* ElementPicture(const std::string& path) {
  ImageImportOptions |= kDetectTransparency;
  return new PictureRef(path);
}

}  // namespace

ScreenLocation::ScreenLocation(DataStream& stream) : Location(stream) {
  ReadAmbientSounds(stream, sounds_);
  globalShortcuts_ = stream.ReadInt16();
  shortcuts_ = std::make_unique<LocationSpotList>(stream);
  SetInterface(stream.ReadInt16() != 0);
  const int16_t count = stream.ReadInt16();
  for (int16_t i = 0; i < count; ++i) {
    LocationHotspot hotspot;
    stream.ReadPString(hotspot.location);
    hotspot.rect.x = stream.ReadInt16();
    hotspot.rect.y = stream.ReadInt16();
    hotspot.rect.width = stream.ReadInt16();
    hotspot.rect.height = stream.ReadInt16();
    hotspots_.push_back(std::move(hotspot));
  }
  stream.ReadPString(enterEvent_);
  stream.ReadPString(keptText_);
  enterActions_ = std::make_unique<ScriptEvent>(stream);
}

ScreenLocation::~ScreenLocation() {
  if (LastScreenLocation() == this) SetLastScreenLocation(nullptr);
  ClearElementLayer();
  elements_.clear();
  RemoveLayers();
}

int32_t ScreenLocation::Enter() {
  YieldBriefly();
  Input::Reset();
  if (Character* player = GetCurrentCharacter()) player->SetPath(nullptr);
  const Location* from = GetCurrentLocation();
  LocationHistory::Push();
  ScreenLocation* last = LastScreenLocation();
  if (last != nullptr) last->Leave();
  // From one still screen to another: nothing to go back to. A shop is remembered (its entry names no place, so
  // going back to it does nothing).
  if (last != nullptr && last == from) LocationHistory::Drop();
  SetLastScreenLocation(this);
  SetCurrentLocation(this);
  SceneView* view = GetSceneView();
  if (view != nullptr) view->HideAllLayers();
  if (IsActive()) {
    if (SceneLayer* layer = background_.Get()) layer->SetVisible(true);
    if (SceneLayer* layer = elementLayer_.Get()) layer->SetVisible(true);
    return 0;
  }
  background_.Make(ScreenBounds());
  elementLayer_.Make(ScreenBounds());

  std::string path;
  LocationPicturePath(path, GetName());
  ImageImportOptions &= ~kDetectTransparency;
  picture_ = LoadPictureByName(path.c_str());
  ImageImportOptions |= kDetectTransparency;
  if (view != nullptr) view->ClearBackBuffer();

  layout_ = GetLayout(kScreenLayout);
  const LayoutElement* place = layout_ != nullptr ? layout_->GetElement(kPictureElement) : nullptr;
  if (HasInterface() && place != nullptr) {
    originX_ = place->x;
    originY_ = place->y;
  } else if (picture_ != nullptr) {
    // The centred picture's corner is the origin too: with the origin left at 0, 0 the hotspots and elements of a
    // picture smaller than the screen would be looked for off the picture, where the player does not see them.
    const Bounds screen = ScreenBounds();
    originX_ = (screen.width - picture_->width) / 2;
    originY_ = (screen.height - picture_->height) / 2;
  }
  {
    CurrentLayerScope scope(background_.Get());
    if (SceneLayer* layer = background_.Get()) {
      layer->Clear();
      PlaceOn(layer, picture_.get(), originX_, originY_);
    }
  }
  ClearElementLayer();

  // Active from here on, so that an event that takes the player elsewhere leaves this screen properly: marked
  // only afterwards, the screen the events left would stay entered and loaded beneath the next one, and coming
  // back to it would show it again without its enter event. Once an event has left it, nothing more of the entry
  // is done.
  SetActive(true);
  CallEventName(enterEvent_);
  RunEventRecord(enterActions_.get());
  if (!IsActive() || GetCurrentLocation() != this) return 0;
  if (HasInterface() && layout_ != nullptr) SetInterface(DrawStatusPanel(*layout_));

  StartAmbientSounds(sounds_);
  RunLinks();
  ReleaseScratchBuffer();
  return 0;
}

void ScreenLocation::Leave() {
  if (!IsActive()) return;
  originX_ = 0;
  originY_ = 0;
  ClearElementLayer();
  elements_.clear();
  Input::Reset();
  RemoveLayers();
  picture_.reset();
  SetActive(false);
  if (HasInterface() && layout_ != nullptr) layout_->DestroyLayers();
  layout_ = nullptr;
  YieldBriefly();
}

void ScreenLocation::OnClick() {
  if (!IsActive()) return;
  int32_t mouseX = 0, mouseY = 0, state = 0;
  Input::GetMouse(&mouseX, &mouseY, &state);
  const int32_t px = mouseX - originX_;
  const int32_t py = mouseY - originY_;

  bool ran = shortcuts_ != nullptr && RunFirstUsableSpot(*shortcuts_);
  if (!ran && globalShortcuts_ != 0 && GetGlobalSpotList() != nullptr) ran = RunFirstUsableSpot(*GetGlobalSpotList());
  if (ran) Input::Reset();
  if (!Input::WasClicked() || !IsActive()) return;

  // The portrait and the map buttons stand where the layout puts them on the screen, so they take the pointer as
  // it is: measured from the picture's corner (element 28's, under the interface) every button would miss its
  // clicks by that corner's offset.
  if (HasInterface() && layout_ != nullptr) {
    const LayoutElement* portrait = layout_->GetElement(kPortraitElement);
    if (portrait != nullptr && portrait->Contains(mouseX, mouseY)) {
      Input::ClearClick();
      CallEventName("MainPortrait");
      // An event that left this screen took its layout with it: the buttons are not looked at through it.
      if (!IsActive() || GetCurrentLocation() != this || layout_ == nullptr) return;
    }
    for (int32_t index = kFirstMapButton; index <= kLastMapButton; ++index) {
      const LayoutElement* button = layout_->GetElement(index);
      if (button == nullptr || !button->Contains(mouseX, mouseY)) continue;
      Input::ClearClick();
      char name[24];
      std::snprintf(name, sizeof name, "MapButton%d", static_cast<int>(index));
      CallEventName(name);
      return;
    }
  }

  for (const std::unique_ptr<Sprite>& element : elements_) {
    const std::string& text = element->texts[kElementEvent];
    if (text.empty() || text == ":") continue;
    const Bitmap* picture = element->FramePicture();
    const int32_t x = static_cast<int32_t>(element->PositionX());
    const int32_t y = static_cast<int32_t>(element->PositionY());
    const int32_t w = picture != nullptr ? picture->width : 0;
    const int32_t h = picture != nullptr ? picture->height : 0;
    if (px < x || px > x + w || py < y || py > y + h) continue;
    Input::ClearClick();
    // A copy: the event may remove the element.
    const std::string event = text;
    CallEventName(event);
    return;
  }

  for (const LocationHotspot& hotspot : hotspots_) {
    const Bounds& r = hotspot.rect;
    if (px < r.x || px > r.x + r.width || py < r.y || py > r.y + r.height) continue;
    if (LocationExists(hotspot.location)) {
      Input::ClearClick();
      // A copy: entering may free this screen's lists.
      const std::string target = hotspot.location;
      if (Location* location = FindLocationByName(target)) location->Enter();
    }
    break;
  }
  Input::ClearClick();
}

void ScreenLocation::Draw() {
  if (HasInterface() && layout_ != nullptr) RefreshStatusPanelTexts(*layout_);
  SceneLayer* layer = elementLayer_.Get();
  if (layer == nullptr) return;
  CurrentLayerScope scope(layer);
  layer->Clear();
  // The elements stand on the picture: their positions are picture coordinates, as the clicks on them are
  // measured. Drawn at the bare position they would stand off the picture by its corner's offset (element 28's
  // under the interface, the centring without it), and a click on an element as shown would miss it.
  for (const std::unique_ptr<Sprite>& element : elements_) {
    PlaceOn(layer, element->FramePicture(), originX_ + static_cast<int32_t>(element->PositionX()),
            originY_ + static_cast<int32_t>(element->PositionY()));
  }
}

void ScreenLocation::AddPictureElement(const std::string& name, const std::string& picture, int32_t x, int32_t y,
                                       const std::string& text) {
  std::string path;
  PicturePath(path, picture);
  auto element = std::make_unique<Sprite>();
  element->SetPicture(ElementPicture(path), true);
  element->SetPosition(x, y);
  element->texts[kElementName] = name;
  element->texts[kElementEvent] = text;
  elements_.push_back(std::move(element));
  if (SceneView* view = GetSceneView()) view->ClearBackBuffer();
}

void ScreenLocation::SetElementPicture(const std::string& name, const std::string& picture, int32_t x, int32_t y,
                                       const std::string& text) {
  Sprite* element = FindElement(name);
  if (element != nullptr) {
    std::string path;
    PicturePath(path, picture);
    const PictureRef* current = element->GetPictureRef();
    if (current == nullptr || current->Name() != path) element->SetPicture(ElementPicture(path), true);
    if (text != ":") element->texts[kElementEvent] = text;
    if (x != kKeepCoordinate) element->SetX(x);
    if (y != kKeepCoordinate) element->SetY(y);
  }
  if (SceneView* view = GetSceneView()) view->ClearBackBuffer();
}

void ScreenLocation::RemoveElementNamed(const std::string& name) {
  for (auto it = elements_.begin(); it != elements_.end(); ++it) {
    if ((*it)->texts[kElementName] != name) continue;
    ClearElementLayer();
    elements_.erase(it);
    return;
  }
}

void ScreenLocation::ClearElements() {
  ClearElementLayer();
  elements_.clear();
}

Sprite* ScreenLocation::FindElement(const std::string& name) const {
  for (const std::unique_ptr<Sprite>& element : elements_) {
    if (element->texts[kElementName] == name) return element.get();
  }
  return nullptr;
}

void ScreenLocation::ClearElementLayer() {
  if (SceneLayer* layer = elementLayer_.Get()) layer->Clear();
}

void ScreenLocation::RemoveLayers() {
  background_.Destroy();
  elementLayer_.Destroy();
}
