// The memory block behind a Bitmap's pixels or a BitMask's bits: one counted movable block of the game's memory
// (MemHandle), pinned for as long as the block exists so that drawing code can hold its address.
//
// Sizes are 64-bit and capped: a request over the cap, or one the system refuses, fails cleanly and leaves the
// block empty.
#pragma once

#include <cstddef>
#include <cstdint>

#include "game/shell/data/mem_handle.h"

class PixelBlock {
 public:
  // The largest block a picture or mask may take (256 MiB); larger requests fail.
  static constexpr uint64_t kMaxBytes = uint64_t{256} << 20;

  PixelBlock() = default;
  ~PixelBlock();
  PixelBlock(const PixelBlock&) = delete;
  PixelBlock& operator=(const PixelBlock&) = delete;
  PixelBlock(PixelBlock&& other) noexcept;
  PixelBlock& operator=(PixelBlock&& other) noexcept;

  // Releases any previous block, then allocates byteCount bytes (zero-filled when asked). False, with no block,
  // when byteCount is 0, over the cap, or the memory cannot be had.
  bool Allocate(uint64_t byteCount, bool zeroFill);
  // Takes over a memory block (the handle is left empty); false, with no block, when it is empty or over the cap.
  bool Adopt(MemHandle& handle);
  void Free();

  // The block stays pinned while it exists; locking only hands out its address.
  uint8_t* Lock() { return data_; }
  void Unlock() {}

  uint8_t* Data() const { return data_; }
  uint64_t Size() const { return size_; }
  bool IsNull() const { return data_ == nullptr; }

 private:
  bool Pin();

  MemHandle memory_;
  uint8_t* data_ = nullptr;
  uint64_t size_ = 0;
};
