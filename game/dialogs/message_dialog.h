// MessageDialog: the event message of a "D" script action, on screen layout 1: the message text (p1) and up to
// three choices (captions p2, p4, p6, jumping to the labels p3, p5, p7), with a still picture or a movie above
// them. A choice taken hands its label to the script engine (SetMessageChoiceText), and the action then runs the
// labelled action of that label.
//
// The message's controls come with the dialog work. Until then the dialog shows layout 1's picture below the
// attached picture or movie (the layout's picture alone is centred; a message without text or choices shows only
// what is attached), and a click, Return or Escape closes it, taking the first choice when it has choices.
//
// What a modal-dialog driver reads and the answers it gives (modal_dialog_driver.h): Text, ChoiceCaption,
// HasChoices, Picture, Movie; Choose, Dismiss.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "game/dialogs/dialog_services.h"
#include "game/graphics/bounds.h"
#include "game/rules/script_action.h"
#include "game/rules/script_event.h"

class MoviePlayer;

class MessageDialog : public Dialog {
 public:
  static constexpr int32_t kChoiceCount = 3;

  // The message of an action of the running event (the event may be null); both are copied.
  MessageDialog(const ScriptEvent* event, const ScriptAction& action);
  ~MessageDialog() override;

  // Puts the picture above the message, centred across the screen, and moves the message below it. Attaching
  // replaces a picture or a movie attached before.
  void AttachPicture(std::unique_ptr<Bitmap> picture);
  // The same with a movie's box; the movie becomes the current one and starts.
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

  // The player's answers. Choose presses the button of choice 1 to 3: a choice with a label hands the label to
  // the engine and closes the message, one without a label only closes it, and a choice not offered does
  // nothing. Dismiss is a click, Return or Escape: the first choice of a message with choices, else closing.
  void Choose(int32_t choice);
  void Dismiss();

  bool HandleEvents() override;
  void Draw() override;

 private:
  // Places what is attached: its box above the message, the message below it.
  void PlaceAttached(int32_t width, int32_t height, bool keepRoomForText);
  void DropAttached();

  ScriptAction action_;
  std::unique_ptr<ScriptEvent> event_;
  std::string text_;
  std::array<std::string, kChoiceCount> captions_;
  bool background_ = true;
  std::unique_ptr<Bitmap> picture_;
  std::unique_ptr<MoviePlayer> movie_;
  Bounds attachedRect_{};
  uint64_t pictureLayer_ = 0;
};
