// The table of the program's own resources, made by the build from the files under resources/ (see
// host/CMakeLists.txt). Internal to the host layer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "host/types.h"

namespace host {

struct ProgramResource {
  WORD id;
  WORD type;
  const unsigned char* bytes;
  size_t size;
};

extern const ProgramResource kProgramResources[];
extern const size_t kProgramResourceCount;

// The resource of a number and type, or null.
const ProgramResource* FindProgramResource(WORD id, WORD type);

// Whether an icon handle is one of the program's icons, and its picture as 32-bit pixels (blue in the low byte,
// alpha in the high byte), rows top-down; false when it is not or cannot be decoded.
bool ProgramIconPixels(HICON icon, int* width, int* height, std::vector<uint32_t>* pixels);

}  // namespace host
