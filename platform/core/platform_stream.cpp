// The byte stream record, its three kinds (disk file, container record, memory handle), the shared list of
// open streams, and opening a reference as a stream.
#include "platform/core/platform_stream.h"

#include <cstring>

#include "host/files.h"
#include "platform/core/chunk_file.h"
#include "platform/core/strings.h"

namespace {

PlatformStream* openStreams = nullptr;

constexpr uint64_t kLargestStream = 0xFFFFFFFFu;

// Moves a disk file's pointer; false with the system error left for LastFileError.
bool SeekTo(HANDLE file, uint32_t position) {
  LONG high = 0;
  DWORD low = SetFilePointer(file, static_cast<LONG>(position), &high, FILE_BEGIN);
  return !(low == INVALID_SET_FILE_POINTER && GetLastError() != ERROR_SUCCESS);
}

// --- Disk file kind ---

PlatformError DiskRead(PlatformStream* s, uint32_t n, void* buffer) {
  DWORD got = 0;
  BOOL done = ReadFile(s->file, buffer, n, &got, nullptr);
  if (done && got == n) {
    s->position += n;
    return kPlatformNoError;
  }
  // A short read is a read past the end even though the system reports no error.
  PlatformError error = done ? kPlatformErrEndOfStream : LastFileError();
  SeekTo(s->file, s->position);
  return error;
}

PlatformError DiskWrite(PlatformStream* s, uint32_t n, const void* buffer) {
  if (!s->writable) return kPlatformErrAccessDenied;
  uint64_t end = uint64_t{s->position} + n;
  if (end > kLargestStream) return kPlatformErrDiskFull;
  uint32_t oldSize = s->size;
  if (end > s->size) {
    // Extend first, so that a full disk shows before any byte is written.
    if (!SeekTo(s->file, static_cast<uint32_t>(end))) return LastFileError();
    if (!SetEndOfFile(s->file)) {
      PlatformError error = LastFileError();
      SeekTo(s->file, s->position);
      return error;
    }
    if (!SeekTo(s->file, s->position)) return LastFileError();
  }
  DWORD put = 0;
  BOOL done = WriteFile(s->file, buffer, n, &put, nullptr);
  if (done && put == n) {
    s->position += n;
    if (s->position > s->size) s->size = s->position;
    return kPlatformNoError;
  }
  // A short write with no system error is still a failure: the disk took less than it was given.
  PlatformError error = done ? kPlatformErrDiskFull : LastFileError();
  SeekTo(s->file, oldSize);
  SetEndOfFile(s->file);
  SeekTo(s->file, s->position);
  return error;
}

PlatformError FieldSize(PlatformStream* s, uint32_t* out) {
  *out = s->size;
  return kPlatformNoError;
}

PlatformError FieldPosition(PlatformStream* s, uint32_t* out) {
  *out = s->position;
  return kPlatformNoError;
}

PlatformError DiskSetSize(PlatformStream* s, uint32_t n) {
  if (!s->writable) return kPlatformErrAccessDenied;
  if (!SeekTo(s->file, n)) return LastFileError();
  if (!SetEndOfFile(s->file)) {
    PlatformError error = LastFileError();
    SeekTo(s->file, s->position);
    return error;
  }
  s->size = n;
  if (n < s->position) {
    s->position = n;
  } else if (!SeekTo(s->file, s->position)) {
    return LastFileError();
  }
  return kPlatformNoError;
}

PlatformError DiskSetPosition(PlatformStream* s, uint32_t n) {
  if (!SeekTo(s->file, n)) return LastFileError();
  s->position = n;
  return kPlatformNoError;
}

// --- Container record kind ---

uint32_t RecordDataOffset(PlatformStream* s) {
  return ReadBigEndian32(ChunkFile::Entry(s->parent, s->recordIndex)->offset);
}

PlatformError RecordRead(PlatformStream* s, uint32_t n, void* buffer) {
  if (uint64_t{s->position} + n > s->size) return kPlatformErrEndOfStream;
  SavedStreamPosition saved(s->parent);
  PlatformError error = PlatformStream::SetPosition(s->parent, RecordDataOffset(s) + s->position);
  if (error == kPlatformNoError) error = PlatformStream::Read(s->parent, n, buffer);
  error = saved.Restore(error);
  if (error == kPlatformNoError) s->position += n;
  return error;
}

PlatformError RecordSetSize(PlatformStream* s, uint32_t n) {
  if (!s->writable) return kPlatformErrAccessDenied;
  PlatformStream* parent = s->parent;
  ChunkIndexEntry* entry = ChunkFile::Entry(parent, s->recordIndex);
  uint32_t newOffset = 0;
  SavedStreamPosition saved(parent);
  PlatformError error = ChunkFile::MoveRecordData(parent, ReadBigEndian32(entry->offset),
                                                  ReadBigEndian32(entry->length), n, &newOffset);
  if (error == kPlatformNoError) {
    entry = ChunkFile::Entry(parent, s->recordIndex);
    WriteBigEndian32(entry->offset, newOffset);
    WriteBigEndian32(entry->length, n);
    const uint8_t* header = static_cast<const uint8_t*>(parent->chunkHeader->data);
    uint64_t at = uint64_t{ReadBigEndian32(header + 8)} + uint64_t{s->recordIndex} * ReadBigEndian32(header + 12);
    error = PlatformStream::SetPosition(parent, static_cast<uint32_t>(at));
    if (error == kPlatformNoError) error = PlatformStream::Write(parent, sizeof(ChunkIndexEntry), entry);
  }
  error = saved.Restore(error);
  if (error != kPlatformNoError) return error;
  s->size = n;
  if (s->position > n) s->position = n;
  return kPlatformNoError;
}

PlatformError RecordWrite(PlatformStream* s, uint32_t n, const void* buffer) {
  if (!s->writable) return kPlatformErrAccessDenied;
  uint64_t end = uint64_t{s->position} + n;
  if (end > kLargestStream) return kPlatformErrDiskFull;
  if (end > s->size) {
    PlatformError error = RecordSetSize(s, static_cast<uint32_t>(end));
    if (error != kPlatformNoError) return error;
  }
  SavedStreamPosition saved(s->parent);
  PlatformError error = PlatformStream::SetPosition(s->parent, RecordDataOffset(s) + s->position);
  if (error == kPlatformNoError) error = PlatformStream::Write(s->parent, n, buffer);
  error = saved.Restore(error);
  if (error != kPlatformNoError) return error;
  s->position += n;
  if (s->position > s->size) s->size = s->position;
  return kPlatformNoError;
}

PlatformError RecordSetPosition(PlatformStream* s, uint32_t n) {
  if (n > s->size) return kPlatformErrEndOfStream;
  s->position = n;
  return kPlatformNoError;
}

// --- Memory handle kind ---

PlatformError MemoryRead(PlatformStream* s, uint32_t n, void* buffer) {
  uint32_t size = PlatformHandle::GetSize(s->memory);
  if (uint64_t{s->position} + n > size) return kPlatformErrEndOfStream;
  PlatformMoveBlock(buffer, static_cast<const uint8_t*>(s->memory->data) + s->position, n);
  s->position += n;
  return kPlatformNoError;
}

PlatformError MemoryResize(PlatformStream* s, uint32_t n) {
  uint32_t old = PlatformHandle::GetSize(s->memory);
  PlatformError error = PlatformHandle::SetSize(s->memory, n);
  if (error != kPlatformNoError) return error;
  if (n > old) PlatformClearBlock(static_cast<uint8_t*>(s->memory->data) + old, n - old);  // no stale bytes
  s->size = n;
  return kPlatformNoError;
}

PlatformError MemoryWrite(PlatformStream* s, uint32_t n, const void* buffer) {
  uint64_t end = uint64_t{s->position} + n;
  if (end > kLargestStream) return kPlatformErrNoMemory;
  if (end > PlatformHandle::GetSize(s->memory)) {
    PlatformError error = MemoryResize(s, static_cast<uint32_t>(end));
    if (error != kPlatformNoError) return error;
  }
  PlatformMoveBlock(static_cast<uint8_t*>(s->memory->data) + s->position, buffer, n);
  s->position += n;
  return kPlatformNoError;
}

PlatformError MemoryGetSize(PlatformStream* s, uint32_t* out) {
  *out = PlatformHandle::GetSize(s->memory);
  return kPlatformNoError;
}

PlatformError MemorySetSize(PlatformStream* s, uint32_t n) {
  PlatformError error = MemoryResize(s, n);
  if (error != kPlatformNoError) return error;
  if (s->position > n) s->position = n;
  return kPlatformNoError;
}

PlatformError MemorySetPosition(PlatformStream* s, uint32_t n) {
  s->position = n;
  return kPlatformNoError;
}

}  // namespace

