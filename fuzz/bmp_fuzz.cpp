// Fuzzes BMP import through the decode dispatcher: every input is given the "BM" signature, the rest of the file
// comes from the fuzzer.
#include "fuzz/image_fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes{'B', 'M'};
  bytes.insert(bytes.end(), data, data + size);
  DecodeImageForFuzzing(bytes);
  return 0;
}
