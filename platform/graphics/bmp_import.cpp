// Windows bitmap import: file and information headers, colour table, plain rows of 1 to 32 bits a pixel, the
// 4- and 8-bit run-length forms and bit-field masks. All multi-byte fields are little-endian.
#include "platform/graphics/bmp_import.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

constexpr uint32_t kBmpUncompressed = 0;
constexpr uint32_t kBmpRle8 = 1;
constexpr uint32_t kBmpRle4 = 2;
constexpr uint32_t kBmpBitFields = 3;

// Headers shorter than this lack the depth and compression fields; a 4-byte read of them would underflow.
constexpr uint32_t kMinInfoHeaderSize = 16;
// The information header without colour masks, the one most writers use.
constexpr uint32_t kPlainInfoHeaderSize = 40;
// Up to this many bytes of the information header are kept (size word, 40-byte header, three masks, alpha mask).
constexpr uint32_t kKeptInfoHeaderSize = 56;

struct FileHeader {
  uint8_t signature[2];
  uint32_t fileSize;
  uint32_t dataOffset;
};

struct InfoHeader {
  uint32_t size = 0;
  int32_t width = 0;
  int32_t height = 0;
  int16_t bitCount = 0;
  uint32_t compression = 0;
  uint32_t colorsUsed = 0;
  uint32_t masks[3] = {0, 0, 0};  // red, green, blue
};

// A colour mask reduced to the extraction of an 8-bit channel value.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  uint32_t scale = 0;

  uint8_t Extract(uint32_t pixel) const { return static_cast<uint8_t>((((pixel & mask) >> shift) * scale) >> 8); }
};

Channel MakeChannel(uint32_t mask) {
  Channel channel;
  if (mask == 0) return channel;
  channel.shift = std::countr_zero(mask);
  int width = 32 - std::countl_zero(mask) - channel.shift;
  // Channel scales exist for widths up to 8: a wider mask keeps its top 8 bits.
  if (width > 8) {
    channel.shift += width - 8;
    width = 8;
  }
  channel.mask = ((1u << width) - 1) << channel.shift;
  channel.scale = ChannelScale(static_cast<uint32_t>(width));
  return channel;
}

PlatformError ReadFileHeader(MemoryStreamReader* reader, FileHeader* header) {
  uint8_t bytes[14];
  PlatformError error = PlatformReadMemoryStream(reader, bytes, sizeof(bytes));
  if (error != kPlatformNoError) return error;
  header->signature[0] = bytes[0];
  header->signature[1] = bytes[1];
  header->fileSize = LoadLe32(bytes + 2);
  header->dataOffset = LoadLe32(bytes + 10);
  return kPlatformNoError;
}

bool IsSignature(const FileHeader& header, const char* signature) {
  return header.signature[0] == static_cast<uint8_t>(signature[0]) &&
         header.signature[1] == static_cast<uint8_t>(signature[1]);
}

PlatformError ReadInfoHeader(MemoryStreamReader* reader, InfoHeader* header, uint32_t* consumed) {
  uint8_t bytes[kKeptInfoHeaderSize] = {};
  PlatformError error = PlatformReadMemoryStream(reader, bytes, 4);
  if (error != kPlatformNoError) return error;
  header->size = LoadLe32(bytes);
  if (header->size < kMinInfoHeaderSize) return kPlatformErrImageData;
  *consumed = std::min(header->size, kKeptInfoHeaderSize);
  error = PlatformReadMemoryStream(reader, bytes + 4, *consumed - 4);
  if (error != kPlatformNoError) return error;
  header->width = static_cast<int32_t>(LoadLe32(bytes + 4));
  header->height = static_cast<int32_t>(LoadLe32(bytes + 8));
  header->bitCount = static_cast<int16_t>(LoadLe16(bytes + 14));
  header->compression = LoadLe32(bytes + 16);
  header->colorsUsed = LoadLe32(bytes + 32);
  if (header->compression == kBmpBitFields && header->size == kPlainInfoHeaderSize) {
    // Common writers keep the three colour masks of a bit-field image right after a 40-byte header, where a
    // longer header would hold them. Reading them from there lets such files load, where zero masks would refuse
    // them; files with a longer header are read as before.
    error = PlatformReadMemoryStream(reader, bytes + 40, 12);
    if (error != kPlatformNoError) return error;
  }
  for (int i = 0; i < 3; ++i) header->masks[i] = LoadLe32(bytes + 40 + 4 * i);
  return kPlatformNoError;
}

