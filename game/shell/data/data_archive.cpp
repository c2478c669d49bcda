// The data archive and scenario file access.
#include "game/shell/data/data_archive.h"

#include <algorithm>
#include <cstring>

#include "game/graphics/bitmap.h"
#include "game/shell/data/data_paths.h"
#include "game/shell/data/string_utils.h"

namespace {

constexpr size_t kEntryRecordSize = 10;

struct ArchiveState {
  std::unique_ptr<DataArchive> archive;
  bool archiveOnly = false;
  std::map<DataStream*, std::unique_ptr<DataStream>> openFiles;
};

ArchiveState& State() {
  static ArchiveState state;
  return state;
}

uint32_t ReadUInt32At(const uint8_t* bytes) {
  return (static_cast<uint32_t>(bytes[0]) << 24) | (static_cast<uint32_t>(bytes[1]) << 16) |
         (static_cast<uint32_t>(bytes[2]) << 8) | bytes[3];
}

uint16_t ReadUInt16At(const uint8_t* bytes) { return static_cast<uint16_t>((bytes[0] << 8) | bytes[1]); }

// The form in which the directory lists a path: lower case (A to Z) with "/" separators, so that a path built
// with "\\" finds the same file as on disk. Split at a "\\" as it stands, its folder part could never equal one of
// the directory's folder names, which are kept with "/", and a file found in a folder tree would be missing from
// the same scenario packed.
std::string LookupForm(std::string_view path) {
  std::string lowered(path);
  std::replace(lowered.begin(), lowered.end(), '\\', '/');
  ToLowerInPlace(lowered);
  return lowered;
}

// A folder name as the directory keeps it: lower case, and ending in "/" unless it holds a "."; a folder asked
// for without its last "/" is found, as it is on disk.
std::string FolderForm(std::string_view path) {
  std::string folder = LookupForm(path);
  EnsureFolderPath(folder);
  return folder;
}

}  // namespace

DataArchive::DataArchive(std::unique_ptr<DataStream> stream) : stream_(std::move(stream)) {
  error_ = ReadDirectory();
  if (error_ != 0) folders_.clear();
}

DataArchive::~DataArchive() = default;

int32_t DataArchive::ReadDirectory() {
  if (stream_ == nullptr) return kDataStreamNoData;
  DataStream& stream = *stream_;
  if (!stream.IsOpen()) return stream.GetError() != 0 ? stream.GetError() : kDataStreamNoData;
  uint64_t fileSize = stream.GetSize();
  stream.Seek(0);

  uint16_t nameCount = static_cast<uint16_t>(stream.ReadInt16());
  std::vector<std::string> names(nameCount);
  for (std::string& name : names) stream.ReadPStringScrambled(name, true);
  if (stream.GetPosition() % 4 != 0) stream.Skip(static_cast<int32_t>(4 - stream.GetPosition() % 4));

  uint16_t folderCount = static_cast<uint16_t>(stream.ReadInt16());
  std::vector<uint8_t> records;
  for (uint16_t f = 0; f < folderCount && stream.GetError() == 0; ++f) {
    uint16_t folderName = static_cast<uint16_t>(stream.ReadInt16());
    uint16_t entryCount = static_cast<uint16_t>(stream.ReadInt16());
    if (stream.GetError() != 0) break;
    if (folderName >= nameCount) return kArchiveBadDirectory;
    ArchiveFolder folder;
    folder.name = FolderForm(names[folderName]);
    records.resize(static_cast<size_t>(entryCount) * kEntryRecordSize);
    if (entryCount != 0 && stream.ReadBytes(records.data(), static_cast<uint32_t>(records.size())) != 0) break;
    for (uint16_t e = 0; e < entryCount; ++e) {
      const uint8_t* record = records.data() + static_cast<size_t>(e) * kEntryRecordSize;
      uint16_t entryName = ReadUInt16At(record);
      if (entryName >= nameCount) return kArchiveBadDirectory;
      ArchiveEntry entry;
      entry.name = names[entryName];
      ToLowerInPlace(entry.name);  // an archive written with capitals still answers lower-cased lookups
      entry.offsetUnits = ReadUInt32At(record + 2);
      entry.length = ReadUInt32At(record + 6);
      if (entry.Offset() + entry.length > fileSize) return kArchiveBadDirectory;
      // A later entry of the same name replaces an earlier one.
      folder.entries.insert_or_assign(entry.name, std::move(entry));
    }
    folders_.push_back(std::move(folder));
  }
  // A directory cut short leaves the archive empty: read on, its folders would list entries made of zeros or of
  // bytes left from an earlier folder's records.
  return stream.GetError();
}

