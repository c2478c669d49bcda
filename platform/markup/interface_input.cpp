// The input side of pages: the page window procedure, keyboard shortcuts (KEYS) and the focus key, mouse presses,
// notifications of child controls, commands passed on by a FRAME, and the mouse tracking loops of elements.
#include <cstring>

#include "host/gdi.h"
#include "host/user.h"
#include "platform/graphics/graphics_port.h"
#include "platform/markup/interface_state.h"

using interface_internal::FindWindowOwner;
using interface_internal::ForEachElement;
using interface_internal::PageCall;
using interface_internal::RootOf;
using interface_internal::State;

namespace {

constexpr uint8_t kFocusKey = 146;     // Tab
constexpr uint8_t kReturnKey = 145;
constexpr uint8_t kEnterKey = 149;     // the keypad's
constexpr uint8_t kEscapeKey = 160;
constexpr WORD kNotifySetFocus = 0x100;
constexpr WORD kNotifyKillFocus = 0x200;
constexpr WORD kNotifyChange = 0x300;
constexpr UINT kLastMouseMessage = 0x209;

// The page of a window: the page that owns it, else a root page on it, else any page on it. A root page before a
// child page: the window's input, painting and activation are the root page's to handle for the whole tree (a
// child page never activates, and would paint only its own area).
InterfacePage* PageOfWindow(HWND window) {
  InterfacePage* root = nullptr;
  InterfacePage* any = nullptr;
  for (InterfacePage* page = State().pages; page != nullptr; page = page->next) {
    if (page->window != window) continue;
    if (page->ownWindow) return page;
    if (page->parent == nullptr && root == nullptr) root = page;
    if (any == nullptr) any = page;
  }
  return root != nullptr ? root : any;
}

// The character a key stands for in KEYS: a typed digit or letter (upper-cased), "." as "-"; untyped, Return
// and keypad Enter as "+" and Escape as "-". 0 for none. A key types when its character is printable: the key
// event's flag 0x8 is the Alt key, so read as "typed" it would let only Alt and a letter reach KEYS.
char ShortcutOf(const KeyEventRecord* key) {
  const uint8_t c = key->character;
  if (c >= 32) {
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z')) return static_cast<char>(c);
    if (c >= 'a' && c <= 'z') return static_cast<char>(c - 'a' + 'A');
    return c == '.' ? '-' : 0;
  }
  if (key->keyCode == kReturnKey || key->keyCode == kEnterKey) return '+';
  return key->keyCode == kEscapeKey ? '-' : 0;
}

// After a key, mouse or control event: the root page, if still open, refreshes its window when it needs to.
void AfterEvent(InterfacePage* page) {
  InterfacePage* root = RootOf(page);
  if (InterfacePage::IsOpen(root) && !root->closeRequested && root->needsRefresh) InterfacePage::RefreshWindow(root);
}

// The pointer in the page window's client coordinates, with the flags of the buttons held now.
MouseEventRecord PointerOf(InterfacePage* page) {
  MouseEventRecord mouse;
  GetMouseEventInfo(page->window, &mouse);
  POINT point{mouse.screenX, mouse.screenY};
  ScreenToClient(page->window, &point);
  mouse.windowX = point.x;
  mouse.windowY = point.y;
  mouse.window = page->window;
  return mouse;
}

// Whether the window is the page window or one of its children.
bool IsInTree(HWND window, HWND pageWindow) {
  for (HWND at = window; at != nullptr; at = GetParent(at)) {
    if (at == pageWindow) return true;
  }
  return false;
}

HBRUSH BackgroundBrush(InterfacePage* page, uint32_t colour) {
  if (page->backgroundBrush != nullptr) DeleteObject(page->backgroundBrush);
  page->backgroundBrush = CreateSolidBrush(interface_internal::ColorRefOf(colour));
  return page->backgroundBrush;
}

uint32_t WordOf(COLORREF colour) {
  ColorRecord record;
  ColorRecord::FromColorRef(&record, colour);
  return static_cast<uint32_t>(record.flag) | (static_cast<uint32_t>(record.red) << 8) |
         (static_cast<uint32_t>(record.green) << 16) | (static_cast<uint32_t>(record.blue) << 24);
}

void EraseBackground(InterfacePage* page, HDC dc) {
  RECT client;
  GetClientRect(page->window, &client);
  if (page->ownWindow && page->backgroundPattern != nullptr) {
    PlatformWorld* port = GraphicsPort::CreateForDC(dc, true);
    if (port != nullptr) {
      const Rect area{client.left, client.top, client.right, client.bottom};
      GraphicsPort::TileWorld(port, &area, nullptr, page->backgroundPattern, nullptr, nullptr);
      GraphicsPort::Dispose(port);
      return;
    }
  }
  HBRUSH brush = CreateSolidBrush(interface_internal::ColorRefOf(page->background));
  FillRect(dc, &client, brush);
  DeleteObject(brush);
}

// WM_ACTIVATE: every element hears whether the window is active (48) or not (49). Activated, the window gives the
// focus to its pending focus window when an element claims it, else moves the focus on.
bool HandleActivation(InterfacePage* page, WPARAM wParam) {
  const WORD state = LOWORD(wParam);
  const bool on = state == WA_ACTIVE || state == WA_CLICKACTIVE;
  ForEachElement(page, [&](InterfaceElement* element) {
    InterfacePage::SendElementMessage(page, element, on ? kElementEnable : kElementDisable, 0, 0);
  });
  if (!on) {
    // Losing the activation moves no focus: focusing a child of a window that is being deactivated activates it
    // again, so the page would take the activation back from the window the user turned to. The focused window
    // is kept as the pending focus window instead, for the activation that brings the user back.
    page->pendingFocusWindow = RootOf(page)->focus->window;
    return true;
  }
  InterfacePage* owner = nullptr;
  InterfaceElement* element = nullptr;
  HWND pending = page->pendingFocusWindow;
  page->pendingFocusWindow = nullptr;
  if (pending != nullptr && FindWindowOwner(page, pending, &owner, &element)) {
    InterfacePage::SetFocus(owner, element, pending, false);
  } else {
    InterfacePage::MoveFocus(page, true, nullptr, nullptr, nullptr);
  }
  return true;
}

bool HandleCursor(InterfacePage* page, LPARAM lParam, LRESULT* answer) {
  if (LOWORD(lParam) != HTCLIENT) return false;
  MouseEventRecord mouse = PointerOf(page);
  const Point point{mouse.windowX, mouse.windowY};
  int32_t id = Rect::ContainsPoint(&point, &page->area) ? 0 : -1;
  InterfaceElement* under = nullptr;
  ForEachElement(page, [&](InterfaceElement* element) {
    if (element->live && Rect::ContainsPoint(&point, &element->rect)) under = element;
  });
  if (under != nullptr) {
    int16_t cursor = 0;
    InterfacePage::SendElementMessage(page, under, kElementCursor, reinterpret_cast<intptr_t>(&mouse),
                                      reinterpret_cast<intptr_t>(&cursor));
    id = cursor;
  }
  if (id == -1) return false;
  SetInterfaceCursor(id);
  *answer = TRUE;
  return true;
}

bool HandleStaticColours(InterfacePage* page, HDC dc, HWND control, LRESULT* answer) {
  InterfacePage* owner = nullptr;
  InterfaceElement* element = nullptr;
  if (!FindWindowOwner(page, control, &owner, &element)) return false;
  uint32_t fore = WordOf(GetTextColor(dc)), back = WordOf(GetBkColor(dc));
  if (InterfacePage::SendElementMessage(owner, element, kElementGetForeColor, 0, reinterpret_cast<intptr_t>(&fore)) !=
          kPlatformNoError ||
      InterfacePage::SendElementMessage(owner, element, kElementGetBackColor, 0, reinterpret_cast<intptr_t>(&back)) !=
          kPlatformNoError) {
    return false;
  }
  SetTextColor(dc, interface_internal::ColorRefOf(fore));
  SetBkColor(dc, interface_internal::ColorRefOf(back));
  *answer = reinterpret_cast<LRESULT>(BackgroundBrush(page, back));
  return true;
}

}  // namespace

