// The page facility as a whole: start-up and shut-down, the three window classes, tag registration, the global
// parameters, the idle procedure, and the bracket of page calls that closes pages and frees elements once no
// page call runs any more.
#include <cstring>

#include "host/gdi.h"
#include "host/kernel.h"
#include "host/user.h"
#include "platform/core/core.h"
#include "platform/core/file_manager.h"
#include "platform/core/strings.h"
#include "platform/graphics/graphics_startup.h"
#include "platform/markup/interface_state.h"
#include "platform/markup/markup_characters.h"
#include "platform/markup/page_elements.h"

namespace interface_internal {

Globals& State() {
  static Globals* globals = new Globals;
  return *globals;
}

PageCall::~PageCall() {
  Globals& globals = State();
  if (globals.callDepth > 1) {
    --globals.callDepth;
    return;
  }
  // The outermost call: what was closed or removed meanwhile goes now, still inside a call of its own so that
  // what the closing runs is covered too.
  for (;;) {
    InterfacePage* requested = nullptr;
    for (InterfacePage* page = globals.pages; page != nullptr; page = page->next) {
      if (page->closeRequested) requested = page;
    }
    if (requested == nullptr) break;
    ClosePageNow(requested);
  }
  std::vector<InterfaceElement*> removed;
  removed.swap(globals.removedElements);
  for (InterfaceElement* element : removed) PlatformDisposePointer(element);
  --globals.callDepth;
}

InterfacePage* RootOf(InterfacePage* page) {
  while (page != nullptr && page->parent != nullptr) page = page->parent;
  return page;
}

int32_t Notify(InterfacePage* page, int32_t message, InterfaceSection* section, InterfaceElement* element) {
  if (page == nullptr || page->callback == nullptr) return 0;
  Globals& globals = State();
  if (section == nullptr) section = page->currentSection;
  const char* name = element != nullptr ? GetMarkupAttribute(element->node, "NAME") : nullptr;
  InterfacePage* savedPage = globals.currentPage;
  InterfaceElement* savedElement = globals.currentElement;
  globals.currentPage = nullptr;
  globals.currentElement = nullptr;
  int32_t answer = page->callback(page, page->userData, message, section != nullptr ? section->name : nullptr,
                                  element != nullptr ? IndexOf(page, element) : -1, name);
  globals.currentPage = savedPage;
  globals.currentElement = savedElement;
  return answer;
}

int32_t IndexOf(InterfacePage* page, InterfaceElement* element) {
  int32_t index = 0;
  for (InterfaceElement* at = page->sectionElements.elements; at != nullptr; at = at->next, ++index) {
    if (at == element) return index;
  }
  return -1;
}

InterfaceElement* ElementAt(InterfacePage* page, int32_t n) {
  if (page == nullptr || n < 0) return nullptr;
  InterfaceElement* at = page->sectionElements.elements;
  for (; at != nullptr && n > 0; --n) at = at->next;
  return at;
}

void SuspendDrawing(InterfacePage* page) { ++RootOf(page)->drawingSuspended; }

void ResumeDrawing(InterfacePage* page) {
  InterfacePage* root = RootOf(page);
  if (root->drawingSuspended > 0) --root->drawingSuspended;
}

void InvalidateArea(InterfacePage* page, const Rect& rect) {
  if (page->window == nullptr || Rect::IsEmpty(&rect)) return;
  Rect clamped;
  Rect::ClampForGdi(&clamped, &rect);
  RECT box{clamped.left, clamped.top, clamped.right, clamped.bottom};
  InvalidateRect(page->window, &box, FALSE);
}

InterfacePage* ChildPageOf(InterfacePage* page, InterfaceElement* element) {
  intptr_t value = 0;
  if (InterfacePage::SendElementMessage(page, element, kElementGetValue, 0, reinterpret_cast<intptr_t>(&value)) != 0) {
    return nullptr;
  }
  for (InterfacePage* child = State().pages; child != nullptr; child = child->next) {
    if (reinterpret_cast<intptr_t>(child) == value && child->parent == page) return child;
  }
  return nullptr;
}

bool FindWindowOwner(InterfacePage* page, HWND window, InterfacePage** owner, InterfaceElement** element) {
  if (page == nullptr || window == nullptr) return false;
  bool found = false;
  ForEachElement(page, [&](InterfaceElement* at) {
    if (found) return;
    uint8_t owns = 0;
    InterfacePage::SendElementMessage(page, at, kElementOwnsWindow, reinterpret_cast<intptr_t>(window),
                                      reinterpret_cast<intptr_t>(&owns));
    if (!owns) return;
    InterfacePage* child = ChildPageOf(page, at);
    if (child != nullptr && FindWindowOwner(child, window, owner, element)) {
      found = true;
    } else if (child == nullptr) {
      *owner = page;
      *element = at;
      found = true;
    }
  });
  return found;
}

}  // namespace interface_internal

using interface_internal::Globals;
using interface_internal::State;

