// Data paths: the three roots of the scenario's files, the builders of every resource path, the rules for
// normalising and splitting paths that the data archive and DataStream rely on, and small file helpers over
// the framework's file manager. Paths use "/" as their separator throughout.
#pragma once

#include <string>
#include <string_view>

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
