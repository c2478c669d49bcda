// AIFF and AIFF-C writing and the IMA 4:1 encoder. The encoder mirrors the decoder's state machine so that a
// decoded packet stream follows the samples closely.
#include "tools/scenario_writer/sound_files.h"

#include <cmath>
#include <cstring>
#include <numbers>

#include "game/shell/media/aiff_sound.h"

namespace scenario_writer {
namespace {

void PutBig32(Bytes& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}
void PutBig16(Bytes& out, uint16_t value) {
  out.push_back(static_cast<uint8_t>(value >> 8));
  out.push_back(static_cast<uint8_t>(value));
}
void PutId(Bytes& out, const std::string& id) {
  for (size_t i = 0; i < 4; ++i) out.push_back(i < id.size() ? static_cast<uint8_t>(id[i]) : ' ');
}

struct ImaEncoder {
  int predictor = 0;
  int index = 0;

  int Encode(int sample) {
    const int step = kImaStepTable[index];
    int difference = sample - predictor;
    int code = 0;
    if (difference < 0) {
      code = 8;
      difference = -difference;
    }
    int change = step >> 3;
    if (difference >= step) {
      code |= 4;
      difference -= step;
      change += step;
    }
    if (difference >= step >> 1) {
      code |= 2;
      difference -= step >> 1;
      change += step >> 1;
    }
    if (difference >= step >> 2) {
      code |= 1;
      change += step >> 2;
    }
    predictor += (code & 8) ? -change : change;
    if (predictor > 32767) predictor = 32767;
    if (predictor < -32768) predictor = -32768;
    index += kImaIndexTable[code];
    if (index < 0) index = 0;
    if (index > 88) index = 88;
    return code;
  }
};

}  // namespace

void EncodeExtended(double value, uint8_t out[10]) {
  std::memset(out, 0, 10);
  if (value == 0.0) return;
  if (value < 0) {
    out[0] = 0x80;
    value = -value;
  }
  int exponent = 0;
  double fraction = std::frexp(value, &exponent);  // value = fraction * 2^exponent, fraction in [0.5, 1)
  const int stored = exponent - 1 + 16383;
  out[0] |= static_cast<uint8_t>((stored >> 8) & 0x7F);
  out[1] = static_cast<uint8_t>(stored);
  const double mantissa = std::ldexp(fraction, 64);
  const double highPart = std::floor(std::ldexp(mantissa, -32));
  const uint32_t high = static_cast<uint32_t>(highPart);
  const uint32_t low = static_cast<uint32_t>(mantissa - std::ldexp(highPart, 32));
  for (int i = 0; i < 4; ++i) {
    out[2 + i] = static_cast<uint8_t>(high >> (24 - 8 * i));
    out[6 + i] = static_cast<uint8_t>(low >> (24 - 8 * i));
  }
}

Bytes EncodeIma4Packets(const std::vector<int16_t>& samples) {
  Bytes out;
  ImaEncoder encoder;
  for (size_t start = 0; start < samples.size(); start += 64) {
    PutBig16(out, static_cast<uint16_t>((encoder.predictor & 0xFF80) | encoder.index));
    for (size_t i = 0; i < 64; i += 2) {
      const int first = start + i < samples.size() ? samples[start + i] : 0;
      const int second = start + i + 1 < samples.size() ? samples[start + i + 1] : 0;
      const int low = encoder.Encode(first);
      const int high = encoder.Encode(second);
      out.push_back(static_cast<uint8_t>(low | high << 4));
    }
  }
  return out;
}

Bytes WriteSoundFile(const SoundFileSpec& fileSpec, const std::vector<int16_t>& samples) {
  const bool compressed = fileSpec.form == "AIFC";
  const bool ima4 = compressed && fileSpec.compression == "ima4";
  Bytes data;
  if (ima4) {
    data = EncodeIma4Packets(samples);
  } else if (fileSpec.bitsPerSample == 8) {
    for (int16_t sample : samples) data.push_back(static_cast<uint8_t>(static_cast<uint16_t>(sample) >> 8));
  } else {
    for (int16_t sample : samples) PutBig16(data, static_cast<uint16_t>(sample));
  }
  const uint32_t frames = static_cast<uint32_t>(samples.size() / (fileSpec.channels == 0 ? 1 : fileSpec.channels));

  Bytes comm;
  PutBig16(comm, fileSpec.channels);
  PutBig32(comm, ima4 ? static_cast<uint32_t>(data.size() / 34) : frames);
  PutBig16(comm, fileSpec.bitsPerSample);
  uint8_t rate[10];
  EncodeExtended(fileSpec.samplesPerSecond, rate);
  comm.insert(comm.end(), rate, rate + 10);
  if (compressed) {
    PutId(comm, fileSpec.compression);
    comm.push_back(0);  // an empty name, and its pad byte
    comm.push_back(0);
  }

  Bytes out;
  PutId(out, "FORM");
  PutBig32(out, static_cast<uint32_t>(4 + 8 + comm.size() + 8 + 8 + data.size()));
  PutId(out, fileSpec.form);
  PutId(out, "COMM");
  PutBig32(out, static_cast<uint32_t>(comm.size()));
  out.insert(out.end(), comm.begin(), comm.end());
  PutId(out, "SSND");
  PutBig32(out, static_cast<uint32_t>(8 + data.size()));
  PutBig32(out, 0);
  PutBig32(out, 0);
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

std::vector<int16_t> ToneSamples(double frequency, double amplitude, double samplesPerSecond, size_t count) {
  std::vector<int16_t> out(count);
  for (size_t i = 0; i < count; ++i) {
    out[i] = static_cast<int16_t>(std::lround(
        amplitude * std::sin(2.0 * std::numbers::pi * frequency * static_cast<double>(i) / samplesPerSecond)));
  }
  return out;
}

}  // namespace scenario_writer
