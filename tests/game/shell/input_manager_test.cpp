#include "game/shell/input_manager.h"

#include <gtest/gtest.h>

#include <vector>

#include "host/testing.h"
#include "host/user.h"

namespace {

class InputManagerTest : public ::testing::Test {
 protected:
  void SetUp() override { Input::Initialize(); }
  void TearDown() override { Input::Shutdown(); }

  // Presses (or releases) a key as the window procedure does: every slot of its mapping.
  static void Key(int32_t virtualKey, bool down) {
    int32_t step = 0;
    do {
      KeySlot slot = 0;
      int32_t next = 0;
      Input::MapVirtualKey(virtualKey, step, &slot, &next);
      if (down) Input::SetKey(slot, 1);
      else Input::ReleaseKey(slot);
      step = next;
    } while (step != 0);
  }
};

std::vector<KeySlot> SlotsOf(int32_t virtualKey) {
  std::vector<KeySlot> slots;
  int32_t step = 0;
  do {
    KeySlot slot = 0;
    int32_t next = 0;
    Input::MapVirtualKey(virtualKey, step, &slot, &next);
    slots.push_back(slot);
    step = next;
  } while (step != 0 && slots.size() < 8);
  return slots;
}

TEST_F(InputManagerTest, VirtualKeysMapToTheirSlots) {
  struct Case {
    int32_t key;
    std::vector<KeySlot> slots;
  } cases[] = {
      {VK_ESCAPE, {281, 27}},     {VK_BACK, {282, 8}},       {VK_DELETE, {283, 127}}, {VK_TAB, {284, 9}},
      {VK_RETURN, {280, 13, 13}}, {VK_UP, {256}},            {VK_DOWN, {257}},        {VK_LEFT, {258}},
      {VK_RIGHT, {259}},          {VK_F1, {260}},            {VK_F12, {271}},         {VK_NUMPAD8, {272}},
      {VK_NUMPAD2, {273}},        {VK_NUMPAD5, {273}},       {VK_NUMPAD1, {279}},     {'A', {97}},
      {'Z', {122}},               {'5', {'5'}},              {VK_MULTIPLY, {106}},    {VK_NUMPAD0, {96}},
  };
  for (const Case& c : cases) EXPECT_EQ(SlotsOf(c.key), c.slots) << "key " << c.key;
}

TEST_F(InputManagerTest, KeysAreSeenOnlyAfterTheFrameLatch) {
  Key(VK_ESCAPE, true);
  EXPECT_EQ(Input::IsKeyDown(281), 0);
  Input::BeginFrame();
  EXPECT_EQ(Input::IsKeyDown(281), 1);
  EXPECT_EQ(Input::IsKeyDown(27), 1);
  Key(VK_ESCAPE, false);
  Input::BeginFrame();
  EXPECT_EQ(Input::IsKeyDown(281), 0);
  EXPECT_EQ(Input::IsKeyDown(27), 0);
  Key('A', true);
  Input::BeginFrame();
  EXPECT_EQ(Input::IsKeyDown(97), 1);
  EXPECT_EQ(Input::IsKeyDown(65), 0);
}

// A tap that comes and goes between two frames reads down for the next frame, then up.
TEST_F(InputManagerTest, AKeyPressedAndLetGoBetweenFramesReadsDownForOneFrame) {
  Input::BeginFrame();
  Key(VK_SPACE, true);
  Key(VK_SPACE, false);
  EXPECT_EQ(Input::IsKeyDown(' '), 0);
  Input::BeginFrame();
  EXPECT_EQ(Input::IsKeyDown(' '), 1);
  Input::BeginFrame();
  EXPECT_EQ(Input::IsKeyDown(' '), 0);
}

TEST_F(InputManagerTest, SlotsOutsideTheTableReadZeroAndCannotBeSet) {
  for (KeySlot slot : {-1, 289, 100000}) {
    Input::SetKey(slot, 1);
    Input::BeginFrame();
    EXPECT_EQ(Input::IsKeyDown(slot), 0);
  }
  Input::SetKey(288, 1);
  Input::BeginFrame();
  EXPECT_EQ(Input::IsKeyDown(288), 1);
}

TEST_F(InputManagerTest, MovementKeysAreTheArrowsAndTheKeypad) {
  EXPECT_FALSE(Input::IsMovementKeyDown());
  Key(VK_NUMPAD5, true);
  Input::BeginFrame();
  EXPECT_TRUE(Input::IsMovementKeyDown());
}

TEST_F(InputManagerTest, ClickAndDoubleClick) {
  Input::OnLeftButton(10, 20, kButtonDown);
  Input::OnLeftButton(10, 20, kButtonUp);
  EXPECT_TRUE(Input::WasClicked());
  Input::ClearClick();
  EXPECT_FALSE(Input::WasClicked());

  // A double click keeps the state as it was and only raises its flag.
  Input::OnRightButton(3, 4, kButtonDown);
  Input::OnRightButton(3, 4, kButtonDoubleClick);
  EXPECT_TRUE(Input::WasDoubleClicked());
  Input::BeginFrame();
  int32_t x = 0, y = 0, state = 0;
  Input::GetMouseRight(&x, &y, &state);
  EXPECT_EQ(state, kButtonDown);
  EXPECT_EQ(x, 3);
  EXPECT_EQ(y, 4);

  // A button reported down by another button's flags and then up also clicks; ageing settles the states.
  Input::OnMiddleButton(0, 0, kButtonHeldByFlags);
  Input::AgeButtons();
  Input::BeginFrame();
  Input::OnMiddleButton(0, 0, kButtonUpByFlags);
  EXPECT_TRUE(Input::WasClicked());
  Input::AgeButtons();
  EXPECT_EQ(Input::GetMouse(nullptr, nullptr, nullptr), kButtonUp);
}

// A click whose press and release both come between two frames is seen as a tap is: the click flag at once, and
// the button down for the next frame, then up. A press a frame has seen is let go at once.
TEST_F(InputManagerTest, AButtonPressedAndLetGoBetweenFramesReadsDownForOneFrame) {
  Input::BeginFrame();
  Input::OnLeftButton(5, 6, kButtonDown);
  Input::OnLeftButton(5, 6, kButtonUp);
  EXPECT_TRUE(Input::WasClicked());
  Input::BeginFrame();
  int32_t x = 0, y = 0, state = 0;
  EXPECT_EQ(Input::GetMouse(&x, &y, &state), kButtonDown);
  EXPECT_EQ(x, 5);
  EXPECT_EQ(y, 6);
  Input::BeginFrame();
  EXPECT_EQ(Input::GetMouse(nullptr, nullptr, nullptr), kButtonUp);

  // The right button the same; one held over a frame goes up with its release.
  Input::OnRightButton(5, 6, kButtonDown);
  Input::OnRightButton(5, 6, kButtonUp);
  Input::BeginFrame();
  EXPECT_EQ(Input::GetMouseRight(nullptr, nullptr, &state), kButtonDown);
  Input::BeginFrame();
  EXPECT_EQ(Input::GetMouseRight(nullptr, nullptr, &state), kButtonUp);
  Input::OnLeftButton(5, 6, kButtonDown);
  Input::BeginFrame();
  Input::OnLeftButton(5, 6, kButtonUp);
  EXPECT_EQ(Input::GetMouse(nullptr, nullptr, nullptr), kButtonUp);
}

// A reader that sets the buttons idle for a while and then tells back the state it read (the map under its status
// panel) leaves a tap a tap and a held button held: neither becomes a press of its own.
TEST_F(InputManagerTest, AButtonToldBackAfterIdleIsNoNewPress) {
  Input::OnLeftButton(5, 6, kButtonDown);
  Input::OnLeftButton(5, 6, kButtonUp);
  Input::BeginFrame();
  int32_t read = Input::GetMouse(nullptr, nullptr, nullptr);
  Input::IdleButtons();
  EXPECT_EQ(Input::GetMouse(nullptr, nullptr, nullptr), kButtonIdle);
  Input::OnLeftButton(5, 6, read);
  Input::OnMiddleButton(5, 6, kButtonUp);
  EXPECT_EQ(Input::GetMouse(nullptr, nullptr, nullptr), kButtonDown);
  Input::BeginFrame();
  EXPECT_EQ(Input::GetMouse(nullptr, nullptr, nullptr), kButtonUp);

  Input::OnLeftButton(5, 6, kButtonDown);
  Input::BeginFrame();
  read = Input::GetMouse(nullptr, nullptr, nullptr);
  Input::IdleButtons();
  Input::OnLeftButton(5, 6, read);
  Input::OnMiddleButton(5, 6, kButtonUp);
  Input::OnLeftButton(5, 6, kButtonUp);
  EXPECT_EQ(Input::GetMouse(nullptr, nullptr, nullptr), kButtonUp);
}

TEST_F(InputManagerTest, MovedFlagFollowsTheLatchedPosition) {
  Input::BeginFrame();
  EXPECT_FALSE(Input::MouseMoved());
  Input::SetMousePosition(5, 6);
  Input::BeginFrame();
  EXPECT_TRUE(Input::MouseMoved());
  Input::BeginFrame();
  EXPECT_FALSE(Input::MouseMoved());
}

TEST_F(InputManagerTest, TypedTextKeepsPrintableCharactersUpToTheLimit) {
  Input::SetTextLimit(9);
  Input::EnableTextEntry(true);  // entry was off: the limit goes back to none
  for (char c : std::string("abcdefgh")) Input::QueueChar(c);
  Input::QueueChar(200);
  Input::QueueChar('\r');
  Input::QueueChar(11);
  Input::BeginFrame();
  std::string text;
  Input::GetText(text, false);
  EXPECT_EQ(text, "abcdefgh\x0b");

  Input::ClearText();
  Input::SetTextLimit(5);
  for (char c : std::string("letters")) Input::QueueChar(c);
  Input::BeginFrame();
  Input::GetText(text, false);
  EXPECT_EQ(text, "lette");
  Input::QueueChar(8);
  Input::BeginFrame();
  Input::GetText(text, true);
  EXPECT_EQ(text, "lett");
  Input::GetText(text, false);
  EXPECT_EQ(text, "");

  // Characters queued while entry is off are dropped at the next latch.
  Input::EnableTextEntry(false);
  Input::QueueChar('x');
  Input::EnableTextEntry(true);
  Input::BeginFrame();
  Input::GetText(text, false);
  EXPECT_EQ(text, "");
}

TEST_F(InputManagerTest, ResetReleasesEveryKeyAndTheMouse) {
  Key('Q', true);
  Input::OnLeftButton(1, 1, kButtonDown);
  Input::SetKeyDownFlag(true);
  Input::Reset();
  Input::BeginFrame();
  EXPECT_EQ(Input::IsKeyDown('q'), 0);
  EXPECT_EQ(Input::GetMouse(nullptr, nullptr, nullptr), kButtonUp);
  EXPECT_FALSE(Input::GetKeyDownFlag());
}

// The full poll reads the keyboard as the window system last reported it.
class KeyboardPollTest : public InputManagerTest {
 protected:
  void SetUp() override {
    InputManagerTest::SetUp();
    HostTestSetHeadless(true);
    HostTestResetWindowSystem();
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.lpszClassName = "poll_test_class";
    RegisterClassA(&windowClass);
    window_ = CreateWindowExA(0, "poll_test_class", "poll", 0x86CA0000, 0, 0, 100, 100, nullptr, nullptr, nullptr,
                              nullptr);
    ShowWindow(window_, SW_SHOW);
    HostTestActivate(window_, true);
    Pump();
  }
  void TearDown() override {
    DestroyWindow(window_);
    UnregisterClassA("poll_test_class", nullptr);
    HostTestResetWindowSystem();
    InputManagerTest::TearDown();
  }
  static void Pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
  HWND window_ = nullptr;
};

TEST_F(KeyboardPollTest, HeldKeysReadDownAndReleasedToggledKeysReadUp) {
  // J pressed and released toggles its state without holding it: the poll must not see it down.
  HostTestKey('J', true);
  HostTestKey('J', false);
  HostTestKey('K', true);
  Pump();
  Input::SetKey('j', 1);
  Input::PollKeyboard();
  Input::BeginFrame();
  EXPECT_EQ(Input::IsKeyDown('j'), 0);
  EXPECT_EQ(Input::IsKeyDown('k'), 1);
  HostTestKey('K', false);
  Pump();
}

TEST_F(KeyboardPollTest, AHeldLetterSharingASlotWithAKeypadKeyStaysDown) {
  HostTestKey('J', true);  // slot 106, shared with the keypad's multiply key
  HostTestKey(VK_RETURN, true);
  Pump();
  Input::PollKeyboard();
  Input::BeginFrame();
  EXPECT_EQ(Input::IsKeyDown('j'), 1);
  EXPECT_EQ(Input::IsKeyDown(13), 1);
  EXPECT_EQ(Input::IsKeyDown(15), 0);
  HostTestKey('J', false);
  HostTestKey(VK_RETURN, false);
  Pump();
  Input::PollKeyboard();
  Input::BeginFrame();
  EXPECT_EQ(Input::IsKeyDown('j'), 0);
}

}  // namespace
