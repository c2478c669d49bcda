// Byte builders for "CHNK" containers in tests: a header with chosen fields, and whole containers with records
// laid out after the index.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

std::string BigEndian32(uint32_t value);
std::string ChunkHeaderBytes(uint32_t headerSize, uint32_t indexOffset, uint32_t entrySize, uint32_t entryCount);

struct ChunkRecordSpec {
  std::string name;
  uint32_t attributes = 3;  // readable and writable
  std::string data;
  uint32_t type = 0x54455854;  // 'TEXT'
};

// A container with a 20-byte header, `entryCount` 80-byte entries (at least one per record, the rest free) and
// the records' data after the index in order.
std::string ChunkContainerBytes(const std::vector<ChunkRecordSpec>& records, uint32_t entryCount);
