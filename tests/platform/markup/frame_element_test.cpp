// Frames: a child page at a section of the same or another file, its elements in the root's focus order, the
// questions and presses it hands on, and the frames that are refused: a page showing itself or a page enclosing
// it, and frames nested too deep.
#include <gtest/gtest.h>

#include "element_fixture.h"

namespace {

using element_test::ElementPage;

class Frames : public ElementPage {
 protected:
  InterfacePage* ChildOf(const std::string& name) {
    intptr_t child = 0;
    if (Send(name, kElementGetValue, 0, reinterpret_cast<intptr_t>(&child)) != kPlatformNoError) return nullptr;
    return reinterpret_cast<InterfacePage*>(child);
  }
};

TEST_F(Frames, ShowASectionAndMergeTheirFocusOrder) {
  ASSERT_EQ(Open("<PAGE NAME=one><POPUP NAME=outer RECT=10,10,100,30><ITEM TITLE=a/></POPUP>"
                 "<FRAME NAME=f RECT=10,50,210,150 SRC=#two></FRAME></PAGE>"
                 "<PAGE NAME=two><POPUP NAME=inner RECT=10,10,100,30><ITEM TITLE=b/></POPUP>"
                 "<TEXTBOX NAME=field RECT=10,40,150,60 EDITABLE>x</TEXTBOX>"
                 "<BUTTON NAME=go RECT=160,40,190,60 HREF=#three TITLE=go/></PAGE><PAGE NAME=three/>"),
            kPlatformNoError);
  InterfacePage* child = ChildOf("f");
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(child->parent, Page());
  ASSERT_NE(child->currentSection, nullptr);
  EXPECT_STREQ(child->currentSection->name, "two");
  // The child page's elements stand inside the frame's rectangle.
  EXPECT_EQ(Element("inner")->rect.left, 20);
  EXPECT_EQ(Element("inner")->rect.top, 60);
  // One focus order for the tree: the outer pop-up, then the frame's pop-up and field.
  ASSERT_EQ(InterfaceWindowCount(Page()->focusOrder), 3u);
  EXPECT_EQ(InterfaceWindowAt(Page()->focusOrder, 0), WindowOf("outer"));
  EXPECT_EQ(InterfaceWindowAt(Page()->focusOrder, 1), WindowOf("inner"));
  EXPECT_EQ(InterfaceWindowAt(Page()->focusOrder, 2), WindowOf("field"));
  driver_.Key(VK_TAB);
  driver_.Key(VK_TAB);
  EXPECT_EQ(GetFocus(), WindowOf("field"));
  InterfaceElement* focused = nullptr;
  InterfacePage::GetFocus(child, &focused, nullptr, nullptr);
  EXPECT_EQ(focused, Element("field"));
  // A click in the frame reaches its child page's button, which is activated (the root page runs it).
  const size_t mark = driver_.calls.size();
  driver_.Click(185, 100);
  std::vector<std::string> activated;
  for (size_t i = mark; i < driver_.calls.size(); ++i) {
    if (driver_.calls[i].message == kPageElementActivated) activated.push_back(driver_.calls[i].name);
  }
  EXPECT_EQ(activated, std::vector<std::string>{"go"});
  ASSERT_NE(child->currentSection, nullptr);
  EXPECT_STREQ(child->currentSection->name, "three");
  EXPECT_EQ(Section(), "one");
}

// A closing page leaves its section and closes before its frame closes the page it shows.
TEST_F(Frames, TheFramesPageClosesAfterThePageAroundIt) {
  ASSERT_EQ(Open("<PAGE NAME=one><FRAME NAME=f RECT=10,50,210,150 SRC=#two></FRAME></PAGE><PAGE NAME=two/>"),
            kPlatformNoError);
  ASSERT_NE(ChildOf("f"), nullptr);
  const size_t mark = driver_.calls.size();
  InterfacePage::Close(Page());
  std::vector<std::pair<int32_t, std::string>> heard;
  for (size_t i = mark; i < driver_.calls.size(); ++i) {
    heard.emplace_back(driver_.calls[i].message, driver_.calls[i].section);
  }
  EXPECT_EQ(heard, (std::vector<std::pair<int32_t, std::string>>{{kPageSectionLeaving, "one"},
                                                                 {kPageClosing, "one"},
                                                                 {kPageSectionLeaving, "two"},
                                                                 {kPageClosing, "two"}}));
}

TEST_F(Frames, AnotherFileIsOpenedFromThePagesFolder) {
  ASSERT_EQ(Open("<PAGE><FRAME NAME=f RECT=0,0,200,100 SOURCE=other.iml#b SRC=#ignored></FRAME></PAGE>",
                 {scenario_writer::PageFile{"other.iml", {}}}),
            kPlatformNoError);
  // SOURCE wins over SRC; an empty file has no interface and the frame is left out.
  EXPECT_EQ(Element("f"), nullptr);
  const std::string other = "<INTERFACE><PAGE NAME=a/><PAGE NAME=b><BORDER NAME=in RECT=1,1,9,9/></PAGE></INTERFACE>";
  ASSERT_EQ(Open("<PAGE><FRAME NAME=f RECT=0,0,200,100 SOURCE=other.iml#b SRC=#ignored></FRAME></PAGE>",
                 {scenario_writer::PageFile{"other.iml", scenario_writer::Bytes(other.begin(), other.end())}}),
            kPlatformNoError);
  ASSERT_NE(ChildOf("f"), nullptr);
  EXPECT_STREQ(ChildOf("f")->currentSection->name, "b");
  EXPECT_NE(Element("in"), nullptr);
}

TEST_F(Frames, APageNeverShowsItselfAndFramesNestAtMostEightDeep) {
  // A frame of its own section, or of the first (when it names none), or of the section of the page around it,
  // is refused; the rest of the section stands.
  const struct {
    const char* name;
    const char* page;
    bool made;
  } kCases[] = {
      {"own section", "<PAGE NAME=s><FRAME NAME=f RECT=0,0,50,50 SRC=#s/><BORDER NAME=b/></PAGE>", false},
      {"own file", "<PAGE NAME=s><FRAME NAME=f RECT=0,0,50,50 SRC=index.iml/><BORDER NAME=b/></PAGE>", false},
      {"no source", "<PAGE NAME=s><FRAME NAME=f RECT=0,0,50,50/><BORDER NAME=b/></PAGE>", false},
      {"another section", "<PAGE NAME=s><FRAME NAME=f RECT=0,0,50,50 SRC=#t/><BORDER NAME=b/></PAGE><PAGE NAME=t/>",
       true},
      {"back to the enclosing",
       "<PAGE NAME=s><FRAME NAME=f RECT=0,0,50,50 SRC=#t/><BORDER NAME=b/></PAGE>"
       "<PAGE NAME=t><FRAME NAME=g RECT=0,0,50,50 SRC=#s/></PAGE>",
       true},
      {"web address",
       "<PAGE NAME=s><FRAME NAME=f RECT=0,0,50,50 SRC=http://example.invalid/x/><BORDER NAME=b/>"
       "</PAGE>",
       false},
  };
  for (const auto& c : kCases) {
    ASSERT_EQ(Open(c.page), kPlatformNoError) << c.name;
    EXPECT_EQ(Element("f") != nullptr, c.made) << c.name;
    EXPECT_NE(Element("b"), nullptr) << c.name;
    EXPECT_EQ(Element("g"), nullptr) << c.name;
  }
  // Sections that each frame the next: eight frames, and no ninth.
  std::string chain;
  for (int i = 0; i < 12; ++i) {
    chain += "<PAGE NAME=s" + std::to_string(i) + "><FRAME NAME=f" + std::to_string(i) + " RECT=0,0,50,50 SRC=#s" +
             std::to_string(i + 1) + "/></PAGE>";
  }
  ASSERT_EQ(Open(chain), kPlatformNoError);
  EXPECT_NE(Element("f7"), nullptr);
  EXPECT_EQ(Element("f8"), nullptr);
}

}  // namespace
