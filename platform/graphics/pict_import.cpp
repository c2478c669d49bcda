// Picture import: the 512-byte file header, the picture frame, the version opcode and the opcode stream. Only the
// bit and pixel images whose source rectangle is the whole picture are decoded (plain, PackBits-packed and
// three-byte rows); every other opcode is skipped by its length. All numbers are big-endian.
#include "platform/graphics/pict_import.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/core/compression.h"
#include "platform/graphics/graphics_startup.h"

namespace {

constexpr uint32_t kFileHeaderSize = 512;
constexpr uint32_t kFrameOffset = 514;
constexpr uint32_t kVersionSearchOffset = 522;
constexpr uint16_t kEndOfPicture = 0x00FF;
constexpr double kPictGamma = 1.7;

enum class RuleKind : uint8_t {
  Skip,        // a fixed number of data bytes
  Region,      // a 16-bit size that counts itself
  WordLength,  // a 16-bit length, then that many bytes
  LongLength,  // a 32-bit length, then that many bytes
  Text,        // a fixed number of bytes, a count byte, then that many bytes
  Comment,     // a 16-bit kind, a 16-bit size, then that many bytes
  Pattern,
  PixelData,
};

struct OpcodeRule {
  RuleKind kind;
  uint32_t bytes;
};

// The rules of the one-byte opcodes, as ranges (first, last).
struct OpcodeRange {
  uint8_t first;
  uint8_t last;
  OpcodeRule rule;
};

constexpr OpcodeRange kOpcodeRanges[] = {
    {0x00, 0x00, {RuleKind::Skip, 0}},        {0x01, 0x01, {RuleKind::Region, 0}},
    {0x02, 0x02, {RuleKind::Skip, 8}},        {0x03, 0x03, {RuleKind::Skip, 2}},
    {0x04, 0x04, {RuleKind::Skip, 1}},        {0x05, 0x05, {RuleKind::Skip, 2}},
    {0x06, 0x07, {RuleKind::Skip, 4}},        {0x08, 0x08, {RuleKind::Skip, 2}},
    {0x09, 0x0A, {RuleKind::Skip, 8}},        {0x0B, 0x0C, {RuleKind::Skip, 4}},
    {0x0D, 0x0D, {RuleKind::Skip, 2}},        {0x0E, 0x0F, {RuleKind::Skip, 4}},
    {0x10, 0x10, {RuleKind::Skip, 8}},        {0x11, 0x11, {RuleKind::Skip, 1}},
    {0x12, 0x14, {RuleKind::Pattern, 0}},     {0x15, 0x16, {RuleKind::Skip, 2}},
    {0x17, 0x19, {RuleKind::Skip, 0}},        {0x1A, 0x1B, {RuleKind::Skip, 6}},
    {0x1C, 0x1C, {RuleKind::Skip, 0}},        {0x1D, 0x1D, {RuleKind::Skip, 6}},
    {0x1E, 0x1E, {RuleKind::Skip, 0}},        {0x1F, 0x1F, {RuleKind::Skip, 6}},
    {0x20, 0x20, {RuleKind::Skip, 8}},        {0x21, 0x21, {RuleKind::Skip, 4}},
    {0x22, 0x22, {RuleKind::Skip, 6}},        {0x23, 0x23, {RuleKind::Skip, 2}},
    {0x24, 0x27, {RuleKind::WordLength, 0}},  {0x28, 0x28, {RuleKind::Text, 4}},
    {0x29, 0x2A, {RuleKind::Text, 1}},        {0x2B, 0x2B, {RuleKind::Text, 2}},
    {0x2C, 0x2C, {RuleKind::Text, 4}},        {0x2D, 0x2D, {RuleKind::Skip, 10}},
    {0x2E, 0x2E, {RuleKind::Skip, 8}},        {0x2F, 0x2F, {RuleKind::WordLength, 0}},
    {0x30, 0x37, {RuleKind::Skip, 8}},        {0x38, 0x3F, {RuleKind::Skip, 0}},
    {0x40, 0x47, {RuleKind::Skip, 8}},        {0x48, 0x4F, {RuleKind::Skip, 0}},
    {0x50, 0x57, {RuleKind::Skip, 8}},        {0x58, 0x5F, {RuleKind::Skip, 0}},
    {0x60, 0x67, {RuleKind::Skip, 12}},       {0x68, 0x6F, {RuleKind::Skip, 4}},
    {0x70, 0x74, {RuleKind::Region, 0}},      {0x75, 0x77, {RuleKind::WordLength, 0}},
    {0x78, 0x7F, {RuleKind::Skip, 0}},        {0x80, 0x84, {RuleKind::Region, 0}},
    {0x85, 0x87, {RuleKind::WordLength, 0}},  {0x88, 0x8F, {RuleKind::Skip, 0}},
    {0x90, 0x91, {RuleKind::PixelData, 0}},   {0x92, 0x97, {RuleKind::WordLength, 0}},
    {0x98, 0x9B, {RuleKind::PixelData, 0}},   {0x9C, 0x9F, {RuleKind::WordLength, 0}},
    {0xA0, 0xA0, {RuleKind::Skip, 2}},        {0xA1, 0xA1, {RuleKind::Comment, 0}},
    {0xA2, 0xAF, {RuleKind::WordLength, 0}},  {0xB0, 0xCF, {RuleKind::Skip, 0}},
    {0xD0, 0xFE, {RuleKind::LongLength, 0}},
};

OpcodeRule RuleFor(uint16_t opcode) {
  if (opcode < 0x100) {
    for (const OpcodeRange& range : kOpcodeRanges) {
      if (opcode >= range.first && opcode <= range.last) return range.rule;
    }
  }
  if (opcode == 0x02FF) return {RuleKind::Skip, 2};   // version
  if (opcode == 0x0C00) return {RuleKind::Skip, 24};  // header
  if (opcode < 0x8000) return {RuleKind::Skip, 2u * (opcode >> 8)};
  if (opcode == 0x8000) return {RuleKind::Skip, 0};
  return {RuleKind::LongLength, 0};
}

// How the rows of a pixel image are stored.
enum class RowForm { Unpacked, Packed, ThreeBytes };

struct PixelImageHeader {
  uint16_t rowBytes = 0;  // the low 14 bits of the stored word
  int16_t bounds[4] = {};  // top, left, bottom, right
  uint16_t packType = 0;
  uint16_t pixelSize = 1;
  uint16_t componentCount = 1;
  int16_t source[4] = {};  // top, left, bottom, right
  bool hasColorTable = false;
  std::vector<ColorRecord> colorTable;  // 256 entries; those the picture does not give are black
};

struct HandleDisposer {
  void operator()(PlatformHandle* handle) const { PlatformHandle::Dispose(handle); }
};
using OwnedHandle = std::unique_ptr<PlatformHandle, HandleDisposer>;

uint8_t Expand5(uint32_t c) { return static_cast<uint8_t>(c * 8 + c / 4); }

class PictDecoder {
 public:
  PictDecoder(MemoryStreamReader* reader, DecodedImage* image, ImageInfo* info)
      : reader_(reader), image_(image), info_(info) {}

