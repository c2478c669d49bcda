// The memory block behind a Bitmap's pixels or a BitMask's bits.
#include "game/graphics/pixel_block.h"

#include <cstdlib>
#include <utility>

PixelBlock::~PixelBlock() { Free(); }

PixelBlock::PixelBlock(PixelBlock&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

PixelBlock& PixelBlock::operator=(PixelBlock&& other) noexcept {
  if (this != &other) {
    Free();
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

bool PixelBlock::Allocate(uint64_t byteCount, bool zeroFill) {
  Free();
  if (byteCount == 0 || byteCount > kMaxBytes) return false;
  void* memory = zeroFill ? std::calloc(static_cast<size_t>(byteCount), 1) : std::malloc(static_cast<size_t>(byteCount));
  if (memory == nullptr) return false;
  data_ = static_cast<uint8_t*>(memory);
  size_ = byteCount;
  return true;
}

void PixelBlock::Free() {
  std::free(data_);
  data_ = nullptr;
  size_ = 0;
}
