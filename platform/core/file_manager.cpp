// The public file operations over references, containers and streams, and the file manager's start and stop.
#include "platform/core/file_manager.h"

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "host/files.h"
#include "platform/core/chunk_file.h"
#include "platform/core/core.h"
#include "platform/core/strings.h"

namespace {

bool started = false;
PlatformHandle* rootRef = nullptr;
PlatformHandle* defaultInfo = nullptr;

bool IsPathText(FolderRef value) { return !IsSpecialFolderNumber(value) && !FileRef::IsValid(value); }
bool IsEmptyText(FolderRef value) {
  return value == 0 || (IsPathText(value) && reinterpret_cast<const char*>(value)[0] == '\0');
}

// Disposes an operation's reference when it goes out of scope.
class OwnedRef {
 public:
  OwnedRef() = default;
  ~OwnedRef() { Reset(); }
  OwnedRef(const OwnedRef&) = delete;
  OwnedRef& operator=(const OwnedRef&) = delete;
  PlatformHandle** Out() { return &ref_; }
  PlatformHandle* Get() const { return ref_; }
  PlatformHandle* Take() {
    PlatformHandle* ref = ref_;
    ref_ = nullptr;
    return ref;
  }
  void Reset() {
    if (ref_ != nullptr) FileRef::Dispose(AsFolderRef(ref_));
    ref_ = nullptr;
  }

 private:
  PlatformHandle* ref_ = nullptr;
};

// The root reference resolved by the folder and then by the name.
PlatformError ResolveItem(FolderRef folder, FolderRef name, OwnedRef* out) {
  if (!started) {
    PlatformError error = PlatformFileSystemStartup();
    if (error != kPlatformNoError) return error;
  }
  PlatformError error = FileRef::Resolve(rootRef, folder, out->Out());
  if (error == kPlatformNoError && name != 0) error = FileRef::Resolve(out->Get(), name, nullptr);
  if (error != kPlatformNoError) out->Reset();
  return error;
}

bool IsRecord(PlatformHandle* ref) { return FileRef::HasComponents(ref); }
bool IsStreamRoot(PlatformHandle* ref) {
  return FileRef::Data(ref)->rootStream != nullptr && !FileRef::HasComponents(ref);
}

// Opens the container that a reference stands for (a container file, a record holding a container, or the
// stream it is rooted in) with its index read.
PlatformError OpenContainer(PlatformHandle* ref, bool write, PlatformStream** out) {
  PlatformError error = PlatformStream::OpenForRef(ref, write, false, true, out, nullptr);
  if (error == kPlatformNoError) error = ChunkFile::EnsureIndex(*out);
  if (error != kPlatformNoError && *out != nullptr) {
    PlatformStream::Close(*out);
    *out = nullptr;
  }
  return error;
}

// The information of a resolved item, whatever kind it is.
PlatformError InfoOfRef(PlatformHandle* ref, PlatformFileInfo* info, bool detect) {
  PlatformClearBlock(info, sizeof(*info));
  if (IsRecord(ref)) {
    PlatformStream* container = nullptr;
    char lastName[256];
    PlatformError error = PlatformStream::OpenForRef(ref, false, true, true, &container, lastName);
    if (error != kPlatformNoError) return error;
    error = ChunkFile::GetRecordInfoByName(container, lastName, info, ref);
    PlatformStream::Close(container);
    return error;
  }
  if (IsStreamRoot(ref)) {
    PlatformStream* root = FileRef::Data(ref)->rootStream;
    PlatformCopyStringBounded(info->name, "_Virtual_", sizeof(info->name));
    info->readable = 1;
    info->writable = root->writable;
    info->isFolder = 1;
    info->isContainer = 1;
    return ChunkFile::CountRecords(root, nullptr, &info->size);
  }
  return FileRef::GetInfo(ref, info, detect);
}

PlatformError CloseKeeping(PlatformStream* stream, PlatformError error) {
  PlatformError closed = PlatformStream::Close(stream);
  return error != kPlatformNoError ? error : closed;
}

// Writes the handle's bytes over the stream's content and sizes it to them.
PlatformError WriteWholeHandle(PlatformStream* stream, PlatformHandle* handle) {
  uint32_t size = PlatformHandle::GetSize(handle);
  PlatformError error = PlatformStream::SetPosition(stream, 0);
  uint8_t wasLocked = PlatformHandle::SetLocked(handle, 1);
  if (error == kPlatformNoError) error = PlatformStream::Write(stream, size, handle->data);
  PlatformHandle::SetLocked(handle, wasLocked);
  if (error == kPlatformNoError) error = PlatformStream::SetSize(stream, size);
  return error;
}

// Closes every open stream once, leaves first, so that no container goes before the records that use it.
void CloseAllStreams() {
  std::vector<PlatformStream*> tried;
  for (;;) {
    PlatformStream* pick = nullptr;
    for (PlatformStream* s = PlatformStream::FirstOpen(); s != nullptr && pick == nullptr; s = s->next) {
      bool isParent = false;
      for (PlatformStream* o = PlatformStream::FirstOpen(); o != nullptr && !isParent; o = o->next) {
        isParent = o->parent == s;
      }
      bool done = false;
      for (PlatformStream* t : tried) done = done || t == s;
      if (!isParent && !done) pick = s;
    }
    if (pick == nullptr) return;
    tried.push_back(pick);
    pick->useCount = 1;
    PlatformStream::Close(pick);  // a failed close stays listed and is not tried again
  }
}

uint32_t temporaryCounter = 0;

}  // namespace

