// The thread layer's table, queues and records. Table and queue changes happen under the global lock, which is
// always taken before a queue's own mutex.
#include "platform/core/thread_layer.h"

#include <cstring>

#include "platform/core/core.h"
#include "platform/core/core_state.h"
#include "platform/core/global_lock.h"
#include "platform/core/memory.h"

namespace {

constexpr uint32_t kMainRecordReady = 0x1;
constexpr uint32_t kStarted = 0x2;
constexpr uint32_t kShuttingDown = 0x4;
constexpr uint32_t kMaxTableLength = 0x10000;  // indexes are 16-bit

struct TableEntry {
  ThreadRecord* record;
  uint16_t serial;
};

uint32_t flags = 0;
ThreadRecord mainRecord;
DWORD layerSlot = TLS_OUT_OF_INDEXES;  // made once, holds the main record for the main thread
TableEntry* table = nullptr;
uint32_t tableLength = 0;
MutexQueue idleQueue;
MutexQueue queuesInUse[3];

void LockQueue(MutexQueue* queue) {
  if (queue->mutex != nullptr) WaitForSingleObject(queue->mutex, INFINITE);
}
void UnlockQueue(MutexQueue* queue) {
  if (queue->mutex != nullptr) ReleaseMutex(queue->mutex);
}

// Grows the table by one entry for the record (with serial 0); under the global lock.
PlatformError AddTableEntry(ThreadRecord* record) {
  if (tableLength >= kMaxTableLength) return kPlatformErrNoMemory;
  auto* grown = static_cast<TableEntry*>(PlatformNewPointer(sizeof(TableEntry) * (tableLength + 1)));
  if (grown == nullptr) return kPlatformErrNoMemory;
  if (tableLength != 0) std::memcpy(grown, table, sizeof(TableEntry) * tableLength);
  grown[tableLength] = {record, 0};
  PlatformDisposePointer(table);
  table = grown;
  record->tableIndex = static_cast<uint16_t>(tableLength);
  record->threadId = tableLength << 16;
  ++tableLength;
  return kPlatformNoError;
}

ThreadRecord* FindRecord(uint32_t threadId) {
  uint32_t index = threadId >> 16;
  if (table == nullptr || index >= tableLength || table[index].serial != (threadId & 0xFFFF)) return nullptr;
  return table[index].record;
}

void DestroyQueues() {
  MutexQueue::Destroy(&idleQueue);
  for (MutexQueue& queue : queuesInUse) MutexQueue::Destroy(&queue);
}

}  // namespace

PlatformError MutexQueue::Init(MutexQueue* queue) {
  std::memset(queue, 0, sizeof *queue);
  queue->mutex = CreateMutexA(nullptr, FALSE, nullptr);
  return queue->mutex == nullptr ? kPlatformErrNoMemory : kPlatformNoError;
}

void MutexQueue::Destroy(MutexQueue* queue) {
  if (queue->mutex != nullptr) {
    WaitForSingleObject(queue->mutex, INFINITE);
    ReleaseMutex(queue->mutex);
    CloseHandle(queue->mutex);
  }
  std::memset(queue, 0, sizeof *queue);
}

void MutexQueue::PushBack(MutexQueue* queue, ThreadRecord* record) {
  LockQueue(queue);
  record->next = nullptr;
  record->queue = queue;
  if (queue->tail != nullptr) {
    queue->tail->next = record;
  } else {
    queue->head = record;
  }
  queue->tail = record;
  ++queue->count;
  UnlockQueue(queue);
}

ThreadRecord* MutexQueue::PopFront(MutexQueue* queue) {
  LockQueue(queue);
  ThreadRecord* record = queue->head;
  if (record != nullptr) {
    queue->head = record->next;
    if (queue->head == nullptr) queue->tail = nullptr;
    --queue->count;
    record->next = nullptr;
    record->queue = nullptr;
  }
  UnlockQueue(queue);
  return record;
}

ThreadRecord* MutexQueue::Remove(MutexQueue* queue, ThreadRecord* record) {
  LockQueue(queue);
  ThreadRecord* previous = nullptr;
  ThreadRecord* walk = queue->head;
  while (walk != nullptr && walk != record) {
    previous = walk;
    walk = walk->next;
  }
  if (walk != nullptr) {
    if (previous != nullptr) {
      previous->next = record->next;
    } else {
      queue->head = record->next;
    }
    if (queue->tail == record) queue->tail = previous;
    --queue->count;
    record->next = nullptr;
    record->queue = nullptr;
  }
  UnlockQueue(queue);
  return walk;
}

