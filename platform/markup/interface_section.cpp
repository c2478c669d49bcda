// The shown section: building it (parameters first, then a live element for every handled tag), taking it down,
// replacing a parameter's content, and the calls that reach elements by their position.
#include <cstring>

#include "platform/markup/interface_state.h"

using interface_internal::ElementAt;
using interface_internal::ForEachElement;
using interface_internal::PageCall;
using interface_internal::RootOf;
using interface_internal::State;

namespace {

// Parameter values substitute into parameters this many levels deep at most.
constexpr int kParameterNesting = 8;

bool IsParameter(const MarkupNode* node) {
  return IsMarkupElement(node) && (std::strcmp(node->name, "PARAMETER") == 0 || std::strcmp(node->name, "PARAM") == 0);
}

// Whether the node lies inside the ancestor (not the ancestor itself).
bool IsInside(const MarkupNode* node, const MarkupNode* ancestor) {
  for (const MarkupNode* at = node != nullptr ? node->parent : nullptr; at != nullptr; at = at->parent) {
    if (at == ancestor) return true;
  }
  return false;
}

// A parameter takes a value unless a parameter of the same name encloses it (its value brought it back) or it
// lies kParameterNesting parameters deep.
bool MayTakeValue(const MarkupNode* parameter, const char* name) {
  int depth = 0;
  for (const MarkupNode* at = parameter->parent; at != nullptr; at = at->parent) {
    if (!IsParameter(at)) continue;
    const char* outer = GetMarkupAttribute(const_cast<MarkupNode*>(at), "NAME");
    if (outer != nullptr && std::strcmp(outer, name) == 0) return false;
    if (++depth >= kParameterNesting) return false;
  }
  return true;
}

InterfaceParameter* NewParameter(InterfacePage* page, MarkupNode* node) {
  auto* parameter = static_cast<InterfaceParameter*>(PlatformNewPointer(sizeof(InterfaceParameter)));
  if (parameter == nullptr) return nullptr;
  parameter->next = nullptr;
  parameter->owner = page;
  parameter->node = node;
  return parameter;
}

// Adds a parameter entry for every "PARAMETER" or "PARAM" element of the walk from root, after `after` (at the
// end when null).
PlatformError AddParameters(InterfacePage* page, MarkupNode* root, InterfaceParameter* after) {
  InterfaceParameter** link = after != nullptr ? &after->next : &page->sectionElements.parameters;
  if (after == nullptr) {
    while (*link != nullptr) link = &(*link)->next;
  }
  for (MarkupNode* node = root; node != nullptr; node = NextMarkupNode(root, node)) {
    if (!IsParameter(node)) continue;
    InterfaceParameter* parameter = NewParameter(page, node);
    if (parameter == nullptr) return kPlatformErrNoMemory;
    parameter->next = *link;
    *link = parameter;
    link = &parameter->next;
  }
  return kPlatformNoError;
}

// Makes a live element of every handled tag of the walk from root (the content of a handled tag is its own).
void AddElements(InterfacePage* page, MarkupNode* root) {
  for (MarkupNode* node = root; node != nullptr;) {
    if (IsMarkupElement(node) && InterfaceSystem::FindTag(page, node->name) != nullptr) {
      // A tag whose element fails to be made is left out; the rest of the section still shows.
      InterfacePage::AddElement(page, &page->sectionElements, node, false, false);
      node = NextMarkupNode(root, LastMarkupDescendant(root, node));
    } else {
      node = NextMarkupNode(root, node);
    }
  }
}

PlatformError CheckIndex(InterfacePage* page, int32_t n, InterfaceElement** element) {
  if (n < 0) return kPlatformErrListFull;
  *element = ElementAt(page, n);
  return *element == nullptr ? kPlatformErrBadReference : kPlatformNoError;
}

Rect Grown(const Rect& rect) {
  Rect grown = rect;
  Rect::Inset(&grown, -4, -4);
  return grown;
}

}  // namespace