  PlatformError Decode() {
    PlatformError error = PlatformSkipMemoryStream(reader_, kFileHeaderSize + 2);
    if (error != kPlatformNoError) return error;
    uint8_t frame[8];
    error = PlatformReadMemoryStream(reader_, frame, 8);
    if (error != kPlatformNoError) return error;
    const int32_t top = static_cast<int16_t>(LoadBe16(frame));
    const int32_t left = static_cast<int16_t>(LoadBe16(frame + 2));
    const int32_t bottom = static_cast<int16_t>(LoadBe16(frame + 4));
    const int32_t right = static_cast<int16_t>(LoadBe16(frame + 6));
    frame_ = Rect{left, top, right, bottom};
    if (!IsImageSizeAcceptable(int64_t{right} - left, int64_t{bottom} - top)) return kPlatformErrImageData;
    error = ReadVersion();
    if (error != kPlatformNoError) return error;

    for (;;) {
      uint16_t opcode;
      error = ReadOpcode(&opcode);
      if (error != kPlatformNoError) return error;
      if (opcode == kEndOfPicture) break;
      error = Perform(opcode);
      if (error != kPlatformNoError) return error;
    }
    // A picture without a whole-picture image is white.
    if (depth_ == 0) return CreateWorld(32, true);
    return kPlatformNoError;
  }

