// Painting: each window keeps its invalid part as a region of the drawing layer; WM_PAINT comes while it is not
// empty; BeginPaint hands out the window's device context limited to that region and empties it; what was drawn
// reaches the screen when painting ends, when the device context is released, or at the next look at the queue.
#include "painting.h"

#include <algorithm>
#include <cstring>

#include "gdi_internal.h"
#include "window_composition.h"
#include "window_surface.h"

namespace host {
namespace {

RECT ClientBox(const Window& window) {
  return window.frame == nullptr ? RECT{0, 0, 0, 0} : RECT{0, 0, window.frame->width, window.frame->height};
}

bool Empty(const RECT& rect) { return rect.left >= rect.right || rect.top >= rect.bottom; }

// Adds a region (client coordinates; null: the whole client area) to the update region, within the client area.
void AddToUpdate(Window& window, HRGN region, bool erase) {
  RECT box = ClientBox(window);
  if (Empty(box)) return;
  HRGN added = CreateRectRgn(box.left, box.top, box.right, box.bottom);
  if (added == nullptr) return;
  if (region != nullptr && CombineRgn(added, added, region, RGN_AND) == ERROR) {
    DeleteObject(added);
    return;
  }
  RECT addedBox;
  if (GetRgnBox(added, &addedBox) == NULLREGION) {
    DeleteObject(added);
    return;
  }
  if (window.update == nullptr) {
    window.update = added;
  } else {
    CombineRgn(window.update, window.update, added, RGN_OR);
    DeleteObject(added);
  }
  window.eraseWanted = window.eraseWanted || erase;
}

void ClearUpdate(Window& window) {
  if (window.update != nullptr) DeleteObject(window.update);
  window.update = nullptr;
  window.eraseWanted = false;
}

HDC WindowDC(Window& window) {
  if (window.dc == nullptr && window.frame != nullptr) window.dc = HostCreateSurfaceDC(window.frame.get());
  return window.dc;
}

// True when every pixel of the rectangles of the window's frame is what its last presented picture shows there:
// drawing that put back the pixels already shown (a view redrawing what lies under a shape's transparent parts,
// every frame) then shows nothing new. Where something else lies over the frame in that picture (a child window, an
// open drop-down), the pixels differ and the window is presented as usual; a window with children is always
// presented, as a child shown, moved or hidden changes the picture without changing the frame.
bool ShowsAlready(const Window& window, const std::vector<RECT>& drawn) {
  if (HasChildWindows(window.handle)) return false;
  const HostSurface& frame = *window.frame;
  const PresentedImage& shown = window.presented;
  if (shown.width != frame.width || shown.height != frame.height + shown.clientTop || frame.pixels == nullptr) {
    return false;
  }
  for (const RECT& part : drawn) {
    const int left = std::max<int>(0, part.left), right = std::min<int>(frame.width, part.right);
    const int top = std::max<int>(0, part.top), bottom = std::min<int>(frame.height, part.bottom);
    if (left >= right) continue;
    const size_t bytes = static_cast<size_t>(right - left) * sizeof(uint32_t);
    for (int y = top; y < bottom; ++y) {
      const uint32_t* now = frame.pixels + static_cast<ptrdiff_t>(y) * (frame.pitch / 4) + left;
      const uint32_t* then = &shown.pixels[static_cast<size_t>(y + shown.clientTop) * static_cast<size_t>(shown.width) +
                                           static_cast<size_t>(left)];
      if (std::memcmp(now, then, bytes) != 0) return false;
    }
  }
  return true;
}

// A child's drawing shows when its top-level window is presented.
void PresentIfDrawn(Window& window) {
  if (window.frame == nullptr || Empty(window.frame->dirty)) return;
  const std::vector<RECT> drawn = HostTakeDrawn(window.frame.get());
  Window* top = window.parent != nullptr ? FindWindow(TopLevelOf(window.handle)) : nullptr;
  if (top == nullptr && ShowsAlready(window, drawn)) return;
  if (top == nullptr) {
    PresentWindowPart(window, drawn);
  } else {
    PresentWindow(*top);
  }
}

// The device context of GetDC(NULL): the screen, which has no pixels of its own here.
HDC ScreenDC() {
  static HostSurface screen;
  static HDC dc = HostCreateSurfaceDC(&screen);
  return dc;
}

}  // namespace

HWND WindowNeedingPaint(HWND filter) {
  std::vector<HWND> candidates;
  {
    std::lock_guard<std::recursive_mutex> hold(WindowLock());
    for (Window* window : AllWindows()) {
      if (window->update != nullptr && !window->destroying) candidates.push_back(window->handle);
    }
  }
  for (HWND handle : candidates) {
    bool matches = filter == nullptr || filter == handle;
    for (Window* record = FindWindow(handle); !matches && record != nullptr; record = FindWindow(record->parent)) {
      matches = record->parent == filter;
    }
    if (matches && IsWindowVisible(handle)) return handle;
  }
  return nullptr;
}

void ReleasePainting(Window& window) {
  ClearUpdate(window);
  if (window.dc != nullptr) HostReleaseSurfaceDC(window.dc);
  window.dc = nullptr;
}

void PresentDrawnWindows() {
  std::lock_guard<std::recursive_mutex> hold(WindowLock());
  for (Window* window : AllWindows()) {
    if (!window->painting) PresentIfDrawn(*window);
  }
}

}  // namespace host

