// The text-input dialog.
#include "game/dialogs/text_input_dialog.h"

#include "game/graphics/picture_cache.h"
#include "game/rules/game_state.h"
#include "game/shell/data/data_paths.h"
#include "game/shell/input_manager.h"

namespace {

constexpr int32_t kTextInputLayout = 22;

}  // namespace

TextInputDialog::TextInputDialog(const std::string& pictureName, const std::string& prompt, int32_t maxLength)
    : Dialog(kTextInputLayout), pictureName_(pictureName), prompt_(prompt), maxLength_(maxLength > 0 ? maxLength : 0) {
  Input::EnableTextEntry(true);
  Input::ClearText();
  Input::SetTextLimit(maxLength_);
}

TextInputDialog::~TextInputDialog() { Input::EnableTextEntry(false); }

std::string TextInputDialog::Text() const {
  std::string text;
  Input::GetText(text, false);
  return text;
}

void TextInputDialog::SetText(const std::string& text) {
  Input::SetText(maxLength_ > 0 && text.size() > static_cast<size_t>(maxLength_) ? text.substr(0, maxLength_) : text);
}

bool TextInputDialog::Confirm() {
  std::string text = Text();
  if (text.empty()) return false;
  SetEnteredText(text);
  Close();
  return true;
}

bool TextInputDialog::HandleEvents() {
  if (Input::IsKeyDown(kSlotReturn) || Input::IsKeyDown(kSlotEscape)) {
    Input::ReleaseKey(kSlotReturn);
    Input::ReleaseKey(kSlotEscape);
    Confirm();
  }
  return true;
}

Bitmap* TextInputDialog::BackgroundPicture() const {
  if (pictureName_.empty()) return Dialog::BackgroundPicture();
  std::string path;
  PicturePath(path, pictureName_);
  return PictureCache::Load(path.c_str());
}
