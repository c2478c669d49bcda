// GIF import: signature, screen descriptor, extensions up to the first image, its LZW data and the row order of
// interlaced images. Only the first image of a file is read. Multi-byte fields are little-endian.
#include "platform/graphics/gif_import.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

namespace {

constexpr int kMaxCodeBits = 12;
constexpr int kTableSize = 1 << kMaxCodeBits;
// The longest string a code can stand for is one entry per table slot, plus the first character pushed for a code
// that is not yet in the table.
constexpr int kStackSize = kTableSize + 1;

constexpr uint8_t kImageSeparator = 0x2C;
constexpr uint8_t kExtensionIntroducer = 0x21;
constexpr uint8_t kGraphicControlLabel = 0xF9;

// Interlaced images are stored in four passes: every 8th row from 0, every 8th from 4, every 4th from 2, every
// 2nd from 1.
constexpr int32_t kPassStart[4] = {0, 4, 2, 1};
constexpr int32_t kPassStep[4] = {8, 8, 4, 2};

PlatformError ReadByte(MemoryStreamReader* reader, uint8_t* byte) { return PlatformReadMemoryStream(reader, byte, 1); }

PlatformError ReadColorTable(MemoryStreamReader* reader, int entries, std::vector<ColorRecord>* table) {
  uint8_t rgb[3 * 256];
  PlatformError error = PlatformReadMemoryStream(reader, rgb, static_cast<uint32_t>(3 * entries));
  if (error != kPlatformNoError) return error;
  table->resize(static_cast<size_t>(entries));
  for (int i = 0; i < entries; ++i) (*table)[i] = ColorRecord{255, rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]};
  return kPlatformNoError;
}

// Skips sub-blocks (a length byte and that many bytes) up to a zero length.
PlatformError SkipSubBlocks(MemoryStreamReader* reader) {
  for (;;) {
    uint8_t length;
    PlatformError error = ReadByte(reader, &length);
    if (error != kPlatformNoError) return error;
    if (length == 0) return kPlatformNoError;
    error = PlatformSkipMemoryStream(reader, length);
    if (error != kPlatformNoError) return error;
  }
}

// Where each decoded line of the image goes.
class LineOutput {
 public:
  LineOutput(DecodedImage* image, bool interlaced) : image_(image), interlaced_(interlaced) {}

  PlatformError Write(const uint8_t* line) {
    const int32_t height = image_->Height();
    if (rowsWritten_ == height) return kPlatformErrImageData;  // more pixels than the image holds
    if (rowsWritten_ > 0 && !Advance()) return kPlatformErrImageData;
    std::memcpy(image_->Row(row_), line, static_cast<size_t>(image_->Width()));
    ++rowsWritten_;
    return kPlatformNoError;
  }

 private:
  bool Advance() {
    const int32_t height = image_->Height();
    if (!interlaced_) {
      ++row_;
      return row_ < height;
    }
    row_ += kPassStep[pass_];
    // Passes whose start row lies outside the image have nothing to write. Every row is written once, so a next
    // pass always exists while rows remain.
    while (row_ >= height && pass_ < 3) {
      ++pass_;
      row_ = kPassStart[pass_];
    }
    return row_ < height;
  }

  DecodedImage* image_;
  bool interlaced_;
  int pass_ = 0;
  int32_t row_ = 0;
  int32_t rowsWritten_ = 0;
};

// The variable-length code decoder over the image's data sub-blocks.
class LzwDecoder {
 public:
  LzwDecoder(MemoryStreamReader* reader, LineOutput* output, int32_t width)
      : reader_(reader), output_(output), width_(width) {}

