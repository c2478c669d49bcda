// MessageDialog: the event message of a "D" script action, on screen layout 1: the message text (p1, control 0),
// up to three choice buttons (captions p2, p4, p6 on controls 1 to 3, jumping to the labels p3, p5, p7) and a
// journal button (control 4, drawn by the dialog's picture), with a still picture or a movie above them. A choice
// taken hands its label to the script engine (SetMessageChoiceText), and the action then runs the labelled action
// of that label. A message with choices ends only through a choice; one without closes on a click, Return or
// Escape, or when its movie ends, and one without any text shows only its picture or movie (with neither, the
// layout's picture stays). The journal button, or holding the journal key, adds the message's text to the
// player's journal once.
//
// What a modal-dialog driver reads and the answers it gives (modal_dialog_driver.h): Text, ChoiceCaption,
// HasChoices, Picture, Movie, AttachedRect; Choose, Dismiss.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "game/dialogs/dialog.h"
#include "game/graphics/bounds.h"
#include "game/rules/script_action.h"
#include "game/rules/script_event.h"

class MoviePlayer;

class MessageDialog : public Dialog {
 public:
  static constexpr int32_t kChoiceCount = 3;
  static constexpr int32_t kTextControl = 0;
  static constexpr int32_t kJournalButton = 4;
  static constexpr int32_t kChoiceCommand = 13;
  static constexpr int32_t kJournalCommand = 14;

  // The message of an action of the running event (the event may be null); both are copied.
  MessageDialog(const ScriptEvent* event, const ScriptAction& action);
  ~MessageDialog() override;

  // Puts the picture above the message, centred across the screen, and moves the message below it. Attaching
  // replaces a picture or a movie attached before.
  void AttachPicture(std::unique_ptr<Bitmap> picture);
  // The same with a movie's box; the movie becomes the current one and starts with the dialog's first frame.
  void AttachMovie(std::unique_ptr<MoviePlayer> movie);

  // What the message shows, text variables expanded: its text, and the captions of choices 1 to 3 ("" for a
  // choice it does not offer and for any other number).
  const std::string& Text() const { return text_; }
  const std::string& ChoiceCaption(int32_t choice) const;
  bool HasChoices() const;
  const Bitmap* Picture() const { return picture_.get(); }
  const MoviePlayer* Movie() const { return movie_.get(); }
  // Where the picture or movie shows on the screen.
  const Bounds& AttachedRect() const { return attachedRect_; }

  // The player's answers. Choose presses the button of choice 1 to 3, as a click on it does: a choice with a
  // label hands the label to the engine and closes the message, one without a label only closes it, and a choice
  // not offered does nothing. Dismiss is Return: the first choice of a message with choices (the button that has
  // the focus as the message opens), else closing.
  void Choose(int32_t choice);
  void Dismiss();

  int32_t HandleEvents() override;
  int32_t OnControlEvent(int32_t index, ControlEvent code) override;

 private:
  // Places what is attached: its box above the message, the message below it.
  void PlaceAttached(int32_t width, int32_t height, bool keepRoomForText);
  void DropAttached();
  const std::string& Param(int32_t index) const { return action_.Param(index); }

  ScriptAction action_;
  std::unique_ptr<ScriptEvent> event_;
  std::string text_;
  std::array<std::string, kChoiceCount> captions_;
  std::unique_ptr<Bitmap> picture_;
  ViewLayer attachedLayer_;
  std::unique_ptr<MoviePlayer> movie_;
  bool movieJustAttached_ = false;
  Bounds attachedRect_{};
};

// The key slot that, held down, adds the open message to the journal ('j' unless "cs.cfg" names another).
void SetJournalKey(int32_t key);
int32_t GetJournalKey();