 private:
  PlatformError ReadVersion() {
    uint8_t byte = 0;
    do {
      PlatformError error = PlatformReadMemoryStream(reader_, &byte, 1);
      if (error != kPlatformNoError) return error;
    } while (byte == 0);
    uint8_t next[2];
    if (byte != 0x11) return kPlatformErrNotAnImage;
    PlatformError error = PlatformReadMemoryStream(reader_, next, 1);
    if (error != kPlatformNoError) return error;
    if (next[0] == 0x01) {
      version_ = 1;
      return kPlatformNoError;
    }
    if (next[0] != 0x02) return kPlatformErrNotAnImage;
    error = PlatformReadMemoryStream(reader_, next + 1, 1);
    if (error != kPlatformNoError) return error;
    if (next[1] != 0xFF) return kPlatformErrNotAnImage;
    version_ = 2;
    return kPlatformNoError;
  }

  // Version 1 opcodes are one byte; version 2 opcodes are 16-bit and start at even offsets.
  PlatformError ReadOpcode(uint16_t* opcode) {
    if (version_ == 1) {
      uint8_t byte;
      PlatformError error = PlatformReadMemoryStream(reader_, &byte, 1);
      *opcode = byte;
      return error;
    }
    if ((reader_->position & 1) != 0) {
      PlatformError error = PlatformSkipMemoryStream(reader_, 1);
      if (error != kPlatformNoError) return error;
    }
    return Read16(opcode);
  }

  PlatformError Read16(uint16_t* value) {
    uint8_t bytes[2];
    PlatformError error = PlatformReadMemoryStream(reader_, bytes, 2);
    *value = error == kPlatformNoError ? LoadBe16(bytes) : 0;
    return error;
  }

  PlatformError Read32(uint32_t* value) {
    uint8_t bytes[4];
    PlatformError error = PlatformReadMemoryStream(reader_, bytes, 4);
    *value = error == kPlatformNoError ? LoadBe32(bytes) : 0;
    return error;
  }

  PlatformError Skip(uint32_t n) { return PlatformSkipMemoryStream(reader_, n); }

  PlatformError Perform(uint16_t opcode) {
    const OpcodeRule rule = RuleFor(opcode);
    PlatformError error = kPlatformNoError;
    switch (rule.kind) {
      case RuleKind::Skip:
        return Skip(rule.bytes);
      case RuleKind::Region:
        return SkipRegion();
      case RuleKind::WordLength: {
        uint16_t length;
        error = Read16(&length);
        if (error != kPlatformNoError) return error;
        if (length < 2) return kPlatformErrNotAnImage;
        return Skip(length);
      }
      case RuleKind::LongLength: {
        uint32_t length;
        error = Read32(&length);
        if (error != kPlatformNoError) return error;
        if (length < 4) return kPlatformErrNotAnImage;
        return Skip(length);
      }
      case RuleKind::Text: {
        error = Skip(rule.bytes);
        uint8_t count = 0;
        if (error == kPlatformNoError) error = PlatformReadMemoryStream(reader_, &count, 1);
        if (error != kPlatformNoError) return error;
        return Skip(count);
      }
      case RuleKind::Comment: {
        uint16_t kind;
        uint16_t size;
        error = Read16(&kind);
        if (error == kPlatformNoError) error = Read16(&size);
        if (error != kPlatformNoError) return error;
        return Skip(size);
      }
      case RuleKind::Pattern:
        return SkipPattern();
      case RuleKind::PixelData:
        return PixelData(opcode);
    }
    return kPlatformErrNotAnImage;
  }

