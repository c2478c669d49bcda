// Text boxes: pieces of content made ready (collapsing, PRE, breaks, list items), links over runs, the single-line
// rule, the rich-edit library and its fallback, following and leaving links, the focus (refused by read-only
// boxes), typing into an editable box, and the drawing over a patterned page.
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "element_fixture.h"

namespace {

using element_test::ElementPage;

std::string Appended(const char* text, bool collapse, bool previousEndedInSpace, const char* start = "") {
  PlatformHandle* handle = PlatformHandle::FromBytes(start, static_cast<uint32_t>(std::strlen(start)));
  EXPECT_EQ(AppendRichEditText(handle, text, collapse, previousEndedInSpace), kPlatformNoError);
  std::string out(static_cast<const char*>(handle->data), PlatformHandle::GetSize(handle));
  PlatformHandle::Dispose(handle);
  return out;
}

TEST(RichEditText, PiecesAreCollapsedUnlessTakenAsTheyStand) {
  const struct {
    const char* text;
    bool collapse;
    bool previousEndedInSpace;
    const char* start;
    const char* expected;
  } kCases[] = {
      {"a  b\n c", true, false, "", "a b c"},
      {"a  b\n c", false, false, "", "a  b\r\n c"},
      {"a\tb", false, false, "", "a    b"},
      {"a\tb", true, false, "", "a b"},
      {"a\r\nb\rc\n", false, false, "", "a\r\nb\r\nc\r\n"},
      {" x", true, true, "", "x"},  // the previous piece ended in white space
      {" x", true, false, "", " x"},
      {" x", true, true, "a ", "a x"},  // the handle's own end counts once it holds text
      {"\t\n  ", true, false, "", " "},
      {"", true, false, "", ""},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(Appended(c.text, c.collapse, c.previousEndedInSpace, c.start), c.expected) << c.text;
  }
}

class TextBoxes : public ElementPage {
 protected:
  void TearDown() override { HostTestWithholdLibrary("RICHED20.DLL", false); }
  TextBoxElement::Data* Box(const std::string& name) {
    InterfaceElement* element = Element(name);
    return element != nullptr ? static_cast<TextBoxElement::Data*>(element->instanceData->data) : nullptr;
  }
  std::vector<TextBoxLink> Links(const std::string& name) {
    TextBoxElement::Data* box = Box(name);
    if (box == nullptr || box->links == nullptr) return {};
    const auto* first = static_cast<const TextBoxLink*>(box->links->data);
    return std::vector<TextBoxLink>(first, first + PlatformHandle::GetSize(box->links) / sizeof(TextBoxLink));
  }
  std::string ControlText(const std::string& name) {
    char text[512];
    const int length = GetWindowTextA(Box(name)->control, text, sizeof text);
    return std::string(text, static_cast<size_t>(length));
  }
  // A point on the first letters of a box's first link, in page coordinates.
  POINT OnLink(const std::string& name) {
    TextBoxElement::Data* box = Box(name);
    const TextBoxLink link = Links(name).at(0);
    const POINT at = GetRichEditCharPosition(box->control, link.start + 1, box->rich20 != 0);
    return POINT{box->rect.left + at.x + 1, box->rect.top + at.y + link.height / 2};
  }
};

TEST_F(TextBoxes, ContentBecomesLinesWithBreaksAndListItems) {
  ASSERT_EQ(Open("<PAGE>"
                 "<TEXTBOX NAME=spaces RECT=0,0,200,40>a  b\n c</TEXTBOX>"
                 "<TEXTBOX NAME=pre RECT=0,40,200,80><PRE>a  b\n c</PRE></TEXTBOX>"
                 "<TEXTBOX NAME=breaks RECT=0,80,200,160>one<BR>two<P>three</TEXTBOX>"
                 "<TEXTBOX NAME=list RECT=0,160,200,200><LI>x<LI>y</TEXTBOX>"
                 "</PAGE>",
                 {}, "WIDTH=300 HEIGHT=200 ALIGN=left"),
            kPlatformNoError);
  EXPECT_EQ(ControlText("spaces"), "a b c\r\n");
  EXPECT_EQ(ControlText("pre"), "a  b\r\n c\r\n");
  EXPECT_EQ(ControlText("breaks"), "one\r\ntwo\r\n\r\nthree\r\n");
  EXPECT_EQ(ControlText("list"), "\r\n* x\r\n* y\r\n");
  // Read-only: the control is disabled, read-only and of the 2.0 library, and takes no focus.
  TextBoxElement::Data* box = Box("breaks");
  EXPECT_TRUE(box->rich20);
  EXPECT_FALSE(IsWindowEnabled(box->control));
  EXPECT_EQ(InterfaceWindowCount(Page()->focusOrder), 0u);
  // Lines: "two" starts below "one", "three" below an empty line.
  const POINT one = GetRichEditCharPosition(box->control, 0, true);
  const POINT two = GetRichEditCharPosition(box->control, 4, true);
  const POINT three = GetRichEditCharPosition(box->control, 10, true);
  EXPECT_EQ(two.x, one.x);
  EXPECT_GT(two.y, one.y);
  EXPECT_GT(three.y - two.y, two.y - one.y);
}

TEST_F(TextBoxes, RunsInsideOneLinkMakeOneLinkRecord) {
  ASSERT_EQ(Open("<PAGE><TEXTBOX NAME=t RECT=0,0,280,100>go <A HREF=#x>plain <B>bold</B></A> "
                 "<A HREF=#y>other</A><A HREF=#z>next</A></TEXTBOX></PAGE><PAGE NAME=x/>"),
            kPlatformNoError);
  const std::vector<TextBoxLink> links = Links("t");
  ASSERT_EQ(links.size(), 3u);
  EXPECT_EQ(links[0].start, 3);
  EXPECT_EQ(links[0].length, 10);  // "plain bold"
  EXPECT_STREQ(links[0].href, "#x");
  EXPECT_EQ(links[1].length, 5);  // adjacent links of two "A" elements stay two
  EXPECT_STREQ(links[2].href, "#z");
  EXPECT_GT(links[0].height, 0);
}

TEST_F(TextBoxes, OneLineWhenTwiceTheTextSizeFillsTheHeight) {
  ASSERT_EQ(Open("<PAGE>"
                 "<TEXTBOX NAME=twelve RECT=0,0,200,20 SIZE=12>x</TEXTBOX>"
                 "<TEXTBOX NAME=nine RECT=0,30,200,50 SIZE=9>x</TEXTBOX>"
                 "<TEXTBOX NAME=run RECT=0,60,200,80><B SIZE=10>x</B></TEXTBOX>"
                 "<TEXTBOX NAME=told RECT=0,90,200,110 SIZE=12 SINGLE=false>x</TEXTBOX>"
                 "<TEXTBOX NAME=nosize RECT=0,120,200,140>x</TEXTBOX>"
                 "</PAGE>"),
            kPlatformNoError);
  EXPECT_TRUE(Box("twelve")->singleLine);
  EXPECT_FALSE(Box("nine")->singleLine);
  EXPECT_TRUE(Box("run")->singleLine);  // the first text's size
  EXPECT_FALSE(Box("told")->singleLine);
  EXPECT_FALSE(Box("nosize")->singleLine);
}

TEST_F(TextBoxes, WithoutTheNewerLibraryTheOlderServesInItsOwnForms) {
  HostTestWithholdLibrary("RICHED20.DLL", true);
  ASSERT_EQ(Open("<PAGE NAME=one><TEXTBOX NAME=t RECT=10,10,250,100 SIZE=14>go <A HREF=#two>there</A> now<BR>"
                 "and on</TEXTBOX></PAGE><PAGE NAME=two/>"),
            kPlatformNoError);
  TextBoxElement::Data* box = Box("t");
  ASSERT_NE(box, nullptr);
  EXPECT_FALSE(box->rich20);
  GETTEXTLENGTHEX how{GTL_DEFAULT, 0};
  EXPECT_EQ(SendMessageA(box->control, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&how), 0), 0);  // a 2.0 message
  EXPECT_EQ(GetRichEditTextLength(box->control, false), 22);  // its breaks are two characters
  // Positions come in the 1.0 form, and the link is found and followed with them.
  EXPECT_GT(GetRichEditCharPosition(box->control, 3, false).x, GetRichEditCharPosition(box->control, 0, false).x);
  const POINT link = OnLink("t");
  driver_.Click(link.x, link.y);
  EXPECT_EQ(Section(), "two");
}

