// Scripted input for modal dialogs: the base of the tests that drive real dialogs through Dialog::RunModal.
//
// A test lists steps: a key down or up, typed text, a click at a point or on element i of the top dialog (the
// centre of the element's rectangle), a button held or let go, a move of the mouse, a wait of n frames or until a
// condition holds. The script rides on the host's queue hook: each pump of the message queue advances the manual
// clock by a frame (33 ms) and feeds the next step, through HostTestKey, HostTestText or HostTestMouseButton, to
// the main window, where the window procedure turns it into the input the dialog reads at its next frame. Past
// its last step, or at its frame cap, the script closes the window: a dialog that is still open then ends with
// the program's run, so a stuck dialog fails its test instead of hanging it.
//
//   class AboutTest : public test_support::DialogHarness {};
//   TEST_F(AboutTest, AClickClosesIt) {
//     using namespace test_support::input;
//     Config().layouts[11].name = "About.bmp";
//     AddPicture("Pictures/About.bmp", scenario_writer::Canvas(200, 100));
//     LoadWithWindow();
//     ScriptResult run = RunScripted(std::make_unique<AboutDialog>(), {Click(320, 240)});
//     EXPECT_FALSE(run.closedTheWindow);
//   }
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/script_harness.h"

class Dialog;

namespace test_support {

struct InputStep {
  enum class Kind { kKey, kText, kClick, kClickElement, kButton, kMove, kWait, kWaitFor };
  Kind kind = Kind::kWait;
  int32_t virtualKey = 0;
  bool down = false;
  std::string text;
  int32_t x = 0;
  int32_t y = 0;
  int32_t element = -1;
  int32_t clicks = 1;
  int32_t frames = 0;
  std::function<bool()> condition;
};

namespace input {
InputStep KeyDown(int32_t virtualKey);
InputStep KeyUp(int32_t virtualKey);
InputStep Type(const std::string& text);
// The left button pressed and let go at a point of the window in one frame; clicks 2 makes it the second click
// of a double click.
InputStep Click(int32_t x, int32_t y, int32_t clicks = 1);
// The same on the centre of element i of the top dialog's layout.
InputStep ClickOn(int32_t element, int32_t clicks = 1);
// The left button pressed (held) or let go at a point.
InputStep Press(int32_t x, int32_t y);
InputStep Release(int32_t x, int32_t y);
InputStep MoveTo(int32_t x, int32_t y);
// Frames that pass with no input.
InputStep Wait(int32_t frames);
// Frames pass until the condition holds (checked once a frame).
InputStep WaitFor(std::function<bool()> condition);
}  // namespace input

// The script's driver: installed on the host's queue hook for its lifetime.
class InputScript {
 public:
  static constexpr uint32_t kFrameMilliseconds = 33;

  explicit InputScript(std::vector<InputStep> steps, int32_t frameCap = 600);
  ~InputScript();
  InputScript(const InputScript&) = delete;
  InputScript& operator=(const InputScript&) = delete;

  // The pumps seen, the steps fed, and whether the script had to close the window.
  int32_t Frames() const { return frames_; }
  size_t StepsDone() const { return next_; }
  bool ClosedTheWindow() const { return closed_; }

 private:
  static void OnLook(void* script, bool idleBefore);
  void Pump();
  void Feed(const InputStep& step);

  std::vector<InputStep> steps_;
  size_t next_ = 0;
  int32_t waited_ = 0;
  int32_t frames_ = 0;
  int32_t frameCap_;
  bool closed_ = false;
};

struct ScriptResult {
  int32_t frames = 0;
  size_t stepsDone = 0;
  bool closedTheWindow = false;  // the dialog did not close by itself
};

// A dialog run by Dialog::RunModal under scripted input.
ScriptResult RunScripted(std::unique_ptr<Dialog> dialog, std::vector<InputStep> steps, int32_t frameCap = 600);

// The script harness with the game's window: after LoadWithWindow the main window (headless), the game view
// with the nine fonts of start-up and the presenter exist, and dialogs run their own modal loop instead of
// being answered from the harness's queue.
class DialogHarness : public ScriptHarness {
 protected:
  void SetUp() override;
  void TearDown() override;
  void LoadWithWindow(uint32_t seed = 1);
  // The main window's client area as last presented (0x00RRGGBB).
  uint32_t PixelShown(int32_t x, int32_t y) const;
};

}  // namespace test_support
