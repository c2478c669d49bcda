// The dialog base: construction from a layout, the layers, the input frame with its focus and close keys, the
// handler table, the modal loop, the open-dialog stack and the pictures and pool the dialogs share.
#include "game/dialogs/dialog.h"

#include <algorithm>
#include <string>

#include "game/dialogs/modal_dialog_driver.h"
#include "game/dialogs/screen_layouts.h"
#include "game/graphics/picture_cache.h"
#include "game/shell/data/data_paths.h"
#include "game/shell/data/option_store.h"
#include "game/shell/input_manager.h"
#include "game/shell/main_loop.h"
#include "game/shell/main_window.h"
#include "game/world/scene_view.h"
#include "game/world/world_services.h"

namespace {

constexpr int32_t kDialogPoolId = 1;
constexpr float kFocusMoveMs = 150.0f;
constexpr KeySlot kKeypad8 = 272;
constexpr KeySlot kKeypad2 = 273;
constexpr KeySlot kKeypad4 = 274;
constexpr KeySlot kKeypad6 = 275;

struct DialogState {
  std::vector<Dialog*> open;
  std::unique_ptr<Bitmap> captionFrame;
  std::unique_ptr<Bitmap> listScroll;
  PicturePool* pool = nullptr;
};

DialogState& State() {
  // Never destroyed: a shut-down signal may end the process while the loop still runs.
  static DialogState* state = new DialogState;
  return *state;
}

bool KeyDown(KeySlot slot) { return Input::IsKeyDown(slot) != 0; }

}  // namespace

Dialog::Dialog(int32_t layoutIndex, int32_t controlCount, const ControlKind* kinds, bool ownPool)
    : layoutIndex_(layoutIndex), ownPool_(ownPool) {
  if (TileMap* map = GetCurrentTileMap()) map->Draw();
  PushTimeState(0);
  bracketView_ = GetSceneView();
  if (bracketView_ != nullptr) bracketView_->BeginOffscreen();
  Input::EnableTextEntry(true);

  const Layout* layout = GetLayout(layoutIndex);
  const bool namesPicture = layout != nullptr && !layout->GetName().empty();
  if (namesPicture) {
    std::string path;
    PicturePath(path, layout->GetName());
    ImageImportOptions = kDetectTransparency;
    PictureCache::PushPool();
    if (ownPool && State().pool != nullptr) PictureCache::SelectPool(State().pool);
    Bitmap* picture = PictureCache::Load(path.c_str());
    PictureCache::PopPool();
    SetBackground(picture);
  }

  for (int32_t i = 0; i < std::max(controlCount, 0); ++i) {
    // An element the layout lacks gives no control: a short layout has no rectangle to read for it.
    const LayoutElement* element = layout != nullptr ? layout->GetElement(i) : nullptr;
    controls_.push_back(element != nullptr && kinds != nullptr ? CreateControl(kinds[i], element->GetRect()) : nullptr);
  }
  if (controlCount <= 0) closeOnClick_ = closeOnReturn_ = true;

  PlaceOnScreen();
  State().open.push_back(this);
  Input::IdleButtons();
  running_ = true;
  if (namesPicture && (picture_ == nullptr || picture_->width <= 0 || picture_->height <= 0)) {
    running_ = false;
    ShowAlert("Can't load dialog picture.", GetScenarioName());
  }
}

Dialog::~Dialog() {
  Input::EnableTextEntry(false);
  auto& open = State().open;
  auto found = std::find(open.begin(), open.end(), this);
  if (found != open.end()) open.erase(found);
  // A dialog still open beneath takes the typing back: without it a name field under a closed dialog would
  // never receive another character.
  if (!open.empty()) Input::EnableTextEntry(true);
  ClearScreenLayers();
  controls_.clear();
  Input::Reset();
  Input::ClearText();
  // Only the view whose bracket the dialog opened has it closed again: a new game may have replaced the view
  // meanwhile, and the old one is gone while the new one never opened a bracket to close.
  if (bracketView_ != nullptr && bracketView_ == GetSceneView()) bracketView_->EndOffscreen();
  if (State().pool != nullptr) {
    PictureCache::PushPool();
    PictureCache::SelectPool(State().pool);
    PictureCache::ClearMarks();
    PictureCache::PopPool();
  }
  PopTimeState();
}

