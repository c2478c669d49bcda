// Controls: the interactive pieces of a dialog, one per element of its screen layout, made by CreateControl from
// the dialog's table of control kinds. The element's rectangle, relative to the dialog's frame, is the control's.
// Every frame the dialog offers each control the mouse and keys (Control::Track); the code a control gives back
// (a ControlEvent) becomes a call of one of the dialog's handlers. Controls draw text labels and pictures on the
// dialog's controls layer of the game view; the two list kinds (list_controls.h) draw on a layer of their own.
//
// Colour index i is the view's font i, made current before a label is placed (start-up makes nine: 0 plain,
// 1 highlighted, 6 grey, 7 white, 8 red). Every text given to a control passes through ExpandTextVariables.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "game/dialogs/view_layer.h"
#include "game/graphics/bitmap.h"
#include "game/graphics/blitter.h"
#include "game/graphics/bounds.h"

class SceneView;

// The kinds of the factory's table.
enum ControlKind : int32_t {
  kPictureButtonKind = 1,
  kTextButtonKind = 2,
  kPictureControlKind = 3,
  kStaticTextKind = 4,
  kListKind = 5,
  kTextFieldKind = 6,
  kCaptionButtonKind = 7,
  kMultiSelectListKind = 8,
};

// The codes Control::Track gives, as Dialog::OnControlEvent maps them to handlers. Buttons give their command id:
// 1 closes the dialog, 13 and up are the dialog's own commands.
using ControlEvent = int32_t;
constexpr ControlEvent kEventNothing = 0;
constexpr ControlEvent kEventClose = 1;
constexpr ControlEvent kEventRowClick = 3;
constexpr ControlEvent kEventSelectionMoved = 4;
constexpr ControlEvent kEventRowDoubleClick = 5;
constexpr ControlEvent kEventMultiRowClick = 6;
constexpr ControlEvent kEventBoxPicked = 7;
constexpr ControlEvent kEventBoxUnpicked = 8;
constexpr ControlEvent kEventMultiSelectionMoved = 9;
constexpr ControlEvent kEventDoublePickRefused = 10;
constexpr ControlEvent kEventDoublePicked = 11;
constexpr ControlEvent kEventDoubleUnpicked = 12;
constexpr ControlEvent kFirstCommand = 13;

// The font indices of the colours the controls use.
constexpr int32_t kPlainColour = 0;
constexpr int32_t kHighlightColour = 1;
constexpr int32_t kGreyColour = 6;
constexpr int32_t kWhiteColour = 7;
constexpr int32_t kRedColour = 8;

class Control {
 public:
  // The rectangle is cut to the screen's size (a picture of its size is made by some kinds); one without area
  // still draws at its x and y.
  explicit Control(const Bounds& rect);
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  // Draws the control when it is visible (each kind its own way) and damages its rectangle; clears the redraw flag.
  virtual void Draw(SceneView& view);
  // One frame of the mouse (relative to the dialog's frame) and the keys; the event code (0: nothing).
  virtual ControlEvent Track(int32_t x, int32_t y, int32_t buttons);
  // Whether the control draws on a layer of its own (the list kinds).
  virtual bool WantsOwnLayer() const { return false; }

  void Show();
  const Bounds& GetRect() const { return rect_; }
  // The point lies within the rectangle, edges included.
  bool HitTest(int32_t x, int32_t y) const { return rect_.ContainsPoint(x, y); }
  // On: the control may take the focus and react.
  bool GetState() const { return on_; }
  void SetOn(bool on) { on_ = on; }
  virtual void SetState(bool on);
  // The focus flag: the keyboard focus, or the active control under the mouse.
  void SetDefault(bool focus);
  bool HasFocus() const { return focus_; }
  void SetHovered(bool hovered);
  bool IsHovered() const { return hovered_; }
  bool NeedsRedraw() const { return needsRedraw_; }
  bool IsVisible() const { return visible_; }
  bool IsFocusGroupMember() const { return focusGroupMember_; }
  void SetFocusGroupMember(bool member) { focusGroupMember_ = member; }
  ViewLayer& OwnLayer() { return ownLayer_; }

 protected:
  void Redraw() { needsRedraw_ = true; }

  bool hovered_ = false;
  bool focus_ = false;
  bool on_ = false;
  bool needsRedraw_ = false;
  bool visible_ = false;
  bool focusGroupMember_ = false;
  Bounds rect_;
  ViewLayer ownLayer_;
};

