// Page input: the focus key and the focus order, keyboard shortcuts (KEYS), mouse presses and the cursor over
// overlapping elements, control notifications, activation of the window, child pages, and mouse tracking.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "host/gdi.h"
#include "host/testing.h"
#include "host/user.h"
#include "test_elements.h"
#include "tests/support/page_driver.h"

namespace {

using page_test::MessagesOf;

class PageInput : public testing::Test {
 protected:
  void SetUp() override { page_test::RegisterTestTags(); }

  PlatformError OpenPage(const std::string& body) {
    return driver_.Open(driver_.WritePages("page", "<INTERFACE WIDTH=300 HEIGHT=200>" + body + "</INTERFACE>"));
  }

  std::string Focused() {
    InterfaceElement* element = nullptr;
    InterfacePage::GetFocus(driver_.Page(), &element, nullptr, nullptr);
    const char* name = element != nullptr ? GetMarkupAttribute(element->node, "NAME") : nullptr;
    return name != nullptr ? name : "";
  }

  // The NAMEs of the elements activated since the mark.
  std::vector<std::string> ActivatedSince(size_t mark) const {
    std::vector<std::string> names;
    for (size_t i = mark; i < driver_.calls.size(); ++i) {
      if (driver_.calls[i].message == kPageElementActivated) names.push_back(driver_.calls[i].name);
    }
    return names;
  }

  void ShiftTab() {
    HostTestKey(VK_SHIFT, true);
    driver_.Key(VK_TAB);
    HostTestKey(VK_SHIFT, false);
    driver_.Pump();
  }

  // A key message sent straight to the page window with its character waiting, as the queue would give it.
  void SendKey(WPARAM virtualKey, char character, LPARAM lParam) {
    PostMessageA(driver_.Window(), WM_CHAR, static_cast<unsigned char>(character), lParam);
    SendMessageA(driver_.Window(), WM_KEYDOWN, virtualKey, lParam);
    driver_.Pump();
  }

