// Test pictures made at test time: hand-built BMP, GIF and picture bytes, and PNG and JPEG files written with
// libpng and libjpeg. Each builder is small and says what it writes; tests bend single fields to make hostile
// variants.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/core/memory.h"
#include "platform/graphics/decoded_image.h"
#include "platform/graphics/image_import.h"

using Bytes = std::vector<uint8_t>;

// A new handle holding a copy of the bytes, disposed with this record.
class HandleCopy {
 public:
  explicit HandleCopy(const Bytes& bytes);
  ~HandleCopy();
  HandleCopy(const HandleCopy&) = delete;
  HandleCopy& operator=(const HandleCopy&) = delete;
  PlatformHandle* get() const { return handle_; }

 private:
  PlatformHandle* handle_;
};

// Decodes bytes through the type detection and the format's decoder, without making a world.
PlatformError DecodeBytes(const Bytes& bytes, DecodedImage* image, TransferMode* mode = nullptr, ImageInfo* info = nullptr);

// One pixel of a decoded direct-colour image as 0xAARRGGBB, and of an indexed image as its index.
uint32_t PixelAt(const DecodedImage& image, int32_t x, int32_t y);

void PutLe16(Bytes* out, uint32_t value);
void PutLe32(Bytes* out, uint32_t value);
void PutBe16(Bytes* out, uint32_t value);
void PutBe32(Bytes* out, uint32_t value);

// A Windows bitmap: file header, information header of headerSize bytes (40 or more, or fewer for hostile
// files), colour table, pixel data at the data offset the builder computes.
struct BmpSpec {
  int32_t width = 1;
  int32_t height = 1;
  uint16_t bitCount = 8;
  uint32_t compression = 0;
  uint32_t headerSize = 40;
  uint32_t colorsUsed = 0;
  uint32_t masks[3] = {0, 0, 0};  // written when headerSize is 52 or more
  std::vector<uint32_t> colors;    // 0x00RRGGBB, written as {blue, green, red, 0}
  Bytes pixels;                    // the pixel data as stored in the file
};
Bytes BuildBmp(const BmpSpec& fileSpec);
// The rows of an uncompressed file, each padded to 4 bytes, from packed row bytes given top row first; with
// bottomUp the rows are stored last row first.
Bytes PadBmpRows(const std::vector<Bytes>& rows, bool bottomUp);

// A GIF file with one image whose pixels are compressed by a real LZW encoder.
struct GifSpec {
  std::string signature = "GIF89a";
  uint16_t left = 0;
  uint16_t top = 0;
  uint16_t width = 1;
  uint16_t height = 1;
  std::vector<uint32_t> globalColors;  // 0x00RRGGBB; empty: no global table
  std::vector<uint32_t> localColors;   // empty: no local table
  uint8_t backgroundIndex = 0;
  bool interlaced = false;
  int transparentIndex = -1;           // >= 0: a graphic control extension with that index
  uint8_t minimumCodeSize = 8;
  bool clearWhenFull = true;           // emit a clear code when the code table fills
  Bytes pixels;                        // in stored order (interlaced files: pass order)
};
Bytes BuildGif(const GifSpec& fileSpec);
// LZW-compresses pixels for a GIF image: the minimum code size byte, data sub-blocks and the terminator.
Bytes EncodeGifLzw(const Bytes& pixels, uint8_t minimumCodeSize, bool clearWhenFull);

// PackBits rows: 'pack' over bytes (unit 1) or over 16-bit units (unit 2).
Bytes PackBitsEncode(const Bytes& data, int unit);

// A picture file: 512 zero bytes, size, frame, the version opcode, then the opcode bytes given, then the end.
Bytes BuildPict(int version, int16_t top, int16_t left, int16_t bottom, int16_t right, const Bytes& opcodes);

// A PNG written by libpng. rows hold the stored samples (bit depth and colour type as given), top row first.
struct PngSpec {
  uint32_t width = 1;
  uint32_t height = 1;
  int bitDepth = 8;
  int colorType = 0;  // PNG colour type
  bool interlaced = false;
  std::vector<Bytes> rows;
  std::vector<uint32_t> palette;  // 0x00RRGGBB
  Bytes transparency;             // tRNS alpha values for palette images
  bool hasBackground = false;
  uint16_t background[3] = {0, 0, 0};  // red, green, blue (grey: the first)
  bool hasPhys = false;
  uint32_t physX = 0;
  uint32_t physY = 0;
  int physUnit = 0;
  bool hasOffset = false;
  int32_t offsetX = 0;
  int32_t offsetY = 0;
  int offsetUnit = 0;
  double gamma = 0.0;  // > 0: a gAMA chunk
};
Bytes EncodePng(const PngSpec& fileSpec);

// A JFIF file written by libjpeg: components 1 (grey) or 3 (RGB), samples row by row.
Bytes EncodeJpeg(uint32_t width, uint32_t height, int components, const Bytes& samples, int quality = 95);
