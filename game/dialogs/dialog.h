// Dialog: the base of every game window over the game view. A dialog shows the picture of its screen layout,
// centred on the screen, with one control per element of the layout placed on the element's rectangle (relative
// to the dialog's frame). It runs modally: Dialog::RunModal draws it, gives it one input frame at a time and
// deletes it once it has closed. While it exists it is on the open-dialog stack (the main loop draws every open
// dialog and gives input to the top one), the game clock stands still and the view rebuilds behind a snapshot.
//
// One input frame (HandleEvents): the focus moves by key at most every 150 ms and follows the mouse; each control
// is offered the frame and its event code goes to OnControlEvent, whose result flags say what happens next:
// kConsumeClick clears both click flags, kReturnAtOnce ends the frame, kStopScan offers the frame to no further
// control, kNotHandled lets the close keys and the close-on-click act, kResetInput resets all input. A close key
// acts only once it has been seen up while the dialog runs, so a key held as the dialog opens does not close it.
// During the input delay the mouse is kept from the controls, though a click still closes a dialog that closes
// on click.
//
// Derived dialogs give the layout, their table of control kinds and whether the picture belongs in the dialogs'
// own picture pool, set their controls up after the base constructor and override the handlers they need.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "game/dialogs/controls.h"
#include "game/dialogs/view_layer.h"
#include "game/graphics/bitmap.h"
#include "game/graphics/bounds.h"
#include "game/shell/data/stopwatch.h"

class PicturePool;
class SceneView;

// Result flags of the handlers.
constexpr int32_t kConsumeClick = 0x1;
constexpr int32_t kReturnAtOnce = 0x2;
constexpr int32_t kStopScan = 0x4;
constexpr int32_t kNotHandled = 0x8;
constexpr int32_t kResetInput = 0x10;

class Dialog {
 public:
  // The layout's picture becomes the background (loaded into the dialogs' pool with ownPool); the controls are
  // made from the kinds, one per element. A dialog without controls closes on a click and on Return as well as
  // on Escape. A layout that names a picture that cannot be loaded gives the alert "Can't load dialog picture."
  // and a dialog closed from the start.
  Dialog(int32_t layoutIndex, int32_t controlCount, const ControlKind* kinds, bool ownPool);
  // A dialog without controls, its picture in the current pool.
  explicit Dialog(int32_t layoutIndex) : Dialog(layoutIndex, 0, nullptr, false) {}
  virtual ~Dialog();
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // Sets all mouse buttons idle and ends the modal loop; kConsumeClick | kReturnAtOnce.
  virtual int32_t Close();
  // Redraws the controls layer when dirty.
  virtual void Draw();
  virtual bool IsDirty() const;
  // One input frame; the flags of the last handler called (kNotHandled when none was).
  virtual int32_t HandleEvents();
  // Maps a control's event code to a handler.
  virtual int32_t OnControlEvent(int32_t index, ControlEvent code);
  virtual int32_t OnRowClick(int32_t index);
  virtual int32_t OnSelectionMoved(int32_t index);
  virtual int32_t OnRowDoubleClick(int32_t index);
  virtual int32_t OnMultiSelectRowClick(int32_t index);
  virtual int32_t OnMultiSelectMoved(int32_t index);
  virtual int32_t OnMultiSelectDoubleClick(int32_t index);
  virtual int32_t OnPickChanged(int32_t index, bool picked);
  virtual int32_t OnFocusChange(int32_t index, bool gained);

  // The background (not owned; it lives in a picture pool): centred on the screen, the dialog's layers made again.
  // Null leaves the dialog without a picture and with an empty frame, and its layers as they are.
  void SetBackground(Bitmap* picture);
  // Makes the layers that are not made yet: the picture's, the controls', and each list's own.
  void PlaceOnScreen();
  // Destroys every layer of the dialog.
  void ClearScreenLayers();
  // Marks the dialog for a full redraw and draws it.
  void Invalidate();

  // The control of that index (null outside the controls or for a kind the factory does not know); typed, null
  // when the control is of another class.
  Control* GetControl(int32_t index) const;
  template <typename T>
  T* GetControlAs(int32_t index) const {
    return dynamic_cast<T*>(GetControl(index));
  }
  int32_t GetControlCount() const { return static_cast<int32_t>(controls_.size()); }