TEST_F(TextBoxes, APressOnALinkIsTrackedAndFollowedOnlyWhenReleasedOnIt) {
  const std::string page =
      "<PAGE NAME=one><TEXTBOX NAME=t RECT=10,10,250,100 SIZE=14>go <A HREF=#two>there</A></TEXTBOX></PAGE>"
      "<PAGE NAME=two/>";
  ASSERT_EQ(Open(page), kPlatformNoError);
  POINT link = OnLink("t");
  size_t mark = driver_.calls.size();
  Drag({link, {link.x, 150}, {link.x + 100, 150}});
  EXPECT_EQ(CallsSince(mark), (std::vector<int32_t>{kPageButtonPressed, kPageButtonLeft, kPageButtonReleased}));
  EXPECT_EQ(Section(), "one");
  mark = driver_.calls.size();
  Drag({link, {link.x, 150}, link, link});
  const std::vector<int32_t> calls = CallsSince(mark);
  ASSERT_GE(calls.size(), 5u);
  EXPECT_EQ(std::vector<int32_t>(calls.begin(), calls.begin() + 5),
            (std::vector<int32_t>{kPageButtonPressed, kPageButtonLeft, kPageButtonBack, kPageButtonReleased,
                                  kPageElementActivated}));
  EXPECT_EQ(Section(), "two");
  // Away from the link a press does nothing; over it the cursor is the hand.
  ASSERT_EQ(Open(page), kPlatformNoError);
  mark = driver_.calls.size();
  driver_.Click(14, 80);
  EXPECT_TRUE(CallsSince(mark).empty());
  int16_t cursor = -1;
  MouseEventRecord over{};
  link = OnLink("t");
  over.windowX = link.x;
  over.windowY = link.y;
  Send("t", kElementCursor, reinterpret_cast<intptr_t>(&over), reinterpret_cast<intptr_t>(&cursor));
  EXPECT_EQ(cursor, 32649);
  over.windowY = 80;
  Send("t", kElementCursor, reinterpret_cast<intptr_t>(&over), reinterpret_cast<intptr_t>(&cursor));
  EXPECT_EQ(cursor, 0);
}

