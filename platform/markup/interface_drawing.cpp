// Drawing pages: the background (the tiled BACKGROUND picture, else the page colour) and every element into the
// root page's offscreen world, which then goes to the window; and the services handlers use to have their page
// drawn again and to read their element's attributes and text.
#include "host/user.h"
#include "platform/graphics/graphics_port.h"
#include "platform/graphics/region.h"
#include "platform/markup/interface_state.h"

using interface_internal::PageCall;
using interface_internal::RootOf;
using interface_internal::State;

PlatformError InterfacePage::Redraw(InterfacePage* page, const Rect* rect, bool skipFlush) {
  if (!IsOpen(page)) return kPlatformErrBadData;
  PageCall call;
  InterfacePage* root = RootOf(page);
  PlatformWorld* world = root->offscreen;
  if (world == nullptr || root->drawingSuspended > 0) return kPlatformNoError;
  Rect area = page->area;
  if (rect != nullptr) Rect::Intersect(&area, rect, &page->area);
  if (Rect::IsEmpty(&area)) return kPlatformNoError;
  // The bracket first: a world whose window changed size is made anew here, with a port of its own, before the
  // port's clip and colours are set.
  PlatformError error = PlatformWorld::BeginDrawing(world, nullptr, nullptr, nullptr);
  if (error != kPlatformNoError) return error;
  // A child page draws inside its parent's drawing: the parent's clip comes back afterwards.
  HRGN savedClip = GraphicsPort::GetClipRegion(world);
  error = GraphicsPort::ClipToRect(world, &area);
  if (error == kPlatformNoError && page->backgroundPattern != nullptr) {
    error = GraphicsPort::TileWorld(world, &area, nullptr, page->backgroundPattern, nullptr, nullptr);
  } else if (error == kPlatformNoError) {
    const ColorRecord back = interface_internal::ColorOf(page->background);
    GraphicsPort::SetBackColor(world, &back);
    error = GraphicsPort::EraseRect(world, &area);
  }
  interface_internal::ForEachElement(page, [&](InterfaceElement* element) {
    Rect meets;
    Rect::Intersect(&meets, &element->rect, &area);
    if (!Rect::IsEmpty(&meets)) SendElementMessage(page, element, kElementDraw, reinterpret_cast<intptr_t>(&area), 0);
  });
  if (savedClip != nullptr) {
    GraphicsPort::SetClipRegion(world, savedClip);
    DisposeRegion(savedClip);
  } else {
    GraphicsPort::ResetState(world, false, false, false, true, false);
  }
  PlatformWorld::EndDrawing(world, nullptr);
  if (!skipFlush && error == kPlatformNoError) {
    error = PlatformWorld::FlushRectsToWindow(world, 1, &area);
    RECT box{area.left, area.top, area.right, area.bottom};
    ValidateRect(page->window, &box);
  }
  return error;
}

InterfacePage* InterfacePage::CurrentPage() { return State().currentPage; }

InterfaceElement* InterfacePage::CurrentElement() { return State().currentElement; }

bool InterfacePage::ElementsEnabled() {
  for (InterfacePage* page = State().currentPage; page != nullptr; page = page->parent) {
    if (!page->active || !page->enabled) return false;
  }
  return State().currentPage != nullptr;
}

int32_t InterfacePage::NotifyCurrentElement(int32_t message) {
  return interface_internal::Notify(State().currentPage, message, nullptr, State().currentElement);
}

PlatformError InterfacePage::RedrawCurrent(bool flush) {
  InterfacePage* page = State().currentPage;
  if (page == nullptr) return kPlatformErrBadData;
  return Redraw(RootOf(page), nullptr, !flush);
}

PlatformError InterfacePage::InvalidateElement(void*, const Rect* rect) {
  InterfacePage* page = State().currentPage;
  if (page == nullptr) return kPlatformErrBadData;
  return Redraw(RootOf(page), rect, false);
}

const char* InterfacePage::GetCurrentAttribute(const char* name, bool inherit) {
  InterfacePage* page = State().currentPage;
  InterfaceElement* element = State().currentElement;
  if (page == nullptr || element == nullptr) return nullptr;
  return GetInheritedAttribute(page->interface, element->node, nullptr, name, inherit);
}

int32_t InterfacePage::GetAlignment() {
  InterfacePage* page = State().currentPage;
  InterfaceElement* element = State().currentElement;
  if (page == nullptr || element == nullptr) return 0;
  const char* align = GetInheritedAttribute(page->interface, element->node, "CENTER", "ALIGN", true);
  if (align == nullptr) align = GetMarkupAttribute(page->interface, "ALIGN");
  return align != nullptr ? ParseMarkupAlign(align) : 0;
}

void InterfacePage::GetTextStyle(const char** face, int32_t* size, MarkupTextStyle* style, uint32_t* colour,
                                 const char** link) {
  InterfacePage* page = State().currentPage;
  InterfaceElement* element = State().currentElement;
  GetMarkupTextStyle(page != nullptr ? page->interface : nullptr, element != nullptr ? element->node : nullptr, face,
                     size, style, colour, link);
}

const char* InterfacePage::NextTextRun(const void* after, const char** face, int32_t* size, MarkupTextStyle* style,
                                       uint32_t* colour, const char** link) {
  InterfacePage* page = State().currentPage;
  InterfaceElement* element = State().currentElement;
  if (page == nullptr || element == nullptr || element->node->child == nullptr) return nullptr;
  MarkupNode* content = element->node->child;
  MarkupNode* from = after != nullptr ? FindMarkupNodeByData(content, after) : nullptr;
  if (after != nullptr && from == nullptr) return nullptr;
  MarkupNode* run = NextMarkupTextNode(content, from);
  if (run == nullptr) return nullptr;
  GetMarkupTextStyle(page->interface, run, face, size, style, colour, link);
  return MarkupNodeText(run);
}

MarkupNode* InterfacePage::NextContentNode(const MarkupNode* after, const char** face, int32_t* size,
                                           MarkupTextStyle* style, uint32_t* colour, const char** link) {
  InterfacePage* page = State().currentPage;
  InterfaceElement* element = State().currentElement;
  if (page == nullptr || element == nullptr) return nullptr;
  MarkupNode* content = element->node->child;
  MarkupNode* next = after != nullptr ? NextMarkupNode(content, const_cast<MarkupNode*>(after)) : content;
  if (next != nullptr) GetMarkupTextStyle(page->interface, next, face, size, style, colour, link);
  return next;
}