  // Focus groups: the keyboard moves between groups with Tab, Left and Right (and the keypad's 4 and 6), within a
  // group with Up and Down (keypad 8 and 2). Only a control wholly inside the frame joins a group.
  void BeginFocusGroup();
  void AddToFocusGroup(int32_t index);
  void FocusFirstControl();
  // The index of the control with the keyboard focus, -1 for none.
  int32_t FocusedIndex() const;

  // Runs the dialog until it closes or the program is to end, then deletes it. With a modal-dialog driver
  // installed (modal_dialog_driver.h) the driver answers a dialog that is open instead of the modal loop.
  static void RunModal(std::unique_ptr<Dialog> dialog);

  bool IsRunning() const { return running_; }
  bool IsClosed() const { return !running_; }
  int32_t LayoutIndex() const { return layoutIndex_; }
  // The dialog's place on the screen; control rectangles are relative to its top-left corner.
  const Bounds& Frame() const { return frame_; }
  Bitmap* GetPicture() const { return picture_; }
  void SetCloseOnClick(bool on) { closeOnClick_ = on; }
  bool ClosesOnClick() const { return closeOnClick_; }
  void SetCloseOnReturn(bool on) { closeOnReturn_ = on; }
  void SetCloseOnEscape(bool on) { closeOnEscape_ = on; }
  void SetCloseOnTab(bool on) { closeOnTab_ = on; }
  // Milliseconds after opening during which the controls get no mouse buttons and no clicks.
  void SetInputDelay(float milliseconds) { inputDelay_ = milliseconds; }

 protected:
  // Moves the dialog's frame (and its layers' place) to a point of the screen.
  void MoveFrameTo(int32_t x, int32_t y);
  // The open layers: the picture's and the controls'.
  ViewLayer& PictureLayer() { return pictureLayer_; }
  ViewLayer& ControlsLayer() { return controlsLayer_; }
  void SetDirty() { dirty_ = true; }
  // Whether Return has been seen up since it last went down while the dialog runs (as the previous frame left
  // it): the close on Return acts only then.
  bool IsReturnArmed() const { return returnArmed_; }

 private:
  void MoveFocus(float now);
  void UpdateHover();
  // The first control that is on, searching the groups in order from the given group (wrapping once when asked)
  // for a group move; false when no group has one.
  bool FocusInGroupFrom(int32_t group, int32_t direction);
  void SetFocused(int32_t group, int32_t position);
  Control* FocusedControl() const;
  int32_t IndexOf(const Control* control) const;
  bool IsOffered(const Control& control) const;
  void ApplyFlags(int32_t flags);

  bool closeOnClick_ = false;
  bool closeOnReturn_ = false;
  bool closeOnEscape_ = true;
  bool closeOnTab_ = false;
  bool returnArmed_ = false;
  bool escapeArmed_ = false;
  bool tabArmed_ = false;
  bool dirty_ = true;
  Bounds frame_;
  Bounds layerFrame_;
  ViewLayer pictureLayer_;
  ViewLayer controlsLayer_;
  Stopwatch stopwatch_;
  float inputDelay_ = 0.0f;
  bool running_ = false;
  bool forcedRedraw_ = false;
  Bitmap* picture_ = nullptr;
  std::vector<std::unique_ptr<Control>> controls_;
  int32_t mouseX_ = 0;
  int32_t mouseY_ = 0;
  std::vector<std::vector<Control*>> focusGroups_;
  int32_t currentGroup_ = -1;
  int32_t focusedPosition_ = -1;
  float lastFocusMove_ = 0.0f;
  int32_t layoutIndex_;
  bool ownPool_;
  SceneView* bracketView_ = nullptr;
};

// The open dialogs, bottom first.
const std::vector<Dialog*>& OpenDialogs();
// Draws every open dialog that is running, bottom first.
void DrawOpenDialogs();
// False when no dialog is open; otherwise the top dialog (when running) takes the frame's input.
bool DispatchTopDialogEvents();

// The dialogs' picture pool (id 1), made at start-up and deleted at shut-down; the current pool stands in for it
// while there is none.
void CreateDialogPicturePool();
void DeleteDialogPicturePool();
PicturePool* GetDialogPicturePool();
// The caption buttons' frame picture (from the program's resource 12345) and the list scroll picture (named by
// layout 21); each setter frees the picture it replaces.
void SetDialogGlobalPicture(std::unique_ptr<Bitmap> picture);
Bitmap* GetDialogGlobalPicture();
void SetListScrollPicture(std::unique_ptr<Bitmap> picture);
Bitmap* GetListScrollPicture();