int32_t Dialog::Close() {
  Input::IdleButtons();
  running_ = false;
  return kConsumeClick | kReturnAtOnce;
}

bool Dialog::IsDirty() const {
  if (dirty_) return true;
  return std::any_of(controls_.begin(), controls_.end(),
                     [](const std::unique_ptr<Control>& control) { return control && control->NeedsRedraw(); });
}

void Dialog::Draw() {
  if (!IsDirty() || !running_) return;
  SceneView* view = GetSceneView();
  if (view != nullptr) {
    SceneLayer* layer = controlsLayer_.Get();
    CurrentLayerScope scope(layer);
    if (layer != nullptr) layer->Clear();
    for (auto& control : controls_) {
      if (control) control->Draw(*view);
    }
  }
  dirty_ = false;
  forcedRedraw_ = false;
}

void Dialog::Invalidate() {
  dirty_ = true;
  forcedRedraw_ = true;
  Draw();
}

void Dialog::SetBackground(Bitmap* picture) {
  picture_ = picture;
  if (picture == nullptr) {
    // Only the frame goes: the layers stay as they were made, with the picture shown before, until something
    // makes them again (an attached picture or movie does).
    frame_ = layerFrame_ = Bounds{};
    return;
  }
  const Bounds screen = ScreenBounds();
  frame_ = layerFrame_ = Bounds{(screen.width - picture->width) / 2, (screen.height - picture->height) / 2,
                                picture->width, picture->height};
  ClearScreenLayers();
  PlaceOnScreen();
  dirty_ = true;
}

void Dialog::MoveFrameTo(int32_t x, int32_t y) {
  frame_.x = layerFrame_.x = x;
  frame_.y = layerFrame_.y = y;
  ClearScreenLayers();
  PlaceOnScreen();
  dirty_ = true;
}

void Dialog::PlaceOnScreen() {
  if (!pictureLayer_.IsMade() && pictureLayer_.Make(layerFrame_)) {
    SceneLayer* layer = pictureLayer_.Get();
    CurrentLayerScope scope(layer);
    layer->Clear();
    if (picture_ != nullptr) {
      GetSceneView()->SetCurrentLayerImage(picture_);
      layer->PlaceImage(0, 0);
    }
  }
  if (!controlsLayer_.IsMade()) controlsLayer_.Make(layerFrame_);
  for (auto& control : controls_) {
    if (!control || !control->WantsOwnLayer() || control->OwnLayer().IsMade()) continue;
    const Bounds& rect = control->GetRect();
    control->OwnLayer().Make(Bounds{rect.x + layerFrame_.x, rect.y + layerFrame_.y, rect.width, rect.height});
  }
  dirty_ = true;
}

void Dialog::ClearScreenLayers() {
  controlsLayer_.Destroy();
  pictureLayer_.Destroy();
  for (auto& control : controls_) {
    if (control) control->OwnLayer().Destroy();
  }
}

Control* Dialog::GetControl(int32_t index) const {
  if (index < 0 || index >= GetControlCount()) return nullptr;
  return controls_[static_cast<size_t>(index)].get();
}

int32_t Dialog::IndexOf(const Control* control) const {
  if (control == nullptr) return -1;
  for (int32_t i = 0; i < GetControlCount(); ++i) {
    if (controls_[static_cast<size_t>(i)].get() == control) return i;
  }
  return -1;
}

bool Dialog::IsOffered(const Control& control) const {
  return Bounds{0, 0, frame_.width, frame_.height}.Contains(control.GetRect());
}

void Dialog::BeginFocusGroup() {
  focusGroups_.emplace_back();
  currentGroup_ = static_cast<int32_t>(focusGroups_.size()) - 1;
  focusedPosition_ = -1;
}

void Dialog::AddToFocusGroup(int32_t index) {
  Control* control = GetControl(index);
  if (control == nullptr || focusGroups_.empty() || !IsOffered(*control)) return;
  control->SetFocusGroupMember(true);
  if (currentGroup_ < 0) currentGroup_ = static_cast<int32_t>(focusGroups_.size()) - 1;
  focusGroups_[static_cast<size_t>(currentGroup_)].push_back(control);
}

