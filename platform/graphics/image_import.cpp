// Image import: the reader over a handle, type detection by the first bytes, and the dispatch to the importers.
#include "platform/graphics/image_import.h"

#include <cstring>

#include "platform/graphics/bmp_import.h"
#include "platform/graphics/gif_import.h"
#include "platform/graphics/image_decoder.h"
#include "platform/graphics/jpeg_import.h"
#include "platform/graphics/pict_import.h"
#include "platform/graphics/png_import.h"

namespace {

uint32_t HandleSize(PlatformHandle* handle) {
  return handle != nullptr && handle->data != nullptr ? PlatformHandle::GetSize(handle) : 0;
}

struct FormatEntry {
  uint32_t type;
  ImageDecoder decoder;
  ImageImporter importer;
};

constexpr FormatEntry kFormats[] = {
    {kImageTypeBmp, DecodeBmp, ImportBmp},   {kImageTypeGif, DecodeGif, ImportGif},
    {kImageTypeJpeg, DecodeJpeg, ImportJpeg}, {kImageTypePng, DecodePng, ImportPng},
    {kImageTypePict, DecodePict, ImportPict},
};

const FormatEntry* FindFormat(uint32_t type) {
  for (const FormatEntry& entry : kFormats) {
    if (entry.type == type) return &entry;
  }
  return nullptr;
}

}  // namespace

void InitImageInfo(ImageInfo* info) {
  std::memset(info, 0, sizeof(*info));
  info->background = ColorRecord{255, 255, 255, 255};
}

PlatformError PlatformReadMemoryStream(MemoryStreamReader* reader, void* destination, uint32_t n) {
  // Compared as a difference so that a length taken from a file cannot wrap the sum.
  if (reader->position > reader->size || n > reader->size - reader->position) return kPlatformErrImageData;
  if (n == 0) return kPlatformNoError;
  // The handle may have moved since the last read: always go through it to its current data.
  if (HandleSize(reader->data) < reader->position + n) return kPlatformErrImageData;
  std::memcpy(destination, static_cast<const uint8_t*>(reader->data->data) + reader->position, n);
  reader->position += n;
  return kPlatformNoError;
}

PlatformError PlatformSkipMemoryStream(MemoryStreamReader* reader, uint32_t n) {
  if (reader->position > reader->size || n > reader->size - reader->position) return kPlatformErrImageData;
  reader->position += n;
  return kPlatformNoError;
}

uint32_t DetectImageTypeOfBytes(const uint8_t* bytes, size_t n) {
  if (n >= kImageSniffBytes) {
    if (IsBmpData(bytes, kImageSniffBytes)) return kImageTypeBmp;
    if (IsGifData(bytes, kImageSniffBytes)) return kImageTypeGif;
    if (IsJfifData(bytes, kImageSniffBytes)) return kImageTypeJpeg;
    if (IsPngData(bytes, kImageSniffBytes)) return kImageTypePng;
  }
  if (n >= kPictSniffBytes && IsPictData(bytes, kPictSniffBytes)) return kImageTypePict;
  return kImageTypeNone;
}

uint32_t PlatformDetectImageType(PlatformHandle* handle) {
  const uint32_t size = HandleSize(handle);
  return DetectImageTypeOfBytes(static_cast<const uint8_t*>(size != 0 ? handle->data : nullptr), size);
}

PlatformError PlatformDecodeImage(PlatformHandle* handle, PlatformWorld** world, PlatformWorld** mask,
                                  TransferMode* mode, ImageInfo* info) {
  ClearImportOutputs(world, mask, mode, info);
  MemoryStreamReader reader{handle, HandleSize(handle), 0};
  const FormatEntry* format = FindFormat(PlatformDetectImageType(handle));
  if (format == nullptr) return kPlatformErrNotAnImage;
  return format->importer(&reader, world, mask, mode, info);
}

PlatformError DecodeImageFromHandle(PlatformHandle* handle, DecodedImage* image, TransferMode* mode,
                                    ImageInfo* info) {
  if (mode != nullptr) InitTransferMode(mode);
  if (info != nullptr) InitImageInfo(info);
  MemoryStreamReader reader{handle, HandleSize(handle), 0};
  const FormatEntry* format = FindFormat(PlatformDetectImageType(handle));
  if (format == nullptr) return kPlatformErrNotAnImage;
  return format->decoder(&reader, image, mode, info);
}
