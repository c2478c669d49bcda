// The reader of sound effect files: AIFF, and AIFF-C uncompressed ("NONE") or with IMA 4:1 packets ("ima4"),
// mono with 8- or 16-bit samples. It checks every chunk against the file and turns the samples into the sound
// device's PCM: 16-bit little-endian signed, 8-bit unsigned.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/core/platform_error.h"

// The code every refused or damaged file gives.
constexpr PlatformError kSoundFileRefused = kPlatformErrListFull;

struct AiffSound {
  uint16_t channels = 0;
  uint16_t bitsPerSample = 0;
  uint32_t samplesPerSecond = 0;
  std::vector<uint8_t> pcm;
};

// Parses a whole file's bytes; kSoundFileRefused (and out cleared) for anything but a readable mono sound of 8
// or 16 bits at 1 to 192,000 samples a second with at least one whole sample.
PlatformError ReadAiffSound(const uint8_t* bytes, size_t size, AiffSound& out);

// The 80-bit extended number of the sample rate as a double: sign, 15-bit exponent (bias 16383) and a 64-bit
// mantissa with its integer bit. An exponent of 0x7FFF gives infinity.
double ExtendedToDouble(const uint8_t bytes[10]);

// The IMA ADPCM tables: the step index change for each 4-bit code, and the 89 step sizes. The scenario writer's
// encoder walks the same tables.
extern const int kImaIndexTable[16];
extern const int kImaStepTable[89];

// Decodes IMA 4:1 packets (34 bytes: a 2-byte header, then 32 bytes of two 4-bit codes each, low code first) as
// one stream that starts at predictor 0 and step index 0 and carries its state across packets; the headers are
// not used. Writes 64 samples per packet.
void DecodeIma4Packets(const uint8_t* packets, size_t packetCount, int16_t* out);
