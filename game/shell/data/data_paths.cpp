// Data paths: roots, resource path builders, path rules and file helpers.
#include "game/shell/data/data_paths.h"

#include <algorithm>

#include "game/shell/data/data_stream.h"
#include "game/shell/data/string_utils.h"
#include "platform/core/file_manager.h"

bool NormalizePath(std::string& path) {
  bool drive = path.size() > 2 && path[1] == ':';
  if (drive) {
    std::string rest = path.substr(2);
    if (!rest.empty() && (rest[0] == '\\' || rest[0] == '/')) rest.erase(0, 1);
    path = std::string("/") + path[0] + "/" + rest;
  }
  std::replace_if(path.begin(), path.end(), [](char c) { return c == '\\' || c == ':'; }, '/');
  return drive;
}

bool EnsureFolderPath(std::string& path) {
  if (path.empty()) return false;
  bool drive = NormalizePath(path);
  if (path.find('.') == std::string::npos && path.back() != '/') path += '/';
  return drive;
}

namespace {

// The index of the separator that ends a path's folder part, or npos.
size_t LastSeparator(std::string_view path) {
  for (char separator : {'\\', '/', ':'}) {
    size_t at = path.rfind(separator);
    if (at != std::string_view::npos) return at;
  }
  return std::string_view::npos;
}

}  // namespace

void SplitPath(std::string_view path, std::string& folder, std::string& name) {
  size_t at = LastSeparator(path);
  if (at == std::string_view::npos) {
    folder.clear();
    name.assign(path);
    return;
  }
  folder.assign(path.substr(0, at + 1));
  name.assign(path.substr(at + 1));
}

void FileNameOfPath(std::string& out, std::string_view path) {
  size_t at = LastSeparator(path);
  if (at == std::string_view::npos || at + 1 == path.size()) {
    out.assign(path);
    return;
  }
  out.assign(path.substr(at + 1));
}

void ApplyExtensionRule(std::string& name, std::string_view extension) {
  if (name.size() > 3) {
    bool hasExtension = name.size() >= extension.size() &&
                        std::string_view(name).substr(name.size() - extension.size()) == extension;
    if (hasExtension || name[name.size() - 4] == '.') return;
  }
  name += extension;
}

// ---- roots and resource paths ----

namespace {

struct DataRoots {
  std::string scenario;
  std::string application;
  std::string plugin;
  std::string defaultFolder;  // the default folder's full path, normalised: cut from the front of sound paths
};

DataRoots& Roots() {
  static DataRoots roots;
  return roots;
}

std::string WithTrailingSlash(std::string_view path) {
  std::string result(path);
  if (result.empty() || (result.back() != '/' && result.back() != '\\')) result += '/';
  return result;
}

bool IsAbsolutePath(std::string_view path) {
  return (path.size() > 1 && path[1] == ':') || (!path.empty() && (path[0] == '/' || path[0] == '\\'));
}

// True when a resource name has a ".." segment: such a name would reach above the folder its kind lives in (a
// scenario's event named "../../x" would read any file the player can), so its path is left empty and opening it
// fails as a missing file does.
bool ClimbsOutOfItsFolder(std::string_view name) {
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find_first_of("/\\:", start);
    if (end == std::string_view::npos) end = name.size();
    if (name.substr(start, end - start) == "..") return true;
    start = end + 1;
  }
  return false;
}

void ScenarioPath(std::string& out, std::string_view relative, std::string_view name = {},
                  std::string_view extension = {}) {
  if (ClimbsOutOfItsFolder(name)) {
    out.clear();
    return;
  }
  std::string file(name);
  if (!extension.empty()) ApplyExtensionRule(file, extension);
  out = Roots().scenario;
  out += relative;
  out += file;
  NormalizePath(out);
}

void MediaPath(std::string& out, std::string_view folder, std::string_view name, std::string_view plugin,
               std::string_view extension = {}) {
  if (ClimbsOutOfItsFolder(name) || ClimbsOutOfItsFolder(plugin)) {
    out.clear();
    return;
  }
  std::string relative(folder);
  std::string file(name);
  if (!extension.empty()) ApplyExtensionRule(file, extension);
  relative += file;
  NormalizePath(relative);
  if (!plugin.empty()) {
    out = Roots().plugin;
    out += plugin;
    out += '/';
  } else {
    out = Roots().application;
  }
  out += relative;
  NormalizePath(out);
}

}  // namespace

