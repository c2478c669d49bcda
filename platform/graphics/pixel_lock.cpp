// Locking a world's pixels: the first lock re-validates the world against its DIB (and a window world against
// its window) and rebuilds the inverse table of a changed palette; every lock sets the base address. The lock
// count changes atomically.
#include "platform/core/global_lock.h"
#include "platform/graphics/dib_record.h"
#include "platform/graphics/graphics_startup.h"
#include "platform/graphics/graphics_world.h"
#include "platform/graphics/window_world.h"

namespace {

// Bit 3 of the flags: the palette changed.
constexpr uint32_t kPaletteChangedBit = 3;
static_assert(kPixelMapPaletteChanged == 1u << kPaletteChangedBit);

// A memory world whose DIB no longer matches its own description gets a new surface of the DIB's size and depth.
PlatformError RevalidateMemoryWorld(PlatformWorld* world, uint8_t* changed) {
  PixelMap* map = world->pixelMap;
  if (!map->dib) return kPlatformErrGraphics;
  const BITMAPINFOHEADER& h = map->dib->info.bmiHeader;
  const int64_t height = h.biHeight < 0 ? -static_cast<int64_t>(h.biHeight) : h.biHeight;
  if (h.biBitCount == map->bitsPerPixel && h.biWidth == map->bounds.Width() && height == map->bounds.Height()) {
    return kPlatformNoError;
  }
  Palette palette{};
  if (h.biBitCount <= 8) {
    PaletteFromRgbQuads(&palette, map->dib->info.bmiColors, h.biClrUsed != 0 ? static_cast<int32_t>(h.biClrUsed) : 256);
  }
  const Rect bounds{0, 0, h.biWidth, static_cast<int32_t>(height)};
  PlatformWorld* fresh = PlatformWorld::CreateSurface(&bounds, FormatFromDibHeader(&map->dib->info), &palette);
  if (!fresh) return kPlatformErrNoMemory;
  PlatformWorld::SwapPixelMaps(world, fresh);
  PlatformWorld::Dispose(fresh);
  if (changed) *changed = 1;
  return kPlatformNoError;
}

void RebuildChangedPalette(PixelMap* map) {
  if (!map) return;
  if (AtomicTestAndClearBit(&map->flags, kPaletteChangedBit)) {
    PlatformBuildInverseTable(map->inverseTable, &map->palette);
  }
}

void AddLock(PixelMap* map) {
  AtomicAdd(&map->lockCount, 1);
  map->baseAddress = map->dib ? map->dib->bits : nullptr;
}

// Never below 0: an unbalanced unlock is ignored. The base address is cleared with the last lock, so that stale
// use of it fails at once and the row writers see an unlocked world.
void RemoveLock(PixelMap* map) {
  if (PixelMapLockCount(map) <= 0) return;
  if (AtomicAdd(&map->lockCount, -1) == 1) map->baseAddress = nullptr;
}

}  // namespace

int32_t PixelMapLockCount(PixelMap* map) { return AtomicAdd(&map->lockCount, 0); }

PlatformError PlatformWorld::LockPixels(PlatformWorld* world, PlatformWorld* maskWorld, uint8_t* changed) {
  if (changed) *changed = 0;
  if (!world || !world->pixelMap || (maskWorld && !maskWorld->pixelMap)) return kPlatformErrBadData;
  if (GraphicsHasDibSections() && !GdiFlush()) return kPlatformErrGraphics;
  if (PixelMapLockCount(world->pixelMap) == 0) {
    const PlatformError error = (world->pixelMap->flags & kPixelMapWindowBacked)
                                    ? RevalidateWindowWorld(world, changed)
                                    : RevalidateMemoryWorld(world, changed);
    if (error != kPlatformNoError) return error;
    RebuildChangedPalette(world->pixelMap);
    if (maskWorld) RebuildChangedPalette(maskWorld->pixelMap);
  }
  AddLock(world->pixelMap);
  if (maskWorld) AddLock(maskWorld->pixelMap);
  return kPlatformNoError;
}

void PlatformWorld::UnlockPixels(PlatformWorld* world, PlatformWorld* maskWorld) {
  if (maskWorld && maskWorld->pixelMap) RemoveLock(maskWorld->pixelMap);
  if (world && world->pixelMap) RemoveLock(world->pixelMap);
}
