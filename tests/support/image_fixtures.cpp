// Builders and encoders of the test pictures (see image_fixtures.h).
#include "tests/support/image_fixtures.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <utility>

#include <jpeglib.h>
#include <png.h>

#include "platform/core/compression.h"

HandleCopy::HandleCopy(const Bytes& bytes)
    : handle_(PlatformHandle::FromBytes(bytes.data(), static_cast<uint32_t>(bytes.size()))) {
  if (handle_ == nullptr) {
    std::fprintf(stderr, "test handle could not be made\n");
    std::abort();
  }
}

HandleCopy::~HandleCopy() { PlatformHandle::Dispose(handle_); }

PlatformError DecodeBytes(const Bytes& bytes, DecodedImage* image, TransferMode* mode, ImageInfo* info) {
  HandleCopy handle(bytes);
  return DecodeImageFromHandle(handle.get(), image, mode, info);
}

uint32_t PixelAt(const DecodedImage& image, int32_t x, int32_t y) {
  const uint8_t* row = image.Row(y);
  if (image.IsIndexed()) return row[x];
  const uint8_t* p = row + 4 * x;
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

void PutLe16(Bytes* out, uint32_t value) {
  out->push_back(static_cast<uint8_t>(value));
  out->push_back(static_cast<uint8_t>(value >> 8));
}
void PutLe32(Bytes* out, uint32_t value) {
  PutLe16(out, value & 0xFFFF);
  PutLe16(out, value >> 16);
}
void PutBe16(Bytes* out, uint32_t value) {
  out->push_back(static_cast<uint8_t>(value >> 8));
  out->push_back(static_cast<uint8_t>(value));
}
void PutBe32(Bytes* out, uint32_t value) {
  PutBe16(out, value >> 16);
  PutBe16(out, value & 0xFFFF);
}

Bytes BuildBmp(const BmpSpec& fileSpec) {
  Bytes info;
  PutLe32(&info, fileSpec.headerSize);
  PutLe32(&info, static_cast<uint32_t>(fileSpec.width));
  PutLe32(&info, static_cast<uint32_t>(fileSpec.height));
  PutLe16(&info, 1);
  PutLe16(&info, fileSpec.bitCount);
  PutLe32(&info, fileSpec.compression);
  PutLe32(&info, static_cast<uint32_t>(fileSpec.pixels.size()));
  PutLe32(&info, 2835);
  PutLe32(&info, 2835);
  PutLe32(&info, fileSpec.colorsUsed);
  PutLe32(&info, 0);
  for (uint32_t mask : fileSpec.masks) PutLe32(&info, mask);
  PutLe32(&info, 0);  // alpha mask
  info.resize(fileSpec.headerSize < 4 ? 4 : fileSpec.headerSize, 0);
  Bytes table;
  for (uint32_t color : fileSpec.colors) {
    table.push_back(static_cast<uint8_t>(color));
    table.push_back(static_cast<uint8_t>(color >> 8));
    table.push_back(static_cast<uint8_t>(color >> 16));
    table.push_back(0);
  }
  const uint32_t offset = static_cast<uint32_t>(14 + info.size() + table.size());
  Bytes out{'B', 'M'};
  PutLe32(&out, static_cast<uint32_t>(offset + fileSpec.pixels.size()));
  PutLe32(&out, 0);
  PutLe32(&out, offset);
  out.insert(out.end(), info.begin(), info.end());
  out.insert(out.end(), table.begin(), table.end());
  out.insert(out.end(), fileSpec.pixels.begin(), fileSpec.pixels.end());
  return out;
}

Bytes PadBmpRows(const std::vector<Bytes>& rows, bool bottomUp) {
  Bytes out;
  for (size_t i = 0; i < rows.size(); ++i) {
    const Bytes& row = rows[bottomUp ? rows.size() - 1 - i : i];
    out.insert(out.end(), row.begin(), row.end());
    out.resize((out.size() + 3) & ~size_t{3}, 0);
  }
  return out;
}

namespace {

// Packs variable-width codes least significant bit first.
class BitWriter {
 public:
  void Put(uint32_t code, int bits) {
    for (int i = 0; i < bits; ++i) {
      if (bit_ == 0) bytes_.push_back(0);
      if ((code >> i) & 1) bytes_.back() |= static_cast<uint8_t>(1 << bit_);
      bit_ = (bit_ + 1) & 7;
    }
  }
  const Bytes& bytes() const { return bytes_; }

 private:
  Bytes bytes_;
  int bit_ = 0;
};

}  // namespace

Bytes EncodeGifLzw(const Bytes& pixels, uint8_t minimumCodeSize, bool clearWhenFull) {
  const uint32_t clear = 1u << minimumCodeSize;
  const uint32_t end = clear + 1;
  BitWriter writer;
  std::map<std::pair<uint32_t, uint8_t>, uint32_t> table;
  int codeSize = minimumCodeSize + 1;
  uint32_t next = clear + 2;
  auto reset = [&] {
    table.clear();
    codeSize = minimumCodeSize + 1;
    next = clear + 2;
  };
  writer.Put(clear, codeSize);
  bool havePrefix = false;
  uint32_t prefix = 0;
  for (uint8_t pixel : pixels) {
    if (!havePrefix) {
      prefix = pixel;
      havePrefix = true;
      continue;
    }
    auto found = table.find({prefix, pixel});
    if (found != table.end()) {
      prefix = found->second;
      continue;
    }
    writer.Put(prefix, codeSize);
    if (next < 4096) {
      table[{prefix, pixel}] = next++;
      if (next > (1u << codeSize) && codeSize < 12) ++codeSize;
    } else if (clearWhenFull) {
      writer.Put(clear, codeSize);
      reset();
    }
    prefix = pixel;
  }
  if (havePrefix) writer.Put(prefix, codeSize);
  // The decoder makes one more entry on the last code; the end code is read at the width that follows.
  if (havePrefix && next < 4096 && next + 1 > (1u << codeSize) && codeSize < 12) ++codeSize;
  writer.Put(end, codeSize);
  Bytes out{minimumCodeSize};
  const Bytes& data = writer.bytes();
  for (size_t p = 0; p < data.size(); p += 255) {
    const size_t n = std::min<size_t>(255, data.size() - p);
    out.push_back(static_cast<uint8_t>(n));
    out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(p), data.begin() + static_cast<std::ptrdiff_t>(p + n));
  }
  out.push_back(0);
  return out;
}

