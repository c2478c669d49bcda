// The element protocol: the order of the messages that make and remove an element, what a failing handler
// leaves behind, the live byte, and elements that go while their own handler runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "test_elements.h"
#include "tests/support/page_driver.h"

namespace {

using page_test::CreateOrder;
using page_test::First;
using page_test::Last;
using page_test::MessagesOf;
using page_test::RemoveOrder;

class Elements : public testing::Test {
 protected:
  void SetUp() override { page_test::RegisterTestTags(); }

  PlatformError OpenPage(const std::string& body) {
    return driver_.Open(driver_.WritePages("page", "<INTERFACE WIDTH=300 HEIGHT=200>" + body + "</INTERFACE>"));
  }

  PageDriver driver_;
};

TEST_F(Elements, MadeAndRemovedInTheirOrder) {
  ASSERT_EQ(OpenPage("<PAGE><TEST NAME=t KEYS=ab+ TITLE=Hello RECT=1,2,3,4/></PAGE><PAGE NAME=empty/>"),
            kPlatformNoError);
  EXPECT_EQ(First(MessagesOf("t"), 6), CreateOrder());
  // The live byte is asked after every message but 3, 16, 17 and 72.
  EXPECT_EQ(First(MessagesOf("t", true), 12),
            (std::vector<int32_t>{0, 72, 65, 72, 67, 72, 48, 72, 1, 72, 50, 72}));
  for (const page_test::Delivered& delivered : page_test::Log()) {
    if (delivered.message == kElementSetTitle) {
      EXPECT_STREQ(reinterpret_cast<const char*>(delivered.parameter1), "Hello");
    }
  }
  InterfaceElement* element = driver_.Page()->sectionElements.elements;
  ASSERT_NE(element, nullptr);
  EXPECT_STREQ(GetMarkupAttribute(element->node, "KEYS"), "AB+");  // upper-cased in place
  const Rect expected{1, 2, 3, 4};
  EXPECT_TRUE(Rect::Equal(&element->rect, &expected));
  ASSERT_EQ(InterfacePage::ShowSectionByName(driver_.Page(), "empty"), kPlatformNoError);
  EXPECT_EQ(Last(MessagesOf("t"), 2), RemoveOrder());
  EXPECT_EQ(InterfacePage::GetElementCount(driver_.Page()), 0);
}

TEST_F(Elements, AFailingMessageRemovesTheElementAgain) {
  for (int32_t failing : {kElementCreate, kElementSetRect, kElementSetTitle, kElementAttach}) {
    page_test::Log().clear();
    const std::string good = "good" + std::to_string(failing);
    ASSERT_EQ(OpenPage("<PAGE><TEST NAME=bad FAIL=" + std::to_string(failing) + "/><TEST NAME=" + good + "/></PAGE>"),
              kPlatformNoError);
    std::vector<int32_t> expected = First(CreateOrder(), std::find(std::begin(page_test::kCreateOrder),
                                                                   std::end(page_test::kCreateOrder), failing) -
                                                             std::begin(page_test::kCreateOrder) + 1);
    expected.push_back(kElementDetach);
    expected.push_back(kElementDispose);
    EXPECT_EQ(MessagesOf("bad"), expected) << failing;
    EXPECT_EQ(InterfacePage::GetElementCount(driver_.Page()), 1) << failing;  // only "good" stands
    EXPECT_EQ(First(MessagesOf(good), 6), CreateOrder());
  }
}

TEST_F(Elements, AnElementThatIsNotVisibleGetsNoMessagesSixteenToFifty) {
  ASSERT_EQ(OpenPage("<PAGE><TEST NAME=hidden VISIBLE=0 RECT=0,0,100,100 ACTIVATE WINDOWS=1/></PAGE>"),
            kPlatformNoError);
  driver_.Click(10, 10);
  for (int32_t message : MessagesOf("hidden")) {
    EXPECT_TRUE(message < kElementOwnsWindow || message > kElementFillFocusOrder) << message;
  }
  const std::vector<int32_t> messages = driver_.Messages();
  EXPECT_EQ(std::count(messages.begin(), messages.end(), kPageElementActivated), 0);
  EXPECT_EQ(InterfaceWindowCount(driver_.Page()->focusOrder), 0u);
}

TEST_F(Elements, AnElementMayGoWhileItsOwnHandlerRuns) {
  ASSERT_EQ(OpenPage("<PAGE><TEST NAME=leaver GOTO=next ACTIVATE RECT=0,0,50,50/></PAGE>"
                     "<PAGE NAME=next><TEST NAME=after/></PAGE>"),
            kPlatformNoError);
  driver_.Click(10, 10);
  EXPECT_STREQ(driver_.Page()->currentSection->name, "next");
  EXPECT_EQ(Last(MessagesOf("leaver"), 2), RemoveOrder());
  EXPECT_EQ(InterfacePage::GetElementCount(driver_.Page()), 1);
}

TEST_F(Elements, RemovingTheFocusedElementMovesTheFocusOnFirst) {
  ASSERT_EQ(OpenPage("<PAGE><PARAM NAME=p><TEST NAME=first WINDOWS=1 RECT=0,0,50,20/></PARAM>"
                     "<TEST NAME=second WINDOWS=1 RECT=0,30,50,50/></PAGE>"),
            kPlatformNoError);
  InterfaceElement* focused = nullptr;
  InterfacePage::GetFocus(driver_.Page(), &focused, nullptr, nullptr);
  ASSERT_NE(focused, nullptr);
  EXPECT_STREQ(GetMarkupAttribute(focused->node, "NAME"), "first");
  page_test::Log().clear();
  ASSERT_EQ(InterfacePage::SetParameterText(driver_.Page(), 0, ""), kPlatformNoError);
  const auto& log = page_test::Log();
  auto focusToSecond = std::find_if(log.begin(), log.end(), [](const page_test::Delivered& d) {
    return d.element == "second" && d.message == kElementFocus && d.parameter1 != 0;
  });
  auto firstDetached = std::find_if(log.begin(), log.end(), [](const page_test::Delivered& d) {
    return d.element == "first" && d.message == kElementDetach;
  });
  ASSERT_NE(focusToSecond, log.end());
  ASSERT_NE(firstDetached, log.end());
  EXPECT_LT(focusToSecond - log.begin(), firstDetached - log.begin());
  int32_t index = -1;
  InterfacePage::GetFocus(driver_.Page(), &focused, &index, nullptr);
  EXPECT_STREQ(GetMarkupAttribute(focused->node, "NAME"), "second");
  EXPECT_EQ(index, 0);
}

TEST_F(Elements, DeeplyNestedSectionsAreWalkedWithoutRecursion) {
  std::string body = "<PAGE>";
  for (int i = 0; i < 50000; ++i) body += "<D>";
  body += "<TEST NAME=bottom/></PAGE>";
  ASSERT_EQ(OpenPage(body), kPlatformNoError);
  EXPECT_EQ(First(MessagesOf("bottom"), 6), CreateOrder());
}

}  // namespace