Control* Dialog::FocusedControl() const {
  if (currentGroup_ < 0 || currentGroup_ >= static_cast<int32_t>(focusGroups_.size())) return nullptr;
  const auto& group = focusGroups_[static_cast<size_t>(currentGroup_)];
  if (focusedPosition_ < 0 || focusedPosition_ >= static_cast<int32_t>(group.size())) return nullptr;
  return group[static_cast<size_t>(focusedPosition_)];
}

int32_t Dialog::FocusedIndex() const { return IndexOf(FocusedControl()); }

void Dialog::SetFocused(int32_t group, int32_t position) {
  Control* old = FocusedControl();
  currentGroup_ = group;
  focusedPosition_ = position;
  Control* now = FocusedControl();
  if (old != now) {
    if (old != nullptr) old->SetDefault(false);
    dirty_ = true;
  }
  if (now != nullptr) now->SetDefault(true);
}

void Dialog::FocusFirstControl() {
  for (size_t g = 0; g < focusGroups_.size(); ++g) {
    for (size_t p = 0; p < focusGroups_[g].size(); ++p) {
      if (focusGroups_[g][p]->GetState()) {
        SetFocused(static_cast<int32_t>(g), static_cast<int32_t>(p));
        dirty_ = true;
        return;
      }
    }
  }
  dirty_ = true;
}

bool Dialog::FocusInGroupFrom(int32_t group, int32_t direction) {
  const int32_t count = static_cast<int32_t>(focusGroups_.size());
  for (int32_t step = 1; step <= count; ++step) {
    const int32_t g = ((group + direction * step) % count + count) % count;
    const auto& members = focusGroups_[static_cast<size_t>(g)];
    for (size_t p = 0; p < members.size(); ++p) {
      if (!members[p]->GetState()) continue;
      SetFocused(g, static_cast<int32_t>(p));
      return true;
    }
  }
  return false;
}

void Dialog::MoveFocus(float now) {
  if (focusGroups_.empty() || focusGroups_[0].empty() || !(now - lastFocusMove_ > kFocusMoveMs)) return;
  if (KeyDown(kSlotTab) || KeyDown(kSlotRight) || KeyDown(kKeypad6)) {
    FocusInGroupFrom(currentGroup_, 1);
  } else if (KeyDown(kSlotLeft) || KeyDown(kKeypad4)) {
    FocusInGroupFrom(currentGroup_ < 0 ? 0 : currentGroup_, -1);
  } else if (KeyDown(kSlotUp) || KeyDown(kKeypad8) || KeyDown(kSlotDown) || KeyDown(kKeypad2)) {
    if (currentGroup_ >= 0) {
      const int32_t direction = KeyDown(kSlotUp) || KeyDown(kKeypad8) ? -1 : 1;
      const auto& members = focusGroups_[static_cast<size_t>(currentGroup_)];
      const int32_t count = static_cast<int32_t>(members.size());
      const int32_t from = focusedPosition_ < 0 ? (direction > 0 ? -1 : 0) : focusedPosition_;
      for (int32_t step = 1; step <= count; ++step) {
        const int32_t p = ((from + direction * step) % count + count) % count;
        if (!members[static_cast<size_t>(p)]->GetState()) continue;
        SetFocused(currentGroup_, p);
        break;
      }
    }
  } else {
    return;
  }
  lastFocusMove_ = now;
}

void Dialog::UpdateHover() {
  const bool groups = !focusGroups_.empty();
  if (Input::MouseMoved()) {
    Control* before = FocusedControl();
    if (groups && before != nullptr) before->SetDefault(false);
    // Every control learns whether the pointer is over it, also those after the one that takes the focus: a
    // button left marked as under the pointer would take a click made elsewhere.
    bool taken = false;
    for (auto& owned : controls_) {
      Control* control = owned.get();
      if (control == nullptr) continue;
      const bool inside = control->HitTest(mouseX_, mouseY_);
      if (inside && control->GetState() && !taken) {
        // The control under the mouse takes the focus: found in the current group first, then in any group; a
        // control in none leaves the focus where it is.
        bool found = false;
        if (currentGroup_ >= 0) {
          const auto& members = focusGroups_[static_cast<size_t>(currentGroup_)];
          auto at = std::find(members.begin(), members.end(), control);
          if (at != members.end()) {
            focusedPosition_ = static_cast<int32_t>(at - members.begin());
            found = true;
          }
        }
        for (size_t g = 0; !found && g < focusGroups_.size(); ++g) {
          auto at = std::find(focusGroups_[g].begin(), focusGroups_[g].end(), control);
          if (at == focusGroups_[g].end()) continue;
          currentGroup_ = static_cast<int32_t>(g);
          focusedPosition_ = static_cast<int32_t>(at - focusGroups_[g].begin());
          found = true;
        }
        control->SetDefault(true);
        control->SetHovered(true);
        if (control->IsFocusGroupMember()) taken = true;
      } else if (inside) {
        control->SetHovered(true);
      } else {
        control->SetDefault(false);
        control->SetHovered(false);
      }
    }
    if (groups && FocusedControl() != before) dirty_ = true;
  } else {
    Control* focused = FocusedControl();
    for (auto& control : controls_) {
      if (control == nullptr) continue;
      control->SetHovered(control->HitTest(mouseX_, mouseY_));
      if (control.get() != focused) control->SetDefault(false);
    }
  }
  if (groups) {
    if (Control* focused = FocusedControl()) focused->SetDefault(true);
  }
}

