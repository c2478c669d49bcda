// File types and creators: four-character codes chosen from a name's extension by a fixed table whose rows
// are {type, creator, extension code, preferred flag}. The extension code of a name packs the up to four
// characters after its last "." (the whole name when it has none), lower-cased, highest byte first.
#pragma once

#include <cstdint>

constexpr uint32_t FourCharCode(const char (&code)[5]) {
  return (static_cast<uint32_t>(static_cast<uint8_t>(code[0])) << 24) |
         (static_cast<uint32_t>(static_cast<uint8_t>(code[1])) << 16) |
         (static_cast<uint32_t>(static_cast<uint8_t>(code[2])) << 8) |
         static_cast<uint32_t>(static_cast<uint8_t>(code[3]));
}

struct FileTypeRow {
  uint32_t type;
  uint32_t creator;
  uint32_t extension;
  uint32_t flags;  // bit 0: the preferred row for its type
};

// With an extension code: the first preferred row with it, else the first row with it, else '????'. Without
// one: the first preferred row of `type`, else the first row of `type`, else '????'.
FileTypeRow GetFileTypeForName(const char* name, uint32_t type);
uint32_t GetFileExtensionCode(const char* name);
