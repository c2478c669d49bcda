// Pop-up menus ("POPUP"): a Win32 drop-down list of the element's "ITEM" elements. Choosing an item is a control
// notification, which the page turns into the element's activation.
#include <cstring>

#include "host/controls.h"
#include "host/gdi.h"
#include "host/kernel.h"
#include "host/user.h"
#include "platform/core/strings.h"
#include "platform/markup/element_support.h"

using element_support::DataOf;

namespace {

constexpr DWORD kComboStyle = 0x50010003;  // a visible child drop-down list that takes Tab
constexpr int kDropDownRoom = 200;         // added to the element's height for the list

struct PopupData {
  element_support::ControlPart control;  // title, rectangle, flags and the drop-down list
  // The value given without a window: after attach the 0-based index of the last item marked DEFAULT (0 when
  // none is), after a set value or text the 1-based item chosen.
  int32_t value;
};

void ApplyEnabled(const PopupData* popup) {
  element_support::ApplyEnabled(popup->control.window, popup->control.enabledByActivation, popup->control.enabled);
}

PlatformError Attach(HWND window, MarkupNode* node, PopupData* popup) {
  const Rect& r = popup->control.rect;
  popup->control.window = CreateWindowExA(0, "COMBOBOX", "", kComboStyle, r.left, r.top, static_cast<int>(r.Width()),
                                          static_cast<int>(r.Height()), window, element_support::ControlId(window),
                                          GetModuleHandleA(nullptr), nullptr);
  if (popup->control.window == nullptr) return kInterfaceErrWindowClass;
  // The items: every ITEM inside with a title that is neither empty nor "-". The first item is selected; the
  // last one marked DEFAULT is only remembered as the value without a window.
  int32_t added = 0;
  int32_t chosen = 0;
  if (node->child != nullptr) {
    for (MarkupNode* item = FindMarkupElement(node->child, nullptr, "ITEM", false); item != nullptr;
         item = FindMarkupElement(node->child, item, "ITEM", false)) {
      const char* title = GetMarkupAttribute(item, "TITLE");
      if (title == nullptr || title[0] == '\0' || std::strcmp(title, "-") == 0) continue;
      SendMessageA(popup->control.window, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(title));
      if (GetMarkupAttribute(item, "DEFAULT") != nullptr) chosen = added;
      ++added;
    }
  }
  if (added == 0) SendMessageA(popup->control.window, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("none"));
  SendMessageA(popup->control.window, CB_SETCURSEL, 0, 0);
  popup->value = chosen;
  if (!SetWindowPos(popup->control.window, HWND_TOP, 0, 0, static_cast<int>(r.Width()),
                    static_cast<int>(r.Height()) + kDropDownRoom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE)) {
    return kInterfaceErrWindowClass;
  }
  ApplyEnabled(popup);
  return kPlatformNoError;
}

int32_t ValueOf(const PopupData* popup) {
  if (popup->control.window == nullptr) return popup->value;
  const LRESULT selected = SendMessageA(popup->control.window, CB_GETCURSEL, 0, 0);
  return selected == CB_ERR ? 0 : static_cast<int32_t>(selected) + 1;
}

PlatformError AppendSelectedText(const PopupData* popup, intptr_t handle) {
  if (popup->control.window == nullptr) return kPlatformNoError;
  const LRESULT selected = SendMessageA(popup->control.window, CB_GETCURSEL, 0, 0);
  if (selected == CB_ERR) return kPlatformNoError;
  const LRESULT length = SendMessageA(popup->control.window, CB_GETLBTEXTLEN, static_cast<WPARAM>(selected), 0);
  if (length == CB_ERR) return kPlatformNoError;
  PlatformHandle* text = PlatformHandle::New(static_cast<uint32_t>(length) + 1);
  if (text == nullptr) return kPlatformErrNoMemory;
  SendMessageA(popup->control.window, CB_GETLBTEXT, static_cast<WPARAM>(selected),
               reinterpret_cast<LPARAM>(text->data));
  PlatformError error = element_support::AppendText(handle, static_cast<const char*>(text->data));
  PlatformHandle::Dispose(text);
  return error;
}

}  // namespace

