// Pop-up menus: which ITEMs become items, the first selected, the value with and without a window, text by
// prefix, enabling, and choosing an item as the element's activation.
#include <gtest/gtest.h>

#include "element_fixture.h"

namespace {

using element_test::ElementPage;

class Popups : public ElementPage {
 protected:
  std::vector<std::string> Items(const std::string& name) {
    HWND combo = WindowOf(name);
    std::vector<std::string> items;
    for (LRESULT i = 0; i < SendMessageA(combo, CB_GETCOUNT, 0, 0); ++i) {
      char text[64];
      SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
      items.push_back(text);
    }
    return items;
  }
};

TEST_F(Popups, ItemsWithATitleOtherThanADashAndTheFirstSelected) {
  ASSERT_EQ(Open("<PAGE>"
                 "<POPUP NAME=p RECT=10,10,100,30><ITEM TITLE=-/><ITEM TITLE=''/><ITEM/><ITEM TITLE=A/></POPUP>"
                 "<POPUP NAME=empty RECT=10,40,100,60></POPUP>"
                 "<POPUP NAME=chosen RECT=10,70,100,90><ITEM TITLE=x/><ITEM TITLE=y DEFAULT/><ITEM TITLE=z/>"
                 "</POPUP></PAGE>"),
            kPlatformNoError);
  EXPECT_EQ(Items("p"), std::vector<std::string>{"A"});
  EXPECT_EQ(Items("empty"), std::vector<std::string>{"none"});
  EXPECT_EQ(Items("chosen"), (std::vector<std::string>{"x", "y", "z"}));
  EXPECT_EQ(Value("p"), 1);
  EXPECT_EQ(Value("chosen"), 1);  // the first item, whatever is marked DEFAULT
  EXPECT_EQ(Text("chosen"), "x");
  // The window's height is its field's; the list may use the rectangle and 200 pixels more.
  RECT rect;
  GetWindowRect(WindowOf("p"), &rect);
  EXPECT_LT(rect.bottom - rect.top, 30);
}

// Without a window the value is the stored one: the 0-based index of the last item marked DEFAULT, 0 when none.
TEST_F(Popups, WithoutAWindowTheValueIsTheLastDefaultFromZero) {
  ASSERT_EQ(Open("<PAGE><POPUP NAME=two RECT=10,10,100,30><ITEM TITLE=a DEFAULT/><ITEM TITLE=-/><ITEM TITLE=b/>"
                 "<ITEM TITLE=c DEFAULT/></POPUP>"
                 "<POPUP NAME=none RECT=10,40,100,60><ITEM TITLE=a/><ITEM TITLE=b/></POPUP></PAGE>"),
            kPlatformNoError);
  EXPECT_EQ(Value("two"), 1);
  Send("two", kElementDetach);
  Send("none", kElementDetach);
  EXPECT_EQ(Value("two"), 2);
  EXPECT_EQ(Value("none"), 0);
}

TEST_F(Popups, TheValueIsTheOneBasedItemAndTextSelectsByPrefix) {
  ASSERT_EQ(Open("<PAGE><POPUP NAME=p RECT=10,10,100,30><ITEM TITLE=Apple/><ITEM TITLE=Banana/></POPUP></PAGE>"),
            kPlatformNoError);
  const struct {
    int32_t set;
    intptr_t value;
    LRESULT selected;
  } kCases[] = {{2, 2, 1}, {0, 0, CB_ERR}, {1, 1, 0}, {5, 0, CB_ERR}};
  for (const auto& c : kCases) {
    Send("p", kElementSetValue, c.set);
    EXPECT_EQ(Value("p"), c.value) << c.set;
    EXPECT_EQ(SendMessageA(WindowOf("p"), CB_GETCURSEL, 0, 0), c.selected) << c.set;
  }
  PlatformHandle* text = PlatformHandle::FromBytes("ban", 3);
  EXPECT_EQ(Send("p", kElementSetText, reinterpret_cast<intptr_t>(text)), kPlatformNoError);
  EXPECT_EQ(Value("p"), 2);
  PlatformHandle::SetBytes(text, "cherry", 6);
  EXPECT_EQ(Send("p", kElementSetText, reinterpret_cast<intptr_t>(text)), kPlatformErrBadReference);
  EXPECT_EQ(Value("p"), 2);
  PlatformHandle::Dispose(text);
  EXPECT_EQ(Text("p"), "Banana");
}

TEST_F(Popups, ChoosingAnItemActivatesAndOnlyAnEnabledPopupTakesTheFocus) {
  ASSERT_EQ(Open("<PAGE NAME=one><POPUP NAME=p RECT=10,10,100,30 HREF=#two><ITEM TITLE=a/><ITEM TITLE=b/></POPUP>"
                 "<POPUP NAME=q RECT=10,40,100,60><ITEM TITLE=c/></POPUP></PAGE><PAGE NAME=two/>"),
            kPlatformNoError);
  EXPECT_EQ(InterfaceWindowCount(Page()->focusOrder), 2u);
  Send("q", kElementSetEnabled, 0);
  InterfacePage::RebuildFocusOrder(Page(), nullptr);
  EXPECT_FALSE(IsWindowEnabled(WindowOf("q")));
  EXPECT_EQ(InterfaceWindowCount(Page()->focusOrder), 1u);
  // The page's first element has the focus; Down chooses the next item, which follows the HREF.
  EXPECT_EQ(GetFocus(), WindowOf("p"));
  const size_t mark = driver_.calls.size();
  driver_.Key(VK_DOWN);
  EXPECT_EQ(CallsSince(mark).front(), kPageElementActivated);
  EXPECT_EQ(Section(), "two");
}

// A pop-up list, like an editable text box, takes part in the focus while it is enabled and the page's elements
// are, whether or not the page's window is active.
TEST_F(Popups, ControlsJoinTheFocusOrderWhileEnabled) {
  for (const char* markup : {"<POPUP NAME=c RECT=10,10,100,30><ITEM TITLE=A/></POPUP>",
                             "<TEXTBOX NAME=c RECT=10,10,200,30 EDITABLE>x</TEXTBOX>"}) {
    ASSERT_EQ(Open(std::string("<PAGE>") + markup + "</PAGE>"), kPlatformNoError) << markup;
    PlatformHandle* order = PlatformHandle::New(0);
    Send("c", kElementDisable);  // the page's window was deactivated
    Send("c", kElementFillFocusOrder, 0, reinterpret_cast<intptr_t>(order));
    ASSERT_EQ(InterfaceWindowCount(order), 1u) << markup;
    EXPECT_EQ(InterfaceWindowAt(order, 0), WindowOf("c")) << markup;
    Send("c", kElementSetEnabled, 0);
    PlatformHandle::SetSize(order, 0);
    Send("c", kElementFillFocusOrder, 0, reinterpret_cast<intptr_t>(order));
    EXPECT_EQ(InterfaceWindowCount(order), 0u) << markup;
    PlatformHandle::Dispose(order);
  }
}

TEST_F(Popups, RemovingTheFocusedPopupMovesTheFocusOnBeforeItsWindowGoes) {
  ASSERT_EQ(Open("<PAGE><POPUP NAME=a RECT=10,10,100,30><ITEM TITLE=a/></POPUP>"
                 "<POPUP NAME=b RECT=10,40,100,60><ITEM TITLE=b/></POPUP></PAGE>"),
            kPlatformNoError);
  HWND first = WindowOf("a"), second = WindowOf("b");
  ASSERT_EQ(GetFocus(), first);
  InterfacePage::RemoveElement(Page(), &Page()->sectionElements, Element("a"));
  EXPECT_FALSE(IsWindow(first));
  EXPECT_EQ(GetFocus(), second);
  InterfaceElement* focused = nullptr;
  InterfacePage::GetFocus(Page(), &focused, nullptr, nullptr);
  EXPECT_EQ(focused, Element("b"));
  EXPECT_EQ(InterfaceWindowCount(Page()->focusOrder), 1u);
}

}  // namespace
