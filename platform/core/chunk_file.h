// The "CHNK" container: a file (or any stream) holding named records with attributes and a type, so that it
// serves as a folder; records may themselves hold containers.
//
// Format, all numbers unsigned 32-bit big-endian: a header {"CHNK", header size, index offset, entry size,
// entry count} and an index of entries {name[64], attributes, data offset, data length, type}. Written files
// use a 20-byte header, the index right after it and 80-byte entries. A stream read as a container keeps
// copies of its header and index (PlatformStream::chunkHeader/chunkIndex); every change goes to both.
#pragma once

#include <cstdint>

#include "platform/core/file_ref.h"
#include "platform/core/platform_stream.h"

constexpr uint32_t kChunkHeaderSize = 20;
constexpr uint32_t kChunkEntrySize = 80;
constexpr uint32_t kChunkLargestEntrySize = 65536;  // larger stored entry sizes mark no container
constexpr uint32_t kChunkNameSize = 64;  // with the terminator: at most 63 name bytes
constexpr uint32_t kChunkDefaultEntries = 10;
constexpr uint32_t kChunkMaxCreateEntries = 1000;

constexpr uint32_t kChunkReadable = 1;
constexpr uint32_t kChunkWritable = 2;
constexpr uint32_t kChunkFolder = 4;
constexpr uint32_t kChunkHidden = 8;

// One index entry as stored (numbers big-endian).
struct ChunkIndexEntry {
  uint8_t name[kChunkNameSize];
  uint8_t attributes[4];
  uint8_t offset[4];
  uint8_t length[4];
  uint8_t type[4];
};
static_assert(sizeof(ChunkIndexEntry) == kChunkEntrySize, "an index entry is 80 bytes");

uint32_t ReadBigEndian32(const uint8_t* bytes);
void WriteBigEndian32(uint8_t* bytes, uint32_t value);

bool IsChunkFile(PlatformHandle* ref, uint32_t* entryCount);
bool IsChunkData(PlatformHandle* handle);

struct ChunkFile {
  static PlatformError ReadIndex(PlatformStream* stream);
  static PlatformError Create(PlatformStream* stream, uint32_t n);
  static bool FindRecord(PlatformStream* stream, const char* name, uint32_t* index, ChunkIndexEntry* entry);
  static PlatformError GetRecordInfo(PlatformStream* stream, uint32_t n, PlatformFileInfo* info,
                                     PlatformHandle* ref);
  // `name` is path text (decoded first).
  static PlatformError GetRecordInfoByName(PlatformStream* stream, const char* name, PlatformFileInfo* info,
                                           PlatformHandle* ref);
  static PlatformError AddRecord(PlatformStream* stream, const PlatformFileInfo* info);
  static PlatformError RemoveRecord(PlatformStream* stream, const char* name);
  static PlatformError MoveRecordData(PlatformStream* stream, uint32_t offset, uint32_t oldLength,
                                      uint32_t newLength, uint32_t* newOffset);
  // Opens the named record (a stored name, not path text) of an open container as a new stream with one use
  // that holds the container's use the caller passes on; with `readNested` its content is read as a container.
  static PlatformError OpenRecordStream(PlatformStream* container, const char* name, bool write, bool readNested,
                                        PlatformStream** out);
  static PlatformStream* FindOpenRecordStream(PlatformStream* container, const char* name);
  static PlatformError CountRecords(PlatformStream* container, const char* name, uint32_t* count);

  // The loaded index: entry count and entry size from the header copy, and entry i.
  static uint32_t EntryCount(PlatformStream* stream);
  static ChunkIndexEntry* Entry(PlatformStream* stream, uint32_t i);
  static PlatformError EnsureIndex(PlatformStream* stream);
};
