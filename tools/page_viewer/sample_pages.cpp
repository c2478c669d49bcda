// Writes the sample page folder for the page viewer (see sample_folder.h). Usage: sample_pages <folder>
#include <cstdio>
#include <string>

#include "tools/page_viewer/sample_folder.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: sample_pages <folder>\n");
    return 2;
  }
  std::string error;
  if (!WriteSamplePages(argv[1], &error)) {
    std::fprintf(stderr, "sample_pages: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
