// Inside the drawing layer: the object table behind GDI handles, bitmaps, device contexts, and the entry points
// through which the window code makes device contexts over a window's frame buffer.
//
// Every object lives in one table and is named by a handle that encodes its slot and a generation count, so a
// deleted or foreign handle is recognised and refused. All calls hold one recursive lock while they touch objects.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "gdi_pixels.h"
#include "gdi_region.h"
#include "host/gdi.h"

// ---- Frame buffers of windows -------------------------------------------------------------------------------------

// A window's frame buffer, owned by the window code. A device context made over it reads these fields at every
// call, so the owner may resize or reallocate the pixels between calls.
struct HostSurface {
  int32_t width = 0;
  int32_t height = 0;
  int32_t pitch = 0;            // bytes from one row to the next
  uint32_t* pixels = nullptr;   // 0x00RRGGBB, top row first (raster operations may set the unused top byte)
  RECT dirty{0, 0, 0, 0};       // box of every pixel drawn since the owner last emptied it (left >= right: none)
  // What each row had drawn on it, [first, second), for the rows of `drawnRowsBox`: they tell the drawing within
  // `dirty` while the two boxes are the same (code that sets `dirty` itself leaves the box alone to tell it).
  std::vector<std::pair<int32_t, int32_t>> drawnRows;
  RECT drawnRowsBox{0, 0, 0, 0};
};

// What was drawn on the surface since it was last taken, as rectangles of the surface (each a band of rows drawn
// alike), and empties it: the drawn rows where they tell it, else the dirty box.
std::vector<RECT> HostTakeDrawn(HostSurface* surface);

// A device context (OBJ_DC) drawing into the surface; null when the surface is null.
HDC HostCreateSurfaceDC(HostSurface* surface);
// Deletes a device context made by HostCreateSurfaceDC (DeleteDC refuses those); FALSE for any other handle.
BOOL HostReleaseSurfaceDC(HDC hdc);
// The surface a device context draws into, or null for memory device contexts and bad handles.
HostSurface* HostGetSurface(HDC hdc);
// Limits drawing to a copy of the region (in surface pixels), as for painting an update region; a null region
// lifts the limit. FALSE for a bad handle.
BOOL HostSetSurfaceClip(HDC hdc, HRGN region);
// The display the device capabilities describe (HORZRES, VERTRES); 32 bits per pixel, 1920 x 1080 until set.
void HostSetScreenSize(int width, int height);

namespace host::gdi {

// ---- Object table -------------------------------------------------------------------------------------------------

enum class ObjectKind : uint8_t { kBitmap, kRegion, kMemoryDC, kSurfaceDC, kPen, kBrush, kFont };

struct Object {
  explicit Object(ObjectKind k) : kind(k) {}
  virtual ~Object() = default;
  ObjectKind kind;
  bool stock = false;      // shared and never deleted
  void* handle = nullptr;  // set when the object joins the table
};

// Held by every call while it uses objects (recursive: calls may call calls).
std::unique_lock<std::recursive_mutex> LockObjects();

// Takes ownership; returns the new handle.
void* AddObject(std::unique_ptr<Object> object);
Object* FindObject(const void* handle);
// Removes and returns the object (null for a bad handle).
std::unique_ptr<Object> RemoveObject(const void* handle);
// The objects in the table that are not stock objects.
int CountLiveObjects();

template <typename T>
T* Find(const void* handle) {
  Object* object = FindObject(handle);
  return object != nullptr && T::Accepts(object->kind) ? static_cast<T*>(object) : nullptr;
}

struct RegionObject : Object {
  RegionObject() : Object(ObjectKind::kRegion) {}
  static bool Accepts(ObjectKind k) { return k == ObjectKind::kRegion; }
  Region region;
};

struct DeviceContext;

// What a brush or a geometric pen paints: one colour, or a pattern repeating from the device origin.
struct Paint {
  enum class Kind : uint8_t { kNone, kSolid, kPattern } kind = Kind::kSolid;
  COLORREF color = 0;
  bool monochrome = false;      // pattern cells 0 and 1 take the text and background colours
  int32_t width = 0;            // pattern size
  int32_t height = 0;
  std::vector<uint32_t> cells;  // monochrome: 0 or 1; else 0x00RRGGBB; rows from the top
};

struct Brush : Object {
  Brush() : Object(ObjectKind::kBrush) {}
  static bool Accepts(ObjectKind k) { return k == ObjectKind::kBrush; }
  Paint paint;
};

struct Pen : Object {
  Pen() : Object(ObjectKind::kPen) {}
  static bool Accepts(ObjectKind k) { return k == ObjectKind::kPen; }
  bool null = false;
  bool geometric = false;  // wide lines and widened paths use `paint`
  int32_t width = 0;
  Paint paint;  // cosmetic pens: solid in their colour
};

struct Font : Object {
  Font() : Object(ObjectKind::kFont) {}
  static bool Accepts(ObjectKind k) { return k == ObjectKind::kFont; }
  LOGFONTA logical{};
};

struct Bitmap : Object {
  Bitmap() : Object(ObjectKind::kBitmap) {}
  static bool Accepts(ObjectKind k) { return k == ObjectKind::kBitmap; }