using host::FindWindow;
using host::Window;

BOOL InvalidateRect(HWND handle, const RECT* rect, BOOL erase) {
  Window* window = FindWindow(handle);
  if (window == nullptr) return FALSE;
  if (rect == nullptr) {
    host::AddToUpdate(*window, nullptr, erase);
    return TRUE;
  }
  HRGN region = CreateRectRgnIndirect(rect);
  if (region == nullptr) return FALSE;
  host::AddToUpdate(*window, region, erase);
  DeleteObject(region);
  return TRUE;
}

BOOL InvalidateRgn(HWND handle, HRGN region, BOOL erase) {
  Window* window = FindWindow(handle);
  if (window == nullptr) return FALSE;
  RECT box;
  if (region != nullptr && GetRgnBox(region, &box) == ERROR) return FALSE;
  host::AddToUpdate(*window, region, erase);
  return TRUE;
}

BOOL ValidateRect(HWND handle, const RECT* rect) {
  Window* window = FindWindow(handle);
  if (window == nullptr) return FALSE;
  if (rect == nullptr || window->update == nullptr) {
    host::ClearUpdate(*window);
    return TRUE;
  }
  HRGN region = CreateRectRgnIndirect(rect);
  if (region == nullptr) return FALSE;
  if (CombineRgn(window->update, window->update, region, RGN_DIFF) == NULLREGION) host::ClearUpdate(*window);
  DeleteObject(region);
  return TRUE;
}

int GetUpdateRgn(HWND handle, HRGN region, BOOL erase) {
  Window* window = FindWindow(handle);
  if (window == nullptr || region == nullptr) return ERROR;
  if (window->update == nullptr) return SetRectRgn(region, 0, 0, 0, 0) ? NULLREGION : ERROR;
  return CombineRgn(region, window->update, nullptr, RGN_COPY);
}

BOOL UpdateWindow(HWND handle) {
  Window* window = FindWindow(handle);
  if (window == nullptr) return FALSE;
  if (window->update != nullptr && IsWindowVisible(handle)) SendMessageA(handle, WM_PAINT, 0, 0);
  return TRUE;
}

HDC BeginPaint(HWND handle, PAINTSTRUCT* paint) {
  Window* window = FindWindow(handle);
  if (window == nullptr || paint == nullptr) return nullptr;
  HDC dc = host::WindowDC(*window);
  if (dc == nullptr) return nullptr;
  *paint = PAINTSTRUCT{};
  paint->hdc = dc;
  if (window->update != nullptr) {
    GetRgnBox(window->update, &paint->rcPaint);
    HostSetSurfaceClip(dc, window->update);
    // A transparent window shows what lies beneath it again where it paints anew.
    if (window->exStyle & WS_EX_TRANSPARENT) host::ClearToUndrawn(*window, window->update);
  } else {
    // Painting with nothing invalid draws nothing.
    HRGN nothing = CreateRectRgn(0, 0, 0, 0);
    HostSetSurfaceClip(dc, nothing);
    DeleteObject(nothing);
  }
  bool erase = window->eraseWanted;
  host::ClearUpdate(*window);
  window->painting = true;
  // The window erases its background itself (DefWindowProcA fills the class brush); when it does not, the
  // program is told to.
  if (erase) paint->fErase = SendMessageA(handle, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) == 0;
  return dc;
}

BOOL EndPaint(HWND handle, const PAINTSTRUCT* paint) {
  Window* window = FindWindow(handle);
  if (window == nullptr) return FALSE;
  if (window->dc != nullptr) HostSetSurfaceClip(window->dc, nullptr);
  window->painting = false;
  host::PresentIfDrawn(*window);
  return TRUE;
}

HDC GetDC(HWND handle) {
  if (handle == nullptr) return host::ScreenDC();
  Window* window = FindWindow(handle);
  return window == nullptr ? nullptr : host::WindowDC(*window);
}

int ReleaseDC(HWND handle, HDC dc) {
  if (handle == nullptr) return dc == host::ScreenDC() ? 1 : 0;
  Window* window = FindWindow(handle);
  if (window == nullptr || dc == nullptr || dc != window->dc) return 0;
  // The device context belongs to the window and stays valid; what was drawn through it is shown now.
  if (!window->painting) host::PresentIfDrawn(*window);
  return 1;
}