  PageDriver driver_;
};

constexpr const char* kThreeWindows =
    "<PAGE><TEST NAME=a WINDOWS=1 RECT=0,0,50,20/><TEST NAME=b WINDOWS=1 RECT=0,30,50,50/>"
    "<TEST NAME=c WINDOWS=1 RECT=0,60,50,80/></PAGE>";

TEST_F(PageInput, TheFocusKeyWrapsBothWays) {
  ASSERT_EQ(OpenPage(kThreeWindows), kPlatformNoError);
  EXPECT_EQ(Focused(), "a");
  driver_.Key(VK_TAB);
  EXPECT_EQ(Focused(), "b");
  driver_.Key(VK_TAB);
  EXPECT_EQ(Focused(), "c");
  HWND window = nullptr;
  int32_t index = -1;
  InterfacePage::GetFocus(driver_.Page(), nullptr, &index, &window);
  EXPECT_EQ(index, 2);
  EXPECT_EQ(GetFocus(), window);  // the element's child window has the keyboard
  EXPECT_EQ(GetDlgCtrlID(window), 9901);
  driver_.Key(VK_TAB);
  EXPECT_EQ(Focused(), "a");  // from the last to the first
  ShiftTab();
  EXPECT_EQ(Focused(), "c");
  // Backward with nothing focused gives the last.
  ASSERT_EQ(InterfacePage::SetFocus(driver_.Page(), nullptr, nullptr, false), kPlatformNoError);
  EXPECT_EQ(Focused(), "");
  ShiftTab();
  EXPECT_EQ(Focused(), "c");
  EXPECT_TRUE(ActivatedSince(0).empty());  // the focus key never reaches KEYS
}

TEST_F(PageInput, AnEmptyFocusOrderLeavesTheFocusAlone) {
  ASSERT_EQ(OpenPage("<PAGE><TEST NAME=plain/></PAGE>"), kPlatformNoError);
  EXPECT_EQ(InterfacePage::MoveFocus(driver_.Page(), true, nullptr, nullptr, nullptr), kPlatformNoError);
  driver_.Key(VK_TAB);
  EXPECT_EQ(Focused(), "");
}

TEST_F(PageInput, ARefusalToLetTheFocusGoKeepsItWithTheSameElement) {
  ASSERT_EQ(OpenPage(kThreeWindows), kPlatformNoError);
  driver_.answers[kPageElementLosingFocus] = kInterfaceRefused;
  page_test::Log().clear();
  const size_t mark = driver_.calls.size();
  driver_.Key(VK_TAB);
  EXPECT_EQ(Focused(), "a");
  std::vector<intptr_t> focusMessages;
  for (const page_test::Delivered& delivered : page_test::Log()) {
    if (delivered.element == "a" && delivered.message == kElementFocus) focusMessages.push_back(delivered.parameter1);
  }
  ASSERT_EQ(focusMessages.size(), 2u);
  EXPECT_EQ(focusMessages[0], 0);  // loses it
  EXPECT_NE(focusMessages[1], 0);  // and gains it again
  const std::vector<int32_t> toB = MessagesOf("b");
  EXPECT_EQ(std::count(toB.begin(), toB.end(), kElementFocus), 0);
  EXPECT_EQ(driver_.MessagesSince(mark), (std::vector<int32_t>{kPageElementLosingFocus, kPageElementFocused}));
  // Clearing the focus is no request to move on: the refusal counts as nothing.
  ASSERT_EQ(InterfacePage::SetFocus(driver_.Page(), nullptr, nullptr, false), kPlatformNoError);
  EXPECT_EQ(Focused(), "");
}

TEST_F(PageInput, ShortcutsMatchTypedCharactersAndTheReturnAndEscapeKeys) {
  ASSERT_EQ(OpenPage("<PAGE><TEST NAME=minus KEYS=-/><TEST NAME=letter KEYS=a/><TEST NAME=plus KEYS=+/>"
                     "<TEST NAME=digit KEYS=7/><TEST NAME=second KEYS=A/></PAGE>"),
            kPlatformNoError);
  const struct {
    const char* what;
    int key;
    const char* text;
    const char* activated;
  } kCases[] = {
      {"period", VK_OEM_PERIOD, ".", "minus"}, {"letter", 'A', "a", "letter"},  {"capital", 'A', "A", "letter"},
      {"digit", '7', "7", "digit"},            {"return", VK_RETURN, nullptr, "plus"},
      {"escape", VK_ESCAPE, nullptr, "minus"}, {"other", 'Q', "q", nullptr},
  };
  for (const auto& c : kCases) {
    const size_t mark = driver_.calls.size();
    driver_.Key(c.key, c.text);
    EXPECT_EQ(ActivatedSince(mark),
              c.activated != nullptr ? std::vector<std::string>{c.activated} : std::vector<std::string>{})
        << c.what;
  }
  constexpr LPARAM kExtended = LPARAM{1} << 24;
  constexpr LPARAM kHeldBefore = LPARAM{1} << 30;
  size_t mark = driver_.calls.size();
  SendKey(VK_RETURN, '\r', 1 | kExtended);  // the keypad's Enter
  EXPECT_EQ(ActivatedSince(mark), (std::vector<std::string>{"plus"}));
  mark = driver_.calls.size();
  SendKey('A', 'a', 1 | kHeldBefore);  // an auto-repeated press
  EXPECT_TRUE(ActivatedSince(mark).empty());
  // Held down, the key repeats through the keyboard too: only the first press counts.
  mark = driver_.calls.size();
  HostTestKey('7', true);
  HostTestText("7");
  HostTestKey('7', true);
  HostTestText("7");
  HostTestKey('7', false);
  driver_.Pump();
  EXPECT_EQ(ActivatedSince(mark), (std::vector<std::string>{"digit"}));
}

TEST_F(PageInput, AFocusedElementThatUsesAKeyIsItsTarget) {
  ASSERT_EQ(OpenPage("<PAGE><TEST NAME=field WINDOWS=1 USEKEY RECT=0,0,50,20/><TEST NAME=plus KEYS=+P/></PAGE>"),
            kPlatformNoError);
  ASSERT_EQ(Focused(), "field");
  size_t mark = driver_.calls.size();
  driver_.Key(VK_RETURN);
  EXPECT_EQ(ActivatedSince(mark), (std::vector<std::string>{"field"}));
  // A typed character is not offered to the focused element first; a typed "+" stands for no shortcut.
  mark = driver_.calls.size();
  driver_.Key('P', "p");
  driver_.Key(VK_ADD, "+");
  EXPECT_EQ(ActivatedSince(mark), (std::vector<std::string>{"plus"}));
}

TEST_F(PageInput, OverlappingElementsTheLaterOneAnswersCursorAndPress) {
  ASSERT_EQ(OpenPage("<PAGE><TEST NAME=under RECT=0,0,100,100 CURSOR=32513 ACTIVATE/>"
                     "<TEST NAME=over RECT=50,50,150,150 CURSOR=32649 ACTIVATE/>"
                     "<TEST NAME=glass RECT=60,60,80,80 HIT=0 CURSOR=32515 ACTIVATE/></PAGE>"),
            kPlatformNoError);
  auto cursor = [] {
    HCURSOR shown = SetCursor(nullptr);
    SetCursor(shown);
    return shown;
  };
  driver_.Move(55, 55);
  EXPECT_EQ(cursor(), LoadCursorA(nullptr, IDC_HAND));
  driver_.Move(20, 20);
  EXPECT_EQ(cursor(), LoadCursorA(nullptr, IDC_IBEAM));
  driver_.Move(250, 180);
  EXPECT_EQ(cursor(), LoadCursorA(nullptr, IDC_ARROW));  // the page itself
  size_t mark = driver_.calls.size();
  driver_.Click(55, 55);
  EXPECT_EQ(ActivatedSince(mark), (std::vector<std::string>{"over"}));
  mark = driver_.calls.size();
  driver_.Click(70, 70);  // the glass on top says no to the hit test
  EXPECT_EQ(ActivatedSince(mark), (std::vector<std::string>{"over"}));
  mark = driver_.calls.size();
  driver_.Click(20, 20);
  EXPECT_EQ(ActivatedSince(mark), (std::vector<std::string>{"under"}));
}

TEST_F(PageInput, CursorsByNumberAndColoursForControls) {
  ASSERT_EQ(OpenPage("<PAGE><TEST NAME=a WINDOWS=1 RECT=0,0,50,20/></PAGE>"), kPlatformNoError);
  EXPECT_EQ(SetInterfaceCursor(100), kPlatformErrBadReference);  // the program has no cursor 100
  EXPECT_EQ(SetInterfaceCursor(32515), kPlatformNoError);
  EXPECT_EQ(SetInterfaceCursor(-1), kPlatformNoError);
  HCURSOR shown = SetCursor(nullptr);
  EXPECT_EQ(shown, LoadCursorA(nullptr, IDC_CROSS));
  InterfacePage* page = driver_.Page();
  page->foreground = 0x302010FF;  // 0x10, 0x20, 0x30
  page->background = 0x605040FF;
  HDC dc = CreateCompatibleDC(nullptr);
  auto brush = SendMessageA(driver_.Window(), WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc), 0);
  EXPECT_NE(brush, 0);
  EXPECT_EQ(GetTextColor(dc), RGB(0x10, 0x20, 0x30));
  EXPECT_EQ(GetBkColor(dc), RGB(0x40, 0x50, 0x60));
  // A static control's colours come from the element that owns it, which gives none here.
  HWND control = nullptr;
  InterfacePage::GetFocus(page, nullptr, nullptr, &control);
  SetTextColor(dc, RGB(1, 2, 3));
  SendMessageA(driver_.Window(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
  EXPECT_EQ(GetTextColor(dc), RGB(1, 2, 3));
  DeleteDC(dc);
}

TEST_F(PageInput, ControlNotificationsActivateAndMoveTheFocus) {
  ASSERT_EQ(OpenPage(kThreeWindows), kPlatformNoError);
  HWND bWindow = nullptr;
  driver_.Key(VK_TAB);
  InterfacePage::GetFocus(driver_.Page(), nullptr, nullptr, &bWindow);
  driver_.Key(VK_TAB);
  const size_t mark = driver_.calls.size();
  SendMessageA(driver_.Window(), WM_COMMAND, MAKEWPARAM(9901, 0), reinterpret_cast<LPARAM>(bWindow));
  EXPECT_EQ(ActivatedSince(mark), (std::vector<std::string>{"b"}));
  SendMessageA(driver_.Window(), WM_COMMAND, MAKEWPARAM(9901, 0x100), reinterpret_cast<LPARAM>(bWindow));
  EXPECT_EQ(Focused(), "b");
  SendMessageA(driver_.Window(), WM_COMMAND, MAKEWPARAM(9901, 0x200), reinterpret_cast<LPARAM>(bWindow));
  EXPECT_EQ(Focused(), "");
}

// Activated, the window focuses its pending focus window when an element claims it, else moves the focus on.
// Deactivated, it moves no focus and keeps the focused window as the pending one.
TEST_F(PageInput, ActivationFocusesThePendingWindowElseMovesTheFocusOn) {
  ASSERT_EQ(OpenPage(kThreeWindows), kPlatformNoError);
  driver_.Key(VK_TAB);
  HWND aWindow = nullptr, bWindow = nullptr;
  InterfacePage::GetFocus(driver_.Page(), nullptr, nullptr, &bWindow);
  page_test::Log().clear();
  HostTestActivate(driver_.Window(), false);
  driver_.Pump();
  for (const char* name : {"a", "b", "c"}) EXPECT_EQ(MessagesOf(name).front(), kElementDisable) << name;
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_EQ(Focused(), "b");
  EXPECT_EQ(driver_.Page()->pendingFocusWindow, bWindow);
  page_test::Log().clear();
  HostTestActivate(driver_.Window(), true);
  driver_.Pump();
  for (const char* name : {"a", "b", "c"}) EXPECT_EQ(MessagesOf(name).front(), kElementEnable) << name;
  EXPECT_EQ(Focused(), "b");
  EXPECT_EQ(GetFocus(), bWindow);
  EXPECT_EQ(driver_.Page()->pendingFocusWindow, nullptr);

  // Nothing pending: the focus moves on from b.
  HostTestActivate(driver_.Window(), false);
  driver_.Pump();
  driver_.Page()->pendingFocusWindow = nullptr;
  HostTestActivate(driver_.Window(), true);
  driver_.Pump();
  EXPECT_EQ(Focused(), "c");

  // Another window pending: it takes the focus.
  HostTestActivate(driver_.Window(), false);
  driver_.Pump();
  aWindow = reinterpret_cast<HWND*>(driver_.Page()->focusOrder->data)[0];
  driver_.Page()->pendingFocusWindow = aWindow;
  HostTestActivate(driver_.Window(), true);
  driver_.Pump();
  EXPECT_EQ(Focused(), "a");
  EXPECT_EQ(GetFocus(), aWindow);
}

// A request to focus the element that has the focus goes the whole way: the element loses it and gains it again.
TEST_F(PageInput, FocusingTheFocusedElementAgainGoesTheWholeWay) {
  ASSERT_EQ(OpenPage("<PAGE><TEST NAME=only WINDOWS=1 RECT=0,0,50,20/></PAGE>"), kPlatformNoError);
  ASSERT_EQ(Focused(), "only");
  page_test::Log().clear();
  const size_t mark = driver_.calls.size();
  driver_.Key(VK_TAB);  // the one window of the order is the next one too
  EXPECT_EQ(Focused(), "only");
  std::vector<intptr_t> focusMessages;
  for (const page_test::Delivered& delivered : page_test::Log()) {
    if (delivered.message == kElementFocus) focusMessages.push_back(delivered.parameter1);
  }
  ASSERT_EQ(focusMessages.size(), 2u);
  EXPECT_EQ(focusMessages[0], 0);
  EXPECT_NE(focusMessages[1], 0);
  EXPECT_EQ(driver_.MessagesSince(mark), (std::vector<int32_t>{kPageElementLosingFocus, kPageElementFocused}));
}

TEST_F(PageInput, AVisiblePageWindowKeepsItsSize) {
  ASSERT_EQ(OpenPage("<PAGE/>"), kPlatformNoError);
  RECT before, after;
  GetWindowRect(driver_.Window(), &before);
  MoveWindow(driver_.Window(), 0, 0, 900, 900, TRUE);
  GetWindowRect(driver_.Window(), &after);
  EXPECT_EQ(after.right - after.left, before.right - before.left);
  EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
}

TEST_F(PageInput, AChildPageNeverActivatesAlone) {
  ASSERT_EQ(OpenPage("<PAGE NAME=main><TESTFRAME NAME=frame RECT=100,100,300,200 SRC=#inner/></PAGE>"
                     "<PAGE NAME=inner><TEST NAME=inside WINDOWS=1 USEKEY ACTIVATE HREF=#other RECT=10,10,60,40/>"
                     "</PAGE><PAGE NAME=other/>"),
            kPlatformNoError);
  InterfacePage* root = driver_.Page();
  ASSERT_EQ(Focused(), "");  // the focus is in the child page
  InterfaceElement* element = nullptr;
  ASSERT_NE(root->focus->page, root);
  EXPECT_STREQ(GetMarkupAttribute(root->focus->element->node, "NAME"), "inside");
  // The child's element lies at its RECT moved by the frame's corner.
  element = root->focus->element;
  const Rect placed{110, 110, 160, 140};
  EXPECT_TRUE(Rect::Equal(&element->rect, &placed));
  InterfacePage* child = root->focus->page;
  size_t mark = driver_.calls.size();
  driver_.Key(VK_RETURN);  // used by the focused element of the child page, activated by the root
  EXPECT_EQ(ActivatedSince(mark), (std::vector<std::string>{"inside"}));
  EXPECT_STREQ(child->currentSection->name, "other");  // its link is followed in the child page
  EXPECT_STREQ(root->currentSection->name, "main");
}

TEST_F(PageInput, TrackingFollowsThePointerUntilRelease) {
  ASSERT_EQ(OpenPage("<PAGE><TEST NAME=drag TRACK RECT=0,0,100,100/></PAGE>"), kPlatformNoError);
  HostTestMouseMove(driver_.Window(), 10, 10);
  HostTestMouseButton(driver_.Window(), 0, true, 10, 10);
  HostTestMouseMove(driver_.Window(), 150, 20);
  HostTestKey(VK_SHIFT, true);  // other messages between the moves are handed on by the loop
  HostTestMouseMove(driver_.Window(), 30, 40);
  HostTestKey(VK_SHIFT, false);
  HostTestMouseButton(driver_.Window(), 0, false, 30, 40);
  driver_.Pump();
  const auto& tracked = page_test::Tracked();
  ASSERT_EQ(tracked.size(), 3u);
  EXPECT_EQ(tracked[0].windowX, 150);
  EXPECT_NE(tracked[0].flags & kInputButtonStillDown, 0u);
  EXPECT_EQ(tracked[1].windowY, 40);
  EXPECT_EQ(tracked[2].flags & kInputButtonStillDown, 0u);  // released
  EXPECT_EQ(tracked[2].windowX, 30);
}

TEST_F(PageInput, ClosingTheWindowWhileTrackingClosesThePageAfterwards) {
  ASSERT_EQ(OpenPage("<PAGE><TEST NAME=drag TRACK CLOSE RECT=0,0,100,100/></PAGE>"), kPlatformNoError);
  HWND window = driver_.Window();
  HostTestMouseMove(window, 10, 10);
  HostTestMouseButton(window, 0, true, 10, 10);
  HostTestMouseButton(window, 0, false, 10, 10);
  driver_.Pump();
  EXPECT_FALSE(driver_.IsOpen());
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(page_test::Tracked().size(), 1u);  // the loop ended at once
  EXPECT_EQ(page_test::Last(MessagesOf("drag"), 2), page_test::RemoveOrder());
}

}  // namespace
