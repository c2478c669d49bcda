// PNG files, decoded through libpng: gamma, background colour, transparency (the only format that gives a mask
// world), pixel aspect and offset.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/graphics/image_decoder.h"

bool IsPngData(const uint8_t* bytes, size_t n);
PlatformError DecodePng(MemoryStreamReader* reader, DecodedImage* image, TransferMode* mode, ImageInfo* info);
PlatformError ImportPng(MemoryStreamReader* reader, PlatformWorld** world, PlatformWorld** mask, TransferMode* mode,
                        ImageInfo* info);
