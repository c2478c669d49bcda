// The scenario writer's markup pages: a page folder is its "index.iml" markup text and the pictures (or other
// files) it names, under their names relative to the folder.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "tools/scenario_writer/scenario_files.h"

namespace scenario_writer {

struct PageFile {
  std::string name;  // relative to the page folder, "/" separators
  Bytes bytes;
};

// Writes "index.iml" and the files into the folder (made as needed). False, with a reason, when it cannot.
bool WritePageFolder(const std::filesystem::path& folder, std::string_view markup, const std::vector<PageFile>& files,
                     std::string* error = nullptr);

}  // namespace scenario_writer
