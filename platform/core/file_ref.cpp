// File and folder references: resolving, registering, path text, information, listings, creation and
// deletion, special folders, volumes, file types and the mapping of system errors.
#include "platform/core/file_ref.h"

#include <cstring>
#include <string>
#include <vector>

#include "host/files.h"
#include "platform/core/chunk_file.h"
#include "platform/core/platform_stream.h"
#include "platform/core/strings.h"

namespace {

constexpr size_t kRefHeaderSize = offsetof(FileRefData, components);
constexpr uint32_t kLongestPathText = kWindowsPathSize - 1;
constexpr size_t kLongestComponentChain = 4096;
constexpr uint32_t kDeepestWalk = 64;

PlatformHandle* registeredRefs = nullptr;

// Bytes of the component chain with its zero end byte, bounded by the handle.
size_t ChainLength(PlatformHandle* ref) {
  const uint8_t* chain = FileRef::Data(ref)->components;
  size_t limit = ref->size > kRefHeaderSize ? ref->size - kRefHeaderSize : 0;
  size_t p = 0;
  while (p < limit && chain[p] != 0) p += 1 + chain[p];
  return p < limit ? p + 1 : limit;
}

// A working copy of a reference: unregistered, no held stream, one more use of its root stream.
PlatformHandle* CopyRef(PlatformHandle* source) {
  PlatformHandle* copy = PlatformHandle::Duplicate(source);
  if (copy == nullptr) return nullptr;
  PlatformHandle::SetLocked(copy, 0);
  FileRefData* data = FileRef::Data(copy);
  data->link = nullptr;
  data->heldStream = nullptr;
  if (data->rootStream != nullptr) PlatformStream::AddRef(data->rootStream, 1);
  return copy;
}

// Makes the reference a plain disk reference: no components, no root stream.
PlatformError ClearToDisk(PlatformHandle* ref) {
  if (ref->size != kRefHeaderSize + 1) {
    PlatformError error = PlatformHandle::SetSize(ref, kRefHeaderSize + 1);
    if (error != kPlatformNoError) return error;
  }
  FileRefData* data = FileRef::Data(ref);
  data->components[0] = 0;
  if (data->rootStream != nullptr) {
    PlatformStream* root = data->rootStream;
    data->rootStream = nullptr;
    PlatformStream::Close(root);
  }
  return kPlatformNoError;
}

bool IsRoot(const FileRefData* data) { return data->path[0] == '\\' && data->path[1] == '\0'; }

// The full Windows path of the reference followed by "\" (none after the root) and a name; false when it would
// not fit in a Windows path.
bool ChildPath(PlatformHandle* ref, const char* name, size_t nameLength, char* out) {
  FileRef::GetWindowsPath(ref, out);
  size_t length = std::strlen(out);
  bool separator = !IsRoot(FileRef::Data(ref));
  if (length + (separator ? 1 : 0) + nameLength > kLongestPathText) return false;
  if (separator) out[length++] = '\\';
  std::memcpy(out + length, name, nameLength);
  out[length + nameLength] = '\0';
  return true;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Seconds since 1970 of a file time, by the calendar rule stored files use: every fourth year is a leap year.
uint32_t SecondsOf(const FILETIME& time) {
  SYSTEMTIME s;
  if (!FileTimeToSystemTime(&time, &s)) return 0;
  static const int kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int64_t days = (static_cast<int64_t>(s.wYear) + (s.wMonth > 2 ? 1 : 0) - 1969) / 4 +
                 365 * static_cast<int64_t>(s.wYear) - 719050;
  for (int m = 1; m < s.wMonth && m <= 12; ++m) days += kMonthDays[m - 1];
  days += s.wDay - 1;
  int64_t seconds = days * 86400 + s.wHour * 3600 + s.wMinute * 60 + s.wSecond;
  return seconds < 0 ? 0 : static_cast<uint32_t>(seconds);
}

FolderIdentity IdentityOfPath(const char* windowsPath) {
  FolderIdentity identity = {0, 0, 0};
  HANDLE item = CreateFileA(windowsPath, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (item == INVALID_HANDLE_VALUE) return identity;
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileInformationByHandle(item, &info)) {
    identity = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
  }
  CloseHandle(item);
  return identity;
}

// Records inside containers cannot form cycles; each gets an identity no other item shares.
FolderIdentity UniqueRecordIdentity() {
  static uint32_t counter = 0;
  return {0xFFFFFFFFu, 0xFFFFFFFFu, ++counter};
}

struct ListingCache {
  std::string folder;
  std::vector<std::string> names;
  bool valid = false;
};
ListingCache listingCache;

// The folder's items as the system lists them ("." and ".." left out), cached for walking one folder in turn.
PlatformError ListingOf(PlatformHandle* folder, bool refresh, const std::vector<std::string>** names) {
  char path[kWindowsPathSize];
  FileRef::GetWindowsPath(folder, path);
  if (refresh || !listingCache.valid || listingCache.folder != path) {
    listingCache.valid = false;
    listingCache.names.clear();
    char pattern[kWindowsPathSize];
    if (!ChildPath(folder, "*.*", 3, pattern)) return kPlatformErrFile;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA(pattern, &found);
    if (find == INVALID_HANDLE_VALUE) return LastFileError();
    do {
      if (std::strcmp(found.cFileName, ".") != 0 && std::strcmp(found.cFileName, "..") != 0) {
        listingCache.names.push_back(found.cFileName);
      }
    } while (FindNextFileA(find, &found));
    FindClose(find);
    listingCache.folder = path;
    listingCache.valid = true;
  }
  *names = &listingCache.names;
  return kPlatformNoError;
}

// The number of items in a folder, "." and ".." left out (the listing cache stays as it is).
uint32_t CountFolderEntries(PlatformHandle* folder) {
  char pattern[kWindowsPathSize];
  if (!ChildPath(folder, "*.*", 3, pattern)) return 0;
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA(pattern, &found);
  if (find == INVALID_HANDLE_VALUE) return 0;
  uint32_t count = 0;
  do {
    ++count;
  } while (FindNextFileA(find, &found));
  FindClose(find);
  return count >= 2 ? count - 2 : 0;
}

// Applies one decoded path segment to a working reference.
PlatformError ApplySegment(PlatformHandle* work, const uint8_t* name) {
  FileRefData* data = FileRef::Data(work);
  size_t length = name[0];
  const char* text = reinterpret_cast<const char*>(name + 1);
  bool inContainer = data->rootStream != nullptr || FileRef::HasComponents(work);
  if (!inContainer) {
    char full[kWindowsPathSize];
    FileRef::GetWindowsPath(work, full);
    DWORD attributes = GetFileAttributesA(full);
    // A file on the way is a container: the names after it are its records.
    inContainer = attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  }
  if (inContainer) return FileRef::PushComponent(work, name);
  // On disk "." stays where it is and ".." steps to the parent, so that a path never holds them: two texts for one
  // file would give two references different paths, and their streams, matched by path, would not be shared (one
  // writer's bytes lost under the other's). Inside a container they are record names like others.
  if (length == 1 && text[0] == '.') return kPlatformNoError;
  if (length == 2 && text[0] == '.' && text[1] == '.') {
    uint8_t ignored[256];
    return FileRef::GetParent(work, ignored);
  }
  if (std::memchr(text, '/', length) != nullptr) return kPlatformErrBadFileName;  // a separator on disk
  char candidate[kWindowsPathSize];
  if (!ChildPath(work, text, length, candidate)) return kPlatformErrFile;
  if (GetFileAttributesA(candidate) == INVALID_FILE_ATTRIBUTES) return LastFileError();
  std::strcpy(data->path, candidate + std::strlen(data->drive));
  return kPlatformNoError;
}

PlatformError ParsePathText(PlatformHandle* work, const char* text) {
  bool volumeFirst = text[0] == '/';
  bool first = true;
  const char* p = text;
  while (*p != '\0') {
    const char* end = std::strchr(p, '/');
    if (end == nullptr) end = p + std::strlen(p);
    if (end > p) {
      uint8_t name[256];
      PlatformError error = DecodePathSegment(p, static_cast<size_t>(end - p), name);
      if (error == kPlatformNoError) {
        error = (first && volumeFirst) ? FindVolumeByName(work, name) : ApplySegment(work, name);
      }
      if (error != kPlatformNoError) return error;
      first = false;
    }
    p = *end == '/' ? end + 1 : end;
  }
  return kPlatformNoError;
}

PlatformError StepToParent(PlatformHandle* work) {
  FileRefData* data = FileRef::Data(work);
  if (FileRef::HasComponents(work)) return FileRef::PopComponent(work, nullptr);
  if (data->rootStream != nullptr) return kPlatformErrPathNotFound;
  uint8_t ignored[256];
  return FileRef::GetParent(work, ignored);
}

PlatformError ApplyTarget(PlatformHandle* work, FolderRef target) {
  if (target == kFolderParent) return StepToParent(work);
  if (target >= kFolderDocuments && target <= kFolderProgram) return GetSpecialFolder(work, target);
  if (target >= 1 && target <= kFolderLastVolume) return ListVolumes(work, static_cast<int32_t>(target));
  return ParsePathText(work, reinterpret_cast<const char*>(target));
}

// Disposes a working copy: its root stream loses the use the copy held.
void DisposeCopy(PlatformHandle* ref) {
  FileRefData* data = FileRef::Data(ref);
  if (data->rootStream != nullptr) PlatformStream::Close(data->rootStream);
  if (data->heldStream != nullptr) PlatformStream::Close(data->heldStream);
  PlatformHandle::Dispose(ref);
}

// Moves a working copy's content into `base`, which keeps its link and held stream.
PlatformError AdoptInto(PlatformHandle* base, PlatformHandle* work) {
  uint8_t wasLocked = PlatformHandle::SetLocked(base, 0);
  PlatformError error = PlatformHandle::SetSize(base, work->size);
  PlatformHandle::SetLocked(base, wasLocked);
  if (error != kPlatformNoError) {
    DisposeCopy(work);
    return error;
  }
  FileRefData* data = FileRef::Data(base);
  PlatformHandle* link = data->link;
  PlatformStream* held = data->heldStream;
  PlatformStream* oldRoot = data->rootStream;
  std::memcpy(base->data, work->data, work->size);
  data->link = link;
  data->heldStream = held;
  if (oldRoot != nullptr) PlatformStream::Close(oldRoot);
  PlatformHandle::Dispose(work);
  return kPlatformNoError;
}

}  // namespace

PlatformHandle* FileRef::New() {
  PlatformHandle* ref = PlatformHandle::New(static_cast<uint32_t>(kRefHeaderSize + 1));
  if (ref == nullptr) return nullptr;
  PlatformClearBlock(ref->data, kRefHeaderSize + 1);
  FileRefData* data = Data(ref);
  std::memcpy(data->drive, "C:", 2);
  data->path[0] = '\\';
  return ref;
}

void FileRef::GetWindowsPath(PlatformHandle* ref, char* out) {
  const FileRefData* data = Data(ref);
  PlatformCopyStringBounded(out, data->drive, kWindowsPathSize);
  PlatformAppendStringBounded(out, data->path, kWindowsPathSize);
}

PlatformError FileRef::Resolve(PlatformHandle* base, FolderRef target, PlatformHandle** out) {
  if (out != nullptr) *out = nullptr;
  if (base == nullptr) return kPlatformErrBadReference;
  if (Data(base)->rootStream == nullptr) {
    PlatformError error = CheckExists(base);
    if (error != kPlatformNoError) return error;
  }
  if (target == kFolderBase && out == nullptr) return kPlatformNoError;
  bool registered = target != kFolderBase && IsValid(target);
  PlatformHandle* work = CopyRef(registered ? reinterpret_cast<PlatformHandle*>(target) : base);
  if (work == nullptr) return kPlatformErrNoMemory;
  bool emptyText = !IsSpecialFolderNumber(target) && reinterpret_cast<const char*>(target)[0] == '\0';
  if (!registered && target != kFolderBase && !emptyText) {  // an empty path text changes nothing
    PlatformError error = ApplyTarget(work, target);
    if (error != kPlatformNoError) {
      DisposeCopy(work);
      return error;
    }
  }
  if (out != nullptr) {
    *out = work;
    return kPlatformNoError;
  }
  return AdoptInto(base, work);
}

PlatformError FileRef::Register(PlatformHandle* ref) {
  FileRefData* data = Data(ref);
  if (!IsValid(AsFolderRef(ref))) {
    data->link = registeredRefs;
    registeredRefs = ref;
  }
  if (data->heldStream != nullptr) {
    PlatformStream::AddRef(data->heldStream, 1);
    return kPlatformNoError;
  }
  if (data->rootStream == nullptr && !HasComponents(ref) && Exists(ref)) {
    char path[kWindowsPathSize];
    GetWindowsPath(ref, path);
    DWORD attributes = GetFileAttributesA(path);
    bool writable = attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_READONLY);
    PlatformStream* held = nullptr;
    // A file that is no container simply gets no held stream.
    if (PlatformStream::OpenForRef(ref, writable, false, true, &held, nullptr) == kPlatformNoError) {
      Data(ref)->heldStream = held;
    }
  }
  return kPlatformNoError;
}

