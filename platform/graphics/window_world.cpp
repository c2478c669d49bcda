// Worlds on windows: a port bound to the memory DC of a DIB that mirrors the window's client area (or a rect of
// it), re-validated against the window at every first lock, and copied to the window rect by rect (see
// window_world.h and graphics_world.h).
#include "platform/graphics/window_world.h"

#include <cstring>

#include "host/gdi.h"
#include "host/user.h"
#include "platform/graphics/dib_record.h"
#include "platform/graphics/graphics_port.h"
#include "platform/graphics/graphics_world.h"

namespace {

// Holds a window's DC for the length of a call.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDc() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

Rect ClientArea(HWND window) {
  RECT client{0, 0, 0, 0};
  if (!GetClientRect(window, &client)) return Rect{0, 0, 0, 0};
  return Rect{client.left, client.top, client.right, client.bottom};
}

// Builds the pixel map of a window world over area; false on failure.
bool BuildWindowPixelMap(PlatformWorld* world, HWND window, HDC dc, const Rect& area, bool followsClient) {
  PixelFormatCode format = QueryScreenBitmapFormat(dc);
  if (format == 0) return false;
  // A 5-6-5 screen is drawn through a 5-5-5 DIB, which every GDI reads the same way.
  if (format == kPixelFormat565) format = kPixelFormat555;
  PixelMap* map = world->pixelMap;
  if (PlatformPixelFormat(format, &map->channels) < 0) return false;
  map->dib = DibRecord::Create(dc, &area, format, nullptr, true);
  if (!map->dib) return false;
  map->formatCode = format;
  map->depthCode = 0;
  map->bytesPerPixel = static_cast<uint32_t>(PlatformPixelFormat(format, nullptr, nullptr, nullptr, nullptr, nullptr));
  map->bitsPerPixel = 8 * map->bytesPerPixel;
  map->flags = kPixelMapWindowBacked | (followsClient ? kPixelMapFollowsClient : 0);
  map->bounds = area;
  map->rowBytes = static_cast<int32_t>(PixelRowBytes(area.Width(), map->bitsPerPixel));
  map->targetWindow = window;
  map->ownerWindow = window;
  map->dc = map->dib->dc;
  map->info = map->dib->info;
  if (map->bytesPerPixel == 1) {
    const UINT count = GetDIBColorTable(map->dib->dc, 0, 256, map->info.bmiColors);
    if (count == 0) return false;
    map->info.bmiHeader.biClrUsed = count;
    PaletteFromRgbQuads(&map->palette, map->info.bmiColors, static_cast<int32_t>(count));
    PlatformBuildInverseTable(map->inverseTable, &map->palette);
    map->formatKey = NextIndexedFormatKey();
  } else {
    map->palette.count = 0;
    map->formatKey = DirectFormatKey(map->channels);
  }
  return GraphicsPort::Bind(world->port, window, map->dib->dc, false) == kPlatformNoError;
}

}  // namespace

PlatformWorld* PlatformWorld::CreateForWindow(HWND window) { return CreateForWindowRect(window, nullptr); }

PlatformWorld* PlatformWorld::CreateForWindowRect(HWND window, const Rect* rect) {
  GraphicsPort* port = nullptr;
  PixelMap* map = nullptr;
  PlatformWorld* world = Create(&port, nullptr, &map);
  if (!world) return nullptr;
  WindowDc dc(window);
  Rect area;
  if (rect) {
    Rect::ClampForGdi(&area, rect);
  } else {
    area = ClientArea(window);
  }
  if (!dc.get() || !BuildWindowPixelMap(world, window, dc.get(), area, rect == nullptr)) {
    Dispose(world);
    return nullptr;
  }
  return world;
}

void PlatformWorld::DisposeWindowWorld(PlatformWorld* world) { Dispose(world); }

PlatformError RevalidateWindowWorld(PlatformWorld* world, uint8_t* changed) {
  PixelMap* map = world->pixelMap;
  HWND window = map->targetWindow;
  if (!map->dib) return kPlatformErrGraphics;
  const BITMAPINFOHEADER& h = map->dib->info.bmiHeader;
  // Only a world over the whole client area follows the client's size. A world made over a rect of the window
  // keeps its rect: compared with the client area it would differ at every first lock and be rebuilt blank at the
  // client's size.
  const bool followsClient = (map->flags & kPixelMapFollowsClient) != 0;
  const Rect client = ClientArea(window);
  const bool sizeChanged =
      followsClient && (client.Width() != map->bounds.Width() || client.Height() != map->bounds.Height());
  // Memory DCs describe the display they are compatible with.
  const int screenBits = GetDeviceCaps(map->dib->dc, BITSPIXEL);
  const bool depthChanged = screenBits > 0 && static_cast<uint32_t>(screenBits) != h.biBitCount;
  if (!sizeChanged && !depthChanged) return kPlatformNoError;
  const Rect bounds = map->bounds;
  PlatformWorld* fresh = PlatformWorld::CreateForWindowRect(window, followsClient ? nullptr : &bounds);
  if (!fresh) return kPlatformErrNoMemory;
  PlatformWorld::SwapPortsAndPixelMaps(world, fresh);
  PlatformWorld::Dispose(fresh);
  if (changed) *changed = 1;
  return kPlatformNoError;
}

PlatformError PlatformWorld::FlushRectsToWindow(PlatformWorld* world, int32_t count, const Rect* rects) {
  if (count <= 0) return kPlatformNoError;
  if (!world || !world->pixelMap || !rects) return kPlatformErrBadData;
  // The full bracket, so that pixels GDI drew into the bitmap reach memory before memory goes to the window.
  PlatformError error = BeginDrawing(world, nullptr, nullptr, nullptr);
  if (error != kPlatformNoError) return error;
  const PixelMap* map = world->pixelMap;
  const int32_t height = static_cast<int32_t>(map->bounds.Height());
  const Rect area{0, 0, static_cast<int32_t>(map->bounds.Width()), height};
  {
    WindowDc dc(map->targetWindow);
    if (!dc.get() || !GdiFlush()) error = kPlatformErrGraphics;
    for (int32_t i = 0; i < count && error == kPlatformNoError; ++i) {
      // Only the part of a rect inside the world is copied, and a rect with nothing inside is skipped: copying
      // nothing fails, which would end the flush and leave the later rects undrawn.
      Rect r;
      Rect::Intersect(&r, &rects[i], &area);
      if (Rect::IsEmpty(&r)) continue;
      const int32_t w = static_cast<int32_t>(r.Width()), h = static_cast<int32_t>(r.Height());
      // DIB rows are counted from the bottom for the source position, whatever the DIB's own row order.
      if (SetDIBitsToDevice(dc.get(), r.left, r.top, static_cast<DWORD>(w), static_cast<DWORD>(h), r.left,
                            height - h - r.top, 0, static_cast<UINT>(height), map->baseAddress,
                            reinterpret_cast<const BITMAPINFO*>(&map->info), DIB_RGB_COLORS) == 0) {
        error = kPlatformErrGraphics;
      }
    }
  }
  EndDrawing(world, nullptr);
  return error;
}
