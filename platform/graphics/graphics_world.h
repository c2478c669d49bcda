// Graphics worlds: the one handle type of the framework's graphics. A world is a single block holding a drawing
// port (GraphicsPort), a pixel map (PixelMap) or both, each part linked back to the world; window worlds have both,
// surfaces only a pixel map, port-only worlds only a port.
//
// Every access to a world's pixels is bracketed by BeginDrawing and EndDrawing, which nest through the pixel map's
// lock count. The operations are spread over files by idea: graphics_world.cpp holds creation, disposal and the
// drawing bracket; surface.cpp surfaces and worlds wrapped around a DIB record; pixel_lock.cpp locking;
// window_world.cpp the worlds on windows; pixel_rows.cpp the row writers and the exchange of parts;
// world_resize.cpp SetBounds and ExpandPattern.
#pragma once

#include <cstdint>

#include "host/gdi.h"
#include "host/types.h"
#include "platform/core/platform_error.h"
#include "platform/graphics/color.h"
#include "platform/graphics/pixel_format.h"
#include "platform/graphics/rect.h"

struct PlatformWorld;
struct GraphicsPort;
struct DibRecord;
struct PrintDeviceRecord;

// A locked world may not be resized or re-patterned.
constexpr PlatformError kPlatformErrWorldLocked = -7305;

// Every part of a world begins with three links to its world.
struct WorldPartLinks {
  PlatformWorld* ownerLinks[3];
};

// Pixel-map flag bits.
constexpr uint32_t kPixelMapWindowBacked = 0x01;
constexpr uint32_t kPixelMapFollowsClient = 0x02;   // a window world over the whole client area
constexpr uint32_t kPixelMapPaletteChanged = 0x08;  // the inverse table is rebuilt at the next first lock
constexpr uint32_t kPixelMapDibNewer = 0x10;        // GDI drew into the DIB; memory must be refreshed
constexpr uint32_t kPixelMapMemoryNewer = 0x20;     // the blitter wrote memory; the DIB must be refreshed

// A BITMAPINFO with room for 256 colour entries (or three bit-field masks).
struct BitmapInfo256 {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[256];
};

// What a pixel map says about its pixels; exchanged as a whole by PlatformWorld::SwapPixelMaps.
struct PixelMapLayout {
  PixelFormatCode formatCode;  // the code the map was made with; a resized map keeps it
  uint32_t bytesPerPixel;      // 1, 2, 3 or 4
  uint32_t bitsPerPixel;       // 8 x bytes per pixel
  uint32_t flags;
  int32_t lockCount;  // changed atomically by the lock code only
  uint32_t formatKey;
  uint8_t depthCode;  // always 0
  PixelChannels channels;
  Rect bounds;
  int32_t rowBytes;      // ((width x bits per pixel + 31) >> 5) x 4
  uint8_t* baseAddress;  // first byte of the top row while locked, else null
  DibRecord* dib;
  HWND targetWindow;
  HWND ownerWindow;
  HDC dc;
  BitmapInfo256 info;
};

// The colours of a pixel map; they stay with the map's record when layouts are exchanged.
struct PixelMapColours {
  Palette palette;  // count 0 for maps deeper than 8 bits
  uint8_t inverseTable[kInverseTableSize];
};

struct PixelMap : WorldPartLinks, PixelMapLayout, PixelMapColours {};

// Everything a pixel loop needs about one world and an optional mask world.
struct BlitParams {
  uint32_t bytesPerPixel;
  int32_t bitsPerPixel;
  int32_t rowBytes;
  uint32_t maskRowBytes;  // 0 without a mask world
  Rect bounds;
  uint8_t* baseAddress;
  uint8_t* maskBaseAddress;  // null without a mask world
  DibRecord* dib;
  PlatformWorld* world;
  HDC portDc;                // only when the world has a port
  PlatformWorld* portWorld;  // the world again when it has a port
  uint8_t depthCode;
  PixelChannels channels;
  Palette* palette;       // only for 1 byte per pixel
  uint8_t* inverseTable;  // only for 1 byte per pixel
};