  PlatformError Decode(int minimumCodeSize) {
    PlatformError error = ResizeBuffer(&line_, static_cast<size_t>(width_));
    if (error != kPlatformNoError) return error;
    try {
      prefix_ = std::make_unique<uint16_t[]>(kTableSize);
      suffix_ = std::make_unique<uint8_t[]>(kTableSize);
      stack_ = std::make_unique<uint8_t[]>(kStackSize);
    } catch (const std::bad_alloc&) {
      return kPlatformErrNoMemory;
    }
    minimumCodeSize_ = minimumCodeSize;
    clearCode_ = 1 << minimumCodeSize;
    endCode_ = clearCode_ + 1;
    firstFree_ = clearCode_ + 2;
    Reset();

    int oldCode = 0;
    int firstChar = 0;
    for (;;) {
      int code;
      error = NextCode(&code);
      if (error != kPlatformNoError) return error;
      if (code == endCode_) break;
      if (code == clearCode_) {
        Reset();
        do {
          error = NextCode(&code);
          if (error != kPlatformNoError) return error;
        } while (code == clearCode_);
        if (code == endCode_) break;
        if (code >= nextSlot_) code = 0;
        oldCode = firstChar = code;
        error = Emit(static_cast<uint8_t>(code));
        if (error != kPlatformNoError) return error;
        continue;
      }
      int current = code;
      int depth = 0;
      if (current >= nextSlot_) {
        // Only the code of the entry about to be made may be used before it exists. A larger one would become
        // the prefix of the next entry, pointing the table at entries never made, whose chains read unset
        // entries or loop; the picture is refused at once with the result a bad code gives at the end.
        if (current > nextSlot_) return kPlatformErrNotAnImage;
        current = oldCode;
        stack_[depth++] = static_cast<uint8_t>(firstChar);
      }
      while (current >= firstFree_) {
        if (depth >= kStackSize - 1) return kPlatformErrNotAnImage;
        stack_[depth++] = suffix_[current];
        current = prefix_[current];
      }
      stack_[depth++] = static_cast<uint8_t>(current);
      if (nextSlot_ < topSlot_) {
        firstChar = current;
        suffix_[nextSlot_] = static_cast<uint8_t>(current);
        prefix_[nextSlot_] = static_cast<uint16_t>(oldCode);
        ++nextSlot_;
        oldCode = code;
      }
      if (nextSlot_ >= topSlot_ && codeSize_ < kMaxCodeBits) {
        topSlot_ <<= 1;
        ++codeSize_;
      }
      while (depth > 0) {
        error = Emit(stack_[--depth]);
        if (error != kPlatformNoError) return error;
      }
    }
    // A last line cut short is still written; its tail keeps the pixels of the line before.
    if (filled_ > 0) return output_->Write(line_.data());
    return kPlatformNoError;
  }

 private:
  void Reset() {
    codeSize_ = minimumCodeSize_ + 1;
    topSlot_ = 1 << codeSize_;
    nextSlot_ = firstFree_;
  }

  PlatformError Emit(uint8_t pixel) {
    line_[filled_++] = pixel;
    if (filled_ < line_.size()) return kPlatformNoError;
    filled_ = 0;
    return output_->Write(line_.data());
  }

  // Codes are packed least significant bit first into sub-blocks of up to 255 bytes. A zero-length sub-block
  // marks the end of the data: it is taken as the end code.
  PlatformError NextCode(int* code) {
    int value = 0;
    for (int bit = 0; bit < codeSize_;) {
      if (bitsLeft_ == 0) {
        if (blockPosition_ == blockLength_) {
          if (endOfData_) {
            *code = endCode_;
            return kPlatformNoError;
          }
          uint8_t length;
          PlatformError error = ReadByte(reader_, &length);
          if (error != kPlatformNoError) return error;
          if (length == 0) {
            endOfData_ = true;
            *code = endCode_;
            return kPlatformNoError;
          }
          error = PlatformReadMemoryStream(reader_, block_, length);
          if (error != kPlatformNoError) return error;
          blockLength_ = length;
          blockPosition_ = 0;
        }
        currentByte_ = block_[blockPosition_++];
        bitsLeft_ = 8;
      }
      const int take = std::min(codeSize_ - bit, bitsLeft_);
      value |= ((currentByte_ >> (8 - bitsLeft_)) & ((1 << take) - 1)) << bit;
      bit += take;
      bitsLeft_ -= take;
    }
    *code = value;
    return kPlatformNoError;
  }

  MemoryStreamReader* reader_;
  LineOutput* output_;
  int32_t width_;
  std::vector<uint8_t> line_;
  size_t filled_ = 0;
  std::unique_ptr<uint16_t[]> prefix_;
  std::unique_ptr<uint8_t[]> suffix_;
  std::unique_ptr<uint8_t[]> stack_;
  int minimumCodeSize_ = 0;
  int clearCode_ = 0;
  int endCode_ = 0;
  int firstFree_ = 0;
  int codeSize_ = 0;
  int topSlot_ = 0;
  int nextSlot_ = 0;
  uint8_t block_[255] = {};
  int blockLength_ = 0;
  int blockPosition_ = 0;
  int bitsLeft_ = 0;
  uint8_t currentByte_ = 0;
  bool endOfData_ = false;
};

struct GraphicControl {
  bool hasTransparency = false;
  uint8_t transparentIndex = 0;
};

