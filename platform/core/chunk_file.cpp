// The "CHNK" container: validity, the header and index copies, finding, adding, removing and opening records,
// and moving record data inside the container.
//
// Stored headers are not trusted: the entry size must be at least 80 bytes (an entry is always handled whole)
// and at most 64 KiB (so that growing the index cannot ask for gigabytes),
// the index must lie after the header and inside the container (sums in 64 bits), record names are read only
// within their 64 bytes, and a record's data must lie inside its container.
#include "platform/core/chunk_file.h"

#include <cstring>

namespace {

constexpr uint32_t kMagic = 0x43484E4Bu;  // "CHNK"
constexpr uint32_t kCopyBlock = 32768;
constexpr uint64_t kLargestStream = 0xFFFFFFFFu;

struct Header {
  uint32_t headerSize;
  uint32_t indexOffset;
  uint32_t entrySize;
  uint32_t entryCount;
};

bool ParseHeader(const uint8_t* bytes, uint64_t length, Header* header) {
  if (length < kChunkHeaderSize || ReadBigEndian32(bytes) != kMagic) return false;
  header->headerSize = ReadBigEndian32(bytes + 4);
  header->indexOffset = ReadBigEndian32(bytes + 8);
  header->entrySize = ReadBigEndian32(bytes + 12);
  header->entryCount = ReadBigEndian32(bytes + 16);
  if (header->headerSize < kChunkHeaderSize || header->headerSize > length) return false;
  if (header->entrySize < kChunkEntrySize || header->entrySize > kChunkLargestEntrySize) return false;
  if (header->indexOffset < header->headerSize) return false;
  uint64_t indexEnd = uint64_t{header->indexOffset} + uint64_t{header->entrySize} * header->entryCount;
  return indexEnd <= length;
}

PlatformError ReadAt(PlatformStream* stream, uint32_t offset, uint32_t n, void* buffer) {
  PlatformError error = PlatformStream::SetPosition(stream, offset);
  return error != kPlatformNoError ? error : PlatformStream::Read(stream, n, buffer);
}

PlatformError WriteAt(PlatformStream* stream, uint64_t offset, uint32_t n, const void* buffer) {
  if (offset > kLargestStream) return kPlatformErrBadContainer;
  PlatformError error = PlatformStream::SetPosition(stream, static_cast<uint32_t>(offset));
  return error != kPlatformNoError ? error : PlatformStream::Write(stream, n, buffer);
}

PlatformError WriteZeros(PlatformStream* stream, uint64_t offset, uint64_t n) {
  if (n == 0) return kPlatformNoError;
  uint32_t block = n < kCopyBlock ? static_cast<uint32_t>(n) : kCopyBlock;
  void* zeros = PlatformNewPointer(block);
  if (zeros == nullptr) return kPlatformErrNoMemory;
  PlatformClearBlock(zeros, block);
  PlatformError error = kPlatformNoError;
  while (n != 0 && error == kPlatformNoError) {
    uint32_t step = n < block ? static_cast<uint32_t>(n) : block;
    error = WriteAt(stream, offset, step, zeros);
    offset += step;
    n -= step;
  }
  PlatformDisposePointer(zeros);
  return error;
}

uint8_t* HeaderBytes(PlatformStream* stream) { return static_cast<uint8_t*>(stream->chunkHeader->data); }
uint32_t IndexOffset(PlatformStream* stream) { return ReadBigEndian32(HeaderBytes(stream) + 8); }
uint32_t EntrySize(PlatformStream* stream) { return ReadBigEndian32(HeaderBytes(stream) + 12); }

size_t NameLength(const ChunkIndexEntry* entry) {
  return strnlen(reinterpret_cast<const char*>(entry->name), kChunkNameSize);
}

uint32_t CountUsed(PlatformStream* stream) {
  uint32_t count = 0;
  for (uint32_t i = 0; i < ChunkFile::EntryCount(stream); ++i) {
    if (ChunkFile::Entry(stream, i)->name[0] != 0) ++count;
  }
  return count;
}

// Writes entry i of the index copy back to the stream.
PlatformError WriteEntry(PlatformStream* stream, uint32_t i) {
  uint64_t at = uint64_t{IndexOffset(stream)} + uint64_t{i} * EntrySize(stream);
  return WriteAt(stream, at, EntrySize(stream), ChunkFile::Entry(stream, i));
}

PlatformError WriteHeader(PlatformStream* stream) {
  return WriteAt(stream, 0, stream->chunkHeader->size, HeaderBytes(stream));
}

// The length a name has as stored: a longer name is cut to the 63 bytes an entry holds.
size_t StoredLength(size_t length) { return length < kChunkNameSize ? length : kChunkNameSize - 1; }

// A record name from path text: decoded, not empty, and cut to the length it is stored with. An empty name is
// refused: stored, it would read as a free entry, and the record with its data would be lost.
PlatformError RecordName(const char* text, char* name) {
  uint8_t decoded[256];
  PlatformError error = DecodePathSegment(text, strnlen(text, 255 * 3), decoded);
  if (error != kPlatformNoError) return error;
  if (decoded[0] == 0) return kPlatformErrBadFileName;
  size_t length = StoredLength(decoded[0]);
  std::memcpy(name, decoded + 1, length);
  name[length] = '\0';
  return kPlatformNoError;
}

PlatformError FillRecordInfo(PlatformStream* stream, uint32_t i, PlatformFileInfo* info, PlatformHandle* ref) {
  PlatformClearBlock(info, sizeof(*info));
  const ChunkIndexEntry entry = *ChunkFile::Entry(stream, i);
  size_t nameLength = NameLength(&entry);
  char name[kChunkNameSize + 1];
  std::memcpy(name, entry.name, nameLength);
  name[nameLength] = '\0';
  EscapePathName(entry.name, nameLength, info->name, sizeof(info->name));
  uint32_t attributes = ReadBigEndian32(entry.attributes);
  info->readable = (attributes & kChunkReadable) ? 1 : 0;
  info->writable = (attributes & kChunkWritable) ? 1 : 0;
  info->isFolder = (attributes & kChunkFolder) ? 1 : 0;
  info->hidden = (attributes & kChunkHidden) ? 1 : 0;
  info->isContainer = info->isFolder;
  if (ref != nullptr && FileRef::Data(ref)->rootStream == nullptr) {
    FileRef::GetTimes(ref, &info->created, &info->modified);
  }
  if (info->isFolder) {
    // A folder record whose content is no container shows as empty.
    if (ChunkFile::CountRecords(stream, name, &info->size) != kPlatformNoError) info->size = 0;
  } else {
    info->size = ReadBigEndian32(entry.length);
    info->type = ReadBigEndian32(entry.type);
    info->creator = GetFileTypeForName(name, info->type).creator;
  }
  return kPlatformNoError;
}

}  // namespace

