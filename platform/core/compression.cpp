// 'none', 'zlib', 'pack' and 'PACK' compression of handles.
//
// Run-length records: a header byte h, then units (1 byte for 'pack', 2 for 'PACK'): h 0-127 copies the h + 1
// units that follow; h 129-255 repeats the one unit that follows 257 - h times; h 128 does nothing. Runs are
// written as records of at most 126 units (a remainder of 127 to 252 is split in two halves), literals hold at
// most 127 units and end before three equal units.
#include "platform/core/compression.h"

#include <zlib.h>

#include <cstring>
#include <new>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

constexpr size_t kGrowStep = 4096;
constexpr size_t kLargestHandle = 0xFFFFFFFFu;

PlatformError ZlibError(int result) { return result == Z_MEM_ERROR ? kPlatformErrNoMemory : kPlatformErrBadData; }

PlatformError Deflate(const uint8_t* input, size_t n, Bytes* output) {
  z_stream z;
  std::memset(&z, 0, sizeof(z));
  int result = deflateInit(&z, Z_DEFAULT_COMPRESSION);
  if (result != Z_OK) return ZlibError(result);
  PlatformError error = kPlatformNoError;
  for (;;) {
    output->resize(output->size() + kGrowStep);
    z.next_in = const_cast<Bytef*>(input) + z.total_in;
    z.avail_in = static_cast<uInt>(n - z.total_in);
    z.next_out = output->data() + z.total_out;
    z.avail_out = static_cast<uInt>(output->size() - z.total_out);
    int flush = z.total_in < n - z.total_in ? Z_NO_FLUSH : Z_FINISH;
    result = deflate(&z, flush);
    if (result == Z_STREAM_END) break;
    if (result != Z_OK) {
      error = ZlibError(result);
      break;
    }
    if (output->size() > kLargestHandle) {
      error = kPlatformErrNoMemory;
      break;
    }
  }
  output->resize(z.total_out);
  if (deflateEnd(&z) != Z_OK && error == kPlatformNoError) error = kPlatformErrBadData;
  return error;
}

PlatformError Inflate(const uint8_t* input, size_t n, Bytes* output) {
  z_stream z;
  std::memset(&z, 0, sizeof(z));
  z.next_in = const_cast<Bytef*>(input);
  z.avail_in = static_cast<uInt>(n);
  int result = inflateInit(&z);
  if (result != Z_OK) return ZlibError(result);
  output->resize(n * 2 > kGrowStep ? n * 2 : kGrowStep);
  PlatformError error = kPlatformNoError;
  for (;;) {
    z.next_out = output->data() + z.total_out;
    z.avail_out = static_cast<uInt>(output->size() - z.total_out);
    result = inflate(&z, Z_NO_FLUSH);
    if (result == Z_STREAM_END) break;
    // Data that ends before its stream does is damaged, not a shorter result: taking what was decoded so far
    // would report a failure as success and hand on cut data.
    if (result != Z_OK) {
      error = ZlibError(result);
      break;
    }
    if (z.total_out + kGrowStep > kLargestHandle) {
      error = kPlatformErrNoMemory;
      break;
    }
    output->resize(z.total_out + kGrowStep);
  }
  output->resize(z.total_out);
  if (inflateEnd(&z) != Z_OK && error == kPlatformNoError) error = kPlatformErrBadData;
  return error;
}

bool SameUnits(const uint8_t* a, const uint8_t* b, size_t unit) { return std::memcmp(a, b, unit) == 0; }

PlatformError PackRuns(const uint8_t* input, size_t n, size_t unit, Bytes* output) {
  if (n % unit != 0) return kPlatformErrBadData;
  size_t p = 0;
  while (p < n) {
    bool run = p + 2 * unit < n && SameUnits(input + p, input + p + unit, unit) &&
               SameUnits(input + p, input + p + 2 * unit, unit);
    if (run) {
      size_t count = 3;
      while (p + count * unit < n && SameUnits(input + p, input + p + count * unit, unit)) ++count;
      const uint8_t* value = input + p;
      p += count * unit;
      while (count > 0) {
        size_t stretch = count > 252 ? 126 : count >= 127 ? (count + 1) / 2 : count;
        output->push_back(static_cast<uint8_t>(1 - static_cast<int>(stretch)));
        output->insert(output->end(), value, value + unit);
        count -= stretch;
      }
    } else {
      size_t count = 0;
      size_t q = p;
      do {
        q += unit;
        ++count;
      } while (count < 127 && q < n &&
               !(count >= 3 && SameUnits(input + q - unit, input + q - 2 * unit, unit) &&
                 SameUnits(input + q - unit, input + q - 3 * unit, unit)));
      output->push_back(static_cast<uint8_t>(count - 1));
      output->insert(output->end(), input + p, input + q);
      p = q;
    }
    if (output->size() > kLargestHandle) return kPlatformErrNoMemory;
  }
  return kPlatformNoError;
}

