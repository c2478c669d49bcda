// The event message dialog.
#include "game/dialogs/message_dialog.h"

#include <algorithm>

#include "game/rules/character.h"
#include "game/rules/game_state.h"
#include "game/rules/script_engine.h"
#include "game/rules/text_variables.h"
#include "game/shell/input_manager.h"
#include "game/shell/media/movie_player.h"
#include "game/shell/media/sound_effects.h"
#include "game/world/scene_view.h"

namespace {

constexpr int32_t kMessageLayout = 1;
constexpr ControlKind kMessageKinds[] = {kStaticTextKind, kTextButtonKind, kTextButtonKind, kTextButtonKind,
                                         kPictureButtonKind};
constexpr int32_t kMessageControlCount = 5;
// Room kept below a picture for the message's text, and the least margin above and below.
constexpr int32_t kTextRoom = 183;
constexpr int32_t kMargin = 20;
constexpr int kJournalSoundSlot = 9;

int32_t& JournalKey() {
  static int32_t key = 'j';
  return key;
}

bool InJournal(const Character& player, const std::string& text) {
  return std::find(player.journal.begin(), player.journal.end(), text) != player.journal.end();
}

}  // namespace

void SetJournalKey(int32_t key) { JournalKey() = key; }
int32_t GetJournalKey() { return JournalKey(); }

MessageDialog::MessageDialog(const ScriptEvent* event, const ScriptAction& action)
    : Dialog(kMessageLayout, kMessageControlCount, kMessageKinds, true), action_(action) {
  if (event != nullptr) event_ = std::make_unique<ScriptEvent>(*event);
  text_ = ExpandTextVariables(Param(1));
  for (int32_t choice = 1; choice <= kChoiceCount; ++choice) {
    captions_[static_cast<size_t>(choice - 1)] = ExpandTextVariables(Param(2 * choice));
  }
  if (auto* text = GetControlAs<StaticTextControl>(kTextControl)) {
    text->SetColour(kHighlightColour);
    text->SetText(Param(1));
  }
  const bool choices = HasChoices();
  if (choices) BeginFocusGroup();
  bool choiceButtons = false;
  for (int32_t choice = 1; choice <= kChoiceCount; ++choice) {
    auto* button = GetControlAs<TextButton>(choice);
    if (button == nullptr) continue;
    button->SetCommand(kChoiceCommand);
    button->SetColours(kPlainColour, kHighlightColour);
    button->SetCaption(Param(2 * choice));
    if (!button->GetCaption().empty()) {
      AddToFocusGroup(choice);
      choiceButtons = true;
    } else {
      button->SetState(false);
    }
  }
  FocusFirstControl();
  if (auto* journal = GetControlAs<PictureButton>(kJournalButton)) {
    journal->SetCommand(kJournalCommand);
    const Character* player = PeekCurrentCharacter();
    journal->SetState(player != nullptr && !InJournal(*player, Text()));
    journal->SetOn(false);
  }
  SetCloseOnEscape(false);
  // Choices end the message only through their buttons; a layout without those buttons would leave no way out,
  // so such a message closes as one without choices does (choosing nothing).
  if (choices && choiceButtons) return;
  SetCloseOnEscape(true);
  SetCloseOnReturn(true);
  SetCloseOnClick(true);
  // A message with nothing to read has no background and no frame: an attached picture or movie, which makes the
  // layers again, is all it shows; with nothing attached the layout's picture stays as it was placed.
  if (Param(1).empty() && Param(3).empty() && Param(5).empty()) SetBackground(nullptr);
}

MessageDialog::~MessageDialog() { DropAttached(); }

const std::string& MessageDialog::ChoiceCaption(int32_t choice) const {
  static const std::string none;
  if (choice < 1 || choice > kChoiceCount) return none;
  return captions_[static_cast<size_t>(choice - 1)];
}