PlatformError PlatformFileSystemStartup() {
  if (started) return kPlatformNoError;
  PlatformError error = PlatformStartup();
  if (error != kPlatformNoError) return error;
  if (PlatformPurgeHook == nullptr) PlatformPurgeHook = FileRef::HasStream;
  error = PlatformAddExitProc([] { PlatformFileSystemShutdown(); });
  if (error == kPlatformNoError) {
    rootRef = FileRef::New();
    if (rootRef == nullptr) error = kPlatformErrNoMemory;
  }
  if (error == kPlatformNoError) error = GetSpecialFolder(rootRef, kFolderProgram);
  if (error == kPlatformNoError) {
    defaultInfo = NewDefaultFileInfo();
    if (defaultInfo == nullptr) error = kPlatformErrNoMemory;
  }
  if (error != kPlatformNoError) {
    PlatformFileSystemShutdown();
    return error;
  }
  started = true;
  return kPlatformNoError;
}

PlatformError PlatformFileSystemShutdown() {
  if (rootRef != nullptr) FileRef::Dispose(AsFolderRef(rootRef));
  rootRef = nullptr;
  if (defaultInfo != nullptr) PlatformHandle::Dispose(defaultInfo);
  defaultInfo = nullptr;
  while (PlatformHandle* head = FileRef::FirstRegistered()) FileRef::Dispose(AsFolderRef(head));
  CloseAllStreams();
  if (PlatformPurgeHook == FileRef::HasStream) PlatformPurgeHook = nullptr;
  FileRef::FreeListingCache();
  started = false;
  return kPlatformNoError;
}

PlatformError PlatformResolveFolder(FolderRef folder, FolderRef name, FolderRef* out) {
  *out = 0;
  if (folder >= kFolderDocuments && folder <= kFolderProgram && IsEmptyText(name)) {
    *out = folder;
    return kPlatformNoError;
  }
  OwnedRef ref;
  PlatformError error = ResolveItem(folder, name, &ref);
  if (error == kPlatformNoError) error = FileRef::Register(ref.Get());
  if (error != kPlatformNoError) return error;
  *out = AsFolderRef(ref.Take());
  return kPlatformNoError;
}

PlatformError PlatformReleaseFolder(FolderRef folder) {
  if (IsSpecialFolderNumber(folder)) return kPlatformNoError;
  if (!FileRef::IsValid(folder)) return kPlatformErrBadReference;
  return FileRef::Dispose(folder);
}

