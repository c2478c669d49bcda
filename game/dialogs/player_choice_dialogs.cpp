// The player's name, race and class choice, and the text input.
#include "game/dialogs/player_choice_dialogs.h"

#include "game/dialogs/list_controls.h"
#include "game/graphics/picture_cache.h"
#include "game/rules/character.h"
#include "game/rules/game_state.h"
#include "game/shell/data/data_paths.h"
#include "game/shell/data/option_store.h"
#include "game/shell/input_manager.h"
#include "game/shell/record_lists.h"

namespace {

constexpr int32_t kPlayerNameLayout = 4;
constexpr ControlKind kPlayerNameKinds[] = {kTextFieldKind, kCaptionButtonKind};
constexpr int32_t kRaceLayout = 5;
constexpr int32_t kClassLayout = 6;
constexpr ControlKind kRaceClassKinds[] = {kListKind, kStaticTextKind, kCaptionButtonKind};
constexpr int32_t kTextInputLayout = 22;
constexpr ControlKind kTextInputKinds[] = {kStaticTextKind, kTextFieldKind, kCaptionButtonKind};

// The scenario's option flags that offer the races and classes marked available at creation.
constexpr int kOfferMarkedRacesFlag = 5;
constexpr int kOfferMarkedClassesFlag = 6;

constexpr int32_t kChoiceList = 0;
constexpr int32_t kChoiceDescription = 1;
constexpr int32_t kChoiceButton = 2;

// Whether the record is offered at creation: marked available and the scenario offers marked records, or not
// marked and the scenario offers unmarked ones.
bool IsOffered(const NamedRecord& record, bool races) {
  if (record.IsAvailable()) return GetOptionFlag(races ? kOfferMarkedRacesFlag : kOfferMarkedClassesFlag) != 0;
  return (races ? GetOfferUnmarkedRaces() : GetOfferUnmarkedClasses()) != 0;
}

template <typename Record>
void AddOfferedRows(ListControl& list, const RecordList<Record>& records, bool races) {
  for (const auto& record : records) {
    if (IsOffered(*record, races)) list.AddRow(nullptr, record->GetName(), 0, false);
  }
}

}  // namespace

// ---- The name and text dialogs ----

TextEntryDialog::TextEntryDialog(int32_t layoutIndex, int32_t controlCount, const ControlKind* kinds,
                                 int32_t fieldIndex, int32_t buttonIndex)
    : Dialog(layoutIndex, controlCount, kinds, true), fieldIndex_(fieldIndex), buttonIndex_(buttonIndex) {
  Input::ClearText();
}

// The typed text itself rather than the field's copy of it (the same text, a frame sooner): a field that lies
// outside the picture is offered no frame and never copies what is typed, and its dialog could then never close.
std::string TextEntryDialog::Text() const {
  std::string text;
  Input::GetText(text, false);
  return text;
}

void TextEntryDialog::SetMaxLength(int32_t length) {
  maxLength_ = length > 0 ? length : 0;
  Input::SetTextLimit(maxLength_);
}

void TextEntryDialog::SetText(const std::string& text) {
  const bool cut = maxLength_ > 0 && text.size() > static_cast<size_t>(maxLength_);
  Input::SetText(cut ? text.substr(0, static_cast<size_t>(maxLength_)) : text);
}

bool TextEntryDialog::Confirm() {
  if (Text().empty()) return false;
  Close();
  return IsClosed();
}

void TextEntryDialog::SetUpOkButton() {
  auto* button = GetControlAs<CaptionButton>(buttonIndex_);
  const Bounds inside{0, 0, Frame().width, Frame().height};
  hasOkButton_ = button != nullptr && inside.Contains(button->GetRect());
  if (hasOkButton_) {
    // The caption enables the button again, so it takes the focus; the first frame then enables it only while
    // there is a text, and the focus stays on it.
    BeginFocusGroup();
    button->SetCommand(kEventClose);
    button->SetState(false);
    button->SetCaption("OK");
    AddToFocusGroup(buttonIndex_);
    FocusFirstControl();
    return;
  }
  // A button outside the picture could not be seen: the dialog closes on a click or Return instead.
  SetCloseOnClick(true);
  SetCloseOnReturn(true);
}

