// Byte streams: sharing and use counts, reads and writes at the end, failed writes, sizes, read-only files and
// memory streams.
#include "platform/core/platform_stream.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "host/files.h"
#include "host/testing_files.h"
#include "tests/support/file_system_fixture.h"

namespace {

using Streams = FileSystemTest;

TEST_F(Streams, OpeningAFileAgainSharesOneStream) {
  temp_.WriteFile("shared.bin", "12345");
  PlatformStream* first = nullptr;
  PlatformStream* second = nullptr;
  PlatformStream* writer = nullptr;
  ASSERT_EQ(PlatformStream::Open(folder_, "shared.bin", 0, &first), kPlatformNoError);
  ASSERT_EQ(PlatformStream::Open(folder_, "shared.bin", 0, &second), kPlatformNoError);
  ASSERT_EQ(PlatformStream::Open(folder_, "shared.bin", 1, &writer), kPlatformNoError);
  EXPECT_EQ(first, second);
  EXPECT_EQ(first, writer);  // a writable file is always opened for writing
  EXPECT_EQ(first->useCount, 3);
  EXPECT_EQ(PlatformStream::Close(first), kPlatformNoError);
  EXPECT_EQ(PlatformStream::Close(second), kPlatformNoError);
  char bytes[5];
  EXPECT_EQ(PlatformStream::Read(writer, 5, bytes), kPlatformNoError);  // still open for the last user
  EXPECT_EQ(PlatformStream::Close(writer), kPlatformNoError);
  EXPECT_EQ(PlatformStream::FirstOpen(), nullptr);
}

TEST_F(Streams, ReadsAndPositionsStopAtTheEnd) {
  temp_.WriteFile("twenty", std::string(20, 'z'));
  PlatformStream* stream = nullptr;
  ASSERT_EQ(PlatformStream::Open(folder_, "twenty", 0, &stream), kPlatformNoError);
  char bytes[10];
  ASSERT_EQ(PlatformStream::SetPosition(stream, 15), kPlatformNoError);
  EXPECT_EQ(PlatformStream::Read(stream, 10, bytes), kPlatformErrEndOfStream);
  EXPECT_EQ(PlatformStream::Read(stream, 0xFFFFFFFFu, bytes), kPlatformErrEndOfStream);  // no wrap
  uint32_t position = 0;
  EXPECT_EQ(PlatformStream::GetPosition(stream, &position), kPlatformNoError);
  EXPECT_EQ(position, 15u);
  EXPECT_EQ(PlatformStream::SetPosition(stream, 20), kPlatformNoError);
  EXPECT_EQ(PlatformStream::SetPosition(stream, 21), kPlatformErrEndOfStream);
  PlatformStream::Close(stream);
}

TEST_F(Streams, AFileShorterThanItsStreamGivesAShortReadError) {
  temp_.WriteFile("shrinks", std::string(10, 'a'));
  PlatformStream* stream = nullptr;
  ASSERT_EQ(PlatformStream::Open(folder_, "shrinks", 0, &stream), kPlatformNoError);
  ASSERT_EQ(truncate(temp_.PosixPath("shrinks").c_str(), 4), 0);  // cut behind the stream's back
  char bytes[10];
  EXPECT_EQ(PlatformStream::Read(stream, 10, bytes), kPlatformErrEndOfStream);
  uint32_t position = 99;
  PlatformStream::GetPosition(stream, &position);
  EXPECT_EQ(position, 0u);
  PlatformStream::Close(stream);
}

TEST_F(Streams, WritesGrowTheFileAndFailedWritesKeepItsSize) {
  temp_.WriteFile("grow", "");
  PlatformStream* stream = nullptr;
  ASSERT_EQ(PlatformStream::Open(folder_, "grow", 1, &stream), kPlatformNoError);
  ASSERT_EQ(PlatformStream::Write(stream, 10, "0123456789"), kPlatformNoError);
  EXPECT_EQ(stream->size, 10u);
  EXPECT_EQ(stream->position, 10u);
  struct Fault {
    DWORD bytes;
    DWORD error;
    bool failExtend;
  };
  const Fault faults[] = {
      {3, ERROR_SUCCESS, false},    // short, and the system says nothing
      {0, ERROR_DISK_FULL, false},  // refused outright
      {0, ERROR_DISK_FULL, true},   // the disk cannot even grow
  };
  for (const Fault& f : faults) {
    HostFailFileWrites(1, f.bytes, f.error, f.failExtend);
    EXPECT_EQ(PlatformStream::Write(stream, 6, "abcdef"), kPlatformErrDiskFull);
    HostResetFileFaults();
    EXPECT_EQ(stream->size, 10u);
    EXPECT_EQ(stream->position, 10u);
    EXPECT_EQ(temp_.ReadFile("grow"), "0123456789");
  }
  ASSERT_EQ(PlatformStream::SetPosition(stream, 8), kPlatformNoError);
  ASSERT_EQ(PlatformStream::SetSize(stream, 5), kPlatformNoError);
  EXPECT_EQ(stream->position, 5u);  // a size below the position moves the position
  ASSERT_EQ(PlatformStream::Write(stream, 2, "XY"), kPlatformNoError);
  EXPECT_EQ(PlatformStream::Flush(stream), kPlatformNoError);
  EXPECT_EQ(temp_.ReadFile("grow"), "01234XY");
  PlatformStream::Close(stream);
}

TEST_F(Streams, ReadOnlyFilesRefuseWriting) {
  temp_.WriteFile("locked", "abc");
  ASSERT_EQ(chmod(temp_.PosixPath("locked").c_str(), 0444), 0);
  PlatformStream* stream = nullptr;
  EXPECT_EQ(PlatformStream::Open(folder_, "locked", 1, &stream), kPlatformErrAccessDenied);
  EXPECT_EQ(stream, nullptr);
  ASSERT_EQ(PlatformStream::Open(folder_, "locked", 0, &stream), kPlatformNoError);
  EXPECT_EQ(PlatformStream::Write(stream, 1, "x"), kPlatformErrAccessDenied);
  EXPECT_EQ(PlatformStream::SetSize(stream, 0), kPlatformErrAccessDenied);
  PlatformStream::Close(stream);
}

TEST_F(Streams, MemoryStreamsGrowTheirHandleAndProtectIt) {
  PlatformHandle* handle = PlatformHandle::FromBytes("abc", 3);
  ASSERT_NE(handle, nullptr);
  PlatformStream* stream = nullptr;
  ASSERT_EQ(MemoryStream::Open(handle, &stream), kPlatformNoError);
  EXPECT_EQ(MemoryStream::FindByHandle(handle), stream);
  ASSERT_EQ(PlatformStream::SetPosition(stream, 3), kPlatformNoError);
  ASSERT_EQ(PlatformStream::Write(stream, 4, "defg"), kPlatformNoError);
  EXPECT_EQ(PlatformHandle::GetSize(handle), 7u);
  EXPECT_EQ(std::string(static_cast<char*>(handle->data), 7), "abcdefg");
  char bytes[8];
  ASSERT_EQ(PlatformStream::SetPosition(stream, 0), kPlatformNoError);
  EXPECT_EQ(PlatformStream::Read(stream, 8, bytes), kPlatformErrEndOfStream);
  ASSERT_EQ(PlatformStream::SetSize(stream, 9), kPlatformNoError);
  EXPECT_EQ(static_cast<char*>(handle->data)[8], '\0');  // grown bytes are cleared
  EXPECT_EQ(PlatformHandle::Dispose(handle), kPlatformErrBadData);
  EXPECT_EQ(PlatformHandle::GetSize(handle), 9u);
  EXPECT_EQ(PlatformStream::Close(stream), kPlatformNoError);
  EXPECT_EQ(PlatformHandle::Dispose(handle), kPlatformNoError);
}

}  // namespace