  // A region's size counts its own two bytes.
  PlatformError SkipRegion() {
    uint16_t size;
    PlatformError error = Read16(&size);
    if (error != kPlatformNoError) return error;
    if (size < 2) return kPlatformErrNotAnImage;
    return Skip(size - 2u);
  }

  PlatformError SkipPattern() {
    uint16_t type;
    PlatformError error = Read16(&type);
    if (error != kPlatformNoError) return error;
    if (type == 1) return kPlatformErrUndefinedKind;  // full pixel patterns are not read
    if (type == 2) return Skip(14);                   // an 8-byte pattern and a 6-byte colour
    return kPlatformErrNotAnImage;
  }

  PlatformError CreateWorld(int depth, bool fill) {
    const uint32_t format = depth == 8 ? kImageFormatIndexed : depth == 16 ? kImageFormat565 : kImageFormat32;
    // A new world is cleared (or filled white), so rows the picture does not draw hold no stale memory.
    PlatformError error = AllocateDecodedImage(image_, frame_, format, fill ? 255 : 0);
    if (error != kPlatformNoError) return error;
    image_->standardPalette = depth == 8;
    image_->palette.clear();
    nearest_.clear();
    depth_ = depth;
    if (info_ != nullptr) {
      info_->type = kImageTypePict;
      info_->gamma = kPictGamma;
    }
    return kPlatformNoError;
  }

  PlatformError ReadPixelImageHeader(uint16_t opcode, PixelImageHeader* header) {
    const bool direct = opcode >= 0x9A;
    PlatformError error = kPlatformNoError;
    if (direct) error = Skip(4);  // base address
    uint16_t rowBytes = 0;
    if (error == kPlatformNoError) error = Read16(&rowBytes);
    uint8_t bounds[8];
    if (error == kPlatformNoError) error = PlatformReadMemoryStream(reader_, bounds, 8);
    if (error != kPlatformNoError) return error;
    for (int i = 0; i < 4; ++i) header->bounds[i] = static_cast<int16_t>(LoadBe16(bounds + 2 * i));
    header->rowBytes = rowBytes & 0x3FFF;
    // Without its top flag the record is a one-bit bit map: bounds only, no pixel-map fields, no colour table.
    // Read as a pixel map it would take its rows for those fields and misread the rest of the picture.
    const bool pixelMap = direct || (rowBytes & 0x8000) != 0;
    if (pixelMap) {
      uint8_t fields[36];
      error = PlatformReadMemoryStream(reader_, fields, sizeof(fields));
      if (error != kPlatformNoError) return error;
      header->packType = LoadBe16(fields + 2);
      header->pixelSize = LoadBe16(fields + 18);
      header->componentCount = LoadBe16(fields + 20);
    }
    if (pixelMap && !direct) {
      error = ReadColorTable(header);
      if (error != kPlatformNoError) return error;
    }
    uint8_t rects[18];
    error = PlatformReadMemoryStream(reader_, rects, sizeof(rects));  // source, destination, transfer mode
    if (error != kPlatformNoError) return error;
    for (int i = 0; i < 4; ++i) header->source[i] = static_cast<int16_t>(LoadBe16(rects + 2 * i));
    if ((opcode & 1) != 0) return SkipRegion();
    return kPlatformNoError;
  }

