// The "BUTTON" class: clicks by mouse and Space, what it leaves to its parent, checks and the pressed state, and
// painting (on WM_PAINT into a given device context and on WM_PRINTCLIENT, with the colours a check box asks for).
#include <gtest/gtest.h>

#include "control_test_helpers.h"

namespace {

using control_test::Controls;
using test_support::DibCanvas;

class Buttons : public Controls {};

TEST_F(Buttons, ClickedOnlyByAReleaseInsideAfterAPressInside) {
  HWND button = Control("BUTTON", "Go", BS_PUSHBUTTON, {10, 10, 90, 40});
  Pump();
  const struct {
    const char* name;
    std::vector<POINT> path;  // press at the first point, move through the others, release at the last
    size_t clicks;
  } kCases[] = {
      {"in place", {{20, 20}, {20, 20}}, 1},
      {"dragged out", {{20, 20}, {150, 20}, {150, 20}}, 0},
      {"out and back", {{20, 20}, {150, 100}, {30, 30}}, 1},
      {"pressed outside", {{150, 20}, {20, 20}}, 0},
  };
  for (const auto& c : kCases) {
    recorder_.messages.clear();
    Press(c.path.front().x, c.path.front().y);
    for (size_t i = 1; i + 1 < c.path.size(); ++i) {
      HostTestMouseMove(parent_, c.path[i].x, c.path[i].y);
      Pump();
      // The button shows itself pressed exactly while the pointer is over it.
      const bool over = c.path[i].x < 90 && c.path[i].y < 40;
      EXPECT_EQ((SendMessageA(button, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0, over && c.path.front().x < 90) << c.name;
    }
    Release(c.path.back().x, c.path.back().y);
    EXPECT_EQ(Notifications(button).size(), c.clicks) << c.name;
    EXPECT_EQ(SendMessageA(button, BM_GETSTATE, 0, 0) & BST_PUSHED, 0) << c.name;
  }
  EXPECT_EQ(GetFocus(), button);  // a press gives it the focus
}

TEST_F(Buttons, SpaceClicksAndOtherKeysGoToTheParent) {
  HWND button = Control("BUTTON", "Go", BS_DEFPUSHBUTTON, {10, 10, 90, 40});
  Pump();
  SetFocus(button);
  recorder_.messages.clear();
  HostTestKey(VK_SPACE, true);
  HostTestText(" ");
  Pump();
  EXPECT_NE(SendMessageA(button, BM_GETSTATE, 0, 0) & BST_PUSHED, 0);
  EXPECT_TRUE(Notifications(button).empty());  // clicked on the release
  HostTestKey(VK_SPACE, false);
  Pump();
  EXPECT_EQ(Notifications(button), std::vector<WORD>{BN_CLICKED});
  recorder_.messages.clear();
  for (int key : {VK_TAB, VK_RETURN, VK_ESCAPE, int{'A'}}) Key(key);
  EXPECT_EQ(KeysAtParent(), (std::vector<WPARAM>{VK_TAB, VK_RETURN, VK_ESCAPE, 'A'}));
  EXPECT_TRUE(Notifications(button).empty());
}

TEST_F(Buttons, ChecksBelongToCheckBoxesAndRadioButtons) {
  const struct {
    DWORD kind;
    LRESULT checked;
  } kCases[] = {{BS_PUSHBUTTON, 0}, {BS_DEFPUSHBUTTON, 0}, {BS_CHECKBOX, BST_CHECKED}, {BS_RADIOBUTTON, BST_CHECKED}};
  for (const auto& c : kCases) {
    HWND button = Control("BUTTON", "x", c.kind, {0, 0, 60, 20});
    SendMessageA(button, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(SendMessageA(button, BM_GETCHECK, 0, 0), c.checked) << c.kind;
    // Clicking never changes the check: the parent does that.
    Click(5, 10);
    EXPECT_EQ(SendMessageA(button, BM_GETCHECK, 0, 0), c.checked) << c.kind;
    DestroyWindow(button);
  }
}

TEST_F(Buttons, DisabledButtonsLeaveTheMouseToTheParent) {
  HWND button = Control("BUTTON", "Go", WS_DISABLED, {10, 10, 90, 40});
  Pump();
  Click(20, 20);
  EXPECT_TRUE(Notifications(button).empty());
  EXPECT_TRUE(ParentHeard(WM_LBUTTONDOWN));
}

TEST_F(Buttons, PaintsItsLookIntoAGivenDeviceContext) {
  HWND push = Control("BUTTON", "", BS_PUSHBUTTON, {0, 0, 40, 20});
  HWND check = Control("BUTTON", "", BS_CHECKBOX, {0, 30, 80, 50});
  Pump();
  // A push button: a raised frame round the face colour; pressed, a flat dark frame.
  EXPECT_EQ(Pixel(0, 0), 0xFFFFFFu);
  EXPECT_EQ(Pixel(39, 19), 0x000000u);
  EXPECT_EQ(Pixel(20, 10), 0xC0C0C0u);
  SendMessageA(push, BM_SETSTATE, 1, 0);  // shown at once, before any message is pumped
  EXPECT_EQ(Pixel(0, 0), 0x808080u);
  EXPECT_EQ(Pixel(39, 19), 0x808080u);
  // WM_PRINTCLIENT paints the same into any device context, at its origin.
  DibCanvas canvas(50, 30);
  SetViewportOrgEx(canvas.dc(), 5, 5, nullptr);
  SendMessageA(push, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc()), PRF_CLIENT | PRF_CHECKVISIBLE);
  EXPECT_EQ(canvas.At(4, 4), 0xFFFFFFu);
  EXPECT_EQ(canvas.At(5, 5), 0x808080u);
  EXPECT_EQ(canvas.At(25, 15), 0xC0C0C0u);
  // Without PRF_CLIENT, or hidden with PRF_CHECKVISIBLE, nothing is painted.
  DibCanvas untouched(50, 30);
  SendMessageA(push, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(untouched.dc()), PRF_ERASEBKGND);
  ShowWindow(push, SW_HIDE);
  SendMessageA(push, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(untouched.dc()), PRF_CLIENT | PRF_CHECKVISIBLE);
  EXPECT_EQ(untouched.Count(0xFFFFFF), 50 * 30);
  // WM_PAINT with a device context paints into it.
  DibCanvas painted(50, 30);
  SendMessageA(push, WM_PAINT, reinterpret_cast<WPARAM>(painted.dc()), 0);
  EXPECT_EQ(painted.At(20, 10), 0xC0C0C0u);
  // The check box asks its parent for the colours of its label; the push button does not.
  recorder_.messages.clear();
  InvalidateRect(check, nullptr, TRUE);
  Pump();
  EXPECT_TRUE(ParentHeard(WM_CTLCOLORSTATIC));
  recorder_.messages.clear();
  ShowWindow(push, SW_SHOW);
  Pump();
  EXPECT_FALSE(ParentHeard(WM_CTLCOLORSTATIC));
  // Its box: a sunken frame round white; checked, a dark mark inside.
  EXPECT_EQ(Pixel(6, 40), 0xFFFFFFu);
  SendMessageA(check, BM_SETCHECK, BST_CHECKED, 0);
  Pump();
  EXPECT_EQ(Pixel(6, 40), 0x000000u);
}

}  // namespace
