// Pages: attaching to a window, opening a markup file or folder, showing sections, refreshing the window's
// title and colours, and closing.
#include <cstring>

#include "host/gdi.h"
#include "host/user.h"
#include "platform/core/file_manager.h"
#include "platform/core/strings.h"
#include "platform/graphics/graphics_port.h"
#include "platform/markup/interface_state.h"

using interface_internal::Notify;
using interface_internal::PageCall;
using interface_internal::RootOf;
using interface_internal::State;

namespace {

constexpr const char* kRawContentTags = "SCRIPT";
constexpr const char* kNoCloseTags = "LI BR P";
constexpr const char* kMarkupIndexName = "index.iml";

// Everything the page shows of its file goes: elements, section index, document, background and folder.
void ForgetContents(InterfacePage* page) {
  InterfacePage::RemoveSectionElements(page);
  page->currentSection = nullptr;
  FreeMarkupPageIndex(page->sectionIndex);
  page->sectionIndex = nullptr;
  FreeMarkupTree(page->document);
  page->document = nullptr;
  page->interface = nullptr;
  if (page->backgroundPattern != nullptr) PlatformWorld::DisposeSurface(page->backgroundPattern);
  page->backgroundPattern = nullptr;
  if (page->folder != 0) PlatformReleaseFolder(page->folder);
  page->folder = 0;
  page->fileName[0] = '\0';
  page->foreground = kInterfaceBlack;
  page->background = kInterfaceWhite;
  page->title[0] = '\0';
  page->layoutRect = Rect{0, 0, 0, 0};
}

// Leaves the shown section: the callback may refuse, and so may the focused element (both give true).
bool LeaveRefused(InterfacePage* page) {
  if (Notify(page, kPageSectionLeaving, nullptr, nullptr) == kInterfaceRefused) return true;
  return InterfacePage::SetFocus(page, nullptr, nullptr, true) == kInterfaceRefused;
}

// The folder part and the name part of a path ("a/b/c.iml": "a/b" and "c.iml").
void SplitPath(const char* path, char* folder, char* name) {
  const char* slash = nullptr;
  for (const char* p = path; *p != '\0'; ++p) {
    if (*p == '/' || *p == '\\') slash = p;
  }
  if (slash == nullptr) {
    folder[0] = '\0';
    PlatformCopyStringBounded(name, path, 256);
    return;
  }
  size_t length = static_cast<size_t>(slash - path);
  if (length > 259) length = 259;
  std::memcpy(folder, path, length);
  folder[length] = '\0';
  PlatformCopyStringBounded(name, slash + 1, 256);
}

// Reads the page's file and takes the interface element's settings.
PlatformError LoadDocument(InterfacePage* page) {
  PlatformHandle* text = nullptr;
  PlatformError error = PlatformReadFileToHandle(page->folder, page->fileName, kMarkupFileLimit, true, &text);
  if (error != kPlatformNoError) return error;
  error = ParseMarkup(text, kRawContentTags, kNoCloseTags, nullptr, &page->document);
  PlatformHandle::Dispose(text);
  if (error != kPlatformNoError) return error;
  page->interface = FindMarkupElement(page->document, nullptr, "INTERFACE", false);
  if (page->interface == nullptr) return kInterfaceErrNoInterface;
  const char* rect = GetMarkupAttribute(page->interface, "RECT");
  if (rect != nullptr) {
    ParseMarkupRect(&page->layoutRect, rect);
  } else {
    page->layoutRect = Rect{0, 0, 400, 300};
    const char* width = GetMarkupAttribute(page->interface, "WIDTH");
    const char* height = GetMarkupAttribute(page->interface, "HEIGHT");
    if (width != nullptr) page->layoutRect.right = ParseMarkupInteger(width);
    if (height != nullptr) page->layoutRect.bottom = ParseMarkupInteger(height);
  }
  const char* title = GetMarkupAttribute(page->interface, "TITLE");
  PlatformCopyStringBounded(page->title, title != nullptr ? title : "", sizeof page->title);
  const char* fore = GetMarkupAttribute(page->interface, "FGCOLOR");
  const char* back = GetMarkupAttribute(page->interface, "BGCOLOR");
  if (fore != nullptr) page->foreground = ParseMarkupColor(fore);
  if (back != nullptr) page->background = ParseMarkupColor(back);
  return kPlatformNoError;
}

// The BACKGROUND picture, tiled up to 128 pixels each way. A missing file is no background; another lookup error
// is given back to be returned once the rest has opened.
PlatformError LoadBackground(InterfacePage* page, PlatformError* lookupError) {
  const char* name = GetMarkupAttribute(page->interface, "BACKGROUND");
  if (name == nullptr || name[0] == '\0') return kPlatformNoError;
  PlatformFileInfo info;
  PlatformError error = PlatformGetFileInfo(page->folder, name, &info, false);
  if (error == kPlatformErrFileNotFound || error == kPlatformErrPathNotFound || error == kPlatformErrBadFileName) {
    char message[256];
    PlatformFormatString(message, sizeof message, "Unable to load background '%s'", name);
    return kPlatformNoError;
  }
  if (error != kPlatformNoError) {
    *lookupError = error;
    return kPlatformNoError;
  }
  PlatformHandle* bytes = nullptr;
  error = PlatformReadFileToHandle(page->folder, name, kMarkupFileLimit, true, &bytes);
  if (error != kPlatformNoError) return error;
  PlatformWorld* world = nullptr;
  TransferMode mode;
  ImageInfo imageInfo;
  error = PlatformDecodeImage(bytes, &world, nullptr, &mode, &imageInfo);
  PlatformHandle::Dispose(bytes);
  if (error == kPlatformNoError) error = PlatformWorld::ExpandPattern(world, nullptr);
  if (error != kPlatformNoError) {
    if (world != nullptr) PlatformWorld::DisposeSurface(world);
    return error;
  }
  page->backgroundPattern = world;
  return kPlatformNoError;
}

}  // namespace