TEST_F(TextBoxes, AReadOnlyBoxRefusesTheFocusAndLeavesItWhereItWas) {
  ASSERT_EQ(Open("<PAGE><TEXTBOX NAME=field RECT=0,0,200,30 EDITABLE>x</TEXTBOX>"
                 "<TEXTBOX NAME=text RECT=0,40,200,80>read</TEXTBOX></PAGE>"),
            kPlatformNoError);
  InterfaceElement* focused = nullptr;
  InterfacePage::GetFocus(Page(), &focused, nullptr, nullptr);
  ASSERT_EQ(focused, Element("field"));
  EXPECT_EQ(InterfacePage::SetFocus(Page(), Element("text"), Box("text")->control, false), kElementErrNoFocus);
  InterfacePage::GetFocus(Page(), &focused, nullptr, nullptr);
  EXPECT_EQ(focused, Element("field"));
  EXPECT_EQ(GetFocus(), Box("field")->control);
  EXPECT_TRUE(Box("field")->focused);
}

TEST_F(TextBoxes, TypingGoesIntoTheFocusedBoxAndShortcutsDoNotFire) {
  ASSERT_EQ(Open("<PAGE NAME=one><TEXTBOX NAME=field RECT=0,0,200,30 EDITABLE SIZE=14>start</TEXTBOX>"
                 "<BUTTON NAME=shortcut RECT=0,40,80,60 TITLE=A KEYS=AB- HREF=#two/></PAGE><PAGE NAME=two/>"),
            kPlatformNoError);
  ASSERT_EQ(GetFocus(), Box("field")->control);
  EXPECT_EQ(ControlText("field"), "start");
  const size_t mark = driver_.calls.size();
  driver_.Key('A', "a");  // the content was all selected: typing replaces it
  driver_.Key('B', "b");
  driver_.Key(VK_ESCAPE);
  EXPECT_EQ(ControlText("field"), "ab");
  EXPECT_EQ(Text("field"), "ab");
  EXPECT_EQ(Section(), "one");
  for (size_t i = mark; i < driver_.calls.size(); ++i) EXPECT_NE(driver_.calls[i].name, "shortcut");
  // The text can be set, and the field's font is the text's size.
  PlatformHandle* text = PlatformHandle::FromBytes("set", 3);
  EXPECT_EQ(Send("field", kElementSetText, reinterpret_cast<intptr_t>(text)), kPlatformNoError);
  PlatformHandle::Dispose(text);
  EXPECT_EQ(ControlText("field"), "set");
  const auto heightOf = [](HFONT font) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, old);
    DeleteDC(dc);
    return metrics.tmHeight;
  };
  LOGFONTA fourteen{};
  fourteen.lfHeight = -14;
  HFONT expected = CreateFontIndirectA(&fourteen);
  EXPECT_EQ(heightOf(Box("field")->font), heightOf(expected));
  DeleteObject(expected);
  // A disabled box's field is disabled too, and leaves the focus order.
  Send("field", kElementSetEnabled, 0);
  EXPECT_FALSE(IsWindowEnabled(Box("field")->control));
}