class Button : public Control {
 public:
  explicit Button(const Bounds& rect);
  // The command while the button has the focus and Return is down (every such frame: a held Return repeats it),
  // or when it is under the mouse as a click comes; only an enabled button fires.
  ControlEvent Track(int32_t x, int32_t y, int32_t buttons) override;
  void SetState(bool on) override;
  void SetCommand(int32_t command) { command_ = command; }
  // With a command other than 0: takes it, and the button is on, enabled and visible.
  void SetCommandAndShow(int32_t command);
  int32_t GetCommand() const { return command_; }
  bool IsEnabled() const { return enabled_; }

 protected:
  bool enabled_ = true;
  int32_t command_ = kEventClose;
};

// Two pictures (owned): the pressed one while focused and enabled.
class PictureButton : public Button {
 public:
  explicit PictureButton(const Bounds& rect);
  void Draw(SceneView& view) override;
  // Nothing when both are null; a null pressed picture is the normal one.
  void SetPictures(std::unique_ptr<Bitmap> normal, std::unique_ptr<Bitmap> pressed);

 private:
  std::unique_ptr<Bitmap> normal_;
  std::unique_ptr<Bitmap> pressed_;  // null: the normal picture serves
};

// A caption wrapped in the rectangle, highlighted while focused and enabled.
class TextButton : public Button {
 public:
  explicit TextButton(const Bounds& rect);
  void Draw(SceneView& view) override;
  void SetCaption(const std::string& text);
  const std::string& GetCaption() const { return caption_; }
  void SetColours(int32_t normal, int32_t highlighted) {
    normalColour_ = normal;
    highlightColour_ = highlighted;
  }

 private:
  std::string caption_;
  int32_t normalColour_ = kPlainColour;
  int32_t highlightColour_ = kHighlightColour;
};

// One picture, owned or not.
class PictureControl : public Control {
 public:
  explicit PictureControl(const Bounds& rect);
  ~PictureControl() override;
  void Draw(SceneView& view) override;
  void SetPicture(Bitmap* picture, bool owns);
  Bitmap* GetPicture() const { return picture_; }

 private:
  Bitmap* picture_ = nullptr;
  bool owns_ = false;
};

// A text wrapped in the rectangle.
class StaticTextControl : public Control {
 public:
  explicit StaticTextControl(const Bounds& rect);
  void Draw(SceneView& view) override;
  // Only a text other than the one shown changes it (and asks for a redraw).
  void SetText(const std::string& text);
  const std::string& GetText() const { return text_; }
  void SetColour(int32_t index);
  int32_t GetColour() const { return colour_; }

 private:
  std::string text_;
  int32_t colour_ = kPlainColour;
};

// The text typed so far (the input manager's typed text), showing its end, with a caret after it. It never takes
// the focus. It sets no limit on typing until SetMaxLength.
class TextField : public Control {
 public:
  explicit TextField(const Bounds& rect);
  void Draw(SceneView& view) override;
  ControlEvent Track(int32_t x, int32_t y, int32_t buttons) override;
  // The field's text and the typed text, so that typing goes on from it.
  void SetText(const std::string& text);
  const std::string& GetText() const { return text_; }
  // The limit of text entry, which is global to it.
  void SetMaxLength(int32_t length);
  void SetColour(int32_t index) { colour_ = index; }
  // The part of the text that is drawn, and where the caret goes (relative to the dialog's frame); for tests.
  std::string ShownText(SceneView& view) const;
  Point CaretPosition(SceneView& view) const;

 private:
  std::string text_;
  int32_t colour_ = kPlainColour;
  std::unique_ptr<Bitmap> caret_;
  std::unique_ptr<Bitmap> background_;
};

// A framed button with a centred caption; the frame is cut from the dialogs' caption-frame picture.
class CaptionButton : public Button {
 public:
  explicit CaptionButton(const Bounds& rect);
  void Draw(SceneView& view) override;
  void SetCaption(const std::string& text);
  const std::string& GetCaption() const { return caption_; }
  // The frame (null when the button or the picture is too small, or there is no picture).
  const Bitmap* Frame() const { return frame_.get(); }

 private:
  void BuildFrame();

  std::string caption_;
  std::unique_ptr<Bitmap> frame_;
};

// A new control of the kind over the rectangle; null for a kind outside 1 to 8.
std::unique_ptr<Control> CreateControl(int32_t kind, const Bounds& rect);

// The screen pixel format: the format of every picture the dialogs make.
int32_t ScreenPixelFormat();
// A new picture of that size in the screen pixel format, filled with the colour; null when it cannot be made.
std::unique_ptr<Bitmap> MakeFilledPicture(int32_t width, int32_t height, DrawColor colour);
// Makes the view's font of that colour index current (nothing for an index the view lacks).
void SelectColour(SceneView& view, int32_t index);