namespace interface_internal {

void ClosePageNow(InterfacePage* page) {
  if (page->tearingDown) return;  // a callback of the closing page asked again
  page->tearingDown = 1;
  Globals& globals = State();
  ++globals.tearingDown;
  ++globals.callDepth;
  if (page->ownWindow && page->window != nullptr) ShowWindow(page->window, SW_HIDE);
  Notify(page, kPageSectionLeaving, nullptr, nullptr);
  Notify(page, kPageClosing, nullptr, nullptr);
  ForgetContents(page);  // a FRAME closes the page it shows as its element goes
  // Any other page shown inside this one (attached on its window by another opener) goes now: left open, it would
  // keep this page as its parent after the page is freed.
  for (bool again = true; again;) {
    again = false;
    for (InterfacePage* other = globals.pages; other != nullptr; other = other->next) {
      if (other->parent == page) {
        ClosePageNow(other);
        again = true;
        break;
      }
    }
  }
  if (page->focus == &page->ownFocus) page->ownFocus = InterfaceFocus{page, nullptr, nullptr, -1, nullptr};
  if (page->ownWindow && page->window != nullptr) {
    page->closing = 1;
    // A page window made by a dialog call ends as a dialog; no window here is one, so it is destroyed.
    if (!page->modal || !EndDialog(page->window, 0)) DestroyWindow(page->window);
    page->closing = 0;
  }
  if (page->variables != nullptr) DisposeDictionary(page->variables);
  if (page->parent == nullptr) {
    if (page->offscreen != nullptr) PlatformWorld::DisposeWindowWorld(page->offscreen);
    if (page->port != nullptr) GraphicsPort::Dispose(page->port);
  }
  if (page->focusOrder != nullptr) PlatformHandle::Dispose(page->focusOrder);
  for (InterfaceTagHandler* tag = page->tags; tag != nullptr;) {
    InterfaceTagHandler* next = tag->next;
    PlatformDisposePointer(tag);
    tag = next;
  }
  FreeImageCache(page);
  if (page->backgroundBrush != nullptr) DeleteObject(page->backgroundBrush);
  if (page->windowDc != nullptr && page->window != nullptr) ReleaseDC(page->window, page->windowDc);
  for (InterfacePage** link = &globals.pages; *link != nullptr; link = &(*link)->next) {
    if (*link == page) {
      *link = page->next;
      break;
    }
  }
  if (globals.currentPage == page) {
    globals.currentPage = nullptr;
    globals.currentElement = nullptr;
  }
  PlatformDisposePointer(page);
  --globals.callDepth;
  --globals.tearingDown;
}

}  // namespace interface_internal

