// Data paths: the three roots of the scenario's files, the builders of every resource path, the rules for
// normalising and splitting paths that the data archive and DataStream rely on, and small file helpers over
// the framework's file manager. Paths use "/" as their separator throughout.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

class DataStream;

// Every "\" and ":" becomes "/". A path of more than two characters whose second character is ":" becomes "/",
// the drive letter, "/" and the rest ("C:\Games\x" gives "/C/Games/x"). Returns whether that drive form was
// found.
bool NormalizePath(std::string& path);
// NormalizePath, then "/" is appended when the path holds no "." and does not end in "/". Nothing for "".
bool EnsureFolderPath(std::string& path);
// Splits after the last "\", else the last "/", else the last ":"; the folder keeps the separator. Without a
// separator the folder is "" and the name is the path.
void SplitPath(std::string_view path, std::string& folder, std::string& name);
// The part after the last "\", else "/", else ":"; the whole path when there is none or it ends the path.
void FileNameOfPath(std::string& out, std::string_view path);
// The extension rule of resource names: a name longer than three characters keeps its form when it ends in the
// extension or has "." as its fourth character from the end (a three-letter extension); any other name gets
// the extension (given with its ".") appended.
void ApplyExtensionRule(std::string& name, std::string_view extension);

// Sets the three roots for the data path, below the default folder's full path. A data path that names an
// existing item is a folder tree when the item is a folder, whatever its name; otherwise the "." rule holds.
void SetDataRoots(std::string_view dataPath);
// The three roots. The scenario root is the data path and "/" for a folder tree (a data path without "."), ""
// for a packed data file, whose entries are addressed without a root. The application root is the default
// folder's full path and the data path's folder part; the plug-in root the default folder's full path and
// "Plugins/". Each ends in "/" (the scenario root unless empty).
// folderTree: 1 a folder tree, 0 a packed file, -1 decided by the "." rule.
void SetDataRootsFrom(std::string_view dataPath, std::string_view defaultFolderPath, int folderTree = -1);
const std::string& GetScenarioRoot();
const std::string& GetApplicationRoot();
const std::string& GetPluginRoot();

// Resource paths: each is rooted, normalised and written into out.
void ConfigPath(std::string& out);
void ItemsFolderPath(std::string& out);
void LocationDefsFolderPath(std::string& out);
void NpcsFolderPath(std::string& out);
void SkillTablesFolderPath(std::string& out);
void ClassesFolderPath(std::string& out);
void RacesFolderPath(std::string& out);
void SpellsFolderPath(std::string& out);
void PortraitsFolderPath(std::string& out);
void PortraitPath(std::string& out, std::string_view name);          // ".pct" by the extension rule
void EventPicturePath(std::string& out, std::string_view name);      // ".pct"
void LocationPicturePath(std::string& out, std::string_view name);   // ".pct"
void MapPath(std::string& out, std::string_view name);               // ".cma"
void EventDefinitionPath(std::string& out, std::string_view name);   // ".cet"
void PicturePath(std::string& out, std::string_view name);           // no extension added
void StampPicturePath(std::string& out, std::string_view name);
void GroundPicturePath(std::string& out, std::string_view name);
// Media live on the disk beside the data file, or in a plug-in's folder when a plug-in name is given.
void MoviePath(std::string& out, std::string_view name, std::string_view plugin);
void MusicPath(std::string& out, std::string_view name, std::string_view plugin);
// As MoviePath under "Sounds/" with ".aiff" by the extension rule, made relative to the program's folder.
void SoundPath(std::string& out, std::string_view name, std::string_view plugin);

// A path as the player's system writes it, for messages: "C:\Users\wren\Vale.ini" and "/C/Users/wren/Vale.ini"
// read "/Users/wren/Vale.ini", and a relative path is taken from the default folder. The path as given when it
// cannot be turned.
std::string SystemPath(std::string_view path);

// File helpers over the file manager, on the default folder.
bool FileExistsByName(const char* path);
bool IsFolder(const char* path);
uint32_t FileSize(const char* path);         // 0 for a folder or a missing item
uint32_t FolderItemCount(const char* path);  // 0 for a file or a missing item
// out = folderPath + the name of the folder's item number itemNumber (from 1) when that item is a file, else
// "". Returns the file manager's error, or 0 when the path is no folder.
int32_t PathJoinIfFolder(std::string& out, const char* folderPath, uint32_t itemNumber);
// Calls perFile with a whole-file stream for each file directly in the folder, in name order, then end, until
// end returns true. Sub-folders are not entered: their files belong to their own folder. A stream is made for
// the walked folder and the file's name, so its current path is that name.
void ForEachFileInFolder(std::string_view folderPath, const std::function<void(DataStream&)>& perFile,
                         const std::function<bool()>& end);