const StreamProcs Win32Stream::procs = {DiskRead, DiskWrite, FieldSize, DiskSetSize, FieldPosition,
                                        DiskSetPosition};
const StreamProcs ChunkRecordStream::procs = {RecordRead, RecordWrite, FieldSize, RecordSetSize, FieldPosition,
                                              RecordSetPosition};
const StreamProcs MemoryStream::procs = {MemoryRead, MemoryWrite, MemoryGetSize, MemorySetSize, FieldPosition,
                                         MemorySetPosition};

PlatformStream* PlatformStream::NewRecord() {
  auto* stream = static_cast<PlatformStream*>(PlatformNewPointer(sizeof(PlatformStream)));
  if (stream == nullptr) return nullptr;
  PlatformClearBlock(stream, sizeof(PlatformStream));
  stream->file = INVALID_HANDLE_VALUE;
  return stream;
}

void PlatformStream::FreeRecord(PlatformStream* stream) {
  Release(stream);
  PlatformDisposePointer(stream);
}

void PlatformStream::Link(PlatformStream* stream) {
  stream->next = openStreams;
  openStreams = stream;
}

void PlatformStream::Unlink(PlatformStream* stream) {
  for (PlatformStream** link = &openStreams; *link != nullptr; link = &(*link)->next) {
    if (*link == stream) {
      *link = stream->next;
      break;
    }
  }
  stream->next = nullptr;
}