namespace {

constexpr const char* kClassNames[] = {"interface_tool", "interface_tool_closebox", "interface_tool_parent"};

PlatformError RegisterWindowClasses() {
  static bool registered = false;  // classes stay for the process once registered
  if (registered) return kPlatformNoError;
  HINSTANCE program = GetModuleHandleA(nullptr);
  for (const char* name : kClassNames) {
    WNDCLASSA windowClass{};
    windowClass.style = std::strcmp(name, "interface_tool") == 0 ? CS_NOCLOSE : 0;
    windowClass.lpfnWndProc = InterfacePage::WindowProc;
    windowClass.hInstance = program;
    windowClass.hIcon = LoadIconA(program, "IDI_APPICON");
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    windowClass.lpszClassName = name;
    if (RegisterClassA(&windowClass) == 0) return kInterfaceErrWindowClass;
  }
  registered = true;
  return kPlatformNoError;
}

void FreeTags(InterfaceTagHandler* tags) {
  while (tags != nullptr) {
    InterfaceTagHandler* next = tags->next;
    PlatformDisposePointer(tags);
    tags = next;
  }
}

void ShutdownProc() { InterfaceSystem::Shutdown(); }
void IdleProc() { InterfaceSystem::Idle(); }

}  // namespace

PlatformError InterfaceSystem::Initialize() {
  Globals& globals = State();
  if (globals.initialized) return kPlatformNoError;
  PlatformError error = PlatformStartup();
  if (error == kPlatformNoError) error = PlatformFileSystemStartup();
  if (error == kPlatformNoError) error = PlatformGraphicsStartup();
  if (error == kPlatformNoError) error = PlatformAddIdleProc(IdleProc);
  if (error == kPlatformNoError) error = PlatformAddExitProc(ShutdownProc);
  if (error == kPlatformNoError) error = RegisterWindowClasses();
  if (error == kPlatformNoError) error = RegisterTag(nullptr, "BUTTON", ButtonElement::Proc);
  if (error == kPlatformNoError) error = RegisterTag(nullptr, "IMAGE", ButtonElement::Proc);
  if (error == kPlatformNoError) error = RegisterTag(nullptr, "IMG", ButtonElement::Proc);
  if (error == kPlatformNoError) error = RegisterTag(nullptr, "BORDER", BorderElement::Proc);
  if (error == kPlatformNoError) error = RegisterTag(nullptr, "FRAME", FrameElement::Proc);
  if (error == kPlatformNoError) error = RegisterTag(nullptr, "POPUP", PopupElement::Proc);
  if (error == kPlatformNoError) error = RegisterTag(nullptr, "TEXTBOX", TextBoxElement::Proc);
  if (error != kPlatformNoError) {
    Shutdown();
    return error;
  }
  globals.initialized = true;
  return kPlatformNoError;
}

bool InterfaceSystem::IsInitialized() { return State().initialized; }

void InterfaceSystem::Shutdown() {
  Globals& globals = State();
  while (globals.pages != nullptr) {
    interface_internal::ClosePageNow(interface_internal::RootOf(globals.pages));
  }
  FreeTags(globals.tags);
  globals.tags = nullptr;
  if (globals.parameters != nullptr) DisposeDictionary(globals.parameters);
  globals.parameters = nullptr;
  if (globals.customCursor != nullptr) DestroyCursor(globals.customCursor);
  globals.customCursor = nullptr;
  globals.lastCursorId = -1;
  globals.initialized = false;
}

PlatformError InterfaceSystem::RegisterTag(InterfacePage* page, const char* tagName, InterfaceElementProc handler) {
  auto* tag = static_cast<InterfaceTagHandler*>(PlatformNewPointer(sizeof(InterfaceTagHandler)));
  if (tag == nullptr) return kPlatformErrNoMemory;
  PlatformClearBlock(tag, sizeof(InterfaceTagHandler));
  tag->handler = handler;
  markup::UpperCase255(tag->name, tagName);
  InterfaceTagHandler** list = page != nullptr ? &page->tags : &State().tags;
  tag->next = *list;
  *list = tag;
  return kPlatformNoError;
}

InterfaceElementProc InterfaceSystem::FindTag(InterfacePage* page, const char* tagName) {
  char name[256];
  markup::UpperCase255(name, tagName);
  for (InterfaceTagHandler* list : {page != nullptr ? page->tags : nullptr, State().tags}) {
    for (InterfaceTagHandler* tag = list; tag != nullptr; tag = tag->next) {
      if (std::strcmp(tag->name, name) == 0) return tag->handler;
    }
  }
  return nullptr;
}

void InterfaceSystem::SetGlobalParameters(Dictionary* parameters) {
  Globals& globals = State();
  if (globals.parameters != nullptr && globals.parameters != parameters) DisposeDictionary(globals.parameters);
  globals.parameters = parameters;
}

void InterfaceSystem::Idle() {
  Globals& globals = State();
  if (!globals.initialized) return;
  interface_internal::PageCall call;
  for (InterfacePage* page = globals.pages; page != nullptr; page = page->next) {
    if (page->closeRequested) continue;
    if (page->needsRefresh) InterfacePage::RefreshWindow(page);
    InterfacePage::Idle(page);
  }
}
