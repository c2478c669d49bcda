// Path translation between the one-drive Windows view and POSIX, sorted listings and error numbers.
#include "host_paths.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "host/files.h"

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

std::string LowerCopy(const std::string& s) {
  std::string out = s;
  for (char& c : out) c = LowerAscii(c);
  return out;
}

// The process's current folder as a Windows path.
std::string CurrentWindowsFolder() {
  std::string buffer(4096, '\0');
  while (getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return "C:\\";
    buffer.resize(buffer.size() * 2);
  }
  return HostWindowsFromPosix(buffer.c_str());
}

// The longest Windows path the file calls accept (the terminator makes MAX_PATH).
constexpr size_t kLongestPath = MAX_PATH - 1;

}  // namespace

bool HostFullWindowsPath(const char* path, std::string* full, DWORD* error) {
  std::string text = path != nullptr ? path : "";
  if (text.empty()) {
    *error = ERROR_PATH_NOT_FOUND;
    return false;
  }
  std::string rest;
  std::string base;
  if (text.size() >= 2 && text[1] == ':') {
    char drive = static_cast<char>(text[0] & ~0x20);
    if (drive != 'C') {
      *error = ERROR_PATH_NOT_FOUND;
      return false;
    }
    rest = text.substr(2);
    // "C:name" is relative to the drive's current folder, which is the process's current folder.
    base = (!rest.empty() && IsSeparator(rest[0])) ? "C:\\" : CurrentWindowsFolder();
  } else if (IsSeparator(text[0])) {
    base = "C:\\";
    rest = text;
  } else {
    base = CurrentWindowsFolder();
    rest = text;
  }
  std::vector<std::string> names;
  for (size_t i = 3; i <= base.size(); ++i) {  // the base is already clean: split it after "C:\"
    size_t end = base.find('\\', i);
    if (end == std::string::npos) end = base.size();
    if (end > i) names.push_back(base.substr(i, end - i));
    i = end;
  }
  size_t i = 0;
  while (i < rest.size()) {
    size_t end = i;
    while (end < rest.size() && !IsSeparator(rest[end])) ++end;
    std::string name = rest.substr(i, end - i);
    if (name == "..") {
      if (!names.empty()) names.pop_back();
    } else if (!name.empty() && name != ".") {
      names.push_back(name);
    }
    i = end + 1;
  }
  std::string result = "C:";
  for (const std::string& name : names) result += "\\" + name;
  if (names.empty() || IsSeparator(text.back())) result += "\\";
  *full = result;
  return true;
}

bool HostPosixPath(const char* path, std::string* posix, DWORD* error) {
  std::string full;
  if (!HostFullWindowsPath(path, &full, error)) return false;
  if (full.size() > kLongestPath) {
    *error = ERROR_FILENAME_EXCED_RANGE;
    return false;
  }
  std::string result;
  size_t i = 3;
  while (i < full.size()) {
    size_t end = full.find('\\', i);
    if (end == std::string::npos) end = full.size();
    std::string name = full.substr(i, end - i);
    i = end + 1;
    if (name.empty()) continue;
    std::string candidate = result + "/" + name;
    struct stat info;
    if (lstat(candidate.c_str(), &info) != 0) {
      std::vector<std::string> names;
      if (HostSortedNames(result.empty() ? "/" : result, &names)) {
        for (const std::string& other : names) {
          if (EqualNoCase(other, name)) {
            candidate = result + "/" + other;
            break;
          }
        }
      }
    }
    result = candidate;
  }
  *posix = result.empty() ? "/" : result;
  return true;
}

std::string HostWindowsFromPosix(const std::string& posix) {
  std::string result = "C:";
  for (char c : posix) result += (c == '/') ? '\\' : c;
  if (result.size() == 2) result += '\\';
  while (result.size() > 3 && result.back() == '\\') result.pop_back();
  return result;
}

bool HostSortedNames(const std::string& folder, std::vector<std::string>* names) {
  names->clear();
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return false;
  while (struct dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    names->push_back(name);
  }
  closedir(dir);
  std::sort(names->begin(), names->end(), [](const std::string& a, const std::string& b) {
    std::string la = LowerCopy(a);
    std::string lb = LowerCopy(b);
    return la != lb ? la < lb : a < b;
  });
  return true;
}

