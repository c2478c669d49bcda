// What the built-in tag handlers share.
#include "platform/markup/element_support.h"

#include "host/controls.h"
#include "host/gdi.h"
#include "host/kernel.h"
#include "host/user.h"
#include "platform/core/core.h"
#include "platform/core/strings.h"
#include "platform/graphics/graphics_port.h"
#include "platform/markup/interface_state.h"
#include "platform/markup/page_elements.h"

namespace element_support {

namespace {

constexpr DWORD kFlashMilliseconds = 120;

PlatformWorld* OffscreenOfCurrentPage() {
  InterfacePage* page = InterfacePage::CurrentPage();
  InterfacePage* root = interface_internal::RootOf(page);
  return root != nullptr ? root->offscreen : nullptr;
}

}  // namespace

DrawingPort::DrawingPort(HDC dc) {
  PlatformWorld* offscreen = OffscreenOfCurrentPage();
  if (offscreen != nullptr && dc != nullptr && PlatformWorld::GetPortDC(offscreen) == dc) {
    world_ = offscreen;
  } else if (dc != nullptr) {
    world_ = GraphicsPort::CreateForDC(dc, true);
    owned_ = world_ != nullptr;
  }
}

DrawingPort::~DrawingPort() {
  while (raw_ > 0) EndRaw();
  if (owned_) GraphicsPort::Dispose(world_);
}

void DrawingPort::BeginRaw() {
  if (world_ == nullptr) return;
  if (raw_++ == 0) GraphicsPort::BeginPixelAccess(PlatformWorld::GetPort(world_));
}

void DrawingPort::EndRaw() {
  if (world_ == nullptr || raw_ == 0) return;
  if (--raw_ == 0) GraphicsPort::EndPixelAccess(PlatformWorld::GetPort(world_));
}

void PaintChildWindow(HWND pageWindow, HDC dc, HWND child, const Rect& rect, LPARAM printFlags) {
  if (child == nullptr || dc == nullptr) return;
  DrawingPort port(dc);
  port.BeginRaw();
  const int saved = SaveDC(dc);
  POINT origin{0, 0};
  GetViewportOrgEx(dc, &origin);
  SetViewportOrgEx(dc, origin.x + rect.left, origin.y + rect.top, nullptr);
  if (dc == GetDC(pageWindow)) {
    SendMessageA(child, WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
  } else {
    SendMessageA(child, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), printFlags);
  }
  RestoreDC(dc, saved);
  port.EndRaw();
}

bool IsChildUnderPoint(HWND pageWindow, HWND child, const MouseEventRecord* mouse) {
  if (child == nullptr || mouse == nullptr || !IsWindowVisible(child)) return false;
  return ChildWindowFromPoint(pageWindow, POINT{mouse->windowX, mouse->windowY}) == child;
}

bool EnabledOnPage(bool enabled) { return enabled && InterfacePage::ElementsEnabled(); }

bool TakesInput(bool byActivation, bool enabled) { return byActivation && EnabledOnPage(enabled); }

void ApplyEnabled(HWND child, bool byActivation, bool enabled) {
  if (child != nullptr) EnableWindow(child, TakesInput(byActivation, enabled) ? TRUE : FALSE);
}

void FlashPause() { PlatformSleep(kFlashMilliseconds); }

bool HandleControlMessage(ControlPart* part, int32_t message, intptr_t parameter1, intptr_t parameter2,
                          int32_t extraHeight, PlatformError* result) {
  *result = kPlatformNoError;
  switch (message) {
    case kElementEnable:
    case kElementDisable:
      part->enabledByActivation = message == kElementEnable;
      ApplyEnabled(part->window, part->enabledByActivation, part->enabled);
      return true;
    case kElementGetRect:
      PutRect(parameter2, part->rect);
      return true;
    case kElementSetRect: {
      part->rect = *reinterpret_cast<const Rect*>(parameter1);
      const Rect& r = part->rect;
      if (part->window != nullptr && !MoveWindow(part->window, r.left, r.top, static_cast<int>(r.Width()),
                                                 static_cast<int>(r.Height()) + extraHeight, TRUE)) {
        *result = kInterfaceErrWindowClass;
      }
      return true;
    }
    case kElementGetTitle:
      PutTitle(parameter2, part->title);
      return true;
    case kElementSetTitle:
      PlatformCopyStringBounded(part->title, reinterpret_cast<const char*>(parameter1), sizeof part->title);
      if (part->window != nullptr && !SetWindowTextA(part->window, part->title)) *result = kInterfaceErrWindowClass;
      return true;
    case kElementGetVisible:
      PutByte(parameter2, part->visible);
      return true;
    case kElementSetVisible:
      part->visible = parameter1 != 0;
      if (part->window != nullptr) ShowWindow(part->window, part->visible ? SW_SHOW : SW_HIDE);
      return true;
    case kElementGetEnabled:
      PutByte(parameter2, part->enabled);
      return true;
    case kElementSetEnabled:
      part->enabled = parameter1 != 0;
      ApplyEnabled(part->window, part->enabledByActivation, part->enabled);
      return true;
    default:
      return false;
  }
}

void PutTitle(intptr_t out, const char* title) {
  if (out != 0) PlatformCopyStringBounded(reinterpret_cast<char*>(out), title, 256);
}

PlatformError AppendText(intptr_t handle, const char* text) {
  if (handle == 0 || text == nullptr) return kPlatformNoError;
  return PlatformHandle::AppendBytes(reinterpret_cast<PlatformHandle*>(handle), text,
                                     static_cast<uint32_t>(PlatformStringLength(text)));
}

void TextOfHandle(intptr_t handle, char* text, size_t size) {
  text[0] = '\0';
  auto* source = reinterpret_cast<PlatformHandle*>(handle);
  if (source == nullptr || size == 0) return;
  size_t length = PlatformHandle::GetSize(source);
  if (length > size - 1) length = size - 1;
  std::memcpy(text, source->data, length);
  text[length] = '\0';
}

uint32_t WordOfColorRef(COLORREF colour) {
  return 0xFFu | (static_cast<uint32_t>(GetRValue(colour)) << 8) | (static_cast<uint32_t>(GetGValue(colour)) << 16) |
         (static_cast<uint32_t>(GetBValue(colour)) << 24);
}

bool AttributeColour(const char* name, uint32_t* colour) {
  const char* value = InterfacePage::GetCurrentAttribute(name, true);
  if (value == nullptr) return false;
  *colour = ParseInterfaceColor(value);
  return true;
}

}  // namespace element_support
