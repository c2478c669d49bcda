// The framework's byte stream: one record type over three kinds of storage (a disk file through a system file
// handle, a record inside a "CHNK" container, a memory handle), each kind filling the record's six operation
// slots. Streams are shared: opening the same disk file or container record again gives the open stream with
// one more use, and the last close releases it.
#pragma once

#include <cstdint>

#include "host/types.h"
#include "platform/core/file_ref.h"
#include "platform/core/memory.h"
#include "platform/core/platform_error.h"

struct PlatformStream;

struct StreamProcs {
  PlatformError (*read)(PlatformStream* stream, uint32_t n, void* buffer);
  PlatformError (*write)(PlatformStream* stream, uint32_t n, const void* buffer);
  PlatformError (*getSize)(PlatformStream* stream, uint32_t* out);
  PlatformError (*setSize)(PlatformStream* stream, uint32_t n);
  PlatformError (*getPosition)(PlatformStream* stream, uint32_t* out);
  PlatformError (*setPosition)(PlatformStream* stream, uint32_t n);
};

struct PlatformStream {
  PlatformStream* next;          // the following open stream, newest first
  uint32_t size;                 // bytes
  uint32_t position;             // where the next read or write happens
  int32_t useCount;
  uint8_t writable;
  StreamProcs procs;
  HANDLE file;                   // a disk file's handle; INVALID_HANDLE_VALUE otherwise
  char path[kWindowsPathSize];   // a disk file's full Windows path
  PlatformHandle* memory;        // a memory stream's handle
  PlatformStream* parent;        // a container record's container
  uint32_t recordIndex;          // the record's entry number in the parent's index
  PlatformHandle* chunkHeader;   // copies of the container header and index once read as a container
  PlatformHandle* chunkIndex;

  // Public stream operations; the folder and name resolve as in the file manager.
  static PlatformError Open(FolderRef folder, FolderRef name, int32_t permission, PlatformStream** out);
  static PlatformError Open(FolderRef folder, const char* name, int32_t permission, PlatformStream** out) {
    return Open(folder, AsFolderRef(name), permission, out);
  }
  static PlatformError Close(PlatformStream* stream);
  static PlatformError Flush(PlatformStream* stream);
  static PlatformError Read(PlatformStream* stream, uint32_t n, void* buffer);
  static PlatformError Write(PlatformStream* stream, uint32_t n, const void* buffer);
  static PlatformError GetSize(PlatformStream* stream, uint32_t* out);
  static PlatformError SetSize(PlatformStream* stream, uint32_t n);
  static PlatformError GetPosition(PlatformStream* stream, uint32_t* out);
  static PlatformError SetPosition(PlatformStream* stream, uint32_t n);

  // The stream of a reference with components (or of a container file): each component is a record of the
  // container before it. With `stopBeforeLast` the last component's escaped text goes to `lastName` (256 bytes)
  // and the stream of the container holding it is the result.
  static PlatformError OpenForRef(PlatformHandle* ref, bool write, bool stopBeforeLast, bool mustBeContainer,
                                  PlatformStream** out, char* lastName);
  static int32_t AddRef(PlatformStream* stream, int32_t n);
  static void Release(PlatformStream* stream);

  // A zeroed record with no file handle; null when out of memory.
  static PlatformStream* NewRecord();
  static void FreeRecord(PlatformStream* stream);
  static void Link(PlatformStream* stream);
  static void Unlink(PlatformStream* stream);
  static PlatformStream* FirstOpen();
};

struct Win32Stream {
  static const StreamProcs procs;
  static PlatformError Open(PlatformHandle* ref, bool writable, PlatformStream* stream);
};

struct ChunkRecordStream {
  static const StreamProcs procs;
};

struct MemoryStream {
  static const StreamProcs procs;
  // A stream over the handle: its size, position 0, writable, in the open list with one use.
  static PlatformError Open(PlatformHandle* handle, PlatformStream** out);
  static PlatformStream* FindByHandle(PlatformHandle* handle);
};

// Keeps a stream's position across an operation that moves it; a failed restore is reported only when the
// operation itself succeeded.
class SavedStreamPosition {
 public:
  explicit SavedStreamPosition(PlatformStream* stream) : stream_(stream) {
    stream_->procs.getPosition(stream_, &saved_);
  }
  PlatformError Restore(PlatformError result) {
    PlatformError restore = stream_->procs.setPosition(stream_, saved_);
    return result != kPlatformNoError ? result : restore;
  }

 private:
  PlatformStream* stream_;
  uint32_t saved_ = 0;
};
