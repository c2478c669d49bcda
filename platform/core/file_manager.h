// The framework's public file operations: callers name an item by a folder and a name; the file manager turns
// the pair into a FileRef and hands the work to the disk layer, to a "CHNK" container serving as a folder, or to
// a record inside one. Streams opened here are PlatformStream records (platform_stream.h).
//
// Folder: a FolderRef (a registered FileRef, 0 the default folder, -1 its parent, -6 to -2 the special
// folders, 1 to 100 a volume). Name: null, a path text relative to the folder ("Data/Maps/town.map", "%XX"
// escapes), or again a registered FileRef or small number.
#pragma once

#include <cstdint>

#include "platform/core/file_ref.h"
#include "platform/core/memory.h"
#include "platform/core/platform_error.h"
#include "platform/core/platform_stream.h"

PlatformError PlatformFileSystemStartup();
PlatformError PlatformFileSystemShutdown();

PlatformError PlatformResolveFolder(FolderRef folder, FolderRef name, FolderRef* out);
PlatformError PlatformReleaseFolder(FolderRef folder);
// Whether the folder and then the name within it resolve (0), without keeping a reference.
PlatformError PlatformCheckFolderItem(FolderRef folder, FolderRef name);
PlatformError PlatformSetDefaultFolder(FolderRef folder, FolderRef name);
PlatformError PlatformGetFullPath(FolderRef folder, FolderRef name, char* buffer, uint32_t size);
// A path as the system itself writes it, for texts shown to the player. The one drive "C:" is the root of the
// system's own tree, so the drive form "C:\Games\Vale.ini" (either separator) and the volume form
// "/C/Games/Vale.ini" both read "/Games/Vale.ini"; a relative path is taken from the default folder. A path on
// another drive keeps its text, with "/" as its separator. Fails, leaving the buffer empty, when the result does
// not fit.
PlatformError PlatformGetSystemPath(const char* path, char* buffer, uint32_t size);
PlatformError PlatformCreateFile(FolderRef folder, const PlatformFileInfo* info);
PlatformError PlatformDeleteFile(FolderRef folder, FolderRef name);
PlatformError PlatformGetFileInfo(FolderRef folder, FolderRef name, PlatformFileInfo* info, bool detectContainers);
PlatformError PlatformGetIndexedFileInfo(FolderRef folder, uint32_t index, PlatformFileInfo* info,
                                         bool detectContainers);
// Flags: kWalkDescend, kWalkReverseAfter, kWalkContainersPlain (file_ref.h). The callback sees the folder
// itself first (depth 0, empty path) unless it is a container walked as a plain file.
PlatformError PlatformEnumerateFolder(FolderRef folder, FolderWalkProc callback, void* user, uint32_t flags);
PlatformError PlatformReadFileToHandle(FolderRef folder, FolderRef name, uint32_t byteLimit, bool temporary,
                                       PlatformHandle** out);
// Writes the whole handle to the item: a missing item is created (a container when the handle holds one), a
// folder is replaced by a file, and an existing file or record is written over in place, keeping its permissions,
// attributes and type; a protected one is refused (-7209). A failure while the size is set leaves the old
// content; a failure once writing has begun leaves the item empty, and an item made by this call is deleted.
PlatformError PlatformWriteHandleToFile(FolderRef folder, FolderRef name, bool replace, uint32_t type,
                                        uint32_t creator, PlatformHandle* handle);
// Replaces the item with the whole handle, for files whose loss costs the user (saved games, preferences): a disk
// file is written to a temporary file beside it that then takes the item's place, so a failure at any point
// leaves the old file as it was. A protected file is refused (-7209). Records, folders and files that a stream
// has open are written as by PlatformWriteHandleToFile.
PlatformError PlatformReplaceFileWithHandle(FolderRef folder, FolderRef name, uint32_t type, uint32_t creator,
                                            PlatformHandle* handle);

// The same operations with the name given as path text.
inline PlatformError PlatformResolveFolder(FolderRef folder, const char* name, FolderRef* out) {
  return PlatformResolveFolder(folder, AsFolderRef(name), out);
}
inline PlatformError PlatformCheckFolderItem(FolderRef folder, const char* name) {
  return PlatformCheckFolderItem(folder, AsFolderRef(name));
}
inline PlatformError PlatformSetDefaultFolder(FolderRef folder, const char* name) {
  return PlatformSetDefaultFolder(folder, AsFolderRef(name));
}
inline PlatformError PlatformGetFullPath(FolderRef folder, const char* name, char* buffer, uint32_t size) {
  return PlatformGetFullPath(folder, AsFolderRef(name), buffer, size);
}
inline PlatformError PlatformDeleteFile(FolderRef folder, const char* name) {
  return PlatformDeleteFile(folder, AsFolderRef(name));
}
inline PlatformError PlatformGetFileInfo(FolderRef folder, const char* name, PlatformFileInfo* info,
                                         bool detectContainers) {
  return PlatformGetFileInfo(folder, AsFolderRef(name), info, detectContainers);
}
inline PlatformError PlatformReadFileToHandle(FolderRef folder, const char* name, uint32_t byteLimit,
                                              bool temporary, PlatformHandle** out) {
  return PlatformReadFileToHandle(folder, AsFolderRef(name), byteLimit, temporary, out);
}
inline PlatformError PlatformWriteHandleToFile(FolderRef folder, const char* name, bool replace, uint32_t type,
                                               uint32_t creator, PlatformHandle* handle) {
  return PlatformWriteHandleToFile(folder, AsFolderRef(name), replace, type, creator, handle);
}
inline PlatformError PlatformReplaceFileWithHandle(FolderRef folder, const char* name, uint32_t type,
                                                   uint32_t creator, PlatformHandle* handle) {
  return PlatformReplaceFileWithHandle(folder, AsFolderRef(name), type, creator, handle);
}
