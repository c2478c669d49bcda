// The "EDIT" class: typing and editing keys, the selection and the caret, what goes on to the parent, the
// notifications, its messages, fonts and painting.
#include <gtest/gtest.h>

#include <string>

#include "control_test_helpers.h"

namespace {

using control_test::Controls;

class EditFields : public Controls {
 protected:
  HWND Field(DWORD style, const char* text = "", RECT rect = {10, 10, 150, 34}) {
    HWND field = Control("EDIT", text, style | WS_BORDER, rect);
    Pump();
    return field;
  }
  std::pair<DWORD, DWORD> Selection(HWND field) const {
    DWORD start = 0, end = 0;
    SendMessageA(field, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {start, end};
  }
  int XOf(HWND field, int index) const {
    return static_cast<int16_t>(LOWORD(SendMessageA(field, EM_POSFROMCHAR, static_cast<WPARAM>(index), 0)));
  }
  int YOf(HWND field, int index) const {
    return static_cast<int16_t>(HIWORD(SendMessageA(field, EM_POSFROMCHAR, static_cast<WPARAM>(index), 0)));
  }
};

TEST_F(EditFields, TypingAndEditingKeys) {
  HWND field = Field(ES_AUTOHSCROLL);
  SetFocus(field);
  Type("cat");
  const struct {
    int key;
    bool shift;
    const char* text;
    DWORD start, end;
  } kSteps[] = {
      {VK_LEFT, false, "cat", 2, 2}, {VK_BACK, false, "ct", 1, 1}, {VK_HOME, false, "ct", 0, 0},
      {VK_DELETE, false, "t", 0, 0}, {VK_END, false, "t", 1, 1},   {VK_LEFT, true, "t", 0, 1},
      {VK_DELETE, false, "", 0, 0},
  };
  for (const auto& step : kSteps) {
    if (step.shift) HostTestKey(VK_SHIFT, true);
    Key(step.key);
    if (step.shift) HostTestKey(VK_SHIFT, false);
    EXPECT_EQ(TextOf(field), step.text) << step.key;
    EXPECT_EQ(Selection(field), std::make_pair(step.start, step.end)) << step.key;
  }
  // A selection is replaced by what is typed.
  Type("dog");
  SendMessageA(field, EM_SETSEL, 1, 2);
  Type("i");
  EXPECT_EQ(TextOf(field), "dig");
  SendMessageA(field, EM_SETSEL, 0, -1);
  EXPECT_EQ(Selection(field), std::make_pair(DWORD{0}, DWORD{3}));
  SendMessageA(field, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>("pit\r\nfall"));
  EXPECT_EQ(TextOf(field), "pitfall");  // a single line keeps no break
  // Every change the user made was told, and nothing else.
  const std::vector<WORD> heard = Notifications(field);
  EXPECT_EQ(std::count(heard.begin(), heard.end(), EN_CHANGE), 3 + 3 + 3 + 1);
}

TEST_F(EditFields, TheFieldKeepsTypingKeysAndPassesThePagesKeysOn) {
  HWND single = Field(ES_AUTOHSCROLL, "", {10, 10, 150, 34});
  HWND multi = Field(ES_MULTILINE | ES_AUTOVSCROLL, "", {10, 50, 150, 120});
  SetFocus(single);
  recorder_.messages.clear();
  Type("a1 ");
  for (int key : {VK_TAB, VK_ESCAPE, VK_RETURN}) Key(key);
  EXPECT_EQ(KeysAtParent(), (std::vector<WPARAM>{VK_TAB, VK_ESCAPE, VK_RETURN}));
  EXPECT_EQ(TextOf(single), "a1 ");
  SetFocus(multi);
  recorder_.messages.clear();
  Type("up");
  Key(VK_RETURN);
  Type("down");
  EXPECT_TRUE(KeysAtParent().empty());  // Return is the multi-line field's own
  EXPECT_EQ(TextOf(multi), "up\r\ndown");
  EXPECT_GT(YOf(multi, 4), YOf(multi, 0));
  // Up from the second line lands above, nearest the same x; Backspace at a line's start joins the lines.
  Key(VK_UP);
  EXPECT_EQ(Selection(multi).first, 2u);
  Key(VK_DOWN);
  Key(VK_HOME);
  Key(VK_BACK);
  EXPECT_EQ(TextOf(multi), "updown");
}

TEST_F(EditFields, FocusAndTextMessagesAreTold) {
  HWND single = Field(ES_AUTOHSCROLL);
  HWND multi = Field(ES_MULTILINE, "", {10, 50, 150, 120});
  SetFocus(single);
  SetFocus(multi);
  SetWindowTextA(single, "set");
  SetWindowTextA(multi, "one\ntwo");
  EXPECT_EQ(Notifications(single), (std::vector<WORD>{EN_SETFOCUS, EN_KILLFOCUS, EN_CHANGE}));
  EXPECT_EQ(Notifications(multi), std::vector<WORD>{EN_SETFOCUS});  // a multi-line field's text is not a change
  EXPECT_EQ(TextOf(multi), "one\r\ntwo");
  EXPECT_EQ(SendMessageA(multi, WM_GETTEXTLENGTH, 0, 0), 8);
  char cut[4];
  EXPECT_EQ(GetWindowTextA(multi, cut, sizeof cut), 3);
  EXPECT_STREQ(cut, "one");
}

TEST_F(EditFields, ReadOnlyFieldsTakeNoTypingAndAskForStaticColours) {
  HWND field = Field(ES_AUTOHSCROLL, "fixed");
  recorder_.messages.clear();
  InvalidateRect(field, nullptr, TRUE);
  Pump();
  EXPECT_FALSE(ParentHeard(WM_CTLCOLORSTATIC));
  SendMessageA(field, EM_SETREADONLY, TRUE, 0);
  SetFocus(field);
  Type("x");
  Key(VK_DELETE);
  EXPECT_EQ(TextOf(field), "fixed");
  EXPECT_TRUE(ParentHeard(WM_CTLCOLORSTATIC));
}

TEST_F(EditFields, TheMousePlacesTheCaretAndDragsASelection) {
  HWND field = Field(ES_AUTOHSCROLL, "abcdef");
  const int third = 10 + 1 + XOf(field, 3);  // the parent's x of the boundary before "d"
  Click(third, 20);
  EXPECT_EQ(GetFocus(), field);
  EXPECT_EQ(Selection(field), std::make_pair(DWORD{3}, DWORD{3}));
  Press(third, 20);
  HostTestMouseMove(parent_, 200, 20);  // dragged beyond the field: the field still follows
  Release(200, 20);
  EXPECT_EQ(Selection(field), std::make_pair(DWORD{3}, DWORD{6}));
}

TEST_F(EditFields, AFontSetMakesTheTextItsSize) {
  HWND field = Field(ES_AUTOHSCROLL, "mmmm");
  const int small = XOf(field, 4) - XOf(field, 0);
  LOGFONTA large{};
  large.lfHeight = -30;
  large.lfWeight = FW_NORMAL;
  HFONT font = CreateFontIndirectA(&large);
  ASSERT_NE(font, nullptr);
  SendMessageA(field, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(field, WM_GETFONT, 0, 0)), font);
  EXPECT_GT(XOf(field, 4) - XOf(field, 0), small);
  DestroyWindow(field);
  DeleteObject(font);
}

TEST_F(EditFields, PaintsTheSelectionAndTheCaretWhenFocused) {
  HWND field = Field(ES_AUTOHSCROLL, "wide text");
  SendMessageA(field, EM_SETSEL, 0, 4);
  Pump();
  const int x = 10 + 1 + XOf(field, 1) + 1, y = 10 + 1 + YOf(field, 1);  // above the letters
  EXPECT_NE(Pixel(x, y), 0x000080u);                                     // no selection shows without the focus
  SetFocus(field);
  Pump();
  EXPECT_EQ(Pixel(x, y), 0x000080u);
  SendMessageA(field, EM_SETSEL, 9, 9);
  Pump();
  const int caret = 10 + 1 + XOf(field, 9);
  EXPECT_EQ(Pixel(caret, y), 0x000000u);
  EXPECT_EQ(Pixel(caret + 2, y), 0xFFFFFFu);
  EXPECT_EQ(Pixel(10, 10), 0x000000u);  // the border
}

}  // namespace
