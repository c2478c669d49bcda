// Scripted input for modal dialogs, and the harness with the game's window.
#include "tests/support/dialog_input.h"

#include "game/dialogs/dialog.h"
#include "game/dialogs/modal_dialog_driver.h"
#include "game/dialogs/screen_layouts.h"
#include "game/shell/main_window.h"
#include "game/shell/startup_options.h"
#include "host/testing.h"

namespace test_support {

namespace input {

InputStep KeyDown(int32_t virtualKey) {
  InputStep step;
  step.kind = InputStep::Kind::kKey;
  step.virtualKey = virtualKey;
  step.down = true;
  return step;
}

InputStep KeyUp(int32_t virtualKey) {
  InputStep step = KeyDown(virtualKey);
  step.down = false;
  return step;
}

InputStep Type(const std::string& text) {
  InputStep step;
  step.kind = InputStep::Kind::kText;
  step.text = text;
  return step;
}

InputStep Click(int32_t x, int32_t y, int32_t clicks) {
  InputStep step;
  step.kind = InputStep::Kind::kClick;
  step.x = x;
  step.y = y;
  step.clicks = clicks;
  return step;
}

InputStep ClickOn(int32_t element, int32_t clicks) {
  InputStep step;
  step.kind = InputStep::Kind::kClickElement;
  step.element = element;
  step.clicks = clicks;
  return step;
}

InputStep Press(int32_t x, int32_t y) {
  InputStep step;
  step.kind = InputStep::Kind::kButton;
  step.x = x;
  step.y = y;
  step.down = true;
  return step;
}

InputStep Release(int32_t x, int32_t y) {
  InputStep step = Press(x, y);
  step.down = false;
  return step;
}

InputStep MoveTo(int32_t x, int32_t y) {
  InputStep step;
  step.kind = InputStep::Kind::kMove;
  step.x = x;
  step.y = y;
  return step;
}

InputStep Wait(int32_t frames) {
  InputStep step;
  step.kind = InputStep::Kind::kWait;
  step.frames = frames;
  return step;
}

InputStep WaitFor(std::function<bool()> condition) {
  InputStep step;
  step.kind = InputStep::Kind::kWaitFor;
  step.condition = std::move(condition);
  return step;
}

}  // namespace input

namespace {

HWND MainHandle() {
  MainWindow* window = GetMainWindow();
  return window != nullptr && window->IsCreated() ? window->GetNativeWindow() : nullptr;
}

// The centre of element i of the top dialog's layout, in window coordinates; false when there is none.
bool ElementCentre(int32_t element, int32_t* x, int32_t* y) {
  if (OpenDialogs().empty()) return false;
  const Dialog& top = *OpenDialogs().back();
  const Layout* layout = GetLayout(top.LayoutIndex());
  const LayoutElement* rect = layout != nullptr ? layout->GetElement(element) : nullptr;
  if (rect == nullptr) return false;
  *x = top.Frame().x + rect->x + rect->width / 2;
  *y = top.Frame().y + rect->y + rect->height / 2;
  return true;
}

void ClickAt(HWND window, int32_t x, int32_t y, int32_t clicks) {
  HostTestMouseButton(window, 0, true, x, y, clicks);
  HostTestMouseButton(window, 0, false, x, y, clicks);
}

}  // namespace

InputScript::InputScript(std::vector<InputStep> steps, int32_t frameCap)
    : steps_(std::move(steps)), frameCap_(frameCap) {
  HostTestSetQueueHook(&InputScript::OnLook, this);
}

InputScript::~InputScript() { HostTestSetQueueHook(nullptr, nullptr); }

void InputScript::OnLook(void* script, bool idleBefore) {
  // A look after one that found the queue empty begins a pump: one frame.
  if (idleBefore) static_cast<InputScript*>(script)->Pump();
}

void InputScript::Pump() {
  ++frames_;
  HostTestAdvanceClock(kFrameMilliseconds);
  if (closed_) return;
  if (next_ >= steps_.size() || frames_ > frameCap_) {
    closed_ = true;
    if (HWND window = MainHandle()) HostTestCloseWindow(window);
    return;
  }
  const InputStep& step = steps_[next_];
  if (step.kind == InputStep::Kind::kWait) {
    if (++waited_ >= step.frames) {
      waited_ = 0;
      ++next_;
    }
    return;
  }
  if (step.kind == InputStep::Kind::kWaitFor) {
    if (!step.condition || step.condition()) ++next_;
    return;
  }
  Feed(step);
  ++next_;
}

void InputScript::Feed(const InputStep& step) {
  HWND window = MainHandle();
  switch (step.kind) {
    case InputStep::Kind::kKey: HostTestKey(step.virtualKey, step.down); break;
    case InputStep::Kind::kText: HostTestText(step.text.c_str()); break;
    case InputStep::Kind::kClick: ClickAt(window, step.x, step.y, step.clicks); break;
    case InputStep::Kind::kClickElement: {
      int32_t x = 0, y = 0;
      if (ElementCentre(step.element, &x, &y)) {
        ClickAt(window, x, y, step.clicks);
      } else {
        ADD_FAILURE() << "the top dialog has no element " << step.element;
      }
      break;
    }
    case InputStep::Kind::kButton: HostTestMouseButton(window, 0, step.down, step.x, step.y); break;
    case InputStep::Kind::kMove: HostTestMouseMove(window, step.x, step.y); break;
    case InputStep::Kind::kWait:
    case InputStep::Kind::kWaitFor: break;
  }
}

ScriptResult RunScripted(std::unique_ptr<Dialog> dialog, std::vector<InputStep> steps, int32_t frameCap) {
  InputScript script(std::move(steps), frameCap);
  Dialog::RunModal(std::move(dialog));
  return ScriptResult{script.Frames(), script.StepsDone(), script.ClosedTheWindow()};
}

void DialogHarness::SetUp() {
  HostTestResetWindowSystem();
  ScriptHarness::SetUp();
}

void DialogHarness::TearDown() {
  ScriptHarness::TearDown();
  HostTestResetWindowSystem();
}

void DialogHarness::LoadWithWindow(uint32_t seed) {
  Load(seed);
  if (::testing::Test::HasFatalFailure()) return;
  ASSERT_EQ(InitGameWindow(), 0);
  SetModalDialogDriver(nullptr);
}

uint32_t DialogHarness::PixelShown(int32_t x, int32_t y) const {
  HostFrame frame;
  if (!HostTestLastFrame(MainHandle(), &frame) || x < 0 || y < 0 || x >= frame.width || y >= frame.height) {
    return 0xFFFFFFFFu;
  }
  return frame.pixels[static_cast<size_t>(y) * frame.width + x];
}

}  // namespace test_support
