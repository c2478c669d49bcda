// Pages as an opener sees them: opening files and folders and what fails, the layout and the window's title,
// the background, sections and the callback, links, parameters, preloads and closing from a child page.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "host/testing_sound.h"
#include "host/user.h"
#include "markup_dump.h"
#include "test_elements.h"
#include "tests/support/page_driver.h"
#include "tools/scenario_writer/picture_writer.h"

namespace {

using page_test::MessagesOf;
using scenario_writer::Bytes;
using scenario_writer::Canvas;
using scenario_writer::PageFile;
using scenario_writer::Rgb;

class Pages : public testing::Test {
 protected:
  void SetUp() override { page_test::RegisterTestTags(); }

  std::string WindowText() const {
    char text[600] = "";
    GetWindowTextA(driver_.Window(), text, sizeof text);
    return text;
  }

  int32_t Count(int32_t message) const {
    auto messages = driver_.Messages();
    return static_cast<int32_t>(std::count(messages.begin(), messages.end(), message));
  }

  PageDriver driver_;
};

// A 4 x 2 tile: red, green, blue and white on the top row, black below.
Bytes Tile() {
  Canvas canvas(4, 2, Rgb{0, 0, 0});
  canvas.Set(0, 0, Rgb{255, 0, 0});
  canvas.Set(1, 0, Rgb{0, 255, 0});
  canvas.Set(2, 0, Rgb{0, 0, 255});
  canvas.Set(3, 0, Rgb{255, 255, 255});
  return scenario_writer::EncodeBmp24(canvas);
}

TEST_F(Pages, OpeningFailsCleanlyAndLeavesThePageEmpty) {
  std::filesystem::create_directories(driver_.Folder().PosixPath("empty"));
  EXPECT_EQ(driver_.Open(driver_.PathOf("empty")), kInterfaceErrNoIndex);
  ASSERT_TRUE(driver_.IsOpen());
  EXPECT_EQ(driver_.Page()->document, nullptr);
  EXPECT_EQ(InterfacePage::GetElementCount(driver_.Page()), 0);

  driver_.WritePages("plain", "<PAGE NAME=a><TEST NAME=t/></PAGE>");
  EXPECT_EQ(driver_.Open(driver_.PathOf("plain")), kInterfaceErrNoInterface);
  EXPECT_EQ(InterfacePage::GetElementCount(driver_.Page()), 0);
  EXPECT_EQ(driver_.Open(driver_.PathOf("absent.iml")), kPlatformErrFileNotFound);

  std::string text = "<INTERFACE><PAGE><TEST NAME=t/></PAGE></INTERFACE>";
  text.resize(204800, ' ');
  driver_.Folder().WriteFile("limit.iml", text);
  EXPECT_EQ(driver_.Open(driver_.PathOf("limit.iml")), kPlatformNoError);
  EXPECT_EQ(InterfacePage::GetElementCount(driver_.Page()), 1);
  driver_.Folder().WriteFile("over.iml", text + " ");  // 204801 bytes: refused by the read
  EXPECT_EQ(driver_.Open(driver_.PathOf("over.iml")), kPlatformErrNoMemory);
  EXPECT_EQ(InterfacePage::GetElementCount(driver_.Page()), 0);
}

TEST_F(Pages, LayoutTitleAndTiledBackground) {
  const std::string folder = driver_.WritePages(
      "help",
      "<INTERFACE TITLE=Help WIDTH=500 BACKGROUND=tile.bmp>"
      "<PAGE NAME=index TITLE=Index></PAGE><PAGE NAME=plain></PAGE></INTERFACE>",
      {PageFile{"tile.bmp", Tile()}});
  ASSERT_EQ(driver_.Open(folder), kPlatformNoError);
  InterfacePage* page = driver_.Page();
  const Rect expected{0, 0, 500, 300};
  EXPECT_TRUE(Rect::Equal(&page->layoutRect, &expected));
  RECT client;
  GetClientRect(driver_.Window(), &client);
  EXPECT_EQ(client.right, 500);
  EXPECT_EQ(client.bottom, 300);
  EXPECT_EQ(WindowText(), "Help / Index");
  // The tile repeats from the top-left corner across the whole page.
  EXPECT_EQ(driver_.PixelAt(0, 0), 0x00FF0000u);
  EXPECT_EQ(driver_.PixelAt(1, 0), 0x0000FF00u);
  EXPECT_EQ(driver_.PixelAt(2, 0), 0x000000FFu);
  EXPECT_EQ(driver_.PixelAt(3, 0), 0x00FFFFFFu);
  EXPECT_EQ(driver_.PixelAt(0, 1), 0x00000000u);
  EXPECT_EQ(driver_.PixelAt(401, 298), 0x0000FF00u);
  EXPECT_EQ(driver_.PixelAt(499, 299), 0x00000000u);
  ASSERT_EQ(InterfacePage::ShowSectionByName(page, "plain"), kPlatformNoError);
  driver_.Pump();
  EXPECT_EQ(WindowText(), "Help");
}

TEST_F(Pages, MissingBackgroundShowsThePageColourAndSectionTitleStandsAlone) {
  const std::string folder = driver_.WritePages(
      "colour", "<INTERFACE BGCOLOR=#102030 BACKGROUND=none.bmp RECT=0,0,120,80><PAGE TITLE=Only/></INTERFACE>");
  ASSERT_EQ(driver_.Open(folder), kPlatformNoError);
  EXPECT_EQ(driver_.PixelAt(60, 40), 0x00102030u);
  EXPECT_EQ(WindowText(), "Only");
  RECT client;
  GetClientRect(driver_.Window(), &client);
  EXPECT_EQ(client.right, 120);
}

TEST_F(Pages, AnotherFileOpenedByTheOpenerBringsItsOwnLayout) {
  ASSERT_EQ(driver_.Open(driver_.WritePages("wide", "<INTERFACE WIDTH=500 HEIGHT=100><PAGE/></INTERFACE>")),
            kPlatformNoError);
  ASSERT_EQ(driver_.Open(driver_.WritePages("narrow", "<INTERFACE RECT=0,0,200,150><PAGE/></INTERFACE>")),
            kPlatformNoError);
  RECT client;
  GetClientRect(driver_.Window(), &client);
  EXPECT_EQ(client.right, 200);
  EXPECT_EQ(client.bottom, 150);
  EXPECT_TRUE(IsWindowVisible(driver_.Window()));
  EXPECT_EQ(driver_.Page()->area.right, 200);
}

TEST_F(Pages, SectionsAndTheCallback) {
  const std::string folder = driver_.WritePages(
      "sections", "<INTERFACE><PAGE NAME=a><TEST NAME=x/></PAGE><PAGE NAME=b><TEST NAME=y/></PAGE></INTERFACE>");
  // The very first open of the page leaves its (empty) section first: message 5 may refuse it too.
  driver_.answers[kPageSectionLeaving] = kInterfaceRefused;
  ASSERT_EQ(driver_.Open(folder), kPlatformNoError);
  EXPECT_EQ(driver_.Page()->document, nullptr);
  EXPECT_EQ(driver_.Messages(), (std::vector<int32_t>{kPageAttached, kPageSectionLeaving}));
  driver_.answers.clear();
  driver_.calls.clear();

  ASSERT_EQ(driver_.Open(folder, "nope"), kPlatformNoError);  // no such section: nothing shown, no message 2
  EXPECT_EQ(driver_.Page()->currentSection, nullptr);
  EXPECT_EQ(InterfacePage::GetElementCount(driver_.Page()), 0);
  EXPECT_EQ(driver_.Messages(), (std::vector<int32_t>{kPageSectionLeaving}));

  ASSERT_EQ(driver_.Open(folder), kPlatformNoError);  // the first section
  EXPECT_STREQ(driver_.Page()->currentSection->name, "a");
  ASSERT_FALSE(driver_.calls.empty());
  EXPECT_EQ(driver_.calls.back().message, kPageSectionShown);
  EXPECT_EQ(driver_.calls.back().section, "a");

  size_t mark = driver_.calls.size();
  ASSERT_EQ(InterfacePage::ShowSectionByName(driver_.Page(), "b"), kPlatformNoError);
  EXPECT_EQ(driver_.MessagesSince(mark), (std::vector<int32_t>{kPageSectionLeaving, kPageSectionShown}));
  EXPECT_EQ(page_test::First(MessagesOf("x"), 6), page_test::CreateOrder());
  EXPECT_EQ(page_test::Last(MessagesOf("x"), 2), page_test::RemoveOrder());

  driver_.answers[kPageSectionLeaving] = kInterfaceRefused;
  mark = driver_.calls.size();
  EXPECT_EQ(InterfacePage::ShowSectionByName(driver_.Page(), "a"), kPlatformNoError);
  EXPECT_EQ(driver_.MessagesSince(mark), (std::vector<int32_t>{kPageSectionLeaving}));
  EXPECT_STREQ(driver_.Page()->currentSection->name, "b");
  EXPECT_EQ(driver_.Open(folder, "a"), kPlatformNoError);  // refused as well
  EXPECT_STREQ(driver_.Page()->currentSection->name, "b");

  driver_.answers.clear();
  driver_.answers[kPageSectionShown] = 5;  // a callback that fails the showing
  EXPECT_EQ(InterfacePage::ShowSectionByName(driver_.Page(), "a"), 5);
  EXPECT_EQ(driver_.Page()->currentSection, nullptr);
  EXPECT_EQ(InterfacePage::GetElementCount(driver_.Page()), 0);

  driver_.answers.clear();
  mark = driver_.calls.size();
  HWND window = driver_.Window();
  InterfacePage::Close(driver_.Page());
  EXPECT_EQ(driver_.MessagesSince(mark), (std::vector<int32_t>{kPageSectionLeaving, kPageClosing}));
  EXPECT_FALSE(IsWindow(window));  // the page owned its window
}

TEST_F(Pages, LinksOpenFilesSectionsAndAddresses) {
  driver_.WritePages("links", "<INTERFACE><PAGE NAME=one><TEST NAME=here/></PAGE><PAGE NAME=two/></INTERFACE>");
  driver_.Folder().WriteFile("links/other.iml", "<INTERFACE><PAGE NAME=first/><PAGE NAME=two/></INTERFACE>");
  const struct {
    const char* href;
    const char* file;     // the page's file afterwards
    const char* section;  // its section afterwards, null for none
    const char* address;  // what went to the desktop, null for nothing
    bool beeps;
  } kCases[] = {
      {"other.iml#two", "other.iml", "two", nullptr, false},
      {"other.iml#", "other.iml", "first", nullptr, false},
      {"other.iml", "other.iml", "first", nullptr, false},
      {"#two", "index.iml", "two", nullptr, false},
      {"#", "index.iml", nullptr, nullptr, false},
      {"http://example.com/a b", "index.iml", "one", "http://example.com/a%20b", false},
      {"mailto:someone@example.com", "index.iml", "one", "mailto:someone@example.com", false},
      {"ftp://example.com/file", "index.iml", "one", nullptr, true},  // only http, https and mailto leave
  };
  HostTestCaptureAddresses(true);
  for (const auto& c : kCases) {
    driver_.WritePages("links", std::string("<INTERFACE><PAGE NAME=one><TEST NAME=go KEYS=G HREF=\"") + c.href +
                                    "\"/></PAGE><PAGE NAME=two/></INTERFACE>");
    ASSERT_EQ(driver_.Open(driver_.PathOf("links")), kPlatformNoError) << c.href;
    HostTestClearOpenedAddresses();
    HostTestClearBeeps();
    driver_.Key('G', "g");
    InterfacePage* page = driver_.Page();
    EXPECT_STREQ(page->fileName, c.file) << c.href;
    if (c.section == nullptr) {
      EXPECT_EQ(page->currentSection, nullptr) << c.href;
    } else {
      ASSERT_NE(page->currentSection, nullptr) << c.href;
      EXPECT_STREQ(page->currentSection->name, c.section) << c.href;
    }
    std::vector<std::string> opened = HostTestOpenedAddresses();
    EXPECT_EQ(opened, c.address == nullptr ? std::vector<std::string>{} : std::vector<std::string>{c.address})
        << c.href;
    EXPECT_EQ(!HostTestBeeps().empty(), c.beeps) << c.href;
  }
  HostTestCaptureAddresses(false);

  char file[256], section[256];
  bool hasFile = false, hasSection = false;
  EXPECT_EQ(InterfacePage::ResolveLink("a.iml#x://y", file, section, &hasFile, &hasSection), kInterfaceErrWindowClass);
  EXPECT_EQ(InterfacePage::ResolveLink("dir/a.iml#s", file, section, &hasFile, &hasSection), kPlatformNoError);
  EXPECT_STREQ(file, "dir/a.iml");
  EXPECT_STREQ(section, "s");
}

TEST_F(Pages, ScriptsBeepAndAnOpenerMayCancelAnAction) {
  const std::string folder = driver_.WritePages(
      "script", "<INTERFACE><PAGE><TEST NAME=b KEYS=B SCRIPT=\"beep()\"/><TEST NAME=h KEYS=H HREF=#x/></PAGE>"
                "<PAGE NAME=x/></INTERFACE>");
  ASSERT_EQ(driver_.Open(folder), kPlatformNoError);
  HostTestClearBeeps();
  driver_.Key('B', "b");
  EXPECT_EQ(HostTestBeeps(), (std::vector<UINT>{0}));
  driver_.answers[kPageElementActivated] = 1;
  driver_.Key('H', "h");
  EXPECT_EQ(driver_.calls.back().message, kPageElementActivated);
  EXPECT_EQ(driver_.calls.back().name, "h");
  EXPECT_STREQ(driver_.Page()->currentSection->name, "");  // cancelled: still the first section
}

TEST_F(Pages, ParametersTakePageThenGlobalValuesNestedAndBoundedInDepth) {
  std::string markup = "<INTERFACE><PAGE><PARAM NAME=a>default a</PARAM><PARAMETER NAME=b>default b</PARAMETER>"
                       "<PARAM NAME=self>keep</PARAM><PARAM NAME=d1></PARAM><PARAM NAME=unset><TEST NAME=kept/></PARAM>"
                       "</PAGE></INTERFACE>";
  const std::string folder = driver_.WritePages("params", markup);
  ASSERT_EQ(driver_.Open(folder), kPlatformNoError);  // the page exists; its values come next
  Dictionary* variables = NewDictionary(0);
  auto put = [](Dictionary* table, const char* key, const std::string& value) {
    DictionaryInsertParam(table, key, value.data(), static_cast<uint32_t>(value.size()));
  };
  put(variables, "a", "<TEST NAME=fromA/><PARAM NAME=inner>x</PARAM>");
  put(variables, "inner", "<TEST NAME=fromInner/>");
  put(variables, "self", "<PARAM NAME=self>again</PARAM>");
  for (int i = 1; i < 12; ++i) {
    put(variables, ("d" + std::to_string(i)).c_str(),
        i == 11 ? "<TEST NAME=deep/>" : "<TEST NAME=level" + std::to_string(i) + "/><PARAM NAME=d" + std::to_string(i + 1) + "/>");
  }
  Dictionary* global = NewDictionary(0);
  put(global, "a", "<TEST NAME=global/>");
  put(global, "b", "<TEST NAME=fromB/>");
  InterfacePage::SetVariables(driver_.Page(), variables);
  InterfaceSystem::SetGlobalParameters(global);
  page_test::Log().clear();
  ASSERT_EQ(driver_.Open(folder), kPlatformNoError);
  for (const char* made : {"fromA", "fromInner", "fromB", "kept", "level1", "level8"}) {
    EXPECT_FALSE(MessagesOf(made).empty()) << made;
  }
  for (const char* absent : {"global", "level9", "deep"}) EXPECT_TRUE(MessagesOf(absent).empty()) << absent;
  // The value of "self" brings "self" back: that one keeps its own content.
  MarkupNode* self = nullptr;
  for (MarkupNode* at = driver_.Page()->document; at != nullptr; at = NextMarkupNode(driver_.Page()->document, at)) {
    const char* name = GetMarkupAttribute(at, "NAME");
    if (name != nullptr && std::string(name) == "self" && at->parent != nullptr && at->parent->kind == kMarkupElement &&
        std::string(at->parent->name) == "PARAM") {
      self = at;
    }
  }
  ASSERT_NE(self, nullptr);
  EXPECT_STREQ(MarkupNodeText(self->child), "again");
}

TEST_F(Pages, ParameterTextReplacesItsContentAndItsElements) {
  const std::string folder =
      driver_.WritePages("replace", "<INTERFACE><PAGE><TEST NAME=before/><PARAM NAME=p><TEST NAME=old/></PARAM>"
                                    "<PARAM NAME=q/></PAGE></INTERFACE>");
  ASSERT_EQ(driver_.Open(folder), kPlatformNoError);
  EXPECT_EQ(InterfacePage::GetElementCount(driver_.Page()), 2);
  EXPECT_EQ(InterfacePage::SetParameterText(driver_.Page(), 2, "x"), kPlatformErrBadReference);
  EXPECT_EQ(InterfacePage::SetParameterText(driver_.Page(), -1, "x"), kPlatformErrBadReference);
  ASSERT_EQ(InterfacePage::SetParameterText(driver_.Page(), 0, "<TEST NAME=new1/><TEST NAME=new2/>"), kPlatformNoError);
  EXPECT_EQ(page_test::Last(MessagesOf("old"), 2), page_test::RemoveOrder());
  EXPECT_EQ(InterfacePage::GetElementCount(driver_.Page()), 3);
  EXPECT_EQ(page_test::First(MessagesOf("new2"), 6), page_test::CreateOrder());
  ASSERT_EQ(InterfacePage::SetParameterText(driver_.Page(), 1, "text &amp; only"), kPlatformNoError);
  MarkupNode* q = FindMarkupElement(driver_.Page()->document, nullptr, "PARAM", false);
  while (q != nullptr && std::string(GetMarkupAttribute(q, "NAME")) != "q") {
    q = FindMarkupElement(driver_.Page()->document, q, "PARAM", false);
  }
  ASSERT_NE(q, nullptr);
  EXPECT_STREQ(MarkupNodeText(q->child), "text & only");
  markup_test::ExpectConsistent(driver_.Page()->document);
}

TEST_F(Pages, PreloadsLoadOnePictureEachIdleStepAtMostEvery500Milliseconds) {
  const std::string folder = driver_.WritePages(
      "preload",
      "<INTERFACE><PAGE><PRELOAD IMG SRC=a.bmp/><PRELOAD IMAGE SRC=a.bmp/><PRELOAD IMG SRC=b.bmp/>"
      "<PRELOAD IMG SRC=missing.bmp/><PRELOAD SRC=c.bmp/><PRELOAD IMG SRC=''/>"
      "<PRELOAD IMG SRC=nested.bmp><PRELOAD IMG SRC=inner.bmp/></PRELOAD></PAGE></INTERFACE>",
      {PageFile{"a.bmp", Tile()}, PageFile{"b.bmp", Tile()}, PageFile{"c.bmp", Tile()}});
  auto pending = [&] {
    std::vector<std::string> names;
    for (InterfacePreloadEntry* entry = driver_.Page()->imageCache; entry != nullptr; entry = entry->next) {
      if (entry->pending) names.push_back(entry->fileName);
    }
    return names;
  };
  auto cached = [&] {
    int count = 0;
    for (InterfacePreloadEntry* entry = driver_.Page()->imageCache; entry != nullptr; entry = entry->next) ++count;
    return count;
  };
  driver_.Advance(1000);
  ASSERT_EQ(driver_.Open(folder), kPlatformNoError);  // opening runs one idle pass: "a.bmp" loads
  EXPECT_EQ(cached(), 4);  // a, b, missing and nested: one entry per name; c names no picture kind
  EXPECT_EQ(pending(), (std::vector<std::string>{"b.bmp", "missing.bmp", "nested.bmp"}));
  driver_.Pump(3);
  driver_.Advance(499);
  driver_.Pump();
  EXPECT_EQ(pending().size(), 3u);
  driver_.Advance(1);
  driver_.Pump(2);
  EXPECT_EQ(pending(), (std::vector<std::string>{"missing.bmp", "nested.bmp"}));
  driver_.Advance(500);
  driver_.Pump();
  EXPECT_EQ(pending(), (std::vector<std::string>{"nested.bmp"}));  // a missing picture is no error: it has none
  EXPECT_NE(driver_.Page()->imageCache->world, nullptr);
  EXPECT_EQ(driver_.Page()->imageCache->next->next->world, nullptr);
}

TEST_F(Pages, ElementsGetPicturesFromTheRootPagesCache) {
  const std::string folder = driver_.WritePages(
      "pictures", "<INTERFACE WIDTH=100 HEIGHT=100><PAGE><TEST NAME=a PICTURE=tile.bmp RECT=0,0,10,10/>"
                  "<TEST NAME=b PICTURE=gone.bmp RECT=10,0,20,10/><TEST NAME=c PICTURE=tile.bmp RECT=20,0,30,10/>"
                  "</PAGE></INTERFACE>",
      {PageFile{"tile.bmp", Tile()}});
  ASSERT_EQ(driver_.Open(folder), kPlatformNoError);
  const auto& answers = page_test::Pictures();
  ASSERT_GE(answers.size(), 3u);
  EXPECT_EQ(answers[0].error, kPlatformNoError);
  ASSERT_NE(answers[0].world, nullptr);
  Rect bounds;
  PlatformWorld::GetBounds(answers[0].world, &bounds);
  EXPECT_EQ(bounds.right, 4);
  EXPECT_EQ(answers[1].error, kPlatformErrFileNotFound);  // no picture: the element draws none
  EXPECT_EQ(answers[2].world, answers[0].world);          // one picture per name
  int entries = 0;
  for (InterfacePreloadEntry* entry = driver_.Page()->imageCache; entry != nullptr; entry = entry->next) ++entries;
  EXPECT_EQ(entries, 2);
}

TEST_F(Pages, QuitOnAChildPageClosesTheRootWithTheElementsName) {
  const std::string folder = driver_.WritePages(
      "quit", "<INTERFACE WIDTH=300 HEIGHT=200><PAGE NAME=main><TESTFRAME NAME=frame RECT=0,0,200,100 SRC=#inner/>"
              "</PAGE><PAGE NAME=inner><TEST NAME=ok SCRIPT=\"Quit();\" ACTIVATE RECT=10,10,50,50/></PAGE>"
              "</INTERFACE>");
  ASSERT_EQ(driver_.Open(folder), kPlatformNoError);
  HWND window = driver_.Window();
  driver_.Click(20, 20);
  EXPECT_FALSE(driver_.IsOpen());
  EXPECT_FALSE(IsWindow(window));
  EXPECT_STREQ(driver_.Result(), "ok");
  EXPECT_EQ(Count(kPageElementActivated), 1);  // activated once, by the root page
  EXPECT_EQ(MessagesOf("ok").back(), kElementDispose);
}

TEST_F(Pages, AnOpenerMayCloseThePageFromItsCallback) {
  const std::string folder = driver_.WritePages(
      "closing", "<INTERFACE><PAGE NAME=a><TEST NAME=x/></PAGE><PAGE NAME=b><TEST NAME=y/></PAGE></INTERFACE>");
  ASSERT_EQ(driver_.Open(folder), kPlatformNoError);
  InterfacePage* page = driver_.Page();
  int closings = 0;
  driver_.react = [&](int32_t message) {
    if (message == kPageSectionShown || message == kPageClosing) InterfacePage::Close(page);
    if (message == kPageClosing) ++closings;
  };
  // Asked while the section is being shown, the close waits until the showing is done.
  EXPECT_EQ(InterfacePage::ShowSectionByName(page, "b"), kPlatformNoError);
  EXPECT_FALSE(driver_.IsOpen());
  EXPECT_EQ(closings, 1);
  EXPECT_EQ(page_test::Last(MessagesOf("y"), 2), page_test::RemoveOrder());
}

TEST_F(Pages, ElementCallsByPosition) {
  const std::string folder =
      driver_.WritePages("calls", "<INTERFACE><PAGE><TEST NAME=a RECT=10,10,20,20/><TEST NAME=b RECT=30,30,40,40/>"
                                  "</PAGE></INTERFACE>");
  ASSERT_EQ(driver_.Open(folder), kPlatformNoError);
  InterfacePage* page = driver_.Page();
  Rect rect;
  EXPECT_EQ(InterfacePage::GetElementRect(page, -1, &rect), kPlatformErrListFull);
  EXPECT_EQ(InterfacePage::GetElementRect(page, 2, &rect), kPlatformErrBadReference);
  ASSERT_EQ(InterfacePage::GetElementRect(page, 1, &rect), kPlatformNoError);
  const Rect b{30, 30, 40, 40};
  EXPECT_TRUE(Rect::Equal(&rect, &b));
  page_test::Log().clear();
  const Rect moved{5, 5, 15, 15};
  ASSERT_EQ(InterfacePage::SetElementRect(page, 0, &moved), kPlatformNoError);
  EXPECT_EQ(MessagesOf("a"), (std::vector<int32_t>{kElementSetRect}));
  InterfacePage::GetElementRect(page, 0, &rect);
  EXPECT_TRUE(Rect::Equal(&rect, &moved));
  page_test::Log().clear();
  ASSERT_EQ(InterfacePage::SetElementEnabled(page, 1, false), kPlatformNoError);
  EXPECT_EQ(MessagesOf("b"), (std::vector<int32_t>{kElementSetEnabled, kElementFillFocusOrder, kElementFillFocusOrder}));
  uint8_t enabled = 1;
  EXPECT_EQ(InterfacePage::GetElementEnabled(page, 1, &enabled), kPlatformNoError);
  EXPECT_EQ(enabled, 0);
  const Rect area{0, 0, 400, 300}, shifted{10, 0, 410, 300};
  ASSERT_EQ(InterfacePage::MoveTo(page, &shifted), kPlatformNoError);
  InterfacePage::GetElementRect(page, 1, &rect);
  EXPECT_EQ(rect.left, 40);
  InterfacePage::MoveTo(page, &area);
  page_test::Log().clear();
  ASSERT_EQ(InterfacePage::SetActive(page, false, true), kPlatformNoError);
  EXPECT_EQ(MessagesOf("a").front(), kElementGetEnabled);
  EXPECT_EQ(page->active, 0);
}

}  // namespace
