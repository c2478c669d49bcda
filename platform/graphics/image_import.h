// Image import: recognising an image file held in a memory handle, handing it to the importer of its format, and
// the small records that travel with a decoded image (the reader importers read through, how the image is to be
// drawn, what the importer learned of it).
//
// Each importer (BMP, GIF, JPEG, PNG, PICT) decodes the file into a DecodedImage and the shared delivery step turns
// that into a graphics world, so every importer keeps the same contract: outputs cleared and defaulted on entry,
// no world left behind on failure, the caller owning the world (and mask world) on success.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/core/memory.h"
#include "platform/core/platform_error.h"
#include "platform/graphics/color.h"
#include "platform/graphics/rect.h"
#include "platform/graphics/row_transfer.h"
#include "platform/graphics/transfer_mode.h"

struct PlatformWorld;
struct DecodedImage;

// Image type codes: four characters compared as a big-endian 32-bit value.
constexpr uint32_t kImageTypeNone = 0;
constexpr uint32_t kImageTypeBmp = 0x424D5066;   // 'BMPf'
constexpr uint32_t kImageTypeGif = 0x47494666;   // 'GIFf'
constexpr uint32_t kImageTypeJpeg = 0x4A504547;  // 'JPEG'
constexpr uint32_t kImageTypePng = 0x504E4766;   // 'PNGf'
constexpr uint32_t kImageTypePict = 0x50494354;  // 'PICT'

// The two sniffing windows: the first 16 bytes decide BMP, GIF, JPEG and PNG; PICT needs its 512-byte file header
// and the picture header behind it.
constexpr uint32_t kImageSniffBytes = 16;
constexpr uint32_t kPictSniffBytes = 612;

// What an importer learned of an image.
struct ImageInfo {
  uint32_t type;           // one of the image type codes
  uint32_t reserved;       // zero
  double gamma;            // gamma of the file; 0.0 when unknown
  ColorRecord background;  // {255, 255, 255, 255} unless the file names one
  uint8_t hasBackground;   // 1 when the file named a background colour
  uint8_t interlaced;      // 1 when the file was stored interlaced
  uint8_t reserved2;       // zero
};

// The reader through which importers see the file: one per decode, over the handle's current data.
struct MemoryStreamReader {
  PlatformHandle* data;  // the handle holding the image file
  uint32_t size;         // its size when the decode began
  uint32_t position;     // offset of the next byte to read
};

using ImageImporter = PlatformError (*)(MemoryStreamReader* reader, PlatformWorld** world, PlatformWorld** mask,
                                        TransferMode* mode, ImageInfo* info);

void InitImageInfo(ImageInfo* info);  // all zero, background {255, 255, 255, 255}

// Copies the next n bytes into destination and advances. Reading past the end copies nothing, leaves the position
// where it was and gives kPlatformErrImageData.
PlatformError PlatformReadMemoryStream(MemoryStreamReader* reader, void* destination, uint32_t n);
// Advances over n bytes without keeping them; the same end rule as reading.
PlatformError PlatformSkipMemoryStream(MemoryStreamReader* reader, uint32_t n);

// The type of the image in the handle, or kImageTypeNone.
uint32_t PlatformDetectImageType(PlatformHandle* handle);
// The type of an image whose first bytes are given (the rule PlatformDetectImageType applies to a handle).
uint32_t DetectImageTypeOfBytes(const uint8_t* bytes, size_t n);

// Decodes the image in the handle into a new world (and a mask world when asked for and the image has
// transparency). The world out-parameter is null after any failure.
PlatformError PlatformDecodeImage(PlatformHandle* handle, PlatformWorld** world, PlatformWorld** mask,
                                  TransferMode* mode, ImageInfo* info);

// Decodes the image in the handle into memory only, without making a world: what PlatformDecodeImage does up to
// the delivery of the pixels. Used where the pixels are wanted without a world.
PlatformError DecodeImageFromHandle(PlatformHandle* handle, DecodedImage* image, TransferMode* mode,
                                    ImageInfo* info);
