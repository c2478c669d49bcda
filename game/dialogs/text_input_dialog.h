// TextInputDialog: asks the player for a text, for the "As" script action, on screen layout 22 (or on a picture
// of "Pictures/" that the action names): a prompt and a text field. It refuses to close while the text is empty;
// closing stores the text as the entered text (SetEnteredText), which the action then reads.
//
// The dialog's controls come with the character dialogs. Until then the dialog shows its picture, takes what the
// player types, and Return or Escape closes it once something was typed.
//
// What a modal-dialog driver reads and the answers it gives (modal_dialog_driver.h): Prompt, MaxLength, Text;
// SetText, Confirm.
#pragma once

#include <cstdint>
#include <string>

#include "game/dialogs/dialog.h"

class TextInputDialog : public Dialog {
 public:
  // At most maxLength characters can be typed; 0 or less sets no limit.
  TextInputDialog(const std::string& pictureName, const std::string& prompt, int32_t maxLength);
  ~TextInputDialog() override;

  const std::string& PictureName() const { return pictureName_; }
  const std::string& Prompt() const { return prompt_; }
  int32_t MaxLength() const { return maxLength_; }
  // The text typed so far.
  std::string Text() const;

  // The player's answers. SetText puts a text in the field as typing does, cut to the maximum length; Confirm is
  // Return: with a text, it stores the text as the entered text and closes, and gives true; with none it gives
  // false and the dialog stays open.
  void SetText(const std::string& text);
  bool Confirm();

  int32_t HandleEvents() override;

 private:
  std::string pictureName_;
  std::string prompt_;
  int32_t maxLength_;
};