// The world header. Callers hold the world by the address of this header; the parts follow it in the same block.
struct PlatformWorld {
  PlatformWorld* portOwner;
  PlatformWorld* pixelMapOwner;
  PlatformWorld* deviceOwner;
  GraphicsPort* port;
  PixelMap* pixelMap;
  PrintDeviceRecord* printDevice;

  // Creation and the drawing bracket (graphics_world.cpp).
  static PlatformWorld* Create(GraphicsPort** port, PrintDeviceRecord** printDevice, PixelMap** pixelMap);
  static PlatformError Dispose(PlatformWorld* world);
  static GraphicsPort* GetPort(PlatformWorld* world);
  static PixelMap* GetPixelMap(PlatformWorld* world);
  static PixelMap* GetMaskPixelMap(PlatformWorld* world, PlatformError* error);
  static Rect* GetBounds(PlatformWorld* world, Rect* out);
  static PlatformError BeginDrawing(PlatformWorld* world, PlatformWorld* maskWorld, BlitParams* params,
                                    uint8_t* rebuilt);
  static void EndDrawing(PlatformWorld* world, PlatformWorld* maskWorld);
  static bool GetBlitParams(PlatformWorld* world, PlatformWorld* maskWorld, BlitParams* params);
  static HDC GetPortDC(PlatformWorld* world);

  // Row writers and the exchange of parts (pixel_rows.cpp).
  static void SwapPixelMaps(PlatformWorld* a, PlatformWorld* b);
  static void SwapPortsAndPixelMaps(PlatformWorld* a, PlatformWorld* b);
  static PlatformError PutRow(PlatformWorld* world, PlatformWorld* maskWorld, int32_t row, const uint8_t* bytes);
  static PlatformError PutArgbRow(PlatformWorld* world, PlatformWorld* maskWorld, int32_t row, const uint8_t* pixels);

  // DIB-backed pixel maps and locking (dib_record.cpp, window_world.cpp).
  static PlatformWorld* CreateSurface(const Rect* bounds, PixelFormatCode format, const Palette* palette);
  static void DisposeSurface(PlatformWorld* world);
  static PlatformWorld* CreateForWindow(HWND window);
  static PlatformWorld* CreateForWindowRect(HWND window, const Rect* rect);
  static void DisposeWindowWorld(PlatformWorld* world);
  static PlatformWorld* WrapDib(DibRecord* record, struct WrappedDibWorld* storage);
  static PlatformError LockPixels(PlatformWorld* world, PlatformWorld* maskWorld, uint8_t* changed);
  static void UnlockPixels(PlatformWorld* world, PlatformWorld* maskWorld);
  static PlatformError FlushRectsToWindow(PlatformWorld* world, int32_t count, const Rect* rects);
  static void ReleaseDib(PixelMap* pixelMap);

  // Resizing and pattern expansion (world_resize.cpp).
  static PlatformError SetBounds(PlatformWorld* world, PlatformWorld* maskWorld, const Rect* bounds);
  static PlatformError ExpandPattern(PlatformWorld* world, PlatformWorld* maskWorld);
};

// Memory for a pixel-map-only world built around an existing DIB record (PlatformWorld::WrapDib); the caller owns
// it, typically on the stack, and the record stays the caller's.
struct WrappedDibWorld {
  PlatformWorld header;
  PixelMap pixelMap;
};

// Largest surface side and size. Sides stay within what GDI accepts, and the total keeps row arithmetic far from
// 32-bit limits.
constexpr int64_t kMaxWorldSide = Rect::kGdiMaxSide;
constexpr int64_t kMaxWorldBytes = int64_t{256} << 20;

// The pixel map's lock count, read atomically (the lock code changes it with AtomicAdd).
int32_t PixelMapLockCount(PixelMap* map);

// Row bytes of a pixel map: rows padded to whole 32-bit words.
inline int64_t PixelRowBytes(int64_t width, int64_t bitsPerPixel) { return ((width * bitsPerPixel + 31) >> 5) * 4; }
