// The memory block behind a Bitmap's pixels or a BitMask's bits.
#include "game/graphics/pixel_block.h"

#include <utility>

PixelBlock::~PixelBlock() { Free(); }

PixelBlock::PixelBlock(PixelBlock&& other) noexcept
    : memory_(std::move(other.memory_)),
      data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)) {}

PixelBlock& PixelBlock::operator=(PixelBlock&& other) noexcept {
  if (this != &other) {
    Free();
    memory_ = std::move(other.memory_);
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

bool PixelBlock::Pin() {
  size_ = memory_.Size();
  data_ = memory_.Lock();
  if (data_ == nullptr || size_ == 0 || size_ > kMaxBytes) {
    Free();
    return false;
  }
  return true;
}

bool PixelBlock::Allocate(uint64_t byteCount, bool zeroFill) {
  Free();
  if (byteCount == 0 || byteCount > kMaxBytes) return false;
  // Zero-filled blocks come zeroed from the allocator: fresh pages are not written (nor faulted in) before they are
  // drawn.
  return memory_.Allocate(static_cast<size_t>(byteCount), zeroFill) && Pin();
}

bool PixelBlock::Adopt(MemHandle& handle) {
  Free();
  memory_ = std::move(handle);
  return !memory_.IsNull() && Pin();
}

void PixelBlock::Free() {
  if (data_ != nullptr) memory_.Unlock();
  memory_.Free();
  data_ = nullptr;
  size_ = 0;
}