namespace {

int TableBits(size_t entries) {
  int bits = 1;
  while ((size_t{1} << bits) < entries) ++bits;
  return bits;
}

void PutColorTable(Bytes* out, const std::vector<uint32_t>& colors) {
  const size_t entries = size_t{1} << TableBits(colors.size());
  for (size_t i = 0; i < entries; ++i) {
    const uint32_t color = i < colors.size() ? colors[i] : 0;
    out->push_back(static_cast<uint8_t>(color >> 16));
    out->push_back(static_cast<uint8_t>(color >> 8));
    out->push_back(static_cast<uint8_t>(color));
  }
}

}  // namespace

Bytes BuildGif(const GifSpec& fileSpec) {
  Bytes out(fileSpec.signature.begin(), fileSpec.signature.end());
  PutLe16(&out, fileSpec.left + fileSpec.width);
  PutLe16(&out, fileSpec.top + fileSpec.height);
  const bool global = !fileSpec.globalColors.empty();
  out.push_back(static_cast<uint8_t>(global ? 0x80 | 0x70 | (TableBits(fileSpec.globalColors.size()) - 1) : 0x70));
  out.push_back(fileSpec.backgroundIndex);
  out.push_back(0);
  if (global) PutColorTable(&out, fileSpec.globalColors);
  if (fileSpec.transparentIndex >= 0) {
    const Bytes control{0x21, 0xF9, 4, 0x01, 0, 0, static_cast<uint8_t>(fileSpec.transparentIndex), 0};
    out.insert(out.end(), control.begin(), control.end());
  }
  out.push_back(0x2C);
  PutLe16(&out, fileSpec.left);
  PutLe16(&out, fileSpec.top);
  PutLe16(&out, fileSpec.width);
  PutLe16(&out, fileSpec.height);
  const bool local = !fileSpec.localColors.empty();
  uint8_t packed = fileSpec.interlaced ? 0x40 : 0;
  if (local) packed |= static_cast<uint8_t>(0x80 | (TableBits(fileSpec.localColors.size()) - 1));
  out.push_back(packed);
  if (local) PutColorTable(&out, fileSpec.localColors);
  const Bytes data = EncodeGifLzw(fileSpec.pixels, fileSpec.minimumCodeSize, fileSpec.clearWhenFull);
  out.insert(out.end(), data.begin(), data.end());
  out.push_back(0x3B);
  return out;
}

