// GIF files: the sniffer and the importer of a file's first image (LZW data, interlace, the transparent colour
// reported as a colour key).
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/graphics/image_decoder.h"

bool IsGifData(const uint8_t* bytes, size_t n);
PlatformError DecodeGif(MemoryStreamReader* reader, DecodedImage* image, TransferMode* mode, ImageInfo* info);
PlatformError ImportGif(MemoryStreamReader* reader, PlatformWorld** world, PlatformWorld** mask, TransferMode* mode,
                        ImageInfo* info);
