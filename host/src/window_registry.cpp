// Window classes, windows and their messages, and the system cursors.
//
// Handles are small numbers of the host layer's own (never addresses), so a stale or foreign HWND is simply not
// found. Creation sends WM_NCCREATE and WM_CREATE; destruction sends WM_DESTROY and WM_NCDESTROY, children
// first being destroyed after their parent's WM_DESTROY, as the system does. A window also gets its client-area
// frame buffer here and, once shown, its SDL window (window_surface.cpp); destruction releases both along with its
// timers, its waiting messages and its activation. The default window procedure closes, paints and runs the
// menu keys.
#include "window_registry.h"

#include <SDL.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>

#include "control_classes.h"
#include "gdi_internal.h"
#include "menu_strip.h"
#include "painting.h"
#include "user_state.h"
#include "window_composition.h"
#include "window_surface.h"

namespace host {
namespace {

struct Registry {
  std::vector<std::shared_ptr<WindowClass>> classes;
  std::map<uintptr_t, std::unique_ptr<Window>> windows;  // by handle value, which grows: the order of making
  uintptr_t nextHandle = 0x10010;
  ATOM nextAtom = 0xC000;
};

Registry& TheRegistry() {
  static Registry* registry = new Registry;
  return *registry;
}

bool SameText(const std::string& a, const char* b) {
  if (a.size() != std::strlen(b)) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

uintptr_t Key(HWND handle) { return reinterpret_cast<uintptr_t>(handle); }

}  // namespace

std::recursive_mutex& WindowLock() {
  static std::recursive_mutex* lock = new std::recursive_mutex;
  return *lock;
}

Window* FindWindowRecord(HWND handle) {
  Registry& registry = TheRegistry();
  auto found = registry.windows.find(Key(handle));
  return found == registry.windows.end() ? nullptr : found->second.get();
}

std::vector<Window*> AllWindows() {
  std::vector<Window*> windows;
  for (auto& [key, window] : TheRegistry().windows) windows.push_back(window.get());
  return windows;
}

bool HasChildWindows(HWND handle) {
  std::lock_guard<std::recursive_mutex> hold(WindowLock());
  for (const auto& [key, window] : TheRegistry().windows) {
    if (window->parent == handle) return true;
  }
  return false;
}

std::shared_ptr<WindowClass> FindWindowClass(LPCSTR nameOrAtom) {
  if (nameOrAtom == nullptr) return nullptr;
  for (const std::shared_ptr<WindowClass>& windowClass : TheRegistry().classes) {
    bool match = IS_INTRESOURCE(nameOrAtom) ? windowClass->atom == reinterpret_cast<uintptr_t>(nameOrAtom)
                                            : SameText(windowClass->name, nameOrAtom);
    if (match) return windowClass;
  }
  return nullptr;
}

}  // namespace host

ATOM RegisterClassA(const WNDCLASSA* windowClass) {
  if (windowClass == nullptr || windowClass->lpfnWndProc == nullptr || windowClass->lpszClassName == nullptr ||
      IS_INTRESOURCE(windowClass->lpszClassName) || windowClass->cbClsExtra < 0 || windowClass->cbWndExtra < 0) {
    return 0;
  }
  std::lock_guard<std::recursive_mutex> hold(host::WindowLock());
  if (host::FindWindowClass(windowClass->lpszClassName) != nullptr) return 0;  // already registered
  host::Registry& registry = host::TheRegistry();
  if (registry.nextAtom == 0) return 0;  // every atom has been given out
  auto made = std::make_shared<host::WindowClass>();
  made->atom = registry.nextAtom++;
  made->name = windowClass->lpszClassName;
  made->style = windowClass->style;
  made->procedure = windowClass->lpfnWndProc;
  made->classExtraBytes = windowClass->cbClsExtra;
  made->windowExtraBytes = windowClass->cbWndExtra;
  made->instance = windowClass->hInstance;
  made->icon = windowClass->hIcon;
  made->cursor = windowClass->hCursor;
  made->background = windowClass->hbrBackground;
  if (windowClass->lpszMenuName != nullptr) {
    if (IS_INTRESOURCE(windowClass->lpszMenuName)) {
      made->menuId = static_cast<WORD>(reinterpret_cast<uintptr_t>(windowClass->lpszMenuName));
    } else {
      made->menuName = windowClass->lpszMenuName;
    }
  }
  registry.classes.push_back(made);
  return made->atom;
}

BOOL UnregisterClassA(LPCSTR className, HINSTANCE instance) {
  std::lock_guard<std::recursive_mutex> hold(host::WindowLock());
  std::shared_ptr<host::WindowClass> found = host::FindWindowClass(className);
  if (found == nullptr) return FALSE;
  for (host::Window* window : host::AllWindows()) {
    if (window->windowClass == found) return FALSE;  // a window of the class still exists
  }
  std::erase(host::TheRegistry().classes, found);
  return TRUE;
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID parameter) {
  HWND handle;
  WNDPROC procedure;
  {
    std::lock_guard<std::recursive_mutex> hold(host::WindowLock());
    host::RegisterControlClasses();
    std::shared_ptr<host::WindowClass> windowClass = host::FindWindowClass(className);
    if (windowClass == nullptr) return nullptr;
    if (parent != nullptr && host::FindWindowRecord(parent) == nullptr) return nullptr;
    if ((style & WS_CHILD) && parent == nullptr) return nullptr;
    host::Registry& registry = host::TheRegistry();
    auto window = std::make_unique<host::Window>();
    handle = reinterpret_cast<HWND>(registry.nextHandle);
    registry.nextHandle += 4;
    window->handle = handle;
    window->windowClass = windowClass;
    window->procedure = windowClass->procedure;
    window->title = windowName == nullptr ? "" : windowName;
    window->style = style & ~WS_VISIBLE;  // shown below, once the window exists
    window->exStyle = exStyle;
    if (x == CW_USEDEFAULT) x = y = 0;
    if (width == CW_USEDEFAULT) width = height = 0;
    window->bounds = RECT{x, y, x + std::max(width, 0), y + std::max(height, 0)};
    window->parent = parent;
    window->menu = (style & WS_CHILD) ? nullptr : menu;
    window->id = (style & WS_CHILD) ? reinterpret_cast<UINT_PTR>(menu) : 0;
    window->instance = instance;
    procedure = window->procedure;
    host::Window* record = window.get();
    registry.windows.emplace(host::Key(handle), std::move(window));
    host::SyncWindowSurface(*record);
  }
  CREATESTRUCTA create{parameter, instance, menu, parent, height, width, y, x, static_cast<LONG>(style),
                       windowName, className, exStyle};
  auto createParameter = reinterpret_cast<LPARAM>(&create);
  if (!procedure(handle, WM_NCCREATE, 0, createParameter) || procedure(handle, WM_CREATE, 0, createParameter) == -1) {
    DestroyWindow(handle);
    return nullptr;
  }
  if ((style & WS_VISIBLE) && IsWindow(handle)) ShowWindow(handle, SW_SHOW);
  return IsWindow(handle) ? handle : nullptr;
}

BOOL DestroyWindow(HWND handle) {
  WNDPROC procedure;
  {
    std::lock_guard<std::recursive_mutex> hold(host::WindowLock());
    host::Window* window = host::FindWindowRecord(handle);
    if (window == nullptr || window->destroying) return FALSE;
    window->destroying = true;
    procedure = window->procedure;
  }
  host::MenuStripCancel(handle);
  host::FocusLeaving(handle);
  if (host::State().active == handle) host::Activate(nullptr);
  procedure(handle, WM_DESTROY, 0, 0);
  std::vector<HWND> children;
  {
    std::lock_guard<std::recursive_mutex> hold(host::WindowLock());
    for (host::Window* window : host::AllWindows()) {
      if (window->parent == handle) children.push_back(window->handle);
    }
  }
  for (HWND child : children) DestroyWindow(child);
  procedure(handle, WM_NCDESTROY, 0, 0);
  std::lock_guard<std::recursive_mutex> hold(host::WindowLock());
  host::Window* window = host::FindWindowRecord(handle);
  if (window != nullptr) {
    host::ForgetWindowMessages(handle);
    host::ReleasePainting(*window);
    host::DestroyWindowSurface(*window);
    if (window->parent != nullptr) host::RequestPresent(window->parent);
  }
  host::TheRegistry().windows.erase(host::Key(handle));
  return TRUE;
}

BOOL IsWindow(HWND handle) {
  std::lock_guard<std::recursive_mutex> hold(host::WindowLock());
  return host::FindWindowRecord(handle) != nullptr ? TRUE : FALSE;
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT childResult = 0;
  if (host::DefaultChildWindowMessage(window, message, wParam, lParam, &childResult)) return childResult;
  if (host::DefaultTextMessage(window, message, wParam, lParam, &childResult)) return childResult;
  switch (message) {
    case WM_NCCREATE:
      return TRUE;
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      if (BeginPaint(window, &paint) != nullptr) EndPaint(window, &paint);
      return 0;
    }
    case WM_MOUSEACTIVATE:
      return 1;  // activate
    case WM_SYSCOMMAND:
      host::ApplySystemCommand(window, wParam, lParam);
      return 0;
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_SYSCHAR:
      host::DefaultMenuKey(window, message, wParam, lParam);
      return 0;
    default:
      return 0;
  }
}