// The page's background: a checkerboard of two colours, neither white.
std::vector<scenario_writer::PageFile> Checkerboard() {
  scenario_writer::Canvas canvas(2, 2, scenario_writer::Rgb{0x30, 0x90, 0x30});
  canvas.Set(1, 0, scenario_writer::Rgb{0x90, 0x30, 0x90});
  canvas.Set(0, 1, scenario_writer::Rgb{0x90, 0x30, 0x90});
  return {scenario_writer::PageFile{"check.bmp", scenario_writer::EncodeBmp24(canvas)}};
}

TEST_F(TextBoxes, ReadOnlyTextLetsThePatternShowBetweenItsLettersAndInvertsAPressedLink) {
  ASSERT_EQ(Open("<PAGE NAME=one><TEXTBOX NAME=t RECT=10,10,250,100 SIZE=20>WWW <A HREF=#two>MMMM</A></TEXTBOX>"
                 "</PAGE><PAGE NAME=two/>",
                 Checkerboard(), "WIDTH=300 HEIGHT=200 BACKGROUND=check.bmp FGCOLOR=#000000 BGCOLOR=#FFFFFF"),
            kPlatformNoError);
  const std::set<uint32_t> pattern{0x309030, 0x903090};
  const std::set<uint32_t> inverted{0xCF6FCF, 0x6FCF6F};
  const auto count = [](const HostFrame& frame, const std::set<uint32_t>& colours, int left, int top, int right,
                        int bottom) {
    int n = 0;
    for (int y = top; y < bottom; ++y) {
      for (int x = left; x < right; ++x) n += colours.count(At(frame, x, y)) != 0 ? 1 : 0;
    }
    return n;
  };
  const HostFrame shown = Frame();
  const int area = 240 * 90;
  const int letters = count(shown, {0x000000}, 10, 10, 250, 100);
  const int blue = count(shown, {0x0000EE}, 10, 10, 250, 100);
  EXPECT_GT(letters, 30);
  EXPECT_GT(blue, 30);                                                        // the link's colour
  EXPECT_EQ(count(shown, pattern, 10, 10, 250, 100) + letters + blue, area);  // nothing else: no box is filled
  // Pressed, the link's area is inverted (the pattern between its letters too) until the release on it.
  TextBoxElement::Data* box = Box("t");
  const TextBoxLink link = Links("t").at(0);
  const POINT start = GetRichEditCharPosition(box->control, link.start, true);
  const POINT end = GetRichEditCharPosition(box->control, link.start + link.length, true);
  const int left = box->rect.left + start.x, right = box->rect.left + end.x, top = box->rect.top + start.y;
  int whilePressed = -1;
  driver_.react = [&](int32_t message) {
    if (message == kPageButtonReleased) whilePressed = count(Frame(), inverted, left, top, right, top + link.height);
  };
  const POINT on = OnLink("t");
  Drag({on, on});
  EXPECT_GT(whilePressed, (right - left) * link.height / 3);
  EXPECT_EQ(Section(), "two");
}

}  // namespace