bool FileRef::IsValid(FolderRef value) {
  if (IsSpecialFolderNumber(value)) return false;
  for (PlatformHandle* ref = registeredRefs; ref != nullptr; ref = Data(ref)->link) {
    if (AsFolderRef(ref) == value) return true;
  }
  return false;
}

PlatformHandle* FileRef::FirstRegistered() { return registeredRefs; }

PlatformError FileRef::Dispose(FolderRef value) {
  if (IsSpecialFolderNumber(value) || value == 0) return kPlatformNoError;
  auto* ref = reinterpret_cast<PlatformHandle*>(value);
  for (PlatformHandle** link = &registeredRefs; *link != nullptr; link = &Data(*link)->link) {
    if (*link == ref) {
      *link = Data(ref)->link;
      break;
    }
  }
  DisposeCopy(ref);
  return kPlatformNoError;
}

PlatformError DecodePathSegment(const char* text, size_t length, uint8_t* outName) {
  size_t count = 0;
  for (size_t i = 0; i < length; ++i) {
    uint8_t byte = static_cast<uint8_t>(text[i]);
    if (byte == ':' || byte == '\\') return kPlatformErrBadFileName;
    if (byte == '%' && i + 2 < length) {
      int high = HexValue(text[i + 1]);
      int low = HexValue(text[i + 2]);
      if (high >= 0 && low >= 0) {
        uint8_t decoded = static_cast<uint8_t>(high * 16 + low);
        if (decoded != ':' && decoded != '\\') {
          byte = decoded;
          i += 2;
        }
      }
    }
    // A 0 byte ("%00") would cut the name where records are looked up by their terminated names, and a name
    // longer than its length byte can count would be stored cut: either way another item than the one named
    // would be opened, written or deleted.
    if (byte == 0 || count == kComponentMaxLength) return kPlatformErrBadFileName;
    outName[1 + count++] = byte;
  }
  outName[0] = static_cast<uint8_t>(count);
  return kPlatformNoError;
}

