// AIFF and AIFF-C reading: the chunk walk, the sample rate's 80-bit form, the IMA ADPCM decoder and the sample
// conversions to the device's PCM.
#include "game/shell/media/aiff_sound.h"

#include <cmath>
#include <cstring>
#include <new>

namespace {

constexpr size_t kFormHeader = 12;
constexpr size_t kChunkHeader = 8;
constexpr size_t kImaPacketBytes = 34;
constexpr size_t kImaSamplesPerPacket = 64;
constexpr double kHighestRate = 192000.0;

uint32_t Big32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | static_cast<uint32_t>(p[2]) << 8 |
         p[3];
}
uint16_t Big16(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }

struct Chunk {
  size_t body = 0;  // offset of the body
  uint32_t size = 0;
};

// Walks the chunks from the end of the form header to the first with the wanted id. A chunk whose header or body
// would reach past the file's bytes ends the walk, as does a chunk of another id that begins at or beyond the
// form's stated end. Offsets are computed in 64 bits, and every step moves forward, so the walk ends.
bool FindChunk(const uint8_t* bytes, size_t size, uint32_t formSize, const char id[4], Chunk& out) {
  const uint64_t formEnd = kFormHeader + static_cast<uint64_t>(formSize);
  uint64_t offset = kFormHeader;
  while (offset + kChunkHeader <= size) {
    const uint8_t* header = bytes + offset;
    const uint32_t chunkSize = Big32(header + 4);
    if (offset + kChunkHeader + chunkSize > size) return false;
    if (std::memcmp(header, id, 4) == 0) {
      out.body = static_cast<size_t>(offset + kChunkHeader);
      out.size = chunkSize;
      return true;
    }
    if (offset >= formEnd) return false;
    offset += kChunkHeader + static_cast<uint64_t>(chunkSize);
  }
  return false;
}

struct ImaState {
  int predictor = 0;
  int index = 0;

  int16_t Decode(int code) {
    const int step = kImaStepTable[index];
    int difference = step >> 3;
    if (code & 1) difference += step >> 2;
    if (code & 2) difference += step >> 1;
    if (code & 4) difference += step;
    predictor += (code & 8) ? -difference : difference;
    if (predictor > 32767) predictor = 32767;
    if (predictor < -32768) predictor = -32768;
    index += kImaIndexTable[code];
    if (index < 0) index = 0;
    if (index > 88) index = 88;
    return static_cast<int16_t>(predictor);
  }
};

}  // namespace

const int kImaIndexTable[16] = {-1, -1, -1, -1, 2, 4, 6, 8, -1, -1, -1, -1, 2, 4, 6, 8};

const int kImaStepTable[89] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,    25,    28,
    31,    34,    37,    41,    45,    50,    55,    60,    66,    73,    80,    88,    97,    107,   118,
    130,   143,   157,   173,   190,   209,   230,   253,   279,   307,   337,   371,   408,   449,   494,
    544,   598,   658,   724,   796,   876,   963,   1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,
    2272,  2499,  2749,  3024,  3327,  3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,
    9493,  10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

double ExtendedToDouble(const uint8_t bytes[10]) {
  const int exponent = (bytes[0] & 0x7F) << 8 | bytes[1];
  const uint32_t high = Big32(bytes + 2);
  const uint32_t low = Big32(bytes + 6);
  double value;
  if (exponent == 0 && high == 0 && low == 0) {
    value = 0.0;
  } else if (exponent == 0x7FFF) {
    value = HUGE_VAL;
  } else {
    value = std::ldexp(static_cast<double>(high), exponent - 16414) +
            std::ldexp(static_cast<double>(low), exponent - 16446);
  }
  return (bytes[0] & 0x80) ? -value : value;
}

void DecodeIma4Packets(const uint8_t* packets, size_t packetCount, int16_t* out) {
  ImaState state;
  for (size_t packet = 0; packet < packetCount; ++packet) {
    const uint8_t* data = packets + packet * kImaPacketBytes + 2;
    for (size_t i = 0; i < kImaPacketBytes - 2; ++i) {
      *out++ = state.Decode(data[i] & 0x0F);
      *out++ = state.Decode(data[i] >> 4);
    }
  }
}

PlatformError ReadAiffSound(const uint8_t* bytes, size_t size, AiffSound& out) {
  out = AiffSound();
  if (bytes == nullptr || size < kFormHeader) return kSoundFileRefused;
  const uint32_t formSize = Big32(bytes + 4);
  const bool compressedForm = std::memcmp(bytes + 8, "AIFC", 4) == 0;
  if (!compressedForm && std::memcmp(bytes + 8, "AIFF", 4) != 0) return kSoundFileRefused;

  Chunk comm;
  if (!FindChunk(bytes, size, formSize, "COMM", comm)) return kSoundFileRefused;
  // Channels, frame count, sample size, rate; then the compression type of the compressed form.
  if (comm.size < (compressedForm ? 22u : 18u)) return kSoundFileRefused;
  const uint8_t* fields = bytes + comm.body;
  const int16_t channels = static_cast<int16_t>(Big16(fields));
  const int16_t bits = static_cast<int16_t>(Big16(fields + 6));
  const double rate = ExtendedToDouble(fields + 8);
  const bool ima4 = compressedForm && std::memcmp(fields + 18, "ima4", 4) == 0;
  if (compressedForm && !ima4 && std::memcmp(fields + 18, "NONE", 4) != 0) return kSoundFileRefused;
  // Mono sounds of 8 or 16 bits at a rate a device can play; the comparison also refuses infinity and NaN. IMA
  // sound always decodes to 16 bits: its sample-size field decides nothing (writers put 4 or 16 there), since
  // taking the packets of a file that says 4 as samples of their own would play their packed codes as noise.
  if (channels != 1 || (!ima4 && bits != 8 && bits != 16)) return kSoundFileRefused;
  if (!(rate >= 1.0 && rate < kHighestRate + 1.0)) return kSoundFileRefused;

  Chunk ssnd;
  if (!FindChunk(bytes, size, formSize, "SSND", ssnd) || ssnd.size < 8) return kSoundFileRefused;
  const uint8_t* data = bytes + ssnd.body + 8;
  const size_t dataLength = ssnd.size - 8;

  AiffSound sound;
  sound.channels = 1;
  sound.samplesPerSecond = static_cast<uint32_t>(rate);
  try {
    if (ima4) {
      const size_t packets = dataLength / kImaPacketBytes;
      sound.bitsPerSample = 16;
      sound.pcm.resize(packets * kImaSamplesPerPacket * 2);
      std::vector<int16_t> samples(packets * kImaSamplesPerPacket);
      DecodeIma4Packets(data, packets, samples.data());
      if (!samples.empty()) std::memcpy(sound.pcm.data(), samples.data(), sound.pcm.size());
    } else if (bits == 16) {
      sound.bitsPerSample = 16;
      const size_t samples = dataLength / 2;
      sound.pcm.resize(samples * 2);
      for (size_t i = 0; i < samples; ++i) {
        const int16_t value = static_cast<int16_t>(Big16(data + i * 2));
        std::memcpy(sound.pcm.data() + i * 2, &value, 2);
      }
    } else {
      sound.bitsPerSample = 8;
      sound.pcm.assign(data, data + dataLength);
      for (uint8_t& sample : sound.pcm) sample = static_cast<uint8_t>(sample + 128);
    }
  } catch (const std::bad_alloc&) {
    return kSoundFileRefused;
  }
  if (sound.pcm.empty()) return kSoundFileRefused;
  out = std::move(sound);
  return kPlatformNoError;
}