PlatformError PopupElement::Proc(HWND window, HDC dc, MarkupNode* node, PlatformHandle* instance, int32_t message,
                                 intptr_t parameter1, intptr_t parameter2) {
  if (message == kElementCreate) {
    PopupData* made = element_support::MakeData<PopupData>(instance);
    if (made == nullptr) return kPlatformErrNoMemory;
    made->control.enabledByActivation = 1;
    made->control.visible = 1;
    made->control.enabled = 1;
    return kPlatformNoError;
  }
  PopupData* popup = DataOf<PopupData>(instance);
  if (popup == nullptr) return kPlatformNoError;
  PlatformError result = kPlatformNoError;
  if (element_support::HandleControlMessage(&popup->control, message, parameter1, parameter2, kDropDownRoom, &result)) {
    return result;
  }
  switch (message) {
    case kElementAttach:
      return Attach(window, node, popup);
    case kElementDetach:
      if (popup->control.window != nullptr) DestroyWindow(popup->control.window);
      popup->control.window = nullptr;
      return kPlatformNoError;
    case kElementDispose:
      return element_support::DisposeData(instance);
    case kElementOwnsWindow:
      element_support::PutByte(
          parameter2, popup->control.window != nullptr && reinterpret_cast<HWND>(parameter1) == popup->control.window);
      return kPlatformNoError;
    case kElementHitTest:
      element_support::PutByte(
          parameter2, popup->control.visible &&
                          element_support::IsChildUnderPoint(window, popup->control.window,
                                                             reinterpret_cast<const MouseEventRecord*>(parameter1)));
      return kPlatformNoError;
    case kElementDraw:
      element_support::PaintChildWindow(window, dc, popup->control.window, popup->control.rect,
                                        PRF_CHECKVISIBLE | PRF_CLIENT);
      return kPlatformNoError;
    case kElementFlash:
      if (popup->control.window == nullptr) return kPlatformNoError;
      SendMessageA(popup->control.window, BM_SETSTATE, 1, 0);
      element_support::FlashPause();
      if (IsWindow(popup->control.window)) SendMessageA(popup->control.window, BM_SETSTATE, 0, 0);
      return kPlatformNoError;
    case kElementCursor:
      if (parameter2 != 0) *reinterpret_cast<int16_t*>(parameter2) = 0;
      return kPlatformNoError;
    case kElementFillFocusOrder:
      if (popup->control.window != nullptr && parameter2 != 0 &&
          element_support::EnabledOnPage(popup->control.enabled)) {
        return PlatformHandle::AppendBytes(reinterpret_cast<PlatformHandle*>(parameter2), &popup->control.window,
                                           sizeof(HWND));
      }
      return kPlatformNoError;
    case kElementFocus:
      if (parameter1 != 0 && popup->control.window != nullptr) SetFocus(popup->control.window);
      return kPlatformNoError;
    case kElementGetText:
      return AppendSelectedText(popup, parameter2);
    case kElementSetText: {
      char text[256];
      element_support::TextOfHandle(parameter1, text, sizeof text);
      if (popup->control.window == nullptr) return kPlatformErrBadReference;
      if (SendMessageA(popup->control.window, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                       reinterpret_cast<LPARAM>(text)) == CB_ERR) {
        return kPlatformErrBadReference;
      }
      popup->value = ValueOf(popup);
      return kPlatformNoError;
    }
    case kElementGetValue:
      element_support::PutValue(parameter2, ValueOf(popup));
      return kPlatformNoError;
    case kElementSetValue:
      popup->value = static_cast<int32_t>(parameter1);
      if (popup->control.window != nullptr)
        SendMessageA(popup->control.window, CB_SETCURSEL, static_cast<WPARAM>(popup->value - 1), 0);
      return kPlatformNoError;
    default:
      return kPlatformNoError;
  }
}