// Reads blocks up to the image separator, keeping what the graphic control extensions say of transparency.
PlatformError ReadBlocksToImage(MemoryStreamReader* reader, GraphicControl* control) {
  for (;;) {
    uint8_t byte;
    PlatformError error = ReadByte(reader, &byte);
    if (error != kPlatformNoError) return error;
    if (byte == kImageSeparator) return kPlatformNoError;
    if (byte != kExtensionIntroducer) continue;
    uint8_t label;
    error = ReadByte(reader, &label);
    if (error != kPlatformNoError) return error;
    if (label != kGraphicControlLabel) {
      error = SkipSubBlocks(reader);
      if (error != kPlatformNoError) return error;
      continue;
    }
    uint8_t size;
    error = ReadByte(reader, &size);
    if (error != kPlatformNoError) return error;
    uint8_t block[256];
    error = PlatformReadMemoryStream(reader, block, uint32_t{size} + 1);  // the block and its terminator
    if (error != kPlatformNoError) return error;
    if (size >= 4 && (block[0] & 1) != 0) {
      control->hasTransparency = true;
      control->transparentIndex = block[3];
    }
  }
}

}  // namespace

bool IsGifData(const uint8_t* bytes, size_t n) {
  return n >= 6 && (std::memcmp(bytes, "GIF87a", 6) == 0 || std::memcmp(bytes, "GIF89a", 6) == 0);
}

PlatformError DecodeGif(MemoryStreamReader* reader, DecodedImage* image, TransferMode* mode, ImageInfo* info) {
  uint8_t signature[6];
  PlatformError error = PlatformReadMemoryStream(reader, signature, 6);
  if (error != kPlatformNoError) return error;
  if (!IsGifData(signature, 6)) return kPlatformErrNotAnImage;
  const bool version89a = signature[4] == '9';

  uint8_t screen[7];
  error = PlatformReadMemoryStream(reader, screen, 7);
  if (error != kPlatformNoError) return error;
  const bool hasGlobalTable = (screen[4] & 0x80) != 0;
  const uint8_t backgroundIndex = screen[5];
  std::vector<ColorRecord> globalTable;
  if (hasGlobalTable) {
    error = ReadColorTable(reader, 1 << ((screen[4] & 7) + 1), &globalTable);
    if (error != kPlatformNoError) return error;
  }

  GraphicControl control;
  error = ReadBlocksToImage(reader, &control);
  if (error != kPlatformNoError) return error;

  uint8_t descriptor[9];
  error = PlatformReadMemoryStream(reader, descriptor, 9);
  if (error != kPlatformNoError) return error;
  const int32_t left = LoadLe16(descriptor);
  const int32_t top = LoadLe16(descriptor + 2);
  const int32_t width = LoadLe16(descriptor + 4);
  const int32_t height = LoadLe16(descriptor + 6);
  const bool interlaced = (descriptor[8] & 0x40) != 0;
  std::vector<ColorRecord> palette;
  if ((descriptor[8] & 0x80) != 0) {
    error = ReadColorTable(reader, 1 << ((descriptor[8] & 7) + 1), &palette);
    if (error != kPlatformNoError) return error;
  } else if (hasGlobalTable) {
    palette = std::move(globalTable);
  } else {
    return kPlatformErrNotAnImage;
  }
  if (!IsImageSizeAcceptable(width, height)) return kPlatformErrImageData;

  // A GIF89a file with a global colour table keeps its background colour out of the picture when no graphic
  // control extension names a transparent colour: pictures made for this program rely on that.
  const bool transparent = version89a && (control.hasTransparency || hasGlobalTable);
  const uint8_t transparentIndex = control.hasTransparency ? control.transparentIndex : backgroundIndex;
  if (transparent && transparentIndex < palette.size()) palette[transparentIndex].flag = 0;

  error = AllocateDecodedImage(image, Rect{left, top, left + width, top + height}, kImageFormatIndexed, 0);
  if (error != kPlatformNoError) return error;
  image->palette = std::move(palette);
  if (info != nullptr) {
    info->type = kImageTypeGif;
    info->interlaced = interlaced ? 1 : 0;
  }
  if (mode != nullptr && transparent) {
    mode->kind = kTransferColorKey;
    mode->value[0] = transparentIndex;
  }

  uint8_t minimumCodeSize;
  error = ReadByte(reader, &minimumCodeSize);
  if (error != kPlatformNoError) return error;
  if (minimumCodeSize < 2 || minimumCodeSize > 9) return kPlatformErrNotAnImage;
  LineOutput output(image, interlaced);
  LzwDecoder decoder(reader, &output, width);
  return decoder.Decode(minimumCodeSize);
}

PlatformError ImportGif(MemoryStreamReader* reader, PlatformWorld** world, PlatformWorld** mask, TransferMode* mode,
                        ImageInfo* info) {
  return RunImageImporter(DecodeGif, reader, world, mask, mode, info);
}