PlatformError UnpackRuns(const uint8_t* input, size_t n, size_t unit, Bytes* output) {
  size_t p = 0;
  while (p < n) {
    uint8_t h = input[p];
    if (h == 128) {
      p += 1;
    } else if (h > 128) {
      if (p + 1 + unit > n) return kPlatformErrBadData;
      for (int i = 0; i < 257 - h; ++i) output->insert(output->end(), input + p + 1, input + p + 1 + unit);
      p += 1 + unit;
    } else {
      size_t length = unit * (size_t{h} + 1);
      if (p + 1 + length > n) return kPlatformErrBadData;
      output->insert(output->end(), input + p + 1, input + p + 1 + length);
      p += 1 + length;
    }
    if (output->size() > kLargestHandle) return kPlatformErrNoMemory;
  }
  return kPlatformNoError;
}

// Runs one direction over the handle's data; `kind` is the resolved kind.
PlatformError Transform(PlatformHandle* handle, uint32_t kind, bool compress, CompressionInfo* info) {
  if (info != nullptr) PlatformClearBlock(info, sizeof(*info));
  if (handle == nullptr || PlatformHandle::IsLocked(handle)) return kPlatformErrBadData;
  uint32_t size = PlatformHandle::GetSize(handle);
  if (size == 0) kind = kCompressionNone;
  PlatformHandle::SetLocked(handle, 1);
  const auto* input = static_cast<const uint8_t*>(handle->data);
  Bytes output;
  PlatformError error = kPlatformNoError;
  try {
    if (kind == kCompressionZlib) {
      error = compress ? Deflate(input, size, &output) : Inflate(input, size, &output);
    } else if (kind == kCompressionPack || kind == kCompressionPack16) {
      size_t unit = kind == kCompressionPack ? 1 : 2;
      error = compress ? PackRuns(input, size, unit, &output) : UnpackRuns(input, size, unit, &output);
    } else {
      output.assign(input, input + size);
    }
  } catch (const std::bad_alloc&) {
    error = kPlatformErrNoMemory;
  }
  if (error == kPlatformNoError && info != nullptr) {
    uint32_t inputCrc = PlatformBlockCRC32(input, size);
    uint32_t outputCrc = PlatformBlockCRC32(output.data(), output.size());
    auto outputSize = static_cast<uint32_t>(output.size());
    info->magic = kCompressionInfoMagic;
    info->kind = kind;
    info->uncompressedSize = compress ? size : outputSize;
    info->uncompressedCrc = compress ? inputCrc : outputCrc;
    info->storedSize = compress ? outputSize : size;
    info->storedCrc = compress ? outputCrc : inputCrc;
  }
  PlatformHandle::SetLocked(handle, 0);
  if (error == kPlatformNoError && kind != kCompressionNone) {
    error = PlatformHandle::SetBytes(handle, output.data(), static_cast<uint32_t>(output.size()));
  }
  return error;
}

}  // namespace

PlatformError PlatformCompressHandle(PlatformHandle* handle, uint32_t kind, CompressionInfo* info) {
  switch (kind) {
    case kCompressionBest:
    case kCompressionAny:
      kind = kCompressionZlib;
      break;
    case kCompressionFast:
      kind = kCompressionPack;
      break;
    case kCompressionNone:
    case kCompressionZlib:
    case kCompressionPack:
    case kCompressionPack16:
      break;
    default:
      if (info != nullptr) PlatformClearBlock(info, sizeof(*info));
      return kPlatformErrUndefinedKind;
  }
  return Transform(handle, kind, true, info);
}

PlatformError PlatformDecompressHandle(PlatformHandle* handle, uint32_t kind, CompressionInfo* info) {
  if (kind != kCompressionNone && kind != kCompressionZlib && kind != kCompressionPack &&
      kind != kCompressionPack16) {
    if (info != nullptr) PlatformClearBlock(info, sizeof(*info));
    return kPlatformErrUndefinedKind;
  }
  return Transform(handle, kind, false, info);
}