void Dialog::ApplyFlags(int32_t flags) {
  if ((flags & kConsumeClick) != 0) {
    Input::ClearClick();
    Input::ClearDoubleClick();
  }
  if ((flags & kResetInput) != 0) Input::Reset();
}

int32_t Dialog::HandleEvents() {
  const float now = stopwatch_.ElapsedMilliseconds();
  int32_t x = 0, y = 0, buttons = 0;
  Input::GetMouse(&x, &y, &buttons);
  const bool delayed = now < inputDelay_;
  if (delayed) buttons = 0;
  mouseX_ = x - frame_.x;
  mouseY_ = y - frame_.y;

  Control* before = FocusedControl();
  MoveFocus(now);
  UpdateHover();
  Control* after = FocusedControl();
  if (!focusGroups_.empty() && before != after) {
    OnFocusChange(IndexOf(before), false);
    OnFocusChange(IndexOf(after), true);
  }

  // The previous current layer comes back on every way out of the frame.
  SceneLayer* layer = controlsLayer_.Get();
  CurrentLayerScope scope(layer);
  // During the input delay the controls see no click; a close on click still does.
  bool heldClick = false;
  if (delayed) {
    heldClick = Input::WasClicked();
    Input::ClearClick();
    Input::ClearDoubleClick();
  }
  int32_t flags = kNotHandled;
  for (int32_t i = 0; i < GetControlCount(); ++i) {
    Control* control = controls_[static_cast<size_t>(i)].get();
    if (control == nullptr || !IsOffered(*control)) continue;
    const ControlEvent code = control->Track(mouseX_, mouseY_, buttons);
    flags = OnControlEvent(i, code);
    if (control->NeedsRedraw() && layer != nullptr) layer->MarkDirty();
    ApplyFlags(flags);
    if ((flags & kReturnAtOnce) != 0) return flags;
    if ((flags & kStopScan) != 0) break;
  }
  if (!focusGroups_.empty()) {
    Control* focused = FocusedControl();
    if (focused != nullptr && !focused->GetState()) FocusFirstControl();
  }
  ApplyFlags(flags);

  if ((flags & kNotHandled) != 0) {
    const bool close = (closeOnEscape_ && KeyDown(kSlotEscape) && escapeArmed_) ||
                       (closeOnReturn_ && KeyDown(kSlotReturn) && returnArmed_) ||
                       (closeOnTab_ && KeyDown(kSlotTab) && tabArmed_) ||
                       (closeOnClick_ && (Input::WasClicked() || heldClick));
    if (close) {
      Input::ClearClick();
      Input::ClearDoubleClick();
      dirty_ = true;
      Close();
    }
  }
  escapeArmed_ = !KeyDown(kSlotEscape);
  returnArmed_ = !KeyDown(kSlotReturn);
  tabArmed_ = !KeyDown(kSlotTab);
  Input::ClearClick();
  Input::ClearDoubleClick();
  return flags;
}