const ArchiveFolder* DataArchive::FindFolder(std::string_view path) const {
  std::string wanted = FolderForm(path);
  for (const ArchiveFolder& folder : folders_) {
    if (folder.name == wanted) return &folder;
  }
  return nullptr;
}

const ArchiveEntry* DataArchive::FindEntry(std::string_view path) const {
  std::string lowered = LookupForm(path);
  std::string folderPart, filePart;
  SplitPath(lowered, folderPart, filePart);
  const ArchiveFolder* folder = FindFolder(folderPart);
  if (folder == nullptr) return nullptr;
  auto found = folder->entries.find(filePart);
  return found == folder->entries.end() ? nullptr : &found->second;
}

bool DataArchive::ReadEntry(const ArchiveEntry& entry, MemHandle& out) {
  out.Free();
  if (stream_ == nullptr || !stream_->IsOpen()) return false;
  if (entry.length == 0) return true;
  if (entry.Offset() + entry.length > stream_->GetSize() || !out.Allocate(entry.length)) return false;
  const bool read = ReadEntryInto(entry, out.Lock());
  out.Unlock();
  if (!read) out.Free();
  return read;
}

bool DataArchive::ReadEntryInto(const ArchiveEntry& entry, void* bytes) {
  if (stream_ == nullptr || !stream_->IsOpen()) return false;
  if (entry.length == 0) return true;
  if (entry.Offset() + entry.length > stream_->GetSize()) return false;
  stream_->PushPosition();
  stream_->Seek(static_cast<uint32_t>(entry.Offset()));
  int32_t error = stream_->ReadBytes(bytes, entry.length);
  // A failed read must not leave the shared stream stuck on its error: the next entry may still be read.
  stream_->ClearError();
  stream_->PopPosition();
  return error == 0;
}

std::unique_ptr<DataStream> DataArchive::OpenEntry(const ArchiveEntry& entry, std::string_view path) {
  MemHandle block;
  if (!ReadEntry(entry, block)) return nullptr;
  auto stream = std::make_unique<DataStream>(path);
  stream->AttachMemory(block, true);
  stream->SetUserValue(entry.length);
  return stream;
}

const ArchiveEntry* DataArchive::FindPicture(std::string_view name, std::string* found) const {
  if (name.empty()) return nullptr;
  for (const std::string& candidate : PictureNameCandidates(std::string(name))) {
    const ArchiveEntry* entry = FindEntry(candidate);
    if (entry != nullptr) {
      if (found != nullptr) *found = candidate;
      return entry;
    }
  }
  return nullptr;
}

// ---- the process's archive ----

DataArchive* DataArchive::Current() { return State().archive.get(); }

bool DataArchive::ArchiveOnly() { return State().archiveOnly; }

void DataArchive::Install(std::unique_ptr<DataArchive> archive, bool archiveOnly) {
  State().archive = std::move(archive);
  State().archiveOnly = archiveOnly;
}

int32_t DataArchive::Open(std::string_view dataPath, bool archiveOnly) {
  State().archive.reset();
  State().archiveOnly = archiveOnly;
  SetDataRoots(dataPath);
  if (!archiveOnly) return 0;
  auto stream = std::make_unique<DataStream>(dataPath);
  stream->Open(kDataStreamRead);
  State().archive = std::make_unique<DataArchive>(std::move(stream));
  return State().archive->GetError();
}

