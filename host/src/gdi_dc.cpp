// Device contexts: memory DCs over selected bitmaps, surface DCs over window frame buffers, their small state
// (colours, map mode, clip) and the device capabilities.
#include <algorithm>

#include "gdi_internal.h"

namespace host::gdi {
namespace {

ScreenInfo& ScreenState() {
  static ScreenInfo screen;
  return screen;
}

}  // namespace

ScreenInfo Screen() {
  auto lock = LockObjects();
  return ScreenState();
}

bool DeviceContext::Target(PixelView* view) const {
  if (kind == ObjectKind::kMemoryDC) {
    *view = (bitmap != nullptr ? bitmap : StockBitmap())->View();
    return true;
  }
  if (surface == nullptr || surface->pixels == nullptr || surface->width <= 0 || surface->height <= 0 ||
      surface->pitch < int64_t{surface->width} * 4) {
    return false;
  }
  view->top = reinterpret_cast<uint8_t*>(surface->pixels);
  view->step = surface->pitch;
  view->width = surface->width;
  view->height = surface->height;
  view->layout = &surfaceLayout;
  return true;
}

namespace {

constexpr std::pair<int32_t, int32_t> kNoSpan{INT32_MAX, INT32_MIN};

bool IsEmptyBox(const RECT& r) { return r.left >= r.right || r.top >= r.bottom; }
bool SameBox(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace

RECT DeviceContext::DrawableBox(Region* clipOut, bool* hasClip) const {
  PixelView view;
  RECT box{0, 0, 0, 0};
  *hasClip = false;
  if (!Target(&view)) return box;
  box = {0, 0, view.width, view.height};
  const Region* first = state.clip ? state.clip.get() : surfaceClip.get();
  const Region* second = state.clip ? surfaceClip.get() : nullptr;
  if (first == nullptr) return box;
  Region combined = second ? Region::Combine(*first, *second, RGN_AND) : *first;
  combined = Region::Combine(combined, Region(box.left, box.top, box.right, box.bottom), RGN_AND);
  box = combined.Box();
  if (combined.Type() == COMPLEXREGION) {
    *clipOut = std::move(combined);
    *hasClip = true;
  }
  return box;
}

void DeviceContext::MarkDrawn(const RECT& r) const {
  if (surface == nullptr || r.left >= r.right || r.top >= r.bottom) return;
  HostSurface& s = *surface;
  RECT& d = s.dirty;
  bool told = SameBox(d, s.drawnRowsBox);
  if (s.drawnRows.size() != static_cast<size_t>(std::max(s.height, 0))) {
    s.drawnRows.assign(static_cast<size_t>(std::max(s.height, 0)), kNoSpan);
    s.drawnRowsBox = RECT{0, 0, 0, 0};
    told = IsEmptyBox(d);
  }
  if (IsEmptyBox(d)) {
    d = r;
  } else {
    d = {std::min(d.left, r.left), std::min(d.top, r.top), std::max(d.right, r.right), std::max(d.bottom, r.bottom)};
  }
  const int32_t left = std::max<int32_t>(r.left, 0), right = std::min<int32_t>(r.right, s.width);
  for (int32_t y = std::max<int32_t>(r.top, 0); y < std::min<int32_t>(r.bottom, s.height); ++y) {
    auto& span = s.drawnRows[static_cast<size_t>(y)];
    span = {std::min(span.first, left), std::max(span.second, right)};
  }
  if (told) s.drawnRowsBox = d;
}

}  // namespace host::gdi

using namespace host::gdi;

HDC HostCreateSurfaceDC(HostSurface* surface) {
  if (surface == nullptr) return nullptr;
  auto dc = std::make_unique<DeviceContext>(ObjectKind::kSurfaceDC);
  dc->surface = surface;
  return static_cast<HDC>(AddObject(std::move(dc)));
}

BOOL HostReleaseSurfaceDC(HDC hdc) {
  auto lock = LockObjects();
  auto* dc = Find<DeviceContext>(hdc);
  if (dc == nullptr || dc->kind != ObjectKind::kSurfaceDC) return FALSE;
  RemoveObject(hdc);
  return TRUE;
}

HostSurface* HostGetSurface(HDC hdc) {
  auto lock = LockObjects();
  auto* dc = Find<DeviceContext>(hdc);
  return dc != nullptr ? dc->surface : nullptr;
}

std::vector<RECT> HostTakeDrawn(HostSurface* surface) {
  std::vector<RECT> drawn;
  if (surface == nullptr) return drawn;
  HostSurface& s = *surface;
  const RECT d = s.dirty;
  const int32_t top = std::max<int32_t>(d.top, 0), bottom = std::min<int32_t>(d.bottom, s.height);
  const bool told = SameBox(d, s.drawnRowsBox) && s.drawnRows.size() == static_cast<size_t>(std::max(s.height, 0));
  if (!IsEmptyBox(d) && top < bottom) {
    if (!told) {
      const RECT box{std::max<int32_t>(d.left, 0), top, std::min<int32_t>(d.right, s.width), bottom};
      if (!IsEmptyBox(box)) drawn.push_back(box);
    } else {
      for (int32_t y = top; y < bottom; ++y) {
        const auto& span = s.drawnRows[static_cast<size_t>(y)];
        if (span.first >= span.second) continue;
        if (!drawn.empty() && drawn.back().bottom == y && drawn.back().left == span.first &&
            drawn.back().right == span.second) {
          drawn.back().bottom = y + 1;
        } else {
          drawn.push_back(RECT{span.first, y, span.second, y + 1});
        }
      }
    }
  }
  // The rows of both boxes are emptied; rows marked before their box was set by other code may keep a span,
  // which only ever makes a later answer larger.
  const int32_t from = std::max<int32_t>(std::min(d.top, s.drawnRowsBox.top), 0);
  const int32_t to = std::min<int32_t>(std::max(d.bottom, s.drawnRowsBox.bottom), static_cast<int32_t>(s.drawnRows.size()));
  for (int32_t y = from; y < to; ++y) s.drawnRows[static_cast<size_t>(y)] = kNoSpan;
  s.dirty = s.drawnRowsBox = RECT{0, 0, 0, 0};
  return drawn;
}

BOOL HostSetSurfaceClip(HDC hdc, HRGN region) {
  auto lock = LockObjects();
  auto* dc = Find<DeviceContext>(hdc);
  if (dc == nullptr || dc->kind != ObjectKind::kSurfaceDC) return FALSE;
  if (region == nullptr) {
    dc->surfaceClip.reset();
    return TRUE;
  }
  auto* object = Find<RegionObject>(region);
  if (object == nullptr) return FALSE;
  dc->surfaceClip = std::make_unique<Region>(object->region);
  return TRUE;
}

void HostSetScreenSize(int width, int height) {
  auto lock = LockObjects();
  if (width > 0 && height > 0) {
    ScreenState().width = width;
    ScreenState().height = height;
  }
}

HDC CreateCompatibleDC(HDC hdc) {
  auto lock = LockObjects();
  if (hdc != nullptr && Find<DeviceContext>(hdc) == nullptr) return nullptr;
  auto dc = std::make_unique<DeviceContext>(ObjectKind::kMemoryDC);
  dc->bitmap = StockBitmap();
  return static_cast<HDC>(AddObject(std::move(dc)));
}

BOOL DeleteDC(HDC hdc) {
  auto lock = LockObjects();
  auto* dc = Find<DeviceContext>(hdc);
  if (dc == nullptr || dc->kind != ObjectKind::kMemoryDC) return FALSE;
  // The selected bitmap stays alive and becomes free to be selected elsewhere or deleted.
  if (dc->bitmap != nullptr) dc->bitmap->selectedInto = nullptr;
  RemoveObject(hdc);
  return TRUE;
}

int GetDeviceCaps(HDC hdc, int index) {
  auto lock = LockObjects();
  if (Find<DeviceContext>(hdc) == nullptr) return 0;
  // Every device context, memory ones included, describes the display it is compatible with.
  const ScreenInfo& screen = ScreenState();
  switch (index) {
    case HORZRES: return screen.width;
    case VERTRES: return screen.height;
    case BITSPIXEL: return screen.bitsPerPixel;
    case PLANES: return 1;
    case LOGPIXELSX:
    case LOGPIXELSY: return 96;
    default: return 0;
  }
}

int SetMapMode(HDC hdc, int mode) {
  auto lock = LockObjects();
  auto* dc = Find<DeviceContext>(hdc);
  // Only the pixel mapping is provided; scaled modes are refused rather than drawn at the wrong size.
  if (dc == nullptr || mode != MM_TEXT) return 0;
  const int previous = dc->state.mapMode;
  dc->state.mapMode = mode;
  return previous;
}

int GetMapMode(HDC hdc) {
  auto lock = LockObjects();
  auto* dc = Find<DeviceContext>(hdc);
  return dc != nullptr ? dc->state.mapMode : 0;
}

namespace {

// The text and background colours are set and read the same way: a bad DC gives CLR_INVALID.
COLORREF ExchangeColor(HDC hdc, COLORREF DrawingState::*field, const COLORREF* color) {
  auto lock = LockObjects();
  auto* dc = Find<DeviceContext>(hdc);
  if (dc == nullptr) return CLR_INVALID;
  const COLORREF previous = dc->state.*field;
  if (color != nullptr) dc->state.*field = *color & 0xFFFFFF;
  return previous;
}

}  // namespace

COLORREF SetBkColor(HDC hdc, COLORREF color) { return ExchangeColor(hdc, &DrawingState::backColor, &color); }
COLORREF GetBkColor(HDC hdc) { return ExchangeColor(hdc, &DrawingState::backColor, nullptr); }
COLORREF SetTextColor(HDC hdc, COLORREF color) { return ExchangeColor(hdc, &DrawingState::textColor, &color); }
COLORREF GetTextColor(HDC hdc) { return ExchangeColor(hdc, &DrawingState::textColor, nullptr); }

// Drawing is done when each call returns, so there is never anything left to flush.
BOOL GdiFlush() { return TRUE; }

int EndDoc(HDC) { return SP_ERROR; }
int AbortDoc(HDC) { return SP_ERROR; }
