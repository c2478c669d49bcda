// The program that writes the demo scenario into a folder at build time: "demo_scenario <folder> [-loose]".
#include <cstdio>
#include <string>

#include "tools/demo_scenario/demo_scenario.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: demo_scenario <folder> [-loose]\n");
    return 2;
  }
  const bool loose = argc > 2 && std::string(argv[2]) == "-loose";
  std::string error;
  if (!demo_scenario::BuildDemoScenario(argv[1], loose, &error)) {
    std::fprintf(stderr, "demo_scenario: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