PlatformError PlatformCheckFolderItem(FolderRef folder, FolderRef name) {
  OwnedRef ref;
  return ResolveItem(folder, name, &ref);
}

PlatformError PlatformSetDefaultFolder(FolderRef folder, FolderRef name) {
  OwnedRef ref;
  PlatformError error = ResolveItem(folder, name, &ref);
  if (error != kPlatformNoError) return error;
  FileRef::Dispose(AsFolderRef(rootRef));
  rootRef = ref.Take();
  return kPlatformNoError;
}

PlatformError PlatformGetFullPath(FolderRef folder, FolderRef name, char* buffer, uint32_t size) {
  if (size == 0) return kPlatformErrBadData;
  buffer[0] = '\0';
  bool volumeName = folder == 0 && name >= 1 && name <= kFolderLastVolume;
  bool volumeFolder = folder >= 1 && folder <= kFolderLastVolume && name == 0;
  PlatformError error = kPlatformNoError;
  if (volumeName || volumeFolder) {
    PlatformHandle* ref = FileRef::New();
    if (ref == nullptr) return kPlatformErrNoMemory;
    error = ListVolumes(ref, static_cast<int32_t>(volumeName ? name : folder));
    if (error == kPlatformNoError) error = FileRef::GetPathText(ref, buffer, size);
    FileRef::Dispose(AsFolderRef(ref));
  } else {
    OwnedRef ref;
    error = ResolveItem(folder, 0, &ref);
    if (error == kPlatformNoError && name != 0 && !IsPathText(name)) {
      error = FileRef::Resolve(ref.Get(), name, nullptr);
      if (error == kPlatformNoError) error = FileRef::GetPathText(ref.Get(), buffer, size);
    } else if (error == kPlatformNoError) {
      // A text name is appended as it stands: it need not exist.
      error = FileRef::GetPathText(ref.Get(), buffer, size);
      const char* text = reinterpret_cast<const char*>(name);
      if (error == kPlatformNoError && text != nullptr && text[0] != '\0') {
        size_t length = std::strlen(buffer);
        if (text[0] != '/' && (length == 0 || buffer[length - 1] != '/')) PlatformAppendStringBounded(buffer, "/", size);
        PlatformAppendStringBounded(buffer, text, size);
      }
    }
  }
  if (error != kPlatformNoError) buffer[0] = '\0';
  return error;
}

PlatformError PlatformCreateFile(FolderRef folder, const PlatformFileInfo* info) {
  OwnedRef ref;
  PlatformError error = ResolveItem(folder, 0, &ref);
  if (error != kPlatformNoError) return error;
  PlatformHandle* target = ref.Get();
  if (IsRecord(target) || IsStreamRoot(target) || FileRef::Exists(target)) {
    // Inside a container, or a container file taken as a folder: the item becomes a record.
    PlatformStream* container = nullptr;
    error = OpenContainer(target, true, &container);
    if (error != kPlatformNoError) return error;
    return CloseKeeping(container, ChunkFile::AddRecord(container, info));
  }
  if (!info->isContainer) return FileRef::Create(target, info);
  uint32_t entries = info->isFolder && info->size >= 1 && info->size <= kChunkMaxCreateEntries
                         ? info->size
                         : kChunkDefaultEntries;
  PlatformFileInfo file = *info;
  file.isContainer = 0;
  file.isFolder = 0;
  file.size = 0;
  file.type = FourCharCode("CHNK");
  error = FileRef::Create(target, &file);
  if (error != kPlatformNoError) return error;
  PlatformStream* stream = nullptr;
  error = FileRef::OpenStream(target, true, &stream);
  if (error == kPlatformNoError) {
    error = ChunkFile::Create(stream, entries);
    if (error != kPlatformNoError) PlatformStream::Flush(stream);
    error = CloseKeeping(stream, error);
  }
  if (error != kPlatformNoError) FileRef::Delete(target);
  return error;
}