uint32_t ReadBigEndian32(const uint8_t* bytes) {
  return (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) | (uint32_t{bytes[2]} << 8) | bytes[3];
}

void WriteBigEndian32(uint8_t* bytes, uint32_t value) {
  bytes[0] = static_cast<uint8_t>(value >> 24);
  bytes[1] = static_cast<uint8_t>(value >> 16);
  bytes[2] = static_cast<uint8_t>(value >> 8);
  bytes[3] = static_cast<uint8_t>(value);
}

bool IsChunkFile(PlatformHandle* ref, uint32_t* entryCount) {
  if (entryCount != nullptr) *entryCount = 0;
  PlatformStream* stream = nullptr;
  PlatformError error = FileRef::HasComponents(ref)
                            ? PlatformStream::OpenForRef(ref, false, false, false, &stream, nullptr)
                            : FileRef::OpenStream(ref, false, &stream);
  if (error != kPlatformNoError) return false;
  uint32_t size = 0;
  PlatformStream::GetSize(stream, &size);
  uint8_t bytes[kChunkHeaderSize];
  Header header;
  bool valid = false;
  if (size >= kChunkHeaderSize) {
    SavedStreamPosition saved(stream);
    error = saved.Restore(ReadAt(stream, 0, kChunkHeaderSize, bytes));
    valid = error == kPlatformNoError && ParseHeader(bytes, size, &header);
  }
  PlatformStream::Close(stream);
  if (valid && entryCount != nullptr) *entryCount = header.entryCount;
  return valid;
}

