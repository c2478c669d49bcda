#include "host/global_memory.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(GlobalMemoryTest, MovableBlockKeepsItsHandleAndBytesAcrossResize) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 16);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(GlobalSize(block), 16u);
  auto* bytes = static_cast<uint8_t*>(GlobalLock(block));
  ASSERT_NE(bytes, nullptr);
  EXPECT_EQ(bytes[15], 0);
  std::memcpy(bytes, "kestrel", 8);
  EXPECT_FALSE(GlobalUnlock(block));  // no lock left

  EXPECT_EQ(GlobalReAlloc(block, 4096, GMEM_ZEROINIT), block);
  EXPECT_EQ(GlobalSize(block), 4096u);
  bytes = static_cast<uint8_t*>(GlobalLock(block));
  EXPECT_STREQ(reinterpret_cast<char*>(bytes), "kestrel");
  EXPECT_EQ(bytes[4095], 0);
  GlobalUnlock(block);
  EXPECT_EQ(GlobalFree(block), nullptr);
}

TEST(GlobalMemoryTest, LockedBlockMovesOnlyWhenAllowed) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 8);
  ASSERT_NE(GlobalLock(block), nullptr);
  ASSERT_NE(GlobalLock(block), nullptr);
  EXPECT_TRUE(GlobalUnlock(block));  // one lock remains
  EXPECT_EQ(GlobalReAlloc(block, 1 << 20, 0), nullptr);
  EXPECT_EQ(GlobalSize(block), 8u);
  EXPECT_EQ(GlobalReAlloc(block, 4, 0), block);  // shrinking never moves
  EXPECT_EQ(GlobalSize(block), 4u);
  EXPECT_EQ(GlobalReAlloc(block, 1 << 20, GMEM_MOVEABLE), block);
  GlobalUnlock(block);
  GlobalFree(block);
}

TEST(GlobalMemoryTest, FixedBlockIsItsOwnAddress) {
  HGLOBAL block = GlobalAlloc(GMEM_FIXED, 32);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(GlobalLock(block), block);
  EXPECT_EQ(GlobalSize(block), 32u);
  EXPECT_EQ(GlobalFree(block), nullptr);
}

TEST(GlobalMemoryTest, UnknownHandlesFailCleanly) {
  int stray = 0;
  HGLOBAL bogus = &stray;
  EXPECT_EQ(GlobalLock(bogus), nullptr);
  EXPECT_EQ(GlobalSize(bogus), 0u);
  EXPECT_FALSE(GlobalUnlock(bogus));
  EXPECT_EQ(GlobalReAlloc(bogus, 10, GMEM_MOVEABLE), nullptr);
  EXPECT_EQ(GlobalFree(bogus), bogus);

  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 4);
  GlobalFree(block);
  EXPECT_EQ(GlobalFree(block), block);  // a second free is refused
  EXPECT_EQ(GlobalLock(block), nullptr);
}

TEST(GlobalMemoryTest, EmptyMovableBlockHasNoBytes) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 0);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(GlobalLock(block), nullptr);
  EXPECT_EQ(GlobalSize(block), 0u);
  EXPECT_EQ(GlobalReAlloc(block, 10, GMEM_MOVEABLE), block);
  EXPECT_NE(GlobalLock(block), nullptr);
  GlobalUnlock(block);
  GlobalFree(block);
}

}  // namespace
