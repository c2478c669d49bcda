// Fuzzes the host's own reader of plain AIFF music: any bytes give the samples of a plain 16-bit 44,100 Hz file,
// never more than asked for and the same on a second reading, or a refusal that leaves the samples untouched;
// never a read outside the input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "host/src/pcm_aiff.h"

namespace {

void Check(bool holds) {
  if (!holds) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A bound below the input's own frame count too, so that a long file is cut short.
  for (size_t limit : {size_t{1} << 20, size_t{7}}) {
    std::vector<int16_t> samples{1, 2, 3};
    if (!host::ReadPcmAiff(data, size, limit, &samples)) {
      Check(samples == std::vector<int16_t>({1, 2, 3}));
      continue;
    }
    Check(samples.size() <= limit);
    std::vector<int16_t> again;
    Check(host::ReadPcmAiff(data, size, limit, &again) && again == samples);
  }
  return 0;
}