bool IsChunkData(PlatformHandle* handle) {
  Header header;
  return handle != nullptr && ParseHeader(static_cast<const uint8_t*>(handle->data), handle->size, &header);
}

PlatformError ChunkFile::ReadIndex(PlatformStream* stream) {
  PlatformStream::Release(stream);
  uint32_t size = 0;
  PlatformError error = PlatformStream::GetSize(stream, &size);
  if (error != kPlatformNoError) return error;
  if (size < kChunkHeaderSize) return kPlatformErrBadContainer;
  SavedStreamPosition saved(stream);
  uint8_t bytes[kChunkHeaderSize];
  Header header;
  error = ReadAt(stream, 0, kChunkHeaderSize, bytes);
  if (error == kPlatformNoError && !ParseHeader(bytes, size, &header)) error = kPlatformErrBadContainer;
  if (error == kPlatformNoError) {
    stream->chunkHeader = PlatformHandle::New(header.headerSize);
    uint64_t indexBytes = uint64_t{header.entrySize} * header.entryCount;  // within the stream: fits 32 bits
    stream->chunkIndex = PlatformHandle::New(static_cast<uint32_t>(indexBytes));
    if (stream->chunkHeader == nullptr || stream->chunkIndex == nullptr) error = kPlatformErrNoMemory;
    if (error == kPlatformNoError) error = ReadAt(stream, 0, header.headerSize, stream->chunkHeader->data);
    if (error == kPlatformNoError && indexBytes != 0) {
      error = ReadAt(stream, header.indexOffset, static_cast<uint32_t>(indexBytes), stream->chunkIndex->data);
    }
  }
  error = saved.Restore(error);
  if (error != kPlatformNoError) PlatformStream::Release(stream);
  return error;
}

PlatformError ChunkFile::EnsureIndex(PlatformStream* stream) {
  return stream->chunkIndex != nullptr ? kPlatformNoError : ReadIndex(stream);
}

uint32_t ChunkFile::EntryCount(PlatformStream* stream) { return ReadBigEndian32(HeaderBytes(stream) + 16); }

ChunkIndexEntry* ChunkFile::Entry(PlatformStream* stream, uint32_t i) {
  return reinterpret_cast<ChunkIndexEntry*>(static_cast<uint8_t*>(stream->chunkIndex->data) +
                                            size_t{i} * EntrySize(stream));
}

PlatformError ChunkFile::Create(PlatformStream* stream, uint32_t n) {
  uint32_t size = 0;
  PlatformError error = PlatformStream::GetSize(stream, &size);
  if (error != kPlatformNoError) return error;
  if (size != 0) return kPlatformErrBadContainer;
  if (n == 0 || n > kChunkMaxCreateEntries) n = kChunkDefaultEntries;
  SavedStreamPosition saved(stream);
  error = PlatformStream::SetSize(stream, kChunkHeaderSize + kChunkEntrySize * n);
  uint8_t header[kChunkHeaderSize];
  WriteBigEndian32(header, kMagic);
  WriteBigEndian32(header + 4, kChunkHeaderSize);
  WriteBigEndian32(header + 8, kChunkHeaderSize);
  WriteBigEndian32(header + 12, kChunkEntrySize);
  WriteBigEndian32(header + 16, n);
  if (error == kPlatformNoError) error = WriteAt(stream, 0, kChunkHeaderSize, header);
  if (error == kPlatformNoError) error = WriteZeros(stream, kChunkHeaderSize, uint64_t{kChunkEntrySize} * n);
  return saved.Restore(error);
}