PlatformError InterfacePage::Attach(HWND window, const Rect* rect, InterfacePageCallback callback, void* userData,
                                    void* reserved, InterfacePage** out) {
  if (out == nullptr) return kPlatformErrBadData;
  PageCall call;
  interface_internal::Globals& globals = State();
  InterfacePage* page = nullptr;
  if (window == reinterpret_cast<HWND>(static_cast<intptr_t>(-1))) {
    page = *out;
    if (!IsOpen(page)) return kPlatformErrBadData;
  } else {
    *out = nullptr;
    page = static_cast<InterfacePage*>(PlatformNewPointer(sizeof(InterfacePage)));
    if (page == nullptr) return kPlatformErrNoMemory;
    PlatformClearBlock(page, sizeof(InterfacePage));
    page->next = globals.pages;
    globals.pages = page;
    page->parent = globals.currentPage;
    page->window = window;
    RECT client;
    PlatformError error = kPlatformNoError;
    if (rect != nullptr) {
      page->area = *rect;
    } else if (GetClientRect(window, &client)) {
      page->area = Rect{client.left, client.top, client.right, client.bottom};
    } else {
      error = kPlatformErrNoMemory;
    }
    page->windowDc = GetDC(window);
    if (page->windowDc == nullptr) error = kPlatformErrNoMemory;
    if (error != kPlatformNoError) {
      interface_internal::ClosePageNow(page);
      return error;
    }
  }
  page->foreground = kInterfaceBlack;
  page->background = kInterfaceWhite;
  page->active = 1;
  page->enabled = 1;
  page->needsRefresh = 1;
  page->callback = callback;
  page->userData = userData;
  if (page->focusOrder == nullptr) page->focusOrder = PlatformHandle::New(0);
  InterfacePage* root = RootOf(page);
  if (root == page) {
    page->ownFocus = InterfaceFocus{page, nullptr, nullptr, -1, nullptr};
    page->focus = &page->ownFocus;
    if (page->port == nullptr) page->port = GraphicsPort::CreateForWindow(page->window, true);
    if (page->offscreen == nullptr) page->offscreen = PlatformWorld::CreateForWindow(page->window);
  } else {
    page->focus = root->focus;
    page->port = root->port;
  }
  if (page->focusOrder == nullptr || page->port == nullptr || (root == page && page->offscreen == nullptr)) {
    interface_internal::ClosePageNow(page);
    return kPlatformErrNoMemory;
  }
  *out = page;
  return Notify(page, kPageAttached, nullptr, nullptr);
}

PlatformError InterfacePage::Open(InterfacePage* page, FolderRef folder, const char* path, const char* sectionName) {
  if (!IsOpen(page)) return kPlatformErrBadData;
  PageCall call;
  // Every open first leaves what the page shows, the first one too: the callback hears message 5 and may refuse.
  if (LeaveRefused(page)) return kPlatformNoError;
  interface_internal::SuspendDrawing(page);
  // The old folder may be the one the new path is relative to: it goes only once the new one is found.
  FolderRef oldFolder = page->folder;
  page->folder = 0;
  ForgetContents(page);
  PlatformError error = kPlatformNoError;
  PlatformError lookupError = kPlatformNoError;
  bool empty = (path == nullptr || path[0] == '\0') && folder == 0;
  if (!empty) {
    PlatformFileInfo info;
    error = PlatformGetFileInfo(folder, path != nullptr ? path : "", &info, true);
    if (error == kPlatformNoError && info.isFolder) {
      error = PlatformResolveFolder(folder, path != nullptr ? path : "", &page->folder);
      if (error == kPlatformNoError) {
        PlatformCopyStringBounded(page->fileName, kMarkupIndexName, sizeof page->fileName);
        if (PlatformGetFileInfo(page->folder, kMarkupIndexName, nullptr, false) != kPlatformNoError) {
          error = kInterfaceErrNoIndex;
        }
      }
    } else if (error == kPlatformNoError) {
      char folderPart[260], name[256];
      SplitPath(path, folderPart, name);
      error = PlatformResolveFolder(folder, folderPart, &page->folder);
      PlatformCopyStringBounded(page->fileName, name, sizeof page->fileName);
    }
    if (error == kPlatformNoError) error = LoadDocument(page);
    if (error == kPlatformNoError) error = LoadBackground(page, &lookupError);
    if (error == kPlatformNoError) {
      page->sectionIndex = BuildMarkupPageIndex(page->interface->child);
      if (page->sectionIndex == nullptr) error = kPlatformErrNoMemory;
    }
  }
  if (oldFolder != 0) PlatformReleaseFolder(oldFolder);
  if (error == kPlatformNoError && !empty) {
    InterfaceSection* section = sectionName != nullptr && sectionName[0] != '\0'
                                    ? FindMarkupPage(page->sectionIndex, sectionName)
                                    : GetMarkupPageAt(page->sectionIndex, 0);
    error = ShowSection(page, section);
  }
  if (error != kPlatformNoError) ForgetContents(page);  // a failed open leaves the page empty
  interface_internal::ResumeDrawing(page);
  interface_internal::InvalidateArea(page, page->area);
  if (page->needsRefresh) {
    PlatformError refresh = RefreshWindow(page);
    if (error == kPlatformNoError) error = refresh;
  }
  return error != kPlatformNoError ? error : lookupError;
}

