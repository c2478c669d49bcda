// The shape shared by the five format decoders and the step that turns a decoded image into worlds, so that each
// importer is its decoder run through one place that keeps the importer contract.
#pragma once

#include "platform/graphics/decoded_image.h"
#include "platform/graphics/image_import.h"

// Decodes the file the reader holds into image, filling the TransferMode and ImageInfo (either may be null) with
// what the format provides. Both are already defaulted when the decoder runs.
using ImageDecoder = PlatformError (*)(MemoryStreamReader* reader, DecodedImage* image, TransferMode* mode,
                                       ImageInfo* info);

// Runs a decoder under the importer contract: outputs cleared and defaulted first, the decoded image delivered into
// a new world (and a mask world when one is asked for and the image has transparency), nothing left behind and the
// world out-parameter null on failure.
PlatformError RunImageImporter(ImageDecoder decoder, MemoryStreamReader* reader, PlatformWorld** world,
                               PlatformWorld** mask, TransferMode* mode, ImageInfo* info);

// Makes the world (and the mask world when mask is not null and the image has transparency) for a decoded image;
// sets the TransferMode to blend by the mask when a mask world is made.
PlatformError DeliverDecodedImage(const DecodedImage& image, PlatformWorld** world, PlatformWorld** mask,
                                  TransferMode* mode);

// Clears the world and mask out-parameters and writes the defaults into the records given.
void ClearImportOutputs(PlatformWorld** world, PlatformWorld** mask, TransferMode* mode, ImageInfo* info);

// Multi-byte fields of image files: BMP and GIF store them little-endian, pictures big-endian.
inline uint16_t LoadLe16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
inline uint32_t LoadLe32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}
inline uint16_t LoadBe16(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }
inline uint32_t LoadBe32(const uint8_t* p) {
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | uint32_t{p[3]};
}
