// Fuzz target: the in-place zlib compression of the game's memory blocks, as the saved games use it. The first
// three bytes give an output size (bounded, as a saved game's body size is); the rest is the block. The block is
// uncompressed into that size: a failure must leave at most that many bytes, a success compresses and uncompresses
// back to the same bytes. The block's leading part named by the same number is also compressed alone and must come
// back. Every block made on the way is freed again, so the live-block totals end where they began.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fuzz/fuzz_folder.h"
#include "game/shell/data/mem_handle.h"

namespace {

bool Holds(MemHandle& handle, const std::vector<uint8_t>& bytes) {
  if (handle.Size() != bytes.size()) return false;
  if (bytes.empty()) return true;
  bool same = std::memcmp(handle.Lock(), bytes.data(), bytes.size()) == 0;
  handle.Unlock();
  return same;
}

std::vector<uint8_t> BytesOf(MemHandle& handle) {
  std::vector<uint8_t> bytes(handle.Size());
  if (!bytes.empty()) {
    std::memcpy(bytes.data(), handle.Lock(), bytes.size());
    handle.Unlock();
  }
  return bytes;
}

bool Load(MemHandle& handle, const uint8_t* data, size_t size) {
  handle.Free();
  if (size == 0) return true;
  if (!handle.Allocate(size)) return false;
  std::memcpy(handle.Lock(), data, size);
  handle.Unlock();
  return true;
}

void UncompressCase(const uint8_t* data, size_t size, size_t outputSize) {
  MemHandle block;
  if (!Load(block, data, size)) return;
  const bool uncompressed = UncompressHandle(block, outputSize);
  FuzzCheck(block.Size() <= outputSize);  // a failure too leaves only what was uncompressed into the room
  if (!uncompressed) return;
  std::vector<uint8_t> plain = BytesOf(block);
  if (plain.empty()) return;  // an empty result is an empty handle: nothing to compress
  FuzzCheck(CompressHandle(block));
  FuzzCheck(UncompressHandle(block, plain.size()));
  FuzzCheck(Holds(block, plain));
}

void CompressCase(const uint8_t* data, size_t size, size_t byteCount) {
  if (size == 0) return;
  MemHandle block;
  if (!Load(block, data, size)) return;
  size_t kept = byteCount < size ? byteCount : size;
  FuzzCheck(CompressHandle(block, byteCount));
  FuzzCheck(UncompressHandle(block, kept == 0 ? 1 : kept));
  FuzzCheck(Holds(block, std::vector<uint8_t>(data, data + kept)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3 || size > (1u << 16)) return 0;
  size_t number = (static_cast<size_t>(data[0]) << 16) | (static_cast<size_t>(data[1]) << 8) | data[2];
  uint32_t blocks = MemHandle::LiveBlockCount();
  uint32_t bytes = MemHandle::LiveByteCount();
  UncompressCase(data + 3, size - 3, number);
  CompressCase(data + 3, size - 3, number);
  FuzzCheck(MemHandle::LiveBlockCount() == blocks && MemHandle::LiveByteCount() == bytes);
  return 0;
}
