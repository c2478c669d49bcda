// Tests of the host layer's kernel objects: mutexes, events, threads, critical sections and thread-local slots.
#include "host/kernel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "host/testing.h"

namespace {

// Runs a routine on a thread made by CreateThread and answers its exit code once it has ended.
DWORD RunOnHostThread(LPTHREAD_START_ROUTINE routine, void* parameter) {
  HANDLE thread = CreateThread(nullptr, 65536, routine, parameter, 0, nullptr);
  EXPECT_NE(thread, nullptr);
  EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_TRUE(CloseHandle(thread));
  return code;
}

TEST(KernelMutex, OwnerMayTakeItAgainOthersWait) {
  HANDLE mutex = CreateMutexA(nullptr, TRUE, nullptr);
  ASSERT_NE(mutex, nullptr);
  EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0);  // second level for the owner
  auto tryFromOther = [](LPVOID m) -> DWORD { return WaitForSingleObject(static_cast<HANDLE>(m), 0); };
  auto releaseFromOther = [](LPVOID m) -> DWORD { return static_cast<DWORD>(ReleaseMutex(static_cast<HANDLE>(m))); };
  EXPECT_EQ(RunOnHostThread(tryFromOther, mutex), WAIT_TIMEOUT);
  EXPECT_EQ(RunOnHostThread(releaseFromOther, mutex), static_cast<DWORD>(FALSE));
  EXPECT_TRUE(ReleaseMutex(mutex));
  EXPECT_EQ(RunOnHostThread(tryFromOther, mutex), WAIT_TIMEOUT);  // one level still held
  EXPECT_TRUE(ReleaseMutex(mutex));
  EXPECT_FALSE(ReleaseMutex(mutex));
  // The other thread takes it and ends still owning it: the next wait takes the abandoned mutex.
  EXPECT_EQ(RunOnHostThread(tryFromOther, mutex), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(mutex, INFINITE), WAIT_ABANDONED);
  EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0);
  EXPECT_TRUE(ReleaseMutex(mutex));
  EXPECT_TRUE(ReleaseMutex(mutex));
  EXPECT_FALSE(ReleaseMutex(mutex));
  EXPECT_TRUE(CloseHandle(mutex));
  EXPECT_FALSE(CloseHandle(mutex));
  EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_FAILED);
}

TEST(KernelMutex, KeepsCountsRightUnderContention) {
  static HANDLE mutex;
  static int counter;
  mutex = CreateMutexA(nullptr, FALSE, nullptr);
  counter = 0;
  auto work = [](LPVOID) -> DWORD {
    for (int i = 0; i < 500; ++i) {
      if (WaitForSingleObject(mutex, INFINITE) != WAIT_OBJECT_0) return 1;
      int seen = counter;
      Sleep(0);
      counter = seen + 1;
      ReleaseMutex(mutex);
    }
    return 0;
  };
  HANDLE threads[4];
  for (HANDLE& thread : threads) thread = CreateThread(nullptr, 0, work, nullptr, 0, nullptr);
  for (HANDLE thread : threads) {
    EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
    DWORD code = 1;
    GetExitCodeThread(thread, &code);
    EXPECT_EQ(code, 0u);
    CloseHandle(thread);
  }
  EXPECT_EQ(counter, 2000);
  CloseHandle(mutex);
}

