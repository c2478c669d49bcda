// Tests of pointer blocks, relocatable handles in their master-pointer blocks, and the block helpers.
#include "platform/core/memory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// Disposes every handle it made, so each test leaves the entries free for the next.
class Handles : public testing::Test {
 protected:
  PlatformHandle* Make(uint32_t size) {
    PlatformHandle* handle = PlatformHandle::New(size);
    if (handle != nullptr) made_.push_back(handle);
    return handle;
  }
  void Forget(PlatformHandle* handle) { std::erase(made_, handle); }
  void TearDown() override {
    PlatformPurgeHook = nullptr;
    for (PlatformHandle* handle : made_) {
      PlatformHandle::SetLocked(handle, 0);
      EXPECT_EQ(PlatformHandle::Dispose(handle), kPlatformNoError);
    }
  }
  std::vector<PlatformHandle*> made_;
};

TEST_F(Handles, EmptyHandleHasOneByteOfData) {
  PlatformHandle* handle = Make(0);
  ASSERT_NE(handle, nullptr);
  EXPECT_EQ(PlatformHandle::GetSize(handle), 0u);
  ASSERT_NE(handle->data, nullptr);
  *static_cast<char*>(handle->data) = 'x';  // the block is really there
  EXPECT_EQ(*reinterpret_cast<void**>(handle), handle->data);  // one dereference gives the data
}

TEST_F(Handles, NewBlockIsSearchedFirstAndEntriesAreReused) {
  PlatformHandle* older = Make(4);
  ASSERT_EQ(PlatformHandle::AddMasterBlock(2), kPlatformNoError);
  ASSERT_EQ(PlatformHandle::Dispose(older), kPlatformNoError);
  Forget(older);
  // The free entry of the older block waits while the new block has room.
  PlatformHandle* first = Make(4);
  PlatformHandle* second = Make(4);
  EXPECT_EQ(first->block, second->block);
  EXPECT_NE(first->block, older->block);
  EXPECT_EQ(*reinterpret_cast<const uint32_t*>(first->block), 2u);  // the entry count of the new block
  EXPECT_EQ(Make(4), older);  // then the freed entry comes back
}

TEST_F(Handles, UsedUpBlocksGetNewBlocksOfTheDefaultSize) {
  // However many entries are free now, a thousand handles use them up and open blocks of 256 entries.
  PlatformHandle* previous = nullptr;
  for (int i = 0; i < 1000; ++i) {
    PlatformHandle* handle = Make(1);
    ASSERT_NE(handle, nullptr);
    previous = handle;
  }
  EXPECT_EQ(*reinterpret_cast<const uint32_t*>(previous->block), 256u);
  EXPECT_EQ(PlatformHandle::CheckHeap(nullptr), kPlatformNoError);
}

TEST_F(Handles, LockedHandleRefusesToChange) {
  PlatformHandle* handle = PlatformHandle::FromBytes("abcd", 4);
  made_.push_back(handle);
  PlatformHandle* other = Make(2);
  EXPECT_EQ(PlatformHandle::SetLocked(handle, 1), 0);
  void* data = handle->data;
  EXPECT_EQ(PlatformHandle::SetSize(handle, 1000), kPlatformErrBadData);
  EXPECT_EQ(PlatformHandle::AppendBytes(handle, "x", 1), kPlatformErrBadData);
  EXPECT_EQ(PlatformHandle::SetBytes(handle, "x", 1), kPlatformErrBadData);
  EXPECT_EQ(PlatformHandle::AppendHandle(handle, other), kPlatformErrBadData);
  PlatformHandle* empty = Make(0);
  EXPECT_EQ(PlatformHandle::AppendHandle(handle, empty), kPlatformErrBadData);
  EXPECT_EQ(handle->data, data);
  EXPECT_EQ(PlatformHandle::GetSize(handle), 4u);
  EXPECT_EQ(PlatformHandle::SetLocked(handle, 0), 1);
  EXPECT_EQ(PlatformHandle::SetSize(handle, 1000), kPlatformNoError);
  EXPECT_EQ(PlatformHandle::GetSize(handle), 1000u);
  EXPECT_EQ(std::memcmp(handle->data, "abcd", 4), 0);
}

