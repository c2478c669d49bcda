// The reader of plain PCM AIFF files (see pcm_aiff.h). Every size comes from the file and is checked against the
// bytes there before use; anything it does not know for certain the decoders would read the same way sends the
// file to them instead.
#include "pcm_aiff.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

namespace host {
namespace {

// Larger files go to the decoders, which read them as they play rather than whole.
constexpr uint64_t kMaxFileBytes = 256ull << 20;

// 44,100 as the 10 bytes of an 80-bit extended number; other rates need resampling, which the decoders do.
constexpr uint8_t kRate44100[10] = {0x40, 0x0E, 0xAC, 0x44, 0, 0, 0, 0, 0, 0};

uint32_t Big32(const uint8_t* at) {
  return static_cast<uint32_t>(at[0]) << 24 | static_cast<uint32_t>(at[1]) << 16 |
         static_cast<uint32_t>(at[2]) << 8 | at[3];
}
uint16_t Big16(const uint8_t* at) { return static_cast<uint16_t>(at[0] << 8 | at[1]); }
bool IsId(const uint8_t* at, const char* id) { return std::memcmp(at, id, 4) == 0; }

}  // namespace

bool ReadPcmAiff(const uint8_t* bytes, size_t size, size_t maxSamples, std::vector<int16_t>* samples) {
  if (bytes == nullptr || samples == nullptr || size < 12 || !IsId(bytes, "FORM")) return false;
  const bool compressed = IsId(bytes + 8, "AIFC");
  if (!compressed && !IsId(bytes + 8, "AIFF")) return false;

  uint16_t channels = 0;
  uint32_t frames = 0;
  bool haveFormat = false;
  uint64_t at = 12;
  // Only the format and the samples: another chunk before the samples (a version, a channel layout, a comment)
  // may change how the decoders read the file, so a file with one is theirs. Chunks after the samples are not read.
  while (at + 8 <= size) {
    const uint8_t* header = bytes + at;
    const uint64_t length = Big32(header + 4);
    const uint64_t body = at + 8;
    if (body + length > size) return false;
    const uint8_t* data = bytes + body;
    if (IsId(header, "COMM")) {
      if (haveFormat || length < (compressed ? 22u : 18u)) return false;
      channels = Big16(data);
      frames = Big32(data + 2);
      if (channels < 1 || channels > 2 || Big16(data + 6) != 16 || std::memcmp(data + 8, kRate44100, 10) != 0) {
        return false;
      }
      if (compressed && !IsId(data + 18, "NONE") && !IsId(data + 18, "twos")) return false;
      haveFormat = true;
    } else if (IsId(header, "SSND")) {
      if (!haveFormat || length < 8) return false;
      const uint64_t offset = Big32(data);
      const uint64_t frameBytes = 2ull * channels;
      // The samples must be all there, exactly as many as the format says.
      if (frames == 0 || 8 + offset > length || length - 8 - offset != frames * frameBytes) return false;
      const uint8_t* in = data + 8 + offset;
      const size_t count = static_cast<size_t>(std::min<uint64_t>(frames, maxSamples));
      samples->resize(count);
      for (size_t i = 0; i < count; ++i) {
        const uint8_t* frame = in + i * frameBytes;
        if (channels == 1) {
          (*samples)[i] = static_cast<int16_t>(Big16(frame));
        } else {
          const int32_t sum = static_cast<int16_t>(Big16(frame)) + static_cast<int16_t>(Big16(frame + 2));
          (*samples)[i] = static_cast<int16_t>((sum + 1) >> 1);
        }
      }
      return true;
    } else {
      return false;
    }
    at = body + length + (length & 1);
  }
  return false;
}

bool ReadPcmAiffFile(const std::string& posix, size_t maxSamples, std::vector<int16_t>* samples) {
  struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(posix.c_str(), "rb"));
  if (file == nullptr) return false;
  uint8_t head[12];
  if (std::fread(head, 1, sizeof(head), file.get()) != sizeof(head) || !IsId(head, "FORM") ||
      (!IsId(head + 8, "AIFF") && !IsId(head + 8, "AIFC"))) {
    return false;
  }
  if (std::fseek(file.get(), 0, SEEK_END) != 0) return false;
  const long end = std::ftell(file.get());
  if (end < 0 || static_cast<uint64_t>(end) > kMaxFileBytes || std::fseek(file.get(), 0, SEEK_SET) != 0) return false;
  std::vector<uint8_t> bytes(static_cast<size_t>(end));
  if (std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) return false;
  return ReadPcmAiff(bytes.data(), bytes.size(), maxSamples, samples);
}

}  // namespace host