void SetDataRootsFrom(std::string_view dataPath, std::string_view defaultFolderPath, int folderTree) {
  DataRoots& roots = Roots();
  std::string base = WithTrailingSlash(defaultFolderPath);
  roots.defaultFolder = base;
  NormalizePath(roots.defaultFolder);
  if (folderTree < 0) folderTree = dataPath.find('.') == std::string_view::npos ? 1 : 0;
  roots.scenario = folderTree != 0 ? std::string(dataPath) + "/" : std::string();
  std::string folder, name;
  SplitPath(dataPath, folder, name);
  // A data path with its own root names its folder fully; only a relative one hangs below the default folder.
  // Put below the default folder, "C:\Games\Vale.dat" would give a root that names no folder at all, and no
  // sound, music or movie of the scenario would ever be found.
  roots.application = IsAbsolutePath(folder) ? WithTrailingSlash(folder) : base + folder;
  if (roots.application.empty() || roots.application.back() != '/') roots.application = WithTrailingSlash(roots.application);
  roots.plugin = base + "Plugins/";
}

void SetDataRoots(std::string_view dataPath) {
  char defaultFolder[kWindowsPathSize * 2] = {};
  PlatformGetFullPath(0, "", defaultFolder, sizeof(defaultFolder));
  // A folder named "Vale.v2" is still a folder tree, and a packed file without an extension still packed: told
  // by the "." alone, either would be looked for in the other form, and none of its files would be found.
  std::string path(dataPath);
  PlatformFileInfo info;
  int folderTree = -1;
  if (!path.empty() && PlatformGetFileInfo(0, path.c_str(), &info, false) == kPlatformNoError) {
    folderTree = info.isFolder != 0 ? 1 : 0;
  }
  SetDataRootsFrom(dataPath, defaultFolder, folderTree);
}

const std::string& GetScenarioRoot() { return Roots().scenario; }
const std::string& GetApplicationRoot() { return Roots().application; }
const std::string& GetPluginRoot() { return Roots().plugin; }

std::string SystemPath(std::string_view path) {
  const std::string text(path);
  char shown[kWindowsPathSize * 4];
  if (PlatformGetSystemPath(text.c_str(), shown, sizeof(shown)) != kPlatformNoError) return text;
  return shown;
}

void ConfigPath(std::string& out) { ScenarioPath(out, "Config"); }
void ItemsFolderPath(std::string& out) { ScenarioPath(out, "Items/"); }
void LocationDefsFolderPath(std::string& out) { ScenarioPath(out, "Locations/Defs/"); }
void NpcsFolderPath(std::string& out) { ScenarioPath(out, "NPCs/"); }
void SkillTablesFolderPath(std::string& out) { ScenarioPath(out, "Players/Skill Tables/"); }
void ClassesFolderPath(std::string& out) { ScenarioPath(out, "Players/Classes/"); }
void RacesFolderPath(std::string& out) { ScenarioPath(out, "Players/Races/"); }
void SpellsFolderPath(std::string& out) { ScenarioPath(out, "Players/Spells/"); }
void PortraitsFolderPath(std::string& out) { ScenarioPath(out, "Players/Portraits/"); }
void PortraitPath(std::string& out, std::string_view name) { ScenarioPath(out, "Players/Portraits/", name, ".pct"); }
void EventPicturePath(std::string& out, std::string_view name) { ScenarioPath(out, "Events/Pics/", name, ".pct"); }
void LocationPicturePath(std::string& out, std::string_view name) {
  ScenarioPath(out, "Locations/Location pics/", name, ".pct");
}
void MapPath(std::string& out, std::string_view name) { ScenarioPath(out, "Maps/", name, ".cma"); }
void EventDefinitionPath(std::string& out, std::string_view name) { ScenarioPath(out, "Events/Defs/", name, ".cet"); }
void PicturePath(std::string& out, std::string_view name) { ScenarioPath(out, "Pictures/", name); }
void StampPicturePath(std::string& out, std::string_view name) { ScenarioPath(out, "Pictures/", name); }
void GroundPicturePath(std::string& out, std::string_view name) { ScenarioPath(out, "Pictures/", name); }

