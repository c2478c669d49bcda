// Fuzzes picture import through the decode dispatcher: every input follows the 512-byte file header and the
// picture size, so the fuzzer's bytes are the frame, the version opcode and the opcodes. Short inputs are padded
// with zero bytes to the length the type detection needs.
#include "fuzz/image_fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(514, 0);
  bytes.insert(bytes.end(), data, data + size);
  if (bytes.size() < 612) bytes.resize(612, 0);
  DecodeImageForFuzzing(bytes);
  return 0;
}