PlatformStream* PlatformStream::FirstOpen() { return openStreams; }

int32_t PlatformStream::AddRef(PlatformStream* stream, int32_t n) {
  stream->useCount += n;
  return stream->useCount;
}

void PlatformStream::Release(PlatformStream* stream) {
  if (stream->chunkHeader != nullptr) PlatformHandle::Dispose(stream->chunkHeader);
  if (stream->chunkIndex != nullptr) PlatformHandle::Dispose(stream->chunkIndex);
  stream->chunkHeader = nullptr;
  stream->chunkIndex = nullptr;
}

PlatformError PlatformStream::Close(PlatformStream* stream) {
  if (stream == nullptr) return kPlatformErrBadData;
  if (AddRef(stream, -1) > 0) return kPlatformNoError;
  Unlink(stream);
  Release(stream);
  PlatformError error = kPlatformNoError;
  if (stream->parent != nullptr) {
    error = Close(stream->parent);
  } else if (stream->memory != nullptr) {
    stream->memory = nullptr;
  } else if (stream->file != INVALID_HANDLE_VALUE) {
    HANDLE file = stream->file;
    stream->file = INVALID_HANDLE_VALUE;
    if (!CloseHandle(file)) error = LastFileError();
  }
  if (error != kPlatformNoError) {
    // A failed close keeps the stream listed, with the use it still needs to be closed again.
    stream->useCount = 1;
    Link(stream);
    return error;
  }
  PlatformDisposePointer(stream);
  return kPlatformNoError;
}

PlatformError PlatformStream::Flush(PlatformStream* stream) {
  if (stream == nullptr) return kPlatformErrBadData;
  if (stream->parent != nullptr) return Flush(stream->parent);
  if (stream->memory != nullptr) return kPlatformNoError;
  return FlushFileBuffers(stream->file) ? kPlatformNoError : LastFileError();
}

