// Tag handlers for the page tests. "TEST" records every message it gets and acts as its attributes say:
//   WINDOWS=n    makes n child windows (9901 + i) across its rectangle, which take part in the focus order
//   FAIL=m       answers message m with -7004
//   HIT=0        says no to the hit test; VISIBLE=0 answers "not visible" (so the element is not live)
//   ACTIVATE     reports a mouse press as an activation; USEKEY marks a key as used
//   TRACK        follows the mouse with TrackMouse while pressed; with CLOSE it first asks the window to close
//   GOTO=name    shows that section when pressed (the element is removed while its own message runs)
//   CURSOR=id    answers the cursor query; COLOR=#RRGGBB fills its rectangle when drawn
//   PICTURE=name asks the page for that picture when drawn (the answers are kept in Pictures())
// "TESTFRAME" shows the file or section of its SRC in a child page at its rectangle, as a frame does.
#pragma once

#include <cstddef>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "host/gdi.h"
#include "host/user.h"
#include "platform/markup/interface_page.h"

namespace page_test {

struct Delivered {
  std::string element;  // its NAME
  int32_t message;
  intptr_t parameter1;
};

inline std::vector<Delivered>& Log() {
  static std::vector<Delivered> log;
  return log;
}

// The messages an element got, in order (the live byte's 72 after each left out unless asked for).
// The first n messages an element got, and the last n.
inline std::vector<int32_t> First(std::vector<int32_t> messages, size_t n) {
  if (messages.size() > n) messages.resize(n);
  return messages;
}
inline std::vector<int32_t> Last(const std::vector<int32_t>& messages, size_t n) {
  return std::vector<int32_t>(messages.size() > n ? messages.end() - static_cast<std::ptrdiff_t>(n) : messages.begin(),
                              messages.end());
}
constexpr int32_t kCreateOrder[] = {kElementCreate, kElementSetRect, kElementSetTitle, kElementEnable, kElementAttach,
                                    kElementFillFocusOrder};
inline std::vector<int32_t> CreateOrder() { return std::vector<int32_t>(std::begin(kCreateOrder), std::end(kCreateOrder)); }
inline std::vector<int32_t> RemoveOrder() { return {kElementDetach, kElementDispose}; }

inline std::vector<int32_t> MessagesOf(const std::string& element, bool withLiveQueries = false) {
  std::vector<int32_t> messages;
  for (const Delivered& delivered : Log()) {
    if (delivered.element != element) continue;
    if (delivered.message == kElementGetVisible && !withLiveQueries) continue;
    messages.push_back(delivered.message);
  }
  return messages;
}

struct TestElementData {
  HWND windows[4];
  int32_t count;
  uint8_t visible;
  uint8_t enabled;
  std::vector<MouseEventRecord>* tracked;
};

inline std::vector<MouseEventRecord>& Tracked() {
  static std::vector<MouseEventRecord> tracked;
  return tracked;
}

// What the page answered when an element asked for its PICTURE while drawing.
struct PictureAnswer {
  std::string name;
  PlatformError error;
  PlatformWorld* world;
};
inline std::vector<PictureAnswer>& Pictures() {
  static std::vector<PictureAnswer> answers;
  return answers;
}

inline LRESULT TestControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

inline void RegisterTestControlClass() {
  static bool registered = false;
  if (registered) return;
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = TestControlProc;
  windowClass.lpszClassName = "TestControl";
  registered = RegisterClassA(&windowClass) != 0;
}

inline bool Has(MarkupNode* node, const char* name) { return GetMarkupAttribute(node, name) != nullptr; }
inline int32_t Number(MarkupNode* node, const char* name, int32_t otherwise) {
  const char* value = GetMarkupAttribute(node, name);
  return value != nullptr ? ParseMarkupInteger(value) : otherwise;
}

inline PlatformError TestElementProc(HWND window, HDC dc, MarkupNode* node, PlatformHandle* instance, int32_t message,
                                     intptr_t parameter1, intptr_t parameter2) {
  const char* name = GetMarkupAttribute(node, "NAME");
  Log().push_back(Delivered{name != nullptr ? name : "", message, parameter1});
  if (Number(node, "FAIL", -1) == message) return kPlatformErrNoMemory;
  auto* data = PlatformHandle::GetSize(instance) >= sizeof(TestElementData)
                   ? static_cast<TestElementData*>(instance->data)
                   : nullptr;
  switch (message) {
    case kElementCreate:
      PlatformHandle::SetSize(instance, sizeof(TestElementData));
      data = static_cast<TestElementData*>(instance->data);
      *data = TestElementData{{}, 0, static_cast<uint8_t>(Number(node, "VISIBLE", 1)), 1, nullptr};
      return kPlatformNoError;
    case kElementAttach: {
      RegisterTestControlClass();
      Rect rect = InterfacePage::CurrentElement()->rect;
      data->count = Number(node, "WINDOWS", 0);
      for (int32_t i = 0; i < data->count && i < 4; ++i) {
        const int32_t width = static_cast<int32_t>(rect.Width()) / data->count;
        data->windows[i] = CreateWindowExA(0, "TestControl", "", WS_CHILD | WS_VISIBLE, rect.left + i * width,
                                           rect.top, width, static_cast<int32_t>(rect.Height()), window,
                                           reinterpret_cast<HMENU>(static_cast<uintptr_t>(9901 + i)), nullptr,
                                           nullptr);
      }
      return kPlatformNoError;
    }
    case kElementDetach:
      for (int32_t i = 0; data != nullptr && i < data->count; ++i) DestroyWindow(data->windows[i]);
      if (data != nullptr) data->count = 0;
      return kPlatformNoError;
    case kElementDispose:
      PlatformHandle::SetSize(instance, 0);
      return kPlatformNoError;
    case kElementOwnsWindow:
      for (int32_t i = 0; data != nullptr && i < data->count; ++i) {
        if (data->windows[i] == reinterpret_cast<HWND>(parameter1)) *reinterpret_cast<uint8_t*>(parameter2) = 1;
      }
      return kPlatformNoError;
    case kElementHitTest:
      *reinterpret_cast<uint8_t*>(parameter2) = Number(node, "HIT", 1) != 0 ? 1 : 0;
      return kPlatformNoError;
    case kElementDraw: {
      if (const char* picture = GetMarkupAttribute(node, "PICTURE"); picture != nullptr) {
        PlatformWorld* world = nullptr;
        PlatformError error = InterfacePage::GetImage(picture, &world, nullptr, nullptr, nullptr);
        Pictures().push_back(PictureAnswer{picture, error, world});
      }
      const char* colour = GetMarkupAttribute(node, "COLOR");
      if (colour == nullptr) return kPlatformNoError;
      uint32_t word = ParseMarkupColor(colour);
      HBRUSH brush = CreateSolidBrush(RGB(static_cast<BYTE>(word >> 8), static_cast<BYTE>(word >> 16),
                                          static_cast<BYTE>(word >> 24)));
      const Rect rect = InterfacePage::CurrentElement()->rect;
      RECT box{rect.left, rect.top, rect.right, rect.bottom};
      FillRect(dc, &box, brush);
      DeleteObject(brush);
      return kPlatformNoError;
    }
    case kElementMouseDown: {
      auto* result = reinterpret_cast<InterfaceActionResult*>(parameter2);
      if (Has(node, "TRACK")) {
        if (Has(node, "CLOSE")) PostMessageA(window, WM_CLOSE, 0, 0);
        MouseEventRecord mouse;
        while (InterfacePage::TrackMouse(&mouse)) Tracked().push_back(mouse);
        Tracked().push_back(mouse);
        // The page may have closed meanwhile; its services still answer safely.
        InterfacePage::InvalidateElement(nullptr, &InterfacePage::CurrentElement()->rect);
      }
      if (Has(node, "ACTIVATE")) result->used = 1;
      // GOTO shows another section from inside the handler: the element goes while its own message runs.
      if (const char* section = GetMarkupAttribute(node, "GOTO"); section != nullptr) {
        InterfacePage::ShowSectionByName(InterfacePage::CurrentPage(), section);
      }
      return kPlatformNoError;
    }
    case kElementKey:
      if (Has(node, "USEKEY")) reinterpret_cast<InterfaceActionResult*>(parameter2)->used = 1;
      return kPlatformNoError;
    case kElementCursor:
      *reinterpret_cast<int16_t*>(parameter2) = static_cast<int16_t>(Number(node, "CURSOR", 0));
      return kPlatformNoError;
    case kElementFillFocusOrder:
      for (int32_t i = 0; data != nullptr && i < data->count; ++i) {
        PlatformHandle::AppendBytes(reinterpret_cast<PlatformHandle*>(parameter2), &data->windows[i], sizeof(HWND));
      }
      return kPlatformNoError;
    case kElementFocus:
      if (parameter1 != 0) SetFocus(reinterpret_cast<HWND>(parameter1));
      return kPlatformNoError;
    case kElementGetVisible:
      if (data != nullptr) *reinterpret_cast<uint8_t*>(parameter2) = data->visible;
      return kPlatformNoError;
    case kElementSetVisible:
      if (data != nullptr) data->visible = parameter1 != 0 ? 1 : 0;
      return kPlatformNoError;
    case kElementGetEnabled:
      if (data != nullptr) *reinterpret_cast<uint8_t*>(parameter2) = data->enabled;
      return kPlatformNoError;
    case kElementSetEnabled:
      if (data != nullptr) data->enabled = parameter1 != 0 ? 1 : 0;
      return kPlatformNoError;
    default:
      return kPlatformNoError;
  }
}

// A frame: its child page lives in the instance data.
inline PlatformError TestFrameProc(HWND window, HDC dc, MarkupNode* node, PlatformHandle* instance, int32_t message,
                                   intptr_t parameter1, intptr_t parameter2) {
  const char* name = GetMarkupAttribute(node, "NAME");
  Log().push_back(Delivered{name != nullptr ? name : "", message, parameter1});
  InterfacePage* child =
      PlatformHandle::GetSize(instance) >= sizeof(InterfacePage*) ? *static_cast<InterfacePage**>(instance->data) : nullptr;
  switch (message) {
    case kElementAttach: {
      InterfacePage* page = InterfacePage::CurrentPage();
      const Rect rect = InterfacePage::CurrentElement()->rect;
      PlatformError error = InterfacePage::Attach(window, &rect, page->callback, page->userData, nullptr, &child);
      if (error != kPlatformNoError) return error;
      PlatformHandle::SetBytes(instance, &child, sizeof child);
      char file[256], section[256];
      bool hasFile = false, hasSection = false;
      error = InterfacePage::ResolveLink(GetMarkupAttribute(node, "SRC"), file, section, &hasFile, &hasSection);
      if (error != kPlatformNoError) return error;
      return InterfacePage::Open(child, page->folder, hasFile ? file : page->fileName, hasSection ? section : nullptr);
    }
    case kElementDetach:
      if (child != nullptr) InterfacePage::Close(child);
      PlatformHandle::SetSize(instance, 0);
      return kPlatformNoError;
    case kElementOwnsWindow:
      for (InterfaceElement* at = child != nullptr ? child->sectionElements.elements : nullptr; at != nullptr;
           at = at->next) {
        InterfacePage::SendElementMessage(child, at, kElementOwnsWindow, parameter1, parameter2);
      }
      return kPlatformNoError;
    case kElementHitTest:
      *reinterpret_cast<uint8_t*>(parameter2) = 1;
      return kPlatformNoError;
    case kElementDraw:
      return child != nullptr ? InterfacePage::Redraw(child, reinterpret_cast<const Rect*>(parameter1), true)
                              : kPlatformNoError;
    case kElementMouseDown:
      return child != nullptr ? InterfacePage::HandleMouse(child, reinterpret_cast<const MouseEventRecord*>(parameter1),
                                                           reinterpret_cast<InterfaceActionResult*>(parameter2))
                              : kPlatformNoError;
    case kElementFillFocusOrder:
      return child != nullptr ? InterfacePage::RebuildFocusOrder(child, reinterpret_cast<PlatformHandle*>(parameter2))
                              : kPlatformNoError;
    case kElementGetValue:
      *reinterpret_cast<intptr_t*>(parameter2) = reinterpret_cast<intptr_t>(child);
      return kPlatformNoError;
    default:
      return kPlatformNoError;
  }
}

inline void RegisterTestTags() {
  InterfaceSystem::RegisterTag(nullptr, "TEST", TestElementProc);
  InterfaceSystem::RegisterTag(nullptr, "TESTFRAME", TestFrameProc);
  Log().clear();
  Tracked().clear();
  Pictures().clear();
}

}  // namespace page_test