  PixelView View() const;  // rows from the top

  PixelLayout layout;
  std::vector<RGBQUAD> colors;  // the colour table the layout points at (bitmaps of 8 bits or less)
  int32_t width = 0;
  int32_t height = 0;
  size_t stride = 0;            // bytes per row in memory
  bool bottomUp = false;        // memory holds the bottom row first (DIB sections with a positive height)
  bool dibSection = false;
  std::unique_ptr<uint8_t[]> storage;
  uint8_t* bits = nullptr;
  DeviceContext* selectedInto = nullptr;  // the memory DC holding it (never set for the stock bitmap)
};

// Stock pens, brushes and fonts: made on first use, never deleted. Null for an index that names none.
void* StockObjectHandle(int index);

// The 1 x 1 monochrome bitmap every memory DC starts with.
Bitmap* StockBitmap();
void* StockBitmapHandle();

// A bitmap of the given layout with zeroed pixels; null when the size is out of range. `colors` (for 8 bits or
// less) is copied; missing entries are black.
std::unique_ptr<Bitmap> NewBitmap(int32_t width, int32_t height, const PixelLayout& layout,
                                  const RGBQUAD* colors, uint32_t colorCount, bool dibSection, bool bottomUp);

// A point in device pixels: logical coordinates plus the viewport origin, which may pass the 32-bit range.
struct DevicePoint {
  int64_t x;
  int64_t y;
};

// A figure of a path: its points in drawing order.
struct PathFigure {
  std::vector<DevicePoint> points;
};

// The drawing state SaveDC keeps and RestoreDC brings back.
struct DrawingState {
  COLORREF textColor = 0x000000;
  COLORREF backColor = 0xFFFFFF;
  int mapMode = MM_TEXT;
  POINT viewportOrigin{0, 0};          // device = logical + origin
  std::shared_ptr<const Region> clip;  // the clip region chosen by the program (device pixels); null: none
  void* pen = nullptr;  // selected objects; a handle that no longer names its object falls back to the stock one
  void* brush = nullptr;
  void* font = nullptr;
  int backMode = OPAQUE;
  int rop2 = R2_COPYPEN;
  UINT textAlign = TA_LEFT | TA_TOP | TA_NOUPDATECP;
  POINT position{0, 0};  // the current position (logical)
};

struct DeviceContext : Object {
  explicit DeviceContext(ObjectKind k) : Object(k) {}
  static bool Accepts(ObjectKind k) { return k == ObjectKind::kMemoryDC || k == ObjectKind::kSurfaceDC; }

  // The pixels drawn into, or false when there are none (a surface without pixels).
  bool Target(PixelView* view) const;
  // The rectangle of device pixels drawing may touch: the target's bounds within the clip regions. Empty when
  // nothing may be drawn. `clipOut` receives the combined clip region, or is cleared when the box says it all.
  RECT DrawableBox(Region* clipOut, bool* hasClip) const;
  // Notes drawing inside the device rectangle (for surfaces: their dirty box).
  void MarkDrawn(const RECT& deviceRect) const;

  // The selected objects, or the stock defaults when a selected object has been deleted.
  Pen* CurrentPen() const;
  Brush* CurrentBrush() const;
  Font* CurrentFont() const;

  Bitmap* bitmap = nullptr;        // memory DCs: the selected bitmap (the stock bitmap at first)
  HostSurface* surface = nullptr;  // surface DCs
  DrawingState state;
  std::vector<DrawingState> saved;  // SaveDC's stack, oldest first
  // Path recording: between BeginPath and EndPath figures are recorded; a closed path waits for WidenPath or
  // FillPath.
  enum class PathMode : uint8_t { kNone, kRecording, kClosed } pathMode = PathMode::kNone;
  std::vector<PathFigure> path;
  int32_t pathWidth = -1;               // the pen width the path was widened with; -1: not widened
  std::unique_ptr<Region> surfaceClip;  // the visible part set by the window code
  PixelLayout surfaceLayout = DirectLayout(32);
};

// The screen the device capabilities describe.
struct ScreenInfo {
  int width = 1920;
  int height = 1080;
  int bitsPerPixel = 32;
};
ScreenInfo Screen();

}  // namespace host::gdi
