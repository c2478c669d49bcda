// Tests of the thread layer's identifiers, records and queues.
#include "platform/core/thread_layer.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/started_core.h"

namespace {

using ThreadLayerTest = StartedCore;

TEST_F(ThreadLayerTest, StartsOnceWithTheMainRecord) {
  EXPECT_EQ(ThreadLayer::TableLength(), 1u);
  EXPECT_EQ(ThreadLayer::Startup(0, 0), kPlatformNoError);
  EXPECT_EQ(ThreadLayer::TableLength(), 1u);
  ASSERT_NE(ThreadLayer::MainRecord(), nullptr);
  EXPECT_EQ(ThreadLayer::MainRecord()->threadId, 1u);
  EXPECT_EQ(ThreadLayer::Kill(1), kPlatformErrBadReference);  // the main thread's record stays
}

TEST_F(ThreadLayerTest, KilledIdentifierStopsBeingValid) {
  ASSERT_EQ(ThreadLayer::Startup(3, 16384), kPlatformNoError);
  EXPECT_EQ(ThreadLayer::TableLength(), 4u);
  EXPECT_EQ(ThreadLayer::IdleQueue()->count, 3u);
  ThreadRecord* record = MutexQueue::PopFront(ThreadLayer::IdleQueue());
  ASSERT_NE(record, nullptr);
  uint32_t id = record->threadId;
  EXPECT_EQ(id, 1u << 16);
  MutexQueue::PushBack(ThreadLayer::QueueInUse(1), record);
  EXPECT_EQ(ThreadLayer::Kill(id), kPlatformNoError);
  EXPECT_EQ(record->threadId, 0u);
  EXPECT_EQ(record->queue, ThreadLayer::IdleQueue());
  EXPECT_EQ(ThreadLayer::QueueInUse(1)->count, 0u);
  EXPECT_EQ(ThreadLayer::Kill(id), kPlatformErrBadReference);
  EXPECT_EQ(ThreadLayer::Kill(0x00630000), kPlatformErrBadReference);
}

TEST_F(ThreadLayerTest, ShutdownEmptiesEveryQueueInUse) {
  ASSERT_EQ(ThreadLayer::Startup(3, 0), kPlatformNoError);
  for (int which = 0; which < 3; ++which) {
    MutexQueue::PushBack(ThreadLayer::QueueInUse(which), MutexQueue::PopFront(ThreadLayer::IdleQueue()));
  }
  ThreadLayer::Shutdown();  // records left in any queue would leak (the leak checker sees them)
  EXPECT_EQ(ThreadLayer::TableLength(), 0u);
  EXPECT_EQ(ThreadLayer::QueueInUse(2)->count, 0u);
  EXPECT_EQ(ThreadLayer::Startup(0, 0), kPlatformNoError);
  EXPECT_EQ(ThreadLayer::TableLength(), 1u);
}

TEST(MutexQueueTest, PushPopAndRemove) {
  MutexQueue queue;
  ASSERT_EQ(MutexQueue::Init(&queue), kPlatformNoError);
  ThreadRecord records[3];
  std::memset(records, 0, sizeof records);
  for (ThreadRecord& record : records) MutexQueue::PushBack(&queue, &record);
  EXPECT_EQ(queue.count, 3u);
  ThreadRecord stranger;
  std::memset(&stranger, 0, sizeof stranger);
  EXPECT_EQ(MutexQueue::Remove(&queue, &stranger), nullptr);
  EXPECT_EQ(queue.count, 3u);
  EXPECT_EQ(MutexQueue::Remove(&queue, &records[2]), &records[2]);  // the tail
  EXPECT_EQ(queue.tail, &records[1]);
  EXPECT_EQ(records[2].queue, nullptr);
  EXPECT_EQ(MutexQueue::PopFront(&queue), &records[0]);
  EXPECT_EQ(MutexQueue::PopFront(&queue), &records[1]);
  EXPECT_EQ(queue.tail, nullptr);
  EXPECT_EQ(MutexQueue::PopFront(&queue), nullptr);
  MutexQueue::Destroy(&queue);
  EXPECT_EQ(queue.mutex, nullptr);
}

}  // namespace
