// Regions: a thin layer over GDI regions for the drawing ports and the markup pages. A region handle belongs to
// whoever created it and is freed with DisposeRegion.
#pragma once

#include "host/types.h"
#include "platform/core/platform_error.h"
#include "platform/graphics/rect.h"

using PlatformRegion = HRGN;

HRGN NewEmptyRegion();              // null on failure
HRGN DuplicateRegion(HRGN region);  // null on failure
void DisposeRegion(HRGN region);
void GetRegionBounds(Rect* out, HRGN region);
// The rect is clamped for GDI first; -7004 on failure.
PlatformError SetRegionToRect(HRGN region, const Rect* rect);
// Moves and scales the region so that the source rect lands on the destination rect: x' = destination left +
// (x - source left) x destination width / source width, rounded toward zero, and y likewise. An empty source or
// destination rect gives -7002; a GDI failure -7004. On failure the region is left as it was.
PlatformError MapRegion(HRGN region, const Rect* source, const Rect* destination);
bool IsRegionEmpty(HRGN region);
