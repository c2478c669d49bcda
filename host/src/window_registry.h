// The host layer's registry of window classes and windows, shared by every host source that deals with
// windows. A window here is a record of the host layer; the display code attaches a screen window to the
// records that need one.
#pragma once

#include <memory>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "host/user.h"

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;
struct HostSurface;

namespace host {

// What one shown top-level window has of SDL: made when the window is first shown (window_surface.cpp).
struct WindowSurface {
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* texture = nullptr;
  int textureWidth = 0;
  int textureHeight = 0;
  // The client pixels that an open drop-down covers in the picture, shown where the client area lies when that is
  // not right under the strip.
  SDL_Texture* coveredTexture = nullptr;
  int coveredWidth = 0;
  int coveredHeight = 0;
  bool fullscreen = false;  // desktop-fullscreen, showing an emulated display mode
  // The size and place the SDL window was last given, in the desktop's pixels. A size or place that the user or
  // the window manager gave it since (maximised, fullscreen, moved) stays until the program's window changes.
  int askedWidth = 0, askedHeight = 0;
  int askedX = 0, askedY = 0;
  bool askedPlace = false;
  // Placed inside the work area before the window manager had told the window's frame.
  bool placeUnframed = false;
};

// The last picture put on a window: the menu strip (when shown) above the client area, 32-bit pixels.
struct PresentedImage {
  int width = 0;
  int height = 0;
  int clientTop = 0;  // rows of menu strip above the client area
  std::vector<uint32_t> pixels;
  RECT dropDown{};                // the open drop-down's frame within the picture; empty for none
  std::vector<uint32_t> covered;  // the pixels under that frame before the drop-down was drawn, row by row
  uint64_t count = 0;  // how many times the window's picture has been put together and shown
};

struct WindowClass {
  ATOM atom = 0;
  std::string name;
  UINT style = 0;
  WNDPROC procedure = nullptr;
  int classExtraBytes = 0;
  int windowExtraBytes = 0;
  HINSTANCE instance = nullptr;
  HICON icon = nullptr;
  HCURSOR cursor = nullptr;
  HBRUSH background = nullptr;
  std::string menuName;  // empty when none or given as a number
  WORD menuId = 0;       // a menu given as a number
};

struct Window {
  HWND handle = nullptr;
  std::shared_ptr<WindowClass> windowClass;
  WNDPROC procedure = nullptr;
  std::string title;
  DWORD style = 0;
  DWORD exStyle = 0;
  RECT bounds{};  // in screen coordinates (the parent's client area for a child)
  HWND parent = nullptr;
  HMENU menu = nullptr;
  UINT_PTR id = 0;  // a child's identifier: the number passed as its menu
  HINSTANCE instance = nullptr;
  bool destroying = false;  // DestroyWindow has begun; no further destruction

  // The client area's frame buffer, 0x00RRGGBB, top row first, and the device context over it (made on first
  // use, kept for the window's life: every window behaves as if its class had its own device context).
  std::unique_ptr<HostSurface> frame;
  HDC dc = nullptr;
  // Painting: the invalid part of the client area (null while nothing is invalid) and whether it wants erasing.
  HRGN update = nullptr;
  bool eraseWanted = false;
  bool painting = false;  // between BeginPaint and EndPaint

  std::unique_ptr<WindowSurface> surface;
  PresentedImage presented;
  std::vector<uint32_t> framePixels;  // storage behind `frame`
};

// The lock of the registry. Held only while the tables are read or changed, never while a window procedure
// runs, so procedures may make and destroy windows.
std::recursive_mutex& WindowLock();

// The window record of a live handle (null otherwise); the lock must be held while it is used.
Window* FindWindowRecord(HWND handle);
// All live windows in the order they were made; the lock must be held.
std::vector<Window*> AllWindows();
// Whether a live window has the window as its parent; takes the lock.
bool HasChildWindows(HWND handle);
// The class by name (without regard to case) or atom; the lock must be held.
std::shared_ptr<WindowClass> FindWindowClass(LPCSTR nameOrAtom);

}  // namespace host
