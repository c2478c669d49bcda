// Special folders and volumes as references: the shell's folders looked up by name at each call (with the
// fallbacks for a missing function), the program's folder, and the drives with their volume names.
#include <cstdlib>
#include <cstring>

#include "host/files.h"
#include "platform/core/file_ref.h"
#include "platform/core/strings.h"

namespace {

using FolderPathProc = HRESULT (*)(HWND, int, HANDLE, DWORD, LPSTR);
using OpenTokenProc = BOOL (*)(HANDLE, DWORD, HANDLE*);
using ProfileFolderProc = BOOL (*)(HANDLE, LPSTR, LPDWORD);

// A function of a system library, looked up by name at each call: null when the library or function is missing.
template <typename Proc>
Proc LookUp(const char* module, const char* name) {
  HMODULE library = GetModuleHandleA(module);
  return library == nullptr ? nullptr
                            : reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

// The shell's special folder (made when missing) into a 520-byte buffer; false when the shell cannot say.
bool ShellFolder(int folder, char* buffer) {
  auto shellFolder = LookUp<FolderPathProc>("shell32.dll", "SHGetFolderPathA");
  return shellFolder != nullptr && shellFolder(nullptr, folder | CSIDL_FLAG_CREATE, nullptr, 0, buffer) == S_OK;
}

// The user's profile folder through the process's access token; the system folder when either call is missing.
DWORD ProfileFolder(char* buffer, DWORD size) {
  auto openToken = LookUp<OpenTokenProc>("advapi32.dll", "OpenProcessToken");
  auto profileFolder = LookUp<ProfileFolderProc>("userenv.dll", "GetUserProfileDirectoryA");
  if (openToken == nullptr || profileFolder == nullptr) return GetSystemDirectoryA(buffer, size);
  HANDLE token = nullptr;
  if (!openToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return 0;
  DWORD length = size;
  DWORD result = profileFolder(token, buffer, &length) ? static_cast<DWORD>(std::strlen(buffer)) : 0;
  if (result == 0 && length > size) result = length;  // too long for the buffer
  CloseHandle(token);
  return result;
}

}  // namespace

PlatformError GetSpecialFolder(PlatformHandle* ref, FolderRef number) {
  char buffer[520];
  buffer[0] = '\0';
  DWORD length = 0;
  if (number == kFolderDocuments) {
    if (ShellFolder(CSIDL_PERSONAL, buffer)) {
      length = static_cast<DWORD>(std::strlen(buffer));
    } else if (const char* home = std::getenv("HOMEPATH")) {
      length = static_cast<DWORD>(std::strlen(home));
      if (length < sizeof(buffer)) std::strcpy(buffer, home);
    } else {
      length = GetSystemDirectoryA(buffer, sizeof(buffer));
    }
  } else if (number == kFolderTemporary) {
    length = ShellFolder(CSIDL_INTERNET_CACHE, buffer) ? static_cast<DWORD>(std::strlen(buffer))
                                                       : GetTempPathA(sizeof(buffer), buffer);
  } else if (number == kFolderApplicationData || number == kFolderApplicationData2) {
    length = ShellFolder(CSIDL_APPDATA, buffer) ? static_cast<DWORD>(std::strlen(buffer))
                                                : ProfileFolder(buffer, sizeof(buffer));
  } else if (number == kFolderProgram) {
    length = GetModuleFileNameA(nullptr, buffer, sizeof(buffer));
    if (length > 0 && length < sizeof(buffer)) {
      char* cut = std::strrchr(buffer, '\\');
      if (cut != nullptr) {
        if (cut - buffer < 3) {
          cut[1] = '\0';  // the drive root keeps its "\"
        } else {
          *cut = '\0';
        }
      }
      length = static_cast<DWORD>(std::strlen(buffer));
    }
  } else {
    return kPlatformErrBadReference;
  }
  if (length == 0) return LastFileError();
  if (length >= sizeof(buffer)) return kPlatformErrFile;
  char full[520];
  DWORD fullLength = GetFullPathNameA(buffer, 519, full, nullptr);
  if (fullLength == 0) return LastFileError();
  if (fullLength >= 519) return kPlatformErrFile;
  bool letter = (full[0] >= 'A' && full[0] <= 'Z') || (full[0] >= 'a' && full[0] <= 'z');
  if (!letter || full[1] != ':' || full[2] != '\\') return kPlatformErrFile;
  if (fullLength > 3 && full[fullLength - 1] == '\\') full[fullLength - 1] = '\0';
  return FileRef::SetFromDrivePath(ref, full[0], full + 2);
}

namespace {

// Runs a scan of the drives with critical-error boxes off; `visit` gets each present letter.
template <typename Visit>
PlatformError ScanDrives(const char* letters, Visit visit) {
  UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS);
  DWORD drives = GetLogicalDrives();
  PlatformError result = kPlatformErrFileNotFound;
  if (drives == 0) {
    result = LastFileError();
  } else {
    for (const char* p = letters; *p != '\0'; ++p) {
      if (!(drives & (1u << (*p - 'A')))) continue;
      char root[4] = {*p, ':', '\\', '\0'};
      if (visit(*p, root)) {
        result = kPlatformNoError;
        break;
      }
    }
  }
  SetErrorMode(oldMode);
  return result;
}

bool VolumeLabel(const char* root, char* label, DWORD size) {
  return GetVolumeInformationA(root, label, size, nullptr, nullptr, nullptr, nullptr, 0) != FALSE;
}

}  // namespace

PlatformError ListVolumes(PlatformHandle* ref, int32_t n) {
  int32_t seen = 0;
  char found = 0;
  PlatformError error = ScanDrives("CDEFGHIJKLMNOPQRSTUVWXYZA", [&](char letter, const char* root) {
    char label[256];
    if (GetDriveTypeA(root) == DRIVE_NO_ROOT_DIR || !VolumeLabel(root, label, sizeof(label))) return false;
    if (++seen < n) return false;
    found = letter;
    return true;
  });
  if (error != kPlatformNoError) return error;
  return FileRef::SetFromDrivePath(ref, found, "\\");
}

PlatformError FindVolumeByName(PlatformHandle* ref, const uint8_t* name) {
  char wanted[256];
  std::memcpy(wanted, name + 1, name[0]);
  wanted[name[0]] = '\0';
  PlatformUpperCase(wanted);
  char found = 0;
  PlatformError error = kPlatformErrFileNotFound;
  if (name[0] == 1 && wanted[0] >= 'A' && wanted[0] <= 'Z') {
    error = ScanDrives(wanted, [&](char letter, const char* root) {
      char label[256];
      if (!VolumeLabel(root, label, sizeof(label))) return false;
      found = letter;
      return true;
    });
  }
  // The passes look at every letter from A to Z: a volume on drive Z, which the volume list counts, would never
  // be found by its name otherwise.
  for (int pass = 0; pass < 3 && error != kPlatformNoError; ++pass) {
    error = ScanDrives("ABCDEFGHIJKLMNOPQRSTUVWXYZ", [&](char letter, const char* root) {
      UINT type = GetDriveTypeA(root);
      int drivePass = (type == DRIVE_FIXED || type == DRIVE_RAMDISK)   ? 0
                      : (type == DRIVE_REMOTE || type == DRIVE_CDROM) ? 1
                                                                      : 2;
      if (type == DRIVE_NO_ROOT_DIR || drivePass != pass) return false;
      char label[256];
      if (!VolumeLabel(root, label, sizeof(label))) return false;
      PlatformUpperCase(label);
      if (std::strcmp(label, wanted) != 0) return false;
      found = letter;
      return true;
    });
  }
  if (error == kPlatformErrFileNotFound) return kPlatformErrPathNotFound;
  if (error != kPlatformNoError) return error;
  return FileRef::SetFromDrivePath(ref, found, "\\");
}

