// The event message dialog.
#include "game/dialogs/message_dialog.h"

#include <algorithm>

#include "game/rules/script_engine.h"
#include "game/rules/text_variables.h"
#include "game/shell/data/option_store.h"
#include "game/shell/media/movie_player.h"

namespace {

constexpr int32_t kMessageLayout = 1;
// Room kept below a picture for the message's text, and the least margin above and below.
constexpr int32_t kTextRoom = 183;
constexpr int32_t kMargin = 20;

}  // namespace

MessageDialog::MessageDialog(const ScriptEvent* event, const ScriptAction& action)
    : Dialog(kMessageLayout), action_(action), text_(ExpandTextVariables(action.Param(1))) {
  if (event != nullptr) event_ = std::make_unique<ScriptEvent>(*event);
  for (int32_t i = 0; i < kChoiceCount; ++i) {
    captions_[static_cast<size_t>(i)] = ExpandTextVariables(action.Param(2 + 2 * i));
  }
  // A message with nothing to read shows only its picture or movie.
  background_ = HasChoices() || !action.Param(1).empty() || !action.Param(3).empty() || !action.Param(5).empty();
}

MessageDialog::~MessageDialog() { DropAttached(); }

const std::string& MessageDialog::ChoiceCaption(int32_t choice) const {
  static const std::string none;
  if (choice < 1 || choice > kChoiceCount) return none;
  return captions_[static_cast<size_t>(choice - 1)];
}

bool MessageDialog::HasChoices() const {
  return std::any_of(captions_.begin(), captions_.end(), [](const std::string& caption) { return !caption.empty(); });
}

void MessageDialog::DropAttached() {
  RemoveScreenLayer(pictureLayer_);
  pictureLayer_ = 0;
  picture_.reset();
  if (movie_ != nullptr) {
    if (MoviePlayer::Current() == movie_.get()) MoviePlayer::SetCurrent(nullptr);
    movie_->Close();
    movie_.reset();
  }
}

void MessageDialog::PlaceAttached(int32_t width, int32_t height, bool keepRoomForText) {
  const int32_t screenWidth = GetScreenWidth();
  const int32_t screenHeight = GetScreenHeight();
  int32_t gap = std::max((screenHeight - height - (keepRoomForText ? kTextRoom : 0)) / 2, kMargin);
  // Too tall to leave the margins: centred instead.
  if (gap + height >= screenHeight - kMargin) gap = (screenHeight - height) / 2;
  attachedRect_ = Bounds{(screenWidth - width) / 2, gap, width, height};
  const Bitmap* layout = BackgroundPicture();
  const int32_t dialogWidth = layout != nullptr ? layout->width : 0;
  const int32_t dialogHeight = layout != nullptr ? layout->height : 0;
  int32_t y = gap + height + kMargin;
  if (y + dialogHeight >= screenHeight - kMargin) y = screenHeight - dialogHeight - kMargin;
  SetFrameOrigin((screenWidth - dialogWidth) / 2, y);
}

void MessageDialog::AttachPicture(std::unique_ptr<Bitmap> picture) {
  DropAttached();
  if (picture == nullptr) return;
  picture_ = std::move(picture);
  PlaceAttached(picture_->width, picture_->height, true);
}

void MessageDialog::AttachMovie(std::unique_ptr<MoviePlayer> movie) {
  DropAttached();
  if (movie == nullptr) return;
  movie_ = std::move(movie);
  const bool hasText = !action_.Param(1).empty() || HasChoices();
  PlaceAttached(movie_->Width(), movie_->Height(), hasText);
  movie_->MoveTo(attachedRect_.x, attachedRect_.y);
  MoviePlayer::SetCurrent(movie_.get());
  movie_->Start();
}

void MessageDialog::Choose(int32_t choice) {
  if (ChoiceCaption(choice).empty()) return;
  const std::string& label = action_.Param(1 + 2 * choice);
  if (!label.empty()) SetMessageChoiceText(label);
  Close();
}

void MessageDialog::Dismiss() {
  for (int32_t choice = 1; choice <= kChoiceCount; ++choice) {
    if (!ChoiceCaption(choice).empty()) {
      Choose(choice);
      return;
    }
  }
  Close();
}

bool MessageDialog::HandleEvents() {
  if (TakeDismissInput()) Dismiss();
  return true;
}

void MessageDialog::Draw() {
  if (drawn_) return;
  // The picture's layer goes under the dialog's own.
  if (picture_ != nullptr) pictureLayer_ = ShowOnScreenLayer(picture_.get(), attachedRect_.x, attachedRect_.y);
  if (background_) {
    Dialog::Draw();
  } else {
    drawn_ = true;
  }
}