bool ChunkFile::FindRecord(PlatformStream* stream, const char* name, uint32_t* index, ChunkIndexEntry* entry) {
  if (stream->chunkIndex == nullptr) return false;
  // Names compare as stored, cut to 63 bytes: a long name finds the record it was stored as, and a stored name
  // that fills its 64 bytes without a terminator is found by the name it is listed with.
  size_t length = StoredLength(std::strlen(name));
  for (uint32_t i = 0; i < EntryCount(stream); ++i) {
    const ChunkIndexEntry* candidate = Entry(stream, i);
    bool found = length == 0 ? candidate->name[0] == 0
                             : StoredLength(NameLength(candidate)) == length && std::memcmp(candidate->name, name, length) == 0;
    if (found) {
      if (index != nullptr) *index = i;
      if (entry != nullptr) *entry = *candidate;
      return true;
    }
  }
  return false;
}

PlatformError ChunkFile::GetRecordInfo(PlatformStream* stream, uint32_t n, PlatformFileInfo* info,
                                       PlatformHandle* ref) {
  PlatformError error = EnsureIndex(stream);
  if (error != kPlatformNoError) return error;
  for (uint32_t i = 0; i < EntryCount(stream); ++i) {
    if (Entry(stream, i)->name[0] == 0) continue;
    if (n-- == 0) return FillRecordInfo(stream, i, info, ref);
  }
  return kPlatformErrFileNotFound;
}

PlatformError ChunkFile::GetRecordInfoByName(PlatformStream* stream, const char* text, PlatformFileInfo* info,
                                             PlatformHandle* ref) {
  char name[kChunkNameSize];
  PlatformError error = RecordName(text, name);
  if (error == kPlatformErrBadFileName && std::strpbrk(text, ":\\") == nullptr) error = kPlatformErrFileNotFound;
  if (error == kPlatformNoError) error = EnsureIndex(stream);
  if (error != kPlatformNoError) return error;
  uint32_t index = 0;
  if (!FindRecord(stream, name, &index, nullptr)) return kPlatformErrFileNotFound;
  return FillRecordInfo(stream, index, info, ref);
}

PlatformError ChunkFile::MoveRecordData(PlatformStream* stream, uint32_t offset, uint32_t oldLength,
                                        uint32_t newLength, uint32_t* newOffset) {
  *newOffset = newLength != 0 ? offset : 0;
  if (offset == 0 && oldLength != 0) return kPlatformErrBadContainer;
  if (oldLength == newLength) return kPlatformNoError;
  uint32_t size = 0;
  PlatformError error = PlatformStream::GetSize(stream, &size);
  if (error != kPlatformNoError) return error;
  SavedStreamPosition saved(stream);
  if (uint64_t{offset} + oldLength == size) {
    // The data ends the container: it grows or shrinks where it is.
    uint64_t end = uint64_t{offset} + newLength;
    if (end > kLargestStream) return kPlatformErrDiskFull;
    return saved.Restore(PlatformStream::SetSize(stream, static_cast<uint32_t>(end)));
  }
  if (newLength < oldLength) return kPlatformNoError;  // the tail stays behind as free space
  if (uint64_t{offset} + oldLength > size) return kPlatformErrBadContainer;
  uint64_t grown = uint64_t{size} + newLength;
  if (grown > kLargestStream) return kPlatformErrDiskFull;
  error = PlatformStream::SetSize(stream, static_cast<uint32_t>(grown));
  uint32_t block = newLength < kCopyBlock ? newLength : kCopyBlock;
  void* buffer = error == kPlatformNoError ? PlatformNewPointer(block) : nullptr;
  if (error == kPlatformNoError && buffer == nullptr) error = kPlatformErrNoMemory;
  for (uint32_t done = 0; error == kPlatformNoError && done < oldLength;) {
    uint32_t step = oldLength - done < block ? oldLength - done : block;
    error = ReadAt(stream, offset + done, step, buffer);
    if (error == kPlatformNoError) error = WriteAt(stream, uint64_t{size} + done, step, buffer);
    done += step;
  }
  PlatformDisposePointer(buffer);
  if (error == kPlatformNoError) error = WriteZeros(stream, uint64_t{size} + oldLength, newLength - oldLength);
  if (error == kPlatformNoError) *newOffset = size;
  return saved.Restore(error);
}

