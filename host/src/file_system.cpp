// Items on disk by path: attributes, sorted searches, folders, deletion, renaming, full paths, the current
// folder and file times.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "host/files.h"
#include "kernel_object.h"
#include "host_paths.h"

namespace {

struct SearchObject : host::KernelObject {
  std::vector<WIN32_FIND_DATAA> found;
  size_t next = 0;
};

std::string LastName(const std::string& posix) {
  size_t slash = posix.find_last_of('/');
  return slash == std::string::npos ? posix : posix.substr(slash + 1);
}

// stat that also describes a dangling symbolic link (as the link itself).
bool StatItem(const std::string& posix, struct stat* info) {
  return stat(posix.c_str(), info) == 0 || lstat(posix.c_str(), info) == 0;
}

bool FillFindData(const std::string& posix, const std::string& name, WIN32_FIND_DATAA* data) {
  struct stat info;
  if (!StatItem(posix, &info)) return false;
  std::memset(data, 0, sizeof(*data));
  data->dwFileAttributes = HostAttributesOf(info, posix, name);
  data->ftCreationTime = HostCreationTime(posix, info);
  data->ftLastAccessTime = HostFileTime(info.st_atim);
  data->ftLastWriteTime = HostFileTime(info.st_mtim);
  if (!S_ISDIR(info.st_mode)) {
    uint64_t size = static_cast<uint64_t>(info.st_size);
    data->nFileSizeHigh = static_cast<DWORD>(size >> 32);
    data->nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFFu);
  }
  std::strncpy(data->cFileName, name.c_str(), MAX_PATH - 1);
  return true;
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// "*" any run of bytes, "?" one byte, letters without regard to case.
bool MatchesMask(const char* mask, const char* name) {
  if (*mask == '\0') return *name == '\0';
  if (*mask == '*') {
    for (const char* rest = name;; ++rest) {
      if (MatchesMask(mask + 1, rest)) return true;
      if (*rest == '\0') return false;
    }
  }
  if (*name == '\0') return false;
  if (*mask != '?' && LowerAscii(*mask) != LowerAscii(*name)) return false;
  return MatchesMask(mask + 1, name + 1);
}

bool HasWildcard(const std::string& mask) { return mask.find_first_of("*?") != std::string::npos; }

}  // namespace

DWORD GetFileAttributesA(LPCSTR fileName) {
  std::string posix;
  DWORD error = 0;
  if (!HostPosixPath(fileName, &posix, &error)) {
    SetLastError(error);
    return INVALID_FILE_ATTRIBUTES;
  }
  struct stat info;
  if (!StatItem(posix, &info)) {
    SetLastError(HostErrorFromErrno(errno, posix));
    return INVALID_FILE_ATTRIBUTES;
  }
  SetLastError(ERROR_SUCCESS);
  return HostAttributesOf(info, posix, LastName(posix));
}

