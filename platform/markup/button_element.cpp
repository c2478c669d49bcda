// Buttons and images ("BUTTON", "IMAGE", "IMG"): an image button drawn by the page from its pictures, tracking the
// mouse itself, or without pictures a Win32 button child window whose clicks the page hears as control commands.
#include <cstdio>
#include <cstring>

#include "host/controls.h"
#include "host/gdi.h"
#include "host/kernel.h"
#include "host/user.h"
#include "platform/core/strings.h"
#include "platform/graphics/graphics_port.h"
#include "platform/markup/element_support.h"
#include "platform/markup/markup_characters.h"

using element_support::CurrentData;
using element_support::DataOf;

namespace {

constexpr DWORD kButtonStyle = 0x50000000;  // a visible child
constexpr int32_t kStateNormal = 0;
constexpr int32_t kStateDim = 1;
constexpr int32_t kStateLit = 2;

struct ButtonData {
  element_support::ControlPart control;  // title, rectangle, flags and the child window (none for image buttons)
  PlatformHandle* images;                // ImageButtonEntry, three per set; empty for a child-window button
  uint8_t isDefault;
  uint8_t checkbox;
  uint8_t radio;
  int32_t value;
  int32_t pressState;  // kStateNormal, or kStateLit while pressed
};

bool IsImageButton(const ButtonData* data) {
  return data->control.window == nullptr && PlatformHandle::GetSize(data->images) > 0;
}

bool ImageButtonTakesInput(const ButtonData* data) { return element_support::EnabledOnPage(data->control.enabled); }

void ApplyEnabled(const ButtonData* data) {
  element_support::ApplyEnabled(data->control.window, data->control.enabledByActivation, data->control.enabled);
}

// The element drawn again now, on the page's window.
void Redraw(const ButtonData* data) { InterfacePage::InvalidateElement(nullptr, &data->control.rect); }

void CopyRectAttribute(Rect* out, const char* text) { ParseInterfaceRect(out, text); }

// One set of three entries: each attribute from the inner IMAGE element (or none), else from the element.
PlatformError AppendSet(PlatformHandle* images, MarkupNode* inner, MarkupNode* element) {
  const auto attribute = [&](const char* name) -> const char* {
    const char* value = inner != nullptr ? GetMarkupAttribute(inner, name) : nullptr;
    return value != nullptr ? value : GetMarkupAttribute(element, name);
  };
  const char* source = attribute("SRC");
  const char* sourceRect = attribute("SRC_RECT");
  const char* kNames[3] = {"SRC", "DIM", "LIT"};
  const char* kRects[3] = {"SRC_RECT", "DIM_RECT", "LIT_RECT"};
  for (int state = 0; state < 3; ++state) {
    ImageButtonEntry entry{};
    const char* name = attribute(kNames[state]);
    const char* rect = attribute(kRects[state]);
    PlatformCopyStringBounded(entry.name, name != nullptr ? name : (source != nullptr ? source : ""),
                              sizeof entry.name);
    CopyRectAttribute(&entry.rect, rect != nullptr ? rect : sourceRect);
    PlatformError error = PlatformHandle::AppendBytes(images, &entry, sizeof entry);
    if (error != kPlatformNoError) return error;
  }
  return kPlatformNoError;
}

// The 8 x 8 pattern of the placeholder: rows alternating 0x77 and 0xDD.
constexpr uint8_t kPlaceholderPattern[8] = {0x77, 0xDD, 0x77, 0xDD, 0x77, 0xDD, 0x77, 0xDD};

PlatformError DrawPlaceholder(PlatformWorld* port, const Rect* rect, int32_t state) {
  const ColorRecord darkRed{0xFF, 0xC0, 0x00, 0x00};
  const ColorRecord white{0xFF, 0xFF, 0xFF, 0xFF};
  const ColorRecord black{0xFF, 0x00, 0x00, 0x00};
  PlatformError error = GraphicsPort::SetFillPattern(port, &darkRed, &white, kPlaceholderPattern);
  if (error == kPlatformNoError) error = GraphicsPort::FillRect(port, rect);
  if (error == kPlatformNoError) error = GraphicsPort::SetPen(port, &black, &white, kSolidPattern, 1);
  if (error == kPlatformNoError) error = GraphicsPort::FrameRect(port, rect);
  if (error == kPlatformNoError && state != kStateNormal) error = GraphicsPort::InvertRect(port, rect);
  GraphicsPort::ResetState(port, true, true, false, false, false);
  return error;
}

// Tracks a press on an image button until the release: lit while the pointer is inside, with the callbacks of
// each change. True when released inside.
bool TrackPress(ButtonData* data) {
  InterfacePage::NotifyCurrentElement(kPageButtonPressed);
  if ((data = CurrentData<ButtonData>()) == nullptr) return false;
  data->pressState = kStateLit;
  Redraw(data);
  bool inside = true;
  MouseEventRecord mouse;
  for (;;) {
    const bool down = InterfacePage::TrackMouse(&mouse);
    if ((data = CurrentData<ButtonData>()) == nullptr) return false;
    const Point point{mouse.windowX, mouse.windowY};
    const bool now = Rect::ContainsPoint(&point, &data->control.rect);
    if (!down) {
      inside = now;
      break;
    }
    if (now == inside) continue;
    inside = now;
    data->pressState = inside ? kStateLit : kStateNormal;
    Redraw(data);
    InterfacePage::NotifyCurrentElement(inside ? kPageButtonBack : kPageButtonLeft);
    if ((data = CurrentData<ButtonData>()) == nullptr) return false;
  }
  InterfacePage::NotifyCurrentElement(kPageButtonReleased);
  if ((data = CurrentData<ButtonData>()) == nullptr) return false;
  if (inside) {
    data->pressState = kStateNormal;
    Redraw(data);
  }
  return inside;
}

void Flash(ButtonData* data) {
  if (data->control.window != nullptr) {
    SendMessageA(data->control.window, BM_SETSTATE, 1, 0);
    element_support::FlashPause();
    if (IsWindow(data->control.window)) SendMessageA(data->control.window, BM_SETSTATE, 0, 0);
    return;
  }
  if (!IsImageButton(data) || !ImageButtonTakesInput(data)) return;
  InterfacePage::NotifyCurrentElement(kPageButtonPressed);
  if ((data = CurrentData<ButtonData>()) == nullptr) return;
  data->pressState = kStateLit;
  Redraw(data);
  element_support::FlashPause();
  InterfacePage::NotifyCurrentElement(kPageButtonReleased);
  if ((data = CurrentData<ButtonData>()) == nullptr) return;
  data->pressState = kStateNormal;
  Redraw(data);
}

PlatformError Attach(HWND window, MarkupNode* node, ButtonData* data) {
  PlatformError error = ImageButton::LoadStates(node, &data->images);
  if (error != kPlatformNoError) return error;
  if (PlatformHandle::GetSize(data->images) > 0) return kPlatformNoError;
  DWORD style = kButtonStyle;
  if (data->radio) {
    style |= BS_RADIOBUTTON;
  } else if (data->checkbox) {
    style |= BS_CHECKBOX;
  } else if (data->isDefault) {
    style |= BS_DEFPUSHBUTTON;
  }
  const Rect& r = data->control.rect;
  data->control.window = CreateWindowExA(0, "BUTTON", data->control.title, style, r.left, r.top,
                                         static_cast<int>(r.Width()), static_cast<int>(r.Height()), window,
                                         element_support::ControlId(window), GetModuleHandleA(nullptr), nullptr);
  if (data->control.window == nullptr) return kInterfaceErrWindowClass;
  SendMessageA(data->control.window, BM_SETCHECK, data->value != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
  ApplyEnabled(data);
  return kPlatformNoError;
}

intptr_t ValueOf(const ButtonData* data) {
  if (data->control.window != nullptr)
    return SendMessageA(data->control.window, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
  return data->value;
}

}  // namespace

PlatformError ImageButton::LoadStates(MarkupNode* element, PlatformHandle** images) {
  *images = PlatformHandle::New(0);
  if (*images == nullptr) return kPlatformErrNoMemory;
  if (element == nullptr) return kPlatformNoError;
  MarkupNode* content = element->child;
  if (content != nullptr) {
    for (MarkupNode* inner = FindMarkupElement(content, nullptr, "IMAGE", false); inner != nullptr;
         inner = FindMarkupElement(content, inner, "IMAGE", false)) {
      PlatformError error = AppendSet(*images, inner, element);
      if (error != kPlatformNoError) return error;
    }
    return kPlatformNoError;
  }
  if (GetMarkupAttribute(element, "SRC") == nullptr) return kPlatformNoError;
  return AppendSet(*images, nullptr, element);
}

PlatformError ImageButton::DrawState(HDC dc, PlatformWorld* port, const Rect* rect, PlatformHandle* images, int32_t set,
                                     int32_t state) {
  element_support::DrawingPort made(port == nullptr ? dc : nullptr);
  if (port == nullptr) port = made.world();
  if (port == nullptr || rect == nullptr) return kPlatformErrNoMemory;
  // Only the entries the button loaded are read: any other set or state is drawn as the placeholder.
  const int64_t count = images != nullptr ? PlatformHandle::GetSize(images) / sizeof(ImageButtonEntry) : 0;
  const int64_t index = static_cast<int64_t>(set) * 3 + state;
  if (set < 0 || state < 0 || state > 2 || index >= count) return DrawPlaceholder(port, rect, state);
  const ImageButtonEntry& entry = static_cast<const ImageButtonEntry*>(images->data)[index];
  PlatformWorld* world = nullptr;
  PlatformWorld* mask = nullptr;
  TransferMode mode{};
  if (entry.name[0] == '\0' || InterfacePage::GetImage(entry.name, &world, &mask, &mode, nullptr) != kPlatformNoError ||
      world == nullptr) {
    return DrawPlaceholder(port, rect, state);
  }
  const Rect* source = Rect::IsEmpty(&entry.rect) ? nullptr : &entry.rect;
  return GraphicsPort::CopyWorld(port, rect, world, mask, &mode, source);
}

PlatformError ButtonElement::Proc(HWND window, HDC dc, MarkupNode* node, PlatformHandle* instance, int32_t message,
                                  intptr_t parameter1, intptr_t parameter2) {
  ButtonData* data = DataOf<ButtonData>(instance);
  if (message == kElementCreate) {
    data = element_support::MakeData<ButtonData>(instance);
    if (data == nullptr) return kPlatformErrNoMemory;
    if (char* kind = const_cast<char*>(GetMarkupAttribute(node, "KIND")); kind != nullptr) {
      PlatformUpperCase(kind);
      data->checkbox = std::strcmp(kind, "CHECKBOX") == 0 || std::strcmp(kind, "CHECK") == 0;
      data->radio = std::strcmp(kind, "RADIOBUTTON") == 0 || std::strcmp(kind, "RADIO") == 0;
    }
    data->value = ParseInterfaceNumber(GetMarkupAttribute(node, "VALUE"));
    data->control.enabled =
        GetMarkupAttribute(node, "HREF") != nullptr || GetMarkupAttribute(node, "SCRIPT") != nullptr;
    const char* keys = GetMarkupAttribute(node, "KEYS");
    data->isDefault = keys != nullptr && std::strchr(keys, '+') != nullptr;
    data->control.visible = 1;
    data->control.enabledByActivation = 1;
    return kPlatformNoError;
  }
  if (data == nullptr) return kPlatformNoError;
  PlatformError result = kPlatformNoError;
  if (element_support::HandleControlMessage(&data->control, message, parameter1, parameter2, 0, &result)) return result;
  switch (message) {
    case kElementAttach:
      return Attach(window, node, data);
    case kElementDetach:
      if (data->control.window != nullptr) DestroyWindow(data->control.window);
      data->control.window = nullptr;
      PlatformHandle::Dispose(data->images);
      data->images = nullptr;
      return kPlatformNoError;
    case kElementDispose:
      return element_support::DisposeData(instance);
    case kElementOwnsWindow:
      element_support::PutByte(
          parameter2, data->control.window != nullptr && reinterpret_cast<HWND>(parameter1) == data->control.window);
      return kPlatformNoError;
    case kElementHitTest: {
      const auto* mouse = reinterpret_cast<const MouseEventRecord*>(parameter1);
      bool hit = false;
      if (IsImageButton(data)) {
        const Point point{mouse->windowX, mouse->windowY};
        hit = Rect::ContainsPoint(&point, &data->control.rect);
      } else {
        hit = data->control.visible && element_support::IsChildUnderPoint(window, data->control.window, mouse);
      }
      element_support::PutByte(parameter2, hit);
      return kPlatformNoError;
    }
    case kElementDraw:
      if (data->control.window != nullptr) {
        element_support::PaintChildWindow(window, dc, data->control.window, data->control.rect,
                                          PRF_CHECKVISIBLE | PRF_CLIENT);
        return kPlatformNoError;
      }
      if (!IsImageButton(data)) return kPlatformNoError;
      {
        element_support::DrawingPort port(dc);
        return ImageButton::DrawState(dc, port.world(), &data->control.rect, data->images, data->value,
                                      ImageButtonTakesInput(data) ? data->pressState : kStateDim);
      }
    case kElementMouseDown:
      if (IsImageButton(data) && ImageButtonTakesInput(data) && TrackPress(data)) {
        reinterpret_cast<InterfaceActionResult*>(parameter2)->used = 1;
      }
      return kPlatformNoError;
    case kElementFlash:
      Flash(data);
      return kPlatformNoError;
    case kElementCursor:
      if (parameter2 != 0) *reinterpret_cast<int16_t*>(parameter2) = 0;
      return kPlatformNoError;
    case kElementGetText: {
      if (data->control.window == nullptr) return kPlatformNoError;
      char text[16];
      std::snprintf(text, sizeof text, "%ld", static_cast<long>(ValueOf(data)));
      return element_support::AppendText(parameter2, text);
    }
    case kElementSetText:
      return kElementErrUnsupported;
    case kElementGetValue:
      element_support::PutValue(parameter2, ValueOf(data));
      return kPlatformNoError;
    case kElementSetValue:
      data->value = static_cast<int32_t>(parameter1);
      if (data->control.window != nullptr) {
        SendMessageA(data->control.window, BM_SETCHECK, data->value != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
      } else if (IsImageButton(data)) {
        Redraw(data);
      }
      return kPlatformNoError;
    default:
      return kPlatformNoError;
  }
}
