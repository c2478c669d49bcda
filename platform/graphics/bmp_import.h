// Windows bitmap files: the sniffer and the importer (1 to 32 bits a pixel, run-length and bit-field forms).
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/graphics/image_decoder.h"

bool IsBmpData(const uint8_t* bytes, size_t n);
PlatformError DecodeBmp(MemoryStreamReader* reader, DecodedImage* image, TransferMode* mode, ImageInfo* info);
PlatformError ImportBmp(MemoryStreamReader* reader, PlatformWorld** world, PlatformWorld** mask, TransferMode* mode,
                        ImageInfo* info);
