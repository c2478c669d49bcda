// Path helpers shared by the host's file calls: Windows path text to a full "C:\" path and to a POSIX path
// (with the case-insensitive fallback), sorted folder listings, and errno to system error numbers.
#pragma once

#include <sys/stat.h>

#include <string>
#include <vector>

#include "host/types.h"

// The full Windows path of `path` ("C:\..." with single "\" separators, "." and ".." applied, a trailing "\"
// kept when `path` ends in a separator). False with the error number when the path names another drive.
bool HostFullWindowsPath(const char* path, std::string* full, DWORD* error);

// The POSIX path of a Windows path. Each name that does not exist as written is replaced by the first name in
// its folder (sorted order) that matches it without regard to case; names that match nothing stay as written.
// False with the error number when the path is unusable (another drive, too long).
bool HostPosixPath(const char* path, std::string* posix, DWORD* error);

// "C:" followed by the POSIX path with "/" turned into "\" ("C:\" for the root).
std::string HostWindowsFromPosix(const std::string& posix);

// The names in a POSIX folder, "." and ".." excluded, sorted by the bytes of their lower-cased form (ties by the
// bytes as written). False with errno set when the folder cannot be read.
bool HostSortedNames(const std::string& folder, std::vector<std::string>* names);

// The system error number for an errno value; a missing item is ERROR_FILE_NOT_FOUND when its folder exists,
// else ERROR_PATH_NOT_FOUND.
DWORD HostErrorFromErrno(int error, const std::string& posixPath);

// Attributes and times of a stat record; `name` decides the hidden bit (a leading ".").
DWORD HostAttributesOf(const struct stat& info, const std::string& posixPath, const std::string& name);
FILETIME HostFileTime(const struct timespec& time);
FILETIME HostCreationTime(const std::string& posixPath, const struct stat& info);

// Copies `text` into a caller's buffer the way the Windows path queries do: the length without the terminator
// when it fits, else the size needed with the terminator (buffer untouched).
DWORD HostCopyPathOut(const std::string& text, char* buffer, DWORD size);

// mkdir -p; true when the folder exists afterwards.
bool HostMakeFolders(const std::string& posix);

// The folder of the player's saved games (POSIX), in the program's data folder; made when missing with `create`
// (empty when it cannot be made).
std::string HostSavedGamesFolder(bool create);
