#include "game/shell/window_procedure.h"

#include <gtest/gtest.h>

#include "game/shell/input_manager.h"
#include "game/shell/main_loop.h"
#include "host/testing.h"

namespace {

// The window procedure's recording, fed messages directly as the message pump would dispatch them.
class WindowProcedureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HostTestSetHeadless(true);
    HostTestResetWindowSystem();
    Input::Initialize();
    ResetWindowProcedureState();
    SetPendingMenuCommand(0);
  }
  void TearDown() override {
    SetPendingMenuCommand(0);
    Input::Shutdown();
  }
  static void Send(UINT message, WPARAM wParam, LPARAM lParam = 0) { MainWindowProc(nullptr, message, wParam, lParam); }
};

TEST_F(WindowProcedureTest, KeyMessagesSetAndReleaseTheirSlots) {
  struct Case {
    WPARAM key;
    std::vector<KeySlot> slots;
  } cases[] = {
      {VK_ESCAPE, {281, 27}}, {VK_RETURN, {280, 13}}, {VK_NUMPAD5, {273}}, {'A', {97}}, {VK_F12, {271}},
  };
  for (const Case& c : cases) {
    Send(WM_KEYDOWN, c.key);
    Input::BeginFrame();
    for (KeySlot slot : c.slots) EXPECT_EQ(Input::IsKeyDown(slot), 1) << c.key << " slot " << slot;
    Send(WM_KEYUP, c.key);
    Input::BeginFrame();
    for (KeySlot slot : c.slots) EXPECT_EQ(Input::IsKeyDown(slot), 0) << c.key << " slot " << slot;
  }
  EXPECT_EQ(Input::IsKeyDown(65), 0);
  EXPECT_EQ(Input::IsKeyDown(15), 0);
}

TEST_F(WindowProcedureTest, KeysAndCharactersWithControlHeldAreNotRecorded) {
  Input::EnableTextEntry(true);
  Send(WM_KEYDOWN, VK_CONTROL);
  Send(WM_KEYDOWN, 'J');
  Send(WM_CHAR, 'j');
  Input::BeginFrame();
  EXPECT_EQ(Input::IsKeyDown(VK_CONTROL), 1);
  EXPECT_EQ(Input::IsKeyDown('j'), 0);
  std::string text;
  Input::GetText(text, true);
  EXPECT_EQ(text, "");
  Send(WM_KEYUP, VK_CONTROL);
  Send(WM_KEYDOWN, 'J');
  Send(WM_CHAR, 'j');
  Input::BeginFrame();
  EXPECT_EQ(Input::IsKeyDown('j'), 1);
  Input::GetText(text, true);
  EXPECT_EQ(text, "j");
}

TEST_F(WindowProcedureTest, AKeyPressedWhileAMenuCommandWaitsIsNotRecorded) {
  Send(WM_COMMAND, 1399);
  EXPECT_EQ(GetPendingMenuCommand(), 1399);
  Send(WM_KEYDOWN, 'K');
  Input::BeginFrame();
  EXPECT_EQ(Input::IsKeyDown('k'), 0);
}

TEST_F(WindowProcedureTest, ClicksDoubleClicksAndMoves) {
  Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 20));
  Send(WM_LBUTTONUP, 0, MAKELPARAM(10, 20));
  EXPECT_TRUE(Input::WasClicked());
  Send(WM_RBUTTONDBLCLK, MK_RBUTTON | MK_LBUTTON, MAKELPARAM(3, 4));
  EXPECT_TRUE(Input::WasDoubleClicked());
  Input::BeginFrame();
  int32_t x = 0, y = 0;
  // The left button, reported held by the flags of the right button's message, is down once aged.
  Input::AgeButtons();
  EXPECT_EQ(Input::GetMouse(&x, &y, nullptr), kButtonDown);
  EXPECT_EQ(x, 3);
  EXPECT_EQ(y, 4);

  Send(WM_MOUSEMOVE, 0, MAKELPARAM(50, 60));
  Input::BeginFrame();
  EXPECT_TRUE(Input::MouseMoved());
  Input::SetMousePosition(1, 1);
  Send(WM_MOUSEMOVE, 0, MAKELPARAM(50, 60));  // the same place again: nothing is recorded
  Input::BeginFrame();
  Input::GetMouse(&x, &y, nullptr);
  EXPECT_EQ(x, 1);
}

TEST_F(WindowProcedureTest, AltTabAndMinimisingForgetEveryKey) {
  Send(WM_KEYDOWN, 'W');
  Send(WM_SYSKEYUP, VK_TAB);
  Input::BeginFrame();
  EXPECT_EQ(Input::IsKeyDown('w'), 0);
  Send(WM_KEYDOWN, 'W');
  Send(WM_SYSCOMMAND, SC_MINIMIZE);
  Input::BeginFrame();
  EXPECT_EQ(Input::IsKeyDown('w'), 0);
}

}  // namespace