PlatformError ChunkFile::AddRecord(PlatformStream* stream, const PlatformFileInfo* info) {
  char name[kChunkNameSize];
  PlatformError error = RecordName(info->name, name);
  if (error == kPlatformNoError) error = EnsureIndex(stream);
  if (error != kPlatformNoError) return error;
  if (!stream->writable) return kPlatformErrAccessDenied;
  if (FindRecord(stream, name, nullptr, nullptr)) return kPlatformErrFileExists;
  SavedStreamPosition saved(stream);
  uint32_t index = 0;
  if (!FindRecord(stream, "", &index, nullptr)) {
    // No free entry: the index grows to twice its entries, in place when it ends the container, else moved to
    // the end. An index of no entries, which doubling would leave empty, grows to the ten of a new container.
    uint32_t count = EntryCount(stream);
    uint32_t entrySize = EntrySize(stream);
    uint64_t newCount = count == 0 ? kChunkDefaultEntries : uint64_t{count} * 2;
    uint64_t oldBytes = uint64_t{entrySize} * count;
    uint64_t newBytes = uint64_t{entrySize} * newCount;
    if (newBytes > kLargestStream) return saved.Restore(kPlatformErrDiskFull);
    uint32_t newOffset = 0;
    error = MoveRecordData(stream, IndexOffset(stream), static_cast<uint32_t>(oldBytes),
                           static_cast<uint32_t>(newBytes), &newOffset);
    if (error == kPlatformNoError) {
      WriteBigEndian32(HeaderBytes(stream) + 8, newOffset);
      error = WriteHeader(stream);
    }
    if (error == kPlatformNoError) error = PlatformHandle::SetSize(stream->chunkIndex, static_cast<uint32_t>(newBytes));
    if (error == kPlatformNoError) {
      PlatformClearBlock(static_cast<uint8_t*>(stream->chunkIndex->data) + oldBytes, newBytes - oldBytes);
      WriteBigEndian32(HeaderBytes(stream) + 16, static_cast<uint32_t>(newCount));
      error = WriteHeader(stream);
    }
    if (error == kPlatformNoError) error = WriteZeros(stream, uint64_t{newOffset} + oldBytes, newBytes - oldBytes);
    if (error != kPlatformNoError) return saved.Restore(error);
    index = count;
  }
  ChunkIndexEntry* entry = Entry(stream, index);
  PlatformClearBlock(entry, EntrySize(stream));
  std::memcpy(entry->name, name, std::strlen(name));
  uint32_t attributes = (info->readable ? kChunkReadable : 0) | (info->writable ? kChunkWritable : 0) |
                        (info->isFolder ? kChunkFolder : 0) | (info->hidden ? kChunkHidden : 0);
  WriteBigEndian32(entry->attributes, attributes);
  WriteBigEndian32(entry->type, info->type);
  error = WriteEntry(stream, index);
  if (error != kPlatformNoError) {
    PlatformClearBlock(Entry(stream, index), EntrySize(stream));
    return saved.Restore(error);
  }
  if (info->isFolder) {
    uint32_t n = info->size >= 1 && info->size <= kChunkMaxCreateEntries ? info->size : kChunkDefaultEntries;
    PlatformStream* record = nullptr;
    PlatformStream::AddRef(stream, 1);  // the record stream holds a use of its container
    error = OpenRecordStream(stream, name, true, false, &record);
    if (error != kPlatformNoError) {
      PlatformStream::AddRef(stream, -1);
    } else {
      PlatformStream::Link(record);
      error = Create(record, n);
      PlatformError closed = PlatformStream::Close(record);
      if (error == kPlatformNoError) error = closed;
    }
    if (error != kPlatformNoError) {
      // A folder record that could not hold its container goes again.
      char escaped[256];
      EscapePathName(reinterpret_cast<const uint8_t*>(name), std::strlen(name), escaped, sizeof(escaped));
      RemoveRecord(stream, escaped);
    }
  }
  return saved.Restore(error);
}