int32_t Dialog::OnControlEvent(int32_t index, ControlEvent code) {
  switch (code) {
    case kEventClose: return Close();
    case kEventRowClick: return OnRowClick(index);
    case kEventSelectionMoved: return OnSelectionMoved(index);
    case kEventRowDoubleClick: return OnRowDoubleClick(index);
    case kEventMultiRowClick: return OnMultiSelectRowClick(index);
    case kEventBoxPicked: return OnPickChanged(index, true);
    case kEventBoxUnpicked: return OnPickChanged(index, false);
    case kEventMultiSelectionMoved: return OnMultiSelectMoved(index);
    case kEventDoublePickRefused: return OnMultiSelectDoubleClick(index);
    case kEventDoublePicked: return OnPickChanged(index, true) | OnMultiSelectDoubleClick(index);
    case kEventDoubleUnpicked: return OnPickChanged(index, false) | OnMultiSelectDoubleClick(index);
    default: return kNotHandled;
  }
}

int32_t Dialog::OnRowClick(int32_t) {
  dirty_ = true;
  return kConsumeClick;
}

int32_t Dialog::OnSelectionMoved(int32_t) {
  dirty_ = true;
  return 0;
}

int32_t Dialog::OnRowDoubleClick(int32_t) {
  dirty_ = true;
  return kConsumeClick;
}

int32_t Dialog::OnMultiSelectRowClick(int32_t) {
  dirty_ = true;
  return kConsumeClick;
}

int32_t Dialog::OnMultiSelectMoved(int32_t) {
  dirty_ = true;
  return 0;
}

int32_t Dialog::OnMultiSelectDoubleClick(int32_t) {
  dirty_ = true;
  return kConsumeClick;
}

int32_t Dialog::OnPickChanged(int32_t, bool) {
  dirty_ = true;
  return kConsumeClick;
}

int32_t Dialog::OnFocusChange(int32_t, bool) { return 0; }

void Dialog::RunModal(std::unique_ptr<Dialog> dialog) {
  if (dialog == nullptr) return;
  if (ModalDialogDriver* driver = GetModalDialogDriver()) {
    // A dialog closed from the start runs no loop, so it reaches no driver either.
    if (dialog->IsRunning()) driver->Drive(*dialog);
    return;
  }
  SetFrameSkipAllowed(false);
  RestartFrameClock();
  // A dialog that a running event opens shows itself although the event holds the view's presentation; the
  // event's hold comes back once the dialog has gone.
  SceneView* view = GetSceneView();
  const int32_t hold = view != nullptr ? view->GetUpdateHold() : 0;
  if (view != nullptr) view->SetUpdateHold(0);

  Input::AgeButtons();
  Input::BeginFrame();
  dialog->HandleEvents();
  int32_t quit = 0;
  while (dialog->IsRunning() && quit == 0) {
    dialog->Draw();
    quit = RefreshView();
    Input::AgeButtons();
    Input::BeginFrame();
    dialog->HandleEvents();
    MediaIdle();
    // Each pass is one frame: the loop sleeps until the frame's deadline rather than spin while it waits.
    PaceFrame();
  }
  dialog.reset();
  MediaIdle();
  ClearGameView();
  if (view != nullptr && view == GetSceneView()) view->SetUpdateHold(hold);
  SetFrameSkipAllowed(true);
}

const std::vector<Dialog*>& OpenDialogs() { return State().open; }

void DrawOpenDialogs() {
  // A copy: a dialog closing meanwhile must not invalidate the walk.
  const std::vector<Dialog*> open = State().open;
  for (Dialog* dialog : open) {
    if (dialog->IsRunning()) dialog->Draw();
  }
}

bool DispatchTopDialogEvents() {
  const auto& open = State().open;
  if (open.empty()) return false;
  Dialog* top = open.back();
  if (top->IsRunning()) top->HandleEvents();
  return true;
}

void CreateDialogPicturePool() {
  if (State().pool == nullptr) State().pool = PictureCache::NewPool(kDialogPoolId);
}

void DeleteDialogPicturePool() {
  if (State().pool != nullptr) PictureCache::DeletePool(State().pool);
  State().pool = nullptr;
}

PicturePool* GetDialogPicturePool() { return State().pool; }

void SetDialogGlobalPicture(std::unique_ptr<Bitmap> picture) { State().captionFrame = std::move(picture); }
Bitmap* GetDialogGlobalPicture() { return State().captionFrame.get(); }
void SetListScrollPicture(std::unique_ptr<Bitmap> picture) { State().listScroll = std::move(picture); }
Bitmap* GetListScrollPicture() { return State().listScroll.get(); }