PlatformError InterfacePage::ShowSectionByName(InterfacePage* page, const char* name) {
  if (!IsOpen(page)) return kPlatformErrBadData;
  PageCall call;
  if (LeaveRefused(page)) return kPlatformNoError;
  InterfaceSection* section = name != nullptr && name[0] != '\0' ? FindMarkupPage(page->sectionIndex, name) : nullptr;
  return ShowSection(page, section);
}

PlatformError InterfacePage::ShowSection(InterfacePage* page, InterfaceSection* section) {
  PageCall call;
  interface_internal::SuspendDrawing(page);
  if (page->currentSection != nullptr) {
    interface_internal::InvalidateArea(page, page->area);
    RemoveSectionElements(page);
    page->currentSection = nullptr;
  }
  PlatformError error = kPlatformNoError;
  if (section != nullptr && section->page != nullptr) {
    interface_internal::InvalidateArea(page, page->area);
    error = BuildSection(page, section);
    if (error == kPlatformNoError) {
      page->currentSection = section;
      error = Notify(page, kPageSectionShown, section, nullptr);
      if (error != kPlatformNoError) {
        RemoveSectionElements(page);
        page->currentSection = nullptr;
      }
    }
    if (error == kPlatformNoError) {
      // Inside a handler of a page whose focus is set, the focus stays where the handler leaves it; a child page
      // shown while the page around it is being built leaves the focus to that page's own showing, which would
      // otherwise move it on a second time and start the page's focus on its second window.
      InterfacePage* current = State().currentPage;
      bool keepFocus = current != nullptr && current->focus != nullptr && current->focus->element != nullptr;
      const bool enclosingBuilt = page->parent == nullptr || RootOf(page)->currentSection != nullptr;
      if (!keepFocus && enclosingBuilt) MoveFocus(page, true, nullptr, nullptr, nullptr);
      CollectPreloads(page);
    }
  }
  page->needsRefresh = 1;
  interface_internal::ResumeDrawing(page);
  if (page->needsRefresh) {
    PlatformError refresh = RefreshWindow(page);
    if (error == kPlatformNoError) error = refresh;
  }
  return error;
}

PlatformError InterfacePage::Close(InterfacePage* page) {
  if (!IsOpen(page) || page->tearingDown) return kPlatformNoError;
  interface_internal::Globals& globals = State();
  if (globals.callDepth > 0 && globals.tearingDown == 0) {
    // A page call runs (a handler, a callback, a tracking loop): the page closes when the outermost call
    // returns, as closing it now would free the page and its elements under the code that is using them.
    page->closeRequested = 1;
    return kPlatformNoError;
  }
  interface_internal::ClosePageNow(page);
  return kPlatformNoError;
}

bool InterfacePage::IsOpen(InterfacePage* page) {
  if (page == nullptr) return false;
  for (InterfacePage* at = State().pages; at != nullptr; at = at->next) {
    if (at == page) return true;
  }
  return false;
}

void InterfacePage::SetVariables(InterfacePage* page, Dictionary* variables) {
  if (!IsOpen(page)) return;
  if (page->variables != nullptr && page->variables != variables) DisposeDictionary(page->variables);
  page->variables = variables;
}

PlatformError InterfacePage::RefreshWindow(InterfacePage* page) {
  interface_internal::InvalidateArea(page, page->area);
  PlatformError error = kPlatformNoError;
  if (page->ownWindow && page->window != nullptr) {
    const char* sectionTitle = page->currentSection != nullptr ? page->currentSection->title : "";
    char text[520];
    PlatformCopyStringBounded(text, page->title, sizeof text);
    if (text[0] != '\0' && sectionTitle[0] != '\0') PlatformAppendStringBounded(text, " / ", sizeof text);
    PlatformAppendStringBounded(text, sectionTitle, sizeof text);
    char shown[520];
    GetWindowTextA(page->window, shown, sizeof shown);
    if (std::strcmp(shown, text) != 0 && !SetWindowTextA(page->window, text)) error = kPlatformErrNoMemory;
  }
  if (page->windowDc != nullptr) {
    SetTextColor(page->windowDc, interface_internal::ColorRefOf(page->foreground));
    SetBkColor(page->windowDc, interface_internal::ColorRefOf(page->background));
  }
  page->needsRefresh = 0;
  return error;
}
