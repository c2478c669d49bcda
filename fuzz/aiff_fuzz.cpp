// Fuzzes the sound file reader: any bytes must give a sound or a refusal, never a read outside the input.
//
// The first byte chooses how the rest is used. With bit 1 set the rest is the whole file, so that the chunk
// walk meets hostile headers. Otherwise the target wraps it in a form header ("AIFF", or "AIFC" with bit 0), a
// "COMM" chunk whose body is the next bytes and an "SSND" chunk holding what remains, so that the fuzzer
// reaches the sample rate and sample conversions without first discovering a whole valid layout.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "game/shell/media/aiff_sound.h"

namespace {

void PutBig32(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

void PutText(std::vector<uint8_t>& out, const char* text) { out.insert(out.end(), text, text + 4); }

std::vector<uint8_t> Wrapped(bool compressed, const uint8_t* data, size_t size) {
  const size_t commSize = compressed ? 22 : 18;
  const size_t taken = size < commSize ? size : commSize;
  std::vector<uint8_t> file;
  PutText(file, "FORM");
  PutBig32(file, 0);
  PutText(file, compressed ? "AIFC" : "AIFF");
  PutText(file, "COMM");
  PutBig32(file, static_cast<uint32_t>(commSize));
  file.insert(file.end(), data, data + taken);
  file.resize(file.size() + (commSize - taken), 0);
  PutText(file, "SSND");
  PutBig32(file, static_cast<uint32_t>(8 + size - taken));
  PutBig32(file, 0);
  PutBig32(file, 0);
  file.insert(file.end(), data + taken, data + size);
  const uint32_t formSize = static_cast<uint32_t>(file.size() - 8);
  for (int i = 0; i < 4; ++i) file[4 + i] = static_cast<uint8_t>(formSize >> (24 - 8 * i));
  return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t mode = data[0];
  // The file is a buffer of exactly its own size, so that the sanitizer sees a read one byte past its end.
  std::vector<uint8_t> bytes = (mode & 2) ? std::vector<uint8_t>(data + 1, data + size)
                                          : Wrapped((mode & 1) != 0, data + 1, size - 1);
  AiffSound sound;
  const PlatformError error = ReadAiffSound(bytes.data(), bytes.size(), sound);
  if (error == kPlatformNoError) {
    if (sound.channels != 1 || (sound.bitsPerSample != 8 && sound.bitsPerSample != 16) || sound.pcm.empty() ||
        sound.pcm.size() % (sound.bitsPerSample / 8) != 0 || sound.samplesPerSecond < 1 ||
        sound.samplesPerSecond > 192000) {
      __builtin_trap();
    }
  } else if (error != kSoundFileRefused || !sound.pcm.empty()) {
    __builtin_trap();
  }
  return 0;
}