PlatformError ThreadLayer::Startup(uint32_t recordCount, uint32_t stackSize) {
  if (!(flags & kMainRecordReady)) {
    flags |= kMainRecordReady;
    std::memset(&mainRecord, 0, sizeof mainRecord);
    mainRecord.threadId = 1;
  }
  if (!(flags & kStarted)) {
    PlatformError error = MutexQueue::Init(&idleQueue);
    for (MutexQueue& queue : queuesInUse) {
      if (error == kPlatformNoError) error = MutexQueue::Init(&queue);
    }
    if (error == kPlatformNoError) {
      table = static_cast<TableEntry*>(PlatformNewPointer(sizeof(TableEntry)));
      if (table == nullptr) error = kPlatformErrNoMemory;
    }
    if (error != kPlatformNoError) {
      DestroyQueues();
      return error;
    }
    table[0] = {&mainRecord, 1};
    tableLength = 1;
    if (layerSlot == TLS_OUT_OF_INDEXES) layerSlot = TlsAlloc();
    if (layerSlot == TLS_OUT_OF_INDEXES || !TlsSetValue(layerSlot, &mainRecord)) {
      PlatformDisposePointer(table);
      table = nullptr;
      tableLength = 0;
      DestroyQueues();
      return kPlatformErrSystem;
    }
    PlatformAddExitProc(ThreadLayer::Shutdown);
    flags |= kStarted;
  }

  EnterGlobalLock();
  PlatformError error = kPlatformNoError;
  for (uint32_t i = 0; i < recordCount && error == kPlatformNoError; ++i) {
    auto* record = static_cast<ThreadRecord*>(PlatformNewPointer(sizeof(ThreadRecord)));
    if (record == nullptr) {
      error = kPlatformErrNoMemory;
      break;
    }
    std::memset(record, 0, sizeof *record);
    error = AddTableEntry(record);
    if (error != kPlatformNoError) {
      PlatformDisposePointer(record);
    } else {
      MutexQueue::PushBack(&idleQueue, record);
    }
  }
  LeaveGlobalLock();
  return error;
}

PlatformError ThreadLayer::Kill(uint32_t threadId) {
  EnterGlobalLock();
  ThreadRecord* record = FindRecord(threadId);
  // The main thread's record is never killed: it lives in the layer itself, not on the heap, so idling it would
  // have the layer's shut-down free memory it never allocated (a crash), and its thread is the program's own.
  if (record == nullptr || record == &mainRecord) {
    LeaveGlobalLock();
    return kPlatformErrBadReference;
  }
  if (record->thread != nullptr) {
    if (SuspendThread(record->thread) == static_cast<DWORD>(-1)) {
      ResumeThread(record->thread);
      LeaveGlobalLock();
      return kPlatformErrSystem;
    }
    if (record->terminate != nullptr) record->terminate(record, record->userValue);
    TerminateThread(record->thread, 0);
    CloseHandle(record->thread);
    record->thread = nullptr;
  }
  ++table[record->tableIndex].serial;
  record->threadId = 0;
  for (MutexQueue& queue : queuesInUse) {
    if (record->queue == &queue) MutexQueue::Remove(&queue, record);
  }
  if (record->queue != &idleQueue) MutexQueue::PushBack(&idleQueue, record);
  LeaveGlobalLock();
  return kPlatformNoError;
}

void ThreadLayer::Shutdown() {
  if (!(flags & kStarted) || (flags & kShuttingDown)) return;
  flags = (flags & ~kStarted) | kShuttingDown;
  EnterGlobalLock();
  // All three queues in use are emptied, not two: a record left in the third would keep its thread running and
  // point into a queue and a table that are gone. Records whose thread cannot be stopped are let go with the
  // table.
  for (MutexQueue& queue : queuesInUse) {
    while (ThreadRecord* record = queue.head) {
      if (Kill(record->threadId) != kPlatformNoError) MutexQueue::Remove(&queue, record);
    }
  }
  while (ThreadRecord* record = MutexQueue::PopFront(&idleQueue)) {
    table[record->tableIndex].record = nullptr;
    PlatformDisposePointer(record);
  }
  DestroyQueues();
  PlatformDisposePointer(table);
  table = nullptr;
  tableLength = 0;
  LeaveGlobalLock();
  flags &= ~kShuttingDown;
}

MutexQueue* ThreadLayer::IdleQueue() { return &idleQueue; }
MutexQueue* ThreadLayer::QueueInUse(int which) { return which >= 0 && which < 3 ? &queuesInUse[which] : nullptr; }
ThreadRecord* ThreadLayer::MainRecord() {
  return layerSlot == TLS_OUT_OF_INDEXES ? nullptr : static_cast<ThreadRecord*>(TlsGetValue(layerSlot));
}
uint32_t ThreadLayer::TableLength() { return tableLength; }
