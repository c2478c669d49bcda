// JFIF files, decoded through libjpeg from memory into 32-bit images.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/graphics/image_decoder.h"

bool IsJfifData(const uint8_t* bytes, size_t n);
PlatformError DecodeJpeg(MemoryStreamReader* reader, DecodedImage* image, TransferMode* mode, ImageInfo* info);
PlatformError ImportJpeg(MemoryStreamReader* reader, PlatformWorld** world, PlatformWorld** mask, TransferMode* mode,
                         ImageInfo* info);
