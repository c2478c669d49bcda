// The data archive: one packed file that holds a scenario's files under their relative paths, and the one way
// the rest of the game reaches scenario files whichever form the scenario has (packed, or a loose folder tree).
//
// Archive format (big-endian): a 16-bit name count and that many names (a length byte and the bytes, stored
// shifted down by the string shift), filler up to a multiple of 4, a 16-bit folder count, and per folder a
// 16-bit name index, a 16-bit entry count and 10-byte entries {16-bit name index, 32-bit offset in 4-byte
// units, 32-bit length}. Names are lower case; folder names end in "/" and the top folder is "".
//
// The directory is checked before use: every name index must exist and every entry must lie inside the file.
// Each entry is read on its own, into a block of exactly its length, so a reader never sees another file's
// bytes.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "game/graphics/bitmap.h"
#include "game/shell/data/data_stream.h"
#include "platform/core/platform_error.h"

struct ArchiveEntry {
  std::string name;
  uint32_t offsetUnits = 0;  // the data's offset from the start of the file, in 4-byte units
  uint32_t length = 0;
  uint64_t Offset() const { return static_cast<uint64_t>(offsetUnits) * 4; }
};

struct ArchiveFolder {
  std::string name;  // lower case, ending in "/"; "" for the top folder
  std::map<std::string, ArchiveEntry> entries;  // ordered byte-wise by name
};

// The error of a directory that names a missing name or points outside the file.
constexpr int32_t kArchiveBadDirectory = kPlatformErrBadData;

class DataArchive {
 public:
  // An archive over an open stream (a file read through, or a memory block); reads and checks the directory.
  // A stream that is not open, or a directory that fails its checks, leaves the archive empty with the error
  // kept in GetError.
  explicit DataArchive(std::unique_ptr<DataStream> stream);
  ~DataArchive();
  DataArchive(const DataArchive&) = delete;
  DataArchive& operator=(const DataArchive&) = delete;

  int32_t GetError() const { return error_; }
  const std::vector<ArchiveFolder>& Folders() const { return folders_; }

  // Lookups lower-case the path (A to Z) and compare exactly; a path without a separator is in the top folder.
  const ArchiveEntry* FindEntry(std::string_view path) const;
  const ArchiveFolder* FindFolder(std::string_view path) const;
  // Reads the entry's bytes into a block of exactly its length (null for an empty entry). False on a read error.
  bool ReadEntry(const ArchiveEntry& entry, MemHandle& out);
  // Reads the entry's bytes into memory of at least its length that the caller holds. False on a read error.
  bool ReadEntryInto(const ArchiveEntry& entry, void* bytes);
  // A new memory stream over the entry's bytes, its path set to `path`; null when it cannot be read.
  std::unique_ptr<DataStream> OpenEntry(const ArchiveEntry& entry, std::string_view path);

  // The picture lookup: the name as given, else (without a ".") with ".png" appended, else with its last three
  // characters replaced by png, gif, bmp, jpg and pct in turn. Null when none is found; `found` gets the path.
  const ArchiveEntry* FindPicture(std::string_view name, std::string* found = nullptr) const;

  // The process's archive: Open sets the archive-only flag and the data roots and, with the flag set, opens the
  // archive file at dataPath (read through, not loaded) and reads its directory; returns the archive's error.
  // Close destroys it. Current is null while the scenario is a folder tree.
  static int32_t Open(std::string_view dataPath, bool archiveOnly);
  static void Close();
  static DataArchive* Current();
  static bool ArchiveOnly();
  // Installs an archive made by the caller (tests, or an archive already in memory); replaces any other.
  static void Install(std::unique_ptr<DataArchive> archive, bool archiveOnly);

 private:
  int32_t ReadDirectory();

  std::unique_ptr<DataStream> stream_;
  std::vector<ArchiveFolder> folders_;
  int32_t error_ = 0;
};

// Scenario file access through the archive when there is one, else through the disk.
bool DataFileExists(const char* path);
// A stream ready for reading, owned by the open-file set until CloseDataFile; null for a missing file.
DataStream* OpenDataFile(std::string_view path);
void CloseDataFile(DataStream* stream);
// Calls perFile with a stream over each file of the folder (in name order from an archive) until stop, when
// given, returns true.
using DataFileProc = std::function<void(DataStream& stream)>;
using DataFileStopProc = std::function<bool()>;
void ForEachDataFile(std::string_view folder, const DataFileProc& perFile, const DataFileStopProc& stop = nullptr);
// A new picture for the name: from the archive by the picture names tried in turn (FindPicture), else from the
// disk. Null when no picture is found or it cannot be decoded; the status (when asked for) tells a picture whose
// memory could not be had (kBitmapNoMemory) from one that is not there. It is the picture cache's loader.
std::unique_ptr<Bitmap> LoadPictureByName(const char* name, int32_t* status = nullptr);