void EscapePathName(const uint8_t* bytes, size_t length, char* out, uint32_t size) {
  static const char kHex[] = "0123456789ABCDEF";
  if (size == 0) return;
  uint32_t limit = size - 1 < kComponentMaxLength ? size - 1 : kComponentMaxLength;
  uint32_t n = 0;
  for (size_t i = 0; i < length; ++i) {
    uint8_t byte = bytes[i];
    bool escape = byte == 0 || byte == '\t' || byte == '\n' || byte == '\r' || byte == '%' || byte == '/' ||
                  byte == ':' || byte == '\\';
    if (escape) {
      if (n + 3 > limit) break;
      out[n++] = '%';
      out[n++] = kHex[byte >> 4];
      out[n++] = kHex[byte & 15];
    } else {
      if (n + 1 > limit) break;
      out[n++] = static_cast<char>(byte);
    }
  }
  out[n] = '\0';
}

PlatformError FileRef::GetPathText(PlatformHandle* ref, char* out, uint32_t size) {
  if (size == 0) return kPlatformNoError;
  char path[kWindowsPathSize];
  GetWindowsPath(ref, path);
  for (char* p = path; *p != '\0'; ++p) {
    if (*p == '\\') *p = '/';
  }
  PlatformCopyStringBounded(out, path, size);
  const uint8_t* chain = Data(ref)->components;
  size_t limit = ChainLength(ref);
  for (size_t p = 0; p + 1 < limit && chain[p] != 0; p += 1 + chain[p]) {
    size_t length = std::strlen(out);
    if (length == 0 || out[length - 1] != '/') PlatformAppendStringBounded(out, "/", size);
    char escaped[256];
    EscapePathName(chain + p + 1, chain[p], escaped, sizeof(escaped));
    PlatformAppendStringBounded(out, escaped, size);
  }
  return kPlatformNoError;
}

