// Fuzz target: the "CHNK" container reader and writer over arbitrary bytes in a memory stream. Reads the
// index, lists and opens every record (nested containers too), then adds and removes records, which grows or
// moves the index and record data inside a container that may be hostile.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "platform/core/chunk_file.h"
#include "platform/core/platform_stream.h"

namespace {

void ReadRecords(PlatformStream* container) {
  PlatformFileInfo info;
  for (uint32_t i = 0; i < 64 && ChunkFile::GetRecordInfo(container, i, &info, nullptr) == kPlatformNoError; ++i) {
    uint8_t name[256];
    if (DecodePathPiece(info.name, strnlen(info.name, sizeof(info.name)), name) != kPlatformNoError) continue;
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
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
