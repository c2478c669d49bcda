// Data paths: roots, resource path builders, path rules and file helpers.
#include "game/shell/data_paths.h"

#include <algorithm>

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