PlatformError CheckInfoHeader(const InfoHeader& header) {
  const int64_t height = header.height < 0 ? -int64_t{header.height} : int64_t{header.height};
  if (!IsImageSizeAcceptable(header.width, height)) return kPlatformErrImageData;
  const int bits = header.bitCount;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return kPlatformErrImageData;
  switch (header.compression) {
    case kBmpUncompressed:
      break;
    case kBmpRle8:
      if (bits != 8) return kPlatformErrImageData;
      break;
    case kBmpRle4:
      if (bits != 4) return kPlatformErrImageData;
      break;
    case kBmpBitFields:
      if (bits != 16 && bits != 32) return kPlatformErrImageData;
      if (header.masks[0] == 0 || header.masks[1] == 0 || header.masks[2] == 0) return kPlatformErrImageData;
      break;
    default:
      return kPlatformErrImageData;
  }
  if (uint64_t{header.colorsUsed} > (uint64_t{1} << bits)) return kPlatformErrImageData;
  return kPlatformNoError;
}

// Writes the decoded rows of the image in file order: bottom-up files fill the image from its last row.
class RowSink {
 public:
  RowSink(DecodedImage* image, bool topDown) : image_(image), topDown_(topDown) {}

  int32_t RowsLeft() const { return image_->Height() - rowsPut_; }

  // Stores the first width bytes (indexed) or width pixels (ARGB) of row.
  void Put(const uint8_t* row) {
    const int32_t height = image_->Height();
    const int32_t y = topDown_ ? rowsPut_ : height - 1 - rowsPut_;
    std::memcpy(image_->Row(y), row, image_->RowBytes());
    ++rowsPut_;
  }

 private:
  DecodedImage* image_;
  bool topDown_;
  int32_t rowsPut_ = 0;
};

// Spreads n 4-bit pixels to one byte each, high nibble of each source byte first; with startLow the first pixel
// is the low nibble of the first byte.
void UnpackNibbles(uint8_t* destination, const uint8_t* source, size_t n, bool startLow) {
  size_t nibble = startLow ? 1 : 0;
  for (size_t i = 0; i < n; ++i, ++nibble) {
    const uint8_t byte = source[nibble >> 1];
    destination[i] = (nibble & 1) ? (byte & 0x0F) : (byte >> 4);
  }
}

// The run-length decoder of the 4- and 8-bit forms. Pixels go into a row buffer of the width rounded up to 4;
// a row is put when an end of line comes or when a pixel is due and the buffer is already full.
class RleDecoder {
 public:
  RleDecoder(MemoryStreamReader* reader, RowSink* sink, std::vector<uint8_t>* row, bool fourBit)
      : reader_(reader), sink_(sink), row_(*row), fourBit_(fourBit) {}

  PlatformError Decode() {
    while (sink_->RowsLeft() > 0) {
      uint8_t code[2];
      PlatformError error = PlatformReadMemoryStream(reader_, code, 2);
      if (error != kPlatformNoError) return error;
      if (code[0] > 0) {
        EncodedRun(code[0], code[1]);
      } else if (code[1] == 0) {
        EndRow();
      } else if (code[1] == 1) {
        EndRow();
        while (sink_->RowsLeft() > 0) EndRow();
        return kPlatformNoError;
      } else if (code[1] == 2) {
        error = Delta();
        if (error != kPlatformNoError) return error;
      } else {
        error = AbsoluteRun(code[1]);
        if (error != kPlatformNoError) return error;
      }
    }
    return kPlatformNoError;
  }

 private:
  // Places one pixel, putting the row first when it is full. False once every row has been put.
  bool Place(uint8_t pixel) {
    if (column_ == row_.size()) {
      EndRow();
      if (sink_->RowsLeft() == 0) return false;
    }
    row_[column_++] = pixel;
    return true;
  }

  void EndRow() {
    std::fill(row_.begin() + static_cast<std::ptrdiff_t>(column_), row_.end(), 0);
    sink_->Put(row_.data());
    std::fill(row_.begin(), row_.end(), 0);
    column_ = 0;
  }

