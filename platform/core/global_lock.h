// The framework's one process-wide recursive lock, and atomic operations on 32-bit words that use the system's
// interlocked calls when they are there and fall back on the lock otherwise (also for a word whose address is
// not a multiple of 4).
#pragma once

#include <cstdint>

void EnterGlobalLock();   // the same thread may enter again
void LeaveGlobalLock();   // leaves one level; a thread that holds no level leaves nothing
bool IsGlobalLockHeld();  // whether the nesting depth is not 0
void ResetGlobalLockDepth();

int32_t AtomicAdd(int32_t* word, int32_t value);  // returns the old value
bool AtomicTestAndSetBit(uint32_t* word, uint32_t bit);    // bit 0 to 31; returns whether it was set
bool AtomicTestAndClearBit(uint32_t* word, uint32_t bit);  // returns whether it was set
bool TestBit(const uint32_t* word, uint32_t bit);          // a plain read

inline bool AtomicTestAndSetBit(int32_t* word, uint32_t bit) {
  return AtomicTestAndSetBit(reinterpret_cast<uint32_t*>(word), bit);
}
inline bool AtomicTestAndClearBit(int32_t* word, uint32_t bit) {
  return AtomicTestAndClearBit(reinterpret_cast<uint32_t*>(word), bit);
}
inline bool TestBit(const int32_t* word, uint32_t bit) { return TestBit(reinterpret_cast<const uint32_t*>(word), bit); }