LRESULT CallWindowProcA(WNDPROC procedure, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return procedure == nullptr ? 0 : procedure(window, message, wParam, lParam);
}

LRESULT SendMessageA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  WNDPROC procedure;
  {
    std::lock_guard<std::recursive_mutex> hold(host::WindowLock());
    host::Window* window = host::FindWindowRecord(handle);
    if (window == nullptr) return 0;
    procedure = window->procedure;
  }
  return procedure(handle, message, wParam, lParam);
}

HWND FindWindowA(LPCSTR className, LPCSTR windowName) {
  std::lock_guard<std::recursive_mutex> hold(host::WindowLock());
  std::shared_ptr<host::WindowClass> wanted;
  if (className != nullptr) {
    wanted = host::FindWindowClass(className);
    if (wanted == nullptr) return nullptr;
  }
  for (host::Window* window : host::AllWindows()) {
    if (window->parent != nullptr || window->destroying) continue;
    if (wanted != nullptr && window->windowClass != wanted) continue;
    if (windowName != nullptr && !host::SameText(window->title, windowName)) continue;
    return window->handle;
  }
  return nullptr;
}

HWND GetForegroundWindow() { return host::State().active; }

BOOL SetWindowTextA(HWND handle, LPCSTR text) {
  if (!IsWindow(handle)) return FALSE;
  return SendMessageA(handle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) != 0 ? TRUE : FALSE;
}

