// The game's memory blocks: MemHandle owns one movable global block, and every block the game allocates or frees
// this way is counted in two totals (live blocks and their bytes). CompressHandle and UncompressHandle replace a
// block's contents by their zlib form and back, in place (the body of saved games).
#pragma once

#include <cstddef>
#include <cstdint>

#include "host/types.h"

class MemHandle {
 public:
  MemHandle() = default;
  ~MemHandle() { Free(); }
  MemHandle(const MemHandle&) = delete;
  MemHandle& operator=(const MemHandle&) = delete;
  MemHandle(MemHandle&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
  MemHandle& operator=(MemHandle&& other) noexcept;

  // Makes the handle a new block of byteCount bytes, movable when the system has one, else fixed. 0 bytes, or a
  // failed allocation, leaves the handle null. The caller frees a previous block first; one still held is freed.
  // Returns whether a block was had. A zeroed block comes zero-filled from the system (which hands out large blocks
  // of fresh zero pages without writing them).
  bool Allocate(size_t byteCount, bool zeroed = false);
  void Free();
  // Resizes the block, moving it when needed; the counters follow the new size. False (and the block as it was)
  // when the system refuses. Resizing to 0 frees the block.
  bool Resize(size_t byteCount);

  HGLOBAL Get() const { return handle_; }
  bool IsNull() const { return handle_ == nullptr; }
  size_t Size() const;    // the block's size as the system reports it; 0 without a block
  uint8_t* Lock();        // pins the block; null without one
  void Unlock();

  // Gives up the block without freeing it (the counters still hold it) / takes over a counted block.
  HGLOBAL Release();
  void Adopt(HGLOBAL handle);

  // Counted allocation and freeing for code that keeps a raw block (the data stream's growth).
  static HGLOBAL AllocateCounted(size_t byteCount, bool zeroed = false);
  static void FreeCounted(HGLOBAL handle);

  // The two totals over every live counted block.
  static uint32_t LiveBlockCount();
  static uint32_t LiveByteCount();

 private:
  HGLOBAL handle_ = nullptr;
};

// Replaces the block by the zlib-compressed form of its first byteCount bytes (all of them by default); true when
// zlib succeeded. The block is replaced by zlib's output also when it failed.
bool CompressHandle(MemHandle& handle, size_t byteCount = SIZE_MAX);
// Replaces the block by the zlib-uncompressed form of its contents, in at most outputSize bytes; true when zlib
// succeeded. The block is replaced also when it failed: by what was uncompressed up to the failure (the first
// outputSize bytes when they did not fit), perhaps nothing.
bool UncompressHandle(MemHandle& handle, size_t outputSize);