DWORD HostErrorFromErrno(int error, const std::string& posixPath) {
  switch (error) {
    case 0:
      return ERROR_SUCCESS;
    case ENOENT: {
      size_t slash = posixPath.find_last_of('/');
      std::string parent = (slash == std::string::npos || slash == 0) ? "/" : posixPath.substr(0, slash);
      struct stat info;
      return (stat(parent.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) ? ERROR_FILE_NOT_FOUND
                                                                          : ERROR_PATH_NOT_FOUND;
    }
    case ENOTDIR:
    case ELOOP:
      return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
      return ERROR_ACCESS_DENIED;
    case EROFS:
      return ERROR_WRITE_PROTECT;
    case EEXIST:
      return ERROR_ALREADY_EXISTS;
    case ENOTEMPTY:
      return ERROR_DIR_NOT_EMPTY;
    case EBUSY:
    case ETXTBSY:
      return ERROR_BUSY;
    case ENOSPC:
    case EFBIG:
    case EDQUOT:
      return ERROR_DISK_FULL;
    case EMFILE:
    case ENFILE:
      return ERROR_TOO_MANY_OPEN_FILES;
    case ENOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    case ENAMETOOLONG:
      return ERROR_FILENAME_EXCED_RANGE;
    case EBADF:
      return ERROR_INVALID_HANDLE;
    case EINVAL:
      return ERROR_INVALID_PARAMETER;
    case ESPIPE:
      return ERROR_SEEK_ON_DEVICE;
    case ENODEV:
    case ENXIO:
      return ERROR_DEV_NOT_EXIST;
    default:
      return ERROR_GEN_FAILURE;
  }
}

DWORD HostAttributesOf(const struct stat& info, const std::string& posixPath, const std::string& name) {
  DWORD attributes = 0;
  if (S_ISDIR(info.st_mode)) {
    attributes |= FILE_ATTRIBUTE_DIRECTORY;
  } else if ((info.st_mode & 0222) == 0 || access(posixPath.c_str(), W_OK) != 0) {
    attributes |= FILE_ATTRIBUTE_READONLY;
  }
  if (name.size() > 1 && name[0] == '.' && name != "..") attributes |= FILE_ATTRIBUTE_HIDDEN;
  if (!S_ISDIR(info.st_mode)) attributes |= FILE_ATTRIBUTE_ARCHIVE;
  return attributes;
}

FILETIME HostFileTime(const struct timespec& time) {
  // 100-nanosecond steps since 1 January 1601.
  constexpr int64_t kSecondsFrom1601To1970 = 11644473600LL;
  int64_t ticks = (static_cast<int64_t>(time.tv_sec) + kSecondsFrom1601To1970) * 10000000LL + time.tv_nsec / 100;
  if (ticks < 0) ticks = 0;
  FILETIME result;
  result.dwLowDateTime = static_cast<DWORD>(static_cast<uint64_t>(ticks) & 0xFFFFFFFFu);
  result.dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(ticks) >> 32);
  return result;
}

FILETIME HostCreationTime(const std::string& posixPath, const struct stat& info) {
  struct statx extended;
  if (statx(AT_FDCWD, posixPath.c_str(), 0, STATX_BTIME, &extended) == 0 && (extended.stx_mask & STATX_BTIME)) {
    struct timespec birth;
    birth.tv_sec = extended.stx_btime.tv_sec;
    birth.tv_nsec = extended.stx_btime.tv_nsec;
    return HostFileTime(birth);
  }
  return HostFileTime(info.st_mtim);
}

DWORD HostCopyPathOut(const std::string& text, char* buffer, DWORD size) {
  if (buffer == nullptr || text.size() + 1 > size) return static_cast<DWORD>(text.size() + 1);
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return static_cast<DWORD>(text.size());
}

bool HostMakeFolders(const std::string& posix) {
  for (size_t i = 1; i <= posix.size(); ++i) {
    if (i == posix.size() || posix[i] == '/') {
      std::string prefix = posix.substr(0, i);
      if (mkdir(prefix.c_str(), 0777) != 0 && errno != EEXIST) return false;
    }
  }
  struct stat info;
  return stat(posix.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}
