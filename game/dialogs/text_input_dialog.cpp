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
  // A named picture takes the layout's place.
  if (!pictureName_.empty()) {
    std::string path;
    PicturePath(path, pictureName_);
    if (Bitmap* picture = PictureCache::Load(path.c_str())) SetBackground(picture);
  }
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

int32_t TextInputDialog::HandleEvents() {
  if (Input::IsKeyDown(kSlotReturn) || Input::IsKeyDown(kSlotEscape)) {
    Input::ReleaseKey(kSlotReturn);
    Input::ReleaseKey(kSlotEscape);
    Confirm();
  }
  Input::ClearClick();
  return kNotHandled;
}
