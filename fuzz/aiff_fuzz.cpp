// Fuzzes the sound file reader: any bytes must give a sound or a refusal, never a read outside the input.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "game/shell/aiff_sound.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A copy of exactly the input's size, so that the sanitizer sees a read one byte past its end.
  std::vector<uint8_t> bytes(data, data + size);
  AiffSound sound;
  const PlatformError error = ReadAiffSound(bytes.data(), bytes.size(), sound);
  if (error == kPlatformNoError) {
    if (sound.channels != 1 || (sound.bitsPerSample != 8 && sound.bitsPerSample != 16) || sound.pcm.empty() ||
        sound.pcm.size() % (sound.bitsPerSample / 8) != 0 || sound.samplesPerSecond < 1 ||
        sound.samplesPerSecond > 192000) {
      __builtin_trap();
    }
  }
  return 0;
}