void MoviePath(std::string& out, std::string_view name, std::string_view plugin) {
  MediaPath(out, "Movies/", name, plugin);
}

void MusicPath(std::string& out, std::string_view name, std::string_view plugin) {
  MediaPath(out, "Music/", name, plugin);
}

void SoundPath(std::string& out, std::string_view name, std::string_view plugin) {
  MediaPath(out, "Sounds/", name, plugin, ".aiff");
  // Relative to the program's folder, as the sound player opens it. A path outside that folder (the sounds of a
  // data path with its own root) stays whole: cutting the length of the program's folder from it would leave a
  // path to nowhere.
  if (StartsWith(out, Roots().defaultFolder)) out.erase(0, Roots().defaultFolder.size());
}

// ---- file helpers ----

namespace {

// The file information of a path on the default folder; false when the file manager has none.
bool InfoOf(const char* path, PlatformFileInfo& info) {
  if (path == nullptr) return false;
  return PlatformGetFileInfo(0, path, &info, false) == kPlatformNoError;
}

struct FolderWalk {
  const std::function<void(DataStream&)>* perFile;
  const std::function<bool()>* end;
};

PlatformError VisitFolderItem(FolderRef top, const char* relativePath, const PlatformFileInfo* info,
                              int32_t percent, int32_t depth, void* user) {
  const FolderWalk& walk = *static_cast<const FolderWalk*>(user);
  if (depth != 1 || info->isFolder) return kPlatformNoError;
  DataStream stream(top, info->name);
  if (stream.Open(kDataStreamRead | kDataStreamWholeFile) == 0 && *walk.perFile) (*walk.perFile)(stream);
  stream.Close();
  bool stop = *walk.end && (*walk.end)();
  return stop ? kPlatformErrCancelled : kPlatformNoError;
}

}  // namespace

bool FileExistsByName(const char* path) {
  if (path == nullptr) return false;
  std::string copy = path;
  EnsureFolderPath(copy);
  return PlatformGetFileInfo(0, copy.c_str(), nullptr, false) == kPlatformNoError;
}

bool IsFolder(const char* path) {
  PlatformFileInfo info;
  return InfoOf(path, info) && info.isFolder != 0;
}

uint32_t FileSize(const char* path) {
  PlatformFileInfo info;
  return InfoOf(path, info) && info.isFolder == 0 ? info.size : 0;
}

uint32_t FolderItemCount(const char* path) {
  PlatformFileInfo info;
  return InfoOf(path, info) && info.isFolder != 0 ? info.size : 0;
}

int32_t PathJoinIfFolder(std::string& out, const char* folderPath, uint32_t itemNumber) {
  out.clear();
  if (!IsFolder(folderPath)) return 0;
  FolderRef folder = 0;
  PlatformError error = PlatformResolveFolder(0, folderPath, &folder);
  if (error != kPlatformNoError) return error;
  PlatformFileInfo info;
  // Item 0 wraps to an index past the last item, which the file manager reports as missing.
  error = PlatformGetIndexedFileInfo(folder, itemNumber - 1, &info, false);
  if (error == kPlatformNoError && info.isFolder == 0) out = std::string(folderPath) + info.name;
  PlatformReleaseFolder(folder);
  return error;
}

void ForEachFileInFolder(std::string_view folderPath, const std::function<void(DataStream&)>& perFile,
                         const std::function<bool()>& end) {
  std::string path(folderPath);
  FolderRef folder = 0;
  if (PlatformResolveFolder(0, path.c_str(), &folder) != kPlatformNoError) return;
  FolderWalk walk{&perFile, &end};
  // The folder's own items only, so a file of a sub-folder is never looked for in its parent; container files
  // are plain files here.
  PlatformEnumerateFolder(folder, VisitFolderItem, &walk, kWalkContainersPlain);
  PlatformReleaseFolder(folder);
}