PlatformError FileRef::SetFromDrivePath(PlatformHandle* ref, char letter, const char* path) {
  if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
  if (letter < 'A' || letter > 'Z') return kPlatformErrBadFileName;
  // The path is made absolute against the drive's root: a relative path starts there.
  std::string text = std::string(1, letter) + ":";
  if (path[0] != '\\' && path[0] != '/') text += "\\";
  text += path;
  char full[kWindowsPathSize];
  DWORD length = GetFullPathNameA(text.c_str(), sizeof(full), full, nullptr);
  if (length == 0) return LastFileError();
  if (length >= sizeof(full)) return kPlatformErrFile;
  if (!((full[0] >= 'A' && full[0] <= 'Z') && full[1] == ':' && full[2] == '\\')) return kPlatformErrFile;
  if (length > 3 && full[length - 1] == '\\') full[--length] = '\0';
  PlatformError error = ClearToDisk(ref);
  if (error != kPlatformNoError) return error;
  FileRefData* data = Data(ref);
  std::memset(data->drive, 0, sizeof(data->drive));
  data->drive[0] = full[0];
  data->drive[1] = ':';
  PlatformCopyStringBounded(data->path, full + 2, kWindowsPathSize);
  return kPlatformNoError;
}

PlatformError FileRef::GetParent(PlatformHandle* ref, uint8_t* outName) {
  FileRefData* data = Data(ref);
  outName[0] = 0;
  if (IsRoot(data)) return kPlatformErrPathNotFound;
  char* cut = std::strrchr(data->path, '\\');
  if (cut == nullptr) return kPlatformErrPathNotFound;
  size_t length = std::strlen(cut + 1);
  if (length > kComponentMaxLength) length = kComponentMaxLength;
  outName[0] = static_cast<uint8_t>(length);
  std::memcpy(outName + 1, cut + 1, length);
  if (cut == data->path) {
    cut[1] = '\0';  // a first-level item's parent is the root
  } else {
    *cut = '\0';
  }
  return kPlatformNoError;
}

