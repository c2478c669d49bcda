// Regions over GDI (see region.h).
#include "platform/graphics/region.h"

#include <climits>
#include <cstring>

#include "host/gdi.h"
#include "platform/core/memory.h"

namespace {

// One coordinate mapped from [fromLow, fromLow + fromSize) onto [toLow, toLow + toSize), in 128 bits so no
// product overflows, kept within 32 bits.
LONG MapCoordinate(LONG v, int64_t fromLow, int64_t fromSize, int64_t toLow, int64_t toSize) {
  const __int128 mapped = toLow + (static_cast<__int128>(v) - fromLow) * toSize / fromSize;
  if (mapped < INT32_MIN) return INT32_MIN;
  if (mapped > INT32_MAX) return INT32_MAX;
  return static_cast<LONG>(mapped);
}

void MapRect(RECT* r, const Rect& from, const Rect& to) {
  r->left = MapCoordinate(r->left, from.left, from.Width(), to.left, to.Width());
  r->right = MapCoordinate(r->right, from.left, from.Width(), to.left, to.Width());
  r->top = MapCoordinate(r->top, from.top, from.Height(), to.top, to.Height());
  r->bottom = MapCoordinate(r->bottom, from.top, from.Height(), to.top, to.Height());
}

}  // namespace

HRGN NewEmptyRegion() { return CreateRectRgn(0, 0, 0, 0); }

HRGN DuplicateRegion(HRGN region) {
  HRGN copy = NewEmptyRegion();
  if (!copy) return nullptr;
  if (CombineRgn(copy, region, nullptr, RGN_COPY) == ERROR) {
    DeleteObject(copy);
    return nullptr;
  }
  return copy;
}

void DisposeRegion(HRGN region) {
  if (region) DeleteObject(region);
}

void GetRegionBounds(Rect* out, HRGN region) {
  RECT box{0, 0, 0, 0};
  GetRgnBox(region, &box);
  *out = Rect{box.left, box.top, box.right, box.bottom};
}

PlatformError SetRegionToRect(HRGN region, const Rect* rect) {
  Rect clamped;
  Rect::ClampForGdi(&clamped, rect);
  return SetRectRgn(region, clamped.left, clamped.top, clamped.right, clamped.bottom) ? kPlatformNoError
                                                                                      : kPlatformErrNoMemory;
}

PlatformError MapRegion(HRGN region, const Rect* source, const Rect* destination) {
  // Tested before anything is divided by a source extent.
  if (Rect::IsEmpty(source) || Rect::IsEmpty(destination)) return kPlatformErrBadData;
  if (source->Width() == destination->Width() && source->Height() == destination->Height()) {
    const int64_t dx = static_cast<int64_t>(destination->left) - source->left;
    const int64_t dy = static_cast<int64_t>(destination->top) - source->top;
    if (dx < INT32_MIN || dx > INT32_MAX || dy < INT32_MIN || dy > INT32_MAX) return kPlatformErrBadData;
    return OffsetRgn(region, static_cast<int>(dx), static_cast<int>(dy)) == ERROR ? kPlatformErrNoMemory
                                                                                  : kPlatformNoError;
  }
  const DWORD size = GetRegionData(region, 0, nullptr);
  if (size < sizeof(RGNDATAHEADER)) return kPlatformErrNoMemory;
  auto* data = static_cast<RGNDATA*>(PlatformNewPointer(size));
  if (!data) return kPlatformErrNoMemory;
  PlatformError result = kPlatformErrNoMemory;
  if (GetRegionData(region, size, data) != 0) {
    MapRect(&data->rdh.rcBound, *source, *destination);
    const DWORD count = data->rdh.nCount;
    const size_t available = (size - sizeof(RGNDATAHEADER)) / sizeof(RECT);
    RECT* rects = reinterpret_cast<RECT*>(data->Buffer);
    for (DWORD i = 0; i < count && i < available; ++i) {
      RECT r;
      std::memcpy(&r, &rects[i], sizeof r);
      MapRect(&r, *source, *destination);
      std::memcpy(&rects[i], &r, sizeof r);
    }
    HRGN mapped = ExtCreateRegion(nullptr, size, data);
    if (mapped) {
      if (CombineRgn(region, mapped, nullptr, RGN_COPY) != ERROR) result = kPlatformNoError;
      DeleteObject(mapped);
    }
  }
  PlatformDisposePointer(data);
  return result;
}

bool IsRegionEmpty(HRGN region) { return CombineRgn(region, region, nullptr, RGN_COPY) == NULLREGION; }
