// Counted movable global blocks and their in-place zlib compression.
#include "game/shell/data/mem_handle.h"

#include <zlib.h>

#include <atomic>
#include <cstring>

#include "host/global_memory.h"

namespace {

std::atomic<uint32_t> g_liveBlocks{0};
std::atomic<uint32_t> g_liveBytes{0};

enum class ZlibDirection { kCompress, kUncompress };

// Runs zlib over the block's first inputSize bytes into a work block of outputCapacity bytes and replaces the
// block by one holding exactly the output zlib reports, also when zlib fails (then with what it produced before
// failing, perhaps nothing); the result is whether zlib succeeded. When the memory for the work block or the new
// block cannot be had, false is returned with the block as it was: the output would go through a null block.
bool ReplaceWithZlibOutput(MemHandle& handle, size_t inputSize, size_t outputCapacity, ZlibDirection direction) {
  if (handle.IsNull()) return false;
  MemHandle work;
  if (outputCapacity != 0 && !work.Allocate(outputCapacity)) return false;
  uint8_t* input = handle.Lock();
  uint8_t* output = work.Lock();
  uint8_t spare = 0;  // zlib wants a valid address even for no output room
  uLongf outputLength = static_cast<uLongf>(outputCapacity);
  int result = direction == ZlibDirection::kCompress
                   ? compress(output ? output : &spare, &outputLength, input, static_cast<uLong>(inputSize))
                   : uncompress(output ? output : &spare, &outputLength, input, static_cast<uLong>(inputSize));
  handle.Unlock();
  MemHandle replacement;
  if (outputLength != 0) {
    if (!replacement.Allocate(outputLength)) {
      work.Unlock();
      return false;
    }
    std::memcpy(replacement.Lock(), output, outputLength);
    replacement.Unlock();
  }
  work.Unlock();
  handle = std::move(replacement);
  return result == Z_OK;
}

}  // namespace

MemHandle& MemHandle::operator=(MemHandle&& other) noexcept {
  if (this != &other) {
    Free();
    handle_ = other.handle_;
    other.handle_ = nullptr;
  }
  return *this;
}

HGLOBAL MemHandle::AllocateCounted(size_t byteCount, bool zeroed) {
  if (byteCount == 0) return nullptr;
  const UINT zero = zeroed ? GMEM_ZEROINIT : 0;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | zero, byteCount);
  if (block == nullptr) block = GlobalAlloc(GMEM_FIXED | zero, byteCount);
  if (block != nullptr) {
    g_liveBlocks += 1;
    g_liveBytes += static_cast<uint32_t>(byteCount);
  }
  return block;
}

void MemHandle::FreeCounted(HGLOBAL handle) {
  if (handle == nullptr) return;
  g_liveBlocks -= 1;
  g_liveBytes -= static_cast<uint32_t>(GlobalSize(handle));
  GlobalFree(handle);
}

uint32_t MemHandle::LiveBlockCount() { return g_liveBlocks; }
uint32_t MemHandle::LiveByteCount() { return g_liveBytes; }

bool MemHandle::Allocate(size_t byteCount, bool zeroed) {
  Free();
  handle_ = AllocateCounted(byteCount, zeroed);
  return handle_ != nullptr;
}

void MemHandle::Free() {
  FreeCounted(handle_);
  handle_ = nullptr;
}

bool MemHandle::Resize(size_t byteCount) {
  if (handle_ == nullptr) return Allocate(byteCount);
  if (byteCount == 0) {
    Free();
    return true;
  }
  size_t oldSize = GlobalSize(handle_);
  HGLOBAL resized = GlobalReAlloc(handle_, byteCount, GMEM_MOVEABLE);
  if (resized == nullptr) return false;
  handle_ = resized;
  g_liveBytes += static_cast<uint32_t>(byteCount) - static_cast<uint32_t>(oldSize);
  return true;
}

size_t MemHandle::Size() const { return handle_ == nullptr ? 0 : GlobalSize(handle_); }

uint8_t* MemHandle::Lock() { return handle_ == nullptr ? nullptr : static_cast<uint8_t*>(GlobalLock(handle_)); }

void MemHandle::Unlock() {
  if (handle_ != nullptr) GlobalUnlock(handle_);
}

HGLOBAL MemHandle::Release() {
  HGLOBAL released = handle_;
  handle_ = nullptr;
  return released;
}

void MemHandle::Adopt(HGLOBAL handle) {
  Free();
  handle_ = handle;
}

bool CompressHandle(MemHandle& handle, size_t byteCount) {
  size_t size = handle.Size();
  if (byteCount > size) byteCount = size;
  return ReplaceWithZlibOutput(handle, byteCount, compressBound(static_cast<uLong>(byteCount)),
                               ZlibDirection::kCompress);
}

bool UncompressHandle(MemHandle& handle, size_t outputSize) {
  return ReplaceWithZlibOutput(handle, handle.Size(), outputSize, ZlibDirection::kUncompress);
}