LRESULT InterfacePage::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  PageCall call;
  InterfacePage* page = PageOfWindow(window);
  LRESULT answer = 0;
  if (page != nullptr && !page->closeRequested && HandleWindowMessage(page, message, wParam, lParam, &answer)) {
    return answer;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

bool InterfacePage::HandleWindowMessage(InterfacePage* page, UINT message, WPARAM wParam, LPARAM lParam,
                                        LRESULT* answer) {
  PageCall call;
  *answer = 0;
  InterfaceActionResult result{};
  switch (message) {
    case WM_DESTROY:
    case WM_CLOSE:
      if (!page->closing) Close(RootOf(page));
      return false;
    case WM_ACTIVATE:
      return HandleActivation(page, wParam);
    case WM_PAINT:
      if (page->ownWindow) {
        PAINTSTRUCT paint;
        BeginPaint(page->window, &paint);
        Redraw(page, nullptr, false);
        EndPaint(page->window, &paint);
      } else {
        Redraw(page, nullptr, false);
        // The page's window holds nothing else to paint; a part left invalid would bring WM_PAINT back for ever.
        ValidateRect(page->window, nullptr);
      }
      return true;
    case WM_ERASEBKGND:
      EraseBackground(page, reinterpret_cast<HDC>(wParam));
      *answer = 1;
      return true;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      return true;
    case WM_SETCURSOR:
      return HandleCursor(page, lParam, answer);
    case WM_GETMINMAXINFO: {
      if (!IsWindowVisible(page->window)) return false;
      RECT rect;
      GetWindowRect(page->window, &rect);
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      const POINT size{rect.right - rect.left, rect.bottom - rect.top};
      info->ptMinTrackSize = info->ptMaxTrackSize = info->ptMaxSize = size;
      info->ptMaxPosition = POINT{rect.left, rect.top};
      return true;
    }
    case WM_COMMAND: {
      const WORD notification = HIWORD(wParam);
      const HWND control = reinterpret_cast<HWND>(lParam);
      if ((notification == 0 || notification == 1) && control != nullptr) {
        HandleControlCommand(page, control, &result);
        AfterEvent(page);
      } else if (notification == kNotifySetFocus) {
        SetFocus(page, nullptr, control, false);
        return true;
      } else if (notification == kNotifyKillFocus) {
        SetFocus(page, nullptr, nullptr, false);
        return true;
      } else if (notification == kNotifyChange) {
        const KeyEventRecord empty{};
        HandleKeyEvent(page, &empty, &result);
        AfterEvent(page);
      }
      return false;
    }
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) Close(RootOf(page));
      return false;
    case WM_CTLCOLORDLG: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetTextColor(dc, interface_internal::ColorRefOf(page->foreground));
      SetBkColor(dc, interface_internal::ColorRefOf(page->background));
      *answer = reinterpret_cast<LRESULT>(BackgroundBrush(page, page->background));
      return true;
    }
    case WM_CTLCOLORSTATIC:
      return HandleStaticColours(page, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), answer);
    default:
      break;
  }
  if (message >= WM_KEYFIRST && message <= WM_KEYLAST) {
    KeyEventRecord key;
    if (GetKeyEventInfo(page->window, message, wParam, lParam, &key)) {
      HandleKeyEvent(page, &key, &result);
      AfterEvent(page);
    }
  } else if (message >= WM_MOUSEFIRST && message <= kLastMouseMessage) {
    MouseEventRecord mouse;
    if (GetMouseMessageInfo(page->window, message, wParam, lParam, &mouse)) {
      HandleMouse(page, &mouse, &result);
      AfterEvent(page);
    }
  }
  return false;
}

