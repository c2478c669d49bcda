// Fuzzes JPEG import through the decode dispatcher: every input follows a start-of-image marker and a JFIF
// segment, so the fuzzer's bytes are the markers and compressed data behind them.
#include "fuzz/image_fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes{0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0x00,
                             0x01, 0x01, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00};
  bytes.insert(bytes.end(), data, data + size);
  DecodeImageForFuzzing(bytes);
  return 0;
}
