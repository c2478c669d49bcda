// The global lock and the atomic operations.
//
// The critical section is made once and kept for the life of the process: a thread that is still finishing
// when the framework shuts down may still enter and leave it safely.
#include "platform/core/global_lock.h"

#include <atomic>
#include <cstring>
#include <mutex>

#include "platform/core/core_state.h"

namespace core_state {

CompareExchangeProc interlockedCompareExchange = nullptr;
ExchangeAddProc interlockedExchangeAdd = nullptr;
DWORD threadSlot = TLS_OUT_OF_INDEXES;

namespace {

CRITICAL_SECTION globalSection;
std::once_flag globalSectionMade;
std::atomic<uint32_t> depth{0};  // changed only by the thread that holds the lock

uintptr_t LevelsHeldHere() {
  return threadSlot == TLS_OUT_OF_INDEXES ? 0 : reinterpret_cast<uintptr_t>(TlsGetValue(threadSlot));
}

void SetLevelsHeldHere(uintptr_t levels) {
  if (threadSlot != TLS_OUT_OF_INDEXES) TlsSetValue(threadSlot, reinterpret_cast<LPVOID>(levels));
}

}  // namespace

void EnsureGlobalLock() {
  std::call_once(globalSectionMade, [] { InitializeCriticalSection(&globalSection); });
}

void DropGlobalLock() {
  EnsureGlobalLock();
  for (uintptr_t levels = LevelsHeldHere(); levels != 0; --levels) {
    SetLevelsHeldHere(levels - 1);
    LeaveCriticalSection(&globalSection);
  }
  ResetGlobalLockDepth();
}

}  // namespace core_state

void EnterGlobalLock() {
  core_state::EnsureGlobalLock();
  EnterCriticalSection(&core_state::globalSection);
  core_state::depth.fetch_add(1);
  core_state::SetLevelsHeldHere(core_state::LevelsHeldHere() + 1);
}

void LeaveGlobalLock() {
  core_state::EnsureGlobalLock();
  if (core_state::threadSlot != TLS_OUT_OF_INDEXES) {
    uintptr_t levels = core_state::LevelsHeldHere();
    if (levels == 0) return;  // this thread holds no level: leaving would release another thread's lock
    core_state::SetLevelsHeldHere(levels - 1);
  } else if (core_state::depth.load() == 0) {
    return;
  }
  uint32_t depth = core_state::depth.load();
  if (depth != 0) core_state::depth.store(depth - 1);
  LeaveCriticalSection(&core_state::globalSection);
}

bool IsGlobalLockHeld() { return core_state::depth.load() != 0; }

void ResetGlobalLockDepth() { core_state::depth.store(0); }

namespace {

bool Aligned(const void* word) { return reinterpret_cast<uintptr_t>(word) % 4 == 0; }

// Reads and writes of a word that may not be aligned, for the locked path.
uint32_t ReadWord(const void* word) {
  uint32_t value;
  std::memcpy(&value, word, sizeof value);
  return value;
}
void WriteWord(void* word, uint32_t value) { std::memcpy(word, &value, sizeof value); }

// Sets (or clears) a bit and answers whether it was set before.
bool ChangeBit(uint32_t* word, uint32_t bit, bool set) {
  uint32_t mask = 1u << (bit & 31);
  if (core_state::interlockedCompareExchange != nullptr && Aligned(word)) {
    auto* target = reinterpret_cast<LONG volatile*>(word);
    for (;;) {
      LONG seen = __atomic_load_n(target, __ATOMIC_SEQ_CST);
      auto changed = static_cast<LONG>(set ? (static_cast<uint32_t>(seen) | mask) : (static_cast<uint32_t>(seen) & ~mask));
      if (core_state::interlockedCompareExchange(target, changed, seen) == seen) {
        return (static_cast<uint32_t>(seen) & mask) != 0;
      }
    }
  }
  // Without the interlocked call: a bit that already has the wanted state needs no lock.
  bool wasSet = (ReadWord(word) & mask) != 0;
  if (wasSet == set) return wasSet;
  EnterGlobalLock();
  uint32_t value = ReadWord(word);
  wasSet = (value & mask) != 0;
  WriteWord(word, set ? (value | mask) : (value & ~mask));
  LeaveGlobalLock();
  return wasSet;
}

}  // namespace

int32_t AtomicAdd(int32_t* word, int32_t value) {
  if (core_state::interlockedExchangeAdd != nullptr && Aligned(word)) {
    return core_state::interlockedExchangeAdd(reinterpret_cast<LONG volatile*>(word), value);
  }
  EnterGlobalLock();
  uint32_t old = ReadWord(word);
  WriteWord(word, old + static_cast<uint32_t>(value));  // wraps like the interlocked call
  LeaveGlobalLock();
  return static_cast<int32_t>(old);
}

bool AtomicTestAndSetBit(uint32_t* word, uint32_t bit) { return ChangeBit(word, bit, true); }

bool AtomicTestAndClearBit(uint32_t* word, uint32_t bit) { return ChangeBit(word, bit, false); }

bool TestBit(const uint32_t* word, uint32_t bit) { return (ReadWord(word) & (1u << (bit & 31))) != 0; }
