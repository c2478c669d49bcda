// The framework's thread layer: records of threads kept in a table of identifiers and in mutex-guarded queues.
//
// A thread identifier is (table index << 16) | serial, valid while the table entry's serial equals its low 16
// bits; the main thread's is 1. The core starts the layer with no pooled threads. Threads cannot be stopped
// from outside on this platform, so killing a record that has a thread reports a system error.
#pragma once

#include <cstdint>

#include "host/kernel.h"
#include "platform/core/platform_error.h"

struct MutexQueue;
struct ThreadRecord;

using ThreadTerminationProc = void (*)(ThreadRecord* record, void* userValue);

struct ThreadRecord {
  ThreadRecord* next;  // the next record in its queue
  MutexQueue* queue;   // the queue holding it, or null
  uint8_t reserved[24];
  uint32_t threadId;   // 0 while the record is idle after a kill
  uint16_t tableIndex;
  HANDLE thread;       // null when none
  ThreadTerminationProc terminate;
  void* userValue;
};

struct MutexQueue {
  ThreadRecord* head;
  ThreadRecord* tail;
  uint32_t count;
  HANDLE mutex;  // unnamed, not owned at creation; every change holds it

  static PlatformError Init(MutexQueue* queue);
  static void Destroy(MutexQueue* queue);
  static void PushBack(MutexQueue* queue, ThreadRecord* record);
  static ThreadRecord* PopFront(MutexQueue* queue);
  static ThreadRecord* Remove(MutexQueue* queue, ThreadRecord* record);  // null when it was not in the queue
};

struct ThreadLayer {
  static PlatformError Startup(uint32_t recordCount, uint32_t stackSize);
  static void Shutdown();
  static PlatformError Kill(uint32_t threadId);

  // What the layer holds, for inspection.
  static MutexQueue* IdleQueue();
  static MutexQueue* QueueInUse(int which);  // 0 to 2
  static ThreadRecord* MainRecord();         // the calling thread's record, when it is the main thread
  static uint32_t TableLength();
};