PlatformError FileRef::PushComponent(PlatformHandle* ref, const uint8_t* name) {
  if (name[0] == 0) return kPlatformErrBadFileName;
  size_t chain = ChainLength(ref);
  if (chain + 1 + name[0] > kLongestComponentChain) return kPlatformErrFile;  // nesting has a bound
  uint8_t wasLocked = PlatformHandle::SetLocked(ref, 0);
  PlatformError error = PlatformHandle::SetSize(ref, static_cast<uint32_t>(kRefHeaderSize + chain + 1 + name[0]));
  PlatformHandle::SetLocked(ref, wasLocked);
  if (error != kPlatformNoError) return error;
  uint8_t* end = Data(ref)->components + chain - 1;
  std::memcpy(end, name, 1 + name[0]);
  end[1 + name[0]] = 0;
  return kPlatformNoError;
}

PlatformError FileRef::PopComponent(PlatformHandle* ref, char* outText) {
  if (outText != nullptr) outText[0] = '\0';
  uint8_t* chain = Data(ref)->components;
  size_t limit = ChainLength(ref);
  size_t last = limit;
  for (size_t p = 0; p + 1 < limit && chain[p] != 0; p += 1 + chain[p]) last = p;
  if (last == limit) return kPlatformErrPathNotFound;
  if (outText != nullptr) EscapePathName(chain + last + 1, chain[last], outText, 256);
  chain[last] = 0;
  uint8_t wasLocked = PlatformHandle::SetLocked(ref, 0);
  PlatformHandle::SetSize(ref, static_cast<uint32_t>(kRefHeaderSize + last + 1));  // shrinking: cannot fail
  PlatformHandle::SetLocked(ref, wasLocked);
  return kPlatformNoError;
}