  // The picture's own colour table: a seed, flags and the entry count less one, then entries of an index and
  // three 16-bit channels. With the flags' top bit (a device table) the entries' order gives their indices.
  PlatformError ReadColorTable(PixelImageHeader* header) {
    uint8_t start[8];
    PlatformError error = PlatformReadMemoryStream(reader_, start, 8);
    if (error != kPlatformNoError) return error;
    const bool deviceTable = (LoadBe16(start + 4) & 0x8000) != 0;
    const uint32_t entries = uint32_t{LoadBe16(start + 6)} + 1;
    header->colorTable.assign(256, ColorRecord{255, 0, 0, 0});
    header->hasColorTable = true;
    for (uint32_t i = 0; i < entries; ++i) {
      uint8_t entry[8];
      error = PlatformReadMemoryStream(reader_, entry, 8);
      if (error != kPlatformNoError) return error;
      const uint32_t index = deviceTable ? i : LoadBe16(entry);
      if (index >= 256) continue;
      // Each channel keeps its high byte: 0x3333 is 0x33, as the standard palette's levels are written.
      header->colorTable[index] = ColorRecord{255, entry[2], entry[4], entry[6]};
    }
    return kPlatformNoError;
  }

  // Indexed rows are drawn through the picture's own table rather than the world's default one: pictures made by
  // other tools carry tables of their own, and their indices shown through the standard palette would come out in
  // the wrong colours. A table that is the standard palette keeps the standard palette, so such pictures come out
  // exactly as pictures without a table of their own.
  void TakeColorTable(const PixelImageHeader& header) {
    if (!header.hasColorTable) return;
    bool standard = true;
    for (int i = 0; i < 256 && standard; ++i) {
      const ColorRecord& a = header.colorTable[i];
      const ColorRecord& b = StandardPalette.entries[i];
      standard = a.red == b.red && a.green == b.green && a.blue == b.blue;
    }
    image_->standardPalette = standard;
    nearest_.clear();
    if (standard) {
      image_->palette.clear();
    } else {
      image_->palette = header.colorTable;
    }
  }

  PlatformError PixelData(uint16_t opcode) {
    PixelImageHeader header;
    PlatformError error = ReadPixelImageHeader(opcode, &header);
    if (error != kPlatformNoError) return error;
    const uint32_t rowBytes = header.rowBytes;
    RowForm form = RowForm::Unpacked;
    if (opcode == 0x98 || opcode == 0x99) {
      form = rowBytes < 8 ? RowForm::Unpacked : RowForm::Packed;
    } else if (opcode >= 0x9A) {
      if (header.packType == 1 || rowBytes < 8) {
        form = RowForm::Unpacked;
      } else if (header.packType == 0 || header.packType == 3 || header.packType == 4) {
        form = RowForm::Packed;
      } else if (header.packType == 2) {
        form = RowForm::ThreeBytes;
      } else {
        return kPlatformErrNotAnImage;
      }
    }
    // Inverted bounds give no rows; such an image cannot be drawn, as its size differs from the picture's.
    const int32_t height = header.bounds[2] - header.bounds[0];
    const int32_t width = header.bounds[3] - header.bounds[1];

    const bool drawn = header.source[0] == frame_.top && header.source[1] == frame_.left &&
                       header.source[2] == frame_.bottom && header.source[3] == frame_.right;
    const int pixelSize = header.pixelSize;
    if (drawn) {
      int depth = 0;
      if (pixelSize == 1 || pixelSize == 2 || pixelSize == 4 || pixelSize == 8) depth = 8;
      if (pixelSize == 16 || pixelSize == 32) depth = pixelSize;
      if (depth == 0) return kPlatformErrNotAnImage;
      // Rows go to the picture's own rows: the image must have the picture's size.
      if (width != image_width() || height != image_height()) return kPlatformErrImageData;
      if (depth != depth_) {
        error = CreateWorld(depth, false);
        if (error != kPlatformNoError) return error;
      }
      if (depth == 8 && pixelSize == 8) TakeColorTable(header);
    }
    return ReadRows(header, form, drawn, width, height);
  }

  int32_t image_width() const { return frame_.right - frame_.left; }
  int32_t image_height() const { return frame_.bottom - frame_.top; }