PlatformError PlatformDeleteFile(FolderRef folder, FolderRef name) {
  OwnedRef ref;
  PlatformError error = ResolveItem(folder, name, &ref);
  if (error != kPlatformNoError) return error;
  if (IsStreamRoot(ref.Get())) return kPlatformErrContainerOfStream;
  if (!IsRecord(ref.Get())) return FileRef::Delete(ref.Get());
  PlatformStream* container = nullptr;
  char lastName[256];
  error = PlatformStream::OpenForRef(ref.Get(), true, true, true, &container, lastName);
  if (error != kPlatformNoError) return error;
  return CloseKeeping(container, ChunkFile::RemoveRecord(container, lastName));
}

PlatformError PlatformGetFileInfo(FolderRef folder, FolderRef name, PlatformFileInfo* info, bool detect) {
  PlatformFileInfo local;
  if (info == nullptr) info = &local;
  PlatformClearBlock(info, sizeof(*info));
  OwnedRef ref;
  PlatformError error = ResolveItem(folder, name, &ref);
  if (error != kPlatformNoError) return error;
  return InfoOfRef(ref.Get(), info, detect);
}

PlatformError PlatformGetIndexedFileInfo(FolderRef folder, uint32_t index, PlatformFileInfo* info, bool detect) {
  PlatformClearBlock(info, sizeof(*info));
  OwnedRef ref;
  PlatformError error = ResolveItem(folder, 0, &ref);
  if (error != kPlatformNoError) return error;
  if (IsRecord(ref.Get()) || IsStreamRoot(ref.Get()) || FileRef::Exists(ref.Get())) {
    PlatformStream* container = nullptr;
    error = OpenContainer(ref.Get(), false, &container);
    if (error != kPlatformNoError) return error;
    return CloseKeeping(container, ChunkFile::GetRecordInfo(container, index, info, ref.Get()));
  }
  return FileRef::ListFolder(ref.Get(), index, info, nullptr, detect);
}

PlatformError PlatformEnumerateFolder(FolderRef folder, FolderWalkProc callback, void* user, uint32_t flags) {
  OwnedRef top;
  PlatformError error = ResolveItem(folder, 0, &top);
  if (error != kPlatformNoError) return error;
  PlatformFileInfo info;
  error = InfoOfRef(top.Get(), &info, !(flags & kWalkContainersPlain));
  if (error != kPlatformNoError) return error;
  bool plainContainer = info.isContainer && (flags & kWalkContainersPlain);
  if (!plainContainer) {
    PlatformError result = callback(folder, "", &info, 0, 0, user);
    if (result != kPlatformNoError) return result;
  }
  if (!info.isFolder || plainContainer) return kPlatformNoError;
  error = FileRef::Register(top.Get());
  if (error != kPlatformNoError) return error;
  uint32_t total = 0;
  for (uint32_t i = 0;; ++i) {
    PlatformFileInfo item;
    PlatformError listed = PlatformGetIndexedFileInfo(AsFolderRef(top.Get()), i, &item, !(flags & kWalkContainersPlain));
    if (listed != kPlatformNoError) break;
    total += 1 + (item.isFolder ? item.size : 0);
  }
  OwnedRef working;
  error = FileRef::Resolve(top.Get(), 0, working.Out());
  if (error == kPlatformNoError) error = FileRef::Register(working.Get());
  PlatformHandle* stack = error == kPlatformNoError ? PlatformHandle::New(0) : nullptr;
  PlatformHandle* relative = stack != nullptr ? PlatformHandle::FromBytes("", 1) : nullptr;
  if (error == kPlatformNoError && relative == nullptr) error = kPlatformErrNoMemory;
  uint32_t progress = 0;
  if (error == kPlatformNoError) {
    error = FileRef::WalkTree(top.Get(), working.Get(), callback, user, flags, stack, relative, info.size,
                              &progress, total);
  }
  if (stack != nullptr) PlatformHandle::Dispose(stack);
  if (relative != nullptr) PlatformHandle::Dispose(relative);
  FileRef::FreeListingCache();
  return error;
}