PlatformError FileRef::CheckExists(PlatformHandle* ref) {
  char path[kWindowsPathSize];
  GetWindowsPath(ref, path);
  return GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES ? LastFileError() : kPlatformNoError;
}

bool FileRef::Exists(PlatformHandle* ref) {
  char path[kWindowsPathSize];
  GetWindowsPath(ref, path);
  DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

PlatformError FileRef::GetInfo(PlatformHandle* ref, PlatformFileInfo* info, bool checkContainer) {
  PlatformFileInfo local;
  if (info == nullptr) info = &local;
  PlatformClearBlock(info, sizeof(*info));
  char path[kWindowsPathSize];
  GetWindowsPath(ref, path);
  WIN32_FIND_DATAA found;
  DWORD attributes;
  HANDLE find = FindFirstFileA(path, &found);
  bool haveFind = find != INVALID_HANDLE_VALUE;
  if (haveFind) {
    FindClose(find);
    attributes = found.dwFileAttributes;
    PlatformCopyStringBounded(info->name, found.cFileName, sizeof(info->name));
  } else {
    attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return LastFileError();
    PlatformCopyStringBounded(info->name, Data(ref)->drive, sizeof(info->name));
  }
  info->readable = (attributes & FILE_ATTRIBUTE_OFFLINE) ? 0 : 1;
  info->writable = (attributes & FILE_ATTRIBUTE_READONLY) ? 0 : 1;
  info->isFolder = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
  info->hidden = (attributes & FILE_ATTRIBUTE_HIDDEN) ? 1 : 0;
  if (haveFind) {
    info->created = SecondsOf(found.ftCreationTime);
    info->modified = SecondsOf(found.ftLastWriteTime);
  }
  uint32_t entries = 0;
  if (!info->isFolder && checkContainer && IsChunkFile(ref, &entries)) {
    info->isFolder = 1;
    info->isContainer = 1;
    info->size = entries;
  } else if (info->isFolder) {
    info->size = CountFolderEntries(ref);
  } else if (haveFind) {
    info->size = found.nFileSizeHigh != 0 ? 0xFFFFFFFFu : found.nFileSizeLow;
    FileTypeRow row = GetFileTypeForName(info->name, 0);
    info->type = row.type;
    info->creator = row.creator;
  }
  return kPlatformNoError;
}

PlatformError FileRef::GetTimes(PlatformHandle* ref, uint32_t* created, uint32_t* modified) {
  *created = 0;
  *modified = 0;
  char path[kWindowsPathSize];
  GetWindowsPath(ref, path);
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA(path, &found);
  if (find == INVALID_HANDLE_VALUE) return LastFileError();
  FindClose(find);
  *created = SecondsOf(found.ftCreationTime);
  *modified = SecondsOf(found.ftLastWriteTime);
  return kPlatformNoError;
}

PlatformError FileRef::ListFolder(PlatformHandle* folder, uint32_t n, PlatformFileInfo* info,
                                  FolderIdentity* identity, bool checkContainer) {
  const std::vector<std::string>* names = nullptr;
  PlatformError error = ListingOf(folder, n == 0, &names);
  if (error != kPlatformNoError) return error;
  if (n >= names->size()) return kPlatformErrFileNotFound;
  const std::string& name = (*names)[n];
  char child[kWindowsPathSize];
  if (!ChildPath(folder, name.c_str(), name.size(), child)) return kPlatformErrFile;
  if (identity != nullptr) *identity = IdentityOfPath(child);
  if (info == nullptr) return kPlatformNoError;
  PlatformHandle* item = CopyRef(folder);
  if (item == nullptr) return kPlatformErrNoMemory;
  PlatformCopyStringBounded(Data(item)->path, child + std::strlen(Data(item)->drive), kWindowsPathSize);
  error = GetInfo(item, info, checkContainer);
  DisposeCopy(item);
  return error;
}

void FileRef::FreeListingCache() {
  listingCache.valid = false;
  listingCache.folder.clear();
  listingCache.names.clear();
  listingCache.names.shrink_to_fit();
}

PlatformError FileRef::Create(PlatformHandle* folder, const PlatformFileInfo* info) {
  // The new item is the folder's path, "\" and the name as it stands (a name of "sub/x" makes "x" in "sub").
  size_t length = strnlen(info->name, sizeof(info->name));
  if (length == sizeof(info->name)) return kPlatformErrBadFileName;  // no terminator: never read past it
  char path[kWindowsPathSize];
  if (!ChildPath(folder, info->name, length, path)) return kPlatformErrFile;
  if (info->isFolder) {
    if (!CreateDirectoryA(path, nullptr)) return LastFileError();
  } else {
    UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS);
    HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              info->hidden ? FILE_ATTRIBUTE_HIDDEN : FILE_ATTRIBUTE_NORMAL, nullptr);
    SetErrorMode(oldMode);
    if (file == INVALID_HANDLE_VALUE) return LastFileError();
    PlatformError error = kPlatformNoError;
    if (info->size != 0) {
      LONG high = 0;
      if (SetFilePointer(file, static_cast<LONG>(info->size), &high, FILE_BEGIN) == INVALID_SET_FILE_POINTER &&
          GetLastError() != ERROR_SUCCESS) {
        error = LastFileError();
      } else if (!SetEndOfFile(file)) {
        error = LastFileError();
      }
    }
    if (!CloseHandle(file) && error == kPlatformNoError) error = LastFileError();
    if (error != kPlatformNoError) {
      DeleteFileA(path);  // this call made the file: it goes again
      return error;
    }
  }
  // The reference keeps the one spelling of the path that resolving gives, with "\" between its names, so that
  // streams opened through it are shared with those opened by path text.
  for (char* p = path; *p != '\0'; ++p) {
    if (*p == '/') *p = '\\';
  }
  PlatformCopyStringBounded(Data(folder)->path, path + std::strlen(Data(folder)->drive), kWindowsPathSize);
  return kPlatformNoError;
}

