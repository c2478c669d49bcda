// The file type table and the extension codes of names.
#include "platform/core/file_types.h"

#include <cstring>

namespace {

const FileTypeRow kFileTypes[] = {
    {FourCharCode("TEXT"), FourCharCode("ttxt"), 0x74787400u, 1},  // txt
    {FourCharCode("TEXT"), FourCharCode("ttxt"), 0x74657874u, 0},  // text
    {FourCharCode("TEXT"), FourCharCode("CWIE"), 0x63000000u, 0},  // c
    {FourCharCode("TEXT"), FourCharCode("CWIE"), 0x63700000u, 0},  // cp
    {FourCharCode("TEXT"), FourCharCode("CWIE"), 0x63707000u, 0},  // cpp
    {FourCharCode("TEXT"), FourCharCode("CWIE"), 0x68000000u, 0},  // h
    {FourCharCode("TEXT"), FourCharCode("CWIE"), 0x68700000u, 0},  // hp
    {FourCharCode("TEXT"), FourCharCode("CWIE"), 0x68707000u, 0},  // hpp
    {FourCharCode("PNGf"), FourCharCode("ogle"), 0x706E6700u, 1},  // png
    {FourCharCode("PNG "), FourCharCode("ogle"), 0x706E6700u, 0},
    {FourCharCode("GIFf"), FourCharCode("ogle"), 0x67696600u, 1},  // gif
    {FourCharCode("GIF "), FourCharCode("ogle"), 0x67696600u, 0},
    {FourCharCode("JPEG"), FourCharCode("ogle"), 0x6A706700u, 1},  // jpg
    {FourCharCode("JPEG"), FourCharCode("ogle"), 0x6A706567u, 0},  // jpeg
    {FourCharCode("BMPf"), FourCharCode("ogle"), 0x626D7000u, 1},  // bmp
    {FourCharCode("BMP "), FourCharCode("ogle"), 0x626D7000u, 0},
    {FourCharCode("PICT"), FourCharCode("ttxt"), 0x70637400u, 1},  // pct
    {FourCharCode("PICT"), FourCharCode("ttxt"), 0x70696374u, 0},  // pict
    {FourCharCode("????"), FourCharCode("????"), 0, 0},
};
constexpr size_t kFileTypeCount = sizeof(kFileTypes) / sizeof(kFileTypes[0]);

}  // namespace

uint32_t GetFileExtensionCode(const char* name) {
  const char* dot = std::strrchr(name, '.');
  const char* extension = dot != nullptr ? dot + 1 : name;
  uint32_t code = 0;
  for (int i = 0; i < 4 && extension[i] != '\0'; ++i) {
    char c = extension[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    code |= static_cast<uint32_t>(static_cast<uint8_t>(c)) << (24 - 8 * i);
  }
  return code;
}

FileTypeRow GetFileTypeForName(const char* name, uint32_t type) {
  uint32_t code = GetFileExtensionCode(name);
  auto matches = [&](const FileTypeRow& row) { return code != 0 ? row.extension == code : row.type == type; };
  for (size_t i = 0; i + 1 < kFileTypeCount; ++i) {
    if (matches(kFileTypes[i]) && (kFileTypes[i].flags & 1)) return kFileTypes[i];
  }
  for (size_t i = 0; i + 1 < kFileTypeCount; ++i) {
    if (matches(kFileTypes[i])) return kFileTypes[i];
  }
  return kFileTypes[kFileTypeCount - 1];
}