PlatformError PlatformStream::Open(FolderRef folder, FolderRef name, int32_t permission, PlatformStream** out) {
  *out = nullptr;
  OwnedRef ref;
  PlatformError error = ResolveItem(folder, name, &ref);
  if (error != kPlatformNoError) return error;
  if (IsStreamRoot(ref.Get())) return kPlatformErrContainerOfStream;
  if (IsRecord(ref.Get())) return OpenForRef(ref.Get(), permission == 1, false, false, out, nullptr);
  return FileRef::OpenStream(ref.Get(), permission == 1, out);
}

PlatformError PlatformReadFileToHandle(FolderRef folder, FolderRef name, uint32_t byteLimit, bool temporary,
                                       PlatformHandle** out) {
  *out = nullptr;
  PlatformStream* stream = nullptr;
  PlatformError error = PlatformStream::Open(folder, name, 0, &stream);
  if (error != kPlatformNoError) return error;
  uint32_t size = 0;
  PlatformHandle* handle = nullptr;
  error = PlatformStream::GetSize(stream, &size);
  if (error == kPlatformNoError && size > byteLimit) error = kPlatformErrNoMemory;
  if (error == kPlatformNoError) {
    handle = temporary ? PlatformHandle::NewTemporary(size) : PlatformHandle::New(size);
    if (handle == nullptr) error = kPlatformErrNoMemory;
  }
  if (error == kPlatformNoError) {
    PlatformHandle::SetLocked(handle, 1);
    error = PlatformStream::SetPosition(stream, 0);
    if (error == kPlatformNoError) error = PlatformStream::Read(stream, size, handle->data);
    PlatformHandle::SetLocked(handle, 0);
  }
  error = CloseKeeping(stream, error);
  if (error != kPlatformNoError) {
    if (handle != nullptr) PlatformHandle::Dispose(handle);
    return error;
  }
  *out = handle;
  return kPlatformNoError;
}

namespace {

// The information of the item a handle is written to: a container's header makes it a container.
PlatformFileInfo InfoForHandle(const char* name, uint32_t type, uint32_t creator, PlatformHandle* handle) {
  PlatformFileInfo info;
  PlatformClearBlock(&info, sizeof(info));
  PlatformCopyStringBounded(info.name, name, sizeof(info.name));
  info.readable = 1;
  info.writable = 1;
  if (IsChunkData(handle)) {
    info.isContainer = 1;
    info.isFolder = 1;
    if (type == 0) type = FourCharCode("CHNK");
    if (creator == 0) creator = FourCharCode("CHNK");
  }
  FileTypeRow row = GetFileTypeForName(name, type);
  info.type = type != 0 ? type : row.type;
  info.creator = creator != 0 ? creator : row.creator;
  return info;
}

// The temporary name of a file written in place of `leafName`: ".NAME.~N-partial".
std::string TemporaryNameFor(const char* leafName, uint32_t number) {
  return std::string(".") + leafName + ".~" + std::to_string(number) + "-partial";
}

// Whether a name is a temporary name of `leafName`, whatever its number: what a write killed half-way left.
bool IsTemporaryNameOf(const char* name, const char* leafName) {
  std::string prefix = std::string(".") + leafName + ".~";
  constexpr std::string_view kSuffix = "-partial";
  std::string_view text(name);
  if (text.size() <= prefix.size() + kSuffix.size() || text.substr(0, prefix.size()) != prefix ||
      text.substr(text.size() - kSuffix.size()) != kSuffix) {
    return false;
  }
  std::string_view number = text.substr(prefix.size(), text.size() - prefix.size() - kSuffix.size());
  return number.find_first_not_of("0123456789") == std::string_view::npos;
}

// Removes the temporary files of `leafName` that earlier writes left in the folder (a process killed half-way),
// once a write of it has succeeded. Failures change nothing: such a file is only left where it was.
void RemoveStaleTemporaries(const std::string& folder, bool root, const char* leafName) {
  std::string pattern = folder + (root ? "" : "\\") + "*";
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA(pattern.c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return;
  std::vector<std::string> stale;
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && IsTemporaryNameOf(found.cFileName, leafName)) {
      stale.emplace_back(found.cFileName);
    }
  } while (FindNextFileA(find, &found));
  FindClose(find);
  for (const std::string& name : stale) DeleteFileA((folder + (root ? "" : "\\") + name).c_str());
}

