// The status panel: its picture and mask, its layers, and the character's texts over it.
#include "game/dialogs/status_panel.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>

#include "game/dialogs/screen_layouts.h"
#include "game/dialogs/view_layer.h"
#include "game/graphics/bit_mask.h"
#include "game/graphics/bitmap.h"
#include "game/graphics/blitter.h"
#include "game/rules/character.h"
#include "game/rules/class_race_records.h"
#include "game/shell/data/data_archive.h"
#include "game/shell/data/data_paths.h"
#include "game/world/scene_view.h"
#include "game/world/world_services.h"

namespace {

constexpr int32_t kMaskLayout = 20;
constexpr int32_t kPortraitElement = 0;
constexpr int32_t kViewElement = 28;
// The element of each text, in the order of the texts.
constexpr std::array<int32_t, kStatusTextCount> kTextElements = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10,
                                                                 11, 12, 13, 14, 15, 16, 17, 18, 19, 20,
                                                                 21, 22, 23, 24, 25, 26, 27, 29};

struct PanelState {
  std::string name;
  std::unique_ptr<Bitmap> bitmap;
  std::unique_ptr<BitMask> mask;
};

PanelState& State() {
  static PanelState* state = new PanelState;
  return *state;
}

std::unique_ptr<Bitmap> LoadPanelPicture(const std::string& name) {
  std::string path;
  PicturePath(path, name);
  return LoadPictureByName(path.c_str());
}

// The mask of a panel picture: from layout 20's picture, or the whole panel without element 28.
std::unique_ptr<BitMask> MakePanelMask(const Layout& layout, const Bitmap& panel) {
  const Layout* maskLayout = GetLayout(kMaskLayout);
  std::unique_ptr<Bitmap> maskPicture;
  if (maskLayout != nullptr && !maskLayout->GetName().empty()) maskPicture = LoadPanelPicture(maskLayout->GetName());
  if (maskPicture != nullptr) return std::make_unique<BitMask>(*maskPicture, DrawColor{0, 0, 0, 0});
  auto mask = std::make_unique<BitMask>(panel.width, panel.height, true);
  // A layout without element 28 has no rectangle to cut out: the whole panel is the panel's.
  if (const LayoutElement* view = layout.GetElement(kViewElement)) {
    const int32_t right = std::min(view->x + view->width, panel.width);
    const int32_t bottom = std::min(view->y + view->height, panel.height);
    for (int32_t y = std::max(view->y, 0); y < bottom; ++y) {
      for (int32_t x = std::max(view->x, 0); x < right; ++x) mask->SetBit(x, y, false);
    }
  }
  mask->ComputeUsedBounds();
  return mask;
}

// Loads the picture of a layout whose name differs from the one remembered; a picture that does not load leaves
// the panel as it was.
void LoadPanel(const Layout& layout) {
  PanelState& s = State();
  s.name = layout.GetName();
  const int32_t saved = ImageImportOptions;
  ImageImportOptions &= ~kDetectTransparency;
  std::unique_ptr<Bitmap> picture = LoadPanelPicture(s.name);
  if (picture != nullptr) {
    std::unique_ptr<BitMask> mask = MakePanelMask(layout, *picture);
    std::unique_ptr<Bitmap> bitmap;
    if (mask != nullptr) {
      ApplyMask(*picture, Point{0, 0}, *mask, picture->width, picture->height);
      bitmap = std::make_unique<Bitmap>();
      if (bitmap->FromRect(*picture, mask->UsedBounds(), true) != kBitmapReady) bitmap.reset();
    } else {
      bitmap = std::move(picture);
    }
    s.bitmap = std::move(bitmap);
    s.mask = std::move(mask);
  }
  ImageImportOptions = saved | kDetectTransparency;
}

// Places the player's portrait on the text layer, which has just been cleared. The layer shows a copy that the
// layout owns, never the player's own picture, which may be freed while the panel stays on the screen.
void PlacePortrait(SceneView& view, SceneLayer& layer, Layout& layout) {
  std::unique_ptr<Bitmap>& shown = layout.ShownPortrait();
  shown.reset();
  const Character* player = PeekCurrentCharacter();
  const LayoutElement* element = layout.GetElement(kPortraitElement);
  if (player == nullptr || player->GetPicture() == nullptr || element == nullptr) return;
  auto copy = std::make_unique<Bitmap>();
  if (copy->CopyFrom(*player->GetPicture()) != kBitmapReady) return;
  shown = std::move(copy);
  view.SetCurrentLayerImage(shown.get());
  layer.PlaceImage(element->x, element->y);
}

std::string Number(int64_t value) { return std::to_string(value); }

}  // namespace

int64_t NextLevelExperience(const Character& character) {
  const double needed = std::trunc(character.NextLevelNeeded());
  // The skill table's whole numbers stay well inside 64 bits; only a need at the very end of that range is held
  // short of it, where the conversion (or the experience still to gain) would have no result.
  constexpr double kLimit = 9.2e18;
  if (!(needed < kLimit)) return static_cast<int64_t>(kLimit);
  if (!(needed > -kLimit)) return -static_cast<int64_t>(kLimit);
  return static_cast<int64_t>(needed);
}

