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

// Creates the item named by the info's name in a resolved folder: a record when the folder is a container or lies
// in one, else a disk file, folder or container file. A disk item leaves `target` naming it.
PlatformError CreateInFolder(PlatformHandle* target, const PlatformFileInfo* info) {
  if (IsRecord(target) || IsStreamRoot(target) || FileRef::Exists(target)) {
    // Inside a container, or a container file taken as a folder: the item becomes a record. Its name is path text
    // resolved in the folder ("sub/x" is the record "x" of the record "sub"), and the record is added to the
    // container that holds its last name.
    size_t length = strnlen(info->name, sizeof(info->name));
    if (length == sizeof(info->name) || std::strspn(info->name, "/") == length) return kPlatformErrBadFileName;
    PlatformError error = FileRef::Resolve(target, AsFolderRef(info->name), nullptr);
    if (error != kPlatformNoError) return error;
    PlatformStream* container = nullptr;
    PlatformFileInfo named = *info;
    error = PlatformStream::OpenForRef(target, true, true, true, &container, named.name);
    if (error == kPlatformNoError) error = ChunkFile::EnsureIndex(container);
    if (error != kPlatformNoError) {
      if (container != nullptr) PlatformStream::Close(container);
      return error;
    }
    return CloseKeeping(container, ChunkFile::AddRecord(container, &named));
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
  PlatformError error = FileRef::Create(target, &file);
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

// Writes the handle's bytes as the whole content of an open stream: the size is set first, then the data is
// written from the start. While the size cannot be set nothing has changed and the old content stays whole;
// once writing has begun, a failure leaves the item empty rather than part old and part new.
PlatformError WriteWholeHandle(PlatformStream* stream, PlatformHandle* handle) {
  // A container whose records are open cannot take new content: those records would point into an index that
  // is gone.
  for (PlatformStream* s = PlatformStream::FirstOpen(); s != nullptr; s = s->next) {
    if (s->parent == stream) return kPlatformErrFileBusy;
  }
  uint32_t size = PlatformHandle::GetSize(handle);
  PlatformError error = PlatformStream::SetSize(stream, size);
  // A shared stream may stand anywhere; the data goes from the start.
  if (error == kPlatformNoError) error = PlatformStream::SetPosition(stream, 0);
  if (error == kPlatformNoError) {
    uint8_t wasLocked = PlatformHandle::SetLocked(handle, 1);
    error = PlatformStream::Write(stream, size, handle->data);
    PlatformHandle::SetLocked(handle, wasLocked);
    if (error != kPlatformNoError) PlatformStream::SetSize(stream, 0);
  }
  // A stream that keeps copies of a container's header and index (a registered container's held stream) reads
  // them again from what it now holds, so that later record operations never work from the old index.
  if (stream->chunkIndex != nullptr) ChunkFile::ReadIndex(stream);
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
      // A text name is appended as it stands: it need not exist. One item has one path text, which callers
      // compare: no "/" is put after the root's "C:/" (giving "C://a.txt" for "C:/a.txt"), and an empty name adds
      // no "/" to the folder's own text.
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

namespace {

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }

// The drive letter and the rest of a path in the drive form ("C:\x", "C:/x") or the volume form ("/C/x"); 0 for
// any other path.
char SplitDrive(std::string_view text, std::string_view* rest) {
  if (text.size() >= 2 && IsDriveLetter(text[0]) && text[1] == ':') {
    *rest = text.substr(2);
    return text[0];
  }
  if (text.size() >= 2 && text[0] == '/' && IsDriveLetter(text[1]) && (text.size() == 2 || text[2] == '/')) {
    *rest = text.substr(2);
    return text[1];
  }
  return 0;
}

}  // namespace

PlatformError PlatformGetSystemPath(const char* path, char* buffer, uint32_t size) {
  if (size == 0) return kPlatformErrBadData;
  buffer[0] = '\0';
  if (path == nullptr) return kPlatformErrBadData;
  std::string text = path;
  std::string_view rest;
  char drive = SplitDrive(text, &rest);
  if (drive == 0 && !text.empty() && !IsPathSeparator(text[0])) {
    // A relative path: from the default folder.
    char folder[kWindowsPathSize * 2];
    PlatformError error = PlatformGetFullPath(0, "", folder, sizeof(folder));
    if (error != kPlatformNoError) return error;
    std::string full = folder;
    if (full.empty() || !IsPathSeparator(full.back())) full += '/';
    text = full + text;
    drive = SplitDrive(text, &rest);
  }
  std::string shown;
  if (drive == 'C' || drive == 'c') {
    while (!rest.empty() && IsPathSeparator(rest.front())) rest.remove_prefix(1);
    shown = "/" + std::string(rest);
  } else {
    shown = text;
  }
  for (char& c : shown) {
    if (c == '\\') c = '/';
  }
  if (shown.size() >= size) return kPlatformErrBadData;
  std::memcpy(buffer, shown.c_str(), shown.size() + 1);
  return kPlatformNoError;
}

PlatformError PlatformCreateFile(FolderRef folder, const PlatformFileInfo* info) {
  OwnedRef ref;
  PlatformError error = ResolveItem(folder, 0, &ref);
  if (error != kPlatformNoError) return error;
  return CreateInFolder(ref.Get(), info);
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
    // The stream may be shared with an earlier opener and stand anywhere: read from there, the whole size would
    // run past the end (-7210) or bring the wrong bytes.
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

// The folder that holds an item, and the item's name in it: the name's bytes in a disk folder, path text inside
// a container. An item that does not exist yet must be named by path text.
PlatformError SplitItem(FolderRef folder, FolderRef name, bool exists, OwnedRef* parent, char* leaf) {
  PlatformError error = kPlatformNoError;
  if (exists) {
    error = ResolveItem(folder, name, parent);
    if (error != kPlatformNoError) return error;
    if (IsRecord(parent->Get())) return FileRef::PopComponent(parent->Get(), leaf);
    if (IsStreamRoot(parent->Get())) return kPlatformErrContainerOfStream;
    uint8_t raw[256];
    error = FileRef::GetParent(parent->Get(), raw);
    std::memcpy(leaf, raw + 1, raw[0]);
    leaf[raw[0]] = '\0';
    return error;
  }
  if (!IsPathText(name)) return kPlatformErrFileNotFound;
  const char* text = reinterpret_cast<const char*>(name);
  const char* slash = std::strrchr(text, '/');
  std::string folderText = slash != nullptr ? std::string(text, static_cast<size_t>(slash - text)) : "";
  const char* leafText = slash != nullptr ? slash + 1 : text;
  error = ResolveItem(folder, folderText.empty() ? 0 : AsFolderRef(folderText.c_str()), parent);
  if (error != kPlatformNoError) return error;
  uint8_t decoded[256];
  error = DecodePathSegment(leafText, std::strlen(leafText), decoded);
  if (error == kPlatformNoError && decoded[0] == 0) error = kPlatformErrBadFileName;
  if (error != kPlatformNoError) return error;
  if (IsRecord(parent->Get()) || IsStreamRoot(parent->Get()) || FileRef::Exists(parent->Get())) {
    EscapePathName(decoded + 1, decoded[0], leaf, 256);
  } else {
    std::memcpy(leaf, decoded + 1, decoded[0]);
    leaf[decoded[0]] = '\0';
  }
  return kPlatformNoError;
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

// Removes the temporary files of `leafName` that earlier replacements left in the folder (a process killed
// half-way), once a replacement of it has succeeded. Failures change nothing: such a file is only left where it
// was.
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

// The full Windows path of `leafName` in a disk folder, or an empty text when it would be too long.
std::string DiskItemPath(PlatformHandle* folderRef, const char* leafName, bool* root) {
  char folder[kWindowsPathSize];
  FileRef::GetWindowsPath(folderRef, folder);
  size_t length = std::strlen(folder);
  *root = length == 3;
  if (length + (*root ? 0 : 1) + std::strlen(leafName) > kWindowsPathSize - 1) return "";
  return std::string(folder) + (*root ? "" : "\\") + leafName;
}

// A disk file replaced whole: the handle goes to a new temporary file in the same folder, which then takes the
// item's place, so a failure at any point leaves the old file as it was. The temporary file takes the first
// number whose name is free, so a file left by an earlier process that was killed while writing never stands in
// the way; such files are removed once the replacement has succeeded.
PlatformError ReplaceDiskFileByRename(PlatformHandle* folderRef, const char* leafName, PlatformHandle* handle) {
  bool root = false;
  std::string targetPath = DiskItemPath(folderRef, leafName, &root);
  constexpr uint32_t kNameTries = 1000;
  // The longest temporary name this write may try must fit as well as the item's own name.
  std::string longestName = TemporaryNameFor(leafName, temporaryCounter + kNameTries);
  bool longestFits = !DiskItemPath(folderRef, longestName.c_str(), &root).empty();
  if (targetPath.empty() || !longestFits) return kPlatformErrFile;
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
  char folder[kWindowsPathSize];
  FileRef::GetWindowsPath(folderRef, folder);
  RemoveStaleTemporaries(folder, root, leafName);
  return kPlatformNoError;
}

// Whether a disk stream is open on the file at `path` (a registered container's held stream included).
bool HasOpenDiskStream(const std::string& path) {
  for (PlatformStream* s = PlatformStream::FirstOpen(); s != nullptr; s = s->next) {
    if (s->parent == nullptr && s->memory == nullptr && path == s->path) return true;
  }
  return false;
}

}  // namespace

PlatformError PlatformWriteHandleToFile(FolderRef folder, FolderRef name, bool replace, uint32_t type,
                                        uint32_t creator, PlatformHandle* handle) {
  if (handle == nullptr) return kPlatformErrBadData;
  // Containers are not looked for: a container file is a file here and is written over like any other.
  PlatformFileInfo existing;
  PlatformError error = PlatformGetFileInfo(folder, name, &existing, false);
  bool exists = error == kPlatformNoError;
  if (!exists && error != kPlatformErrFileNotFound) return error;
  if (exists && !replace) return kPlatformErrFileExists;

  // A missing item is created, and a folder (or a record holding a container) is deleted and made anew as a
  // file; an existing file or record is written over in place, through the stream already open on it if any,
  // and keeps its permissions, attributes and type.
  bool created = false;
  if (!exists || existing.isFolder) {
    OwnedRef parent;
    char leaf[256];
    error = SplitItem(folder, name, exists, &parent, leaf);
    if (error == kPlatformNoError && exists) error = PlatformDeleteFile(folder, name);
    if (error == kPlatformNoError) {
      PlatformFileInfo info = InfoForHandle(leaf, type, creator, handle);
      error = CreateInFolder(parent.Get(), &info);
    }
    if (error != kPlatformNoError) return error;
    created = true;
  }
  PlatformStream* stream = nullptr;
  error = PlatformStream::Open(folder, name, 1, &stream);
  if (error == kPlatformNoError) {
    error = WriteWholeHandle(stream, handle);
    PlatformError flushed = PlatformStream::Flush(stream);
    if (error == kPlatformNoError) error = flushed;
    error = CloseKeeping(stream, error);
  }
  if (error != kPlatformNoError && created) PlatformDeleteFile(folder, name);
  return error;
}

PlatformError PlatformReplaceFileWithHandle(FolderRef folder, FolderRef name, uint32_t type, uint32_t creator,
                                            PlatformHandle* handle) {
  if (handle == nullptr) return kPlatformErrBadData;
  PlatformFileInfo existing;
  PlatformError error = PlatformGetFileInfo(folder, name, &existing, false);
  bool exists = error == kPlatformNoError;
  if (!exists && error != kPlatformErrFileNotFound) return error;
  if (exists && !existing.isFolder && !existing.writable) return kPlatformErrAccessDenied;
  OwnedRef parent;
  char leaf[256];
  error = SplitItem(folder, name, exists, &parent, leaf);
  if (error != kPlatformNoError) return error;
  bool diskFolder = !IsRecord(parent.Get()) && !IsStreamRoot(parent.Get()) && !FileRef::Exists(parent.Get());
  bool root = false;
  // Records, folders and files that a stream has open are written the ordinary way: a renamed file would leave
  // an open stream on the old one.
  if (!diskFolder || (exists && existing.isFolder) || HasOpenDiskStream(DiskItemPath(parent.Get(), leaf, &root))) {
    parent.Reset();
    return PlatformWriteHandleToFile(folder, name, true, type, creator, handle);
  }
  return ReplaceDiskFileByRename(parent.Get(), leaf, handle);
}
