// What the built-in tag handlers share: their instance data, drawing into the DC a handler is given (through a
// port, with the offscreen world's pixels kept in step), child windows painted into that DC, shown, enabled and
// hit-tested, the pause of a shortcut's flash, and the standard answers to the get and set messages. Internal to
// platform/markup.
#pragma once

#include <cstdint>
#include <cstring>

#include "host/types.h"
#include "platform/core/memory.h"
#include "platform/core/platform_error.h"
#include "platform/graphics/graphics_world.h"
#include "platform/markup/interface_page.h"
#include "platform/markup/page_elements.h"

namespace element_support {

// The handler's instance data as a record of plain fields: made zero-filled at message 0, null before and after.
template <typename Data>
Data* DataOf(PlatformHandle* instance) {
  return instance != nullptr && PlatformHandle::GetSize(instance) >= sizeof(Data) ? static_cast<Data*>(instance->data)
                                                                                  : nullptr;
}
template <typename Data>
Data* MakeData(PlatformHandle* instance) {
  if (PlatformHandle::SetSize(instance, static_cast<uint32_t>(sizeof(Data))) != kPlatformNoError) return nullptr;
  std::memset(instance->data, 0, sizeof(Data));
  return static_cast<Data*>(instance->data);
}
// The instance data of the element whose handler runs, fetched again after a callback or a message loop, which
// may have removed the element; null once it has gone.
template <typename Data>
Data* CurrentData() {
  InterfaceElement* element = InterfacePage::CurrentElement();
  return element != nullptr && !element->removed ? DataOf<Data>(element->instanceData) : nullptr;
}
// Message 3: the instance data is unlocked and emptied.
inline PlatformError DisposeData(PlatformHandle* instance) {
  PlatformHandle::SetLocked(instance, false);
  return PlatformHandle::SetSize(instance, 0);
}

// A port to draw into the DC a handler was given: the root page's offscreen world when the DC is its own, else a
// port made for the DC for as long as this lives. Raw GDI drawing on the DC goes between BeginRaw and EndRaw, so
// that the offscreen world's pixel memory and its bitmap stay in step.
class DrawingPort {
 public:
  explicit DrawingPort(HDC dc);
  ~DrawingPort();
  DrawingPort(const DrawingPort&) = delete;
  DrawingPort& operator=(const DrawingPort&) = delete;
  PlatformWorld* world() const { return world_; }
  bool IsOffscreen() const { return !owned_ && world_ != nullptr; }
  void BeginRaw();
  void EndRaw();

 private:
  PlatformWorld* world_ = nullptr;
  bool owned_ = false;
  int raw_ = 0;
};

// Paints a child window into the DC with the origin moved to the rectangle's top-left: WM_PAINT when the DC is
// the page window's own, else WM_PRINTCLIENT with the flags.
void PaintChildWindow(HWND pageWindow, HDC dc, HWND child, const Rect& rect, LPARAM printFlags);
// Whether the child window is the one under the mouse (ChildWindowFromPoint of the page window).
bool IsChildUnderPoint(HWND pageWindow, HWND child, const MouseEventRecord* mouse);
// Enables the child window exactly when the element is enabled, is enabled by the window's activation, and the
// page's elements are enabled.
void ApplyEnabled(HWND child, bool byActivation, bool enabled);
// Whether an element with these flags takes input now.
bool TakesInput(bool byActivation, bool enabled);
// Whether an element is enabled, and so are the page's elements (the window's activation aside): such an element
// joins the focus order, and an image button takes clicks.
bool EnabledOnPage(bool enabled);
// The pause of a keyboard shortcut's flash.
void FlashPause();
// The identifier of a child window made for an element.
inline HMENU ControlId(HWND pageWindow) {
  return reinterpret_cast<HMENU>(static_cast<uintptr_t>(FindFreeControlId(pageWindow)));
}

// What the handlers of child-window elements (buttons, pop-ups) keep alike: the title, the rectangle, the flags and
// the window (null for an image button, and before message 1).
struct ControlPart {
  char title[256];
  Rect rect;
  uint8_t enabledByActivation;
  uint8_t visible;
  uint8_t enabled;
  HWND window;
};
// Answers the messages such elements answer alike: 48 and 49, 64 to 67 (the window moved to the rectangle made
// `extraHeight` taller, and retitled; -8400 when it cannot be), and 72 to 75 (the window shown, hidden, enabled
// and disabled). False, with nothing done, for other messages.
bool HandleControlMessage(ControlPart* part, int32_t message, intptr_t parameter1, intptr_t parameter2,
                          int32_t extraHeight, PlatformError* result);

// Standard answers.
inline void PutByte(intptr_t out, uint8_t value) {
  if (out != 0) *reinterpret_cast<uint8_t*>(out) = value;
}
inline void PutValue(intptr_t out, intptr_t value) {
  if (out != 0) *reinterpret_cast<intptr_t*>(out) = value;
}
inline void PutRect(intptr_t out, const Rect& rect) {
  if (out != 0) *reinterpret_cast<Rect*>(out) = rect;
}
inline void PutColour(intptr_t out, uint32_t colour) {
  if (out != 0) *reinterpret_cast<uint32_t*>(out) = colour;
}
void PutTitle(intptr_t out, const char* title);
// Appends text (without its terminator) to the handle of message 68.
PlatformError AppendText(intptr_t handle, const char* text);
// The text a handle of message 69 holds, cut at `size` - 1 characters and terminated.
void TextOfHandle(intptr_t handle, char* text, size_t size);
// The colour word of a DC's COLORREF; the colour of an inherited attribute (false when there is none).
uint32_t WordOfColorRef(COLORREF colour);
bool AttributeColour(const char* name, uint32_t* colour);

}  // namespace element_support