PlatformError ChunkFile::RemoveRecord(PlatformStream* stream, const char* text) {
  char name[kChunkNameSize];
  PlatformError error = RecordName(text, name);
  if (error == kPlatformErrBadFileName && std::strpbrk(text, ":\\") == nullptr) error = kPlatformErrFileNotFound;
  if (error == kPlatformNoError) error = EnsureIndex(stream);
  if (error != kPlatformNoError) return error;
  if (FindOpenRecordStream(stream, name) != nullptr) return kPlatformErrFileBusy;
  uint32_t index = 0;
  ChunkIndexEntry entry;
  if (!FindRecord(stream, name, &index, &entry)) return kPlatformErrFileNotFound;
  if (!stream->writable) return kPlatformErrAccessDenied;
  SavedStreamPosition saved(stream);
  PlatformClearBlock(Entry(stream, index), EntrySize(stream));
  error = WriteEntry(stream, index);
  uint32_t ignored = 0;
  if (error == kPlatformNoError) {
    error = MoveRecordData(stream, ReadBigEndian32(entry.offset), ReadBigEndian32(entry.length), 0, &ignored);
  }
  return saved.Restore(error);
}

PlatformError ChunkFile::OpenRecordStream(PlatformStream* container, const char* name, bool write,
                                          bool readNested, PlatformStream** out) {
  *out = nullptr;
  PlatformError error = EnsureIndex(container);
  if (error != kPlatformNoError) return error;
  uint32_t index = 0;
  ChunkIndexEntry entry;
  if (!FindRecord(container, name, &index, &entry)) return kPlatformErrFileNotFound;
  uint32_t attributes = ReadBigEndian32(entry.attributes);
  if (!(attributes & kChunkReadable)) return kPlatformErrAccessDenied;
  if (write && (!container->writable || !(attributes & kChunkWritable))) return kPlatformErrAccessDenied;
  uint32_t offset = ReadBigEndian32(entry.offset);
  uint32_t length = ReadBigEndian32(entry.length);
  uint32_t containerSize = 0;
  error = PlatformStream::GetSize(container, &containerSize);
  if (error != kPlatformNoError) return error;
  if ((offset == 0 && length != 0) || uint64_t{offset} + length > containerSize) return kPlatformErrBadContainer;
  PlatformStream* record = PlatformStream::NewRecord();
  if (record == nullptr) return kPlatformErrNoMemory;
  record->size = length;
  record->writable = container->writable;
  record->procs = ChunkRecordStream::procs;
  record->parent = container;
  record->recordIndex = index;
  record->useCount = 1;
  if (readNested) error = ReadIndex(record);
  if (error != kPlatformNoError) {
    PlatformStream::FreeRecord(record);
    return error;
  }
  *out = record;
  return kPlatformNoError;
}

PlatformStream* ChunkFile::FindOpenRecordStream(PlatformStream* container, const char* name) {
  uint32_t index = 0;
  if (!FindRecord(container, name, &index, nullptr)) return nullptr;
  for (PlatformStream* s = PlatformStream::FirstOpen(); s != nullptr; s = s->next) {
    if (s->parent == container && s->recordIndex == index) return s;
  }
  return nullptr;
}

PlatformError ChunkFile::CountRecords(PlatformStream* container, const char* name, uint32_t* count) {
  *count = 0;
  if (name == nullptr || name[0] == '\0') {
    PlatformError error = EnsureIndex(container);
    if (error == kPlatformNoError) *count = CountUsed(container);
    return error;
  }
  PlatformStream::AddRef(container, 1);  // the nested stream holds a use of its container
  PlatformStream* record = nullptr;
  PlatformError error = OpenRecordStream(container, name, false, true, &record);
  if (error != kPlatformNoError) {
    PlatformStream::AddRef(container, -1);
    return error;
  }
  PlatformStream::Link(record);
  *count = CountUsed(record);
  return PlatformStream::Close(record);
}
