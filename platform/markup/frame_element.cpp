// Frames ("FRAME"): a child page on the same window, at the element's rectangle, showing the file and section of
// SOURCE (or SRC). The frame hands its child page the questions, idle work, mouse presses, cursor queries, focus
// and commands that reach it, and shares the page's callback.
#include <strings.h>

#include <cstring>

#include "platform/core/file_manager.h"
#include "platform/core/strings.h"
#include "platform/markup/element_support.h"
#include "platform/markup/interface_state.h"

using element_support::DataOf;

namespace {

struct FrameData {
  InterfacePage* child;
  Rect rect;
  uint8_t enabledByActivation;
  uint8_t visible;
};

// The NAME of the section a page shows, or is building ("" for none).
const char* ShownSection(InterfacePage* page) {
  const char* name =
      page->sectionElements.page != nullptr ? GetMarkupAttribute(page->sectionElements.page, "NAME") : nullptr;
  return name != nullptr ? name : "";
}

bool SameFile(FolderRef folderA, const char* nameA, FolderRef folderB, const char* nameB) {
  char a[kWindowsPathSize * 2], b[kWindowsPathSize * 2];
  if (PlatformGetFullPath(folderA, nameA, a, sizeof a) != kPlatformNoError ||
      PlatformGetFullPath(folderB, nameB, b, sizeof b) != kPlatformNoError) {
    return false;
  }
  return strcasecmp(a, b) == 0;
}

// Whether showing the section of the file in a child of the page would show again the page or a page enclosing
// it, or nest frames too deep.
bool WouldRecur(InterfacePage* page, const char* file, bool hasSection, const char* section) {
  int32_t depth = 1;
  for (InterfacePage* at = page->parent; at != nullptr; at = at->parent) ++depth;
  if (depth > kFrameNesting) return true;
  for (InterfacePage* at = page; at != nullptr; at = at->parent) {
    if (!SameFile(page->folder, file, at->folder, at->fileName)) continue;
    // The same file: the section the child would show is the one named, or else the file's first.
    const char* shown = section;
    if (!hasSection) {
      InterfaceSection* first = GetMarkupPageAt(at->sectionIndex, 0);
      shown = first != nullptr ? first->name : "";
    }
    if (std::strcmp(shown, ShownSection(at)) == 0) return true;
  }
  return false;
}

PlatformError Attach(HWND window, MarkupNode* node, FrameData* frame) {
  InterfacePage* page = InterfacePage::CurrentPage();
  if (page == nullptr) return kPlatformErrBadData;
  const char* source = GetMarkupAttribute(node, "SOURCE");
  if (source == nullptr) source = GetMarkupAttribute(node, "SRC");
  char file[256], section[256];
  bool hasFile = false, hasSection = false;
  PlatformError error = InterfacePage::ResolveLink(source, file, section, &hasFile, &hasSection);
  if (error != kPlatformNoError) return error;
  if (!hasFile) PlatformCopyStringBounded(file, page->fileName, sizeof file);
  if (WouldRecur(page, file, hasSection, section)) return kInterfaceErrWindowClass;
  InterfacePage* child = nullptr;
  error = InterfacePage::Attach(window, &frame->rect, page->callback, page->userData, nullptr, &child);
  if (child == nullptr) return error != kPlatformNoError ? error : kPlatformErrNoMemory;
  frame->child = child;
  frame->visible = 1;
  if (error != kPlatformNoError) return error;
  return InterfacePage::Open(child, page->folder, file, hasSection ? section : nullptr);
}

// The child page, while it is still open.
InterfacePage* ChildOf(FrameData* frame) {
  if (frame->child != nullptr && !InterfacePage::IsOpen(frame->child)) frame->child = nullptr;
  return frame->child;
}

int16_t CursorOf(InterfacePage* child, const MouseEventRecord* mouse) {
  const Point point{mouse->windowX, mouse->windowY};
  InterfaceElement* under = nullptr;
  interface_internal::ForEachElement(child, [&](InterfaceElement* element) {
    if (element->live && Rect::ContainsPoint(&point, &element->rect)) under = element;
  });
  int16_t cursor = 0;
  if (under != nullptr) {
    InterfacePage::SendElementMessage(child, under, kElementCursor, reinterpret_cast<intptr_t>(mouse),
                                      reinterpret_cast<intptr_t>(&cursor));
  }
  return cursor;
}

}  // namespace