int GetWindowTextA(HWND handle, LPSTR text, int size) {
  if (text == nullptr || size <= 0) return 0;
  text[0] = 0;
  if (!IsWindow(handle)) return 0;
  return static_cast<int>(SendMessageA(handle, WM_GETTEXT, static_cast<WPARAM>(size), reinterpret_cast<LPARAM>(text)));
}

namespace host {

bool DefaultTextMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (message != WM_SETTEXT && message != WM_GETTEXT && message != WM_GETTEXTLENGTH) return false;
  std::lock_guard<std::recursive_mutex> hold(WindowLock());
  Window* window = FindWindowRecord(handle);
  *result = 0;
  if (window == nullptr) return true;
  if (message == WM_SETTEXT) {
    const char* text = reinterpret_cast<const char*>(lParam);
    window->title = text == nullptr ? "" : text;
    if (window->surface != nullptr && window->surface->window != nullptr) {
      SDL_SetWindowTitle(window->surface->window, window->title.c_str());
    }
    *result = TRUE;
  } else if (message == WM_GETTEXTLENGTH) {
    *result = static_cast<LRESULT>(window->title.size());
  } else {
    auto* text = reinterpret_cast<char*>(lParam);
    if (text == nullptr || wParam == 0) return true;
    const size_t length = std::min(window->title.size(), static_cast<size_t>(wParam - 1));
    if (length != 0) std::memcpy(text, window->title.data(), length);
    text[length] = 0;
    *result = static_cast<LRESULT>(length);
  }
  return true;
}

}  // namespace host
