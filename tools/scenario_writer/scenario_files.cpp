// The scenario writer's file set and the packed archive format.
#include "tools/scenario_writer/scenario_files.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>

#include "game/shell/data/data_paths.h"
#include "game/shell/data/data_stream.h"
#include "game/shell/data/string_utils.h"

namespace scenario_writer {

namespace {

bool Fail(std::string* error, std::string reason) {
  if (error != nullptr) *error = std::move(reason);
  return false;
}

uint64_t AlignTo4(uint64_t value) { return (value + 3) & ~uint64_t{3}; }

// The folder and file name under which the archive lists a path: lower case, "/" separators.
void ArchiveNames(std::string_view path, std::string& folder, std::string& name) {
  std::string lowered(path);
  std::replace(lowered.begin(), lowered.end(), '\\', '/');
  ToLowerInPlace(lowered);
  SplitPath(lowered, folder, name);
}

}  // namespace

Bytes StreamBytes(const std::function<void(DataStream&)>& write) {
  DataStream stream;
  Bytes bytes;
  if (!stream.CreateMemory(1024)) return bytes;
  write(stream);
  MemHandle block;
  if (!stream.TakeMemory(block) || block.IsNull()) return bytes;
  bytes.resize(block.Size());
  std::memcpy(bytes.data(), block.Lock(), bytes.size());
  block.Unlock();
  return bytes;
}

Bytes EncodeArchiveDirectory(const RawArchiveDirectory& directory) {
  return StreamBytes([&](DataStream& stream) {
    stream.WriteInt16(static_cast<int16_t>(directory.names.size()));
    for (const std::string& name : directory.names) stream.WritePString(name, false);
    while (stream.GetPosition() % 4 != 0) stream.WriteByte(0);
    stream.WriteInt16(static_cast<int16_t>(directory.folders.size()));
    for (const RawArchiveFolder& folder : directory.folders) {
      stream.WriteInt16(static_cast<int16_t>(folder.nameIndex));
      stream.WriteInt16(static_cast<int16_t>(folder.entries.size()));
      for (const RawArchiveEntry& entry : folder.entries) {
        stream.WriteInt16(static_cast<int16_t>(entry.nameIndex));
        stream.WriteInt32(static_cast<int32_t>(entry.offsetUnits));
        stream.WriteInt32(static_cast<int32_t>(entry.length));
      }
    }
  });
}

void ScenarioFiles::Add(std::string_view path, Bytes data) { files_.emplace_back(std::string(path), std::move(data)); }

void ScenarioFiles::AddFolder(std::string_view path) {
  std::string folder(path);
  std::replace(folder.begin(), folder.end(), '\\', '/');
  if (!folder.empty() && folder.back() != '/') folder.push_back('/');
  folders_.push_back(folder);
}

void ScenarioFiles::AddEmptyRecordFolders() {
  for (const char* folder : {"Players/Spells/", "Players/Races/", "Players/Classes/", "Players/Skill Tables/",
                             "Items/", "Locations/Defs/", "NPCs/"}) {
    AddFolder(folder);
  }
}

void ScenarioFiles::AddText(std::string_view path, std::string_view text) { Add(path, Bytes(text.begin(), text.end())); }

bool ScenarioFiles::BuildArchive(Bytes& out, std::string* error) const {
  out.clear();
  RawArchiveDirectory directory;
  std::map<std::string, uint16_t> nameIndex;
  auto indexOf = [&](const std::string& name, uint16_t& index) {
    auto found = nameIndex.find(name);
    if (found != nameIndex.end()) {
      index = found->second;
      return true;
    }
    if (name.size() > 255) return Fail(error, "name longer than 255 bytes: " + name);
    if (directory.names.size() >= 0xFFFF) return Fail(error, "more than 65535 names");
    index = static_cast<uint16_t>(directory.names.size());
    nameIndex.emplace(name, index);
    directory.names.push_back(name);
    return true;
  };

  // Folders in the order their first file was added; entries in the order of their files.
  std::map<std::string, size_t> folderSlot;
  std::vector<const Bytes*> entryData;  // parallel to the entries, folder by folder
  std::vector<std::vector<const Bytes*>> folderData;
  for (const auto& [path, data] : files_) {
    std::string folder, name;
    ArchiveNames(path, folder, name);
    if (name.empty()) return Fail(error, "path names no file: " + path);
    auto slot = folderSlot.find(folder);
    if (slot == folderSlot.end()) {
      if (directory.folders.size() >= 0xFFFF) return Fail(error, "more than 65535 folders");
      RawArchiveFolder added;
      if (!indexOf(folder, added.nameIndex)) return false;
      slot = folderSlot.emplace(folder, directory.folders.size()).first;
      directory.folders.push_back(added);
      folderData.emplace_back();
    }
    RawArchiveFolder& target = directory.folders[slot->second];
    if (target.entries.size() >= 0xFFFF) return Fail(error, "more than 65535 files in folder " + folder);
    RawArchiveEntry entry;
    if (!indexOf(name, entry.nameIndex)) return false;
    if (data.size() > UINT32_MAX) return Fail(error, "file too large: " + path);
    entry.length = static_cast<uint32_t>(data.size());
    target.entries.push_back(entry);
    folderData[slot->second].push_back(&data);
  }

  // Folders added on their own: listed with no entries unless files put them there already.
  for (const std::string& added : folders_) {
    std::string folder = added;
    ToLowerInPlace(folder);
    if (folderSlot.count(folder) != 0) continue;
    if (directory.folders.size() >= 0xFFFF) return Fail(error, "more than 65535 folders");
    RawArchiveFolder empty;
    if (!indexOf(folder, empty.nameIndex)) return false;
    folderSlot.emplace(folder, directory.folders.size());
    directory.folders.push_back(empty);
    folderData.emplace_back();
  }

  // The directory's size does not depend on the offsets, so it is measured first and the data laid out after.
  uint64_t offset = AlignTo4(EncodeArchiveDirectory(directory).size());
  for (size_t f = 0; f < directory.folders.size(); ++f) {
    for (size_t e = 0; e < directory.folders[f].entries.size(); ++e) {
      if (offset / 4 > UINT32_MAX) return Fail(error, "archive larger than its offsets can reach");
      directory.folders[f].entries[e].offsetUnits = static_cast<uint32_t>(offset / 4);
      offset = AlignTo4(offset + folderData[f][e]->size());
    }
  }
  out = EncodeArchiveDirectory(directory);
  out.reserve(offset);
  for (size_t f = 0; f < directory.folders.size(); ++f) {
    for (size_t e = 0; e < directory.folders[f].entries.size(); ++e) {
      out.resize(static_cast<size_t>(directory.folders[f].entries[e].offsetUnits) * 4, 0);
      const Bytes& data = *folderData[f][e];
      out.insert(out.end(), data.begin(), data.end());
    }
  }
  out.resize(AlignTo4(out.size()), 0);
  return true;
}

bool ScenarioFiles::WriteArchive(const std::filesystem::path& file, std::string* error) const {
  Bytes bytes;
  return BuildArchive(bytes, error) && WriteBytesToFile(file, bytes, error);
}

bool ScenarioFiles::WriteLooseTree(const std::filesystem::path& root, std::string* error) const {
  for (const std::string& folder : folders_) {
    std::error_code code;
    std::filesystem::create_directories(root / folder, code);
    if (code) return Fail(error, "cannot make folder " + folder + ": " + code.message());
  }
  for (const auto& [path, data] : files_) {
    std::string relative = path;
    std::replace(relative.begin(), relative.end(), '\\', '/');
    std::filesystem::path target = root / relative;
    std::error_code code;
    std::filesystem::create_directories(target.parent_path(), code);
    if (code) return Fail(error, "cannot make folder " + target.parent_path().string() + ": " + code.message());
    if (!WriteBytesToFile(target, data, error)) return false;
  }
  return true;
}

bool WriteBytesToFile(const std::filesystem::path& file, const Bytes& bytes, std::string* error) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  if (!out) return Fail(error, "cannot create " + file.string());
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) return Fail(error, "cannot write " + file.string());
  return true;
}

}  // namespace scenario_writer
