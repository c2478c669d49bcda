// Fuzzes the archive directory reader: any bytes make an archive that is either rejected or whose every entry
// reads back within the file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "game/shell/data/data_archive.h"
#include "game/shell/data/data_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto stream = std::make_unique<DataStream>();
  MemHandle block;
  if (size != 0) {
    if (!block.Allocate(size)) return 0;
    std::memcpy(block.Lock(), data, size);
    block.Unlock();
  }
  stream->AttachMemory(block, true);
  DataArchive archive(std::move(stream));
  if (archive.GetError() != 0 && !archive.Folders().empty()) std::abort();

  for (const ArchiveFolder& folder : archive.Folders()) {
    if (archive.FindFolder(folder.name) == nullptr) std::abort();
    for (const auto& [name, entry] : folder.entries) {
      if (entry.Offset() + entry.length > size) std::abort();
      std::unique_ptr<DataStream> reader = archive.OpenEntry(entry, folder.name + name);
      if (reader == nullptr) std::abort();
      if (reader->GetSize() != entry.length) std::abort();
      while (!reader->AtEnd()) reader->ReadInt32();
      archive.FindPicture(folder.name + name);
    }
  }
  return 0;
}