PlatformError FrameElement::Proc(HWND window, HDC, MarkupNode* node, PlatformHandle* instance, int32_t message,
                                 intptr_t parameter1, intptr_t parameter2) {
  if (message == kElementCreate) {
    FrameData* made = element_support::MakeData<FrameData>(instance);
    if (made == nullptr) return kPlatformErrNoMemory;
    made->enabledByActivation = 1;
    return kPlatformNoError;
  }
  FrameData* frame = DataOf<FrameData>(instance);
  if (frame == nullptr) return kPlatformNoError;
  InterfacePage* child = ChildOf(frame);
  switch (message) {
    case kElementAttach:
      return Attach(window, node, frame);
    case kElementDetach:
      if (child != nullptr) InterfacePage::Close(child);
      frame->child = nullptr;
      return kPlatformNoError;
    case kElementDispose:
      return element_support::DisposeData(instance);
    case kElementOwnsWindow:
      if (child == nullptr) return kPlatformNoError;
      interface_internal::ForEachElement(child, [&](InterfaceElement* element) {
        uint8_t owns = 0;
        InterfacePage::SendElementMessage(child, element, kElementOwnsWindow, parameter1,
                                          reinterpret_cast<intptr_t>(&owns));
        if (owns) element_support::PutByte(parameter2, 1);
      });
      return kPlatformNoError;
    case kElementHitTest: {
      const auto* mouse = reinterpret_cast<const MouseEventRecord*>(parameter1);
      const Point point{mouse->windowX, mouse->windowY};
      element_support::PutByte(parameter2, !Rect::IsEmpty(&frame->rect) && Rect::ContainsPoint(&point, &frame->rect));
      return kPlatformNoError;
    }
    case kElementDraw:
      return child != nullptr ? InterfacePage::Redraw(child, reinterpret_cast<const Rect*>(parameter1), true)
                              : kPlatformNoError;
    case kElementIdle:
      return child != nullptr ? InterfacePage::Idle(child) : kPlatformNoError;
    case kElementMouseDown:
      return child != nullptr ? InterfacePage::HandleMouse(child, reinterpret_cast<const MouseEventRecord*>(parameter1),
                                                           reinterpret_cast<InterfaceActionResult*>(parameter2))
                              : kPlatformNoError;
    case kElementCursor:
      if (parameter2 != 0) {
        *reinterpret_cast<int16_t*>(parameter2) =
            child != nullptr ? CursorOf(child, reinterpret_cast<const MouseEventRecord*>(parameter1)) : 0;
      }
      return kPlatformNoError;
    case 33:
    case 35:
    case 36:
    case 37:
    case 38:
    case 40:
      return child != nullptr
                 ? InterfacePage::ForwardCommand(child, message, reinterpret_cast<InterfaceActionResult*>(parameter2))
                 : kPlatformNoError;
    case kElementEnable:
    case kElementDisable:
      frame->enabledByActivation = message == kElementEnable;
      if (child == nullptr) return kPlatformNoError;
      interface_internal::ForEachElement(
          child, [&](InterfaceElement* element) { InterfacePage::SendElementMessage(child, element, message, 0, 0); });
      return kPlatformNoError;
    case kElementFillFocusOrder: {
      auto* handle = reinterpret_cast<PlatformHandle*>(parameter2);
      if (handle == nullptr) return kPlatformNoError;
      PlatformHandle::SetSize(handle, 0);
      return child != nullptr ? InterfacePage::RebuildFocusOrder(child, handle) : kPlatformNoError;
    }
    case kElementFocus:
      if (child != nullptr && parameter1 != 0) {
        return InterfacePage::SetFocus(child, nullptr, reinterpret_cast<HWND>(parameter1), false);
      }
      return kPlatformNoError;
    case kElementGetRect:
      element_support::PutRect(parameter2, frame->rect);
      return kPlatformNoError;
    case kElementSetRect:
      frame->rect = *reinterpret_cast<const Rect*>(parameter1);
      return child != nullptr ? InterfacePage::MoveTo(child, &frame->rect) : kPlatformNoError;
    case kElementGetTitle:
      element_support::PutTitle(parameter2, "");
      return kPlatformNoError;
    case kElementSetText:
    case kElementSetValue:
      return kElementErrUnsupported;
    case kElementGetValue:
      element_support::PutValue(parameter2, reinterpret_cast<intptr_t>(child));
      return kPlatformNoError;
    case kElementGetVisible:
      element_support::PutByte(parameter2, frame->visible);
      return kPlatformNoError;
    case kElementSetVisible:
      frame->visible = parameter1 != 0;
      return child != nullptr ? InterfacePage::SetActive(child, frame->visible, child->enabled) : kPlatformNoError;
    case kElementGetEnabled:
      element_support::PutByte(parameter2, child != nullptr ? child->enabled : 0);
      return kPlatformNoError;
    case kElementSetEnabled:
      return child != nullptr ? InterfacePage::SetActive(child, child->active, parameter1 != 0) : kPlatformNoError;
    case kElementGetForeColor:
    case kElementGetBackColor:
      if (child != nullptr) {
        element_support::PutColour(parameter2, message == kElementGetForeColor ? child->foreground : child->background);
      }
      return kPlatformNoError;
    case kElementSetForeColor:
    case kElementSetBackColor:
      if (child == nullptr) return kPlatformNoError;
      (message == kElementSetForeColor ? child->foreground : child->background) = static_cast<uint32_t>(parameter1);
      interface_internal::InvalidateArea(child, child->area);
      return kPlatformNoError;
    default:
      return kPlatformNoError;
  }
}
