// Test helpers for archives: a memory stream over a byte vector and an archive over bytes.
#pragma once

#include <cstring>
#include <memory>
#include <vector>

#include "game/shell/data/data_archive.h"
#include "game/shell/data/data_stream.h"

namespace test_support {

inline std::unique_ptr<DataStream> MemoryStreamOver(const std::vector<uint8_t>& bytes) {
  auto stream = std::make_unique<DataStream>();
  MemHandle block;
  if (!bytes.empty() && block.Allocate(bytes.size())) {
    std::memcpy(block.Lock(), bytes.data(), bytes.size());
    block.Unlock();
  }
  stream->AttachMemory(block, true);
  return stream;
}

inline std::unique_ptr<DataArchive> ArchiveOver(const std::vector<uint8_t>& bytes) {
  return std::make_unique<DataArchive>(MemoryStreamOver(bytes));
}

inline std::vector<uint8_t> StreamContents(DataStream& stream) {
  std::vector<uint8_t> bytes(stream.GetSize());
  if (!bytes.empty()) stream.ReadBytes(bytes.data(), static_cast<uint32_t>(bytes.size()));
  return bytes;
}

}  // namespace test_support
