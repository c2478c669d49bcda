// The row writers the image importers store pixels with, and the exchange of pixel maps and ports between two
// worlds (see graphics_world.h).
#include <utility>

#include "platform/graphics/graphics_port.h"
#include "platform/graphics/graphics_world.h"
#include "platform/graphics/pixel_codec.h"

namespace {

// Locks the world (and mask) for one row unless the world is already locked; undone by the destructor.
class RowLock {
 public:
  RowLock(PlatformWorld* world, PlatformWorld* maskWorld) : world_(world), mask_(maskWorld) {
    const bool maskLocked = !maskWorld || maskWorld->pixelMap->baseAddress;
    if (world->pixelMap->baseAddress && maskLocked) return;
    error_ = PlatformWorld::BeginDrawing(world, maskWorld, nullptr, nullptr);
    locked_ = error_ == kPlatformNoError;
  }
  ~RowLock() {
    if (locked_) PlatformWorld::EndDrawing(world_, mask_);
  }
  RowLock(const RowLock&) = delete;
  RowLock& operator=(const RowLock&) = delete;
  PlatformError error() const { return error_; }

 private:
  PlatformWorld* world_;
  PlatformWorld* mask_;
  PlatformError error_ = kPlatformNoError;
  bool locked_ = false;
};

// Checks a row against the world and the mask world: the row must lie inside both, and the mask must be an 8-bit
// map at least as wide as the world.
PlatformError CheckRow(PlatformWorld* world, PlatformWorld* maskWorld, int32_t row) {
  if (!world || !world->pixelMap) return kPlatformErrBadData;
  const PixelMap& map = *world->pixelMap;
  if (row < 0 || row >= map.bounds.Height()) return kPlatformErrBadData;
  if (maskWorld) {
    const PixelMap* mask = maskWorld->pixelMap;
    if (!mask || mask->bytesPerPixel != 1 || mask->bounds.Width() < map.bounds.Width() ||
        row >= mask->bounds.Height()) {
      return kPlatformErrBadData;
    }
  }
  return kPlatformNoError;
}

// Checks and locks for one row, then hands the row's start (and the mask row's, or null) to write.
template <class Write>
PlatformError WriteRow(PlatformWorld* world, PlatformWorld* maskWorld, int32_t row, Write write) {
  const PlatformError error = CheckRow(world, maskWorld, row);
  if (error != kPlatformNoError) return error;
  RowLock lock(world, maskWorld);
  if (lock.error() != kPlatformNoError) return lock.error();
  PixelMap& map = *world->pixelMap;
  uint8_t* out = map.baseAddress + static_cast<int64_t>(row) * map.rowBytes;
  uint8_t* maskOut = nullptr;
  if (maskWorld) maskOut = maskWorld->pixelMap->baseAddress + static_cast<int64_t>(row) * maskWorld->pixelMap->rowBytes;
  write(map, out, maskOut, map.bounds.Width());
  return kPlatformNoError;
}

}  // namespace

void PlatformWorld::SwapPixelMaps(PlatformWorld* a, PlatformWorld* b) {
  std::swap(static_cast<PixelMapLayout&>(*a->pixelMap), static_cast<PixelMapLayout&>(*b->pixelMap));
}

void PlatformWorld::SwapPortsAndPixelMaps(PlatformWorld* a, PlatformWorld* b) {
  std::swap(static_cast<GraphicsPortTextState&>(*a->port), static_cast<GraphicsPortTextState&>(*b->port));
  std::swap(a->port->dc, b->port->dc);
  // Which of the DC's pen, font and brush the port made goes with the DC, so each is deleted with its DC's port.
  // Left behind, the flags would have a port delete objects its new DC never got from it (the DC's own) and
  // leave the ones it made undeleted.
  std::swap(a->port->penSelected, b->port->penSelected);
  std::swap(a->port->fontSelected, b->port->fontSelected);
  std::swap(a->port->brushSelected, b->port->brushSelected);
  SwapPixelMaps(a, b);
  a->pixelMap->dc = a->port->dc;
  b->pixelMap->dc = b->port->dc;
}

PlatformError PlatformWorld::PutRow(PlatformWorld* world, PlatformWorld* maskWorld, int32_t row, const uint8_t* bytes) {
  return WriteRow(world, maskWorld, row, [bytes](PixelMap& map, uint8_t* out, uint8_t* maskOut, int64_t width) {
    // An 8-bit row fills an 8-bit map; a deeper map receives the same bytes at the start of its row.
    for (int64_t i = 0; i < width; ++i) out[i] = bytes[i];
    if (maskOut) {
      for (int64_t i = 0; i < width; ++i) maskOut[i] = map.palette.entries[bytes[i]].flag;
    }
  });
}

PlatformError PlatformWorld::PutArgbRow(PlatformWorld* world, PlatformWorld* maskWorld, int32_t row,
                                        const uint8_t* pixels) {
  return WriteRow(world, maskWorld, row, [pixels](PixelMap& map, uint8_t* out, uint8_t* maskOut, int64_t width) {
    // The world's alpha is always full; the pixel's alpha goes only to the mask. An 8-bit world takes the
    // nearest palette colour: the low byte of its packed word is the full alpha, one index for every pixel.
    const uint32_t alpha = FullAlphaBits(map.channels);
    for (int64_t i = 0; i < width; ++i) {
      const uint8_t* p = pixels + 4 * i;
      WritePixel(out + i * map.bytesPerPixel, map, map.inverseTable, p[1], p[2], p[3], alpha);
    }
    if (maskOut) {
      for (int64_t i = 0; i < width; ++i) maskOut[i] = pixels[4 * i];
    }
  });
}
