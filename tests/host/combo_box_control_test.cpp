// The "COMBOBOX" class as a drop-down list: its item messages, the height of its field and of its list, choosing
// by mouse and by keys, and what it leaves to its parent.
#include <gtest/gtest.h>

#include "control_test_helpers.h"

namespace {

using control_test::Controls;

class ComboBoxes : public Controls {
 protected:
  HWND MakeList(std::initializer_list<const char*> items, int height = 100) {
    HWND combo = Control("COMBOBOX", "", CBS_DROPDOWNLIST | WS_TABSTOP, {10, 10, 110, 10 + height});
    for (const char* item : items) SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    Pump();
    return combo;
  }
  // The open list's window (a child of the parent), or null.
  HWND OpenList() const {
    HWND found = nullptr;
    EnumChildWindows(
        parent_,
        [](HWND child, LPARAM out) {
          if (GetDlgCtrlID(child) == 1000) *reinterpret_cast<HWND*>(out) = child;
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
  }
  int FieldHeight(HWND combo) const {
    RECT rect;
    GetWindowRect(combo, &rect);
    return rect.bottom - rect.top;
  }
  LRESULT Selection(HWND combo) const { return SendMessageA(combo, CB_GETCURSEL, 0, 0); }
};

TEST_F(ComboBoxes, ItemsAreAddedSelectedFoundAndRead) {
  HWND combo = MakeList({"Apple", "banana", "Cherry"});
  EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(Selection(combo), CB_ERR);
  const struct {
    UINT message;
    WPARAM wParam;
    const char* text;
    LRESULT answer;
    LRESULT selected;
  } kCases[] = {
      {CB_SETCURSEL, 1, nullptr, 1, 1},
      {CB_SETCURSEL, 7, nullptr, CB_ERR, CB_ERR},             // no such item: nothing selected
      {CB_SELECTSTRING, static_cast<WPARAM>(-1), "b", 1, 1},  // a prefix, without regard to case
      {CB_SELECTSTRING, static_cast<WPARAM>(-1), "CH", 2, 2},
      {CB_SELECTSTRING, static_cast<WPARAM>(-1), "kiwi", CB_ERR, 2},  // no match keeps the selection
      {CB_SELECTSTRING, 0, "a", 0, 0},                                // searched after item 0, round again
      {CB_SETCURSEL, static_cast<WPARAM>(-1), nullptr, CB_ERR, CB_ERR},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(SendMessageA(combo, c.message, c.wParam, reinterpret_cast<LPARAM>(c.text)), c.answer) << c.text;
    EXPECT_EQ(Selection(combo), c.selected) << c.text;
  }
  char text[32];
  EXPECT_EQ(SendMessageA(combo, CB_GETLBTEXTLEN, 2, 0), 6);
  EXPECT_EQ(SendMessageA(combo, CB_GETLBTEXT, 2, reinterpret_cast<LPARAM>(text)), 6);
  EXPECT_STREQ(text, "Cherry");
  EXPECT_EQ(SendMessageA(combo, CB_GETLBTEXT, 3, reinterpret_cast<LPARAM>(text)), CB_ERR);
  SendMessageA(combo, CB_SETCURSEL, 0, 0);
  EXPECT_EQ(TextOf(combo), "Apple");          // the window's text is the selected item
  EXPECT_TRUE(Notifications(combo).empty());  // none of this is the user's choice
}

TEST_F(ComboBoxes, TheWindowIsAsTallAsItsFieldAndTheHeightGivenBoundsTheList) {
  HWND small = MakeList({"a", "b", "c", "d", "e", "f", "g", "h"}, 60);
  const int field = FieldHeight(small);
  EXPECT_LT(field, 60);
  EXPECT_GT(field, 10);
  const int item = field - 4;
  // Opened, the list shows as many items as fit below the field within the height given.
  SendMessageA(small, CB_SHOWDROPDOWN, TRUE, 0);
  Pump();
  ASSERT_NE(OpenList(), nullptr);
  RECT list;
  GetClientRect(OpenList(), &list);
  EXPECT_EQ(list.bottom, (60 - field - 2) / item * item);
  SendMessageA(small, CB_SHOWDROPDOWN, FALSE, 0);
  EXPECT_EQ(OpenList(), nullptr);
  // Made taller later, the window keeps its field's height and the list may grow.
  SetWindowPos(small, HWND_TOP, 0, 0, 100, 60 + 200, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(FieldHeight(small), field);
  SendMessageA(small, CB_SHOWDROPDOWN, TRUE, 0);
  GetClientRect(OpenList(), &list);
  EXPECT_EQ(list.bottom, 8 * item);  // every item fits now
  EXPECT_EQ(Notifications(small), (std::vector<WORD>{CBN_DROPDOWN, CBN_CLOSEUP, CBN_DROPDOWN}));
  // A list without width is made and sized all the same.
  HWND thin = Control("COMBOBOX", "", CBS_DROPDOWNLIST, {10, 10, 10, 110});
  ASSERT_NE(thin, nullptr);
  SetWindowPos(thin, HWND_TOP, 0, 0, 0, 300, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(FieldHeight(thin), field);
}

TEST_F(ComboBoxes, TheMouseOpensTheListAndPicksAnItem) {
  HWND combo = MakeList({"one", "two", "three"});
  const int field = FieldHeight(combo);
  const int item = field - 4;
  Click(30, 15);
  ASSERT_NE(OpenList(), nullptr);
  EXPECT_EQ(GetFocus(), combo);
  // A release over the second item picks it.
  const int secondItem = 10 + field + 1 + item + item / 2;
  HostTestMouseMove(parent_, 40, secondItem);
  Pump();
  Click(40, secondItem);
  EXPECT_EQ(OpenList(), nullptr);
  EXPECT_EQ(Selection(combo), 1);
  EXPECT_EQ(Notifications(combo), (std::vector<WORD>{CBN_SETFOCUS, CBN_DROPDOWN, CBN_CLOSEUP, CBN_SELCHANGE}));
  // A press outside the open list closes it, and goes no further.
  recorder_.messages.clear();
  Click(30, 15);
  ASSERT_NE(OpenList(), nullptr);
  Click(200, 140);
  EXPECT_EQ(OpenList(), nullptr);
  EXPECT_EQ(Selection(combo), 1);
  EXPECT_FALSE(ParentHeard(WM_LBUTTONDOWN));
  EXPECT_EQ(Notifications(combo), (std::vector<WORD>{CBN_DROPDOWN, CBN_CLOSEUP}));
  // The list is drawn over what lies below the field, with the chosen item marked.
  Click(30, 15);
  const int secondTop = 10 + field + 1 + item;  // above the letters
  EXPECT_EQ(Pixel(30, secondTop), 0x000080u);
  EXPECT_EQ(Pixel(30, secondTop + item), 0xFFFFFFu);
}

TEST_F(ComboBoxes, KeysMoveTheSelectionOrTheOpenList) {
  HWND combo = MakeList({"red", "green", "blue", "grey"});
  SetFocus(combo);
  SendMessageA(combo, CB_SETCURSEL, 0, 0);
  Pump();
  const struct {
    int key;
    const char* text;
    LRESULT selected;
    bool open;
  } kSteps[] = {
      {VK_DOWN, nullptr, 1, false},   {VK_END, nullptr, 3, false},
      {VK_UP, nullptr, 2, false},     {'G', "g", 3, false},         // the next item with that first letter
      {'G', "g", 1, false},                                         // ... round again
      {VK_F4, nullptr, 1, true},      {VK_DOWN, nullptr, 1, true},  // the open list moves, the field waits
      {VK_RETURN, nullptr, 2, false}, {VK_F4, nullptr, 2, true},
      {VK_UP, nullptr, 2, true},      {VK_ESCAPE, nullptr, 2, false},
  };
  for (const auto& step : kSteps) {
    Key(step.key, step.text);
    EXPECT_EQ(Selection(combo), step.selected) << step.key;
    EXPECT_EQ(OpenList() != nullptr, step.open) << step.key;
  }
  const std::vector<WORD> heard = Notifications(combo);
  EXPECT_EQ(std::count(heard.begin(), heard.end(), CBN_SELCHANGE), 6);
  // Keys of the page go on: Tab, Return and Escape with the list closed; the typing keys never.
  recorder_.messages.clear();
  for (int key : {VK_TAB, VK_RETURN, VK_ESCAPE}) Key(key);
  Key('B', "b");
  EXPECT_EQ(KeysAtParent(), (std::vector<WPARAM>{VK_TAB, VK_RETURN, VK_ESCAPE}));
  EXPECT_EQ(Selection(combo), 2);
  // Losing the focus closes an open list without a choice.
  Key(VK_F4);
  SetFocus(parent_);
  EXPECT_EQ(OpenList(), nullptr);
  EXPECT_EQ(Notifications(combo).back(), CBN_KILLFOCUS);
}

}  // namespace