PlatformError InterfacePage::HandleKeyEvent(InterfacePage* page, const KeyEventRecord* key,
                                            InterfaceActionResult* result) {
  PageCall call;
  InterfaceFocus* focus = RootOf(page)->focus;
  InterfacePage* target = focus->element != nullptr ? focus->page : page;
  PlatformError error = HandleKey(target, &target->sectionElements, key, result);
  // Only a root page acts: an activation found in a child page runs here.
  if (error == kPlatformNoError && page->parent == nullptr && result->element != nullptr) {
    error = Activate(result->page, result->element, result->link);
  }
  return error;
}

PlatformError InterfacePage::HandleKey(InterfacePage* page, InterfaceSectionElements* elements,
                                       const KeyEventRecord* key, InterfaceActionResult* result) {
  PageCall call;
  if (key->keyCode == kFocusKey) {
    result->used = 1;
    return MoveFocus(page, (key->flags & kInputShift) == 0, nullptr, nullptr, nullptr);
  }
  const bool typed = key->character >= 32;
  const char shortcut = ShortcutOf(key);
  InterfaceFocus* focus = RootOf(page)->focus;
  if (!typed && focus->element != nullptr) {
    InterfacePage* focusPage = focus->page;
    InterfaceElement* focused = focus->element;
    PlatformError error = SendElementMessage(focusPage, focused, kElementKey, reinterpret_cast<intptr_t>(key),
                                             reinterpret_cast<intptr_t>(result));
    if (error != kPlatformNoError) return error;
    if (result->used && result->element == nullptr) {
      result->page = focusPage;
      result->element = focused;
    }
  }
  if (!result->used && shortcut != 0 && !(key->flags & kInputRepeat)) {
    for (InterfaceElement* element = elements->elements; element != nullptr; element = element->next) {
      const char* keys = GetMarkupAttribute(element->node, "KEYS");
      if (element->removed || keys == nullptr || std::strchr(keys, shortcut) == nullptr) continue;
      SendElementMessage(page, element, kElementFlash, 0, 0);
      result->used = 1;
      result->page = page;
      result->element = element;
      break;
    }
  }
  return kPlatformNoError;
}

