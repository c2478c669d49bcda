// The page viewer's sample folder, opened as the viewer opens it: every kind of element stands, the link in the
// text box changes the section, Tab walks the focus through both pages, and typed text shows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/controls.h"
#include "platform/markup/page_elements.h"
#include "tests/support/page_driver.h"
#include "tools/page_viewer/sample_folder.h"

namespace {

class SamplePages : public testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(WriteSamplePages(driver_.Folder().PosixPath("Sample"), &error)) << error;
    ASSERT_EQ(driver_.Open(driver_.PathOf("Sample")), kPlatformNoError);
    driver_.Pump(2);
  }

  // Pixels of the shown frame within a rectangle that are nearly black.
  int DarkPixels(int left, int top, int right, int bottom) const {
    HostFrame frame;
    if (!driver_.Frame(&frame)) return 0;
    int count = 0;
    for (int y = top; y < bottom && y < frame.height; ++y) {
      for (int x = left; x < right && x < frame.width; ++x) {
        count += (frame.pixels[static_cast<size_t>(y) * frame.width + x] & 0xE0E0E0) == 0 ? 1 : 0;
      }
    }
    return count;
  }

  PageDriver driver_;
};

TEST_F(SamplePages, EveryKindOfElementStands) {
  InterfacePage* page = driver_.Page();
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(InterfacePage::GetElementCount(page), 13);
  ASSERT_NE(page->currentSection, nullptr);
  EXPECT_STREQ(page->currentSection->name, "index");
  // Each element made what its kind makes: the frame a page of its own with five elements.
  InterfacePage* inner = nullptr;
  for (InterfaceElement* element = page->sectionElements.elements; element != nullptr; element = element->next) {
    intptr_t value = 0;
    if (std::string(element->node->name) == "FRAME") {
      InterfacePage::SendElementMessage(page, element, kElementGetValue, 0, reinterpret_cast<intptr_t>(&value));
      inner = reinterpret_cast<InterfacePage*>(value);
    }
  }
  ASSERT_NE(inner, nullptr);
  EXPECT_EQ(InterfacePage::GetElementCount(inner), 5);
  EXPECT_EQ(driver_.Messages().front(), kPageAttached);
}

TEST_F(SamplePages, TheLinkChangesTheSectionAndTheKeysWalkTheFocusAndType) {
  // Tab walks the pop-up, the field, and the frame's field and pop-up, round again.
  std::vector<HWND> walked;
  for (int i = 0; i < 5; ++i) {
    driver_.Key(VK_TAB);
    walked.push_back(GetFocus());
  }
  ASSERT_EQ(walked.size(), 5u);
  EXPECT_EQ(walked[4], walked[0]);
  for (size_t i = 0; i + 1 < 4; ++i) EXPECT_NE(walked[i], walked[i + 1]);
  // The page's own field (the first stop) takes typing, and its text shows.
  HWND field = walked[0];
  SendMessageA(field, EM_SETSEL, 0, -1);
  const int before = DarkPixels(162, 88, 462, 112);
  for (int i = 0; i < 6; ++i) driver_.Key('W', "W");
  char text[64];
  GetWindowTextA(field, text, sizeof text);
  EXPECT_STREQ(text, "WWWWWW");
  EXPECT_GT(DarkPixels(162, 88, 462, 112), before);
  // The link: a press and release on its first letter shows the second section.
  InterfacePage* page = driver_.Page();
  for (InterfaceElement* element = page->sectionElements.elements; element != nullptr; element = element->next) {
    auto* box = static_cast<TextBoxElement::Data*>(element->instanceData->data);
    if (std::string(element->node->name) != "TEXTBOX" || box->editable || box->links == nullptr) continue;
    const TextBoxLink& link = *static_cast<TextBoxLink*>(box->links->data);
    const POINT at = GetRichEditCharPosition(box->control, link.start + 1, box->rich20 != 0);
    driver_.Click(box->rect.left + at.x + 2, box->rect.top + at.y + 4);
    break;
  }
  ASSERT_NE(driver_.Page(), nullptr);
  ASSERT_NE(driver_.Page()->currentSection, nullptr);
  EXPECT_STREQ(driver_.Page()->currentSection->name, "more");
}

}  // namespace