PlatformError InterfacePage::BuildSection(InterfacePage* page, InterfaceSection* section) {
  PageCall call;
  InterfaceSectionElements& elements = page->sectionElements;
  elements.page = section->page;
  MarkupNode* content = section->page->child;
  PlatformError error = AddParameters(page, content, nullptr);
  int32_t n = 0;
  for (InterfaceParameter* parameter = elements.parameters; parameter != nullptr && error == kPlatformNoError;
       parameter = parameter->next, ++n) {
    const char* name = GetMarkupAttribute(parameter->node, "NAME");
    if (name == nullptr || !MayTakeValue(parameter->node, name)) continue;
    const char* value = page->variables != nullptr ? DictionaryLookup(page->variables, name, nullptr) : nullptr;
    if (value == nullptr && State().parameters != nullptr) value = DictionaryLookup(State().parameters, name, nullptr);
    if (value != nullptr) error = SetParameterText(page, n, value);
  }
  if (error != kPlatformNoError) return error;
  AddElements(page, section->page->child);
  return RebuildFocusOrder(RootOf(page), nullptr);
}

void InterfacePage::RemoveSectionElements(InterfacePage* page) {
  PageCall call;
  InterfaceFocus* focus = page->focus;
  if (focus != nullptr && focus->page == page && focus->element != nullptr) SetFocus(page, nullptr, nullptr, false);
  page->pendingFocusWindow = nullptr;
  InterfaceSectionElements& elements = page->sectionElements;
  while (elements.elements != nullptr) {
    InterfaceElement* element = elements.elements;
    SendElementMessage(page, element, kElementDetach, 0, 0);
    SendElementMessage(page, element, kElementDispose, 0, 0);
    if (element->ownsNode) page->document = DetachMarkupNode(page->document, element->node, true, true);
    elements.elements = element->next;
    PlatformHandle::Dispose(element->content);
    PlatformHandle::Dispose(element->instanceData);
    element->removed = 1;
    State().removedElements.push_back(element);
  }
  while (elements.parameters != nullptr) {
    InterfaceParameter* next = elements.parameters->next;
    PlatformDisposePointer(elements.parameters);
    elements.parameters = next;
  }
  elements.page = nullptr;
  if (page->focus != nullptr && page->focus->rootPage != nullptr && page->focus->rootPage != page) {
    RebuildFocusOrder(page->focus->rootPage, nullptr);
  } else if (page->focusOrder != nullptr) {
    PlatformHandle::SetSize(page->focusOrder, 0);
  }
}

PlatformError InterfacePage::SetParameterText(InterfacePage* page, int32_t n, const char* markup) {
  if (!IsOpen(page)) return kPlatformErrBadData;
  InterfaceParameter* entry = page->sectionElements.parameters;
  for (int32_t i = 0; entry != nullptr && i < n; ++i) entry = entry->next;
  if (n < 0 || entry == nullptr) return kPlatformErrBadReference;
  PageCall call;
  interface_internal::SuspendDrawing(page);
  MarkupNode* owner = entry->node;
  const bool shown = page->currentSection != nullptr;
  if (shown) {
    ForEachElement(page, [&](InterfaceElement* element) {
      if (IsInside(element->node, owner)) RemoveElement(page, &page->sectionElements, element);
    });
  }
  for (InterfaceParameter** link = &entry->next; *link != nullptr;) {
    if (IsInside((*link)->node, owner)) {
      InterfaceParameter* gone = *link;
      *link = gone->next;
      PlatformDisposePointer(gone);
    } else {
      link = &(*link)->next;
    }
  }
  MarkupNode* old = owner->child;
  owner->child = nullptr;
  FreeMarkupTree(old);
  PlatformError error = kPlatformNoError;
  PlatformHandle* text = PlatformHandle::FromBytes(markup != nullptr ? markup : "",
                                                   markup != nullptr ? static_cast<uint32_t>(std::strlen(markup)) : 0);
  MarkupNode* fresh = nullptr;
  if (text == nullptr) {
    error = kPlatformErrNoMemory;
  } else {
    error = ParseMarkup(text, "SCRIPT", "LI BR P", nullptr, &fresh);
    PlatformHandle::Dispose(text);
  }
  if (error == kPlatformNoError) error = AddParameters(page, fresh, entry);
  if (fresh != nullptr) LinkMarkupNode(&page->document, owner, fresh, false);
  NumberMarkupNodes(page->document, 1);
  if (shown && error == kPlatformNoError) {
    AddElements(page, owner->child);
    RebuildFocusOrder(RootOf(page), nullptr);
  }
  interface_internal::ResumeDrawing(page);
  page->needsRefresh = 1;
  PlatformError refresh = RefreshWindow(page);
  return error != kPlatformNoError ? error : refresh;
}

