// Page folders, written as a loose file set.
#include "tools/scenario_writer/page_writer.h"

namespace scenario_writer {

bool WritePageFolder(const std::filesystem::path& folder, std::string_view markup, const std::vector<PageFile>& files,
                     std::string* error) {
  ScenarioFiles set;
  set.AddText("index.iml", markup);
  for (const PageFile& file : files) set.Add(file.name, file.bytes);
  return set.WriteLooseTree(folder, error);
}

}  // namespace scenario_writer
