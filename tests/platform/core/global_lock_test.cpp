// Tests of the global lock and the atomic operations, with the core started (interlocked calls present) and
// on words that are not aligned (the locked path).
#include "platform/core/global_lock.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "tests/support/started_core.h"

namespace {

using GlobalLock = StartedCore;

// Whether another thread can enter (and leave) the lock now; it would block while this thread holds it.
bool AnotherThreadEnters() {
  bool entered = false;
  std::thread([&] {
    EnterGlobalLock();
    entered = true;
    LeaveGlobalLock();
  }).join();
  return entered;
}

TEST_F(GlobalLock, RecursiveAndOnlyItsHolderLeaves) {
  EXPECT_FALSE(IsGlobalLockHeld());
  EnterGlobalLock();
  EnterGlobalLock();
  LeaveGlobalLock();
  EXPECT_TRUE(IsGlobalLockHeld());
  std::thread([] { LeaveGlobalLock(); }).join();  // holds no level: leaves nothing
  EXPECT_TRUE(IsGlobalLockHeld());
  LeaveGlobalLock();
  EXPECT_FALSE(IsGlobalLockHeld());
  EXPECT_TRUE(AnotherThreadEnters());
}

TEST_F(GlobalLock, ShutdownDropsLevelsStillHeld) {
  EnterGlobalLock();
  EnterGlobalLock();
  PlatformShutdown();
  EXPECT_FALSE(IsGlobalLockHeld());
  EXPECT_TRUE(AnotherThreadEnters());
}

TEST_F(GlobalLock, AtomicsOnAlignedAndUnalignedWords) {
  alignas(4) unsigned char bytes[12] = {};
  for (size_t offset : {size_t{0}, size_t{1}, size_t{2}}) {
    auto* word = reinterpret_cast<int32_t*>(bytes + offset);
    int32_t start = 40;
    std::memcpy(word, &start, 4);
    EXPECT_EQ(AtomicAdd(word, 2), 40) << offset;
    EXPECT_EQ(AtomicAdd(word, -50), 42);
    int32_t now;
    std::memcpy(&now, word, 4);
    EXPECT_EQ(now, -8);
    std::memset(word, 0, 4);
    auto* bits = reinterpret_cast<uint32_t*>(word);
    EXPECT_FALSE(AtomicTestAndSetBit(bits, 31));
    EXPECT_TRUE(AtomicTestAndSetBit(bits, 31));
    EXPECT_TRUE(TestBit(bits, 31));
    EXPECT_FALSE(TestBit(bits, 3));
    EXPECT_TRUE(AtomicTestAndClearBit(bits, 31));
    EXPECT_FALSE(AtomicTestAndClearBit(bits, 31));
    EXPECT_FALSE(IsGlobalLockHeld());
  }
}

TEST_F(GlobalLock, ConcurrentAddsAreNotLost) {
  alignas(4) int32_t aligned = 0;
  alignas(4) unsigned char bytes[8] = {};
  auto* unaligned = reinterpret_cast<int32_t*>(bytes + 1);
  auto work = [&] {
    for (int i = 0; i < 2000; ++i) {
      AtomicAdd(&aligned, 1);
      AtomicAdd(unaligned, 1);
    }
  };
  std::thread a(work), b(work);
  a.join();
  b.join();
  int32_t sum;
  std::memcpy(&sum, bytes + 1, 4);
  EXPECT_EQ(aligned, 4000);
  EXPECT_EQ(sum, 4000);
}

}  // namespace