void DataArchive::Close() { State().archive.reset(); }

// ---- scenario file access ----

bool DataFileExists(const char* path) {
  if (path == nullptr || path[0] == '\0') return false;
  DataArchive* archive = DataArchive::Current();
  if (archive == nullptr) return FileExistsByName(path);
  return archive->FindEntry(path) != nullptr;
}

namespace {

DataStream* KeepOpen(std::unique_ptr<DataStream> stream) {
  DataStream* kept = stream.get();
  State().openFiles.emplace(kept, std::move(stream));
  return kept;
}

}  // namespace

DataStream* OpenDataFile(std::string_view path) {
  if (path.empty()) return nullptr;
  std::string text(path);
  if (!DataArchive::ArchiveOnly() && FileExistsByName(text.c_str())) {
    auto stream = std::make_unique<DataStream>(path);
    if (stream->Open(kDataStreamRead | kDataStreamWholeFile) != 0) return nullptr;
    return KeepOpen(std::move(stream));
  }
  DataArchive* archive = DataArchive::Current();
  if (archive == nullptr) return nullptr;
  const ArchiveEntry* entry = archive->FindEntry(path);
  if (entry == nullptr || entry->length == 0) return nullptr;
  std::unique_ptr<DataStream> stream = archive->OpenEntry(*entry, path);
  return stream == nullptr ? nullptr : KeepOpen(std::move(stream));
}

void CloseDataFile(DataStream* stream) {
  // Only streams handed out by OpenDataFile are closed here; anything else is not ours to delete.
  State().openFiles.erase(stream);
}

void ForEachDataFile(std::string_view folderPath, const DataFileProc& perFile, const DataFileStopProc& stop) {
  if (folderPath.empty()) return;
  DataArchive* archive = DataArchive::Current();
  if (archive == nullptr) {
    ForEachFileInFolder(folderPath, perFile, stop);
    return;
  }
  const ArchiveFolder* folder = archive->FindFolder(folderPath);
  if (folder == nullptr) return;
  // The folder's entries are copied first: a per-file function may open other files of the archive.
  std::vector<ArchiveEntry> entries;
  entries.reserve(folder->entries.size());
  for (const auto& [name, entry] : folder->entries) entries.push_back(entry);
  std::string folderName = folder->name;
  for (const ArchiveEntry& entry : entries) {
    std::unique_ptr<DataStream> stream = archive->OpenEntry(entry, folderName + entry.name);
    if (stream == nullptr) {
      // An empty or unreadable entry still reaches the reader, as an empty stream under its path.
      stream = std::make_unique<DataStream>(folderName + entry.name);
    }
    if (perFile) perFile(*stream);
    stream.reset();
    if (stop && stop()) break;
  }
}

std::unique_ptr<Bitmap> LoadPictureByName(const char* name, BitmapStatus* status) {
  BitmapStatus ignored = kBitmapNothingToImport;
  BitmapStatus& result = status != nullptr ? *status : ignored;
  result = kBitmapNothingToImport;
  if (name == nullptr || name[0] == '\0') return nullptr;
  auto bitmap = std::make_unique<Bitmap>();
  DataArchive* archive = DataArchive::Current();
  if (archive == nullptr) {
    result = bitmap->LoadByName(name);
  } else {
    const ArchiveEntry* entry = archive->FindPicture(name);
    if (entry == nullptr || entry->length == 0) return nullptr;
    // The import reads a handle of exactly the entry's bytes, so a short picture never runs into other data; the
    // bytes are read straight into it.
    PlatformHandle* handle = PlatformHandle::New(entry->length);
    if (handle == nullptr) {
      result = kBitmapNoMemory;
      return nullptr;
    }
    if (!archive->ReadEntryInto(*entry, handle->data)) {
      PlatformHandle::Dispose(handle);
      return nullptr;
    }
    result = bitmap->ImportImage(handle);
    PlatformHandle::Dispose(handle);
  }
  if (result != kBitmapReady) return nullptr;
  return bitmap;
}
