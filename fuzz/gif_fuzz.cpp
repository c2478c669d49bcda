// Fuzzes GIF import through the decode dispatcher: every input is given the "GIF89a" or "GIF87a" signature (the
// first input byte chooses), the rest of the file comes from the fuzzer.
#include <cstring>

#include "fuzz/image_fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  std::vector<uint8_t> bytes(6);
  std::memcpy(bytes.data(), (data[0] & 1) != 0 ? "GIF87a" : "GIF89a", 6);
  bytes.insert(bytes.end(), data + 1, data + size);
  DecodeImageForFuzzing(bytes);
  return 0;
}
