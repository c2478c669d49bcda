// The keyboard focus of a page tree: one record on the root page naming the focused element and child window,
// the root's focus order (the child windows of every element, in element order), and moving along it.
#include "platform/markup/interface_state.h"

using interface_internal::FindWindowOwner;
using interface_internal::ForEachElement;
using interface_internal::Notify;
using interface_internal::PageCall;
using interface_internal::RootOf;

PlatformError InterfacePage::RebuildFocusOrder(InterfacePage* page, PlatformHandle* copy) {
  if (page == nullptr || page->focusOrder == nullptr) return kPlatformErrBadData;
  PageCall call;
  PlatformHandle::SetSize(page->focusOrder, 0);
  PlatformError error = kPlatformNoError;
  ForEachElement(page, [&](InterfaceElement* element) {
    PlatformHandle::SetSize(element->content, 0);
    SendElementMessage(page, element, kElementFillFocusOrder, 0, reinterpret_cast<intptr_t>(element->content));
    if (!element->removed && error == kPlatformNoError) {
      error = PlatformHandle::AppendHandle(page->focusOrder, element->content);
    }
  });
  if (copy != nullptr && error == kPlatformNoError) {
    PlatformHandle::SetSize(copy, 0);
    error = PlatformHandle::AppendHandle(copy, page->focusOrder);
  }
  return error;
}

PlatformError InterfacePage::MoveFocus(InterfacePage* page, bool forward, InterfacePage* exceptPage,
                                      InterfaceElement* exceptElement, HWND key) {
  if (page == nullptr) return kPlatformErrBadData;
  PageCall call;
  InterfacePage* root = RootOf(page);
  PlatformHandle* order = root->focusOrder;
  const int32_t count = static_cast<int32_t>(InterfaceWindowCount(order));
  // Nothing takes the focus. (The step below wraps around by the count, which would divide by zero.)
  if (count == 0) return kPlatformNoError;
  int32_t index = -1;
  for (int32_t i = 0; root->focus->window != nullptr && i < count; ++i) {
    if (InterfaceWindowAt(order, static_cast<uint32_t>(i)) == root->focus->window) index = i;
  }
  if (index < 0) index = forward ? -1 : count;
  for (int32_t step = 0; step < count; ++step) {
    index = forward ? (count + index + 1) % count : (count + index - 1) % count;
    HWND window = InterfaceWindowAt(order, static_cast<uint32_t>(index));
    if (key != nullptr && window != key) continue;
    InterfacePage* owner = nullptr;
    InterfaceElement* element = nullptr;
    if (!FindWindowOwner(root, window, &owner, &element)) continue;
    if (element == exceptElement || (exceptPage != nullptr && owner == exceptPage)) continue;
    PlatformError error = SetFocus(owner, element, window, true);
    return error == kInterfaceRefused ? kPlatformNoError : error;
  }
  if (exceptPage == nullptr && exceptElement == nullptr && key == nullptr) return kPlatformNoError;
  PlatformError error = SetFocus(root, nullptr, nullptr, false);
  return error == kInterfaceRefused ? kPlatformNoError : error;
}

PlatformError InterfacePage::SetFocus(InterfacePage* page, InterfaceElement* element, HWND window, bool keep) {
  if (page == nullptr || page->focus == nullptr) return kPlatformErrBadData;
  PageCall call;
  InterfacePage* root = RootOf(page);
  InterfaceFocus* focus = root->focus;
  InterfacePage* target = page;
  if (element != nullptr && window == nullptr && InterfaceWindowCount(element->content) > 0) {
    window = InterfaceWindowAt(element->content, 0);
  }
  if (window != nullptr && element == nullptr && !FindWindowOwner(root, window, &target, &element)) {
    element = nullptr;
  }
  bool refused = false;
  InterfacePage* oldPage = focus->page;
  InterfaceElement* oldElement = focus->element;
  HWND oldWindow = focus->window;
  if (focus->element != nullptr || focus->window != nullptr) {
    int32_t answer = oldElement != nullptr ? Notify(oldPage, kPageElementLosingFocus, nullptr, oldElement) : 0;
    if (answer == kInterfaceRefused && keep && oldElement != nullptr) {
      // The focus stays: the element loses it and gains it again.
      target = oldPage;
      element = oldElement;
      window = oldWindow;
      refused = true;
    }
    if (oldElement != nullptr) SendElementMessage(oldPage, oldElement, kElementFocus, 0, 0);
    *focus = InterfaceFocus{root, nullptr, nullptr, -1, nullptr};
  }
  if (element == nullptr || element->removed) return refused ? kInterfaceRefused : kPlatformNoError;
  PlatformError error = SendElementMessage(target, element, kElementFocus, reinterpret_cast<intptr_t>(window), 0);
  if (error != kPlatformNoError) {
    // An element that refuses the focus leaves it where it was.
    if (oldElement != nullptr && oldElement != element && !oldElement->removed && IsOpen(oldPage)) {
      SendElementMessage(oldPage, oldElement, kElementFocus, reinterpret_cast<intptr_t>(oldWindow), 0);
      if (!oldElement->removed) {
        *focus = InterfaceFocus{root, oldPage, oldElement, interface_internal::IndexOf(oldPage, oldElement), oldWindow};
      }
    }
    return error;
  }
  if (element->removed) return kPlatformNoError;
  // A frame hands the focus to its child page's element, which then holds it.
  if (focus->element != nullptr) return kPlatformNoError;
  *focus = InterfaceFocus{root, target, element, interface_internal::IndexOf(target, element), window};
  int32_t answer = Notify(target, kPageElementFocused, nullptr, element);
  return refused ? kInterfaceRefused : answer;
}

void InterfacePage::GetFocus(InterfacePage* page, InterfaceElement** element, int32_t* index, HWND* window) {
  const InterfaceFocus* focus = page != nullptr ? page->focus : nullptr;
  const bool held = focus != nullptr && focus->page == page && focus->element != nullptr;
  if (element != nullptr) *element = held ? focus->element : nullptr;
  if (index != nullptr) *index = held ? interface_internal::IndexOf(page, focus->element) : -1;
  if (window != nullptr) *window = held ? focus->window : nullptr;
}
