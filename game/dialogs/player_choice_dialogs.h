// Three small dialogs that ask the player for one value and refuse to close while it is empty:
//
// - PlayerNameDialog (screen layout 4: a text field and a button): the player's name at a new game, at most 30
//   characters, kept exactly as typed.
// - RaceClassDialog (layout 5 for races, 6 for classes: a list, the description of the selected row and "OK"):
//   the rows are the races or classes offered at creation; moving the selection by keys sets the record on the
//   current character at once, closing sets the selected one. An empty list closes without a choice.
// - TextInputDialog (layout 22, or a picture of "Pictures/" that the "As" action names: a prompt, a text field
//   and a button): closing stores the text as the entered text (SetEnteredText), which the action then reads.
//
// The name and text dialogs share their button's set-up: a button wholly inside the dialog's picture is "OK",
// enabled while the text is not empty; a button outside it is never used, and the dialog closes on a click and
// on Return instead (still refusing an empty text).
//
// What a modal-dialog driver reads and the answers it gives (modal_dialog_driver.h): TextInputDialog's Prompt,
// MaxLength and Text, SetText and Confirm; Close on the others.
#pragma once

#include <cstdint>
#include <string>

#include "game/dialogs/dialog.h"

class NamedRecord;

// The name and text dialogs: a text field whose text the player types, and the OK button's set-up.
class TextEntryDialog : public Dialog {
 public:
  // The text typed so far.
  std::string Text() const;
  // Puts a text in the field as typing does, cut to the maximum length (none when 0 or less).
  void SetText(const std::string& text);
  // Return: closes when there is a text (true); with none it gives false and the dialog stays open.
  bool Confirm();
  int32_t MaxLength() const { return maxLength_; }
  // Whether the layout's button is used as "OK" (it lies wholly inside the dialog's picture).
  bool HasOkButton() const { return hasOkButton_; }

  // The OK button follows whether a text was typed.
  int32_t HandleEvents() override;

 protected:
  TextEntryDialog(int32_t layoutIndex, int32_t controlCount, const ControlKind* kinds, int32_t fieldIndex,
                  int32_t buttonIndex);
  // The field's limit; after the base constructor.
  void SetMaxLength(int32_t length);
  // Call once the dialog has its picture and place.
  void SetUpOkButton();

 private:
  int32_t fieldIndex_;
  int32_t buttonIndex_;
  int32_t maxLength_ = 0;
  bool hasOkButton_ = false;
};

class PlayerNameDialog : public TextEntryDialog {
 public:
  static constexpr int32_t kMaxNameLength = 30;

  PlayerNameDialog();
  // Refuses (0) while the name is empty; otherwise renames the current character.
  int32_t Close() override;
};

class RaceClassDialog : public Dialog {
 public:
  // races not 0: the race dialog; 0: the class dialog.
  explicit RaceClassDialog(int32_t races);
  // Sets the selected record on the current character (nothing without a selection), then closes.
  int32_t Close() override;
  int32_t OnRowClick(int32_t index) override;
  int32_t OnSelectionMoved(int32_t index) override;
  int32_t OnRowDoubleClick(int32_t index) override;

  bool ForRaces() const { return races_; }

 private:
  // The selected row's record; null without a selection or a record of that name.
  NamedRecord* SelectedRecord() const;
  void ShowDescription();
  void SetOnCharacter(NamedRecord* record) const;

  bool races_;
};

class TextInputDialog : public TextEntryDialog {
 public:
  // At most maxLength characters can be typed; 0 or less sets no limit.
  TextInputDialog(const std::string& pictureName, const std::string& prompt, int32_t maxLength);

  const std::string& PictureName() const { return pictureName_; }
  const std::string& Prompt() const { return prompt_; }
  // Refuses (0) while the text is empty; otherwise stores it as the entered text and closes.
  int32_t Close() override;

 private:
  std::string pictureName_;
  std::string prompt_;
};
