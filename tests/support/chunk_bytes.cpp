// Byte builders for "CHNK" containers in tests.
#include "tests/support/chunk_bytes.h"

std::string BigEndian32(uint32_t value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>(value >> (24 - 8 * i));
  return bytes;
}

std::string ChunkHeaderBytes(uint32_t headerSize, uint32_t indexOffset, uint32_t entrySize, uint32_t entryCount) {
  return "CHNK" + BigEndian32(headerSize) + BigEndian32(indexOffset) + BigEndian32(entrySize) +
         BigEndian32(entryCount);
}

std::string ChunkContainerBytes(const std::vector<ChunkRecordSpec>& records, uint32_t entryCount) {
  if (entryCount < records.size()) entryCount = static_cast<uint32_t>(records.size());
  std::string index;
  std::string data;
  uint32_t offset = 20 + 80 * entryCount;
  for (const ChunkRecordSpec& record : records) {
    std::string name = record.name.substr(0, 63);
    name.resize(64, '\0');
    index += name + BigEndian32(record.attributes) + BigEndian32(record.data.empty() ? 0 : offset) +
             BigEndian32(static_cast<uint32_t>(record.data.size())) + BigEndian32(record.type);
    offset += static_cast<uint32_t>(record.data.size());
    data += record.data;
  }
  index.resize(80 * entryCount, '\0');
  return ChunkHeaderBytes(20, 20, 80, entryCount) + index + data;
}