  void EncodedRun(uint8_t count, uint8_t value) {
    for (int i = 0; i < count; ++i) {
      const uint8_t pixel = fourBit_ ? ((i & 1) ? (value & 0x0F) : (value >> 4)) : value;
      if (!Place(pixel)) return;
    }
  }

  PlatformError AbsoluteRun(uint8_t count) {
    // 8-bit runs are padded to an even byte count, 4-bit runs to a whole number of 16-bit words.
    const uint32_t bytes = fourBit_ ? (uint32_t{count} + 3) / 4 * 2 : (uint32_t{count} + 1) & ~1u;
    uint8_t data[256];
    PlatformError error = PlatformReadMemoryStream(reader_, data, bytes);
    if (error != kPlatformNoError) return error;
    uint8_t pixels[256];
    if (fourBit_) {
      UnpackNibbles(pixels, data, count, false);
    } else {
      std::memcpy(pixels, data, count);
    }
    for (int i = 0; i < count; ++i) {
      if (!Place(pixels[i])) break;
    }
    return kPlatformNoError;
  }

  PlatformError Delta() {
    uint8_t move[2];
    PlatformError error = PlatformReadMemoryStream(reader_, move, 2);
    if (error != kPlatformNoError) return error;
    const uint8_t dx = move[0];
    const uint8_t dy = move[1];
    // A delta may not leave the row.
    if (column_ + dx > row_.size()) return kPlatformErrImageData;
    // The position moves right by dx from where it was, in the row dy rows further on.
    const size_t column = column_ + dx;
    if (dy > 0) {
      EndRow();
      for (int i = 1; i < dy && sink_->RowsLeft() > 0; ++i) EndRow();
    }
    column_ = column;
    return kPlatformNoError;
  }

  MemoryStreamReader* reader_;
  RowSink* sink_;
  std::vector<uint8_t>& row_;
  bool fourBit_;
  size_t column_ = 0;
};

PlatformError DecodePlainRows(MemoryStreamReader* reader, const InfoHeader& header, const Channel* channels,
                              RowSink* sink, std::vector<uint8_t>* fileRow, std::vector<uint8_t>* row) {
  const int32_t width = header.width;
  uint8_t* out = row->data();
  while (sink->RowsLeft() > 0) {
    const uint8_t* in = fileRow->data();
    PlatformError error = PlatformReadMemoryStream(reader, fileRow->data(), static_cast<uint32_t>(fileRow->size()));
    if (error != kPlatformNoError) return error;
    switch (header.bitCount) {
      case 1:
        for (int32_t x = 0; x < width; ++x) out[x] = (in[x >> 3] >> (7 - (x & 7))) & 1;
        break;
      case 4:
        UnpackNibbles(out, in, static_cast<size_t>(width), false);
        break;
      case 8:
        std::memcpy(out, in, static_cast<size_t>(width));
        break;
      case 16:
      case 32:
        for (int32_t x = 0; x < width; ++x) {
          const uint32_t pixel = header.bitCount == 16 ? LoadLe16(in + 2 * x) : LoadLe32(in + 4 * x);
          uint8_t* p = out + 4 * x;
          p[0] = 255;
          p[1] = channels[0].Extract(pixel);
          p[2] = channels[1].Extract(pixel);
          p[3] = channels[2].Extract(pixel);
        }
        break;
      case 24:
        for (int32_t x = 0; x < width; ++x) {
          uint8_t* p = out + 4 * x;
          p[0] = 255;
          p[1] = in[3 * x + 2];
          p[2] = in[3 * x + 1];
          p[3] = in[3 * x];
        }
        break;
    }
    sink->Put(out);
  }
  return kPlatformNoError;
}

// Advances to the given offset of the file; an offset already passed is refused.
PlatformError SkipTo(MemoryStreamReader* reader, uint32_t offset) {
  if (reader->position > offset) return kPlatformErrImageData;
  return PlatformSkipMemoryStream(reader, offset - reader->position);
}

}  // namespace

bool IsBmpData(const uint8_t* bytes, size_t n) {
  if (n < 14) return false;
  const bool offsetSet = bytes[10] != 0 || bytes[11] != 0 || bytes[12] != 0 || bytes[13] != 0;
  const uint32_t size = LoadLe32(bytes + 2);
  if (bytes[0] == 'B' && bytes[1] == 'M') return size >= 55 && offsetSet;
  if (bytes[0] == 'B' && bytes[1] == 'A') return size >= 40 && offsetSet;
  return false;
}

