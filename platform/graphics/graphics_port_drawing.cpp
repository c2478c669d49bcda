// Drawing ports: pixels, lines, rectangles, and drawing or tiling worlds into a port (see graphics_port.h). Each
// drawing operation runs inside the pixel-access bracket.
#include <algorithm>
#include <climits>

#include "host/gdi.h"
#include "platform/graphics/copy_bits.h"
#include "platform/graphics/gdi_copy.h"
#include "platform/graphics/graphics_port.h"
#include "platform/graphics/graphics_port_support.h"
#include "platform/graphics/region.h"

using graphics_port::BoundPort;
using graphics_port::GdiRect;
using graphics_port::PixelAccess;
using graphics_port::TransparentBackground;

namespace {

// Most tiles one TileWorld call draws; a larger count means a tile far too small for its area.
constexpr int64_t kMaxTiles = int64_t{1} << 24;

// Runs draw(dc) inside the bracket on a bound port; false from draw is a GDI failure.
template <typename Draw>
PlatformError Drawing(PlatformWorld* world, Draw draw) {
  GraphicsPort* port = BoundPort(world);
  if (port == nullptr) return kPlatformErrBadData;
  PixelAccess access(port);
  if (access.error() != kPlatformNoError) return access.error();
  return draw(port) ? kPlatformNoError : kPlatformErrPortGdi;
}

// Draws a polyline from the current position through the points with the pen; a patterned pen fills the widened path
// with its pattern brush instead. The background stays transparent meanwhile.
bool PenLines(GraphicsPort* port, const POINT* points, int count) {
  HDC dc = port->dc;
  TransparentBackground transparent(dc);
  if (!transparent.ok()) return false;
  const bool patterned = port->penPattern != nullptr && port->penPattern != kSolidPattern;
  if (patterned && !BeginPath(dc)) return false;
  bool ok = true;
  for (int i = 0; i < count && ok; ++i) ok = ::LineTo(dc, points[i].x, points[i].y) != FALSE;
  if (patterned) ok = EndPath(dc) && ok && WidenPath(dc) && FillPath(dc);
  return ok;
}

// The source rect (or bounds) clamped for GDI, in the coordinates of the source's DIB, whose first pixel is the bounds'
// top-left corner.
Rect SourceRectInDib(const PixelMap* source, const Rect* sourceRect) {
  const RECT r = GdiRect(sourceRect != nullptr ? sourceRect : &source->bounds);
  Rect s{r.left, r.top, r.right, r.bottom};
  Rect::Offset(&s, -source->bounds.left, -source->bounds.top);
  return s;
}

int32_t Clamp32(int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

// Locks a source world and its mask for the length of a scope.
class SourceLock {
 public:
  SourceLock(PlatformWorld* source, PlatformWorld* mask) : source_(source), mask_(mask) {
    error_ = source == nullptr ? kPlatformErrBadData : PlatformWorld::BeginDrawing(source, mask, nullptr, nullptr);
  }
  ~SourceLock() {
    if (error_ == kPlatformNoError) PlatformWorld::EndDrawing(source_, mask_);
  }
  SourceLock(const SourceLock&) = delete;
  SourceLock& operator=(const SourceLock&) = delete;
  PlatformError error() const { return error_; }

 private:
  PlatformWorld* source_;
  PlatformWorld* mask_;
  PlatformError error_;
};

}  // namespace

PlatformError GraphicsPort::SetPixel(PlatformWorld* world, int32_t x, int32_t y, const ColorRecord* colour) {
  if (colour == nullptr) return kPlatformErrBadData;
  return Drawing(world,
                 [&](GraphicsPort* port) { return SetPixelV(port->dc, x, y, ColorRecord::GetColorRef(colour)); });
}

PlatformError GraphicsPort::MoveTo(PlatformWorld* world, int32_t x, int32_t y) {
  GraphicsPort* port = BoundPort(world);
  if (port == nullptr) return kPlatformErrBadData;
  return MoveToEx(port->dc, x, y, nullptr) ? kPlatformNoError : kPlatformErrPortGdi;
}

PlatformError GraphicsPort::LineTo(PlatformWorld* world, int32_t x, int32_t y) {
  return Drawing(world, [&](GraphicsPort* port) {
    const POINT to{x, y};
    return PenLines(port, &to, 1);
  });
}

PlatformError GraphicsPort::FrameRect(PlatformWorld* world, const Rect* rect) {
  if (rect == nullptr) return kPlatformErrBadData;
  return Drawing(world, [&](GraphicsPort* port) {
    // The pen runs along the middle of a border of its width inside the rect.
    const int64_t w = port->penWidth > 0 ? port->penWidth : 1;
    const int64_t a = w >> 1, b = (w + 1) >> 1;
    const RECT r = GdiRect(rect);
    const int32_t left = Clamp32(r.left + a), top = Clamp32(r.top + a);
    const int32_t right = Clamp32(r.right - b), bottom = Clamp32(r.bottom - b);
    const POINT outline[4] = {{right, top}, {right, bottom}, {left, bottom}, {left, top}};
    return MoveToEx(port->dc, left, top, nullptr) && PenLines(port, outline, 4);
  });
}

PlatformError GraphicsPort::FillRect(PlatformWorld* world, const Rect* rect) {
  if (rect == nullptr) return kPlatformErrBadData;
  return Drawing(world, [&](GraphicsPort* port) {
    const RECT r = GdiRect(rect);
    return ::FillRect(port->dc, &r, static_cast<HBRUSH>(GetCurrentObject(port->dc, OBJ_BRUSH))) != 0;
  });
}

PlatformError GraphicsPort::EraseRect(PlatformWorld* world, const Rect* rect) {
  if (rect == nullptr) return kPlatformErrBadData;
  return Drawing(world, [&](GraphicsPort* port) {
    const COLORREF back = GetBkColor(port->dc);
    if (back == CLR_INVALID) return false;
    HBRUSH brush = graphics_port::SolidBrushFor(back);
    if (brush == nullptr) return false;
    const RECT r = GdiRect(rect);
    const bool done = ::FillRect(port->dc, &r, brush) != 0;
    DeleteObject(brush);  // stock brushes ignore this
    return done;
  });
}

PlatformError GraphicsPort::InvertRect(PlatformWorld* world, const Rect* rect) {
  if (rect == nullptr) return kPlatformErrBadData;
  return Drawing(world, [&](GraphicsPort* port) {
    const RECT r = GdiRect(rect);
    return ::InvertRect(port->dc, &r) != FALSE;
  });
}

PlatformError GraphicsPort::CopyWorld(PlatformWorld* world, const Rect* destinationRect, PlatformWorld* source,
                                      PlatformWorld* maskWorld, const TransferMode* mode, const Rect* sourceRect) {
  GraphicsPort* port = BoundPort(world);
  if (port == nullptr || source == nullptr || source->pixelMap == nullptr ||
      (maskWorld != nullptr && maskWorld->pixelMap == nullptr)) {
    return kPlatformErrBadData;
  }
  PlatformWorld* owner = port->ownerLinks[1];
  if (owner != nullptr && owner->pixelMap != nullptr) {
    // Copy bits writes the pixel map's memory under its own bracket, which marks the memory as the newer copy.
    // Inside the port's pixel-access bracket the bitmap would be marked newer at its end, and the next lock would
    // copy it over the pixels just written.
    return PlatformCopyBits(owner, destinationRect, 0, source, maskWorld, mode, sourceRect);
  }
  PixelAccess access(port);
  if (access.error() != kPlatformNoError) return access.error();
  SourceLock lock(source, maskWorld);
  if (lock.error() != kPlatformNoError) return lock.error();
  const PixelMap* map = source->pixelMap;
  const Rect s = SourceRectInDib(map, sourceRect);
  const RECT d = GdiRect(destinationRect != nullptr ? destinationRect : &map->bounds);
  const Rect dest{d.left, d.top, d.right, d.bottom};
  return PlatformCopyBitsGdi(port->dc, &dest, map->dib, maskWorld != nullptr ? maskWorld->pixelMap->dib : nullptr, mode,
                             &s);
}

PlatformError GraphicsPort::TileWorld(PlatformWorld* world, const Rect* area, const Point* origin,
                                      PlatformWorld* source, PlatformWorld* maskWorld, const Rect* sourceRect) {
  GraphicsPort* port = BoundPort(world);
  if (port == nullptr || source == nullptr || source->pixelMap == nullptr ||
      (maskWorld != nullptr && maskWorld->pixelMap == nullptr)) {
    return kPlatformErrBadData;
  }
  // The area: the given one within the box of the clip region, else the whole device. It is taken before the
  // origin is set, in the coordinates the caller drew in.
  Rect bounds{0, 0, GetDeviceCaps(port->dc, HORZRES), GetDeviceCaps(port->dc, VERTRES)};
  if (area != nullptr) {
    HRGN clip = GetClipRegion(world);
    if (clip == nullptr) return kPlatformErrPortGdi;
    Rect clipBox;
    GetRegionBounds(&clipBox, clip);
    DisposeRegion(clip);
    Rect::Intersect(&bounds, area, &clipBox);
  }

  PixelAccess access(port);
  if (access.error() != kPlatformNoError) return access.error();
  SourceLock lock(source, maskWorld);
  if (lock.error() != kPlatformNoError) return lock.error();
  POINT previousOrigin{0, 0};
  if (origin != nullptr && !SetViewportOrgEx(port->dc, origin->x, origin->y, &previousOrigin)) {
    return kPlatformErrPortGdi;
  }
  PlatformError error = kPlatformNoError;
  const PixelMap* map = source->pixelMap;
  const Rect tile = SourceRectInDib(map, sourceRect);
  const int64_t tw = tile.Width(), th = tile.Height();
  if (error == kPlatformNoError && (tw <= 0 || th <= 0)) error = kPlatformErrBadData;  // tiles are counted by it
  if (error == kPlatformNoError && !Rect::IsEmpty(&bounds)) {
    // Tiles sit on multiples of the tile size; the first column and row are those holding the area's corner. The
    // divisions round down rather than toward zero, so that an area reaching left of or above (0, 0) is covered
    // there too instead of being left bare up to the first tile at 0.
    const int64_t c0 = FloorDiv(bounds.left, tw), c1 = FloorDiv(bounds.right + tw - 1, tw);
    const int64_t r0 = FloorDiv(bounds.top, th), r1 = FloorDiv(bounds.bottom + th - 1, th);
    if (c1 - c0 > kMaxTiles || r1 - r0 > kMaxTiles || (c1 - c0) * (r1 - r0) > kMaxTiles) error = kPlatformErrBadData;
    DibRecord* maskDib = maskWorld != nullptr ? maskWorld->pixelMap->dib : nullptr;
    for (int64_t r = r0; r < r1 && error == kPlatformNoError; ++r) {
      for (int64_t c = c0; c < c1 && error == kPlatformNoError; ++c) {
        const Rect d{Clamp32(c * tw), Clamp32(r * th), Clamp32((c + 1) * tw), Clamp32((r + 1) * th)};
        error = PlatformCopyBitsGdi(port->dc, &d, map->dib, maskDib, nullptr, &tile);
      }
    }
  }
  if (origin != nullptr) SetViewportOrgEx(port->dc, previousOrigin.x, previousOrigin.y, nullptr);
  return error;
}
