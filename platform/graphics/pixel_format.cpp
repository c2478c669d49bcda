// Pixel-format codes, format keys and the inverse colour table (see pixel_format.h).
#include "platform/graphics/pixel_format.h"

#include <atomic>
#include <cstring>

namespace {

struct FormatRow {
  PixelFormatCode code;
  int32_t bytesPerPixel;
  uint8_t bits[4];
  uint8_t shifts[4];
};

// The codes whose shifts do not follow from their widths. Code 15 keeps its (empty) alpha at shift 15 and code 16
// at 16; the 8-bit channels describe a palette entry {flag, red, green, blue} read as a little-endian word.
constexpr FormatRow kFixedFormats[] = {
    {kPixelFormat8, 1, {8, 8, 8, 8}, {0, 8, 16, 24}},
    {kPixelFormat15, 2, {0, 5, 5, 5}, {15, 10, 5, 0}},
    {kPixelFormat16, 2, {0, 5, 6, 5}, {16, 11, 5, 0}},
    {kPixelFormat24, 3, {0, 8, 8, 8}, {24, 16, 8, 0}},
    {kPixelFormat32, 4, {0, 8, 8, 8}, {24, 16, 8, 0}},
    {kPixelFormat4444AlphaLow, 2, {4, 4, 4, 4}, {0, 12, 8, 4}},
    {kPixelFormat8888RedFirst, 4, {8, 8, 8, 8}, {24, 0, 8, 16}},
};

struct PackedRow {
  PixelFormatCode code;
  int32_t bytesPerPixel;
};

// Packed codes: widths from the hexadecimal digits, blue at bit 0 and each channel above the next.
constexpr PackedRow kPackedFormats[] = {
    {kPixelFormat555, 2},  {kPixelFormat565, 2}, {kPixelFormat1555, 2},
    {kPixelFormat4444, 2}, {kPixelFormat888, 3}, {kPixelFormat8888, 4},
};

std::atomic<uint32_t> nextIndexedKey{kFirstIndexedFormatKey};

}  // namespace

uint16_t ChannelScale(uint32_t width) {
  if (width == 0 || width > 8) return 0;
  return static_cast<uint16_t>(65535u / ((1u << width) - 1u));
}

int32_t PlatformPixelFormat(PixelFormatCode code, uint8_t* depthCode, uint8_t bits[4], uint8_t shifts[4],
                            uint8_t masks[4], uint16_t scales[4]) {
  if (depthCode) *depthCode = 0;
  uint8_t b[4] = {0, 0, 0, 0};
  uint8_t s[4] = {0, 0, 0, 0};
  int32_t bytesPerPixel = -1;
  for (const FormatRow& row : kFixedFormats) {
    if (row.code == code) {
      bytesPerPixel = row.bytesPerPixel;
      std::memcpy(b, row.bits, 4);
      std::memcpy(s, row.shifts, 4);
    }
  }
  for (const PackedRow& row : kPackedFormats) {
    if (row.code == code) {
      bytesPerPixel = row.bytesPerPixel;
      b[kChannelAlpha] = static_cast<uint8_t>((code >> 12) & 15);
      b[kChannelRed] = static_cast<uint8_t>((code >> 8) & 15);
      b[kChannelGreen] = static_cast<uint8_t>((code >> 4) & 15);
      b[kChannelBlue] = static_cast<uint8_t>(code & 15);
      s[kChannelBlue] = 0;
      s[kChannelGreen] = b[kChannelBlue];
      s[kChannelRed] = static_cast<uint8_t>(b[kChannelGreen] + b[kChannelBlue]);
      s[kChannelAlpha] = static_cast<uint8_t>(b[kChannelRed] + b[kChannelGreen] + b[kChannelBlue]);
    }
  }
  for (int c = 0; c < 4; ++c) {
    if (bits) bits[c] = b[c];
    if (shifts) shifts[c] = s[c];
    if (masks) masks[c] = static_cast<uint8_t>((1u << b[c]) - 1u);
    if (scales) scales[c] = ChannelScale(b[c]);
  }
  return bytesPerPixel;
}

int32_t PlatformPixelFormat(PixelFormatCode code, PixelChannels* channels) {
  return PlatformPixelFormat(code, nullptr, channels->bits, channels->shifts, channels->masks, channels->scales);
}

uint32_t DirectFormatKey(const PixelChannels& channels) {
  const uint8_t* bits = channels.bits;
  uint32_t key = (static_cast<uint32_t>(bits[kChannelAlpha]) << 12) | (static_cast<uint32_t>(bits[kChannelRed]) << 8) |
                 (static_cast<uint32_t>(bits[kChannelGreen]) << 4) | bits[kChannelBlue];
  const uint32_t packed[4] = {static_cast<uint32_t>(bits[kChannelRed] + bits[kChannelGreen] + bits[kChannelBlue]),
                              static_cast<uint32_t>(bits[kChannelGreen] + bits[kChannelBlue]), bits[kChannelBlue], 0};
  for (int c = 0; c < 4; ++c) {
    if (bits[c] != 0 && channels.shifts[c] != packed[c]) key |= 0x80000000u;
  }
  return key;
}

// The counter never hands out the mask key or a key of a direct layout (at most 0x8888), even after wrapping.
uint32_t NextIndexedFormatKey() {
  for (;;) {
    const uint32_t key = nextIndexedKey.fetch_add(1, std::memory_order_relaxed);
    if (key >= kFirstIndexedFormatKey) return key;
  }
}

void PlatformBuildInverseTable(uint8_t table[kInverseTableSize], const Palette* palette) {
  const int32_t count = palette ? (palette->count < 0 ? 0 : (palette->count > 256 ? 256 : palette->count)) : 0;
  for (int32_t i = 0; i < 4096; ++i) {
    const int32_t r = ((i >> 8) & 15) * 17;
    const int32_t g = ((i >> 4) & 15) * 17;
    const int32_t b = (i & 15) * 17;
    int32_t best = 0;
    int32_t bestDistance = INT32_MAX;
    for (int32_t n = 0; n < count; ++n) {
      const ColorRecord& e = palette->entries[n];
      const int32_t dr = e.red - r;
      const int32_t dg = e.green - g;
      const int32_t db = e.blue - b;
      const int32_t distance = dr * dr + dg * dg + db * db;
      if (distance < bestDistance) {  // on a tie the lower index stays
        bestDistance = distance;
        best = n;
      }
    }
    table[i] = static_cast<uint8_t>(best);
    table[i + 4096] = static_cast<uint8_t>(best);
  }
}