  PlatformError ReadRows(const PixelImageHeader& header, RowForm form, bool drawn, int32_t width, int32_t height) {
    const uint32_t rowBytes = header.rowBytes;
    const int pixelSize = header.pixelSize;
    // Packed and plain rows of fewer than 8 bits a pixel are read and dropped; three-byte rows are colours of
    // their own whatever the pixel size.
    const bool stored = drawn && (pixelSize >= 8 || form == RowForm::ThreeBytes);
    const size_t w = static_cast<size_t>(width);
    std::vector<uint8_t> packed;
    std::vector<uint8_t> row;
    PlatformError error = ResizeBuffer(&packed, 65536);
    if (error == kPlatformNoError) error = ResizeBuffer(&row, rowBytes);
    if (error != kPlatformNoError) return error;
    // Packed rows are expanded in place in a handle: byte runs, or runs of 16-bit units for 16-bit pixels.
    OwnedHandle unpacked(form == RowForm::Packed ? PlatformHandle::New(0) : nullptr);
    if (form == RowForm::Packed && unpacked == nullptr) return kPlatformErrNoMemory;
    const uint32_t kind = pixelSize == 16 ? kCompressionPack16 : kCompressionPack;
    for (int32_t y = 0; y < height; ++y) {
      const uint8_t* data = row.data();
      size_t length = 0;
      if (form == RowForm::Packed) {
        uint32_t count = 0;
        if (rowBytes > 250) {
          uint16_t word;
          error = Read16(&word);
          count = word;
        } else {
          uint8_t byte = 0;
          error = PlatformReadMemoryStream(reader_, &byte, 1);
          count = byte;
        }
        if (error == kPlatformNoError) error = PlatformReadMemoryStream(reader_, packed.data(), count);
        if (error != kPlatformNoError) return error;
        if (!stored) continue;
        error = PlatformHandle::SetBytes(unpacked.get(), packed.data(), count);
        if (error == kPlatformNoError) error = PlatformDecompressHandle(unpacked.get(), kind, nullptr);
        if (error == kPlatformErrBadData) return kPlatformErrImageData;
        if (error != kPlatformNoError) return error;
        data = static_cast<const uint8_t*>(unpacked->data);
        length = PlatformHandle::GetSize(unpacked.get());
      } else {
        const uint32_t bytes = form == RowForm::ThreeBytes ? rowBytes * 3 / 4 : rowBytes;
        error = PlatformReadMemoryStream(reader_, row.data(), bytes);
        if (error != kPlatformNoError) return error;
        length = bytes;
      }
      if (!stored) continue;
      error = StoreRow(header, form, data, length, w, y);
      if (error != kPlatformNoError) return error;
    }
    return kPlatformNoError;
  }

