// Open files: CreateFileA and the calls on a file handle, with in-process sharing rules and the test seam that
// makes writes fail.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <vector>

#include "host/files.h"
#include "host/testing_files.h"
#include "kernel_object.h"
#include "host_paths.h"

namespace {

struct FileObject : host::KernelObject {
  int fd = -1;
  dev_t device = 0;
  ino_t inode = 0;
  DWORD access = 0;
  DWORD share = 0;
  bool folder = false;
  std::string posixPath;

  bool Close() override;
};

// Open files by identity, for the sharing rules: two opens of one file agree only when each allows what the
// other asks.
std::mutex& OpenFilesLock() {
  static std::mutex lock;
  return lock;
}
std::vector<FileObject*>& OpenFiles() {
  static auto* files = new std::vector<FileObject*>();
  return *files;
}

bool FileObject::Close() {
  {
    std::lock_guard<std::mutex> guard(OpenFilesLock());
    auto& files = OpenFiles();
    files.erase(std::remove(files.begin(), files.end(), this), files.end());
  }
  if (fd >= 0 && close(fd) != 0) {
    fd = -1;
    SetLastError(HostErrorFromErrno(errno, posixPath));
    return false;
  }
  fd = -1;
  return true;
}

bool SharingAllows(const FileObject& open, DWORD access, DWORD share) {
  if ((access & GENERIC_READ) && !(open.share & FILE_SHARE_READ)) return false;
  if ((access & GENERIC_WRITE) && !(open.share & FILE_SHARE_WRITE)) return false;
  if ((open.access & GENERIC_READ) && !(share & FILE_SHARE_READ)) return false;
  if ((open.access & GENERIC_WRITE) && !(share & FILE_SHARE_WRITE)) return false;
  return true;
}

struct WriteFaults {
  int skip = 0;
  int count = 0;
  DWORD bytes = 0;
  DWORD error = 0;
  bool failExtend = false;
};
WriteFaults faults;
std::mutex faultsLock;

// The open file behind a handle (kept alive for the call), or null with ERROR_INVALID_HANDLE.
std::shared_ptr<FileObject> FindFile(HANDLE handle) {
  std::shared_ptr<FileObject> object = host::FindKernelObjectOf<FileObject>(handle);
  if (!object) SetLastError(ERROR_INVALID_HANDLE);
  return object;
}

}  // namespace

void HostFailFileWrites(int count, DWORD bytesToWrite, DWORD error, bool failExtend, int skip) {
  std::lock_guard<std::mutex> guard(faultsLock);
  faults = WriteFaults{skip, count, bytesToWrite, error, failExtend};
}

void HostResetFileFaults() {
  std::lock_guard<std::mutex> guard(faultsLock);
  faults = WriteFaults{};
}

