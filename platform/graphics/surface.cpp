// Pixel-map-only worlds: surfaces in memory and worlds wrapped around an existing DIB record (see
// graphics_world.h).
#include <cstring>
#include <new>

#include "platform/graphics/dib_record.h"
#include "platform/graphics/graphics_startup.h"
#include "platform/graphics/graphics_world.h"

namespace {

// Fills the format part of a pixel map's layout. False for an unknown format.
bool DescribeMap(PixelMap* map, PixelFormatCode format) {
  const int32_t bytesPerPixel = PlatformPixelFormat(format, &map->channels);
  if (bytesPerPixel < 0) return false;
  map->formatCode = format;
  map->depthCode = 0;
  map->bytesPerPixel = static_cast<uint32_t>(bytesPerPixel);
  map->bitsPerPixel = 8 * map->bytesPerPixel;
  return true;
}

// isMask: the map gets the mask key 0x8889 instead of a new indexed key of its own.
void SetPaletteAndKey(PixelMap* map, const Palette* palette, bool isMask) {
  if (map->bytesPerPixel == 1) {
    map->palette = *palette;
    if (map->palette.count < 0) map->palette.count = 0;
    if (map->palette.count > 256) map->palette.count = 256;
    PlatformBuildInverseTable(map->inverseTable, &map->palette);
    map->formatKey = isMask ? kMaskFormatKey : NextIndexedFormatKey();
  } else {
    map->palette.count = 0;
    map->formatKey = DirectFormatKey(map->channels);
  }
}

}  // namespace

PlatformWorld* PlatformWorld::CreateSurface(const Rect* bounds, PixelFormatCode format, const Palette* palette) {
  if (!bounds) return nullptr;
  PixelMap* map = nullptr;
  PlatformWorld* world = Create(nullptr, nullptr, &map);
  if (!world) return nullptr;
  if (!DescribeMap(map, format)) {
    Dispose(world);
    return nullptr;
  }
  // 8-bit surfaces made without a palette take the standard one rather than indexing an empty table.
  if (map->bytesPerPixel == 1 && !palette) palette = &StandardPalette;
  map->flags = 0;
  map->bounds = *bounds;
  RGBQUAD quads[256];
  const Palette empty{};
  ConvertColorTable(quads, nullptr, palette ? palette : &empty);
  map->dib = DibRecord::Create(nullptr, bounds, format, quads, false);
  if (!map->dib) {
    Dispose(world);
    return nullptr;
  }
  map->rowBytes = static_cast<int32_t>(PixelRowBytes(bounds->Width(), map->bitsPerPixel));
  map->info = map->dib->info;
  // Only a surface made on the shared grey palette itself is a mask; an equal palette of another owner (a grey
  // picture's table) gives an indexed map of its own.
  SetPaletteAndKey(map, palette ? palette : &empty, palette == &GreyPalette);
  return world;
}

void PlatformWorld::DisposeSurface(PlatformWorld* world) { Dispose(world); }

PlatformWorld* PlatformWorld::WrapDib(DibRecord* record, WrappedDibWorld* storage) {
  std::memset(static_cast<void*>(storage), 0, sizeof *storage);
  PlatformWorld* world = new (&storage->header) PlatformWorld{};
  PixelMap* map = new (&storage->pixelMap) PixelMap{};
  world->pixelMap = map;
  world->pixelMapOwner = world;
  for (PlatformWorld*& link : map->ownerLinks) link = world;
  const BITMAPINFOHEADER& h = record->info.bmiHeader;
  if (!DescribeMap(map, FormatFromDibHeader(&record->info))) return nullptr;
  map->bounds = Rect{0, 0, h.biWidth, h.biHeight < 0 ? -h.biHeight : h.biHeight};
  map->dc = record->dc;
  map->dib = record;
  map->rowBytes = static_cast<int32_t>(PixelRowBytes(h.biWidth, h.biBitCount));
  map->info = record->info;
  Palette palette{};
  if (map->bytesPerPixel == 1) {
    const int32_t count = h.biClrUsed != 0 && h.biClrUsed <= 256 ? static_cast<int32_t>(h.biClrUsed) : 256;
    PaletteFromRgbQuads(&palette, record->info.bmiColors, count);
  }
  // A wrapped DIB carries only its colour entries: it is a mask when they equal the grey palette entry by entry.
  SetPaletteAndKey(map, &palette, map->bytesPerPixel == 1 && PalettesEqual(&palette, &GreyPalette));
  return world;
}

void PlatformWorld::ReleaseDib(PixelMap* pixelMap) {
  if (!pixelMap) return;
  DibRecord::Release(pixelMap->dib);
  pixelMap->baseAddress = nullptr;
  pixelMap->dib = nullptr;
  pixelMap->targetWindow = nullptr;
  pixelMap->ownerWindow = nullptr;
  pixelMap->dc = nullptr;
}
