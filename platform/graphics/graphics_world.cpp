// Creation and disposal of graphics worlds, their accessors, and the drawing bracket (see graphics_world.h).
#include "platform/graphics/graphics_world.h"

#include <cstring>
#include <new>

#include "platform/core/memory.h"
#include "platform/graphics/dib_record.h"
#include "platform/graphics/graphics_port.h"

namespace {

constexpr size_t AlignUp(size_t n) { return (n + alignof(std::max_align_t) - 1) & ~(alignof(std::max_align_t) - 1); }

template <class Part>
Part* PlacePart(uint8_t* block, size_t* offset, PlatformWorld* world) {
  Part* part = new (block + *offset) Part{};
  *offset += AlignUp(sizeof(Part));
  for (PlatformWorld*& link : part->ownerLinks) link = world;
  return part;
}

}  // namespace

PlatformWorld* PlatformWorld::Create(GraphicsPort** port, PrintDeviceRecord** printDevice, PixelMap** pixelMap) {
  const bool withPort = port != nullptr;
  const bool withDevice = withPort && printDevice != nullptr;
  const bool withMap = !withDevice && (pixelMap != nullptr);
  size_t size = AlignUp(sizeof(PlatformWorld));
  if (withPort) size += AlignUp(sizeof(GraphicsPort));
  if (withDevice) size += AlignUp(sizeof(PrintDeviceRecord));
  if (withMap) size += AlignUp(sizeof(PixelMap));
  auto* block = static_cast<uint8_t*>(PlatformNewPointer(size));
  if (!block) {
    if (port) *port = nullptr;
    if (printDevice) *printDevice = nullptr;
    if (pixelMap) *pixelMap = nullptr;
    return nullptr;
  }
  std::memset(block, 0, size);
  auto* world = new (block) PlatformWorld{};
  size_t offset = AlignUp(sizeof(PlatformWorld));
  if (withPort) {
    world->port = PlacePart<GraphicsPort>(block, &offset, world);
    world->portOwner = world;
    *port = world->port;
  }
  if (withDevice) {
    world->printDevice = PlacePart<PrintDeviceRecord>(block, &offset, world);
    world->deviceOwner = world;
    *printDevice = world->printDevice;
  }
  if (withMap) {
    world->pixelMap = PlacePart<PixelMap>(block, &offset, world);
    world->pixelMapOwner = world;
    *pixelMap = world->pixelMap;
  }
  return world;
}

PlatformError PlatformWorld::Dispose(PlatformWorld* world) {
  if (!world) return kPlatformNoError;
  PlatformError result = kPlatformNoError;
  if (GraphicsPort* port = world->port) {
    for (PlatformWorld*& link : port->ownerLinks) link = nullptr;
    if (port->dc) GraphicsPort::EndDrawing(port);
    world->port = nullptr;
    world->portOwner = nullptr;
  }
  if (PrintDeviceRecord* device = world->printDevice) {
    for (PlatformWorld*& link : device->ownerLinks) link = nullptr;
    result = EndPrintJob(device);
    world->printDevice = nullptr;
    world->deviceOwner = nullptr;
  }
  if (PixelMap* map = world->pixelMap) {
    for (PlatformWorld*& link : map->ownerLinks) link = nullptr;
    ReleaseDib(map);
    world->pixelMap = nullptr;
    world->pixelMapOwner = nullptr;
  }
  PlatformDisposePointer(world);
  return result;
}

GraphicsPort* PlatformWorld::GetPort(PlatformWorld* world) { return world ? world->port : nullptr; }

PixelMap* PlatformWorld::GetPixelMap(PlatformWorld* world) { return world ? world->pixelMap : nullptr; }

PixelMap* PlatformWorld::GetMaskPixelMap(PlatformWorld* world, PlatformError* error) {
  if (error) *error = kPlatformNoError;
  if (!world) return nullptr;
  PixelMap* map = world->pixelMap;
  if (error && (!map || map->formatKey != kMaskFormatKey)) *error = kPlatformErrBadData;
  return map;
}

Rect* PlatformWorld::GetBounds(PlatformWorld* world, Rect* out) {
  *out = world && world->pixelMap ? world->pixelMap->bounds : Rect{0, 0, 0, 0};
  return out;
}

PlatformError PlatformWorld::BeginDrawing(PlatformWorld* world, PlatformWorld* maskWorld, BlitParams* params,
                                          uint8_t* rebuilt) {
  if (rebuilt) *rebuilt = 0;
  if (!world || !world->pixelMap || (maskWorld && !maskWorld->pixelMap)) return kPlatformErrBadData;
  PlatformError error = LockPixels(world, maskWorld, rebuilt);
  if (error != kPlatformNoError) return error;
  PixelMap* map = world->pixelMap;
  if (map->flags & kPixelMapDibNewer) {
    error = DibRecord::SyncBits(map->dib, false);
    if (error != kPlatformNoError) {
      // A failed sync leaves nothing locked: a lock kept here would never be taken back, and the world could
      // never again be resized or re-patterned.
      UnlockPixels(world, maskWorld);
      return error;
    }
    map->flags &= ~kPixelMapDibNewer;
  }
  map->flags |= kPixelMapMemoryNewer;
  if (params) GetBlitParams(world, maskWorld, params);
  return kPlatformNoError;
}

void PlatformWorld::EndDrawing(PlatformWorld* world, PlatformWorld* maskWorld) {
  if (!world || !world->pixelMap) return;
  world->pixelMap->flags |= kPixelMapMemoryNewer;
  UnlockPixels(world, maskWorld);
}

bool PlatformWorld::GetBlitParams(PlatformWorld* world, PlatformWorld* maskWorld, BlitParams* params) {
  std::memset(params, 0, sizeof *params);
  PixelMap* map = world ? world->pixelMap : nullptr;
  if (!map) return false;
  params->bytesPerPixel = map->bytesPerPixel;
  params->bitsPerPixel = static_cast<int32_t>(map->bitsPerPixel);
  params->rowBytes = map->rowBytes;
  params->bounds = map->bounds;
  params->baseAddress = map->baseAddress;
  params->dib = map->dib;
  params->world = world;
  params->depthCode = map->depthCode;
  params->channels = map->channels;
  if (maskWorld && maskWorld->pixelMap) {
    params->maskRowBytes = static_cast<uint32_t>(maskWorld->pixelMap->rowBytes);
    params->maskBaseAddress = maskWorld->pixelMap->baseAddress;
  }
  if (world->port) {
    // The DC as it stands: marking the bitmap newer here would make the next bracket overwrite the pixels the
    // caller is about to write. Callers that draw with GDI ask GetPortDC.
    params->portDc = world->port->dc;
    params->portWorld = world;
  }
  if (map->bytesPerPixel == 1) {
    params->palette = &map->palette;
    params->inverseTable = map->inverseTable;
  }
  return PixelMapLockCount(map) != 0;
}

HDC PlatformWorld::GetPortDC(PlatformWorld* world) {
  GraphicsPort* port = world ? world->port : nullptr;
  if (!port) return nullptr;
  PlatformWorld* owner = port->ownerLinks[1];
  PixelMap* map = owner ? owner->pixelMap : nullptr;
  if (!map) return port->dc;
  if (PixelMapLockCount(map) != 0 || (map->flags & kPixelMapMemoryNewer)) {
    if (DibRecord::SyncBits(map->dib, true) != kPlatformNoError) return port->dc;
    map->flags &= ~kPixelMapMemoryNewer;
  }
  map->flags |= kPixelMapDibNewer;
  return port->dc;
}
