// Fuzz target: the decompressors over arbitrary bytes. The first byte picks the kind; run-length data that
// decodes is packed again and must decode to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/core/compression.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > (1u << 16)) return 0;
  static const uint32_t kKinds[] = {kCompressionZlib, kCompressionPack, kCompressionPack16, kCompressionNone};
  uint32_t kind = kKinds[data[0] % 4];
  PlatformHandle* handle = PlatformHandle::FromBytes(data + 1, static_cast<uint32_t>(size - 1));
  if (handle == nullptr) return 0;
  CompressionInfo info;
  if (PlatformDecompressHandle(handle, kind, &info) == kPlatformNoError && handle->size <= (1u << 24)) {
    uint32_t plainSize = handle->size;
    void* plain = std::malloc(plainSize + 1);
    std::memcpy(plain, handle->data, plainSize);
    uint32_t again = kind == kCompressionPack16 && plainSize % 2 != 0 ? kCompressionPack : kind;
    if (PlatformCompressHandle(handle, again, nullptr) != kPlatformNoError ||
        PlatformDecompressHandle(handle, again, nullptr) != kPlatformNoError || handle->size != plainSize ||
        std::memcmp(handle->data, plain, plainSize) != 0) {
      std::abort();  // a round trip lost data
    }
    std::free(plain);
  }
  PlatformHandle::Dispose(handle);
  return 0;
}
