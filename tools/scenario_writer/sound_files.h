// Sound files for scenarios and tests: AIFF and AIFF-C writers over 16-bit samples, with the IMA 4:1 encoder
// that makes "ima4" packets, and the 80-bit extended form of a sample rate.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/scenario_writer/scenario_files.h"

namespace scenario_writer {

struct SoundFileSpec {
  // "AIFF", or "AIFC" with the compression "NONE" or "ima4" (any other 4 characters are written as given, so
  // that tests can make files a reader must refuse).
  std::string form = "AIFF";
  std::string compression = "NONE";
  uint16_t channels = 1;
  // 8: the samples' high bytes, signed. For "ima4" only the number written in the sample-size field (the
  // packets hold 16-bit samples whatever it says; writers put 4 or 16 there).
  uint16_t bitsPerSample = 16;
  double samplesPerSecond = 22050.0;
};

// The whole file: "FORM", "COMM", then "SSND" (offset and block size 0). Samples are interleaved by channel;
// "ima4" encodes them as packets of 64, the last one filled with silence.
Bytes WriteSoundFile(const SoundFileSpec& fileSpec, const std::vector<int16_t>& samples);

// The rate as the 10 bytes of an 80-bit extended number.
void EncodeExtended(double value, uint8_t out[10]);

// IMA 4:1 packets of 34 bytes (a 2-byte header of the predictor's high bits and the step index, then 32 bytes of
// two 4-bit codes, low first) from one stream whose state carries across packets from predictor 0, index 0.
Bytes EncodeIma4Packets(const std::vector<int16_t>& samples);

// A sine tone of a frequency and amplitude, `count` samples at a rate: the demo's and tests' sounds.
std::vector<int16_t> ToneSamples(double frequency, double amplitude, double samplesPerSecond, size_t count);

}  // namespace scenario_writer