// A disk item: the handle goes to a new temporary file in the same folder, which then takes the item's place.
// The temporary file takes the first number whose name is free, so a file left by an earlier process that was
// killed while writing never stands in the way; such files are removed once the write has succeeded.
PlatformError WriteDiskFileByRename(PlatformHandle* folderRef, const char* leafName, PlatformHandle* handle) {
  char target[kWindowsPathSize];
  FileRef::GetWindowsPath(folderRef, target);
  size_t length = std::strlen(target);
  bool root = length == 3;
  constexpr uint32_t kNameTries = 1000;
  // The longest temporary name this write may try must fit as well as the item's own name.
  std::string longestName = TemporaryNameFor(leafName, temporaryCounter + kNameTries);
  if (length + (root ? 0 : 1) + std::strlen(leafName) > kWindowsPathSize - 1 ||
      length + (root ? 0 : 1) + longestName.size() > kWindowsPathSize - 1) {
    return kPlatformErrFile;
  }
  std::string targetPath = std::string(target) + (root ? "" : "\\") + leafName;
  // An open stream on the old file would go on reading it after the new one took its place.
  for (PlatformStream* s = PlatformStream::FirstOpen(); s != nullptr; s = s->next) {
    if (s->parent == nullptr && s->memory == nullptr && targetPath == s->path) return kPlatformErrFileBusy;
  }
  OwnedRef temporary;
  PlatformError error = kPlatformErrFileExists;
  for (uint32_t tries = 0; tries < kNameTries && error == kPlatformErrFileExists; ++tries) {
    temporary.Reset();
    error = FileRef::Resolve(folderRef, 0, temporary.Out());
    if (error != kPlatformNoError) return error;
    PlatformFileInfo info = {};
    std::string temporaryName = TemporaryNameFor(leafName, ++temporaryCounter);
    PlatformCopyStringBounded(info.name, temporaryName.c_str(), sizeof(info.name));
    error = FileRef::Create(temporary.Get(), &info);
  }
  if (error != kPlatformNoError) return error;
  PlatformStream* stream = nullptr;
  error = FileRef::OpenStream(temporary.Get(), true, &stream);
  if (error == kPlatformNoError) {
    error = WriteWholeHandle(stream, handle);
    if (error == kPlatformNoError) error = PlatformStream::Flush(stream);
    error = CloseKeeping(stream, error);
  }
  char temporaryPath[kWindowsPathSize];
  FileRef::GetWindowsPath(temporary.Get(), temporaryPath);
  if (error == kPlatformNoError &&
      !MoveFileExA(temporaryPath, targetPath.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error = LastFileError();
  }
  if (error != kPlatformNoError) {
    DeleteFileA(temporaryPath);
    return error;
  }
  RemoveStaleTemporaries(target, root, leafName);
  return kPlatformNoError;
}

}  // namespace

