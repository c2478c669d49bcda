// Picture import into bitmaps: decoding picture bytes through the framework's image import, finding picture files
// by name, and the shared scratch buffer through which picture bytes reach the import.
//
// The decoded pixels come as palette indexes or as A, R, G, B bytes; they are handed to Bitmap::ImportPixels as
// indexes with their palette (the key colour's index from the transfer mode) or as B, G, R, A pixels.
#include <algorithm>
#include <climits>
#include <cstring>

#include "game/graphics/bitmap.h"
#include "platform/core/file_manager.h"
#include "platform/graphics/decoded_image.h"
#include "platform/graphics/graphics_startup.h"
#include "platform/graphics/image_import.h"

namespace {

PlatformHandle* gScratch = nullptr;
uint32_t gScratchSize = 0;

// A scratch buffer larger than this is released after each import instead of being kept for the next.
constexpr uint32_t kScratchKeepLimit = 1048576;

// Puts a decoded image into the form ImportPixels takes; palette is the room for an indexed image's 256 entries
// (entries the image does not have stay black).
ImagePixels PixelsOfDecoded(DecodedImage& image, const TransferMode& mode, PaletteEntry (&palette)[256]) {
  ImagePixels pixels;
  pixels.width = image.Width();
  pixels.height = image.Height();
  pixels.pixels = image.pixels.data();
  pixels.rowBytes = static_cast<int64_t>(image.RowBytes());
  if (image.IsIndexed()) {
    const ColorRecord* entries = image.standardPalette ? StandardPalette.entries : image.palette.data();
    const size_t count = image.standardPalette ? 256 : std::min<size_t>(image.palette.size(), 256);
    for (size_t i = 0; i < 256; ++i) {
      palette[i] = i < count ? PaletteEntry{entries[i].flag, entries[i].red, entries[i].green, entries[i].blue}
                             : PaletteEntry{1, 0, 0, 0};
    }
    pixels.bitsPerPixel = 8;
    pixels.palette = palette;
    pixels.transparentIndex = mode.kind == kTransferColorKey ? mode.value[0] : -1;
    return pixels;
  }
  // A, R, G, B bytes become B, G, R, A: each pixel's four bytes in the reverse order.
  for (size_t i = 0; i + 4 <= image.pixels.size(); i += 4) std::reverse(image.pixels.begin() + i, image.pixels.begin() + i + 4);
  pixels.bitsPerPixel = 32;
  return pixels;
}

}  // namespace

BitmapStatus Bitmap::ImportImage(PlatformHandle* handle) {
  DecodedImage image;
  TransferMode mode;
  ImageInfo info;
  const PlatformError error =
      handle == nullptr ? kPlatformErrBadData : DecodeImageFromHandle(handle, &image, &mode, &info);
  if (handle != nullptr && handle == gScratch) {
    PlatformHandle::SetLocked(gScratch, 0);
    if (gScratchSize > kScratchKeepLimit) ReleaseScratchBuffer();
  }
  if (error != kPlatformNoError) return Status();
  PaletteEntry palette[256];
  return ImportPixels(PixelsOfDecoded(image, mode, palette));
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