TEST(KernelEvent, AutoResetServesOneWaitManualResetStays) {
  HANDLE autoEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  HANDLE manualEvent = CreateEventA(nullptr, TRUE, TRUE, nullptr);
  EXPECT_EQ(WaitForSingleObject(autoEvent, 0), WAIT_TIMEOUT);
  EXPECT_TRUE(SetEvent(autoEvent));
  EXPECT_EQ(WaitForSingleObject(autoEvent, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(autoEvent, 0), WAIT_TIMEOUT);
  EXPECT_EQ(WaitForSingleObject(manualEvent, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(manualEvent, 0), WAIT_OBJECT_0);
  EXPECT_TRUE(ResetEvent(manualEvent));
  EXPECT_EQ(WaitForSingleObject(manualEvent, 0), WAIT_TIMEOUT);
  EXPECT_FALSE(SetEvent(nullptr));
  CloseHandle(autoEvent);
  CloseHandle(manualEvent);
}

TEST(KernelEvent, WaitEndsWhenAnotherThreadSignals) {
  HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  auto signal = [](LPVOID e) -> DWORD { return static_cast<DWORD>(SetEvent(static_cast<HANDLE>(e))); };
  HANDLE thread = CreateThread(nullptr, 0, signal, event, 0, nullptr);
  EXPECT_EQ(WaitForSingleObject(event, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
  CloseHandle(thread);
  CloseHandle(event);
}

// A wait sleeps until its own object changes: the traffic of other objects (a busy mutex, an event set and
// taken over and over) wakes it no more than nothing does.
TEST(KernelEvent, AWaitWakesForItsOwnObjectOnly) {
  static HANDLE awaited;
  awaited = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  HANDLE other = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  HANDLE mutex = CreateMutexA(nullptr, FALSE, nullptr);
  DWORD before = HostTestTimedWaitsBlocked();
  auto wait = [](LPVOID) -> DWORD { return WaitForSingleObject(awaited, 60000); };
  HANDLE thread = CreateThread(nullptr, 0, wait, nullptr, 0, nullptr);
  while (HostTestTimedWaitsBlocked() == before) std::this_thread::yield();
  DWORD wakeups = HostTestBlockedWaitWakeups();
  for (int i = 0; i < 300; ++i) {
    SetEvent(other);
    WaitForSingleObject(other, 0);
    WaitForSingleObject(mutex, INFINITE);
    ReleaseMutex(mutex);
  }
  EXPECT_LT(HostTestBlockedWaitWakeups() - wakeups, 5u);
  SetEvent(awaited);
  EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
  DWORD code = 1;
  GetExitCodeThread(thread, &code);
  EXPECT_EQ(code, WAIT_OBJECT_0);
  for (HANDLE handle : {thread, awaited, other, mutex}) CloseHandle(handle);
}

TEST(KernelThread, SuspendedThreadStartsOnResumeAndCannotBeStoppedFromOutside) {
  static std::atomic<int> ran;
  ran = 0;
  auto routine = [](LPVOID) -> DWORD {
    ran = 1;
    return 42;
  };
  DWORD id = 0;
  HANDLE thread = CreateThread(nullptr, 0, routine, nullptr, CREATE_SUSPENDED, &id);
  ASSERT_NE(thread, nullptr);
  EXPECT_NE(id, 0u);
  EXPECT_NE(id, GetCurrentThreadId());
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, STILL_ACTIVE);
  EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_TIMEOUT);
  EXPECT_EQ(SuspendThread(thread), static_cast<DWORD>(-1));
  EXPECT_FALSE(TerminateThread(thread, 1));
  EXPECT_TRUE(SetThreadPriority(thread, THREAD_PRIORITY_TIME_CRITICAL));
  EXPECT_EQ(GetThreadPriority(thread), THREAD_PRIORITY_TIME_CRITICAL);
  EXPECT_EQ(ran, 0);
  EXPECT_EQ(ResumeThread(thread), 1u);
  EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(ran, 1);
  EXPECT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, 42u);
  EXPECT_EQ(ResumeThread(thread), 0u);
  EXPECT_TRUE(CloseHandle(thread));
  EXPECT_TRUE(CloseHandle(GetCurrentThread()));  // the pseudo-handle: nothing to close
}

TEST(KernelCriticalSection, RecursiveForItsHolderOnly) {
  CRITICAL_SECTION section;
  InitializeCriticalSection(&section);
  EnterCriticalSection(&section);
  EXPECT_TRUE(TryEnterCriticalSection(&section));
  bool otherGotIt = true;
  std::thread([&] { otherGotIt = TryEnterCriticalSection(&section); }).join();
  EXPECT_FALSE(otherGotIt);
  LeaveCriticalSection(&section);
  LeaveCriticalSection(&section);
  std::thread([&] {
    otherGotIt = TryEnterCriticalSection(&section);
    if (otherGotIt) LeaveCriticalSection(&section);
  }).join();
  EXPECT_TRUE(otherGotIt);
  DeleteCriticalSection(&section);
}

TEST(KernelThreadLocal, EachThreadHasItsOwnValueAndANewSlotStartsEmpty) {
  DWORD slot = TlsAlloc();
  ASSERT_NE(slot, TLS_OUT_OF_INDEXES);
  int mine = 1;
  EXPECT_EQ(TlsGetValue(slot), nullptr);
  EXPECT_TRUE(TlsSetValue(slot, &mine));
  void* seenByOther = &mine;
  std::thread([&] { seenByOther = TlsGetValue(slot); }).join();
  EXPECT_EQ(seenByOther, nullptr);
  EXPECT_EQ(TlsGetValue(slot), &mine);
  EXPECT_TRUE(TlsFree(slot));
  EXPECT_FALSE(TlsFree(slot));
  EXPECT_FALSE(TlsSetValue(slot, &mine));
  DWORD again = TlsAlloc();
  EXPECT_EQ(TlsGetValue(again), nullptr);  // whatever this thread stored before in that index is gone
  TlsFree(again);
}

TEST(KernelInterlocked, ExchangeAddAndCompareExchange) {
  LONG volatile word = 5;
  EXPECT_EQ(InterlockedExchangeAdd(&word, 3), 5);
  EXPECT_EQ(word, 8);
  EXPECT_EQ(InterlockedCompareExchange(&word, 1, 7), 8);  // not equal: unchanged
  EXPECT_EQ(word, 8);
  EXPECT_EQ(InterlockedCompareExchange(&word, 1, 8), 8);
  EXPECT_EQ(word, 1);
}

TEST(KernelHeap, ZeroedAndEmptyRequests) {
  HANDLE heap = GetProcessHeap();
  ASSERT_NE(heap, nullptr);
  auto* bytes = static_cast<unsigned char*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, 64));
  ASSERT_NE(bytes, nullptr);
  for (int i = 0; i < 64; ++i) EXPECT_EQ(bytes[i], 0);
  EXPECT_TRUE(HeapFree(heap, 0, bytes));
  void* empty = HeapAlloc(heap, 0, 0);
  EXPECT_NE(empty, nullptr);
  EXPECT_TRUE(HeapFree(heap, 0, empty));
}

}  // namespace