PlatformError FileRef::Delete(PlatformHandle* ref) {
  char path[kWindowsPathSize];
  GetWindowsPath(ref, path);
  DWORD attributes = GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return LastFileError();
  BOOL done = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? RemoveDirectoryA(path) : DeleteFileA(path);
  return done ? kPlatformNoError : LastFileError();
}

PlatformError FileRef::WalkTree(PlatformHandle* top, PlatformHandle* folder, FolderWalkProc callback, void* user,
                                uint32_t flags, PlatformHandle* identityStack, PlatformHandle* relativePath,
                                uint32_t entryCount, uint32_t* progress, uint32_t total) {
  struct Item {
    PlatformFileInfo info;
    FolderIdentity identity;
    std::string pathName;  // the item's name as path text
  };
  std::vector<Item> items;  // the stored entry count is only a hint: a container's may be hostile
  FileRefData* data = Data(folder);
  bool asContainer = data->rootStream != nullptr || HasComponents(folder) || Exists(folder);
  if (asContainer) {
    PlatformStream* container = nullptr;
    PlatformError error = PlatformStream::OpenForRef(folder, false, false, true, &container, nullptr);
    if (error == kPlatformNoError) error = ChunkFile::EnsureIndex(container);
    for (uint32_t i = 0; error == kPlatformNoError; ++i) {
      Item item;
      error = ChunkFile::GetRecordInfo(container, i, &item.info, folder);
      if (error != kPlatformNoError) break;
      item.identity = UniqueRecordIdentity();
      item.pathName = item.info.name;  // record names come escaped already
      items.push_back(item);
    }
    if (container != nullptr) PlatformStream::Close(container);
    if (error != kPlatformErrFileNotFound) return error;
  } else {
    for (uint32_t i = 0;; ++i) {
      Item item;
      PlatformError error = ListFolder(folder, i, &item.info, &item.identity, !(flags & kWalkContainersPlain));
      if (error == kPlatformErrFileNotFound) break;
      if (error != kPlatformNoError) return error;
      char escaped[256];
      EscapePathName(reinterpret_cast<const uint8_t*>(item.info.name), strnlen(item.info.name, 256), escaped,
                     sizeof(escaped));
      item.pathName = escaped;
      items.push_back(item);
    }
  }
  char topPath[kWindowsPathSize];
  GetWindowsPath(top, topPath);
  FolderIdentity topIdentity = Data(top)->rootStream == nullptr && !HasComponents(top) ? IdentityOfPath(topPath)
                                                                                        : UniqueRecordIdentity();
  size_t count = items.size();
  for (size_t k = 0; k < count; ++k) {
    const Item& item = items[(flags & kWalkReverseAfter) ? count - 1 - k : k];
    uint32_t depthBelow = identityStack->size / sizeof(FolderIdentity);
    int32_t percent = total == 0 ? 0 : static_cast<int32_t>(uint64_t{*progress} * 100 / total);
    // The relative path text is kept zero-terminated inside its handle.
    auto relative = [&]() { return static_cast<const char*>(relativePath->data); };
    if (!(flags & kWalkReverseAfter)) {
      PlatformError result = callback(AsFolderRef(top), relative(), &item.info, percent,
                                      static_cast<int32_t>(depthBelow + 1), user);
      if (result != kPlatformNoError) return result;
    }
    bool enterable = item.info.isFolder && !(item.info.isContainer && (flags & kWalkContainersPlain));
    bool seen = std::memcmp(&item.identity, &topIdentity, sizeof(FolderIdentity)) == 0;
    const auto* stack = static_cast<const FolderIdentity*>(identityStack->data);
    for (uint32_t s = 0; s < depthBelow && !seen; ++s) {
      seen = std::memcmp(&stack[s], &item.identity, sizeof(FolderIdentity)) == 0;
    }
    // Containers nest within their own bytes without any path limit: the walk goes at most this deep.
    if ((flags & kWalkDescend) && enterable && !seen && depthBelow < kDeepestWalk) {
      uint32_t oldPathSize = relativePath->size;
      uint32_t oldStackSize = identityStack->size;
      std::string segment = item.pathName + "/";
      PlatformError error = PlatformHandle::SetSize(relativePath, oldPathSize + static_cast<uint32_t>(segment.size()));
      if (error == kPlatformNoError) {
        char* text = static_cast<char*>(relativePath->data);
        std::memcpy(text + oldPathSize - 1, segment.c_str(), segment.size() + 1);
        error = PlatformHandle::AppendBytes(identityStack, &item.identity, sizeof(FolderIdentity));
      }
      if (error == kPlatformNoError) {
        error = Resolve(folder, AsFolderRef(item.pathName.c_str()), nullptr);
        if (error == kPlatformNoError) {
          error = WalkTree(top, folder, callback, user, flags, identityStack, relativePath, item.info.size,
                           progress, total);
          PlatformError back = Resolve(folder, kFolderParent, nullptr);
          if (error == kPlatformNoError) error = back;
        }
      }
      PlatformHandle::SetSize(relativePath, oldPathSize);
      static_cast<char*>(relativePath->data)[oldPathSize - 1] = '\0';
      PlatformHandle::SetSize(identityStack, oldStackSize);
      if (error != kPlatformNoError) return error;
    }
    if (flags & kWalkReverseAfter) {
      PlatformError result = callback(AsFolderRef(top), relative(), &item.info, percent,
                                      static_cast<int32_t>(depthBelow + 1), user);
      if (result != kPlatformNoError) return result;
    }
    if (depthBelow < 2) ++*progress;
  }
  return kPlatformNoError;
}

PlatformHandle* NewDefaultFileInfo() {
  PlatformHandle* handle = PlatformHandle::New(sizeof(PlatformFileInfo));
  if (handle == nullptr) return nullptr;
  auto* info = static_cast<PlatformFileInfo*>(handle->data);
  PlatformClearBlock(info, sizeof(*info));
  info->readable = 1;
  info->writable = 1;
  FileTypeRow text = GetFileTypeForName("", FourCharCode("TEXT"));  // the first row: 'TEXT' / 'ttxt'
  info->type = text.type;
  info->creator = text.creator;
  return handle;
}

