// Movable global memory blocks over the C heap.
//
// Every block this layer hands out is listed in one table keyed by its handle, so that a call on a stray or
// freed handle fails instead of touching memory. A movable block's handle is the address of a small token of
// its own; a fixed block's handle is the address of its bytes.
#include "host/global_memory.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_map>

namespace {

struct Block {
  void* bytes = nullptr;  // null only for a movable block of 0 bytes
  size_t size = 0;
  uint32_t lockCount = 0;
  bool movable = false;
};

struct BlockTable {
  std::mutex lock;
  std::unordered_map<HGLOBAL, Block> blocks;
};

BlockTable& Table() {
  static BlockTable* table = new BlockTable;  // never destroyed: blocks may be freed during static clean-up
  return *table;
}

void* AllocateBytes(size_t size, bool zero) {
  size_t real = size == 0 ? 1 : size;
  return zero ? std::calloc(real, 1) : std::malloc(real);
}

}  // namespace

HGLOBAL GlobalAlloc(UINT uFlags, SIZE_T dwBytes) {
  bool movable = (uFlags & GMEM_MOVEABLE) != 0;
  bool zero = (uFlags & GMEM_ZEROINIT) != 0;
  Block block;
  block.movable = movable;
  block.size = dwBytes;
  if (dwBytes != 0 || !movable) {
    block.bytes = AllocateBytes(dwBytes, zero);
    if (block.bytes == nullptr) return nullptr;
  }
  HGLOBAL handle = block.bytes;
  if (movable) {
    handle = std::malloc(1);  // the token whose address names the block
    if (handle == nullptr) {
      std::free(block.bytes);
      return nullptr;
    }
  }
  BlockTable& table = Table();
  std::lock_guard<std::mutex> guard(table.lock);
  table.blocks[handle] = block;
  return handle;
}

HGLOBAL GlobalReAlloc(HGLOBAL hMem, SIZE_T dwBytes, UINT uFlags) {
  BlockTable& table = Table();
  std::lock_guard<std::mutex> guard(table.lock);
  auto it = table.blocks.find(hMem);
  if (it == table.blocks.end()) return nullptr;
  Block& block = it->second;
  bool zero = (uFlags & GMEM_ZEROINIT) != 0;
  bool mayMove = (uFlags & GMEM_MOVEABLE) != 0 || (block.movable && block.lockCount == 0);
  if (dwBytes <= block.size && block.bytes != nullptr) {
    block.size = dwBytes;  // shrinking keeps the bytes where they are
    return hMem;
  }
  if (!mayMove) return nullptr;
  void* bytes = nullptr;
  if (dwBytes != 0 || !block.movable) {
    bytes = AllocateBytes(dwBytes, false);
    if (bytes == nullptr) return nullptr;
    size_t kept = block.size < dwBytes ? block.size : dwBytes;
    if (kept != 0) std::memcpy(bytes, block.bytes, kept);
    if (zero && dwBytes > kept) std::memset(static_cast<char*>(bytes) + kept, 0, dwBytes - kept);
  }
  std::free(block.bytes);
  block.bytes = bytes;
  block.size = dwBytes;
  if (block.movable) return hMem;
  // A fixed block is named by its address, which has changed.
  Block moved = block;
  table.blocks.erase(it);
  table.blocks[bytes] = moved;
  return bytes;
}

LPVOID GlobalLock(HGLOBAL hMem) {
  BlockTable& table = Table();
  std::lock_guard<std::mutex> guard(table.lock);
  auto it = table.blocks.find(hMem);
  if (it == table.blocks.end() || it->second.bytes == nullptr) return nullptr;
  if (it->second.movable) ++it->second.lockCount;
  return it->second.bytes;
}

BOOL GlobalUnlock(HGLOBAL hMem) {
  BlockTable& table = Table();
  std::lock_guard<std::mutex> guard(table.lock);
  auto it = table.blocks.find(hMem);
  if (it == table.blocks.end() || it->second.lockCount == 0) return FALSE;
  --it->second.lockCount;
  return it->second.lockCount != 0 ? TRUE : FALSE;
}

SIZE_T GlobalSize(HGLOBAL hMem) {
  BlockTable& table = Table();
  std::lock_guard<std::mutex> guard(table.lock);
  auto it = table.blocks.find(hMem);
  return it == table.blocks.end() ? 0 : it->second.size;
}

HGLOBAL GlobalFree(HGLOBAL hMem) {
  BlockTable& table = Table();
  std::lock_guard<std::mutex> guard(table.lock);
  auto it = table.blocks.find(hMem);
  if (it == table.blocks.end()) return hMem;
  std::free(it->second.bytes);
  if (it->second.movable) std::free(hMem);
  table.blocks.erase(it);
  return nullptr;
}