PlatformError InterfacePage::HandleMouse(InterfacePage* page, const MouseEventRecord* mouse,
                                         InterfaceActionResult* result) {
  PageCall call;
  const Point point{mouse->windowX, mouse->windowY};
  InterfaceElement* hit = nullptr;
  ForEachElement(page, [&](InterfaceElement* element) {
    if (!element->live || !Rect::ContainsPoint(&point, &element->rect)) return;
    uint8_t yes = 0;
    SendElementMessage(page, element, kElementHitTest, reinterpret_cast<intptr_t>(mouse),
                       reinterpret_cast<intptr_t>(&yes));
    if (yes) hit = element;
  });
  if (hit == nullptr) return kPlatformNoError;
  PlatformError error = SendElementMessage(page, hit, kElementMouseDown, reinterpret_cast<intptr_t>(mouse),
                                           reinterpret_cast<intptr_t>(result));
  if (result->used && result->element == nullptr) {
    result->page = page;
    result->element = hit;
  }
  if (error == kPlatformNoError && page->parent == nullptr && result->used && result->element != nullptr) {
    error = Activate(result->page, result->element, result->link);
  }
  return error;
}

PlatformError InterfacePage::HandleControlCommand(InterfacePage* page, HWND control, InterfaceActionResult* result) {
  PageCall call;
  InterfacePage* owner = nullptr;
  InterfaceElement* element = nullptr;
  if (!FindWindowOwner(page, control, &owner, &element)) return kPlatformNoError;
  result->used = 1;
  result->page = owner;
  result->element = element;
  return page->parent == nullptr ? Activate(owner, element, nullptr) : kPlatformNoError;
}

PlatformError InterfacePage::ForwardCommand(InterfacePage* page, int32_t message, InterfaceActionResult* result) {
  InterfaceFocus* focus = page != nullptr ? page->focus : nullptr;
  if (focus == nullptr || focus->page != page || focus->element == nullptr) return kPlatformNoError;
  return SendElementMessage(page, focus->element, message, 0, reinterpret_cast<intptr_t>(result));
}

bool InterfacePage::TrackMouse(MouseEventRecord* mouse) {
  InterfacePage* page = State().currentPage;
  if (page == nullptr) return false;
  InterfacePage* root = RootOf(page);
  for (;;) {
    if (!IsOpen(root) || root->closeRequested) return false;
    MSG message;
    if (!GetMessageA(&message, nullptr, 0, 0)) {
      PostQuitMessage(static_cast<int>(message.wParam));  // the loop that ends the program sees it too
      return false;
    }
    const bool ours = IsInTree(message.hwnd, root->window);
    if (ours && (message.message == WM_MOUSEMOVE || message.message == WM_LBUTTONUP)) {
      POINT point{static_cast<int16_t>(LOWORD(message.lParam)), static_cast<int16_t>(HIWORD(message.lParam))};
      ClientToScreen(message.hwnd, &point);
      ScreenToClient(root->window, &point);
      *mouse = MouseEventRecord{};
      mouse->screenX = message.pt.x;
      mouse->screenY = message.pt.y;
      mouse->windowX = point.x;
      mouse->windowY = point.y;
      mouse->window = root->window;
      const bool down = message.message == WM_MOUSEMOVE && (message.wParam & MK_LBUTTON);
      mouse->flags = down ? (kInputLeftButton | kInputButtonStillDown) : 0;
      return down;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}
