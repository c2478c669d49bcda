// Dialogs as the shell sees them before the dialog work: the time-state bracket, the modal loop, the open-dialog
// list, the layout pictures and the shared pictures and pool.
#include "game/dialogs/dialog_services.h"

#include <algorithm>
#include <vector>

#include "game/dialogs/modal_dialog_driver.h"
#include "game/dialogs/screen_layouts.h"
#include "game/graphics/picture_cache.h"
#include "game/shell/data/data_paths.h"
#include "game/shell/data/option_store.h"
#include "game/shell/input_manager.h"
#include "game/shell/main_loop.h"
#include "game/world/scene_view.h"

namespace {

constexpr int32_t kProgressLayout = 15;

struct DialogState {
  std::vector<Dialog*> open;
  ProgressDialog* currentProgress = nullptr;
  std::unique_ptr<Bitmap> globalPicture;
  std::unique_ptr<Bitmap> listScrollPicture;
  PicturePool* pool = nullptr;
  int32_t journalKey = 'j';
};

DialogState& State() {
  // Never destroyed: a shut-down signal may end the process while the loop still runs.
  static DialogState* state = new DialogState;
  return *state;
}

// Loads the layout's picture into the dialogs' pool (or the current one); null when there is none.
Bitmap* LoadLayoutPicture(int32_t layoutIndex) {
  Layout* layout = GetLayout(layoutIndex);
  if (layout == nullptr || layout->GetName().empty()) return nullptr;
  std::string path;
  PicturePath(path, layout->GetName());
  PicturePool* previous = PictureCache::CurrentPool();
  if (State().pool != nullptr) PictureCache::SelectPool(State().pool);
  Bitmap* picture = PictureCache::Load(path.c_str());
  if (previous != nullptr) PictureCache::SelectPool(previous);
  return picture;
}

// Puts the picture at a point of a new screen layer on top of the view; the layer's serial number, or 0 when
// nothing was shown.
uint64_t ShowPicture(Bitmap* picture, int32_t x, int32_t y) {
  SceneView* view = GetSceneView();
  if (picture == nullptr || view == nullptr) return 0;
  LayerRef layer = view->AddDefaultLayer(SceneLayer::kScreenMode);
  if (!layer.made) return 0;
  view->PushLayer();
  view->SetCurrentLayer(layer.Layer());
  view->SetCurrentLayerImage(picture);
  layer.Layer()->PlaceImage(x, y);
  view->PopLayer();
  return layer.Layer()->Serial();
}

}  // namespace

Dialog::Dialog(int32_t layoutIndex) : layoutIndex_(layoutIndex) {
  PushTimeState(0);
  State().open.push_back(this);
}

Dialog::~Dialog() {
  // The progress dialog's picture stays: it is the first picture of the game, until a location covers it.
  if (layoutIndex_ != kProgressLayout) RemoveScreenLayer(layerSerial_);
  auto& open = State().open;
  open.erase(std::remove(open.begin(), open.end(), this), open.end());
  PopTimeState();
}

void Dialog::Draw() {
  if (drawn_) return;
  drawn_ = true;
  Bitmap* picture = BackgroundPicture();
  if (picture == nullptr) return;
  int32_t x = originX_, y = originY_;
  if (!hasOrigin_) {
    x = (GetScreenWidth() - picture->width) / 2;
    y = (GetScreenHeight() - picture->height) / 2;
  }
  layerSerial_ = ShowPicture(picture, x, y);
}

uint64_t Dialog::ShowOnScreenLayer(Bitmap* picture, int32_t x, int32_t y) { return ShowPicture(picture, x, y); }

void Dialog::RemoveScreenLayer(uint64_t serial) {
  SceneView* view = GetSceneView();
  if (view != nullptr && serial != 0) view->RemoveLayer(view->FindLayer(serial));
}

