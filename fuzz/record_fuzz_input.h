// Shared by the fuzz targets of the scenario's records: an input's first byte picks what the rest is, which is
// read through a memory DataStream, and the first corpus folder named on the command line is seeded by the
// target's own writer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>

#include "game/shell/data/data_stream.h"
#include "game/shell/data/mem_handle.h"

// Hands seed the first argument that is no option (the corpus folder), if there is one.
inline void SeedCorpusFolder(int argc, char** argv, void (*seed)(const std::filesystem::path& folder)) {
  for (int i = 1; i < argc; ++i) {
    if (argv[i][0] != '-') {
      seed(argv[i]);
      return;
    }
  }
}

// Calls read(first byte, stream over the other bytes) for an input of 1 byte to 64 KiB.
template <typename Read>
void ReadSelectedInput(const uint8_t* data, size_t size, Read read) {
  if (size < 1 || size > (1u << 16)) return;
  DataStream stream;
  MemHandle block;
  if (size > 1) {
    if (!block.Allocate(size - 1)) return;
    std::memcpy(block.Lock(), data + 1, size - 1);
    block.Unlock();
  }
  stream.AttachMemory(block, true);
  read(data[0], stream);
}