std::vector<std::string> MakeStatusTexts() {
  std::vector<std::string> texts(kStatusTextCount);
  const Character* player = PeekCurrentCharacter();
  if (player != nullptr) {
    const CharacterValues& current = player->current;
    const int64_t next = NextLevelExperience(*player);
    texts = {
        player->GetName(),
        Number(player->stamina),
        Number(current.maxStamina),
        Number(player->magic),
        Number(current.maxMagic),
        Number(current.maxDamage),
        Number(current.naturalProtection),
        Number(current.strength),
        Number(current.dexterity),
        Number(current.vitality),
        Number(current.wisdom),
        Number(current.karma),
        Number(current.luck),
        Number(current.speed),
        Number(current.perception),
        player->GetRace() != nullptr ? player->GetRace()->GetName() : std::string(),
        player->GetClass() != nullptr ? player->GetClass()->GetName() : std::string(),
        Number(player->level),
        Number(player->experience),
        Number(next),
        Number(std::max<int64_t>(next - player->experience, 0)),
        Number(player->gold),
        Number(player->base.naturalProtection),
        Number(current.chemicalProtection),
        Number(current.fireProtection),
        Number(current.coldProtection),
        Number(current.electricalProtection),
        std::string(),
    };
  }
  if (const Location* location = GetCurrentLocation()) texts.back() = location->GetName();
  return texts;
}

int32_t StatusTextElement(int32_t field) {
  if (field < 0 || field >= kStatusTextCount) return -1;
  return kTextElements[static_cast<size_t>(field)];
}

bool DrawStatusPanel(Layout& layout) {
  PanelState& s = State();
  if (layout.GetName().empty()) {
    s.name.clear();
    s.bitmap.reset();
    s.mask.reset();
  } else if (layout.GetName() != s.name) {
    LoadPanel(layout);
  }
  if (s.bitmap == nullptr) return false;

  SceneView* view = GetSceneView();
  if (view != nullptr) {
    const Bounds screen = ScreenBounds();
    if (!layout.PanelLayer().IsMade()) layout.PanelLayer().Make(screen);
    if (SceneLayer* panel = layout.PanelLayer().Get()) {
      CurrentLayerScope scope(panel);
      panel->Clear();
      const Bounds used = s.mask != nullptr ? s.mask->UsedBounds() : Bounds{};
      view->SetCurrentLayerImage(s.bitmap.get());
      panel->PlaceImage(used.x, used.y);
      panel->RebuildMaskRegions();
    }
    if (SceneLayer* text = layout.TextLayer().Get()) {
      CurrentLayerScope scope(text);
      text->Clear();
      PlacePortrait(*view, *text, layout);
    } else {
      layout.TextLayer().Make(screen);
    }
  }
  BuildStatusPanelTexts(layout);
  return true;
}

void BuildStatusPanelTexts(Layout& layout) {
  const PanelState& s = State();
  const bool whole = s.bitmap == nullptr || s.mask == nullptr;
  const std::vector<std::string> texts = MakeStatusTexts();
  std::vector<StatusTextField>& fields = layout.StatusTexts();
  fields.clear();
  for (int32_t i = 0; i < kStatusTextCount; ++i) {
    StatusTextField field;
    field.text = texts[static_cast<size_t>(i)];
    field.elementIndex = kTextElements[static_cast<size_t>(i)];
    const LayoutElement* element = layout.GetElement(field.elementIndex);
    // An element the layout lacks shows no text (a short layout has no rectangle to read for it); with a mask,
    // an element off the panel shows none either.
    field.shown = element != nullptr && (whole || element->GetRect().Intersects(s.mask->UsedBounds()));
    fields.push_back(std::move(field));
  }
  DrawStatusPanelTexts(layout);
}

void RefreshStatusPanelTexts(Layout& layout) {
  const std::vector<std::string> texts = MakeStatusTexts();
  std::vector<StatusTextField>& fields = layout.StatusTexts();
  bool changed = false;
  for (size_t i = 0; i < fields.size() && i < texts.size(); ++i) {
    if (!fields[i].shown || fields[i].text == texts[i]) continue;
    fields[i].text = texts[i];
    changed = true;
  }
  if (changed) DrawStatusPanelTexts(layout);
}

void DrawStatusPanelTexts(Layout& layout) {
  SceneView* view = GetSceneView();
  if (view == nullptr) return;
  if (SceneLayer* panel = layout.PanelLayer().Get()) panel->MarkDirty();
  SceneLayer* text = layout.TextLayer().Get();
  if (text == nullptr) return;
  CurrentLayerScope scope(text);
  text->Clear();
  PlacePortrait(*view, *text, layout);
  view->SetCurrentFont(0);
  for (const StatusTextField& field : layout.StatusTexts()) {
    const LayoutElement* element = layout.GetElement(field.elementIndex);
    if (!field.shown || field.text.empty() || element == nullptr) continue;
    view->AddTextLabel(element->x + 2, element->y + 2, field.text);
  }
}

bool StatusPanelMaskHitTest(int32_t x, int32_t y) {
  const BitMask* mask = State().mask.get();
  return mask != nullptr && mask->TestPixel(x, y);
}

const Bitmap* GetStatusPanelBitmap() { return State().bitmap.get(); }
const BitMask* GetStatusPanelMask() { return State().mask.get(); }

void FreeStatusPanelPicture() {
  PanelState& s = State();
  s.name.clear();
  s.bitmap.reset();
  s.mask.reset();
}