HANDLE FindFirstFileA(LPCSTR fileName, WIN32_FIND_DATAA* findData) {
  std::string full;
  DWORD error = 0;
  if (!HostFullWindowsPath(fileName, &full, &error)) {
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
  }
  // A drive root, or a path ending in "\", names no item to find.
  if (full.back() == '\\') {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  size_t cut = full.find_last_of('\\');
  std::string folderText = full.substr(0, cut + 1);
  std::string mask = full.substr(cut + 1);
  auto search = std::make_shared<SearchObject>();
  if (HasWildcard(mask)) {
    std::string folder;
    if (!HostPosixPath(folderText.c_str(), &folder, &error)) {
      SetLastError(error);
      return INVALID_HANDLE_VALUE;
    }
    std::vector<std::string> names;
    if (!HostSortedNames(folder, &names)) {
      SetLastError(errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND : HostErrorFromErrno(errno, folder));
      return INVALID_HANDLE_VALUE;
    }
    // "*.*" asks for every name, with or without a dot.
    if (mask == "*.*") mask.resize(1);  // "*"
    std::string base = folder == "/" ? "" : folder;
    for (const char* dots : {".", ".."}) {
      if (!MatchesMask(mask.c_str(), dots)) continue;
      WIN32_FIND_DATAA data;
      if (FillFindData(folder, dots, &data)) search->found.push_back(data);
    }
    for (const std::string& name : names) {
      if (!MatchesMask(mask.c_str(), name.c_str())) continue;
      WIN32_FIND_DATAA data;
      if (FillFindData(base + "/" + name, name, &data)) search->found.push_back(data);
    }
  } else {
    std::string posix;
    if (!HostPosixPath(full.c_str(), &posix, &error)) {
      SetLastError(error);
      return INVALID_HANDLE_VALUE;
    }
    WIN32_FIND_DATAA data;
    if (!FillFindData(posix, LastName(posix), &data)) {
      SetLastError(HostErrorFromErrno(errno, posix));
      return INVALID_HANDLE_VALUE;
    }
    search->found.push_back(data);
  }
  if (search->found.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  *findData = search->found[0];
  search->next = 1;
  SetLastError(ERROR_SUCCESS);
  return host::RegisterKernelObject(std::move(search));
}

BOOL FindNextFileA(HANDLE find, WIN32_FIND_DATAA* findData) {
  std::shared_ptr<SearchObject> search = host::FindKernelObjectOf<SearchObject>(find);
  if (!search) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (search->next >= search->found.size()) {
    SetLastError(ERROR_NO_MORE_FILES);
    return FALSE;
  }
  *findData = search->found[search->next++];
  return TRUE;
}

BOOL FindClose(HANDLE find) {
  if (!host::FindKernelObjectOf<SearchObject>(find)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return CloseHandle(find);
}

namespace {

// Runs a POSIX call on the path's POSIX form; a failure sets the error `mapError` gives for its errno.
template <typename Call, typename MapError>
BOOL OnPosixPath(LPCSTR path, Call call, MapError mapError) {
  std::string posix;
  DWORD error = 0;
  if (!HostPosixPath(path, &posix, &error)) {
    SetLastError(error);
    return FALSE;
  }
  if (call(posix.c_str()) != 0) {
    SetLastError(mapError(errno, posix));
    return FALSE;
  }
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

}  // namespace

BOOL CreateDirectoryA(LPCSTR pathName, SECURITY_ATTRIBUTES*) {
  return OnPosixPath(
      pathName, [](const char* posix) { return mkdir(posix, 0777); },
      [](int error, const std::string& posix) { return HostErrorFromErrno(error == ENOENT ? ENOTDIR : error, posix); });
}

BOOL RemoveDirectoryA(LPCSTR pathName) {
  return OnPosixPath(pathName, rmdir, [](int error, const std::string& posix) {
    return error == ENOTDIR ? ERROR_DIRECTORY : HostErrorFromErrno(error, posix);
  });
}

BOOL DeleteFileA(LPCSTR fileName) { return OnPosixPath(fileName, unlink, HostErrorFromErrno); }

BOOL SetCurrentDirectoryA(LPCSTR pathName) {
  return OnPosixPath(pathName, chdir, [](int error, const std::string& posix) {
    return error == ENOENT ? ERROR_PATH_NOT_FOUND : HostErrorFromErrno(error, posix);
  });
}

BOOL MoveFileExA(LPCSTR existingFileName, LPCSTR newFileName, DWORD flags) {
  std::string from;
  std::string to;
  DWORD error = 0;
  if (!HostPosixPath(existingFileName, &from, &error) || !HostPosixPath(newFileName, &to, &error)) {
    SetLastError(error);
    return FALSE;
  }
  struct stat info;
  if (!(flags & MOVEFILE_REPLACE_EXISTING) && lstat(to.c_str(), &info) == 0) {
    SetLastError(ERROR_ALREADY_EXISTS);
    return FALSE;
  }
  if (rename(from.c_str(), to.c_str()) != 0) {
    SetLastError(HostErrorFromErrno(errno, from));
    return FALSE;
  }
  if (flags & MOVEFILE_WRITE_THROUGH) {
    // The new name is on the disk only once its folder is: a power loss right after the call keeps the move.
    size_t slash = to.find_last_of('/');
    std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : to.substr(0, slash);
    int descriptor = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    bool synced = descriptor >= 0 && (fsync(descriptor) == 0 || errno == EINVAL || errno == EROFS);
    int failure = errno;
    if (descriptor >= 0) close(descriptor);
    if (!synced) {
      SetLastError(HostErrorFromErrno(failure, folder));
      return FALSE;
    }
  }
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

DWORD GetFullPathNameA(LPCSTR fileName, DWORD bufferLength, LPSTR buffer, LPSTR* filePart) {
  std::string full;
  DWORD error = 0;
  if (filePart != nullptr) *filePart = nullptr;
  if (!HostFullWindowsPath(fileName, &full, &error)) {
    SetLastError(error);
    return 0;
  }
  DWORD result = HostCopyPathOut(full, buffer, bufferLength);
  if (result < bufferLength && filePart != nullptr && full.back() != '\\') {
    *filePart = buffer + full.find_last_of('\\') + 1;
  }
  SetLastError(ERROR_SUCCESS);
  return result;
}

DWORD GetCurrentDirectoryA(DWORD bufferLength, LPSTR buffer) {
  std::string folder;
  DWORD error = 0;
  if (!HostFullWindowsPath(".", &folder, &error)) {
    SetLastError(error);
    return 0;
  }
  if (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
  return HostCopyPathOut(folder, buffer, bufferLength);
}

BOOL FileTimeToSystemTime(const FILETIME* fileTime, SYSTEMTIME* systemTime) {
  uint64_t ticks = (static_cast<uint64_t>(fileTime->dwHighDateTime) << 32) | fileTime->dwLowDateTime;
  if (ticks > 0x7FFFFFFFFFFFFFFFull) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  uint64_t seconds = ticks / 10000000u;
  int64_t days = static_cast<int64_t>(seconds / 86400u);
  uint64_t secondOfDay = seconds % 86400u;
  // Civil date from the day count since 1601-01-01 (a Monday), in the proleptic Gregorian calendar.
  int64_t z = days - 134774 + 719468;  // shift to days since 0000-03-01
  int64_t era = z / 146097;
  int64_t dayOfEra = z - era * 146097;
  int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  int64_t monthIndex = (5 * dayOfYear + 2) / 153;
  int64_t day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
  int64_t month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
  int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
  systemTime->wYear = static_cast<WORD>(year);
  systemTime->wMonth = static_cast<WORD>(month);
  systemTime->wDay = static_cast<WORD>(day);
  systemTime->wDayOfWeek = static_cast<WORD>((days + 1) % 7);
  systemTime->wHour = static_cast<WORD>(secondOfDay / 3600);
  systemTime->wMinute = static_cast<WORD>(secondOfDay / 60 % 60);
  systemTime->wSecond = static_cast<WORD>(secondOfDay % 60);
  systemTime->wMilliseconds = static_cast<WORD>(ticks / 10000u % 1000u);
  return TRUE;
}
