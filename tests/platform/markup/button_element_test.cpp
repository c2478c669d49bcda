// Buttons and images: child-window buttons (kinds, checks, enabling), image buttons (their picture sets and
// states, tracking a press), the placeholder, and what a button without HREF or SCRIPT does.
#include <gtest/gtest.h>

#include "element_fixture.h"
#include "host/kernel.h"
#include "platform/graphics/graphics_port.h"
#include "tests/support/dib_canvas.h"

namespace {

using element_test::ElementPage;
using element_test::Solid;

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kYellow = 0xFFFF00;

class Buttons : public ElementPage {
 protected:
  std::vector<scenario_writer::PageFile> Pictures() {
    return {Solid("red.bmp", kRed), Solid("green.bmp", kGreen), Solid("blue.bmp", kBlue), Solid("yellow.bmp", kYellow)};
  }
};

TEST_F(Buttons, ChildWindowButtonsTakeTheirKindCheckAndEnabling) {
  ASSERT_EQ(Open("<PAGE NAME=one>"
                 "<BUTTON NAME=go RECT=10,10,90,30 TITLE=Go HREF=#two/>"
                 "<BUTTON NAME=inert RECT=10,40,90,60 TITLE=Inert/>"
                 "<BUTTON NAME=radio RECT=10,70,90,90 TITLE=R KIND=rAdIo VALUE=1 SCRIPT=Beep()/>"
                 "<BUTTON NAME=check RECT=100,70,190,90 TITLE=C KIND=check SCRIPT=Beep()/>"
                 "</PAGE><PAGE NAME=two/>"),
            kPlatformNoError);
  ASSERT_NE(WindowOf("go"), nullptr);
  EXPECT_TRUE(IsWindowEnabled(WindowOf("go")));
  EXPECT_FALSE(IsWindowEnabled(WindowOf("inert")));  // no HREF, no SCRIPT
  EXPECT_STREQ(GetMarkupAttribute(Element("radio")->node, "KIND"), "RADIO");
  EXPECT_EQ(SendMessageA(WindowOf("radio"), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(Value("radio"), 1);
  EXPECT_EQ(Text("radio"), "1");
  EXPECT_EQ(Value("check"), 0);
  Send("check", kElementSetValue, 1);
  EXPECT_EQ(SendMessageA(WindowOf("check"), BM_GETCHECK, 0, 0), BST_CHECKED);
  // The radio button is round: its box's corner is not drawn; the check box's is.
  const HostFrame frame = Frame();
  EXPECT_NE(At(frame, 10, 73), 0x808080u);
  EXPECT_EQ(At(frame, 100, 73), 0x808080u);  // the check box's sunken corner
  // Set title and rectangle go to the window; the element answers -7003 to set text.
  char title[256];
  Send("go", kElementSetTitle, reinterpret_cast<intptr_t>("Onward"));
  GetWindowTextA(WindowOf("go"), title, sizeof title);
  EXPECT_STREQ(title, "Onward");
  PlatformHandle* text = PlatformHandle::New(0);
  EXPECT_EQ(Send("go", kElementSetText, reinterpret_cast<intptr_t>(text)), kElementErrUnsupported);
  PlatformHandle::Dispose(text);
  // A click is a control notification: the page activates the button.
  const size_t mark = driver_.calls.size();
  driver_.Click(40, 20);
  EXPECT_EQ(CallsSince(mark).front(), kPageElementActivated);
  EXPECT_EQ(Section(), "two");
}

TEST_F(Buttons, ImageButtonsDrawTheSetOfTheirValueInTheStateTheyAreIn) {
  ASSERT_EQ(
      Open("<PAGE>"
           "<BUTTON NAME=sets RECT=10,10,30,30 VALUE=1 HREF=#x><IMAGE SRC=red.bmp/><IMAGE SRC=green.bmp/></BUTTON>"
           "<IMG NAME=dim RECT=40,10,60,30 SRC=red.bmp DIM=blue.bmp/>"
           "<IMG NAME=missing RECT=70,10,90,30 SRC=nothing.bmp HREF=#x/>"
           "<BUTTON NAME=beyond RECT=100,10,120,30 VALUE=3 HREF=#x><IMAGE SRC=red.bmp/></BUTTON>"
           "</PAGE>",
           Pictures()),
      kPlatformNoError);
  HostFrame frame = Frame();
  EXPECT_EQ(At(frame, 20, 20), kGreen);  // the second set
  EXPECT_EQ(At(frame, 50, 20), kBlue);   // disabled without HREF or SCRIPT: the DIM picture
  EXPECT_EQ(WindowOf("sets"), nullptr);  // drawn by the page, no child window
  // A picture that is not there, or a set the button did not load, draws the placeholder.
  // The pattern repeats from the window's origin: in row 12 every fourth pixel from x = 0 is dark red.
  for (int x : {70, 100}) {
    EXPECT_EQ(At(frame, x, 10), 0x000000u) << x;  // its black frame
    const int red = (x / 4 + 1) * 4;
    EXPECT_EQ(At(frame, red, 12), 0xC00000u) << x;
    EXPECT_EQ(At(frame, red + 1, 12), 0xFFFFFFu) << x;
  }
  // The value chooses the set anew.
  Send("sets", kElementSetValue, 0);
  driver_.Pump();
  EXPECT_EQ(At(Frame(), 20, 20), kRed);
}

TEST_F(Buttons, APressIsTrackedUntilTheReleaseAndActivatesOnlyInside) {
  ASSERT_EQ(Open("<PAGE NAME=one><IMG NAME=b RECT=10,10,30,30 SRC=red.bmp LIT=yellow.bmp HREF=#two/>"
                 "<IMG NAME=inert RECT=40,10,60,30 SRC=red.bmp/></PAGE><PAGE NAME=two/>",
                 Pictures()),
            kPlatformNoError);
  const struct {
    const char* name;
    std::vector<POINT> path;
    std::vector<int32_t> calls;
    const char* section;
  } kCases[] = {
      {"out and back",
       {{20, 20}, {100, 100}, {22, 22}, {22, 22}},
       {kPageButtonPressed, kPageButtonLeft, kPageButtonBack, kPageButtonReleased, kPageElementActivated},
       "two"},
      {"released outside",
       {{20, 20}, {100, 100}, {120, 100}},
       {kPageButtonPressed, kPageButtonLeft, kPageButtonReleased},
       "one"},
      {"disabled", {{50, 20}, {50, 20}}, {}, "one"},
  };
  for (const auto& c : kCases) {
    InterfacePage::ShowSectionByName(Page(), "one");
    driver_.Pump();
    const size_t mark = driver_.calls.size();
    Drag(c.path);
    std::vector<int32_t> calls;
    for (int32_t message : CallsSince(mark)) {
      if (message >= kPageButtonPressed || message == kPageElementActivated) calls.push_back(message);
    }
    EXPECT_EQ(calls, c.calls) << c.name;
    EXPECT_EQ(Section(), c.section) << c.name;
  }
}

TEST_F(Buttons, WhileTrackedTheButtonIsLitAndAShortcutFlashesIt) {
  ASSERT_EQ(
      Open("<PAGE><IMG NAME=b RECT=10,10,30,30 SRC=red.bmp LIT=yellow.bmp SCRIPT=Beep() KEYS=Q/></PAGE>", Pictures()),
      kPlatformNoError);
  std::vector<uint32_t> seen;
  driver_.react = [&](int32_t message) {
    if (message == kPageButtonLeft || message == kPageButtonBack || message == kPageButtonReleased) {
      seen.push_back(At(Frame(), 20, 20));
    }
  };
  Drag({{20, 20}, {100, 100}, {20, 20}, {20, 20}});
  EXPECT_EQ(seen, (std::vector<uint32_t>{kRed, kYellow, kYellow}));  // left: normal; back and released: lit
  EXPECT_EQ(At(Frame(), 20, 20), kRed);
  seen.clear();
  const DWORD before = GetTickCount();
  driver_.Key('Q', "q");
  EXPECT_EQ(seen, std::vector<uint32_t>{kYellow});  // lit when the flash ends
  EXPECT_GE(GetTickCount() - before, 120u);
  EXPECT_EQ(At(Frame(), 20, 20), kRed);
}

TEST(ImageButtonPlaceholder, IsAPatternFramedInBlackAndInvertedWhenNotNormal) {
  test_support::DibCanvas canvas(40, 20);
  PlatformWorld* port = GraphicsPort::CreateForDC(canvas.dc(), true);
  ASSERT_NE(port, nullptr);
  const Rect normal{0, 0, 16, 16}, lit{20, 0, 36, 16};
  EXPECT_EQ(ImageButton::DrawState(canvas.dc(), port, &normal, nullptr, 0, 0), kPlatformNoError);
  EXPECT_EQ(ImageButton::DrawState(canvas.dc(), port, &lit, nullptr, -1, 2), kPlatformNoError);
  GraphicsPort::Dispose(port);
  // Rows alternate 0x77 and 0xDD from the device origin: the 0 bits are dark red.
  EXPECT_EQ(canvas.Row(2, RGB(0xC0, 0, 0)).substr(1, 14), "...#...#...#..");
  EXPECT_EQ(canvas.Row(3, RGB(0xC0, 0, 0)).substr(1, 14), ".#...#...#...#");
  EXPECT_EQ(canvas.Row(0, RGB(0, 0, 0)).substr(0, 16), std::string(16, '#'));
  // Inverted: the frame white, the pattern's white black and its red cyan.
  EXPECT_EQ(canvas.At(20, 0), RGB(255, 255, 255));
  EXPECT_EQ(canvas.At(21, 2), RGB(0, 0, 0));
  EXPECT_EQ(canvas.At(24, 2), RGB(0x3F, 0xFF, 0xFF));
}

}  // namespace