int32_t TextEntryDialog::HandleEvents() {
  // The limit is set again every frame. It is global to text entry, and a dialog opened and closed above this one
  // starts text entry afresh for it, which leaves no limit: without this the name could then grow past its 30
  // characters.
  Input::SetTextLimit(maxLength_);
  if (hasOkButton_) {
    auto* button = GetControlAs<CaptionButton>(buttonIndex_);
    const bool typed = !Text().empty();
    if (button != nullptr && button->IsEnabled() != typed) {
      button->SetState(typed);
      SetDirty();
    }
  }
  return Dialog::HandleEvents();
}

PlayerNameDialog::PlayerNameDialog()
    : TextEntryDialog(kPlayerNameLayout, 2, kPlayerNameKinds, 0, 1) {
  SetMaxLength(kMaxNameLength);
  std::string name;
  GetDefaultPlayerName(name);
  if (!name.empty()) SetText(name);
  SetUpOkButton();
}

int32_t PlayerNameDialog::Close() {
  const std::string name = Text();
  if (name.empty()) return 0;
  // The name is kept whole, dots and slashes included: it is typed, not a file path.
  if (Character* player = GetCurrentCharacter()) player->SetName(name);
  return Dialog::Close();
}

TextInputDialog::TextInputDialog(const std::string& pictureName, const std::string& prompt, int32_t maxLength)
    : TextEntryDialog(kTextInputLayout, 3, kTextInputKinds, 1, 2), pictureName_(pictureName), prompt_(prompt) {
  // A named picture takes the layout's place; the dialog is centred on it. One that cannot be loaded leaves the
  // layout's picture and frame: with no frame at all no control would be offered a frame, and the field would never
  // show what the player types.
  if (!pictureName_.empty()) {
    std::string path;
    PicturePath(path, pictureName_);
    ImageImportOptions = kDetectTransparency;
    if (Bitmap* picture = PictureCache::Load(path.c_str())) SetBackground(picture);
  }
  SetMaxLength(maxLength);
  if (auto* text = GetControlAs<StaticTextControl>(0)) text->SetText(prompt_);
  SetUpOkButton();
}

int32_t TextInputDialog::Close() {
  const std::string text = Text();
  if (text.empty()) return 0;
  SetEnteredText(text);
  return Dialog::Close();
}

// ---- Race and class choice ----

RaceClassDialog::RaceClassDialog(int32_t races)
    : Dialog(races != 0 ? kRaceLayout : kClassLayout, 3, kRaceClassKinds, true), races_(races != 0) {
  if (auto* button = GetControlAs<CaptionButton>(kChoiceButton)) button->SetCaption("OK");
  if (auto* list = GetControlAs<ListControl>(kChoiceList)) {
    if (races_) {
      AddOfferedRows(*list, RaceList(), true);
    } else {
      AddOfferedRows(*list, ClassList(), false);
    }
  }
  BeginFocusGroup();
  AddToFocusGroup(kChoiceList);
  BeginFocusGroup();
  AddToFocusGroup(kChoiceButton);
  FocusFirstControl();
  OnRowClick(kChoiceList);
}

NamedRecord* RaceClassDialog::SelectedRecord() const {
  auto* list = GetControlAs<ListControl>(kChoiceList);
  if (list == nullptr || list->GetSelection() < 0) return nullptr;
  const std::string name = list->GetSelectedText();
  if (races_) return FindRaceByName(name);
  return FindClassByName(name);
}

void RaceClassDialog::ShowDescription() {
  const NamedRecord* record = SelectedRecord();
  auto* description = GetControlAs<StaticTextControl>(kChoiceDescription);
  if (record == nullptr || description == nullptr) return;
  description->SetText(races_ ? static_cast<const RaceRecord*>(record)->text
                              : static_cast<const ClassRecord*>(record)->text);
}

void RaceClassDialog::SetOnCharacter(NamedRecord* record) const {
  Character* player = GetCurrentCharacter();
  if (record == nullptr || player == nullptr) return;
  if (races_) {
    player->SetRace(static_cast<RaceRecord*>(record));
  } else {
    player->SetClass(static_cast<ClassRecord*>(record));
  }
}

int32_t RaceClassDialog::OnRowClick(int32_t index) {
  ShowDescription();
  return Dialog::OnRowClick(index);
}

int32_t RaceClassDialog::OnSelectionMoved(int32_t index) {
  ShowDescription();
  SetOnCharacter(SelectedRecord());
  return Dialog::OnSelectionMoved(index);
}

int32_t RaceClassDialog::OnRowDoubleClick(int32_t) {
  ShowDescription();
  return Close();
}

int32_t RaceClassDialog::Close() {
  // With no row (an empty list) the character keeps what it had.
  SetOnCharacter(SelectedRecord());
  return Dialog::Close();
}
