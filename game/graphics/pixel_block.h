// The memory block behind a Bitmap's pixels or a BitMask's bits.
//
// Every allocation of pixel memory goes through this one class, so that the storage can follow the game's
// counted movable memory blocks without touching the code that draws. Sizes are 64-bit and capped: a request
// over the cap, or one the system refuses, fails cleanly and leaves the block empty.
#pragma once

#include <cstddef>
#include <cstdint>

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
  void Free();

  // The block does not move while it exists; locking only hands out its address.
  uint8_t* Lock() { return data_; }
  void Unlock() {}

  uint8_t* Data() const { return data_; }
  uint64_t Size() const { return size_; }
  bool IsNull() const { return data_ == nullptr; }

 private:
  uint8_t* data_ = nullptr;
  uint64_t size_ = 0;
};
