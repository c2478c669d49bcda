// The element protocol of markup pages: every element of a shown section whose tag has a registered handler is
// a live element, a record the page keeps plus instance data the handler owns. The page talks to an element only
// through its handler procedure and the numbered messages below; InterfacePage::SendElementMessage delivers them.
#pragma once

#include <cstdint>

#include "host/types.h"
#include "platform/core/memory.h"
#include "platform/core/platform_error.h"
#include "platform/graphics/rect.h"
#include "platform/markup/markup_document.h"

struct InterfacePage;
struct InterfaceSectionElements;

// The handler of a tag: (window of the page, DC, node, instance-data handle, message, parameter 1, parameter 2).
// While it runs, the page and the element are the current page and element, so that the handler can use the page
// services. Parameters carry values or addresses; an "out" parameter is an address.
using InterfaceElementProc = PlatformError (*)(HWND window, HDC dc, MarkupNode* node, PlatformHandle* instanceData,
                                               int32_t message, intptr_t parameter1, intptr_t parameter2);

// The messages (parameter 2 is the out parameter unless said otherwise).
enum InterfaceElementMessage : int32_t {
  kElementCreate = 0,           // size the instance data, read attributes
  kElementAttach = 1,           // make child windows, take colours from the DC
  kElementDetach = 2,           // destroy child windows, free resources
  kElementDispose = 3,          // unlock and empty the instance data
  kElementOwnsWindow = 16,      // p1 a window; out uint8_t: whether it belongs to the element
  kElementHitTest = 17,         // p1 const MouseEventRecord*; out uint8_t
  kElementDraw = 18,            // p1 const Rect* or null
  kElementIdle = 19,
  kElementMouseDown = 21,       // p1 const MouseEventRecord*, with tracking until release; out InterfaceActionResult*
  kElementKey = 22,             // p1 const KeyEventRecord*; out InterfaceActionResult*
  kElementFlash = 23,           // visible feedback of a keyboard shortcut
  kElementCursor = 24,          // p1 const MouseEventRecord*; out int16_t cursor id
  kElementCommandFirst = 33,    // 33, 35 to 38 and 40: commands a FRAME passes on to its child page's focus
  kElementCommandLast = 40,
  kElementEnable = 48,          // the page window was activated
  kElementDisable = 49,         // ... or deactivated
  kElementFillFocusOrder = 50,  // out PlatformHandle*: append the element's focusable windows (HWND each)
  kElementFocus = 51,           // p1 the window gaining the focus, or null when the element loses it
  kElementGetRect = 64,         // out Rect*
  kElementSetRect = 65,         // p1 const Rect*
  kElementGetTitle = 66,        // out char[256]
  kElementSetTitle = 67,        // p1 const char*
  kElementGetText = 68,         // out PlatformHandle*: the text is appended
  kElementSetText = 69,         // p1 PlatformHandle*
  kElementGetValue = 70,        // out intptr_t* (a FRAME answers its child page)
  kElementSetValue = 71,        // p1 the value
  kElementGetVisible = 72,      // out uint8_t*
  kElementSetVisible = 73,      // p1 flag
  kElementGetEnabled = 74,      // out uint8_t*
  kElementSetEnabled = 75,      // p1 flag
  kElementGetForeColor = 76,    // out uint32_t* (a colour as ParseMarkupColor gives it)
  kElementSetForeColor = 77,    // p1 colour
  kElementGetBackColor = 78,    // out uint32_t*
  kElementSetBackColor = 79,    // p1 colour
};

struct InterfaceElement {
  InterfaceElement* next;            // in the section's list, in creation order
  InterfaceSectionElements* owner;   // the list holding it
  PlatformHandle* content;           // the child windows (HWND each) that take part in keyboard focus
  MarkupNode* node;
  Rect rect;                         // in page (window client) coordinates
  InterfaceElementProc handler;
  PlatformHandle* instanceData;      // sized by the handler
  uint8_t ownsNode;                  // removing the element also detaches and frees its node
  uint8_t live;                      // messages 16 to 50 reach the element only while set (refreshed by 72)
  uint8_t removed;                   // removed while a page call runs; freed when the outermost call returns
  uint8_t spare;
};

// What an element did with a key, a mouse press or a cursor query (zeroed by the caller).
struct InterfaceActionResult {
  uint8_t used;             // the event was used, or the element was activated
  InterfacePage* page;      // the page of the element to activate (set by the page when the handler leaves it)
  InterfaceElement* element;
  char link[1024];          // a link the element followed instead of its HREF
};

// The number of focusable windows in a content or focus-order handle, and the n-th.
inline uint32_t InterfaceWindowCount(PlatformHandle* handle) {
  return handle == nullptr ? 0 : PlatformHandle::GetSize(handle) / static_cast<uint32_t>(sizeof(HWND));
}
inline HWND InterfaceWindowAt(PlatformHandle* handle, uint32_t n) { return static_cast<HWND*>(handle->data)[n]; }