int32_t InterfacePage::GetElementCount(InterfacePage* page) {
  int32_t count = 0;
  if (IsOpen(page)) ForEachElement(page, [&](InterfaceElement*) { ++count; });
  return count;
}

PlatformError InterfacePage::GetElementRect(InterfacePage* page, int32_t n, Rect* rect) {
  InterfaceElement* element = nullptr;
  PlatformError error = CheckIndex(page, n, &element);
  if (error == kPlatformNoError) *rect = element->rect;
  return error;
}

PlatformError InterfacePage::GetElementEnabled(InterfacePage* page, int32_t n, uint8_t* enabled) {
  InterfaceElement* element = nullptr;
  PlatformError error = CheckIndex(page, n, &element);
  if (error != kPlatformNoError) return error;
  PageCall call;
  *enabled = 0;
  return SendElementMessage(page, element, kElementGetEnabled, 0, reinterpret_cast<intptr_t>(enabled));
}

PlatformError InterfacePage::SetElementRect(InterfacePage* page, int32_t n, const Rect* rect) {
  InterfaceElement* element = nullptr;
  PlatformError error = CheckIndex(page, n, &element);
  if (error != kPlatformNoError) return error;
  PageCall call;
  interface_internal::SuspendDrawing(page);
  interface_internal::InvalidateArea(page, Grown(element->rect));
  interface_internal::InvalidateArea(page, Grown(*rect));
  error = SendElementMessage(page, element, kElementSetRect, reinterpret_cast<intptr_t>(rect), 0);
  if (!element->removed) element->rect = *rect;
  interface_internal::ResumeDrawing(page);
  PlatformError refresh = RefreshWindow(page);
  return error != kPlatformNoError ? error : refresh;
}

PlatformError InterfacePage::SetElementEnabled(InterfacePage* page, int32_t n, bool enabled) {
  InterfaceElement* element = nullptr;
  PlatformError error = CheckIndex(page, n, &element);
  if (error != kPlatformNoError) return error;
  PageCall call;
  interface_internal::InvalidateArea(page, Grown(element->rect));
  if (!enabled && page->focus != nullptr && page->focus->element == element) {
    MoveFocus(page, true, nullptr, element, nullptr);
  }
  error = SendElementMessage(page, element, kElementSetEnabled, enabled ? 1 : 0, 0);
  if (!element->removed) {
    PlatformHandle::SetSize(element->content, 0);
    SendElementMessage(page, element, kElementFillFocusOrder, 0, reinterpret_cast<intptr_t>(element->content));
  }
  RebuildFocusOrder(RootOf(page), nullptr);
  if (enabled && page->focus != nullptr && page->focus->element == nullptr) {
    MoveFocus(page, true, nullptr, nullptr, nullptr);
  }
  PlatformError refresh = RefreshWindow(page);
  return error != kPlatformNoError ? error : refresh;
}

PlatformError InterfacePage::MoveTo(InterfacePage* page, const Rect* rect) {
  if (!IsOpen(page) || rect == nullptr) return kPlatformErrBadData;
  PageCall call;
  const int32_t dx = rect->left - page->area.left, dy = rect->top - page->area.top;
  PlatformError error = kPlatformNoError;
  if (dx != 0 || dy != 0) {
    const int32_t count = GetElementCount(page);
    for (int32_t n = 0; n < count; ++n) {
      InterfaceElement* element = ElementAt(page, n);
      if (element == nullptr) break;
      Rect moved = element->rect;
      Rect::Offset(&moved, dx, dy);
      PlatformError moveError = SetElementRect(page, n, &moved);
      if (error == kPlatformNoError) error = moveError;
    }
  }
  page->area = *rect;
  return error;
}

PlatformError InterfacePage::SetActive(InterfacePage* page, bool active, bool enabled) {
  if (!IsOpen(page)) return kPlatformErrBadData;
  PageCall call;
  page->active = active ? 1 : 0;
  page->enabled = enabled ? 1 : 0;
  const int32_t count = GetElementCount(page);
  PlatformError error = kPlatformNoError;
  for (int32_t n = 0; n < count; ++n) {
    uint8_t flag = 0;
    if (GetElementEnabled(page, n, &flag) != kPlatformNoError) continue;
    PlatformError setError = SetElementEnabled(page, n, flag != 0);
    if (error == kPlatformNoError) error = setError;
  }
  return error;
}