PlatformError PlatformStream::Read(PlatformStream* stream, uint32_t n, void* buffer) {
  if (stream == nullptr) return kPlatformErrBadData;
  uint32_t size = 0;
  PlatformError error = stream->procs.getSize(stream, &size);
  if (error != kPlatformNoError) return error;
  if (uint64_t{stream->position} + n > size) return kPlatformErrEndOfStream;
  return stream->procs.read(stream, n, buffer);
}

PlatformError PlatformStream::Write(PlatformStream* stream, uint32_t n, const void* buffer) {
  if (stream == nullptr) return kPlatformErrBadData;
  return stream->procs.write(stream, n, buffer);
}

PlatformError PlatformStream::GetSize(PlatformStream* stream, uint32_t* out) {
  *out = 0;
  if (stream == nullptr) return kPlatformErrBadData;
  return stream->procs.getSize(stream, out);
}

PlatformError PlatformStream::SetSize(PlatformStream* stream, uint32_t n) {
  if (stream == nullptr) return kPlatformErrBadData;
  return stream->procs.setSize(stream, n);
}

PlatformError PlatformStream::GetPosition(PlatformStream* stream, uint32_t* out) {
  *out = 0;
  if (stream == nullptr) return kPlatformErrBadData;
  return stream->procs.getPosition(stream, out);
}

PlatformError PlatformStream::SetPosition(PlatformStream* stream, uint32_t n) {
  if (stream == nullptr) return kPlatformErrBadData;
  uint32_t size = 0;
  PlatformError error = stream->procs.getSize(stream, &size);
  if (error != kPlatformNoError) return error;
  if (n > size) return kPlatformErrEndOfStream;
  return stream->procs.setPosition(stream, n);
}

