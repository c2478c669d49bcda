// The scenario writer's file set: the files of a scenario under their relative paths, written out either as a
// loose folder tree or as one packed archive that holds the same files under the same paths. Tests build the
// data they read with it, and so does the demo scenario.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class DataStream;

namespace scenario_writer {

using Bytes = std::vector<uint8_t>;

// The bytes that `write` puts into a memory DataStream: every record format is written this way, with the same
// big-endian writers the game reads with.
Bytes StreamBytes(const std::function<void(DataStream&)>& write);

// The archive directory exactly as stored (name indices, offsets in 4-byte units, lengths). Tests use it to
// make hostile directories; ScenarioFiles builds a sound one.
struct RawArchiveEntry {
  uint16_t nameIndex = 0;
  uint32_t offsetUnits = 0;
  uint32_t length = 0;
};

struct RawArchiveFolder {
  uint16_t nameIndex = 0;
  std::vector<RawArchiveEntry> entries;
};

struct RawArchiveDirectory {
  std::vector<std::string> names;  // stored shifted down, so that the reader's upward shift gives them back
  std::vector<RawArchiveFolder> folders;
};

// The directory's bytes: the name count and names, filler up to a multiple of 4, the folder count and folders.
Bytes EncodeArchiveDirectory(const RawArchiveDirectory& directory);

class ScenarioFiles {
 public:
  // path is relative to the scenario's top, with "/" (or "\") separators: "Config", "Players/Races/Elf".
  // Files keep the order in which they were added; adding a path twice keeps both (the later one wins when
  // read from an archive).
  void Add(std::string_view path, Bytes data);
  void AddText(std::string_view path, std::string_view text);
  // An empty folder ("Players/Spells/"): listed in the archive with no entries, made in the loose tree.
  void AddFolder(std::string_view path);
  // The seven record folders, empty.
  void AddEmptyRecordFolders();
  const std::vector<std::string>& Folders() const { return folders_; }
  const std::vector<std::pair<std::string, Bytes>>& Files() const { return files_; }

  // The packed archive: the directory (lower-cased names, folders ending in "/", the top folder ""), then every
  // file's bytes at an offset divisible by 4. False, with a reason, when a count or a name is too long.
  bool BuildArchive(Bytes& out, std::string* error = nullptr) const;
  bool WriteArchive(const std::filesystem::path& file, std::string* error = nullptr) const;
  // The loose tree under root, folders made as needed, names kept as given.
  bool WriteLooseTree(const std::filesystem::path& root, std::string* error = nullptr) const;

 private:
  std::vector<std::pair<std::string, Bytes>> files_;
  std::vector<std::string> folders_;
};

// Writes bytes to a disk file, replacing it.
bool WriteBytesToFile(const std::filesystem::path& file, const Bytes& bytes, std::string* error = nullptr);

}  // namespace scenario_writer
