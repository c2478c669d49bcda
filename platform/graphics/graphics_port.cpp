// Drawing ports: creation and binding, the pixel-access bracket, state resets, colours, pens and fill brushes,
// clipping, the origin and the window's update region (see graphics_port.h).
#include "platform/graphics/graphics_port.h"

#include <atomic>
#include <climits>
#include <cstring>

#include "host/gdi.h"
#include "host/global_memory.h"
#include "host/user.h"
#include "platform/graphics/dib_record.h"
#include "platform/graphics/graphics_port_support.h"
#include "platform/graphics/region.h"

const uint8_t kSolidPattern[8] = {0, 0, 0, 0, 0, 0, 0, 0};

using graphics_port::BoundPort;
using graphics_port::GdiRect;
using graphics_port::SelectOwned;

namespace graphics_port {

PlatformError SelectOwned(GraphicsPort* port, HGDIOBJ object, uint8_t* madeByPort) {
  if (object == nullptr) return kPlatformErrPortGdi;
  HGDIOBJ previous = SelectObject(port->dc, object);
  if (previous == nullptr) {
    DeleteObject(object);  // stock objects ignore this
    return kPlatformErrPortGdi;
  }
  if (*madeByPort) {
    if (previous != object) DeleteObject(previous);
  } else {
    *madeByPort = 1;
  }
  return kPlatformNoError;
}

HBRUSH SolidBrushFor(COLORREF colour) {
  switch (colour) {
    case 0x000000:
      return static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    case 0x7F7F7F:
    case 0x808080:
      return static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    case 0xFFFFFF:
      return static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    default:
      return CreateSolidBrush(colour);
  }
}

}  // namespace graphics_port

