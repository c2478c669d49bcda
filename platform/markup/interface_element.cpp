// Live elements: the dispatcher that delivers element messages to handlers, and making and removing elements.
#include <cstring>

#include "host/gdi.h"
#include "host/user.h"
#include "platform/core/strings.h"
#include "platform/markup/interface_state.h"

using interface_internal::PageCall;
using interface_internal::RootOf;
using interface_internal::State;

namespace {

bool IsGatedByLive(int32_t message) { return message >= kElementOwnsWindow && message <= kElementFillFocusOrder; }

// Messages after which the live byte is not asked again.
bool KeepsLiveByte(int32_t message) {
  return message == kElementDispose || message == kElementOwnsWindow || message == kElementHitTest ||
         message == kElementGetVisible;
}

void FreeElement(InterfaceElement* element) {
  element->removed = 1;
  if (State().callDepth > 0) {
    State().removedElements.push_back(element);
  } else {
    PlatformDisposePointer(element);
  }
}

}  // namespace

PlatformError InterfacePage::SendElementMessage(InterfacePage* page, InterfaceElement* element, int32_t message,
                                                intptr_t parameter1, intptr_t parameter2) {
  if (page == nullptr || element == nullptr || element->removed) return kPlatformNoError;
  if (IsGatedByLive(message) && !element->live) return kPlatformNoError;
  if (element->handler == nullptr) return kPlatformNoError;
  PageCall call;
  InterfacePage* root = RootOf(page);
  HDC dc = nullptr;
  int saved = 0;
  bool ownDc = false;
  // Drawing goes into the root page's offscreen world, a child page's elements' drawing too: drawn on the window
  // instead, it would be painted over as soon as the root page puts its world on the window.
  if (message == kElementDraw && root->offscreen != nullptr) {
    dc = PlatformWorld::GetPortDC(root->offscreen);
  } else {
    dc = GetDC(page->window);
    if (dc != nullptr) {
      ownDc = true;
      saved = SaveDC(dc);
      SetTextColor(dc, interface_internal::ColorRefOf(page->foreground));
      SetBkColor(dc, interface_internal::ColorRefOf(page->background));
    } else if (message != kElementDetach && message != kElementDispose) {
      return kPlatformErrNoMemory;  // an element is always taken down, even once its window has gone
    }
  }
  interface_internal::Globals& globals = State();
  InterfacePage* savedPage = globals.currentPage;
  InterfaceElement* savedElement = globals.currentElement;
  globals.currentPage = page;
  globals.currentElement = element;
  PlatformError result =
      element->handler(page->window, dc, element->node, element->instanceData, message, parameter1, parameter2);
  // The live byte follows what the handler answers to "visible?". The first answer is the result: taking the
  // second one's would turn every failure of messages 0, 1, 65, 67 and 69 into success, and an element that
  // could not be made would stay.
  if (!KeepsLiveByte(message) && !element->removed) {
    element->handler(page->window, dc, element->node, element->instanceData, kElementGetVisible, 0,
                     reinterpret_cast<intptr_t>(&element->live));
  }
  globals.currentPage = savedPage;
  globals.currentElement = savedElement;
  if (ownDc) {
    RestoreDC(dc, saved);
    ReleaseDC(page->window, dc);
  }
  return result;
}

PlatformError InterfacePage::AddElement(InterfacePage* page, InterfaceSectionElements* elements, MarkupNode* node,
                                        bool prepend, bool ownsNode) {
  if (page == nullptr || elements == nullptr || !IsMarkupElement(node)) return kPlatformErrBadData;
  PageCall call;
  auto* element = static_cast<InterfaceElement*>(PlatformNewPointer(sizeof(InterfaceElement)));
  if (element == nullptr) return kPlatformErrNoMemory;
  PlatformClearBlock(element, sizeof(InterfaceElement));
  element->owner = elements;
  element->node = node;
  element->ownsNode = ownsNode ? 1 : 0;
  element->live = 1;
  // The shortcut keys are matched upper-cased.
  if (char* keys = const_cast<char*>(GetMarkupAttribute(node, "KEYS")); keys != nullptr) PlatformUpperCase(keys);
  ParseMarkupRect(&element->rect, GetMarkupAttribute(node, "RECT"));
  Rect::Offset(&element->rect, page->area.left, page->area.top);
  element->content = PlatformHandle::New(0);
  element->instanceData = PlatformHandle::New(0);
  element->handler = InterfaceSystem::FindTag(page, node->name);
  if (element->content == nullptr || element->instanceData == nullptr) {
    PlatformHandle::Dispose(element->content);
    PlatformHandle::Dispose(element->instanceData);
    PlatformDisposePointer(element);
    return kPlatformErrNoMemory;
  }
  if (prepend || elements->elements == nullptr) {
    element->next = elements->elements;
    elements->elements = element;
  } else {
    InterfaceElement* last = elements->elements;
    while (last->next != nullptr) last = last->next;
    last->next = element;
  }
  const char* title = GetMarkupAttribute(node, "TITLE");
  PlatformError error = SendElementMessage(page, element, kElementCreate, 0, 0);
  if (error == kPlatformNoError) {
    error = SendElementMessage(page, element, kElementSetRect, reinterpret_cast<intptr_t>(&element->rect), 0);
  }
  if (error == kPlatformNoError) {
    error = SendElementMessage(page, element, kElementSetTitle, reinterpret_cast<intptr_t>(title != nullptr ? title : ""), 0);
  }
  if (error == kPlatformNoError) error = SendElementMessage(page, element, kElementEnable, 0, 0);
  if (error == kPlatformNoError) error = SendElementMessage(page, element, kElementAttach, 0, 0);
  if (error == kPlatformNoError) {
    error = SendElementMessage(page, element, kElementFillFocusOrder, 0, reinterpret_cast<intptr_t>(element->content));
  }
  if (error != kPlatformNoError && !element->removed) RemoveElement(page, elements, element);
  return error;
}

void InterfacePage::RemoveElement(InterfacePage* page, InterfaceSectionElements* elements, InterfaceElement* element) {
  if (page == nullptr || elements == nullptr || element == nullptr || element->removed) return;
  PageCall call;
  if (page->focus != nullptr && page->focus->element == element) MoveFocus(page, true, nullptr, element, nullptr);
  SendElementMessage(page, element, kElementDetach, 0, 0);
  SendElementMessage(page, element, kElementDispose, 0, 0);
  if (element->removed) return;  // a handler removed it meanwhile
  PlatformHandle::Dispose(element->content);
  PlatformHandle::Dispose(element->instanceData);
  element->content = nullptr;
  element->instanceData = nullptr;
  if (element->ownsNode) page->document = DetachMarkupNode(page->document, element->node, true, true);
  for (InterfaceElement** link = &elements->elements; *link != nullptr; link = &(*link)->next) {
    if (*link == element) {
      *link = element->next;
      break;
    }
  }
  FreeElement(element);
  RebuildFocusOrder(RootOf(page), nullptr);
}
