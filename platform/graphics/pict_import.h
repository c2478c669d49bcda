// Picture files (version 1 and 2, behind their 512-byte file header): only the pixel images that cover the whole
// picture are kept; every other opcode is skipped by its length.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/graphics/image_decoder.h"

bool IsPictData(const uint8_t* bytes, size_t n);
PlatformError DecodePict(MemoryStreamReader* reader, DecodedImage* image, TransferMode* mode, ImageInfo* info);
PlatformError ImportPict(MemoryStreamReader* reader, PlatformWorld** world, PlatformWorld** mask, TransferMode* mode,
                         ImageInfo* info);