Bytes PackBitsEncode(const Bytes& data, int unit) {
  PlatformHandle* handle = PlatformHandle::FromBytes(data.data(), static_cast<uint32_t>(data.size()));
  if (handle == nullptr ||
      PlatformCompressHandle(handle, unit == 2 ? kCompressionPack16 : kCompressionPack, nullptr) != kPlatformNoError) {
    std::fprintf(stderr, "test rows could not be packed\n");
    std::abort();
  }
  const uint8_t* packed = static_cast<const uint8_t*>(handle->data);
  Bytes out(packed, packed + PlatformHandle::GetSize(handle));
  PlatformHandle::Dispose(handle);
  return out;
}

Bytes BuildPict(int version, int16_t top, int16_t left, int16_t bottom, int16_t right, const Bytes& opcodes) {
  Bytes out(512, 0);
  PutBe16(&out, 0);
  PutBe16(&out, static_cast<uint16_t>(top));
  PutBe16(&out, static_cast<uint16_t>(left));
  PutBe16(&out, static_cast<uint16_t>(bottom));
  PutBe16(&out, static_cast<uint16_t>(right));
  if (version == 1) {
    out.push_back(0x11);
    out.push_back(0x01);
  } else {
    const Bytes header{0x00, 0x11, 0x02, 0xFF, 0x0C, 0x00};
    out.insert(out.end(), header.begin(), header.end());
    out.resize(out.size() + 24, 0);
  }
  out.insert(out.end(), opcodes.begin(), opcodes.end());
  if (version == 1) {
    out.push_back(0xFF);
  } else {
    if (out.size() & 1) out.push_back(0);
    PutBe16(&out, 0x00FF);
  }
  // Short pictures are padded so that the sniffer sees its whole window.
  if (out.size() < 612) out.resize(612, 0);
  return out;
}

namespace {

void PngWrite(png_structp png, png_bytep data, size_t length) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void PngFlush(png_structp) {}

}  // namespace

Bytes EncodePng(const PngSpec& fileSpec) {
  Bytes out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png)) != 0) {
    png_destroy_write_struct(&png, &info);
    std::fprintf(stderr, "test PNG could not be written\n");
    std::abort();
  }
  png_set_write_fn(png, &out, PngWrite, PngFlush);
  png_set_IHDR(png, info, fileSpec.width, fileSpec.height, fileSpec.bitDepth, fileSpec.colorType,
               fileSpec.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  std::vector<png_color> palette;
  for (uint32_t color : fileSpec.palette) {
    palette.push_back(png_color{static_cast<png_byte>(color >> 16), static_cast<png_byte>(color >> 8),
                                static_cast<png_byte>(color)});
  }
  if (!palette.empty()) png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
  if (!fileSpec.transparency.empty()) {
    png_set_tRNS(png, info, fileSpec.transparency.data(), static_cast<int>(fileSpec.transparency.size()), nullptr);
  }
  if (fileSpec.hasBackground) {
    png_color_16 background{};
    background.red = fileSpec.background[0];
    background.green = fileSpec.background[1];
    background.blue = fileSpec.background[2];
    background.gray = fileSpec.background[0];
    background.index = static_cast<png_byte>(fileSpec.background[0]);
    png_set_bKGD(png, info, &background);
  }
  if (fileSpec.hasPhys) png_set_pHYs(png, info, fileSpec.physX, fileSpec.physY, fileSpec.physUnit);
  if (fileSpec.hasOffset) png_set_oFFs(png, info, fileSpec.offsetX, fileSpec.offsetY, fileSpec.offsetUnit);
  if (fileSpec.gamma > 0.0) png_set_gAMA(png, info, fileSpec.gamma);
  png_write_info(png, info);
  std::vector<png_bytep> rows;
  for (const Bytes& row : fileSpec.rows) rows.push_back(const_cast<png_bytep>(row.data()));
  png_write_image(png, rows.data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

Bytes EncodeJpeg(uint32_t width, uint32_t height, int components, const Bytes& samples, int quality) {
  jpeg_compress_struct compressor{};
  jpeg_error_mgr errors{};
  compressor.err = jpeg_std_error(&errors);
  jpeg_create_compress(&compressor);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&compressor, &buffer, &size);
  compressor.image_width = width;
  compressor.image_height = height;
  compressor.input_components = components;
  compressor.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&compressor);
  jpeg_set_quality(&compressor, quality, TRUE);
  jpeg_start_compress(&compressor, TRUE);
  const size_t stride = size_t{width} * static_cast<size_t>(components);
  while (compressor.next_scanline < height) {
    JSAMPROW row = const_cast<JSAMPROW>(samples.data() + compressor.next_scanline * stride);
    jpeg_write_scanlines(&compressor, &row, 1);
  }
  jpeg_finish_compress(&compressor);
  jpeg_destroy_compress(&compressor);
  Bytes out(buffer, buffer + size);
  std::free(buffer);
  return out;
}