PlatformError DecodeBmp(MemoryStreamReader* reader, DecodedImage* image, TransferMode* mode, ImageInfo* info) {
  FileHeader file;
  PlatformError error = ReadFileHeader(reader, &file);
  if (error != kPlatformNoError) return error;
  if (IsSignature(file, "BA")) {
    // An array header of 40 bytes comes before the bitmap's own file header; arrays of arrays are not read.
    if (file.fileSize != 40) return kPlatformErrNotAnImage;
    error = ReadFileHeader(reader, &file);
    if (error != kPlatformNoError) return error;
    if (IsSignature(file, "BA")) return kPlatformErrNotAnImage;
  }
  if (!IsSignature(file, "BM") || file.fileSize <= 54 || file.dataOffset < 54) return kPlatformErrNotAnImage;

  InfoHeader header;
  uint32_t consumed = 0;
  error = ReadInfoHeader(reader, &header, &consumed);
  if (error != kPlatformNoError) return error;
  error = CheckInfoHeader(header);
  if (error != kPlatformNoError) return error;

  const int bits = header.bitCount;
  if (header.compression == kBmpUncompressed && bits == 16) {
    header.masks[0] = 0x7C00;
    header.masks[1] = 0x03E0;
    header.masks[2] = 0x001F;
  } else if (header.compression == kBmpUncompressed && bits == 32) {
    header.masks[0] = 0xFF0000;
    header.masks[1] = 0xFF00;
    header.masks[2] = 0xFF;
  }
  const Channel channels[3] = {MakeChannel(header.masks[0]), MakeChannel(header.masks[1]),
                               MakeChannel(header.masks[2])};

  // The rest of a longer header.
  error = PlatformSkipMemoryStream(reader, header.size - consumed);
  if (error != kPlatformNoError) return error;

  std::vector<ColorRecord> palette;
  if (bits <= 8) {
    // The world's colour table is the file's table of colours used (all the depth allows when 0). An index past
    // it reads the pixel map's zero entries behind the table, never past the map.
    const uint32_t used = header.colorsUsed == 0 ? uint32_t{1} << bits : header.colorsUsed;
    palette.resize(used);
    for (uint32_t i = 0; i < used; ++i) {
      uint8_t quad[4];
      error = PlatformReadMemoryStream(reader, quad, 4);
      if (error != kPlatformNoError) return error;
      palette[i] = ColorRecord{255, quad[2], quad[1], quad[0]};
    }
  }
  error = SkipTo(reader, file.dataOffset);
  if (error != kPlatformNoError) return error;

  const bool topDown = header.height < 0;
  const int32_t height = static_cast<int32_t>(topDown ? -int64_t{header.height} : header.height);
  const uint32_t format = bits <= 8 ? kImageFormatIndexed : static_cast<uint32_t>(bits);
  error = AllocateDecodedImage(image, Rect{0, 0, header.width, height}, format, 0);
  if (error != kPlatformNoError) return error;
  image->palette = std::move(palette);
  if (info != nullptr) {
    info->type = kImageTypeBmp;
    info->gamma = 2.2;
  }

  std::vector<uint8_t> fileRow;
  std::vector<uint8_t> row;
  const size_t rounded = (static_cast<size_t>(header.width) + 3) & ~size_t{3};
  error = ResizeBuffer(&fileRow, (static_cast<size_t>(bits) * static_cast<size_t>(header.width) + 31) / 32 * 4);
  if (error == kPlatformNoError) error = ResizeBuffer(&row, bits <= 8 ? rounded : rounded * 4);
  if (error != kPlatformNoError) return error;

  RowSink sink(image, topDown);
  if (header.compression == kBmpRle8 || header.compression == kBmpRle4) {
    RleDecoder decoder(reader, &sink, &row, header.compression == kBmpRle4);
    return decoder.Decode();
  }
  return DecodePlainRows(reader, header, channels, &sink, &fileRow, &row);
}

PlatformError ImportBmp(MemoryStreamReader* reader, PlatformWorld** world, PlatformWorld** mask, TransferMode* mode,
                        ImageInfo* info) {
  return RunImageImporter(DecodeBmp, reader, world, mask, mode, info);
}
