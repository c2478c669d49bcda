// The importer contract around a format decoder, and the delivery of decoded pixels into graphics worlds: a
// surface of the image's bounds and format (with its colour table, or the standard palette), a grey mask
// surface when one is asked for and the image has transparency, rows stored through the row writers inside one
// drawing bracket (with the rows' alpha kept in the world for images that ask for it), then the resize and move
// the file asked for.
#include <algorithm>

#include "platform/graphics/graphics_startup.h"
#include "platform/graphics/graphics_world.h"
#include "platform/graphics/image_decoder.h"
#include "platform/graphics/pixel_codec.h"

namespace {

void DisposeBoth(PlatformWorld* world, PlatformWorld* mask) {
  if (mask != nullptr) PlatformWorld::DisposeSurface(mask);
  if (world != nullptr) PlatformWorld::DisposeSurface(world);
}

// Gives the alpha bytes of a row of {alpha, red, green, blue} pixels to a world that PutArgbRow has just filled
// with full alpha: each pixel's alpha bits are replaced by the row's alpha reduced to the channel's width.
void KeepRowAlpha(PlatformWorld* world, int32_t y, const uint8_t* pixels) {
  const PixelMap& map = *world->pixelMap;
  const PixelChannels& c = map.channels;
  if (map.bytesPerPixel < 2 || c.bits[kChannelAlpha] == 0) return;
  const uint32_t alphaBits = FullAlphaBits(c);
  uint8_t* out = map.baseAddress + static_cast<int64_t>(y) * map.rowBytes;
  for (int64_t i = 0; i < map.bounds.Width(); ++i, out += map.bytesPerPixel) {
    uint32_t word = ReadPixelWord(out, map.bytesPerPixel, nullptr);
    word = (word & ~alphaBits) | EncodeChannel(pixels[4 * i], c, kChannelAlpha);
    for (uint32_t b = 0; b < map.bytesPerPixel; ++b) out[b] = static_cast<uint8_t>(word >> (8 * b));
  }
}

PlatformError StoreRows(const DecodedImage& image, PlatformWorld* world, PlatformWorld* mask) {
  BlitParams params;
  PlatformError error = PlatformWorld::BeginDrawing(world, mask, &params, nullptr);
  if (error != kPlatformNoError) return error;
  for (int32_t y = 0; y < image.Height() && error == kPlatformNoError; ++y) {
    if (image.IsIndexed()) {
      error = PlatformWorld::PutRow(world, mask, y, image.Row(y));
    } else {
      error = PlatformWorld::PutArgbRow(world, mask, y, image.Row(y));
      if (error == kPlatformNoError && image.keepsAlpha) KeepRowAlpha(world, y, image.Row(y));
    }
  }
  PlatformWorld::EndDrawing(world, mask);
  return error;
}

bool SameRect(const Rect& a, const Rect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Scales the worlds to the final size, then moves them to the final place.
PlatformError ApplyFinalBounds(const DecodedImage& image, PlatformWorld* world, PlatformWorld* mask) {
  const Rect& final = image.finalBounds;
  Rect sized{image.bounds.left, image.bounds.top, image.bounds.left + (final.right - final.left),
             image.bounds.top + (final.bottom - final.top)};
  PlatformError error = kPlatformNoError;
  if (!SameRect(sized, image.bounds)) error = PlatformWorld::SetBounds(world, mask, &sized);
  if (error == kPlatformNoError && !SameRect(final, sized)) error = PlatformWorld::SetBounds(world, mask, &final);
  return error;
}

}  // namespace

void ClearImportOutputs(PlatformWorld** world, PlatformWorld** mask, TransferMode* mode, ImageInfo* info) {
  if (world != nullptr) *world = nullptr;
  if (mask != nullptr) *mask = nullptr;
  if (mode != nullptr) InitTransferMode(mode);
  if (info != nullptr) InitImageInfo(info);
}

PlatformError RunImageImporter(ImageDecoder decoder, MemoryStreamReader* reader, PlatformWorld** world,
                               PlatformWorld** mask, TransferMode* mode, ImageInfo* info) {
  ClearImportOutputs(world, mask, mode, info);
  DecodedImage image;
  PlatformError error = decoder(reader, &image, mode, info);
  if (error != kPlatformNoError) return error;
  return DeliverDecodedImage(image, world, mask, mode);
}

PlatformError DeliverDecodedImage(const DecodedImage& image, PlatformWorld** worldOut, PlatformWorld** maskOut,
                                  TransferMode* mode) {
  *worldOut = nullptr;
  if (maskOut != nullptr) *maskOut = nullptr;

  Palette palette{};
  const Palette* colours = nullptr;
  if (image.IsIndexed()) {
    if (image.standardPalette) {
      colours = &StandardPalette;
    } else {
      palette.count = static_cast<int32_t>(std::min<size_t>(image.palette.size(), 256));
      std::copy_n(image.palette.begin(), palette.count, palette.entries);
      colours = &palette;
    }
  }
  PlatformWorld* world = PlatformWorld::CreateSurface(&image.bounds, image.formatCode, colours);
  if (world == nullptr) return kPlatformErrNoMemory;
  PlatformWorld* mask = nullptr;
  if (maskOut != nullptr && image.hasTransparency) {
    mask = PlatformWorld::CreateSurface(&image.bounds, kPixelFormat8, &GreyPalette);
    if (mask == nullptr) {
      DisposeBoth(world, nullptr);
      return kPlatformErrNoMemory;
    }
    if (mode != nullptr) {
      mode->kind = kTransferBlendMask;
      mode->value[0] = 255;
    }
  }
  PlatformError error = StoreRows(image, world, mask);
  if (error == kPlatformNoError) error = ApplyFinalBounds(image, world, mask);
  if (error != kPlatformNoError) {
    DisposeBoth(world, mask);
    return error;
  }
  *worldOut = world;
  if (maskOut != nullptr) *maskOut = mask;
  return kPlatformNoError;
}