bool MessageDialog::HasChoices() const {
  for (int32_t choice = 1; choice <= kChoiceCount; ++choice) {
    if (!Param(2 * choice).empty()) return true;
  }
  return false;
}

void MessageDialog::DropAttached() {
  attachedLayer_.Destroy();
  picture_.reset();
  if (movie_ != nullptr) {
    if (MoviePlayer::Current() == movie_.get()) MoviePlayer::SetCurrent(nullptr);
    movie_->Close();
    movie_.reset();
  }
}

void MessageDialog::PlaceAttached(int32_t width, int32_t height, bool keepRoomForText) {
  const Bounds screen = ScreenBounds();
  int32_t gap = std::max((screen.height - height - (keepRoomForText ? kTextRoom : 0)) / 2, kMargin);
  // Too tall to leave the margins: centred instead.
  if (gap + height >= screen.height - kMargin) gap = (screen.height - height) / 2;
  attachedRect_ = Bounds{(screen.width - width) / 2, gap, width, height};
  int32_t y = gap + height + kMargin;
  // The message moves up once its bottom would come within the margin of the screen's bottom; held to its top
  // alone, a message below a tall picture would keep its choices off the screen.
  if (y + Frame().height >= screen.height - kMargin) y = screen.height - Frame().height - kMargin;
  // The message moves below the picture and its frame stays the message's own rectangle. A frame grown to take
  // in the picture as well would start at the picture's top-left, while the panel and its controls are still drawn
  // over the message's rectangle: the mouse, read relative to the frame, would then miss every control by the
  // picture's height and the choices could not be clicked.
  //
  // The picture's layer goes under the dialog's own.
  ClearScreenLayers();
  if (picture_ != nullptr && attachedLayer_.Make(attachedRect_)) {
    SceneLayer* layer = attachedLayer_.Get();
    CurrentLayerScope scope(layer);
    GetSceneView()->SetCurrentLayerImage(picture_.get());
    layer->PlaceImage(0, 0);
  }
  MoveFrameTo(Frame().x, y);
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
  const bool hasText = !Param(1).empty() || HasChoices();
  PlaceAttached(movie_->Width(), movie_->Height(), hasText);
  movie_->MoveTo(attachedRect_.x, attachedRect_.y);
  MoviePlayer::SetCurrent(movie_.get());
  movieJustAttached_ = true;
}

void MessageDialog::Choose(int32_t choice) {
  if (ChoiceCaption(choice).empty()) return;
  OnControlEvent(choice, kChoiceCommand);
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

int32_t MessageDialog::HandleEvents() {
  if (movie_ != nullptr) {
    if (movieJustAttached_) {
      movie_->Suspend();
      movieJustAttached_ = false;
    } else if (ClosesOnClick() && movie_->IsFinished()) {
      return Dialog::OnControlEvent(0, kEventClose);
    }
  }
  if (Input::IsKeyDown(GetJournalKey()) != 0) OnControlEvent(kJournalButton, kJournalCommand);
  return Dialog::HandleEvents();
}

int32_t MessageDialog::OnControlEvent(int32_t index, ControlEvent code) {
  if (code == kChoiceCommand && index >= 1 && index <= kChoiceCount) {
    const std::string& label = Param(1 + 2 * index);
    if (!label.empty()) {
      SetMessageChoiceText(label);
      return Close();
    }
    if (!ChoiceCaption(index).empty()) return Close();
    return kNotHandled;
  }
  if (code == kJournalCommand) {
    const std::string& text = Text();
    if (text.empty()) return Dialog::OnControlEvent(index, code);
    Character* player = GetCurrentCharacter();
    if (player != nullptr && IsGameInProgress() && !InJournal(*player, text)) {
      player->journal.push_back(text);
      if (auto* journal = GetControlAs<PictureButton>(kJournalButton)) journal->SetState(false);
      PlaySoundSlot(kJournalSoundSlot);
    }
    return 0;
  }
  return Dialog::OnControlEvent(index, code);
}
