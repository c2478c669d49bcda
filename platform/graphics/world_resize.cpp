// Resizing a world's pixel map and growing a small pattern world by tiling (see graphics_world.h).
//
// Both build a new surface in the world's own format, draw the old pixels into it and exchange the two pixel
// maps, so the world keeps its address while its pixels change size.
#include "platform/graphics/copy_bits.h"
#include "platform/graphics/graphics_startup.h"
#include "platform/graphics/graphics_world.h"
#include "platform/graphics/pattern_fill.h"

namespace {

bool IsLocked(PlatformWorld* world) { return world && world->pixelMap && PixelMapLockCount(world->pixelMap) != 0; }

// A surface of the new bounds in the world's format and palette. It shares the world's format key, so that
// drawing the world into it moves stored pixels instead of mapping indexes through the inverse table (which
// would merge equal palette entries).
PlatformWorld* MatchingSurface(PlatformWorld* world, const Rect* bounds) {
  const PixelMap* map = world->pixelMap;
  PlatformWorld* fresh =
      PlatformWorld::CreateSurface(bounds, map->formatCode, map->bytesPerPixel == 1 ? &map->palette : nullptr);
  if (fresh) fresh->pixelMap->formatKey = map->formatKey;
  return fresh;
}

// Draws world into a new surface of the given bounds with draw(fresh, world) and exchanges the pixel maps.
template <class Draw>
PlatformError Rebuild(PlatformWorld* world, const Rect* bounds, Draw draw) {
  PlatformWorld* fresh = MatchingSurface(world, bounds);
  if (!fresh) return kPlatformErrNoMemory;
  const PlatformError error = draw(fresh, world);
  if (error == kPlatformNoError) PlatformWorld::SwapPixelMaps(world, fresh);
  PlatformWorld::Dispose(fresh);
  return error;
}

}  // namespace

PlatformError PlatformWorld::SetBounds(PlatformWorld* world, PlatformWorld* maskWorld, const Rect* bounds) {
  if (!world || !world->pixelMap || !bounds || (maskWorld && !maskWorld->pixelMap)) return kPlatformErrBadData;
  if (IsLocked(world) || IsLocked(maskWorld)) return kPlatformErrWorldLocked;
  PixelMap* map = world->pixelMap;
  if (bounds->Width() == map->bounds.Width() && bounds->Height() == map->bounds.Height()) {
    map->bounds = *bounds;  // the same size: the world only moves
    return kPlatformNoError;
  }
  PlatformError error = Rebuild(world, bounds, [](PlatformWorld* fresh, PlatformWorld* old) {
    return PlatformCopyBits(fresh, nullptr, 1, old, nullptr, nullptr, nullptr);
  });
  if (error != kPlatformNoError || !maskWorld) return error;
  return Rebuild(maskWorld, bounds, [](PlatformWorld* fresh, PlatformWorld* old) {
    return PlatformCopyBits(fresh, nullptr, 0, old, nullptr, nullptr, nullptr);
  });
}

PlatformError PlatformWorld::ExpandPattern(PlatformWorld* world, PlatformWorld* maskWorld) {
  constexpr int64_t kMinimum = 128;
  if (!world || !world->pixelMap || (maskWorld && !maskWorld->pixelMap)) return kPlatformErrBadData;
  if (IsLocked(world) || IsLocked(maskWorld)) return kPlatformErrWorldLocked;
  const Rect old = world->pixelMap->bounds;
  const int64_t width = old.Width();
  const int64_t height = old.Height();
  if (width <= 0 || height <= 0) return kPlatformErrBadData;
  if (width >= kMinimum && height >= kMinimum) return kPlatformNoError;
  // Whole copies of the pattern until each side is at least the minimum.
  const int64_t newWidth = width >= kMinimum ? width : width * ((kMinimum + width - 1) / width);
  const int64_t newHeight = height >= kMinimum ? height : height * ((kMinimum + height - 1) / height);
  const Rect bounds{old.left, old.top, static_cast<int32_t>(old.left + newWidth),
                    static_cast<int32_t>(old.top + newHeight)};
  // The phase is the pattern's own corner, so the new world starts with the pattern's first pixel.
  const Point phase = Rect::TopLeft(&old);
  auto tile = [&phase](PlatformWorld* fresh, PlatformWorld* pattern) {
    return PlatformPatternFill(fresh, nullptr, &phase, 0, pattern, nullptr, nullptr);
  };
  PlatformError error = Rebuild(world, &bounds, tile);
  if (error != kPlatformNoError || !maskWorld) return error;
  return Rebuild(maskWorld, &bounds, tile);
}
