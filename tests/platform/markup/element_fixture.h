// A page of built-in elements for the element tests: written with the scenario writer (markup and solid-colour
// pictures), opened through the page driver, with its elements found by NAME and the frame read back.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/controls.h"
#include "platform/markup/page_elements.h"
#include "tests/support/page_driver.h"
#include "tools/scenario_writer/picture_writer.h"

namespace element_test {

// A picture of one colour (0x00RRGGBB).
inline scenario_writer::PageFile Solid(const std::string& name, uint32_t colour, int width = 20, int height = 20) {
  scenario_writer::Canvas canvas(width, height,
                                 scenario_writer::Rgb{static_cast<uint8_t>(colour >> 16),
                                                      static_cast<uint8_t>(colour >> 8), static_cast<uint8_t>(colour)});
  return scenario_writer::PageFile{name, scenario_writer::EncodeBmp24(canvas)};
}

class ElementPage : public testing::Test {
 protected:
  // Opens "<INTERFACE ...>" + body + "</INTERFACE>" written into a page folder with the files.
  PlatformError Open(const std::string& body, const std::vector<scenario_writer::PageFile>& files = {},
                     const std::string& interface = "WIDTH=300 HEIGHT=200") {
    const PlatformError error =
        driver_.Open(driver_.WritePages("page", "<INTERFACE " + interface + ">" + body + "</INTERFACE>", files));
    driver_.Pump(2);
    return error;
  }

  InterfacePage* Page() const { return driver_.Page(); }

  // The element of the page (or of a child page) with that NAME; null when there is none.
  static InterfaceElement* Find(InterfacePage* page, const std::string& name, InterfacePage** owner = nullptr) {
    if (page == nullptr) return nullptr;
    for (InterfaceElement* element = page->sectionElements.elements; element != nullptr; element = element->next) {
      const char* own = GetMarkupAttribute(element->node, "NAME");
      if (own != nullptr && name == own && !element->removed) {
        if (owner != nullptr) *owner = page;
        return element;
      }
      intptr_t child = 0;
      if (std::string(element->node->name) == "FRAME") {
        InterfacePage::SendElementMessage(page, element, kElementGetValue, 0, reinterpret_cast<intptr_t>(&child));
        if (InterfaceElement* inner = Find(reinterpret_cast<InterfacePage*>(child), name, owner)) return inner;
      }
    }
    return nullptr;
  }
  InterfaceElement* Element(const std::string& name) const { return Find(Page(), name); }

  // A message to a named element, as the page sends it.
  PlatformError Send(const std::string& name, int32_t message, intptr_t parameter1 = 0, intptr_t parameter2 = 0) {
    InterfacePage* owner = nullptr;
    InterfaceElement* element = Find(Page(), name, &owner);
    if (element == nullptr) return kPlatformErrBadReference;
    return InterfacePage::SendElementMessage(owner, element, message, parameter1, parameter2);
  }
  intptr_t Value(const std::string& name) {
    intptr_t value = -99;
    Send(name, kElementGetValue, 0, reinterpret_cast<intptr_t>(&value));
    return value;
  }
  std::string Text(const std::string& name) {
    PlatformHandle* text = PlatformHandle::New(0);
    Send(name, kElementGetText, 0, reinterpret_cast<intptr_t>(text));
    std::string out(static_cast<const char*>(text->data), PlatformHandle::GetSize(text));
    PlatformHandle::Dispose(text);
    return out;
  }

  // The child window of an element (the one it claims among the page window's children); null for none.
  HWND WindowOf(const std::string& name) {
    struct Search {
      ElementPage* test;
      std::string name;
      HWND found;
    } search{this, name, nullptr};
    EnumChildWindows(
        driver_.Window(),
        [](HWND child, LPARAM data) {
          auto* s = reinterpret_cast<Search*>(data);
          uint8_t owns = 0;
          s->test->Send(s->name, kElementOwnsWindow, reinterpret_cast<intptr_t>(child),
                        reinterpret_cast<intptr_t>(&owns));
          if (owns) s->found = child;
          return owns ? FALSE : TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
  }

  // The callbacks heard since a mark, without the idle ones.
  std::vector<int32_t> CallsSince(size_t mark) const { return driver_.MessagesSince(mark); }
  std::string Section() const {
    return Page() != nullptr && Page()->currentSection != nullptr ? Page()->currentSection->name : "";
  }

  // The frame as last shown.
  HostFrame Frame() const {
    HostFrame frame;
    driver_.Frame(&frame);
    return frame;
  }
  static uint32_t At(const HostFrame& frame, int x, int y) {
    return frame.pixels[static_cast<size_t>(y) * static_cast<size_t>(frame.width) + static_cast<size_t>(x)];
  }

  // A press at one point, moves through others and a release at the last, all given before the page looks (as a
  // quick hand does: an element tracking the mouse takes them from the queue one by one).
  void Drag(const std::vector<POINT>& path) {
    HWND window = driver_.Window();
    HostTestMouseMove(window, path.front().x, path.front().y);
    HostTestMouseButton(window, 0, true, path.front().x, path.front().y);
    for (size_t i = 1; i < path.size(); ++i) {
      HostTestMouseMove(window, path[i].x, path[i].y);
      // Moves in a row merge into the last: a key between them keeps each.
      HostTestKey(VK_SHIFT, true);
      HostTestKey(VK_SHIFT, false);
    }
    HostTestMouseButton(window, 0, false, path.back().x, path.back().y);
    driver_.Pump();
  }

  PageDriver driver_;
};

}  // namespace element_test