TEST_F(Handles, AppendAndReplaceBytes) {
  PlatformHandle* handle = PlatformHandle::FromBytes("ab", 2);
  made_.push_back(handle);
  PlatformHandle* empty = Make(0);
  void* data = handle->data;
  EXPECT_EQ(PlatformHandle::AppendHandle(handle, empty), kPlatformNoError);
  EXPECT_EQ(handle->data, data);
  EXPECT_EQ(PlatformHandle::AppendBytes(handle, "cd", 2), kPlatformNoError);
  PlatformHandle* copy = PlatformHandle::Duplicate(handle);
  made_.push_back(copy);
  EXPECT_EQ(PlatformHandle::AppendHandle(handle, copy), kPlatformNoError);
  EXPECT_EQ(PlatformHandle::AppendHandle(handle, handle), kPlatformNoError);  // doubles itself
  ASSERT_EQ(PlatformHandle::GetSize(handle), 16u);
  EXPECT_EQ(std::memcmp(handle->data, "abcdabcdabcdabcd", 16), 0);
  // Bytes taken from the handle's own data survive the resize that may move it.
  EXPECT_EQ(PlatformHandle::AppendBytes(handle, static_cast<char*>(handle->data) + 1, 3), kPlatformNoError);
  EXPECT_EQ(std::memcmp(static_cast<char*>(handle->data) + 16, "bcd", 3), 0);
  EXPECT_EQ(PlatformHandle::SetBytes(handle, static_cast<char*>(handle->data) + 2, 2), kPlatformNoError);
  ASSERT_EQ(PlatformHandle::GetSize(handle), 2u);
  EXPECT_EQ(std::memcmp(handle->data, "cd", 2), 0);
  EXPECT_EQ(PlatformHandle::SetBytes(handle, nullptr, 0), kPlatformNoError);
  EXPECT_EQ(PlatformHandle::GetSize(handle), 0u);
}

TEST_F(Handles, AppendPastFourGigabytesIsRefused) {
  PlatformHandle* handle = Make(16);
  handle->size = UINT32_MAX - 2;  // pretend; the append must refuse before touching memory
  EXPECT_EQ(PlatformHandle::AppendBytes(handle, "abcd", 4), kPlatformErrNoMemory);
  EXPECT_EQ(PlatformHandle::GetSize(handle), UINT32_MAX - 2);
  handle->size = 16;
}

TEST_F(Handles, PurgeHookRefusesDisposal) {
  PlatformHandle* handle = Make(8);
  static PlatformHandle* protectedHandle;
  protectedHandle = handle;
  PlatformPurgeHook = [](PlatformHandle* h) { return h == protectedHandle; };
  EXPECT_EQ(PlatformHandle::Dispose(handle), kPlatformErrBadData);
  EXPECT_EQ(handle->inUse, 1);
  PlatformPurgeHook = nullptr;
}

TEST_F(Handles, DisposedHandleIsNotFreedTwice) {
  PlatformHandle* handle = PlatformHandle::New(8);
  ASSERT_EQ(PlatformHandle::Dispose(handle), kPlatformNoError);
  EXPECT_EQ(PlatformHandle::Dispose(handle), kPlatformErrBadData);
  EXPECT_EQ(PlatformHandle::Dispose(nullptr), kPlatformErrBadData);
}

TEST_F(Handles, DamagedGuardStopsNewAndDispose) {
  PlatformHandle* handle = Make(8);
  PlatformHandle* victim = Make(8);
  ASSERT_EQ(PlatformHandle::CheckHeap(nullptr), kPlatformNoError);
  victim->guard = 0x12345678;
  EXPECT_EQ(PlatformHandle::CheckHeap(nullptr), kPlatformErrSystem);
  EXPECT_EQ(PlatformHandle::New(4), nullptr);
  EXPECT_EQ(PlatformHandle::Dispose(handle), kPlatformErrSystem);
  EXPECT_EQ(handle->inUse, 1);  // nothing was freed into the damage
  victim->guard = 0xDEADBEEF;
  EXPECT_EQ(PlatformHandle::CheckHeap(handle), kPlatformNoError);
}

TEST_F(Handles, InUseEntryWithoutDataIsDamage) {
  PlatformHandle* handle = Make(8);
  void* data = handle->data;
  handle->data = nullptr;
  EXPECT_EQ(PlatformHandle::CheckHeap(nullptr), kPlatformErrSystem);
  handle->data = data;
}

TEST(MasterBlocks, AddedBlockHoldsGuardedFreeEntries) {
  ASSERT_EQ(PlatformHandle::AddMasterBlock(3), kPlatformNoError);
  PlatformHandle* handle = PlatformHandle::New(1);
  ASSERT_NE(handle, nullptr);
  auto* header = reinterpret_cast<const uint32_t*>(handle->block);
  EXPECT_EQ(header[0], 3u);  // the block added last is searched first
  EXPECT_EQ(handle->guard, 0xDEADBEEFu);
  EXPECT_EQ(PlatformHandle::Dispose(handle), kPlatformNoError);
}

TEST(BlockHelpers, FillMoveAndCrc) {
  char bytes[16];
  PlatformFillBlock(bytes, 'a', sizeof bytes);
  PlatformClearBlock(bytes + 8, 8);
  EXPECT_EQ(bytes[7], 'a');
  EXPECT_EQ(bytes[8], 0);
  std::memcpy(bytes, "0123456789", 10);
  PlatformMoveBlock(bytes + 2, bytes, 6);  // overlapping
  EXPECT_EQ(std::memcmp(bytes, "0101234589", 10), 0);
  PlatformMoveBytes(bytes, bytes + 2, 0);
  EXPECT_EQ(PlatformBlockCRC32(bytes, 0), 0u);
  EXPECT_EQ(PlatformBlockCRC32("123456789", 9), 0xCBF43926u);  // the CRC-32 check value

  void* pointer = PlatformNewPointer(0);
  EXPECT_NE(pointer, nullptr);
  PlatformDisposePointer(pointer);
}

}  // namespace
