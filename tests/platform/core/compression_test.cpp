// Handle compression: run-length vectors for both unit sizes, round trips over mixed data, zlib round trips,
// truncated and damaged zlib data, kinds and aliases, and the information record.
#include "platform/core/compression.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/core/random.h"

namespace {

using Bytes = std::vector<uint8_t>;

PlatformHandle* HandleOf(const Bytes& bytes) {
  PlatformHandle* handle = PlatformHandle::New(static_cast<uint32_t>(bytes.size()));
  if (!bytes.empty()) std::memcpy(handle->data, bytes.data(), bytes.size());
  return handle;
}

Bytes BytesOf(PlatformHandle* handle) {
  const auto* data = static_cast<const uint8_t*>(handle->data);
  return Bytes(data, data + handle->size);
}

Bytes Repeat(uint8_t value, size_t count) { return Bytes(count, value); }

// Mixed data from the system's generator with a fixed seed: stretches of random bytes and runs of one value.
Bytes MixedData(uint32_t seed, size_t size) {
  uint32_t saved = PlatformSetRandomSeed(seed);
  Bytes bytes;
  while (bytes.size() < size) {
    size_t length = PlatformRandomRange(1, 300);
    if (PlatformRandomRange(0, 2) == 0) {
      bytes.insert(bytes.end(), length, static_cast<uint8_t>(PlatformRandomRange(0, 256)));
    } else {
      for (size_t i = 0; i < length; ++i) bytes.push_back(static_cast<uint8_t>(PlatformRandomRange(0, 256)));
    }
  }
  PlatformSetRandomSeed(saved);
  bytes.resize(size);
  return bytes;
}

struct Vector {
  const char* what;
  uint32_t kind;
  Bytes plain;
  Bytes packed;
};

TEST(RunLength, CompressesToTheExpectedRecords) {
  Bytes mixed = {1, 2, 2, 2};
  const Vector vectors[] = {
      {"literal", kCompressionPack, {1, 2, 3}, {0x02, 1, 2, 3}},
      {"short_run", kCompressionPack, Repeat(7, 10), {0xF7, 7}},
      {"run_split_in_halves", kCompressionPack, Repeat(7, 130), {0xC0, 7, 0xC0, 7}},
      {"literal_keeps_three_equal", kCompressionPack, mixed, {0x03, 1, 2, 2, 2}},
      {"long_run", kCompressionPack, Repeat(9, 300),
       {0x83, 9, static_cast<uint8_t>(1 - 87), 9, static_cast<uint8_t>(1 - 87), 9}},
      {"units_run", kCompressionPack16, {1, 2, 1, 2, 1, 2}, {0xFE, 1, 2}},
      {"units_literal", kCompressionPack16, {1, 2, 3, 4}, {0x01, 1, 2, 3, 4}},
  };
  for (const Vector& v : vectors) {
    PlatformHandle* handle = HandleOf(v.plain);
    ASSERT_EQ(PlatformCompressHandle(handle, v.kind, nullptr), kPlatformNoError) << v.what;
    EXPECT_EQ(BytesOf(handle), v.packed) << v.what;
    ASSERT_EQ(PlatformDecompressHandle(handle, v.kind, nullptr), kPlatformNoError) << v.what;
    EXPECT_EQ(BytesOf(handle), v.plain) << v.what;
    PlatformHandle::Dispose(handle);
  }
}

TEST(RunLength, DecodesRecordsAndRefusesShortInput) {
  struct Case {
    const char* what;
    uint32_t kind;
    Bytes packed;
    PlatformError error;
    Bytes plain;
  };
  const Case cases[] = {
      {"no_operation_only", kCompressionPack, {0x80}, kPlatformNoError, {}},
      {"repeat", kCompressionPack, {0xFE, 5}, kPlatformNoError, {5, 5, 5}},
      {"literal_one_byte_short", kCompressionPack, {0x02, 1, 2}, kPlatformErrBadData, {0x02, 1, 2}},
      {"repeat_without_unit", kCompressionPack, {0xFE}, kPlatformErrBadData, {0xFE}},
      {"half_a_unit", kCompressionPack16, {0xFE, 1}, kPlatformErrBadData, {0xFE, 1}},
  };
  for (const Case& c : cases) {
    PlatformHandle* handle = HandleOf(c.packed);
    EXPECT_EQ(PlatformDecompressHandle(handle, c.kind, nullptr), c.error) << c.what;
    EXPECT_EQ(BytesOf(handle), c.plain) << c.what;  // a failure keeps the data
    EXPECT_EQ(PlatformHandle::IsLocked(handle), 0);
    PlatformHandle::Dispose(handle);
  }
  PlatformHandle* odd = HandleOf({1, 2, 3});
  EXPECT_EQ(PlatformCompressHandle(odd, kCompressionPack16, nullptr), kPlatformErrBadData);
  EXPECT_EQ(BytesOf(odd), (Bytes{1, 2, 3}));
  PlatformHandle::Dispose(odd);
}

TEST(Compression, MixedDataRoundTripsInEveryKind) {
  for (uint32_t kind : {kCompressionPack, kCompressionPack16, kCompressionZlib, kCompressionNone}) {
    for (uint32_t seed : {1u, 2u, 3u}) {
      Bytes plain = MixedData(seed, 20000 + seed * 2);
      PlatformHandle* handle = HandleOf(plain);
      CompressionInfo packed;
      ASSERT_EQ(PlatformCompressHandle(handle, kind, &packed), kPlatformNoError);
      EXPECT_EQ(packed.magic, kCompressionInfoMagic);
      EXPECT_EQ(packed.kind, kind);
      EXPECT_EQ(packed.uncompressedSize, plain.size());
      EXPECT_EQ(packed.uncompressedCrc, PlatformBlockCRC32(plain.data(), plain.size()));
      EXPECT_EQ(packed.storedSize, handle->size);
      CompressionInfo unpacked;
      ASSERT_EQ(PlatformDecompressHandle(handle, kind, &unpacked), kPlatformNoError);
      EXPECT_EQ(BytesOf(handle), plain);
      EXPECT_EQ(unpacked.storedCrc, packed.storedCrc);
      EXPECT_EQ(unpacked.uncompressedCrc, packed.uncompressedCrc);
      PlatformHandle::Dispose(handle);
    }
  }
}

TEST(Compression, TruncatedOrDamagedZlibDataIsRefused) {
  Bytes plain = MixedData(7, 5000);
  PlatformHandle* handle = HandleOf(plain);
  ASSERT_EQ(PlatformCompressHandle(handle, kCompressionZlib, nullptr), kPlatformNoError);
  Bytes stored = BytesOf(handle);
  PlatformHandle::Dispose(handle);

  Bytes truncated(stored.begin(), stored.end() - 10);
  Bytes damaged = stored;
  damaged[stored.size() / 2] ^= 0x55;
  Bytes badHeader = stored;
  badHeader[0] = 0x12;
  for (const Bytes& input : {truncated, damaged, badHeader, Bytes{0x78}}) {
    PlatformHandle* bad = HandleOf(input);
    EXPECT_EQ(PlatformDecompressHandle(bad, kCompressionZlib, nullptr), kPlatformErrBadData);
    EXPECT_EQ(BytesOf(bad), input);
    PlatformHandle::Dispose(bad);
  }
  // Data that zlib's own one-call interface made decodes too.
  Bytes other(compressBound(plain.size()));
  uLongf otherSize = other.size();
  ASSERT_EQ(compress(other.data(), &otherSize, plain.data(), plain.size()), Z_OK);
  other.resize(otherSize);
  PlatformHandle* foreign = HandleOf(other);
  ASSERT_EQ(PlatformDecompressHandle(foreign, kCompressionZlib, nullptr), kPlatformNoError);
  EXPECT_EQ(BytesOf(foreign), plain);
  PlatformHandle::Dispose(foreign);
}

TEST(Compression, KindsAliasesEmptyAndLockedHandles) {
  PlatformHandle* empty = PlatformHandle::New(0);
  CompressionInfo info;
  ASSERT_EQ(PlatformCompressHandle(empty, kCompressionZlib, &info), kPlatformNoError);
  EXPECT_EQ(info.kind, kCompressionNone);
  EXPECT_EQ(empty->size, 0u);
  PlatformHandle::Dispose(empty);

  PlatformHandle* handle = HandleOf(Repeat(4, 64));
  ASSERT_EQ(PlatformCompressHandle(handle, kCompressionBest, &info), kPlatformNoError);
  EXPECT_EQ(info.kind, kCompressionZlib);
  EXPECT_EQ(PlatformDecompressHandle(handle, kCompressionBest, &info), kPlatformErrUndefinedKind);
  EXPECT_EQ(info.magic, 0u);
  ASSERT_EQ(PlatformDecompressHandle(handle, kCompressionZlib, nullptr), kPlatformNoError);
  ASSERT_EQ(PlatformCompressHandle(handle, kCompressionFast, &info), kPlatformNoError);
  EXPECT_EQ(info.kind, kCompressionPack);
  EXPECT_EQ(PlatformCompressHandle(handle, FourCharCode("lzw "), nullptr), kPlatformErrUndefinedKind);
  PlatformHandle::SetLocked(handle, 1);
  EXPECT_EQ(PlatformDecompressHandle(handle, kCompressionPack, nullptr), kPlatformErrBadData);
  PlatformHandle::SetLocked(handle, 0);
  PlatformHandle::Dispose(handle);
}

}  // namespace
