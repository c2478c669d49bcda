// Picture import into bitmaps: decoding picture bytes through the framework's image import, finding picture files
// by name, and the shared scratch buffer through which picture bytes reach the import.
//
// The import works from the worlds the framework's decoder makes: the image world (8-bit indexes with their
// palette, 16-bit 5-6-5, 24-bit or 32-bit pixels) and, for pictures with transparency, the 8-bit alpha mask world.
// Both are locked for drawing, read through their blit parameters by Bitmap::ImportPixels, then disposed, so the
// bitmap takes the world's final size (after a resize for the picture's pixel aspect).
#include <algorithm>
#include <climits>
#include <cstring>

#include "game/graphics/bitmap.h"
#include "platform/core/file_manager.h"
#include "platform/graphics/graphics_world.h"
#include "platform/graphics/image_import.h"

namespace {

PlatformHandle* gScratch = nullptr;
uint32_t gScratchSize = 0;

// A scratch buffer larger than this is released after each import instead of being kept for the next.
constexpr uint32_t kScratchKeepLimit = 1048576;

// Describes a locked image world (and its mask world) in the form ImportPixels takes; palette is the room for an
// indexed world's 256 entries. Entries past the world's colour count are opaque black: a picture's indexes beyond
// its colour table read zero entries of the map, which are no transparent colour.
ImagePixels PixelsOfWorld(const BlitParams& params, const TransferMode& mode, PaletteEntry (&palette)[256]) {
  ImagePixels pixels;
  pixels.width = params.bounds.right - params.bounds.left;
  pixels.height = params.bounds.bottom - params.bounds.top;
  pixels.bitsPerPixel = params.bitsPerPixel;
  pixels.pixels = params.baseAddress;
  pixels.rowBytes = params.rowBytes;
  // A 32-bit world without alpha bits (JPEG, BMP and picture files) keeps only padding in its fourth byte.
  pixels.alphaInPixels = params.channels.bits[kChannelAlpha] != 0;
  if (params.maskBaseAddress != nullptr) {
    pixels.alphaMask = params.maskBaseAddress;
    pixels.alphaMaskRowBytes = params.maskRowBytes;
  }
  if (params.bytesPerPixel == 1 && params.palette != nullptr) {
    const Palette& colours = *params.palette;
    const int32_t count = std::clamp(colours.count, 0, 256);
    for (int32_t i = 0; i < 256; ++i) {
      const ColorRecord& e = colours.entries[i];
      palette[i] = i < count ? PaletteEntry{e.flag, e.red, e.green, e.blue} : PaletteEntry{255, 0, 0, 0};
    }
    pixels.palette = palette;
    pixels.transparentIndex = mode.kind == kTransferColorKey ? mode.value[0] : -1;
  }
  return pixels;
}

}  // namespace

BitmapStatus Bitmap::ImportImage(PlatformHandle* handle) {
  PlatformWorld* world = nullptr;
  PlatformWorld* mask = nullptr;
  TransferMode mode;
  ImageInfo info;
  const PlatformError error =
      handle == nullptr ? kPlatformErrBadData : PlatformDecodeImage(handle, &world, &mask, &mode, &info);
  if (handle != nullptr && handle == gScratch) {
    PlatformHandle::SetLocked(gScratch, 0);
    if (gScratchSize > kScratchKeepLimit) ReleaseScratchBuffer();
  }
  if (error != kPlatformNoError) return Status();
  BlitParams params;
  if (PlatformWorld::BeginDrawing(world, mask, &params, nullptr) == kPlatformNoError) {
    PaletteEntry palette[256];
    ImportPixels(PixelsOfWorld(params, mode, palette));
    PlatformWorld::EndDrawing(world, mask);
  }
  if (mask != nullptr) PlatformWorld::DisposeSurface(mask);
  PlatformWorld::DisposeSurface(world);
  return Status();
}

BitmapStatus Bitmap::LoadByName(const char* name) {
  if (name == nullptr || *name == '\0') return kBitmapNothingToImport;
  for (const std::string& candidate : PictureNameCandidates(name)) {
    PlatformHandle* handle = nullptr;
    if (PlatformReadFileToHandle(0, candidate.c_str(), UINT32_MAX, false, &handle) != kPlatformNoError) continue;
    const BitmapStatus status = ImportImage(handle);
    PlatformHandle::Dispose(handle);
    return status;
  }
  return kBitmapNothingToImport;
}

BitmapStatus Bitmap::ImportFromScratch() {
  if (gScratch == nullptr || gScratchSize == 0) return kBitmapNothingToImport;
  const BitmapStatus status = ImportImage(gScratch);
  if (gScratch != nullptr) PlatformHandle::SetLocked(gScratch, 0);
  return status;
}

std::unique_ptr<Bitmap> Bitmap::CreateFromFile(const char* name) {
  auto bitmap = std::make_unique<Bitmap>();
  if (bitmap->LoadByName(name) != kBitmapReady) return nullptr;
  return bitmap;
}

std::unique_ptr<Bitmap> Bitmap::CreateFromImportBuffer() {
  auto bitmap = std::make_unique<Bitmap>();
  if (bitmap->ImportFromScratch() != kBitmapReady) return nullptr;
  return bitmap;
}

std::unique_ptr<Bitmap> Bitmap::CreateFromMemory(const void* bytes, uint32_t count) {
  if (bytes == nullptr) return nullptr;
  uint8_t* buffer = GetScratchBuffer(count);
  if (buffer == nullptr) return nullptr;
  std::memcpy(buffer, bytes, count);
  return CreateFromImportBuffer();
}

uint8_t* GetScratchBuffer(uint32_t n) {
  if (n == 0) return nullptr;
  if (gScratch == nullptr || gScratchSize == 0) {
    ReleaseScratchBuffer();
    gScratch = PlatformHandle::New(n);
    if (gScratch == nullptr) return nullptr;
    gScratchSize = n;
  } else if (gScratchSize < n || gScratchSize / 2 > n || (gScratchSize / 2 == n && gScratchSize % 2 != 0)) {
    // Only a buffer smaller than n, or more than twice n, is resized; one in between is used as it is.
    PlatformHandle::SetLocked(gScratch, 0);
    if (PlatformHandle::SetSize(gScratch, n) != kPlatformNoError) {
      ReleaseScratchBuffer();
      return nullptr;
    }
    gScratchSize = n;
  }
  PlatformHandle::SetLocked(gScratch, 1);
  return static_cast<uint8_t*>(gScratch->data);
}

void ReleaseScratchBuffer() {
  if (gScratch != nullptr) {
    PlatformHandle::SetLocked(gScratch, 0);
    PlatformHandle::Dispose(gScratch);
  }
  gScratch = nullptr;
  gScratchSize = 0;
}

uint32_t ScratchBufferSize() { return gScratchSize; }