PlatformError Win32Stream::Open(PlatformHandle* ref, bool writable, PlatformStream* stream) {
  char path[kWindowsPathSize];
  FileRef::GetWindowsPath(ref, path);
  UINT oldMode = writable ? 0 : SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  HANDLE file = CreateFileA(path, GENERIC_READ | (writable ? GENERIC_WRITE : 0), FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  PlatformError error = file == INVALID_HANDLE_VALUE ? LastFileError() : kPlatformNoError;
  if (!writable) SetErrorMode(oldMode);
  if (error != kPlatformNoError) return error;
  DWORD high = 0;
  DWORD size = GetFileSize(file, &high);
  if (size == INVALID_FILE_SIZE && GetLastError() != ERROR_SUCCESS) {
    error = LastFileError();
  } else if (high != 0) {
    error = kPlatformErrFile;  // a stream counts its bytes in 32 bits
  }
  if (error != kPlatformNoError) {
    CloseHandle(file);
    return error;
  }
  stream->file = file;
  PlatformCopyStringBounded(stream->path, path, kWindowsPathSize);
  stream->position = 0;
  stream->size = size;
  stream->writable = writable ? 1 : 0;
  stream->procs = procs;
  return kPlatformNoError;
}

PlatformError MemoryStream::Open(PlatformHandle* handle, PlatformStream** out) {
  *out = nullptr;
  if (handle == nullptr) return kPlatformErrBadData;
  PlatformStream* stream = PlatformStream::NewRecord();
  if (stream == nullptr) return kPlatformErrNoMemory;
  stream->memory = handle;
  stream->size = PlatformHandle::GetSize(handle);
  stream->writable = 1;
  stream->procs = procs;
  stream->useCount = 1;
  PlatformStream::Link(stream);
  *out = stream;
  return kPlatformNoError;
}

PlatformStream* MemoryStream::FindByHandle(PlatformHandle* handle) {
  for (PlatformStream* s = openStreams; s != nullptr; s = s->next) {
    if (s->parent == nullptr && s->memory == handle) return s;
  }
  return nullptr;
}

bool FileRef::HasStream(PlatformHandle* handle) { return MemoryStream::FindByHandle(handle) != nullptr; }

PlatformError FileRef::OpenStream(PlatformHandle* ref, bool needWrite, PlatformStream** out) {
  *out = nullptr;
  FileRefData* data = Data(ref);
  if (data->rootStream != nullptr) {
    PlatformStream::AddRef(data->rootStream, 1);
    *out = data->rootStream;
    return kPlatformNoError;
  }
  char path[kWindowsPathSize];
  GetWindowsPath(ref, path);
  for (PlatformStream* s = openStreams; s != nullptr; s = s->next) {
    if (s->parent == nullptr && s->memory == nullptr && std::strcmp(s->path, path) == 0 &&
        (s->writable || !needWrite)) {
      PlatformStream::AddRef(s, 1);
      *out = s;
      return kPlatformNoError;
    }
  }
  PlatformStream* stream = PlatformStream::NewRecord();
  if (stream == nullptr) return kPlatformErrNoMemory;
  PlatformFileInfo info;
  PlatformError error = GetInfo(ref, &info, false);
  if (error == kPlatformNoError && needWrite && !info.writable) error = kPlatformErrAccessDenied;
  // Whatever was asked, a file that is not read-only is opened for writing, so later writers share it.
  if (error == kPlatformNoError) error = Win32Stream::Open(ref, info.writable != 0, stream);
  if (error != kPlatformNoError) {
    PlatformStream::FreeRecord(stream);
    return error;
  }
  stream->useCount = 1;
  PlatformStream::Link(stream);
  *out = stream;
  return kPlatformNoError;
}

PlatformError PlatformStream::OpenForRef(PlatformHandle* ref, bool write, bool stopBeforeLast,
                                         bool mustBeContainer, PlatformStream** out, char* lastName) {
  *out = nullptr;
  if (lastName != nullptr) lastName[0] = '\0';
  uint8_t wasLocked = PlatformHandle::SetLocked(ref, 1);
  PlatformStream* root = nullptr;
  PlatformError error = FileRef::OpenStream(ref, write, &root);
  if (error != kPlatformNoError) {
    PlatformHandle::SetLocked(ref, wasLocked);
    return error;
  }
  // Without a header copy the content is read as a container now; a file that is none is refused here
  // whether or not the caller asked for the test.
  (void)mustBeContainer;
  if (root->chunkIndex == nullptr) error = ChunkFile::ReadIndex(root);
  if (error == kPlatformNoError && write && !root->writable) error = kPlatformErrAccessDenied;
  if (error != kPlatformNoError) {
    Close(root);
    PlatformHandle::SetLocked(ref, wasLocked);
    return error;
  }
  uint32_t rootPosition = root->position;
  PlatformStream* current = root;  // the walk holds one use of it
  const uint8_t* chain = FileRef::Data(ref)->components;
  size_t p = 0;
  while (chain[p] != 0) {
    size_t length = chain[p];
    bool last = chain[p + 1 + length] == 0;
    char name[256];
    std::memcpy(name, chain + p + 1, length);
    name[length] = '\0';
    p += 1 + length;
    if (last && stopBeforeLast) {
      if (lastName != nullptr) EscapePathName(reinterpret_cast<const uint8_t*>(name), length, lastName, 256);
      break;
    }
    PlatformStream* record = ChunkFile::FindOpenRecordStream(current, name);
    if (record != nullptr) {
      AddRef(record, 1);
      Close(current);  // the open record already holds its own use of the container
      if (!last && record->chunkIndex == nullptr) error = ChunkFile::ReadIndex(record);
      if (error == kPlatformNoError && write && !record->writable) error = kPlatformErrAccessDenied;
      current = record;
    } else {
      error = ChunkFile::OpenRecordStream(current, name, write, !last, &record);
      if (error == kPlatformNoError) {
        Link(record);  // it holds the use of the container the walk had
        current = record;
      }
    }
    if (error != kPlatformNoError) {
      if (!last) error = kPlatformErrPathNotFound;
      break;
    }
  }
  root->procs.setPosition(root, rootPosition);
  PlatformHandle::SetLocked(ref, wasLocked);
  if (error != kPlatformNoError) {
    Close(current);
    return error;
  }
  *out = current;
  return kPlatformNoError;
}