namespace {

constexpr Rect kWholePlane{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};

bool IsPattern(const uint8_t* pattern) { return pattern != nullptr && pattern != kSolidPattern; }

PixelMap* PortPixelMap(GraphicsPort* port) {
  PlatformWorld* owner = port != nullptr ? port->ownerLinks[1] : nullptr;
  return owner != nullptr ? owner->pixelMap : nullptr;
}

int32_t LockCountOf(PixelMap* map) { return std::atomic_ref<int32_t>(map->lockCount).load(); }

// The two corners of a rect mapped between logical and device coordinates; false when either leaves the range.
bool MapBox(HDC dc, const Rect& in, Rect* out, bool toDevice) {
  POINT corners[2] = {{in.left, in.top}, {in.right, in.bottom}};
  if (!(toDevice ? LPtoDP(dc, corners, 2) : DPtoLP(dc, corners, 2))) return false;
  *out = Rect{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
  return true;
}

HRGN PortClipRegion(GraphicsPort* port) {
  HRGN region = NewEmptyRegion();
  if (region == nullptr) return nullptr;
  const int result = GetClipRgn(port->dc, region);
  bool ok = false;
  if (result == 0) {
    ok = SetRectRgn(region, kWholePlane.left, kWholePlane.top, kWholePlane.right, kWholePlane.bottom) != FALSE;
  } else if (result == 1) {
    Rect device, logical;
    GetRegionBounds(&device, region);
    // An empty clip (nothing may be drawn) stays empty at any origin.
    ok = Rect::IsEmpty(&device) ||
         (MapBox(port->dc, device, &logical, false) &&
          (Rect::Equal(&device, &logical) || MapRegion(region, &device, &logical) == kPlatformNoError));
  }
  if (!ok) {
    DisposeRegion(region);
    return nullptr;
  }
  return region;
}

PlatformError SelectPortClip(GraphicsPort* port, HRGN region) {
  if (region == nullptr) return kPlatformErrBadData;
  Rect logical, device;
  GetRegionBounds(&logical, region);
  auto select = [&](HRGN chosen) {
    return SelectClipRgn(port->dc, chosen) == ERROR ? kPlatformErrPortGdi : kPlatformNoError;
  };
  // The whole plane is what a DC without a clip reports; selecting it means no clip, at any origin.
  if (Rect::Equal(&logical, &kWholePlane)) return select(nullptr);
  // An empty region (nothing may be drawn) is empty at any origin.
  if (Rect::IsEmpty(&logical)) return select(region);
  if (!MapBox(port->dc, logical, &device, true)) return kPlatformErrPortGdi;
  if (Rect::Equal(&logical, &device)) return select(region);
  HRGN copy = DuplicateRegion(region);
  if (copy == nullptr) return kPlatformErrPortGdi;
  PlatformError error = MapRegion(copy, &logical, &device);
  if (error == kPlatformNoError) error = select(copy);
  DisposeRegion(copy);
  return error == kPlatformNoError ? kPlatformNoError : kPlatformErrPortGdi;
}

// Sets the colours that are given; false when GDI refuses.
bool SetColours(HDC dc, const ColorRecord* fore, const ColorRecord* back) {
  if (fore != nullptr && SetTextColor(dc, ColorRecord::GetColorRef(fore)) == CLR_INVALID) return false;
  if (back != nullptr && SetBkColor(dc, ColorRecord::GetColorRef(back)) == CLR_INVALID) return false;
  return true;
}

// An 8 x 8 monochrome bitmap of a pattern.
HBITMAP PatternBitmap(const uint8_t* pattern) {
  uint8_t rows[16] = {};  // device bitmap rows are padded to 16 bits
  for (int y = 0; y < 8; ++y) rows[2 * y] = pattern[y];
  return CreateBitmap(8, 8, 1, 1, rows);
}

// A pattern brush of an 8 x 8 pattern; the temporary bitmap is deleted (the brush keeps its own copy).
HBRUSH PatternBrush(const uint8_t* pattern) {
  HBITMAP bitmap = PatternBitmap(pattern);
  if (bitmap == nullptr) return nullptr;
  HBRUSH brush = CreatePatternBrush(bitmap);
  DeleteObject(bitmap);
  return brush;
}

PlatformError SelectFillBrush(GraphicsPort* port) {
  HBRUSH brush = IsPattern(port->fillPattern) ? PatternBrush(port->fillPattern)
                                              : graphics_port::SolidBrushFor(GetTextColor(port->dc));
  if (brush == nullptr) return kPlatformErrPortGdi;
  return SelectOwned(port, brush, &port->brushSelected);
}

// Deselects an object the port made and deletes it.
void DropOwned(GraphicsPort* port, uint8_t* madeByPort, int stockIndex) {
  if (!*madeByPort) return;
  HGDIOBJ own = SelectObject(port->dc, GetStockObject(stockIndex));
  if (own != nullptr) DeleteObject(own);
  *madeByPort = 0;
}

}  // namespace

namespace {

// A port-only world bound to the window's DC or the caller's DC; a half-made world is disposed.
PlatformWorld* CreateBound(HWND window, HDC dc, bool saveDc) {
  GraphicsPort* port = nullptr;
  PlatformWorld* world = PlatformWorld::Create(&port, nullptr, nullptr);
  if (world == nullptr) return nullptr;
  if (GraphicsPort::Bind(port, window, dc, saveDc) != kPlatformNoError) {
    PlatformWorld::Dispose(world);
    return nullptr;
  }
  return world;
}

}  // namespace

PlatformWorld* GraphicsPort::CreateForWindow(HWND window, bool saveDc) { return CreateBound(window, nullptr, saveDc); }

PlatformWorld* GraphicsPort::CreateForDC(HDC dc, bool saveDc) {
  return dc != nullptr ? CreateBound(nullptr, dc, saveDc) : nullptr;
}

PlatformError GraphicsPort::Dispose(PlatformWorld* world) { return PlatformWorld::Dispose(world); }

PlatformError GraphicsPort::Bind(GraphicsPort* port, HWND window, HDC dc, bool saveDc) {
  if (port == nullptr) return kPlatformErrBadData;
  if (dc) {
    port->dc = dc;
    port->window = CallerDcWindow();
  } else {
    port->dc = GetDC(window);
    if (!port->dc) return kPlatformErrGraphics;
    port->window = window;
  }
  port->restoreDc = 0;
  if (saveDc) {
    port->saveDcId = SaveDC(port->dc);
    if (port->saveDcId == 0) return kPlatformErrPortGdi;
    port->restoreDc = 1;
  }
  if (port->fillPattern == nullptr) port->fillPattern = kSolidPattern;
  port->foreWord = 0x000000;
  port->backWord = 0xFFFFFF;
  port->savedClip = PortClipRegion(port);
  return port->savedClip != nullptr ? kPlatformNoError : kPlatformErrPortGdi;
}

PlatformError GraphicsPort::EndDrawing(GraphicsPort* port) {
  if (port == nullptr) return kPlatformErrBadData;
  if (port->dc) {
    DropOwned(port, &port->penSelected, BLACK_PEN);
    DropOwned(port, &port->fontSelected, ANSI_VAR_FONT);
    DropOwned(port, &port->brushSelected, BLACK_BRUSH);
    if (port->restoreDc) RestoreDC(port->dc, port->saveDcId);
    // A caller's DC is only forgotten; a window's DC taken at binding is released.
    if (port->window && port->window != CallerDcWindow()) ReleaseDC(port->window, port->dc);
  }
  if (port->savedClip) DisposeRegion(port->savedClip);
  port->savedClip = nullptr;
  port->restoreDc = 0;
  port->dc = nullptr;
  port->window = nullptr;
  return kPlatformNoError;
}

PlatformError GraphicsPort::BeginPixelAccess(GraphicsPort* port) {
  PixelMap* map = PortPixelMap(port);
  if (map == nullptr) return kPlatformNoError;
  const bool wasLocked = LockCountOf(map) != 0;
  PlatformError error = PlatformWorld::LockPixels(port->ownerLinks[1], nullptr, nullptr);
  if (error != kPlatformNoError) return error;
  if (wasLocked || (map->flags & kPixelMapMemoryNewer)) {
    error = DibRecord::SyncBits(map->dib, true);
    if (error != kPlatformNoError) {
      PlatformWorld::UnlockPixels(port->ownerLinks[1], nullptr);
      return error;
    }
    map->flags &= ~kPixelMapMemoryNewer;
  }
  return kPlatformNoError;
}

void GraphicsPort::EndPixelAccess(GraphicsPort* port) {
  PixelMap* map = PortPixelMap(port);
  if (map == nullptr) return;
  PlatformWorld::UnlockPixels(port->ownerLinks[1], nullptr);
  if (LockCountOf(map) == 0) {
    map->flags |= kPixelMapDibNewer;
  } else if (DibRecord::SyncBits(map->dib, false) == kPlatformNoError) {
    map->flags &= ~kPixelMapDibNewer;
  }
}

PlatformError GraphicsPort::ResetState(PlatformWorld* world, bool pen, bool brush, bool text, bool clip, bool origin) {
  GraphicsPort* port = BoundPort(world);
  if (port == nullptr) return kPlatformErrBadData;
  HDC dc = port->dc;
  if (SetMapMode(dc, MM_TEXT) == 0 || SetBkMode(dc, OPAQUE) == 0) return kPlatformErrPortGdi;
  if (pen || brush) {
    if (SetBkColor(dc, 0xFFFFFF) == CLR_INVALID || SetROP2(dc, R2_COPYPEN) == 0) return kPlatformErrPortGdi;
    PlatformError error = SelectOwned(port, GetStockObject(BLACK_PEN), &port->penSelected);
    if (error == kPlatformNoError) error = SelectOwned(port, GetStockObject(BLACK_BRUSH), &port->brushSelected);
    if (error != kPlatformNoError) return error;
    port->fillPattern = kSolidPattern;
    port->penPattern = nullptr;
    port->penWidth = 0;
  }
  if (text) {
    if (SetTextColor(dc, 0x000000) == CLR_INVALID ||
        SetTextAlign(dc, TA_LEFT | TA_BASELINE | TA_UPDATECP) == GDI_ERROR) {
      return kPlatformErrPortGdi;
    }
    PlatformError error = SetTextStyle(world, nullptr, nullptr, ANSI_VAR_FONT, 12, 0, -1);
    if (error != kPlatformNoError) return error;
    port->family[0] = '\0';
  }
  if (clip) {
    PlatformError error = SelectPortClip(port, port->savedClip);
    if (error != kPlatformNoError) return kPlatformErrPortGdi;
  }
  if (origin && !SetViewportOrgEx(dc, 0, 0, nullptr)) return kPlatformErrPortGdi;
  return kPlatformNoError;
}

PlatformError GraphicsPort::SetFillPattern(PlatformWorld* world, const ColorRecord* fore, const ColorRecord* back,
                                           const uint8_t* pattern) {
  GraphicsPort* port = BoundPort(world);
  if (port == nullptr) return kPlatformErrBadData;
  if (!SetColours(port->dc, fore, back)) return kPlatformErrPortGdi;
  if (pattern != nullptr) port->fillPattern = pattern;
  return SelectFillBrush(port);
}

PlatformError GraphicsPort::SetBackColor(PlatformWorld* world, const ColorRecord* back) {
  return SetFillPattern(world, nullptr, back, nullptr);
}

PlatformError GraphicsPort::SetForeColor(PlatformWorld* world, const ColorRecord* fore) {
  GraphicsPort* port = BoundPort(world);
  if (port == nullptr) return kPlatformErrBadData;
  return SetColours(port->dc, fore, nullptr) ? kPlatformNoError : kPlatformErrPortGdi;
}

namespace {

PlatformError ReadColour(PlatformWorld* world, ColorRecord* out, COLORREF (*read)(HDC)) {
  std::memset(out, 0, sizeof *out);
  GraphicsPort* port = BoundPort(world);
  if (port == nullptr) return kPlatformErrBadData;
  const COLORREF colour = read(port->dc);
  if (colour == CLR_INVALID) return kPlatformErrPortGdi;
  ColorRecord::FromColorRef(out, colour);
  return kPlatformNoError;
}

}  // namespace

PlatformError GraphicsPort::GetForeColor(PlatformWorld* world, ColorRecord* out) {
  return ReadColour(world, out, GetTextColor);
}

PlatformError GraphicsPort::GetBackColor(PlatformWorld* world, ColorRecord* out) {
  return ReadColour(world, out, GetBkColor);
}

PlatformError GraphicsPort::SetPen(PlatformWorld* world, const ColorRecord* fore, const ColorRecord* back,
                                   const uint8_t* pattern, int32_t width) {
  GraphicsPort* port = BoundPort(world);
  if (port == nullptr || width < -1) return kPlatformErrBadData;
  if (width != -1) port->penWidth = width;
  if (!SetColours(port->dc, fore, back)) return kPlatformErrPortGdi;
  if (pattern != nullptr) port->penPattern = pattern;
  if (IsPattern(port->penPattern)) {
    HBITMAP bits = PatternBitmap(port->penPattern);
    if (bits == nullptr) return kPlatformErrPortGdi;
    const LOGBRUSH brush{BS_PATTERN, 0, reinterpret_cast<ULONG_PTR>(bits)};
    HPEN pen = ExtCreatePen(PS_GEOMETRIC | PS_SOLID, static_cast<DWORD>(port->penWidth), &brush, 0, nullptr);
    DeleteObject(bits);
    PlatformError error = SelectOwned(port, pen, &port->penSelected);
    if (error != kPlatformNoError) return error;
    // Patterned lines are drawn by filling their widened path, which takes the fill brush.
    return SelectOwned(port, PatternBrush(port->penPattern), &port->brushSelected);
  }
  port->penPattern = nullptr;
  return SelectOwned(port, CreatePen(PS_SOLID, port->penWidth, GetTextColor(port->dc)), &port->penSelected);
}

HRGN GraphicsPort::GetClipRegion(PlatformWorld* world) {
  GraphicsPort* port = BoundPort(world);
  return port != nullptr ? PortClipRegion(port) : nullptr;
}

PlatformError GraphicsPort::SetClipRegion(PlatformWorld* world, HRGN region) {
  GraphicsPort* port = BoundPort(world);
  if (port == nullptr) return kPlatformErrBadData;
  return SelectPortClip(port, region);
}

PlatformError GraphicsPort::ClipToRect(PlatformWorld* world, const Rect* rect) {
  GraphicsPort* port = BoundPort(world);
  if (port == nullptr || rect == nullptr) return kPlatformErrBadData;
  const RECT r = GdiRect(rect);
  Rect device;
  if (!MapBox(port->dc, Rect{r.left, r.top, r.right, r.bottom}, &device, true)) return kPlatformErrPortGdi;
  HRGN region = CreateRectRgn(device.left, device.top, device.right, device.bottom);
  if (region == nullptr) return kPlatformErrPortGdi;
  const int result = SelectClipRgn(port->dc, region);
  DeleteObject(region);
  return result == ERROR ? kPlatformErrPortGdi : kPlatformNoError;
}

namespace {

PlatformError ChangeUpdateRegion(PlatformWorld* world, const Rect* rect, bool invalidate) {
  GraphicsPort* port = BoundPort(world);
  if (port == nullptr || rect == nullptr) return kPlatformErrBadData;
  if (port->window == CallerDcWindow()) return kPlatformErrBadData;
  if (!IsWindowVisible(port->window)) return kPlatformNoError;
  const RECT r = GdiRect(rect);
  const BOOL done = invalidate ? ::InvalidateRect(port->window, &r, FALSE) : ::ValidateRect(port->window, &r);
  return done ? kPlatformNoError : kPlatformErrPortGdi;
}

}  // namespace

PlatformError GraphicsPort::InvalidateRect(PlatformWorld* world, const Rect* rect) {
  return ChangeUpdateRegion(world, rect, true);
}

PlatformError GraphicsPort::ValidateRect(PlatformWorld* world, const Rect* rect) {
  return ChangeUpdateRegion(world, rect, false);
}

PlatformError GraphicsPort::SetOrigin(PlatformWorld* world, int32_t x, int32_t y, Point* previous) {
  GraphicsPort* port = BoundPort(world);
  if (port == nullptr) return kPlatformErrBadData;
  POINT old{0, 0};
  if (!SetViewportOrgEx(port->dc, x, y, &old)) return kPlatformErrPortGdi;
  if (previous != nullptr) *previous = Point{old.x, old.y};
  return kPlatformNoError;
}

namespace {

std::atomic<int32_t> printJobs{0};

}  // namespace

void CountPrintJobStarted() { printJobs.fetch_add(1, std::memory_order_relaxed); }

int32_t PrintJobCount() { return printJobs.load(std::memory_order_relaxed); }

PlatformError EndPrintJob(PrintDeviceRecord* record) {
  if (record == nullptr) return kPlatformNoError;
  if (record->dc != nullptr) {
    if (record->documentStarted) {
      if (record->result == kPlatformErrCancelled) {
        AbortDoc(record->dc);
      } else {
        EndDoc(record->dc);
      }
      record->documentStarted = 0;
    }
    if (record->settings != nullptr) GlobalUnlock(record->settings);
    DeleteDC(record->dc);
    record->dc = nullptr;
    printJobs.fetch_sub(1, std::memory_order_relaxed);
  }
  return record->result;
}