  // Converts one row into the image; a row too short for its pixels is refused.
  PlatformError StoreRow(const PixelImageHeader& header, RowForm form, const uint8_t* b, size_t length, size_t w,
                         int32_t y) {
    const size_t rowBytes = header.rowBytes;
    uint8_t* out = image_->Row(y);
    if (form == RowForm::ThreeBytes && image_->IsIndexed()) {
      // Three-byte colours in an indexed image take the nearest colour of its table.
      if (length < 3 * w) return kPlatformErrImageData;
      const uint8_t* nearest = NearestIndexTable();
      if (nearest == nullptr) return kPlatformErrNoMemory;
      for (size_t x = 0; x < w; ++x) out[x] = nearest[InverseTableIndex(b[3 * x], b[3 * x + 1], b[3 * x + 2])];
      return kPlatformNoError;
    }
    if (header.pixelSize == 8 && form != RowForm::ThreeBytes) {
      if (length < w) return kPlatformErrImageData;
      std::memcpy(out, b, w);
      return kPlatformNoError;
    }
    if (header.pixelSize == 16 && form != RowForm::ThreeBytes) {
      if (length < 2 * w) return kPlatformErrImageData;
      for (size_t x = 0; x < w; ++x) {
        const uint32_t v = LoadBe16(b + 2 * x);
        out[4 * x] = 255;
        out[4 * x + 1] = Expand5(v >> 10 & 31);
        out[4 * x + 2] = Expand5(v >> 5 & 31);
        out[4 * x + 3] = Expand5(v & 31);
      }
      return kPlatformNoError;
    }
    if (form == RowForm::Packed) {
      // Packed 32-bit rows hold one plane per component: red, green, blue (behind an alpha plane when there are
      // four components: read as the red plane, it would shift every colour by one channel).
      const size_t plane = rowBytes / 4;
      const size_t first = header.componentCount == 4 ? plane : 0;
      if (length < w + first + 2 * plane) return kPlatformErrImageData;
      for (size_t x = 0; x < w; ++x) {
        out[4 * x] = 255;
        out[4 * x + 1] = b[first + x];
        out[4 * x + 2] = b[first + x + plane];
        out[4 * x + 3] = b[first + x + 2 * plane];
      }
      return kPlatformNoError;
    }
    const size_t size = form == RowForm::ThreeBytes ? 3 : 4;
    const size_t skip = form == RowForm::ThreeBytes ? 0 : 1;  // plain 32-bit pixels begin with an unused byte
    if (length < size * w) return kPlatformErrImageData;
    for (size_t x = 0; x < w; ++x) {
      out[4 * x] = 255;
      out[4 * x + 1] = b[size * x + skip];
      out[4 * x + 2] = b[size * x + skip + 1];
      out[4 * x + 3] = b[size * x + skip + 2];
    }
    return kPlatformNoError;
  }

  // The inverse table of the indexed image's colours, made on first use.
  const uint8_t* NearestIndexTable() {
    if (nearest_.empty()) {
      Palette palette{};
      if (image_->standardPalette) {
        palette = StandardPalette;
      } else {
        palette.count = static_cast<int32_t>(std::min<size_t>(image_->palette.size(), 256));
        std::copy_n(image_->palette.begin(), palette.count, palette.entries);
      }
      if (ResizeBuffer(&nearest_, kInverseTableSize) != kPlatformNoError) return nullptr;
      PlatformBuildInverseTable(nearest_.data(), &palette);
    }
    return nearest_.data();
  }

  MemoryStreamReader* reader_;
  DecodedImage* image_;
  ImageInfo* info_;
  std::vector<uint8_t> nearest_;
  Rect frame_{};
  int version_ = 0;
  int depth_ = 0;  // depth of the image made so far; 0 while there is none
};

}  // namespace

bool IsPictData(const uint8_t* bytes, size_t n) {
  if (n <= kFileHeaderSize || n < kVersionSearchOffset) return false;
  const int16_t top = static_cast<int16_t>(LoadBe16(bytes + kFrameOffset));
  const int16_t left = static_cast<int16_t>(LoadBe16(bytes + kFrameOffset + 2));
  const int16_t bottom = static_cast<int16_t>(LoadBe16(bytes + kFrameOffset + 4));
  const int16_t right = static_cast<int16_t>(LoadBe16(bytes + kFrameOffset + 6));
  if (!(top < bottom && left < right)) return false;
  size_t p = kVersionSearchOffset;
  while (p < n && bytes[p] == 0) ++p;
  if (p + 1 < n && bytes[p] == 0x11 && bytes[p + 1] == 0x01) return true;
  return p + 2 < n && bytes[p] == 0x11 && bytes[p + 1] == 0x02 && bytes[p + 2] == 0xFF;
}

PlatformError DecodePict(MemoryStreamReader* reader, DecodedImage* image, TransferMode* mode, ImageInfo* info) {
  PictDecoder decoder(reader, image, info);
  return decoder.Decode();
}

PlatformError ImportPict(MemoryStreamReader* reader, PlatformWorld** world, PlatformWorld** mask, TransferMode* mode,
                         ImageInfo* info) {
  return RunImageImporter(DecodePict, reader, world, mask, mode, info);
}