PlatformError PlatformWriteHandleToFile(FolderRef folder, FolderRef name, bool replace, uint32_t type,
                                        uint32_t creator, PlatformHandle* handle) {
  if (handle == nullptr) return kPlatformErrBadData;
  PlatformFileInfo existing;
  PlatformError error = PlatformGetFileInfo(folder, name, &existing, true);
  bool exists = error == kPlatformNoError;
  if (!exists && error != kPlatformErrFileNotFound) return error;
  if (exists && !replace) return kPlatformErrFileExists;

  // The folder that holds the item, and the item's name in it.
  OwnedRef parent;
  char leaf[256];
  if (exists) {
    error = ResolveItem(folder, name, &parent);
    if (error != kPlatformNoError) return error;
    if (IsRecord(parent.Get())) {
      error = FileRef::PopComponent(parent.Get(), leaf);
    } else if (IsStreamRoot(parent.Get())) {
      return kPlatformErrContainerOfStream;
    } else {
      uint8_t raw[256];
      error = FileRef::GetParent(parent.Get(), raw);
      std::memcpy(leaf, raw + 1, raw[0]);
      leaf[raw[0]] = '\0';
    }
  } else {
    if (!IsPathText(name)) return kPlatformErrFileNotFound;
    const char* text = reinterpret_cast<const char*>(name);
    const char* slash = std::strrchr(text, '/');
    std::string folderText = slash != nullptr ? std::string(text, static_cast<size_t>(slash - text)) : "";
    const char* leafText = slash != nullptr ? slash + 1 : text;
    error = ResolveItem(folder, folderText.empty() ? 0 : AsFolderRef(folderText.c_str()), &parent);
    if (error == kPlatformNoError) {
      uint8_t decoded[256];
      error = DecodePathSegment(leafText, std::strlen(leafText), decoded);
      if (error == kPlatformNoError && decoded[0] == 0) error = kPlatformErrBadFileName;
      if (error == kPlatformNoError && !IsRecord(parent.Get()) && !IsStreamRoot(parent.Get()) &&
          !FileRef::Exists(parent.Get())) {
        std::memcpy(leaf, decoded + 1, decoded[0]);
        leaf[decoded[0]] = '\0';
      } else if (error == kPlatformNoError) {
        EscapePathName(decoded + 1, decoded[0], leaf, sizeof(leaf));
      }
    }
  }
  if (error != kPlatformNoError) return error;

  bool inContainer = IsRecord(parent.Get()) || IsStreamRoot(parent.Get()) || FileRef::Exists(parent.Get());
  if (!inContainer) {
    if (exists && existing.isFolder && !existing.isContainer) {
      OwnedRef old;
      error = ResolveItem(folder, name, &old);
      if (error == kPlatformNoError) error = FileRef::Delete(old.Get());
      if (error != kPlatformNoError) return error;
    }
    return WriteDiskFileByRename(parent.Get(), leaf, handle);
  }

  // A record inside a container: the bytes go to a new record first, which then takes the item's name, so a
  // failure leaves the old record as it was.
  PlatformStream* container = nullptr;
  error = OpenContainer(parent.Get(), true, &container);
  if (error != kPlatformNoError) return error;
  std::string temporaryName = "~" + std::to_string(++temporaryCounter) + "-partial";
  PlatformFileInfo info = InfoForHandle(temporaryName.c_str(), type, creator, handle);
  FileTypeRow row = GetFileTypeForName(leaf, type);  // the type follows the item's own name
  if (type == 0 && !info.isContainer) info.type = row.type;
  error = ChunkFile::AddRecord(container, &info);
  if (error != kPlatformNoError) return CloseKeeping(container, error);
  PlatformStream* record = nullptr;
  PlatformStream::AddRef(container, 1);  // the record stream holds a use of its container
  error = ChunkFile::OpenRecordStream(container, temporaryName.c_str(), true, false, &record);
  if (error != kPlatformNoError) {
    PlatformStream::AddRef(container, -1);
  } else {
    PlatformStream::Link(record);
    error = WriteWholeHandle(record, handle);
    error = CloseKeeping(record, error);
  }
  if (error == kPlatformNoError) {
    error = exists ? ChunkFile::ReplaceRecord(container, leaf, temporaryName.c_str())
                   : ChunkFile::RenameRecord(container, temporaryName.c_str(), leaf);
  }
  if (error != kPlatformNoError) ChunkFile::RemoveRecord(container, temporaryName.c_str());  // when still there
  if (error == kPlatformNoError) error = PlatformStream::Flush(container);
  return CloseKeeping(container, error);
}
