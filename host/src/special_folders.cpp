// Special folders, the program file, the user profile and the one drive "C:".
//
// The configuration, data, cache, documents and temporary folders are XDG folders ($XDG_CONFIG_HOME/kestrival
// and so on); when $KESTRIVAL_HOME is set every one of them is a sub-folder of it instead, so that tests never
// touch the user's home. They are made when missing and handed out as "C:\..." paths. The player's saved games
// have a folder of their own in the data folder, where the file choosers open.
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "host/files.h"
#include "kernel_object.h"
#include "host_paths.h"

namespace {

enum class Folder { Config, Data, Cache, Documents, Temporary, Profile, SavedGames };

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

std::string HomeFolder() {
  std::string home = Environment("HOME");
  if (home.empty()) {
    if (const struct passwd* entry = getpwuid(getuid())) home = entry->pw_dir;
  }
  return home.empty() ? "/" : home;
}

constexpr const char* kSavedGamesName = "Saved Games";

std::string PosixFolder(Folder folder) {
  if (folder == Folder::SavedGames) return PosixFolder(Folder::Data) + "/" + kSavedGamesName;
  std::string relocated = Environment("KESTRIVAL_HOME");
  if (!relocated.empty()) {
    switch (folder) {
      case Folder::Config: return relocated + "/config";
      case Folder::Data: return relocated + "/data";
      case Folder::Cache: return relocated + "/cache";
      case Folder::Documents: return relocated + "/documents";
      case Folder::Temporary: return relocated + "/temp";
      case Folder::Profile: return relocated;
    case Folder::SavedGames: break;
    }
  }
  auto xdg = [](const char* variable, const std::string& fallback) {
    std::string value = Environment(variable);
    return value.empty() || value[0] != '/' ? fallback : value;
  };
  std::string home = HomeFolder();
  switch (folder) {
    case Folder::Config: return xdg("XDG_CONFIG_HOME", home + "/.config") + "/kestrival";
    case Folder::Data: return xdg("XDG_DATA_HOME", home + "/.local/share") + "/kestrival";
    case Folder::Cache: return xdg("XDG_CACHE_HOME", home + "/.cache") + "/kestrival";
    case Folder::Documents: return xdg("XDG_DOCUMENTS_DIR", home + "/Documents");
    case Folder::Temporary: return xdg("TMPDIR", "/tmp");
    case Folder::Profile: return home;
    case Folder::SavedGames: break;
  }
  return home;
}

// The folder as a Windows path, made when missing; empty (last error set) when it cannot be made.
std::string WindowsFolder(Folder folder, bool create) {
  std::string posix = PosixFolder(folder);
  while (posix.size() > 1 && posix.back() == '/') posix.pop_back();
  if (create && !HostMakeFolders(posix)) {
    SetLastError(HostErrorFromErrno(errno, posix));
    return "";
  }
  return HostWindowsFromPosix(posix);
}

// The folder-query calls' convention: the length without the terminator when it fits, else the size needed.
UINT CopyFolderOut(Folder folder, char* buffer, DWORD size) {
  std::string text = WindowsFolder(folder, true);
  if (text.empty()) return 0;
  SetLastError(ERROR_SUCCESS);
  return HostCopyPathOut(text, buffer, size);
}

struct TokenObject : host::KernelObject {};

std::atomic<UINT> errorMode{0};

bool IsDriveC(const char* root) {
  return root == nullptr || ((root[0] == 'C' || root[0] == 'c') && root[1] == ':' &&
                             (root[2] == '\0' || ((root[2] == '\\' || root[2] == '/') && root[3] == '\0')));
}

}  // namespace

std::string HostSavedGamesFolder(bool create) {
  std::string posix = PosixFolder(Folder::SavedGames);
  return !create || HostMakeFolders(posix) ? posix : "";
}

UINT GetSystemDirectoryA(LPSTR buffer, UINT size) {
  // No system folder belongs to this program; the shared-library folder stands in for it.
  return HostCopyPathOut("C:\\usr\\lib", buffer, size);
}

UINT GetWindowsDirectoryA(LPSTR buffer, UINT size) { return CopyFolderOut(Folder::Config, buffer, size); }

DWORD GetTempPathA(DWORD bufferLength, LPSTR buffer) {
  std::string text = WindowsFolder(Folder::Temporary, true);
  if (text.empty()) return 0;
  if (text.back() != '\\') text += '\\';
  SetLastError(ERROR_SUCCESS);
  return HostCopyPathOut(text, buffer, bufferLength);
}

HRESULT SHGetFolderPathA(HWND, int folder, HANDLE, DWORD, LPSTR path) {
  bool create = (folder & CSIDL_FLAG_CREATE) != 0;
  Folder which;
  switch (folder & 0xFF) {
    case CSIDL_PERSONAL: which = Folder::Documents; break;
    case CSIDL_APPDATA: which = Folder::Data; break;
    case CSIDL_INTERNET_CACHE: which = Folder::Cache; break;
    default: return E_FAIL;
  }
  std::string text = WindowsFolder(which, create);
  if (text.empty() || text.size() >= MAX_PATH) return E_FAIL;
  std::memcpy(path, text.c_str(), text.size() + 1);
  return S_OK;
}

HANDLE GetCurrentProcess() { return reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1)); }

BOOL OpenProcessToken(HANDLE process, DWORD, HANDLE* token) {
  if (process != GetCurrentProcess() || token == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  *token = host::RegisterKernelObject(std::make_shared<TokenObject>());
  return TRUE;
}

BOOL GetUserProfileDirectoryA(HANDLE token, LPSTR profileDir, LPDWORD size) {
  if (!host::FindKernelObjectOf<TokenObject>(token) || size == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  std::string text = WindowsFolder(Folder::Profile, true);
  if (text.empty()) return FALSE;
  if (profileDir == nullptr || *size < text.size() + 1) {
    *size = static_cast<DWORD>(text.size() + 1);
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  std::memcpy(profileDir, text.c_str(), text.size() + 1);
  *size = static_cast<DWORD>(text.size() + 1);
  return TRUE;
}

DWORD GetLogicalDrives() { return 1u << ('C' - 'A'); }

UINT GetDriveTypeA(LPCSTR rootPathName) { return IsDriveC(rootPathName) ? DRIVE_FIXED : DRIVE_NO_ROOT_DIR; }

BOOL GetVolumeInformationA(LPCSTR rootPathName, LPSTR volumeName, DWORD volumeNameSize, LPDWORD serialNumber,
                           LPDWORD maximumComponentLength, LPDWORD fileSystemFlags, LPSTR fileSystemName,
                           DWORD fileSystemNameSize) {
  if (!IsDriveC(rootPathName)) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return FALSE;
  }
  auto copy = [](const char* text, char* buffer, DWORD size) {
    if (buffer == nullptr) return true;
    if (std::strlen(text) + 1 > size) return false;
    std::strcpy(buffer, text);
    return true;
  };
  if (!copy("SYSTEM", volumeName, volumeNameSize) || !copy("POSIX", fileSystemName, fileSystemNameSize)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  struct stat info;
  uint64_t device = stat("/", &info) == 0 ? static_cast<uint64_t>(info.st_dev) : 0;
  if (serialNumber != nullptr) *serialNumber = static_cast<DWORD>(device ^ (device >> 32));
  if (maximumComponentLength != nullptr) *maximumComponentLength = 255;
  if (fileSystemFlags != nullptr) *fileSystemFlags = 0x3;  // case-sensitive search, case-preserved names
  return TRUE;
}

UINT SetErrorMode(UINT mode) { return errorMode.exchange(mode); }
