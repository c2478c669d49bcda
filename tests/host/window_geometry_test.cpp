// Child windows, walking windows, finding them by position, and waiting for a message.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "user_test_helpers.h"

namespace {

using user_test::HeadlessWindows;

class WindowGeometry : public HeadlessWindows {
 protected:
  HWND MakeChild(HWND parent, int x, int y, int width, int height, bool visible = true) {
    HWND child = CreateWindowExA(0, "UserTestWindow", "child", WS_CHILD | (visible ? WS_VISIBLE : 0), x, y, width,
                                 height, parent, nullptr, nullptr, nullptr);
    return child;
  }
};

BOOL CollectWindow(HWND window, LPARAM data) {
  reinterpret_cast<std::vector<HWND>*>(data)->push_back(window);
  return TRUE;
}

TEST_F(WindowGeometry, ChildrenSitInTheirParentsClientArea) {
  HWND parent = Make(200, 100);
  HWND child = MakeChild(parent, 20, 10, 50, 40);
  HWND hidden = MakeChild(parent, 100, 10, 50, 40, false);
  HWND grandchild = MakeChild(child, 5, 5, 10, 10);
  ASSERT_NE(grandchild, nullptr);
  EXPECT_EQ(GetParent(grandchild), child);
  POINT origin{0, 0};
  ClientToScreen(grandchild, &origin);
  POINT parentOrigin{0, 0};
  ClientToScreen(parent, &parentOrigin);
  EXPECT_EQ(origin.x, parentOrigin.x + 25);
  EXPECT_EQ(origin.y, parentOrigin.y + 15);
  EXPECT_EQ(WindowFromPoint(POINT{origin.x + 1, origin.y + 1}), grandchild);
  EXPECT_EQ(WindowFromPoint(POINT{parentOrigin.x + 30, parentOrigin.y + 45}), child);
  EXPECT_EQ(WindowFromPoint(POINT{parentOrigin.x + 110, parentOrigin.y + 20}), parent);  // the hidden child is skipped
  EXPECT_EQ(ChildWindowFromPointEx(parent, POINT{110, 20}, CWP_ALL), hidden);
  EXPECT_EQ(ChildWindowFromPointEx(parent, POINT{110, 20}, CWP_SKIPINVISIBLE), parent);
  EXPECT_FALSE(IsWindowVisible(hidden));
  ShowWindow(parent, SW_HIDE);
  EXPECT_FALSE(IsWindowVisible(grandchild));  // a child shows only while its parents do

  std::vector<HWND> children;
  EXPECT_TRUE(EnumChildWindows(parent, CollectWindow, reinterpret_cast<LPARAM>(&children)));
  EXPECT_EQ(children, (std::vector<HWND>{child, hidden, grandchild}));
  std::vector<HWND> topLevel;
  EXPECT_TRUE(EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&topLevel)));
  EXPECT_NE(std::find(topLevel.begin(), topLevel.end(), parent), topLevel.end());
  EXPECT_EQ(std::find(topLevel.begin(), topLevel.end(), child), topLevel.end());
  EXPECT_FALSE(SetMenu(child, CreateMenu()));  // children have no menu bar
  DestroyWindow(parent);
  EXPECT_FALSE(IsWindow(grandchild));
}

TEST_F(WindowGeometry, GetMessageWaitsOnTheHostClockForATimer) {
  HostTestUseManualClock(true);
  HWND window = Make(16, 16);
  Pump();
  SetTimer(window, 7, 50, nullptr);
  MSG msg;
  ASSERT_TRUE(GetMessageA(&msg, window, WM_TIMER, WM_TIMER));  // the manual clock moves as the wait sleeps
  EXPECT_EQ(msg.message, WM_TIMER);
  EXPECT_EQ(msg.wParam, 7u);
  KillTimer(window, 7);
  PostQuitMessage(9);
  EXPECT_FALSE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.wParam, 9u);
  EXPECT_EQ(GetMessageA(&msg, reinterpret_cast<HWND>(0x7777), 0, 0), -1);
  HostTestUseManualClock(false);
}

TEST_F(WindowGeometry, ThreadTimersCallTheirProcedureWhenDispatched) {
  HostTestUseManualClock(true);
  static int calls = 0;
  calls = 0;
  UINT_PTR id = SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR, DWORD) { ++calls; });
  ASSERT_NE(id, 0u);
  HostTestAdvanceClock(20);
  Pump();
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(KillTimer(nullptr, id));
  HostTestUseManualClock(false);
}

}  // namespace
