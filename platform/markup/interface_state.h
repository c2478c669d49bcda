// The facility's shared state and the helpers its sources share: the open pages, the global tags and parameters,
// the current page and element, and the page-call bracket that keeps pages and elements alive while any page
// call runs. Internal to platform/markup.
#pragma once

#include <cstdint>
#include <vector>

#include "host/types.h"
#include "platform/graphics/color.h"
#include "platform/markup/interface_page.h"

namespace interface_internal {

struct Globals {
  InterfacePage* pages = nullptr;   // open pages, newest first
  InterfaceTagHandler* tags = nullptr;
  Dictionary* parameters = nullptr;
  InterfacePage* currentPage = nullptr;
  InterfaceElement* currentElement = nullptr;
  int32_t lastCursorId = -1;
  HCURSOR customCursor = nullptr;
  bool initialized = false;
  int32_t callDepth = 0;      // page calls running
  int32_t tearingDown = 0;    // pages being closed for good
  std::vector<InterfaceElement*> removedElements;  // freed when the outermost page call returns
};

Globals& State();

// Brackets every page call that may run a handler, a callback or a message loop: a page closed meanwhile closes,
// and an element removed meanwhile is freed, when the outermost call returns, so nothing freed is touched.
class PageCall {
 public:
  PageCall() { ++State().callDepth; }
  ~PageCall();
  PageCall(const PageCall&) = delete;
  PageCall& operator=(const PageCall&) = delete;
};

// Closes a page now: its section, its window when it owns one, and every record.
void ClosePageNow(InterfacePage* page);

InterfacePage* RootOf(InterfacePage* page);

// The callback of the page, with the section (the current one when null) and the element; 0 without callback.
// The current page and element are cleared while it runs.
int32_t Notify(InterfacePage* page, int32_t message, InterfaceSection* section, InterfaceElement* element);

// The position of an element in its page's section (-1 when not there), and the element at a position.
int32_t IndexOf(InterfacePage* page, InterfaceElement* element);
InterfaceElement* ElementAt(InterfacePage* page, int32_t n);

// Drawing is clipped away between these (they nest); invalidated parts are painted once it is back.
void SuspendDrawing(InterfacePage* page);
void ResumeDrawing(InterfacePage* page);
// Marks a part of the page's window for repainting.
void InvalidateArea(InterfacePage* page, const Rect& rect);

// The page and element of the page's tree that own a child window (asking each element, and a FRAME's child
// page in turn); false when none does.
bool FindWindowOwner(InterfacePage* page, HWND window, InterfacePage** owner, InterfaceElement** element);
// The child page an element shows (a FRAME answers it as its value), or null.
InterfacePage* ChildPageOf(InterfacePage* page, InterfaceElement* element);

inline ColorRecord ColorOf(uint32_t word) {
  return ColorRecord{static_cast<uint8_t>(word), static_cast<uint8_t>(word >> 8), static_cast<uint8_t>(word >> 16),
                     static_cast<uint8_t>(word >> 24)};
}
inline COLORREF ColorRefOf(uint32_t word) {
  ColorRecord colour = ColorOf(word);
  return ColorRecord::GetColorRef(&colour);
}

// Frees the image cache of a root page with its worlds.
void FreeImageCache(InterfacePage* page);

// A page's section elements that are still live, in order.
template <typename Visit>
void ForEachElement(InterfacePage* page, Visit visit) {
  for (InterfaceElement* element = page->sectionElements.elements; element != nullptr;) {
    InterfaceElement* next = element->next;
    if (!element->removed) visit(element);
    element = next;
  }
}

}  // namespace interface_internal
