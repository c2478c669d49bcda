// File and folder references: a FileRef names a file or folder on the one drive, or a record inside a "CHNK"
// container (a container file then serves as a folder), possibly rooted in an open stream instead of a disk path.
//
// A FileRef is a PlatformHandle whose data is a FileRefData: list link, held container stream, root stream,
// drive text, Windows path and a chain of length-prefixed component names. A FolderRef is what the public file
// operations take as a folder: a FileRef handle, a special number (-6 to 100), or the address of a path text.
// This file also declares the file information record and the special folders and volumes
// (special_folders.cpp); file types and the error map have headers of their own.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/core/file_errors.h"
#include "platform/core/file_types.h"
#include "platform/core/memory.h"
#include "platform/core/platform_error.h"

struct PlatformStream;

// A FileRef handle, a special number, or the address of a path text, told apart by range and by the list of
// registered references.
using FolderRef = intptr_t;

constexpr FolderRef kFolderDocuments = -6;
constexpr FolderRef kFolderTemporary = -5;
constexpr FolderRef kFolderApplicationData = -4;
constexpr FolderRef kFolderApplicationData2 = -3;
constexpr FolderRef kFolderProgram = -2;
constexpr FolderRef kFolderParent = -1;
constexpr FolderRef kFolderBase = 0;
constexpr FolderRef kFolderLastVolume = 100;

inline FolderRef AsFolderRef(PlatformHandle* ref) { return reinterpret_cast<FolderRef>(ref); }
inline FolderRef AsFolderRef(const char* pathText) { return reinterpret_cast<FolderRef>(pathText); }
inline bool IsSpecialFolderNumber(FolderRef value) { return value >= -6 && value <= kFolderLastVolume; }

constexpr uint32_t kWindowsPathSize = 260;  // the longest path with its terminator
constexpr uint32_t kComponentMaxLength = 255;

struct FileRefData {
  PlatformHandle* link;         // next registered reference, newest first
  PlatformStream* heldStream;   // the container stream kept open while a container file is registered
  PlatformStream* rootStream;   // a stream this reference is rooted in instead of a disk path
  char drive[4];                // "C:" and zeros
  char path[kWindowsPathSize];  // from the drive's root: "\" or "\Games\Data"
  uint8_t components[1];        // length-prefixed names, ended by a zero length byte
};

// The information record of a file, folder or container record.
struct PlatformFileInfo {
  char name[256];
  uint8_t readable;
  uint8_t writable;
  uint8_t isFolder;     // also 1 for a container
  uint8_t hidden;
  uint8_t isContainer;  // a "CHNK" container, shown as a folder
  uint32_t size;        // bytes of a file (0xFFFFFFFF from 4 GiB on), entries of a folder or container
  uint32_t created;     // seconds since 1970
  uint32_t modified;
  uint32_t type;        // four-character codes
  uint32_t creator;
};

// The identity of a folder in a tree walk: the volume and the file index of the folder itself, so that a
// folder reached again through a symbolic link is recognised. (Identities made with a counter that grows at every
// listing would never match, and a link back to an ancestor would be walked into without end.)
struct FolderIdentity {
  uint32_t volume;
  uint32_t indexHigh;
  uint32_t indexLow;
};

// Called for each item of a folder walk: (top, relative path text, item info, percent, depth, user value).
// A non-zero result ends the walk with that result.
using FolderWalkProc = PlatformError (*)(FolderRef top, const char* relativePath, const PlatformFileInfo* info,
                                         int32_t percent, int32_t depth, void* user);

constexpr uint32_t kWalkDescend = 1;          // enter folders and containers
constexpr uint32_t kWalkReverseAfter = 2;     // last item first, each item after its contents
constexpr uint32_t kWalkContainersPlain = 4;  // container files are plain files

struct FileRef {
  static FileRefData* Data(PlatformHandle* ref) { return static_cast<FileRefData*>(ref->data); }
  // A new empty reference (drive "C:", root path, no components), not registered; null when out of memory.
  static PlatformHandle* New();

  static PlatformError Resolve(PlatformHandle* base, FolderRef target, PlatformHandle** out);
  static PlatformError Register(PlatformHandle* ref);
  static bool IsValid(FolderRef value);
  static PlatformHandle* FirstRegistered();
  static PlatformError Dispose(FolderRef ref);
  static PlatformError GetPathText(PlatformHandle* ref, char* out, uint32_t size);
  static PlatformError SetFromDrivePath(PlatformHandle* ref, char letter, const char* path);
  static PlatformError GetParent(PlatformHandle* ref, uint8_t* outName);  // length-prefixed, 256 bytes
  static PlatformError PushComponent(PlatformHandle* ref, const uint8_t* name);  // length-prefixed
  static PlatformError PopComponent(PlatformHandle* ref, char* outText);  // escaped text, 256 bytes, or null
  static bool HasComponents(PlatformHandle* ref) { return Data(ref)->components[0] != 0; }
  static PlatformError CheckExists(PlatformHandle* ref);
  static bool Exists(PlatformHandle* ref);
  static PlatformError GetInfo(PlatformHandle* ref, PlatformFileInfo* info, bool checkContainer);
  static PlatformError GetTimes(PlatformHandle* ref, uint32_t* created, uint32_t* modified);
  static PlatformError ListFolder(PlatformHandle* folder, uint32_t n, PlatformFileInfo* info,
                                  FolderIdentity* identity, bool checkContainer);
  static void FreeListingCache();
  static PlatformError Create(PlatformHandle* folder, const PlatformFileInfo* info);
  static PlatformError Delete(PlatformHandle* ref);
  static PlatformError WalkTree(PlatformHandle* top, PlatformHandle* folder, FolderWalkProc callback, void* user,
                                uint32_t flags, PlatformHandle* identityStack, PlatformHandle* relativePath,
                                uint32_t entryCount, uint32_t* progress, uint32_t total);
  // The full Windows path ("C:\Games\Data"), bounded by kWindowsPathSize.
  static void GetWindowsPath(PlatformHandle* ref, char* out);

  // Streams (platform_stream.cpp).
  static PlatformError OpenStream(PlatformHandle* ref, bool needWrite, PlatformStream** out);
  static bool HasStream(PlatformHandle* handle);
};

PlatformError GetSpecialFolder(PlatformHandle* ref, FolderRef number);
PlatformError ListVolumes(PlatformHandle* ref, int32_t n);
PlatformError FindVolumeByName(PlatformHandle* ref, const uint8_t* name);  // length-prefixed

// A handle holding a PlatformFileInfo for a new item ('TEXT' / 'ttxt', readable and writable); null when out
// of memory.
PlatformHandle* NewDefaultFileInfo();


// Path text: decoding one segment ("%XX" escapes) into a length-prefixed name, and escaping a name.
PlatformError DecodePathSegment(const char* text, size_t length, uint8_t* outName);
void EscapePathName(const uint8_t* bytes, size_t length, char* out, uint32_t size);
