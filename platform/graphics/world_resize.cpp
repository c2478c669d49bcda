// Resizing a world's pixel map and growing a small pattern world by tiling (see graphics_world.h).
//
// Both build a new surface (in a format rebuilt from the world's channel widths, or a grey mask surface), draw the
// old pixels into it and exchange the two pixel maps, so the world keeps its address while its pixels change size.
#include "platform/graphics/copy_bits.h"
#include "platform/graphics/graphics_startup.h"
#include "platform/graphics/graphics_world.h"
#include "platform/graphics/pattern_fill.h"

namespace {

bool IsLocked(PlatformWorld* world) { return world && world->pixelMap && PixelMapLockCount(world->pixelMap) != 0; }

// A surface of the new bounds for a world's pixel map: 8-bit maps keep code 8 and their palette; deeper maps get
// the packed code of their channel widths, (bits A << 12) | (bits R << 8) | (bits G << 4) | bits B, so a map of
// format 32 (no alpha bits) comes back as 0x888, three bytes a pixel.
//
// An 8-bit surface also takes the old map's format key. With a key of its own, copy bits would map every index
// through the 4-4-4 inverse table to the nearest palette entry, merging equal or close entries and so changing the
// picture's indexes; with the same key it moves the stored indexes.
PlatformWorld* SurfaceLike(PlatformWorld* world, const Rect* bounds) {
  const PixelMap* map = world->pixelMap;
  if (map->bytesPerPixel == 1) {
    PlatformWorld* fresh = PlatformWorld::CreateSurface(bounds, kPixelFormat8, &map->palette);
    if (fresh) fresh->pixelMap->formatKey = map->formatKey;
    return fresh;
  }
  const uint8_t* bits = map->channels.bits;
  const PixelFormatCode code = (uint32_t{bits[kChannelAlpha]} << 12) | (uint32_t{bits[kChannelRed]} << 8) |
                               (uint32_t{bits[kChannelGreen]} << 4) | bits[kChannelBlue];
  return PlatformWorld::CreateSurface(bounds, code, nullptr);
}

// A mask surface: 8 bits on the shared grey palette.
PlatformWorld* MaskSurface(PlatformWorld*, const Rect* bounds) {
  return PlatformWorld::CreateSurface(bounds, kPixelFormat8, &GreyPalette);
}

// Draws world into a new surface of the given bounds with draw(fresh, world) and exchanges the pixel maps.
template <class Make, class Draw>
PlatformError Rebuild(PlatformWorld* world, const Rect* bounds, Make make, Draw draw) {
  PlatformWorld* fresh = make(world, bounds);
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
  PlatformError error = Rebuild(world, bounds, SurfaceLike, [](PlatformWorld* fresh, PlatformWorld* old) {
    return PlatformCopyBits(fresh, nullptr, 1, old, nullptr, nullptr, nullptr);
  });
  if (error != kPlatformNoError || !maskWorld) return error;
  return Rebuild(maskWorld, bounds, MaskSurface, [](PlatformWorld* fresh, PlatformWorld* old) {
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
  if (width <= 0 || height <= 0) return kPlatformErrBadData;  // an empty pattern never grows to the minimum
  if (width >= kMinimum && height >= kMinimum) return kPlatformNoError;
  // Whole copies of the pattern until each side is at least the minimum.
  const int64_t newWidth = width >= kMinimum ? width : width * ((kMinimum + width - 1) / width);
  const int64_t newHeight = height >= kMinimum ? height : height * ((kMinimum + height - 1) / height);
  const Rect bounds{old.left, old.top, static_cast<int32_t>(old.left + newWidth),
                    static_cast<int32_t>(old.top + newHeight)};
  // No phase: the fill's first pattern row and column follow from the bounds' corner against (0, 0).
  auto tile = [](PlatformWorld* fresh, PlatformWorld* pattern) {
    return PlatformPatternFill(fresh, nullptr, nullptr, 0, pattern, nullptr, nullptr);
  };
  PlatformError error = Rebuild(world, &bounds, SurfaceLike, tile);
  if (error != kPlatformNoError || !maskWorld) return error;
  return Rebuild(maskWorld, &bounds, MaskSurface, tile);
}
