// Fuzzes PNG import through the decode dispatcher: every input follows the PNG signature, and the checksum of
// each chunk the input holds is set right, so that the fuzzer reaches the chunks' contents.
#include <zlib.h>

#include "fuzz/image_fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  bytes.insert(bytes.end(), data, data + size);
  // Chunks: a 4-byte length, a 4-byte type, the data and a checksum over type and data.
  size_t p = 8;
  while (bytes.size() - p >= 12) {
    const size_t length = size_t{bytes[p]} << 24 | size_t{bytes[p + 1]} << 16 | size_t{bytes[p + 2]} << 8 | bytes[p + 3];
    if (length > bytes.size() - p - 12) break;
    const uint32_t crc = static_cast<uint32_t>(crc32(0, bytes.data() + p + 4, static_cast<uInt>(length + 4)));
    uint8_t* out = bytes.data() + p + 8 + length;
    out[0] = static_cast<uint8_t>(crc >> 24);
    out[1] = static_cast<uint8_t>(crc >> 16);
    out[2] = static_cast<uint8_t>(crc >> 8);
    out[3] = static_cast<uint8_t>(crc);
    p += length + 12;
  }
  DecodeImageForFuzzing(bytes);
  return 0;
}
