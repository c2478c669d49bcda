// Fuzz target: the "CHNK" container reader and writer over arbitrary bytes in a memory stream. Reads the
// index, lists and opens every record (nested containers too), then adds and removes records, which grows or
// moves the index and record data inside a container that may be hostile.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "platform/core/chunk_file.h"
#include "platform/core/file_manager.h"
#include "platform/core/platform_stream.h"

namespace {

void ReadRecords(PlatformStream* container) {
  PlatformFileInfo info;
  for (uint32_t i = 0; i < 64 && ChunkFile::GetRecordInfo(container, i, &info, nullptr) == kPlatformNoError; ++i) {
    uint8_t name[256];
    if (DecodePathSegment(info.name, strnlen(info.name, sizeof(info.name)), name) != kPlatformNoError) continue;
    name[1 + name[0]] = 0;
    PlatformStream* record = nullptr;
    PlatformStream::AddRef(container, 1);
    if (ChunkFile::OpenRecordStream(container, reinterpret_cast<const char*>(name + 1), false, info.isFolder != 0,
                                    &record) != kPlatformNoError) {
      PlatformStream::AddRef(container, -1);
      continue;
    }
    PlatformStream::Link(record);
    uint8_t buffer[64];
    uint32_t n = record->size < sizeof(buffer) ? record->size : sizeof(buffer);
    PlatformStream::Read(record, n, buffer);
    PlatformStream::SetPosition(record, record->size);
    PlatformStream::Close(record);
  }
}

PlatformError CountItem(FolderRef, const char*, const PlatformFileInfo*, int32_t, int32_t, void* user) {
  return ++*static_cast<uint32_t*>(user) > 2000 ? kPlatformErrCancelled : kPlatformNoError;
}

// Walks the container as a folder through a reference rooted in a stream over its bytes, and opens its first
// record through the file manager, the way nested items are reached by path.
void WalkAsFolder(const uint8_t* data, size_t size) {
  PlatformHandle* bytes = PlatformHandle::FromBytes(data, static_cast<uint32_t>(size));
  PlatformStream* stream = nullptr;
  if (bytes == nullptr || MemoryStream::Open(bytes, &stream) != kPlatformNoError) {
    if (bytes != nullptr) PlatformHandle::Dispose(bytes);
    return;
  }
  PlatformHandle* rooted = FileRef::New();
  FileRef::Data(rooted)->rootStream = stream;
  FileRef::Register(rooted);
  uint32_t items = 0;
  PlatformEnumerateFolder(AsFolderRef(rooted), CountItem, &items, kWalkDescend);
  PlatformFileInfo first;
  if (PlatformGetIndexedFileInfo(AsFolderRef(rooted), 0, &first, true) == kPlatformNoError) {
    PlatformStream* record = nullptr;
    if (PlatformStream::Open(AsFolderRef(rooted), first.name, 0, &record) == kPlatformNoError) {
      PlatformStream::Close(record);
    }
  }
  PlatformReleaseFolder(AsFolderRef(rooted));
  PlatformHandle::Dispose(bytes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  static const bool started = PlatformFileSystemStartup() == kPlatformNoError;
  if (started) WalkAsFolder(data, size);
  PlatformHandle* handle = PlatformHandle::FromBytes(data, static_cast<uint32_t>(size));
  if (handle == nullptr) return 0;
  IsChunkData(handle);
  PlatformStream* stream = nullptr;
  if (MemoryStream::Open(handle, &stream) == kPlatformNoError) {
    if (ChunkFile::ReadIndex(stream) == kPlatformNoError) {
      ReadRecords(stream);
      PlatformFileInfo info = {};
      info.readable = 1;
      info.writable = 1;
      for (const char* name : {"added", "second"}) {
        std::snprintf(info.name, sizeof(info.name), "%s", name);
        ChunkFile::AddRecord(stream, &info);
      }
      PlatformFileInfo first;
      if (ChunkFile::GetRecordInfo(stream, 0, &first, nullptr) == kPlatformNoError) {
        ChunkFile::RemoveRecord(stream, first.name);
      }
      ReadRecords(stream);
    }
    PlatformStream::Close(stream);
  }
  PlatformHandle::Dispose(handle);
  return 0;
}
