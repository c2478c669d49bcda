#include "platform/core/input_snapshot.h"

#include <gtest/gtest.h>

#include "host/testing.h"
#include "host/user.h"

namespace {

TEST(InputSnapshotTest, KeyCodesOfTheTable) {
  struct Case {
    int32_t key;
    bool extended;
    uint8_t code;
  } cases[] = {
      {'Q', false, 0x01},        {'P', false, 0x0A},        {'A', false, 0x0B},      {'L', false, 0x13},
      {'Z', false, 0x14},        {'M', false, 0x1A},        {'0', false, 0x20},      {'9', false, 0x29},
      {VK_NUMPAD7, false, 0x37}, {VK_OEM_3, false, 0x40},   {VK_OEM_2, false, 0x4A}, {VK_DIVIDE, false, 0x51},
      {VK_RETURN, false, 0x91},  {VK_RETURN, true, 0x95},   {VK_ESCAPE, false, 0xA0}, {VK_F1, false, 0xA1},
      {VK_F24, false, 0xB8},     {VK_LBUTTON, false, 0xFF}, {VK_MBUTTON, false, 0xFD}, {0xFF, false, 0x94},
      {VK_PAUSE, false, 0xC0},   {VK_SCROLL, false, 0xC0},  {0x3A, false, 0x00},     {VK_UP, false, 0x9F},
      {0x15, false, 0xC0},       {0x16, false, 0x00},       {0x17, false, 0xC0},     {0x19, false, 0xC0},
  };
  for (const Case& c : cases) EXPECT_EQ(KeyCodeOfVirtualKey(c.key, c.extended), c.code) << c.key;
}

class InputSnapshotWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HostTestSetHeadless(true);
    HostTestResetWindowSystem();
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.lpszClassName = "snapshot_test_class";
    RegisterClassA(&windowClass);
    window_ = CreateWindowExA(0, "snapshot_test_class", "snapshot", 0x86CA0000, 40, 30, 200, 100, nullptr, nullptr,
                              nullptr, nullptr);
    ShowWindow(window_, SW_SHOW);
  }
  void TearDown() override {
    DestroyWindow(window_);
    UnregisterClassA("snapshot_test_class", nullptr);
    HostTestResetWindowSystem();
  }
  HWND window_ = nullptr;
};

TEST_F(InputSnapshotWindowTest, MouseMessagesGiveTheirPositionsAndFlags) {
  MouseEventRecord record;
  EXPECT_TRUE(GetMouseMessageInfo(window_, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 7), &record));
  EXPECT_EQ(record.windowX, 5);
  EXPECT_EQ(record.windowY, 7);
  POINT screen{5, 7};
  ClientToScreen(window_, &screen);
  EXPECT_EQ(record.screenX, screen.x);
  EXPECT_EQ(record.screenY, screen.y);
  EXPECT_EQ(record.flags & (kInputRepeat | kInputLeftButton), kInputRepeat | kInputLeftButton);
  EXPECT_FALSE(GetMouseMessageInfo(window_, WM_MOUSEMOVE, 0, MAKELPARAM(5, 7), &record));
  EXPECT_TRUE(GetMouseMessageInfo(window_, WM_RBUTTONDOWN, MK_RBUTTON | MK_SHIFT, MAKELPARAM(0xFFFE, 3), &record));
  EXPECT_EQ(record.windowX, 65534);  // a position left of the window is taken as unsigned
  EXPECT_EQ(record.flags & (kInputRightButton | kInputShift | kInputRepeat), kInputRightButton | kInputShift);
}

TEST_F(InputSnapshotWindowTest, NoButtonHeldMeansNoStillDownBit) {
  InputFlags flags = GetAsyncInputFlags(AllWindows());
  EXPECT_EQ(flags & (kInputButtonStillDown | kInputLeftButton), 0u);
}

TEST_F(InputSnapshotWindowTest, AKeyPressWithItsCharacterWaiting) {
  PostMessageA(window_, WM_CHAR, 'a', 0);
  KeyEventRecord record;
  ASSERT_TRUE(GetKeyEventInfo(window_, WM_KEYDOWN, 'A', 1, &record));
  EXPECT_EQ(record.character, 'a');
  EXPECT_EQ(record.keyCode, 0x0B);
  EXPECT_EQ(record.virtualKey, 0x41);
  EXPECT_EQ(record.flags & kInputRepeat, 0u);  // a first press: repeat count 1, the key was up before
  constexpr LPARAM kHeldBefore = LPARAM{1} << 30;
  ASSERT_TRUE(GetKeyEventInfo(window_, WM_KEYDOWN, 'A', kHeldBefore | 1, &record));
  EXPECT_NE(record.flags & kInputRepeat, 0u);  // an auto-repeated press
  MSG message;
  EXPECT_TRUE(PeekMessageA(&message, window_, WM_CHAR, WM_CHAR, PM_REMOVE));
  EXPECT_FALSE(GetKeyEventInfo(window_, WM_KEYDOWN, VK_SHIFT, 0, &record));
  EXPECT_FALSE(GetKeyEventInfo(window_, WM_KEYUP, 'A', 0, &record));
}

}  // namespace