bool Dialog::TakeDismissInput() {
  if (!Input::WasClicked() && !Input::IsKeyDown(kSlotReturn) && !Input::IsKeyDown(kSlotEscape)) return false;
  Input::ClearClick();
  Input::ReleaseKey(kSlotReturn);
  Input::ReleaseKey(kSlotEscape);
  return true;
}

Bitmap* Dialog::BackgroundPicture() const { return LoadLayoutPicture(layoutIndex_); }

void Dialog::SetFrameOrigin(int32_t x, int32_t y) {
  hasOrigin_ = true;
  originX_ = x;
  originY_ = y;
}

void Dialog::RunModal(std::unique_ptr<Dialog> dialog) {
  if (dialog == nullptr) return;
  if (ModalDialogDriver* driver = GetModalDialogDriver()) {
    // A dialog closed from the start runs no loop, so it reaches no driver either.
    if (!dialog->IsClosed()) driver->Drive(*dialog);
    return;
  }
  // A dialog that a running event opens shows itself although the event holds the view's presentation; the
  // event's hold comes back once the dialog has gone.
  SceneView* view = GetSceneView();
  const int32_t hold = view != nullptr ? view->GetUpdateHold() : 0;
  if (view != nullptr) view->SetUpdateHold(0);
  while (!dialog->IsClosed()) {
    Input::BeginFrame();
    dialog->HandleEvents();
    MediaIdle();
    if (RefreshView() != 0) break;
  }
  dialog.reset();
  if (view != nullptr && view == GetSceneView()) view->SetUpdateHold(hold);
}

bool DispatchTopDialogEvents() {
  auto& open = State().open;
  if (open.empty()) return false;
  return open.back()->HandleEvents();
}

void DrawOpenDialogs() {
  // A copy: drawing may not change the list, but a dialog closing meanwhile must not invalidate the walk.
  std::vector<Dialog*> open = State().open;
  for (Dialog* dialog : open) dialog->Draw();
}

ProgressDialog::ProgressDialog() : Dialog(kProgressLayout) { Draw(); }

ProgressDialog::~ProgressDialog() {
  if (State().currentProgress == this) State().currentProgress = nullptr;
}

void ProgressDialog::SetCurrent(ProgressDialog* dialog) { State().currentProgress = dialog; }

void ProgressDialog::BeginPhase(const std::string& label, int32_t steps) {
  label_ = label;
  steps_ = steps;
  step_ = 0;
}

int32_t ProgressDialog::StepCurrent() {
  ProgressDialog* dialog = State().currentProgress;
  if (dialog == nullptr) return 0;
  if (dialog->step_ < dialog->steps_) ++dialog->step_;
  return RefreshView();
}

ProgressDialog* GetCurrentProgressDialog() { return State().currentProgress; }

AboutDialog::AboutDialog() : Dialog(11) {}

bool AboutDialog::HandleEvents() {
  if (TakeDismissInput()) Close();
  return true;
}

PlayerNameDialog::PlayerNameDialog() : Dialog(4) { Close(); }

RaceClassDialog::RaceClassDialog(int32_t races) : Dialog(races != 0 ? 5 : 6) { Close(); }

void ShowCharacterCreation(int32_t) {}

void SetDialogGlobalPicture(std::unique_ptr<Bitmap> picture) { State().globalPicture = std::move(picture); }
Bitmap* GetDialogGlobalPicture() { return State().globalPicture.get(); }
void SetListScrollPicture(std::unique_ptr<Bitmap> picture) { State().listScrollPicture = std::move(picture); }
Bitmap* GetListScrollPicture() { return State().listScrollPicture.get(); }

void CreateDialogPicturePool() {
  if (State().pool == nullptr) State().pool = PictureCache::NewPool(0);
}

void DeleteDialogPicturePool() {
  if (State().pool != nullptr) PictureCache::DeletePool(State().pool);
  State().pool = nullptr;
}

void SetJournalKey(int32_t key) { State().journalKey = key; }
int32_t GetJournalKey() { return State().journalKey; }