HANDLE CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode, SECURITY_ATTRIBUTES*,
                   DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE) {
  std::string posix;
  DWORD error = 0;
  if (!HostPosixPath(fileName, &posix, &error)) {
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
  }
  int flags = O_CLOEXEC;
  bool wantsRead = desiredAccess & GENERIC_READ;
  bool wantsWrite = desiredAccess & GENERIC_WRITE;
  if (wantsWrite) {
    // A write past the process's file-size limit fails (ERROR_DISK_FULL, as on a full disk) instead of killing
    // the process half-way through a save, so the caller can keep the old file.
    static const bool sizeSignalIgnored = signal(SIGXFSZ, SIG_IGN) != SIG_ERR;
    (void)sizeSignalIgnored;
  }
  flags |= wantsWrite ? (wantsRead ? O_RDWR : O_WRONLY) : O_RDONLY;
  bool existed = access(posix.c_str(), F_OK) == 0;
  switch (creationDisposition) {
    case CREATE_NEW:
      flags |= O_CREAT | O_EXCL;
      break;
    case CREATE_ALWAYS:
    case OPEN_ALWAYS:
      flags |= O_CREAT;
      break;
    case OPEN_EXISTING:
      break;
    case TRUNCATE_EXISTING:
      if (!wantsWrite) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
      }
      break;
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return INVALID_HANDLE_VALUE;
  }
  struct stat info;
  bool folder = stat(posix.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
  if (folder) {
    if (creationDisposition == CREATE_NEW) {
      SetLastError(ERROR_FILE_EXISTS);
      return INVALID_HANDLE_VALUE;
    }
    if (!(flagsAndAttributes & FILE_FLAG_BACKUP_SEMANTICS) || wantsWrite) {
      SetLastError(ERROR_ACCESS_DENIED);
      return INVALID_HANDLE_VALUE;
    }
    flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
  }
  mode_t mode = (flagsAndAttributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
  int fd = open(posix.c_str(), flags, mode);
  if (fd < 0) {
    SetLastError(errno == EEXIST ? ERROR_FILE_EXISTS : HostErrorFromErrno(errno, posix));
    return INVALID_HANDLE_VALUE;
  }
  struct stat opened;
  if (fstat(fd, &opened) != 0) {
    SetLastError(HostErrorFromErrno(errno, posix));
    close(fd);
    return INVALID_HANDLE_VALUE;
  }
  auto object = std::make_shared<FileObject>();
  object->fd = fd;
  object->device = opened.st_dev;
  object->inode = opened.st_ino;
  object->access = desiredAccess;
  object->share = shareMode;
  object->folder = folder;
  object->posixPath = posix;
  {
    std::lock_guard<std::mutex> guard(OpenFilesLock());
    for (FileObject* open : OpenFiles()) {
      if (open->device == opened.st_dev && open->inode == opened.st_ino &&
          !SharingAllows(*open, desiredAccess, shareMode)) {
        close(fd);
        SetLastError(ERROR_SHARING_VIOLATION);
        return INVALID_HANDLE_VALUE;
      }
    }
    OpenFiles().push_back(object.get());
  }
  // Truncation waits for the sharing test, so that a refused open leaves the file alone.
  if ((creationDisposition == CREATE_ALWAYS || creationDisposition == TRUNCATE_EXISTING) && !folder &&
      ftruncate(fd, 0) != 0) {
    DWORD truncateError = HostErrorFromErrno(errno, posix);
    object->Close();
    SetLastError(truncateError);
    return INVALID_HANDLE_VALUE;
  }
  HANDLE handle = host::RegisterKernelObject(std::move(object));
  bool reportsExisting = (creationDisposition == CREATE_ALWAYS || creationDisposition == OPEN_ALWAYS) && existed;
  SetLastError(reportsExisting ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return handle;
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead, OVERLAPPED*) {
  if (bytesRead != nullptr) *bytesRead = 0;
  std::shared_ptr<FileObject> object = FindFile(file);
  if (!object) return FALSE;
  if (!(object->access & GENERIC_READ) || object->folder) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  DWORD done = 0;
  auto* bytes = static_cast<uint8_t*>(buffer);
  while (done < bytesToRead) {
    ssize_t got = read(object->fd, bytes + done, bytesToRead - done);
    if (got < 0) {
      if (errno == EINTR) continue;
      SetLastError(HostErrorFromErrno(errno, object->posixPath));
      if (bytesRead != nullptr) *bytesRead = done;
      return FALSE;
    }
    if (got == 0) break;  // the end of the file: a short count, as the system reports it
    done += static_cast<DWORD>(got);
  }
  if (bytesRead != nullptr) *bytesRead = done;
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten, OVERLAPPED*) {
  if (bytesWritten != nullptr) *bytesWritten = 0;
  std::shared_ptr<FileObject> object = FindFile(file);
  if (!object) return FALSE;
  if (!(object->access & GENERIC_WRITE)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  DWORD limit = bytesToWrite;
  DWORD injected = ERROR_SUCCESS;
  bool faulty = false;
  {
    std::lock_guard<std::mutex> guard(faultsLock);
    if (faults.skip > 0) {
      --faults.skip;
    } else if (faults.count > 0) {
      --faults.count;
      faulty = true;
      limit = std::min(limit, faults.bytes);
      injected = faults.error;
    }
  }
  DWORD done = 0;
  const auto* bytes = static_cast<const uint8_t*>(buffer);
  while (done < limit) {
    ssize_t put = write(object->fd, bytes + done, limit - done);
    if (put < 0) {
      if (errno == EINTR) continue;
      SetLastError(HostErrorFromErrno(errno, object->posixPath));
      if (bytesWritten != nullptr) *bytesWritten = done;
      return FALSE;
    }
    done += static_cast<DWORD>(put);
  }
  if (bytesWritten != nullptr) *bytesWritten = done;
  if (faulty && injected != ERROR_SUCCESS) {
    SetLastError(injected);
    return FALSE;
  }
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD moveMethod) {
  std::shared_ptr<FileObject> object = FindFile(file);
  if (!object) return INVALID_SET_FILE_POINTER;
  int64_t move = distanceHigh != nullptr
                     ? static_cast<int64_t>((static_cast<uint64_t>(static_cast<uint32_t>(*distanceHigh)) << 32) |
                                            static_cast<uint32_t>(distance))
                     : static_cast<int64_t>(distance);
  int whence = moveMethod == FILE_BEGIN ? SEEK_SET : moveMethod == FILE_CURRENT ? SEEK_CUR : SEEK_END;
  if (moveMethod > FILE_END) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_SET_FILE_POINTER;
  }
  off_t current = lseek(object->fd, 0, SEEK_CUR);
  off_t origin = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? current : 0;
  if (whence == SEEK_END) {
    struct stat info;
    if (fstat(object->fd, &info) != 0) {
      SetLastError(HostErrorFromErrno(errno, object->posixPath));
      return INVALID_SET_FILE_POINTER;
    }
    origin = info.st_size;
  }
  if (move < 0 && origin + move < 0) {
    SetLastError(ERROR_NEGATIVE_SEEK);
    return INVALID_SET_FILE_POINTER;
  }
  off_t result = lseek(object->fd, origin + move, SEEK_SET);
  if (result < 0) {
    SetLastError(HostErrorFromErrno(errno, object->posixPath));
    return INVALID_SET_FILE_POINTER;
  }
  if (distanceHigh != nullptr) *distanceHigh = static_cast<LONG>(static_cast<uint64_t>(result) >> 32);
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(static_cast<uint64_t>(result) & 0xFFFFFFFFu);
}

BOOL SetEndOfFile(HANDLE file) {
  std::shared_ptr<FileObject> object = FindFile(file);
  if (!object) return FALSE;
  {
    std::lock_guard<std::mutex> guard(faultsLock);
    if (faults.failExtend) {
      SetLastError(faults.error != ERROR_SUCCESS ? faults.error : ERROR_DISK_FULL);
      return FALSE;
    }
  }
  if (!(object->access & GENERIC_WRITE)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  off_t current = lseek(object->fd, 0, SEEK_CUR);
  if (current < 0 || ftruncate(object->fd, current) != 0) {
    SetLastError(HostErrorFromErrno(errno, object->posixPath));
    return FALSE;
  }
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

DWORD GetFileSize(HANDLE file, LPDWORD fileSizeHigh) {
  std::shared_ptr<FileObject> object = FindFile(file);
  if (!object) return INVALID_FILE_SIZE;
  struct stat info;
  if (fstat(object->fd, &info) != 0) {
    SetLastError(HostErrorFromErrno(errno, object->posixPath));
    return INVALID_FILE_SIZE;
  }
  uint64_t size = static_cast<uint64_t>(info.st_size);
  if (fileSizeHigh != nullptr) *fileSizeHigh = static_cast<DWORD>(size >> 32);
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(size & 0xFFFFFFFFu);
}

BOOL FlushFileBuffers(HANDLE file) {
  std::shared_ptr<FileObject> object = FindFile(file);
  if (!object) return FALSE;
  // Devices and pipes cannot be synchronised; there is nothing to flush for them.
  if (fsync(object->fd) != 0 && errno != EINVAL && errno != EROFS) {
    SetLastError(HostErrorFromErrno(errno, object->posixPath));
    return FALSE;
  }
  return TRUE;
}

BOOL GetFileInformationByHandle(HANDLE file, BY_HANDLE_FILE_INFORMATION* information) {
  std::shared_ptr<FileObject> object = FindFile(file);
  if (!object) return FALSE;
  struct stat info;
  if (fstat(object->fd, &info) != 0) {
    SetLastError(HostErrorFromErrno(errno, object->posixPath));
    return FALSE;
  }
  size_t slash = object->posixPath.find_last_of('/');
  std::string name = slash == std::string::npos ? object->posixPath : object->posixPath.substr(slash + 1);
  information->dwFileAttributes = HostAttributesOf(info, object->posixPath, name);
  information->ftCreationTime = HostCreationTime(object->posixPath, info);
  information->ftLastAccessTime = HostFileTime(info.st_atim);
  information->ftLastWriteTime = HostFileTime(info.st_mtim);
  uint64_t device = static_cast<uint64_t>(info.st_dev);
  information->dwVolumeSerialNumber = static_cast<DWORD>(device ^ (device >> 32));
  uint64_t size = static_cast<uint64_t>(info.st_size);
  information->nFileSizeHigh = static_cast<DWORD>(size >> 32);
  information->nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFFu);
  information->nNumberOfLinks = static_cast<DWORD>(info.st_nlink);
  uint64_t inode = static_cast<uint64_t>(info.st_ino);
  information->nFileIndexHigh = static_cast<DWORD>(inode >> 32);
  information->nFileIndexLow = static_cast<DWORD>(inode & 0xFFFFFFFFu);
  return TRUE;
}
