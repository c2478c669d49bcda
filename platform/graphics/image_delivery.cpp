// The importer contract around a format decoder, and the delivery of decoded pixels into graphics worlds.
#include "platform/graphics/image_decoder.h"

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

PlatformError DeliverDecodedImage(const DecodedImage& image, PlatformWorld** world, PlatformWorld** mask,
                                  TransferMode* mode) {
  // Worlds are not yet available to the importers: nothing can be delivered.
  if (world != nullptr) *world = nullptr;
  if (mask != nullptr) *mask = nullptr;
  return kPlatformErrGraphics;
}
