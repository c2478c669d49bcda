// Compression of a handle's data in place, by a kind named with a four-character code: 'none', 'zlib' (the
// zlib stream format around deflate data), 'pack' (byte-wise run-length records) and 'PACK' (the same over
// 16-bit units). Each call can describe what it did in a 'sqsh' information record.
#pragma once

#include <cstdint>

#include "platform/core/file_ref.h"
#include "platform/core/memory.h"
#include "platform/core/platform_error.h"

constexpr uint32_t kCompressionNone = FourCharCode("none");
constexpr uint32_t kCompressionZlib = FourCharCode("zlib");
constexpr uint32_t kCompressionPack = FourCharCode("pack");
constexpr uint32_t kCompressionPack16 = FourCharCode("PACK");
constexpr uint32_t kCompressionBest = FourCharCode("best");  // compressing only: taken as 'zlib'
constexpr uint32_t kCompressionAny = FourCharCode("****");   // compressing only: taken as 'zlib'
constexpr uint32_t kCompressionFast = FourCharCode("fast");  // compressing only: taken as 'pack'
constexpr uint32_t kCompressionInfoMagic = FourCharCode("sqsh");

// What a compression call did: the kind actually used and the sizes and CRC-32 values of both sides.
struct CompressionInfo {
  uint32_t magic;  // 'sqsh'
  uint32_t kind;
  uint32_t uncompressedSize;
  uint32_t uncompressedCrc;
  uint32_t storedSize;
  uint32_t storedCrc;
  uint32_t reserved[2];
};
static_assert(sizeof(CompressionInfo) == 32, "the information record is 32 bytes");

// On success the handle holds the result at its exact length; on failure it keeps its data. The handle must
// not be locked.
PlatformError PlatformCompressHandle(PlatformHandle* handle, uint32_t kind, CompressionInfo* info);
PlatformError PlatformDecompressHandle(PlatformHandle* handle, uint32_t kind, CompressionInfo* info);
