#include "game/shell/data/mem_handle.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

std::vector<uint8_t> Contents(MemHandle& handle) {
  std::vector<uint8_t> bytes(handle.Size());
  if (!bytes.empty()) {
    std::memcpy(bytes.data(), handle.Lock(), bytes.size());
    handle.Unlock();
  }
  return bytes;
}

void Fill(MemHandle& handle, const std::vector<uint8_t>& bytes) {
  ASSERT_TRUE(handle.Allocate(bytes.size()));
  std::memcpy(handle.Lock(), bytes.data(), bytes.size());
  handle.Unlock();
}

TEST(MemHandleTest, CountersFollowEveryBlock) {
  uint32_t blocks = MemHandle::LiveBlockCount();
  uint32_t bytes = MemHandle::LiveByteCount();
  {
    MemHandle empty;
    EXPECT_FALSE(empty.Allocate(0));
    EXPECT_TRUE(empty.IsNull());
    EXPECT_EQ(MemHandle::LiveBlockCount(), blocks);

    MemHandle handle;
    ASSERT_TRUE(handle.Allocate(100));
    EXPECT_EQ(MemHandle::LiveBlockCount(), blocks + 1);
    EXPECT_EQ(MemHandle::LiveByteCount(), bytes + 100);
    ASSERT_TRUE(handle.Resize(5000));
    EXPECT_EQ(MemHandle::LiveByteCount(), bytes + 5000);

    MemHandle moved = std::move(handle);
    EXPECT_TRUE(handle.IsNull());
    EXPECT_EQ(MemHandle::LiveBlockCount(), blocks + 1);
    moved.Free();
    EXPECT_EQ(MemHandle::LiveBlockCount(), blocks);
    EXPECT_EQ(MemHandle::LiveByteCount(), bytes);
    ASSERT_TRUE(moved.Allocate(10));
  }  // the destructor frees what the handle still owns
  EXPECT_EQ(MemHandle::LiveBlockCount(), blocks);
  EXPECT_EQ(MemHandle::LiveByteCount(), bytes);
}

TEST(MemHandleTest, CompressThenUncompressGivesTheSameBytes) {
  std::vector<uint8_t> original(10000);
  for (size_t i = 0; i < original.size(); ++i) original[i] = static_cast<uint8_t>((i * 7) % 13);
  MemHandle handle;
  Fill(handle, original);
  ASSERT_TRUE(CompressHandle(handle));
  EXPECT_LT(handle.Size(), original.size());
  ASSERT_TRUE(UncompressHandle(handle, original.size()));
  EXPECT_EQ(Contents(handle), original);
}

TEST(MemHandleTest, CompressesOnlyTheBytesAsked) {
  std::vector<uint8_t> original = {1, 2, 3, 4, 5, 6, 7, 8};
  MemHandle handle;
  Fill(handle, original);
  ASSERT_TRUE(CompressHandle(handle, 3));
  ASSERT_TRUE(UncompressHandle(handle, 100));
  EXPECT_EQ(Contents(handle), (std::vector<uint8_t>{1, 2, 3}));
}

// A failed uncompression still replaces the block, by what zlib reports it produced: nothing for bytes that are
// no zlib data at all, and the first bytes for a size too small, which zlib fills before it stops.
TEST(MemHandleTest, FailedUncompressReplacesTheBlockByWhatZlibGave) {
  std::vector<uint8_t> notZlib = {0xDE, 0xAD, 0xBE, 0xEF, 0x00, 0x11};
  MemHandle handle;
  Fill(handle, notZlib);
  EXPECT_FALSE(UncompressHandle(handle, 64));
  EXPECT_TRUE(handle.IsNull());

  std::vector<uint8_t> original(1000, 0x5A);
  Fill(handle, original);
  ASSERT_TRUE(CompressHandle(handle));
  EXPECT_FALSE(UncompressHandle(handle, 999));
  EXPECT_EQ(Contents(handle), std::vector<uint8_t>(999, 0x5A));

  MemHandle none;
  EXPECT_FALSE(CompressHandle(none));
  EXPECT_FALSE(UncompressHandle(none, 10));
}

}  // namespace
